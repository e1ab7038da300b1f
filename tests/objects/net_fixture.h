// Small designs for the net connectivity, split, merge and net text tests,
// with components drawn by a symbol alone so that their names are plain.
#pragma once

#include "editor/objects/net_groups.h"
#include "tests/objects/wire_fixture.h"

#include <string>
#include <vector>

namespace palvane_test {

// Net N: X.2 (3 0) - (8 0) and (12 0) - Y.1 (17 0), two wires that do not
// touch; net M: Z.1 alone, without a wire; W is on no net. NetsWith adds
// further lines to the page.
inline const char* kNets = R"(
include discrete.nls
unit 0.1in
design D
level MAIN
net N
page P frame 80 40
  component X symbol RES at 0 0
  component Y symbol RES at 20 0
  component Z symbol RES at 0 10
  component W symbol RES at 40 0
  net M Z.1
  wire N X.2 (8 0)
  wire N (12 0) Y.1
end
)";

inline std::string NetsWith(const std::string& lines)
{
    std::string text = kNets;
    const size_t end = text.rfind("end");
    return text.substr(0, end) + lines + "\nend\n";
}

// The node of a pin (schematic side), 0 when it has none.
inline int32_t PinNode(const char* comp, int32_t entry, int32_t* netOut = nullptr)
{
    int32_t net = 0;
    const int32_t node = N_FindCompEntry(OM_FindName(DB_SchCompMap(), comp), entry, &net);
    if (netOut) *netOut = net;
    return node;
}

// The group numbers of g_NetGroupBranches in entry order.
inline std::vector<int32_t> Groups()
{
    std::vector<int32_t> groups;
    for (long k = 1; k <= g_NetGroupBranches.UBound(); ++k) groups.push_back(g_NetGroupBranches(k).Group);
    return groups;
}

// Gives node mask 128 to the nodes of group `group` of the last analysis.
inline void MarkGroupNodes(int32_t net, int32_t group)
{
    for (long r = 1; r <= g_NetGroupRefs.UBound(); ++r) {
        const NetGroupRefEntry& ref = g_NetGroupRefs(r);
        if (ref.Group == group && ref.Kind == 2) O_Mask(N_Node(net, ref.Ref), 128, 128);
    }
}

inline std::vector<int32_t> NodeIds(int32_t net)
{
    std::vector<int32_t> ids;
    const int32_t map = N_NodeMap(net);
    int32_t cursor = OM_GetFirst(map);
    while (const int32_t id = OM_SearchMask(map, &cursor, 0, 0)) ids.push_back(id);
    return ids;
}

}  // namespace palvane_test
