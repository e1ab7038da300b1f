#include "tools/sources/source_reader.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>

namespace nvo_sources {

namespace {

namespace fs = std::filesystem;

// A kernel name or text holds 1 to 255 bytes.
constexpr size_t kMaxName = 255;
// A reference-name prefix holds at most 8 characters.
constexpr size_t kMaxPrefix = 8;
// Text sizes are written as the drawn character height; the kernel stores
// a sixth of it (ItemRec P1 height, P2 width).
constexpr int32_t kTextCell = 6;
// Drawn text height when a text gives no size: 0.07 inch.
constexpr int32_t kDefaultTextHeight = 177800;

struct ParseError {
    SourcePos pos;
    std::string message;
};

[[noreturn]] void Fail(const SourcePos& pos, const std::string& message)
{
    throw ParseError{pos, message};
}

std::string Quote(const std::string& s)
{
    return "'" + s + "'";
}

// Walks the tokens of one statement after its keyword.
class Cursor {
public:
    Cursor(const SourceLine& line, int64_t unit) : line_(line), unit_(unit) {}

    const SourcePos& pos() const { return line_.pos; }
    const std::string& keyword() const { return line_.tokens[0].text; }
    bool AtEnd() const { return i_ >= line_.tokens.size(); }
    const Token& Peek() const { return line_.tokens[i_]; }

    [[noreturn]] void Fail(const std::string& message) const { nvo_sources::Fail(line_.pos, message); }

    const Token& Next(const std::string& what)
    {
        if (AtEnd()) Fail(keyword() + ": " + what + " is missing");
        return line_.tokens[i_++];
    }

    // A name: a word or a quoted text of 1 to 255 bytes.
    std::string Name(const std::string& what)
    {
        const Token& t = Next(what);
        if (t.kind == Token::Kind::Open || t.kind == Token::Kind::Close)
            Fail(keyword() + ": " + what + " expected, found " + Quote(t.text));
        if (t.text.empty()) Fail(keyword() + ": " + what + " must not be empty");
        if (t.text.size() > kMaxName) Fail(keyword() + ": " + what + " is longer than 255 characters");
        return t.text;
    }

    std::string Word(const std::string& what)
    {
        const Token& t = Next(what);
        if (t.kind != Token::Kind::Word) Fail(keyword() + ": " + what + " expected, found " + Quote(t.text));
        return t.text;
    }

    int32_t Length(const std::string& what)
    {
        const std::string w = Word(what);
        int32_t v = 0;
        if (!ParseLength(w, unit_, v))
            Fail(keyword() + ": " + what + " " + Quote(w) +
                 " is not a length (a number with an optional unit in, mil, mm or u, within 220,000,000 units)");
        return v;
    }

    int32_t Size(const std::string& what)
    {
        const int32_t v = Length(what);
        if (v <= 0) Fail(keyword() + ": " + what + " must be above 0");
        return v;
    }

    int32_t Angle(const std::string& what)
    {
        const std::string w = Word(what);
        int32_t v = 0;
        if (!ParseAngle(w, v)) Fail(keyword() + ": " + what + " " + Quote(w) + " is not an angle in degrees (-360 to 360)");
        return v;
    }

    int32_t Integer(const std::string& what, int32_t low, int32_t high)
    {
        const std::string w = Word(what);
        int32_t v = 0;
        if (!ParseInteger(w, v) || v < low || v > high)
            Fail(keyword() + ": " + what + " " + Quote(w) + " is not a whole number from " + std::to_string(low) +
                 " to " + std::to_string(high));
        return v;
    }

    void Expect(const std::string& word)
    {
        const Token& t = Next(Quote(word));
        if (t.kind != Token::Kind::Word || t.text != word)
            Fail(keyword() + ": " + Quote(word) + " expected, found " + Quote(t.text));
    }

    bool Take(const std::string& word)
    {
        if (AtEnd() || Peek().kind != Token::Kind::Word || Peek().text != word) return false;
        ++i_;
        return true;
    }

    bool NextIsNumber() const { return !AtEnd() && Peek().kind == Token::Kind::Word && LooksNumeric(Peek().text); }

    // Reads the options that may follow a statement's fixed part; each
    // option word calls its handler, which reads the option's values.
    void Options(const std::map<std::string, std::function<void()>>& handlers)
    {
        while (!AtEnd()) {
            const Token& t = Next("option");
            const auto it = t.kind == Token::Kind::Word ? handlers.find(t.text) : handlers.end();
            if (it == handlers.end()) {
                std::string known;
                for (const auto& [name, handler] : handlers) known += (known.empty() ? "" : ", ") + name;
                Fail(keyword() + ": unexpected " + Quote(t.text) +
                     (known.empty() ? std::string(" at the end of the line") : " (options here: " + known + ")"));
            }
            it->second();
        }
    }

