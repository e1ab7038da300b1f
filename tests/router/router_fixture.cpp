#include "tests/router/router_fixture.h"

#include "platform/kernel/nvokernel32.h"
#include "router/route.h"

#include <algorithm>

namespace router_test {

using namespace corvex;

std::vector<std::tuple<int32_t, int32_t, int32_t>> Points(int32_t branch)
{
    std::vector<std::tuple<int32_t, int32_t, int32_t>> out;
    for (int32_t p = g_Branches[branch].firstPoint; p; p = g_BPoints[p].next)
        out.emplace_back(g_BPoints[p].x, g_BPoints[p].y, g_BPoints[p].flags);
    return out;
}

std::vector<int32_t> Chain(int32_t net)
{
    std::vector<int32_t> out;
    for (int32_t b = g_Nets[net].firstBranch; b; b = g_Branches[b].next) out.push_back(b);
    return out;
}

std::string NetName(int32_t net, bool bus)
{
    const char* name = O_GetName(bus ? N_Bus(net) : N_Net(net));
    return name ? name : "";
}

int32_t ImageNet(const std::string& name)
{
    for (int32_t n = 1; n <= g_Nets.Count(); ++n)
        if (g_Nets[n].kernelId && NetName(g_Nets[n].kernelId, g_Nets[n].flags & kNetBus) == name) return n;
    return 0;
}

std::set<std::tuple<std::string, int32_t, int32_t, int32_t, int32_t, int32_t>> KernelWireCover()
{
    std::set<std::tuple<std::string, int32_t, int32_t, int32_t, int32_t, int32_t>> cover;
    const int32_t map = DB_BranchMap();
    int32_t cursor = OM_GetFirst(map);
    for (int32_t id; (id = OM_SearchMask(map, &cursor, 0, 0)) != 0;) {
        BranchRec br{};
        if (B_ReadBranch(id, &br) != 1) continue;
        const std::string name = NetName(br.Net, br.Flags & 2);
        BranchPointRec a{}, b{};
        for (int32_t k = 1; k < br.Points; ++k) {
            B_ReadRecord(id, k, &a);
            B_ReadRecord(id, k + 1, &b);
            const int32_t steps = std::max(std::abs(b.X - a.X), std::abs(b.Y - a.Y)) / (kU / 2);
            for (int32_t s = 0; s < steps; ++s) {
                const int32_t x1 = a.X + (b.X - a.X) * s / steps, y1 = a.Y + (b.Y - a.Y) * s / steps;
                const int32_t x2 = a.X + (b.X - a.X) * (s + 1) / steps, y2 = a.Y + (b.Y - a.Y) * (s + 1) / steps;
                cover.emplace(name, br.Page, std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2));
            }
        }
    }
    return cover;
}

NetPiecesMap ImageNetPieces()
{
    NetPiecesMap out;
    std::map<std::pair<std::string, int32_t>, std::set<int32_t>> groups;
    for (int32_t n = 1; n <= g_Nets.Count(); ++n) {
        if (g_Nets[n].flags & kNetBus) continue;
        for (int32_t i = 0; i < g_Nets[n].nodeCount; ++i) {
            const ScrNodeRec& node = g_Nodes[g_Nets[n].firstNode + i];
            const std::pair<std::string, int32_t> where{corvex::NetName(n), g_Comps[node.comp].page};
            ++out[where].pins;
            groups[where].insert(node.group);
        }
    }
    for (auto& [where, pieces] : out) pieces.pieces = static_cast<int32_t>(groups[where].size());
    return out;
}

}  // namespace router_test
