// Bus deletion over two pages and bus renaming.
#include "editor/dialogs/schinet.h"
#include "editor/objects/net_text.h"
#include "editor/objects/wire_state.h"
#include "tests/editing/editing_fixture.h"

#include <gtest/gtest.h>

namespace {

using namespace palvane_test;

const char* kBuses = R"(
include discrete.nls
unit 0.1in
design D
level MAIN
net N
net K
bus B N K
bus C
page P1 frame 80 60
  component R1 R at 0 0
  component R2 R at 20 0
  wire N R1.2 R2.1
  buswire B (0 -10) (30 -10)
  buswire C (0 10) (30 10)
end
page P2 frame 80 60
  buswire B (0 -10) (30 -10)
end
)";

using Buses = EditingTest;

TEST_F(Buses, DeletingABusTypedByNameRemovesItsWiresOnEveryPage)
{
    Use(kBuses, "P1");
    Type("B", "Bus to Delete: ");
    int32_t fail = 1;
    Main().DeleteBus(fail, 35 * kStep, -25 * kStep);
    EXPECT_EQ(fail, 0);
    EXPECT_EQ(BusId("B"), 0);
    EXPECT_TRUE(Wires(BusId("C"), 1).size() == 1u);
    // The members stay, no longer members.
    ASSERT_NE(NetId("N"), 0);
    EXPECT_EQ(O_GetStatus(N_Net(NetId("N"))) & 8, 0);
    EXPECT_EQ(Wires(NetId("N")).size(), 1u);
}

TEST_F(Buses, AnUnknownBusNameIsReported)
{
    Use(kBuses, "P1");
    Type("NOPE");
    ui.ExpectMessageBox(1, "NOPE");
    int32_t fail = 0;
    Main().DeleteBus(fail, 35 * kStep, -25 * kStep);
    EXPECT_EQ(fail, 1);
    EXPECT_NE(BusId("B"), 0);
}

TEST_F(Buses, RenameRefusesATakenNameAndKeepsTheOld)
{
    Use(kBuses, "P1");
    int32_t fail = 0;
    ui.ExpectMessageBox(1, "already exists");
    Main().RenameBus(fail, BusId("B"), "C");
    EXPECT_EQ(fail, 1);
    EXPECT_NE(BusId("B"), 0);
    const int32_t b = BusId("B");
    Main().RenameBus(fail, b, "DATA");
    EXPECT_EQ(fail, 0);
    EXPECT_EQ(BusId("DATA"), b);
}

TEST_F(Buses, RenameNetRefusesATakenNameBeforeTouchingFlags)
{
    Use(kBuses, "P1");
    const int32_t n = NetId("N");
    const int32_t before = O_GetStatus(N_Net(n));
    int32_t fail = 0, flags = 1;
    std::string name = "K";
    ui.ExpectMessageBox(1, "already exists");
    Main().RenameNet(fail, n, name, flags);
    EXPECT_EQ(fail, 1);
    EXPECT_EQ(O_GetStatus(N_Net(n)), before);
}

}  // namespace

namespace {

using namespace palvane_test;
using NetPins = EditingTest;

// Picked pins that all belong to other nets leave no net behind.
TEST_F(NetPins, ANetFromTakenPinsIsDeletedAtOnce)
{
    Use(kBuses, "P1");
    const int32_t nets = Count(DB_NetMap());
    g_NetNodes.Redim(1, 2);
    g_NetNodes(1) = NodeRec{1, CompId("R1"), 2, 0, 0, 0, 0};
    g_NetNodes(2) = NodeRec{1, CompId("R2"), 1, 0, 0, 0, 0};
    ui.ExpectMessageBox(1, "Node included in Net: ");
    ui.ExpectMessageBox(1, "Node included in Net: ");
    int32_t fail = 0, net = 0;
    std::string name = "NEW";
    NetRec rec{};
    Main().CreateNet(fail, false, net, name, rec);
    EXPECT_EQ(fail, 1);
    EXPECT_EQ(Count(DB_NetMap()), nets);
}

// Picked pins make a plain net whatever flags an earlier dialog left, and
// the net dialog opens on the new net; its Cancel keeps the net as made.
TEST_F(NetPins, PickedPinsMakeAPlainNetAndOpenTheDialog)
{
    for (const int32_t stale : {0, 6}) {
        SCOPED_TRACE(stale);
        Use(kBuses, "P1");
        g_NetNodes.Redim(1, 2);
        g_NetNodes(1) = NodeRec{1, CompId("R1"), 1, 0, 0, 0, 0};
        g_NetNodes(2) = NodeRec{1, CompId("R2"), 2, 0, 0, 0, 0};
        g_NetEditFlags = stale;
        std::string text;
        ui.ExpectModal("SCHINET", [&](QWidget*) {
            text = g_NetNodeText;
            g_NetEditFlags = 0;
            FormInstance<SCHINET>().F_Cancel()->Press();
        });
        int32_t fail = 1, net = 0;
        std::string name = "NEW";
        NetRec rec{};
        Main().CreateNet(fail, false, net, name, rec);
        EXPECT_EQ(fail, 0);
        EXPECT_EQ(ui.pending(), 0u);
        ASSERT_EQ(net, NetId("NEW"));
        EXPECT_EQ(O_GetStatus(N_Net(net)) & 7, 1);
        EXPECT_NE(text.find("R1"), std::string::npos) << text;
        EXPECT_NE(text.find("R2"), std::string::npos) << text;
        NetRec after{};
        ASSERT_NE(N_ReadNet(net, &after), 0);
        EXPECT_EQ(after.Nodes, 2);
    }
}

}  // namespace