    void End()
    {
        if (!AtEnd()) Fail(keyword() + ": unexpected " + Quote(Peek().text) + " at the end of the line");
    }

private:
    const SourceLine& line_;
    int64_t unit_;
    size_t i_ = 1;
};

// Item options shared by graphics and texts.
struct ItemOptions {
    ItemDef& item;
    Cursor& c;

    void AddCommon(std::map<std::string, std::function<void()>>& h, bool graphic)
    {
        h["layer"] = [this] { item.layer = c.Integer("layer", 0, 255); };
        h["flags"] = [this] { item.flags = c.Integer("flags", INT32_MIN, INT32_MAX); };
        h["link"] = [this] { item.link = c.Integer("link", INT32_MIN, INT32_MAX); };
        if (graphic) {
            h["width"] = [this] {
                item.width = c.Length("line width");
                if (item.width < 0) c.Fail(c.keyword() + ": line width must not be negative");
            };
            h["style"] = [this] { item.style = c.Integer("style", 0, 4); };
        }
    }
};

// Centres a page outline on the origin as the page-format dialog does, the
// lower left corner of its bounds on a multiple of 1000 units.
std::vector<std::pair<int32_t, int32_t>> CentredFrame(int32_t width, int32_t height)
{
    std::vector<std::pair<int64_t, int64_t>> pts = {{0, 0}, {width, 0}, {width, height}, {0, height}};
    auto centre = [](int64_t lo, int64_t hi) { return static_cast<int64_t>(std::nearbyint((hi - lo) / 2.0 + lo)); };
    const int64_t cx = centre(0, width), cy = centre(0, height);
    for (auto& p : pts) {
        p.first -= cx;
        p.second -= cy;
    }
    auto round1000 = [](int64_t v) {
        const int64_t r = v + (v < 0 ? -500 : 500);
        return (r / 1000) * 1000;
    };
    const int64_t lx = pts[0].first, ly = pts[0].second;
    const int64_t dx = lx - round1000(lx), dy = ly - round1000(ly);
    std::vector<std::pair<int32_t, int32_t>> out;
    for (auto& p : pts) out.emplace_back(static_cast<int32_t>(p.first - dx), static_cast<int32_t>(p.second - dy));
    return out;
}

class Reader {
public:
    explicit Reader(Source& source) : src_(source) {}

    void ReadFile(const fs::path& path, const SourcePos& from, bool top)
    {
        std::error_code ec;
        const fs::path canonical = fs::weakly_canonical(path, ec);
        const std::string key = (ec ? path : canonical).string();
        if (!seen_.insert(key).second) return;  // each file is read once
        std::ifstream in(path, std::ios::binary);
        if (!in) {
            if (top) Fail({path.string(), 0}, "cannot be opened");
            Fail(from, "include: " + Quote(path.string()) + " cannot be opened");
        }
        std::ostringstream text;
        text << in.rdbuf();
        if (in.bad()) Fail({path.string(), 0}, "cannot be read");
        ReadText(text.str(), path.string(), path.parent_path(), top);
    }

    void ReadText(const std::string& text, const std::string& name, const fs::path& dir, bool top)
    {
        std::vector<SourceLine> lines;
        std::string error;
        if (!Tokenize(text, name, lines, error)) throw ParseError{{name, 0}, error};
        FileState st;
        st.name = name;
        st.dir = dir;
        st.top = top;
        for (const SourceLine& line : lines) Statement(st, line);
        if (st.symbol) Fail(st.symbol->pos, "symbol " + Quote(st.symbol->name) + " is not closed with 'end'");
        if (st.device) Fail(st.device->pos, "device " + Quote(st.device->name) + " is not closed with 'end'");
        if (st.page) Fail(st.page->pos, "page " + Quote(st.page->name) + " is not closed with 'end'");
    }

private:
    struct FileState {
        std::string name;
        fs::path dir;
        bool top = false;
        int64_t unit = 1;
        std::optional<SymbolDef> symbol;
        std::optional<DeviceDef> device;
        std::optional<PageDef> page;
    };

    Source& src_;
    std::set<std::string> seen_;

    void Statement(FileState& st, const SourceLine& line)
    {
        const Token& first = line.tokens[0];
        if (first.kind != Token::Kind::Word) Fail(line.pos, "a statement starts with a keyword, not " + Quote(first.text));
        Cursor c(line, st.unit);
        const std::string& kw = first.text;
        if (st.symbol) return SymbolStatement(st, c, kw);
        if (st.device) return DeviceStatement(st, c, kw);
        if (st.page) return PageStatement(st, c, kw);
        TopStatement(st, c, kw);
    }

