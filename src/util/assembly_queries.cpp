// Assembly queries: walks over component occurrences, the occurrences below
// a start, parents, the nearest attributed ancestor, the parts carrying a
// title, short part names, and small pass-throughs to the host (PDM switch,
// undo mark, class test, work text, groups).
//
// Module state: the occurrence collection of kt_ask_child_occ, filled by
// each query and copied out to the caller (at most KT_MAX_CHILD_OCC
// entries); it is emptied by the module-state reset.
#include "cvstvshare/assembly.h"
#include "cvstvshare/part_attributes.h"
#include "util/boundary.h"
#include "util/module_state.h"
#include "util/part_attributes_internal.h"
#include "util/part_query.h"
#include "util/text_buffer.h"

#include "hx_assem.h"
#include "hx_memory.h"
#include "hx_model.h"
#include "hx_parts.h"
#include "hx_pdm.h"

#include <algorithm>

namespace {

std::vector<tag_t> collected_occurrences;
const cvstv::ModuleStateReset collection_reset{[] {
    collected_occurrences.clear();
    collected_occurrences.shrink_to_fit();
}};

constexpr std::size_t max_candidates = 132;

// The part an object belongs to: a part itself, a part occurrence's
// prototype, an object's (or object occurrence's) owning part.
tag_t part_of_object(tag_t object)
{
    if (tag_t part = cvstv::part_of(object))
        return part;
    tag_t owner = 0;
    if (HX_OBJ_ask_owning_part(cvstv::prototype_or_self(object), &owner) != 0)
        return 0;
    return owner;
}

} // namespace

