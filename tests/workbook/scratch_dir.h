// A fresh directory under the system temporary directory for one test,
// removed with everything in it when the test ends.
#ifndef CVSTV_TESTS_WORKBOOK_SCRATCH_DIR_H
#define CVSTV_TESTS_WORKBOOK_SCRATCH_DIR_H

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

extern char **environ;

class ScratchDir {
  public:
    ScratchDir()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "cvstv_wb_XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
    }
    ~ScratchDir()
    {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    ScratchDir(const ScratchDir &) = delete;
    ScratchDir &operator=(const ScratchDir &) = delete;

    std::string file(const std::string &name) const { return (path_ / name).string(); }
    const std::filesystem::path &path() const { return path_; }

  private:
    std::filesystem::path path_;
};

inline std::string slurp(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void spew(const std::string &path, const std::string &bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

// Runs a program with an argument vector (argv[0] looked up in PATH when it
// has no '/'), never through a shell, and returns what it wrote to standard
// output and standard error together; `status` gets its exit status (-1
// when it could not be started or did not exit). Its standard input is the
// file `input`, or /dev/null.
inline std::string run_program(const std::vector<std::string> &argv, int &status,
                               const std::string &input = {})
{
    status = -1;
    std::string out;
    int fds[2];
    if (argv.empty() || ::pipe2(fds, O_CLOEXEC) != 0)
        return out;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, input.empty() ? "/dev/null" : input.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 2);
    std::vector<std::string> args = argv;
    std::vector<char *> pointers;
    for (std::string &a : args)
        pointers.push_back(a.data());
    pointers.push_back(nullptr);
    pid_t pid = 0;
    int failed = ::posix_spawnp(&pid, pointers[0], &actions, nullptr, pointers.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    if (failed == 0) {
        char buf[4096];
        ssize_t n;
        while ((n = ::read(fds[0], buf, sizeof buf)) != 0) {
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                break;
            out.append(buf, static_cast<std::size_t>(n));
        }
    }
    ::close(fds[0]);
    if (failed != 0)
        return out;
    int rc = 0;
    while (::waitpid(pid, &rc, 0) < 0 && errno == EINTR) {
    }
    status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    return out;
}

#endif
