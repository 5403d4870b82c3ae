/* Opens and closes one case many times through the C interface, asking for
 * one step's points, rigid-body values and values of every part each time,
 * and checks that the process's heap does not grow from cycle to cycle:
 *
 *   case_open_close CASE [CYCLES]       (CYCLES: 1000 unless given)
 *
 * Every odd cycle opens with the moving liner, every even one without; the
 * step walks through the time line. The heap in use is printed after 10
 * cycles and after the last; the program fails when
 * the heap in use grew by more than a few bytes per cycle, or when any call
 * failed. scripts/memcheck.sh runs it under valgrind as well. Linux only:
 * the heap in use is told by glibc (mallinfo2) or, under valgrind, whose
 * heap glibc does not see, by memcheck's count of the blocks allocated. */
#include <malloc.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#if defined(__has_include)
#if __has_include(<valgrind/memcheck.h>)
#include <valgrind/memcheck.h>
#define HAVE_MEMCHECK_COUNTS 1
#endif
#endif

#include "vortimar_case.h"

/* Growth of the heap in use from cycle 10 to the last that still passes. */
#define ALLOWED_GROWTH 4096L

static long heap_in_use(void)
{
#if defined(HAVE_MEMCHECK_COUNTS)
    if (RUNNING_ON_VALGRIND) {
        unsigned long leaked = 0, dubious = 0, reachable = 0, suppressed = 0;
        VALGRIND_DO_QUICK_LEAK_CHECK;
        VALGRIND_COUNT_LEAKS(leaked, dubious, reachable, suppressed);
        return (long)(leaked + dubious + reachable + suppressed);
    }
#endif
    struct mallinfo2 info = mallinfo2();
    return (long)(info.uordblks + info.hblkhd);
}

/* One open, the queries of one step and the close; 0 on success, else a
 * line on standard error. */
static int cycle(const char *path, int index)
{
    vc_case *c = NULL;
    const unsigned flags = (index % 2) ? VC_MOVING_LINER : 0u;
    if (vc_open(path, flags, &c) != VC_OK) {
        fprintf(stderr, "cycle %d: %s\n", index, vc_open_error());
        return 1;
    }
    int steps = 0, parts = 0, variables = 0, failed = 0;
    failed |= vc_step_count(c, &steps) != VC_OK || steps < 1;
    failed |= vc_part_count(c, &parts) != VC_OK;
    failed |= vc_variable_count(c, &variables) != VC_OK;
    const int step = steps > 0 ? index % steps : 0;
    for (int p = 1; p <= parts && !failed; ++p) {
        vc_part_info info;
        float rb[14];
        memset(&info, 0, sizeof info);
        failed |= vc_part(c, p, &info) != VC_OK;
        const int n = info.vertex_count > 0 ? info.vertex_count : 1;
        float *xyz = malloc(sizeof(float) * 3 * (size_t)n);
        float *values = malloc(sizeof(float) * (size_t)n);
        failed |= !xyz || !values;
        failed |= !failed && vc_part_points(c, p, step, xyz, 3 * n) != VC_OK;
        failed |= vc_rigid_body(c, p, step, rb) < 0;
        for (int v = 1; v <= variables && !failed; ++v) {
            const char *name = NULL;
            int constant = 0;
            failed |= vc_variable(c, v, &name, &constant) != VC_OK;
            float value = 0.0f;
            if (!failed)
                failed |= (constant ? vc_constant(c, v, step, &value) : vc_part_values(c, p, step, v, values, n)) < 0;
        }
        free(xyz);
        free(values);
    }
    if (failed)
        fprintf(stderr, "cycle %d: %s\n", index, vc_error_message(c));
    if (vc_close(c) != VC_OK) {
        fprintf(stderr, "cycle %d: the case did not close\n", index);
        failed = 1;
    }
    return failed;
}

int main(int argc, char **argv)
{
    if (argc < 2 || argc > 3) {
        fprintf(stderr, "usage: case_open_close CASE [CYCLES]\n");
        return 2;
    }
    const int cycles = argc == 3 ? atoi(argv[2]) : 1000;
    if (cycles < 11) {
        fprintf(stderr, "case_open_close: at least 11 cycles, not %s\n", argv[2]);
        return 2;
    }
    long heap_10 = 0;
    for (int i = 1; i <= cycles; ++i) {
        if (cycle(argv[1], i))
            return 1;
        if (i == 10)
            heap_10 = heap_in_use();
    }
    const long heap_end = heap_in_use();
    printf("heap in use after 10 cycles: %ld bytes; after %d cycles: %ld bytes\n", heap_10, cycles, heap_end);
    if (heap_end - heap_10 > ALLOWED_GROWTH) {
        fprintf(stderr, "case_open_close: the heap grew by %ld bytes over %d cycles\n", heap_end - heap_10,
                cycles - 10);
        return 1;
    }
    return 0;
}
