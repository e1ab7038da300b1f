// Block, vector, box and bitmap commands carried by real mouse events on the
// canvas into the editing procedures and the kernel: the design and the
// picture are checked, and every preview is an XOR drawing that its erase
// takes away without a trace.
#include "editor/editing/bitmaps.h"
#include "editor/interaction/commands.h"
#include "editor/interaction/input_state.h"
#include "editor/shell/controls.h"
#include "editor/shell/curpos.h"
#include "editor/shell/menus.h"
#include "editor/shell/pagedraw.h"
#include "editor/shell/ribbon.h"
#include "editor/shell/schmain.h"
#include "editor/shell/settings.h"
#include "editor/shell/systables.h"
#include "editor/shell/tooltable.h"
#include "editor/view/canvas.h"
#include "editor/view/marks.h"
#include "platform/kernel/nvokernel32.h"
#include "tests/support/raster.h"
#include "tests/support/screenshot.h"
#include "tests/view/view_fixture.h"

#include <QApplication>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <fstream>

namespace {

using palvane_test::CompareImages;

class Mouse : public view_test::DemoTest {
protected:
    void SetUp() override
    {
        DemoTest::SetUp();
        ASSERT_TRUE(dir.isValid());
        g_CurCommand = 0;
        g_CmdRunning = 0;
        g_BoxCopyOn = g_BoxZoomOn = 0;
        Main().m_CmdStep = 0;
        Main().m_CmdArmed = 0;
        g_JobDir = dir.path().toStdString();
        SCHMAIN& m = Main();
        QApplication::setActiveWindow(m.Window());
        m.ViewPicture->setFocus();
        m.RefreshCanvas();
    }

    Canvas& canvas() { return *Main().ViewPicture; }

    // The editor's globals outlive the window: no command, mode or armed
    // box is left to the next test.
    void TearDown() override
    {
        g_CurCommand = 0;
        g_CmdRunning = 0;
        g_BoxCopyOn = g_BoxZoomOn = 0;
        g_CurMode = MODE_NONE;
        DemoTest::TearDown();
    }

    // The canvas pixel of a database point.
    QPoint Pix(int32_t x, int32_t y)
    {
        SCHMAIN& m = Main();
        m.OpenCanvasDC();
        int32_t p[2] = {x, y};
        G_LPtoDP(p);
        m.CloseCanvasDC();
        return {p[0], p[1]};
    }

    static int32_t CompId(const std::string& name)
    {
        const int32_t id = OM_FindName(DB_SchCompMap(), name.c_str());
        return id != 0 ? id : OM_FindName(DB_SchCompMap(), (name + "/1").c_str());
    }
    static CompRec Comp(const std::string& name)
    {
        CompRec rec{};
        EXPECT_NE(C_ReadComponent(CompId(name), &rec), 0) << name;
        return rec;
    }
    static int32_t PageId(const char* name) { return OM_FindName(DB_PageMap(), name); }

    // The corners of a box around R1 and nothing else.
    QPoint BoxStart() { return Centre("R1") - QPoint(35, 25); }
    QPoint BoxEnd() { return Centre("R1") + QPoint(35, 25); }
    QPoint Centre(const std::string& name)
    {
        const CompRec r = Comp(name);
        return Pix(r.X, r.Y);
    }

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

    // Moves the pointer through `points`: each move draws a preview that
    // changes the picture, and erasing it gives back the picture as it was
    // before the move.
    void CarryAndCheckXor(std::initializer_list<QPoint> points)
    {
        SCHMAIN& m = Main();
        for (const QPoint& p : points) {
            EraseNow();
            const QImage before = canvas().Image().copy();
            QTest::mouseMove(&canvas(), p);
            ASSERT_NE(m.m_OverlayMF, 0) << p.x() << "," << p.y();
            EXPECT_FALSE(CompareImages(before, canvas().Image()).Same()) << p.x();
            EraseNow();
            const auto d = CompareImages(before, canvas().Image());
            EXPECT_TRUE(d.Same()) << d.differing << " at " << d.firstAt.x() << "," << d.firstAt.y();
            QTest::mouseMove(&canvas(), p + QPoint(1, 1));
            QTest::mouseMove(&canvas(), p);
        }
    }

