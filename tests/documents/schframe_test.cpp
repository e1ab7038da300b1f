// The page format dialog SCHFRAME in both modes, opened modally as the page
// format mode opens it and answered through the scripted stand-in, and
// driven through its hidden exchange field as the default format set-up
// drives it.
#include "editor/documents/frame_outline.h"
#include "editor/documents/schframe.h"
#include "editor/shell/controls.h"
#include "editor/shell/dlgservices.h"
#include "editor/shell/pagedraw.h"
#include "editor/shell/prefs.h"
#include "editor/shell/settings.h"
#include "editor/view/canvas.h"
#include "platform/kernel/nvokernel32.h"
#include "platform/kernel/testing.h"
#include "platform/winsys/keyboard.h"
#include "tests/documents/frame_fixture.h"
#include "tests/support/kernel_fixture.h"
#include "tests/support/screenshot.h"

#include <QRadioButton>

#include <gtest/gtest.h>

#include <functional>

namespace {

using namespace palvane_test;

class FrameDialog : public KernelTest {
protected:
    void SetUp() override
    {
        KernelTest::SetUp();
        ASSERT_NE(DB_CreateDataBase("T", "MAINHIER", "MAINPAGE"), 0);
        InitUnits();
        ReadPageFormats();
        ReadCurrentPage();
    }
    void TearDown() override
    {
        KT_FailJunctionCreation(0);
        KernelTest::TearDown();
    }
    // Opens the dialog in `mode` and runs `act` on it while it is shown.
    void Open(int32_t mode, std::function<void(SCHFRAME&)> act)
    {
        g_FrameMode = mode;
        ui.ExpectModal("SCHFRAME", [act](QWidget*) { act(FormInstance<SCHFRAME>()); });
        ShowModal(FormInstance<SCHFRAME>());
        EXPECT_FALSE(FormInstance<SCHFRAME>().IsLoaded());
    }
    static void Type(TextBox* box, const std::string& text)
    {
        box->SetText(text);
        int key = winsys::vk::Return;
        box->KeyPress.Raise(key);
    }
};

TEST_F(FrameDialog, StandardFormatWritesTheRectangle)
{
    Open(0, [](SCHFRAME& d) {
        EXPECT_EQ(d.F_Formats()->ListCount(), 12);
        EXPECT_EQ(d.F_Formats()->List(0), "A(landscape)");
        EXPECT_EQ(d.F_Formats()->List(11), "A4(portrait)");
        EXPECT_TRUE(d.F_Delete()->isHidden());
        d.F_Formats()->SetListIndex(0);
        EXPECT_EQ(d.FrameWidth(), 27940000);
        EXPECT_EQ(d.FrameHeight(), 21590000);
        EXPECT_TRUE(d.F_Mcunit(0)->isChecked());
        d.F_Accept()->Press();
    });
    const FrameRead frame = ReadFrame(g_FrameBranch);
    ASSERT_EQ(frame.points.size(), 5u);
    EXPECT_EQ(frame.points[0], std::make_pair(-13970000, -10795000));
    EXPECT_EQ(frame.points[2], std::make_pair(13970000, 10795000));
    EXPECT_EQ(frame.refs[0], frame.refs[4]);
}

TEST_F(FrameDialog, CornersInMillimetres)
{
    Open(1, [](SCHFRAME& d) {
        EXPECT_FALSE(d.F_Delete()->isHidden());
        EXPECT_TRUE(d.F_Formats()->isHidden());
        d.F_Mcunit(1)->click();
        EXPECT_EQ(d.DialogUnit(), 1);
        const std::pair<const char*, const char*> steps[] = {{"100", "0"}, {"0", "50"}, {"-100", "0"}};
        for (const auto& [x, y] : steps) {
            Type(d.F_Xvalue(), x);
            Type(d.F_Yvalue(), y);
            d.F_Confirm()->Press();
            EXPECT_EQ(d.F_Xvalue()->Text(), "0mm");
        }
        d.F_Accept()->Press();
    });
    const FrameRead frame = ReadFrame(g_FrameBranch);
    ASSERT_EQ(frame.points.size(), 5u);
    EXPECT_EQ(frame.refs[0], frame.refs[4]);
    EXPECT_EQ(OM_GetCount(DB_JunctMap()), 4);
    EXPECT_EQ(frame.points[0], std::make_pair(-5000000, -2500000));
    EXPECT_EQ(frame.points[2], std::make_pair(5000000, 2500000));
}

TEST_F(FrameDialog, ValueRangesAndIncompleteOutline)
{
    Open(0, [](SCHFRAME& d) {
        d.F_Mcunit(1)->click();
        Type(d.F_Xvalue(), "4400");
        EXPECT_EQ(d.FrameWidth(), 440000000);
        Type(d.F_Xvalue(), "4401");
        EXPECT_EQ(d.FrameWidth(), 440000000);
        EXPECT_EQ(d.F_Xvalue()->Text(), "4400mm");
        Type(d.F_Yvalue(), "0");
        EXPECT_EQ(d.FrameHeight(), 0);
        d.F_Confirm()->Press();  // a zero height only beeps
        EXPECT_EQ(FormInstance<SCHFRAME>().FrameHeight(), 0);
    });
    Open(1, [this](SCHFRAME& d) {
        d.F_Mcunit(1)->click();
        Type(d.F_Xvalue(), "2200");
        EXPECT_EQ(d.DeltaX(), 220000000);
        Type(d.F_Xvalue(), "2200.00001");
        EXPECT_EQ(d.DeltaX(), 220000000);
        Type(d.F_Xvalue(), "10");
        d.F_Confirm()->Press();
        ui.ExpectMessageBox(1, "Format definition incomplete");
        d.F_Accept()->Press();
        EXPECT_TRUE(d.Visible());  // stays open
        Type(d.F_Yvalue(), "10");
        d.F_Confirm()->Press();
        d.F_Accept()->Press();
    });
    EXPECT_EQ(ReadFrame(g_FrameBranch).points.size(), 4u);
}

TEST_F(FrameDialog, KernelRefusalKeepsTheOldFrameAndTheDialog)
{
    Open(0, [](SCHFRAME& d) {
        d.F_Formats()->SetListIndex(6);
        d.F_Accept()->Press();
    });
    const FrameRead before = ReadFrame(g_FrameBranch);
    ASSERT_EQ(before.points.size(), 5u);
    Open(0, [this](SCHFRAME& d) {
        d.F_Formats()->SetListIndex(7);
        KT_FailJunctionCreation(3);
        ui.ExpectMessageBox(1, "Can't create Page Format");
        d.F_Accept()->Press();
        EXPECT_TRUE(d.Visible());
        d.F_Cancel()->Press();
    });
    EXPECT_EQ(ReadFrame(g_FrameBranch).points, before.points);
    EXPECT_EQ(ReadFrame(g_FrameBranch).refs, before.refs);
}

TEST_F(FrameDialog, ExchangeFieldAppliesWithoutShowing)
{
    g_FrameMode = 0;
    SCHFRAME& d = FormInstance<SCHFRAME>();
    d.F_DefFrmtExchg()->SetText("12");  // no such position: nothing
    EXPECT_FALSE(ReadFrame(g_FrameBranch).exists);
    EXPECT_EQ(d.F_DefFrmtExchg()->Text(), "");
    d.F_DefFrmtExchg()->SetText("0");
    EXPECT_FALSE(d.Visible());
    EXPECT_EQ(d.F_DefFrmtExchg()->Text(), "");
    d.Unload();
    const FrameRead frame = ReadFrame(g_FrameBranch);
    ASSERT_EQ(frame.points.size(), 5u);
    EXPECT_EQ(frame.points[2], std::make_pair(13970000, 10795000));
}

TEST_F(FrameDialog, PreviewScale)
{
    EXPECT_EQ(SCHFRAME::PreviewScaleFor(0), 5080);
    EXPECT_EQ(SCHFRAME::PreviewScaleFor(-200), 440000000 / 200 + 5080);
    EXPECT_EQ(SCHFRAME::PreviewScaleFor(440000000), 5080);
}

TEST_F(FrameDialog, Screenshots)
{
    Open(0, [](SCHFRAME& d) {
        d.F_Formats()->SetListIndex(0);
        EXPECT_FALSE(SaveScreenshot(d.Window(), "schframe-rectangle").empty());
        d.F_Cancel()->Press();
    });
    Open(1, [](SCHFRAME& d) {
        d.F_Mcunit(1)->click();
        const std::pair<const char*, const char*> steps[] = {{"1000", "0"}, {"0", "800"}, {"-400", "400"}};
        for (const auto& [x, y] : steps) {
            Type(d.F_Xvalue(), x);
            Type(d.F_Yvalue(), y);
            d.F_Confirm()->Press();
        }
        EXPECT_FALSE(SaveScreenshot(d.Window(), "schframe-corners").empty());
        d.F_Cancel()->Press();
    });
}

}  // namespace
