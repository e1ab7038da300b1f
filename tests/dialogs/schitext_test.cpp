#include "editor/dialogs/schitext.h"
#include "editor/shell/controls.h"
#include "editor/shell/dlgservices.h"
#include "editor/shell/geometry.h"
#include "editor/shell/settings.h"
#include "editor/shell/systables.h"
#include "editor/shell/textarea.h"
#include "tests/support/editor_fixture.h"
#include "tests/support/screenshot.h"

#include <QWidget>

namespace {

class TextLine : public palvane_test::EditorTest {
protected:
    void SetUp() override
    {
        EditorTest::SetUp();
        Main();
        g_TextPitch = 30480;
        g_TextSizeIdx = 2;
        g_TextSizeFixed = false;
        g_UnitIndex = 0;
    }
    void TearDown() override
    {
        FormInstance<SCHITEXT>().Unload();
        EditorTest::TearDown();
    }
    // Shows the dialog modally over `text`; `inside` runs while it is open.
    void Run(const std::string& text, std::function<void(SCHITEXT&)> inside)
    {
        g_TextBuf = text;
        ui.ExpectModal("SCHITEXT", [inside](QWidget*) { inside(FormInstance<SCHITEXT>()); });
        ShowModal(FormInstance<SCHITEXT>());
    }
};

struct PitchCase {
    int32_t unit;
    const char* typed;
    bool accepted;
    int32_t pitch;
};

class TextPitch : public TextLine, public ::testing::WithParamInterface<PitchCase> {};

TEST_P(TextPitch, RangeIsInclusiveAndRefusalsBeep)
{
    const PitchCase& c = GetParam();
    g_UnitIndex = c.unit;
    Run("A", [&](SCHITEXT& d) {
        d.F_Pitch()->SetText(c.typed);
        const size_t asked = ui.asked().size();
        int key = 13;
        d.F_Pitch_KeyPress(key);
        EXPECT_EQ(key, 0);
        const bool beeped = ui.asked().size() > asked && ui.asked().back().kind == "Beep";
        EXPECT_EQ(beeped, !c.accepted) << c.typed;
        EXPECT_EQ(d.m_PitchEdited, 0);
        d.F_Accept()->Press();
    });
    EXPECT_EQ(g_TextPitch, c.pitch) << c.typed;
}

INSTANTIATE_TEST_SUITE_P(Table, TextPitch,
                         ::testing::Values(PitchCase{1, "0,5", true, 50000}, PitchCase{0, "0.0001", true, 254},
                                           PitchCase{0, "0.00009", false, 30480}, PitchCase{0, "1", true, 2540000},
                                           PitchCase{0, "1.0001", false, 30480}, PitchCase{0, "", false, 30480},
                                           PitchCase{1, "0.305mm", true, 30500}));

TEST_F(TextLine, ShowsThePitchInTheDisplayUnit)
{
    Run("A", [](SCHITEXT& d) {
        EXPECT_EQ(d.F_Pitch()->Text(), "0.0120\"");
        d.F_Cancel()->Press();
    });
    g_UnitIndex = 1;
    Run("A", [](SCHITEXT& d) {
        EXPECT_EQ(d.F_Pitch()->Text(), "0.305mm");
        d.F_Cancel()->Press();
    });
}

TEST_F(TextLine, AcceptReturnsTheLinesAndCancelKeepsSizeAndPitch)
{
    Run("one\r\ntwo", [](SCHITEXT& d) {
        EXPECT_EQ(d.F_TxtBuffer()->Text(), "one\r\ntwo");
        d.F_TxtBuffer()->SetText("one\r\ntwo\r\nthree");
        d.F_Accept()->Press();
    });
    EXPECT_TRUE(g_TextAccepted);
    EXPECT_EQ(g_TextBuf, "one\r\ntwo\r\nthree");
    EXPECT_FALSE(g_SuppressResize);
    Run("x", [](SCHITEXT& d) {
        d.F_Tsize()->SetListIndex(4);
        d.F_Pitch()->SetText("0.02");
        int key = 13;
        d.F_Pitch_KeyPress(key);
        palvane_test::SaveScreenshot(d.Window(), "schitext");
        d.F_Cancel()->Press();
    });
    EXPECT_FALSE(g_TextAccepted);
    EXPECT_EQ(g_TextBuf, "");
    EXPECT_EQ(g_TextSizeIdx, 5);
    EXPECT_EQ(g_TextPitch, 50800);
}

TEST_F(TextLine, NoSelectionOrAFixedSizeLeavesTheSize)
{
    Run("x", [](SCHITEXT& d) {
        d.F_Tsize()->SetListIndex(-1);
        d.F_Tsize_Click();
        d.F_Cancel()->Press();
    });
    EXPECT_EQ(g_TextSizeIdx, 2) << "nothing selected is no size";
    g_TextSizeFixed = true;
    Run("x", [](SCHITEXT& d) {
        EXPECT_FALSE(d.F_Tsize()->isEnabled());
        d.F_Cancel()->Press();
    });
    EXPECT_EQ(g_TextSizeIdx, 2);
}

}  // namespace
