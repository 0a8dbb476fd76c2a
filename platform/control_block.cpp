/*
 * control_block.cpp - fills the words of the control block.
 */
#include "platform/control_block.h"

#include <bit>

#include "platform/log.h"
#include "platform/text_tables.h"

namespace orvhost {

ControlBlock::ControlBlock(HostMemory &memory, Log &log)
    : customLoad_(std::make_unique<CUSTOM_LOAD_RECORD>())
{
    link_.slotRecord = &slotRecord_;
    instance_.firstWord = 1; /* "this instance" for callback registration */
    instance_.link = &link_;
    instance_.logHandle = &log;
    values_.allMissing = std::bit_cast<double>(ORV_ALL_MISSING_BITS);
    locale_.mbcs = &mbcs_;

    gcb_.vectors = tables_.vectors();
    gcb_.inCallFlags = tables_.inCallFlags();
    gcb_.instance = &instance_;
    gcb_.globalMemory = memory.globalObject();
    gcb_.collating = collatingTable().data();
    gcb_.charClass = characterClasses().data();
    gcb_.values = &values_;
    gcb_.locale = &locale_;
    gcb_.secondMemory = memory.secondObject();
    gcb_.translate = translateTables();
    gcb_.customLoad = customLoad_.get();
    gcb_.currentInstance = &currentInstance_;
    gcb_.kernelHandle = kernel_.handle();
}

}  // namespace orvhost
