// Helpers of the workbook database tests: a scratch directory per test,
// workbooks written through workbook/, host paths, and a child process that
// holds an exclusive lock on a file.
#ifndef CVSTV_TESTS_GXDB_TEST_SUPPORT_H
#define CVSTV_TESTS_GXDB_TEST_SUPPORT_H

#include "cvstvshare/sheet_gxdb.h"
#include "workbook/workbook.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace gxdb_test {

namespace fs = std::filesystem;
using workbook::Cell;

inline Cell T(const char *text)
{
    return Cell::make_text(text);
}
inline Cell I(long long value)
{
    return Cell::make_integer(value);
}
inline Cell R(double value)
{
    return Cell::make_real(value);
}

inline workbook::Sheet sheet(std::string name, std::vector<std::vector<Cell>> rows)
{
    workbook::Sheet s;
    s.name = std::move(name);
    s.rows = std::move(rows);
    return s;
}

// The host's form of a local path ('\' separators).
inline std::string host_path(std::string local)
{
    for (char &c : local)
        if (c == '/')
            c = '\\';
    return local;
}

// A fresh directory named after the running test, removed afterwards.
class ScratchDir {
  public:
    explicit ScratchDir(const std::string &prefix)
    {
        const auto *info = testing::UnitTest::GetInstance()->current_test_info();
        path_ = fs::path(testing::TempDir()) / (prefix + "_" + info->test_suite_name() + "_" + info->name());
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~ScratchDir()
    {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    const fs::path &path() const { return path_; }
    std::string local(const std::string &name) const { return (path_ / name).string(); }
    std::string host(const std::string &name) const { return host_path(local(name)); }

    // Writes a workbook; answers its host path.
    std::string write(const std::string &name, std::vector<workbook::Sheet> sheets) const
    {
        workbook::Workbook book;
        book.sheets = std::move(sheets);
        auto status = workbook::write_workbook(local(name), book);
        EXPECT_TRUE(status) << status.error;
        return host(name);
    }

    workbook::Workbook read(const std::string &name) const
    {
        workbook::Workbook book;
        auto status = workbook::read_workbook(local(name), book);
        EXPECT_TRUE(status) << status.error;
        return book;
    }

    std::vector<std::string> entries() const
    {
        std::vector<std::string> names;
        for (const auto &entry : fs::directory_iterator(path_))
            names.push_back(entry.path().filename().string());
        return names;
    }

  private:
    fs::path path_;
};

// A child process holding an exclusive flock on a file until destroyed, as
// another program that has the workbook open does.
class LockHolder {
  public:
    explicit LockHolder(const std::string &local_path)
    {
        int ready[2];
        int release[2];
        if (::pipe(ready) != 0 || ::pipe(release) != 0)
            return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(ready[0]);
            ::close(release[1]);
            int fd = ::open(local_path.c_str(), O_RDONLY);
            char ok = fd >= 0 && ::flock(fd, LOCK_EX) == 0 ? 'y' : 'n';
            if (::write(ready[1], &ok, 1) != 1)
                ::_exit(2);
            char done;
            while (::read(release[0], &done, 1) < 0) {
            }
            ::_exit(0);
        }
        ::close(ready[1]);
        ::close(release[0]);
        release_fd_ = release[1];
        char ok = 'n';
        locked_ = pid_ > 0 && ::read(ready[0], &ok, 1) == 1 && ok == 'y';
        ::close(ready[0]);
    }
    ~LockHolder()
    {
        if (release_fd_ >= 0)
            ::close(release_fd_); // the child's read returns: it exits and its lock goes
        if (pid_ > 0) {
            int status = 0;
            ::waitpid(pid_, &status, 0);
        }
    }
    LockHolder(const LockHolder &) = delete;
    LockHolder &operator=(const LockHolder &) = delete;

    bool locked() const { return locked_; }

  private:
    pid_t pid_ = -1;
    int release_fd_ = -1;
    bool locked_ = false;
};

inline sGXDB_Field field(const char *name, const char *type = "", int size = 0, int has_size = 0)
{
    sGXDB_Field f{};
    std::strncpy(f.name, name, sizeof f.name - 1);
    std::strncpy(f.type, type, sizeof f.type - 1);
    f.size = size;
    f.has_size = has_size;
    return f;
}

inline sGXDB_Field_Value integer(int v)
{
    sGXDB_Field_Value value{};
    value.type = GXDB_VALUE_INTEGER;
    value.value.i = v;
    return value;
}

inline sGXDB_Field_Value real(double v)
{
    sGXDB_Field_Value value{};
    value.type = GXDB_VALUE_REAL;
    value.value.d = v;
    return value;
}

inline sGXDB_Field_Value text(const std::string &v)
{
    sGXDB_Field_Value value{};
    value.type = GXDB_VALUE_TEXT;
    std::strncpy(value.value.s, v.c_str(), sizeof value.value.s - 1);
    return value;
}

// Takes a string list handed out by the library.
inline std::vector<std::string> take_list(char **&list)
{
    std::vector<std::string> out;
    for (int i = 0; list && list[i]; ++i)
        out.emplace_back(list[i]);
    GXDB_Free_Record_List(&list);
    return out;
}

} // namespace gxdb_test

#endif
