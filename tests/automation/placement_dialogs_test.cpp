// The name-prefix dialogs PLCOPREF and PLCGPREF, opened through their menu
// commands, and the rotate choices of PLSGPARA: the grid's titles, editing
// a cell, the refused prefixes, Accept, and the ways out that store nothing.
#include "editor/automation/placement_prefixes.h"
#include "editor/automation/placement_settings.h"
#include "editor/automation/plcgpref.h"
#include "editor/automation/plcopref.h"
#include "editor/automation/plsgpara.h"
#include "editor/shell/controls.h"
#include "editor/shell/dlgservices.h"
#include "platform/kernel/testing.h"
#include "platform/winsys/grid.h"
#include "platform/winsys/interaction.h"
#include "tests/automation/placement_fixture.h"
#include "tests/support/screenshot.h"

#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

namespace {

using placement_test::PlacementTest;
namespace mb = winsys::mb;

void Settle()
{
    for (int i = 0; i < 10; ++i) QApplication::processEvents();
}

// The user clicks cell (row, col) of the grid.
void ClickCell(winsys::NorvoGrid* grid, int row, int col)
{
    grid->scrollToItem(grid->item(row, col));
    const QPoint centre = grid->visualRect(grid->model()->index(row, col)).center();
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, centre);
}

// The user types `text` over the edit box's text and presses Enter.
void EnterPrefix(TextBox* box, const std::string& text)
{
    box->SetText(text);
    QTest::keyClick(box, Qt::Key_Return);
}

bool Browsing(PrefixGridForm& d)
{
    return !d.EditBox()->isEnabled() && !d.EditCaption()->isEnabled() && d.AcceptButton()->isEnabled() &&
           d.CancelButton()->isEnabled() && d.Grid()->AllowInput();
}

int GridItemCount()
{
    return OA_GetCount(S_SymbolItemArray(g_GridSymbol));
}

