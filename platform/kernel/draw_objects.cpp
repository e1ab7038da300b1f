// Object drawing: components with their symbols, entries and texts; wires
// with their records, junctions and texts; nodes and the ratsnest; symbols
// and items at the placement frame; layout texts.
//
// Each object is drawn through the current sink (a context or a recording)
// with the pen's mode; its colours come from the drawing categories (system
// table 1) unless the mode asks for the pen colour, the highlight colour or
// the background.
#include "platform/kernel/draw_objects.h"

#include "platform/kernel/hit_index.h"
#include "platform/kernel/nvokernel32.h"
#include "platform/kernel/systables.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <unordered_map>

namespace kernel::draw {

namespace {

// Entry names: 0.04 inch high, cells two thirds as wide, 0.008 inch from the
// entry.
constexpr int32_t kEntryNameHeight = 16933;
constexpr int32_t kEntryNameWidth = 11289;
constexpr double kEntryNameGap = 20320;
// Junction dots: 0.02 inch across, bus junctions half as wide again.
constexpr int32_t kDotRadius = 25400;
constexpr int32_t kBusDotRadius = 38100;
// Node marks: 7 pixels wide.
constexpr int kNodeHalf = 3;

// Wires: the width of table 14 (database units); bus wires two pixels wider.
Paint WirePaint(const Branch& branch, bool wholePage)
{
    const int32_t width = Table(kLineWidth)->longs[0];
    int category = kCatWire;
    if (branch.id <= -100) category = kCatFrame;
    else if (branch.status & 2) category = kCatBus;
    Paint paint = ObjectPaint(CategoryColour(category), width, 0, wholePage);
    if (category == kCatBus) paint.widthPx = static_cast<int16_t>(std::min(64, paint.widthPx + 2));
    return paint;
}

void DrawItem(Sink& sink, const Item& item, const Placement& placement, int defaultCategory, bool wholePage)
{
    const Paint paint = ObjectPaint(LayerColour(item.layer, defaultCategory), item.width, item.style, wholePage);
    DrawFigure(sink, paint, ItemFigure(item, placement));
}

void DrawEntryNames(Sink& sink, const Symbol& symbol, const Placement& placement, bool wholePage)
{
    if (Pen().mode & kModeNoEntries) return;
    const Paint paint = ObjectPaint(CategoryColour(kCatEntryName), 0, 0, wholePage);
    for (const EntryName& name : EntryNames(symbol, placement)) {
        Figure f = name.figure;
        f.text = &name.text;
        DrawFigure(sink, paint, f);
    }
}

// The pads of a layout symbol's entries: the items of each entry's pad stack
// (the symbol's own, else the design's) placed at the entry.
void DrawPads(Sink& sink, const Symbol& symbol, const Placement& placement, bool wholePage)
{
    Database* db = Db();
    for (const EntryPoint& e : EntryPoints(symbol, placement)) {
        const int32_t key = e.entry->keyOrTextX;
        const PadStack* stack = symbol.padStacks.FindAs<PadStack>(key);
        if (!stack && db) stack = db->padStacks.FindAs<PadStack>(key);
        if (!stack) continue;
        const Placement at{e.at.x, e.at.y, placement.angle, placement.mirrored};
        stack->items.ForEach([&](const Object& o) {
            DrawItem(sink, static_cast<const Item&>(o), at, kCatCopper, wholePage);
        });
    }
}

void DrawComponent(Sink& sink, const Component& comp, bool wholePage)
{
    const Placement placement = PlacementOf(comp);
    if (const Symbol* symbol = FindSymbol(comp.symb)) {
        ForEachCompItem(*symbol, placement, [&](const Item& item, const Figure& figure) {
            const Paint paint =
                ObjectPaint(LayerColour(item.layer, item.IsText() ? kCatSymbolText : kCatComponent), item.width,
                            item.style, wholePage);
            DrawFigure(sink, paint, figure);
        });
        DrawEntryNames(sink, *symbol, placement, wholePage);
    }
    comp.texts.ForEach([&](const Object& o) {
        const Item& text = static_cast<const Item&>(o);
        DrawItem(sink, text, placement, CompTextCategory(text), wholePage);
    });
}

// Segments first..last of a branch (segment k joins records k and k + 1,
// counted from 1; the store keeps record i at [i - 1]), those whose end
// record the mask takes.
void DrawSegments(Sink& sink, const Level& level, Branch& branch, int32_t first, int32_t last, int32_t recordMask,
                  const Paint& paint)
{
    static thread_local std::vector<Pt> points;
    BranchPoints(level, branch, points);
    const int32_t n = static_cast<int32_t>(points.size());
    first = std::max(first, 1);
    last = std::min(last, n - 1);
    for (int32_t k = first; k <= last; ++k) {
        if (!Takes(branch.points[static_cast<size_t>(k)].flags, recordMask)) continue;
        sink.Line(paint, points[static_cast<size_t>(k - 1)], points[static_cast<size_t>(k)]);
    }
}

void DrawBranchTexts(Sink& sink, const Branch& branch, int32_t mask, bool wholePage)
{
    if (mask == 0) return;
    const Placement identity;
    branch.texts.ForEach([&](const Object& o) {
        const Item& text = static_cast<const Item&>(o);
        if (Takes(text.status, mask)) DrawItem(sink, text, identity, BranchTextCategory(text), wholePage);
    });
}

// A junction shows a dot only when its status says so (bit 8).
void DrawJunction(Sink& sink, const Junction& j, bool wholePage)
{
    if (!(j.status & 8)) return;
    const Paint paint = ObjectPaint(CategoryColour(kCatJunction), 0, kStyleFilled, wholePage);
    const bool bus = (j.status & 4) != 0;
    sink.Dot(paint, Pt{j.x, j.y}, bus ? kBusDotRadius : kDotRadius, bus ? 3 : 2);
}

int32_t DrawNetNodes(Sink& sink, const Level& level, const Net& net, int32_t mask, bool wholePage)
{
    const int side = NodeView();
    const int32_t connected = side == kSchematicSide ? 2 : 4;
    int32_t drawn = 0;
    net.nodes.ForEach([&](const Object& o) {
        const Node& node = static_cast<const Node&>(o);
        Pt at;
        if (node.id <= 0 || !Takes(node.status, mask) || !NodeAt(level, node, side, true, at)) return;
        Paint paint = ObjectPaint(CategoryColour(kCatNode), 0, (node.status & connected) ? kStyleFilled : 0,
                                  wholePage);
        sink.Mark(paint, at, kNodeHalf);
        ++drawn;
    });
    return drawn;
}

// The ratsnest of a net: the shortest tree over its nodes on the page,
// drawn where a line reaches a node that is not connected yet.
void DrawRatsnest(Sink& sink, const Level& level, const Net& net, bool wholePage)
{
    const int side = NodeView();
    const int32_t connected = side == kSchematicSide ? 2 : 4;
    struct Spot {
        Pt at;
        bool loose;
    };
    std::vector<Spot> spots;
    bool anyLoose = false;
    net.nodes.ForEach([&](const Object& o) {
        const Node& node = static_cast<const Node&>(o);
        Pt at;
        if (node.id <= 0 || !NodeAt(level, node, side, true, at)) return;
        const bool loose = (node.status & connected) == 0;
        anyLoose = anyLoose || loose;
        spots.push_back({at, loose});
    });
    if (!anyLoose || spots.size() < 2) return;
    const Paint paint = ObjectPaint(CategoryColour(kCatRatsnest), 0, 0, wholePage);
    // Prim's algorithm over the complete graph of the spots.
    const size_t n = spots.size();
    std::vector<double> best(n, std::numeric_limits<double>::infinity());
    std::vector<size_t> from(n, 0);
    std::vector<bool> inTree(n, false);
    best[0] = 0;
    for (size_t step = 0; step < n; ++step) {
        size_t u = n;
        for (size_t i = 0; i < n; ++i)
            if (!inTree[i] && (u == n || best[i] < best[u])) u = i;
        inTree[u] = true;
        if (step > 0 && (spots[u].loose || spots[from[u]].loose)) sink.Line(paint, spots[from[u]].at, spots[u].at);
        for (size_t v = 0; v < n; ++v) {
            if (inTree[v]) continue;
            const double d = std::hypot(static_cast<double>(spots[u].at.x) - spots[v].at.x,
                                        static_cast<double>(spots[u].at.y) - spots[v].at.y);
            if (d < best[v]) {
                best[v] = d;
                from[v] = u;
            }
        }
    }
}

int DefaultItemCategory(const Symbol& symbol, const Item& item)
{
    if (symbol.status & 2) return item.IsText() ? kCatCopper : kCatItems;
    if (symbol.status & 1) return item.IsText() ? kCatSymbolText : kCatComponent;
    return item.IsText() ? kCatNotesText : kCatNotes;
}

}  // namespace

// ---- Shared geometry ---------------------------------------------------------------

Symbol* FindSymbol(int32_t id)
{
    Database* db = Db();
    return db ? db->symbols.FindAs<Symbol>(id) : nullptr;
}

bool IsTextTemplate(const Item& item)
{
    return item.IsText() && (item.status & (2 | 4 | 8 | 16 | 32)) != 0;
}

int CompTextCategory(const Item& text)
{
    const int32_t f = text.status;
    if (f & 2) return kCatCompName;
    if (f & 4) return kCatCompDescription;
    if (f & 8) return kCatCompValue;
    if (f & 16) return kCatPinNumber;
    if (f & 32) return kCatCompPort;
    return kCatCompText;
}

int BranchTextCategory(const Item& text)
{
    return (text.status & (4 | 8)) ? kCatBusText : kCatNetText;
}

std::vector<EntryPoint> EntryPoints(const Symbol& symbol, const Placement& placement)
{
    std::vector<EntryPoint> points;
    ForEachEntryPoint(symbol, placement, [&](const EntryPoint& e) { points.push_back(e); });
    return points;
}

std::vector<EntryName> EntryNames(const Symbol& symbol, const Placement& placement)
{
    std::vector<EntryName> names;
    symbol.entries.ForEach([&](const Object& o) {
        const SymbolEntry& e = static_cast<const SymbolEntry&>(o);
        EntryName name;
        name.text = e.label.empty() ? e.name : e.label;
        // Entries that show a plain pin number have no name to show.
        const bool number = std::all_of(name.text.begin(), name.text.end(), [](char c) { return c >= '0' && c <= '9'; });
        if (name.text.empty() || number || (e.flags & 2)) return;
        const double h = kTextScale * kEntryNameHeight;
        const double length = kTextScale * kEntryNameWidth * static_cast<double>(name.text.size());
        // The box's centre in the symbol's frame: above the lead of a side
        // entry, running inwards; beside an entry at the top or bottom.
        double cx, cy;
        if (e.x < 0) {
            cx = e.x + kEntryNameGap + length / 2;
            cy = e.y + kEntryNameGap + h / 2;
        } else if (e.x > 0) {
            cx = e.x - kEntryNameGap - length / 2;
            cy = e.y + kEntryNameGap + h / 2;
        } else {
            cx = e.x + kEntryNameGap + length / 2;
            cy = e.y > 0 ? e.y - kEntryNameGap - h / 2 : e.y + kEntryNameGap + h / 2;
        }
        // Placed by its centre, so the name reads the right way whether the
        // symbol is mirrored or not.
        int32_t px, py;
        placement.Place(ClampCoord(cx), ClampCoord(cy), px, py);
        const int32_t angle = placement.Rotation(0);
        const double a = angle * (3.14159265358979323846 / 180000.0);
        const double ux = std::cos(a), uy = std::sin(a);
        name.figure.kind = Figure::Text;
        name.figure.p[0] = Pt{ClampCoord(px - ux * length / 2 + uy * h / 2), ClampCoord(py - uy * length / 2 - ux * h / 2)};
        name.figure.angle = angle;
        name.figure.height = h;
        name.figure.cell = kTextScale * kEntryNameWidth;
        names.push_back(std::move(name));
    });
    return names;
}

void BranchPoints(const Level& level, Branch& branch, std::vector<Pt>& points)
{
    points.clear();
    for (BranchPoint& p : branch.points) {
        ShowPosition(level, p, &branch);
        points.push_back(Pt{p.x, p.y});
    }
}

Pt ShownPoint(const Level& level, const BranchPoint& point)
{
    Pt at{point.x, point.y};
    switch (point.flags & 6) {
    case 2:
        if (const Node* node = level.FindNode(point.ref)) {
            int32_t x = 0, y = 0;
            if (PinPosition(*node, kSchematicSide, x, y)) at = Pt{x, y};
        }
        break;
    case 4:
        if (const auto* junction = level.junctions.FindAs<Junction>(point.ref)) at = Pt{junction->x, junction->y};
        break;
    default: break;
    }
    return at;
}

bool NodeAt(const Level& level, const Node& node, int side, bool onPage, Pt& at)
{
    if (onPage && side == kSchematicSide) {
        const auto* comp = level.components.FindAs<Component>(node.comp);
        if (!comp || comp->page != level.curPage) return false;
    }
    return PinPosition(node, side, at.x, at.y);
}

namespace {

// How far a text's glyphs may reach beyond its box: a character wider than
// the average sticks out of its cell (by a third of it for the widest), an
// accent above the line.
double GlyphRoom(double height, double cell)
{
    return 0.25 * std::abs(height) + 0.5 * std::abs(cell);
}

// How far from a point what is drawn about it reaches: `plain` as the
// drawing of a whole page leaves components out by (a text's box), `glyphs`
// with room for the glyphs of texts besides, which a drawing of part of a
// page needs: a glyph sticking into the part must be drawn there as the
// whole page draws it.
struct Reach {
    double plain = 0, glyphs = 0;
    void Take(const Reach& r)
    {
        plain = std::max(plain, r.plain);
        glyphs = std::max(glyphs, r.glyphs);
    }
};

// The length of a vector (without hypot's care for overflow, which database
// coordinates cannot reach).
double Length(double x, double y)
{
    return std::sqrt(x * x + y * y);
}

// How far from its anchor a figure reaches at any turn or mirroring of its
// placement; placing is rigid, so a distance from the placement's point stays
// as it is.
Reach FigureReach(const Figure& f)
{
    const double anchor = Length(static_cast<double>(f.p[0].x), static_cast<double>(f.p[0].y));
    double reach = anchor;
    switch (f.kind) {
    case Figure::Line:
    case Figure::Polygon:
        reach = 0;
        for (int i = 0; i < f.count; ++i)
            reach = std::max(reach, Length(static_cast<double>(f.p[i].x), static_cast<double>(f.p[i].y)));
        break;
    case Figure::Circle:
    case Figure::Arc: reach = anchor + f.radius; break;
    case Figure::Text: {
        // Texts keep reading forwards under a mirrored placement: their box
        // turns about the anchor on its own, within its diagonal.
        reach = anchor + Length(f.cell * static_cast<double>(f.text ? f.text->size() : 0), f.height);
        return Reach{reach, reach + GlyphRoom(f.height, f.cell)};
    }
    default: break;
    }
    return Reach{reach, reach};
}

// How far from its owner's point an item reaches at any placement, its line
// width included. A text's is read off its record without placing it.
Reach ItemReach(const Item& item)
{
    const double width = std::abs(static_cast<double>(item.width));
    if (!item.IsText()) {
        const Reach r = FigureReach(ItemFigure(item, Placement{}));
        return Reach{r.plain + width, r.glyphs + width};
    }
    const double height = kTextScale * std::abs(static_cast<double>(item.p1));
    const double cell = kTextScale * std::abs(static_cast<double>(item.p2));
    const double length = cell * static_cast<double>(item.text.size());
    const double reach = Length(static_cast<double>(item.x), static_cast<double>(item.y)) + Length(length, height) + width;
    return Reach{reach, reach + GlyphRoom(height, cell)};
}

// How far from a component's point anything its symbol draws can reach.
Reach SymbolReach(const Symbol& symbol)
{
    // Kept per symbol until a design-wide object changes (which moves the
    // design's geometry epoch; epochs are never reused, across designs too).
    static uint64_t epoch = 0;
    static std::unordered_map<const Symbol*, Reach> reaches;
    Database* db = Db();
    if (!db) return Reach{std::numeric_limits<double>::infinity(), std::numeric_limits<double>::infinity()};
    if (epoch != db->geometryEpoch) {
        reaches.clear();
        epoch = db->geometryEpoch;
    }
    if (auto it = reaches.find(&symbol); it != reaches.end()) return it->second;
    const Placement frame{};
    Reach reach;
    symbol.items.ForEach([&](const Object& o) { reach.Take(ItemReach(static_cast<const Item&>(o))); });
    for (const EntryName& name : EntryNames(symbol, frame)) {
        Figure f = name.figure;
        f.text = &name.text;
        reach.Take(FigureReach(f));
    }
    symbol.entries.ForEach([&](const Object& o) {
        const SymbolEntry& e = static_cast<const SymbolEntry&>(o);
        const double r = std::hypot(static_cast<double>(e.x), static_cast<double>(e.y));
        reach.Take(Reach{r, r});
    });
    reaches.emplace(&symbol, reach);
    return reach;
}

// How far from its point whatever a component draws reaches: its symbol's
// and its texts' reach.
Reach CompReach(const Component& comp)
{
    const Symbol* symbol = FindSymbol(comp.symb);
    Reach reach = symbol ? SymbolReach(*symbol) : Reach{};
    comp.texts.ForEach([&](const Object& o) { reach.Take(ItemReach(static_cast<const Item&>(o))); });
    return reach;
}

// Whether a component drawn on the sink can show: whatever it draws lies
// within its reach around its point (with its glyphs' room where only part
// of the device is drawn anew).
bool CompShown(const Sink& sink, const Component& comp)
{
    const Reach r = CompReach(comp);
    Box part;
    const double reach = sink.Region(part) ? r.glyphs : r.plain;
    return sink.Shows(comp.x - reach, comp.y - reach, comp.x + reach, comp.y + reach);
}

}  // namespace

Box CompReachBox(const Component& comp)
{
    const double reach = CompReach(comp).glyphs;
    Box box;
    box.Add(comp.x - reach, comp.y - reach);
    box.Add(comp.x + reach, comp.y + reach);
    return box;
}

bool BranchReachBox(const Level& level, const Branch& branch, Box& box)
{
    box = Box{};
    for (const BranchPoint& p : branch.points) {
        const Pt at = ShownPoint(level, p);
        box.Add(at.x, at.y);
    }
    const Placement identity;
    branch.texts.ForEach([&](const Object& o) {
        const Item& text = static_cast<const Item&>(o);
        const Figure f = ItemFigure(text, identity);
        Box b = FigureBox(f);
        if (b.Empty()) return;
        const double room = GlyphRoom(f.height, f.cell) + std::abs(static_cast<double>(text.width));
        b.Add(b.x1 - room, b.y1 - room);
        b.Add(b.x2 + room, b.y2 + room);
        box.Add(b);
    });
    return !box.Empty();
}

double WirePenReach()
{
    return std::abs(static_cast<double>(Table(kLineWidth)->longs[0]));
}

Box JunctionReachBox(const Junction& junction)
{
    Box box;
    box.Add(static_cast<double>(junction.x) - kBusDotRadius, static_cast<double>(junction.y) - kBusDotRadius);
    box.Add(static_cast<double>(junction.x) + kBusDotRadius, static_cast<double>(junction.y) + kBusDotRadius);
    return box;
}

bool NetReachBox(const Level& level, const Net& net, Box& box)
{
    box = Box{};
    net.nodes.ForEach([&](const Object& o) {
        const Node& node = static_cast<const Node&>(o);
        Pt at;
        if (node.id > 0 && NodeAt(level, node, kSchematicSide, true, at)) box.Add(at.x, at.y);
    });
    return !box.Empty();
}

}  // namespace kernel::draw

