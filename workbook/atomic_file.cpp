// All-or-nothing file replacement, with a one-shot injected failure for tests.
//
// The new content goes to a hidden file in the target's directory (so that
// rename stays within one file system), is synced, and is then renamed over
// the target; the directory is synced so the rename itself survives a crash.
// A reader therefore sees either the old file or the new one, never a mix.
// A path that is a symbolic link is written through to the file it names,
// which keeps the link. The new file takes the old file's permission bits
// (or 0666 less the umask) and, where the system allows it, its owner and
// group. Other hard links to the old file keep the old content: the name
// written to is the one that names the new file.
#include "workbook/workbook_file.h"
#include "workbook/write_fault.h"
#include "workbook/xls_format.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>

namespace workbook {
namespace {

std::atomic<std::int64_t> injected_failure_after{-1};
std::atomic<unsigned> temp_counter{0};

std::string errno_text(const std::string &what)
{
    return what + ": " + std::strerror(errno);
}

} // namespace

void fail_next_write_after(std::int64_t bytes)
{
    injected_failure_after.store(bytes < 0 ? -1 : bytes);
}

namespace detail {

Status write_file_atomically(const std::string &named, const Bytes &bytes, int *keep)
{
    const std::string path = resolved_path(named);
    const std::size_t slash = path.find_last_of('/');
    const std::string dir = slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
    const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    if (base.empty())
        return Status::failure(path + ": not a file name");
    const std::string temp = (dir == "/" ? "" : dir) + "/." + base + ".tmp" + std::to_string(::getpid()) +
                             "_" + std::to_string(temp_counter.fetch_add(1));

    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return Status::failure(errno_text(temp));
    auto fail = [&](std::string why) {
        ::close(fd);
        ::unlink(temp.c_str());
        return Status::failure(std::move(why));
    };
    struct stat old {};
    if (::stat(path.c_str(), &old) == 0) {
        // Owner and group where permitted (a user may give the file to a
        // group of their own; only the superuser may give it to another
        // user), then the permission bits, which chown may clear.
        if (::fchown(fd, old.st_uid, old.st_gid) != 0)
            (void)::fchown(fd, static_cast<uid_t>(-1), old.st_gid);
        if (::fchmod(fd, old.st_mode & 07777) != 0)
            return fail(errno_text(temp));
    }

    // An injected fault writes part of the content, then fails like a full disk.
    const std::int64_t limit = injected_failure_after.exchange(-1);
    const std::size_t to_write =
        limit >= 0 ? std::min(static_cast<std::size_t>(limit), bytes.size()) : bytes.size();
    std::size_t done = 0;
    while (done < to_write) {
        ssize_t n = ::write(fd, bytes.data() + done, to_write - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return fail(errno_text(temp));
        }
        done += static_cast<std::size_t>(n);
    }
    if (limit >= 0)
        return fail(temp + ": injected write failure after " + std::to_string(done) + " bytes");
    if (::fsync(fd) != 0)
        return fail(errno_text(temp));
    if (!keep && ::close(fd) != 0) {
        ::unlink(temp.c_str());
        return Status::failure(errno_text(temp));
    }
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        Status s = Status::failure(errno_text(path));
        if (keep)
            ::close(fd);
        ::unlink(temp.c_str());
        return s;
    }
    if (keep)
        *keep = fd;
    int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
    return {};
}

} // namespace detail
} // namespace workbook
