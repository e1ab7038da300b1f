// The bus commands of the wire mode: deleting a bus, removing one member,
// exchanging the slots of two members, renaming a bus.
#include "editor/editing/editing_state.h"
#include "editor/editing/wire_helpers.h"
#include "editor/objects/branch_drawing.h"
#include "editor/objects/branch_hits.h"
#include "editor/objects/branch_points.h"
#include "editor/shell/design_change.h"
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
#include "editor/shell/textnum.h"
#include "platform/winsys/interaction.h"

#include <algorithm>
#include <string>
#include <unordered_set>
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

// ---- Deleting a whole bus ---------------------------------------------------------
//
// A bus deletion changes many objects: the bus wires go, the junctions only
// they used go to the heap, the member nets lose their member bit and their
// member texts, and the bus goes. Everything it will change is read first;
// a step the kernel refuses (or a check that finds a step left undone) ends
// its change group unkept, which puts the design back as it was.

struct SavedText {
    ItemRec rec{};
};

struct SavedWire {
    int32_t id = 0;
    BranchRec rec{};
    std::vector<BranchPointRec> points;
    std::vector<SavedText> texts;
};

struct SavedJunction {
    int32_t id = 0;
    JunctionRec rec{};
};

struct SavedNet {
    int32_t id = 0;
    int32_t status = 0;
    std::vector<SavedWire> wires;  // texts only: the records stay untouched
};

struct BusDeletion {
    int32_t bus = 0;
    std::vector<SavedWire> busWires;
    std::vector<SavedJunction> junctions;  // those the bus wires refer to, each once
    std::vector<SavedNet> members;         // each member net once
};

bool ReadTexts(int32_t wire, std::vector<SavedText>& texts)
{
    const int32_t array = B_BranchTextArray(wire);
    if (array == 0) return false;
    const int32_t count = OA_GetCount(array);
    for (int32_t i = 1; i <= count; ++i) {
        SavedText t;
        if (I_ReadItem(B_BranchText(wire, i), &t.rec) == 0) return false;
        t.rec.Text = nullptr;
        texts.push_back(std::move(t));
    }
    return true;
}

bool ReadWire(int32_t wire, SavedWire& saved, bool withPoints)
{
    saved.id = wire;
    if (B_ReadBranch(wire, &saved.rec) == 0) return false;
    if (withPoints) {
        saved.points.resize(static_cast<size_t>(std::max(saved.rec.Points, 0)));
        if (B_ReadRecords(wire, saved.points.data(), saved.rec.Points) != saved.rec.Points) return false;
    }
    return ReadTexts(wire, saved.texts);
}

// Reads all that deleting the bus changes. False when a read fails: then
// nothing has changed yet.
bool ReadBusDeletion(int32_t bus, BusDeletion& d)
{
    d.bus = bus;
    BusRec rec{};
    if (N_ReadBus(bus, &rec) == 0) return false;
    std::unordered_set<int32_t> seenJunctions, seenNets;
    for (const int32_t wire : NetWires(1, bus)) {
        SavedWire saved;
        if (!ReadWire(wire, saved, true)) return false;
        for (const BranchPointRec& p : saved.points) {
            if ((p.Flags & kJunctionRef) == 0 || !seenJunctions.insert(p.Ref).second) continue;
            SavedJunction j{p.Ref, {}};
            if (J_ReadJunction(p.Ref, &j.rec) == 0) return false;
            d.junctions.push_back(j);
        }
        d.busWires.push_back(std::move(saved));
    }
    // Members lie in slots 0..Members-1; a free slot reads 0. Each slot is
    // read twice: a member missed here would keep its bit and texts.
    for (int32_t slot = 0; slot < rec.Members; ++slot) {
        const int32_t net = N_ReadBusMember(bus, slot);
        if (N_ReadBusMember(bus, slot) != net) return false;
        if (net == 0 || !seenNets.insert(net).second) continue;
        NetRec netRec{};
        if (N_ReadNet(net, &netRec) == 0) return false;
        SavedNet member{net, netRec.Flags, {}};
        for (const int32_t wire : NetWires(0, net)) {
            SavedWire saved;
            if (!ReadWire(wire, saved, false)) return false;
            member.wires.push_back(std::move(saved));
        }
        d.members.push_back(std::move(member));
    }
    return true;
}

