// Faults of the router met in use: wires the preload leaves out must leave
// the design with the write-back and never stand in a new route's way; bus
// taps and junctions after deletions; cut ends that meet another wire's end;
// picking a net at a bus member's pin; the library's exported names; pages
// larger than the field grid's cells of half an inch allow.
#include "platform/kernel/nvokernel32.h"
#include "router/corvex_functions.h"
#include "tests/router/route_fixture.h"
#include "tests/router/router_fixture.h"

#include <elf.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <tuple>
#include <vector>

namespace router_test {
namespace {

using namespace corvex;

struct KernelSegment {
    int32_t x1, y1, x2, y2;
    bool operator<(const KernelSegment& o) const { return std::tie(x1, y1, x2, y2) < std::tie(o.x1, o.y1, o.x2, o.y2); }
};

// Every segment of every wire in the kernel (not the page frames), in units
// of 0.1 inch.
std::vector<KernelSegment> KernelSegments()
{
    std::vector<KernelSegment> out;
    const int32_t map = DB_BranchMap();
    int32_t cursor = OM_GetFirst(map);
    for (int32_t id; (id = OM_SearchMask(map, &cursor, 0, 0)) != 0;) {
        if (id < 0) continue;
        BranchRec br{};
        if (B_ReadBranch(id, &br) != 1) continue;
        BranchPointRec a{}, b{};
        for (int32_t k = 1; k < br.Points; ++k) {
            B_ReadRecord(id, k, &a);
            B_ReadRecord(id, k + 1, &b);
            out.push_back({a.X / kU, a.Y / kU, b.X / kU, b.Y / kU});
        }
    }
    return out;
}

int32_t KernelWireCount()
{
    int32_t n = 0;
    const int32_t map = DB_BranchMap();
    int32_t cursor = OM_GetFirst(map);
    for (int32_t id; (id = OM_SearchMask(map, &cursor, 0, 0)) != 0;) n += id > 0;
    return n;
}

// Branch records in use in the image (page frames included).
int32_t BranchesInUse()
{
    int32_t n = 0;
    for (int32_t b = 1; b <= g_Branches.capacity; ++b) n += g_Branches[b].inUse != 0;
    return n;
}

std::vector<std::tuple<int32_t, int32_t, int32_t>> UnitPoints(int32_t branch)
{
    std::vector<std::tuple<int32_t, int32_t, int32_t>> out;
    for (int32_t p = g_Branches[branch].firstPoint; p; p = g_BPoints[p].next)
        out.emplace_back(g_BPoints[p].x / kU, g_BPoints[p].y / kU, g_BPoints[p].flags);
    return out;
}

std::vector<int32_t> NetChain(int32_t net)
{
    std::vector<int32_t> out;
    for (int32_t b = g_Nets[net].firstBranch; b; b = g_Branches[b].next) out.push_back(b);
    return out;
}

// The flags of the point of a branch at (x, y) in units; -1 when none.
int32_t FlagsAt(int32_t branch, int32_t x, int32_t y)
{
    for (int32_t p = g_Branches[branch].firstPoint; p; p = g_BPoints[p].next)
        if (g_BPoints[p].x == x * kU && g_BPoints[p].y == y * kU) return g_BPoints[p].flags;
    return -1;
}

// The bend point of a net's wires at (x, y) whose next point is (x2, y2).
int32_t SegmentStart(int32_t net, int32_t x, int32_t y, int32_t x2, int32_t y2)
{
    for (int32_t b = g_Nets[net].firstBranch; b; b = g_Branches[b].next)
        for (int32_t p = g_Branches[b].firstPoint; p && g_BPoints[p].next; p = g_BPoints[p].next) {
            const ScrBPointRec& a = g_BPoints[p];
            const ScrBPointRec& c = g_BPoints[a.next];
            if (a.x == x * kU && a.y == y * kU && c.x == x2 * kU && c.y == y2 * kU) return p;
        }
    return 0;
}

class RouterFaults2 : public RoutingTest {};

// ---- wires the preload leaves out -----------------------------------------------

// Net A's old wire runs slanted between its pins (as after a placement), and
// net B has a wire that connects nothing lying on the straight line between
// A's pins.
const char* const kLeftOut = R"(
include discrete.nls
unit 0.1in
design T
level MAIN
net A R1.2 R2.1
net B R3.1 R4.1
page P frame 11in 8.5in
  component R1 R at 0 0
  component R2 R at 10 0
  component R3 R at 0 20
  component R4 R at 10 20
  wire A R1.2 (5 3) R2.1
  wire B (4 0) (6 0)
end
)";

TEST_F(RouterFaults2, WiresThePreloadLeavesOutAreNotInTheImage)
{
    ASSERT_TRUE(Load(kLeftOut, 5));
    EXPECT_TRUE(NetChain(NetIndex("A")).empty());
    EXPECT_TRUE(NetChain(NetIndex("B")).empty());
    EXPECT_EQ(BranchesInUse(), 2);  // the frames only, the page's and MAINPAGE's
    EXPECT_EQ(corvex_check::Consistency(), "");
}

TEST_F(RouterFaults2, WiresThePreloadLeavesOutDoNotObstructANewRoute)
{
    ASSERT_TRUE(Load(kLeftOut, 5));
    RouteAll();
    const auto stats = corvex_check::Measure();
    EXPECT_EQ(stats.connected, stats.pairs);
    EXPECT_EQ(stats.violations, 0);
    // A runs straight from pin to pin, over the place of B's old wire.
    const std::vector<int32_t> chain = NetChain(NetIndex("A"));
    ASSERT_EQ(chain.size(), 1u);
    const auto points = UnitPoints(chain[0]);
    ASSERT_EQ(points.size(), 2u);
    EXPECT_EQ(std::get<1>(points.front()), 0);
    EXPECT_EQ(std::get<1>(points.back()), 0);
}

TEST_F(RouterFaults2, TheWriteBackRemovesWiresThePreloadLeftOut)
{
    ASSERT_TRUE(Load(kLeftOut, 5));
    ASSERT_EQ(KernelWireCount(), 2);
    RouteAll();
    ASSERT_EQ(LD_SaveShemaToNorvo(), 1) << SCR_ErrorFunc() << "/" << SCR_ErrorCode();
    const std::vector<KernelSegment> segments = KernelSegments();
    // No slanted wire is left, and nothing of B's old wire.
    for (const KernelSegment& s : segments) {
        EXPECT_TRUE(s.x1 == s.x2 || s.y1 == s.y2) << s.x1 << "," << s.y1 << " " << s.x2 << "," << s.y2;
        EXPECT_FALSE(s.y1 == 0 && s.y2 == 0 && std::min(s.x1, s.x2) == 4 && std::max(s.x1, s.x2) == 6);
    }
    // The design holds exactly the image's wires: A's and B's new routes.
    int32_t imageWires = 0;
    for (int32_t n = 1; n <= g_Nets.Count(); ++n) imageWires += static_cast<int32_t>(NetChain(n).size());
    EXPECT_EQ(KernelWireCount(), imageWires);
    EXPECT_EQ(imageWires, 2);
}

TEST_F(RouterFaults2, NothingRoutedStillRemovesTheLeftOutWires)
{
    ASSERT_TRUE(Load(kLeftOut, 5));
    ASSERT_EQ(LD_SaveShemaToNorvo(), 1);
    EXPECT_EQ(KernelWireCount(), 0);
    EXPECT_EQ(OM_GetCount(DB_JunctMap()), static_cast<int32_t>(0) + [] {
        // Only the frames' junctions stay (the page's and MAINPAGE's).
        std::set<int32_t> used;
        int32_t cursor = OM_GetFirst(DB_PageMap());
        while (const int32_t page = OM_SearchMask(DB_PageMap(), &cursor, 0, 0)) {
            BranchRec br{};
            const int32_t frame = -100 - page;
            if (B_ReadBranch(frame, &br) != 1) continue;
            for (int32_t k = 1; k <= br.Points; ++k) {
                BranchPointRec rec{};
                B_ReadRecord(frame, k, &rec);
                used.insert(rec.Ref);
            }
        }
        return static_cast<int32_t>(used.size());
    }());
}

// A net without pins (its wire joins pages by name) is not in the image;
// no filter left its wire out, so the write-back leaves it as it is.
TEST_F(RouterFaults2, AWireOfANetTheImageDoesNotHoldStays)
{
    ASSERT_TRUE(Load(R"(
include discrete.nls
unit 0.1in
design T
level MAIN
net A R1.2 R2.1
net L
page P frame 11in 8.5in
  component R1 R at 0 0
  component R2 R at 10 0
  wire L (20 10) (30 10) (30 20) label 21 10.3
end
)",
                     5));
    RouteAll();
    ASSERT_EQ(LD_SaveShemaToNorvo(), 1) << SCR_ErrorFunc() << "/" << SCR_ErrorCode();
    const int32_t net = OM_FindName(DB_NetMap(), "L");
    ASSERT_NE(net, 0);
    const int32_t wire = B_FindNetPage(0, net, -1);
    ASSERT_NE(wire, 0);
    BranchRec br{};
    ASSERT_EQ(B_ReadBranch(wire, &br), 1);
    EXPECT_EQ(br.Points, 3);
    EXPECT_EQ(OA_GetCount(B_BranchTextArray(wire)), 1);
}

