// The hit-test indexes of the current page: for each kind (components,
// component texts, wires, wire texts, junctions, nodes) the resolved
// geometry of every object (placed symbol items, text boxes, wire points)
// and a uniform grid of their bounding boxes, so a query looks only at the
// grid cells around the point.
//
// An index follows edits: each level keeps a log of the objects on it whose
// geometry changed (see Level::NoteGeometry), and an index brought up to
// date takes out the shapes of just those objects, and of what hangs on
// them (the wires and nodes on a moved component's pins, the wires on a
// moved junction), and puts their new shapes in. It is built from every
// object only when the page, the level, the node view or a design-wide
// object (a symbol) has changed, or when the log no longer reaches back to
// the index's last state.
//
// Such a build is put off once: the first query of a component or wire
// cover after the change that made it due walks the objects instead (see
// CurrentOrWalk). A block operation that has just moved the whole page asks
// once and then changes it again; building the grid and the shape lists of
// every object for that one query costs several walks.
#pragma once

#include "platform/kernel/draw_objects.h"

#include <cstdint>
#include <functional>
#include <unordered_map>
#include <utility>
#include <vector>

namespace kernel::draw {

// The resolved geometry of one object or one text. A free slot of an index
// has an empty box.
struct Shape {
    int32_t id = 0;     // object id
    int32_t extra = 0;  // text index, net id
    Box box;
    std::vector<Figure> figures;
    std::vector<Pt> points;                       // wire points, the node or junction
    std::vector<std::pair<int32_t, Pt>> entries;  // component entries
};

// A uniform grid of boxes, by slot number. Boxes over many cells are kept
// in a list looked at every time; boxes outside the extent the grid was
// built for go to its edge cells, which queries outside it look at too.
class Grid {
public:
    void Build(const std::vector<Shape>& shapes);
    void Insert(uint32_t slot, const Box& box);
    void Remove(uint32_t slot, const Box& box);

    // The slots whose cells meet the rectangle, each once; `slots` is the
    // number of slots of the index.
    template <class F>
    void Query(double x1, double y1, double x2, double y2, size_t slots, F&& f) const
    {
        if (seen_.size() < slots) seen_.resize(slots, 0);
        if (++mark_ == 0) {
            std::fill(seen_.begin(), seen_.end(), 0);
            mark_ = 1;
        }
        auto visit = [&](uint32_t i) {
            if (seen_[i] == mark_) return;
            seen_[i] = mark_;
            f(i);
        };
        for (uint32_t i : big_) visit(i);
        if (side_ == 0) return;
        const int cx1 = Cell(x1 - x0_), cx2 = Cell(x2 - x0_), cy1 = Cell(y1 - y0_), cy2 = Cell(y2 - y0_);
        for (int cy = cy1; cy <= cy2; ++cy)
            for (int cx = cx1; cx <= cx2; ++cx)
                for (uint32_t i : cells_[static_cast<size_t>(cy) * side_ + cx]) visit(i);
    }

private:
    int Cell(double d) const;
    // The cells of a box, false when it goes to the list of big boxes.
    bool Cells(const Box& box, int& cx1, int& cy1, int& cx2, int& cy2) const;

    double x0_ = 0, y0_ = 0, cell_ = 1;
    int side_ = 0;
    std::vector<std::vector<uint32_t>> cells_;
    std::vector<uint32_t> big_;
    mutable std::vector<uint32_t> seen_;
    mutable uint32_t mark_ = 0;
};

// The last three are the drawing's: each component's, wire's and
// junction's reach box (draw_objects.h: CompReachBox, BranchReachBox,
// JunctionReachBox), which holds everything its drawing can touch, for
// drawing part of a page; the junctions' takes those of negative ids too.
enum IndexKind {
    kComps,
    kCompTexts,
    kBranches,
    kBranchTexts,
    kJunctions,
    kNodes,
    kCompReach,
    kBranchReach,
    kJunctionReach,
    kIndexKinds
};

// What an index was built from: the level object, its epoch, the
// design-wide epoch (for the kinds drawn from symbols), the page and the
// node view.
struct Stamp {
    uint64_t levelSerial = 0;
    uint64_t levelEpoch = 0;
    uint64_t designEpoch = 0;  // 0 for the kinds that use no symbol
    int32_t page = 0;
    int32_t nodeView = -1;  // -1 for the kinds other than nodes

    bool operator==(const Stamp&) const = default;
};

struct Index {
    bool built = false;
    Stamp stamp;
    std::vector<Shape> shapes;  // by slot
    Grid grid;
    size_t builtShapes = 0;               // shapes when last built from every object
    std::vector<uint32_t> freeSlots;
    std::unordered_map<int32_t, std::vector<uint32_t>> slotsOf;  // object id -> its slots
    // Wires: the node and junction ids their records refer to -> the wires.
    std::unordered_map<int32_t, std::vector<int32_t>> nodeRefs, junctionRefs;
    // Nodes: net id -> the node ids shown for it.
    std::unordered_map<int32_t, std::vector<int32_t>> netNodes;

    // The state (as a stamp, with the epoch at which the level's log
    // starts) at which a build from every object was last put off.
    bool putOff = false;
    Stamp putOffAt;

    // Forgets every shape.
    void Clear();
    // Adds a shape (with a non-empty box).
    void Add(Shape shape);
    // Takes out every shape of an object.
    void RemoveAll(int32_t id);
};

// The index of a kind for the current page, brought up to date; null
// without a database or a current level.
const Index* Current(IndexKind kind);

// As Current for kComps and kBranches, except that when a build from every
// object is due and was not put off already since the change that made it
// due, it is put off and the result is null: the caller then walks the
// shapes with ForEachShape. Null also without a database or a current
// level (`walk` tells the two apart).
const Index* CurrentOrWalk(IndexKind kind, bool& walk);

// As Current, but only when that takes no build from every object (the
// index is up to date, or follows the level's log); null otherwise.
const Index* CurrentIfFollows(IndexKind kind);

// The ids of the objects of the current page whose boxes in the index of
// `kind` meet `area`, ascending, each once; false (and `ids` empty) when
// there is no index (no database or no current level).
bool IdsMeeting(IndexKind kind, const Box& area, std::vector<int32_t>& ids);

// The wires of the current level whose records refer to one of the nodes
// or junctions (ids), added to `wires` (each once, any order): through the
// reach index of the wires when it follows, else by a walk of the wires.
void WiresReferring(const std::vector<int32_t>& nodes, const std::vector<int32_t>& junctions,
                    std::vector<int32_t>& wires);

// Calls `f` with the shape of every component (kComps) or wire (kBranches)
// of the current page, as a build from every object would make them; a
// shape is valid only during its call.
void ForEachShape(IndexKind kind, const std::function<void(const Shape&)>& f);
// The same for the boxes of the components alone (a shape's id and box,
// without building its figures).
void ForEachCompBox(const std::function<void(int32_t, const Box&)>& f);

// The distance from a point to a wire shape, and the index of the record
// ending its nearest segment (1 for a one-point wire); infinite without
// points.
double WireDistance(const Shape& s, double x, double y, int32_t& record);

}  // namespace kernel::draw
