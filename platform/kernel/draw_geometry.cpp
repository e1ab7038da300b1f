// Figures: items placed on the page, and their boxes and distances, shared
// by drawing, frames and hit tests so that all three agree on where a thing
// is.
#include "platform/kernel/draw_internal.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace kernel::draw {

namespace {

constexpr double kPi = 3.14159265358979323846;

// cos and sin of an angle in thousandths of a degree, exact for quarter turns.
// Other angles go to radians as angle x pi / 180000, which for about half of
// them differs in the last bit from CosSin's angle x (pi / 180000): enough
// to move a rectangle's corner by a unit (at 60 degrees a side of odd length
// lands on a half), so the two are kept apart.
void Direction(int32_t angle, double& c, double& s)
{
    switch (NormalAngle(angle)) {
    case 0: c = 1; s = 0; return;
    case 90000: c = 0; s = 1; return;
    case 180000: c = -1; s = 0; return;
    case 270000: c = 0; s = -1; return;
    default: {
        const double r = NormalAngle(angle) * kPi / 180000.0;
        c = std::cos(r);
        s = std::sin(r);
    }
    }
}

Pt Add(Pt a, int32_t dx, int32_t dy)
{
    return Pt{ClampCoord(static_cast<double>(a.x) + dx), ClampCoord(static_cast<double>(a.y) + dy)};
}

bool InsidePolygon(const Pt* p, int n, double x, double y)
{
    bool inside = false;
    for (int i = 0, j = n - 1; i < n; j = i++) {
        const double xi = p[i].x, yi = p[i].y, xj = p[j].x, yj = p[j].y;
        if ((yi > y) != (yj > y) && x < (xj - xi) * (y - yi) / (yj - yi) + xi) inside = !inside;
    }
    return inside;
}

// Whether direction `a` (thousandths) lies on the arc from start through sweep.
bool OnArc(double a, int32_t start, int32_t sweep)
{
    double d = a - start;
    while (d < 0) d += 360000;
    while (d >= 360000) d -= 360000;
    return d <= sweep;
}

}  // namespace

void RectCorners(double x, double y, double width, double height, int32_t angle, Pt out[4])
{
    double c, s;
    Direction(angle, c, s);
    const double ux = c * width, uy = s * width;     // along the first side
    const double vx = -s * height, vy = c * height;  // along the second
    out[0] = Pt{ClampCoord(x), ClampCoord(y)};
    out[1] = Pt{ClampCoord(x + ux), ClampCoord(y + uy)};
    out[2] = Pt{ClampCoord(x + ux + vx), ClampCoord(y + uy + vy)};
    out[3] = Pt{ClampCoord(x + vx), ClampCoord(y + vy)};
}

Figure ItemFigure(const Item& item, const Placement& placement)
{
    // The item's record placed as I_ReadItemAbs places it, so that drawing,
    // frames and hit tests follow the same rules.
    ItemRec r;
    FillRecord(item, r);
    PlaceRecord(placement, r);
    Figure f;
    const Pt a{r.X, r.Y};
    switch (r.Kind) {
    case 1:
        f.kind = Figure::Line;
        f.p[0] = a;
        f.p[1] = Add(a, r.P1, r.P2);
        f.count = 2;
        break;
    case 2:
        f.kind = Figure::Polygon;
        f.p[0] = a;
        f.p[1] = Add(a, r.P1, r.P2);
        f.p[2] = Add(a, r.P3, r.P4);
        f.count = 3;
        break;
    case 3:
        f.kind = Figure::Polygon;
        RectCorners(a.x, a.y, r.P1, r.P2, r.Angle, f.p);
        f.count = 4;
        break;
    case 4:
        f.kind = Figure::Circle;
        f.p[0] = a;
        f.radius = r.P1 < 0 ? Negated(r.P1) : r.P1;
        break;
    case 5: {
        int64_t start = r.P2;
        int64_t sweep = r.P3;
        if (sweep < 0) {
            start += sweep;
            sweep = -sweep;
        }
        if (sweep == 0) break;
        f.kind = Figure::Arc;
        f.p[0] = a;
        f.radius = r.P1 < 0 ? Negated(r.P1) : r.P1;
        f.start = NormalAngle(start);
        f.sweep = static_cast<int32_t>(std::min<int64_t>(sweep, 360000));
        break;
    }
    case 6:
        f.kind = Figure::Text;
        f.p[0] = a;
        f.angle = r.Angle;
        f.height = kTextScale * r.P1;
        f.cell = kTextScale * r.P2;
        f.text = &item.text;
        break;
    default: break;
    }
    return f;
}

void DrawFigure(Sink& sink, const Paint& paint, const Figure& f)
{
    switch (f.kind) {
    case Figure::Line: sink.Line(paint, f.p[0], f.p[1]); break;
    case Figure::Polygon: sink.Polygon(paint, f.p, f.count); break;
    case Figure::Circle: sink.Circle(paint, f.p[0], f.radius); break;
    case Figure::Arc: sink.Arc(paint, f.p[0], f.radius, f.start, f.sweep); break;
    case Figure::Text:
        if (f.text && f.height > 0) sink.Text(paint, TextFigure{f.p[0], f.angle, f.height, f.cell, *f.text});
        break;
    default: break;
    }
}

