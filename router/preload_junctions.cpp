// Junction points of the preload: where wires of one net touch or cross, and
// where member nets touch their bus, both wires get a junction point and the
// connection groups merge.
#include "router/image.h"

namespace corvex {

namespace {

bool Beyond(int32_t d, int32_t x, int32_t y, int32_t q)
{
    switch (d) {
    case 0: return x < g_BPoints[q].x;
    case 2: return y < g_BPoints[q].y;
    case 4: return x > g_BPoints[q].x;
    case 6: return y > g_BPoints[q].y;
    default: return false;
    }
}

// Junction points at the common point(s) of segment S (p, p's next) of one
// wire and every segment of `other`.
int32_t JoinSegmentWithBranch(int32_t net, int32_t b, int32_t p, int32_t other)
{
    for (int32_t q = g_Branches[other].firstPoint; q && g_BPoints[q].next; q = g_BPoints[q].next) {
        const int32_t pn = g_BPoints[p].next, qn = g_BPoints[q].next;
        Seg s = SegOf(p, pn);
        NormaliseSeg(s);
        Seg t = SegOf(q, qn);
        const int32_t r = SegmentOverlap(s, t);
        if (r == 0) continue;
        if (g_Branches[other].group != g_Branches[b].group)
            ReplaceNodeGroup(net, g_Branches[b].group, g_Branches[other].group);
        const int32_t dT = SegmentDirection(SegOf(q, qn)), dS = SegmentDirection(SegOf(p, pn));
        if (!InsertJunctionPoint(dT, t.x1, t.y1, q, qn) || !InsertJunctionPoint(dS, t.x1, t.y1, p, pn)) return 0;
        if (r == 2 &&
            (!InsertJunctionPoint(dT, t.x2, t.y2, q, qn) || !InsertJunctionPoint(dS, t.x2, t.y2, p, pn)))
            return 0;
    }
    return 1;
}

}  // namespace

int32_t InsertJunctionPoint(int32_t d, int32_t x, int32_t y, int32_t start, int32_t end)
{
    const int32_t mark = g_BusJunctionMode ? kPointBusJunction : 0;
    for (int32_t q = start; q; q = g_BPoints[q].next) {
        if (g_BPoints[q].x == x && g_BPoints[q].y == y) {
            if (g_BPoints[q].flags & kPointNode)
                g_BPoints[q].flags |= mark;
            else
                g_BPoints[q].flags = kPointJunction | mark;
            return 1;
        }
        if (q == end) break;
    }
    for (int32_t q = start; q; q = g_BPoints[q].next) {
        if (Beyond(d, x, y, q)) {
            const int32_t p = NewBPoint();
            if (!p) return 0;
            const int32_t before = g_BPoints[q].prev;
            ScrBPointRec& np = g_BPoints[p];
            np.flags = kPointJunction | mark;
            np.x = x, np.y = y, np.branch = g_BPoints[q].branch, np.prev = before, np.next = q;
            g_BPoints[q].prev = p;
            if (before)
                g_BPoints[before].next = p;
            else
                g_Branches[g_BPoints[q].branch].firstPoint = p;
            return 1;
        }
        if (q == end) break;
    }
    return 1;
}

int32_t JoinBranchJunctions(int32_t b)
{
    const int32_t net = g_Branches[b].net;
    for (int32_t p = g_Branches[b].firstPoint; p && g_BPoints[p].next; p = g_BPoints[p].next)
        for (int32_t b2 = g_Branches[b].next; b2; b2 = g_Branches[b2].next) {
            if (g_Branches[b2].page != g_Branches[b].page) continue;
            if (!JoinSegmentWithBranch(net, b, p, b2)) return 0;
        }
    return 1;
}

int32_t JoinBranchWithNet(int32_t b)
{
    const int32_t net = g_Branches[b].net;
    for (int32_t p = g_Branches[b].firstPoint; p && g_BPoints[p].next; p = g_BPoints[p].next)
        for (int32_t b2 = g_Nets[net].firstBranch; b2; b2 = g_Branches[b2].next) {
            if (b2 == b || g_Branches[b2].page != g_Branches[b].page) continue;
            if (!JoinSegmentWithBranch(net, b, p, b2)) return 0;
        }
    return 1;
}

int32_t JoinNetJunctions(int32_t net)
{
    g_BusJunctionMode = 0;
    for (int32_t b = g_Nets[net].firstBranch; b; b = g_Branches[b].next)
        if (!JoinBranchJunctions(b)) return 0;
    return 1;
}

int32_t JoinBusJunctions(int32_t bus)
{
    g_BusJunctionMode = 1;
    const ScrNetRec busRec = g_Nets[bus];
    int32_t result = 1;
    for (int32_t B = busRec.firstBranch; B && result; B = g_Branches[B].next)
        for (int32_t p = g_Branches[B].firstPoint; p && g_BPoints[p].next && result; p = g_BPoints[p].next)
            for (int32_t m = busRec.firstNode; m && m < busRec.firstNode + busRec.nodeCount && result; ++m)
                for (int32_t W = g_Nets[m].firstBranch; W && result; W = g_Branches[W].next) {
                    if (g_Branches[W].page != g_Branches[B].page) continue;
                    // The merge happens in the member net: its wire joins the
                    // bus wire's group.
                    result = JoinSegmentWithBranch(m, B, p, W);
                }
    g_BusJunctionMode = 0;
    return result;
}

}  // namespace corvex
