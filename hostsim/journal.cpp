// The journal of what the headless host showed (journal.h). The sink stays
// across a reset: the CLI sets it once for its whole run.
#include "session_state.h"

#include <utility>

namespace vexa::sim {

namespace {

struct JournalState {
    std::vector<JournalEntry> entries;
    std::function<void(const JournalEntry &)> sink;
};

AreaState<JournalState> journal_state{"journal", [](JournalState &s) { s.entries.clear(); }};

} // namespace

void record(JournalEntry entry)
{
    journal_state->entries.push_back(std::move(entry));
    if (journal_state->sink)
        journal_state->sink(journal_state->entries.back());
}

void record(Entry kind, int severity, std::string title, std::string text, int response)
{
    JournalEntry entry;
    entry.kind = kind;
    entry.severity = severity;
    entry.title = std::move(title);
    entry.text = std::move(text);
    entry.response = response;
    record(std::move(entry));
}

const std::vector<JournalEntry> &journal()
{
    return journal_state->entries;
}

std::vector<std::string> texts(Entry kind)
{
    std::vector<std::string> out;
    for (const JournalEntry &e : journal_state->entries)
        if (e.kind == kind)
            out.push_back(e.text);
    return out;
}

void clear_journal()
{
    journal_state->entries.clear();
}

void set_journal_sink(std::function<void(const JournalEntry &)> sink)
{
    journal_state->sink = std::move(sink);
}

} // namespace vexa::sim
