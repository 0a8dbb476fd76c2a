/*
 * file_writes.cpp - writes of the data-set writer and the full-disk switch
 * (platform/dataset/file_writes.h).
 */
#include "platform/dataset/file_writes.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace orvhost {
namespace {
int64_t diskSpace = -1; /* bytes left; negative: no limit */
}  // namespace

void setDiskSpaceForTests(int64_t bytes) { diskSpace = bytes; }

bool writeFileBytes(int fd, const void *data, size_t size)
{
    const char *bytes = static_cast<const char *>(data);
    size_t done = 0;
    while (done < size) {
        size_t chunk = size - done;
        if (diskSpace >= 0) {
            if (diskSpace == 0) {
                errno = ENOSPC;
                return false;
            }
            chunk = std::min(chunk, size_t(diskSpace));
        }
        ssize_t put = ::write(fd, bytes + done, chunk);
        if (put < 0 && errno == EINTR) continue;
        if (put < 0) return false;
        done += size_t(put);
        if (diskSpace >= 0) diskSpace -= put;
    }
    return true;
}

}  // namespace orvhost
