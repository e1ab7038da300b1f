// Drawing part of a page, and what a put-back names to draw again.
//
// A device that draws only a part of its surface anew (winsys::Device's
// partOnly) gets, inside that part, exactly the pixels a drawing of the
// whole page gives there, whichever objects the page drawing calls look up
// for it and in whichever state the edits left their indexes; and
// DB_PutBackBox names, after a put-back, a box that holds everything the
// put-back changed on the page, what hangs on it included.
#include "platform/kernel/nvokernel32.h"
#include "platform/kernel/testing.h"
#include "platform/winsys/devices.h"
#include "tests/support/design_builder.h"
#include "tests/support/kernel_fixture.h"
#include "tests/support/raster.h"

#include <QImage>
#include <QRect>

#include <algorithm>
#include <climits>
#include <functional>
#include <string>
#include <vector>

namespace {

using palvane_test::CompareImages;

constexpr int32_t kStep = 254000;  // 0.1 inch
constexpr int kWidth = 480, kHeight = 360;
constexpr int32_t kViewSize = 15875;  // 0.1 inch is 16 pixels

// Components close enough to overlap, turned and mirrored; wires through
// bodies and texts, with labels; junctions with dots; a bus; page notes.
const char* const kDesign = R"(
include discrete.nls
include power.nls
unit 0.1in
design D
level MAIN
net A
net B
net C
net D
bus BB A B
page P1 frame 100 80
  component R1 R at 0 0 value 10k
  component R2 R at 3 1 angle 90
  component R3 R at -4 2 mirror value 4k7
  component R4 R at 6 -3 angle 45
  component R5 R at -8 -6
  component G1 symbol SPLGND at 9 6
  junction T at 2 -6
  wire A R1.2 (2 4) (-12 4) label -11 4
  wire A R3.1 (-12 2) (-12 4)
  wire B R2.1 T label 3 -5 size 1.5
  wire B T R5.2
  wire B T (2 -12)
  wire C R4.1 (14 -10) (-10 -10) label -6 -10 angle 90
  buswire BB (-14 8) (14 8) label 0 8
  wire D (5 12) (5 6) (-6 11)
  text "NOTES CROSS THE PARTS" at -12 -2 size 1
  line -14 -8 14 6
  rect -3 -3 4 3
end
page P2 frame 60 40
  component R9 R at 0 0
end
)";

QRgb Garbage()
{
    return qRgb(0x12, 0x34, 0x56);
}

// An image registered as a device.
struct Surface {
    QImage image{kWidth, kHeight, QImage::Format_RGB32};
    int32_t handle = 0;

    Surface()
    {
        winsys::Device device;
        device.surface = &image;
        device.image = &image;
        handle = winsys::RegisterDevice(device);
    }
    ~Surface() { winsys::UnregisterDevice(handle); }
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;

    // Drawing from now on draws `part` anew; nothing: the whole surface.
    void DrawOnly(const QRect* part)
    {
        winsys::Device* d = winsys::FindDevice(handle);
        d->partOnly = part != nullptr;
        d->part = part ? winsys::Device::Rect{part->x(), part->y(), part->width(), part->height()}
                       : winsys::Device::Rect{};
    }
};

// The page as the editor paints it: the background's limit, the page
// notes, components, wires with their texts, junctions, nodes, the frame,
// the grid, and a net highlighted over it in XOR.
void DrawPage(Surface& s, int32_t x, int32_t y)
{
    const ViewDCRec view{kViewSize, kWidth, kHeight, x, y, 0};
    ASSERT_EQ(G_OpenDC(s.handle, &view), 1);
    G_SetDrawMode(0);
    G_SetStyle(2);
    G_SetColor(191);
    G_Rectangle(-200000000, -200000000, 400000000, 400000000, 0);
    G_SetStyle(0);
    S_SetCompLocation(0, 0, 0, 0);
    S_DrawSymbol(-((DB_CurHier() + 9) * 100 + DB_CurPage()), 1, 0);
    C_DrawAllComponents(1);
    B_DrawAllBranchMask(0, 0, -1);
    J_DrawAllJunctions(-1);
    N_SetNodeView(0);
    N_DrawAllNodes(-1);
    B_DrawAllRecords(-100 - DB_CurPage(), 1);
    G_DrawGrid(0, 0, kWidth, kHeight, kStep, 1);
    G_SetDrawMode(32);
    const int32_t net = OM_FindName(DB_NetMap(), "B");
    N_DrawNetRatsnest(net, 1, 0);
    J_DrawAllJunctions(-1);
    G_SetDrawMode(0);
    G_CloseDC();
}

