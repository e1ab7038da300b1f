// A picture moved on the page through the canvas: taking it clears its
// place (the frame of the move's start), the preview carries its outline,
// and putting it down paints it at the new place only.
#include "editor/editing/bitmaps.h"
#include "editor/interaction/commands.h"
#include "editor/shell/controls.h"
#include "editor/shell/ribbon.h"
#include "editor/shell/settings.h"
#include "editor/shell/systables.h"
#include "editor/shell/tooltable.h"
#include "editor/view/canvas.h"
#include "editor/view/view_state.h"
#include "tests/editing/editing_fixture.h"

#include <QApplication>
#include <QColor>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace palvane_test;

const char* kDesign = R"(
include discrete.nls
unit 0.1in
design D
level MAIN
page P frame 100 80
end
)";

class BitmapMove : public EditingTest {
protected:
    void SetUp() override
    {
        EditingTest::SetUp();
        ASSERT_TRUE(dir.isValid());
        Use(kDesign, "P");
        SCHMAIN& m = Main();
        g_DbUnitsPerMm = 100000;
        g_SnapStep = kStep;
        g_BmpAllPages = false;
        g_BmpFromLibrary = false;
        g_ShowBitmaps = -1;
        OpenBitmapStore();
        g_CurCommand = 0;
        g_CmdRunning = 0;
        for (int i = 0; i <= 10; ++i)
            if (m.F_OST.Exists(i)) m.F_OST(i)->SetValue(false);
        m.m_ViewSize = 25400 * 2;  // 50 pixels to the inch
        m.ShowZoomValue();
        m.RefreshCanvas();
        QApplication::setActiveWindow(m.Window());
        m.ViewPicture->setFocus();
        // A red picture of 200 x 120 pixels: 50 by 30 mm on the page, about
        // 98 by 59 canvas pixels.
        QImage image(200, 120, QImage::Format_RGB32);
        image.fill(Qt::red);
        path = dir.path().toStdString() + "/logo.bmp";
        ASSERT_TRUE(image.save(QString::fromStdString(path), "BMP"));
    }
    void TearDown() override
    {
        g_CurCommand = 0;
        g_CmdRunning = 0;
        g_CurBitmap = 0;
        g_CurMode = MODE_NONE;
        QApplication::setActiveWindow(nullptr);
        EditingTest::TearDown();
    }
    // The database point of a canvas pixel.
    QPoint Db(QPoint pixel)
    {
        SCHMAIN& m = Main();
        int32_t p[2] = {pixel.x(), pixel.y()};
        m.OpenCanvasDC();
        G_DPtoLP(p);
        m.CloseCanvasDC();
        return {p[0], p[1]};
    }
    void Move(QPoint pixel) { Main().ViewPicture_MouseMove(0, 0, pixel.x(), pixel.y()); }
    void Click(QPoint pixel)
    {
        Move(pixel);
        Main().ViewPicture_MouseUp(1, 0, pixel.x(), pixel.y());
    }
    bool Red(QPoint pixel) { return QColor(Main().ViewPicture->Image().pixel(pixel)) == QColor(Qt::red); }

    QTemporaryDir dir;
    std::string path;
};

TEST_F(BitmapMove, TakingAPictureClearsItsPlaceUntilItIsPutDown)
{
    SCHMAIN& m = Main();
    // The picture placed for good with its top-left corner at pixel (30, 30).
    const QPoint corner = Db(QPoint(30, 30));
    g_BmpNewName = "LOGO";
    std::string selection = path;
    PlaceBitmap(selection, corner.x(), corner.y());
    ASSERT_EQ(g_CurBitmap, 1);
    g_CurBitmap = 0;
    m.RefreshCanvas();
    const QPoint inside(100, 75);  // away from the outline the preview draws
    ASSERT_TRUE(Red(inside));

    // Taken: its place is cleared while the preview carries its outline.
    g_CurMode = MODE_BITMAPS;
    ModeTools(MODE_BITMAPS).SelFunc = 2;
    Click(QPoint(40, 40));
    ASSERT_EQ(g_CurCommand, 88);
    EXPECT_EQ(g_CurBitmap, 1);
    EXPECT_FALSE(Red(inside));
    Move(QPoint(60, 50));
    EXPECT_NE(m.m_OverlayMF, 0);
    EXPECT_FALSE(Red(inside));

    // Put down further on: shown there only.
    Move(QPoint(150, 120));
    Click(QPoint(150, 120));
    EXPECT_EQ(g_CurCommand, 0);
    EXPECT_EQ(g_CurBitmap, 0);
    EXPECT_FALSE(Red(inside));
    EXPECT_TRUE(Red(QPoint(200, 150)));
    const QPoint moved = Db(QPoint(150, 120));
    ASSERT_EQ(BitmapCount(), 1);
    EXPECT_NEAR(g_BitmapList[1].X, moved.x(), kStep);
    EXPECT_NEAR(g_BitmapList[1].Y, moved.y(), kStep);
}

}  // namespace