TEST_F(PlacementTest, OrientationPrefixesAreEditedAndAccepted)
{
    Load(1);
    g_OrientPrefixes[1][1] = "R*";
    g_OrientPrefixes[6][1] = "C*";
    g_PatternPrefixes[1][1] = "U*";
    const int items = GridItemCount();
    ui.ExpectModal("PLCOPREF", [this](QWidget* w) {
        PLCOPREF& d = FormInstance<PLCOPREF>();
        Settle();
        winsys::NorvoGrid* grid = d.OPrefGrid();
        EXPECT_EQ(w->windowTitle(), "Select Comps Orientation by Name Prefixes");
        EXPECT_EQ(grid->Rows(), 8);
        EXPECT_EQ(grid->Cols(), 33);
        EXPECT_EQ(grid->TextMatrix(1, 0), "Standard");
        EXPECT_EQ(grid->TextMatrix(2, 0), "180");
        EXPECT_EQ(grid->TextMatrix(7, 0), "Any");
        EXPECT_EQ(grid->TextMatrix(0, 1), " 1");
        EXPECT_EQ(grid->TextMatrix(0, 32), " 32");
        EXPECT_EQ(grid->TextMatrix(6, 1), "C*");
        EXPECT_TRUE(Browsing(d));
        palvane_test::SaveScreenshot(w, "placement_plcopref");

        // Entering a cell starts its edit with the cell's text.
        ClickCell(grid, 6, 1);
        EXPECT_FALSE(Browsing(d));
        EXPECT_TRUE(d.OPrefText()->isEnabled());
        EXPECT_EQ(g_OPrefRow, 6);
        EXPECT_EQ(g_OPrefCol, 1);
        d.OPrefText_GotFocus();
        EXPECT_EQ(d.OPrefText()->Text(), "C*");
        // The same text in the same cell is no duplicate.
        EnterPrefix(d.OPrefText(), "C*");
        EXPECT_TRUE(Browsing(d));
        EXPECT_EQ(grid->TextMatrix(6, 1), "C*");

        // A prefix that row 6 holds is refused in row 2, column 5.
        ClickCell(grid, 2, 5);
        ui.ExpectMessageBox(mb::AnswerOk, "The prefix allready exist in Vertical orientation");
        EnterPrefix(d.OPrefText(), "C*");
        EXPECT_TRUE(Browsing(d));
        EXPECT_EQ(grid->TextMatrix(2, 5), "");
        EXPECT_EQ(grid->Row(), 2);
        EXPECT_EQ(grid->Col(), 5);
        // Letter case makes another prefix; the other table does not count.
        ClickCell(grid, 3, 1);
        EnterPrefix(d.OPrefText(), "c*");
        ClickCell(grid, 3, 2);
        EnterPrefix(d.OPrefText(), "U*");
        // An empty edit box clears the cell.
        ClickCell(grid, 1, 1);
        EnterPrefix(d.OPrefText(), "");
        EXPECT_EQ(grid->TextMatrix(1, 1), "");
        // A prefix longer than a stored text may be is refused with a beep;
        // the edit goes on until it fits.
        ClickCell(grid, 4, 4);
        EnterPrefix(d.OPrefText(), std::string(256, 'Q'));
        ASSERT_FALSE(ui.asked().empty());
        EXPECT_EQ(ui.asked().back().kind, "Beep");
        EXPECT_FALSE(Browsing(d));
        EXPECT_EQ(grid->TextMatrix(4, 4), "");
        EnterPrefix(d.OPrefText(), std::string(255, 'Q'));
        EXPECT_TRUE(Browsing(d));
        d.OPref_Accept_Click();
    });
    Main().M_AutPlcOrntPrefix_Click();
    EXPECT_EQ(g_OrientPrefixes[1][1], "");
    EXPECT_EQ(g_OrientPrefixes[2][5], "");
    EXPECT_EQ(g_OrientPrefixes[3][1], "c*");
    EXPECT_EQ(g_OrientPrefixes[3][2], "U*");
    EXPECT_EQ(g_OrientPrefixes[4][4], std::string(255, 'Q'));
    EXPECT_EQ(g_OrientPrefixes[6][1], "C*");
    EXPECT_EQ(g_OPrefReload, -1);
    EXPECT_FALSE(FormInstance<PLCOPREF>().IsLoaded());
    // The table reaches the design only with the next placement run.
    EXPECT_EQ(GridItemCount(), items);
    ASSERT_TRUE(StorePlacementPrefixes());
    LoadPlacementPrefixes();
    EXPECT_EQ(g_OrientPrefixes[4][1], std::string(255, 'Q'));  // stored entries close up
    EXPECT_EQ(g_OrientPrefixes[3][1], "c*");
}

TEST_F(PlacementTest, PatternPrefixesCheckTheirOwnTableOnly)
{
    Load(1);
    g_PatternPrefixes[3][7] = "R*";
    g_OrientPrefixes[1][1] = "D*";
    ui.ExpectModal("PLCGPREF", [this](QWidget* w) {
        PLCGPREF& d = FormInstance<PLCGPREF>();
        Settle();
        winsys::NorvoGrid* grid = d.GPrefGrid();
        EXPECT_EQ(w->windowTitle(), "Assign Comps to Patterns by Name prefixes");
        EXPECT_EQ(grid->Rows(), 5);
        EXPECT_EQ(grid->TextMatrix(4, 0), "Pattern #4");
        EXPECT_EQ(grid->TextMatrix(3, 7), "R*");
        EXPECT_EQ(d.GPrefText()->Text(), "");
        EXPECT_TRUE(Browsing(d));
        palvane_test::SaveScreenshot(w, "placement_plcgpref");
        ClickCell(grid, 1, 2);
        ui.ExpectMessageBox(mb::AnswerOk, "The prefix allready exist in Pattern #3");
        EnterPrefix(d.GPrefText(), "R*");
        EXPECT_EQ(grid->TextMatrix(1, 2), "");
        ClickCell(grid, 2, 1);
        EnterPrefix(d.GPrefText(), "D*");
        ClickCell(grid, 1, 1);
        EXPECT_FALSE(Browsing(d));
        EnterPrefix(d.GPrefText(), "Q1");
        d.GPrefAccept_Click();
    });
    Main().M_AutPlcGrdPrefix_Click();
    EXPECT_EQ(g_PatternPrefixes[1][1], "Q1");
    EXPECT_EQ(g_PatternPrefixes[1][2], "");
    EXPECT_EQ(g_PatternPrefixes[2][1], "D*");
    EXPECT_EQ(g_PatternPrefixes[3][7], "R*");
    EXPECT_EQ(g_OrientPrefixes[1][1], "D*");
}

