// The router's page image: the tables Corvex loads from the kernel, the two
// pools of wires (branches) and their bend points, the failure state and the
// memory counter.
//
// Every record is addressed by its index from 1; slot 0 of a table stands for
// its header (capacity and count are kept beside the rows). A table takes a
// new record only while count + 1 < capacity. The bend-point pool may move in
// memory when it grows, so callers keep indices, never references, across a
// call that takes a bend point.
#pragma once

#include <cstdint>
#include <new>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace corvex {

// ---- records ----------------------------------------------------------------

struct ScrCompRec {
    int32_t kernelId, x, y, angle, attr, symb, firstText, page;
};
struct ScrSymbRec {
    int32_t entryCount, firstEntry, itemCount, firstItem, bodyMinX, bodyMinY, bodyMaxX, bodyMaxY;
};
struct ScrEntryRec {
    int32_t x, y;
};
// Geometry Longs 3..11 by kind: see LoadSymbolItems.
struct ScrItemRec {
    int32_t kind, next;
    int32_t g[9];
};
struct ScrCompTextRec {
    int32_t x, y, angle, height, width, text, next, kind;
};
struct ScrNetRec {
    int32_t flags, name, nodeCount, firstNode, firstBranch, kernelId, bus;
};
struct ScrNodeRec {
    int32_t flags, comp, net, x, y, group, partner, nextPair;
};
// Long 7 is the kernel branch a kept wire stands for; Long 8 marks a record
// in use (a free record has 0), so freeing one twice is caught.
struct ScrBranchRec {
    int32_t flags, firstPoint, net, page, group, next, kernelId, inUse;
};
struct ScrBPointRec {
    int32_t flags, x, y, branch, prev, next, reserved, inUse;
};
struct ScrPageRec {
    int32_t pageId, firstPair, frameBranch, pairCount, frameMinX, frameMinY, frameMaxX, frameMaxY;
};

// Net flags.
constexpr int32_t kNetPower = 1, kNetMember = 4, kNetBus = 8;
// Node flags: reached by the pair tree, exit directions, pin inside the body.
constexpr int32_t kNodeReached = 1, kExitPosX = 16, kExitPosY = 32, kExitNegX = 64, kExitNegY = 128,
                  kExitAll = 240, kNodeInside = 256;
// Branch flags: bus wire, page frame, a kernel wire the preload could not
// take (a single point, a net the image does not hold): kept as it is.
constexpr int32_t kBranchBus = 2, kBranchFrame = 5, kBranchKept = 16;
// Bend-point flags.
constexpr int32_t kPointPlain = 1, kPointNode = 2, kPointJunction = 4, kPointBusJunction = 8;

// ---- tables -----------------------------------------------------------------

// A table of records with its header: capacity (slots including slot 0) and
// count (records 1..count in use).
template <class R>
struct Table {
    std::vector<R> rows;  // rows[0] is the header slot
    int32_t capacity = 0;
    bool present = false;

    int32_t Count() const { return present ? static_cast<int32_t>(rows.size()) - 1 : 0; }
    bool Full() const { return Count() + 1 >= capacity; }
    int32_t Append(const R& r)
    {
        rows.push_back(r);
        return Count();
    }
    R& operator[](int32_t i) { return rows.at(static_cast<size_t>(i)); }
    const R& operator[](int32_t i) const { return rows.at(static_cast<size_t>(i)); }
};

// A pool of NUL-terminated strings appended one after the other. A string is
// referred to by its offset + 1 (0 = none), which a trim keeps valid.
struct TextPool {
    std::string bytes;
    int32_t capacity = 0;
    bool present = false;

    int32_t Used() const { return static_cast<int32_t>(bytes.size()); }
    // Appends the text; 0 when it does not fit (used + length + 1 >= capacity).
    int32_t Add(const char* text);
    const char* At(int32_t ref) const;
};

// A pool of records with a free list through `next` (branches, bend points).
template <class R>
struct Pool {
    std::vector<R> rows;  // rows[0] is the header slot
    int32_t capacity = 0;
    int32_t freeHead = 0;
    bool present = false;
    R& operator[](int32_t i) { return rows.at(static_cast<size_t>(i)); }
    const R& operator[](int32_t i) const { return rows.at(static_cast<size_t>(i)); }
};

