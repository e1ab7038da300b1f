// The geometry kit of the running command: the transforms of symbol items
// and placed points, the handles of items, re-basing an item on its handle,
// block file headers, the frame of one item and locking by prefix.
#include "editor/objects/owner_items.h"
#include "editor/objects/symbol_items.h"
#include "editor/shell/errors.h"
#include "editor/shell/schmain.h"
#include "editor/shell/settings.h"
#include "platform/kernel/nvokernel32.h"
#include "tests/support/design_builder.h"
#include "tests/support/kernel_fixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>

namespace {

class Geometry : public palvane_test::KernelTest {
protected:
    void SetUp() override
    {
        KernelTest::SetUp();
        g_DegToRad = std::acos(-1.0) / 180.0;
        form.ResetFormState();
    }

    ItemRec Item(int32_t kind, int32_t x, int32_t y, int32_t p1 = 0, int32_t p2 = 0, int32_t p3 = 0, int32_t p4 = 0,
                 int32_t angle = 0)
    {
        ItemRec it{};
        it.Kind = kind;
        it.Flags = 1;
        it.X = x;
        it.Y = y;
        it.P1 = p1;
        it.P2 = p2;
        it.P3 = p3;
        it.P4 = p4;
        it.Angle = angle;
        return it;
    }

    void Use(const ItemRec& it)
    {
        g_SymbItem = it;
        g_SymbItemType = it.Kind;
    }

    SCHMAIN form;
};

TEST_F(Geometry, BlockPointTurnsAboutTheBlockOriginAndIsPlaced)
{
    struct Case {
        double rotation;
        int32_t x, y, angle, sign;
        int32_t wantX, wantY, wantAngle;
    } cases[] = {
        {0, 100, 200, 45000, 1, 1100, 2200, 45000},     // no rotation: only placed
        {90, 100, 0, 0, 1, 1000, 2100, 90000},          // a quarter turn
        {90, 100, 0, 0, -1, 1000, 2100, 270000},        // a mirrored object turns the other way
        {90, 0, 0, 300000, 1, 1000, 2000, 30000},       // at the pivot: stays; angle wraps
        {180, 1000, 1000, 90000, 1, 0, 1000, 270000},
    };
    for (const Case& c : cases) {
        form.m_Rotation = c.rotation;
        form.m_PlaceX = 1000;
        form.m_PlaceY = 2000;
        int32_t x = c.x, y = c.y, angle = c.angle, sign = c.sign;
        form.RotateBlockPoint(x, y, angle, sign);
        EXPECT_EQ(x, c.wantX) << c.rotation;
        EXPECT_EQ(y, c.wantY) << c.rotation;
        EXPECT_EQ(angle, c.wantAngle) << c.rotation;
    }
}

TEST_F(Geometry, MovePointTurnsAboutTheBaseAndRefusesResultsBeyondRange)
{
    form.m_BaseX = 1000;
    form.m_BaseY = 1000;
    form.m_Rotation = 90;
    form.m_OffsetX = 5;
    form.m_OffsetY = -5;
    int32_t x = 2000, y = 1000, angle = 0, sign = 1;
    form.RotateMovePoint(x, y, angle, sign);
    EXPECT_EQ(x, 1005);
    EXPECT_EQ(y, 1995);
    EXPECT_EQ(angle, 90000);

    // Beyond the canvas range: the overflow error, the point unchanged.
    form.m_Rotation = 0;
    form.m_OffsetX = 100;
    x = 219999950;
    y = 0;
    try {
        form.RotateMovePoint(x, y, angle, sign);
        ADD_FAILURE() << "no error";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), errnum::Overflow);
    }
    EXPECT_EQ(x, 219999950);
}

