// Part exchange, component texts, gate and pin swap, report, place swap and
// group move, over the shipped libraries.
#include "editor/dialogs/schicmpd.h"
#include "editor/dialogs/schinfob.h"
#include "editor/editing/comp_swap.h"
#include "editor/objects/comp_picking.h"
#include "editor/objects/comp_state.h"
#include "editor/objects/components.h"
#include "editor/shell/controls.h"
#include "editor/shell/dlgservices.h"
#include "editor/shell/nvoinpbg.h"
#include "editor/shell/pagedraw.h"
#include "editor/shell/paths.h"
#include "editor/shell/ribbon.h"
#include "editor/shell/schmain.h"
#include "editor/shell/settings.h"
#include "editor/shell/textarea.h"
#include "editor/shell/textnum.h"
#include "editor/view/marks.h"
#include "platform/kernel/nvokernel32.h"
#include "platform/kernel/testing.h"
#include "tests/support/design_builder.h"
#include "tests/support/editor_fixture.h"

#include <QGroupBox>
#include <QWidget>

#include <string>

namespace {

const char* const kDesign = R"(
include discrete.nls
include ics.nls
unit 0.1in
design D
level MAIN
net N1
net N2
net N3
net N5
page P1 frame 100 80
  component S1 symbol DFF at 0 0
  component R1 R at 20 0
  component R2 R at 20 10 angle 90
  component U1 74HC00 gate A at 40 0
  component U1 74HC00 gate B at 40 20
  component U2 74HC00 gate A at 60 0
  wire N1 S1.D R1.1
  wire N2 S1.Q R2.1
  wire N5 S1.CLR R2.2
  wire N3 U1.1 R1.2
end
)";

constexpr int32_t kStep = 254000;

class CompEdit : public palvane_test::EditorTest {
protected:
    void SetUp() override
    {
        EditorTest::SetUp();
        SetDataDir(COMPILED_DATA_DIR);
        g_IniFile = std::string(COMPILED_DATA_DIR) + "/norvo32.ini";
        ReadDirSettings();
        ReadLibLists();
        m = &Main();
        ASSERT_TRUE(palvane_test::BuildDesign(kDesign));
        DB_SetCurPage(OM_FindName(DB_PageMap(), "P1"));
        ReadCurrentPage();
        g_UnitIndex = 0;
        g_CompDlgMode = false;
        for (int i = 0; i <= 10; ++i) m->F_OST(i)->SetValue(false);
    }
    void TearDown() override
    {
        FormInstance<SCHICMPD>().CancelDialog();
        FormInstance<SCHICMPS>().CancelDialog();
        EditorTest::TearDown();
    }
    static int32_t Comp(const std::string& name) { return OM_FindName(DB_SchCompMap(), name.c_str()); }
    static CompRec Read(int32_t id)
    {
        CompRec rec{};
        C_ReadComponent(id, &rec);
        return rec;
    }
    static int32_t NodeAt(int32_t comp, int32_t entry)
    {
        N_SetNodeView(0);
        int32_t net = 0;
        return N_FindCompEntry(comp, entry, &net);
    }
    // The point of entry `entry` of the component.
    static EntryRec Entry(int32_t comp, int32_t entry)
    {
        EntryRec rec{};
        C_ReadEntry(comp, entry, &rec);
        return rec;
    }
    void Pick(const std::string& name)
    {
        g_CompId = Comp(name);
        ASSERT_GT(g_CompId, 0) << name;
        int32_t status = 0;
        ReadComp(status, g_CompId, g_CompName);
        ASSERT_EQ(status, 0);
    }
    void Type(const char* text, std::string promptContains = {})
    {
        ui.ExpectModal("NvoInpBG", [text, promptContains](QWidget*) {
            NvoInpBG& box = FormInstance<NvoInpBG>();
            if (!promptContains.empty()) {
                EXPECT_NE(box.InpPrompt()->Text().find(promptContains), std::string::npos) << box.InpPrompt()->Text();
            }
            if (text) {
                box.InpText()->SetText(text);
                box.InpOK()->Press();
            } else {
                box.InpCancel()->Press();
            }
        });
    }
    SCHMAIN* m = nullptr;
};

