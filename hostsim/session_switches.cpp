// Switches of the headless host's session (vexahost/session_switches.h):
// release text, delay of inter-part updates and the boolean-face modelling
// preference. One area; a reset gives the session as the host starts it.
// The PDM manager's switch belongs to the PDM (pdm.cpp), the assembly
// options record to the assemblies (assemblies.cpp).
#include "session_state.h"

#include "../src/host/hx_memory.h"
#include "../src/host/hx_session.h"

#include <algorithm>
#include <array>

using vexa::sim::host_call;

namespace {

struct SwitchesState {
    std::string release = "V7.5.2";
    bool delayed = false;
    bool boolean_face_properties = false;
};

vexa::sim::AreaState<SwitchesState> switches{"session switches"};

} // namespace

namespace vexa::sim {

void set_release(const std::string &release)
{
    switches->release = release;
}
void set_session_delayed(bool delayed)
{
    switches->delayed = delayed;
}
bool session_delayed()
{
    return switches->delayed;
}
bool boolean_face_properties()
{
    return switches->boolean_face_properties;
}

} // namespace vexa::sim

extern "C" {

HX_API int HX_get_release(char **release)
{
    return host_call("HX_get_release", [&]() -> int {
        if (!release)
            return HX_ERR_BAD_ARGUMENT;
        *release = HX_strdup(switches->release.c_str());
        return *release ? HX_OK : HX_ERR_NO_MEMORY;
    });
}

HX_API int DUC_is_session_delayed(int *delayed)
{
    return host_call("DUC_is_session_delayed", [&]() -> int {
        if (!delayed)
            return HX_ERR_BAD_ARGUMENT;
        *delayed = switches->delayed ? 1 : 0;
        return HX_OK;
    });
}

HX_API int DUC_undelay_session(void)
{
    return host_call("DUC_undelay_session", [&]() -> int {
        switches->delayed = false;
        return HX_OK;
    });
}

HX_API int HX_ZOLT_set_session_delay(int delay)
{
    return host_call("HX_ZOLT_set_session_delay", [&]() -> int {
        switches->delayed = delay != 0;
        return HX_OK;
    });
}

HX_API int JA_MODL_PREFS_set_boolean_face_properties(int inherit)
{
    return host_call("JA_MODL_PREFS_set_boolean_face_properties", [&]() -> int {
        switches->boolean_face_properties = inherit != 0;
        return HX_OK;
    });
}

} // extern "C"
