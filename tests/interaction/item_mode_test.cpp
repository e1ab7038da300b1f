// The design-notes mode through the canvas and the real kernel: items drawn,
// copied, repeated, moved, reshaped, deleted and restyled by clicks, the
// item previews with their read-outs and XOR drawings, the shape of an item
// from the pointer, and the typed answers the repetitions refuse.
#include "editor/dialogs/schitext.h"
#include "editor/editing/schitmed.h"
#include "editor/interaction/command_steps.h"
#include "editor/interaction/commands.h"
#include "editor/objects/owner_items.h"
#include "editor/objects/symbol_items.h"
#include "editor/shell/controls.h"
#include "editor/shell/forms.h"
#include "editor/shell/geometry.h"
#include "editor/shell/listbox.h"
#include "editor/shell/nvoinpbg.h"
#include "editor/shell/ribbon.h"
#include "editor/shell/schmain.h"
#include "editor/shell/settings.h"
#include "editor/shell/systables.h"
#include "editor/shell/textarea.h"
#include "editor/shell/tooltable.h"
#include "editor/view/canvas.h"
#include "editor/view/marks.h"
#include "editor/view/view_state.h"
#include "platform/kernel/nvokernel32.h"
#include "platform/kernel/testing.h"
#include "platform/winsys/grid.h"
#include "tests/support/raster.h"
#include "tests/support/screenshot.h"
#include "tests/view/view_fixture.h"

#include <QApplication>
#include <QImage>
#include <QPixmap>
#include <QPoint>
#include <QRect>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

using palvane_test::CompareImages;

enum Kind { kLine = 1, kTriangle = 2, kRectangle = 3, kCircle = 4, kArc = 5, kText = 6 };

class ItemMode : public view_test::DemoTest {
protected:
    void SetUp() override
    {
        DemoTest::SetUp();
        m_ = &Main();
        m_->M_FSI_Click(MODE_DESIGN_NOTES);
        ASSERT_EQ(g_CurMode, MODE_DESIGN_NOTES);
        ASSERT_NE(g_CurSymb, 0);
        symb_ = g_CurSymb;
        while (Count() > 0) OA_Delete(S_SymbolItemArray(symb_), 1);
        for (auto& mk : g_Markers) mk.Shown = 0;
        m_->m_NextMarker = 0;
        m_->m_PointPending = 0;
        g_SnapStep = 1;
        g_UnitIndex = 0;  // inches
        m_->ViewPicture->setFocus();
        // The tool panels of the mode are laid out before the canvas is
        // painted for the test.
        for (int i = 0; i < 5; ++i) QApplication::processEvents();
        m_->RefreshCanvas();
    }
    void TearDown() override
    {
        KT_FailCall("", 0);
        if (auto* form = FindFormInstance(typeid(SCHITMED))) form->Unload();
        DemoTest::TearDown();
    }

    SCHMAIN& M() { return *m_; }
    int32_t Count() { return OA_GetCount(S_SymbolItemArray(symb_)); }
    ItemRec Item(int32_t index)
    {
        ItemRec rec{};
        I_ReadItem(S_SymbolItem(symb_, index), &rec);
        return rec;
    }
    std::string TextOf(int32_t index)
    {
        const ItemRec rec = Item(index);
        return rec.Text ? rec.Text : "";
    }
    int32_t Add(ItemRec rec, const std::string& text = "")
    {
        rec.Flags = 1;
        if (rec.Width == 0) rec.Width = 1000;
        int32_t status = 0, index = 0;
        MakeOwnerItem(status, kOwnerSymbol, symb_, rec, text, index);
        EXPECT_EQ(status, 0);
        return index;
    }
    // The database point of a canvas pixel, and the pixel of a point.
    QPoint Db(QPoint p)
    {
        int32_t pt[2] = {p.x(), p.y()};
        M().OpenCanvasDC();
        G_DPtoLP(pt);
        M().CloseCanvasDC();
        return {pt[0], pt[1]};
    }
    QPoint Px(int32_t x, int32_t y)
    {
        int32_t pt[2] = {x, y};
        M().OpenCanvasDC();
        G_LPtoDP(pt);
        M().CloseCanvasDC();
        return {pt[0], pt[1]};
    }
    void Function(int f)
    {
        PressFunction(M(), f);
        for (int i = 0; i <= 10; ++i)
            if (M().F_OST.Exists(i)) M().F_OST(i)->SetValue(false);
    }
    void Option(int i, bool on = true) { M().F_OST(i)->SetValue(on); }
    void Move(QPoint p) { M().ViewPicture_MouseMove(0, 0, p.x(), p.y()); }
    void Click(QPoint p)
    {
        Move(p);
        M().ViewPicture_MouseUp(1, 0, p.x(), p.y());
    }
    void Marker(int i, QPoint p)
    {
        const QPoint d = Db(p);
        g_Markers[i].X = d.x();
        g_Markers[i].Y = d.y();
        g_Markers[i].Shown = -1;
    }
    // Queues the answer typed into the next input box (nullptr: Cancel);
    // its prompt must contain `promptContains`.
    void Type(const char* text, std::string promptContains = {})
    {
        ui.ExpectModal("NvoInpBG", [text, promptContains](QWidget*) {
            NvoInpBG& box = FormInstance<NvoInpBG>();
            EXPECT_NE(box.InpPrompt()->Text().find(promptContains), std::string::npos) << box.InpPrompt()->Text();
            if (text) {
                box.InpText()->SetText(text);
                box.InpOK()->Press();
            } else {
                box.InpCancel()->Press();
            }
        });
    }
    std::string Line() { return M().F_MsgLine->Caption(); }
    size_t Asked(const std::string& kind)
    {
        size_t n = 0;
        for (const auto& a : ui.asked())
            if (a.kind == kind) ++n;
        return n;
    }
    static ItemRec Shape(int32_t kind, QPoint at, int32_t p1, int32_t p2, int32_t p3 = 0, int32_t p4 = 0)
    {
        ItemRec r{};
        r.Kind = kind;
        r.X = at.x();
        r.Y = at.y();
        r.P1 = p1;
        r.P2 = p2;
        r.P3 = p3;
        r.P4 = p4;
        return r;
    }

