/*
 * data_set_store.h - the host's data-set store: every data set, fetch
 * definition and output binding open in the running host, the libraries,
 * and the end of a step for them.
 *
 * A data set lib.member is the file member.csv in the library's directory
 * with its description member.meta.json beside it (platform/dataset/
 * sidecar.h).  Outputs are written to a temporary file in that directory and
 * put in place when they are closed successfully, those of a step all
 * together (platform/dataset/commit_record.h), so a failed or stopped step
 * leaves the previous version of every data set untouched.
 *
 * Every handle the services receive is looked up here before it is used: a
 * stale or foreign pointer gives kDataSetStatusBadHandle and is never
 * dereferenced.
 *
 * Exports: DataSetMode, class DataSetStore, openDataSet (for the job
 * language: opens through the running host's store).
 */
#ifndef ORV_PLATFORM_DATASET_DATA_SET_STORE_H
#define ORV_PLATFORM_DATASET_DATA_SET_STORE_H

#include <memory>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "host/host_records.h"
#include "platform/dataset/data_set.h"
#include "platform/dataset/libraries.h"
#include "platform/dataset/stopped_commits.h"
#include "platform/dataset/write_behind.h"

namespace orvhost {

class Catalogue;
class HostMemory;
class InputDataSet;
class LibraryLock;
class Log;
class OutputDataSet;
struct MessageArg;

enum class DataSetMode { Input, Output };

class DataSetStore {
public:
    DataSetStore(Log &log, const Catalogue &catalogue, HostMemory &memory);
    ~DataSetStore();
    DataSetStore(const DataSetStore &) = delete;
    DataSetStore &operator=(const DataSetStore &) = delete;

    Libraries &libraries() { return libraries_; }

    /* Opens libref.member (an empty libref is WORK; names in any case).
     * Input: the file must exist and be well-formed enough to describe.
     * Output: a temporary file is made in the library's directory; a data
     * set that an output of the step writes already (the same file, through
     * any library reference) is refused.  Either way the commits a stopped
     * run left in the directory are finished first (with a warning), and an
     * input named by one this run cannot finish is refused.  An input's
     * files are opened under the directory's shared lock
     * (platform/dataset/library_lock.h), so both are of one version.  Returns
     * the handle, or null with a message in error naming the library, file
     * and line as they apply (the message is not logged here). */
    DATA_SET_HANDLE *open(std::string_view libref, std::string_view member, DataSetMode mode,
                          std::string &error);

    /* Closes a data set: an output is put in place (with a note of its
     * observations and variables).  0; kDataSetStatusBadHandle;
     * kDataSetStatusWriteFailed when the output could not be put in place
     * (logged; the previous version stays; commitTogether). */
    int close(const void *handle);

    /* Sets the BY list of an input data set (the job language's BY
     * statement): numbers are 1-based, negative for DESCENDING.  0;
     * kDataSetStatusBadHandle; kDataSetStatusBadArgument. */
    int setByList(const void *handle, std::vector<int> numbers, bool notSorted);

    /* Marks an output to be put in place when the step ends with a return
     * code that keeps outputs (stepKeepsOutputs: at most 4, or a BY-group
     * skip code; the job language's OUT=
     * data sets, which the procedures do not close themselves). */
    void commitAtStepEnd(const void *handle);

    /* Ends a step: raises the return code to kDataSetErrorReturnCode when a
     * data set failed during the step, closes the inputs, puts the marked
     * outputs in place when the (raised) return code allows, all or none
     * (when one cannot be written out, say on a full disk, the step fails
     * and every one keeps its previous version), and discards every other
     * output still open (with a warning).  Returns the return code of the
     * step. */
    int endStep(int returnCode);

    /* Lookups of the handles the services receive; null for anything that
     * is not open.  The last one found of each kind is answered inline:
     * every row asks for them. */
    DataSet *find(const void *handle) const;
    InputDataSet *findInput(const void *handle) const
    {
        return handle != nullptr && handle == lastInput_.handle ? lastInput_.entry : findOtherInput(handle);
    }
    OutputDataSet *findOutput(const void *handle) const
    {
        return handle != nullptr && handle == lastOutput_.handle ? lastOutput_.entry : findOtherOutput(handle);
    }
    FetchList *findFetch(const void *fetch) const
    {
        return fetch != nullptr && fetch == lastFetch_.handle ? lastFetch_.entry : findOtherFetch(fetch);
    }
    PutBindingState *findBinding(const void *binding) const
    {
        return binding != nullptr && binding == lastBinding_.handle ? lastBinding_.entry : findOtherBinding(binding);
    }

