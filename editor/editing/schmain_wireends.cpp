// Joining the end of a wire being drawn to what lies under it: a pin, a
// junction or segment of another net wire, or a bus wire.
#include "editor/editing/editing_state.h"
#include "editor/editing/wire_helpers.h"
#include "editor/interaction/commands.h"
#include "editor/objects/branch_drawing.h"
#include "editor/objects/branch_hits.h"
#include "editor/objects/branch_points.h"
#include "editor/objects/comp_picking.h"
#include "editor/objects/comp_state.h"
#include "editor/objects/net_lookups.h"
#include "editor/objects/pin_nodes.h"
#include "editor/objects/wire_state.h"
#include "editor/shell/msgtext.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/reporter.h"
#include "editor/shell/schmain.h"
#include "platform/winsys/interaction.h"

#include <initializer_list>

using namespace wire_edit;

namespace {

// True when the point before or after the current one refers to `node`
// (or, with node 0, to any node of pin (comp, entry) of `net`).
bool NeighbourAtPin(int32_t net, int32_t node, int32_t comp, int32_t entry)
{
    for (const int32_t index : {g_CurBranchPos - 1, g_CurBranchPos + 1}) {
        BranchPointRec point{};
        if (index < 1 || B_ReadRecord(g_CurBranch, index, &point) == 0 || (point.Flags & 6) != kNodeRef) continue;
        if (node != 0 && point.Ref == node) return true;
        NodeRec rec{};
        if (node == 0 && N_ReadNode(net, point.Ref, &rec) != 0 && rec.Comp == comp && rec.Entry == entry)
            return true;
    }
    return false;
}

// The end was refused: the wire as it is, its end drawn again.
void RedrawRefusedEnd()
{
    B_ReadBranch(g_CurBranch, &g_CurBranchRec);
    g_MainForm->OpenCanvasDC();
    MarkJunctionWires(0, g_CurBranch, g_CurBranchPoint);
    g_MainForm->CloseCanvasDC();
}

void ReloadCurrentPoint()
{
    B_ReadRecord(g_CurBranch, g_CurBranchPos, &g_CurBranchPoint);
}

// Merges the net of the wire with `other` after the user's Yes; the
// survivor becomes g_CurNet. True when the nets are one.
bool MergeWithWireNet(int32_t wireNet, int32_t other, bool& merged)
{
    if (wireNet == other) return true;
    int32_t target = wireNet, source = other, fail = 1;
    g_MainForm->ConfirmNetMerge(fail, target, source);
    if (fail != 0) {
        RedrawRefusedEnd();
        return false;
    }
    merged = true;
    g_CurNet = target;
    return true;
}

}  // namespace

void SCHMAIN::ConnectWireEndAt(int32_t& fail, bool& merged, bool onlyAtPin, bool joinWires, int32_t& X, int32_t& Y)
{
    fail = 1;
    merged = false;
    if (!m_WireIsBus && m_StepRequest == 0) {
        X = g_CurBranchPoint.X;
        Y = g_CurBranchPoint.Y;
        int32_t status = 1;
        PickComp(status, X, Y, g_CompId, g_CompEntry, g_CompName);
        if (status == 0 && g_CompEntry >= 1) {
            int32_t res = 1;
            FindPinNet(res, 0, g_CompId, g_CompEntry, g_OtherNet, g_OtherNetName, g_OtherNode);
            if (res != 0)
                JoinFreePin(fail);
            else
                JoinConnectedPin(fail, merged);
        } else if (onlyAtPin) {
            fail = 1;
        } else if (joinWires) {
            B_ReadBranch(g_CurBranch, &g_CurBranchRec);
            g_CoverBranchPos = 1;
            CoverJunctionAtPoint(status, X, Y, g_CoverBranch, g_CoverBranchRec, g_CoverBranchPos,
                                 g_CurBranchRec.Net);
            if (status == 0) {
                if ((g_CoverBranchRec.Flags & kBusWire) != 0)
                    JoinBusAtJunction(fail, merged);
                else
                    JoinNetAtJunction(fail, merged);
            } else {
                int32_t sx = X, sy = Y;
                SnapToBranch(status, sx, sy, g_CoverBranch, g_CoverBranchRec, g_CoverBranchPos, g_CurBranchRec.Net);
                if (status != 0) {
                    fail = 0;
                } else {
                    // The end moves onto the segment before it joins it.
                    g_CurBranchPoint.X = X = sx;
                    g_CurBranchPoint.Y = Y = sy;
                    MoveJunction(g_CurBranchPoint);
                    if ((g_CoverBranchRec.Flags & kBusWire) != 0)
                        JoinBusAtSegment(fail, merged);
                    else
                        JoinNetAtSegment(fail, merged);
                }
            }
        } else {
            fail = 0;
        }
    } else {
        if (g_CurCommand == 32 && g_ReplacedNode != 0) {
            ReplaceBranchRecordRef(3, g_CurBranchPoint.Ref, g_ReplacedNode);
            ReloadCurrentPoint();
            O_Mask(N_Node(g_CurBranchRec.Net, g_ReplacedNode), 258, 259);
        }
        fail = 0;
    }
    if (fail != 0) {
        winsys::Ui().Beep();
        return;
    }
    // A merge may have taken the wire's net away: the highlight draws the
    // nodes of the net the wire has now.
    if (merged) B_ReadBranch(g_CurBranch, &g_CurBranchRec);
    OpenCanvasDC();
    HighlightSelectedBranches(0, g_CurBranch, g_CurBranchPoint);
    CloseCanvasDC();
}