using namespace kernel;
using namespace kernel::draw;

// ---- Components ----------------------------------------------------------------------

int32_t C_DrawComponent(int32_t comp) noexcept
{
    return Guard(0, [&]() -> int32_t {
        FlushGuard flush;
        Level* level = CurLevel();
        Sink* out = Out();
        const auto* c = level ? level->components.FindAs<Component>(comp) : nullptr;
        if (!c || !out) return 0;
        DrawComponent(*out, *c, false);
        return 1;
    });
}

namespace {

// The ids (ascending) of the objects whose reach in the index of `kind`
// meets the part of the page a sink keeps, widened by `widen` (database
// units); false when the sink keeps its whole device (or has none): the
// caller then walks every object. Ascending ids are the order of the walks.
bool IdsInRegion(const Sink& sink, IndexKind kind, double widen, std::vector<int32_t>& ids)
{
    Box area;
    if (!sink.Region(area)) return false;
    area.x1 -= widen;
    area.y1 -= widen;
    area.x2 += widen;
    area.y2 += widen;
    return IdsMeeting(kind, area, ids);
}

std::vector<int32_t>& RegionIds()
{
    static std::vector<int32_t> ids;
    return ids;
}

}  // namespace

int32_t C_DrawAllComponents(int32_t mask) noexcept
{
    return Guard(0, [&]() -> int32_t {
        FlushGuard flush;
        Level* level = CurLevel();
        Sink* out = Out();
        if (!level || !out) return 0;
        int32_t drawn = 0;
        auto draw = [&](const Component& c) {
            if (c.id <= 0 || c.page != level->curPage || !Takes(c.status, mask)) return;
            if (!CompShown(*out, c)) return;
            DrawComponent(*out, c, true);
            ++drawn;
        };
        std::vector<int32_t>& ids = RegionIds();
        if (IdsInRegion(*out, kCompReach, 0, ids)) {
            for (int32_t id : ids)
                if (const auto* c = level->components.FindAs<Component>(id)) draw(*c);
            return drawn;
        }
        level->components.ForEach([&](const Object& o) { draw(static_cast<const Component&>(o)); });
        return drawn;
    });
}

