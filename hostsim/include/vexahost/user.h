// The scripted user of the headless host: one queue of answers for
// everything a user answers: message dialogs, what the user does in a
// modal dialog (set item values, choose list entries, press buttons, end
// the dialog), interactive selections and point picks.
//
// When the host asks the user, it takes the answer at the front of the
// queue if that answer is for this kind of question; otherwise it leaves
// the queue alone and the question gets its default answer: the first
// button of a message dialog, Cancel for a modal dialog, a selection or a
// point pick (a headless host never waits). Every question and the answer
// given go to the journal, so a test can check both.
#ifndef VEXAHOST_USER_H
#define VEXAHOST_USER_H

#include "vexahost/common.h"

#include <array>
#include <cstddef>
#include <string>
#include <vector>

namespace vexa::sim {

// What an answer is for.
enum class Ask {
    message_dialog, // a message dialog: a button by label or position, or closed
    user_message,   // a message the user may switch off: a button, and whether to hide it
    dialog,         // one action of the user in a modal dialog
    selection,      // an interactive selection
    point,          // a point pick
};

// What the user does in a modal dialog (Ask::dialog).
enum class DialogAction {
    set_value,    // types a value, switches a toggle, moves a scale, chooses entries
    press,        // presses a button (activate)
    double_click, // double-clicks an entry of a list
    navigate,     // presses OK, Apply, Back or Cancel (`nav`: 0, 1, 2, 3)
};

// How an interactive selection or a point pick ends.
enum class Pick { picked, by_name, ok, back, cancel };

struct Answer {
    Ask ask = Ask::message_dialog;
    // Message dialogs.
    std::string button; // a button by its label as offered (before translation)
    int position = 0;   // else a button by its position from 1
    bool close = false; // the user closes the dialog without pressing a button
    bool hide = false;  // user_message: tick "Do not show this message again"

    // Modal dialogs: the item acted on and the value given, read by the
    // item's kind: `number` for toggles, integers, reals and scales; `text`
    // for text fields; `lines` for multi-line texts; `indices` for the
    // entries chosen in lists, option menus, radio boxes, palettes and tabs.
    DialogAction action = DialogAction::set_value;
    std::string item;
    double number = 0;
    std::string text;
    std::vector<std::string> lines;
    std::vector<int> indices;
    int nav = 0; // HX_STYLER_NAV_OK ... for DialogAction::navigate

    // Selections and point picks.
    Pick pick = Pick::picked;
    std::vector<tag_t> objects;    // the objects the user picks (in order)
    std::array<double, 3> point{}; // the position picked
    int method = -1;               // the point construction method used (-1: as offered)
};

VEXAHOST_API void push_answer(const Answer &answer);
// Shorthands for message dialogs.
VEXAHOST_API void push_dialog_answer(int position);
VEXAHOST_API void push_dialog_answer(const std::string &button);
VEXAHOST_API void push_dialog_close();
// Shorthand for a message the user may switch off: the button by its
// position from 1, and whether the user ticks "Do not show this message
// again".
VEXAHOST_API void push_user_message_answer(int position, bool hide = false);

// Shorthands for modal dialogs.
VEXAHOST_API void push_item_value(const std::string &item, double number);
VEXAHOST_API void push_item_text(const std::string &item, const std::string &text);
VEXAHOST_API void push_item_lines(const std::string &item, const std::vector<std::string> &lines);
VEXAHOST_API void push_item_choice(const std::string &item, const std::vector<int> &indices);
VEXAHOST_API void push_item_press(const std::string &item);
VEXAHOST_API void push_item_double_click(const std::string &item, int index);
// nav: 0 OK, 1 Apply, 2 Back, 3 Cancel.
VEXAHOST_API void push_dialog_navigate(int nav);

// Shorthands for selections and point picks.
VEXAHOST_API void push_selection(const std::vector<tag_t> &objects, Pick how = Pick::picked);
VEXAHOST_API void push_selection_end(Pick how); // back, cancel, or OK with nothing picked
VEXAHOST_API void push_point(double x, double y, double z, int method = -1);
VEXAHOST_API void push_point_end(Pick how); // back or cancel

// Answers not yet taken.
VEXAHOST_API std::size_t pending_answers();
VEXAHOST_API void clear_answers();

} // namespace vexa::sim

#endif