// The corners of a text figure's box.
static void TextCorners(const Figure& f, Pt out[4])
{
    const double length = f.cell * static_cast<double>(f.text ? f.text->size() : 0);
    RectCorners(f.p[0].x, f.p[0].y, length, f.height, f.angle, out);
}

Box FigureBox(const Figure& f)
{
    Box box;
    switch (f.kind) {
    case Figure::Line:
    case Figure::Polygon:
        for (int i = 0; i < f.count; ++i) box.Add(f.p[i].x, f.p[i].y);
        break;
    case Figure::Circle:
        box.Add(static_cast<double>(f.p[0].x) - f.radius, static_cast<double>(f.p[0].y) - f.radius);
        box.Add(static_cast<double>(f.p[0].x) + f.radius, static_cast<double>(f.p[0].y) + f.radius);
        break;
    case Figure::Arc: {
        const double cx = f.p[0].x, cy = f.p[0].y, r = f.radius;
        auto at = [&](double a) { box.Add(cx + r * std::cos(a * kPi / 180000.0), cy + r * std::sin(a * kPi / 180000.0)); };
        at(f.start);
        at(static_cast<double>(f.start) + f.sweep);
        for (int q = 0; q < 4; ++q)
            if (OnArc(q * 90000.0, f.start, f.sweep)) at(q * 90000.0);
        break;
    }
    case Figure::Text: {
        Pt c[4];
        TextCorners(f, c);
        for (const Pt& p : c) box.Add(p.x, p.y);
        break;
    }
    default: break;
    }
    return box;
}

double SegmentDistance(double px, double py, Pt a, Pt b)
{
    const double dx = static_cast<double>(b.x) - a.x, dy = static_cast<double>(b.y) - a.y;
    const double len2 = dx * dx + dy * dy;
    double t = len2 > 0 ? ((px - a.x) * dx + (py - a.y) * dy) / len2 : 0;
    t = std::clamp(t, 0.0, 1.0);
    return std::hypot(px - (a.x + t * dx), py - (a.y + t * dy));
}

double FigureDistance(const Figure& f, double x, double y)
{
    switch (f.kind) {
    case Figure::Line: return SegmentDistance(x, y, f.p[0], f.p[1]);
    case Figure::Polygon: {
        if (InsidePolygon(f.p, f.count, x, y)) return 0;
        double d = std::numeric_limits<double>::infinity();
        for (int i = 0; i < f.count; ++i) d = std::min(d, SegmentDistance(x, y, f.p[i], f.p[(i + 1) % f.count]));
        return d;
    }
    case Figure::Circle: {
        const double d = std::hypot(x - f.p[0].x, y - f.p[0].y);
        return d <= f.radius ? 0 : d - f.radius;
    }
    case Figure::Arc: {
        const double dx = x - f.p[0].x, dy = y - f.p[0].y;
        const double d = std::hypot(dx, dy);
        double a = std::atan2(dy, dx) * 180000.0 / kPi;
        if (a < 0) a += 360000;
        if (OnArc(a, f.start, f.sweep)) return std::abs(d - f.radius);
        auto endDistance = [&](double angle) {
            const double r = angle * kPi / 180000.0;
            return std::hypot(x - (f.p[0].x + f.radius * std::cos(r)), y - (f.p[0].y + f.radius * std::sin(r)));
        };
        return std::min(endDistance(f.start), endDistance(static_cast<double>(f.start) + f.sweep));
    }
    case Figure::Text: {
        Pt c[4];
        TextCorners(f, c);
        if (InsidePolygon(c, 4, x, y)) return 0;
        double d = std::numeric_limits<double>::infinity();
        for (int i = 0; i < 4; ++i) d = std::min(d, SegmentDistance(x, y, c[i], c[(i + 1) % 4]));
        return d;
    }
    default: return std::numeric_limits<double>::infinity();
    }
}

double Box::Distance(double x, double y) const
{
    if (Empty()) return std::numeric_limits<double>::infinity();
    const double dx = x < x1 ? x1 - x : (x > x2 ? x - x2 : 0);
    const double dy = y < y1 ? y1 - y : (y > y2 ? y - y2 : 0);
    return std::hypot(dx, dy);
}

bool Box::Within(double x, double y, double distance) const
{
    if (Empty()) return false;
    const double dx = x < x1 ? x1 - x : (x > x2 ? x - x2 : 0);
    const double dy = y < y1 ? y1 - y : (y > y2 ? y - y2 : 0);
    // Squared, so the many boxes a query passes over cost no square root.
    if (dx == 0 || dy == 0) return dx + dy <= distance;
    return dx * dx + dy * dy <= distance * distance;
}

void StoreRect(const Box& box, int32_t* rect)
{
    if (!rect) return;
    if (box.Empty()) {
        rect[0] = rect[1] = rect[2] = rect[3] = 0;
        return;
    }
    rect[0] = ClampCoord(std::floor(box.x1));
    rect[1] = ClampCoord(std::floor(box.y1));
    rect[2] = ClampCoord(std::ceil(box.x2));
    rect[3] = ClampCoord(std::ceil(box.y2));
}

}  // namespace kernel::draw
