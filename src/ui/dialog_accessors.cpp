// The mechanical members of the dialog accessor family, as a table.
//
// Each row names an exported accessor and its exchange with the host: the
// attribute, value form, count, entry index, where the record goes and how
// the host's status becomes the result (styler.h). The rows are grouped by
// the accessor's C signature; one expander per group defines the exported
// functions of its rows, each a call of the shape for that signature. The
// accessors with steps of their own live in item_values.cpp and
// item_lists.cpp.
#include "cvstvshare/dialog_items.h"
#include "ui/styler.h"

#include <string>

using cvstv::ui::ask_with;
using cvstv::ui::Exchange;
using cvstv::ui::Report;
using cvstv::ui::Result;
using cvstv::ui::set_with;
using cvstv::ui::Slot;
using cvstv::ui::Target;
using Value = HX_STYLER_item_value_type_t;

namespace {

constexpr Result zero = Result::zero;
constexpr Result zero_or_failure = Result::zero_or_failure;

// A text into a record as a private copy held by keep (the record takes a
// non-constant text); null stays null.
char *private_copy(const char *text, std::string &keep)
{
    return text ? (keep = text).data() : nullptr;
}

// The sensitivity of one entry: the flag and the entry index, in the two
// argument orders of the two families.
int set_entry_sensitivity(const char *function, Result result, int dialog_id, const char *item_id, int index,
                          int sensitive) noexcept
{
    Exchange x{.attribute = HX_STYLER_SENSITIVITY, .form = HX_STYLER_INTEGER, .result = result};
    return set_with(function, x, dialog_id, item_id, [&](Value &v) {
        v.entry_index = index;
        v.value.integer = sensitive;
    });
}

// The exchange with the value form its C type gives, unless it names one:
// a value always travels in the form it was written in, so the host can
// refuse a value of the wrong form instead of reading the wrong member.
constexpr Exchange typed(Exchange x, int form)
{
    if (x.form == HX_STYLER_OWN_FORM)
        x.form = form;
    return x;
}

bool two_values(const Value &v, int form)
{
    return v.value_form == form && v.count >= 2;
}

} // namespace

// (dialog, item, int): the integer in the value or the entry index.
#define CVSTV_SET_INTEGER(X)                                                                                 \
    X(STV_ui_modify_sensitivity, .attribute = HX_STYLER_SENSITIVITY)                                         \
    X(STV_ui_modify_visibility, .attribute = HX_STYLER_VISIBILITY, .result = zero)                           \
    X(STV_ui_set_toggle_button, .attribute = HX_STYLER_VALUE, .result = zero_or_failure)                     \
    X(STV_ui_set_active_id, .attribute = HX_STYLER_ACTIVE_PAGE, .result = zero_or_failure)                   \
    X(STV_ui_set_int_scale_value, .count = 1, .result = zero_or_failure,                                     \
      .report = Report::print_and_message)                                                                   \
    X(CVSTVSHARE_UI_set_integer_value, .attribute = HX_STYLER_VALUE)                                         \
    X(CVSTVSHARE_UI_set_toggle_value, .attribute = HX_STYLER_VALUE)                                          \
    X(CVSTVSHARE_UI_set_item_visibility, .attribute = HX_STYLER_VISIBILITY)                                  \
    X(CVSTVSHARE_UI_set_real_scale_decimal_precision, .attribute = HX_STYLER_DECIMALS)                       \
    X(STV_ui_modify_radio, .result = zero, .slot = Slot::entry_index)                                        \
    X(STV_ui_modify_option_item, .result = zero, .slot = Slot::entry_index)                                  \
    X(STV_ui_set_palette_value, .result = zero_or_failure, .slot = Slot::entry_index)                        \
    X(STV_ui_set_list_show_item, .attribute = HX_STYLER_LIST_SHOW, .result = zero_or_failure,                \
      .slot = Slot::entry_index)                                                                             \
    X(CVSTVSHARE_UI_set_item_choice, .slot = Slot::entry_index)                                              \
    X(CVSTVSHARE_UI_set_list_show, .attribute = HX_STYLER_LIST_SHOW, .slot = Slot::entry_index)              \
    X(CVSTVSHARE_UI_deselect_subitem, .attribute = HX_STYLER_DESELECT, .slot = Slot::entry_index)

