// The journal of everything the headless host showed or asked: message
// boxes with their severity, message dialogs with their buttons and the
// answer given, listing window, system log, cue and status line, modal
// dialogs (opened, each action of the user, closed with their response),
// interactive selections and point picks with what the user picked. Tests
// assert the exact texts; the command-line front end prints entries as they
// come through the sink.
#ifndef VEXAHOST_JOURNAL_H
#define VEXAHOST_JOURNAL_H

#include "vexahost/common.h"

#include <functional>
#include <string>
#include <vector>

namespace vexa::sim {

enum class Entry {
    message_box,
    message_dialog,
    listing,
    syslog,
    cue,
    status,
    user_message,  // a message the user may switch off (title, text, buttons, answer)
    tooling_log,   // a text written to the host's tooling log
    shell,         // the user-interface shell changed: a toolbar, a palette, a translation file
    dialog_open,   // title, text: the dialog file
    dialog_action, // title: the dialog; text: what the user did; answer: the item
    dialog_close,  // title, response: the dialog's response
    selection,     // title, text: the prompt; response; objects picked
    point,         // text: the prompt; severity: the construction method offered;
                   // response; answer: the position picked
    spawn,         // text: the program asked for; arguments: its argument vector;
                   // severity: 1 when the caller waits; answer: the local program
                   // started ("" when none was); response: the exit status waited for
    sheet_edit,    // text: the workbook opened in the host's spreadsheet editor
};

struct JournalEntry {
    Entry kind;
    int severity = 0;                   // message box severity, dialog type
    std::string title;                  // dialog title
    std::string text;                   // the text as shown (dialog lines joined by '\n')
    int response = 0;                   // the answer: a button position from 1, or the
                                        // response code the dialog returned; else 0
    std::vector<std::string> buttons;   // labels offered, in order (dialogs only)
    std::string answer;                 // label of the button pressed ("" when closed)
    std::vector<tag_t> objects;         // objects picked (selections, point picks)
    std::vector<std::string> arguments; // a spawned program's arguments, one each
};

VEXAHOST_API const std::vector<JournalEntry> &journal();
// Texts of the journal entries of one kind, in order.
VEXAHOST_API std::vector<std::string> texts(Entry kind);
VEXAHOST_API void clear_journal();
// Called for every new journal entry (the CLI prints them); empty: none.
// The sink survives a reset of the session.
VEXAHOST_API void set_journal_sink(std::function<void(const JournalEntry &)> sink);

} // namespace vexa::sim

#endif
