// Edit modes and commands: what BeginCommand prepares, the tool panels of a
// mode, the message line and the unlocking of components by prefix.
#include "editor/interaction/commands.h"
#include "editor/objects/comp_state.h"
#include "editor/objects/wire_state.h"
#include "editor/shell/controls.h"
#include "platform/kernel/nvokernel32.h"
#include "editor/shell/ribbon.h"
#include "editor/shell/schmain.h"
#include "editor/shell/tooltable.h"
#include "editor/view/highlight.h"
#include "tests/support/design_builder.h"
#include "tests/support/editor_fixture.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using P = Prep;
using Commands = palvane_test::EditorTest;

TEST(CommandPreparation, Table)
{
    struct Case {
        int32_t id, step, net;
        std::vector<Prep> prep;
    } cases[] = {
        {1, 0, 0, {P::EraseComp, P::DrawMaskedBranches, P::Preview}},
        {4, 0, 0, {P::DrawMaskedBranches, P::Preview}},
        {5, 0, 0, {P::EraseComp, P::HighlightComp, P::Preview}},
        {6, 0, 0, {P::EraseComp, P::RedrawMaskedBranches, P::BlinkGate}},
        {7, 0, 0, {P::EraseComp, P::RedrawMaskedBranches, P::BlinkGate, P::EnablePages}},
        {15, 1, 0, {P::BlinkCompFrame}},
        {17, 3, 0, {P::BlinkCompFrame, P::Preview}},
        {19, 0, 0, {P::HighlightNet, P::DrawMaskedBranches, P::DrawAllWiresOff, P::RedrawNet, P::BlinkBranch,
                    P::EnablePages}},
        {20, 0, 0, {P::ClearMaskedIds, P::MarkJunctionPair, P::DrawMaskedCurBranch, P::Preview}},
        {30, 0, 0, {P::MarkBranchRecords, P::BlinkNet}},
        // The block commands preview like the other block commands.
        {50, 0, 0, {P::Preview}},
        {55, 0, 0, {P::Preview}},
        {61, 0, 0, {P::Preview}},
        {76, 0, 0, {P::Preview, P::EraseSymbolItem, P::RebaseItem}},
        {90, 0, 0, {P::EnablePages}},
        {101, 0, 5, {P::HighlightNet, P::DrawMaskedBranches, P::Preview, P::EnablePages}},
        {102, 0, 5, {P::HighlightNet, P::DrawMaskedBranches, P::BlinkNode, P::PreviewIfNextNode, P::EnablePages}},
        {98, 0, 0, {P::BlinkEntry}},
        {217, 0, 0, {P::CloseCanvas, P::Preview, P::Refresh}},
        {0, 0, 0, {}},
        {500, 0, 0, {}},
    };
    for (const Case& c : cases) EXPECT_EQ(CommandPreparation(c.id, c.step, c.net), c.prep) << c.id;
}

TEST_F(Commands, BeginSetsTheCommandAndLocksTheFunctionPanel)
{
    SCHMAIN& m = Main();
    int32_t id = CMD_BOX_AREA;
    m.BeginCommand(id);
    EXPECT_EQ(g_CurCommand, CMD_BOX_AREA);
    EXPECT_EQ(m.m_PreviewPending, -1);
    EXPECT_EQ(m.m_AngleBasePending, -1);
    EXPECT_FALSE(m.F_FSIPan->isEnabled());
    EXPECT_EQ(m.m_CanvasDCLevel, 0);
}

