// Drawing a net normally and highlighted, checked on the raster of an image
// registered as a drawing device, and the texts on the wires of nets and
// buses.
#include "editor/objects/branch_drawing.h"
#include "editor/objects/net_drawing.h"
#include "editor/objects/view_values.h"
#include "editor/objects/wire_state.h"
#include "tests/objects/wire_canvas.h"
#include "tests/objects/wire_fixture.h"
#include "tests/support/raster.h"
#include "tests/support/screenshot.h"

#include <QLabel>
#include <QPixmap>

#include <vector>

#include <gtest/gtest.h>

namespace {

using namespace palvane_test;

constexpr int kWireCategory = 10, kNodeCategory = 5, kHighlightCategory = 6, kJunctionCategory = 11;

class NetDrawing : public KernelTest {
protected:
    void SetUp() override
    {
        KernelTest::SetUp();
        ASSERT_TRUE(BuildDesign(kTwoWires));
        net = Net("N");
        g_FrameBranch = -100 - DB_CurPage();
        // The junction the two wires share becomes a dot (wires meeting),
        // drawn over both wires.
        junction = Point(Branches(net)[0], 2).Ref;
        O_Mask(J_Junction(junction), 8, 8);
    }
    void TearDown() override
    {
        g_ShowNodes = 0;
        KernelTest::TearDown();
    }
    // What the commands do: the highlight, then the masked-branch pass.
    void Highlight()
    {
        HighlightNet(net);
        DrawMaskedBranches(0, 128);
    }
    int32_t net = 0;
    int32_t junction = 0;
};

TEST_F(NetDrawing, HighlightShowsTheWiresAndNodesInTheHighlightColourAndRedrawTakesItOff)
{
    for (int32_t shown : {0, 1}) {
        SCOPED_TRACE(shown);
        g_ShowNodes = shown;
        Canvas canvas;
        PaintPage();
        const QImage before = canvas.image.copy();
        const std::vector<QPoint> wirePixels = PixelsOf(before, CategoryColour(kWireCategory));
        ASSERT_GT(wirePixels.size(), 100u);
        ASSERT_GT(CountPixels(before, CategoryColour(kJunctionCategory)), 0);
        Highlight();
        EXPECT_EQ(g_MaskedBranchIds.UBound(), 2);
        EXPECT_EQ(O_GetStatus(N_Net(net)) & 129, 128);
        // Every wire pixel shows the highlight colour but where the junction
        // dot's XOR crosses it.
        const QRgb highlight = CategoryColour(kHighlightCategory);
        size_t highlighted = 0;
        for (const QPoint& p : wirePixels) highlighted += PixelAt(canvas.image, p.x(), p.y()) == (highlight & 0xFFFFFFu);
        EXPECT_GT(highlighted, wirePixels.size() * 9 / 10);
        EXPECT_EQ(CountPixels(canvas.image, CategoryColour(kWireCategory)), 0);
        if (shown != 0) {
            // The node marks of the net too: none left in their own colour.
            EXPECT_GT(CountPixels(before, CategoryColour(kNodeCategory)), 0);
            EXPECT_LT(CountPixels(canvas.image, CategoryColour(kNodeCategory)),
                      CountPixels(before, CategoryColour(kNodeCategory)));
        }
        if (shown == 0) {
            QLabel label;
            label.setPixmap(QPixmap::fromImage(canvas.image));
            label.resize(canvas.image.size());
            SaveScreenshot(&label, "highlighted_net");
        }
        RedrawNet(net);
        EXPECT_TRUE(SameImage(before, canvas.image));
        // Every object of the net is back to the normal look.
        EXPECT_EQ(O_GetStatus(N_Net(net)) & 129, 1);
        for (int32_t b : Branches(net)) {
            EXPECT_EQ(O_GetStatus(B_Branch(b)) & 129, 1);
            EXPECT_EQ(Point(b, 1).Flags & 129, 1);
        }
        int32_t cursor = 0;
        while (const int32_t node = OM_SearchMask(N_NodeMap(net), &cursor, 0, 0))
            EXPECT_EQ(O_GetStatus(N_Node(net, node)) & 129, 1);
    }
}

TEST_F(NetDrawing, HighlightingTwiceShowsOneHighlightAndRedrawTakesItOff)
{
    for (int32_t shown : {0, 1}) {
        SCOPED_TRACE(shown);
        g_ShowNodes = shown;
        Canvas canvas;
        PaintPage();
        const QImage before = canvas.image.copy();
        Highlight();
        const QImage once = canvas.image.copy();
        Highlight();
        EXPECT_TRUE(SameImage(once, canvas.image));
        RedrawNet(net);
        EXPECT_TRUE(SameImage(before, canvas.image));
    }
}

TEST_F(NetDrawing, HighlightWithoutTheMaskedPassIsTakenOffToo)
{
    Canvas canvas;
    PaintPage();
    const QImage before = canvas.image.copy();
    HighlightNet(net);
    EXPECT_FALSE(CompareImages(before, canvas.image).Same());
    g_MaskedBranchIds.Redim(0, 0);
    RedrawNet(net);
    EXPECT_TRUE(SameImage(before, canvas.image));
}

class BusTexts : public KernelTest {
protected:
    void SetUp() override
    {
        KernelTest::SetUp();
        ASSERT_TRUE(BuildDesign(R"(
design D
level L
net D0
net D1
net D2
bus DATA D0 D1 D2
page P
  wire D0 (0 0) (10 0)
  wire D1 (0 5) (10 5)
  wire D2 (0 10) (10 10) label 1 10
end
)"));
        bus = OM_FindName(DB_BusMap(), "DATA");
        // A stale member text on each member's wire.
        for (const char* name : {"D0", "D1", "D2"}) {
            const int32_t wire = Branches(Net(name))[0];
            const int32_t item = I_MakeText(kTenth, 0, 0, 1000, 700, "old", 9, 0, 0);
            OA_Add(B_BranchTextArray(wire), item);
        }
    }
    ItemRec MemberText(const char* name)
    {
        const int32_t wire = Branches(Net(name))[0];
        const int32_t index = OA_SearchMask(B_BranchTextArray(wire), 1, 8);
        ItemRec rec{};
        I_ReadItem(B_BranchText(wire, index), &rec);
        return rec;
    }
    int32_t bus = 0;
};

TEST_F(BusTexts, UpdateBusTextsLabelsTheMembersFromZero)
{
    UpdateBusTexts(bus);
    int k = 0;
    for (const char* name : {"D0", "D1", "D2"}) {
        SCOPED_TRACE(name);
        const ItemRec rec = MemberText(name);
        EXPECT_EQ(std::string(rec.Text), std::to_string(k));
        EXPECT_EQ(rec.Link, k + 1);
        EXPECT_EQ(rec.Flags & 265, 9);
        EXPECT_EQ(rec.X, kTenth);
        EXPECT_EQ(rec.P1, 1000);
        EXPECT_EQ(OA_GetCount(B_BranchTextArray(Branches(Net(name))[0])), name == std::string("D2") ? 2 : 1);
        ++k;
    }
}

TEST_F(BusTexts, DrawBusMemberTextsDrawsAndErasesWithoutDeleting)
{
    Canvas canvas;
    const QImage before = canvas.image.copy();
    DrawBusMemberTexts(-1, bus);
    EXPECT_EQ(MemberText("D1").Flags & 1, 1);
    EXPECT_FALSE(CompareImages(before, canvas.image).Same());
    DrawBusMemberTexts(0, bus);
    EXPECT_EQ(MemberText("D1").Flags & 1, 0);
    EXPECT_EQ(std::string(MemberText("D1").Text), "old");
    EXPECT_TRUE(CompareImages(before, canvas.image).Same());
}

TEST_F(BusTexts, RefreshNetNameTextsRemakesTheNameTexts)
{
    const int32_t wire = Branches(Net("D2"))[0];
    int32_t status = 0;
    RefreshNetNameTexts(status, 0, Net("D2"), "RENAMED");
    EXPECT_EQ(status, 0);
    const int32_t index = OA_SearchMask(B_BranchTextArray(wire), 1, 2);
    ASSERT_GT(index, 0);
    ItemRec rec{};
    I_ReadItem(B_BranchText(wire, index), &rec);
    EXPECT_EQ(std::string(rec.Text), "RENAMED");
    EXPECT_EQ(rec.Flags & 259, 3);
    EXPECT_EQ(OA_GetCount(B_BranchTextArray(wire)), 2);
    // A net without name texts: nothing changes.
    RefreshNetNameTexts(status, 0, Net("D0"), "X");
    EXPECT_EQ(OA_GetCount(B_BranchTextArray(Branches(Net("D0"))[0])), 1);
}

}  // namespace
