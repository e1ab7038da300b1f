// A design source into the kernel: first every check, then the build.
#include "tools/sources/source_builder.h"

#include "editor/objects/hier_records.h"
#include "platform/kernel/nvokernel32.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <map>
#include <set>
#include <tuple>

namespace nvo_sources {

namespace {

constexpr size_t kNone = std::numeric_limits<size_t>::max();

// Kernel flag values the editor uses for what the design holds.
constexpr int32_t kCompFlags = 1;         // drawn; Or 2 when mirrored
constexpr int32_t kNetFlags = 1 | 4;      // accepted, named
constexpr int32_t kPowerNetFlags = 7;     // accepted, power/ground, named
constexpr int32_t kBusFlags = 1 | 4;      // set at creation, named
constexpr int32_t kWireFlags = 1;         // net wire
constexpr int32_t kBusWireFlags = 3;      // bus wire: Net is a bus id
constexpr int32_t kFrameFlags = 4;        // page frame
constexpr int32_t kNodeRecord = 3;        // drawn segment, Ref is a node
constexpr int32_t kJunctionRecord = 5;    // drawn segment, Ref is a junction
constexpr int32_t kFramePoint = 3;        // junction type of frame corners and wire bends
constexpr int32_t kNetJunction = 11;      // net wires meet here (dot)
constexpr int32_t kBusPoint = 5;
constexpr int32_t kBusJunction = 15;
constexpr int32_t kRefTextFlags = 130;    // component name text
constexpr int32_t kValueTextFlags = 132;  // component description text
constexpr int32_t kPinTextFlags = 144;    // pin-number text, Link = entry
constexpr int32_t kWireTextLayer = 44;
constexpr int32_t kHierTextFlags = 32;    // hierarchy attribute and port texts (hidden: size 0)
constexpr int32_t kHierTextLayer = 32;

struct DesignError {
    SourcePos pos;
    std::string message;
};

[[noreturn]] void Fail(const SourcePos& pos, const std::string& message)
{
    throw DesignError{pos, message};
}

std::string Q(const std::string& s)
{
    return "'" + s + "'";
}

std::string At(const SourcePos& pos)
{
    return "line " + std::to_string(pos.line);
}

std::string Pos(int32_t x, int32_t y)
{
    return "(" + std::to_string(x) + " " + std::to_string(y) + ")";
}

// The page position of a symbol point under a component's placement:
// mirror, rotate counter-clockwise, move.
std::pair<int32_t, int32_t> Place(const ComponentDef& c, int32_t x, int32_t y)
{
    double px = c.mirror ? -static_cast<double>(x) : x;
    double py = y;
    const double a = c.angle / 1000.0 * M_PI / 180.0;
    const double rx = px * std::cos(a) - py * std::sin(a);
    const double ry = px * std::sin(a) + py * std::cos(a);
    return {static_cast<int32_t>(std::llround(rx + c.x)), static_cast<int32_t>(std::llround(ry + c.y))};
}

// ---- The plan: everything checked and resolved before the kernel is touched ----------

struct CompPlan {
    const ComponentDef* def = nullptr;
    size_t page = 0;
    std::string name;  // kernel name: "R1/1" for a gate of a device, the name itself otherwise
    const SymbolDef* symbol = nullptr;
    const DeviceDef* device = nullptr;
    int32_t group = 0;
    int32_t id = 0;
};

struct RefPlan {
    SourcePos pos;
    const DeviceDef* device = nullptr;  // null: a symbol-only component
    std::map<int32_t, size_t> gates;    // group number -> component
    size_t comp = kNone;                // symbol-only component
    int32_t layId = 0;
};

struct NodePlan {
    SourcePos pos;
    size_t comp = kNone;  // kNone: a supply pin, layout side only
    int32_t entry = 0;
    std::string ref;      // device reference: the layout side
    int32_t pin = 0;
    int32_t id = 0;
    bool wired = false;
};

struct NetPlan {
    SourcePos pos;
    std::string name;
    int32_t flags = kNetFlags;
    bool declared = false;
    std::vector<NodePlan> nodes;
    int32_t id = 0;
};

struct BusPlan {
    const BusDef* def = nullptr;
    std::vector<size_t> members;  // net indexes
    int32_t id = 0;
};

struct JunctionPlan {
    SourcePos pos;
    size_t page = 0;
    int32_t x = 0;
    int32_t y = 0;
    bool bus = false;
    std::string owner;
    int segments = 0;
    int32_t id = 0;
};

struct RecordPlan {
    bool node = false;
    size_t index = 0;  // node index in the net, or junction index
};

struct WirePlan {
    const WireDef* def = nullptr;
    size_t page = 0;
    size_t owner = 0;  // net or bus index
    std::vector<RecordPlan> records;
};

struct LevelPlan {
    const LevelDef* def = nullptr;
    std::vector<CompPlan> comps;
    std::map<std::string, RefPlan> refs;
    std::vector<NetPlan> nets;
    std::map<std::string, size_t> netIndex;
    std::map<std::tuple<size_t, int32_t, std::string, int32_t>, std::pair<size_t, size_t>> nodeIndex;
    std::vector<BusPlan> buses;
    std::map<std::string, size_t> busIndex;
    std::vector<JunctionPlan> junctions;
    std::map<std::tuple<size_t, int32_t, int32_t>, size_t> junctionAt;
    std::vector<WirePlan> wires;
    std::vector<int32_t> pageIds;
    // The root level's "MAINPAGE" when the source names no page so: the
    // template page every new database holds, made by the build.
    int32_t mainPageId = 0;
    int32_t id = 0;
    // A child level: the symbol of the blocks that refer to it (its entries
    // are the ports) and the first such block.
    const SymbolDef* blockSymbol = nullptr;
    const ComponentDef* firstBlock = nullptr;
};

struct Resolved {
    size_t comp = kNone;
    int32_t entry = 0;
    std::string ref;
    int32_t pin = 0;
};

class Planner {
public:
    Planner(const Source& src) : src_(src), lib_(src.library) {}