int32_t C_DrawCompText(int32_t comp, int32_t index) noexcept
{
    return Guard(0, [&]() -> int32_t {
        FlushGuard flush;
        Level* level = CurLevel();
        Sink* out = Out();
        const auto* c = level ? level->components.FindAs<Component>(comp) : nullptr;
        const Item* text = c ? c->texts.AtAs<Item>(index) : nullptr;
        if (!text || !out) return 0;
        DrawItem(*out, *text, PlacementOf(*c), CompTextCategory(*text), false);
        return 1;
    });
}

// ---- Wires ------------------------------------------------------------------------------

namespace {

Branch* CurBranch(int32_t branch)
{
    Level* level = CurLevel();
    return level ? level->branches.FindAs<Branch>(branch) : nullptr;
}

}  // namespace

int32_t B_DrawAllBranchMask(int32_t value, int32_t mask, int32_t textMask) noexcept
{
    return Guard(0, [&]() -> int32_t {
        FlushGuard flush;
        Level* level = CurLevel();
        Sink* out = Out();
        if (!level || !out) return 0;
        int32_t drawn = 0;
        auto draw = [&](Branch& b) {
            if (b.page != level->curPage || (b.status & mask) != value) return;
            DrawSegments(*out, *level, b, 1, std::numeric_limits<int32_t>::max(), -1, WirePaint(b, true));
            DrawBranchTexts(*out, b, textMask, true);
            ++drawn;
        };
        std::vector<int32_t>& ids = RegionIds();
        if (IdsInRegion(*out, kBranchReach, WirePenReach(), ids)) {
            for (int32_t id : ids)
                if (auto* b = level->branches.FindAs<Branch>(id)) draw(*b);
            return drawn;
        }
        level->branches.ForEach([&](const Object& o) { draw(const_cast<Branch&>(static_cast<const Branch&>(o))); });
        return drawn;
    });
}

