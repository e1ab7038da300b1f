// Drawing contexts, primitives, metafiles, object drawing, frames, hit tests
// and coordinates, through the kernel's exported functions, checked on the
// raster of real images registered as winsys devices.
#include "platform/kernel/nvokernel32.h"
#include "platform/kernel/testing.h"
#include "platform/winsys/devices.h"
#include "tests/support/bmp_bytes.h"
#include "tests/support/design_builder.h"
#include "tests/support/kernel_fixture.h"
#include "tests/support/raster.h"
#include "tests/support/screenshot.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QTemporaryDir>

#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

namespace {

using palvane_test::CompareImages;
using palvane_test::CountPixels;
using palvane_test::PixelAt;

// Palette colours from system table 0 (0x00BBGGRR), without alpha as the
// raster helpers give pixels.
QRgb Palette(int index)
{
    const auto* table = static_cast<const int32_t*>(E_SysTable(0));
    const uint32_t v = static_cast<uint32_t>(table[index]);
    return qRgb(v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF) & 0x00FFFFFFu;
}

QRgb Category(int category)
{
    return Palette(static_cast<const uint8_t*>(E_SysTable(1))[category]);
}

// A colour as the raster helpers give pixels (without alpha).
QRgb Rgb(int r, int g, int b)
{
    return qRgb(r, g, b) & 0x00FFFFFFu;
}

// An image registered as a device; it records what the kernel reports when
// the last context on it closes.
struct Surface {
    QImage image;
    int32_t handle = 0;
    int drawnCalls = 0;
    QRect drawn;

    Surface(int width, int height, winsys::DeviceKind kind = winsys::DeviceKind::Image)
        : image(width, height, QImage::Format_RGB32)
    {
        image.fill(Category(31));
        winsys::Device device;
        device.kind = kind;
        device.surface = &image;
        device.image = &image;
        device.onDrawn = [this](int x, int y, int w, int h) {
            ++drawnCalls;
            drawn = QRect(x, y, w, h);
        };
        handle = winsys::RegisterDevice(device);
    }
    ~Surface() { winsys::UnregisterDevice(handle); }
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;

    int OpenContexts() const { return winsys::FindDevice(handle)->openContexts; }
};

ViewDCRec View(int32_t size, int32_t width, int32_t height, int32_t x = 0, int32_t y = 0, int32_t flags = 0)
{
    return ViewDCRec{size, width, height, x, y, flags};
}

class Draw : public palvane_test::KernelTest {
protected:
    // The system tables a test may change (palette, categories, line width)
    // are put back afterwards.
    static constexpr int kKeptTables[] = {0, 1, 14};

    void SetUp() override
    {
        KernelTest::SetUp();
        for (int i = 0; i < 3; ++i) std::memcpy(kept_[i], E_SysTable(kKeptTables[i]), 2048);
        while (G_CloseDC()) {
        }
        G_SetDrawMode(0);
        G_SetColor(0);
        G_SetStyle(0);
        G_SetWidth(1);
        S_SetCompLocation(0, 0, 0, 0);
        N_SetNodeView(0);
        if (int32_t mf = G_CloseMF()) G_DeleteEnhMetaFile(mf);
    }
    void TearDown() override
    {
        while (G_CloseDC()) {
        }
        for (int i = 0; i < 3; ++i) std::memcpy(E_SysTable(kKeptTables[i]), kept_[i], 2048);
        KernelTest::TearDown();
    }

    // Opens a context on the surface at a view centred on (x, y).
    void Open(Surface& s, int32_t size = 100, int32_t x = 0, int32_t y = 0)
    {
        const ViewDCRec view = View(size, s.image.width(), s.image.height(), x, y);
        ASSERT_EQ(G_OpenDC(s.handle, &view), 1);
    }