TEST_F(Geometry, ItemTransformsPerKind)
{
    form.m_BaseX = 0;
    form.m_BaseY = 0;
    struct Case {
        const char* name;
        ItemRec in;
        int32_t mirrorX, mirrorY;
        double rotation, scale;
        ItemRec want;
    } cases[] = {
        {"displace only", Item(1, 10, 20, 30, 40), 0, 0, 0, 1.0, Item(1, 17, 23, 30, 40)},
        {"line mirrored in X", Item(1, 10, 20, 30, 40), -1, 0, 0, 1.0, Item(1, -3, 23, -30, 40)},
        {"triangle mirrored in Y", Item(2, 10, 20, 30, 40, 50, 60), 0, -1, 0, 1.0,
         Item(2, 17, -17, 30, -40, 50, -60)},
        {"rectangle mirrored in X", Item(3, 10, 20, 30, 40, 0, 0, 0), -1, 0, 0, 1.0,
         Item(3, -3, 23, -30, 40, 0, 0, 0)},
        {"text mirrors in position only", Item(6, 10, 20, 8000, 6000, 0, 0, 45000), -1, -1, 0, 1.0,
         Item(6, -3, -17, 8000, 6000, 0, 0, 45000)},
        {"line turned a quarter", Item(1, 100, 0, 100, 0), 0, 0, 90, 1.0, Item(1, 7, 103, 0, 100)},
        {"rectangle turned and halved", Item(3, 100, 0, 30, 41, 0, 0, 300000), 0, 0, 90, 0.5,
         Item(3, 7, 53, 15, 20, 0, 0, 30000)},
        {"circle halved: radius 3 gives 2", Item(4, 0, 0, 3), 0, 0, 0, 0.5, Item(4, 7, 3, 2)},
        {"arc turned", Item(5, 0, 0, 100, 10000, 80000), 0, 0, 90, 1.0, Item(5, 7, 3, 100, 100000, 80000)},
        {"arc mirrored in X", Item(5, 0, 0, 100, 0, 90000), -1, 0, 0, 1.0, Item(5, 7, 3, 100, 90000, 90000)},
        {"arc mirrored in Y", Item(5, 0, 0, 100, 0, 90000), 0, -1, 0, 1.0, Item(5, 7, 3, 100, 270000, 90000)},
        // Both mirrors are a point reflection: the start turns by half a turn.
        {"arc mirrored in X and Y", Item(5, 0, 0, 100, 10000, 80000), -1, -1, 0, 1.0,
         Item(5, 7, 3, 100, 190000, 80000)},
    };
    for (const Case& c : cases) {
        Use(c.in);
        form.m_MirrorX = c.mirrorX;
        form.m_MirrorY = c.mirrorY;
        form.m_Rotation = c.rotation;
        form.m_Scale = c.scale;
        form.m_OffsetX = 7;
        form.m_OffsetY = 3;
        form.RotateItemPoints();
        const ItemRec& got = g_SymbItem;
        EXPECT_EQ(got.X, c.want.X) << c.name;
        EXPECT_EQ(got.Y, c.want.Y) << c.name;
        EXPECT_EQ(got.P1, c.want.P1) << c.name;
        EXPECT_EQ(got.P2, c.want.P2) << c.name;
        EXPECT_EQ(got.P3, c.want.P3) << c.name;
        EXPECT_EQ(got.P4, c.want.P4) << c.name;
        EXPECT_EQ(got.Angle, c.want.Angle) << c.name;
    }
}

TEST_F(Geometry, ItemTransformBeyondRangeChangesNothing)
{
    Use(Item(1, 200000000, 0, 1000, 0));
    form.m_Scale = 2.0;
    const ItemRec before = g_SymbItem;
    EXPECT_THROW(form.RotateItemPoints(), RuntimeError);
    EXPECT_EQ(g_SymbItem.X, before.X);
    EXPECT_EQ(g_SymbItem.P1, before.P1);
}

TEST_F(Geometry, TheFormStartsWithoutScaling)
{
    EXPECT_EQ(form.m_Scale, 1.0);
    Use(Item(4, 10, 10, 500));
    form.RotateItemPoints();
    EXPECT_EQ(g_SymbItem.P1, 500) << "a reset form must not collapse items";
}