// A hash map from kernel id to image index with the documented id limit.
struct IdMap {
    std::unordered_map<int32_t, int32_t> map;
    bool present = false;
    int32_t Find(int32_t id) const
    {
        auto it = map.find(id);
        return it == map.end() ? 0 : it->second;
    }
};

// ---- limits -------------------------------------------------------------------

constexpr int32_t kCompCapacity = 16000, kSymbCapacity = 16000, kBigCapacity = 64000, kPoolBytes = 64000,
                  kPageCapacity = 99, kBranchCapacity = 64000, kBPointStep = 1000, kMaxCompId = 16000,
                  kMaxSymbId = 16000, kMaxNetId = 64000, kMaxBusId = 4000, kMaxPageId = 99, kMaxBranchId = 16000;

// ---- module state -----------------------------------------------------------

extern Table<ScrCompRec> g_Comps;
extern IdMap g_CompMap;
extern Table<ScrCompTextRec> g_CompTexts;
extern TextPool g_CompTextPool;
extern Table<ScrEntryRec> g_Entries;
extern Table<ScrItemRec> g_Items;
extern TextPool g_ItemTextPool;
extern Table<ScrSymbRec> g_Symbs;
extern IdMap g_SymbMap;
extern Table<ScrNetRec> g_Nets;
extern int32_t g_BusCount;
extern TextPool g_NetNamePool;
extern Table<ScrNodeRec> g_Nodes;
extern Table<ScrPageRec> g_Pages;
extern Pool<ScrBranchRec> g_Branches;
extern Pool<ScrBPointRec> g_BPoints;

extern int32_t g_ErrorCode;
extern int32_t g_ErrorFunc;
extern int32_t g_MemoryUsed;
extern int32_t g_ScrCurPage;
extern int32_t g_PairCount;
struct Box {
    int32_t minX, minY, maxX, maxY;
};
extern Box g_FormatBox;
extern bool g_FormatBoxSet;

// Settings (image_settings.cpp).
extern int32_t g_PreloadBits;
extern int32_t g_StepSize;
extern int32_t g_ScrScale;
extern int32_t g_ViewStatus;
extern int32_t g_CatColors[16];

// ---- failure state ------------------------------------------------------------

// Records the failing routine and cause; returns 0 for `return Fail(...)`.
int32_t Fail(int32_t func, int32_t code);
// Adds (or, negative, subtracts) bytes to the memory counter, saturating.
void CountMemory(int64_t bytes);

// Runs the body of an export: what it throws becomes a failure of `func`
// with code 1 (memory) or 99 (anything else) and the given result.
template <class R, class F>
R Guarded(int32_t func, R failed, F&& body) noexcept
{
    try {
        return body();
    } catch (const std::bad_alloc&) {
        Fail(func, 1);
    } catch (...) {
        Fail(func, 99);
    }
    return failed;
}

// ---- tables and pools (image_tables.cpp) --------------------------------------

int32_t AllocateFullMemoryForComponents();
int32_t AllocNets();
int32_t AllocNodes();
int32_t AllocPages();
int32_t TrimComps();
int32_t TrimSymbs();
int32_t TrimEntries();
int32_t TrimItems();
int32_t TrimItemPool();
int32_t TrimCompTexts();
int32_t TrimNets();
int32_t TrimNodes();
int32_t TrimPages();
int32_t TrimImageTables();
void FreeCompMap();
void FreeAllMemory();

int32_t AllocBranches();
int32_t NewBranch();
void FreeBranch(int32_t b);
int32_t AllocBPoints();
int32_t TakeFreeBPoint();
int32_t NewBPoint();
void FreeBPoint(int32_t p);
int32_t NextBPoint(int32_t p);
int32_t PrevBPoint(int32_t p);
void UnlinkBPoint(int32_t p);
void DeleteBranchPoints(int32_t b);
void DeleteBranchFromNet(int32_t b);
// Unlinks b from its net's chain (wherever it lies) and frees it with its
// points; a branch not in the chain is left alone.
void RemoveBranchFromChain(int32_t net, int32_t b);
void ReplaceNodeGroup(int32_t net, int32_t newGroup, int32_t oldGroup);
int32_t FindPageIndex(int32_t pageId);
// Number of points of a branch.
int32_t BranchPointCount(int32_t b);
int32_t LastBPoint(int32_t b);

