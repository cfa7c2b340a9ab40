// The spreadsheet back-end state shared by the workbook database, spreadsheet
// loading and workbook editing: the opened spreadsheet port and the read
// method.
//
// The port is one process-wide integer, touched only on the host's
// user-interface thread: 0 at load (none opened yet), 1 or more once a port
// was created, -1 after a failure to find or start the spreadsheet program.
// The read method is always 0: automation is used whenever a port is open.
#include "cvstvshare/sheet_gxdb.h"
#include "util/boundary.h"
#include "util/module_state.h"

namespace {

int opened_port = 0;
const cvstv::ModuleStateReset port_reset{[] { opened_port = 0; }};

} // namespace

extern "C" {

CVSTV_API int CVSTVSHARE_get_xls_port(void) noexcept
{
    return cvstv::guarded("CVSTVSHARE_get_xls_port", 0, [&]() -> int { return opened_port; });
}

CVSTV_API void CVSTVSHARE_set_xls_port(int port) noexcept
{
    cvstv::guarded_void("CVSTVSHARE_set_xls_port", [&] { opened_port = port; });
}

CVSTV_API int CVSTVSHARE_get_xls_read_method(void) noexcept
{
    return cvstv::guarded("CVSTVSHARE_get_xls_read_method", 0, [&]() -> int { return 0; });
}

} // extern "C"
