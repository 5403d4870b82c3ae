/*
 * vortimar_case.h: the reader as a library for other programs (plain C).
 *
 * libvortimar_case (.so / .dll) opens a Vortimar case and answers what the
 * host application would receive for it: the time line, the parts, their
 * triangles or points, coordinates, rigid-body values, variable values and
 * engine constants. It runs the same reader code as the host's library, so
 * the answers are the host's answers.
 *
 * Numbering follows the host: parts from 1, variables from 1 (in the host's
 * list order), time steps from 0.
 *
 * Results: every function returns VC_OK (0) on success, VC_NO_VALUES (1)
 * where the host receives no values, or a negative VC_ERR_* code. After an
 * error, vc_error_message(handle) says what went wrong (vc_open_error() for
 * a failed vc_open). No function ever throws or aborts on bad arguments: a
 * NULL or closed handle, an out-of-range number or a short buffer is an
 * error code.
 *
 * Buffers: arrays are allocated by the caller. Every function that fills an
 * array takes its capacity in elements and fails with VC_ERR_SIZE (writing
 * nothing) when the array is too small; the sizes come from vc_step_count
 * and vc_part. Strings are owned by the library: names and paths stay valid
 * until vc_close, a message text and the error message until the next call
 * on the same handle, vc_open_error() until the next vc_open of the thread.
 *
 * Several cases can be open at once; each handle has a reader of its own, so
 * cases answer independently of each other, whatever the order of calls.
 * Different handles may be used from different threads at the same time; a
 * handle must be used from one thread at a time.
 *
 * Example:
 *
 *     vc_case *c = NULL;
 *     if (vc_open("examples/engine_case", VC_MOVING_LINER, &c) != VC_OK) {
 *         fprintf(stderr, "%s\n", vc_open_error());
 *         return 1;
 *     }
 *     int steps = 0;
 *     vc_step_count(c, &steps);
 *     float *times = malloc(sizeof(float) * steps);
 *     vc_times(c, times, steps);
 *     vc_part_info info;
 *     vc_part(c, 1, &info);
 *     printf("%s: %d triangles at %g s\n", info.name, info.triangle_count, times[steps - 1]);
 *     free(times);
 *     vc_close(c);
 */
#ifndef VORTIMAR_CASE_H
#define VORTIMAR_CASE_H

#if defined(_WIN32)
#if defined(VORTIMAR_CASE_BUILD)
#define VC_API __declspec(dllexport)
#else
#define VC_API
#endif
#else
#define VC_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Result codes. */
#define VC_OK 0
#define VC_NO_VALUES 1       /* the host receives no values here */
#define VC_ERR_ARGUMENT (-1) /* NULL pointer, closed handle, unknown choice */
#define VC_ERR_RANGE (-2)    /* part, step, variable or message number out of range */
#define VC_ERR_SIZE (-3)     /* caller's array too small */
#define VC_ERR_NOT_FOUND (-4) /* path does not exist, or no inputs.in there */
#define VC_ERR_MEMORY (-6)   /* an allocation failed */
#define VC_ERR_INTERNAL (-7) /* anything else that went wrong inside */

/* vc_open flags. */
#define VC_MOVING_LINER 1u   /* the reader dialog's "Moving Liner" toggle on */
#define VC_DEBUG_MESSAGES 2u /* "Console Output" on "Debug": collect the debug lines too */

/* Case files (vc_case_file). */
#define VC_FILE_INPUTS 0
#define VC_FILE_ENGINE 1
#define VC_FILE_BOUNDARY 2
#define VC_FILE_SURFACE 3

/* Part kinds. */
#define VC_KIND_SURFACE 0 /* triangles of a boundary region */
#define VC_KIND_POINTS 1  /* points of a spatial value file */

/* Engine roles. */
#define VC_ROLE_NONE 0
#define VC_ROLE_PISTON 1
#define VC_ROLE_INTAKE_VALVE 2
#define VC_ROLE_EXHAUST_VALVE 3
#define VC_ROLE_LINER 4 /* its name makes it a liner that follows the piston when the toggle is on */

/* Motion kinds: how the part's rigid-body values are made. */
#define VC_MOTION_NONE 0
#define VC_MOTION_ROTATION 1
#define VC_MOTION_TRANSLATION 2
#define VC_MOTION_ROTATION_TRANSLATION 3
#define VC_MOTION_ARBITRARY 4

/* Sources of a per-part variable on a part. */
#define VC_SOURCE_NONE 0         /* no values: an engine constant, or a variable a point part's file does not give */
#define VC_SOURCE_CONSTANT 1     /* a value written in boundary.in */
#define VC_SOURCE_VALUE_FILE 2   /* a value file over time */
#define VC_SOURCE_SPATIAL_FILE 3 /* a point part: its spatial value file */

typedef struct vc_case vc_case;

typedef struct vc_part_info {
    const char *name;   /* owned by the handle */
    int kind;           /* VC_KIND_* */
    int role;           /* VC_ROLE_* */
    int motion;         /* VC_MOTION_* */
    int vertex_count;   /* points of the compact mesh: the vertices its triangles use, or its points */
    int triangle_count; /* 0 for point parts */
    int host_node_count; /* nodes the host receives for the part (surface parts: every vertex of the file) */
} vc_part_info;

/* The library's version text, "major.minor". */
VC_API const char *vc_version(void);

/* Opens the case whose folder, or whose inputs.in, `path` names; flags are
 * VC_* flags ORed. Fills *out with the new handle (NULL on failure). */
