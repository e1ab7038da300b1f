#include "editor/objects/integrity.h"

#include "editor/dialogs/schinfob.h"
#include "editor/objects/branches.h"
#include "editor/objects/hierarchy.h"
#include "editor/objects/net_removal.h"
#include "editor/objects/traces.h"
#include "editor/shell/dlgservices.h"
#include "editor/shell/forms.h"
#include "editor/shell/msgtext.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/scope_guard.h"
#include "editor/shell/textnum.h"

#include <QWidget>

#include <algorithm>
#include <set>
#include <vector>

namespace {

constexpr int32_t kToCheck = 256;
constexpr int32_t kPending = 1024;
// Settings the design keeps in bits of kDesignMarks: on an item 128 says
// that its text has been written again; on a page frame 256 says that the
// frame draws no datum marks.
constexpr int32_t kTextRewritten = 128;
constexpr int32_t kFrameSetting = 256;

class Report {
public:
    explicit Report(const std::function<void(const std::string&)>& show) : show_(show) {}
    void Line(const std::string& line) { text_ += line + g_CrLf; }
    void Show() const
    {
        if (show_) show_(text_);
    }
    const std::string& Text() const { return text_; }

private:
    const std::function<void(const std::string&)>& show_;
    std::string text_;
};

std::string NetName(int32_t net)
{
    return PtrToStr(O_GetName(N_Net(net)));
}

// One side of a node (view 0 schematic, 1 layout): a missing component
// only clears the side; an entry that cannot be read, or a second node on
// the same entry in this net, is a fault (reported, side cleared for the
// former). Returns the node fault.
bool CheckNodeSide(Report& report, int32_t view, int32_t net, const std::string& netName, int32_t node,
                   int32_t comp, int32_t entry)
{
    N_SetNodeView(view);
    const int32_t handle = view == 0 ? C_Component(comp) : L_Component(comp);
    if (handle == 0) {
        N_ChangeNode(net, node, 0, 0);
        return false;
    }
    const std::string label = netName + " " + PtrToStr(O_GetName(handle));
    EntryRec rec{};
    const int32_t read = view == 0 ? C_ReadEntry(comp, entry, &rec) : L_ReadEntry(comp, entry, &rec);
    if (read == 0) {
        const std::string message = view == 0 ? GetMsgText("Can't read entry: ", "1452")
                                               : GetMsgText("Can't read pin: ", "1454");
        report.Line(message + label + Str(entry) + "/" + Str(node));
        N_ChangeNode(net, node, 0, 0);
        return true;
    }
    // Only a pin with more than one node can be used twice in this net. The
    // node itself carries no mark, so a marked node of the map is another
    // one; the marks go again at once.
    if (N_MaskCompNodes(comp, entry, kPending, kPending, 0, 0) <= 1) {
        N_MaskCompNodes(comp, entry, 0, kPending, 0, 0);
        return false;
    }
    O_Mask(N_Node(net, node), 0, kPending);
    O_Mask(N_Net(net), 0, kPending);
    const int32_t nodeMap = N_NodeMap(net);
    const bool duplicate = OM_FindMask(nodeMap, kPending, kPending) != 0;
    N_MaskCompNodes(comp, entry, 0, kPending, 0, 0);
    if (duplicate) {
        report.Line((view == 0 ? "Duplicated Sch.Node: " : "Duplicated Lay.Node: ") + label + Str(entry) + "/" +
                    Str(node));
        return true;
    }
    return false;
}

bool CheckNetlist(Report& report)
{
    bool passFault = false;
    report.Line("1. Checking Netlist");
    report.Show();
    const int32_t nets = DB_NetMap();
    OM_MaskAll(nets, kToCheck, kToCheck);
    int32_t netCursor = OM_GetFirst(nets);
    while (const int32_t net = OM_SearchMask(nets, &netCursor, kToCheck, kToCheck)) {
        const std::string netName = NetName(net);
        O_Mask(N_Net(net), 0, kToCheck);
        const int32_t nodeMap = N_NodeMap(net);
        int32_t cursor = OM_GetFirst(nodeMap);
        while (const int32_t node = OM_SearchMask(nodeMap, &cursor, 0, 0)) {
            bool nodeFault = false;
            NodeRec rec{};
            if (N_ReadNode(net, node, &rec) == 0) {
                report.Line(netName + " " + GetMsgText("Can't read node: ", "1453") + "/" + Str(node));
                nodeFault = true;
            } else {
                nodeFault = CheckNodeSide(report, 0, net, netName, node, rec.Comp, rec.Entry);
                nodeFault = CheckNodeSide(report, 1, net, netName, node, rec.LayComp, rec.LayEntry) || nodeFault;
            }
            NodeRec now{};
            const bool read = N_ReadNode(net, node, &now) != 0;
            if (nodeFault || !read || (now.Comp == 0 && now.LayComp == 0)) {
                OM_Delete(nodeMap, node);
                cursor = OM_GetFirst(nodeMap);
                report.Line(netName + " faulty node removed");
                nodeFault = true;
            }
            passFault = passFault || nodeFault;
        }
        int32_t deleted = 0;
        DeleteNetIfEmpty(net, deleted);
        if (deleted) {
            report.Line(netName + " empty net removed");
            netCursor = OM_GetFirst(nets);
        }
    }
    OM_MaskAll(nets, 0, kToCheck | kPending);
    N_SetNodeView(0);
    report.Line("");
    report.Line(passFault ? "Netlist - Error(s) Discovered and Fixed" : "Netlist - OK");
    return passFault;
}

// The reason a trace record is faulty, "" when it is not.
std::string TraceRecordFault(int32_t net, const TracePointRec& point)
{
    switch (point.Flags & 14) {
    case 2: {
        if (N_Node(net, point.Ref) == 0) return " reference to not existing node";
        NodeRec node{};
        if (N_ReadNode(net, point.Ref, &node) == 0) return " reference to unreadable node";
        if (L_Component(node.LayComp) == 0) return " reference to not existing component";
        EntryRec entry{};
        if (L_ReadEntry(node.LayComp, node.LayEntry, &entry) == 0) return " reference to not existing pin";
        return {};
    }
    case 8:
        return V_Via(point.Ref) == 0 ? " reference to not existing via" : std::string();
    case 4:
        return T_BendPoint(point.Ref) == 0 ? " reference to not existing bend point" : std::string();
    default:
        return {};
    }
}

std::string WireRecordFault(int32_t net, const BranchPointRec& point)
{
    switch (point.Flags & 6) {
    case 2: {
        if (N_Node(net, point.Ref) == 0) return " reference to not existing node";
        NodeRec node{};
        if (N_ReadNode(net, point.Ref, &node) == 0) return " reference to unreadable node";
        if (C_Component(node.Comp) == 0) return " reference to not existing component";
        EntryRec entry{};
        if (C_ReadEntry(node.Comp, node.Entry, &entry) == 0) return " reference to not existing entry";
        return {};
    }
    case 4:
        return J_Junction(point.Ref) == 0 ? " reference to not existing junction point" : std::string();
    default:
        return {};
    }
}

std::string OwnerLabel(const std::string& prefix, int32_t net)
{
    return prefix + (N_Net(net) != 0 ? NetName(net) : std::string("(none)"));
}

void RemoveEmptyNet(Report& report, const std::string& label, int32_t net)
{
    int32_t deleted = 0;
    DeleteNetIfEmpty(net, deleted);
    if (deleted) report.Line(label + " empty net removed");
}

bool CheckTraces(Report& report)
{
    bool passFault = false;
    report.Line("");
    report.Line("2. Checking Traces");
    report.Show();
    const int32_t traces = DB_TraceMap();
    OM_MaskAll(traces, kPending, kPending);
    std::set<int32_t> unreadable;  // traces reported as unreadable, once each
    int32_t cursor = OM_GetFirst(traces);
    while (const int32_t trace = OM_SearchMask(traces, &cursor, kPending, kPending)) {
        TraceRec rec{};
        if (T_ReadTrace(trace, &rec) == 0) {
            // Neither checked nor deleted: what it refers to is unknown.
            if (unreadable.insert(trace).second) report.Line("Trace" + Str(trace) + " cannot be read");
            passFault = true;
            continue;
        }
        const std::string label = OwnerLabel("Trace of Net ", rec.Net);
        std::string reason;
        // Every record is read: one that cannot be read is reported and the
        // check goes on with the next, so a fault behind it is still found.
        for (int32_t i = 1; reason.empty() && i <= rec.Points; ++i) {
            TracePointRec point{};
            if (T_ReadRecord(trace, i, &point) == 0) {
                report.Line(label + " point" + Str(i) + " cannot be read");
                passFault = true;
                continue;
            }
            reason = TraceRecordFault(rec.Net, point);
        }
        if (reason.empty()) {
            O_Mask(T_Trace(trace), 0, kPending);
            continue;
        }
        passFault = true;
        DeleteTrace(trace);
        report.Line(label + reason + " faulty trace removed");
        RemoveEmptyNet(report, label, rec.Net);
        cursor = OM_GetFirst(traces);
    }
    OM_MaskAll(traces, 0, kPending);
    report.Line("");
    report.Line(passFault ? "Traces - Error(s) Discovered and Fixed" : "Traces - OK");
    return passFault;
}

bool CheckWires(Report& report)
{
    bool passFault = false;
    report.Line("");
    report.Line("3. Checking Wires");
    report.Show();
    const int32_t branches = DB_BranchMap();
    OM_MaskAll(branches, kPending, kPending);
    std::set<int32_t> unreadable;  // wires reported as unreadable, once each
    int32_t cursor = OM_GetFirst(branches);
    while (const int32_t branch = OM_SearchMask(branches, &cursor, kPending, kPending)) {
        BranchRec rec{};
        if (B_ReadBranch(branch, &rec) == 0) {
            // Neither checked nor deleted: what it refers to is unknown.
            if (unreadable.insert(branch).second) report.Line("Wire" + Str(branch) + " cannot be read");
            passFault = true;
            continue;
        }
        std::string reason;
        auto label = [&rec] { return OwnerLabel("Wire of Net ", rec.Net); };
        if ((rec.Flags & 2) == 0) {
            // Every record is read: one that cannot be read is reported and
            // the check goes on with the next, so a fault behind it is
            // still found.
            for (int32_t i = 1; reason.empty() && i <= rec.Points; ++i) {
                BranchPointRec point{};
                if (B_ReadRecord(branch, i, &point) == 0) {
                    report.Line(label() + " point" + Str(i) + " cannot be read");
                    passFault = true;
                    continue;
                }
                reason = WireRecordFault(rec.Net, point);
            }
        }
        if (reason.empty()) {
            O_Mask(B_Branch(branch), 0, kPending);
            continue;
        }
        passFault = true;
        const std::string owner = label();
        DeleteBranch(branch);
        report.Line(owner + reason + " faulty wire removed");
        RemoveEmptyNet(report, owner, rec.Net);
        cursor = OM_GetFirst(branches);
    }
    // The page frames are not walked; their mark goes too.
    OM_MaskAll(branches, 0, kPending);
    report.Line("");
    report.Line(passFault ? "Wires - Error(s) Discovered and Fixed" : "Wires - OK");
    return passFault;
}

}  // namespace

