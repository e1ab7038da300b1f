#include "tests/dialogs/insertion_fixture.h"

#include "editor/view/canvas.h"
#include "platform/winsys/grid.h"
#include "tests/support/raster.h"
#include "tests/support/screenshot.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QAbstractItemView>
#include <QGroupBox>
#include <QRadioButton>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <filesystem>

using namespace insertion_test;

namespace {

void WaitForPaint(Canvas* canvas)
{
    QElapsedTimer timer;
    timer.start();
    while (canvas->PaintPending() && timer.elapsed() < 2000) QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}

// The pixels of a preview, once painted, that are not its background.
int DrawnPixels(Canvas* canvas)
{
    WaitForPaint(canvas);
    const QColor back = canvas->BackColor();
    const QImage& image = canvas->Image();
    int drawn = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) != back) ++drawn;
    return drawn;
}

}  // namespace

using PartDialog = InsertTest;

TEST_F(PartDialog, AcceptCreatesTheTypedPartAtThePoint)
{
    SCHMAIN& m = Main();
    const int32_t depth = g_ModalDepth;
    const int before = CountComps();
    ui.ExpectModeless("SCHICMPD", [&](QWidget*) {
        SCHICMPD& d = FormInstance<SCHICMPD>();
        EXPECT_FALSE(m.Window()->isEnabled()) << "the main window waits";
        EXPECT_EQ(g_ModalDepth, depth + 1);
        TypeRef(d, "R");
        EXPECT_EQ(d.m_RefPartName, "R");
        EXPECT_NE(d.m_SymbIds[0], 0) << "gate symbol shown";
        EXPECT_NE(d.m_SymbIds[1], 0) << "package shown";
        d.F_Accept()->Press();
    });
    int32_t status = 1;
    m.OpenCompDialog(status, 0, 1000000, 2000000);
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(m.Window()->isEnabled());
    EXPECT_EQ(g_ModalDepth, depth);
    EXPECT_EQ(CountComps(), before + 1);
    const int32_t id = Comp("Unpck1");
    ASSERT_GT(id, 0);
    const CompRec rec = Read(id);
    EXPECT_EQ(rec.X, 1000000);
    EXPECT_EQ(rec.Y, 2000000);
    EXPECT_GT(rec.Device, 0) << "the part was made permanent";
    EXPECT_EQ(OM_Object(DB_DeviceMap(), -1), 0);
}

TEST_F(PartDialog, CancelCreatesNothingAndDropsTheTemporaries)
{
    SCHMAIN& m = Main();
    const int32_t depth = g_ModalDepth;
    const int before = CountComps();
    ui.ExpectModeless("SCHICMPD", [&](QWidget*) {
        SCHICMPD& d = FormInstance<SCHICMPD>();
        TypeRef(d, "74HC04");
        EXPECT_EQ(d.m_RefPartId, -1) << "loaded from the library as a temporary";
        d.F_Cancel()->Press();
    });
    int32_t status = 0;
    m.OpenCompDialog(status, 0, 0, 0);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(CountComps(), before);
    EXPECT_TRUE(m.Window()->isEnabled());
    EXPECT_EQ(g_ModalDepth, depth);
    EXPECT_EQ(OM_Object(DB_DeviceMap(), -1), 0);
    EXPECT_EQ(OM_Object(DB_SymbMap(), -2), 0);
}

// Each opening shows the current part with its gate symbol and package,
// both drawn: the first opening the part of the design it chose as the
// window appeared, the next one the part accepted before; Accept places it
// every time.
TEST_F(PartDialog, EveryOpeningShowsTheCurrentPartDrawnAndAccepts)
{
    SCHMAIN& m = Main();
    std::string first;
    auto expectShown = [](SCHICMPD& d) {
        EXPECT_NE(d.m_SymbIds[0], 0) << "gate symbol";
        EXPECT_NE(d.m_SymbIds[1], 0) << "package";
        EXPECT_FALSE(d.m_SymbNames[0].empty());
        EXPECT_FALSE(d.m_SymbNames[1].empty());
        EXPECT_GT(DrawnPixels(d.ViewPicture(0)), 0) << "the gate symbol is drawn";
        EXPECT_GT(DrawnPixels(d.ViewPicture(1)), 0) << "the package is drawn";
    };
    ui.ExpectModeless("SCHICMPD", [&](QWidget*) {
        SCHICMPD& d = FormInstance<SCHICMPD>();
        first = d.m_RefPartName;
        EXPECT_FALSE(first.empty()) << "a part of the design is chosen";
        expectShown(d);
        d.F_Accept()->Press();
    });
    int32_t status = 1;
    m.OpenCompDialog(status, 0, 0, 0);
    EXPECT_EQ(status, 0);
    ui.ExpectModeless("SCHICMPD", [&](QWidget*) {
        SCHICMPD& d = FormInstance<SCHICMPD>();
        EXPECT_EQ(d.m_RefPartName, first);
        expectShown(d);
        palvane_test::SaveScreenshot(d.Window(), "part_dialog_second_opening");
        d.F_Accept()->Press();
    });
    status = 1;
    m.OpenCompDialog(status, 0, 2540000, 0);
    EXPECT_EQ(status, 0);
    EXPECT_GT(Comp("Unpck1"), 0);
    EXPECT_GT(Comp("Unpck2"), 0);
    EXPECT_EQ(ui.pending(), 0u);
}

