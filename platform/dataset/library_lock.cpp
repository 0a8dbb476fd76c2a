/*
 * library_lock.cpp - locks of library directories and held temporary files
 * (platform/dataset/library_lock.h).
 */
#include "platform/dataset/library_lock.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <utility>

#include "platform/regular_file.h"

namespace orvhost {

namespace {

/* flock, retried when a signal breaks the wait.  A file system without
 * locks lets runs go on unlocked, as they did before locks were taken. */
bool lockDescriptor(int fd, int operation)
{
    while (::flock(fd, operation) != 0)
        if (errno != EINTR) return errno == ENOLCK || errno == EOPNOTSUPP;
    return true;
}

}  // namespace

LibraryLock::~LibraryLock()
{
    if (fd_ >= 0) ::close(fd_);
}

LibraryLock::LibraryLock(LibraryLock &&other) noexcept
{
    *this = std::move(other);
}

LibraryLock &LibraryLock::operator=(LibraryLock &&other) noexcept
{
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = std::exchange(other.fd_, -1);
        directory_ = std::move(other.directory_);
        device_ = other.device_;
        inode_ = other.inode_;
    }
    return *this;
}

bool LibraryLock::open(const std::string &directory)
{
    directory_ = directory;
    fd_ = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd_ < 0) return false;
    struct stat info {};
    if (::fstat(fd_, &info) != 0) return false;
    device_ = info.st_dev;
    inode_ = info.st_ino;
    return true;
}

bool LibraryLock::lockShared() { return lockDescriptor(fd_, LOCK_SH); }

bool LibraryLock::lockExclusive() { return lockDescriptor(fd_, LOCK_EX); }

bool LockedDirectories::lockAll(const std::vector<std::string> &directories, std::string &failed)
{
    for (const std::string &directory : directories) {
        LibraryLock lock;
        if (!lock.open(directory)) {
            failed = directory;
            return false;
        }
        if (find(directory) == nullptr) locks_.push_back(std::move(lock));
    }
    std::sort(locks_.begin(), locks_.end(), [](const LibraryLock &a, const LibraryLock &b) {
        return a.device() != b.device() ? a.device() < b.device() : a.inode() < b.inode();
    });
    for (LibraryLock &lock : locks_)
        if (!lock.lockExclusive()) {
            failed = lock.directory();
            return false;
        }
    return true;
}

LibraryLock *LockedDirectories::find(const std::string &directory)
{
    struct stat info {};
    if (::stat(directory.c_str(), &info) != 0) return nullptr;
    for (LibraryLock &lock : locks_)
        if (lock.device() == info.st_dev && lock.inode() == info.st_ino) return &lock;
    return nullptr;
}

int makeHeldTemporary(const std::string &target, std::string &temporary, int *held)
{
    *held = -1;
    temporary = directoryOf(target) + "/." + fileOf(target) + ".XXXXXX";
    LibraryLock directory;
    if (!directory.open(directoryOf(target)) || !directory.lockShared()) return -1;
    int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) return -1;
    /* A lock of its own open file: the writer's descriptor is closed once
     * the rows are written out, and the file stays held until the commit. */
    *held = ::open(temporary.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (*held < 0 || !lockDescriptor(*held, LOCK_EX | LOCK_NB)) {
        int saved = errno;
        if (*held >= 0) ::close(*held);
        *held = -1;
        ::unlink(temporary.c_str());
        ::close(fd);
        errno = saved;
        return -1;
    }
    return fd;
}

bool isHeldByItsWriter(int directoryFd, const char *name)
{
    int fd = ::openat(directoryFd, name, O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) return true; /* gone, or not ours to judge */
    const bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0;
    ::close(fd);
    return held;
}

}  // namespace orvhost
