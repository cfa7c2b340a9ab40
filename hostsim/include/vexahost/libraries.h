// Libraries the headless host loaded for the session (HX_load_library).
#ifndef VEXAHOST_LIBRARIES_H
#define VEXAHOST_LIBRARIES_H

#include "vexahost/common.h"

#include <string>
#include <vector>

namespace vexa::sim {

struct LoadedLibrary {
    std::string path;  // host path as asked
    std::string entry; // entry looked up
};
// Every successful HX_load_library since the session started, in order.
VEXAHOST_API std::vector<LoadedLibrary> loaded_libraries();

} // namespace vexa::sim

#endif
