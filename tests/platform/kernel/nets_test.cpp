// Nets, nodes, buses, branches with their point records and texts,
// junctions, and the layout's traces, vias and bend points, through the
// exported kernel functions only.
#include "platform/kernel/nvokernel32.h"
#include "tests/support/kernel_fixture.h"

#include <string>
#include <vector>

namespace {

using KernelNets = palvane_test::KernelTest;

std::vector<int32_t> WalkAll(int32_t map, int32_t value = 0, int32_t mask = 0)
{
    std::vector<int32_t> ids;
    int32_t cursor = OM_GetFirst(map);
    while (int32_t id = OM_SearchMask(map, &cursor, value, mask)) ids.push_back(id);
    return ids;
}

// The node view is kernel-wide; every test leaves it on the schematic side.
class NodeView {
public:
    explicit NodeView(int32_t view) { N_SetNodeView(view); }
    ~NodeView() { N_SetNodeView(0); }
};

NetRec ReadNet(int32_t net)
{
    NetRec rec{};
    EXPECT_EQ(N_ReadNet(net, &rec), 1) << "net " << net;
    return rec;
}

BranchRec ReadBranch(int32_t branch)
{
    BranchRec rec{};
    EXPECT_EQ(B_ReadBranch(branch, &rec), 1) << "branch " << branch;
    return rec;
}

BranchPointRec ReadPoint(int32_t branch, int32_t index)
{
    BranchPointRec rec{};
    EXPECT_EQ(B_ReadRecord(branch, index, &rec), 1) << "branch " << branch << " record " << index;
    return rec;
}

TracePointRec ReadTracePoint(int32_t trace, int32_t index)
{
    TracePointRec rec{};
    EXPECT_EQ(T_ReadRecord(trace, index, &rec), 1) << "trace " << trace << " record " << index;
    return rec;
}

// The references of a branch's point records, in order.
std::vector<int32_t> Refs(int32_t branch)
{
    std::vector<int32_t> refs;
    BranchPointRec rec{};
    for (int32_t i = 1; B_ReadRecord(branch, i, &rec); ++i) refs.push_back(rec.Ref);
    return refs;
}

std::vector<int32_t> Members(int32_t bus)
{
    BusRec rec{};
    EXPECT_EQ(N_ReadBus(bus, &rec), 1);
    std::vector<int32_t> nets;
    for (int32_t i = 0; i < rec.Members; ++i) nets.push_back(N_ReadBusMember(bus, i));
    return nets;
}

std::vector<int32_t> SearchNetPage(int32_t kind, int32_t owner, int32_t page)
{
    std::vector<int32_t> found;
    int32_t cursor = OM_GetFirst(DB_BranchMap());
    while (int32_t id = B_SearchNetPage(&cursor, kind, owner, page)) found.push_back(id);
    return found;
}

// A schematic symbol with three entries and a layout symbol with two pads,
// one component of each placed at known positions.
struct Parts {
    int32_t symbol = 0, package = 0;
    int32_t comp = 0, comp2 = 0, layComp = 0;
};

Parts MakeParts()
{
    Parts p;
    p.symbol = S_CreateSymbol(0, "GATE");
    S_AddEntry(p.symbol, "A", 100, 0, 0, 0, 0, 0);
    S_AddEntry(p.symbol, "B", 0, 200, 0, 0, 0, 0);
    S_AddEntry(p.symbol, "Y", 300, 300, 0, 0, 0, 0);
    p.package = S_CreateSymbol(0, "DIP");
    O_Mask(S_Symbol(p.package), 2, 3);
    S_AddEntry(p.package, "1", 10, 20, 0, 0, 0, 0);
    S_AddEntry(p.package, "2", 30, 40, 0, 0, 0, 0);
    p.comp = C_CreateComponent(0, "U1", 1, 0, p.symbol, 1, 1000, 2000, 0);
    p.comp2 = C_CreateComponent(0, "U2", 1, 0, p.symbol, 1, 5000, 5000, 0);
    // Its own id, so that no schematic component id names it by chance.
    p.layComp = L_CreateComponent(50, "IC1", 0, 0, p.package, 1, 70000, 80000, 0);
    EXPECT_NE(p.comp, 0);
    EXPECT_NE(p.comp2, 0);
    EXPECT_NE(p.layComp, 0);
    return p;
}

// ---- Nets ----------------------------------------------------------------------------

TEST_F(KernelNets, NetRecordRoundTripAndIds)
{
    ASSERT_EQ(N_CreateNet(0, 7, "VCC"), 1);
    ASSERT_EQ(N_CreateNet(5, 257, "#5"), 5);
    EXPECT_EQ(N_CreateNet(5, 1, "again"), 0);  // an explicit id must be free
    EXPECT_EQ(N_CreateNet(0, 1, ""), 2);       // unnamed nets are allowed
    EXPECT_EQ(N_CreateNet(-3, 1, "special"), 0);

    const NetRec rec = ReadNet(5);
    EXPECT_EQ(rec.Flags, 257);
    EXPECT_STREQ(rec.Name, "#5");
    EXPECT_EQ(rec.Nodes, 0);
    EXPECT_EQ(rec.Bus, 0);

    // Flags are the status word seen through the handle.
    const int32_t handle = N_Net(1);
    ASSERT_NE(handle, 0);
    EXPECT_EQ(N_Net(1), handle);
    ASSERT_EQ(O_Mask(handle, 8, 8), 1);
    EXPECT_EQ(ReadNet(1).Flags, 15);
    EXPECT_STREQ(O_GetName(handle), "VCC");
    EXPECT_EQ(OM_FindName(DB_NetMap(), "VCC"), 1);
    EXPECT_EQ(WalkAll(DB_NetMap()), (std::vector<int32_t>{1, 2, 5}));

    ASSERT_EQ(OM_Delete(DB_NetMap(), 1), 1);
    EXPECT_EQ(N_Net(1), 0);
    EXPECT_EQ(O_GetName(handle), nullptr);
    EXPECT_EQ(N_CreateNet(0, 1, "reuses"), 1);
    EXPECT_NE(N_Net(1), handle);
}

// ---- Nodes ---------------------------------------------------------------------------

TEST_F(KernelNets, NodeIdsAreUniqueAcrossTheNetsOfALevel)
{
    const int32_t a = N_CreateNet(0, 1, "A"), b = N_CreateNet(0, 1, "B");
    EXPECT_EQ(N_CreateNode(a, 0, 0, 0, 0, 0), 1);
    EXPECT_EQ(N_CreateNode(b, 0, 0, 0, 0, 0), 2);
    EXPECT_EQ(N_CreateNode(b, 1, 0, 0, 0, 0), 0);  // node 1 lives in net a
    EXPECT_EQ(N_CreateNode(a, 7, 0, 0, 0, 0), 7);
    EXPECT_EQ(N_CreateNode(b, 0, 0, 0, 0, 0), 3);
    EXPECT_EQ(N_CreateNode(b, -1, 0, 0, 0, 0), 0);

    EXPECT_NE(N_Node(a, 1), 0);
    EXPECT_EQ(N_Node(b, 1), 0);  // a node is reached through its own net only
    NodeRec rec{};
    EXPECT_EQ(N_ReadNode(b, 1, &rec), 0);
    EXPECT_EQ(WalkAll(N_NodeMap(a)), (std::vector<int32_t>{1, 7}));
    EXPECT_EQ(WalkAll(N_NodeMap(b)), (std::vector<int32_t>{2, 3}));
    EXPECT_EQ(ReadNet(a).Nodes, 2);
    EXPECT_EQ(OM_GetCount(N_NodeMap(b)), 2);

    // A node deleted from one net can be made again under its id in another.
    ASSERT_EQ(OM_Delete(N_NodeMap(a), 7), 1);
    EXPECT_EQ(N_CreateNode(b, 7, 0, 0, 0, 0), 7);
    EXPECT_EQ(ReadNet(a).Nodes, 1);
    EXPECT_EQ(ReadNet(b).Nodes, 3);
}

TEST_F(KernelNets, MovingNodesBetweenNetsKeepsTheirIdsAndHandles)
{
    const int32_t target = N_CreateNet(0, 1, "TARGET"), source = N_CreateNet(0, 1, "SOURCE");
    for (int i = 0; i < 3; ++i) N_CreateNode(target, 0, 0, 0, 0, 0);  // 1, 2, 3
    for (int i = 0; i < 2; ++i) N_CreateNode(source, 0, 0, 0, 0, 0);  // 4, 5
    const int32_t moved = N_Node(source, 5);
    O_Mask(moved, 128, 128);

    // Merge: every node of the source goes into the target's node map.
    const int32_t sourceMap = N_NodeMap(source), targetMap = N_NodeMap(target);
    int32_t cursor = OM_GetFirst(sourceMap);
    while (int32_t node = OM_SearchMask(sourceMap, &cursor, 0, 0))
        EXPECT_EQ(OM_Add(targetMap, N_Node(source, node), 0), node);

    EXPECT_EQ(WalkAll(targetMap), (std::vector<int32_t>{1, 2, 3, 4, 5}));
    EXPECT_EQ(OM_GetCount(sourceMap), 0);
    EXPECT_EQ(N_Node(target, 5), moved);
    EXPECT_EQ(O_GetStatus(moved), 128);
    NodeRec rec{};
    EXPECT_EQ(N_ReadNode(target, 5, &rec), 1);
    EXPECT_EQ(rec.Flags, 128);

    // The moved ids stay taken; the emptied net goes without freeing any.
    ASSERT_EQ(OM_Delete(DB_NetMap(), source), 1);
    EXPECT_EQ(N_CreateNode(target, 0, 0, 0, 0, 0), 6);
    // Deleting a net deletes its nodes and frees their ids.
    ASSERT_EQ(OM_Delete(DB_NetMap(), target), 1);
    EXPECT_EQ(O_GetStatus(moved), 0);
    EXPECT_EQ(GetFreeID(3), 1);
}

TEST_F(KernelNets, NodeHeapGivesIdsBack)
{
    const int32_t net = N_CreateNet(0, 1, "N");
    for (int i = 0; i < 4; ++i) ASSERT_EQ(N_CreateNode(net, 0, 0, 0, 0, 0), i + 1);
    const int32_t third = N_Node(net, 3);

    EXPECT_EQ(AddToHeap(N_NodeMap(net), 3, 3), 3);
    EXPECT_EQ(N_Node(net, 3), 0);
    EXPECT_EQ(O_GetStatus(third), 0);  // its handle is stale
    EXPECT_EQ(ReadNet(net).Nodes, 3);
    EXPECT_EQ(AddToHeap(N_NodeMap(net), 3, 3), 0);  // already gone

    // The freed id is handed out again and a reservation is used up by the
    // creation that names it; kernel-chosen ids skip it meanwhile.
    EXPECT_EQ(GetFreeID(3), 3);
    EXPECT_EQ(N_CreateNode(net, 0, 0, 0, 0, 0), 5);
    EXPECT_EQ(N_CreateNode(net, 3, 0, 0, 0, 0), 3);
    EXPECT_EQ(GetFreeID(3), 6);
    ASSERT_EQ(MakeHeap(3, 0), 1);
    EXPECT_EQ(GetFreeID(3), 6);
}

TEST_F(KernelNets, NodesOnPinsAndTheirPositionsOnBothSides)
{
    const Parts p = MakeParts();
    const int32_t net = N_CreateNet(0, 1, "N");
    ASSERT_EQ(N_CreateNode(net, 0, p.comp, 2, p.layComp, 1), 1);
    EXPECT_EQ(N_CreateNode(net, 0, p.comp + 100, 1, 0, 0), 0);     // no such component
    EXPECT_EQ(N_CreateNode(net, 0, 0, 0, p.layComp + 100, 1), 0);  // no such layout component

    NodeRec rec{};
    ASSERT_EQ(N_ReadNode(net, 1, &rec), 1);
    EXPECT_EQ(rec.Flags, 0);
    EXPECT_EQ(rec.Comp, p.comp);
    EXPECT_EQ(rec.Entry, 2);
    EXPECT_EQ(rec.LayComp, p.layComp);
    EXPECT_EQ(rec.LayEntry, 1);
    EXPECT_EQ(rec.X, 1000);  // the entry's position on the page
    EXPECT_EQ(rec.Y, 2200);
    {
        NodeView layout(1);
        ASSERT_EQ(N_ReadNode(net, 1, &rec), 1);
        EXPECT_EQ(rec.Comp, p.comp);  // both sides whatever the view
        EXPECT_EQ(rec.X, 70010);      // the pad's position
        EXPECT_EQ(rec.Y, 80020);
    }

    // The position follows the component as it moves and turns.
    ASSERT_EQ(O_ChangePosition(C_Component(p.comp), 3000, 4000), 1);
    ASSERT_EQ(C_ChangeCompDispAttr(p.comp, 90000, 1), 1);
    EntryRec entry{};
    ASSERT_EQ(C_ReadEntry(p.comp, 2, &entry), 1);
    ASSERT_EQ(N_ReadNode(net, 1, &rec), 1);
    EXPECT_EQ(rec.X, entry.X);
    EXPECT_EQ(rec.Y, entry.Y);
    EXPECT_NE(entry.X, 3000);

    // A side that is not set shows no position.
    ASSERT_EQ(N_CreateNode(net, 0, 0, 0, p.layComp, 2), 2);
    ASSERT_EQ(N_ReadNode(net, 2, &rec), 1);
    EXPECT_EQ(rec.X, 0);
    EXPECT_EQ(rec.Y, 0);
}

TEST_F(KernelNets, ChangeNodeWorksOnTheViewedSideOnly)
{
    const Parts p = MakeParts();
    const int32_t net = N_CreateNet(0, 1, "N");
    ASSERT_EQ(N_CreateNode(net, 0, p.comp, 1, p.layComp, 1), 1);
    NodeRec rec{};

    ASSERT_EQ(N_ChangeNode(net, 1, p.comp2, 3), 1);
    ASSERT_EQ(N_ReadNode(net, 1, &rec), 1);
    EXPECT_EQ(rec.Comp, p.comp2);
    EXPECT_EQ(rec.Entry, 3);
    EXPECT_EQ(rec.LayComp, p.layComp);  // the other side is kept
    EXPECT_EQ(rec.LayEntry, 1);
    {
        NodeView layout(1);
        ASSERT_EQ(N_ChangeNode(net, 1, 0, 0), 1);  // clears the layout side
        EXPECT_EQ(N_ChangeNode(net, 1, p.layComp + 100, 1), 0);
    }
    ASSERT_EQ(N_ReadNode(net, 1, &rec), 1);
    EXPECT_EQ(rec.LayComp, 0);
    EXPECT_EQ(rec.LayEntry, 0);
    EXPECT_EQ(rec.Comp, p.comp2);
    EXPECT_EQ(N_ChangeNode(net, 1, p.comp + 100, 1), 0);  // no such component
    EXPECT_EQ(N_ChangeNode(net, 9, p.comp, 1), 0);         // no such node
    ASSERT_EQ(N_ReadNode(net, 1, &rec), 1);
    EXPECT_EQ(rec.Comp, p.comp2);
}

TEST_F(KernelNets, FindCompEntryOnBothViews)
{
    const Parts p = MakeParts();
    const int32_t a = N_CreateNet(0, 1, "A"), b = N_CreateNet(0, 1, "B");
    ASSERT_EQ(N_CreateNode(a, 0, p.comp, 1, p.layComp, 1), 1);
    ASSERT_EQ(N_CreateNode(b, 0, p.comp, 2, p.layComp, 2), 2);
    ASSERT_EQ(N_CreateNode(b, 0, p.comp2, 1, 0, 0), 3);
    ASSERT_EQ(N_CreateNode(b, 0, p.comp, 1, 0, 0), 4);  // pin 1 is in both nets

    struct Case {
        int32_t view, comp, entry, netIn, node, netOut;
    } cases[] = {
        {0, p.comp, 1, 0, 1, a},         // the net is handed back
        {0, p.comp, 1, b, 4, b},         // the node in the net named wins
        {0, p.comp, 1, a, 1, a},
        {0, p.comp, 2, a, 2, b},         // not in the net named: the one found
        {0, p.comp2, 1, b, 3, b},        // in the net named
        {0, p.comp, 3, 77, 0, 77},       // unconnected pin: net untouched
        {0, p.comp, 0, 0, 1, a},         // entry 0: any entry of the component
        {0, p.layComp, 1, 0, 0, 0},      // a layout component id on the schematic side
        {1, p.layComp, 2, 0, 2, b},
        {1, p.layComp, 1, b, 1, a},
        {1, p.comp2, 1, 0, 0, 0},        // comp2 has no layout side
    };
    for (const Case& c : cases) {
        NodeView view(c.view);
        int32_t net = c.netIn;
        EXPECT_EQ(N_FindCompEntry(c.comp, c.entry, &net), c.node) << "view " << c.view << " entry " << c.entry;
        EXPECT_EQ(net, c.netOut) << "view " << c.view << " entry " << c.entry;
    }

    // The lookups follow nodes that change pins, move between nets or go.
    int32_t net = 0;
    ASSERT_EQ(N_ChangeNode(b, 3, p.comp2, 2), 1);
    EXPECT_EQ(N_FindCompEntry(p.comp2, 1, &net), 0);
    EXPECT_EQ(N_FindCompEntry(p.comp2, 2, &net), 3);
    ASSERT_EQ(OM_Add(N_NodeMap(a), N_Node(b, 3), 0), 3);
    net = 0;
    EXPECT_EQ(N_FindCompEntry(p.comp2, 2, &net), 3);
    EXPECT_EQ(net, a);
    ASSERT_EQ(AddToHeap(N_NodeMap(a), 3, 3), 3);
    EXPECT_EQ(N_FindCompEntry(p.comp2, 2, &net), 0);
    ASSERT_EQ(OM_Delete(DB_NetMap(), b), 1);
    EXPECT_EQ(N_FindCompEntry(p.comp, 2, &net), 0);
    // A node made again under a freed id is found on its new pin only.
    ASSERT_EQ(N_CreateNode(a, 2, p.comp2, 3, 0, 0), 2);
    EXPECT_EQ(N_FindCompEntry(p.comp, 2, &net), 0);
    EXPECT_EQ(N_FindCompEntry(p.comp2, 3, &net), 2);
}

TEST_F(KernelNets, NodeMasks)
{
    const Parts p = MakeParts();
    const int32_t a = N_CreateNet(0, 1, "A"), b = N_CreateNet(0, 1, "B"), c = N_CreateNet(0, 1, "C");
    N_CreateNode(a, 0, p.comp, 1, 0, 0);   // 1
    N_CreateNode(b, 0, p.comp, 2, 0, 0);   // 2
    N_CreateNode(b, 0, p.comp2, 1, 0, 0);  // 3
    N_CreateNode(c, 0, 0, 0, p.layComp, 1);  // 4

    EXPECT_EQ(N_MaskAllNodes(1, 1), 4);
    EXPECT_EQ(WalkAll(N_NodeMap(b), 1, 1), (std::vector<int32_t>{2, 3}));

    // The first pair marks the nodes and their nets, the second the nets.
    EXPECT_EQ(N_MaskCompNodes(p.comp, 0, 128, 129, 512, 512), 2);
    EXPECT_EQ(O_GetStatus(N_Node(a, 1)), 128);
    EXPECT_EQ(O_GetStatus(N_Node(b, 2)), 128);
    EXPECT_EQ(O_GetStatus(N_Node(b, 3)), 1);
    EXPECT_EQ(WalkAll(DB_NetMap(), 128 | 512, 128 | 512), (std::vector<int32_t>{a, b}));
    EXPECT_EQ(ReadNet(a).Flags, 128 | 512);  // bit 1 cleared by the first pair
    EXPECT_EQ(ReadNet(c).Flags, 1);

    // (256, 256, 0, 0) marks the nets too; one entry only.
    EXPECT_EQ(N_MaskCompNodes(p.comp, 2, 256, 256, 0, 0), 1);
    EXPECT_EQ(WalkAll(DB_NetMap(), 256, 256), std::vector<int32_t>{b});
    EXPECT_EQ(N_MaskCompNodes(p.comp, 3, 256, 256, 0, 0), 0);
    {
        NodeView layout(1);
        EXPECT_EQ(N_MaskCompNodes(p.layComp, 1, 1024, 1024, 0, 0), 1);
        EXPECT_EQ(N_MaskCompNodes(p.comp2, 0, 1024, 1024, 0, 0), 0);  // no such layout component
    }
    EXPECT_EQ(O_GetStatus(N_Node(c, 4)), 1 | 1024);
    EXPECT_EQ(N_MaskAllNodes(0, -1), 4);
    EXPECT_EQ(WalkAll(N_NodeMap(a), 0, -1), std::vector<int32_t>{1});
}

// ---- Buses ---------------------------------------------------------------------------

TEST_F(KernelNets, BusRecordAndMemberSlots)
{
    const int32_t bus = N_CreateBus(0, 1, "UNBUS1");
    ASSERT_EQ(bus, 1);
    EXPECT_EQ(N_CreateBus(1, 1, "taken"), 0);
    std::vector<int32_t> nets;
    for (int i = 0; i < 4; ++i) nets.push_back(N_CreateNet(0, 1, ("N" + std::to_string(i)).c_str()));

    BusRec rec{};
    ASSERT_EQ(N_ReadBus(bus, &rec), 1);
    EXPECT_EQ(rec.Flags, 1);
    EXPECT_STREQ(rec.Name, "UNBUS1");
    EXPECT_EQ(rec.Members, 0);

    EXPECT_EQ(N_SetBusMember(bus, 0, nets[0]), 0);  // slot 0 is a success
    EXPECT_EQ(N_SetBusMember(bus, 1, nets[1]), 1);
    EXPECT_EQ(N_SetBusMember(bus, 2, nets[2]), 2);
    EXPECT_EQ(Members(bus), (std::vector<int32_t>{nets[0], nets[1], nets[2]}));
    EXPECT_EQ(N_ReadBusMember(bus, 3), 0);
    EXPECT_EQ(N_ReadBusMember(bus, -1), 0);

    int32_t slot = -5;
    EXPECT_EQ(N_FindBusMember(nets[2], &slot), bus);
    EXPECT_EQ(slot, 2);
    slot = -5;
    EXPECT_EQ(N_FindBusMember(nets[3], &slot), 0);
    EXPECT_EQ(slot, -5);
    EXPECT_EQ(ReadNet(nets[1]).Bus, bus);
    EXPECT_EQ(ReadNet(nets[3]).Bus, 0);

    // An exchange passes through one net in two slots.
    EXPECT_EQ(N_SetBusMember(bus, 0, nets[1]), 0);
    EXPECT_EQ(N_SetBusMember(bus, 1, nets[0]), 1);
    EXPECT_EQ(Members(bus), (std::vector<int32_t>{nets[1], nets[0], nets[2]}));
    EXPECT_EQ(ReadNet(nets[0]).Flags, 1);  // bit 8 is the callers' business

    // Deleting a member frees its slot; the others keep theirs.
    EXPECT_EQ(N_DeleteBusMember(bus, 0), 1);
    EXPECT_EQ(Members(bus), (std::vector<int32_t>{0, nets[0], nets[2]}));
    EXPECT_EQ(N_DeleteBusMember(bus, 0), 0);  // already free
    EXPECT_EQ(N_DeleteBusMember(bus, 3), 0);
    EXPECT_EQ(N_FindBusMember(nets[2], &slot), bus);
    EXPECT_EQ(slot, 2);
}

TEST_F(KernelNets, BusHoldsAtMost128Members)
{
    const int32_t bus = N_CreateBus(0, 1, "WIDE");
    for (int32_t i = 0; i < 128; ++i) ASSERT_EQ(N_SetBusMember(bus, i, N_CreateNet(0, 1, "")), i);
    const int32_t extra = N_CreateNet(0, 1, "EXTRA");
    EXPECT_EQ(N_SetBusMember(bus, 128, extra), -1);
    EXPECT_EQ(N_SetBusMember(bus, 127, extra), 127);  // replacing the last slot is fine
    EXPECT_EQ(N_ReadBusMember(bus, 127), extra);
    BusRec rec{};
    ASSERT_EQ(N_ReadBus(bus, &rec), 1);
    EXPECT_EQ(rec.Members, 128);
}

TEST_F(KernelNets, DeletingAMemberNetFreesItsSlot)
{
    const int32_t bus = N_CreateBus(0, 1, "B"), other = N_CreateBus(0, 1, "OTHER");
    const int32_t n1 = N_CreateNet(0, 1, "N1"), n2 = N_CreateNet(0, 1, "N2"), n3 = N_CreateNet(0, 1, "N3");
    N_SetBusMember(bus, 0, n1);
    N_SetBusMember(bus, 1, n2);
    N_SetBusMember(bus, 2, n3);
    N_SetBusMember(other, 0, n3);

    ASSERT_EQ(OM_Delete(DB_NetMap(), n2), 1);
    EXPECT_EQ(Members(bus), (std::vector<int32_t>{n1, 0, n3}));
    // A new net under the freed id is no member of anything.
    ASSERT_EQ(N_CreateNet(0, 1, "NEW"), n2);
    int32_t slot = 0;
    EXPECT_EQ(N_FindBusMember(n2, &slot), 0);
    EXPECT_EQ(Members(bus), (std::vector<int32_t>{n1, 0, n3}));
    // The lowest bus holding a net answers.
    EXPECT_EQ(N_FindBusMember(n3, &slot), bus);
    EXPECT_EQ(slot, 2);
    // Deleting a bus leaves its member nets.
    ASSERT_EQ(OM_Delete(DB_BusMap(), bus), 1);
    EXPECT_EQ(N_FindBusMember(n3, &slot), other);
    EXPECT_EQ(slot, 0);
    EXPECT_NE(N_Net(n1), 0);
}

// ---- Branches and junctions ---------------------------------------------------------

TEST_F(KernelNets, BranchAndJunctionRecordsRoundTrip)
{
    const int32_t net = N_CreateNet(0, 1, "N"), bus = N_CreateBus(0, 1, "B");
    ASSERT_EQ(DB_CreatePage(0, "TWO"), 2);
    ASSERT_EQ(DB_SetCurPage(2), 2);

    ASSERT_EQ(B_CreateBranch(0, 0x101, net), 1);
    const BranchRec rec = ReadBranch(1);
    EXPECT_EQ(rec.Flags, 0x101);
    EXPECT_EQ(rec.Net, net);
    EXPECT_EQ(rec.Page, 2);
    EXPECT_EQ(rec.Points, 0);
    EXPECT_EQ(O_TestPage(B_Branch(1), 0), 1);
    EXPECT_EQ(O_TestPage(B_Branch(1), 1), 0);

    ASSERT_EQ(J_CreateJunction(0, 11, -500, 700), 1);
    JunctionRec j{};
    ASSERT_EQ(J_ReadJunction(1, &j), 1);
    EXPECT_EQ(j.Flags, 11);
    EXPECT_EQ(j.X, -500);
    EXPECT_EQ(j.Y, 700);
    EXPECT_EQ(j.Page, 2);
    EXPECT_EQ(O_GetStatus(J_Junction(1)), 11);

    // The owner must exist: a net, or a bus for a bus wire; 0 is allowed.
    struct Case {
        int32_t id, flags, net, result;
    } cases[] = {
        {0, 3, bus, 2},        // bus wire
        {0, 1, bus + 5, 0},    // no such net
        {0, 3, net + 5, 0},    // no such bus
        {0, 17, 0, 3},         // port stub without a net yet
        {-102, 4, 0, -102},    // frame of page 2
        {-102, 4, 0, 0},       // taken
        {15999, 1, net, 15999},
        {16000, 1, net, 0},    // beyond the branch ids
        {2, 1, net, 0},        // taken
    };
    for (const Case& c : cases)
        EXPECT_EQ(B_CreateBranch(c.id, c.flags, c.net), c.result) << c.id << " " << c.flags << " " << c.net;

    EXPECT_EQ(B_ChangeBranchNet(3, net), 1);
    EXPECT_EQ(ReadBranch(3).Net, net);
    EXPECT_EQ(B_ChangeBranchNet(2, net + 5), 0);  // a bus wire takes buses only
    EXPECT_EQ(B_ChangeBranchNet(2, 0), 1);
    EXPECT_EQ(ReadBranch(2).Net, 0);
}

TEST_F(KernelNets, InsertingAndDeletingPointRecords)
{
    const int32_t net = N_CreateNet(0, 1, "N");
    const int32_t branch = B_CreateBranch(0, 1, net);
    for (int i = 1; i <= 5; ++i) ASSERT_EQ(J_CreateJunction(0, 3, i * 1000, 0), i);
    const int32_t node = N_CreateNode(net, 0, 0, 0, 0, 0);

    EXPECT_EQ(B_InsertRecord(branch, -1, 5, 1), 1);
    EXPECT_EQ(B_InsertRecord(branch, -1, 5, 2), 2);
    EXPECT_EQ(B_InsertRecord(branch, 3, 5, 3), 3);      // Points + 1 appends too
    EXPECT_EQ(B_InsertRecord(branch, 1, 0x304, 4), 1);  // before the first
    EXPECT_EQ(B_InsertRecord(branch, 3, 3, node), 3);   // in the middle
    EXPECT_EQ(Refs(branch), (std::vector<int32_t>{4, 1, node, 2, 3}));

    struct Refused {
        const char* what;
        int32_t index, flags, ref;
    } refused[] = {
        {"index 0", 0, 5, 5},
        {"index past the end", 7, 5, 5},
        {"index -2", -2, 5, 5},
        {"no kind bits", -1, 1, 5},
        {"both kind bits", -1, 7, 5},
        {"missing junction", -1, 5, 99},
        {"missing node", -1, 3, 99},
        {"junction id as node", -1, 3, 5},
        {"reference 0", -1, 5, 0},
    };
    for (const Refused& r : refused) EXPECT_EQ(B_InsertRecord(branch, r.index, r.flags, r.ref), 0) << r.what;
    EXPECT_EQ(ReadBranch(branch).Points, 5);

    const BranchPointRec first = ReadPoint(branch, 1);
    EXPECT_EQ(first.Flags, 0x304);
    EXPECT_EQ(first.Ref, 4);
    EXPECT_EQ(first.X, 4000);
    EXPECT_EQ(first.Y, 0);

    // Deleting moves the later records down; deleting record 1 as often as
    // there are records empties the branch, which stays.
    EXPECT_EQ(B_DeleteRecord(branch, 3), 1);
    EXPECT_EQ(Refs(branch), (std::vector<int32_t>{4, 1, 2, 3}));
    EXPECT_EQ(B_DeleteRecord(branch, 5), 0);
    EXPECT_EQ(B_DeleteRecord(branch, 0), 0);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(B_DeleteRecord(branch, 1), 1);
    EXPECT_EQ(B_DeleteRecord(branch, 1), 0);
    EXPECT_EQ(ReadBranch(branch).Points, 0);
    // The records' junctions and node are untouched.
    EXPECT_NE(J_Junction(4), 0);
    EXPECT_NE(N_Node(net, node), 0);
}

TEST_F(KernelNets, DeletingTheRecordsOfAMaskAtOnce)
{
    const int32_t net = N_CreateNet(0, 1, "N");
    const int32_t branch = B_CreateBranch(0, 1, net);
    for (int i = 1; i <= 3; ++i) ASSERT_EQ(J_CreateJunction(0, 3, i * 1000, 0), i);
    const int32_t node = N_CreateNode(net, 0, 0, 0, 0, 0);
    B_InsertRecord(branch, -1, 5, 1);
    B_InsertRecord(branch, -1, 3 | 256, node);
    B_InsertRecord(branch, -1, 5 | 256, 2);
    B_InsertRecord(branch, -1, 5, 3);

    // Refusals delete nothing.
    BranchPointRec out[4] = {};
    EXPECT_EQ(B_DeleteRecordsMask(branch + 1, 6, out, 4), -1);
    EXPECT_EQ(B_DeleteRecordsMask(branch, 6, out, -1), -1);
    EXPECT_EQ(B_DeleteRecordsMask(branch, 6, nullptr, 4), -1);
    EXPECT_EQ(B_DeleteRecordsMask(branch, 6, nullptr, 0), 0);
    EXPECT_EQ(B_DeleteRecordsMask(branch, 64, out, 4), 0);
    EXPECT_EQ(Refs(branch), (std::vector<int32_t>{1, node, 2, 3}));

    // The marked records go, in index order, shown as read; the others keep
    // their order.
    EXPECT_EQ(B_DeleteRecordsMask(branch, 256, out, 4), 2);
    EXPECT_EQ(out[0].Flags, 3 | 256);
    EXPECT_EQ(out[0].Ref, node);
    EXPECT_EQ(out[1].Flags, 5 | 256);
    EXPECT_EQ(out[1].Ref, 2);
    EXPECT_EQ(out[1].X, 2000);
    EXPECT_EQ(Refs(branch), (std::vector<int32_t>{1, 3}));
    // At most `capacity` of them.
    EXPECT_EQ(B_DeleteRecordsMask(branch, 6, out, 1), 1);
    EXPECT_EQ(out[0].Ref, 1);
    EXPECT_EQ(Refs(branch), std::vector<int32_t>{3});
    EXPECT_EQ(B_DeleteRecordsMask(branch, 6, out, 4), 1);
    EXPECT_EQ(ReadBranch(branch).Points, 0);
    // The emptied branch, the junctions and the node stay.
    EXPECT_NE(B_Branch(branch), 0);
    EXPECT_NE(J_Junction(2), 0);
    EXPECT_NE(N_Node(net, node), 0);
}

TEST_F(KernelNets, PointRecordsShowThePositionOfWhatTheyReferTo)
{
    const Parts p = MakeParts();
    const int32_t net = N_CreateNet(0, 1, "N");
    const int32_t node = N_CreateNode(net, 0, p.comp, 1, 0, 0);
    const int32_t junction = J_CreateJunction(GetFreeID(2), 3, 100, 100);
    const int32_t other = J_CreateJunction(GetFreeID(2), 3, 900, 900);
    const int32_t branch = B_CreateBranch(0, 1, net);
    ASSERT_EQ(B_InsertRecord(branch, -1, 3, node), 1);
    ASSERT_EQ(B_InsertRecord(branch, -1, 5, junction), 2);

    BranchPointRec rec = ReadPoint(branch, 1);
    EXPECT_EQ(rec.X, 1100);
    EXPECT_EQ(rec.Y, 2000);
    ASSERT_EQ(O_ChangePosition(J_Junction(junction), 300, -400), 1);
    ASSERT_EQ(O_ChangePosition(C_Component(p.comp), 0, 0), 1);
    rec = ReadPoint(branch, 2);
    EXPECT_EQ(rec.X, 300);
    EXPECT_EQ(rec.Y, -400);
    rec = ReadPoint(branch, 1);
    EXPECT_EQ(rec.X, 100);
    EXPECT_EQ(rec.Y, 0);

    // A new reference shows at once; the flags stay.
    ASSERT_EQ(B_ChangeRecordRef(branch, 2, other), 1);
    rec = ReadPoint(branch, 2);
    EXPECT_EQ(rec.Flags, 5);
    EXPECT_EQ(rec.Ref, other);
    EXPECT_EQ(rec.X, 900);

    // A record whose junction has gone keeps the last position it showed.
    ASSERT_EQ(AddToHeap(0, other, 2), other);
    EXPECT_EQ(J_Junction(other), 0);
    ASSERT_EQ(O_ChangePosition(J_Junction(junction), 5, 5), 1);
    rec = ReadPoint(branch, 2);
    EXPECT_EQ(rec.Ref, other);
    EXPECT_EQ(rec.X, 900);
    EXPECT_EQ(rec.Y, 900);

    // The kind bits decide what Ref is: turned into a node reference.
    ASSERT_EQ(B_ChangeRecordRef(branch, 2, node), 1);
    ASSERT_EQ(B_MaskRecord(branch, 2, 2, 6), 1);
    rec = ReadPoint(branch, 2);
    EXPECT_EQ(rec.Flags, 3);
    EXPECT_EQ(rec.X, 100);
    EXPECT_EQ(rec.Y, 0);
}

TEST_F(KernelNets, JunctionHeapAndJunctionIds)
{
    EXPECT_EQ(GetFreeID(2), 1);
    EXPECT_EQ(GetFreeID(2), 2);
    EXPECT_EQ(J_CreateJunction(0, 3, 0, 0), 3);  // kernel-chosen ids skip reservations
    EXPECT_EQ(J_CreateJunction(2, 3, 0, 0), 2);  // a reserved id is taken as asked
    EXPECT_EQ(J_CreateJunction(2, 3, 0, 0), 0);
    EXPECT_EQ(J_CreateJunction(1, 5, 10, 10), 1);
    EXPECT_EQ(J_CreateJunction(-1, 3, 0, 0), 0);
    EXPECT_EQ(J_CreateJunction(0, 3, 220000001, 0), 0);
    EXPECT_EQ(J_CreateJunction(0, 3, 0, -220000001), 0);
    EXPECT_EQ(J_CreateJunction(0, 3, 220000000, -220000000), 4);

    const int32_t handle = J_Junction(2);
    EXPECT_EQ(AddToHeap(0, 2, 2), 2);
    EXPECT_EQ(J_Junction(2), 0);
    EXPECT_EQ(O_GetStatus(handle), 0);
    EXPECT_EQ(WalkAll(DB_JunctMap()), (std::vector<int32_t>{1, 3, 4}));
    EXPECT_EQ(GetFreeID(2), 2);
}

TEST_F(KernelNets, CreationNeedsACurrentPage)
{
    const int32_t net = N_CreateNet(0, 1, "N");
    ASSERT_EQ(OM_DeleteAll(DB_PageMap()), 1);
    ASSERT_EQ(DB_CurPage(), 0);
    EXPECT_EQ(B_CreateBranch(0, 1, net), 0);
    EXPECT_EQ(J_CreateJunction(0, 3, 0, 0), 0);
    EXPECT_EQ(OM_GetCount(DB_BranchMap()), 0);
    EXPECT_EQ(OM_GetCount(DB_JunctMap()), 0);
}

TEST_F(KernelNets, RecordMasksAndRecordSearches)
{
    const int32_t net = N_CreateNet(0, 1, "N");
    for (int i = 1; i <= 4; ++i) J_CreateJunction(0, 3, i, i);
    const int32_t node = N_CreateNode(net, 0, 0, 0, 0, 0);
    const int32_t b1 = B_CreateBranch(0, 1, net), b2 = B_CreateBranch(0, 1, net);
    ASSERT_EQ(B_CreateBranch(-101, 4, 0), -101);
    B_InsertRecord(b1, -1, 3, node);
    B_InsertRecord(b1, -1, 5, 1);
    B_InsertRecord(b1, -1, 5, 2);
    B_InsertRecord(b2, -1, 5, 2);
    B_InsertRecord(b2, -1, 5, 3);
    B_InsertRecord(-101, -1, 5, 4);

    EXPECT_EQ(B_MaskRecord(b1, 2, 256, 257), 1);
    EXPECT_EQ(ReadPoint(b1, 2).Flags, 4 | 256);
    EXPECT_EQ(B_MaskBranchRecords(b2, 512, 512), 2);
    EXPECT_EQ(ReadPoint(b2, 2).Flags, 5 | 512);
    EXPECT_EQ(B_MaskAllRecords(1024, 1024), 6);  // every branch, the frame included
    EXPECT_EQ(ReadPoint(-101, 1).Flags, 5 | 1024);
    EXPECT_EQ(B_MaskAllRecords(0, 1024 | 512), 6);
    EXPECT_EQ(ReadPoint(b2, 1).Flags, 5);

    // Search: any bit of the mask, Ref when not 0, from the index given.
    BranchPointRec rec{};
    EXPECT_EQ(B_SearchRecordMaskRef(b1, 1, 4, 0, &rec), 2);
    EXPECT_EQ(rec.Ref, 1);
    EXPECT_EQ(B_SearchRecordMaskRef(b1, 3, 4, 0, &rec), 3);
    EXPECT_EQ(B_SearchRecordMaskRef(b1, 1, 4, 2, nullptr), 3);
    EXPECT_EQ(B_SearchRecordMaskRef(b1, 1, 2 | 256, 0, nullptr), 1);
    EXPECT_EQ(B_SearchRecordMaskRef(b1, 2, 2, 0, nullptr), 0);
    EXPECT_EQ(B_SearchRecordMaskRef(b1, 0, 64, 0, nullptr), 0);
    EXPECT_EQ(B_SearchRecordMaskRef(b1, 1, 6, 9, nullptr), 0);

    // Marking the records that refer to junction 2 and their branches, and
    // the junction itself.
    EXPECT_EQ(B_MaskSelRecords(4, 2, 64, 64, 64, 64, 256, 256), 2);
    EXPECT_EQ(WalkAll(DB_BranchMap(), 64, 64), (std::vector<int32_t>{b1, b2}));
    EXPECT_EQ(ReadPoint(b1, 3).Flags, 5 | 64);
    EXPECT_EQ(ReadPoint(b1, 2).Flags, 4 | 256);
    EXPECT_EQ(O_GetStatus(J_Junction(2)), 3 | 256);
    EXPECT_EQ(O_GetStatus(J_Junction(1)), 3);
    EXPECT_EQ(B_MaskSelRecords(4, 2, 0, 64, 0, 64, 0, 0), 2);
    EXPECT_EQ(OM_FindMask(DB_BranchMap(), 64, 64), 0);
    // A node reference; kind bits beyond 2 and 4 are ignored, 0 matches nothing.
    EXPECT_EQ(B_MaskSelRecords(2 | 1, node, 2048, 2048, 512, 512, 1, 1), 1);
    EXPECT_EQ(WalkAll(DB_BranchMap(), 2048, 2048), std::vector<int32_t>{b1});
    EXPECT_EQ(O_GetStatus(N_Node(net, node)), 1);
    EXPECT_EQ(B_MaskSelRecords(0, node, 8192, 8192, 8192, 8192, 8192, 8192), 0);
    EXPECT_EQ(OM_FindMask(DB_BranchMap(), 8192, 8192), 0);
    EXPECT_EQ(O_GetStatus(N_Node(net, node)), 1);

    // A set of references marked in one walk: the same as one call per
    // reference; repeated and unknown references change nothing more.
    const int32_t refs[] = {2, 1, 2, 99};
    EXPECT_EQ(B_MaskSelRecordSet(4, refs, 4, 64, 64, 64, 64, 8192, 8192), 3);
    EXPECT_EQ(WalkAll(DB_BranchMap(), 64, 64), (std::vector<int32_t>{b1, b2}));
    EXPECT_EQ(ReadPoint(b1, 2).Flags, 4 | 256 | 64);
    EXPECT_EQ(O_GetStatus(J_Junction(1)), 3 | 8192);
    EXPECT_EQ(O_GetStatus(J_Junction(2)), 3 | 256 | 8192);
    EXPECT_EQ(B_MaskSelRecordSet(4, refs, 4, 0, 64, 0, 64, 0, 8192), 3);
    EXPECT_EQ(OM_FindMask(DB_BranchMap(), 64, 64), 0);
    EXPECT_EQ(O_GetStatus(J_Junction(1)), 3);
    // References far apart, or not above 0, are looked up another way:
    // the same marks.
    const int32_t spread[] = {2, 2000000000, 1, -5, 0, 1};
    EXPECT_EQ(B_MaskSelRecordSet(4, spread, 6, 64, 64, 64, 64, 8192, 8192), 3);
    EXPECT_EQ(WalkAll(DB_BranchMap(), 64, 64), (std::vector<int32_t>{b1, b2}));
    EXPECT_EQ(ReadPoint(b1, 2).Flags, 4 | 256 | 64);
    EXPECT_EQ(O_GetStatus(J_Junction(1)), 3 | 8192);
    EXPECT_EQ(B_MaskSelRecordSet(4, spread, 6, 0, 64, 0, 64, 0, 8192), 3);
    EXPECT_EQ(OM_FindMask(DB_BranchMap(), 64, 64), 0);
    EXPECT_EQ(B_MaskSelRecordSet(4, refs, 0, 64, 64, 64, 64, 0, 0), 0);
    EXPECT_EQ(B_MaskSelRecordSet(4, nullptr, 4, 64, 64, 64, 64, 0, 0), 0);
    EXPECT_EQ(B_MaskSelRecordSet(0, refs, 4, 64, 64, 64, 64, 0, 0), 0);
    EXPECT_EQ(OM_FindMask(DB_BranchMap(), 64, 64), 0);

    // Walking the junction records while deleting them.
    int32_t i = 1;
    while ((i = B_SearchRecordMaskRef(b1, i, 4, 0, nullptr)) > 0) ASSERT_EQ(B_DeleteRecord(b1, i), 1);
    EXPECT_EQ(Refs(b1), std::vector<int32_t>{node});
}

TEST_F(KernelNets, NodeRecordMarksReachWiresAndTraces)
{
    const Parts p = MakeParts();
    const int32_t net = N_CreateNet(0, 1, "N");
    const int32_t n1 = N_CreateNode(net, 0, p.comp, 1, p.layComp, 1);
    const int32_t n2 = N_CreateNode(net, 0, p.comp, 2, p.layComp, 2);
    const int32_t n3 = N_CreateNode(net, 0, p.comp2, 1, 0, 0);
    const int32_t j = J_CreateJunction(0, 3, 0, 0);
    const int32_t w1 = B_CreateBranch(0, 1, net), w2 = B_CreateBranch(0, 1, net), w3 = B_CreateBranch(0, 1, net);
    B_InsertRecord(w1, -1, 3, n1);
    B_InsertRecord(w1, -1, 5, j);
    B_InsertRecord(w2, -1, 5, j);
    B_InsertRecord(w2, -1, 3, n2);
    B_InsertRecord(w3, -1, 3, n3);
    B_InsertRecord(w3, -1, 5, j);

    EXPECT_EQ(B_MaskNodeRecords(p.comp, 1, 2048, 2048, 512, 512, 1, 1), 1);
    EXPECT_EQ(WalkAll(DB_BranchMap(), 2048, 2048), std::vector<int32_t>{w1});
    EXPECT_EQ(ReadPoint(w1, 1).Flags, 3 | 512);
    EXPECT_EQ(ReadPoint(w1, 2).Flags, 5);
    EXPECT_EQ(O_GetStatus(N_Node(net, n1)), 1);
    EXPECT_EQ(O_GetStatus(N_Node(net, n2)), 0);

    // Entry 0: every entry of the component.
    EXPECT_EQ(B_MaskNodeRecords(p.comp, 0, 8192, 8192, 8192, 8192, 128, 129), 2);
    EXPECT_EQ(WalkAll(DB_BranchMap(), 8192, 8192), (std::vector<int32_t>{w1, w2}));
    EXPECT_EQ(O_GetStatus(N_Node(net, n1)), 128);
    EXPECT_EQ(O_GetStatus(N_Node(net, n2)), 128);
    EXPECT_EQ(O_GetStatus(N_Node(net, n3)), 0);
    // A pin without a node marks nothing.
    EXPECT_EQ(B_MaskNodeRecords(p.comp, 3, 1, 1, 1, 1, 1, 1), 0);

    // A list of components in one walk: the same as one call each (entry
    // 0); a component listed twice or without nodes, or an unknown id,
    // adds nothing.
    const int32_t comps[] = {p.comp2, p.comp, p.comp2, 999};
    EXPECT_EQ(B_MaskNodeRecordSet(comps, 4, 64, 64, 64, 64, 2, 2), 3);
    EXPECT_EQ(WalkAll(DB_BranchMap(), 64, 64), (std::vector<int32_t>{w1, w2, w3}));
    EXPECT_EQ(ReadPoint(w3, 1).Flags, 3 | 64);
    EXPECT_EQ(ReadPoint(w3, 2).Flags, 5);
    EXPECT_EQ(O_GetStatus(N_Node(net, n3)), 2);
    EXPECT_EQ(O_GetStatus(N_Node(net, n1)), 128 | 2);
    const int32_t alone[] = {p.comp2};
    EXPECT_EQ(B_MaskNodeRecordSet(alone, 1, 0, 64, 0, 64, 0, 2), 1);
    EXPECT_EQ(WalkAll(DB_BranchMap(), 64, 64), (std::vector<int32_t>{w1, w2}));
    EXPECT_EQ(O_GetStatus(N_Node(net, n3)), 0);
    EXPECT_EQ(B_MaskNodeRecordSet(comps, 0, 1, 1, 1, 1, 1, 1), 0);
    EXPECT_EQ(B_MaskNodeRecordSet(nullptr, 4, 1, 1, 1, 1, 1, 1), 0);
    EXPECT_EQ(B_MaskNodeRecordSet(comps, 4, 0, 64, 0, 64, 0, 2), 3);
    EXPECT_EQ(OM_FindMask(DB_BranchMap(), 64, 64), 0);

    // The same nodes through their layout side, on traces.
    const int32_t bend = T_CreateBendPoint(0, 1, 5, 5);
    const int32_t t1 = T_CreateTrace(0, 0, net), t2 = T_CreateTrace(0, 0, net);
    T_InsertRecord(t1, -1, 2, n1, 1, 100);
    T_InsertRecord(t1, -1, 4, bend, 1, 100);
    T_InsertRecord(t2, -1, 4, bend, 2, 100);
    T_InsertRecord(t2, -1, 2, n2, 2, 100);
    {
        NodeView layout(1);
        EXPECT_EQ(T_MaskNodeRecords(p.layComp, 2, 256, 256, 128, 128, 4, 4), 1);
        EXPECT_EQ(T_MaskNodeRecords(p.comp, 0, 1, 1, 1, 1, 1, 1), 0);  // a schematic id
    }
    EXPECT_EQ(WalkAll(DB_TraceMap(), 256, 256), std::vector<int32_t>{t2});
    EXPECT_EQ(ReadTracePoint(t2, 2).Flags, 2 | 128);
    EXPECT_EQ(ReadTracePoint(t2, 1).Flags, 4);
    EXPECT_EQ(O_GetStatus(N_Node(net, n2)), 128 | 4);
    // With the schematic view the component's nodes select the traces too.
    EXPECT_EQ(T_MaskNodeRecords(p.comp, 0, 512, 512, 0, 0, 0, 0), 2);
    EXPECT_EQ(WalkAll(DB_TraceMap(), 512, 512), (std::vector<int32_t>{t1, t2}));
}

TEST_F(KernelNets, NodeRecordMarksForASetOfComponents)
{
    const Parts p = MakeParts();
    const int32_t net = N_CreateNet(0, 1, "N");
    const int32_t n1 = N_CreateNode(net, 0, p.comp, 1, p.layComp, 1);
    const int32_t n2 = N_CreateNode(net, 0, p.comp, 2, 0, 0);
    const int32_t n3 = N_CreateNode(net, 0, p.comp2, 1, 0, 0);
    const int32_t j = J_CreateJunction(0, 3, 0, 0);
    const int32_t w1 = B_CreateBranch(0, 1, net), w2 = B_CreateBranch(0, 1, net), w3 = B_CreateBranch(0, 1, net);
    B_InsertRecord(w1, -1, 3, n1);
    B_InsertRecord(w1, -1, 5, j);
    B_InsertRecord(w2, -1, 5, j);
    B_InsertRecord(w2, -1, 3, n2);
    B_InsertRecord(w3, -1, 5, j);
    B_InsertRecord(w3, -1, 3, n3);

    // Every pin of each component; a repeat and an unknown id add nothing.
    const int32_t one[] = {p.comp, 9999, p.comp};
    EXPECT_EQ(B_MaskNodeRecordSet(one, 3, 2048, 2048, 512, 512, 1, 1), 2);
    EXPECT_EQ(WalkAll(DB_BranchMap(), 2048, 2048), (std::vector<int32_t>{w1, w2}));
    EXPECT_EQ(ReadPoint(w1, 1).Flags, 3 | 512);
    EXPECT_EQ(ReadPoint(w1, 2).Flags, 5);
    EXPECT_EQ(O_GetStatus(N_Node(net, n1)), 1);
    EXPECT_EQ(O_GetStatus(N_Node(net, n2)), 1);
    EXPECT_EQ(O_GetStatus(N_Node(net, n3)), 0);

    const int32_t both[] = {p.comp2, p.comp};
    EXPECT_EQ(B_MaskNodeRecordSet(both, 2, 8192, 8192, 8192, 8192, 128, 129), 3);
    EXPECT_EQ(WalkAll(DB_BranchMap(), 8192, 8192), (std::vector<int32_t>{w1, w2, w3}));
    for (const int32_t node : {n1, n2, n3}) EXPECT_EQ(O_GetStatus(N_Node(net, node)), 128);

    // The layout view selects by the layout component.
    const int32_t layout[] = {p.layComp};
    {
        NodeView view(1);
        EXPECT_EQ(B_MaskNodeRecordSet(layout, 1, 64, 64, 0, 0, 0, 0), 1);
    }
    EXPECT_EQ(WalkAll(DB_BranchMap(), 64, 64), std::vector<int32_t>{w1});

    // No set: nothing.
    EXPECT_EQ(B_MaskNodeRecordSet(both, 0, 16, 16, 16, 16, 16, 16), 0);
    EXPECT_EQ(B_MaskNodeRecordSet(nullptr, 2, 16, 16, 16, 16, 16, 16), 0);
    EXPECT_EQ(OM_FindMask(DB_BranchMap(), 16, 16), 0);
}

TEST_F(KernelNets, SearchingTheBranchesOfANetOrBus)
{
    // Net 1 and bus 1 share their number; the kind tells them apart.
    const int32_t net = N_CreateNet(0, 1, "N"), other = N_CreateNet(0, 1, "O"), bus = N_CreateBus(0, 1, "B");
    ASSERT_EQ(net, bus);
    ASSERT_EQ(DB_CreatePage(0, "TWO"), 2);
    ASSERT_EQ(B_CreateBranch(-101, 4, 0), -101);
    const int32_t w1 = B_CreateBranch(0, 1, net);   // 1, page 1
    const int32_t b1 = B_CreateBranch(0, 3, bus);   // 2, page 1
    const int32_t o1 = B_CreateBranch(0, 1, other); // 3, page 1
    ASSERT_EQ(DB_SetCurPage(2), 2);
    ASSERT_EQ(B_CreateBranch(-102, 4, 0), -102);
    const int32_t w2 = B_CreateBranch(0, 1, net);   // 4, page 2
    const int32_t b2 = B_CreateBranch(0, 3, bus);   // 5, page 2

    struct Case {
        int32_t kind, owner, page;
        std::vector<int32_t> found;
    } cases[] = {
        {0, net, -1, {w1, w2}},
        {1, bus, -1, {b1, b2}},
        {-1, bus, -1, {b1, b2}},    // -1 means bus wires as well
        {0, net, 1, {w1}},
        {0, net, 0, {w2}},          // 0: the current page
        {1, bus, 2, {b2}},
        {0, 0, -1, {w1, o1, w2}},   // owner 0: any net, never the frames
        {1, 0, 1, {b1}},
        {0, net, 3, {}},
        {0, 99, -1, {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SearchNetPage(c.kind, c.owner, c.page), c.found) << c.kind << " " << c.owner << " " << c.page;
        EXPECT_EQ(B_FindNetPage(c.kind, c.owner, c.page), c.found.empty() ? 0 : c.found.front());
    }

    // The frames are readable by id but skipped by every walk.
    EXPECT_EQ(ReadBranch(-101).Flags, 4);
    EXPECT_EQ(ReadBranch(-101).Page, 1);
    EXPECT_EQ(WalkAll(DB_BranchMap()), (std::vector<int32_t>{w1, b1, o1, w2, b2}));
    EXPECT_EQ(OM_MaskAll(DB_BranchMap(), 1024, 1024), 7);
    EXPECT_EQ(ReadBranch(-102).Flags, 4 | 1024);

    // The delete loop of the callers: find, delete, until none is left.
    int deleted = 0;
    while (int32_t branch = B_FindNetPage(-1, bus, -1)) {
        ASSERT_EQ(OM_Delete(DB_BranchMap(), branch), 1);
        ++deleted;
    }
    EXPECT_EQ(deleted, 2);
    EXPECT_EQ(SearchNetPage(0, net, -1), (std::vector<int32_t>{w1, w2}));

    // A cursor walk survives deleting the branch it stands on.
    std::vector<int32_t> seen;
    int32_t cursor = OM_GetFirst(DB_BranchMap());
    while (int32_t branch = B_SearchNetPage(&cursor, 0, 0, -1)) {
        seen.push_back(branch);
        OM_Delete(DB_BranchMap(), branch);
    }
    EXPECT_EQ(seen, (std::vector<int32_t>{w1, o1, w2}));
    EXPECT_EQ(B_SearchNetPage(&cursor, 0, 0, -1), 0);
    EXPECT_EQ(B_SearchNetPage(nullptr, 0, 0, -1), 0);
}

TEST_F(KernelNets, DeletingABranchTakesItsRecordsAndTexts)
{
    const int32_t net = N_CreateNet(0, 1, "N");
    const int32_t branch = B_CreateBranch(0, 1, net);
    const int32_t j = J_CreateJunction(0, 3, 0, 0);
    B_InsertRecord(branch, -1, 5, j);
    const int32_t texts = B_BranchTextArray(branch);
    ASSERT_NE(texts, 0);
    EXPECT_EQ(B_BranchTextArray(branch), texts);
    EXPECT_EQ(OA_GetCount(texts), 0);
    EXPECT_EQ(B_BranchText(branch, 1), 0);

    const int32_t name = I_MakeText(10, 20, 0, 100, 80, "N", 2, 0, 0);
    const int32_t member = I_MakeText(30, 40, 0, 100, 80, "N[0]", 8, 0, 0);
    ASSERT_EQ(OA_Add(texts, name), 1);
    ASSERT_EQ(OA_Add(texts, member), 2);
    EXPECT_EQ(B_BranchText(branch, 1), name);
    EXPECT_EQ(B_BranchText(branch, 2), member);
    EXPECT_EQ(B_BranchText(branch, 3), 0);
    EXPECT_EQ(OA_SearchMask(texts, 1, 8), 2);
    ItemRec item{};
    ASSERT_EQ(I_ReadItem(B_BranchText(branch, 1), &item), 1);
    EXPECT_STREQ(item.Text, "N");

    const int32_t handle = B_Branch(branch);
    ASSERT_EQ(OM_Delete(DB_BranchMap(), branch), 1);
    EXPECT_EQ(B_Branch(branch), 0);
    EXPECT_EQ(O_GetStatus(handle), 0);
    EXPECT_EQ(OA_GetCount(texts), 0);
    EXPECT_EQ(I_ReadItem(name, &item), 0);
    EXPECT_EQ(B_ReadRecord(branch, 1, nullptr), 0);
    // What the records referred to stays.
    EXPECT_NE(J_Junction(j), 0);
    EXPECT_NE(N_Net(net), 0);
    // The id is free again.
    EXPECT_EQ(B_CreateBranch(0, 1, net), branch);
    EXPECT_EQ(ReadBranch(branch).Points, 0);
    EXPECT_EQ(OA_GetCount(B_BranchTextArray(branch)), 0);
}

// ---- Traces, bend points, vias ------------------------------------------------------

TEST_F(KernelNets, TracesAndTheirPointRecords)
{
    const Parts p = MakeParts();
    const int32_t net = N_CreateNet(0, 1, "N"), other = N_CreateNet(0, 1, "O");
    const int32_t node = N_CreateNode(net, 0, p.comp, 1, p.layComp, 2);
    const int32_t padStack = S_MakePadStack();
    ASSERT_EQ(OM_Add(DB_PadStackMap(), padStack, 1), 1);

    EXPECT_EQ(GetFreeID(1), 1);
    ASSERT_EQ(T_CreateBendPoint(1, 1, 500, 600), 1);
    EXPECT_EQ(T_CreateBendPoint(0, 1, 0, 0), 2);
    EXPECT_EQ(T_CreateBendPoint(2, 1, 0, 0), 0);
    ASSERT_EQ(V_CreateVia(0, 1, 800, 900, 1, 1), 1);
    EXPECT_EQ(V_CreateVia(0, 1, 0, 0, 7, 1), 0);  // no such pad stack
    EXPECT_EQ(V_CreateVia(0, 1, 0, 220000001, 1, 1), 0);
    EXPECT_EQ(O_GetStatus(V_Via(1)), 1);
    EXPECT_EQ(O_GetStatus(T_BendPoint(1)), 1);

    ASSERT_EQ(T_CreateTrace(0, 0, net), 1);
    ASSERT_EQ(T_CreateTrace(0, 0, other), 2);
    ASSERT_EQ(T_CreateTrace(0, 0, net), 3);
    EXPECT_EQ(T_CreateTrace(0, 0, 99), 0);
    EXPECT_EQ(T_InsertRecord(1, -1, 2, node, 1, 254), 1);
    EXPECT_EQ(T_InsertRecord(1, -1, 8, 1, 2, 508), 2);
    EXPECT_EQ(T_InsertRecord(1, 2, 4, 1, 1, 254), 2);
    EXPECT_EQ(T_InsertRecord(1, -1, 4, 9, 1, 254), 0);  // no such bend point
    EXPECT_EQ(T_InsertRecord(1, -1, 8, 5, 1, 254), 0);  // no such via
    EXPECT_EQ(T_InsertRecord(1, 5, 4, 1, 1, 254), 0);

    TraceRec trace{};
    ASSERT_EQ(T_ReadTrace(1, &trace), 1);
    EXPECT_EQ(trace.Flags, 0);
    EXPECT_EQ(trace.Net, net);
    EXPECT_EQ(trace.Points, 3);

    TracePointRec rec = ReadTracePoint(1, 1);
    EXPECT_EQ(rec.Flags, 2);
    EXPECT_EQ(rec.Ref, node);
    EXPECT_EQ(rec.Layer, 1);
    EXPECT_EQ(rec.Width, 254);
    EXPECT_EQ(rec.Reserved, 0);
    EXPECT_EQ(rec.X, 70030);  // the layout pad, whatever the node view
    EXPECT_EQ(rec.Y, 80040);
    rec = ReadTracePoint(1, 2);
    EXPECT_EQ(rec.Ref, 1);
    EXPECT_EQ(rec.X, 500);
    rec = ReadTracePoint(1, 3);
    EXPECT_EQ(rec.Flags, 8);
    EXPECT_EQ(rec.Layer, 2);
    EXPECT_EQ(rec.Width, 508);
    EXPECT_EQ(rec.X, 800);
    EXPECT_EQ(rec.Y, 900);

    // Positions follow the via, the bend point and the layout component.
    ASSERT_EQ(O_ChangePosition(V_Via(1), -1, -2), 1);
    ASSERT_EQ(O_ChangePosition(T_BendPoint(1), -3, -4), 1);
    ASSERT_EQ(O_ChangePosition(L_Component(p.layComp), 0, 0), 1);
    EXPECT_EQ(ReadTracePoint(1, 3).X, -1);
    EXPECT_EQ(ReadTracePoint(1, 2).Y, -4);
    EXPECT_EQ(ReadTracePoint(1, 1).X, 30);
    // A deleted bend point leaves the last position shown.
    ASSERT_EQ(AddToHeap(0, 1, 1), 1);
    EXPECT_EQ(T_BendPoint(1), 0);
    EXPECT_EQ(ReadTracePoint(1, 2).X, -3);
    EXPECT_EQ(GetFreeID(1), 1);

    EXPECT_EQ(T_ChangeRecordRef(1, 2, 2), 1);
    EXPECT_EQ(ReadTracePoint(1, 2).X, 0);
    EXPECT_EQ(T_MaskRecord(1, 3, 0, 14), 1);
    EXPECT_EQ(T_MaskRecord(1, 3, 4 | 128, 14), 1);
    EXPECT_EQ(ReadTracePoint(1, 3).Flags, 4 | 128);
    TracePointRec found{};
    EXPECT_EQ(T_SearchRecordMaskRef(1, 1, 14, 0, &found), 1);
    EXPECT_EQ(T_SearchRecordMaskRef(1, 2, 128, 0, &found), 3);
    EXPECT_EQ(found.Ref, 1);
    EXPECT_EQ(T_SearchRecordMaskRef(1, 1, 4, 2, nullptr), 2);
    EXPECT_EQ(T_SearchRecordMaskRef(1, 4, 14, 0, nullptr), 0);

    // The traces of a net.
    EXPECT_EQ(T_FindNet(net), 1);
    std::vector<int32_t> traces;
    int32_t cursor = OM_GetFirst(DB_TraceMap());
    while (int32_t t = T_SearchNet(&cursor, net)) traces.push_back(t);
    EXPECT_EQ(traces, (std::vector<int32_t>{1, 3}));
    EXPECT_EQ(T_ChangeTraceNet(1, other), 1);
    EXPECT_EQ(T_ChangeTraceNet(1, 99), 0);
    EXPECT_EQ(T_FindNet(net), 3);
    EXPECT_EQ(T_FindNet(other), 1);
    EXPECT_EQ(T_FindNet(0), 0);

    // A deleted trace takes its records only.
    ASSERT_EQ(OM_Delete(DB_TraceMap(), 1), 1);
    EXPECT_EQ(T_Trace(1), 0);
    EXPECT_NE(V_Via(1), 0);
    EXPECT_NE(T_BendPoint(2), 0);
    EXPECT_NE(N_Node(net, node), 0);
}

// ---- Levels, bad input, no database ---------------------------------------------

TEST_F(KernelNets, ObjectsBelongToTheirLevel)
{
    const Parts p = MakeParts();
    const int32_t net = N_CreateNet(0, 1, "TOP");
    ASSERT_EQ(N_CreateNode(net, 0, p.comp, 1, 0, 0), 1);
    ASSERT_EQ(DB_CreateHier(0, "SUB", "SUBPAGE"), 2);
    ASSERT_EQ(DB_SetCurHier(2), 2);

    EXPECT_EQ(N_Net(net), 0);
    int32_t found = 0;
    EXPECT_EQ(N_FindCompEntry(p.comp, 1, &found), 0);
    // Component, net and node ids start again in the other level.
    const int32_t comp = C_CreateComponent(0, "U1", 1, 0, p.symbol, 1, 0, 0, 0);
    ASSERT_EQ(comp, p.comp);
    const int32_t sub = N_CreateNet(0, 1, "SUB");
    ASSERT_EQ(sub, net);
    ASSERT_EQ(N_CreateNode(sub, 0, comp, 2, 0, 0), 1);
    EXPECT_EQ(N_FindCompEntry(comp, 1, &found), 0);
    EXPECT_EQ(N_FindCompEntry(comp, 2, &found), 1);
    EXPECT_EQ(N_MaskCompNodes(comp, 0, 256, 256, 0, 0), 1);

    ASSERT_EQ(DB_SetCurHier(1), 1);
    EXPECT_STREQ(ReadNet(net).Name, "TOP");
    EXPECT_EQ(N_FindCompEntry(p.comp, 1, &found), 1);
    EXPECT_EQ(N_FindCompEntry(p.comp, 2, &found), 0);
    EXPECT_EQ(O_GetStatus(N_Node(net, 1)), 0);
}

TEST_F(KernelNets, BadInputChangesNothing)
{
    const int32_t net = N_CreateNet(0, 1, "N"), bus = N_CreateBus(0, 1, "B");
    const int32_t node = N_CreateNode(net, 0, 0, 0, 0, 0);
    const int32_t j = J_CreateJunction(0, 3, 10, 10);
    const int32_t branch = B_CreateBranch(0, 1, net);
    B_InsertRecord(branch, -1, 5, j);
    N_SetBusMember(bus, 0, net);
    const int32_t trace = T_CreateTrace(0, 0, net);
    const int32_t bend = T_CreateBendPoint(0, 1, 0, 0);
    T_InsertRecord(trace, -1, 4, bend, 1, 1);
    const int32_t deadNet = N_CreateNet(0, 1, "GONE");
    const int32_t deadHandle = N_Net(deadNet);
    OM_Delete(DB_NetMap(), deadNet);

    const std::string tooLong(256, 'x');
    int32_t out = 0;
    struct Case {
        const char* what;
        int32_t result;
    } cases[] = {
        {"N_Net missing", N_Net(42)},
        {"N_Net 0", N_Net(0)},
        {"N_Node missing net", N_Node(42, node)},
        {"N_Node missing node", N_Node(net, 42)},
        {"N_NodeMap missing", N_NodeMap(42)},
        {"N_CreateNet null name", N_CreateNet(0, 1, nullptr)},
        {"N_CreateNet long name", N_CreateNet(0, 1, tooLong.c_str())},
        {"N_CreateBus null name", N_CreateBus(0, 1, nullptr)},
        {"N_CreateNode missing net", N_CreateNode(42, 0, 0, 0, 0, 0)},
        {"N_ReadNet null", N_ReadNet(net, nullptr)},
        {"N_ReadNet missing", N_ReadNet(42, nullptr)},
        {"N_ReadNode null", N_ReadNode(net, node, nullptr)},
        {"N_ChangeNode missing net", N_ChangeNode(42, node, 0, 0)},
        {"N_FindCompEntry null net", N_FindCompEntry(1, 1, nullptr)},
        {"N_FindCompEntry comp 0", N_FindCompEntry(0, 1, &out)},
        {"N_SetNodeView 2", N_SetNodeView(2)},
        {"N_SetNodeView -1", N_SetNodeView(-1)},
        {"N_ReadBus null", N_ReadBus(bus, nullptr)},
        {"N_ReadBusMember missing bus", N_ReadBusMember(42, 0)},
        {"N_DeleteBusMember out of range", N_DeleteBusMember(bus, 1)},
        {"N_DeleteBusMember negative", N_DeleteBusMember(bus, -1)},
        {"N_FindBusMember null", N_FindBusMember(net, nullptr)},
        {"N_FindBusMember missing net", N_FindBusMember(42, &out)},
        {"N_MaskCompNodes missing comp", N_MaskCompNodes(42, 0, 1, 1, 1, 1)},
        {"B_Branch missing", B_Branch(42)},
        {"B_CreateBranch negative net", B_CreateBranch(0, 1, -1)},
        {"B_ReadBranch null", B_ReadBranch(branch, nullptr)},
        {"B_ReadRecord null", B_ReadRecord(branch, 1, nullptr)},
        {"B_ReadRecord out of range", B_ReadRecord(branch, 2, nullptr)},
        {"B_InsertRecord missing branch", B_InsertRecord(42, -1, 5, j)},
        {"B_DeleteRecord missing branch", B_DeleteRecord(42, 1)},
        {"B_ChangeRecordRef out of range", B_ChangeRecordRef(branch, 2, 7)},
        {"B_MaskRecord out of range", B_MaskRecord(branch, 0, -1, -1)},
        {"B_MaskBranchRecords missing", B_MaskBranchRecords(42, -1, -1)},
        {"B_ChangeBranchNet missing net", B_ChangeBranchNet(branch, 42)},
        {"B_ChangeBranchNet missing branch", B_ChangeBranchNet(42, net)},
        {"B_SearchRecordMaskRef missing", B_SearchRecordMaskRef(42, 1, -1, 0, nullptr)},
        {"B_BranchTextArray missing", B_BranchTextArray(42)},
        {"B_BranchText missing", B_BranchText(42, 1)},
        {"J_Junction missing", J_Junction(42)},
        {"J_ReadJunction null", J_ReadJunction(j, nullptr)},
        {"T_Trace missing", T_Trace(42)},
        {"T_CreateTrace negative id", T_CreateTrace(-1, 0, net)},
        {"T_ReadTrace null", T_ReadTrace(trace, nullptr)},
        {"T_ReadRecord out of range", T_ReadRecord(trace, 2, nullptr)},
        {"T_InsertRecord missing trace", T_InsertRecord(42, -1, 4, bend, 1, 1)},
        {"T_ChangeRecordRef out of range", T_ChangeRecordRef(trace, 0, 7)},
        {"T_MaskRecord out of range", T_MaskRecord(trace, 2, -1, -1)},
        {"T_ChangeTraceNet missing trace", T_ChangeTraceNet(42, net)},
        {"T_SearchNet null cursor", T_SearchNet(nullptr, net)},
        {"T_BendPoint missing", T_BendPoint(42)},
        {"T_CreateBendPoint out of range", T_CreateBendPoint(0, 1, -220000001, 0)},
        {"V_Via missing", V_Via(42)},
        {"O_Mask stale net", O_Mask(deadHandle, -1, -1)},
    };
    for (const Case& c : cases) EXPECT_EQ(c.result, 0) << c.what;

    struct BusCase {
        const char* what;
        int32_t result;
    } busCases[] = {
        {"missing bus", N_SetBusMember(42, 0, net)},
        {"missing net", N_SetBusMember(bus, 0, 42)},
        {"deleted net", N_SetBusMember(bus, 0, deadNet)},
        {"net 0", N_SetBusMember(bus, 0, 0)},
        {"negative slot", N_SetBusMember(bus, -1, net)},
        {"slot 128", N_SetBusMember(bus, 128, net)},
    };
    for (const BusCase& c : busCases) EXPECT_EQ(c.result, -1) << c.what;

    // Everything is as it was.
    EXPECT_EQ(WalkAll(DB_NetMap()), std::vector<int32_t>{net});
    EXPECT_EQ(WalkAll(DB_BusMap()), std::vector<int32_t>{bus});
    EXPECT_EQ(Members(bus), std::vector<int32_t>{net});
    EXPECT_EQ(WalkAll(N_NodeMap(net)), std::vector<int32_t>{node});
    EXPECT_EQ(O_GetStatus(N_Node(net, node)), 0);
    const BranchRec b = ReadBranch(branch);
    EXPECT_EQ(b.Flags, 1);
    EXPECT_EQ(b.Net, net);
    EXPECT_EQ(b.Points, 1);
    const BranchPointRec point = ReadPoint(branch, 1);
    EXPECT_EQ(point.Flags, 5);
    EXPECT_EQ(point.Ref, j);
    EXPECT_EQ(WalkAll(DB_BranchMap()), std::vector<int32_t>{branch});
    TraceRec t{};
    ASSERT_EQ(T_ReadTrace(trace, &t), 1);
    EXPECT_EQ(t.Net, net);
    EXPECT_EQ(t.Points, 1);
    EXPECT_EQ(ReadTracePoint(trace, 1).Flags, 4);
    EXPECT_EQ(WalkAll(DB_TraceMap()), std::vector<int32_t>{trace});
    EXPECT_EQ(WalkAll(DB_JunctMap()), std::vector<int32_t>{j});
    // The node view stayed on the schematic side.
    const Parts p = MakeParts();
    ASSERT_EQ(N_ChangeNode(net, node, p.comp, 1), 1);
    NodeRec rec{};
    ASSERT_EQ(N_ReadNode(net, node, &rec), 1);
    EXPECT_EQ(rec.Comp, p.comp);
    EXPECT_EQ(rec.LayComp, 0);
}

TEST_F(KernelNets, EverythingFailsWithoutADatabase)
{
    const int32_t net = N_CreateNet(0, 1, "N");
    const int32_t handle = N_Net(net);
    DB_DiscardDataBase();
    int32_t out = 0;
    EXPECT_EQ(N_Net(net), 0);
    EXPECT_EQ(O_GetStatus(handle), 0);
    EXPECT_EQ(N_CreateNet(0, 1, "N"), 0);
    EXPECT_EQ(N_CreateBus(0, 1, "B"), 0);
    EXPECT_EQ(B_CreateBranch(0, 1, 0), 0);
    EXPECT_EQ(J_CreateJunction(0, 3, 0, 0), 0);
    EXPECT_EQ(T_CreateBendPoint(0, 1, 0, 0), 0);
    EXPECT_EQ(V_CreateVia(0, 1, 0, 0, 1, 1), 0);
    EXPECT_EQ(N_MaskAllNodes(1, 1), 0);
    EXPECT_EQ(B_MaskAllRecords(1, 1), 0);
    EXPECT_EQ(B_FindNetPage(0, 0, -1), 0);
    EXPECT_EQ(N_FindCompEntry(1, 1, &out), 0);
    EXPECT_EQ(N_SetBusMember(1, 0, 1), -1);
    // The node view works without a database.
    EXPECT_EQ(N_SetNodeView(0), 1);
}

}  // namespace
