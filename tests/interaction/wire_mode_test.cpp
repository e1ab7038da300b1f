// The wire mode through the canvas over the real kernel: wires and buses
// drawn, corners taken back, points, segments and inserted points dragged
// (the page frame's too), junction kinds, bus names, name texts, the
// repeating wire, the constrained legs, and the XOR overlay of the previews.
#include "editor/editing/editing_state.h"
#include "editor/interaction/command_steps.h"
#include "editor/interaction/commands.h"
#include "editor/objects/branches.h"
#include "editor/objects/net_lookups.h"
#include "editor/objects/owner_items.h"
#include "editor/objects/wire_state.h"
#include "editor/shell/msgtext.h"
#include "editor/shell/ribbon.h"
#include "editor/shell/settings.h"
#include "editor/shell/systables.h"
#include "editor/shell/textnum.h"
#include "editor/shell/tooltable.h"
#include "editor/view/canvas.h"
#include "editor/view/display_menus.h"
#include "platform/kernel/testing.h"
#include "tests/editing/editing_fixture.h"
#include "tests/support/raster.h"
#include "tests/support/screenshot.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

using namespace palvane_test;

// R1 (-3 0)-(3 0), R2 (17 0)-(23 0), R3 (-3 20)-(3 20), R4 (17 20)-(23 20);
// net N from R1.2 over a corner at (10 0) to R2.1; bus B with N, K, L as
// members and a bus wire; net L has a short wire.
const char* kDesign = R"(
include discrete.nls
unit 0.1in
design D
level MAIN
net N
net K
net L
bus B K N L
bus C
page P1 frame 80 60
  component R1 R at 0 0
  component R2 R at 20 0
  component R3 R at 0 20
  component R4 R at 20 20
  wire N R1.2 (10 0) R2.1
  wire L (30 30) (35 30)
  buswire B (0 -10) (30 -10)
  buswire C (0 -20) (30 -20)
end
)";

// The wire commands a click begins, for the overlay checks below: the
// function, where the click is, the option pressed first and the command.
struct OverlayCase {
    int f;
    double x, y;
    int option;  // pressed before the click, -1 none
    int32_t command;
};
const OverlayCase kOverlayCases[] = {
    {4, 10, 0, -1, 34}, {3, 14, 0, -1, 33}, {2, 31, 30, 4, CMD_REPEAT_WIRE}, {0, 40, 40, -1, 31}};

class WireMode : public EditingTest {
protected:
    void SetUp() override
    {
        EditingTest::SetUp();
        Fresh();
        SCHMAIN& m = Main();
        g_SnapStep = kStep;
        m.m_ViewSize = 25400 * 2;  // 5 pixels to the 0.1 inch step
        m.m_ViewOrgX = 5 * kStep;
        m.m_ViewOrgY = -5 * kStep;
        m.ShowZoomValue();
        m.RefreshCanvas();
        Mode(MODE_WIRES, 0);
    }
    // The design built anew, with the kernel's free-id lists rebuilt.
    void Fresh(const std::string& design = kDesign)
    {
        g_CurCommand = 0;
        g_CmdRunning = 0;
        Use(design, "P1");
        for (const int32_t kind : {3, 2, 1}) MakeHeap(kind, 0);
        Main().RefreshCanvas();
    }
    void TearDown() override
    {
        KT_FailCall("", 0);
        EditingTest::TearDown();
    }
    // Selects function f of mode `mode` as the function panel does.
    void Mode(int32_t mode, int f)
    {
        SCHMAIN& m = Main();
        g_CurMode = mode;
        ModeTools(mode).SelFunc = f;
        if (m.F_FSI.Exists(f)) {
            m.F_FSI(f)->SetValue(true);
            m.F_FSI_Click(f, true);
        }
    }
    void Option(int n, bool on = true) { Main().F_OST(n)->SetValue(on); }
    // The canvas pixel of a point given in 0.1 inch steps.
    QPoint Px(double sx, double sy)
    {
        SCHMAIN& m = Main();
        int32_t p[2] = {static_cast<int32_t>(sx * kStep), static_cast<int32_t>(sy * kStep)};
        m.OpenCanvasDC();
        G_LPtoDP(p);
        m.CloseCanvasDC();
        return {p[0], p[1]};
    }
    void Move(double sx, double sy)
    {
        const QPoint p = Px(sx, sy);
        Main().ViewPicture_MouseMove(0, 0, p.x(), p.y());
    }
    void Click(double sx, double sy)
    {
        const QPoint p = Px(sx, sy);
        Main().ViewPicture_MouseMove(0, 0, p.x(), p.y());
        Main().ViewPicture_MouseUp(1, 0, p.x(), p.y());
        // The move the release replays goes unsnapped and takes the snap's
        // reference; the pointer's next move is snapped.
        if (g_CurCommand != 0) Main().ViewPicture_MouseMove(0, 0, p.x(), p.y());
    }
    // Presses an option while a command runs and moves the pointer so the
    // preview reads it.
    void OptionAndMove(int n, double sx, double sy)
    {
        Option(n);
        Move(sx, sy);
    }
    static int32_t Points(int32_t branch)
    {
        BranchRec rec{};
        return B_ReadBranch(branch, &rec) != 0 ? rec.Points : 0;
    }
    static BranchPointRec Point(int32_t branch, int32_t index)
    {
        BranchPointRec p{};
        B_ReadRecord(branch, index, &p);
        return p;
    }
    // The net of a pin, 0 when it has none.
    static int32_t PinNet(const char* comp, int32_t entry)
    {
        int32_t status = 1, net = 0, node = 0;
        std::string name;
        FindPinNet(status, 0, CompId(comp), entry, net, name, node);
        return status == 0 ? net : 0;
    }
    QImage Canvas() { return Main().ViewPicture->Image().copy(); }
    // Begins the command of an overlay case: its function, its option, the
    // click.
    void BeginOverlayCase(const OverlayCase& c)
    {
        Mode(MODE_WIRES, c.f);
        if (c.option >= 0) Option(c.option);
        Click(c.x, c.y);
    }
    // The canvas once the overlay shown is erased.
    QImage CanvasWithoutOverlay()
    {
        SCHMAIN& m = Main();
        m.OpenCanvasDC();
        m.EraseOverlay();
        m.CloseCanvasDC();
        return Canvas();
    }
    // Ends the command of an overlay case (option 10) and releases its
    // option.
    void EndOverlayCase(const OverlayCase& c)
    {
        OptionAndMove(10, c.x + 4, c.y + 3);
        EXPECT_EQ(g_CurCommand, 0);
        if (c.option >= 0) Option(c.option, false);
    }
    // The canvas equals a fresh paint of the page.
    void ExpectFreshPaint(const char* what)
    {
        const QImage now = Canvas();
        Main().RefreshCanvas();
        const ImageDiff d = CompareImages(now, Canvas());
        EXPECT_TRUE(d.Same()) << what << ": " << d.differing << " at " << d.firstAt.x() << "," << d.firstAt.y();
    }
    int32_t WireN() { return Wires(NetId("N")).at(0); }
};

