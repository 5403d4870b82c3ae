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
