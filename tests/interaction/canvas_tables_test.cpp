// Tables of the canvas input: where a left release goes by command id, the
// block preview's kind by id, the bitmap frame's size, the refusals of the
// scale and bitmap previews, and the state a failing release leaves.
#include "editor/editing/bitmaps.h"
#include "editor/interaction/commands.h"
#include "editor/interaction/input_state.h"
#include "editor/shell/controls.h"
#include "editor/shell/menus.h"
#include "editor/shell/nvoinpbg.h"
#include "editor/shell/textarea.h"
#include "editor/shell/ribbon.h"
#include "editor/shell/schmain.h"
#include "editor/shell/settings.h"
#include "editor/shell/tooltable.h"
#include "editor/view/canvas.h"
#include "platform/kernel/nvokernel32.h"
#include "tests/support/raster.h"
#include "tests/view/view_fixture.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace {

TEST(ReleaseRouting, ByCommandId)
{
    struct Case {
        int32_t id;
        ReleaseRoute route;
    } cases[] = {
        {0, ReleaseRoute::ModeClick},   {1, ReleaseRoute::Step},        {99, ReleaseRoute::Step},
        {100, ReleaseRoute::ModeClick}, {101, ReleaseRoute::NetPick},   {199, ReleaseRoute::NetPick},
        {200, ReleaseRoute::ModeClick}, {201, ReleaseRoute::Step},      {349, ReleaseRoute::Step},
        {350, ReleaseRoute::ModeClick}, {-1, ReleaseRoute::ModeClick},
    };
    for (const Case& c : cases) EXPECT_EQ(RouteOfRelease(c.id), c.route) << c.id;
}

class CanvasTables : public view_test::DemoTest {
protected:
    void SetUp() override
    {
        DemoTest::SetUp();
        ASSERT_TRUE(dir.isValid());
        g_CurCommand = 0;
        g_CmdRunning = 0;
        g_JobDir = dir.path().toStdString();
        SCHMAIN& m = Main();
        QApplication::setActiveWindow(m.Window());
        m.ViewPicture->setFocus();
        // 50,000 database units (half a millimetre) to the pixel.
        m.m_ViewSize = 50000;
        m.m_ViewOrgX = 0;
        m.m_ViewOrgY = 0;
        m.ShowZoomValue();
        m.RefreshCanvas();
    }
    void TearDown() override
    {
        g_CurCommand = 0;
        g_CmdRunning = 0;
        g_CurMode = MODE_NONE;
        DemoTest::TearDown();
    }

    Canvas& canvas() { return *Main().ViewPicture; }
    QPoint Pix(int32_t x, int32_t y)
    {
        SCHMAIN& m = Main();
        m.OpenCanvasDC();
        int32_t p[2] = {x, y};
        G_LPtoDP(p);
        m.CloseCanvasDC();
        return {p[0], p[1]};
    }
    // The picture with the command's overlay and without it (erased).
    std::pair<QImage, QImage> ShownAndBare()
    {
        SCHMAIN& m = Main();
        const QImage shown = canvas().Image().copy();
        m.OpenCanvasDC();
        m.EraseOverlay();
        m.CloseCanvasDC();
        return {shown, canvas().Image().copy()};
    }
    // Whether the overlay changed any pixel within `r` of `at`.
    static bool OverlayNear(const std::pair<QImage, QImage>& images, QPoint at, int r = 1)
    {
        const auto& [shown, bare] = images;
        for (int dy = -r; dy <= r; ++dy)
            for (int dx = -r; dx <= r; ++dx) {
                const QPoint p = at + QPoint(dx, dy);
                if (!shown.rect().contains(p)) continue;
                if (shown.pixel(p) != bare.pixel(p)) return true;
            }
        return false;
    }
    // A pointer move with Shift held, so that nothing snaps.
    void MoveUnsnapped(QPoint p) { Main().ViewPicture_MouseMove(0, 1, p.x(), p.y()); }
    void Mode(int32_t mode, int32_t function)
    {
        Main().M_FSI_Click(mode);
        ModeTools(mode).SelFunc = function;
    }
    void Click(QPoint at)
    {
        QTest::mouseMove(&canvas(), at);
        QTest::mouseClick(&canvas(), Qt::LeftButton, {}, at);
    }
    int Beeps()
    {
        return static_cast<int>(std::count_if(ui.asked().begin(), ui.asked().end(),
                                              [](const auto& a) { return a.kind == "Beep"; }));
    }

    QTemporaryDir dir;
};

