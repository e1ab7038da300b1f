// The step engine's table and the steps of the component, net and wire
// commands whose operations exist; the block, bitmap, item and box steps are
// in block_steps.cpp.
#include "editor/interaction/command_steps.h"

#include "editor/editing/comp_swap.h"
#include "editor/interaction/commands.h"
#include "editor/interaction/input_state.h"
#include "editor/objects/comp_picking.h"
#include "editor/objects/branch_drawing.h"
#include "editor/objects/branch_points.h"
#include "editor/objects/comp_state.h"
#include "editor/objects/components.h"
#include "editor/objects/net_drawing.h"
#include "editor/objects/symbol_items.h"
#include "editor/objects/wire_state.h"
#include "editor/shell/geometry.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/msgtext.h"
#include "editor/shell/reporter.h"
#include "editor/shell/ribbon.h"
#include "editor/shell/schmain.h"
#include "editor/objects/view_values.h"
#include "editor/shell/curpos.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <map>

namespace {

// 1, 5: the component is drawn where the preview left it.
bool RedrawComp(SCHMAIN& m, int32_t&, int32_t&, int32_t)
{
    m.OpenCanvasDC();
    DrawCompWithWires(g_CompId);
    m.CloseCanvasDC();
    return false;
}

// 2, 3, 4: placed; the function button of the placement again; with the
// step request the component goes.
bool PlaceComp(SCHMAIN& m, int32_t& x, int32_t& y, int32_t id)
{
    RedrawComp(m, x, y, id);
    PressFunction(m, id == 2 ? 0 : (id == 3 ? 1 : 3));
    if (m.m_StepRequest) m.RemoveComponent(g_CompId);
    return false;
}

// 8, 9: the component is drawn; then its array is placed, or with the step
// request the component goes.
bool PlaceArray(SCHMAIN& m, int32_t& x, int32_t& y, int32_t id)
{
    RedrawComp(m, x, y, id);
    if (m.m_StepRequest)
        m.RemoveComponent(g_CompId);
    else
        m.PlaceCompArray();
    return false;
}

// 7: the first component is drawn back (or only unmarked when it is on
// another page), the second is picked and the gates of the two exchanged
// when both are of one symbol and device.
bool GateSwap(SCHMAIN& m, int32_t& x, int32_t& y, int32_t)
{
    const int32_t first = g_CompId;
    const CompRec firstRec = g_Comp;
    m.OpenCanvasDC();
    if (O_TestPage(C_Component(first), 0) != 0) {
        DrawCompWithWires(first);
    } else {
        O_Mask(C_Component(first), 1, 5);
        N_MaskCompNodes(first, 0, 1, 0x81, 1, 0x81);
        B_MaskNodeRecords(first, 0, 1, 0x81, 1, 0x81, 1, 0x81);
    }
    m.CloseCanvasDC();
    // The exchange works on the first component kept here and the second
    // one picked now.
    g_NewCompId = first;
    g_CompFirst = firstRec;
    int32_t status = 1, id = 0;
    PickComp(status, x, y, id, g_CompEntry, g_CompName);
    if (status != 0 || id == g_NewCompId) return false;
    g_CompId = id;
    if (g_Comp.Symb == g_CompFirst.Symb && g_Comp.Device == g_CompFirst.Device) {
        g_CurCommand = 0;
        m.ExchangeGates();
    } else {
        ReportMsg(74);
    }
    return false;
}

// 15: the vector move; each click before the vector is complete is handed
// on, the last one moves the marked components.
bool VectorMove(SCHMAIN& m, int32_t& x, int32_t& y, int32_t)
{
    if (m.m_StepRequest) {
        OM_MaskAll(DB_SchCompMap(), 0, 0x100);
        return false;
    }
    if (m.m_CmdStep != 3) {
        g_CmdRunning = -1;
        return true;
    }
    g_CurCommand = 0;
    int32_t status = 0;
    m.MoveCompsByVector(status, 3, x, y);
    // The components are redrawn one by one over what lies around them, so
    // a wire crossing a moved body ends up under it; the page is painted
    // again, as after a block move, so that the screen shows the group as
    // the page paint layers it.
    m.RefreshCanvas();
    return false;
}

// 16: the components in the box are collected for a vector move.
bool CollectBlock(SCHMAIN& m, int32_t& x, int32_t& y, int32_t)
{
    if (m.m_StepRequest) return false;
    CentreBox(m, true);
    int32_t status = 0;
    m.MoveCompsByVector(status, 0, x, y);
    if (status != 0) return false;
    m.BlinkCompFrame();
    g_CmdRunning = -1;
    return false;
}

// 17: the second component of a place exchange; a failed pick or a locked
// component keeps the command.
bool PlaceSwap(SCHMAIN& m, int32_t& x, int32_t& y, int32_t)
{
    if (m.m_StepRequest) {
        m.m_CmdArmed = 0;
        m.m_CmdStep = 0;
        return false;
    }
    int32_t status = 0;
    m.SwapCompPlaces(status, 1, x, y);
    if (status == 0) return false;
    m.BlinkCompFrame();
    return true;
}

// 98: the second pin of a pin swap; while another pick is needed the pin
// is blinked again and the command stays.
bool PinSwap(SCHMAIN& m, int32_t& x, int32_t& y, int32_t)
{
    if (m.m_StepRequest) return false;
    int32_t status = 0;
    m.SwapPins(status, x, y);
    if (status == 0) return false;
    m.OpenCanvasDC();
    m.BlinkEntry();
    m.CloseCanvasDC();
    return true;
}

// 90, 102, 103: the net is shown again; 90 hands the click on.
bool ShowNet(SCHMAIN& m, int32_t&, int32_t&, int32_t id)
{
    m.OpenCanvasDC();
    HighlightNet(g_CurNet);
    RedrawNet(g_CurNet);
    m.CloseCanvasDC();
    if (id == 90 && !m.m_StepRequest) g_CmdRunning = -1;
    return false;
}

// 24: the frame's point delete: the frame's records are drawn back and the
// point the mode picked goes (the frame's first and last point and a
// three-sided frame refuse with a beep), and the page is painted again, the
// frame being drawn with its outline.
bool DeleteFramePoint(SCHMAIN& m, int32_t&, int32_t&, int32_t id)
{
    m.OpenCanvasDC();
    HighlightBranchRecords(1, g_CurBranch, 1, g_CurBranchRec.Points - 1);
    m.CloseCanvasDC();
    if (!m.m_StepRequest) g_CmdRunning = -1;
    if (g_CurBranch != 0) {
        B_MaskBranchRecords(g_CurBranch, 0, 257);
        int32_t branch = g_CurBranch;
        DeleteBranchRecord(branch, g_CurBranchPos);
        g_CurBranch = branch;
    }
    m.EndCommand(id);
    m.RefreshCanvas();
    return true;
}

// 96: one more connection per click.
bool RepeatWire(SCHMAIN& m, int32_t&, int32_t&, int32_t)
{
    if (m.m_StepRequest) return false;
    // The pattern goes where the preview showed it: its first point at
    // the pointer the preview left in element 0.
    const long n = g_NetNodes.UBound();
    if (n >= 1) {
        const int64_t dx = int64_t{g_NetNodes(0).X} - g_NetNodes(1).X;
        const int64_t dy = int64_t{g_NetNodes(0).Y} - g_NetNodes(1).Y;
        for (long k = 1; k <= n; ++k) {
            g_NetNodes(k).X = ClampToLimit(g_NetNodes(k).X + dx);
            g_NetNodes(k).Y = ClampToLimit(g_NetNodes(k).Y + dy);
        }
    }
    m.BuildRepeatWire();
    return true;
}

// 300: routes the pair at the click; "Pair not selected" stays on the
// message line after the common end has cleared it.
bool RoutePair(SCHMAIN& m, int32_t& x, int32_t& y, int32_t id)
{
    if (m.RoutePairStep(x, y)) return false;
    m.EndCommand(id);
    m.ShowMessage(GetMsgText("Pair not selected", "13158"));
    return true;
}

// 301: routes the pairs inside the box the preview left.
bool RouteBlock(SCHMAIN& m, int32_t&, int32_t&, int32_t)
{
    return m.RouteBlockStep();
}

const std::map<int32_t, CommandStep>& Table()
{
    static const std::map<int32_t, CommandStep> table = [] {
        std::map<int32_t, CommandStep> t;
        for (int32_t id : {1, 5, 201, 205}) t[id] = RedrawComp;
        for (int32_t id : {2, 3, 4}) t[id] = PlaceComp;
        t[7] = GateSwap;
        for (int32_t id : {8, 9}) t[id] = PlaceArray;
        t[15] = VectorMove;
        t[16] = CollectBlock;
        t[17] = PlaceSwap;
        t[98] = PinSwap;
        for (int32_t id : {90, 102, 103}) t[id] = ShowNet;
        t[24] = DeleteFramePoint;
        t[96] = RepeatWire;
        t[300] = RoutePair;
        t[301] = RouteBlock;
        // The families of steps kept in their own files.
        for (CommandStep (*find)(int32_t) : {FindBlockStep, FindPlacementStep, FindTextStep, FindNetStep, FindWireStep,
                                             FindComponentStep})
            for (int32_t id = 1; id <= 400; ++id)
                if (CommandStep s = find(id)) t[id] = s;
        return t;
    }();
    return table;
}

}  // namespace

