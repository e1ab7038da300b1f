// Creating and moving components through a list, end to end over the real
// kernel and the shipped libraries: the main window's procedures run the
// list editor (answered through the scripted stand-in) and apply the list.
#include "editor/dialogs/schbtext.h"
#include "editor/interaction/commands.h"
#include "editor/objects/libraries.h"
#include "editor/objects/integrity.h"
#include "editor/shell/curpos.h"
#include "editor/shell/design_change.h"
#include "editor/shell/dlgservices.h"
#include "editor/shell/geometry.h"
#include "editor/shell/schmain.h"
#include "editor/shell/textarea.h"
#include "editor/shell/controls.h"
#include "editor/shell/menus.h"
#include "editor/shell/ribbon.h"
#include "editor/view/canvas.h"
#include "editor/shell/user_action.h"
#include "editor/view/marks.h"
#include "platform/kernel/testing.h"
#include "tests/editing/complist_fixture.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include <functional>
#include <optional>
#include <string>

namespace {

using complist_test::ListTest;

// Runs `open` with the list editor answered by `act`.
void WithEditor(winsys::ScriptedInteraction& ui, std::function<void(SCHBTEXT&)> act)
{
    ui.ExpectModal("SCHBTEXT", [act](QWidget*) { act(FormInstance<SCHBTEXT>()); });
}

void Accept(SCHBTEXT& editor, const std::string& list)
{
    editor.F_TxtBuffer()->SetText(list);
    editor.F_Accept()->Press();
}

class CreateList : public ListTest {};

TEST_F(CreateList, PartGateSymbolAndRepeatedPartGetDistinctNames)
{
    const int32_t before = g_ModalDepth;
    WithEditor(ui, [](SCHBTEXT& e) {
        Accept(e, "1,d,74HC04,1,1,0,A\r\n"     // a part from the libraries
                  "0, s, SPLGND, 2, 1, 0\r\n"   // a symbol line, Mode menu (A)
                  "3,d,74HC04,3,1,90,A\r\n"     // the same part again
                  "2,d,74HC00\r\n"              // a part of the design, at the page datum
                  "@END\r\n");
    });
    Main().CreateCompsFromList();
    EXPECT_EQ(g_ModalDepth, before);
    EXPECT_FALSE(FormInstance<SCHBTEXT>().IsLoaded());

    const int32_t inv = OM_FindName(DB_DeviceMap(), "74HC04");
    ASSERT_GT(inv, 0) << "the part was made permanent in the design";
    const CompRec a = Read(Comp("Unpck1"));
    const CompRec gnd = Read(Comp("Unpck2"));
    const CompRec b = Read(Comp("Unpck3"));
    const CompRec nand = Read(Comp("Unpck4"));
    EXPECT_EQ(a.Device, inv);
    EXPECT_EQ(a.X, 2540000);
    EXPECT_EQ(a.Y, 2540000);
    EXPECT_EQ(a.LayComp, 0);
    EXPECT_EQ(gnd.Device, 0);
    EXPECT_EQ(gnd.Symb, OM_FindName(DB_SymbMap(), "SPLGND"));
    EXPECT_EQ(gnd.X, 5080000);
    EXPECT_EQ(b.Device, inv);
    EXPECT_EQ(b.Angle, 90000);
    EXPECT_EQ(b.X, 7620000);
    EXPECT_EQ(nand.Device, OM_FindName(DB_DeviceMap(), "74HC00"));
    EXPECT_EQ(nand.X, g_FrameX1);
    EXPECT_EQ(nand.Y, g_FrameY1);
    EXPECT_EQ(Comp("Unpck5"), 0);
}

TEST_F(CreateList, CancelCreatesNothingButKeepsWhatWasLoaded)
{
    const int comps = CountComps();
    WithEditor(ui, [this](SCHBTEXT& e) {
        ui.ExpectMessageBox(1, "Part: NOPART not found");
        e.F_TxtBuffer()->SetText("1,d,74HC04\r\n0,s,SPLVCC\r\n1,d,NOPART\r\n@END\r\n");
        e.F_Accept()->Press();
        EXPECT_TRUE(e.Visible());
        e.F_Return()->Press();
    });
    Main().CreateCompsFromList();
    EXPECT_EQ(CountComps(), comps);
    EXPECT_GT(OM_FindName(DB_DeviceMap(), "74HC04"), 0);
    EXPECT_GT(OM_FindName(DB_SymbMap(), "SPLVCC"), 0);
    EXPECT_EQ(g_TextBuf, "");
}

TEST_F(CreateList, ModeIsResetToAbsoluteEachTime)
{
    g_CompListCoordMode = 2;
    WithEditor(ui, [](SCHBTEXT& e) {
        EXPECT_TRUE(e.M_Cref(0)->Checked());
        EXPECT_FALSE(e.M_Cref(3)->Enabled());
        e.F_Return()->Press();
    });
    Main().CreateCompsFromList();
    EXPECT_EQ(g_CompListCoordMode, 0);
}

// A line of a create list the kernel refuses is skipped, whole: the user is
// told its name, and the lines before and after it are made. The lines: a
// part from the libraries, a supply symbol joined to its net, the part
// again; the second line refused where it begins and where its supply node
// is made.
TEST_F(CreateList, ARefusedLineIsSkippedAndTheOthersAreMade)
{
    struct Refusal {
        const char* call;
        int32_t n;
    };
    for (const Refusal refusal : {Refusal{"C_CreateComponent", 2}, Refusal{"N_CreateNode", 1}}) {
        SCOPED_TRACE(refusal.call);
        ASSERT_TRUE(palvane_test::BuildDesign(complist_test::kListDesign));
        DB_SetCurPage(OM_FindName(DB_PageMap(), "P1"));
        ReadCurrentPage();
        const std::string clean = RunIntegrityCheck(nullptr);
        const int comps = CountComps();
        const int32_t nets = OM_GetCount(DB_NetMap());
        // The nodes of the supply net, when there is one.
        const auto SupplyNodes = [] {
            NetRec rec{};
            const int32_t net = OM_FindName(DB_NetMap(), "SPLGND");
            return net != 0 && N_ReadNet(net, &rec) != 0 ? rec.Nodes : 0;
        };
        const int32_t supplyNodes = SupplyNodes();
        Main().F_MsgLine->SetCaption("");
        WithEditor(ui, [](SCHBTEXT& e) {
            Accept(e, "1,d,74HC04,1,1,0,A\r\n"
                      "0,s,SPLGND,2,1,0\r\n"
                      "3,d,74HC04,3,1,90,A\r\n"
                      "@END\r\n");
        });
        ui.ExpectMessageBox(1, "Can't create Component: Unpck2");
        RunAsUserAction([&] {
            KT_FailCall(refusal.call, refusal.n);
            Main().CreateCompsFromList();
            KT_FailCall("", 0);
        });
        EXPECT_EQ(ui.pending(), 0u) << "the user was told";
        EXPECT_NE(Main().F_MsgLine->Caption().find("Can't create Component: Unpck2"), std::string::npos)
            << Main().F_MsgLine->Caption();
        EXPECT_EQ(CountComps(), comps + 2);
        EXPECT_GT(Comp("Unpck1"), 0);
        EXPECT_EQ(Comp("Unpck2"), 0);
        ASSERT_GT(Comp("Unpck3"), 0);
        EXPECT_EQ(Read(Comp("Unpck3")).Angle, 90000);
        // The supply symbol's node went with it.
        EXPECT_EQ(OM_GetCount(DB_NetMap()), nets);
        EXPECT_EQ(SupplyNodes(), supplyNodes);
        EXPECT_EQ(RunIntegrityCheck(nullptr), clean);
    }
}

// Through the editor as a user gets there: components mode, function 0
// with option 0 pressed, a click on the page opens the list editor; its
// Accept reads the list, loading the parts and symbols it names, and the
// list is made. The kernel refuses a step of one line's load (the rename or
// the id change of its part, of its part's gate symbol, of its supply
// symbol): that line's load goes back alone, the user is told what could
// not be brought in, the line is skipped with the name it would have had,
// and the other lines are made. The whole list is one action: one change
// that a single put-back takes back, loads and all.
class CreateListByClick : public ListTest {
protected:
    void Fresh()
    {
        ui.Forget();
        ASSERT_TRUE(palvane_test::BuildDesign(complist_test::kListDesign));
        ASSERT_NE(DB_SetCurPage(OM_FindName(DB_PageMap(), "P1")), 0);
        SCHMAIN& m = Main();
        ReadCurrentPage();
        for (int i = 0; i < 3; ++i) QApplication::processEvents();
        g_CurCommand = 0;
        m.M_FSI(MODE_COMPONENTS)->Action()->trigger();
        QTest::mouseClick(m.F_FSI(0), Qt::LeftButton);
        for (int i = 0; i <= 10; ++i) m.F_OST(i)->SetValue(i == 0);
        m.F_MsgLine->SetCaption("");
    }
    void ClickOnPage()
    {
        QWidget* canvas = Main().ViewPicture;
        const QPoint at = canvas->rect().center();
        QTest::mouseMove(canvas, at);
        QTest::mouseClick(canvas, Qt::LeftButton, {}, at);
    }
};

TEST_F(CreateListByClick, ALineWhoseLoadIsRefusedIsSkippedAndTheOthersAreMade)
{
    const char* const list = "1,d,74HC04,1,1,0,A\r\n"  // a part and its gate symbol from the libraries
                             "0,s,SPLGND,2,1,0\r\n"     // a supply symbol from the libraries
                             "2,d,74HC00,3,1,90,A\r\n"  // a part of the design
                             "@END\r\n";
    struct Case {
        const char* call;
        int32_t n;
        const char* told;     // the message box of the refused load
        const char* skipped;  // the line's component
        const char* made[2];  // the other lines' components
        bool deviceGone;      // 74HC04 not in the design afterwards
        const char* symbolGone;
    };
    const Case cases[] = {
        {"O_Rename", 1, "Can't assign Part: 74HC04", "Unpck1", {"Unpck2", "Unpck3"}, true, "INV"},
        {"OM_ChangeId", 1, "Can't assign Part: 74HC04", "Unpck1", {"Unpck2", "Unpck3"}, true, "INV"},
        {"OM_ChangeId", 2, "Can't assign Symbol/Package: INV", "Unpck1", {"Unpck2", "Unpck3"}, true, "INV"},
        {"OM_ChangeId", 3, "Can't assign Symbol/Package: SPLGND", "Unpck2", {"Unpck1", "Unpck3"}, false, "SPLGND"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.call) + " " + std::to_string(c.n));
        // Twice: as the user does it, then inside a change the test puts
        // back, which must take the whole list back.
        for (const bool inOuter : {false, true}) {
            SCOPED_TRACE(inOuter ? "put back whole" : "as the user does it");
            Fresh();
            const std::string clean = RunIntegrityCheck(nullptr);
            const int comps = CountComps();
            const uint64_t before = KT_DesignDigest();
            bool inAction = false, hidden = false;
            WithEditor(ui, [&](SCHBTEXT& e) {
                inAction = UserActionRunning();
                ui.ExpectMessageBox(1, c.told);
                e.F_TxtBuffer()->SetText(list);
                KT_FailCall(c.call, c.n);
                e.F_Accept()->Press();
                KT_FailCall("", 0);
                hidden = !e.Visible();
            });
            std::optional<DesignChange> outer;
            if (inOuter) outer.emplace(DesignChange::Ending::Undo);
            ClickOnPage();
            EXPECT_TRUE(inAction) << "the list editor was not opened by the click's action";
            EXPECT_TRUE(hidden) << "the list was not taken";
            EXPECT_FALSE(FormInstance<SCHBTEXT>().IsLoaded());
            EXPECT_EQ(ui.pending(), 0u) << "the user was not told";
            EXPECT_NE(Main().F_MsgLine->Caption().find(std::string("Can't create Component: ") + c.skipped),
                      std::string::npos)
                << Main().F_MsgLine->Caption();
            EXPECT_EQ(CountComps(), comps + 2);
            EXPECT_EQ(Comp(c.skipped), 0);
            for (const char* name : c.made) EXPECT_GT(Comp(name), 0) << name;
            EXPECT_EQ(OM_FindName(DB_DeviceMap(), "74HC04") == 0, c.deviceGone);
            EXPECT_EQ(OM_FindName(DB_SymbMap(), c.symbolGone), 0);
            EXPECT_EQ(D_Device(kTempDeviceId), 0);
            EXPECT_EQ(S_Symbol(kTempSchSymbolId), 0);
            EXPECT_EQ(RunIntegrityCheck(nullptr), clean);
            if (!inOuter) continue;
            EXPECT_NE(KT_DesignDigest(), before);
            EXPECT_TRUE(outer->Undo());
            EXPECT_EQ(KT_DesignDigest(), before) << "the list was not one change";
        }
    }
}