// An Accept left over from another dialog, and a dialog that ends without
// its own buttons (closed, or nothing answered), create nothing.
TEST_F(PartDialog, StaleAcceptOrUnansweredDialogCreatesNothing)
{
    SCHMAIN& m = Main();
    const int before = CountComps();
    g_DlgAccepted = true;
    ui.ExpectModeless("SCHICMPD", [&](QWidget*) { TypeRef(FormInstance<SCHICMPD>(), "R"); });
    int32_t status = 0;
    m.OpenCompDialog(status, 0, 0, 0);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(CountComps(), before);
    EXPECT_FALSE(g_InsertDlgOpen);
    EXPECT_TRUE(m.Window()->isEnabled());
}

// The settings reload unloads an open dialog as its Cancel: the temporaries
// go, the host link forgets the search, the opener's wait ends.
TEST_F(PartDialog, UnloadBySettingsDropsTemporariesAndTheSearch)
{
    SCHICMPD& d = FormInstance<SCHICMPD>();
    d.Load();
    EXPECT_EQ(link->SearchKind(), "PART");
    TypeRef(d, "74HC04");
    ASSERT_EQ(d.m_RefPartId, -1);
    g_InsertDlgOpen = true;
    d.CancelDialog();
    EXPECT_FALSE(d.IsLoaded());
    EXPECT_FALSE(g_PartDlgLoaded);
    EXPECT_FALSE(g_InsertDlgOpen);
    EXPECT_EQ(link->SearchKind(), "");
    EXPECT_EQ(OM_Object(DB_DeviceMap(), -1), 0);
    EXPECT_EQ(OM_Object(DB_SymbMap(), -1), 0);
}

TEST_F(PartDialog, UnknownBlankAndOverlongNames)
{
    SCHICMPD& d = FormInstance<SCHICMPD>();
    d.Load();
    ui.ExpectMessageBox(1, "Can't find Part: ");
    TypeRef(d, "NOSUCHPART");
    EXPECT_EQ(d.m_RefPartId, 0);
    TypeRef(d, "R");
    ASSERT_EQ(d.m_RefPartName, "R");
    TypeRef(d, "   ");
    EXPECT_EQ(d.m_RefPartId, 0) << "a blank name drops the part";
    ui.Beep();  // keep the beep count explicit below
    const size_t asked = ui.asked().size();
    g_DlgAccepted = false;
    d.F_Accept()->Press();
    EXPECT_FALSE(g_DlgAccepted);
    ASSERT_GT(ui.asked().size(), asked);
    EXPECT_EQ(ui.asked().back().kind, "Beep");
    ui.ExpectMessageBox(1, "Can't find Part: ");
    TypeRef(d, std::string(300, 'X'));
    EXPECT_EQ(d.m_RefPartId, 0);
}

// The user clicks a row of the library grid.
void ClickLibraryRow(winsys::NorvoGrid* grid, int row)
{
    grid->scrollToItem(grid->item(row, 1));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(grid->model()->index(row, 1)).center());
}

// The user opens a drop-down list, moves to the entry named `name` and
// takes it with Enter.
void ChooseInList(ComboBox* box, const std::string& name)
{
    const int index = box->findText(QString::fromStdString(name), Qt::MatchExactly);
    ASSERT_GE(index, 0) << name;
    box->showPopup();
    QAbstractItemView* view = box->view();
    ASSERT_TRUE(view->isVisible());
    view->setCurrentIndex(view->model()->index(index, box->modelColumn()));
    QTest::keyClick(view, Qt::Key_Return);
    EXPECT_FALSE(view->isVisible());
}