    SCHMAIN* m_ = nullptr;
    int32_t symb_ = 0;
};

// ---- The shape of an item from the pointer --------------------------------

struct GeometryCase {
    const char* name;
    ItemRec item;
    ItemRec text;
    const char* string;
    int32_t dx, dy;  // pointer from the origin
    int32_t result;
    int32_t p1, p2;  // expected P1, P2 of the item (text: height, width)
};

ItemRec Rec(int32_t kind, int32_t angle, int32_t p1 = 0, int32_t p2 = 0, int32_t p3 = 0)
{
    ItemRec r{};
    r.Kind = kind;
    r.X = 1000000;
    r.Y = -2000000;
    r.Angle = angle;
    r.P1 = p1;
    r.P2 = p2;
    r.P3 = p3;
    return r;
}

TEST_F(ItemMode, CalcItemGeometryTable)
{
    ItemRec stale = Rec(kRectangle, 90000, 7, 8);
    stale.X = 5;  // another item's origin: a text measures from its own
    ItemRec text = Rec(kText, 0, 50, 60);
    const GeometryCase cases[] = {
        {"line end", Rec(kLine, 0, 1, 1), {}, "", 100, -50, 0, 100, -50},
        {"triangle vertex", Rec(kTriangle, 0, 1, 1), {}, "", -30, 40, 0, -30, 40},
        {"rectangle turned 90", Rec(kRectangle, 90000, 1, 1), {}, "", 0, 200, 0, 200, 0},
        {"circle radius", Rec(kCircle, 0, 1), {}, "", 300, 400, 0, 500, 0},
        {"pointer on the origin", Rec(kLine, 0, 11, 12), {}, "", 0, 0, 1, 11, 12},
        {"text of 4 characters", stale, text, "ABCD", 2400, 600, 0, 100, 100},
        {"text on its baseline", stale, text, "ABCD", 2400, 0, 0, 1, 100},
        {"text pointer on its origin", stale, text, "ABCD", 0, 0, 1, 50, 60},
        {"empty text", stale, text, "", 2400, 600, 0, 100, 400},
    };
    for (const GeometryCase& c : cases) {
        g_SymbItem = c.item;
        g_SymbText = c.text;
        g_SymbItemText = c.string;
        int32_t kind = c.item.Kind == kRectangle && c.text.Kind == kText ? kText : c.item.Kind;
        const ItemRec& origin = kind == kText ? c.text : c.item;
        int32_t x = origin.X + c.dx, y = origin.Y + c.dy, result = -7;
        M().CalcItemGeometry(result, kind, x, y);
        EXPECT_EQ(result, c.result) << c.name;
        if (kind == kText) {
            EXPECT_EQ(g_SymbText.P1, c.p1) << c.name << " height";
            EXPECT_EQ(g_SymbText.P2, c.p2) << c.name << " width";
            if (c.result == 0) {
                EXPECT_EQ(y, c.p1) << c.name;
                EXPECT_EQ(x, c.p2) << c.name;
            }
            EXPECT_EQ(g_SymbItem.P1, 7) << c.name << ": the other record stays";
        } else {
            EXPECT_EQ(g_SymbItem.P1, c.p1) << c.name;
            if (kind != kCircle) {
                EXPECT_EQ(g_SymbItem.P2, c.p2) << c.name;
            }
        }
    }
}

TEST_F(ItemMode, ArcShapeByRadiusChordAndThreePoints)
{
    // Radius follows the pointer.
    g_SymbItem = Rec(kArc, 0, 1000, 0, 90000);
    Option(0);
    int32_t kind = kArc, x = g_SymbItem.X + 3000, y = g_SymbItem.Y + 4000, result = 1;
    M().CalcItemGeometry(result, kind, x, y);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(g_SymbItem.P1, 5000);
    Option(0, false);
    // Through its two ends and the pointer: a half circle of radius 1000
    // stays on its circle when the pointer is on it.
    g_SymbItem = Rec(kArc, 0, 1000, 0, 180000);
    x = g_SymbItem.X;
    y = g_SymbItem.Y + 1000;
    M().CalcItemGeometry(result, kind, x, y);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(g_SymbItem.X, 1000000);
    EXPECT_EQ(g_SymbItem.Y, -2000000);
    EXPECT_EQ(g_SymbItem.P1, 1000);
    // Collinear: no arc, nothing changed.
    g_SymbItem = Rec(kArc, 0, 1000, 0, 180000);
    x = g_SymbItem.X + 5000;
    y = g_SymbItem.Y;
    M().CalcItemGeometry(result, kind, x, y);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(g_SymbItem.P1, 1000);
    // The far end kept, the chord to the pointer spanning 90 degrees.
    Option(1);
    g_SymbItem = Rec(kArc, 0, 1000, 0, 90000);
    M().m_FixedX = 0;
    M().m_FixedY = 0;
    M().m_HandleIndex = 1;
    x = 2000;
    y = 0;
    M().CalcItemGeometry(result, kind, x, y);
    EXPECT_EQ(result, 0);
    EXPECT_NEAR(g_SymbItem.P1, 1414, 1);
}

// Fault: a span of no angle or of whole turns gives no arc.
TEST_F(ItemMode, ArcWithKeptEndRefusesSpansOfWholeTurns)
{
    Option(1);
    for (int32_t span : {0, 360000, -360000, 720000}) {
        g_SymbItem = Rec(kArc, 0, 1000, 0, span);
        M().m_FixedX = 0;
        M().m_FixedY = 0;
        int32_t kind = kArc, x = 2000, y = 0, result = 0;
        M().CalcItemGeometry(result, kind, x, y);
        EXPECT_EQ(result, 1) << span;
        EXPECT_EQ(g_SymbItem.X, 1000000) << span;
        EXPECT_EQ(g_SymbItem.P1, 1000) << span;
        EXPECT_EQ(g_SymbItem.P3, span) << span;
    }
}

