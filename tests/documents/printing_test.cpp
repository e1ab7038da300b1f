// Printing the current page from the page menu, the printer setup, the copy
// of a canvas box to the clipboard and a popup at a canvas point, on the
// demo design printed into PDF files.
#include "editor/documents/printing.h"
#include "editor/shell/errors.h"
#include "editor/shell/menus.h"
#include "editor/shell/pagedraw.h"
#include "platform/kernel/nvokernel32.h"
#include "platform/kernel/testing.h"
#include "editor/shell/settings.h"
#include "editor/view/canvas.h"
#include "editor/view/print_area.h"
#include "editor/view/view_state.h"
#include "platform/winsys/keyboard.h"
#include "platform/winsys/print_scale_dialog.h"
#include "platform/winsys/printer.h"
#include "tests/support/raster.h"
#include "tests/support/screenshot.h"
#include "tests/view/view_fixture.h"

#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>
#include <QTemporaryDir>

#include <algorithm>
#include <vector>

#include <gtest/gtest.h>

namespace {

using winsys::Printer;

class Printing : public view_test::DemoTest {
protected:
    void SetUp() override
    {
        DemoTest::SetUp();
        ASSERT_TRUE(dir.isValid());
        Printer::Get().SetOutputFile(Pdf());
        Printer::Get().SetOrientation(1);
        Printer::Get().SetCopies(1);
        g_PrintOrientation = 0;
        g_PrintCopies = 1;
    }
    void TearDown() override
    {
        Printer::Get().EndDoc();
        Printer::Get().SetOutputFile("");
        DemoTest::TearDown();
    }
    std::string Pdf(const char* name = "page.pdf") const { return dir.filePath(name).toStdString(); }

    // Answers the print-scale dialog with n : d; the sheets it will take
    // go to `sheets`.
    void ExpectScale(int n, int d, int* sheets = nullptr)
    {
        ui.ExpectPrintScale([n, d, sheets](winsys::PrintScaleRequest& r) {
            r.numerator = n;
            r.denominator = d;
            if (sheets) *sheets = winsys::PrintScaleDialog::SheetsAcross(r) * winsys::PrintScaleDialog::SheetsDown(r);
            return true;
        });
    }

    // Not a blank sheet: some pixels are not white.
    static bool Drawn(const QImage& page)
    {
        return !page.isNull() && palvane_test::CountPixels(page, 0xFFFFFF) < page.width() * page.height();
    }

    QTemporaryDir dir;
};

TEST_F(Printing, TheDemoPageAtOneToOneFillsItsSheets)
{
    int sheets = 0;
    ExpectScale(1, 1, &sheets);
    Main().M_Print_Click();
    ASSERT_GT(sheets, 0);
    EXPECT_EQ(palvane_test::PdfPageCount(Pdf()), sheets);
    for (int page = 1; page <= sheets; ++page)
        EXPECT_TRUE(Drawn(palvane_test::RasterizePdfPage(Pdf(), page, 20))) << "sheet " << page;
    // Everything is as before the print.
    EXPECT_FALSE(g_Printing);
    EXPECT_EQ(Main().m_RedrawBusy, 0);
    EXPECT_EQ(g_OutputDrawMode, 0);
    EXPECT_TRUE(Main().Window()->isEnabled());
    EXPECT_EQ(G_GetDC(), 0);
    EXPECT_FALSE(Printer::Get().DocumentOpen());
}

TEST_F(Printing, ScreenshotOfAPrintedSheet)
{
    ExpectScale(1, 4);
    Main().M_Print_Click();
    const QImage sheet = palvane_test::RasterizePdfPage(Pdf(), 1, 60);
    ASSERT_TRUE(Drawn(sheet));
    EXPECT_TRUE(sheet.save(QString::fromStdString(palvane_test::ScreenshotDir() + "/printed_sheet.png")));
}

// A reader of the printed page finds every text the page shows whole, as
// written: the texts are those the page drawing draws while printing
// (recorded), the reading is pdftotext's of the one sheet the page takes at
// 1 : 2. The amplifier's title, its turned capacitor values, names, values
// and labels all come out as one piece each.
TEST_F(Printing, EveryTextOfThePrintedDemoPageIsReadWhole)
{
    int sheets = 0;
    ExpectScale(1, 2, &sheets);
    Main().M_Print_Click();
    ASSERT_EQ(sheets, 1);
    // Blanks and line ends as a reader sets them apart: one blank.
    const QString read = palvane_test::PdfText(Pdf(), 1).simplified();
    ASSERT_FALSE(read.isEmpty());

    g_Printing = true;
    g_OutputDrawMode = 64;
    ASSERT_EQ(G_OpenMF(0), 1);
    DrawPage();
    const int32_t recording = G_CloseMF();
    g_Printing = false;
    g_OutputDrawMode = 0;
    ASSERT_NE(recording, 0);
    std::vector<QString> texts;
    for (int32_t i = 0; const char* text = KT_MetafileText(recording, i); ++i) {
        const QString shown = QString::fromLatin1(text).simplified();
        if (!shown.isEmpty()) texts.push_back(shown);
    }
    G_DeleteEnhMetaFile(recording);
    ASSERT_GT(texts.size(), 20u);
    EXPECT_NE(std::find(texts.begin(), texts.end(), "Inverting amplifier, gain -10"), texts.end());
    for (const QString& text : texts) EXPECT_TRUE(read.contains(text)) << text.toStdString() << " in: " << read.toStdString();
}

TEST_F(Printing, NothingShownIsNoPrintingBoundary)
{
    g_ShowPageOutline = false;
    g_ShowPageNotes = false;
    g_ShowDesNotes = false;
    g_ShowBitmaps = 0;
    ui.ExpectMessageBox(winsys::mb::AnswerOk, "No printing boundaries selected");
    Main().M_Print_Click();
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(Pdf())));
}

