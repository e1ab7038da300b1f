// Frames (bounding boxes) and hit tests.
//
// Hit tests run against an index of the current page: for each kind
// (components, component texts, wires, wire texts, junctions, nodes) the
// resolved geometry of every object (placed symbol items, text boxes, wire
// points) and a uniform grid of their bounding boxes. A query looks only at
// the grid cells around the point. An index is built when first needed and
// rebuilt when what it was built from has changed: each index keeps a
// stamp of the geometry epochs it was built at (the current level's, and
// the design's for the kinds drawn from symbols), the current level and
// page and the node view, and compares it with the stamp as it is now.
// The epochs change with every change that hit tests see (see
// GeometryChanged), so a query costs one comparison plus the grid lookup;
// no object is visited unless the index is rebuilt.
#include "platform/kernel/draw_objects.h"

#include "platform/kernel/nvokernel32.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>
#include <vector>

namespace kernel::draw {

namespace {

// ---- The grid ---------------------------------------------------------------------

class Grid {
public:
    void Build(const std::vector<Box>& boxes)
    {
        cells_.clear();
        big_.clear();
        Box all;
        for (const Box& b : boxes) all.Add(b);
        count_ = boxes.size();
        if (all.Empty()) {
            side_ = 0;
            return;
        }
        side_ = std::clamp(static_cast<int>(std::ceil(std::sqrt(static_cast<double>(boxes.size())))), 1, 256);
        x0_ = all.x1;
        y0_ = all.y1;
        cell_ = std::max(all.x2 - all.x1, all.y2 - all.y1) / side_ + 1.0;
        cells_.assign(static_cast<size_t>(side_) * side_, {});
        for (size_t i = 0; i < boxes.size(); ++i) {
            const Box& b = boxes[i];
            if (b.Empty()) continue;
            const int cx1 = Cell(b.x1 - x0_), cx2 = Cell(b.x2 - x0_), cy1 = Cell(b.y1 - y0_), cy2 = Cell(b.y2 - y0_);
            // Boxes over many cells (a page frame) are looked at every time.
            if ((cx2 - cx1 + 1) * (cy2 - cy1 + 1) > 64) {
                big_.push_back(static_cast<uint32_t>(i));
                continue;
            }
            for (int cy = cy1; cy <= cy2; ++cy)
                for (int cx = cx1; cx <= cx2; ++cx) cells_[static_cast<size_t>(cy) * side_ + cx].push_back(static_cast<uint32_t>(i));
        }
    }

    // The entries whose cells meet the rectangle, each once.
    template <class F>
    void Query(double x1, double y1, double x2, double y2, F&& f) const
    {
        if (seen_.size() != count_) seen_.assign(count_, 0);
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
    int Cell(double d) const { return std::clamp(static_cast<int>(std::floor(d / cell_)), 0, side_ - 1); }

    double x0_ = 0, y0_ = 0, cell_ = 1;
    int side_ = 0;
    size_t count_ = 0;
    std::vector<std::vector<uint32_t>> cells_;
    std::vector<uint32_t> big_;
    mutable std::vector<uint32_t> seen_;
    mutable uint32_t mark_ = 0;
};

// ---- The indexes of the current page ----------------------------------------------------

struct Shape {
    int32_t id = 0;       // object id
    int32_t extra = 0;    // text index, net id
    Box box;
    std::vector<Figure> figures;
    std::vector<Pt> points;                        // wire points, the node or junction
    std::vector<std::pair<int32_t, Pt>> entries;   // component entries
};

// What an index was built from: the epochs and the place it shows.
struct Stamp {
    uint64_t levelEpoch = 0;
    uint64_t designEpoch = 0;  // 0 for the kinds that use no symbol
    int32_t level = 0;
    int32_t page = 0;
    int32_t nodeView = -1;  // -1 for the kinds other than nodes

    bool operator==(const Stamp&) const = default;
};

struct Index {
    bool built = false;
    Stamp stamp;
    std::vector<Shape> shapes;
    Grid grid;

