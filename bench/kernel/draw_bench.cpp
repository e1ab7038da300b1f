// Painting a page through the kernel beside painting the same figures
// directly with QPainter: a generated page of 1,000 components (a body, two
// leads, a name and a value each) and 5,000 wire segments (1,000 wires of
// five segments over junctions, 500 of them with a junction dot), into a
// 1920 x 1080 image. Also the hit tests on that page, with their index
// built: a component and a wire under the pointer.
//
//   build/bin/draw_bench
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

constexpr int kWidth = 1920, kHeight = 1080;
constexpr int kColumns = 40, kRows = 25;  // 1,000 components
constexpr int32_t kCellX = 1524000, kCellY = 1270000;  // 0.6 x 0.5 inch
constexpr int32_t kViewSize = 31750;                   // units per pixel: the page fills the image
constexpr int32_t kBodyW = 762000, kBodyH = 254000;   // 0.3 x 0.1 inch
constexpr int32_t kLead = 254000;
constexpr int32_t kTextH = 29633, kTextW = 19755;     // drawn 0.07 inch high
constexpr int kWires = 1000, kSegments = 5;

int32_t OriginX(int column)
{
    return (column - kColumns / 2) * kCellX;
}

int32_t OriginY(int row)
{
    return (row - kRows / 2) * kCellY;
}

// The page in the kernel, once.
void BuildPage()
{
    DB_DiscardDataBase();
    DB_CreateDataBase("Bench", "MAIN", "P1");
    const int32_t symbol = S_CreateSymbol(0, "RES");
    O_Mask(S_Symbol(symbol), 1, 3);
    const int32_t items = S_SymbolItemArray(symbol);
    ItemRec body{};
    body.Kind = 3;
    body.X = -kBodyW / 2;
    body.Y = -kBodyH / 2;
    body.P1 = kBodyW;
    body.P2 = kBodyH;
    body.Layer = 32;
    OA_Add(items, I_MakeItem(&body));
    for (int side : {-1, 1}) {
        ItemRec lead{};
        lead.Kind = 1;
        lead.X = side * kBodyW / 2;
        lead.P1 = side * kLead;
        lead.Layer = 32;
        OA_Add(items, I_MakeItem(&lead));
        S_AddEntry(symbol, side < 0 ? "1" : "2", side * (kBodyW / 2 + kLead), 0, 0, 0, 0, 0);
    }
    int n = 0;
    for (int r = 0; r < kRows; ++r)
        for (int c = 0; c < kColumns; ++c) {
            const std::string name = "R" + std::to_string(++n);
            const int32_t comp = C_CreateComponent(0, name.c_str(), 1, 0, symbol, 1, OriginX(c), OriginY(r), 0);
            OA_Add(C_CompTextArray(comp), I_MakeText(-kBodyW / 2, kBodyH, 0, kTextH, kTextW, name.c_str(), 130, 33, 0));
            OA_Add(C_CompTextArray(comp), I_MakeText(-kBodyW / 2, -kBodyH - 6 * kTextH, 0, kTextH, kTextW, "10k", 136, 35, 0));
        }
    // Wires: each a staircase of five segments between the rows.
    const int32_t net = N_CreateNet(0, 1, "N");
    for (int w = 0; w < kWires; ++w) {
        const int c = w % kColumns, r = (w / kColumns) % kRows;
        const int32_t x0 = OriginX(c) + kCellX / 2, y0 = OriginY(r) + kCellY / 2;
        const int32_t branch = B_CreateBranch(0, 1, net);
        for (int p = 0; p <= kSegments; ++p) {
            const int32_t x = x0 + (p + 1) / 2 * (kCellX / 8), y = y0 + p / 2 * (kCellY / 6);
            const int32_t type = (p == 0 && w % 2 == 0) ? 11 : 3;
            B_InsertRecord(branch, -1, 5, J_CreateJunction(0, type, x, y));
        }
    }
}

void KernelPaint(int32_t device)
{
    const ViewDCRec view{kViewSize, kWidth, kHeight, 0, 0, 0};
    G_OpenDC(device, &view);
    G_SetDrawMode(0);
    C_DrawAllComponents(1);
    B_DrawAllBranchMask(1, 1, 1);
    J_DrawAllJunctions(1);
    G_CloseDC();
}

// ---- The same figures with QPainter ----------------------------------------------

struct Figures {
    std::vector<QLine> lines;   // leads and wire segments
    std::vector<QRect> bodies;
    struct Text {
        QPoint at;
        QString text;
    };
    std::vector<Text> texts;
    std::vector<QPoint> dots;
};

int Px(double x)
{
    return static_cast<int>(std::floor(x / kViewSize + kWidth / 2.0 + 0.5));
}

int Py(double y)
{
    return static_cast<int>(std::floor(kHeight / 2.0 - y / kViewSize + 0.5));
}

Figures MakeFigures()
{
    Figures f;
    int n = 0;
    for (int r = 0; r < kRows; ++r)
        for (int c = 0; c < kColumns; ++c) {
            const double x = OriginX(c), y = OriginY(r);
            f.bodies.emplace_back(QPoint(Px(x - kBodyW / 2), Py(y + kBodyH / 2)), QPoint(Px(x + kBodyW / 2), Py(y - kBodyH / 2)));
            f.lines.emplace_back(Px(x - kBodyW / 2), Py(y), Px(x - kBodyW / 2 - kLead), Py(y));
            f.lines.emplace_back(Px(x + kBodyW / 2), Py(y), Px(x + kBodyW / 2 + kLead), Py(y));
            f.texts.push_back({QPoint(Px(x - kBodyW / 2), Py(y + kBodyH)), QString("R%1").arg(++n)});
            f.texts.push_back({QPoint(Px(x - kBodyW / 2), Py(y - kBodyH - 6 * kTextH)), QStringLiteral("10k")});
        }
    for (int w = 0; w < kWires; ++w) {
        const int c = w % kColumns, r = (w / kColumns) % kRows;
        const double x0 = OriginX(c) + kCellX / 2.0, y0 = OriginY(r) + kCellY / 2.0;
        QPoint previous;
        for (int p = 0; p <= kSegments; ++p) {
            const QPoint here(Px(x0 + (p + 1) / 2 * (kCellX / 8)), Py(y0 + p / 2 * (kCellY / 6)));
            if (p > 0) f.lines.emplace_back(previous, here);
            if (p == 0 && w % 2 == 0) f.dots.push_back(here);
            previous = here;
        }
    }
    return f;
}

void DirectPaint(QImage& image, const Figures& f)
{
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(QColor(150, 30, 40), 0));
    p.setBrush(Qt::NoBrush);
    for (const QRect& r : f.bodies) p.drawRect(r);
    p.drawLines(f.lines.data(), 2 * static_cast<int>(f.bodies.size()));
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(static_cast<int>(std::lround(6.0 * kTextH / kViewSize)));
    font.setStyleStrategy(QFont::NoAntialias);
    p.setFont(font);
    p.setPen(QPen(QColor(30, 40, 130), 0));
    for (const auto& t : f.texts) p.drawText(t.at, t.text);
    p.setPen(QPen(QColor(0, 128, 64), 0));
    p.drawLines(f.lines.data() + 2 * f.bodies.size(), static_cast<int>(f.lines.size() - 2 * f.bodies.size()));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(210, 80, 0));
    for (const QPoint& d : f.dots) p.drawEllipse(d, 2, 2);
}

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
