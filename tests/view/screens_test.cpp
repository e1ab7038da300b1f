// Screenshots of the editor on the demo design's first page: fitted,
// zoomed in on a component, with the grid, and the tool panels of two
// modes. They are written for a person to look at.
#include "editor/shell/controls.h"
#include "platform/kernel/nvokernel32.h"
#include "editor/view/canvas.h"
#include "tests/support/screenshot.h"
#include "tests/view/view_fixture.h"

#include <QMainWindow>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using Screens = view_test::DemoTest;

QWidget* TopWindow(SCHMAIN& m)
{
    return m.ViewPicture->window();
}

void Settle()
{
    for (int i = 0; i < 10; ++i) QApplication::processEvents();
}

TEST_F(Screens, DemoFirstPage)
{
    SCHMAIN& m = Main();
    TopWindow(m)->resize(1280, 860);
    Settle();
    m.ZoomMode->SetListIndex(2);
    Settle();
    EXPECT_FALSE(palvane_test::SaveScreenshot(TopWindow(m), "view_fit_components").empty());

    CompRec u1{};
    ASSERT_NE(C_ReadComponent(OM_FindName(DB_SchCompMap(), "U1/1"), &u1), 0);
    m.m_ViewOrgX = u1.X;
    m.m_ViewOrgY = -u1.Y;
    m.ZoomCombo->SetText("0.0015\"");
    m.ZoomMode->SetListIndex(0);
    m.RedrawBtn_Click();
    Settle();
    EXPECT_FALSE(palvane_test::SaveScreenshot(TopWindow(m), "view_zoom_component").empty());

    int32_t wires = 2;
    m.SetupFunctionButtons(wires);
    m.GridCheck3D->SetValue(1);
    m.ZoomMode->SetListIndex(-1);
    m.ZoomMode->SetListIndex(2);
    Settle();
    EXPECT_FALSE(palvane_test::SaveScreenshot(TopWindow(m), "view_fit_grid_wires").empty());
}

}  // namespace
