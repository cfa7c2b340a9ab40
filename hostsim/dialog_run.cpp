// Open dialogs of the headless host, and the modal run of a dialog with its
// callback table, driven by the scripted user.
//
// A modal run opens the dialog, calls the constructor callback, then takes
// the scripted user's dialog actions one by one: each changes an item as a
// user would (a text field takes at most 132 characters, a scale stops at
// its range, a greyed or hidden item cannot be used) and calls the item's
// callback for the reason the action gives. The dialog ends when a callback
// asks it to, when OK, Back or Cancel is pressed without a callback of its
// own, or when no action is queued for it (the user closes it: Cancel). The
// destructor callback runs last; then the dialog and its selection are
// closed. Every open, action and close goes to the journal.
#include "dialogs.h"
#include "model.h"
#include "session_state.h"

#include "hx_dialogs.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <sstream>

namespace vexa::sim {

namespace {

constexpr std::array<const char *, 4> nav_labels{"OK", "Apply", "Back", "Cancel"};
constexpr std::array<int, 4> nav_reasons{HX_STYLER_OK_CB, HX_STYLER_APPLY_CB, HX_STYLER_BACK_CB,
                                         HX_STYLER_CANCEL_CB};
constexpr std::array<int, 4> nav_responses{HX_STYLER_RESPONSE_OK, 0, HX_STYLER_RESPONSE_BACK,
                                           HX_STYLER_RESPONSE_CANCEL};

void journal_dialog(Entry kind, const Dialog &dialog, std::string text, std::string item = {},
                    int response = 0)
{
    JournalEntry entry;
    entry.kind = kind;
    entry.title = dialog.state.title;
    entry.text = std::move(text);
    entry.answer = std::move(item);
    entry.response = response;
    record(std::move(entry));
}

// A callback table, found by item and reason.
class Callbacks {
  public:
    Callbacks(const HX_STYLER_callback_info_t *table, void *client_data)
        : table_(table), client_data_(client_data)
    {
    }

    // Calls the callback of (item, reason) with the item's value; nullopt
    // when the table has none.
    std::optional<int> call(Dialog &dialog, const char *item_id, int reason,
                            HX_STYLER_item_value_type_t value) const
    {
        for (const HX_STYLER_callback_info_t *e = table_; e && e->item_id; ++e) {
            if (e->reason == reason && e->callback && std::strcmp(e->item_id, item_id) == 0) {
                value.reason = reason;
                value.item_id = item_id;
                return e->callback(static_cast<int>(dialog.tag), client_data_, &value);
            }
        }
        return std::nullopt;
    }

  private:
    const HX_STYLER_callback_info_t *table_;
    void *client_data_;
};

// The value a callback receives: the item's value in its own form (entry
// items: the entry acted on in entry_index and value.integer). The texts
// point into `keep`, which outlives the call.
struct CallbackValue {
    HX_STYLER_item_value_type_t value{};
    std::string text;
    std::vector<std::string> lines;
    std::vector<char *> line_pointers;

