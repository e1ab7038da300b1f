// Block operations on the components, wires and wire texts of a box.
#include "editor/objects/comp_state.h"
#include "editor/objects/components.h"
#include "editor/shell/controls.h"
#include "editor/shell/curpos.h"
#include "editor/shell/pagedraw.h"
#include "tests/editing/editing_fixture.h"
#include "editor/view/canvas.h"
#include "tests/support/screenshot.h"

#include <QApplication>

#include <string>

#include <gtest/gtest.h>

namespace {

using namespace palvane_test;

const char* kBlock = R"(
include discrete.nls
unit 0.1in
design D
level MAIN
net N
net M
page P1 frame 60 40
  component R1 R at 0 0
  component R2 R at 20 0
  wire N R1.2 (10 0) (10 10) R2.1
  component R5 R at 40 30
  wire M R5.1 (35 30)
end
page P2 frame 60 40
end
)";

class Block : public EditingTest {
protected:
    void SetUp() override
    {
        EditingTest::SetUp();
        Load();
    }
    // The design afresh, P1 current, and the box around R1 and R2.
    void Load()
    {
        Use(kBlock, "P1");
        g_CurPage = PageId("P1");
        SCHMAIN& m = Main();
        // The box from (-5, -5) to (25, 15), base point at its middle.
        g_SelRect = {-5 * kStep, -5 * kStep, 25 * kStep, 15 * kStep};
        m.m_BaseX = 10 * kStep;
        m.m_BaseY = 5 * kStep;
        m.m_BoxDiagonal = 20 * kStep;
        m.m_Rotation = 0;
        m.m_OffsetX = m.m_OffsetY = 0;
    }
    int32_t Run(int32_t op, int32_t objects)
    {
        int32_t result = 99;
        Main().ChangeBlockObjects(op, objects, result);
        return result;
    }
    static CompRec Comp(const char* name)
    {
        CompRec rec{};
        EXPECT_NE(C_ReadComponent(CompId(name), &rec), 0) << name;
        return rec;
    }
    // Every junction of the level, as points.
    static std::vector<std::pair<int32_t, int32_t>> Junctions()
    {
        std::vector<std::pair<int32_t, int32_t>> pts;
        int32_t cursor = OM_GetFirst(DB_JunctMap());
        while (const int32_t j = OM_SearchMask(DB_JunctMap(), &cursor, 0, 0)) {
            JunctionRec rec{};
            J_ReadJunction(j, &rec);
            pts.emplace_back(rec.X, rec.Y);
        }
        return pts;
    }
    static int32_t MarkedWires(int32_t mask) { return OM_FindMask(DB_BranchMap(), mask, mask); }
};

TEST_F(Block, ShiftMovesComponentsAndBendPointsOnly)
{
    Main().m_OffsetX = 10 * kStep;
    Main().m_OffsetY = 20 * kStep;
    const CompRec before = Comp("R1");
    const auto junctionsBefore = Junctions();
    EXPECT_EQ(Run(BLOCK_MOVE, 7), -1);
    const CompRec after = Comp("R1");
    EXPECT_EQ(after.X, before.X + 10 * kStep);
    EXPECT_EQ(after.Y, before.Y + 20 * kStep);
    EXPECT_EQ(after.Angle, before.Angle);
    EXPECT_EQ(Comp("R5").X, 40 * kStep);  // outside the box
    // Each bend point inside moved once, although two records may share it.
    const auto junctionsAfter = Junctions();
    ASSERT_EQ(junctionsAfter.size(), junctionsBefore.size());
    for (size_t i = 0; i < junctionsBefore.size(); ++i) {
        const auto [x, y] = junctionsBefore[i];
        const bool inside = x >= -5 * kStep && x <= 25 * kStep && y >= -5 * kStep && y <= 15 * kStep;
        EXPECT_EQ(junctionsAfter[i].first, inside ? x + 10 * kStep : x);
        EXPECT_EQ(junctionsAfter[i].second, inside ? y + 20 * kStep : y);
    }
    EXPECT_EQ(MarkedWires(512), 0);
    EXPECT_EQ(MarkedWires(256), 0);
    EXPECT_EQ(MarkedWires(2048), 0);
}

TEST_F(Block, RotationTurnsPlainAndMirroredComponents)
{
    SCHMAIN& m = Main();
    m.m_BaseX = 0;
    m.m_BaseY = 0;
    m.m_Rotation = 90;
    const int32_t r2 = CompId("R2");
    struct Case {
        bool mirrored;
        int32_t angle;
    };
    for (const Case c : {Case{false, 90000}, Case{true, 270000}}) {
        CompRec rec = Comp("R2");
        rec.X = 20 * kStep;
        rec.Y = 0;
        rec.Angle = 0;
        rec.Flags = c.mirrored ? (rec.Flags | 2) : (rec.Flags & ~2);
        SetCompPlacement(r2, rec);
        EXPECT_EQ(Run(BLOCK_MOVE, 1), -1);
        const CompRec after = Comp("R2");
        EXPECT_EQ(after.X, 0) << c.mirrored;
        EXPECT_EQ(after.Y, 20 * kStep) << c.mirrored;
        EXPECT_EQ(after.Angle, G_AngleAdj(c.angle)) << c.mirrored;
    }
}

