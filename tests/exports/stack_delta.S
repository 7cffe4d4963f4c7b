/* uint32_t StackDelta(const void* function, int count, const uint32_t* arguments, int popsDouble)
 * Pushes the arguments (the last first), calls the function, and returns how far the stack
 * pointer ended up from where it was before the pushes: 0 when the function removed exactly
 * its arguments, as the standard calling convention wants. A double result is popped off the
 * floating-point stack when popsDouble is not 0. */
    .text
    .globl _StackDelta
_StackDelta:
    pushl %ebp
    movl %esp, %ebp
    pushl %ebx
    pushl %esi
    pushl %edi
    movl 8(%ebp), %eax
    movl 12(%ebp), %ecx
    movl 16(%ebp), %edx
    movl %esp, %edi
1:  testl %ecx, %ecx
    jz 2f
    decl %ecx
    pushl (%edx,%ecx,4)
    jmp 1b
2:  call *%eax
    cmpl $0, 20(%ebp)
    je 3f
    fstp %st(0)
3:  movl %esp, %eax
    subl %edi, %eax
    movl %edi, %esp
    popl %edi
    popl %esi
    popl %ebx
    popl %ebp
    ret
