// Hit tests while a component is dragged: one component of the 10,000 of
// the bench design moved 1,000 times with a hit test at its new place after
// each move, beside the same moves without hit tests. The indexes follow
// each move by updating that one component's shapes, so the two should
// stay within a small factor of each other.
//
//   build/bin/kernel_bench --benchmark_filter=Drag
#include "bench/kernel/bench_design.h"
#include "platform/kernel/nvokernel32.h"

#include <benchmark/benchmark.h>

namespace {

using namespace bench;

constexpr int kMoves = 1000;
constexpr int32_t kDragged = kComponents / 2;

// The bench design with a body for its components (800 x 400 units, so
// each one lies under the pointer), its wires, and the hit-test indexes of
// the current page built.
int32_t DragDesign()
{
    NewDesign();
    ItemRec rect{};
    rect.Kind = 3;
    rect.P1 = 800;
    rect.P2 = 400;
    OA_Add(S_SymbolItemArray(1), I_MakeItem(&rect));
    AddComponents();
    AddWires();
    // The first query of each kind after the design was made walks the
    // objects; the second builds the index.
    for (int i = 0; i < 2; ++i) {
        benchmark::DoNotOptimize(C_CoverComponent(kDragged * 1000 + 400, kDragged * 500 + 200, 10, nullptr));
        benchmark::DoNotOptimize(B_CoverBranch(0, 0, 10, nullptr));
    }
    return C_Component(kDragged);
}

// The k-th place of the drag, over a few hundred units around the start.
int32_t DragX(int k)
{
    return kDragged * 1000 + (k % 37) * 20;
}
int32_t DragY(int k)
{
    return kDragged * 500 + (k % 23) * 15;
}

void BM_Kernel_DragMoves(benchmark::State& state)
{
    const int32_t comp = DragDesign();
    for (auto _ : state)
        for (int k = 0; k < kMoves; ++k) benchmark::DoNotOptimize(O_ChangePosition(comp, DragX(k), DragY(k)));
    DB_DiscardDataBase();
}

void BM_Kernel_DragMovesWithHitTests(benchmark::State& state)
{
    const int32_t comp = DragDesign();
    int32_t record = 0;
    for (auto _ : state)
        for (int k = 0; k < kMoves; ++k) {
            O_ChangePosition(comp, DragX(k), DragY(k));
            benchmark::DoNotOptimize(C_CoverComponent(DragX(k) + 400, DragY(k) + 200, 10, nullptr));
        }
    benchmark::DoNotOptimize(record);
    DB_DiscardDataBase();
}

}  // namespace

BENCHMARK(BM_Kernel_DragMoves)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Kernel_DragMovesWithHitTests)->Unit(benchmark::kMicrosecond);
