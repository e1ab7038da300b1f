// The integrity check on the kernel benchmarks' design (10,000 components,
// 12,500 wires on the checked level) with 5,000 two-pin nets added, beside
// the floor: a plain walk that reads every net, node, entry, trace and wire
// record once with the kernel calls the check is built on.
#include "bench/kernel/bench_design.h"
#include "editor/objects/integrity.h"
#include "editor/shell/curpos.h"

#include <benchmark/benchmark.h>

namespace {

void Design()
{
    static bool built = false;
    if (built) return;
    bench::NewDesign();
    S_AddEntry(1, "1", -1000, 0, 0, 0, 0, 0);
    S_AddEntry(1, "2", 1000, 0, 0, 0, 0, 0);
    bench::AddComponents();
    bench::AddWires();
    for (int i = 1; i <= bench::kComponents / 2; ++i) {
        const int32_t net = N_CreateNet(0, 1, ("S" + std::to_string(i)).c_str());
        N_CreateNode(net, 0, 2 * i - 1, 2, 0, 0);
        N_CreateNode(net, 0, 2 * i, 1, 0, 0);
    }
    g_CurHier = 1;
    built = true;
}

void BM_PlainWalk(benchmark::State& state)
{
    Design();
    for (auto _ : state) {
        int64_t seen = 0;
        const int32_t nets = DB_NetMap();
        int32_t cursor = OM_GetFirst(nets);
        while (const int32_t net = OM_SearchMask(nets, &cursor, 0, 0)) {
            benchmark::DoNotOptimize(O_GetName(N_Net(net)));
            const int32_t nodes = N_NodeMap(net);
            int32_t nodeCursor = OM_GetFirst(nodes);
            while (const int32_t node = OM_SearchMask(nodes, &nodeCursor, 0, 0)) {
                NodeRec rec{};
                EntryRec entry{};
                N_ReadNode(net, node, &rec);
                seen += C_Component(rec.Comp) != 0;
                seen += C_ReadEntry(rec.Comp, rec.Entry, &entry);
                seen += L_Component(rec.LayComp) != 0;
            }
        }
        const int32_t traces = DB_TraceMap();
        cursor = OM_GetFirst(traces);
        while (const int32_t trace = OM_SearchMask(traces, &cursor, 0, 0)) {
            TraceRec rec{};
            TracePointRec point{};
            T_ReadTrace(trace, &rec);
            for (int32_t i = 1; T_ReadRecord(trace, i, &point); ++i) ++seen;
        }
        const int32_t branches = DB_BranchMap();
        cursor = OM_GetFirst(branches);
        while (const int32_t branch = OM_SearchMask(branches, &cursor, 0, 0)) {
            BranchRec rec{};
            BranchPointRec point{};
            B_ReadBranch(branch, &rec);
            for (int32_t i = 1; B_ReadRecord(branch, i, &point); ++i) seen += J_Junction(point.Ref) != 0;
        }
        benchmark::DoNotOptimize(seen);
    }
}
BENCHMARK(BM_PlainWalk)->Unit(benchmark::kMillisecond);

void BM_CheckIntegrity(benchmark::State& state)
{
    Design();
    for (auto _ : state) benchmark::DoNotOptimize(RunIntegrityCheck(nullptr));
}
BENCHMARK(BM_CheckIntegrity)->Unit(benchmark::kMillisecond);

}  // namespace