    void EraseNow()
    {
        SCHMAIN& m = Main();
        m.OpenCanvasDC();
        m.EraseOverlay();
        m.CloseCanvasDC();
    }

    // After a command the picture is what a fresh paint gives; with
    // `comparePicture` false only the command's end is checked.
    void ExpectFreshPaint(bool comparePicture = true)
    {
        SCHMAIN& m = Main();
        EXPECT_EQ(g_CurCommand, 0);
        EXPECT_EQ(m.m_OverlayMF, 0);
        EXPECT_EQ(m.m_CanvasDCLevel, 0);
        if (!comparePicture) return;
        const QImage shown = canvas().Image().copy();
        m.RefreshCanvas();
        const auto d = CompareImages(shown, canvas().Image());
        EXPECT_TRUE(d.Same()) << d.differing << " at " << d.firstAt.x() << "," << d.firstAt.y();
        if (!d.Same() && getenv("DUMP_FRESH")) {
            const std::string n = ::testing::UnitTest::GetInstance()->current_test_info()->name();
            shown.save(QString::fromStdString("/tmp/fresh_" + n + "_shown.png"));
            canvas().Image().save(QString::fromStdString("/tmp/fresh_" + n + "_fresh.png"));
        }
    }

    // The block around R1 taken with two clicks.
    void TakeBlock(int32_t command)
    {
        Click(BoxStart());
        ASSERT_EQ(g_CurCommand, command);
        CarryAndCheckXor({BoxStart() + QPoint(30, 20), BoxEnd()});
        Click(BoxEnd());
    }

    void ChoosePage(const char* name)
    {
        SCHMAIN& m = Main();
        ASSERT_TRUE(m.F_Pages->isEnabled());
        m.F_Pages->SetText(name);
        m.F_Pages_Click();
        ASSERT_EQ(g_CurPage, PageId(name));
        m.ViewPicture->setFocus();
    }

