// What the canvas shows after an action went back: only the part of the
// page the put-back restored (and what the action drew over the page) is
// painted anew, and the canvas is then what a paint of the whole page
// shows, to the pixel: the wires on a moved component's pins, the frame,
// the grid, the point markers, a highlighted net, the component a text
// move highlights, the cursor cross. An action that goes back across a page
// switch paints the whole canvas. Every action starts as a user starts it:
// clicks on the canvas and the function panel, a choice in the page list.
#include "editor/interaction/command_steps.h"
#include "editor/interaction/commands.h"
#include "editor/objects/branch_drawing.h"
#include "editor/objects/net_drawing.h"
#include "editor/objects/wire_state.h"
#include "editor/shell/controls.h"
#include "editor/shell/design_change.h"
#include "editor/shell/menus.h"
#include "editor/shell/pagedraw.h"
#include "editor/shell/schmain.h"
#include "editor/shell/ribbon.h"
#include "editor/shell/settings.h"
#include "editor/shell/systables.h"
#include "editor/view/canvas.h"
#include "editor/view/marks.h"
#include "editor/view/view_state.h"
#include "platform/kernel/nvokernel32.h"
#include "platform/kernel/testing.h"
#include "tests/editing/editing_fixture.h"
#include "tests/support/raster.h"

#include <QApplication>
#include <QTest>

#include <climits>
#include <functional>
#include <string>
#include <vector>

namespace palvane_test {
namespace {

// R1's pin 2 is wired towards a junction far from it: the wire's first
// leg follows R1. Net K (highlighted in the tests) joins R2 to a labelled
// end and R3 to two points.
const char* const kDesign = R"(
include discrete.nls
unit 0.1in
design D
level MAIN
net N
net K
page P1 frame 100 80
  component R1 R at 0 0
  component R2 R at 20 0 value 1k
  component R3 R at 0 -20
  junction FAR at 30 20
  wire N R1.2 (3 10) FAR
  wire N FAR (40 20)
  wire N FAR (30 30)
  wire K R2.2 (30 0) label 26 1
  wire K R3.2 (10 -20) (10 -30)
end
page P2 frame 60 40
  component R9 R at 0 0
end
)";

// Put-backs told to the editor so far in this process.
int g_told = 0;

class PutBackArea : public EditingTest {
public:
    SCHMAIN& M() { return Main(); }
    winsys::ScriptedInteraction& Ui() { return ui; }

protected:
    void SetUp() override
    {
        EditingTest::SetUp();
        ui.unexpected = [](const std::string&) {};
        static const bool listening = [] {
            AddDesignPutBackListener([] { ++g_told; });
            return true;
        }();
        (void)listening;
    }
    void TearDown() override
    {
        KT_FailCall("", 0);
        if (hook_) M().ViewPicture->Paint.Disconnect(hook_);
        EditingTest::TearDown();
    }

public:
    // A fresh design on P1 in `mode`, with function `function` chosen, the
    // view on the objects, the grid, the page outline and a point marker
    // shown, the cursor cross full and net K highlighted.
    void Fresh(int32_t mode, int function)
    {
        ui.Forget();
        ASSERT_TRUE(BuildDesign(kDesign));
        ASSERT_NE(DB_SetCurHier(OM_FindName(DB_HierarchyMap(), "MAIN")), 0);
        ASSERT_NE(DB_SetCurPage(PageId("P1")), 0);
        SCHMAIN& m = M();
        ASSERT_TRUE(m.LoadSettings());
        for (int i = 0; i < 3; ++i) QApplication::processEvents();
        g_SnapStep = kStep;
        g_CurCommand = 0;
        m.M_FSI(mode)->Action()->trigger();
        QTest::mouseClick(m.F_FSI(function), Qt::LeftButton);
        for (int i = 0; i <= 10; ++i) m.F_OST(i)->SetValue(false);
        m.m_ViewSize = 25400;  // 0.1 inch is 10 pixels
        m.m_ViewOrgX = 10 * kStep;
        m.m_ViewOrgY = -2 * kStep;
        g_GridOn = 1;
        g_ShowPageOutline = true;
        m.m_FullCross = -1;
        g_Markers[0] = MarkerRec{};
        g_Markers[0].X = -6 * kStep;
        g_Markers[0].Y = 5 * kStep;
        g_Markers[0].Shown = -1;
        // Net K highlighted as a net command shows it.
        g_CurNet = NetId("K");
        m.OpenCanvasDC();
        HighlightNet(g_CurNet);
        DrawMaskedBranches(0, 128);
        m.CloseCanvasDC();
        m.RefreshCanvas();
        QApplication::processEvents();
        m.F_MsgLine->SetCaption("");
    }

