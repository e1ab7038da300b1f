// The printer: documents into PDF files, page breaks that wait for the next
// sheet, numbered files within one print command, refused settings, and
// kernel contexts drawing with the document's painter.
#include "platform/kernel/nvokernel32.h"
#include "platform/winsys/devices.h"
#include "platform/winsys/printer.h"
#include "tests/support/kernel_fixture.h"
#include "tests/support/raster.h"

#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>

namespace {

using winsys::Printer;

class PrinterTest : public palvane_test::KernelTest {
protected:
    void SetUp() override
    {
        KernelTest::SetUp();
        ASSERT_TRUE(dir.isValid());
        Printer::Get().EndDoc();
        Printer::Get().SetOrientation(1);
        Printer::Get().SetCopies(1);
        Printer::Get().SetOutputFile(Path("out.pdf"));
        Printer::Get().StartCommand();
    }
    void TearDown() override
    {
        Printer::Get().EndDoc();
        Printer::Get().SetOutputFile("");
        KernelTest::TearDown();
    }
    std::string Path(const char* name) const { return dir.filePath(name).toStdString(); }

    // One sheet with a filled square in its middle, drawn by the kernel.
    static void DrawSheet()
    {
        Printer& printer = Printer::Get();
        ASSERT_TRUE(printer.Begin());
        winsys::Device* d = winsys::FindDevice(printer.Device());
        ASSERT_NE(d, nullptr);
        ViewDCRec view{25400, d->surface->width(), d->surface->height(), 0, 0, 0};
        ASSERT_EQ(G_OpenDC(printer.Device(), &view), 1);
        G_SetStyle(16);
        G_SetColor(0);
        G_SetDrawMode(64);
        G_Rectangle(-254000, -254000, 508000, 508000, 0);
        EXPECT_EQ(G_CloseDC(), 1);
        // Closing the kernel's context leaves the document open.
        EXPECT_TRUE(printer.DocumentOpen());
    }

    QTemporaryDir dir;
};

TEST_F(PrinterTest, SheetsDrawnAreThePagesOfTheFile)
{
    Printer& printer = Printer::Get();
    EXPECT_TRUE(printer.Installed());
    for (int sheet = 0; sheet < 3; ++sheet) {
        DrawSheet();
        printer.NewPage();
    }
    printer.EndDoc();
    EXPECT_FALSE(printer.DocumentOpen());
    // The break after the last sheet waited for a sheet that never came.
    EXPECT_EQ(palvane_test::PdfPageCount(Path("out.pdf")), 3);
    const QImage page = palvane_test::RasterizePdfPage(Path("out.pdf"), 2, 50);
    ASSERT_FALSE(page.isNull());
    // The square (0.2 inch) sits in the middle of the printable area.
    EXPECT_EQ(palvane_test::PixelAt(page, page.width() / 2, page.height() / 2), 0x000000u);
    EXPECT_EQ(palvane_test::PixelAt(page, 5, 5), 0xFFFFFFu);
}

TEST_F(PrinterTest, LaterDocumentsOfACommandGetNumberedFiles)
{
    Printer& printer = Printer::Get();
    for (int document = 0; document < 3; ++document) {
        DrawSheet();
        printer.NewPage();
        printer.EndDoc();
    }
    EXPECT_EQ(printer.DocumentsEnded(), 3);
    EXPECT_EQ(palvane_test::PdfPageCount(Path("out.pdf")), 1);
    EXPECT_EQ(palvane_test::PdfPageCount(Path("out-2.pdf")), 1);
    EXPECT_EQ(palvane_test::PdfPageCount(Path("out-3.pdf")), 1);
    // A new command writes the file's own name again.
    printer.StartCommand();
    EXPECT_EQ(printer.NextDocumentFile(), Path("out.pdf"));
}

TEST_F(PrinterTest, RefusedSettingsKeepTheOldOnes)
{
    Printer& printer = Printer::Get();
    ASSERT_TRUE(printer.SetOrientation(2));
    ASSERT_TRUE(printer.SetCopies(3));
    struct Case {
        int orientation, copies;
    };
    for (const Case c : {Case{0, 0}, Case{3, -1}, Case{-2, 10000}}) {
        EXPECT_FALSE(printer.SetOrientation(c.orientation));
        EXPECT_FALSE(printer.SetCopies(c.copies));
        EXPECT_EQ(printer.Orientation(), 2);
        EXPECT_EQ(printer.Copies(), 3);
    }
    // Nothing changes while a document is open.
    DrawSheet();
    EXPECT_FALSE(printer.SetOrientation(1));
    printer.EndDoc();
    const QSizeF size = palvane_test::PdfPageSize(Path("out.pdf"));
    EXPECT_GT(size.width(), size.height());
}

TEST_F(PrinterTest, AFileThatCannotBeWrittenDoesNotBegin)
{
    Printer& printer = Printer::Get();
    printer.SetOutputFile(Path("missing/folder/out.pdf"));
    EXPECT_FALSE(printer.Begin());
    EXPECT_FALSE(printer.DocumentOpen());
    EXPECT_EQ(G_GetDC(), 0);
}

TEST_F(PrinterTest, NoOutputAndNoSystemPrinterIsNotInstalled)
{
    Printer& printer = Printer::Get();
    printer.SetOutputFile("");
    if (printer.Installed()) GTEST_SKIP() << "this system has a default printer";
    EXPECT_FALSE(printer.Begin());
}

}  // namespace
