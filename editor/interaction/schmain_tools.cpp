// SCHMAIN's command start and tool panels: BeginCommand makes a command
// current and prepares its display; the function and option buttons of a
// mode are loaded from the tool table; the message line; and the unlocking
// of components by name prefix.
#include "editor/shell/schmain.h"

#include "editor/automation/placement_items.h"
#include "editor/automation/placement_settings.h"
#include "editor/editing/bitmaps.h"
#include "editor/interaction/commands.h"
#include "editor/objects/branch_drawing.h"
#include "editor/objects/branch_points.h"
#include "editor/objects/components.h"
#include "editor/objects/net_drawing.h"
#include "editor/objects/owner_items.h"
#include "editor/objects/symbol_items.h"
#include "editor/objects/wire_state.h"
#include "editor/shell/controls.h"
#include "editor/shell/menus.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/ribbon.h"
#include "editor/shell/textnum.h"
#include "editor/shell/tooltable.h"
#include "editor/view/canvas.h"
#include "editor/view/highlight.h"

#include <QWidget>

void SCHMAIN::BeginCommand(int32_t& id)
{
    g_CurCommand = id;
    m_AngleBasePending = -1;
    m_RouteResult.clear();
    // Sound behaviour: "no command" does not lock the function panel, since
    // no command end would enable it again.
    if (id != CMD_NONE) F_FSIPan->setEnabled(false);
    SyncViewMode();
    if (id != CMD_NONE) DrawCmdObjectInView(id, 2);
    OpenCanvasDC();
    for (Prep step : CommandPreparation(id, m_CmdStep, CurrentNet())) RunPreparation(step);
    CloseCanvasDC();
}

int32_t SCHMAIN::CurrentNet() const
{
    return g_CurNet;
}

void SCHMAIN::RunPreparation(Prep step)
{
    switch (step) {
    case Prep::HighlightComp: {
        int32_t kind = 2;
        HighlightComp(kind);
        break;
    }
    case Prep::BlinkGate:
        BlinkGate();
        break;
    case Prep::BlinkCompFrame:
        BlinkCompFrame();
        break;
    case Prep::BlinkBranch:
        BlinkBranch();
        break;
    case Prep::BlinkNet:
        BlinkNet();
        break;
    case Prep::BlinkNode:
        BlinkNode();
        break;
    case Prep::BlinkEntry:
        BlinkEntry();
        break;
    case Prep::EnablePages:
        F_Pages->setEnabled(true);
        break;
    case Prep::CloseCanvas:
        CloseCanvasDC();
        break;
    case Prep::Preview:
        m_PreviewPending = -1;
        break;
    case Prep::PreviewIfNextNode:
        if (g_CurCommand == CMD_NEXT_NODE) m_PreviewPending = -1;
        break;
    case Prep::Refresh:
        RefreshCanvas();
        break;
    default:
        // The drawing of the object layer's own objects (erasing a
        // component, masked and marked wires, net highlights, item and text
        // erasures, bitmap frames, layout texts).
        RunObjectPreparation(step);
        break;
    }
}

void SCHMAIN::RunObjectPreparation(Prep step)
{
    // The marking procedures take mode 1 for the page frame's commands
    // (20, 21, 24: highlighted) and 0 for a wire's (restored look).
    switch (step) {
    case Prep::EraseComp:
        EraseComp(g_CompId);
        break;
    case Prep::DrawMaskedBranches:
        DrawMaskedBranches(0, 128);
        break;
    case Prep::RedrawMaskedBranches:
        // The erase of the component left the draw mode at erasing; the
        // legs on its pins are drawn again as they are, over the pins'
        // ends the erase took away.
        G_SetDrawMode(0);
        DrawMaskedBranches(0, 128);
        for (long i = 1; i <= g_MaskedBranchIds.UBound(); ++i) B_DrawAllJunctions(g_MaskedBranchIds(i), -1);
        // The nets on the pins are shown again: they get back the drawn
        // bit (1) the erase took, keeping their redraw mark (128) for the
        // step. With 128 alone set they are no highlighted nets to the
        // paint, which draws them as this leaves them.
        N_MaskCompNodes(g_CompId, 0, 0, 0, 1, 1);
        break;
    case Prep::DrawMaskedCurBranch:
        DrawMaskedBranches(g_CurBranch, 256);
        break;
    case Prep::HighlightNet:
        HighlightNet(g_CurNet);
        break;
    case Prep::DrawAllWiresOff:
        DrawAllWires(0);
        break;
    case Prep::RedrawNet:
        RedrawNet(g_CurNet);
        break;
    case Prep::ClearMaskedIds:
        g_MaskedBranchIds.Redim(0, 0);
        break;
    case Prep::MarkJunctionPair:
        MarkJunctionPairWires(g_CurCommand == 20 ? 1 : 0, g_CurBranch, g_PrevBranchPoint, g_CurBranchPoint);
        break;
    case Prep::MarkJunction:
        MarkJunctionWires(g_CurCommand == 21 ? 1 : 0, g_CurBranch, g_CurBranchPoint);
        break;
    case Prep::MarkBranchRecords:
        MarkBranchRecord(g_CurCommand == 24 ? 1 : 0, g_CurBranch, 1, g_CurBranchRec.Points - 1);
        B_MaskBranchRecords(g_CurBranch, 256, 257);
        break;
    case Prep::EraseBranchText:
        EraseOwnerItem(kOwnerBranch, 0, g_CurBranch, g_SymbItemIdx);
        MarkBranchRecord(0, g_CurBranch, 1, -1);
        break;
    case Prep::EraseSymbolItem:
        EraseOwnerItem(kOwnerSymbol, 0, g_CurSymb, g_SymbItemIdx);
        break;
    case Prep::RebaseItem:
        RebaseItemOnHandle();
        break;
    case Prep::DrawCellTexts:
        DrawLayoutTexts(false, g_GridSymbol, g_SymbItemIdx);
        G_SetDrawMode(0);
        break;
    case Prep::DrawZoneTexts:
        DrawLayoutTexts(false, g_ZoneSymbol, g_SymbItemIdx);
        G_SetDrawMode(0);
        break;
    case Prep::DrawBitmapFrame:
        // The frame clears the picked picture's place when its move starts:
        // while the command runs the paint leaves the current picture out,
        // and the move's step paints the page again. A picture being placed
        // has never been drawn (the paint leaves it out as well), so its
        // frame would only wipe what the page shows there, which the place
        // step does not paint again.
        if (g_CurCommand == 88) DrawBitmapFrame(g_CurBitmap);
        G_SetDrawMode(0);
        break;
    default:
        // The steps of RunPreparation itself never come here.
        break;
    }
}

