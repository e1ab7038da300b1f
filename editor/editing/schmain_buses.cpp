// The bus commands of the wire mode: deleting a bus, removing one member,
// exchanging the slots of two members, renaming a bus.
#include "editor/editing/editing_state.h"
#include "editor/editing/wire_helpers.h"
#include "editor/objects/branch_drawing.h"
#include "editor/objects/branch_hits.h"
#include "editor/objects/branch_points.h"
#include "editor/objects/branches.h"
#include "editor/objects/net_drawing.h"
#include "editor/objects/net_lookups.h"
#include "editor/objects/net_removal.h"
#include "editor/objects/owner_items.h"
#include "editor/objects/wire_state.h"
#include "editor/shell/dlgservices.h"
#include "editor/shell/msgtext.h"
#include "editor/shell/pagedraw.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/reporter.h"
#include "editor/shell/schmain.h"
#include "platform/winsys/interaction.h"

#include <vector>

using namespace wire_edit;

namespace {

void Beep()
{
    winsys::Ui().Beep();
}

bool IsBusJoint(int32_t junction)
{
    JunctionRec rec{};
    return J_ReadJunction(junction, &rec) != 0 && (rec.Flags & 6) == 6;
}

// A click on a net wire of a bus member at a bus joint: the wire, the net,
// its bus and slot. False (nothing changed) for any other click.
bool PickBusMember(int32_t X, int32_t Y, int32_t& net, int32_t& bus, int32_t& index)
{
    int32_t status = 0, distance = 0;
    g_CurBranchPos = 1;
    CoverBranchAtPoint(status, 2, 0, X, Y, distance, g_CurBranch, g_CurBranchPos, g_CurBranchRec);
    if (status != 0 || g_CurBranch < 0 || (g_CurBranchRec.Flags & kBusWire) != 0) return false;
    net = g_CurBranchRec.Net;
    if ((O_GetStatus(N_Net(net)) & kNetBusMember) == 0) return false;
    SelectNearestBranchPoint(status, 0, X, Y, distance);
    if (status != 0 || (g_CurBranchPoint.Flags & kJunctionRef) == 0 || !IsBusJoint(g_CurBranchPoint.Ref)) return false;
    bus = N_FindBusMember(net, &index);
    return bus != 0;
}

// Every wire of the net on any page.
std::vector<int32_t> NetWires(int32_t kind, int32_t owner)
{
    std::vector<int32_t> ids;
    int32_t cursor = OM_GetFirst(DB_BranchMap());
    while (const int32_t b = B_SearchNetPage(&cursor, kind, owner, -1)) ids.push_back(b);
    return ids;
}

bool OnCurrentPage(int32_t branch)
{
    BranchRec rec{};
    return B_ReadBranch(branch, &rec) != 0 && rec.Page == g_CurPage;
}

}  // namespace

void SCHMAIN::DeleteBus(int32_t& fail, int32_t X, int32_t Y)
{
    fail = 1;
    int32_t status = 0, distance = 0, bus = 0;
    g_CurBranchPos = 1;
    CoverBranchAtPoint(status, 2, 0, X, Y, distance, g_CurBranch, g_CurBranchPos, g_CurBranchRec);
    if (status != 0) {
        const std::string name = AskText(GetMsgText("Bus to Delete: ", "1337"), "", "");
        if (name.empty()) return;
        FindBusByName(status, bus, name);
        if (status != 0) {
            std::string detail = name;
            ReportMsg(59, detail);
            return;
        }
    } else {
        if (g_CurBranch < 0 || (g_CurBranchRec.Flags & kBusWire) == 0) {
            Beep();
            return;
        }
        LoadBranchSegment(status, 0, X, Y, distance);
        bus = g_CurBranchRec.Net;
        if (bus == 0) {
            Beep();
            return;
        }
        PopupConfirm(GetMsgText("Delete Bus: ", "1382") + BusName(bus), m_MouseX, m_MouseY);
        if (!g_YesNoAnswer) return;
    }
    g_CurBus = bus;
    // One pass over the bus wires: a wire the kernel keeps is reported and
    // the deletion stops there instead of meeting it for ever.
    OpenCanvasDC();
    for (const int32_t wire : NetWires(1, bus)) {
        MaskBranchJunctions(wire, 12, 12);
        RedrawBranch(2, wire, -1);
        DeleteBranch(wire);
        if (B_Branch(wire) != 0) {
            CloseCanvasDC();
            std::string detail = BusName(bus);
            ReportMsg(53, detail);
            return;
        }
    }
    CloseCanvasDC();
    BusRec rec{};
    if (N_ReadBus(bus, &rec) != 0) {
        OpenCanvasDC();
        for (int32_t k = 0; k < rec.Members; ++k) {
            const int32_t net = N_ReadBusMember(bus, k);
            if (net == 0) continue;
            O_Mask(N_Net(net), 0, kNetBusMember);
            for (const int32_t wire : NetWires(0, net)) {
                RedrawBranch(2, wire, -1);
                DeleteOwnerItems(kOwnerBranch, wire, 8);
                if (OnCurrentPage(wire)) RedrawBranch(0, wire, -1);
            }
        }
        CloseCanvasDC();
    }
    OM_Delete(DB_BusMap(), bus);
    g_CurBus = 0;
    fail = 0;
}