TEST_F(WireMode, WirePinToPin)
{
    ASSERT_EQ(PinNet("R3", 2), 0);
    Click(3, 20);
    ASSERT_EQ(g_CurCommand, 31);
    const int32_t wire = g_CurBranch;
    Move(12, 20);
    EXPECT_NE(Main().m_OverlayMF, 0);
    Click(17, 20);
    EXPECT_EQ(g_CurCommand, 31);
    OptionAndMove(3, 18, 22);
    EXPECT_EQ(g_CurCommand, 0);
    const int32_t net = PinNet("R3", 2);
    EXPECT_NE(net, 0);
    EXPECT_EQ(PinNet("R4", 1), net);
    EXPECT_EQ(Points(wire), 2);
    EXPECT_EQ(Point(wire, 1).Flags & 6, 2);
    EXPECT_EQ(Point(wire, 2).Flags & 6, 2);
    ExpectFreshPaint("after the wire");
}

TEST_F(WireMode, CornerTakeBackAndARefusedOne)
{
    Click(3, 20);
    const int32_t wire = g_CurBranch;
    // Two points only: nothing to take back, and the wire stays.
    OptionAndMove(0, 5, 21);
    EXPECT_EQ(g_CurCommand, 31);
    EXPECT_FALSE(Main().F_OST(0)->Value());
    EXPECT_FALSE(Main().F_OST(10)->Value());
    EXPECT_EQ(Points(wire), 2);
    Click(8, 20);
    Click(8, 25);
    ASSERT_EQ(Points(wire), 4);
    OptionAndMove(0, 9, 26);
    EXPECT_EQ(g_CurCommand, 31);
    EXPECT_EQ(Points(wire), 3);
    EXPECT_EQ(g_CurBranchPos, 3);
    // The corner at (8, 25) is the moving end again and follows the pointer.
    Move(8, 28);
    EXPECT_EQ(Point(wire, 3).X, 8 * kStep);
    EXPECT_EQ(Point(wire, 3).Y, 28 * kStep);
    EXPECT_EQ(Point(wire, 2).Y, 20 * kStep);
    OptionAndMove(10, 9, 29);
    EXPECT_EQ(g_CurCommand, 0);
}

TEST_F(WireMode, EscTakesBackTheWireAndItsNodes)
{
    const int32_t branches = Count(DB_BranchMap()), nets = Count(DB_NetMap()), junctions = Count(DB_JunctMap());
    Click(3, 20);
    Click(10, 20);
    Click(10, 25);
    OptionAndMove(10, 11, 26);
    EXPECT_EQ(g_CurCommand, 0);
    EXPECT_EQ(Count(DB_BranchMap()), branches);
    EXPECT_EQ(Count(DB_NetMap()), nets);
    EXPECT_EQ(Count(DB_JunctMap()), junctions);
    EXPECT_EQ(PinNet("R3", 2), 0);
    ExpectFreshPaint("after Esc");
}