    // ---- Top level --------------------------------------------------------------------

    void TopStatement(FileState& st, Cursor& c, const std::string& kw)
    {
        if (kw == "unit") {
            const std::string w = c.Word("unit");
            if (!ParseUnit(w, st.unit)) c.Fail("unit: " + Quote(w) + " is not a length above 0 (for example 0.1in, 1mil, 1mm)");
            c.End();
        } else if (kw == "include") {
            const std::string file = c.Name("file name");
            c.End();
            fs::path p(file);
            if (p.is_relative()) p = st.dir / p;
            ReadFile(p, c.pos(), false);
        } else if (kw == "symbol") {
            SymbolDef s;
            s.pos = c.pos();
            s.name = c.Name("symbol name");
            const std::string kind = c.Word("symbol kind (schematic or layout)");
            if (kind == "layout") {
                s.layout = true;
            } else if (kind != "schematic") {
                c.Fail("symbol: kind must be 'schematic' or 'layout', not " + Quote(kind));
            }
            c.End();
            st.symbol = std::move(s);
        } else if (kw == "device") {
            DeviceDef d;
            d.pos = c.pos();
            d.name = c.Name("device name");
            c.End();
            st.device = std::move(d);
        } else if (kw == "design") {
            if (!st.top) c.Fail("design: an included file holds symbols and devices only");
            if (src_.design) c.Fail("design: the source already has a design (line " + std::to_string(src_.design->pos.line) + ")");
            DesignDef d;
            d.pos = c.pos();
            d.name = c.Name("design name");
            c.End();
            src_.design = std::move(d);
        } else if (kw == "level") {
            DesignDef& d = NeedDesign(c);
            LevelDef l;
            l.pos = c.pos();
            l.name = c.Name("level name");
            c.End();
            for (const LevelDef& other : d.levels)
                if (other.name == l.name)
                    c.Fail("level: " + Quote(l.name) + " is already defined (line " + std::to_string(other.pos.line) + ")");
            d.levels.push_back(std::move(l));
        } else if (kw == "page") {
            LevelDef& l = NeedLevel(c);
            PageDef p;
            p.pos = c.pos();
            p.name = c.Name("page name");
            c.Options({{"frame", [&] {
                            const int32_t w = c.Size("frame width");
                            const int32_t h = c.Size("frame height");
                            p.frame = CentredFrame(w, h);
                        }}});
            for (const PageDef& other : l.pages)
                if (other.name == p.name)
                    c.Fail("page: " + Quote(p.name) + " is already a page of level " + Quote(l.name) + " (line " +
                           std::to_string(other.pos.line) + ")");
            // The kernel holds 99; the build adds "MAINPAGE" to a root
            // level that names none.
            if (l.pages.size() >= 98) c.Fail("page: a level holds at most 98 pages");
            st.page = std::move(p);
        } else if (kw == "net") {
            NetStatement(c, NeedLevel(c));
        } else if (kw == "bus") {
            BusStatement(c, NeedLevel(c));
        } else if (kw == "end") {
            c.Fail("end: no symbol, device or page is open");
        } else {
            c.Fail("unknown statement " + Quote(kw) +
                   " (expected unit, include, symbol, device, design, level, page, net or bus)");
        }
    }

    DesignDef& NeedDesign(Cursor& c)
    {
        if (!src_.design) c.Fail(c.keyword() + ": no 'design' statement before it");
        return *src_.design;
    }

    LevelDef& NeedLevel(Cursor& c)
    {
        DesignDef& d = NeedDesign(c);
        if (d.levels.empty()) c.Fail(c.keyword() + ": no 'level' statement before it");
        return d.levels.back();
    }

    void NetStatement(Cursor& c, LevelDef& level)
    {
        NetDef n;
        n.pos = c.pos();
        n.name = c.Name("net name");
        if (c.Take("power")) n.power = true;
        while (!c.AtEnd()) {
            const std::string w = c.Name("pin");
            const size_t dot = w.find('.');
            if (dot == std::string::npos || dot == 0 || dot + 1 == w.size())
                c.Fail("net: " + Quote(w) + " is not a pin (write component.pin, for example R1.2)");
            n.nodes.push_back({c.pos(), w.substr(0, dot), w.substr(dot + 1)});
        }
        level.nets.push_back(std::move(n));
    }

    void BusStatement(Cursor& c, LevelDef& level)
    {
        BusDef b;
        b.pos = c.pos();
        b.name = c.Name("bus name");
        while (!c.AtEnd()) b.members.push_back(c.Name("member net"));
        if (b.members.size() > 128) c.Fail("bus: a bus holds at most 128 member nets");
        level.buses.push_back(std::move(b));
    }

