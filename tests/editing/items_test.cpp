// The notes items inside the selection rectangle, and making a new item
// from the option panel and the point markers.
#include "editor/objects/owner_items.h"
#include "editor/objects/symbol_items.h"
#include "editor/shell/curpos.h"
#include "editor/shell/ribbon.h"
#include "editor/shell/schmain.h"
#include "editor/view/marks.h"
#include "platform/kernel/nvokernel32.h"
#include "tests/support/editor_fixture.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr int32_t kNotes = -101;
constexpr int32_t D = 1270000;  // 0.5 inch

class Items : public palvane_test::EditorTest {
protected:
    void SetUp() override
    {
        EditorTest::SetUp();
        if (!S_Symbol(kNotes)) {
            ASSERT_EQ(S_CreateSymbol(kNotes, "@DESNOTES"), kNotes);
        }
        g_CurSymb = kNotes;
        OA_MaskAll(S_SymbolItemArray(kNotes), 0, -1);
        while (Count() > 0) OA_Delete(S_SymbolItemArray(kNotes), 1);
        SCHMAIN& m = Main();
        m.m_BaseX = m.m_BaseY = 0;
        m.m_Rotation = 0;
        m.m_OffsetX = m.m_OffsetY = 0;
        m.m_MirrorX = m.m_MirrorY = 0;
        m.m_Scale = 1.0;
        for (int i = 0; i <= 6; ++i) m.F_OST(i)->setChecked(false);
        for (auto& mk : g_Markers) mk.Shown = 0;
    }
    int32_t Count() { return OA_GetCount(S_SymbolItemArray(kNotes)); }
    ItemRec Item(int32_t index)
    {
        ItemRec rec{};
        I_ReadItem(S_SymbolItem(kNotes, index), &rec);
        return rec;
    }
    // A drawn line from (x, y) by (dx, dy), or a text at (x, y).
    int32_t Add(int32_t kind, int32_t x, int32_t y, int32_t dx = 1000, int32_t dy = 0, const char* text = "")
    {
        ItemRec rec{};
        rec.Kind = kind;
        rec.Flags = 1;
        rec.X = x;
        rec.Y = y;
        rec.P1 = kind == 6 ? 100000 : dx;
        rec.P2 = kind == 6 ? 80000 : dy;
        rec.Width = 1000;
        int32_t status = 0, index = 0;
        MakeOwnerItem(status, kOwnerSymbol, kNotes, rec, text, index);
        EXPECT_EQ(status, 0);
        O_Mask(S_SymbolItem(kNotes, index), 1, 1);
        return index;
    }
    void AnswerDelete(bool yes)
    {
        ui.ExpectMessageBox(yes ? winsys::mb::AnswerYes : winsys::mb::AnswerNo, "Delete Selected items");
    }
};

TEST_F(Items, AFrameOneUnitOverTheBorderIsNotTaken)
{
    Add(1, 0, 0, 10000, 0);
    Add(1, 0, 100, 10001, 0);
    g_SelRect = {0, -10, 10000, 1000};
    AnswerDelete(true);
    bool rect = true;
    Main().DeleteSelectedItems(rect);
    ASSERT_EQ(Count(), 1);
    EXPECT_EQ(Item(1).P1, 10001);
}

TEST_F(Items, DeletesThreeAdjacentItemsAndNoKeepsThem)
{
    Add(1, 50000, 0);
    for (int i = 0; i < 3; ++i) Add(1, 0, i * 10);
    g_SelRect = {-10, -10, 2000, 100};
    bool rect = true;
    AnswerDelete(false);
    Main().DeleteSelectedItems(rect);
    EXPECT_EQ(Count(), 4);
    EXPECT_EQ(OA_SearchMask(S_SymbolItemArray(kNotes), 1, 256), 0);
    EXPECT_NE(OA_SearchMask(S_SymbolItemArray(kNotes), 2, 1), 0);
    AnswerDelete(true);
    Main().DeleteSelectedItems(rect);
    ASSERT_EQ(Count(), 1);
    EXPECT_EQ(Item(1).X, 50000);
}

TEST_F(Items, ClearAllDeletesUndrawnItemsWithoutAsking)
{
    Add(1, 0, 0);
    const int32_t hidden = Add(3, 500000, 500000);
    O_Mask(S_SymbolItem(kNotes, hidden), 0, 1);
    bool rect = false;
    Main().DeleteSelectedItems(rect);
    EXPECT_EQ(Count(), 0);
}

TEST_F(Items, CopyKeepsTextStringsAndGivesShapesNone)
{
    Add(1, 0, 0);
    Add(6, 100, 100, 0, 0, "HELLO");
    g_SelRect = {-4000000, -4000000, 4000000, 4000000};
    Main().m_OffsetX = 5000000;
    Main().CopyItemsInRect();
    ASSERT_EQ(Count(), 4);
    EXPECT_EQ(Item(3).X, 5000000);
    EXPECT_EQ(Item(3).Flags & 256, 0);
    EXPECT_EQ(Item(4).X, 5000100);
    EXPECT_STREQ(Item(4).Text, "HELLO");
    EXPECT_EQ(OA_SearchMask(S_SymbolItemArray(kNotes), 1, 256), 0);
}

