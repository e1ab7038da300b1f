// Arc geometry and item repetition: the circle through three points, the
// arc over a chord for a central angle, and series of copies of the current
// item rotated about a base point or shifted by a step.
#include "editor/objects/owner_items.h"
#include "editor/objects/symbol_items.h"
#include "editor/shell/entry_change.h"
#include "editor/shell/geometry.h"
#include "editor/shell/help.h"
#include "editor/shell/msgtext.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/reporter.h"
#include "editor/shell/schmain.h"
#include "editor/shell/settings.h"
#include "editor/shell/textnum.h"
#include "platform/winsys/interaction.h"

#include <cmath>
#include <cstdint>

namespace {

constexpr double kDegToRad = 3.14159265358979323846 / 180.0;
// The most copies one repeat makes.
constexpr int32_t kMaxRepeats = 10000;

int64_t Whole(double v)
{
    return static_cast<int64_t>(std::llround(v));
}

double Normalised(double angle)
{
    if (angle >= 360) angle -= 360;
    if (angle < 0) angle += 360;
    return angle;
}

int32_t AdjustedAngle(double degrees)
{
    return G_AngleAdj(ToLong(degrees * 1000));
}

// The number of copies a repeat asks for; 0 (with a beep) outside 1 .. the cap.
int32_t RepeatCount(double steps)
{
    if (!std::isfinite(steps) || std::fabs(steps) > kMaxRepeats + 1) {
        winsys::Ui().Beep();
        return 0;
    }
    const int32_t n = ToLong(steps);
    if (n < 1 || n > kMaxRepeats) {
        if (n != 0) winsys::Ui().Beep();
        return 0;
    }
    return n;
}

// Copy `number` of a repeat, whole or not made: a refused step puts it back
// alone, the user is told, and the copies made before stay.
bool MakeCopy(int32_t number)
{
    EntryChange copy;
    int32_t status = 0;
    int32_t index = 0;
    MakeOwnerItem(status, kOwnerSymbol, g_CurSymb, g_SymbItem, g_SymbItem.Kind == 6 ? g_SymbItemText : std::string(),
                  index);
    if (status == 0 && index != 0 && copy.End()) return true;
    copy.Drop();
    // "Can't create Item: " and the number of the copy.
    std::string detail = std::to_string(number);
    ReportMsg(10, detail);
    return false;
}

// The message line says which copy was refused, after the repaint that
// shows the copies made (it clears the line).
void ShowRefusedCopy(SCHMAIN& main, int32_t number)
{
    if (number != 0) main.ShowMessage(GetMsgText("Can't create Item: ", "99308") + std::to_string(number));
}

}  // namespace

void SCHMAIN::ArcFromThreePoints(int32_t& err, const DPoint& p1, const DPoint& p2, const DPoint& p3, DPoint& centre,
                                 double& radius, double& start, double& extent)
{
    err = 1;
    // Whole numbers, so that the collinear test is exact far beyond 2^53.
    const int64_t x1 = Whole(p1.X), y1 = Whole(p1.Y), x2 = Whole(p2.X), y2 = Whole(p2.Y);
    const int64_t x3 = Whole(p3.X), y3 = Whole(p3.Y);
    double a1 = static_cast<double>(x3 - x1), b1 = static_cast<double>(y3 - y1);
    double a2 = static_cast<double>(x2 - x3), b2 = static_cast<double>(y2 - y3);
    if ((x3 - x1) * (y2 - y3) - (x2 - x3) * (y3 - y1) == 0) return;
    DPoint m1{static_cast<double>(ToLong(x1 + a1 / 2)), static_cast<double>(ToLong(y1 + b1 / 2))};
    DPoint m2{static_cast<double>(ToLong(x3 + a2 / 2)), static_cast<double>(ToLong(y3 + b2 / 2))};
    if (a1 == 0) {
        std::swap(a1, a2);
        std::swap(b1, b2);
        std::swap(m1, m2);
    }
    double cx = 0, cy = 0;
    if (a1 == 0 && b2 == 0) {
        cx = m2.X;
        cy = m1.Y;
    } else if (b1 == 0 && a2 == 0) {
        cx = m1.X;
        cy = m2.Y;
    } else {
        cy = (a2 * a1 * m2.X + b2 * a1 * m2.Y - a2 * a1 * m1.X - a2 * b1 * m1.Y) / (b2 * a1 - a2 * b1);
        cx = (m1.X * a1 + m1.Y * b1 - cy * b1) / a1;
    }
    centre = {cx, cy};
    radius = VectorLength(static_cast<double>(x3) - cx, static_cast<double>(y3) - cy);
    if (radius == 0) return;
    const double t1 = VectorAngle(static_cast<double>(x1) - cx, static_cast<double>(y1) - cy);
    const double t2 = VectorAngle(static_cast<double>(x2) - cx, static_cast<double>(y2) - cy);
    const double t3 = VectorAngle(static_cast<double>(x3) - cx, static_cast<double>(y3) - cy);
    const double lo = std::min(t1, t2), hi = std::max(t1, t2);
    extent = hi - lo;
    if (t3 < lo || t3 > hi) extent -= 360;
    if (extent == 0) return;
    if (extent < 0) {
        extent = -extent;
        start = lo + 360 - extent;
    } else {
        start = lo;
    }
    if (radius <= kCoordLimit && std::fabs(cx) <= kCoordLimit && std::fabs(cy) <= kCoordLimit) err = 0;
}

