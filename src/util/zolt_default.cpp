// The customer default that decides whether linked parents are loaded
// (model_update_internal.h), read through the customer defaults.
#include "util/model_update_internal.h"

// The customer defaults answer a key of a wizard type in a value kind
// (5: logical, into an int); 0 when answered.
extern "C" int CVSTVSHARE_get_customer_default(int wizard_type, const char *key, int unit_mode, int kind,
                                               void *value) __attribute__((weak));

namespace cvstv {

bool load_zolt_data(int wizard_type)
{
    constexpr int logical_kind = 5;
    int value = 0;
    if (!CVSTVSHARE_get_customer_default ||
        CVSTVSHARE_get_customer_default(wizard_type, "CV_Load_ZOLT_Data", 0, logical_kind, &value) != 0)
        return false;
    return value == 1;
}

} // namespace cvstv