TEST_F(Geometry, HandlesPerKindAndTies)
{
    struct Case {
        const char* name;
        ItemRec item;
        int32_t px, py;
        int32_t handle, hx, hy, fixedX, fixedY, centreX, centreY;
    } cases[] = {
        {"line, pointer midway: the end", Item(1, 0, 0, 100, 0), 50, 0, 1, 100, 0, 0, 0, 50, 0},
        {"line near its start", Item(1, 0, 0, 100, 0), 10, 0, 0, 0, 0, 100, 0, 50, 0},
        {"rectangle near the far corner", Item(3, 0, 0, 100, 50), 99, 49, 2, 100, 50, 0, 0, 50, 25},
        {"rectangle near its top left", Item(3, 0, 0, 100, 50), 0, 45, 1, 0, 50, 100, 0, 50, 25},
        {"arc, equal distance: the end", Item(5, 0, 0, 100, 0, 90000), 100, 100, 1, 0, 100, 100, 0, 0, 0},
        {"arc near its start", Item(5, 0, 0, 100, 0, 90000), 100, 5, 0, 100, 0, 0, 100, 0, 0},
        {"triangle near C", Item(2, 0, 0, 90, 0, 0, 90), 1, 88, 2, 0, 90, -7, -7, 30, 30},
    };
    for (const Case& c : cases) {
        Use(c.item);
        form.m_FixedX = form.m_FixedY = -7;
        int32_t x = c.px, y = c.py;
        form.GetItemExtent(x, y);
        EXPECT_EQ(form.m_HandleIndex, c.handle) << c.name;
        EXPECT_EQ(form.m_HandleX, c.hx) << c.name;
        EXPECT_EQ(form.m_HandleY, c.hy) << c.name;
        EXPECT_EQ(form.m_FixedX, c.fixedX) << c.name;
        EXPECT_EQ(form.m_FixedY, c.fixedY) << c.name;
        EXPECT_EQ(form.m_ItemCentreX, c.centreX) << c.name;
        EXPECT_EQ(form.m_ItemCentreY, c.centreY) << c.name;
        EXPECT_EQ(form.m_HandleOffX, c.hx - c.item.X) << c.name;
    }
    // A circle: the point of the circle towards the pointer, no offset.
    Use(Item(4, 0, 0, 100));
    int32_t x = 0, y = -500;
    form.GetItemExtent(x, y);
    EXPECT_EQ(form.m_HandleX, 0);
    EXPECT_EQ(form.m_HandleY, -100);
    EXPECT_EQ(form.m_HandleOffX, 0);
    EXPECT_EQ(form.m_HandleDist, 0);
}

TEST_F(Geometry, TriangleCentreWithHorizontalOrVerticalMediansAndDegenerate)
{
    struct Case {
        ItemRec item;
        int32_t cx, cy;
    } cases[] = {
        // The median from B is horizontal here (B at mid-height of A and C).
        {Item(2, 0, 0, 90, 45, 0, 90), 30, 45},
        // The median from C is vertical.
        {Item(2, 0, 0, 90, 0, 45, 90), 45, 30},
        // All three points on a line: the medians are parallel, centre A.
        {Item(2, 10, 10, 20, 20, 40, 40), 10, 10},
    };
    for (const Case& c : cases) {
        Use(c.item);
        int32_t x = 0, y = 0;
        form.GetItemExtent(x, y);
        EXPECT_EQ(form.m_ItemCentreX, c.cx);
        EXPECT_EQ(form.m_ItemCentreY, c.cy);
    }
}

class SymbolGeometry : public Geometry {
protected:
    void SetUp() override
    {
        Geometry::SetUp();
        symbol = S_CreateSymbol(0, "NOTES");
        ASSERT_GT(symbol, 0);
        S_SetCompLocation(0, 0, 0, 0);
        g_CurSymb = symbol;
    }
    int32_t Add(const ItemRec& it)
    {
        int32_t status = 0, handle = 0;
        const int32_t index = MakeOwnerItem(status, kOwnerSymbol, symbol, it, "", handle);
        EXPECT_EQ(status, 0);
        return index;
    }
    ItemRec Read(int32_t index)
    {
        int32_t status = 0, kind = 0;
        std::string text;
        ReadSymbItem(status, symbol, index, text, kind);
        EXPECT_EQ(status, 0);
        g_SymbItemType = kind;
        return g_SymbItem;
    }
    int32_t symbol = 0;
};

TEST_F(SymbolGeometry, RebasingPutsTheFixedPointAtTheOrigin)
{
    struct Case {
        const char* name;
        ItemRec item;
        int32_t px, py;
        ItemRec want;
    } cases[] = {
        {"line by its start", Item(1, 0, 0, 100, 50), 0, 0, Item(1, 100, 50, -100, -50)},
        {"line by its end", Item(1, 0, 0, 100, 50), 100, 50, Item(1, 0, 0, 100, 50)},
        {"rectangle by corner 0", Item(3, 0, 0, 100, 50), 0, 0, Item(3, 100, 50, -100, -50)},
        {"rectangle by corner 1", Item(3, 0, 0, 100, 50), 0, 50, Item(3, 100, 0, -100, 50)},
        {"rectangle by corner 3", Item(3, 0, 0, 100, 50), 100, 0, Item(3, 0, 50, 100, -50)},
        {"triangle by A", Item(2, 0, 0, 90, 0, 0, 90), 0, 0, Item(2, 90, 0, -90, 0, -90, 90)},
        {"triangle by C", Item(2, 0, 0, 90, 0, 0, 90), 0, 90, Item(2, 0, 0, 0, 90, 90, 0)},
    };
    for (const Case& c : cases) {
        g_SymbItemIdx = Add(c.item);
        Read(g_SymbItemIdx);
        int32_t x = c.px, y = c.py;
        form.GetItemExtent(x, y);
        form.RebaseItemOnHandle();
        const ItemRec got = Read(g_SymbItemIdx);
        EXPECT_EQ(got.X, c.want.X) << c.name;
        EXPECT_EQ(got.Y, c.want.Y) << c.name;
        EXPECT_EQ(got.P1, c.want.P1) << c.name;
        EXPECT_EQ(got.P2, c.want.P2) << c.name;
        EXPECT_EQ(got.P3, c.want.P3) << c.name;
        EXPECT_EQ(got.P4, c.want.P4) << c.name;
    }
}