class RelocList : public ListTest {
protected:
    void SelectAll()
    {
        g_SelRect = {-100000000, -100000000, 100000000, 100000000};
        Main().m_BaseX = 0;
        Main().m_BaseY = 0;
        Main().m_BoxDiagonal = 100000000;
    }
};

TEST_F(RelocList, WritesTheMarkedComponentsInTheModeKept)
{
    SelectAll();
    g_CompListCoordMode = 3;
    std::string shown;
    WithEditor(ui, [&shown](SCHBTEXT& e) {
        shown = e.F_TxtBuffer()->Text();
        e.F_Return()->Press();
    });
    Main().RelocateCompsFromList();
    EXPECT_EQ(shown.substr(0, shown.find("Format:")),
              "R1/1, 0, 0, 0,V\r\nR2/1, 0, 0, 90,V\r\nU1/1, 0, 0, 0,V\r\n@END\r\n");
    EXPECT_EQ(g_CompListCoordMode, 3);
    // Cancel moved nothing and left no component marked.
    EXPECT_EQ(Read(Comp("R2/1")).X, 5080000);
    int32_t cursor = OM_GetFirst(DB_SchCompMap());
    EXPECT_EQ(OM_SearchMask(DB_SchCompMap(), &cursor, 256, 256), 0);
}