    void Finish()
    {
        std::vector<Box> boxes;
        boxes.reserve(shapes.size());
        for (const Shape& s : shapes) boxes.push_back(s.box);
        grid.Build(boxes);
        built = true;
    }
};

enum IndexKind { kComps, kCompTexts, kBranches, kBranchTexts, kJunctions, kNodes, kIndexKinds };

Index& IndexOf(IndexKind kind)
{
    static Index indexes[kIndexKinds];
    return indexes[kind];
}

// The stamp of an index of `kind` for the level as it is now. Components,
// their texts, wires (their ends lie on component entries) and nodes are
// drawn from symbols, so they follow the design-wide epoch as well.
Stamp StampOf(IndexKind kind, const Database& db, const Level& level)
{
    Stamp stamp;
    stamp.levelEpoch = level.geometryEpoch;
    stamp.level = level.id;
    stamp.page = level.curPage;
    switch (kind) {
    case kComps:
    case kCompTexts:
    case kBranches: stamp.designEpoch = db.geometryEpoch; break;
    case kNodes:
        stamp.designEpoch = db.geometryEpoch;
        stamp.nodeView = NodeView();
        break;
    default: break;
    }
    return stamp;
}

void BuildComps(Level& level, Index& index, bool texts)
{
    level.components.ForEach([&](const Object& o) {
        const Component& c = static_cast<const Component&>(o);
        if (c.id <= 0 || c.page != level.curPage) return;
        if (texts) {
            const Placement placement = PlacementOf(c);
            int32_t n = 0;
            c.texts.ForEach([&](const Object& t) {
                ++n;
                Shape s;
                s.id = c.id;
                s.extra = n;
                s.figures.push_back(ItemFigure(static_cast<const Item&>(t), placement));
                s.box = FigureBox(s.figures.back());
                if (!s.box.Empty()) index.shapes.push_back(std::move(s));
            });
            return;
        }
        Shape s;
        s.id = c.id;
        if (const Symbol* symbol = FindSymbol(c.symb)) {
            const Placement placement = PlacementOf(c);
            ForEachCompItem(*symbol, placement, [&](const Item&, const Figure& f) {
                s.figures.push_back(f);
                s.box.Add(FigureBox(f));
            });
            for (const EntryPoint& e : EntryPoints(*symbol, placement)) {
                s.entries.emplace_back(e.number, e.at);
                s.box.Add(e.at.x, e.at.y);
            }
        }
        if (!s.box.Empty()) index.shapes.push_back(std::move(s));
    });
}

void BuildBranches(Level& level, Index& index, bool texts)
{
    level.branches.ForEach([&](const Object& o) {
        Branch& b = const_cast<Branch&>(static_cast<const Branch&>(o));
        if (b.page != level.curPage) return;
        if (texts) {
            int32_t n = 0;
            b.texts.ForEach([&](const Object& t) {
                ++n;
                Shape s;
                s.id = b.id;
                s.extra = n;
                s.figures.push_back(ItemFigure(static_cast<const Item&>(t), Placement{}));
                s.box = FigureBox(s.figures.back());
                if (!s.box.Empty()) index.shapes.push_back(std::move(s));
            });
            return;
        }
        Shape s;
        s.id = b.id;
        BranchPoints(level, b, s.points);
        for (const Pt& p : s.points) s.box.Add(p.x, p.y);
        if (!s.box.Empty()) index.shapes.push_back(std::move(s));
    });
}

void BuildJunctions(Level& level, Index& index)
{
    level.junctions.ForEach([&](const Object& o) {
        const Junction& j = static_cast<const Junction&>(o);
        if (j.id <= 0 || j.page != level.curPage) return;
        Shape s;
        s.id = j.id;
        s.points.push_back(Pt{j.x, j.y});
        s.box.Add(j.x, j.y);
        index.shapes.push_back(std::move(s));
    });
}

void BuildNodes(Level& level, Index& index)
{
    const int side = NodeView();
    level.nets.ForEach([&](const Object& o) {
        const Net& net = static_cast<const Net&>(o);
        net.nodes.ForEach([&](const Object& n) {
            const Node& node = static_cast<const Node&>(n);
            Pt at;
            if (node.id <= 0 || !NodeAt(level, node, side, true, at)) return;
            Shape s;
            s.id = node.id;
            s.extra = net.id;
            s.points.push_back(at);
            s.box.Add(at.x, at.y);
            index.shapes.push_back(std::move(s));
        });
    });
}

// The index of a kind for the current page, rebuilt when its stamp changed;
// null without a database.
Index* Current(IndexKind kind)
{
    Database* db = Db();
    Level* level = db ? db->CurLevel() : nullptr;
    if (!level) return nullptr;
    Index& index = IndexOf(kind);
    const Stamp stamp = StampOf(kind, *db, *level);
    if (index.built && index.stamp == stamp) return &index;
    index.shapes.clear();
    switch (kind) {
    case kComps: BuildComps(*level, index, false); break;
    case kCompTexts: BuildComps(*level, index, true); break;
    case kBranches: BuildBranches(*level, index, false); break;
    case kBranchTexts: BuildBranches(*level, index, true); break;
    case kJunctions: BuildJunctions(*level, index); break;
    case kNodes: BuildNodes(*level, index); break;
    default: break;
    }
    index.Finish();
    index.stamp = stamp;
    return &index;
}

// ---- Distances ------------------------------------------------------------------------

double ShapeDistance(const Shape& s, double x, double y)
{
    double d = std::numeric_limits<double>::infinity();
    for (const Figure& f : s.figures) d = std::min(d, FigureDistance(f, x, y));
    for (const auto& [number, at] : s.entries) d = std::min(d, std::hypot(x - at.x, y - at.y));
    return d;
}

// The distance from a point to a wire, and the index of the record ending
// its nearest segment (1 for a one-point wire).
double WireDistance(const Shape& s, double x, double y, int32_t& record)
{
    record = 0;
    if (s.points.empty()) return std::numeric_limits<double>::infinity();
    if (s.points.size() == 1) {
        record = 1;
        return std::hypot(x - s.points[0].x, y - s.points[0].y);
    }
    double best = std::numeric_limits<double>::infinity();
    for (size_t k = 1; k < s.points.size(); ++k) {
        const double d = SegmentDistance(x, y, s.points[k - 1], s.points[k]);
        if (d < best) {
            best = d;
            record = static_cast<int32_t>(k + 1);
        }
    }
    return best;
}

// ---- Cover lists ----------------------------------------------------------------------

struct Hit {
    int32_t id;
    int32_t extra;
    double distance;
};

struct CoverList {
    std::vector<Hit> hits;
    size_t next = 0;
};

CoverList& Covers(IndexKind kind)
{
    static CoverList lists[kIndexKinds];
    return lists[kind];
}

double& LastDistance()
{
    static double distance = 0;
    return distance;
}

void SortHits(std::vector<Hit>& hits)
{
    std::sort(hits.begin(), hits.end(), [](const Hit& a, const Hit& b) {
        return a.distance != b.distance ? a.distance < b.distance : a.id != b.id ? a.id < b.id : a.extra < b.extra;
    });
}

// Takes the next hit of a list: its id (0 at the end), its extra value.
int32_t TakeNext(CoverList& list, int32_t* extra)
{
    if (list.next >= list.hits.size()) return 0;
    const Hit& hit = list.hits[list.next++];
    LastDistance() = hit.distance;
    if (extra) *extra = hit.extra;
    return hit.id;
}

double Tolerance(int32_t tolerance)
{
    return tolerance > 0 ? tolerance : 0;
}

// Every shape of an index within the tolerance of the point, with the
// distance `measure` gives.
template <class Measure>
std::vector<Hit> Collect(const Index& index, double x, double y, double tol, Measure&& measure)
{
    std::vector<Hit> hits;
    index.grid.Query(x - tol, y - tol, x + tol, y + tol, [&](uint32_t i) {
        const Shape& s = index.shapes[i];
        if (s.box.Distance(x, y) > tol) return;
        int32_t extra = s.extra;
        const std::optional<double> d = measure(s, extra);
        if (d) hits.push_back(Hit{s.id, extra, *d});
    });
    SortHits(hits);
    return hits;
}

// The item's absolute figure, as I_ReadItemAbs places it.
Figure AbsoluteFigure(const Item& item)
{
    return ItemFigure(item, ItemPlacement(item).value_or(Placement{}));
}

// Adds to `box` the current positions of a wire's records (a branch's or a
// trace's) at either end of a segment whose end record the mask takes, or
// the one record of a one-record wire when the mask takes it; gives how
// many were added.
template <class Wire>
int32_t FrameWireRecords(const Level& level, Wire& wire, int32_t recordMask, Box& box)
{
    auto& points = wire.points;
    for (auto& p : points) ShowPosition(level, p);
    std::vector<bool> in(points.size(), false);
    if (points.size() == 1 && Takes(points[0].flags, recordMask)) in[0] = true;
    for (size_t k = 1; k < points.size(); ++k)
        if (Takes(points[k].flags, recordMask)) in[k - 1] = in[k] = true;
    int32_t taken = 0;
    for (size_t i = 0; i < points.size(); ++i)
        if (in[i]) {
            box.Add(points[i].x, points[i].y);
            ++taken;
        }
    return taken;
}

}  // namespace

}  // namespace kernel::draw

using namespace kernel;
using namespace kernel::draw;

// ---- Frames ----------------------------------------------------------------------------

int32_t B_FrameBranchLines(int32_t branch, int32_t recordMask, int32_t* rect) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Box box;
        int32_t taken = 0;
        Level* level = CurLevel();
        Branch* b = level ? level->branches.FindAs<Branch>(branch) : nullptr;
        if (b && rect) taken = FrameWireRecords(*level, *b, recordMask, box);
        StoreRect(box, rect);
        return rect ? taken : 0;
    });
}