    // ---- Drawing items (symbols and pages) --------------------------------------------

    bool ItemStatement(Cursor& c, const std::string& kw, std::vector<ItemDef>& items)
    {
        ItemDef it;
        it.pos = c.pos();
        ItemOptions o{it, c};
        std::map<std::string, std::function<void()>> h;
        if (kw == "line") {
            std::vector<std::pair<int32_t, int32_t>> pts;
            while (c.NextIsNumber()) {
                const int32_t x = c.Length("x");
                const int32_t y = c.Length("y");
                pts.emplace_back(x, y);
            }
            if (pts.size() < 2) c.Fail("line: at least two points (x y x y) are needed");
            o.AddCommon(h, true);
            c.Options(h);
            it.kind = kItemLine;
            for (size_t i = 0; i + 1 < pts.size(); ++i) {
                ItemDef seg = it;
                seg.x = pts[i].first;
                seg.y = pts[i].second;
                seg.p1 = Delta(c, pts[i + 1].first, pts[i].first);
                seg.p2 = Delta(c, pts[i + 1].second, pts[i].second);
                if (seg.p1 == 0 && seg.p2 == 0) c.Fail("line: two consecutive points are the same");
                items.push_back(seg);
            }
            return true;
        }
        if (kw == "rect") {
            it.kind = kItemRectangle;
            it.x = c.Length("x");
            it.y = c.Length("y");
            it.p1 = c.Length("width");
            it.p2 = c.Length("height");
            if (it.p1 == 0 || it.p2 == 0) c.Fail("rect: width and height must not be 0");
            o.AddCommon(h, true);
            h["angle"] = [&] { it.angle = c.Angle("angle"); };
            h["filled"] = [&] { it.style = 16; };
        } else if (kw == "circle") {
            it.kind = kItemCircle;
            it.x = c.Length("centre x");
            it.y = c.Length("centre y");
            it.p1 = c.Size("radius");
            o.AddCommon(h, true);
            h["filled"] = [&] { it.style = 16; };
        } else if (kw == "arc") {
            it.kind = kItemArc;
            it.x = c.Length("centre x");
            it.y = c.Length("centre y");
            it.p1 = c.Size("radius");
            it.p2 = c.Angle("start angle");
            it.p3 = c.Angle("sweep");
            if (it.p3 == 0) c.Fail("arc: sweep must not be 0");
            o.AddCommon(h, true);
        } else if (kw == "triangle") {
            it.kind = kItemTriangle;
            int32_t v[6];
            for (int i = 0; i < 6; ++i) v[i] = c.Length(i % 2 ? "y" : "x");
            it.x = v[0];
            it.y = v[1];
            it.p1 = Delta(c, v[2], v[0]);
            it.p2 = Delta(c, v[3], v[1]);
            it.p3 = Delta(c, v[4], v[0]);
            it.p4 = Delta(c, v[5], v[1]);
            if (static_cast<int64_t>(it.p1) * it.p4 - static_cast<int64_t>(it.p2) * it.p3 == 0)
                c.Fail("triangle: the three corners lie on one line");
            o.AddCommon(h, true);
            h["filled"] = [&] { it.style = 16; };
        } else if (kw == "text") {
            it.kind = kItemText;
            const Token& t = c.Next("text");
            if (t.kind != Token::Kind::String && t.kind != Token::Kind::Word) c.Fail("text: the text expected");
            it.text = t.text;
            if (it.text.empty()) c.Fail("text: the text must not be empty");
            if (it.text.size() > kMaxName) c.Fail("text: the text is longer than 255 characters");
            c.Expect("at");
            it.x = c.Length("x");
            it.y = c.Length("y");
            SetTextSize(c, it, kDefaultTextHeight, 0);
            o.AddCommon(h, false);
            h["angle"] = [&] { it.angle = c.Angle("angle"); };
            h["hidden"] = [&] {
                it.p1 = 0;
                it.p2 = 0;
            };
            h["size"] = [&] {
                const int32_t height = c.Size("text height");
                const int32_t width = c.NextIsNumber() ? c.Size("text width") : 0;
                SetTextSize(c, it, height, width);
            };
            h["role"] = [&] {
                const std::string r = c.Word("role");
                static const std::map<std::string, int32_t> roles = {
                    {"reference", 2}, {"description", 4}, {"gate", 8}, {"pinnumber", 16}, {"hierarchy", 32}};
                const auto f = roles.find(r);
                if (f == roles.end())
                    c.Fail("text: role must be reference, description, gate, pinnumber or hierarchy, not " + Quote(r));
                it.flags = (it.flags & ~62) | f->second;
            };
        } else {
            return false;
        }
        c.Options(h);
        items.push_back(it);
        return true;
    }

