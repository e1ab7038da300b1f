#include "editor/shell/geometry.h"

#include "editor/shell/platform_calls.h"
#include "editor/shell/settings.h"
#include "editor/shell/textnum.h"

#include <cmath>
#include <vector>

std::string g_TextBuf;
bool g_TextAccepted = false;
bool g_TextSizeFixed = false;

namespace {
// Degrees to radians, 4 x arctangent(1) / 180: the value of g_DegToRad,
// which the unit set-up gives it; a constant here so that the geometry does
// not depend on that having run.
const double kDegToRad = 4.0 * std::atan(1.0) / 180.0;
}  // namespace

double VectorAngle(double dx, double dy)
{
    if (dx == 0) return dy >= 0 ? 90.0 : 270.0;
    const double a = std::atan(dy / dx) / kDegToRad;
    if (dx > 0) return dy < 0 ? a + 360.0 : a;
    return a + 180.0;
}

double VectorLength(double dx, double dy)
{
    return std::sqrt(dx * dx + dy * dy);
}

void FootOnSegment(int32_t& px, int32_t& py, int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    const double dx = static_cast<double>(x2) - x1;
    const double dy = static_cast<double>(y2) - y1;
    const double length2 = dx * dx + dy * dy;
    if (length2 == 0) return;
    const double t = (dx * (static_cast<double>(px) - x1) + dy * (static_cast<double>(py) - y1)) / length2;
    if (t < 0 || t > 1) return;
    px = ToLong(x1 + dx * t);
    py = ToLong(y1 + dy * t);
}

std::vector<std::string> TextBufLines()
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (;;) {
        const size_t end = g_TextBuf.find(g_CrLf, start);
        if (end == std::string::npos) {
            lines.push_back(g_TextBuf.substr(start));
            return lines;
        }
        lines.push_back(g_TextBuf.substr(start, end - start));
        start = end + g_CrLf.size();
    }
}

int32_t TextLineStep(int32_t& status, int32_t textHeight, int32_t textWidth)
{
    int32_t extent[2] = {0, 0};
    if (G_GetTextSize(textHeight, textWidth, 1, extent) == 0) {
        status = 1;
        return 0;
    }
    const int64_t step = static_cast<int64_t>(extent[1]) + g_TextPitch;
    if (step > INT32_MAX || step < INT32_MIN) {
        status = 1;
        return 0;
    }
    return static_cast<int32_t>(step);
}

void MeasureTextLines(int32_t& status, double& width, double& height, int32_t textHeight, int32_t textWidth)
{
    width = 0;
    height = 0;
    int32_t failed = 0;
    const int32_t step = TextLineStep(failed, textHeight, textWidth);
    if (failed) {
        status = 1;
        return;
    }
    for (const std::string& line : TextBufLines()) {
        if (!line.empty()) {
            int32_t extent[2] = {0, 0};
            if (G_GetTextSize(textHeight, textWidth, static_cast<int32_t>(line.size()), extent) == 0) {
                status = 1;
                return;
            }
            if (extent[0] > width) width = extent[0];
        }
        height -= step;
    }
}