int32_t B_DrawAllRecords(int32_t branch, int32_t recordMask) noexcept
{
    return Guard(0, [&]() -> int32_t {
        FlushGuard flush;
        Branch* b = CurBranch(branch);
        Sink* out = Out();
        if (!b || !out) return 0;
        DrawSegments(*out, *CurLevel(), *b, 1, std::numeric_limits<int32_t>::max(), recordMask, WirePaint(*b, false));
        return 1;
    });
}

int32_t B_DrawRecords(int32_t branch, int32_t first, int32_t count) noexcept
{
    return Guard(0, [&]() -> int32_t {
        FlushGuard flush;
        Branch* b = CurBranch(branch);
        Sink* out = Out();
        if (!b || !out) return 0;
        const int64_t last = count < 0 ? std::numeric_limits<int32_t>::max() : int64_t{first} + count - 1;
        DrawSegments(*out, *CurLevel(), *b, first,
                     static_cast<int32_t>(std::min<int64_t>(last, std::numeric_limits<int32_t>::max())), -1,
                     WirePaint(*b, false));
        return 1;
    });
}

int32_t B_DrawAllJunctions(int32_t branch, int32_t recordMask) noexcept
{
    return Guard(0, [&]() -> int32_t {
        FlushGuard flush;
        Branch* b = CurBranch(branch);
        Sink* out = Out();
        if (!b || !out) return 0;
        Level* level = CurLevel();
        int32_t taken = 0;
        for (const BranchPoint& p : b->points) {
            if ((p.flags & 6) != 4 || !Takes(p.flags, recordMask)) continue;
            if (const auto* j = level->junctions.FindAs<Junction>(p.ref)) {
                DrawJunction(*out, *j, false);
                ++taken;
            }
        }
        return taken;
    });
}

