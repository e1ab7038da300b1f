// What the editor's overlays rest on: thin XOR lines along an axis (the
// cursor cross) and small thin XOR circles cover the pixels the painter
// covers, and one recording replaced by another in one call shows what
// erasing the one and playing the other shows, on the raster of real
// images registered as devices.
#include "platform/kernel/nvokernel32.h"
#include "platform/winsys/devices.h"
#include "tests/support/kernel_fixture.h"
#include "tests/support/raster.h"

#include <QImage>
#include <QPainter>

#include <algorithm>
#include <functional>

namespace {

using palvane_test::CompareImages;

QRgb Palette(int index)
{
    const auto* table = static_cast<const int32_t*>(E_SysTable(0));
    const uint32_t v = static_cast<uint32_t>(table[index]);
    return qRgb(v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF);
}

QRgb Background()
{
    return Palette(static_cast<const uint8_t*>(E_SysTable(1))[31]);
}

// The source colour that XORs colour 14 over the background.
QColor XorOfColour14()
{
    return QColor::fromRgb(((Palette(14) ^ Background()) & 0xFFFFFFu) | 0xFF000000u);
}

// An image registered as a device, filled with the background.
struct Surface {
    QImage image;
    int32_t handle = 0;

    Surface(int width, int height) : image(width, height, QImage::Format_RGB32)
    {
        image.fill(Background());
        winsys::Device device;
        device.surface = &image;
        device.image = &image;
        handle = winsys::RegisterDevice(device);
    }
    ~Surface() { winsys::UnregisterDevice(handle); }
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;
};

class DrawOverlay : public palvane_test::KernelTest {
protected:
    void SetUp() override
    {
        KernelTest::SetUp();
        while (G_CloseDC()) {
        }
        if (int32_t mf = G_CloseMF()) G_DeleteEnhMetaFile(mf);
        G_SetDrawMode(0);
        G_SetStyle(0);
        G_SetWidth(1);
    }
    void TearDown() override
    {
        while (G_CloseDC()) {
        }
        G_SetDrawMode(0);
        G_SetStyle(0);
        KernelTest::TearDown();
    }

    // One unit per pixel, so that the database point (x, -y) is pixel (x, y).
    static void OpenPixels(Surface& s)
    {
        const ViewDCRec view{1, s.image.width(), s.image.height(), s.image.width() / 2, -s.image.height() / 2, 0};
        ASSERT_EQ(G_OpenDC(s.handle, &view), 1);
    }

    // Plain content under the overlays, so that XOR is seen over more than
    // the background.
    static void Content()
    {
        G_SetDrawMode(0);
        G_SetColor(2);
        G_Line(0, 0, 60, -40);
        G_SetStyle(16);
        G_SetColor(5);
        G_Rectangle(10, -30, 25, 20, 0);
        G_SetStyle(0);
    }

    // Records what `draw` draws into a new metafile.
    static int32_t Record(const Surface& s, const std::function<void()>& draw)
    {
        G_OpenMF(s.handle);
        draw();
        return G_CloseMF();
    }