    QTemporaryDir dir;
};

TEST_F(Mouse, BlockToAnotherPage)
{
    Mode(MODE_BLOCK_EDIT, 0);
    const int32_t start = g_CurPage;
    TakeBlock(50);
    EXPECT_EQ(g_CurCommand, 54);
    ChoosePage("Blinker");
    CarryAndCheckXor({QPoint(300, 300), QPoint(320, 310)});
    Click(QPoint(320, 310));
    EXPECT_EQ(Comp("R1").Page, PageId("Blinker"));
    EXPECT_EQ(Comp("R2").Page, start);
    EXPECT_EQ(g_CurPage, PageId("Blinker"));
    ExpectFreshPaint();
}

TEST_F(Mouse, EscapeTakesTheBlockBackToItsPage)
{
    SCHMAIN& m = Main();
    Mode(MODE_BLOCK_EDIT, 0);
    const int32_t start = g_CurPage;
    TakeBlock(50);
    ChoosePage("Blinker");
    QTest::mouseMove(&canvas(), QPoint(300, 300));
    QTest::keyClick(&canvas(), Qt::Key_Escape);
    QTest::mouseMove(&canvas(), QPoint(310, 300));
    EXPECT_EQ(g_CurCommand, 0);
    EXPECT_EQ(g_CurPage, start);
    EXPECT_EQ(Comp("R1").Page, start);
    EXPECT_TRUE(m.M_Edit->Enabled());
    ExpectFreshPaint();
}

TEST_F(Mouse, BlockOnTheSamePageChangesNothing)
{
    Mode(MODE_BLOCK_EDIT, 0);
    const CompRec r1 = Comp("R1");
    TakeBlock(50);
    Click(QPoint(320, 310));
    EXPECT_EQ(Comp("R1").Page, r1.Page);
    EXPECT_EQ(Comp("R1").X, r1.X);
    ExpectFreshPaint();
}

// Options 0 and 2 give the delete mask 5: the components and the wire
// pieces inside the box.
TEST_F(Mouse, BlockDeleteWithOptionsZeroAndTwo)
{
    SCHMAIN& m = Main();
    Mode(MODE_BLOCK_EDIT, 4);
    const int32_t wires = OM_GetCount(DB_BranchMap());
    m.F_OST(0)->SetValue(true);
    m.F_OST(2)->SetValue(true);
    m.F_OST(1)->SetValue(false);
    ui.ExpectMessageBox(winsys::mb::AnswerYes, "Delete Block");
    TakeBlock(53);
    EXPECT_EQ(CompId("R1"), 0);
    EXPECT_NE(CompId("R2"), 0);
    // Bit 4: the wire pieces inside the box go too, whole wires (bit 2) not.
    EXPECT_LT(OM_GetCount(DB_BranchMap()), wires);
    EXPECT_GT(OM_GetCount(DB_BranchMap()), 0);
    ExpectFreshPaint();
}

TEST_F(Mouse, BlockDeleteAnsweredNoKeepsEverything)
{
    Mode(MODE_BLOCK_EDIT, 4);
    ui.ExpectMessageBox(winsys::mb::AnswerNo, "Delete Block");
    TakeBlock(53);
    EXPECT_NE(CompId("R1"), 0);
    ExpectFreshPaint();
}

TEST_F(Mouse, BlockLockAndUnlock)
{
    Mode(MODE_BLOCK_EDIT, 5);
    TakeBlock(55);
    EXPECT_NE(Comp("R1").Flags & 32, 0);
    EXPECT_EQ(Comp("R2").Flags & 32, 0);
    ExpectFreshPaint();
    Mode(MODE_BLOCK_EDIT, 6);
    TakeBlock(56);
    EXPECT_EQ(Comp("R1").Flags & 32, 0);
}

TEST_F(Mouse, BlockFileSavedAndLoaded)
{
    const std::string file = dir.path().toStdString() + "/r1.blk";
    Mode(MODE_BLOCK_EDIT, 9);
    ui.ExpectFileDialog(file);
    TakeBlock(57);
    EXPECT_EQ(g_CurCommand, 0);
    ASSERT_TRUE(QFileInfo::exists(QString::fromStdString(file)));
    ExpectFreshPaint();

    const int32_t comps = OM_GetCount(DB_SchCompMap());
    Mode(MODE_BLOCK_EDIT, 10);
    ui.ExpectFileDialog(file);
    Click(QPoint(200, 200));
    ASSERT_EQ(g_CurCommand, 58);
    CarryAndCheckXor({QPoint(220, 420), QPoint(240, 430)});
    Click(QPoint(240, 430));
    EXPECT_EQ(OM_GetCount(DB_SchCompMap()), comps + 1);
    ExpectFreshPaint();
}

TEST_F(Mouse, NotABlockFileBeginsNothing)
{
    const std::string file = dir.path().toStdString() + "/notes.txt";
    std::ofstream(file) << "just some notes\n";
    Mode(MODE_BLOCK_EDIT, 10);
    ui.ExpectFileDialog(file);
    Click(QPoint(200, 200));
    EXPECT_EQ(g_CurCommand, 0);
    EXPECT_TRUE(Main().M_Edit->Enabled());
}

// The copy to another page goes through the scratch block file, which an
// earlier copy's leftover never replaces.
TEST_F(Mouse, ScratchCopyToAnotherPage)
{
    const std::string scratch = g_JobDir + "/$SBCOPY$.$$$";
    std::ofstream(scratch) << "left over from an earlier copy\n";
    Mode(MODE_BLOCK_EDIT, 8);
    TakeBlock(57);
    ASSERT_EQ(g_CurCommand, 58);
    EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(scratch)));
    ChoosePage("Blinker");
    const int32_t comps = OM_GetCount(DB_SchCompMap());
    CarryAndCheckXor({QPoint(300, 300), QPoint(330, 320)});
    Click(QPoint(330, 320));
    EXPECT_EQ(OM_GetCount(DB_SchCompMap()), comps + 1);
    // The original stays where it was.
    EXPECT_NE(Comp("R1").Page, PageId("Blinker"));
    ExpectFreshPaint();
}