TEST_F(Printing, CancelledScaleWritesNoFile)
{
    ui.ExpectPrintScale([](winsys::PrintScaleRequest&) { return false; });
    Main().M_Print_Click();
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(Pdf())));
    EXPECT_EQ(Main().m_RedrawBusy, 0);
}

TEST_F(Printing, F10OnTheSecondSheetStopsThePrint)
{
    int sheets = 0;
    // A scale that takes several sheets.
    ExpectScale(4, 1, &sheets);
    // The page drawing asks for F10 before each of its stages; the first
    // sheet asks a handful of times, the second is stopped in its drawing.
    const int asksPerSheet = 7;
    ui.PressKey(winsys::vk::F10, asksPerSheet + 2);
    Main().M_Print_Click();
    ASSERT_GE(sheets, 3);
    const int pages = palvane_test::PdfPageCount(Pdf());
    EXPECT_GE(pages, 1);
    EXPECT_LT(pages, sheets);
    EXPECT_NE(Main().F_MsgLine->Caption().find("Cancelled"), std::string::npos);
    EXPECT_FALSE(g_RedrawCancelled);
    EXPECT_TRUE(Main().Window()->isEnabled());
}

// A stand-in whose F10 poll fails with a runtime error on one ask: an
// error in the middle of a sheet.
class FailingKeys : public winsys::ScriptedInteraction {
public:
    int failOn = 0;
    bool KeyPressed(int key) override
    {
        if (--failOn == 0) RaiseError(5);
        return ScriptedInteraction::KeyPressed(key);
    }
};

TEST_F(Printing, AnErrorInASheetEndsTheDocumentAndTheBusyState)
{
    FailingKeys failing;
    failing.unexpected = [](const std::string& what) { ADD_FAILURE() << what; };
    failing.ExpectPrintScale([](winsys::PrintScaleRequest&) { return true; });
    failing.failOn = 3;
    winsys::InstallInteraction(&failing);
    Main().M_Print_Click();
    winsys::InstallInteraction(&ui);
    EXPECT_FALSE(Printer::Get().DocumentOpen());
    EXPECT_EQ(G_GetDC(), 0);
    EXPECT_EQ(Main().m_CanvasDCLevel, 0);
    EXPECT_FALSE(g_Printing);
    EXPECT_EQ(Main().m_RedrawBusy, 0);
    EXPECT_TRUE(Main().Window()->isEnabled());
    // The sheet begun is in the file.
    EXPECT_EQ(palvane_test::PdfPageCount(Pdf()), 1);
}

