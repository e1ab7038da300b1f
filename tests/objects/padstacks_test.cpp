// Pad stacks with their pads and text, built whole before they are
// registered.
#include "editor/objects/padstacks.h"
#include "editor/shell/systables.h"
#include "platform/winsys/interaction.h"
#include "platform/kernel/nvokernel32.h"
#include "tests/support/kernel_fixture.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using PadStacks = palvane_test::KernelTest;

std::vector<ItemRec> Pads(int32_t key, int32_t map = DB_PadStackMap())
{
    std::vector<ItemRec> items;
    const int32_t array = S_PadStackItemArray(OM_Object(map, key));
    for (int32_t i = 1; i <= OA_GetCount(array); ++i) {
        ItemRec item{};
        EXPECT_NE(I_ReadItem(OA_Object(array, i), &item), 0);
        items.push_back(item);
    }
    return items;
}

TEST_F(PadStacks, SquarePadsAndOddSizesRoundHalvesToEven)
{
    LoadSystemTables();
    g_PadStackDef(1) = 1;  // layer 1 square
    g_PadStackDef(32) = 5;
    g_PadStackDef(33) = 5;  // layer 2 round
    g_PadStackDef(34) = 7;  // layer 3 round
    int32_t status = 0;
    CreatePadStack(status, 5, "", 100);
    EXPECT_EQ(status, 0);
    const std::vector<ItemRec> pads = Pads(5);
    ASSERT_EQ(pads.size(), 30u);
    EXPECT_EQ(pads[0].Kind, 3);
    EXPECT_EQ(pads[0].X, -2);
    EXPECT_EQ(pads[0].Y, -2);
    EXPECT_EQ(pads[0].P1, 5);
    EXPECT_EQ(pads[0].P2, 5);
    EXPECT_EQ(pads[1].Kind, 4);
    EXPECT_EQ(pads[1].P1, 2) << "2.5 goes to 2";
    EXPECT_EQ(pads[2].P1, 4) << "3.5 goes to 4";
    EXPECT_EQ(pads[2].Gap, 100);
}

TEST_F(PadStacks, PadStackWithATextGetsItAsItsItem)
{
    LoadSystemTables();
    int32_t status = 0, padStack = 0, key = 0;
    MakePadStack(status, 0, padStack, key, "VIA", 0, 50800);
    EXPECT_EQ(status, 0);
    EXPECT_GE(key, 1);
    const std::vector<ItemRec> items = Pads(key);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].Kind, 6);
    EXPECT_EQ(items[0].Layer, 96);
    EXPECT_EQ(items[0].P1, g_TextSizes(17).Height);
    EXPECT_STREQ(items[0].Text, "VIA");
}

TEST_F(PadStacks, AKeyThatIsTakenIsReportedAndNothingIsAdded)
{
    LoadSystemTables();
    LoadPadStacks();
    ui.ExpectMessageBox(winsys::mb::AnswerOk, "Can't create Pad Stack for Vias");
    int32_t status = 0;
    CreatePadStack(status, 3, "", 0);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(OM_GetCount(DB_PadStackMap()), 7);
}


TEST_F(PadStacks, ASizeOutsideTheKernelsRangeMakesNothing)
{
    LoadSystemTables();
    for (const int32_t size : {-2, 230000000}) {
        g_PadStackDef(40) = size;
        ui.ExpectMessageBox(winsys::mb::AnswerOk, "Can't create Via Pad Stack Item");
        int32_t status = 0;
        CreatePadStack(status, 4, "VIA", 0);
        EXPECT_EQ(status, 1) << size;
        EXPECT_EQ(OM_GetCount(DB_PadStackMap()), 0) << size;
    }
}

TEST_F(PadStacks, ASymbolsPadStackGoesIntoItsOwnMap)
{
    LoadSystemTables();
    const int32_t symbol = S_CreateSymbol(0, "PKG");
    ASSERT_GT(symbol, 0);
    int32_t status = 0, padStack = 0, key = 3;
    MakePadStack(status, symbol, padStack, key, "", 0, 40000);
    ASSERT_EQ(status, 0);
    EXPECT_EQ(key, 3);
    EXPECT_EQ(OM_Object(S_SymbolPadStackMap(symbol), 3), padStack);
    EXPECT_EQ(OM_GetCount(DB_PadStackMap()), 0);

    // A key that is taken, or a symbol that does not exist: nothing made.
    int32_t again = 0;
    MakePadStack(status, symbol, again, key, "TXT", 0, 40000);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(again, 0);
    EXPECT_EQ(OM_GetCount(S_SymbolPadStackMap(symbol)), 1);
    status = 0;
    key = 0;
    MakePadStack(status, 4321, again, key, "", 0, 0);
    EXPECT_EQ(status, 1);
}

TEST_F(PadStacks, APadThatCannotBeMadeIsNotAdded)
{
    int32_t status = 0, padStack = 0, key = 0;
    MakePadStack(status, 0, padStack, key, "", 0, 0);
    ASSERT_EQ(status, 0);
    ItemRec bad{};
    bad.Kind = 0;
    int32_t item = 9;
    MakePadStackItem(status, padStack, bad, "", item);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(item, 9);
    EXPECT_EQ(OA_GetCount(S_PadStackItemArray(padStack)), 0);
}

}  // namespace
