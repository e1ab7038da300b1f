// Packaging by hand through the canvas: the packaging window that stays
// open beside the canvas follows each component the user picks, and Accept
// packs the component it shows.
#include "editor/dialogs/schipack.h"
#include "editor/interaction/commands.h"
#include "editor/objects/comp_state.h"
#include "editor/objects/packaging.h"
#include "editor/shell/controls.h"
#include "editor/shell/listbox.h"
#include "editor/shell/ribbon.h"
#include "editor/shell/tooltable.h"
#include "editor/view/canvas.h"
#include "tests/editing/editing_fixture.h"

#include <QApplication>

#include <gtest/gtest.h>

namespace {

using namespace palvane_test;

// Part U1 with gates 1 and 2 used; U2/1 and U3/1 are gates of the same
// device whose parts are taken away below.
const char* kDesign = R"(
include ics.nls
unit 0.1in
design D
level MAIN
page P frame 100 80
  component U1 74HC00 gate A at 0 0
  component U1 74HC00 gate B at 0 20
  component U2 74HC00 gate A at 40 0
  component U3 74HC00 gate A at 40 40
end
)";

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

}  // namespace