TEST_F(SymbolGeometry, FrameOfOneItemOrZeros)
{
    Add(Item(3, 0, 0, 100000, 50000));
    const int32_t second = Add(Item(1, 500000, 500000, 100000, 200000));
    int32_t x1 = -1, y1 = -1, x2 = -1, y2 = -1;
    form.FrameSymbolItem(symbol, second, x1, y1, x2, y2);
    EXPECT_LE(x1, 500000);
    EXPECT_GE(x2, 600000);
    EXPECT_GE(y1, 450000) << "only the one item is framed";
    form.FrameSymbolItem(symbol, 9, x1, y1, x2, y2);
    EXPECT_EQ(x1 | y1 | x2 | y2, 0);
}

TEST_F(Geometry, BlockHeaders)
{
    const std::string path = ::testing::TempDir() + "block_header.nsb";
    struct Case {
        const char* line;
        int32_t status;
    } cases[] = {
        {"090,1000,2000", 0},
        {"", 1},
        {"091,1000,2000", 1},
        {"090,1000", 1},             // too few fields
        {"090", 1},
        {"090,500000000,10", 1},     // a box beyond twice the canvas range
    };
    for (const Case& c : cases) {
        std::ofstream(path) << c.line << "\r\n";
        form.m_BoxW = form.m_BoxH = 77;
        int32_t status = -1;
        form.ReadBlockHeader(status, path);
        EXPECT_EQ(status, c.status) << c.line;
        if (c.status == 0) {
            EXPECT_EQ(form.m_BoxW, 1000);
            EXPECT_EQ(form.m_BoxOrgX, -500);
            EXPECT_EQ(form.m_BoxOrgY, -1000);
            EXPECT_NEAR(form.m_BoxOrgAngle, 243.43, 0.01);
        } else {
            EXPECT_EQ(form.m_BoxW, 77) << c.line;
        }
    }
    int32_t status = 0;
    ui.ExpectMessageBox(1);
    form.ReadBlockHeader(status, ::testing::TempDir() + "no_such_block.nsb");
    EXPECT_NE(status, 0);
    std::remove(path.c_str());
}

TEST_F(Geometry, LockingByPrefix)
{
    ASSERT_TRUE(palvane_test::BuildDesign(R"(
include discrete.nls
unit 0.1in
design D
level MAIN
page P
  component R1 R at 0 0
  component R12 R at 10 0
  component r3 R at 20 0
  component C1 C at 30 0
end
)"));
    // A part's gate is named "REF/1".
    auto locked = [](const char* name) {
        const int32_t id = OM_FindName(DB_SchCompMap(), (std::string(name) + "/1").c_str());
        CompRec c{};
        if (id == 0 || C_ReadComponent(id, &c) == 0) ADD_FAILURE() << name;
        return (c.Flags & 32) != 0;
    };
    std::string prefix = "  R1/ ";
    form.LockCompsByPrefix(prefix);
    EXPECT_EQ(prefix, "R1/");
    EXPECT_TRUE(locked("R1"));
    EXPECT_FALSE(locked("R12"));
    prefix = "R1";
    form.LockCompsByPrefix(prefix);
    EXPECT_TRUE(locked("R12"));
    EXPECT_FALSE(locked("r3")) << "case-sensitive";
    EXPECT_FALSE(locked("C1"));

    prefix = " ABCDEFGHIJ ";
    form.LockCompsByPrefix(prefix);
    EXPECT_EQ(prefix, "ABCDEFGH");

    prefix = "";
    form.LockCompsByPrefix(prefix);
    EXPECT_TRUE(locked("C1")) << "an empty prefix locks all";
}

}  // namespace
