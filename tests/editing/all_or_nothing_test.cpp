// The net, wire, bus, component, page and block edits, each swept with every
// step that changes the design refused in turn.
#include "tests/editing/all_or_nothing.h"

#include "editor/dialogs/schinet.h"
#include "editor/editing/editing_state.h"
#include "editor/interaction/commands.h"
#include "editor/objects/wire_state.h"
#include "editor/shell/forms.h"
#include "editor/shell/ribbon.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

namespace {

using namespace palvane_test;

// Nets of every kind, a bus with two members on two pages, wire groups to
// split, and components in a box for the block operations.
const char* kDesign = R"(
include discrete.nls
unit 0.1in
design D
level MAIN
net N1
net N2
net M1
net M2
net S
bus B M1 M2
page P1 frame 100 80
  component R1 R at 0 0
  component R2 R at 20 0
  component R3 R at 0 20
  component R4 R at 20 20
  component R5 R at 0 40
  component R6 R at 20 40
  component R7 R at 40 0
  component R8 R at 40 20
  wire N1 R1.2 (10 0) (10 10) R2.1 label 11 10
  wire N2 R3.1 (-5 20)
  buswire B (-10 30) (30 30) label 25 31
  wire M1 R3.2 (5 30)
  wire M2 R4.1 (15 30)
  wire S R5.2 R6.1
  wire S R7.2 (50 0)
  wire S R8.1 (37 10)
end
page P2 frame 100 80
  buswire B (-10 -10) (30 -10)
end
)";


// Each edit as a user starts it: its design prepared (options, picks), its
// questions answered Yes.
const AllOrNothing::Row kEdits[] = {
    {"net merge", nullptr,
     [](AllOrNothing& t) {
         int32_t fail = 0, target = AllOrNothing::NetId("N1"), source = AllOrNothing::NetId("S");
         t.Ui().ExpectMessageBox(1);
         t.M().ConfirmNetMerge(fail, target, source);
     }},
    {"net rename", nullptr,
     [](AllOrNothing& t) {
         int32_t fail = 0, flags = O_GetStatus(N_Net(AllOrNothing::NetId("N1"))) & 15;
         std::string name = "RENAMED";
         t.M().RenameNet(fail, AllOrNothing::NetId("N1"), name, flags);
     }},
    {"connectivity split",
     [](AllOrNothing& t) {
         g_CurNet = AllOrNothing::NetId("S");
         g_CurNetName = "S";
         int32_t fail = 1;
         t.M().EstablishConnectivity(fail, 0, 0, 0);
         t.M().EstablishConnectivity(fail, 1, 37 * kStep, 15 * kStep);
     },
     [](AllOrNothing&) {
         SCHINET& dialog = FormInstance<SCHINET>();
         dialog.F_NetName()->SetText("SPLIT");
         dialog.m_NameTouched = true;
         dialog.F_NetName_LostFocus();
         dialog.m_NamedState = 1;
         g_CurCommand = CMD_SPLIT_NET;
         dialog.F_Accept()->Press();
     },
     [](AllOrNothing& t) {
         // The dialog's answer reaches the command as an accepted one does.
         g_CurCommand = CMD_SPLIT_NET;
         FormInstance<SCHINET>().F_Cancel()->Press();
         t.M().F_FrmCmd->SetText("");
         t.M().F_FrmCmd->SetText("C19");
     }},
    {"wire segment delete",
     [](AllOrNothing& t) {
         t.Options({1});
         t.M().m_WireIsBus = false;
     },
     [](AllOrNothing& t) {
         int32_t fail = 0;
         t.Ui().ExpectPopupMenu("Yes");
         t.M().DeleteWireParts(fail, 10 * kStep, 5 * kStep);
     }},
    {"whole wire delete",
     [](AllOrNothing& t) {
         t.Options({0});
         t.M().m_WireIsBus = false;
     },
     [](AllOrNothing& t) {
         int32_t fail = 0;
         t.Ui().ExpectPopupMenu("Yes");
         t.M().DeleteWireParts(fail, 10 * kStep, 5 * kStep);
     }},
    {"bus delete", nullptr,
     [](AllOrNothing& t) {
         int32_t fail = 0;
         t.Ui().ExpectPopupMenu("Yes");
         t.M().DeleteBus(fail, -5 * kStep, 30 * kStep);
     }},
    {"bus rename", nullptr,
     [](AllOrNothing& t) {
         int32_t fail = 0;
         t.M().RenameBus(fail, AllOrNothing::BusId("B"), "BB");
     }},
    {"component delete", nullptr, [](AllOrNothing& t) { t.M().RemoveComponent(AllOrNothing::CompId("R2")); }},
    {"page clean", nullptr, [](AllOrNothing& t) { t.M().CleanPage(); }},
    {"block move", nullptr, [](AllOrNothing& t) { t.Block(BLOCK_MOVE, 7); }},
    {"block delete", nullptr, [](AllOrNothing& t) { t.Block(BLOCK_DELETE, 7); }},
    {"block to page",
     [](AllOrNothing& t) {
         t.M().m_BlockOrigPage = AllOrNothing::PageId("P1");
         g_CurPage = AllOrNothing::PageId("P2");
         DB_SetCurPage(g_CurPage);
     },
     [](AllOrNothing& t) { t.Block(BLOCK_TO_PAGE, 7); }},
};

