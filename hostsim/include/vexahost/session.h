// Setting up and inspecting the headless host session.
//
// The headless host keeps one session per process. Tests and the command-line
// front end use this header to reset it, override environment variables,
// script the user's answers to dialogs, inject allocation failures, and read
// back the journal of everything the library showed (message boxes, dialogs,
// listing window, system log, cue and status line). The library itself never
// includes this header: it sees only the host interface.
#ifndef VEXAHOST_SESSION_H
#define VEXAHOST_SESSION_H

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#define VEXAHOST_API __attribute__((visibility("default")))

namespace vexa::sim {

// ---- Session ---------------------------------------------------------------

// Starts a fresh session: environment overrides, translations, scripted
// answers, journal and listing window are cleared. Live allocator blocks are
// not touched (a leak stays visible to live_blocks()).
VEXAHOST_API void reset();

// ---- Allocator -------------------------------------------------------------

// Number of blocks handed out by the host allocator and not yet freed.
VEXAHOST_API std::size_t live_blocks();
// Make the allocator refuse every request after `successes` more successful
// ones (0: the next request fails). A negative value switches failure off.
VEXAHOST_API void fail_allocations_after(long successes);

// ---- Environment -------------------------------------------------------------

// Make HX_translate_variable answer `value` for `name`.
VEXAHOST_API void set_env(const std::string &name, const std::string &value);
// Make HX_translate_variable report `name` as unset.
VEXAHOST_API void unset_env(const std::string &name);
// Drop every override: variables come from the process environment again.
VEXAHOST_API void clear_env_overrides();

// ---- Messages ----------------------------------------------------------------

enum class Entry { message_box, message_dialog, listing, syslog, cue, status };

struct JournalEntry {
    Entry kind;
    int severity;      // message box severity, dialog kind
    std::string title; // dialog title
    std::string text;  // the text as shown
    int response;      // dialog answer (button from 1), else 0
};

VEXAHOST_API const std::vector<JournalEntry> &journal();
// Texts of the journal entries of one kind, in order.
VEXAHOST_API std::vector<std::string> texts(Entry kind);
VEXAHOST_API void clear_journal();
// Called for every new journal entry (the CLI prints them); empty: none.
VEXAHOST_API void set_journal_sink(std::function<void(const JournalEntry &)> sink);

// HX_TEXT answers `translated` for `text`.
VEXAHOST_API void set_translation(const std::string &text, const std::string &translated);
// Queue the user's next answer to a message dialog (a button from 1). With
// no answer queued the first button is pressed.
VEXAHOST_API void push_dialog_answer(int button);

// Listing window.
VEXAHOST_API bool listing_open();
VEXAHOST_API void set_listing_open(bool open);
// Everything written to the listing window since the last reset.
VEXAHOST_API std::string listing_text();

// ---- Spreadsheets -------------------------------------------------------------

// The default spreadsheet application: true for the separate spreadsheet
// program (.xls through ports), false for the host's own (XESS, .xs4).
VEXAHOST_API void set_default_spreadsheet_excel(bool excel);
// Registry values answered by HX_CV_read_register (empty by default).
VEXAHOST_API void set_registry_value(const std::string &key, const std::string &value_name,
                                     const std::string &value);
VEXAHOST_API void clear_registry();
// Make HX_SS_create_port fail with a host status (0: succeed again).
VEXAHOST_API void fail_port_creation(int status);
// Host paths of the workbooks open in a port, in opening order.
VEXAHOST_API std::vector<std::string> open_workbooks(int port);

} // namespace vexa::sim

#endif
