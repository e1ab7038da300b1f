// Deleting a set of components at once: the same design as deleting them
// one after the other, refusals passed over, and an empty set.
#include "editor/objects/components.h"
#include "editor/shell/textfiles.h"
#include "platform/kernel/testing.h"
#include "tests/objects/wire_fixture.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace palvane_test;

// N: R1.2 - R2.1 alone. M: R2.2 - (30 5) - R3.1, R3 staying when R2 goes.
// K (a member of bus B): R1.1 - (-3 10) - R4.1, and a wire from that
// junction to (-10 10). L: R4.2 without a wire.
const char* kFourComps = R"(
include discrete.nls
unit 0.1in
design D
level MAIN
net N
net M
net K
bus B K
page P frame 80 40
  component R1 R at 0 0
  component R2 R at 20 0
  component R3 R at 40 0
  component R4 R at 0 20
  net L R4.2
  wire N R1.2 R2.1
  wire M R2.2 (30 5) R3.1
  wire K R1.1 (-3 10) R4.1
  wire K (-3 10) (-10 10)
end
)";

// Every id of a map, ascending.
std::vector<int32_t> Ids(int32_t map)
{
    std::vector<int32_t> ids;
    int32_t cursor = OM_GetFirst(map);
    while (const int32_t id = OM_SearchMask(map, &cursor, 0, 0)) ids.push_back(id);
    return ids;
}

class CompSetDeletion : public KernelTest {
protected:
    void SetUp() override
    {
        KernelTest::SetUp();
        ASSERT_TRUE(BuildDesign(kFourComps));
    }

    // The components, nets with their nodes, bus members, wires with their
    // records and junctions of the level, statuses included.
    static std::string Snapshot()
    {
        std::ostringstream out;
        for (const int32_t id : Ids(DB_SchCompMap())) out << "C" << id << " " << O_GetStatus(C_Component(id)) << "\n";
        for (const int32_t net : Ids(DB_NetMap())) {
            out << "N" << net << " " << O_GetStatus(N_Net(net)) << ":";
            for (const int32_t node : Ids(N_NodeMap(net))) {
                NodeRec rec{};
                N_ReadNode(net, node, &rec);
                out << " " << node << "=" << rec.Comp << "." << rec.Entry << "/" << rec.Flags;
            }
            out << "\n";
        }
        for (const int32_t bus : Ids(DB_BusMap())) {
            BusRec rec{};
            N_ReadBus(bus, &rec);
            out << "B" << bus << ":";
            for (int32_t i = 0; i < rec.Members; ++i) out << " " << N_ReadBusMember(bus, i);
            out << "\n";
        }
        for (const int32_t branch : Ids(DB_BranchMap())) {
            BranchRec rec{};
            B_ReadBranch(branch, &rec);
            out << "W" << branch << " " << rec.Flags << " " << rec.Net << ":";
            for (int32_t i = 1; i <= rec.Points; ++i) {
                const BranchPointRec p = Point(branch, i);
                out << " " << p.Flags << "/" << p.Ref;
            }
            out << "\n";
        }
        for (const int32_t j : Ids(DB_JunctMap())) out << "J" << j << " " << O_GetStatus(J_Junction(j)) << "\n";
        return out.str();
    }

    // The nodes of the level on the component's schematic pin.
    static int PinNodeCount(int32_t comp, int32_t entry)
    {
        int count = 0;
        for (const int32_t net : Ids(DB_NetMap()))
            for (const int32_t node : Ids(N_NodeMap(net))) {
                NodeRec rec{};
                if (N_ReadNode(net, node, &rec) != 0 && rec.Comp == comp && rec.Entry == entry) ++count;
            }
        return count;
    }

    static std::vector<int32_t> Comps(std::initializer_list<const char*> names)
    {
        std::vector<int32_t> ids;
        for (const char* name : names) ids.push_back(Comp(name));
        return ids;
    }
};