// ---- Part exchange ----------------------------------------------------------

TEST_F(CompEdit, SymbolExchangeDropsTheWiresOfPinsTheNewSymbolLacks)
{
    Pick("S1");
    ASSERT_NE(NodeAt(g_CompId, 6), 0);
    ASSERT_NE(NodeAt(g_CompId, 1), 0);
    ui.ExpectModeless("SCHICMPS", [](QWidget*) {
        SCHICMPS& d = FormInstance<SCHICMPS>();
        EXPECT_FALSE(d.F_Geom()->isEnabled()) << "exchange keeps the geometry";
        d.F_Cref()->SetText("NAND2");
        int key = 13;
        d.F_Cref_KeyPress(key);
        d.F_Accept()->Press();
    });
    int32_t status = 1;
    m->ChangeCompDevice(status);
    EXPECT_EQ(status, 0);
    const int32_t id = Comp("S1");
    ASSERT_EQ(id, g_CompId) << "the component keeps its name";
    SymbRec symb{};
    ASSERT_NE(S_ReadSymbol(Read(id).Symb, &symb), 0);
    EXPECT_EQ(symb.Entries, 3);
    EXPECT_NE(NodeAt(id, 1), 0) << "entries 1..3 keep their connections";
    EXPECT_NE(NodeAt(id, 3), 0);
    EXPECT_EQ(NodeAt(id, 6), 0) << "entry 6 lost its node";
    EXPECT_TRUE(m->Window()->isEnabled());
}

TEST_F(CompEdit, PackagedComponentIsNotExchanged)
{
    Pick("U1/1");
    const CompRec before = Read(g_CompId);
    ui.ExpectMessageBox(1, "Packaged components");
    int32_t status = 1;
    m->ChangeCompDevice(status);
    EXPECT_EQ(Read(g_CompId).Device, before.Device);
}

TEST_F(CompEdit, RefusedSymbolLeavesDeviceAndSymbol)
{
    Pick("S1");
    const CompRec before = Read(g_CompId);
    m->F_OST(0)->SetValue(true);  // the part dialog for a symbol-only component
    ui.ExpectModeless("SCHICMPD", [](QWidget*) {
        SCHICMPD& d = FormInstance<SCHICMPD>();
        d.F_Cref()->SetText("74HC04");
        int key = 13;
        d.F_Cref_KeyPress(key);
        d.F_Accept()->Press();
        KT_FailCall("C_ChangeCompSymbol", 1);
    });
    ui.ExpectMessageBox(1, "Can't assign Part");
    int32_t status = 1;
    m->ChangeCompDevice(status);
    KT_FailCall("", 0);
    const CompRec after = Read(g_CompId);
    EXPECT_EQ(after.Device, before.Device) << "the device went back";
    EXPECT_EQ(after.Symb, before.Symb);
    EXPECT_NE(NodeAt(g_CompId, 6), 0) << "no wire was dropped";
}

TEST_F(CompEdit, UnpackedCopyOfAGateHasNoPackaging)
{
    Pick("U1/1");
    int32_t status = 1;
    m->CopyCompUnpacked(status, g_CompId, 10 * kStep, 50 * kStep);
    ASSERT_EQ(status, 0);
    const int32_t copy = Comp("Unpck1");
    ASSERT_GT(copy, 0);
    const CompRec rec = Read(copy);
    EXPECT_EQ(rec.LayComp, 0);
    EXPECT_EQ(rec.Group, 0);
    EXPECT_EQ(rec.X, 10 * kStep);
    EXPECT_EQ(rec.Flags & 5, 4) << "hidden for the move";
}

// ---- Component texts --------------------------------------------------------

