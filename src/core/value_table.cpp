#include "core/value_table.h"

namespace {

constexpr std::size_t most_rows_appended = 1000000;

}  // namespace

RowMatch find_row(const float *x, std::size_t n, float a)
{
    RowMatch match;
    if (n == 0)
        return match;
    if (a == x[n - 1]) {
        match.kind = RowMatch::exact;
        match.row = n - 1;
        return match;
    }
    for (std::size_t j = 0; j < n; ++j) {
        if (x[j] == a) {
            match.kind = RowMatch::exact;
            match.row = j;
            return match;
        }
        if (x[j] > a) {
            if (j > 0) {
                match.kind = RowMatch::between;
                match.row = j;
            }
            return match;
        }
    }
    return match;
}

float interpolate_between(float x0, float y0, float x1, float y1, float a)
{
    float slope = (y1 - y0) / (x1 - x0);
    float offset = (y0 + y1) - (x0 + x1) * slope;
    float rise = slope * a;
    return static_cast<float>(0.5 * static_cast<double>(offset) + static_cast<double>(rise));
}

bool look_up(const ValueTable &table, float a, float &value)
{
    std::size_t n = table.x.size() < table.y.size() ? table.x.size() : table.y.size();
    RowMatch m = find_row(table.x.data(), n, a);
    switch (m.kind) {
    case RowMatch::exact:
        value = table.y[m.row];
        return true;
    case RowMatch::between:
        value = interpolate_between(table.x[m.row - 1], table.y[m.row - 1], table.x[m.row], table.y[m.row], a);
        return true;
    default:
        return false;
    }
}

std::vector<BridgedStretch> bridged_stretches(const ValueTable &table, std::size_t rows_read,
                                              const std::vector<float> &angles)
{
    std::vector<BridgedStretch> stretches;
    const std::vector<float> &x = table.x;
    const std::size_t n = x.size() < table.y.size() ? x.size() : table.y.size();
    if (rows_read < 2 || n <= rows_read || !(x[rows_read - 1] - x[0] < engine_cycle_degrees))
        return stretches;
    for (float a : angles) {
        RowMatch m = find_row(x.data(), n, a);
        // Row k repeats row 1 when k = rows_read + c * (rows_read - 1) for a cycle c.
        if (m.kind != RowMatch::between || m.row < rows_read || (m.row - rows_read) % (rows_read - 1) != 0)
            continue;
        if (stretches.empty() || stretches.back().to != x[m.row]) {
            BridgedStretch s;
            s.from = x[m.row - 1];
            s.from_value = table.y[m.row - 1];
            s.to = x[m.row];
            s.to_value = table.y[m.row];
            s.first_step = a;
            stretches.push_back(s);
        }
        stretches.back().steps += 1;
        stretches.back().last_step = a;
    }
    return stretches;
}

std::size_t first_falling_row(const std::vector<float> &x)
{
    for (std::size_t i = 1; i < x.size(); ++i) {
        if (x[i] < x[i - 1])
            return i;
    }
    return 0;
}

bool place_on_crank_range(ValueTable &table, float first, float last)
{
    std::vector<float> &x = table.x;
    std::vector<float> &y = table.y;
    std::size_t n = x.size();
    if (n == 0 || y.size() != n)
        return false;
    if (x[0] >= first && x[n - 1] >= last) {
        for (float &angle : x)
            angle -= engine_cycle_degrees;
    }
    if (first >= x[0] && last > x[n - 1]) {
        if (n < 2)
            return false;
        for (std::size_t j = 1;; ++j) {
            float appended = x[j] + engine_cycle_degrees;
            if (!(appended > x[j]) || j > most_rows_appended)
                return false;  // no progress in single precision, or no end in sight
            x.push_back(appended);
            y.push_back(y[j]);
            if (appended >= last)
                break;
        }
        n = x.size();
    }
    return !(first < x[0] || x[n - 1] < last);
}
