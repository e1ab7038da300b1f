// The information maps SCHINFOC and the automatic packaging dialog SCHAPACK
// over a small design, answered through the scripted stand-in.
#include "editor/dialogs/schapack.h"
#include "editor/dialogs/schinfoc.h"
#include "editor/dialogs/schinfob.h"
#include "editor/shell/textarea.h"
#include "editor/shell/controls.h"
#include "editor/shell/dlgservices.h"
#include "editor/shell/listbox.h"
#include "editor/shell/menus.h"
#include "editor/shell/schmain.h"
#include "platform/kernel/testing.h"
#include "platform/winsys/grid.h"
#include "tests/editing/complist_fixture.h"
#include "tests/support/screenshot.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QCoreApplication>
#include <QGroupBox>
#include <QTest>

#include <functional>

namespace {

using complist_test::ListTest;

const char* kMapsDesign = R"(
include discrete.nls
include ics.nls
include power.nls
unit 0.1in
design D
level MAIN
net SIG
net D0
net D1
net D2
bus DATA D0 D1 D2
page P frame 100 80
  component R1 R at 0 0
  component R2 R at 20 0
  component U1 74HC00 gate A at 40 0
  component U1 74HC00 gate B at 40 20
  component G1 symbol SPLGND at 0 -20
  wire SIG R1.2 R2.1 U1.1
end
)";

class InfoMaps : public ListTest {
protected:
    void SetUp() override
    {
        ListTest::SetUp();
        ASSERT_TRUE(palvane_test::BuildDesign(kMapsDesign));
    }
    void Open(int32_t kind, std::function<void(SCHINFOC&)> act)
    {
        g_InfoMapKind = kind;
        ui.ExpectModal("SCHINFOC", [act](QWidget*) { act(FormInstance<SCHINFOC>()); });
        ShowModal(FormInstance<SCHINFOC>());
    }
    static std::vector<std::string> List(SCHINFOC& d)
    {
        std::vector<std::string> names;
        for (int i = 0; i < d.F_List()->ListCount(); ++i) names.push_back(d.F_List()->List(i));
        return names;
    }
    static std::vector<std::string> Row(SCHINFOC& d, int row)
    {
        std::vector<std::string> cells;
        for (int c = 0; c < d.F_Info()->Cols(); ++c) cells.push_back(d.F_Info()->TextMatrix(row, c));
        return cells;
    }
    static void Click(SCHINFOC& d, const std::string& name)
    {
        for (int i = 0; i < d.F_List()->ListCount(); ++i)
            if (d.F_List()->List(i) == name) d.F_List()->SetListIndex(i);
    }
};

TEST_F(InfoMaps, NetMapShowsBothSidesOfEveryNode)
{
    Open(5, [](SCHINFOC& d) {
        EXPECT_EQ(d.Caption(), "Net Map");
        EXPECT_EQ(d.F_Info()->Cols(), 6);
        EXPECT_TRUE(d.F_SinfoF()->isVisibleTo(d.Window()));
        Click(d, "SIG");
        EXPECT_EQ(d.F_Sinfo()->Caption(), "Named");
        ASSERT_EQ(d.F_Info()->Rows(), 4);
        EXPECT_EQ(Row(d, 1)[0], "R1");
        EXPECT_EQ(Row(d, 1)[3], "R1/1");
        EXPECT_EQ(Row(d, 1)[5], "C");
        EXPECT_EQ(Row(d, 3)[0], "U1");
        EXPECT_EQ(Row(d, 3)[1], "1");
        d.Window()->resize(760, 320);
        EXPECT_FALSE(palvane_test::SaveScreenshot(d.Window(), "schinfoc-net-map").empty());
        d.F_Return()->Press();
    });
}

