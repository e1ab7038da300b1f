// Nets made from picked or typed pins, and bend points inserted into a wire.
#include "editor/editing/editing_state.h"
#include "editor/editing/wire_helpers.h"
#include "editor/interaction/commands.h"
#include "editor/objects/branch_drawing.h"
#include "editor/objects/branch_points.h"
#include "editor/objects/branches.h"
#include "editor/objects/comp_state.h"
#include "editor/objects/net_drawing.h"
#include "editor/objects/net_lookups.h"
#include "editor/objects/net_removal.h"
#include "editor/objects/net_text.h"
#include "editor/objects/pin_nodes.h"
#include "editor/objects/wire_state.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/reporter.h"
#include "editor/shell/ribbon.h"
#include "editor/shell/schmain.h"
#include "platform/winsys/interaction.h"

#include <vector>

using namespace wire_edit;

void SCHMAIN::CreateNet(int32_t& fail, bool fromText, int32_t& net, std::string& name, NetRec& netRec)
{
    fail = 1;
    g_CurCommand = 0;
    if (fromText) {
        int32_t status = 1;
        ParseNetText(status);
        if (status != 0) return;
    }
    bool made = false;
    if (net == 0) {
        // Picked pins come without the dialog's answer: a plain net.
        const int32_t flags = fromText && g_NetEditFlags != 0 ? g_NetEditFlags : 1;
        net = N_CreateNet(0, flags, name.c_str());
        if (net == 0) {
            ReportMsg(35, name);
            return;
        }
        made = true;
    }
    for (long k = 1; k <= g_NetNodes.UBound(); ++k) {
        const NodeRec& pin = g_NetNodes(k);
        int32_t status = 1, pinNet = 0, node = 0;
        std::string pinNetName;
        FindPinNet(status, 0, pin.Comp, pin.Entry, pinNet, pinNetName, node);
        if (status == 0) {
            ReportMsg(31, pinNetName);
            continue;
        }
        CreatePinNode(status, pin.Comp, pin.Entry, net, node);
    }
    if (N_ReadNet(net, &netRec) == 0) return;
    if (netRec.Nodes == 0) {
        int32_t result = 0;
        DeleteNetIfEmpty(net, result);
        return;
    }
    OpenCanvasDC();
    RedrawNet(net);
    CloseCanvasDC();
    fail = 0;
    if (!made || fromText) return;
    int32_t cursor = 0;
    MakeNetNodeText(net, cursor, netRec);
    g_CurNetName = name;
    ShowNetEditDialog(1, 0, 0, static_cast<int32_t>(g_NetNodeText.size()));
    if (g_NetEditFlags == 0) return;
    int32_t flags = netRec.Flags, status = 1;
    std::string newName = g_CurNetName;
    RenameNet(status, net, newName, flags);
    name = newName;
}

void SCHMAIN::InsertBranchPoint(int32_t& fail, int32_t junctionKindFlag, int32_t markMode, int32_t buttonIndex,
                                int32_t commandId, int32_t X, int32_t Y)
{
    fail = 1;
    OpenCanvasDC();
    MarkBranchRecord(markMode, g_CurBranch, g_CurBranchPos - 1, 1);
    g_CurBranchPoint.X = SnapCoord(X);
    g_CurBranchPoint.Y = SnapCoord(Y);
    int32_t status = 1;
    InsertJunctionInBranch(status, junctionKindFlag, X, Y, 0);
    if (status != 0) {
        winsys::Ui().Beep();
        HighlightBranchRecords(markMode, g_CurBranch, g_CurBranchPos - 1, 1);
        CloseCanvasDC();
        return;
    }
    CloseCanvasDC();
    g_PrevBranchPointSave = g_PrevBranchPoint;
    g_CurBranchPointSave = g_CurBranchPoint;
    g_SavedPrevPos = g_PrevBranchPos;
    g_SavedNextPos = g_NextBranchPos;
    if (F_FSI.Exists(buttonIndex)) F_FSI(buttonIndex)->SetValue(true);
    BeginCommand(commandId);
    fail = 0;
}

// The repeated wire: every point listed in g_NetNodes (flags 3 node, 5
// junction; the position in X, Y) joins one new wire. Nothing stays behind
// when a step is refused: the wire, the nodes and memberships made for it
// and a net made for it go again.
void SCHMAIN::BuildRepeatWire()
{
    const long count = g_NetNodes.UBound();
    if (count < 2) return;
    g_CurBranch = B_CreateBranch(0, 1, 0);
    if (g_CurBranch == 0) {
        ReportMsg(50);
        return;
    }
    int32_t net = 0;
    bool madeNet = false;
    std::vector<int32_t> madeNodes;
    auto undo = [&] {
        DeleteBranch(g_CurBranch);
        g_CurBranch = 0;
        for (const int32_t node : madeNodes) OM_Delete(N_NodeMap(net), node);
        int32_t result = 0;
        if (net != 0) DeleteNetIfEmpty(net, result);
        (void)madeNet;
    };
    // The net first: the first connected pin's net, else a new one.
    for (long k = 1; k <= count && net == 0; ++k) {
        int32_t status = 1, pinNet = 0, node = 0;
        std::string pinName;
        const NodeRec& p = g_NetNodes(k);
        if ((p.Flags & 6) == kNodeRef && p.Comp != 0) {
            FindPinNet(status, 0, p.Comp, p.Entry, pinNet, pinName, node);
            if (status == 0) net = pinNet;
        }
    }
    if (net == 0) {
        int32_t ok = 1;
        FindFreeName(ok, DB_NetMap(), "UN", g_CurNetName);
        if (ok != 0) {
            std::string detail = "UN";
            ReportMsg(28, detail);
            undo();
            return;
        }
        net = N_CreateNet(0, 1, g_CurNetName.c_str());
        if (net == 0) {
            ReportMsg(35, g_CurNetName);
            undo();
            return;
        }
        madeNet = true;
    }
    B_ChangeBranchNet(g_CurBranch, net);
    for (long k = 1; k <= count; ++k) {
        const NodeRec& p = g_NetNodes(k);
        int32_t ref = 0, flags = 5;
        if ((p.Flags & 6) == kNodeRef && p.Comp != 0) {
            int32_t status = 1, pinNet = 0, node = 0;
            std::string pinName;
            FindPinNet(status, 0, p.Comp, p.Entry, pinNet, pinName, node);
            if (status != 0) {
                CreatePinNode(status, p.Comp, p.Entry, net, node);
                if (status == 0) madeNodes.push_back(node);
            } else if (pinNet != net) {
                status = 1;
            }
            if (status == 0) {
                ref = node;
                flags = 3;
            }
        }
        if (ref == 0) {
            ref = J_CreateJunction(GetFreeJunctionId(), 3, SnapCoord(p.X), SnapCoord(p.Y));
            flags = 5;
        }
        if (ref == 0 || B_InsertRecord(g_CurBranch, -1, flags, ref) == 0) {
            if (ref != 0 && flags == 5) AddJunctionToHeap(ref);
            ReportMsg(51);
            undo();
            return;
        }
    }
    OpenCanvasDC();
    RedrawBranch(0, g_CurBranch, -1);
    DrawNetNodes(net, 0);
    CloseCanvasDC();
}
