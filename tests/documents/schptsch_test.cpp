// The print dialog through the stand-in: the table, marking and setting up
// pages, the scale and offset texts, the faults of the edit record, and the
// print run with its pause, cancel and restored page.
#include "editor/documents/schptsch.h"
#include "editor/shell/caption.h"
#include "editor/shell/controls.h"
#include "editor/shell/pagedraw.h"
#include "editor/shell/settings.h"
#include "platform/kernel/nvokernel32.h"
#include "platform/winsys/grid.h"
#include "platform/winsys/printer.h"
#include "tests/support/raster.h"
#include "tests/support/screenshot.h"
#include "tests/view/view_fixture.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

using winsys::Printer;

class PrintDialog : public view_test::DemoTest {
protected:
    void SetUp() override
    {
        DemoTest::SetUp();
        ASSERT_TRUE(dir.isValid());
        Printer::Get().SetOutputFile(Pdf());
        Printer::Get().SetOrientation(1);
        Printer::Get().SetCopies(1);
        form = &SchptschForm();
        form->Load();
        form->Window()->show();
    }
    void TearDown() override
    {
        form->Unload();
        Printer::Get().EndDoc();
        Printer::Get().SetOutputFile("");
        DemoTest::TearDown();
    }
    std::string Pdf(const char* name = "run.pdf") const { return dir.filePath(name).toStdString(); }
    winsys::NorvoGrid& Table() { return *form->F_PrintPageSetup; }
    std::string Cell(int row, int col) { return Table().TextMatrix(row, col); }
    // A click on a cell of the page table.
    void Click(int row, int col)
    {
        Table().SetRow(row);
        Table().SetCol(col);
        form->F_PrintPageSetup_Click();
    }
    // Sets up table row `row` (from 0) at n : d and accepts.
    void SetUpRow(int row, int n = 1, int d = 4)
    {
        Click(row, 0);
        ui.ExpectPrintScale([n, d](winsys::PrintScaleRequest& r) {
            r.numerator = n;
            r.denominator = d;
            return true;
        });
        form->F_Set_Click();
        form->F_Accept_Click();
    }
    int Rows() { return Table().Rows(); }

    QTemporaryDir dir;
    SCHPTSCH* form = nullptr;
};

TEST_F(PrintDialog, TheTableListsThePagesLastFirstAllUnmarked)
{
    const int n = OM_GetCount(DB_PageMap());
    ASSERT_EQ(Rows(), n);
    EXPECT_EQ(form->F_LGrid->TextMatrix(0, 0), "Page(s):");
    EXPECT_EQ(form->F_LGrid->TextMatrix(0, 5), "Sheets:");
    // The walk's first page is in the last row.
    int32_t position = OM_GetFirst(DB_PageMap());
    const int32_t first = OM_SearchMask(DB_PageMap(), &position, 0, 0);
    EXPECT_EQ(Cell(n - 1, 0), O_GetName(OM_Object(DB_PageMap(), first)));
    for (int row = 0; row < n; ++row) EXPECT_EQ(Cell(row, 1), "No ");
    EXPECT_TRUE(form->F_Print->isEnabled());
    EXPECT_FALSE(form->F_Set->isEnabled());
    EXPECT_EQ(form->F_pageNotes->Value(), 0);
}

TEST_F(PrintDialog, ScaleTextsAndOffsets)
{
    struct Case {
        int n, d;
        const char* text;
    };
    for (const Case c : {Case{1, 1, "1. : 1"}, Case{2, 5, "1 : 2.5"}, Case{5, 2, "2.5 : 1"}}) {
        SetUpRow(0, c.n, c.d);
        EXPECT_EQ(Cell(0, 1), "Yes");
        EXPECT_EQ(Cell(0, 2), c.text);
        EXPECT_EQ(g_PrintPages(1).Sheets, g_PrintPages(1).Scale.SheetsAcross * g_PrintPages(1).Scale.SheetsDown);
        EXPECT_EQ(Cell(0, 5), std::to_string(g_PrintPages(1).Sheets));
        Click(0, 0);  // unmark for the next case
    }
    // Offsets in the display unit.
    g_UnitIndex = 0;
    SetUpRow(0);
    EXPECT_EQ(g_PrintPages(1).XOffsetText.back(), '"');
    Click(0, 0);
    g_UnitIndex = 1;
    SetUpRow(0);
    EXPECT_EQ(g_PrintPages(1).XOffsetText.substr(g_PrintPages(1).XOffsetText.size() - 2), "mm");
}

TEST_F(PrintDialog, UnmarkAndMarkAgainKeepsTheSettings)
{
    SetUpRow(0, 2, 5);
    form->F_MonoColor->SetValue(0);
    const PrintPageRec before = g_PrintPages(1);
    Click(0, 1);
    EXPECT_EQ(Cell(0, 1), "No ");
    Click(0, 1);
    EXPECT_EQ(Cell(0, 1), "Yes");
    EXPECT_EQ(g_PrintPages(1).ScaleText, before.ScaleText);
    EXPECT_EQ(g_PrintPages(1).Sheets, before.Sheets);
    // A never set-up page is not marked by a click.
    if (Rows() > 1) {
        form->F_Cancel_Click();
        Click(1, 0);
        EXPECT_EQ(Cell(1, 1), "No ");
        EXPECT_TRUE(form->F_Set->isEnabled());
    }
}

