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
#include "editor/shell/design_change.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/reporter.h"
#include "editor/shell/ribbon.h"
#include "editor/shell/schmain.h"
#include "platform/winsys/interaction.h"

using namespace wire_edit;

// The net, its nodes and what the net dialog changes are one edit: a step
// the kernel refuses puts back all of it, and `fail` says what stayed.
void SCHMAIN::CreateNet(int32_t& fail, bool fromText, int32_t& net, std::string& name, NetRec& netRec)
{
    fail = 1;
    g_CurCommand = 0;
    const int32_t given = net;
    // The reading of a typed text counts as well: a pin it took for free
    // because a read was refused makes no node.
    DesignChange change;
    if (fromText) {
        int32_t status = 1;
        ParseNetText(status);
        if (status != 0) return;
    }
    bool made = false;
    {
        // The net and its nodes first, before the dialog opens on them: a
        // refused step of theirs ends the edit (reported where it failed).
        DesignChange nodes;
        if (net == 0) {
            // Picked pins come without the dialog's answer: a plain net.
            const int32_t flags = fromText && g_NetEditFlags != 0 ? g_NetEditFlags : 1;
            net = N_CreateNet(0, flags, name.c_str());
            if (net == 0) {
                ReportMsg(35, name);
                net = given;
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
            if (status != 0) {
                nodes.Undo();
                net = given;
                return;
            }
        }
        if (N_ReadNet(net, &netRec) == 0) {
            nodes.Undo();
            net = given;
            return;
        }
        if (netRec.Nodes == 0) {
            int32_t result = 0;
            DeleteNetIfEmpty(net, result);
            if (made) net = given;
            return;
        }
        OpenCanvasDC();
        RedrawNet(net);
        CloseCanvasDC();
        if (!nodes.Finish()) {
            net = given;
            return;
        }
    }
    if (made && !fromText) {
        int32_t cursor = 0;
        MakeNetNodeText(net, cursor, netRec);
        g_CurNetName = name;
        ShowNetEditDialog(1, 0, 0, static_cast<int32_t>(g_NetNodeText.size()));
        if (g_NetEditFlags != 0) {
            int32_t flags = netRec.Flags, status = 1;
            std::string newName = g_CurNetName;
            RenameNet(status, net, newName, flags);
            if (status == 0) name = newName;
        }
    }
    if (!change.Finish()) {
        net = given;
        return;
    }
    fail = 0;
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
