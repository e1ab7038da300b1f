// Hit tests and queries on the page image: what lies under the cursor (a
// status text), the object a routing or deletion command picks, and the
// branches a block rectangle marks.
#include "router/corvex.h"
#include "router/route.h"

#include "platform/kernel/nvokernel32.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace corvex {

int32_t g_HitComp = 0, g_HitNode = 0, g_HitEntry = 0, g_HitEntryX = 0, g_HitEntryY = 0, g_HitBranch = 0,
        g_HitSegment = 0;

namespace {

constexpr int32_t kGrowStep = 12700, kTolerance = 88900, kPinReach = 63500;

int64_t Manhattan(int64_t ax, int64_t ay, int64_t bx, int64_t by) { return std::llabs(ax - bx) + std::llabs(ay - by); }

// The first component of the page whose body lies within a growing square.
int32_t FindComp(int32_t x, int32_t y)
{
    for (int32_t grow = 0; grow <= kTolerance; grow += kGrowStep) {
        const Seg box{x - grow, y - grow, x + grow, y + grow};
        int32_t found = 0;
        ForEachCellOfBox(box, [&](int32_t cell) {
            for (int32_t l = g_Cells[cell].firstComp; l && !found; l = g_CompLinks.rows[l].next) {
                const int32_t c = g_CompLinks.rows[l].value;
                if (g_Comps[c].page != g_ScrCurPage) continue;
                Seg b{};
                PlaceCompOutline(c, b);
                if (b.x1 <= box.x2 && box.x1 <= b.x2 && b.y1 <= box.y2 && box.y1 <= b.y2) found = c;
            }
            return found ? 0 : 1;
        });
        if (found) return found;
    }
    return 0;
}

void FindPin(int32_t x, int32_t y, int32_t comp)
{
    int64_t best = -1;
    for (int32_t i = 1; i <= g_Nodes.Count(); ++i) {
        const ScrNodeRec& n = g_Nodes[i];
        if (n.comp != comp || std::llabs(int64_t(n.x) - x) > kPinReach || std::llabs(int64_t(n.y) - y) > kPinReach)
            continue;
        const int64_t d = Manhattan(n.x, n.y, x, y);
        if (best < 0 || d < best) best = d, g_HitNode = i;
    }
    const ScrCompRec& c = g_Comps[comp];
    const ScrSymbRec& s = g_Symbs[c.symb];
    best = -1;
    for (int32_t e = 1; e <= s.entryCount; ++e) {
        int32_t ex = g_Entries[s.firstEntry + e - 1].x, ey = g_Entries[s.firstEntry + e - 1].y;
        RotatePoint(ex, ey, c.angle, c.attr & 1);
        ex += c.x, ey += c.y;
        if (std::llabs(int64_t(ex) - x) > kPinReach || std::llabs(int64_t(ey) - y) > kPinReach) continue;
        const int64_t d = Manhattan(ex, ey, x, y);
        if (best < 0 || d < best) best = d, g_HitEntry = e, g_HitEntryX = ex, g_HitEntryY = ey;
    }
}

// The unrouted pair whose ratsnest line passes nearest the point.
int32_t FindPair(int32_t x, int32_t y)
{
    const int32_t pg = FindPageIndex(g_ScrCurPage);
    int64_t best = -1;
    int32_t hit = 0;
    for (int32_t n = pg ? g_Pages[pg].firstPair : 0; n; n = g_Nodes[n].nextPair) {
        const ScrNodeRec& a = g_Nodes[n];
        const ScrNodeRec& b = g_Nodes[a.partner];
        if (a.group == b.group) continue;
        int64_t d = -1;
        if (a.x == b.x) {
            if (y >= std::min(a.y, b.y) && y <= std::max(a.y, b.y)) d = std::llabs(int64_t(x) - a.x);
        } else if (a.y == b.y) {
            if (x >= std::min(a.x, b.x) && x <= std::max(a.x, b.x)) d = std::llabs(int64_t(y) - a.y);
        } else if (x >= std::min(a.x, b.x) - kTolerance / 2 && x <= std::max(a.x, b.x) + kTolerance / 2 &&
                   y >= std::min(a.y, b.y) - kTolerance / 2 && y <= std::max(a.y, b.y) + kTolerance / 2) {
            const double dx = b.x - a.x, dy = b.y - a.y;
            const double dist = std::abs(dy * (x - a.x) - dx * (y - a.y)) / std::sqrt(dx * dx + dy * dy);
            if (dist <= kTolerance / 2.0) d = kTolerance / 2;
        }
        if (d >= 0 && d <= kTolerance && (best < 0 || d < best)) best = d, hit = n;
    }
    return hit;
}

}  // namespace