// ---- geometry (branch_geometry.cpp) -------------------------------------------

struct Seg {
    int32_t x1, y1, x2, y2;
};
void RotatePoint(int32_t& x, int32_t& y, int32_t angle, int32_t mirror);
int32_t KernelAngleToDegrees(int32_t angle);
int32_t SegmentDirection(const Seg& s);
int32_t SegmentOverlap(const Seg& s1, Seg& s2);
int32_t SegmentsContinue(const Seg& s1, const Seg& s2, int32_t direction);
int32_t SegmentOnBranch(int32_t branch, Seg s);
int32_t StubTurnsAway(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t x2, int32_t y2);
void TransformToDirection(int32_t& x, int32_t& y, int32_t x0, int32_t y0, int32_t direction);
// Orders a segment's ends so that x1 <= x2 and y1 <= y2 (inline: the
// obstacle tests call it for every segment they look at).
inline void NormaliseSeg(Seg& s)
{
    if (s.x1 > s.x2) std::swap(s.x1, s.x2);
    if (s.y1 > s.y2) std::swap(s.y1, s.y2);
}
// The segment from point p to point q.
inline Seg SegOf(int32_t p, int32_t q)
{
    const ScrBPointRec &a = g_BPoints[p], &b = g_BPoints[q];
    return Seg{a.x, a.y, b.x, b.y};
}
void CleanBranch(int32_t branch);

// ---- branch clean-up (branch_cleanup.cpp) -------------------------------------

int32_t FindFoldPoint(int32_t point);
void SetPointsBranch(int32_t branch);
void FreePointRun(int32_t from, int32_t to);
int32_t SplitBranchAtOverlaps(int32_t branch);
int32_t JoinNetBranches(int32_t net);

// ---- loading (image_load.cpp, image_nets.cpp) -----------------------------------

int32_t SCR_LoadPagesImpl();
int32_t LoadSymbol(int32_t symbId);
void ArcExtent(Box& box, int32_t cx, int32_t cy, int32_t r, int32_t start, int32_t end);
void BoxExtent(Box& box, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t angle);
void RotateBox(int32_t corners[8], int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t angle);
int32_t LoadBuses();
int32_t LoadBusMembers();
int32_t LoadNets();
void SetNodeGeometry(int32_t node, int32_t entryNumber);
int32_t RotateExitBits(int32_t bits, int32_t angle);
void BuildNetPairs(int32_t net);
struct ScrPairEntry {
    int32_t node, dx, dy, minX, minY, page;
};
bool ComparePairs(const ScrPairEntry& a, const ScrPairEntry& b);
int32_t SortPairs();
int32_t LoadPageFrames();

// ---- field grid (field_grid.cpp) ------------------------------------------------

struct ScrFieldCell {
    int32_t firstWire, firstComp;
};
struct ScrLinkRec {
    int32_t value, next;
};
struct LinkPool {
    std::vector<ScrLinkRec> rows;  // rows[0]: header {capacity, free head}
    int32_t capacity = 0;
    int32_t freeHead = 0;
    int32_t used = 0;  // links taken from the free list
    bool present = false;
};
struct FieldGrid {
    int32_t cellSize = 0;
    int32_t originX = 0, originY = 0, rightBound = 0, topBound = 0;
    int32_t columns = 0, rows = 0, cellCount = 0;
};
extern FieldGrid g_FieldGrid;
extern std::vector<ScrFieldCell> g_Cells;
extern bool g_CellsPresent;
extern LinkPool g_WireLinks;
extern LinkPool g_CompLinks;

