// Nets joined, renamed and split: the click step of the net commands, the
// merge question, the rename, and the split of a net whose wires fall into
// unconnected groups.
#include "editor/editing/editing_state.h"
#include "editor/editing/wire_helpers.h"
#include "editor/interaction/commands.h"
#include "editor/objects/branch_drawing.h"
#include "editor/objects/branch_hits.h"
#include "editor/shell/design_change.h"
#include "editor/objects/net_drawing.h"
#include "editor/objects/net_groups.h"
#include "editor/objects/net_lookups.h"
#include "editor/objects/net_split.h"
#include "editor/objects/net_text.h"
#include "editor/objects/pin_nodes.h"
#include "editor/objects/wire_state.h"
#include "editor/shell/applink.h"
#include "editor/shell/controls.h"
#include "editor/shell/dlgservices.h"
#include "editor/shell/menus.h"
#include "editor/shell/msgtext.h"
#include "editor/shell/pagedraw.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/reporter.h"
#include "editor/shell/schmain.h"
#include "editor/shell/scope_guard.h"
#include "editor/shell/textnum.h"
#include "platform/winsys/interaction.h"

#include <string>

using namespace wire_edit;

namespace {

constexpr int32_t kHighlight = 0x80;

// The group of `branch` in the last analysis; 0 when it is none of the net's.
int32_t GroupOfBranch(int32_t branch)
{
    for (long k = 1; k <= g_NetGroupBranches.UBound(); ++k)
        if (g_NetGroupBranches(k).Branch == branch) return g_NetGroupBranches(k).Group;
    return 0;
}

}  // namespace

void SCHMAIN::NetPickStep(int32_t X, int32_t Y)
{
    CloseCanvasDC();
    g_CmdRunning = 0;
    if (g_CurCommand == CMD_NEXT_NODE) {
        int32_t status = 1;
        AddPickedPinNode(status, 0, X, Y);
        if (status != 0) winsys::Ui().Beep();
        return;
    }
    if (g_CurCommand == 102) {
        // The merge and the highlights taken off the two nets are one
        // change, whole also when the step is called outside an action.
        DesignChange change;
        // The hit test leaves a found net's status as given.
        int32_t status = 0;
        CoverNetAtPoint(status, X, Y, g_OtherNet, g_OtherNetName, g_OtherNode, g_OtherNetRec, g_OtherNodeRec);
        if (status != 0) {
            AskNetName(status, g_CurNetName + GetMsgText("for Merge with:", "99697"), g_OtherNet, g_OtherNetName,
                       g_OtherNode, g_OtherNetRec, g_OtherNodeRec);
            if (status != 0) g_OtherNet = 0;
        }
        if (g_OtherNet != 0 && g_OtherNet != g_CurNet) {
            ReadNodeInfo(g_OtherNet, g_OtherNode, g_OtherNetRec, g_OtherNodeRec, g_NodeInfo);
            int32_t fail = 1;
            int32_t target = g_CurNet, source = g_OtherNet;
            ConfirmNetMerge(fail, target, source);
            if (fail != 0) {
                OpenCanvasDC();
                RedrawNet(g_CurNet);
                RedrawNet(g_OtherNet);
                CloseCanvasDC();
            }
        } else if (m_NetByName == 0) {
            // The same net again: show the node and wait for another net.
            if (g_OtherNode != 0) ReadNodeInfo(g_OtherNet, g_OtherNode, g_OtherNetRec, g_OtherNodeRec, g_NodeInfo);
            OpenCanvasDC();
            BlinkNode();
            CloseCanvasDC();
            return;
        } else {
            OpenCanvasDC();
            EraseOverlay();
            RedrawNet(g_CurNet);
            CloseCanvasDC();
        }
    }
    g_CurCommand = 0;
    m_StepRequest = 0;
    ShowMessage("");
    if (F_FSIPan) F_FSIPan->setEnabled(true);
    for (MenuItem* menu : {M_Edit, M_File, M_Auto})
        if (menu) menu->SetEnabled(true);
    if (F_Pages) F_Pages->setEnabled(true);
}

