// Loading the nets of the page image: buses with their member nets, the
// ordinary nets with their nodes and each node's exit directions, the node
// pairs the router works through, and the page frames.
#include "router/image.h"

#include "platform/kernel/nvokernel32.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <unordered_set>

namespace corvex {

namespace {

// Kernel nets already loaded as bus members; the ordinary-net walk skips
// them, whatever their kernel flags say.
std::unordered_set<int32_t> g_MemberNets;

// Removes the directions in `mask` from `bits`.
void Drop(int32_t& bits, int32_t mask) { bits &= ~mask; }

int32_t QuarterTurn(int32_t bits, int turns)
{
    int32_t out = 0;
    const int32_t order[4] = {kExitPosX, kExitPosY, kExitNegX, kExitNegY};
    for (int i = 0; i < 4; ++i)
        if (bits & order[i]) out |= order[(i + turns) % 4];
    return out;
}

// Reads `count` nodes of a kernel net into the node table; nodes without a
// loaded component or without an entry are dropped. Returns the number kept,
// or -1 on a failure (recorded with `func`).
int32_t LoadNodes(int32_t func, int32_t kernelNet, int32_t count, int32_t netIndex, int32_t codeRead,
                  int32_t codeFull)
{
    const int32_t map = N_NodeMap(kernelNet);
    int32_t cursor = OM_GetFirst(map);
    int32_t kept = 0;
    for (int32_t k = 1; k <= count; ++k) {
        int32_t id = 0;
        do id = OM_SearchMask(map, &cursor, 0, 0);
        while (id < 0);
        if (id == 0) return Fail(func, 1) - 1;
        NodeRec n{};
        if (N_ReadNode(kernelNet, id, &n) != 1) return Fail(func, codeRead) - 1;
        if (g_Nodes.Full()) return Fail(func, codeFull) - 1;
        const int32_t comp = n.Comp > 0 ? g_CompMap.Find(n.Comp) : 0;
        if (!comp || n.Entry == 0) continue;
        ScrNodeRec r{};
        r.comp = comp;
        r.x = n.X;
        r.y = n.Y;
        r.group = ++kept;
        const int32_t node = g_Nodes.Append(r);
        SetNodeGeometry(node, n.Entry);
        g_Nodes[node].net = netIndex;
    }
    return kept;
}

}  // namespace

int32_t RotateExitBits(int32_t bits, int32_t angle)
{
    int32_t s = (angle % 360 + 360) % 360 / 30;
    const int32_t dirs = bits & kExitAll, rest = bits & ~kExitAll;
    int32_t out = dirs;
    switch (s) {
    case 0:
    case 11: out = dirs; break;
    case 1: out = dirs | QuarterTurn(dirs, 1); break;
    case 2:
    case 3: out = QuarterTurn(dirs, 1); break;
    case 4: out = QuarterTurn(dirs, 1) | QuarterTurn(dirs, 2); break;
    case 5:
    case 6: out = QuarterTurn(dirs, 2); break;
    case 7: out = QuarterTurn(dirs, 2) | QuarterTurn(dirs, 3); break;
    case 8:
    case 9: out = QuarterTurn(dirs, 3); break;
    case 10: out = dirs | QuarterTurn(dirs, 3); break;
    }
    // The flags beside the directions (inside the body) stay as they are.
    return out | rest;
}

void SetNodeGeometry(int32_t node, int32_t entryNumber)
{
    ScrNodeRec& nd = g_Nodes[node];
    const ScrCompRec& c = g_Comps[nd.comp];
    const ScrSymbRec& s = g_Symbs[c.symb];
    if (entryNumber < 1 || entryNumber > s.entryCount) {
        nd.flags |= kExitAll;
        return;
    }
    const int32_t ex = g_Entries[s.firstEntry + entryNumber - 1].x, ey = g_Entries[s.firstEntry + entryNumber - 1].y;
    const int32_t minX = s.bodyMinX, minY = s.bodyMinY, maxX = s.bodyMaxX, maxY = s.bodyMaxY;
    const int32_t w3 = (maxX - minX) / 3, h3 = (maxY - minY) / 3;
    int32_t bits = 0;
    bool turn = true;
    const bool onEdge = ex == minX || ex == maxX || ey == minY || ey == maxY;
    if (onEdge) {
        bits = ex == minX ? 224 : ex == maxX ? 176 : ey == minY ? 208 : 112;
        for (int32_t i = 0; i < s.entryCount; ++i) {
            const ScrEntryRec& e = g_Entries[s.firstEntry + i];
            if (e.y == ey && e.x != ex) Drop(bits, e.x < ex ? kExitNegX : kExitPosX);
            if (e.x == ex && e.y != ey) Drop(bits, ey <= e.y ? kExitPosY : kExitNegY);
        }
        auto line = [&](int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
            if (x1 == ex && x2 == ex) {
                const int32_t lo = std::min(y1, y2), hi = std::max(y1, y2);
                if (ey > lo && ey < hi) Drop(bits, kExitPosY | kExitNegY);
                else if (ey == lo && lo != hi) Drop(bits, kExitPosY);
                else if (ey == hi && lo != hi) Drop(bits, kExitNegY);
            } else if (y1 == ey && y2 == ey) {
                const int32_t lo = std::min(x1, x2), hi = std::max(x1, x2);
                if (ex > lo && ex < hi) Drop(bits, kExitPosX | kExitNegX);
                else if (ex == lo && lo != hi) Drop(bits, kExitPosX);
                else if (ex == hi && lo != hi) Drop(bits, kExitNegX);
            }
        };
        for (int32_t i = 0; i < s.itemCount; ++i) {
            const ScrItemRec& it = g_Items[s.firstItem + i];
            if (it.kind == 3) {
                line(it.g[0], it.g[1], it.g[2], it.g[3]);
            } else if (it.kind == 4) {
                int32_t k[8];
                RotateBox(k, it.g[0], it.g[1], it.g[2], it.g[3], it.g[4]);
                const int32_t bx1 = std::min({k[0], k[2], k[4], k[6]}), bx2 = std::max({k[0], k[2], k[4], k[6]});
                const int32_t by1 = std::min({k[1], k[3], k[5], k[7]}), by2 = std::max({k[1], k[3], k[5], k[7]});
                if (bx1 == bx2 || by1 == by2) {
                    line(bx1, by1, bx2, by2);
                    continue;
                }
                if (ex < bx1 || ex > bx2 || ey < by1 || ey > by2) continue;
                const bool left = ex == bx1, right = ex == bx2, bottom = ey == by1, top = ey == by2;
                if (left && bottom) Drop(bits, kExitPosX | kExitPosY);
                else if (left && top) Drop(bits, kExitPosX | kExitNegY);
                else if (right && bottom) Drop(bits, kExitNegX | kExitPosY);
                else if (right && top) Drop(bits, kExitNegX | kExitNegY);
                else if (left || right) Drop(bits, kExitPosY | kExitNegY);
                else Drop(bits, kExitPosX | kExitNegX);
            }
        }
    } else if (ex > minX && ex < maxX && ey > minY && ey < maxY) {
        bits = kExitAll | kNodeInside;
        if (std::abs(2 * static_cast<int64_t>(ex) - minX - maxX) < w3 &&
            std::abs(2 * static_cast<int64_t>(ey) - minY - maxY) < h3) {
            turn = false;
        } else {
            if (ex - minX > w3) Drop(bits, kExitNegX);
            if (maxX - ex > w3) Drop(bits, kExitPosX);
            if (ey - minY > h3) Drop(bits, kExitNegY);
            if (maxY - ey > h3) Drop(bits, kExitPosY);
        }
    } else {
        const int64_t d[4] = {std::abs(static_cast<int64_t>(minX) - ex), std::abs(static_cast<int64_t>(ex) - maxX),
                              std::abs(static_cast<int64_t>(ey) - minY), std::abs(static_cast<int64_t>(maxY) - ey)};
        int best = 0;
        for (int i = 1; i < 4; ++i)
            if (d[i] < d[best]) best = i;
        const int32_t away[4] = {kExitPosX, kExitNegX, kExitNegY, kExitPosY};
        bits = kExitAll & ~away[best];
    }
    if (turn) {
        // Mirror first, then turn, as the kernel places the component.
        if (c.attr & 1) {
            const int32_t px = bits & kExitPosX, nx = bits & kExitNegX;
            bits = (bits & ~(kExitPosX | kExitNegX)) | (px ? kExitNegX : 0) | (nx ? kExitPosX : 0);
        }
        if (c.angle != 0) bits = RotateExitBits(bits, c.angle);
    }
    nd.flags |= bits;
}

int32_t LoadBuses()
{
    g_BusCount = 0;
    g_MemberNets.clear();
    N_SetNodeView(0);
    const int32_t map = DB_BusMap();
    int32_t cursor = OM_GetFirst(map);
    for (int32_t id; (id = OM_SearchMask(map, &cursor, 0, 0)) != 0;) {
        if (id < 0) continue;
        if (id >= kMaxBusId) return Fail(1350, 11);
        BusRec b{};
        if (N_ReadBus(id, &b) != 1) return Fail(1350, 2);
        if (b.Members < 1) continue;
        if (g_Nets.Full()) return Fail(1350, 6);
        const int32_t name = g_NetNamePool.Add(b.Name);
        if (!name) return Fail(1350, 7);
        ScrNetRec r{};
        r.flags = ((b.Flags & 2) ? kNetPower : 0) + kNetBus;
        r.name = name;
        r.nodeCount = b.Members;
        r.kernelId = id;
        g_Nets.Append(r);
        ++g_BusCount;
    }
    return g_BusCount > 0 ? LoadBusMembers() : 1;
}

int32_t LoadBusMembers()
{
    N_SetNodeView(0);
    for (int32_t b = 1; b <= g_BusCount; ++b) {
        const int32_t members = g_Nets[b].nodeCount, kernelBus = g_Nets[b].kernelId;
        for (int32_t k = 0; k < members; ++k) {
            const int32_t net = N_ReadBusMember(kernelBus, k);
            NetRec n{};
            const bool read = net > 0 && N_ReadNet(net, &n) == 1;
            if (net > 0 && !read) return Fail(1360, 4);
            if (g_Nets.Full()) return Fail(1360, 6);
            ScrNetRec r{};
            r.bus = b;
            r.flags = kNetMember;
            // An empty slot, a member without nodes, or a net already loaded
            // for another slot: an empty member record.
            if (net > 0 && n.Nodes == 0) Fail(1360, 10);
            if (net > 0 && n.Nodes > 0 && !g_MemberNets.count(net)) {
                const int32_t name = g_NetNamePool.Add(n.Name);
                if (!name) return Fail(1350, 7);
                g_MemberNets.insert(net);
                r.flags = ((n.Flags & 2) ? kNetPower : 0) + kNetMember;
                r.name = name;
                r.kernelId = net;
                r.firstNode = g_Nodes.Count() + 1;
                const int32_t index = g_Nets.Append(r);
                const int32_t kept = LoadNodes(1360, net, n.Nodes, index, 5, 8);
                if (kept < 0) return 0;
                g_Nets[index].nodeCount = kept;
            } else {
                g_Nets.Append(r);
            }
            if (k == 0) g_Nets[b].firstNode = g_Nets.Count();
        }
    }
    return 1;
}

int32_t LoadNets()
{
    g_PairCount = 0;
    N_SetNodeView(0);
    const int32_t map = DB_NetMap();
    int32_t cursor = OM_GetFirst(map);
    int32_t loaded = 0;
    for (int32_t id; (id = OM_SearchMask(map, &cursor, 0, 0)) != 0;) {
        if (id < 0) continue;
        if (id >= kMaxNetId) return Fail(1300, 8);
        NetRec n{};
        if (N_ReadNet(id, &n) != 1) return Fail(1300, 2);
        if ((n.Flags & 8) || n.Nodes < 1 || g_MemberNets.count(id)) continue;
        if (g_Nets.Full()) return Fail(1300, 4);
        const int32_t name = g_NetNamePool.Add(n.Name);
        if (!name) return Fail(1300, 5);
        ScrNetRec r{};
        r.kernelId = id;
        r.name = name;
        r.firstNode = g_Nodes.Count() + 1;
        r.flags = (n.Flags & 2) ? kNetPower : 0;
        const int32_t index = g_Nets.Append(r);
        const int32_t kept = LoadNodes(1300, id, n.Nodes, index, 3, 6);
        if (kept < 0) return 0;
        if (kept == 0) {  // no node left: the net leaves the image, its name the pool
            g_Nets.rows.pop_back();
            g_NetNamePool.bytes.resize(static_cast<size_t>(name) - 1);
            continue;
        }
        g_Nets[index].nodeCount = kept;
        ++loaded;
        BuildNetPairs(index);
    }
    if (loaded == 0) return Fail(1300, 7);
    SortPairs();
    return 1;
}

void BuildNetPairs(int32_t net)
{
    const ScrNetRec& n = g_Nets[net];
    const int32_t first = n.firstNode, count = n.nodeCount;
    for (int32_t i = 0; i < count; ++i) g_Nodes[first + i].nextPair = g_Comps[g_Nodes[first + i].comp].page;
    constexpr int64_t kFar = 81280000;
    std::vector<int64_t> bestDist(static_cast<size_t>(count));
    std::vector<int32_t> bestFrom(static_cast<size_t>(count));
    for (int32_t pg = 1; pg <= g_Pages.Count(); ++pg) {
        const int32_t page = g_Pages[pg].pageId;
        int32_t start = -1;
        for (int32_t i = 0; i < count && start < 0; ++i)
            if (g_Nodes[first + i].nextPair == page) start = i;
        if (start < 0) continue;
        // Prim's tree by Manhattan distance; among equal distances the lower
        // reached node wins, then the lower unreached node.
        for (int32_t j = 0; j < count; ++j) bestDist[j] = kFar, bestFrom[j] = -1;
        auto reach = [&](int32_t i) {
            ScrNodeRec& a = g_Nodes[first + i];
            a.flags |= kNodeReached;
            for (int32_t j = 0; j < count; ++j) {
                const ScrNodeRec& b = g_Nodes[first + j];
                if ((b.flags & kNodeReached) || b.nextPair != page) continue;
                const int64_t d = std::llabs(static_cast<int64_t>(a.x) - b.x) + std::llabs(static_cast<int64_t>(a.y) - b.y);
                if (d < bestDist[j] || (d == bestDist[j] && bestFrom[j] >= 0 && i < bestFrom[j])) {
                    bestDist[j] = d;
                    bestFrom[j] = i;
                }
            }
        };
        reach(start);
        for (;;) {
            int32_t pick = -1;
            for (int32_t j = 0; j < count; ++j) {
                const ScrNodeRec& b = g_Nodes[first + j];
                if ((b.flags & kNodeReached) || b.nextPair != page || bestFrom[j] < 0) continue;
                if (pick < 0 || bestDist[j] < bestDist[pick] ||
                    (bestDist[j] == bestDist[pick] && bestFrom[j] < bestFrom[pick]))
                    pick = j;
            }
            if (pick < 0) break;
            g_Nodes[first + pick].partner = first + bestFrom[pick];
            ++g_PairCount;
            reach(pick);
        }
    }
}

bool ComparePairs(const ScrPairEntry& a, const ScrPairEntry& b)
{
    if (a.page != b.page) return a.page < b.page;
    const double la = std::sqrt(static_cast<double>(a.dx) * a.dx + static_cast<double>(a.dy) * a.dy);
    const double lb = std::sqrt(static_cast<double>(b.dx) * b.dx + static_cast<double>(b.dy) * b.dy);
    if (la != lb) return la < lb;
    if (a.minX != b.minX) return a.minX < b.minX;
    if (a.minY != b.minY) return a.minY < b.minY;
    // The node index last: equal pairs keep one order from run to run.
    return a.node < b.node;
}

int32_t SortPairs()
{
    std::vector<ScrPairEntry> pairs;
    pairs.reserve(static_cast<size_t>(g_PairCount) + 1);
    for (int32_t i = 1; i <= g_Nodes.Count(); ++i) {
        const ScrNodeRec& n = g_Nodes[i];
        if (!n.partner) continue;
        const ScrNodeRec& p = g_Nodes[n.partner];
        pairs.push_back(ScrPairEntry{i, std::abs(n.x - p.x), std::abs(n.y - p.y), std::min(n.x, p.x), std::min(n.y, p.y),
                                     n.nextPair});
    }
    std::sort(pairs.begin(), pairs.end(), ComparePairs);
    g_PairCount = static_cast<int32_t>(pairs.size());
    for (int32_t i = 1; i <= g_Nodes.Count(); ++i) g_Nodes[i].nextPair = 0;
    size_t i = 0;
    while (i < pairs.size()) {
        size_t j = i;
        while (j < pairs.size() && pairs[j].page == pairs[i].page) ++j;
        const int32_t pg = FindPageIndex(pairs[i].page);
        if (pg) {
            g_Pages[pg].firstPair = pairs[i].node;
            g_Pages[pg].pairCount = static_cast<int32_t>(j - i);
            for (size_t k = i; k < j; ++k) g_Nodes[pairs[k].node].nextPair = k + 1 < j ? pairs[k + 1].node : 0;
        }
        i = j;
    }
    return 1;
}

int32_t LoadPageFrames()
{
    for (int32_t pg = 1; pg <= g_Pages.Count(); ++pg) {
        const int32_t pageId = g_Pages[pg].pageId, frame = -100 - pageId;
        BranchRec br{};
        if (B_ReadBranch(frame, &br) != 1) {
            if (!B_Branch(frame)) continue;  // a page without a frame has none in the image
            return Fail(1110, 9);
        }
        const int32_t b = NewBranch();
        if (!b) return 0;
        g_Pages[pg].frameBranch = b;
        ScrBranchRec& r = g_Branches[b];
        r.flags = kBranchFrame, r.net = pg, r.page = pageId, r.group = 1;
        int32_t prev = 0;
        Box box{0, 0, 0, 0};
        for (int32_t k = 1; k <= br.Points; ++k) {
            BranchPointRec rec{};
            if (B_ReadRecord(frame, k, &rec) != 1) return Fail(1110, 10);
            const int32_t p = NewBPoint();
            if (!p) return 0;
            g_BPoints[p].flags = k == 1 ? 0 : (rec.Flags & ~4);
            g_BPoints[p].x = rec.X, g_BPoints[p].y = rec.Y, g_BPoints[p].branch = b, g_BPoints[p].prev = prev;
            if (prev)
                g_BPoints[prev].next = p;
            else
                g_Branches[b].firstPoint = p;
            prev = p;
            if (k == 1) box = Box{rec.X, rec.Y, rec.X, rec.Y};
            box = Box{std::min(box.minX, rec.X), std::min(box.minY, rec.Y), std::max(box.maxX, rec.X),
                      std::max(box.maxY, rec.Y)};
            if (!g_FormatBoxSet) g_FormatBox = Box{rec.X, rec.Y, rec.X, rec.Y}, g_FormatBoxSet = true;
            g_FormatBox = Box{std::min(g_FormatBox.minX, rec.X), std::min(g_FormatBox.minY, rec.Y),
                              std::max(g_FormatBox.maxX, rec.X), std::max(g_FormatBox.maxY, rec.Y)};
        }
        ScrPageRec& page = g_Pages[pg];
        page.frameMinX = box.minX, page.frameMinY = box.minY, page.frameMaxX = box.maxX, page.frameMaxY = box.maxY;
        CleanBranch(b);
    }
    return 1;
}

}  // namespace corvex
