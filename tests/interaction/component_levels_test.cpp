// Down into the level of a hierarchical block and back up, through the
// component mode's function 10 on the real canvas: the descent (option 0 on
// the block) and the way up (option 1) over the hierarchy stack.
#include "editor/interaction/command_steps.h"
#include "editor/interaction/commands.h"
#include "editor/interaction/input_state.h"
#include "editor/objects/comp_state.h"
#include "editor/shell/curpos.h"
#include "editor/shell/forms.h"
#include "editor/shell/pagedraw.h"
#include "editor/shell/ribbon.h"
#include "editor/shell/schmain.h"
#include "editor/shell/textfiles.h"
#include "editor/shell/textnum.h"
#include "editor/view/canvas.h"
#include "platform/kernel/nvokernel32.h"
#include "tests/support/design_builder.h"
#include "tests/support/editor_fixture.h"

#include <QApplication>

#include <algorithm>
#include <string>

namespace {

const char* const kDesign = R"(
include power.nls
unit 0.1in
design D
level MAIN
page P1 frame 100 80
  component H1 symbol BLOCK at 0 0 child BLOCK
end
level BLOCK
net IN1
net IN2
net OUT1
net OUT2
page F frame 100 80
  wire IN1 (-20 10) (-10 10)
  wire IN2 (-20 0) (-10 0)
  wire OUT1 (10 10) (20 10)
  wire OUT2 (10 0) (20 0)
end
)";

class ComponentLevels : public palvane_test::EditorTest {
protected:
    void SetUp() override
    {
        EditorTest::SetUp();
        m = &Main();
        ASSERT_TRUE(palvane_test::BuildDesign(kDesign));
        main = OM_FindName(DB_HierarchyMap(), "MAIN");
        block = OM_FindName(DB_HierarchyMap(), "BLOCK");
        DB_SetCurHier(main);
        DB_SetCurPage(OM_FindName(DB_PageMap(), "P1"));
        ASSERT_TRUE(m->LoadSettings());
        ReadCurrentPage();
        for (int i = 0; i < 5; ++i) QApplication::processEvents();
        g_CurMode = MODE_COMPONENTS;
        g_CurCommand = 0;
        m->RefreshCanvas();
        sent.clear();
    }
    // Function 10 with only option `option` pressed.
    void Function10(int option)
    {
        PressFunction(*m, 10);
        for (int i = 0; i <= 10; ++i) m->F_OST(i)->SetValue(i == option);
    }
    // A click on the page point (x, y), as the canvas raises it.
    void Click(int32_t x, int32_t y)
    {
        m->OpenCanvasDC();
        int32_t p[2] = {x, y};
        G_LPtoDP(p);
        m->CloseCanvasDC();
        m->ViewPicture_MouseMove(0, 0, p[0], p[1]);
        m->ViewPicture_MouseUp(1, 0, p[0], p[1]);
    }
    // The "UP" the editor sent to the suite, taken up by the editor itself
    // as the host hands it back.
    bool TakeUp()
    {
        const bool up = std::any_of(sent.begin(), sent.end(), [](const auto& s) { return s.second == "All,UP"; });
        sent.clear();
        if (up) m->ReloadAfterUpdate();
        return up;
    }
    static long Depth()
    {
        LoadHierStack();
        return g_HierStack.UBound();
    }
    SCHMAIN* m = nullptr;
    int32_t main = 0, block = 0;
};

TEST_F(ComponentLevels, DownIntoTheBlockAndUpAgain)
{
    const int32_t h1 = OM_FindName(DB_SchCompMap(), "H1");
    ASSERT_GT(h1, 0);
    EntryRec pin{};
    ASSERT_NE(C_ReadEntry(h1, 1, &pin), 0);
    Function10(0);
    Click(pin.X, pin.Y);
    ASSERT_EQ(DB_CurHier(), block);
    ASSERT_TRUE(TakeUp());
    EXPECT_EQ(Trim(g_CurHierName), "BLOCK");
    // The level entered holds the way back: the block, entered from MAIN.
    ASSERT_EQ(Depth(), 1);
    EXPECT_EQ(g_HierStack(1).Id, h1);
    EXPECT_EQ(Trim(g_HierStack(1).Name), "MAIN");

    const int beeps = static_cast<int>(
        std::count_if(ui.asked().begin(), ui.asked().end(), [](const auto& a) { return a.kind == "Beep"; }));
    Function10(1);
    Click(0, 0);
    EXPECT_EQ(DB_CurHier(), main);
    EXPECT_EQ(static_cast<int>(std::count_if(ui.asked().begin(), ui.asked().end(),
                                             [](const auto& a) { return a.kind == "Beep"; })),
              beeps)
        << "no beep on the way up";
    ASSERT_TRUE(TakeUp());
    EXPECT_EQ(Trim(g_CurHierName), "MAIN");
    EXPECT_EQ(Depth(), 0) << "the top level has no way further up";

    // A second up from the top beeps and stays.
    Function10(1);
    Click(0, 0);
    EXPECT_EQ(DB_CurHier(), main);
    EXPECT_FALSE(TakeUp());
}

// The stack cannot be written into the level entered: the descent is
// undone (MAIN current, its stack as before) and nothing is sent.
TEST_F(ComponentLevels, StackThatCannotFollowUndoesTheDescent)
{
    const int32_t h1 = OM_FindName(DB_SchCompMap(), "H1");
    EntryRec pin{};
    ASSERT_NE(C_ReadEntry(h1, 1, &pin), 0);
    Function10(0);
    // The push in MAIN takes its one record; the copy into BLOCK gets nothing.
    testing_hooks::LimitFileObjectWrites(kHierStackRecSize);
    ui.ExpectMessageBox(1, "Can't assign Hierarchy");
    Click(pin.X, pin.Y);
    testing_hooks::LimitFileObjectWrites(-1);
    EXPECT_EQ(DB_CurHier(), main);
    EXPECT_FALSE(TakeUp());
    EXPECT_EQ(Depth(), 0);
}

}  // namespace
