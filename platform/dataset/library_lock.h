/*
 * library_lock.h - the lock that runs sharing a library directory take on
 * it, and the temporary files that their writers hold locked.
 *
 * The lock is a flock on the directory itself, so a library that a run can
 * only read is locked all the same and nothing is added to it.  A run puts
 * files in place, or finishes the commit of a stopped run, only while it
 * holds the lock exclusively; a reader holds it shared while it opens the
 * CSV file and the sidecar of a data set, so it gets both of one version.
 * A commit into several directories locks them in the order of their
 * device and inode numbers, so that two such commits never wait for each
 * other.
 *
 * On a file system without locks (flock fails with ENOLCK or EOPNOTSUPP)
 * runs go on unlocked, and no temporary file is taken for a gone writer's.
 *
 * A temporary file of an output is made under the shared lock and held
 * locked (flock) by its writer until it is put in place or removed; a run
 * holding the exclusive lock removes the ones that no live writer holds.
 *
 * Exports: class LibraryLock, class LockedDirectories, makeHeldTemporary,
 * isHeldByItsWriter.
 */
#ifndef ORV_PLATFORM_DATASET_LIBRARY_LOCK_H
#define ORV_PLATFORM_DATASET_LIBRARY_LOCK_H

#include <sys/types.h>

#include <string>
#include <vector>

namespace orvhost {

/* The lock of one library directory, held while the object lives (or
 * until unlock). */
class LibraryLock {
public:
    LibraryLock() = default;
    ~LibraryLock();
    LibraryLock(const LibraryLock &) = delete;
    LibraryLock &operator=(const LibraryLock &) = delete;
    LibraryLock(LibraryLock &&other) noexcept;
    LibraryLock &operator=(LibraryLock &&other) noexcept;

    /* Opens directory.  False with errno set when it cannot be opened. */
    bool open(const std::string &directory);

    /* Takes the lock shared or exclusive, waiting for it (a lock held
     * already is changed, which lets others in between).  False with errno
     * set. */
    bool lockShared();
    bool lockExclusive();

    /* The descriptor of the directory (-1 before open) and its path. */
    int fd() const { return fd_; }
    const std::string &directory() const { return directory_; }
    dev_t device() const { return device_; }
    ino_t inode() const { return inode_; }

private:
    int fd_ = -1;
    std::string directory_;
    dev_t device_ = 0;
    ino_t inode_ = 0;
};

/* Exclusive locks of several directories, taken in one fixed order. */
class LockedDirectories {
public:
    /* Opens and locks every directory (duplicates by device and inode are
     * locked once).  False with errno set and the failing directory in
     * failed. */
    bool lockAll(const std::vector<std::string> &directories, std::string &failed);

    /* The lock of directory, matched by device and inode; null when it is
     * none of them. */
    LibraryLock *find(const std::string &directory);
    std::vector<LibraryLock> &all() { return locks_; }

private:
    std::vector<LibraryLock> locks_;
};

/* Makes a temporary file beside target, named ".<file>.XXXXXX", under the
 * shared lock of its directory, and locks it for its writer.  Returns its
 * descriptor, open for writing, with the lock's descriptor in *held (to
 * be closed when the file is put in place or removed), or -1 with errno
 * set. */
int makeHeldTemporary(const std::string &target, std::string &temporary, int *held);

/* True when the file name in directory fd is held locked by a writer that
 * lives.  REQUIRES: the caller holds the directory's exclusive lock. */
bool isHeldByItsWriter(int directoryFd, const char *name);

}  // namespace orvhost

#endif
