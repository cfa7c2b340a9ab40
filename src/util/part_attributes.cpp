// Attribute access: string attributes written on parts and objects, read
// back as text or scanned into typed values, the attributes of a part that
// is not loaded read from its file, and the first body carrying an
// attribute.
//
// The library writes only string attributes, of at most 132 characters; a
// longer value is refused before the host is asked. Values read are copied
// into the caller's buffers with bounded copies.
#include "cvstvshare/part_attributes.h"
#include "util/boundary.h"
#include "util/part_attributes_internal.h"
#include "util/part_query.h"
#include "util/str_list.h"
#include "util/text_buffer.h"

#include "hx_assem.h"
#include "hx_attr.h"
#include "hx_memory.h"
#include "hx_messages.h"
#include "hx_model.h"
#include "hx_parts.h"
#include "hx_pdm.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

extern "C" int kt_scan_attr_value(const char *value, const char *format, va_list args)
{
    if (!value || !format)
        return -1;
    if (std::strcmp(format, "%s") == 0) {
        char *out = va_arg(args, char *);
        if (out)
            std::memcpy(out, value, std::strlen(value) + 1);
        return 0;
    }
    auto letters = cvstv::tokenize(format, "%");
    auto tokens = cvstv::tokenize(value, ", ");
    for (std::size_t j = 0; j < letters.size() && j < tokens.size(); ++j) {
        std::string token(tokens[j]);
        switch (letters[j].front()) {
        case 'd':
            if (int *out = va_arg(args, int *))
                *out = static_cast<int>(std::strtol(token.c_str(), nullptr, 10));
            break;
        case 'f':
            if (double *out = va_arg(args, double *))
                *out = std::strtod(token.c_str(), nullptr);
            break;
        case 's':
            if (char *out = va_arg(args, char *))
                std::memcpy(out, token.c_str(), token.size() + 1);
            break;
        default: (void)va_arg(args, void *); break;
        }
    }
    return 0;
}

namespace cvstv {

int part_attribute_text(const char *part_name, const char *title, std::string &text)
{
    if (!title)
        return -1;
    tag_t part = 0;
    if (!part_name) {
        part = HX_ASSEM_ask_work_part();
        if (part == 0)
            return -1;
    } else {
        std::string name = part_name;
        bool pdm = pdm_active();
        if (pdm) {
            char cli[HX_MAX_FSPEC_SIZE + 1] = "";
            if (HX_KRMGR_convert_name_to_cli(part_name, cli) == 0)
                name = cli;
        }
        part = HX_PART_ask_part_tag(name.c_str());
        if (part == 0 && pdm) {
            char encoded[part_name_size + 1] = "";
            if (kt_encode_part_file_name(part_name, encoded) == 0)
                HX_KRMGR_ask_part_tag(encoded, &part);
            if (part == 0)
                return -1;
        } else if (part == 0) {
            int count = 0;
            HX_ATTR_part_attr_t *attributes = nullptr;
            if (HX_ATTR_ask_part_attrs_in_file(name.c_str(), &count, &attributes) != 0)
                return -1;
            int found = -1;
            for (int i = 0; i < count && found < 0; ++i)
                if (std::strcmp(attributes[i].title, title) == 0) {
                    text = attributes[i].value;
                    found = 0;
                }
            HX_free(attributes);
            return found;
        }
    }
    int type = 0;
    if (HX_ATTR_find_attribute(part, HX_ATTR_ANY, title, &type) != 0 || type == 0)
        return -1;
    HX_ATTR_value_t value{};
    if (HX_ATTR_read_value(part, title, HX_ATTR_ANY, &value) != 0 || value.type == 0)
        return -1;
    switch (value.type) {
    case HX_ATTR_INTEGER: text = format("%d", value.value.integer); break;
    case HX_ATTR_REAL: text = format("%lf", value.value.real); break;
    case HX_ATTR_STRING:
        text = value.value.string ? value.value.string : "";
        HX_free(value.value.string);
        if (text.size() > part_name_size)
            text.resize(part_name_size);
        break;
    default: text.clear(); break;
    }
    return 0;
}

} // namespace cvstv