// The user types a part name into the part field and presses Enter.
void TypePart(InsertionDialog& d, const std::string& name)
{
    d.F_Cref()->setFocus();
    d.F_Cref()->selectAll();
    QTest::keyClicks(d.F_Cref(), QString::fromStdString(name));
    QTest::keyClick(d.F_Cref(), Qt::Key_Return);
}

// A part whose package is in no library (the package libraries are taken
// away): the part is found and its device loaded, the package is reported
// by name and the part does not become current, so there is nothing to
// show or accept; the device stays loaded until Cancel drops it, and the
// design is left as it was. Reached by typing the name and by choosing it
// in the library list.
TEST_F(PartDialog, APartWhosePackageIsMissingIsReportedAndNotMadeCurrent)
{
    SCHMAIN& m = Main();
    g_LayLibs.Redim(0, 0);
    const int32_t devicesBefore = OM_GetCount(DB_DeviceMap());
    const int compsBefore = CountComps();
    for (const bool typed : {true, false}) {
        SCOPED_TRACE(typed ? "typed" : "chosen in the library list");
        ui.ExpectModeless("SCHICMPD", [&](QWidget*) {
            SCHICMPD& d = FormInstance<SCHICMPD>();
            if (typed) {
                ui.ExpectMessageBox(1, "Can't find Symbol/Package: DIP14");
                TypePart(d, "74HC04");
            } else {
                // The row loads the file's first part, 74HC00, whose
                // package is missing as well.
                ui.ExpectMessageBox(1, "Can't find Symbol/Package: DIP14");
                ClickLibraryRow(d.F_Libs(), 2);  // ics.ndl
                EXPECT_EQ(ui.pending(), 0u);
                ui.ExpectMessageBox(1, "Can't find Symbol/Package: DIP14");
                ChooseInList(d.F_BrowseList(0), "74HC04");
            }
            EXPECT_EQ(ui.pending(), 0u) << "the missing package is reported";
            const int32_t loaded = D_Device(-1);
            ASSERT_NE(loaded, 0) << "the device loaded for the part stays";
            EXPECT_STREQ(O_GetName(loaded), "74HC04");
            EXPECT_EQ(OM_GetCount(DB_DeviceMap()), devicesBefore) << "as a temporary, not a part of the design";
            EXPECT_EQ(d.m_RefPartId, 0) << "no current part";
            EXPECT_EQ(d.m_RefPartName, "");
            EXPECT_EQ(d.F_Cref()->Text(), "");
            EXPECT_EQ(d.m_SymbIds[0], 0);
            EXPECT_EQ(d.m_SymbIds[1], 0);
            EXPECT_EQ(d.F_BrowseList(2)->ListCount(), 0) << "no gates";
            EXPECT_EQ(d.F_SmbFrame(1)->title().toStdString(), "Package: ");
            EXPECT_EQ(DrawnPixels(d.ViewPicture(0)), 0);
            EXPECT_EQ(DrawnPixels(d.ViewPicture(1)), 0);
            const size_t asked = ui.asked().size();
            QTest::mouseClick(d.F_Accept(), Qt::LeftButton);
            ASSERT_GT(ui.asked().size(), asked);
            EXPECT_EQ(ui.asked().back().kind, "Beep") << "nothing to accept";
            QTest::mouseClick(d.F_Cancel(), Qt::LeftButton);
        });
        int32_t status = 0;
        m.OpenCompDialog(status, 0, 0, 0);
        EXPECT_EQ(status, 1);
        EXPECT_EQ(D_Device(-1), 0) << "Cancel drops the device";
        EXPECT_EQ(OM_GetCount(DB_DeviceMap()), devicesBefore);
        EXPECT_EQ(CountComps(), compsBefore);
    }
}