TEST_F(RouterFaults2, AJunctionMadeWithAFilteredWireIsReleased)
{
    // A's wire between its pins, and a stub of A from its middle that
    // reaches nothing: filter bit 2 leaves the stub out, and the point where
    // it met the wire is a plain point again.
    ASSERT_TRUE(Load(R"(
include discrete.nls
unit 0.1in
design T
level MAIN
net A R1.2 R2.1
page P frame 11in 8.5in
  component R1 R at 0 0
  component R2 R at 10 0
  wire A R1.2 R2.1
  wire A (5 0) (5 3)
end
)",
                     2));
    const std::vector<int32_t> chain = NetChain(NetIndex("A"));
    ASSERT_EQ(chain.size(), 1u);
    for (const auto& [x, y, f] : UnitPoints(chain[0])) EXPECT_FALSE(f & kPointJunction) << x << "," << y;
}

// ---- a member's wire on its bus ---------------------------------------------------

const char* const kBusTap = R"(
include discrete.nls
unit 0.1in
design T
level MAIN
net C R1.2 R2.1
net A R3.1 R4.1
page P frame 20in 16in
  component R1 R at 0 0
  component R2 R at 10 0
  component R3 R at 0 20
  component R4 R at 10 20
  buswire BUS (0 5) (10 5)
  wire C R1.2 (3 8)
