// The canvas paint of the editor beside drawing the same figures directly
// with QPainter: the bench page (1,000 components, 5,000 wire segments) in
// a 1920 x 1080 canvas, painted whole by ViewPicture_Paint, and one zoom
// step (which repaints the canvas at the new size).
//
//   build/bin/view_bench
#include "bench/interaction/bench_editor.h"
#include "bench/kernel/bench_page.h"
#include "editor/shell/clspalvane.h"
#include "editor/shell/forms.h"
#include "editor/shell/schmain.h"
#include "editor/view/canvas.h"

#include <benchmark/benchmark.h>

#include <QApplication>

namespace {

using namespace bench_page;

// The editor, loaded once on the bench page, its canvas 1920 x 1080 at the
// page's view.
SCHMAIN& Editor()
{
    if (!BenchEditorLoaded()) {
        BuildPage();
        LoadBenchEditor(kWidth, kHeight, kViewSize);
    }
    return FormInstance<SCHMAIN>();
}

void BM_ViewPicturePaint(benchmark::State& state)
{
    SCHMAIN& m = Editor();
    state.counters["width"] = m.ViewPicture->ClientSize().width();
    state.counters["height"] = m.ViewPicture->ClientSize().height();
    for (auto _ : state) {
        m.RefreshCanvas();
        benchmark::DoNotOptimize(m.ViewPicture->Image().constBits());
    }
    m.ViewPicture->Image().save("/tmp/view_bench_paint.png");
}
BENCHMARK(BM_ViewPicturePaint)->Unit(benchmark::kMillisecond);

void BM_ZoomStep(benchmark::State& state)
{
    SCHMAIN& m = Editor();
    int32_t direction = 0;
    for (auto _ : state) {
        m.m_CursorX = 0;
        m.m_CursorY = 0;
        m.ZoomStep(direction);
        direction ^= 1;  // in, out, in ...: the size stays about the page's
    }
    m.m_ViewSize = kViewSize;
}
BENCHMARK(BM_ZoomStep)->Unit(benchmark::kMillisecond);

void BM_SameFiguresWithQPainter(benchmark::State& state)
{
    Editor();
    const Figures figures = MakeFigures();
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    for (auto _ : state) {
        image.fill(QColor(250, 249, 244));
        DirectPaint(image, figures);
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_SameFiguresWithQPainter)->Unit(benchmark::kMillisecond);

}  // namespace