    static int32_t Delta(Cursor& c, int32_t to, int32_t from)
    {
        const int64_t d = static_cast<int64_t>(to) - from;
        if (d > kCoordLimit || d < -kCoordLimit) c.Fail(c.keyword() + ": the item spans more than 220,000,000 units");
        return static_cast<int32_t>(d);
    }

    static void SetTextSize(Cursor& c, ItemDef& it, int32_t height, int32_t width)
    {
        if (width == 0) width = static_cast<int32_t>(std::lround(height * 2.0 / 3.0));
        it.p1 = static_cast<int32_t>(std::lround(static_cast<double>(height) / kTextCell));
        it.p2 = static_cast<int32_t>(std::lround(static_cast<double>(width) / kTextCell));
        if (it.p1 < 1 || it.p2 < 1) c.Fail("text: the text size is too small (at least 6 units)");
    }

    // ---- Symbols ----------------------------------------------------------------------

    void SymbolStatement(FileState& st, Cursor& c, const std::string& kw)
    {
        SymbolDef& s = *st.symbol;
        if (kw == "end") {
            c.End();
            Finish(st, std::move(s));
            st.symbol.reset();
            return;
        }
        if (kw == "entry") {
            if (s.layout) c.Fail("entry: a layout symbol has pads ('pad'), not entries");
            EntryDef e;
            e.pos = c.pos();
            e.name = c.Name("entry name");
            c.Expect("at");
            e.x = c.Length("x");
            e.y = c.Length("y");
            bool flagsGiven = false;
            c.Options({{"number",
                        [&] {
                            e.keyOrTextX = c.Length("pin-number text x offset");
                            e.textY = c.Length("pin-number text y offset");
                            if (c.NextIsNumber()) e.textAngle = c.Angle("pin-number text angle");
                            if (!flagsGiven) e.flags |= 2;
                        }},
                       {"swap", [&] { e.swapLevel = c.Integer("swap level", -1, INT32_MAX); }},
                       {"flags", [&] {
                            e.flags = c.Integer("flags", INT32_MIN, INT32_MAX);
                            flagsGiven = true;
                        }}});
            AddEntry(c, s, std::move(e));
            return;
        }
        if (kw == "pad") {
            if (!s.layout) c.Fail("pad: a schematic symbol has entries ('entry'), not pads");
            EntryDef e;
            e.pos = c.pos();
            e.name = c.Name("pad name");
            c.Expect("at");
            e.x = c.Length("x");
            e.y = c.Length("y");
            c.Expect("stack");
            e.keyOrTextX = c.Integer("pad-stack key", 1, INT32_MAX);
            c.Options({{"swap", [&] { e.swapLevel = c.Integer("swap level", -1, INT32_MAX); }}});
            AddEntry(c, s, std::move(e));
            return;
        }
        if (kw == "padstack") {
            if (!s.layout) c.Fail("padstack: only a layout symbol has pad stacks");
            PadStackDef p;
            p.pos = c.pos();
            p.key = c.Integer("pad-stack key", 1, INT32_MAX);
            for (const PadStackDef& other : s.padStacks)
                if (other.key == p.key)
                    c.Fail("padstack: key " + std::to_string(p.key) + " is already used (line " +
                           std::to_string(other.pos.line) + ")");
            const std::string shape = c.Word("pad shape (round or square)");
            if (shape != "round" && shape != "square") c.Fail("padstack: shape must be 'round' or 'square', not " + Quote(shape));
            const int32_t size = c.Size("pad size");
            std::vector<int32_t> layers;
            c.Options({{"hole",
                        [&] {
                            p.hole = c.Size("hole diameter");
                            if (p.hole >= size) c.Fail("padstack: the hole must be smaller than the pad");
                        }},
                       {"layers", [&] {
                            while (c.NextIsNumber()) {
                                const int32_t l = c.Integer("layer", 1, 30);
                                for (int32_t other : layers)
                                    if (other == l) c.Fail("padstack: layer " + std::to_string(l) + " is given twice");
                                layers.push_back(l);
                            }
                            if (layers.empty()) c.Fail("padstack: layers: at least one copper layer (1 to 30)");
                        }}});
            if (layers.empty()) layers = p.hole > 0 ? std::vector<int32_t>{1, 2} : std::vector<int32_t>{1};
            for (int32_t l : layers) {
                ItemDef pad;
                pad.pos = c.pos();
                pad.layer = 96 + l;
                if (shape == "round") {
                    pad.kind = kItemCircle;
                    pad.p1 = size / 2;
                    if (pad.p1 < 1) c.Fail("padstack: the pad is too small");
                } else {
                    pad.kind = kItemRectangle;
                    pad.x = -size / 2;
                    pad.y = -size / 2;
                    pad.p1 = size;
                    pad.p2 = size;
                }
                p.pads.push_back(pad);
            }
            s.padStacks.push_back(std::move(p));
            return;
        }
        if (ItemStatement(c, kw, s.items)) return;
        c.Fail("unknown statement " + Quote(kw) + " in symbol " + Quote(s.name) +
               (s.layout ? " (expected pad, padstack" : " (expected entry") +
               ", line, rect, circle, arc, triangle, text or end)");
    }

