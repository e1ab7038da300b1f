// The manual packaging dialog SCHIPACK over a design with a quad NAND part
// half used, opened modeless for an unpacked gate as the component mode
// opens it; refusals are beeps of the scripted stand-in.
#include "editor/dialogs/schipack.h"
#include "editor/interaction/commands.h"
#include "editor/objects/comp_state.h"
#include "editor/objects/packaging.h"
#include "editor/shell/controls.h"
#include "editor/shell/dlgservices.h"
#include "editor/shell/listbox.h"
#include "editor/shell/schmain.h"
#include "platform/kernel/nvokernel32.h"
#include "platform/winsys/grid.h"
#include "platform/winsys/keyboard.h"
#include "tests/support/design_builder.h"
#include "tests/support/editor_fixture.h"
#include "tests/support/screenshot.h"

#include <QCoreApplication>
#include <QEvent>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace palvane_test;

const char* kDesign = R"(
include ics.nls
unit 0.1in
design D
level MAIN
page P frame 100 80
  component U1 74HC00 gate A at 0 0
  component U1 74HC00 gate B at 0 20
  component U2 74HC00 gate A at 40 0
  component U3 74HC04 gate A at 40 40
end
)";

class ManualPackaging : public EditorTest {
protected:
    void SetUp() override
    {
        EditorTest::SetUp();
        ASSERT_TRUE(BuildDesign(kDesign));
        DB_SetCurPage(OM_FindName(DB_PageMap(), "P"));
        Main();
        // U2/1 becomes an unpacked gate (its part goes with it).
        unpacked = Comp("U2/1");
        ASSERT_NE(unpacked, 0);
        CompRec rec{};
        ASSERT_NE(C_ReadComponent(unpacked, &rec), 0);
        UnpackComp(unpacked, rec);
        ASSERT_EQ(OM_FindName(DB_LayCompMap(), "U2"), 0);
    }
    void TearDown() override
    {
        if (FormInstance<SCHIPACK>().IsLoaded()) FormInstance<SCHIPACK>().Unload();
        g_PackDlgOpen = false;
        EditorTest::TearDown();
    }
    static int32_t Comp(const std::string& name) { return OM_FindName(DB_SchCompMap(), name.c_str()); }
    // Opens (or refreshes) the dialog for component `id`.
    SCHIPACK& Open(int32_t id)
    {
        g_CompId = id;
        C_ReadComponent(id, &g_Comp);
        g_DlgOpening = true;
        SCHIPACK& d = FormInstance<SCHIPACK>();
        const bool loaded = d.IsLoaded();
        d.Show();
        // A loaded window is refreshed by its activation.
        if (loaded) {
            QEvent activate(QEvent::WindowActivate);
            QCoreApplication::sendEvent(d.Window(), &activate);
        }
        return d;
    }
    static std::vector<std::string> Column(SCHIPACK& d, int col)
    {
        std::vector<std::string> cells;
        for (int r = 1; r < d.F_Groups()->Rows(); ++r) cells.push_back(d.F_Groups()->TextMatrix(r, col));
        return cells;
    }
    size_t Beeps() const
    {
        size_t n = 0;
        for (const auto& a : ui.asked()) n += a.kind == "Beep";
        return n;
    }
    static void Enter(TextBox* box, const std::string& text)
    {
        box->SetText(text);
        int key = 13;
        box->KeyPress.Raise(key);
    }
    int32_t unpacked = 0;
};