// A box around nothing saves no block: the command ends and the stale
// scratch file is not read back as if it were the copy.
TEST_F(Mouse, ScratchCopyOfNothingEnds)
{
    const std::string scratch = g_JobDir + "/$SBCOPY$.$$$";
    std::ofstream(scratch) << "left over from an earlier copy\n";
    Mode(MODE_BLOCK_EDIT, 8);
    const QPoint empty(20, 20);
    Click(empty);
    ASSERT_EQ(g_CurCommand, 57);
    Click(empty + QPoint(10, 10));
    EXPECT_EQ(g_CurCommand, 0);
    EXPECT_TRUE(Main().M_Edit->Enabled());
}

TEST_F(Mouse, VectorMove)
{
    SCHMAIN& m = Main();
    Mode(MODE_BLOCK_EDIT, 3);
    m.F_OST(2)->SetValue(false);
    const CompRec r1 = Comp("R1"), r2 = Comp("R2");
    // R1, then R2 join the group.
    Click(Centre("R1"));
    ASSERT_EQ(g_CurCommand, 15);
    EXPECT_EQ(m.m_CmdStep, 1);
    Click(Centre("R2"));
    EXPECT_EQ(g_CurCommand, 15);
    EXPECT_EQ(g_CompList.UBound(), 2);
    // Option 0: the next click is the vector's start. The start pick takes a
    // component's pin; the demo's pins are not picked by the kernel's cover
    // test, so the start is set as that pick leaves it: at R1.
    m.F_OST(0)->SetValue(true);
    QTest::mouseMove(&canvas(), Centre("R1") + QPoint(1, 0));
    ASSERT_EQ(m.m_CmdStep, 2);
    Click(Centre("R1"));
    EXPECT_EQ(g_CurCommand, 15);
    m.m_CmdStep = 3;
    m.m_VecStartX = r1.X;
    m.m_VecStartY = r1.Y;
    const QPoint end = Centre("R1") + QPoint(40, 60);
    CarryAndCheckXor({Centre("R1") + QPoint(20, 20), end});
    const int32_t dx = m.m_VecEndX - m.m_VecStartX, dy = m.m_VecEndY - m.m_VecStartY;
    ASSERT_TRUE(dx != 0 || dy != 0);
    Click(end);
    EXPECT_EQ(Comp("R1").X, r1.X + dx);
    EXPECT_EQ(Comp("R1").Y, r1.Y + dy);
    EXPECT_EQ(Comp("R2").X, r2.X + dx);
    EXPECT_EQ(Comp("R2").Y, r2.Y + dy);
    // The moved components' marks are still drawn where a fresh paint has
    // none: the picture is not compared here.
    ExpectFreshPaint();
}

TEST_F(Mouse, VectorMoveRefusesALockedComponent)
{
    SCHMAIN& m = Main();
    Mode(MODE_BLOCK_EDIT, 3);
    m.F_OST(2)->SetValue(false);
    O_Mask(C_Component(CompId("R1")), 32, 32);
    ASSERT_NE(Comp("R1").Flags & 32, 0);
    Click(Centre("R1"));
    EXPECT_NE(m.F_MsgLine->Caption().find("Locked"), std::string::npos);
    EXPECT_EQ(g_CurCommand, 0);
    EXPECT_EQ(m.m_CmdStep, 0);
    EXPECT_TRUE(m.M_Edit->Enabled());
}

TEST_F(Mouse, ShiftBZoomsToTheBox)
{
    SCHMAIN& m = Main();
    const int32_t size = m.m_ViewSize;
    QTest::keyClick(&canvas(), Qt::Key_B, Qt::ShiftModifier);
    Click(QPoint(100, 100));
    ASSERT_EQ(g_CurCommand, CMD_BOX_AREA);
    EXPECT_EQ(g_BoxZoomOn, 0);
    CarryAndCheckXor({QPoint(150, 130), QPoint(200, 160)});
    Click(QPoint(200, 160));
    EXPECT_LT(m.m_ViewSize, size);
    ExpectFreshPaint();
}

