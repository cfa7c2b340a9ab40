// Switches of the headless host's session (vexahost/session_switches.h):
// release text, PDM manager, delay of inter-part updates, the boolean-face
// modelling preference and the assembly options record. One area; a reset
// gives the session as the host starts it.
#include "session_state.h"

#include "../src/host/hx_memory.h"
#include "../src/host/hx_session.h"

#include <algorithm>
#include <array>

using vexa::sim::host_call;

namespace {

struct SwitchesState {
    std::string release = "V7.5.2";
    bool pdm_active = false;
    bool delayed = false;
    bool boolean_face_properties = false;
    HX_ASSY_options_s options{};
};

vexa::sim::AreaState<SwitchesState> switches{"session switches"};

} // namespace

namespace vexa::sim {

void set_release(const std::string &release)
{
    switches->release = release;
}
void set_pdm_active(bool active)
{
    switches->pdm_active = active;
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

std::vector<int> assembly_options()
{
    return {std::begin(switches->options.value), std::end(switches->options.value)};
}

void set_assembly_options(const std::vector<int> &options)
{
    switches->options = HX_ASSY_options_s{};
    std::copy_n(options.begin(), std::min<std::size_t>(options.size(), HX_ASSY_OPTION_COUNT),
                switches->options.value);
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

HX_API int HX_is_krmanager_active(int *active)
{
    return host_call("HX_is_krmanager_active", [&]() -> int {
        if (!active)
            return HX_ERR_BAD_ARGUMENT;
        *active = switches->pdm_active ? 1 : 0;
        return HX_OK;
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

HX_API int ASSY_ask_assy_options(HX_ASSY_options_s *options)
{
    return host_call("ASSY_ask_assy_options", [&]() -> int {
        if (!options)
            return HX_ERR_BAD_ARGUMENT;
        *options = switches->options;
        return HX_OK;
    });
}

HX_API int ASSY_set_assy_options(const HX_ASSY_options_s *options)
{
    return host_call("ASSY_set_assy_options", [&]() -> int {
        if (!options)
            return HX_ERR_BAD_ARGUMENT;
        switches->options = *options;
        return HX_OK;
    });
}

} // extern "C"
