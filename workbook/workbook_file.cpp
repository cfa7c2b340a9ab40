// Locking a workbook for a read-change-write cycle, checking that it may be
// changed, and removing temporary files that a killed writer left behind.
#include "workbook/workbook_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace workbook {
namespace {

std::string errno_text(const std::string &what)
{
    return what + ": " + std::strerror(errno);
}

std::string directory_of(const std::string &path)
{
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
}

std::string base_of(const std::string &path)
{
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool all_digits(std::string_view s)
{
    return !s.empty() && s.find_first_not_of("0123456789") == std::string_view::npos;
}

} // namespace

std::string resolved_path(const std::string &path)
{
    char buf[PATH_MAX];
    if (::realpath(path.c_str(), buf))
        return buf;
    return path;
}

Status PinnedFile::pin(const std::string &path)
{
    release();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return Status::failure(errno_text(path));
    adopt(fd);
    return {};
}

void PinnedFile::adopt(int fd)
{
    release();
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        ::close(fd);
        return;
    }
    fd_ = fd;
    dev_ = st.st_dev;
    ino_ = st.st_ino;
    size_ = st.st_size;
    mtime_ns_ = st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec;
}

void PinnedFile::release()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

bool PinnedFile::named_by(const std::string &path) const
{
    struct stat st {};
    return fd_ >= 0 && ::stat(path.c_str(), &st) == 0 && st.st_dev == dev_ && st.st_ino == ino_ &&
           st.st_size == size_ && st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec == mtime_ns_;
}

Status read_workbook_pinned(const std::string &path, Workbook &out, PinnedFile &file)
{
    // The pinned file cannot be replaced by one with its identity, so when
    // the path still names it after the read, the read was of it.
    for (int attempt = 0; attempt < 20; ++attempt) {
        if (Status s = file.pin(path); !s)
            return s;
        Workbook book;
        if (Status s = read_workbook(path, book); !s)
            return s;
        if (file.named_by(path)) {
            out = std::move(book);
            return {};
        }
    }
    file.release();
    return Status::failure(path + ": replaced again and again while it was read");
}

Status WorkbookLock::acquire(const std::string &path, std::chrono::milliseconds wait, bool &timed_out)
{
    release();
    timed_out = false;
    const auto deadline = std::chrono::steady_clock::now() + wait;
    auto pause = std::chrono::milliseconds(2);
    for (;;) {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            return Status::failure(errno_text(path));
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            // The lock counts only if the path still names the locked file.
            struct stat locked {
            }, named{};
            if (::fstat(fd, &locked) == 0 && ::stat(path.c_str(), &named) == 0 &&
                locked.st_dev == named.st_dev && locked.st_ino == named.st_ino) {
                fd_ = fd;
                return {};
            }
            ::close(fd);
            continue; // replaced meanwhile: lock the new file
        }
        const int e = errno;
        ::close(fd);
        if (e != EWOULDBLOCK && e != EINTR) {
            errno = e;
            return Status::failure(errno_text(path));
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            timed_out = true;
            return Status::failure(path + ": locked by another writer for longer than " +
                                   std::to_string(wait.count()) + " ms");
        }
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, std::chrono::milliseconds(50));
    }
}

void WorkbookLock::release()
{
    if (fd_ >= 0) {
        ::close(fd_); // closing the only descriptor releases the flock
        fd_ = -1;
    }
}

Status check_writable(const std::string &path)
{
    const std::string target = resolved_path(path);
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode))
            return Status::failure(target + ": not a regular file");
        if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
            return Status::failure(
                target + ": the file is read-only (mode " + std::to_string((st.st_mode >> 6) & 7) +
                std::to_string((st.st_mode >> 3) & 7) + std::to_string(st.st_mode & 7) + ")");
        if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0)
            return Status::failure(errno_text(target));
    } else if (errno != ENOENT) {
        return Status::failure(errno_text(target));
    }
    const std::string dir = directory_of(target);
    if (::faccessat(AT_FDCWD, dir.c_str(), W_OK | X_OK, AT_EACCESS) != 0)
        return Status::failure(errno_text(dir) +
                               " (the workbook's folder, where its new version is written)");
    return {};
}

void remove_stale_temporaries(const std::string &path)
{
    const std::string target = resolved_path(path);
    const std::string dir = directory_of(target);
    const std::string prefix = "." + base_of(target) + ".tmp";
    DIR *d = ::opendir(dir.c_str());
    if (!d)
        return;
    while (const dirent *e = ::readdir(d)) {
        const std::string_view name(e->d_name);
        if (name.size() <= prefix.size() || name.substr(0, prefix.size()) != prefix)
            continue;
        // Exactly ".<name>.tmp<pid>_<n>": nothing else is ours to remove.
        const std::string_view rest = name.substr(prefix.size());
        const std::size_t underscore = rest.find('_');
        if (underscore == std::string_view::npos || !all_digits(rest.substr(0, underscore)) ||
            !all_digits(rest.substr(underscore + 1)))
            continue;
        ::unlinkat(::dirfd(d), e->d_name, 0);
    }
    ::closedir(d);
}

} // namespace workbook
