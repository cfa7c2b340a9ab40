// The headless host's environment: variables as HX_translate_variable sees
// them. Overrides set here take precedence over the process environment.
#ifndef VEXAHOST_ENVIRONMENT_H
#define VEXAHOST_ENVIRONMENT_H

#include "vexahost/common.h"

#include <optional>
#include <string>

namespace vexa::sim {

// Make HX_translate_variable answer `value` for `name`.
VEXAHOST_API void set_env(const std::string &name, const std::string &value);
// Make HX_translate_variable report `name` as unset.
VEXAHOST_API void unset_env(const std::string &name);
// Drop every override: variables come from the process environment again.
VEXAHOST_API void clear_env_overrides();
// The value HX_translate_variable answers for `name` (nullopt: unset).
VEXAHOST_API std::optional<std::string> env_value(const std::string &name);

} // namespace vexa::sim

#endif
