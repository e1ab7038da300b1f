// The net dialog SCHINET in its three modes, shown as ShowNetEditDialog
// shows it and answered through the scripted stand-in.
#include "editor/dialogs/schinet.h"
#include "editor/objects/net_text.h"
#include "editor/objects/wire_state.h"
#include "editor/shell/controls.h"
#include "editor/shell/schmain.h"
#include "editor/shell/textarea.h"
#include "platform/kernel/nvokernel32.h"
#include "tests/support/design_builder.h"
#include "tests/support/editor_fixture.h"
#include "tests/support/screenshot.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using namespace palvane_test;

const char* kDesign = R"(
include discrete.nls
unit 0.1in
design D
level MAIN
net VCC power
net SIG
net D0
net D1
bus DATA D0 D1
page P frame 60 40
  component R1 R at 0 0
  component R2 R at 20 0
  wire SIG R1.2 R2.1
end
)";

class NetDialog : public KernelTest {
public:
    void SetUp() override
    {
        KernelTest::SetUp();
        ASSERT_TRUE(BuildDesign(kDesign));
        g_NetNodeText = "R1/1           ,2\r\nR2/1           ,1\r\nEND\r\n";
    }
    // Opens the dialog on net `name` in `mode`, modally, and runs `act` on it.
    void Open(const char* name, int32_t mode, std::function<void(SCHINET&)> act)
    {
        g_CurNet = OM_FindName(DB_NetMap(), name);
        g_CurNetName = name;
        N_ReadNet(g_CurNet, &g_CurNetRec);
        ui.ExpectModal("SCHINET", [act](QWidget*) { act(FormInstance<SCHINET>()); });
        ShowNetEditDialog(1, mode, 0, 0);
        EXPECT_FALSE(FormInstance<SCHINET>().IsLoaded());
    }
};

TEST_F(NetDialog, EditModeTakesTheEditedTextAndTheStates)
{
    Open("SIG", 1, [](SCHINET& d) {
        EXPECT_EQ(d.Caption(), "Norvo32 - Edit Net");
        EXPECT_EQ(d.F_NetName()->Text(), "SIG");
        EXPECT_EQ(d.F_TxtBuffer()->Text(), g_NetNodeText);
        EXPECT_EQ(d.F_PwrGnd()->Value(), 0);
        EXPECT_EQ(d.F_Named()->Value(), 0);
        EXPECT_TRUE(d.F_Bus()->isHidden());
        d.F_TxtBuffer()->SetText("R1/1,1\r\nEND\r\n");
        // Pwr/Gnd checks and locks Named; unchecking unlocks it, still set.
        d.F_PwrGnd()->SetValue(1);
        EXPECT_EQ(d.F_Named()->Value(), 1);
        EXPECT_FALSE(d.F_Named()->isEnabled());
        d.F_PwrGnd()->SetValue(0);
        EXPECT_TRUE(d.F_Named()->isEnabled());
        EXPECT_EQ(d.F_Named()->Value(), 1);
        d.F_Accept()->Press();
    });
    EXPECT_EQ(g_NetEditFlags, 1 | 4);
    EXPECT_EQ(g_NetNodeText, "R1/1,1\r\nEND\r\n");
    EXPECT_EQ(g_CurNetName, "SIG");
}

TEST_F(NetDialog, RenameModeShowsTheNetsStatesAndKeepsTheText)
{
    const std::string text = g_NetNodeText;
    Open("VCC", 0, [&](SCHINET& d) {
        EXPECT_EQ(d.Caption(), "Norvo32 - Rename Net");
        EXPECT_EQ(d.F_PwrGnd()->Value(), 2);  // the grey state
        EXPECT_FALSE(d.F_Named()->isEnabled());
        // Typing in the node list has no effect here.
        d.F_TxtBuffer()->SetText("garbage");
        EXPECT_EQ(d.F_TxtBuffer()->Text(), text);
        d.F_Accept()->Press();
    });
    const int named = (g_CurNetRec.Flags & 4) != 0 ? 4 : 0;
    EXPECT_EQ(g_NetEditFlags, 1 | 2 | named);
    EXPECT_EQ(g_NetNodeText, text);
}

TEST_F(NetDialog, ABusMemberShowsItsBusAndNeverPowerGround)
{
    Open("D1", 0, [](SCHINET& d) {
        EXPECT_TRUE(d.F_PwrGnd()->isHidden());
        EXPECT_FALSE(d.F_Bus()->isHidden());
        EXPECT_EQ(d.F_Bus()->Caption(), "in Bus: DATA memb: 1");
        d.F_Accept()->Press();
    });
    EXPECT_EQ(g_NetEditFlags & 2, 0);
}