TEST_F(Commands, BeginPreparesTheObjectLayersObjects)
{
    ASSERT_TRUE(palvane_test::BuildDesign(R"(
include discrete.nls
unit 0.1in
design D
level MAIN
net N
page P
  component R1 R at 0 0
  component R2 R at 10 0
  wire N R1.2 R2.1
end
)"));
    SCHMAIN& m = Main();
    const int32_t r1 = OM_FindName(DB_SchCompMap(), "R1/1");
    const int32_t net = OM_FindName(DB_NetMap(), "N");
    // A move (1): the component is erased and the wires at its pins are
    // collected for the drag.
    g_CompId = r1;
    g_MaskedBranchIds.Redim(0, 0);
    int32_t id = 1;
    m.BeginCommand(id);
    EXPECT_EQ(O_GetStatus(C_Component(r1)) & 5, 4);
    ASSERT_EQ(g_MaskedBranchIds.UBound(), 1);
    EXPECT_EQ(m.m_PreviewPending, -1);
    // A net split (19): the net is highlighted and drawn normally again.
    g_CurNet = net;
    id = CMD_SPLIT_NET;
    m.BeginCommand(id);
    EXPECT_EQ(O_GetStatus(N_Net(net)) & 128, 0) << "RedrawNet ends the highlight";
    EXPECT_EQ(m.m_CanvasDCLevel, 0);
    g_CurNet = 0;
}

TEST_F(Commands, BeginWithoutACommandLeavesThePanelEnabled)
{
    SCHMAIN& m = Main();
    int32_t id = CMD_NONE;
    m.BeginCommand(id);
    EXPECT_TRUE(m.F_FSIPan->isEnabled());
    EXPECT_EQ(m.m_PreviewPending, 0);
    EXPECT_EQ(m.m_CanvasDCLevel, 0);
}

TEST_F(Commands, PinSwapBeginsWithoutPreview)
{
    SCHMAIN& m = Main();
    int32_t id = CMD_PIN_SWAP;
    m.BeginCommand(id);
    EXPECT_EQ(m.m_PreviewPending, 0);
}

TEST_F(Commands, FunctionButtonsFollowTheToolTable)
{
    SCHMAIN& m = Main();
    for (int32_t mode : {1, 2, 4}) {
        m.SetupFunctionButtons(mode);
        const ModeToolsRec& tools = ModeTools(mode);
        for (int i = 0; i < kToolCount; ++i) {
            EXPECT_EQ(m.F_FSI(i)->isEnabled(), tools.Funcs.at(i).Avail != 0) << mode << " " << i;
            if (tools.Funcs.at(i).Avail) {
                EXPECT_EQ(m.F_FSI(i)->Value(), tools.Funcs.at(i).Pressed != 0);
            }
        }
    }
}

TEST_F(Commands, OptionTenIsAlwaysReleased)
{
    SCHMAIN& m = Main();
    int32_t mode = 2, func = ModeTools(2).SelFunc;
    ModeTools(mode).Funcs.at(func).Opts.at(10).Avail = -1;
    ModeTools(mode).Funcs.at(func).Opts.at(10).Value = -1;
    m.SetupOptionButtons(mode, func);
    EXPECT_EQ(ModeTools(mode).Funcs.at(func).Opts.at(10).Value, 0);
    EXPECT_FALSE(m.F_OST(10)->Value());
}

TEST_F(Commands, OptionsComeFromTheModeBeingSetUp)
{
    SCHMAIN& m = Main();
    g_CurMode = 1;
    int32_t mode = 2;
    const int f = ModeTools(2).SelFunc;
    for (int i = 0; i < kToolCount; ++i) ModeTools(2).Funcs.at(f).Opts.at(i).Avail = i == 3 ? -1 : 0;
    ModeTools(2).Funcs.at(f).Pressed = -1;
    m.SetupFunctionButtons(mode);
    EXPECT_TRUE(m.F_OST(3)->isEnabled());
    EXPECT_FALSE(m.F_OST(0)->isEnabled());
}

TEST_F(Commands, MessageLineHasALeadingBlank)
{
    SCHMAIN& m = Main();
    m.ShowMessage("");
    EXPECT_EQ(m.F_MsgLine->Caption(), " ");
    m.ShowMessage("Pick");
    EXPECT_EQ(m.F_MsgLine->Caption(), " Pick");
}

TEST_F(Commands, UnlockByPrefix)
{
    ASSERT_TRUE(palvane_test::BuildDesign(R"(
include power.nls
unit 0.1in
design D
level MAIN
page P
  component abc1 symbol SPLGND at 0 0
  component ABC2 symbol SPLGND at 10 0
  component abcdefgh9 symbol SPLGND at 20 0
end
)"));
    for (const char* name : {"abc1", "ABC2", "abcdefgh9"}) O_Mask(C_Component(OM_FindName(DB_SchCompMap(), name)), 32, 32);
    auto locked = [](const char* name) {
        CompRec c{};
        C_ReadComponent(OM_FindName(DB_SchCompMap(), name), &c);
        return (c.Flags & 32) != 0;
    };
    std::string prefix = "  abcdefghij  ";
    Main().UnlockCompsByPrefix(prefix);
    EXPECT_EQ(prefix, "abcdefgh");
    EXPECT_FALSE(locked("abcdefgh9"));
    EXPECT_TRUE(locked("abc1"));
    prefix = "abc";
    Main().UnlockCompsByPrefix(prefix);
    EXPECT_FALSE(locked("abc1"));
    EXPECT_TRUE(locked("ABC2"));
}

}  // namespace
