// Parts and model objects of the headless host (model.h): the session's
// loaded parts, work and displayed part, names and units, model objects
// with their type, name, layer, colour and highlight; the setup API of
// vexahost/parts.h and the host calls of hx_parts.h and hx_objects.h.
#include "model.h"
#include "session_state.h"

#include "hx_objects.h"
#include "hx_parts.h"

#include <algorithm>
#include <cstring>

using vexa::sim::copy_out;
using vexa::sim::Expression;
using vexa::sim::host_call;
using vexa::sim::host_value_call;
using vexa::sim::Instance;
using vexa::sim::ModelObject;
using vexa::sim::Occurrence;
using vexa::sim::Part;
using vexa::sim::tag_t;

namespace {

vexa::sim::AreaState<vexa::sim::PartsState> parts{"parts"};

bool is_separator(char c)
{
    return c == '\\' || c == '/';
}

template <class T> void erase_value(std::vector<T> &list, const T &value)
{
    list.erase(std::remove(list.begin(), list.end(), value), list.end());
}

// Removes an object from the lists that refer to it within its part.
void forget_object(Part &part, tag_t tag)
{
    erase_value(part.model_objects, tag);
    erase_value(part.features, tag);
    for (tag_t other : part.model_objects)
        if (ModelObject *o = vexa::sim::find_model_object(other)) {
            erase_value(o->members, tag);
            erase_value(o->faces, tag);
            erase_value(o->bodies, tag);
        }
}

// Deletes a model object with what depends on it (a body's faces and edges).
void delete_model_object(ModelObject &object)
{
    Part *part = vexa::sim::find_part(object.part);
    std::vector<tag_t> doomed{object.tag};
    if (part && object.type == HX_TYPE_SOLID && object.subtype == HX_SUBTYPE_SOLID_BODY)
        for (tag_t other : part->model_objects)
            if (ModelObject *o = vexa::sim::find_model_object(other); o && o->body == object.tag)
                doomed.push_back(other);
    for (tag_t tag : doomed) {
        if (part)
            forget_object(*part, tag);
        vexa::sim::objects().erase(tag);
    }
}

void delete_instance(Instance &instance)
{
    if (Part *part = vexa::sim::find_part(instance.parent)) {
        erase_value(part->instances, instance.tag);
        forget_object(*part, instance.tag);
    }
    vexa::sim::objects().erase(instance.tag);
}

} // namespace

