/*
 * stopped_commits.h - finishing the commits that stopped runs left in a
 * library directory, and removing the temporary files of gone writers.
 *
 * A record left in a directory is acted on only when it belongs to the
 * running user, is a regular file of its own, is whole, and every file it
 * speaks of is one a commit into that directory writes (see
 * recordNamesOnlyItsDirectory); its files are then reached through the
 * directory alone, by name, so nothing outside it is ever changed.  A
 * primary record still open is undone: the earlier version of every file of
 * the directory is brought back.  A done one, or one whose commit never
 * began, is cleared: its temporary files and backups are removed.  A
 * secondary follows its primary (gone: cleared).  An undone primary whose
 * secondaries are still there stays, with no files, until they are gone,
 * so that their directories are undone too.
 *
 * Any other record is left where it is and reported with the reason; so is
 * one that this run cannot finish (it cannot write to the library, the
 * earlier versions are missing, its primary cannot be read).  The data set
 * files named by a record of this user or another that cannot be finished
 * are reported too, so that they are neither read nor replaced.
 *
 * Exports: struct LeftCommitRecord, struct StoppedCommits, stoppedCommits,
 * removeDeadTemporaries, restoreEarlierVersion.
 */
#ifndef ORV_PLATFORM_DATASET_STOPPED_COMMITS_H
#define ORV_PLATFORM_DATASET_STOPPED_COMMITS_H

#include <string>
#include <vector>

namespace orvhost {

class LibraryLock;
struct CommitEntry;

struct LeftCommitRecord {
    std::string record;               /* its path */
    std::string reason;               /* why it stays; "" when this run could finish it */
    std::vector<std::string> blocked; /* names of data set files that must not be read or replaced */
    std::vector<std::string> kept;    /* names of the temporary files and backups it lists */
};

struct StoppedCommits {
    std::vector<std::string> restored; /* final files whose earlier versions are back */
    std::vector<LeftCommitRecord> left;
    bool finishable = false; /* a record this run can finish is among left */
};

/* The records that stopped runs left in the directory of lock.  With
 * finish, the ones this run can finish are finished (REQUIRES: lock held
 * exclusively); else nothing changes (REQUIRES: lock held at least
 * shared) and they are in left with an empty reason. */
StoppedCommits stoppedCommits(const LibraryLock &lock, bool finish);

/* Removes the temporary files no live writer holds, the backups and the
 * records being written that a stopped run left, except those a record in
 * found.left lists (its kept names).  REQUIRES: lock held exclusively, found from
 * stoppedCommits(lock, true). */
void removeDeadTemporaries(const LibraryLock &lock, const StoppedCommits &found);

/* Brings the final file of entry back to its earlier version (or to none)
 * and removes its temporary file and backup, all reached by name in the
 * directory directoryFd. */
void restoreEarlierVersion(int directoryFd, const CommitEntry &entry);

}  // namespace orvhost

#endif
