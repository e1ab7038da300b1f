// The printer: documents into PDF files, page breaks that wait for the next
// sheet, numbered files within one print command, refused settings,
// kernel contexts drawing with the document's painter, and texts that a
// reader of the file finds whole where the screen draws them.
#include "platform/kernel/nvokernel32.h"
#include "platform/winsys/devices.h"
#include "platform/winsys/printer.h"
#include "tests/support/kernel_fixture.h"
#include "tests/support/raster.h"

#include <QFileInfo>
#include <QPageLayout>
#include <QPrinter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

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

// Texts printed into a file: a reader (pdftotext) finds each as one line,
// word for word as written, over the box the text takes on the sheet,
// whatever its turn: along, a quarter, half and three quarters round,
// drawn backwards (a negative width mirrors it), under a mirrored and
// turned placement, with Latin-1 characters. The sheet shows the text's
// glyphs where a screen of the sheet's size shows them.
TEST_F(PrinterTest, PrintedTextsReadWholeOverTheirBoxes)
{
    constexpr int32_t kInch = 2540000;
    constexpr int32_t kHeight = kInch / 30;   // drawn 0.2 inch high
    constexpr int32_t kWidth = kInch * 13 / 600;  // in cells of 0.13 inch
    struct Case {
        const char* text;
        double x, y;  // inches, in the symbol
        int32_t angle;
        int32_t width;
        int symbol;  // 0 drawn as it is, 1 under a mirrored, turned placement
    } cases[] = {
        {"Inverting amplifier", -3.5, 4, 0, kWidth, 0},
        {"Turned up a quarter", -3.5, -3, 90000, kWidth, 0},
        {"Upside down", 3.5, 2.5, 180000, kWidth, 0},
        {"Turned down", 3.2, 1, 270000, kWidth, 0},
        {"Drawn backwards", 1.5, -1, 0, -kWidth, 0},
        {"Supply \xB1" "12 V, 5 \xB5" "A", -3.5, 3, 0, kWidth, 0},
        {"Mirrored part", 0.3, 0.4, 0, kWidth, 1},
        {"Mirrored and turned", 0.3, -0.6, 90000, kWidth, 1},
    };
    const int32_t symbols[2] = {S_CreateSymbol(0, "@TEXTS"), S_CreateSymbol(0, "@MIRRORED")};
    ASSERT_NE(symbols[0], 0);
    ASSERT_NE(symbols[1], 0);
    std::vector<int32_t> items;
    for (const Case& c : cases) {
        const int32_t item = I_MakeText(static_cast<int32_t>(c.x * kInch), static_cast<int32_t>(c.y * kInch), c.angle,
                                        kHeight, c.width, c.text, 0, 0, 0);
        ASSERT_NE(item, 0) << c.text;
        ASSERT_GT(OA_Add(S_SymbolItemArray(symbols[c.symbol]), item), 0) << c.text;
        items.push_back(item);
    }
    const int32_t placements[2][4] = {{0, 0, 0, 0}, {-kInch / 2, -4 * kInch, 90000, 1}};
    // The texts drawn on a context of `device` at 1 : 1 on a 300 dpi sheet.
    Printer& printer = Printer::Get();
    ASSERT_TRUE(printer.Begin());
    const QPaintDevice& sheet = *winsys::FindDevice(printer.Device())->surface;
    const ViewDCRec view{kInch / 300, sheet.width(), sheet.height(), 0, 0, 0};
    auto draw = [&](int32_t device) {
        ASSERT_EQ(G_OpenDC(device, &view), 1);
        G_SetDrawMode(64);
        for (int s = 0; s < 2; ++s) {
            const int32_t* at = placements[s];
            S_SetCompLocation(at[0], at[1], at[2], at[3]);
            EXPECT_GT(S_DrawSymbol(symbols[s], 1, 0), 0);
        }
        S_SetCompLocation(0, 0, 0, 0);
        EXPECT_EQ(G_CloseDC(), 1);
    };
    ASSERT_NO_FATAL_FAILURE(draw(printer.Device()));
    printer.EndDoc();

    // Where each text's box lies on the sheet, in points from the page's top
    // left, and in pixels of the sheet.
    const QRectF paint = printer.Qt().pageLayout().paintRect(QPageLayout::Inch);
    std::vector<QRectF> boxes;  // pixels of the sheet
    for (size_t i = 0; i < items.size(); ++i) {
        const int32_t* at = placements[cases[i].symbol];
        S_SetCompLocation(at[0], at[1], at[2], at[3]);
        ItemRec r{};
        ASSERT_EQ(I_ReadItemAbs(items[i], &r), 1);
        const double a = r.Angle * 3.14159265358979323846 / 180000.0;
        const double length = 6.0 * r.P2 * static_cast<double>(std::string(cases[i].text).size()), height = 6.0 * r.P1;
        double x1 = 1e9, y1 = 1e9, x2 = -1e9, y2 = -1e9;
        for (const auto& [along, across] : {std::pair{0.0, 0.0}, {length, 0.0}, {length, height}, {0.0, height}}) {
            const double x = r.X + along * std::cos(a) - across * std::sin(a);
            const double y = r.Y + along * std::sin(a) + across * std::cos(a);
            const double px = (x - view.X) / view.Size + view.Width / 2.0, py = view.Height / 2.0 - (y - view.Y) / view.Size;
            x1 = std::min(x1, px);
            y1 = std::min(y1, py);
            x2 = std::max(x2, px);
            y2 = std::max(y2, py);
        }
        boxes.emplace_back(QPointF(x1, y1), QPointF(x2, y2));
    }
    S_SetCompLocation(0, 0, 0, 0);
    const std::vector<palvane_test::PdfLine> lines = palvane_test::PdfLines(Path("out.pdf"), 1);
    ASSERT_FALSE(lines.empty());
    for (size_t i = 0; i < items.size(); ++i) {
        const QString text = QString::fromLatin1(cases[i].text);
        SCOPED_TRACE(cases[i].text);
        auto line = std::find_if(lines.begin(), lines.end(), [&](const auto& l) { return l.text == text; });
        ASSERT_NE(line, lines.end()) << "not read whole";
        const QRectF& px = boxes[i];
        const QRectF expected((paint.left() + px.left() / 300) * 72, (paint.top() + px.top() / 300) * 72,
                              px.width() * 72 / 300, px.height() * 72 / 300);
        const QRectF common = line->box & expected;
        const double overlap = common.width() * common.height() /
                               (line->box.width() * line->box.height() + expected.width() * expected.height() -
                                common.width() * common.height());
        EXPECT_GT(overlap, 0.7) << "read over (" << line->box.x() << ", " << line->box.y() << ") "
                                << line->box.width() << " x " << line->box.height() << ", drawn over ("
                                << expected.x() << ", " << expected.y() << ") " << expected.width() << " x "
                                << expected.height();
    }

    // The glyphs on the sheet against those of a screen of the sheet's size:
    // the ink of each text covers the same pixels within two.
    QImage screen(view.Width, view.Height, QImage::Format_RGB32);
    screen.fill(0xFFFFFFFFu);
    winsys::Device device;
    device.surface = &screen;
    device.image = &screen;
    const int32_t handle = winsys::RegisterDevice(device);
    ASSERT_NO_FATAL_FAILURE(draw(handle));
    winsys::UnregisterDevice(handle);
    const QImage page = palvane_test::RasterizePdfPage(Path("out.pdf"), 1, 300);
    ASSERT_FALSE(page.isNull());
    const QPoint offset(static_cast<int>(std::lround(paint.left() * 300)), static_cast<int>(std::lround(paint.top() * 300)));
    const QRgb back = palvane_test::PixelAt(screen, 0, 0);
    for (size_t i = 0; i < items.size(); ++i) {
        SCOPED_TRACE(cases[i].text);
        const QRect area = boxes[i].toAlignedRect().adjusted(-8, -8, 8, 8);
        QRect inkScreen, inkSheet;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x) {
                if (palvane_test::PixelAt(screen, x, y) != back) inkScreen |= QRect(x, y, 1, 1);
                // Edges a reader smooths are ink only where they are dark.
                if (qGray(palvane_test::PixelAt(page, x + offset.x(), y + offset.y())) < 128) inkSheet |= QRect(x, y, 1, 1);
            }
        ASSERT_FALSE(inkScreen.isEmpty());
        ASSERT_FALSE(inkSheet.isEmpty()) << "no glyphs on the sheet";
        EXPECT_LE(std::abs(inkScreen.left() - inkSheet.left()), 2);
        EXPECT_LE(std::abs(inkScreen.right() - inkSheet.right()), 2);
        EXPECT_LE(std::abs(inkScreen.top() - inkSheet.top()), 2);
        EXPECT_LE(std::abs(inkScreen.bottom() - inkSheet.bottom()), 2);
    }
}

}  // namespace