void SetFieldGeometry();
int32_t AllocFieldTables();
void FreeFieldTables();
int32_t FieldAddSegment(int32_t branch, Seg& box);
void FieldRemoveSegment(int32_t branch, Seg& box);
int32_t FieldAddBranch(int32_t branch);
int32_t FieldRemoveBranch(int32_t branch);
int32_t FieldAddNet(int32_t net);
void FieldRemoveNet(int32_t net);
int32_t FieldAddAllBranches();
int32_t FieldAddComp(int32_t comp, Seg box);
void PlaceCompOutline(int32_t comp, Seg& box);
int32_t CellAddWire(int32_t cell, int32_t branch);
int32_t CellAddComp(int32_t cell, int32_t comp);
void CellRemoveWire(int32_t cell, int32_t branch);
int32_t GrowWireLinks();
// The wire links that can still be taken before the pool is at its limit.
int32_t FreeWireLinks();
// The number of distinct field cells the normalised boxes cover: an upper
// bound of the links one branch made of those segments takes.
int32_t CellsOfBoxes(const std::vector<Seg>& boxes);
int32_t TrimCompLinks();
// Calls f(cell) for every cell a normalised box covers.
template <class F>
int32_t ForEachCellOfBox(const Seg& box, F&& f);

// ---- preload (preload.cpp, preload_junctions.cpp) --------------------------------

extern int32_t g_BusJunctionMode;
// Kernel wires the preload could not take although no filter left them out
// (a single point, a net the image does not hold; Long 7 their kernel id):
// left in the design as they are. A wire the filter leaves out is not in
// the image and the write-back removes it.
extern std::vector<int32_t> g_KeptBranches;
int32_t PreloadBranches();
int32_t NodeGroupAt(int32_t x, int32_t y, int32_t net);
void InsertBranchInNet(int32_t net, int32_t branch);
int32_t InsertJunctionPoint(int32_t d, int32_t x, int32_t y, int32_t start, int32_t end);
int32_t CheckKernelBranch(int32_t kernelBranch, int32_t records);
void FilterPreloadedBranches(int32_t net);
void DropEmptyBranches(int32_t net);
void MarkBranchPoints(int32_t firstBranch);
int32_t JoinNetJunctions(int32_t net);
// The junctions of one wire with every other wire of its net on its page
// (the net's other wires already joined with one another).
int32_t JoinBranchWithNet(int32_t b);
int32_t JoinBusJunctions(int32_t bus);
int32_t JoinBranchJunctions(int32_t b);

// ---- write-back (writeback*.cpp) -----------------------------------------------

// Router hooks: the load marks a complete image; freeing the image also
// drops the router's buffers and block marks (route_calls.cpp).
extern bool g_ImageComplete;
void FreeRouterState();

int32_t FindCompEntryAt(int32_t x, int32_t y, int32_t comp, int32_t* kernelNet);
int32_t FindNodeEntryAt(int32_t x, int32_t y, int32_t page, int32_t net);

}  // namespace corvex

// ---- template definitions --------------------------------------------------------

namespace corvex {

template <class F>
int32_t ForEachCellOfBox(const Seg& box, F&& f)
{
    const FieldGrid& g = g_FieldGrid;
    if (g.cellSize <= 0 || g.columns <= 0) return 1;
    // Signed 64-bit cell coordinates, clamped to the grid: a box reaching
    // left of or below the origin covers only the cells inside the grid.
    auto cell = [&](int64_t v, int64_t origin) { return (v - origin) / g.cellSize - ((v - origin) < 0 ? 1 : 0); };
    int64_t c1 = cell(box.x1, g.originX), c2 = cell(box.x2, g.originX);
    int64_t r1 = cell(box.y1, g.originY), r2 = cell(box.y2, g.originY);
    if (c2 < 0 || r2 < 0 || c1 >= g.columns || r1 >= g.rows) return 1;
    if (c1 < 0) c1 = 0;
    if (r1 < 0) r1 = 0;
    if (c2 >= g.columns) c2 = g.columns - 1;
    if (r2 >= g.rows) r2 = g.rows - 1;
    for (int64_t r = r1; r <= r2; ++r)
        for (int64_t c = c1; c <= c2; ++c)
            if (!f(static_cast<int32_t>(r * g.columns + c))) return 0;
    return 1;
}

}  // namespace corvex