end
bus BUS C
)";

TEST_F(RouterFaults2, DeletingAMembersWireReleasesItsTapOnTheBus)
{
    ASSERT_TRUE(Load(kBusTap, 0));
    const int32_t bus = ImageNet("BUS"), c = ImageNet("C");
    ASSERT_EQ(NetChain(bus).size(), 1u);
    ASSERT_EQ(NetChain(c).size(), 1u);
    const int32_t busWire = NetChain(bus)[0], wire = NetChain(c)[0];
    ASSERT_EQ(FlagsAt(busWire, 3, 5), kPointJunction | kPointBusJunction);
    char msg[100] = {};
    int32_t state = -1;
    ASSERT_EQ(SCR_DeleteOneBranchInThePage(&state, msg, sizeof msg, wire), 1) << SCR_ErrorFunc() << "/" << SCR_ErrorCode();
    EXPECT_TRUE(NetChain(c).empty());
    const int32_t flags = FlagsAt(busWire, 3, 5);
    EXPECT_FALSE(flags & (kPointJunction | kPointBusJunction)) << flags;
    EXPECT_EQ(corvex_check::Consistency(), "");
    // Written back, the bus wire meets no junction object there.
    ASSERT_EQ(LD_SaveShemaToNorvo(), 1) << SCR_ErrorFunc() << "/" << SCR_ErrorCode();
    int32_t taps = 0;
    const int32_t map = DB_BranchMap();
    int32_t cursor = OM_GetFirst(map);
    for (int32_t id; (id = OM_SearchMask(map, &cursor, 0, 0)) != 0;) {
        if (id < 0) continue;
        BranchRec br{};
        B_ReadBranch(id, &br);
        for (int32_t k = 1; k <= br.Points; ++k) {
            BranchPointRec rec{};
            B_ReadRecord(id, k, &rec);
            JunctionRec j{};
            if ((rec.Flags & 6) == 4 && J_ReadJunction(rec.Ref, &j) == 1 && j.Flags == 15) ++taps;
        }
    }
    EXPECT_EQ(taps, 0);
}

