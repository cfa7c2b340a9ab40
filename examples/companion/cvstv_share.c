/*
 * libcvstv_share.dll of the example kit: the companion library every
 * tooling application loads from the tooling base directory when it is
 * switched on. Its entry is called with the calling application's wizard
 * type and answers 0 when the application may go on; this one tells the
 * host it is ready (a line in the system log) and refuses a wizard type it
 * does not serve.
 *
 * It is an ordinary ELF shared object; the file name is the one the kits
 * ship. The host's services are resolved from the host process.
 */
#include "hx_common.h"
#include "hx_messages.h"

#include <stdio.h>

#define COMPANION_ENTRY __attribute__((visibility("default")))

COMPANION_ENTRY int Wizard_share_entry(int wizard_type);

int Wizard_share_entry(int wizard_type)
{
    static const char *const applications[] = {"mould design", "progressive die", "automotive dies",
                                               "electrodes"};
    char line[96];
    if (wizard_type < 1 || wizard_type > 4) {
        snprintf(line, sizeof line, "libcvstv_share: wizard type %d is not served", wizard_type);
        HX_syslog_write(line);
        return HX_ERR_BAD_ARGUMENT;
    }
    snprintf(line, sizeof line, "libcvstv_share: ready for wizard type %d (%s)", wizard_type,
             applications[wizard_type - 1]);
    HX_syslog_write(line);
    return 0;
}