// The junctions of `candidates` that no wire of the level refers to any
// more. False when the wires cannot all be read.
bool UnusedJunctions(const std::vector<SavedJunction>& candidates, std::vector<int32_t>& unused)
{
    const int32_t map = DB_BranchMap();
    std::vector<int32_t> wires;
    int32_t cursor = OM_GetFirst(map);
    while (const int32_t id = OM_SearchMask(map, &cursor, 0, 0)) wires.push_back(id);
    // A walk cut short would let a junction in use go.
    if (static_cast<int32_t>(wires.size()) != OM_GetCount(map)) return false;
    std::unordered_set<int32_t> used;
    if (!wires.empty()) {
        std::vector<int32_t> counts(wires.size());
        std::vector<BranchPointRec> records(256);
        const auto n = static_cast<int32_t>(wires.size());
        int32_t total = B_ReadRecordSet(wires.data(), n, records.data(), static_cast<int32_t>(records.size()),
                                        counts.data());
        if (total > static_cast<int32_t>(records.size())) {
            records.resize(static_cast<size_t>(total));
            total = B_ReadRecordSet(wires.data(), n, records.data(), total, counts.data());
        }
        if (total < 0 || total > static_cast<int32_t>(records.size())) return false;
        for (int32_t i = 0; i < total; ++i)
            if ((records[static_cast<size_t>(i)].Flags & kJunctionRef) != 0) used.insert(records[static_cast<size_t>(i)].Ref);
    }
    for (const SavedJunction& j : candidates)
        if (!used.contains(j.id)) unused.push_back(j.id);
    return true;
}

// Takes the member bit and the member texts from every member net.
bool ReleaseMembers(const BusDeletion& d)
{
    for (const SavedNet& net : d.members) {
        if (O_Mask(N_Net(net.id), 0, kNetBusMember) == 0) return false;
        for (const SavedWire& w : net.wires) {
            const int32_t array = B_BranchTextArray(w.id);
            // From the last: the texts before keep their indexes.
            for (auto i = static_cast<int32_t>(w.texts.size()); i >= 1; --i)
                if ((w.texts[static_cast<size_t>(i - 1)].rec.Flags & 8) != 0 && OA_Delete(array, i) == 0) return false;
        }
    }
    // Checked again by a second walk: a first walk cut short missed wires.
    for (const SavedNet& net : d.members)
        for (const int32_t wire : NetWires(0, net.id))
            if (OA_SearchMask(B_BranchTextArray(wire), 1, 8) > 0) return false;
    return true;
}

// The changes of a bus deletion after the wires were erased from the
// canvas; false when one was refused (the design is then half changed).
bool DeleteBusObjects(const BusDeletion& d)
{
    // The junctions of the bus wires are marked 12 within 12 before the
    // wires go.
    for (const SavedJunction& j : d.junctions)
        if (O_Mask(J_Junction(j.id), 12, 12) == 0) return false;
    const int32_t branches = DB_BranchMap();
    for (const SavedWire& w : d.busWires)
        if (OM_Delete(branches, w.id) == 0) return false;
    // A wire the first walk did not meet is still there.
    if (B_FindNetPage(1, d.bus, -1) != 0) return false;
    std::vector<int32_t> unused;
    if (!UnusedJunctions(d.junctions, unused)) return false;
    for (const int32_t j : unused)
        if (AddJunctionToHeap(j) != j) return false;
    if (!ReleaseMembers(d)) return false;
    return OM_Delete(DB_BusMap(), d.bus) != 0;
}

void DrawWires(int32_t drawMode, const std::vector<SavedWire>& wires, bool currentPageOnly)
{
    for (const SavedWire& w : wires)
        if (!currentPageOnly || w.rec.Page == g_CurPage) RedrawBranch(drawMode, w.id, -1);
}

void ReportBusNotDeleted(const std::string& name)
{
    winsys::Ui().MessageBox(GetMsgText("Delete Bus: ", "1382") + name + GetMsgText(" failed", "99680"),
                            MessageCaption(),
                            winsys::mb::OkOnly | winsys::mb::SystemModal | winsys::mb::Exclamation);
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
    const std::string name = BusName(bus);
    DesignChange change(DesignChange::Ending::Undo);
    BusDeletion deletion;
    if (!ReadBusDeletion(bus, deletion)) {
        ReportBusNotDeleted(name);
        return;
    }
    OpenCanvasDC();
    DrawWires(2, deletion.busWires, false);
    for (const SavedNet& net : deletion.members) DrawWires(2, net.wires, false);
    CloseCanvasDC();
    const bool deleted = DeleteBusObjects(deletion);
    if (deleted)
        change.Keep();
    else
        change.Undo();
    OpenCanvasDC();
    if (!deleted) DrawWires(0, deletion.busWires, true);
    for (const SavedNet& net : deletion.members) DrawWires(0, net.wires, true);
    CloseCanvasDC();
    if (!deleted) {
        ReportBusNotDeleted(name);
        return;
    }
    g_CurBus = 0;
    fail = 0;
}

void SCHMAIN::DeleteBusMember(int32_t& fail, int32_t X, int32_t Y)
{
    DesignChange change;
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
    // Done only when the member's slot, wires and net stay.
    fail = change.Finish() ? 0 : 1;
}

void SCHMAIN::ExchangeBusMembers(int32_t& fail, int32_t step, int32_t X, int32_t Y)
{
    DesignChange change;
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
    DesignChange change;
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
    fail = change.Finish() ? 0 : 1;
}