    CallbackValue(const DialogItem &item, int entry)
    {
        value.item_attr = HX_STYLER_VALUE;
        value.entry_index = -1;
        value.count = 1;
        switch (item.kind) {
        case ItemKind::real:
        case ItemKind::real_scale:
            value.value_form = HX_STYLER_REAL;
            value.value.real = item.real;
            break;
        case ItemKind::string:
            text = item.text;
            value.value_form = HX_STYLER_TEXT;
            value.value.string = text.data();
            break;
        case ItemKind::text:
            lines = item.lines;
            for (std::string &line : lines)
                line_pointers.push_back(line.data());
            value.value_form = HX_STYLER_TEXTS;
            value.count = static_cast<int>(lines.size());
            value.value.strings = line_pointers.data();
            break;
        default:
            value.value_form = HX_STYLER_INTEGER;
            value.value.integer = has_entries(item.kind) ? entry : item.integer;
            value.entry_index = has_entries(item.kind) ? entry : -1;
            break;
        }
    }
};

std::string quoted(const std::string &text)
{
    return "\"" + text + "\"";
}

std::string number_text(double number)
{
    std::ostringstream out;
    out << number;
    return out.str();
}

// Applies a user's value to an item as the user interface would; the
// description of what the user did, or nullopt (with the reason) when the
// user cannot do it.
std::optional<std::string> apply_user_value(DialogItem &item, const Answer &a, std::string &refused)
{
    switch (item.kind) {
    case ItemKind::toggle: item.integer = a.number != 0 ? 1 : 0; return number_text(item.integer);
    case ItemKind::integer:
        if (!std::isfinite(a.number) || std::fabs(a.number) > 2147483647.0)
            break;
        item.integer = static_cast<int>(a.number);
        return number_text(item.integer);
    case ItemKind::real:
        if (!std::isfinite(a.number))
            break;
        item.real = a.number;
        return number_text(item.real);
    case ItemKind::int_scale:
    case ItemKind::real_scale:
        if (!std::isfinite(a.number))
            break;
        item.real = std::clamp(a.number, item.minimum, item.maximum);
        if (item.kind == ItemKind::int_scale)
            item.real = std::round(item.real);
        item.integer = static_cast<int>(item.real);
        return number_text(item.real);
    case ItemKind::string: item.text = a.text.substr(0, HX_STYLER_MAX_TEXT_SIZE); return quoted(item.text);
    case ItemKind::text: {
        item.lines = a.lines;
        std::string shown;
        for (const std::string &line : item.lines)
            shown += (shown.empty() ? "" : " ") + quoted(line);
        return shown;
    }
    case ItemKind::label:
    case ItemKind::button: refused = "has no value"; return std::nullopt;
    default: {
        if (a.indices.empty() || (a.indices.size() > 1 && !item.multiple)) {
            refused = "takes one entry";
            return std::nullopt;
        }
        std::vector<int> chosen = a.indices;
        std::sort(chosen.begin(), chosen.end());
        chosen.erase(std::unique(chosen.begin(), chosen.end()), chosen.end());
        for (int i : chosen) {
            if (i < 0 || i >= static_cast<int>(item.entries.size()) ||
                !item.entry_sensitive[static_cast<std::size_t>(i)]) {
                refused = "has no usable entry " + std::to_string(i);
                return std::nullopt;
            }
        }
        item.chosen = chosen;
        std::string shown;
        for (int i : chosen)
            shown += (shown.empty() ? "" : " ") + quoted(item.entries[static_cast<std::size_t>(i)]);
        return shown;
    }
    }
    refused = "takes no such number";
    return std::nullopt;
}

int reason_of_change(ItemKind kind)
{
    switch (kind) {
    case ItemKind::toggle:
    case ItemKind::int_scale:
    case ItemKind::real_scale: return HX_STYLER_VALUE_CHANGED_CB;
    default: return HX_STYLER_ACTIVATE_CB;
    }
}

// One action of the user on an item. Returns the response that ends the
// dialog, or 0 to go on.
int item_action(Dialog &dialog, const Callbacks &callbacks, const Answer &a)
{
    DialogItem *item = dialog.find(a.item);
    std::string refused;
    if (!item)
        refused = "no such item";
    else if (!item->visible || !item->sensitive)
        refused = "cannot be used";
    std::optional<std::string> done;
    int reason = HX_STYLER_ACTIVATE_CB;
    if (refused.empty()) {
        switch (a.action) {
        case DialogAction::press:
            if (item->kind == ItemKind::button)
                done = "pressed";
            else
                refused = "is not a button";
            break;
        case DialogAction::double_click:
            if (item->kind == ItemKind::list) {
                done = apply_user_value(*item, a, refused);
                if (done)
                    *done += " double-clicked";
                reason = HX_STYLER_DOUBLE_CLICK_CB;
            } else {
                refused = "is not a list";
            }
            break;
        default:
            done = apply_user_value(*item, a, refused);
            reason = reason_of_change(item->kind);
            break;
        }
    }
    if (!done) {
        journal_dialog(Entry::dialog_action, dialog, a.item + ": refused: " + refused, a.item);
        return 0;
    }
    journal_dialog(Entry::dialog_action, dialog, a.item + ": " + *done, a.item);
    int entry = a.indices.empty() ? -1 : *std::min_element(a.indices.begin(), a.indices.end());
    CallbackValue value(*item, entry);
    std::string id = item->id; // the callback may change the dialog's items
    auto answer = callbacks.call(dialog, id.c_str(), reason, value.value);
    return answer == HX_STYLER_CB_EXIT ? HX_STYLER_RESPONSE_OK : 0;
}

// The user presses a navigation button. Returns the response that ends the
// dialog, or 0 to go on.
int navigate(Dialog &dialog, const Callbacks &callbacks, int nav)
{
    if (nav < 0 || nav > 3) {
        journal_dialog(Entry::dialog_action, dialog, "no navigation button " + std::to_string(nav));
        return 0;
    }
    auto at = static_cast<std::size_t>(nav);
    std::string label = dialog.state.nav_labels[at];
    if (!dialog.state.nav_shown[at] || !dialog.state.nav_sensitive[at]) {
        journal_dialog(Entry::dialog_action, dialog, label + ": refused: cannot be used", nav_labels[at]);
        return 0;
    }
    journal_dialog(Entry::dialog_action, dialog, label + ": pressed", nav_labels[at]);
    HX_STYLER_item_value_type_t value{};
    value.entry_index = -1;
    auto answer = callbacks.call(dialog, HX_STYLER_DIALOG_INDEX, nav_reasons[at], value);
    if (!answer)
        return nav_responses[at];
    if (*answer != HX_STYLER_CB_EXIT)
        return 0;
    return nav_responses[at] ? nav_responses[at] : HX_STYLER_RESPONSE_OK;
}

int run(Dialog &dialog, const Callbacks &callbacks)
{
    HX_STYLER_item_value_type_t value{};
    value.entry_index = -1;
    if (callbacks.call(dialog, HX_STYLER_DIALOG_INDEX, HX_STYLER_CONSTRUCTOR_CB, value) == HX_STYLER_CB_EXIT)
        return HX_STYLER_RESPONSE_CANCEL;
    while (true) {
        auto a = take_answer(Ask::dialog);
        if (!a) {
            // Nothing more scripted: the user closes the dialog.
            journal_dialog(Entry::dialog_action, dialog, "closed by the user");
            callbacks.call(dialog, HX_STYLER_DIALOG_INDEX, HX_STYLER_CANCEL_CB, value);
            return HX_STYLER_RESPONSE_CANCEL;
        }
        int response = a->action == DialogAction::navigate ? navigate(dialog, callbacks, a->nav)
                                                           : item_action(dialog, callbacks, *a);
        if (response)
            return response;
    }
}

const char *response_name(int response)
{
    switch (response) {
    case HX_STYLER_RESPONSE_OK: return "OK";
    case HX_STYLER_RESPONSE_BACK: return "Back";
    default: return "Cancel";
    }
}

} // namespace

Dialog *find_dialog(int dialog_id)
{
    return dialog_id > 0 ? objects().find<Dialog>(static_cast<tag_t>(dialog_id)) : nullptr;
}

Dialog &open_dialog_from(DialogDefinition definition)
{
    Dialog &dialog = objects().create<Dialog>();
    dialog.state = std::move(definition.state);
    dialog.items = std::move(definition.items);
    Selection &selection = objects().create<Selection>();
    selection.dialog = dialog.tag;
    dialog.state.selection = selection.tag;
    journal_dialog(Entry::dialog_open, dialog, dialog.state.file);
    return dialog;
}

void close_dialog_object(Dialog &dialog)
{
    if (Selection *selection = objects().find<Selection>(dialog.state.selection)) {
        remove_from_selection(*selection, selection->objects, true);
        objects().erase(selection->tag);
    }
    objects().erase(dialog.tag);
}

int open_dialog(const std::string &dialog_file, std::string *error)
{
    DialogDefinition definition;
    std::string reason;
    if (load_dialog_definition(dialog_file, definition, reason) != HX_OK) {
        if (error)
            *error = reason;
        return 0;
    }
    return static_cast<int>(open_dialog_from(std::move(definition)).tag);
}

int open_dialog_text(const std::string &text, std::string *error)
{
    DialogDefinition definition;
    std::string reason;
    if (!parse_dialog_definition(text, definition, reason)) {
        if (error)
            *error = reason;
        return 0;
    }
    return static_cast<int>(open_dialog_from(std::move(definition)).tag);
}

bool close_dialog(int dialog_id)
{
    Dialog *dialog = find_dialog(dialog_id);
    if (!dialog)
        return false;
    close_dialog_object(*dialog);
    return true;
}

std::vector<int> open_dialogs()
{
    std::vector<int> ids;
    for (Dialog *d : objects().all<Dialog>())
        ids.push_back(static_cast<int>(d->tag));
    return ids;
}

bool dialog_state(int dialog_id, DialogState &state)
{
    Dialog *dialog = find_dialog(dialog_id);
    if (dialog)
        state = dialog->state;
    return dialog != nullptr;
}

bool item_state(int dialog_id, const std::string &item, ItemState &state)
{
    Dialog *dialog = find_dialog(dialog_id);
    DialogItem *found = dialog ? dialog->find(item) : nullptr;
    if (found)
        state = *found;
    return found != nullptr;
}

std::vector<tag_t> selected_objects(int dialog_id)
{
    Dialog *dialog = find_dialog(dialog_id);
    Selection *selection = dialog ? objects().find<Selection>(dialog->state.selection) : nullptr;
    std::vector<tag_t> out;
    if (selection)
        for (tag_t object : selection->objects)
            if (find_model_object(object))
                out.push_back(object);
    return out;
}

} // namespace vexa::sim

