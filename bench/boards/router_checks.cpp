#include "bench/boards/router_checks.h"

#include "router/route.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

using namespace corvex;

namespace corvex_check {

namespace {

struct S {
    int32_t x1, y1, x2, y2, branch, net;
};

std::vector<S> NetSegments()
{
    std::vector<S> out;
    for (int32_t n = 1; n <= g_Nets.Count(); ++n)
        for (int32_t b = g_Nets[n].firstBranch; b; b = g_Branches[b].next) {
            if (g_Branches[b].page != g_ScrCurPage) continue;
            for (int32_t p = g_Branches[b].firstPoint; p && g_BPoints[p].next; p = g_BPoints[p].next) {
                Seg s = SegOf(p, g_BPoints[p].next);
                NormaliseSeg(s);
                out.push_back(S{s.x1, s.y1, s.x2, s.y2, b, n});
            }
        }
    return out;
}

bool NodeOfNetAtBranch(int32_t comp, int32_t net, int32_t branch)
{
    const ScrNetRec& n = g_Nets[net];
    if (n.flags & kNetBus) return false;
    for (int32_t i = 0; i < n.nodeCount; ++i) {
        const ScrNodeRec& node = g_Nodes[n.firstNode + i];
        if (node.comp != comp) continue;
        for (int32_t p = g_Branches[branch].firstPoint; p; p = g_BPoints[p].next)
            if (g_BPoints[p].x == node.x && g_BPoints[p].y == node.y) return true;
    }
    return false;
}

}  // namespace

WireStats Measure(std::string* detail)
{
    auto note = [&](const char* what, const S& a, const S* b, int32_t comp) {
        if (!detail) return;
        char line[200];
        std::snprintf(line, sizeof line, "%s: net %d (%d %d)-(%d %d)", what, a.net, a.x1, a.y1, a.x2, a.y2);
        *detail += line;
        if (b) std::snprintf(line, sizeof line, " net %d (%d %d)-(%d %d)", b->net, b->x1, b->y1, b->x2, b->y2), *detail += line;
        if (comp) *detail += " component " + std::to_string(comp);
        *detail += "\n";
    };
    WireStats w;
    const auto segs = NetSegments();
    const int64_t step = g_StepSize, half = step / 2;
    for (int32_t n = 1; n <= g_Nets.Count(); ++n)
        for (int32_t b = g_Nets[n].firstBranch; b; b = g_Branches[b].next) {
            if (g_Branches[b].page != g_ScrCurPage) continue;
            ++w.branches;
            for (int32_t p = g_Branches[b].firstPoint; p; p = g_BPoints[p].next) {
                const int32_t q = g_BPoints[p].next, r = q ? g_BPoints[q].next : 0;
                if (q) w.length += std::llabs(int64_t(g_BPoints[q].x) - g_BPoints[p].x) +
                                   std::llabs(int64_t(g_BPoints[q].y) - g_BPoints[p].y);
                if (r && SegmentDirection(SegOf(p, q)) != SegmentDirection(SegOf(q, r))) ++w.bends;
            }
        }
    for (const S& s : segs) {
        // Bodies: a wire keeps half a step from every body but those of the
        // pins it stands on.
        for (int32_t c = 1; c <= g_Comps.Count(); ++c) {
            if (g_Comps[c].page != g_ScrCurPage || NodeOfNetAtBranch(c, s.net, s.branch)) continue;
            const Seg b = CompBody(c, 0);
            if (b.x1 - half < s.x2 && s.x1 < b.x2 + half && b.y1 - half < s.y2 && s.y1 < b.y2 + half)
                ++w.violations, note("body", s, nullptr, c);
        }
    }
    for (size_t i = 0; i < segs.size(); ++i)
        for (size_t j = i + 1; j < segs.size(); ++j) {
            const S& a = segs[i];
            const S& b = segs[j];
            if (a.net == b.net) continue;
            const bool ah = a.y1 == a.y2, bh = b.y1 == b.y2;
            if (ah == bh) {
                const int64_t gap = ah ? std::llabs(int64_t(a.y1) - b.y1) : std::llabs(int64_t(a.x1) - b.x1);
                const int64_t alo = ah ? a.x1 : a.y1, ahi = ah ? a.x2 : a.y2, blo = ah ? b.x1 : b.y1, bhi = ah ? b.x2 : b.y2;
                if ((gap == 0 && alo <= bhi && blo <= ahi) || (gap > 0 && gap < step && alo < bhi && blo < ahi))
                    ++w.violations, note("parallel", a, &b, 0);
                continue;
            }
            const S& h = ah ? a : b;
            const S& v = ah ? b : a;
            if (v.x1 < h.x1 || v.x1 > h.x2 || h.y1 < v.y1 || h.y1 > v.y2) continue;
            if (v.x1 == h.x1 || v.x1 == h.x2 || h.y1 == v.y1 || h.y1 == v.y2)
                ++w.violations, note("touch", a, &b, 0);
            else
                ++w.crossings;
        }
    const int32_t pg = FindPageIndex(g_ScrCurPage);
    for (int32_t n = pg ? g_Pages[pg].firstPair : 0; n; n = g_Nodes[n].nextPair) {
        ++w.pairs;
        if (g_Nodes[n].group == g_Nodes[g_Nodes[n].partner].group) ++w.connected;
    }
    return w;
}

std::string Consistency()
{
    for (int32_t n = 1; n <= g_Nets.Count(); ++n) {
        int32_t guard = 0;
        for (int32_t b = g_Nets[n].firstBranch; b; b = g_Branches[b].next) {
            if (++guard > 100000) return "branch chain loops";
            const ScrBranchRec& r = g_Branches[b];
            if (!r.inUse) return "freed branch in a chain";
            if (r.net != n) return "branch with a wrong net";
            int32_t prev = 0, count = 0;
            for (int32_t p = r.firstPoint; p; prev = p, p = g_BPoints[p].next) {
                if (++count > 100000) return "point chain loops";
                if (!g_BPoints[p].inUse) return "freed point in a branch";
                if (g_BPoints[p].prev != prev) return "point with a wrong back link";
                if (g_BPoints[p].branch != b) return "point with a wrong branch";
                if (prev && g_BPoints[prev].x != g_BPoints[p].x && g_BPoints[prev].y != g_BPoints[p].y)
                    return "slanted segment";
            }
            if (count < 2) return "branch with fewer than two points";
            if (r.page != g_ScrCurPage || !g_CellsPresent) continue;
            for (int32_t p = r.firstPoint; g_BPoints[p].next; p = g_BPoints[p].next) {
                Seg s = SegOf(p, g_BPoints[p].next);
                NormaliseSeg(s);
                bool listed = true;
                ForEachCellOfBox(s, [&](int32_t cell) {
                    bool here = false;
                    for (int32_t l = g_Cells[cell].firstWire; l; l = g_WireLinks.rows[l].next)
                        here = here || g_WireLinks.rows[l].value == b;
                    listed = listed && here;
                    return 1;
                });
                if (!listed) return "branch missing from the field grid";
            }
        }
    }
    return "";
}

uint64_t ImageHash()
{
    uint64_t h = 1469598103934665603ULL;
    auto mix = [&](int64_t v) {
        h ^= static_cast<uint64_t>(v);
        h *= 1099511628211ULL;
    };
    for (int32_t n = 1; n <= g_Nets.Count(); ++n) {
        mix(n);
        for (int32_t b = g_Nets[n].firstBranch; b; b = g_Branches[b].next) {
            mix(g_Branches[b].group);
            for (int32_t p = g_Branches[b].firstPoint; p; p = g_BPoints[p].next) {
                mix(g_BPoints[p].x);
                mix(g_BPoints[p].y);
                mix(g_BPoints[p].flags);
            }
        }
    }
    for (int32_t i = 1; i <= g_Nodes.Count(); ++i) mix(g_Nodes[i].group);
    return h;
}

}  // namespace corvex_check
