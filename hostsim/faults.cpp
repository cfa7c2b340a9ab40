// Fault injection by host call name and call counts (faults.h), used by the
// entry guard of every host call (host_call.h).
#include "session_state.h"

#include <cstdio>
#include <map>

namespace vexa::sim {

namespace {

struct Injected {
    int status = 0;
    long successes_left = 0; // calls that still succeed before failing
    long failures_left = -1; // failures still to give; negative: no end
};

struct FaultsState {
    std::map<std::string, Injected, std::less<>> injected;
    std::map<std::string, long, std::less<>> counts;
};

AreaState<FaultsState> faults{"faults"};

} // namespace

int enter_call(const char *call) noexcept
{
    try {
        ++faults->counts[call];
        auto it = faults->injected.find(call);
        if (it == faults->injected.end())
            return 0;
        Injected &f = it->second;
        if (f.successes_left > 0) {
            --f.successes_left;
            return 0;
        }
        int status = f.status;
        if (f.failures_left > 0 && --f.failures_left == 0)
            faults->injected.erase(it);
        return status;
    } catch (...) {
        return HX_ERR_NO_MEMORY; // the count itself could not be kept
    }
}

void note_escaped_exception(const char *call, const char *what) noexcept
{
    try {
        record(Entry::syslog, 0, "", std::string("host call ") + call + " failed: " + what);
    } catch (...) {
        std::fprintf(stderr, "vexahost: host call %s failed: %s\n", call, what);
    }
}

void fail_call(const std::string &call, int status, long after, long times)
{
    if (status == 0 || times == 0) {
        clear_call_failure(call);
        return;
    }
    faults->injected[call] = Injected{status, after < 0 ? 0 : after, times < 0 ? -1 : times};
}

void clear_call_failure(const std::string &call)
{
    faults->injected.erase(call);
}

void clear_call_failures()
{
    faults->injected.clear();
}

long call_count(const std::string &call)
{
    auto it = faults->counts.find(call);
    return it == faults->counts.end() ? 0 : it->second;
}

} // namespace vexa::sim