int32_t B_DrawBranchAllTexts(int32_t branch, int32_t mask) noexcept
{
    return Guard(0, [&]() -> int32_t {
        FlushGuard flush;
        Branch* b = CurBranch(branch);
        Sink* out = Out();
        if (!b || !out) return 0;
        int32_t drawn = 0;
        b->texts.ForEach([&](const Object& o) { drawn += Takes(o.status, mask) ? 1 : 0; });
        DrawBranchTexts(*out, *b, mask, false);
        return drawn;
    });
}

int32_t B_DrawBranchText(int32_t branch, int32_t index) noexcept
{
    return Guard(0, [&]() -> int32_t {
        FlushGuard flush;
        Branch* b = CurBranch(branch);
        Sink* out = Out();
        const Item* text = b ? b->texts.AtAs<Item>(index) : nullptr;
        if (!text || !out) return 0;
        DrawItem(*out, *text, Placement{}, BranchTextCategory(*text), false);
        return 1;
    });
}

int32_t B_ReachBox(int32_t branch, int32_t* rect) noexcept
{
    return Guard(0, [&]() -> int32_t {
        StoreRect(Box{}, rect);
        const Branch* b = CurBranch(branch);
        Box box;
        if (!b || !rect || !BranchReachBox(*CurLevel(), *b, box)) return 0;
        const double pen = WirePenReach();
        box.Add(box.x1 - pen, box.y1 - pen);
        box.Add(box.x2 + pen, box.y2 + pen);
        StoreRect(box, rect);
        return 1;
    });
}

// ---- Junctions ------------------------------------------------------------------------

int32_t J_DrawJunction(int32_t junction) noexcept
{
    return Guard(0, [&]() -> int32_t {
        FlushGuard flush;
        Level* level = CurLevel();
        Sink* out = Out();
        const auto* j = level ? level->junctions.FindAs<Junction>(junction) : nullptr;
        if (!j || !out) return 0;
        DrawJunction(*out, *j, false);
        return 1;
    });
}

int32_t J_DrawAllJunctions(int32_t mask) noexcept
{
    return Guard(0, [&]() -> int32_t {
        FlushGuard flush;
        Level* level = CurLevel();
        Sink* out = Out();
        if (!level || !out) return 0;
        int32_t taken = 0;
        auto draw = [&](const Junction& j) {
            if (j.page != level->curPage || !Takes(j.status, mask)) return;
            DrawJunction(*out, j, true);
            ++taken;
        };
        std::vector<int32_t>& ids = RegionIds();
        if (IdsInRegion(*out, kJunctionReach, 0, ids)) {
            for (int32_t id : ids)
                if (const auto* j = level->junctions.FindAs<Junction>(id)) draw(*j);
            return taken;
        }
        level->junctions.ForEach([&](const Object& o) { draw(static_cast<const Junction&>(o)); });
        return taken;
    });
}