namespace vexa::sim {

int copy_out(const std::string &text, char *buffer, std::size_t capacity)
{
    if (text.size() > capacity) {
        buffer[0] = '\0';
        return HX_ERR_TOO_LONG;
    }
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return HX_OK;
}

PartsState &parts_state()
{
    return parts.get();
}

std::vector<Part *> loaded_parts_in_order()
{
    std::vector<Part *> out;
    for (tag_t tag : parts->load_order)
        if (Part *p = find_part(tag))
            out.push_back(p);
    return out;
}

Part *find_part(tag_t part)
{
    return objects().find<Part>(part);
}
ModelObject *find_model_object(tag_t object)
{
    return objects().find<ModelObject>(object);
}
Expression *find_expression(tag_t expression)
{
    return objects().find<Expression>(expression);
}
Instance *find_instance(tag_t instance)
{
    return objects().find<Instance>(instance);
}
Occurrence *find_occurrence(tag_t occurrence)
{
    return objects().find<Occurrence>(occurrence);
}

std::string leaf_name(const std::string &full_name)
{
    auto cut = full_name.find_last_of("\\/");
    return cut == std::string::npos ? full_name : full_name.substr(cut + 1);
}

std::string short_name(const std::string &full_name)
{
    std::string leaf = leaf_name(full_name);
    if (leaf.size() > 4 && leaf.compare(leaf.size() - 4, 4, ".prt") == 0)
        leaf.resize(leaf.size() - 4);
    return leaf;
}

std::string directory_of(const std::string &full_name)
{
    auto cut = full_name.find_last_of("\\/");
    return cut == std::string::npos ? std::string() : full_name.substr(0, cut);
}

std::string resolve_part_file(const std::string &holder, const std::string &stored)
{
    if (stored.empty() || stored.find_first_of("\\/") != std::string::npos || is_pdm_name(stored))
        return stored;
    std::string dir = directory_of(holder);
    if (dir.empty() && !holder.empty() && is_separator(holder[0]))
        dir = std::string(1, holder[0]);
    else if (dir.empty())
        dir = parts->default_directory;
    if (dir.empty())
        return stored;
    // Joined with the separator the holder's name (else the directory) uses.
    auto last = holder.find_last_of("\\/");
    if (last == std::string::npos && dir.find_last_of("\\/") != std::string::npos)
        return is_separator(dir.back()) ? dir + stored : dir + dir[dir.find_last_of("\\/")] + stored;
    char separator = last == std::string::npos ? '\\' : holder[last];
    return is_separator(dir.back()) ? dir + stored : dir + separator + stored;
}

Part *loaded_part_named(const std::string &given)
{
    if (given.empty())
        return nullptr;
    std::string name = loaded_name_of(given);
    auto loaded = loaded_parts_in_order();
    for (Part *p : loaded)
        if (same_part_name(p->name, name))
            return p;
    if (name.find_first_of("\\/") != std::string::npos || is_pdm_name(name))
        return nullptr;
    for (Part *p : loaded)
        if (leaf_name(p->name) == name || short_name(p->name) == name || pdm_number_of(p->name) == name)
            return p;
    return nullptr;
}

Part &new_part(const std::string &name, int units)
{
    Part &part = objects().create<Part>();
    part.name = name;
    part.units = units == units_english ? units_english : units_metric;
    parts->load_order.push_back(part.tag);
    if (parts->display == 0)
        parts->display = part.tag;
    if (parts->work == 0)
        parts->work = part.tag;
    return part;
}

ModelObject &new_model_object(Part &part, int type, int subtype)
{
    ModelObject &o = objects().create<ModelObject>();
    o.type = type;
    o.subtype = subtype;
    o.part = part.tag;
    o.handle = part.next_handle++;
    part.model_objects.push_back(o.tag);
    return o;
}

Instance &new_instance(Part &parent)
{
    Instance &instance = objects().create<Instance>();
    instance.parent = parent.tag;
    instance.handle = parent.next_handle++;
    parent.instances.push_back(instance.tag);
    return instance;
}

void mark_modified(tag_t part)
{
    if (Part *p = find_part(part))
        p->modified = true;
}

void unload_part(tag_t tag)
{
    Part *part = find_part(tag);
    if (!part)
        return;
    std::vector<tag_t> owned = part->expressions;
    owned.insert(owned.end(), part->model_objects.begin(), part->model_objects.end());
    owned.insert(owned.end(), part->instances.begin(), part->instances.end());
    for (tag_t t : owned)
        objects().erase(t);
    // Occurrences of its tree, transforms and datasets it owns.
    std::vector<tag_t> doomed;
    for (Occurrence *o : objects().all<Occurrence>())
        if (o->root_part == tag)
            doomed.push_back(o->tag);
    for (Xform *x : objects().all<Xform>())
        if (x->part == tag)
            doomed.push_back(x->tag);
    for (ClearanceSet *c : objects().all<ClearanceSet>())
        if (c->part == tag)
            doomed.push_back(c->tag);
    for (tag_t t : doomed)
        objects().erase(t);
    erase_value(parts->load_order, tag);
    objects().erase(tag);
    if (parts->display == tag || !find_part(parts->display)) {
        parts->display = 0;
        parts->work_occurrence = 0;
    }
    if (parts->work == tag || !find_part(parts->work)) {
        parts->work = parts->display;
        parts->work_occurrence = 0;
    }
    if (!find_occurrence(parts->work_occurrence))
        parts->work_occurrence = 0;
}

tag_t owning_part_of(tag_t object)
{
    HostObject *o = objects().find_any(object);
    if (!o)
        return 0;
    switch (o->kind) {
    case ObjectKind::part: return object;
    case ObjectKind::model_object: return static_cast<ModelObject *>(o)->part;
    case ObjectKind::expression: return static_cast<Expression *>(o)->part;
    case ObjectKind::instance: return static_cast<Instance *>(o)->parent;
    case ObjectKind::occurrence: return static_cast<Occurrence *>(o)->root_part;
    case ObjectKind::xform: return static_cast<Xform *>(o)->part;
    case ObjectKind::clearance_set: return static_cast<ClearanceSet *>(o)->part;
    default: return 0;
    }
}

std::string part_model_fail_text(int status)
{
    switch (status) {
    case HX_ERR_PART_FILE: return "File is not a readable part file";
    case HX_ERR_PART_VERSION: return "Part file of a format version this host does not read";
    case HX_ERR_CYCLE: return "A part would contain itself, or expressions refer to each other in a circle";
    case HX_ERR_EXPRESSION: return "Expression is malformed or names what does not exist";
    case HX_ERR_UPDATE: return "Feature failed to update";
    case HX_ERR_NOT_IN_WORK_PART: return "Object is not in the work part";
    case HX_ERR_EXISTS: return "An object of that name exists already";
    case HX_ERR_NOT_FULLY_LOADED: return "Part is loaded partially";
    case HX_ERR_LINK_BROKEN: return "The object a linked feature links to no longer exists";
    case HX_ERR_PDM: return "The PDM manager refused the request";
    default: return {};
    }
}

// ---- Setup API -----------------------------------------------------------------

tag_t create_part(const std::string &name, int units)
{
    return new_part(name, units).tag;
}

void set_work_part(tag_t part)
{
    parts->work = find_part(part) ? part : 0;
    parts->work_occurrence = 0;
}
void set_display_part(tag_t part)
{
    parts->display = find_part(part) ? part : 0;
}
tag_t work_part()
{
    return parts->work;
}
tag_t display_part()
{
    return parts->display;
}

std::vector<tag_t> loaded_parts()
{
    std::vector<tag_t> out;
    for (Part *p : loaded_parts_in_order())
        out.push_back(p->tag);
    return out;
}

std::string part_name(tag_t part)
{
    Part *p = find_part(part);
    return p ? p->name : std::string();
}

void set_fully_loaded(tag_t part, bool fully)
{
    if (Part *p = find_part(part))
        p->fully_loaded = fully;
}

tag_t create_object(tag_t part, int type, int subtype, const std::string &name)
{
    Part *p = find_part(part);
    if (!p)
        return 0;
    ModelObject &o = new_model_object(*p, type, subtype);
    o.name = name;
    return o.tag;
}

tag_t create_occurrence(tag_t part, tag_t prototype)
{
    Part *p = find_part(part);
    const ModelObject *proto = find_model_object(prototype);
    if (!p || !proto)
        return 0;
    // Objects of the table do not move when others are added.
    ModelObject &o = new_model_object(*p, proto->type, proto->subtype);
    o.name = proto->name;
    o.layer = proto->layer;
    o.colour = proto->colour;
    o.geometry = proto->geometry;
    o.body_type = proto->body_type;
    o.feature_type = proto->feature_type;
    o.faces = proto->faces;
    o.prototype = prototype;
    return o.tag;
}

tag_t create_feature(tag_t part, const std::string &feature_type, const std::string &name,
                     const std::vector<tag_t> &faces)
{
    tag_t tag = create_object(part, HX_TYPE_FEATURE, 0, name);
    if (ModelObject *f = find_model_object(tag)) {
        f->feature_type = feature_type;
        f->faces = faces;
        find_part(part)->features.push_back(tag);
    }
    return tag;
}

tag_t create_body(tag_t part, const Box &box, const std::string &name, int body_type)
{
    tag_t tag = create_object(part, HX_TYPE_SOLID, HX_SUBTYPE_SOLID_BODY, name);
    if (ModelObject *b = find_model_object(tag)) {
        b->geometry.assign(box.begin(), box.end());
        b->body_type = body_type == body_sheet ? body_sheet : body_solid;
    }
    return tag;
}

tag_t create_face(tag_t body, const Box &box, const std::string &name)
{
    ModelObject *b = find_model_object(body);
    if (!b || b->type != HX_TYPE_SOLID || b->subtype != HX_SUBTYPE_SOLID_BODY)
        return 0;
    tag_t tag = create_object(b->part, HX_TYPE_SOLID, HX_SUBTYPE_SOLID_FACE, name);
    ModelObject *f = find_model_object(tag);
    f->geometry.assign(box.begin(), box.end());
    f->body = body;
    return tag;
}

tag_t create_csys(tag_t part, const std::array<double, 9> &frame, const std::string &name)
{
    tag_t tag = create_object(part, HX_TYPE_CSYS, 0, name);
    if (ModelObject *c = find_model_object(tag))
        c->geometry.assign(frame.begin(), frame.end());
    return tag;
}

tag_t create_group(tag_t part, const std::string &name, const std::vector<tag_t> &members)
{
    tag_t tag = create_object(part, HX_TYPE_GROUP, 0, name);
    if (ModelObject *g = find_model_object(tag))
        g->members = members;
    return tag;
}

void set_feature_bodies(tag_t feature, const std::vector<tag_t> &bodies)
{
    if (ModelObject *f = find_model_object(feature); f && f->type == HX_TYPE_FEATURE)
        f->bodies = bodies;
}

void fail_feature_update(tag_t feature, int status)
{
    if (ModelObject *f = find_model_object(feature); f && f->type == HX_TYPE_FEATURE)
        f->update_fault = status;
}

bool object_info(tag_t object, ObjectInfo &info)
{
    const ModelObject *o = find_model_object(object);
    if (!o)
        return false;
    info = ObjectInfo{};
    info.type = o->type;
    info.subtype = o->subtype;
    info.part = o->part;
    info.name = o->name;
    info.layer = o->layer;
    info.colour = o->colour;
    info.highlighted = o->highlighted;
    info.geometry = o->geometry;
    info.suppressed = o->suppressed;
    return true;
}

} // namespace vexa::sim