    std::vector<LevelPlan> Plan()
    {
        const DesignDef& d = *src_.design;
        if (d.levels.empty()) Fail(d.pos, "design " + Q(d.name) + " has no level");
        if (d.levels.size() > 99) Fail(d.levels[99].pos, "a design holds at most 99 levels");
        std::vector<LevelPlan> levels(d.levels.size());
        for (size_t i = 0; i < d.levels.size(); ++i) PlanLevel(d.levels[i], levels[i]);
        for (LevelPlan& level : levels)
            for (const CompPlan& c : level.comps) PlanChild(levels, level, c);
        return levels;
    }

private:
    const Source& src_;
    const Library& lib_;

    // A block's child level is another level of the design, and its ports
    // are the child's nets named like the block's entries. Blocks that share
    // a child level share its ports, so they have one symbol.
    static void PlanChild(std::vector<LevelPlan>& levels, const LevelPlan& own, const CompPlan& cp)
    {
        const ComponentDef& c = *cp.def;
        if (c.child.empty()) return;
        if (c.child == own.def->name)
            Fail(c.pos, "component " + Q(c.ref) + ": the child level " + Q(c.child) + " is its own level");
        const auto child = std::find_if(levels.begin(), levels.end(),
                                        [&](const LevelPlan& level) { return level.def->name == c.child; });
        if (child == levels.end()) Fail(c.pos, "component " + Q(c.ref) + ": no level " + Q(c.child) + " is defined");
        // The name is held by the child's description record.
        if (c.child.size() > 15)
            Fail(c.pos, "component " + Q(c.ref) + ": the child level's name " + Q(c.child) +
                            " is longer than 15 characters");
        if (child->blockSymbol && child->blockSymbol != cp.symbol)
            Fail(c.pos, "component " + Q(c.ref) + ": the level " + Q(c.child) + " is already the child of block " +
                            Q(child->firstBlock->ref) + " (" + At(child->firstBlock->pos) + "), a block of symbol " +
                            Q(child->blockSymbol->name));
        for (const EntryDef& e : cp.symbol->entries) {
            const auto net = child->netIndex.find(e.name);
            if (net == child->netIndex.end())
                Fail(c.pos, "component " + Q(c.ref) + ": the child level " + Q(c.child) + " has no net " + Q(e.name) +
                                " for the entry of that name");
            // The editor removes a net without pins and wires, and a port
            // record naming a removed net makes the ports worthless.
            const bool used = !child->nets[net->second].nodes.empty() ||
                              std::any_of(child->wires.begin(), child->wires.end(), [&](const WirePlan& w) {
                                  return !w.def->bus && w.owner == net->second;
                              });
            if (!used)
                Fail(c.pos, "component " + Q(c.ref) + ": the port net " + Q(e.name) + " of the child level " +
                                Q(c.child) + " has no pin and no wire");
        }
        if (!child->blockSymbol) {
            child->blockSymbol = cp.symbol;
            child->firstBlock = &c;
        }
    }