TEST_F(WireMode, BusNamedOnFinish)
{
    static const std::string kLongName(300, 'X');
    struct Case {
        const char* what;
        std::vector<const char*> typed;  // nullptr: Cancel
        const char* bus;                 // the bus the wire belongs to; nullptr: no wire
        bool reported;                   // a refused name was reported
    } cases[] = {
        {"a new name", {"DATA"}, "DATA", false},
        {"a taken name joins that bus", {"C"}, "C", false},
        {"empty takes the bus back", {nullptr}, nullptr, false},
        {"a very long name is refused, then one that fits", {kLongName.c_str(), "ADDR"}, "ADDR", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Fresh();
        const int32_t branches = Count(DB_BranchMap()), buses = Count(DB_BusMap());
        Mode(MODE_WIRES, 1);
        Click(40, 40);
        ASSERT_EQ(g_CurCommand, 31);
        EXPECT_TRUE(Main().m_WireIsBus);
        EXPECT_EQ(Main().m_WireEndKind, -1);
        Click(45, 40);
        if (c.reported) ui.ExpectMessageBox(1);
        for (const char* t : c.typed) Type(t, "Assign Bus Name:");
        OptionAndMove(3, 46, 41);
        EXPECT_EQ(g_CurCommand, 0);
        if (c.bus) {
            ASSERT_NE(BusId(c.bus), 0);
            EXPECT_EQ(Wires(BusId(c.bus), 1).size(), std::string(c.bus) == "C" ? 2u : 1u);
            EXPECT_EQ(Count(DB_BranchMap()), branches + 1);
        } else {
            EXPECT_EQ(Count(DB_BranchMap()), branches);
            EXPECT_EQ(Count(DB_BusMap()), buses);
        }
        EXPECT_EQ(ui.pending(), 0u);
    }
}

TEST_F(WireMode, DragPoint)
{
    Mode(MODE_WIRES, 4);
    Click(10, 0);
    ASSERT_EQ(g_CurCommand, 34);
    EXPECT_FALSE(Main().m_WireIsBus);
    Move(10, 5);
    const int32_t wire = WireN();
    EXPECT_EQ(Point(wire, 2).Y, 5 * kStep);
    Click(10, 5);
    EXPECT_EQ(g_CurCommand, 0);
    EXPECT_EQ(Points(wire), 3);
    EXPECT_EQ(Point(wire, 2).X, 10 * kStep);
    EXPECT_EQ(Point(wire, 2).Y, 5 * kStep);
    EXPECT_EQ(PinNet("R1", 2), NetId("N"));
    EXPECT_EQ(PinNet("R2", 1), NetId("N"));
    ExpectFreshPaint("after the point drag");
}

TEST_F(WireMode, DragPointGivenUpPutsItBack)
{
    Mode(MODE_WIRES, 4);
    Click(10, 0);
    Move(10, 6);
    OptionAndMove(10, 10, 7);
    EXPECT_EQ(g_CurCommand, 0);
    EXPECT_EQ(Point(WireN(), 2).Y, 0);
    ExpectFreshPaint("after Esc");
}

TEST_F(WireMode, DragSegment)
{
    Mode(MODE_WIRES, 3);
    Click(14, 0);
    ASSERT_EQ(g_CurCommand, 33);
    Move(14, 4);
    Click(14, 4);
    EXPECT_EQ(g_CurCommand, 0);
    const int32_t wire = WireN();
    // The segment moved with its ends; the pin keeps its wire over a new
    // point at the pin.
    bool moved = false;
    for (int32_t i = 1; i <= Points(wire); ++i)
        if (Point(wire, i).X == 17 * kStep && Point(wire, i).Y == 4 * kStep) moved = true;
    EXPECT_TRUE(moved);
    EXPECT_EQ(PinNet("R2", 1), NetId("N"));
    EXPECT_EQ(Point(wire, Points(wire)).Flags & 6, 2);
    ExpectFreshPaint("after the segment drag");
}

TEST_F(WireMode, SegmentLocks)
{
    struct Case {
        bool lockX, lockY;
        int32_t dx, dy;  // steps the segment's end moved
    } cases[] = {{false, false, 2, 3}, {true, false, 0, 3}, {false, true, 2, 0}, {true, true, 0, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.lockX) + std::to_string(c.lockY));
        Fresh();
        Mode(MODE_WIRES, 3);
        Click(14, 0);
        ASSERT_EQ(g_CurCommand, 33);
        const BranchPointRec start = g_CurBranchPoint;
        Option(0, c.lockX);
        Option(1, c.lockY);
        Move(16, 3);
        // Option 0 keeps the horizontal position, option 1 the vertical one.
        EXPECT_EQ(g_CurBranchPoint.X == start.X, c.dx == 0);
        EXPECT_EQ(g_CurBranchPoint.Y == start.Y, c.dy == 0);
        EXPECT_EQ(g_PrevBranchPoint.X - g_CurBranchPoint.X, g_PrevBranchPointSave.X - g_CurBranchPointSave.X);
        EXPECT_EQ(g_PrevBranchPoint.Y - g_CurBranchPoint.Y, g_PrevBranchPointSave.Y - g_CurBranchPointSave.Y);
        OptionAndMove(10, 16, 4);
        EXPECT_EQ(g_CurCommand, 0);
        Option(0, false);
        Option(1, false);
    }
}

TEST_F(WireMode, InsertedPointAndTheNextOne)
{
    const int32_t wire = WireN();
    Mode(MODE_WIRES, 5);
    Click(6, 0);
    ASSERT_EQ(g_CurCommand, 35);
    EXPECT_EQ(ModeTools(MODE_WIRES).SelFunc, 4);
    EXPECT_EQ(Points(wire), 4);
    Move(6, 3);
    Click(6, 3);
    EXPECT_EQ(g_CurCommand, 35);
    EXPECT_EQ(Points(wire), 5);
    Move(8, 3);
    // Finishing drops the point that follows the pointer.
    OptionAndMove(3, 8, 4);
    EXPECT_EQ(g_CurCommand, 0);
    ASSERT_EQ(Points(wire), 4);
    EXPECT_EQ(Point(wire, 2).X, 6 * kStep);
    EXPECT_EQ(Point(wire, 2).Y, 3 * kStep);
    for (int32_t i = 1; i <= 4; ++i) EXPECT_EQ(Point(wire, i).Flags & 0x200, 0) << i;
    ExpectFreshPaint("after the inserted point");
}

TEST_F(WireMode, InsertedPointsGivenUp)
{
    const int32_t wire = WireN();
    const int32_t junctions = Count(DB_JunctMap());
    Mode(MODE_WIRES, 5);
    Click(6, 0);
    Click(6, 3);
    Move(8, 4);
    OptionAndMove(10, 8, 5);
    EXPECT_EQ(g_CurCommand, 0);
    EXPECT_EQ(Points(wire), 3);
    EXPECT_EQ(Count(DB_JunctMap()), junctions);
    ExpectFreshPaint("after Esc");
}

// The page-format mode drags the frame with the same previews and steps.
TEST_F(WireMode, FrameCornerSideAndInsertedCorner)
{
    SCHMAIN& m = Main();
    const int32_t frame = -100 - PageId("P1");
    const int32_t points = Points(frame);
    Mode(MODE_PAGE_FORMAT, 4);
    Click(40, 30);
    ASSERT_EQ(g_CurCommand, 21);
    Move(44, 34);
    Click(44, 34);
    EXPECT_EQ(g_CurCommand, 0);
    bool corner = false;
    for (int32_t i = 1; i <= Points(frame); ++i)
        if (Point(frame, i).X == 44 * kStep && Point(frame, i).Y == 34 * kStep) corner = true;
    EXPECT_TRUE(corner);
    Mode(MODE_PAGE_FORMAT, 3);
    Click(0, -30);
    ASSERT_EQ(g_CurCommand, 20);
    Move(0, -33);
    Click(0, -33);
    EXPECT_EQ(g_CurCommand, 0);
    bool side = false;
    for (int32_t i = 1; i <= Points(frame); ++i)
        if (Point(frame, i).Y == -33 * kStep) side = true;
    EXPECT_TRUE(side);
    const int32_t before = Points(frame);
    Mode(MODE_PAGE_FORMAT, 5);
    Click(-40, 0);
    ASSERT_EQ(g_CurCommand, 22);
    Move(-43, 0);
    OptionAndMove(10, -44, 0);
    EXPECT_EQ(g_CurCommand, 0);
    EXPECT_EQ(Points(frame), before);
    EXPECT_GE(Points(frame), points);
    m.RefreshCanvas();
}

