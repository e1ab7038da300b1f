// Finding the connected pieces of a net of 2,000 wire segments, and a split
// of one piece with the merge that undoes it, beside a plain union-find over
// the same segments written here (sort and sweep, no kernel calls).
#include "bench/kernel/bench_design.h"
#include "editor/objects/net_groups.h"
#include "editor/objects/net_split.h"
#include "editor/objects/net_text.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <numeric>
#include <vector>

namespace {

constexpr int kChains = 20;
constexpr int kChainWires = 100;  // 20 x 100 = 2,000 segments

int32_t g_net = 0;

// kChains chains of kChainWires wires joined by junctions; each chain starts
// at a pin of a component of its own; the chains do not touch.
void Design()
{
    if (g_net != 0) return;
    bench::NewDesign();
    const int32_t symbol = OM_FindName(DB_SymbMap(), "RES");
    S_AddEntry(symbol, "1", 0, 0, 0, 0, 0, 0);
    g_net = N_CreateNet(0, 1, "BIG");
    for (int c = 0; c < kChains; ++c) {
        const int32_t y = 100000 + c * 20000;
        const int32_t comp = C_CreateComponent(0, ("C" + std::to_string(c)).c_str(), 1, 0, symbol, 0, 0, y, 0);
        const int32_t node = N_CreateNode(g_net, 0, comp, 1, 0, 0);
        int32_t previous = 0;
        for (int w = 1; w <= kChainWires; ++w) {
            const int32_t next = J_CreateJunction(0, 3, w * 1000, y);
            const int32_t b = B_CreateBranch(0, 1, g_net);
            if (previous == 0) B_InsertRecord(b, -1, 3, node);
            else B_InsertRecord(b, -1, 4, previous);
            B_InsertRecord(b, -1, 4, next);
            previous = next;
        }
    }
}

struct Seg {
    int64_t x1, y1, x2, y2;
    int64_t minX, maxX, minY, maxY;
    int owner;
};

std::vector<Seg> ReadSegments()
{
    std::vector<Seg> segs;
    int owner = 0;
    int32_t cursor = OM_GetFirst(DB_BranchMap());
    while (const int32_t b = B_SearchNetPage(&cursor, 0, g_net, -1)) {
        BranchRec r{};
        B_ReadBranch(b, &r);
        for (int32_t i = 1; i < r.Points; ++i) {
            BranchPointRec p{}, q{};
            B_ReadRecord(b, i, &p);
            B_ReadRecord(b, i + 1, &q);
            segs.push_back({p.X, p.Y, q.X, q.Y, std::min(p.X, q.X), std::max(p.X, q.X), std::min(p.Y, q.Y),
                            std::max(p.Y, q.Y), owner});
        }
        ++owner;
    }
    return segs;
}

int64_t Cross(int64_t ax, int64_t ay, int64_t bx, int64_t by)
{
    return ax * by - ay * bx;
}

// Exact touch test of two segments (orientation signs).
bool Touch(const Seg& a, const Seg& b)
{
    auto side = [](int64_t px, int64_t py, int64_t qx, int64_t qy, int64_t rx, int64_t ry) {
        const int64_t v = Cross(qx - px, qy - py, rx - px, ry - py);
        return (v > 0) - (v < 0);
    };
    auto on = [](const Seg& s, int64_t x, int64_t y) {
        return x >= s.minX && x <= s.maxX && y >= s.minY && y <= s.maxY;
    };
    const int d1 = side(a.x1, a.y1, a.x2, a.y2, b.x1, b.y1), d2 = side(a.x1, a.y1, a.x2, a.y2, b.x2, b.y2);
    const int d3 = side(b.x1, b.y1, b.x2, b.y2, a.x1, a.y1), d4 = side(b.x1, b.y1, b.x2, b.y2, a.x2, a.y2);
    if (d1 * d2 < 0 && d3 * d4 < 0) return true;
    return (d1 == 0 && on(a, b.x1, b.y1)) || (d2 == 0 && on(a, b.x2, b.y2)) || (d3 == 0 && on(b, a.x1, a.y1)) ||
           (d4 == 0 && on(b, a.x2, a.y2));
}

int PlainUnionFind(std::vector<Seg> segs, int owners)
{
    std::vector<int> parent(static_cast<size_t>(owners));
    std::iota(parent.begin(), parent.end(), 0);
    auto find = [&parent](int i) {
        while (parent[static_cast<size_t>(i)] != i) i = parent[static_cast<size_t>(i)] = parent[static_cast<size_t>(parent[static_cast<size_t>(i)])];
        return i;
    };
    std::sort(segs.begin(), segs.end(), [](const Seg& a, const Seg& b) { return a.minX < b.minX; });
    for (size_t i = 0; i < segs.size(); ++i)
        for (size_t j = i + 1; j < segs.size() && segs[j].minX <= segs[i].maxX; ++j) {
            const Seg &a = segs[i], &b = segs[j];
            if (b.minY > a.maxY || a.minY > b.maxY) continue;
            const int ra = find(a.owner), rb = find(b.owner);
            if (ra != rb && Touch(a, b)) parent[static_cast<size_t>(ra)] = rb;
        }
    int groups = 0;
    for (int i = 0; i < owners; ++i) groups += find(i) == i;
    return groups;
}

void BM_PlainUnionFind(benchmark::State& state)
{
    Design();
    const std::vector<Seg> segs = ReadSegments();
    const int owners = segs.back().owner + 1;
    for (auto _ : state) benchmark::DoNotOptimize(PlainUnionFind(segs, owners));
    state.counters["segments"] = static_cast<double>(segs.size());
    state.counters["groups"] = PlainUnionFind(segs, owners);
}
BENCHMARK(BM_PlainUnionFind)->Unit(benchmark::kMillisecond);

void BM_GroupNetBranches(benchmark::State& state)
{
    Design();
    for (auto _ : state) {
        int32_t status = 0;
        GroupNetBranches(status, g_net);
        benchmark::DoNotOptimize(status);
    }
    state.counters["groups"] = g_NetGroupRefs(0).Ref;
}
BENCHMARK(BM_GroupNetBranches)->Unit(benchmark::kMillisecond);

// Regroups, splits the first piece off and merges it back.
void BM_SplitAndRegroup(benchmark::State& state)
{
    Design();
    g_NetEditFlags = 1;
    for (auto _ : state) {
        int32_t status = 0;
        GroupNetBranches(status, g_net);
        for (long r = 1; r <= g_NetGroupRefs.UBound(); ++r)
            if (g_NetGroupRefs(r).Group == 1 && g_NetGroupRefs(r).Kind == 2)
                O_Mask(N_Node(g_net, g_NetGroupRefs(r).Ref), 128, 128);
        int32_t newNet = 0;
        SplitNet(status, g_net, newNet, "PIECE", 1);
        if (status != 0) state.SkipWithError("split failed");
        MergeNets(status, g_net, newNet);
    }
}
BENCHMARK(BM_SplitAndRegroup)->Unit(benchmark::kMillisecond);

}  // namespace
