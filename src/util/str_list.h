// String lists at the boundary: building a host-allocated char ** list from
// C++ strings in one pass. Inside the library names are kept in
// std::vector<std::string>; a list is built only when it is handed out.
#ifndef CVSTV_UTIL_STR_LIST_H
#define CVSTV_UTIL_STR_LIST_H

#include <string>
#include <string_view>
#include <vector>

namespace cvstv {

// Appends the non-empty strings of items to *list (which may be null) with
// one new array. Returns the new count, or -1 with *list unchanged when the
// host allocator refuses.
int append_str_list(char ***list, const std::vector<std::string> &items);
// The same for a sequence of views.
int append_str_list(char ***list, const std::vector<std::string_view> &items);

// Number of entries of a list.
int str_list_count(char *const *list);

// Splits text into the tokens of standard tokenising: runs of delimiter
// characters separate tokens; leading, trailing and repeated delimiters
// produce none.
std::vector<std::string_view> tokenize(std::string_view text, std::string_view delimiters);

// Removes leading and trailing blanks and tabs.
std::string_view trim_blanks_tabs(std::string_view text);

} // namespace cvstv

#endif
