// An array placement of 100 x 100 copies (PlaceCompArray) beside the same
// kernel creations and draws made directly: the editor's share is finding
// each free name and its bookkeeping. The copies are deleted between runs,
// outside the timing.
//
//   build/bin/editing_bench
#include "bench/interaction/bench_editor.h"
#include "bench/kernel/bench_page.h"
#include "editor/objects/comp_state.h"
#include "editor/objects/components.h"
#include "editor/shell/clspalvane.h"
#include "editor/shell/forms.h"
#include "editor/shell/schmain.h"
#include "editor/shell/settings.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

constexpr int32_t kCount = 100;
constexpr int32_t kGap = 254000;
constexpr int32_t kFrame = 1000000;

// The editor, made by the first benchmark that needs it (bench_editor.h).
SCHMAIN& Editor()
{
    if (!BenchEditorLoaded()) {
        bench_page::BuildPage();
        LoadBenchEditor();
    }
    return FormInstance<SCHMAIN>();
}

// The components of the schematic map, in id order.
std::vector<int32_t> Components()
{
    std::vector<int32_t> ids;
    const int32_t map = DB_SchCompMap();
    int32_t cursor = OM_GetFirst(map);
    while (const int32_t id = OM_SearchMask(map, &cursor, 0, 0)) ids.push_back(id);
    return ids;
}

void DeleteAbove(int32_t lastKept)
{
    for (int32_t id : Components())
        if (id > lastKept) OM_Delete(DB_SchCompMap(), id);
}

void StartArray(SCHMAIN& m, int32_t first)
{
    g_CompId = first;
    C_ReadComponent(first, &g_Comp);
    g_ArrayCountX = g_ArrayCountY = kCount;
    g_ArrayStepX = g_ArrayStepY = kGap;
    g_CompFrameSize = {kFrame, kFrame};
    (void)m;
}

void BM_PlaceCompArray(benchmark::State& state)
{
    SCHMAIN& m = Editor();
    const std::vector<int32_t> before = Components();
    const int32_t first = before.front();
    const int32_t last = before.back();
    for (auto _ : state) {
        StartArray(m, first);
        m.PlaceCompArray();
        state.PauseTiming();
        DeleteAbove(last);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_PlaceCompArray)->Unit(benchmark::kMillisecond);

void BM_SameCreationsAndDraws(benchmark::State& state)
{
    SCHMAIN& m = Editor();
    const std::vector<int32_t> before = Components();
    const int32_t first = before.front();
    const int32_t last = before.back();
    CompRec rec{};
    C_ReadComponent(first, &rec);
    for (auto _ : state) {
        int32_t n = 0;
        for (int32_t r = 1; r <= kCount; ++r) {
            for (int32_t c = r == 1 ? 2 : 1; c <= kCount; ++c) {
                const std::string name = "Unpck" + std::to_string(++n);
                const int32_t id = C_CreateComponent(0, name.c_str(), rec.Flags & 3, rec.Device, rec.Symb, rec.Extra,
                                                     rec.X + (c - 1) * (kGap + kFrame), rec.Y + (r - 1) * (kGap + kFrame),
                                                     rec.Angle);
                m.OpenCanvasDC();
                C_DrawComponent(id);
                m.CloseCanvasDC();
            }
        }
        state.PauseTiming();
        DeleteAbove(last);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_SameCreationsAndDraws)->Unit(benchmark::kMillisecond);

}  // namespace
