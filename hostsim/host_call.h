// The one entry guard of every host call of the headless host.
//
// A host call is C: nothing may unwind out of it into the library. The guard
// counts the call, answers a status injected by name instead of doing the
// work (faults.h), and turns an escaping exception into a host status:
// HX_ERR_NO_MEMORY for std::bad_alloc, HX_ERR_INTERNAL (with a system-log
// line naming the call) for anything else. Calls that return a value rather
// than a status use host_value_call with the value that means failure.
#ifndef VEXAHOST_HOST_CALL_H
#define VEXAHOST_HOST_CALL_H

#include "hx_common.h"

#include <exception>
#include <new>
#include <utility>

namespace vexa::sim {

// Counts the call; its injected status, or 0 to go on.
int enter_call(const char *call) noexcept;
// Notes an exception that escaped a host call (system log of the journal).
void note_escaped_exception(const char *call, const char *what) noexcept;

template <class Body> int host_call(const char *call, Body &&body) noexcept
{
    try {
        if (int injected = enter_call(call))
            return injected;
        return std::forward<Body>(body)();
    } catch (const std::bad_alloc &) {
        return HX_ERR_NO_MEMORY;
    } catch (const std::exception &e) {
        note_escaped_exception(call, e.what());
    } catch (...) {
        note_escaped_exception(call, "unknown exception");
    }
    return HX_ERR_INTERNAL;
}

// For calls that answer a value: `failed` when a fault is injected or an
// exception escapes.
template <class R, class Body> R host_value_call(const char *call, R failed, Body &&body) noexcept
{
    try {
        if (enter_call(call))
            return failed;
        return std::forward<Body>(body)();
    } catch (const std::bad_alloc &) {
    } catch (const std::exception &e) {
        note_escaped_exception(call, e.what());
    } catch (...) {
        note_escaped_exception(call, "unknown exception");
    }
    return failed;
}

} // namespace vexa::sim

#endif