void SCHMAIN::DeleteBusMember(int32_t& fail, int32_t X, int32_t Y)
{
    fail = 1;
    int32_t net = 0, bus = 0, index = 0;
    if (!PickBusMember(X, Y, net, bus, index)) {
        Beep();
        return;
    }
    PopupConfirm(GetMsgText("Delete Bus Member: ", "1379") + BusName(bus) + "." + std::to_string(index) + "?",
                 m_MouseX, m_MouseY);
    if (!g_YesNoAnswer) return;
    g_CurNet = net;
    OpenCanvasDC();
    DrawBusMemberTexts(0, bus);
    for (int32_t wire : NetWires(0, net)) {
        if (OnCurrentPage(wire)) RedrawBranch(2, wire, -1);
        DeleteOwnerItems(kOwnerBranch, wire, 8);
        BranchPointRec point{};
        // Stay at the index after a deletion: the next record moved there.
        for (int32_t from = 1; wire != 0;) {
            const int32_t at = B_SearchRecordMaskRef(wire, from, kJunctionRef, 0, &point);
            if (at < 1) break;
            if (!IsBusJoint(point.Ref)) {
                from = at + 1;
                continue;
            }
            O_Mask(J_Junction(point.Ref), 1024, 1024);
            DeleteBranchRecord(wire, at);
            from = at;
        }
        if (wire != 0 && OnCurrentPage(wire)) RedrawBranch(0, wire, -1);
    }
    CloseCanvasDC();
    const int32_t junctions = DB_JunctMap();
    int32_t cursor = OM_GetFirst(junctions);
    while (const int32_t j = OM_SearchMask(junctions, &cursor, 1024, 1024)) O_Mask(J_Junction(j), 0, 0x40A);
    // The slot goes before the net may: an emptied net never stays named in
    // the bus.
    N_DeleteBusMember(bus, index);
    O_Mask(N_Net(net), 0, kNetBusMember);
    int32_t result = 0;
    DeleteNetIfEmpty(net, result);
    UpdateBusTexts(bus);
    OpenCanvasDC();
    DrawBusMemberTexts(1, bus);
    CloseCanvasDC();
    fail = 0;
}

void SCHMAIN::ExchangeBusMembers(int32_t& fail, int32_t step, int32_t X, int32_t Y)
{
    fail = 1;
    int32_t net = 0, bus = 0, index = 0;
    const bool picked = PickBusMember(X, Y, net, bus, index);
    if (step == 0) {
        if (!picked) {
            Beep();
            return;
        }
        g_CurBus = bus;
        g_CurNet = net;
        m_PickRec = {bus, index, net, g_CurBranch};
        fail = 0;
        return;
    }
    const auto [firstBus, firstIndex, firstNet, firstWire] = m_PickRec;
    g_CurBranch = firstWire;
    B_ReadBranch(g_CurBranch, &g_CurBranchRec);
    if (!picked || bus != firstBus || net == firstNet || g_CurBranch == 0 || index == firstIndex ||
        N_ReadBusMember(bus, firstIndex) != firstNet || N_ReadBusMember(bus, index) != net) {
        OpenCanvasDC();
        BlinkNet();
        CloseCanvasDC();
        Beep();
        return;
    }
    OpenCanvasDC();
    HighlightBranchRecords(0, g_CurBranch, 1, -1);
    DrawBusMemberTexts(0, bus);
    CloseCanvasDC();
    // Both slots change or neither: a refused second step gives the first
    // slot back its net.
    if (N_SetBusMember(bus, firstIndex, net) < 0) {
        Beep();
        return;
    }
    if (N_SetBusMember(bus, index, firstNet) < 0) {
        N_SetBusMember(bus, firstIndex, firstNet);
        Beep();
        return;
    }
    UpdateBusTexts(bus);
    OpenCanvasDC();
    DrawBusMemberTexts(1, bus);
    CloseCanvasDC();
    fail = 0;
}

// A name another bus bears is refused (message 77); the texts change only
// once the kernel took the name.
void SCHMAIN::RenameBus(int32_t& fail, int32_t bus, const std::string& name)
{
    fail = 1;
    if (N_Bus(bus) == 0) return;
    if (!CheckTypedName(name)) {
        std::string detail = name;
        ReportMsg(53, detail);
        return;
    }
    if (NameTaken(DB_BusMap(), name, bus)) {
        std::string detail = name;
        ReportMsg(77, detail);
        return;
    }
    if (O_Rename(N_Bus(bus), name.c_str()) == 0) return;
    OpenCanvasDC();
    for (const int32_t wire : NetWires(1, bus)) RedrawBranch(2, wire, -1);
    int32_t status = 0;
    RefreshNetNameTexts(status, 1, bus, name);
    for (const int32_t wire : NetWires(1, bus))
        if (OnCurrentPage(wire)) RedrawBranch(0, wire, -1);
    CloseCanvasDC();
    fail = 0;
}
