// SCHMAIN's geometry kit for the commands that move, rotate, mirror, scale
// or reshape things: the transform of the current symbol item and of placed
// points, the handles of an item, re-basing an item on its picked handle,
// the block file header, the frame of one symbol item and locking
// components by name prefix. Nothing here draws.
//
// Every coordinate a transform produces is checked against the canvas range
// of plus or minus 220,000,000 before anything is written: a result beyond
// it raises the overflow error and leaves the item or point as it was.
#include "editor/shell/schmain.h"

#include "editor/objects/symbol_items.h"
#include "editor/shell/errors.h"
#include "editor/shell/geometry.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/settings.h"
#include "editor/shell/textfiles.h"
#include "editor/shell/textnum.h"

#include <cmath>
#include <initializer_list>

namespace {

constexpr double kBoxLimit = 2.0 * kCoordLimit;

enum ItemKind { kLine = 1, kTriangle = 2, kRectangle = 3, kCircle = 4, kArc = 5, kText = 6 };

// Raises the overflow error unless every value lies within the limit.
void CheckRange(std::initializer_list<double> values, double limit = kCoordLimit)
{
    for (double v : values)
        if (!(std::fabs(v) <= limit)) RaiseError(errnum::Overflow);
}

double Dist(double x1, double y1, double x2, double y2)
{
    return VectorLength(x1 - x2, y1 - y2);
}

// An angle in degrees as the record stores it.
int32_t StoredAngle(double degrees)
{
    return G_AngleAdj(ToLong(degrees * 1000.0));
}

// A record angle turned by `rotation` degrees (less 360 once at 360 or more).
int32_t TurnedAngle(int32_t stored, double rotation)
{
    double r = stored / 1000.0 + rotation;
    if (r >= 360) r -= 360;
    return StoredAngle(r);
}

}  // namespace

// Turns a point of a block (relative to the block's origin) by m_Rotation
// and places it at m_PlaceX, m_PlaceY; the object's own angle turns with it.
void SCHMAIN::RotateBlockPoint(int32_t& x, int32_t& y, int32_t& angle, int32_t& sign)
{
    double nx = x, ny = y;
    int32_t newAngle = angle;
    if (m_Rotation != 0) {
        const float fx = static_cast<float>(x), fy = static_cast<float>(y);
        const double a = VectorAngle(fx, fy), len = VectorLength(fx, fy);
        const double r = (a + m_Rotation) * g_DegToRad;
        nx = ToLong(len * std::cos(r));
        ny = ToLong(len * std::sin(r));
        double na = sign * m_Rotation + angle / 1000.0;
        if (na >= 360) na -= 360;
        if (na < 0) na += 360;
        newAngle = StoredAngle(na);
    }
    nx += m_PlaceX;
    ny += m_PlaceY;
    CheckRange({nx, ny});
    x = static_cast<int32_t>(nx);
    y = static_cast<int32_t>(ny);
    angle = newAngle;
}

// The same for a point on the page turned about the base point and moved by
// the command's displacement.
void SCHMAIN::RotateMovePoint(int32_t& x, int32_t& y, int32_t& angle, int32_t& sign)
{
    double nx = x, ny = y;
    int32_t newAngle = angle;
    if (m_Rotation != 0) {
        const double dx = static_cast<double>(x) - m_BaseX, dy = static_cast<double>(y) - m_BaseY;
        const double a = VectorAngle(dx, dy), len = VectorLength(dx, dy);
        const double r = (a + m_Rotation) * g_DegToRad;
        const double rx = len * std::cos(r) + m_BaseX, ry = len * std::sin(r) + m_BaseY;
        CheckRange({rx, ry});
        nx = ToLong(rx);
        ny = ToLong(ry);
        double na = sign * m_Rotation + angle / 1000.0;
        if (na >= 360) na -= 360;
        if (na < 0) na += 360;
        newAngle = StoredAngle(na);
    }
    nx += m_OffsetX;
    ny += m_OffsetY;
    CheckRange({nx, ny});
    x = static_cast<int32_t>(nx);
    y = static_cast<int32_t>(ny);
    angle = newAngle;
}