extern "C" {

CVSTV_API void kt_assem_recursive(tag_t occurrence, kt_occurrence_function function) noexcept
{
    cvstv::guarded_void("kt_assem_recursive", [&] {
        if (occurrence == 0 || !function)
            return;
        std::vector<tag_t> stack{occurrence};
        while (!stack.empty()) {
            tag_t occ = stack.back();
            stack.pop_back();
            function(occ);
            auto children = cvstv::child_occurrences(occ);
            stack.insert(stack.end(), children.rbegin(), children.rend());
        }
    });
}

CVSTV_API int kt_ask_child_occ(tag_t occurrence_or_part, const char *part_name, tag_t **occurrences) noexcept
{
    return cvstv::guarded("kt_ask_child_occ", 0, [&]() -> int {
        if (!occurrences)
            return 0;
        *occurrences = nullptr;
        tag_t start = 0;
        if (occurrence_or_part != 0 && HX_ASSEM_is_occurrence(occurrence_or_part)) {
            start = occurrence_or_part;
        } else {
            tag_t part = occurrence_or_part != 0 ? cvstv::part_of(occurrence_or_part)
                                                 : (part_name ? HX_PART_ask_part_tag(part_name) : 0);
            if (part != 0) {
                auto in_display = cvstv::occurrences_in_display(part);
                start = !in_display.empty() ? in_display.front() : HX_ASSEM_ask_root_part_occ(part);
            }
        }
        collected_occurrences = cvstv::occurrence_tree(start, KT_MAX_CHILD_OCC);
        if (!cvstv::hand_out(collected_occurrences, occurrences))
            return 0;
        return static_cast<int>(collected_occurrences.size());
    });
}

CVSTV_API void kt_free_child_occ(tag_t **occurrences) noexcept
{
    cvstv::guarded_void("kt_free_child_occ", [&] {
        if (!occurrences)
            return;
        HX_free(*occurrences);
        *occurrences = nullptr;
    });
}

CVSTV_API tag_t kt_assem_ask_parent_occ(tag_t occurrence) noexcept
{
    return cvstv::guarded("kt_assem_ask_parent_occ", tag_t{0}, [&]() -> tag_t {
        int type = 0, subtype = 0;
        if (occurrence == 0 || !HX_ASSEM_is_occurrence(occurrence) ||
            HX_OBJ_ask_type_and_subtype(occurrence, &type, &subtype) != 0 || type != HX_TYPE_COMPONENT ||
            subtype != HX_SUBTYPE_PART_OCCURRENCE)
            return 0;
        tag_t instance = HX_ASSEM_ask_inst_of_part_occ(occurrence);
        tag_t parent = instance ? HX_ASSEM_ask_parent_of_instance(instance) : 0;
        if (parent == 0 || parent == HX_PART_ask_display_part())
            return 0;
        for (tag_t candidate : cvstv::occurrences_in_display(parent)) {
            auto children = cvstv::child_occurrences(candidate);
            if (std::find(children.begin(), children.end(), occurrence) != children.end())
                return candidate;
        }
        return 0;
    });
}

CVSTV_API tag_t kt_ask_attr_parent(tag_t object, const char *title) noexcept
{
    return cvstv::guarded("kt_ask_attr_parent", tag_t{0}, [&]() -> tag_t {
        if (!title)
            return 0;
        tag_t part = part_of_object(object);
        if (part == 0)
            return 0;
        if (cvstv::string_attribute(part, title))
            return part;
        std::vector<tag_t> candidates;
        std::vector<std::vector<tag_t>> below;
        std::vector<tag_t> seen;
        for (tag_t occ : cvstv::occurrence_tree(HX_ASSEM_ask_root_part_occ(HX_PART_ask_display_part()))) {
            if (candidates.size() >= max_candidates)
                break;
            tag_t p = HX_ASSEM_ask_prototype_of_occ(occ);
            if (p == 0 || std::find(seen.begin(), seen.end(), p) != seen.end())
                continue;
            seen.push_back(p);
            if (!cvstv::string_attribute(p, title))
                continue;
            auto descendants = cvstv::parts_below(p);
            if (!cvstv::sorted_contains(descendants, part))
                continue;
            candidates.push_back(p);
            below.push_back(std::move(descendants));
        }
        tag_t nearest = 0;
        for (std::size_t i = 0; i < candidates.size(); ++i) {
            bool other_below = false;
            for (std::size_t j = 0; j < candidates.size(); ++j)
                other_below = other_below || (j != i && cvstv::sorted_contains(below[i], candidates[j]));
            if (!other_below)
                nearest = candidates[i];
        }
        return nearest;
    });
}

CVSTV_API int kt_get_parts(const char *title, tag_t **parts, int *count) noexcept
{
    return cvstv::guarded("kt_get_parts", -1, [&]() -> int {
        if (!title || !parts || !count)
            return -1;
        *parts = nullptr;
        *count = 0;
        std::vector<tag_t> found;
        for (tag_t part : cvstv::loaded_parts()) {
            std::string full = cvstv::part_full_name(part), text;
            if (!full.empty() && cvstv::part_attribute_text(full.c_str(), title, text) == 0)
                found.push_back(part);
        }
        if (!cvstv::hand_out(found, parts))
            return -1;
        *count = static_cast<int>(found.size());
        return 0;
    });
}

CVSTV_API int kt_ask_part_name(const char *part_name, tag_t part, char *name) noexcept
{
    return cvstv::guarded("kt_ask_part_name", -1, [&]() -> int {
        if (!name)
            return -1;
        name[0] = '\0';
        std::string spec;
        if (part_name) {
            spec = part_name;
        } else {
            tag_t p = part != 0 ? cvstv::part_of(part) : HX_ASSEM_ask_work_part();
            if (p == 0)
                return -1;
            spec = cvstv::part_full_name(p);
        }
        if (cvstv::pdm_active()) {
            char number[HX_PDM_NUMBER_SIZE + 1] = "", revision[HX_PDM_REVISION_SIZE + 1] = "";
            char type[HX_PDM_TYPE_SIZE + 1] = "", file[HX_PDM_FILE_NAME_SIZE + 1] = "";
            int s = HX_KRMGR_decode_part_filename(spec.c_str(), number, revision, type, file);
            cvstv::copy_bounded(name, KT_NAME_BUFFER_SIZE, number);
            return s;
        }
        cvstv::copy_bounded(name, KT_NAME_BUFFER_SIZE, cvstv::bare_part_name(spec));
        return 0;
    });
}

CVSTV_API bool kt_krmgr_is_active(void) noexcept
{
    return cvstv::guarded("kt_krmgr_is_active", false, [] { return cvstv::pdm_active(); });
}

CVSTV_API int kt_set_undo(const char *name) noexcept
{
    return cvstv::guarded("kt_set_undo", 0, [&]() -> int {
        int mark = 0;
        return HX_UNDO_set_mark(HX_UNDO_VISIBLE, name, &mark) == 0 ? mark : 0;
    });
}

CVSTV_API bool OM_is_subclass(int class_code, int superclass_code) noexcept
{
    return cvstv::guarded("OM_is_subclass", false,
                          [&] { return HX_OM_is_subclass(class_code, superclass_code) != 0; });
}

CVSTV_API void CVSTVSHARE_show_work_text(void) noexcept
{
    cvstv::guarded_void("CVSTVSHARE_show_work_text", [] { HX_TOOL_show_work_text(); });
}

CVSTV_API int CVSTVSHARE_is_child_of_work_part(tag_t part) noexcept
{
    return cvstv::guarded("CVSTVSHARE_is_child_of_work_part", 0, [&]() -> int {
        tag_t wanted = cvstv::part_of(part);
        if (wanted == 0)
            return 0;
        if (wanted == HX_ASSEM_ask_work_part())
            return 1;
        tag_t occ = HX_ASSEM_ask_work_occurrence();
        if (occ == 0)
            occ = HX_ASSEM_ask_root_part_occ(HX_PART_ask_display_part());
        int count = 0;
        tag_t *children = nullptr;
        if (occ == 0 || HX_ASSEM_ask_occ_children(occ, HX_ASSEM_IMMEDIATE_CHILDREN, &count, &children) != 0)
            return 0;
        int found = 0;
        for (int i = 0; i < count && !found; ++i)
            found = HX_ASSEM_ask_prototype_of_occ(children[i]) == wanted ? 1 : 0;
        HX_free(children);
        return found;
    });
}

CVSTV_API int cv_group_ask_group_of_tag(tag_t object, tag_t *group) noexcept
{
    return cvstv::guarded("cv_group_ask_group_of_tag", -1, [&]() -> int {
        if (!group)
            return -1;
        *group = 0;
        if (object == 0)
            return -1;
        return HX_GROUP_ask_group_of_tag(object, group);
    });
}

} // extern "C"
