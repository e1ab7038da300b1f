// Clean-up across branches: wires that run back over themselves are split
// into branches that meet at junction points, and branches of one net that
// continue each other are joined.
#include "router/image.h"

#include <cstdlib>
#include <vector>

namespace corvex {

namespace {

bool SamePos(int32_t p, int32_t q)
{
    return g_BPoints[p].x == g_BPoints[q].x && g_BPoints[p].y == g_BPoints[q].y;
}

int32_t Distance(int32_t p, int32_t q)
{
    return std::abs(g_BPoints[p].x - g_BPoints[q].x) + std::abs(g_BPoints[p].y - g_BPoints[q].y);
}

// A new branch cut from `from`, linked right after it in its net's chain.
int32_t CutBranch(int32_t from, int32_t firstPoint)
{
    const int32_t nb = NewBranch();
    if (!nb) return 0;
    const ScrBranchRec src = g_Branches[from];
    ScrBranchRec& r = g_Branches[nb];
    r.flags = src.flags;
    r.net = src.net;
    r.page = src.page;
    r.group = src.group;
    r.firstPoint = firstPoint;
    r.next = src.next;
    g_Branches[from].next = nb;
    if (firstPoint) g_BPoints[firstPoint].prev = 0;
    SetPointsBranch(nb);
    return nb;
}

// A junction point at the position of `at`, not yet linked.
int32_t JunctionPointAt(int32_t at, int32_t branch)
{
    const int32_t x = g_BPoints[at].x, y = g_BPoints[at].y;
    const int32_t j = NewBPoint();
    if (!j) return 0;
    g_BPoints[j].flags = kPointJunction;
    g_BPoints[j].x = x;
    g_BPoints[j].y = y;
    g_BPoints[j].branch = branch;
    return j;
}

void Link(int32_t a, int32_t b)
{
    if (a) g_BPoints[a].next = b;
    if (b) g_BPoints[b].prev = a;
}

void AddJunctionFlag(int32_t p)
{
    if (!(g_BPoints[p].flags & kPointNode)) g_BPoints[p].flags |= kPointJunction;
}

// One fold of `branch` at `fold`; `resume` is where the search goes on.
// New branches are appended to `work`. 0 when no record can be taken.
int32_t SplitAtFold(int32_t branch, int32_t fold, int32_t& resume, std::vector<int32_t>& work)
{
    int32_t b = fold, f = fold;
    while (PrevBPoint(b) && NextBPoint(f) && SamePos(PrevBPoint(b), NextBPoint(f))) {
        b = PrevBPoint(b);
        f = NextBPoint(f);
    }
    const int32_t bn = PrevBPoint(b), fn = NextBPoint(f);
    if (!bn) {  // the start is retraced: the branch begins at the fold
        FreePointRun(g_Branches[branch].firstPoint, fold);
        g_Branches[branch].firstPoint = fold;
        g_BPoints[fold].prev = 0;
        resume = fold;
        return 1;
    }
    if (!fn) {  // the end is retraced: the branch ends at the fold
        FreePointRun(NextBPoint(fold), 0);
        g_BPoints[fold].next = 0;
        resume = 0;
        return 1;
    }
    const int32_t mx = g_BPoints[b].x, my = g_BPoints[b].y;
    if (!StubTurnsAway(mx, my, g_BPoints[bn].x, g_BPoints[bn].y, g_BPoints[fn].x, g_BPoints[fn].y)) {
        if (b == fold) {
            // Parted right at the fold: the branch ends with a junction point
            // there and the fold point begins a new branch with the rest.
            const int32_t j = JunctionPointAt(fold, branch);
            if (!j) return 0;
            g_BPoints[j].flags = g_BPoints[fold].flags | kPointJunction;
            Link(bn, j);
            g_BPoints[j].next = 0;
            AddJunctionFlag(fold);
            const int32_t nb = CutBranch(branch, fold);
            if (!nb) return 0;
            work.push_back(nb);
            resume = 0;
            return 1;
        }
        // A stub went out and came back: the branch runs on through a
        // junction point at the meeting position, the stub becomes a branch.
        const int32_t j = JunctionPointAt(b, branch);
        if (!j) return 0;
        FreePointRun(b, fold);
        Link(bn, j);
        Link(j, fn);
        g_BPoints[f].next = 0;
        AddJunctionFlag(f);
        const int32_t nb = CutBranch(branch, fold);
        if (!nb) return 0;
        work.push_back(nb);
        resume = j;
        return 1;
    }
    // The runs go on the same way for unequal lengths.
    const bool backShorter = Distance(b, bn) < Distance(f, fn);
    if (backShorter && bn == g_Branches[branch].firstPoint) {
        FreePointRun(bn, fold);
        g_Branches[branch].firstPoint = fold;
        g_BPoints[fold].prev = 0;
        resume = fold;
        return 1;
    }
    if (!backShorter && NextBPoint(fn) == 0) {
        FreePointRun(NextBPoint(fold), 0);
        g_BPoints[fold].next = 0;
        resume = 0;
        return 1;
    }
    const int32_t end = backShorter ? bn : fn;
    const int32_t j = JunctionPointAt(end, branch);
    if (!j) return 0;
    FreePointRun(b, fold);
    Link(bn, fn);
    AddJunctionFlag(end);
    Link(f, j);
    g_BPoints[j].next = 0;
    const int32_t nb = CutBranch(branch, fold);
    if (!nb) return 0;
    work.push_back(nb);
    resume = end;
    return 1;
}

int32_t SplitOne(int32_t branch, std::vector<int32_t>& work)
{
    int32_t from = g_Branches[branch].firstPoint;
    // Every split frees or moves points, so the number of folds is bounded
    // by the points; the guard only keeps a damaged chain from looping.
    for (int32_t guard = 4 * BranchPointCount(branch) + 8; from && guard > 0; --guard) {
        const int32_t fold = FindFoldPoint(from);
        if (!fold) return 1;
        int32_t resume = 0;
        if (!SplitAtFold(branch, fold, resume, work)) return 0;
        from = resume;
    }
    return 1;
}

void ReversePoints(int32_t b)
{
    int32_t p = g_Branches[b].firstPoint, last = 0;
    while (p) {
        const int32_t next = g_BPoints[p].next;
        std::swap(g_BPoints[p].next, g_BPoints[p].prev);
        last = p;
        p = next;
    }
    g_Branches[b].firstPoint = last;
}

}  // namespace

int32_t FindFoldPoint(int32_t point)
{
    for (int32_t p = point; p;) {
        const int32_t q = NextBPoint(p);
        const int32_t r = NextBPoint(q);
        if (!q || !r) return 0;
        const int32_t d1 = SegmentDirection(SegOf(p, q)), d2 = SegmentDirection(SegOf(r, q));
        if ((d1 == d2 && d1 != 9) || (g_BPoints[q].flags & kPointNode)) return q;
        p = q;
    }
    return 0;
}

void SetPointsBranch(int32_t branch)
{
    for (int32_t p = g_Branches[branch].firstPoint; p; p = g_BPoints[p].next) g_BPoints[p].branch = branch;
}

void FreePointRun(int32_t from, int32_t to)
{
    while (from && from != to) {
        const int32_t next = g_BPoints[from].next;
        FreeBPoint(from);
        from = next;
    }
}

int32_t SplitBranchAtOverlaps(int32_t branch)
{
    if (branch <= 0 || !g_Branches[branch].inUse) return 0;
    std::vector<int32_t> work{branch};
    while (!work.empty()) {
        const int32_t b = work.back();
        work.pop_back();
        if (!SplitOne(b, work)) return 0;
    }
    return 1;
}

int32_t JoinNetBranches(int32_t net)
{
    // The last point of each wire, kept while it stays the last one: the
    // loop compares every pair of the net's wires, and walking a wire to its
    // end for each pair made a large net's joins quadratic in its points.
    static std::vector<int32_t> lastOf;
    auto last = [](int32_t b) {
        if (size_t(b) >= lastOf.size()) lastOf.resize(size_t(b) + 1, 0);
        const int32_t p = lastOf[size_t(b)];
        if (p > 0 && size_t(p) < g_BPoints.rows.size() && g_BPoints[p].inUse && g_BPoints[p].branch == b && !g_BPoints[p].next)
            return p;
        return lastOf[size_t(b)] = LastBPoint(b);
    };
    for (int32_t b1 = g_Nets[net].firstBranch; b1; b1 = g_Branches[b1].next) {
        int32_t b2 = g_Branches[b1].next;
        while (b2) {
            const int32_t after = g_Branches[b2].next;
            if (g_Branches[b2].page != g_Branches[b1].page || !g_Branches[b1].firstPoint ||
                !g_Branches[b2].firstPoint) {
                b2 = after;
                continue;
            }
            const int32_t f1 = g_Branches[b1].firstPoint, l1 = last(b1);
            const int32_t f2 = g_Branches[b2].firstPoint, l2 = last(b2);
            int32_t kase = 0;
            if (SamePos(f1, f2)) kase = 1;
            else if (SamePos(f1, l2)) kase = 2;
            else if (SamePos(l1, f2)) kase = 3;
            else if (SamePos(l1, l2)) kase = 4;
            if (!kase || f1 == l1 || f2 == l2) {
                b2 = after;
                continue;
            }
            if (g_Branches[b1].group != g_Branches[b2].group)
                ReplaceNodeGroup(net, g_Branches[b1].group, g_Branches[b2].group);
            const int32_t m1 = kase <= 2 ? f1 : l1, m2 = (kase == 1 || kase == 3) ? f2 : l2;
            const int32_t n1 = kase <= 2 ? NextBPoint(f1) : PrevBPoint(l1);
            const int32_t n2 = (kase == 1 || kase == 3) ? NextBPoint(f2) : PrevBPoint(l2);
            if ((g_BPoints[m2].flags & kPointNode) &&
                !StubTurnsAway(g_BPoints[m1].x, g_BPoints[m1].y, g_BPoints[n1].x, g_BPoints[n1].y,
                               g_BPoints[n2].x, g_BPoints[n2].y)) {
                b2 = after;
                continue;
            }
            // b1 runs on into b2: b2 is put in the order that continues b1.
            if (kase == 1 || kase == 4) ReversePoints(b2);
            const int32_t first2 = g_Branches[b2].firstPoint, last2 = LastBPoint(b2);
            if (kase <= 2) {  // b2 comes before b1, its last point is the duplicate
                const int32_t before = PrevBPoint(last2);
                FreeBPoint(last2);
                Link(before, f1);
                g_Branches[b1].firstPoint = first2;
            } else {  // b2 comes after b1, its first point is the duplicate
                const int32_t second = NextBPoint(first2);
                FreeBPoint(first2);
                Link(l1, second);
            }
            g_BPoints[m1].flags = (g_BPoints[m1].flags | kPointPlain) & ~kPointJunction;
            g_Branches[b2].firstPoint = 0;
            // Unlink b2 from the chain and free it.
            int32_t prev = b1;
            while (prev && g_Branches[prev].next != b2) prev = g_Branches[prev].next;
            if (prev) g_Branches[prev].next = after;
            FreeBranch(b2);
            SetPointsBranch(b1);
            if (!SplitBranchAtOverlaps(b1)) return 0;
            b2 = after;
        }
    }
    return 1;
}

}  // namespace corvex
