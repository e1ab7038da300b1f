// Nets merged after the question (the survivor by kind, the refused pairs),
// renamed, and split into the group the user picks.
#include "editor/dialogs/schinet.h"
#include "editor/editing/editing_state.h"
#include "editor/interaction/commands.h"
#include "editor/objects/branches.h"
#include "editor/objects/integrity.h"
#include "editor/objects/net_lookups.h"
#include "editor/objects/net_text.h"
#include "editor/objects/wire_state.h"
#include "editor/shell/controls.h"
#include "editor/shell/forms.h"
#include "platform/kernel/testing.h"
#include "tests/editing/editing_fixture.h"

#include <gtest/gtest.h>

namespace {

using namespace palvane_test;

// A and U are made unnamed by the test; PG is power/ground; N1, N2 named;
// M1, M2 members of bus B. S has two unconnected wire groups; N1 a label.
const char* kNets = R"(
include discrete.nls
unit 0.1in
design D
level MAIN
net N1
net M1
net M2
net S
bus B M1 M2
page P1 frame 80 60
  component R1 R at 0 0
  component R2 R at 20 0
  component R3 R at 0 20
  component R4 R at 20 20
  component R5 R at 0 40
  component R6 R at 20 40
  component R7 R at 40 0
  component R8 R at 40 20
  net A R1.1
  net U R1.2
  net PG power R2.1
  net N2 R3.1
  wire M1 R3.2 (5 25)
  wire M2 R4.1 (15 25)
  wire N1 R2.2 (30 0) label 26 1
  wire S R5.2 R6.1
  wire S R7.2 (50 0)
  wire S R8.1 (37 10)
end
)";

class NetMerge : public EditingTest {
protected:
    void SetUp() override
    {
        EditingTest::SetUp();
        Use(kNets, "P1");
        for (const char* unnamed : {"A", "U"}) O_Mask(N_Net(NetId(unnamed)), 0, 4);
    }
    void TearDown() override
    {
        KT_FailCall("", 0);
        EditingTest::TearDown();
    }
    // The integrity check finds nothing to repair.
    static void ExpectIntegrityClean()
    {
        const std::string report = RunIntegrityCheck(nullptr);
        for (const char* ok : {"Netlist - OK", "Traces - OK", "Wires - OK"})
            EXPECT_NE(report.find(ok), std::string::npos) << report;
    }
    bool Beeped(size_t asked) const
    {
        for (size_t i = asked; i < ui.asked().size(); ++i)
            if (ui.asked()[i].kind == "Beep") return true;
        return false;
    }
    static int32_t Flags(const char* net) { return O_GetStatus(N_Net(NetId(net))) & 15; }
    static int32_t PinNet(const char* comp, int32_t entry)
    {
        int32_t status = 1, net = 0, node = 0;
        std::string name;
        FindPinNet(status, 0, CompId(comp), entry, net, name, node);
        return status == 0 ? net : 0;
    }
};

TEST_F(NetMerge, TheFixtureHasTheKindsOfNets)
{
    EXPECT_EQ(Flags("A") & 6, 0);
    EXPECT_EQ(Flags("PG") & 2, 2);
    EXPECT_EQ(Flags("N1") & 4, 4);
    EXPECT_EQ(Flags("M1") & 8, 8);
}

