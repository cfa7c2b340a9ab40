// The journal of everything the headless host showed or asked: message
// boxes with their severity, message dialogs with their buttons and the
// answer given, listing window, system log, cue and status line. Tests
// assert the exact texts; the command-line front end prints entries as they
// come through the sink.
#ifndef VEXAHOST_JOURNAL_H
#define VEXAHOST_JOURNAL_H

#include "vexahost/common.h"

#include <functional>
#include <string>
#include <vector>

namespace vexa::sim {

enum class Entry { message_box, message_dialog, listing, syslog, cue, status, tooling_log };

struct JournalEntry {
    Entry kind;
    int severity = 0;                 // message box severity, dialog type
    std::string title;                // dialog title
    std::string text;                 // the text as shown (dialog lines joined by '\n')
    int response = 0;                 // the answer: a button position from 1, or the
                                      // response code the dialog returned; else 0
    std::vector<std::string> buttons; // labels offered, in order (dialogs only)
    std::string answer;               // label of the button pressed ("" when closed)
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
