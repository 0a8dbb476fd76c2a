/*
 * stopped_commits.cpp - finishing or leaving the commit records of stopped
 * runs, and removing dead temporary files
 * (platform/dataset/stopped_commits.h).
 */
#include "platform/dataset/stopped_commits.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/dataset/commit_record_format.h"
#include "platform/dataset/file_writes.h"
#include "platform/dataset/library_lock.h"
#include "platform/regular_file.h"

namespace orvhost {

namespace {

/* A record names a step's files: far below this. */
constexpr off_t kMaxRecordBytes = off_t{1} << 20;

enum class ReadResult { Whole, Gone, NotOwnFile, OtherUser, Damaged };

/* Reads the record at name in directory fd (AT_FDCWD: name is a path) and
 * checks that it is a whole record, a regular file of its own and the
 * running user's.  The uid of another user's record goes to *owner. */
ReadResult readRecord(int directoryFd, const std::string &name, CommitRecordFields &record, uid_t *owner)
{
    int fd = ::openat(directoryFd, name.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) return errno == ENOENT ? ReadResult::Gone : ReadResult::NotOwnFile;
    struct stat info {};
    std::string text;
    bool read = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_nlink == 1;
    if (read && info.st_size <= kMaxRecordBytes) {
        text.resize(size_t(info.st_size));
        read = ::pread(fd, text.data(), text.size(), 0) == ssize_t(text.size());
    }
    ::close(fd);
    if (!read) return ReadResult::NotOwnFile;
    *owner = info.st_uid;
    const bool whole = info.st_size <= kMaxRecordBytes && parseCommitRecord(text, record);
    if (info.st_uid != ::geteuid()) return ReadResult::OtherUser;
    return whole ? ReadResult::Whole : ReadResult::Damaged;
}

bool existsIn(int directoryFd, const std::string &path)
{
    struct stat info {};
    return ::fstatat(directoryFd, fileOf(path).c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0;
}

/* The file names of the data set files of record's entries. */
std::vector<std::string> namedFiles(const CommitRecordFields &record)
{
    std::vector<std::string> names;
    for (const CommitEntry &entry : record.entries) names.push_back(fileOf(entry.final));
    return names;
}

void syncDirectory(int directoryFd) { ::fsync(directoryFd); }

/* Writes record in place of the record `name` of lock's directory: under
 * a new name, synced, then renamed over it. */
void rewriteRecord(const LibraryLock &lock, const std::string &name, const CommitRecordFields &record)
{
    std::string path = lock.directory() + "/" + kNewCommitRecordPrefix + "XXXXXX";
    int fd = ::mkostemp(path.data(), O_CLOEXEC);
    if (fd < 0) return;
    std::string text = commitRecordText(record);
    bool ok = writeFileBytes(fd, text.data(), text.size()) && ::fsync(fd) == 0;
    ::close(fd);
    const std::string made = fileOf(path);
    if (!ok || ::renameat(lock.fd(), made.c_str(), lock.fd(), name.c_str()) != 0)
        ::unlinkat(lock.fd(), made.c_str(), 0);
    syncDirectory(lock.fd());
}

/* What a record of this user asks for: its directory undone, cleared, or
 * unknown (its primary cannot be read); reason says why this run cannot
 * do it ("" when it can). */
enum class Action { Undo, Clear, Unknown };

Action actionFor(int directoryFd, const CommitRecordFields &record, std::string &reason)
{
    bool undo = record.primary && !record.done;
    if (!record.primary) {
        CommitRecordFields primary;
        uid_t owner = 0;
        switch (readRecord(AT_FDCWD, record.primaryPath, primary, &owner)) {
        case ReadResult::Gone: break; /* the commit was done, or never began */
        case ReadResult::Whole:
            if (primary.primary) {
                undo = !primary.done;
                break;
            }
            [[fallthrough]];
        default:
            reason = "its primary record " + record.primaryPath + " cannot be read";
            return Action::Unknown;
        }
    }
    if (::faccessat(directoryFd, ".", W_OK | X_OK, AT_EACCESS) != 0)
        reason = "this run cannot write to the library";
    if (!undo) return Action::Clear;
    /* Once marked "back", a file without temporary and backup was
     * restored by a run that stopped while undoing. */
    for (const CommitEntry &entry : record.entries)
        if (reason.empty() && !record.undoing && !existsIn(directoryFd, entry.temporary) && !entry.backup.empty() &&
            !existsIn(directoryFd, entry.backup))
            reason = "the earlier version of " + fileOf(entry.final) + " it names is missing";
    return Action::Undo;
}

/* Marks the record `name` "back" before its files are restored, so that
 * a run that stops meanwhile leaves a record the next can go on with.
 * False when it cannot be written. */
bool markUndoing(int directoryFd, const std::string &name, const CommitRecordFields &record)
{
    int fd = ::openat(directoryFd, name.c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) return false;
    const bool marked = ::pwrite(fd, "back", 4, off_t(commitStateOffset(record.primary))) == 4 && ::fsync(fd) == 0;
    ::close(fd);
    return marked;
}

/* Finishes the record `name` of this user (see the banner). */
void finish(const LibraryLock &lock, const std::string &name, const CommitRecordFields &record, Action action,
            StoppedCommits &found)
{
    const int directoryFd = lock.fd();
    if (action == Action::Clear) {
        for (const CommitEntry &entry : record.entries) {
            ::unlinkat(directoryFd, fileOf(entry.temporary).c_str(), 0);
            if (!entry.backup.empty()) ::unlinkat(directoryFd, fileOf(entry.backup).c_str(), 0);
        }
    } else {
        if (!record.undoing && !markUndoing(directoryFd, name, record)) return;
        for (const CommitEntry &entry : record.entries) {
            restoreEarlierVersion(directoryFd, entry);
            found.restored.push_back(lock.directory() + "/" + fileOf(entry.final));
        }
    }
    syncDirectory(directoryFd);
    const bool secondariesLeft =
        action == Action::Undo && record.primary &&
        std::any_of(record.secondaries.begin(), record.secondaries.end(),
                    [](const std::string &secondary) { return existsIn(AT_FDCWD, secondary); });
    if (secondariesLeft) {
        /* Their directories are still to be undone: they must find this
         * record open. */
        CommitRecordFields emptied = record;
        emptied.entries.clear();
        rewriteRecord(lock, name, emptied);
    } else {
        ::unlinkat(directoryFd, name.c_str(), 0);
        syncDirectory(directoryFd);
    }
}

/* Looks at (and with finish, finishes) the record `name`. */
void examine(const LibraryLock &lock, const std::string &name, bool finishIt, StoppedCommits &found)
{
    CommitRecordFields record;
    uid_t owner = 0;
    const ReadResult read = readRecord(lock.fd(), name, record, &owner);
    if (read == ReadResult::Gone) return;
    LeftCommitRecord left{lock.directory() + "/" + name, {}, {}, {}};
    /* Its files stay for whoever finishes it. */
    for (const CommitEntry &entry : record.entries)
        for (const std::string *file : {&entry.temporary, &entry.backup}) left.kept.push_back(fileOf(*file));
    const bool confined = (read == ReadResult::Whole || read == ReadResult::OtherUser) &&
                          recordNamesOnlyItsDirectory(record, name, lock.device(), lock.inode());
    if (read == ReadResult::NotOwnFile) {
        left.reason = "it is not a regular file of its own";
    } else if (read == ReadResult::OtherUser) {
        left.reason = "it belongs to another user (uid " + std::to_string(owner) + "), whose run must finish it";
        if (confined) left.blocked = namedFiles(record);
    } else if (read == ReadResult::Damaged) {
        left.reason = "it is not a whole commit record; remove it when no run is writing to the library";
    } else if (!confined) {
        left.reason = "it names files that are not data set files of its library";
    } else {
        const Action action = actionFor(lock.fd(), record, left.reason);
        if (left.reason.empty() && finishIt) {
            finish(lock, name, record, action, found);
            return;
        }
        /* A done commit left behind holds no mixed data set. */
        if (action != Action::Clear) left.blocked = namedFiles(record);
        if (left.reason.empty()) found.finishable = true;
    }
    found.left.push_back(std::move(left));
}

}  // namespace

void restoreEarlierVersion(int directoryFd, const CommitEntry &entry)
{
    const std::string temporary = fileOf(entry.temporary), final = fileOf(entry.final),
                      backup = entry.backup.empty() ? std::string() : fileOf(entry.backup);
    if (existsIn(directoryFd, temporary)) { /* not renamed: the final file is the earlier one */
        ::unlinkat(directoryFd, temporary.c_str(), 0);
        if (!backup.empty()) ::unlinkat(directoryFd, backup.c_str(), 0);
    } else if (backup.empty()) {
        ::unlinkat(directoryFd, final.c_str(), 0);
    } else {
        ::renameat(directoryFd, backup.c_str(), directoryFd, final.c_str());
    }
}

StoppedCommits stoppedCommits(const LibraryLock &lock, bool finish)
{
    StoppedCommits found;
    const std::vector<std::string> records =
        namesInDirectory(lock.fd(), ".", [](std::string_view name) { return name.starts_with(kCommitRecordPrefix); });
    for (const std::string &name : records) examine(lock, name, finish, found);
    return found;
}

void removeDeadTemporaries(const LibraryLock &lock, const StoppedCommits &found)
{
    const int directoryFd = lock.fd();
    auto dead = [&](std::string_view name) {
        for (const LeftCommitRecord &left : found.left)
            if (std::find(left.kept.begin(), left.kept.end(), name) != left.kept.end()) return false;
        /* Backups and records being written exist only under the
         * exclusive lock, which this run holds now. */
        if (name.starts_with(kNewCommitRecordPrefix) || isBackupName(name)) return true;
        return isTemporaryName(name) && !isHeldByItsWriter(directoryFd, std::string(name).c_str());
    };
    for (const std::string &name : namesInDirectory(directoryFd, ".", dead)) {
        struct stat info {};
        if (::fstatat(directoryFd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(info.st_mode) &&
            info.st_uid == ::geteuid())
            ::unlinkat(directoryFd, name.c_str(), 0);
    }
}

}  // namespace orvhost