class DrawPart : public palvane_test::KernelTest {
protected:
    void SetUp() override
    {
        KernelTest::SetUp();
        while (G_CloseDC()) {
        }
        ASSERT_TRUE(palvane_test::BuildDesign(kDesign));
        ASSERT_NE(DB_SetCurHier(OM_FindName(DB_HierarchyMap(), "MAIN")), 0);
        ASSERT_NE(DB_SetCurPage(OM_FindName(DB_PageMap(), "P1")), 0);
    }
    void TearDown() override
    {
        KT_FailCall("", 0);
        while (DB_EndChange(1) != 0) {
        }
        while (G_CloseDC()) {
        }
        KernelTest::TearDown();
    }

    // A component by its reference (a part's one gate is "REF/1").
    static int32_t Comp(const char* name)
    {
        const int32_t id = OM_FindName(DB_SchCompMap(), name);
        return id != 0 ? id : OM_FindName(DB_SchCompMap(), (std::string(name) + "/1").c_str());
    }
    // The junction at a point of the current level, 0 when none.
    static int32_t JunctionAt(int32_t x, int32_t y)
    {
        int32_t cursor = OM_GetFirst(DB_JunctMap());
        while (const int32_t j = OM_SearchMask(DB_JunctMap(), &cursor, 0, 0)) {
            JunctionRec rec{};
            if (J_ReadJunction(j, &rec) == 1 && rec.X == x && rec.Y == y) return j;
        }
        return 0;
    }

    // Draws the whole page, then each part alone on a surface full of a
    // colour the page has not, and expects the part's pixels to be the
    // whole drawing's.
    void ExpectPartsDrawnAsTheWhole(const std::vector<QRect>& parts, int32_t x = 0, int32_t y = 0)
    {
        Surface whole;
        whole.image.fill(Garbage());
        DrawPage(whole, x, y);
        for (const QRect& part : parts) {
            SCOPED_TRACE("part " + std::to_string(part.x()) + "," + std::to_string(part.y()) + " " +
                         std::to_string(part.width()) + "x" + std::to_string(part.height()));
            Surface alone;
            alone.image.fill(Garbage());
            alone.DrawOnly(&part);
            DrawPage(alone, x, y);
            const QRect inside = part & whole.image.rect();
            const auto d = CompareImages(whole.image.copy(inside), alone.image.copy(inside));
            EXPECT_TRUE(d.Same()) << d.differing << " pixels differ, the first at " << d.firstAt.x() + inside.x()
                                  << "," << d.firstAt.y() + inside.y();
        }
    }
};

// Parts through the middle of bodies, texts, wires and dots, along the
// edges, one pixel, the whole surface: each drawn as the whole drawing
// draws it there, what lies over what included (the net wire D crosses
// the wider bus wire, drawn before it).
TEST_F(DrawPart, APartIsDrawnAsTheWholePageDrawsIt)
{
    const std::vector<QRect> parts = {
        QRect(220, 160, 40, 40),  QRect(100, 60, 200, 130), QRect(0, 0, 30, 360),  QRect(450, 330, 30, 30),
        QRect(239, 179, 1, 1),    QRect(150, 170, 300, 3),  QRect(0, 0, kWidth, kHeight),
        QRect(300, 250, 120, 90), QRect(60, 100, 90, 60),   QRect(310, 40, 20, 20),
    };
    ExpectPartsDrawnAsTheWhole(parts);
    // Another view: the objects' indexes are the page's, the parts the view's.
    ExpectPartsDrawnAsTheWhole(parts, 4 * kStep, -3 * kStep);
    // A view off the grid's pixels, the points rounding to the nearest one,
    // and thin parts whose edges pass every row and column of a grid step.
    std::vector<QRect> thin;
    for (int k = 0; k <= 16; ++k) {
        thin.emplace_back(40 + 20 * k, 100 + k, 15, 2);
        thin.emplace_back(100 + k, 200 + 9 * k, 2, 7);
    }
    ExpectPartsDrawnAsTheWhole(thin, 12345, -6789);
}