namespace {

// Type and subtype of any tag the host answers for.
bool type_of(tag_t tag, int &type, int &subtype)
{
    using namespace vexa::sim;
    HostObject *o = objects().find_any(tag);
    if (!o)
        return false;
    switch (o->kind) {
    case ObjectKind::model_object:
        type = static_cast<ModelObject *>(o)->type;
        subtype = static_cast<ModelObject *>(o)->subtype;
        return true;
    case ObjectKind::part:
        type = HX_TYPE_PART;
        subtype = 0;
        return true;
    case ObjectKind::instance:
        type = HX_TYPE_COMPONENT;
        subtype = HX_SUBTYPE_INSTANCE;
        return true;
    case ObjectKind::occurrence: {
        auto *occ = static_cast<Occurrence *>(o);
        if (occ->object)
            return type_of(occ->object, type, subtype);
        type = HX_TYPE_COMPONENT;
        subtype = HX_SUBTYPE_PART_OCCURRENCE;
        return true;
    }
    default: return false;
    }
}

// The name of any named tag.
bool name_of(tag_t tag, std::string &name)
{
    using namespace vexa::sim;
    if (ModelObject *o = find_model_object(tag)) {
        name = o->name;
        return true;
    }
    if (Instance *i = find_instance(tag)) {
        name = i->name;
        return true;
    }
    if (Occurrence *occ = find_occurrence(tag)) {
        if (occ->object)
            return name_of(occ->object, name);
        if (Instance *i = find_instance(occ->instance))
            name = i->name;
        else if (Part *p = find_part(occ->root_part))
            name = short_name(p->name);
        return true;
    }
    return false;
}

} // namespace

