// Comparison of two reals within a relative tolerance of 5 per cent.
#include <cmath>

#include "motion/engine_motion.h"

int relative_compare(float a, float b)
{
    if (a == b)
        return 0;
    const float size_a = std::fabs(a);
    const float size_b = std::fabs(b);
    if (a == 0.0f && size_b < 1e-10)
        return 0;
    if (b == 0.0f && size_a < 1e-10)
        return 0;
    const float difference = std::fabs(a - b);
    const float sum = size_a + size_b;
    if (2.0 * static_cast<double>(difference) / static_cast<double>(sum) < 0.05)
        return 0;
    return a > b ? 1 : -1;
}