TEST_F(PlacementTest, CancelAndTheCloseBoxStoreNoPrefix)
{
    Load(1);
    g_PatternPrefixes[2][1] = "C*";
    g_OrientPrefixes[5][3] = "L*";
    const std::pair<const char*, std::function<void(QWidget*, PrefixGridForm&)>> ways[] = {
        {"Cancel", [](QWidget*, PrefixGridForm& d) { d.Cancel_Click(); }},
        {"close box", [](QWidget* w, PrefixGridForm&) { w->close(); }},
        {"Escape", [](QWidget* w, PrefixGridForm&) { QTest::keyClick(w, Qt::Key_Escape); }},
    };
    for (const auto& [how, leave] : ways) {
        for (int dialog = 0; dialog < 2; ++dialog) {
            PrefixGridForm& d = dialog == 0 ? static_cast<PrefixGridForm&>(FormInstance<PLCGPREF>())
                                            : static_cast<PrefixGridForm&>(FormInstance<PLCOPREF>());
            ui.ExpectModal(dialog == 0 ? "PLCGPREF" : "PLCOPREF", [&, leave = leave](QWidget* w) {
                Settle();
                ClickCell(d.Grid(), 2, 1);
                EnterPrefix(d.EditBox(), "X*");
                ClickCell(d.Grid(), 5 - 3 * dialog, 3);
                EnterPrefix(d.EditBox(), "");
                EXPECT_EQ(d.Grid()->TextMatrix(2, 1), "X*") << how;
                leave(w, d);
            });
            if (dialog == 0) Main().M_AutPlcGrdPrefix_Click();
            else Main().M_AutPlcOrntPrefix_Click();
            EXPECT_FALSE(d.IsLoaded()) << how;
        }
        EXPECT_EQ(g_PatternPrefixes[2][1], "C*") << how;
        EXPECT_EQ(g_PatternPrefixes[2][3], "") << how;
        EXPECT_EQ(g_OrientPrefixes[2][1], "") << how;
        EXPECT_EQ(g_OrientPrefixes[5][3], "L*") << how;
    }
}

TEST_F(PlacementTest, SwitchingToAnotherWindowRefillsTheGrid)
{
    Load(1);
    g_PatternPrefixes[1][1] = "A*";
    ui.ExpectModal("PLCGPREF", [](QWidget* w) {
        PLCGPREF& d = FormInstance<PLCGPREF>();
        Settle();
        ClickCell(d.GPrefGrid(), 1, 1);
        EnterPrefix(d.GPrefText(), "B*");
        EXPECT_EQ(d.GPrefGrid()->TextMatrix(1, 1), "B*");
        QWidget other;
        other.show();
        other.activateWindow();
        QApplication::setActiveWindow(&other);
        Settle();
        EXPECT_EQ(g_GPrefReload, -1);
        w->activateWindow();
        QApplication::setActiveWindow(w);
        Settle();
        EXPECT_EQ(g_GPrefReload, 0);
        EXPECT_EQ(d.GPrefGrid()->TextMatrix(1, 1), "A*");
        d.GPrefAccept_Click();
    });
    Main().M_AutPlcGrdPrefix_Click();
    EXPECT_EQ(g_PatternPrefixes[1][1], "A*");
}

