// Pictures of the symbol dialog, a 3 x 2 array placed on the canvas and the
// component report, for a person to look at.
#include "tests/dialogs/insertion_fixture.h"

#include "editor/dialogs/schinfob.h"
#include "editor/objects/components.h"
#include "editor/view/canvas.h"
#include "tests/support/screenshot.h"

#include <QCoreApplication>
#include <QElapsedTimer>

using namespace insertion_test;

namespace {

void Settle(Canvas* canvas)
{
    QElapsedTimer timer;
    timer.start();
    while (canvas->PaintPending() && timer.elapsed() < 2000) QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}

}  // namespace

using InsertScreens = InsertTest;

TEST_F(InsertScreens, SymbolDialogArrayAndReport)
{
    SCHMAIN& m = Main();
    g_CompRepeat = 1;
    g_ArrayCountX = 3;
    g_ArrayCountY = 2;
    ui.ExpectModeless("SCHICMPS", [&](QWidget*) {
        SCHICMPS& d = FormInstance<SCHICMPS>();
        TypeRef(d, "CAP");
        Settle(d.ViewPicture(0));
        EXPECT_FALSE(palvane_test::SaveScreenshot(d.Window(), "schicmps_symbol").empty());
        d.F_Accept()->Press();
    });
    int32_t status = 1;
    m.OpenCompDialog(status, 1, 0, 0);
    ASSERT_EQ(status, 0);
    g_CompId = g_CompInfo.Id;
    C_ReadComponent(g_CompId, &g_Comp);
    int32_t fit = 1;
    PointL extent{};
    FitCompArray(fit, g_CompId, g_ArrayCountX, g_ArrayCountY, g_ArrayStepX, g_ArrayStepY, extent, g_CompFrameSize);
    m.PlaceCompArray();
    EXPECT_GT(Comp("Unpck6"), 0);
    m.RefreshCanvas();
    Settle(m.ViewPicture);
    EXPECT_FALSE(palvane_test::SaveScreenshot(m.Window(), "array_3x2").empty());
    g_CompEntry = 0;
    m.ShowCompInfo();
    EXPECT_FALSE(palvane_test::SaveScreenshot(FormInstance<SCHINFOB>().Window(), "comp_report").empty());
}