extern "C" {

// ---- Parts ---------------------------------------------------------------------

HX_API tag_t HX_ASSEM_ask_work_part(void)
{
    return host_value_call("HX_ASSEM_ask_work_part", tag_t{0}, [] { return parts->work; });
}

HX_API int HX_ASSEM_set_work_part(tag_t part)
{
    return host_call("HX_ASSEM_set_work_part", [&]() -> int {
        if (!vexa::sim::find_part(part))
            return HX_ERR_NOT_FOUND;
        parts->work = part;
        // The work occurrence: the part's first occurrence in the displayed
        // assembly; none when the part is the displayed part or not in it.
        parts->work_occurrence = 0;
        if (part != parts->display)
            if (Part *display = vexa::sim::find_part(parts->display)) {
                auto occs =
                    vexa::sim::occurrences_of_part_below(vexa::sim::root_occurrence_of(*display), part);
                if (!occs.empty())
                    parts->work_occurrence = occs.front();
            }
        return HX_OK;
    });
}

HX_API tag_t HX_PART_ask_display_part(void)
{
    return host_value_call("HX_PART_ask_display_part", tag_t{0}, [] { return parts->display; });
}

HX_API int HX_PART_set_display_part(tag_t part)
{
    return host_call("HX_PART_set_display_part", [&]() -> int {
        if (!vexa::sim::find_part(part))
            return HX_ERR_NOT_FOUND;
        parts->display = part;
        parts->work = part;
        parts->work_occurrence = 0;
        return HX_OK;
    });
}

HX_API int HX_PART_ask_num_parts(void)
{
    return host_value_call("HX_PART_ask_num_parts", 0,
                           [] { return static_cast<int>(vexa::sim::loaded_parts_in_order().size()); });
}

HX_API tag_t HX_PART_ask_nth_part(int index)
{
    return host_value_call("HX_PART_ask_nth_part", tag_t{0}, [&]() -> tag_t {
        auto loaded = vexa::sim::loaded_parts_in_order();
        if (index < 0 || static_cast<std::size_t>(index) >= loaded.size())
            return 0;
        return loaded[static_cast<std::size_t>(index)]->tag;
    });
}

HX_API tag_t HX_PART_ask_part_tag(const char *name)
{
    return host_value_call("HX_PART_ask_part_tag", tag_t{0}, [&]() -> tag_t {
        Part *p = name ? vexa::sim::loaded_part_named(name) : nullptr;
        return p ? p->tag : 0;
    });
}

HX_API int HX_PART_ask_part_name(tag_t part, char name[HX_MAX_FSPEC_SIZE + 1])
{
    return host_call("HX_PART_ask_part_name", [&]() -> int {
        if (!name)
            return HX_ERR_BAD_ARGUMENT;
        name[0] = '\0';
        Part *p = vexa::sim::find_part(part);
        if (!p)
            return HX_ERR_NOT_FOUND;
        return copy_out(p->name, name, HX_MAX_FSPEC_SIZE);
    });
}

HX_API int HX_PART_ask_units(tag_t part, int *units)
{
    return host_call("HX_PART_ask_units", [&]() -> int {
        if (!units)
            return HX_ERR_BAD_ARGUMENT;
        Part *p = vexa::sim::find_part(part);
        if (!p)
            return HX_ERR_NOT_FOUND;
        *units = p->units;
        return HX_OK;
    });
}

HX_API int HX_PART_is_fully_loaded(tag_t part, int *fully)
{
    return host_call("HX_PART_is_fully_loaded", [&]() -> int {
        if (!fully)
            return HX_ERR_BAD_ARGUMENT;
        Part *p = vexa::sim::find_part(part);
        if (!p)
            return HX_ERR_NOT_FOUND;
        *fully = p->fully_loaded ? 1 : 0;
        return HX_OK;
    });
}

HX_API int HX_PART_load_fully(tag_t part)
{
    return host_call("HX_PART_load_fully", [&]() -> int {
        Part *p = vexa::sim::find_part(part);
        if (!p)
            return HX_ERR_NOT_FOUND;
        p->fully_loaded = true;
        return HX_OK;
    });
}

HX_API int HX_PART_ask_default_directory(char directory[HX_MAX_FSPEC_SIZE + 1])
{
    return host_call("HX_PART_ask_default_directory", [&]() -> int {
        if (!directory)
            return HX_ERR_BAD_ARGUMENT;
        return copy_out(parts->default_directory, directory, HX_MAX_FSPEC_SIZE);
    });
}

HX_API int HX_PART_set_default_directory(const char *directory)
{
    return host_call("HX_PART_set_default_directory", [&]() -> int {
        if (!directory)
            return HX_ERR_BAD_ARGUMENT;
        if (std::strlen(directory) > HX_MAX_FSPEC_SIZE)
            return HX_ERR_TOO_LONG;
        parts->default_directory = directory;
        return HX_OK;
    });
}

HX_API int HX_DISP_set_display(int on)
{
    return host_call("HX_DISP_set_display", [&]() -> int {
        parts->display_on = on != 0;
        return HX_OK;
    });
}

HX_API int HX_DISP_ask_display(int *on)
{
    return host_call("HX_DISP_ask_display", [&]() -> int {
        if (!on)
            return HX_ERR_BAD_ARGUMENT;
        *on = parts->display_on ? 1 : 0;
        return HX_OK;
    });
}

// ---- Model objects ---------------------------------------------------------------

HX_API int HX_OBJ_ask_type_and_subtype(tag_t object, int *type, int *subtype)
{
    return host_call("HX_OBJ_ask_type_and_subtype", [&]() -> int {
        if (!type || !subtype)
            return HX_ERR_BAD_ARGUMENT;
        return type_of(object, *type, *subtype) ? HX_OK : HX_ERR_NOT_FOUND;
    });
}

HX_API int HX_OBJ_ask_owning_part(tag_t object, tag_t *part)
{
    return host_call("HX_OBJ_ask_owning_part", [&]() -> int {
        if (!part)
            return HX_ERR_BAD_ARGUMENT;
        *part = vexa::sim::owning_part_of(object);
        return *part ? HX_OK : HX_ERR_NOT_FOUND;
    });
}

HX_API int HX_OBJ_ask_name(tag_t object, char name[HX_OBJ_NAME_SIZE + 1])
{
    return host_call("HX_OBJ_ask_name", [&]() -> int {
        if (!name)
            return HX_ERR_BAD_ARGUMENT;
        name[0] = '\0';
        std::string text;
        if (!name_of(object, text))
            return HX_ERR_NOT_FOUND;
        return copy_out(text, name, HX_OBJ_NAME_SIZE);
    });
}

HX_API int HX_OBJ_set_name(tag_t object, const char *name)
{
    return host_call("HX_OBJ_set_name", [&]() -> int {
        if (!name)
            return HX_ERR_BAD_ARGUMENT;
        if (std::strlen(name) > HX_OBJ_NAME_SIZE)
            return HX_ERR_TOO_LONG;
        if (ModelObject *o = vexa::sim::find_model_object(object)) {
            o->name = name;
            vexa::sim::mark_modified(o->part);
            return HX_OK;
        }
        if (Instance *i = vexa::sim::find_instance(object)) {
            i->name = name;
            vexa::sim::mark_modified(i->parent);
            return HX_OK;
        }
        return HX_ERR_NOT_FOUND;
    });
}

HX_API int HX_OBJ_ask_layer(tag_t object, int *layer)
{
    return host_call("HX_OBJ_ask_layer", [&]() -> int {
        if (!layer)
            return HX_ERR_BAD_ARGUMENT;
        ModelObject *o = vexa::sim::find_model_object(object);
        if (!o)
            return HX_ERR_NOT_FOUND;
        *layer = o->layer;
        return HX_OK;
    });
}

HX_API int HX_OBJ_set_layer(tag_t object, int layer)
{
    return host_call("HX_OBJ_set_layer", [&]() -> int {
        if (layer < 1 || layer > 256)
            return HX_ERR_BAD_ARGUMENT;
        ModelObject *o = vexa::sim::find_model_object(object);
        if (!o)
            return HX_ERR_NOT_FOUND;
        o->layer = layer;
        return HX_OK;
    });
}

HX_API int HX_OBJ_set_color(tag_t object, int colour)
{
    return host_call("HX_OBJ_set_color", [&]() -> int {
        if (colour < 0)
            return HX_ERR_BAD_ARGUMENT;
        ModelObject *o = vexa::sim::find_model_object(object);
        if (!o)
            return HX_ERR_NOT_FOUND;
        o->colour = colour;
        return HX_OK;
    });
}

HX_API int HX_OBJ_set_highlight(tag_t object, int on)
{
    return host_call("HX_OBJ_set_highlight", [&]() -> int {
        ModelObject *o = vexa::sim::find_model_object(object);
        if (!o)
            return HX_ERR_NOT_FOUND;
        o->highlighted = on != 0;
        return HX_OK;
    });
}

HX_API int HX_OBJ_cycle_objs_in_part(tag_t part, int type, tag_t *object)
{
    return host_call("HX_OBJ_cycle_objs_in_part", [&]() -> int {
        if (!object)
            return HX_ERR_BAD_ARGUMENT;
        Part *p = vexa::sim::find_part(part);
        if (!p) {
            *object = 0;
            return HX_ERR_NOT_FOUND;
        }
        const auto &list = p->model_objects;
        auto it = list.begin();
        if (*object != 0) {
            it = std::find(list.begin(), list.end(), *object);
            if (it == list.end()) {
                *object = 0;
                return HX_ERR_NOT_FOUND;
            }
            ++it;
        }
        for (; it != list.end(); ++it) {
            ModelObject *o = vexa::sim::find_model_object(*it);
            if (o && (type == 0 || o->type == type)) {
                *object = o->tag;
                return HX_OK;
            }
        }
        *object = 0;
        return HX_OK;
    });
}

HX_API int HX_OBJ_delete(tag_t object)
{
    return host_call("HX_OBJ_delete", [&]() -> int {
        if (ModelObject *o = vexa::sim::find_model_object(object)) {
            tag_t part = o->part;
            delete_model_object(*o);
            vexa::sim::mark_modified(part);
            return HX_OK;
        }
        if (Instance *i = vexa::sim::find_instance(object)) {
            tag_t part = i->parent;
            delete_instance(*i);
            vexa::sim::mark_modified(part);
            return HX_OK;
        }
        return HX_ERR_NOT_FOUND;
    });
}

} // extern "C"
