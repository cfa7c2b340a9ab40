/* A libcvstv_share.dll whose entry fails with the host's status for a file
 * that cannot be read, as a companion whose own data is damaged would. */
#include "hx_common.h"

__attribute__((visibility("default"))) int Wizard_share_entry(int wizard_type);

int Wizard_share_entry(int wizard_type)
{
    (void)wizard_type;
    return HX_ERR_IO;
}
