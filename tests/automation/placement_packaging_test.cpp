// The automatic packaging run: unpacked gates go into a package of their
// device with a free gate of their symbol, or into a new one named from the
// dialog's row; rows switched off and unknown devices are left alone.
#include "editor/dialogs/schapack.h"
#include "editor/objects/comp_state.h"
#include "editor/objects/packaging.h"
#include "editor/shell/controls.h"
#include "editor/shell/menus.h"
#include "editor/shell/schmain.h"
#include "editor/shell/textnum.h"
#include "platform/kernel/nvokernel32.h"
#include "platform/winsys/grid.h"
#include "tests/support/design_builder.h"
#include "tests/support/editor_fixture.h"

#include <QApplication>
#include <QTemporaryDir>
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
// new layout component named from the prefix typed, IC, and a number) and
// leaves the 74HC04 gate unpacked.
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
        // Change to starts from each part's name prefix.
        const std::map<std::string, std::string> prefix{{"74HC00", "U"}, {"74HC04", "U"}, {"R", "R"}};
        for (const auto& [part, r] : row) {
            EXPECT_EQ(grid->TextMatrix(r, 1), "Yes") << part;
            EXPECT_EQ(grid->TextMatrix(r, 2), prefix.at(part)) << part;
            EXPECT_EQ(grid->TextMatrix(r, 3), " 1") << part;
        }
        ClickCell(grid, row["74HC04"], 1);
        EXPECT_EQ(grid->TextMatrix(row["74HC04"], 1), "No ");
        ClickCell(grid, row["74HC00"], 2);
        d.F_Input()->SetText("IC");
        QTest::keyClick(d.F_Input(), Qt::Key_Return);
        EXPECT_EQ(grid->TextMatrix(row["74HC00"], 2), "IC");
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
    EXPECT_EQ(FirstWord(PtrToStr(lay.Name)), "IC1");
}

// The user chooses Auto Packaging in the menu and clicks Execute without
// changing a row: the new parts are named from the parts' name prefixes,
// as packing by hand names them (U1, U2, R1), not after the devices
// (74HC001); the names are those of the saved design read back.
TEST_F(AutoPackaging, NewPartsAreNamedByPrefixFromTheMenu)
{
    ui.ExpectModal("SCHAPACK", [](QWidget*) {
        SCHAPACK& d = FormInstance<SCHAPACK>();
        QApplication::processEvents();
        QTest::mouseClick(d.F_Accept(), Qt::LeftButton);
    });
    Main().M_Apack->Action()->trigger();
    EXPECT_EQ(ui.pending(), 0u);

    // Schematic component -> its layout component's name, as the kernel
    // holds them now.
    auto parts = [] {
        std::map<std::string, std::string> out;
        const int32_t map = DB_SchCompMap();
        int32_t cursor = OM_GetFirst(map);
        while (int32_t id = OM_SearchMask(map, &cursor, 0, 0)) {
            CompRec c{};
            C_ReadComponent(id, &c);
            LayCompRec lay{};
            DeviceRec device{};
            D_ReadDevice(c.Device, &device);
            const std::string gate = PtrToStr(device.Name) + " at " + std::to_string(c.X / 254000);
            out[gate] = L_ReadComponent(c.LayComp, &lay) == 1 ? FirstWord(PtrToStr(lay.Name)) : "";
        }
        return out;
    };
    const std::map<std::string, std::string> expected{
        {"74HC00 at 0", "U1"}, {"74HC00 at 20", "U1"}, {"74HC04 at 40", "U2"}, {"R at 0", "R1"}};
    EXPECT_EQ(parts(), expected);
    for (const char* name : {"U1", "U2", "R1"}) EXPECT_NE(OM_FindName(DB_LayCompMap(), name), 0) << name;
    EXPECT_EQ(OM_FindName(DB_LayCompMap(), "74HC001"), 0);
    // The two NAND gates take gates 1 and 2 of U1.
    std::set<int32_t> groups;
    for (const CompRec& c : Gates())
        if (c.LayComp == OM_FindName(DB_LayCompMap(), "U1")) groups.insert(c.Group);
    EXPECT_EQ(groups, (std::set<int32_t>{1, 2}));

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string path = dir.filePath("packed.nvd").toStdString();
    ASSERT_EQ(DB_SaveDataBase(path.c_str()), 1) << E_LastError();
    DB_DiscardDataBase();
    ASSERT_EQ(DB_LoadDataBase(path.c_str()), 1) << E_LastError();
    EXPECT_EQ(parts(), expected);
}

TEST_F(AutoPackaging, CancelChangesNothing)
{
    ui.ExpectModal("SCHAPACK", [](QWidget*) { FormInstance<SCHAPACK>().F_Cancel_Click(); });
    Main().M_Apack_Click();
    for (const CompRec& c : Gates()) EXPECT_EQ(c.LayComp, 0);
}

}  // namespace
