// Switches of the headless host's session: the uses of the host interface,
// the application module, the drawing display state of each part, the
// release text, the PDM manager, the delay of inter-part updates, the
// modelling preference for boolean face properties and the assembly options
// record. A reset puts them back to a session as the host starts it: no use
// of the interface open, the modelling module (48), every part showing its
// model (drawing display state 1), release "V7.5.2", PDM manager inactive,
// updates not delayed, preference off, options all 0.
#ifndef VEXAHOST_SESSION_SWITCHES_H
#define VEXAHOST_SESSION_SWITCHES_H

#include "vexahost/common.h"

#include <string>
#include <vector>

namespace vexa::sim {

// How many uses of the host interface HX_initialize opened that
// HX_terminate has not ended.
VEXAHOST_API int interface_uses();
// The application module HX_ask_application_module answers (HX_APP_...).
VEXAHOST_API void set_application_module(int module);
// A part's drawing display state (HX_DRAW_..., any value for tests), as
// HX_DRAW_ask_display_state answers it while the part is displayed.
VEXAHOST_API void set_drawing_display_state(tag_t part, int state);
VEXAHOST_API int drawing_display_state(tag_t part);

VEXAHOST_API void set_release(const std::string &release);
VEXAHOST_API void set_session_delayed(bool delayed);
VEXAHOST_API bool session_delayed();
// The modelling preference "faces made by a boolean inherit properties".
VEXAHOST_API bool boolean_face_properties();
// The PDM manager's switch: set_pdm_active (vexahost/assemblies.h); the
// assembly options record: assembly_options (vexahost/assemblies.h).

} // namespace vexa::sim

#endif