    // Over the plain content: `draw` in XOR with colour 14 gives the pixels
    // `paint` gives with the painter in XOR, and drawn again it leaves the
    // image as it was.
    static void ExpectPainterPixels(const std::function<void(QPainter&)>& paint, const std::function<void()>& draw)
    {
        Surface s(80, 50);
        OpenPixels(s);
        Content();
        G_CloseDC();
        QImage expected = s.image.copy();
        {
            QPainter p(&expected);
            p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
            paint(p);
        }
        const QImage before = s.image.copy();
        OpenPixels(s);
        G_SetDrawMode(32);
        G_SetColor(14);
        draw();
        G_CloseDC();
        EXPECT_TRUE(CompareImages(expected, s.image).Same());
        OpenPixels(s);
        draw();
        G_CloseDC();
        EXPECT_TRUE(CompareImages(before, s.image).Same()) << "drawn twice, the figure is gone";
    }
};

TEST_F(DrawOverlay, ThinXorLinesAlongAnAxisCoverThePixelsThePainterCovers)
{
    struct Case {
        const char* what;
        int x1, y1, x2, y2;
        int style;
    } cases[] = {
        {"across", 5, 7, 50, 7, 0},
        {"across, drawn backwards", 50, 7, 5, 7, 0},
        {"down", 9, 3, 9, 35, 0},
        {"up", 9, 35, 9, 3, 0},
        {"one pixel", 12, 12, 12, 12, 0},
        {"two pixels", 12, 12, 13, 12, 0},
        {"beyond both sides", -300, 20, 900, 20, 0},
        {"beyond top and bottom", 30, -400, 30, 700, 0},
        {"a canvas-long line far beyond", -220000000, 15, 220000000, 15, 0},
        {"on the last column", 79, 0, 79, 49, 0},
        {"on the last row", 0, 49, 79, 49, 0},
        {"ending just inside", -20, 4, 0, 4, 0},
        {"wholly left of the image", -20, 4, -1, 4, 0},
        {"wholly below the image", 6, 50, 6, 90, 0},
        {"dashed (drawn by the painter)", 2, 25, 70, 25, 2},
        {"slanting (drawn by the painter)", 3, 3, 60, 40, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ExpectPainterPixels(
            [&](QPainter& p) {
                const Qt::PenStyle style = c.style == 2 ? Qt::DashLine : Qt::SolidLine;
                p.setPen(QPen(XorOfColour14(), 0, style));
                const auto clamp = [](int v) { return std::clamp(v, -1000, 1000); };
                p.drawLine(QLine(clamp(c.x1), clamp(c.y1), clamp(c.x2), clamp(c.y2)));
            },
            [&] {
                G_SetStyle(c.style);
                G_Line(c.x1, -c.y1, c.x2, -c.y2);
            });
    }
}

TEST_F(DrawOverlay, ThinXorCirclesCoverThePixelsThePainterCovers)
{
    struct Case {
        const char* what;
        int x, y, radius;
    } cases[] = {
        {"radius 1", 20, 20, 1},     {"radius 2", 20, 20, 2},         {"radius 5", 30, 25, 5},
        {"radius 12", 40, 24, 12},   {"radius 20", 40, 25, 20},       {"touching the left edge", 6, 25, 5},
        {"over the top", 30, 3, 8},  {"over the right edge", 78, 25, 6}, {"radius 100 (the painter)", 40, 25, 100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ExpectPainterPixels(
            [&](QPainter& p) {
                p.setPen(QPen(XorOfColour14(), 0));
                p.drawEllipse(QPoint(c.x, c.y), c.radius, c.radius);
            },
            [&] { G_Circle(c.x, -c.y, c.radius); });
    }
}

TEST_F(DrawOverlay, XorLinesAndPlainFiguresKeepTheirOrder)
{
    // A plain figure drawn after an XOR line covers it; one drawn before is
    // inverted by it, as when everything goes through the painter.
    Surface s(60, 40);
    OpenPixels(s);
    G_SetDrawMode(32);
    G_SetColor(14);
    G_Line(0, -10, 59, -10);
    G_SetDrawMode(0);
    G_SetColor(5);
    G_Line(0, -10, 30, -10);
    G_SetDrawMode(32);
    G_SetColor(14);
    G_Line(20, -20, 20, -39);
    G_CloseDC();
    EXPECT_EQ(palvane_test::PixelAt(s.image, 10, 10), Palette(5) & 0xFFFFFFu);
    EXPECT_EQ(palvane_test::PixelAt(s.image, 40, 10), Palette(14) & 0xFFFFFFu);
}

TEST_F(DrawOverlay, ReplacingARecordingShowsWhatErasingItAndPlayingTheNextShows)
{
    // Figures that stay, move, and come or go between the two recordings.
    auto first = [] {
        G_SetDrawMode(32);
        G_SetColor(14);
        G_Line(-100000, -20, 100000, -20);  // a cursor line that stays
        G_Line(30, -100000, 30, 100000);    // one that moves
        G_Triangle(5, -5, 12, -2, 12, -8);  // a marker that stays
        G_Circle(30, -20, 6);
        G_SetColor(3);
        G_Line(0, 0, 30, -20);
        G_Line(45, -33, 30, -20);  // not in the second
    };
    auto second = [] {
        G_SetDrawMode(32);
        G_SetColor(14);
        G_Line(-100000, -20, 100000, -20);
        G_Line(41, -100000, 41, 100000);
        G_Triangle(5, -5, 12, -2, 12, -8);
        G_Circle(41, -20, 6);
        G_SetColor(3);
        G_Line(0, 0, 41, -20);
    };
    struct Case {
        const char* what;
        std::function<void()> before, after;
    } cases[] = {
        {"some figures moved, one gone", first, second},
        {"one more figure at the end", second, first},
        {"the same recording again", first, first},
        {"from an empty recording", [] {}, first},
        {"to an empty recording", first, [] {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Surface s(80, 50);
        OpenPixels(s);
        Content();
        G_CloseDC();
        Surface fresh(80, 50);
        OpenPixels(fresh);
        Content();
        const int32_t old = Record(s, c.before);
        const int32_t now = Record(s, c.after);
        G_PlayEnhMetaFile(fresh.handle, now);
        G_CloseDC();

        OpenPixels(s);
        ASSERT_EQ(G_PlayEnhMetaFile(s.handle, old), 1);
        ASSERT_EQ(G_ReplaceEnhMetaFile(s.handle, old, now), 1);
        G_CloseDC();
        EXPECT_TRUE(CompareImages(fresh.image, s.image).Same());
        G_DeleteEnhMetaFile(old);
        G_DeleteEnhMetaFile(now);
    }
}

TEST_F(DrawOverlay, ReplacingNeedsTwoLiveRecordingsAndAContext)
{
    Surface s(40, 30);
    Surface other(40, 30);
    OpenPixels(s);
    const auto line = [](int x) {
        return [x] {
            G_SetDrawMode(32);
            G_SetColor(14);
            G_Line(x, 0, x, -29);
        };
    };
    const int32_t a = Record(s, line(5));
    const int32_t b = Record(s, line(9));
    const QImage blank = s.image.copy();
    EXPECT_EQ(G_ReplaceEnhMetaFile(other.handle, a, b), 0) << "no context on that device";
    const int32_t gone = Record(s, line(20));
    G_DeleteEnhMetaFile(gone);
    EXPECT_EQ(G_ReplaceEnhMetaFile(s.handle, gone, b), 0);
    EXPECT_EQ(G_ReplaceEnhMetaFile(s.handle, a, gone), 0);
    EXPECT_EQ(G_ReplaceEnhMetaFile(s.handle, 0, b), 0);
    G_CloseDC();
    EXPECT_TRUE(CompareImages(blank, s.image).Same()) << "a refused call draws nothing";

    // While a recording runs, the figures that differ go into it.
    OpenPixels(s);
    G_OpenMF(s.handle);
    EXPECT_EQ(G_ReplaceEnhMetaFile(s.handle, a, b), 1);
    const int32_t both = G_CloseMF();
    G_PlayEnhMetaFile(s.handle, both);
    G_CloseDC();
    EXPECT_NE(palvane_test::PixelAt(s.image, 5, 10), palvane_test::PixelAt(blank, 5, 10));
    EXPECT_NE(palvane_test::PixelAt(s.image, 9, 10), palvane_test::PixelAt(blank, 9, 10));
    for (int32_t mf : {a, b, both}) G_DeleteEnhMetaFile(mf);
}

TEST_F(DrawOverlay, ANewRecordingHoldsNothingOfADeletedOne)
{
    Surface s(40, 30);
    OpenPixels(s);
    const QImage blank = s.image.copy();
    const int32_t big = Record(s, [] {
        G_SetDrawMode(32);
        G_SetColor(14);
        for (int x = 0; x < 40; x += 3) G_Line(x, 0, x, -29);
    });
    G_DeleteEnhMetaFile(big);
    const int32_t small = Record(s, [] {
        G_SetDrawMode(32);
        G_SetColor(14);
        G_Line(1, -4, 1, -4);
    });
    EXPECT_EQ(G_PlayEnhMetaFile(s.handle, big), 0) << "the deleted handle stays stale";
    ASSERT_EQ(G_PlayEnhMetaFile(s.handle, small), 1);
    G_CloseDC();
    const palvane_test::ImageDiff diff = CompareImages(blank, s.image);
    EXPECT_EQ(diff.differing, 1);
    EXPECT_EQ(diff.firstAt, QPoint(1, 4));
    G_DeleteEnhMetaFile(small);
}

}  // namespace