    void PlanLevel(const LevelDef& def, LevelPlan& lp)
    {
        lp.def = &def;
        if (def.pages.empty()) Fail(def.pos, "level " + Q(def.name) + " has no page");
        for (size_t p = 0; p < def.pages.size(); ++p)
            for (const ComponentDef& c : def.pages[p].components) AddComponent(lp, c, p);
        // Declared nets first, in their order; then the nets that power
        // symbols and supply pins join by name.
        for (const NetDef& n : def.nets) {
            if (lp.netIndex.count(n.name))
                Fail(n.pos, "net " + Q(n.name) + " is already declared (" + At(lp.nets[lp.netIndex[n.name]].pos) + ")");
            lp.netIndex[n.name] = lp.nets.size();
            NetPlan np;
            np.pos = n.pos;
            np.name = n.name;
            np.flags = n.power ? kPowerNetFlags : kNetFlags;
            np.declared = true;
            lp.nets.push_back(np);
        }
        for (size_t i = 0; i < lp.comps.size(); ++i) {
            const CompPlan& c = lp.comps[i];
            if (c.device) continue;
            // A power or ground symbol (named "SPL..." and longer) joins the
            // net named like the symbol with its first entry.
            if (c.symbol->name.size() > 3 && c.symbol->name.compare(0, 3, "SPL") == 0 && !c.symbol->entries.empty())
                AddNode(lp, PowerNet(lp, c.symbol->name, c.def->pos), {i, 1, "", 0}, c.def->pos, "");
        }
        for (const auto& [ref, r] : lp.refs) {
            if (!r.device) continue;
            for (const PinDef& p : r.device->supply)
                AddNode(lp, PowerNet(lp, p.name, r.pos), {kNone, 0, ref, p.number}, r.pos, "");
        }
        for (const NetDef& n : def.nets)
            for (const PinRefDef& pr : n.nodes) {
                const Resolved res = ResolvePin(lp, pr.ref, pr.pin, pr.pos, kNone);
                AddNode(lp, lp.netIndex[n.name], res, pr.pos, pr.ref + "." + pr.pin);
            }
        for (const BusDef& b : def.buses) {
            if (lp.busIndex.count(b.name)) Fail(b.pos, "bus " + Q(b.name) + " is already declared");
            BusPlan bp;
            bp.def = &b;
            for (const std::string& m : b.members) {
                const auto it = lp.netIndex.find(m);
                if (it == lp.netIndex.end()) Fail(b.pos, "bus " + Q(b.name) + ": net " + Q(m) + " is not declared");
                for (const BusPlan& other : lp.buses)
                    for (size_t n : other.members)
                        if (n == it->second)
                            Fail(b.pos, "bus " + Q(b.name) + ": net " + Q(m) + " is already a member of bus " +
                                            Q(other.def->name));
                for (size_t n : bp.members)
                    if (n == it->second) Fail(b.pos, "bus " + Q(b.name) + ": net " + Q(m) + " is named twice");
                bp.members.push_back(it->second);
            }
            lp.busIndex[b.name] = lp.buses.size();
            lp.buses.push_back(bp);
        }
        for (size_t p = 0; p < def.pages.size(); ++p) PlanWires(lp, def.pages[p], p);
        for (const JunctionPlan& j : lp.junctions)
            if (j.segments == 0) Fail(j.pos, "junction at " + Pos(j.x, j.y) + " is on no wire");
    }

    size_t PowerNet(LevelPlan& lp, const std::string& name, const SourcePos& pos)
    {
        const auto it = lp.netIndex.find(name);
        if (it != lp.netIndex.end()) return it->second;
        lp.netIndex[name] = lp.nets.size();
        NetPlan np;
        np.pos = pos;
        np.name = name;
        np.flags = kPowerNetFlags;
        lp.nets.push_back(np);
        return lp.nets.size() - 1;
    }

    void AddComponent(LevelPlan& lp, const ComponentDef& c, size_t page)
    {
        CompPlan cp;
        cp.def = &c;
        cp.page = page;
        auto existing = lp.refs.find(c.ref);
        if (!c.symbol.empty()) {
            if (existing != lp.refs.end())
                Fail(c.pos, "component " + Q(c.ref) + " is already placed (" + At(existing->second.pos) + ")");
            cp.symbol = lib_.FindSymbol(c.symbol);
            if (!cp.symbol) Fail(c.pos, "component " + Q(c.ref) + ": symbol " + Q(c.symbol) + " is not defined");
            if (cp.symbol->layout) Fail(c.pos, "component " + Q(c.ref) + ": " + Q(c.symbol) + " is a layout symbol");
            cp.name = c.ref;
            RefPlan r;
            r.pos = c.pos;
            r.comp = lp.comps.size();
            lp.refs[c.ref] = r;
        } else {
            cp.device = lib_.FindDevice(c.device);
            if (!cp.device) Fail(c.pos, "component " + Q(c.ref) + ": device " + Q(c.device) + " is not defined");
            if (c.gate.empty()) {
                if (cp.device->groups.size() > 1)
                    Fail(c.pos, "component " + Q(c.ref) + ": device " + Q(c.device) + " has " +
                                    std::to_string(cp.device->groups.size()) + " gates; say which one ('gate " +
                                    cp.device->groups[0].name + "')");
                cp.group = 1;
            } else {
                cp.group = cp.device->FindGroup(c.gate);
                if (cp.group == 0) Fail(c.pos, "component " + Q(c.ref) + ": device " + Q(c.device) + " has no gate " + Q(c.gate));
            }
            if (existing == lp.refs.end()) {
                RefPlan r;
                r.pos = c.pos;
                r.device = cp.device;
                existing = lp.refs.emplace(c.ref, r).first;
            } else {
                RefPlan& r = existing->second;
                if (!r.device)
                    Fail(c.pos, "component " + Q(c.ref) + " is already placed as a symbol (" + At(r.pos) + ")");
                if (r.device != cp.device)
                    Fail(c.pos, "component " + Q(c.ref) + " is device " + Q(r.device->name) + " (" + At(r.pos) +
                                    "), not " + Q(c.device));
                if (r.gates.count(cp.group))
                    Fail(c.pos, "gate " + Q(cp.device->groups[cp.group - 1].name) + " of " + Q(c.ref) +
                                    " is already placed (" + At(lp.comps[r.gates[cp.group]].def->pos) + ")");
            }
            cp.symbol = lib_.FindSymbol(cp.device->groups[cp.group - 1].symbol);
            cp.name = c.ref + "/" + std::to_string(cp.group);
            existing->second.gates[cp.group] = lp.comps.size();
        }
        lp.comps.push_back(cp);
    }

