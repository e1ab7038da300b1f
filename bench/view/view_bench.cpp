// The canvas paint of the editor beside drawing the same figures directly
// with QPainter: the bench page (1,000 components, 5,000 wire segments) in
// a 1920 x 1080 canvas, painted whole by ViewPicture_Paint, and one zoom
// step (which repaints the canvas at the new size).
//
//   build/bin/view_bench
#include "bench/kernel/bench_page.h"
#include "editor/shell/clspalvane.h"
#include "editor/shell/forms.h"
#include "editor/shell/schmain.h"
#include "editor/view/canvas.h"

#include <benchmark/benchmark.h>

#include <QApplication>

#include <cstdlib>
#include <memory>

namespace {

using namespace bench_page;

// The editor, loaded once on the bench page, its canvas 1920 x 1080 at the
// page's view.
SCHMAIN& Editor()
{
    static int argc = 1;
    static char name[] = "view_bench";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);
    static std::unique_ptr<clsPalvane> link;
    if (!link) {
        setenv("PALVANE_INSTANCE_LOCK", "off", 1);
        BuildPage();
        link = std::make_unique<clsPalvane>();
        int16_t mode = winstate::Normal;
        link->Load(mode);
        SCHMAIN& m = FormInstance<SCHMAIN>();
        m.LoadSettings();
        QWidget* window = m.ViewPicture->window();
        window->resize(window->width() + kWidth - m.ViewPicture->ClientSize().width(),
                       window->height() + kHeight - m.ViewPicture->ClientSize().height());
        for (int i = 0; i < 20; ++i) QApplication::processEvents();
        m.m_ViewSize = kViewSize;
        m.m_ViewOrgX = 0;
        m.m_ViewOrgY = 0;
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
