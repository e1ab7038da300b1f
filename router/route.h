// The router proper: routing runs, the pair search by escape lines, the
// obstacle tests, path building, drawing, deletion and hit tests over the
// page image of image.h.
#pragma once

#include "platform/kernel/nvokernel32_functions.h"
#include "router/image.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace corvex {

// ---- tuning (database units) ----------------------------------------------------

// The router's distances, all in database units (2,540,000 per inch). The
// pair-length bands pick the margin added around component bodies while the
// escape lines grow: short pairs get none, longer pairs more room. The probe
// reach limits how far ahead an escape line looks for a body. The list
// capacities bound the work of one question.
struct RouteTuning {
    int32_t probeReach = 40640000;  // 16 in
    int32_t shortPair = 2540000;    // 1 in: up to this length no margin
    int32_t midPair = 3810000;      // 1.5 in
    int32_t longPair = 5080000;     // 2 in
    int32_t marginMid = 127000;     // 0.05 in for pairs up to midPair
    int32_t marginLong = 190500;    // 0.075 in up to longPair
    int32_t marginFar = 254000;     // 0.1 in beyond
    int32_t obstacleCapacity = 2000;
    int32_t testedCapacity = 1000;
    int32_t pointPoolCapacity = 500;
    int32_t meetingCapacity = 200;
    // Levels of escape lines grown for one pair, and the meetings tried for
    // it (every meeting both lists can hold): the lines are the router's
    // search, the grid search only takes the pairs they leave.
    int32_t levelLimit = 4;
    int32_t meetingTryLimit = 400;
    // A stopped line also turns both ways along what stopped it.
    bool turnLines = true;
    // The grid fallback for pairs the escape lines leave unrouted: a window
    // around the pair, widened by `gridMarginSteps` steps (or a quarter of
    // the pair's extent), then by `gridWideSteps` (or one and a half times
    // the extent); at most `gridExpansionLimit` states taken per window,
    // after a search of `gridProbeLimit` states from the end pin;
    // the list capacities while a window's objects are collected.
    bool gridFallback = true;
    int32_t gridMarginSteps = 10;
    int32_t gridWideSteps = 60;
    int32_t gridExpansionLimit = 400000;
    int32_t gridProbeLimit = 3000;
    // The guided search's wave from the targets stops this many steps
    // beyond the first start point it meets.
    int32_t gridWaveSlack = 10;
    // Before the wave, the start's room is flooded up to this many points:
    // a start shut in settles the pair (0: no flood).
    int32_t gridStartFlood = 2000;
    // When the short search from the end walks its whole room to the first
    // window's edge, the start's room is flooded there up to this many
    // points before the wider window (0: no flood).
    int32_t gridEdgeFlood = 512;
    // The estimate's weight in halves: 2 is plain A* (least cost ways).
    int32_t gridGreed = 2;
    // What a bend costs the grid search, in steps of length.
    int32_t gridBendCost = 4;
    int32_t gridObstacleCapacity = 1000000;
    // The windows' marks kept for the whole page and brought up to date per
    // pair (off: each window's objects collected and marked for every pair).
    bool gridPageMarks = true;
    // Memory bounds of the grid search, in grid points: the page-wide marks
    // only for a page of at most `gridPagePoints` points on the step (about
    // 56 bytes a point with the search's arrays), and a window collected on
    // its own grid of at most `gridWindowPoints` (about 44 bytes a point):
    // a wider window is narrowed around the pair, and a pair whose own box
    // exceeds it gets no grid search. A fine step on a large page so costs
    // a window, never the page's area over the step squared.
    int32_t gridPagePoints = 1 << 20;
    int32_t gridWindowPoints = 1 << 19;
    // ... built once the windows collected one by one in a run hold this
    // percentage of the page's grid points (0: from the first window).
    int32_t gridPagePercent = 100;
};
extern RouteTuning g_Tuning;

// ---- routing state ----------------------------------------------------------------