TEST_F(ManualPackaging, OpensOnTheFirstFreeGateOfAnExistingPartAndPacks)
{
    SCHIPACK& d = Open(unpacked);
    EXPECT_TRUE(g_PackDlgOpen);
    EXPECT_TRUE(d.Window()->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    ASSERT_EQ(d.F_CompList()->ListCount(), 1);
    EXPECT_EQ(d.F_CompList()->List(0), "U1");
    EXPECT_EQ(d.F_CompList()->ListIndex(), 0);
    EXPECT_EQ(d.F_Device()->Caption(), "74HC00");
    EXPECT_EQ(Column(d, 1), (std::vector<std::string>{"NAND2", "NAND2", "NAND2", "NAND2"}));
    EXPECT_EQ(Column(d, 2), (std::vector<std::string>{"U1/1", "U1/2", "", ""}));
    EXPECT_EQ(d.m_PackRow, 3);
    EXPECT_EQ(d.F_Gate()->Text(), "#3:C");
    EXPECT_EQ(d.F_Cname()->Text(), "U1");

    // A used gate moves the choice to the first free one.
    d.F_Groups()->SetRow(1);
    d.F_Groups_Click();
    EXPECT_EQ(d.m_PackRow, 3);

    Main().F_FrmCmd->SetText("");
    d.F_Accept()->Press();
    EXPECT_TRUE(g_PackDone);
    EXPECT_EQ(Main().F_FrmCmd->Text(), "C6");
    CompRec rec{};
    ASSERT_NE(C_ReadComponent(unpacked, &rec), 0);
    EXPECT_EQ(rec.LayComp, OM_FindName(DB_LayCompMap(), "U1"));
    EXPECT_EQ(rec.Group, 3);
    // Waiting for the next component, disabled.
    EXPECT_EQ(d.F_Device()->Caption(), "Select next component");
    EXPECT_FALSE(d.F_Accept()->isEnabled());
    EXPECT_EQ(d.F_CompList()->ListCount(), 0);
    EXPECT_EQ(Beeps(), 0u);
}

TEST_F(ManualPackaging, NewPartNamesAndTypedGates)
{
    SCHIPACK& d = Open(unpacked);
    const size_t beeps = Beeps();
    // A name of 16 characters is refused and a new name proposed.
    Enter(d.F_Cname(), "ABCDEFGHIJKLMNOP");
    EXPECT_EQ(Beeps(), beeps + 1);
    EXPECT_EQ(d.F_Cname()->Text(), d.m_LayName);
    EXPECT_EQ(d.m_LayName.substr(0, 1), "U");
    // The name of another device's part is refused.
    Enter(d.F_Cname(), "U3");
    EXPECT_EQ(Beeps(), beeps + 2);
    EXPECT_NE(d.m_LayName, "U3");
    // A new name: a part with every gate free, gate 1 chosen.
    Enter(d.F_Cname(), "U9 extra");
    EXPECT_EQ(d.m_LayName, "U9");
    EXPECT_EQ(Column(d, 2), (std::vector<std::string>{"", "", "", ""}));
    EXPECT_EQ(d.m_PackRow, 1);

    // Typed gates: 0, negative, not below the row count, not a number:
    // row 1 and a beep; 2.6 rounds to 3.
    struct Case {
        const char* text;
        int row;
        bool beep;
    };
    const Case cases[] = {{"0", 1, true}, {"-2", 1, true}, {"5", 1, true}, {"x", 1, true}, {"2.6", 3, false},
                          {"4", 4, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const size_t before = Beeps();
        Enter(d.F_Gate(), c.text);
        EXPECT_EQ(d.m_PackRow, c.row);
        EXPECT_EQ(Beeps(), before + (c.beep ? 1 : 0));
    }
    // Leaving the field after typing commits the number as Enter does.
    d.F_Gate()->SetText("2");
    int key = '2';
    d.F_Gate()->KeyPress.Raise(key);
    d.F_Gate_LostFocus();
    EXPECT_EQ(d.m_PackRow, 2);

    d.F_Accept()->Press();
    const int32_t part = OM_FindName(DB_LayCompMap(), "U9");
    ASSERT_NE(part, 0);
    CompRec rec{};
    ASSERT_NE(C_ReadComponent(unpacked, &rec), 0);
    EXPECT_EQ(rec.LayComp, part);
    EXPECT_EQ(rec.Group, 2);
}

TEST_F(ManualPackaging, FullPartAndGateOutsideTheDevice)
{
    // U1 takes gates 1 to 4 with three more unpacked gates packed into it.
    const int32_t u1 = OM_FindName(DB_LayCompMap(), "U1");
    SCHIPACK& d = Open(unpacked);
    d.F_Accept()->Press();
    ASSERT_EQ(OM_FindName(DB_LayCompMap(), "U1"), u1);
    // A gate the device does not have (a damaged link) has no row: it is
    // passed over, the other gates show.
    ASSERT_NE(C_ChangeCompPackInfo(Comp("U1/1"), u1, 9), 0);
    Open(unpacked);  // packed now: the part lists itself
    ASSERT_EQ(d.F_CompList()->ListIndex(), 0);
    d.F_CompList_Click();
    EXPECT_EQ(d.F_Groups()->Rows(), 5);
    EXPECT_EQ(d.F_Groups()->TextMatrix(1, 2), "");
    EXPECT_EQ(d.F_Groups()->TextMatrix(3, 2), Trim(PtrToStr(O_GetName(C_Component(unpacked)))));
    ASSERT_NE(C_ChangeCompPackInfo(Comp("U1/1"), u1, 1), 0);

    // With no free gate the choice is none and Accept beeps.
    d.F_CompList_Click();
    d.F_Groups()->SetRow(4);
    d.F_Groups_Click();
    EXPECT_EQ(d.m_PackRow, 4);
    d.F_Groups()->SetTextMatrix(4, 2, "X");
    d.F_Groups_Click();
    EXPECT_EQ(d.m_PackRow, 0);
    const size_t beeps = Beeps();
    d.F_Accept()->Press();
    EXPECT_EQ(Beeps(), beeps + 1);
}

TEST_F(ManualPackaging, CloseKeepsTheWindowAndBlockPackagingUnloadsIt)
{
    SCHIPACK& d = Open(unpacked);
    g_CmdRunning = 1;
    d.F_Cancel()->Press();
    EXPECT_TRUE(g_PackClosed);
    EXPECT_EQ(g_CmdRunning, 0);
    EXPECT_TRUE(d.IsLoaded());
    // A refresh for the next component clears both step flags.
    Open(unpacked);
    EXPECT_FALSE(g_PackClosed);
    EXPECT_FALSE(g_PackDone);
    // The block packaging unloads it before anything else.
    Main().PackBlockComps();
    EXPECT_FALSE(g_PackDlgOpen);
    EXPECT_FALSE(d.IsLoaded());
}

TEST_F(ManualPackaging, Screenshot)
{
    SCHIPACK& d = Open(unpacked);
    EXPECT_FALSE(SaveScreenshot(d.Window(), "schipack").empty());
}

}  // namespace
