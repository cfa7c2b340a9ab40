// Switches of the headless host's session (vexahost/session_switches.h):
// the uses of the host interface opened by HX_initialize, the application
// module, the drawing display state of each part, release text, delay of
// inter-part updates and the boolean-face modelling preference. One area; a
// reset gives the session as the host starts it.
// The PDM manager's switch belongs to the PDM (pdm.cpp), the assembly
// options record to the assemblies (assemblies.cpp).
#include "session_state.h"

#include "../src/host/hx_memory.h"
#include "../src/host/hx_session.h"

#include <algorithm>
#include <array>
#include <map>

using vexa::sim::host_call;

namespace {

struct SwitchesState {
    int interface_uses = 0; // HX_initialize calls not yet ended by HX_terminate
    int application_module = HX_APP_MODELING;
    std::map<tag_t, int> drawing_display; // parts not listed show their model
    std::string release = "V7.5.2";
    bool delayed = false;
    bool boolean_face_properties = false;
};

vexa::sim::AreaState<SwitchesState> switches{"session switches"};

} // namespace

namespace vexa::sim {

int interface_uses()
{
    return switches->interface_uses;
}
void set_application_module(int module)
{
    switches->application_module = module;
}
void set_drawing_display_state(tag_t part, int state)
{
    switches->drawing_display[part] = state;
}
int drawing_display_state(tag_t part)
{
    auto it = switches->drawing_display.find(part);
    return it == switches->drawing_display.end() ? HX_DRAW_MODEL_VIEW : it->second;
}

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

HX_API int HX_initialize(void)
{
    return host_call("HX_initialize", [&]() -> int {
        ++switches->interface_uses;
        return HX_OK;
    });
}

HX_API int HX_terminate(void)
{
    return host_call("HX_terminate", [&]() -> int {
        if (switches->interface_uses == 0)
            return HX_ERR_BAD_ARGUMENT;
        --switches->interface_uses;
        return HX_OK;
    });
}

HX_API int HX_ask_application_module(int *module)
{
    return host_call("HX_ask_application_module", [&]() -> int {
        if (!module)
            return HX_ERR_BAD_ARGUMENT;
        *module = switches->application_module;
        return HX_OK;
    });
}

HX_API int HX_DRAW_ask_display_state(int *state)
{
    return host_call("HX_DRAW_ask_display_state", [&]() -> int {
        if (!state)
            return HX_ERR_BAD_ARGUMENT;
        tag_t part = vexa::sim::display_part();
        if (part == HX_NULL_TAG)
            return HX_ERR_NOT_FOUND;
        *state = vexa::sim::drawing_display_state(part);
        return HX_OK;
    });
}

HX_API int HX_DRAW_set_display_state(int state)
{
    return host_call("HX_DRAW_set_display_state", [&]() -> int {
        if (state != HX_DRAW_MODEL_VIEW && state != HX_DRAW_SHEET_VIEW)
            return HX_ERR_BAD_ARGUMENT;
        tag_t part = vexa::sim::display_part();
        if (part == HX_NULL_TAG)
            return HX_ERR_NOT_FOUND;
        switches->drawing_display[part] = state;
        return HX_OK;
    });
}

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