TEST_F(RelocList, AbsoluteAndPageDatumNumbers)
{
    SelectAll();
    g_CompListCoordMode = 1;
    std::string shown;
    WithEditor(ui, [&shown](SCHBTEXT& e) {
        shown = e.F_TxtBuffer()->Text();
        e.F_Return()->Press();
    });
    Main().RelocateCompsFromList();
    // The frame (100 x 80 tenths, centred) has its corner at (-5, -4)
    // inches: the list is written with the frame box of the current page.
    EXPECT_EQ(shown.substr(0, shown.find("\r\n")), "R1/1, 5, 4, 0,P");
}

TEST_F(RelocList, TheListAcceptedAsWrittenMovesNothing)
{
    for (int32_t mode : {0, 1, 2, 3}) {
        SCOPED_TRACE(mode);
        SelectAll();
        g_CompListCoordMode = mode;
        g_Markers[kRefPointMarker] = {-1, 1270000, -254000};
        WithEditor(ui, [](SCHBTEXT& e) { e.F_Accept()->Press(); });
        Main().RelocateCompsFromList();
        EXPECT_TRUE(g_TextAccepted);
        EXPECT_EQ(g_CompListEntries.UBound(), 3);
        EXPECT_EQ(Read(Comp("R1/1")).X, 0);
        EXPECT_EQ(Read(Comp("R2/1")).X, 5080000);
        EXPECT_EQ(Read(Comp("R2/1")).Angle, 90000);
        EXPECT_EQ(Read(Comp("U1/1")).X, 10160000);
        EXPECT_EQ(Read(Comp("U1/1")).Y, 0);
    }
}