TEST_F(Block, MoveBeyondTheDrawingAreaIsRefusedWhole)
{
    Main().m_OffsetX = 219000000;
    const CompRec r1 = Comp("R1"), r2 = Comp("R2");
    const auto junctions = Junctions();
    EXPECT_EQ(Run(BLOCK_MOVE, 7), 0);
    EXPECT_EQ(Comp("R1").X, r1.X);
    EXPECT_EQ(Comp("R2").X, r2.X);
    EXPECT_EQ(Junctions(), junctions);
    EXPECT_FALSE(Main().F_MsgLine->Caption().empty());
    EXPECT_EQ(MarkedWires(512), 0);
    EXPECT_EQ(OM_FindMask(DB_SchCompMap(), 256, 256), 0);
}

TEST_F(Block, LockShowsEachNameAndMoveSkipsLocked)
{
    EXPECT_EQ(Run(BLOCK_LOCK, 1), -1);
    EXPECT_NE(O_GetStatus(C_Component(CompId("R1"))) & 32, 0);
    EXPECT_NE(O_GetStatus(C_Component(CompId("R2"))) & 32, 0);
    EXPECT_NE(Main().F_MsgLine->Caption().find(" Locked"), std::string::npos);
    Main().m_OffsetX = kStep;
    const int32_t x = Comp("R1").X;
    Run(BLOCK_MOVE, 1);
    EXPECT_EQ(Comp("R1").X, x);
    EXPECT_EQ(Run(BLOCK_UNLOCK, 1), -1);
    EXPECT_EQ(O_GetStatus(C_Component(CompId("R1"))) & 32, 0);
    EXPECT_NE(Main().F_MsgLine->Caption().find(" Unlocked"), std::string::npos);
}

TEST_F(Block, DeleteByBits)
{
    const int32_t before = Count(DB_SchCompMap());
    EXPECT_EQ(Run(BLOCK_DELETE, 1), -1);
    EXPECT_EQ(CompId("R1"), 0);
    EXPECT_EQ(CompId("R2"), 0);
    EXPECT_EQ(Count(DB_SchCompMap()), before - 2);
    EXPECT_NE(CompId("R5"), 0);
    // Nothing in the box any more: the flag stays 0.
    EXPECT_EQ(Run(BLOCK_DELETE, 1), 0);
}

TEST_F(Block, DeleteWholeWires)
{
    EXPECT_EQ(Run(BLOCK_DELETE, 2), -1);
    EXPECT_TRUE(Wires(NetId("N")).empty());
    EXPECT_FALSE(Wires(NetId("M")).empty());
    EXPECT_EQ(MarkedWires(512), 0);
}

TEST_F(Block, ToPageMovesTheBlockAndKeepsTheTargetPageCurrent)
{
    SCHMAIN& m = Main();
    m.m_BlockOrigPage = PageId("P1");
    g_CurPage = PageId("P2");
    ASSERT_NE(DB_SetCurPage(g_CurPage), 0);
    EXPECT_EQ(Run(BLOCK_TO_PAGE, 7), -1);
    EXPECT_EQ(Comp("R1").Page, PageId("P2"));
    EXPECT_EQ(Comp("R5").Page, PageId("P1"));
    EXPECT_EQ(DB_CurPage(), PageId("P2"));
    // A refused move leaves the target page current too.
    m.m_OffsetX = 219000000;
    g_SelRect = {-5 * kStep, -5 * kStep, 45 * kStep, 35 * kStep};
    m.m_BoxDiagonal = 60 * kStep;
    EXPECT_EQ(Run(BLOCK_TO_PAGE, 7), 0);
    EXPECT_EQ(DB_CurPage(), PageId("P2"));
    EXPECT_EQ(Comp("R5").Page, PageId("P1"));
}

// Every mark a block operation works with, as one line: components 256,
// wires 256/512/1024/2048 and their records 256/512, junctions 256/4096
// (the frame corners of every page of the level, MAINPAGE's among them)
// and the wire texts' 256 (ids in ascending order, frame branches left
// out).
std::string Marks()
{
    std::string out = "C";
    auto walk = [](int32_t map, auto each) {
        int32_t cursor = OM_GetFirst(map);
        while (const int32_t id = OM_SearchMask(map, &cursor, 0, 0)) each(id);
    };
    walk(DB_SchCompMap(), [&](int32_t id) { out += " " + std::to_string(O_GetStatus(C_Component(id)) & 256); });
    out += " W";
    walk(DB_BranchMap(), [&](int32_t id) {
        out += " " + std::to_string(O_GetStatus(B_Branch(id)) & 3840) + ":";
        BranchPointRec p{};
        for (int32_t i = 1; B_ReadRecord(id, i, &p) != 0; ++i) out += std::to_string(p.Flags & 768) + ",";
        const int32_t texts = B_BranchTextArray(id);
        for (int32_t i = 1; i <= OA_GetCount(texts); ++i) out += "t" + std::to_string(O_GetStatus(OA_Object(texts, i)) & 256);
    });
    out += " J";
    walk(DB_JunctMap(), [&](int32_t id) { out += " " + std::to_string(O_GetStatus(J_Junction(id)) & 4352); });
    return out;
}

