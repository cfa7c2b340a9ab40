// The headless host's dialogs as the dialog and selection files share them.
//
// A dialog definition comes from a dialog file (dialog_file.cpp). Opening
// it makes a Dialog in the object table, whose tag is the dialog id, and a
// Selection owned by it. Item values are read and changed through the
// dialog record (dialog_values.cpp) and by the scripted user while a
// dialog runs modally (dialog_run.cpp).
//
// Invariants of an item: `chosen` is ascending, holds valid entry indices
// and at most one index unless the item is a list with `multiple`;
// `entry_sensitive` has one flag per entry; `shown` is -1 or a valid entry
// index; a scale's value lies within its range; a text field holds at most
// HX_STYLER_MAX_TEXT_SIZE characters.
#ifndef VEXAHOST_DIALOGS_INTERNAL_H
#define VEXAHOST_DIALOGS_INTERNAL_H

#include "object_table.h"

#include "vexahost/dialogs.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vexa::sim {

struct DialogItem : ItemState {
    std::string id;
};

struct DialogDefinition {
    DialogState state;
    std::vector<DialogItem> items;
};

struct Dialog : HostObject {
    static constexpr ObjectKind object_kind = ObjectKind::dialog;
    DialogState state;
    std::vector<DialogItem> items;

    DialogItem *find(std::string_view id)
    {
        for (DialogItem &item : items)
            if (item.id == id)
                return &item;
        return nullptr;
    }
};

struct Selection : HostObject {
    static constexpr ObjectKind object_kind = ObjectKind::selection;
    tag_t dialog = 0;
    std::vector<tag_t> objects; // in the order they were added, no repeats
};

// Kinds whose items have entries (lists, option menus, radio boxes,
// palettes, tabs).
bool has_entries(ItemKind kind);
// Name of an item kind as dialog files write it.
const char *kind_name(ItemKind kind);

// Parses the text of a dialog file. On failure returns false with the
// reason ("line 3: unknown item kind \"slider\"") in error.
bool parse_dialog_definition(std::string_view text, DialogDefinition &definition, std::string &error);
// The local path of a dialog file: a path as given, a bare name from the
// dialog directories; nullopt when no such file exists.
std::optional<std::string> find_dialog_file(const std::string &name);
// Reads and parses a dialog file; a host status (0 on success) and the
// reason of a failure in error.
int load_dialog_definition(const std::string &name, DialogDefinition &definition, std::string &error);

// Opens a dialog from a definition: the dialog with its selection.
Dialog &open_dialog_from(DialogDefinition definition);
// Closes a dialog: its selection is emptied, unhighlighting its objects,
// and both leave the object table.
void close_dialog_object(Dialog &dialog);
Dialog *find_dialog(int dialog_id);

// Selection service (selection.cpp): add or remove objects, highlighting.
int add_to_selection(Selection &selection, const std::vector<tag_t> &objects, bool highlight);
void remove_from_selection(Selection &selection, const std::vector<tag_t> &objects, bool unhighlight);

} // namespace vexa::sim

#endif