// Mirrors, rotates, scales and displaces g_SymbItem. The record is worked
// on in a copy and taken only when every result lies within range.
void SCHMAIN::RotateItemPoints()
{
    int32_t px = g_SymbItem.X, py = g_SymbItem.Y;
    GetItemExtent(px, py);
    ItemRec it = g_SymbItem;
    const int32_t kind = g_SymbItemType;
    // Work in doubles so that an intermediate beyond range is caught before
    // it is made a Long.
    double x = it.X, y = it.Y;
    DPoint end = m_ItemPt1;  // an arc's end point, kept as the mirrors leave it
    DPoint start = m_ItemPt0;

    auto arcAngleFromEnd = [&] { return StoredAngle(VectorAngle(end.X - x, end.Y - y)); };

    if (m_MirrorX == -1) {
        x = 2.0 * m_BaseX - x;
        switch (kind) {
        case kLine: it.P1 = -it.P1; break;
        case kTriangle: it.P1 = -it.P1; it.P3 = -it.P3; break;
        case kRectangle:
            it.Angle = StoredAngle(360 - it.Angle / 1000.0);
            it.P1 = -it.P1;
            break;
        case kArc: {
            end.X = 2.0 * m_BaseX - end.X;
            start.X = 2.0 * m_BaseX - start.X;
            it.P2 = arcAngleFromEnd();
            // The mirrored arc runs from the old end to the old start: its
            // end point is now the mirrored start.
            std::swap(start, end);
            break;
        }
        default: break;
        }
    }
    if (m_MirrorY == -1) {
        y = 2.0 * m_BaseY - y;
        switch (kind) {
        case kLine: it.P2 = -it.P2; break;
        case kTriangle: it.P2 = -it.P2; it.P4 = -it.P4; break;
        case kRectangle:
            it.Angle = StoredAngle(360 - it.Angle / 1000.0);
            it.P2 = -it.P2;
            break;
        case kArc:
            end.Y = 2.0 * m_BaseY - end.Y;
            it.P2 = arcAngleFromEnd();
            break;
        default: break;
        }
    }
    CheckRange({x, y});

    if (!(m_Rotation == 0 && m_Scale == 1.0)) {
        auto map = [&](double px2, double py2) {
            const double dx = px2 - m_BaseX, dy = py2 - m_BaseY;
            const double a = (VectorAngle(dx, dy) + m_Rotation) * g_DegToRad;
            const double len = m_Scale * VectorLength(dx, dy);
            return DPoint{m_BaseX + len * std::cos(a), m_BaseY + len * std::sin(a)};
        };
        m_ItemPt0 = map(x, y);
        CheckRange({m_ItemPt0.X, m_ItemPt0.Y});
        switch (kind) {
        case kLine:
            m_ItemPt1 = map(x + it.P1, y + it.P2);
            CheckRange({m_ItemPt1.X, m_ItemPt1.Y});
            it.P1 = ToLong(m_ItemPt1.X - m_ItemPt0.X);
            it.P2 = ToLong(m_ItemPt1.Y - m_ItemPt0.Y);
            break;
        case kTriangle:
            m_ItemPt1 = map(x + it.P1, y + it.P2);
            m_ItemPt2 = map(x + it.P3, y + it.P4);
            CheckRange({m_ItemPt1.X, m_ItemPt1.Y, m_ItemPt2.X, m_ItemPt2.Y});
            it.P1 = ToLong(m_ItemPt1.X - m_ItemPt0.X);
            it.P2 = ToLong(m_ItemPt1.Y - m_ItemPt0.Y);
            it.P3 = ToLong(m_ItemPt2.X - m_ItemPt0.X);
            it.P4 = ToLong(m_ItemPt2.Y - m_ItemPt0.Y);
            break;
        case kRectangle:
        case kText:
            CheckRange({it.P1 * m_Scale, it.P2 * m_Scale}, kBoxLimit);
            it.Angle = TurnedAngle(it.Angle, m_Rotation);
            it.P1 = ToLong(it.P1 * m_Scale);
            it.P2 = ToLong(it.P2 * m_Scale);
            break;
        case kCircle:
            CheckRange({it.P1 * m_Scale}, kBoxLimit);
            it.P1 = ToLong(it.P1 * m_Scale);
            break;
        case kArc:
            CheckRange({it.P1 * m_Scale}, kBoxLimit);
            it.P2 = TurnedAngle(it.P2, m_Rotation);
            it.P1 = ToLong(it.P1 * m_Scale);
            break;
        default: break;
        }
        x = ToLong(m_ItemPt0.X);
        y = ToLong(m_ItemPt0.Y);
    }
    x += m_OffsetX;
    y += m_OffsetY;
    CheckRange({x, y});
    it.X = static_cast<int32_t>(x);
    it.Y = static_cast<int32_t>(y);
    g_SymbItem = it;
}

