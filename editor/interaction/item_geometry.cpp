// The shape of the notes item being drawn or reshaped, from the pointer: the
// end of a line, a vertex of a triangle, the size of a turned rectangle, the
// radius of a circle, the arc through the given points, or the character
// size of a text. Nothing is written unless the whole new shape could be
// worked out.
#include "editor/shell/schmain.h"

#include "editor/objects/symbol_items.h"
#include "editor/shell/geometry.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/settings.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>

namespace {

enum Kind { kLine = 1, kTriangle = 2, kRectangle = 3, kCircle = 4, kArc = 5, kText = 6 };

// The nearest whole number (halves to even), kept inside the 32-bit range.
int32_t Nearest(double v)
{
    if (!std::isfinite(v)) return 0;
    return static_cast<int32_t>(std::clamp(std::nearbyint(v), double(INT32_MIN), double(INT32_MAX)));
}

int32_t StoredAngle(double degrees)
{
    return G_AngleAdj(Nearest(degrees * 1000));
}

}  // namespace

void SCHMAIN::CalcItemGeometry(int32_t& result, int32_t& kind, int32_t& x, int32_t& y)
{
    result = 1;
    ItemRec& it = g_SymbItem;
    // A text is measured from its own reference point and turned by its own
    // rotation: g_SymbItem may hold another item while a text is edited.
    const ItemRec& origin = kind == kText ? g_SymbText : it;
    const double dx = double(x) - origin.X, dy = double(y) - origin.Y;
    if (dx == 0 && dy == 0) return;
    const double d = VectorLength(dx, dy);
    switch (kind) {
    case kLine:
    case kTriangle:
        it.P1 = Nearest(dx);
        it.P2 = Nearest(dy);
        break;
    case kRectangle: {
        const double phi = (VectorAngle(dx, dy) - it.Angle / 1000.0) * g_DegToRad;
        it.P1 = Nearest(d * std::cos(phi));
        it.P2 = Nearest(d * std::sin(phi));
        break;
    }
    case kCircle:
        it.P1 = Nearest(d);
        break;
    case kArc: {
        int32_t err = 1;
        DPoint centre;
        double radius = 0, start = 0;
        if (OptionOn(0)) {
            it.P1 = Nearest(d);
            break;
        }
        if (OptionOn(1)) {
            // A span of no angle or of whole turns has no chord to stand on.
            if (it.P3 % 360000 == 0) return;
            CalcArcGeometry(err, DPoint{double(m_FixedX), double(m_FixedY)}, DPoint{double(x), double(y)}, centre,
                            radius, start, it.P3 / 1000.0);
            if (err != 0) return;
            it.X = Nearest(centre.X);
            it.Y = Nearest(centre.Y);
            it.P1 = Nearest(radius);
            it.P2 = StoredAngle(start);
            break;
        }
        const double a1 = it.P2 / 1000.0 * g_DegToRad;
        const double a2 = a1 + it.P3 / 1000.0 * g_DegToRad;
        const DPoint s{it.X + it.P1 * std::cos(a1), it.Y + it.P1 * std::sin(a1)};
        const DPoint e{it.X + it.P1 * std::cos(a2), it.Y + it.P1 * std::sin(a2)};
        double span = 0;
        ArcFromThreePoints(err, s, e, DPoint{double(x), double(y)}, centre, radius, start, span);
        if (err != 0) return;
        it.X = Nearest(centre.X);
        it.Y = Nearest(centre.Y);
        it.P1 = Nearest(radius);
        it.P2 = StoredAngle(start);
        it.P3 = StoredAngle(span);
        break;
    }
    case kText: {
        const double phi = (VectorAngle(dx, dy) - g_SymbText.Angle / 1000.0) * g_DegToRad;
        // An empty text is sized as one character.
        const double count = std::max<size_t>(g_SymbItemText.size(), 1);
        const int32_t height = std::max(1, Nearest(std::fabs(std::sin(phi) * d) / 6));
        const int32_t width = std::max(1, Nearest(std::fabs(std::cos(phi) * d) / count / 6));
        g_SymbText.P1 = height;
        g_SymbText.P2 = width;
        x = width;
        y = height;
        break;
    }
    default:
        break;
    }
    result = 0;
}
