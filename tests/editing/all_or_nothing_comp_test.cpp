// The component edits over the shipped libraries - gate exchange, pin swap,
// part exchange, packing and unpacking, component texts, place exchange and
// group move - each swept with every step that changes the design refused
// in turn.
#include "tests/editing/all_or_nothing.h"

#include "editor/dialogs/schapack.h"
#include "editor/dialogs/schicmpd.h"
#include "editor/dialogs/schipack.h"
#include "editor/editing/comp_swap.h"
#include "editor/objects/comp_state.h"
#include "editor/objects/components.h"
#include "editor/objects/packaging.h"
#include "editor/shell/dlgservices.h"
#include "editor/shell/forms.h"
#include "editor/shell/nvoinpbg.h"
#include "editor/shell/paths.h"
#include "editor/shell/ribbon.h"
#include "editor/shell/settings.h"
#include "editor/shell/textarea.h"
#include "editor/view/marks.h"

#include <QCoreApplication>
#include <QEvent>

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

namespace {

using namespace palvane_test;

// A symbol-only flip-flop and resistors wired to it, two gates of one quad
// NAND part and single gates of two others.
const char* kDesign = R"(
include discrete.nls
include ics.nls
unit 0.1in
design D
level MAIN
net N1
net N2
net N3
net N4
net N5
page P1 frame 100 80
  component S1 symbol DFF at 0 0
  component R1 R at 20 0
  component R2 R at 20 10 angle 90
  component R3 R at 20 40
  component U1 74HC00 gate A at 40 0
  component U1 74HC00 gate B at 40 20
  component U2 74HC00 gate A at 60 0
  component U3 74HC00 gate A at 60 40
  wire N1 S1.D R1.1
  wire N2 S1.Q R2.1
  wire N5 S1.CLR R2.2
  wire N3 U1.1 R1.2
  wire N4 U2.3 R3.1
end
)";

class CompSweep : public AllOrNothing {
public:
    void SetUp() override
    {
        AllOrNothing::SetUp();
        SetDataDir(COMPILED_DATA_DIR);
        g_IniFile = std::string(COMPILED_DATA_DIR) + "/norvo32.ini";
        ReadDirSettings();
        ReadLibLists();
        g_UnitIndex = 0;
        g_CompDlgMode = false;
        design = kDesign;
    }
    void TearDown() override
    {
        FormInstance<SCHICMPD>().CancelDialog();
        FormInstance<SCHICMPS>().CancelDialog();
        if (FormInstance<SCHIPACK>().IsLoaded()) FormInstance<SCHIPACK>().Unload();
        g_PackDlgOpen = false;
        AllOrNothing::TearDown();
    }

    static CompSweep& Of(AllOrNothing& t) { return static_cast<CompSweep&>(t); }
    static CompRec Read(int32_t id)
    {
        CompRec rec{};
        C_ReadComponent(id, &rec);
        return rec;
    }
    static EntryRec Entry(int32_t comp, int32_t entry)
    {
        EntryRec rec{};
        C_ReadEntry(comp, entry, &rec);
        return rec;
    }
    // Makes `name` the current component as a pick does.
    static void Pick(const char* name)
    {
        g_CompId = CompId(name);
        int32_t status = 0;
        ReadComp(status, g_CompId, g_CompName);
    }
    // Shows the packaging window for the component, as the component mode
    // shows it, or refreshes it when it is open already.
    static SCHIPACK& OpenPacking(int32_t id)
    {
        g_CompId = id;
        // A refused read leaves no record of an earlier design behind.
        if (C_ReadComponent(id, &g_Comp) == 0) g_Comp = CompRec{};
        g_DlgOpening = true;
        SCHIPACK& d = FormInstance<SCHIPACK>();
        const bool loaded = d.IsLoaded();
        d.Show();
        if (loaded) {
            QEvent activate(QEvent::WindowActivate);
            QCoreApplication::sendEvent(d.Window(), &activate);
        }
        return d;
    }
    // Unpacks the gate, its package going with its last gate.
    static void Unpack(const char* name)
    {
        const int32_t id = CompId(name);
        UnpackComp(id, Read(id));
    }
};

