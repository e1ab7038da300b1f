#include "platform/kernel/hit_index.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace kernel::draw {

// ---- The grid ---------------------------------------------------------------------

void Grid::Build(const std::vector<Shape>& shapes)
{
    cells_.clear();
    big_.clear();
    Box all;
    size_t live = 0;
    for (const Shape& s : shapes) {
        all.Add(s.box);
        if (!s.box.Empty()) ++live;
    }
    side_ = 0;
    if (all.Empty()) return;
    side_ = std::clamp(static_cast<int>(std::ceil(std::sqrt(static_cast<double>(live)))), 1, 256);
    x0_ = all.x1;
    y0_ = all.y1;
    cell_ = std::max(all.x2 - all.x1, all.y2 - all.y1) / side_ + 1.0;
    cells_.assign(static_cast<size_t>(side_) * side_, {});
    for (size_t i = 0; i < shapes.size(); ++i)
        if (!shapes[i].box.Empty()) Insert(static_cast<uint32_t>(i), shapes[i].box);
}

int Grid::Cell(double d) const
{
    return std::clamp(static_cast<int>(std::floor(d / cell_)), 0, side_ - 1);
}

bool Grid::Cells(const Box& b, int& cx1, int& cy1, int& cx2, int& cy2) const
{
    if (side_ == 0) return false;
    cx1 = Cell(b.x1 - x0_);
    cx2 = Cell(b.x2 - x0_);
    cy1 = Cell(b.y1 - y0_);
    cy2 = Cell(b.y2 - y0_);
    // Boxes over many cells (a page frame) are looked at every time.
    return (cx2 - cx1 + 1) * (cy2 - cy1 + 1) <= 64;
}

void Grid::Insert(uint32_t slot, const Box& box)
{
    int cx1, cy1, cx2, cy2;
    if (!Cells(box, cx1, cy1, cx2, cy2)) {
        big_.push_back(slot);
        return;
    }
    for (int cy = cy1; cy <= cy2; ++cy)
        for (int cx = cx1; cx <= cx2; ++cx) cells_[static_cast<size_t>(cy) * side_ + cx].push_back(slot);
}

void Grid::Remove(uint32_t slot, const Box& box)
{
    auto drop = [slot](std::vector<uint32_t>& list) {
        auto it = std::find(list.begin(), list.end(), slot);
        if (it == list.end()) return;
        *it = list.back();
        list.pop_back();
    };
    int cx1, cy1, cx2, cy2;
    if (!Cells(box, cx1, cy1, cx2, cy2)) {
        drop(big_);
        return;
    }
    for (int cy = cy1; cy <= cy2; ++cy)
        for (int cx = cx1; cx <= cx2; ++cx) drop(cells_[static_cast<size_t>(cy) * side_ + cx]);
}

// ---- The index --------------------------------------------------------------------

void Index::Clear()
{
    built = false;
    shapes.clear();
    freeSlots.clear();
    slotsOf.clear();
    nodeRefs.clear();
    junctionRefs.clear();
    netNodes.clear();
}

void Index::Add(Shape shape)
{
    uint32_t slot;
    if (!freeSlots.empty()) {
        slot = freeSlots.back();
        freeSlots.pop_back();
    } else {
        slot = static_cast<uint32_t>(shapes.size());
        shapes.emplace_back();
    }
    slotsOf[shape.id].push_back(slot);
    shapes[slot] = std::move(shape);
    if (built) grid.Insert(slot, shapes[slot].box);
}

void Index::RemoveAll(int32_t id)
{
    auto it = slotsOf.find(id);
    if (it == slotsOf.end()) return;
    for (uint32_t slot : it->second) {
        grid.Remove(slot, shapes[slot].box);
        shapes[slot] = Shape{};
        freeSlots.push_back(slot);
    }
    slotsOf.erase(it);
}

