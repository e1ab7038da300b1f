// Drawing wires and buses: the start of a wire, the name of its net, the
// member index of a net joining a bus, and each click of the drawing
// command.
#include "editor/editing/editing_state.h"
#include "editor/editing/wire_helpers.h"
#include "editor/objects/branch_drawing.h"
#include "editor/objects/branch_hits.h"
#include "editor/objects/branch_points.h"
#include "editor/objects/branches.h"
#include "editor/objects/comp_picking.h"
#include "editor/objects/comp_state.h"
#include "editor/shell/design_change.h"
#include "editor/objects/net_drawing.h"
#include "editor/objects/net_lookups.h"
#include "editor/objects/net_removal.h"
#include "editor/objects/wire_state.h"
#include "editor/shell/dlgservices.h"
#include "editor/shell/msgtext.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/reporter.h"
#include "editor/shell/ribbon.h"
#include "editor/shell/schmain.h"
#include "editor/shell/systables.h"
#include "editor/shell/textnum.h"
#include "editor/view/drawaids.h"
#include "platform/winsys/interaction.h"

#include <cmath>
#include <cstdlib>

using namespace wire_edit;

int32_t g_CoverBranch = 0;
BranchRec g_CoverBranchRec{};
int32_t g_CoverBranchPos = 0;
BranchPointRec g_CoverBranchPoint{};

