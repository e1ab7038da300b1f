// Painting a page through the kernel beside painting the same figures
// directly with QPainter: a generated page of 1,000 components (a body, two
// leads, a name and a value each) and 5,000 wire segments (1,000 wires of
// five segments over junctions, 500 of them with a junction dot), into a
// 1920 x 1080 image. Also the hit tests on that page, with their index
// built: a component and a wire under the pointer.
//
//   build/bin/draw_bench
#include "bench/kernel/bench_page.h"
#include "platform/kernel/nvokernel32.h"
#include "platform/winsys/devices.h"

#include <benchmark/benchmark.h>

#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cmath>
#include <string>
#include <vector>

namespace {

using namespace bench_page;

// The benchmarks draw into images only: like the tests, they run on Qt's
// offscreen platform unless QT_QPA_PLATFORM says otherwise, so they need no
// display.
QGuiApplication& App()
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "draw_bench";
    static char* argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);
    return app;
}

void BM_PageThroughTheKernel(benchmark::State& state)
{
    App();
    BuildPage();
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    winsys::Device device;
    device.surface = &image;
    device.image = &image;
    const int32_t handle = winsys::RegisterDevice(device);
    for (auto _ : state) {
        image.fill(QColor(250, 249, 244));
        KernelPaint(handle);
        benchmark::DoNotOptimize(image.constBits());
    }
    winsys::UnregisterDevice(handle);
    image.save("/tmp/draw_bench_kernel.png");
}
BENCHMARK(BM_PageThroughTheKernel)->Unit(benchmark::kMillisecond);

void BM_PageWithQPainter(benchmark::State& state)
{
    App();
    const Figures figures = MakeFigures();
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    for (auto _ : state) {
        image.fill(QColor(250, 249, 244));
        DirectPaint(image, figures);
        benchmark::DoNotOptimize(image.constBits());
    }
    image.save("/tmp/draw_bench_direct.png");
}
BENCHMARK(BM_PageWithQPainter)->Unit(benchmark::kMillisecond);

void BM_CoverComponentOnThePage(benchmark::State& state)
{
    BuildPage();
    int i = 0;
    for (auto _ : state) {
        const int c = i % kColumns, r = (i / kColumns) % kRows;
        ++i;
        benchmark::DoNotOptimize(C_CoverComponent(OriginX(c), OriginY(r), 25400, nullptr));
    }
}
BENCHMARK(BM_CoverComponentOnThePage)->Unit(benchmark::kMicrosecond);

void BM_CoverBranchOnThePage(benchmark::State& state)
{
    BuildPage();
    int i = 0;
    for (auto _ : state) {
        const int c = i % kColumns, r = (i / kColumns) % kRows;
        ++i;
        int32_t record = 0;
        benchmark::DoNotOptimize(B_CoverBranch(OriginX(c) + kCellX / 2, OriginY(r) + kCellY / 2, 25400, &record));
    }
}
BENCHMARK(BM_CoverBranchOnThePage)->Unit(benchmark::kMicrosecond);

}  // namespace
