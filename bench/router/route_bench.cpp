// The router on generated pages beside a Lee maze router with a bend cost,
// written here on the same grid pitch, with the same blockages (bodies plus
// half a step, pin exit stubs, crossings of foreign wires allowed, no run
// along or T-touch of a foreign wire, own-net wires as targets) and the same
// pair order. Each case prints completion, length, bends, crossings,
// violations, time and memory for both.
//
//   route_bench [--quick] [design-file]   generated cases, or one design
#include "platform/kernel/nvokernel32.h"
#include "router/corvex.h"
#include "router/route.h"
#include "tests/router/router_checks.h"
#include "tools/sources/source_builder.h"
#include "tools/sources/source_reader.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <queue>
#include <random>
#include <sstream>
#include <string>
#include <vector>

using namespace corvex;

namespace {

const char* kSymbols[] = {"RES", "NAND2", "DFF", "CAP"};
const char* kEntries[][6] = {{"1", "2"}, {"A", "B", "Y"}, {"D", "CLK", "Q", "QN", "PRE", "CLR"}, {"1", "2"}};
const int kEntryCount[] = {2, 3, 6, 2};

// A generated page: n components on a grid of pitch (px, py) tenths of an
// inch, nets of 2..6 pins joining random free pins.
std::string Generate(int n, int seed, int px, int py)
{
    std::mt19937 rng(static_cast<unsigned>(seed * 7919 + n));
    const int cols = std::max(1, static_cast<int>(std::sqrt(n * double(py) / px)) + 1);
    const int rows = (n + cols - 1) / cols;
    const int w = cols * px + 20, h = rows * py + 20;
    std::ostringstream s;
    s << "include discrete.nls\ninclude ics.nls\nunit 0.1in\ndesign G\nlevel MAIN\n";
    std::vector<std::string> pins;
    std::ostringstream page;
    page << "page P frame " << w << " " << h << "\n";
    for (int i = 0; i < n; ++i) {
        const int k = static_cast<int>(rng() % 4);
        const int x = -w / 2 + 10 + (i % cols) * px + px / 2, y = -h / 2 + 10 + (i / cols) * py + py / 2;
        page << "  component U" << i << " symbol " << kSymbols[k] << " at " << x << " " << y << "\n";
        for (int e = 0; e < kEntryCount[k]; ++e) {
            std::string pin = "U";
            pin += std::to_string(i);
            pin += '.';
            pin += kEntries[k][e];
            pins.push_back(pin);
        }
    }
    std::shuffle(pins.begin(), pins.end(), rng);
    size_t at = 0;
    int nets = 0;
    while (at + 2 <= pins.size() && at < pins.size() * 7 / 10) {
        const size_t size = std::min<size_t>(2 + rng() % 5, pins.size() - at);
        s << "net N" << nets;
        for (size_t j = 0; j < size; ++j) s << " " << pins[at + j];
        s << "\n";
        at += size, ++nets;
    }
    s << page.str() << "end\n";
    return s.str();
}

bool Build(const std::string& text, const std::string& libs)
{
    nvo_sources::Source source;
    std::string error;
    DB_DiscardDataBase();
    if (nvo_sources::ReadSourceText(text, "design", libs, source, error) && nvo_sources::BuildDesign(source, error))
        return true;
    std::fprintf(stderr, "design: %s\n", error.c_str());
    if (DB_DataBase() == 0) DB_CreateDataBase("Untitled", "MAINHIER", "MAINPAGE");
    return false;
}

bool LoadImage()
{
    SCR_DBaseFree();
    SCR_SetPreloadBits(5);
    if (!SCR_LoadComponentsAndSymbols() || !SCR_LoadFields() || !LD_PreLoadBranchesAndBPoints()) return false;
    SCR_SetStepIndex(3);
    return true;
}

// ---- the Lee router ---------------------------------------------------------------

struct Lee {
    int32_t ox = 0, oy = 0, step = 0, cols = 0, rows = 0;
    std::vector<uint8_t> body;           // within half a step of a body
    std::vector<int32_t> hNet, vNet;     // net running along / across a cell
    std::vector<uint8_t> endOf;          // a wire ends or bends here (index net in endNet)
    std::vector<int32_t> endNet;
    size_t Bytes() const { return body.size() * 2 + (hNet.size() + vNet.size() + endNet.size()) * 4 + endOf.size(); }

    int32_t Idx(int32_t gx, int32_t gy) const { return gy * cols + gx; }
    bool Cell(int32_t x, int32_t y, int32_t& gx, int32_t& gy) const
    {
        if ((x - ox) % step || (y - oy) % step) return false;
        gx = (x - ox) / step, gy = (y - oy) / step;
        return gx >= 0 && gy >= 0 && gx < cols && gy < rows;
    }

