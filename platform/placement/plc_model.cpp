// Reading the page to be placed: components with their outlines and pins at
// every quarter turn, the pattern lines of the grid symbol, the prefix tables
// stored beside them, the keep-off zones, the texts and drawings of the
// page's notes (kept off as zones are) and the page frame; and the wiring
// room kept beside each component's outline.
#include "platform/kernel/nvokernel32.h"
#include "platform/placement/plc_model.h"
#include "platform/placement/plc_rules.h"

#include <algorithm>
#include <cmath>
#include <string_view>
#include <utility>
#include <vector>

namespace plc {

namespace {

constexpr int kSlots = 32;
constexpr int32_t kLocked = 32;
constexpr int32_t kMirrored = 2;

// The prefix tables of the grid symbol: links 21..24 component-side
// patterns, 25..28 solder-side patterns, 31..37 orientations.
struct Tables {
    std::array<std::array<std::string, kSlots>, 4> pattern, pattern2;
    std::array<std::array<std::string, kSlots>, 7> orient;
};

Rect Normalised(int64_t x, int64_t y, int64_t dx, int64_t dy)
{
    return {std::min(x, x + dx), std::min(y, y + dy), std::max(x, x + dx), std::max(y, y + dy)};
}

// Reads the grid symbol: lines by link 1..16 and the prefix texts. Lines of
// zero length, unknown links and lines beyond the cap are skipped.
void ReadGrid(int32_t symb, Model& model, Tables& tables)
{
    const int32_t array = S_SymbolItemArray(symb);
    if (!array) return;
    std::array<int, 7> orientRows{};
    std::array<int, 4> patRows{}, pat2Rows{};
    const int32_t count = OA_GetCount(array);
    for (int32_t i = 1; i <= count; ++i) {
        ItemRec r{};
        if (I_ReadItem(OA_Object(array, i), &r) != 1) continue;
        if (r.Kind == 1 && r.Link >= 1 && r.Link <= 16) {
            if (r.P1 == 0 && r.P2 == 0) continue;
            LineSet& set = model.lines[(r.Link - 1) / 2];
            std::vector<int64_t>& v = (r.Link % 2 == 1) ? set.rows : set.cols;
            if (static_cast<int>(v.size()) < kMaxLines) v.push_back(r.Link % 2 == 1 ? r.Y : r.X);
        } else if (r.Kind == 6 && r.Text && r.Text[0]) {
            auto put = [&](auto& table, auto& rows, int column) {
                if (rows[column] < kSlots) table[column][rows[column]++] = r.Text;
            };
            if (r.Link >= 21 && r.Link <= 24) put(tables.pattern, patRows, r.Link - 21);
            else if (r.Link >= 25 && r.Link <= 28) put(tables.pattern2, pat2Rows, r.Link - 25);
            else if (r.Link >= 31 && r.Link <= 37) put(tables.orient, orientRows, r.Link - 31);
        }
    }
    for (LineSet& set : model.lines) {
        for (auto* v : {&set.rows, &set.cols}) {
            std::sort(v->begin(), v->end());
            v->erase(std::unique(v->begin(), v->end()), v->end());
        }
    }
}

void ReadZones(int32_t symb, Model& model)
{
    const int32_t array = S_SymbolItemArray(symb);
    if (!array) return;
    const int32_t count = OA_GetCount(array);
    for (int32_t i = 1; i <= count; ++i) {
        ItemRec r{};
        if (I_ReadItem(OA_Object(array, i), &r) != 1 || r.Kind != 3 || r.Link != 1) continue;
        if (r.P1 == 0 || r.P2 == 0) continue;
        model.zones.push_back(Normalised(r.X, r.Y, r.P1, r.P2));
    }
}

// The boxes along a drawn line from a to b, widened by half its width: one
// box for a line along an axis, else pieces no wider than a tenth of an inch
// across, so a long slanting line does not keep off the area beside it.
void AddLineZones(double ax, double ay, double bx, double by, double halfWidth, Model& model)
{
    constexpr double kPiece = 254000;  // 0.1 in
    const double across = std::min(std::abs(bx - ax), std::abs(by - ay));
    const int pieces = std::max(1, static_cast<int>(std::ceil(across / kPiece)));
    for (int k = 0; k < pieces; ++k) {
        const double t0 = static_cast<double>(k) / pieces, t1 = static_cast<double>(k + 1) / pieces;
        const double x0 = ax + (bx - ax) * t0, y0 = ay + (by - ay) * t0;
        const double x1 = ax + (bx - ax) * t1, y1 = ay + (by - ay) * t1;
        model.zones.push_back({std::llround(std::min(x0, x1) - halfWidth), std::llround(std::min(y0, y1) - halfWidth),
                               std::llround(std::max(x0, x1) + halfWidth), std::llround(std::max(y0, y1) + halfWidth)});
    }
}

// The zones of an outline drawn without fill (a line, or the sides of a
// rectangle, triangle, circle or arc); false for an item that is drawn
// filled or is a text, which keeps off its whole box.
bool AddOutlineZones(const ItemRec& r, Model& model)
{
    constexpr int kFilled = 16;
    if (r.Kind == 6 || (r.Kind != 1 && (r.Style & kFilled))) return false;
    const double half = std::abs(static_cast<double>(r.Width)) / 2;
    const double x = r.X, y = r.Y;
    auto polygon = [&](const std::vector<std::pair<double, double>>& p) {
        for (size_t i = 0; i < p.size(); ++i) {
            const auto& a = p[i];
            const auto& b = p[(i + 1) % p.size()];
            AddLineZones(a.first, a.second, b.first, b.second, half, model);
        }
    };
    switch (r.Kind) {
    case 1: AddLineZones(x, y, x + r.P1, y + r.P2, half, model); return true;
    case 2: polygon({{x, y}, {x + r.P1, y + r.P2}, {x + r.P3, y + r.P4}}); return true;
    case 3: {
        const double a = r.Angle / 1000.0 * M_PI / 180.0, c = std::cos(a), s = std::sin(a);
        const double w = r.P1, h = r.P2;
        polygon({{x, y}, {x + w * c, y + w * s}, {x + w * c - h * s, y + w * s + h * c}, {x - h * s, y + h * c}});
        return true;
    }
    case 4:
    case 5: {
        // Chords of a 64th of a turn, widened by how far the arc bows
        // beyond them.
        const double radius = std::abs(static_cast<double>(r.P1));
        double start = 0, sweep = 360000;
        if (r.Kind == 5) {
            start = r.P2;
            sweep = r.P3;
            if (sweep < 0) {
                start += sweep;
                sweep = -sweep;
            }
            sweep = std::min(sweep, 360000.0);
        }
        const int chords = std::max(1, static_cast<int>(std::ceil(sweep / 5625.0)));
        const double bow = radius * (1 - std::cos(sweep / chords / 2000.0 * M_PI / 180.0));
        for (int k = 0; k < chords; ++k) {
            const double a0 = (start + sweep * k / chords) / 1000.0 * M_PI / 180.0;
            const double a1 = (start + sweep * (k + 1) / chords) / 1000.0 * M_PI / 180.0;
            AddLineZones(x + radius * std::cos(a0), y + radius * std::sin(a0), x + radius * std::cos(a1),
                         y + radius * std::sin(a1), half + bow, model);
        }
        return true;
    }
    default: return false;
    }
}

// The notes drawn on the page: the items of the design notes symbol of the
// level and of the page notes symbol. The page draws both at the identity
// placement, so they are measured there. A text or a filled shape keeps off
// the box the kernel draws it in; an outline only its sides, so parts may
// stand inside a drawn border or frame. A hidden text (no height) is not
// drawn and keeps nothing off.
void ReadNotes(int32_t page, Model& model)
{
    const int32_t hier = DB_CurHier();
    S_SetCompLocation(0, 0, 0, 0);
    for (const int32_t symb : {-100 - hier, -((hier + 9) * 100 + page)}) {
        const int32_t array = S_SymbolItemArray(symb);
        if (!array) continue;
        const int32_t count = OA_GetCount(array);
        for (int32_t i = 1; i <= count; ++i) {
            ItemRec r{};
            if (I_ReadItem(OA_Object(array, i), &r) != 1 || (r.Kind == 6 && r.P1 <= 0)) continue;
            if (AddOutlineZones(r, model)) continue;
            int32_t b[4] = {};
            if (S_FrameSymbolItem(symb, i, b) != 1) continue;
            model.zones.push_back({b[0], b[1], b[2], b[3]});
        }
    }
}

Pt Turn(Pt p, int64_t deltaMilli)
{
    if (deltaMilli % 90000 == 0) {
        switch (((deltaMilli / 90000) % 4 + 4) % 4) {
        case 1: return {-p.y, p.x};
        case 2: return {-p.x, -p.y};
        case 3: return {p.y, -p.x};
        default: return p;
        }
    }
    const double a = static_cast<double>(deltaMilli) / 1000.0 * M_PI / 180.0;
    return {std::llround(p.x * std::cos(a) - p.y * std::sin(a)),
            std::llround(p.x * std::sin(a) + p.y * std::cos(a))};
}

Shape Turned(const Shape& s, int64_t delta)
{
    Shape out;
    const Rect& b = s.box;
    bool first = true;
    for (Pt c : {Pt{b.x1, b.y1}, Pt{b.x2, b.y1}, Pt{b.x1, b.y2}, Pt{b.x2, b.y2}}) {
        const Pt t = Turn(c, delta);
        if (first) out.box = {t.x, t.y, t.x, t.y};
        out.box = {std::min(out.box.x1, t.x), std::min(out.box.y1, t.y), std::max(out.box.x2, t.x),
                   std::max(out.box.y2, t.y)};
        first = false;
    }
    for (Pt p : s.pins) out.pins.push_back(Turn(p, delta));
    return out;
}

// Direction of the first pin from the outline's centre: 0 left, 1 right,
// 2 up, 3 down; -1 without pins.
int FirstPinSide(const Shape& s)
{
    if (s.pins.empty()) return -1;
    const double dx = s.pins[0].x - (s.box.x1 + s.box.x2) / 2.0;
    const double dy = s.pins[0].y - (s.box.y1 + s.box.y2) / 2.0;
    if (std::fabs(dx) >= std::fabs(dy)) return dx < 0 ? 0 : 1;
    return dy > 0 ? 2 : 3;
}

// Orientations "Standard", "180", "Up", "Down", "Horizontal", "Vertical",
// "Any": whether a first pin on `side` satisfies orientation `o` (1..7).
bool SideFits(int o, int side)
{
    if (side < 0 || o == 7) return true;
    switch (o) {
    case 1: return side == 0;
    case 2: return side == 1;
    case 3: return side == 2;
    case 4: return side == 3;
    case 5: return side <= 1;
    case 6: return side >= 2;
    default: return true;
    }
}

bool ReadComp(int32_t id, const CompRec& rec, const Model& model, const Tables& tables, Comp& c)
{
    c.id = id;
    // The reference without its gate number ("U1/2" -> "U1"), as the editor
    // matches it while a component is placed.
    c.name = rec.Name ? rec.Name : "";
    c.name = c.name.substr(0, c.name.find('/'));
    c.x = rec.X;
    c.y = rec.Y;
    c.angle = rec.Angle;
    c.mirrored = (rec.Flags & kMirrored) != 0;
    c.locked = (rec.Flags & kLocked) != 0;

    int32_t a[4] = {}, b[4] = {};
    const bool hasEntries = C_FrameCompEntries(id, a) > 0;
    const bool hasItems = C_FrameCompItems(id, b) > 0;
    Rect box{rec.X, rec.Y, rec.X, rec.Y};
    if (hasEntries) box = Normalised(a[0], a[1], a[2] - a[0], a[3] - a[1]);
    if (hasItems) {
        const Rect r = Normalised(b[0], b[1], b[2] - b[0], b[3] - b[1]);
        box = hasEntries ? Rect{std::min(box.x1, r.x1), std::min(box.y1, r.y1), std::max(box.x2, r.x2),
                                std::max(box.y2, r.y2)}
                         : r;
    }
    c.current.box = {box.x1 - rec.X, box.y1 - rec.Y, box.x2 - rec.X, box.y2 - rec.Y};
    for (int32_t e = 1; e <= kMaxPins; ++e) {
        EntryRec er{};
        if (C_ReadEntry(id, e, &er) != 1) break;
        c.current.pins.push_back({er.X - rec.X, er.Y - rec.Y});
    }

    auto entry = [&](const auto& table) {
        return [&table](int col, int row) { return std::string_view(table[col - 1][row - 1]); };
    };
    const int pattern = plc_prefix::MatchColumn(c.name, 4, kSlots, entry(c.mirrored ? tables.pattern2 : tables.pattern));
    c.pattern = pattern == 0 ? 1 : pattern;
    c.lineSet = (c.mirrored ? 4 : 0) + c.pattern - 1;
    const int orient = plc_prefix::MatchColumn(c.name, 7, kSlots, entry(tables.orient));

    const int currentQuarter = (c.angle % 90000 == 0) ? static_cast<int>(((c.angle / 90000) % 4 + 4) % 4) : -1;
    bool any = false;
    for (int q = 0; q < kAngles; ++q) {
        c.shapes[q] = Turned(c.current, static_cast<int64_t>(QuarterAngle(q)) - c.angle);
        const bool rotateOk = !model.noRotate[c.pattern - 1] && currentQuarter >= 0;
        const bool keeps = q == currentQuarter;
        c.allowed[q] = rotateOk ? (orient == 0 || SideFits(orient, FirstPinSide(c.shapes[q]))) : keeps;
        any = any || c.allowed[q];
    }
    if (!any && currentQuarter >= 0) c.allowed[currentQuarter] = true;
    if (currentQuarter < 0) {
        // An angle off the quarter turns is kept as it is: slot 0 holds it.
        c.shapes[0] = c.current;
        c.allowed = {true, false, false, false};
    }
    return true;
}

void ReadNets(Model& model)
{
    std::vector<std::pair<int32_t, int>> index;  // component id -> model index
    for (int i = 0; i < static_cast<int>(model.comps.size()); ++i) index.push_back({model.comps[i].id, i});
    std::sort(index.begin(), index.end());
    auto find = [&](int32_t id) {
        auto it = std::lower_bound(index.begin(), index.end(), std::make_pair(id, -1));
        return (it != index.end() && it->first == id) ? it->second : -1;
    };
    const int32_t nets = DB_NetMap();
    int32_t cursor = OM_GetFirst(nets);
    while (int32_t net = OM_SearchMask(nets, &cursor, 0, 0)) {
        const int32_t nodes = N_NodeMap(net);
        Net pins;
        int32_t nc = OM_GetFirst(nodes);
        while (int32_t node = OM_SearchMask(nodes, &nc, 0, 0)) {
            NodeRec nr{};
            if (N_ReadNode(net, node, &nr) != 1 || nr.Comp == 0 || nr.Entry < 1) continue;
            const int ci = find(nr.Comp);
            if (ci < 0 || nr.Entry > static_cast<int>(model.comps[ci].current.pins.size())) continue;
            pins.push_back({ci, nr.Entry - 1});
        }
        if (pins.size() >= 2) model.nets.push_back(std::move(pins));
    }
}

// Side of the outline a pin is nearest to: 0 left, 1 below, 2 right, 3 above.
int NearestSide(const Rect& b, const Pt& p)
{
    const int64_t d[4] = {std::llabs(p.x - b.x1), std::llabs(p.y - b.y1), std::llabs(b.x2 - p.x), std::llabs(b.y2 - p.y)};
    return static_cast<int>(std::min_element(d, d + 4) - d);
}

// The room of one shape (see SetRoom): per side, from the nets its pins
// there join.
Rect RoomOf(const Shape& shape, const std::vector<int>& netOfPin, double scale)
{
    std::array<std::vector<int>, 4> nets;
    for (size_t p = 0; p < shape.pins.size() && p < netOfPin.size(); ++p)
        if (netOfPin[p] >= 0) nets[NearestSide(shape.box, shape.pins[p])].push_back(netOfPin[p]);
    int64_t m[4] = {};
    for (int side = 0; side < 4; ++side) {
        std::vector<int>& v = nets[side];
        std::sort(v.begin(), v.end());
        const int count = static_cast<int>(std::unique(v.begin(), v.end()) - v.begin());
        const int tracks = count == 0 ? 0 : 1 + (count + 1) / 2;
        m[side] = std::llround(scale * tracks * static_cast<double>(kTrack));
    }
    return {m[0], m[1], m[2], m[3]};
}

}  // namespace

void SetRoom(Model& model, double scale)
{
    model.roomScale = scale;
    std::vector<std::vector<int>> netOfPin(model.comps.size());
    for (size_t c = 0; c < model.comps.size(); ++c) netOfPin[c].assign(model.comps[c].current.pins.size(), -1);
    for (int n = 0; n < static_cast<int>(model.nets.size()); ++n)
        for (auto [c, p] : model.nets[n])
            if (netOfPin[c][p] < 0) netOfPin[c][p] = n;
    for (size_t c = 0; c < model.comps.size(); ++c) {
        Comp& comp = model.comps[c];
        for (int a = 0; a < kAngles; ++a) comp.room[a] = RoomOf(comp.shapes[a], netOfPin[c], scale);
        comp.currentRoom = RoomOf(comp.current, netOfPin[c], scale);
    }
}

int32_t QuarterAngle(int quarter)
{
    return quarter * 90000;
}

int32_t ReadModel(const PlcParamRec& params, Model& model)
{
    if (DB_CurHier() == 0 || DB_Page(params.Page) == 0) return PLC_ERR_NO_DATABASE;
    model = Model{};
    model.clearX = params.ClearX / 2;
    model.clearY = params.ClearY / 2;
    model.edge = params.BoardEdge / 2;
    model.align = std::max<int64_t>(1, params.Align / 2);
    for (int n = 0; n < 4; ++n) model.noRotate[n] = params.NoRotate[n] != 0;

    int32_t f[4] = {};
    if (B_FrameBranchLines(-100 - params.Page, 63, f) <= 0) return PLC_ERR_READ;
    const Rect frame = Normalised(f[0], f[1], f[2] - f[0], f[3] - f[1]);
    model.frame = {frame.x1 + model.edge, frame.y1 + model.edge, frame.x2 - model.edge, frame.y2 - model.edge};

    Tables tables;
    ReadGrid(params.GridSymb, model, tables);
    ReadZones(params.ZoneSymb, model);
    ReadNotes(params.Page, model);

    const int32_t map = DB_SchCompMap();
    int32_t cursor = OM_GetFirst(map);
    while (int32_t id = OM_SearchMask(map, &cursor, 0, 0)) {
        CompRec rec{};
        if (C_ReadComponent(id, &rec) != 1) return PLC_ERR_READ;
        if (rec.Page != params.Page) continue;
        Comp c;
        ReadComp(id, rec, model, tables, c);
        model.comps.push_back(std::move(c));
    }
    ReadNets(model);
    return PLC_OK;
}

}  // namespace plc