// Page-format function 6 picks a frame point (the nearer end of the side
// hit); the next release or Esc deletes it. The frame's first point and a
// three-sided frame refuse.
TEST_F(WireMode, FramePointDelete)
{
    const int32_t frame = -100 - PageId("P1");
    const int32_t points = Points(frame);
    ASSERT_EQ(points, 5);
    auto hasPoint = [&](int32_t sx, int32_t sy) {
        for (int32_t i = 1; i <= Points(frame); ++i)
            if (Point(frame, i).X == sx * kStep && Point(frame, i).Y == sy * kStep) return true;
        return false;
    };
    // A fifth corner (0 34) between (40 30) and (-40 30), so that one can go.
    const int32_t j = J_CreateJunction(GetFreeJunctionId(), 5, 0, 34 * kStep);
    ASSERT_NE(j, 0);
    ASSERT_EQ(B_InsertRecord(frame, 4, 4, j), 4);
    ASSERT_EQ(Points(frame), points + 1);
    Main().RefreshCanvas();

    Mode(MODE_PAGE_FORMAT, 6);
    Click(-10, 32);
    ASSERT_EQ(g_CurCommand, 24);
    // The side hit runs from (0 34) to (-40 30): the end nearer the click.
    ASSERT_EQ(Point(frame, g_CurBranchPos).Y, 34 * kStep);
    // The next release deletes it and goes on to the mode, which finds no
    // frame there.
    Click(0, 0);
    EXPECT_EQ(g_CurCommand, 0);
    EXPECT_EQ(Points(frame), points);
    EXPECT_FALSE(hasPoint(0, 34));
    ExpectFreshPaint("after the delete");

    // The frame's first (and last) point stays: a beep, nothing deleted.
    auto beeps = [&] {
        return std::count_if(ui.asked().begin(), ui.asked().end(), [](const auto& a) { return a.kind == "Beep"; });
    };
    auto refused = [&](double sx, double sy, const char* what) {
        const auto beepsBefore = beeps();
        const int32_t n = Points(frame);
        Click(sx, sy);
        ASSERT_EQ(g_CurCommand, 24) << what;
        OptionAndMove(10, sx, sy);
        EXPECT_EQ(Points(frame), n) << what;
        EXPECT_GT(beeps(), beepsBefore) << what;
        ExpectFreshPaint(what);
    };
    refused(-40, -28, "the first point");

    // A rectangle may become a triangle; three sides are the least a frame keeps.
    Click(40, 28);
    OptionAndMove(10, 40, 28);
    EXPECT_EQ(Points(frame), points - 1);
    EXPECT_FALSE(hasPoint(40, 30));
    refused(-38, 30, "a triangle's corner");
}

TEST_F(WireMode, JunctionKinds)
{
    const int32_t corner = Point(WireN(), 2).Ref;
    JunctionRec j{};
    ASSERT_NE(J_ReadJunction(corner, &j), 0);
    const int32_t first = j.Flags;
    Mode(MODE_WIRES, 9);
    Click(10, 0);
    J_ReadJunction(corner, &j);
    EXPECT_EQ(j.Flags & 15, (first ^ 8) & 15);
    Click(10, 0);
    J_ReadJunction(corner, &j);
    EXPECT_EQ(j.Flags & 15, first & 15);
    // A bus junction stays 5.
    const int32_t busWire = Wires(BusId("B"), 1).at(0);
    const int32_t busPoint = Point(busWire, 1).Ref;
    Click(0, -10);
    ASSERT_NE(J_ReadJunction(busPoint, &j), 0);
    EXPECT_EQ(j.Flags & 15, 5);
    // A point on a pin is no junction: nothing changes.
    const BranchPointRec pin = Point(WireN(), 1);
    Click(3, 0);
    EXPECT_EQ(Point(WireN(), 1).Flags, pin.Flags);
    EXPECT_EQ(Point(WireN(), 1).Ref, pin.Ref);
    ExpectFreshPaint("after the junction kinds");
}

TEST_F(WireMode, BusRename)
{
    Mode(MODE_WIRES, 6);
    Option(0);
    struct Case {
        const char* typed;  // nullptr: Cancel
        const char* name;   // the bus's name after
        bool reported;
    } cases[] = {
        {"NEWB", "NEWB", false}, {"C", "NEWB", true}, {nullptr, "NEWB", false}, {"   ", "NEWB", false},
    };
    const int32_t bus = BusId("B");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed ? c.typed : "(cancel)");
        Type(c.typed, "Rename ");
        if (c.reported) ui.ExpectMessageBox(1, "already exists");
        Click(15, -10);
        EXPECT_EQ(PtrToStr(O_GetName(N_Bus(bus))), c.name);
        EXPECT_EQ(ui.pending(), 0u);
    }
    // A wire (not a bus) asks nothing.
    Click(6, 0);
    EXPECT_EQ(ui.pending(), 0u);
}

