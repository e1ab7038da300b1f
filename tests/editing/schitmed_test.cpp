// The item property editor: its table, typed and picked values written to
// the item at once, Undo and Cancel, and text replacements that survive a
// refused step of the kernel.
#include "editor/editing/schitmed.h"
#include "editor/objects/owner_items.h"
#include "editor/objects/symbol_items.h"
#include "editor/shell/controls.h"
#include "editor/shell/listbox.h"
#include "editor/shell/schmain.h"
#include "editor/shell/settings.h"
#include "platform/kernel/nvokernel32.h"
#include "platform/kernel/testing.h"
#include "platform/winsys/grid.h"
#include "tests/support/editor_fixture.h"
#include "tests/support/screenshot.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr int32_t kNotes = -101;

class ItemEditor : public palvane_test::EditorTest {
protected:
    void SetUp() override
    {
        EditorTest::SetUp();
        Main();
        if (!S_Symbol(kNotes)) {
            ASSERT_EQ(S_CreateSymbol(kNotes, "@DESNOTES"), kNotes);
        }
        g_CurSymb = kNotes;
        while (Count() > 0) OA_Delete(S_SymbolItemArray(kNotes), 1);
        savedUnit_ = g_UnitIndex;
        g_UnitIndex = 1;  // millimetres
    }
    void TearDown() override
    {
        KT_FailCall("", 0);
        if (auto* form = FindFormInstance(typeid(SCHITMED))) form->Unload();
        g_UnitIndex = savedUnit_;
        EditorTest::TearDown();
    }
    int32_t Count() { return OA_GetCount(S_SymbolItemArray(kNotes)); }
    ItemRec Item(int32_t index)
    {
        ItemRec rec{};
        I_ReadItem(S_SymbolItem(kNotes, index), &rec);
        return rec;
    }
    std::string TextOf(int32_t index)
    {
        const ItemRec rec = Item(index);
        return rec.Text ? rec.Text : "";
    }
    int32_t Add(const ItemRec& rec, const std::string& text = "")
    {
        int32_t status = 0, index = 0;
        MakeOwnerItem(status, kOwnerSymbol, kNotes, rec, text, index);
        EXPECT_EQ(status, 0);
        return index;
    }
    // Picks the item and opens the editor on it, as the item mode does.
    SCHITMED& Open(int32_t index)
    {
        g_SymbItemIdx = index;
        int32_t status = 0, kind = 0;
        ReadSymbItem(status, kNotes, index, g_SymbItemText, kind);
        EXPECT_EQ(status, 0);
        g_ItemEditorFresh = 1;
        SCHITMED& d = FormInstance<SCHITMED>();
        d.Show();
        d.Form_Activate();
        return d;
    }
    // Selects a row and types a value into it, committed with Enter.
    void Type(SCHITMED& d, int row, const std::string& text)
    {
        d.F_GD()->SetRow(row);
        d.F_GD_Click();
        d.F_TXT()->SetText(text);
        int enter = 13;
        d.F_TXT_KeyPress(enter);
    }
    size_t Beeps() const
    {
        size_t n = 0;
        for (const auto& a : ui.asked())
            if (a.kind == "Beep") ++n;
        return n;
    }

    int32_t savedUnit_ = 0;
};

ItemRec Line()
{
    ItemRec rec{};
    rec.Kind = 1;
    rec.X = 12345;  // shown rounded as 0.123 mm
    rec.Y = -6789;
    rec.P1 = 1000001;
    rec.P2 = 7;
    rec.Width = 25400;
    return rec;
}

TEST_F(ItemEditor, LineRowsAndAWidthEditLeaveTheOtherFieldsExact)
{
    const int32_t index = Add(Line());
    SCHITMED& d = Open(index);
    auto* grid = d.F_GD();
    ASSERT_EQ(grid->Rows(), 6);
    EXPECT_EQ(grid->TextMatrix(0, 0), "ID");
    EXPECT_EQ(grid->TextMatrix(0, 1), "LINE");
    EXPECT_EQ(grid->TextMatrix(5, 0), "LWidth");
    EXPECT_EQ(grid->TextMatrix(5, 1), "0.254");
    EXPECT_EQ(grid->TextMatrix(1, 1), "0.123");
    EXPECT_FALSE(d.F_UNDO()->isEnabled());

    Type(d, 5, "0,5");  // comma as decimal mark
    ItemRec now = Item(index);
    EXPECT_EQ(now.Width, 50000);
    EXPECT_EQ(now.X, 12345);
    EXPECT_EQ(now.Y, -6789);
    EXPECT_EQ(now.P1, 1000001);
    EXPECT_EQ(now.P2, 7);
    EXPECT_TRUE(d.F_UNDO()->isEnabled());
    EXPECT_FALSE(palvane_test::SaveScreenshot(d.Window(), "schitmed-line").empty());

    d.F_UNDO_Click();
    now = Item(index);
    EXPECT_EQ(now.Width, 25400);
    EXPECT_EQ(now.X, 12345);
    EXPECT_FALSE(d.F_UNDO()->isEnabled());
}

