/*
 * commit_record.h - puts the files of a step's outputs in place all
 * together, so that a failure or a stopped run never leaves some of them
 * new and others old, nor a CSV file beside another version's sidecar.
 *
 * The directories of the files are locked exclusively (platform/dataset/
 * library_lock.h) for the whole commit, so that commits into one directory
 * follow each other and readers never open a CSV file and a sidecar of two
 * versions.  Under the lock, the commits that stopped runs left there are
 * finished first (platform/dataset/stopped_commits.h) and the temporary
 * files of gone writers removed; a file named by a stopped commit this run
 * cannot finish is not replaced.
 *
 * Before anything in place changes, a commit record is written into every
 * directory the files are in (platform/dataset/commit_record_format.h),
 * each under a new name, synced and then linked to its name ".commit-
 * XXXXXX": the one in the directory of the first file is the primary, the
 * others are secondaries that name it.  Then each earlier version is
 * linked to a backup name beside it and the new files are renamed over the
 * old ones.  Marking the primary record done is the point at which the
 * commit has happened; the backups, the secondaries and last the primary
 * are removed after it.  A failed change undoes every change made so far;
 * catchable signals that end the process are held until the commit is
 * over.  A run that is killed meanwhile leaves the records, and whoever
 * next commits into, or opens a data set of, one of those directories
 * finishes them.
 *
 * Exports: struct CommitFile, putFilesInPlace,
 * setCommitHookForTests.
 */
#ifndef ORV_PLATFORM_DATASET_COMMIT_RECORD_H
#define ORV_PLATFORM_DATASET_COMMIT_RECORD_H

#include <string>
#include <vector>

#include "platform/dataset/stopped_commits.h"

namespace orvhost {

/* A file to put in place: the written and synced temporary file and the
 * file it replaces, in the same directory. */
struct CommitFile {
    std::string temporary;
    std::string final;
};

/* Renames every temporary file over its final file, all or none.
 * REQUIRES: each final is in its temporary's directory.  Returns true, or
 * false with a message in error naming the file that could not be put in
 * place; then every final file is as it was and the temporary files are
 * removed.  A final name held by a directory or anything else that is not
 * a regular file, or named by a stopped commit this run cannot finish, is
 * refused before anything changes.  What was found of stopped commits in
 * the directories goes to *stopped (restored files, records left). */
bool putFilesInPlace(const std::vector<CommitFile> &files, std::string &error, StoppedCommits *stopped);

/* For tests: hook(k) is called before the k-th change (k from 1) that
 * putFilesInPlace makes after writing its records: the links of earlier
 * versions, the renames, marking the primary record done (the commit
 * point), the removal of the backups and the records, in this order.  A
 * non-zero result makes that change fail with it as errno.  Null: no
 * hook. */
void setCommitHookForTests(int (*hook)(int change));

}  // namespace orvhost

#endif