// The survivor: a bus member, else power/ground, else named, else the
// first picked; pairs of a bus member with power/ground or with another
// member are refused with their messages; the same net is no merge.
TEST_F(NetMerge, MergeTable)
{
    struct Case {
        const char* first;
        const char* second;
        const char* answer;   // popup answer; nullptr: no question
        const char* message;  // refusal message; nullptr: none
        const char* question; // the question's text
        const char* survivor; // nullptr: both stay
    } cases[] = {
        {"PG", "U", "Yes", nullptr, "Merge U to PG?", "PG"},
        {"U", "PG", "Yes", nullptr, "Merge U to PG?", "PG"},
        {"A", "N2", "Yes", nullptr, "Merge A to N2?", "N2"},
        {"N2", "A", "Yes", nullptr, "Merge A to N2?", "N2"},
        {"N1", "N2", "Yes", nullptr, "Merge N2 to N1?", "N1"},
        {"N2", "N1", "Yes", nullptr, "Merge N1 to N2?", "N2"},
        {"A", "M1", "Yes", nullptr, "Merge A to M1?", "M1"},
        {"N1", "N2", "No", nullptr, "Merge N2 to N1?", nullptr},
        {"N1", "N2", "", nullptr, "Merge N2 to N1?", nullptr},
        {"PG", "M1", nullptr, "Can't merge Pwr/Gnd with bus member", "", nullptr},
        {"M2", "PG", nullptr, "Can't merge Pwr/Gnd with bus member", "", nullptr},
        {"M1", "M2", nullptr, "Can't merge two bus members", "", nullptr},
        {"N1", "N1", nullptr, nullptr, "", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.first) + " + " + c.second + " " + (c.answer ? c.answer : "-"));
        Use(kNets, "P1");
        for (const char* unnamed : {"A", "U"}) O_Mask(N_Net(NetId(unnamed)), 0, 4);
        const int32_t first = NetId(c.first), second = NetId(c.second);
        const int32_t nets = Count(DB_NetMap());
        if (c.answer) ui.ExpectPopupMenu(c.answer, c.question);
        if (c.message) ui.ExpectMessageBox(1, c.message);
        const int32_t ratsnest = g_ShowRatsnest;
        int32_t fail = 0, target = first, source = second;
        Main().ConfirmNetMerge(fail, target, source);
        EXPECT_EQ(ui.pending(), 0u);
        EXPECT_EQ(g_ShowRatsnest, ratsnest);
        EXPECT_EQ(Main().m_CanvasDCLevel, 0);
        if (c.survivor) {
            EXPECT_EQ(fail, 0);
            EXPECT_EQ(target, NetId(c.survivor));
            EXPECT_EQ(Count(DB_NetMap()), nets - 1);
            EXPECT_EQ(N_Net(target == first ? second : first), 0);
        } else {
            EXPECT_EQ(fail, 1);
            EXPECT_EQ(Count(DB_NetMap()), nets);
            EXPECT_NE(N_Net(first), 0);
            EXPECT_NE(N_Net(second), 0);
        }
    }
}

// A kernel step of the merge refused after the user said Yes: the merge
// and its highlights go back whole, also called outside an action (the
// design is as before the question, no highlight mark left), the user is
// told and the caller hears of no merge.
TEST_F(NetMerge, ARefusedMergeIsTakenBackAndReported)
{
    int32_t fail = 0, target = 0, source = 0;
    struct Refusal {
        const char* call;
        int32_t n;
    } refusals[] = {{"B_ChangeBranchNet", 2}, {"OM_Add", 3}, {"OM_Delete", 1}};
    for (const Refusal& r : refusals) {
        SCOPED_TRACE(std::string(r.call) + " " + std::to_string(r.n));
        Use(kNets, "P1");
        const int32_t n1 = NetId("N1"), s = NetId("S");
        const auto wires = Wires(s);
        ASSERT_EQ(wires.size(), 3u);
        const uint64_t before = KT_DesignDigest();
        ui.ExpectPopupMenu("Yes", "Merge S to N1?");
        ui.ExpectMessageBox(1, "Can't connect S to N1");
        fail = 0;
        target = n1;
        source = s;
        KT_FailCall(r.call, r.n);
        Main().ConfirmNetMerge(fail, target, source);
        EXPECT_EQ(KT_CallsCounted(), r.n) << "the refused call was not reached";
        KT_FailCall("", 0);
        EXPECT_EQ(fail, 1);
        EXPECT_EQ(ui.pending(), 0u);
        EXPECT_EQ(Main().m_CanvasDCLevel, 0);
        EXPECT_EQ(NetId("S"), s);
        EXPECT_EQ(Wires(s), wires);
        EXPECT_EQ(PinNet("R8", 1), s);
        EXPECT_EQ(KT_DesignDigest(), before);
        ExpectIntegrityClean();
    }
}

