// SCHMAIN's idle click of the net mode: a new net from picked pins, the
// merge and split of nets, the disconnection of a pin, the deletion of a
// net, a net as text, the net viewer, and the wires of nets rebuilt or
// cleared. Each either changes the design at once (after a question where
// the change destroys something) or begins a net command.
#include "editor/shell/schmain.h"

#include "editor/editing/editing_state.h"
#include "editor/interaction/commands.h"
#include "editor/objects/branch_drawing.h"
#include "editor/objects/comp_picking.h"
#include "editor/objects/comp_state.h"
#include "editor/objects/net_drawing.h"
#include "editor/objects/net_lookups.h"
#include "editor/objects/net_removal.h"
#include "editor/objects/net_text.h"
#include "editor/objects/net_wires.h"
#include "editor/objects/netlist_compare.h"
#include "editor/objects/pin_nodes.h"
#include "editor/objects/wire_state.h"
#include "editor/shell/controls.h"
#include "editor/shell/design_change.h"
#include "editor/shell/msgtext.h"
#include "editor/shell/numtext.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/reporter.h"
#include "editor/shell/ribbon.h"
#include "editor/shell/textnum.h"
#include "editor/shell/tooltable.h"
#include "platform/winsys/interaction.h"

#include <string>

namespace {

constexpr int32_t kHighlightMask = 128;
constexpr int32_t kBusMemberFlag = 8;
const char* const kFreeNetBase = "UN";
// The net test's command and its option that compares with the layout.
constexpr int32_t kNetTestCommand = 90;
constexpr int kCompareOption = 2;

void Begin(SCHMAIN& m, int32_t id)
{
    m.BeginCommand(id);
}

// The name of a new net: "UN" with the next free number. False (message
// 28 given) when the kernel finds no free number.
bool FreeNetName(std::string& name)
{
    int32_t ok = 1;
    std::string found;
    FindFreeName(ok, DB_NetMap(), kFreeNetBase, found);
    if (ok != 0) {
        std::string detail = kFreeNetBase;
        ReportMsg(28, detail);
        return false;
    }
    name = found;
    return true;
}

// The net under the point, else the net named by the user with the action
// word; false when neither gave one.
bool PickOrAskNet(int32_t x, int32_t y, const std::string& word)
{
    int32_t status = 0;
    CoverNetAtPoint(status, x, y, g_CurNet, g_CurNetName, g_CurNode, g_CurNetRec, g_CurNodeRec);
    if (status == 0) return true;
    status = 1;
    AskNetName(status, word, g_CurNet, g_CurNetName, g_CurNode, g_CurNetRec, g_CurNodeRec);
    return status == 0;
}

// The current net highlighted with its node blinked, while a question
// about it is open.
void ShowNet(SCHMAIN& m)
{
    m.OpenCanvasDC();
    HighlightNet(g_CurNet);
    DrawMaskedBranches(0, kHighlightMask);
    m.BlinkNode();
    m.CloseCanvasDC();
}

// After the question: the blink goes and the net is highlighted afresh,
// for the plain redraw that follows.
void UnshowNet(SCHMAIN& m)
{
    m.OpenCanvasDC();
    m.EraseOverlay();
    HighlightNet(g_CurNet);
    m.CloseCanvasDC();
}

void RedrawCurNet(SCHMAIN& m)
{
    if (N_Net(g_CurNet) == 0) return;
    m.OpenCanvasDC();
    RedrawNet(g_CurNet);
    m.CloseCanvasDC();
}

}  // namespace

void SCHMAIN::NetModeClick(int32_t& x, int32_t& y)
{
    switch (ModeTools(g_CurMode).SelFunc) {
    case 0: NetFromPinsClick(x, y); break;
    case 1: {
        int32_t status = 0;
        CoverNetAtPoint(status, x, y, g_CurNet, g_CurNetName, g_CurNode, g_CurNetRec, g_CurNodeRec);
        if (status != 0) {
            status = 1;
            AskNetName(status, "Merge", g_CurNet, g_CurNetName, g_CurNode, g_CurNetRec, g_CurNodeRec);
            if (status != 0) return;
            m_NetByName = -1;
        }
        ReadNodeInfo(g_CurNet, g_CurNode, g_CurNetRec, g_CurNodeRec, g_NodeInfo);
        Begin(*this, 102);
        break;
    }
    case 2: SplitNetClick(x, y); break;
    case 3: DisconnectPinClick(x, y); break;
    case 4: DeleteNetClick(x, y); break;
    case 5: NetAsTextClick(x, y); break;
    case 6:
        if (!PickOrAskNet(x, y, "Test")) return;
        ReadNodeInfo(g_CurNet, g_CurNode, g_CurNetRec, g_CurNodeRec, g_NodeInfo);
        ReleaseOption(2);
        // The viewer builds its report anew.
        g_NetViewNet = 0;
        Begin(*this, 90);
        break;
    case 8:
    case 9: NetWiresClick(x, y, ModeTools(g_CurMode).SelFunc == 9); break;
    default:
        // Functions 7 and 10 do nothing.
        break;
    }
}

// Function 0: on an existing node the chain starts there, extending its
// net; on a free pin a new net "UN…" starts with that pin.
void SCHMAIN::NetFromPinsClick(int32_t x, int32_t y)
{
    g_NetNodes.Redim(0, 0);
    if (F_OST.Exists(0)) F_OST(0)->SetValue(false);
    if (F_OST.Exists(1)) F_OST(1)->SetValue(false);
    int32_t status = 0;
    CoverNodeAtPoint(status, x, y, g_CurNet, g_CurNetName, g_CurNode, g_CurNetRec, g_CurNodeRec);
    if (status == 0) {
        g_NetNodes(0) = g_CurNodeRec;
        Begin(*this, CMD_NEXT_NODE);
        return;
    }
    status = 1;
    AddPickedPinNode(status, 0, x, y);
    if (status != 0) return;
    std::string name;
    if (!FreeNetName(name)) {
        // Nothing begun: the picked pin is forgotten again.
        g_NetNodes.Redim(0, 0);
        return;
    }
    g_CurNetName = name;
    g_NetNodes(0) = g_NetNodes(1);
    g_CurNet = 0;
    Begin(*this, CMD_NEXT_NODE);
}

// Function 2: a net whose wires fall apart is split; bus members and nets
// with layout-only nodes are refused, a net of fewer than two nodes beeps.
void SCHMAIN::SplitNetClick(int32_t x, int32_t y)
{
    int32_t status = 0;
    CoverNetAtPoint(status, x, y, g_CurNet, g_CurNetName, g_CurNode, g_CurNetRec, g_CurNodeRec);
    if (status != 0) return;
    if ((g_CurNetRec.Flags & kBusMemberFlag) == kBusMemberFlag) {
        std::string detail;
        ReportMsg(78, detail);
        return;
    }
    status = 0;
    CollectNetNodes(status, g_CurNet, g_CurNode, g_CurNetRec);
    if (status != 0) {
        std::string detail = g_CurNetName;
        ReportMsg(36, detail);
        return;
    }
    if (g_NetNodes.UBound() <= 1) {
        winsys::Ui().Beep();
        return;
    }
    int32_t fail = 1;
    EstablishConnectivity(fail, 0, x, y);
    if (fail == 0) Begin(*this, CMD_SPLIT_NET);
}

// Function 3: the picked pin leaves its net after Yes.
void SCHMAIN::DisconnectPinClick(int32_t x, int32_t y)
{
    int32_t status = 0;
    CoverNodeAtPoint(status, x, y, g_CurNet, g_CurNetName, g_CurNode, g_CurNetRec, g_CurNodeRec);
    if (status != 0) return;
    ReadNodeInfo(g_CurNet, g_CurNode, g_CurNetRec, g_CurNodeRec, g_NodeInfo);
    ShowNet(*this);
    const std::string question = GetMsgText("Delete ", "99521") + g_CurNetName + ":" +
                                 PtrToStr(O_GetName(C_Component(g_CurNodeRec.Comp))) + "," +
                                 Trim(g_NodeInfo.EntryName);
    PopupConfirm(question, m_MouseX, m_MouseY);
    UnshowNet(*this);
    if (!g_YesNoAnswer) {
        RedrawCurNet(*this);
        return;
    }
    DisconnectPin(0, g_CurNet, g_CurNode, g_CurNodeRec, kHighlightMask);
    RedrawCurNet(*this);
    // The wires that went were drawn over the pins: the page is painted
    // afresh so that nothing of them, nor a gap in the pins, stays behind.
    RefreshCanvas();
}

// Function 4: the net under the point or named goes after Yes; the member
// texts of its bus are drawn again without it.
void SCHMAIN::DeleteNetClick(int32_t x, int32_t y)
{
    if (!PickOrAskNet(x, y, "Delete")) return;
    ShowNet(*this);
    PopupConfirm(GetMsgText("Delete ", "99521") + g_CurNetName + "?", m_MouseX, m_MouseY);
    UnshowNet(*this);
    if (!g_YesNoAnswer) {
        RedrawCurNet(*this);
        return;
    }
    int32_t member = 0;
    g_CurBus = N_FindBusMember(g_CurNet, &member);
    if (g_CurBus != 0) {
        OpenCanvasDC();
        DrawBusMemberTexts(0, g_CurBus);
        CloseCanvasDC();
    }
    DeleteNet(g_CurNet);
    if (g_CurBus != 0) {
        OpenCanvasDC();
        DrawBusMemberTexts(-1, g_CurBus);
        CloseCanvasDC();
    }
    // Nothing of the deleted net's wires stays on the page.
    RefreshCanvas();
}

