/* A libstv_share.dll whose entry fails: the progressive-die classes cannot
 * be set up. */
#include "hx_common.h"

__attribute__((visibility("default"))) int STV_udo_class_initiate(void);

int STV_udo_class_initiate(void)
{
    return HX_ERR_INTERNAL;
}
