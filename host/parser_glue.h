/*
 * parser_glue.h - procedure start-up and the glue to the host's statement
 * parser, and the thunks to the host's memory objects.
 *
 * Exports: xinit (parse-control block, listing and log, DEBUG trace flags),
 * xsparse (registers the parser callbacks and runs the parser), xsctok,
 * xscsem, xsctrak (fill the grammar block's callback and anchor words),
 * orvParseControl (the step's parse-control block),
 * vmalcp_handler, vmalloc_handler, vmfree_handler, and the return code and
 * message of a failed callback registration.
 */
#ifndef ORV_HOST_PARSER_GLUE_H
#define ORV_HOST_PARSER_GLUE_H

#include <cstddef>
#include <cstdint>

#include "host/host_records.h"
#include "host/service_args.h"

/* Return code of a step whose parser callbacks could not be registered,
 * and the message written first. */
constexpr int ORV_RC_CALLBACK_REGISTRATION = 1012;
constexpr int ORV_MSG_SET_CALLBACK = 129;
constexpr int ORV_MSG_CALLBACK_FAILED = 54;

/* Return code of a step that ran out of memory at start-up. */
constexpr int ORV_RC_OUT_OF_MEMORY = 1016;

/* Allocation flags of the parse-control block and the DEBUG text copy. */
constexpr int ORV_PARSE_CONTROL_FLAGS = 0x3006;

/* Longest DEBUG text searched in a buffer on the stack; a longer one is
 * copied into a block of the global memory object. */
constexpr int ORV_DEBUG_LOCAL_BUFFER = 200;

/*
 * Starts a procedure step: obtains the 400-byte parse-control block from the
 * global memory object (zero-filled), hangs it in the procedure instance's
 * parse-control slot, opens the listing and log, registers the output line
 * area, stores the print, log and message line settings, selects the print
 * destination and sets the SYN and SEM trace flags from the words "SYN" and
 * "SEM" anywhere in the DEBUG system option (any case).
 * When the block cannot be allocated the host's memory message is written
 * and the step ends through xexit(ORV_RC_OUT_OF_MEMORY, 0).  A DEBUG copy
 * that cannot be allocated leaves both trace flags 0.
 */
void xinit();

/*
 * Runs the host parser over the step's statements with grammar block
 * `block`: registers the token callback (xttk), the semantic callback (xsem)
 * and the tracking anchor (xtanch) for every one of the three words that is
 * still null, then calls xsproc with trace level 2 for SYN plus 1 for SEM.
 * Returns xsproc's result; the parse outcome is the status in the
 * parse-control block.
 */
int xsparse(GRAMMAR_BLOCK *block, int64_t argument);

/*
 * Make routine callable by the host (vir2g, with the log handle of the
 * current instance) and store it as the block's token callback (xsctok) or
 * semantic callback (xscsem).  The current instance is read from the slot at
 * GCB word 0x1C0 (without a slot: the first word of the procedure instance);
 * 0 and 1 both name the procedure instance at GCB word 0x20, any other value
 * is an instance itself.  Return the stored callable.  When vir2g fails,
 * message (129, 54) is written and the step ends through
 * xexit(ORV_RC_CALLBACK_REGISTRATION, 0).
 */
orv_routine xsctok(GRAMMAR_BLOCK *block, orv_routine routine);
orv_routine xscsem(GRAMMAR_BLOCK *block, orv_routine routine);

/* The parse-control block that xinit hung in the procedure instance. */
PARSE_CONTROL *orvParseControl();

/* Stores the parser tracking anchor in the grammar block. */
void xsctrak(GRAMMAR_BLOCK *block, void *anchor);

/* Call the allocate routine of a memory object (its first word) with the
 * arguments unchanged; return the block, or null (also for a null object). */
void *vmalcp_handler(MEMORY_OBJECT *object, size_t size, int flags);
void *vmalloc_handler(MEMORY_OBJECT *object, size_t size, int flags);

/* Calls the free routine of a memory object (its second word) with the
 * arguments unchanged; a null object does nothing. */
void vmfree_handler(MEMORY_OBJECT *object, void *block, int zero, int mode);

#endif
