// The placement engine's private model of one page: what it reads from the
// design before it places anything, and the placement it computes.
#pragma once

#include "platform/placement/nvosplc32_functions.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace plc {

struct Rect {
    int64_t x1 = 0, y1 = 0, x2 = 0, y2 = 0;  // x1 <= x2, y1 <= y2
};

struct Pt {
    int64_t x = 0, y = 0;
};

// A component's outline and pins at one angle, relative to its origin.
struct Shape {
    Rect box;
    std::vector<Pt> pins;  // by entry number - 1
};

constexpr int kAngles = 4;  // quarter turns, 0, 90, 180, 270 degrees
constexpr int kLineSets = 8;  // pattern #1..#4, component side then solder side
constexpr int kMaxLines = 1000;  // lines of one kind per set, as the editor keeps
constexpr int kMaxPins = 4096;

struct Comp {
    int32_t id = 0;
    std::string name;
    int64_t x = 0, y = 0;
    int32_t angle = 0;          // as read, thousandths of a degree
    bool mirrored = false;
    bool locked = false;
    int pattern = 1;            // 1..4
    int lineSet = 0;            // 0..7
    std::array<bool, kAngles> allowed{};  // quarter turns it may take
    std::array<Shape, kAngles> shapes;    // by quarter turn
    Shape current;              // at the angle read (for locked components)
    // Room kept free for wires beside the outline, by quarter turn: the
    // margins left (x1), below (y1), right (x2) and above (y2). Set by
    // SetRoom; `currentRoom` is the room at the angle read.
    std::array<Rect, kAngles> room{};
    Rect currentRoom;
};

struct LineSet {
    std::vector<int64_t> rows;  // Y of the row lines, ascending, unique
    std::vector<int64_t> cols;  // X of the column lines, ascending, unique
};

// One net as (component index, pin index) pairs; locked components included.
using Net = std::vector<std::pair<int, int>>;

struct Model {
    int64_t clearX = 0, clearY = 0, edge = 0, align = 1;
    double roomScale = 0;  // the scale of the wiring room in effect (SetRoom)
    std::array<bool, 4> noRotate{};
    Rect frame;  // the page frame less the page edge
    std::array<LineSet, kLineSets> lines;
    // Where no outline, room or clearance may reach: the keep-off zones of
    // the zone symbol, then the boxes of the notes items drawn on the page
    // (free texts and drawings of the page and design notes).
    std::vector<Rect> zones;
    std::vector<Comp> comps;
    std::vector<Net> nets;
};

// Where the engine puts one component: its outline's lower left corner on
// column line i and row line k (relocated to the alignment), its block of
// cells from column line bi to j and row line bk to l. The block holds the
// outline, the clearance on its right and upper side and the wiring room on
// every side.
struct Site {
    int angle = 0;        // quarter turn
    int i = 0, k = 0;     // the column and row line of the outline's corner
    int bi = 0, bk = 0;   // first column and row line of the block
    int j = 0, l = 0;     // last column and row line of the block
    int64_t x = 0, y = 0; // origin
};

// Reads the model of `params.Page` from the open design. 0 = done, else a
// PlcErrorCode.
int32_t ReadModel(const PlcParamRec& params, Model& model);

// One routing track: the pitch of the pins on the symbols.
constexpr int64_t kTrack = 254000;  // 0.1 inch

// The wiring room of every component at every quarter turn for `scale`
// (0: none): on each side of its outline where pins join nets, one track
// and one more for every two of those nets (rounded up), each track `scale`
// times kTrack wide; no room on a side without such pins. Pins belong to
// the side of the outline they are nearest to, and a net counts once a
// side however many pins it has there.
void SetRoom(Model& model, double scale);

// Computes sites for every unlocked component. Deterministic. Chooses the
// wiring room the page can afford (the largest scale whose blocks fill no
// more than four fifths of the free page), and smaller ones when the
// components do not all find a site with it; the model keeps the room used.
// Returns false when the cells cannot hold them all even without room;
// `failed` (when given) is then the index of the component to name: one that
// has no site on the page at all, else one that found no free site; -1 when
// no component has any site (the failure concerns no one component).
// `settle` false leaves out the short anneal after the greedy passes (for
// the tests that measure what it gains).
bool Solve(Model& model, std::vector<Site>& sites, int* failed = nullptr, bool settle = true);

// The engine's legal spread at the room the model has (SetRoom, as Solve
// left it): global placement and legalisation, without the refinement
// passes. The benchmarks' baselines start from it. False when some component
// found no free site.
bool Spread(const Model& model, std::vector<Site>& sites);

// Pin half-perimeter wire length of a placement (locked components at their
// places); used by the solver and the benchmarks.
double Hpwl(const Model& model, const std::vector<Site>& sites);

// Quarter turn of an angle in thousandths of a degree.
int32_t QuarterAngle(int quarter);

}  // namespace plc
