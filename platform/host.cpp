/*
 * host.cpp - the running host and its step runner.
 */
#include "platform/host.h"

#include <exception>

#include "platform/dataset/data_set_status.h"
#include "platform/message_text.h"
#include "platform/step.h"

namespace orvhost {

Host::Host(std::ostream &out) : log_(out), controlBlock_(memory_, log_)
{
    std::string fault = catalogue_.load(builtInCatalogueText());
    if (!fault.empty()) log_.error(fault);
    running_ = this;
}

Host::~Host() { running_ = nullptr; }

void Host::logMessage(int set, int number, std::span<const MessageArg> args)
{
    MessageText message = messageText(catalogue_, set, number, args);
    log_.write(logKindOf(message.kind), message.text);
}

int Host::runStep(void (*entry)())
{
    int returnCode = kHostFailureReturnCode;
    const long errorsBefore = log_.errorCount();
    try {
        entry();
        log_.error("The procedure returned without ending its step.");
    } catch (const StepExit &exit) {
        returnCode = exit.returnCode;
    } catch (const std::exception &failure) {
        log_.error(std::string{"The host failed while running the step: "} + failure.what());
    }
    returnCode = dataSets_.endStep(returnCode);
    /* Raised after the outputs were put in place (or not) by the step's own
     * code: an ERROR line does not lose what the step wrote, but the step
     * does not end as a success. */
    if (returnCode <= kHighestCommittingReturnCode && log_.errorCount() > errorsBefore)
        returnCode = kErrorWrittenReturnCode;
    /* Resource contents are step memory: their clean-up routines run
     * before it goes. */
    resources_.removeAll();
    memory_.releaseStep();
    utilityFiles_.releaseStep();
    options_.releaseStep();
    listing_.releaseStep();
    controlBlock_.parseControlSlot() = nullptr;
    return returnCode;
}

}  // namespace orvhost
