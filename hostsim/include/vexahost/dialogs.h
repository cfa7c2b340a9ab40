// The headless host's dialogs and dialog selections: where dialog files are
// found, dialogs opened beside a test (as an application keeps a dialog
// open while the user works in the model), and what an open dialog and its
// items hold, for tests to check.
//
// Dialog files are text in the form described in hostsim/README.md
// ("Dialog files"). What the user does in a modal dialog is scripted with
// the answers of user.h; the interaction brackets of the host (locked
// mode, dialog bracket) can be inspected here.
#ifndef VEXAHOST_DIALOGS_H
#define VEXAHOST_DIALOGS_H

#include "vexahost/common.h"

#include <array>
#include <string>
#include <vector>

namespace vexa::sim {

// Kinds of dialog items, as named in dialog files.
enum class ItemKind {
    label,      // a caption
    button,     // a push button
    toggle,     // on (1) or off (0)
    integer,    // an integer field
    real,       // a real field
    string,     // a one-line text field (at most 132 characters)
    text,       // a multi-line text
    list,       // a list box: entries, one chosen (or several with `multiple`)
    option,     // an option menu: entries, one chosen
    radio,      // a radio box: entries, one chosen
    palette,    // a bitmap palette: entries, one chosen
    int_scale,  // an integer scale with a range
    real_scale, // a real scale with a range, decimal places and a step
    tab,        // a tab control: its entries are pages, the chosen one is active
};

// What an item holds. Fields that do not apply to the item's kind keep
// their defaults.
struct ItemState {
    ItemKind kind = ItemKind::label;
    std::string label;
    std::string bitmap;
    bool sensitive = true;
    bool visible = true;
    bool multiple = false;             // lists: several entries may be chosen
    std::vector<std::string> entries;  // lists, option menus, radio boxes, palettes, tabs
    std::vector<bool> entry_sensitive; // one per entry
    std::vector<int> chosen;           // chosen entries, ascending
    int shown = -1;                    // the entry last scrolled into view
    int integer = 0;                   // toggles, integers, integer scales
    double real = 0;                   // reals, real scales
    std::string text;                  // text fields
    std::vector<std::string> lines;    // multi-line texts
    double minimum = 0;                // scales
    double maximum = 100;
    int decimals = 2; // real scales
    double step = 1;
};

// What a dialog holds besides its items.
struct DialogState {
    std::string file; // the dialog file it was opened from ("" for text)
    std::string title;
    int width = 0;
    std::vector<std::string> pages; // pages of a tabbed dialog
    int active_page = 0;
    // Navigation buttons OK, Apply, Back, Cancel: shown, sensitive, label.
    std::array<bool, 4> nav_shown{true, false, false, true};
    std::array<bool, 4> nav_sensitive{true, true, true, true};
    std::array<std::string, 4> nav_labels{"OK", "Apply", "Back", "Cancel"};
    std::string focus;   // the item with the keyboard focus ("" none)
    tag_t selection = 0; // the dialog's selection
};

// A bare dialog file name is looked for in the directories added here, in
// order, then in the "application" directory of each kit variable that is
// set (CAVORA_DIR, STRIVO_DIR, FULGO_DIR, KRPRESDES_DIR). A reset of the
// session forgets the added directories.
VEXAHOST_API void add_dialog_directory(const std::string &local_directory);

// Opens a dialog from a dialog file (host or local path, or a bare name)
// or from the text of one, without running it: the dialog stays open until
// close_dialog. Returns its dialog id, or 0 with the reason in *error.
VEXAHOST_API int open_dialog(const std::string &dialog_file, std::string *error = nullptr);
VEXAHOST_API int open_dialog_text(const std::string &definition, std::string *error = nullptr);
// Closes an open dialog (its selection is emptied and unhighlighted).
VEXAHOST_API bool close_dialog(int dialog_id);
// The dialogs open now, oldest first.
VEXAHOST_API std::vector<int> open_dialogs();

// What an open dialog or one of its items holds; false when there is none.
VEXAHOST_API bool dialog_state(int dialog_id, DialogState &state);
VEXAHOST_API bool item_state(int dialog_id, const std::string &item, ItemState &state);
// The objects in an open dialog's selection, in the order they were added.
VEXAHOST_API std::vector<tag_t> selected_objects(int dialog_id);

// Depth of the host's interaction brackets now: locked user-function mode
// and the dialog bracket (each 0 when balanced).
VEXAHOST_API int locked_depth();
VEXAHOST_API int dialog_bracket_depth();

} // namespace vexa::sim

#endif
