// The text previews through the real canvas and kernel on the demo design:
// a component text moved, turned, resized and sized from the table, a wire
// name text and a notes text moved, a text block turned and placed; each
// preview's XOR drawing erased back to the image before it, and the canvas
// after the command equal to a fresh paint.
#include "editor/interaction/command_steps.h"
#include "editor/interaction/commands.h"
#include "editor/objects/branch_hits.h"
#include "editor/objects/comp_picking.h"
#include "editor/objects/comp_state.h"
#include "editor/objects/owner_items.h"
#include "editor/objects/symbol_items.h"
#include "editor/objects/wire_state.h"
#include "editor/shell/geometry.h"
#include "editor/shell/numtext.h"
#include "editor/shell/pagedraw.h"
#include "editor/shell/ribbon.h"
#include "editor/shell/schmain.h"
#include "editor/shell/settings.h"
#include "editor/shell/systables.h"
#include "editor/view/canvas.h"
#include "platform/kernel/nvokernel32.h"
#include "tests/support/raster.h"
#include "tests/support/screenshot.h"
#include "tests/view/view_fixture.h"

#include <QApplication>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <set>
#include <utility>
#include <string>

namespace {

using palvane_test::CompareImages;

class TextPreview : public view_test::DemoTest {
protected:
    void SetUp() override
    {
        DemoTest::SetUp();
        SCHMAIN& m = Main();
        for (int i = 0; i <= 10; ++i)
            if (m.F_OST.Exists(i)) m.F_OST(i)->SetValue(false);
        m.ViewPicture->setFocus();
        m.RefreshCanvas();
    }

    void Press(int option) { Main().F_OST(option)->SetValue(true); }
    bool Pressed(int option) { return Main().F_OST(option)->Value(); }
    QImage Image() { return Main().ViewPicture->Image().copy(); }
    std::string Message() { return Main().F_MsgLine->Caption(); }

    // A pointer move at canvas pixel (x, y); Shift held means no snapping.
    void Move(int x, int y, bool shift = true) { Main().ViewPicture_MouseMove(0, shift ? 1 : 0, x, y); }

    void EraseOverlay()
    {
        Main().OpenCanvasDC();
        Main().EraseOverlay();
        Main().CloseCanvasDC();
    }

    // The preview drawn by a move is erased back to the image before it.
    void ExpectMoveErasesClean(int x, int y)
    {
        SCHMAIN& m = Main();
        EraseOverlay();
        const QImage before = Image();
        Move(x, y);
        ASSERT_NE(m.m_OverlayMF, 0);
        EXPECT_FALSE(CompareImages(before, Image()).Same());
        EraseOverlay();
        const auto d = CompareImages(before, Image());
        EXPECT_TRUE(d.Same()) << d.differing << " at " << d.firstAt.x() << "," << d.firstAt.y();
    }

    // The canvas after the command is what a fresh paint draws. The redraw
    // of the component or wire by the command's own step leaves a few pin
    // ends in the other colour; those pixels (learnt by LearnStepTrace from
    // the same command run without a preview) are let through.
    void ExpectFreshPaint()
    {
        SCHMAIN& m = Main();
        EXPECT_EQ(g_CurCommand, 0);
        EXPECT_EQ(m.m_OverlayMF, 0);
        const QImage after = Image();
        m.RefreshCanvas();
        const QImage fresh = Image();
        ASSERT_EQ(after.size(), fresh.size());
        int differing = 0;
        QPoint first;
        for (int y = 0; y < after.height(); ++y)
            for (int x = 0; x < after.width(); ++x)
                if (after.pixel(x, y) != fresh.pixel(x, y) && stepTrace_.count({x, y}) == 0 && differing++ == 0)
                    first = {x, y};
        EXPECT_EQ(differing, 0) << "first at " << first.x() << "," << first.y();
    }

