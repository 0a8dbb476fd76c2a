/*
 * commit_record_format.cpp - bytes and file names of commit records
 * (platform/dataset/commit_record_format.h).
 */
#include "platform/dataset/commit_record_format.h"

#include <sys/stat.h>

#include <cctype>

#include "platform/dataset/libraries.h"
#include "platform/regular_file.h"
#include "host/host_records.h"

namespace orvhost {

namespace {

constexpr char kRecordTag[] = "orvhost commit record 1";
/* Letters or digits that mkstemp puts for its XXXXXX. */
constexpr size_t kUniqueLength = 6;

bool isUniquePart(std::string_view text)
{
    if (text.size() != kUniqueLength) return false;
    for (char c : text)
        if (!std::isalnum(static_cast<unsigned char>(c))) return false;
    return true;
}

/* True when path is absolute and its directory part is the directory of
 * device and inode. */
bool isInDirectory(const std::string &path, dev_t device, ino_t inode)
{
    struct stat info {};
    return !path.empty() && path[0] == '/' && ::stat(directoryOf(path).c_str(), &info) == 0 &&
           S_ISDIR(info.st_mode) && info.st_dev == device && info.st_ino == inode;
}

/* True when path is absolute and its last component is a record name. */
bool isRecordPath(const std::string &path)
{
    return !path.empty() && path[0] == '/' && isCommitRecordName(fileOf(path));
}

}  // namespace

std::string commitRecordText(const CommitRecordFields &record)
{
    std::string text;
    auto field = [&text](const std::string &value) { text.append(value).push_back('\0'); };
    field(kRecordTag);
    field(record.primary ? "primary" : "secondary");
    field(record.done ? "done" : record.undoing ? "back" : "open");
    field(record.primaryPath);
    for (const CommitEntry &entry : record.entries) {
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

size_t commitStateOffset(bool primary)
{
    return sizeof kRecordTag + (primary ? sizeof "primary" : sizeof "secondary");
}

bool parseCommitRecord(const std::string &text, CommitRecordFields &record)
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
    if (fields[2] != "open" && fields[2] != "done" && fields[2] != "back") return false;
    record.primary = fields[1] == "primary";
    record.done = fields[2] == "done";
    record.undoing = fields[2] == "back";
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

bool isCommitRecordName(std::string_view name)
{
    constexpr std::string_view prefix = kCommitRecordPrefix;
    return name.starts_with(prefix) && isUniquePart(name.substr(prefix.size()));
}

bool isDataSetFileName(std::string_view name)
{
    for (std::string_view suffix : {std::string_view(".csv"), std::string_view(".meta.json")})
        if (name.ends_with(suffix) &&
            isValidName(name.substr(0, name.size() - suffix.size()), ORV_DS_MEMBER_LENGTH))
            return true;
    return false;
}

bool isTemporaryName(std::string_view name)
{
    return name.size() > kUniqueLength + 2 && name[0] == '.' &&
           name[name.size() - kUniqueLength - 1] == '.' &&
           isUniquePart(name.substr(name.size() - kUniqueLength)) &&
           isDataSetFileName(name.substr(1, name.size() - kUniqueLength - 2));
}

bool isBackupName(std::string_view name)
{
    return name.ends_with(".old") && isTemporaryName(name.substr(0, name.size() - 4));
}

bool recordNamesOnlyItsDirectory(const CommitRecordFields &record, const std::string &name,
                                 dev_t device, ino_t inode)
{
    for (const CommitEntry &entry : record.entries) {
        const std::string final = fileOf(entry.final), temporary = fileOf(entry.temporary);
        if (!isDataSetFileName(final) || !isTemporaryName(temporary) ||
            temporary.compare(1, final.size() + 1, final + ".") != 0 ||
            temporary.size() != final.size() + 2 + kUniqueLength)
            return false;
        if (!entry.backup.empty() && entry.backup != entry.temporary + ".old") return false;
        if (!isInDirectory(entry.final, device, inode) || !isInDirectory(entry.temporary, device, inode))
            return false;
    }
    for (const std::string &secondary : record.secondaries)
        if (!isRecordPath(secondary)) return false;
    if (record.primary)
        return fileOf(record.primaryPath) == name && isInDirectory(record.primaryPath, device, inode);
    return isRecordPath(record.primaryPath);
}

}  // namespace orvhost