// Kind 1 draws the box from its first corner; kinds 2 and 3 carry it, and
// kind 2 also marks the base point and draws the move vector from it.
TEST_F(CanvasTables, BlockPreviewKindsById)
{
    SCHMAIN& m = Main();
    struct Case {
        int32_t id;
        int kind;
    } cases[] = {{16, 1}, {50, 1}, {51, 1}, {53, 1}, {55, 1}, {56, 1}, {57, 1}, {60, 1}, {61, 1},
                 {99, 1}, {301, 1}, {52, 2}, {54, 2}, {58, 3}};
    const QPoint base(150, 150), to(300, 220);
    int32_t b[2] = {base.x(), base.y()};
    m.OpenCanvasDC();
    G_DPtoLP(b);
    m.CloseCanvasDC();
    const int32_t bx = b[0], by = b[1];
    for (const Case& c : cases) {
        g_CurCommand = c.id;
        m.m_BaseX = bx;
        m.m_BaseY = by;
        m.m_BoxW = m.m_BoxH = 20 * m.m_ViewSize;
        m.m_Rotation = 0;
        MoveUnsnapped(to);
        ASSERT_NE(m.m_OverlayMF, 0) << c.id;
        const std::string line = m.F_MsgLine->Caption();
        const auto bare = ShownAndBare();
        if (c.kind == 1) {
            EXPECT_EQ(line.rfind(" Block: ", 0), 0u) << c.id << line;
            EXPECT_EQ(m.m_BoxW, bx - m.m_BoxOrgX) << c.id;
            EXPECT_EQ(m.m_BoxH, by - m.m_BoxOrgY) << c.id;
        } else {
            EXPECT_EQ(line.rfind(" Vector: X= ", 0), 0u) << c.id << line;
            EXPECT_EQ(m.m_OffsetX, m.m_PlaceX - bx) << c.id;
            EXPECT_EQ(m.m_OffsetY, m.m_PlaceY - by) << c.id;
            // The base circle (8 pixels round the base) only in kind 2.
            EXPECT_EQ(OverlayNear(bare, base + QPoint(8, 0), 2), c.kind == 2) << c.id;
            EXPECT_EQ(OverlayNear(bare, (base + to) / 2, 1), c.kind == 2) << c.id;
        }
        m.OpenCanvasDC();
        m.EraseOverlay();
        m.CloseCanvasDC();
        g_CurCommand = 0;
    }
}

// A picture of 400 by 200 pixels is framed 100 mm by 50 mm (10,000,000 by
// 5,000,000 database units) from the pointer towards +X and -Y: at half a
// millimetre to the pixel, 200 by 100 pixels right and down.
TEST_F(CanvasTables, BitmapFrameOfFourHundredByTwoHundredPixels)
{
    SCHMAIN& m = Main();
    QImage image(400, 200, QImage::Format_RGB32);
    image.fill(Qt::blue);
    const std::string path = dir.path().toStdString() + "/wide.bmp";
    ASSERT_TRUE(image.save(QString::fromStdString(path), "BMP"));
    g_BmpNewName = "WIDE";
    std::string selection = path;
    PlaceBitmap(selection, 0, 0);
    ASSERT_EQ(g_CurBitmap, BitmapCount());
    int32_t id = 87;
    m.BeginCommand(id);
    const QPoint at(100, 100);
    MoveUnsnapped(at);
    ASSERT_NE(m.m_OverlayMF, 0);
    const int32_t x = g_BitmapPos[0], y = g_BitmapPos[1];
    const QPoint far = Pix(x + 10000000, y - 5000000);
    EXPECT_EQ(far - Pix(x, y), QPoint(200, 100));
    const auto bare = ShownAndBare();
    // The right and bottom sides lie there, nothing beyond them.
    EXPECT_TRUE(OverlayNear(bare, QPoint(far.x(), at.y() + 60)));
    EXPECT_TRUE(OverlayNear(bare, QPoint(at.x() + 120, far.y())));
    EXPECT_FALSE(OverlayNear(bare, QPoint(far.x() + 4, at.y() + 60)));
    EXPECT_FALSE(OverlayNear(bare, QPoint(at.x() + 120, far.y() + 4)));
    QTest::keyClick(&canvas(), Qt::Key_Escape);
    MoveUnsnapped(at + QPoint(3, 3));
    EXPECT_EQ(g_CurCommand, 0);
    EXPECT_EQ(BitmapCount(), 0);
}

