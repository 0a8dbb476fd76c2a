/*
 * utility_files.h - the host's utility files: temporary byte files that the
 * modules open, read, write, position and close for the length of a step.
 *
 * A utility file lives in memory while it is small and moves to an
 * anonymous temporary file (created in $TMPDIR, or /tmp, and unlinked at
 * once) as soon as it grows above the spill limit.  Every file opened during
 * a step is released when the step ends.
 *
 * Handles are serial numbers in pointer form, never handed out twice in a
 * process, and every call looks a handle up among the live files first: a
 * stale or foreign pointer gives kUtilityStatusBadFile, is never
 * dereferenced, and can never reach a file opened later at the same
 * address.
 *
 * Exports: the class UtilityFiles (used by the xc... host routines of
 * utility_file_services.cpp) and the host statuses those routines return.
 */
#ifndef ORV_PLATFORM_UTILITY_FILES_H
#define ORV_PLATFORM_UTILITY_FILES_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>

#include "host/host_records.h"

namespace orvhost {

/* Host statuses of the utility-file services.  0 is success.  End of file
 * is kUtilityStatusEndOfFile: its bits under ORV_STATUS_EOF_MASK equal
 * ORV_STATUS_EOF_BITS, which is how the modules recognise it (a status with
 * bit 31 set cannot pass that test, as the mask keeps bit 31).  The failures
 * are negative and none has 0x801 under the mask, so none reads as end of
 * file.  Their texts are in set 2 of messages.cat, keyed by the status as a
 * signed int. */
constexpr int kUtilityStatusEndOfFile = ORV_STATUS_EOF;
constexpr int kUtilityStatusBadOpenRecord = int(0x8004C001u); /* no record, wrong member type or flags */
constexpr int kUtilityStatusBadFile = int(0x8004C002u);       /* not a live utility file */
constexpr int kUtilityStatusBadArgument = int(0x8004C003u);   /* null pointer or negative length */
constexpr int kUtilityStatusBadPosition = int(0x8004C004u);   /* beyond the end, or not an offset */
constexpr int kUtilityStatusIoFailure = int(0x8004C005u);     /* temporary file or memory failed:
                                                                 lastFailure() tells how */

/* Files grow in memory up to this many bytes by default. */
constexpr int64_t kDefaultUtilitySpillLimit = int64_t{8} << 20;

class UtilityFile;

/* What the files of one UtilityFiles share: the reason of their latest
 * kUtilityStatusIoFailure, and a fault that tests put on their temporary
 * files. */
struct UtilityFileFailures {
    std::string reason;
    int writeErrorForTests = 0; /* an errno that every write of a temporary file fails with; 0: none */
};

class UtilityFiles {
public:
    /* spillLimit: the largest size in bytes a file keeps in memory; a write
     * that would make it larger moves the file to a temporary file first. */
    explicit UtilityFiles(int64_t spillLimit = kDefaultUtilitySpillLimit);
    ~UtilityFiles();
    UtilityFiles(const UtilityFiles &) = delete;
    UtilityFiles &operator=(const UtilityFiles &) = delete;

    /* Opens a new empty file described by a UTILITY_OPEN_RECORD and stores
     * its handle in *fileOut (null on failure).  0; kUtilityStatusBadArgument
     * for a null fileOut; kUtilityStatusBadOpenRecord for a null record, a
     * member type other than "UTILITY " or flags other than
     * ORV_UTILITY_OPEN_FLAGS. */
    int open(void **fileOut, const void *openRecord);

    /* Reads exactly length bytes at the current position and moves past
     * them.  0; kUtilityStatusEndOfFile when fewer bytes remain (nothing is read, the
     * position stays); kUtilityStatusBadFile; kUtilityStatusBadArgument for
     * a negative length or a null buffer; kUtilityStatusIoFailure. */
    int read(void *file, void *buffer, int64_t length);

    /* Writes length bytes at the current position, extending the file as
     * needed, and moves past them.  0; kUtilityStatusBadFile;
     * kUtilityStatusBadArgument (negative length, null buffer, or an end
     * beyond the largest offset); kUtilityStatusIoFailure when memory or the
     * temporary file fails (the file then holds what it held before). */
    int write(void *file, const void *buffer, int64_t length);

    /* Stores the current byte position in *positionOut.  0;
     * kUtilityStatusBadFile; kUtilityStatusBadArgument for a null
     * positionOut. */
    int note(void *file, int64_t *positionOut);

    /* Moves to a byte offset in [0, size], or for ORV_UTILITY_TRUNCATE cuts
     * the file at the current position.  0; kUtilityStatusBadFile;
     * kUtilityStatusBadPosition; kUtilityStatusIoFailure. */
    int point(void *file, int64_t position);

    /* Closes the file and frees everything it holds; the handle is dead
     * afterwards.  The mode (callers pass 1) does not change anything here.
     * 0; kUtilityStatusBadFile. */
    int close(void *file, int mode);

    /* Closes every file still open: the end of a step. */
    void releaseStep();

    /* Files now open. */
    size_t liveCount() const { return files_.size(); }

    /* For tests: the size of a live file in bytes (-1 for a dead handle),
     * and whether it has moved to a temporary file. */
    int64_t sizeOf(void *file) const;
    bool spilled(void *file) const;

    /* The spill limit of files opened from now on. */
    void setSpillLimit(int64_t spillLimit) { spillLimit_ = spillLimit; }

    /* For tests: after readsBefore more reads of live files, the next one
     * reads nothing and returns status (any value, such as one the host
     * would never give); a negative readsBefore turns the fault off. */
    void failReadForTests(int64_t readsBefore, int status);

    /* For tests: after opensBefore more opens, the next one opens nothing
     * and returns kUtilityStatusIoFailure; a negative opensBefore turns the
     * fault off. */
    void failOpenForTests(int64_t opensBefore);

    /* For tests: from now on every write of a temporary file fails with the
     * system error `error` (an errno value such as ENOSPC); 0 turns the
     * fault off. */
    void failTemporaryWritesForTests(int error) { failures_.writeErrorForTests = error; }

    /* Bytes read from the files so far (by reads that succeeded). */
    int64_t bytesRead() const { return bytesRead_; }

    /* Why the latest call that gave kUtilityStatusIoFailure failed, as a
     * message goes on after "A utility file could not be written or read:":
     * the temporary file's directory and the system's reason ("no temporary
     * file can be made in /tmp/x (No such file or directory)"), or "memory
     * ran out". */
    const std::string &lastFailure() const { return failures_.reason; }

private:
    /* The live file of a handle, or null; the last one found is kept, as
     * the row loops use one file for many calls in a row. */
    UtilityFile *find(void *file) const;
    void forgetRecent();

    int64_t spillLimit_;
    std::unordered_map<uintptr_t, std::unique_ptr<UtilityFile>> files_; /* by handle */
    uintptr_t nextHandle_;
    mutable uintptr_t recentHandle_ = 0;          /* handles are never 0 */
    mutable UtilityFile *recentFile_ = nullptr;   /* its file, or null */
    int64_t readsBeforeFault_ = -1;
    int64_t opensBeforeFault_ = -1;
    int64_t bytesRead_ = 0;
    int faultStatus_ = 0;
    UtilityFileFailures failures_;
};

}  // namespace orvhost

#endif