TEST_F(NetDialog, CancelReturnsNothingInEveryMode)
{
    for (int32_t mode : {0, 1, 2}) {
        SCOPED_TRACE(mode);
        g_NetNodeText = "X,1\r\nEND\r\n";
        Open("SIG", mode, [](SCHINET& d) { d.F_Cancel()->Press(); });
        EXPECT_EQ(g_NetEditFlags, 0);
        EXPECT_EQ(g_NetNodeText, "");
    }
}

TEST_F(NetDialog, CheckNetNameFieldTable)
{
    struct Case {
        std::string typed;
        std::string result;
        const char* message;  // expected message box, or null
        int beeps;
    };
    const Case cases[] = {
        {"NEWNAME", "NEWNAME", nullptr, 0},
        {"TWO WORDS", "TWO", nullptr, 0},
        {"ABCDEFGHIJKLMNOPQRST", "ABCDEFGHIJKLMNO", nullptr, 0},
        {"", "SIG", nullptr, 1},
        {" LEADING", "SIG", nullptr, 1},
        {"VCC", "SIG", "Net: VCC already exists", 0},
        {"SIG", "SIG", nullptr, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        if (c.message) ui.ExpectMessageBox(1, c.message);
        int beepsBefore = 0;
        for (const auto& a : ui.asked()) beepsBefore += a.kind == "Beep";
        Open("SIG", 0, [&](SCHINET& d) {
            d.F_NetName_GotFocus();
            d.F_NetName()->SetText(c.typed);
            d.F_NetName_LostFocus();
            EXPECT_EQ(d.F_NetName()->Text(), c.result);
            d.F_Accept()->Press();
        });
        int beeps = 0;
        for (const auto& a : ui.asked()) beeps += a.kind == "Beep";
        EXPECT_EQ(beeps - beepsBefore, c.beeps);
        EXPECT_EQ(g_CurNetName, c.result);
    }
}

TEST_F(NetDialog, EnterInTheNameFieldChecksIt)
{
    Open("SIG", 1, [](SCHINET& d) {
        d.F_NetName()->SetText("A B");
        int key = 13;
        d.F_NetName_KeyPress(key);
        EXPECT_EQ(key, 0);
        EXPECT_EQ(d.F_NetName()->Text(), "A");
        d.F_Accept()->Press();
    });
    EXPECT_EQ(g_CurNetName, "A");
}

TEST_F(NetDialog, Screenshot)
{
    g_NetTextSelStart = 0;
    Open("D1", 0, [](SCHINET& d) {
        d.Window()->resize(640, 300);
        EXPECT_FALSE(SaveScreenshot(d.Window(), "schinet-rename-bus-member").empty());
        d.F_Cancel()->Press();
    });
    g_NetNodeText = "R1/1           ,2\r\nR2/1           ,1\r\nEND\r\n";
    Open("SIG", 1, [](SCHINET& d) {
        d.Window()->resize(640, 300);
        EXPECT_FALSE(SaveScreenshot(d.Window(), "schinet-edit").empty());
        d.F_Cancel()->Press();
    });
}

class NetDialogSplit : public EditorTest {};

TEST_F(NetDialogSplit, AcceptInSplitModeSendsC19EachTime)
{
    ASSERT_TRUE(BuildDesign(kDesign));
    int c19 = 0;
    Main().F_FrmCmd->Change.Connect([&c19] {
        if (g_MainForm->F_FrmCmd->Text() == "C19") ++c19;
    });
    for (int round = 1; round <= 2; ++round) {
        g_CurNet = OM_FindName(DB_NetMap(), "SIG");
        N_ReadNet(g_CurNet, &g_CurNetRec);
        g_CurNetName = "UN7";
        g_NetNodeText = "R2/1,1\r\n";
        ShowNetEditDialog(0, 2, 0, 0);
        SCHINET& d = FormInstance<SCHINET>();
        ASSERT_TRUE(d.Visible());
        EXPECT_EQ(d.Caption(), "Norvo32 - Nodes in Splited Net");
        d.F_Accept()->Press();
        EXPECT_FALSE(d.Visible());
        EXPECT_TRUE(d.IsLoaded());
        EXPECT_EQ(c19, round);
        EXPECT_EQ(g_NetEditFlags & 1, 1);
    }
}

}  // namespace