namespace {

// The first body of a part carrying the string attribute.
int first_attributed_body(tag_t part, const char *title, char *text, tag_t *body)
{
    if (!title || !text || !body)
        return -1;
    text[0] = '\0';
    *body = 0;
    part = cvstv::prototype_or_self(part);
    if (part == 0)
        return -1;
    tag_t object = 0;
    while (HX_OBJ_cycle_objs_in_part(part, HX_TYPE_SOLID, &object) == 0 && object != 0) {
        int type = 0, subtype = 0, body_type = 0;
        if (HX_OBJ_ask_type_and_subtype(object, &type, &subtype) != 0 || subtype != HX_SUBTYPE_SOLID_BODY ||
            HX_MODL_ask_body_type(object, &body_type) != 0 ||
            (body_type != HX_BODY_SOLID && body_type != HX_BODY_SHEET))
            continue;
        if (auto value = cvstv::string_attribute(object, title)) {
            cvstv::copy_bounded(text, KT_ATTR_BUFFER_SIZE, *value);
            *body = object;
            return 0;
        }
    }
    return -1;
}

} // namespace

extern "C" {

CVSTV_API int kt_attr_assign(tag_t object, const char *title, const char *format, ...) noexcept
{
    va_list args;
    va_start(args, format);
    int status = cvstv::guarded("kt_attr_assign", -1, [&]() -> int {
        if (!title || !format)
            return -1;
        char value[KT_ATTR_VALUE_SIZE + 2];
        if (!cvstv::vformat_bounded(value, KT_ATTR_VALUE_SIZE + 1, format, args))
            return -1;
        tag_t target = object != 0 ? object : HX_ASSEM_ask_work_part();
        if (target == 0)
            return -1;
        int s = HX_ATTR_assign_string(target, title, value);
        if (s != 0) {
            char reason[HX_FAIL_MESSAGE_SIZE + 1] = "";
            HX_get_fail_message(s, reason);
            HX_kt_lprintf(HX_TEXT("CV/STV assign attribute error -- %s\n"), reason);
        }
        return s;
    });
    va_end(args);
    return status;
}

CVSTV_API int kt_ask_attr(tag_t object, const char *title, const char *format, ...) noexcept
{
    va_list args;
    va_start(args, format);
    int status = cvstv::guarded("kt_ask_attr", -1, [&]() -> int {
        if (!title)
            return -1;
        tag_t target = object != 0 ? object : HX_ASSEM_ask_work_part();
        if (target != 0 && HX_ASSEM_is_occurrence(target))
            target = HX_ASSEM_ask_prototype_of_occ(target);
        if (target == 0)
            return -1;
        auto value = cvstv::string_attribute(target, title);
        if (!value)
            return -1;
        char text[KT_ATTR_BUFFER_SIZE];
        cvstv::copy_bounded(text, sizeof text, *value);
        return format ? kt_scan_attr_value(text, format, args) : 0;
    });
    va_end(args);
    return status;
}

CVSTV_API int kt_ask_part_str_attr(const char *part_name, const char *title, char *text) noexcept
{
    return cvstv::guarded("kt_ask_part_str_attr", -1, [&]() -> int {
        if (!text)
            return -1;
        std::string value;
        int s = cvstv::part_attribute_text(part_name, title, value);
        if (s == 0)
            cvstv::copy_bounded(text, KT_NAME_BUFFER_SIZE, value);
        return s;
    });
}

CVSTV_API int kt_ask_part_attr(const char *part_name, const char *title, const char *format, ...) noexcept
{
    va_list args;
    va_start(args, format);
    int status = cvstv::guarded("kt_ask_part_attr", -1, [&]() -> int {
        std::string value;
        if (int s = cvstv::part_attribute_text(part_name, title, value))
            return s;
        return format ? kt_scan_attr_value(value.c_str(), format, args) : 0;
    });
    va_end(args);
    return status;
}

CVSTV_API int kt_ask_attr_body(const char *title, char *text, tag_t *body) noexcept
{
    return cvstv::guarded("kt_ask_attr_body", -1, [&]() -> int {
        if (text)
            text[0] = '\0';
        if (body)
            *body = 0;
        tag_t work = HX_ASSEM_ask_work_part();
        return work == 0 ? -1 : first_attributed_body(work, title, text, body);
    });
}

CVSTV_API int kt_ask_attr_body1(tag_t part, const char *title, char *text, tag_t *body) noexcept
{
    return cvstv::guarded("kt_ask_attr_body1", -1, [&]() -> int {
        if (text)
            text[0] = '\0';
        if (body)
            *body = 0;
        return part == 0 ? -1 : first_attributed_body(part, title, text, body);
    });
}

} // extern "C"