    void Setup()
    {
        const int32_t pg = FindPageIndex(g_ScrCurPage);
        const ScrPageRec& p = g_Pages[pg];
        step = g_StepSize, ox = p.frameMinX, oy = p.frameMinY;
        cols = (p.frameMaxX - ox) / step + 1, rows = (p.frameMaxY - oy) / step + 1;
        const size_t n = size_t(cols) * rows;
        body.assign(n, 0), hNet.assign(n, 0), vNet.assign(n, 0), endOf.assign(n, 0), endNet.assign(n, 0);
        const int64_t half = step / 2;
        for (int32_t c = 1; c <= g_Comps.Count(); ++c) {
            if (g_Comps[c].page != g_ScrCurPage) continue;
            const Seg b = CompBody(c, 0);
            for (int32_t gy = std::max(0, int32_t((b.y1 - half - oy) / step)); gy < rows && oy + int64_t(gy) * step < b.y2 + half; ++gy)
                for (int32_t gx = std::max(0, int32_t((b.x1 - half - ox) / step)); gx < cols && ox + int64_t(gx) * step < b.x2 + half; ++gx) {
                    const int64_t x = ox + int64_t(gx) * step, y = oy + int64_t(gy) * step;
                    if (x > b.x1 - half && x < b.x2 + half && y > b.y1 - half && y < b.y2 + half) body[Idx(gx, gy)] = 1;
                }
        }
    }

    void Mark(const std::vector<std::pair<int32_t, int32_t>>& cells, int32_t net)
    {
        for (size_t i = 0; i < cells.size(); ++i) {
            const auto [gx, gy] = cells[i];
            const int32_t k = Idx(gx, gy);
            const bool h = (i > 0 && cells[i - 1].second == gy) || (i + 1 < cells.size() && cells[i + 1].second == gy);
            const bool v = (i > 0 && cells[i - 1].first == gx) || (i + 1 < cells.size() && cells[i + 1].first == gx);
            if (h) hNet[k] = net;
            if (v) vNet[k] = net;
            if (i == 0 || i + 1 == cells.size() || (h && v)) endOf[k] = 1, endNet[k] = net;
        }
    }

