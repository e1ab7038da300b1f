// Components drawn with the wires at their pins and erased again, on a
// picture surface. The demo's first page drawn component by component is
// written to the screenshot folder for a person to look at.
#include "editor/interaction/commands.h"
#include "editor/objects/components.h"
#include "editor/shell/pagedraw.h"
#include "tests/objects/comp_fixture.h"
#include "tests/objects/objects_fixture.h"
#include "tests/support/raster.h"
#include "tests/support/screenshot.h"
#include "tests/support/stored_marks.h"

#include <QLabel>
#include <QPixmap>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

using namespace palvane_test;

std::string DemoText()
{
    std::ifstream in(std::string(PALVANE_DEMO_DIR "/demo.txt"));
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The components of the current page, in id order.
std::vector<int32_t> PageComps()
{
    std::vector<int32_t> ids;
    const int32_t map = DB_SchCompMap();
    int32_t cursor = OM_GetFirst(map);
    while (const int32_t id = OM_SearchMask(map, &cursor, 0, 0)) {
        CompRec rec{};
        if (C_ReadComponent(id, &rec) != 0 && rec.Page == DB_CurPage()) ids.push_back(id);
    }
    return ids;
}

// The wires of the current page, as the masked-branch pass leaves them.
void MaskPageWires()
{
    g_MaskedBranchIds.Redim(0, 0);
    const int32_t map = DB_BranchMap();
    int32_t cursor = OM_GetFirst(map);
    while (const int32_t id = OM_SearchMask(map, &cursor, 0, 0)) {
        BranchRec rec{};
        if (B_ReadBranch(id, &rec) == 0 || rec.Page != DB_CurPage()) continue;
        g_MaskedBranchIds.RedimPreserve(g_MaskedBranchIds.UBound() + 1);
        g_MaskedBranchIds(g_MaskedBranchIds.UBound()) = id;
    }
    B_MaskAllRecords(128, 128);
}

int32_t Status(int32_t comp)
{
    return O_GetStatus(C_Component(comp));
}

class CompDrawing : public CompTest {
protected:
    void SetUp() override
    {
        CompTest::SetUp();
        g_ShowNodes = false;
        g_ShowRatsnest = 0;
        g_NetGuidelines = false;
    }
    // Pixels that differ from the background within `r` pixels of (x, y).
    static int DrawnNear(const objects_test::Surface& s, int x, int y, int r)
    {
        int n = 0;
        for (int py = std::max(0, y - r); py < std::min(s.image.height(), y + r); ++py)
            for (int px = std::max(0, x - r); px < std::min(s.image.width(), x + r); ++px)
                n += (s.image.pixel(px, py) & 0xFFFFFF) != (s.Background() & 0xFFFFFF);
        return n;
    }
};

TEST_F(CompDrawing, DemoFirstPageComponentByComponent)
{
    ASSERT_TRUE(BuildDesign(DemoText(), PALVANE_DEMO_DIR));
    const std::vector<int32_t> comps = PageComps();
    ASSERT_GE(comps.size(), 10u);
    // The whole page, and the circuit close up.
    struct View {
        const char* picture;
        int32_t unitsPerPixel, x, y;
    } views[] = {
        {"demo_page1_components_with_wires", 26000, 0, 0},
        {"demo_page1_components_with_wires_close", 11000, 600000, 1900000},
    };
    for (const View& v : views) {
        SCOPED_TRACE(v.picture);
        objects_test::Surface s(1100, 850);
        ASSERT_TRUE(s.Open(v.unitsPerPixel, v.x, v.y));
        // As a move leaves them: each component erased (its wires marked
        // for redraw), then drawn again with the page's wires.
        for (int32_t id : comps) EraseComp(id);
        for (int32_t id : comps) EXPECT_EQ(Status(id) & 5, 4);
        MaskPageWires();
        for (int32_t id : comps) DrawCompWithWires(id);
        s.Close();
        for (int32_t id : comps) {
            CompRec rec{};
            C_ReadComponent(id, &rec);
            SCOPED_TRACE(rec.Name);
            EXPECT_EQ(Status(id) & 5, 1);
            const int px = 550 + (rec.X - v.x) / v.unitsPerPixel;
            const int py = 425 - (rec.Y - v.y) / v.unitsPerPixel;
            // The close-up shows only part of the page.
            if (px < 0 || py < 0 || px >= s.image.width() || py >= s.image.height()) continue;
            EXPECT_GT(DrawnNear(s, px, py, 20), 0);
        }
        QLabel label;
        label.setPixmap(QPixmap::fromImage(s.image));
        label.resize(label.pixmap().size());
        EXPECT_FALSE(SaveScreenshot(&label, v.picture).empty());
    }
}

TEST_F(CompDrawing, EraseTakesTheComponentOffAndLeavesItsWires)
{
    constexpr int32_t kUnitsPerPixel = 20000;
    objects_test::Surface s(800, 600);
    const QImage blank = s.image.copy();
    const int32_t r1 = Comp("R1/1");
    ASSERT_TRUE(s.Open(kUnitsPerPixel));
    MaskPageWires();
    DrawCompWithWires(r1);
    s.Close();
    const QImage drawn = s.image.copy();
    EXPECT_FALSE(CompareImages(drawn, blank).Same());
    const int bodyX = 400 + Read(r1).X / kUnitsPerPixel;
    ASSERT_GT(DrawnNear(s, bodyX, 300, 2), 0);
    ASSERT_TRUE(s.Open(kUnitsPerPixel));
    EraseComp(r1);
    s.Close();
    EXPECT_EQ(Status(r1) & 5, 4);
    // The wire from R1 to U1 is still there; R1's body is gone.
    EntryRec from{}, to{};
    C_ReadEntry(r1, 2, &from);
    C_ReadEntry(Comp("U1/1"), 1, &to);
    const int wireX = 400 + (from.X + to.X) / 2 / kUnitsPerPixel;
    const int wireY = 300 - (from.Y + to.Y) / 2 / kUnitsPerPixel;
    EXPECT_GT(DrawnNear(s, wireX, wireY, 3), 0);
    EXPECT_EQ(DrawnNear(s, bodyX, 300, 2), 0);
    // The node records at R1's pins wait for their redraw.
    int32_t net = 0;
    N_FindCompEntry(r1, 2, &net);
    EXPECT_NE(O_GetStatus(N_Net(net)) & 128, 0);
}

TEST_F(CompDrawing, TextCommandsDrawTheComponentOnly)
{
    const int32_t r1 = Comp("R1/1");
    objects_test::Surface s(400, 300);
    ASSERT_TRUE(s.Open(20000));
    g_CurCommand = 5;
    EraseComp(r1);
    int32_t net = 0;
    N_FindCompEntry(r1, 2, &net);
    EXPECT_EQ(O_GetStatus(N_Net(net)) & 128, 0) << "no wire is marked for redraw";
    DrawCompWithWires(r1);
    g_CurCommand = 0;
    s.Close();
    EXPECT_EQ(Status(r1) & 5, 1);
}

// A component erased and drawn again by a click that lists no wires for
// redrawing (the packaging function's text refresh): the leg from a pin at
// a wire's first record loses its redraw mark with the pin's, so the
// design as written holds no mark.
TEST_F(CompDrawing, DrawnAgainWithoutListedWiresLeavesNoLegMarked)
{
    ASSERT_TRUE(BuildDesign(DemoText(), PALVANE_DEMO_DIR));
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string written = dir.filePath("drawn.nvd").toStdString();
    ASSERT_NE(DB_SaveDataBase(written.c_str()), 0);
    ASSERT_EQ(StoredMarks(written), std::vector<std::string>{});
    objects_test::Surface s(400, 300);
    ASSERT_TRUE(s.Open(20000));
    g_MaskedBranchIds.Redim(0, 0);
    int legs = 0;
    for (const int32_t id : PageComps()) {
        EraseComp(id);
        // The wires that start on a pin of it have their second record
        // marked too.
        const int32_t map = DB_BranchMap();
        int32_t cursor = OM_GetFirst(map);
        while (const int32_t branch = OM_SearchMask(map, &cursor, 128, 128)) {
            BranchPointRec second{};
            if (B_ReadRecord(branch, 2, &second) != 0 && (second.Flags & 128) != 0) ++legs;
        }
        DrawCompWithWires(id);
    }
    s.Close();
    EXPECT_GT(legs, 0) << "the demo has wires starting on a pin";
    ASSERT_NE(DB_SaveDataBase(written.c_str()), 0);
    EXPECT_EQ(StoredMarks(written), std::vector<std::string>{});
}

}  // namespace
