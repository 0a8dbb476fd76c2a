/*
 * commit_record_format.h - the commit record of putting a step's files in
 * place (platform/dataset/commit_record.h): its bytes, and the names of the
 * files it may speak of.
 *
 * A record is a sequence of NUL-terminated fields:
 *   tag, "primary" or "secondary", "open", "done" or "back" (overwritten
 *   in place: "done" at the commit point, "back" when a later run begins
 *   to undo the commit), the primary record's path,
 *   per file: "file", temporary, final, backup ("" when there was no
 *   earlier version), per secondary record: "record", its path,
 *   and "end", written last, so that a record cut short is known.
 * Paths are absolute.  A record lists the files of its own directory only;
 * a commit into several directories writes one record into each, and the
 * primary names the secondaries, which name the primary.
 *
 * Exports: struct CommitEntry, struct CommitRecordFields, commitRecordText,
 * parseCommitRecord, kCommitRecordPrefix, kNewCommitRecordPrefix,
 * isCommitRecordName, isDataSetFileName, isTemporaryName, isBackupName,
 * recordNamesOnlyItsDirectory.
 */
#ifndef ORV_PLATFORM_DATASET_COMMIT_RECORD_FORMAT_H
#define ORV_PLATFORM_DATASET_COMMIT_RECORD_FORMAT_H

#include <sys/types.h>

#include <string>
#include <string_view>
#include <vector>

namespace orvhost {

/* Records in place begin ".commit-"; a record being written is made under
 * ".orv-commit-" and linked to its name when it is whole. */
constexpr char kCommitRecordPrefix[] = ".commit-";
constexpr char kNewCommitRecordPrefix[] = ".orv-commit-";

struct CommitEntry {
    std::string temporary, final, backup;
};

struct CommitRecordFields {
    bool primary = false;
    bool done = false;
    bool undoing = false; /* "back": the files without temporary and backup are restored */
    std::string primaryPath;
    std::vector<CommitEntry> entries;
    std::vector<std::string> secondaries;
};

std::string commitRecordText(const CommitRecordFields &record);

/* Offset of the state field ("open", "done", "back") in the text of a
 * record. */
size_t commitStateOffset(bool primary);

/* False when text is not a whole record (cut short, or not a record). */
bool parseCommitRecord(const std::string &text, CommitRecordFields &record);

/* The forms of file names a commit writes: ".commit-XXXXXX" (six letters
 * or digits, as mkstemp makes them), a data set's "member.csv" or
 * "member.meta.json", a temporary ".<data set file>.XXXXXX" and a backup,
 * the temporary name with ".old". */
bool isCommitRecordName(std::string_view name);
bool isDataSetFileName(std::string_view name);
bool isTemporaryName(std::string_view name);
bool isBackupName(std::string_view name);

/* True when every file record (named `name`, in the directory of device
 * and inode) speaks of is one a commit into that directory writes: each
 * entry a data set file with its own temporary and backup names, in that
 * directory; the primary path the record itself (for a primary) or a
 * record name (for a secondary); the secondaries record names. */
bool recordNamesOnlyItsDirectory(const CommitRecordFields &record, const std::string &name,
                                 dev_t device, ino_t inode);

}  // namespace orvhost

#endif
