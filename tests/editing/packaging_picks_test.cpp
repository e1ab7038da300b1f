// Packaging by hand through the canvas: the packaging window that stays
// open beside the canvas follows each component the user picks, and Accept
// packs the component it shows.
#include "editor/dialogs/schipack.h"
#include "editor/interaction/commands.h"
#include "editor/objects/comp_state.h"
#include "editor/objects/packaging.h"
#include "editor/shell/controls.h"
#include "editor/shell/listbox.h"
#include "editor/shell/menus.h"
#include "editor/shell/ribbon.h"
#include "editor/shell/tooltable.h"
#include "editor/view/canvas.h"
#include "tests/editing/editing_fixture.h"
#include "tests/support/raster.h"

#include <QApplication>
#include <QImage>
#include <QTest>

#include <algorithm>
#include <vector>

#include <gtest/gtest.h>

namespace {

using namespace palvane_test;

// Part U1 with gates 1 and 2 used; U2/1 and U3/1 are gates of the same
// device whose parts are taken away below. U2/1 has a wire on its input A
// (pin 1, at (37, 1)) and one on its output Y (pin 3, at (43, 0)).
const char* kDesign = R"(
include ics.nls
unit 0.1in
design D
level MAIN
net NA
net NY
page P frame 100 80
  component U1 74HC00 gate A at 0 0
  component U1 74HC00 gate B at 0 20
  component U2 74HC00 gate A at 40 0
  component U3 74HC00 gate A at 40 40
  wire NA U2.1 (30 1)
  wire NY U2.3 (46 0)
end
)";

// A straight horizontal leg of a wire, from x0 to x1 at y (0.1 inch).
struct Leg {
    const char* name;
    int x0, x1, y;
};
const Leg kLegs[] = {{"input A", 30, 37, 1}, {"output Y", 43, 46, 0}};

class PackagingPicks : public EditingTest {
protected:
    void SetUp() override
    {
        EditingTest::SetUp();
        Use(kDesign, "P");
        for (const char* name : {"U2/1", "U3/1"}) {
            const int32_t id = OM_FindName(DB_SchCompMap(), name);
            ASSERT_NE(id, 0) << name;
            CompRec rec{};
            ASSERT_NE(C_ReadComponent(id, &rec), 0);
            UnpackComp(id, rec);
            unpacked.push_back(id);
        }
        ASSERT_EQ(OM_FindName(DB_LayCompMap(), "U2"), 0);
        ASSERT_EQ(OM_FindName(DB_LayCompMap(), "U3"), 0);
        SCHMAIN& m = Main();
        g_CurCommand = 0;
        g_CmdRunning = 0;
        g_CurMode = MODE_COMPONENTS;
        ModeTools(MODE_COMPONENTS).SelFunc = 6;
        for (int i = 0; i <= 10; ++i)
            if (m.F_OST.Exists(i)) m.F_OST(i)->SetValue(false);
        m.RefreshCanvas();
    }
    void TearDown() override
    {
        if (FormInstance<SCHIPACK>().IsLoaded()) FormInstance<SCHIPACK>().Unload();
        g_PackDlgOpen = false;
        g_CurCommand = 0;
        g_CmdRunning = 0;
        g_CurMode = MODE_NONE;
        QApplication::setActiveWindow(nullptr);
        EditingTest::TearDown();
    }
    // A click on pin 1 of the component, after the click has made the main
    // window the active one (what the window system reported meanwhile is
    // taken in first).
    void Pick(int32_t comp)
    {
        SCHMAIN& m = Main();
        for (int i = 0; i < 5; ++i) QApplication::processEvents();
        QApplication::setActiveWindow(m.Window());
        m.ViewPicture->setFocus();
        EntryRec pin{};
        ASSERT_NE(C_ReadEntry(comp, 1, &pin), 0);
        int32_t p[2] = {pin.X, pin.Y};
        m.OpenCanvasDC();
        G_LPtoDP(p);
        m.CloseCanvasDC();
        m.ViewPicture_MouseMove(0, 0, p[0], p[1]);
        m.ViewPicture_MouseUp(1, 0, p[0], p[1]);
    }
    // The canvas pixel of a point in 0.1 inch.
    QPoint Px(int x, int y)
    {
        SCHMAIN& m = Main();
        int32_t p[2] = {x * kStep, y * kStep};
        m.OpenCanvasDC();
        G_LPtoDP(p);
        m.CloseCanvasDC();
        return {p[0], p[1]};
    }
    // The user's click on the canvas at a pixel of its client area.
    void ClickCanvas(QPoint at)
    {
        Canvas* canvas = Main().ViewPicture;
        const QPoint w = at + canvas->contentsRect().topLeft();
        QTest::mouseMove(canvas, w);
        QTest::mouseClick(canvas, Qt::LeftButton, {}, w);
    }
    // The colour the page's net wires are drawn in.
    static QRgb WireColour()
    {
        const auto* palette = static_cast<const int32_t*>(E_SysTable(0));
        const uint8_t index = static_cast<const uint8_t*>(E_SysTable(1))[10];
        const auto v = static_cast<uint32_t>(palette[index]);
        return qRgb(v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF);
    }
    // The columns along the leg, its last pixels at either end left out
    // (the pin and the wire's end), where no pixel within 2 of the leg's
    // row has the wire colour.
    std::vector<int> GapsInLeg(const Leg& leg)
    {
        const QImage image = Main().ViewPicture->Image().copy();
        const QPoint a = Px(leg.x0, leg.y), b = Px(leg.x1, leg.y);
        const QRgb wire = WireColour() & 0xFFFFFF;
        std::vector<int> gaps;
        for (int x = std::min(a.x(), b.x()) + 3; x <= std::max(a.x(), b.x()) - 3; ++x) {
            bool found = false;
            for (int dy = -2; dy <= 2 && !found; ++dy) found = (image.pixel(x, a.y() + dy) & 0xFFFFFF) == wire;
            if (!found) gaps.push_back(x);
        }
        return gaps;
    }
    static CompRec Read(int32_t id)
    {
        CompRec rec{};
        EXPECT_NE(C_ReadComponent(id, &rec), 0);
        return rec;
    }
    std::vector<int32_t> unpacked;
};

