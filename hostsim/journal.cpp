// The journal of what the headless host showed (journal.h). The sink stays
// across a reset: the CLI sets it once for its whole run.
//
// Entries handed to C callers (setup.h) must keep their strings until the
// journal is cleared, while the entries of the vector may move as it grows;
// they get copies that never move, made when first asked for and dropped
// with the journal.
#include "session_state.h"

#include <deque>
#include <utility>

namespace vexa::sim {

namespace {

struct JournalState {
    std::vector<JournalEntry> entries;
    std::deque<JournalEntry> stable_copies; // the first entries, copied for C callers
    std::function<void(const JournalEntry &)> sink;
};

AreaState<JournalState> journal_state{"journal", [](JournalState &s) {
                                          s.entries.clear();
                                          s.stable_copies.clear();
                                      }};

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
    journal_state->stable_copies.clear();
}

const JournalEntry *stable_journal_entry(std::size_t index)
{
    JournalState &s = journal_state.get();
    if (index >= s.entries.size())
        return nullptr;
    while (s.stable_copies.size() <= index)
        s.stable_copies.push_back(s.entries[s.stable_copies.size()]);
    return &s.stable_copies[index];
}

void set_journal_sink(std::function<void(const JournalEntry &)> sink)
{
    journal_state->sink = std::move(sink);
}

} // namespace vexa::sim
