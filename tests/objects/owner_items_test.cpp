// Items by owner: the five owner kinds made, read at their absolute place,
// hit and deleted on one design; failures that leave nothing behind;
// drawing, erasing, writing back and selecting wire texts.
#include "editor/objects/owner_items.h"
#include "editor/shell/curpos.h"
#include "platform/kernel/nvokernel32.h"
#include "tests/objects/objects_fixture.h"
#include "tests/support/design_builder.h"
#include "tests/support/raster.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

constexpr int32_t kMark = 4096;

class OwnerItems : public palvane_test::KernelTest {
protected:
    void SetUp() override
    {
        KernelTest::SetUp();
        ASSERT_TRUE(palvane_test::BuildDesign(R"(
include discrete.nls
unit 0.1in
design D
level MAIN
net N
page P
  component R1 R at 10 0 angle 90
  component R2 R at 30 0
  wire N R1.2 (10 10) (30 10) R2.1 label 20 10.5
end
)"));
        symbol = S_CreateSymbol(0, "DRAWING");
        ASSERT_GT(symbol, 0);
        int32_t cursor = OM_GetFirst(DB_SchCompMap());
        comp = OM_SearchMask(DB_SchCompMap(), &cursor, 0, 0);
        cursor = OM_GetFirst(DB_LayCompMap());
        layComp = OM_SearchMask(DB_LayCompMap(), &cursor, 0, 0);
        cursor = OM_GetFirst(DB_BranchMap());
        branch = OM_SearchMask(DB_BranchMap(), &cursor, 0, 0);
        ASSERT_GT(comp, 0);
        ASSERT_GT(layComp, 0);
        ASSERT_GT(branch, 0);
        S_SetCompLocation(1000000, -500000, 0, 0);
    }

    static ItemRec Text(int32_t x, int32_t y)
    {
        ItemRec record{};
        record.Kind = 6;
        record.Flags = 1 | kMark;
        record.Link = 7;
        record.Gap = 3;
        record.X = x;
        record.Y = y;
        record.P1 = 8000;
        record.P2 = 6000;
        return record;
    }

    int32_t symbol = 0, comp = 0, layComp = 0, branch = 0;
};

// Where a point of an owner lands on the page: mirror, turn, move.
void Place(int32_t x, int32_t y, int32_t ox, int32_t oy, int32_t angle, bool mirror, int32_t& ax, int32_t& ay)
{
    const double a = angle / 1000.0 * std::acos(-1.0) / 180.0;
    const double mx = mirror ? -x : x;
    ax = static_cast<int32_t>(std::lround(ox + mx * std::cos(a) - y * std::sin(a)));
    ay = static_cast<int32_t>(std::lround(oy + mx * std::sin(a) + y * std::cos(a)));
}

TEST_F(OwnerItems, EveryOwnerKindMakesReadsAbsoluteCoversAndDeletes)
{
    CompRec c{};
    ASSERT_EQ(C_ReadComponent(comp, &c), 1);
    LayCompRec l{};
    ASSERT_EQ(L_ReadComponent(layComp, &l), 1);
    struct Case {
        int32_t kind;
        int32_t owner;
        int32_t ox, oy, angle;
        bool mirror;
    } cases[] = {
        {kOwnerSymbol, symbol, 1000000, -500000, 0, false},
        {kOwnerComp, comp, c.X, c.Y, c.Angle, (c.Flags & 2) != 0},
        {kOwnerLayComp, layComp, l.X, l.Y, l.Angle, (l.Flags & 2) != 0},
        {kOwnerLayout, 0, 0, 0, 0, false},
        {kOwnerBranch, branch, 0, 0, 0, false},
    };
    const int32_t relX = 3000000, relY = 3000000;
    for (const Case& k : cases) {
        SCOPED_TRACE(k.kind);
        const int32_t array = OwnerItemArray(k.kind, k.owner);
        ASSERT_NE(array, 0);
        const int32_t before = OA_GetCount(array);
        int32_t status = 0, item = -1;
        const int32_t index = MakeOwnerItem(status, k.kind, k.owner, Text(relX, relY), "OWNED", item);
        ASSERT_EQ(status, 0);
        EXPECT_EQ(index, before + 1);
        EXPECT_EQ(item, index);

        ItemRec abs{};
        ASSERT_EQ(I_ReadItemAbs(OwnerItem(k.kind, k.owner, index), &abs), 1);
        int32_t ax = 0, ay = 0;
        Place(relX, relY, k.ox, k.oy, k.angle, k.mirror, ax, ay);
        EXPECT_EQ(abs.X, ax);
        EXPECT_EQ(abs.Y, ay);
        EXPECT_EQ(abs.Link, 7);
        EXPECT_EQ(abs.Gap, 3);
        EXPECT_STREQ(abs.Text, "OWNED");

        EXPECT_EQ(OA_Cover(array, 1, ax, ay, 100), index);

        DeleteOwnerItems(k.kind, k.owner, kMark);
        EXPECT_EQ(OA_GetCount(array), before) << "only the marked item goes";
    }
}

TEST_F(OwnerItems, AnItemThatCannotBeMadeOrAddedLeavesNothing)
{
    ItemRec badKind = Text(0, 0);
    badKind.Kind = 9;
    struct Case {
        const char* what;
        int32_t kind;
        int32_t owner;
        ItemRec record;
        std::string text;
    } cases[] = {
        {"owner kind 5", 5, symbol, Text(0, 0), "T"},
        {"owner kind -1", -1, symbol, Text(0, 0), "T"},
        {"no such symbol", kOwnerSymbol, 4321, Text(0, 0), "T"},
        {"text too long", kOwnerSymbol, symbol, Text(0, 0), std::string(256, 'T')},
        {"beyond the coordinates", kOwnerSymbol, symbol, Text(230000000, 0), "T"},
        {"no such item kind", kOwnerSymbol, symbol, badKind, ""},
    };
    const int32_t array = S_SymbolItemArray(symbol);
    for (const Case& c : cases) {
        int32_t status = 0, item = 55;
        EXPECT_EQ(MakeOwnerItem(status, c.kind, c.owner, c.record, c.text, item), 0) << c.what;
        EXPECT_EQ(status, 1) << c.what;
        EXPECT_EQ(item, 55) << c.what;
        EXPECT_EQ(OA_GetCount(array), 0) << c.what;
    }
}

TEST_F(OwnerItems, DeletingEveryItemLeavesTheArrayEmpty)
{
    int32_t status = 0, item = 0;
    for (int i = 0; i < 4; ++i) MakeOwnerItem(status, kOwnerSymbol, symbol, Text(i * 100000, 0), "X", item);
    ASSERT_EQ(status, 0);
    DeleteOwnerItems(kOwnerSymbol, symbol, 1);
    EXPECT_EQ(OA_GetCount(S_SymbolItemArray(symbol)), 0);
    DeleteOwnerItems(kOwnerSymbol, symbol, 1);  // nothing left: harmless
    DeleteOwnerItems(9, symbol, 1);
}

TEST_F(OwnerItems, DrawingMarksTheItemAndErasingRestoresThePicture)
{
    S_SetCompLocation(0, 0, 0, 0);
    ItemRec line{};
    line.Kind = 1;
    line.Flags = 0;
    line.X = -500000;
    line.P1 = 1000000;
    line.P2 = 300000;
    int32_t status = 0, item = 0;
    const int32_t index = MakeOwnerItem(status, kOwnerSymbol, symbol, line, "", item);
    ASSERT_EQ(status, 0);
    const int32_t label = 1;  // the wire's label
    ASSERT_NE(B_BranchText(branch, label), 0);

    objects_test::Surface s(200, 200);
    const QImage blank = s.image;
    ASSERT_TRUE(s.Open(10000, 0, 0));
    DrawOwnerItem(kOwnerSymbol, symbol, index);
    EXPECT_EQ(O_GetStatus(S_SymbolItem(symbol, index)) & 1, 1);
    EXPECT_GT(palvane_test::CompareImages(s.image, blank).differing, 0);
    EraseOwnerItem(kOwnerSymbol, 0, symbol, index);
    EXPECT_EQ(O_GetStatus(S_SymbolItem(symbol, index)) & 1, 0);
    EXPECT_TRUE(palvane_test::CompareImages(s.image, blank).Same());
    EraseOwnerItem(kOwnerSymbol, 1, symbol, index);
    EXPECT_EQ(OA_GetCount(S_SymbolItemArray(symbol)), 0);

    DrawOwnerItem(kOwnerBranch, branch, label);
    EXPECT_EQ(O_GetStatus(B_BranchText(branch, label)) & 1, 1);
    EraseOwnerItem(kOwnerBranch, 0, branch, label);
    EXPECT_EQ(O_GetStatus(B_BranchText(branch, label)) & 1, 0);
    EXPECT_EQ(OA_GetCount(B_BranchTextArray(branch)), 1);

    // Other owner kinds draw nothing.
    const QImage now = s.image;
    DrawOwnerItem(kOwnerComp, comp, 1);
    EraseOwnerItem(kOwnerComp, 1, comp, 1);
    s.Close();
    EXPECT_TRUE(palvane_test::CompareImages(s.image, now).Same());
    EXPECT_NE(C_CompText(comp, 1), 0);
}

TEST_F(OwnerItems, WritingATextBackChangesItWholeOrNotAtAll)
{
    const int32_t label = B_BranchText(branch, 1);
    ItemRec old{};
    ASSERT_EQ(I_ReadItem(label, &old), 1);
    O_Mask(label, 1, 1);

    ItemRec changed = old;
    changed.X += 254000;
    changed.Link = 9;
    changed.P1 = old.P1 * 2;
    WriteOwnerText(kOwnerBranch, branch, 1, changed);
    ItemRec read{};
    ASSERT_EQ(I_ReadItem(label, &read), 1);
    EXPECT_EQ(read.X, changed.X);
    EXPECT_EQ(read.Link, 9);
    EXPECT_EQ(read.P1, changed.P1);
    EXPECT_EQ(read.Flags & 1, 0) << "written texts are not drawn";

    ItemRec outside = read;
    outside.X = 250000000;
    outside.Link = 11;
    ItemRec afterOther{};
    for (int32_t kind : {5, 4}) {
        WriteOwnerText(kind, branch, 1, kind == 4 ? outside : changed);
        ASSERT_EQ(I_ReadItem(label, &afterOther), 1);
        EXPECT_EQ(afterOther.Link, 9) << kind;
        EXPECT_EQ(afterOther.X, changed.X) << kind;
    }
}

TEST_F(OwnerItems, WireTextsAtAPointAreSelectedInsideTheSelectionRectangle)
{
    // The label lies at (20, 10.5) in 0.1 inch.
    const int32_t x = 20 * 254000 + 20000, y = 105 * 25400 + 20000;
    const int32_t label = B_BranchText(branch, 1);
    g_SelRect = {0, 0, 30 * 254000, 20 * 254000};
    int32_t status = 1;
    SelectBranchTextsAtPoint(status, x, y, 50000);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(O_GetStatus(label) & 256, 256);
    EXPECT_EQ(O_GetStatus(B_Branch(branch)) & 1024, 1024);

    g_SelRect = {-100, -100, 100, 100};
    SelectBranchTextsAtPoint(status, x, y, 50000);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(O_GetStatus(label) & 256, 0);
    EXPECT_EQ(O_GetStatus(B_Branch(branch)) & 1024, 0);
}

}  // namespace
