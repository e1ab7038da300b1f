// The wire preview beside the kernel drawing it is built on: one pointer
// move of the point drag (command 34) on a wire of the bench page (1,000
// components, 5,000 wire segments) in a 1920 x 1080 canvas, beside drawing
// the same wire's records once between one open and close of the canvas
// context; and the same move on a page holding that wire alone, to show
// that the preview does not depend on what else the page holds.
//
//   build/bin/wire_preview_bench
#include "bench/interaction/bench_editor.h"
#include "bench/kernel/bench_page.h"
#include "editor/interaction/commands.h"
#include "editor/objects/branch_points.h"
#include "editor/objects/wire_state.h"
#include "editor/shell/clspalvane.h"
#include "editor/shell/forms.h"
#include "editor/shell/ribbon.h"
#include "editor/shell/schmain.h"
#include "editor/view/canvas.h"

#include <benchmark/benchmark.h>

#include <QApplication>


namespace {

using namespace bench_page;

int32_t g_BenchPage = 0, g_AlonePage = 0;

// The same staircase as the bench page's first wire, on a page of its own.
void AddLoneWire()
{
    g_AlonePage = DB_CreatePage(0, "ALONE");
    DB_SetCurPage(g_AlonePage);
    const int32_t net = N_CreateNet(0, 1, "NA");
    const int32_t x0 = OriginX(0) + kCellX / 2, y0 = OriginY(0) + kCellY / 2;
    const int32_t branch = B_CreateBranch(0, 1, net);
    for (int p = 0; p <= kSegments; ++p) {
        const int32_t x = x0 + (p + 1) / 2 * (kCellX / 8), y = y0 + p / 2 * (kCellY / 6);
        B_InsertRecord(branch, -1, 5, J_CreateJunction(0, p == 0 ? 11 : 3, x, y));
    }
    DB_SetCurPage(g_BenchPage);
}

SCHMAIN& Editor()
{
    if (!BenchEditorLoaded()) {
        BuildPage();
        g_BenchPage = DB_CurPage();
        AddLoneWire();
        SCHMAIN& m = LoadBenchEditor(kWidth, kHeight, kViewSize);
        m.ShowZoomValue();
    }
    return FormInstance<SCHMAIN>();
}

// The first wire of the current page with its third point picked for the
// drag, command 34 begun.
int32_t BeginDrag(SCHMAIN& m, int32_t page)
{
    if (g_CurCommand != 0) {
        m.F_OST(10)->SetValue(true);
        int shift = 1;
        int32_t x = 0, y = 0;
        m.OpenCanvasDC();
        m.DispatchPointerAction(shift, x, y);
    }
    DB_SetCurPage(page);
    m.RefreshCanvas();
    int32_t cursor = OM_GetFirst(DB_BranchMap());
    g_CurBranch = OM_SearchMask(DB_BranchMap(), &cursor, 0, 0);
    g_CurBranchPos = 3;
    int32_t status = 1;
    LoadBranchPointNeighbours(status, -1, 0, 0, 0);
    g_CurMode = MODE_WIRES;
    int32_t id = 34;
    m.BeginCommand(id);
    return g_CurBranch;
}

void PreviewMoves(benchmark::State& state, int32_t page)
{
    SCHMAIN& m = Editor();
    BeginDrag(m, page);
    const int32_t x0 = g_CurBranchPointSave.X, y0 = g_CurBranchPointSave.Y;
    int32_t step = 0;
    for (auto _ : state) {
        int shift = 1;
        int32_t x = x0 + (step & 1 ? 254000 : 0), y = y0 + (step & 2 ? 254000 : 0);
        ++step;
        m.OpenCanvasDC();
        m.DispatchPointerAction(shift, x, y);
    }
    state.counters["branch"] = g_CurBranch;
}

void BM_PreviewWireMove_BenchPage(benchmark::State& state)
{
    PreviewMoves(state, g_BenchPage ? g_BenchPage : (Editor(), g_BenchPage));
}
BENCHMARK(BM_PreviewWireMove_BenchPage)->Unit(benchmark::kMicrosecond);

void BM_PreviewWireMove_WireAlone(benchmark::State& state)
{
    Editor();
    PreviewMoves(state, g_AlonePage);
}
BENCHMARK(BM_PreviewWireMove_WireAlone)->Unit(benchmark::kMicrosecond);

// The baseline: the same wire's records drawn once in one open and close.
void BM_DrawAllRecordsOfTheWire(benchmark::State& state)
{
    SCHMAIN& m = Editor();
    const int32_t branch = BeginDrag(m, g_BenchPage);
    for (auto _ : state) {
        m.OpenCanvasDC();
        G_SetDrawMode(32);
        benchmark::DoNotOptimize(B_DrawAllRecords(branch, 256));
        m.CloseCanvasDC();
    }
}
BENCHMARK(BM_DrawAllRecordsOfTheWire)->Unit(benchmark::kMicrosecond);

}  // namespace

namespace {

// Parts of the move, for the breakdown: the message line, and one overlay
// replaced (erased and played) in one open and close.
void BM_PartMessageLine(benchmark::State& state)
{
    SCHMAIN& m = Editor();
    BeginDrag(m, g_BenchPage);
    for (auto _ : state) m.ShowWireNetMessage();
}
BENCHMARK(BM_PartMessageLine)->Unit(benchmark::kMicrosecond);

void BM_PartOverlayReplaced(benchmark::State& state)
{
    SCHMAIN& m = Editor();
    BeginDrag(m, g_BenchPage);
    for (auto _ : state) {
        m.OpenCanvasDC();
        m.EraseOverlay();
        m.PlayOverlay();
        m.CloseCanvasDC();
    }
}
BENCHMARK(BM_PartOverlayReplaced)->Unit(benchmark::kMicrosecond);

}  // namespace