VC_API int vc_open(const char *path, unsigned flags, vc_case **out);
/* Why the last vc_open of this thread failed, with the reader's messages. */
VC_API const char *vc_open_error(void);
/* Closes the case; the handle is invalid afterwards (using it is an error). */
VC_API int vc_close(vc_case *handle);
/* The last error on this handle ("" when none). */
VC_API const char *vc_error_message(const vc_case *handle);

/* The case folder, ending with the platform's path separator. */
VC_API int vc_folder(vc_case *handle, const char **folder);
/* One of the case files (VC_FILE_*): its path ("" when the case names no
 * surface file) and whether the reader read it (1) or not (0): an engine.in
 * whose keys were not found counts as not read, though the file exists. */
VC_API int vc_case_file(vc_case *handle, int which, const char **path, int *found);
/* The reader's messages collected so far (one line each, no line end). */
VC_API int vc_message_count(vc_case *handle, int *count);
VC_API int vc_message(vc_case *handle, int index, const char **text);

/* One finding: a place where the reader reads the case otherwise than its
 * author most likely meant. Strings owned by the handle, valid until vc_close. */
typedef struct vc_finding_info {
    const char *severity;   /* "error" (data lost or changed), "warning" or "note" */
    const char *code;       /* short stable identifier, e.g. "deck-repeated-line" */
    const char *file;       /* the file's name within the case folder */
    int line;               /* 1-based; 0 for a finding about the whole file */
    const char *message;    /* what the reader did, quoting the line */
    const char *suggestion; /* what was most likely meant, and how to write it */
    int count;              /* how often it occurred: 1, or more for one about a whole
                             * file that recurs (e.g. a profile that two regions use) */
} vc_finding_info;

/* The findings of the load and of the build at step 0, in the order found. */
VC_API int vc_finding_count(vc_case *handle, int *count);
VC_API int vc_finding(vc_case *handle, int index, vc_finding_info *info);

/* The time line: number of steps, times in seconds, crank angles in degrees
 * (VC_NO_VALUES outside engine cases). */
VC_API int vc_step_count(vc_case *handle, int *count);
VC_API int vc_times(vc_case *handle, float *seconds, int capacity);
VC_API int vc_crank_angles(vc_case *handle, float *degrees, int capacity);
/* 1 in an engine case (piston, valves), else 0. */
VC_API int vc_is_engine(vc_case *handle, int *is_engine);

/* The parts, numbered from 1. */
VC_API int vc_part_count(vc_case *handle, int *count);
VC_API int vc_part(vc_case *handle, int part, vc_part_info *info);
/* Source (VC_SOURCE_*) of variable `variable` on the part. */
VC_API int vc_part_source(vc_case *handle, int part, int variable, int *source);

/* The compact mesh of a part. Triangles: 3 indexes per triangle, 0-based
 * into the part's points (capacity 3 * triangle_count). Node numbers: the
 * host's node number of each point, for a surface part its vertex number in
 * the surface file (capacity vertex_count). Points at a step: x, y, z per
 * point as the host receives them, the liner moved (capacity 3 * vertex_count). */
VC_API int vc_part_triangles(vc_case *handle, int part, int *triangles, int capacity);
VC_API int vc_part_node_numbers(vc_case *handle, int part, int *numbers, int capacity);
VC_API int vc_part_points(vc_case *handle, int part, int step, float *xyz, int capacity);

/* Whether the host receives rigid-body values at all (1) or not (0). */
VC_API int vc_rigid_body_exists(vc_case *handle, int *exists);
/* The 14 rigid-body values of the part at the step: translation x, y, z,
 * Euler parameters e0..e3, centre offset x, y, z, initial-rotation order and
 * angles. VC_NO_VALUES where the host receives none. */
VC_API int vc_rigid_body(vc_case *handle, int part, int step, float values[14]);

/* The variables in the host's list order, numbered from 1: the per-part
 * variables, then the engine constants (is_constant 1). */
VC_API int vc_variable_count(vc_case *handle, int *count);
VC_API int vc_variable(vc_case *handle, int variable, const char **name, int *is_constant);
/* Values of a per-part variable on the part's points at the step, one per
 * point of the compact mesh (capacity vertex_count); VC_NO_VALUES where the
 * host receives none. */
VC_API int vc_part_values(vc_case *handle, int part, int step, int variable, float *values, int capacity);
/* A surface part has one value of a per-part variable at a step, the same at
 * all its points: that value, without an array (VC_NO_VALUES where the host
 * receives none). A point part is VC_ERR_ARGUMENT: use vc_part_values. */
VC_API int vc_part_value(vc_case *handle, int part, int step, int variable, float *value);
/* The value of an engine constant at the step. */
VC_API int vc_constant(vc_case *handle, int variable, int step, float *value);

/* The line (from 1) of each triangle of a surface part in the surface file,
 * in the order of vc_part_triangles (capacity triangle_count); 0 where the
 * file no longer holds it. */
VC_API int vc_part_triangle_lines(vc_case *handle, int part, int *lines, int capacity);
/* The host's placement of a part from its 14 rigid-body values, as
 * x' = rotation x + translation (rotation row by row). Needs no handle. */
VC_API int vc_rigid_body_transform(const float values[14], double rotation[9], double translation[3]);

#ifdef __cplusplus
}
#endif

#endif /* VORTIMAR_CASE_H */
