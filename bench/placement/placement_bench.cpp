// The placement engine beside two simulated annealers (annealer.h: one of
// legal moves only, one that lets blocks overlap under a growing penalty
// and legalises at the end) on generated designs built in the kernel, all
// on the same legal sites (the same cells, clearances, zones, locked parts
// and wiring room: the room the engine chose for the page), and the
// engine's placement routed by the real router beside the same parts on a
// plain grid spread evenly over the page.
//
// Designs: boards shaped like real ones (boards.h: ICs of 14 to 200 pins,
// VCC and GND of 50 pins and more, headers locked on the left and right
// edges, passives serving their ICs, multi-pin nets) of 50 to 600 parts on
// roomy pages (the parts' outlines cover 12 % of the sheet) and on tight
// ones (30 %), and two-pin designs of resistors and capacitors. Each page
// has the editor's default pattern (rows 0.8 inch, columns 0.4 inch apart
// over the frame), a title block zone in its lower right corner, texts and a
// rule in its notes (boards.h), and clearances, edge and alignment of 0.1
// inch. The engine and the annealers keep the parts off the notes as they
// keep them off the zone; each case's second line says how many parts
// each left on a notes item all the same (read apart from the model).
//
// One line a case: parts, nets (of them with more than two pins), the
// engine's half-perimeter wire length (HPWL, inches) and processor time,
// each annealer's median HPWL and median time over --seeds runs, the
// engine's ratios to each, the share of the frame's width and height the
// engine's placement spans and how far its middle lies from the frame's,
// the room scale, and the router's completion (connections made of those
// asked) on the engine's placement and on the plain grid. Below it each
// annealer's runs: HPWL and time of every seed, the moves priced, the share
// of proposals that could be made, and temperatures that gave up.
//
// Goals on every multi-pin case, against the better annealer (the lower
// median HPWL): the engine's HPWL at most 1.0 x its median, in at most a
// fifth of its median time, and the router completing at least the same
// share of connections on the engine's placement as on the grid.
//
//   placement_bench [--only NAME] [--inner X] [--seeds N] [--cover X] [--no-route] [--source]
//   --only runs one case (its name as printed; "board N sS" any board),
//   --inner sets the annealers' priced moves per temperature (X x n^(4/3),
//   10 by default, the classic schedule's), --seeds the runs of each
//   annealer (3), --cover the share of the roomy pages the outlines cover,
//   --no-route leaves the router out, --source prints each design's source.
#include "bench/placement/annealer.h"
#include "bench/placement/boards.h"
#include "platform/kernel/nvokernel32.h"
#include "platform/placement/plc_model.h"
#include "platform/placement/plc_sites.h"
#include "router/corvex.h"
#include "bench/boards/router_checks.h"
#include "tools/sources/source_builder.h"
#include "tools/sources/source_reader.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <time.h>

