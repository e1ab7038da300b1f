// A symbol's items: read into the current buffers, written back, hit at a
// point, relinked and deleted by link.
#include "editor/objects/owner_items.h"
#include "editor/objects/symbol_items.h"
#include "editor/shell/curpos.h"
#include "platform/kernel/nvokernel32.h"
#include "tests/support/kernel_fixture.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class SymbolItems : public palvane_test::KernelTest {
protected:
    void SetUp() override
    {
        KernelTest::SetUp();
        symbol = S_CreateSymbol(0, "NOTES");
        ASSERT_GT(symbol, 0);
        S_SetCompLocation(0, 0, 0, 0);
        g_PickTolerance = 5000;
    }

    // Adds an item; returns its index.
    int32_t Add(int32_t kind, int32_t x, int32_t y, int32_t link, int32_t flags = 1, const std::string& text = "")
    {
        ItemRec record{};
        record.Kind = kind;
        record.Flags = flags;
        record.Link = link;
        record.X = x;
        record.Y = y;
        record.P1 = kind == 6 ? 8000 : 100000;
        record.P2 = kind == 6 ? 6000 : 100000;
        int32_t status = 0, item = 0;
        const int32_t index = MakeOwnerItem(status, kOwnerSymbol, symbol, record, text, item);
        EXPECT_EQ(status, 0);
        return index;
    }

    int32_t symbol = 0;
};

TEST_F(SymbolItems, ReadingFillsTheBuffersOrFailsWithStatusOne)
{
    const int32_t rect = Add(3, 100000, 200000, 0);
    const int32_t text = Add(6, 300000, 400000, 0, 1, "Hello");

    int32_t status = 1, kind = -1;
    std::string read;
    ReadSymbItem(status, symbol, rect, read, kind);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(kind, 3);
    EXPECT_EQ(g_SymbItem.X, 100000);
    EXPECT_EQ(g_SymbItemOld.X, 100000);

    ReadSymbItem(status, symbol, text, read, kind);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(kind, 6);
    EXPECT_EQ(read, "Hello");
    EXPECT_EQ(g_SymbText.X, 300000);
    EXPECT_EQ(g_SymbTextOld.Y, 400000);
    EXPECT_EQ(g_SymbItemOld.X, 100000) << "the copy of the last non-text item stays";

    // A missing item: status 1, kind 0, the buffers as they were.
    const ItemRec item = g_SymbItem, textRec = g_SymbText;
    read = "unchanged";
    ReadSymbItem(status, symbol, 9, read, kind);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(kind, 0);
    EXPECT_EQ(read, "unchanged");
    EXPECT_EQ(g_SymbItem.X, item.X);
    EXPECT_EQ(g_SymbText.Y, textRec.Y);
    ReadSymbItemAbs(status, symbol, 9, read);
    EXPECT_EQ(status, 1);

    // At the placement frame.
    S_SetCompLocation(1000000, 0, 90000, 0);
    ReadSymbItemAbs(status, symbol, text, read);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(g_SymbText.X, 1000000 - 400000);
    EXPECT_EQ(g_SymbText.Y, 300000);
    EXPECT_EQ(read, "Hello");
}

TEST_F(SymbolItems, WritingBackTakesTheRecordAndClearsTheDrawnMark)
{
    const int32_t rect = Add(3, 100000, 200000, 0);
    int32_t status = 1, kind = 0;
    std::string text;
    ReadSymbItem(status, symbol, rect, text, kind);
    O_Mask(S_SymbolItem(symbol, rect), 1, 1);
    ItemRec changed = g_SymbItem;
    changed.X = -50000;
    changed.P1 = 70000;
    changed.Link = 4;
    changed.Style = 16;
    WriteSymbItem(symbol, rect, changed);
    ItemRec read{};
    ASSERT_EQ(I_ReadItem(S_SymbolItem(symbol, rect), &read), 1);
    EXPECT_EQ(read.X, -50000);
    EXPECT_EQ(read.P1, 70000);
    EXPECT_EQ(read.Link, 4);
    EXPECT_EQ(read.Style, 16);
    EXPECT_EQ(read.Flags & 1, 0);

    changed.Y = -300000000;
    changed.Link = 8;
    WriteSymbItem(symbol, rect, changed);
    ASSERT_EQ(I_ReadItem(S_SymbolItem(symbol, rect), &read), 1);
    EXPECT_EQ(read.Link, 4) << "a position beyond the coordinates changes nothing";
}

TEST_F(SymbolItems, CoversFindTheFirstItemAndTheFirstOfAKind)
{
    const int32_t text = Add(6, 0, 0, 0, 1, "T");
    const int32_t rect = Add(3, 0, 0, 0);
    int32_t status = 1, index = 0;
    CoverSymbItem(status, symbol, 1000, 1000, index);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(index, text);
    CoverSymbItemOfType(status, symbol, 3, 1000, 1000, index);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(index, rect);
    CoverSymbItemOfType(status, symbol, 1, 1000, 1000, index);
    EXPECT_EQ(status, 1);
    CoverSymbItem(status, symbol, 5000000, 5000000, index);
    EXPECT_EQ(status, 1);
}

TEST_F(SymbolItems, ItemsAreRelinkedAndDeletedByMaskAndLink)
{
    Add(3, 0, 0, 5, 1);
    Add(3, 0, 0, 5, 2);
    Add(3, 0, 0, 6, 1);
    Add(3, 0, 0, 5, 1);
    RelinkSymbItems(symbol, 1, 5, 8);
    const int32_t array = S_SymbolItemArray(symbol);
    std::string links;
    for (int32_t i = 1; i <= OA_GetCount(array); ++i) {
        ItemRec r{};
        I_ReadItem(OA_Object(array, i), &r);
        links += std::to_string(r.Link);
    }
    EXPECT_EQ(links, "8568");
    RelinkSymbItems(symbol, 1, 8, 8);  // the same link again ends too

    DeleteSymbItemsByLink(symbol, 1, 8);
    EXPECT_EQ(OA_GetCount(array), 2);
    DeleteSymbItemsByLink(symbol, 3, 5);
    DeleteSymbItemsByLink(symbol, 3, 6);
    EXPECT_EQ(OA_GetCount(array), 0);
}

}  // namespace