TEST_F(CompSetDeletion, LeavesTheDesignThatOneDeletionAfterTheOtherLeaves)
{
    struct Case {
        const char* what;
        std::vector<const char*> comps;
    } cases[] = {
        {"the two ends of a wire", {"R1", "R2"}},
        {"the same, other order", {"R2", "R1"}},
        {"a net shared with a component not in the set", {"R2"}},
        {"both pins of a bus member's wire", {"R1", "R4"}},
        {"every component", {"R1", "R2", "R3", "R4"}},
        {"a component named twice", {"R4", "R1", "R4"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(BuildDesign(kFourComps));
        std::vector<int32_t> ids;
        for (const char* name : c.comps) ids.push_back(Comp(name));
        for (const int32_t id : ids) DeleteComp(id);
        const std::string oneByOne = Snapshot();

        ASSERT_TRUE(BuildDesign(kFourComps));
        DeleteComps(ids);
        EXPECT_EQ(Snapshot(), oneByOne);
        for (const int32_t id : ids) EXPECT_EQ(C_Component(id), 0);
    }
}

TEST_F(CompSetDeletion, KeepsWhatOtherComponentsStillUse)
{
    const int32_t r3 = Comp("R3"), r4 = Comp("R4");
    DeleteComps(Comps({"R1", "R2"}));
    EXPECT_EQ(Net("N"), 0);
    // M keeps R3's node and its wire, which lost R2's end.
    ASSERT_NE(Net("M"), 0);
    const std::vector<int32_t> m = Branches(Net("M"));
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(Points(m[0]), 2);
    NetRec rec{};
    ASSERT_NE(N_ReadNet(Net("M"), &rec), 0);
    EXPECT_EQ(rec.Nodes, 1);
    EXPECT_NE(C_Component(r3), 0);
    EXPECT_NE(C_Component(r4), 0);
    // K's wires: R1's end gone, the rest kept.
    ASSERT_NE(Net("K"), 0);
    EXPECT_EQ(Branches(Net("K")).size(), 2u);
}

TEST_F(CompSetDeletion, TakesEachComponentsScratchFileObjects)
{
    const std::vector<int32_t> ids = Comps({"R1", "R3"});
    const int32_t kept = Comp("R2");
    for (const int32_t id : {ids[0], ids[1], kept})
        ASSERT_NE(F_CreateFile(0, TempFileObjectName("!SEX", id, g_CurHier).c_str()), 0);
    DeleteComps(ids);
    for (const int32_t id : ids)
        EXPECT_EQ(OM_FindName(DB_FileMap(), TempFileObjectName("!SEX", id, g_CurHier).c_str()), 0);
    EXPECT_NE(OM_FindName(DB_FileMap(), TempFileObjectName("!SEX", kept, g_CurHier).c_str()), 0);
}

TEST_F(CompSetDeletion, AnEmptySetChangesNothing)
{
    const std::string before = Snapshot();
    DeleteComps({});
    EXPECT_EQ(Snapshot(), before);
}

TEST_F(CompSetDeletion, RefusalsArePassedOver)
{
    struct Case {
        const char* what;
        const char* call;
        int32_t n, times;
    } cases[] = {
        // The first record at R1's pins stays; the other wires lose theirs.
        {"a wire record", "B_DeleteRecord", 1, 1},
        // A node stays with its net; the others go.
        {"a node", "AddToHeap", 1, 1},
        // No wire, net or component goes; records and nodes do.
        {"every object deletion", "OM_Delete", 1, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(BuildDesign(kFourComps));
        const std::vector<int32_t> ids = Comps({"R1", "R2", "R4"});
        const int32_t r3 = Comp("R3");
        KT_FailCall(c.call, c.n, c.times);
        DeleteComps(ids);
        KT_FailCall("", 0);
        // R3 and its net are untouched; M's wire lost R2's end all the same.
        EXPECT_NE(C_Component(r3), 0);
        ASSERT_NE(Net("M"), 0);
        ASSERT_EQ(Branches(Net("M")).size(), 1u);
        EXPECT_EQ(Points(Branches(Net("M"))[0]), 2);
        int comps = 0, nodes = 0;
        for (const int32_t id : ids) {
            comps += C_Component(id) != 0;
            for (int32_t entry : {1, 2}) nodes += PinNodeCount(id, entry);
        }
        const bool objectsKept = std::string(c.call) == "OM_Delete";
        EXPECT_EQ(comps, objectsKept ? 3 : 0);
        EXPECT_EQ(nodes, std::string(c.call) == "AddToHeap" ? 1 : 0);
    }
}

}  // namespace