// ---- Drawing items ---------------------------------------------------------

TEST_F(ItemMode, EachKindDrawnByTwoClicks)
{
    const struct {
        int option;
        int32_t kind;
    } cases[] = {{0, kLine}, {1, kRectangle}, {2, kCircle}, {4, kTriangle}, {3, kArc}};
    const QPoint p1(260, 220), p2(330, 260);
    for (const auto& c : cases) {
        while (Count() > 0) OA_Delete(S_SymbolItemArray(symb_), 1);
        Function(1);
        Option(c.option);
        Click(p1);
        ASSERT_EQ(g_CurCommand, 71) << c.kind;
        Click(p1);
        ASSERT_EQ(g_CurCommand, 72) << c.kind;
        Move(p2 + QPoint(0, 10));
        Click(p2);
        EXPECT_EQ(g_CurCommand, 0) << c.kind;
        ASSERT_EQ(Count(), 1) << c.kind;
        const ItemRec it = Item(1);
        EXPECT_EQ(it.Kind, c.kind);
        const QPoint a = Db(p1), b = Db(p2);
        switch (c.kind) {
        case kLine:
        case kRectangle:
        case kTriangle:
            EXPECT_EQ(it.X, a.x());
            EXPECT_EQ(it.Y, a.y());
            EXPECT_EQ(it.P1, b.x() - a.x()) << c.kind;
            EXPECT_EQ(it.P2, b.y() - a.y()) << c.kind;
            break;
        case kCircle:
            EXPECT_NEAR(it.P1, VectorLength(b.x() - a.x(), b.y() - a.y()), 1);
            break;
        default:
            // The arc passes through the pointer.
            EXPECT_NEAR(VectorLength(b.x() - it.X, b.y() - it.Y), it.P1, 2);
            break;
        }
        EXPECT_EQ(M().m_OverlayMF, 0);
    }
}

TEST_F(ItemMode, ArcsFromTheMarkers)
{
    const QPoint a(250, 250), b(350, 250), c(300, 200);
    // Two points: the chord; the third point bends it.
    Function(1);
    Option(3);
    Marker(0, a);
    Marker(1, b);
    Click(QPoint(100, 100));
    ASSERT_EQ(g_CurCommand, 72);
    Move(c + QPoint(0, 5));
    Click(c);
    ASSERT_EQ(Count(), 1);
    ItemRec it = Item(1);
    const QPoint A = Db(a), B = Db(b), C = Db(c);
    for (QPoint p : {A, B, C}) EXPECT_NEAR(VectorLength(p.x() - it.X, p.y() - it.Y), it.P1, 50);  // angles in 1/1000 degree
    EXPECT_FALSE(g_Markers[0].Shown);
    // Three points: made at once.
    Marker(0, a);
    Marker(1, c);
    Marker(2, b);
    Click(QPoint(100, 100));
    EXPECT_EQ(g_CurCommand, 0);
    ASSERT_EQ(Count(), 2);
    it = Item(2);
    EXPECT_EQ(it.Kind, kArc);
    // The centre alone: the radius follows the pointer.
    Function(1);
    Option(3);
    Marker(0, a);
    Click(QPoint(100, 100));
    ASSERT_EQ(g_CurCommand, 72);
    EXPECT_TRUE(M().F_OST(0)->Value());
    Click(b);
    ASSERT_EQ(Count(), 3);
    it = Item(3);
    EXPECT_EQ(it.X, A.x());
    EXPECT_NEAR(it.P1, B.x() - A.x(), 1);
}

// A new item begun from P1 alone waits for its second point; the marker
// comes off the page as it begins. Given up by Escape, the item goes and
// the canvas shows what a paint of the page shows: nothing of the item
// stays where the marker was painted off.
TEST_F(ItemMode, EscapeAfterAnItemFromP1LeavesNothingOfIt)
{
    const struct {
        int option;
        const char* what;
    } cases[] = {{0, "line"}, {1, "rectangle"}, {2, "circle"}, {4, "triangle"}};
    const QPoint p1(240, 260), elsewhere(420, 180);
    Canvas& canvas = *M().ViewPicture;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        // P1 set by a click of function 0: the marker is on the canvas.
        Function(0);
        Click(p1);
        ASSERT_TRUE(g_Markers[0].Shown);
        Function(1);
        Option(c.option);
        Click(elsewhere);
        ASSERT_EQ(g_CurCommand, 72);
        ASSERT_EQ(Count(), 1);
        EXPECT_FALSE(g_Markers[0].Shown);
        QTest::keyClick(&canvas, Qt::Key_Escape);
        QApplication::processEvents();
        EXPECT_EQ(g_CurCommand, 0);
        EXPECT_EQ(Count(), 0);
        const QImage shown = canvas.Image().copy();
        M().RefreshCanvas();
        const auto d = CompareImages(shown, canvas.Image());
        EXPECT_TRUE(d.Same()) << d.differing << " pixels differ, the first at " << d.firstAt.x() << ","
                              << d.firstAt.y();
    }
}

TEST_F(ItemMode, DigitKeyInputPointsFillTheMarkersInTurn)
{
    Function(1);
    Option(0);
    const QPoint a(240, 240), b(320, 280);
    for (QPoint p : {a, b}) {
        M().m_PointMethod = 5;
        M().m_PointPending = -1;
        Click(p);
        EXPECT_EQ(g_CurCommand, 0);
    }
    EXPECT_TRUE(g_Markers[0].Shown);
    EXPECT_TRUE(g_Markers[1].Shown);
    EXPECT_EQ(M().m_NextMarker, 2);
    EXPECT_EQ(Count(), 0);
    Click(QPoint(100, 100));
    ASSERT_EQ(Count(), 1);
    const ItemRec it = Item(1);
    EXPECT_EQ(it.X, Db(a).x());
    EXPECT_EQ(it.P1, Db(b).x() - Db(a).x());
    // Function 0 with a method pending takes its own point.
    Function(0);
    Option(1);
    M().m_PointPending = -1;
    Click(b);
    EXPECT_TRUE(g_Markers[1].Shown);
    EXPECT_EQ(g_Markers[1].X, Db(b).x());
    EXPECT_FALSE(M().m_PointPending);
    // Without a marker option it fills P1 and presses its option.
    Function(0);
    Click(a);
    EXPECT_TRUE(M().F_OST(0)->Value());
    EXPECT_EQ(g_Markers[0].X, Db(a).x());
    Option(3);
    Click(a);
    EXPECT_FALSE(g_Markers[0].Shown);
}

