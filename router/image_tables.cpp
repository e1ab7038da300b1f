// The tables of the page image and their memory: allocation, trimming and
// freeing, the branch and bend-point pools, and the small table walkers the
// rest of the router shares.
#include "router/image.h"

#include <cstring>
#include <limits>

namespace corvex {

Table<ScrCompRec> g_Comps;
IdMap g_CompMap;
Table<ScrCompTextRec> g_CompTexts;
TextPool g_CompTextPool;
Table<ScrEntryRec> g_Entries;
Table<ScrItemRec> g_Items;
TextPool g_ItemTextPool;
Table<ScrSymbRec> g_Symbs;
IdMap g_SymbMap;
Table<ScrNetRec> g_Nets;
int32_t g_BusCount = 0;
TextPool g_NetNamePool;
Table<ScrNodeRec> g_Nodes;
Table<ScrPageRec> g_Pages;
Pool<ScrBranchRec> g_Branches;
Pool<ScrBPointRec> g_BPoints;

int32_t g_ErrorCode = 0;
int32_t g_ErrorFunc = 0;
int32_t g_MemoryUsed = 0;
int32_t g_ScrCurPage = 0;
int32_t g_PairCount = 0;
Box g_FormatBox{0, 0, 0, 0};
bool g_FormatBoxSet = false;

int32_t Fail(int32_t func, int32_t code)
{
    g_ErrorFunc = func;
    g_ErrorCode = code;
    return 0;
}

void CountMemory(int64_t bytes)
{
    const int64_t v = static_cast<int64_t>(g_MemoryUsed) + bytes;
    g_MemoryUsed = static_cast<int32_t>(
        std::min<int64_t>(std::max<int64_t>(v, 0), std::numeric_limits<int32_t>::max()));
}

int32_t TextPool::Add(const char* text)
{
    const size_t length = text ? std::strlen(text) : 0;
    if (static_cast<int64_t>(Used()) + static_cast<int64_t>(length) + 1 >= capacity) return 0;
    const int32_t ref = Used() + 1;
    bytes.append(text ? text : "", length);
    bytes.push_back('\0');
    return ref;
}

const char* TextPool::At(int32_t ref) const
{
    if (ref <= 0 || ref > Used()) return "";
    return bytes.data() + ref - 1;
}

namespace {

template <class R>
constexpr int64_t RecordBytes()
{
    return static_cast<int64_t>(sizeof(R));
}

template <class R>
void AllocTable(Table<R>& t, int32_t capacity)
{
    t.rows.assign(1, R{});
    t.rows.reserve(static_cast<size_t>(capacity < 1024 ? capacity : 1024));
    t.capacity = capacity;
    t.present = true;
    CountMemory(RecordBytes<R>() * capacity);
}

// Links slots first..last into a free list of their own, which becomes the
// pool's free list.
template <class R>
void ChainFreeSlots(Pool<R>& pool, int32_t first, int32_t last)
{
    for (int32_t i = first; i <= last; ++i) pool.rows[i].next = i < last ? i + 1 : 0;
    pool.freeHead = first;
}

template <class R>
int32_t AllocFreeListPool(Pool<R>& pool, int32_t capacity)
{
    pool.rows.assign(static_cast<size_t>(capacity) + 1, R{});
    ChainFreeSlots(pool, 1, capacity);
    pool.capacity = capacity;
    pool.present = true;
    CountMemory(RecordBytes<R>() * (capacity + 1));
    return 1;
}

// Puts a slot in use back on the free list, cleared.
template <class R>
void ReleaseSlot(Pool<R>& pool, int32_t i)
{
    if (i <= 0 || i > pool.capacity) return;
    R& r = pool[i];
    if (!r.inUse) return;  // freed already: pushing it again would loop the free list
    r = R{};
    r.next = pool.freeHead;
    pool.freeHead = i;
}

void AllocPool(TextPool& p, int32_t capacity)
{
    p.bytes.clear();
    p.capacity = capacity;
    p.present = true;
    CountMemory(capacity);
}

template <class R>
void FreeTable(Table<R>& t)
{
    t.rows.clear();
    t.rows.shrink_to_fit();
    t.capacity = 0;
    t.present = false;
}

void FreeTextPool(TextPool& p)
{
    p.bytes.clear();
    p.bytes.shrink_to_fit();
    p.capacity = 0;
    p.present = false;
}

void FreeIdMap(IdMap& m)
{
    m.map.clear();
    m.present = false;
}

// A trim: capacity = count + 1, the memory counter follows.
template <class R>
int32_t TrimTable(Table<R>& t)
{
    if (!t.present) return Fail(1000, 3);
    const int32_t newCapacity = t.Count() + 1;
    CountMemory(RecordBytes<R>() * (static_cast<int64_t>(newCapacity) - t.capacity));
    t.capacity = newCapacity;
    t.rows.shrink_to_fit();
    return 1;
}

int32_t TrimTextPool(TextPool& p)
{
    if (!p.present) return Fail(1000, 3);
    const int32_t newCapacity = p.Used() + 1;
    CountMemory(static_cast<int64_t>(newCapacity) - p.capacity);
    p.capacity = newCapacity;
    p.bytes.shrink_to_fit();
    return 1;
}

}  // namespace

int32_t AllocateFullMemoryForComponents()
{
    AllocTable(g_Comps, kCompCapacity);
    g_CompMap.map.clear();
    g_CompMap.present = true;
    CountMemory(4 * kMaxCompId);
    AllocTable(g_CompTexts, kBigCapacity);
    AllocPool(g_CompTextPool, kPoolBytes);
    AllocTable(g_Entries, kBigCapacity);
    AllocTable(g_Items, kBigCapacity);
    AllocPool(g_ItemTextPool, kPoolBytes);
    AllocTable(g_Symbs, kSymbCapacity);
    g_SymbMap.map.clear();
    g_SymbMap.present = true;
    CountMemory(4 * kMaxSymbId);
    return 1;
}

int32_t AllocNets()
{
    AllocTable(g_Nets, kBigCapacity);
    g_BusCount = 0;
    AllocPool(g_NetNamePool, kPoolBytes);
    return 1;
}

int32_t AllocNodes()
{
    AllocTable(g_Nodes, kBigCapacity);
    return 1;
}

int32_t AllocPages()
{
    AllocTable(g_Pages, kPageCapacity);
    return 1;
}

int32_t TrimComps() { return TrimTable(g_Comps); }
int32_t TrimSymbs()
{
    if (g_SymbMap.present) CountMemory(-4 * kMaxSymbId);
    FreeIdMap(g_SymbMap);
    return TrimTable(g_Symbs);
}
int32_t TrimEntries() { return TrimTable(g_Entries); }
int32_t TrimItems() { return TrimTable(g_Items); }
int32_t TrimItemPool() { return TrimTextPool(g_ItemTextPool); }
int32_t TrimCompTexts() { return TrimTable(g_CompTexts) && TrimTextPool(g_CompTextPool); }
int32_t TrimNets() { return TrimTable(g_Nets) && TrimTextPool(g_NetNamePool); }
int32_t TrimNodes() { return TrimTable(g_Nodes); }
int32_t TrimPages()
{
    if (!TrimTable(g_Pages)) return Fail(1520, 3);
    return 1;
}

int32_t TrimImageTables()
{
    return TrimComps() && TrimSymbs() && TrimEntries() && TrimItems() && TrimItemPool() && TrimCompTexts();
}

void FreeCompMap()
{
    if (g_CompMap.present) CountMemory(-4 * kMaxCompId);
    FreeIdMap(g_CompMap);
}

void FreeAllMemory()
{
    FreeTable(g_Comps);
    FreeIdMap(g_CompMap);
    FreeTable(g_CompTexts);
    FreeTextPool(g_CompTextPool);
    FreeTable(g_Entries);
    FreeTable(g_Items);
    FreeTextPool(g_ItemTextPool);
    FreeTable(g_Nets);
    g_BusCount = 0;
    FreeTextPool(g_NetNamePool);
    FreeTable(g_Nodes);
    FreeTable(g_Pages);
    FreeTable(g_Symbs);
    FreeIdMap(g_SymbMap);
    g_BPoints = Pool<ScrBPointRec>{};
    g_Branches = Pool<ScrBranchRec>{};
    g_KeptBranches.clear();
    FreeFieldTables();
    FreeRouterState();
}

// ---- branch pool --------------------------------------------------------------

int32_t AllocBranches() { return AllocFreeListPool(g_Branches, kBranchCapacity); }

int32_t NewBranch()
{
    if (!g_Branches.present) return Fail(1720, 1);
    const int32_t b = g_Branches.freeHead;
    if (b == 0) return Fail(1730, 3);
    ScrBranchRec& r = g_Branches[b];
    g_Branches.freeHead = r.next;
    // A new branch starts clean: nothing of its last use survives.
    r = ScrBranchRec{};
    r.inUse = 1;
    return b;
}

void FreeBranch(int32_t b) { ReleaseSlot(g_Branches, b); }

// ---- bend-point pool ------------------------------------------------------------

int32_t AllocBPoints() { return AllocFreeListPool(g_BPoints, kBPointStep); }

int32_t TakeFreeBPoint()
{
    if (!g_BPoints.present) return Fail(1600, 1);
    if (g_BPoints.freeHead == 0) {
        const int32_t old = g_BPoints.capacity;
        if (std::numeric_limits<int32_t>::max() - old < kBPointStep) return Fail(1610, 4);
        g_BPoints.rows.resize(static_cast<size_t>(old) + kBPointStep + 1, ScrBPointRec{});
        ChainFreeSlots(g_BPoints, old + 1, old + kBPointStep);
        g_BPoints.capacity = old + kBPointStep;
        CountMemory(RecordBytes<ScrBPointRec>() * kBPointStep);
    }
    const int32_t p = g_BPoints.freeHead;
    g_BPoints.freeHead = g_BPoints[p].next;
    g_BPoints[p].next = 0;
    g_BPoints[p].inUse = 1;
    return p;
}

int32_t NewBPoint()
{
    const int32_t p = TakeFreeBPoint();
    if (p) {
        g_BPoints[p] = ScrBPointRec{};
        g_BPoints[p].inUse = 1;
    }
    return p;
}

void FreeBPoint(int32_t p) { ReleaseSlot(g_BPoints, p); }

int32_t NextBPoint(int32_t p) { return p > 0 ? g_BPoints[p].next : 0; }
int32_t PrevBPoint(int32_t p) { return p > 0 ? g_BPoints[p].prev : 0; }

void UnlinkBPoint(int32_t p)
{
    if (p <= 0) return;
    const ScrBPointRec r = g_BPoints[p];
    if (r.prev == 0) {
        if (r.branch > 0) g_Branches[r.branch].firstPoint = r.next;
    } else {
        g_BPoints[r.prev].next = r.next;
    }
    if (r.next) g_BPoints[r.next].prev = r.prev;
    FreeBPoint(p);
}

void DeleteBranchPoints(int32_t b)
{
    if (b <= 0) return;
    int32_t p = g_Branches[b].firstPoint;
    while (p) {
        const int32_t next = g_BPoints[p].next;
        FreeBPoint(p);
        p = next;
    }
    FreeBranch(b);
}

void RemoveBranchFromChain(int32_t net, int32_t b)
{
    if (net <= 0 || net > g_Nets.Count() || b <= 0) return;
    int32_t prev = 0;
    for (int32_t x = g_Nets[net].firstBranch; x; prev = x, x = g_Branches[x].next) {
        if (x != b) continue;
        if (prev)
            g_Branches[prev].next = g_Branches[b].next;
        else
            g_Nets[net].firstBranch = g_Branches[b].next;
        DeleteBranchPoints(b);
        return;
    }
}

void DeleteBranchFromNet(int32_t b)
{
    if (b <= 0 || g_Branches[b].page != g_ScrCurPage) return;
    const int32_t net = g_Branches[b].net;
    if (net <= 0 || net > g_Nets.Count() || g_Nets[net].firstBranch == 0) return;
    RemoveBranchFromChain(net, b);
}

void ReplaceNodeGroup(int32_t net, int32_t newGroup, int32_t oldGroup)
{
    if (net <= 0 || net > g_Nets.Count()) return;
    const ScrNetRec& n = g_Nets[net];
    if (!(n.flags & kNetBus))
        for (int32_t i = 0; i < n.nodeCount; ++i) {
            ScrNodeRec& node = g_Nodes[n.firstNode + i];
            if (node.group == oldGroup) node.group = newGroup;
        }
    for (int32_t b = n.firstBranch; b; b = g_Branches[b].next)
        if (g_Branches[b].group == oldGroup) g_Branches[b].group = newGroup;
}

int32_t FindPageIndex(int32_t pageId)
{
    for (int32_t i = 1; i <= g_Pages.Count(); ++i)
        if (g_Pages[i].pageId == pageId) return i;
    return 0;
}

int32_t BranchPointCount(int32_t b)
{
    int32_t n = 0;
    for (int32_t p = b > 0 ? g_Branches[b].firstPoint : 0; p; p = g_BPoints[p].next) ++n;
    return n;
}

int32_t LastBPoint(int32_t b)
{
    int32_t p = b > 0 ? g_Branches[b].firstPoint : 0;
    while (p && g_BPoints[p].next) p = g_BPoints[p].next;
    return p;
}

}  // namespace corvex
