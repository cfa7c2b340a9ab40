// Switches of the headless host's session: the release text, the PDM
// manager, the delay of inter-part updates, the modelling preference for
// boolean face properties and the assembly options record. A reset puts
// them back to a session as the host starts it: release "V7.5.2", PDM
// manager inactive, updates not delayed, preference off, options all 0.
#ifndef VEXAHOST_SESSION_SWITCHES_H
#define VEXAHOST_SESSION_SWITCHES_H

#include "vexahost/common.h"

#include <string>
#include <vector>

namespace vexa::sim {

VEXAHOST_API void set_release(const std::string &release);
VEXAHOST_API void set_session_delayed(bool delayed);
VEXAHOST_API bool session_delayed();
// The modelling preference "faces made by a boolean inherit properties".
VEXAHOST_API bool boolean_face_properties();
// The PDM manager's switch: set_pdm_active (vexahost/assemblies.h); the
// assembly options record: assembly_options (vexahost/assemblies.h).

} // namespace vexa::sim

#endif