// A part chosen from one library file, the dialog closed (by Accept or
// Cancel) and opened again, a part chosen from another file: every line of
// the dialog that names a part or a library names the new one; the list of
// the design's parts shows no part of an earlier choice.
TEST_F(PartDialog, AfterReopeningAPartOfAnotherLibraryIsShownAsSuch)
{
    SCHMAIN& m = Main();
    for (const bool accepted : {true, false}) {
        SCOPED_TRACE(accepted ? "closed by Accept" : "closed by Cancel");
        ui.ExpectModeless("SCHICMPD", [&](QWidget*) {
            SCHICMPD& d = FormInstance<SCHICMPD>();
            ClickLibraryRow(d.F_Libs(), 1);  // discrete.ndl
            ChooseInList(d.F_BrowseList(0), "C");
            ASSERT_EQ(d.m_RefPartName, "C");
            QTest::mouseClick(accepted ? d.F_Accept() : d.F_Cancel(), Qt::LeftButton);
        });
        int32_t status = 0;
        m.OpenCompDialog(status, 0, 0, 0);
        ASSERT_EQ(status, accepted ? 0 : 1);
        ui.ExpectModeless("SCHICMPD", [&](QWidget*) {
            SCHICMPD& d = FormInstance<SCHICMPD>();
            ClickLibraryRow(d.F_Libs(), 2);  // ics.ndl
            EXPECT_EQ(d.m_RefPartName, "74HC00") << "the first part of the file";
            EXPECT_EQ(LibraryFileName(d.m_RefPartLib), "ics.ndl");
            EXPECT_EQ(d.F_LibName()->Caption(), "ICS.NDL");
            EXPECT_EQ(d.F_BrowseList(0)->Text(), "74HC00");
            EXPECT_EQ(d.F_BrowseList(1)->Text(), "") << "the design holds no 74HC00";
            EXPECT_EQ(d.F_Cref()->Text(), "74HC00");
            EXPECT_EQ(d.F_Slibname(0)->Caption(), "ics.nsl");
            EXPECT_EQ(d.F_Slibname(1)->Caption(), "ics.npl");
            // Back to a part of the design: the library list shows it
            // only when it lists it.
            ChooseInList(d.F_BrowseList(1), "R");
            EXPECT_EQ(d.m_RefPartLib, "Local library");
            EXPECT_EQ(d.F_BrowseList(0)->Text(), "");
            EXPECT_EQ(d.F_BrowseList(1)->Text(), "R");
            QTest::mouseClick(d.F_Cancel(), Qt::LeftButton);
        });
        m.OpenCompDialog(status, 0, 0, 0);
    }
    EXPECT_EQ(ui.pending(), 0u);
}

struct FieldCase {
    const char* field;  // "rot", "count", "pitch"
    const char* text;
    bool accepted;
    int32_t stored;
};

class GeometryFields : public InsertTest, public ::testing::WithParamInterface<FieldCase> {};

TEST_P(GeometryFields, TakeInRangeValuesAndBeepOtherwise)
{
    const FieldCase& c = GetParam();
    SCHICMPD& d = FormInstance<SCHICMPD>();
    d.Load();
    d.F_Mcunit(0)->setChecked(true);
    d.F_Mcunit_Click(0);
    g_CompAngle = 90000;
    g_ArrayCountX = 2;
    g_ArrayStepX = 254000;
    const std::string field = c.field;
    TextBox* box = field == "rot" ? d.F_Crot() : field == "count" ? d.F_Cstep(0) : d.F_Cpitch(0);
    box->SetText(c.text);
    const size_t asked = ui.asked().size();
    int key = 13;
    if (field == "rot") d.F_Crot_KeyPress(key);
    if (field == "count") d.F_Cstep_KeyPress(0, key);
    if (field == "pitch") d.F_Cpitch_KeyPress(0, key);
    EXPECT_EQ(key, 0) << "Enter is swallowed";
    const int32_t value = field == "rot" ? g_CompAngle : field == "count" ? g_ArrayCountX : g_ArrayStepX;
    const bool beeped = ui.asked().size() > asked && ui.asked().back().kind == "Beep";
    EXPECT_EQ(beeped, !c.accepted) << c.text;
    EXPECT_EQ(value, c.stored) << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Table, GeometryFields,
    ::testing::Values(FieldCase{"rot", "360", true, 360000}, FieldCase{"rot", "-1", false, 90000},
                      FieldCase{"rot", "361", false, 90000}, FieldCase{"rot", "45,5", true, 45500},
                      FieldCase{"rot", "abc", true, 0}, FieldCase{"count", "0", false, 2},
                      FieldCase{"count", "0.3", false, 2}, FieldCase{"count", "100", true, 100},
                      FieldCase{"count", "100.4", true, 100}, FieldCase{"count", "101", false, 2},
                      FieldCase{"pitch", "0.2", true, 508000}, FieldCase{"pitch", "0", false, 254000},
                      FieldCase{"pitch", "-0.1", false, 254000}, FieldCase{"pitch", "100", false, 254000}));

TEST_F(PartDialog, UnitSwitchShowsTheStoredPitchInTheOtherUnit)
{
    SCHICMPD& d = FormInstance<SCHICMPD>();
    d.Load();
    g_ArrayStepX = 254000;
    d.F_Mcunit_Click(1);
    EXPECT_NE(d.F_Cpitch(0)->Text().find("mm"), std::string::npos) << d.F_Cpitch(0)->Text();
    EXPECT_NE(d.F_Cpitch(0)->Text().find("2.54"), std::string::npos) << d.F_Cpitch(0)->Text();
    EXPECT_EQ(g_ArrayStepX, 254000);
}

TEST_F(PartDialog, LibraryGridListsThePartFilesAndReadsARowOnce)
{
    SCHICMPD& d = FormInstance<SCHICMPD>();
    d.Load();
    winsys::NorvoGrid* grid = d.F_Libs();
    ASSERT_EQ(grid->Rows(), 4);
    EXPECT_EQ(grid->TextMatrix(1, 1), "discrete.ndl");
    grid->SetRow(1);
    d.F_Libs_Click();
    EXPECT_GT(d.F_BrowseList(0)->ListCount(), 0);
    EXPECT_NE(d.F_Count(0)->Caption().find(" item(s)"), std::string::npos);
    EXPECT_FALSE(d.m_RefPartName.empty()) << "the first part of the file is loaded at once";
    const int count = d.F_BrowseList(0)->ListCount();
    d.F_BrowseList(0)->Clear();
    d.F_Libs_Click();
    EXPECT_EQ(d.F_BrowseList(0)->ListCount(), 0) << "the same row is not read again";
    (void)count;
}

TEST_F(PartDialog, PreviewScalesAndScreenshot)
{
    SCHICMPD& d = FormInstance<SCHICMPD>();
    d.Load();
    d.Show();
    TypeRef(d, "74HC00");
    ASSERT_NE(d.m_SymbIds[0], 0);
    // The fitted scale with the base scale added as a margin.
    const double bases[2] = {2540, 5080};
    for (int i = 0; i < 2; ++i) {
        const int32_t* f = d.m_PreviewFrames[i];
        const QSize size = d.ViewPicture(i)->ClientSize();
        const double zoom = std::max(double(f[2] - f[0]) / size.width(), double(f[3] - f[1]) / size.height());
        EXPECT_EQ(d.m_PreviewScale[i], zoom <= 1 ? bases[i] : std::nearbyint(bases[i] + zoom)) << i;
        EXPECT_EQ(d.m_PreviewX[i], -std::lround(f[0] + (f[2] - f[0]) / 2.0)) << i;
    }
    WaitForPaint(d.ViewPicture(0));
    WaitForPaint(d.ViewPicture(1));
    const QColor back = d.ViewPicture(0)->BackColor();
    int drawn = 0;
    const QImage& image = d.ViewPicture(0)->Image();
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) != back) ++drawn;
    EXPECT_GT(drawn, 0) << "the gate symbol is drawn";
    const char* dir = std::getenv("PALVANE_SCREENS_DIR");
    std::string path = palvane_test::SaveScreenshot(d.Window(), "schicmpd_part");
    EXPECT_FALSE(path.empty());
    if (dir && !path.empty()) std::filesystem::copy_file(path, std::string(dir) + "/schicmpd_part.png",
                                                          std::filesystem::copy_options::overwrite_existing);
    d.F_Cancel()->Press();
}

TEST_F(PartDialog, ZeroFrameSymbolTakesTheBaseScale)
{
    SCHICMPS& d = FormInstance<SCHICMPS>();
    d.Load();
    d.m_CurSymbId = 0;
    d.FitPreview(0);
    EXPECT_EQ(d.m_PreviewScale[0], 5080);
    EXPECT_EQ(d.m_PreviewX[0], 0);
    EXPECT_EQ(d.m_PreviewY[0], 0);
}

TEST(PreviewScale, BaseScaleIsAMarginOnTheFittedScale)
{
    struct Case {
        int32_t base;
        double w, h;
        int W, H;
        int32_t scale;
    } cases[] = {
        {2540, 100, 50, 200, 200, 2540},            // fits at one unit per pixel
        {2540, 2000000, 10, 200, 200, 12540},       // 10,000 times the picture, by its width
        {5080, 10, 2000000, 200, 200, 15080},       // by its height
        {2540, 0, 0, 200, 200, 2540},               // a zero frame
        {5080, 2000000, 2000000, 0, 200, 5080},     // a picture without area
    };
    for (const Case& c : cases) EXPECT_EQ(PreviewScaleFor(c.base, c.w, c.h, c.W, c.H), c.scale) << c.w << "x" << c.h;
}

using SymbolDialog = InsertTest;

TEST_F(SymbolDialog, AcceptDescribesAComponentWithoutAPart)
{
    SCHMAIN& m = Main();
    g_CompMirror = 1;
    g_CompAngle = 90000;
    ui.ExpectModeless("SCHICMPS", [&](QWidget*) {
        SCHICMPS& d = FormInstance<SCHICMPS>();
        TypeRef(d, "CAP");
        EXPECT_EQ(d.m_CurSymbId, -2);
        d.F_Accept()->Press();
    });
    int32_t status = 1;
    m.OpenCompDialog(status, 1, 500000, 0);
    ASSERT_EQ(status, 0);
    EXPECT_EQ(g_CompInfo.Device, 0);
    const CompRec rec = Read(g_CompInfo.Id);
    EXPECT_EQ(rec.Device, 0);
    EXPECT_GT(rec.Symb, 0);
    EXPECT_EQ(rec.Flags & 2, 2) << "mirrored";
    EXPECT_EQ(rec.Angle, 90000);
}

using ArrayPlacement = InsertTest;

TEST_F(ArrayPlacement, ThreeByTwoInRowOrderWithNamesAndMirror)
{
    SCHMAIN& m = Main();
    const int32_t first = Comp("R1");
    ASSERT_GT(first, 0);
    CompRec rec = Read(first);
    rec.X = 1000000;
    rec.Y = 0;
    rec.Flags |= 2;
    O_ChangePosition(OM_Object(DB_SchCompMap(), first), 1000000, 0);
    C_ChangeCompDispAttr(first, rec.Angle, 1);
    g_CompId = first;
    g_Comp = Read(first);
    g_ArrayCountX = 3;
    g_ArrayCountY = 2;
    g_ArrayStepX = g_ArrayStepY = 254000;
    g_CompFrameSize.X = 500000;
    g_CompFrameSize.Y = 300000;
    m.PlaceCompArray();
    const int32_t expect[5][2] = {{2, 1}, {3, 1}, {1, 2}, {2, 2}, {3, 2}};
    for (int i = 0; i < 5; ++i) {
        const std::string name = "Unpck" + std::to_string(i + 1);
        const int32_t id = Comp(name);
        ASSERT_GT(id, 0) << name;
        const CompRec copy = Read(id);
        EXPECT_EQ(copy.X, 1000000 + (expect[i][0] - 1) * 754000) << name;
        EXPECT_EQ(copy.Y, (expect[i][1] - 1) * 554000) << name;
        EXPECT_EQ(copy.Flags & 2, 2) << name << " is mirrored";
        EXPECT_EQ(copy.Device, g_Comp.Device);
    }
    EXPECT_EQ(Read(Comp("Unpck2")).X, 2508000);
    EXPECT_EQ(g_CompId, Comp("Unpck5")) << "the last copy is current";
}

TEST_F(ArrayPlacement, NamesTakeTheSmallestFreeNumbers)
{
    SCHMAIN& m = Main();
    const int32_t first = Comp("R1");
    ASSERT_NE(O_Rename(C_Component(first), "Unpck2"), 0);
    g_CompId = first;
    g_Comp = Read(first);
    g_ArrayCountX = 4;
    g_CompFrameSize = {500000, 500000};
    m.PlaceCompArray();
    EXPECT_GT(Comp("Unpck1"), 0);
    EXPECT_GT(Comp("Unpck3"), 0);
    EXPECT_GT(Comp("Unpck4"), 0);
    EXPECT_EQ(Comp("Unpck2"), first);
}

TEST_F(ArrayPlacement, OneByOneCreatesNothingAndTheBoundStopsCopies)
{
    SCHMAIN& m = Main();
    const int32_t first = Comp("R1");
    g_CompId = first;
    g_Comp = Read(first);
    g_CompFrameSize.X = 500000;
    g_CompFrameSize.Y = 500000;
    const int before = CountComps();
    m.PlaceCompArray();
    EXPECT_EQ(CountComps(), before);
    g_ArrayCountX = 3;
    g_ArrayStepX = 150000000;
    ui.ExpectMessageBox(1, "Can't create Component");
    m.PlaceCompArray();
    EXPECT_EQ(CountComps(), before + 1) << "the copy inside the bound stays";
}