TEST_F(InfoMaps, MapListsAndCounts)
{
    struct Case {
        int32_t kind;
        std::vector<std::string> names;
    };
    const Case cases[] = {
        {1, {"R1", "R2", "U1"}},
        {6, {"DATA"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        Open(c.kind, [&c](SCHINFOC& d) {
            EXPECT_EQ(List(d), c.names);
            EXPECT_EQ(d.F_Items()->Caption(), " " + std::to_string(c.names.size()));
            d.F_Return()->Press();
        });
    }
    // Packages and symbols come from one map, told apart by their flags.
    Open(3, [](SCHINFOC& d) {
        for (const std::string& name : List(d)) EXPECT_TRUE(name == "AXIAL400" || name == "DIP14") << name;
        d.F_Return()->Press();
    });
    Open(4, [](SCHINFOC& d) {
        const auto names = List(d);
        EXPECT_NE(std::find(names.begin(), names.end(), "NAND2"), names.end());
        EXPECT_EQ(std::find(names.begin(), names.end(), "DIP14"), names.end());
        d.F_Return()->Press();
    });
}

TEST_F(InfoMaps, ComponentPartAndBusReaders)
{
    Open(1, [](SCHINFOC& d) {
        Click(d, "U1");
        EXPECT_EQ(d.F_Sinfo()->Caption(), "74HC00/DIP14");
        EXPECT_EQ(Row(d, 1), (std::vector<std::string>{"1", "SIG", "UnC"}));
        d.F_Return()->Press();
    });
    EXPECT_EQ(N_SetNodeView(0), 1);
    Open(2, [](SCHINFOC& d) {
        Click(d, "74HC00");
        ASSERT_EQ(d.F_Info()->Rows(), 3);
        EXPECT_EQ(Row(d, 1), (std::vector<std::string>{"U1/1", "P"}));
        EXPECT_EQ(Row(d, 2), (std::vector<std::string>{"U1/2", "P"}));
        d.F_Return()->Press();
    });
    Open(6, [](SCHINFOC& d) {
        Click(d, "DATA");
        ASSERT_EQ(d.F_Info()->Rows(), 4);
        EXPECT_EQ(Row(d, 1), (std::vector<std::string>{"D0", " 0"}));
        EXPECT_EQ(Row(d, 3), (std::vector<std::string>{"D2", " 2"}));
        d.F_Return()->Press();
    });
}

TEST_F(InfoMaps, AStaleEntryGivesTheReadersMessageAndAnEmptyGrid)
{
    Open(5, [this](SCHINFOC& d) {
        Click(d, "SIG");
        ASSERT_GT(d.F_Info()->Rows(), 2);
        // The net is renamed while the list shows its old name.
        O_Rename(N_Net(OM_FindName(DB_NetMap(), "SIG")), "SIG2");
        ui.ExpectMessageBox(1, "Net: SIG not found");
        d.F_List_Click();
        EXPECT_EQ(d.F_Info()->Rows(), 2);
        EXPECT_EQ(Row(d, 1), (std::vector<std::string>(6, "")));
        d.F_Return()->Press();
    });
}

// The map menu of the main window: each item opens the dialog modally on
// its own map and unloads it when it closes.
TEST_F(InfoMaps, TheMapMenuOpensTheDialogOnItsMap)
{
    SCHMAIN& m = Main();
    const int32_t depth = g_ModalDepth;
    struct Case {
        int index;
        const char* caption;
        std::vector<std::string> names;
    };
    const Case cases[] = {
        {6, "Bus Map", {"DATA"}},
        {1, "Component Map", {"R1", "R2", "U1"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.index);
        bool shown = false;
        ui.ExpectModal("SCHINFOC", [&](QWidget*) {
            shown = true;
            SCHINFOC& d = FormInstance<SCHINFOC>();
            EXPECT_EQ(g_ModalDepth, depth + 1);
            EXPECT_EQ(d.Caption(), c.caption);
            EXPECT_EQ(List(d), c.names);
            palvane_test::SaveScreenshot(d.Window(), "map_dialog_" + std::to_string(c.index));
            d.F_Return()->Press();
        });
        ASSERT_TRUE(m.M_Imap.Exists(c.index));
        m.M_Imap(c.index)->Action()->trigger();
        EXPECT_TRUE(shown);
        EXPECT_EQ(g_InfoMapKind, c.index);
        EXPECT_EQ(g_ModalDepth, depth);
        EXPECT_FALSE(FormInstance<SCHINFOC>().IsLoaded()) << "unloaded when it closes";
    }
    EXPECT_EQ(ui.pending(), 0u);
}

class AutoPack : public ListTest {
protected:
    void Open(std::function<void(SCHAPACK&)> act)
    {
        ui.ExpectModal("SCHAPACK", [act](QWidget*) { act(FormInstance<SCHAPACK>()); });
        ShowModal(FormInstance<SCHAPACK>());
    }
    int Beeps() const
    {
        int n = 0;
        for (const auto& a : ui.asked()) n += a.kind == "Beep";
        return n;
    }
    static void ClickCell(SCHAPACK& d, int row, int col)
    {
        d.F_Prefix()->SetRow(row);
        d.F_Prefix()->SetCol(col);
        d.F_Prefix_Click();
    }
    static void Type(SCHAPACK& d, const std::string& text)
    {
        d.F_Input()->SetText(text);
        int key = 13;
        d.F_Input_KeyPress(key);
    }
};

TEST_F(AutoPack, OneRowPerPartInTheKernelsOrder)
{
    Open([](SCHAPACK& d) {
        // R and 74HC00; the list design has no other parts.
        ASSERT_EQ(g_PrefixList.UBound(), 2);
        EXPECT_EQ(d.F_Prefix()->TextMatrix(1, 0), "R");
        EXPECT_EQ(d.F_Prefix()->TextMatrix(1, 1), "Yes");
        EXPECT_EQ(d.F_Prefix()->TextMatrix(1, 2), "R");
        EXPECT_EQ(d.F_Prefix()->TextMatrix(1, 3), " 1");
        EXPECT_EQ(d.F_Prefix()->TextMatrix(2, 0), "74HC00");
        // Change to starts from the device's name prefix.
        EXPECT_EQ(d.F_Prefix()->TextMatrix(2, 2), "U");
        EXPECT_EQ(d.F_Prefix()->Rows(), 3);
        d.F_Accept()->Press();
    });
    EXPECT_TRUE(g_DlgAccepted);
}

TEST_F(AutoPack, EditingTheCellsAndTheirLimits)
{
    Open([this](SCHAPACK& d) {
        ClickCell(d, 1, 1);
        EXPECT_EQ(d.F_Prefix()->TextMatrix(1, 1), "No ");
        ClickCell(d, 1, 2);  // a row set to No cannot be edited
        EXPECT_FALSE(d.F_InputF()->isVisibleTo(d.Window()));
        ClickCell(d, 1, 1);
        EXPECT_TRUE(g_PrefixList(1).Pack);

        const int before = Beeps();
        ClickCell(d, 2, 2);
        EXPECT_TRUE(d.F_InputF()->isVisibleTo(d.Window()));
        EXPECT_FALSE(d.F_Prefix()->isEnabled());
        Type(d, "ABCDEF");  // six characters
        EXPECT_EQ(Beeps(), before + 1);
        EXPECT_EQ(d.F_Prefix()->TextMatrix(2, 2), "U");
        EXPECT_TRUE(d.F_Prefix()->isEnabled());
        ClickCell(d, 2, 2);
        Type(d, "IC");
        EXPECT_EQ(d.F_Prefix()->TextMatrix(2, 2), "IC");

        ClickCell(d, 2, 3);
        Type(d, "12345678");  // eight digits
        EXPECT_EQ(Beeps(), before + 2);
        ClickCell(d, 2, 3);
        Type(d, "-5");
        EXPECT_EQ(g_PrefixList(2).StartNumber, 5);
        ClickCell(d, 2, 3);
        Type(d, "1234567");
        EXPECT_EQ(d.F_Prefix()->TextMatrix(2, 3), " 1234567");
        ClickCell(d, 2, 3);
        Type(d, "");  // an empty editor closes without a change
        EXPECT_EQ(g_PrefixList(2).StartNumber, 1234567);
        EXPECT_FALSE(d.F_InputF()->isVisibleTo(d.Window()));

        d.Window()->resize(480, 260);
        ClickCell(d, 1, 3);
        EXPECT_FALSE(palvane_test::SaveScreenshot(d.Window(), "schapack").empty());
        Type(d, "");
        d.F_Cancel()->Press();
    });
    EXPECT_FALSE(g_DlgAccepted);
    // The choices survive the next opening.
    Open([](SCHAPACK& d) {
        EXPECT_EQ(d.F_Prefix()->TextMatrix(2, 2), "IC");
        d.F_Cancel()->Press();
    });
}

// The user clicks a button of a dialog.
void ClickButton(QAbstractButton* button)
{
    QTest::mouseClick(button, Qt::LeftButton);
}

// The rows the packaging menu command shows: every part of the design in
// the kernel's order, the walk going on past what gets no row: the
// library temporary (a negative id) that the part dialog leaves while it
// is open, a part whose name no row can hold, and a part the kernel
// cannot read.
TEST_F(AutoPack, TheMenuListsEveryPartAndPassesOverWhatGetsNoRow)
{
    ASSERT_TRUE(palvane_test::BuildDesign(R"(
include discrete.nls
include ics.nls
unit 0.1in
design D
level MAIN
page P frame 100 80
  component R1 R at 0 0
  component U1 OPAMP_DUAL gate A at 20 0
  component C1 C at 40 0
  component U2 74HC00 gate A at 60 0
end
)"));
    ASSERT_EQ(D_CreateDevice(-1, "TMP", "NOPKG"), -1);
    // The parts in the kernel's order, by name.
    std::vector<std::string> parts;
    int32_t cursor = OM_GetFirst(DB_DeviceMap());
    for (int32_t id; (id = OM_SearchMask(DB_DeviceMap(), &cursor, 0, 0)) != 0;)
        parts.push_back(O_GetName(D_Device(id)));
    ASSERT_EQ(parts, (std::vector<std::string>{"R", "C", "OPAMP_DUAL", "74HC00"}));
    struct Case {
        int32_t refusedRead;  // the n-th read of a part refused, 0 none
        std::vector<std::string> rows;
    } cases[] = {
        {0, {"R", "C", "74HC00"}},  // OPAMP_DUAL is one letter too long
        {2, {"R", "74HC00"}},       // and C cannot be read
    };
    SCHMAIN& m = Main();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.refusedRead);
        g_PrefixList.Redim(0, 0);
        std::vector<std::string> rows;
        ui.ExpectModal("SCHAPACK", [&](QWidget*) {
            KT_FailCall("", 0);
            SCHAPACK& d = FormInstance<SCHAPACK>();
            for (int r = 1; r < d.F_Prefix()->Rows(); ++r) rows.push_back(d.F_Prefix()->TextMatrix(r, 0));
            ClickButton(d.F_Cancel());
        });
        if (c.refusedRead != 0) KT_FailCall("D_ReadDevice", c.refusedRead);
        m.M_Apack->Action()->trigger();
        KT_FailCall("", 0);
        EXPECT_EQ(rows, c.rows);
        EXPECT_EQ(g_PrefixList.UBound(), static_cast<long>(c.rows.size()));
        EXPECT_FALSE(g_DlgAccepted);
    }
    EXPECT_EQ(ui.pending(), 0u);
}

TEST_F(AutoPack, NoPartsGiveOneEmptyRowThatBeeps)
{
    ASSERT_TRUE(palvane_test::BuildDesign("design E\nlevel MAIN\npage P\nend\n"));
    Open([this](SCHAPACK& d) {
        EXPECT_EQ(d.F_Prefix()->Rows(), 2);
        ClickCell(d, 1, 0);
        EXPECT_EQ(Beeps(), 1);
        d.F_Cancel()->Press();
    });
    EXPECT_EQ(g_PrefixList.UBound(), 0);
}

}  // namespace

namespace {

class ReportWindow : public palvane_test::EditorTest {};

TEST_F(ReportWindow, ATooSmallWindowRaisesNoErrorAndCloseKeepsTheText)
{
    ShowReport("first");
    SCHINFOB& report = FormInstance<SCHINFOB>();
    report.Window()->resize(4, 4);
    QCoreApplication::processEvents();
    EXPECT_TRUE(report.Visible());
    report.F_Return()->Press();
    EXPECT_FALSE(report.Visible());
    EXPECT_TRUE(report.IsLoaded());
    ShowReport("second");
    EXPECT_TRUE(report.Visible());
    EXPECT_EQ(report.F_TxtBuffer()->Text(), "second");
}

}  // namespace