TEST_F(ItemEditor, LimitsOfTypedValues)
{
    ItemRec rect{};
    rect.Kind = 3;
    rect.P1 = rect.P2 = 100000;
    rect.Width = 1000;
    const int32_t index = Add(rect);
    SCHITMED& d = Open(index);
    ASSERT_EQ(d.F_GD()->TextMatrix(5, 0), "Rot");
    struct Case {
        int row;
        const char* text;
        bool taken;
    };
    const Case cases[] = {{5, "-361", false}, {5, "360", true},   {5, "-360", true},        {7, "2200", true},
                          {7, "2200.001", false}, {7, "-1", false}, {1, "-2200.001", false}, {1, "abc", false}, {1, "1,5", true}};
    for (const Case& c : cases) {
        const ItemRec before = Item(index);
        const size_t beeps = Beeps();
        d.F_GD()->SetRow(c.row);
        d.F_GD_Click();
        d.CommitCellText(c.text);
        const ItemRec after = Item(index);
        EXPECT_EQ(Beeps() > beeps, !c.taken) << c.text;
        if (!c.taken) {
            EXPECT_EQ(after.X, before.X) << c.text;
            EXPECT_EQ(after.Angle, before.Angle) << c.text;
            EXPECT_EQ(after.Width, before.Width) << c.text;
        }
    }
    EXPECT_EQ(Item(index).Width, 220000000);
    EXPECT_EQ(Item(index).X, 150000);  // "1,5" mm
}

TEST_F(ItemEditor, FilledRowFlipsAndCancelReturnsToTheOpeningState)
{
    ItemRec rect{};
    rect.Kind = 3;
    rect.Style = 16;
    rect.P1 = rect.P2 = 100000;
    rect.Width = 1000;
    const int32_t index = Add(rect);
    SCHITMED& d = Open(index);
    d.F_GD()->SetRow(6);
    d.F_GD_Click();
    EXPECT_EQ(Item(index).Style, 0);
    EXPECT_EQ(d.F_GD()->TextMatrix(6, 1), "False");
    d.F_GD()->SetRow(6);
    d.F_GD_Click();
    EXPECT_EQ(Item(index).Style, 16);
    Type(d, 1, "3");
    EXPECT_EQ(Item(index).X, 300000);
    d.F_Cncl_Click();
    EXPECT_EQ(Item(index).X, 0);
    EXPECT_EQ(Item(index).Style, 16);
    EXPECT_FALSE(d.F_UNDO()->isEnabled());
}

TEST_F(ItemEditor, AClearedListSelectionPicksNothing)
{
    const int32_t index = Add(Line());
    SCHITMED& d = Open(index);
    d.F_GD()->SetRow(5);
    d.F_GD_Click();
    d.F_Tsize()->SetListIndex(-1);
    d.F_Tsize_Click();
    EXPECT_EQ(Item(index).Width, 25400);
    EXPECT_FALSE(d.F_UNDO()->isEnabled());
}

TEST_F(ItemEditor, TextApplyAndRestoreMakeTheReplacementBeforeDeleting)
{
    ItemRec text{};
    text.Kind = 6;
    text.X = 1000;
    text.Y = 2000;
    text.P1 = 100000;
    text.P2 = 80000;
    Add(Line());
    const int32_t index = Add(text, "ABC");
    SCHITMED& d = Open(index);
    ASSERT_EQ(d.F_GD()->TextMatrix(4, 0), "Text");
    EXPECT_EQ(d.F_GD()->TextMatrix(4, 1), "ABC");

    Type(d, 1, "1");
    ASSERT_EQ(Count(), 2);
    EXPECT_EQ(Item(g_SymbItemIdx).X, 100000);
    EXPECT_EQ(TextOf(g_SymbItemIdx), "ABC");
    EXPECT_FALSE(palvane_test::SaveScreenshot(d.Window(), "schitmed-text").empty());

    // The kernel refuses to add the replacement: the text stays as it was.
    KT_FailCall("OA_Add", 1, -1);
    const size_t beeps = Beeps();
    Type(d, 4, "XYZ");
    EXPECT_GT(Beeps(), beeps);
    ASSERT_EQ(Count(), 2);
    EXPECT_EQ(TextOf(g_SymbItemIdx), "ABC");
    EXPECT_EQ(Item(g_SymbItemIdx).X, 100000);
    d.F_UNDO_Click();
    ASSERT_EQ(Count(), 2);
    EXPECT_EQ(Item(g_SymbItemIdx).X, 100000);
    EXPECT_EQ(TextOf(g_SymbItemIdx), "ABC");

    KT_FailCall("", 0);
    d.F_UNDO_Click();
    ASSERT_EQ(Count(), 2);
    EXPECT_EQ(Item(g_SymbItemIdx).X, 1000);
    EXPECT_EQ(TextOf(g_SymbItemIdx), "ABC");
    EXPECT_EQ(Item(1).Kind, 1);
}

}  // namespace