    // Dijkstra over (cell, direction) with a bend cost of `bend` steps.
    bool Route(int32_t node, std::vector<std::pair<int32_t, int32_t>>& out)
    {
        const ScrNodeRec& a = g_Nodes[node];
        const ScrNodeRec& b = g_Nodes[a.partner];
        const int32_t net = a.net;
        int32_t sx, sy, tx, ty;
        if (!Cell(a.x, a.y, sx, sy) || !Cell(b.x, b.y, tx, ty)) return false;
        const int32_t bendCost = 2, dx[4] = {1, 0, -1, 0}, dy[4] = {0, 1, 0, -1};
        const int32_t exitBit[4] = {kExitPosX, kExitPosY, kExitNegX, kExitNegY};
        const size_t n = size_t(cols) * rows * 4;
        std::vector<int32_t> dist(n, INT32_MAX), from(n, -1);
        using Q = std::pair<int32_t, int32_t>;
        std::priority_queue<Q, std::vector<Q>, std::greater<Q>> q;
        for (int d = 0; d < 4; ++d) {
            if (!(a.flags & exitBit[d])) continue;
            const int32_t s = Idx(sx, sy) * 4 + d;
            dist[s] = 0, q.push({0, s});
        }
        auto allowed = [&](int32_t gx, int32_t gy, int d, bool stub) {
            const int32_t k = Idx(gx, gy);
            if (body[k] && !stub) return false;
            const bool h = d == 0 || d == 2;
            if ((h ? hNet[k] : vNet[k]) && (h ? hNet[k] : vNet[k]) != net) return false;
            if (endOf[k] && endNet[k] != net) return false;
            return true;
        };
        int32_t goal = -1;
        while (!q.empty()) {
            const auto [cost, s] = q.top();
            q.pop();
            if (cost != dist[s]) continue;
            const int32_t k = s / 4, d = s % 4, gx = k % cols, gy = k / cols;
            if (gx == tx && gy == ty) {
                goal = s;
                break;
            }
            for (int e = 0; e < 4; ++e) {
                if (e == (d + 2) % 4) continue;
                const int32_t nx = gx + dx[e], ny = gy + dy[e];
                if (nx < 0 || ny < 0 || nx >= cols || ny >= rows) continue;
                // Own bodies are passable only on the straight stub of a pin
                // in one of its exit directions.
                const bool stubA = (gx == sx || gy == sy) && (a.flags & exitBit[e]) && e == d &&
                                   std::abs(nx - sx) + std::abs(ny - sy) == std::abs(gx - sx) + std::abs(gy - sy) + 1 &&
                                   (from[s] < 0 || body[k]);
                const bool intoB = nx == tx && ny == ty && (b.flags & exitBit[(e + 2) % 4]);
                const bool stubB = (nx == tx || ny == ty) && (b.flags & exitBit[(e + 2) % 4]) &&
                                   std::abs(nx - tx) + std::abs(ny - ty) < std::abs(gx - tx) + std::abs(gy - ty);
                if (!allowed(nx, ny, e, stubA || intoB || stubB)) continue;
                // Leaving a pin cell or a cell where a foreign wire crosses
                // is checked like entering one.
                const int32_t ns = Idx(nx, ny) * 4 + e, nc = cost + 1 + (e != d ? bendCost : 0);
                if (nc < dist[ns]) dist[ns] = nc, from[ns] = s, q.push({nc, ns});
            }
        }
        if (goal < 0) return false;
        out.clear();
        for (int32_t s = goal; s >= 0; s = from[s]) out.emplace_back((s / 4) % cols, (s / 4) / cols);
        std::reverse(out.begin(), out.end());
        return true;
    }
};

struct Result {
    corvex_check::WireStats w;
    double ms = 0;
    int64_t memory = 0;
};

Result RunCorvex()
{
    Result r;
    const auto t0 = std::chrono::steady_clock::now();
    SCR_InitNodeForRoute();
    char msg[100];
    int32_t state = 0;
    int64_t peak = 0;
    do {
        if (!SCR_RouteAllWiresInPage(&state, msg, sizeof msg)) break;
        peak = std::max<int64_t>(peak, SCR_Memory());
    } while (state == 0);
    r.ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
    r.memory = peak;
    r.w = corvex_check::Measure();
    return r;
}

Result RunLee()
{
    Result r;
    const auto t0 = std::chrono::steady_clock::now();
    Lee lee;
    lee.Setup();
    const int32_t pg = FindPageIndex(g_ScrCurPage);
    std::vector<std::pair<int32_t, int32_t>> cells;
    for (int32_t node = g_Pages[pg].firstPair; node; node = g_Nodes[node].nextPair) {
        if (g_Nodes[node].group == g_Nodes[g_Nodes[node].partner].group) continue;
        if (!lee.Route(node, cells)) continue;
        Path path;
        for (size_t i = 0; i < cells.size(); ++i)
            path.push_back(PathPt{lee.ox + cells[i].first * lee.step, lee.oy + cells[i].second * lee.step,
                                  i == 0 || i + 1 == cells.size() ? kPathFixed : kPathFree});
        MR_StraightenPath(path);
        g_RouteNet = g_Nodes[node].net;
        if (InsertPathBranch(path, node)) lee.Mark(cells, g_Nodes[node].net);
    }
    r.ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
    r.memory = static_cast<int64_t>(lee.Bytes()) + g_MemoryUsed;
    r.w = corvex_check::Measure();
    return r;
}

void Print(const std::string& name, const Result& c, const Result& l)
{
    auto one = [](const char* who, const Result& r) {
        std::printf("  %-6s completion %5d/%-5d length %9.1f in  bends %6d  crossings %6d  violations %3d  time %9.1f ms  memory %8lld KB\n",
                    who, r.w.connected, r.w.pairs, r.w.length / 2540000.0, r.w.bends, r.w.crossings, r.w.violations, r.ms,
                    static_cast<long long>(r.memory / 1024));
    };
    std::printf("%s\n", name.c_str());
    one("corvex", c);
    one("lee", l);
    std::fflush(stdout);
}

void Case(const std::string& name, const std::string& text, const std::string& libs)
{
    if (!Build(text, libs) || !LoadImage()) {
        std::printf("%s: not loaded (%d/%d)\n", name.c_str(), SCR_ErrorFunc(), SCR_ErrorCode());
        return;
    }
    const Result c = RunCorvex();
    LoadImage();
    const Result l = RunLee();
    Print(name, c, l);
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string libs = std::string(PALVANE_SOURCE_DIR) + "/data/libraries";
    bool quick = false;
    std::string file;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--quick") quick = true;
        else file = argv[i];
    }
    if (!file.empty()) {
        std::ifstream in(file);
        std::stringstream s;
        s << in.rdbuf();
        Case(file, s.str(), libs);
        return 0;
    }
    const int sizes[] = {10, 50, 200, 800, 2000};
    struct Layout {
        const char* name;
        int px, py;
    } layouts[] = {{"empty", 16, 16}, {"dense", 10, 9}, {"channels", 10, 14}};
    for (int n : sizes) {
        if (quick && n > 200) break;
        for (const Layout& lay : layouts)
            for (int seed = 1; seed <= (quick ? 2 : 5); ++seed)
                Case(std::to_string(n) + " " + lay.name + " seed " + std::to_string(seed),
                     Generate(n, seed, lay.px, lay.py), libs);
    }
    return 0;
}