TEST_F(PrintDialog, AcceptAfterACancelledSetKeepsTheEarlierSetup)
{
    SetUpRow(0, 2, 5);
    const std::string scale = g_PrintPages(1).ScaleText;
    Click(0, 1);  // unmark
    Click(0, 0);  // mark again and set up anew
    ui.ExpectPrintScale([](winsys::PrintScaleRequest&) { return false; });
    form->F_Set_Click();
    EXPECT_TRUE(form->F_Accept->isEnabled());
    form->F_Accept_Click();
    EXPECT_EQ(g_PrintPages(1).ScaleText, scale);
    EXPECT_EQ(g_PrintPages(1).Selected, 1);
}

TEST_F(PrintDialog, AcceptKeepsTheRowSetUpWithTheOptionsOfTheBoxes)
{
    if (Rows() < 2) GTEST_SKIP();
    Click(0, 0);
    form->F_DesignNotes->SetValue(0);
    ui.ExpectPrintScale([](winsys::PrintScaleRequest&) { return true; });
    form->F_Set_Click();
    // A click on another row's scale column resets the record; Set again.
    Click(1, 3);
    ui.ExpectPrintScale([](winsys::PrintScaleRequest&) { return true; });
    form->F_Set_Click();
    form->F_Accept_Click();
    EXPECT_EQ(g_PrintPages(1).Selected, 1);
    EXPECT_EQ(g_PrintPages(1).DesignNotes, 0);
    EXPECT_EQ(g_PrintPages(1).PageNotes, 1);
    EXPECT_EQ(g_PrintPages(2).Selected, 0);
}

TEST_F(PrintDialog, EmptyBoundaryIsReported)
{
    // A page without frame, notes or pictures: a fresh page.
    ASSERT_GT(DB_CreatePage(0, "EMPTY"), 0);
    form->Unload();
    form->Load();
    int row = -1;
    for (int r = 0; r < Rows(); ++r)
        if (Cell(r, 0) == "EMPTY") row = r;
    ASSERT_GE(row, 0);
    const int32_t page = DB_CurPage();
    DB_SetCurPage(OM_FindName(DB_PageMap(), "EMPTY"));
    int32_t db = 0;
    SetMainCaption(db);
    Click(row, 0);
    form->F_pageNotes->SetValue(0);
    form->F_DesignNotes->SetValue(0);
    form->F_BitMaps->SetValue(0);
    ui.ExpectMessageBox(winsys::mb::AnswerOk, "No printing boundaries selected");
    form->F_Set_Click();
    EXPECT_EQ(form->EditRecord().Selected, 0);
    DB_SetCurPage(page);
}

TEST_F(PrintDialog, TwoPagesGoToTwoFilesAndThePageComesBack)
{
    if (Rows() < 2) GTEST_SKIP();
    SetUpRow(0);
    SetUpRow(1);
    const int32_t current = DB_CurPage();
    form->F_Print_Click();
    EXPECT_EQ(DB_CurPage(), current);
    EXPECT_EQ(palvane_test::PdfPageCount(Pdf()), g_PrintPages(1).Sheets);
    EXPECT_EQ(palvane_test::PdfPageCount(Pdf("run-2.pdf")), g_PrintPages(2).Sheets);
    EXPECT_EQ(form->F_Close->text().toStdString(), "Close");
    EXPECT_TRUE(form->F_Print->isEnabled());
    EXPECT_TRUE(Table().AllowInput());
    EXPECT_EQ(Main().m_RedrawBusy, 0);
}

TEST_F(PrintDialog, NoneMarkedPrintsNothing)
{
    form->F_Print_Click();
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(Pdf())));
    EXPECT_TRUE(form->F_Print->isEnabled());
}

TEST_F(PrintDialog, AMissingPageIsSkipped)
{
    SetUpRow(0);
    g_PrintPages(1).Name = "NO SUCH PAGE";
    form->F_Print_Click();
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(Pdf())));
}

TEST_F(PrintDialog, PauseWaitsForContinue)
{
    SetUpRow(0, 1, 1);
    ASSERT_GE(g_PrintPages(1).Sheets, 1);
    form->F_Pause->SetValue(1);
    int continues = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (form->WaitingForContinue() && form->F_Restart->isEnabled()) {
            ++continues;
            form->F_Restart_Click();
        }
    });
    timer.start(5);
    form->F_Print_Click();
    EXPECT_EQ(continues, g_PrintPages(1).Sheets);
    // Each pause ended its document: one file per sheet.
    EXPECT_EQ(Printer::Get().DocumentsEnded(), g_PrintPages(1).Sheets);
}

TEST_F(PrintDialog, CancelInThePauseEndsThePage)
{
    SetUpRow(0, 1, 1);
    form->F_Pause->SetValue(1);
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (form->WaitingForContinue() && form->F_Restart->isEnabled()) form->F_Close_Click();
    });
    timer.start(5);
    form->F_Print_Click();
    EXPECT_EQ(palvane_test::PdfPageCount(Pdf()), 1);
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(Pdf("run-2.pdf"))));
    EXPECT_FALSE(g_Printing);
}

TEST_F(PrintDialog, ClosingTheWindowInThePauseCancels)
{
    SetUpRow(0, 1, 1);
    form->F_Pause->SetValue(1);
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (form->WaitingForContinue() && form->F_Restart->isEnabled()) form->Window()->close();
    });
    timer.start(5);
    form->F_Print_Click();
    EXPECT_TRUE(form->IsLoaded());
    EXPECT_FALSE(form->Printing());
    EXPECT_EQ(palvane_test::PdfPageCount(Pdf()), 1);
}

TEST_F(PrintDialog, Screenshot)
{
    SetUpRow(0, 1, 4);
    form->Window()->show();
    const std::string path = palvane_test::SaveScreenshot(form->Window(), "SCHPTSCH");
    EXPECT_FALSE(path.empty());
}

}  // namespace