// The page-wide calls take only the objects that can reach the part: a
// drawing of the whole surface takes every wire and junction of the page
// wherever the view is, one of a part none where nothing is, and some
// for a part on the bus wire.
TEST_F(DrawPart, PageWideCallsTakeWhatReachesThePart)
{
    struct Counts {
        int32_t wires = 0, junctions = 0, comps = 0;
    };
    const auto draw = [](const QRect* part, int32_t x, int32_t y) {
        Surface s;
        s.DrawOnly(part);
        const ViewDCRec view{kViewSize, kWidth, kHeight, x, y, 0};
        Counts c;
        EXPECT_EQ(G_OpenDC(s.handle, &view), 1);
        c.wires = B_DrawAllBranchMask(0, 0, -1);
        c.junctions = J_DrawAllJunctions(-1);
        c.comps = C_DrawAllComponents(-1);
        G_CloseDC();
        return c;
    };
    // A view far off the page's objects (and its frame).
    const int32_t far = 2000 * kStep;
    const Counts all = draw(nullptr, far, far);
    EXPECT_EQ(all.wires, 9);  // seven of the nets, the bus wire, the frame
    EXPECT_GT(all.junctions, 4);
    EXPECT_EQ(all.comps, 0);
    const QRect device(0, 0, kWidth, kHeight), none;
    for (const QRect* part : {&device, &none}) {
        const Counts c = draw(part, far, far);
        EXPECT_EQ(c.wires, 0);
        EXPECT_EQ(c.junctions, 0);
        EXPECT_EQ(c.comps, 0);
    }
    // The bus wire at y = 0.8 inch.
    const QRect onBus(230, 44, 4, 4);
    const Counts bus = draw(&onBus, 0, 0);
    EXPECT_GE(bus.wires, 1);
    EXPECT_LT(bus.wires, all.wires);
    EXPECT_LT(bus.junctions, all.junctions);
}

// The lookups follow edits: moved, turned, deleted and new objects, texts
// changed, a page switched and back.
TEST_F(DrawPart, PartsFollowEditsOfThePage)
{
    const std::vector<QRect> parts = {QRect(200, 140, 80, 80), QRect(120, 40, 240, 120), QRect(0, 200, 480, 60)};
    ExpectPartsDrawnAsTheWhole(parts);
    struct Edit {
        const char* name;
        std::function<void()> make;
    };
    const Edit edits[] = {
        {"component moved with its wires", [] { ASSERT_EQ(O_ChangePosition(C_Component(Comp("R1")), 2 * kStep, -2 * kStep), 1); }},
        {"component turned", [] { ASSERT_EQ(C_ChangeCompDispAttr(Comp("R3"), 90000, 0), 1); }},
        {"junction moved", [] {
             const int32_t j = JunctionAt(2 * kStep, -6 * kStep);
             ASSERT_NE(j, 0);
             ASSERT_EQ(O_ChangePosition(J_Junction(j), 5 * kStep, -7 * kStep), 1);
         }},
        {"text added to a component", [] {
             const int32_t t = I_MakeText(0, 3 * kStep, 0, 8000, 6000, "ADDED", 0, 0, 0);
             ASSERT_NE(OA_Add(C_CompTextArray(Comp("R4")), t), 0);
         }},
        {"wire deleted", [] {
             int32_t cursor = OM_GetFirst(DB_BranchMap());
             const int32_t b = B_SearchNetPage(&cursor, 0, OM_FindName(DB_NetMap(), "C"), -1);
             ASSERT_NE(b, 0);
             ASSERT_EQ(OM_Delete(DB_BranchMap(), b), 1);
         }},
        {"component deleted", [] { ASSERT_EQ(OM_Delete(DB_SchCompMap(), Comp("R2")), 1); }},
        {"page switched and back", [] {
             const int32_t p1 = DB_CurPage();
             ASSERT_NE(DB_SetCurPage(OM_FindName(DB_PageMap(), "P2")), 0);
             Surface s;
             DrawPage(s, 0, 0);
             ASSERT_NE(DB_SetCurPage(p1), 0);
         }},
    };
    for (const Edit& e : edits) {
        SCOPED_TRACE(e.name);
        e.make();
        ExpectPartsDrawnAsTheWhole(parts);
    }
}

