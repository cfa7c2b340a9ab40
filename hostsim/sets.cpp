// Reference sets and groups of the headless host's parts (hx_assem.h): named
// objects of a part whose members are objects and, for reference sets,
// components of that part; the setup API of vexahost/assemblies.h for them.
#include "model.h"
#include "session_state.h"

#include "../src/host/hx_assem.h"

#include <algorithm>
#include <cstring>

using vexa::sim::component_instance;
using vexa::sim::hand_out_tags;
using vexa::sim::host_call;
using vexa::sim::Instance;
using vexa::sim::member_of_part;
using vexa::sim::ModelObject;
using vexa::sim::Part;
using vexa::sim::refset_named;
using vexa::sim::tag_t;

namespace {

// The reference-set members of a part as the host answers them: objects as
// they are, components as their occurrences below the part's root.
std::vector<tag_t> answered_members(const ModelObject &refset)
{
    std::vector<tag_t> out;
    Part *part = vexa::sim::find_part(refset.part);
    for (tag_t member : refset.members) {
        if (vexa::sim::find_model_object(member)) {
            out.push_back(member);
        } else if (Instance *i = vexa::sim::find_instance(member); i && part) {
            for (tag_t occ : vexa::sim::child_occurrences(vexa::sim::root_occurrence_of(*part)))
                if (vexa::sim::find_occurrence(occ)->instance == i->tag)
                    out.push_back(occ);
        }
    }
    return out;
}

// The reference set and its part for a change of its members; 0, or the
// status that refuses the change.
int member_edit(tag_t refset, int count, const tag_t *members, ModelObject *&r, Part *&p)
{
    if (count < 0 || (count > 0 && !members))
        return HX_ERR_BAD_ARGUMENT;
    r = vexa::sim::find_model_object(refset);
    p = r ? vexa::sim::find_part(r->part) : nullptr;
    return r && r->type == HX_TYPE_REFERENCE_SET && p ? HX_OK : HX_ERR_NOT_FOUND;
}

} // namespace

namespace vexa::sim {

tag_t create_reference_set(tag_t part, const std::string &name, const std::vector<tag_t> &members)
{
    Part *p = find_part(part);
    if (!p)
        return 0;
    ModelObject &r = new_model_object(*p, HX_TYPE_REFERENCE_SET, 0);
    r.name = name;
    for (tag_t m : members)
        if (tag_t member = member_of_part(*p, m))
            r.members.push_back(member);
    return r.tag;
}

std::vector<ReferenceSetInfo> reference_sets(tag_t part)
{
    std::vector<ReferenceSetInfo> out;
    Part *p = find_part(part);
    if (!p)
        return out;
    for (tag_t tag : p->model_objects) {
        ModelObject *r = find_model_object(tag);
        if (!r || r->type != HX_TYPE_REFERENCE_SET)
            continue;
        ReferenceSetInfo info{r->name, {}};
        for (tag_t member : r->members) {
            std::string name;
            int handle = 0;
            if (ModelObject *o = find_model_object(member)) {
                name = o->name;
                handle = o->handle;
            } else if (Instance *i = find_instance(member)) {
                name = i->name;
                handle = i->handle;
            }
            info.members.push_back(name.empty() ? "#" + std::to_string(handle) : name);
        }
        out.push_back(std::move(info));
    }
    return out;
}

} // namespace vexa::sim

