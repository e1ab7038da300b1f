// PLCPARAM: the length and count rules, the first-load defaults, Accept
// and Cancel, and the generation switch; PLSGLPAR: the step lists.
#include "editor/automation/placement_settings.h"
#include "editor/automation/plcparam.h"
#include "editor/automation/plsglpar.h"
#include "editor/shell/controls.h"
#include "editor/shell/dlgservices.h"
#include "editor/shell/textnum.h"
#include "tests/automation/placement_fixture.h"
#include "tests/support/screenshot.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using placement_test::PlacementTest;

TEST(PlcParamRules, LengthsAreInchesWithinTheirLimits)
{
    struct Case {
        const char* text;
        double inches;
    } cases[] = {{"0", 0.01}, {"2", 0.5}, {"0.1\"", 0.1}, {"0,25", 0.25}, {"", 0.01}, {"-1", 0.01}, {"abc", 0.01}};
    for (const Case& c : cases) {
        const std::string shown = NormalizeLength(c.text);
        EXPECT_EQ(shown.back(), '"') << c.text;
        EXPECT_NEAR(ParseNum(shown), c.inches, 1e-9) << c.text << " -> " << shown;
    }
    EXPECT_EQ(LengthUnits("1"), 2540000);
    EXPECT_EQ(LengthUnits(".1\""), 254000);
    // Numbers beyond the 32-bit range of units stop at its ends.
    EXPECT_EQ(LengthUnits("1e30"), INT32_MAX);
    EXPECT_EQ(LengthUnits("-1e30"), INT32_MIN);
}

TEST(PlcParamRules, CountsAreWholeNumbersFromOneTo999)
{
    struct Case {
        const char* text;
        const char* shown;
    } cases[] = {{"1,5", " 2"}, {"2.5", " 2"}, {"0", " 1"}, {"5000", " 999"}, {"", " 1"}, {"7", " 7"},
                   // numbers beyond any whole number's range are counts at the limits
                   {"1e30", " 999"}, {"9.9e307", " 999"}, {"-1e30", " 1"}, {"999.6", " 999"}, {"0.4", " 1"}};
    for (const Case& c : cases) EXPECT_EQ(NormalizeCount(c.text), c.shown) << c.text;
}

TEST_F(PlacementTest, PatternParametersDialog)
{
    Load(1);
    g_PlcParamLoaded = false;
    // First opening: the lists' defaults; the typed text is normalised on Accept.
    ui.ExpectModal("PLCPARAM", [](QWidget* w) {
        PLCPARAM& d = FormInstance<PLCPARAM>();
        palvane_test::SaveScreenshot(w, "placement_plcparam");  // lets the dialog activate first
        EXPECT_EQ(g_PatClearanceX, 254000);
        EXPECT_FALSE(d.PlcParamColumns()->isEnabled());
        d.PlcParamGeneration()->SetText("As Setup");
        EXPECT_TRUE(d.PlcParamColumns()->isEnabled());
        d.PlcParamClearanceX()->SetText("3");
        d.PlcParamAlignment()->SetText("0");
        d.PlcParamColumns()->SetText("4,5");
        d.PlcParamAccept_Click();
    });
    ShowModal(FormInstance<PLCPARAM>());
    EXPECT_EQ(g_PatClearanceX, 1270000);  // .5 inch at most
    EXPECT_EQ(g_PatAlignment, 25400);     // .01 inch at least
    EXPECT_EQ(g_PatAsSetup, 1);
    EXPECT_EQ(g_PatColumns, 4);
    // A second opening shows what was accepted, and Cancel keeps it.
    ui.ExpectModal("PLCPARAM", [](QWidget*) {
        PLCPARAM& d = FormInstance<PLCPARAM>();
        for (int i = 0; i < 10; ++i) QApplication::processEvents();
        EXPECT_TRUE(d.PlcParamColumns()->isEnabled());
        EXPECT_NEAR(ParseNum(d.PlcParamClearanceX()->Text()), 0.5, 1e-9);
        d.PlcParamGeneration()->SetText("Automatic");
        EXPECT_FALSE(d.PlcParamRows()->isEnabled());
        d.PlcParamClearanceX()->SetText(".2");
        d.PlcParamCancel_Click();
    });
    ShowModal(FormInstance<PLCPARAM>());
    EXPECT_EQ(g_PatClearanceX, 1270000);
    EXPECT_EQ(g_PatAsSetup, 1);
}

TEST_F(PlacementTest, GlobalParametersDialog)
{
    Load(1);
    ui.ExpectModal("PLSGLPAR", [](QWidget* w) {
        PLSGLPAR& d = FormInstance<PLSGLPAR>();
        EXPECT_EQ(d.C_ClearanceX()->Text(), ".100\"");
        EXPECT_EQ(d.C_BoardEdge()->Text(), ".100\"");
        palvane_test::SaveScreenshot(w, "placement_plsglpar");
        d.C_ClearanceY()->SetListIndex(0);
        d.C_Alignment()->SetListIndex(10);
        d.Com_OK_Click();
    });
    Main().M_AutPlcGlbPara_Click();
    EXPECT_EQ(g_PlcClearYIdx, 0);
    EXPECT_EQ(g_PlcAlignIdx, 10);
    EXPECT_EQ(g_PlcClearXIdx, 5);
    // Cancel keeps the stored indexes; an index outside the list shows the default.
    g_PlcBoardEdgeIdx = 42;
    ui.ExpectModal("PLSGLPAR", [](QWidget*) {
        PLSGLPAR& d = FormInstance<PLSGLPAR>();
        EXPECT_EQ(d.C_ClearanceY()->ListIndex(), 0);
        EXPECT_EQ(d.C_BoardEdge()->ListIndex(), 5);
        d.C_ClearanceY()->SetListIndex(3);
        d.Com_Cancel_Click();
    });
    Main().M_AutPlcGlbPara_Click();
    EXPECT_EQ(g_PlcClearYIdx, 0);
}

}  // namespace
