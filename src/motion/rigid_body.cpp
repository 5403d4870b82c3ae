// Rigid-body values: a part's translation, Euler parameters and centre of
// rotation at the current step, from engine kinematics in an engine case and
// from the part's motion record otherwise.
#include <cmath>
#include <vector>

#include "core/diagnostics.h"
#include "core/reader_state.h"
#include "geometry/part_table.h"
#include "motion/engine_motion.h"
#include "motion/rigid_body.h"
#include "userd_api.h"

namespace {

// Half the degree factor: Euler parameters take half the angle.
constexpr double half_degrees_to_radians = 0.5 * degrees_to_radians;
constexpr int value_count = rigid_body_value_count;

// Euler parameters (values 3 to 6) of a turn of h degrees about axis.
void set_rotation(float *values, float h, const float *axis)
{
    const double angle = static_cast<double>(h) * half_degrees_to_radians;
    values[3] = static_cast<float>(std::cos(angle));
    for (int k = 0; k < 3; ++k)
        values[4 + k] = static_cast<float>(std::sin(angle) * static_cast<double>(axis[k]));
}

// A valve moves along its direction by its lift at the step. A lift file that
// was not read leaves an all-zero direction and lift table: no motion.
void set_valve_translation(ReaderState &state, float *values, const float *direction,
                           const std::vector<float> &lift_table)
{
    const float lift = entry_or_zero(lift_table, state.current_step);
    for (int i = 0; i < 3; ++i)
        values[i] = direction[i] * lift;
}

int engine_values(ReaderState &state, int part_number, const PartRecord &part, float *values)
{
    switch (part.engine_role) {
    case EngineRole::none:
        return Z_UNDEF;
    case EngineRole::piston:
        values[2] = piston_displacement(state);
        break;
    case EngineRole::intake_valve:
        set_valve_translation(state, values, state.intake_direction, state.intake_lift);
        break;
    case EngineRole::exhaust_valve:
        set_valve_translation(state, values, state.exhaust_direction, state.exhaust_lift);
        break;
    }
    for (int i = 0; i < 7; ++i)
        debug_print(state, "%d\tvalues[%d] = %f\n", part_number, i, static_cast<double>(values[i]));
    return Z_OK;
}

void print_motion_values(ReaderState &state, const float *values)
{
    static const char *const lines[value_count] = {
        "  X translation     %f\n", "  Y translation     %f\n", "  Z translation     %f\n",
        "  Euler param 0     %f\n", "  Euler param 1     %f\n", "  Euler param 2     %f\n",
        "  Euler param 3     %f\n", "  CG x offset       %f\n", "  CG y offset       %f\n",
        "  CG z offset       %f\n", "  Initial rot order %f\n", "  Initial rot x     %f\n",
        "  Initial rot y     %f\n", "  Initial rot z     %f\n"};
    debug_print(state, "  Rigid body values\n");
    for (int i = 0; i < 7; ++i)
        debug_print(state, lines[i], static_cast<double>(values[i]));
    float sum = 0.0f;
    for (int i = 3; i < 7; ++i)
        sum += values[i] * values[i];
    if (relative_compare(sum, 1.0f) != 0)
        debug_print(state, "  Euler sum squares %f\n", static_cast<double>(sum));
    for (int i = 7; i < value_count; ++i)
        debug_print(state, lines[i], static_cast<double>(values[i]));
}

int motion_values(ReaderState &state, const MotionRecord &motion, float *values)
{
    if (motion.moving != 1)
        return Z_UNDEF;
    const int step = state.current_step;
    const float time = entry_or_zero(state.time_values, step);

    // Steps 2 to 5 in this order; a later kind overwrites what it sets.
    if (!motion.translation_steps.empty()) {
        const float *row = step_row(motion.translation_steps, 3, step);
        for (int i = 0; i < 3; ++i)
            values[i] = row ? row[i] : 0.0f;
    } else if (motion.has_translation_velocity) {
        for (int i = 0; i < 3; ++i)
            values[i] = motion.translation_velocity[i] * time;
    }
    // The rotation angle is the step index times a fixed spacing of one
    // fiftieth of the run, not the step's time.
    const float spacing = equal_step_spacing(state.engine_params);
    if (motion.has_rotation) {
        const float *centre = motion.rotation;
        const float h = (static_cast<float>(step) * motion.rotation[6]) * spacing;
        set_rotation(values, h, motion.rotation + 3);
        for (int i = 0; i < 3; ++i)
            values[i] = values[7 + i] = centre[i];
    }
    if (motion.has_rotation_translation) {
        const float *velocity = motion.rotation_translation;
        const float *centre = motion.rotation_translation + 3;
        for (int i = 0; i < 3; ++i)
            values[i] = velocity[i] * time + centre[i];
        const float h = (static_cast<float>(step) * motion.rotation_translation[9]) * spacing;
        set_rotation(values, h, motion.rotation_translation + 6);
        for (int i = 0; i < 3; ++i)
            values[7 + i] = centre[i];
    }
    if (!motion.arbitrary_steps.empty()) {
        const float *row = step_row(motion.arbitrary_steps, 7, step);
        for (int i = 0; i < 7; ++i)
            values[i] = row ? row[i] : 0.0f;
        for (int i = 0; i < 3; ++i)
            values[7 + i] = motion.arbitrary_cg[i];
    }
    if (state.debug_flag)
        print_motion_values(state, values);
    return Z_OK;
}

}  // namespace

int rigid_body_values(ReaderState &state, int part_number, float values[rigid_body_value_count])
{
    for (int i = 0; i < value_count; ++i)
        values[i] = 0.0f;
    values[3] = 1.0f;
    const PartRecord *part = host_part(state, part_number);
    if (!part)
        return Z_ERR;
    if (state.engine_mode == 1)
        return engine_values(state, part_number, *part, values);
    const std::size_t record = static_cast<std::size_t>(part_number - 1);
    if (record >= state.motion_table.size())
        return Z_UNDEF;
    return motion_values(state, state.motion_table[record], values);
}

void rigid_body_transform(const float values[rigid_body_value_count], double rotation[9], double translation[3])
{
    const double e0 = values[3], e1 = values[4], e2 = values[5], e3 = values[6];
    const double a[9] = {e0 * e0 + e1 * e1 - e2 * e2 - e3 * e3, 2 * (e1 * e2 + e0 * e3), 2 * (e1 * e3 - e0 * e2),
                         2 * (e1 * e2 - e0 * e3), e0 * e0 - e1 * e1 + e2 * e2 - e3 * e3, 2 * (e2 * e3 + e0 * e1),
                         2 * (e1 * e3 + e0 * e2), 2 * (e2 * e3 - e0 * e1), e0 * e0 - e1 * e1 - e2 * e2 + e3 * e3};
    for (int r = 0; r < 3; ++r) {
        double moved_centre = 0;
        for (int k = 0; k < 3; ++k) {
            rotation[3 * r + k] = a[3 * r + k];
            moved_centre += a[3 * r + k] * static_cast<double>(values[7 + k]);
        }
        translation[r] = static_cast<double>(values[r]) - moved_centre;
    }
}