// ---- Copy and repeat -------------------------------------------------------

TEST_F(ItemMode, CopyFollowsThePointer)
{
    const QPoint at(300, 250);
    Add(Shape(kLine, Db(at), 200000, 0));
    Function(2);
    Option(2);
    Click(at);
    ASSERT_EQ(g_CurCommand, 73);
    ASSERT_EQ(Count(), 2);
    const QPoint to(340, 300);
    Move(to + QPoint(1, 1));
    Click(to);
    EXPECT_EQ(g_CurCommand, 0);
    EXPECT_EQ(Item(1).X, Db(at).x());
    EXPECT_EQ(Item(2).X, Db(to).x());
    EXPECT_EQ(Item(2).Y, Db(to).y());
    EXPECT_EQ(Item(2).P1, 200000);
}

TEST_F(ItemMode, RepeatByOffsetInInches)
{
    const QPoint at(300, 250);
    const QPoint d = Db(at);
    Add(Shape(kLine, d, 100000, 0));
    Function(2);
    Option(0);
    Type("2,0.1,0", "Steps,dX,dY (in inches)");
    Click(at);
    EXPECT_EQ(g_CurCommand, 0);
    ASSERT_EQ(Count(), 3);
    EXPECT_EQ(Item(2).X, d.x() + 254000);
    EXPECT_EQ(Item(3).X, d.x() + 508000);
    EXPECT_EQ(Item(3).Y, d.y());
}

TEST_F(ItemMode, RepeatByAngleWithOneTwoAndThreeMarkers)
{
    const QPoint at(300, 250);
    const QPoint d = Db(at);
    Add(Shape(kLine, d, 50000, 0));
    Function(2);
    Option(1);
    // P1: the centre; the angle typed.
    Marker(0, at + QPoint(-40, 0));
    Type("3,90", "Steps,Angle");
    Click(at);
    ASSERT_EQ(Count(), 4);
    const QPoint c = Db(at + QPoint(-40, 0));
    const double r = d.x() - c.x();
    EXPECT_NEAR(Item(2).X, c.x(), 2);
    EXPECT_NEAR(Item(2).Y, c.y() + r, 2);
    EXPECT_NEAR(Item(3).X, c.x() - r, 2);
    // P1 and P2: the circle through both on which their chord spans the
    // angle.
    while (Count() > 1) OA_Delete(S_SymbolItemArray(symb_), 2);
    Marker(0, at);
    Marker(1, at + QPoint(60, 0));
    Type("1,180", "Steps,Angle");
    Click(at);
    ASSERT_EQ(Count(), 2);
    EXPECT_NEAR(Item(2).X, Db(at + QPoint(60, 0)).x(), 3);
    EXPECT_NEAR(Item(2).Y, d.y(), 3);
    // P1, P2, P3: the angle from the markers about P3, only the steps typed.
    while (Count() > 1) OA_Delete(S_SymbolItemArray(symb_), 2);
    Marker(0, at + QPoint(0, -50));
    Marker(1, at + QPoint(50, 0));
    Marker(2, at);
    Type("1", "Steps");
    Click(at);
    ASSERT_EQ(Count(), 2);
    // About the item's own centre the copy stays where it is.
    EXPECT_NEAR(Item(2).X, d.x(), 2);
    EXPECT_NEAR(Item(2).Y, d.y(), 2);
    EXPECT_EQ(ui.pending(), 0u);
}

struct TypedCase {
    const char* answer;
    bool message;
};

TEST_F(ItemMode, TypedRepeatAnswersThatMakeNothing)
{
    const QPoint at(300, 250);
    Add(Shape(kLine, Db(at), 50000, 0));
    Function(2);
    Option(0);
    const TypedCase cases[] = {{"", false},         {"3", false},         {"3,1", false},
                               {"a,b,c", true},     {"2.5,1,1", true},    {"-2,1,1", true},
                               {"1e9,1,1", true},   {"1001,0.1,0", true}, {"0,1,1", true}};
    for (const TypedCase& c : cases) {
        const size_t boxes = Asked("MessageBox");
        Type(c.answer);
        if (c.message) ui.ExpectMessageBox(1, "whole number from 1 to 1000");
        Click(at);
        EXPECT_EQ(Count(), 1) << c.answer;
        EXPECT_EQ(Asked("MessageBox") - boxes, c.message ? 1u : 0u) << c.answer;
        EXPECT_EQ(g_CurCommand, 0);
    }
    EXPECT_EQ(ui.pending(), 0u);
}

// Fault: an angle of whole turns puts the centre beyond the drawing.
TEST_F(ItemMode, RepeatAboutTwoMarkersRefusesAFarCentre)
{
    const QPoint at(300, 250);
    Add(Shape(kLine, Db(at), 50000, 0));
    Function(2);
    Option(1);
    Marker(0, at);
    Marker(1, at + QPoint(80, 0));
    Type("2,0");
    Click(at);
    EXPECT_EQ(Count(), 1);
    for (const char* typed : {"2,360", "2,359.9999999", "2,-720"}) {
        Type(typed);
        ui.ExpectMessageBox(1, "outside the drawing area");
        Click(at);
        EXPECT_EQ(Count(), 1) << typed;
    }
    EXPECT_EQ(ui.pending(), 0u);
}

