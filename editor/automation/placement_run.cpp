#include "editor/automation/placement_run.h"

#include "editor/automation/placement_prefixes.h"
#include "editor/automation/placement_settings.h"
#include "editor/interaction/commands.h"
#include "editor/shell/design_change.h"
#include "editor/shell/applink.h"
#include "editor/shell/binding.h"
#include "editor/shell/dlgservices.h"
#include "editor/shell/forms.h"
#include "editor/shell/help.h"
#include "editor/shell/msgtext.h"
#include "editor/shell/pagedraw.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/reporter.h"
#include "editor/shell/schmain.h"
#include "editor/shell/textnum.h"
#include "editor/view/view_state.h"
#include "platform/winsys/interaction.h"

#include <cmath>
#include <string>

namespace {

constexpr int kHourglass = 11;
constexpr int kDefaultPointer = 0;

std::string Signed(int32_t v)
{
    return (v >= 0 ? " " : "") + std::to_string(v);
}

// The page background, frame and frame markers drawn before the engine
// runs, and the grid when it is shown.
void PrepareCanvas(SCHMAIN& w)
{
    w.EraseOverlay();
    w.m_RedrawBusy = 1;
    w.RefreshCanvas();
    w.m_RedrawBusy = 0;
    G_SetStyle(2);
    G_SetColor(191);
    G_Rectangle(-kCoordLimit, -kCoordLimit, 2 * kCoordLimit, 2 * kCoordLimit, 0);
    G_SetStyle(0);
    G_SetColor(61);
    G_SetDrawMode(8);
    B_DrawAllRecords(g_FrameBranch, 1);
    G_SetWidth(1);
    BranchRec branch{};
    if (B_ReadBranch(g_FrameBranch, &branch) == 1 && !(branch.Flags & 0x100)) {
        BranchPointRec first{};
        if (B_ReadRecord(g_FrameBranch, 1, &first) == 1) {
            G_Rectangle(first.X - 81280, first.Y - 81280, 162560, 162560, 0);
            int32_t box[4] = {};
            if (B_FrameBranchLines(g_FrameBranch, -1, box) > 0) {
                const double r = std::sqrt(2.0) * 32 * 2540;
                G_Rectangle(box[0], static_cast<int32_t>(std::lround(box[1] - r)), 162560, 162560, 45000);
            }
        }
    }
    G_SetDrawMode(0);
    if (g_GridOn) w.CheckGridPrecision();
}

// The name of the component the last failed run could not place, empty when
// the engine named none. The error box says only that the placement cannot
// be completed; the menu command names the component on the message line
// once the page is drawn again (the redraw clears the line).
std::string unplacedName;

}  // namespace

void ReportPlacementDllError()
{
    const int32_t function = PLCDLL_GetErrorFunction();
    const int32_t code = PLCDLL_GetErrorCode();
    const int32_t comp = PLCDLL_GetErrorComponent();
    CompRec rec{};
    unplacedName = comp != 0 && C_ReadComponent(comp, &rec) == 1 ? PtrToStr(rec.Name) : std::string();
    if (code == PLC_ERR_NO_CELLS) {
        ReportMsg(1001);
        return;
    }
    std::string detail = Signed(function) + " " + Signed(code);
    ReportMsg(1000, detail);
}

int32_t RunAutoPlacement(SCHMAIN& w)
{
    w.ShowMessage(GetMsgText("Placement in progress ...", "991053"));
    unplacedName.clear();
    // The whole page is placed or none of it: a run that fails on any way
    // out leaves the design as it was, the prefix texts stored for the
    // engine included.
    DesignChange change(DesignChange::Ending::Undo);
    if (!StorePlacementPrefixes()) return 1;
    FillPlacementParams(g_CurPage);
    auto exitA = [&] {
        SetScreenMousePointer(kDefaultPointer);
        ReportPlacementDllError();
        PLCDLL_DBaseClose();
        return int32_t{1};
    };
    if (!PLCDLL_SetParameters(&g_PlcParams)) return exitA();
    if (!PLCDLL_DBaseOpen()) return exitA();
    w.OpenCanvasDC();
    bool contextOpen = true;
    try {
        PrepareCanvas(w);
        if (!PLCDLL_PlaceLocked() || !PLCDLL_PlaceFirstComponent()) {
            SetScreenMousePointer(kDefaultPointer);
            w.CloseCanvasDC();
            contextOpen = false;
            ReportPlacementDllError();
            PLCDLL_DBaseClose();
            return 1;
        }
        PLCDLL_PlaceNextComponent();
        w.CloseCanvasDC();
        contextOpen = false;
    } catch (...) {
        if (contextOpen) w.CloseCanvasDC();
        PLCDLL_DBaseClose();
        throw;
    }
    SetScreenMousePointer(kDefaultPointer);
    if (PLCDLL_GetErrorCode() == PLC_DONE) {
        PLCDLL_DBaseClose();
        return change.Keep() ? 0 : 1;
    }
    ReportPlacementDllError();
    PLCDLL_DBaseClose();
    return 1;
}

void SCHMAIN::M_AutPlcExecute_Click()
{
    CheckHelpMode(7, 2, 4, 0);
    if (g_CurCommand != 0 || g_CmdRunning) return;
    int32_t busy = 0;
    std::string name;
    CheckOtherApps(busy, name);
    if (busy) return;
    const std::string savedPrompt = g_Prompt;
    g_Prompt = GetMsgText("Norvo32 - Autoplacer", "99611");
    const std::string question = GetMsgText("Warning!", "991398") + g_CrLf +
                                 GetMsgText("Current positions of the components will be changed.", "99498") +
                                 g_CrLf + GetMsgText("Do you want to execute Autoplace?", "99581");
    if (!AskYesNo(question)) {
        g_Prompt = savedPrompt;
        return;
    }
    SetScreenMousePointer(kHourglass);
    int32_t result = 1;
    try {
        result = RunAutoPlacement(*this);
    } catch (const binding::BindError& e) {
        // The engine library or one of its functions is missing.
        SetScreenMousePointer(kDefaultPointer);
        winsys::Ui().MessageBox(e.what(), MessageCaption(),
                                winsys::mb::OkOnly | winsys::mb::Critical);
    } catch (...) {
        SetScreenMousePointer(kDefaultPointer);
        g_Prompt = savedPrompt;
        throw;
    }
    RefreshCanvas();
    RedrawView();
    SetScreenMousePointer(kDefaultPointer);
    if (result == 0)
        ShowMessage(GetMsgText("Placement Completed", "991052"));
    else if (!unplacedName.empty())
        ShowMessage(GetMsgText("Component: ", "99472") + unplacedName);
    g_Prompt = savedPrompt;
}
