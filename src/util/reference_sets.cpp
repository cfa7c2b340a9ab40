// Reference-set queries and the replacement of a component's reference
// set.
//
// Replacing works in the component's parent: the parent occurrence becomes
// the work occurrence (the parent part the work part when that is refused),
// or, for the mould-design form when the parent's units differ from the
// project's, the parent becomes the displayed part with the display
// switched off around the change. Everything changed is restored by one
// scope guard before returning.
#include "cvstvshare/assembly.h"
#include "cvstvshare/part_attributes.h"
#include "util/boundary.h"
#include "util/host_state.h"
#include "util/part_query.h"
#include "util/text_buffer.h"

#include "hx_assem.h"
#include "hx_memory.h"
#include "hx_objects.h"
#include "hx_parts.h"

#include <cmath>
#include <cstring>
#include <string>

namespace {

// The first reference set of that name in a part; 0 when none.
tag_t refset_named(tag_t part, const char *name)
{
    tag_t object = 0;
    while (HX_OBJ_cycle_objs_in_part(part, HX_TYPE_REFERENCE_SET, &object) == 0 && object != 0) {
        char found[HX_OBJ_NAME_SIZE + 1] = "";
        if (HX_OBJ_ask_name(object, found) == 0 && std::strcmp(found, name) == 0)
            return object;
    }
    return 0;
}

std::vector<tag_t> members_of(tag_t refset)
{
    int count = 0;
    tag_t *members = nullptr;
    std::vector<tag_t> out;
    if (HX_RSET_ask_members(refset, &count, &members) == 0 && members)
        out.assign(members, members + count);
    HX_free(members);
    return out;
}

bool is_body(tag_t object)
{
    int type = 0, subtype = 0;
    return HX_OBJ_ask_type_and_subtype(object, &type, &subtype) == 0 && type == HX_TYPE_SOLID &&
           subtype == HX_SUBTYPE_SOLID_BODY;
}

bool is_part_occurrence(tag_t tag)
{
    int type = 0, subtype = 0;
    return tag != 0 && HX_ASSEM_is_occurrence(tag) &&
           HX_OBJ_ask_type_and_subtype(tag, &type, &subtype) == 0 && type == HX_TYPE_COMPONENT &&
           subtype == HX_SUBTYPE_PART_OCCURRENCE;
}

enum class Variant { mould_design, progressive_die };

int replace_refset(tag_t occurrence, const char *name, Variant variant)
{
    if (!name || !is_part_occurrence(occurrence))
        return -1;
    tag_t component_part = HX_ASSEM_ask_prototype_of_occ(occurrence);
    if (variant == Variant::mould_design && component_part == 0)
        return -1;
    char current[HX_OBJ_NAME_SIZE + 1] = "";
    std::string now = HX_ASSEM_ask_refset_name(occurrence, current) == 0 ? current : std::string(name) + "1";
    if (now == name || (now == HX_REFSET_NONE && *name == '\0'))
        return 0;

    tag_t work = HX_ASSEM_ask_work_part();
    tag_t display = HX_PART_ask_display_part();
    if (work == 0 || (variant == Variant::mould_design && display == 0))
        return 1;
    tag_t instance = HX_ASSEM_ask_inst_of_part_occ(occurrence);
    HX_ASSEM_component_t data{};
    if (instance == 0 || HX_ASSEM_ask_component_data(instance, &data) != 0 || data.suppressed)
        return 1;
    if (data.suppression_expression != 0) {
        double value = 0;
        if (HX_MODL_ask_exp_value(data.suppression_expression, &value) == 0 && std::fabs(value) < 0.01)
            return 1;
    }
    tag_t parent = HX_ASSEM_ask_parent_of_instance(instance);
    if (parent == 0)
        return 1;

    tag_t parent_occurrence = kt_assem_ask_parent_occ(occurrence);
    cvstv::HostState saved(cvstv::HostState::work_part | cvstv::HostState::display);
    int parent_units = 0;
    bool switch_display = variant == Variant::mould_design && HX_PART_ask_units(parent, &parent_units) == 0 &&
                          parent_units != kt_ask_proj_unit();
    if (switch_display) {
        HX_DISP_set_display(0);
        int s = HX_PART_set_display_part(parent);
        HX_DISP_set_display(1);
        if (s != 0)
            return s;
    } else if (parent_occurrence == 0 || HX_ASSEM_set_work_occurrence(parent_occurrence) != 0) {
        if (parent != HX_ASSEM_ask_work_part() && HX_ASSEM_set_work_part(parent) != 0)
            return -1;
    }

    int status = 0;
    if (*name == '\0' || (component_part != 0 && refset_named(component_part, name) != 0))
        status = HX_ASSEM_replace_refset(1, &occurrence, name);
    int restored = saved.restore();
    return status != 0 ? status : restored;
}

} // namespace

