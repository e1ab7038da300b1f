// The component preview of a move (PreviewComp: the component set at the
// pointer in the database, recorded as the XOR overlay, the old overlay
// erased and the new one played) beside drawing the same component once
// with C_DrawComponent in one canvas open/close. Run on the bench page
// (1,000 components, 5,000 wire segments) and on a page holding only the
// moved component: the preview's cost should not depend on the page.
//
//   build/bin/interaction_bench
#include "bench/interaction/bench_editor.h"
#include "bench/kernel/bench_page.h"
#include "editor/interaction/commands.h"
#include "editor/objects/comp_state.h"
#include "editor/objects/components.h"
#include "editor/shell/clspalvane.h"
#include "editor/shell/forms.h"
#include "editor/shell/pagedraw.h"
#include "editor/shell/schmain.h"
#include "editor/view/canvas.h"

#include <benchmark/benchmark.h>

#include <QApplication>


namespace {

using namespace bench_page;

int32_t g_BenchPage = 0;
int32_t g_LonePage = 0;
int32_t g_LoneComp = 0;

// The editor on the bench page, its canvas 1920 x 1080, with a second page
// that holds one component like those of the bench page.
SCHMAIN& Editor()
{
    if (!BenchEditorLoaded()) {
        BuildPage();
        g_BenchPage = DB_CurPage();
        g_LonePage = DB_CreatePage(0, "P2");
        DB_SetCurPage(g_LonePage);
        g_LoneComp = C_CreateComponent(0, "LONE", 1, 0, OM_FindName(DB_SymbMap(), "RES"), 1, 0, 0, 0);
        DB_SetCurPage(g_BenchPage);
        LoadBenchEditor(kWidth, kHeight, kViewSize);
    }
    return FormInstance<SCHMAIN>();
}

// Page 0 the bench page (its component R1), 1 the page of one component.
int32_t UsePage(SCHMAIN& m, int64_t page)
{
    DB_SetCurPage(page == 0 ? g_BenchPage : g_LonePage);
    ReadCurrentPage();
    m.RefreshCanvas();
    return page == 0 ? OM_FindName(DB_SchCompMap(), "R1") : g_LoneComp;
}

void BM_PreviewCompMove(benchmark::State& state)
{
    SCHMAIN& m = Editor();
    const int32_t id = UsePage(m, state.range(0));
    int32_t status = 0;
    ReadComp(status, id, g_CompName);
    g_CompId = id;
    g_CompEntry = 1;
    g_CompAnchor = {0, 0};
    g_CurCommand = 1;
    const CompRec start = g_Comp;
    int step = 0;
    for (auto _ : state) {
        // Back and forth by one cell, so that every call draws.
        int32_t x = start.X + (step++ % 2 == 0 ? kCellX : 0);
        int32_t y = start.Y;
        int shift = 1;
        m.OpenCanvasDC();
        m.PreviewComp(shift, x, y);
    }
    m.OpenCanvasDC();
    m.EraseOverlay();
    m.CloseCanvasDC();
    g_Comp = start;
    SetCompPlacement(id, g_Comp);
    g_CurCommand = 0;
    m.ShowMessage("");
}
BENCHMARK(BM_PreviewCompMove)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_DrawComponent(benchmark::State& state)
{
    SCHMAIN& m = Editor();
    const int32_t id = UsePage(m, state.range(0));
    for (auto _ : state) {
        m.OpenCanvasDC();
        C_DrawComponent(id);
        m.CloseCanvasDC();
    }
    m.RefreshCanvas();
}
BENCHMARK(BM_DrawComponent)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace
