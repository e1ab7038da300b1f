// Where printed drawing lands: the demo page at 1 : 1 on A4 sheets and a tall
// page tiled 2 x 3, each sheet rasterised from the PDF and compared with the
// view the scale setup gave it.
#include "editor/documents/schptsch.h"
#include "editor/shell/settings.h"
#include "editor/shell/textnum.h"
#include "platform/kernel/nvokernel32.h"
#include "platform/winsys/grid.h"
#include "platform/winsys/printer.h"
#include "tests/support/design_builder.h"
#include "tests/support/raster.h"
#include "tests/view/view_fixture.h"

#include <QApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <QTemporaryDir>

#include <cmath>

#include <gtest/gtest.h>

namespace {

using winsys::Printer;

constexpr int32_t kTenth = 254000;  // 0.1 inch in database units
constexpr double kDpi = 100;        // rasterising resolution
constexpr int kPrinterDpi = 300;

// A 12 x 28 inch page: two A4 sheets across and three down at 1 : 1. Its
// only drawing besides the frame is a filled inch square near the top right.
constexpr const char* kTallPage = R"(
unit 0.1in
design T
level MAIN
page Tall frame 12in 28in
  rect 45 120 10 10 filled
end
)";

class PrintTiling : public view_test::DemoTest {
protected:
    void SetUp() override
    {
        DemoTest::SetUp();
        ASSERT_TRUE(dir.isValid());
        Printer::Get().SetOutputFile(Pdf());
        Printer::Get().SetOrientation(1);
        Printer::Get().SetCopies(1);
        pageSize = Printer::Get().Qt().pageLayout().pageSize();
        Printer::Get().Qt().setPageSize(QPageSize(QPageSize::A4));
    }
    void TearDown() override
    {
        if (form) form->Unload();
        Printer::Get().EndDoc();
        Printer::Get().SetOutputFile("");
        Printer::Get().Qt().setPageSize(pageSize);
        DemoTest::TearDown();
    }
    std::string Pdf() const { return dir.filePath("tiles.pdf").toStdString(); }

    // Opens the print dialog, sets up the page named `name` at 1 : 1 and
    // prints it; its setup is returned in `setup`.
    void PrintAtOneToOne(const std::string& name, PrintPageRec& setup)
    {
        form = &SchptschForm();
        form->Load();
        form->Window()->show();
        winsys::NorvoGrid& table = *form->F_PrintPageSetup;
        int element = 0;
        for (int row = 0; row < table.Rows(); ++row)
            if (Trim(g_PrintPages(row + 1).Name) == name) element = row + 1;
        ASSERT_GT(element, 0) << name;
        table.SetRow(element - 1);
        table.SetCol(0);
        form->F_PrintPageSetup_Click();
        ui.ExpectPrintScale([](winsys::PrintScaleRequest& r) {
            r.numerator = 1;
            r.denominator = 1;
            return true;
        });
        form->F_Set_Click();
        form->F_Accept_Click();
        setup = g_PrintPages(element);
        ASSERT_NE(setup.Selected, 0);
        form->F_Print_Click();
    }

    // The PDF page and raster pixel at which the sheets of `s` show the
    // page point (x, y); page 0 when no sheet holds it.
    struct Spot {
        int page = 0;
        int px = 0, py = 0;
    };
    static Spot Locate(const PrintScaleRec& s, int32_t x, int32_t y)
    {
        const double left = s.View.X - s.StepX / 2.0, bottom = s.View.Y - s.StepY / 2.0;
        const int col = static_cast<int>(std::floor((x - left) / s.StepX));
        const int row = static_cast<int>(std::floor((y - bottom) / s.StepY));
        if (col < 0 || col >= s.SheetsAcross || row < 0 || row >= s.SheetsDown) return {};
        // Sheets run along a row from the left, rows from the bottom up.
        const double sheetLeft = left + col * static_cast<double>(s.StepX);
        const double sheetTop = bottom + (row + 1) * static_cast<double>(s.StepY);
        const QRectF paint = Printer::Get().Qt().pageLayout().paintRect(QPageLayout::Inch);
        Spot spot;
        spot.page = row * s.SheetsAcross + col + 1;
        spot.px = static_cast<int>(std::lround((paint.left() + (x - sheetLeft) / s.View.Size / kPrinterDpi) * kDpi));
        spot.py = static_cast<int>(std::lround((paint.top() + (sheetTop - y) / s.View.Size / kPrinterDpi) * kDpi));
        return spot;
    }

    // Pixels that are not white in the square of radius r about (x, y).
    static int InkAround(const QImage& image, int x, int y, int r)
    {
        int ink = 0;
        for (int j = y - r; j <= y + r; ++j)
            for (int i = x - r; i <= x + r; ++i)
                if (i >= 0 && j >= 0 && i < image.width() && j < image.height() &&
                    palvane_test::PixelAt(image, i, j) != 0xFFFFFF)
                    ++ink;
        return ink;
    }

    QTemporaryDir dir;
    QPageSize pageSize;
    SCHPTSCH* form = nullptr;
};

TEST_F(PrintTiling, DemoPageOnA4SheetsPutsAComponentWhereTheViewDoes)
{
    PrintPageRec setup;
    ASSERT_NO_FATAL_FAILURE(PrintAtOneToOne("Amplifier", setup));
    const PrintScaleRec& s = setup.Scale;
    ASSERT_GT(s.SheetsAcross * s.SheetsDown, 1) << "11 x 8.5 inches take more than one A4 sheet";
    ASSERT_EQ(palvane_test::PdfPageCount(Pdf()), s.SheetsAcross * s.SheetsDown);
    for (int page = 1; page <= s.SheetsAcross * s.SheetsDown; ++page) {
        const QImage sheet = palvane_test::RasterizePdfPage(Pdf(), page, static_cast<int>(kDpi));
        ASSERT_FALSE(sheet.isNull()) << "sheet " << page;
        EXPECT_LT(palvane_test::CountPixels(sheet, 0xFFFFFF), sheet.width() * sheet.height()) << "blank sheet " << page;
    }
    // R1's zig-zag crosses its own origin; the point mirrored about R1's
    // axis and an empty spot of the page stay white.
    struct Probe {
        const char* name;
        int32_t x, y;
        bool ink;
    } probes[] = {
        {"R1's body", -10 * kTenth, kTenth, true},
        {"below R1's body", -10 * kTenth, -kTenth, false},
        {"empty page", -40 * kTenth, -30 * kTenth, false},
    };
    for (const Probe& p : probes) {
        const Spot spot = Locate(s, p.x, p.y);
        ASSERT_GT(spot.page, 0) << p.name;
        const QImage sheet = palvane_test::RasterizePdfPage(Pdf(), spot.page, static_cast<int>(kDpi));
        EXPECT_EQ(InkAround(sheet, spot.px, spot.py, 2) > 0, p.ink) << p.name << " on sheet " << spot.page;
    }
}

TEST_F(PrintTiling, TwoByThreeSheetsWithTheMarkerOnItsSheet)
{
    ASSERT_TRUE(palvane_test::BuildDesign(kTallPage));
    Main().LoadSettings();
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
    PrintPageRec setup;
    ASSERT_NO_FATAL_FAILURE(PrintAtOneToOne("Tall", setup));
    const PrintScaleRec& s = setup.Scale;
    ASSERT_EQ(s.SheetsAcross, 2);
    ASSERT_EQ(s.SheetsDown, 3);
    ASSERT_EQ(palvane_test::PdfPageCount(Pdf()), 6);
    // The square's centre, (5, 12.5) inches.
    const Spot marker = Locate(s, 50 * kTenth, 125 * kTenth);
    ASSERT_GT(marker.page, 0);
    EXPECT_EQ(marker.page, 6) << "top row, right sheet";
    const int r = 3, box = (2 * r + 1) * (2 * r + 1);
    for (int page = 1; page <= 6; ++page) {
        const QImage sheet = palvane_test::RasterizePdfPage(Pdf(), page, static_cast<int>(kDpi));
        ASSERT_FALSE(sheet.isNull()) << "sheet " << page;
        EXPECT_LT(palvane_test::CountPixels(sheet, 0xFFFFFF), sheet.width() * sheet.height()) << "blank sheet " << page;
        EXPECT_EQ(InkAround(sheet, marker.px, marker.py, r) == box, page == marker.page) << "sheet " << page;
    }
}

}  // namespace
