// Dialog accessors with steps of their own for values, labels, navigation
// buttons, option menus, list entries set whole and the dialog selection.
// The plain one-record members are in dialog_accessors.cpp.
#include "cvstvshare/dialog_items.h"
#include "ui/styler.h"
#include "util/text_buffer.h"

#include "hx_memory.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

using cvstv::ui::Record;
using Value = HX_STYLER_item_value_type_t;

namespace {

// Option texts are rows of 50 bytes; list entries set by STV_ui_modify_list
// are cut to the same 49 characters.
constexpr std::size_t option_row = 50;
constexpr std::size_t entry_limit = option_row - 1;

void set_label(int dialog_id, const char *item_id, const char *label)
{
    std::string copy = label;
    Record r(HX_STYLER_LABEL, item_id);
    r->value_form = HX_STYLER_TEXT;
    r->value.string = copy.data();
    r.set(dialog_id);
}

// A value into a record in its form; a text goes in as a private copy held
// by keep.
void put(Value &v, double value, std::string &)
{
    v.value_form = HX_STYLER_REAL;
    v.value.real = value;
}

void put(Value &v, int value, std::string &)
{
    v.value_form = HX_STYLER_INTEGER;
    v.value.integer = value;
}

void put(Value &v, const char *text, std::string &keep)
{
    v.value_form = HX_STYLER_TEXT;
    v.value.string = text ? (keep = text).data() : nullptr;
}

// The label, unless it is null or empty, then the value. Result 0.
template <class T>
int label_then_value(const char *function, int dialog_id, const char *item_id, const char *label,
                     T value) noexcept
{
    return cvstv::guarded(function, -1, [&] {
        if (label && *label)
            set_label(dialog_id, item_id, label);
        Record r(HX_STYLER_VALUE, item_id);
        std::string keep;
        put(*r, value, keep);
        r.set(dialog_id);
        return 0;
    });
}

std::string cut_entry(const char *text, std::size_t limit)
{
    return text ? std::string(text, strnlen(text, limit)) : std::string();
}

} // namespace

