/*
 * register_recorder.S - a host routine for the stub tests that records the
 * registers it was entered with: RDI, RSI, RDX, RCX, R8, R9, R11, RAX, the
 * first stack argument and XMM0 to XMM7, in that order, into
 * orv_test_registers (defined by the test).  Returns 0x5EED in RAX.
 */
        .text
        .globl  orv_test_record_registers
        .type   orv_test_record_registers, @function
        .p2align 4
orv_test_record_registers:
        .cfi_startproc
        leaq    orv_test_registers(%rip), %r10
        movq    %rdi, 0(%r10)
        movq    %rsi, 8(%r10)
        movq    %rdx, 16(%r10)
        movq    %rcx, 24(%r10)
        movq    %r8, 32(%r10)
        movq    %r9, 40(%r10)
        movq    %r11, 48(%r10)
        movq    %rax, 56(%r10)
        movq    8(%rsp), %rax
        movq    %rax, 64(%r10)
        movsd   %xmm0, 72(%r10)
        movsd   %xmm1, 80(%r10)
        movsd   %xmm2, 88(%r10)
        movsd   %xmm3, 96(%r10)
        movsd   %xmm4, 104(%r10)
        movsd   %xmm5, 112(%r10)
        movsd   %xmm6, 120(%r10)
        movsd   %xmm7, 128(%r10)
        movl    $0x5EED, %eax
        ret
        .cfi_endproc
        .size   orv_test_record_registers, . - orv_test_record_registers

        .section .note.GNU-stack, "", @progbits