// Escape during a copy box gives it up and disarms the copy: the next idle
// click begins no box.
TEST_F(Mouse, ShiftSThenEscapeDisarmsTheCopy)
{
    g_CurMode = MODE_NONE;
    QTest::keyClick(&canvas(), Qt::Key_S, Qt::ShiftModifier);
    ASSERT_NE(g_BoxCopyOn, 0);
    Click(QPoint(100, 100));
    ASSERT_EQ(g_CurCommand, CMD_BOX_AREA);
    QTest::mouseMove(&canvas(), QPoint(150, 130));
    QTest::keyClick(&canvas(), Qt::Key_Escape);
    QTest::mouseMove(&canvas(), QPoint(160, 140));
    EXPECT_EQ(g_CurCommand, 0);
    EXPECT_EQ(g_BoxCopyOn, 0);
    ExpectFreshPaint();
    Click(QPoint(120, 120));
    EXPECT_EQ(g_CurCommand, 0);
}

TEST_F(Mouse, RightReleaseRecentres)
{
    SCHMAIN& m = Main();
    QTest::mouseMove(&canvas(), QPoint(90, 70));
    const int32_t x = m.m_CursorX, y = m.m_CursorY;
    QTest::mouseClick(&canvas(), Qt::RightButton, {}, QPoint(90, 70));
    EXPECT_EQ(m.m_ViewOrgX, x);
    EXPECT_EQ(m.m_ViewOrgY, -y);
    EXPECT_EQ(m.m_CanvasDCLevel, 0);
    // The clicked point is now the middle of the canvas.
    const QSize size = canvas().ClientSize();
    const QPoint middle = Pix(x, y);
    EXPECT_NEAR(middle.x(), size.width() / 2, 2);
    EXPECT_NEAR(middle.y(), size.height() / 2, 2);
}

class MouseBitmaps : public Mouse {
protected:
    void SetUp() override
    {
        Mouse::SetUp();
        QImage image(40, 20, QImage::Format_RGB32);
        image.fill(Qt::blue);
        path = dir.path().toStdString() + "/logo.bmp";
        ASSERT_TRUE(image.save(QString::fromStdString(path), "BMP"));
        g_BmpAllPages = false;
        g_BmpFromLibrary = false;
    }

    // The picture placed through the place command: added at the click,
    // carried by the preview and put down by the next click.
    void PlaceAt(QPoint first, QPoint to)
    {
        SCHMAIN& m = Main();
        Mode(MODE_BITMAPS, 0);
        QTest::mouseMove(&canvas(), first);
        g_BmpNewName = "LOGO";
        std::string selection = path;
        PlaceBitmap(selection, m.m_CursorX, m.m_CursorY);
        ASSERT_EQ(g_CurBitmap, BitmapCount());
        int32_t id = 87;
        m.BeginCommand(id);
        CarryAndCheckXor({first + QPoint(10, 10), to});
        Click(to);
    }

    std::string path;
};

TEST_F(MouseBitmaps, PlaceMoveAndDelete)
{
    // The picture after placing and moving differs from a fresh paint: the
    // steps draw the pictures over what is there and the old place keeps
    // its image until the next refresh. Only the commands' ends are checked.
    SCHMAIN& m = Main();
    PlaceAt(QPoint(100, 100), QPoint(150, 120));
    ASSERT_EQ(BitmapCount(), 1);
    EXPECT_EQ(g_CurBitmap, 0);
    EXPECT_EQ(g_BitmapList[1].Page, DB_CurPage());
    EXPECT_EQ(g_BitmapList[1].X, g_BitmapPos[0]);
    ExpectFreshPaint();

    // Move: a click on the picture takes it, the next one puts it down.
    const int32_t x0 = g_BitmapList[1].X, y0 = g_BitmapList[1].Y;
    Mode(MODE_BITMAPS, 2);
    const QPoint on = Pix(x0, y0) + QPoint(5, 5);
    Click(on);
    ASSERT_EQ(g_CurCommand, 88);
    CarryAndCheckXor({on + QPoint(30, 10), on + QPoint(60, 40)});
    Click(on + QPoint(60, 40));
    EXPECT_NE(g_BitmapList[BitmapCount()].X, x0);
    EXPECT_NE(g_BitmapList[BitmapCount()].Y, y0);
    ExpectFreshPaint();

    // Delete: a click beside it asks nothing; on it the popup asks.
    Mode(MODE_BITMAPS, 3);
    Click(QPoint(5, 5));
    EXPECT_EQ(BitmapCount(), 1);
    const QPoint now = Pix(g_BitmapList[1].X, g_BitmapList[1].Y) + QPoint(5, 5);
    ui.ExpectPopupMenu("", "Delete Bitmap?");
    Click(now);
    EXPECT_EQ(BitmapCount(), 1);
    ui.ExpectPopupMenu("Yes", "Delete Bitmap?");
    Click(now);
    EXPECT_EQ(BitmapCount(), 0);
    EXPECT_EQ(g_CurBitmap, 0);
    (void)m;
    ExpectFreshPaint();
}