extern int32_t g_RouteCursor;
extern int32_t g_RoutePairTotal;
extern int32_t g_RoutePairsDone;
extern int32_t g_RouteBlock[4];
extern char g_RouteCompName[52];
extern int32_t g_Clearance;
extern int32_t g_RouteNet;
extern int32_t g_ExemptComp[2];
extern bool g_BuffersAllocated;
// Set by a load that completed; cleared when the image is freed or a load
// starts. The redraw draws only a complete image.
extern bool g_ImageComplete;

// Pins of the current page joined by wires. Per net: its pins on the page
// less the pieces they form there (pins share a piece through the wires,
// nodes and junctions of one group, as the write-back writes them); needed:
// its pins there less one. A pin too far from the others to get a pair
// still counts. `net` 0 sums every net of the page.
struct PinJoins {
    int64_t made = 0, needed = 0;
};
PinJoins PagePinJoins(int32_t net = 0);
// The share of joins made as the routing texts show it, "93.55" (two
// decimals, cut, never rounded up: 100.00 only when every pin is joined).
std::string JoinsPercent(const PinJoins& joins);

int32_t MR_AllocProjectBuffers();
void MR_FreeProjectBuffers();
// Clears the failure state (every routing export and every pair start
// clean, so a stale failure never decides the next result).
void ClearFailure();

// ---- obstacles ----------------------------------------------------------------------

constexpr int32_t kObstBody = 1, kObstWire = 2, kObstMerged = 8;

struct Obstacle {
    int32_t kind, object, branch, x1, y1, x2, y2;
};

// A bounded list: Add fails with (3, 1920) when it is full.
struct ObstacleList {
    std::vector<Obstacle> rows;
    int32_t Add(const Obstacle& o);
    void Clear() { rows.clear(); }
};

// Marks on ids from 0, all taken off at once: per id the round it was
// last marked in, so that neither a look-up nor a clear walks a list.
struct IdMarks {
    std::vector<uint32_t> round;
    uint32_t current = 1;
    bool Has(int32_t id) const { return id >= 0 && size_t(id) < round.size() && round[size_t(id)] == current; }
    // Marks an id (from 0); false when it was marked already.
    bool Mark(int32_t id)
    {
        const size_t at = static_cast<size_t>(id);
        if (at >= round.size()) round.resize(at + 1, 0);
        if (round[at] == current) return false;
        round[at] = current;
        return true;
    }
    void Clear()
    {
        if (++current == 0) std::fill(round.begin(), round.end(), 0), current = 1;
    }
};

// Ids collected for the current question, so none is collected twice.
struct TestedList {
    std::vector<int32_t> ids;
    int32_t capacity = 1000;
    // 1 = new, 0 = already there, -1 = full (error 2, 1910 set).
    int32_t Add(int32_t id);
    // Whether an id (from 0) was added since the last Clear.
    bool Has(int32_t id) const { return marks.Has(id); }
    void Clear()
    {
        ids.clear();
        marks.Clear();
    }
    IdMarks marks;
};

extern TestedList g_TestedComps, g_TestedWires;

// The body of a component widened on every side by `margin`.
Seg CompBody(int32_t comp, int32_t margin);
bool IsExempt(int32_t comp);
// A wire branch that the routed net may touch and run along.
bool IsOwnWire(int32_t branch);

// While one lives, the obstacle tests keep each wire's segments once read:
// for the span of one pair's search, in which no wire changes.
struct WireSegScope {
    WireSegScope();
    ~WireSegScope();
    WireSegScope(const WireSegScope&) = delete;
    WireSegScope& operator=(const WireSegScope&) = delete;
};

int32_t MR_TestCellComps(int32_t cell, const Seg& rect, ObstacleList& list);
int32_t MR_TestCellWires(int32_t cell, const Seg& rect, ObstacleList& list);
int32_t MR_TestRectComps(ObstacleList& list, Seg rect, bool keep);
int32_t MR_TestRectWires(ObstacleList& list, Seg rect, bool keep);