// Asks before `sourceNet` goes into `targetNet`. Bus members and
// power/ground nets are refused in pairs that cannot merge; the survivor
// (bus member, else power/ground, else named, else the target as given) is
// returned in targetNet. A net that cannot be read is reported; a merge the
// kernel refuses half-way is taken back and reported by MergeNets. The
// display switches come back on every path. The highlights given and taken
// off and the merge are one change: a step of them refused puts back all
// of it (fail 1), also for a caller outside any action, so that no net or
// wire keeps a highlight mark.
void SCHMAIN::ConfirmNetMerge(int32_t& fail, int32_t& targetNet, int32_t& sourceNet)
{
    fail = 1;
    if (targetNet == sourceNet) return;
    DesignChange change;
    NetRec target{}, source{};
    for (const auto& [net, rec] : {std::pair{targetNet, &target}, std::pair{sourceNet, &source}})
        if (N_ReadNet(net, rec) == 0) {
            const char* name = O_GetName(N_Net(net));
            std::string detail = name != nullptr ? PtrToStr(name) : std::to_string(net);
            ReportMsg(25, detail);
            return;
        }
    const bool anyMember = ((target.Flags | source.Flags) & kNetBusMember) != 0;
    if (((target.Flags | source.Flags) & kNetPower) != 0 && anyMember) {
        ReportMsg(57);
        return;
    }
    if ((target.Flags & source.Flags & kNetBusMember) != 0) {
        ReportMsg(58);
        return;
    }
    bool swap = false;
    if (anyMember)
        swap = (source.Flags & kNetBusMember) != 0;
    else if (((target.Flags ^ source.Flags) & kNetPower) != 0)
        swap = (source.Flags & kNetPower) != 0;
    else if (((target.Flags ^ source.Flags) & kNetNamed) != 0)
        swap = (source.Flags & kNetNamed) != 0;
    if (swap) SwapLong(targetNet, sourceNet);

    const int32_t savedRatsnest = g_ShowRatsnest;
    const bool savedGuides = g_NetGuidelines;
    const int32_t savedLevel = m_CanvasDCLevel;
    auto restore = OnExit([&] {
        g_ShowRatsnest = savedRatsnest;
        g_NetGuidelines = savedGuides;
        while (m_CanvasDCLevel > savedLevel) CloseCanvasDC();
    });
    g_ShowRatsnest = 0;
    g_NetGuidelines = false;
    OpenCanvasDC();
    EraseOverlay();
    HighlightNet(targetNet);
    HighlightNet(sourceNet);
    B_DrawAllBranchMask(kHighlight, kHighlight, -1);
    BlinkNode();
    CloseCanvasDC();

    const std::string question = GetMsgText("Merge ", "99881") + NetName(sourceNet) + GetMsgText(" to ", "991319") +
                                 NetName(targetNet) + "?";
    PopupConfirm(question, m_MouseX, m_MouseY);

    OpenCanvasDC();
    EraseOverlay();
    HighlightNet(targetNet);
    CloseCanvasDC();
    if (g_YesNoAnswer) {
        int32_t status = 1;
        MergeNets(status, targetNet, sourceNet);
        // MergeNets reports 1 also for a name text it could not make; the
        // merge happened when the source is gone. A refused merge was taken
        // back whole and reported there.
        if (N_Net(sourceNet) == 0) fail = 0;
    }
    OpenCanvasDC();
    G_SetDrawMode(0);
    B_DrawAllBranchMask(kHighlight, kHighlight, -1);
    RedrawNet(targetNet);
    if (fail != 0) RedrawNet(sourceNet);
    CloseCanvasDC();
    if (!change.Finish()) fail = 1;
}

// Gives the net a new name and the flags of the net dialog (bit 8 kept). A
// name another net bears is refused (message 27) and nothing changes; the
// flags and texts change only once the kernel took the name.
void SCHMAIN::RenameNet(int32_t& fail, int32_t net, std::string& name, int32_t& flags)
{
    DesignChange change;
    fail = 1;
    if (N_Net(net) == 0) return;
    if (!CheckTypedName(name)) {
        ReportMsg(35, name);
        return;
    }
    if (NameTaken(DB_NetMap(), name, net)) {
        ReportMsg(27, name);
        return;
    }
    if (O_Rename(N_Net(net), name.c_str()) == 0) return;
    flags = (flags & kNetBusMember) | g_NetEditFlags | 1;
    O_Mask(N_Net(net), flags, 15);
    if ((flags & kNetNamed) == 0) name.clear();
    OpenCanvasDC();
    HighlightNet(net);
    DrawMaskedBranches(0, kHighlight);
    int32_t status = 0;
    RefreshNetNameTexts(status, 0, net, name);
    RedrawNet(net);
    CloseCanvasDC();
    fail = change.Finish() ? 0 : 1;
}

