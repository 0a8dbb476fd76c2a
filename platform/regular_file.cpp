/*
 * regular_file.cpp - opening and reading regular files only
 * (platform/regular_file.h).
 */
#include "platform/regular_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

#include "platform/log.h"

namespace orvhost {

const char *fileKindName(mode_t mode)
{
    if (S_ISDIR(mode)) return "a directory";
    if (S_ISFIFO(mode)) return "a FIFO";
    if (S_ISCHR(mode)) return "a character device";
    if (S_ISBLK(mode)) return "a block device";
    if (S_ISSOCK(mode)) return "a socket";
    if (S_ISLNK(mode)) return "a symbolic link";
    return "not a regular file";
}

std::vector<std::string> namesInDirectory(int atFd, const std::string &path,
                                          const std::function<bool(std::string_view)> &wanted)
{
    std::vector<std::string> names;
    int fd = ::openat(atFd, path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return names;
    /* Closed also when a name cannot be kept (out of memory). */
    std::unique_ptr<DIR, int (*)(DIR *)> listing(::fdopendir(fd), ::closedir);
    if (listing == nullptr) {
        ::close(fd);
        return names;
    }
    while (const dirent *entry = ::readdir(listing.get()))
        if (wanted(std::string_view(entry->d_name))) names.emplace_back(entry->d_name);
    std::sort(names.begin(), names.end());
    return names;
}

int openRegularFile(const std::string &path, const char *what, uint64_t maxBytes,
                    std::string &error)
{
    if (path.empty()) {
        error = std::string("The ") + what + " name is empty: give the path of a file.";
        return -1;
    }
    std::string prefix = std::string("The ") + what + " " + shownPath(path) + " cannot be read: ";
    /* O_NONBLOCK: opening a FIFO without a writer must not wait. */
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        int cause = errno;
        error = prefix + std::strerror(cause) +
                (cause == ENOENT ? ": check the path." : cause == EACCES ? ": check its permissions."
                                                                         : ".");
        return -1;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        error = prefix + std::strerror(errno) + ".";
        ::close(fd);
        return -1;
    }
    if (!S_ISREG(info.st_mode)) {
        error = prefix + "it is " + fileKindName(info.st_mode) + ", not a regular file; give the path of a file.";
        ::close(fd);
        return -1;
    }
    if (maxBytes > 0 && uint64_t(info.st_size) > maxBytes) {
        error = prefix + "it has " + std::to_string(info.st_size) + " bytes, more than the " +
                std::to_string(maxBytes) + " this host reads; make it smaller.";
        ::close(fd);
        return -1;
    }
    int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    return fd;
}

bool readRegularFile(const std::string &path, const char *what, uint64_t maxBytes,
                     std::string &text, std::string &error)
{
    int fd = openRegularFile(path, what, maxBytes, error);
    if (fd < 0) return false;
    text.clear();
    struct stat info {};
    if (::fstat(fd, &info) == 0) text.reserve(size_t(info.st_size));
    char chunk[1 << 16];
    for (;;) {
        ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            error = std::string("The ") + what + " " + shownPath(path) + " cannot be read: " +
                    std::strerror(errno) + ".";
            ::close(fd);
            return false;
        }
        if (got == 0) break;
        /* A file that grows while it is read stops at its limit too. */
        if (maxBytes > 0 && text.size() + size_t(got) > maxBytes) {
            error = std::string("The ") + what + " " + shownPath(path) +
                    " cannot be read: it has more than the " + std::to_string(maxBytes) +
                    " bytes this host reads; make it smaller.";
            ::close(fd);
            return false;
        }
        text.append(chunk, size_t(got));
    }
    ::close(fd);
    return true;
}

std::string directoryOf(const std::string &path)
{
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

std::string fileOf(const std::string &path)
{
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace orvhost