std::vector<int32_t> SegmentsAt(int32_t x, int32_t y, int32_t tolerance)
{
    std::vector<int32_t> out;
    if (!g_CellsPresent) return out;
    const Seg box{x - tolerance, y - tolerance, x + tolerance, y + tolerance};
    std::vector<int32_t> seen;
    ForEachCellOfBox(box, [&](int32_t cell) {
        for (int32_t l = g_Cells[cell].firstWire; l; l = g_WireLinks.rows[l].next) {
            const int32_t b = g_WireLinks.rows[l].value;
            if (!g_Branches[b].inUse || g_Branches[b].page != g_ScrCurPage) continue;
            if (std::find(seen.begin(), seen.end(), b) != seen.end()) continue;
            seen.push_back(b);
            for (int32_t p = g_Branches[b].firstPoint; p && g_BPoints[p].next; p = g_BPoints[p].next) {
                Seg s = SegOf(p, g_BPoints[p].next);
                NormaliseSeg(s);
                if (s.x1 <= box.x2 && box.x1 <= s.x2 && s.y1 <= box.y2 && box.y1 <= s.y2) out.push_back(p);
            }
        }
        return 1;
    });
    return out;
}

void HitTestPoint(int32_t x, int32_t y, int32_t bits, int32_t wireTolerance)
{
    g_HitComp = g_HitNode = g_HitEntry = g_HitEntryX = g_HitEntryY = g_HitBranch = g_HitSegment = 0;
    if (!g_CellsPresent || !InCoordSpace(x, y)) return;
    if (bits & 1) {
        const int32_t c = FindComp(x, y);
        if (c) {
            Seg b{};
            PlaceCompOutline(c, b);
            const bool deepInside = x > b.x1 + kPinReach && x < b.x2 - kPinReach && y > b.y1 + kPinReach &&
                                    y < b.y2 - kPinReach;
            const bool near = x >= b.x1 - kPinReach && x <= b.x2 + kPinReach && y >= b.y1 - kPinReach &&
                              y <= b.y2 + kPinReach;
            if (deepInside) {
                g_HitComp = c;
            } else if (near) {
                FindPin(x, y, c);
                if (g_HitNode || g_HitEntry) g_HitComp = c;
            }
        }
    }
    if (bits & 2) {
        for (int32_t grow = 0; grow <= wireTolerance && !g_HitSegment; grow += kGrowStep) {
            const auto segs = SegmentsAt(x, y, grow);
            if (!segs.empty()) g_HitSegment = segs.front(), g_HitBranch = g_BPoints[segs.front()].branch;
            if (wireTolerance == 0) break;
        }
    }
    if ((bits & 4) && !g_HitNode && (g_ViewStatus & 16)) g_HitNode = FindPair(x, y);
}

}  // namespace corvex

using namespace corvex;

int32_t SCR_QuestObstacle(const int32_t* point, char* msg, int32_t size) noexcept
{
    return Guarded(1920, 0, [&]() -> int32_t {
        if (!point || !msg || size <= 0) return Fail(1920, 5);
        msg[0] = 0;
        const int32_t pg = g_Pages.present ? FindPageIndex(g_ScrCurPage) : 0;
        if (!pg || !g_Nodes.present) return 1;
        const ScrPageRec& page = g_Pages[pg];
        const int32_t x = point[0], y = point[1];
        char text[256] = {};
        const double s = g_ScrScale;
        if (x < page.frameMinX || x > page.frameMaxX || y < page.frameMinY || y > page.frameMaxY) {
            std::snprintf(text, sizeof text, " Outside of format boundaries.");
        } else {
            HitTestPoint(x, y, 7);
            if (g_HitNode) {
                const ScrNodeRec& n = g_Nodes[g_HitNode];
                const bool member = g_Nets[n.net].flags & kNetMember;
                std::snprintf(text, sizeof text, member ? " Node: x=%.4f,y=%.4f. BusMember: \" %s \"" : " Node: x=%.4f,y=%.4f. Net: \" %s \". ",
                              n.x / s, n.y / s, NetName(n.net));
            } else if (g_HitComp) {
                const char* name = O_GetName(C_Component(g_Comps[g_HitComp].kernelId));
                const std::string copy = name ? name : "";
                if (g_HitEntry)
                    std::snprintf(text, sizeof text, " Entry: x=%.4f,y=%.4f of Component: \" %s \".", g_HitEntryX / s,
                                  g_HitEntryY / s, copy.c_str());
                else
                    std::snprintf(text, sizeof text, " Component: \" %s \".", copy.c_str());
            } else if (g_HitSegment) {
                const ScrBPointRec& a = g_BPoints[g_HitSegment];
                const ScrBPointRec& b = g_BPoints[a.next];
                const ScrBranchRec& br = g_Branches[g_HitBranch];
                const double x1 = a.x / s, y1 = a.y / s, x2 = b.x / s, y2 = b.y / s;
                if (br.flags == kBranchFrame)
                    std::snprintf(text, sizeof text, " Wire: (X %.4f; Y %.4f) / (X %.4f; Y %.4f). Page Outline. ", x1, y1, x2, y2);
                else if (br.flags & kBranchBus)
                    std::snprintf(text, sizeof text, " Bus: (X %.4f; Y %.4f) / (X %.4f; Y %.4f). Bus: \" %s \". ", x1, y1, x2,
                                  y2, NetName(br.net));
                else if (br.net > 0 && br.net <= g_Nets.Count() && (g_Nets[br.net].flags & kNetMember))
                    std::snprintf(text, sizeof text,
                                  " Wire: (#B = %d) (X %.4f; Y %.4f) / (X %.4f; Y %.4f). BusMember: \" %s \". ",
                                  g_HitBranch, x1, y1, x2, y2, NetName(br.net));
                else
                    std::snprintf(text, sizeof text, " Wire: (#B = %d) (X %.4f; Y %.4f) / (X %.4f; Y %.4f). Net: \" %s \".",
                                  g_HitBranch, x1, y1, x2, y2, NetName(br.net));
            }
        }
        if (std::strlen(text) < 100) AppendText(msg, size, text);
        return 1;
    });
}