void SCHMAIN::CalcArcGeometry(int32_t& err, const DPoint& p1, const DPoint& p2, DPoint& centre, double& radius,
                              double& start, double alpha)
{
    err = 1;
    double dx = p2.X - p1.X, dy = p2.Y - p1.Y;
    const double c = std::sqrt(dx * dx + dy * dy);
    if (c == 0) return;
    const DPoint m{static_cast<double>(ToLong(p1.X + dx / 2)), static_cast<double>(ToLong(p1.Y + dy / 2))};
    const double s = std::sin(std::fabs(alpha) / 2 * kDegToRad);
    // No arc for a central angle of 0 or a whole turn.
    if (std::fabs(s) < 1e-12) return;
    radius = std::fabs((c / 2) / s);
    if (radius >= kCoordLimit || radius <= 0) return;
    const double h = std::sqrt(std::fabs(radius * radius - (c / 2) * (c / 2)));
    if (m_HandleIndex == 1) {
        dx = -dx;
        dy = -dy;
    }
    double ox = std::copysign(std::sqrt(h * h * dy * dy / (dx * dx + dy * dy)), dy);
    double oy = std::copysign(std::sqrt(h * h * dx * dx / (dx * dx + dy * dy)), dx);
    if (std::fabs(alpha) > 180) {
        ox = -ox;
        oy = -oy;
    }
    centre = {m.X + ox, m.Y - oy};
    if (std::fabs(centre.X) < kCoordLimit && std::fabs(centre.Y) < kCoordLimit) {
        start = VectorAngle(p2.X - centre.X, p2.Y - centre.Y);
        if (m_HandleIndex != 0) start -= alpha;
        err = 0;
    }
}

void SCHMAIN::RepeatItemByAngle(double steps, double baseX, double baseY, double angleStep)
{
    if (angleStep == 0 || steps == 0) return;
    const int32_t n = RepeatCount(steps);
    if (n == 0) return;
    ItemRec& item = g_SymbItem;
    auto polar = [&](double x, double y, double& rho, double& theta) {
        rho = VectorLength(x - baseX, y - baseY);
        theta = VectorAngle(x - baseX, y - baseY);
    };
    double rho0 = 0, th0 = 0, rho1 = 0, th1 = 0, rho2 = 0, th2 = 0;
    polar(item.X, item.Y, rho0, th0);
    switch (item.Kind) {
    case 1: polar(static_cast<double>(item.X) + item.P1, static_cast<double>(item.Y) + item.P2, rho1, th1); break;
    case 2:
        polar(static_cast<double>(item.X) + item.P1, static_cast<double>(item.Y) + item.P2, rho1, th1);
        polar(static_cast<double>(item.X) + item.P3, static_cast<double>(item.Y) + item.P4, rho2, th2);
        break;
    case 3:
    case 6: th1 = item.Angle / 1000.0; break;
    case 5: th1 = item.P2 / 1000.0; break;
    default: break;
    }
    bool made = false;
    int32_t refused = 0;
    for (int32_t i = 1; i <= n; ++i) {
        if (CancelKeyDown()) break;
        th0 = Normalised(th0 + angleStep);
        th1 = Normalised(th1 + angleStep);
        th2 = Normalised(th2 + angleStep);
        const double x = baseX + rho0 * std::cos(th0 * kDegToRad);
        const double y = baseY + rho0 * std::sin(th0 * kDegToRad);
        if (std::fabs(x) >= kCoordLimit || std::fabs(y) >= kCoordLimit) continue;
        item.X = ToLong(x);
        item.Y = ToLong(y);
        switch (item.Kind) {
        case 1:
        case 2:
            item.P1 = ToLong(baseX + rho1 * std::cos(th1 * kDegToRad) - x);
            item.P2 = ToLong(baseY + rho1 * std::sin(th1 * kDegToRad) - y);
            if (item.Kind == 2) {
                item.P3 = ToLong(baseX + rho2 * std::cos(th2 * kDegToRad) - x);
                item.P4 = ToLong(baseY + rho2 * std::sin(th2 * kDegToRad) - y);
            }
            break;
        case 3:
        case 6: item.Angle = AdjustedAngle(th1); break;
        case 5: item.P2 = AdjustedAngle(th1); break;
        default: break;
        }
        if (!MakeCopy(i)) {
            refused = i;
            break;
        }
        made = true;
    }
    // Whatever ended the series, the copies made are shown.
    if (made) RefreshCanvas();
    ShowRefusedCopy(*this, refused);
}

void SCHMAIN::RepeatItemByOffset(double steps, double dX, double dY)
{
    if (steps == 0 || (dX == 0 && dY == 0)) return;
    const int32_t n = RepeatCount(steps);
    if (n == 0) return;
    const double factor = g_UnitFactor(g_UnitIndex);
    const double xu = g_SymbItem.X / static_cast<double>(g_DbUnitsPerMm) * factor;
    const double yu = g_SymbItem.Y / static_cast<double>(g_DbUnitsPerMm) * factor;
    bool made = false;
    int32_t refused = 0;
    for (int32_t i = 1; i <= n; ++i) {
        if (CancelKeyDown()) break;
        const double x = (xu + i * dX) / factor * g_DbUnitsPerMm;
        const double y = (yu + i * dY) / factor * g_DbUnitsPerMm;
        if (!(std::fabs(x) < kCoordLimit && std::fabs(y) < kCoordLimit)) continue;
        g_SymbItem.X = ToLong(x);
        g_SymbItem.Y = ToLong(y);
        if (!MakeCopy(i)) {
            refused = i;
            break;
        }
        made = true;
    }
    if (made) RefreshCanvas();
    ShowRefusedCopy(*this, refused);
}
