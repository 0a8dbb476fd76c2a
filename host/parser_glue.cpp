/*
 * parser_glue.cpp - procedure start-up, the parser glue and the memory-object
 * thunks.
 *
 * Exports: xinit, xsparse, xsctok, xscsem, xsctrak, orvParseControl, vmalcp_handler,
 * vmalloc_handler, vmfree_handler (host/parser_glue.h).
 */
#include "host/parser_glue.h"

#include "host/services.h"
#include "host/text_fields.h"

namespace {

/* Translate table that upper-cases (host_records.h). */
constexpr int kUpperCaseTable = 2;
constexpr int kPrintDestination = 0;
constexpr int kPrintSelectOption = -2;
constexpr char kBlank = ' ';

PARSE_SLOT_RECORD *parseSlot() { return v_global_gcb_anchor->instance->link->slotRecord; }

/* The instance whose log handle a callback registration uses.  The value 0
 * stands for the procedure instance like 1 does: taking it as an instance
 * address would read through a null pointer. */
PROC_INSTANCE *currentInstance()
{
    GCB *gcb = v_global_gcb_anchor;
    uint64_t value = gcb->currentInstance != nullptr ? *gcb->currentInstance : gcb->instance->firstWord;
    if (value == 0 || value == 1) return gcb->instance;
    return reinterpret_cast<PROC_INSTANCE *>(value);
}

orv_routine registerCallback(orv_routine routine)
{
    orv_routine callable = nullptr;
    if (vir2g(routine, &callable, currentInstance()->logHandle, v_global_pidb_anchor) != 0) {
        xpmlog(ORV_MSG_SET_CALLBACK, ORV_MSG_CALLBACK_FAILED, ORV_MSG_END);
        xexit(ORV_RC_CALLBACK_REGISTRATION, 0);
    }
    return callable;
}

/* Sets the two trace flags from the DEBUG option text. */
void readDebugOption(PARSE_CONTROL *control)
{
    int optionLength = 0;
    const char *text = xoptcgt("DEBUG", &optionLength);
    int n = wzstlen(text);
    if (n == 0 || vzatl(kBlank, text, n) == 1) return;

    char local[ORV_DEBUG_LOCAL_BUFFER];
    char *buffer = local;
    MEMORY_OBJECT *memory = v_global_gcb_anchor->globalMemory;
    if (n > ORV_DEBUG_LOCAL_BUFFER) {
        buffer = static_cast<char *>(vmalcp_handler(memory, size_t(n), ORV_PARSE_CONTROL_FLAGS));
        if (buffer == nullptr) return;
    }
    wzstmov(text, n, buffer, n);
    wztxxlt(kUpperCaseTable, buffer, buffer, n);
    control->synTrace = wzstndx(buffer, n, "SYN", 3) >= 0 ? 1 : 0;
    control->semTrace = wzstndx(buffer, n, "SEM", 3) >= 0 ? 1 : 0;
    if (buffer != local) vmfree_handler(memory, buffer, 0, ORV_MEM_FREE_MODE);
}

}  // namespace

void xinit()
{
    auto *control = static_cast<PARSE_CONTROL *>(vmalcp_handler(
        v_global_gcb_anchor->globalMemory, sizeof(PARSE_CONTROL), ORV_PARSE_CONTROL_FLAGS));
    if (control == nullptr) {
        /* Hanging a null block would make every later reader of the parse
         * result fault; end the step as any out-of-memory start-up does. */
        xmemmsg(xmemdef());
        xexit(ORV_RC_OUT_OF_MEMORY, 0);
    }
    parseSlot()->parseControl = control;
    void *logHandle = v_global_gcb_anchor->instance->logHandle;
    xpopen(logHandle);
    xpoutl(logHandle, &control->outputLine);
    control->printLine = xpprnl(0);
    control->logLine = xplogl(0);
    control->messageLine = xpmsgl(0);
    xpselec(kPrintDestination, kPrintSelectOption);
    readDebugOption(control);
}

int xsparse(GRAMMAR_BLOCK *block, int64_t argument)
{
    PARSE_CONTROL *control = orvParseControl();
    if (block->tokenCallback == nullptr) xsctok(block, reinterpret_cast<orv_routine>(&xttk));
    if (block->semanticCallback == nullptr) xscsem(block, reinterpret_cast<orv_routine>(&xsem));
    if (block->trackingAnchor == nullptr) xsctrak(block, xtanch());
    int traceLevel = (control->synTrace != 0 ? 2 : 0) + (control->semTrace != 0 ? 1 : 0);
    return xsproc(block, control, traceLevel, argument, nullptr, nullptr);
}

orv_routine xsctok(GRAMMAR_BLOCK *block, orv_routine routine)
{
    orv_routine callable = registerCallback(routine);
    block->tokenCallback = callable;
    return callable;
}

orv_routine xscsem(GRAMMAR_BLOCK *block, orv_routine routine)
{
    orv_routine callable = registerCallback(routine);
    block->semanticCallback = callable;
    return callable;
}

PARSE_CONTROL *orvParseControl()
{
    return static_cast<PARSE_CONTROL *>(parseSlot()->parseControl);
}

void xsctrak(GRAMMAR_BLOCK *block, void *anchor) { block->trackingAnchor = anchor; }

void *vmalcp_handler(MEMORY_OBJECT *object, size_t size, int flags)
{
    return object != nullptr ? object->allocate(object, size, flags) : nullptr;
}

void *vmalloc_handler(MEMORY_OBJECT *object, size_t size, int flags)
{
    return object != nullptr ? object->allocate(object, size, flags) : nullptr;
}

void vmfree_handler(MEMORY_OBJECT *object, void *block, int zero, int mode)
{
    if (object != nullptr) object->release(object, block, zero, mode);
}