TEST_F(RouterFaults2, DeletingTheBusWireReleasesTheMembersTap)
{
    ASSERT_TRUE(Load(kBusTap, 0));
    const int32_t bus = ImageNet("BUS"), c = ImageNet("C");
    const int32_t busWire = NetChain(bus)[0], wire = NetChain(c)[0];
    ASSERT_TRUE(FlagsAt(wire, 3, 5) & kPointJunction);
    char msg[100] = {};
    int32_t state = -1;
    ASSERT_EQ(SCR_DeleteOneBranchInThePage(&state, msg, sizeof msg, busWire), 1);
    EXPECT_TRUE(NetChain(bus).empty());
    const int32_t flags = FlagsAt(wire, 3, 5);
    EXPECT_FALSE(flags & (kPointJunction | kPointBusJunction)) << flags;
    EXPECT_EQ(corvex_check::Consistency(), "");
}

TEST_F(RouterFaults2, DeletingAMembersNetOrTheBusReleasesTheTaps)
{
    for (const char* deleted : {"C", "BUS"}) {
        SCOPED_TRACE(deleted);
        ASSERT_TRUE(Load(kBusTap, 0));
        const int32_t bus = ImageNet("BUS"), c = ImageNet("C");
        const int32_t busWire = NetChain(bus)[0], wire = NetChain(c)[0];
        const int32_t kept = std::string(deleted) == "C" ? busWire : wire;
        ASSERT_TRUE(FlagsAt(kept, 3, 5) & kPointJunction);
        char msg[100] = {};
        int32_t state = -1;
        ASSERT_EQ(SCR_DeleteOneNetInThePage(&state, msg, sizeof msg, ImageNet(deleted)), 1);
        EXPECT_TRUE(NetChain(ImageNet(deleted)).empty());
        const int32_t flags = FlagsAt(kept, 3, 5);
        EXPECT_FALSE(flags & (kPointJunction | kPointBusJunction)) << flags;
        EXPECT_EQ(corvex_check::Consistency(), "");
    }
}

TEST_F(RouterFaults2, ATapStaysWhileAnotherWireOfTheMemberMeetsIt)
{
    // Two wires of C cross the bus at the same place: deleting one leaves
    // the tap to the other.
    ASSERT_TRUE(Load(R"(
include discrete.nls
unit 0.1in
design T
level MAIN
net C R1.2 R2.1
net A R3.1 R4.1
page P frame 20in 16in
  component R1 R at 0 0
  component R2 R at 10 0
  component R3 R at 0 20
  component R4 R at 10 20
  buswire BUS (0 5) (10 5)
  wire C R1.2 (3 8)
  wire C (1 5) (5 5)
end
bus BUS C
)",
                     0));
    const int32_t bus = ImageNet("BUS"), c = ImageNet("C");
    ASSERT_EQ(NetChain(bus).size(), 1u);
    const int32_t busWire = NetChain(bus)[0];
    int32_t vertical = 0;
    for (int32_t b : NetChain(c))
        if (FlagsAt(b, 3, 0) != -1) vertical = b;
    ASSERT_NE(vertical, 0);
    ASSERT_TRUE(FlagsAt(busWire, 3, 5) & kPointJunction);
    char msg[100] = {};
    int32_t state = -1;
    ASSERT_EQ(SCR_DeleteOneBranchInThePage(&state, msg, sizeof msg, vertical), 1);
    // C's other wire still lies on the bus at (3, 5).
    EXPECT_TRUE(FlagsAt(busWire, 3, 5) & kPointJunction);
    EXPECT_EQ(corvex_check::Consistency(), "");
}

// ---- a segment delete joins cut ends with a touching wire end ---------------------