TEST_F(Printing, APrinterThatCannotBeginIsReported)
{
    Printer::Get().SetOutputFile(dir.filePath("no/such/folder/x.pdf").toStdString());
    ui.ExpectPrintScale([](winsys::PrintScaleRequest&) { return true; });
    ui.ExpectMessageBox(winsys::mb::AnswerOk, "Can't start printing");
    Main().M_Print_Click();
    EXPECT_FALSE(Printer::Get().DocumentOpen());
    EXPECT_FALSE(g_Printing);
    EXPECT_TRUE(Main().Window()->isEnabled());
}

TEST_F(Printing, SetupInLandscapeWithThreeCopiesIsKeptForTheNextPrints)
{
    ui.ExpectPrinterSetup([](winsys::PrinterSetupRequest& r) {
        EXPECT_EQ(r.flags & 0xC, 0xC);
        r.orientation = 2;
        r.copies = 3;
        return true;
    });
    Main().M_Psetup_Click();
    EXPECT_EQ(g_PrintOrientation, 2);
    EXPECT_EQ(g_PrintCopies, 3);
    // A cancelled setup keeps them.
    ui.ExpectPrinterSetup([](winsys::PrinterSetupRequest& r) {
        r.orientation = 1;
        r.copies = 1;
        return false;
    });
    Main().M_Psetup_Click();
    EXPECT_EQ(g_PrintOrientation, 2);
    EXPECT_EQ(g_PrintCopies, 3);
    // The printer itself is put back to portrait, one copy: the print
    // applies the stored settings.
    Printer::Get().SetOrientation(1);
    Printer::Get().SetCopies(1);
    ExpectScale(1, 4);
    Main().M_Print_Click();
    EXPECT_EQ(Printer::Get().Copies(), 3);
    const QSizeF size = palvane_test::PdfPageSize(Pdf());
    EXPECT_GT(size.width(), size.height());
}

TEST_F(Printing, TheSetupChoosesTheOutputFile)
{
    const std::string chosen = Pdf("chosen.pdf");
    ui.ExpectPrinterSetup([chosen](winsys::PrinterSetupRequest& r) {
        r.outputFile = chosen;
        return true;
    });
    Main().M_Psetup_Click();
    EXPECT_EQ(Printer::Get().OutputFile(), chosen);
    EXPECT_TRUE(Printer::Get().Installed());
}

TEST_F(Printing, ScreenCopyTakesTheSameBoxWhicheverCornerComesFirst)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    g_BoxPixStart = {10, 20};
    g_BoxPixEnd = {40, 35};
    Main().CopyScreenArea();
    const QImage one = clipboard->image();
    g_BoxPixStart = {40, 35};
    g_BoxPixEnd = {10, 20};
    Main().CopyScreenArea();
    const QImage other = clipboard->image();
    ASSERT_FALSE(one.isNull());
    EXPECT_EQ(one.size(), QSize(31, 16));
    EXPECT_TRUE(palvane_test::CompareImages(one, other).Same());
    EXPECT_TRUE(palvane_test::CompareImages(one, Main().ViewPicture->Image().copy(10, 20, 31, 16)).Same());
}

TEST_F(Printing, AFailedScreenCopyKeepsTheClipboard)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setText("kept");
    // A box wholly outside the canvas copies nothing.
    g_BoxPixStart = {-50, -50};
    g_BoxPixEnd = {-20, -30};
    Main().CopyScreenArea();
    EXPECT_EQ(clipboard->text(), "kept");
}

TEST_F(Printing, PopupAtACanvasPointGivesMainWindowPixels)
{
    MenuItem* menu = MenuItem::PopupMenu(Main().Window(), "Q");
    MenuItem::Command(menu->Menu(), "Yes");
    ui.ExpectPopupMenu("");
    double x = 5, y = 7;
    Main().PopupMenuAtCursor(*menu, x, y);
    const QPoint canvas = Main().ViewPicture->mapTo(Main().Window(), QPoint(0, 0));
    EXPECT_EQ(x, 5 + canvas.x());
    EXPECT_EQ(y, 7 + canvas.y());
}

}  // namespace