    // A pin named "REF.PIN": a package pin number of a device component, or
    // an entry (name or number) of a symbol-only component. `page` is the
    // page of the wire that names it (kNone for a net statement).
    Resolved ResolvePin(LevelPlan& lp, const std::string& ref, const std::string& pin, const SourcePos& pos, size_t page)
    {
        const auto it = lp.refs.find(ref);
        const std::string full = Q(ref + "." + pin);
        if (it == lp.refs.end()) Fail(pos, "pin " + full + ": no component " + Q(ref) + " is placed in level " + Q(lp.def->name));
        const RefPlan& r = it->second;
        Resolved res;
        if (!r.device) {
            const CompPlan& c = lp.comps[r.comp];
            res.comp = r.comp;
            res.entry = c.symbol->FindEntry(pin);
            int32_t n = 0;
            if (res.entry == 0 && ParseInteger(pin, n) && n >= 1 && n <= static_cast<int32_t>(c.symbol->entries.size()))
                res.entry = n;
            if (res.entry == 0) Fail(pos, "pin " + full + ": symbol " + Q(c.symbol->name) + " has no entry " + Q(pin));
        } else {
            int32_t number = 0;
            if (!ParseInteger(pin, number))
                Fail(pos, "pin " + full + ": a pin of a device component is named by its package pin number");
            for (const PinDef& s : r.device->supply)
                if (s.number == number)
                    Fail(pos, "pin " + full + " is a supply pin; it joins net " + Q(s.name) + " by itself");
            for (size_t g = 0; g < r.device->groups.size() && res.entry == 0; ++g)
                for (const PinDef& p : r.device->groups[g].pins)
                    if (p.number == number) {
                        const auto gate = r.gates.find(static_cast<int32_t>(g + 1));
                        if (gate == r.gates.end())
                            Fail(pos, "pin " + full + " belongs to gate " + Q(r.device->groups[g].name) +
                                          ", which is not placed");
                        res.comp = gate->second;
                        res.entry = lp.comps[res.comp].symbol->FindEntry(p.name);
                        res.ref = ref;
                        res.pin = number;
                        break;
                    }
            if (res.entry == 0) Fail(pos, "pin " + full + ": device " + Q(r.device->name) + " has no pin " + Q(pin));
        }
        if (page != kNone && lp.comps[res.comp].page != page)
            Fail(pos, "pin " + full + " is on page " + Q(lp.def->pages[lp.comps[res.comp].page].name) +
                          ", not on the wire's page");
        return res;
    }

    // The node of a pin in a net; a pin already in another net is an error.
    size_t AddNode(LevelPlan& lp, size_t net, const Resolved& res, const SourcePos& pos, const std::string& text)
    {
        const auto key = std::make_tuple(res.comp, res.entry, res.comp == kNone ? res.ref : std::string(), res.pin);
        const auto it = lp.nodeIndex.find(key);
        if (it != lp.nodeIndex.end()) {
            if (it->second.first != net)
                Fail(pos, "pin " + Q(text) + " is already on net " + Q(lp.nets[it->second.first].name) + " (" +
                              At(lp.nets[it->second.first].nodes[it->second.second].pos) + ")");
            return it->second.second;
        }
        NodePlan n;
        n.pos = pos;
        n.comp = res.comp;
        n.entry = res.entry;
        n.ref = res.ref;
        n.pin = res.pin;
        lp.nets[net].nodes.push_back(n);
        lp.nodeIndex[key] = {net, lp.nets[net].nodes.size() - 1};
        return lp.nets[net].nodes.size() - 1;
    }

