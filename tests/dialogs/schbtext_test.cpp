// The component list editor SCHBTEXT as the main window opens it: its text
// and menu, the error report with the line selected as typed, Cancel, and
// its screenshots.
#include "editor/dialogs/schbtext.h"
#include "editor/shell/controls.h"
#include "editor/shell/geometry.h"
#include "editor/shell/menus.h"
#include "editor/shell/schmain.h"
#include "editor/shell/textarea.h"
#include "tests/editing/complist_fixture.h"
#include "tests/support/screenshot.h"

#include <gtest/gtest.h>

#include <QTextCursor>

namespace {

using complist_test::ListTest;

class ListEditor : public ListTest {
protected:
    void Open(bool create, std::function<void(SCHBTEXT&)> act)
    {
        ui.ExpectModal("SCHBTEXT", [act](QWidget*) { act(FormInstance<SCHBTEXT>()); });
        if (create)
            Main().CreateCompsFromList();
        else
            Main().RelocateCompsFromList();
    }
    static std::string SelectedAsTyped(SCHBTEXT& e)
    {
        return e.F_TxtBuffer()->Text().substr(e.m_SelStart, e.m_SelLength);
    }
};

TEST_F(ListEditor, TheCreateListAsFirstShownIsRefusedWithItsEmptyLineSelected)
{
    Open(true, [this](SCHBTEXT& e) {
        EXPECT_EQ(e.Caption(), "Edit Component List Create in: inches");
        const std::string text = e.F_TxtBuffer()->Text();
        EXPECT_EQ(text.substr(0, 16), "\r\n@END\r\nFormat:\r");
        EXPECT_NE(text.find("  refmode = s then groupnumber=0,refname = symbol name\r\n"), std::string::npos);
        EXPECT_TRUE(e.M_Cref(0)->Checked());
        EXPECT_FALSE(e.M_Cref(3)->Enabled());
        ui.ExpectMessageBox(1, "Edit Comp. List Create Error:\r\nWrong Format");
        e.F_Accept()->Press();
        EXPECT_TRUE(e.Visible());
        EXPECT_FALSE(g_TextAccepted);
        EXPECT_EQ(e.m_SelStart, 0u);
        EXPECT_EQ(SelectedAsTyped(e), "\r");
        // Without the empty line: no line end before "@END".
        ui.ExpectMessageBox(1, "'@END' line missing or misplaced");
        e.F_TxtBuffer()->SetText("@END\r\n");
        e.F_Accept()->Press();
        EXPECT_EQ(e.m_SelStart, e.F_TxtBuffer()->Text().size());
        e.F_Return()->Press();
    });
}

TEST_F(ListEditor, AnErrorInTheThirdLineSelectsThatLineAsTyped)
{
    Open(true, [this](SCHBTEXT& e) {
        ui.ExpectMessageBox(1, "Group: 9 in Part: 74HC00 not found");
        e.F_TxtBuffer()->SetText("1, d, 74HC00\r\n0, s, SPLGND, 1, 1, 0\r\n  9, d, 74HC00, 0, 0, 0\r\n@END\r\n");
        e.F_Accept()->Press();
        EXPECT_EQ(SelectedAsTyped(e), "  9, d, 74HC00, 0, 0, 0\r");
        // The text box shows the same line selected (its line end counts one).
        EXPECT_EQ(e.F_TxtBuffer()->textCursor().selectedText().toStdString(),
                  "  9, d, 74HC00, 0, 0, 0\u2029");
        EXPECT_EQ(g_CompListEntries.UBound(), 2);
        e.F_Return()->Press();
    });
    EXPECT_EQ(g_TextBuf, "");
    EXPECT_FALSE(g_TextAccepted);
}

TEST_F(ListEditor, RelocationTextAndModeMenu)
{
    g_CompListCoordMode = 2;
    Open(false, [this](SCHBTEXT& e) {
        EXPECT_EQ(e.Caption(), "Edit Component Relocation in :inches");
        EXPECT_TRUE(e.M_Cref(2)->Checked());
        EXPECT_TRUE(e.M_Cref(3)->Enabled());
        e.M_Cref(3)->Click.Raise();
        EXPECT_FALSE(e.M_Cref(2)->Checked());
        EXPECT_TRUE(e.M_Cref(3)->Checked());
        ui.ExpectMessageBox(1, "Edit Comp. Relocate Error:\r\nText missing or misplaced");
        e.F_TxtBuffer()->SetText("R1/1,0,0,0\r\n@END");
        e.F_Accept()->Press();
        EXPECT_EQ(SelectedAsTyped(e), "@");
        e.F_Return()->Press();
    });
    EXPECT_EQ(g_CompListCoordMode, 3);
}

TEST_F(ListEditor, Screenshots)
{
    Open(true, [](SCHBTEXT& e) {
        e.F_TxtBuffer()->SetText("1, d, 74HC00, 1, 1, 0, A\r\n0, s, SPLGND, 2, 1, 0\r\n" + e.F_TxtBuffer()->Text());
        e.Window()->resize(620, 420);
        EXPECT_FALSE(palvane_test::SaveScreenshot(e.Window(), "schbtext-create").empty());
        e.F_Return()->Press();
    });
    g_SelRect = {-100000000, -100000000, 100000000, 100000000};
    Main().m_BoxDiagonal = 100000000;
    Open(false, [](SCHBTEXT& e) {
        e.Window()->resize(620, 420);
        EXPECT_FALSE(palvane_test::SaveScreenshot(e.Window(), "schbtext-relocation").empty());
        EXPECT_FALSE(palvane_test::SaveMenuScreenshot(e.M_Ref()->Menu(), "schbtext-mode-menu").empty());
        e.F_Return()->Press();
    });
}

}  // namespace