TEST_F(WireMode, NameTextAddedPlacedAndDeleted)
{
    const int32_t wire = WireN();
    const int32_t texts = OA_GetCount(B_BranchTextArray(wire));
    Mode(MODE_WIRES, 6);
    Type("N", "Change Bus member text:");  // N is a member of bus B
    Click(10, 0);
    ASSERT_EQ(g_CurCommand, 37);
    EXPECT_EQ(ModeTools(MODE_WIRES).SelFunc, 7);
    Click(10, 0);
    EXPECT_EQ(g_CurCommand, 0);
    EXPECT_EQ(ModeTools(MODE_WIRES).SelFunc, 6);
    ASSERT_EQ(OA_GetCount(B_BranchTextArray(wire)), texts + 1);
    ItemRec text{};
    ASSERT_NE(I_ReadItem(OA_Object(B_BranchTextArray(wire), texts + 1), &text), 0);
    Mode(MODE_WIRES, 8);
    ui.ExpectPopupMenu("No", "Delete Bus member text: ?");
    Click(text.X / double(kStep), text.Y / double(kStep));
    EXPECT_EQ(OA_GetCount(B_BranchTextArray(wire)), texts + 1);
    ui.ExpectPopupMenu("Yes", "Delete Bus member text: ?");
    Click(text.X / double(kStep), text.Y / double(kStep));
    EXPECT_EQ(OA_GetCount(B_BranchTextArray(wire)), texts);
    EXPECT_EQ(ui.pending(), 0u);
    ExpectFreshPaint("after the text");
}

TEST_F(WireMode, RepeatingWire)
{
    const int32_t branches = Count(DB_BranchMap());
    Mode(MODE_WIRES, 2);
    Option(4);
    Click(31, 30);
    ASSERT_EQ(g_CurCommand, CMD_REPEAT_WIRE);
    Move(31, 40);
    EXPECT_EQ(g_NetNodes(0).Y, 40 * kStep);
    EXPECT_EQ(Main().F_MsgLine->Caption(), " " + GetMsgText("Repeating wire", "13174"));
    Click(31, 40);
    EXPECT_EQ(g_CurCommand, CMD_REPEAT_WIRE);
    ASSERT_EQ(Count(DB_BranchMap()), branches + 1);
    // The new wire is the pattern at the pointer.
    EXPECT_EQ(Point(g_CurBranch, 1).Y, 40 * kStep);
    OptionAndMove(10, 32, 41);
    EXPECT_EQ(g_CurCommand, 0);
    ExpectFreshPaint("after the repeating wire");
}

// A pattern running from a bus down to a pin: each click of the repeating
// wire joins the bus at the first point (a new member net, its slot typed)
// and the unconnected pin under the last point.
const char* kRepeatDesign = R"(
include discrete.nls
unit 0.1in
design D
level MAIN
net P
net N
bus B
page P1 frame 80 60
  component R1 R at 0 20
  component R2 R at 10 20
  component R3 R at 20 20
  component R4 R at 30 20
  wire P (50 0) (50 10) (50 20)
  wire N R4.1 (27 5) (45 5)
  buswire B (-10 0) (25 0)
end
)";

TEST_F(WireMode, RepeatingWireJoinsTheBusAndAPinAtEachClick)
{
    Fresh(kRepeatDesign);
    Mode(MODE_WIRES, 2);
    Option(4);
    Click(50, 2);
    ASSERT_EQ(g_CurCommand, CMD_REPEAT_WIRE);
    ASSERT_EQ(g_NetNodes.UBound(), 3);
    ASSERT_EQ(g_NetNodes(1).Y, 0);
    struct Step {
        double x;
        const char* comp;
        const char* slot;
    } steps[] = {{7, "R2", "0"}, {17, "R3", "1"}};
    for (const Step& s : steps) {
        SCOPED_TRACE(s.comp);
        const int32_t nets = Count(DB_NetMap());
        Type(s.slot, "as member:");
        Click(s.x, 0);
        EXPECT_EQ(g_CurCommand, CMD_REPEAT_WIRE);
        EXPECT_EQ(ui.pending(), 0u);
        EXPECT_EQ(Count(DB_NetMap()), nets + 1);
        const int32_t net = PinNet(s.comp, 1);
        ASSERT_NE(net, 0);
        int32_t slot = -1;
        EXPECT_EQ(N_FindBusMember(net, &slot), BusId("B"));
        EXPECT_EQ(slot, std::stoi(s.slot));
        EXPECT_EQ(O_GetStatus(N_Net(net)) & 8, 8);
        const std::vector<int32_t> wires = Wires(net);
        ASSERT_EQ(wires.size(), 1u);
        ASSERT_EQ(Points(wires[0]), 3);
        // The first point is a joint of the bus wire, the last the pin.
        const BranchPointRec first = Point(wires[0], 1);
        ASSERT_EQ(first.Flags & 6, 4);
        JunctionRec joint{};
        ASSERT_NE(J_ReadJunction(first.Ref, &joint), 0);
        EXPECT_EQ(joint.Flags & 6, 6);
        EXPECT_EQ(Point(wires[0], 3).Flags & 6, 2);
        bool onBus = false;
        const int32_t busWire = Wires(BusId("B"), 1).at(0);
        for (int32_t i = 1; i <= Points(busWire); ++i) onBus = onBus || Point(busWire, i).Ref == first.Ref;
        EXPECT_TRUE(onBus);
    }
    // A pattern whose first point lands on a segment of N joins N there
    // (a point of N's wire); its other points lie on no pin.
    const int32_t nets = Count(DB_NetMap());
    const int32_t wireN = Wires(NetId("N")).at(0);
    Click(36, 5);
    EXPECT_EQ(Count(DB_NetMap()), nets);
    const std::vector<int32_t> wiresN = Wires(NetId("N"));
    ASSERT_EQ(wiresN.size(), 2u);
    EXPECT_EQ(Points(wireN), 4);
    EXPECT_EQ(Point(wireN, 3).Ref, Point(wiresN[1], 1).Ref);
    EXPECT_EQ(Point(wiresN[1], 1).X, 36 * kStep);
    OptionAndMove(10, 32, 41);
    EXPECT_EQ(g_CurCommand, 0);
    ExpectFreshPaint("after the repeated wires");
}

