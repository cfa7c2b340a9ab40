// The subcommands of cvstv. Each one lives in its own cmd_<name>.cpp file,
// which defines its Command; the table in main.cpp lists them (see
// README.md for adding one).
#ifndef CVSTV_TOOLS_COMMANDS_H
#define CVSTV_TOOLS_COMMANDS_H

#include <string>
#include <vector>

namespace cvstv_cli {

struct Command {
    const char *name;
    const char *summary; // one line for 'cvstv --help'
    const char *usage;   // the full text of 'cvstv <name> --help'
    // Runs the command with the arguments after its name; the exit status
    // (0 success, 1 failure, 2 usage error).
    int (*run)(const std::vector<std::string> &args);
};

extern const Command fspec_command;
extern const Command lookup_command;
extern const Command part_command;
extern const Command search_command;
extern const Command sheets_command;
extern const Command app_command;
extern const Command default_command;
extern const Command material_command;
extern const Command thread_command;
extern const Command edit_command;
extern const Command pdm_command;

// The PDM store file of --pdm ("" when not given), and opening it for a
// command with the PDM manager active (false after a message).
extern std::string pdm_store_file;
bool open_pdm_store_file(const char *command);

// Prints "cvstv: <command>: <message>" to standard error; returns 1.
int fail(const char *command, const std::string &message);
// Prints "cvstv: <command>: warning: <message>" to standard error.
void warn(const char *command, const std::string &message);

} // namespace cvstv_cli

#endif