namespace {

Index& IndexOf(IndexKind kind)
{
    static Index indexes[kIndexKinds];
    return indexes[kind];
}

void AddOnce(std::vector<int32_t>& list, int32_t id)
{
    if (std::find(list.begin(), list.end(), id) == list.end()) list.push_back(id);
}

// ---- The shapes of one object --------------------------------------------------------

// Makes `s` the empty shape of object `id`, keeping its vectors' memory.
void ClearShape(Shape& s, int32_t id)
{
    s.id = id;
    s.extra = 0;
    s.box = Box{};
    s.figures.clear();
    s.points.clear();
    s.entries.clear();
}

// The figures and entry points of a component of the current page, at its
// placement; nothing for a component the walks pass by.
template <class OnFigure, class OnEntry>
void ForEachCompPart(const Level& level, const Component& c, OnFigure&& onFigure, OnEntry&& onEntry)
{
    if (c.id <= 0 || c.page != level.curPage) return;
    const Placement placement = PlacementOf(c);
    if (const Symbol* symbol = FindSymbol(c.symb)) {
        ForEachCompItem(*symbol, placement, [&](const Item&, const Figure& f) { onFigure(f); });
        ForEachEntryPoint(*symbol, placement, onEntry);
    }
}

// The shape of a component of the current page (its items and entries) in
// `s`, whose vectors are reused; false when it has none.
bool CompShape(const Level& level, const Component& c, Shape& s)
{
    ClearShape(s, c.id);
    ForEachCompPart(
        level, c,
        [&](const Figure& f) {
            s.figures.push_back(f);
            s.box.Add(FigureBox(f));
        },
        [&](const EntryPoint& e) {
            s.entries.emplace_back(e.number, e.at);
            s.box.Add(e.at.x, e.at.y);
        });
    return !s.box.Empty();
}

// The box CompShape gives a component, without keeping its figures and
// entries.
bool CompBox(const Level& level, const Component& c, Box& box)
{
    box = Box{};
    ForEachCompPart(
        level, c, [&](const Figure& f) { box.Add(FigureBox(f)); },
        [&](const EntryPoint& e) { box.Add(e.at.x, e.at.y); });
    return !box.Empty();
}

// The shape of a wire of the current page (its points) in `s`, whose
// vectors are reused; false when it has none.
bool BranchShape(const Level& level, Branch& b, Shape& s)
{
    ClearShape(s, b.id);
    if (b.page != level.curPage) return false;
    BranchPoints(level, b, s.points);
    for (const Pt& p : s.points) s.box.Add(p.x, p.y);
    return !s.box.Empty();
}

void AddComp(const Level& level, const Component& c, Index& index, bool texts)
{
    if (c.id <= 0 || c.page != level.curPage) return;
    const Placement placement = PlacementOf(c);
    if (texts) {
        int32_t n = 0;
        c.texts.ForEach([&](const Object& t) {
            ++n;
            Shape s;
            s.id = c.id;
            s.extra = n;
            s.figures.push_back(ItemFigure(static_cast<const Item&>(t), placement));
            s.box = FigureBox(s.figures.back());
            if (!s.box.Empty()) index.Add(std::move(s));
        });
        return;
    }
    Shape s;
    if (CompShape(level, c, s)) index.Add(std::move(s));
}

void AddBranch(const Level& level, Branch& b, Index& index, bool texts)
{
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
            if (!s.box.Empty()) index.Add(std::move(s));
        });
        return;
    }
    // The wire moves with what its records refer to.
    for (const BranchPoint& p : b.points) {
        const int32_t kind = p.flags & BranchPoint::kKindBits;
        if (kind == 2) AddOnce(index.nodeRefs[p.ref], b.id);
        if (kind == 4) AddOnce(index.junctionRefs[p.ref], b.id);
    }
    Shape s;
    if (BranchShape(level, b, s)) index.Add(std::move(s));
}

// A component's or wire's reach box (drawing's indexes). A wire's records
// are noted as for kBranches, so that the wires on what moved are found.
void AddCompReach(const Level& level, const Component& c, Index& index)
{
    if (c.id <= 0 || c.page != level.curPage) return;
    Shape s;
    s.id = c.id;
    s.box = CompReachBox(c);
    index.Add(std::move(s));
}

void AddBranchReach(const Level& level, Branch& b, Index& index)
{
    if (b.page != level.curPage) return;
    for (const BranchPoint& p : b.points) {
        const int32_t kind = p.flags & BranchPoint::kKindBits;
        if (kind == 2) AddOnce(index.nodeRefs[p.ref], b.id);
        if (kind == 4) AddOnce(index.junctionRefs[p.ref], b.id);
    }
    Shape s;
    s.id = b.id;
    if (BranchReachBox(level, b, s.box)) index.Add(std::move(s));
}

void AddJunctionReach(const Level& level, const Junction& j, Index& index)
{
    if (j.page != level.curPage) return;
    Shape s;
    s.id = j.id;
    s.box = JunctionReachBox(j);
    index.Add(std::move(s));
}

