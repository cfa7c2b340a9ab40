/*
 * libstv_share.dll of the example kit: the progressive-die application's
 * own companion library, loaded after libcvstv_share.dll when Strivo is
 * switched on. Its entry takes no argument and answers 0 when the
 * application's user-defined object classes are ready; this one tells the
 * host so in the system log.
 *
 * It is an ordinary ELF shared object; the file name is the one the kits
 * ship. The host's services are resolved from the host process.
 */
#include "hx_messages.h"

#define COMPANION_ENTRY __attribute__((visibility("default")))

COMPANION_ENTRY int STV_udo_class_initiate(void);

int STV_udo_class_initiate(void)
{
    HX_syslog_write("libstv_share: user-defined object classes initiated");
    return 0;
}
