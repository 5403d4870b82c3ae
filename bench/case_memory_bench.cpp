// How to run:
//   python3 bench/make_engine_case.py /tmp/bench_case
//   build/case_memory_bench /tmp/bench_case [SECOND_CASE_FOLDER]
//
// Memory of the case library: two cases open at once (the same folder twice
// unless a second is given), each built at step 0, and the process's peak
// resident memory then; and what one part's mesh costs: the peak of the heap
// bytes in use during it (the caller's arrays and whatever the library
// allocates meanwhile), against the size of the part's triangles and of the
// whole vertex list. A mesh is what a viewer asks per part: its triangles
// and node numbers (once per part), then per step its points and its values.
//
// The heap is counted by this program's own malloc, calloc, realloc and free,
// which stand in for the C library's for the whole process (the case library
// included) and pass every call on to it.
#include <cstdio>
#include <fstream>
#include <malloc.h>
#include <string>
#include <vector>

#include "vortimar_case.h"

extern "C" {
void *__libc_malloc(std::size_t size);
void *__libc_calloc(std::size_t count, std::size_t size);
void *__libc_realloc(void *block, std::size_t size);
void __libc_free(void *block);
}

namespace {

std::size_t heap_in_use = 0;
std::size_t heap_peak = 0;

void *counted(void *block)
{
    if (block) {
        heap_in_use += malloc_usable_size(block);
        if (heap_in_use > heap_peak)
            heap_peak = heap_in_use;
    }
    return block;
}

void uncount(void *block)
{
    if (block)
        heap_in_use -= malloc_usable_size(block);
}

}  // namespace

extern "C" {

void *malloc(std::size_t size)
{
    return counted(__libc_malloc(size));
}

void *calloc(std::size_t count, std::size_t size)
{
    return counted(__libc_calloc(count, size));
}

void *realloc(void *block, std::size_t size)
{
    uncount(block);
    void *moved = __libc_realloc(block, size);
    // A failed realloc leaves the block where it was.
    return counted(moved ? moved : (size ? block : nullptr));
}

void free(void *block)
{
    uncount(block);
    __libc_free(block);
}

}  // extern "C"

namespace {

// A value of /proc/self/status in megabytes ("VmHWM:" peak, "VmRSS:" now).
double status_mb(const char *field)
{
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        if (key == field) {
            double kb = 0;
            status >> kb;
            return kb / 1024.0;
        }
        std::getline(status, key);
    }
    return -1;
}

double mb(double bytes)
{
    return bytes / (1024.0 * 1024.0);
}

// One part's mesh at a step, into arrays made for it; with connectivity also
// its triangles and node numbers. Returns the bytes of the arrays.
double mesh(vc_case *c, int part, int step, bool connectivity)
{
    vc_part_info info{};
    vc_part(c, part, &info);
    const std::size_t n = static_cast<std::size_t>(info.vertex_count);
    const std::size_t m = static_cast<std::size_t>(info.triangle_count);
    double bytes = 0;
    if (connectivity) {
        std::vector<int> triangles(3 * m), numbers(n);
        vc_part_triangles(c, part, triangles.data(), static_cast<int>(triangles.size()));
        vc_part_node_numbers(c, part, numbers.data(), static_cast<int>(numbers.size()));
        bytes += static_cast<double>((triangles.size() + numbers.size()) * sizeof(int));
    }
    std::vector<float> points(3 * n);
    vc_part_points(c, part, step, points.data(), static_cast<int>(points.size()));
    bytes += static_cast<double>(points.size() * sizeof(float));
    int variables = 0;
    vc_variable_count(c, &variables);
    for (int v = 1; v <= variables; ++v) {
        int constant = 0;
        vc_variable(c, v, nullptr, &constant);
        float value = 0;
        if (!constant && info.kind == VC_KIND_SURFACE)
            vc_part_value(c, part, step, v, &value);
    }
    return bytes;
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: case_memory_bench CASE_FOLDER [SECOND_CASE_FOLDER]\n");
        return 2;
    }
    const char *folders[2] = {argv[1], argc == 3 ? argv[2] : argv[1]};
    const double start = status_mb("VmHWM:");
    vc_case *cases[2] = {nullptr, nullptr};
    for (int i = 0; i < 2; ++i) {
        if (vc_open(folders[i], VC_MOVING_LINER, &cases[i]) != VC_OK) {
            std::fprintf(stderr, "case_memory_bench: %s\n", vc_open_error());
            return 1;
        }
        std::printf("case %d open and built at step 0: peak %.1f MB\n", i + 1, status_mb("VmHWM:"));
    }
    std::printf("two open cases: peak resident memory %.1f MB (%.1f MB before opening)\n", status_mb("VmHWM:"),
                start);

    // The part with the most triangles of the first case.
    int parts = 0, biggest = 1, most = -1;
    vc_part_count(cases[0], &parts);
    for (int p = 1; p <= parts; ++p) {
        vc_part_info info{};
        vc_part(cases[0], p, &info);
        if (info.triangle_count > most) {
            most = info.triangle_count;
            biggest = p;
        }
    }
    vc_part_info info{};
    vc_part(cases[0], biggest, &info);
    int vertices = 0;
    {
        vc_part_info any{};
        vc_part(cases[0], 1, &any);
        vertices = any.host_node_count;
    }
    int steps = 0;
    vc_step_count(cases[0], &steps);
    const int step = steps / 2;
    mesh(cases[0], biggest, 1, false);  // the step build itself is not the mesh's cost

    for (int round = 0; round < 2; ++round) {
        const bool first = round == 0;
        const std::size_t before = heap_in_use;
        heap_peak = heap_in_use;
        const double arrays = mesh(cases[0], biggest, step + round, first);
        std::printf("mesh of part %d '%s' at step %d%s: heap peak %.3f MB above before; its arrays %.3f MB in all\n",
                    biggest, info.name, step + round,
                    first ? " with triangles and node numbers" : ", points and values only",
                    mb(static_cast<double>(heap_peak - before)), mb(arrays));
    }
    std::printf("the part: %d triangles (%.2f MB as 3 ints each), %d points; the whole vertex list: %d "
                "vertices (%.2f MB as 3 floats each)\n",
                info.triangle_count, mb(12.0 * info.triangle_count), info.vertex_count, vertices,
                mb(12.0 * vertices));
    for (vc_case *c : cases)
        vc_close(c);
    return 0;
}
