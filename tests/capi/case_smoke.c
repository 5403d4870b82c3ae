/* The C interface from a C program: a small case whose answers were worked
 * out by hand, and every kind of bad call. Runs on Linux and under Wine.
 *
 *   case_smoke CASE_FOLDER      (tests/data/capi_case)
 *
 * The case: 131 vertices; part 1 "wall" is triangle 1 2 3, part 2 "lid" the
 * triangles 64 71 130 and 71 72 131 (its lowest vertex the last of the first
 * word of its vertex set, the others over two more words), turning about (1, 0, 0) on the z axis at
 * 450 degrees per second; 51 steps from 0 to 1 s, so step 10 turns it by
 * 10 x 450 x 0.02 = 90 degrees. */
#include <math.h>
#include <stdio.h>
#include <string.h>

#include "vortimar_case.h"

static int failures = 0;

#define CHECK(cond)                                                      \
    do {                                                                 \
        if (!(cond)) {                                                   \
            fprintf(stderr, "%s:%d: failed: %s\n", __FILE__, __LINE__, #cond); \
            ++failures;                                                  \
        }                                                                \
    } while (0)

static int near(float a, double b)
{
    return fabs((double)a - b) < 1e-5;
}

static void check_case(vc_case *c)
{
    int n = 0, found = -1;
    const char *path = NULL;

    CHECK(vc_case_file(c, VC_FILE_BOUNDARY, &path, &found) == VC_OK && found == 1);
    CHECK(strstr(path, "boundary.in") != NULL);
    CHECK(vc_case_file(c, VC_FILE_ENGINE, &path, &found) == VC_OK && found == 0);
    CHECK(vc_case_file(c, VC_FILE_SURFACE, &path, &found) == VC_OK && found == 1);
    CHECK(strstr(path, "surface.dat") != NULL);

    float times[51], angles[51];
    CHECK(vc_step_count(c, &n) == VC_OK && n == 51);
    CHECK(vc_times(c, times, 51) == VC_OK && near(times[10], 0.2) && near(times[50], 1.0));
    CHECK(vc_crank_angles(c, angles, 51) == VC_NO_VALUES);

    vc_part_info info;
    CHECK(vc_part_count(c, &n) == VC_OK && n == 2);
    CHECK(vc_part(c, 2, &info) == VC_OK);
    CHECK(strcmp(info.name, "lid") == 0 && info.kind == VC_KIND_SURFACE && info.motion == VC_MOTION_ROTATION);
    CHECK(info.vertex_count == 5 && info.triangle_count == 2 && info.host_node_count == 131);

    int numbers[5], triangles[6];
    const int want_numbers[5] = {64, 71, 72, 130, 131};
    const int want_triangles[6] = {0, 1, 3, 1, 2, 4};
    CHECK(vc_part_node_numbers(c, 2, numbers, 5) == VC_OK && memcmp(numbers, want_numbers, sizeof numbers) == 0);
    CHECK(vc_part_triangles(c, 2, triangles, 6) == VC_OK && memcmp(triangles, want_triangles, sizeof triangles) == 0);

    float xyz[15];
    CHECK(vc_part_points(c, 2, 10, xyz, 15) == VC_OK);
    CHECK(xyz[0] == 2 && xyz[1] == 0 && xyz[2] == 0);  /* vertex 64 as read */
    CHECK(xyz[6] == 1 && xyz[7] == 0 && xyz[8] == 1);  /* vertex 72 */

    /* A quarter turn: Euler parameters cos 45, 0, 0, sin 45; the centre is
     * both translation and offset. The wall does not move. */
    float rb[14];
    CHECK(vc_rigid_body(c, 2, 10, rb) == VC_OK);
    CHECK(near(rb[0], 1) && rb[1] == 0 && rb[2] == 0);
    CHECK(near(rb[3], sqrt(0.5)) && rb[4] == 0 && rb[5] == 0 && near(rb[6], sqrt(0.5)));
    CHECK(rb[7] == 1 && rb[8] == 0 && rb[9] == 0);
    CHECK(vc_rigid_body(c, 1, 10, rb) == VC_NO_VALUES);

    float values[5];
    const char *name = NULL;
    int constant = -1;
    CHECK(vc_variable_count(c, &n) == VC_OK && n == 2);
    CHECK(vc_variable(c, 2, &name, &constant) == VC_OK && strcmp(name, "Temperature") == 0 && constant == 0);
    CHECK(vc_part_values(c, 2, 3, 1, values, 5) == VC_OK && values[0] == 200000.0f && values[4] == 200000.0f);
    CHECK(vc_part_values(c, 1, 3, 2, values, 3) == VC_OK && values[2] == 300.0f);
    CHECK(vc_part_source(c, 2, 1, &n) == VC_OK && n == VC_SOURCE_CONSTANT);
}

static void check_bad_calls(vc_case *c)
{
    float buffer[16];
    int n = 0;
    CHECK(vc_part_count(NULL, &n) == VC_ERR_ARGUMENT);
    CHECK(strstr(vc_error_message(NULL), "closed") != NULL);
    CHECK(vc_part_count(c, NULL) == VC_ERR_ARGUMENT);
    CHECK(vc_part_points(c, 0, 0, buffer, 16) == VC_ERR_RANGE);
    CHECK(vc_part_points(c, 3, 0, buffer, 16) == VC_ERR_RANGE);
    CHECK(strstr(vc_error_message(c), "part 3") != NULL);
    CHECK(vc_part_points(c, 2, 51, buffer, 16) == VC_ERR_RANGE);
    CHECK(vc_part_points(c, 2, -1, buffer, 16) == VC_ERR_RANGE);
    CHECK(vc_part_points(c, 2, 0, buffer, 14) == VC_ERR_SIZE);
    CHECK(vc_times(c, buffer, 16) == VC_ERR_SIZE);
    CHECK(vc_part_values(c, 2, 0, 3, buffer, 16) == VC_ERR_RANGE);
    CHECK(vc_constant(c, 1, 0, buffer) == VC_ERR_ARGUMENT); /* Pressure is not a constant */
    CHECK(vc_message(c, -1, NULL) == VC_ERR_ARGUMENT);

}

int main(int argc, char **argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: case_smoke CASE_FOLDER\n");
        return 2;
    }
    vc_case *c = NULL;
    CHECK(vc_open("no/such/folder", 0, &c) == VC_ERR_NOT_FOUND && c == NULL);
    CHECK(strstr(vc_open_error(), "no/such/folder") != NULL);
    CHECK(vc_open(argv[1], 4u, &c) == VC_ERR_ARGUMENT);
    CHECK(vc_open(argv[1], 0, NULL) == VC_ERR_ARGUMENT);

    /* The folder and its inputs.in: the same case either way, both open at
     * once; closing one leaves the other answering. */
    char inputs[1024];
    snprintf(inputs, sizeof inputs, "%s/inputs.in", argv[1]);
    vc_case *both[2] = {NULL, NULL};
    CHECK(vc_open(argv[1], 0, &both[0]) == VC_OK && both[0] != NULL);
    CHECK(vc_open(inputs, 0, &both[1]) == VC_OK && both[1] != NULL && both[1] != both[0]);
    if (!both[0] || !both[1])
        return 1;
    for (int i = 0; i < 2; ++i) {
        check_case(both[i]);
        check_bad_calls(both[i]);
    }
    int n = 0;
    CHECK(vc_close(both[0]) == VC_OK);
    CHECK(vc_part_count(both[0], &n) == VC_ERR_ARGUMENT);
    CHECK(vc_close(both[0]) == VC_ERR_ARGUMENT);
    check_case(both[1]);
    CHECK(vc_close(both[1]) == VC_OK);
    if (failures)
        fprintf(stderr, "%d checks failed\n", failures);
    else
        printf("case_smoke: all checks passed\n");
    return failures ? 1 : 0;
}
