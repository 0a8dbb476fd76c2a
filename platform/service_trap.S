/*
 * service_trap.S - entry of every vector slot that has no host routine.
 *
 * A call stub leaves (vector << 32) | slot in R11 and jumps here with the
 * caller's frame intact; pass the identifier on as the first argument.
 */
        .text
        .globl  orv_service_trap
        .type   orv_service_trap, @function
        .p2align 4
orv_service_trap:
        .cfi_startproc
        movq    %r11, %rdi
        jmp     orvUnavailableService
        .cfi_endproc
        .size   orv_service_trap, . - orv_service_trap

        .section .note.GNU-stack, "", @progbits
