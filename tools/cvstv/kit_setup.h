// The kit a cvstv session works on: the kit variables of the headless
// host's session, set from a kit tree or taken from the environment.
#ifndef CVSTV_TOOLS_KIT_SETUP_H
#define CVSTV_TOOLS_KIT_SETUP_H

#include <string>
#include <vector>

namespace cvstv_cli {

// Points the session's kit variables at a kit tree laid out as a
// KRAX_BASE_DIR (cavora/, strivo/, fulgo/, krautomotive/presdes/, tooling/).
// False, after a message, when dir is no directory.
bool use_kit(const std::string &dir);

// True when the process environment sets any kit variable.
bool environment_names_a_kit();

// The kit variable of a wizard type (CAVORA_DIR for 1 and any unknown type).
const char *kit_variable(int wizard_type);

// "X is not set" or "neither X nor Y is set" for those of the variables
// that the session leaves unset, with a hint how to set them; empty when
// all are set.
std::string unset_variables(const std::vector<std::string> &names);

} // namespace cvstv_cli

#endif