// ---- Nodes and ratsnest -----------------------------------------------------------------

int32_t N_DrawAllNodes(int32_t mask) noexcept
{
    return Guard(0, [&]() -> int32_t {
        FlushGuard flush;
        Level* level = CurLevel();
        Sink* out = Out();
        if (!level || !out) return 0;
        int32_t drawn = 0;
        level->nets.ForEach([&](const Object& o) {
            drawn += DrawNetNodes(*out, *level, static_cast<const Net&>(o), mask, true);
        });
        return drawn;
    });
}

int32_t N_DrawNetNodes(int32_t net, int32_t mask) noexcept
{
    return Guard(0, [&]() -> int32_t {
        FlushGuard flush;
        Level* level = CurLevel();
        Sink* out = Out();
        const Net* n = level ? level->nets.FindAs<Net>(net) : nullptr;
        if (!n || !out) return 0;
        return DrawNetNodes(*out, *level, *n, mask, false);
    });
}

int32_t N_DrawNetRatsnest(int32_t net, int32_t withWires, int32_t ratsnest) noexcept
{
    return Guard(0, [&]() -> int32_t {
        FlushGuard flush;
        Level* level = CurLevel();
        Sink* out = Out();
        const Net* n = level ? level->nets.FindAs<Net>(net) : nullptr;
        if (!n || !out) return 0;
        if (withWires) {
            level->branches.ForEach([&](const Object& o) {
                Branch& b = const_cast<Branch&>(static_cast<const Branch&>(o));
                if (b.page != level->curPage || (b.status & 2) || b.net != net) return;
                DrawSegments(*out, *level, b, 1, std::numeric_limits<int32_t>::max(), -1, WirePaint(b, true));
            });
            DrawNetNodes(*out, *level, *n, -1, true);
        }
        if (ratsnest) DrawRatsnest(*out, *level, *n, true);
        return 1;
    });
}

