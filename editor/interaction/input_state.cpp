#include "editor/interaction/input_state.h"

#include "editor/view/view_state.h"

#include <cmath>

int32_t g_BoxZoomOn = 0;
int32_t g_BoxCopyOn = 0;

int32_t ClampToLimit(int64_t v)
{
    if (v > kCoordLimit) return kCoordLimit;
    if (v < -kCoordLimit) return -kCoordLimit;
    return static_cast<int32_t>(v);
}

double SnapAngleValue(double angle, int32_t stepMilli)
{
    if (stepMilli <= 0) return angle;
    const double a = stepMilli / 1000.0;
    const double n = std::nearbyint(angle / a);
    if (!std::isfinite(n) || std::fabs(n) > 9.0e15) return angle;
    return a * static_cast<double>(static_cast<int64_t>(n));
}