    static void AddEntry(Cursor& c, SymbolDef& s, EntryDef e)
    {
        if (s.FindEntry(e.name) != 0)
            c.Fail(c.keyword() + ": " + Quote(e.name) + " is already an entry of symbol " + Quote(s.name) + " (line " +
                   std::to_string(s.entries[s.FindEntry(e.name) - 1].pos.line) + ")");
        s.entries.push_back(std::move(e));
    }

    void Finish(FileState& st, SymbolDef s)
    {
        if (const SymbolDef* other = src_.library.FindSymbol(s.name))
            Fail(s.pos, "symbol " + Quote(s.name) + " is already defined at " + Where(other->pos));
        for (const EntryDef& e : s.entries) {
            if (!s.layout) continue;
            bool found = false;
            for (const PadStackDef& p : s.padStacks) found = found || p.key == e.keyOrTextX;
            if (!found)
                Fail(e.pos, "pad " + Quote(e.name) + ": pad stack " + std::to_string(e.keyOrTextX) +
                                " is not defined in symbol " + Quote(s.name));
        }
        if (s.items.empty() && s.entries.empty())
            Fail(s.pos, "symbol " + Quote(s.name) + " has neither drawing items nor entries");
        if (st.top) src_.ownSymbols.push_back(s.name);
        src_.library.symbolIndex[s.name] = src_.library.symbols.size();
        src_.library.symbols.push_back(std::move(s));
    }

    // ---- Devices ----------------------------------------------------------------------

    void DeviceStatement(FileState& st, Cursor& c, const std::string& kw)
    {
        DeviceDef& d = *st.device;
        if (kw == "end") {
            c.End();
            if (d.prefix.empty()) c.Fail("end: device " + Quote(d.name) + " has no 'prefix'");
            if (d.package.empty()) c.Fail("end: device " + Quote(d.name) + " has no 'package'");
            if (d.groups.empty()) c.Fail("end: device " + Quote(d.name) + " has no 'gate'");
            if (d.PackageText().size() > kMaxName)
                c.Fail("end: the package text of device " + Quote(d.name) + " is longer than 255 characters");
            if (const DeviceDef* other = src_.library.FindDevice(d.name))
                Fail(d.pos, "device " + Quote(d.name) + " is already defined at " + Where(other->pos));
            if (st.top) src_.ownDevices.push_back(d.name);
            src_.library.deviceIndex[d.name] = src_.library.devices.size();
            src_.library.devices.push_back(std::move(d));
            st.device.reset();
            return;
        }
        if (kw == "prefix") {
            if (!d.prefix.empty()) c.Fail("prefix: the device already has a prefix");
            d.prefix = c.Name("prefix");
            if (d.prefix.size() > kMaxPrefix) c.Fail("prefix: at most 8 characters");
            c.End();
        } else if (kw == "package") {
            if (!d.package.empty()) c.Fail("package: the device already has a package");
            d.package = c.Name("package name");
            if (d.package.find(' ') != std::string::npos) c.Fail("package: the package name must not contain a blank");
            c.End();
        } else if (kw == "field") {
            const Token& t = c.Next("field text");
            if (t.text.find(static_cast<char>(128)) != std::string::npos)
                c.Fail("field: the text must not contain the field separator (character 128)");
            d.fields.push_back(t.text);
            c.End();
        } else if (kw == "gate") {
            GroupDef g;
            g.pos = c.pos();
            g.name = c.Name("gate name");
            g.symbol = c.Name("gate symbol name");
            c.End();
            for (const GroupDef& other : d.groups)
                if (other.name == g.name)
                    c.Fail("gate: " + Quote(g.name) + " is already a gate of device " + Quote(d.name));
            d.groups.push_back(std::move(g));
        } else if (kw == "pin" || kw == "supply") {
            PinDef p;
            p.pos = c.pos();
            p.number = c.Integer("pin number", 1, 99999);
            p.name = c.Name(kw == "pin" ? "entry name" : "net name");
            c.End();
            for (const GroupDef& g : d.groups)
                for (const PinDef& other : g.pins)
                    if (other.number == p.number)
                        c.Fail(kw + ": pin number " + std::to_string(p.number) + " is already used (line " +
                               std::to_string(other.pos.line) + ")");
            for (const PinDef& other : d.supply)
                if (other.number == p.number)
                    c.Fail(kw + ": pin number " + std::to_string(p.number) + " is already used (line " +
                           std::to_string(other.pos.line) + ")");
            if (kw == "pin") {
                if (d.groups.empty()) c.Fail("pin: no 'gate' before it");
                GroupDef& g = d.groups.back();
                for (const PinDef& other : g.pins)
                    if (other.name == p.name)
                        c.Fail("pin: entry " + Quote(p.name) + " already has pin " + std::to_string(other.number) +
                               " in gate " + Quote(g.name));
                g.pins.push_back(std::move(p));
            } else {
                d.supply.push_back(std::move(p));
            }
        } else {
            c.Fail("unknown statement " + Quote(kw) + " in device " + Quote(d.name) +
                   " (expected prefix, package, field, gate, pin, supply or end)");
        }
    }

