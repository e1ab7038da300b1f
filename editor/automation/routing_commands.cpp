// The clicks of routing mode: route all wires, a net, a component, start
// the pair and block commands, delete wires; and the steps of the pair and
// block commands, which the step engine runs at their second click.
//
// A run calls one of the router's step exports again and again; each call
// routes at most one pair. A run stops when the router says it is done or
// failed, when F10 is pressed, and at the latest after one call more than
// the image has nodes, so that it always ends.
#include "editor/automation/routing_dialogs.h"
#include "editor/automation/routing_state.h"
#include "editor/editing/editing_state.h"
#include "editor/interaction/commands.h"
#include "editor/shell/dlgservices.h"
#include "editor/shell/forms.h"
#include "editor/shell/help.h"
#include "editor/shell/msgtext.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/ribbon.h"
#include "editor/shell/schmain.h"
#include "editor/shell/scope_guard.h"
#include "editor/shell/tooltable.h"
#include "platform/winsys/interaction.h"

namespace {

constexpr int32_t kPickNet = 1;
constexpr int32_t kPickComp = 2;
constexpr int32_t kPickPair = 3;
constexpr int32_t kBlockQuery = 4;
constexpr int32_t kPickNetDrawn = 11;
constexpr int32_t kPickWireDrawn = 12;

enum class RunEnd { Done, Failed, Cancelled, Bounded };

// Calls `step(state, text, size)` while it returns 1 and leaves the state
// at 0 (call again); the text is copied back after each call and `each`
// runs after each successful one. `changed` tells whether a call ran that
// may have changed the image.
template <class Step, class Each>
RunEnd RunRouteSteps(Step step, Each each, bool& changed)
{
    changed = false;
    int32_t state = 0;
    const int32_t limit = SCR_nNode() + 1;
    for (int32_t calls = 0;; ++calls) {
        if (calls >= limit) return RunEnd::Bounded;
        if (CancelKeyDown()) return RunEnd::Cancelled;
        RouteText text;
        const int32_t result = step(&state, text.data(), text.size());
        text.Store();
        if (result == 0) return RunEnd::Failed;
        if (state != 2) changed = true;
        each();
        if (state != 0) return RunEnd::Done;
    }
}

// The text shown when a run was stopped before the router finished.
void NoteRunEnd(RunEnd end)
{
    if (end == RunEnd::Cancelled) g_RouteMsg = GetMsgText(" Routing Cancelled <F10>", "");
    else if (end == RunEnd::Bounded) g_RouteMsg = GetMsgText(" Routing stopped: too many steps", "");
}

}  // namespace

