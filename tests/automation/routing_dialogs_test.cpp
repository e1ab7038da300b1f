// The router's option dialogs: captions by unit, the step kept, the close
// box storing nothing, the preload boxes.
#include "tests/automation/routing_fixture.h"

#include "editor/shell/dlgservices.h"
#include "editor/shell/settings.h"
#include "tests/support/screenshot.h"

#include <QRadioButton>

namespace routing_test {
namespace {

TEST_F(RoutingTest, RouteStepShowsTheStepInMillimetresAndKeepsTheChoice)
{
    Use();
    Enter();
    g_UnitIndex = 1;
    ui.ExpectModal("RouteStep", [](QWidget*) {
        RouteStep& d = FormInstance<RouteStep>();
        EXPECT_TRUE(d.step(3)->isChecked());
        EXPECT_EQ(d.step(3)->text().toStdString(), "1.270 mm");
        palvane_test::SaveScreenshot(d.Window(), "routing_routestep_mm");
        d.step(5)->click();
        d.BOk()->Press();
    });
    ShowModal(FormInstance<RouteStep>());
    EXPECT_EQ(SCR_GetStepIndex(), 5);
    g_UnitIndex = 0;
    ui.ExpectModal("RouteStep", [](QWidget*) {
        RouteStep& d = FormInstance<RouteStep>();
        EXPECT_TRUE(d.step(5)->isChecked());
        EXPECT_EQ(d.step(0)->text().toStdString(), "0.010\"");
        d.step(1)->click();  // closed without Accept
    });
    ShowModal(FormInstance<RouteStep>());
    EXPECT_EQ(SCR_GetStepIndex(), 5);
}

TEST_F(RoutingTest, PreloadDialogShowsTheBitsAndStoresZero)
{
    Use();
    ui.ExpectModal("SCHRTLP", [](QWidget*) {
        SCHRTLP& d = FormInstance<SCHRTLP>();
        EXPECT_EQ(d.PrKey(0)->Value(), 1);
        EXPECT_EQ(d.PrKey(1)->Value(), 0);
        EXPECT_EQ(d.PrKey(2)->Value(), 1);
        palvane_test::SaveScreenshot(d.Window(), "routing_schrtlp");
        d.PrKey(0)->SetValue(0);
        d.PrKey(2)->SetValue(0);
        d.ButOk()->Press();
    });
    ShowModal(FormInstance<SCHRTLP>());
    int32_t bits = -1;
    SCR_GetPreloadBits(&bits);
    EXPECT_EQ(bits, 0);
    // The close box stores nothing.
    ui.ExpectModal("SCHRTLP", [](QWidget*) { FormInstance<SCHRTLP>().PrKey(1)->SetValue(1); });
    ShowModal(FormInstance<SCHRTLP>());
    SCR_GetPreloadBits(&bits);
    EXPECT_EQ(bits, 0);
}

}  // namespace
}  // namespace routing_test
