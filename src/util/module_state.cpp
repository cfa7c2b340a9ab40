// Registry of module-state resets (module_state.h).
#include "util/module_state.h"

#include <vector>

namespace cvstv {

namespace {

// Filled during static initialisation of the library: a function-local
// static, so it exists before the first registration.
std::vector<void (*)()> &resets()
{
    static std::vector<void (*)()> registered;
    return registered;
}

} // namespace

ModuleStateReset::ModuleStateReset(void (*reset)())
{
    resets().push_back(reset);
}

void reset_module_state()
{
    for (auto reset : resets())
        reset();
}

} // namespace cvstv

extern "C" void cvstv_reset_module_state(void)
{
    cvstv::reset_module_state();
}