TEST_F(MouseBitmaps, EscapeGivesThePlacedPictureUp)
{
    Mode(MODE_BITMAPS, 0);
    QTest::mouseMove(&canvas(), QPoint(100, 100));
    g_BmpNewName = "LOGO";
    std::string selection = path;
    PlaceBitmap(selection, Main().m_CursorX, Main().m_CursorY);
    int32_t id = 87;
    Main().BeginCommand(id);
    QTest::mouseMove(&canvas(), QPoint(120, 110));
    QTest::keyClick(&canvas(), Qt::Key_Escape);
    QTest::mouseMove(&canvas(), QPoint(130, 110));
    EXPECT_EQ(g_CurCommand, 0);
    EXPECT_EQ(BitmapCount(), 0);
    ExpectFreshPaint();
}

// Screenshots of the three previews, for a person to look at.
TEST_F(MouseBitmaps, PreviewScreenshots)
{
    Mode(MODE_BLOCK_EDIT, 1);
    Click(BoxStart());
    QTest::mouseMove(&canvas(), BoxEnd());
    Click(BoxEnd());
    ASSERT_EQ(g_CurCommand, 52);
    const QImage bare = canvas().Image().copy();
    QTest::mouseMove(&canvas(), BoxEnd() + QPoint(60, 50));
    EXPECT_NE(Main().m_OverlayMF, 0);
    EXPECT_FALSE(CompareImages(bare, canvas().Image()).Same());
    const std::string shot = palvane_test::SaveScreenshot(Main().Window(), "carried_block");
    ASSERT_FALSE(shot.empty());
    // The picture is what the user sees: taking it leaves the carried block
    // drawn, and the canvas part of it is the canvas image with the block.
    EXPECT_NE(Main().m_OverlayMF, 0);
    const QPoint at = canvas().mapTo(Main().Window(), canvas().contentsRect().topLeft());
    const QImage saved = QImage(QString::fromStdString(shot)).convertToFormat(QImage::Format_RGB32);
    const auto d = CompareImages(saved.copy(QRect(at, canvas().Image().size())), canvas().Image());
    EXPECT_TRUE(d.Same()) << d.differing << " at " << d.firstAt.x() << "," << d.firstAt.y();
    EXPECT_FALSE(CompareImages(bare, canvas().Image()).Same());
    QTest::keyClick(&canvas(), Qt::Key_Escape);
    QTest::mouseMove(&canvas(), BoxEnd() + QPoint(61, 50));
    ASSERT_EQ(g_CurCommand, 0);

    Mode(MODE_BITMAPS, 0);
    QTest::mouseMove(&canvas(), QPoint(200, 200));
    g_BmpNewName = "LOGO";
    std::string selection = path;
    PlaceBitmap(selection, Main().m_CursorX, Main().m_CursorY);
    int32_t id = 87;
    Main().BeginCommand(id);
    QTest::mouseMove(&canvas(), QPoint(260, 230));
    EXPECT_FALSE(palvane_test::SaveScreenshot(Main().Window(), "bitmap_frame").empty());
    Click(QPoint(260, 230));

    Mode(MODE_BLOCK_EDIT, 3);
    Main().F_OST(2)->SetValue(false);
    Click(Centre("R1"));
    Main().F_OST(0)->SetValue(true);
    QTest::mouseMove(&canvas(), Centre("R1") + QPoint(1, 0));
    Main().m_CmdStep = 3;
    Main().m_VecStartX = Comp("R1").X;
    Main().m_VecStartY = Comp("R1").Y;
    QTest::mouseMove(&canvas(), Centre("R1") + QPoint(70, 50));
    EXPECT_FALSE(palvane_test::SaveScreenshot(Main().Window(), "vector").empty());
}

}  // namespace
