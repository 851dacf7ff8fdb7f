/* An instruction counter for qemu-user (TCG plugin API version 1), for the
 * ARM profile (scripts/profile --arm). Debian's qemu-user loads plugins but
 * ships no header, so the few declarations it needs are written out here.
 *
 * Every guest thread (a vCPU in user mode) has its own count: the mixer
 * thread runs beside the show's main thread, and one shared counter would mix
 * the two. A translation block adds all its instructions when it starts, so
 * a count is exact at the block boundaries, and a system call always ends a
 * block.
 *
 * The program marks what it measures with a system call that no kernel has,
 * CountMarkCall, with the operation in its first argument:
 *   0  zero the calling thread's count
 *   1  write "LABEL COUNT" (LABEL is the second argument, COUNT the calling
 *      thread's instructions since its last zero or write) and zero it
 * qemu answers the call itself with "not implemented" after the plugin has
 * seen it, so outside qemu and this plugin a mark costs a failed system call.
 *
 *   qemu-arm -plugin count_insns.so,out=FILE PROGRAM...
 */
#include <inttypes.h>
#include <stdbool.h>
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

typedef uint64_t qemu_plugin_id_t;
struct qemu_info_t;
struct qemu_plugin_tb;
enum qemu_plugin_cb_flags { QEMU_PLUGIN_CB_NO_REGS, QEMU_PLUGIN_CB_R_REGS, QEMU_PLUGIN_CB_RW_REGS };
typedef void (*qemu_plugin_vcpu_tb_trans_cb_t)(qemu_plugin_id_t id, struct qemu_plugin_tb* tb);
typedef void (*qemu_plugin_vcpu_udata_cb_t)(unsigned int vcpu_index, void* userdata);
typedef void (*qemu_plugin_udata_cb_t)(qemu_plugin_id_t id, void* userdata);
typedef void (*qemu_plugin_vcpu_syscall_cb_t)(qemu_plugin_id_t id, unsigned int vcpu_index, int64_t num,
                                              uint64_t a1, uint64_t a2, uint64_t a3, uint64_t a4,
                                              uint64_t a5, uint64_t a6, uint64_t a7, uint64_t a8);
void qemu_plugin_register_vcpu_tb_trans_cb(qemu_plugin_id_t id, qemu_plugin_vcpu_tb_trans_cb_t cb);
void qemu_plugin_register_vcpu_tb_exec_cb(struct qemu_plugin_tb* tb, qemu_plugin_vcpu_udata_cb_t cb,
                                          enum qemu_plugin_cb_flags flags, void* userdata);
size_t qemu_plugin_tb_n_insns(const struct qemu_plugin_tb* tb);
void qemu_plugin_register_vcpu_syscall_cb(qemu_plugin_id_t id, qemu_plugin_vcpu_syscall_cb_t cb);
void qemu_plugin_register_atexit_cb(qemu_plugin_id_t id, qemu_plugin_udata_cb_t cb, void* userdata);

__attribute__((visibility("default"))) int qemu_plugin_version = 1;

/* Must match the recorder's mark (tools/capture/profile_marks.cpp). */
enum { CountMarkCall = 0xAF00, ZeroCount = 0, WriteCount = 1 };
/* Threads the show may run at once, with room to spare; qemu reuses the
 * index of a thread that has ended. */
enum { MaxThreads = 64 };

static uint64_t Counts[MaxThreads];
static bool TooManyThreads;
static FILE* Out;

static void countBlock(unsigned int vcpu, void* instructions)
{
    if (vcpu < MaxThreads)
        Counts[vcpu] += (uintptr_t)instructions;
    else
        TooManyThreads = true;
}

static void translated(qemu_plugin_id_t id, struct qemu_plugin_tb* tb)
{
    (void)id;
    qemu_plugin_register_vcpu_tb_exec_cb(tb, countBlock, QEMU_PLUGIN_CB_NO_REGS,
                                         (void*)(uintptr_t)qemu_plugin_tb_n_insns(tb));
}

static void systemCall(qemu_plugin_id_t id, unsigned int vcpu, int64_t number, uint64_t operation,
                       uint64_t label, uint64_t a3, uint64_t a4, uint64_t a5, uint64_t a6,
                       uint64_t a7, uint64_t a8)
{
    (void)id; (void)a3; (void)a4; (void)a5; (void)a6; (void)a7; (void)a8;
    if (number != CountMarkCall || vcpu >= MaxThreads)
        return;
    if (operation == WriteCount)
        fprintf(Out, "%" PRIu64 " %" PRIu64 "\n", label, Counts[vcpu]);
    Counts[vcpu] = 0;
}

static void finished(qemu_plugin_id_t id, void* unused)
{
    (void)id; (void)unused;
    if (TooManyThreads)
        fprintf(Out, "error: more than %d threads at once, the others were not counted\n", MaxThreads);
    fclose(Out);
}

__attribute__((visibility("default")))
int qemu_plugin_install(qemu_plugin_id_t id, const struct qemu_info_t* info, int argc, char** argv)
{
    (void)info;
    const char* path = NULL;
    for (int i = 0; i < argc; ++i) {
        const char* argument = argv[i];
        if (strncmp(argument, "arg=", 4) == 0)
            argument += 4;
        if (strncmp(argument, "out=", 4) == 0)
            path = argument + 4;
    }
    if (!path) {
        fprintf(stderr, "count_insns: give the output file as out=FILE\n");
        return 1;
    }
    Out = fopen(path, "w");
    if (!Out) {
        fprintf(stderr, "count_insns: cannot write %s\n", path);
        return 1;
    }
    qemu_plugin_register_vcpu_tb_trans_cb(id, translated);
    qemu_plugin_register_vcpu_syscall_cb(id, systemCall);
    qemu_plugin_register_atexit_cb(id, finished, NULL);
    return 0;
}