extern "C" HX_API int HX_STYLER_create_dialog(const char *dialog_file,
                                              const HX_STYLER_callback_info_t *callbacks, void *client_data,
                                              int *response)
{
    using namespace vexa::sim;
    return host_call("HX_STYLER_create_dialog", [&]() -> int {
        if (!dialog_file || !response)
            return HX_ERR_BAD_ARGUMENT;
        DialogDefinition definition;
        std::string error;
        if (int status = load_dialog_definition(dialog_file, definition, error)) {
            record(Entry::syslog, 0, "", "HX_STYLER_create_dialog: " + error);
            return status;
        }
        Dialog &dialog = open_dialog_from(std::move(definition));
        tag_t id = dialog.tag;
        int answer = run(dialog, Callbacks(callbacks, client_data));
        // The destructor runs on the dialog as the callbacks left it.
        Dialog *open = objects().find<Dialog>(id);
        if (open) {
            HX_STYLER_item_value_type_t value{};
            value.entry_index = -1;
            Callbacks(callbacks, client_data)
                .call(*open, HX_STYLER_DIALOG_INDEX, HX_STYLER_DESTRUCTOR_CB, value);
        }
        if ((open = objects().find<Dialog>(id))) {
            journal_dialog(Entry::dialog_close, *open, response_name(answer), {}, answer);
            close_dialog_object(*open);
        }
        *response = answer;
        return HX_OK;
    });
}
