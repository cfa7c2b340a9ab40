// Internal helpers of the attribute, product-part and assembly functions:
// host lists as vectors, part names, string attributes, occurrences and
// tag arrays handed to callers. Every helper answers a neutral value (an
// empty list, an empty name, 0) when the host fails; callers that must tell
// a failure apart use the host calls themselves.
#ifndef CVSTV_UTIL_PART_QUERY_H
#define CVSTV_UTIL_PART_QUERY_H

#include "hx_common.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace cvstv {

// Longest string attribute value, and longest part name (path pieces),
// without terminator.
inline constexpr std::size_t attribute_value_size = 132;
inline constexpr std::size_t part_name_size = 256;

// The loaded parts in the host's load order.
std::vector<tag_t> loaded_parts();
// A part's full name; "" when the host does not answer.
std::string part_full_name(tag_t part);
// The part a tag stands for: a part itself, an occurrence's prototype
// part; 0 for anything else.
tag_t part_of(tag_t part_or_occurrence);
// An occurrence's prototype, anything else itself.
tag_t prototype_or_self(tag_t tag);
// The value of a string attribute; nullopt when there is none of that type.
std::optional<std::string> string_attribute(tag_t object, const char *title);
// The child part occurrences of an occurrence, in order.
std::vector<tag_t> child_occurrences(tag_t occurrence);
// Every occurrence below (and including) a start occurrence, pre-order; at
// most `limit` of them.
std::vector<tag_t> occurrence_tree(tag_t start, std::size_t limit = static_cast<std::size_t>(-1));
// The prototype parts below (not including) a part in its own structure,
// sorted, each once.
std::vector<tag_t> parts_below(tag_t part);
// Is the tag in a sorted list?
bool sorted_contains(const std::vector<tag_t> &sorted, tag_t tag);
// The occurrences of a part in the displayed assembly.
std::vector<tag_t> occurrences_in_display(tag_t part);
// Hands tags to a caller in a new array from the host allocator (null for
// none); false when the allocator refuses.
bool hand_out(const std::vector<tag_t> &tags, tag_t **array);
// Is the host's PDM manager active (false when the query fails)?
bool pdm_active();
// A file specification's name without directory and without the part-file
// type (the host's file-name services); "" when they fail.
std::string bare_part_name(const std::string &spec);
// The directory of a file specification (the host's split); "" when none.
std::string spec_directory(const std::string &spec);

} // namespace cvstv

// kt_encode_part_file_name (PDM part file names) is declared in
// cvstvshare/pdm_names.h.
#include "cvstvshare/pdm_names.h"

#endif