CommandStep FindCommandStep(int32_t id)
{
    const auto& t = Table();
    auto it = t.find(id);
    return it == t.end() ? nullptr : it->second;
}

std::vector<int32_t> CommandStepIds()
{
    std::vector<int32_t> ids;
    for (const auto& [id, step] : Table()) ids.push_back(id);
    return ids;
}

void CentreBox(SCHMAIN& m, bool full)
{
    m.m_BaseX = static_cast<int32_t>(std::nearbyint(m.m_BoxW / 2.0 + m.m_BoxOrgX));
    m.m_BaseY = static_cast<int32_t>(std::nearbyint(m.m_BoxH / 2.0 + m.m_BoxOrgY));
    int32_t unchanged = 0;
    m.SnapPoint(unchanged, m.m_BaseX, m.m_BaseY);
    m.m_LastBoxOrgX = m.m_BoxOrgX;
    m.m_LastBoxOrgY = m.m_BoxOrgY;
    if (!full) return;
    m.m_BoxDiagonal = static_cast<int32_t>(std::nearbyint(VectorLength(m.m_BoxW, m.m_BoxH)));
    PublishSelRect(m);
}

void PublishSelRect(SCHMAIN& m)
{
    // The selection rectangle is held by its two corners.
    const auto corner = [](int32_t org, int32_t size) {
        return static_cast<int32_t>(std::clamp<int64_t>(int64_t{org} + size, INT32_MIN, INT32_MAX));
    };
    g_SelRect = {m.m_BoxOrgX, m.m_BoxOrgY, corner(m.m_BoxOrgX, m.m_BoxW), corner(m.m_BoxOrgY, m.m_BoxH)};
}

