#include "tests/support/net_pieces.h"

#include "platform/kernel/nvokernel32.h"

#include <set>
#include <unordered_map>

namespace palvane_test {

namespace {

// Union-find over keys made of a kind and an id.
class Sets {
public:
    int64_t Find(int64_t key)
    {
        auto [it, added] = parent_.try_emplace(key, key);
        if (added || it->second == key) return key;
        const int64_t root = Find(it->second);
        parent_[key] = root;
        return root;
    }
    void Join(int64_t a, int64_t b)
    {
        a = Find(a), b = Find(b);
        if (a != b) parent_[a] = b;
    }

private:
    std::unordered_map<int64_t, int64_t> parent_;
};

// Kinds: 1 a wire, 2 a node, 4 a junction.
int64_t Key(int32_t kind, int32_t id) { return (int64_t(kind) << 32) | uint32_t(id); }

}  // namespace

NetPiecesMap KernelNetPieces()
{
    Sets sets;
    const int32_t branches = DB_BranchMap();
    int32_t cursor = OM_GetFirst(branches);
    for (int32_t id; (id = OM_SearchMask(branches, &cursor, 0, 0)) != 0;) {
        BranchRec br{};
        if (id < 0 || B_ReadBranch(id, &br) != 1 || (br.Flags & 2)) continue;
        for (int32_t k = 1; k <= br.Points; ++k) {
            BranchPointRec rec{};
            if (B_ReadRecord(id, k, &rec) != 1) continue;
            const int32_t kind = rec.Flags & 6;
            if (kind == 2 || kind == 4) sets.Join(Key(1, id), Key(kind, rec.Ref));
        }
    }
    NetPiecesMap out;
    std::map<std::pair<std::string, int32_t>, std::set<int64_t>> roots;
    const int32_t nets = DB_NetMap();
    cursor = OM_GetFirst(nets);
    for (int32_t net; (net = OM_SearchMask(nets, &cursor, 0, 0)) != 0;) {
        const char* name = O_GetName(N_Net(net));
        const int32_t map = N_NodeMap(net);
        int32_t at = OM_GetFirst(map);
        for (int32_t node; (node = OM_SearchMask(map, &at, 0, 0)) != 0;) {
            NodeRec rec{};
            CompRec comp{};
            if (N_ReadNode(net, node, &rec) != 1 || !rec.Comp || C_ReadComponent(rec.Comp, &comp) != 1) continue;
            const std::pair<std::string, int32_t> where{name ? name : "", comp.Page};
            ++out[where].pins;
            roots[where].insert(sets.Find(Key(2, node)));
        }
    }
    for (auto& [where, pieces] : out) pieces.pieces = static_cast<int32_t>(roots[where].size());
    return out;
}

std::pair<int64_t, int64_t> Joins(const NetPiecesMap& pieces)
{
    int64_t made = 0, needed = 0;
    for (const auto& [where, p] : pieces)
        if (p.pins > 1) made += p.pins - p.pieces, needed += p.pins - 1;
    return {made, needed};
}

int32_t WiresOnPage(int32_t page)
{
    int32_t count = 0;
    int32_t cursor = OM_GetFirst(DB_BranchMap());
    while (B_SearchNetPage(&cursor, 0, 0, page)) ++count;
    return count;
}

}  // namespace palvane_test
