/*
 * commit_record.cpp - putting output files in place all or none
 * (platform/dataset/commit_record.h).
 */
#include "platform/dataset/commit_record.h"

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>

#include "platform/dataset/commit_record_format.h"
#include "platform/dataset/file_writes.h"
#include "platform/dataset/library_lock.h"
#include "platform/regular_file.h"

namespace orvhost {

namespace {

int (*commitHook)(int change) = nullptr;

/* path with its directory made absolute; "" when the directory cannot be
 * resolved. */
std::string absolute(const std::string &path)
{
    char resolved[PATH_MAX];
    if (::realpath(directoryOf(path).c_str(), resolved) == nullptr) return {};
    std::string directory = resolved;
    return (directory == "/" ? "" : directory) + "/" + fileOf(path);
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

/* The records of one commit, each open until it is removed.  A record is
 * written under a new name (kNewCommitRecordPrefix) and linked to its own
 * name only when it is whole and synced, so that a record in place is
 * never cut short. */
class CommitRecords {
public:
    ~CommitRecords()
    {
        for (const Made &made : made_) {
            if (!made.linked) ::unlink(made.newPath.c_str());
            ::close(made.fd);
        }
    }

    /* Makes a new record in directory and picks its name; that name, or
     * "" with errno set. */
    std::string make(const std::string &directory)
    {
        for (int attempt = 0; attempt < 16; ++attempt) {
            std::string newPath = directory + "/" + kNewCommitRecordPrefix + "XXXXXX";
            int fd = ::mkostemp(newPath.data(), O_CLOEXEC);
            if (fd < 0) return {};
            std::string path = directory + "/" + kCommitRecordPrefix + newPath.substr(newPath.size() - 6);
            struct stat info {};
            if (::lstat(path.c_str(), &info) == 0) { /* a record left there has that name */
                ::unlink(newPath.c_str());
                ::close(fd);
                continue;
            }
            made_.push_back({fd, newPath, path, false});
            return path;
        }
        errno = EEXIST;
        return {};
    }

    /* Writes and syncs the record made as number `index` and puts it in
     * place under its name. */
    bool write(size_t index, const CommitRecordFields &record)
    {
        Made &made = made_[index];
        std::string text = commitRecordText(record);
        if (!writeFileBytes(made.fd, text.data(), text.size()) || ::fsync(made.fd) != 0) return false;
        if (::link(made.newPath.c_str(), made.path.c_str()) != 0) return false;
        made.linked = true;
        ::unlink(made.newPath.c_str());
        return true;
    }

    /* Marks the primary record (number 0) done: one write of the bytes
     * of its state, which a stopped run makes wholly or not at all.  0 or
     * -1 with errno set. */
    int markDone()
    {
        if (::pwrite(made_[0].fd, "done", 4, off_t(commitStateOffset(true))) != 4) return -1;
        return ::fsync(made_[0].fd);
    }

    /* Marks every record "back" before the changes made are undone, so
     * that the next run goes on with the undo when this one stops. */
    void markUndoing()
    {
        for (size_t i = 0; i < made_.size(); ++i)
            if (::pwrite(made_[i].fd, "back", 4, off_t(commitStateOffset(i == 0))) == 4) ::fsync(made_[i].fd);
    }

    /* Removes every record in place, the primary (number 0) last. */
    void removeAll()
    {
        for (size_t i = made_.size(); i-- > 0;)
            if (made_[i].linked) ::unlink(made_[i].path.c_str());
    }

private:
    struct Made {
        int fd;
        std::string newPath, path;
        bool linked;
    };
    std::vector<Made> made_;
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

/* Finishes the stopped commits in every locked directory and removes dead
 * temporary files there.  Returns the cause for the first final file of
 * entries that a stopped commit this run cannot finish names (its final
 * file in *blockedFinal), or "". */
std::string finishStoppedCommits(LockedDirectories &locks, const std::vector<CommitEntry> &entries,
                                 const std::vector<LibraryLock *> &lockOf, StoppedCommits *stopped,
                                 std::string *blockedFinal)
{
    std::string cause;
    for (LibraryLock &lock : locks.all()) {
        StoppedCommits found = stoppedCommits(lock, true);
        removeDeadTemporaries(lock, found);
        for (const LeftCommitRecord &left : found.left)
            for (size_t i = 0; i < entries.size() && cause.empty(); ++i)
                if (lockOf[i] == &lock && std::find(left.blocked.begin(), left.blocked.end(),
                                                    fileOf(entries[i].final)) != left.blocked.end()) {
                    *blockedFinal = entries[i].final;
                    cause = "the commit record " + left.record +
                            " of a stopped run names it, and this run cannot finish that commit (" + left.reason +
                            "); run with write access to the library " + lock.directory() + " to finish it";
                }
        stopped->restored.insert(stopped->restored.end(), found.restored.begin(), found.restored.end());
        stopped->left.insert(stopped->left.end(), found.left.begin(), found.left.end());
    }
    return cause;
}

}  // namespace

void setCommitHookForTests(int (*hook)(int change)) { commitHook = hook; }

bool putFilesInPlace(const std::vector<CommitFile> &files, std::string &error, StoppedCommits *stopped)
{
    auto fail = [&](const std::string &final, const std::string &cause) {
        for (const CommitFile &file : files) ::unlink(file.temporary.c_str());
        error = "The file " + final + " cannot be put in place: " + cause +
                "; every output of the step keeps its earlier version.";
        return false;
    };

    /* Everything that can be known before a change: the kinds of the
     * files in place and the absolute paths. */
    std::vector<CommitEntry> entries;
    std::vector<std::string> directories;
    for (const CommitFile &file : files) {
        struct stat info {};
        const bool earlier = ::lstat(file.final.c_str(), &info) == 0;
        if (earlier && !S_ISREG(info.st_mode))
            return fail(file.final, std::string("it is ") + fileKindName(info.st_mode));
        CommitEntry entry{absolute(file.temporary), absolute(file.final), {}};
        if (entry.temporary.empty() || entry.final.empty()) return fail(file.final, std::strerror(errno));
        if (earlier) entry.backup = entry.temporary + ".old";
        directories.push_back(directoryOf(entry.final));
        entries.push_back(std::move(entry));
    }
    if (entries.empty()) return true;
    const std::string &first = entries.front().final;

    /* Commits into these directories wait here for each other. */
    LockedDirectories locks;
    std::string failedDirectory;
    if (!locks.lockAll(directories, failedDirectory))
        return fail(first, "its directory " + failedDirectory + " cannot be locked (" + std::strerror(errno) + ")");
    std::vector<LibraryLock *> lockOf;
    for (const std::string &directory : directories) lockOf.push_back(locks.find(directory));
    if (std::find(lockOf.begin(), lockOf.end(), nullptr) != lockOf.end())
        return fail(first, std::string("its directory moved (") + std::strerror(errno) + ")");
    HeldSignals held;
    changeCount = 0;
    std::string blockedFinal;
    if (std::string cause = finishStoppedCommits(locks, entries, lockOf, stopped, &blockedFinal); !cause.empty())
        return fail(blockedFinal, cause);

    /* The records, one per directory with its own files: the primary (in
     * the directory of the first file) is made first, so that the
     * secondaries can name it, and written last. */
    std::vector<LibraryLock *> recordLocks{lockOf.front()};
    for (LibraryLock *lock : lockOf)
        if (std::find(recordLocks.begin(), recordLocks.end(), lock) == recordLocks.end()) recordLocks.push_back(lock);
    CommitRecords records;
    std::vector<CommitRecordFields> fields(recordLocks.size());
    for (size_t r = 0; r < recordLocks.size(); ++r) {
        const std::string &directory = recordLocks[r]->directory();
        std::string path = records.make(directory);
        if (path.empty()) {
            std::string cause = "no commit record can be made in " + directory + " (" + std::strerror(errno) + ")";
            return fail(first, cause);
        }
        fields[r].primary = r == 0;
        if (r == 0) fields[0].primaryPath = path;
        else fields[0].secondaries.push_back(path);
        for (size_t i = 0; i < entries.size(); ++i)
            if (lockOf[i] == recordLocks[r]) fields[r].entries.push_back(entries[i]);
    }
    bool written = true;
    for (size_t r = 1; r < fields.size() && written; ++r) {
        fields[r].primaryPath = fields[0].primaryPath;
        written = records.write(r, fields[r]);
    }
    written = written && records.write(0, fields[0]);
    if (!written) {
        std::string cause = std::string("its commit record cannot be written (") + std::strerror(errno) + ")";
        records.removeAll();
        return fail(first, cause);
    }
    auto syncDirectories = [&] {
        for (LibraryLock *lock : recordLocks) ::fsync(lock->fd());
    };
    syncDirectories();

    /* From here a stopped run is undone by the next run in a directory; a
     * failure is undone at once. */
    auto undo = [&](const std::string &final, const std::string &cause) {
        records.markUndoing();
        for (size_t i = 0; i < entries.size(); ++i) restoreEarlierVersion(lockOf[i]->fd(), entries[i]);
        syncDirectories();
        records.removeAll();
        return fail(final, cause);
    };
    for (const CommitEntry &entry : entries)
        if (!entry.backup.empty() &&
            !change([&] { return ::link(entry.final.c_str(), entry.backup.c_str()); }))
            return undo(entry.final, std::string("its earlier version cannot be kept (") + std::strerror(errno) + ")");
    for (const CommitEntry &entry : entries)
        if (!change([&] { return std::rename(entry.temporary.c_str(), entry.final.c_str()); }))
            return undo(entry.final, std::strerror(errno));
    syncDirectories();

    /* The commit point: the primary record is marked done.  What is left
     * after it is removed by the next run in the directory when this run
     * stops. */
    if (!change([&] { return records.markDone(); }))
        return undo(first, std::string("its commit record cannot be written (") + std::strerror(errno) + ")");
    bool cleared = true; /* else the primary stays for the next run to clear up */
    for (const CommitEntry &entry : entries)
        if (!entry.backup.empty()) cleared = change([&] { return ::unlink(entry.backup.c_str()); }) && cleared;
    for (const std::string &secondary : fields[0].secondaries)
        cleared = change([&] { return ::unlink(secondary.c_str()); }) && cleared;
    if (cleared) change([&] { return ::unlink(fields[0].primaryPath.c_str()); });
    return true;
}

}  // namespace orvhost