// (dialog, item, double).
#define CVSTV_SET_REAL(X)                                                                                    \
    X(STV_ui_set_scale_value, .count = 1, .result = zero_or_failure, .report = Report::print_and_message)    \
    X(CVSTVSHARE_UI_set_real_value, .attribute = HX_STYLER_VALUE)                                            \
    X(CVSTVSHARE_UI_set_real_scale_value, .count = 1)                                                        \
    X(CVSTVSHARE_UI_set_real_scale_step_value, .attribute = HX_STYLER_SCALE_STEP, .count = 1)

// (dialog, item, text).
#define CVSTV_SET_TEXT(X)                                                                                    \
    X(STV_ui_modify_bitmap, .attribute = HX_STYLER_BITMAP, .result = zero)                                   \
    X(STV_ui_modify_title, .attribute = HX_STYLER_LABEL, .result = zero)                                     \
    X(CVSTVSHARE_UI_set_string_value, .attribute = HX_STYLER_VALUE)                                          \
    X(CVSTVSHARE_UI_set_label, .attribute = HX_STYLER_LABEL)                                                 \
    X(KT_STYLER_set_label_value, .attribute = HX_STYLER_LABEL)                                               \
    X(CVSTVSHARE_UI_set_bitmap, .attribute = HX_STYLER_BITMAP)

// (dialog, item): the attribute alone.
#define CVSTV_SET_NOTHING(X)                                                                                 \
    X(STV_ui_desel_multi_list, .attribute = HX_STYLER_DESELECT, .result = zero_or_failure)                   \
    X(CVSTVSHARE_UI_set_focus, .attribute = HX_STYLER_FOCUS)

// (dialog, item, minimum, maximum) as integers or reals.
#define CVSTV_SET_INT_RANGE(X)                                                                               \
    X(STV_ui_set_int_scale_range, .form = HX_STYLER_INTEGERS, .count = 2, .result = zero_or_failure)
#define CVSTV_SET_REAL_RANGE(X)                                                                              \
    X(STV_ui_set_scale_range, .form = HX_STYLER_REALS, .count = 2, .result = zero_or_failure)                \
    X(CVSTVSHARE_UI_set_real_scale_range, .form = HX_STYLER_REALS, .count = 2)

// (dialog, item, int *): the answer from the value, the entry index or the
// count.
#define CVSTV_ASK_INTEGER(X)                                                                                 \
    X(STV_ui_get_radio, .attribute = HX_STYLER_VALUE)                                                        \
    X(STV_ui_get_int_value, .result = zero_or_failure)                                                       \
    X(STV_ui_get_palette_value, .count = 1, .result = zero_or_failure)                                       \
    X(STV_ui_get_int_scale_value, .result = zero_or_failure)                                                 \
    X(STV_ui_get_active_id, .attribute = HX_STYLER_ACTIVE_PAGE, .result = zero_or_failure)                   \
    X(STV_ui_get_list_show_item, .attribute = HX_STYLER_LIST_SHOW, .result = zero_or_failure,                \
      .slot = Slot::entry_index)                                                                             \
    X(CVSTVSHARE_UI_ask_integer_value, .zero_first = true)                                                   \
    X(CVSTVSHARE_UI_ask_toggle_value, .zero_first = true)                                                    \
    X(CVSTVSHARE_UI_ask_item_choice, .zero_first = true)                                                     \
    X(CVSTVSHARE_UI_ask_item_sensitivity, .attribute = HX_STYLER_SENSITIVITY, .zero_first = true)            \
    X(CVSTVSHARE_UI_ask_item_visibility, .attribute = HX_STYLER_VISIBILITY, .zero_first = true)              \
    X(CVSTVSHARE_UI_ask_selected_subitem_index, .form = HX_STYLER_INTEGER)                                   \
    X(kt_ask_option_index, .form = HX_STYLER_INTEGER)                                                        \
    X(CVSTVSHARE_UI_ask_number_of_items, .attribute = HX_STYLER_LIST_ENTRIES, .form = HX_STYLER_TEXTS,       \
      .slot = Slot::count)