void SCHMAIN::JoinFreePin(int32_t& fail)
{
    fail = 1;
    BranchRec rec{};
    if (B_ReadBranch(g_CurBranch, &rec) == 0 || rec.Net == 0) return;
    if (NeighbourAtPin(rec.Net, 0, g_CompId, g_CompEntry)) return;
    int32_t status = 1, node = 0;
    CreatePinNode(status, g_CompId, g_CompEntry, rec.Net, node);
    if (status != 0) return;
    O_Mask(N_Net(rec.Net), 256, 257);
    O_Mask(N_Node(rec.Net, node), 770, 259);
    ReplaceBranchRecordRef(3, g_CurBranchPoint.Ref, node);
    ReloadCurrentPoint();
    g_CurNode = node;
    g_CurBranchRec = rec;
    DropOverlay();
    fail = 0;
}

void SCHMAIN::JoinConnectedPin(int32_t& fail, bool& merged)
{
    fail = 1;
    int32_t res = 1;
    FindPinNet(res, 0, g_CompId, g_CompEntry, g_OtherNet, g_OtherNetName, g_OtherNode);
    BranchRec rec{};
    if (res != 0 || B_ReadBranch(g_CurBranch, &rec) == 0) return;
    if (NeighbourAtPin(g_OtherNet, g_OtherNode, 0, 0)) return;
    if (rec.Net != g_OtherNet) {
        // Records the kernel did not fill hold names of objects long gone.
        if (N_ReadNet(g_OtherNet, &g_OtherNetRec) == 0 || N_ReadNode(g_OtherNet, g_OtherNode, &g_OtherNodeRec) == 0)
            return;
        ReadNodeInfo(g_OtherNet, g_OtherNode, g_OtherNetRec, g_OtherNodeRec, g_NodeInfo);
    }
    if (!MergeWithWireNet(rec.Net, g_OtherNet, merged)) return;
    if (rec.Net == g_OtherNet) g_CurNet = rec.Net;
    ReplaceBranchRecordRef(3, g_CurBranchPoint.Ref, g_OtherNode);
    ReloadCurrentPoint();
    O_Mask(N_Node(g_CurNet, g_OtherNode), 258, 259);
    g_CurNode = g_OtherNode;
    fail = 0;
}

