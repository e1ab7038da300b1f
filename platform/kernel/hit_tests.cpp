// Frames (bounding boxes) and hit tests.
//
// Hit tests run against the indexes of the current page (hit_index.h),
// which follow every change that hit tests see: a query costs one
// comparison of epochs plus the grid lookup when nothing has changed, and
// the update of the changed objects' shapes when something has.
#include "platform/kernel/draw_objects.h"
#include "platform/kernel/hit_index.h"

#include "platform/kernel/nvokernel32.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>
#include <vector>

namespace kernel::draw {

namespace {

// ---- Distances ------------------------------------------------------------------------

double ShapeDistance(const Shape& s, double x, double y)
{
    double d = std::numeric_limits<double>::infinity();
    for (const Figure& f : s.figures) d = std::min(d, FigureDistance(f, x, y));
    for (const auto& [number, at] : s.entries) d = std::min(d, std::hypot(x - at.x, y - at.y));
    return d;
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

// Adds the shape to `hits` when it lies within the tolerance of the point,
// with the distance `measure` gives (none: no hit).
template <class Measure>
void AddHit(std::vector<Hit>& hits, const Shape& s, double x, double y, double tol, Measure& measure)
{
    if (!s.box.Within(x, y, tol)) return;
    int32_t extra = s.extra;
    const std::optional<double> d = measure(s, extra);
    if (d) hits.push_back(Hit{s.id, extra, *d});
}

// Every shape of an index within the tolerance of the point, with the
// distance `measure` gives.
template <class Measure>
std::vector<Hit> Collect(const Index& index, double x, double y, double tol, Measure&& measure)
{
    std::vector<Hit> hits;
    index.grid.Query(x - tol, y - tol, x + tol, y + tol, index.shapes.size(),
                     [&](uint32_t i) { AddHit(hits, index.shapes[i], x, y, tol, measure); });
    SortHits(hits);
    return hits;
}

// As Collect, from the index of `kind` or, when its build is put off, from
// a walk of every object's shape; the same hits in the same order.
template <class Measure>
std::vector<Hit> CollectOrWalk(IndexKind kind, double x, double y, double tol, Measure&& measure)
{
    bool walk = false;
    if (const Index* index = CurrentOrWalk(kind, walk)) return Collect(*index, x, y, tol, measure);
    std::vector<Hit> hits;
    if (!walk) return hits;
    ForEachShape(kind, [&](const Shape& s) { AddHit(hits, s, x, y, tol, measure); });
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
    for (auto& p : points) ShowPosition(level, p, &wire);
    const size_t n = points.size();
    // Record i is in when it ends a taken segment (i and i - 1) or starts
    // one (i + 1 taken), or is the one record of the wire and taken.
    int32_t taken = 0;
    for (size_t i = 0; i < n; ++i) {
        const bool in = n == 1 ? Takes(points[0].flags, recordMask)
                               : (i >= 1 && Takes(points[i].flags, recordMask)) ||
                                     (i + 1 < n && Takes(points[i + 1].flags, recordMask));
        if (!in) continue;
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

int32_t S_FrameSymbolItem(int32_t symbol, int32_t index, int32_t* rect) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Box box;
        const Symbol* s = FindSymbol(symbol);
        const Item* item = s ? s->items.AtAs<Item>(index) : nullptr;
        if (item && rect) box = FigureBox(ItemFigure(*item, PlacementFrame()));
        StoreRect(box, rect);
        return rect && !box.Empty() ? 1 : 0;
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
        const double tol = Tolerance(tolerance);
        list.hits = CollectOrWalk(kComps, x, y, tol, [&](const Shape& s, int32_t& extra) -> std::optional<double> {
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
        const double tol = Tolerance(tolerance);
        list.hits = CollectOrWalk(kBranches, x, y, tol, [&](const Shape& s, int32_t& extra) -> std::optional<double> {
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