    void PlanWires(LevelPlan& lp, const PageDef& page, size_t p)
    {
        std::map<std::string, const JunctionDef*> named;
        for (const JunctionDef& j : page.junctions) {
            if (named.count(j.name)) Fail(j.pos, "junction " + Q(j.name) + " is already defined on this page");
            named[j.name] = &j;
        }
        // Pin positions of the page, so that no wire point lands on a pin
        // without naming it.
        std::map<std::pair<int32_t, int32_t>, std::string> pins;
        for (const CompPlan& c : lp.comps) {
            if (c.page != p) continue;
            for (const EntryDef& e : c.symbol->entries)
                pins.emplace(Place(*c.def, e.x, e.y), c.name + " entry " + e.name);
        }
        for (const WireDef& w : page.wires) {
            WirePlan wp;
            wp.def = &w;
            wp.page = p;
            if (w.bus) {
                const auto it = lp.busIndex.find(w.net);
                if (it == lp.busIndex.end()) Fail(w.pos, "buswire: bus " + Q(w.net) + " is not declared");
                wp.owner = it->second;
            } else {
                const auto it = lp.netIndex.find(w.net);
                if (it == lp.netIndex.end()) Fail(w.pos, "wire: net " + Q(w.net) + " is not declared");
                wp.owner = it->second;
            }
            std::pair<int32_t, int32_t> last{0, 0};
            for (size_t i = 0; i < w.points.size(); ++i) {
                const PointDef& pt = w.points[i];
                const int segments = (i == 0 || i + 1 == w.points.size()) ? 1 : 2;
                RecordPlan rec;
                std::pair<int32_t, int32_t> at;
                if (pt.kind == PointDef::Kind::Pin) {
                    const Resolved res = ResolvePin(lp, pt.ref, pt.pin, pt.pos, p);
                    rec.node = true;
                    rec.index = AddNode(lp, wp.owner, res, pt.pos, pt.ref + "." + pt.pin);
                    lp.nets[wp.owner].nodes[rec.index].wired = true;
                    const CompPlan& c = lp.comps[res.comp];
                    const EntryDef& e = c.symbol->entries[res.entry - 1];
                    at = Place(*c.def, e.x, e.y);
                } else {
                    if (pt.kind == PointDef::Kind::Junction) {
                        const auto it = named.find(pt.ref);
                        if (it == named.end())
                            Fail(pt.pos, std::string(w.bus ? "buswire" : "wire") + ": no junction " + Q(pt.ref) +
                                             " on this page (a position is written ( x y ))");
                        at = {it->second->x, it->second->y};
                    } else {
                        at = {pt.x, pt.y};
                    }
                    const auto onPin = pins.find(at);
                    if (onPin != pins.end())
                        Fail(pt.pos, "point " + Pos(at.first, at.second) + " lies on pin " + onPin->second +
                                         "; name the pin instead");
                    rec.index = Junction(lp, p, at, w, pt.pos, segments);
                }
                if (i > 0 && at == last) Fail(pt.pos, "wire: two consecutive points are at the same place " + Pos(at.first, at.second));
                last = at;
                wp.records.push_back(rec);
            }
            lp.wires.push_back(wp);
        }
    }

