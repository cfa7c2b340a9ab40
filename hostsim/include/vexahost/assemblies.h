// The headless host's assemblies, attributes and PDM names: components of
// a part, reference sets, occurrences, typed attributes on any object, and
// the PDM manager's switch and items. Tests and the CLI build and read a
// session's assemblies with these calls.
#ifndef VEXAHOST_ASSEMBLIES_H
#define VEXAHOST_ASSEMBLIES_H

#include "vexahost/common.h"

#include <array>
#include <string>
#include <vector>

namespace vexa::sim {

// ---- Components ------------------------------------------------------------------

// Adds a component to `parent`: the child part by file name (a bare name is
// found in the parent's directory; the child need not be loaded), a
// component name, a reference set ("": none) and its placement. Returns the
// instance, 0 when parent is no part or the child would contain the parent.
VEXAHOST_API tag_t add_component(tag_t parent, const std::string &child_file, const std::string &name = {},
                                 const std::string &reference_set = {},
                                 const std::array<double, 3> &origin = {0, 0, 0},
                                 const std::array<double, 6> &orientation = {1, 0, 0, 0, 1, 0});
VEXAHOST_API void set_component_suppressed(tag_t instance, bool suppressed);
// The session's assembly options record (ASSY_ask_assy_options), member 1
// first; setting takes at most its 16 members, the rest become 0.
VEXAHOST_API std::vector<int> assembly_options();
VEXAHOST_API void set_assembly_options(const std::vector<int> &options);
// A reference set of the part with objects and instances of the part.
VEXAHOST_API tag_t create_reference_set(tag_t part, const std::string &name,
                                        const std::vector<tag_t> &members);

// ---- Occurrences --------------------------------------------------------------------

VEXAHOST_API tag_t root_occurrence(tag_t part);
// The child part occurrences of an occurrence, in component order.
VEXAHOST_API std::vector<tag_t> occurrence_children(tag_t occurrence);
// The part an occurrence stands for (0 when not loaded).
VEXAHOST_API tag_t occurrence_part(tag_t occurrence);
VEXAHOST_API tag_t work_occurrence();

// What a component holds, read through an instance or a part occurrence.
struct ComponentInfo {
    std::string name;          // the component name
    std::string part_file;     // full host name of its part
    std::string reference_set; // "" when it uses none
    bool suppressed = false;
    tag_t part = 0; // 0 while the part is not loaded
};
VEXAHOST_API bool component_info(tag_t component, ComponentInfo &info);

// The reference sets of a part with their members by name (objects by their
// name, components by their component name; "#id" for an unnamed one).
struct ReferenceSetInfo {
    std::string name;
    std::vector<std::string> members;
};
VEXAHOST_API std::vector<ReferenceSetInfo> reference_sets(tag_t part);

// ---- Attributes ---------------------------------------------------------------------

struct AttributeInfo {
    std::string title;
    int type = 0;     // 1 integer, 2 real, 3 time, 5 string, 7 reference
    std::string text; // the value as text (integers and times as whole numbers, reals "%.17g")
};
VEXAHOST_API bool set_string_attribute(tag_t object, const std::string &title, const std::string &value);
VEXAHOST_API bool set_integer_attribute(tag_t object, const std::string &title, int value);
VEXAHOST_API bool set_real_attribute(tag_t object, const std::string &title, double value);
// The attributes of an object in order (a part occurrence: its component's).
VEXAHOST_API std::vector<AttributeInfo> attributes_of(tag_t object);
// The attributes stored in a part file, read without loading it; status 0,
// or why the file could not be read.
VEXAHOST_API std::vector<AttributeInfo> part_file_attributes(const std::string &name, int &status);

// ---- PDM manager ----------------------------------------------------------------------

VEXAHOST_API void set_pdm_active(bool active);
// An item of the PDM: its number, part type and revisions (oldest first), and
// optionally the local path of the part file that holds its master model
// (opened by "@DB/number/revision"). Revisions new to an item the PDM holds
// already are added after its own. Kept in the PDM database (vexahost/pdm.h),
// which throws std::runtime_error for a name it cannot hold.
VEXAHOST_API void add_pdm_item(const std::string &number, const std::string &part_type,
                               const std::vector<std::string> &revisions,
                               const std::string &master_file = {});
// The initial revision of new parts of a type ("" assigns none) and the
// default part type.
VEXAHOST_API void set_pdm_initial_revision(const std::string &part_type, const std::string &revision);
VEXAHOST_API void set_pdm_default_part_type(const std::string &part_type);

} // namespace vexa::sim

#endif