    // ---- Pages ------------------------------------------------------------------------

    void PageStatement(FileState& st, Cursor& c, const std::string& kw)
    {
        PageDef& p = *st.page;
        if (kw == "end") {
            c.End();
            src_.design->levels.back().pages.push_back(std::move(p));
            st.page.reset();
            return;
        }
        if (kw == "component") {
            ComponentDef comp;
            comp.pos = c.pos();
            comp.ref = c.Name("component name");
            if (comp.ref.find('.') != std::string::npos || comp.ref.find('/') != std::string::npos)
                c.Fail("component: the name must not contain '.' or '/'");
            if (c.Take("symbol")) {
                comp.symbol = c.Name("symbol name");
            } else {
                comp.device = c.Name("device name");
            }
            bool placed = false;
            std::map<std::string, std::function<void()>> h = {
                {"at",
                 [&] {
                     comp.x = c.Length("x");
                     comp.y = c.Length("y");
                     placed = true;
                 }},
                {"angle", [&] { comp.angle = c.Angle("angle"); }},
                {"mirror", [&] { comp.mirror = true; }},
            };
            if (!comp.symbol.empty()) {
                h["child"] = [&] { comp.child = c.Name("child level"); };
            } else {
                h["gate"] = [&] { comp.gate = c.Name("gate"); };
                h["value"] = [&] {
                    comp.value = c.Name("value");
                };
            }
            c.Options(h);
            if (!placed) c.Fail("component: the position ('at x y') is missing");
            p.components.push_back(std::move(comp));
        } else if (kw == "junction") {
            JunctionDef j;
            j.pos = c.pos();
            j.name = c.Name("junction name");
            if (j.name.find('.') != std::string::npos || LooksNumeric(j.name))
                c.Fail("junction: the name must not contain '.' nor start like a number");
            c.Expect("at");
            j.x = c.Length("x");
            j.y = c.Length("y");
            c.End();
            p.junctions.push_back(std::move(j));
        } else if (kw == "wire" || kw == "buswire") {
            WireDef w;
            w.pos = c.pos();
            w.bus = kw == "buswire";
            w.net = c.Name(w.bus ? "bus name" : "net name");
            while (!c.AtEnd()) {
                const Token& t = c.Peek();
                if (t.kind == Token::Kind::Word && t.text == "label") break;
                PointDef pt;
                pt.pos = c.pos();
                if (t.kind == Token::Kind::Open) {
                    c.Next("(");
                    pt.kind = PointDef::Kind::Position;
                    pt.x = c.Length("x");
                    pt.y = c.Length("y");
                    const Token& close = c.Next("')'");
                    if (close.kind != Token::Kind::Close) c.Fail(kw + ": ')' expected after a position's x and y");
                } else if (t.kind == Token::Kind::Close) {
                    c.Fail(kw + ": ')' without '('");
                } else {
                    const std::string word = c.Name("point");
                    const size_t dot = word.find('.');
                    if (dot != std::string::npos) {
                        if (w.bus) c.Fail("buswire: a bus wire joins positions and junctions, not pins (" + Quote(word) + ")");
                        if (dot == 0 || dot + 1 == word.size())
                            c.Fail(kw + ": " + Quote(word) + " is not a pin (write component.pin, for example R1.2)");
                        pt.kind = PointDef::Kind::Pin;
                        pt.ref = word.substr(0, dot);
                        pt.pin = word.substr(dot + 1);
                    } else {
                        if (LooksNumeric(word))
                            c.Fail(kw + ": " + Quote(word) + " is neither a pin nor a junction (a position is written ( x y ))");
                        pt.kind = PointDef::Kind::Junction;
                        pt.ref = word;
                    }
                }
                w.points.push_back(pt);
            }
            if (w.points.size() < 2) c.Fail(kw + ": a wire needs at least two points");
            c.Options({{"label", [&] {
                            LabelDef l;
                            l.x = c.Length("label x");
                            l.y = c.Length("label y");
                            ItemDef size;
                            SetTextSize(c, size, kDefaultTextHeight, 0);
                            c.Options({{"angle", [&] { l.angle = c.Angle("label angle"); }},
                                       {"size", [&] {
                                            const int32_t height = c.Size("text height");
                                            const int32_t width = c.NextIsNumber() ? c.Size("text width") : 0;
                                            SetTextSize(c, size, height, width);
                                        }}});
                            l.height = size.p1;
                            l.width = size.p2;
                            w.label = l;
                        }}});
            p.wires.push_back(std::move(w));
        } else if (kw == "net") {
            NetStatement(c, src_.design->levels.back());
        } else if (kw == "bus") {
            BusStatement(c, src_.design->levels.back());
        } else if (!ItemStatement(c, kw, p.items)) {
            c.Fail("unknown statement " + Quote(kw) + " in page " + Quote(p.name) +
                   " (expected component, junction, wire, buswire, net, bus, text, line, rect, circle, arc, triangle or end)");
        }
    }
};

// Checks what only the whole library can tell: the symbols a device names
// exist and fit its pins.
void CheckDevices(const Library& lib)
{
    for (const DeviceDef& d : lib.devices) {
        const SymbolDef* package = lib.FindSymbol(d.package);
        if (!package) Fail(d.pos, "device " + Quote(d.name) + ": package " + Quote(d.package) + " is not defined");
        if (!package->layout)
            Fail(d.pos, "device " + Quote(d.name) + ": package " + Quote(d.package) + " is a schematic symbol, not a layout symbol");
        auto checkPad = [&](const PinDef& p) {
            if (package->FindEntry(std::to_string(p.number)) == 0)
                Fail(p.pos, "device " + Quote(d.name) + ": package " + Quote(d.package) + " has no pad " +
                                std::to_string(p.number));
        };
        for (const GroupDef& g : d.groups) {
            const SymbolDef* s = lib.FindSymbol(g.symbol);
            if (!s) Fail(g.pos, "gate " + Quote(g.name) + ": symbol " + Quote(g.symbol) + " is not defined");
            if (s->layout) Fail(g.pos, "gate " + Quote(g.name) + ": symbol " + Quote(g.symbol) + " is a layout symbol");
            for (const PinDef& p : g.pins) {
                if (s->FindEntry(p.name) == 0)
                    Fail(p.pos, "pin " + std::to_string(p.number) + ": symbol " + Quote(g.symbol) + " has no entry " +
                                    Quote(p.name));
                checkPad(p);
            }
            for (const EntryDef& e : s->entries) {
                bool mapped = false;
                for (const PinDef& p : g.pins) mapped = mapped || p.name == e.name;
                if (!mapped)
                    Fail(g.pos, "gate " + Quote(g.name) + " of device " + Quote(d.name) + ": entry " + Quote(e.name) +
                                    " of symbol " + Quote(g.symbol) + " has no pin");
            }
        }
        for (const PinDef& p : d.supply) checkPad(p);
    }
}

bool Run(Source& source, std::string& error, const std::function<void(Reader&)>& read)
{
    Source fresh;
    try {
        Reader reader(fresh);
        read(reader);
        CheckDevices(fresh.library);
    } catch (const ParseError& e) {
        error = e.pos.line > 0 ? Where(e.pos) + ": " + e.message : e.pos.file + ": " + e.message;
        // Messages of the tokenizer carry their own place already.
        if (e.pos.line == 0 && e.message.rfind(e.pos.file + ":", 0) == 0) error = e.message;
        return false;
    } catch (const std::exception& e) {
        error = std::string("cannot read the source: ") + e.what();
        return false;
    }
    source = std::move(fresh);
    return true;
}

}  // namespace

bool ReadSourceFile(const std::string& path, Source& source, std::string& error)
{
    return Run(source, error, [&](Reader& r) { r.ReadFile(path, {path, 0}, true); });
}

bool ReadSourceText(const std::string& text, const std::string& name, const std::string& includeDir, Source& source,
                    std::string& error)
{
    return Run(source, error, [&](Reader& r) { r.ReadText(text, name, includeDir, true); });
}

}  // namespace nvo_sources
