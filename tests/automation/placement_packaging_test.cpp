// The automatic packaging run: unpacked gates go into a package of their
// device with a free gate of their symbol, or into a new one named from the
// dialog's row; rows switched off and unknown devices are left alone.
#include "editor/dialogs/schapack.h"
#include "editor/objects/comp_state.h"
#include "editor/objects/packaging.h"
#include "editor/shell/controls.h"
#include "editor/shell/schmain.h"
#include "editor/shell/textnum.h"
#include "platform/kernel/nvokernel32.h"
#include "platform/winsys/grid.h"
#include "tests/support/design_builder.h"
#include "tests/support/editor_fixture.h"

#include <QApplication>
#include <QTest>
#include <gtest/gtest.h>

#include <map>
#include <set>

namespace {

// The user clicks cell (row, col) of the grid.
void ClickCell(winsys::NorvoGrid* grid, int row, int col)
{
    grid->scrollToItem(grid->item(row, col));
    const QPoint centre = grid->visualRect(grid->model()->index(row, col)).center();
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, centre);
}

class AutoPackaging : public palvane_test::EditorTest {
protected:
    void SetUp() override
    {
        EditorTest::SetUp();
        // The dialog's rows outlive its openings: each test starts without.
        g_PrefixList.Redim(0, 0);
        ASSERT_TRUE(palvane_test::BuildDesign(R"(
include discrete.nls
include ics.nls
unit 0.1in
design D
level MAIN
page P frame 100 80
  component U1 74HC00 gate A at 0 0
  component U1 74HC00 gate B at 20 0
  component U2 74HC04 gate A at 40 0
  component R1 R at 0 20
end
)"));
        Main().LoadSettings();
        // Unpack every gate: the run packs them again.
        const int32_t map = DB_SchCompMap();
        int32_t cursor = OM_GetFirst(map);
        while (int32_t id = OM_SearchMask(map, &cursor, 0, 0)) {
            CompRec rec{};
            C_ReadComponent(id, &rec);
            if (rec.LayComp) UnpackComp(id, rec);
        }
    }

    std::vector<CompRec> Gates() const
    {
        std::vector<CompRec> out;
        const int32_t map = DB_SchCompMap();
        int32_t cursor = OM_GetFirst(map);
        while (int32_t id = OM_SearchMask(map, &cursor, 0, 0)) {
            CompRec rec{};
            C_ReadComponent(id, &rec);
            out.push_back(rec);
        }
        return out;
    }

    void Run(std::function<void(SCHAPACK&)> edit)
    {
        ui.ExpectModal("SCHAPACK", [edit](QWidget*) {
            SCHAPACK& d = FormInstance<SCHAPACK>();
            edit(d);
            d.F_Accept_Click();
        });
        Main().M_Apack_Click();
    }
};

TEST_F(AutoPackaging, TwoGatesShareOneNewPackage)
{
    for (const CompRec& c : Gates()) ASSERT_EQ(c.LayComp, 0);
    Run([](SCHAPACK&) {});
    int32_t lay = -1;
    int packed = 0;
    for (const CompRec& c : Gates()) {
        if (c.Device == 0) continue;
        EXPECT_NE(c.LayComp, 0);
        EXPECT_NE(c.Group, 0);
        if (lay < 0) lay = c.LayComp;
        ++packed;
    }
    EXPECT_EQ(packed, 4);
    // Every mark of the run is cleared again.
    int32_t cursor = OM_GetFirst(DB_DeviceMap());
    EXPECT_EQ(OM_SearchMask(DB_DeviceMap(), &cursor, 128, 128), 0);
    EXPECT_EQ(Trim(Main().F_MsgLine->Caption()), "Autpackaging completed");
}

TEST_F(AutoPackaging, ARowSwitchedOffLeavesItsGatesUnpacked)
{
    Run([](SCHAPACK&) {
        for (long r = 1; r <= g_PrefixList.UBound(); ++r)
            if (Trim(g_PrefixList(r).Prefix) != "R") g_PrefixList(r).Pack = false;
    });
    for (const CompRec& c : Gates()) {
        const std::string name = c.Name;
        if (name.rfind("R", 0) == 0) EXPECT_NE(c.LayComp, 0) << name;
        else EXPECT_EQ(c.LayComp, 0) << name;
    }
}

// The dialog has a row per part, not per name prefix: the 74HC00 and the
// 74HC04 share the prefix U, yet the user packs the 74HC00 gates (into a
// new layout component named U and a number) and leaves the 74HC04 gate
// unpacked.
TEST_F(AutoPackaging, EachPartHasItsOwnRow)
{
    ui.ExpectModal("SCHAPACK", [](QWidget*) {
        SCHAPACK& d = FormInstance<SCHAPACK>();
        for (int i = 0; i < 5; ++i) QApplication::processEvents();
        winsys::NorvoGrid* grid = d.F_Prefix();
        std::map<std::string, int> row;
        for (int r = 1; r < grid->Rows(); ++r) row[grid->TextMatrix(r, 0)] = r;
        ASSERT_EQ(row.size(), 3u);
        ASSERT_TRUE(row.count("74HC00") && row.count("74HC04") && row.count("R"));
        for (const auto& [part, r] : row) {
            EXPECT_EQ(grid->TextMatrix(r, 1), "Yes") << part;
            EXPECT_EQ(grid->TextMatrix(r, 2), part);
            EXPECT_EQ(grid->TextMatrix(r, 3), " 1") << part;
        }
        ClickCell(grid, row["74HC04"], 1);
        EXPECT_EQ(grid->TextMatrix(row["74HC04"], 1), "No ");
        ClickCell(grid, row["74HC00"], 2);
        d.F_Input()->SetText("U");
        QTest::keyClick(d.F_Input(), Qt::Key_Return);
        EXPECT_EQ(grid->TextMatrix(row["74HC00"], 2), "U");
        d.F_Accept()->Press();
    });
    Main().M_Apack_Click();
    std::set<int32_t> nands;
    for (const CompRec& c : Gates()) {
        DeviceRec device{};
        ASSERT_EQ(D_ReadDevice(c.Device, &device), 1);
        const std::string part = PtrToStr(device.Name);
        if (part == "74HC04") {
            EXPECT_EQ(c.LayComp, 0) << c.Name;
        } else {
            ASSERT_NE(c.LayComp, 0) << c.Name;
            if (part == "74HC00") nands.insert(c.LayComp);
        }
    }
    ASSERT_EQ(nands.size(), 1u);
    LayCompRec lay{};
    ASSERT_EQ(L_ReadComponent(*nands.begin(), &lay), 1);
    EXPECT_EQ(FirstWord(PtrToStr(lay.Name)), "U1");
}

TEST_F(AutoPackaging, CancelChangesNothing)
{
    ui.ExpectModal("SCHAPACK", [](QWidget*) { FormInstance<SCHAPACK>().F_Cancel_Click(); });
    Main().M_Apack_Click();
    for (const CompRec& c : Gates()) EXPECT_EQ(c.LayComp, 0);
}

}  // namespace