TEST_F(ItemMode, RotationWithoutMarkersReportsCode84)
{
    const QPoint at(300, 250);
    Add(Shape(kLine, Db(at), 50000, 0));
    Function(2);
    Option(1);
    ui.ExpectMessageBox(1, "Set Point(s) to define rotation.");
    Click(at);
    EXPECT_EQ(Count(), 1);
    EXPECT_EQ(ui.pending(), 0u);
}

// ---- Move, turn and reshape ------------------------------------------------

TEST_F(ItemMode, MoveOneItemWithAFreshPaintAfterwards)
{
    const QPoint at(300, 250);
    Add(Shape(kRectangle, Db(at), 300000, 200000));
    m_->RefreshCanvas();
    Function(3);
    Click(at);
    ASSERT_EQ(g_CurCommand, 75);
    Canvas& canvas = *M().ViewPicture;
    M().OpenCanvasDC();
    M().EraseOverlay();
    M().CloseCanvasDC();
    const QImage erased = canvas.Image().copy();
    Move(QPoint(200, 150));
    EXPECT_NE(M().m_OverlayMF, 0);
    EXPECT_FALSE(CompareImages(erased, canvas.Image()).Same());
    EXPECT_NE(Line().find("RECT: "), std::string::npos) << Line();
    // XOR: the overlay taken off leaves the canvas as before the preview.
    M().OpenCanvasDC();
    M().EraseOverlay();
    M().CloseCanvasDC();
    auto d = CompareImages(erased, canvas.Image());
    EXPECT_TRUE(d.Same()) << d.differing;
    Click(QPoint(200, 150));
    EXPECT_EQ(g_CurCommand, 0);
    EXPECT_EQ(Item(1).X, Db(QPoint(200, 150)).x());
    const QImage after = canvas.Image().copy();
    M().RefreshCanvas();
    d = CompareImages(after, canvas.Image());
    EXPECT_TRUE(d.Same()) << d.differing << " at " << d.firstAt.x() << "," << d.firstAt.y();
}

struct TurnCase {
    int32_t from, stored;
    const char* shown;
};

TEST_F(ItemMode, TurnByNinetyKeepsASumOf360)
{
    const QPoint at(300, 250);
    const TurnCase cases[] = {{300000, 30000, "rot=30.0"}, {270000, 0, "rot=360.0"}, {0, 90000, "rot=90.0"}};
    for (const TurnCase& c : cases) {
        while (Count() > 0) OA_Delete(S_SymbolItemArray(symb_), 1);
        ItemRec r = Shape(kRectangle, Db(at), 200000, 100000);
        r.Angle = c.from;
        Add(r);
        Function(3);
        Click(at);
        ASSERT_EQ(g_CurCommand, 75);
        // Pressing the option runs the preview again at once.
        Option(0);
        EXPECT_FALSE(M().F_OST(0)->Value());
        EXPECT_EQ(Item(1).Angle, c.stored) << c.from;
        EXPECT_NE(Line().find(c.shown), std::string::npos) << Line();
        M().F_OST(10)->SetValue(true);
        Move(at);
        EXPECT_EQ(g_CurCommand, 0);
    }
}

TEST_F(ItemMode, FreeRotationTurnsALineAboutItsStart)
{
    const QPoint at(300, 250);
    Add(Shape(kLine, Db(at), 300000, 0));
    Function(3);
    Click(at);
    ASSERT_EQ(g_CurCommand, 75);
    Option(1);
    Move(at + QPoint(0, -60));  // straight up
    const ItemRec it = Item(1);
    EXPECT_EQ(it.X, Db(at).x());
    EXPECT_NEAR(it.P1, 0, 2);
    EXPECT_NEAR(it.P2, 300000, 2);
    EXPECT_NE(Line().find("@=90.0"), std::string::npos) << Line();
    Option(1, false);
    Click(at + QPoint(0, -60));
    EXPECT_EQ(g_CurCommand, 0);
}

TEST_F(ItemMode, ReshapeEachKindByItsHandle)
{
    const QPoint at(280, 260), end(340, 260), to(350, 230);
    const QPoint A = Db(at), E = Db(end);
    const int32_t w = E.x() - A.x();
    const ItemRec shapes[] = {Shape(kLine, A, w, 0), Shape(kRectangle, A, w, w / 2),
                              Shape(kTriangle, A, w, 0, 0, w), Shape(kCircle, A, w, 0),
                              Shape(kArc, A, w, 0, 90000)};
    for (const ItemRec& s : shapes) {
        while (Count() > 0) OA_Delete(S_SymbolItemArray(symb_), 1);
        Add(s);
        m_->RefreshCanvas();
        Function(4);
        const QPoint grip = s.Kind == kRectangle ? Px(A.x() + w, A.y() + w / 2) : end;
        Click(grip);
        ASSERT_EQ(g_CurCommand, 76) << s.Kind;
        Move(to + QPoint(1, 0));
        Move(to);
        EXPECT_NE(M().m_OverlayMF, 0) << s.Kind;
        EXPECT_FALSE(Line().empty()) << s.Kind;
        Click(to);
        EXPECT_EQ(g_CurCommand, 0) << s.Kind;
        const ItemRec it = Item(1);
        const QPoint T = Db(to);
        switch (s.Kind) {
        case kLine:
        case kTriangle:
        case kRectangle:
            EXPECT_EQ(it.X + it.P1, T.x()) << s.Kind;
            EXPECT_EQ(it.Y + it.P2, T.y()) << s.Kind;
            break;
        default:
            EXPECT_NEAR(VectorLength(T.x() - it.X, T.y() - it.Y), it.P1, 2) << s.Kind;
            break;
        }
    }
}

TEST_F(ItemMode, ResizeATextByDragging)
{
    const QPoint at(300, 250);
    ItemRec t = Shape(kText, Db(at), 60000, 50000);
    ASSERT_NE(Add(t, "ABCD"), 0);
    Function(4);
    Click(at);
    ASSERT_EQ(g_CurCommand, 76);
    Move(at + QPoint(40, -20));
    const ItemRec it = Item(1);
    const QPoint o = Db(at), p = Db(at + QPoint(40, -20));
    EXPECT_NEAR(it.P1, std::abs(p.y() - o.y()) / 6.0, 1);
    EXPECT_NEAR(it.P2, std::abs(p.x() - o.x()) / 4.0 / 6.0, 1);
    EXPECT_EQ(it.X, o.x());
    M().F_OST(10)->SetValue(true);
    Move(at + QPoint(41, -20));
    EXPECT_EQ(g_CurCommand, 0);
}

