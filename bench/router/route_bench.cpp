// The router on generated pages beside a Lee maze router with a bend cost,
// written here on the same grid pitch, with the same blockages (bodies plus
// half a step, pin exit stubs, crossings of foreign wires allowed, no run
// along or T-touch of a foreign wire, own-net wires as sources and
// targets), the same pair order and the router's give-up rule (the windows
// and state budgets of its grid search). Each case prints completion,
// length, bends, crossings, violations, time, time per routed pair, the
// share of the time spent on pairs left unrouted and memory for both.
//
// Generated pages: 10, 50, 200, 800 and 2,000 components of 2 to 16 pins
// (RES, CAP, NAND2, DFF and a sixteen-pin IC defined in the generated
// source), nets of 2 to 6 random pins, 5 seeds, in four kinds: empty (pitch
// 16 x 16 tenths of an inch), dense array (10 x 9), narrow channels
// (10 x 14) and pre-existing wires (12 x 12, a third of the nets wired
// first). The router's field grid has at most 10,000 cells of half an
// inch (about 50 x 50 inches) and takes larger cells past that; these kinds
// keep within it as they were measured, so a page that would be larger is
// generated with a smaller pitch: the looser pitch gives way first, never below the
// dense array's. At 2,000 components empty and wires become 11 x 10 and
// channels 10 x 11; such a case says so after its name ("pitch 11 x 10
// tenths, reduced from 16 x 16 to fit the router's field grid"). Beside
// them two metric kinds, mm2.5 and mm2.54: parts of 2 to 16 pins whose pins
// lie 2.5 or 2.54 mm apart (the symbols defined in the generated source),
// on a grid of 12 pin pitches. A pin off the routing step reaches the grid
// by a stub in both routers. Then boards shaped like real ones (ICs of 20
// to 200 pins with their passives around them, connectors, VCC and GND nets
// of 50 pins and more; see GenerateBoard) of 50, 200 and 600 parts, and one
// of 600 parts on a page of 56.5 x 43.5 inches.
//
//   route_bench [--quick] [--max N] [--seeds N] [--only "200 dense seed 1"] [options] [design-file]
//   generated cases (up to N components, N seeds, or one named case), or one design;
//   --levels N and --pool N set the router's level limit and point pool size;
//   --tries N the meetings tried per pair, --no-grid turns the grid fallback
//   off, --greed N weights its estimate (2 = plain A*), --grid-limit N its
//   states per window, --probe-limit N those of its short first searches
//   (0: none), --wave-slack N how far its guiding wave goes past the
//   start, --grid-margins A B its two window margins in steps,
//   --bend-cost N what a bend costs it in steps, --no-page-marks has it
//   collect and mark each window's objects instead of reading the page-wide
//   marks, --start-flood N the points of its flood of the start's room
//   before the wave (0: none), --edge-flood N those of the flood of the
//   start's room when the end's short search met the first window's edge
//   (0: none); --no-lee leaves the Lee
//   router out (its line shows zeros), for profiling the router alone;
//   --repeat N runs each router N times on the page loaded afresh and shows
//   the least time (a run of a few milliseconds moves with the machine's
//   load; the routes are the same every time);
//   --step I routes every case on step index I (0.01, 0.02, 0.04, 0.05,
//   0.08, 0.1 in; 3 by default: pins of the inch pages then lie on the step),
//   --kind NAME runs one page kind (empty, dense, channels, wires, mm2.5,
//   mm2.54: metric pages whose pins lie 2.5 or 2.54 mm apart; board:
//   boards shaped like real ones of 50, 200 and 600 parts; large: a board
//   of 600 parts spread over a page of 56.5 x 43.5 in);
//   ROUTE_BENCH_DETAIL=1 lists both routers' violations, ROUTE_BENCH_SOURCE=1
//   prints the source of each board before its lines
#include "bench/boards/board_page.h"
#include "platform/kernel/nvokernel32.h"
#include "router/corvex.h"
#include "router/grid_page.h"
#include "router/route.h"
#include "bench/boards/router_checks.h"
#include "tools/sources/source_builder.h"
#include "tools/sources/source_reader.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <queue>
#include <random>
#include <sstream>
#include <ctime>
#include <string>
#include <vector>

using namespace corvex;

