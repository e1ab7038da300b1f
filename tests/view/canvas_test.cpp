// The canvas: its backing image as a device with a stable handle, and the
// three operations kept apart - an expose only copies the image, an
// invalidate runs one paint from the event loop, a refresh paints now.
#include "editor/shell/forms.h"
#include "editor/shell/errors.h"
#include "editor/view/canvas.h"
#include "platform/winsys/devices.h"
#include "tests/support/raster.h"

#include <QApplication>
#include <QPainter>
#include <QTest>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using palvane_test::CompareImages;
using palvane_test::CountPixels;
using palvane_test::PixelAt;

// Runs the event loop until `done` or a second has passed. Whether it came
// is for the checks that follow to tell.
template <class F>
void ProcessUntil(F done)
{
    static_cast<void>(QTest::qWaitFor(done, 1000));
}

void ProcessALittle()
{
    for (int i = 0; i < 5; ++i) QApplication::processEvents(QEventLoop::AllEvents, 10);
}

class CanvasTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        canvas.resize(200, 120);
        canvas.SetBackColor(Qt::white);
        canvas.Paint.Connect([this] { ++paints; });
        canvas.show();
        ProcessALittle();
        paints = 0;
    }

    winsys::Device& Device()
    {
        winsys::Device* device = winsys::FindDevice(canvas.DeviceHandle());
        EXPECT_NE(device, nullptr);
        return *device;
    }

    // Draws straight into the backing image, as a kernel context does.
    void DrawRect(const QRect& r, QColor color)
    {
        winsys::Device& d = Device();
        ++d.openContexts;
        {
            QPainter p(d.surface);
            p.fillRect(r, color);
        }
        if (--d.openContexts == 0 && d.onDrawn) d.onDrawn(r.x(), r.y(), r.width(), r.height());
    }

    Canvas canvas;
    int paints = 0;
};

TEST_F(CanvasTest, ExposeCopiesTheImageAndNeverRunsThePaint)
{
    DrawRect(QRect(10, 10, 50, 30), Qt::red);
    // The window system shows the widget, in whole and in part.
    canvas.repaint();
    canvas.repaint(QRect(0, 0, 20, 20));
    const QImage shown = canvas.grab().toImage();
    EXPECT_EQ(paints, 0);
    EXPECT_TRUE(CompareImages(shown, canvas.Image()).Same());
    EXPECT_EQ(PixelAt(shown, 30, 20), qRgb(255, 0, 0) & 0xFFFFFFu);
    EXPECT_EQ(CountPixels(shown, qRgb(255, 0, 0)), 50 * 30);
    // Hidden and shown again: still no paint.
    canvas.hide();
    canvas.show();
    ProcessALittle();
    EXPECT_EQ(paints, 0);
}

TEST_F(CanvasTest, InvalidateRunsOnePaintHoweverOftenAsked)
{
    for (int i = 0; i < 5; ++i) canvas.Invalidate();
    EXPECT_TRUE(canvas.PaintPending());
    EXPECT_EQ(paints, 0);  // nothing runs inside the caller
    ProcessUntil([&] { return !canvas.PaintPending(); });
    ProcessALittle();
    EXPECT_EQ(paints, 1);
    // Asked again later, it runs again, once.
    canvas.Invalidate();
    canvas.Invalidate();
    ProcessUntil([&] { return !canvas.PaintPending(); });
    ProcessALittle();
    EXPECT_EQ(paints, 2);
}

TEST_F(CanvasTest, RefreshPaintsNowAndTakesThePendingPaintAlong)
{
    canvas.Invalidate();
    canvas.Refresh();
    EXPECT_EQ(paints, 1);
    EXPECT_FALSE(canvas.PaintPending());
    ProcessALittle();
    EXPECT_EQ(paints, 1);
}

TEST_F(CanvasTest, ResizeReplacesTheImageAtOnceWhenNoContextIsOpen)
{
    const int32_t handle = canvas.DeviceHandle();
    const QImage* image = &canvas.Image();
    DrawRect(QRect(0, 0, 10, 10), Qt::blue);
    canvas.resize(300, 180);
    EXPECT_EQ(canvas.Image().size(), QSize(300, 180));
    EXPECT_FALSE(canvas.ImageReplacePending());
    // Same handle, same image object; what was drawn stays until a paint.
    EXPECT_EQ(canvas.DeviceHandle(), handle);
    EXPECT_EQ(&canvas.Image(), image);
    EXPECT_EQ(Device().image, image);
    EXPECT_EQ(PixelAt(canvas.Image(), 5, 5), qRgb(0, 0, 255) & 0xFFFFFFu);
    EXPECT_EQ(PixelAt(canvas.Image(), 250, 150), qRgb(255, 255, 255) & 0xFFFFFFu);
    EXPECT_EQ(paints, 0);
}

