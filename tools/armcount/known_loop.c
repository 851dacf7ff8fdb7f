/* The counter's own check (scripts/profile --arm): a loop of a known number
 * of ARM instructions, counted on the main thread while a second thread
 * spins beside it. The count between the two marks must be exactly
 * 2 * iterations + 4 whatever the other thread does:
 *   mov r3, n; (subs r3, #1; bne) n times; mov r0; mov r1; svc
 * Prints the number of iterations it ran.
 *   usage: known_loop ITERATIONS */
#include <pthread.h>
#include <stdio.h>
#include <stdlib.h>

static volatile int SpinnerStarted;
static volatile int LoopDone;

static void* spin(void* unused)
{
    (void)unused;
    SpinnerStarted = 1;
    while (!LoopDone) {
    }
    return NULL;
}

/* Zero mark, the loop, write mark with label 1 (system call 0xAF00). */
static void countedLoop(unsigned iterations)
{
    __asm__ volatile("mov r7, #0xAF00\n\t"
                     "mov r0, #0\n\t"
                     "mov r1, #0\n\t"
                     "svc #0\n\t"
                     "mov r3, %0\n\t"
                     "1: subs r3, r3, #1\n\t"
                     "bne 1b\n\t"
                     "mov r0, #1\n\t"
                     "mov r1, #1\n\t"
                     "svc #0\n\t"
                     :
                     : "r"(iterations)
                     : "r0", "r1", "r3", "r7", "cc", "memory");
}

int main(int argc, char** argv)
{
    const unsigned iterations = argc > 1 ? (unsigned)strtoul(argv[1], NULL, 10) : 0;
    if (iterations == 0) {
        fprintf(stderr, "usage: known_loop ITERATIONS (at least 1)\n");
        return 2;
    }
    pthread_t spinner;
    if (pthread_create(&spinner, NULL, spin, NULL) != 0)
        return 1;
    while (!SpinnerStarted) {
    }
    countedLoop(iterations);
    LoopDone = 1;
    pthread_join(spinner, NULL);
    printf("%u\n", iterations);
    return 0;
}
