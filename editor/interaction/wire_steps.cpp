// The steps of the wire and bus commands: a click of the drawing command
// (31: a corner fixed and joined, or the wire finished or given up), a
// dragged segment (20, 33) or point (21, 32, 34) dropped, an inserted point
// dropped with the next one inserted (22, 35), the second pick of a bus
// member exchange (30), a new name text placed (37), a name text moved (38)
// and the end of a wire shown whole with its net (39). The ids below 31
// are the page frame's, whose records are drawn in the highlight.
#include "editor/interaction/command_steps.h"

#include "editor/editing/wire_helpers.h"
#include "editor/objects/branch_drawing.h"
#include "editor/objects/branch_points.h"
#include "editor/objects/branches.h"
#include "editor/objects/net_removal.h"
#include "editor/objects/owner_items.h"
#include "editor/objects/symbol_items.h"
#include "editor/objects/wire_state.h"
#include "editor/interaction/commands.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/schmain.h"

namespace {

int32_t WireFlag(int32_t id)
{
    return id < 31 ? 1 : 0;
}

// The net of the current wire; 0 for a bus or a page frame (whose net
// field names the bus or the page).
int32_t WireNet(const SCHMAIN& m)
{
    if (m.m_WireEndKind == -1 || g_CurBranch < 0) return 0;
    BranchRec rec = g_CurBranchRec;
    if (g_CurBranch != 0) B_ReadBranch(g_CurBranch, &rec);
    return (rec.Flags & wire_edit::kBusWire) != 0 ? 0 : rec.Net;
}

// The marks 0x200 of the nodes made or joined while the command ran.
void ClearNetMarks(const SCHMAIN& m)
{
    if (const int32_t net = WireNet(m)) OM_MaskAll(N_NodeMap(net), 0, 0x200);
}

void ClearRecordMarks()
{
    if (g_CurBranch != 0 && B_Branch(g_CurBranch) != 0) B_MaskBranchRecords(g_CurBranch, 0, 0x200);
}

// Connects the dropped end to what lies under it (pins, or also wires with
// option 8; option 2 only pins). False when the end was refused and the
// command stays.
bool ConnectEnd(SCHMAIN& m, int32_t& x, int32_t& y, bool& merged)
{
    int32_t failed = 1;
    merged = false;
    m.ConnectWireEndAt(failed, merged, OptionPressed(m, 2), OptionPressed(m, 8), x, y);
    return failed == 0;
}

// 20, 33: the segment stays where the preview left it; given up, the
// junctions inserted at its pins go again.
bool DropSegment(SCHMAIN& m, int32_t&, int32_t&, int32_t id)
{
    m.OpenCanvasDC();
    if (m.m_StepRequest) {
        int32_t first = 0;
        DeleteBranchRecordsByMask(g_CurBranch, 0x200, first);
    }
    if (g_CurBranch != 0) {
        HighlightAllBranchRecords(WireFlag(id), g_CurBranch);
        B_MaskBranchRecords(g_CurBranch, 0, 0x200);
    }
    m.CloseCanvasDC();
    return false;
}

// 21, 32, 34: the point stays where the preview left it and its end is
// connected; option 3 drops it. 32 goes back to the junction function.
bool DropPoint(SCHMAIN& m, int32_t& x, int32_t& y, int32_t id)
{
    const int32_t flag = WireFlag(id);
    if (m.m_JunctionRequest) {
        int32_t fail = 1;
        m.DropMovingWireEnd(fail);
    } else if (id == 21) {
        m.OpenCanvasDC();
        HighlightSelectedBranches(flag, g_CurBranch, g_CurBranchPoint);
        m.CloseCanvasDC();
    } else {
        bool merged = false;
        if (!ConnectEnd(m, x, y, merged)) return true;
        ClearNetMarks(m);
    }
    if (id == 32) PressFunction(m, 2);
    return false;
}

// 22, 35: the inserted point stays and the next one is inserted after it
// (before it when the leg is anchored at the next point); option 10 takes
// back every point inserted, option 3 drops the one being dragged.
bool DropInsertedPoint(SCHMAIN& m, int32_t& x, int32_t& y, int32_t id)
{
    const int32_t flag = WireFlag(id);
    if (m.m_StepRequest) {
        const int32_t net = WireNet(m);
        // The stretches of the inserted points are drawn off; a count of
        // none would draw to the wire's end.
        m.OpenCanvasDC();
        if (g_SavedPrevPos >= 1 && g_PrevBranchPos > g_SavedPrevPos)
            MarkBranchRecord(flag, g_CurBranch, g_SavedPrevPos, g_PrevBranchPos - g_SavedPrevPos);
        if (g_NextBranchPos >= 1 && g_SavedNextPos > g_NextBranchPos)
            MarkBranchRecord(flag, g_CurBranch, g_NextBranchPos, g_SavedNextPos - g_NextBranchPos);
        m.CloseCanvasDC();
        int32_t first = 0;
        DeleteBranchRecordsByMask(g_CurBranch, 0x200, first);
        int32_t result = 0;
        if (net != 0) DeleteMaskedNetNodes(net, 0x200, result);
        if (g_CurBranch != 0) {
            m.OpenCanvasDC();
            HighlightBranchRecords(flag, g_CurBranch, g_SavedPrevPos, 1);
            m.CloseCanvasDC();
        }
    }
    if (m.m_JunctionRequest) {
        int32_t fail = 1;
        m.DropMovingWireEnd(fail);
        ClearRecordMarks();
        ClearNetMarks(m);
    }
    if (m.m_StepRequest || m.m_JunctionRequest) {
        PressFunction(m, 5);
        return false;
    }
    if (id == 22) {
        m.OpenCanvasDC();
        HighlightSelectedBranches(flag, g_CurBranch, g_CurBranchPoint);
        m.CloseCanvasDC();
    } else {
        bool merged = false;
        if (!ConnectEnd(m, x, y, merged)) return true;
        if (merged) {
            ClearRecordMarks();
            ClearNetMarks(m);
            return false;
        }
    }
    if (g_LegFromNext == 0) {
        g_CurBranchPos = g_NextBranchPos;
        g_CurBranchPoint = g_NextBranchPoint;
    }
    m.OpenCanvasDC();
    MarkBranchRecord(flag, g_CurBranch, g_CurBranchPos - 1, 1);
    int32_t status = 1;
    InsertJunctionInBranch(status, m.m_WireIsBus ? 1 : 0, x, y, 0);
    if (status == 0) {
        m.CloseCanvasDC();
        g_SavedNextPos += 1;
        return true;
    }
    HighlightBranchRecords(flag, g_CurBranch, g_CurBranchPos - 1, 1);
    m.CloseCanvasDC();
    PressFunction(m, 5);
    return false;
}

// 30: the second net of a bus member exchange; a refused pick stays.
bool ExchangeMembers(SCHMAIN& m, int32_t& x, int32_t& y, int32_t)
{
    if (m.m_StepRequest) {
        m.OpenCanvasDC();
        HighlightBranchRecords(0, g_CurBranch, 1, -1);
        m.CloseCanvasDC();
        return false;
    }
    int32_t fail = 1;
    m.ExchangeBusMembers(fail, 1, x, y);
    return fail != 0;
}

// 37: the new name text is drawn where it was put, or deleted when given
// up; the name-text function comes back.
bool PlaceNewBranchText(SCHMAIN& m, int32_t&, int32_t&, int32_t)
{
    g_CurCommand = 0;
    m.OpenCanvasDC();
    if (m.m_StepRequest)
        OA_Delete(B_BranchTextArray(g_CurBranch), g_SymbItemIdx);
    else
        DrawOwnerItem(kOwnerBranch, g_CurBranch, g_SymbItemIdx);
    HighlightBranchRecords(0, g_CurBranch, 1, -1);
    m.CloseCanvasDC();
    PressFunction(m, 6);
    return false;
}

// 38: the moved name text is drawn where it was put.
bool PlaceBranchText(SCHMAIN& m, int32_t&, int32_t&, int32_t)
{
    m.OpenCanvasDC();
    DrawOwnerItem(kOwnerBranch, g_CurBranch, g_SymbItemIdx);
    HighlightBranchRecords(0, g_CurBranch, 1, -1);
    m.CloseCanvasDC();
    return false;
}

// 39: the wire shown whole gets its normal look back and the command ends;
// a click starts the next one on the wire under it. The marking that began
// the command erased the wire's net (its other wires, junction dots and
// nodes, with whatever lies under them), so the page is painted again, once
// the command is over: a paint while it runs would draw its blink again.
bool EndWireShown(SCHMAIN& m, int32_t&, int32_t&, int32_t id)
{
    m.OpenCanvasDC();
    HighlightBranchRecords(0, g_CurBranch, 1, g_CurBranchRec.Points - 1);
    m.CloseCanvasDC();
    if (!m.m_StepRequest) g_CmdRunning = -1;
    m.EndCommand(id);
    RefreshAll(m);
    return true;
}

// 31: one click of drawing a wire or bus; a refused click keeps the
// command.
bool DrawWire(SCHMAIN& m, int32_t& x, int32_t& y, int32_t)
{
    int32_t fail = 1;
    m.WireDrawStep(fail, x, y);
    return fail != 0;
}

// A wire drawn, dragged or given a name text ends with a fresh paint: the
// marking that began the command took legs, node marks and the net's other
// wires off the canvas (draw mode 2 erases, with whatever lies under them),
// and only the marked records come back incrementally.
template <CommandStep step>
bool Repainted(SCHMAIN& m, int32_t& x, int32_t& y, int32_t id)
{
    if (step(m, x, y, id)) return true;
    RefreshAll(m);
    return false;
}

}  // namespace

CommandStep FindWireStep(int32_t id)
{
    switch (id) {
    case 20: case 33: return Repainted<DropSegment>;
    case 31: return Repainted<DrawWire>;
    case 21: case 32: case 34: return Repainted<DropPoint>;
    case 22: case 35: return Repainted<DropInsertedPoint>;
    case 30: return ExchangeMembers;
    case 37: return Repainted<PlaceNewBranchText>;
    case 38: return Repainted<PlaceBranchText>;
    case 39: return EndWireShown;
    default: return nullptr;
    }
}
