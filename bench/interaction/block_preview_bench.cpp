// The carried block's preview (PreviewBlock kind 2, a block move: the old
// overlay erased, the box, base circle, carrying square, move vector and
// cursor cross recorded and played) beside one G_Rectangle drawn in one
// canvas open/close. Run on the bench page (1,000 components, 5,000 wire
// segments) and on an empty page: the preview draws only its overlay, so
// its cost should not depend on the page.
//
//   build/bin/block_preview_bench
#include "bench/interaction/bench_editor.h"
#include "bench/kernel/bench_page.h"
#include "editor/interaction/commands.h"
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
int32_t g_EmptyPage = 0;

// The editor on the bench page, its canvas 1920 x 1080, with a second,
// empty page.
SCHMAIN& Editor()
{
    if (!BenchEditorLoaded()) {
        BuildPage();
        g_BenchPage = DB_CurPage();
        g_EmptyPage = DB_CreatePage(0, "P2");
        DB_SetCurPage(g_BenchPage);
        LoadBenchEditor(kWidth, kHeight, kViewSize);
    }
    return FormInstance<SCHMAIN>();
}

// Page 0 the bench page, 1 the empty page.
void UsePage(SCHMAIN& m, int64_t page)
{
    DB_SetCurPage(page == 0 ? g_BenchPage : g_EmptyPage);
    ReadCurrentPage();
    m.RefreshCanvas();
}

void BM_PreviewBlockMove(benchmark::State& state)
{
    SCHMAIN& m = Editor();
    UsePage(m, state.range(0));
    // A block of 10 x 8 cells taken at the page's middle.
    m.m_BaseX = 0;
    m.m_BaseY = 0;
    m.m_BoxW = 10 * kCellX;
    m.m_BoxH = 8 * kCellY;
    m.m_Rotation = 0;
    m.m_PlaceX = m.m_PlaceY = 0;
    g_CurCommand = 52;
    int step = 0;
    for (auto _ : state) {
        // Back and forth by one cell, so that every call draws.
        int32_t x = step++ % 2 == 0 ? kCellX : 0;
        int32_t y = kCellY;
        int shift = 1;
        m.OpenCanvasDC();
        m.PreviewBlock(shift, x, y, 2);
    }
    m.OpenCanvasDC();
    m.EraseOverlay();
    m.CloseCanvasDC();
    g_CurCommand = 0;
    m.ShowMessage("");
}
BENCHMARK(BM_PreviewBlockMove)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_Rectangle(benchmark::State& state)
{
    SCHMAIN& m = Editor();
    UsePage(m, state.range(0));
    for (auto _ : state) {
        m.OpenCanvasDC();
        G_Rectangle(0, 0, 10 * kCellX, 8 * kCellY, 0);
        m.CloseCanvasDC();
    }
    m.RefreshCanvas();
}
BENCHMARK(BM_Rectangle)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace
