// SCHMAIN's idle click in the wire mode: wires and buses drawn, points and
// segments dragged, junctions and bus members made, name texts added,
// changed, moved and deleted, junction kinds changed. Each function of the
// mode either does its operation at once or begins a wire command that the
// step engine and the wire previews carry on.
#include "editor/shell/schmain.h"

#include "editor/editing/editing_state.h"
#include "editor/editing/wire_helpers.h"
#include "editor/interaction/commands.h"
#include "editor/objects/branch_drawing.h"
#include "editor/objects/branch_hits.h"
#include "editor/objects/branch_points.h"
#include "editor/objects/branches.h"
#include "editor/objects/comp_picking.h"
#include "editor/objects/comp_state.h"
#include "editor/shell/design_change.h"
#include "editor/objects/net_lookups.h"
#include "editor/objects/owner_items.h"
#include "editor/objects/symbol_items.h"
#include "editor/objects/wire_state.h"
#include "editor/shell/dlgservices.h"
#include "editor/shell/msgtext.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/reporter.h"
#include "editor/shell/ribbon.h"
#include "editor/shell/textnum.h"
#include "editor/shell/tooltable.h"
#include "platform/winsys/interaction.h"

#include <string>

namespace {

void Beep()
{
    winsys::Ui().Beep();
}

// The new flags of a junction whose kind is changed: bus joints (6) become
// 15, bus junctions (4) stay 5, the others have their dot (8) switched.
int32_t NextJunctionFlags(int32_t flags)
{
    if ((flags & 6) == 6) return 15;
    if ((flags & 4) == 4) return 5;
    return flags ^ 8;
}

}  // namespace

void SCHMAIN::WireModeClick(int32_t& X, int32_t& Y)
{
    // The end kind the wire operations read (0 wire, -1 bus) and the bus
    // flag of the editing procedures always change together.
    auto setEndKind = [this](int32_t kind) {
        m_WireEndKind = kind;
        m_WireIsBus = kind == -1;
    };
    // The wire under the pointer, the page frame passed over.
    auto hitWire = [&] {
        // The hit test leaves the status as it is on a hit.
        g_CurBranchPos = 1;
        int32_t status = 0;
        CoverBranchAtPoint(status, 0, 0, X, Y, m_CoverDist, g_CurBranch, g_CurBranchPos, g_CurBranchRec);
        return status == 0;
    };
    auto hitText = [&] {
        int32_t status = 1;
        CoverBranchText(status, X, Y, g_CurBranch, g_CurBranchRec, g_SymbItemIdx);
        return status == 0;
    };
    auto isBus = [] { return (g_CurBranchRec.Flags & wire_edit::kBusWire) != 0; };
    auto busCheck = [&] {
        if (isBus()) setEndKind(-1);
    };
    // The junctions a wire command inserts are of the wire's kind.
    auto junctionKind = [this] { return m_WireIsBus ? 1 : 0; };
    auto begin = [this](int32_t id) { BeginCommand(id); };

    setEndKind(0);
    int32_t status = 1;
    switch (ModeTools(g_CurMode).SelFunc) {
    case 0:
        setEndKind(0);
        CreateWireNet(status, OptionOn(2), OptionOn(8), X, Y);
        if (status == 0) begin(31);
        return;
    case 1:
        setEndKind(-1);
        CreateWireNet(status, false, false, X, Y);
        if (status == 0) begin(31);
        return;
    case 2: {
        if (OptionOn(0)) {
            ExchangeBusMembers(status, 0, X, Y);
            if (status == 0) begin(30);
            return;
        }
        if (OptionOn(1) || OptionOn(2)) {
            g_CompEntry = 0;
            PickComp(status, X, Y, g_CompId, g_CompEntry, g_CompName);
            if (status == 0 && g_CompEntry != 0) begin(CMD_PIN_SWAP);
            return;
        }
        if (!hitWire() || isBus()) return;
        if (OptionOn(4)) {
            CopyBranchPoints(g_CurBranch, g_CurBranchPos);
            if (g_NetNodes.UBound() > 1) begin(CMD_REPEAT_WIRE);
            return;
        }
        OpenCanvasDC();
        const int32_t segmentStart = g_CurBranchPos - 1;
        MarkBranchRecord(0, g_CurBranch, segmentStart, 1);
        CloseCanvasDC();
        g_ReplacedNode = 0;
        MakeJunctionAtBranchPoint(status, 0, X, Y, m_CoverDist);
        if (status != 0) {
            OpenCanvasDC();
            HighlightBranchRecords(0, g_CurBranch, g_CurBranchPos - 1, 1);
            CloseCanvasDC();
            return;
        }
        OpenCanvasDC();
        MarkJunctionWires(0, g_CurBranch, g_CurBranchPoint);
        CloseCanvasDC();
        OpenCanvasDC();
        B_ReadRecord(g_CurBranch, g_CurBranchPos, &g_CurBranchPoint);
        HighlightSelectedBranches(0, g_CurBranch, g_CurBranchPoint);
        CloseCanvasDC();
        // The highlight takes the mark off the records at the new junction;
        // the segment's start marked above may be another record, which
        // the drag would draw as a moving leg and the design would keep.
        B_MaskRecord(g_CurBranch, segmentStart, 1, 257);
        LoadBranchPointNeighbours(status, -1, X, Y, m_CoverDist);
        if (status != 0) {
            // The neighbours of an earlier command would be dragged: the
            // point goes back to its pin and nothing begins.
            if (g_ReplacedNode != 0 && (g_CurBranchPoint.Flags & wire_edit::kJunctionRef) != 0) {
                ReplaceBranchRecordRef(3, g_CurBranchPoint.Ref, g_ReplacedNode);
                O_Mask(N_Node(g_CurBranchRec.Net, g_ReplacedNode), 2, 2);
                B_ReadRecord(g_CurBranch, g_CurBranchPos, &g_CurBranchPoint);
                g_ReplacedNode = 0;
                RefreshCanvas();
            }
            Beep();
            return;
        }
        if (F_FSI.Exists(4)) F_FSI(4)->SetValue(true);
        begin(32);
        return;
    }
    case 3:
        if (!hitWire()) return;
        busCheck();
        DetachSegmentFromNodes(status, junctionKind(), X, Y, m_CoverDist);
        if (status == 0)
            begin(33);
        else
            Beep();
        return;
    case 4:
        g_SavedPrevPos = 0;
        if (!hitWire()) return;
        busCheck();
        SelectNearestBranchPoint(status, -1, X, Y, m_CoverDist);
        if (status == 0 && (g_CurBranchPoint.Flags & wire_edit::kJunctionRef) != 0) begin(34);
        return;
    case 5:
        g_SavedPrevPos = -1;
        if (!hitWire()) return;
        busCheck();
        InsertBranchPoint(status, junctionKind(), 0, 4, 35, X, Y);
        return;
    case 6:
        if (OptionOn(0)) {
            if (!hitWire() || !isBus()) return;
            const int32_t bus = g_CurBranchRec.Net;
            const std::string prompt = GetMsgText("Rename ", "991103") + PtrToStr(O_GetName(N_Bus(bus))) +
                                       GetMsgText(" to:", "991322");
            g_CurBusName = FirstWord(AskText(prompt, "", ""));
            if (g_CurBusName.empty()) return;
            int32_t found = 0;
            FindBusByName(status, found, g_CurBusName);
            if (status != 0) {
                RenameBus(status, bus, g_CurBusName);
            } else {
                std::string detail = g_CurBusName;
                ReportMsg(77, detail);
            }
            return;
        }
        if (hitText()) {
            // The new text and the old one's removal: both, or neither.
            DesignChange change;
            ChangeNetText(status, true);
            return;
        }
        if (!hitWire()) return;
        SelectNearestBranchPoint(status, -1, X, Y, m_CoverDist);
        if (status != 0) return;
        {
            DesignChange change;
            ChangeNetText(status, false);
            // A text the kernel took only in part is gone again: no move.
            if (!change.Finish()) status = 1;
        }
        if (status != 0) return;
        if (F_FSI.Exists(7)) F_FSI(7)->SetValue(true);
        begin(37);
        return;
    case 7:
        if (hitText()) begin(38);
        return;
    case 8: {
        if (hitText()) {
            const int32_t kind = g_SymbText.Flags & 0x1E;
            const std::string what = kind == 4   ? GetMsgText("Bus name text: ", "1336")
                                     : kind == 8 ? GetMsgText("Bus member text:", "1335")
                                                 : GetMsgText("Net Name text:", "13139");
            g_YesNoAnswer = false;
            PopupConfirm(GetMsgText("Delete ", "99521") + what + " ?", m_MouseX, m_MouseY);
            if (g_YesNoAnswer) {
                OpenCanvasDC();
                EraseOwnerItem(kOwnerBranch, -1, g_CurBranch, g_SymbItemIdx);
                CloseCanvasDC();
            }
            return;
        }
        if (OptionOn(4)) {
            DeleteBus(status, X, Y);
            return;
        }
        if (OptionOn(3)) {
            DeleteBusMember(status, X, Y);
            return;
        }
        if (!hitWire()) return;
        busCheck();
        DeleteWireParts(status, X, Y);
        return;
    }
    case 9: {
        if (!hitWire()) return;
        SelectNearestBranchPoint(status, -1, X, Y, m_CoverDist);
        JunctionRec junction{};
        if (status != 0 || (g_CurBranchPoint.Flags & wire_edit::kJunctionRef) == 0 ||
            J_ReadJunction(g_CurBranchPoint.Ref, &junction) == 0)
            return;
        const int32_t id = g_CurBranchPoint.Ref;
        const int32_t flags = NextJunctionFlags(junction.Flags);
        OpenCanvasDC();
        RedrawJunction(2, id);
        O_Mask(J_Junction(id), flags, flags | 8);
        RedrawJunction(0, id);
        RedrawBranch(0, g_CurBranch, -1);
        CloseCanvasDC();
        return;
    }
    case 10:
        if (!hitWire()) return;
        LoadBranchPointNeighbours(status, -1, X, Y, m_CoverDist);
        if (status == 0)
            begin(39);
        else
            Beep();
        return;
    default:
        return;
    }
}