TEST_F(RelocList, NothingMarkedShowsTheEndLineAlone)
{
    g_SelRect = {900000000, 900000000, 900000001, 900000001};
    std::string shown;
    WithEditor(ui, [&shown](SCHBTEXT& e) {
        shown = e.F_TxtBuffer()->Text();
        e.F_Return()->Press();
    });
    Main().RelocateCompsFromList();
    EXPECT_EQ(shown.substr(0, 8), "@END\r\nFo");
}

TEST_F(RelocList, MovesInEveryModeAndOnAnotherPage)
{
    g_Markers[kRefPointMarker] = {0, 254000, -254000};
    g_SelRect = {900000000, 900000000, 900000001, 900000001};
    WithEditor(ui, [](SCHBTEXT& e) {
        e.M_Cref_Click(2);  // Ref.Point: the letters in the lines win
        Accept(e, "R1/1, 1, 2, 45, A\r\n"
                  "R2/1, 0, 0, -90, P\r\n"
                  "U1/1, 1, 1, 0\r\n"       // mode of the menu: R
                  "R3/1, 0.5, -0.5, 180, V\r\n"
                  "@END\r\n");
    });
    Main().RelocateCompsFromList();
    const CompRec r1 = Read(Comp("R1/1"));
    EXPECT_EQ(r1.X, 2540000);
    EXPECT_EQ(r1.Y, 5080000);
    EXPECT_EQ(r1.Angle, 45000);
    const CompRec r2 = Read(Comp("R2/1"));
    EXPECT_EQ(r2.X, g_FrameX1);
    EXPECT_EQ(r2.Y, g_FrameY1);
    EXPECT_EQ(r2.Angle, 270000);
    const CompRec u1 = Read(Comp("U1/1"));
    EXPECT_EQ(u1.X, 254000 + 2540000);
    EXPECT_EQ(u1.Y, -254000 + 2540000);
    const CompRec r3 = Read(Comp("R3/1"));
    EXPECT_EQ(r3.X, 2540000 + 1270000);
    EXPECT_EQ(r3.Y, 2540000 - 1270000);
    EXPECT_EQ(r3.Angle, 180000);
    EXPECT_NE(r3.Page, g_CurPage);
    EXPECT_EQ(g_CompListCoordMode, 2);
}

TEST_F(RelocList, AnErrorMovesNothing)
{
    g_SelRect = {900000000, 900000000, 900000001, 900000001};
    WithEditor(ui, [this](SCHBTEXT& e) {
        ui.ExpectMessageBox(1, "ComponentNOPE not found");
        Accept(e, "R1/1,1,2,45,A\r\nNOPE,0,0,0\r\n@END\r\n");
        EXPECT_TRUE(e.Visible());
        e.F_Return()->Press();
    });
    Main().RelocateCompsFromList();
    EXPECT_EQ(Read(Comp("R1/1")).X, 0);
}

}  // namespace
