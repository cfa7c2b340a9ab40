// Finding the project's parts by attribute: the first loaded part carrying
// a title (or a title with a given value), the part nearest to the work
// component, making such a part the work part, and where the project lives.
//
// Every search goes through the loaded parts in the host's load order and
// reads each part's attribute by its full name (kt_ask_part_str_attr), so a
// search treats a PDM part the same way as a part file.
#include "cvstvshare/part_attributes.h"
#include "cvstvshare/startup.h"
#include "util/boundary.h"
#include "util/part_attributes_internal.h"
#include "util/part_query.h"
#include "util/text_buffer.h"

#include "hx_assem.h"
#include "hx_parts.h"

#include <cstring>

namespace cvstv {

int find_attr_part(const char *title, std::string *name, std::string *value)
{
    if (!title)
        return -1;
    for (tag_t part : loaded_parts()) {
        std::string full = part_full_name(part);
        std::string text;
        if (!full.empty() && part_attribute_text(full.c_str(), title, text) == 0) {
            if (name)
                *name = full;
            if (value)
                *value = text;
            return 0;
        }
    }
    return -1;
}

tag_t make_work_part_by_name(const std::string &name)
{
    tag_t part = HX_PART_ask_part_tag(name.c_str());
    if (part == 0)
        return 0;
    if (part != HX_PART_ask_display_part() && occurrences_in_display(part).empty())
        return 0;
    return HX_ASSEM_set_work_part(part) == 0 ? part : 0;
}

} // namespace cvstv

namespace {

// The depth-first search of kt_ask_attr_part_sequence below the work
// occurrence: the (reduced) name of the first component part carrying the
// title; an occurrence whose part is not loaded ends its branch.
bool search_below(tag_t start, const char *title, std::string &found)
{
    bool pdm = cvstv::pdm_active();
    std::vector<tag_t> stack{start};
    while (!stack.empty()) {
        tag_t occ = stack.back();
        stack.pop_back();
        tag_t part = HX_ASSEM_ask_prototype_of_occ(occ);
        if (part == 0)
            continue;
        HX_ASSEM_component_t data{};
        std::string name =
            HX_ASSEM_ask_component_data(occ, &data) == 0 ? data.part_name : cvstv::part_full_name(part);
        if (!pdm)
            name = cvstv::bare_part_name(name);
        std::string text;
        if (!name.empty() && cvstv::part_attribute_text(name.c_str(), title, text) == 0) {
            found = name;
            return true;
        }
        auto children = cvstv::child_occurrences(occ);
        stack.insert(stack.end(), children.rbegin(), children.rend());
    }
    return false;
}

} // namespace

extern "C" {

CVSTV_API int kt_ask_attr_part(const char *title, char *part_name, char *value) noexcept
{
    return cvstv::guarded("kt_ask_attr_part", -1, [&]() -> int {
        std::string name, text;
        if (cvstv::find_attr_part(title, &name, &text) != 0)
            return -1;
        if (part_name)
            cvstv::copy_bounded(part_name, KT_NAME_BUFFER_SIZE, name);
        if (value)
            cvstv::copy_bounded(value, KT_NAME_BUFFER_SIZE, text);
        return 0;
    });
}

CVSTV_API int kt_ask_attr_value_part(const char *title, const char *value, char *part_name) noexcept
{
    return cvstv::guarded("kt_ask_attr_value_part", -1, [&]() -> int {
        if (!title || !value)
            return -1;
        for (tag_t part : cvstv::loaded_parts()) {
            std::string full = cvstv::part_full_name(part);
            std::string text;
            if (!full.empty() && cvstv::part_attribute_text(full.c_str(), title, text) == 0 &&
                text == value) {
                if (part_name)
                    cvstv::copy_bounded(part_name, KT_NAME_BUFFER_SIZE, full);
                return 0;
            }
        }
        return -1;
    });
}

CVSTV_API tag_t kt_set_attr_part(const char *title) noexcept
{
    return cvstv::guarded("kt_set_attr_part", tag_t{0}, [&]() -> tag_t {
        std::string name;
        if (cvstv::find_attr_part(title, &name, nullptr) != 0)
            return 0;
        return cvstv::make_work_part_by_name(name);
    });
}

CVSTV_API int kt_ask_attr_part_sequence(const char *title, char *part_name) noexcept
{
    return cvstv::guarded("kt_ask_attr_part_sequence", -1, [&]() -> int {
        if (!title || !part_name)
            return -1;
        std::string found;
        if (tag_t work_occ = HX_ASSEM_ask_work_occurrence()) {
            if (search_below(work_occ, title, found)) {
                cvstv::copy_bounded(part_name, KT_NAME_BUFFER_SIZE, found);
                return 0;
            }
            tag_t parent = HX_ASSEM_ask_parent_of_instance(HX_ASSEM_ask_inst_of_part_occ(work_occ));
            std::string full = parent ? cvstv::part_full_name(parent) : std::string();
            std::string text;
            if (!full.empty() && cvstv::part_attribute_text(full.c_str(), title, text) == 0) {
                cvstv::copy_bounded(part_name, KT_NAME_BUFFER_SIZE, full);
                return 0;
            }
        }
        if (cvstv::find_attr_part(title, &found, nullptr) != 0)
            return -1;
        cvstv::copy_bounded(part_name, KT_NAME_BUFFER_SIZE, found);
        return 0;
    });
}

CVSTV_API int kt_ask_proj_unit(void) noexcept
{
    return cvstv::guarded("kt_ask_proj_unit", -1, []() -> int {
        tag_t display = HX_PART_ask_display_part();
        int units = 0;
        if (display == 0 || HX_PART_ask_units(display, &units) != 0)
            return -1;
        return units;
    });
}

CVSTV_API int kt_ask_work_part_name(char *name) noexcept
{
    return cvstv::guarded("kt_ask_work_part_name", -1, [&]() -> int {
        if (!name)
            return -1;
        tag_t work = HX_ASSEM_ask_work_part();
        if (work == 0)
            return -1;
        cvstv::copy_bounded(name, KT_NAME_BUFFER_SIZE, cvstv::bare_part_name(cvstv::part_full_name(work)));
        return 0;
    });
}

CVSTV_API int kt_ask_project_path(char *directory, char *project_name) noexcept
{
    return cvstv::guarded("kt_ask_project_path", -1, [&]() -> int {
        int wizard = CVSTWSHARE_get_wizard_type();
        std::string file, project;
        if (wizard == 1 || wizard == 2) {
            if (int s = cvstv::find_attr_part(wizard == 1 ? "KT_PROJECT" : "STV_PROJECT", &file, &project))
                return s;
        } else {
            char name[HX_MAX_FSPEC_SIZE + 1] = "";
            if (int s = HX_PART_ask_part_name(HX_PART_ask_display_part(), name))
                return s;
            file = name;
            project = cvstv::bare_part_name(file);
        }
        if (directory)
            cvstv::copy_bounded(directory, KT_NAME_BUFFER_SIZE, cvstv::spec_directory(file));
        if (project_name)
            cvstv::copy_bounded(project_name, KT_NAME_BUFFER_SIZE, project);
        return 0;
    });
}

} // extern "C"