// (dialog, item, double *).
#define CVSTV_ASK_REAL(X)                                                                                    \
    X(STV_ui_get_value, .result = zero_or_failure)                                                           \
    X(STV_ui_get_scale_value, .result = zero_or_failure)                                                     \
    X(CVSTVSHARE_UI_ask_real_value, .zero_first = true)                                                      \
    X(CVSTVSHARE_UI_ask_real_scale_value, .zero_first = true)

// (dialog, item, int *minimum, int *maximum) and the same with reals.
#define CVSTV_ASK_INT_RANGE(X)                                                                               \
    X(STV_ui_get_int_scale_range, .form = HX_STYLER_INTEGERS, .result = zero_or_failure)
#define CVSTV_ASK_REAL_RANGE(X) X(STV_ui_get_scale_range, .form = HX_STYLER_REALS, .result = zero_or_failure)

// (dialog, item, char ***list, int *count): texts into a new string list.
#define CVSTV_ASK_LIST(X)                                                                                    \
    X(STV_ui_get_all_list_items, .attribute = HX_STYLER_LIST_ENTRIES, .form = HX_STYLER_TEXTS,               \
      .result = zero_or_failure)                                                                             \
    X(STV_get_list_items, .attribute = HX_STYLER_LIST_ENTRIES, .form = HX_STYLER_TEXTS,                      \
      .result = zero_or_failure)                                                                             \
    X(STV_get_list, .form = HX_STYLER_TEXTS, .result = zero_or_failure)

// (dialog, int) and (dialog, int *) on the dialog itself; (dialog, text) on
// the dialog or its navigation buttons.
#define CVSTV_DIALOG_SET_INTEGER(X)                                                                          \
    X(STV_ui_set_dialog_width, .attribute = HX_STYLER_DIALOG_WIDTH, .count = 1, .result = zero_or_failure,   \
      .target = Target::dialog, .report = Report::message)                                                   \
    X(CVSTVSHARE_UI_set_active_page, .attribute = HX_STYLER_ACTIVE_PAGE, .target = Target::dialog)
#define CVSTV_DIALOG_ASK_INTEGER(X)                                                                          \
    X(CVSTVSHARE_UI_ask_active_page, .attribute = HX_STYLER_ACTIVE_PAGE, .target = Target::dialog)
#define CVSTV_DIALOG_SET_TEXT(X)                                                                             \
    X(CVSTVSHARE_UI_set_dialog_title, .attribute = HX_STYLER_LABEL, .target = Target::dialog)                \
    X(STV_ui_change_cancel_to_back, .attribute = HX_STYLER_LABEL, .entry = HX_STYLER_NAV_CANCEL,             \
      .target = Target::navigation)

// ---- Expanders: one exported definition per row ----------------------------------

#define CVSTV_DEFINE_SET_INTEGER(name, ...)                                                                  \
    CVSTV_API int name(int dialog_id, const char *item_id, int value) noexcept                               \
    {                                                                                                        \
        constexpr Exchange x = typed(Exchange{__VA_ARGS__}, HX_STYLER_INTEGER);                              \
        return set_with(#name, x, dialog_id, item_id, [&](Value &v) {                                        \
            (x.slot == Slot::entry_index ? v.entry_index : v.value.integer) = value;                         \
        });                                                                                                  \
    }

#define CVSTV_DEFINE_SET_REAL(name, ...)                                                                     \
    CVSTV_API int name(int dialog_id, const char *item_id, double value) noexcept                            \
    {                                                                                                        \
        return set_with(#name, typed(Exchange{__VA_ARGS__}, HX_STYLER_REAL), dialog_id, item_id,             \
                        [&](Value &v) { v.value.real = value; });                                            \
    }