    // The canvas pixel of a page point.
    QPoint Px(int32_t x, int32_t y)
    {
        SCHMAIN& m = M();
        m.OpenCanvasDC();
        int32_t p[2] = {x, y};
        G_LPtoDP(p);
        m.CloseCanvasDC();
        return {p[0], p[1]};
    }
    void MoveTo(int32_t x, int32_t y) { QTest::mouseMove(M().ViewPicture, Px(x, y)); }
    void ClickAt(int32_t x, int32_t y)
    {
        const QPoint at = Px(x, y);
        QTest::mouseMove(M().ViewPicture, at);
        QTest::mouseClick(M().ViewPicture, Qt::LeftButton, {}, at);
    }
    static EntryRec Pin(const char* comp, int32_t entry)
    {
        EntryRec rec{};
        C_ReadEntry(CompId(comp), entry, &rec);
        return rec;
    }
    // The lower left corner of the component's text of kind bits `kind`.
    static ItemRec Text(const char* comp, int32_t kind)
    {
        ItemRec rec{};
        for (int32_t i = 1; C_CompText(CompId(comp), i) != 0; ++i) {
            I_ReadItemAbs(C_CompText(CompId(comp), i), &rec);
            if ((rec.Flags & 0x1E) == kind) return rec;
        }
        return ItemRec{};
    }

    // From here on, each paint of the canvas notes whether it painted an
    // area only.
    void WatchPaints()
    {
        paints_.clear();
        if (!hook_) hook_ = M().ViewPicture->Paint.Connect([this] { paints_.push_back(M().ViewPicture->PaintingArea()); });
    }
    const std::vector<bool>& Paints() const { return paints_; }