    // Runs command `id` on the picked text without moving it and keeps the
    // pixels where its step's redraw differs from a fresh paint.
    void LearnStepTrace(int32_t id)
    {
        SCHMAIN& m = Main();
        m.BeginCommand(id);
        m.ViewPicture_MouseUp(1, 1, 10, 10);
        const QImage after = Image();
        m.RefreshCanvas();
        const QImage fresh = Image();
        for (int y = 0; y < after.height(); ++y)
            for (int x = 0; x < after.width(); ++x)
                if (after.pixel(x, y) != fresh.pixel(x, y)) stepTrace_.insert({x, y});
        EXPECT_LT(stepTrace_.size(), 20u) << "only pin ends may differ";
    }

    // Picks R1's text of kind `flags` (its value is the description text)
    // as the component mode does, into g_CompText and the rest.
    void PickR1Text(int32_t flags)
    {
        int32_t comp = OM_FindName(DB_SchCompMap(), "R1/1");
        ASSERT_NE(comp, 0);
        const int32_t texts = C_CompTextArray(comp);
        const int32_t index = OA_SearchMask(texts, 1, flags);
        ASSERT_GT(index, 0);
        ItemRec abs{};
        ASSERT_NE(I_ReadItemAbs(C_CompText(comp, index), &abs), 0);
        int32_t status = 1, id = 0, idx = 0;
        PickCompText(status, abs.X + 2000, abs.Y + 2000, id, idx, g_CompName);
        ASSERT_EQ(status, 0);
        ASSERT_EQ(id, comp);
        g_CompId = id;
        g_CompTextIdx = idx;
        ASSERT_NE(C_ReadComponent(comp, &g_Comp), 0);
    }

    std::set<std::pair<int, int>> stepTrace_;

    ItemRec CompTextAbs()
    {
        ItemRec rec{};
        EXPECT_NE(I_ReadItemAbs(C_CompText(g_CompId, g_CompTextIdx), &rec), 0);
        return rec;
    }
    ItemRec CompText()
    {
        ItemRec rec{};
        EXPECT_NE(I_ReadItem(C_CompText(g_CompId, g_CompTextIdx), &rec), 0);
        return rec;
    }

    // The wire of the demo that carries a name text, read as the wire mode
    // reads the text it hits.
    void PickWireText()
    {
        const int32_t map = DB_BranchMap();
        int32_t cursor = OM_GetFirst(map);
        for (int32_t branch; (branch = OM_SearchMask(map, &cursor, 0, 0)) > 0;) {
            if (O_TestPage(B_Branch(branch), 0) == 0 || OA_GetCount(B_BranchTextArray(branch)) == 0) continue;
            ItemRec rec{};
            ASSERT_NE(I_ReadItem(B_BranchText(branch, 1), &rec), 0);
            int32_t status = 1, item = 0;
            CoverBranchText(status, rec.X + 2000, rec.Y + 2000, g_CurBranch, g_CurBranchRec, item);
            ASSERT_EQ(status, 0);
            g_SymbItemIdx = item;
            return;
        }
        FAIL() << "no wire text on the page";
    }
    ItemRec WireText()
    {
        ItemRec rec{};
        EXPECT_NE(I_ReadItem(B_BranchText(g_CurBranch, g_SymbItemIdx), &rec), 0);
        return rec;
    }

    int32_t NotesCount() { return OA_GetCount(S_SymbolItemArray(g_PageNotesSymb)); }
    ItemRec NotesItem(int32_t index)
    {
        ItemRec rec{};
        EXPECT_NE(I_ReadItem(S_SymbolItem(g_PageNotesSymb, index), &rec), 0);
        return rec;
    }

