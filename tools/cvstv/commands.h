// The subcommands of cvstv. Each one lives in its own cmd_*.cpp file and is
// listed in the table of main.cpp.
#ifndef CVSTV_TOOLS_COMMANDS_H
#define CVSTV_TOOLS_COMMANDS_H

#include <string>
#include <vector>

namespace cvstv_cli {

struct Command {
    const char *name;
    const char *summary;
    const char *usage; // full --help text
    int (*run)(const std::vector<std::string> &args);
};

// Prints "cvstv: <command>: <message>" to standard error; returns 1.
int fail(const char *command, const std::string &message);

int run_fspec(const std::vector<std::string> &args);
extern const char *const fspec_usage;

int run_search(const std::vector<std::string> &args);
extern const char *const search_usage;

int run_lookup(const std::vector<std::string> &args);
extern const char *const lookup_usage;
int run_sheets(const std::vector<std::string> &args);
extern const char *const sheets_usage;

} // namespace cvstv_cli

#endif
