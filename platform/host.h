/*
 * host.h - one running orvhost: log, catalogue, memory and control block,
 * and the procedure steps it runs.
 *
 * The host routines behind the service vectors are plain functions; they
 * reach the running host through Host::current().  One Host exists at a time.
 */
#ifndef ORV_PLATFORM_HOST_H
#define ORV_PLATFORM_HOST_H

#include <ostream>
#include <string_view>

#include "platform/catalogue.h"
#include "platform/control_block.h"
#include "platform/dataset/data_set_store.h"
#include "platform/listing.h"
#include "platform/log.h"
#include "platform/memory.h"
#include "platform/message_text.h"
#include "platform/named_slots.h"
#include "platform/options.h"
#include "platform/utility_files.h"

namespace orvhost {

class Host {
public:
    /* A host that logs to `out` and reads the built-in catalogue. */
    explicit Host(std::ostream &out);
    ~Host();
    Host(const Host &) = delete;
    Host &operator=(const Host &) = delete;

    /* The running host.  REQUIRES: a Host exists.  Inline: every service
     * call of a row reaches its data set through it. */
    static Host &current() { return *running_; }

    Log &log() { return log_; }
    HostMemory &memory() { return memory_; }
    Catalogue &catalogue() { return catalogue_; }
    ControlBlock &controlBlock() { return controlBlock_; }
    UtilityFiles &utilityFiles() { return utilityFiles_; }
    SystemOptions &options() { return options_; }
    NamedSlots &namedSlots() { return namedSlots_; }
    HostResources &resources() { return resources_; }
    Listing &listing() { return listing_; }
    DataSetStore &dataSets() { return dataSets_; }

    /* The anchor handed to mcn_main as the process anchor. */
    void *processAnchor() { return &processAnchor_; }

    /* Writes message (set, number) to the log with its arguments. */
    void logMessage(int set, int number, std::span<const MessageArg> args);

    /* Runs one procedure step: calls the entry, which ends the step through
     * xexit; then ends the step's data sets (DataSetStore::endStep, which
     * may raise the return code), releases the step's memory, utility files
     * and option texts, and forgets its listing line area.  Returns the
     * step's return code (kHostFailureReturnCode when the host had to end
     * the step). */
    int runStep(void (*entry)());

private:
    static inline Host *running_ = nullptr;
    Log log_;
    Catalogue catalogue_;
    HostMemory memory_;
    ControlBlock controlBlock_;
    UtilityFiles utilityFiles_;
    SystemOptions options_;
    NamedSlots namedSlots_;
    HostResources resources_;
    Listing listing_{log_};
    DataSetStore dataSets_{log_, catalogue_, memory_};
    uint64_t processAnchor_ = 0;
};

}  // namespace orvhost

#endif
