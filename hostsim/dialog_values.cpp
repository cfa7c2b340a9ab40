// Item values of the headless host's dialogs: HX_STYLER_set_value,
// HX_STYLER_ask_value, HX_STYLER_free_value and BLD_hx_set_value.
//
// A record names a dialog item (or HX_STYLER_DIALOG_INDEX, or
// HX_STYLER_NAV_INDEX), an attribute and a value form. Each attribute is
// handled by the item's kind; a value of a form the attribute does not take
// is refused with HX_STYLER_ERR_BAD_VALUE and changes nothing, an attribute
// the item does not have with HX_STYLER_ERR_BAD_ATTRIBUTE. Texts and arrays
// an ask hands out come from the host allocator; the host remembers them,
// so HX_STYLER_free_value releases exactly what an ask put in and leaves
// any other pointer alone.
#include "dialogs.h"
#include "session_state.h"

#include "hx_dialogs.h"
#include "hx_memory.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <set>

using vexa::sim::Dialog;
using vexa::sim::DialogItem;
using vexa::sim::has_entries;
using vexa::sim::host_call;
using vexa::sim::ItemKind;
using Record = HX_STYLER_item_value_type_s;

namespace {

struct DialogValuesState {
    // Top-level pointers handed out by asks and not yet freed.
    std::set<const void *> handed_out;
};

vexa::sim::AreaState<DialogValuesState> dialog_values{"dialog values"};

constexpr int ok = HX_OK;
constexpr int bad_value = HX_STYLER_ERR_BAD_VALUE;
constexpr int bad_attribute = HX_STYLER_ERR_BAD_ATTRIBUTE;

bool form_is(const Record &v, int form)
{
    return v.value_form == HX_STYLER_OWN_FORM || v.value_form == form;
}

// ---- Reading values out of a record -------------------------------------------

int take_integer(const Record &v, int &out)
{
    if (!form_is(v, HX_STYLER_INTEGER))
        return bad_value;
    out = v.value.integer;
    return ok;
}

int take_real(const Record &v, double &out)
{
    if (!form_is(v, HX_STYLER_REAL) || !std::isfinite(v.value.real))
        return bad_value;
    out = v.value.real;
    return ok;
}

int take_text(const Record &v, std::string &out)
{
    if (!form_is(v, HX_STYLER_TEXT) || !v.value.string)
        return bad_value;
    out = v.value.string;
    return ok;
}

int take_texts(const Record &v, std::vector<std::string> &out)
{
    if (!form_is(v, HX_STYLER_TEXTS) || v.count < 0 || (v.count > 0 && !v.value.strings))
        return bad_value;
    std::vector<std::string> texts;
    for (int i = 0; i < v.count; ++i) {
        if (!v.value.strings[i])
            return bad_value;
        texts.emplace_back(v.value.strings[i]);
    }
    out = std::move(texts);
    return ok;
}

// A range: two integers (integer scales) or two reals (real scales).
bool is_range(const Record &v, int form)
{
    return v.value_form == form && v.count == 2;
}

int take_range(const Record &v, const DialogItem &item, double &low, double &high)
{
    if (item.kind == ItemKind::int_scale && is_range(v, HX_STYLER_INTEGERS) && v.value.integers) {
        low = v.value.integers[0];
        high = v.value.integers[1];
    } else if (item.kind == ItemKind::real_scale && is_range(v, HX_STYLER_REALS) && v.value.reals) {
        low = v.value.reals[0];
        high = v.value.reals[1];
    } else {
        return bad_value;
    }
    return std::isfinite(low) && std::isfinite(high) && low <= high ? ok : bad_value;
}

// ---- Writing values into a record (asks) ---------------------------------------

void *allocate(std::size_t size)
{
    void *block = HX_allocate_memory(size == 0 ? 1 : size, nullptr);
    if (!block)
        throw std::bad_alloc();
    return block;
}

char *copy_text(const std::string &text)
{
    auto *copy = static_cast<char *>(allocate(text.size() + 1));
    std::memcpy(copy, text.c_str(), text.size() + 1);
    return copy;
}

void remember(const void *pointer)
{
    if (pointer)
        dialog_values->handed_out.insert(pointer);
}

int put_integer(Record &v, int value)
{
    v.value_form = HX_STYLER_INTEGER;
    v.count = 1;
    v.value.integer = value;
    return ok;
}

int put_real(Record &v, double value)
{
    v.value_form = HX_STYLER_REAL;
    v.count = 1;
    v.value.real = value;
    return ok;
}

int put_text(Record &v, const std::string &text)
{
    char *copy = copy_text(text);
    remember(copy);
    v.value_form = HX_STYLER_TEXT;
    v.count = 1;
    v.value.string = copy;
    return ok;
}

int put_texts(Record &v, const std::vector<std::string> &texts)
{
    char **array = nullptr;
    if (!texts.empty()) {
        array = static_cast<char **>(allocate(texts.size() * sizeof(char *)));
        std::size_t done = 0;
        try {
            for (; done < texts.size(); ++done)
                array[done] = copy_text(texts[done]);
        } catch (...) {
            for (std::size_t i = 0; i < done; ++i)
                HX_free(array[i]);
            HX_free(array);
            throw;
        }
    }
    remember(array);
    v.value_form = HX_STYLER_TEXTS;
    v.count = static_cast<int>(texts.size());
    v.value.strings = array;
    return ok;
}

template <class T> T *copy_array(const std::vector<T> &values)
{
    if (values.empty())
        return nullptr;
    T *array = static_cast<T *>(allocate(values.size() * sizeof(T)));
    std::copy(values.begin(), values.end(), array);
    remember(array);
    return array;
}

int put_integers(Record &v, const std::vector<int> &values)
{
    v.value.integers = copy_array(values);
    v.value_form = HX_STYLER_INTEGERS;
    v.count = static_cast<int>(values.size());
    return ok;
}

int put_reals(Record &v, const std::vector<double> &values)
{
    v.value.reals = copy_array(values);
    v.value_form = HX_STYLER_REALS;
    v.count = static_cast<int>(values.size());
    return ok;
}

// ---- Entries ---------------------------------------------------------------------

int entry_count(const DialogItem &item)
{
    return static_cast<int>(item.entries.size());
}

bool valid_entry(const DialogItem &item, int index)
{
    return index >= 0 && index < entry_count(item);
}

std::vector<std::string> chosen_texts(const DialogItem &item)
{
    std::vector<std::string> texts;
    for (int i : item.chosen)
        texts.push_back(item.entries[static_cast<std::size_t>(i)]);
    return texts;
}

int first_chosen(const DialogItem &item)
{
    return item.chosen.empty() ? -1 : item.chosen.front();
}

void choose(DialogItem &item, int index)
{
    if (!item.multiple)
        item.chosen.clear();
    if (!std::binary_search(item.chosen.begin(), item.chosen.end(), index))
        item.chosen.insert(std::upper_bound(item.chosen.begin(), item.chosen.end(), index), index);
}

// Indices at or past `from` move by `by` (entries inserted or deleted).
void shift_indices(DialogItem &item, int from, int by)
{
    for (int &i : item.chosen)
        if (i >= from)
            i += by;
    if (item.shown >= from)
        item.shown += by;
}

int set_entries(DialogItem &item, const Record &v)
{
    std::vector<std::string> texts;
    if (int status = take_texts(v, texts))
        return status;
    if (item.kind == ItemKind::tab && texts.empty())
        return bad_value; // a tab keeps at least one page
    item.entries = std::move(texts);
    int count = entry_count(item);
    item.entry_sensitive.resize(item.entries.size(), true);
    std::erase_if(item.chosen, [&](int i) { return i >= count; });
    if (item.shown >= count)
        item.shown = -1;
    if (item.kind == ItemKind::tab && item.chosen.empty())
        item.chosen = {0};
    return ok;
}

int insert_entries(DialogItem &item, const Record &v)
{
    std::vector<std::string> texts;
    if (int status = take_texts(v, texts))
        return status;
    int at = v.entry_index < 0 ? entry_count(item) : v.entry_index;
    if (v.entry_index < -1 || at > entry_count(item))
        return bad_value;
    auto n = static_cast<int>(texts.size());
    shift_indices(item, at, n);
    item.entries.insert(item.entries.begin() + at, texts.begin(), texts.end());
    item.entry_sensitive.insert(item.entry_sensitive.begin() + at, texts.size(), true);
    return ok;
}

int delete_entries(DialogItem &item, const Record &v)
{
    if (v.entry_index == -1) {
        if (item.kind == ItemKind::tab)
            return bad_value;
        item.entries.clear();
        item.entry_sensitive.clear();
        item.chosen.clear();
        item.shown = -1;
        return ok;
    }
    int at = v.entry_index;
    if (!valid_entry(item, at) || (item.kind == ItemKind::tab && entry_count(item) == 1))
        return bad_value;
    item.entries.erase(item.entries.begin() + at);
    item.entry_sensitive.erase(item.entry_sensitive.begin() + at);
    std::erase(item.chosen, at);
    if (item.shown == at)
        item.shown = -1;
    shift_indices(item, at + 1, -1);
    if (item.kind == ItemKind::tab && item.chosen.empty())
        item.chosen = {0};
    return ok;
}

// ---- The value attribute -----------------------------------------------------

int set_entry_choice(DialogItem &item, const Record &v)
{
    if (v.entry_index == -1) {
        if (item.kind == ItemKind::tab)
            return bad_value;
        item.chosen.clear();
        return ok;
    }
    if (!valid_entry(item, v.entry_index))
        return bad_value;
    choose(item, v.entry_index);
    return ok;
}

int set_scale(DialogItem &item, const Record &v)
{
    double low = 0, high = 0;
    if (v.value_form == HX_STYLER_INTEGERS || v.value_form == HX_STYLER_REALS) {
        if (int status = take_range(v, item, low, high))
            return status;
        item.minimum = low;
        item.maximum = high;
        item.real = std::clamp(item.real, low, high);
        item.integer = static_cast<int>(std::clamp<double>(item.integer, low, high));
        return ok;
    }
    double value = 0;
    if (item.kind == ItemKind::int_scale) {
        int integer = 0;
        if (int status = take_integer(v, integer))
            return status;
        value = integer;
    } else if (int status = take_real(v, value)) {
        return status;
    }
    if (value < item.minimum || value > item.maximum)
        return bad_value;
    item.real = value;
    item.integer = static_cast<int>(value);
    return ok;
}

int set_value(DialogItem &item, const Record &v)
{
    switch (item.kind) {
    case ItemKind::label:
    case ItemKind::button: return bad_attribute;
    case ItemKind::toggle:
    case ItemKind::integer: {
        int value = 0;
        if (int status = take_integer(v, value))
            return status;
        item.integer = item.kind == ItemKind::toggle ? (value != 0) : value;
        return ok;
    }
    case ItemKind::real: return take_real(v, item.real);
    case ItemKind::string: {
        std::string text;
        if (int status = take_text(v, text))
            return status;
        if (text.size() > HX_STYLER_MAX_TEXT_SIZE)
            return bad_value;
        item.text = std::move(text);
        return ok;
    }
    case ItemKind::text: return take_texts(v, item.lines);
    case ItemKind::int_scale:
    case ItemKind::real_scale: return set_scale(item, v);
    default: return set_entry_choice(item, v);
    }
}

int ask_entry_value(const DialogItem &item, Record &v)
{
    int form = v.value_form;
    if (form == HX_STYLER_OWN_FORM)
        form = item.kind == ItemKind::list ? HX_STYLER_TEXT : HX_STYLER_INTEGER;
    switch (form) {
    case HX_STYLER_INTEGER: return put_integer(v, first_chosen(item));
    case HX_STYLER_INTEGERS: return put_integers(v, item.chosen);
    case HX_STYLER_TEXTS: return put_texts(v, chosen_texts(item));
    case HX_STYLER_TEXT:
        if (item.chosen.empty()) {
            v.value_form = HX_STYLER_TEXT;
            v.count = 0;
            v.value.string = nullptr;
            return ok;
        }
        return put_text(v, item.entries[static_cast<std::size_t>(first_chosen(item))]);
    default: return bad_value;
    }
}

int ask_scale(const DialogItem &item, Record &v)
{
    if (item.kind == ItemKind::int_scale) {
        if (v.value_form == HX_STYLER_INTEGERS)
            return put_integers(v, {static_cast<int>(item.minimum), static_cast<int>(item.maximum)});
        return form_is(v, HX_STYLER_INTEGER) ? put_integer(v, item.integer) : bad_value;
    }
    if (v.value_form == HX_STYLER_REALS)
        return put_reals(v, {item.minimum, item.maximum});
    return form_is(v, HX_STYLER_REAL) ? put_real(v, item.real) : bad_value;
}

int ask_value(const DialogItem &item, Record &v)
{
    switch (item.kind) {
    case ItemKind::label:
    case ItemKind::button: return bad_attribute;
    case ItemKind::toggle:
    case ItemKind::integer: return form_is(v, HX_STYLER_INTEGER) ? put_integer(v, item.integer) : bad_value;
    case ItemKind::real: return form_is(v, HX_STYLER_REAL) ? put_real(v, item.real) : bad_value;
    case ItemKind::string: return form_is(v, HX_STYLER_TEXT) ? put_text(v, item.text) : bad_value;
    case ItemKind::text: return form_is(v, HX_STYLER_TEXTS) ? put_texts(v, item.lines) : bad_value;
    case ItemKind::int_scale:
    case ItemKind::real_scale: return ask_scale(item, v);
    default: return ask_entry_value(item, v);
    }
}

// ---- Attributes of an item -------------------------------------------------------

int set_flag(DialogItem &item, const Record &v, bool &item_flag)
{
    int flag = 0;
    if (int status = take_integer(v, flag))
        return status;
    if (v.entry_index >= 0 && v.item_attr == HX_STYLER_SENSITIVITY && has_entries(item.kind)) {
        if (!valid_entry(item, v.entry_index))
            return bad_value;
        item.entry_sensitive[static_cast<std::size_t>(v.entry_index)] = flag != 0;
        return ok;
    }
    item_flag = flag != 0;
    return ok;
}

int ask_flag(const DialogItem &item, Record &v, bool item_flag)
{
    if (v.entry_index >= 0 && v.item_attr == HX_STYLER_SENSITIVITY && has_entries(item.kind)) {
        if (!valid_entry(item, v.entry_index))
            return bad_value;
        return put_integer(v, item.entry_sensitive[static_cast<std::size_t>(v.entry_index)] ? 1 : 0);
    }
    return put_integer(v, item_flag ? 1 : 0);
}

int set_item(Dialog &dialog, DialogItem &item, const Record &v)
{
    bool entries = has_entries(item.kind);
    bool real_scale = item.kind == ItemKind::real_scale;
    switch (v.item_attr) {
    case HX_STYLER_SENSITIVITY: return set_flag(item, v, item.sensitive);
    case HX_STYLER_VISIBILITY: return set_flag(item, v, item.visible);
    case HX_STYLER_VALUE: return set_value(item, v);
    case HX_STYLER_LABEL: return take_text(v, item.label);
    case HX_STYLER_BITMAP: return take_text(v, item.bitmap);
    case HX_STYLER_FOCUS: dialog.state.focus = item.id; return ok;
    case HX_STYLER_LIST_ENTRIES: return entries ? set_entries(item, v) : bad_attribute;
    case HX_STYLER_DECIMALS: {
        int places = 0;
        if (!real_scale)
            return bad_attribute;
        if (int status = take_integer(v, places))
            return status;
        if (places < 0 || places > 15)
            return bad_value;
        item.decimals = places;
        return ok;
    }
    case HX_STYLER_DESELECT:
        if (!entries || item.kind == ItemKind::tab)
            return bad_attribute;
        if (v.entry_index == -1)
            item.chosen.clear();
        else if (valid_entry(item, v.entry_index))
            std::erase(item.chosen, v.entry_index);
        else
            return bad_value;
        return ok;
    case HX_STYLER_LIST_INSERT: return entries ? insert_entries(item, v) : bad_attribute;
    case HX_STYLER_LIST_DELETE: return entries ? delete_entries(item, v) : bad_attribute;
    case HX_STYLER_LIST_SHOW:
        if (!entries)
            return bad_attribute;
        if (v.entry_index != -1 && !valid_entry(item, v.entry_index))
            return bad_value;
        item.shown = v.entry_index;
        return ok;
    case HX_STYLER_ACTIVE_PAGE: {
        int page = 0;
        if (item.kind != ItemKind::tab)
            return bad_attribute;
        if (int status = take_integer(v, page))
            return status;
        if (!valid_entry(item, page))
            return bad_value;
        item.chosen = {page};
        return ok;
    }
    case HX_STYLER_SCALE_STEP: {
        double step = 0;
        if (!real_scale)
            return bad_attribute;
        if (int status = take_real(v, step))
            return status;
        if (step <= 0)
            return bad_value;
        item.step = step;
        return ok;
    }
    default: return bad_attribute;
    }
}

int ask_item(const Dialog &dialog, const DialogItem &item, Record &v)
{
    bool entries = has_entries(item.kind);
    switch (v.item_attr) {
    case HX_STYLER_SENSITIVITY: return ask_flag(item, v, item.sensitive);
    case HX_STYLER_VISIBILITY: return ask_flag(item, v, item.visible);
    case HX_STYLER_VALUE: return ask_value(item, v);
    case HX_STYLER_LABEL: return put_text(v, item.label);
    case HX_STYLER_BITMAP: return put_text(v, item.bitmap);
    case HX_STYLER_FOCUS: return put_integer(v, dialog.state.focus == item.id ? 1 : 0);
    case HX_STYLER_LIST_ENTRIES: return entries ? put_texts(v, item.entries) : bad_attribute;
    case HX_STYLER_DECIMALS:
        return item.kind == ItemKind::real_scale ? put_integer(v, item.decimals) : bad_attribute;
    case HX_STYLER_LIST_SHOW:
        if (!entries)
            return bad_attribute;
        v.entry_index = item.shown;
        return put_integer(v, item.shown);
    case HX_STYLER_ACTIVE_PAGE:
        return item.kind == ItemKind::tab ? put_integer(v, first_chosen(item)) : bad_attribute;
    case HX_STYLER_SCALE_STEP:
        return item.kind == ItemKind::real_scale ? put_real(v, item.step) : bad_attribute;
    default: return bad_attribute;
    }
}

// ---- The dialog itself and its navigation buttons ---------------------------

int set_dialog(Dialog &dialog, const Record &v)
{
    int number = 0;
    switch (v.item_attr) {
    case HX_STYLER_LABEL: return take_text(v, dialog.state.title);
    case HX_STYLER_DIALOG_WIDTH:
        if (int status = take_integer(v, number))
            return status;
        if (number < 1 || number > 10000)
            return bad_value;
        dialog.state.width = number;
        return ok;
    case HX_STYLER_ACTIVE_PAGE: {
        if (int status = take_integer(v, number))
            return status;
        int pages = std::max(1, static_cast<int>(dialog.state.pages.size()));
        if (number < 0 || number >= pages)
            return bad_value;
        dialog.state.active_page = number;
        return ok;
    }
    default: return bad_attribute;
    }
}

int ask_dialog(const Dialog &dialog, Record &v)
{
    switch (v.item_attr) {
    case HX_STYLER_LABEL: return put_text(v, dialog.state.title);
    case HX_STYLER_DIALOG_WIDTH: return put_integer(v, dialog.state.width);
    case HX_STYLER_ACTIVE_PAGE: return put_integer(v, dialog.state.active_page);
    case HX_STYLER_SELECTION:
        v.value_form = HX_STYLER_SELECTION_HANDLE;
        v.count = 1;
        v.value.selection = dialog.state.selection;
        return ok;
    default: return bad_attribute;
    }
}

// Navigation buttons by the entry index (-1: all of them, for sensitivity).
int set_navigation(Dialog &dialog, const Record &v)
{
    auto &s = dialog.state;
    int index = v.entry_index;
    bool all = index == -1 && v.item_attr == HX_STYLER_SENSITIVITY;
    if (!all && (index < 0 || index > 3))
        return bad_value;
    auto at = static_cast<std::size_t>(index);
    if (v.item_attr == HX_STYLER_SENSITIVITY) {
        int flag = 0;
        if (int status = take_integer(v, flag))
            return status;
        if (all)
            s.nav_sensitive.fill(flag != 0);
        else
            s.nav_sensitive[at] = flag != 0;
        return ok;
    }
    if (v.item_attr == HX_STYLER_LABEL)
        return take_text(v, s.nav_labels[at]);
    return bad_attribute;
}

int ask_navigation(const Dialog &dialog, Record &v)
{
    int index = v.entry_index;
    if (index < 0 || index > 3)
        return bad_value;
    auto at = static_cast<std::size_t>(index);
    if (v.item_attr == HX_STYLER_SENSITIVITY)
        return put_integer(v, dialog.state.nav_sensitive[at] ? 1 : 0);
    if (v.item_attr == HX_STYLER_LABEL)
        return put_text(v, dialog.state.nav_labels[at]);
    return bad_attribute;
}

// ---- Entry -----------------------------------------------------------------------------

enum class Target { item, dialog, navigation };

struct Addressed {
    Dialog *dialog = nullptr;
    DialogItem *item = nullptr;
    Target target = Target::item;
};

int address(int dialog_id, const Record *v, Addressed &a)
{
    if (!v || !v->item_id)
        return HX_ERR_BAD_ARGUMENT;
    a.dialog = vexa::sim::find_dialog(dialog_id);
    if (!a.dialog)
        return HX_STYLER_ERR_NO_DIALOG;
    if (std::strcmp(v->item_id, HX_STYLER_DIALOG_INDEX) == 0) {
        a.target = Target::dialog;
    } else if (std::strcmp(v->item_id, HX_STYLER_NAV_INDEX) == 0) {
        a.target = Target::navigation;
    } else {
        a.item = a.dialog->find(v->item_id);
        if (!a.item)
            return HX_STYLER_ERR_NO_ITEM;
    }
    return ok;
}

int set_record(const char *call, int dialog_id, Record *v)
{
    return host_call(call, [&]() -> int {
        Addressed a;
        if (int status = address(dialog_id, v, a))
            return status;
        switch (a.target) {
        case Target::dialog: return set_dialog(*a.dialog, *v);
        case Target::navigation: return set_navigation(*a.dialog, *v);
        default: break;
        }
        // Work on a copy: a refused value leaves the item as it was.
        DialogItem changed = *a.item;
        int status = set_item(*a.dialog, changed, *v);
        if (status == ok)
            *a.item = std::move(changed);
        return status;
    });
}

} // namespace

