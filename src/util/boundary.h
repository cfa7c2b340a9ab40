// The C boundary of the library: every exported function runs its body
// through `guarded`, so that no C++ exception unwinds into the caller (a
// tooling application, the host process).
//
//     CVSTV_API int GXDB_Connect(...) noexcept
//     {
//         return cvstv::guarded("GXDB_Connect", -1, [&] { ... });
//     }
//
// An exception that escapes the body becomes the function's failure value,
// and one line naming the function and the exception goes to the host's
// system log. Out of memory is the expected case; anything else is a defect
// of the library, logged so that it can be found.
#ifndef CVSTV_UTIL_BOUNDARY_H
#define CVSTV_UTIL_BOUNDARY_H

#include <exception>
#include <new>
#include <type_traits>
#include <utility>

namespace cvstv {

// Writes "<function>: <what>" to the host's system log; never throws.
void log_escaped_exception(const char *function, const char *what) noexcept;

// The body's result, or `failed` (converted to the body's result type) when
// an exception escaped it.
template <class Body, class R = std::invoke_result_t<Body &>>
R guarded(const char *function, std::type_identity_t<R> failed, Body &&body) noexcept
{
    try {
        return std::forward<Body>(body)();
    } catch (const std::bad_alloc &) {
        log_escaped_exception(function, "out of memory");
    } catch (const std::exception &e) {
        log_escaped_exception(function, e.what());
    } catch (...) {
        log_escaped_exception(function, "unknown exception");
    }
    return failed;
}

// As above; `undo` runs after an exception was stopped, to leave the
// function's outputs as its documented failure leaves them (a table
// released, a list freed). It must not throw.
template <class Body, class Undo, class R = std::invoke_result_t<Body &>>
R guarded(const char *function, std::type_identity_t<R> failed, Body &&body, Undo &&undo) noexcept
{
    bool stopped = true;
    R result = guarded(function, failed, [&] {
        R r = std::forward<Body>(body)();
        stopped = false;
        return r;
    });
    if (stopped)
        std::forward<Undo>(undo)();
    return result;
}

// For functions without a result.
template <class Body> void guarded_void(const char *function, Body &&body) noexcept
{
    guarded(function, 0, [&] {
        std::forward<Body>(body)();
        return 0;
    });
}

} // namespace cvstv

#endif