// Forward probe from (x, y) in direction 0/2/4/6: 1 and the stop point one
// unit before the nearest keep-out box ahead within the probe reach, 0 for a
// ray. Keep-out boxes: the bodies widened by `g_Clearance`, and for a
// foreign wire (not of the routed net) a box a step less one unit around a
// segment that runs along the line within a step, or around an end of a
// segment across it that lies within a step of the line. `hitBox` is the
// box met, `hitKind` kObstBody or kObstWire.
int32_t ProbeForward(int32_t x, int32_t y, int32_t dir, int32_t& stopX, int32_t& stopY, Seg& hitBox,
                     int32_t* hitKind = nullptr);
// Grows a body rectangle into the cluster of bodies touching it; 0 on failure.
// A cluster known from an earlier question is taken again where it can be.
int32_t CollectCluster(Seg& cluster);
// Drops the known clusters (the image they came from is freed).
void ForgetClusters();

// Clearance of a segment: 1 when no body comes within half a step and no
// foreign wire runs parallel within a step, touches it or ends on it.
// `exemptA`/`exemptB`: components whose bodies do not count (pins' own).
bool SegmentFree(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t exemptA, int32_t exemptB, int32_t* crossings = nullptr);
// The same test against the listed obstacles only.
bool SegmentFreeIn(const ObstacleList& list, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t exemptA,
                   int32_t exemptB, int32_t* crossings = nullptr);

// ---- paths ------------------------------------------------------------------------------

constexpr int32_t kPathFree = 1, kPathFixed = 2, kPathJunction = 4;

struct PathPt {
    int32_t x, y, flags;
};
using Path = std::vector<PathPt>;

void MR_StraightenPath(Path& path);
void MR_UnlinkPathPoint(Path& path, size_t kept, size_t removed);
void CutPathLoops(Path& path);
int32_t MR_SimplifyPath(Path& path);
// Nudges blocked segments sideways; accepted 0 when one cannot be placed.
int32_t MR_BuildBranchWay(Path& path, int32_t& accepted);
// The pins of the pair being routed: a segment that touches a pin point
// may cross that pin's own body.
struct PinEnd {
    int32_t x, y, comp, exits;
};
extern PinEnd g_PinEnds[2];
bool PathSegmentFree(const PathPt& a, const PathPt& b, int32_t* crossings = nullptr);
// Every segment of the path is free (and axis-parallel).
bool PathFree(const Path& path);
int32_t PathDirection(const PathPt& a, const PathPt& b);

// Makes a branch of the routed net from the path, ties it into the image
// (groups, merge, junctions, field grid). Result the branch, 0 on failure;
// failure 2300/2 (nothing changed) when the wire-link pool could not hold it.
int32_t InsertPathBranch(const Path& path, int32_t node);
// Whether the wire-link pool holds a branch of the path's segments beside
// what it holds now (one link per cell the path covers).
bool PathLinksFit(const Path& path);
// Reduces the U-turns of a routed branch (its wire is taken out of the
// field grid and entered again).
int32_t MR_CleanPathAtComps(int32_t branch, int32_t node);
// The U-turn reduction on a path: a middle no longer than a step moves to
// the end of the shorter leg; a longer one shifts toward the open side.
// `precedence` (2: first end's body smaller, 0: equal, 1: larger) picks the
// leg on a tie. True when the path changed.
bool ReduceUTurns(Path& path, int32_t precedence);
// Groups of the pair's start and end node while it is routed.
extern int32_t g_PairGroups[2];
// Lets the path begin on a wire of the start node's group (the place
// farthest along wins) and end on a wire of the end node's group (the first
// place wins); a moved end becomes a junction point. True when an end moved.
bool MR_ShortcutPath(Path& path);

// ---- the pair search -------------------------------------------------------------------

