/*
 * service_stubs.S - one call stub per host service, generated from services.def.
 *
 * Each stub is exported as `name` and as `_name_vector_slot`.  It reads the
 * control block from v_global_gcb_anchor, clears the vector's in-call flag,
 * leaves (vector << 32) | slot in R11 for the host routine and tail-jumps to
 * the routine at [vector][slot] of the control block's vector table.  The stub
 * has no frame and touches only R10 and R11: every argument register, the
 * stack and RAX (AL counts the vector registers of a variadic call) reach the
 * host routine unchanged, and the routine returns straight to the caller.
 */

        .hidden v_global_gcb_anchor

.macro ORV_STUB name, vector, slot
        .globl  \name
        .type   \name, @function
        .globl  _\name\()_\vector\()_\slot
        .type   _\name\()_\vector\()_\slot, @function
        .p2align 4
\name:
_\name\()_\vector\()_\slot:
        .cfi_startproc
        movq    v_global_gcb_anchor(%rip), %r10
        movq    8(%r10), %r11
        movb    $0, \vector(%r11)
        movq    (%r10), %r10
        movq    8*\vector(%r10), %r10
        movabsq $((\vector << 32) | \slot), %r11
        jmp     *8*\slot(%r10)
        .cfi_endproc
        .size   \name, . - \name
        .size   _\name\()_\vector\()_\slot, . - \name
.endm

        .text
#define ORV_SERVICE(name, vector, slot, result, params) ORV_STUB name, vector, slot;
#include "host/services.def"
#undef ORV_SERVICE

        .section .note.GNU-stack, "", @progbits
