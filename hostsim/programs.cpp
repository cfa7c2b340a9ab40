// The host's program-spawning service (Orvel::SpawnProgram) and its
// spreadsheet editor (HX_sheet_edit) in the headless host
// (vexahost/programs.h).
//
// A program is started with posix_spawn and an argument vector built here:
// no text is ever handed to a command processor, so an argument holding
// blanks, quotes, ';' or "$(...)" reaches the program as one argument,
// unread. The program settings are session state; the processes started
// without waiting are process state (they outlive a session reset until
// reaped).
#include "session_state.h"

#include "hx_common.h"
#include "hx_cxx.h"
#include "hx_spreadsheet.h"

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <map>
#include <string>
#include <vector>

extern char **environ;

namespace {

struct ProgramsState {
    std::map<std::string, std::vector<std::string>> programs; // by lower-case file name
    std::vector<std::string> edited;                          // workbooks handed to the editor
};

vexa::sim::AreaState<ProgramsState> programs{"programs"};

// Started without waiting and not reaped yet.
std::vector<pid_t> running;

std::string lower(std::string text)
{
    for (char &c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// The file name of a host or local path.
std::string file_name_of(const std::string &path)
{
    std::size_t cut = path.find_last_of("\\/");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

void reap_ended()
{
    std::erase_if(running, [](pid_t pid) {
        int status = 0;
        pid_t done = ::waitpid(pid, &status, WNOHANG);
        return done == pid || (done < 0 && errno == ECHILD);
    });
}

bool is_executable_file(const std::string &path)
{
    struct stat st;
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
           ::access(path.c_str(), X_OK) == 0;
}

// The local command for a request: the program set for its file name with
// its leading arguments, else the program's own local path when it is an
// executable file; empty when there is none.
std::vector<std::string> local_command(const std::string &program)
{
    auto it = programs->programs.find(lower(file_name_of(program)));
    if (it != programs->programs.end())
        return it->second;
    std::string local = vexa::sim::local_path(program);
    if (is_executable_file(local))
        return {local};
    return {};
}

int exit_status_of(int status)
{
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        return 128 + WTERMSIG(status);
    return -1;
}

} // namespace

namespace vexa::sim {

void set_program(const std::string &name, const std::vector<std::string> &command)
{
    if (command.empty())
        programs->programs.erase(lower(name));
    else
        programs->programs[lower(name)] = command;
}

void clear_programs()
{
    programs->programs.clear();
}

void install_spreadsheet_program(const std::vector<std::string> &command)
{
    if (command.empty())
        return;
    std::size_t cut = command[0].find_last_of('/');
    std::string directory = cut == std::string::npos ? "/usr/bin"
                            : cut == 0               ? "/"
                                                     : command[0].substr(0, cut);
    set_registry_value("HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Office", "BinDirPath", host_path(directory));
    set_program("excel.exe", command);
}

int wait_for_programs()
{
    int count = 0;
    for (pid_t pid : running) {
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        ++count;
    }
    running.clear();
    return count;
}

std::vector<std::string> edited_workbooks()
{
    return programs->edited;
}

} // namespace vexa::sim

namespace Orvel {

int SpawnProgram(const char *program, const std::vector<std::string> &arguments, bool wait, int *exit_code)
{
    vexa::sim::enter_service("Orvel::SpawnProgram");
    if (exit_code)
        *exit_code = 0;
    if (!program || !*program)
        throw HostError(HX_ERR_BAD_ARGUMENT, "No program to start");
    reap_ended();

    vexa::sim::JournalEntry entry{};
    entry.kind = vexa::sim::Entry::spawn;
    entry.severity = wait ? 1 : 0;
    entry.text = program;
    entry.arguments = arguments;

    std::vector<std::string> command = local_command(program);
    if (command.empty()) {
        vexa::sim::record(std::move(entry));
        throw HostError(HX_ERR_NOT_FOUND, std::string("Cannot find the program ") + program);
    }
    for (const std::string &a : arguments)
        command.push_back(vexa::sim::local_path(a));
    std::vector<char *> argv;
    argv.reserve(command.size() + 1);
    for (std::string &a : command)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    // A name without a directory is looked up in PATH; posix_spawnp never
    // falls back to a shell for a file it cannot execute.
    // Room for the process is made first: once started, it is always kept
    // to be reaped.
    running.reserve(running.size() + 1);
    pid_t pid = 0;
    int failed = command[0].find('/') == std::string::npos
                     ? ::posix_spawnp(&pid, command[0].c_str(), nullptr, nullptr, argv.data(), environ)
                     : ::posix_spawn(&pid, command[0].c_str(), nullptr, nullptr, argv.data(), environ);
    if (failed != 0) {
        vexa::sim::record(std::move(entry));
        throw HostError(failed == ENOENT ? HX_ERR_NOT_FOUND : HX_ERR_IO,
                        "Cannot start " + command[0] + ": " + std::strerror(failed));
    }
    entry.answer = command[0];
    if (!wait) {
        running.push_back(pid);
        vexa::sim::record(std::move(entry));
        return HX_OK;
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) {
            vexa::sim::record(std::move(entry));
            throw HostError(HX_ERR_INTERNAL, "Lost the program started");
        }
    }
    entry.response = exit_status_of(status);
    if (exit_code)
        *exit_code = entry.response;
    vexa::sim::record(std::move(entry));
    return HX_OK;
}

} // namespace Orvel

extern "C" HX_API int HX_sheet_edit(const char *path)
{
    return vexa::sim::host_call("HX_sheet_edit", [&]() -> int {
        if (!path || !*path)
            return HX_ERR_BAD_ARGUMENT;
        programs->edited.emplace_back(path);
        vexa::sim::record(vexa::sim::Entry::sheet_edit, 0, "", path);
        return HX_OK;
    });
}