TEST_F(ItemMode, MoveTurnAndMirrorByBox)
{
    const QPoint a(280, 240), b(320, 260);
    Add(Shape(kLine, Db(a), Db(b).x() - Db(a).x(), 0));
    Add(Shape(kCircle, Db(b), 40000, 0));
    Function(3);
    Click(QPoint(260, 220));
    ASSERT_EQ(g_CurCommand, 77);
    Click(QPoint(350, 290));
    ASSERT_EQ(g_CurCommand, 78);
    const QPoint shift(20, 30);
    Move(QPoint(305, 255) + shift);
    Click(QPoint(305, 255) + shift);
    EXPECT_EQ(g_CurCommand, 0);
    EXPECT_NE(Item(1).X, Db(a).x());
    EXPECT_EQ(Item(2).X - Item(1).X, Db(b).x() - Db(a).x());
    // Turned by 90 degrees about the box centre.
    const ItemRec line = Item(1);
    Click(QPoint(260, 240));
    Click(QPoint(380, 330));
    ASSERT_EQ(g_CurCommand, 78);
    Option(0);
    Move(QPoint(320, 285));
    Click(QPoint(320, 285));
    EXPECT_EQ(Item(1).P1, line.P2);
    EXPECT_EQ(std::abs(Item(1).P2), std::abs(line.P1));
}

// ---- Delete, options, properties, text -------------------------------------

TEST_F(ItemMode, DeleteOneAfterTheQuestionAndByBox)
{
    const QPoint a(280, 240), b(330, 270);
    Add(Shape(kLine, Db(a), 30000, 0));
    Add(Shape(kLine, Db(b), 30000, 0));
    Function(5);
    const QPoint rim = a;
    ui.ExpectPopupMenu("No", "Delete Item?");
    Click(rim);
    EXPECT_EQ(Count(), 2);
    ui.ExpectPopupMenu("Yes", "Delete Item?");
    Click(rim);
    EXPECT_EQ(Count(), 1);
    // A box around the other one.
    Click(QPoint(300, 250));
    ASSERT_EQ(g_CurCommand, 79);
    ui.ExpectMessageBox(6, "Delete Selected items");
    Click(QPoint(360, 300));
    EXPECT_EQ(Count(), 0);
    // Every item after the plain question.
    Add(Shape(kLine, Db(a), 30000, 0));
    Function(5);
    Option(0);
    ui.ExpectMessageBox(6, "Clear all items");
    Click(QPoint(100, 100));
    EXPECT_EQ(Count(), 0);
    EXPECT_EQ(ui.pending(), 0u);
}

TEST_F(ItemMode, ApplyOptionsTakesTheLineWidth)
{
    const QPoint a(280, 240);
    Add(Shape(kLine, Db(a), 300000, 0));
    Function(6);
    g_LineWidth = 7777;
    Option(0);
    Click(a);
    EXPECT_EQ(Item(1).Width, 7777);
    EXPECT_EQ(g_CurCommand, 0);
}

TEST_F(ItemMode, PropertyEditorOpensOnThePickedItem)
{
    const QPoint a(280, 240);
    Add(Shape(kLine, Db(a), 300000, 0));
    Function(4);
    Option(7);
    Click(a);
    EXPECT_EQ(g_CurCommand, 89);
    EXPECT_EQ(g_ItemPicked, 1);
    auto* form = FindFormInstance(typeid(SCHITMED));
    ASSERT_NE(form, nullptr);
    EXPECT_TRUE(form->Visible());
    EXPECT_EQ(g_ItemEditorFresh, 0) << "the editor took the item";
    // A click that misses unloads it.
    Option(10);
    Move(QPoint(100, 100));
    Function(4);
    Click(QPoint(100, 100));
    EXPECT_FALSE(FindFormInstance(typeid(SCHITMED)) && FindFormInstance(typeid(SCHITMED))->Visible());
}

TEST_F(ItemMode, PropertyEditorFollowsTheNextPickAndClosesWithEsc)
{
    const QPoint a(280, 240), b(280, 320);
    Add(Shape(kLine, Db(a), 300000, 0));
    Add(Shape(kLine, Db(b), 300000, 0));
    Function(4);
    Option(7);
    Click(a);
    ASSERT_EQ(g_CurCommand, 89);
    EXPECT_EQ(g_SymbItemIdx, 1);
    // The click on the next item ends the command and goes on to the mode,
    // which picks that item into the editor.
    Click(b);
    EXPECT_EQ(g_CurCommand, 89);
    EXPECT_EQ(g_SymbItemIdx, 2);
    EXPECT_EQ(g_ItemPicked, 1);
    auto* form = FindFormInstance(typeid(SCHITMED));
    ASSERT_NE(form, nullptr);
    EXPECT_TRUE(form->Visible());
    // Esc closes the editor and takes the mark off.
    Option(10);
    EXPECT_EQ(g_CurCommand, 0);
    EXPECT_EQ(g_ItemPicked, 0);
    EXPECT_FALSE(FindFormInstance(typeid(SCHITMED)) && FindFormInstance(typeid(SCHITMED))->Visible());
}