// A slot refused with Cancel takes the repeated wire back whole: no wire,
// net, node or junction stays, and the bus wire keeps its points.
TEST_F(WireMode, ARepeatingWireRefusedAtTheBusLeavesNothing)
{
    Fresh(kRepeatDesign);
    Mode(MODE_WIRES, 2);
    Option(4);
    Click(50, 2);
    ASSERT_EQ(g_CurCommand, CMD_REPEAT_WIRE);
    const int32_t branches = Count(DB_BranchMap()), nets = Count(DB_NetMap()), junctions = Count(DB_JunctMap());
    const int32_t busPoints = Points(Wires(BusId("B"), 1).at(0));
    Type(nullptr, "as member:");
    Click(7, 0);
    EXPECT_EQ(ui.pending(), 0u);
    EXPECT_EQ(Count(DB_BranchMap()), branches);
    EXPECT_EQ(Count(DB_NetMap()), nets);
    EXPECT_EQ(Count(DB_JunctMap()), junctions);
    EXPECT_EQ(PinNet("R2", 1), 0);
    EXPECT_EQ(Points(Wires(BusId("B"), 1).at(0)), busPoints);
    OptionAndMove(10, 32, 41);
    EXPECT_EQ(g_CurCommand, 0);
}

// A wire started at a pin of a net with a wire: that wire stays on the
// canvas while the new one is drawn.
TEST_F(WireMode, AWireFromAConnectedPinKeepsItsNetsWireDrawn)
{
    const QImage before = Canvas();
    const QPoint onN = Px(5, 0);
    Click(17, 0);
    ASSERT_EQ(g_CurCommand, 31);
    Move(17, 8);
    const QImage drawing = Canvas();
    for (int dx = -2; dx <= 2; ++dx)
        EXPECT_EQ(drawing.pixel(onN.x() + dx, onN.y()), before.pixel(onN.x() + dx, onN.y())) << dx;
    OptionAndMove(10, 18, 9);
    EXPECT_EQ(g_CurCommand, 0);
    ExpectFreshPaint("after Esc");
}

TEST_F(WireMode, ABusWhereAWireIsNeededDoesNothing)
{
    const int32_t junctions = Count(DB_JunctMap());
    Mode(MODE_WIRES, 2);
    Click(15, -10);
    EXPECT_EQ(g_CurCommand, 0);
    EXPECT_EQ(Count(DB_JunctMap()), junctions);
    EXPECT_EQ(ui.pending(), 0u);
}

// The leg of a point dragged with straight legs, from the previous point.
TEST_F(WireMode, StraightLegs)
{
    struct Case {
        int32_t dx, dy, wantX, wantY;
    } cases[] = {
        {100, 30, 100, 0}, {100, 50, 100, 0}, {100, 60, 100, 100}, {50, 100, 100, 100}, {40, 100, 0, 100},
        {-100, -60, -100, -100}, {0, 70, 0, 70},
    };
    SCHMAIN& m = Main();
    Mode(MODE_WIRES, 4);
    Click(10, 0);
    ASSERT_EQ(g_CurCommand, 34);
    Option(1);
    const int32_t ax = g_PrevBranchPoint.X, ay = g_PrevBranchPoint.Y;
    const int32_t u = 10000;
    for (const Case& c : cases) {
        int shift = 1;
        int32_t x = ax + c.dx * u, y = ay + c.dy * u;
        m.OpenCanvasDC();
        m.DispatchPointerAction(shift, x, y);
        EXPECT_EQ(g_LegFromNext, 0);
        EXPECT_EQ(g_CurBranchPoint.X - ax, c.wantX * u) << c.dx << "," << c.dy;
        EXPECT_EQ(g_CurBranchPoint.Y - ay, c.wantY * u) << c.dx << "," << c.dy;
    }
    // Option 0 anchors the leg at the next point.
    Option(0);
    int shift = 1;
    int32_t x = g_NextBranchPoint.X - 100 * u, y = g_NextBranchPoint.Y + 30 * u;
    m.OpenCanvasDC();
    m.DispatchPointerAction(shift, x, y);
    EXPECT_EQ(g_LegFromNext, 1);
    EXPECT_EQ(g_CurBranchPoint.X, g_NextBranchPoint.X - 100 * u);
    EXPECT_EQ(g_CurBranchPoint.Y, g_NextBranchPoint.Y);
    Option(0, false);
    Option(1, false);
    OptionAndMove(10, 11, 1);
    EXPECT_EQ(g_CurCommand, 0);
}

// Drawing a wire with straight legs: the leg turns at a right angle to the
// segment before it.
TEST_F(WireMode, SquareMode)
{
    SCHMAIN& m = Main();
    Click(3, 20);
    Click(8, 20);  // the segment before is horizontal
    Option(1);
    Move(12, 27);
    EXPECT_EQ(g_CurBranchPoint.X, 8 * kStep);
    EXPECT_EQ(g_CurBranchPoint.Y, 27 * kStep);
    Option(1, false);
    Click(8, 27);  // now vertical
    Option(1);
    Move(12, 31);
    EXPECT_EQ(g_CurBranchPoint.X, 12 * kStep);
    EXPECT_EQ(g_CurBranchPoint.Y, 27 * kStep);
    Option(1, false);
    OptionAndMove(10, 13, 31);
    EXPECT_EQ(g_CurCommand, 0);
    (void)m;
}

TEST_F(WireMode, NetMessageOfABusMember)
{
    Mode(MODE_WIRES, 4);
    Click(30, 30);
    ASSERT_EQ(g_CurCommand, 34);
    Move(30, 32);
    EXPECT_EQ(Main().F_MsgLine->Caption(), " Net: L(in Bus: B memb: 3)");
    OptionAndMove(10, 30, 33);
    Mode(MODE_WIRES, 3);
    Click(32, 30);
    ASSERT_EQ(g_CurCommand, 33);
    Move(32, 33);
    EXPECT_EQ(Main().F_MsgLine->Caption(), " Net: L(in Bus: B memb: 3)");
    OptionAndMove(10, 32, 34);
}

