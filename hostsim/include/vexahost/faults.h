// Fault injection by host call name, and call counts.
//
// Every host call of the headless host enters through one guard that counts
// the call and answers an injected status instead of doing the work when a
// test asked for it. Names are the host calls' own ("HX_SS_create_port").
// Allocation failures have their own switch (memory.h), because one library
// step may allocate many times.
#ifndef VEXAHOST_FAULTS_H
#define VEXAHOST_FAULTS_H

#include "vexahost/common.h"

#include <string>

namespace vexa::sim {

// Make the host call `call` answer `status` (non-zero) instead of working:
// the first `after` calls from now succeed, then `times` calls fail (a
// negative `times`: every later call fails, until cleared or reset).
VEXAHOST_API void fail_call(const std::string &call, int status, long after = 0, long times = -1);
// Let `call` work again; with no argument, every call.
VEXAHOST_API void clear_call_failure(const std::string &call);
VEXAHOST_API void clear_call_failures();
// How often `call` was entered since the session was reset (failed calls
// included).
VEXAHOST_API long call_count(const std::string &call);

} // namespace vexa::sim

#endif
