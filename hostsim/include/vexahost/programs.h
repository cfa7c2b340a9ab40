// Programs the headless host starts for the host's program-spawning service
// (Orvel::SpawnProgram), and the workbooks handed to its spreadsheet editor.
//
// A spawn request names a host program ("C:\Office\excel.exe") and an
// argument vector. The host journals every request (Entry::spawn) and then
// starts a local program with posix_spawn, never through a shell: the program
// set for the request's file name (compared without regard to case) with
// its leading arguments, else the requested program itself when its local
// path is an executable file. The request's arguments follow, each one
// argument of the new process, read as host paths ('\' becomes '/') like
// every file the host is given. A request for which there is no local
// program raises HX_ERR_NOT_FOUND. Programs started without waiting are
// reaped as later requests come, or by wait_for_programs.
#ifndef VEXAHOST_PROGRAMS_H
#define VEXAHOST_PROGRAMS_H

#include "vexahost/common.h"

#include <string>
#include <vector>

namespace vexa::sim {

// The local program (command[0], a path or a name looked up in PATH) and
// leading arguments started for requests of the program file name `name`
// ("excel.exe"). An empty command removes the setting.
VEXAHOST_API void set_program(const std::string &name, const std::vector<std::string> &command);
VEXAHOST_API void clear_programs();
// Installs a local program (command[0] and leading arguments) as the host's
// separate spreadsheet program: the registry names its directory (the first
// place the applications look, "BinDirPath" under
// "HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Office") and requests for
// "excel.exe" start the command. An empty command does nothing.
VEXAHOST_API void install_spreadsheet_program(const std::vector<std::string> &command);
// Waits for every program started without waiting that has not ended yet;
// how many there were.
VEXAHOST_API int wait_for_programs();
// The workbooks handed to the host's spreadsheet editor, in order.
VEXAHOST_API std::vector<std::string> edited_workbooks();

} // namespace vexa::sim

#endif
