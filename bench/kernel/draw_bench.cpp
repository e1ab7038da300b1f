// Painting a page through the kernel beside painting the same figures
// directly with QPainter: a generated page of 1,000 components (a body, two
// leads, a name and a value each) and 5,000 wire segments (1,000 wires of
// five segments over junctions, 500 of them with a junction dot), into a
// 1920 x 1080 image. Also the hit tests on that page, with their index
// built: a component and a wire under the pointer. And a page holding one
// large picture (an A0 sheet at 0.25 mm a pixel, run-length coded as an
// imported scan would be) painted into the same image.
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

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
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

// ---- A page with one large picture ---------------------------------------------------

void PutLong(std::string& s, uint32_t v)
{
    for (int i = 0; i < 4; ++i) s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

// An 8-bit run-length coded BMP in runs of 16 pixels (four colours in
// staggered bands), about 2 MB for an A0 sheet: within the editor's 4 MB
// import limit, as a coded scan would be.
std::string BandedRle8Bmp(int width, int height)
{
    constexpr int kRun = 16;
    std::string pixels;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; x += kRun) {
            pixels.push_back(static_cast<char>(std::min(kRun, width - x)));
            pixels.push_back(static_cast<char>((x / kRun + y / 16) % 4));
        }
        pixels.append(y + 1 < height ? std::string("\0\0", 2) : std::string("\0\1", 2));
    }
    const uint32_t headers = 14 + 40 + 4 * 4;
    std::string bmp = "BM";
    PutLong(bmp, headers + static_cast<uint32_t>(pixels.size()));
    PutLong(bmp, 0);
    PutLong(bmp, headers);
    for (uint32_t v : {40u, static_cast<uint32_t>(width), static_cast<uint32_t>(height)}) PutLong(bmp, v);
    PutLong(bmp, 1 | (8u << 16));  // one plane, 8 bits a pixel
    for (uint32_t v : {1u, static_cast<uint32_t>(pixels.size()), 2835u, 2835u, 4u, 0u}) PutLong(bmp, v);
    for (uint32_t colour : {0xF0E0C0u, 0x4080C0u, 0x208020u, 0x303030u}) PutLong(bmp, colour);
    return bmp + pixels;
}

void BM_PageWithOneLargePicture(benchmark::State& state)
{
    App();
    // 1189 x 841 mm at 0.25 mm a pixel; 62,000 units a pixel fits it into
    // the image.
    constexpr int kPictureW = 4756, kPictureH = 3364;
    DB_DiscardDataBase();
    DB_CreateDataBase("Bench", "MAIN", "P1");
    const std::string bytes = BandedRle8Bmp(kPictureW, kPictureH);
    BitmapPlaceRec place{};
    place.Picture = F_CreateFile(0, "BM_SHEET");
    F_Write(place.Picture, bytes.data(), static_cast<int32_t>(bytes.size()));
    place.X = -kPictureW / 2 * 25000;
    place.Y = kPictureH / 2 * 25000;
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    winsys::Device device;
    device.surface = &image;
    device.image = &image;
    const int32_t handle = winsys::RegisterDevice(device);
    const ViewDCRec view{62000, kWidth, kHeight, 0, 0, 0};
    auto paint = [&] {
        image.fill(QColor(250, 249, 244));
        G_OpenDC(handle, &view);
        F_Seek(place.Picture, 0, 0);
        if (ShowDib(0, handle, &place) != 1) state.SkipWithError("the picture was not drawn");
        G_CloseDC();
        benchmark::DoNotOptimize(image.constBits());
    };
    // The first paint after the picture was stored (it decodes the
    // picture), then the paints that follow it.
    const auto start = std::chrono::steady_clock::now();
    paint();
    const std::chrono::duration<double, std::milli> first = std::chrono::steady_clock::now() - start;
    for (auto _ : state) paint();
    state.counters["first_paint_ms"] = first.count();
    state.counters["file_bytes"] = static_cast<double>(bytes.size());
    winsys::UnregisterDevice(handle);
    image.save("/tmp/draw_bench_picture.png");
}
BENCHMARK(BM_PageWithOneLargePicture)->Unit(benchmark::kMillisecond);

}  // namespace