TEST_F(RouterFaults2, DeletingTheLastSegmentJoinsTheNewEndWithTheWireEndingThere)
{
    // b: R1.2 (3,0) -> (5,0) -> (5,3); c: (5,0) -> (8,0), ending on b's bend.
    ASSERT_TRUE(Load(R"(
include discrete.nls
unit 0.1in
design T
level MAIN
net A R1.2 R2.1
page P frame 20in 16in
  component R1 R at 0 0
  component R2 R at 20 10
  wire A R1.2 (5 0) (5 3)
  wire A (5 0) (8 0)
end
)",
                     0));
    const int32_t a = NetIndex("A");
    ASSERT_EQ(NetChain(a).size(), 2u);
    const int32_t p = SegmentStart(a, 5, 0, 5, 3);
    ASSERT_NE(p, 0);
    char msg[100] = {};
    int32_t state = -1;
    ASSERT_EQ(SCR_DeleteOneSegmentInThePage(&state, msg, sizeof msg, p), 1) << SCR_ErrorFunc() << "/" << SCR_ErrorCode();
    const std::vector<int32_t> chain = NetChain(a);
    ASSERT_EQ(chain.size(), 1u);
    const auto points = UnitPoints(chain[0]);
    ASSERT_EQ(points.size(), 3u);
    EXPECT_EQ(points[0], std::make_tuple(3, 0, int32_t(kPointNode)));
    EXPECT_EQ(points[1], std::make_tuple(5, 0, int32_t(kPointPlain)));
    EXPECT_EQ(std::get<0>(points[2]), 8);
    EXPECT_EQ(corvex_check::Consistency(), "");
    ASSERT_EQ(LD_SaveShemaToNorvo(), 1);
    EXPECT_EQ(KernelWireCount(), 1);
}

TEST_F(RouterFaults2, DeletingTheFirstSegmentJoinsTheNewStartWithTheWireEndingThere)
{
    // b: (5,3) -> (5,0) -> R1.2 (3,0); c: (5,0) -> (8,0).
    ASSERT_TRUE(Load(R"(
include discrete.nls
unit 0.1in
design T
level MAIN
net A R1.2 R2.1
page P frame 20in 16in
  component R1 R at 0 0
  component R2 R at 20 10
  wire A (5 3) (5 0) R1.2
  wire A (5 0) (8 0)
end
)",
                     0));
    const int32_t a = NetIndex("A");
    ASSERT_EQ(NetChain(a).size(), 2u);
    const int32_t p = SegmentStart(a, 5, 3, 5, 0);
    ASSERT_NE(p, 0);
    char msg[100] = {};
    int32_t state = -1;
    ASSERT_EQ(SCR_DeleteOneSegmentInThePage(&state, msg, sizeof msg, p), 1);
    const std::vector<int32_t> chain = NetChain(a);
    ASSERT_EQ(chain.size(), 1u);
    const auto points = UnitPoints(chain[0]);
    ASSERT_EQ(points.size(), 3u);
    EXPECT_EQ(std::get<0>(points[0]), 8);
    EXPECT_EQ(points[1], std::make_tuple(5, 0, int32_t(kPointPlain)));
    EXPECT_EQ(points[2], std::make_tuple(3, 0, int32_t(kPointNode)));
    EXPECT_EQ(corvex_check::Consistency(), "");
}

TEST_F(RouterFaults2, AnInnerCutJoinsBothCutEndsWithTheWiresEndingThere)
{
    // b: R1.2 (3,0) -> (5,0) -> (5,3) -> (9,3); c ends on (5,0), d on (5,3).
    ASSERT_TRUE(Load(R"(
include discrete.nls
unit 0.1in
design T
level MAIN
net A R1.2 R2.1
page P frame 20in 16in
  component R1 R at 0 0
  component R2 R at 20 10
  wire A R1.2 (5 0) (5 3) (9 3)
  wire A (5 0) (5 -3)
  wire A (5 3) (5 6)
end
)",
                     0));
    const int32_t a = NetIndex("A");
    ASSERT_EQ(NetChain(a).size(), 3u);
    const int32_t p = SegmentStart(a, 5, 0, 5, 3);
    ASSERT_NE(p, 0);
    char msg[100] = {};
    int32_t state = -1;
    ASSERT_EQ(SCR_DeleteOneSegmentInThePage(&state, msg, sizeof msg, p), 1);
    const std::vector<int32_t> chain = NetChain(a);
    ASSERT_EQ(chain.size(), 2u);
    std::set<std::vector<std::tuple<int32_t, int32_t, int32_t>>> wires;
    for (int32_t b : chain) wires.insert(UnitPoints(b));
    using P = std::tuple<int32_t, int32_t, int32_t>;
    const int32_t plain = kPointPlain, node = kPointNode;
    EXPECT_TRUE(wires.count({P{3, 0, node}, P{5, 0, plain}, P{5, -3, plain}}));
    EXPECT_TRUE(wires.count({P{5, 6, plain}, P{5, 3, plain}, P{9, 3, plain}}));
    EXPECT_EQ(corvex_check::Consistency(), "");
}

