// The headless host session: its one instance, reset, environment overrides
// and the journal of messages.
#include "session_state.h"

#include <cstdlib>

namespace vexa::sim {

Session &session()
{
    static Session instance;
    return instance;
}

void reset()
{
    Session &s = session();
    auto sink = std::move(s.journal_sink);
    s = Session{};
    s.journal_sink = std::move(sink);
}

void record(Entry kind, int severity, std::string title, std::string text, int response)
{
    Session &s = session();
    s.journal.push_back({kind, severity, std::move(title), std::move(text), response});
    if (s.journal_sink)
        s.journal_sink(s.journal.back());
}

const std::vector<JournalEntry> &journal() { return session().journal; }

std::vector<std::string> texts(Entry kind)
{
    std::vector<std::string> out;
    for (const JournalEntry &e : session().journal)
        if (e.kind == kind)
            out.push_back(e.text);
    return out;
}

void clear_journal() { session().journal.clear(); }

void set_journal_sink(std::function<void(const JournalEntry &)> sink)
{
    session().journal_sink = std::move(sink);
}

void set_env(const std::string &name, const std::string &value)
{
    session().env_overrides[name] = value;
}

void unset_env(const std::string &name) { session().env_overrides[name] = std::nullopt; }

void clear_env_overrides() { session().env_overrides.clear(); }

std::optional<std::string> lookup_env(const std::string &name)
{
    const Session &s = session();
    auto it = s.env_overrides.find(name);
    if (it != s.env_overrides.end())
        return it->second;
    if (const char *value = std::getenv(name.c_str()))
        return std::string(value);
    return std::nullopt;
}

void set_translation(const std::string &text, const std::string &translated)
{
    session().translations[text] = translated;
}

void push_dialog_answer(int button) { session().dialog_answers.push_back(button); }

bool listing_open() { return session().listing_is_open; }
void set_listing_open(bool open) { session().listing_is_open = open; }
std::string listing_text() { return session().listing; }

} // namespace vexa::sim