// ---- Symbols, items, layout texts ----------------------------------------------------------

int32_t S_DrawSymbol(int32_t symbol, int32_t selector, int32_t entries) noexcept
{
    return Guard(0, [&]() -> int32_t {
        FlushGuard flush;
        const Symbol* s = FindSymbol(symbol);
        Sink* out = Out();
        if (!s || !out) return 0;
        const Placement placement = PlacementFrame();
        int32_t drawn = 0;
        s->items.ForEach([&](const Object& o) {
            const Item& item = static_cast<const Item&>(o);
            if (!Selects(item.status, selector)) return;
            DrawItem(*out, item, placement, DefaultItemCategory(*s, item), true);
            ++drawn;
        });
        if (entries) {
            DrawEntryNames(*out, *s, placement, true);
            if (s->status & 2) DrawPads(*out, *s, placement, true);
        }
        return drawn;
    });
}

int32_t S_DrawItem(int32_t symbol, int32_t index) noexcept
{
    return Guard(0, [&]() -> int32_t {
        FlushGuard flush;
        const Symbol* s = FindSymbol(symbol);
        Sink* out = Out();
        const Item* item = s ? s->items.AtAs<Item>(index) : nullptr;
        if (!item || !out) return 0;
        DrawItem(*out, *item, PlacementFrame(), DefaultItemCategory(*s, *item), false);
        return 1;
    });
}

int32_t T_DrawLayoutText(int32_t index) noexcept
{
    return Guard(0, [&]() -> int32_t {
        FlushGuard flush;
        Level* level = CurLevel();
        Sink* out = Out();
        const Item* text = level ? level->layoutTexts.AtAs<Item>(index) : nullptr;
        if (!text || !out) return 0;
        DrawItem(*out, *text, Placement{}, kCatItems, false);
        return 1;
    });
}