TEST_F(ItemMode, EditTextMakesTheNewLinesBeforeTheOldGoes)
{
    const QPoint a(280, 240);
    ItemRec t = Shape(kText, Db(a), 60000, 50000);
    Add(t, "OLD");
    Function(8);
    ui.ExpectModal("SCHITEXT", [](QWidget*) {
        SCHITEXT& d = FormInstance<SCHITEXT>();
        EXPECT_EQ(d.F_TxtBuffer()->Text(), "OLD");
        d.F_TxtBuffer()->SetText("ONE\r\nTWO");
        d.F_Accept()->Press();
    });
    Click(a);
    ASSERT_EQ(Count(), 2);
    EXPECT_EQ(TextOf(1), "ONE");
    EXPECT_EQ(TextOf(2), "TWO");
    EXPECT_EQ(Item(1).X, Db(a).x());
    EXPECT_EQ(Item(1).Y, Db(a).y());
    // The kernel refuses the new text: the old one stays.
    KT_FailCall("I_MakeText", 1);
    ui.ExpectModal("SCHITEXT", [](QWidget*) {
        SCHITEXT& d = FormInstance<SCHITEXT>();
        d.F_TxtBuffer()->SetText("NEW");
        d.F_Accept()->Press();
    });
    Click(a);
    ASSERT_EQ(Count(), 2);
    EXPECT_EQ(TextOf(1), "ONE");
    EXPECT_EQ(ui.pending(), 0u);
}

// The property editor on a text, used as a user does: a big text "OLD TEXT"
// is added, the editor opened on it (function 4, option 7, a click on the
// text), and its text-size row clicked so that the size list shows.
class PropertyEditorText : public ItemMode {
protected:
    void SetUp() override
    {
        ItemMode::SetUp();
        big_ = g_TextSizes(8);
        ItemRec t = Shape(kText, Db(QPoint(260, 300)), big_.Height, big_.Width);
        t.Width = big_.Width3;
        ASSERT_NE(Add(t, kWords), 0);
        m_->RefreshCanvas();
        oldBox_ = BoxOf(Item(1));
        ASSERT_GT(oldBox_.height(), 12);
        before_ = Picture().Image().copy();

        QTest::mouseClick(M().F_FSI(4), Qt::LeftButton);
        if (!M().F_OST(7)->Value()) QTest::mouseClick(M().F_OST(7), Qt::LeftButton);
        ASSERT_TRUE(M().F_OST(7)->Value());
        const QPoint inside = oldBox_.center();
        QTest::mouseMove(&Picture(), inside);
        QTest::mouseClick(&Picture(), Qt::LeftButton, {}, inside);
        ASSERT_EQ(g_CurCommand, 89);
        form_ = dynamic_cast<SCHITMED*>(FindFormInstance(typeid(SCHITMED)));
        ASSERT_NE(form_, nullptr);
        ASSERT_TRUE(form_->Visible());
        winsys::NorvoGrid& grid = *form_->F_GD();
        for (int r = 1; r < grid.Rows(); ++r)
            if (grid.TextMatrix(r, 0) == "Txtsize") sizeRow_ = r;
        ASSERT_GT(sizeRow_, 0);
        ShowSizes();
    }
    // The editor is closed as Esc closes it, which takes the item's mark
    // off for the next test.
    void TearDown() override
    {
        KT_FailCall("", 0);
        if (form_ && form_->Visible()) Option(10);
        ItemMode::TearDown();
    }

    Canvas& Picture() { return *M().ViewPicture; }
    // The pixels of the text's box.
    QRect BoxOf(const ItemRec& r)
    {
        const double length = static_cast<double>(std::string(kWords).size());
        const QPoint a = Px(r.X, r.Y);
        const QPoint b = Px(static_cast<int32_t>(r.X + 6.0 * r.P2 * length), r.Y + 6 * r.P1);
        return QRect(a, b).normalized();
    }
    // The mark of the picked item: a square about its reference point.
    QRect MarkOf(const ItemRec& r)
    {
        return QRect(Px(r.X - 15240, r.Y - 15240), Px(r.X + 15240, r.Y + 15240)).normalized().adjusted(-2, -2, 2, 2);
    }
    // Clicks the text-size row, which shows the list of sizes.
    void ShowSizes()
    {
        winsys::NorvoGrid& grid = *form_->F_GD();
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, {},
                          grid.visualRect(grid.model()->index(sizeRow_, 1)).center());
        ListBox& sizes = *form_->F_Tsize();
        ASSERT_TRUE(sizes.isVisible());
        ASSERT_GT(sizes.count(), 2);
    }
    // Clicks text size 2, the second of the list (the first is the size
    // the text has, selected already).
    void PickSmallerSize()
    {
        ListBox& sizes = *form_->F_Tsize();
        QTest::mouseClick(sizes.viewport(), Qt::LeftButton, {}, sizes.visualItemRect(sizes.item(1)).center());
    }
    // What the window does once the event has been handled.
    static void Settle()
    {
        for (int i = 0; i < 3; ++i) QApplication::processEvents();
    }
    // The size the table shows (a picked entry keeps the list's inch mark).
    std::string SizeShown()
    {
        std::string shown = form_->F_GD()->TextMatrix(sizeRow_, 1);
        if (!shown.empty() && shown.back() == '"') shown.pop_back();
        return shown;
    }
    // The pixels where the canvas differs from a fresh paint of the page as
    // the design is now.
    int DiffersFromAFreshPaint()
    {
        const QImage shown = Picture().Image().copy();
        M().RefreshCanvas();
        const QImage fresh = Picture().Image().copy();
        int n = 0;
        for (int y = 0; y < fresh.height(); ++y)
            for (int x = 0; x < fresh.width(); ++x)
                n += palvane_test::PixelAt(shown, x, y) != palvane_test::PixelAt(fresh, x, y);
        return n;
    }

    static constexpr const char* kWords = "OLD TEXT";
    TextSizeRec big_{};
    QRect oldBox_;
    QImage before_;
    SCHITMED* form_ = nullptr;
    int sizeRow_ = -1;
};