// What each operation leaves of marks that other commands left on
// everything: the marks it works with are cleared, the others stay.
TEST_F(Block, MarksLeftByEachOperationOverStaleMarks)
{
    struct Case {
        const char* what;
        int32_t op, objects, offsetX;
        const char* marks;
    };
    const Case cases[] = {
        {"move all", BLOCK_MOVE, 7, kStep,
         "C 0 0 0 W 0:0,0,0,0,t0 0:0,0,t0 J 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0"},
        {"move components", BLOCK_MOVE, 1, kStep,
         "C 0 0 0 W 2304:768,256,256,768,t256 256:256,256,t256 J 4352 4352 4352 4352 4352 4352 4352 4352 4352 4352 4352 4352 4352 4352 4352"},
        {"move whole wires", BLOCK_MOVE, 2, kStep,
         "C 256 256 256 W 0:0,0,0,0,t0 0:0,0,t0 J 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0"},
        {"move wire points", BLOCK_MOVE, 4, kStep,
         "C 256 256 256 W 0:0,0,0,0,t256 0:0,0,t256 J 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0"},
        {"move refused", BLOCK_MOVE, 7, 219000000,
         "C 0 0 0 W 0:0,0,0,0,t0 0:0,0,t0 J 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0"},
        {"to page", BLOCK_TO_PAGE, 7, 0,
         "C 0 0 0 W 0:0,0,0,0,t0 0:0,0,t0 J 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0"},
        {"delete components", BLOCK_DELETE, 1, 0,
         "C 0 W 2304:256,256,t256 256:256,256,t256 J 4352 4352 4352 4352 4352 4352 4352 4352 4352 4352 4352 4352 4352 4352 4352"},
        {"delete wire points", BLOCK_DELETE, 4, 0,
         "C 256 256 256 W 0:0,0,t256 0:0,0,t256 J 0 0 0 0 0 0 0 0 0 0 0 0 0"},
        {"lock all", BLOCK_LOCK, 7, 0,
         "C 0 0 0 W 0:0,0,0,0,t0 0:0,0,t0 J 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0"},
        {"unlock wires", BLOCK_UNLOCK, 6, 0,
         "C 256 256 256 W 0:0,0,0,0,t0 0:0,0,t0 J 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Load();
        SCHMAIN& m = Main();
        m.m_OffsetX = c.offsetX;
        if (c.op == BLOCK_TO_PAGE) {
            m.m_BlockOrigPage = PageId("P1");
            g_CurPage = PageId("P2");
            ASSERT_NE(DB_SetCurPage(g_CurPage), 0);
        }
        // A text on the wire inside the box, one on the wire outside; then
        // every mark set everywhere, as other commands may leave them.
        const int32_t inside = Wires(NetId("N")).at(0), outside = Wires(NetId("M")).at(0);
        OA_Add(B_BranchTextArray(inside), I_MakeText(10 * kStep, 5 * kStep, 0, 105830, 70550, "A", 3, 0, 0));
        OA_Add(B_BranchTextArray(outside), I_MakeText(35 * kStep, 32 * kStep, 0, 105830, 70550, "B", 3, 0, 0));
        OM_MaskAll(DB_SchCompMap(), 256, 256);
        OM_MaskAll(DB_BranchMap(), 3840, 3840);
        B_MaskAllRecords(768, 768);
        OM_MaskAll(DB_JunctMap(), 4352, 4352);
        for (const int32_t w : {inside, outside}) OA_MaskAll(B_BranchTextArray(w), 256, 256);
        Run(c.op, c.objects);
        DB_SetCurPage(PageId("P1"));
        EXPECT_EQ(Marks(), c.marks);
    }
}

TEST_F(Block, RotatedBlockScreenshot)
{
    SCHMAIN& m = Main();
    QWidget* top = m.ViewPicture->window();
    top->resize(1100, 760);
    m.m_Rotation = 90;
    m.m_OffsetX = -5 * kStep;
    EXPECT_EQ(Run(BLOCK_MOVE, 7), -1);
    m.ZoomMode->SetListIndex(-1);
    m.ZoomMode->SetListIndex(2);
    for (int i = 0; i < 10; ++i) QApplication::processEvents();
    m.RefreshCanvas();
    for (int i = 0; i < 10; ++i) QApplication::processEvents();
    EXPECT_FALSE(SaveScreenshot(top, "block_rotated_90").empty());
}

}  // namespace