// The handle of g_SymbItem nearest to (x, y), the item's centre, its fixed
// point and its derived points. A candidate replaces the handle only when
// strictly nearer.
void SCHMAIN::GetItemExtent(int32_t& x, int32_t& y)
{
    ItemRec& it = g_SymbItem;
    const double X = it.X, Y = it.Y;
    auto take = [&](double hx, double hy, int32_t index) {
        m_HandleX = ToLong(hx);
        m_HandleY = ToLong(hy);
        m_HandleIndex = index;
    };
    switch (it.Kind) {
    case kLine: {
        m_ItemCentreX = ToLong(X + it.P1 / 2.0);
        m_ItemCentreY = ToLong(Y + it.P2 / 2.0);
        const double ex = X + it.P1, ey = Y + it.P2;
        take(ex, ey, 1);
        m_FixedX = it.X;
        m_FixedY = it.Y;
        if (Dist(ex, ey, x, y) > Dist(X, Y, x, y)) {
            take(X, Y, 0);
            m_FixedX = ToLong(ex);
            m_FixedY = ToLong(ey);
        }
        m_HandleAngle = 0;
        break;
    }
    case kTriangle: {
        const DPoint a{X, Y}, b{X + it.P1, Y + it.P2}, c{X + it.P3, Y + it.P4};
        m_ItemPt0 = a;
        m_ItemPt1 = b;
        m_ItemPt2 = c;
        m_ItemPt3 = {(a.X + b.X) / 2, (a.Y + b.Y) / 2};
        take(a.X, a.Y, 0);
        double best = Dist(a.X, a.Y, x, y);
        const DPoint* pts[2] = {&b, &c};
        for (int i = 0; i < 2; ++i) {
            const double d = Dist(pts[i]->X, pts[i]->Y, x, y);
            if (d < best) {
                best = d;
                take(pts[i]->X, pts[i]->Y, i + 1);
            }
        }
        // The centroid as the meeting point of the medians from B and C.
        m_ItemCentreX = ToLong(a.X);
        m_ItemCentreY = ToLong(a.Y);
        const DPoint dB{(a.X + c.X) / 2 - b.X, (a.Y + c.Y) / 2 - b.Y};
        const DPoint dC{m_ItemPt3.X - c.X, m_ItemPt3.Y - c.Y};
        const double cross = dB.X * dC.Y - dB.Y * dC.X;
        if (cross != 0) {
            const double t = ((c.X - b.X) * dC.Y - (c.Y - b.Y) * dC.X) / cross;
            const int32_t cy = ToLong(b.Y + t * dB.Y);
            double cx;
            if (dB.Y != 0)
                cx = b.X + (cy - b.Y) * dB.X / dB.Y;
            else
                cx = c.X + (cy - c.Y) * dC.X / dC.Y;
            m_ItemCentreX = ToLong(cx);
            m_ItemCentreY = cy;
        }
        break;
    }
    case kRectangle:
    case kText: {
        double w = it.P1, h = it.P2;
        if (it.Kind == kText) {
            int32_t extent[2] = {0, 0};
            G_GetTextSize(g_SymbText.P1, g_SymbText.P2, static_cast<int32_t>(g_SymbItemText.size()), extent);
            w = extent[0];
            h = extent[1];
        }
        const double r = it.Angle / 1000.0 * g_DegToRad, r90 = (it.Angle / 1000.0 + 90) * g_DegToRad;
        const DPoint u{std::cos(r), std::sin(r)}, v{std::cos(r90), std::sin(r90)};
        const DPoint p0{X, Y};
        const DPoint p3{p0.X + h * v.X, p0.Y + h * v.Y};
        const DPoint p2{p3.X + w * u.X, p3.Y + w * u.Y};
        const DPoint p1{p0.X + w * u.X, p0.Y + w * u.Y};
        m_ItemPt0 = p0;
        m_ItemPt1 = p3;
        m_ItemPt2 = p2;
        m_ItemPt3 = p1;
        m_ItemCentreX = ToLong((p0.X + p2.X) / 2);
        m_ItemCentreY = ToLong((p0.Y + p2.Y) / 2);
        const float fw = static_cast<float>(w), fh = static_cast<float>(h);
        struct Candidate {
            DPoint pt, fixed;
            int32_t index;
            double angle;
        };
        const Candidate cands[4] = {{p0, p2, 0, 0.0},
                                    {p3, p1, 1, VectorAngle(0, fh)},
                                    {p2, p0, 2, VectorAngle(fw, fh)},
                                    {p1, p3, 3, VectorAngle(fw, 0)}};
        double best = 0;
        for (int i = 0; i < 4; ++i) {
            const double d = Dist(cands[i].pt.X, cands[i].pt.Y, x, y);
            if (i == 0 || d < best) {
                best = d;
                take(cands[i].pt.X, cands[i].pt.Y, cands[i].index);
                m_FixedX = ToLong(cands[i].fixed.X);
                m_FixedY = ToLong(cands[i].fixed.Y);
                m_HandleAngle = cands[i].angle;
            }
        }
        break;
    }
    case kCircle: {
        m_ItemCentreX = it.X;
        m_ItemCentreY = it.Y;
        const double a = VectorAngle(x - X, y - Y) * g_DegToRad;
        m_HandleX = ToLong(X + it.P1 * std::cos(a));
        m_HandleY = ToLong(Y + it.P1 * std::sin(a));
        break;
    }
    case kArc: {
        G_ArcNormalize(&it.P2, &it.P3);
        m_ItemCentreX = it.X;
        m_ItemCentreY = it.Y;
        const double a = it.P2 / 1000.0;
        double b = a + it.P3 / 1000.0;
        if (b > 360) b -= 360;
        const double R = it.P1;
        m_ItemPt0 = {X + R * std::cos(a * g_DegToRad), Y + R * std::sin(a * g_DegToRad)};
        m_ItemPt1 = {X + R * std::cos(b * g_DegToRad), Y + R * std::sin(b * g_DegToRad)};
        if (Dist(m_ItemPt1.X, m_ItemPt1.Y, x, y) > Dist(m_ItemPt0.X, m_ItemPt0.Y, x, y)) {
            take(m_ItemPt0.X, m_ItemPt0.Y, 0);
            m_FixedX = ToLong(m_ItemPt1.X);
            m_FixedY = ToLong(m_ItemPt1.Y);
            m_HandleAngle = 0;
        } else {
            take(m_ItemPt1.X, m_ItemPt1.Y, 1);
            m_FixedX = ToLong(m_ItemPt0.X);
            m_FixedY = ToLong(m_ItemPt0.Y);
            m_HandleAngle = b - a;
        }
        break;
    }
    default: break;
    }
    if (it.Kind == kCircle) {
        m_HandleOffX = 0;
        m_HandleOffY = 0;
    } else {
        m_HandleOffX = ToLong(static_cast<double>(m_HandleX) - it.X);
        m_HandleOffY = ToLong(static_cast<double>(m_HandleY) - it.Y);
    }
    m_HandleDist = static_cast<float>(VectorLength(m_HandleOffX, m_HandleOffY));
}

