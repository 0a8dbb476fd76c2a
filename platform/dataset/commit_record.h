/*
 * commit_record.h - puts the files of a step's outputs in place all
 * together, so that a failure or a stopped run never leaves some of them
 * new and others old, nor a CSV file beside another version's sidecar.
 *
 * Before anything in place changes, a commit record is written into every
 * directory the files are in (".commit-XXXXXX"): the one in the directory
 * of the first file is the primary, the others are secondaries that name
 * it.  Then each earlier version is linked to a backup name beside it and
 * the new files are renamed over the old ones.  Marking the primary
 * record done is the point at which the commit has happened; the backups,
 * the secondaries and last the primary are removed after it.  A failed
 * change undoes every change made so far; catchable signals that end the
 * process are held until the commit is over.  A run that is killed
 * meanwhile leaves the records, and whoever next opens a data set of one
 * of those directories calls undoStoppedCommits, which restores every
 * earlier version (primary not done), or removes what is left over
 * (primary done, or gone: the commit was done or never began).  A record is locked (flock) by the run writing it,
 * so a commit going on in another process is left alone.
 *
 * Exports: struct CommitFile, putFilesInPlace, undoStoppedCommits,
 * setCommitHookForTests.
 */
#ifndef ORV_PLATFORM_DATASET_COMMIT_RECORD_H
#define ORV_PLATFORM_DATASET_COMMIT_RECORD_H

#include <string>
#include <vector>

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
 * a regular file is refused before anything changes. */
bool putFilesInPlace(const std::vector<CommitFile> &files, std::string &error);

/* Finishes the commits that stopped runs left in directory (see the
 * banner).  Returns the final files of the commits undone, whose earlier
 * versions are back (empty when there was nothing to undo). */
std::vector<std::string> undoStoppedCommits(const std::string &directory);

/* For tests: hook(k) is called before the k-th change (k from 1) that
 * putFilesInPlace makes after writing its records: the links of earlier
 * versions, the renames, marking the primary record done (the commit
 * point), the removal of the backups and the records, in this order.  A
 * non-zero result makes that change fail with it as errno.  Null: no
 * hook. */
void setCommitHookForTests(int (*hook)(int change));

}  // namespace orvhost

#endif
