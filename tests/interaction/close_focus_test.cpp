// Closing the main window while one of its boxes holds the focus: the box's
// leaving runs no event procedure of a window that is going.
#include "editor/shell/controls.h"
#include "editor/shell/schmain.h"
#include "editor/shell/settings.h"
#include "editor/view/canvas.h"
#include "tests/view/view_fixture.h"

#include <QApplication>

#include <gtest/gtest.h>

namespace {

class CloseWithFocus : public view_test::DemoTest {};

// The host answers the editor's SHUTDOWN notice by taking the focus back;
// the text-size box loses it after the canvas has been released.
TEST_F(CloseWithFocus, TextSizeBoxLosingTheFocusDuringTheCloseRunsNothing)
{
    SCHMAIN& m = Main();
    QApplication::setActiveWindow(m.Window());
    m.F_Tsize->setFocus();
    QApplication::processEvents();
    ASSERT_TRUE(m.F_Tsize->hasFocus());
    const int sizeIdx = g_TextSizeIdx;
    int lostFocus = 0;
    m.F_Tsize->LostFocus.Connect([&] { ++lostFocus; });
    m.NotifyClass.Connect([&](std::string&, std::string& command) {
        if (command == "SHUTDOWN") m.ViewPicture->setFocus();
    });

    m.Window()->close();
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
    EXPECT_FALSE(m.IsLoaded());
    EXPECT_EQ(lostFocus, 0);
    EXPECT_EQ(g_TextSizeIdx, sizeIdx);
}

// Closed with the box focused and nothing else moving the focus.
TEST_F(CloseWithFocus, TextSizeBoxWithTheFocusAtTheClose)
{
    SCHMAIN& m = Main();
    QApplication::setActiveWindow(m.Window());
    m.F_Tsize->setFocus();
    QApplication::processEvents();
    m.ShutDown();
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
    EXPECT_FALSE(m.IsLoaded());
}

}  // namespace