namespace {

bool g_NoLee = false;
// The routing step of every case (0.01, 0.02, 0.04, 0.05, 0.08, 0.1 in).
int g_StepIndex = 3;
int g_Repeat = 1;

// The symbols of the generated pages: two-pin parts, a gate, a flip-flop
// and a sixteen-pin IC, so components carry 2 to 16 pins. The libraries
// hold no schematic symbol of more than ten pins, so IC16 is defined in the
// generated source itself: a dual in-line box of 0.4 x 0.8 inch with eight
// leads of 0.1 inch on each side, pins 0.1 inch apart on the 0.05 inch
// routing step.
const char* kSymbols[] = {"RES", "NAND2", "DFF", "CAP", "IC16"};
const char* kEntries[][16] = {{"1", "2"},
                              {"A", "B", "Y"},
                              {"D", "CLK", "Q", "QN", "PRE", "CLR"},
                              {"1", "2"},
                              {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12", "13", "14", "15", "16"}};
const int kEntryCount[] = {2, 3, 6, 2, 16};

std::string Ic16Symbol()
{
    std::ostringstream s;
    s << "unit 1mil\nsymbol IC16 schematic\n";
    // Pin 1 top left, counted anticlockwise as on the package.
    for (int i = 0; i < 8; ++i) s << "  entry " << i + 1 << " at -300 " << 350 - 100 * i << "\n";
    for (int i = 0; i < 8; ++i) s << "  entry " << i + 9 << " at 300 " << -350 + 100 * i << "\n";
    s << "  rect -200 -400 400 800\n";
    for (int i = 0; i < 8; ++i) {
        const int y = 350 - 100 * i;
        s << "  line -300 " << y << " -200 " << y << "\n  line 200 " << y << " 300 " << y << "\n";
    }
    s << "  text U at -200 420 role reference\nend\n";
    return s.str();
}

// The router's field grid has square cells of half an inch (5 tenths) over
// the page frame, at most 10,000 of them (about 50 x 50 inches), larger
// cells past that. The kinds above keep within it, so their cases stay as
// measured; the large board goes past it.
constexpr int kFieldCellTenths = 5, kFieldCellLimit = 10000, kFrameMargin = 20;
// The dense array's pitch is the tightest the generator uses: the largest
// symbols (0.8 inch) keep a free grid line beside them at 10 x 9 tenths.
constexpr int kMinPitchX = 10, kMinPitchY = 9;

struct PageShape {
    int cols = 0, rows = 0, w = 0, h = 0;
};

// Components in rows and columns of pitch (px, py) tenths of an inch, as
// many columns as make the page about square, inside a frame with an inch
// of margin on each side.
PageShape Shape(int n, int px, int py)
{
    PageShape p;
    p.cols = std::max(1, static_cast<int>(std::sqrt(n * double(py) / px)) + 1);
    p.rows = (n + p.cols - 1) / p.cols;
    p.w = p.cols * px + kFrameMargin, p.h = p.rows * py + kFrameMargin;
    return p;
}

bool FitsField(const PageShape& p)
{
    return int64_t(p.w / kFieldCellTenths + 1) * (p.h / kFieldCellTenths + 1) <= kFieldCellLimit;
}

// The pitch a page of n components is generated with: the layout's own, or,
// where that page would exceed the router's field grid, a smaller one. The
// looser of the two pitches gives way first, a tenth at a time, never below
// the dense array's, so the page kinds stay apart as long as room allows.
void FitPitch(int n, int& px, int& py)
{
    while (!FitsField(Shape(n, px, py)) && (px > kMinPitchX || py > kMinPitchY)) {
        if (px > kMinPitchX && px - kMinPitchX >= py - kMinPitchY) --px;
        else --py;
    }
}

// Nets of 2 to 6 pins over seven tenths of the pins, drawn in a shuffled
// order.
void AppendRandomNets(std::ostream& s, std::vector<std::string>& pins, std::mt19937& rng)
{
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
}

// A generated page: n components on a grid of pitch (px, py) tenths of an
// inch, nets of 2..6 pins joining random free pins.
std::string Generate(int n, int seed, int px, int py)
{
    std::mt19937 rng(static_cast<unsigned>(seed * 7919 + n));
    const PageShape shape = Shape(n, px, py);
    const int cols = shape.cols, w = shape.w, h = shape.h;
    std::ostringstream s;
    s << "include discrete.nls\ninclude ics.nls\n" << Ic16Symbol() << "unit 0.1in\ndesign G\nlevel MAIN\n";
    std::vector<std::string> pins;
    std::ostringstream page;
    page << "page P frame " << w << " " << h << "\n";
    for (int i = 0; i < n; ++i) {
        const int k = static_cast<int>(rng() % std::size(kSymbols));
        const int x = -w / 2 + kFrameMargin / 2 + (i % cols) * px + px / 2,
                  y = -h / 2 + kFrameMargin / 2 + (i / cols) * py + py / 2;
        page << "  component U" << i << " symbol " << kSymbols[k] << " at " << x << " " << y << "\n";
        for (int e = 0; e < kEntryCount[k]; ++e) {
            std::string pin = "U";
            pin += std::to_string(i);
            pin += '.';
            pin += kEntries[k][e];
            pins.push_back(pin);
        }
    }
    AppendRandomNets(s, pins, rng);
    s << page.str() << "end\n";
    return s.str();
}

// Metric pages: symbols whose pins lie `pitch` hundredths of a millimetre
// apart (250: 2.5 mm, 254: 2.54 mm), defined in the generated source: a
// two-pin part, a three-pin part, an eight- and a sixteen-pin IC and a
// six-pin connector. Components stand on a grid of 12 pin pitches both ways
// (tighter for `dense`), so with 2.5 mm pins no pin lies on an inch step,
// and with 2.54 mm pins only on the steps that divide 0.1 inch.
std::string MetricSymbols(int p)
{
    std::ostringstream s;
    s << "unit 0.01mm\n";
    s << "symbol M2 schematic\n  entry 1 at " << -2 * p << " 0\n  entry 2 at " << 2 * p << " 0\n  rect " << -p << " "
      << -2 * p / 5 << " " << 2 * p << " " << 4 * p / 5 << "\n  line " << -2 * p << " 0 " << -p << " 0\n  line " << p
      << " 0 " << 2 * p << " 0\n  text R at 0 " << p << " role reference\nend\n";
    s << "symbol M3 schematic\n  entry 1 at " << -2 * p << " 0\n  entry 2 at " << 2 * p << " 0\n  entry 3 at 0 " << -2 * p
      << "\n  rect " << -p << " " << -p << " " << 2 * p << " " << 2 * p << "\n  line " << -2 * p << " 0 " << -p
      << " 0\n  line " << p << " 0 " << 2 * p << " 0\n  line 0 " << -2 * p << " 0 " << -p
      << "\n  text Q at 0 " << 2 * p << " role reference\nend\n";
    for (int n : {8, 16}) {
        const int side = n / 2;
        s << "symbol MIC" << n << " schematic\n";
        for (int i = 0; i < side; ++i) s << "  entry " << i + 1 << " at " << -3 * p << " " << (side - 1) * p / 2 - i * p << "\n";
        for (int i = 0; i < side; ++i)
            s << "  entry " << side + i + 1 << " at " << 3 * p << " " << -(side - 1) * p / 2 + i * p << "\n";
        s << "  rect " << -2 * p << " " << -side * p / 2 << " " << 4 * p << " " << side * p << "\n";
        for (int i = 0; i < side; ++i) {
            const int y = (side - 1) * p / 2 - i * p;
            s << "  line " << -3 * p << " " << y << " " << -2 * p << " " << y << "\n  line " << 2 * p << " " << y << " "
              << 3 * p << " " << y << "\n";
        }
        s << "  text U at " << -2 * p << " " << side * p / 2 + p / 2 << " role reference\nend\n";
    }
    s << "symbol MCON6 schematic\n";
    for (int i = 0; i < 6; ++i) s << "  entry " << i + 1 << " at " << -p << " " << 5 * p / 2 - i * p << "\n";
    s << "  rect 0 " << -3 * p << " " << p << " " << 6 * p << "\n";
    for (int i = 0; i < 6; ++i) s << "  line " << -p << " " << 5 * p / 2 - i * p << " 0 " << 5 * p / 2 - i * p << "\n";
    s << "  text J at 0 " << 7 * p / 2 << " role reference\nend\n";
    return s.str();
}

// A metric page of n components (pin pitch p hundredths of a millimetre),
// nets of 2..6 random pins; `dense` packs the components at 10 x 10 pitches.
std::string GenerateMetric(int n, int seed, int p, bool dense)
{
    static const char* const kNames[] = {"M2", "M3", "MIC8", "MIC16", "MCON6"};
    static const int kPins[] = {2, 3, 8, 16, 6};
    std::mt19937 rng(static_cast<unsigned>(seed * 104729 + n + p));
    const int px = (dense ? 10 : 12) * p, py = (dense ? 10 : 12) * p, margin = 8 * p;
    const int cols = std::max(1, static_cast<int>(std::sqrt(double(n))) + 1), rows = (n + cols - 1) / cols;
    const int w = cols * px + 2 * margin, h = rows * py + 2 * margin;
    std::ostringstream s;
    s << MetricSymbols(p) << "unit 0.01mm\ndesign G\nlevel MAIN\n";
    std::vector<std::string> pins;
    std::ostringstream page;
    page << "page P frame " << w << " " << h << "\n";
    for (int i = 0; i < n; ++i) {
        const int k = static_cast<int>(rng() % std::size(kNames));
        // Frame centred on the origin; positions on whole pin pitches.
        const int x = (-(w / 2) / p) * p + margin + (i % cols) * px + px / 2,
                  y = (-(h / 2) / p) * p + margin + (i / cols) * py + py / 2;
        page << "  component U" << i << " symbol " << kNames[k] << " at " << x << " " << y << "\n";
        for (int e = 0; e < kPins[k]; ++e) pins.push_back("U" + std::to_string(i) + "." + std::to_string(e + 1));
    }
    AppendRandomNets(s, pins, rng);
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
    SCR_SetStepIndex(g_StepIndex);
    return true;
}

// ---- the Lee router ---------------------------------------------------------------

// A Lee maze router with a bend cost on the grid of the routing step. Its
// wavefront is ordered by cost plus a lower bound of the rest (A*), which
// finds the same least-cost ways as a plain wavefront, only sooner. Rules as
// the checker's: a grid point within half a step of a body is blocked
// (except the straight exit stub of a pin on the grid through its own body),
// a foreign wire is never run along nor touched by an end or bend
// (crossings are allowed), and the wires of the pair's own groups are
// sources and targets. It searches the router's windows with the router's
// state budgets and gives a pair up where the router's grid search does
// (Route).
struct Lee {
    int32_t ox = 0, oy = 0, step = 0, cols = 0, rows = 0;
    std::vector<int32_t> bodyComp;      // 0 free, the component, -1 several
    std::vector<int32_t> hNet, vNet;    // net running along / across a cell (-1 several or not a net)
    std::vector<int32_t> endNet;        // net of a wire end, bend or junction here
    std::vector<int32_t> dist, from;    // search state, reset where touched
    std::vector<int32_t> touched;
    std::vector<int8_t> target;
    size_t queuePeak = 0;  // the most states the wavefront held at once
    // The grids, the search state and the wavefront at its largest.
    size_t Bytes() const
    {
        return (bodyComp.size() + hNet.size() + vNet.size() + endNet.size() + dist.size() + from.size() +
                touched.capacity()) * 4 +
               target.size() + queuePeak * sizeof(std::pair<int32_t, int32_t>);
    }

    int32_t Idx(int32_t gx, int32_t gy) const { return gy * cols + gx; }
    bool Cell(int32_t x, int32_t y, int32_t& gx, int32_t& gy) const
    {
        if ((x - ox) % step || (y - oy) % step) return false;
        gx = (x - ox) / step, gy = (y - oy) / step;
        return gx >= 0 && gy >= 0 && gx < cols && gy < rows;
    }
    static void Put(std::vector<int32_t>& v, int32_t k, int32_t net) { v[k] = v[k] == 0 || v[k] == net ? net : -1; }

    void Setup()
    {
        const int32_t pg = FindPageIndex(g_ScrCurPage);
        const ScrPageRec& p = g_Pages[pg];
        // The grid of the router: multiples of the step inside the frame.
        step = g_StepSize;
        ox = int32_t(std::ceil(double(p.frameMinX) / step)) * step, oy = int32_t(std::ceil(double(p.frameMinY) / step)) * step;
        cols = (p.frameMaxX - ox) / step + 1, rows = (p.frameMaxY - oy) / step + 1;
        const size_t n = size_t(cols) * rows;
        bodyComp.assign(n, 0), hNet.assign(n, 0), vNet.assign(n, 0), endNet.assign(n, 0);
        dist.assign(n * 4, INT32_MAX), from.assign(n * 4, -1), target.assign(n, 0);
        const int64_t half = step / 2;
        for (int32_t c = 1; c <= g_Comps.Count(); ++c) {
            if (g_Comps[c].page != g_ScrCurPage) continue;
            const Seg b = CompBody(c, 0);
            for (int32_t gy = std::max(0, int32_t((b.y1 - half - oy) / step)); gy < rows && oy + int64_t(gy) * step < b.y2 + half; ++gy)
                for (int32_t gx = std::max(0, int32_t((b.x1 - half - ox) / step)); gx < cols && ox + int64_t(gx) * step < b.x2 + half; ++gx) {
                    const int64_t x = ox + int64_t(gx) * step, y = oy + int64_t(gy) * step;
                    if (x > b.x1 - half && x < b.x2 + half && y > b.y1 - half && y < b.y2 + half) {
                        int32_t& v = bodyComp[Idx(gx, gy)];
                        v = v == 0 ? c : -1;
                    }
                }
        }
        // Every wire already on the page; a kept or bus wire is foreign to all.
        for (int32_t b = 1; b <= g_Branches.capacity && b < int32_t(g_Branches.rows.size()); ++b) {
            const ScrBranchRec& r = g_Branches[b];
            if (!r.inUse || r.page != g_ScrCurPage || b == p.frameBranch) continue;
            MarkBranch(b, (r.flags & (kBranchKept | kBranchBus)) ? -1 : r.net);
        }
    }

    // The grid cells of a branch's segments, with what runs through them.
    template <class F>
    void Cells(int32_t b, F&& f) const
    {
        for (int32_t p = g_Branches[b].firstPoint; p && g_BPoints[p].next; p = g_BPoints[p].next) {
            const int32_t q = g_BPoints[p].next;
            const int32_t x1 = g_BPoints[p].x, y1 = g_BPoints[p].y, x2 = g_BPoints[q].x, y2 = g_BPoints[q].y;
            const bool h = y1 == y2;
            const int32_t a = int32_t(std::lround(double((h ? x1 : y1) - (h ? ox : oy)) / step));
            const int32_t e = int32_t(std::lround(double((h ? x2 : y2) - (h ? ox : oy)) / step));
            const int32_t at = int32_t(std::lround(double((h ? y1 : x1) - (h ? oy : ox)) / step));
            for (int32_t k = std::min(a, e); k <= std::max(a, e); ++k) {
                const int32_t gx = h ? k : at, gy = h ? at : k;
                if (gx < 0 || gy < 0 || gx >= cols || gy >= rows) continue;
                f(Idx(gx, gy), h, k == a || k == e);
            }
        }
    }

    void MarkBranch(int32_t b, int32_t net)
    {
        // A segment off the grid (a stub to a pin off the step) closes every
        // grid point within a step of it, as the router's windows do.
        bool offGrid = false;
        for (int32_t p = g_Branches[b].firstPoint; p; p = g_BPoints[p].next)
            offGrid = offGrid || (g_BPoints[p].x - ox) % step != 0 || (g_BPoints[p].y - oy) % step != 0;
        if (offGrid) {
            for (int32_t p = g_Branches[b].firstPoint; p && g_BPoints[p].next; p = g_BPoints[p].next) {
                const int32_t q = g_BPoints[p].next;
                const int64_t x1 = std::min(g_BPoints[p].x, g_BPoints[q].x) - step, x2 = std::max(g_BPoints[p].x, g_BPoints[q].x) + step;
                const int64_t y1 = std::min(g_BPoints[p].y, g_BPoints[q].y) - step, y2 = std::max(g_BPoints[p].y, g_BPoints[q].y) + step;
                if ((g_BPoints[p].x - ox) % step == 0 && (g_BPoints[p].y - oy) % step == 0 &&
                    (g_BPoints[q].x - ox) % step == 0 && (g_BPoints[q].y - oy) % step == 0)
                    continue;  // on the grid: marked below
                const int32_t gx1 = std::max<int32_t>(0, int32_t(std::ceil(double(x1 - ox) / step)));
                const int32_t gx2 = std::min<int32_t>(cols - 1, int32_t(std::floor(double(x2 - ox) / step)));
                const int32_t gy1 = std::max<int32_t>(0, int32_t(std::ceil(double(y1 - oy) / step)));
                const int32_t gy2 = std::min<int32_t>(rows - 1, int32_t(std::floor(double(y2 - oy) / step)));
                for (int32_t gy = gy1; gy <= gy2; ++gy)
                    for (int32_t gx = gx1; gx <= gx2; ++gx) {
                        const int32_t k = Idx(gx, gy);
                        Put(hNet, k, net), Put(vNet, k, net), Put(endNet, k, net);
                    }
            }
        }
        Cells(b, [&](int32_t k, bool h, bool end) {
            Put(h ? hNet : vNet, k, net);
            if (end) Put(endNet, k, net);
        });
    }

    void MarkNet(int32_t net)
    {
        for (int32_t b = g_Nets[net].firstBranch; b; b = g_Branches[b].next)
            if (g_Branches[b].page == g_ScrCurPage) MarkBranch(b, net);
    }

    bool Foreign(const std::vector<int32_t>& v, int32_t k, int32_t net) const { return v[k] != 0 && v[k] != net; }

    // The stub of a pin off the grid, as the router makes it: straight out
    // of the pin in an exit direction to a grid line (up to three steps
    // farther), then along it to the nearer grid row or column; cheapest
    // first (its length plus the distance to the other end), the first whose
    // grid point is free and whose segments keep the wire rules. Empty when
    // the pin lies on the grid; false when no stub is free.
    bool Stub(const ScrNodeRec& p, int32_t qx, int32_t qy, int32_t net, std::vector<PathPt>& out, PathPt& first)
    {
        out.clear();
        if ((p.x - ox) % step == 0 && (p.y - oy) % step == 0) return true;
        struct Cand {
            std::vector<PathPt> pts;
            int64_t score;
        };
        std::vector<Cand> cands;
        const int32_t dx[4] = {1, 0, -1, 0}, dy[4] = {0, 1, 0, -1};
        const int32_t exitBit[4] = {kExitPosX, kExitPosY, kExitNegX, kExitNegY};
        auto floorTo = [&](int64_t v) { return int64_t(std::floor(double(v) / step)) * step; };
        for (int e = 0; e < 4; ++e) {
            if ((p.flags & kExitAll) != kExitAll && !(p.flags & exitBit[e])) continue;
            const bool h = dx[e] != 0;
            const int32_t sign = h ? dx[e] : dy[e];
            const int64_t along = h ? p.x : p.y, across = h ? p.y : p.x;
            const int64_t lo = floorTo(along), first = lo == along ? along : sign > 0 ? lo + step : lo;
            const int64_t sides[2] = {floorTo(across), floorTo(across) == across ? across : floorTo(across) + step};
            for (int k = 0; k < 4; ++k)
                for (int i = 0; i < (sides[0] == sides[1] ? 1 : 2); ++i) {
                    const int64_t a = first + sign * k * step, c = sides[i];
                    if (a == along && c == across) continue;
                    Cand cand;
                    for (auto [u, v] : {std::pair{along, across}, std::pair{a, across}, std::pair{a, c}}) {
                        const PathPt q{int32_t(h ? u : v), int32_t(h ? v : u), kPathFree};
                        if (cand.pts.empty() || cand.pts.back().x != q.x || cand.pts.back().y != q.y) cand.pts.push_back(q);
                    }
                    cand.pts.front().flags = kPathFixed;
                    const PathPt& g = cand.pts.back();
                    cand.score = std::llabs(a - along) + std::llabs(c - across) + std::llabs(int64_t(g.x) - qx) +
                                 std::llabs(int64_t(g.y) - qy);
                    cands.push_back(cand);
                }
        }
        std::stable_sort(cands.begin(), cands.end(), [](const Cand& l, const Cand& r) { return l.score < r.score; });
        if (!cands.empty()) first = cands.front().pts.back();
        for (const Cand& c : cands) {
            int32_t gx, gy;
            if (!Cell(c.pts.back().x, c.pts.back().y, gx, gy)) continue;
            const int32_t k = Idx(gx, gy);
            if (bodyComp[k] || !clean(k, net)) continue;
            bool ok = true;
            for (size_t i = 0; i + 1 < c.pts.size() && ok; ++i) ok = PathSegmentFree(c.pts[i], c.pts[i + 1]);
            if (!ok) continue;
            out = c.pts;
            return true;
        }
        return false;
    }
    bool clean(int32_t k, int32_t net) const
    {
        return !Foreign(hNet, k, net) && !Foreign(vNet, k, net) && !Foreign(endNet, k, net);
    }

    std::vector<PathPt> stubA, stubB;  // the pins' stubs of the last way found (pin first)

    // A window of the grid (cell indices, inclusive) and what its search
    // found: a way, or none with the wavefront emptied (`exhausted`) or the
    // state budget spent, and whether a state on the window's border was
    // taken (`edge`: a wider window may hold a way).
    struct Window {
        int32_t x1, y1, x2, y2;
    };
    enum class Found { way, exhausted, spent };

    // A pair is routed as the router's grid search routes it, and given up
    // where that gives it up: the pair's box (its stub ends) widened by
    // `gridMarginSteps` steps or a quarter of its extent, then by
    // `gridWideSteps` or one and a half times the extent, within the frame;
    // at most `gridExpansionLimit` states taken per window; the wider window
    // only when the narrow one's search spent its budget or met its border;
    // no window with a side of more than 4,096 points. On a page of more than
    // `gridPagePoints` points (where the router keeps no page-wide marks) a
    // window of more than `gridWindowPoints` is narrowed as the router
    // narrows it, and a pair whose own box is larger is given up.
    bool Route(int32_t node, std::vector<std::pair<int32_t, int32_t>>& out)
    {
        ScrNodeRec a = g_Nodes[node];
        ScrNodeRec b = g_Nodes[a.partner];
        const int32_t net = a.net;
        // The segment test of the stubs needs the pair's pins and net.
        g_RouteNet = net;
        g_PinEnds[0] = PinEnd{a.x, a.y, a.comp, a.flags & kExitAll};
        g_PinEnds[1] = PinEnd{b.x, b.y, b.comp, b.flags & kExitAll};
        g_ExemptComp[0] = (a.flags & kExitAll) == kExitAll ? a.comp : 0;
        g_ExemptComp[1] = (b.flags & kExitAll) == kExitAll ? b.comp : 0;
        PathPt firstA{a.x, a.y, 0}, firstB{b.x, b.y, 0};
        const bool stubs = Stub(a, b.x, b.y, net, stubA, firstA) && Stub(b, a.x, a.y, net, stubB, firstB);
        g_ExemptComp[0] = g_ExemptComp[1] = 0;
        if (!stubs) return false;
        if (!stubA.empty()) a.x = stubA.back().x, a.y = stubA.back().y;
        if (!stubB.empty()) b.x = stubB.back().x, b.y = stubB.back().y;
        int32_t sx, sy, tx, ty;
        if (!Cell(a.x, a.y, sx, sy) || !Cell(b.x, b.y, tx, ty)) return false;
        // The windows, from the cheapest stubs' grid points as the router
        // takes them (the stub used lies within a few steps of those).
        const int64_t lx = std::min(firstA.x, firstB.x), hx = std::max(firstA.x, firstB.x);
        const int64_t ly = std::min(firstA.y, firstB.y), hy = std::max(firstA.y, firstB.y);
        const int64_t extent = std::max(hx - lx, hy - ly);
        const bool pageMarks = int64_t(cols) * rows <= g_Tuning.gridPagePoints;
        // A short search that spent its whole budget in the narrow window:
        // the wide window goes to the search from the start at once.
        bool probeSpent = false;
        for (const int32_t margin : {g_Tuning.gridMarginSteps, g_Tuning.gridWideSteps}) {
            if (margin <= 0) continue;
            int64_t m = std::max<int64_t>(int64_t(margin) * step, extent * margin / 40);
            Window win{};
            auto box = [&](int64_t mm) {
                win.x1 = int32_t(std::max<int64_t>(0, GridCeilTo(lx - mm - ox, step) / step));
                win.y1 = int32_t(std::max<int64_t>(0, GridCeilTo(ly - mm - oy, step) / step));
                win.x2 = int32_t(std::min<int64_t>(cols - 1, GridFloorTo(hx + mm - ox, step) / step));
                win.y2 = int32_t(std::min<int64_t>(rows - 1, GridFloorTo(hy + mm - oy, step) / step));
                return win.x2 < win.x1 || win.y2 < win.y1 ? int64_t(0) : int64_t(win.x2 - win.x1 + 1) * (win.y2 - win.y1 + 1);
            };
            int64_t points = box(m);
            if (!points) return false;
            if (!pageMarks && points > g_Tuning.gridWindowPoints) {
                while (m > step && points > g_Tuning.gridWindowPoints) m /= 2, points = box(m);
                if (points > g_Tuning.gridWindowPoints) m = 0, points = box(0);
                if (!points || points > g_Tuning.gridWindowPoints) return false;
            }
            if (win.x2 - win.x1 + 1 > 4096 || win.y2 - win.y1 + 1 > 4096) return false;
            // First a short search from the end: an end shut in is found at
            // the cost of its little room, and a way found serves.
            Found found = Found::spent;
            bool edge = false;
            if (g_Tuning.gridProbeLimit > 0 && !probeSpent) {
                found = Search(b, a, tx, ty, sx, sy, !stubB.empty(), !stubA.empty(), win, g_Tuning.gridProbeLimit, edge, out, true);
                if (found == Found::way) {
                    std::reverse(out.begin(), out.end());
                    return true;
                }
                if (found == Found::exhausted && !edge) return false;
                probeSpent = found == Found::spent;
                // The end's room reaches the window's border without the
                // start: a start shut in settles the pair at the cost of its
                // little room, before the wider window.
                if (found == Found::exhausted && g_Tuning.gridEdgeFlood > 0) {
                    bool startEdge = false;
                    const Found start =
                        Search(a, b, sx, sy, tx, ty, !stubA.empty(), !stubB.empty(), win, g_Tuning.gridEdgeFlood, startEdge, out);
                    if (start == Found::way) return true;
                    if (start == Found::exhausted && !startEdge) return false;
                }
            }
            // Then the search from the start, unless the end's room showed
            // that this window holds no way.
            if (found == Found::spent) {
                edge = false;
                found = Search(a, b, sx, sy, tx, ty, !stubA.empty(), !stubB.empty(), win, g_Tuning.gridExpansionLimit, edge, out);
                if (found == Found::way) return true;
                if (found == Found::exhausted && !edge) return false;
            }
        }
        return false;
    }

    // Whether grid point (gx, gy) lies on the ray from (px, py) in direction
    // `dir` (0 +x, 1 +y, 2 -x, 3 -y), the point itself included.
    static bool OnRay(int32_t gx, int32_t gy, int32_t px, int32_t py, int32_t dir)
    {
        const int32_t ux = gx - px, uy = gy - py;
        if (dir % 2 == 0 ? uy != 0 : ux != 0) return false;
        return dir == 0 ? ux >= 0 : dir == 1 ? uy >= 0 : dir == 2 ? ux <= 0 : uy <= 0;
    }

    // Dijkstra/A* over (cell, direction) with a bend cost, inside `win`, at
    // most `budget` states taken, from pin `a` (grid point (sx, sy)) to pin
    // `b` (tx, ty). `backward`: the search runs from the pair's end to its
    // start and finds the ways the search from the start would: it leaves
    // the end in every direction a way may arrive there from (only along
    // the exits within the end's own body) and arrives at the start's pin
    // only against one of its exits.
    Found Search(const ScrNodeRec& a, const ScrNodeRec& b, int32_t sx, int32_t sy, int32_t tx, int32_t ty, bool stubbedA,
                 bool stubbedB, const Window& win, int64_t budget, bool& edge, std::vector<std::pair<int32_t, int32_t>>& out,
                 bool backward = false)
    {
        const int32_t net = a.net;
        const int32_t bendCost = 2, dx[4] = {1, 0, -1, 0}, dy[4] = {0, 1, 0, -1};
        const int32_t exitBit[4] = {kExitPosX, kExitPosY, kExitNegX, kExitNegY};
        auto inside = [&](int32_t gx, int32_t gy) { return gx >= win.x1 && gy >= win.y1 && gx <= win.x2 && gy <= win.y2; };
        for (int32_t k : touched) dist[size_t(k)] = INT32_MAX, from[size_t(k)] = -1;
        touched.clear();
        using Q = std::pair<int32_t, int32_t>;
        std::priority_queue<Q, std::vector<Q>, std::greater<Q>> q;
        // Targets: the partner's pin and the wires of its group in the
        // window; the bound box of them gives the lower bound of the
        // remaining cost. Sources: the wires of the pin's own group there.
        std::vector<int32_t> targets, sources;
        int32_t bx1 = tx, by1 = ty, bx2 = tx, by2 = ty;
        auto clean = [&](int32_t k) { return !Foreign(hNet, k, net) && !Foreign(vNet, k, net) && !Foreign(endNet, k, net); };
        for (int32_t br = g_Nets[net].firstBranch; br; br = g_Branches[br].next) {
            if (g_Branches[br].page != g_ScrCurPage) continue;
            const int32_t group = g_Branches[br].group;
            if (group != a.group && group != b.group) continue;
            Cells(br, [&](int32_t k, bool, bool) {
                if (!clean(k) || bodyComp[k] || !inside(k % cols, k / cols)) return;
                if (group == b.group) {
                    targets.push_back(k), target[k] = 1;
                    bx1 = std::min(bx1, k % cols), bx2 = std::max(bx2, k % cols);
                    by1 = std::min(by1, k / cols), by2 = std::max(by2, k / cols);
                } else {
                    sources.push_back(k);
                }
            });
        }
        auto bound = [&](int32_t k) {
            const int32_t gx = k % cols, gy = k / cols;
            return std::max({0, bx1 - gx, gx - bx2}) + std::max({0, by1 - gy, gy - by2});
        };
        // Queued by cost plus bound like every state (a source queued at 0
        // would be taken for a stale entry and never moved on from).
        for (const int32_t k : sources)
            for (int d = 0; d < 4; ++d) {
                const int32_t s = k * 4 + d;
                if (dist[s] == 0) continue;
                dist[s] = 0, touched.push_back(s), q.push({bound(k), s});
            }
        // The pin, unless a foreign wire runs through it or ends there (a
        // way from it would end on that wire).
        const int32_t startBody = bodyComp[Idx(sx, sy)];
        for (int d = 0; d < 4 && clean(Idx(sx, sy)); ++d) {
            if (backward ? startBody != 0 && (startBody != a.comp || !(a.flags & exitBit[d])) : !(a.flags & exitBit[d])) continue;
            const int32_t s = Idx(sx, sy) * 4 + d;
            if (dist[s] == 0) continue;
            dist[s] = 0, touched.push_back(s), q.push({bound(Idx(sx, sy)), s});
        }
        // A pin's own body is passed only on the pin's straight exit stub,
        // from a pin on the grid: a pin off the grid has left its body by
        // its stub already, and a line through the body from the stub's end
        // would cross the body.
        const int32_t own[2] = {stubbedA ? 0 : a.comp, stubbedB ? 0 : b.comp};
        int32_t goal = -1;
        Found found = Found::exhausted;
        while (!q.empty()) {
            if (budget-- <= 0) {
                found = Found::spent;
                break;
            }
            queuePeak = std::max(queuePeak, q.size());
            const auto [f, s] = q.top();
            q.pop();
            const int32_t k = s / 4, d = s % 4, gx = k % cols, gy = k / cols, cost = dist[s];
            if (f != cost + bound(k)) continue;
            if (gx == win.x1 || gx == win.x2 || gy == win.y1 || gy == win.y2) edge = true;
            if ((gx == tx && gy == ty) || target[k]) {
                goal = s;
                break;
            }
            // Inside a pin's own body only the straight stub moves on.
            const bool inBody = bodyComp[k] != 0;
            for (int e = 0; e < 4; ++e) {
                if (e == (d + 2) % 4) continue;
                if (inBody && e != d) continue;
                const int32_t nx = gx + dx[e], ny = gy + dy[e];
                if (!inside(nx, ny)) continue;
                const int32_t nk = Idx(nx, ny);
                if (bodyComp[nk]) {
                    // A body point: only on the stub line of a pin of this
                    // pair through that pin's own body, along the line away
                    // from the start pin or toward the end pin (a move across
                    // the line would cross the body).
                    const bool stubA = own[0] && bodyComp[nk] == own[0] && (a.flags & exitBit[e]) && OnRay(gx, gy, sx, sy, e);
                    const bool stubB =
                        own[1] && bodyComp[nk] == own[1] && (b.flags & exitBit[(e + 2) % 4]) && OnRay(nx, ny, tx, ty, (e + 2) % 4);
                    if (!stubA && !stubB) continue;
                }
                const bool h = e == 0 || e == 2;
                // No run along a foreign wire, no end or bend on one.
                if (Foreign(h ? hNet : vNet, nk, net) || Foreign(endNet, nk, net)) continue;
                if (e != d && (Foreign(hNet, k, net) || Foreign(vNet, k, net))) continue;
                const bool arrives = (nx == tx && ny == ty) || target[nk];
                if (arrives && (Foreign(h ? vNet : hNet, nk, net))) continue;
                if (backward && nx == tx && ny == ty && !target[nk] && !(b.flags & exitBit[(e + 2) % 4])) continue;
                const int32_t ns = nk * 4 + e, nc = cost + 1 + (e != d ? bendCost : 0);
                if (nc < dist[ns]) {
                    if (dist[ns] == INT32_MAX) touched.push_back(ns);
                    dist[ns] = nc, from[ns] = s, q.push({nc + bound(nk), ns});
                }
            }
        }
        for (int32_t k : targets) target[k] = 0;
        if (goal < 0) return found;
        out.clear();
        for (int32_t s = goal; s >= 0; s = from[s]) out.emplace_back((s / 4) % cols, (s / 4) / cols);
        std::reverse(out.begin(), out.end());
        return Found::way;
    }
};

// Processor time of this thread in ms: on a shared machine the wall clock
// also counts the time other programs hold the processors.
double CpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

struct Result {
    corvex_check::WireStats w;
    double ms = 0;
    // The time of the pairs whose search ended with the pair not joined
    // (the page set-up and the pairs joined count in `ms` only).
    double leftMs = 0;
    int64_t memory = 0;
};

bool Joined(int32_t node) { return g_Nodes[node].group == g_Nodes[g_Nodes[node].partner].group; }

Result RunCorvex()
{
    Result r;
    const double t0 = CpuMs();
    SCR_InitNodeForRoute();
    char msg[100];
    int32_t state = 0;
    int64_t peak = 0;
    const int32_t pg = FindPageIndex(g_ScrCurPage);
    do {
        // One pair a call: the one at the cursor (the page's first pair on
        // the first call, which also sets the run up).
        const int32_t node = g_RouteCursor ? g_RouteCursor : pg ? g_Pages[pg].firstPair : 0;
        const double p0 = CpuMs();
        if (!SCR_RouteAllWiresInPage(&state, msg, sizeof msg)) {
            std::printf("  corvex stopped: %s (%d/%d)\n", msg, SCR_ErrorFunc(), SCR_ErrorCode());
            break;
        }
        if (node && !Joined(node)) r.leftMs += CpuMs() - p0;
        peak = std::max<int64_t>(peak, SCR_Memory());
    } while (state == 0);
    r.ms = CpuMs() - t0;
    r.memory = peak;
    std::string detail;
    r.w = corvex_check::Measure(&detail);
    if (std::getenv("ROUTE_BENCH_DETAIL")) std::fputs(detail.c_str(), stdout);
    return r;
}

template <class F>
Result RunLee(F&& only)
{
    Result r;
    const double t0 = CpuMs();
    Lee lee;
    lee.Setup();
    const int32_t pg = FindPageIndex(g_ScrCurPage);
    std::vector<std::pair<int32_t, int32_t>> cells;
    for (int32_t node = g_Pages[pg].firstPair; node; node = g_Nodes[node].nextPair) {
        if (Joined(node) || !only(node)) continue;
        const double p0 = CpuMs();
        if (!lee.Route(node, cells)) {
            r.leftMs += CpuMs() - p0;
            continue;
        }
        Path path;
        for (size_t i = 0; i < cells.size(); ++i)
            path.push_back(PathPt{lee.ox + cells[i].first * lee.step, lee.oy + cells[i].second * lee.step,
                                  i == 0 || i + 1 == cells.size() ? kPathFixed : kPathFree});
        // The stubs of pins off the grid (a way that begins or ends on a wire
        // of the pin's group needs none).
        if (!lee.stubA.empty() && path.front().x == lee.stubA.back().x && path.front().y == lee.stubA.back().y) {
            path.front().flags = kPathFree;
            path.insert(path.begin(), lee.stubA.begin(), lee.stubA.end() - 1);
        }
        if (!lee.stubB.empty() && path.back().x == lee.stubB.back().x && path.back().y == lee.stubB.back().y) {
            path.back().flags = kPathFree;
            for (size_t i = lee.stubB.size() - 1; i-- > 0;) path.push_back(lee.stubB[i]);
        }
        g_PinEnds[0] = g_PinEnds[1] = PinEnd{0, 0, 0, 0};
        MR_StraightenPath(path);
        g_RouteNet = g_Nodes[node].net;
        if (InsertPathBranch(path, node)) lee.MarkNet(g_Nodes[node].net);
        if (!Joined(node)) r.leftMs += CpuMs() - p0;
    }
    r.ms = CpuMs() - t0;
    r.memory = static_cast<int64_t>(lee.Bytes()) + g_MemoryUsed;
    std::string detail;
    r.w = corvex_check::Measure(&detail);
    if (std::getenv("ROUTE_BENCH_DETAIL") && !detail.empty()) std::printf("  lee:\n%s", detail.c_str());
    return r;
}

void Print(const std::string& name, const Result& c, const Result& l)
{
    auto one = [](const char* who, const Result& r) {
        // The time per routed pair is the whole run's over the pairs joined
        // at its end; `left` the share of the run spent on the pairs whose
        // search ended without joining them.
        std::printf("  %-6s completion %5d/%-5d length %9.1f in  bends %6d  crossings %6d  violations %3d  time %9.2f ms"
                    "  per routed pair %8.4f ms  left %3.0f%%  memory %8lld KB\n",
                    who, r.w.connected, r.w.pairs, r.w.length / 2540000.0, r.w.bends, r.w.crossings, r.w.violations, r.ms,
                    r.w.connected ? r.ms / r.w.connected : 0.0, r.ms > 0 ? 100 * r.leftMs / r.ms : 0.0,
                    static_cast<long long>(r.memory / 1024));
    };
    std::printf("%s\n", name.c_str());
    one("corvex", c);
    one("lee", l);
    std::fflush(stdout);
}

// `prewire`: a third of the nets are wired first (by the Lee router,
// written into the design), so both routers meet existing wires.
void Case(const std::string& name, const std::string& text, const std::string& libs, bool prewire = false)
{
    if (!Build(text, libs) || !LoadImage()) {
        std::printf("%s: not loaded (%d/%d)\n", name.c_str(), SCR_ErrorFunc(), SCR_ErrorCode());
        return;
    }
    if (prewire) {
        RunLee([](int32_t node) { return g_Nodes[node].net % 3 == 0; });
        if (!LD_SaveShemaToNorvo() || !LoadImage()) {
            std::printf("%s: wires not written (%d/%d)\n", name.c_str(), SCR_ErrorFunc(), SCR_ErrorCode());
            return;
        }
    }
    // Each run on the page as loaded; the least time of the runs counts,
    // with that run's time on the pairs left.
    auto best = [](Result& into, const Result& r) {
        if (r.ms < into.ms || into.ms == 0) into.ms = r.ms, into.leftMs = r.leftMs;
    };
    Result c = RunCorvex();
    for (int i = 1; i < g_Repeat; ++i) {
        if (!LoadImage()) break;
        Result again = RunCorvex();
        best(c, again);
    }
    Result l;
    if (!g_NoLee) {
        for (int i = 0; i < std::max(1, g_Repeat); ++i) {
            if (!LoadImage()) break;
            Result r = RunLee([](int32_t) { return true; });
            if (i == 0) l = r;
            else best(l, r);
        }
    }
    Print(name, c, l);
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string libs = std::string(PALVANE_SOURCE_DIR) + "/data/libraries";
    bool quick = false;
    std::string file, only, kind;
    int largest = 2000, seeds = 5;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--quick") quick = true;
        else if (std::string(argv[i]) == "--only" && i + 1 < argc) only = argv[++i];
        else if (std::string(argv[i]) == "--max" && i + 1 < argc) largest = std::atoi(argv[++i]);
        else if (std::string(argv[i]) == "--seeds" && i + 1 < argc) seeds = std::atoi(argv[++i]);
        else if (std::string(argv[i]) == "--levels" && i + 1 < argc) g_Tuning.levelLimit = std::atoi(argv[++i]);
        else if (std::string(argv[i]) == "--pool" && i + 1 < argc) g_Tuning.pointPoolCapacity = std::atoi(argv[++i]);
        else if (std::string(argv[i]) == "--no-turns") g_Tuning.turnLines = false;
        else if (std::string(argv[i]) == "--greed" && i + 1 < argc) g_Tuning.gridGreed = std::atoi(argv[++i]);
        else if (std::string(argv[i]) == "--tries" && i + 1 < argc) g_Tuning.meetingTryLimit = std::atoi(argv[++i]);
        else if (std::string(argv[i]) == "--no-grid") g_Tuning.gridFallback = false;
        else if (std::string(argv[i]) == "--no-lee") g_NoLee = true;
        else if (std::string(argv[i]) == "--repeat" && i + 1 < argc) g_Repeat = std::max(1, std::atoi(argv[++i]));
        else if (std::string(argv[i]) == "--no-page-marks") g_Tuning.gridPageMarks = false;
        else if (std::string(argv[i]) == "--start-flood" && i + 1 < argc) g_Tuning.gridStartFlood = std::atoi(argv[++i]);
        else if (std::string(argv[i]) == "--edge-flood" && i + 1 < argc) g_Tuning.gridEdgeFlood = std::atoi(argv[++i]);
        else if (std::string(argv[i]) == "--bend-cost" && i + 1 < argc) g_Tuning.gridBendCost = std::atoi(argv[++i]);
        else if (std::string(argv[i]) == "--grid-limit" && i + 1 < argc) g_Tuning.gridExpansionLimit = std::atoi(argv[++i]);
        else if (std::string(argv[i]) == "--probe-limit" && i + 1 < argc) g_Tuning.gridProbeLimit = std::atoi(argv[++i]);
        else if (std::string(argv[i]) == "--wave-slack" && i + 1 < argc) g_Tuning.gridWaveSlack = std::atoi(argv[++i]);
        else if (std::string(argv[i]) == "--step" && i + 1 < argc) g_StepIndex = std::atoi(argv[++i]);
        else if (std::string(argv[i]) == "--kind" && i + 1 < argc) kind = argv[++i];
        else if (std::string(argv[i]) == "--grid-margins" && i + 2 < argc) {
            g_Tuning.gridMarginSteps = std::atoi(argv[++i]);
            g_Tuning.gridWideSteps = std::atoi(argv[++i]);
        }
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
        bool prewire;
    } layouts[] = {{"empty", 16, 16, false}, {"dense", 10, 9, false}, {"channels", 10, 14, false}, {"wires", 12, 12, true}};
    // Metric pages: pins 2.5 mm or 2.54 mm apart.
    const struct Metric {
        const char* name;
        int pitch;
    } metrics[] = {{"mm2.5", 250}, {"mm2.54", 254}};
    std::printf("routing step %.2f in\n", SCR_SetStepIndex(g_StepIndex) >= 0 ? g_StepSize / 2540000.0 : 0.0);
    for (int n : sizes) {
        if ((quick && n > 200) || n > largest) break;
        for (const Layout& lay : layouts)
            for (int seed = 1; seed <= (quick ? 2 : seeds); ++seed) {
                const std::string name = std::to_string(n) + " " + lay.name + " seed " + std::to_string(seed);
                if (!only.empty() && name != only) continue;
                if (!kind.empty() && kind != lay.name) continue;
                int px = lay.px, py = lay.py;
                FitPitch(n, px, py);
                std::string shown = name;
                if (px != lay.px || py != lay.py)
                    shown += "  (pitch " + std::to_string(px) + " x " + std::to_string(py) + " tenths, reduced from " +
                             std::to_string(lay.px) + " x " + std::to_string(lay.py) + " to fit the router's field grid)";
                Case(shown, Generate(n, seed, px, py), libs, lay.prewire);
            }
        for (const Metric& m : metrics)
            for (int seed = 1; seed <= (quick ? 2 : seeds); ++seed) {
                const std::string name = std::to_string(n) + " " + m.name + " seed " + std::to_string(seed);
                if (!only.empty() && name != only) continue;
                if (!kind.empty() && kind != m.name) continue;
                Case(name, GenerateMetric(n, seed, m.pitch, false), libs);
            }
    }
    // Boards shaped like real ones, and one spread over a page of 56.5 x
    // 43.5 inches (more than 10,000 field cells of half an inch, so the
    // router takes larger cells).
    const struct BoardSize {
        const char* kind;
        int n, frameW, frameH;
    } boards[] = {{"board", 50, 0, 0}, {"board", 200, 0, 0}, {"board", 600, 0, 0}, {"large", 600, 56500, 43500}};
    for (const BoardSize& b : boards) {
        if ((quick && b.n > 200) || b.n > largest) continue;
        if (!kind.empty() && kind != b.kind) continue;
        for (int seed = 1; seed <= (quick ? 2 : seeds); ++seed) {
            const std::string name = std::to_string(b.n) + " " + b.kind + " seed " + std::to_string(seed);
            if (!only.empty() && name != only) continue;
            const bench_boards::BoardCase c = bench_boards::GenerateBoard(b.n, seed, b.frameW, b.frameH);
            if (std::getenv("ROUTE_BENCH_SOURCE")) std::fputs(c.text.c_str(), stdout);
            Case(name + "  " + c.summary, c.text, libs);
        }
    }
    return 0;
}