void AddJunction(const Level& level, const Junction& j, Index& index)
{
    if (j.id <= 0 || j.page != level.curPage) return;
    Shape s;
    s.id = j.id;
    s.points.push_back(Pt{j.x, j.y});
    s.box.Add(j.x, j.y);
    index.Add(std::move(s));
}

void AddNode(const Level& level, const Node& node, int32_t net, Index& index)
{
    Pt at;
    if (node.id <= 0 || !NodeAt(level, node, NodeView(), true, at)) return;
    Shape s;
    s.id = node.id;
    s.extra = net;
    s.points.push_back(at);
    s.box.Add(at.x, at.y);
    AddOnce(index.netNodes[net], node.id);
    index.Add(std::move(s));
}

// ---- Building from every object ------------------------------------------------------

void Build(IndexKind kind, Level& level, Index& index)
{
    index.Clear();
    switch (kind) {
    case kComps:
    case kCompTexts:
        level.components.ForEach(
            [&](const Object& o) { AddComp(level, static_cast<const Component&>(o), index, kind == kCompTexts); });
        break;
    case kBranches:
    case kBranchTexts:
        level.branches.ForEach(
            [&](Object& o) { AddBranch(level, static_cast<Branch&>(o), index, kind == kBranchTexts); });
        break;
    case kJunctions:
        level.junctions.ForEach([&](const Object& o) { AddJunction(level, static_cast<const Junction&>(o), index); });
        break;
    case kCompReach:
        level.components.ForEach([&](const Object& o) { AddCompReach(level, static_cast<const Component&>(o), index); });
        break;
    case kBranchReach:
        level.branches.ForEach([&](Object& o) { AddBranchReach(level, static_cast<Branch&>(o), index); });
        break;
    case kJunctionReach:
        level.junctions.ForEach(
            [&](const Object& o) { AddJunctionReach(level, static_cast<const Junction&>(o), index); });
        break;
    case kNodes:
        level.nets.ForEach([&](const Object& o) {
            const Net& net = static_cast<const Net&>(o);
            net.nodes.ForEach([&](const Object& n) { AddNode(level, static_cast<const Node&>(n), net.id, index); });
        });
        break;
    default: break;
    }
    index.grid.Build(index.shapes);
    index.builtShapes = index.shapes.size();
    index.built = true;
}

// ---- Following the level's log -------------------------------------------------------

// The objects on the level changed since an epoch, by kind.
struct Touched {
    std::vector<int32_t> comps, layComps, branches, junctions, nets;
};

// Reads the log after `since`; false when it names a change the indexes
// cannot follow object by object.
bool ReadLog(const Level& level, uint64_t since, Touched& t)
{
    for (auto it = level.geometryLog.rbegin(); it != level.geometryLog.rend() && it->epoch > since; ++it) {
        switch (it->kind) {
        case Kind::Component: AddOnce(t.comps, it->id); break;
        case Kind::LayComp: AddOnce(t.layComps, it->id); break;
        case Kind::Branch: AddOnce(t.branches, it->id); break;
        case Kind::Junction: AddOnce(t.junctions, it->id); break;
        case Kind::Net: AddOnce(t.nets, it->id); break;
        // What no index shows and nothing shown hangs on.
        case Kind::Bus:
        case Kind::Trace:
        case Kind::Via:
        case Kind::BendPoint:
        case Kind::File:
        case Kind::Item: break;
        default: return false;
        }
    }
    return true;
}

// The nodes of a net as it is now.
template <class F>
void ForEachNodeOf(const Level& level, int32_t net, F&& f)
{
    if (const auto* n = level.nets.FindAs<Net>(net))
        n->nodes.ForEach([&](const Object& node) { f(static_cast<const Node&>(node)); });
}

// Takes out the shapes of `ids` and adds them again from the objects as they
// are now (none for an object that has gone).
template <class Add>
void Refresh(Index& index, const std::vector<int32_t>& ids, Add&& add)
{
    for (int32_t id : ids) {
        index.RemoveAll(id);
        add(id);
    }
}

