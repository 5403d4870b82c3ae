// Arbitrary-motion files: per time, a region's translation and the
// directions of two of its body axes; a "supplied" line gives the centre of
// gravity and the same two axes in the reference position. Each row becomes
// a translation and the four Euler parameters of the rotation carrying the
// reference axes onto the row's axes. The file's times are the time line.
#include <cmath>
#include <string_view>
#include <vector>

#include "core/diagnostics.h"
#include "core/reader_state.h"
#include "core/text_parse.h"
#include "deck/deck_readers.h"

namespace {

constexpr std::size_t first_rows = equal_step_count;
constexpr std::size_t values_per_step = 7;

float value_at(const std::vector<std::string_view> &words, std::size_t k)
{
    return k < words.size() ? parse_float(words[k]) : 0.0f;
}

// The cross product u x v, in single precision.
void cross(const float u[3], const float v[3], float w[3])
{
    w[0] = u[1] * v[2] - u[2] * v[1];
    w[1] = u[2] * v[0] - u[0] * v[2];
    w[2] = u[0] * v[1] - u[1] * v[0];
}

// w divided by its length when that length is above 0. The squares are
// summed in single precision, the root and the division in double.
void normalise(float w[3])
{
    float sum = w[0] * w[0] + w[1] * w[1] + w[2] * w[2];
    double length = std::sqrt(static_cast<double>(sum));
    if (length > 0.0) {
        for (int k = 0; k < 3; ++k)
            w[k] = static_cast<float>(static_cast<double>(w[k]) / length);
    }
}

float root_of_quarter(double term)
{
    return static_cast<float>(std::pow(term * 0.25, 0.5));
}

float over(float numerator, double d)
{
    return static_cast<float>(static_cast<double>(numerator) / d);
}

}  // namespace

int get_euler_params(ReaderState &state, float reference_axes[3][3], float current_axes[3][3], float euler[4])
{
    debug_print(state, "get_euler_params\n");
    float (*A)[3] = reference_axes;
    float (*B)[3] = current_axes;

    // Complete the current frame's third row and the reference frame's third
    // column.
    cross(B[0], B[1], B[2]);
    normalise(B[2]);
    float col0[3] = {A[0][0], A[1][0], A[2][0]};
    float col1[3] = {A[0][1], A[1][1], A[2][1]};
    float col2[3];
    cross(col0, col1, col2);
    normalise(col2);
    for (int i = 0; i < 3; ++i)
        A[i][2] = col2[i];

    float R[3][3];
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            R[i][j] = A[i][0] * B[0][j] + A[i][1] * B[1][j] + A[i][2] * B[2][j];
    float trace = R[0][0] + R[1][1] + R[2][2];
    double t = static_cast<double>(trace);

    // The first parameter that is not exactly zero (a NaN counts as not
    // zero) decides how the others are found; none is normalised.
    float &e0 = euler[0], &e1 = euler[1], &e2 = euler[2], &e3 = euler[3];
    e0 = root_of_quarter(t + 1.0);
    if (e0 != 0.0f) {
        double d = 4.0 * static_cast<double>(e0);
        e1 = over(R[2][1] - R[1][2], d);
        e2 = over(R[0][2] - R[2][0], d);
        e3 = over(R[1][0] - R[0][1], d);
        return 1;
    }
    e1 = root_of_quarter(2.0 * static_cast<double>(R[0][0]) + 1.0 - t);
    if (e1 != 0.0f) {
        double d = 4.0 * static_cast<double>(e1);
        e2 = over(R[0][1] + R[1][0], d);
        e3 = over(R[2][0] + R[0][2], d);
        return 1;
    }
    e2 = root_of_quarter(2.0 * static_cast<double>(R[1][1]) + 1.0 - t);
    if (e2 != 0.0f) {
        double d = 4.0 * static_cast<double>(e2);
        e1 = over(R[0][1] + R[1][0], d);
        e3 = over(R[1][2] + R[2][1], d);
        return 1;
    }
    e3 = root_of_quarter(2.0 * static_cast<double>(R[2][2]) + 1.0 - t);
    if (e3 == 0.0f) {
        always_print(state, "Error in computing Euler parameters\n");
        e0 = e1 = e2 = e3 = 0.0f;
        return 1;
    }
    double d = 4.0 * static_cast<double>(e3);
    e2 = over(R[1][2] + R[2][1], d);
    e1 = over(R[2][0] + R[0][2], d);
    return 1;
}

int read_ar_motion_file(ReaderState &state, int region, const std::string &path)
{
    debug_print(state, "   read_ar_motion_file, '%s'\n", path.c_str());
    if (region < 0 || static_cast<std::size_t>(region) >= state.motion_table.size())
        return -1;
    MotionRecord &motion = state.motion_table[static_cast<std::size_t>(region)];
    std::size_t capacity = first_rows;
    motion.arbitrary_steps.assign(capacity * values_per_step, 0.0f);
    motion.has_arbitrary_cg = true;
    for (float &v : motion.arbitrary_cg)
        v = 0.0f;
    if (state.Num_time_steps == 1 && state.time_values.empty())
        state.time_values.assign(capacity, 0.0f);
    float reference_axes[3][3] = {};
    float current_axes[3][3] = {};

    CaseFile file;
    char line[line_buffer_size] = "";
    int opened = open_motion_table(state, file, path, line);
    if (opened == -1)
        return -1;
    bool header_ended = opened == 1;

    // Whatever an earlier file left in time_values, it is made long enough.
    std::size_t n = 0;
    for (; header_ended; ++n) {
        if (n + 5 > capacity)
            capacity += 10;
        if (state.time_values.size() < capacity)
            state.time_values.resize(capacity, 0.0f);
        if (motion.arbitrary_steps.size() < capacity * values_per_step)
            motion.arbitrary_steps.resize(capacity * values_per_step, 0.0f);

        // The rows end at a line that is not delivered: the end of the
        // file, or a line too long to be read.
        if (read_next_line(file, line) != 1)
            break;
        std::vector<std::string_view> words = split_words(line, true);
        if (words.size() < 2)
            break;
        if (contains(line, "supplied")) {
            for (std::size_t k = 0; k < 3; ++k) {
                motion.arbitrary_cg[k] = value_at(words, 1 + k);
                reference_axes[k][0] = value_at(words, 4 + k);
                reference_axes[k][1] = value_at(words, 7 + k);
            }
            // The data row of this step follows; without one (the file ends,
            // or the line is too long to be read) the rows end here.
            if (read_next_line(file, line) != 1)
                break;
            words = split_words(line, true);
        }

        state.time_values[n] = file_time_in_seconds(state, value_at(words, 0));
        float *step = &motion.arbitrary_steps[n * values_per_step];
        for (std::size_t k = 0; k < 3; ++k) {
            step[k] = value_at(words, 1 + k);
            current_axes[0][k] = value_at(words, 4 + k);
            current_axes[1][k] = value_at(words, 7 + k);
        }
        get_euler_params(state, reference_axes, current_axes, step + 3);
    }

    int rows = static_cast<int>(n);
    state.Num_time_steps = (state.Num_time_steps == 1 || rows < state.Num_time_steps) ? rows : state.Num_time_steps;
    return 1;
}