extern "C" {

CVSTV_API int CVSTVSHARE_ask_current_refset(tag_t occurrence, char *name) noexcept
{
    return cvstv::guarded("CVSTVSHARE_ask_current_refset", -1, [&]() -> int {
        if (!name)
            return -1;
        name[0] = '\0';
        if (occurrence == 0 || !HX_ASSEM_is_occurrence(occurrence))
            return -1;
        char found[HX_OBJ_NAME_SIZE + 1] = "";
        int s = HX_ASSEM_ask_refset_name(occurrence, found);
        cvstv::copy_bounded(name, KT_REFSET_NAME_BUFFER_SIZE, found);
        return s;
    });
}

CVSTV_API int CVSTVSHARE_ask_objects_in_refset(const char *refset_name, tag_t part, tag_t **bodies) noexcept
{
    return cvstv::guarded("CVSTVSHARE_ask_objects_in_refset", 0, [&]() -> int {
        if (!bodies)
            return 0;
        *bodies = nullptr;
        tag_t prototype = cvstv::part_of(part);
        tag_t refset = refset_name && prototype ? refset_named(prototype, refset_name) : 0;
        if (refset == 0)
            return 0;
        std::vector<tag_t> found;
        for (tag_t member : members_of(refset))
            if (is_body(member))
                found.push_back(member);
        if (!cvstv::hand_out(found, bodies))
            return 0;
        return static_cast<int>(found.size());
    });
}

CVSTV_API bool CVSTVSHARE_is_object_in_refset(tag_t part, const char *refset_name, tag_t object) noexcept
{
    return cvstv::guarded("CVSTVSHARE_is_object_in_refset", false, [&]() -> bool {
        tag_t prototype = cvstv::part_of(part);
        tag_t refset = refset_name && prototype ? refset_named(prototype, refset_name) : 0;
        if (refset == 0 || object == 0)
            return false;
        for (tag_t member : members_of(refset))
            if (member == object ||
                (HX_ASSEM_is_occurrence(member) && HX_ASSEM_ask_prototype_of_occ(member) == object))
                return true;
        return false;
    });
}

CVSTV_API int CVSTVSHARE_get_bodies_in_true_false_refset(tag_t part, tag_t **true_bodies, int *true_count,
                                                         tag_t **false_bodies, int *false_count) noexcept
{
    return cvstv::guarded("CVSTVSHARE_get_bodies_in_true_false_refset", -1, [&]() -> int {
        if (!true_bodies || !true_count || !false_bodies || !false_count)
            return -1;
        *true_bodies = *false_bodies = nullptr;
        *true_count = *false_count = 0;
        tag_t prototype = cvstv::part_of(part);
        if (prototype == 0)
            return -1;
        std::vector<tag_t> in_true, in_false;
        tag_t object = 0;
        while (HX_OBJ_cycle_objs_in_part(prototype, HX_TYPE_SOLID, &object) == 0 && object != 0) {
            if (!is_body(object))
                continue;
            int count = 0;
            tag_t *refsets = nullptr;
            if (HX_RSET_ask_refsets_of_object(object, &count, &refsets) != 0)
                continue;
            for (int i = 0; i < count; ++i) {
                char name[HX_OBJ_NAME_SIZE + 1] = "";
                if (HX_OBJ_ask_name(refsets[i], name) != 0)
                    continue;
                if (std::strcmp(name, "TRUE") == 0)
                    in_true.push_back(object);
                else if (std::strcmp(name, "FALSE") == 0)
                    in_false.push_back(object);
            }
            HX_free(refsets);
        }
        if (!cvstv::hand_out(in_true, true_bodies))
            return -1;
        if (!cvstv::hand_out(in_false, false_bodies)) {
            HX_free(*true_bodies);
            *true_bodies = nullptr;
            return -1;
        }
        *true_count = static_cast<int>(in_true.size());
        *false_count = static_cast<int>(in_false.size());
        return 0;
    });
}

CVSTV_API int kt_assem_replace_refset(tag_t occurrence, const char *name) noexcept
{
    return cvstv::guarded("kt_assem_replace_refset", -1,
                          [&] { return replace_refset(occurrence, name, Variant::mould_design); });
}

CVSTV_API int kt_assem_replace_refset_STV(tag_t occurrence, const char *name) noexcept
{
    return cvstv::guarded("kt_assem_replace_refset_STV", -1,
                          [&] { return replace_refset(occurrence, name, Variant::progressive_die); });
}

CVSTV_API int CVSTVSHARE_assem_replace_refset(int wizard_type, tag_t occurrence, const char *name) noexcept
{
    return cvstv::guarded("CVSTVSHARE_assem_replace_refset", -1, [&]() -> int {
        return wizard_type == 2 ? kt_assem_replace_refset_STV(occurrence, name)
                                : kt_assem_replace_refset(occurrence, name);
    });
}

} // extern "C"
