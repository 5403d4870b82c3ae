/*
 * vortimar_check.h: the set-up check of an open case (plain C, Linux).
 *
 * libvortimar_check examines a case opened with the case library
 * (vortimar_case.h) from the answers the host receives: the surface's
 * quality at the first step, the clearance of every pair of parts of which
 * one moves at every step, the engine's measures (bore, travel, volume,
 * valve events) and the plausibility of the numbers read. It finds no
 * exception on its way out: every function returns a VC_* code.
 *
 *     vk_report *r = NULL;
 *     if (vk_run(c, 0.0001, &r) == VC_OK) {
 *         puts(vk_json(r));
 *         vk_free(r);
 *     }
 */
#ifndef VORTIMAR_CHECK_H
#define VORTIMAR_CHECK_H

#include "vortimar_case.h"

#define VK_API __attribute__((visibility("default")))

#ifdef __cplusplus
extern "C" {
#endif

typedef struct vk_report vk_report;

/* Runs the whole check on the open case; lift_threshold in metres (a valve
 * is open while its lift is above it). Fills *out (NULL on failure; then
 * vk_last_error() says why). */
VK_API int vk_run(vc_case *handle, double lift_threshold, vk_report **out);
VK_API const char *vk_last_error(void);
VK_API int vk_free(vk_report *report);

/* The report as one JSON object: findings, clearances, engine, surface and
 * timings (seconds per part of the check) and queries (per pair: exact
 * distance, collision and between-step queries made). Owned by the report. */
VK_API const char *vk_json(const vk_report *report);

/* The tables: steps of the time line, pairs checked, and per pair the
 * distance at every step (metres). Where a step needed no exact query the
 * distance is a lower bound and exact[step] is 0. */
VK_API int vk_step_count(const vk_report *report, int *steps);
VK_API int vk_pair_count(const vk_report *report, int *pairs);
VK_API int vk_pair_distances(const vk_report *report, int pair, double *distance, int *exact, int capacity);
/* The domain volume at every step (m^3); VC_NO_VALUES when the surface is
 * not closed. */
VK_API int vk_volumes(const vk_report *report, double *volumes, int capacity);

/* The clearance of each point of a moving part at a step: its distance
 * (metres) to the nearest part it is checked against, at that step. Open
 * once per case (the parts' hierarchies are kept between calls); part is the
 * host's part number. vk_point_clearance fills distance[0 .. points-1] and
 * returns VC_NO_VALUES for a part that does not move or has no partner. */
typedef struct vk_clearance vk_clearance;
VK_API int vk_clearance_open(vc_case *handle, vk_clearance **out);
VK_API int vk_point_clearance(vk_clearance *clearance, int part, int step, double *distance, int capacity);
VK_API int vk_clearance_free(vk_clearance *clearance);

#ifdef __cplusplus
}
#endif

#endif /* VORTIMAR_CHECK_H */