extern "C" {

CVSTV_API int STV_ui_modify_textf(int dialog_id, const char *item_id, const char *label,
                                  double value) noexcept
{
    return cvstv::guarded("STV_ui_modify_textf", -1, [&]() -> int {
        return label_then_value("STV_ui_modify_textf", dialog_id, item_id, label, value);
    });
}

CVSTV_API int STV_ui_modify_int_textf(int dialog_id, const char *item_id, const char *label,
                                      int value) noexcept
{
    return cvstv::guarded("STV_ui_modify_int_textf", -1, [&]() -> int {
        return label_then_value("STV_ui_modify_int_textf", dialog_id, item_id, label, value);
    });
}

CVSTV_API int STV_ui_modify_textf_str(int dialog_id, const char *item_id, const char *label,
                                      const char *value) noexcept
{
    return cvstv::guarded("STV_ui_modify_textf_str", -1, [&]() -> int {
        return label_then_value("STV_ui_modify_textf_str", dialog_id, item_id, label, value);
    });
}

CVSTV_API void STV_ui_modify_okapply_sensitivity(int dialog_id, int ok, int apply) noexcept
{
    cvstv::guarded_void("STV_ui_modify_okapply_sensitivity", [&] {
        for (auto [button, flag] : {std::pair{HX_STYLER_NAV_OK, ok}, std::pair{HX_STYLER_NAV_APPLY, apply}}) {
            Record r(HX_STYLER_SENSITIVITY, HX_STYLER_NAV_INDEX);
            r->entry_index = button;
            r->value_form = HX_STYLER_INTEGER;
            r->value.integer = flag;
            r.set(dialog_id);
        }
    });
}

CVSTV_API int STV_ui_get_value_str(int dialog_id, const char *item_id, char **value) noexcept
{
    return cvstv::guarded("STV_ui_get_value_str", -1, [&] {
        if (!value)
            return -1;
        *value = nullptr;
        Record r(HX_STYLER_VALUE, item_id);
        r->value_form = HX_STYLER_TEXT;
        if (r.ask(dialog_id) != 0)
            return -1;
        *value = HX_strdup(r->value.string ? r->value.string : "");
        return *value ? 0 : -1;
    });
}

CVSTV_API int CVSTVSHARE_UI_ask_string_value(int dialog_id, const char *item_id, char *value) noexcept
{
    return cvstv::guarded("CVSTVSHARE_UI_ask_string_value", -1, [&] {
        if (!value)
            return -1;
        Record r(HX_STYLER_VALUE, item_id);
        r->value_form = HX_STYLER_TEXT;
        int status = r.ask(dialog_id);
        if (status == 0)
            cvstv::copy_bounded(value, HX_STYLER_MAX_TEXT_SIZE + 1, r->value.string ? r->value.string : "");
        return status;
    });
}

CVSTV_API int KT_STYLER_ask_str_value(int dialog_id, const char *item_id, char *value) noexcept
{
    return cvstv::guarded("KT_STYLER_ask_str_value", -1,
                          [&]() -> int { return CVSTVSHARE_UI_ask_string_value(dialog_id, item_id, value); });
}

CVSTV_API int CVSTVSHARE_UI_set_textbox_value(int dialog_id, const char *item_id, int count,
                                              char **lines) noexcept
{
    return cvstv::guarded("CVSTVSHARE_UI_set_textbox_value", -1, [&] {
        Record r(HX_STYLER_VALUE, item_id);
        r->value_form = HX_STYLER_TEXTS;
        r->count = count;
        r->value.strings = lines;
        return r.set(dialog_id, true);
    });
}

CVSTV_API int CVSTVSHARE_UI_clear_option_menu(int dialog_id, const char *item_id, int count) noexcept
{
    return cvstv::guarded("CVSTVSHARE_UI_clear_option_menu", -1, [&] {
        if (count < 0)
            return -1;
        std::vector<std::string> empty(static_cast<std::size_t>(count));
        return cvstv::ui::set_entries(dialog_id, item_id, empty, true);
    });
}

CVSTV_API int STV_ui_modify_option(int dialog_id, const char *item_id, const char *label, char options[][50],
                                   int count, int chosen) noexcept
{
    return cvstv::guarded("STV_ui_modify_option", -1, [&] {
        if (label)
            set_label(dialog_id, item_id, label);
        std::vector<std::string> entries;
        for (int i = 0; options && i < count; ++i)
            entries.push_back(cut_entry(options[i], entry_limit));
        cvstv::ui::set_entries(dialog_id, item_id, entries);
        cvstv::ui::set_at_entry(dialog_id, item_id, HX_STYLER_VALUE, chosen);
        return 0;
    });
}

CVSTV_API int STV_ui_modify_list(int dialog_id, const char *item_id, char **entries, int count,
                                 int chosen) noexcept
{
    return cvstv::guarded("STV_ui_modify_list", -1, [&] {
        if (entries) {
            std::vector<std::string> copies;
            for (int i = 0; i < count; ++i)
                copies.push_back(cut_entry(entries[i], entry_limit));
            cvstv::ui::set_entries(dialog_id, item_id, copies);
        }
        cvstv::ui::set_at_entry(dialog_id, item_id, HX_STYLER_VALUE, chosen);
        cvstv::ui::set_at_entry(dialog_id, item_id, HX_STYLER_LIST_SHOW, chosen);
        return 0;
    });
}

CVSTV_API int STV_modify_list(int dialog_id, const char *item_id, char **entries, int count, int) noexcept
{
    return cvstv::guarded("STV_modify_list", -1, [&] {
        Record r(HX_STYLER_LIST_ENTRIES, item_id);
        r->value_form = HX_STYLER_TEXTS;
        r->count = count;
        r->value.strings = entries;
        r.set(dialog_id);
        return 0;
    });
}

CVSTV_API int STV_ui_remove_list_item(int dialog_id, const char *item_id, int index, int flag) noexcept
{
    return cvstv::guarded("STV_ui_remove_list_item", -1, [&] {
        return cvstv::ui::set_at_entry(dialog_id, item_id, HX_STYLER_LIST_DELETE, flag ? index : -1) ? -1 : 0;
    });
}

CVSTV_API int STV_ui_insert_list_item(int dialog_id, const char *item_id, int position,
                                      const char *text) noexcept
{
    return cvstv::guarded("STV_ui_insert_list_item", -1, [&] {
        std::string copy = text ? text : "";
        char *texts[1] = {text ? copy.data() : nullptr};
        Record r(HX_STYLER_LIST_INSERT, item_id);
        r->entry_index = position;
        r->value_form = HX_STYLER_TEXTS;
        r->count = 1;
        r->value.strings = texts;
        return r.set(dialog_id) ? -1 : 0;
    });
}

CVSTV_API int CVSTVSHARE_UI_insert_subitems(int dialog_id, const char *item_id, int count, int position,
                                            char **texts) noexcept
{
    return cvstv::guarded("CVSTVSHARE_UI_insert_subitems", -1, [&] {
        Record r(HX_STYLER_LIST_INSERT, item_id);
        r->entry_index = position;
        r->value_form = HX_STYLER_TEXTS;
        r->count = count;
        r->value.strings = texts;
        return r.set(dialog_id);
    });
}

CVSTV_API int STV_ui_get_sel_obj(int dialog_id, tag_t **objects, int *count) noexcept
{
    return cvstv::guarded("STV_ui_get_sel_obj", -1, [&] {
        if (!objects || !count)
            return -1;
        *objects = nullptr;
        *count = 0;
        Record r(HX_STYLER_SELECTION, HX_STYLER_DIALOG_INDEX);
        tag_t selection = r.ask(dialog_id) == 0 ? r->value.selection : 0;
        if (HX_UI_ask_sel_object_list(selection, count, objects) != 0) {
            std::printf("<HX_UI_ask_sel_object_list> -- error\n");
            std::fflush(stdout);
        }
        return 0;
    });
}

} // extern "C"