    // A text block of two lines at (x, y), turned by `angle`, ready for
    // command 64 as the item mode leaves it.
    void PrepareTextBlock(int32_t x, int32_t y, double angle)
    {
        SCHMAIN& m = Main();
        g_CurSymb = g_PageNotesSymb;
        g_TextBuf = "First line\r\nSecond";
        g_TextAccepted = true;
        g_TextSizeIdx = 6;
        const TextSizeRec& size = g_TextSizes(g_TextSizeIdx);
        int32_t status = 0;
        double w = 0, h = 0;
        MeasureTextLines(status, w, h, size.Height, size.Width);
        ASSERT_EQ(status, 0);
        m.m_TextBlockX = x;
        m.m_TextBlockY = y;
        m.m_TextBlockW = w;
        m.m_TextBlockH = h;
        m.m_TextBlockAngle = angle;
    }
};

TEST(TextSteps, TableHoldsTheTextSteps)
{
    for (int32_t id : {5, 10, 37, 38, 64, 65}) EXPECT_NE(FindCommandStep(id), nullptr) << id;
}

TEST_F(TextPreview, ComponentTextMovedFollowsThePointerAndStaysOnRelease)
{
    SCHMAIN& m = Main();
    PickR1Text(4);
    LearnStepTrace(5);
    int32_t id = 5;
    m.BeginCommand(id);
    ExpectMoveErasesClean(300, 250);
    ExpectMoveErasesClean(320, 240);
    // The text's origin is the pointer (no snap with Shift held).
    ItemRec at = CompTextAbs();
    EXPECT_EQ(at.X, m.m_CursorX);
    EXPECT_EQ(at.Y, m.m_CursorY);
    EXPECT_NE(Message().find("R1/1/Comp.description rot:"), std::string::npos) << Message();
    m.ViewPicture_MouseUp(1, 1, 320, 240);
    at = CompTextAbs();
    EXPECT_EQ(at.X, m.m_CursorX);
    EXPECT_EQ(at.Y, m.m_CursorY);
    ExpectFreshPaint();
}

TEST_F(TextPreview, ComponentTextTurnsByNinetyAndShowsTheOldAngleOnce)
{
    SCHMAIN& m = Main();
    PickR1Text(4);
    LearnStepTrace(5);
    const int32_t start = CompText().Angle;
    int32_t id = 5;
    m.BeginCommand(id);
    Move(300, 250);
    const ItemRec moved = CompText();
    // Pressing the option runs the preview again at once: it turns.
    Press(0);
    EXPECT_FALSE(Pressed(0));
    EXPECT_EQ(CompText().Angle, (start + 90000) % 360000);
    EXPECT_EQ(CompText().X, moved.X) << "a turn does not move the text";
    // The call that turned shows the angle it found; the next the new one.
    EXPECT_NE(Message().find("rot:" + std::to_string(start / 1000) + ".0"), std::string::npos) << Message();
    ExpectMoveErasesClean(304, 250);
    EXPECT_NE(Message().find("rot:" + std::to_string((start + 90000) % 360000 / 1000) + ".0"), std::string::npos)
        << Message();
    m.ViewPicture_MouseUp(1, 1, 304, 250);
    ExpectFreshPaint();
}

TEST_F(TextPreview, ComponentTextResizedByDraggingAndFromTheTable)
{
    SCHMAIN& m = Main();
    PickR1Text(4);
    LearnStepTrace(5);
    int32_t id = 5;
    m.BeginCommand(id);
    // R1 is not turned: the drag point's offset across the text gives six
    // character heights, along it six widths per character.
    ASSERT_EQ(g_Comp.Angle, 0);
    g_CompText.Angle = 0;
    const int32_t n = static_cast<int32_t>(g_CompTextStr.size());
    ASSERT_GT(n, 0);
    Press(3);
    int shift = 1;
    int32_t x = g_Comp.X + g_CompText.X + 6 * n * 700, y = g_Comp.Y + g_CompText.Y + 6 * 900;
    m.OpenCanvasDC();
    m.PreviewCompText(shift, x, y);
    EXPECT_TRUE(Pressed(3)) << "resizing stays in force";
    EXPECT_EQ(CompText().P1, 900);
    EXPECT_EQ(CompText().P2, 700);
    // Dragged onto the baseline: height 1.
    x = g_Comp.X + g_CompText.X + 6 * n * 500;
    y = g_Comp.Y + g_CompText.Y;
    m.OpenCanvasDC();
    m.PreviewCompText(shift, x, y);
    EXPECT_EQ(CompText().P1, 1);
    EXPECT_EQ(CompText().P2, 500);
    m.F_OST(3)->SetValue(false);
    // From the table: the three values of the current entry, once.
    g_TextSizeIdx = 5;
    Press(4);
    ExpectMoveErasesClean(300, 250);
    EXPECT_FALSE(Pressed(4));
    const ItemRec sized = CompText();
    EXPECT_EQ(sized.P1, g_TextSizes(5).Height);
    EXPECT_EQ(sized.P2, g_TextSizes(5).Width);
    EXPECT_EQ(sized.Width, g_TextSizes(5).Width3);
    m.ViewPicture_MouseUp(1, 1, 300, 250);
    ExpectFreshPaint();
}

// Sound behaviour: an empty text is resized as one character wide instead
// of dividing by zero.
TEST_F(TextPreview, EmptyTextResizesAsOneCharacter)
{
    SCHMAIN& m = Main();
    PickR1Text(4);
    int32_t id = 5;
    m.BeginCommand(id);
    g_CompText.Angle = 0;
    g_CompTextStr.clear();
    Press(3);
    int shift = 1;
    int32_t x = g_Comp.X + g_CompText.X + 6 * 800, y = g_Comp.Y + g_CompText.Y + 6 * 400;
    m.OpenCanvasDC();
    m.PreviewCompText(shift, x, y);
    EXPECT_EQ(CompText().P1, 400);
    EXPECT_EQ(CompText().P2, 800);
    // The same for a notes text.
    m.F_OST(3)->SetValue(false);
    m.ViewPicture_MouseUp(1, 1, 300, 250);
    g_CurSymb = g_PageNotesSymb;
    g_SymbItemIdx = 1;
    std::string text;
    int32_t status = 1, kind = 0;
    ReadSymbItem(status, g_CurSymb, 1, text, kind);
    ASSERT_EQ(kind, 6);
    g_SymbItemText.clear();
    g_SymbText.Angle = 0;
    Press(2);
    x = g_SymbText.X + 6 * 300;
    y = g_SymbText.Y + 6 * 200;
    int32_t owner = kOwnerSymbol;
    m.OpenCanvasDC();
    m.PreviewText(shift, x, y, owner, g_CurSymb);
    EXPECT_EQ(NotesItem(1).P1, 200);
    EXPECT_EQ(NotesItem(1).P2, 300);
}

TEST_F(TextPreview, SizeIndexOutsideTheTableChangesNothing)
{
    SCHMAIN& m = Main();
    PickR1Text(4);
    int32_t id = 5;
    m.BeginCommand(id);
    Move(300, 250);
    const ItemRec before = CompText();
    for (int32_t bad : {-1, 33, 1000}) {
        g_TextSizeIdx = bad;
        Press(4);
        Move(302 + bad % 7, 250);
        EXPECT_FALSE(Pressed(4)) << bad;
        EXPECT_EQ(CompText().P1, before.P1) << bad;
        EXPECT_EQ(CompText().P2, before.P2) << bad;
    }
    g_TextSizeIdx = 1;
    m.ViewPicture_MouseUp(1, 1, 300, 250);
}

// The size from the table with the function key, as the user asks for it:
// an index outside the table beeps through the window-system layer and
// leaves the text's size as it was; an index inside it sizes the text
// without a beep. For a component text (F5, option 4) and a notes text
// (F4, option 3).
TEST_F(TextPreview, SizeFromTheTableByKeyBeepsWhenTheIndexIsOutside)
{
    SCHMAIN& m = Main();
    QApplication::setActiveWindow(m.Window());
    m.ViewPicture->setFocus();
    QApplication::processEvents();
    struct Row {
        const char* name;
        int option;
        std::function<void()> begin;
        std::function<ItemRec()> read;
    } rows[] = {
        {"component text", 4,
         [&] {
             PickR1Text(4);
             int32_t id = 5;
             m.BeginCommand(id);
         },
         [&] { return CompText(); }},
        {"notes text", 3,
         [&] {
             g_CurSymb = g_PageNotesSymb;
             g_SymbItemIdx = 1;
             std::string text;
             int32_t status = 1, kind = 0;
             ReadSymbItem(status, g_CurSymb, 1, text, kind);
             ASSERT_EQ(kind, 6);
             g_SymbItemText = text;
             int32_t id = 65;
             m.BeginCommand(id);
         },
         [&] { return NotesItem(1); }},
    };
    auto beeps = [&] {
        return std::count_if(ui.asked().begin(), ui.asked().end(), [](const auto& a) { return a.kind == "Beep"; });
    };
    for (const Row& r : rows) {
        r.begin();
        m.F_OST(r.option)->setEnabled(true);
        QTest::mouseMove(m.ViewPicture, QPoint(300, 250));
        const ItemRec before = r.read();
        // The size of entry 5 is not the text's own, so taking it shows.
        ASSERT_NE(before.P1, g_TextSizes(5).Height) << r.name;
        const auto key = static_cast<Qt::Key>(Qt::Key_F1 + r.option);
        for (int32_t bad : {-1, 33}) {
            g_TextSizeIdx = bad;
            const auto heard = beeps();
            QTest::keyClick(m.ViewPicture, key);
            EXPECT_EQ(beeps(), heard + 1) << r.name << " " << bad;
            EXPECT_FALSE(Pressed(r.option)) << r.name << " " << bad;
            EXPECT_EQ(r.read().P1, before.P1) << r.name << " " << bad;
            EXPECT_EQ(r.read().P2, before.P2) << r.name << " " << bad;
        }
        g_TextSizeIdx = 5;
        const auto heard = beeps();
        QTest::keyClick(m.ViewPicture, key);
        EXPECT_EQ(beeps(), heard) << r.name;
        EXPECT_FALSE(Pressed(r.option)) << r.name;
        EXPECT_EQ(r.read().P1, g_TextSizes(5).Height) << r.name;
        EXPECT_EQ(r.read().P2, g_TextSizes(5).Width) << r.name;
        g_TextSizeIdx = 1;
        QTest::mouseClick(m.ViewPicture, Qt::LeftButton, {}, QPoint(300, 250));
        EXPECT_EQ(g_CurCommand, 0) << r.name;
    }
}

// Option 10 on a moved text keeps it where it is; on an added text
// (command 10) its step deletes it.
TEST_F(TextPreview, StepNowKeepsAMovedTextAndDropsAnAddedOne)
{
    SCHMAIN& m = Main();
    PickR1Text(4);
    LearnStepTrace(5);
    int32_t id = 5;
    m.BeginCommand(id);
    Move(300, 250);
    const ItemRec moved = CompText();
    Press(10);
    Move(350, 280);
    EXPECT_EQ(g_CurCommand, 0);
    EXPECT_FALSE(Pressed(10));
    EXPECT_EQ(CompText().X, moved.X);
    EXPECT_EQ(CompText().Y, moved.Y);

    // An added free text.
    const int32_t texts = C_CompTextArray(g_CompId);
    const int32_t count = OA_GetCount(texts);
    const int32_t item = I_MakeText(0, 0, 0, 10583, 7055, "extra", 1, 36, 0);
    ASSERT_NE(item, 0);
    g_CompTextIdx = OA_Add(texts, item);
    ASSERT_GT(g_CompTextIdx, 0);
    ASSERT_NE(I_ReadItem(item, &g_CompText), 0);
    g_CompTextStr = g_CompTextVal = "extra";
    id = 10;
    m.BeginCommand(id);
    Move(300, 250);
    Press(10);
    Move(310, 250);
    EXPECT_EQ(g_CurCommand, 0);
    EXPECT_EQ(OA_GetCount(texts), count);
    ExpectFreshPaint();
}

TEST_F(TextPreview, WireNameTextMovedAndTurnedByFortyFive)
{
    SCHMAIN& m = Main();
    PickWireText();
    LearnStepTrace(38);
    const int32_t start = WireText().Angle;
    int32_t id = 38;
    m.BeginCommand(id);
    ExpectMoveErasesClean(250, 200);
    EXPECT_EQ(WireText().X, m.m_CursorX);
    EXPECT_EQ(WireText().Y, m.m_CursorY);
    EXPECT_NE(Message().find("Text rot:"), std::string::npos) << Message();
    EXPECT_NE(Message().find(" Height:"), std::string::npos) << Message();
    Press(0);
    EXPECT_EQ(WireText().Angle, (start + 45000) % 360000);
    EXPECT_NE(Message().find("Text rot:" + std::to_string(start / 1000) + ".0"), std::string::npos) << Message();
    ExpectMoveErasesClean(252, 200);
    m.ViewPicture_MouseUp(1, 1, 252, 200);
    ExpectFreshPaint();
}

TEST_F(TextPreview, AddedWireTextGoesWithStepNow)
{
    SCHMAIN& m = Main();
    PickWireText();
    LearnStepTrace(38);
    const int32_t texts = B_BranchTextArray(g_CurBranch);
    const int32_t count = OA_GetCount(texts);
    const int32_t item = I_MakeText(0, 0, 0, 10583, 7055, "NEW", 1, 0, 0);
    ASSERT_NE(item, 0);
    g_SymbItemIdx = OA_Add(texts, item);
    ASSERT_NE(I_ReadItem(item, &g_SymbText), 0);
    g_SymbItemText = "NEW";
    int32_t id = 37;
    m.BeginCommand(id);
    Move(250, 200);
    EXPECT_EQ(OA_GetCount(texts), count + 1);
    Press(10);
    Move(260, 200);
    EXPECT_EQ(g_CurCommand, 0);
    EXPECT_EQ(OA_GetCount(texts), count);
    ExpectFreshPaint();
}

// In free rotation a text whose attribute's low five bits exceed 15 stores
// the angle the other way: the pointer at 30 degrees stores 330.
TEST_F(TextPreview, FreeRotationOfAReversedTextStoresThreeSixtyMinusTheAngle)
{
    SCHMAIN& m = Main();
    g_CurSymb = g_PageNotesSymb;
    g_SymbItemIdx = 1;
    std::string text;
    int32_t status = 1, kind = 0;
    ReadSymbItem(status, g_CurSymb, 1, text, kind);
    ASSERT_EQ(kind, 6);
    g_SymbItemText = text;
    int32_t id = 65;
    m.BeginCommand(id);
    for (uint8_t layer : {uint8_t(0), uint8_t(16 + 3), uint8_t(32 + 20)}) {
        g_SymbText.Layer = layer;
        const bool reversed = (layer & 31) > 15;
        Press(1);
        int shift = 1;
        const double r = 1000000;
        int32_t x = g_SymbText.X + static_cast<int32_t>(std::lround(r * std::cos(30 * g_DegToRad)));
        int32_t y = g_SymbText.Y + static_cast<int32_t>(std::lround(r * std::sin(30 * g_DegToRad)));
        const int32_t tx = g_SymbText.X, ty = g_SymbText.Y;
        int32_t owner = kOwnerSymbol;
        m.OpenCanvasDC();
        m.PreviewText(shift, x, y, owner, g_CurSymb);
        EXPECT_EQ(NotesItem(1).Angle, reversed ? 330000 : 30000) << int(layer);
        EXPECT_NE(Message().find(reversed ? "rot:330" : "rot:30"), std::string::npos) << Message();
        // The handle end lies at the pointer's angle, not the stored one,
        // and becomes the cursor.
        EXPECT_NEAR(VectorAngle(x - tx, y - ty), 30, 0.01);
        EXPECT_TRUE(Pressed(1)) << "free rotation stays in force";
    }
    m.F_OST(1)->SetValue(false);
    m.ViewPicture_MouseUp(1, 1, 300, 250);
}

TEST_F(TextPreview, NotesTextMoved)
{
    SCHMAIN& m = Main();
    g_CurSymb = g_PageNotesSymb;
    g_SymbItemIdx = 1;
    std::string text;
    int32_t status = 1, kind = 0;
    ReadSymbItem(status, g_CurSymb, 1, text, kind);
    ASSERT_EQ(kind, 6);
    g_SymbItemText = text;
    int32_t id = 65;
    m.BeginCommand(id);
    ExpectMoveErasesClean(200, 150);
    ExpectMoveErasesClean(210, 160);
    EXPECT_EQ(NotesItem(1).X, m.m_CursorX);
    EXPECT_EQ(NotesItem(1).Y, m.m_CursorY);
    m.ViewPicture_MouseUp(1, 1, 210, 160);
    EXPECT_EQ(NotesItem(1).X, m.m_CursorX);
    ExpectFreshPaint();
}

// One quarter turn of a text block per press: a sum of exactly 360 stays.
TEST_F(TextPreview, TextBlockTurns)
{
    SCHMAIN& m = Main();
    struct Case {
        double from, to;
    } cases[] = {{0, 90}, {90, 180}, {270, 360}, {360, 90}, {300, 30}, {12.5, 102.5}};
    PrepareTextBlock(0, 0, 0);
    int32_t id = 64;
    m.BeginCommand(id);
    for (const Case& c : cases) {
        m.m_TextBlockAngle = c.from;
        Press(0);
        int shift = 0;
        int32_t x = 0, y = 0;
        m.OpenCanvasDC();
        m.PreviewTextBlock(shift, x, y);
        EXPECT_DOUBLE_EQ(m.m_TextBlockAngle, c.to) << c.from;
        EXPECT_FALSE(Pressed(0));
        // The text block's read-out shows the new angle at once.
        EXPECT_NE(Message().find("Text block rot:" + Format(c.to, g_AngleFormat) + "\xB0"), std::string::npos)
            << Message();
    }
    m.ViewPicture_MouseUp(1, 1, 300, 250);
}

TEST_F(TextPreview, TextBlockTurnedAndPlacedMakesOneTextPerLine)
{
    SCHMAIN& m = Main();
    PrepareTextBlock(0, 0, 270);
    const int32_t count = NotesCount();
    int32_t id = 64;
    m.BeginCommand(id);
    ExpectMoveErasesClean(300, 250);
    EXPECT_EQ(m.m_TextBlockX, m.m_CursorX);
    EXPECT_EQ(m.m_TextBlockY, m.m_CursorY);
    Press(0);
    ExpectMoveErasesClean(302, 250);
    EXPECT_NE(Message().find("Text block rot:360.0"), std::string::npos) << Message();
    Press(0);
    Move(304, 250);
    EXPECT_DOUBLE_EQ(m.m_TextBlockAngle, 90);
    const int32_t bx = m.m_TextBlockX, by = m.m_TextBlockY;
    // Free rotation: the handle end becomes the cursor; a screenshot shows
    // the turned outline.
    Press(1);
    ExpectMoveErasesClean(380, 170);
    EXPECT_EQ(m.m_TextBlockX, bx) << "turning does not move the block";
    EXPECT_EQ(m.m_TextBlockY, by);
    const double turned = m.m_TextBlockAngle;
    EXPECT_GT(turned, 0);
    EXPECT_LT(turned, 90);
    // Moved on at that angle: the turned outline (without the rotation
    // handle, which XOR-cancels the edge it lies on) for the screenshot.
    m.F_OST(1)->SetValue(false);
    Move(330, 230);
    ASSERT_NE(m.m_OverlayMF, 0);
    EXPECT_DOUBLE_EQ(m.m_TextBlockAngle, turned);
    const std::string shot = palvane_test::ScreenshotDir() + "/text_block_turned.png";
    EXPECT_TRUE(Image().save(QString::fromStdString(shot)));
    m.ViewPicture_MouseUp(1, 1, 330, 230);
    EXPECT_EQ(g_CurCommand, 0);
    EXPECT_FALSE(g_TextAccepted);
    ASSERT_EQ(NotesCount(), count + 2);
    const ItemRec first = NotesItem(count + 1);
    EXPECT_EQ(first.Kind, 6);
    EXPECT_EQ(first.Angle, G_AngleAdj(static_cast<int32_t>(std::lround(turned * 1000))));
    EXPECT_STREQ(first.Text, "First line");
    EXPECT_STREQ(NotesItem(count + 2).Text, "Second");
    ExpectFreshPaint();
}

TEST_F(TextPreview, TextBlockGivenUpMakesNothing)
{
    SCHMAIN& m = Main();
    PrepareTextBlock(0, 0, 0);
    const int32_t count = NotesCount();
    int32_t id = 64;
    m.BeginCommand(id);
    Move(300, 250);
    Press(10);
    Move(302, 250);
    EXPECT_EQ(g_CurCommand, 0);
    EXPECT_EQ(NotesCount(), count);
    EXPECT_FALSE(g_TextAccepted);
    ExpectFreshPaint();
}

TEST_F(TextPreview, TextBlockWithASizeIndexOutsideTheTableMakesNothing)
{
    SCHMAIN& m = Main();
    PrepareTextBlock(0, 0, 0);
    const int32_t count = NotesCount();
    int32_t id = 64;
    m.BeginCommand(id);
    Move(300, 250);
    g_TextSizeIdx = 40;
    const size_t asked = ui.asked().size();
    QTest::mouseClick(m.ViewPicture, Qt::LeftButton, {}, QPoint(300, 250));
    EXPECT_EQ(g_CurCommand, 0);
    EXPECT_EQ(NotesCount(), count);
    // The refusal beeps, and asks nothing else.
    ASSERT_EQ(ui.asked().size(), asked + 1);
    EXPECT_EQ(ui.asked().back().kind, "Beep");
    g_TextSizeIdx = 1;
}

// The block stops at the right edge of the coordinate range.
TEST_F(TextPreview, TextBlockStaysInsideTheCoordinateRange)
{
    SCHMAIN& m = Main();
    PrepareTextBlock(0, 0, 0);
    int32_t id = 64;
    m.BeginCommand(id);
    int shift = 1;
    int32_t x = 219990000, y = 0;
    m.OpenCanvasDC();
    m.PreviewTextBlock(shift, x, y);
    EXPECT_EQ(m.m_TextBlockX, static_cast<int32_t>(std::lround(220000000 - m.m_TextBlockW)));
    m.ViewPicture_MouseUp(1, 1, 300, 250);
}

// A component text moved with real mouse events on the canvas.
TEST_F(TextPreview, ComponentTextThroughQtMouseEvents)
{
    SCHMAIN& m = Main();
    PickR1Text(2);
    LearnStepTrace(5);
    int32_t id = 5;
    m.BeginCommand(id);
    Canvas& canvas = *m.ViewPicture;
    QTest::mouseMove(&canvas, QPoint(340, 260));
    QTest::mouseMove(&canvas, QPoint(360, 270));
    EXPECT_NE(m.m_OverlayMF, 0);
    QTest::mouseClick(&canvas, Qt::LeftButton, {}, QPoint(360, 270));
    const ItemRec at = CompTextAbs();
    // Snapped to the grid step.
    if (g_SnapStep > 1) {
        EXPECT_EQ(at.X % g_SnapStep, 0);
        EXPECT_EQ(at.Y % g_SnapStep, 0);
    }
    ExpectFreshPaint();
}

}  // namespace
