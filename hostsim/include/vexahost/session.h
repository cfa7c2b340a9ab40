// Setting up and inspecting the headless host session.
//
// The headless host keeps one session per process. Tests and the command-line
// front end use the setup headers of its areas to build and read a session:
// this header resets it and brings in every area's header. The library itself
// never includes these headers: it sees only the host interface.
#ifndef VEXAHOST_SESSION_H
#define VEXAHOST_SESSION_H

#include "vexahost/assemblies.h"
#include "vexahost/common.h"
#include "vexahost/dialogs.h"
#include "vexahost/environment.h"
#include "vexahost/faults.h"
#include "vexahost/files.h"
#include "vexahost/journal.h"
#include "vexahost/libraries.h"
#include "vexahost/memory.h"
#include "vexahost/messages.h"
#include "vexahost/objects.h"
#include "vexahost/parts.h"
#include "vexahost/preferences.h"
#include "vexahost/programs.h"
#include "vexahost/session_switches.h"
#include "vexahost/spreadsheets.h"
#include "vexahost/tooling.h"
#include "vexahost/ui_shell.h"
#include "vexahost/user.h"

namespace vexa::sim {

// Starts a fresh session: every host area goes back to its initial state
// (environment overrides, translations, scripted answers, journal, listing
// window, injected faults, call counts, the object table and everything in
// it). Live allocator blocks are not touched (a leak stays visible to
// live_blocks()), and the journal's sink stays.
VEXAHOST_API void reset();

} // namespace vexa::sim

#endif