// The gates picked for an exchange: `first`, then `second`.
void PickGates(const char* first, const char* second)
{
    const int32_t a = AllOrNothing::CompId(first);
    const int32_t b = AllOrNothing::CompId(second);
    g_NewCompId = a;
    g_CompFirst = CompSweep::Read(a);
    g_Comp = CompSweep::Read(b);
    g_CompId = b;
    g_CompName = second;
}

const AllOrNothing::Row kEdits[] = {
    {"gate exchange in one package", nullptr,
     [](AllOrNothing& t) {
         PickGates("U1/1", "U1/2");
         t.M().ExchangeGates();
     }},
    {"gate exchange between packages", nullptr,
     [](AllOrNothing& t) {
         PickGates("U1/2", "U2/1");
         t.M().ExchangeGates();
     }},
    {"logical pin swap", [](AllOrNothing& t) { CompSweep::Of(t).Options({1}); },
     [](AllOrNothing& t) {
         CompSweep::Pick("U1/1");
         g_CompEntry = 1;
         const EntryRec b = CompSweep::Entry(g_CompId, 2);
         int32_t status = 1;
         t.M().SwapPins(status, b.X, b.Y);
     }},
    {"physical pin swap", [](AllOrNothing& t) { CompSweep::Of(t).Options({2}); },
     [](AllOrNothing& t) {
         CompSweep::Pick("U1/1");
         g_CompEntry = 1;
         const EntryRec b = CompSweep::Entry(AllOrNothing::CompId("U2/1"), 3);
         int32_t status = 1;
         t.M().SwapPins(status, b.X, b.Y);
     }},
    {"part exchange", nullptr,
     [](AllOrNothing& t) {
         CompSweep::Pick("S1");
         t.Ui().ExpectModeless("SCHICMPS", [](QWidget*) {
             SCHICMPS& d = FormInstance<SCHICMPS>();
             d.F_Cref()->SetText("NAND2");
             int key = 13;
             d.F_Cref_KeyPress(key);
             d.F_Accept()->Press();
         });
         int32_t status = 1;
         t.M().ChangeCompDevice(status);
     }},
    {"part given to a symbol", [](AllOrNothing& t) { CompSweep::Of(t).Options({0}); },
     [](AllOrNothing& t) {
         CompSweep::Pick("S1");
         t.Ui().ExpectModeless("SCHICMPD", [](QWidget*) {
             SCHICMPD& d = FormInstance<SCHICMPD>();
             d.F_Cref()->SetText("74HC04");
             int key = 13;
             d.F_Cref_KeyPress(key);
             d.F_Accept()->Press();
         });
         int32_t status = 1;
         t.M().ChangeCompDevice(status);
     }},
    {"pack into a part", [](AllOrNothing&) { CompSweep::Unpack("U2/1"); },
     [](AllOrNothing&) {
         SCHIPACK& d = CompSweep::OpenPacking(AllOrNothing::CompId("Unpck1"));
         d.F_Accept()->Press();
     }},
    {"pack into a new part", [](AllOrNothing&) { CompSweep::Unpack("U2/1"); },
     [](AllOrNothing&) {
         SCHIPACK& d = CompSweep::OpenPacking(AllOrNothing::CompId("Unpck1"));
         d.F_Cname()->SetText("U9");
         int key = 13;
         d.F_Cname()->KeyPress.Raise(key);
         d.F_Accept()->Press();
     }},
    {"unpack", [](AllOrNothing& t) { CompSweep::Of(t).Options({0}); },
     [](AllOrNothing& t) {
         const EntryRec e = CompSweep::Entry(AllOrNothing::CompId("U1/1"), 1);
         t.Ui().ExpectPopupMenu("Yes");
         t.M().PackagingClick(e.X, e.Y);
     }},
    {"unpack the last gate of a part", [](AllOrNothing& t) { CompSweep::Of(t).Options({0}); },
     [](AllOrNothing& t) {
         const EntryRec e = CompSweep::Entry(AllOrNothing::CompId("U2/1"), 1);
         t.Ui().ExpectPopupMenu("Yes");
         t.M().PackagingClick(e.X, e.Y);
     }},
    {"unpack a block",
     [](AllOrNothing& t) {
         CompSweep::Of(t).Options({0});
         g_SelRect = {30 * kStep, -5 * kStep, 70 * kStep, 45 * kStep};
         t.M().m_BaseX = 50 * kStep;
         t.M().m_BaseY = 10 * kStep;
         t.M().m_BoxDiagonal = 40 * kStep;
     },
     [](AllOrNothing& t) {
         t.Ui().ExpectMessageBox(6, "Unpack Components in Block?");
         t.M().PackBlockComps();
     }},
    {"automatic packaging",
     [](AllOrNothing& t) {
         t.M().LoadSettings();
         CompSweep::Unpack("U2/1");
         CompSweep::Unpack("U3/1");
     },
     [](AllOrNothing& t) {
         t.Ui().ExpectModal("SCHAPACK", [](QWidget*) { FormInstance<SCHAPACK>().F_Accept_Click(); });
         t.M().M_Apack_Click();
     }},
    {"component text added", nullptr,
     [](AllOrNothing& t) {
         CompSweep::Pick("R1/1");
         CompSweep::Of(t).Typed("HELLO");
         int32_t status = 0;
         t.M().ChangeCompTexts(status, 0);
     }},
    {"component text changed", nullptr,
     [](AllOrNothing& t) {
         CompSweep::Pick("R1/1");
         const int32_t array = C_CompTextArray(g_CompId);
         g_CompTextIdx = OA_SearchMask(array, 1, 2);
         // A refused read leaves no text of an earlier design behind.
         if (I_ReadItem(C_CompText(g_CompId, g_CompTextIdx), &g_CompText) == 0) g_CompText = {};
         g_CompTextStr = PtrToStr(g_CompText.Text);
         CompSweep::Of(t).Typed("RX");
         int32_t status = 0;
         t.M().ChangeCompTexts(status, 1);
     }},
    {"component value set", [](AllOrNothing& t) { CompSweep::Of(t).Options({0}); },
     [](AllOrNothing& t) {
         CompSweep::Pick("S1");
         CompSweep::Of(t).Typed("74HC74");
         int32_t status = 1;
         t.M().ChangeCompTexts(status, 0);
     }},
    {"place exchange",
     [](AllOrNothing& t) {
         CompSweep::Pick("R1/1");
         int32_t status = 1;
         t.M().SwapCompPlaces(status, 0, 0, 0);
     },
     [](AllOrNothing& t) {
         const EntryRec e = CompSweep::Entry(AllOrNothing::CompId("R2/1"), 1);
         int32_t status = 1;
         t.M().SwapCompPlaces(status, 1, e.X, e.Y);
     }},
    {"group move",
     [](AllOrNothing& t) {
         g_CompList.Redim(0, 0);
         int32_t status = 1;
         for (const char* name : {"R1/1", "R2/1", "U1/1"}) {
             const EntryRec e = CompSweep::Entry(AllOrNothing::CompId(name), 1);
             t.M().MoveCompsByVector(status, 1, e.X, e.Y);
         }
         const EntryRec e = CompSweep::Entry(AllOrNothing::CompId("R1/1"), 1);
         t.M().MoveCompsByVector(status, 2, e.X, e.Y);
         t.M().m_VecEndX = t.M().m_VecStartX + 5 * kStep;
         t.M().m_VecEndY = t.M().m_VecStartY - 2 * kStep;
     },
     [](AllOrNothing& t) {
         int32_t status = 1;
         t.M().MoveCompsByVector(status, 3, 0, 0);
     }},
};

TEST_F(CompSweep, EveryComponentEditIsWholeOrNothing)
{
    for (const Row& row : kEdits) Sweep(row);
}

}  // namespace