bool Follow(IndexKind kind, Level& level, Index& index, uint64_t since)
{
    Touched t;
    if (!ReadLog(level, since, t)) return false;
    switch (kind) {
    case kComps:
    case kCompTexts:
        Refresh(index, t.comps, [&](int32_t id) {
            if (const auto* c = level.components.FindAs<Component>(id)) AddComp(level, *c, index, kind == kCompTexts);
        });
        break;
    case kBranchTexts:
        Refresh(index, t.branches, [&](int32_t id) {
            if (auto* b = level.branches.FindAs<Branch>(id)) AddBranch(level, *b, index, true);
        });
        break;
    case kJunctions:
        Refresh(index, t.junctions, [&](int32_t id) {
            if (const auto* j = level.junctions.FindAs<Junction>(id)) AddJunction(level, *j, index);
        });
        break;
    case kJunctionReach:
        Refresh(index, t.junctions, [&](int32_t id) {
            if (const auto* j = level.junctions.FindAs<Junction>(id)) AddJunctionReach(level, *j, index);
        });
        break;
    case kCompReach:
        Refresh(index, t.comps, [&](int32_t id) {
            if (const auto* c = level.components.FindAs<Component>(id)) AddCompReach(level, *c, index);
        });
        break;
    case kBranches:
    case kBranchReach: {
        // The wires changed themselves, and those on what moved: junctions,
        // the pins of components, the nodes of nets.
        std::vector<int32_t> ids = t.branches;
        auto takeRefs = [&](const std::unordered_map<int32_t, std::vector<int32_t>>& refs, int32_t ref) {
            auto it = refs.find(ref);
            if (it != refs.end())
                for (int32_t b : it->second) AddOnce(ids, b);
        };
        for (int32_t j : t.junctions) takeRefs(index.junctionRefs, j);
        for (int32_t c : t.comps)
            for (const Node* node : PinNodes(level, kSchematicSide, c, 0)) takeRefs(index.nodeRefs, node->id);
        for (int32_t n : t.nets) ForEachNodeOf(level, n, [&](const Node& node) { takeRefs(index.nodeRefs, node.id); });
        Refresh(index, ids, [&](int32_t id) {
            auto* b = level.branches.FindAs<Branch>(id);
            if (!b) return;
            if (kind == kBranches) AddBranch(level, *b, index, false);
            else AddBranchReach(level, *b, index);
        });
        break;
    }
    case kNodes: {
        // The nodes on the pins of what moved and the nodes of changed nets,
        // as they were shown and as they are now.
        const int side = NodeView();
        std::vector<int32_t> ids;
        for (int32_t ref : side == kSchematicSide ? t.comps : t.layComps)
            for (const Node* node : PinNodes(level, side, ref, 0)) AddOnce(ids, node->id);
        for (int32_t n : t.nets) {
            auto it = index.netNodes.find(n);
            if (it != index.netNodes.end())
                for (int32_t id : it->second) AddOnce(ids, id);
            ForEachNodeOf(level, n, [&](const Node& node) { AddOnce(ids, node.id); });
        }
        Refresh(index, ids, [&](int32_t id) {
            const Node* node = level.FindNode(id);
            const Object* net = node ? OwnerOf(*node) : nullptr;
            if (net && net->kind == Kind::Net) AddNode(level, *node, net->id, index);
        });
        break;
    }
    default: return false;
    }
    // Many more shapes than the grid was laid out for: lay it out again.
    return index.shapes.size() <= 2 * index.builtShapes + 256;
}

// The stamp of an index of `kind` for the level as it is now. Components,
// their texts, wires (their ends lie on component entries) and nodes are
// drawn from symbols, so they follow the design-wide epoch as well.
Stamp StampOf(IndexKind kind, const Database& db, const Level& level)
{
    Stamp stamp;
    stamp.levelSerial = level.serial;
    stamp.levelEpoch = level.geometryEpoch;
    stamp.page = level.curPage;
    switch (kind) {
    case kComps:
    case kCompTexts:
    case kBranches:
    case kCompReach:
    case kBranchReach: stamp.designEpoch = db.geometryEpoch; break;
    case kNodes:
        stamp.designEpoch = db.geometryEpoch;
        stamp.nodeView = NodeView();
        break;
    default: break;
    }
    return stamp;
}

}  // namespace