void SCHMAIN::SetupFunctionButtons(int32_t& mode)
{
    if (g_CurMode == MODE_PLACEMENT_PATTERNS || g_CurMode == MODE_KEEP_OFF_ZONE || g_CurMode == MODE_ROUTING) {
        ShowPlacementCells();
        M_APlcPtrns->SetEnabled(false);
    } else {
        M_APlcPtrns->SetEnabled(true);
    }
    ModeToolsRec& tools = ModeTools(mode);
    for (int i = 0; i < kToolCount; ++i) {
        const ToolFuncRec& func = tools.Funcs.at(i);
        RibbonButton* button = F_FSI(i);
        button->setEnabled(func.Avail != 0);
        if (P_FSI && tools.PicBase + i < P_FSI->CellCount()) button->SetPicture(P_FSI->GraphicCell(tools.PicBase + i));
        button->SetToolTipText(func.Help);
        if (button->isEnabled()) {
            button->setVisible(true);
            button->SetValue(func.Pressed != 0);
            if (button->Value()) {
                // Sound behaviour: the options come from the mode being set
                // up, not from the current mode.
                int32_t index = i;
                SetupOptionButtons(mode, index);
            }
        } else {
            button->setVisible(false);
        }
    }
    ReturnToScreen();
}

void SCHMAIN::SetupOptionButtons(int32_t& mode, int32_t& func)
{
    QWidget* window = Window();
    const bool wasEnabled = window ? window->isEnabled() : true;
    if (window) window->setEnabled(true);
    F_OSTPan->setEnabled(true);
    ToolFuncRec& tools = ModeTools(mode).Funcs.at(func);
    tools.Opts.at(10).Value = 0;
    PictureClip* clip = mode >= 1 && mode <= 11 ? P_OST(mode) : nullptr;
    for (int i = 0; i < kToolCount; ++i) {
        const ToolOptRec& opt = tools.Opts.at(i);
        RibbonButton* button = F_OST(i);
        if (clip && tools.OptPicBase + i < clip->CellCount()) button->SetPicture(clip->GraphicCell(tools.OptPicBase + i));
        button->setEnabled(opt.Avail != 0);
        button->SetToolTipText(opt.Help);
        if (button->isEnabled()) {
            button->setVisible(true);
            button->SetGroupNumber(opt.Group);
            button->SetValue(opt.Value != 0);
        } else {
            button->setVisible(false);
            button->SetValue(false);
        }
    }
    if (window) window->setEnabled(wasEnabled);
    ReturnToScreen();
}

void SCHMAIN::ShowMessage(const std::string& text)
{
    F_MsgLine->SetCaption(" " + text);
    F_MsgLine->Refresh();
}

void SCHMAIN::UnlockCompsByPrefix(std::string& prefix)
{
    const std::string p = Trim(prefix).substr(0, 8);
    prefix = p;
    const int32_t map = DB_SchCompMap();
    int32_t pos = OM_GetFirst(map);
    for (;;) {
        const int32_t id = OM_SearchMask(map, &pos, 32, 32);
        if (id < 1) break;
        CompRec comp{};
        if (C_ReadComponent(id, &comp) == 0) continue;
        const std::string name = PtrToStr(comp.Name);
        if (name.size() >= p.size() && name.compare(0, p.size(), p) == 0) O_Mask(C_Component(id), 0, 32);
    }
}