// The device collects where figures were drawn over what was there, not
// what XOR drew (a second drawing takes that off again), until its owner
// empties the rectangle.
TEST_F(DrawPart, TheDeviceCollectsWhatWasDrawnOverThePage)
{
    Surface s;
    const auto plain = [&] {
        const winsys::Device::Rect& r = winsys::FindDevice(s.handle)->plainDrawn;
        return QRect(r.x, r.y, r.width, r.height);
    };
    const ViewDCRec view{kViewSize, kWidth, kHeight, 0, 0, 0};
    ASSERT_EQ(G_OpenDC(s.handle, &view), 1);
    G_SetDrawMode(32);
    G_Line(-10 * kStep, 0, 10 * kStep, 0);
    G_Rectangle(0, 0, kStep, kStep, 0);
    G_CloseDC();
    EXPECT_TRUE(plain().isEmpty());
    // Plainly, in two contexts: the rectangle holds both figures.
    for (const int32_t x : {-5 * kStep, 5 * kStep}) {
        ASSERT_EQ(G_OpenDC(s.handle, &view), 1);
        G_SetDrawMode(2);
        G_Line(x, -kStep, x, kStep);
        G_CloseDC();
    }
    G_SetDrawMode(0);
    const QRect drawn = plain();
    EXPECT_TRUE(drawn.contains(QPoint(kWidth / 2 - 80, kHeight / 2 - 16)));
    EXPECT_TRUE(drawn.contains(QPoint(kWidth / 2 + 80, kHeight / 2 + 16)));
    EXPECT_FALSE(drawn.contains(QPoint(kWidth / 2, kHeight / 2 - 30)));
    winsys::FindDevice(s.handle)->plainDrawn = {};
    ASSERT_EQ(G_OpenDC(s.handle, &view), 1);
    G_CloseDC();
    EXPECT_TRUE(plain().isEmpty());
}

// ---- DB_PutBackBox -------------------------------------------------------------------

bool Holds(const int32_t* box, int32_t x, int32_t y)
{
    return box[0] <= x && x <= box[2] && box[1] <= y && y <= box[3];
}

