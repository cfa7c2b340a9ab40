// Spreadsheets of the headless host: the default spreadsheet application,
// the registry and the ports of the separate spreadsheet program.
#ifndef VEXAHOST_SPREADSHEETS_H
#define VEXAHOST_SPREADSHEETS_H

#include "vexahost/common.h"

#include <string>
#include <vector>

namespace vexa::sim {

// The default spreadsheet application: true for the separate spreadsheet
// program (.xls through ports), false for the host's own (XESS, .xs4).
VEXAHOST_API void set_default_spreadsheet_excel(bool excel);
// Registry values answered by HX_CV_read_register (empty by default).
VEXAHOST_API void set_registry_value(const std::string &key, const std::string &value_name,
                                     const std::string &value);
VEXAHOST_API void clear_registry();
// Make HX_SS_create_port fail with a host status (0: succeed again); the
// same as fail_call("HX_SS_create_port", status).
VEXAHOST_API void fail_port_creation(int status);
// Starts the spreadsheet program behind a new port, as a user of the host
// would (the work of HX_SS_create_port, without its call count or injected
// faults); the port number, 1 or more.
VEXAHOST_API int create_port();
// Host paths of the workbooks open in a port, in opening order.
VEXAHOST_API std::vector<std::string> open_workbooks(int port);

} // namespace vexa::sim

#endif