int32_t T_FrameTraceLines(int32_t trace, int32_t recordMask, int32_t* rect) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Box box;
        int32_t taken = 0;
        Level* level = CurLevel();
        auto frame = [&](Trace& t) { taken += FrameWireRecords(*level, t, recordMask, box); };
        if (level && rect) {
            if (trace == -1)
                level->traces.ForEach([&](Object& o) { frame(static_cast<Trace&>(o)); });
            else if (Trace* t = level->traces.FindAs<Trace>(trace))
                frame(*t);
        }
        StoreRect(box, rect);
        return rect ? taken : 0;
    });
}

int32_t C_FrameCompItems(int32_t comp, int32_t* rect) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Box box;
        int32_t taken = 0;
        Level* level = CurLevel();
        const auto* c = level ? level->components.FindAs<Component>(comp) : nullptr;
        const Symbol* symbol = c ? FindSymbol(c->symb) : nullptr;
        if (symbol && rect)
            ForEachCompItem(*symbol, PlacementOf(*c), [&](const Item&, const Figure& f) {
                const Box b = FigureBox(f);
                if (b.Empty()) return;
                box.Add(b);
                ++taken;
            });
        StoreRect(box, rect);
        return rect ? taken : 0;
    });
}

int32_t C_FrameCompEntries(int32_t comp, int32_t* rect) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Box box;
        int32_t taken = 0;
        Level* level = CurLevel();
        const auto* c = level ? level->components.FindAs<Component>(comp) : nullptr;
        const Symbol* symbol = c ? FindSymbol(c->symb) : nullptr;
        if (symbol && rect)
            for (const EntryPoint& e : EntryPoints(*symbol, PlacementOf(*c))) {
                box.Add(e.at.x, e.at.y);
                ++taken;
            }
        StoreRect(box, rect);
        return rect ? taken : 0;
    });
}

