/*
 * commit_record.cpp - putting output files in place all or none, and
 * undoing the commits of stopped runs (platform/dataset/commit_record.h).
 *
 * A record is a sequence of NUL-terminated fields:
 *   tag, "primary" or "secondary", "open" or "done" (overwritten in place
 *   at the commit point), the primary record's path,
 *   per file: "file", temporary, final, backup ("" when there was no
 *   earlier version), per secondary record: "record", its path,
 *   and "end", written last, so that a record cut short is known.
 * Paths are absolute.
 */
#include "platform/dataset/commit_record.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>

#include "platform/dataset/file_writes.h"
#include "platform/regular_file.h"

namespace orvhost {

namespace {

constexpr char kRecordPrefix[] = ".commit-";
constexpr char kRecordTag[] = "orvhost commit record 1";
/* A record names a step's files: far below this. */
constexpr uint64_t kMaxRecordBytes = uint64_t{1} << 20;

int (*commitHook)(int change) = nullptr;

struct Entry {
    std::string temporary, final, backup;
};

struct Record {
    bool primary = false;
    bool done = false;
    std::string primaryPath;
    std::vector<Entry> entries;
    std::vector<std::string> secondaries;
};

/* path with its directory made absolute; "" when the directory cannot be
 * resolved. */
std::string absolute(const std::string &path)
{
    char resolved[PATH_MAX];
    if (::realpath(directoryOf(path).c_str(), resolved) == nullptr) return {};
    std::string directory = resolved;
    return (directory == "/" ? "" : directory) + "/" + fileOf(path);
}

bool exists(const std::string &path)
{
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

void syncDirectory(const std::string &directory)
{
    int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

std::string recordText(const Record &record)
{
    std::string text;
    auto field = [&text](const std::string &value) { text.append(value).push_back('\0'); };
    field(kRecordTag);
    field(record.primary ? "primary" : "secondary");
    field(record.done ? "done" : "open");
    field(record.primaryPath);
    for (const Entry &entry : record.entries) {
        field("file");
        field(entry.temporary);
        field(entry.final);
        field(entry.backup);
    }
    for (const std::string &secondary : record.secondaries) {
        field("record");
        field(secondary);
    }
    field("end");
    return text;
}

/* False when text is not a whole record (cut short by a stopped run, or
 * not a record at all). */
bool parseRecord(const std::string &text, Record &record)
{
    std::vector<std::string> fields;
    for (size_t at = 0; at < text.size();) {
        size_t end = text.find('\0', at);
        if (end == std::string::npos) return false;
        fields.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    if (fields.size() < 5 || fields[0] != kRecordTag || fields.back() != "end") return false;
    if (fields[1] != "primary" && fields[1] != "secondary") return false;
    if (fields[2] != "open" && fields[2] != "done") return false;
    record.primary = fields[1] == "primary";
    record.done = fields[2] == "done";
    record.primaryPath = fields[3];
    for (size_t at = 4; at + 1 < fields.size();) {
        if (fields[at] == "file" && at + 4 < fields.size()) {
            record.entries.push_back({fields[at + 1], fields[at + 2], fields[at + 3]});
            at += 4;
        } else if (fields[at] == "record") {
            record.secondaries.push_back(fields[at + 1]);
            at += 2;
        } else {
            return false;
        }
    }
    return true;
}

/* Opens and locks the record at path; -1 when it is gone or locked by a
 * run still writing it. */
int lockRecord(const std::string &path)
{
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) return -1;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool readRecord(const std::string &path, Record &record)
{
    std::string text, ignored;
    return readRegularFile(path, "commit record", kMaxRecordBytes, text, ignored) &&
           parseRecord(text, record);
}

/* Brings the final file of entry back to its earlier version (or to none)
 * and removes the temporary file and the backup. */
void restoreEarlier(const Entry &entry)
{
    if (exists(entry.temporary)) { /* not renamed: the final file is the earlier one */
        ::unlink(entry.temporary.c_str());
        if (!entry.backup.empty()) ::unlink(entry.backup.c_str());
    } else if (entry.backup.empty()) {
        ::unlink(entry.final.c_str());
    } else if (exists(entry.backup)) {
        std::rename(entry.backup.c_str(), entry.final.c_str());
    }
}

/* Undoes a commit whose primary record is still there, then removes its
 * records: the primary last. */
void undoCommit(const Record &primary, std::vector<std::string> &undone)
{
    for (const Entry &entry : primary.entries) {
        restoreEarlier(entry);
        undone.push_back(entry.final);
    }
    for (const Entry &entry : primary.entries) syncDirectory(directoryOf(entry.final));
    for (const std::string &secondary : primary.secondaries) ::unlink(secondary.c_str());
    ::unlink(primary.primaryPath.c_str());
}

/* Removes the temporary files and backups of record: the final files are
 * as they should be (the commit was done, or it never began). */
void removeLeftovers(const Record &record)
{
    for (const Entry &entry : record.entries) {
        ::unlink(entry.temporary.c_str());
        if (!entry.backup.empty()) ::unlink(entry.backup.c_str());
    }
}

/* Finishes the commit of primary: undone while it is open, cleared up
 * after when it is done. */
void finishCommit(const Record &primary, std::vector<std::string> &undone)
{
    if (primary.done) {
        removeLeftovers(primary);
        for (const std::string &secondary : primary.secondaries) ::unlink(secondary.c_str());
        ::unlink(primary.primaryPath.c_str());
    } else {
        undoCommit(primary, undone);
    }
}

void finishStoppedCommit(const std::string &path, std::vector<std::string> &undone)
{
    int fd = lockRecord(path);
    if (fd < 0) return;
    Record record;
    if (!readRecord(path, record)) {
        ::unlink(path.c_str()); /* cut short: written before any change */
    } else if (record.primary) {
        finishCommit(record, undone);
    } else if (int primaryFd = lockRecord(record.primaryPath); primaryFd >= 0) {
        Record primary;
        if (readRecord(record.primaryPath, primary) && primary.primary) {
            finishCommit(primary, undone);
        } else {
            ::unlink(record.primaryPath.c_str());
            removeLeftovers(record);
        }
        ::unlink(path.c_str());
        ::close(primaryFd);
    } else if (!exists(record.primaryPath)) {
        removeLeftovers(record);
        ::unlink(path.c_str());
    } /* else: a run is committing now */
    ::close(fd);
}

/* Holds the signals that end the process by default or through the host's
 * handlers while files are being put in place. */
class HeldSignals {
public:
    HeldSignals()
    {
        sigset_t held;
        sigemptyset(&held);
        for (int signal : {SIGHUP, SIGINT, SIGQUIT, SIGTERM, SIGALRM, SIGUSR1, SIGUSR2})
            sigaddset(&held, signal);
        pthread_sigmask(SIG_BLOCK, &held, &saved_);
    }
    ~HeldSignals() { pthread_sigmask(SIG_SETMASK, &saved_, nullptr); }
    HeldSignals(const HeldSignals &) = delete;
    HeldSignals &operator=(const HeldSignals &) = delete;

private:
    sigset_t saved_;
};

/* The records of one commit, each open and locked until it is removed. */
class CommitRecords {
public:
    ~CommitRecords()
    {
        for (int fd : fds_) ::close(fd);
    }

    /* Makes an empty locked record in directory; its path, or "". */
    std::string make(const std::string &directory)
    {
        std::string path = directory + "/" + kRecordPrefix + "XXXXXX";
        int fd = mkstemp(path.data());
        if (fd < 0) return {};
        fds_.push_back(fd);
        paths_.push_back(path);
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) return {};
        return path;
    }

    /* Writes and syncs the record made as number `index`. */
    bool write(size_t index, const Record &record)
    {
        std::string text = recordText(record);
        return writeFileBytes(fds_[index], text.data(), text.size()) && ::fsync(fds_[index]) == 0;
    }

    /* Marks the primary record (number 0) done: one write of the bytes
     * of its state, which a stopped run makes wholly or not at all.  0 or
     * -1 with errno set. */
    int markDone()
    {
        const size_t state = sizeof kRecordTag + sizeof "primary";
        if (::pwrite(fds_[0], "done", 4, off_t(state)) != 4) return -1;
        return ::fsync(fds_[0]);
    }

    /* Removes every record, the primary (number 0) last. */
    void removeAll()
    {
        for (size_t i = paths_.size(); i-- > 0;) ::unlink(paths_[i].c_str());
    }

private:
    std::vector<int> fds_;
    std::vector<std::string> paths_;
};

int changeCount = 0;

/* Makes the next change by call (0 on success), or fails it as the test
 * hook asks.  False with errno set. */
template <typename Call>
bool change(Call call)
{
    ++changeCount;
    if (commitHook != nullptr) {
        if (int failure = commitHook(changeCount); failure != 0) {
            errno = failure;
            return false;
        }
    }
    return call() == 0;
}

}  // namespace

void setCommitHookForTests(int (*hook)(int change)) { commitHook = hook; }

bool putFilesInPlace(const std::vector<CommitFile> &files, std::string &error)
{
    HeldSignals held;
    changeCount = 0;
    auto fail = [&](const std::string &final, const std::string &cause) {
        for (const CommitFile &file : files) ::unlink(file.temporary.c_str());
        error = "The file " + final + " cannot be put in place: " + cause +
                "; every output of the step keeps its earlier version.";
        return false;
    };

    /* Everything that can be known before a change: the kinds of the
     * files in place and the absolute paths. */
    Record primary;
    primary.primary = true;
    std::vector<std::string> directories;
    for (const CommitFile &file : files) {
        struct stat info {};
        const bool earlier = ::lstat(file.final.c_str(), &info) == 0;
        if (earlier && !S_ISREG(info.st_mode))
            return fail(file.final, std::string("it is ") + fileKindName(info.st_mode));
        Entry entry{absolute(file.temporary), absolute(file.final), {}};
        if (entry.temporary.empty() || entry.final.empty()) return fail(file.final, std::strerror(errno));
        if (earlier) entry.backup = entry.temporary + ".old";
        std::string directory = directoryOf(entry.final);
        if (std::find(directories.begin(), directories.end(), directory) == directories.end())
            directories.push_back(directory);
        primary.entries.push_back(std::move(entry));
    }
    if (primary.entries.empty()) return true;
    const std::string &first = primary.entries.front().final;

    /* The records: the primary is made first (so that the secondaries can
     * name it) and written last. */
    CommitRecords records;
    for (const std::string &directory : directories) {
        std::string path = records.make(directory);
        if (path.empty()) {
            std::string cause = "no commit record can be made in " + directory + " (" + std::strerror(errno) + ")";
            records.removeAll();
            return fail(first, cause);
        }
        if (primary.primaryPath.empty()) primary.primaryPath = path;
        else primary.secondaries.push_back(path);
    }
    bool written = true;
    for (size_t i = 0; i < primary.secondaries.size() && written; ++i) {
        Record secondary = primary;
        secondary.primary = false;
        secondary.secondaries.clear();
        written = records.write(i + 1, secondary);
    }
    written = written && records.write(0, primary);
    if (!written) {
        std::string cause = std::string("its commit record cannot be written (") + std::strerror(errno) + ")";
        records.removeAll();
        return fail(first, cause);
    }
    for (const std::string &directory : directories) syncDirectory(directory);

    /* From here a stopped run is undone by the next opener; a failure is
     * undone at once. */
    auto undo = [&](const std::string &final, const std::string &cause) {
        for (const Entry &entry : primary.entries) restoreEarlier(entry);
        for (const std::string &directory : directories) syncDirectory(directory);
        records.removeAll();
        return fail(final, cause);
    };
    for (const Entry &entry : primary.entries)
        if (!entry.backup.empty() &&
            !change([&] { return ::link(entry.final.c_str(), entry.backup.c_str()); }))
            return undo(entry.final, std::string("its earlier version cannot be kept (") + std::strerror(errno) + ")");
    for (const Entry &entry : primary.entries)
        if (!change([&] { return std::rename(entry.temporary.c_str(), entry.final.c_str()); }))
            return undo(entry.final, std::strerror(errno));
    for (const std::string &directory : directories) syncDirectory(directory);

    /* The commit point: the primary record is marked done.  What is left
     * after it is removed by the next opener when this run stops. */
    if (!change([&] { return records.markDone(); }))
        return undo(first, std::string("its commit record cannot be written (") + std::strerror(errno) + ")");
    bool cleared = true; /* else the primary stays for the next opener to clear up */
    for (const Entry &entry : primary.entries)
        if (!entry.backup.empty()) cleared = change([&] { return ::unlink(entry.backup.c_str()); }) && cleared;
    for (const std::string &secondary : primary.secondaries)
        cleared = change([&] { return ::unlink(secondary.c_str()); }) && cleared;
    if (cleared) change([&] { return ::unlink(primary.primaryPath.c_str()); });
    return true;
}

std::vector<std::string> undoStoppedCommits(const std::string &directory)
{
    std::vector<std::string> undone, records;
    DIR *listing = ::opendir(directory.c_str());
    if (listing == nullptr) return undone;
    while (const dirent *entry = ::readdir(listing))
        if (std::strncmp(entry->d_name, kRecordPrefix, sizeof kRecordPrefix - 1) == 0)
            records.push_back(directory + "/" + entry->d_name);
    ::closedir(listing);
    for (const std::string &record : records) finishStoppedCommit(record, undone);
    return undone;
}

}  // namespace orvhost
