/* A QEMU TCG plugin that counts the guest instructions a program executes and, when it exits,
 * writes "insns: TOTAL" to QEMU's log:
 *
 *   qemu-arm -plugin libinsn_count.so -d plugin -D LOG PROGRAM ARGS...
 *
 * Built for the host, as QEMU loads it. Debian's qemu-user 7.2 ships no plugin headers, so the
 * few declarations of the plugin interface (version 1) that this file uses are written out here.
 *
 * Every translated block adds its instruction count to one counter each time it starts to run,
 * through an inline add that QEMU emits into the translated code: no call per block. A block
 * left early (a fault in its middle) would still count whole; the programs measured here do not
 * fault. The counter is not atomic, so the count is exact for single-threaded programs only.
 */
#include <inttypes.h>
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>

#define EXPORTED __attribute__((visibility("default")))

typedef uint64_t qemu_plugin_id_t;
typedef struct qemu_info_t qemu_info_t; /* only passed through */
struct qemu_plugin_tb;

enum qemu_plugin_op { QEMU_PLUGIN_INLINE_ADD_U64 };

typedef void (*qemu_plugin_vcpu_tb_trans_cb_t)(qemu_plugin_id_t id, struct qemu_plugin_tb* tb);
typedef void (*qemu_plugin_udata_cb_t)(qemu_plugin_id_t id, void* userdata);

/* Provided by the QEMU executable that loads this plugin. */
void qemu_plugin_register_vcpu_tb_trans_cb(qemu_plugin_id_t id, qemu_plugin_vcpu_tb_trans_cb_t cb);
void qemu_plugin_register_vcpu_tb_exec_inline(struct qemu_plugin_tb* tb, enum qemu_plugin_op op,
                                              void* ptr, uint64_t imm);
size_t qemu_plugin_tb_n_insns(const struct qemu_plugin_tb* tb);
void qemu_plugin_register_atexit_cb(qemu_plugin_id_t id, qemu_plugin_udata_cb_t cb, void* userdata);
void qemu_plugin_outs(const char* string);

/* Looked up by QEMU: the interface version this plugin was written for, and its entry point. */
EXPORTED extern int qemu_plugin_version;
EXPORTED int qemu_plugin_version = 1;
EXPORTED int qemu_plugin_install(qemu_plugin_id_t id, const qemu_info_t* info, int argc,
                                 char** argv);

static uint64_t executed;

static void on_translate(qemu_plugin_id_t id, struct qemu_plugin_tb* tb) {
  (void)id;
  qemu_plugin_register_vcpu_tb_exec_inline(tb, QEMU_PLUGIN_INLINE_ADD_U64, &executed,
                                           (uint64_t)qemu_plugin_tb_n_insns(tb));
}

static void report_total(qemu_plugin_id_t id, void* userdata) {
  (void)id;
  (void)userdata;
  char line[64];
  snprintf(line, sizeof line, "insns: %" PRIu64 "\n", executed);
  qemu_plugin_outs(line);
}

int qemu_plugin_install(qemu_plugin_id_t id, const qemu_info_t* info, int argc, char** argv) {
  (void)info;
  (void)argv;
  if (argc != 0) {
    fprintf(stderr, "insn_count: this plugin takes no arguments\n");
    return -1;
  }
  qemu_plugin_register_vcpu_tb_trans_cb(id, on_translate);
  qemu_plugin_register_atexit_cb(id, report_total, NULL);
  return 0;
}