TEST_F(CanvasTest, ResizeWhileAContextIsOpenKeepsTheOldImageUntilItCloses)
{
    winsys::Device& device = Device();
    ++device.openContexts;  // a kernel context is open on the canvas
    canvas.resize(320, 200);
    EXPECT_EQ(canvas.Image().size(), QSize(200, 120));
    EXPECT_TRUE(canvas.ImageReplacePending());
    // The expose shows the old image and the back colour beyond it.
    const QImage shown = canvas.grab().toImage();
    EXPECT_EQ(shown.size(), QSize(320, 200));
    EXPECT_EQ(PixelAt(shown, 310, 190), qRgb(255, 255, 255) & 0xFFFFFFu);
    // Drawing goes on into the old image.
    {
        QPainter p(device.surface);
        p.fillRect(QRect(0, 0, 200, 120), Qt::green);
    }
    ProcessALittle();
    EXPECT_EQ(canvas.Image().size(), QSize(200, 120));

    // The last context closes: the image is replaced and a paint asked for.
    --device.openContexts;
    device.onDrawn(0, 0, 200, 120);
    EXPECT_EQ(canvas.Image().size(), QSize(320, 200));
    EXPECT_FALSE(canvas.ImageReplacePending());
    EXPECT_EQ(PixelAt(canvas.Image(), 100, 60), qRgb(0, 255, 0) & 0xFFFFFFu);
    EXPECT_TRUE(canvas.PaintPending());
    ProcessUntil([&] { return !canvas.PaintPending(); });
    EXPECT_EQ(paints, 1);

    // Two contexts: the first to close does not replace anything.
    device.openContexts = 2;
    canvas.resize(240, 150);
    --device.openContexts;
    EXPECT_EQ(canvas.Image().size(), QSize(320, 200));
    --device.openContexts;
    device.onDrawn(0, 0, 0, 0);
    EXPECT_EQ(canvas.Image().size(), QSize(240, 150));
}

// A context that closes without drawing does not call onDrawn; the waiting
// replacement happens from the event loop all the same.
TEST_F(CanvasTest, ReplacementWaitingForAContextThatDrewNothing)
{
    winsys::Device& device = Device();
    ++device.openContexts;
    canvas.resize(260, 160);
    ProcessALittle();
    EXPECT_EQ(canvas.Image().size(), QSize(200, 120));  // still open: still waiting
    --device.openContexts;
    ProcessUntil([&] { return !canvas.ImageReplacePending() && !canvas.PaintPending(); });
    EXPECT_EQ(canvas.Image().size(), QSize(260, 160));
    EXPECT_EQ(paints, 1);
}

// A canvas laid out while its window is hidden hears of its size only when
// the window shows. A paint before that, at once or from the event loop,
// draws into an image of the laid-out size, and the window shows that
// picture without another paint.
TEST(CanvasLaidOutWhileHidden, KeepsThePictureDrawnBeforeTheFirstShow)
{
    struct Case {
        const char* name;
        void (*paint)(Canvas&);
    };
    const Case cases[] = {
        {"Refresh", [](Canvas& c) { c.Refresh(); }},
        {"Invalidate", [](Canvas& c) {
             c.Invalidate();
             ProcessUntil([&] { return !c.PaintPending(); });
         }},
    };
    for (const Case& test : cases) {
        QWidget window;
        window.resize(400, 300);
        auto* canvas = new Canvas(&window);
        canvas->setFrameStyle(QFrame::Box | QFrame::Plain);
        canvas->setGeometry(10, 10, 322, 242);
        ASSERT_FALSE(canvas->isVisible());
        const QSize client = canvas->ClientSize();
        ASSERT_EQ(client, QSize(320, 240));
        // The paint fills the bottom right corner of the client area, as a
        // kernel context draws: through the device.
        const QRect corner(client.width() - 40, client.height() - 30, 40, 30);
        int paints = 0;
        canvas->Paint.Connect([&] {
            ++paints;
            winsys::Device* device = winsys::FindDevice(canvas->DeviceHandle());
            ASSERT_NE(device, nullptr);
            ++device->openContexts;
            {
                QPainter p(device->surface);
                p.fillRect(corner, Qt::red);
            }
            if (--device->openContexts == 0 && device->onDrawn)
                device->onDrawn(corner.x(), corner.y(), corner.width(), corner.height());
        });
        test.paint(*canvas);
        EXPECT_EQ(paints, 1) << test.name;
        EXPECT_EQ(canvas->Image().size(), client) << test.name;

        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window)) << test.name;
        ProcessALittle();
        EXPECT_EQ(paints, 1) << test.name;
        EXPECT_EQ(canvas->Image().size(), client) << test.name;
        EXPECT_EQ(CountPixels(canvas->Image(), qRgb(255, 0, 0)), 40 * 30) << test.name;
        // On the screen, inside the frame.
        const QImage shown = canvas->grab().toImage();
        EXPECT_EQ(PixelAt(shown, 1 + corner.x() + 20, 1 + corner.y() + 15), qRgb(255, 0, 0) & 0xFFFFFFu) << test.name;
    }
}