TEST_F(AllOrNothing, EveryEditIsWholeOrNothing)
{
    design = kDesign;
    for (const Row& row : kEdits) Sweep(row);
}

// The net merge and the connectivity split called as code calls them,
// outside any action of the user: each keeps its steps, its highlight and
// node marks among them, in a change of its own, so that with any step
// refused the design is whole or as it was, no mark left behind.
TEST_F(AllOrNothing, NetMergeAndSplitAreWholeWhenCalledAlone)
{
    design = kDesign;
    alone = true;
    for (const Row& row : kEdits) {
        const std::string name = row.name;
        if (name == "net merge" || name == "connectivity split") Sweep(row);
    }
}

// Bus B on both pages with two members joined by drawn wires: R1's net in
// slot 0, R2's in slot 1.
const char* kBus = R"(
include discrete.nls
unit 0.1in
design D
level MAIN
bus B
page P1 frame 80 60
  component R1 R at 0 0
  component R2 R at 20 0
  buswire B (-10 -10) (30 -10) label 25 -11
end
page P2 frame 80 60
  buswire B (-10 -10) (30 -10) label 25 -11
end
)";

// Draws a net wire from the bus at (x, -10) down to pin 1 of the component
// at (x + 3, 0) and makes its net the bus member in `slot`.
void Member(AllOrNothing& t, double x, const char* slot)
{
    t.Type(slot, "as member:");
    int32_t fail = 1, px = static_cast<int32_t>(x * kStep), py = -10 * kStep;
    int32_t cy = 0;
    t.M().m_WireIsBus = false;
    t.M().CreateWireNet(fail, false, true, px, py);
    for (const double y : {-5.0, 0.0}) {
        cy = static_cast<int32_t>(y * kStep);
        g_CurBranchPoint.X = px;
        g_CurBranchPoint.Y = cy;
        O_ChangePosition(J_Junction(g_CurBranchPoint.Ref), px, cy);
        t.M().WireDrawStep(fail, px, cy);
    }
    t.M().m_JunctionRequest = -1;
    t.M().WireDrawStep(fail, px, py);
    t.M().m_JunctionRequest = 0;
}

const AllOrNothing::Row kMemberEdits[] = {
    {"bus member delete",
     [](AllOrNothing& t) {
         Member(t, -3, "0");
         Member(t, 17, "1");
     },
     [](AllOrNothing& t) {
         int32_t fail = 1;
         t.Ui().ExpectPopupMenu("Yes");
         t.M().DeleteBusMember(fail, -3 * kStep, -9 * kStep);
         t.reported = fail == 0 ? 1 : 0;
     }},
    {"bus member exchange",
     [](AllOrNothing& t) {
         Member(t, -3, "0");
         Member(t, 17, "1");
         int32_t fail = 1;
         t.M().ExchangeBusMembers(fail, 0, -3 * kStep, -9 * kStep);
     },
     [](AllOrNothing& t) {
         int32_t fail = 1;
         t.M().ExchangeBusMembers(fail, 1, 17 * kStep, -9 * kStep);
     }},
};

TEST_F(AllOrNothing, EveryBusMemberEditIsWholeOrNothing)
{
    design = kBus;
    for (const Row& row : kMemberEdits) Sweep(row);
}

}  // namespace