// The drag's net message and the coordinate read-out are made again from
// what they show: another text on the line, a renamed net, a moved axis,
// another unit.
TEST_F(WireMode, MessageAndReadOutFollowWhatTheyShow)
{
    SCHMAIN& m = Main();
    Mode(MODE_WIRES, 4);
    Click(30, 30);
    ASSERT_EQ(g_CurCommand, 34);
    Move(30, 32);
    EXPECT_EQ(m.F_MsgLine->Caption(), " Net: L(in Bus: B memb: 3)");
    m.ShowMessage("something else");
    Move(30, 33);
    EXPECT_EQ(m.F_MsgLine->Caption(), " Net: L(in Bus: B memb: 3)");
    ASSERT_NE(O_Rename(N_Net(g_CurBranchRec.Net), "LX"), 0);
    Move(30, 34);
    EXPECT_EQ(m.F_MsgLine->Caption(), " Net: LX(in Bus: B memb: 3)");

    const std::string x = m.F_Xpos->Caption(), y = m.F_Ypos->Caption();
    Move(31, 34);
    EXPECT_NE(m.F_Xpos->Caption(), x);
    EXPECT_EQ(m.F_Ypos->Caption(), y);
    Move(30, 34);
    EXPECT_EQ(m.F_Xpos->Caption(), x);
    g_UnitIndex = 1;
    Move(31, 35);
    const std::string xmm = m.F_Xpos->Caption(), ymm = m.F_Ypos->Caption();
    g_UnitIndex = 0;
    EXPECT_EQ(xmm.substr(xmm.size() - 2), "mm");
    EXPECT_EQ(ymm.substr(ymm.size() - 2), "mm");
    Move(30, 34);
    EXPECT_EQ(m.F_Xpos->Caption(), x);
    EXPECT_EQ(m.F_Ypos->Caption(), y);
    OptionAndMove(10, 30, 30);
    EXPECT_EQ(g_CurCommand, 0);
}

// The XOR overlay: the canvas before a preview equals it after the erase.
TEST_F(WireMode, PreviewsEraseToTheImageBefore)
{
    SCHMAIN& m = Main();
    for (const OverlayCase& c : kOverlayCases) {
        SCOPED_TRACE(c.command);
        Fresh();
        BeginOverlayCase(c);
        ASSERT_EQ(g_CurCommand, c.command);
        const QImage before = CanvasWithoutOverlay();
        Move(c.x + 3, c.y + 2);
        EXPECT_NE(m.m_OverlayMF, 0);
        EXPECT_FALSE(CompareImages(before, Canvas()).Same());
        const ImageDiff d = CompareImages(before, CanvasWithoutOverlay());
        EXPECT_TRUE(d.Same()) << d.differing << " at " << d.firstAt.x() << "," << d.firstAt.y();
        EndOverlayCase(c);
    }
}

// Moves that replace the overlay (figures that moved, figures that stayed,
// a move back, a snap to the same point) leave the canvas and the viewport
// as they were once the last overlay is erased.
TEST_F(WireMode, ManyMovesEraseToTheImageBefore)
{
    SCHMAIN& m = Main();
    const double moves[][2] = {{3, 2}, {5, 2}, {5, 4}, {5, 4}, {3, 2}, {-2, 6}, {-2, 1}};
    for (const bool viewport : {false, true}) {
        if ((m.m_ViewPortOn != 0) != viewport) m.M_ViewPort_Click();
        for (const OverlayCase& c : kOverlayCases) {
            SCOPED_TRACE(std::to_string(c.command) + (viewport ? " with the viewport" : ""));
            Fresh();
            m.RedrawView();
            BeginOverlayCase(c);
            ASSERT_EQ(g_CurCommand, c.command);
            const QImage before = CanvasWithoutOverlay();
            const QImage viewBefore = m.F_PICView->Image().copy();
            for (const auto& d : moves) Move(c.x + d[0], c.y + d[1]);
            EXPECT_NE(m.m_OverlayMF, 0);
            EXPECT_FALSE(CompareImages(before, Canvas()).Same());
            const ImageDiff d = CompareImages(before, CanvasWithoutOverlay());
            EXPECT_TRUE(d.Same()) << d.differing << " at " << d.firstAt.x() << "," << d.firstAt.y();
            const ImageDiff v = CompareImages(viewBefore, m.F_PICView->Image());
            EXPECT_TRUE(v.Same()) << v.differing << " at " << v.firstAt.x() << "," << v.firstAt.y();
            EndOverlayCase(c);
        }
    }
    if (m.m_ViewPortOn) m.M_ViewPort_Click();
}

// An overlay whose recording is gone cannot be erased; the next move still
// shows its own overlay, and erasing that leaves the canvas as it was.
TEST_F(WireMode, AMoveAfterAStaleOverlayShowsItsOwn)
{
    SCHMAIN& m = Main();
    Mode(MODE_WIRES, 4);
    Click(10, 0);
    ASSERT_EQ(g_CurCommand, 34);
    Move(13, 2);
    ASSERT_NE(m.m_OverlayMF, 0);
    G_DeleteEnhMetaFile(m.m_OverlayMF);
    const QImage before = Canvas();
    Move(14, 3);
    EXPECT_FALSE(CompareImages(before, Canvas()).Same());
    EXPECT_TRUE(CompareImages(before, CanvasWithoutOverlay()).Same());
    OptionAndMove(10, 14, 4);
    EXPECT_EQ(g_CurCommand, 0);
}