extern "C" {

// ---- Reference sets -----------------------------------------------------------------------

HX_API int HX_RSET_create(const char *name, int count, const tag_t *members, tag_t *refset)
{
    return host_call("HX_RSET_create", [&]() -> int {
        if (!name || !*name || !refset || count < 0 || (count > 0 && !members))
            return HX_ERR_BAD_ARGUMENT;
        *refset = 0;
        if (std::strlen(name) > HX_OBJ_NAME_SIZE)
            return HX_ERR_TOO_LONG;
        Part *p = vexa::sim::find_part(vexa::sim::parts_state().work);
        if (!p)
            return HX_ERR_NOT_FOUND;
        if (refset_named(*p, name) || std::strcmp(name, HX_REFSET_NONE) == 0)
            return HX_ERR_EXISTS;
        std::vector<tag_t> kept;
        for (int k = 0; k < count; ++k) {
            tag_t m = member_of_part(*p, members[k]);
            if (!m)
                return HX_ERR_NOT_IN_WORK_PART;
            kept.push_back(m);
        }
        ModelObject &r = vexa::sim::new_model_object(*p, HX_TYPE_REFERENCE_SET, 0);
        r.name = name;
        r.members = kept;
        vexa::sim::mark_modified(p->tag);
        *refset = r.tag;
        return HX_OK;
    });
}

HX_API int HX_RSET_ask_members(tag_t refset, int *count, tag_t **members)
{
    return host_call("HX_RSET_ask_members", [&]() -> int {
        if (!count || !members)
            return HX_ERR_BAD_ARGUMENT;
        *count = 0;
        *members = nullptr;
        ModelObject *r = vexa::sim::find_model_object(refset);
        if (!r || r->type != HX_TYPE_REFERENCE_SET)
            return HX_ERR_NOT_FOUND;
        return hand_out_tags(answered_members(*r), count, members);
    });
}

HX_API int HX_RSET_add_members(tag_t refset, int count, const tag_t *members)
{
    return host_call("HX_RSET_add_members", [&]() -> int {
        ModelObject *r = nullptr;
        Part *p = nullptr;
        if (int status = member_edit(refset, count, members, r, p))
            return status;
        std::vector<tag_t> added;
        for (int k = 0; k < count; ++k) {
            tag_t m = member_of_part(*p, members[k]);
            if (!m)
                return HX_ERR_WRONG_TYPE;
            added.push_back(m);
        }
        for (tag_t m : added)
            if (std::find(r->members.begin(), r->members.end(), m) == r->members.end())
                r->members.push_back(m);
        vexa::sim::mark_modified(p->tag);
        return HX_OK;
    });
}

HX_API int HX_RSET_remove_members(tag_t refset, int count, const tag_t *members)
{
    return host_call("HX_RSET_remove_members", [&]() -> int {
        ModelObject *r = nullptr;
        Part *p = nullptr;
        if (int status = member_edit(refset, count, members, r, p))
            return status;
        for (int k = 0; k < count; ++k) {
            tag_t m = member_of_part(*p, members[k]);
            r->members.erase(std::remove(r->members.begin(), r->members.end(), m), r->members.end());
        }
        vexa::sim::mark_modified(p->tag);
        return HX_OK;
    });
}

HX_API int HX_RSET_ask_refsets_of_object(tag_t object, int *count, tag_t **refsets)
{
    return host_call("HX_RSET_ask_refsets_of_object", [&]() -> int {
        if (!count || !refsets)
            return HX_ERR_BAD_ARGUMENT;
        *count = 0;
        *refsets = nullptr;
        Part *p = vexa::sim::find_part(vexa::sim::owning_part_of(object));
        if (Instance *i = component_instance(object))
            p = vexa::sim::find_part(i->parent);
        tag_t member = p ? member_of_part(*p, object) : 0;
        if (!member)
            return HX_ERR_NOT_FOUND;
        std::vector<tag_t> found;
        for (tag_t tag : p->model_objects)
            if (ModelObject *r = vexa::sim::find_model_object(tag); r && r->type == HX_TYPE_REFERENCE_SET)
                if (std::find(r->members.begin(), r->members.end(), member) != r->members.end())
                    found.push_back(tag);
        return hand_out_tags(found, count, refsets);
    });
}

// ---- Groups -------------------------------------------------------------------------------

HX_API int HX_GROUP_create(const char *name, int count, const tag_t *members, tag_t *group)
{
    return host_call("HX_GROUP_create", [&]() -> int {
        if (!name || !group || count < 0 || (count > 0 && !members))
            return HX_ERR_BAD_ARGUMENT;
        *group = 0;
        if (std::strlen(name) > HX_OBJ_NAME_SIZE)
            return HX_ERR_TOO_LONG;
        Part *p = vexa::sim::find_part(vexa::sim::parts_state().work);
        if (!p)
            return HX_ERR_NOT_FOUND;
        std::vector<tag_t> kept;
        for (int k = 0; k < count; ++k) {
            ModelObject *m = vexa::sim::find_model_object(members[k]);
            if (!m || m->part != p->tag)
                return HX_ERR_NOT_IN_WORK_PART;
            kept.push_back(members[k]);
        }
        ModelObject &g = vexa::sim::new_model_object(*p, HX_TYPE_GROUP, 0);
        g.name = name;
        g.members = kept;
        vexa::sim::mark_modified(p->tag);
        *group = g.tag;
        return HX_OK;
    });
}

HX_API int HX_GROUP_ask_group_of_tag(tag_t object, tag_t *group)
{
    return host_call("HX_GROUP_ask_group_of_tag", [&]() -> int {
        if (!group)
            return HX_ERR_BAD_ARGUMENT;
        *group = 0;
        ModelObject *o = vexa::sim::find_model_object(object);
        Part *p = o ? vexa::sim::find_part(o->part) : nullptr;
        if (!p)
            return HX_ERR_NOT_FOUND;
        for (tag_t tag : p->model_objects)
            if (ModelObject *g = vexa::sim::find_model_object(tag); g && g->type == HX_TYPE_GROUP)
                if (std::find(g->members.begin(), g->members.end(), object) != g->members.end()) {
                    *group = tag;
                    break;
                }
        return HX_OK;
    });
}

} // extern "C"
