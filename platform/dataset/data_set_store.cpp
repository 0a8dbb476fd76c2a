/*
 * data_set_store.cpp - opening, closing and looking up data sets, fetch
 * definitions and output bindings; the own read and write routines of the
 * handles; the end of a step.
 */
#include "platform/dataset/data_set_store.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>

#include "platform/catalogue.h"
#include "platform/dataset/commit_record.h"
#include "platform/dataset/data_set_status.h"
#include "platform/dataset/input_data_set.h"
#include "platform/dataset/library_lock.h"
#include "platform/dataset/output_data_set.h"
#include "platform/host.h"
#include "platform/log.h"
#include "platform/memory.h"
#include "platform/message_text.h"
#include "platform/regular_file.h"
#include "platform/step.h"

namespace orvhost {

namespace {

/* The entry of handle in map, kept as *found; null when there is none. */
template <typename T>
T *findKept(const std::unordered_map<const void *, std::unique_ptr<T>> &map, const void *handle,
            const void *&foundHandle, T *&found)
{
    auto entry = map.find(handle);
    if (entry == map.end()) return nullptr;
    foundHandle = handle;
    found = entry->second.get();
    return found;
}

/* Catalogue messages of the store (set 1). */
constexpr int kDataSetWrittenMessage = 100;  /* name, observations, variables */
constexpr int kDataSetKeptMessage = 101;     /* name, return code */
constexpr int kDataSetDiscardedMessage = 102; /* name */
constexpr int kDataSetFilesMessage = 103;     /* name, CSV file, sidecar */
constexpr int kDataSetFileMessage = 104;      /* name, CSV file */
constexpr int kCommitUndoneMessage = 105;     /* files */
constexpr int kCommitRecordLeftMessage = 106; /* record, reason */
constexpr int kCommitBlocksReadMessage = 107; /* name, record, library directory */

/* The store whose handles the own routines serve: one host, one store. */
DataSetStore *activeStore = nullptr;

std::string lower(std::string_view text)
{
    std::string result(text);
    for (char &c : result) c = char(std::tolower(static_cast<unsigned char>(c)));
    return result;
}

/* The file of a data set in directory: "name" when a file of that
 * lower-case name is there, else the one entry whose name matches without
 * regard to case.  Returns true with found set ("" when nothing matches), or
 * false with a message in error when several entries match and none has
 * the lower-case name. */
bool findFile(const std::string &directory, const std::string &name, std::string &found,
              std::string &error)
{
    found.clear();
    std::string exact = directory + "/" + name;
    struct stat info {};
    if (::lstat(exact.c_str(), &info) == 0) {
        found = exact;
        return true;
    }
    const std::vector<std::string> matches =
        namesInDirectory(AT_FDCWD, directory, [&name](std::string_view entry) { return lower(entry) == name; });
    if (matches.size() == 1) found = directory + "/" + matches[0];
    if (matches.size() > 1) {
        error = "The files " + shownPath(directory + "/" + matches[0]) + " and " +
                shownPath(directory + "/" + matches[1]) +
                " differ only in case, so the data set is ambiguous: rename or remove one of "
                "them (or give the name " + name + ").";
        return false;
    }
    return true;
}

/* Finds the CSV file and the sidecar of member in directory by the same rule
 * (findFile).  Missing ones get the lower-case names; a sidecar that is
 * missing beside a CSV file found in another case is named after that
 * file.  False with a message in error on an ambiguity.  caseFolded tells
 * whether either name was found in another case. */
bool findDataSetFiles(const std::string &directory, const std::string &member,
                      std::string &csvPath, std::string &sidecarPath, bool &haveSidecar,
                      bool &caseFolded, std::string &error)
{
    std::string csvName = lower(member) + ".csv", sidecarName = lower(member) + ".meta.json";
    if (!findFile(directory, csvName, csvPath, error) ||
        !findFile(directory, sidecarName, sidecarPath, error))
        return false;
    haveSidecar = !sidecarPath.empty();
    caseFolded = (!csvPath.empty() && csvPath != directory + "/" + csvName) ||
                 (haveSidecar && sidecarPath != directory + "/" + sidecarName);
    if (csvPath.empty()) csvPath = directory + "/" + csvName;
    if (!haveSidecar) sidecarPath = csvPath.substr(0, csvPath.size() - 4) + ".meta.json";
    return true;
}

int readRoutine(DATA_SET_HANDLE *handle)
{
    InputDataSet *input = activeStore != nullptr ? activeStore->findInput(handle) : nullptr;
    if (input == nullptr) {
        DataSet *other = activeStore != nullptr ? activeStore->find(handle) : nullptr;
        return other != nullptr ? kDataSetStatusWrongMode : kDataSetStatusBadHandle;
    }
    int status = input->readInGroup();
    handle->status = status;
    if (status < 0) handle->flags |= ORV_DS_STATUS_PENDING;
    if (status == 0 && (handle->readFlags & ORV_DS_COUNT) != 0) ++handle->observationCount;
    return status;
}

int writeRoutine(DATA_SET_HANDLE *handle)
{
    OutputDataSet *output = activeStore != nullptr ? activeStore->findOutput(handle) : nullptr;
    if (output == nullptr) {
        DataSet *other = activeStore != nullptr ? activeStore->find(handle) : nullptr;
        return other != nullptr ? kDataSetStatusWrongMode : kDataSetStatusBadHandle;
    }
    int status = output->writeRow();
    handle->status = status;
    if (status < 0) handle->flags |= ORV_DS_STATUS_PENDING;
    return status;
}

}  // namespace

DataSetStore::DataSetStore(Log &log, const Catalogue &catalogue, HostMemory &memory)
    : log_(log), catalogue_(catalogue), memory_(memory), writeBehind_(log)
{
    activeStore = this;
}

DataSetStore::~DataSetStore()
{
    writeBehind_.finish();
    fetches_.clear();
    bindings_.clear();
    dataSets_.clear(); /* outputs never closed are discarded */
    if (activeStore == this) activeStore = nullptr;
}

DATA_SET_HANDLE *DataSetStore::open(std::string_view libref, std::string_view member,
                                    DataSetMode mode, std::string &error)
{
    std::string library = Libraries::canonical(libref);
    if (!libref.empty() && !isValidName(libref, ORV_DS_LIBREF_LENGTH)) {
        error = "The library reference \"" + shownText(libref) +
                "\" is not valid: it must be 1 to 8 letters, digits or underscores, starting "
                "with a letter or underscore.";
        return nullptr;
    }
    if (!isValidName(member, ORV_DS_MEMBER_LENGTH)) {
        error = "The data set name \"" + shownText(member) +
                "\" is not valid: it must be 1 to 32 letters, digits or underscores, starting "
                "with a letter or underscore.";
        return nullptr;
    }
    std::string directory = libraries_.directory(libref, error);
    if (directory.empty()) return nullptr;
    /* Shared while the files are found and opened: no commit into the
     * directory changes them meanwhile. */
    LibraryLock lock;
    const bool locked = lock.open(directory) && lock.lockShared();
    const StoppedCommits stopped = locked ? settleStoppedCommits(lock) : StoppedCommits{};
    std::string name = Libraries::canonical(member);
    std::string csvPath, sidecarPath;
    bool haveSidecar = false, caseFolded = false;
    if (!findDataSetFiles(directory, name, csvPath, sidecarPath, haveSidecar, caseFolded, error))
        return nullptr;

    std::unique_ptr<DataSet> dataSet;
    if (mode == DataSetMode::Input) {
        struct stat info {};
        if (::stat(csvPath.c_str(), &info) != 0) {
            error = "The data set " + library + "." + name + " does not exist: there is no file " +
                    csvPath + ".";
            return nullptr;
        }
        /* A stopped commit that this run cannot finish may have left the
         * two files of different versions. */
        for (const LeftCommitRecord &left : stopped.left)
            for (const std::string &file : left.blocked)
                if (file == fileOf(csvPath) || file == fileOf(sidecarPath)) {
                    MessageArg args[] = {{MessageArg::Type::Text, 0, 0, library + "." + name},
                                         {MessageArg::Type::Text, 0, 0, shownPath(left.record)},
                                         {MessageArg::Type::Text, 0, 0, shownPath(directory)}};
                    error = messageText(catalogue_, kHostMessageSet, kCommitBlocksReadMessage, args).text;
                    return nullptr;
                }
        auto input = std::make_unique<InputDataSet>(*this, library, name);
        if (!input->open(csvPath, haveSidecar ? sidecarPath : std::string{}, error)) return nullptr;
        input->handle.flags = ORV_DS_READS_BY_GROUP;
        /* Files found in another case than the data set's name are named,
         * so that the user sees which pair was read. */
        if (caseFolded) {
            MessageArg args[] = {{MessageArg::Type::Text, 0, 0, library + "." + name},
                                 {MessageArg::Type::Text, 0, 0, csvPath},
                                 {MessageArg::Type::Text, 0, 0, sidecarPath}};
            if (haveSidecar) logMessage(kHostMessageSet, kDataSetFilesMessage, args);
            else logMessage(kHostMessageSet, kDataSetFileMessage, std::span(args, 2));
        }
        dataSet = std::move(input);
    } else {
        if (const OutputDataSet *earlier = outputWriting(csvPath)) {
            std::string given = library + "." + name;
            error = "The data set " + given + " is given twice as an output of the step" +
                    (earlier->qualifiedName() != given ? " (also as " + earlier->qualifiedName() + ")" : "") +
                    ": both are the file " + shownPath(csvPath) + "; give each output a data set of its own.";
            return nullptr;
        }
        auto output = std::make_unique<OutputDataSet>(*this, library, name);
        if (!output->create(csvPath, sidecarPath, error)) return nullptr;
        dataSet = std::move(output);
    }
    dataSet->handle.read = readRoutine;
    dataSet->handle.write = writeRoutine;
    DATA_SET_HANDLE *handle = &dataSet->handle;
    dataSets_.emplace(handle, std::move(dataSet));
    return handle;
}

const OutputDataSet *DataSetStore::outputWriting(const std::string &csvPath) const
{
    struct stat wanted {};
    if (::stat(directoryOf(csvPath).c_str(), &wanted) != 0) return nullptr;
    for (const auto &entry : dataSets_) {
        if (entry.second->isInput()) continue;
        const auto *output = static_cast<const OutputDataSet *>(entry.second.get());
        struct stat other {};
        if (fileOf(output->finalCsv()) == fileOf(csvPath) &&
            ::stat(directoryOf(output->finalCsv()).c_str(), &other) == 0 &&
            other.st_dev == wanted.st_dev && other.st_ino == wanted.st_ino)
            return output;
    }
    return nullptr;
}

StoppedCommits DataSetStore::settleStoppedCommits(LibraryLock &lock)
{
    StoppedCommits found = stoppedCommits(lock, false);
    /* The lock changes hands in between: a run may commit, or stop, then. */
    for (int round = 0; found.finishable && round < 3; ++round) {
        if (!lock.lockExclusive()) break;
        StoppedCommits finished = stoppedCommits(lock, true);
        removeDeadTemporaries(lock, finished);
        noteStoppedCommits(finished);
        if (!lock.lockShared()) break;
        found = stoppedCommits(lock, false);
    }
    noteStoppedCommits(found);
    return found;
}

void DataSetStore::noteStoppedCommits(const StoppedCommits &stopped)
{
    if (!stopped.restored.empty()) {
        std::string list;
        for (const std::string &file : stopped.restored) list += (list.empty() ? "" : ", ") + shownPath(file);
        MessageArg args[] = {{MessageArg::Type::Text, 0, 0, list}};
        logMessage(kHostMessageSet, kCommitUndoneMessage, args);
    }
    for (const LeftCommitRecord &left : stopped.left) {
        /* Known by its directory and name, however the directory was named. */
        struct stat info {};
        const std::string key = ::stat(directoryOf(left.record).c_str(), &info) == 0
                                    ? std::to_string(info.st_dev) + ":" + std::to_string(info.st_ino) + "/" +
                                          fileOf(left.record)
                                    : left.record;
        if (left.reason.empty() || !warnedRecords_.insert(key).second) continue;
        MessageArg args[] = {{MessageArg::Type::Text, 0, 0, shownPath(left.record)},
                             {MessageArg::Type::Text, 0, 0, left.reason}};
        logMessage(kHostMessageSet, kCommitRecordLeftMessage, args);
    }
}

void DataSetStore::forget(const void *handle)
{
    const DataSet *owner = find(handle);
    for (auto it = fetches_.begin(); it != fetches_.end();)
        it = it->second->owner == owner ? fetches_.erase(it) : std::next(it);
    for (auto it = bindings_.begin(); it != bindings_.end();)
        it = it->second->owner == owner ? bindings_.erase(it) : std::next(it);
    commitAtEnd_.erase(std::remove(commitAtEnd_.begin(), commitAtEnd_.end(), handle),
                       commitAtEnd_.end());
    dataSets_.erase(handle);
    forgetFound();
}

void DataSetStore::forgetFound() const
{
    lastInput_ = {};
    lastOutput_ = {};
    lastFetch_ = {};
    lastBinding_ = {};
}

int DataSetStore::close(const void *handle)
{
    if (find(handle) == nullptr) return kDataSetStatusBadHandle;
    if (findOutput(handle) != nullptr)
        return commitTogether({handle}, false) ? 0 : kDataSetStatusWriteFailed;
    forget(handle);
    return 0;
}

int DataSetStore::setByList(const void *handle, std::vector<int> numbers, bool notSorted)
{
    InputDataSet *input = findInput(handle);
    if (input == nullptr) return find(handle) != nullptr ? kDataSetStatusWrongMode : kDataSetStatusBadHandle;
    return input->setByList(std::move(numbers), notSorted);
}

void DataSetStore::commitAtStepEnd(const void *handle)
{
    if (findOutput(handle) != nullptr) commitAtEnd_.push_back(handle);
}

int DataSetStore::endStep(int returnCode)
{
    writeBehind_.finish(); /* its failures fail the step */
    /* A failed data set fails the step whatever its own code: a step that
     * skipped a BY group (108) and lost an output's write keeps nothing. */
    const bool commit = !stepFailed_ && stepKeepsOutputs(returnCode);
    if (stepFailed_) returnCode = std::max(returnCode, kDataSetErrorReturnCode);
    stepFailed_ = false;

    /* Marked outputs in the order they were opened, then the rest by name,
     * so that the log does not depend on where handles lie in memory. */
    std::vector<const void *> open, rest;
    for (const void *handle : commitAtEnd_)
        if (find(handle) != nullptr) open.push_back(handle);
    for (const auto &entry : dataSets_)
        if (std::find(open.begin(), open.end(), entry.first) == open.end()) rest.push_back(entry.first);
    std::sort(rest.begin(), rest.end(), [this](const void *a, const void *b) {
        return find(a)->qualifiedName() < find(b)->qualifiedName();
    });
    open.insert(open.end(), rest.begin(), rest.end());
    std::vector<const void *> toCommit;
    for (const void *handle : open) {
        OutputDataSet *output = findOutput(handle);
        if (output == nullptr) {
            forget(handle);
            continue;
        }
        bool marked = std::find(commitAtEnd_.begin(), commitAtEnd_.end(), handle) != commitAtEnd_.end();
        /* An output whose columns the step never defined was not written:
         * it is discarded rather than put in place empty.  Nor is one
         * without rows from a step that skipped BY groups: it skipped every
         * group, and the earlier version stays.  (A step without groups
         * ends with a code of its own, and its empty outputs are put in
         * place.) */
        const bool skippedEveryGroup = isGroupSkipReturnCode(returnCode) && output->rowsWritten() == 0;
        if (marked && commit && output->defined() && !skippedEveryGroup) {
            toCommit.push_back(handle);
            continue;
        }
        if (!output->defined()) marked = false;
        discardOutput(handle, marked, returnCode);
    }
    commitAtEnd_.clear();
    if (!toCommit.empty()) commitTogether(toCommit, true);
    /* A failure while putting an output in place fails the step too. */
    if (stepFailed_) returnCode = std::max(returnCode, kDataSetErrorReturnCode);
    stepFailed_ = false;
    return returnCode;
}

void DataSetStore::discardOutput(const void *handle, bool kept, int returnCode)
{
    OutputDataSet *output = findOutput(handle);
    MessageArg name[] = {{MessageArg::Type::Text, 0, 0, output->qualifiedName()},
                         {MessageArg::Type::Integer, returnCode, 0, {}}};
    if (kept) logMessage(kHostMessageSet, kDataSetKeptMessage, name);
    else logMessage(kHostMessageSet, kDataSetDiscardedMessage, std::span(name, 1));
    output->discard();
    forget(handle);
}

bool DataSetStore::commitTogether(const std::vector<const void *> &outputs, bool atStepEnd)
{
    /* Every output is written out before any is put in place, so that a
     * disk that fills on the last one leaves the others as they were too. */
    auto keepEarlier = [&](const void *failed) {
        for (const void *handle : outputs) {
            if (handle != failed && atStepEnd) {
                discardOutput(handle, true, kDataSetErrorReturnCode);
                continue;
            }
            findOutput(handle)->discard();
            forget(handle);
        }
        return false;
    };
    std::vector<CommitFile> files;
    for (const void *handle : outputs) {
        std::string error;
        if (!findOutput(handle)->prepare(error)) {
            reportError(error);
            return keepEarlier(handle);
        }
        findOutput(handle)->addFilesToCommit(files);
    }
    std::string error;
    StoppedCommits stopped;
    const bool placed = putFilesInPlace(files, error, &stopped);
    noteStoppedCommits(stopped);
    if (!placed) {
        reportError(error);
        return keepEarlier(nullptr);
    }
    for (const void *handle : outputs) {
        OutputDataSet *output = findOutput(handle);
        output->markCommitted();
        MessageArg args[] = {{MessageArg::Type::Text, 0, 0, output->qualifiedName()},
                             {MessageArg::Type::Integer, long(output->rowsWritten()), 0, {}},
                             {MessageArg::Type::Integer, long(output->variables().size()), 0, {}}};
        logMessage(kHostMessageSet, kDataSetWrittenMessage, args);
        forget(handle);
    }
    return true;
}

DataSet *DataSetStore::findOpen(const void *handle) const
{
    auto entry = dataSets_.find(handle);
    if (entry == dataSets_.end()) return nullptr;
    DataSet *dataSet = entry->second.get();
    if (dataSet->isInput())
        lastInput_ = {handle, static_cast<InputDataSet *>(dataSet)};
    else
        lastOutput_ = {handle, static_cast<OutputDataSet *>(dataSet)};
    return dataSet;
}

DataSet *DataSetStore::find(const void *handle) const
{
    if (handle != nullptr && handle == lastInput_.handle) return lastInput_.entry;
    if (handle != nullptr && handle == lastOutput_.handle) return lastOutput_.entry;
    return findOpen(handle);
}

InputDataSet *DataSetStore::findOtherInput(const void *handle) const
{
    DataSet *dataSet = handle != lastOutput_.handle ? findOpen(handle) : nullptr;
    return dataSet != nullptr && dataSet->isInput() ? static_cast<InputDataSet *>(dataSet) : nullptr;
}

OutputDataSet *DataSetStore::findOtherOutput(const void *handle) const
{
    DataSet *dataSet = handle != lastInput_.handle ? findOpen(handle) : nullptr;
    return dataSet != nullptr && !dataSet->isInput() ? static_cast<OutputDataSet *>(dataSet) : nullptr;
}

FetchList *DataSetStore::findOtherFetch(const void *fetch) const
{
    return findKept(fetches_, fetch, lastFetch_.handle, lastFetch_.entry);
}

PutBindingState *DataSetStore::findOtherBinding(const void *binding) const
{
    return findKept(bindings_, binding, lastBinding_.handle, lastBinding_.entry);
}

FetchList *DataSetStore::newFetch(DataSet &owner)
{
    if (memory_.attemptFails()) {
        memory_.countFailure();
        return nullptr;
    }
    auto fetch = std::make_unique<FetchList>();
    fetch->owner = &owner;
    fetch->record.host = fetch.get();
    FetchList *result = fetch.get();
    fetches_.emplace(&result->record, std::move(fetch));
    return result;
}

PutBindingState *DataSetStore::newBinding(DataSet &owner)
{
    if (memory_.attemptFails()) {
        memory_.countFailure();
        return nullptr;
    }
    auto binding = std::make_unique<PutBindingState>();
    binding->owner = &owner;
    binding->record.host = binding.get();
    PutBindingState *result = binding.get();
    bindings_.emplace(&result->record, std::move(binding));
    return result;
}

void DataSetStore::releaseFetch(const void *fetch)
{
    fetches_.erase(fetch);
    forgetFound();
}

void DataSetStore::reportError(const std::string &text)
{
    log_.error(text);
    stepFailed_ = true;
}

void DataSetStore::logMessage(int set, int number, std::span<const MessageArg> args)
{
    MessageText message = messageText(catalogue_, set, number, args);
    log_.write(logKindOf(message.kind), message.text);
}

DATA_SET_HANDLE *openDataSet(std::string_view libref, std::string_view member, DataSetMode mode,
                             std::string &error)
{
    return Host::current().dataSets().open(libref, member, mode, error);
}

}  // namespace orvhost
