// The state of the headless host session, shared by the files that
// implement the host interface. One session per process, used on one thread
// (the host's user-interface thread), so there are no locks.
#ifndef VEXAHOST_SESSION_STATE_H
#define VEXAHOST_SESSION_STATE_H

#include "vexahost/session.h"

#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vexa::sim {

// A workbook opened in read-write mode through the tooling utilities
// (spreadsheet_ports.cpp).
struct OpenWorkbook;

// A spreadsheet port: the workbook files open in the spreadsheet program
// behind it, in opening order, and the current one.
struct SpreadsheetPort {
    std::vector<std::string> open_files;
    std::string current;
};

struct Session {
    // Environment overrides: a value, or nullopt for "reported unset".
    std::map<std::string, std::optional<std::string>> env_overrides;
    // Values handed out by HX_translate_variable stay valid for the session.
    std::map<std::string, std::string> translated_values;

    std::map<std::string, std::string> translations;
    std::map<std::string, std::string> translated_texts;

    std::vector<JournalEntry> journal;
    std::function<void(const JournalEntry &)> journal_sink;
    std::deque<int> dialog_answers;

    bool listing_is_open = false;
    std::string listing;

    std::string temp_dir;
    unsigned long unique_counter = 0;

    // Spreadsheets: the default application, the registry (keys and value
    // names case-blind, stored lower-cased), ports and read-write workbooks.
    bool default_spreadsheet_excel = false;
    std::map<std::pair<std::string, std::string>, std::string> registry;
    int port_creation_failure = 0;
    std::map<int, SpreadsheetPort> ports;
    int next_port = 1;
    std::map<int, std::shared_ptr<OpenWorkbook>> workbooks;
    int next_workbook = 1;
};

Session &session();

// Appends to the journal and passes the entry to the sink.
void record(Entry kind, int severity, std::string title, std::string text, int response = 0);

// The value of an environment variable as the session sees it.
std::optional<std::string> lookup_env(const std::string &name);

} // namespace vexa::sim

#endif