TEST_F(CompEdit, FreeTextIsAddedAndAnEmptyAnswerChangesNothing)
{
    Pick("R1/1");
    const int32_t texts = OA_GetCount(C_CompTextArray(g_CompId));
    Type("", "R1/1 -  Add text: ");
    int32_t status = 0;
    m->ChangeCompTexts(status, 0);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(OA_GetCount(C_CompTextArray(g_CompId)), texts);
    Type("HELLO", " Add text: ");
    m->ChangeCompTexts(status, 0);
    EXPECT_EQ(status, 0);
    ASSERT_EQ(OA_GetCount(C_CompTextArray(g_CompId)), texts + 1);
    ItemRec rec{};
    ASSERT_NE(I_ReadItem(C_CompText(g_CompId, g_CompTextIdx), &rec), 0);
    EXPECT_EQ(PtrToStr(rec.Text), "HELLO");
    EXPECT_EQ(rec.Flags & 255, 1 | 128);
    EXPECT_EQ(rec.Layer, 36);
}

TEST_F(CompEdit, RefusedAddRedrawsAndStartsNoMove)
{
    Pick("R1/1");
    const int32_t texts = OA_GetCount(C_CompTextArray(g_CompId));
    Type("X");
    KT_FailCall("OA_Add", 1);
    int32_t status = 0;
    m->ChangeCompTexts(status, 0);
    KT_FailCall("", 0);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(OA_GetCount(C_CompTextArray(g_CompId)), texts);
}

TEST_F(CompEdit, ValueTextWithoutAValueTakesTheNewText)
{
    Pick("S1");
    m->F_OST(0)->SetValue(true);
    Type("74HC74", " Set value: ");
    int32_t status = 1;
    m->ChangeCompTexts(status, 0);
    ASSERT_EQ(status, 0) << "a new value text follows the pointer";
    ItemRec rec{};
    ASSERT_NE(I_ReadItem(C_CompText(g_CompId, g_CompTextIdx), &rec), 0);
    EXPECT_EQ(rec.Flags & 8, 8);
    EXPECT_EQ(PtrToStr(rec.Text), "74HC74");
    // Now there is one: it is changed in place, no move.
    Type("74HC75", "Change Comp.value: ");
    m->ChangeCompTexts(status, 0);
    EXPECT_EQ(status, 1);
    const int32_t at = OA_SearchMask(C_CompTextArray(g_CompId), 1, 8);
    ASSERT_GT(at, 0);
    ASSERT_NE(I_ReadItem(C_CompText(g_CompId, at), &rec), 0);
    EXPECT_EQ(PtrToStr(rec.Text), "74HC75");
}

// ---- Gate exchange and pin swap ---------------------------------------------

TEST_F(CompEdit, GatesOfOneLayoutComponentExchangeTheirSlots)
{
    Pick("U1/1");
    const int32_t a = g_CompId;
    const CompRec recA = Read(a);
    Pick("U1/2");
    const int32_t b = g_CompId;
    g_NewCompId = a;
    g_CompFirst = recA;
    g_Comp = Read(b);
    g_CompId = b;
    m->ExchangeGates();
    EXPECT_EQ(Read(a).Group, 2);
    EXPECT_EQ(Read(b).Group, 1);
    const int32_t lay = recA.LayComp;
    EXPECT_EQ(L_GetSchCompId(lay, 1), b);
    EXPECT_EQ(L_GetSchCompId(lay, 2), a);
    EXPECT_EQ(Comp("U1/2"), a) << "renamed after its new gate";
    EXPECT_EQ(Comp("U1/1"), b);
}

TEST_F(CompEdit, FailedSecondHalfUndoesTheFirst)
{
    Pick("U1/1");
    const int32_t a = g_CompId;
    const CompRec recA = Read(a);
    Pick("U2/1");
    const int32_t b = g_CompId;
    const CompRec recB = Read(b);
    g_NewCompId = a;
    g_CompFirst = recA;
    ui.ExpectMessageBox(1, "exchange of packinfo failed");
    KT_FailCall("C_ChangeCompPackInfo", 2);
    m->ExchangeGates();
    KT_FailCall("", 0);
    EXPECT_EQ(Read(a).LayComp, recA.LayComp);
    EXPECT_EQ(Read(b).LayComp, recB.LayComp);
    EXPECT_EQ(Read(b).Group, recB.Group);
    EXPECT_EQ(L_GetSchCompId(recB.LayComp, recB.Group), b);
    EXPECT_EQ(L_GetSchCompId(recA.LayComp, recA.Group), a);
}

