// The read-out, typed points, markers, the viewport's fit, and the display
// menus and hidden fields on the loaded editor with the demo design.
#include "editor/editing/bitmaps.h"
#include "editor/interaction/commands.h"
#include "editor/shell/controls.h"
#include "editor/shell/menus.h"
#include "editor/shell/nvoinpbg.h"
#include "editor/shell/ribbon.h"
#include "editor/shell/settings.h"
#include "editor/view/canvas.h"
#include "editor/view/display_menus.h"
#include "editor/view/marks.h"
#include "editor/view/view_state.h"
#include "editor/objects/view_values.h"
#include "platform/kernel/nvokernel32.h"
#include "tests/view/view_fixture.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QTemporaryDir>

#include <functional>

namespace {

using view_test::DemoTest;

TEST_F(DemoTest, ReadOutByUnitOriginAndDistance)
{
    SCHMAIN& m = Main();
    struct Case {
        int32_t unit, origin, distance;
        const char* x;
        const char* y;
    } cases[] = {
        {1, 0, 0, "X= 1.500mm", "Y= -25.000mm"},
        {0, 0, 0, "X= 0.05906\"", "Y= -0.98425\""},
        {1, 0, -1, "D= 25.045mm", ""},
    };
    for (const Case& c : cases) {
        g_UnitIndex = c.unit;
        g_MeasureOrigin = c.origin;
        m.m_ShowDistance = c.distance;
        m.ShowCoords(150000, -2500000);
        EXPECT_EQ(m.F_Xpos->Caption(), c.x);
        EXPECT_EQ(m.F_Ypos->Caption(), c.y);
    }
    // From the reference point, shown or not.
    g_MeasureOrigin = 2;
    m.m_ShowDistance = 0;
    g_Markers[3] = {0, 100000, 0};
    m.ShowCoords(150000, 0);
    EXPECT_EQ(m.F_Xpos->Caption(), "X= 0.500mm");
}

TEST_F(DemoTest, TypedReferencePointsAndRefusals)
{
    SCHMAIN& m = Main();
    struct Case {
        const char* answer;
        int32_t unit;
        bool taken;
        int32_t x, y;
    } cases[] = {
        {"1.5,2", 0, true, 3810000, 5080000},
        {"3", 0, false, 0, 0},
        {"abc,2", 1, false, 0, 0},       // not a number: no point at 0
        {"0,0", 1, true, 0, 0},          // a written zero counts
        {"3000,0", 1, false, 0, 0},      // beyond the canvas range
        {"", 1, false, 0, 0},            // cancelled: no beep
    };
    for (const Case& c : cases) {
        g_UnitIndex = c.unit;
        g_Markers[3] = {};
        const std::string answer = c.answer;
        ui.ExpectModal("NvoInpBG", [answer](QWidget*) {
            NvoInpBG& box = FormInstance<NvoInpBG>();
            if (answer.empty()) {
                box.InpCancel()->Press();
            } else {
                box.InpText()->SetText(answer);
                box.InpOK()->Press();
            }
        });
        const size_t before = ui.asked().size();
        m.InputRefPoint(2);
        EXPECT_EQ(g_Markers[3].Shown != 0, c.taken) << c.answer;
        if (c.taken) {
            EXPECT_EQ(g_Markers[3].X, c.x) << c.answer;
            EXPECT_EQ(g_Markers[3].Y, c.y) << c.answer;
        }
        bool beeped = false;
        for (size_t i = before; i < ui.asked().size(); ++i) beeped |= ui.asked()[i].kind == "Beep";
        EXPECT_EQ(beeped, !c.taken && c.answer[0] != 0) << c.answer;
    }
    // A press while shown removes the point.
    g_Markers[3] = {-1, 5, 5};
    m.InputRefPoint(0);
    EXPECT_EQ(g_Markers[3].Shown, 0);
}

TEST_F(DemoTest, MarkerDrawnThenAllClearedWithoutAPressedOption)
{
    SCHMAIN& m = Main();
    m.RefreshCanvas();
    const QImage before = m.ViewPicture->Image().copy();
    g_Markers[1] = {-1, 0, 0};
    m.OpenCanvasDC();
    m.DrawMarker(1, 0);
    m.CloseCanvasDC();
    EXPECT_NE(m.ViewPicture->Image(), before);
    // No option button pressed: all three point markers go.
    g_Markers[0] = {-1, 500000, 0};
    m.ClearMarkers(0);
    EXPECT_EQ(g_Markers[0].Shown, 0);
    EXPECT_EQ(g_Markers[1].Shown, 0);
}

// A marker that moves or goes leaves the page under it as the page paint
// draws it: set on a wire and then moved, cleared or (the reference point)
// pressed off, the canvas equals a redraw, the wire included.
TEST_F(DemoTest, MarkerTakenOffLeavesThePageAsARedrawShowsIt)
{
    SCHMAIN& m = Main();
    // A point in the middle of the first segment of net SUM.
    const int32_t sum = B_FindNetPage(0, OM_FindName(DB_NetMap(), "SUM"), 0);
    BranchPointRec points[16]{};
    ASSERT_GE(B_ReadRecords(sum, points, 16), 2);
    const int32_t wx = (points[0].X + points[1].X) / 2, wy = (points[0].Y + points[1].Y) / 2;
    const int32_t away = wx + 40 * 254000;
    const auto canvas = [&] { return m.ViewPicture->Image().copy(); };
    const auto redrawn = [&] {
        m.RefreshCanvas();
        return canvas();
    };
    struct Case {
        const char* what;
        std::function<void()> takeOff;
    } cases[] = {
        {"P1 moved away", [&] {
             int32_t x = away, y = wy;
             m.InputPointXY(x, y, 10, 0);
         }},
        {"all cleared", [&] { m.ClearMarkers(-1); }},
        {"the pressed one cleared", [&] {
             m.F_OST(0)->SetValue(true);
             m.ClearMarkers(0);
         }},
    };
    for (const Case& c : cases) {
        g_Markers = {};
        m.RefreshCanvas();
        const QImage page = canvas();
        int32_t x = wx, y = wy;
        m.InputPointXY(x, y, 10, 0);
        ASSERT_NE(canvas(), page) << c.what << ": the marker shows";
        c.takeOff();
        QApplication::processEvents();
        const QImage shown = canvas();
        EXPECT_TRUE(shown == redrawn()) << c.what;
    }
    // The reference point, pressed on at the wire and off again.
    g_Markers = {};
    m.RefreshCanvas();
    const QImage page = canvas();
    m.m_CursorX = wx;
    m.m_CursorY = wy;
    m.InputRefPoint(0);
    ASSERT_NE(g_Markers[3].Shown, 0);
    ASSERT_NE(canvas(), page);
    m.InputRefPoint(0);
    QApplication::processEvents();
    EXPECT_EQ(g_Markers[3].Shown, 0);
    EXPECT_TRUE(canvas() == page);
    EXPECT_TRUE(canvas() == redrawn());
}

// A marker set on a picture is shown as the paint layers it: under the
// picture, which the paint draws after the markers.
TEST_F(DemoTest, MarkerOnAPictureIsShownAsThePaintLayersIt)
{
    SCHMAIN& m = Main();
    QTemporaryDir dir;
    const std::string file = dir.filePath("marker.bmp").toStdString();
    QImage picture(40, 30, QImage::Format_RGB32);
    picture.fill(Qt::red);
    ASSERT_TRUE(picture.save(QString::fromStdString(file), "BMP"));
    OpenBitmapStore();
    const int32_t shown = g_ShowBitmaps;
    g_ShowBitmaps = -1;
    g_BmpAllPages = false;
    g_BmpClipImage = false;
    g_BmpFromLibrary = false;
    g_BmpNewName = "MARKED";
    std::string selection = file;
    const int32_t px = -45 * 254000, py = -20 * 254000;
    PlaceBitmap(selection, px, py);
    ASSERT_NE(g_CurBitmap, 0);
    g_CurBitmap = 0;
    g_Markers = {};
    m.RefreshCanvas();
    const QImage page = m.ViewPicture->Image().copy();
    int32_t x = px, y = py;
    m.InputPointXY(x, y, 10, 0);
    QApplication::processEvents();
    const QImage withMarker = m.ViewPicture->Image().copy();
    ASSERT_NE(withMarker, page) << "the marker shows beside the picture";
    m.RefreshCanvas();
    EXPECT_TRUE(withMarker == m.ViewPicture->Image());
    g_ShowBitmaps = shown;
    g_Markers = {};
}

TEST_F(DemoTest, ViewportFitKeepsItsZoomWithoutAPictureSize)
{
    SCHMAIN& m = Main();
    m.m_VPSize = 7777;
    m.F_PICView->resize(0, 0);
    m.FitViewToPage();
    EXPECT_EQ(m.m_VPSize, 7777);
}

TEST_F(DemoTest, ColourStyleAndEntryMenus)
{
    SCHMAIN& m = Main();
    g_ColorMode = 40;  // no such M_Ccolor item
    m.M_Scolor_Click(5);
    EXPECT_EQ(g_ColorMode, 5);
    EXPECT_TRUE(m.M_Scolor(5)->Checked());

    const int32_t bits = g_EntryDrawMode;
    m.M_Entry_Click();
    m.M_Entry_Click();
    EXPECT_EQ(g_EntryDrawMode, bits);
    EXPECT_EQ(m.M_Entry->Checked(), (bits & 0x200) == 0) << "the check shows the bit as it was before the click";
}

TEST_F(DemoTest, ShortFieldSwitchesModesOnlyForPlusAndAnEnabledMode)
{
    SCHMAIN& m = Main();
    m.M_FSI_Click(1);
    ASSERT_EQ(g_CurMode, 1);
    m.F_Short->SetText("3");
    EXPECT_EQ(g_CurMode, 1);
    m.F_Short->SetText("+3");
    EXPECT_EQ(g_CurMode, 3);
    m.F_Short->SetText(" ");
    m.F_Short->SetText("+99");
    EXPECT_EQ(g_CurMode, 3);
}

TEST_F(DemoTest, CommandFieldRunsTheStepOnlyForItsOwnCommand)
{
    SCHMAIN& m = Main();
    struct Case {
        int32_t command;
        const char* text;
        bool stepRuns;
    } cases[] = {
        {6, "C6", true},
        {6, "C19", false},
        {19, "C6", false},
        {6, "X", false},
        {0, "C6", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        m.F_FrmCmd->SetText("");
        g_CurCommand = c.command;
        m.F_FrmCmd->SetText(c.text);
        // The dialog's result ends the command here (it has no further
        // step); a signal for another command leaves it current.
        EXPECT_EQ(g_CurCommand, c.stepRuns ? 0 : c.command);
        EXPECT_EQ(m.m_CanvasDCLevel, 0);
        g_CurCommand = 0;
    }
}

}  // namespace