// Renaming: an unnamed net loses its name texts, a bus member keeps bit 8,
// a taken name changes nothing.
TEST_F(NetMerge, RenameTable)
{
    struct Case {
        const char* net;
        const char* name;
        int32_t dialogFlags;
        int32_t fail;
        int32_t flags;       // the net's low four bits afterwards
        const char* nameOut; // the name given back
    } cases[] = {
        {"N2", "N1", 5, 1, 5, "N1"},
        {"N1", "UN7", 1, 0, 1, ""},
        {"M1", "DATA0", 5, 0, 13, "DATA0"},
        {"N2", "VCC", 7, 0, 7, "VCC"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.net) + " -> " + c.name);
        const int32_t net = NetId(c.net);
        const int32_t labels = c.net == std::string("N1") ? OA_GetCount(B_BranchTextArray(Wires(net).at(0))) : 0;
        if (c.fail) ui.ExpectMessageBox(1, "already exists");
        g_NetEditFlags = c.dialogFlags;
        int32_t fail = 0, flags = O_GetStatus(N_Net(net)) & 15;
        std::string name = c.name;
        Main().RenameNet(fail, net, name, flags);
        EXPECT_EQ(fail, c.fail);
        EXPECT_EQ(O_GetStatus(N_Net(net)) & 15, c.flags);
        EXPECT_EQ(name, c.nameOut);
        if (c.fail == 0) {
            EXPECT_EQ(NetId(c.name), net);
        }
        if (labels > 0) {
            // The unnamed net's name text shows nothing any more.
            const int32_t texts = B_BranchTextArray(Wires(net).at(0));
            ASSERT_EQ(OA_GetCount(texts), 1);
            ItemRec item{};
            ASSERT_NE(I_ReadItem(OA_Object(texts, 1), &item), 0);
            EXPECT_STREQ(item.Text ? item.Text : "", "");
        }
    }
    g_NetEditFlags = 0;
}

class NetSplit : public NetMerge {
protected:
    void Pick(const char* net)
    {
        g_CurNet = NetId(net);
        g_CurNetName = net;
    }
    // Stage 1 on the wire from R8.1 to (37 10), the group that goes.
    void ClickGroup(int32_t& fail) { Main().EstablishConnectivity(fail, 1, 37 * kStep, 15 * kStep); }
    void Accept(const char* name)
    {
        SCHINET& dialog = FormInstance<SCHINET>();
        ASSERT_TRUE(dialog.IsLoaded());
        dialog.F_NetName()->SetText(name);
        dialog.m_NameTouched = true;
        dialog.F_NetName_LostFocus();
        dialog.m_NamedState = 1;
        // The dialog's answer goes to the running split command.
        g_CurCommand = CMD_SPLIT_NET;
        dialog.F_Accept()->Press();
    }
};

TEST_F(NetSplit, ANetInOneGroupIsRefused)
{
    Pick("N1");
    int32_t fail = 0;
    Main().EstablishConnectivity(fail, 0, 0, 0);
    EXPECT_EQ(fail, 1);
    EXPECT_NE(Main().F_MsgLine->Caption().find("N1 - all existing connections in one branch"), std::string::npos);
    // A net without wires.
    Pick("N2");
    Main().EstablishConnectivity(fail, 0, 0, 0);
    EXPECT_EQ(fail, 1);
    EXPECT_NE(Main().F_MsgLine->Caption().find("N2 - no routed connections"), std::string::npos);
}

TEST_F(NetSplit, TheClickedGroupBecomesANetOfItsOwnWithTheDialogsName)
{
    Pick("S");
    int32_t fail = 1;
    Main().EstablishConnectivity(fail, 0, 0, 0);
    ASSERT_EQ(fail, 0);
    ClickGroup(fail);
    ASSERT_EQ(fail, 0);
    // The dialog lists the group's one pin.
    EXPECT_NE(g_NetNodeText.find("R8/1,1"), std::string::npos) << g_NetNodeText;
    EXPECT_EQ(g_NetNodeText.find("R5"), std::string::npos) << g_NetNodeText;
    Accept("SPLIT");
    ASSERT_NE(NetId("SPLIT"), 0);
    EXPECT_EQ(PinNet("R8", 1), NetId("SPLIT"));
    EXPECT_EQ(PinNet("R5", 2), NetId("S"));
    EXPECT_EQ(PinNet("R7", 2), NetId("S"));
    EXPECT_EQ(Wires(NetId("SPLIT")).size(), 1u);
    EXPECT_EQ(Flags("SPLIT"), 5);
    EXPECT_EQ(Main().m_SplitPending, 0);
    // No highlight mark stays on the nodes.
    int32_t cursor = OM_GetFirst(N_NodeMap(NetId("S")));
    EXPECT_EQ(OM_SearchMask(N_NodeMap(NetId("S")), &cursor, 0x80, 0x80), 0);
}

