// The calls over many wires at once: the records of a list of wires, marks
// on (wire, record) pairs, the wires that hold texts, and the wire and
// record marks of the whole level in one walk. Each must give what the
// one-wire calls give.
#include "platform/kernel/nvokernel32.h"
#include "tests/support/kernel_fixture.h"

#include <tuple>
#include <vector>

namespace {

using BranchSets = palvane_test::KernelTest;

constexpr int32_t U = 1000;

struct Wires {
    std::vector<int32_t> wires;  // three, two and one records
    int32_t empty = 0;           // no records
    int32_t frame = 0;           // the page frame (negative id), two records
    int32_t other = 0;           // on a second page
};

int32_t Wire(int32_t net, int points, int32_t y)
{
    const int32_t w = B_CreateBranch(0, 1, net);
    for (int i = 0; i < points; ++i) B_InsertRecord(w, -1, 5, J_CreateJunction(0, 3, i * 1000 * U, y));
    return w;
}

Wires MakeWires()
{
    Wires p;
    const int32_t net = N_CreateNet(0, 1, "N");
    p.wires = {Wire(net, 3, 0), Wire(net, 2, 1000 * U), Wire(net, 1, 2000 * U)};
    p.empty = B_CreateBranch(0, 1, net);
    p.frame = -100 - DB_CurPage();
    EXPECT_NE(B_CreateBranch(p.frame, 4, 0), 0);
    B_InsertRecord(p.frame, -1, 5, J_CreateJunction(0, 3, -5000 * U, -5000 * U));
    B_InsertRecord(p.frame, -1, 5, J_CreateJunction(0, 3, 5000 * U, 5000 * U));
    const int32_t first = DB_CurPage();
    DB_SetCurPage(DB_CreatePage(0, "P2"));
    p.other = Wire(net, 2, 0);
    DB_SetCurPage(first);
    return p;
}

std::vector<BranchPointRec> OneByOne(int32_t wire)
{
    BranchRec rec{};
    if (B_ReadBranch(wire, &rec) == 0) return {};
    std::vector<BranchPointRec> all(static_cast<size_t>(rec.Points));
    for (int32_t i = 1; i <= rec.Points; ++i) B_ReadRecord(wire, i, &all[static_cast<size_t>(i - 1)]);
    return all;
}

bool Same(const BranchPointRec& a, const BranchPointRec& b)
{
    return std::tie(a.Flags, a.Ref, a.X, a.Y) == std::tie(b.Flags, b.Ref, b.X, b.Y);
}

TEST_F(BranchSets, ReadRecordSetShowsWhatReadRecordShowsWireByWire)
{
    const Wires p = MakeWires();
    // A moved junction and a marked record show as B_ReadRecord shows them.
    BranchPointRec second{};
    ASSERT_EQ(B_ReadRecord(p.wires[0], 2, &second), 1);
    O_ChangePosition(J_Junction(second.Ref), 1100 * U, 50 * U);
    B_MaskRecord(p.wires[1], 2, 256, 256);
    const std::vector<int32_t> list = {p.wires[0], 9999, p.frame, p.empty, p.wires[1], p.other, p.wires[0], p.wires[2]};
    std::vector<BranchPointRec> records(32);
    std::vector<int32_t> counts(list.size(), 77);
    ASSERT_EQ(B_ReadRecordSet(list.data(), static_cast<int32_t>(list.size()), records.data(), 32, counts.data()),
              3 + 2 + 0 + 2 + 2 + 3 + 1);
    size_t at = 0;
    for (size_t i = 0; i < list.size(); ++i) {
        SCOPED_TRACE(list[i]);
        if (list[i] == 9999) {
            EXPECT_EQ(counts[i], -1);
            continue;
        }
        const std::vector<BranchPointRec> expected = OneByOne(list[i]);
        ASSERT_EQ(counts[i], static_cast<int32_t>(expected.size()));
        for (const BranchPointRec& one : expected) EXPECT_TRUE(Same(records[at++], one));
    }
}

TEST_F(BranchSets, ReadRecordSetCountsBeyondTheBufferAndRefusesBadArguments)
{
    const Wires p = MakeWires();
    const int32_t list[] = {p.wires[0], p.wires[1]};
    BranchPointRec four[4] = {};
    int32_t counts[2] = {};
    // Room for four of five records: the total, every count, the first four.
    EXPECT_EQ(B_ReadRecordSet(list, 2, four, 4, counts), 5);
    EXPECT_EQ(counts[0], 3);
    EXPECT_EQ(counts[1], 2);
    EXPECT_TRUE(Same(four[3], OneByOne(p.wires[1])[0]));
    EXPECT_EQ(B_ReadRecordSet(list, 2, nullptr, 0, counts), 5);
    EXPECT_EQ(B_ReadRecordSet(list, 0, four, 4, counts), 0);
    EXPECT_EQ(B_ReadRecordSet(list, -1, four, 4, counts), 0);
    EXPECT_EQ(B_ReadRecordSet(nullptr, 2, four, 4, counts), -1);
    EXPECT_EQ(B_ReadRecordSet(list, 2, four, 4, nullptr), -1);
    EXPECT_EQ(B_ReadRecordSet(list, 2, nullptr, 4, counts), -1);
    EXPECT_EQ(B_ReadRecordSet(list, 2, four, -1, counts), -1);
}

TEST_F(BranchSets, MaskRecordSetMarksThePairsAsMaskRecordDoes)
{
    const Wires p = MakeWires();
    // Pairs of one wire apart and together, a repeat, a record past the
    // end, record 0, an unknown wire and the frame.
    const int32_t pairs[] = {p.wires[0], 1, p.wires[1], 2, p.wires[0], 3, p.wires[0], 3, p.wires[0], 4,
                             p.wires[1], 0, 9999,        1, p.frame,    2};
    EXPECT_EQ(B_MaskRecordSet(pairs, 8, 256, 256), 5);
    auto marked = [](int32_t wire) {
        std::vector<bool> bits;
        for (const BranchPointRec& r : OneByOne(wire)) bits.push_back((r.Flags & 256) != 0);
        return bits;
    };
    EXPECT_EQ(marked(p.wires[0]), (std::vector<bool>{true, false, true}));
    EXPECT_EQ(marked(p.wires[1]), (std::vector<bool>{false, true}));
    EXPECT_EQ(marked(p.wires[2]), (std::vector<bool>{false}));
    EXPECT_EQ(marked(p.frame), (std::vector<bool>{false, true}));
    // A mark goes again the same way; the kind bits stay.
    EXPECT_EQ(B_MaskRecordSet(pairs, 1, 0, 256), 1);
    EXPECT_EQ(marked(p.wires[0]), (std::vector<bool>{false, false, true}));
    EXPECT_EQ(OneByOne(p.wires[0])[0].Flags & 6, 4);
    EXPECT_EQ(B_MaskRecordSet(nullptr, 2, 256, 256), 0);
    EXPECT_EQ(B_MaskRecordSet(pairs, 0, 256, 256), 0);
    EXPECT_EQ(B_MaskRecordSet(pairs, -3, 256, 256), 0);
}

TEST_F(BranchSets, TextBranchSetListsTheWiresWithTextsInWalkOrder)
{
    const Wires p = MakeWires();
    std::vector<int32_t> ids(8, 0);
    EXPECT_EQ(B_TextBranchSet(ids.data(), 8), 0);
    for (const int32_t wire : {p.wires[2], p.wires[0], p.frame, p.other})
        OA_Add(B_BranchTextArray(wire), I_MakeText(0, 0, 0, 105830, 70550, "T", 3, 0, 0));
    OA_Add(B_BranchTextArray(p.wires[0]), I_MakeText(0, 0, 0, 105830, 70550, "T2", 3, 0, 0));
    // All pages, the frame passed by, ascending ids as a map walk meets them.
    std::vector<int32_t> expected = {p.wires[0], p.wires[2], p.other};
    EXPECT_EQ(B_TextBranchSet(ids.data(), 8), 3);
    ids.resize(3);
    EXPECT_EQ(ids, expected);
    int32_t one[1] = {};
    EXPECT_EQ(B_TextBranchSet(one, 1), 3);
    EXPECT_EQ(one[0], p.wires[0]);
    EXPECT_EQ(B_TextBranchSet(nullptr, 0), 3);
    EXPECT_EQ(B_TextBranchSet(nullptr, 2), -1);
    EXPECT_EQ(B_TextBranchSet(one, -1), -1);
    // A wire whose last text went is no longer listed.
    OA_Delete(B_BranchTextArray(p.wires[2]), 1);
    EXPECT_EQ(B_TextBranchSet(ids.data(), 3), 2);
    EXPECT_EQ(ids[1], p.other);
}

TEST_F(BranchSets, MaskAllBranchesIsTheWireMapMaskAndTheRecordMaskInOneWalk)
{
    const Wires p = MakeWires();
    const std::vector<int32_t> all = {p.wires[0], p.wires[1], p.wires[2], p.empty, p.frame, p.other};
    auto state = [&] {
        std::vector<int32_t> bits;
        for (const int32_t wire : all) {
            bits.push_back(O_GetStatus(B_Branch(wire)));
            for (const BranchPointRec& r : OneByOne(wire)) bits.push_back(r.Flags);
        }
        return bits;
    };
    auto scatter = [&] {
        for (size_t i = 0; i < all.size(); ++i) {
            O_Mask(B_Branch(all[i]), i % 2 ? 2816 : 1280, 3840);
            B_MaskBranchRecords(all[i], 0, 768);
            B_MaskRecord(all[i], 1, i % 3 ? 512 : 256, 768);
        }
    };
    struct Case {
        int32_t branchValue, branchMask, recValue, recMask;
    };
    for (const Case& c : {Case{0, 2048, 0, 512}, Case{0, 768, 0, 256}, Case{0, 3840, 0, 768}, Case{256, 256, 512, 768},
                          Case{0, 0, 0, 0}}) {
        SCOPED_TRACE(c.branchMask);
        scatter();
        OM_MaskAll(DB_BranchMap(), c.branchValue, c.branchMask);
        B_MaskAllRecords(c.recValue, c.recMask);
        const std::vector<int32_t> twoCalls = state();
        scatter();
        EXPECT_EQ(B_MaskAllBranches(c.branchValue, c.branchMask, c.recValue, c.recMask),
                  OM_MaskAll(DB_BranchMap(), 0, 0));
        EXPECT_EQ(state(), twoCalls);
    }
}

}  // namespace