namespace {

// What Update does when a build from every object is due.
enum class WhenDue {
    Build,
    PutOffOnce,  // put off once per change that made it due (null result)
    Give,        // null, the index left as it is
};

// Brings the index up to date, building it from every object when due as
// `due` says.
const Index* Update(IndexKind kind, WhenDue whenDue)
{
    Database* db = Db();
    Level* level = db ? db->CurLevel() : nullptr;
    if (!level) return nullptr;
    Index& index = IndexOf(kind);
    const Stamp stamp = StampOf(kind, *db, *level);
    if (index.built && index.stamp == stamp) return &index;
    Stamp old = index.stamp;
    old.levelEpoch = stamp.levelEpoch;
    const bool follows = index.built && old == stamp && index.stamp.levelEpoch >= level->geometryLogFrom;
    if (follows && Follow(kind, *level, index, index.stamp.levelEpoch)) {
        index.stamp = stamp;
        return &index;
    }
    if (whenDue == WhenDue::Give) {
        // The follow above may have changed some shapes: build next time.
        if (follows) index.built = false;
        return nullptr;
    }
    // The change that made the build due: the state with the epoch at which
    // the log starts (it moves on with every change the log cannot follow).
    Stamp due = stamp;
    due.levelEpoch = level->geometryLogFrom;
    if (whenDue == WhenDue::PutOffOnce && !(index.putOff && index.putOffAt == due)) {
        // The follow above may have changed some shapes: build next time.
        index.built = false;
        index.putOff = true;
        index.putOffAt = due;
        return nullptr;
    }
    Build(kind, *level, index);
    index.stamp = stamp;
    return &index;
}

}  // namespace

const Index* Current(IndexKind kind)
{
    return Update(kind, WhenDue::Build);
}

const Index* CurrentOrWalk(IndexKind kind, bool& walk)
{
    const Index* index = Update(kind, kind == kComps || kind == kBranches ? WhenDue::PutOffOnce : WhenDue::Build);
    walk = !index && CurLevel() != nullptr;
    return index;
}

const Index* CurrentIfFollows(IndexKind kind)
{
    return Update(kind, WhenDue::Give);
}

bool IdsMeeting(IndexKind kind, const Box& area, std::vector<int32_t>& ids)
{
    ids.clear();
    const Index* index = Current(kind);
    if (!index) return false;
    if (area.Empty()) return true;
    index->grid.Query(area.x1, area.y1, area.x2, area.y2, index->shapes.size(), [&](uint32_t slot) {
        const Box& b = index->shapes[slot].box;
        if (!b.Empty() && b.x1 <= area.x2 && b.x2 >= area.x1 && b.y1 <= area.y2 && b.y2 >= area.y1)
            ids.push_back(index->shapes[slot].id);
    });
    std::sort(ids.begin(), ids.end());
    ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
    return true;
}

void WiresReferring(const std::vector<int32_t>& nodes, const std::vector<int32_t>& junctions,
                    std::vector<int32_t>& wires)
{
    if (nodes.empty() && junctions.empty()) return;
    Level* level = CurLevel();
    if (!level) return;
    if (const Index* index = CurrentIfFollows(kBranchReach)) {
        // The index keeps every wire that ever referred to them since its
        // build; those that no longer do are taken as well.
        auto take = [&](const std::unordered_map<int32_t, std::vector<int32_t>>& refs, int32_t ref) {
            auto it = refs.find(ref);
            if (it != refs.end())
                for (int32_t b : it->second) AddOnce(wires, b);
        };
        for (int32_t n : nodes) take(index->nodeRefs, n);
        for (int32_t j : junctions) take(index->junctionRefs, j);
        return;
    }
    // Wires of other pages refer to nothing shown here, but a walk takes
    // them all the same: the caller looks at the page.
    level->branches.ForEach([&](const Object& o) {
        const auto& b = static_cast<const Branch&>(o);
        for (const BranchPoint& p : b.points) {
            const int32_t kind = p.flags & BranchPoint::kKindBits;
            const std::vector<int32_t>* refs = kind == 2 ? &nodes : kind == 4 ? &junctions : nullptr;
            if (refs && std::find(refs->begin(), refs->end(), p.ref) != refs->end()) {
                AddOnce(wires, b.id);
                return;
            }
        }
    });
}

void ForEachShape(IndexKind kind, const std::function<void(const Shape&)>& f)
{
    Level* level = CurLevel();
    if (!level) return;
    Shape s;
    if (kind == kComps)
        level->components.ForEach([&](const Object& o) {
            if (CompShape(*level, static_cast<const Component&>(o), s)) f(s);
        });
    else if (kind == kBranches)
        level->branches.ForEach([&](Object& o) {
            if (BranchShape(*level, static_cast<Branch&>(o), s)) f(s);
        });
}

void ForEachCompBox(const std::function<void(int32_t, const Box&)>& f)
{
    Level* level = CurLevel();
    if (!level) return;
    Box box;
    level->components.ForEach([&](const Object& o) {
        if (CompBox(*level, static_cast<const Component&>(o), box)) f(o.id, box);
    });
}

// ---- Distances ---------------------------------------------------------------------

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

}  // namespace kernel::draw
