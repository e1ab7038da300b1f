// Loading the router's page image of the bench design's page (10,000
// components, 5,000 two-pin nets, the level's 12,500 wires), beside a plain
// walk over the same kernel records.
#include "bench/kernel/bench_design.h"
#include "router/corvex.h"
#include "router/image.h"

#include <benchmark/benchmark.h>

namespace {

// The bench design with pins on its symbol and a net between each pair of
// neighbouring components.
void BuildRouterDesign()
{
    bench::NewDesign();
    S_AddEntry(1, "1", -300, 0, 0, 0, 0, 0);
    S_AddEntry(1, "2", 300, 0, 0, 0, 0, 0);
    bench::AddComponents();
    bench::AddWires();
    for (int i = 1; i < bench::kComponents; i += 2) {
        const int32_t net = N_CreateNet(0, 1, ("S" + std::to_string(i)).c_str());
        N_CreateNode(net, 0, i, 2, 0, 0);
        N_CreateNode(net, 0, i + 1, 1, 0, 0);
    }
}

struct Design {
    Design() { BuildRouterDesign(); }
};

void EnsureDesign()
{
    static Design design;
}

// The baseline: every record the load reads, read and summed.
int64_t PlainWalk(bool wires)
{
    int64_t sum = 0;
    const int32_t comps = DB_SchCompMap();
    int32_t cursor = OM_GetFirst(comps);
    for (int32_t id; (id = OM_SearchMask(comps, &cursor, 0, 0)) != 0;) {
        CompRec c{};
        C_ReadComponent(id, &c);
        sum += c.X + c.Symb;
        for (int32_t n = 1; C_CompText(id, n); ++n) ++sum;
    }
    SymbEntryRec e{};
    for (int32_t n = 1; S_ReadEntry(1, n, &e) == 1; ++n) sum += e.X;
    const int32_t nets = DB_NetMap();
    cursor = OM_GetFirst(nets);
    for (int32_t id; (id = OM_SearchMask(nets, &cursor, 0, 0)) != 0;) {
        NetRec n{};
        N_ReadNet(id, &n);
        const int32_t map = N_NodeMap(id);
        int32_t c2 = OM_GetFirst(map);
        for (int32_t node; (node = OM_SearchMask(map, &c2, 0, 0)) != 0;) {
            NodeRec r{};
            N_ReadNode(id, node, &r);
            sum += r.X;
        }
    }
    if (wires) {
        const int32_t branches = DB_BranchMap();
        cursor = OM_GetFirst(branches);
        for (int32_t id; (id = OM_SearchMask(branches, &cursor, 0, 0)) != 0;) {
            BranchRec br{};
            B_ReadBranch(id, &br);
            for (int32_t k = 1; k <= br.Points; ++k) {
                BranchPointRec rec{};
                B_ReadRecord(id, k, &rec);
                sum += rec.X;
            }
        }
    }
    return sum;
}

void BM_PlainWalkOfComponentsAndNets(benchmark::State& state)
{
    EnsureDesign();
    for (auto _ : state) benchmark::DoNotOptimize(PlainWalk(false));
}
BENCHMARK(BM_PlainWalkOfComponentsAndNets)->Unit(benchmark::kMillisecond);

void BM_LoadImage(benchmark::State& state)
{
    EnsureDesign();
    for (auto _ : state) {
        SCR_DBaseFree();
        if (!SCR_LoadComponentsAndSymbols()) state.SkipWithError("load failed");
    }
    state.counters["components"] = SCR_nComp();
    state.counters["nets"] = SCR_nNet();
    SCR_DBaseFree();
}
BENCHMARK(BM_LoadImage)->Unit(benchmark::kMillisecond);

void BM_PlainWalkWithWires(benchmark::State& state)
{
    EnsureDesign();
    for (auto _ : state) benchmark::DoNotOptimize(PlainWalk(true));
}
BENCHMARK(BM_PlainWalkWithWires)->Unit(benchmark::kMillisecond);

void BM_LoadImageFieldsAndPreload(benchmark::State& state)
{
    EnsureDesign();
    for (auto _ : state) {
        SCR_DBaseFree();
        if (!SCR_LoadComponentsAndSymbols() || !SCR_LoadFields() || !LD_PreLoadBranchesAndBPoints())
            state.SkipWithError("load failed");
    }
    SCR_DBaseFree();
}
BENCHMARK(BM_LoadImageFieldsAndPreload)->Unit(benchmark::kMillisecond);

}  // namespace