// Each edit made in a group and put back: the box holds the places of what
// changed before and after, and what hangs on it.
TEST_F(DrawPart, APutBackNamesWhatItRestoredAndWhatHangsOnIt)
{
    struct Row {
        const char* name;
        std::function<void()> edit;
        // Points of the page the box must hold.
        std::vector<std::pair<int32_t, int32_t>> holds;
        // And one it need not (so that the box is no whole page).
        std::pair<int32_t, int32_t> outside;
    };
    const Row rows[] = {
        // R1.2 at (4, 0) is wired to (2, 4), (-12, 4): the whole wire moves
        // with R1 at its first leg.
        {"component moved",
         [] { ASSERT_EQ(O_ChangePosition(C_Component(Comp("R1")), 30 * kStep, 20 * kStep), 1); },
         {{0, 0}, {30 * kStep, 20 * kStep}, {2 * kStep, 4 * kStep}, {-12 * kStep, 4 * kStep}},
         {40 * kStep, -30 * kStep}},
        {"component taken off the page's drawing (its mark)",
         [] { ASSERT_EQ(O_Mask(C_Component(Comp("R5")), 0, 1), 1); },
         {{-8 * kStep, -6 * kStep}},
         {40 * kStep, 30 * kStep}},
        {"wire deleted",
         [] {
             int32_t cursor = OM_GetFirst(DB_BranchMap());
             const int32_t b = B_SearchNetPage(&cursor, 0, OM_FindName(DB_NetMap(), "C"), -1);
             ASSERT_EQ(OM_Delete(DB_BranchMap(), b), 1);
         },
         {{14 * kStep, -10 * kStep}, {-10 * kStep, -10 * kStep}},
         {40 * kStep, 30 * kStep}},
        {"junction moved",
         [] {
             const int32_t t = JunctionAt(2 * kStep, -6 * kStep);
             ASSERT_NE(t, 0);
             ASSERT_EQ(O_ChangePosition(J_Junction(t), -20 * kStep, 20 * kStep), 1);
         },
         // The wires on it reach R2.1, R5.2 and (2, -12).
         {{-20 * kStep, 20 * kStep}, {2 * kStep, -12 * kStep}},
         {40 * kStep, 30 * kStep}},
        {"text of a component changed",
         [] {
             const int32_t t = C_CompText(Comp("R3"), 1);
             ASSERT_EQ(I_ChangeTextSize(t, 60000, 40000), 1);
         },
         {{-4 * kStep, 2 * kStep}},
         {40 * kStep, 30 * kStep}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(palvane_test::BuildDesign(kDesign));
        ASSERT_NE(DB_SetCurHier(OM_FindName(DB_HierarchyMap(), "MAIN")), 0);
        ASSERT_NE(DB_SetCurPage(OM_FindName(DB_PageMap(), "P1")), 0);
        const uint64_t before = KT_DesignDigest();
        ASSERT_EQ(DB_BeginChange(), 1);
        row.edit();
        ASSERT_EQ(DB_EndChange(0), 4);
        ASSERT_EQ(KT_DesignDigest(), before);
        int32_t box[4] = {};
        ASSERT_EQ(DB_PutBackBox(box), 1);
        for (const auto& [x, y] : row.holds) EXPECT_TRUE(Holds(box, x, y)) << x / kStep << "," << y / kStep;
        EXPECT_FALSE(Holds(box, row.outside.first, row.outside.second));
    }
}

// What the box cannot name: the put-back is then "not known" (0), and the
// caller draws the whole page; with nothing on the page changed, 2.
TEST_F(DrawPart, APutBackOfMoreThanThePageIsNotKnown)
{
    struct Row {
        const char* name;
        std::function<void()> edit;
        int32_t result;
    };
    const Row rows[] = {
        {"page switched", [] { ASSERT_NE(DB_SetCurPage(OM_FindName(DB_PageMap(), "P2")), 0); }, 0},
        {"symbol changed",
         [] {
             CompRec c{};
             ASSERT_EQ(C_ReadComponent(Comp("R1"), &c), 1);
             const int32_t t = I_MakeText(0, 0, 0, 8000, 6000, "S", 0, 0, 0);
             ASSERT_NE(OA_Add(S_SymbolItemArray(c.Symb), t), 0);
         },
         0},
        {"text sizes changed", [] { DB_TextSizeTable()[0] += 100; }, 0},
        {"only another page changed",
         [] { ASSERT_EQ(O_ChangePosition(C_Component(Comp("R9")), 5 * kStep, 5 * kStep), 1); }, 2},
        {"a net renamed", [] { ASSERT_EQ(O_Rename(N_Net(OM_FindName(DB_NetMap(), "A")), "RENAMED"), 1); }, 1},
        // No put-back since the design was opened: nothing is known.
        {"nothing", [] {}, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(palvane_test::BuildDesign(kDesign));
        ASSERT_NE(DB_SetCurHier(OM_FindName(DB_HierarchyMap(), "MAIN")), 0);
        ASSERT_NE(DB_SetCurPage(OM_FindName(DB_PageMap(), "P1")), 0);
        ASSERT_EQ(DB_BeginChange(), 1);
        row.edit();
        DB_EndChange(0);
        int32_t box[4] = {1, 1, 1, 1};
        EXPECT_EQ(DB_PutBackBox(box), row.result);
        if (row.result != 1) {
            EXPECT_TRUE(std::all_of(box, box + 4, [](int32_t v) { return v == 0; }));
        }
    }
    // A box is of the page the put-back left: another page shown since,
    // not known.
    ASSERT_EQ(DB_BeginChange(), 1);
    ASSERT_EQ(O_ChangePosition(C_Component(Comp("R1")), kStep, kStep), 1);
    ASSERT_EQ(DB_EndChange(0), 4);
    int32_t box[4] = {};
    EXPECT_EQ(DB_PutBackBox(box), 1);
    // A group put back with nothing to undo (a listener's read, an edit's
    // try that changed nothing) leaves the box of the last put-back.
    ASSERT_EQ(DB_BeginChange(), 1);
    EXPECT_EQ(DB_EndChange(0), 2);
    int32_t again[4] = {};
    EXPECT_EQ(DB_PutBackBox(again), 1);
    EXPECT_TRUE(std::equal(box, box + 4, again));
    const int32_t p1 = DB_CurPage();
    ASSERT_NE(DB_SetCurPage(OM_FindName(DB_PageMap(), "P2")), 0);
    EXPECT_EQ(DB_PutBackBox(box), 0);
    ASSERT_NE(DB_SetCurPage(p1), 0);
    EXPECT_EQ(DB_PutBackBox(box), 1);
    EXPECT_EQ(DB_PutBackBox(nullptr), 0);
}

}  // namespace