// A bitmap index outside the list with no imported picture: the preview
// draws nothing and the steps change nothing.
TEST_F(CanvasTables, BitmapCommandsWithABadIndex)
{
    SCHMAIN& m = Main();
    ASSERT_EQ(OM_FindName(DB_FileMap(), "@BMTemp@"), 0);
    const int32_t count = BitmapCount();
    for (int32_t id : {87, 88}) {
        for (int32_t bad : {-1, count + 5}) {
            g_CurBitmap = bad;
            int32_t cmd = id;
            m.BeginCommand(cmd);
            MoveUnsnapped(QPoint(120, 90));
            EXPECT_EQ(m.m_OverlayMF, 0) << id << " " << bad;
            Click(QPoint(130, 95));
            EXPECT_EQ(g_CurCommand, 0) << id << " " << bad;
            EXPECT_EQ(g_CurBitmap, 0) << id << " " << bad;
            EXPECT_EQ(BitmapCount(), count) << id << " " << bad;
            EXPECT_EQ(m.m_CanvasDCLevel, 0) << id << " " << bad;
        }
    }
}

// A typed scale that would carry the box past the coordinate limit is
// refused with a beep like one outside (0, 10]; a fitting one is taken.
TEST_F(CanvasTables, ScalePreviewRefusesAnOverflowingScale)
{
    SCHMAIN& m = Main();
    struct Case {
        int32_t box;
        const char* typed;
        double scale;
        bool beep;
    } cases[] = {
        {200000000, "5", 1.0, true}, {200000000, "10", 1.0, true}, {2000000, "2", 2.0, false},
        {2000000, "0", 1.0, true},   {2000000, "11", 1.0, true},   {2000000, "abc", 1.0, true},
    };
    for (const Case& c : cases) {
        g_CurCommand = 78;
        m.m_BaseX = m.m_BaseY = 0;
        m.m_BoxW = m.m_BoxH = c.box;
        m.m_Rotation = 0;
        m.m_Scale = 1.0;
        ui.ExpectModal("NvoInpBG", [typed = c.typed](QWidget*) {
            NvoInpBG& box = FormInstance<NvoInpBG>();
            EXPECT_NE(box.InpPrompt()->Text().find("Scale Block by:"), std::string::npos);
            box.InpText()->SetText(typed);
            box.InpOK()->Press();
        });
        const int beeps = Beeps();
        // Pressing the button runs the preview again, which asks.
        MoveUnsnapped(QPoint(200, 160));
        m.F_OST(6)->SetValue(true);
        MoveUnsnapped(QPoint(202, 161));
        EXPECT_DOUBLE_EQ(m.m_Scale, c.scale) << c.typed << " " << c.box;
        EXPECT_EQ(Beeps() > beeps, c.beep) << c.typed << " " << c.box;
        EXPECT_FALSE(m.F_OST(6)->Value());
        m.OpenCanvasDC();
        m.EraseOverlay();
        m.CloseCanvasDC();
        g_CurCommand = 0;
    }
}

// A release whose step or mode click fails leaves the canvas taking clicks,
// the busy label hidden and, once idle, the menus on.
TEST_F(CanvasTables, FailingReleaseRestoresTheCanvas)
{
    SCHMAIN& m = Main();
    // The mode click of block function 10 asks for the file at once.
    Mode(MODE_BLOCK_EDIT, 10);
    ui.ExpectFileDialog([](winsys::FileDialogRequest&) -> bool { throw std::runtime_error("disk gone"); });
    Click(QPoint(200, 200));
    EXPECT_EQ(g_CurCommand, 0);
    EXPECT_TRUE(m.ViewPicture->isEnabled());
    EXPECT_FALSE(m.F_Busy->isVisible());
    EXPECT_TRUE(m.M_Edit->Enabled());
    EXPECT_EQ(m.m_CanvasDCLevel, 0);

    // The step of the block save asks for the file while the canvas is off.
    Mode(MODE_BLOCK_EDIT, 9);
    Click(QPoint(100, 100));
    ASSERT_EQ(g_CurCommand, 57);
    QTest::mouseMove(&canvas(), QPoint(160, 150));
    ui.ExpectFileDialog([](winsys::FileDialogRequest&) -> bool { throw std::runtime_error("disk gone"); });
    Click(QPoint(160, 150));
    EXPECT_TRUE(m.ViewPicture->isEnabled());
    EXPECT_FALSE(m.F_Busy->isVisible());
    EXPECT_EQ(m.m_CanvasDCLevel, 0);
    if (g_CurCommand == 0) {
        EXPECT_TRUE(m.M_Edit->Enabled());
    }
    // Both failures were raised from the file question.
    EXPECT_EQ(std::count_if(ui.asked().begin(), ui.asked().end(), [](const auto& a) { return a.kind == "FileDialog"; }),
              2);
}

}  // namespace