// Re-bases g_SymbItem so that its origin stays and the picked handle moves,
// and writes it back to its symbol.
void SCHMAIN::RebaseItemOnHandle()
{
    ItemRec& it = g_SymbItem;
    switch (g_SymbItemType) {
    case kLine:
        if (m_HandleIndex == 0) {
            it.X = m_FixedX;
            it.Y = m_FixedY;
            it.P1 = -it.P1;
            it.P2 = -it.P2;
        }
        break;
    case kTriangle:
        if (m_HandleIndex == 0) {
            m_ItemPt2 = {static_cast<double>(it.X) + it.P3, static_cast<double>(it.Y) + it.P4};
            it.X += it.P1;
            it.Y += it.P2;
            it.P1 = -it.P1;
            it.P2 = -it.P2;
            it.P3 = ToLong(m_ItemPt2.X - it.X);
            it.P4 = ToLong(m_ItemPt2.Y - it.Y);
        } else if (m_HandleIndex == 2) {
            std::swap(it.P1, it.P3);
            std::swap(it.P2, it.P4);
        }
        break;
    case kRectangle:
        if (m_HandleIndex == 0 || m_HandleIndex == 1 || m_HandleIndex == 3) {
            it.X = m_FixedX;
            it.Y = m_FixedY;
            if (m_HandleIndex != 3) it.P1 = -it.P1;
            if (m_HandleIndex != 1) it.P2 = -it.P2;
        }
        break;
    case kArc:
        G_ArcNormalize(&it.P2, &it.P3);
        break;
    default: break;
    }
    WriteSymbItem(g_CurSymb, g_SymbItemIdx, g_SymbItem);
}

