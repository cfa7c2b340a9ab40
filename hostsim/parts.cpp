// Parts and model objects of the headless host (model.h): the setup API of
// vexahost/parts.h and the host calls of hx_parts.h and hx_objects.h.
#include "model.h"
#include "session_state.h"

#include "hx_objects.h"
#include "hx_parts.h"

#include <algorithm>
#include <cstring>

using vexa::sim::Expression;
using vexa::sim::host_call;
using vexa::sim::host_value_call;
using vexa::sim::ModelObject;
using vexa::sim::Part;
using vexa::sim::tag_t;

namespace {

struct PartsState {
    std::vector<tag_t> load_order;
    tag_t work = 0;
    tag_t display = 0;
};

vexa::sim::AreaState<PartsState> parts{"parts"};

// Copies text into a buffer of capacity + 1 bytes; HX_ERR_TOO_LONG (and an
// empty buffer) when it does not fit.
int copy_out(const std::string &text, char *buffer, std::size_t capacity)
{
    if (text.size() > capacity) {
        buffer[0] = '\0';
        return HX_ERR_TOO_LONG;
    }
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return HX_OK;
}

} // namespace

namespace vexa::sim {

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

tag_t create_part(const std::string &name, int units)
{
    Part &part = objects().create<Part>();
    part.name = name;
    part.units = units == units_english ? units_english : units_metric;
    parts->load_order.push_back(part.tag);
    if (parts->work == 0)
        parts->work = part.tag;
    if (parts->display == 0)
        parts->display = part.tag;
    return part.tag;
}

void set_work_part(tag_t part)
{
    parts->work = find_part(part) ? part : 0;
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

tag_t set_expression(tag_t part, const std::string &name, double value)
{
    Part *p = find_part(part);
    if (!p)
        return 0;
    for (tag_t tag : p->expressions) {
        Expression *e = objects().find<Expression>(tag);
        if (e && e->name == name) {
            e->value = value;
            return tag;
        }
    }
    Expression &e = objects().create<Expression>();
    e.part = part;
    e.name = name;
    e.value = value;
    p->expressions.push_back(e.tag);
    return e.tag;
}

ModelObject *new_model_object(tag_t part, int type, int subtype, const std::string &name)
{
    Part *p = find_part(part);
    if (!p)
        return nullptr;
    ModelObject &o = objects().create<ModelObject>();
    o.type = type;
    o.subtype = subtype;
    o.part = part;
    o.name = name;
    p->model_objects.push_back(o.tag);
    return &o;
}

bool delete_model_object(tag_t object)
{
    ModelObject *o = find_model_object(object);
    if (!o)
        return false;
    if (Part *p = find_part(o->part)) {
        std::erase(p->model_objects, object);
        std::erase(p->features, object);
    }
    return objects().erase(object);
}

tag_t create_object(tag_t part, int type, int subtype, const std::string &name)
{
    ModelObject *o = new_model_object(part, type, subtype, name);
    return o ? o->tag : 0;
}

tag_t create_occurrence(tag_t part, tag_t prototype)
{
    // Objects of the table do not move when others are added.
    const ModelObject *proto = find_model_object(prototype);
    ModelObject *o = proto ? new_model_object(part, proto->type, proto->subtype, proto->name) : nullptr;
    if (!o)
        return 0;
    o->layer = proto->layer;
    o->colour = proto->colour;
    o->feature_type = proto->feature_type;
    o->faces = proto->faces;
    o->position = proto->position;
    o->prototype = prototype;
    return o->tag;
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

bool object_info(tag_t object, ObjectInfo &info)
{
    const ModelObject *o = find_model_object(object);
    if (!o)
        return false;
    info = ObjectInfo{o->type,   o->subtype,     o->part,      o->name,    o->layer,
                      o->colour, o->highlighted, o->prototype, o->position};
    return true;
}

} // namespace vexa::sim

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
        if (!name)
            return 0;
        for (Part *p : vexa::sim::loaded_parts_in_order())
            if (p->name == name)
                return p->tag;
        return 0;
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

HX_API int HX_MODL_ask_exp_tag(tag_t part, const char *name, tag_t *expression)
{
    return host_call("HX_MODL_ask_exp_tag", [&]() -> int {
        if (!name || !expression)
            return HX_ERR_BAD_ARGUMENT;
        *expression = 0;
        Part *p = vexa::sim::find_part(part);
        if (!p)
            return HX_ERR_NOT_FOUND;
        for (tag_t tag : p->expressions) {
            Expression *e = vexa::sim::objects().find<Expression>(tag);
            if (e && e->name == name) {
                *expression = tag;
                break;
            }
        }
        return HX_OK;
    });
}

HX_API int HX_MODL_ask_exp_value(tag_t expression, double *value)
{
    return host_call("HX_MODL_ask_exp_value", [&]() -> int {
        if (!value)
            return HX_ERR_BAD_ARGUMENT;
        Expression *e = vexa::sim::objects().find<Expression>(expression);
        if (!e)
            return HX_ERR_NOT_FOUND;
        *value = e->value;
        return HX_OK;
    });
}

// ---- Model objects ---------------------------------------------------------------

HX_API int HX_OBJ_ask_type_and_subtype(tag_t object, int *type, int *subtype)
{
    return host_call("HX_OBJ_ask_type_and_subtype", [&]() -> int {
        if (!type || !subtype)
            return HX_ERR_BAD_ARGUMENT;
        ModelObject *o = vexa::sim::find_model_object(object);
        if (!o)
            return HX_ERR_NOT_FOUND;
        *type = o->type;
        *subtype = o->subtype;
        return HX_OK;
    });
}

HX_API int HX_OBJ_ask_owning_part(tag_t object, tag_t *part)
{
    return host_call("HX_OBJ_ask_owning_part", [&]() -> int {
        if (!part)
            return HX_ERR_BAD_ARGUMENT;
        *part = 0;
        ModelObject *o = vexa::sim::find_model_object(object);
        if (!o)
            return HX_ERR_NOT_FOUND;
        *part = o->part;
        return HX_OK;
    });
}

HX_API int HX_OBJ_ask_name(tag_t object, char name[HX_OBJ_NAME_SIZE + 1])
{
    return host_call("HX_OBJ_ask_name", [&]() -> int {
        if (!name)
            return HX_ERR_BAD_ARGUMENT;
        name[0] = '\0';
        ModelObject *o = vexa::sim::find_model_object(object);
        if (!o)
            return HX_ERR_NOT_FOUND;
        return copy_out(o->name, name, HX_OBJ_NAME_SIZE);
    });
}

HX_API int HX_OBJ_set_name(tag_t object, const char *name)
{
    return host_call("HX_OBJ_set_name", [&]() -> int {
        if (!name)
            return HX_ERR_BAD_ARGUMENT;
        if (std::strlen(name) > HX_OBJ_NAME_SIZE)
            return HX_ERR_TOO_LONG;
        ModelObject *o = vexa::sim::find_model_object(object);
        if (!o)
            return HX_ERR_NOT_FOUND;
        o->name = name;
        return HX_OK;
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

} // extern "C"