TEST_F(CompEdit, LogicalSwapMovesTheNodeToTheFreePin)
{
    Pick("U1/1");
    g_CompEntry = 1;  // A, connected to N3
    ASSERT_NE(NodeAt(g_CompId, 1), 0);
    ASSERT_EQ(NodeAt(g_CompId, 2), 0);
    m->F_OST(1)->SetValue(true);
    const EntryRec b = Entry(g_CompId, 2);
    int32_t status = 1;
    m->SwapPins(status, b.X, b.Y);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(NodeAt(g_CompId, 1), 0);
    EXPECT_NE(NodeAt(g_CompId, 2), 0);
    int32_t view = N_SetNodeView(0);
    (void)view;
}

TEST_F(CompEdit, SwapRefusals)
{
    Pick("U1/1");
    m->F_OST(1)->SetValue(true);
    // The same pin again: nothing.
    g_CompEntry = 1;
    const EntryRec a = Entry(g_CompId, 1);
    int32_t status = 0;
    m->SwapPins(status, a.X, a.Y);
    EXPECT_EQ(status, 1);
    // Levels 1 and -1 (Y is not swappable).
    const EntryRec y = Entry(g_CompId, 3);
    ui.ExpectMessageBox(1, " 1 & -1");
    m->SwapPins(status, y.X, y.Y);
    EXPECT_EQ(status, 1);
    EXPECT_NE(NodeAt(g_CompId, 1), 0);
    // A packaged and an unpacked pin, physical swap.
    m->F_OST(1)->SetValue(false);
    m->F_OST(2)->SetValue(true);
    Pick("U1/1");
    g_CompEntry = 1;
    const int32_t r1 = Comp("R1/1");
    ASSERT_GT(r1, 0);
    int32_t unpacked = 0;
    C_ChangeCompPackInfo(Comp("S1"), 0, 0);
    const EntryRec s = Entry(Comp("S1"), 2);
    (void)unpacked;
    ui.ExpectMessageBox(1, "Both componets must be either packaded or unpackaged");
    m->SwapPins(status, s.X, s.Y);
    EXPECT_EQ(status, 1);
}

TEST_F(CompEdit, RefusedNodeChangePutsBothNodesBack)
{
    Pick("U1/1");
    g_CompEntry = 1;
    m->F_OST(1)->SetValue(true);
    const int32_t before = NodeAt(g_CompId, 1);
    const EntryRec b = Entry(g_CompId, 2);
    ui.ExpectMessageBox(1, "Can't execute swap");
    KT_FailCall("N_ChangeNode", 2);
    int32_t status = 0;
    m->SwapPins(status, b.X, b.Y);
    KT_FailCall("", 0);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(NodeAt(g_CompId, 1), before);
    EXPECT_EQ(NodeAt(g_CompId, 2), 0);
}

// ---- Report -----------------------------------------------------------------

TEST_F(CompEdit, ReportLinesOfAPackagedGate)
{
    Pick("U1/1");
    g_CompEntry = 1;
    m->ShowCompInfo();
    const std::string text = FormInstance<SCHINFOB>().F_TxtBuffer()->Text();
    EXPECT_NE(text.find("Comp: U1/1 (Layout: U1)\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Part/Smb: 74HC00 / NAND2\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Packaged as gate: #1\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Standard/ Status: Unlocked\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Entry: #1 (named as: A)  in Net: N3\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Nets Connected :\r\nN3\r\n"), std::string::npos) << text;
}

// ---- Place swap and group move ----------------------------------------------