namespace {

constexpr int32_t kInch = 2540000;
constexpr int32_t kMil = 2540;
constexpr int kStepIndex = 3;  // the router's step: 0.05 inch

double g_Inner = 10.0;
int g_Seeds = 3;
double g_Cover = 0.12;
bool g_Route = true;
bool g_Source = false;

// Processor time of this thread in ms, so that other work on a loaded
// machine does not count in the comparison.
double CpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

bool Build(const std::string& text)
{
    nvo_sources::Source source;
    std::string error;
    DB_DiscardDataBase();
    if (nvo_sources::ReadSourceText(text, "design", std::string(PALVANE_SOURCE_DIR) + "/data/libraries", source, error) &&
        nvo_sources::BuildDesign(source, error))
        return true;
    std::fprintf(stderr, "design: %s\n", error.c_str());
    if (DB_DataBase() == 0) DB_CreateDataBase("Untitled", "MAINHIER", "MAINPAGE");
    return false;
}

int32_t IdOf(const std::string& name)
{
    const int32_t map = DB_SchCompMap();
    int32_t cursor = OM_GetFirst(map);
    while (int32_t id = OM_SearchMask(map, &cursor, 0, 0)) {
        const std::string full = O_GetName(C_Component(id));
        if (full.substr(0, full.find('/')) == name) return id;
    }
    return 0;
}

void AddItem(int32_t symb, ItemRec r)
{
    r.Flags = 1;
    OA_Add(S_SymbolItemArray(symb), I_MakeItem(&r));
}

// The editor's default pattern #1 over the frame, a title block zone in its
// lower right corner, and the default settings (0.1 inch each).
PlcParamRec Prepare()
{
    const int32_t page = DB_CurPage(), hier = DB_CurHier();
    const int32_t grid = -(hier + 13000), zone = -(hier + 12000);
    S_CreateSymbol(grid, "GridSymbol");
    S_CreateSymbol(zone, "ZoneSymbol");
    int32_t f[4] = {};
    B_FrameBranchLines(-100 - page, 63, f);
    for (int32_t y = f[1]; y <= f[3]; y += 8 * kInch / 10) {
        ItemRec r{};
        r.Kind = 1, r.Link = 1, r.X = f[0], r.Y = y, r.P1 = f[2] - f[0];
        AddItem(grid, r);
    }
    for (int32_t x = f[0]; x <= f[2]; x += 4 * kInch / 10) {
        ItemRec r{};
        r.Kind = 1, r.Link = 2, r.X = x, r.Y = f[1], r.P2 = f[3] - f[1];
        AddItem(grid, r);
    }
    ItemRec title{};
    title.Kind = 3, title.Link = 1;
    title.P1 = -std::min(6 * kInch, (f[2] - f[0]) / 4), title.P2 = std::min(3 * kInch / 2, (f[3] - f[1]) / 8);
    title.X = f[2], title.Y = f[1];
    AddItem(zone, title);
    PlcParamRec p{};
    p.ClearX = p.ClearY = 2 * 100 * kMil;
    p.BoardEdge = 2 * 100 * kMil;
    p.Align = 2 * 100 * kMil;
    p.GridSymb = grid, p.ZoneSymb = zone, p.Page = page;
    return p;
}

// Writes the sites of the movable components into the design.
void Write(const plc::Model& model, const std::vector<plc::Site>& sites)
{
    for (size_t c = 0; c < model.comps.size(); ++c) {
        const plc::Comp& comp = model.comps[c];
        if (comp.locked) continue;
        const int32_t angle = comp.angle % 90000 != 0 ? comp.angle : plc::QuarterAngle(sites[c].angle);
        CompRec rec{};
        C_ReadComponent(comp.id, &rec);
        if (rec.Angle != angle) C_ChangeCompDispAttr(comp.id, angle, comp.mirrored ? 1 : 0);
        O_ChangePosition(C_Component(comp.id), static_cast<int32_t>(sites[c].x), static_cast<int32_t>(sites[c].y));
    }
}

// The movable components on a plain grid spread evenly over the page
// between the locked ones on the left and right: rows of about equal width
// in the design's order, the spare room shared out evenly between the rows
// and between the parts of a row; each at the angle it was read with.
void WriteGrid(const plc::Model& model)
{
    const plc::Rect& f = model.frame;
    int64_t x1 = f.x1, x2 = f.x2;
    for (const plc::Comp& comp : model.comps) {
        if (!comp.locked) continue;
        const plc::Rect b = plc::Moved(comp.current.box, comp.x, comp.y);
        if ((b.x1 + b.x2) / 2 < (f.x1 + f.x2) / 2) x1 = std::max(x1, b.x2 + 3 * kInch / 10);
        else x2 = std::min(x2, b.x1 - 3 * kInch / 10);
    }
    const int64_t y1 = f.y1, y2 = f.y2;
    std::vector<int> parts;
    double totalW = 0;
    int64_t widest = 0;
    const int64_t gap = kInch / 5;
    for (int c = 0; c < static_cast<int>(model.comps.size()); ++c) {
        if (model.comps[c].locked) continue;
        parts.push_back(c);
        const plc::Rect& b = model.comps[c].current.box;
        totalW += static_cast<double>(b.x2 - b.x1 + gap);
        widest = std::max(widest, b.x2 - b.x1 + gap);
    }
    if (parts.empty()) return;
    const double W = static_cast<double>(x2 - x1), H = static_cast<double>(y2 - y1);
    int rowCount = std::max(1, static_cast<int>(std::lround(std::sqrt(parts.size() * H / W))));
    std::vector<std::vector<int>> rows;
    for (;; ++rowCount) {
        const double limit = std::min(W, std::max(totalW / rowCount, static_cast<double>(widest)));
        rows.assign(1, {});
        double used = 0;
        for (int c : parts) {
            const plc::Rect& b = model.comps[c].current.box;
            const double w = static_cast<double>(b.x2 - b.x1 + gap);
            if (!rows.back().empty() && used + w > limit * 1.02) rows.emplace_back(), used = 0;
            rows.back().push_back(c), used += w;
        }
        double height = 0;
        for (const auto& row : rows) {
            int64_t h = 0;
            for (int c : row) h = std::max(h, model.comps[c].current.box.y2 - model.comps[c].current.box.y1 + gap);
            height += static_cast<double>(h);
        }
        if (height <= H || rowCount > static_cast<int>(parts.size())) break;
    }
    std::vector<int64_t> rowH;
    double height = 0;
    for (const auto& row : rows) {
        int64_t h = 0;
        for (int c : row) h = std::max(h, model.comps[c].current.box.y2 - model.comps[c].current.box.y1);
        rowH.push_back(h), height += static_cast<double>(h);
    }
    const double gapY = std::max(0.0, (H - height) / static_cast<double>(rows.size()));
    double top = static_cast<double>(y2) - gapY / 2;
    auto snap = [](double v) { return static_cast<int32_t>(std::floor(v / (100.0 * kMil)) * 100 * kMil); };
    for (size_t r = 0; r < rows.size(); ++r) {
        double rowW = 0;
        for (int c : rows[r]) rowW += static_cast<double>(model.comps[c].current.box.x2 - model.comps[c].current.box.x1);
        const double gapX = std::max(0.0, (W - rowW) / static_cast<double>(rows[r].size()));
        double left = static_cast<double>(x1) + gapX / 2;
        for (int c : rows[r]) {
            const plc::Comp& comp = model.comps[c];
            const plc::Rect& b = comp.current.box;
            const double midY = top - static_cast<double>(rowH[r]) / 2;
            CompRec rec{};
            C_ReadComponent(comp.id, &rec);
            if (rec.Angle != comp.angle) C_ChangeCompDispAttr(comp.id, comp.angle, comp.mirrored ? 1 : 0);
            O_ChangePosition(C_Component(comp.id), snap(left - static_cast<double>(b.x1)),
                             snap(midY - static_cast<double>(b.y1 + b.y2) / 2));
            left += static_cast<double>(b.x2 - b.x1) + gapX;
        }
        top -= static_cast<double>(rowH[r]) + gapY;
    }
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n == 0 ? 0 : n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

struct Routed {
    int connected = 0, pairs = 0;
    double ms = 0;
};

// Routes the page as it stands in the design with the real router.
Routed Route()
{
    Routed r;
    SCR_DBaseFree();
    SCR_SetPreloadBits(5);
    if (!SCR_LoadComponentsAndSymbols() || !SCR_LoadFields() || !LD_PreLoadBranchesAndBPoints()) {
        std::printf("  router: page not loaded (%d/%d)\n", SCR_ErrorFunc(), SCR_ErrorCode());
        return r;
    }
    SCR_SetStepIndex(kStepIndex);
    const double t0 = CpuMs();
    SCR_InitNodeForRoute();
    char msg[100];
    int32_t state = 0;
    do {
        if (!SCR_RouteAllWiresInPage(&state, msg, sizeof msg)) {
            std::printf("  router stopped: %s (%d/%d)\n", msg, SCR_ErrorFunc(), SCR_ErrorCode());
            break;
        }
    } while (state == 0);
    r.ms = CpuMs() - t0;
    const corvex_check::WireStats w = corvex_check::Measure();
    r.connected = w.connected, r.pairs = w.pairs;
    SCR_DBaseFree();
    return r;
}

// The boxes of the notes items the page shows (its own notes and the
// design notes, at the identity placement the page draws them at; hidden
// texts draw nothing), read from the kernel apart from the engine's model.
std::vector<plc::Rect> NotesBoxes(int32_t page)
{
    std::vector<plc::Rect> out;
    const int32_t hier = DB_CurHier();
    S_SetCompLocation(0, 0, 0, 0);
    for (const int32_t symb : {-100 - hier, -((hier + 9) * 100 + page)}) {
        const int32_t array = S_SymbolItemArray(symb);
        for (int32_t i = 1; array && i <= OA_GetCount(array); ++i) {
            ItemRec r{};
            int32_t b[4] = {};
            if (I_ReadItem(OA_Object(array, i), &r) != 1 || (r.Kind == 6 && r.P1 <= 0)) continue;
            if (S_FrameSymbolItem(symb, i, b) == 1) out.push_back({b[0], b[1], b[2], b[3]});
        }
    }
    return out;
}

// How many movable parts' outlines cross a notes box.
int OverNotes(const plc::Model& model, const std::vector<plc::Site>& sites, const std::vector<plc::Rect>& notes)
{
    int over = 0;
    for (size_t c = 0; c < model.comps.size(); ++c) {
        if (model.comps[c].locked) continue;
        const plc::Rect b = plc::Moved(model.comps[c].shapes[sites[c].angle].box, sites[c].x, sites[c].y);
        over += std::any_of(notes.begin(), notes.end(), [&](const plc::Rect& n) { return plc::Overlaps(b, n); });
    }
    return over;
}

// Whether the sites are legal together: each legal and free of the ones
// before it.
bool AllLegal(const plc::Model& model, const std::vector<plc::Site>& sites)
{
    plc::CellMap cells(model);
    for (size_t c = 0; c < model.comps.size(); ++c) {
        if (model.comps[c].locked) continue;
        const plc::Site& s = sites[c];
        plc::Site legal;
        if (!cells.Legal(static_cast<int>(c), s.angle, s.i, s.k, legal) || legal.x != s.x || legal.y != s.y ||
            !cells.Free(static_cast<int>(c), s))
            return false;
        cells.Occupy(static_cast<int>(c), s, true);
    }
    return true;
}

// The share of the frame's width and height the placed outlines span, and
// how far their middle lies from the frame's (as a share of its size).
void Spread(const plc::Model& model, const std::vector<plc::Site>& sites, double& w, double& h, double& off)
{
    plc::Rect span{INT64_MAX, INT64_MAX, INT64_MIN, INT64_MIN};
    for (size_t c = 0; c < model.comps.size(); ++c) {
        if (model.comps[c].locked) continue;
        const plc::Rect b = plc::Moved(model.comps[c].shapes[sites[c].angle].box, sites[c].x, sites[c].y);
        span = {std::min(span.x1, b.x1), std::min(span.y1, b.y1), std::max(span.x2, b.x2), std::max(span.y2, b.y2)};
    }
    const plc::Rect& f = model.frame;
    const double fw = static_cast<double>(f.x2 - f.x1), fh = static_cast<double>(f.y2 - f.y1);
    w = static_cast<double>(span.x2 - span.x1) / fw, h = static_cast<double>(span.y2 - span.y1) / fh;
    const double dx = ((span.x1 + span.x2) - (f.x1 + f.x2)) / 2.0 / fw, dy = ((span.y1 + span.y2) - (f.y1 + f.y2)) / 2.0 / fh;
    off = std::max(std::fabs(dx), std::fabs(dy));
}

struct Totals {
    int cases = 0, hpwl = 0, time = 0, route = 0;
};

void Case(const std::string& name, const plc_bench::Board& board, bool multiPin, unsigned seed, Totals& totals)
{
    if (g_Source) std::fputs(board.text.c_str(), stdout);
    if (!Build(board.text)) {
        std::printf("%-14s design not built\n", name.c_str());
        return;
    }
    for (const std::string& ref : board.locked) O_Mask(C_Component(IdOf(ref)), 32, 32);
    const PlcParamRec params = Prepare();
    plc::Model model;
    if (plc::ReadModel(params, model) != 0) {
        std::printf("%-14s model not read\n", name.c_str());
        return;
    }
    int parts = 0, wide = 0;
    for (const plc::Comp& c : model.comps) parts += !c.locked;
    for (const plc::Net& n : model.nets) wide += n.size() > 2;

    double t0 = CpuMs();
    std::vector<plc::Site> engine;
    int failed = -1;
    const bool okEngine = plc::Solve(model, engine, &failed);
    const double tEngine = CpuMs() - t0;
    if (!okEngine) {
        std::printf("%-14s the engine found no site for component %d\n", name.c_str(), failed);
        return;
    }
    // Each baseline over g_Seeds seeds: the median HPWL and time, the
    // parts left on notes and whether every placement was legal.
    const std::vector<plc::Rect> notes = NotesBoxes(params.Page);
    bool legal = AllLegal(model, engine);
    const int overEngine = OverNotes(model, engine, notes);
    struct Baseline {
        std::vector<double> hpwl, ms;
        int over = 0;
        int64_t moves = 0, proposals = 0;
        int gaveUp = 0;
    } base[2];
    for (int b = 0; b < 2; ++b)
        for (int r = 0; r < g_Seeds; ++r) {
            const uint64_t runSeed = seed * 7919u + 17u + static_cast<uint64_t>(r) * 104729u;
            std::vector<plc::Site> sites;
            plc_bench::AnnealStats stats;
            t0 = CpuMs();
            const bool ok = b == 0 ? plc_bench::Anneal(model, runSeed, g_Inner, sites, &stats)
                                   : plc_bench::AnnealOverlap(model, runSeed, g_Inner, sites, &stats);
            const double ms = CpuMs() - t0;
            if (!ok) {
                std::printf("%-14s the %s found no legal placement\n", name.c_str(), b == 0 ? "annealer" : "overlap annealer");
                return;
            }
            legal = legal && AllLegal(model, sites);
            base[b].over += OverNotes(model, sites, notes);
            base[b].hpwl.push_back(plc::Hpwl(model, sites) / kInch);
            base[b].ms.push_back(ms);
            base[b].moves += stats.moves, base[b].proposals += stats.proposals, base[b].gaveUp += stats.gaveUp;
        }
    const double hEngine = plc::Hpwl(model, engine) / kInch;
    const double hAnneal = Median(base[0].hpwl), tAnneal = Median(base[0].ms);
    const double hOverlap = Median(base[1].hpwl), tOverlap = Median(base[1].ms);
    // The better baseline: the lower median HPWL.
    const bool overlapBetter = hOverlap < hAnneal;
    const double hBest = overlapBetter ? hOverlap : hAnneal, tBest = overlapBetter ? tOverlap : tAnneal;
    double sw = 0, sh = 0, off = 0;
    Spread(model, engine, sw, sh, off);

    Routed placed, grid;
    if (g_Route) {
        Write(model, engine);
        placed = Route();
        WriteGrid(model);
        grid = Route();
    }
    const double hRatio = hEngine / hBest, tRatio = tEngine / tBest;
    const double placedRate = placed.pairs ? 100.0 * placed.connected / placed.pairs : 0.0;
    const double gridRate = grid.pairs ? 100.0 * grid.connected / grid.pairs : 0.0;
    const bool hpwlMet = hRatio <= 1.0, timeMet = tRatio <= 0.2, routeMet = !g_Route || placedRate >= gridRate;
    std::printf("%-14s %5d %5d %4d | %8.1f %7.1f | %8.1f %8.1f | %8.1f %8.1f | %5.3f %5.3f %5.3f %5.3f | %3.0f%% x %3.0f%% "
                "%4.1f%% %4.2f | %5d/%-5d %5.1f%% | %5d/%-5d %5.1f%% | %s\n",
                name.c_str(), parts, static_cast<int>(model.nets.size()), wide, hEngine, tEngine, hAnneal, tAnneal, hOverlap,
                tOverlap, hEngine / hAnneal, hEngine / hOverlap, tEngine / tAnneal, tEngine / tOverlap, 100 * sw, 100 * sh,
                100 * off, model.roomScale, placed.connected, placed.pairs, placedRate, grid.connected, grid.pairs, gridRate,
                !legal                                       ? "NOT LEGAL"
                : overEngine + base[0].over + base[1].over > 0 ? "PARTS ON NOTES"
                : !multiPin                                  ? "(two-pin: no goals)"
                                                             : (std::string(hpwlMet ? "HPWL yes" : "HPWL NO") +
                                                                (timeMet ? ", time yes" : ", time NO") +
                                                                (g_Route ? (routeMet ? ", route yes" : ", route NO") : "") +
                                                                (overlapBetter ? " (vs overlap)" : " (vs annealer)"))
                                                                   .c_str());
    std::printf("%-14s   %s; %zu notes items, parts on them: engine %d, annealer %d, overlap %d\n", "", board.summary.c_str(),
                notes.size(), overEngine, base[0].over, base[1].over);
    for (int b = 0; b < 2; ++b) {
        std::printf("%-14s   %-8s HPWL", "", b == 0 ? "annealer" : "overlap");
        for (double h : base[b].hpwl) std::printf(" %.1f", h);
        std::printf(", ms");
        for (double t : base[b].ms) std::printf(" %.0f", t);
        std::printf("; %.2g moves a run, %.0f%% of the proposals legal, %d temperatures gave up\n",
                    static_cast<double>(base[b].moves) / g_Seeds,
                    base[b].proposals ? 100.0 * static_cast<double>(base[b].moves) / static_cast<double>(base[b].proposals) : 0.0,
                    base[b].gaveUp);
    }
    std::fflush(stdout);
    if (multiPin) {
        ++totals.cases;
        totals.hpwl += hpwlMet && legal;
        totals.time += timeMet;
        totals.route += routeMet;
    }
}

}  // namespace

int main(int argc, char** argv)
{
    std::string only;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--only" && i + 1 < argc) only = argv[++i];
        else if (a == "--inner" && i + 1 < argc) g_Inner = std::atof(argv[++i]);
        else if (a == "--seeds" && i + 1 < argc) g_Seeds = std::max(1, std::atoi(argv[++i]));
        else if (a == "--no-route") g_Route = false;
        else if (a == "--source") g_Source = true;
        else if (a == "--cover" && i + 1 < argc) g_Cover = std::atof(argv[++i]);
    }
    DB_CreateDataBase("Untitled", "MAINHIER", "MAINPAGE");
    std::printf("baselines: %.1f x n^(4/3) priced moves per temperature, median of %d seeds; router step 0.05 in; HPWL in "
                "inches, time in ms of processor; ratios engine / annealer (a), engine / overlap annealer (o)\n",
                g_Inner, g_Seeds);
    std::printf("%-14s %5s %5s %4s | %8s %7s | %8s %8s | %8s %8s | %5s %5s %5s %5s | %-22s | %-19s | %-19s | goals\n", "case",
                "parts", "nets", ">2", "engine", "ms", "annealer", "ms", "overlap", "ms", "HPWLa", "HPWLo", "timea", "timeo",
                "span    off  room", "routed placed", "routed grid");
    Totals totals;
    // Roomy pages (the parts' outlines cover 12 % of the sheet) and tight
    // ones (30 %).
    const struct {
        int parts;
        unsigned seed;
        bool tight;
    } boards[] = {{50, 1, false},  {50, 2, false},  {100, 1, false}, {200, 1, false}, {200, 2, false},
                  {300, 1, false}, {450, 1, false}, {600, 1, false}, {100, 3, true},  {200, 3, true},
                  {300, 3, true}};
    int extraParts = 0;
    unsigned extraSeed = 0;
    if (std::sscanf(only.c_str(), "board %d s%u", &extraParts, &extraSeed) == 2 && only.find("tight") == std::string::npos) {
        Case(only, plc_bench::GenerateBoard(extraParts, extraSeed, g_Cover), true, extraSeed, totals);
        return 0;
    }
    for (const auto& b : boards) {
        const std::string name = std::string(b.tight ? "tight " : "board ") + std::to_string(b.parts) + " s" + std::to_string(b.seed);
        if (!only.empty() && name != only) continue;
        Case(name, plc_bench::GenerateBoard(b.parts, b.seed, b.tight ? 0.3 : g_Cover), true, b.seed, totals);
    }
    for (int count : {200, 1000}) {
        const std::string name = "two-pin " + std::to_string(count);
        if (!only.empty() && name != only) continue;
        Case(name, plc_bench::GenerateTwoPin(count, 1), false, 1, totals);
    }
    std::printf("multi-pin cases: HPWL goal met on %d of %d, time goal on %d, routing goal on %d\n", totals.hpwl, totals.cases,
                totals.time, totals.route);
    return 0;
}