namespace {

// Visits every object the marks apply to: `object` gets a label (built only
// when asked), the status handle and the bits that are the object's own
// setting there; a record gets its label and its flags with a setter for
// the cleared flags.
struct MarkVisitor {
    std::function<void(const std::function<std::string()>&, int32_t handle, int32_t keep)> object;
    std::function<void(const std::function<std::string()>&, int32_t flags, const std::function<void(int32_t)>& clear)>
        record;
};

// Every id of a map, as the walks give them (positive ids only).
template <class F>
void ForEachId(int32_t map, F&& f)
{
    if (map == 0) return;
    int32_t cursor = OM_GetFirst(map);
    while (const int32_t id = OM_SearchMask(map, &cursor, 0, 0)) f(id);
}

std::string Named(int32_t handle)
{
    return PtrToStr(O_GetName(handle));
}

// The elements of an array (items, entries, groups, pins): "Item 3 of ...".
void VisitElements(const MarkVisitor& v, int32_t array, const char* kind, const std::string& owner, int32_t keep)
{
    if (array == 0) return;
    const int32_t count = OA_GetCount(array);
    for (int32_t i = 1; i <= count; ++i)
        if (const int32_t element = OA_Object(array, i))
            v.object([&owner, kind, i] { return kind + Str(i) + " of " + owner; }, element, keep);
}

void VisitItems(const MarkVisitor& v, int32_t array, const std::string& owner)
{
    VisitElements(v, array, "Item", owner, kTextRewritten);
}

// A pad stack with its items.
void VisitPadStack(const MarkVisitor& v, int32_t handle, const std::string& label)
{
    v.object([&] { return label; }, handle, 0);
    VisitItems(v, S_PadStackItemArray(handle), label);
}

// A symbol (those kept under negative ids too) with its entries, items and
// own pad stacks.
void VisitSymbol(const MarkVisitor& v, int32_t id)
{
    const int32_t handle = S_Symbol(id);
    if (handle == 0) return;
    const std::string label = "Symbol " + Named(handle);
    v.object([&] { return label; }, handle, 0);
    VisitElements(v, S_SymbolEntryArray(id), "Entry", label, 0);
    VisitItems(v, S_SymbolItemArray(id), label);
    const int32_t stacks = S_SymbolPadStackMap(id);
    ForEachId(stacks, [&](int32_t key) {
        if (const int32_t h = OM_Object(stacks, key)) VisitPadStack(v, h, "Pad stack" + Str(key) + " of " + label);
    });
}

void VisitDevice(const MarkVisitor& v, int32_t id)
{
    const int32_t handle = D_Device(id);
    if (handle == 0) return;
    const std::string label = "Device " + Named(handle);
    v.object([&] { return label; }, handle, 0);
    const int32_t groups = D_GroupArray(id);
    VisitElements(v, groups, "Group", label, 0);
    const int32_t count = groups != 0 ? OA_GetCount(groups) : 0;
    for (int32_t g = 1; g <= count; ++g)
        VisitElements(v, D_GroupPinArray(id, g), "Pin", "group" + Str(g) + " of " + label, 0);
    VisitElements(v, D_SupplyPinArray(id), "Supply pin", label, 0);
}

// The objects of the current level; every label begins with `level`
// ("Level BLOCK: ").
void VisitLevel(const MarkVisitor& v, int32_t hier, const std::string& level)
{
    ForEachId(DB_PageMap(), [&](int32_t page) {
        if (const int32_t h = DB_Page(page)) v.object([&] { return level + "Page " + Named(h); }, h, 0);
    });
    ForEachId(DB_SchCompMap(), [&](int32_t id) {
        const int32_t handle = C_Component(id);
        if (handle == 0) return;
        const std::string label = level + "Component " + Named(handle);
        v.object([&] { return label; }, handle, 0);
        VisitItems(v, C_CompTextArray(id), label);
    });
    ForEachId(DB_LayCompMap(), [&](int32_t id) {
        const int32_t handle = L_Component(id);
        if (handle == 0) return;
        const std::string label = level + "Layout component " + Named(handle);
        v.object([&] { return label; }, handle, 0);
        VisitItems(v, L_CompTextArray(id), label);
    });
    ForEachId(DB_NetMap(), [&](int32_t net) {
        const int32_t handle = N_Net(net);
        if (handle == 0) return;
        const std::string label = level + "Net " + Named(handle);
        v.object([&] { return label; }, handle, 0);
        ForEachId(N_NodeMap(net), [&](int32_t node) {
            if (const int32_t h = N_Node(net, node)) v.object([&] { return label + " node" + Str(node); }, h, 0);
        });
    });
    ForEachId(DB_BusMap(), [&](int32_t bus) {
        if (const int32_t h = N_Bus(bus)) v.object([&] { return level + "Bus " + Named(h); }, h, 0);
    });
    // The walk leaves the page frames out; their records are visited
    // through the frame of each page, and their 256 is their own setting.
    std::vector<int32_t> branches;
    ForEachId(DB_BranchMap(), [&](int32_t id) { branches.push_back(id); });
    ForEachId(DB_PageMap(), [&](int32_t page) {
        if (B_Branch(-100 - page) != 0) branches.push_back(-100 - page);
    });
    // The records are read in one call each, so that the scan leaves the
    // passes' own reads as they are.
    std::vector<BranchPointRec> points;
    for (const int32_t id : branches) {
        const int32_t handle = B_Branch(id);
        if (handle == 0) continue;
        const std::string label = level + (id < 0 ? "Frame of page" + Str(-100 - id) : "Wire" + Str(id));
        v.object([&] { return label; }, handle, id < 0 ? kFrameSetting : 0);
        const int32_t count = B_ReadRecords(id, nullptr, 0);
        if (count > 0) {
            points.assign(static_cast<size_t>(count), BranchPointRec{});
            const int32_t read = std::min(count, B_ReadRecords(id, points.data(), count));
            for (int32_t i = 1; i <= read; ++i)
                v.record([&] { return label + " point" + Str(i); }, points[static_cast<size_t>(i - 1)].Flags,
                         [id, i](int32_t marks) { B_MaskRecord(id, i, 0, marks); });
        }
        VisitItems(v, B_BranchTextArray(id), label);
    }
    ForEachId(DB_JunctMap(), [&](int32_t id) {
        if (const int32_t h = J_Junction(id)) v.object([&] { return level + "Junction" + Str(id); }, h, 0);
    });
    // Bend points have no map of their own: they are reached through the
    // trace records that refer to them, once each.
    std::set<int32_t> bendPoints;
    ForEachId(DB_TraceMap(), [&](int32_t id) {
        const int32_t handle = T_Trace(id);
        if (handle == 0) return;
        const std::string label = level + "Trace" + Str(id);
        v.object([&] { return label; }, handle, 0);
        TraceRec rec{};
        if (T_ReadTrace(id, &rec) == 0) return;
        for (int32_t i = 1; i <= rec.Points; ++i) {
            TracePointRec point{};
            if (T_ReadRecord(id, i, &point) == 0) continue;
            if ((point.Flags & 14) == 4) bendPoints.insert(point.Ref);
            v.record([&] { return label + " point" + Str(i); }, point.Flags,
                     [id, i](int32_t marks) { T_MaskRecord(id, i, 0, marks); });
        }
    });
    for (const int32_t id : bendPoints)
        if (const int32_t h = T_BendPoint(id)) v.object([&] { return level + "Bend point" + Str(id); }, h, 0);
    ForEachId(DB_ViaMap(), [&](int32_t id) {
        if (const int32_t h = V_Via(id)) v.object([&] { return level + "Via" + Str(id); }, h, 0);
    });
    ForEachId(DB_FileMap(), [&](int32_t id) {
        if (const int32_t h = F_File(id)) v.object([&] { return level + "File " + Named(h); }, h, 0);
    });
    VisitItems(v, DB_LayoutTextArray(), level + "Layout texts");
    // The level's own symbols, kept under negative ids: its notes, copper
    // areas, gap masks, placement zones and grid, and each page's notes.
    for (const int32_t id : {-100 - hier, -400 - hier, -800 - hier, -(hier + 12000), -(hier + 13000)})
        VisitSymbol(v, id);
    ForEachId(DB_PageMap(), [&](int32_t page) { VisitSymbol(v, -((hier + 9) * 100 + page)); });
}

// Each level of the design in turn: the current one as it is, every other
// one made current for its walk. The current level (and with it its current
// page; each level keeps its own) is current again afterwards, on every
// path. Nothing but the kernel's current level changes: no repaint, no
// message. A level the kernel cannot make current is left out.
void VisitEveryLevel(const MarkVisitor& v)
{
    const int32_t current = DB_CurHier();
    if (current == 0) return;
    const int32_t levels = DB_HierarchyMap();
    const auto prefix = [levels](int32_t level) { return "Level " + Named(OM_Object(levels, level)) + ": "; };
    VisitLevel(v, current, prefix(current));
    auto back = OnExit([current] {
        if (DB_CurHier() != current) DB_SetCurHier(current);
    });
    ForEachId(levels, [&](int32_t level) {
        if (level == current || DB_SetCurHier(level) != level) return;
        VisitLevel(v, level, prefix(level));
    });
}

void VisitDesign(const MarkVisitor& v)
{
    if (const int32_t design = DB_DataBase()) v.object([&] { return "Design " + Named(design); }, design, 0);
    ForEachId(DB_HierarchyMap(), [&](int32_t id) {
        if (const int32_t h = OM_Object(DB_HierarchyMap(), id)) v.object([&] { return "Level " + Named(h); }, h, 0);
    });
    VisitEveryLevel(v);
    ForEachId(DB_SymbMap(), [&](int32_t id) { VisitSymbol(v, id); });
    // The library's temporaries, while a load has them.
    VisitSymbol(v, -1);
    VisitSymbol(v, -2);
    ForEachId(DB_DeviceMap(), [&](int32_t id) { VisitDevice(v, id); });
    VisitDevice(v, -1);
    const int32_t stacks = DB_PadStackMap();
    ForEachId(stacks, [&](int32_t key) {
        if (const int32_t h = OM_Object(stacks, key)) VisitPadStack(v, h, "Pad stack" + Str(key));
    });
}

}  // namespace