    // Some plain content, so that XOR is seen over more than the background.
    static void Scribble()
    {
        G_SetDrawMode(0);
        G_SetColor(2);
        G_Line(-10000, -5000, 10000, 5000);
        G_SetStyle(16);
        G_SetColor(5);
        G_Rectangle(-3000, -2000, 2500, 1500, 0);
        G_SetStyle(0);
    }

private:
    char kept_[3][2048];
};

// ---- Mapping ----------------------------------------------------------------------

TEST_F(Draw, MappingPutsTheCentreInTheMiddleAndYUpwards)
{
    Surface s(200, 100);
    Open(s, 100, 1000, -500);
    struct Case {
        const char* what;
        int32_t x, y;    // database
        int32_t px, py;  // pixels
    } cases[] = {
        {"centre", 1000, -500, 100, 50},
        {"top-left corner", 1000 - 100 * 100, -500 + 50 * 100, 0, 0},
        {"bottom-right corner", 1000 + 100 * 100, -500 - 50 * 100, 200, 100},
        {"ten units per pixel up is ten pixels up", 1000, -500 + 10 * 100, 100, 40},
        {"right is right", 1000 + 30 * 100, -500, 130, 50},
        {"down is down", 1000, -500 - 20 * 100, 100, 70},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        int32_t p[2] = {c.x, c.y};
        ASSERT_EQ(G_LPtoDP(p), 1);
        EXPECT_EQ(p[0], c.px);
        EXPECT_EQ(p[1], c.py);
        int32_t q[2] = {c.px, c.py};
        ASSERT_EQ(G_DPtoLP(q), 1);
        EXPECT_EQ(q[0], c.x);
        EXPECT_EQ(q[1], c.y);
    }
    G_CloseDC();
}

TEST_F(Draw, DrawnPixelsLieWhereTheMappingSays)
{
    Surface s(200, 100);
    Open(s, 100, 1000, -500);
    G_SetColor(15);
    G_Line(1000, -500, 1000, -500);                 // the centre
    G_Line(1000, -500 + 2000, 1000, -500 + 2000);   // 20 pixels up
    G_Line(1000 - 9000, -500, 1000 - 9000, -500);   // 90 pixels left
    ASSERT_EQ(G_CloseDC(), 1);
    EXPECT_EQ(PixelAt(s.image, 100, 50), Palette(15));
    EXPECT_EQ(PixelAt(s.image, 100, 30), Palette(15));
    EXPECT_EQ(PixelAt(s.image, 10, 50), Palette(15));
    EXPECT_EQ(CountPixels(s.image, Palette(15)), 3);
}

TEST_F(Draw, RectanglesTurnAboutTheirCorner)
{
    // Filled 2000 x 1000 rectangles with their corner at the origin.
    struct Case {
        int32_t angle;
        std::vector<std::pair<int32_t, int32_t>> inside, outside;
    } cases[] = {
        {0, {{1000, 500}}, {{-500, 500}, {1000, -500}}},
        {90000, {{-500, 1000}}, {{500, 1000}, {-500, -1000}}},
        {180000, {{-1000, -500}}, {{1000, 500}}},
        {45000, {{700, 1200}}, {{1500, 300}, {-700, 300}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.angle);
        Surface s(200, 200);
        Open(s, 50);
        G_SetStyle(16);
        G_SetColor(15);
        G_Rectangle(0, 0, 2000, 1000, c.angle);
        for (auto [x, y] : c.inside) {
            int32_t p[2] = {x, y};
            G_LPtoDP(p);
            EXPECT_EQ(PixelAt(s.image, p[0], p[1]), Palette(15)) << x << "," << y;
        }
        for (auto [x, y] : c.outside) {
            int32_t p[2] = {x, y};
            G_LPtoDP(p);
            EXPECT_NE(PixelAt(s.image, p[0], p[1]), Palette(15)) << x << "," << y;
        }
        G_CloseDC();
    }
}

TEST_F(Draw, ConversionsNeedAContextAndStayWithinThe32BitRange)
{
    int32_t p[2] = {5, 6};
    EXPECT_EQ(G_DPtoLP(p), 0);
    EXPECT_EQ(G_LPtoDP(p), 0);
    EXPECT_EQ(p[0], 5);
    EXPECT_EQ(p[1], 6);
    Surface s(100, 100);
    const ViewDCRec view = View(2000000000, 100, 100);
    ASSERT_EQ(G_OpenDC(s.handle, &view), 1);
    int32_t far[2] = {100, 0};
    ASSERT_EQ(G_DPtoLP(far), 1);
    EXPECT_EQ(far[0], 2147483647);
    EXPECT_EQ(G_DPtoLP(nullptr), 0);
    G_CloseDC();
}

// ---- Contexts ---------------------------------------------------------------------

TEST_F(Draw, ContextsNestCountAndReportTheDrawnRectangleOnTheLastClose)
{
    Surface s(200, 100);
    EXPECT_EQ(G_CloseDC(), 0);  // none open: harmless
    EXPECT_EQ(G_GetDC(), 0);
    Open(s);
    Open(s);
    EXPECT_EQ(s.OpenContexts(), 2);
    EXPECT_EQ(G_GetDC(), s.handle);
    G_Line(-1000, 0, 1000, 0);  // pixels 90..110 on row 50
    ASSERT_EQ(G_CloseDC(), 1);
    EXPECT_EQ(s.drawnCalls, 0);  // one context still open
    ASSERT_EQ(G_CloseDC(), 1);
    EXPECT_EQ(s.OpenContexts(), 0);
    EXPECT_EQ(s.drawnCalls, 1);
    EXPECT_TRUE(s.drawn.contains(QRect(90, 50, 21, 1)));
    EXPECT_LE(s.drawn.width(), 30);

    // A context on which nothing was drawn reports nothing.
    Open(s);
    ASSERT_EQ(G_CloseDC(), 1);
    EXPECT_EQ(s.drawnCalls, 1);
}

TEST_F(Draw, NestedContextsOnOneDeviceKeepTheirOwnViewAndPen)
{
    Surface s(200, 100);
    Open(s, 100);  // centre (0, 0)
    G_SetColor(15);
    G_Line(0, 0, 0, 0);       // pixel (100, 50)
    Open(s, 100, 5000, 0);  // the same device, centred 50 pixels further right
    G_SetColor(2);
    G_Line(0, 1000, 0, 1000);  // pixel (50, 40)
    G_CloseDC();
    G_SetColor(15);
    G_Line(0, -1000, 0, -1000);  // pixel (100, 60), in the outer view again
    G_CloseDC();
    EXPECT_EQ(PixelAt(s.image, 100, 50), Palette(15));
    EXPECT_EQ(PixelAt(s.image, 50, 40), Palette(2));
    EXPECT_EQ(PixelAt(s.image, 100, 60), Palette(15));
}

TEST_F(Draw, ADeviceDroppedWithAContextOpenIsNotTouchedAgain)
{
    Surface kept(20, 20);
    Open(kept);
    {
        auto dropped = std::make_unique<Surface>(30, 30);
        Open(*dropped);
        G_Line(-1000, 0, 1000, 0);
        dropped.reset();  // the owner drops it without closing
    }
    EXPECT_EQ(G_Line(-1000, 0, 1000, 0), 0);  // nothing to draw on
    EXPECT_EQ(G_CloseDC(), 1);
    EXPECT_EQ(G_GetDC(), kept.handle);
    EXPECT_EQ(G_Line(-1000, 0, 1000, 0), 1);
    EXPECT_EQ(G_CloseDC(), 1);
    EXPECT_EQ(kept.drawnCalls, 1);
}

TEST_F(Draw, OpenRefusesBadDevicesAndViews)
{
    Surface s(10, 10);
    struct Case {
        const char* what;
        int32_t device;
        ViewDCRec view;
    } cases[] = {
        {"unknown device", 987654, View(1, 10, 10)},
        {"size 0", s.handle, View(0, 10, 10)},
        {"width 0", s.handle, View(1, 0, 10)},
        {"negative height", s.handle, View(1, 10, -3)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(G_OpenDC(c.device, &c.view), 0);
    }
    EXPECT_EQ(G_OpenDC(s.handle, nullptr), 0);
    EXPECT_EQ(s.OpenContexts(), 0);
    EXPECT_EQ(G_Line(0, 0, 10, 10), 0);  // nothing to draw on
}

// ---- XOR --------------------------------------------------------------------------

struct Primitive {
    const char* name;
    std::function<void()> draw;
};

std::vector<Primitive> Primitives()
{
    return {
        {"line", [] { G_Line(-4000, -3000, 4500, 2000); }},
        {"move and line to", [] {
             G_MoveTo(-2000, 2000);
             G_LineTo(2000, 2500);
             G_LineTo(2500, -1000);
         }},
        {"wide line", [] {
             G_SetWidth(5);
             G_Line(-4000, 1000, 4000, -1500);
         }},
        {"dashed line", [] {
             G_SetStyle(2);
             G_Line(-4500, 0, 4500, 100);
         }},
        {"line across the whole coordinate space", [] { G_Line(-220000000, -220000000, 220000000, 220000000); }},
        {"circle", [] { G_Circle(500, -300, 2200); }},
        {"filled circle", [] {
             G_SetStyle(16);
             G_Circle(-1500, 500, 1300);
         }},
        {"circle larger than the coordinate space", [] { G_Circle(-300000000, 0, 300002000); }},
        {"triangle", [] { G_Triangle(-3000, -2000, 3000, -1500, 0, 3000); }},
        {"filled triangle", [] {
             G_SetStyle(16);
             G_Triangle(-3000, -2000, 3000, -1500, 0, 3000);
         }},
        {"rectangle turned 30 degrees", [] { G_Rectangle(-1000, -1000, 3000, 1500, 30000); }},
        {"filled rectangle with negative sizes", [] {
             G_SetStyle(16);
             G_Rectangle(2000, 2000, -3000, -1500, 0);
         }},
        {"a dashed rectangle far larger than the view", [] {
             G_SetStyle(2);
             G_Rectangle(-220000000, -220000000, 220002000, 440000000, 0);
         }},
        {"grid", [] { G_DrawGrid(0, 0, 160, 120, 500, 1); }},
    };
}

TEST_F(Draw, EveryPrimitiveDrawnTwiceInEachXorModeRestoresTheImage)
{
    const int32_t xorModes[] = {8, 32, 8 | 32, 1 | 32, 32 | 512};
    for (const Primitive& prim : Primitives()) {
        for (int32_t mode : xorModes) {
            SCOPED_TRACE(std::string(prim.name) + ", mode " + std::to_string(mode));
            Surface s(160, 120);
            Open(s, 50);
            Scribble();
            G_CloseDC();
            const QImage before = s.image.copy();
            Open(s, 50);
            auto drawOnce = [&] {
                G_SetDrawMode(mode);
                G_SetColor(191);
                G_SetStyle(0);
                G_SetWidth(1);
                prim.draw();
            };
            drawOnce();
            G_CloseDC();
            EXPECT_FALSE(CompareImages(before, s.image).Same()) << "the first drawing shows";
            Open(s, 50);
            drawOnce();
            G_CloseDC();
            const auto diff = CompareImages(before, s.image);
            EXPECT_TRUE(diff.Same()) << diff.differing << " pixels differ, first at " << diff.firstAt.x() << ","
                                     << diff.firstAt.y();
        }
    }
}

TEST_F(Draw, XorShowsThePenColourOnTheBackground)
{
    Surface s(100, 100);
    Open(s, 100);
    G_SetDrawMode(32);
    G_SetColor(191);
    G_Line(-2000, 0, 2000, 0);
    G_CloseDC();
    EXPECT_EQ(PixelAt(s.image, 50, 50), Palette(191));
}

// ---- A small design for object drawing and hit tests --------------------------------

// Design coordinates are in thousands of units (U): a component is about
// 0.4 inch wide.
constexpr int32_t U = 1000;

struct Design {
    int32_t box = 0;               // symbol
    int32_t a = 0, b = 0, c = 0;   // components
    int32_t net = 0, loose = 0, wire = 0, j1 = 0, j2 = 0, j3 = 0;

    bool operator==(const Design&) const = default;
};

// A 1000U x 500U box symbol with an entry "IN" at (-200U, 250U) and a lead
// to it, and a reference template text (left out when drawn); components A
// at the origin and B at (1300U, 0) with their name texts; a wire from A's
// entry over a junction dot j1 to j2, and a stub from j1 down to j3; C at
// (-3000U, -3500U) on a net N2 with B, not wired.
Design MakeDesign()
{
    Design d;
    d.box = S_CreateSymbol(0, "BOX");
    O_Mask(S_Symbol(d.box), 1, 3);
    ItemRec rect{};
    rect.Kind = 3;
    rect.P1 = 1000 * U;
    rect.P2 = 500 * U;
    OA_Add(S_SymbolItemArray(d.box), I_MakeItem(&rect));
    ItemRec lead{};
    lead.Kind = 1;
    lead.X = -200 * U;
    lead.Y = 250 * U;
    lead.P1 = 200 * U;
    OA_Add(S_SymbolItemArray(d.box), I_MakeItem(&lead));
    OA_Add(S_SymbolItemArray(d.box), I_MakeText(0, 600 * U, 0, 10583, 7055, "REF?", 2, 0, 0));
    S_AddEntry(d.box, "IN", -200 * U, 250 * U, 0, 0, 0, 0);
    d.a = C_CreateComponent(0, "A1", 1, 0, d.box, 1, 0, 0, 0);
    d.b = C_CreateComponent(0, "B1", 1, 0, d.box, 1, 1300 * U, 0, 0);
    // Names 0.25 inch high: 2 characters of 6 x 70550 = 846,600 wide.
    OA_Add(C_CompTextArray(d.a), I_MakeText(0, 600 * U, 0, 105830, 70550, "A1", 130, 33, 0));
    OA_Add(C_CompTextArray(d.b), I_MakeText(0, 600 * U, 0, 105830, 70550, "B1", 130, 33, 0));
    d.net = N_CreateNet(0, 1, "N1");
    const int32_t node = N_CreateNode(d.net, 0, d.a, 1, 0, 0);
    O_Mask(N_Node(d.net, node), 3, 3);
    d.j1 = J_CreateJunction(0, 11, -200 * U, -2000 * U);
    d.j2 = J_CreateJunction(0, 3, -3000 * U, -2000 * U);
    d.j3 = J_CreateJunction(0, 3, -200 * U, -4000 * U);
    d.wire = B_CreateBranch(0, 1, d.net);
    B_InsertRecord(d.wire, -1, 3, node);
    B_InsertRecord(d.wire, -1, 5, d.j1);
    B_InsertRecord(d.wire, -1, 5, d.j2);
    const int32_t stub = B_CreateBranch(0, 1, d.net);
    B_InsertRecord(stub, -1, 5, d.j1);
    B_InsertRecord(stub, -1, 5, d.j3);
    OA_Add(B_BranchTextArray(d.wire), I_MakeText(-2900 * U, -1900 * U, 0, 105830, 70550, "N1", 3, 0, 0));
    // A second net whose nodes are not wired yet: a ratsnest line to draw
    // from B's entry to C's.
    d.c = C_CreateComponent(0, "C1", 1, 0, d.box, 1, -3000 * U, -3500 * U, 0);
    d.loose = N_CreateNet(0, 1, "N2");
    N_CreateNode(d.loose, 0, d.b, 1, 0, 0);
    N_CreateNode(d.loose, 0, d.c, 1, 0, 0);
    return d;
}

// Draws the design as the page paint does.
void DrawDesign()
{
    C_DrawAllComponents(1);
    B_DrawAllBranchMask(1, 1, 1);
    J_DrawAllJunctions(1);
}

// 300 x 200 pixels over the whole design.
void OpenDesignView(Surface& s)
{
    const ViewDCRec view = View(25000, s.image.width(), s.image.height(), -350000, -1700000);
    ASSERT_EQ(G_OpenDC(s.handle, &view), 1);
}

TEST_F(Draw, ObjectsDrawnTwiceInXorModesRestoreTheImage)
{
    const Design d = MakeDesign();
    // Bit 8 is XOR for single objects; the calls that draw a page's worth
    // (the ratsnest) are XOR in mode 32 only.
    struct Case {
        const char* what;
        bool wholePage;
        std::function<void()> draw;
    } cases[] = {
        {"component", false, [&] { C_DrawComponent(d.a); }},
        {"component text", false, [&] { C_DrawCompText(d.b, 1); }},
        {"wire records", false, [&] { B_DrawAllRecords(d.wire, -1); }},
        {"wire segment", false, [&] { B_DrawRecords(d.wire, 2, 1); }},
        {"wire texts", false, [&] { B_DrawBranchAllTexts(d.wire, 15); }},
        {"junction", false, [&] { J_DrawJunction(d.j1); }},
        {"nodes", false, [&] { N_DrawNetNodes(d.loose, -1); }},
        {"net with its wires and nodes", true, [&] { N_DrawNetRatsnest(d.net, 1, 0); }},
        {"ratsnest", true, [&] { N_DrawNetRatsnest(d.loose, 0, 1); }},
        {"symbol at the placement frame", true, [&] {
             S_SetCompLocation(-1000 * U, -1000 * U, 30000, 2);
             S_DrawSymbol(d.box, 1, 1);
         }},
    };
    for (const Case& c : cases)
        for (int32_t mode : {8, 32}) {
            if (mode == 8 && c.wholePage) continue;
            SCOPED_TRACE(std::string(c.what) + ", mode " + std::to_string(mode));
            Surface s(300, 200);
            OpenDesignView(s);
            DrawDesign();
            G_CloseDC();
            const QImage before = s.image.copy();
            for (int pass = 0; pass < 2; ++pass) {
                OpenDesignView(s);
                G_SetDrawMode(mode);
                G_SetColor(191);
                c.draw();
                G_CloseDC();
                if (pass == 0) {
                    EXPECT_FALSE(CompareImages(before, s.image).Same());
                }
            }
            EXPECT_TRUE(CompareImages(before, s.image).Same());
        }
}

TEST_F(Draw, ModeTwoErasesInTheBackgroundColour)
{
    const Design d = MakeDesign();
    struct Case {
        const char* what;
        std::function<void()> draw;
    } cases[] = {
        {"primitives", [] {
             G_SetWidth(4);
             G_Line(-3000 * U, -3000 * U, 3000 * U, 1000 * U);
             G_SetStyle(16);
             G_Rectangle(-500 * U, -500 * U, 1500 * U, 800 * U, 45000);
             G_SetStyle(0);
             G_Circle(1000 * U, -1000 * U, 900 * U);
         }},
        {"the design", [] { DrawDesign(); }},
        {"a component", [&] { C_DrawComponent(d.b); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Surface s(300, 200);
        const QImage blank = s.image.copy();
        OpenDesignView(s);
        G_SetDrawMode(0);
        c.draw();
        G_CloseDC();
        EXPECT_FALSE(CompareImages(blank, s.image).Same());
        OpenDesignView(s);
        G_SetDrawMode(2);
        G_SetColor(15);  // the pen colour does not matter when erasing
        G_SetStyle(0);
        G_SetWidth(1);
        c.draw();
        G_CloseDC();
        EXPECT_TRUE(CompareImages(blank, s.image).Same()) << CompareImages(blank, s.image).differing;
    }
}

TEST_F(Draw, OnAPrinterXorModesDrawPlainly)
{
    for (bool printer : {true, false}) {
        SCOPED_TRACE(printer ? "printer device" : "mode bit 64");
        Surface s(100, 100, printer ? winsys::DeviceKind::Printer : winsys::DeviceKind::Image);
        Open(s, 100);
        G_SetDrawMode(printer ? 32 : 32 | 64);
        G_SetColor(15);
        G_Line(-2000, 0, 2000, 0);
        G_Line(-2000, 0, 2000, 0);
        G_CloseDC();
        EXPECT_EQ(PixelAt(s.image, 50, 50), Palette(15));
    }
}

TEST_F(Draw, BitEightIsMonochromeForAWholePageAndXorForOneMarking)
{
    MakeDesign();
    Surface s(300, 200);
    const QRgb background = PixelAt(s.image, 0, 0);
    // The whole page twice in mode 8: drawn plainly, all in the pen colour.
    for (int pass = 0; pass < 2; ++pass) {
        OpenDesignView(s);
        G_SetDrawMode(8);
        G_SetColor(0);
        DrawDesign();
        G_CloseDC();
    }
    int black = 0, other = 0;
    for (int y = 0; y < s.image.height(); ++y)
        for (int x = 0; x < s.image.width(); ++x) {
            const QRgb p = PixelAt(s.image, x, y);
            if (p == Palette(0)) ++black;
            else if (p != background) ++other;
        }
    EXPECT_GT(black, 100);
    EXPECT_EQ(other, 0);
}

TEST_F(Draw, EntryNamesShowUnlessModeBit512)
{
    const Design d = MakeDesign();
    const QRgb name = Category(4);
    for (int32_t mode : {0, 512}) {
        Surface s(400, 300);
        Open(s, 5000, 300 * U, 250 * U);
        G_SetDrawMode(mode);
        C_DrawComponent(d.a);
        G_CloseDC();
        if (mode == 0)
            EXPECT_GT(CountPixels(s.image, name), 5);
        else
            EXPECT_EQ(CountPixels(s.image, name), 0);
    }
}

// A page's components are drawn only where they can show: turned, mirrored
// and placed all around the view's edge, with names and entry names poking
// in, and one whose body lies far away but whose text sits in the middle,
// the page draw gives exactly the pixels of drawing each one.
TEST_F(Draw, APageDrawLeavesOutOnlyComponentsThatCannotShow)
{
    const Design d = MakeDesign();
    std::vector<int32_t> comps = {d.a, d.b, d.c};
    int n = 0;
    for (int32_t y = -5200 * U; y <= 4800 * U; y += 430 * U)
        for (int32_t x = -6100 * U; x <= 5900 * U; x += 430 * U, ++n) {
            const int32_t angles[] = {0, 90000, 180000, 270000, 45000};
            const int32_t flags = (n % 3 == 0) ? 3 : 1;  // every third one mirrored
            const std::string name = "X" + std::to_string(n);
            const int32_t c = C_CreateComponent(0, name.c_str(), flags, 0, d.box, 1, x, y, angles[n % 5]);
            ASSERT_GT(c, 0);
            OA_Add(C_CompTextArray(c), I_MakeText(0, 600 * U, 0, 105830, 70550, name.c_str(), 130, 33, 0));
            comps.push_back(c);
        }
    const int32_t far = C_CreateComponent(0, "FAR", 1, 0, d.box, 1, 9000 * U, 9000 * U, 0);
    OA_Add(C_CompTextArray(far), I_MakeText(-9000 * U, -9000 * U, 0, 105830, 70550, "FAR", 130, 33, 0));
    comps.push_back(far);

    Surface page(400, 300), each(400, 300);
    Open(page, 5000);
    const int32_t drawn = C_DrawAllComponents(1);
    G_CloseDC();
    Open(each, 5000);
    for (int32_t c : comps) C_DrawComponent(c);
    G_CloseDC();

    EXPECT_LT(drawn, static_cast<int32_t>(comps.size()) / 2) << "components out of view were drawn";
    EXPECT_TRUE(CompareImages(each.image, page.image).Same());
    // The far component does show (its text), so leaving it out by its
    // body would have lost pixels.
    Surface farOnly(400, 300);
    Open(farOnly, 5000);
    C_DrawComponent(far);
    G_CloseDC();
    EXPECT_GT(CountPixels(farOnly.image, Category(33)), 0);
}

// A component's text turns with its component: read back in page
// coordinates its angle is the component's angle plus its own (its own
// negated when mirrored), so turned half round, mirrored or not, it runs
// from its origin to the left, upside down; nothing turns it back to read
// upright. The screen and the printer draw it alike, at that angle.
TEST_F(Draw, ACompTextTurnsWithItsComponentOnScreenAndOnThePrinter)
{
    const Design d = MakeDesign();
    // A value text 0.25 inch high above the body, four characters long.
    ASSERT_EQ(OA_Add(C_CompTextArray(d.a), I_MakeText(0, 600 * U, 0, 105830, 70550, "WXYZ", 136, 35, 0)), 2);
    struct Case {
        int32_t angle;
        bool mirrored;
        int32_t textAngle;  // read back
        bool leftwards;     // the ink lies left of the origin and below it
    } cases[] = {
        {0, false, 0, false},
        {180000, false, 180000, true},
        {180000, true, 180000, true},
        {0, true, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.angle) + (c.mirrored ? " mirrored" : ""));
        ASSERT_EQ(C_ChangeCompDispAttr(d.a, c.angle, c.mirrored ? 1 : 0), 1);
        ItemRec text{};
        ASSERT_EQ(I_ReadItemAbs(C_CompText(d.a, 2), &text), 1);
        EXPECT_EQ(text.Angle, c.textAngle);
        EXPECT_EQ(text.X, 0);
        EXPECT_EQ(text.Y, c.angle == 0 ? 600 * U : -600 * U);
        QImage images[2];
        for (const bool printer : {false, true}) {
            Surface s(400, 400, printer ? winsys::DeviceKind::Printer : winsys::DeviceKind::Image);
            Open(s, 10000);
            G_SetDrawMode(0);
            ASSERT_EQ(C_DrawCompText(d.a, 2), 1);
            G_CloseDC();
            images[printer] = s.image;
        }
        // The ink of the text against the pixel of its origin (the view's
        // centre is (200, 200), 10,000 units to the pixel, Y upwards).
        const QPoint origin(200, 200 - text.Y / 10000);
        const QRgb back = PixelAt(images[0], 0, 0);
        QRect ink;
        for (int y = 0; y < 400; ++y)
            for (int x = 0; x < 400; ++x)
                if (PixelAt(images[0], x, y) != back) ink |= QRect(x, y, 1, 1);
        ASSERT_FALSE(ink.isEmpty());
        const int length = 4 * 6 * 70550 / 10000;  // four cells, in pixels
        EXPECT_GT(ink.width(), length * 3 / 4);
        EXPECT_LT(ink.height(), length / 2) << "a line of text along X";
        const QPoint centre = ink.center();
        if (c.leftwards) {
            EXPECT_LT(centre.x(), origin.x() - length / 4);
            EXPECT_GT(centre.y(), origin.y());
        } else {
            EXPECT_GT(centre.x(), origin.x() + length / 4);
            EXPECT_LT(centre.y(), origin.y());
        }
        EXPECT_TRUE(CompareImages(images[0], images[1]).Same()) << "the printer draws the text as the screen does";
    }
}

TEST_F(Draw, DrawingReadsTheLiveSystemTables)
{
    const Design d = MakeDesign();
    auto* palette = static_cast<int32_t*>(E_SysTable(0));
    const uint8_t wireColour = static_cast<const uint8_t*>(E_SysTable(1))[10];
    palette[wireColour] = 0x00123456;  // BB=12 GG=34 RR=56
    auto* width = static_cast<int32_t*>(E_SysTable(14));
    int counts[2];
    for (int i = 0; i < 2; ++i) {
        *width = i == 0 ? 0 : 250000;  // one pixel, then 10 pixels at 25,000 units per pixel
        Surface s(300, 200);
        OpenDesignView(s);
        B_DrawAllRecords(d.wire, -1);
        G_CloseDC();
        counts[i] = CountPixels(s.image, qRgb(0x56, 0x34, 0x12));
    }
    EXPECT_GT(counts[0], 50);
    EXPECT_GT(counts[1], counts[0] * 5);
}

TEST_F(Draw, EachModeGivesObjectsTheirColour)
{
    const Design d = MakeDesign();
    // The middle of B's left side, where its body meets its lead.
    struct Case {
        int32_t mode;
        QRgb colour;
        bool secondDrawingRemoves;
    } cases[] = {
        {0, Category(0), false},    // its own colour: component bodies (Layer 0)
        {1, Category(6), false},    // marked: the highlight colour, plainly
        {32, Category(6), true},    // overlay: the highlight colour, XOR
        {8, Palette(191), true},    // one object in mode 8: the pen colour, XOR
        {2, Category(31), false},   // erase
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("mode " + std::to_string(c.mode));
        Surface s(300, 200);
        s.image.fill(Rgb(10, 20, 30));  // not the background, so that erasing shows
        int32_t at[2] = {1300 * U, 250 * U};
        for (int pass = 0; pass < 2; ++pass) {
            OpenDesignView(s);
            if (pass == 0) G_LPtoDP(at);
            G_SetDrawMode(c.mode);
            G_SetColor(191);
            C_DrawComponent(d.b);
            G_CloseDC();
            const QRgb seen = PixelAt(s.image, at[0], at[1]);
            if (pass == 0 && c.mode != 32 && c.mode != 8) {
                EXPECT_EQ(seen, c.colour);  // XOR modes show their colour on the background only
            }
            if (pass == 1) {
                EXPECT_EQ(seen == Rgb(10, 20, 30), c.secondDrawingRemoves);
            }
        }
    }
}

TEST_F(Draw, MasksAndSelectorsTakeExactlyTheirObjects)
{
    const Design d = MakeDesign();
    // Symbol items of status 1, 2 and 4, side by side: (symbol, 2, 0)
    // draws the status-2 one only; 1 draws all.
    const int32_t grid = S_CreateSymbol(0, "GRID");
    for (int i = 0; i < 3; ++i) {
        ItemRec line{};
        line.Kind = 1;
        line.Flags = 1 << i;
        line.X = i * 1000 * U;
        line.P2 = 500 * U;
        OA_Add(S_SymbolItemArray(grid), I_MakeItem(&line));
    }
    auto drawnAt = [](int32_t x, int32_t y) {
        return [x, y](const Surface& s) {
            int32_t p[2] = {x, y};
            const ViewDCRec view = View(25000, 300, 200, -350000, -1700000);
            G_OpenDC(s.handle, &view);
            G_LPtoDP(p);
            G_CloseDC();
            return PixelAt(s.image, p[0], p[1]) != Category(31);
        };
    };
    struct Case {
        const char* what;
        std::function<void()> draw;
        std::vector<std::pair<std::function<bool(const Surface&)>, bool>> checks;
    } cases[] = {
        {"symbol items of status 2", [&] { S_DrawSymbol(grid, 2, 0); },
         {{drawnAt(0, 250 * U), false}, {drawnAt(1000 * U, 250 * U), true}, {drawnAt(2000 * U, 250 * U), false}}},
        {"every symbol item", [&] { S_DrawSymbol(grid, 1, 0); },
         {{drawnAt(0, 250 * U), true}, {drawnAt(1000 * U, 250 * U), true}, {drawnAt(2000 * U, 250 * U), true}}},
        {"components with bit 1", [&] {
             O_Mask(C_Component(d.b), 4, 5);  // B taken off the canvas for a move
             C_DrawAllComponents(1);
             O_Mask(C_Component(d.b), 1, 5);
         },
         {{drawnAt(0, 250 * U), true}, {drawnAt(1300 * U, 250 * U), false}}},
        {"branches carrying 128 only", [&] {
             O_Mask(B_Branch(d.wire), 128, 128);
             B_DrawAllBranchMask(128, 128, 0);
             O_Mask(B_Branch(d.wire), 0, 128);
         },
         {{drawnAt(-1600 * U, -2000 * U), true}, {drawnAt(-200 * U, -3000 * U), false}}},
        {"junction dots only", [&] { J_DrawAllJunctions(-1); },
         {{drawnAt(-200 * U, -2000 * U), true}, {drawnAt(-3000 * U, -2000 * U), false}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Surface s(300, 200);
        OpenDesignView(s);
        c.draw();
        G_CloseDC();
        for (const auto& [check, drawn] : c.checks) EXPECT_EQ(check(s), drawn);
    }
}

// ---- Metafiles -------------------------------------------------------------------

TEST_F(Draw, AMetafileRecordedInAnyModeIsErasedByASecondPlay)
{
    const Design d = MakeDesign();
    for (int32_t mode : {0, 1, 8, 32}) {
        SCOPED_TRACE("recorded in mode " + std::to_string(mode));
        Surface s(300, 200);
        OpenDesignView(s);
        DrawDesign();
        G_CloseDC();
        const QImage before = s.image.copy();
        // Recorded at the origin, as highlights and blinks are.
        const ViewDCRec atOrigin = View(25000, 300, 200, 0, 0);
        ASSERT_EQ(G_OpenDC(s.handle, &atOrigin), 1);
        ASSERT_EQ(G_OpenMF(s.handle), 1);
        G_SetDrawMode(mode);
        G_SetColor(191);
        G_SetStyle(0);
        G_Rectangle(-1000 * U, -1000 * U, 2000 * U, 2000 * U, 45000);
        G_Circle(-200 * U, -2000 * U, 1000 * U);
        C_DrawComponent(d.b);
        B_DrawAllRecords(d.wire, -1);
        B_DrawBranchAllTexts(d.wire, 15);
        J_DrawJunction(d.j1);
        N_DrawNetRatsnest(d.net, 1, 1);
        const int32_t mf = G_CloseMF();
        ASSERT_GT(mf, 0);
        G_CloseDC();
        EXPECT_TRUE(CompareImages(before, s.image).Same()) << "nothing is shown while recording";
        OpenDesignView(s);
        ASSERT_EQ(G_PlayEnhMetaFile(s.handle, mf), 1);
        G_CloseDC();
        EXPECT_FALSE(CompareImages(before, s.image).Same());
        OpenDesignView(s);
        ASSERT_EQ(G_PlayEnhMetaFile(s.handle, mf), 1);
        G_CloseDC();
        EXPECT_TRUE(CompareImages(before, s.image).Same());
        EXPECT_EQ(G_DeleteEnhMetaFile(mf), 1);
        EXPECT_EQ(G_DeleteEnhMetaFile(mf), 0);
        EXPECT_EQ(G_PlayEnhMetaFile(s.handle, mf), 0);
    }
}

TEST_F(Draw, AMetafileIsResolvedWhenRecordedSoObjectsMayMoveBeforeItIsErased)
{
    const Design d = MakeDesign();
    Surface s(300, 200);
    const QImage blank = s.image.copy();
    OpenDesignView(s);
    G_OpenMF(s.handle);
    G_SetDrawMode(32);
    C_DrawComponent(d.a);
    const int32_t mf = G_CloseMF();
    G_PlayEnhMetaFile(s.handle, mf);
    O_ChangePosition(C_Component(d.a), 3000 * U, 3000 * U);  // moved between showing and erasing
    G_PlayEnhMetaFile(s.handle, mf);
    G_CloseDC();
    EXPECT_TRUE(CompareImages(blank, s.image).Same());
}

TEST_F(Draw, AReplayAtAnotherViewLandsOnTheSameDatabaseCoordinates)
{
    struct Case {
        const char* what;
        ViewDCRec record, play;
    } cases[] = {
        {"another centre", View(50, 200, 150, 0, 0), View(50, 200, 150, 1500, -800)},
        {"another centre and zoom", View(50, 200, 150, 0, 0), View(20, 200, 150, 700, 300)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Surface rec(200, 150);
        ASSERT_EQ(G_OpenDC(rec.handle, &c.record), 1);
        G_OpenMF(rec.handle);
        G_SetDrawMode(0);
        G_SetColor(15);
        G_Line(0, 0, 2500, 1000);
        G_Circle(1000, -500, 600);
        const int32_t mf = G_CloseMF();
        G_CloseDC();

        Surface played(200, 150);
        ASSERT_EQ(G_OpenDC(played.handle, &c.play), 1);
        G_PlayEnhMetaFile(played.handle, mf);
        int32_t p[2] = {2500, 1000};
        G_LPtoDP(p);
        G_CloseDC();
        EXPECT_EQ(PixelAt(played.image, p[0], p[1]), Palette(15));

        // The same figures drawn directly (inverting) at that view.
        Surface direct(200, 150);
        ASSERT_EQ(G_OpenDC(direct.handle, &c.play), 1);
        G_SetDrawMode(8);
        G_SetColor(15);
        G_Line(0, 0, 2500, 1000);
        G_Circle(1000, -500, 600);
        G_CloseDC();
        EXPECT_TRUE(CompareImages(direct.image, played.image).Same());
        G_DeleteEnhMetaFile(mf);
    }
}

TEST_F(Draw, PlayingNeedsAContextOnTheDeviceAndALiveMetafile)
{
    Surface s(50, 50);
    Surface other(50, 50);
    Open(s);
    G_OpenMF(s.handle);
    G_Line(0, 0, 1000, 1000);
    const int32_t mf = G_CloseMF();
    EXPECT_EQ(G_CloseMF(), 0);  // no recording runs
    EXPECT_EQ(G_PlayEnhMetaFile(other.handle, mf), 0);
    EXPECT_EQ(G_PlayEnhMetaFile(s.handle, mf + 1), 0);
    EXPECT_EQ(G_PlayEnhMetaFile(s.handle, mf), 1);
    G_CloseDC();
    EXPECT_EQ(G_PlayEnhMetaFile(s.handle, mf), 0);
    // An empty recording is a metafile too.
    G_OpenMF(s.handle);
    EXPECT_GT(G_CloseMF(), 0);
}

// ---- Coordinates and angles ---------------------------------------------------------

TEST_F(Draw, AnglesAreNormalised)
{
    struct Case {
        int32_t in, out;
    } cases[] = {{0, 0}, {359999, 359999}, {360000, 0}, {-90000, 270000}, {450000, 90000}, {-720001, 359999}};
    for (const Case& c : cases) EXPECT_EQ(G_AngleAdj(c.in), c.out) << c.in;

    struct Arc {
        int32_t start, sweep, outStart, outSweep;
    } arcs[] = {
        {10000, 90000, 10000, 90000},
        {10000, -90000, 280000, 90000},   // a negative sweep from the other end
        {370000, 400000, 10000, 360000},  // more than a circle
        {-5000, 0, 355000, 0},
    };
    for (const Arc& a : arcs) {
        int32_t start = a.start, sweep = a.sweep;
        ASSERT_EQ(G_ArcNormalize(&start, &sweep), 1);
        EXPECT_EQ(start, a.outStart);
        EXPECT_EQ(sweep, a.outSweep);
    }
    EXPECT_EQ(G_ArcNormalize(nullptr, nullptr), 0);
}

TEST_F(Draw, PlacementFrameConversionsAreInverse)
{
    struct Case {
        int32_t x, y, angle, mirror;
        int32_t inX, inY, pageX, pageY;  // a frame point and where it lands (quarter turns)
    } cases[] = {
        {0, 0, 0, 0, 100, 50, 100, 50},
        {1000, 2000, 90000, 0, 100, 50, 950, 2100},
        {1000, 2000, 0, 2, 100, 50, 900, 2050},
        {1000, 2000, 270000, 2, 100, 50, 1050, 2100},
        {-500, 300, 180000, 0, 100, 50, -600, 250},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(S_SetCompLocation(c.x, c.y, c.angle, c.mirror), 1);
        int32_t p[2] = {c.inX, c.inY};
        ASSERT_EQ(I_LPtoAP(p), 1);
        EXPECT_EQ(p[0], c.pageX);
        EXPECT_EQ(p[1], c.pageY);
        ASSERT_EQ(I_APtoLP(p), 1);
        EXPECT_EQ(p[0], c.inX);
        EXPECT_EQ(p[1], c.inY);
    }
    // Any angle: back within a unit.
    ASSERT_EQ(S_SetCompLocation(12345, -6789, 33333, 2), 1);
    int32_t p[2] = {54321, 9876};
    I_LPtoAP(p);
    I_APtoLP(p);
    EXPECT_NEAR(p[0], 54321, 1);
    EXPECT_NEAR(p[1], 9876, 1);
    EXPECT_EQ(S_SetCompLocation(230000000, 0, 0, 0), 0);

    // Symbol items read in absolute coordinates go through the frame.
    const int32_t symbol = S_CreateSymbol(0, "S");
    ItemRec line{};
    line.Kind = 1;
    line.X = 100;
    line.P1 = 50;
    OA_Add(S_SymbolItemArray(symbol), I_MakeItem(&line));
    ASSERT_EQ(S_SetCompLocation(1000, 0, 90000, 0), 1);
    ItemRec abs{};
    ASSERT_EQ(I_ReadItemAbs(S_SymbolItem(symbol, 1), &abs), 1);
    EXPECT_EQ(abs.X, 1000);
    EXPECT_EQ(abs.Y, 100);
    EXPECT_EQ(abs.P1, 0);
    EXPECT_EQ(abs.P2, 50);
}

TEST_F(Draw, TextSizeIsSixTimesTheCellPerCharacter)
{
    int32_t extent[2] = {0, 0};
    ASSERT_EQ(G_GetTextSize(42332, 28220, 5, extent), 1);
    EXPECT_EQ(extent[0], 5 * 6 * 28220);
    EXPECT_EQ(extent[1], 6 * 42332);  // size 4: 0.1 inch high
    EXPECT_EQ(G_GetTextSize(1, 1, -1, extent), 0);
    EXPECT_EQ(G_GetTextSize(1, 1, 1, nullptr), 0);
}

TEST_F(Draw, TheGridStepGrowsUntilPointsAreFivePixelsApart)
{
    Surface s(200, 100);
    struct Case {
        int32_t size, step, drawn;
    } cases[] = {{100, 1000, 1000}, {100, 400, 800}, {100, 200, 1000}, {1000, 254000, 254000}, {100000, 25400, 508000}};
    for (const Case& c : cases) {
        const ViewDCRec view = View(c.size, 200, 100);
        G_OpenDC(s.handle, &view);
        EXPECT_EQ(G_DrawGrid(0, 0, 200, 100, c.step, 1), c.drawn) << c.size << " " << c.step;
        G_DrawGrid(0, 0, 200, 100, c.step, 0);  // and away again
        G_CloseDC();
    }
    EXPECT_EQ(CountPixels(s.image, Category(16)), 0);
    EXPECT_EQ(G_DrawGrid(0, 0, 10, 10, 100, 1), 0);  // no context
}

// ---- Hit tests ---------------------------------------------------------------------

TEST_F(Draw, ComponentCoverTable)
{
    // A: 0..1000U x 0..500U and its entry lead from x -200U; B the same from
    // 1300U (its lead from 1100U); entries at y 250U.
    const Design d = MakeDesign();
    struct Case {
        const char* what;
        int32_t x, y, tolerance;
        std::vector<int32_t> hits;
        int32_t entry;
    } cases[] = {
        {"inside A", 500 * U, 250 * U, 10, {d.a}, 0},
        {"on A's entry", -200 * U, 250 * U, 50, {d.a}, 1},
        {"just within the tolerance above A", 500 * U, 500 * U + 100, 100, {d.a}, 0},
        {"just outside the tolerance", 500 * U, 500 * U + 101, 100, {}, 0},
        {"between, nearer A", 1050 * U, 100 * U, 60 * U, {d.a, d.b}, 0},
        {"between, on B's lead", 1150 * U, 250 * U, 250 * U, {d.b, d.a}, 1},
        {"far away", 50000 * U, 0, 1000, {}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        int32_t entry = -1;
        std::vector<int32_t> hits;
        for (int32_t id = C_CoverComponent(c.x, c.y, c.tolerance, &entry); id; id = C_CoverNextComponent(nullptr))
            hits.push_back(id);
        EXPECT_EQ(hits, c.hits);
        if (!c.hits.empty()) {
            EXPECT_EQ(entry, c.entry);
        }
    }
    // The distance of the last hit: 50U from A's right side, then B's lead.
    int32_t entry = -1;
    EXPECT_EQ(C_CoverComponent(1050 * U, 100 * U, 60 * U, &entry), d.a);
    EXPECT_EQ(DB_GetCoverDistance(), 50 * U);
    EXPECT_EQ(C_CoverNextComponent(&entry), d.b);
    EXPECT_EQ(entry, 0);
    EXPECT_EQ(DB_GetCoverDistance(), static_cast<int32_t>(std::lround(std::hypot(50.0 * U, 150.0 * U))));
    EXPECT_EQ(C_CoverNextComponent(&entry), 0);
}

TEST_F(Draw, HitTestsFollowChangesToTheDesign)
{
    const Design d = MakeDesign();
    EXPECT_EQ(C_CoverComponent(500 * U, 250 * U, 0, nullptr), d.a);
    O_ChangePosition(C_Component(d.a), 10000 * U, 0);
    EXPECT_EQ(C_CoverComponent(500 * U, 250 * U, 0, nullptr), 0);
    EXPECT_EQ(C_CoverComponent(10500 * U, 250 * U, 0, nullptr), d.a);
    C_ChangeCompDispAttr(d.a, 90000, 0);  // now 9500U..10000U x 0..1000U
    EXPECT_EQ(C_CoverComponent(9700 * U, 900 * U, 0, nullptr), d.a);
    // The wire's first record follows the entry it refers to.
    int32_t record = 0;
    EXPECT_EQ(B_CoverBranch(-200 * U, 0, 10, &record), 0);
    EXPECT_EQ(B_CoverBranch(9750 * U, -200 * U, 10, &record), d.wire);
    EXPECT_EQ(record, 2);
    // A component on another page is not under the pointer.
    const int32_t page2 = DB_CreatePage(0, "P2");
    O_ChangePage(C_Component(d.b), page2);
    EXPECT_EQ(C_CoverComponent(1800 * U, 250 * U, 0, nullptr), 0);
    DB_SetCurPage(page2);
    EXPECT_EQ(C_CoverComponent(1800 * U, 250 * U, 0, nullptr), d.b);
    OM_Delete(DB_SchCompMap(), d.b);
    EXPECT_EQ(C_CoverComponent(1800 * U, 250 * U, 0, nullptr), 0);
}

// Every kind of change a hit test must see, each on a fresh design: the
// query runs once before the change (which builds its index from the design
// as it was) and once right after it, so a change that leaves the index
// believing it is still current fails here.
TEST_F(Draw, HitTestsSeeEveryKindOfChangeRightAway)
{
    char pattern[] = "/tmp/kernel-draw-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::string dir = pattern;
    Design d;
    auto fresh = [&] {
        DB_DiscardDataBase();
        ASSERT_NE(DB_CreateDataBase("Untitled", "MAINHIER", "MAINPAGE"), 0);
        N_SetNodeView(0);
        d = MakeDesign();
    };
    fresh();
    const Design first = d;

    // What the cases set up and change afterwards.
    int32_t page2 = 0, other = 0, layComp = 0, readLib = 0, libEntry = 0;
    int32_t netA = d.net;
    const int32_t nodeA = N_FindCompEntry(d.a, 1, &netA);
    ASSERT_GT(nodeA, 0);
    const int32_t mainLevel = DB_CurHier();

    // The queries: what lies under a point, 0 for nothing.
    auto comp = [](int32_t x, int32_t y) { return C_CoverComponent(x, y, 0, nullptr); };
    auto entry = [](int32_t x, int32_t y) {
        int32_t e = -1;
        return C_CoverComponent(x, y, 50, &e) ? e : -1;
    };
    auto compText = [](int32_t x, int32_t y) {
        int32_t found = 0;
        return C_CoverCompText(-1, x, y, 0, &found);
    };
    auto wire = [](int32_t x, int32_t y) {
        int32_t record = 0;
        return B_CoverBranch(x, y, 10, &record);
    };
    auto wireText = [](int32_t x, int32_t y) {
        int32_t found = 0;
        return B_CoverBranchText(-1, x, y, 0, &found);
    };
    auto junction = [](int32_t x, int32_t y) { return J_CoverJunction(x, y, 10); };
    auto nodeNet = [](int32_t x, int32_t y) {
        int32_t net = 0;
        return N_CoverNode(x, y, 10, &net) ? net : 0;
    };
    auto moveItem = [](int32_t item, int32_t x, int32_t y) {
        ItemRec r{};
        ASSERT_EQ(I_ReadItem(item, &r), 1);
        r.X = x;
        r.Y = y;
        ASSERT_EQ(I_ChangeItemXY(item, &r), 1);
    };
    auto newPage = [&] { page2 = DB_CreatePage(0, "P2"); };
    // A layout component with a node on its pad, seen in the layout view.
    auto layoutNode = [&] {
        layComp = L_CreateComponent(0, "L1", 0, 0, d.box, 0, 7000 * U, 7000 * U, 0);
        N_CreateNode(d.net, 0, 0, 0, layComp, 1);
        N_SetNodeView(1);
    };
    const auto noPrepare = std::function<void()>();

    // A's body covers 0..1000U x 0..500U, its entry lead runs from
    // (-200U, 250U); the wire runs from A's entry down to j1 (-200U, -2000U)
    // and left to j2 (-3000U, -2000U).
    struct Case {
        const char* what;
        std::function<void()> prepare;  // before the index is built
        std::function<void()> change;
        std::function<int32_t()> query;
        int32_t before, after;
    } cases[] = {
        // Components
        {"move a component", noPrepare, [&] { O_ChangePosition(C_Component(d.a), 10000 * U, 0); },
         [&] { return comp(10500 * U, 250 * U); }, 0, d.a},
        {"move a component: nothing is left at its old place", noPrepare,
         [&] { O_ChangePosition(C_Component(d.a), 10000 * U, 0); }, [&] { return comp(500 * U, 250 * U); }, d.a, 0},
        {"drag a component with a hit test after each step", noPrepare,
         [&] {
             for (int32_t step = 1; step <= 5; ++step) {
                 O_ChangePosition(C_Component(d.a), step * 2000 * U, 0);
                 ASSERT_EQ(comp(step * 2000 * U + 500 * U, 250 * U), d.a) << step;
                 ASSERT_EQ(comp((step - 1) * 2000 * U + 500 * U, 250 * U), 0) << step;
             }
         },
         [&] { return comp(8500 * U, 250 * U); }, 0, 0},
        {"a node follows its component", noPrepare, [&] { O_ChangePosition(C_Component(d.a), 10000 * U, 0); },
         [&] { return nodeNet(9800 * U, 250 * U); }, 0, d.net},
        {"a component's text follows it", noPrepare, [&] { O_ChangePosition(C_Component(d.a), 10000 * U, 0); },
         [&] { return compText(10100 * U, 650 * U); }, 0, 1},
        {"rotate a component", noPrepare, [&] { C_ChangeCompDispAttr(d.a, 90000, 0); },
         [&] { return comp(-250 * U, 800 * U); }, 0, d.a},
        {"mirror a component", noPrepare, [&] { C_ChangeCompDispAttr(d.a, 0, 1); },
         [&] { return comp(-600 * U, 100 * U); }, 0, d.a},
        {"mirror a component through its status word", noPrepare, [&] { O_Mask(C_Component(d.a), 2, 2); },
         [&] { return comp(-600 * U, 100 * U); }, 0, d.a},
        {"mirror every component of the map", noPrepare, [&] { OM_MaskAll(DB_SchCompMap(), 2, 2); },
         [&] { return comp(-600 * U, 100 * U); }, 0, d.a},
        {"delete a component", noPrepare, [&] { OM_Delete(DB_SchCompMap(), d.a); },
         [&] { return comp(500 * U, 250 * U); }, d.a, 0},
        {"create a component", noPrepare, [&] { C_CreateComponent(77, "D1", 1, 0, d.box, 1, 5000 * U, 5000 * U, 0); },
         [&] { return comp(5500 * U, 5250 * U); }, 0, 77},
        {"renumber a component", noPrepare, [&] { OM_ChangeId(DB_SchCompMap(), d.a, 50); },
         [&] { return comp(500 * U, 250 * U); }, d.a, 50},
        {"give a component another symbol",
         [&] {
             other = S_CreateSymbol(0, "WIDE");
             ItemRec rect{};
             rect.Kind = 3;
             rect.P1 = 3000 * U;
             rect.P2 = 500 * U;
             OA_Add(S_SymbolItemArray(other), I_MakeItem(&rect));
         },
         [&] { C_ChangeCompSymbol(d.a, other); }, [&] { return comp(2500 * U, 250 * U); }, 0, d.a},
        {"move a component to another page", newPage, [&] { O_ChangePage(C_Component(d.a), page2); },
         [&] { return comp(500 * U, 250 * U); }, d.a, 0},
        {"a wire end follows its component", noPrepare, [&] { O_ChangePosition(C_Component(d.a), 10000 * U, 0); },
         [&] { return wire(-200 * U, 0); }, d.wire, 0},
        // Pages, levels, databases
        {"change the current page",
         [&] {
             newPage();
             O_ChangePage(C_Component(d.b), page2);
         },
         [&] { DB_SetCurPage(page2); }, [&] { return comp(1800 * U, 250 * U); }, 0, d.b},
        {"change the current level",
         [&] {
             const int32_t sub = DB_CreateHier(0, "SUB", "P1");
             DB_SetCurHier(sub);
             C_CreateComponent(9, "S1", 1, 0, d.box, 1, 20000 * U, 0, 0);
             DB_SetCurHier(mainLevel);
             other = sub;
         },
         [&] { DB_SetCurHier(other); }, [&] { return comp(20500 * U, 250 * U); }, 0, 9},
        {"load a design",
         [&] {
             ASSERT_EQ(DB_SaveDataBase((dir + "/design.nvd").c_str()), 1) << E_LastError();
             O_ChangePosition(C_Component(d.a), 10000 * U, 0);
         },
         [&] { DB_LoadDataBase((dir + "/design.nvd").c_str()); }, [&] { return comp(500 * U, 250 * U); }, 0, d.a},
        {"create a design", noPrepare,
         [&] {
             DB_DiscardDataBase();
             DB_CreateDataBase("Other", "MAINHIER", "MAINPAGE");
         },
         [&] { return comp(500 * U, 250 * U); }, d.a, 0},
        // Symbols
        {"add an entry to the symbol", noPrepare, [&] { S_AddEntry(d.box, "OUT", 500 * U, -300 * U, 0, 0, 0, 0); },
         [&] { return comp(500 * U, -300 * U); }, 0, d.a},
        {"delete an entry of the symbol", noPrepare, [&] { OA_Delete(S_SymbolEntryArray(d.box), 1); },
         [&] { return entry(-200 * U, 250 * U); }, 1, 0},
        {"add an item to the symbol", noPrepare,
         [&] {
             ItemRec circle{};
             circle.Kind = 4;
             circle.X = 500 * U;
             circle.Y = -1000 * U;
             circle.P1 = 100 * U;
             OA_Add(S_SymbolItemArray(d.box), I_MakeItem(&circle));
         },
         [&] { return comp(500 * U, -1000 * U); }, 0, d.a},
        {"move an item of the symbol", noPrepare, [&] { moveItem(S_SymbolItem(d.box, 1), 0, -2000 * U); },
         [&] { return comp(500 * U, -1750 * U); }, 0, d.a},
        {"a symbol text stops being a template", noPrepare,
         [&] { I_ChangeItemAttr(S_SymbolItem(d.box, 3), 0, 0, 0, 0); }, [&] { return comp(50 * U, 620 * U); }, 0,
         d.a},
        {"a symbol text stops being a template through its status word", noPrepare,
         [&] { O_Mask(S_SymbolItem(d.box, 3), 0, 2); }, [&] { return comp(50 * U, 620 * U); }, 0, d.a},
        {"every symbol item's status word", noPrepare, [&] { OA_MaskAll(S_SymbolItemArray(d.box), 0, -1); },
         [&] { return comp(50 * U, 620 * U); }, 0, d.a},
        {"load a symbol from a library",
         [&] {
             const std::string path = dir + "/symbols.nsl";
             int32_t lib = E_OpenLibrary(path.c_str(), "NorvoSLL00", -1);
             ASSERT_GT(lib, 0) << E_LastError();
             ASSERT_EQ(S_SaveSymbol(d.box, E_OpenLibToWrite(lib, "BOX")), 1) << E_LastError();
             E_CloseLibWrite(lib);
             E_CloseLibrary(lib);
             OM_Delete(DB_SymbMap(), d.box);
             readLib = E_OpenLibrary(path.c_str(), "NorvoSLL00", 0);
             libEntry = E_OpenLibToRead(readLib, "BOX");
             ASSERT_GT(libEntry, 0) << E_LastError();
         },
         [&] { ASSERT_EQ(S_LoadSymbol(d.box, libEntry), d.box) << E_LastError(); },
         [&] { return comp(500 * U, 250 * U); }, 0, d.a},
        // Component and wire texts
        {"move a component's text", noPrepare, [&] { moveItem(C_CompText(d.a, 1), 5000 * U, 5000 * U); },
         [&] { return compText(5100 * U, 5100 * U); }, 0, 1},
        {"resize a component's text", noPrepare,
         [&] { I_ChangeTextSize(C_CompText(d.a, 1), 2 * 105830, 2 * 70550); },
         [&] { return compText(100 * U, 1500 * U); }, 0, 1},
        {"delete a component's text", noPrepare, [&] { OA_Delete(C_CompTextArray(d.a), 1); },
         [&] { return compText(100 * U, 650 * U); }, 1, 0},
        {"add a component's text", noPrepare,
         [&] { OA_Add(C_CompTextArray(d.a), I_MakeText(0, -2000 * U, 0, 105830, 70550, "X", 0, 0, 0)); },
         [&] { return compText(50 * U, -1900 * U); }, 0, 2},
        {"move a wire's text", noPrepare, [&] { moveItem(B_BranchText(d.wire, 1), 5000 * U, 5000 * U); },
         [&] { return wireText(5100 * U, 5100 * U); }, 0, 1},
        // Wires and their records
        {"add a wire point", [&] { other = J_CreateJunction(0, 3, -3000 * U, 1000 * U); },
         [&] { B_InsertRecord(d.wire, -1, 5, other); }, [&] { return wire(-3000 * U, 0); }, 0, d.wire},
        {"delete a wire point", noPrepare, [&] { B_DeleteRecord(d.wire, 3); },
         [&] { return wire(-1500 * U, -2000 * U); }, d.wire, 0},
        {"point a wire record at another junction", [&] { other = J_CreateJunction(0, 3, -3000 * U, 1000 * U); },
         [&] { B_ChangeRecordRef(d.wire, 3, other); }, [&] { return wire(-1500 * U, -2000 * U); }, d.wire, 0},
        {"turn a junction record into a node record",
         [&] {
             int32_t net = d.loose;
             B_ChangeRecordRef(d.wire, 3, N_FindCompEntry(d.b, 1, &net));  // still read as junction 2
         },
         [&] { B_MaskRecord(d.wire, 3, 2, 6); }, [&] { return wire(-1500 * U, -2000 * U); }, d.wire, 0},
        {"turn every record of a wire into a node record", noPrepare, [&] { B_MaskBranchRecords(d.wire, 2, 6); },
         [&] { return wire(-1500 * U, -2000 * U); }, d.wire, 0},
        {"turn every record into a node record", noPrepare, [&] { B_MaskAllRecords(2, 6); },
         [&] { return wire(-1500 * U, -2000 * U); }, d.wire, 0},
        {"turn the records of a junction into node records", noPrepare,
         [&] { B_MaskSelRecords(4, d.j2, 0, 0, 2, 6, 0, 0); }, [&] { return wire(-1500 * U, -2000 * U); }, d.wire,
         0},
        {"turn the records of a pin into junction records", noPrepare,
         [&] { B_MaskNodeRecords(d.a, 1, 0, 0, 4, 6, 0, 0); }, [&] { return wire(-200 * U, 0); }, d.wire, 0},
        {"move a wire to another page", newPage, [&] { O_ChangePage(B_Branch(d.wire), page2); },
         [&] { return wire(-1500 * U, -2000 * U); }, d.wire, 0},
        // Junctions
        {"move a junction", noPrepare, [&] { O_ChangePosition(J_Junction(d.j2), -3000 * U, 3000 * U); },
         [&] { return junction(-3000 * U, 3000 * U); }, 0, d.j2},
        {"a wire follows its junction", noPrepare, [&] { O_ChangePosition(J_Junction(d.j2), -3000 * U, 3000 * U); },
         [&] { return wire(-1500 * U, -2000 * U); }, d.wire, 0},
        {"create a junction", noPrepare, [&] { J_CreateJunction(20, 3, 5000 * U, 5000 * U); },
         [&] { return junction(5000 * U, 5000 * U); }, 0, 20},
        {"give a junction back to its heap", noPrepare, [&] { AddToHeap(0, d.j3, 2); },
         [&] { return junction(-200 * U, -4000 * U); }, d.j3, 0},
        {"delete every junction", noPrepare, [&] { OM_DeleteAll(DB_JunctMap()); },
         [&] { return junction(-200 * U, -2000 * U); }, d.j1, 0},
        // Nodes
        {"create a node", [&] { other = C_CreateComponent(0, "D1", 1, 0, d.box, 1, 5000 * U, 5000 * U, 0); },
         [&] { N_CreateNode(d.net, 0, other, 1, 0, 0); }, [&] { return nodeNet(4800 * U, 5250 * U); }, 0, d.net},
        {"move a node to another pin", noPrepare, [&] { N_ChangeNode(d.net, nodeA, d.b, 1); },
         [&] { return nodeNet(-200 * U, 250 * U); }, d.net, 0},
        {"move a node to another net", noPrepare, [&] { OM_Add(N_NodeMap(d.loose), N_Node(d.net, nodeA), 0); },
         [&] { return nodeNet(-200 * U, 250 * U); }, d.net, d.loose},
        {"delete a net", noPrepare, [&] { OM_Delete(DB_NetMap(), d.net); },
         [&] { return nodeNet(-200 * U, 250 * U); }, d.net, 0},
        {"switch the node view",
         [&] {
             layoutNode();
             N_SetNodeView(0);
         },
         [&] { N_SetNodeView(1); }, [&] { return nodeNet(6800 * U, 7250 * U); }, 0, d.net},
        {"move a layout component", layoutNode, [&] { O_ChangePosition(L_Component(layComp), 9000 * U, 7000 * U); },
         [&] { return nodeNet(8800 * U, 7250 * U); }, 0, d.net},
        {"mirror a layout component", layoutNode, [&] { O_Mask(L_Component(layComp), 2, 2); },
         [&] { return nodeNet(7200 * U, 7250 * U); }, 0, d.net},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fresh();
        ASSERT_EQ(d, first);
        if (c.prepare) c.prepare();
        EXPECT_EQ(c.query(), c.before) << "before the change";
        c.change();
        EXPECT_EQ(c.query(), c.after) << "right after the change";
    }
    N_SetNodeView(0);
    E_CloseLibrary(readLib);
    std::filesystem::remove_all(dir);
}

// An index that follows edits answers exactly as one built afresh from the
// design: after each change of a sequence, every kind of hit test at every
// point of a raster over the design gives the same hits and records as it
// does once the indexes have been rebuilt (by showing another page and
// coming back).
TEST_F(Draw, AFollowedIndexAnswersAsARebuiltOne)
{
    const Design d = MakeDesign();
    const int32_t page1 = DB_CurPage(), page2 = DB_CreatePage(0, "P2");
    auto answers = [] {
        std::vector<int32_t> all;
        for (int32_t x = -4000 * U; x <= 12000 * U; x += 250 * U)
            for (int32_t y = -4500 * U; y <= 3000 * U; y += 250 * U) {
                int32_t extra = 0;
                for (int32_t id = C_CoverComponent(x, y, 100 * U, &extra); id; id = C_CoverNextComponent(&extra)) {
                    all.push_back(id);
                    all.push_back(extra);
                }
                for (int32_t id = B_CoverBranch(x, y, 100 * U, &extra); id; id = B_CoverNextBranch(&extra)) {
                    all.push_back(id);
                    all.push_back(extra);
                }
                for (int32_t id = J_CoverJunction(x, y, 100 * U); id; id = J_CoverNextJunction()) all.push_back(id);
                all.push_back(N_CoverNode(x, y, 100 * U, &extra));
                all.push_back(extra);
                all.push_back(C_CoverCompText(-1, x, y, 0, &extra));
                all.push_back(B_CoverBranchText(-1, x, y, 0, &extra));
            }
        return all;
    };
    auto rebuilt = [&] {
        DB_SetCurPage(page2);
        answers();
        DB_SetCurPage(page1);
        return answers();
    };
    int32_t net = d.net;
    const int32_t nodeA = N_FindCompEntry(d.a, 1, &net);
    const std::function<void()> changes[] = {
        [&] { O_ChangePosition(C_Component(d.a), 3000 * U, 1000 * U); },
        [&] { O_ChangePosition(C_Component(d.a), 6000 * U, 2000 * U); },
        [&] { O_ChangePosition(J_Junction(d.j1), 500 * U, -3000 * U); },
        [&] { C_ChangeCompDispAttr(d.b, 90000, 1); },
        [&] { N_ChangeNode(d.net, nodeA, d.c, 1); },
        [&] { OM_Add(N_NodeMap(d.loose), N_Node(d.net, nodeA), 0); },
        [&] { B_InsertRecord(d.wire, -1, 5, d.j3); },
        [&] { O_ChangePage(C_Component(d.c), page2); },
        [&] { C_CreateComponent(0, "D1", 1, 0, d.box, 1, 9000 * U, -2000 * U, 0); },
        [&] { OM_Delete(DB_JunctMap(), d.j2); },
        [&] { OM_Delete(DB_NetMap(), d.loose); },
        [&] { OM_Delete(DB_SchCompMap(), d.b); },
    };
    answers();
    int step = 0;
    for (const auto& change : changes) {
        SCOPED_TRACE(++step);
        change();
        const std::vector<int32_t> followed = answers();
        EXPECT_EQ(followed, rebuilt());
    }
}

// The first component or wire cover after a change the index cannot follow
// walks the objects instead of building it; the second builds it. Both
// give the same hits in the same order, with the same records, entries and
// distances, near a point and over the whole page.
TEST_F(Draw, AWalkedCoverAnswersAsTheBuiltIndex)
{
    MakeDesign();
    const int32_t page1 = DB_CurPage(), page2 = DB_CreatePage(0, "P2");
    struct Hit {
        int32_t id, extra, distance;
        bool operator==(const Hit&) const = default;
    };
    auto covers = [](int32_t x, int32_t y, int32_t tolerance) {
        std::vector<Hit> hits;
        int32_t extra = 0;
        for (int32_t id = C_CoverComponent(x, y, tolerance, &extra); id; id = C_CoverNextComponent(&extra))
            hits.push_back({id, extra, DB_GetCoverDistance()});
        hits.push_back({0, 0, 0});
        for (int32_t id = B_CoverBranch(x, y, tolerance, &extra); id; id = B_CoverNextBranch(&extra))
            hits.push_back({id, extra, DB_GetCoverDistance()});
        return hits;
    };
    for (const auto& [x, y, tolerance] : {std::tuple{0, 0, 20000 * U}, std::tuple{-200 * U, -1000 * U, 1500 * U}}) {
        DB_SetCurPage(page2);
        DB_SetCurPage(page1);
        const std::vector<Hit> walked = covers(x, y, tolerance);
        const std::vector<Hit> indexed = covers(x, y, tolerance);
        EXPECT_GT(walked.size(), 2u);
        EXPECT_EQ(walked, indexed);
    }
}

TEST_F(Draw, WireCoverTable)
{
    // Two parallel wires 300 apart.
    const int32_t net = N_CreateNet(0, 1, "N");
    auto wire = [&](int32_t y) {
        const int32_t a = J_CreateJunction(0, 3, 0, y), b = J_CreateJunction(0, 3, 5000, y);
        const int32_t c = J_CreateJunction(0, 3, 10000, y);
        const int32_t w = B_CreateBranch(0, 1, net);
        B_InsertRecord(w, -1, 5, a);
        B_InsertRecord(w, -1, 5, b);
        B_InsertRecord(w, -1, 5, c);
        return w;
    };
    const int32_t w1 = wire(0), w2 = wire(300);
    struct Case {
        const char* what;
        int32_t x, y, tolerance;
        std::vector<int32_t> hits;
        int32_t record, distance;
    } cases[] = {
        {"on w1's second segment", 7000, 0, 5, {w1}, 3, 0},
        {"nearer w1", 2000, 100, 250, {w1, w2}, 2, 100},
        {"nearer w2", 2000, 200, 250, {w2, w1}, 2, 100},
        {"just outside the tolerance", 2000, -251, 250, {}, 0, 0},
        {"beyond the end", 10200, 0, 250, {w1}, 3, 200},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        int32_t record = 0;
        std::vector<int32_t> hits;
        int32_t id = B_CoverBranch(c.x, c.y, c.tolerance, &record);
        if (id) {
            EXPECT_EQ(DB_GetCoverDistance(), c.distance);
        }
        const int32_t firstRecord = record;
        for (; id; id = B_CoverNextBranch(&record)) hits.push_back(id);
        EXPECT_EQ(hits, c.hits);
        if (!c.hits.empty()) {
            EXPECT_EQ(firstRecord, c.record);
        }
    }
}

TEST_F(Draw, JunctionNodeAndTextCovers)
{
    const Design d = MakeDesign();
    // Junctions: j1 at (-200U, -2000U), j3 at (-200U, -4000U).
    EXPECT_EQ(J_CoverJunction(-200 * U, -2900 * U, 1200 * U), d.j1);
    EXPECT_EQ(J_CoverNextJunction(), d.j3);
    EXPECT_EQ(J_CoverNextJunction(), 0);
    EXPECT_EQ(J_CoverJunction(-200 * U, -2000 * U + 101, 100), 0);
    // The node on A's entry.
    int32_t net = 0;
    const int32_t node = N_CoverNode(-200 * U + 10, 250 * U, 20, &net);
    EXPECT_GT(node, 0);
    EXPECT_EQ(net, d.net);
    EXPECT_EQ(N_CoverNode(-200 * U + 10, 250 * U + 30, 20, &net), 0);
    // The name texts at (0, 600U) relative to A and B: 846,600 x 634,980.
    int32_t comp = 0;
    EXPECT_EQ(C_CoverCompText(-1, 800 * U, 650 * U, 10, &comp), 1);
    EXPECT_EQ(comp, d.a);
    EXPECT_EQ(C_CoverCompText(-1, 1310 * U, 650 * U, 10, &comp), 1);
    EXPECT_EQ(comp, d.b);
    EXPECT_EQ(C_CoverCompText(d.a, 1310 * U, 650 * U, 10, &comp), 0);
    EXPECT_EQ(C_CoverCompText(-1, -500 * U, 650 * U, 10, &comp), 0);
    EXPECT_EQ(C_CoverCompText(-1, 800 * U, 600 * U - 11, 10, &comp), 0);  // just below A's name
    // The wire's text.
    int32_t branch = 0;
    EXPECT_EQ(B_CoverBranchText(-1, -2850 * U, -1850 * U, 0, &branch), 1);
    EXPECT_EQ(branch, d.wire);
    EXPECT_EQ(B_CoverBranchText(d.wire, -2850 * U, -1000 * U, 0, &branch), 0);
}

TEST_F(Draw, ItemArrayCoverWalksFromTheStartIndexAtThePlacementFrame)
{
    const int32_t sym = S_CreateSymbol(0, "GRID");
    const int32_t items = S_SymbolItemArray(sym);
    for (int32_t y : {0, 1000, 0}) {
        ItemRec line{};
        line.Kind = 1;
        line.Y = y;
        line.P1 = 5000;
        OA_Add(items, I_MakeItem(&line));
    }
    EXPECT_EQ(OA_Cover(items, 1, 2000, 10, 20), 1);
    EXPECT_EQ(OA_Cover(items, 2, 2000, 10, 20), 3);
    EXPECT_EQ(OA_Cover(items, 4, 2000, 10, 20), 0);
    EXPECT_EQ(OA_Cover(items, 0, 2000, 990, 20), 2);
    S_SetCompLocation(0, 5000, 0, 0);  // the symbol placed 5000 higher
    EXPECT_EQ(OA_Cover(items, 1, 2000, 10, 20), 0);
    EXPECT_EQ(OA_Cover(items, 1, 2000, 5010, 20), 1);
    EXPECT_EQ(OA_Cover(DB_SchCompMap(), 1, 0, 0, 20), 0);  // not an item array
}

TEST_F(Draw, CoverRectangleTable)
{
    struct Case {
        int32_t x, y, tolerance, x1, y1, x2, y2, result;
    } cases[] = {
        {5, 5, 0, 0, 0, 10, 10, 1},
        {5, 5, 0, 10, 10, 0, 0, 1},     // corners in any order
        {10, 0, 0, 0, 10, 10, 0, 1},    // the border counts
        {11, 5, 0, 0, 0, 10, 10, 0},
        {11, 5, 1, 0, 0, 10, 10, 1},    // within the tolerance
        {12, 12, 1, 0, 0, 10, 10, 0},
        {-1, 5, -5, 0, 0, 10, 10, 0},   // a negative tolerance counts as 0
        {2147483647, 0, 2147483647, -2147483647 - 1, -5, 5, 5, 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DB_CoverRectangle(c.x, c.y, c.tolerance, c.x1, c.y1, c.x2, c.y2), c.result)
            << c.x << "," << c.y << " tol " << c.tolerance;
}

// ---- Frames ---------------------------------------------------------------------------

TEST_F(Draw, FramesOfWiresComponentsAndSymbols)
{
    const Design d = MakeDesign();
    auto rectOf = [](const int32_t* r) { return std::vector<int32_t>(r, r + 4); };
    auto scaled = [](std::vector<int32_t> v) {
        for (int32_t& x : v) x *= U;
        return v;
    };
    int32_t rect[4] = {9, 9, 9, 9};
    EXPECT_EQ(B_FrameBranchLines(d.wire, -1, rect), 3);
    EXPECT_EQ(rectOf(rect), scaled({-3000, -2000, -200, 250}));
    EXPECT_EQ(B_FrameBranchLines(d.wire, 0, rect), 0);  // no record taken
    EXPECT_EQ(rectOf(rect), (std::vector<int32_t>{0, 0, 0, 0}));
    EXPECT_EQ(B_FrameBranchLines(12345, -1, rect), 0);

    // B turned a quarter and mirrored: (x, y) goes to (-y, -x) about (1300U, 0).
    C_ChangeCompDispAttr(d.b, 90000, 1);
    EXPECT_EQ(C_FrameCompItems(d.b, rect), 2);  // the box and the lead, not the template text
    EXPECT_EQ(rectOf(rect), scaled({800, -1000, 1300, 200}));
    EXPECT_EQ(C_FrameCompEntries(d.b, rect), 1);
    EXPECT_EQ(rectOf(rect), scaled({1050, 200, 1050, 200}));

    // Symbol items at the placement frame, all or those carrying a mark.
    S_SetCompLocation(10000 * U, 0, 0, 0);
    EXPECT_EQ(S_FrameSymbolItems(d.box, 1, rect), 3);
    EXPECT_EQ(rect[0], 9800 * U);
    O_Mask(S_SymbolItem(d.box, 2), 2048, 2048);
    EXPECT_EQ(S_FrameSymbolItems(d.box, 2048, rect), 1);
    EXPECT_EQ(rectOf(rect), scaled({9800, 250, 10000, 250}));
    EXPECT_EQ(S_FrameSymbolEntries(d.box, -1, rect), 1);
    EXPECT_EQ(S_FrameSymbolItems(d.box, 1, nullptr), 0);
    EXPECT_EQ(S_FrameSymbolItems(999, 1, rect), 0);
}

// One item's frame is the frame of the items selected as that item alone,
// whatever its kind, at a moved, turned and mirrored placement frame; a text
// reaches six times its width per character and six times its height.
TEST_F(Draw, OneSymbolItemIsFramedAsTheItemsAre)
{
    const int32_t symbol = S_CreateSymbol(0, "S");
    const int32_t items = S_SymbolItemArray(symbol);
    auto add = [&](int32_t kind, int32_t x, int32_t y, int32_t angle, std::array<int32_t, 4> p) {
        ItemRec r{};
        r.Kind = kind, r.X = x, r.Y = y, r.Angle = angle;
        r.P1 = p[0], r.P2 = p[1], r.P3 = p[2], r.P4 = p[3];
        ASSERT_GT(OA_Add(items, I_MakeItem(&r)), 0);
    };
    add(1, 100, 200, 0, {3000, -500, 0, 0});        // line
    add(2, -400, 0, 0, {800, 900, -300, 1200});     // triangle
    add(3, 500, 500, 30000, {2000, 700, 0, 0});     // rectangle at 30 degrees
    add(4, -2000, -1000, 0, {650, 0, 0, 0});        // circle
    add(5, 0, 0, 0, {1000, 45000, 100000, 0});      // arc through the top
    add(5, 0, 0, 0, {1000, 45000, 0, 0});           // arc of no sweep: nothing
    ASSERT_GT(OA_Add(items, I_MakeText(1000, -3000, 90000, 100, 50, "NOTE", 1, 0, 0)), 0);
    const int32_t count = OA_GetCount(items);
    ASSERT_EQ(count, 7);

    S_SetCompLocation(0, 0, 0, 0);
    int32_t rect[4] = {9, 9, 9, 9};
    ASSERT_EQ(S_FrameSymbolItem(symbol, 7, rect), 1);
    EXPECT_EQ(std::vector<int32_t>(rect, rect + 4), (std::vector<int32_t>{1000 - 600, -3000, 1000, -3000 + 1200}));
    EXPECT_EQ(S_FrameSymbolItem(symbol, 6, rect), 0);
    EXPECT_EQ(std::vector<int32_t>(rect, rect + 4), (std::vector<int32_t>{0, 0, 0, 0}));

    for (const auto& frame : {std::array<int32_t, 4>{0, 0, 0, 0}, std::array<int32_t, 4>{70000, -30000, 90000, 1},
                              std::array<int32_t, 4>{-5000, 2500, 210000, 0}}) {
        ASSERT_EQ(S_SetCompLocation(frame[0], frame[1], frame[2], frame[3]), 1);
        for (int32_t i = 1; i <= count; ++i) {
            SCOPED_TRACE("item " + std::to_string(i) + " at frame angle " + std::to_string(frame[2]));
            OA_MaskAll(items, 0, 2048);
            O_Mask(S_SymbolItem(symbol, i), 2048, 2048);
            int32_t all[4] = {}, one[4] = {9, 9, 9, 9};
            const int32_t taken = S_FrameSymbolItems(symbol, 2048, all);
            EXPECT_EQ(S_FrameSymbolItem(symbol, i, one), taken);
            EXPECT_EQ(std::vector<int32_t>(one, one + 4), std::vector<int32_t>(all, all + 4));
        }
    }
    for (const int32_t index : {0, -1, count + 1}) EXPECT_EQ(S_FrameSymbolItem(symbol, index, rect), 0) << index;
    EXPECT_EQ(S_FrameSymbolItem(12345, 1, rect), 0);
    EXPECT_EQ(S_FrameSymbolItem(symbol, 1, nullptr), 0);
}

// Mirroring turns a rectangle's width and an arc's sweep the other way; the
// most negative value has no opposite and becomes the largest, so the
// shape still runs the mirrored way.
TEST_F(Draw, AMirroredSizeWithNoOppositeBecomesTheLargest)
{
    constexpr int32_t kMost = 2147483647, kLeast = -kMost - 1;
    const int32_t symbol = S_CreateSymbol(0, "S");
    ItemRec rectangle{};
    rectangle.Kind = 3;
    rectangle.P1 = kLeast;
    rectangle.P2 = 1000;
    ItemRec arc{};
    arc.Kind = 5;
    arc.P1 = 1000;
    arc.P3 = kLeast;
    OA_Add(S_SymbolItemArray(symbol), I_MakeItem(&rectangle));
    OA_Add(S_SymbolItemArray(symbol), I_MakeItem(&arc));
    O_Mask(S_SymbolItem(symbol, 1), 2048, 2048);
    ASSERT_EQ(S_SetCompLocation(5000, 0, 0, 2), 1);

    ItemRec abs{};
    ASSERT_EQ(I_ReadItemAbs(S_SymbolItem(symbol, 1), &abs), 1);
    EXPECT_EQ(abs.X, 5000);
    EXPECT_EQ(abs.P1, kMost);
    EXPECT_EQ(abs.Angle, 0);
    ASSERT_EQ(I_ReadItemAbs(S_SymbolItem(symbol, 2), &abs), 1);
    EXPECT_EQ(abs.P2, 180000);
    EXPECT_EQ(abs.P3, kMost);

    // The rectangle reaches from the frame's origin to the right.
    int32_t rect[4] = {};
    ASSERT_EQ(S_FrameSymbolItems(symbol, 2048, rect), 1);
    EXPECT_EQ(std::vector<int32_t>(rect, rect + 4), (std::vector<int32_t>{5000, 0, kMost, 1000}));
}

TEST_F(Draw, TheFrameBranchOfAPageGivesItsCornersFromTheDatum)
{
    const int32_t page = DB_CurPage();
    const int32_t frame = B_CreateBranch(-100 - page, 4, 0);
    const int32_t corners[5][2] = {{-500, -400}, {500, -400}, {500, 400}, {-500, 400}, {-500, -400}};
    for (const auto& c : corners) B_InsertRecord(frame, -1, 5, J_CreateJunction(0, 2, c[0], c[1]));
    int32_t rect[4];
    EXPECT_EQ(B_FrameBranchLines(-100 - page, 63, rect), 5);
    EXPECT_EQ(std::vector<int32_t>(rect, rect + 4), (std::vector<int32_t>{-500, -400, 500, 400}));
    // Walks skip the frame, the page drawing reaches it.
    int32_t record = 0;
    EXPECT_EQ(B_CoverBranch(500, 0, 10, &record), frame);
    EXPECT_EQ(record, 3);
}

TEST_F(Draw, TraceFramesTakeOneTraceOrAll)
{
    const int32_t net = N_CreateNet(0, 1, "N");
    auto trace = [&](int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
        const int32_t t = T_CreateTrace(0, 0, net);
        T_InsertRecord(t, -1, 4, T_CreateBendPoint(0, 1, x1, y1), 1, 0);
        T_InsertRecord(t, -1, 4, T_CreateBendPoint(0, 1, x2, y2), 1, 0);
        return t;
    };
    const int32_t t1 = trace(0, 0, 1000, 500);
    trace(-2000, 300, -1000, 4000);
    int32_t rect[4];
    EXPECT_EQ(T_FrameTraceLines(t1, 63, rect), 2);
    EXPECT_EQ(std::vector<int32_t>(rect, rect + 4), (std::vector<int32_t>{0, 0, 1000, 500}));
    EXPECT_EQ(T_FrameTraceLines(-1, 63, rect), 4);
    EXPECT_EQ(std::vector<int32_t>(rect, rect + 4), (std::vector<int32_t>{-2000, 0, 1000, 4000}));
    EXPECT_EQ(T_FrameTraceLines(999, 63, rect), 0);
}

// ---- Pictures ----------------------------------------------------------------------------

std::string BmpBytes(int width, int height, QColor colour)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return bytes.toStdString();
}

int32_t FileWith(const char* name, const std::string& bytes)
{
    const int32_t file = F_CreateFile(0, name);
    if (!bytes.empty()) F_Write(file, bytes.data(), static_cast<int32_t>(bytes.size()));
    F_Seek(file, 0, 0);
    return file;
}

void PutLong(std::string& s, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i) s[at + static_cast<size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

TEST_F(Draw, PictureSizesAndBadPicturesFailCleanly)
{
    const std::string good = BmpBytes(40, 30, Qt::red);
    int32_t w = -1, h = -1;
    ASSERT_EQ(GetBmpDim(FileWith("BM_GOOD", good), &w, &h), 1);
    EXPECT_EQ(w, 40);
    EXPECT_EQ(h, 30);

    QByteArray png;
    {
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        QImage(40, 30, QImage::Format_RGB32).save(&buffer, "PNG");
    }
    // Each refusal says why (E_LastError), the same for the bytes of a file
    // object and for bytes given.
    struct Case {
        const char* what;
        std::function<void(std::string&)> damage;
        const char* says;
    } cases[] = {
        {"empty", [](std::string& s) { s.clear(); }, "the file is not a BMP picture (it does not start with \"BM\")"},
        {"truncated header", [](std::string& s) { s.resize(20); },
         "the BMP file is damaged: it is too short for its headers"},
        {"not BM", [](std::string& s) { s[0] = 'P'; }, "the file is not a BMP picture"},
        {"a PNG picture", [&png](std::string& s) { s = png.toStdString(); },
         "the file holds a PNG picture, not a BMP picture"},
        {"pixel data cut short", [](std::string& s) { s.resize(s.size() - 100); },
         "the BMP file is truncated: its pixels take 3600 bytes, it holds 3500"},
        {"zero width", [](std::string& s) { PutLong(s, 18, 0); }, "the BMP file is damaged: its picture is 0 x 30 pixels"},
        {"enormous height", [](std::string& s) { PutLong(s, 22, 0x7FFFFFFF); },
         "the picture is too large: 40 x 2147483647 pixels; a side may have at most 32768 pixels"},
        {"too many pixels",
         [](std::string& s) {
             PutLong(s, 18, 30000);
             PutLong(s, 22, 30000);
         },
         "the picture is too large: 30000 x 30000 pixels; a picture may have at most 16777216 pixels (64 MB decoded)"},
        {"seven bits per pixel", [](std::string& s) { s[28] = 7; }, "7 bits a pixel (a BMP picture has 1, 4, 8, 16"},
        {"embedded compression", [](std::string& s) { PutLong(s, 30, 4); }, "a coding not read here (compression 4;"},
        {"pixels beyond the end", [](std::string& s) { PutLong(s, 10, 0x7FFFFFF0); },
         "its pixels would start outside the file"},
        {"unknown info header", [](std::string& s) { PutLong(s, 14, 77); }, "an information header of 77 bytes"},
    };
    Surface surface(100, 100);
    const QImage untouched = surface.image.copy();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string bytes = good;
        c.damage(bytes);
        const int32_t file = FileWith("BM_BAD", bytes);
        w = h = -1;
        EXPECT_EQ(GetBmpDim(file, &w, &h), 0);
        EXPECT_EQ(w, 0);
        EXPECT_EQ(h, 0);
        const std::string why = E_LastError();
        EXPECT_NE(why.find(c.says), std::string::npos) << why;
        w = h = -1;
        EXPECT_EQ(GetBmpDimOfBytes(bytes.data(), static_cast<int32_t>(bytes.size()), &w, &h), 0);
        EXPECT_EQ(w, 0);
        EXPECT_EQ(E_LastError(), why);
        BitmapPlaceRec rec{};
        rec.Picture = file;
        rec.X = 100;
        rec.Y = 100;
        rec.Mode = -1;
        EXPECT_EQ(ShowDib(0, surface.handle, &rec), 0);
        OM_Delete(DB_FileMap(), file);
    }
    EXPECT_TRUE(CompareImages(untouched, surface.image).Same());
    EXPECT_EQ(GetBmpDim(0, &w, &h), 0);
    EXPECT_EQ(GetBmpDim(12345, nullptr, &h), 0);
    // A picture taken clears the reason.
    EXPECT_EQ(GetBmpDimOfBytes(good.data(), static_cast<int32_t>(good.size()), &w, &h), 1);
    EXPECT_EQ(w, 40);
    EXPECT_STREQ(E_LastError(), "");
    EXPECT_EQ(GetBmpDimOfBytes(nullptr, 5, &w, &h), 0);
}

TEST_F(Draw, PicturesAreDrawnAtTheirPlaceAndFittedIntoABox)
{
    const int32_t file = FileWith("BM_RED", BmpBytes(4, 2, QColor(255, 0, 0)));
    // Placed: top-left at (0, 0), 25,000 units per picture pixel; at 5,000
    // units per pixel each picture pixel is 5 device pixels, so the picture
    // covers pixels 40..59 across and 40..49 down.
    Surface s(100, 100);
    Open(s, 5000, 50000, -50000);
    BitmapPlaceRec rec{};
    rec.Picture = file;
    ASSERT_EQ(ShowDib(0, s.handle, &rec), 1);
    G_CloseDC();
    EXPECT_EQ(PixelAt(s.image, 40, 40), Rgb(255, 0, 0));
    EXPECT_EQ(PixelAt(s.image, 59, 49), Rgb(255, 0, 0));
    EXPECT_NE(PixelAt(s.image, 39, 45), Rgb(255, 0, 0));
    EXPECT_NE(PixelAt(s.image, 62, 48), Rgb(255, 0, 0));
    EXPECT_NE(PixelAt(s.image, 50, 52), Rgb(255, 0, 0));
    EXPECT_EQ(CountPixels(s.image, Rgb(255, 0, 0)), 20 * 10);
    // Fitted into an 80 x 80 box: 80 x 40, centred.
    Surface box(80, 80);
    rec.Mode = -1;
    rec.X = 80;
    rec.Y = 80;
    ASSERT_EQ(ShowDib(0, box.handle, &rec), 1);
    EXPECT_EQ(CountPixels(box.image, Rgb(255, 0, 0)), 80 * 40);
    EXPECT_EQ(PixelAt(box.image, 40, 39), Rgb(255, 0, 0));
    EXPECT_NE(PixelAt(box.image, 40, 10), Rgb(255, 0, 0));
    EXPECT_EQ(box.drawnCalls, 1);
    // Placed pictures need a context on the device.
    rec.Mode = 0;
    EXPECT_EQ(ShowDib(0, box.handle, &rec), 0);
}

TEST_F(Draw, FrameBitmapsTakesThePicturesShownOnThePage)
{
    const int32_t pic = FileWith("BM_P", BmpBytes(4, 2, Qt::blue));
    auto record = [&](int32_t x, int32_t y, int32_t page, int32_t hier, int32_t mode) {
        int32_t r[13] = {pic, x, y, page, hier, mode, -1, -1, -1, -1, -1, -1, -1};
        return std::string(reinterpret_cast<const char*>(r), sizeof r);
    };
    const int32_t page = DB_CurPage(), hier = DB_CurHier();
    int32_t rect[4];
    EXPECT_EQ(FrameBitmaps(0, rect), 0);  // no placement list yet
    FileWith("@Bitmap@", record(0, 0, page, hier, 0) + record(100000, 500000, 0, hier, 0) +
                             record(-900000, 0, page + 1, hier, 0) + record(-900000, 0, page, hier + 1, 0) +
                             record(-900000, 0, page, hier, -1));
    EXPECT_EQ(FrameBitmaps(0, rect), 2);
    EXPECT_EQ(std::vector<int32_t>(rect, rect + 4), (std::vector<int32_t>{0, -50000, 200000, 500000}));
    EXPECT_EQ(FrameBitmaps(page + 1, rect), 2);  // its own picture and the one on every page
}

// The limit is on the decoded size, 4 bytes a pixel for every depth: 4096 x
// 4096 is exactly 64 MiB; 24929 x 673 is one pixel more (2^24 + 1).
TEST_F(Draw, PicturesOverTheDecodedSizeLimitAreRefused)
{
    using palvane_test::OneBitBmp;
    using palvane_test::RunLengthBmp;
    struct Case {
        const char* what;
        std::string bytes;
        bool taken;
    } cases[] = {
        {"run-length coded, at the limit", RunLengthBmp(4096, 4096), true},
        {"run-length coded, one pixel over", RunLengthBmp(24929, 673), false},
        {"one bit a pixel, one pixel over", OneBitBmp(24929, 673), false},
    };
    Surface surface(50, 50);
    const QImage untouched = surface.image.copy();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_LT(c.bytes.size(), 4194304u);  // the editor imports it
        const int32_t file = FileWith("BM_LARGE", c.bytes);
        int32_t w = -1, h = -1;
        EXPECT_EQ(GetBmpDim(file, &w, &h), c.taken ? 1 : 0);
        EXPECT_EQ(w, c.taken ? 4096 : 0);
        if (!c.taken) {
            // Refused before anything is decoded.
            const uint64_t decoded = KT_PicturesDecoded();
            BitmapPlaceRec rec{};
            rec.Picture = file;
            rec.X = 50;
            rec.Y = 50;
            rec.Mode = -1;
            EXPECT_EQ(ShowDib(0, surface.handle, &rec), 0);
            EXPECT_EQ(KT_PicturesDecoded(), decoded);
        }
        OM_Delete(DB_FileMap(), file);
    }
    EXPECT_TRUE(CompareImages(untouched, surface.image).Same());
}

// A design image holding a picture over the limit loads as one holding a
// damaged picture does: the design is taken, the picture refused wherever
// it is measured or drawn, before it is decoded.
TEST_F(Draw, ALoadedPictureOverTheLimitIsRefusedAsADamagedOneIs)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string path = (dir.path() + "/pictures.img").toStdString();
    std::string damaged = BmpBytes(4, 2, Qt::green);
    damaged[0] = 'P';
    const int32_t good = FileWith("BM_GOOD", BmpBytes(4, 2, Qt::blue));
    const int32_t large = FileWith("BM_LARGE", palvane_test::RunLengthBmp(24929, 673));
    const int32_t bad = FileWith("BM_BAD", damaged);
    const int32_t hier = DB_CurHier();
    std::string list;
    for (int32_t picture : {good, large, bad}) {
        const int32_t r[13] = {picture, 0, 0, 0, hier, 0, -1, -1, -1, -1, -1, -1, -1};
        list.append(reinterpret_cast<const char*>(r), sizeof r);
    }
    FileWith("@Bitmap@", list);
    ASSERT_EQ(DB_SaveDataBase(path.c_str()), 1);
    DB_DiscardDataBase();
    ASSERT_EQ(DB_LoadDataBase(path.c_str()), 1) << E_LastError();

    int32_t rect[4];
    EXPECT_EQ(FrameBitmaps(0, rect), 1);  // only the good picture
    EXPECT_EQ(std::vector<int32_t>(rect, rect + 4), (std::vector<int32_t>{0, -50000, 100000, 0}));
    Surface s(100, 100);
    Open(s, 5000);
    for (const char* name : {"BM_LARGE", "BM_BAD"}) {
        SCOPED_TRACE(name);
        const int32_t file = OM_FindName(DB_FileMap(), name);
        ASSERT_NE(file, 0);
        int32_t w = -1, h = -1;
        EXPECT_EQ(GetBmpDim(file, &w, &h), 0);
        EXPECT_EQ(w, 0);
        const uint64_t decoded = KT_PicturesDecoded();
        BitmapPlaceRec rec{};
        rec.Picture = file;
        EXPECT_EQ(ShowDib(0, s.handle, &rec), 0);
        EXPECT_EQ(KT_PicturesDecoded(), decoded);
    }
    BitmapPlaceRec rec{};
    rec.Picture = OM_FindName(DB_FileMap(), "BM_GOOD");
    EXPECT_EQ(ShowDib(0, s.handle, &rec), 1);
    G_CloseDC();
    EXPECT_EQ(CountPixels(s.image, Rgb(0, 0, 255)), 20 * 10);
}

// A picture is decoded once and drawn from then on until its bytes change
// (a write, a put-back), it is read from another position, it is deleted or
// the design goes; whatever changed, the next paint shows the bytes as they
// are.
TEST_F(Draw, APictureIsDecodedOnceUntilItChanges)
{
    const int32_t file = FileWith("BM_P", BmpBytes(4, 2, Qt::red));
    BitmapPlaceRec rec{};
    rec.Picture = file;
    Surface s(100, 100);
    const uint64_t before = KT_PicturesDecoded();
    auto draw = [&] {
        s.image.fill(Category(31));
        Open(s, 5000, 50000, -50000);
        F_Seek(file, 0, 0);
        EXPECT_EQ(ShowDib(0, s.handle, &rec), 1);
        G_CloseDC();
    };
    auto decoded = [&] { return KT_PicturesDecoded() - before; };
    draw();
    draw();
    EXPECT_EQ(decoded(), 1u);
    EXPECT_EQ(CountPixels(s.image, Rgb(255, 0, 0)), 20 * 10);
    EXPECT_EQ(KT_PictureBytesKept(), 4u * 2 * 4);
    // The preview of the same picture, fitted into a box, uses it too.
    Surface box(40, 40);
    BitmapPlaceRec fitted = rec;
    fitted.Mode = -1;
    fitted.X = fitted.Y = 40;
    EXPECT_EQ(ShowDib(0, box.handle, &fitted), 1);
    EXPECT_EQ(decoded(), 1u);

    // New bytes: drawn in their colour after one decode.
    const std::string green = BmpBytes(4, 2, Qt::green);
    F_Seek(file, 0, 0);
    F_Write(file, green.data(), static_cast<int32_t>(green.size()));
    draw();
    draw();
    EXPECT_EQ(decoded(), 2u);
    EXPECT_EQ(CountPixels(s.image, Rgb(0, 255, 0)), 20 * 10);
    // A write put back by its change group: the old bytes again.
    const std::string blue = BmpBytes(4, 2, Qt::blue);
    ASSERT_EQ(DB_BeginChange(), 1);
    F_Seek(file, 0, 0);
    F_Write(file, blue.data(), static_cast<int32_t>(blue.size()));
    draw();
    EXPECT_EQ(CountPixels(s.image, Rgb(0, 0, 255)), 20 * 10);
    EXPECT_EQ(DB_EndChange(0), 4);
    draw();
    EXPECT_EQ(decoded(), 4u);
    EXPECT_EQ(CountPixels(s.image, Rgb(0, 255, 0)), 20 * 10);
    // Read from another position the bytes are no picture.
    Open(s, 5000, 50000, -50000);
    F_Seek(file, 2, 0);
    EXPECT_EQ(ShowDib(0, s.handle, &rec), 0);
    G_CloseDC();
    // Shorter bytes: not a picture any more.
    F_SetLength(file, 20);
    s.image.fill(Category(31));
    Open(s, 5000, 50000, -50000);
    F_Seek(file, 0, 0);
    EXPECT_EQ(ShowDib(0, s.handle, &rec), 0);
    G_CloseDC();
    EXPECT_EQ(CountPixels(s.image, Rgb(0, 255, 0)), 0);
    F_SetLength(file, 0);
    F_Write(file, green.data(), static_cast<int32_t>(green.size()));
    draw();
    EXPECT_EQ(CountPixels(s.image, Rgb(0, 255, 0)), 20 * 10);
    EXPECT_GT(KT_PictureBytesKept(), 0u);
    // Deleted, then the design closed: nothing kept.
    OM_Delete(DB_FileMap(), file);
    EXPECT_EQ(KT_PictureBytesKept(), 0u);
    rec.Picture = FileWith("BM_Q", green);
    s.image.fill(Category(31));
    Open(s, 5000, 50000, -50000);
    EXPECT_EQ(ShowDib(0, s.handle, &rec), 1);
    G_CloseDC();
    EXPECT_GT(KT_PictureBytesKept(), 0u);
    DB_DiscardDataBase();
    EXPECT_EQ(KT_PictureBytesKept(), 0u);
}

// A picture in the colours `table` (indexes in a pattern), kept by Qt in
// `format` (Indexed8 or Mono), as the BMP file Qt writes for it; `twin`
// gives the same pixels 24 bits a pixel, without a palette.
std::string PatternBmp(int width, int height, QImage::Format format, bool twin)
{
    const QList<QRgb> table = format == QImage::Format_Mono
                                  ? QList<QRgb>{qRgb(250, 240, 20), qRgb(10, 20, 140)}
                                  : QList<QRgb>{qRgb(200, 30, 40), qRgb(20, 180, 60), qRgb(30, 40, 220),
                                                qRgb(250, 250, 250), qRgb(0, 0, 0), qRgb(120, 90, 10)};
    QImage image(width, height, format);
    image.setColorTable(table);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, static_cast<uint>((x * 7 + y * 3 + (x * y) % 5) % table.size()));
    if (twin) image = image.convertToFormat(QImage::Format_RGB32);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return bytes.toStdString();
}

// A picture with a palette is kept at its own depth (8 bits a pixel, 1 for
// two colours), not at 32 bits, and draws pixel for pixel as its 24-bit
// twin: placed at any scale, whole or in part, and fitted into a box.
TEST_F(Draw, APictureWithAPaletteIsKeptAtItsDepthAndDrawnAsItsTwin)
{
    constexpr int kWidth = 60, kHeight = 45;
    const struct {
        const char* what;
        QImage::Format format;
        uint64_t kept;
    } kinds[] = {
        {"256 colours", QImage::Format_Indexed8, kWidth * kHeight},
        {"two colours", QImage::Format_Mono, (kWidth + 31) / 32 * 4 * kHeight},
    };
    // Units a device pixel (a picture pixel is 25,000) and the view's centre.
    const struct {
        int32_t size, x, y;
    } views[] = {
        {25000, 750000, -560000},  {5000, 100000, -100000},  {7777, 123457, -654321}, {61000, 600000, -500000},
        {3333, 1400000, -1050000}, {24999, -10001, 333333},  {180000, 0, 0},
    };
    // And views of many other scales and places (a fixed seed).
    std::vector<std::array<int32_t, 3>> more;
    uint32_t seed = 12345;
    auto next = [&seed](uint32_t n) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 8) % n;
    };
    for (int i = 0; i < 150; ++i)
        more.push_back({static_cast<int32_t>(700 + next(250000)), static_cast<int32_t>(next(1800000)) - 150000,
                        -static_cast<int32_t>(next(1400000)) + 150000});
    for (const auto& kind : kinds) {
        SCOPED_TRACE(kind.what);
        const int32_t palette = FileWith("BM_PALETTE", PatternBmp(kWidth, kHeight, kind.format, false));
        const int32_t twin = FileWith("BM_TWIN", PatternBmp(kWidth, kHeight, kind.format, true));
        BitmapPlaceRec rec{};
        rec.Picture = palette;
        {
            Surface first(10, 10);
            Open(first, 25000);
            ASSERT_EQ(ShowDib(0, first.handle, &rec), 1);
            G_CloseDC();
            EXPECT_EQ(KT_PictureBytesKept(), kind.kept);
        }
        std::vector<std::array<int32_t, 3>> all;
        for (const auto& v : views) all.push_back({v.size, v.x, v.y});
        all.insert(all.end(), more.begin(), more.end());
        for (const auto& v : all) {
            SCOPED_TRACE(testing::Message() << v[0] << " " << v[1] << " " << v[2]);
            Surface a(130, 97), b(130, 97);
            rec.Picture = palette;
            Open(a, v[0], v[1], v[2]);
            const int32_t drawn = ShowDib(0, a.handle, &rec);
            G_CloseDC();
            rec.Picture = twin;
            Open(b, v[0], v[1], v[2]);
            EXPECT_EQ(ShowDib(0, b.handle, &rec), drawn);
            G_CloseDC();
            EXPECT_TRUE(CompareImages(b.image, a.image).Same());
        }
        for (const QSize box : {QSize(80, 80), QSize(33, 71), QSize(200, 150), QSize(7, 5), QSize(61, 46),
                                QSize(59, 44), QSize(1000, 3), QSize(131, 97)}) {
            SCOPED_TRACE(box.width());
            Surface a(box.width(), box.height()), b(box.width(), box.height());
            BitmapPlaceRec fitted{};
            fitted.Mode = -1;
            fitted.X = box.width();
            fitted.Y = box.height();
            fitted.Picture = palette;
            ASSERT_EQ(ShowDib(0, a.handle, &fitted), 1);
            fitted.Picture = twin;
            ASSERT_EQ(ShowDib(0, b.handle, &fitted), 1);
            EXPECT_TRUE(CompareImages(b.image, a.image).Same());
        }
        OM_Delete(DB_FileMap(), palette);
        OM_Delete(DB_FileMap(), twin);
        EXPECT_EQ(KT_PictureBytesKept(), 0u);
    }
}

// Pictures are kept by their bytes. Many pictures with a palette are each
// decoded once where only two fitted 32-bit (the store's limit scaled
// down here), and file objects holding the same bytes share one decode:
// twenty small files that each declare 4000 x 4000 pixels cost one decode,
// not one on every paint.
TEST_F(Draw, ManyPicturesAreDecodedOnce)
{
    using palvane_test::RunLengthBmp;
    constexpr int kSide = 64;
    KT_LimitPictureBytesKept(2 * kSide * kSide * 4);
    struct Restore {
        ~Restore() { KT_LimitPictureBytesKept(-1); }
    } restore;
    Surface s(40, 40);
    auto draw = [&](int32_t picture) {
        BitmapPlaceRec rec{};
        rec.Picture = picture;
        Open(s, 5000, 100000, -100000);
        F_Seek(picture, 0, 0);
        EXPECT_EQ(ShowDib(0, s.handle, &rec), 1);
        G_CloseDC();
    };
    uint64_t before = KT_PicturesDecoded();
    std::vector<int32_t> files;
    for (uint32_t i = 0; i < 8; ++i)
        files.push_back(FileWith(("BM_P" + std::to_string(i)).c_str(), RunLengthBmp(kSide, kSide, 0x00200000u * i + 0x40u)));
    for (int paint = 0; paint < 3; ++paint)
        for (const int32_t file : files) draw(file);
    EXPECT_EQ(KT_PicturesDecoded() - before, 8u);
    EXPECT_EQ(KT_PictureBytesKept(), uint64_t{8} * kSide * kSide);
    for (const int32_t file : files) OM_Delete(DB_FileMap(), file);
    EXPECT_EQ(KT_PictureBytesKept(), 0u);

    KT_LimitPictureBytesKept(-1);
    const std::string same = RunLengthBmp(4000, 4000);
    ASSERT_LT(same.size(), 200000u);  // a small file
    files.clear();
    for (int i = 0; i < 20; ++i) files.push_back(FileWith(("BM_S" + std::to_string(i)).c_str(), same));
    before = KT_PicturesDecoded();
    for (int paint = 0; paint < 2; ++paint)
        for (const int32_t file : files) draw(file);
    EXPECT_EQ(KT_PicturesDecoded() - before, 1u);
    EXPECT_EQ(KT_PictureBytesKept(), 4000u * 4000u);
    EXPECT_EQ(CountPixels(s.image, Rgb(255, 0, 0)), 40 * 40);
    // New bytes for one: it is decoded alone; the others keep theirs.
    const std::string green = RunLengthBmp(4000, 4000, 0x0000FF00);
    F_Seek(files[3], 0, 0);
    F_Write(files[3], green.data(), static_cast<int32_t>(green.size()));
    for (const int32_t file : files) draw(file);
    EXPECT_EQ(KT_PicturesDecoded() - before, 2u);
    EXPECT_EQ(KT_PictureBytesKept(), 2u * 4000u * 4000u);
    draw(files[3]);
    EXPECT_EQ(CountPixels(s.image, Rgb(0, 255, 0)), 40 * 40);
    // The picture goes with the last file object that holds its bytes.
    for (size_t i = 0; i + 1 < files.size(); ++i)
        if (i != 3) OM_Delete(DB_FileMap(), files[i]);
    EXPECT_EQ(KT_PictureBytesKept(), 2u * 4000u * 4000u);
    OM_Delete(DB_FileMap(), files.back());
    EXPECT_EQ(KT_PictureBytesKept(), 4000u * 4000u);
    OM_Delete(DB_FileMap(), files[3]);
    EXPECT_EQ(KT_PictureBytesKept(), 0u);
}

// The kept pictures stay within their limit, the least recently drawn going
// first.
TEST_F(Draw, KeptPicturesStayWithinTheirLimit)
{
    const int32_t a = FileWith("BM_A", BmpBytes(8, 8, Qt::red));
    const int32_t b = FileWith("BM_B", BmpBytes(8, 8, Qt::green));
    const int32_t c = FileWith("BM_C", BmpBytes(8, 8, Qt::blue));
    constexpr uint64_t kOne = 8 * 8 * 4;
    KT_LimitPictureBytesKept(2 * kOne);
    struct Restore {
        ~Restore() { KT_LimitPictureBytesKept(-1); }
    } restore;
    Surface s(20, 20);
    const uint64_t before = KT_PicturesDecoded();
    auto draw = [&](int32_t picture) {
        BitmapPlaceRec rec{};
        rec.Picture = picture;
        Open(s, 5000);
        F_Seek(picture, 0, 0);
        EXPECT_EQ(ShowDib(0, s.handle, &rec), 1);
        G_CloseDC();
        EXPECT_LE(KT_PictureBytesKept(), 2 * kOne);
        return KT_PicturesDecoded() - before;
    };
    EXPECT_EQ(draw(a), 1u);
    EXPECT_EQ(draw(b), 2u);
    EXPECT_EQ(draw(a), 2u);
    EXPECT_EQ(draw(c), 3u);  // b, drawn least recently, goes
    EXPECT_EQ(draw(a), 3u);
    EXPECT_EQ(draw(c), 3u);
    EXPECT_EQ(draw(b), 4u);
    EXPECT_EQ(KT_PictureBytesKept(), 2 * kOne);
    KT_LimitPictureBytesKept(kOne);
    EXPECT_EQ(KT_PictureBytesKept(), kOne);
    EXPECT_EQ(draw(b), 4u);  // the one kept is the one drawn last
}

// ---- Print scale, clipboard, cursors, thick pens ---------------------------------------------

TEST_F(Draw, PrintScaleFillsTheViewsOfTheSheets)
{
    // A letter page at 100 dots per inch: 850 x 1100 pixels.
    Surface printer(850, 1100, winsys::DeviceKind::Printer);
    printer.image.setDotsPerMeterX(3937);
    printer.image.setDotsPerMeterY(3937);
    ui.ExpectPrintScale([](winsys::PrintScaleRequest& r) {
        EXPECT_NEAR(r.drawingWidth, 11.0, 1e-9);
        EXPECT_NEAR(r.drawingHeight, 8.5, 1e-9);
        EXPECT_NEAR(r.sheetWidth, 8.5, 0.01);
        r.numerator = 1;
        r.denominator = 2;
        return true;
    });
    PrintScaleRec rec{};
    rec.Numerator = rec.Denominator = 1;
    // An 11 x 8.5 inch drawing, corners given the other way round.
    ASSERT_EQ(E_PrintScaleSetupDialog(printer.handle, 13970000, 10795000, -13970000, -10795000, 2540000, &rec, 0), 1);
    EXPECT_EQ(rec.Numerator, 1);
    EXPECT_EQ(rec.Denominator, 2);
    EXPECT_EQ(rec.View.Size, 2540000 * 2 / 100);  // half size: two inches of drawing per printed inch
    EXPECT_EQ(rec.View.Width, 850);
    EXPECT_EQ(rec.View.Height, 1100);
    EXPECT_EQ(rec.SheetsAcross, 1);
    EXPECT_EQ(rec.SheetsDown, 1);
    EXPECT_EQ(rec.StepX, 850 * rec.View.Size);
    EXPECT_EQ(rec.StepY, 1100 * rec.View.Size);
    EXPECT_EQ(rec.View.X, 0);  // centred on the drawing
    EXPECT_EQ(rec.View.Y, 0);

    // Full size: two sheets across, one down, the first one bottom-left.
    ui.ExpectPrintScale([](winsys::PrintScaleRequest&) { return true; });
    rec = PrintScaleRec{};
    ASSERT_EQ(E_PrintScaleSetupDialog(printer.handle, -13970000, -10795000, 13970000, 10795000, 2540000, &rec, 0), 1);
    EXPECT_EQ(rec.View.Size, 25400);
    EXPECT_EQ(rec.SheetsAcross, 2);
    EXPECT_EQ(rec.SheetsDown, 1);
    EXPECT_EQ(rec.View.X, -rec.StepX / 2);
    EXPECT_EQ(rec.View.Y, 0);

    // Cancelled: nothing changes.
    ui.ExpectPrintScale([](winsys::PrintScaleRequest&) { return false; });
    const PrintScaleRec kept = rec;
    EXPECT_EQ(E_PrintScaleSetupDialog(printer.handle, 0, 0, 1000, 1000, 2540000, &rec, 0), 0);
    EXPECT_EQ(std::memcmp(&kept, &rec, sizeof rec), 0);
    // Bad arguments ask nothing.
    EXPECT_EQ(E_PrintScaleSetupDialog(987654, 0, 0, 1000, 1000, 2540000, &rec, 0), 0);
    EXPECT_EQ(E_PrintScaleSetupDialog(printer.handle, 0, 0, 1000, 1000, 0, &rec, 0), 0);
    EXPECT_EQ(E_PrintScaleSetupDialog(printer.handle, 0, 0, 1000, 1000, 2540000, nullptr, 0), 0);
}

TEST_F(Draw, CopyScreenPutsTheRectangleOnTheClipboard)
{
    Surface s(100, 80);
    s.image.setPixel(12, 7, qRgb(1, 2, 3));
    ASSERT_EQ(G_CopyScreen(s.handle, 10, 5, 40, 25), 1);
    const QImage copied = QGuiApplication::clipboard()->image();
    ASSERT_EQ(copied.size(), QSize(30, 20));
    EXPECT_EQ(PixelAt(copied, 2, 2), Rgb(1, 2, 3));
    EXPECT_EQ(G_CopyScreen(s.handle, 200, 200, 300, 300), 0);
    EXPECT_EQ(G_CopyScreen(987654, 0, 0, 10, 10), 0);
}

TEST_F(Draw, CursorsAndThickPens)
{
    const int32_t cross = G_SelectCur(1), move = G_SelectCur(2);
    EXPECT_GT(cross, 0);
    EXPECT_GT(move, 0);
    EXPECT_NE(cross, move);
    for (int32_t routing = 3; routing <= 6; ++routing) {
        const int32_t cursor = G_SelectCur(routing);
        EXPECT_GT(cursor, 0);
        EXPECT_NE(cursor, cross);
        EXPECT_NE(cursor, move);
    }
    EXPECT_EQ(G_SelectCur(0), 0);
    EXPECT_EQ(G_SelectCur(7), 0);
    EXPECT_EQ(G_DelCur(cross), 0);
    EXPECT_EQ(G_DelCur(cross), 0);  // stale: harmless

    G_FreeThickPen(0, 0);
    EXPECT_EQ(G_GetThickPens(), 0);
    Surface s(100, 100);
    Open(s);
    G_SetWidth(6);
    G_SetColor(15);
    G_Line(-1000, 0, 1000, 0);
    G_SetColor(2);
    G_Line(-1000, 500, 1000, 500);
    EXPECT_EQ(G_GetThickPens(), 2);
    EXPECT_EQ(G_FreeThickPen(6, 15), 1);
    EXPECT_EQ(G_FreeThickPen(0, 0), 1);
    EXPECT_EQ(G_GetThickPens(), 0);
    G_Line(-1000, 0, 1000, 0);  // made again as needed
    G_CloseDC();
    EXPECT_EQ(PixelAt(s.image, 50, 45), Palette(2));
}

TEST_F(Draw, TheDefaultPaletteKeepsTheDrawnThingsApart)
{
    // Net wires, bus wires, junctions, component bodies, texts, node marks,
    // highlight, markings and the frame: distinct from each other and from
    // the background.
    const QRgb colours[] = {Category(10), Category(7), Category(11), Category(0), Category(33), Category(5),
                            Category(6), Palette(191), Category(14), Category(15)};
    const QRgb background = Category(31);
    auto distance = [](QRgb a, QRgb b) {
        return std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) + std::abs(qBlue(a) - qBlue(b));
    };
    for (size_t i = 0; i < std::size(colours); ++i) {
        EXPECT_GT(distance(colours[i], background), 150) << i;
        for (size_t j = i + 1; j < std::size(colours); ++j) EXPECT_GT(distance(colours[i], colours[j]), 40) << i << " " << j;
    }
    EXPECT_GT(qGray(background), 230);  // a calm light background
}

// ---- A picture of a small design ----------------------------------------------------------------

TEST_F(Draw, APictureOfASmallDesign)
{
    ASSERT_TRUE(palvane_test::BuildDesign(R"(
include discrete.nls
include power.nls
unit 0.1in
design "Picture"
level MAIN
net IN
net OUT
page P frame 6in 4in
  text "RC filter, drawn by the kernel" at -25 16 size 0.12in
  component R1 R at -10 5 value 10k
  component R2 R at 0 5 value 4k7
  component C1 C at 8 0 angle 90 value 100n
  component G1 symbol SPLGND at 8 -6
  wire IN R1.1 (-18 5) label -17.5 5.3
  wire OUT R1.2 R2.1
  wire OUT R2.2 (8 5) C1.2
  wire OUT (8 5) (14 5) label 10 5.3
  wire SPLGND C1.1 G1.1
end
)"));
    Surface s(900, 600);
    Open(s, 16000, 0, 500000);  // most of the 6 x 4 inch page
    // As the page paint draws it.
    G_SetStyle(2);
    G_SetColor(191);
    G_Rectangle(-220000000, -220000000, 440000000, 440000000, 0);
    G_SetStyle(0);
    G_SetDrawMode(0);
    S_SetCompLocation(0, 0, 0, 0);  // the page notes, at the origin
    S_DrawSymbol(-((DB_CurHier() + 9) * 100 + DB_CurPage()), 1, 1);
    C_DrawAllComponents(1);
    B_DrawAllBranchMask(1, 1, 1);
    J_DrawAllJunctions(1);
    N_SetNodeView(0);
    N_DrawAllNodes(1);
    G_SetColor(61);
    G_SetDrawMode(8);
    B_DrawAllRecords(-100 - DB_CurPage(), 1);
    G_SetDrawMode(0);
    G_DrawGrid(0, 0, 900, 600, 254000, 1);
    G_CloseDC();
    const QString path = QString::fromStdString(palvane_test::ScreenshotDir() + "/palvane_kernel_design.png");
    ASSERT_TRUE(s.image.save(path));
    EXPECT_GT(CountPixels(s.image, Category(10)), 200);  // wires
    EXPECT_GT(CountPixels(s.image, Category(0)), 200);   // component bodies
    EXPECT_GT(CountPixels(s.image, Category(11)), 10);   // the junction dot
    EXPECT_GT(CountPixels(s.image, Category(14)), 500);  // the frame
    EXPECT_GT(CountPixels(s.image, Category(3)), 100);   // the title, a page note
}

}  // namespace