int32_t S_FrameSymbolItems(int32_t symbol, int32_t selector, int32_t* rect) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Box box;
        int32_t taken = 0;
        const Symbol* s = FindSymbol(symbol);
        if (s && rect) {
            const Placement placement = PlacementFrame();
            s->items.ForEach([&](const Object& o) {
                const Item& item = static_cast<const Item&>(o);
                if (!Selects(item.status, selector)) return;
                const Box b = FigureBox(ItemFigure(item, placement));
                if (b.Empty()) return;
                box.Add(b);
                ++taken;
            });
        }
        StoreRect(box, rect);
        return rect ? taken : 0;
    });
}

int32_t S_FrameSymbolEntries(int32_t symbol, int32_t selector, int32_t* rect) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Box box;
        int32_t taken = 0;
        const Symbol* s = FindSymbol(symbol);
        if (s && rect)
            for (const EntryPoint& e : EntryPoints(*s, PlacementFrame())) {
                if (!Selects(e.entry->flags, selector)) continue;
                box.Add(e.at.x, e.at.y);
                ++taken;
            }
        StoreRect(box, rect);
        return rect ? taken : 0;
    });
}

// ---- Hit tests -----------------------------------------------------------------------------

int32_t C_CoverComponent(int32_t x, int32_t y, int32_t tolerance, int32_t* entry) noexcept
{
    return Guard(0, [&]() -> int32_t {
        CoverList& list = Covers(kComps);
        list = CoverList{};
        const Index* index = Current(kComps);
        if (!index) return 0;
        const double tol = Tolerance(tolerance);
        list.hits = Collect(*index, x, y, tol, [&](const Shape& s, int32_t& extra) -> std::optional<double> {
            // The entry nearest the point within the tolerance, else 0.
            extra = 0;
            double nearest = std::numeric_limits<double>::infinity();
            for (const auto& [number, at] : s.entries) {
                const double d = std::hypot(x - static_cast<double>(at.x), y - static_cast<double>(at.y));
                if (d <= tol && d < nearest) {
                    nearest = d;
                    extra = number;
                }
            }
            return ShapeDistance(s, x, y);
        });
        return TakeNext(list, entry);
    });
}