    /* A new fetch definition or output binding on a data set, or null when
     * the allocation fails (counted for xmemdef). */
    FetchList *newFetch(DataSet &owner);
    PutBindingState *newBinding(DataSet &owner);
    void releaseFetch(const void *fetch);

    /* Logs an error the user caused and marks the step as failed. */
    void reportError(const std::string &text);

    /* Logs message (set, number) of the catalogue. */
    void logMessage(int set, int number, std::span<const MessageArg> args);

    Log &log() { return log_; }
    WriteBehind &writeBehind() { return writeBehind_; }
    HostMemory &memory() { return memory_; }

    /* Data sets, fetch definitions and bindings now open. */
    size_t openCount() const { return dataSets_.size(); }

private:
    void forget(const void *handle);
    /* The output open in this step that writes the file csvPath (the same
     * directory, reached by any path, and file name); null for none. */
    const OutputDataSet *outputWriting(const std::string &csvPath) const;
    /* Finishes the commits stopped runs left in the directory of lock
     * (taken exclusively meanwhile; shared again after) and returns the
     * records still left, which a reader must heed.  REQUIRES: lock held
     * shared. */
    StoppedCommits settleStoppedCommits(LibraryLock &lock);
    /* Warns of the files whose earlier versions stopped was able to bring
     * back, and once in a run of every record it leaves (with a reason). */
    void noteStoppedCommits(const StoppedCommits &stopped);
    /* Discards an output at the end of a step with its warning: kept (the
     * earlier version stays because the step ended with returnCode) or
     * not closed by the step. */
    void discardOutput(const void *handle, bool kept, int returnCode);
    /* Puts outputs in place, all or none (platform/dataset/commit_record.h),
     * and forgets them.  When one cannot be written out or put in place,
     * it fails the step and every earlier version stays; at the end of a
     * step (atStepEnd) the other outputs get their warning.  True when
     * they were put in place. */
    bool commitTogether(const std::vector<const void *> &outputs, bool atStepEnd);

    Log &log_;
    const Catalogue &catalogue_;
    HostMemory &memory_;
    Libraries libraries_;
    WriteBehind writeBehind_;
    std::unordered_map<const void *, std::unique_ptr<DataSet>> dataSets_;
    std::unordered_map<const void *, std::unique_ptr<FetchList>> fetches_;
    std::unordered_map<const void *, std::unique_ptr<PutBindingState>> bindings_;
    /* The last input and output, fetch list and binding found: every row
     * looks up its output, the BY input, the binding and the fetch list,
     * and a hit is one comparison, without hashing.  Cleared whenever an
     * entry leaves the maps. */
    template <typename T>
    struct Found {
        const void *handle = nullptr;
        T *entry = nullptr;
    };
    mutable Found<InputDataSet> lastInput_;
    mutable Found<OutputDataSet> lastOutput_;
    mutable Found<FetchList> lastFetch_;
    mutable Found<PutBindingState> lastBinding_;
    /* Looks handle up in the maps of data sets and keeps it as the last
     * input or output found; null when it is not open. */
    DataSet *findOpen(const void *handle) const;
    /* The lookups past the last one found of their kind. */
    InputDataSet *findOtherInput(const void *handle) const;
    OutputDataSet *findOtherOutput(const void *handle) const;
    FetchList *findOtherFetch(const void *fetch) const;
    PutBindingState *findOtherBinding(const void *binding) const;
    /* Clears the last ones found (an entry left the maps). */
    void forgetFound() const;
    std::vector<const void *> commitAtEnd_;
    bool stepFailed_ = false;
    std::set<std::string> warnedRecords_; /* commit records left, warned of (device:inode/name) */
};

/* Opens a data set through the running host's store (see
 * DataSetStore::open). */
DATA_SET_HANDLE *openDataSet(std::string_view libref, std::string_view member, DataSetMode mode,
                             std::string &error);

}  // namespace orvhost

#endif