    size_t Junction(LevelPlan& lp, size_t page, std::pair<int32_t, int32_t> at, const WireDef& w, const SourcePos& pos,
                    int segments)
    {
        const auto key = std::make_tuple(page, at.first, at.second);
        auto it = lp.junctionAt.find(key);
        if (it == lp.junctionAt.end()) {
            JunctionPlan j;
            j.pos = pos;
            j.page = page;
            j.x = at.first;
            j.y = at.second;
            j.bus = w.bus;
            j.owner = w.net;
            lp.junctions.push_back(j);
            it = lp.junctionAt.emplace(key, lp.junctions.size() - 1).first;
        }
        JunctionPlan& j = lp.junctions[it->second];
        if (j.bus != w.bus || j.owner != w.net)
            Fail(pos, "point " + Pos(at.first, at.second) + " is already a point of " + (j.bus ? "bus " : "net ") +
                          Q(j.owner) + " (" + At(j.pos) + ")");
        j.segments += segments;
        return it->second;
    }
};

// ---- The build --------------------------------------------------------------------------

constexpr const char* kMainPage = "MAINPAGE";

bool NamesMainPage(const LevelDef& level)
{
    return std::any_of(level.pages.begin(), level.pages.end(), [](const PageDef& p) { return p.name == kMainPage; });
}

struct BuildError {
    SourcePos pos;
    std::string what;
};

void Check(int32_t result, const SourcePos& pos, const std::string& what)
{
    if (result == 0) throw BuildError{pos, what};
}

int32_t TextSize(int index, int field)
{
    const int32_t* table = DB_TextSizeTable();
    return table ? table[index * 3 + field] : 0;
}

// The bounds of a symbol's drawing items (x1, y1, x2, y2); all 0 when it
// has none.
std::array<double, 4> ItemBounds(const SymbolDef& s)
{
    std::array<double, 4> b{0, 0, 0, 0};
    bool any = false;
    auto add = [&](double x, double y) {
        if (!any) {
            b = {x, y, x, y};
            any = true;
        }
        b[0] = std::min(b[0], x);
        b[1] = std::min(b[1], y);
        b[2] = std::max(b[2], x);
        b[3] = std::max(b[3], y);
    };
    for (const ItemDef& it : s.items) {
        switch (it.kind) {
        case kItemLine:
        case kItemRectangle:
            add(it.x, it.y);
            add(it.x + it.p1, it.y + it.p2);
            break;
        case kItemTriangle:
            add(it.x, it.y);
            add(it.x + it.p1, it.y + it.p2);
            add(it.x + it.p3, it.y + it.p4);
            break;
        case kItemCircle:
        case kItemArc:
            add(it.x - it.p1, it.y - it.p1);
            add(it.x + it.p1, it.y + it.p1);
            break;
        default:
            add(it.x, it.y);
        }
    }
    return b;
}

const ItemDef* Template(const SymbolDef& s, int32_t mask)
{
    for (const ItemDef& it : s.items)
        if (it.kind == kItemText && (it.flags & mask)) return &it;
    return nullptr;
}

void AddText(int32_t array, const SourcePos& pos, int32_t x, int32_t y, int32_t angle, int32_t height, int32_t width,
             const std::string& text, int32_t flags, int32_t layer, int32_t width3, int32_t link)
{
    const int32_t item = I_MakeText(x, y, angle, height, width, text.c_str(), flags, layer, width3);
    Check(item, pos, "the text " + Q(text));
    if (link != 0) Check(I_ChangeItemLink(item, link), pos, "the link of text " + Q(text));
    Check(OA_Add(array, item), pos, "the text " + Q(text));
}

// A hierarchical block's texts, as the editor makes them when it assigns a
// child level: the hidden attribute "X,LEVEL,hierarchy" (mask 32, link 0)
// and one hidden port text per entry, its number linked to that entry.
void MakeHierTexts(int32_t array, const CompPlan& c)
{
    const SourcePos& pos = c.def->pos;
    AddText(array, pos, 0, 0, 0, 0, 0, "X," + c.def->child + ",hierarchy", kHierTextFlags, kHierTextLayer, 0, 0);
    for (size_t i = 1; i <= c.symbol->entries.size(); ++i)
        AddText(array, pos, 0, 0, 0, 0, 0, std::to_string(i), kHierTextFlags, kHierTextLayer, 0,
                static_cast<int32_t>(i));
}

// The texts the editor gives a placed component: its reference (from the
// symbol's reference template, else at the middle of its drawing; a
// symbol-only component without template, such as a power symbol, gets
// none), its value as description text (from the symbol's description
// template, else below its drawing) and the pin numbers of the entries
// that show them.
void MakeCompTexts(const CompPlan& c, const std::string& ref)
{
    const int32_t array = C_CompTextArray(c.id);
    const SourcePos& pos = c.def->pos;
    const std::array<double, 4> bounds = ItemBounds(*c.symbol);
    const ItemDef* refT = Template(*c.symbol, 2);
    int32_t rx = 0, ry = 0, ra = 0, rh = TextSize(1, 0), rw = TextSize(1, 1), r3 = TextSize(1, 2);
    if (refT) {
        rx = refT->x;
        ry = refT->y;
        ra = refT->angle;
        rh = refT->p1;
        rw = refT->p2;
        r3 = refT->width;
    } else {
        rx = static_cast<int32_t>(std::nearbyint(bounds[0] + (bounds[2] - bounds[0]) / 2));
        ry = static_cast<int32_t>(std::nearbyint(bounds[1] + (bounds[3] - bounds[1]) / 2));
    }
    if (refT || c.device) AddText(array, pos, rx, ry, ra, rh, rw, ref, kRefTextFlags, 33, r3, 0);
    if (!c.def->value.empty()) {
        if (const ItemDef* valT = Template(*c.symbol, 4)) {
            AddText(array, pos, valT->x, valT->y, valT->angle, valT->p1, valT->p2, c.def->value, kValueTextFlags, 34,
                    valT->width, 0);
        } else {
            // Under the drawing, one text height and a fifth below it.
            const int32_t y = static_cast<int32_t>(std::nearbyint(bounds[1] - rh * 6 * 1.2));
            AddText(array, pos, rx, y, 0, rh, rw, c.def->value, kValueTextFlags, 34, r3, 0);
        }
    }
    if (!c.def->child.empty()) MakeHierTexts(array, c);
    if (!c.device) return;
    for (const PinDef& p : c.device->groups[c.group - 1].pins) {
        const int32_t entry = c.symbol->FindEntry(p.name);
        const EntryDef& e = c.symbol->entries[entry - 1];
        if (!(e.flags & 2)) continue;
        AddText(array, pos, e.x + e.keyOrTextX, e.y + e.textY, e.textAngle, TextSize(1, 0), TextSize(1, 1),
                std::to_string(p.number), kPinTextFlags, 38, TextSize(1, 2), entry);
    }
}

// The frame branch of `page` (made current) through the corners, closed on
// the first one.
void MakeFrame(int32_t page, const std::vector<std::pair<int32_t, int32_t>>& corners, const SourcePos& pos)
{
    Check(DB_SetCurPage(page), pos, "the page frame");
    const int32_t frame = -100 - page;
    Check(B_CreateBranch(frame, kFrameFlags, 0), pos, "the page frame");
    int32_t first = 0;
    for (const auto& [x, y] : corners) {
        const int32_t j = J_CreateJunction(0, kFramePoint, x, y);
        Check(j, pos, "a page frame corner");
        if (first == 0) first = j;
        Check(B_InsertRecord(frame, -1, kJunctionRecord, j), pos, "a page frame corner");
    }
    Check(B_InsertRecord(frame, -1, kJunctionRecord, first), pos, "the page frame");
}

void BuildLevel(LevelPlan& lp, bool root, const std::map<std::string, int32_t>& symbolIds,
                const std::map<std::string, int32_t>& deviceIds)
{
    const LevelDef& def = *lp.def;
    if (root) {
        lp.id = DB_CurHier();
    } else {
        lp.id = DB_CreateHier(0, def.name.c_str(), def.pages[0].name.c_str());
        Check(lp.id, def.pos, "level " + Q(def.name));
    }
    Check(DB_SetCurHier(lp.id), def.pos, "level " + Q(def.name));
    // The level came with one page: the root level's "MAINPAGE" or the
    // level's first page.
    if (root && !NamesMainPage(def)) {
        lp.mainPageId = OM_FindName(DB_PageMap(), kMainPage);
        Check(lp.mainPageId, def.pos, "the page " + Q(kMainPage));
    }
    for (size_t p = 0; p < def.pages.size(); ++p) {
        const PageDef& page = def.pages[p];
        int32_t id = OM_FindName(DB_PageMap(), page.name.c_str());
        if (id == 0) id = DB_CreatePage(0, page.name.c_str());
        Check(id, page.pos, "page " + Q(page.name));
        lp.pageIds.push_back(id);
    }
    // "MAINPAGE" is the template of the pages the editor makes: it takes
    // the first page's frame.
    if (lp.mainPageId != 0 && def.pages[0].frame) MakeFrame(lp.mainPageId, *def.pages[0].frame, def.pages[0].pos);
    for (int kind = 1; kind <= 3; ++kind) MakeHeap(kind, 0);

    // Layout components: one per device reference, packed with its gates.
    for (auto& [ref, r] : lp.refs) {
        if (!r.device) continue;
        r.layId = L_CreateComponent(0, ref.c_str(), 0, deviceIds.at(r.device->name), symbolIds.at(r.device->package), 1,
                                    0, 0, 0);
        Check(r.layId, r.pos, "layout component " + Q(ref));
    }
    for (size_t p = 0; p < def.pages.size(); ++p) {
        const PageDef& page = def.pages[p];
        if (page.frame) MakeFrame(lp.pageIds[p], *page.frame, page.pos);
        Check(DB_SetCurPage(lp.pageIds[p]), page.pos, "page " + Q(page.name));
        for (CompPlan& c : lp.comps) {
            if (c.page != p) continue;
            const ComponentDef& d = *c.def;
            c.id = C_CreateComponent(0, c.name.c_str(), kCompFlags | (d.mirror ? 2 : 0),
                                     c.device ? deviceIds.at(c.device->name) : 0, symbolIds.at(c.symbol->name), 1, d.x,
                                     d.y, d.angle);
            Check(c.id, d.pos, "component " + Q(c.name));
            if (c.device) Check(C_ChangeCompPackInfo(c.id, lp.refs.at(d.ref).layId, c.group), d.pos, "the packing of " + Q(c.name));
            MakeCompTexts(c, d.ref);
        }
    }
    for (auto& [ref, r] : lp.refs)
        for (const auto& [group, comp] : r.gates)
            Check(L_AddSchCompId(r.layId, lp.comps[comp].id), r.pos, "the parts list of " + Q(ref));

    for (NetPlan& n : lp.nets) {
        n.id = N_CreateNet(0, n.flags, n.name.c_str());
        Check(n.id, n.pos, "net " + Q(n.name));
        for (NodePlan& node : n.nodes) {
            const int32_t comp = node.comp == kNone ? 0 : lp.comps[node.comp].id;
            const int32_t lay = node.ref.empty() ? 0 : lp.refs.at(node.ref).layId;
            node.id = N_CreateNode(n.id, 0, comp, node.entry, lay, node.pin);
            Check(node.id, node.pos, "a node of net " + Q(n.name));
            if (node.wired) Check(O_Mask(N_Node(n.id, node.id), 2, 2), node.pos, "a node of net " + Q(n.name));
        }
    }
    for (BusPlan& b : lp.buses) {
        b.id = N_CreateBus(0, kBusFlags, b.def->name.c_str());
        Check(b.id, b.def->pos, "bus " + Q(b.def->name));
        for (size_t i = 0; i < b.members.size(); ++i) {
            const NetPlan& n = lp.nets[b.members[i]];
            if (N_SetBusMember(b.id, static_cast<int32_t>(i), n.id) < 0)
                throw BuildError{b.def->pos, "member " + Q(n.name) + " of bus " + Q(b.def->name)};
            Check(O_Mask(N_Net(n.id), 8, 8), b.def->pos, "member " + Q(n.name));
        }
    }
    for (size_t p = 0; p < def.pages.size(); ++p) {
        const PageDef& page = def.pages[p];
        Check(DB_SetCurPage(lp.pageIds[p]), page.pos, "page " + Q(page.name));
        for (JunctionPlan& j : lp.junctions) {
            if (j.page != p) continue;
            const int32_t type = j.bus ? (j.segments >= 3 ? kBusJunction : kBusPoint)
                                       : (j.segments >= 3 ? kNetJunction : kFramePoint);
            j.id = J_CreateJunction(0, type, j.x, j.y);
            Check(j.id, j.pos, "the junction at " + Pos(j.x, j.y));
        }
        for (const WirePlan& w : lp.wires) {
            if (w.page != p) continue;
            const WireDef& d = *w.def;
            const int32_t owner = d.bus ? lp.buses[w.owner].id : lp.nets[w.owner].id;
            const int32_t branch = B_CreateBranch(0, d.bus ? kBusWireFlags : kWireFlags, owner);
            Check(branch, d.pos, "the wire of " + Q(d.net));
            for (const RecordPlan& r : w.records) {
                const int32_t ref = r.node ? lp.nets[w.owner].nodes[r.index].id : lp.junctions[r.index].id;
                Check(B_InsertRecord(branch, -1, r.node ? kNodeRecord : kJunctionRecord, ref), d.pos,
                      "a point of the wire of " + Q(d.net));
            }
            if (d.label)
                AddText(B_BranchTextArray(branch), d.pos, d.label->x, d.label->y, d.label->angle, d.label->height,
                        d.label->width, d.net, d.bus ? 1 | 4 : 1 | 2, kWireTextLayer, 0, 0);
        }
        if (!page.items.empty()) {
            const int32_t notes = -((lp.id + 9) * 100 + lp.pageIds[p]);
            if (S_Symbol(notes) == 0) Check(S_CreateSymbol(notes, "@PGENOTES"), page.pos, "the page notes");
            for (const ItemDef& it : page.items)
                Check(AddItem(S_SymbolItemArray(notes), it) ? 1 : 0, it.pos, "a page item");
        }
    }
    for (int kind = 1; kind <= 3; ++kind) MakeHeap(kind, 0);
    DB_SetCurPage(lp.pageIds[0]);
}

// A file object of the current level holding `bytes`.
void AddFileObject(const std::string& name, const std::string& bytes, const SourcePos& pos)
{
    const int32_t id = F_CreateFile(0, name.c_str());
    Check(id, pos, "the file object " + Q(name));
    const auto size = static_cast<int32_t>(bytes.size());
    Check(F_Write(id, bytes.data(), size) == size ? 1 : 0, pos, "the file object " + Q(name));
    F_Seek(id, 0, 0);
}

// What the editor keeps in a child level for the blocks that refer to it:
// the description record (the level's name, no description) and one port
// record per entry of the block's symbol, in entry order: the net named
// like the entry, with the entry's name as its label.
void WriteChildObjects(const LevelPlan& lp)
{
    if (!lp.blockSymbol) return;
    const SourcePos& pos = lp.firstBlock->pos;
    Check(DB_SetCurHier(lp.id), pos, "level " + Q(lp.def->name));
    SubHierDescRec desc;
    desc.HierName = lp.def->name;
    AddFileObject(SubHierObjectName(kSubHierDescPrefix, lp.id), SubHierDescBytes(desc), pos);
    std::string ports;
    for (const EntryDef& e : lp.blockSymbol->entries) {
        SubHierNetRec rec;
        rec.NetId = lp.nets[lp.netIndex.at(e.name)].id;
        rec.NetName = e.name;
        rec.Label = e.name;
        ports += SubHierNetBytes(rec);
    }
    if (!ports.empty()) AddFileObject(SubHierObjectName(kSubHierNetsPrefix, lp.id), ports, pos);
}

}  // namespace

bool BuildDesign(const Source& source, std::string& error)
{
    if (!source.design) {
        error = "the source holds no design (a 'design' statement)";
        return false;
    }
    std::vector<LevelPlan> levels;
    try {
        levels = Planner(source).Plan();
    } catch (const DesignError& e) {
        error = Where(e.pos) + ": " + e.message;
        return false;
    }
    // What the design uses of the library, and what the source itself defines.
    const Library& lib = source.library;
    std::set<std::string> symbols(source.ownSymbols.begin(), source.ownSymbols.end());
    std::set<std::string> devices(source.ownDevices.begin(), source.ownDevices.end());
    for (const LevelPlan& lp : levels)
        for (const CompPlan& c : lp.comps) {
            symbols.insert(c.symbol->name);
            if (!c.device) continue;
            devices.insert(c.device->name);
        }
    for (const std::string& d : devices) {
        const DeviceDef* dev = lib.FindDevice(d);
        symbols.insert(dev->package);
        for (const GroupDef& g : dev->groups) symbols.insert(g.symbol);
    }

    // Every design holds "MAINPAGE" in its root level, as a new database
    // does: made first when the source names no page so, the source's own
    // first page staying the one shown.
    const DesignDef& design = *source.design;
    const LevelDef& root = design.levels[0];
    const std::string firstPage = NamesMainPage(root) ? root.pages[0].name : kMainPage;
    if (DB_CreateDataBase(design.name.c_str(), root.name.c_str(), firstPage.c_str()) == 0) {
        error = Where(design.pos) + ": the kernel refused to create the design";
        return false;
    }
    try {
        std::map<std::string, int32_t> symbolIds, deviceIds;
        // Library order, so that ids follow the sources.
        for (const SymbolDef& s : lib.symbols) {
            if (!symbols.count(s.name)) continue;
            const int32_t id = BuildSymbol(s, error);
            if (id == 0) throw BuildError{s.pos, ""};
            symbolIds[s.name] = id;
        }
        for (const DeviceDef& d : lib.devices) {
            if (!devices.count(d.name)) continue;
            const int32_t id = BuildDevice(d, error);
            if (id == 0) throw BuildError{d.pos, ""};
            deviceIds[d.name] = id;
        }
        for (size_t i = 0; i < levels.size(); ++i) BuildLevel(levels[i], i == 0, symbolIds, deviceIds);
        for (const LevelPlan& level : levels) WriteChildObjects(level);
        DB_SetCurHier(levels[0].id);
        DB_SetCurPage(levels[0].pageIds[0]);
    } catch (const BuildError& e) {
        if (!e.what.empty()) error = Where(e.pos) + ": the kernel refused " + e.what;
        DB_DiscardDataBase();
        return false;
    }
    return true;
}

}  // namespace nvo_sources