TEST_F(CompEdit, PlaceSwapKeepsEachRotation)
{
    Pick("R1/1");
    const int32_t r1 = g_CompId;
    const CompRec a = Read(r1);
    int32_t status = 1;
    m->SwapCompPlaces(status, 0, 0, 0);
    const int32_t r2 = Comp("R2/1");
    const CompRec b = Read(r2);
    const EntryRec e = Entry(r2, 1);
    m->SwapCompPlaces(status, 1, e.X, e.Y);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(Read(r1).X, b.X);
    EXPECT_EQ(Read(r1).Y, b.Y);
    EXPECT_EQ(Read(r1).Angle, a.Angle);
    EXPECT_EQ(Read(r2).X, a.X);
    EXPECT_EQ(Read(r2).Angle, b.Angle);
}

TEST_F(CompEdit, LockedComponentIsRefusedWithABeep)
{
    Pick("R1/1");
    int32_t status = 1;
    m->SwapCompPlaces(status, 0, 0, 0);
    const int32_t r2 = Comp("R2/1");
    O_Mask(C_Component(r2), 32, 32);
    const CompRec before = Read(r2);
    const EntryRec e = Entry(r2, 1);
    m->SwapCompPlaces(status, 1, e.X, e.Y);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(ui.asked().back().kind, "Beep");
    EXPECT_EQ(Read(r2).X, before.X);
}

TEST_F(CompEdit, GroupMoveToggleAndBoundRefusal)
{
    const int32_t r1 = Comp("R1/1");
    const int32_t r2 = Comp("R2/1");
    const EntryRec e1 = Entry(r1, 1);
    const EntryRec e2 = Entry(r2, 1);
    g_CompList.Redim(0, 0);
    int32_t status = 1;
    m->MoveCompsByVector(status, 1, e1.X, e1.Y);
    m->MoveCompsByVector(status, 1, e2.X, e2.Y);
    ASSERT_EQ(g_CompList.UBound(), 2);
    m->MoveCompsByVector(status, 1, e1.X, e1.Y);  // collected again: out
    ASSERT_EQ(g_CompList.UBound(), 1);
    EXPECT_EQ(g_CompList(1).Comp, r2);
    EXPECT_EQ(Read(r1).Flags & 256, 0);
    m->MoveCompsByVector(status, 1, e1.X, e1.Y);
    m->MoveCompsByVector(status, 2, e1.X, e1.Y);
    const CompRec a = Read(r1);
    const CompRec b = Read(r2);
    // A vector that would take one of them beyond the bound moves none.
    m->m_VecEndX = m->m_VecStartX + 219000000;
    m->m_VecEndY = m->m_VecStartY;
    m->MoveCompsByVector(status, 3, 0, 0);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(Read(r1).X, a.X);
    EXPECT_EQ(Read(r2).X, b.X);
    EXPECT_EQ(ui.asked().back().kind, "Beep");
}

TEST_F(CompEdit, GroupMoveByVector)
{
    const int32_t r1 = Comp("R1/1");
    const int32_t r2 = Comp("R2/1");
    const EntryRec e1 = Entry(r1, 1);
    const EntryRec e2 = Entry(r2, 1);
    g_CompList.Redim(0, 0);
    int32_t status = 1;
    m->MoveCompsByVector(status, 1, e1.X, e1.Y);
    m->MoveCompsByVector(status, 1, e2.X, e2.Y);
    m->MoveCompsByVector(status, 2, e1.X, e1.Y);
    const CompRec a = Read(r1);
    const CompRec b = Read(r2);
    m->m_VecEndX = m->m_VecStartX + 5 * kStep;
    m->m_VecEndY = m->m_VecStartY - 2 * kStep;
    m->MoveCompsByVector(status, 3, 0, 0);
    EXPECT_EQ(Read(r1).X, a.X + 5 * kStep);
    EXPECT_EQ(Read(r2).Y, b.Y - 2 * kStep);
    EXPECT_EQ(Read(r2).Flags & 256, 0) << "marks cleared";
}

}  // namespace