TEST_F(PackagingPicks, TheWindowFollowsEachPickAndPacksTheComponentItShows)
{
    SCHIPACK& d = FormInstance<SCHIPACK>();
    const int32_t u1 = OM_FindName(DB_LayCompMap(), "U1");
    ASSERT_NE(u1, 0);

    Pick(unpacked[0]);
    ASSERT_EQ(g_CurCommand, 6);
    ASSERT_TRUE(d.Visible());
    EXPECT_EQ(d.F_Device()->Caption(), "74HC00");
    EXPECT_EQ(d.F_Cname()->Text(), "U1");
    EXPECT_EQ(d.F_Gate()->Text(), "#3:C");
    d.F_Accept()->Press();
    EXPECT_EQ(Read(unpacked[0]).LayComp, u1);
    EXPECT_EQ(Read(unpacked[0]).Group, 3);
    EXPECT_EQ(d.F_Device()->Caption(), "Select next component");
    EXPECT_FALSE(d.F_Accept()->isEnabled());

    // The next pick shows the window again, set up for that component.
    Pick(unpacked[1]);
    EXPECT_EQ(g_CurCommand, 6);
    ASSERT_TRUE(d.Visible());
    EXPECT_EQ(d.F_Device()->Caption(), "74HC00");
    EXPECT_TRUE(d.F_Accept()->isEnabled());
    ASSERT_EQ(d.F_CompList()->ListCount(), 1);
    EXPECT_EQ(d.F_CompList()->List(0), "U1");
    EXPECT_EQ(d.F_Cname()->Text(), "U1");
    EXPECT_EQ(d.F_Gate()->Text(), "#4:D");
    d.F_Accept()->Press();
    EXPECT_EQ(Read(unpacked[1]).LayComp, u1);
    EXPECT_EQ(Read(unpacked[1]).Group, 4);
    // No part was made on the way.
    EXPECT_EQ(OM_FindName(DB_LayCompMap(), "U2"), 0);
    EXPECT_EQ(OM_FindName(DB_LayCompMap(), "U3"), 0);
    EXPECT_EQ(Read(unpacked[0]).Group, 3);
}

// The user chooses the components mode in the menu, the packaging
// function on the panel and clicks the gate: while the packaging window
// shows the gate, the legs of its wires stay drawn on the canvas. Close
// takes the window away at once; the next move over the canvas ends the
// packaging and leaves the page as a fresh paint draws it.
TEST_F(PackagingPicks, TheGateKeepsItsLegsWhilePickedAndCloseHidesTheWindow)
{
    SCHMAIN& m = Main();
    g_CurMode = MODE_NONE;
    m.M_FSI(MODE_COMPONENTS)->Action()->trigger();
    ASSERT_EQ(g_CurMode, MODE_COMPONENTS);
    if (!m.F_FSI(6)->Value()) QTest::mouseClick(m.F_FSI(6), Qt::LeftButton);
    ASSERT_TRUE(m.F_FSI(6)->Value());
    m.RefreshCanvas();
    for (const Leg& leg : kLegs) ASSERT_TRUE(GapsInLeg(leg).empty()) << leg.name << " before the pick";

    ClickCanvas(Px(37, 1));
    SCHIPACK& d = FormInstance<SCHIPACK>();
    ASSERT_EQ(g_CurCommand, 6);
    ASSERT_EQ(g_CompId, unpacked[0]);
    ASSERT_TRUE(d.Visible());
    EXPECT_EQ(d.F_Gate()->Text(), "#3:C");
    for (const Leg& leg : kLegs) {
        const std::vector<int> gaps = GapsInLeg(leg);
        EXPECT_TRUE(gaps.empty()) << leg.name << ": " << gaps.size() << " columns without the wire, first at x "
                                  << (gaps.empty() ? 0 : gaps.front());
    }
    // The pick is shown: the gate is marked on the canvas.
    EXPECT_NE(m.m_OverlayMF, 0);

    QTest::mouseClick(d.F_Cancel(), Qt::LeftButton);
    EXPECT_FALSE(d.Visible());
    EXPECT_FALSE(d.Window()->isVisible());
    EXPECT_TRUE(d.IsLoaded());
    EXPECT_TRUE(g_PackClosed);
    EXPECT_EQ(Read(unpacked[0]).LayComp, 0);

    // The main window is the active one again, its canvas has the focus
    // (Close gave it back), and the pointer moves over the canvas.
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
    QApplication::setActiveWindow(m.Window());
    EXPECT_EQ(QApplication::focusWidget(), m.ViewPicture);
    QTest::mouseMove(m.ViewPicture, Px(20, 10) + m.ViewPicture->contentsRect().topLeft());
    EXPECT_EQ(g_CurCommand, 0);
    EXPECT_FALSE(d.Visible());
    for (const Leg& leg : kLegs) EXPECT_TRUE(GapsInLeg(leg).empty()) << leg.name << " after Close";
    const QImage shown = m.ViewPicture->Image().copy();
    m.RefreshCanvas();
    const ImageDiff diff = CompareImages(shown, m.ViewPicture->Image());
    EXPECT_TRUE(diff.Same()) << diff.differing << " pixels differ from a fresh paint, first at " << diff.firstAt.x()
                             << "," << diff.firstAt.y();
}

}  // namespace