// Reads the header record ("090,width,height") of a block file and sets up
// the block's box centred on the base point. Status 0 only when taken: a
// header needs its three fields and a box within twice the canvas range.
void SCHMAIN::ReadBlockHeader(int32_t& status, const std::string& fileName)
{
    int32_t file = 0;
    OpenTextFileIn(status, file, fileName);
    if (status != 0) return;
    std::string line;
    ReadTextLine(status, file, line);
    if (status != 0) {
        CloseTextFile(0, file, fileName);
        return;
    }
    status = 1;
    if (!line.empty()) {
        SplitFields(line);
        if (g_ArgNum(0) >= 3 && g_ArgNum(1) == 90 && std::fabs(g_ArgNum(2)) <= kBoxLimit &&
            std::fabs(g_ArgNum(3)) <= kBoxLimit) {
            m_BoxW = ToLong(g_ArgNum(2));
            m_BoxH = ToLong(g_ArgNum(3));
            m_BoxOrgX = ToLong(m_BaseX - m_BoxW / 2.0);
            m_BoxOrgY = ToLong(m_BaseY - m_BoxH / 2.0);
            m_Rotation = 0;
            m_BoxOrgAngle = VectorAngle(static_cast<double>(m_BoxOrgX) - m_BaseX, static_cast<double>(m_BoxOrgY) - m_BaseY);
            if (m_BoxOrgAngle >= 360) m_BoxOrgAngle -= 360;
            status = 0;
        }
    }
    CloseTextFile(0, file, fileName);
}

// The frame of one item of the symbol (four zeros when it has none).
void SCHMAIN::FrameSymbolItem(int32_t symbol, int32_t itemIndex, int32_t& x1, int32_t& y1, int32_t& x2, int32_t& y2)
{
    OA_MaskAll(S_SymbolItemArray(symbol), 0, 2048);
    const int32_t item = S_SymbolItem(symbol, itemIndex);
    O_Mask(item, 2048, 2048);
    int32_t rect[4] = {0, 0, 0, 0};
    if (S_FrameSymbolItems(symbol, 2048, rect) != 0) {
        x1 = rect[0];
        y1 = rect[1];
        x2 = rect[2];
        y2 = rect[3];
    } else {
        x1 = y1 = x2 = y2 = 0;
    }
    O_Mask(item, 0, 2048);
}

// Locks every unlocked schematic component whose name begins with the
// prefix (trimmed, at most 8 characters, compared exactly).
void SCHMAIN::LockCompsByPrefix(std::string& prefix)
{
    const std::string p = Trim(prefix).substr(0, 8);
    prefix = p;
    const int32_t map = DB_SchCompMap();
    int32_t pos = OM_GetFirst(map);
    for (;;) {
        const int32_t id = OM_SearchMask(map, &pos, 0, 32);
        if (id < 1) break;
        CompRec comp{};
        if (C_ReadComponent(id, &comp) == 0) continue;
        const std::string name = PtrToStr(comp.Name);
        if (name.size() >= p.size() && name.compare(0, p.size(), p) == 0) O_Mask(C_Component(id), 32, 32);
    }
}
