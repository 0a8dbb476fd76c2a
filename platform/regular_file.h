/*
 * regular_file.h - opens the files orvhost reads (the job, a data set's CSV
 * file and its sidecar) only when they are regular files.
 *
 * A FIFO or a device given where a file is expected would block the run or
 * feed it without end, so such paths are refused by kind before anything
 * is read; a file above its size limit is refused by size.
 *
 * Exports: openRegularFile, readRegularFile, fileKindName, directoryOf,
 * fileOf, namesInDirectory, kMaxJobBytes, kMaxSidecarBytes.
 */
#ifndef ORV_PLATFORM_REGULAR_FILE_H
#define ORV_PLATFORM_REGULAR_FILE_H

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace orvhost {

/* Largest job file and largest sidecar orvhost reads (16 MiB and 8 MiB). */
constexpr uint64_t kMaxJobBytes = uint64_t{16} << 20;
constexpr uint64_t kMaxSidecarBytes = uint64_t{8} << 20;

/* The directory part of path ("." without a slash, "/" for a file in the
 * root) and its last component. */
std::string directoryOf(const std::string &path);
std::string fileOf(const std::string &path);

/* The names of the entries of the directory path (opened relative to the
 * directory atFd, or AT_FDCWD) that pass wanted, sorted; empty when it
 * cannot be listed. */
std::vector<std::string> namesInDirectory(int atFd, const std::string &path,
                                          const std::function<bool(std::string_view)> &wanted);

/* "a directory", "a FIFO", "a character device", ... for a st_mode. */
const char *fileKindName(mode_t mode);

/* Opens path for reading when it is a regular file of at most maxBytes
 * bytes (0: no limit).  Returns the descriptor, or -1 with a message in
 * error: "The <what> <path> cannot be read: ..." with the cause (missing,
 * not permitted, a directory or other kind, too large) and what to do.
 * `what` names the file's role ("job file", "sidecar", ...).  An empty path
 * is refused with a message of its own.  Never blocks on a FIFO. */
int openRegularFile(const std::string &path, const char *what, uint64_t maxBytes,
                    std::string &error);

/* Reads the whole of a regular file (see openRegularFile) into text.  False
 * with a message in error when it cannot be opened or read. */
bool readRegularFile(const std::string &path, const char *what, uint64_t maxBytes,
                     std::string &text, std::string &error);

}  // namespace orvhost

#endif