void SCHMAIN::EstablishConnectivity(int32_t& fail, int32_t stage, int32_t X, int32_t Y)
{
    fail = 1;
    if (stage == 0) {
        ShowMessage(GetMsgText("Establishing Connectivity for: ", "99664") + g_CurNetName);
        int32_t status = 1;
        GroupNetBranches(status, g_CurNet);
        if (status != 0) {
            winsys::Ui().Beep();
            ShowMessage(g_CurNetName + GetMsgText(" - no routed connections", "99136"));
            return;
        }
        if (g_NetGroupRefs(0).Ref < 2) {
            winsys::Ui().Beep();
            ShowMessage(g_CurNetName + GetMsgText(" - all existing connections in one branch", "99130"));
            m_SplitGroup = 0;
            return;
        }
        fail = 0;
        return;
    }
    // The node marks given here and taken off are in one change with what
    // the stage does, so that a caller outside any action gets a whole edit
    // too: a refused mark step puts the stage back.
    DesignChange whole;
    const int32_t nodes = N_NodeMap(g_CurNet);
    auto clearMarks = OnExit([nodes] { OM_MaskAll(nodes, 0, kHighlight); });
    if (stage == 1) {
        // The hit test leaves a hit's status as given.
        int32_t status = 0, distance = 0, cover = 0;
        g_CurBranchPos = 1;
        CoverBranchAtPoint(status, 2, 0, X, Y, distance, g_CurBranch, cover, g_CurBranchRec);
        // A bus wire's net field is a bus id: never a branch of the net.
        if (status != 0 || (g_CurBranchRec.Flags & kBusWire) != 0 || g_CurBranchRec.Net != g_CurNet) {
            winsys::Ui().Beep();
            return;
        }
        m_SplitGroup = GroupOfBranch(g_CurBranch);
        if (m_SplitGroup == 0) return;
        m_SplitBranch = g_CurBranch;
        DrawBranchHighlight(m_SplitGroup);
        int32_t ok = 1;
        // The dialog shows and gives back the new net's name in g_CurNetName.
        FindFreeName(ok, DB_NetMap(), "UN", g_CurNetName);
        g_NetNodeText.clear();
        for (long k = 1; k <= g_NetGroupRefs.UBound(); ++k) {
            const NetGroupRefEntry& ref = g_NetGroupRefs(k);
            if (ref.Group != m_SplitGroup || ref.Kind != kNodeRef) continue;
            NodeRec node{};
            NetRec netRec{};
            if (N_ReadNode(g_CurNet, ref.Ref, &node) == 0 || N_ReadNet(g_CurNet, &netRec) == 0) continue;
            ReadNodeInfo(g_CurNet, ref.Ref, netRec, node, g_NodeInfo);
            std::string line = Trim(g_NodeInfo.CompName.substr(0, 15)) + "," + Trim(g_NodeInfo.EntryName);
            if (g_NodeInfo.LayComp != 0) line += "(lay: " + Trim(g_NodeInfo.LayCompName) + ")";
            g_NetNodeText += line + g_CrLf;
        }
        clearMarks.Dismiss();
        m_SplitPending = 1;
        g_DlgOpening = true;
        PublishAppState(1, 1);
        ShowNetEditDialog(0, 2, 0, static_cast<int32_t>(g_NetNodeText.size()));
        fail = whole.Finish() ? 0 : 1;
        return;
    }
    // Stage 2: the dialog came back. The design may have changed while it
    // was open, so the groups are made again and the chosen wire's group
    // is taken anew before anything moves. The split and the new net's name
    // are one edit; the node marks it was told by go once it has ended.
    const auto split = [&]() -> int32_t {
        DesignChange change(DesignChange::Ending::Undo);
        const int32_t branch = m_SplitBranch;
        const int32_t pending = m_SplitPending;
        m_SplitGroup = 0;
        m_SplitPending = 0;
        m_SplitBranch = 0;
        if (g_NetEditFlags == 0 || pending == 0) return 1;
        // From here the user asked for the split: when it does not happen the
        // editor beeps (a refused kernel step has been reported by SplitNet).
        BranchRec rec{};
        int32_t status = 1;
        if (B_ReadBranch(branch, &rec) == 0 || (rec.Flags & kBusWire) != 0 || rec.Net != g_CurNet) {
            winsys::Ui().Beep();
            return 1;
        }
        GroupNetBranches(status, g_CurNet);
        const int32_t group = GroupOfBranch(branch);
        if (status != 0 || group == 0 || g_NetGroupRefs(0).Ref < 2) {
            winsys::Ui().Beep();
            // g_CurNetName holds the new net's name since the dialog.
            ShowMessage(NetName(g_CurNet) + GetMsgText(" - all existing connections in one branch", "99130"));
            return 1;
        }
        // The marks tell SplitNet which pins go; it refuses marks that do not
        // match the wires, so a refused mark here cannot split a pin from its
        // wire.
        OM_MaskAll(nodes, 0, kHighlight);
        for (long k = 1; k <= g_NetGroupRefs.UBound(); ++k) {
            const NetGroupRefEntry& ref = g_NetGroupRefs(k);
            if (ref.Group == group && ref.Kind == kNodeRef) O_Mask(N_Node(g_CurNet, ref.Ref), kHighlight, kHighlight);
        }
        const std::string typed = g_CurNetName;
        std::string name = typed;
        int32_t ok = 1;
        if (!CheckTypedName(name) || NameTaken(DB_NetMap(), name, 0)) FindFreeName(ok, DB_NetMap(), "UN", name);
        int32_t newNet = 0;
        SplitNet(status, g_CurNet, newNet, name, group);
        if (status != 0 || newNet == 0) {
            winsys::Ui().Beep();
            return 1;
        }
        NetRec newRec{};
        N_ReadNet(newNet, &newRec);
        int32_t flags = newRec.Flags;
        std::string newName = typed;
        // A name the rename refuses (taken, not a name) leaves the free name
        // the split gave; a step the kernel refused in the rename takes the
        // split back too.
        RenameNet(status, newNet, newName, flags);
        return change.Finish() ? 0 : 1;
    };
    fail = split();
    clearMarks.Dismiss();
    OM_MaskAll(nodes, 0, kHighlight);
    if (!whole.Finish()) fail = 1;
}
