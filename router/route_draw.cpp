// Drawing of the page image on the kernel's open drawing context: the
// whole page (pin marks, wires, junctions, ratsnest lines, page frame) and
// single branches, segments, nets and ratsnest lines in three modes
// (0 normal colours, 1 colour 15 for everything, 2 colour 6 highlight).
#include "router/corvex.h"
#include "router/route.h"

#include "platform/kernel/nvokernel32.h"

namespace corvex {

namespace {

constexpr int32_t kColBus = 7, kColWire = 10, kColJunction = 11, kColPin = 13, kColFrame = 14, kColRats = 15;

int32_t ModeColour(int32_t mode, int32_t normal) { return mode == 1 ? 15 : mode == 2 ? 6 : normal; }

bool IsBusBranch(int32_t b)
{
    const ScrBranchRec& r = g_Branches[b];
    if (r.flags & kBranchBus) return true;
    return r.net > 0 && r.net <= g_Nets.Count() && r.flags != kBranchFrame && (g_Nets[r.net].flags & kNetBus);
}

void BranchPen(int32_t b, int32_t mode)
{
    const bool bus = IsBusBranch(b);
    SetPen(ModeColour(mode, g_CatColors[bus ? kColBus : kColWire]), 0, bus ? 10 : 1);
}

bool OnPage(int32_t comp) { return comp > 0 && comp <= g_Comps.Count() && g_Comps[comp].page == g_ScrCurPage; }

bool Valid(int32_t b) { return b > 0 && b <= g_Branches.capacity && g_Branches[b].inUse; }

}  // namespace

void SetPen(int32_t colour, int32_t style, int32_t width)
{
    G_SetColor(colour);
    G_SetWidth(width);
    G_SetStyle(style);
}

void DrawJunction(int32_t x, int32_t y) { G_Rectangle(x - 25400, y - 25400, 50800, 50800, 0); }

void DrawPinMark(int32_t x, int32_t y)
{
    G_SetStyle(0);
    G_SetWidth(1);
    G_MoveTo(x - 50800, y - 50800);
    G_LineTo(x - 50800, y + 50800);
    G_LineTo(x + 50800, y + 50800);
    G_LineTo(x + 50800, y - 50800);
    G_LineTo(x - 50800, y - 50800);
}

void DrawBranch(int32_t b, int32_t mode)
{
    if (!Valid(b)) return;
    BranchPen(b, mode);
    for (int32_t p = g_Branches[b].firstPoint; p && g_BPoints[p].next; p = g_BPoints[p].next) {
        const int32_t q = g_BPoints[p].next;
        G_Line(g_BPoints[p].x, g_BPoints[p].y, g_BPoints[q].x, g_BPoints[q].y);
    }
    SetPen(ModeColour(mode, g_CatColors[kColJunction]), 16, 0);
    for (int32_t p = g_Branches[b].firstPoint; p; p = g_BPoints[p].next)
        if ((g_BPoints[p].flags & kPointJunction) && !(g_BPoints[p].flags & kPointNode))
            DrawJunction(g_BPoints[p].x, g_BPoints[p].y);
}

void DrawSegment(int32_t p, int32_t mode)
{
    if (p <= 0 || p > g_BPoints.capacity || !g_BPoints[p].inUse || !g_BPoints[p].next) return;
    const int32_t q = g_BPoints[p].next;
    BranchPen(g_BPoints[p].branch, mode);
    G_Line(g_BPoints[p].x, g_BPoints[p].y, g_BPoints[q].x, g_BPoints[q].y);
    SetPen(mode == 0 ? g_CatColors[kColJunction] : 15, 16, 0);
    for (int32_t e : {p, q})
        if (g_BPoints[e].flags & kPointJunction) DrawJunction(g_BPoints[e].x, g_BPoints[e].y);
}

void DrawNet(int32_t net, int32_t mode)
{
    if (net <= 0 || net > g_Nets.Count()) return;
    for (int32_t b = g_Nets[net].firstBranch; b; b = g_Branches[b].next)
        if (g_Branches[b].page == g_ScrCurPage) DrawBranch(b, mode);
}

namespace {

void RatsnestLine(int32_t node)
{
    const ScrNodeRec& n = g_Nodes[node];
    const ScrNodeRec& p = g_Nodes[n.partner];
    G_MoveTo(n.x, n.y);
    G_LineTo(p.x, p.y);
}

}  // namespace

void DrawNetRatsnest(int32_t net, int32_t mode)
{
    if (net <= 0 || net > g_Nets.Count() || (g_Nets[net].flags & kNetBus)) return;
    SetPen(ModeColour(mode, g_CatColors[kColRats]), 2, 0);
    const ScrNetRec& n = g_Nets[net];
    for (int32_t i = 0; i < n.nodeCount; ++i) {
        const int32_t node = n.firstNode + i;
        const ScrNodeRec& r = g_Nodes[node];
        if (OnPage(r.comp) && r.partner && g_Nodes[r.partner].group != r.group) RatsnestLine(node);
    }
}

void DrawNodeRatsnest(int32_t node, int32_t mode)
{
    if (node <= 0 || node > g_Nodes.Count() || !g_Nodes[node].partner) return;
    if (mode == 0 && g_Nodes[g_Nodes[node].partner].group == g_Nodes[node].group) return;
    SetPen(ModeColour(mode, g_CatColors[kColRats]), 2, 0);
    RatsnestLine(node);
}

}  // namespace corvex

