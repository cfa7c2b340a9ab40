// The current wizard type and module id: plain module-level integers read
// and written on the host's user-interface thread. The wizard type is 0 and
// the module id -1 until an application sets them.
#include "cvstvshare/startup.h"
#include "util/boundary.h"
#include "util/module_state.h"

namespace {
int current_wizard_type = 0;
int current_module_id = -1;
const cvstv::ModuleStateReset wizard_reset{[] {
    current_wizard_type = 0;
    current_module_id = -1;
}};
} // namespace

extern "C" {

CVSTV_API void CVSTWSHARE_set_wizard_type(int wizard_type) noexcept
{
    cvstv::guarded_void("CVSTWSHARE_set_wizard_type", [&] { current_wizard_type = wizard_type; });
}

CVSTV_API int CVSTWSHARE_get_wizard_type(void) noexcept
{
    return cvstv::guarded("CVSTWSHARE_get_wizard_type", 0, [&]() -> int { return current_wizard_type; });
}

CVSTV_API int kt_set_module_id(int module_id) noexcept
{
    return cvstv::guarded("kt_set_module_id", -1, [&]() -> int {
        current_module_id = module_id;
        return 0;
    });
}

CVSTV_API int kt_ask_module_id(void) noexcept
{
    return cvstv::guarded("kt_ask_module_id", -1, [&]() -> int { return current_module_id; });
}

} // extern "C"