namespace {

// How the first point of a wire lies: free (0), on an unconnected pin (1),
// on a pin with a net (2), on a junction (3) or segment (4) of a net wire,
// on a junction (5) or segment (6) of a bus wire drawing a bus, free for a
// new bus (7), on a bus junction (8) or bus segment (9) drawing a net wire.
enum StartKind { Free, FreePin, NetPin, NetJunction, NetSegment, BusJunction, BusSegment, NewBus, NetOnBusJunction,
                 NetOnBusSegment };

std::string Trimmed(const std::string& text)
{
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// Looks for a junction, else a segment, under the point; kind of the hit.
int32_t CoverWireAt(int32_t& x, int32_t& y, int32_t netFilter)
{
    int32_t status = 1;
    g_CoverBranchPos = 1;
    CoverJunctionAtPoint(status, x, y, g_CoverBranch, g_CoverBranchRec, g_CoverBranchPos, netFilter);
    if (status == 0) return 1;
    SnapToBranch(status, x, y, g_CoverBranch, g_CoverBranchRec, g_CoverBranchPos, netFilter);
    return status == 0 ? 2 : 0;
}

}  // namespace

void SCHMAIN::CreateWireNet(int32_t& fail, bool onlyAtPin, bool joinWires, int32_t& X, int32_t& Y)
{
    DesignChange change;
    fail = 1;
    const bool bus = m_WireIsBus;
    int32_t kind = bus ? NewBus : Free;
    if (!bus) {
        int32_t status = 1;
        PickComp(status, X, Y, g_CompId, g_CompEntry, g_CompName);
        if (status == 0 && g_CompEntry >= 1) {
            int32_t res = 1;
            FindPinNet(res, 0, g_CompId, g_CompEntry, g_CurNet, g_CurNetName, g_CurNode);
            kind = res == 0 ? NetPin : FreePin;
        } else if (onlyAtPin) {
            winsys::Ui().Beep();
            return;
        } else if (joinWires) {
            int32_t hx = X, hy = Y;
            const int32_t hit = CoverWireAt(hx, hy, -1);
            // The page frame is no wire to start from.
            if (hit != 0 && g_CoverBranch < 0) {
                winsys::Ui().Beep();
                return;
            }
            if (hit != 0) {
                X = hx;
                Y = hy;
            }
            const bool onBus = (g_CoverBranchRec.Flags & kBusWire) != 0;
            if (hit == 1) kind = onBus ? NetOnBusJunction : NetJunction;
            if (hit == 2) kind = onBus ? NetOnBusSegment : NetSegment;
        }
    } else {
        int32_t hx = X, hy = Y;
        const int32_t hit = CoverWireAt(hx, hy, -1);
        if (hit != 0 && g_CoverBranch < 0) {
            winsys::Ui().Beep();
            return;
        }
        if (hit != 0 && (g_CoverBranchRec.Flags & kBusWire) != 0) {
            kind = hit == 1 ? BusJunction : BusSegment;
            X = hx;
            Y = hy;
        }
    }

    g_CurBranchPoint = {};
    g_PrevBranchPos = 0;
    g_NextBranchPos = 0;
    int32_t flags = 1;
    int32_t owner = 0;
    bool madeNet = false, madeBus = false;
    switch (kind) {
    case Free:
    case FreePin:
    case NetOnBusJunction:
    case NetOnBusSegment: {
        g_CurNet = 0;
        if (!NetForNewWire(*this, g_CurNet, madeNet)) return;
        O_Mask(N_Net(g_CurNet), 0x100, 0x100);
        if (kind == NetOnBusJunction || kind == NetOnBusSegment) g_CurBus = g_CoverBranchRec.Net;
        owner = g_CurNet;
        break;
    }
    case NetPin:
        owner = g_CurNet;
        break;
    case NetJunction:
    case NetSegment:
        g_CurNet = g_CoverBranchRec.Net;
        owner = g_CurNet;
        break;
    case BusJunction:
    case BusSegment:
        flags = 2;
        g_CurBus = g_CoverBranchRec.Net;
        owner = g_CurBus;
        break;
    case NewBus: {
        flags = 2;
        int32_t ok = 1;
        FindFreeName(ok, DB_BusMap(), "UNBUS", g_CurBusName);
        if (ok != 0) {
            std::string detail = "UNBUS";
            ReportMsg(28, detail);
            return;
        }
        g_CurBus = N_CreateBus(0, 1, g_CurBusName.c_str());
        if (g_CurBus == 0) {
            ReportMsg(53, g_CurBusName);
            return;
        }
        madeBus = true;
        owner = g_CurBus;
        break;
    }
    }

    g_CurBranch = B_CreateBranch(0, flags | 0x101, owner);
    if (g_CurBranch == 0) {
        // Nothing may stay behind from a start the kernel refused.
        int32_t result = 0;
        if (madeNet) DeleteNetIfEmpty(g_CurNet, result);
        if (madeBus) DeleteBusIfEmpty(g_CurBus, result);
        ReportMsg(50);
        return;
    }
    if (kind == Free || kind == NewBus) {
        // A free start lies on the snap grid, snapped as the pointer is.
        X = ::SnapCoord(X, g_SnapStep);
        Y = ::SnapCoord(Y, g_SnapStep);
    }
    const int32_t type = bus ? 5 : 3;
    int32_t joined = 1;
    bool merged = false;
    // A point the kernel refuses is reported; the start is taken back.
    bool pointRefused = false;
    if (!AppendJunctionPoint(g_CurBranch, type, X, Y, g_CurBranchPos, g_CurBranchPoint)) {
        pointRefused = true;
    } else {
        switch (kind) {
        case FreePin: JoinFreePin(joined); break;
        case NetPin: JoinConnectedPin(joined, merged); break;
        case NetJunction: JoinNetAtJunction(joined, merged); break;
        case NetSegment: JoinNetAtSegment(joined, merged); break;
        case NetOnBusJunction: JoinBusAtJunction(joined, merged); break;
        case NetOnBusSegment: JoinBusAtSegment(joined, merged); break;
        default: joined = 0; break;
        }
    }
    if (joined == 0 && B_ReadBranch(g_CurBranch, &g_CurBranchRec) != 0) {
        g_PrevBranchPos = g_CurBranchPos;
        g_PrevBranchPoint = g_CurBranchPoint;
        if (AppendJunctionPoint(g_CurBranch, type, X, Y, g_CurBranchPos, g_CurBranchPoint)) {
            g_CurBranchPointSave = g_CurBranchPoint;
            g_PrevBranchPointSave = g_PrevBranchPoint;
            B_ReadBranch(g_CurBranch, &g_CurBranchRec);
            fail = 0;
        } else {
            pointRefused = true;
        }
    }
    if (fail == 0 && !change.Finish()) {
        // A step of the start failed: the design is as it was, no wire.
        fail = 1;
        g_CurBranch = 0;
        return;
    }
    if (fail == 0) {
        if (!bus) {
            OpenCanvasDC();
            EraseNetNodes(g_CurNet, 0x100);
            CloseCanvasDC();
        }
        return;
    }
    // A failed start takes back everything it made: the wire, the nodes made
    // for it (mark 512) and a net or bus left empty.
    DeleteBranch(g_CurBranch);
    g_CurBranch = 0;
    int32_t result = 0;
    if (bus)
        DeleteBusIfEmpty(g_CurBus, result);
    else
        DeleteMaskedNetNodes(g_CurNet, 0x200, result);
    if (pointRefused) ReportMsg(56);
}

void SCHMAIN::PromptNetName(int32_t& fail, int32_t& net, std::string& name, int32_t& flags)
{
    fail = 1;
    const std::string prompt = GetMsgText("Type Net Name", "13206") + g_CrLf +
                               GetMsgText("netname[,n] or [,p]", "13140") + g_CrLf +
                               GetMsgText("n - named", "13136") + g_CrLf + GetMsgText("p - Pwr/Gnd", "13151");
    for (;;) {
        const std::string answer = AskText(prompt, "", name);
        if (answer.empty()) return;
        SplitFields(answer);
        std::string typed = FirstWord(Trimmed(g_ArgStr(1)));
        if (!CheckTypedName(typed)) {
            ReportMsg(35, typed);
            continue;
        }
        int32_t status = 1, found = 0;
        FindNetByName(status, found, typed);
        if (status == 0) {
            if (!AskYesNo(GetMsgText("Connect to existing Net: ", "1370") + typed)) continue;
            net = found;
            name = typed;
            fail = 0;
            return;
        }
        name = typed;
        if (g_ArgNum(0) >= 2) {
            const std::string second = Trimmed(g_ArgStr(2));
            if (second == "p") flags += 6;
            if (second == "n") flags += 4;
        }
        net = 0;
        fail = 0;
        return;
    }
}

// Asks the slot of `net` in `bus`. A slot taken by another net offers the
// merge of the two; after the merge `index` is -1 and `net` is the net that
// survived. Only whole numbers from 0 to 127 are taken.
void SCHMAIN::AskBusMemberIndex(int32_t& fail, int32_t& net, int32_t bus, int32_t& index)
{
    fail = 1;
    const std::string prompt = GetMsgText("Net: ", "99931") + NetName(net) + g_CrLf + GetMsgText("In Bus:", "13126") +
                               BusName(bus) + g_CrLf + GetMsgText("as member:", "1325");
    int32_t free = 0;
    while (free < kBusSlots && N_ReadBusMember(bus, free) != 0) ++free;
    const std::string answer = AskText(prompt, "", std::to_string(free));
    if (answer.empty()) return;
    // A number only: digits, an optional sign; anything else is no index.
    char* end = nullptr;
    const long typed = std::strtol(answer.c_str(), &end, 10);
    if (end == answer.c_str() || *end != '\0' || typed < 0 || typed >= kBusSlots) {
        winsys::Ui().Beep();
        return;
    }
    index = static_cast<int32_t>(typed);
    const int32_t member = N_ReadBusMember(bus, index);
    if (member == 0 || member == net) {
        fail = 0;
        return;
    }
    int32_t target = net, source = member;
    ConfirmNetMerge(fail, target, source);
    if (fail != 0) return;
    net = target;
    index = -1;
}

// One click of the drawing command 31; fail = 1 when the command goes on.
void SCHMAIN::WireDrawStep(int32_t& fail, int32_t& X, int32_t& Y)
{
    DesignChange change;
    fail = 0;
    const bool bus = m_WireIsBus;
    bool cancel = m_StepRequest != 0;
    if (!cancel && m_JunctionRequest != 0) {
        int32_t dropped = 1;
        DropMovingWireEnd(dropped);
        int32_t result = 0;
        if (g_CurBranch == 0 || B_Branch(g_CurBranch) == 0) {
            if (bus)
                DeleteBusIfEmpty(g_CurBus, result);
            else
                DeleteMaskedNetNodes(g_CurNet, 0x200, result);
            return;
        }
        B_MaskBranchRecords(g_CurBranch, 0, 0x200);
        if (!bus) {
            OM_MaskAll(N_NodeMap(g_CurNet), 0, 0x200);
            return;
        }
        BusRec rec{};
        if (N_ReadBus(g_CurBus, &rec) == 0 || (rec.Flags & kNetNamed) != 0) return;
        for (;;) {
            const std::string answer =
                FirstWord(AskText(GetMsgText("Assign Bus Name:", "1326"), "", BusName(g_CurBus)));
            if (answer.empty()) {
                cancel = true;
                break;
            }
            if (!CheckTypedName(answer)) {
                std::string detail = answer;
                ReportMsg(53, detail);
                continue;
            }
            int32_t status = 1, other = 0;
            FindBusByName(status, other, answer);
            if (status != 0 || other == g_CurBus) {
                O_Rename(N_Bus(g_CurBus), answer.c_str());
            } else {
                // The wire joins the bus of that name; the new bus goes
                // only when nothing else uses it.
                if (B_ChangeBranchNet(g_CurBranch, other) == 0) {
                    winsys::Ui().Beep();
                    continue;
                }
                const int32_t old = g_CurBus;
                g_CurBus = other;
                DeleteBusIfEmpty(old, result);
            }
            O_Mask(N_Bus(g_CurBus), kNetNamed, kNetNamed);
            return;
        }
    }
    if (cancel) {
        OpenCanvasDC();
        MarkBranchRecord(0, g_CurBranch, g_PrevBranchPos, 1);
        CloseCanvasDC();
        // The marking takes in the wire's junctions; one it shares with a
        // wire it started or ended on stays after the wire goes, unmarked.
        MaskBranchJunctions(g_CurBranch, 1, 257);
        DeleteBranch(g_CurBranch);
        g_CurBranch = 0;
        int32_t result = 0;
        if (bus) {
            DeleteBusIfEmpty(g_CurBus, result);
        } else {
            DeleteMaskedNetNodes(g_CurNet, 0x200, result);
            if (result == 0 && N_Net(g_CurNet) != 0) {
                OpenCanvasDC();
                DrawNetNodes(g_CurNet, 768);
                CloseCanvasDC();
            }
        }
        return;
    }

    int32_t failed = 1;
    bool merged = false;
    const bool onlyAtPin = F_OST.Exists(2) && F_OST(2)->Value();
    const bool joinWires = F_OST.Exists(8) && F_OST(8)->Value();
    ConnectWireEndAt(failed, merged, onlyAtPin, joinWires, X, Y);
    if (failed != 0) {
        fail = 1;
        return;
    }
    if (merged) {
        B_MaskBranchRecords(g_CurBranch, 0, 0x200);
        if (!bus) OM_MaskAll(N_NodeMap(g_CurNet), 0, 0x200);
        return;
    }
    g_PrevBranchPos = g_CurBranchPos;
    g_PrevBranchPoint = g_CurBranchPoint;
    B_MaskRecord(g_CurBranch, g_CurBranchPos, 256, 257);
    O_Mask(B_Branch(g_CurBranch), 257, 257);
    if (!AppendJunctionPoint(g_CurBranch, bus ? 5 : 3, g_CurBranchPoint.X, g_CurBranchPoint.Y, g_CurBranchPos,
                             g_CurBranchPoint)) {
        ReportMsg(56);
        g_CurBranchPos = g_PrevBranchPos;
        g_CurBranchPoint = g_PrevBranchPoint;
        fail = 1;
        return;
    }
    B_ReadBranch(g_CurBranch, &g_CurBranchRec);
    g_CurBranchPointSave = g_CurBranchPoint;
    g_PrevBranchPointSave = g_PrevBranchPoint;
    fail = 1;
    if (!bus) {
        OpenCanvasDC();
        EraseNetNodes(g_CurNet, 256);
        CloseCanvasDC();
    }
}