int32_t C_CoverNextComponent(int32_t* entry) noexcept
{
    return Guard(0, [&]() -> int32_t { return TakeNext(Covers(kComps), entry); });
}

int32_t C_CoverCompText(int32_t comp, int32_t x, int32_t y, int32_t tolerance, int32_t* compFound) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Level* level = CurLevel();
        if (!level) return 0;
        const double tol = Tolerance(tolerance);
        std::vector<Hit> hits;
        if (comp == -1) {
            const Index* index = Current(kCompTexts);
            if (!index) return 0;
            hits = Collect(*index, x, y, tol, [&](const Shape& s, int32_t&) -> std::optional<double> {
                const double d = ShapeDistance(s, x, y);
                return d <= tol ? std::optional<double>(d) : std::nullopt;
            });
        } else {
            // One component's texts, wherever it lies.
            const auto* c = level->components.FindAs<Component>(comp);
            if (!c) return 0;
            const Placement placement = PlacementOf(*c);
            int32_t n = 0;
            c->texts.ForEach([&](const Object& t) {
                ++n;
                const double d = FigureDistance(ItemFigure(static_cast<const Item&>(t), placement), x, y);
                if (d <= tol) hits.push_back(Hit{comp, n, d});
            });
            SortHits(hits);
        }
        if (hits.empty()) return 0;
        LastDistance() = hits[0].distance;
        if (compFound) *compFound = hits[0].id;
        return hits[0].extra;
    });
}

int32_t B_CoverBranch(int32_t x, int32_t y, int32_t tolerance, int32_t* record) noexcept
{
    return Guard(0, [&]() -> int32_t {
        CoverList& list = Covers(kBranches);
        list = CoverList{};
        const Index* index = Current(kBranches);
        if (!index) return 0;
        const double tol = Tolerance(tolerance);
        list.hits = Collect(*index, x, y, tol, [&](const Shape& s, int32_t& extra) -> std::optional<double> {
            const double d = WireDistance(s, x, y, extra);
            return d <= tol ? std::optional<double>(d) : std::nullopt;
        });
        return TakeNext(list, record);
    });
}

int32_t B_CoverNextBranch(int32_t* record) noexcept
{
    return Guard(0, [&]() -> int32_t { return TakeNext(Covers(kBranches), record); });
}

