// Point rotation, segment tests and the clean-up of one branch that the
// loader, the preload and the router share.
#include "router/image.h"

#include <cmath>
#include <cstdlib>

namespace corvex {

namespace {

// sin(d degrees) x 100000, rounded, d = 0..90.
const int32_t* SineTable()
{
    static int32_t table[91];
    static bool ready = false;
    if (!ready) {
        for (int d = 0; d <= 90; ++d) table[d] = static_cast<int32_t>(std::lround(std::sin(d * M_PI / 180.0) * 100000.0));
        ready = true;
    }
    return table;
}

bool IsNodePoint(int32_t p) { return p && (g_BPoints[p].flags & kPointNode); }

int32_t Dir(int32_t p, int32_t q) { return SegmentDirection(SegOf(p, q)); }

int32_t Length(int32_t p, int32_t q)
{
    return std::abs(g_BPoints[p].x - g_BPoints[q].x) + std::abs(g_BPoints[p].y - g_BPoints[q].y);
}

}  // namespace

int32_t KernelAngleToDegrees(int32_t angle)
{
    // 360,000 and its multiples are 0 degrees: the result is always 0..359.
    int32_t a = angle % 360000;
    if (a < 0) a += 360000;
    return a / 1000;
}

void RotatePoint(int32_t& x, int32_t& y, int32_t angle, int32_t mirror)
{
    // Mirror first, then turn: the order of the kernel's placement transform,
    // so the image places outlines where the kernel draws the component.
    if (mirror) x = -x;
    int32_t a = angle % 360;
    if (a < 0) a += 360;
    if (a == 0) return;
    int64_t X = x, Y = y;
    switch (a / 90) {
    case 1: X = -static_cast<int64_t>(y), Y = x; break;
    case 2: X = -static_cast<int64_t>(x), Y = -static_cast<int64_t>(y); break;
    case 3: X = y, Y = -static_cast<int64_t>(x); break;
    default: break;
    }
    const int32_t r = a % 90;
    const int32_t* s = SineTable();
    const double c = s[90 - r], sn = s[r];
    const double nx = std::trunc(c * X / 100000.0) + std::trunc(-sn * Y / 100000.0);
    const double ny = std::trunc(c * Y / 100000.0) + std::trunc(sn * X / 100000.0);
    x = static_cast<int32_t>(nx);
    y = static_cast<int32_t>(ny);
}

int32_t SegmentDirection(const Seg& s)
{
    if (s.y1 == s.y2) return s.x1 < s.x2 ? 0 : 4;
    if (s.x1 == s.x2) return s.y1 < s.y2 ? 2 : 6;
    Fail(1800, 1);
    return 9;
}

int32_t SegmentOverlap(const Seg& s1, Seg& s2)
{
    if (s1.x1 != s1.x2 && s1.y1 != s1.y2) return 0;
    Seg t = s2;
    NormaliseSeg(t);
    const bool h1 = s1.y1 == s1.y2, v1 = s1.x1 == s1.x2;
    const bool h2 = t.y1 == t.y2, v2 = t.x1 == t.x2;
    auto onS1 = [&](int32_t x, int32_t y) { return x >= s1.x1 && x <= s1.x2 && y >= s1.y1 && y <= s1.y2; };
    auto onT = [&](int32_t x, int32_t y) { return x >= t.x1 && x <= t.x2 && y >= t.y1 && y <= t.y2; };
    auto point = [&](int32_t x, int32_t y) {
        s2.x1 = x;
        s2.y1 = y;
        return 1;
    };
    // On one line: a shared stretch (identical segments included) or a
    // shared end point.
    if (h1 && h2 && s1.y1 == t.y1) {
        const int32_t lo = std::max(s1.x1, t.x1), hi = std::min(s1.x2, t.x2);
        if (hi > lo) {
            s2 = Seg{lo, t.y1, hi, t.y1};
            return 2;
        }
        if (hi == lo) return point(lo, t.y1);
        if (!(v1 || v2)) return 0;
    }
    if (v1 && v2 && s1.x1 == t.x1) {
        const int32_t lo = std::max(s1.y1, t.y1), hi = std::min(s1.y2, t.y2);
        if (hi > lo) {
            s2 = Seg{t.x1, lo, t.x1, hi};
            return 2;
        }
        if (hi == lo) return point(t.x1, lo);
        return 0;
    }
    // At a right angle: the crossing point, unless it is the lower-left end
    // of both or the upper-right end of both.
    if ((h1 && v2) || (v1 && h2)) {
        const int32_t mx = h1 ? t.x1 : s1.x1, my = h1 ? s1.y1 : t.y1;
        if (!onS1(mx, my) || !onT(mx, my)) return 0;
        if (mx == s1.x1 && my == s1.y1 && mx == t.x1 && my == t.y1) return 0;
        if (mx == s1.x2 && my == s1.y2 && mx == t.x2 && my == t.y2) return 0;
        return point(mx, my);
    }
    // A slanted s2 touches s1 only with one of its ends.
    if (onS1(s2.x1, s2.y1)) return point(s2.x1, s2.y1);
    if (onS1(s2.x2, s2.y2)) return point(s2.x2, s2.y2);
    return 0;
}

int32_t SegmentsContinue(const Seg& s1, const Seg& s2, int32_t direction)
{
    auto ordered = [](int32_t a, int32_t b, int32_t c) { return a <= b && b <= c; };
    switch (direction) {
    case 0: return ordered(s1.x1, s1.x2, s2.x2) && ordered(s1.x1, s2.x1, s2.x2);
    case 2: return ordered(s1.y1, s1.y2, s2.y2) && ordered(s1.y1, s2.y1, s2.y2);
    case 4: return ordered(s2.x2, s1.x2, s1.x1) && ordered(s2.x2, s2.x1, s1.x1);
    case 6: return ordered(s2.y2, s1.y2, s1.y1) && ordered(s2.y2, s2.y1, s1.y1);
    default: return 0;
    }
}

int32_t SegmentOnBranch(int32_t branch, Seg s)
{
    NormaliseSeg(s);
    if (s.x1 != s.x2 && s.y1 != s.y2) return 0;
    for (int32_t p = g_Branches[branch].firstPoint; p && g_BPoints[p].next; p = g_BPoints[p].next) {
        Seg t = SegOf(p, g_BPoints[p].next);
        NormaliseSeg(t);
        if (t.x1 == s.x1 && t.y1 == s.y1 && t.x2 == s.x2 && t.y2 == s.y2) continue;
        const bool sameRow = s.y1 == s.y2 && t.y1 == t.y2 && t.y1 == s.y1 && t.x1 <= s.x1 && s.x2 <= t.x2;
        const bool sameCol = s.x1 == s.x2 && t.x1 == t.x2 && t.x1 == s.x1 && t.y1 <= s.y1 && s.y2 <= t.y2;
        if (sameRow || sameCol) return 1;
    }
    return 0;
}

int32_t StubTurnsAway(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    if (x1 == x2 && x1 == x0 && ((y1 > y0 && y2 > y0) || (y1 < y0 && y2 < y0))) return 1;
    if (y1 == y2 && y1 == y0 && ((x1 > x0 && x2 > x0) || (x1 < x0 && x2 < x0))) return 1;
    return 0;
}

void TransformToDirection(int32_t& x, int32_t& y, int32_t x0, int32_t y0, int32_t direction)
{
    const int64_t dx = static_cast<int64_t>(x) - x0, dy = static_cast<int64_t>(y) - y0;
    int64_t nx = 0, ny = 0;
    switch (direction & 7) {
    case 0: nx = -dy, ny = dx; break;
    case 1: nx = (dx - dy) / 2, ny = (dx + dy) / 2; break;
    case 2: nx = dx, ny = dy; break;
    case 3: nx = (dx + dy) / 2, ny = (dx - dy) / 2; break;
    case 4: nx = dy, ny = -dx; break;
    case 5: nx = (dy - dx) / 2, ny = -(dx + dy) / 2; break;
    case 6: nx = -dx, ny = -dy; break;
    case 7: nx = -(dx + dy) / 2, ny = (dy - dx) / 2; break;
    }
    x = static_cast<int32_t>(nx);
    y = static_cast<int32_t>(ny);
}

void CleanBranch(int32_t branch)
{
    if (branch <= 0) return;
    // 1. Repeated points: keep a node point over its twin.
    for (int32_t p = g_Branches[branch].firstPoint; p;) {
        const int32_t q = g_BPoints[p].next;
        if (!q) break;
        if (g_BPoints[p].x == g_BPoints[q].x && g_BPoints[p].y == g_BPoints[q].y) {
            if (IsNodePoint(p)) {
                UnlinkBPoint(q);
            } else {
                UnlinkBPoint(p);
                p = q;
            }
            continue;
        }
        p = q;
    }
    // 2. Triples p, q, r.
    int32_t prevPoint = 0, prevDir = -1;
    int32_t p = g_Branches[branch].firstPoint;
    while (p) {
        const int32_t q = g_BPoints[p].next;
        const int32_t r = q ? g_BPoints[q].next : 0;
        if (!r) break;
        const int32_t d1 = Dir(p, q), d2 = Dir(q, r);
        if (d1 == 9 || d2 == 9) {  // slanted: nothing to clean here
            prevPoint = p, prevDir = d1, p = q;
            continue;
        }
        if (d1 == d2 && !IsNodePoint(q)) {
            UnlinkBPoint(q);
            continue;
        }
        if (d1 == (d2 + 4) % 8 && !IsNodePoint(q)) {
            const bool firstShorter = Length(p, q) < Length(q, r);
            const Seg shorter = firstShorter ? SegOf(p, q) : SegOf(q, r);
            if (SegmentOnBranch(branch, shorter)) {
                UnlinkBPoint(q);
                continue;
            }
        }
        if (prevDir >= 0 && d1 == (prevDir + 4) % 8 && d1 == (d2 + 4) % 8 && !IsNodePoint(p) &&
                   !IsNodePoint(q) && SegmentsContinue(SegOf(prevPoint, p), SegOf(q, r), prevDir)) {
            UnlinkBPoint(p);
            UnlinkBPoint(q);
            p = r;
            continue;
        }
        prevPoint = p;
        prevDir = d1;
        p = q;
    }
}

}  // namespace corvex