TEST_F(RouterFaults2, ACutEndWhereTwoOtherWiresEndStaysAJunction)
{
    // Two stubs end on b's bend (5,0): after the cut three wires meet
    // there, which is a junction, not a place to join.
    ASSERT_TRUE(Load(R"(
include discrete.nls
unit 0.1in
design T
level MAIN
net A R1.2 R2.1
page P frame 20in 16in
  component R1 R at 0 0
  component R2 R at 20 10
  wire A R1.2 (5 0) (5 3)
  wire A (5 0) (8 0)
  wire A (5 0) (5 -3)
end
)",
                     0));
    const int32_t a = NetIndex("A");
    const size_t before = NetChain(a).size();
    const int32_t p = SegmentStart(a, 5, 0, 5, 3);
    ASSERT_NE(p, 0);
    char msg[100] = {};
    int32_t state = -1;
    ASSERT_EQ(SCR_DeleteOneSegmentInThePage(&state, msg, sizeof msg, p), 1);
    EXPECT_EQ(NetChain(a).size(), before);
    for (int32_t b : NetChain(a)) EXPECT_TRUE(FlagsAt(b, 5, 0) & kPointJunction);
    EXPECT_EQ(corvex_check::Consistency(), "");
}

// ---- picking a net at a bus member's pin --------------------------------------------

TEST_F(RouterFaults2, PickingANetAtAMembersPinGivesTheWireThere)
{
    ASSERT_TRUE(Load(kBusTap, 0));
    const int32_t c = ImageNet("C");
    ASSERT_NE(c, 0);
    // R1.2 at (3, 0): a pin of member C, where C's wire starts.
    const int32_t pin[2] = {3 * kU, 0};
    char msg[100] = {};
    EXPECT_EQ(SCR_QuestCommand(pin, msg, 1), c);
    EXPECT_EQ(SCR_QuestCommand(pin, msg, 11), c);
    // R2.1 at (7, 0): a member's pin without a wire: nothing.
    const int32_t bare[2] = {7 * kU, 0};
    EXPECT_EQ(SCR_QuestCommand(bare, msg, 1), 0);
    EXPECT_EQ(SCR_QuestCommand(bare, msg, 11), 0);
    // An ordinary net's pin still gives its net.
    const int32_t other[2] = {-3 * kU, 20 * kU};
    EXPECT_EQ(SCR_QuestCommand(other, msg, 1), NetIndex("A"));
}

TEST_F(RouterFaults2, PickingANetAtAMembersPinUnderTheBusWireGivesNothing)
{
    // The bus wire passes over R1.2: a bus wire is no net to route.
    ASSERT_TRUE(Load(R"(
include discrete.nls
unit 0.1in
design T
level MAIN
net C R1.2 R2.1
net A R3.1 R4.1
page P frame 20in 16in
  component R1 R at 0 0
  component R2 R at 10 0
  component R3 R at 0 20
  component R4 R at 10 20
  buswire BUS (3 -5) (3 5)
end
bus BUS C
)",
                     0));
    const int32_t pin[2] = {3 * kU, 0};
    char msg[100] = {};
    EXPECT_EQ(SCR_QuestCommand(pin, msg, 1), 0);
}

// ---- the library's exported names ---------------------------------------------------