int32_t B_CoverBranchText(int32_t branch, int32_t x, int32_t y, int32_t tolerance, int32_t* branchFound) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Level* level = CurLevel();
        if (!level) return 0;
        const double tol = Tolerance(tolerance);
        std::vector<Hit> hits;
        if (branch == -1) {
            const Index* index = Current(kBranchTexts);
            if (!index) return 0;
            hits = Collect(*index, x, y, tol, [&](const Shape& s, int32_t&) -> std::optional<double> {
                const double d = ShapeDistance(s, x, y);
                return d <= tol ? std::optional<double>(d) : std::nullopt;
            });
        } else {
            const auto* b = level->branches.FindAs<Branch>(branch);
            if (!b) return 0;
            int32_t n = 0;
            b->texts.ForEach([&](const Object& t) {
                ++n;
                const double d = FigureDistance(ItemFigure(static_cast<const Item&>(t), Placement{}), x, y);
                if (d <= tol) hits.push_back(Hit{branch, n, d});
            });
            SortHits(hits);
        }
        if (hits.empty()) return 0;
        LastDistance() = hits[0].distance;
        if (branchFound) *branchFound = hits[0].id;
        return hits[0].extra;
    });
}

int32_t J_CoverJunction(int32_t x, int32_t y, int32_t tolerance) noexcept
{
    return Guard(0, [&]() -> int32_t {
        CoverList& list = Covers(kJunctions);
        list = CoverList{};
        const Index* index = Current(kJunctions);
        if (!index) return 0;
        const double tol = Tolerance(tolerance);
        list.hits = Collect(*index, x, y, tol, [&](const Shape& s, int32_t&) -> std::optional<double> {
            const double d = std::hypot(x - static_cast<double>(s.points[0].x), y - static_cast<double>(s.points[0].y));
            return d <= tol ? std::optional<double>(d) : std::nullopt;
        });
        return TakeNext(list, nullptr);
    });
}

int32_t J_CoverNextJunction() noexcept
{
    return Guard(0, [&]() -> int32_t { return TakeNext(Covers(kJunctions), nullptr); });
}

int32_t N_CoverNode(int32_t x, int32_t y, int32_t tolerance, int32_t* net) noexcept
{
    return Guard(0, [&]() -> int32_t {
        const Index* index = Current(kNodes);
        if (!index) return 0;
        const double tol = Tolerance(tolerance);
        std::vector<Hit> hits = Collect(*index, x, y, tol, [&](const Shape& s, int32_t&) -> std::optional<double> {
            const double d = std::hypot(x - static_cast<double>(s.points[0].x), y - static_cast<double>(s.points[0].y));
            return d <= tol ? std::optional<double>(d) : std::nullopt;
        });
        if (hits.empty()) return 0;
        LastDistance() = hits[0].distance;
        if (net) *net = hits[0].extra;
        return hits[0].id;
    });
}

int32_t OA_Cover(int32_t array, int32_t start, int32_t x, int32_t y, int32_t tolerance) noexcept
{
    return Guard(0, [&]() -> int32_t {
        ObjectArray* items = ArrayFromHandle(array);
        if (!items || items->kind() != Kind::Item) return 0;
        const double tol = Tolerance(tolerance);
        for (int32_t i = std::max(start, 1); i <= items->Count(); ++i) {
            const Item* item = items->AtAs<Item>(i);
            if (!item) continue;
            const double d = FigureDistance(AbsoluteFigure(*item), x, y);
            if (d <= tol) {
                LastDistance() = d;
                return i;
            }
        }
        return 0;
    });
}

int32_t DB_CoverRectangle(int32_t x, int32_t y, int32_t tolerance, int32_t x1, int32_t y1, int32_t x2, int32_t y2) noexcept
{
    const int64_t tol = tolerance > 0 ? tolerance : 0;
    const int64_t left = std::min(x1, x2) - tol, right = int64_t{std::max(x1, x2)} + tol;
    const int64_t bottom = std::min(y1, y2) - tol, top = int64_t{std::max(y1, y2)} + tol;
    return x >= left && x <= right && y >= bottom && y <= top ? 1 : 0;
}

int32_t DB_GetCoverDistance() noexcept
{
    const double d = LastDistance();
    return d >= static_cast<double>(std::numeric_limits<int32_t>::max()) ? std::numeric_limits<int32_t>::max()
                                                                           : static_cast<int32_t>(std::lround(d));
}
