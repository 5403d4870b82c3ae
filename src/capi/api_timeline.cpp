// The time line: steps, their times and crank angles.
#include "capi/case_handle.h"
#include "capi/host_answers.h"
#include "motion/engine_motion.h"

extern "C" {

VC_API int vc_step_count(vc_case *handle, int *count)
{
    return with_case(handle, [&](vc_case &c, ReaderState &reader) {
        if (int code = check_pointer(c, count, "count"))
            return code;
        *count = reader.Num_time_steps;
        return VC_OK;
    });
}

VC_API int vc_times(vc_case *handle, float *seconds, int capacity)
{
    return with_case(handle, [&](vc_case &c, ReaderState &reader) {
        if (int code = check_pointer(c, seconds, "seconds"))
            return code;
        if (int code = check_capacity(c, reader.Num_time_steps, capacity))
            return code;
        for (int i = 0; i < reader.Num_time_steps; ++i)
            seconds[i] = entry_or_zero(reader.time_values, i);
        return VC_OK;
    });
}

VC_API int vc_crank_angles(vc_case *handle, float *degrees, int capacity)
{
    return with_case(handle, [&](vc_case &c, ReaderState &reader) {
        if (int code = check_pointer(c, degrees, "degrees"))
            return code;
        if (reader.engine_mode != 1)
            return VC_NO_VALUES;
        if (int code = check_capacity(c, reader.Num_time_steps, capacity))
            return code;
        const int current = reader.current_step;
        for (int i = 0; i < reader.Num_time_steps; ++i) {
            go_to_step(reader, i, false);
            degrees[i] = current_crank_angle(reader);
        }
        go_to_step(reader, current, false);
        return VC_OK;
    });
}

VC_API int vc_is_engine(vc_case *handle, int *is_engine)
{
    return with_case(handle, [&](vc_case &c, ReaderState &reader) {
        if (int code = check_pointer(c, is_engine, "is_engine"))
            return code;
        *is_engine = reader.engine_mode == 1 ? 1 : 0;
        return VC_OK;
    });
}

}  // extern "C"