void SCHMAIN::JoinNetAtJunction(int32_t& fail, bool& merged)
{
    fail = 1;
    BranchRec rec{};
    if (B_ReadBranch(g_CurBranch, &rec) == 0 || B_ReadBranch(g_CoverBranch, &g_CoverBranchRec) == 0 ||
        B_ReadRecord(g_CoverBranch, g_CoverBranchPos, &g_CoverBranchPoint) == 0)
        return;
    g_CurNode = 0;
    if (!MergeWithWireNet(rec.Net, g_CoverBranchRec.Net, merged)) return;
    if (!merged) g_CurNet = rec.Net;
    const int32_t junction = g_CoverBranchPoint.Ref;
    ReplaceBranchRecordRef(1, g_CurBranchPoint.Ref, junction);
    ReloadCurrentPoint();
    O_Mask(J_Junction(junction), 8, 8);
    fail = 0;
}

void SCHMAIN::JoinNetAtSegment(int32_t& fail, bool& merged)
{
    fail = 1;
    BranchRec rec{};
    if (B_ReadBranch(g_CurBranch, &rec) == 0 || B_ReadBranch(g_CoverBranch, &g_CoverBranchRec) == 0 ||
        B_ReadRecord(g_CoverBranch, g_CoverBranchPos - 1, &g_CoverBranchPoint) == 0)
        return;
    g_CurNode = 0;
    if (!MergeWithWireNet(rec.Net, g_CoverBranchRec.Net, merged)) return;
    if (!merged) g_CurNet = rec.Net;
    if (B_InsertRecord(g_CoverBranch, g_CoverBranchPos, (g_CurBranchPoint.Flags & kJunctionRef) | 1,
                       g_CurBranchPoint.Ref) != 0)
        O_Mask(J_Junction(g_CurBranchPoint.Ref), 8, 8);
    else
        ReportMsg(51);
    ReloadCurrentPoint();
    fail = 0;
}

namespace {

// The membership of the wire's net in the bus of the cover wire: refused
// for a power/ground net and for a net of another bus; a new member's slot
// is asked. True when the net is a member.
bool JoinWireNetToBus(int32_t& net)
{
    BranchRec rec{};
    if (B_ReadBranch(g_CurBranch, &rec) == 0 || B_ReadBranch(g_CoverBranch, &g_CoverBranchRec) == 0) return false;
    net = rec.Net;
    const int32_t bus = g_CoverBranchRec.Net;
    if ((O_GetStatus(N_Net(net)) & kNetPower) != 0) return false;
    int32_t index = 0;
    const int32_t memberOf = N_FindBusMember(net, &index);
    if (memberOf != 0 && memberOf != bus) return false;
    if (memberOf == 0) {
        int32_t fail = 1;
        g_MainForm->AskBusMemberIndex(fail, net, bus, index);
        if (fail != 0) return false;
        if (index != -1 && N_SetBusMember(bus, index, net) < 0) {
            std::string detail = GetMsgText(" to Bus", "13204");
            ReportMsg(54, detail);
            return false;
        }
    }
    O_Mask(N_Net(net), kNetBusMember, kNetBusMember);
    g_CurNet = net;
    g_CurBus = bus;
    return true;
}

}  // namespace

void SCHMAIN::JoinBusAtJunction(int32_t& fail, bool& merged)
{
    fail = 1;
    int32_t net = 0;
    if (!JoinWireNetToBus(net) || B_ReadRecord(g_CoverBranch, g_CoverBranchPos, &g_CoverBranchPoint) == 0) {
        RedrawRefusedEnd();
        return;
    }
    merged = true;
    const int32_t junction = g_CoverBranchPoint.Ref;
    ReplaceBranchRecordRef(1, g_CurBranchPoint.Ref, junction);
    ReloadCurrentPoint();
    O_Mask(J_Junction(junction), 0xE, 0xE);
    fail = 0;
}

void SCHMAIN::JoinBusAtSegment(int32_t& fail, bool& merged)
{
    fail = 1;
    int32_t net = 0;
    if (!JoinWireNetToBus(net)) {
        RedrawRefusedEnd();
        return;
    }
    merged = true;
    if (B_InsertRecord(g_CoverBranch, g_CoverBranchPos, (g_CurBranchPoint.Flags & kJunctionRef) | 1,
                       g_CurBranchPoint.Ref) != 0)
        O_Mask(J_Junction(g_CurBranchPoint.Ref), 0xE, 0xE);
    else
        ReportMsg(51);
    ReloadCurrentPoint();
    fail = 0;
}