TEST_F(PlacementTest, RotateChoicesOfThePatterns)
{
    Load(1);
    g_SolderSideGrids[2] = 1;
    ui.ExpectModal("PLSGPARA", [](QWidget* w) {
        PLSGPARA& d = FormInstance<PLSGPARA>();
        EXPECT_EQ(w->windowTitle(), "Global Pattern Parameters");
        for (int n = 1; n <= 4; ++n) {
            EXPECT_TRUE(d.O_CG(n, 0)->isChecked()) << n;
            EXPECT_FALSE(d.O_CG(n, 1)->isChecked()) << n;
            EXPECT_EQ(d.O_SG(n, 1)->isChecked(), n == 2) << n;
        }
        EXPECT_EQ(d.O_SG(3, 1)->text(), "No rotate");
        d.O_CG(3, 1)->click();
        d.O_SG(2, 0)->click();
        d.O_SG(4, 1)->click();
        palvane_test::SaveScreenshot(w, "placement_plsgpara");
        d.Com_OK_Click();
    });
    ShowModal(FormInstance<PLSGPARA>());
    const std::array<int32_t, 5> comp = {0, 0, 0, 1, 0}, solder = {0, 0, 0, 0, 1};
    EXPECT_EQ(g_CompSideGrids, comp);
    EXPECT_EQ(g_SolderSideGrids, solder);
    // The solder side is stored but not handed to the placement library.
    FillPlacementParams(1);
    EXPECT_EQ(g_PlcParams.NoRotate[2], 1);
    EXPECT_EQ(g_PlcParams.NoRotate[3], 0);

    // Cancel and the close box keep the stored choices, and the next opening shows them.
    const std::pair<const char*, std::function<void(QWidget*, PLSGPARA&)>> ways[] = {
        {"Cancel", [](QWidget*, PLSGPARA& d) { d.Command2_Click(); }},
        {"close box", [](QWidget* w, PLSGPARA&) { w->close(); }},
    };
    for (const auto& [how, leave] : ways) {
        ui.ExpectModal("PLSGPARA", [&, leave = leave](QWidget* w) {
            PLSGPARA& d = FormInstance<PLSGPARA>();
            EXPECT_TRUE(d.O_CG(3, 1)->isChecked()) << how;
            EXPECT_TRUE(d.O_SG(4, 1)->isChecked()) << how;
            d.O_CG(1, 1)->click();
            d.O_CG(3, 0)->click();
            leave(w, d);
        });
        ShowModal(FormInstance<PLSGPARA>());
        EXPECT_EQ(g_CompSideGrids, comp) << how;
        EXPECT_EQ(g_SolderSideGrids, solder) << how;
    }
    // A refresh of the placement symbols resets the choices.
    RefreshPlacementSymbols(Main());
    EXPECT_EQ(g_CompSideGrids[3], 0);
}

TEST_F(PlacementTest, AFailedOrientationStoreKeepsTheStoredPrefixes)
{
    Load(1);
    g_PatternPrefixes[1][1] = "R*";
    g_OrientPrefixes[2][1] = "C*";
    ASSERT_TRUE(StorePlacementPrefixes());
    const int items = GridItemCount();
    g_PatternPrefixes[1][2] = "Q*";
    g_OrientPrefixes[2][1] = "D*";
    // The third new item, the first of the orientation table, is refused.
    KT_FailCall("OA_Add", 3);
    ui.ExpectMessageBox(mb::AnswerOk, "Can't save orientation prefixes");
    EXPECT_FALSE(StorePlacementPrefixes());
    KT_FailCall("", 0);
    EXPECT_EQ(GridItemCount(), items);
    LoadPlacementPrefixes();
    EXPECT_EQ(g_PatternPrefixes[1][1], "R*");
    EXPECT_EQ(g_PatternPrefixes[1][2], "");
    EXPECT_EQ(g_OrientPrefixes[2][1], "C*");
}

}  // namespace
