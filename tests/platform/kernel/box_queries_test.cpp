// The calls a box selection uses instead of walking cover lists and reading
// records one by one: the sets of covered components and wires, the cover
// order of some wires, all records of a wire in one read, and a mask on a
// list of objects. Each must answer as the one-by-one calls do.
#include "platform/kernel/nvokernel32.h"
#include "tests/support/kernel_fixture.h"

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

namespace {

using BoxQueries = palvane_test::KernelTest;

constexpr int32_t U = 1000;

struct Page {
    int32_t page1 = 0, page2 = 0;
    int32_t frame = 0;                      // page 1's frame branch
    std::vector<int32_t> comps, wires;      // page 1
    int32_t otherComp = 0, otherWire = 0;  // page 2
    int32_t shared = 0;                     // a junction two wires meet at
};

int32_t Wire(int32_t net, const std::vector<std::pair<int32_t, int32_t>>& points)
{
    const int32_t w = B_CreateBranch(0, 1, net);
    for (const auto& [x, y] : points) B_InsertRecord(w, -1, 5, J_CreateJunction(0, 3, x, y));
    return w;
}

// Page 1: a row of 400U x 200U boxes every 1000U along y = 0, wires above
// them (one bent, two meeting at a shared junction) and a rectangular frame
// around it all; page 2: one box and one wire right where page 1's are.
Page MakePage()
{
    Page p;
    p.page1 = DB_CurPage();
    const int32_t symbol = S_CreateSymbol(0, "BOX");
    O_Mask(S_Symbol(symbol), 1, 3);
    ItemRec rect{};
    rect.Kind = 3;
    rect.P1 = 400 * U;
    rect.P2 = 200 * U;
    OA_Add(S_SymbolItemArray(symbol), I_MakeItem(&rect));
    S_AddEntry(symbol, "1", 0, 100 * U, 0, 0, 0, 0);
    for (int i = 0; i < 5; ++i) {
        const std::string name = "U" + std::to_string(i + 1);
        p.comps.push_back(C_CreateComponent(0, name.c_str(), 1, 0, symbol, 1, i * 1000 * U, 0, 0));
    }
    const int32_t net = N_CreateNet(0, 1, "N");
    p.wires.push_back(Wire(net, {{0, 1000 * U}, {4000 * U, 1000 * U}}));
    p.wires.push_back(Wire(net, {{0, 2000 * U}, {2000 * U, 2000 * U}, {2000 * U, 3000 * U}}));
    p.wires.push_back(Wire(net, {{3000 * U, 2000 * U}, {3000 * U, 2500 * U}}));
    p.shared = J_CreateJunction(0, 11, 3000 * U, 3000 * U);
    for (const int32_t x : {2500 * U, 3500 * U}) {
        const int32_t w = B_CreateBranch(0, 1, net);
        B_InsertRecord(w, -1, 5, p.shared);
        B_InsertRecord(w, -1, 5, J_CreateJunction(0, 3, x, 3500 * U));
        p.wires.push_back(w);
    }
    p.frame = -100 - p.page1;
    EXPECT_NE(B_CreateBranch(p.frame, 4, 0), 0);
    for (const auto& [x, y] : {std::pair{-1000 * U, -1000 * U}, {6000 * U, -1000 * U}, {6000 * U, 5000 * U},
                               {-1000 * U, 5000 * U}, {-1000 * U, -1000 * U}})
        B_InsertRecord(p.frame, -1, 5, J_CreateJunction(0, 3, x, y));
    p.page2 = DB_CreatePage(0, "P2");
    DB_SetCurPage(p.page2);
    p.otherComp = C_CreateComponent(0, "V1", 1, 0, symbol, 1, 0, 0, 0);
    p.otherWire = Wire(net, {{0, 1000 * U}, {4000 * U, 1000 * U}});
    DB_SetCurPage(p.page1);
    return p;
}

std::vector<int32_t> Sorted(std::vector<int32_t> ids)
{
    std::sort(ids.begin(), ids.end());
    return ids;
}

std::vector<int32_t> CompCovers(int32_t x, int32_t y, int32_t tolerance)
{
    std::vector<int32_t> ids;
    for (int32_t id = C_CoverComponent(x, y, tolerance, nullptr); id; id = C_CoverNextComponent(nullptr))
        ids.push_back(id);
    return ids;
}

std::vector<int32_t> WireCovers(int32_t x, int32_t y, int32_t tolerance)
{
    std::vector<int32_t> ids;
    for (int32_t id = B_CoverBranch(x, y, tolerance, nullptr); id; id = B_CoverNextBranch(nullptr))
        ids.push_back(id);
    return ids;
}

template <class Call>
std::vector<int32_t> Set(Call call)
{
    std::vector<int32_t> ids(64, -7);
    const int32_t n = call(ids.data(), static_cast<int32_t>(ids.size()));
    EXPECT_GE(n, 0);
    EXPECT_LE(n, 64);
    ids.resize(static_cast<size_t>(std::max(n, 0)));
    return ids;
}

struct BoxCase {
    const char* what;
    bool onPage2;
    int32_t x, y, tolerance;
};

// Inside (everything), crossing (a circle through the boxes and wires),
// touching the edge (a box side and a wire exactly at the tolerance), empty,
// the other page, the frame alone.
const BoxCase kBoxCases[] = {
    {"everything inside", false, 2500 * U, 2000 * U, 20000 * U},
    {"crossing", false, 1000 * U, 1000 * U, 1200 * U},
    {"touching box sides", false, 1700 * U, 100 * U, 300 * U},
    {"touching a wire", false, 1700 * U, 700 * U, 300 * U},
    {"nothing there", false, 20000 * U, 20000 * U, 1000 * U},
    {"the other page", true, 2000 * U, 1000 * U, 1500 * U},
    {"the frame alone", false, 6500 * U, 2000 * U, 600 * U},
    {"zero tolerance on a wire", false, 2000 * U, 1000 * U, 0},
};

TEST_F(BoxQueries, CoverSetsHoldWhatTheCoverListsHoldWalkedOrIndexed)
{
    const Page p = MakePage();
    for (const BoxCase& c : kBoxCases) {
        SCOPED_TRACE(c.what);
        const int32_t page = c.onPage2 ? p.page2 : p.page1;
        // Switching pages puts the index build off: the first query walks.
        DB_SetCurPage(page == p.page1 ? p.page2 : p.page1);
        DB_SetCurPage(page);
        for (const char* state : {"walked", "indexed", "built"}) {
            SCOPED_TRACE(state);
            const auto comps = Set([&](int32_t* ids, int32_t n) { return C_CoverComponentSet(c.x, c.y, c.tolerance, ids, n); });
            const auto wires = Set([&](int32_t* ids, int32_t n) { return B_CoverBranchSet(c.x, c.y, c.tolerance, ids, n); });
            EXPECT_EQ(Sorted(comps), Sorted(CompCovers(c.x, c.y, c.tolerance)));
            EXPECT_EQ(Sorted(wires), Sorted(WireCovers(c.x, c.y, c.tolerance)));
        }
    }
    DB_SetCurPage(p.page1);
    // What the cases reach, so that the table means what it says.
    EXPECT_EQ(Sorted(WireCovers(2500 * U, 2000 * U, 20000 * U)).front(), p.frame);
    EXPECT_EQ(WireCovers(6500 * U, 2000 * U, 600 * U), std::vector<int32_t>{p.frame});
    EXPECT_EQ(Sorted(CompCovers(1700 * U, 100 * U, 300 * U)), (std::vector<int32_t>{p.comps[1], p.comps[2]}));
    EXPECT_EQ(WireCovers(1700 * U, 700 * U, 300 * U), std::vector<int32_t>{p.wires[0]});
    DB_SetCurPage(p.page2);
    EXPECT_EQ(Sorted(WireCovers(2000 * U, 1000 * U, 1500 * U)), std::vector<int32_t>{p.otherWire});
}

TEST_F(BoxQueries, CoverSetsCountBeyondTheBufferAndRefuseBadBuffers)
{
    const Page p = MakePage();
    const int32_t all = static_cast<int32_t>(WireCovers(2500 * U, 2000 * U, 20000 * U).size());
    EXPECT_EQ(B_CoverBranchSet(2500 * U, 2000 * U, 20000 * U, nullptr, 0), all);
    int32_t two[2] = {0, 0};
    EXPECT_EQ(B_CoverBranchSet(2500 * U, 2000 * U, 20000 * U, two, 2), all);
    EXPECT_NE(two[0], 0);
    EXPECT_NE(two[1], 0);
    EXPECT_EQ(C_CoverComponentSet(2500 * U, 2000 * U, 20000 * U, nullptr, 0), 5);
    EXPECT_EQ(C_CoverComponentSet(0, 0, 10, nullptr, 3), -1);
    EXPECT_EQ(B_CoverBranchSet(0, 0, 10, two, -1), -1);
    // A set query leaves the cover list where it was.
    EXPECT_EQ(B_CoverBranch(1000 * U, 1500 * U, 600 * U, nullptr), p.wires[0]);
    B_CoverBranchSet(2500 * U, 2000 * U, 20000 * U, nullptr, 0);
    EXPECT_EQ(B_CoverNextBranch(nullptr), p.wires[1]);
    EXPECT_EQ(B_CoverNextBranch(nullptr), 0);
}

TEST_F(BoxQueries, CoverOrderIsTheCoverListsOrder)
{
    const Page p = MakePage();
    for (const auto& [x, y, tolerance] : {std::tuple{2500 * U, 2000 * U, 20000 * U},
                                          std::tuple{3000 * U, 3000 * U, 800 * U}, std::tuple{0, 0, 5000 * U}}) {
        const std::vector<int32_t> listed = WireCovers(x, y, tolerance);
        ASSERT_GT(listed.size(), 1u);
        std::vector<int32_t> ids(listed.rbegin(), listed.rend());
        EXPECT_EQ(B_CoverBranchOrder(x, y, ids.data(), static_cast<int32_t>(ids.size())),
                  static_cast<int32_t>(ids.size()));
        EXPECT_EQ(ids, listed);
    }
    // The two wires from the shared junction lie equally far from it: by id.
    std::vector<int32_t> tie = {p.wires[4], p.wires[3]};
    B_CoverBranchOrder(3000 * U, 3000 * U, tie.data(), 2);
    EXPECT_EQ(tie, (std::vector<int32_t>{p.wires[3], p.wires[4]}));
    // Ids that are no wire of the page go last, by id.
    std::vector<int32_t> mixed = {9999, p.otherWire, p.wires[1], p.wires[0]};
    B_CoverBranchOrder(0, 1000 * U, mixed.data(), 4);
    EXPECT_EQ(mixed, (std::vector<int32_t>{p.wires[0], p.wires[1], p.otherWire, 9999}));
    EXPECT_EQ(B_CoverBranchOrder(0, 0, nullptr, 3), 0);
    EXPECT_EQ(B_CoverBranchOrder(0, 0, mixed.data(), 0), 0);
}

TEST_F(BoxQueries, ReadRecordsShowsWhatReadRecordShows)
{
    const Page p = MakePage();
    // A junction moved after the wire was made: the records show it there.
    BranchPointRec first{};
    ASSERT_EQ(B_ReadRecord(p.wires[1], 2, &first), 1);
    O_ChangePosition(J_Junction(first.Ref), 2100 * U, 2050 * U);
    B_MaskRecord(p.wires[1], 3, 256, 256);
    for (const int32_t wire : {p.wires[1], p.frame, p.wires[3]}) {
        SCOPED_TRACE(wire);
        BranchRec rec{};
        ASSERT_EQ(B_ReadBranch(wire, &rec), 1);
        std::vector<BranchPointRec> all(static_cast<size_t>(rec.Points) + 2);
        EXPECT_EQ(B_ReadRecords(wire, all.data(), static_cast<int32_t>(all.size())), rec.Points);
        for (int32_t i = 1; i <= rec.Points; ++i) {
            BranchPointRec one{};
            ASSERT_EQ(B_ReadRecord(wire, i, &one), 1);
            const BranchPointRec& batch = all[static_cast<size_t>(i - 1)];
            EXPECT_EQ(std::tie(batch.Flags, batch.Ref, batch.X, batch.Y), std::tie(one.Flags, one.Ref, one.X, one.Y));
        }
    }
    BranchPointRec one[1] = {};
    EXPECT_EQ(B_ReadRecords(p.wires[1], one, 1), 3);  // the count, one filled
    EXPECT_EQ(one[0].X, 0);
    EXPECT_EQ(B_ReadRecords(p.wires[1], nullptr, 0), 3);
    const int32_t empty = B_CreateBranch(0, 1, 0);
    EXPECT_EQ(B_ReadRecords(empty, one, 1), 0);
    EXPECT_EQ(B_ReadRecords(9999, one, 1), -1);
    EXPECT_EQ(B_ReadRecords(p.wires[1], nullptr, 2), -1);
    EXPECT_EQ(B_ReadRecords(p.wires[1], one, -1), -1);
}

TEST_F(BoxQueries, MaskIdsMarksTheListedObjectsOnly)
{
    const Page p = MakePage();
    const int32_t map = DB_SchCompMap();
    const int32_t ids[] = {p.comps[0], p.comps[2], p.comps[2], 9999};
    EXPECT_EQ(OM_MaskIds(map, ids, 4, 256, 256), 3);  // repeats count, strangers not
    for (size_t i = 0; i < p.comps.size(); ++i)
        EXPECT_EQ(O_GetStatus(C_Component(p.comps[i])) & 256, i == 0 || i == 2 ? 256 : 0) << i;
    EXPECT_EQ(OM_MaskIds(map, ids, 1, 0, 256), 1);
    EXPECT_EQ(O_GetStatus(C_Component(p.comps[0])) & 256, 0);
    EXPECT_EQ(OM_MaskIds(map, nullptr, 2, 256, 256), 0);
    EXPECT_EQ(OM_MaskIds(map, ids, 0, 256, 256), 0);
    EXPECT_EQ(OM_MaskIds(0, ids, 2, 256, 256), 0);
    // The frame of a page is in the wire map under its negative id.
    const int32_t frame[] = {p.frame};
    EXPECT_EQ(OM_MaskIds(DB_BranchMap(), frame, 1, 1024, 1024), 1);
    EXPECT_EQ(O_GetStatus(B_Branch(p.frame)) & 1024, 1024);
}

}  // namespace