// Function 2 makes a junction at the pin end of a wire and drags it. When
// the neighbours of the new junction cannot be read, nothing begins: a
// beep, and the wire keeps its pin.
TEST_F(WireMode, BranchOffWithUnreadableNeighboursBeginsNothing)
{
    int refused = 0, begun = 0;
    for (int n = 1; n <= 30; ++n) {
        SCOPED_TRACE(n);
        Fresh();
        Mode(MODE_WIRES, 2);
        Option(3);
        const size_t asked = ui.asked().size();
        KT_FailCall("B_ReadBranch", n);
        Click(4, 0);
        KT_FailCall("", 0);
        bool beeped = false;
        for (size_t i = asked; i < ui.asked().size(); ++i) beeped |= ui.asked()[i].kind == "Beep";
        if (g_CurCommand == 32) {
            ++begun;
            // The neighbours are those of the new junction.
            for (auto [pos, point] : {std::pair{g_PrevBranchPos, g_PrevBranchPoint},
                                      std::pair{g_NextBranchPos, g_NextBranchPoint}}) {
                if (pos == 0) continue;
                BranchPointRec read{};
                ASSERT_NE(B_ReadRecord(g_CurBranch, pos, &read), 0);
                EXPECT_EQ(read.Ref, point.Ref);
            }
            EXPECT_EQ(g_PrevBranchPos + g_NextBranchPos > 0, true);
            EXPECT_EQ(g_CurBranchPoint.Flags & 6, 4);
            OptionAndMove(10, 5, 1);
        } else if (beeped) {
            ++refused;
            EXPECT_EQ(g_CurCommand, 0);
            EXPECT_EQ(Point(WireN(), 1).Flags & 6, 2);
            EXPECT_EQ(PinNet("R1", 2), NetId("N"));
        }
    }
    EXPECT_GT(refused, 0);
    EXPECT_GT(begun, 0);
}

// Net N with a tee: its first wire runs from R1.2 over the junction (10 0)
// to R2.1 and carries a name text; its second runs from that junction down
// to R3.1 (10 -10).
const char* kTeeDesign = R"(
include discrete.nls
unit 0.1in
design D
level MAIN
net N
page P1 frame 80 60
  component R1 R at 0 0
  component R2 R at 20 0
  component R3 R at 13 -10
  wire N R1.2 (10 0) R2.1 label 12 0.3
  wire N (10 0) R3.1
end
)";

// A click of the wire mode on the tee, and how what it began ends: by
// Escape, by a click beside it (the command's step), or - for an edit done
// at once - by the answer to its question.
struct EndCase {
    const char* what;
    int f, option;         // the function, and the option pressed first (-1 none)
    double x, y;           // the click
    int32_t command;       // what the click begins; 0 for an edit done at once
    const char* question;  // the edit's question, answered with `answer`
    const char* answer;
    bool endByClick;  // the command ends by a click beside it, not by Escape
};
const EndCase kEndCases[] = {
    {"a wire shown whole with its net, Escape", 10, -1, 6, 0, 39, nullptr, nullptr, false},
    {"a wire shown whole with its net, a click beside it", 10, -1, 6, 0, 39, nullptr, nullptr, true},
    {"the tee's branch shown whole, Escape", 10, -1, 10, -6, 39, nullptr, nullptr, false},
    {"a name text picked up, Escape", 7, -1, 12, 0.3, 38, nullptr, nullptr, false},
    {"a wire begun at a joined pin with its net highlighted, Escape", 0, 7, 3, 0, 31, nullptr, nullptr, false},
    {"a segment deleted", 8, 1, 6, 0, 0, "Delete Wire Segment?", "Yes", false},
    {"a segment kept", 8, 1, 6, 0, 0, "Delete Wire Segment?", "No", false},
    {"a joint deleted", 8, 2, 10, 0, 0, "Delete Wire Point?", "Yes", false},
    {"a junction's dot switched", 9, -1, 10, 0, 0, nullptr, nullptr, false},
};

// Whatever a click of the wire mode marked, blinked or highlighted is gone
// once what it began has ended, and what it erased to show that is back:
// the canvas is what a redraw of the page draws (the net's other wires,
// junction dots and pins included).
TEST_F(WireMode, TheCanvasIsTheRedrawnPageOnceAClickHasEnded)
{
    SCHMAIN& m = Main();
    for (const EndCase& c : kEndCases) {
        SCOPED_TRACE(c.what);
        Fresh(kTeeDesign);
        Mode(MODE_WIRES, c.f);
        if (c.option >= 0) Option(c.option);
        if (c.question) ui.ExpectPopupMenu(c.answer, c.question);
        const QImage before = Canvas();
        const uint64_t loaded = KT_DesignDigest();
        Click(c.x, c.y);
        ASSERT_EQ(g_CurCommand, c.command);
        EXPECT_EQ(ui.pending(), 0u);
        // An edit done at once and not declined changed the design.
        if (c.command == 0 && (!c.answer || std::string(c.answer) == "Yes")) EXPECT_NE(KT_DesignDigest(), loaded);
        if (c.command != 0) {
            Move(c.x + 2, c.y + 3);
            // The command shows something over the page while it runs.
            EXPECT_FALSE(CompareImages(before, Canvas()).Same());
            if (c.endByClick) {
                Click(30, 25);
            } else {
                int key = 27, shift = 0;
                m.Form_KeyDown(key, shift);
            }
            EXPECT_EQ(g_CurCommand, 0);
        }
        if (c.option >= 0) Option(c.option, false);
        EXPECT_EQ(m.m_HighlightMF, 0);
        ExpectFreshPaint(c.what);
    }
}

TEST_F(WireMode, ScreenshotOfAWireWithItsGuideLine)
{
    SCHMAIN& m = Main();
    const bool guide = g_NextNodeGuide;
    g_NextNodeGuide = true;
    // Net N has a pin still to be wired: R4.1 joins it without a wire.
    Fresh(std::string(kDesign).replace(std::string(kDesign).find("net N\n"), 6, "net N R4.1\n"));
    m.m_ViewSize = 25400;
    m.m_ViewOrgX = 10 * kStep;
    m.m_ViewOrgY = -10 * kStep;
    m.ShowZoomValue();
    m.RefreshCanvas();
    Click(3, 0);
    ASSERT_EQ(g_CurCommand, 31);
    Click(3, 8);
    Move(12, 8);
    EXPECT_NE(m.m_OverlayMF, 0);
    // The canvas as it shows: the page with the preview played over it.
    const std::string path = ScreenshotDir() + "/wire_being_drawn.png";
    EXPECT_TRUE(Canvas().save(QString::fromStdString(path)));
    OptionAndMove(10, 13, 8);
    EXPECT_EQ(g_CurCommand, 0);
    g_NextNodeGuide = guide;
}

}  // namespace