int32_t SCR_QuestCommand(const int32_t* point, char* /*msg*/, int32_t code) noexcept
{
    return Guarded(1920, 0, [&]() -> int32_t {
        if (!point || code < 1 || code > 13 || (code >= 4 && code <= 10) || !g_Nodes.present) return 0;
        const int32_t x = point[0], y = point[1];
        switch (code) {
        case 1:
        case 11: {
            HitTestPoint(x, y, 3);
            // The pin's net; a member's pin (whose net is the bus's to route)
            // or no pin: the net of the wire hit there, unless it is a bus
            // wire or a frame.
            int32_t net = 0;
            if (g_HitNode && !(g_Nets[g_Nodes[g_HitNode].net].flags & kNetMember)) net = g_Nodes[g_HitNode].net;
            else if (g_HitBranch && ValidRoutedBranch(g_HitBranch) && !(g_Branches[g_HitBranch].flags & kBranchBus))
                net = g_Branches[g_HitBranch].net;
            if (net && code == 11) DrawNet(net, 2);
            return net;
        }
        case 2: HitTestPoint(x, y, 1); return g_HitComp;
        case 3: HitTestPoint(x, y, 5); return g_HitNode && g_Nodes[g_HitNode].partner ? g_HitNode : 0;
        case 12:
            HitTestPoint(x, y, 2);
            // Only the wires of nets: the page frame is not the router's to
            // delete.
            if (!ValidRoutedBranch(g_HitBranch)) return 0;
            DrawBranch(g_HitBranch, 2);
            return g_HitBranch;
        case 13:
            HitTestPoint(x, y, 2);
            if (!ValidRoutedBranch(g_HitBranch)) return 0;
            DrawSegment(g_HitSegment, 2);
            return g_HitSegment;
        }
        return 0;
    });
}

int32_t SCR_QuestBlok(const int32_t* corner1, const int32_t* corner2, int32_t /*ignored*/, int32_t code) noexcept
{
    return Guarded(1920, 0, [&]() -> int32_t {
        if (code == 4) return 1;
        if (code != 14 || !corner1 || !corner2) return 0;
        ClearBlockMarks();
        const int32_t pg = g_Pages.present ? FindPageIndex(g_ScrCurPage) : 0;
        if (!pg || !g_CellsPresent) return 0;
        const ScrPageRec& page = g_Pages[pg];
        Seg r{std::min(corner1[0], corner2[0]), std::min(corner1[1], corner2[1]), std::max(corner1[0], corner2[0]),
              std::max(corner1[1], corner2[1])};
        r = Seg{std::max(r.x1, page.frameMinX), std::max(r.y1, page.frameMinY), std::min(r.x2, page.frameMaxX),
                std::min(r.y2, page.frameMaxY)};
        if (r.x1 > r.x2 || r.y1 > r.y2) return 0;
        std::vector<int32_t> seen;
        bool full = false;
        ForEachCellOfBox(r, [&](int32_t cell) {
            for (int32_t l = g_Cells[cell].firstWire; l; l = g_WireLinks.rows[l].next) {
                const int32_t b = g_WireLinks.rows[l].value;
                if (std::find(seen.begin(), seen.end(), b) != seen.end()) continue;
                seen.push_back(b);
                if (!ValidRoutedBranch(b)) continue;
                for (int32_t p = g_Branches[b].firstPoint; p && g_BPoints[p].next; p = g_BPoints[p].next) {
                    Seg s = SegOf(p, g_BPoints[p].next);
                    NormaliseSeg(s);
                    if (s.x1 > r.x2 || r.x1 > s.x2 || s.y1 > r.y2 || r.y1 > s.y2) continue;
                    if (!g_BlockMarks.push_back(b)) {
                        full = true;
                        return 0;
                    }
                }
            }
            return 1;
        });
        if (full) {
            ClearBlockMarks();
            return Fail(1920, 5);
        }
        for (int32_t b : g_BlockMarks) DrawBranch(b, 2);
        return static_cast<int32_t>(g_BlockMarks.size());
    });
}