TEST_F(CanvasTest, HandleEndsWithTheCanvas)
{
    int32_t handle = 0;
    {
        Canvas other;
        handle = other.DeviceHandle();
        EXPECT_NE(handle, 0);
        EXPECT_NE(handle, canvas.DeviceHandle());
        EXPECT_NE(winsys::FindDevice(handle), nullptr);
    }
    EXPECT_EQ(winsys::FindDevice(handle), nullptr);
}

TEST_F(CanvasTest, PointerEventsCarryTheRuntimeArguments)
{
    std::vector<std::string> heard;
    auto record = [&](const char* what) {
        return [&heard, what](int button, int shift, double x, double y) {
            heard.push_back(std::string(what) + " " + std::to_string(button) + " " + std::to_string(shift) + " " +
                            std::to_string(static_cast<int>(x)) + "," + std::to_string(static_cast<int>(y)));
        };
    };
    canvas.MouseDown.Connect(record("down"));
    canvas.MouseUp.Connect(record("up"));
    canvas.MouseMove.Connect(record("move"));
    QTest::mousePress(&canvas, Qt::RightButton, Qt::ShiftModifier, QPoint(40, 30));
    QTest::mouseRelease(&canvas, Qt::RightButton, Qt::ShiftModifier, QPoint(40, 30));
    QTest::mouseClick(&canvas, Qt::LeftButton, Qt::ControlModifier | Qt::AltModifier, QPoint(7, 9));
    EXPECT_EQ(heard, (std::vector<std::string>{"down 2 1 40,30", "up 2 1 40,30", "down 1 6 7,9", "up 1 6 7,9"}));
    EXPECT_EQ(paints, 0);
}

// With a frame, the client area inside it is the image and the origin of
// the pointer's coordinates; the expose draws the frame around the image.
TEST_F(CanvasTest, FramedCanvasKeepsItsClientAreaInside)
{
    canvas.setFrameStyle(QFrame::Panel | QFrame::Raised);
    canvas.setLineWidth(2);
    EXPECT_EQ(canvas.ClientSize(), QSize(196, 116));
    EXPECT_EQ(canvas.Image().size(), QSize(196, 116));
    canvas.resize(204, 139);
    EXPECT_EQ(canvas.Image().size(), QSize(200, 135));
    DrawRect(QRect(0, 0, 1, 1), Qt::red);
    const QImage shown = canvas.grab().toImage();
    EXPECT_EQ(PixelAt(shown, 2, 2), qRgb(255, 0, 0) & 0xFFFFFFu);
    EXPECT_NE(PixelAt(shown, 203, 138), qRgb(255, 255, 255) & 0xFFFFFFu);  // the frame's shadow
    std::vector<std::pair<int, int>> downs;
    canvas.MouseDown.Connect([&](int, int, double x, double y) { downs.emplace_back(int(x), int(y)); });
    QTest::mouseClick(&canvas, Qt::LeftButton, {}, QPoint(12, 7));
    EXPECT_EQ(downs, (std::vector<std::pair<int, int>>{{10, 5}}));
    EXPECT_EQ(paints, 0);
}

// A paint that fails when run from the event loop is reported; the canvas
// goes on invalidating and painting.
TEST_F(CanvasTest, FailingPaintIsReportedAndTheCanvasGoesOn)
{
    std::vector<int> reported;
    SetEventErrorReporter([&](int number, const std::string&) { reported.push_back(number); });
    bool fail = true;
    canvas.Paint.Connect([&] {
        if (fail) RaiseError(errnum::Overflow);
    });
    canvas.Invalidate();
    ProcessUntil([&] { return !canvas.PaintPending(); });
    ProcessALittle();
    EXPECT_EQ(reported, (std::vector<int>{6}));
    fail = false;
    canvas.Invalidate();
    ProcessUntil([&] { return !canvas.PaintPending(); });
    ProcessALittle();
    EXPECT_EQ(paints, 2);
    EXPECT_EQ(reported.size(), 1u);
    // Refresh runs inside its caller: the error is the caller's.
    fail = true;
    EXPECT_THROW(canvas.Refresh(), RuntimeError);
    SetEventErrorReporter(nullptr);
}

}  // namespace