    struct Row {
        const char* name;
        int32_t mode;
        int function;
        // The actions before the one refused, unrefused.
        std::function<void(PutBackArea&)> before;
        // The action whose steps are refused, its answers queued first.
        std::function<void(PutBackArea&)> act;
    };

private:
    int hook_ = 0;
    std::vector<bool> paints_;
};

const PutBackArea::Row kRows[] = {
    {"a wire of the highlighted net deleted", MODE_WIRES, 8,
     [](PutBackArea& t) {
         t.M().F_OST(0)->SetValue(true);
         t.MoveTo(27 * kStep, 0);
     },
     [](PutBackArea& t) {
         t.Ui().ExpectPopupMenu("Yes");
         t.ClickAt(27 * kStep, 0);
     }},
    {"a component moved with the wire on its pin", MODE_COMPONENTS, 4,
     [](PutBackArea& t) {
         const EntryRec pin = t.Pin("R1", 1);
         t.ClickAt(pin.X, pin.Y);
         t.MoveTo(pin.X + 3 * kStep, pin.Y - 6 * kStep);
         t.MoveTo(pin.X + 4 * kStep, pin.Y - 7 * kStep);
     },
     [](PutBackArea& t) {
         const EntryRec pin = t.Pin("R1", 1);
         t.ClickAt(pin.X + 4 * kStep, pin.Y - 7 * kStep);
     }},
    {"a component deleted", MODE_COMPONENTS, 5,
     [](PutBackArea& t) {
         const EntryRec pin = t.Pin("R3", 2);
         t.MoveTo(pin.X, pin.Y);
     },
     [](PutBackArea& t) {
         t.Ui().ExpectPopupMenu("Yes", "Delete R3/1?");
         const EntryRec pin = t.Pin("R3", 2);
         t.ClickAt(pin.X, pin.Y);
     }},
    // A block around R1 alone moved on its page: the page is painted anew
    // after the move, then the action goes back; R1's wire reaches far out
    // of the block.
    {"a block moved with a wire hanging out of it", MODE_BLOCK_EDIT, 1,
     [](PutBackArea& t) {
         t.ClickAt(-6 * kStep, -4 * kStep);
         ASSERT_EQ(g_CurCommand, 51);
         t.MoveTo(6 * kStep, 5 * kStep);
         t.ClickAt(6 * kStep, 5 * kStep);
         ASSERT_EQ(g_CurCommand, 52);
         t.MoveTo(5 * kStep, -8 * kStep);
     },
     [](PutBackArea& t) { t.ClickAt(5 * kStep, -8 * kStep); }},
    // A click on the reference text moves the text alone, its component
    // highlighted meanwhile.
    {"a component's text moved", MODE_COMPONENTS, 4,
     [](PutBackArea& t) {
         const ItemRec text = t.Text("R2", 2);
         t.ClickAt(text.X + kStep / 2, text.Y + kStep / 4);
         ASSERT_EQ(g_CurCommand, 5);
         t.MoveTo(text.X + 3 * kStep, text.Y + 5 * kStep);
     },
     [](PutBackArea& t) {
         const ItemRec text = t.Text("R2", 2);
         t.ClickAt(text.X + 3 * kStep, text.Y + 5 * kStep);
     }},
};

// Each edit with each of its steps refused in turn: where a put-back is
// told (the whole action going back, or an edit's own try), the paint
// after it paints an area only, and the canvas is then what a paint of the
// whole page shows.
TEST_F(PutBackArea, ThePartPaintedAnewIsWhatTheWholePageShows)
{
    for (const Row& row : kRows) {
        SCOPED_TRACE(row.name);
        Fresh(row.mode, row.function);
        row.before(*this);
        const uint64_t before = KT_DesignDigest();
        KT_FailCall("+", INT32_MAX);
        row.act(*this);
        const int32_t steps = KT_CallsCounted();
        KT_FailCall("", 0);
        QApplication::processEvents();
        ASSERT_NE(KT_DesignDigest(), before) << "the action changed nothing";
        ASSERT_GT(steps, 0);
        int told = 0;
        for (int32_t n = 1; n <= steps; ++n) {
            SCOPED_TRACE("step " + std::to_string(n) + " of " + std::to_string(steps));
            Fresh(row.mode, row.function);
            row.before(*this);
            WatchPaints();
            const int toldBefore = g_told;
            KT_FailCall("+", n);
            row.act(*this);
            const std::string refused = KT_LastRefused();
            KT_FailCall("", 0);
            SCOPED_TRACE(refused);
            QApplication::processEvents();
            QApplication::processEvents();
            if (g_told == toldBefore) continue;
            ++told;
            ASSERT_FALSE(Paints().empty()) << "no paint after the put-back";
            EXPECT_TRUE(Paints().back()) << "the whole canvas was painted";
            const QImage shown = M().ViewPicture->Image().copy();
            M().RefreshCanvas();
            const auto d = CompareImages(shown, M().ViewPicture->Image());
            EXPECT_TRUE(d.Same()) << d.differing << " pixels differ, the first at " << d.firstAt.x() << ","
                                  << d.firstAt.y();
            if (!d.Same() && getenv("DUMP_AREA")) {
                shown.save(QString("/tmp/area_%1_%2_shown.png").arg(&row - kRows).arg(n));
                M().ViewPicture->Image().save(QString("/tmp/area_%1_%2_full.png").arg(&row - kRows).arg(n));
            }
        }
        EXPECT_GT(told, 0) << "no refusal was told as a put-back";
    }
}

// An action that switches the page and then has a step refused goes back
// to the page shown before: the whole canvas is painted, and shows it.
TEST_F(PutBackArea, APutBackAcrossAPageSwitchPaintsTheWholeCanvas)
{
    const auto choose = [this] {
        ComboBox* list = M().F_Pages;
        for (int i = 0; i < list->ListCount(); ++i)
            if (list->List(i) == "P2") {
                list->setCurrentIndex(i);
                emit list->activated(i);
                return;
            }
        ADD_FAILURE() << "no page P2 in the list";
    };
    Fresh(MODE_COMPONENTS, 4);
    const uint64_t before = KT_DesignDigest();
    const int32_t page = g_CurPage;
    KT_FailCall("+", INT32_MAX);
    choose();
    const int32_t steps = KT_CallsCounted();
    KT_FailCall("", 0);
    ASSERT_NE(g_CurPage, page);
    bool switched = false, putBackAfterSwitch = false;
    for (int32_t n = 1; n <= steps; ++n) {
        Fresh(MODE_COMPONENTS, 4);
        WatchPaints();
        KT_FailCall("+", n);
        choose();
        const std::string refused = KT_LastRefused();
        KT_FailCall("", 0);
        QApplication::processEvents();
        QApplication::processEvents();
        SCOPED_TRACE("step " + std::to_string(n) + " " + refused);
        if (switched && KT_DesignDigest() == before) {
            putBackAfterSwitch = true;
            EXPECT_EQ(g_CurPage, page);
            ASSERT_FALSE(Paints().empty());
            EXPECT_FALSE(Paints().back()) << "only an area was painted";
            const QImage shown = M().ViewPicture->Image().copy();
            M().RefreshCanvas();
            EXPECT_TRUE(CompareImages(shown, M().ViewPicture->Image()).Same());
        }
        if (refused == "DB_SetCurPage") switched = true;
    }
    EXPECT_TRUE(switched) << "the switch is no step of the action";
    EXPECT_TRUE(putBackAfterSwitch) << "no refusal after the switch put the action back";
}

}  // namespace
}  // namespace palvane_test