// A text's size changed in the property editor: the old text leaves the
// canvas at once, while the editor is open and after Esc has closed it;
// only the new text and its mark are drawn.
TEST_F(PropertyEditorText, SmallerSizeLeavesNoOldTextDrawn)
{
    PickSmallerSize();
    const ItemRec changed = Item(g_SymbItemIdx);
    ASSERT_EQ(changed.P1, g_TextSizes(2).Height);
    ASSERT_EQ(TextOf(g_SymbItemIdx), kWords);
    const QRect newBox = BoxOf(changed).adjusted(-2, -2, 2, 2);
    const QRect mark = MarkOf(changed);
    const QImage open = Picture().Image().copy();
    QTest::keyClick(&Picture(), Qt::Key_Escape);
    EXPECT_FALSE(form_->Visible());
    const QImage closed = Picture().Image().copy();
    M().RefreshCanvas();
    const QImage fresh = Picture().Image().copy();

    // Where the old text stood and the new one does not, the canvas shows
    // what a fresh paint shows; the old text had drawn there.
    int oldInk = 0, staleOpen = 0, staleClosed = 0;
    for (int y = oldBox_.top(); y <= oldBox_.bottom(); ++y) {
        for (int x = oldBox_.left(); x <= oldBox_.right(); ++x) {
            if (newBox.contains(x, y) || mark.contains(x, y)) continue;
            const QRgb want = palvane_test::PixelAt(fresh, x, y);
            oldInk += palvane_test::PixelAt(before_, x, y) != want;
            staleOpen += palvane_test::PixelAt(open, x, y) != want;
            staleClosed += palvane_test::PixelAt(closed, x, y) != want;
        }
    }
    EXPECT_GT(oldInk, 50);
    EXPECT_EQ(staleOpen, 0) << "pixels of the old text while the editor is open";
    EXPECT_EQ(staleClosed, 0) << "pixels of the old text after the editor closed";
}

// The canvas is painted inside the change: when the kernel refuses a call
// of that paint (here the drawing of the page's components), the change
// goes back like any refused step. The text keeps its size, the table
// shows it, Undo has nothing new to take back, and the canvas shows the
// design as it is. The same holds for Undo; without a refusal both work.
TEST_F(PropertyEditorText, ARefusedPaintSendsTheChangeBack)
{
    const uint64_t opened = KT_DesignDigest();
    const std::string bigShown = SizeShown();
    const size_t beeps = Asked("Beep");
    KT_FailCall("C_DrawAllComponents", 1);
    PickSmallerSize();
    EXPECT_STREQ(KT_LastRefused(), "C_DrawAllComponents");
    KT_FailCall("", 0);
    Settle();
    ASSERT_EQ(Count(), 1);
    EXPECT_EQ(Item(g_SymbItemIdx).P1, big_.Height);
    EXPECT_EQ(TextOf(g_SymbItemIdx), kWords);
    EXPECT_EQ(KT_DesignDigest(), opened);
    EXPECT_GT(Asked("Beep"), beeps);
    EXPECT_EQ(SizeShown(), bigShown);
    EXPECT_FALSE(form_->F_UNDO()->isEnabled());
    EXPECT_EQ(Line(), "Not done: the kernel refused a step - the design is as it was");
    EXPECT_EQ(DiffersFromAFreshPaint(), 0);

    // Not refused: the size changes, and Undo can take it back.
    ShowSizes();
    PickSmallerSize();
    Settle();
    const ItemRec smaller = Item(g_SymbItemIdx);
    ASSERT_EQ(smaller.P1, g_TextSizes(2).Height);
    const std::string smallShown = SizeShown();
    EXPECT_NE(smallShown, bigShown);
    ASSERT_TRUE(form_->F_UNDO()->isEnabled());
    const uint64_t changed = KT_DesignDigest();
    EXPECT_NE(changed, opened);

    // Undo with a refused paint: the text stays as changed, and Undo stays
    // ready for another try.
    KT_FailCall("C_DrawAllComponents", 1);
    QTest::mouseClick(form_->F_UNDO(), Qt::LeftButton);
    EXPECT_STREQ(KT_LastRefused(), "C_DrawAllComponents");
    KT_FailCall("", 0);
    Settle();
    ASSERT_EQ(Count(), 1);
    EXPECT_EQ(Item(g_SymbItemIdx).P1, smaller.P1);
    EXPECT_EQ(KT_DesignDigest(), changed);
    EXPECT_EQ(SizeShown(), smallShown);
    EXPECT_TRUE(form_->F_UNDO()->isEnabled());
    EXPECT_EQ(Line(), "Not done: the kernel refused a step - the design is as it was");
    EXPECT_EQ(DiffersFromAFreshPaint(), 0);

    QTest::mouseClick(form_->F_UNDO(), Qt::LeftButton);
    Settle();
    EXPECT_EQ(Item(g_SymbItemIdx).P1, big_.Height);
    EXPECT_EQ(TextOf(g_SymbItemIdx), kWords);
    EXPECT_EQ(SizeShown(), bigShown);
    EXPECT_FALSE(form_->F_UNDO()->isEnabled());
    EXPECT_EQ(DiffersFromAFreshPaint(), 0);
}

// ---- The picture -----------------------------------------------------------

TEST_F(ItemMode, ScreenshotOfAnArcBeingReshaped)
{
    const QPoint c(300, 260);
    Add(Shape(kArc, Db(c), 60 * M().m_ViewSize, 0, 120000));
    // The first grab lays the window out, which repaints the page.
    (void)M().ClientWidget()->grab();
    M().RefreshCanvas();
    Function(4);
    const QPoint grip = Px(Db(c).x() + 60 * M().m_ViewSize, Db(c).y());
    Click(grip);
    ASSERT_EQ(g_CurCommand, 76);
    Move(QPoint(385, 240));
    Move(QPoint(380, 230));
    EXPECT_NE(Line().find("ARC: r="), std::string::npos) << Line();
    EXPECT_EQ(Line().back(), '\xB0') << "the degree sign";
    // Grabbed as it stands: a paint queued by the panel layout would
    // repaint the page under the preview first.
    const QPixmap shot = M().ClientWidget()->grab();
    EXPECT_TRUE(shot.save(QString::fromStdString(palvane_test::ScreenshotDir() + "/item_arc_reshape.png"), "PNG"));
    M().F_OST(10)->SetValue(true);
    Move(QPoint(381, 230));
}

}  // namespace
