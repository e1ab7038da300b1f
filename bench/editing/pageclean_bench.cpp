// Cleaning a page of 2,000 components and 10,000 wires (100 nets of 100
// wires, each wire a segment between two junctions; every component's first
// pin a node of one of the nets) with CleanPage, beside one kernel walk per
// map deleting the same objects directly: the components, the wires, their
// junctions and the nets with their nodes. The page is built anew before
// each run, outside the timing.
//
//   build/bin/editing_clean_bench
#include "bench/interaction/bench_editor.h"
#include "editor/shell/clspalvane.h"
#include "editor/shell/forms.h"
#include "editor/shell/pagedraw.h"
#include "editor/shell/schmain.h"
#include "editor/shell/settings.h"
#include "platform/kernel/nvokernel32.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

constexpr int kComponents = 2000;
constexpr int kNets = 100, kWiresPerNet = 100;
constexpr int32_t kCell = 1270000;

void BuildCleanPage()
{
    DB_DiscardDataBase();
    DB_CreateDataBase("Clean", "MAIN", "P1");
    const int32_t symbol = S_CreateSymbol(0, "RES");
    O_Mask(S_Symbol(symbol), 1, 3);
    S_AddEntry(symbol, "1", -381000, 0, 0, 0, 0, 0);
    S_AddEntry(symbol, "2", 381000, 0, 0, 0, 0, 0);
    int32_t nets[kNets];
    for (int n = 0; n < kNets; ++n) nets[n] = N_CreateNet(0, 1, ("N" + std::to_string(n + 1)).c_str());
    for (int c = 0; c < kComponents; ++c) {
        const int32_t comp = C_CreateComponent(0, ("R" + std::to_string(c + 1)).c_str(), 1, 0, symbol, 1,
                                               (c % 50) * kCell, (c / 50) * kCell, 0);
        N_CreateNode(nets[c % kNets], 0, comp, 1, 0, 0);
    }
    for (int n = 0; n < kNets; ++n)
        for (int w = 0; w < kWiresPerNet; ++w) {
            const int32_t x = n * kCell / 4, y = -(w + 1) * kCell / 4;
            const int32_t branch = B_CreateBranch(0, 1, nets[n]);
            B_InsertRecord(branch, -1, 5, J_CreateJunction(0, 3, x, y));
            B_InsertRecord(branch, -1, 5, J_CreateJunction(0, 3, x + kCell / 8, y));
        }
}

// The editor over the cleaning page, made by the first benchmark that needs
// it (bench_editor.h).
SCHMAIN& Editor()
{
    if (!BenchEditorLoaded()) {
        BuildCleanPage();
        LoadBenchEditor();
    }
    return FormInstance<SCHMAIN>();
}

int32_t Count(int32_t map)
{
    int32_t n = 0, cursor = OM_GetFirst(map);
    while (OM_SearchMask(map, &cursor, 0, 0)) ++n;
    return n;
}

void BM_CleanPage(benchmark::State& state)
{
    SCHMAIN& m = Editor();
    for (auto _ : state) {
        state.PauseTiming();
        BuildCleanPage();
        ReadCurrentPage();
        state.ResumeTiming();
        m.CleanPage();
        state.PauseTiming();
        if (Count(DB_SchCompMap()) != 0 || Count(DB_NetMap()) != 0) state.SkipWithError("page not clean");
        state.ResumeTiming();
    }
}
BENCHMARK(BM_CleanPage)->Unit(benchmark::kMillisecond);

// The same deletions as one walk per map, straight through the kernel.
void BM_KernelWalkDeleting(benchmark::State& state)
{
    Editor();
    for (auto _ : state) {
        state.PauseTiming();
        BuildCleanPage();
        ReadCurrentPage();
        state.ResumeTiming();
        for (const int32_t map : {DB_SchCompMap(), DB_BranchMap(), DB_JunctMap(), DB_NetMap()}) {
            int32_t cursor = OM_GetFirst(map);
            while (const int32_t id = OM_SearchMask(map, &cursor, 0, 0))
                if (id > 0) OM_Delete(map, id);
        }
    }
}
BENCHMARK(BM_KernelWalkDeleting)->Unit(benchmark::kMillisecond);

}  // namespace
