// What the files implementing the headless host share: the area registry,
// the object table, the entry guard of host calls, the journal and the
// scripted user. One session per process, used on one thread (the host's
// user-interface thread), so there are no locks. Each area keeps its own
// state in its own source file (area.h).
#ifndef VEXAHOST_SESSION_STATE_H
#define VEXAHOST_SESSION_STATE_H

#include "area.h"
#include "host_call.h"
#include "object_table.h"

#include "vexahost/session.h"

#include <optional>
#include <string>
#include <vector>

namespace vexa::sim {

// Appends to the journal and passes the entry to the sink.
void record(JournalEntry entry);
void record(Entry kind, int severity, std::string title, std::string text, int response = 0);

// Enters a C++ service of the host (hx_cxx.h): counts it and raises an
// injected status as an Orvel::HostError.
void enter_service(const char *service);

// The index-th journal entry in storage that does not move until the
// journal is cleared or reset (for the C setup API); null out of range.
const JournalEntry *stable_journal_entry(std::size_t index);

// The value of an environment variable as the session sees it.
std::optional<std::string> lookup_env(const std::string &name);

// Reads a whole file (host path) of at most `limit` bytes into text:
// HX_OK; HX_ERR_NOT_FOUND when there is no such file; HX_ERR_IO when it is
// a directory, cannot be read or is larger than limit.
int read_host_file(const std::string &host_path, std::string &text, std::size_t limit);

// The answer at the front of the scripted user's queue when it is for this
// kind of question (taken off the queue); nullopt otherwise.
std::optional<Answer> take_answer(Ask ask);

} // namespace vexa::sim

#endif