int32_t MR_RouteOnePair(int32_t node, int32_t& connected);
int32_t MR_SearchPair(int32_t node, Path& path, int32_t& connected);
// The grid fallback (router/route_grid.cpp): a path from the pair's start
// pin (or a wire of its group) to its end pin (or a wire of that group) by
// A* with a bend cost on the routing grid, in a window around the pair. A
// pin off the grid reaches it by a short stub to a free grid point, checked
// as every segment is. 1 with a path that PathFree accepts, 0 when none was
// found.
int32_t MR_GridSearchPair(int32_t node, Path& path);
void FreeGridSearch();
// The exit point of a pin on a body: 1 with the point, 0 when no side is free.
int32_t PinExitPoint(int32_t node, int32_t otherX, int32_t otherY, int32_t& ex, int32_t& ey);
bool IsFreePin(int32_t node);

// ---- drawing ------------------------------------------------------------------------------

void SetPen(int32_t colour, int32_t style, int32_t width);
void DrawBranch(int32_t branch, int32_t mode);
void DrawSegment(int32_t point, int32_t mode);
void DrawNet(int32_t net, int32_t mode);
void DrawNetRatsnest(int32_t net, int32_t mode);
void DrawNodeRatsnest(int32_t node, int32_t mode);
void DrawJunction(int32_t x, int32_t y);
void DrawPinMark(int32_t x, int32_t y);

// ---- deletion and marks --------------------------------------------------------------------

int32_t NumberNetNodes(int32_t net, int32_t first);
void DeleteNetWires(int32_t net);
int32_t DeleteBranchInImage(int32_t branch);
void RegroupNet(int32_t net);
// The nets whose wires meet a wire of `net` at junctions: the net itself,
// for a bus member also its bus, for a bus also its members.
std::vector<int32_t> JunctionNets(int32_t net);
// Junction points at the places (of the given page) that no longer join two
// wires of one net, or a member's wire and its bus, become plain points;
// looked for in the wires of every net of JunctionNets(net).
void ReleaseJunctions(int32_t net, int32_t page, const std::vector<std::pair<int32_t, int32_t>>& places);
// The block mark list: branches marked by a block rectangle, one entry for
// every touching segment. A plain array, so that it outlives every other
// module object at process end.
struct MarkList {
    static constexpr int32_t kCapacity = 998;
    int32_t n = 0;
    int32_t ids[kCapacity] = {};
    bool empty() const { return n == 0; }
    size_t size() const { return static_cast<size_t>(n); }
    const int32_t* begin() const { return ids; }
    const int32_t* end() const { return ids + n; }
    bool push_back(int32_t id) { return n < kCapacity ? (ids[n++] = id, true) : false; }
    void clear() { n = 0; }
};
extern MarkList g_BlockMarks;
void ClearBlockMarks();
bool ValidRoutedBranch(int32_t branch);

// ---- hit tests --------------------------------------------------------------------------------

extern int32_t g_HitComp, g_HitNode, g_HitEntry, g_HitEntryX, g_HitEntryY, g_HitBranch, g_HitSegment;
// The kernel keeps every position within kCoordLimit of the origin; a
// point from outside (a cursor, a block corner) beyond it meets nothing.
inline bool InCoordSpace(int32_t x, int32_t y)
{
    return x >= -kCoordLimit && x <= kCoordLimit && y >= -kCoordLimit && y <= kCoordLimit;
}
// Nothing is hit at a point outside the coordinate space.
void HitTestPoint(int32_t x, int32_t y, int32_t bits, int32_t wireTolerance = 88900);
// Segments (first bend points) at a point within a tolerance.
std::vector<int32_t> SegmentsAt(int32_t x, int32_t y, int32_t tolerance);

// ---- text -------------------------------------------------------------------------------------

// Bounded formatting into the caller's buffer of `size` bytes.
void PutText(char* msg, int32_t size, const char* format, ...) __attribute__((format(printf, 3, 4)));
void AppendText(char* msg, int32_t size, const char* text);
const char* NetName(int32_t net);

}  // namespace corvex