std::vector<DesignMark> FindDesignMarks()
{
    std::vector<DesignMark> found;
    MarkVisitor v;
    v.object = [&](const std::function<std::string()>& label, int32_t handle, int32_t keep) {
        if (const int32_t bits = O_GetStatus(handle) & kDesignMarks & ~keep) found.push_back({label(), bits});
    };
    v.record = [&](const std::function<std::string()>& label, int32_t flags, const std::function<void(int32_t)>&) {
        if (const int32_t bits = flags & kDesignMarks) found.push_back({label(), bits});
    };
    VisitDesign(v);
    return found;
}

int32_t ClearDesignMarks()
{
    int32_t cleared = 0;
    MarkVisitor v;
    v.object = [&](const std::function<std::string()>&, int32_t handle, int32_t keep) {
        if (const int32_t bits = O_GetStatus(handle) & kDesignMarks & ~keep) {
            O_Mask(handle, 0, bits);
            ++cleared;
        }
    };
    v.record = [&](const std::function<std::string()>&, int32_t flags, const std::function<void(int32_t)>& clear) {
        if (const int32_t bits = flags & kDesignMarks) {
            clear(bits);
            ++cleared;
        }
    };
    VisitDesign(v);
    return cleared;
}

std::string RunIntegrityCheck(const std::function<void(const std::string&)>& show, bool withMarks)
{
    Report report(show);
    // The node view is the schematic side again on every path.
    auto view = OnExit([] { N_SetNodeView(0); });
    report.Line("Integrity Diagnostics and Autofix");
    report.Line("");
    // Marks a stored design must not hold: found before the passes, which
    // set marks of their own.
    const std::vector<DesignMark> marks = withMarks ? FindDesignMarks() : std::vector<DesignMark>{};
    if (!marks.empty()) {
        for (const DesignMark& mark : marks) report.Line(mark.what + " holds marks " + std::to_string(mark.bits));
        ClearDesignMarks();
        report.Line("Marks - Cleared");
        report.Line("");
    }
    CheckNetlist(report);
    CheckTraces(report);
    CheckWires(report);
    RebuildHeaps();
    report.Show();
    return report.Text();
}

void CheckIntegrity()
{
    SetScreenMousePointer(mousepointer::Hourglass);
    auto pointer = OnExit([] { SetScreenMousePointer(mousepointer::Default); });
    RunIntegrityCheck(
        [](const std::string& text) {
            ShowReport(text);
            if (QWidget* window = FormInstance<SCHINFOB>().Window()) window->repaint();
        },
        true);
}
