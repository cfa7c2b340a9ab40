// Attributes of the headless host (hx_attr.h): typed title/value pairs on
// any object of the object table, kept in the order they were first
// assigned; a part occurrence's attributes are its component's. The setup
// API of vexahost/assemblies.h (attributes). The attributes of part files
// on disk are read in part_files.cpp.
#include "model.h"
#include "session_state.h"

#include "../src/host/hx_attr.h"
#include "../src/host/hx_memory.h"

#include <cmath>
#include <cstdio>
#include <cstring>

using vexa::sim::Attribute;
using vexa::sim::host_call;
using vexa::sim::HostObject;
using vexa::sim::tag_t;

namespace {

// Well-formed UTF-8: part files hold their texts as UTF-8.
bool valid_utf8(const char *text)
{
    const auto *s = reinterpret_cast<const unsigned char *>(text);
    while (*s) {
        int extra = *s < 0x80 ? 0 : (*s >> 5) == 0x6 ? 1 : (*s >> 4) == 0xE ? 2 : (*s >> 3) == 0x1E ? 3 : -1;
        if (extra < 0 || (extra == 1 && *s < 0xC2))
            return false;
        unsigned int code = extra == 0 ? *s : *s & (0x3F >> extra);
        ++s;
        for (int i = 0; i < extra; ++i, ++s) {
            if ((*s & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (*s & 0x3F);
        }
        if ((extra == 2 && code < 0x800) || (extra == 3 && (code < 0x10000 || code > 0x10FFFF)) ||
            (code >= 0xD800 && code <= 0xDFFF))
            return false;
    }
    return true;
}

Attribute *find_attribute(HostObject &holder, const char *title)
{
    for (Attribute &a : holder.attributes)
        if (a.title == title)
            return &a;
    return nullptr;
}

bool of_type(const Attribute &a, int type)
{
    return type == HX_ATTR_ANY || a.type == type;
}

// Assigns one attribute after the common checks.
int assign(tag_t object, const char *title, Attribute value)
{
    if (!title || !*title)
        return HX_ERR_BAD_ARGUMENT;
    if (std::strlen(title) > HX_ATTR_TITLE_SIZE)
        return HX_ERR_TOO_LONG;
    if (!valid_utf8(title) || (value.type == HX_ATTR_STRING && !valid_utf8(value.text.c_str())))
        return HX_ERR_BAD_ARGUMENT;
    if (value.type == HX_ATTR_STRING && value.text.size() > HX_ATTR_STRING_SIZE)
        return HX_ERR_TOO_LONG;
    HostObject *holder = vexa::sim::attribute_holder(object);
    if (!holder)
        return HX_ERR_NOT_FOUND;
    value.title = title;
    if (Attribute *a = find_attribute(*holder, title))
        *a = std::move(value);
    else
        holder->attributes.push_back(std::move(value));
    vexa::sim::mark_modified(vexa::sim::owning_part_of(holder->tag));
    return HX_OK;
}

// An attribute of a type with its value (the title is set on assignment).
Attribute text_attribute(std::string text)
{
    Attribute a;
    a.type = HX_ATTR_STRING;
    a.text = std::move(text);
    return a;
}
Attribute whole_attribute(int type, long long value)
{
    Attribute a;
    a.type = type;
    a.integer = value;
    return a;
}
Attribute real_attribute(double value)
{
    Attribute a;
    a.type = HX_ATTR_REAL;
    a.real = value;
    return a;
}

// Fills a value record from an attribute; strings are copied to the host
// allocator.
int fill_value(const Attribute &a, HX_ATTR_value_t &value)
{
    value.type = a.type;
    switch (a.type) {
    case HX_ATTR_INTEGER: value.value.integer = static_cast<int>(a.integer); break;
    case HX_ATTR_TIME: value.value.time = static_cast<long>(a.integer); break;
    case HX_ATTR_REAL: value.value.real = a.real; break;
    case HX_ATTR_REFERENCE: value.value.reference = a.reference; break;
    default:
        value.value.string = HX_strdup(a.text.c_str());
        if (!value.value.string) {
            value.type = 0;
            return HX_ERR_NO_MEMORY;
        }
        break;
    }
    return HX_OK;
}

} // namespace

namespace vexa::sim {

HostObject *attribute_holder(tag_t object)
{
    HostObject *o = objects().find_any(object);
    if (!o || o->kind != ObjectKind::occurrence)
        return o;
    auto *occ = static_cast<Occurrence *>(o);
    if (occ->object)
        return objects().find_any(occ->object);
    if (occ->parent)
        return objects().find_any(occ->instance);
    return objects().find_any(occ->root_part);
}

bool set_string_attribute(tag_t object, const std::string &title, const std::string &value)
{
    return assign(object, title.c_str(), text_attribute(value)) == HX_OK;
}

bool set_integer_attribute(tag_t object, const std::string &title, int value)
{
    return assign(object, title.c_str(), whole_attribute(attr_integer, value)) == HX_OK;
}

bool set_real_attribute(tag_t object, const std::string &title, double value)
{
    return std::isfinite(value) && assign(object, title.c_str(), real_attribute(value)) == HX_OK;
}

std::vector<AttributeInfo> attributes_of(tag_t object)
{
    std::vector<AttributeInfo> out;
    HostObject *holder = attribute_holder(object);
    if (!holder)
        return out;
    for (const Attribute &a : holder->attributes) {
        AttributeInfo info{a.title, a.type, {}};
        char text[64];
        switch (a.type) {
        case attr_integer:
        case attr_time: info.text = std::to_string(a.integer); break;
        case attr_real:
            std::snprintf(text, sizeof text, "%.17g", a.real);
            info.text = text;
            break;
        case attr_reference: info.text = std::to_string(a.reference); break;
        default: info.text = a.text; break;
        }
        out.push_back(std::move(info));
    }
    return out;
}

std::vector<AttributeInfo> part_file_attributes(const std::string &name, int &status)
{
    std::vector<AttributeInfo> out;
    int count = 0;
    HX_ATTR_part_attr_t *attributes = nullptr;
    status = HX_ATTR_ask_part_attrs_in_file(name.c_str(), &count, &attributes);
    for (int i = 0; i < count; ++i)
        out.push_back({attributes[i].title, attributes[i].type, attributes[i].value});
    HX_free(attributes);
    return out;
}

} // namespace vexa::sim

extern "C" {

HX_API int HX_ATTR_assign_string(tag_t object, const char *title, const char *value)
{
    return host_call("HX_ATTR_assign_string", [&]() -> int {
        if (!value)
            return HX_ERR_BAD_ARGUMENT;
        return assign(object, title, text_attribute(value));
    });
}

HX_API int HX_ATTR_assign_integer(tag_t object, const char *title, int value)
{
    return host_call("HX_ATTR_assign_integer",
                     [&]() -> int { return assign(object, title, whole_attribute(HX_ATTR_INTEGER, value)); });
}

HX_API int HX_ATTR_assign_real(tag_t object, const char *title, double value)
{
    return host_call("HX_ATTR_assign_real", [&]() -> int {
        if (!std::isfinite(value))
            return HX_ERR_BAD_ARGUMENT;
        return assign(object, title, real_attribute(value));
    });
}

HX_API int HX_ATTR_assign_time(tag_t object, const char *title, long value)
{
    return host_call("HX_ATTR_assign_time",
                     [&]() -> int { return assign(object, title, whole_attribute(HX_ATTR_TIME, value)); });
}

HX_API int HX_ATTR_assign_reference(tag_t object, const char *title, tag_t value)
{
    return host_call("HX_ATTR_assign_reference", [&]() -> int {
        if (value != 0 && !vexa::sim::objects().find_any(value))
            return HX_ERR_NOT_FOUND;
        Attribute a;
        a.type = HX_ATTR_REFERENCE;
        a.reference = value;
        return assign(object, title, std::move(a));
    });
}

HX_API int HX_ATTR_find_attribute(tag_t object, int type, const char *title, int *found_type)
{
    return host_call("HX_ATTR_find_attribute", [&]() -> int {
        if (!title || !found_type)
            return HX_ERR_BAD_ARGUMENT;
        *found_type = 0;
        HostObject *holder = vexa::sim::attribute_holder(object);
        if (!holder)
            return HX_ERR_NOT_FOUND;
        if (Attribute *a = find_attribute(*holder, title); a && of_type(*a, type))
            *found_type = a->type;
        return HX_OK;
    });
}

HX_API int HX_ATTR_read_value(tag_t object, const char *title, int type, HX_ATTR_value_t *value)
{
    return host_call("HX_ATTR_read_value", [&]() -> int {
        if (!title || !value)
            return HX_ERR_BAD_ARGUMENT;
        *value = HX_ATTR_value_t{};
        HostObject *holder = vexa::sim::attribute_holder(object);
        if (!holder)
            return HX_ERR_NOT_FOUND;
        if (Attribute *a = find_attribute(*holder, title); a && of_type(*a, type))
            return fill_value(*a, *value);
        return HX_OK;
    });
}

HX_API int HX_ATTR_delete(tag_t object, int type, const char *title)
{
    return host_call("HX_ATTR_delete", [&]() -> int {
        if (!title)
            return HX_ERR_BAD_ARGUMENT;
        HostObject *holder = vexa::sim::attribute_holder(object);
        if (!holder)
            return HX_ERR_NOT_FOUND;
        auto &list = holder->attributes;
        for (auto it = list.begin(); it != list.end(); ++it)
            if (it->title == title && of_type(*it, type)) {
                list.erase(it);
                vexa::sim::mark_modified(vexa::sim::owning_part_of(holder->tag));
                break;
            }
        return HX_OK;
    });
}

HX_API int HX_ATTR_count_attributes(tag_t object, int type, int *count)
{
    return host_call("HX_ATTR_count_attributes", [&]() -> int {
        if (!count)
            return HX_ERR_BAD_ARGUMENT;
        *count = 0;
        HostObject *holder = vexa::sim::attribute_holder(object);
        if (!holder)
            return HX_ERR_NOT_FOUND;
        for (const Attribute &a : holder->attributes)
            *count += of_type(a, type) ? 1 : 0;
        return HX_OK;
    });
}

HX_API int HX_ATTR_cycle(tag_t object, int *index, int type, char title[HX_ATTR_TITLE_SIZE + 1],
                         HX_ATTR_value_t *value)
{
    return host_call("HX_ATTR_cycle", [&]() -> int {
        if (!index || !title || !value || *index < 0)
            return HX_ERR_BAD_ARGUMENT;
        title[0] = '\0';
        *value = HX_ATTR_value_t{};
        HostObject *holder = vexa::sim::attribute_holder(object);
        if (!holder) {
            *index = 0;
            return HX_ERR_NOT_FOUND;
        }
        const auto &list = holder->attributes;
        for (std::size_t i = static_cast<std::size_t>(*index); i < list.size(); ++i)
            if (of_type(list[i], type)) {
                std::snprintf(title, HX_ATTR_TITLE_SIZE + 1, "%s", list[i].title.c_str());
                *index = static_cast<int>(i) + 1;
                return fill_value(list[i], *value);
            }
        *index = 0;
        return HX_OK;
    });
}

} // extern "C"
