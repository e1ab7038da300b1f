#include "editor/objects/net_lookups.h"

#include "editor/objects/branch_hits.h"
#include "editor/objects/view_values.h"
#include "editor/shell/dlgservices.h"
#include "editor/shell/msgtext.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/reporter.h"
#include "editor/shell/scope_guard.h"
#include "editor/shell/textnum.h"

#include <cstdlib>

namespace {

// A fixed 15-character text: cut, or padded with blanks.
std::string Fixed15(const std::string& text)
{
    std::string fixed = text.substr(0, 15);
    fixed.resize(15, ' ');
    return fixed;
}

constexpr int32_t kNoNodeYet = 440000000;

}  // namespace

void FindBusByName(int32_t& status, int32_t& bus, const std::string& name)
{
    bus = OM_FindName(DB_BusMap(), name.c_str());
    status = bus != 0 ? 0 : 1;
}

void FindNetByName(int32_t& status, int32_t& net, const std::string& name)
{
    net = OM_FindName(DB_NetMap(), name.c_str());
    status = net != 0 ? 0 : 1;
}

void FindPinNet(int32_t& status, int32_t side, int32_t comp, int32_t entry, int32_t& net, std::string& netName,
                int32_t& node)
{
    auto schematicView = OnExit([] { N_SetNodeView(0); });
    if (side == 0 || side == 1) N_SetNodeView(side);
    node = N_FindCompEntry(comp, entry, &net);
    if (node != 0) {
        netName = PtrToStr(O_GetName(N_Net(net)));
        status = 0;
    } else {
        status = 1;
    }
}

void ReadNetNode(int32_t& status, int32_t net, std::string& netName, int32_t node, NetRec& netRec, NodeRec& nodeRec)
{
    if (N_ReadNet(net, &netRec) == 0) {
        status = 1;
        return;
    }
    netName = PtrToStr(netRec.Name);
    N_ReadNode(net, node, &nodeRec);
}

void CoverNodeAtPoint(int32_t& status, int32_t x, int32_t y, int32_t& net, std::string& netName, int32_t& node,
                      NetRec& netRec, NodeRec& nodeRec)
{
    G_SetDrawMode(0);
    N_SetNodeView(0);
    int32_t found = 0;
    node = N_CoverNode(x, y, g_PickTolerance, &found);
    if (node == 0) {
        status = 1;
        return;
    }
    net = found;
    ReadNetNode(status, net, netName, node, netRec, nodeRec);
}

void CoverNetAtPoint(int32_t& status, int32_t x, int32_t y, int32_t& net, std::string& netName, int32_t& node,
                     NetRec& netRec, NodeRec& nodeRec)
{
    CoverNodeAtPoint(status, x, y, net, netName, node, netRec, nodeRec);
    if (status == 0) return;
    status = 0;
    int32_t distance = 0, branch = 0, cover = 0;
    BranchRec rec{};
    CoverBranchAtPoint(status, 0, 0, x, y, distance, branch, cover, rec);
    if (status != 0) return;
    if ((rec.Flags & 2) != 0) {
        status = 1;
        return;
    }
    net = rec.Net;
    ReadNetNode(status, net, netName, node, netRec, nodeRec);
}

void AskNetName(int32_t& status, const std::string& detail, int32_t& net, std::string& name, int32_t node,
                NetRec& netRec, NodeRec& nodeRec)
{
    const std::string prompt = GetMsgText("Net Name (", "99924") + detail + "):";
    name = Trim(AskText(prompt, "", ""));
    if (name.empty()) {
        status = 1;
        return;
    }
    FindNetByName(status, net, name);
    if (status != 0) {
        std::string typed = name;
        ReportMsg(24, typed);
        status = 1;
        return;
    }
    ReadNetNode(status, net, name, node, netRec, nodeRec);
}

int32_t FindNearestNetNode(int32_t view, int32_t net, int32_t value, int32_t mask, int32_t x, int32_t y,
                           int32_t& nodeX, int32_t& nodeY)
{
    // The node view is one kernel-wide switch: the schematic view is set
    // again on every way out.
    auto schematicView = OnExit([] { N_SetNodeView(0); });
    N_SetNodeView(view);
    int64_t best = kNoNodeYet;
    int32_t result = 0;
    const int32_t map = N_NodeMap(net);
    int32_t cursor = OM_GetFirst(map);
    while (const int32_t node = OM_SearchMask(map, &cursor, value, mask)) {
        NodeRec rec{};
        if (N_ReadNode(net, node, &rec) == 0) continue;
        if (O_TestPage(C_Component(rec.Comp), 0) == 0) continue;
        const int64_t distance = std::llabs(static_cast<int64_t>(rec.X) - x) + std::llabs(static_cast<int64_t>(rec.Y) - y);
        if (distance == 0 || distance >= best) continue;
        best = distance;
        result = node;
        nodeX = rec.X;
        nodeY = rec.Y;
    }
    return result;
}

int32_t GetFreeNodeId()
{
    return GetFreeID(3);
}

void ReadNodeInfo(int32_t net, int32_t node, const NetRec& netRec, const NodeRec& nodeRec, NodeInfoRec& info)
{
    info = NodeInfoRec{};
    info.Node = node;
    info.Flags = nodeRec.Flags;
    info.Net = net;
    info.NetName = Fixed15(PtrToStr(netRec.Name));
    CompRec comp{};
    if (C_ReadComponent(nodeRec.Comp, &comp) != 0) {
        info.Comp = nodeRec.Comp;
        info.CompName = Fixed15(PtrToStr(comp.Name));
        EntryRec entry{};
        if (S_ReadEntry(comp.Symb, nodeRec.Entry, &entry) != 0) {
            info.Entry = nodeRec.Entry;
            info.EntryName = Fixed15(PtrToStr(entry.Name));
            info.Group = comp.Group;
        }
    }
    LayCompRec layComp{};
    if (L_ReadComponent(nodeRec.LayComp, &layComp) != 0) {
        info.LayComp = nodeRec.LayComp;
        info.LayCompName = Fixed15(PtrToStr(layComp.Name));
        info.LayEntry = nodeRec.LayEntry;
    }
    int32_t index = 0;
    if (const int32_t bus = N_FindBusMember(net, &index); bus != 0) {
        info.Bus = bus;
        info.BusName = Fixed15(PtrToStr(O_GetName(N_Bus(bus))));
        info.BusIndex = index;
    }
}

void CollectNetNodes(int32_t& result, int32_t net, int32_t& node, const NetRec&)
{
    g_NetNodes.Redim(0, 0);
    g_NetNodeIds.Redim(0, 0);
    result = 0;
    const int32_t map = N_NodeMap(net);
    node = OM_GetFirst(map);
    while (const int32_t id = OM_SearchMask(map, &node, 0, 0)) {
        NodeRec rec{};
        if (N_ReadNode(net, id, &rec) == 0) continue;
        if (rec.Comp != 0 && rec.Entry != 0) {
            const long next = g_NetNodes.UBound() + 1;
            g_NetNodes.RedimPreserve(next);
            g_NetNodeIds.RedimPreserve(next);
            g_NetNodes(next) = rec;
            g_NetNodeIds(next) = id;
        } else if (rec.LayComp != 0 && rec.LayEntry != 0) {
            result = -1;
        }
    }
}