using namespace corvex;

int32_t SCR_RedrawPage() noexcept
{
    return Guarded(1360, 0, []() -> int32_t {
        if (!g_Comps.present) return 0;
        if (!g_ImageComplete) return 1;
        const int32_t nets = g_Nets.Count();
        for (int32_t n = g_BusCount + 1; n <= nets; ++n) {
            const ScrNetRec& net = g_Nets[n];
            if (net.flags & (kNetBus | kNetMember)) continue;
            SetPen(g_CatColors[kColPin], 0, 1);
            if (!(g_ViewStatus & 4)) continue;
            for (int32_t i = 0; i < net.nodeCount; ++i) {
                const ScrNodeRec& r = g_Nodes[net.firstNode + i];
                if (OnPage(r.comp)) DrawPinMark(r.x, r.y);
            }
        }
        for (int32_t n = 1; n <= nets; ++n)
            for (int32_t b = g_Nets[n].firstBranch; b; b = g_Branches[b].next)
                if (g_Branches[b].page == g_ScrCurPage) DrawBranch(b, 0);
        if (g_ViewStatus & 16) {
            SetPen(g_CatColors[kColRats], 2, 0);
            for (int32_t n = g_BusCount + 1; n <= nets; ++n) {
                const ScrNetRec& net = g_Nets[n];
                if (net.flags & (kNetBus | kNetMember)) continue;
                for (int32_t i = 0; i < net.nodeCount; ++i) {
                    const ScrNodeRec& r = g_Nodes[net.firstNode + i];
                    if (OnPage(r.comp) && r.partner && g_Nodes[r.partner].group != r.group)
                        RatsnestLine(net.firstNode + i);
                }
            }
        }
        if (g_ViewStatus & 8) {
            const int32_t pg = FindPageIndex(g_ScrCurPage);
            const int32_t frame = pg ? g_Pages[pg].frameBranch : 0;
            if (Valid(frame)) {
                SetPen(g_CatColors[kColFrame], 0, 1);
                for (int32_t p = g_Branches[frame].firstPoint; p && g_BPoints[p].next; p = g_BPoints[p].next) {
                    const int32_t q = g_BPoints[p].next;
                    G_Line(g_BPoints[p].x, g_BPoints[p].y, g_BPoints[q].x, g_BPoints[q].y);
                }
            }
        }
        return 1;
    });
}

int32_t SCR_DrawOneBranch(int32_t branch, int32_t mode) noexcept
{
    return Guarded(1360, 0, [&]() -> int32_t {
        if (!g_Branches.present || !Valid(branch)) return 0;
        DrawBranch(branch, mode);
        return 1;
    });
}

int32_t SCR_DrawOneSegment(int32_t point, int32_t mode) noexcept
{
    return Guarded(1360, 0, [&]() -> int32_t {
        if (!g_BPoints.present || point <= 0 || point > g_BPoints.capacity || !g_BPoints[point].inUse) return 0;
        DrawSegment(point, mode);
        return 1;
    });
}

int32_t SCR_DrawOneNet(int32_t net, int32_t mode) noexcept
{
    return Guarded(1360, 0, [&]() -> int32_t {
        if (!g_Nets.present || net <= 0 || net > g_Nets.Count()) return 0;
        DrawNet(net, mode);
        return 1;
    });
}

int32_t SCR_DrawBranchesMarkedToDelete(int32_t mode) noexcept
{
    return Guarded(1360, 0, [&]() -> int32_t {
        for (int32_t b : g_BlockMarks)
            if (ValidRoutedBranch(b)) DrawBranch(b, mode);
        return 1;
    });
}