#define CVSTV_DEFINE_SET_TEXT(name, ...)                                                                     \
    CVSTV_API int name(int dialog_id, const char *item_id, const char *text) noexcept                        \
    {                                                                                                        \
        std::string keep;                                                                                    \
        return set_with(#name, typed(Exchange{__VA_ARGS__}, HX_STYLER_TEXT), dialog_id, item_id,             \
                        [&](Value &v) { v.value.string = private_copy(text, keep); });                       \
    }

#define CVSTV_DEFINE_SET_NOTHING(name, ...)                                                                  \
    CVSTV_API int name(int dialog_id, const char *item_id) noexcept                                          \
    {                                                                                                        \
        return set_with(#name, Exchange{__VA_ARGS__}, dialog_id, item_id, [](Value &) {});                   \
    }

#define CVSTV_DEFINE_SET_RANGE(type, name, member, ...)                                                      \
    CVSTV_API int name(int dialog_id, const char *item_id, type minimum, type maximum) noexcept              \
    {                                                                                                        \
        type range[2] = {minimum, maximum};                                                                  \
        return set_with(#name, Exchange{__VA_ARGS__}, dialog_id, item_id,                                    \
                        [&](Value &v) { v.value.member = range; });                                          \
    }
#define CVSTV_DEFINE_SET_INT_RANGE(name, ...) CVSTV_DEFINE_SET_RANGE(int, name, integers, __VA_ARGS__)
#define CVSTV_DEFINE_SET_REAL_RANGE(name, ...) CVSTV_DEFINE_SET_RANGE(double, name, reals, __VA_ARGS__)

#define CVSTV_DEFINE_ASK_SCALAR(type, name, form, read, ...)                                                 \
    CVSTV_API int name(int dialog_id, const char *item_id, type *out) noexcept                               \
    {                                                                                                        \
        constexpr Exchange x = typed(Exchange{__VA_ARGS__}, form);                                           \
        return ask_with(                                                                                     \
            #name, x, dialog_id, item_id, out != nullptr,                                                    \
            [&] {                                                                                            \
                if (x.zero_first)                                                                            \
                    *out = 0;                                                                                \
            },                                                                                               \
            [&](const Value &v) {                                                                            \
                *out = read;                                                                                 \
                return 0;                                                                                    \
            });                                                                                              \
    }
#define CVSTV_DEFINE_ASK_INTEGER(name, ...)                                                                  \
    CVSTV_DEFINE_ASK_SCALAR(int, name, HX_STYLER_INTEGER, cvstv::ui::integer_of(x, v), __VA_ARGS__)
#define CVSTV_DEFINE_ASK_REAL(name, ...)                                                                     \
    CVSTV_DEFINE_ASK_SCALAR(double, name, HX_STYLER_REAL, v.value.real, __VA_ARGS__)

#define CVSTV_DEFINE_ASK_RANGE(type, name, member, ...)                                                      \
    CVSTV_API int name(int dialog_id, const char *item_id, type *minimum, type *maximum) noexcept            \
    {                                                                                                        \
        constexpr Exchange x{__VA_ARGS__};                                                                   \
        return ask_with(                                                                                     \
            #name, x, dialog_id, item_id, minimum && maximum, [] {},                                         \
            [&](const Value &v) {                                                                            \
                if (!two_values(v, x.form) || !v.value.member)                                               \
                    return -1;                                                                               \
                *minimum = v.value.member[0];                                                                \
                *maximum = v.value.member[1];                                                                \
                return 0;                                                                                    \
            });                                                                                              \
    }
#define CVSTV_DEFINE_ASK_INT_RANGE(name, ...) CVSTV_DEFINE_ASK_RANGE(int, name, integers, __VA_ARGS__)
#define CVSTV_DEFINE_ASK_REAL_RANGE(name, ...) CVSTV_DEFINE_ASK_RANGE(double, name, reals, __VA_ARGS__)

#define CVSTV_DEFINE_ASK_LIST(name, ...)                                                                     \
    CVSTV_API int name(int dialog_id, const char *item_id, char ***list, int *count) noexcept                \
    {                                                                                                        \
        return ask_with(                                                                                     \
            #name, Exchange{__VA_ARGS__}, dialog_id, item_id, list && count,                                 \
            [&] {                                                                                            \
                *list = nullptr;                                                                             \
                *count = 0;                                                                                  \
            },                                                                                               \
            [&](const Value &v) { return cvstv::ui::hand_out_list(cvstv::ui::texts_of(v), list, count); });  \
    }

#define CVSTV_DEFINE_DIALOG_SET_INTEGER(name, ...)                                                           \
    CVSTV_API int name(int dialog_id, int value) noexcept                                                    \
    {                                                                                                        \
        return set_with(#name, typed(Exchange{__VA_ARGS__}, HX_STYLER_INTEGER), dialog_id, nullptr,          \
                        [&](Value &v) { v.value.integer = value; });                                         \
    }

#define CVSTV_DEFINE_DIALOG_ASK_INTEGER(name, ...)                                                           \
    CVSTV_API int name(int dialog_id, int *out) noexcept                                                     \
    {                                                                                                        \
        return ask_with(                                                                                     \
            #name, typed(Exchange{__VA_ARGS__}, HX_STYLER_INTEGER), dialog_id, nullptr, out != nullptr,      \
            [] {},                                                                                           \
            [&](const Value &v) {                                                                            \
                *out = v.value.integer;                                                                      \
                return 0;                                                                                    \
            });                                                                                              \
    }

#define CVSTV_DEFINE_DIALOG_SET_TEXT(name, ...)                                                              \
    CVSTV_API int name(int dialog_id, const char *text) noexcept                                             \
    {                                                                                                        \
        std::string keep;                                                                                    \
        return set_with(#name, typed(Exchange{__VA_ARGS__}, HX_STYLER_TEXT), dialog_id, nullptr,             \
                        [&](Value &v) { v.value.string = private_copy(text, keep); });                       \
    }

extern "C" {

CVSTV_SET_INTEGER(CVSTV_DEFINE_SET_INTEGER)
CVSTV_SET_REAL(CVSTV_DEFINE_SET_REAL)
CVSTV_SET_TEXT(CVSTV_DEFINE_SET_TEXT)
CVSTV_SET_NOTHING(CVSTV_DEFINE_SET_NOTHING)
CVSTV_SET_INT_RANGE(CVSTV_DEFINE_SET_INT_RANGE)
CVSTV_SET_REAL_RANGE(CVSTV_DEFINE_SET_REAL_RANGE)
CVSTV_ASK_INTEGER(CVSTV_DEFINE_ASK_INTEGER)
CVSTV_ASK_REAL(CVSTV_DEFINE_ASK_REAL)
CVSTV_ASK_INT_RANGE(CVSTV_DEFINE_ASK_INT_RANGE)
CVSTV_ASK_REAL_RANGE(CVSTV_DEFINE_ASK_REAL_RANGE)
CVSTV_ASK_LIST(CVSTV_DEFINE_ASK_LIST)
CVSTV_DIALOG_SET_INTEGER(CVSTV_DEFINE_DIALOG_SET_INTEGER)
CVSTV_DIALOG_ASK_INTEGER(CVSTV_DEFINE_DIALOG_ASK_INTEGER)
CVSTV_DIALOG_SET_TEXT(CVSTV_DEFINE_DIALOG_SET_TEXT)

CVSTV_API int STV_ui_modify_op_sensitivity(int dialog_id, const char *item_id, int sensitive,
                                           int index) noexcept
{
    return cvstv::guarded("STV_ui_modify_op_sensitivity", -1, [&]() -> int {
        return set_entry_sensitivity("STV_ui_modify_op_sensitivity", zero, dialog_id, item_id, index,
                                     sensitive);
    });
}

CVSTV_API int CVSTVSHARE_UI_set_item_sensitivity(int dialog_id, const char *item_id, int index,
                                                 int sensitive) noexcept
{
    return cvstv::guarded("CVSTVSHARE_UI_set_item_sensitivity", -1, [&]() -> int {
        return set_entry_sensitivity("CVSTVSHARE_UI_set_item_sensitivity", Result::status, dialog_id, item_id,
                                     index, sensitive);
    });
}

} // extern "C"