void SCHMAIN::RoutingModeClick(int32_t& x, int32_t& y)
{
    g_RoutePt.Set(x, y);
    const int32_t function = ModeTools(MODE_ROUTING).SelFunc;
    int option = -1;
    for (int i = 0; i <= 4 && option < 0; ++i)
        if (F_OST(i)->Value()) option = i;

    if (function == 0) {
        ::ShowModal(FormInstance<RouteStep>());
        return;
    }
    if (option < 0) return;
    if (function == 1) {
        switch (option) {
        case 0: {
            // Route all wires of the page; no drawing context: the routed
            // wires show through the repaint.
            auto release = OnExit([this] { F_OST(0)->SetValue(false); });
            SetMousePointer(mousepointer::Hourglass);
            auto pointer = OnExit([this] { SetMousePointer(mousepointer::Default); });
            SCR_InitNodeForRoute();
            bool changed = false;
            const RunEnd end = RunRouteSteps(
                [](int32_t* state, char* msg, int32_t size) { return SCR_RouteAllWiresInPage(state, msg, size); },
                [this] { ShowMessage(g_RouteMsg); }, changed);
            NoteRunEnd(end);
            // The run's last text (the share of pins joined and
            // "Routing completed", or why it stopped, a failed step's text
            // too) is its result: shown now, and again by the repaint.
            m_RouteResult = g_RouteMsg;
            ShowMessage(g_RouteMsg);
            if (changed) RefreshCanvas();
            break;
        }
        case 1:
        case 2: {
            RouteText pickText;
            const int32_t picked = SCR_QuestCommand(g_RoutePt.xy, pickText.data(), option == 1 ? kPickNet : kPickComp);
            pickText.Store();
            if (picked == 0) return;
            OpenCanvasDC();
            auto close = OnExit([this] { CloseCanvasDC(); });
            SCR_InitNodeForRoute();
            bool changed = false;
            const RunEnd end = RunRouteSteps(
                [option, picked](int32_t* state, char* msg, int32_t size) {
                    return option == 1 ? SCR_RouteSingleNetInPage(state, msg, size, picked)
                                       : SCR_RouteOneComponentPairInPage(state, msg, size, picked);
                },
                [] {}, changed);
            NoteRunEnd(end);
            m_RouteResult = g_RouteMsg;
            ShowMessage(g_RouteMsg);
            break;
        }
        case 3: {
            int32_t id = CMD_ROUTE_PAIR;
            BeginCommand(id);
            break;
        }
        case 4: {
            // The box's first corner; its preview carries the other.
            m_BaseX = x;
            m_BaseY = y;
            int32_t id = CMD_ROUTE_BLOCK;
            BeginCommand(id);
            break;
        }
        default:
            break;
        }
        return;
    }
    if (function != 2 || option > 2) return;
    if (option == 0) {
        auto release = OnExit([this] { F_OST(0)->SetValue(false); });
        g_NoPaint = true;
        PopupConfirm(GetMsgText("Delete All wires in current page", "1375"), m_MouseX, m_MouseY);
        // The popup ran no paint: the flag must not swallow the refresh
        // below.
        g_NoPaint = false;
        if (!g_YesNoAnswer) return;
        m_RouteResult.clear();
        ShowMessage(GetMsgText(" Deleting all wires", "1396"));
        int32_t state = 0;
        RouteText text;
        SCR_DeleteAllWiresInThePage(&state, text.data(), text.size());
        text.Store();
        ShowMessage(g_RouteMsg);
        RefreshCanvas();
        return;
    }
    // The wires of one net, or one wire; the router draws what it picks
    // highlighted.
    int32_t picked = 0;
    {
        OpenCanvasDC();
        auto close = OnExit([this] { CloseCanvasDC(); });
        RouteText pickText;
        picked = SCR_QuestCommand(g_RoutePt.xy, pickText.data(), option == 1 ? kPickNetDrawn : kPickWireDrawn);
        pickText.Store();
    }
    if (picked == 0) return;
    g_NoPaint = true;
    PopupConfirm(option == 1 ? GetMsgText("Delete wires in one net", "1393") : GetMsgText("Delete selected wire", "1386"),
                 m_MouseX, m_MouseY);
    g_NoPaint = false;
    if (!g_YesNoAnswer) return;
    m_RouteResult.clear();
    OpenCanvasDC();
    auto close = OnExit([this] { CloseCanvasDC(); });
    SCR_InitNodeForRoute();
    int32_t state = 0;
    RouteText text;
    if (option == 1) SCR_DeleteOneNetInThePage(&state, text.data(), text.size(), picked);
    else SCR_DeleteOneBranchInThePage(&state, text.data(), text.size(), picked);
    text.Store();
    ShowMessage(g_RouteMsg);
}

bool SCHMAIN::RoutePairStep(int32_t x, int32_t y)
{
    // Without the image (routing mode was left) the step does nothing.
    if (g_RouteImageActive == 0 || m_StepRequest != 0) return true;
    g_RoutePt.Set(x, y);
    RouteText pickText;
    const int32_t node = SCR_QuestCommand(g_RoutePt.xy, pickText.data(), kPickPair);
    pickText.Store();
    if (node == 0) {
        winsys::Ui().Beep();
        return false;
    }
    OpenCanvasDC();
    auto close = OnExit([this] { CloseCanvasDC(); });
    SCR_InitNodeForRoute();
    int32_t state = 0;
    RouteText text;
    SCR_RouteOnePairInPage(&state, text.data(), text.size(), node);
    text.Store();
    // The command's end shows it.
    m_RouteResult = g_RouteMsg;
    return true;
}

bool SCHMAIN::RouteBlockStep()
{
    if (g_RouteImageActive == 0 || m_StepRequest != 0) return false;
    g_RouteBlokPt.Set(m_BaseX, m_BaseY);
    g_RoutePt.Set(m_BoxOrgX, m_BoxOrgY);
    if (SCR_QuestBlok(g_RouteBlokPt.xy, g_RoutePt.xy, 0, kBlockQuery) == 0) return false;
    OpenCanvasDC();
    auto close = OnExit([this] { CloseCanvasDC(); });
    SCR_InitNodeForRoute();
    bool changed = false;
    const RunEnd end = RunRouteSteps(
        [](int32_t* state, char* msg, int32_t size) {
            return SCR_RouteBlokPairInPage(state, msg, size, g_RouteBlokPt.xy, g_RoutePt.xy);
        },
        [this] { ShowMessage(g_RouteMsg); }, changed);
    close.Dismiss();
    CloseCanvasDC();
    // The run's last text is its result, which the command's end shows: the
    // share of connected pairs with "Routing completed", or why it stopped
    // early (a failed call, F10, too many steps).
    NoteRunEnd(end);
    m_RouteResult = g_RouteMsg;
    EndCommand(CMD_ROUTE_BLOCK);
    return true;
}