// Function 5: the net under the point as text in the net dialog, or a new
// net starting with the pin under the point (or with no pin).
void SCHMAIN::NetAsTextClick(int32_t x, int32_t y)
{
    int32_t status = 0;
    CoverNetAtPoint(status, x, y, g_CurNet, g_CurNetName, g_CurNode, g_CurNetRec, g_CurNodeRec);
    if (status == 0) {
        int32_t node = 0;
        MakeNetNodeText(g_CurNet, node, g_CurNetRec);
        const int32_t length = static_cast<int32_t>(g_NetNodeText.size());
        g_NetTextSelStart = 0;
        g_NetTextSelLen = length;
        ShowNetEditDialog(1, 0, 0, length);
    } else {
        g_NetNodeText.clear();
        g_CompEntry = 1;
        status = 1;
        PickComp(status, x, y, g_CompId, g_CompEntry, g_CompName);
        if (status == 0 && g_CompEntry > 0) g_NetNodeText = g_CompName + "," + Str(g_CompEntry) + g_CrLf;
        std::string name;
        if (!FreeNetName(name)) return;
        g_CurNetName = name;
        g_NetNodeText += "END" + g_CrLf;
        ShowNetEditDialog(1, 1, 0, 0);
    }
    if (g_NetEditFlags == 0) return;
    int32_t fail = 1;
    if (g_NetEditMode == 0) {
        int32_t flags = g_CurNetRec.Flags;
        RenameNet(fail, g_CurNet, g_CurNetName, flags);
    } else {
        g_CurNet = 0;
        CreateNet(fail, true, g_CurNet, g_CurNetName, g_CurNetRec);
    }
}

// Functions 8 (reconnect) and 9 (clear connections): the wires of one net,
// or with option 0 of every net, rebuilt as one chain or removed.
void SCHMAIN::NetWiresClick(int32_t x, int32_t y, bool clear)
{
    // The wires and the page's view stored by its repaint are one edit.
    DesignChange change;
    const std::string word = clear ? GetMsgText("Clear connections", "99417") : GetMsgText("Reconnect", "991090");
    if (OptionOn(0)) {
        PopupConfirm(word + GetMsgText(" All Nets?", "99190"), m_MouseX, m_MouseY);
        if (g_YesNoAnswer) {
            MakeWiresForAllNets(clear);
            // The page shows the wires as they are now.
            RefreshCanvas();
        }
        // Released after a reconnect; a clear leaves it pressed.
        F_OST(0)->SetValue(clear);
        return;
    }
    if (!PickOrAskNet(x, y, word)) return;
    ShowNet(*this);
    PopupConfirm(word + " " + g_CurNetName + "?", m_MouseX, m_MouseY);
    OpenCanvasDC();
    EraseOverlay();
    HighlightNet(g_CurNet);
    RedrawNet(g_CurNet);
    CloseCanvasDC();
    if (g_YesNoAnswer) {
        MakeNetWires(g_CurNet, clear);
        RefreshCanvas();
    }
}

// The release of an option button (or its function key) in the net mode.
// Option 2 while the net test runs: the net's nodes in the schematic and in
// the layout are listed in the net viewer and the option is released. When
// the viewer closed asking for a position, its page becomes current and the
// view is centred there.
void SCHMAIN::NetCompareOptionUp(int Index)
{
    if (Index < 0 || Index >= 10) return;
    if (g_CurMode != MODE_NETS || !OptionOn(kCompareOption) || g_CurCommand != kNetTestCommand) return;
    OpenCanvasDC();
    EraseOverlay();
    EraseHighlight();
    CloseCanvasDC();
    // A jump left from an earlier report is not taken for this one (the
    // viewer does not open for a net on no page).
    g_NetViewJumpX = kNoNetViewJump;
    g_NetViewJumpPage = 0;
    ReportNetlistCompare(g_CurNet, g_CurNetRec);
    ReleaseOption(kCompareOption);
    if (g_NetViewJumpX == kNoNetViewJump) return;
    if (g_NetViewJumpPage == 0) g_NetViewJumpPage = DB_CurPage();
    if (g_NetViewJumpPage != DB_CurPage()) {
        F_Pages->SetText(PtrToStr(O_GetName(OM_Object(DB_PageMap(), g_NetViewJumpPage))));
        // The page is chosen as by a pointer click, applied at once.
        m_ZoomEventsOff = 0;
        F_Pages_Click();
        // A page that could not be shown keeps the view where it is.
        if (DB_CurPage() != g_NetViewJumpPage) return;
    }
    m_ViewOrgX = g_NetViewJumpX;
    m_ViewOrgY = g_NetViewJumpY;
    SetScrollBars(m_ViewOrgX, m_ViewOrgY);
    RefreshCanvas();
}