extern "C" {

HX_API int HX_STYLER_set_value(int dialog_id, HX_STYLER_item_value_type_p_t value)
{
    return set_record("HX_STYLER_set_value", dialog_id, value);
}

HX_API int BLD_hx_set_value(int dialog_id, HX_STYLER_item_value_type_p_t value)
{
    return set_record("BLD_hx_set_value", dialog_id, value);
}

HX_API int HX_STYLER_ask_value(int dialog_id, HX_STYLER_item_value_type_p_t value)
{
    return host_call("HX_STYLER_ask_value", [&]() -> int {
        Addressed a;
        if (int status = address(dialog_id, value, a))
            return status;
        // Answer into a copy, so that a refused ask leaves the record as it
        // was and nothing is handed out.
        Record answer = *value;
        int status = a.target == Target::dialog       ? ask_dialog(*a.dialog, answer)
                     : a.target == Target::navigation ? ask_navigation(*a.dialog, answer)
                                                      : ask_item(*a.dialog, *a.item, answer);
        if (status == ok)
            *value = answer;
        return status;
    });
}

HX_API int HX_STYLER_free_value(HX_STYLER_item_value_type_p_t value)
{
    return host_call("HX_STYLER_free_value", [&]() -> int {
        if (!value)
            return HX_ERR_BAD_ARGUMENT;
        auto &handed_out = dialog_values->handed_out;
        void *pointer = nullptr;
        switch (value->value_form) {
        case HX_STYLER_TEXT: pointer = value->value.string; break;
        case HX_STYLER_TEXTS: pointer = value->value.strings; break;
        case HX_STYLER_INTEGERS: pointer = value->value.integers; break;
        case HX_STYLER_REALS: pointer = value->value.reals; break;
        default: return ok;
        }
        if (!pointer || handed_out.erase(pointer) == 0)
            return ok;
        if (value->value_form == HX_STYLER_TEXTS)
            for (int i = 0; i < value->count; ++i)
                HX_free(value->value.strings[i]);
        HX_free(pointer);
        std::memset(&value->value, 0, sizeof value->value);
        value->count = 0;
        return ok;
    });
}

} // extern "C"
