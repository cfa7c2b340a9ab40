// The workbook file as something several processes change: an exclusive
// lock for a read-change-write cycle, the check that the user may change
// the file at all, and the clean-up of temporary files that a killed writer
// left behind.
//
// Writers replace a workbook by renaming a new file over it
// (write_workbook), so a lock on the old file says nothing about the new
// one. WorkbookLock therefore locks the file the path names (flock,
// exclusive), then checks that the path still names that same file, and
// starts over when another writer replaced it in between. Every writer that
// takes the lock before reading and keeps it until its rename is done sees
// the other writers' changes: two writers never both write a book read
// before the other's write. Readers need no lock: they only ever see a
// whole old or a whole new file. The library's check for a workbook held by
// another process (a shared flock that cannot be had) sees the lock too.
#ifndef CVSTV_WORKBOOK_WORKBOOK_FILE_H
#define CVSTV_WORKBOOK_WORKBOOK_FILE_H

#include "workbook/workbook.h"

#include <sys/types.h>

#include <chrono>
#include <string>

namespace workbook {

class WorkbookLock {
  public:
    WorkbookLock() = default;
    ~WorkbookLock() { release(); }
    WorkbookLock(const WorkbookLock &) = delete;
    WorkbookLock &operator=(const WorkbookLock &) = delete;

    // Locks the workbook `path` names (following symbolic links), waiting up
    // to `wait` for another holder. `timed_out` tells a wait that ran out
    // from other failures (a missing file, an unreadable one).
    Status acquire(const std::string &path, std::chrono::milliseconds wait, bool &timed_out);
    void release();
    bool held() const { return fd_ >= 0; }

  private:
    int fd_ = -1;
};

// A workbook file held open, so that the system cannot reuse its identity
// for another file: the path still names the very file that was read or
// written exactly when it names this one (same device and inode, which an
// open file keeps) with the size and modification time it had when pinned
// (which catches a program that rewrote it in place).
class PinnedFile {
  public:
    PinnedFile() = default;
    ~PinnedFile() { release(); }
    PinnedFile(const PinnedFile &) = delete;
    PinnedFile &operator=(const PinnedFile &) = delete;

    // Opens and pins the file `path` names.
    Status pin(const std::string &path);
    // Takes over an open descriptor of the file to pin.
    void adopt(int fd);
    void release();
    bool pinned() const { return fd_ >= 0; }
    // True when `path` names the pinned file, unchanged.
    bool named_by(const std::string &path) const;

  private:
    int fd_ = -1;
    dev_t dev_ = 0;
    ino_t ino_ = 0;
    off_t size_ = 0;
    long long mtime_ns_ = 0;
};

// Reads a workbook and pins the file it was read from (starting over when
// another writer replaced the file while it was read).
Status read_workbook_pinned(const std::string &path, Workbook &out, PinnedFile &file);

// Writes a workbook as save_workbook does and pins the file written: the
// very file renamed into place, whatever another writer does next.
Status save_workbook_pinned(const std::string &path, Workbook &book, PinnedFile &file);

// The file a workbook path finally names: symbolic links followed; the path
// itself when it names nothing yet.
std::string resolved_path(const std::string &path);

// Success when the user may change the workbook at `path` (and create files
// beside it); else a failure naming the file and the reason. A file without
// any write permission is refused even for the superuser, who could
// otherwise override it.
Status check_writable(const std::string &path);

// Removes the temporary files that writers of this workbook leave while
// they write (".<name>.tmp<pid>_<n>" beside it). Only the holder of the
// workbook's lock may call this: then no other writer of it is running and
// any such file is left over from one that died.
void remove_stale_temporaries(const std::string &path);

} // namespace workbook

#endif
