/*
 * control_block.h - the global control block GCB that orvhost hands to every
 * module, with the records it points to.
 *
 * The block is built once per process and stays put while modules are loaded:
 * the modules keep its address for as long as the process lives.
 */
#ifndef ORV_PLATFORM_CONTROL_BLOCK_H
#define ORV_PLATFORM_CONTROL_BLOCK_H

#include <memory>

#include "host/host_records.h"
#include "platform/kernel_extensions.h"
#include "platform/memory.h"
#include "platform/service_table.h"

namespace orvhost {

class Log;

class ControlBlock {
public:
    ControlBlock(HostMemory &memory, Log &log);
    ControlBlock(const ControlBlock &) = delete;
    ControlBlock &operator=(const ControlBlock &) = delete;

    GCB *gcb() { return &gcb_; }
    PROC_INSTANCE *instance() { return &instance_; }

    /* The parse-control block hung in the instance chain for this step. */
    void *&parseControlSlot() { return slotRecord_.parseControl; }

    /* The log handle stored in the procedure instance. */
    void *logHandle() const { return instance_.logHandle; }

    /* The kernel handle's extensions (GCB word 0x290). */
    KernelExtensions &kernel() { return kernel_; }

private:
    VectorTables tables_;
    PARSE_SLOT_RECORD slotRecord_{};
    INSTANCE_LINK_RECORD link_{};
    PROC_INSTANCE instance_{};
    HOST_VALUES_RECORD values_{};
    MBCS_STATE_RECORD mbcs_{}; /* single-byte characters */
    LOCALE_RECORD locale_{};
    std::unique_ptr<CUSTOM_LOAD_RECORD> customLoad_;
    uint64_t currentInstance_ = 1; /* 1: the instance at GCB word 0x20 */
    KernelExtensions kernel_;      /* behind the kernel handle */
    GCB gcb_{};
};

}  // namespace orvhost

#endif