// The design changed while the dialog was open: the clicked wire went, or
// the groups were joined; the split does nothing.
TEST_F(NetSplit, AChangeBeforeTheDialogReturnsIsChecked)
{
    for (const bool wireGone : {true, false}) {
        SCOPED_TRACE(wireGone ? "wire gone" : "groups joined");
        Use(kNets, "P1");
        Pick("S");
        int32_t fail = 1;
        Main().EstablishConnectivity(fail, 0, 0, 0);
        ClickGroup(fail);
        ASSERT_EQ(fail, 0);
        const int32_t nets = Count(DB_NetMap());
        if (wireGone) {
            DeleteBranch(Main().m_SplitBranch);
        } else {
            // One wire from the R8 group to the R5 group and one from the
            // R5 group to the R7 group: one group.
            struct Pin {
                const char* comp;
                int32_t entry;
            };
            for (const auto& [a, b] : {std::pair{Pin{"R8", 1}, Pin{"R5", 2}}, std::pair{Pin{"R5", 2}, Pin{"R7", 2}}}) {
                const int32_t w = B_CreateBranch(0, 1, NetId("S"));
                ASSERT_NE(w, 0);
                int32_t net = 0;
                ASSERT_NE(B_InsertRecord(w, -1, 3, N_FindCompEntry(CompId(a.comp), a.entry, &net)), 0);
                ASSERT_NE(B_InsertRecord(w, -1, 3, N_FindCompEntry(CompId(b.comp), b.entry, &net)), 0);
            }
        }
        const size_t asked = ui.asked().size();
        Accept("SPLIT");
        EXPECT_TRUE(Beeped(asked)) << "the split that did not happen said nothing";
        EXPECT_EQ(Count(DB_NetMap()), nets);
        EXPECT_EQ(NetId("SPLIT"), 0);
        EXPECT_EQ(PinNet("R8", 1), NetId("S"));
        EXPECT_EQ(Main().m_SplitPending, 0);
        int32_t cursor = OM_GetFirst(N_NodeMap(NetId("S")));
        EXPECT_EQ(OM_SearchMask(N_NodeMap(NetId("S")), &cursor, 0x80, 0x80), 0);
    }
}

// A kernel step of the split refused after the dialog was accepted (the new
// net, a wire that would not move, a pin that would not follow): the net
// stays whole, the user is told, and no pin is left apart from its wire.
// The refused mark of the group's only pin leaves nothing to move: the
// editor beeps.
TEST_F(NetSplit, ARefusedSplitIsTakenBackAndReported)
{
    struct Refusal {
        const char* call;
        int32_t n;
        const char* message;  // nullptr: a beep
    } refusals[] = {{"B_ChangeBranchNet", 1, "create Net: SPLIT"},
                    {"OM_Add", 1, "create Net: SPLIT"},
                    {"N_CreateNet", 1, "create Net: SPLIT"},
                    {"O_Mask", 1, nullptr}};
    for (const Refusal& r : refusals) {
        SCOPED_TRACE(std::string(r.call) + " " + std::to_string(r.n));
        Use(kNets, "P1");
        Pick("S");
        const uint64_t before = KT_DesignDigest();
        int32_t fail = 1;
        Main().EstablishConnectivity(fail, 0, 0, 0);
        ClickGroup(fail);
        ASSERT_EQ(fail, 0);
        const int32_t nets = Count(DB_NetMap());
        if (r.message) ui.ExpectMessageBox(1, r.message);
        const size_t asked = ui.asked().size();
        KT_FailCall(r.call, r.n);
        Accept("SPLIT");
        EXPECT_TRUE(Beeped(asked));
        EXPECT_GE(KT_CallsCounted(), r.n) << "the refused call was not reached";
        KT_FailCall("", 0);
        EXPECT_EQ(ui.pending(), 0u);
        EXPECT_EQ(Count(DB_NetMap()), nets);
        EXPECT_EQ(NetId("SPLIT"), 0);
        EXPECT_EQ(PinNet("R8", 1), NetId("S"));
        EXPECT_EQ(Wires(NetId("S")).size(), 3u);
        EXPECT_EQ(Main().m_SplitPending, 0);
        EXPECT_EQ(KT_DesignDigest(), before);
        ExpectIntegrityClean();
    }
}

}  // namespace