// The names of the defined symbols a shared library exports, read from its
// dynamic symbol table.
bool ExportedNames(const std::string& path, std::set<std::string>& names)
{
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), {});
    if (bytes.size() < sizeof(Elf64_Ehdr) || std::memcmp(bytes.data(), ELFMAG, SELFMAG) != 0) return false;
    if (bytes[EI_CLASS] != ELFCLASS64) return false;
    Elf64_Ehdr eh;
    std::memcpy(&eh, bytes.data(), sizeof eh);
    auto section = [&](size_t i, Elf64_Shdr& sh) {
        const size_t at = eh.e_shoff + i * eh.e_shentsize;
        if (at + sizeof sh > bytes.size()) return false;
        std::memcpy(&sh, bytes.data() + at, sizeof sh);
        return true;
    };
    bool found = false;
    for (size_t i = 0; i < eh.e_shnum; ++i) {
        Elf64_Shdr sh;
        if (!section(i, sh)) return false;
        if (sh.sh_type != SHT_DYNSYM) continue;
        Elf64_Shdr strings;
        if (!section(sh.sh_link, strings)) return false;
        if (sh.sh_offset + sh.sh_size > bytes.size() || strings.sh_offset + strings.sh_size > bytes.size()) return false;
        found = true;
        for (size_t k = 1; k < sh.sh_size / sizeof(Elf64_Sym); ++k) {
            Elf64_Sym sym;
            std::memcpy(&sym, bytes.data() + sh.sh_offset + k * sizeof sym, sizeof sym);
            if (sym.st_shndx == SHN_UNDEF) continue;
            const int bind = ELF64_ST_BIND(sym.st_info);
            if (bind != STB_GLOBAL && bind != STB_WEAK && bind != STB_GNU_UNIQUE) continue;
            if (ELF64_ST_VISIBILITY(sym.st_other) != STV_DEFAULT || sym.st_name >= strings.sh_size) continue;
            names.insert(bytes.data() + strings.sh_offset + sym.st_name);
        }
    }
    return found;
}

#define CORVEX_NAME_OF(ret, name, params, args) #name,

TEST(CorvexLibrary, ExportsExactlyTheFunctionsOfItsList)
{
    const std::set<std::string> list{CORVEX_FUNCTIONS(CORVEX_NAME_OF)};
    std::set<std::string> exported;
    ASSERT_TRUE(ExportedNames(CORVEX_LIBRARY_FILE, exported)) << CORVEX_LIBRARY_FILE;
    std::vector<std::string> extra, missing;
    std::set_difference(exported.begin(), exported.end(), list.begin(), list.end(), std::back_inserter(extra));
    std::set_difference(list.begin(), list.end(), exported.begin(), exported.end(), std::back_inserter(missing));
    std::string text;
    for (const std::string& n : extra) text += " +" + n;
    for (const std::string& n : missing) text += " -" + n;
    EXPECT_TRUE(extra.empty() && missing.empty()) << text;
}

// ---- pages larger than 10,000 cells of half an inch ----------------------------------

TEST_F(RouterFaults2, ALargePageGetsLargerCellsAndRoutes)
{
    // 56.5 x 43.5 inches would need 114 x 88 cells of half an inch.
    ASSERT_TRUE(Load(R"(
include discrete.nls
unit 0.1in
design T
level MAIN
net A R1.2 R2.1
net B R3.2 R4.1
net C R5.2 R6.1
page P frame 56.5in 43.5in
  component R1 R at -270 -200
  component R2 R at -250 -195
  component R3 R at 250 200
  component R4 R at 270 190
  component R5 R at -20 0
  component R6 R at 20 10
end
)",
                     5));
    EXPECT_GT(g_FieldGrid.cellSize, 1270000);
    EXPECT_LE(g_FieldGrid.cellCount, 10000);
    EXPECT_LE(int64_t(g_FieldGrid.columns) * g_FieldGrid.rows, 10000);
    // The whole format lies in the grid.
    EXPECT_GE(int64_t(g_FieldGrid.columns) * g_FieldGrid.cellSize, int64_t(g_FieldGrid.rightBound) - g_FieldGrid.originX);
    EXPECT_GE(int64_t(g_FieldGrid.rows) * g_FieldGrid.cellSize, int64_t(g_FieldGrid.topBound) - g_FieldGrid.originY);
    RouteAll();
    const auto stats = corvex_check::Measure();
    EXPECT_EQ(stats.pairs, 3);
    EXPECT_EQ(stats.connected, 3);
    EXPECT_EQ(stats.violations, 0);
    EXPECT_EQ(corvex_check::Consistency(), "");
    // A page that fits goes back to cells of half an inch.
    ASSERT_TRUE(Load(kStraightPair));
    EXPECT_EQ(g_FieldGrid.cellSize, 1270000);
}

}  // namespace
}  // namespace router_test