TEST_F(Items, CopyOrMoveBeyondTheAreaChangesNothing)
{
    Add(1, 0, 0);
    Add(1, 0, 500);
    g_SelRect = {-1000000, -1000000, 1000000, 1000000};
    Main().m_OffsetX = 219999500;
    Main().CopyItemsInRect();
    EXPECT_EQ(Count(), 2);
    EXPECT_EQ(OA_SearchMask(S_SymbolItemArray(kNotes), 1, 256), 0);
    Main().TransformItemsInRect();
    EXPECT_EQ(Item(1).X, 0);
    EXPECT_EQ(Item(2).X, 0);
}

TEST_F(Items, TransformMovesTextsAndShapesAndSetsStatusOne)
{
    Add(1, 0, 0);
    Add(6, 100, 100, 0, 0, "T");
    O_Mask(S_SymbolItem(kNotes, 1), 1 | 64, 1 | 64);
    g_SelRect = {-4000000, -4000000, 4000000, 4000000};
    Main().m_OffsetY = 7000;
    Main().TransformItemsInRect();
    EXPECT_EQ(Item(1).Y, 7000);
    EXPECT_EQ(Item(2).Y, 7100);
    EXPECT_EQ(O_GetStatus(S_SymbolItem(kNotes, 1)), 1);
}

struct MakeCase {
    int option;
    bool fill;
    int markers;  // how many of m0, m1, m2 are shown
    int32_t err, kind, completion, x, y, p1, p2, p3, style, outX;
};

TEST_F(Items, MakeGraphicItemByKindAndMarkers)
{
    // Markers: m0 (1000, 0), m1 (3000, 2000), m2 (1000, 2000).
    const std::vector<MakeCase> cases = {
        {0, false, 0, 0, 1, 1, 500, 600, D, D, 0, 0, 500},
        {0, false, 1, 0, 1, 2, 1000, 0, D, D, 0, 0, 500},
        {0, false, 2, 0, 1, 0, 1000, 0, 2000, 2000, 0, 0, 500},
        {1, true, 2, 0, 3, 0, 1000, 0, 2000, 2000, 0, 16, 500},
        {4, false, 3, 0, 2, 0, 1000, 0, 2000, 2000, 0, 0, 500},
        {4, false, 2, 0, 2, 2, 1000, 0, D, D, 2000, 0, 500},
        {2, false, 0, 0, 4, 1, 500, 600, D, 0, 0, 0, 500 + D},
        {3, true, 1, 0, 5, 4, 1000, 0, D, 0, 180000, 0, 1000 + D},
        {3, false, 2, 0, 5, 3, 2000, 1000, 1414, 225000, 180000, 0, 1000},
        {3, false, 3, 0, 5, 0, 2000, 1000, 1414, 0, 0, 0, 500},
        {5, false, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0},
    };
    for (const auto& c : cases) {
        SetUp();
        SCHMAIN& m = Main();
        if (c.option <= 4) m.F_OST(c.option)->setChecked(true);
        m.F_OST(6)->setChecked(c.fill);
        const MarkerRec pts[3] = {{-1, 1000, 0}, {-1, 3000, 2000}, {-1, 1000, 2000}};
        for (int i = 0; i < c.markers; ++i) g_Markers[i] = pts[i];
        int32_t err = -1, x = 500, y = 600, link = 0, completion = -1, index = 0, kind = -1;
        m.MakeGraphicItem(err, x, y, link, completion, index, kind);
        SCOPED_TRACE(testing::Message() << "option " << c.option << " markers " << c.markers);
        EXPECT_EQ(err, c.err);
        EXPECT_EQ(kind, c.kind);
        if (c.err != 0) {
            EXPECT_EQ(Count(), 0);
            continue;
        }
        EXPECT_EQ(completion, c.completion);
        ASSERT_EQ(index, 1);
        const ItemRec it = Item(1);
        EXPECT_EQ(it.Kind, c.kind);
        EXPECT_EQ(it.X, c.x);
        EXPECT_EQ(it.Y, c.y);
        EXPECT_EQ(it.P1, c.p1);
        if (c.markers < 3 || c.kind != 5) {
            EXPECT_EQ(it.P2, c.p2);
            if (c.kind == 5 || c.kind == 2) {
                EXPECT_EQ(it.P3, c.p3);
            }
        }
        EXPECT_EQ(it.Style, c.style);
        EXPECT_EQ(x, c.outX);
        EXPECT_EQ(g_Markers[0].Shown, 0);
    }
}

TEST_F(Items, MakeGraphicItemRefusesDegenerateAndOutOfRange)
{
    SCHMAIN& m = Main();
    m.F_OST(0)->setChecked(true);
    g_Markers[0] = {-1, 100, 100};
    g_Markers[1] = {-1, 100, 100};
    int32_t err = 0, x = 0, y = 0, link = 0, completion = 0, index = 0, kind = 0;
    m.MakeGraphicItem(err, x, y, link, completion, index, kind);
    EXPECT_EQ(err, 1);
    EXPECT_EQ(g_Markers[0].Shown, -1);  // kept when nothing was made
    g_Markers[0] = g_Markers[1] = {};
    x = 219000000;
    m.MakeGraphicItem(err, x, y, link, completion, index, kind);
    EXPECT_EQ(err, 1);
    m.F_OST(0)->setChecked(false);
    m.F_OST(3)->setChecked(true);
    g_Markers[0] = {-1, 0, 0};
    g_Markers[1] = {-1, 1000, 0};
    g_Markers[2] = {-1, 2000, 0};
    m.MakeGraphicItem(err, x, y, link, completion, index, kind);
    EXPECT_EQ(err, 1);
    EXPECT_EQ(Count(), 0);
}

}  // namespace