void PressFunction(SCHMAIN& m, int n)
{
    if (!m.F_FSI.Exists(n)) return;
    if (m.F_FSI(n)->Value())
        m.F_FSI_Click(n, true);
    else
        m.F_FSI(n)->SetValue(true);
}

bool OptionPressed(SCHMAIN& m, int n)
{
    return m.F_OST.Exists(n) && m.F_OST(n)->Value();
}

void RefreshAll(SCHMAIN& m)
{
    m.RefreshCanvas();
    m.RedrawView();
}

void SCHMAIN::ExecuteCommandStep(int32_t& x, int32_t& y)
{
    EraseOverlay();
    if (m_HighlightMF != 0) {
        ToggleHighlight();
        m_WireHighlightOn = -1;
    }
    CloseCanvasDC();
    g_CmdRunning = 0;
    const int32_t entry = g_CurCommand;
    if (CommandStep step = FindCommandStep(entry))
        if (step(*this, x, y, entry)) return;
    EndCommand(entry);
}

void SCHMAIN::EndCommand(int32_t entry)
{
    EraseHighlight();
    EraseViewCross();
    DrawCmdObjectInView(entry, g_DrawMode);
    g_CurCommand = 0;
    m_StepRequest = 0;
    m_JunctionRequest = 0;
    // Empty, unless the command was a routing run (a new command drops the
    // previous result).
    ShowMessage(g_RouteImageActive ? m_RouteResult : std::string());
    F_FSIPan->setEnabled(true);
    EnableIdleControls();
    SetFormCursorIdle();
    m_PreviewPending = 0;
}
