// The placement engine beside two baselines on generated designs built in
// the kernel: a random legal placement and a plain annealer (random moves
// anywhere, classic cooling, started from the random placement), all on the
// same sites. Designs of 50, 200 and 1,000 resistors and capacitors with
// local nets, keep-off zones and locked components, several seeds. Prints
// one line a case: pin wire length (HPWL) and processor time of each.
//
// Goal: the engine's HPWL at least 30% below random and at most 1.05 x the
// annealer's, in at most a tenth of its time.
#include "platform/kernel/nvokernel32.h"
#include "platform/placement/plc_model.h"
#include "tools/sources/source_builder.h"
#include "tools/sources/source_reader.h"

#include <cmath>
#include <cstdio>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <time.h>

namespace {

constexpr int32_t kInch = 2540000;

// A page sized for `count` parts, the parts on a rough square, each net
// joining a part to one of its near neighbours; a few parts locked.
std::string Design(int count, unsigned seed)
{
    std::mt19937 rng(seed);
    const int side = static_cast<int>(std::ceil(std::sqrt(count * 2.0)));
    std::ostringstream s;
    s << "include discrete.nls\nunit 0.1in\ndesign G\nlevel MAIN\n";
    s << "page P frame " << side * 8 + 20 << " " << side * 6 + 20 << "\n";
    for (int i = 1; i <= count; ++i) s << "  component " << (i % 3 ? "R" : "C") << i << (i % 3 ? " R" : " C") << " at 0 0\n";
    // Each pin joins one net at most: pin 2 of a part to pin 1 of a near one.
    std::vector<bool> inUsed(static_cast<size_t>(count) + 1, false);
    int net = 0;
    for (int i = 1; i <= count; ++i) {
        const int j = i + 1 + static_cast<int>(rng() % 6);
        if (j > count || inUsed[static_cast<size_t>(j)]) continue;
        inUsed[static_cast<size_t>(j)] = true;
        s << "  net N" << ++net << " " << (i % 3 ? "R" : "C") << i << ".2 " << (j % 3 ? "R" : "C") << j << ".1\n";
    }
    s << "end\n";
    return s.str();
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
    return false;
}

void AddItem(int32_t symb, ItemRec r)
{
    r.Flags = 1;
    OA_Add(S_SymbolItemArray(symb), I_MakeItem(&r));
}

// Pattern #1 over the frame (rows .4 inch, columns .8 inch), two zones and
// every 25th part locked where it stands after a first spread.
PlcParamRec Prepare(unsigned seed)
{
    const int32_t page = DB_CurPage(), hier = DB_CurHier();
    const int32_t grid = -(hier + 13000), zone = -(hier + 12000);
    S_CreateSymbol(grid, "GridSymbol");
    S_CreateSymbol(zone, "ZoneSymbol");
    int32_t f[4] = {};
    B_FrameBranchLines(-100 - page, 63, f);
    for (int32_t y = f[1]; y <= f[3]; y += 4 * kInch / 10) {
        ItemRec r{};
        r.Kind = 1, r.Link = 1, r.X = f[0], r.Y = y, r.P1 = f[2] - f[0];
        AddItem(grid, r);
    }
    for (int32_t x = f[0]; x <= f[2]; x += 8 * kInch / 10) {
        ItemRec r{};
        r.Kind = 1, r.Link = 2, r.X = x, r.Y = f[1], r.P2 = f[3] - f[1];
        AddItem(grid, r);
    }
    std::mt19937 rng(seed);
    for (int z = 0; z < 2; ++z) {
        ItemRec r{};
        r.Kind = 3, r.Link = 1;
        r.X = f[0] + static_cast<int32_t>(rng() % static_cast<uint32_t>((f[2] - f[0]) / 2));
        r.Y = f[1] + static_cast<int32_t>(rng() % static_cast<uint32_t>((f[3] - f[1]) / 2));
        r.P1 = (f[2] - f[0]) / 10, r.P2 = (f[3] - f[1]) / 10;
        AddItem(zone, r);
    }
    PlcParamRec p{};
    p.ClearX = p.ClearY = 2 * 50 * 2540;
    p.BoardEdge = 2 * 100 * 2540;
    p.Align = 2 * 50 * 2540;
    p.GridSymb = grid, p.ZoneSymb = zone, p.Page = page;
    return p;
}

// Processor time of this thread, so that other work on a loaded machine does
// not count in the comparison.
double ThreadSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

double Seconds(double start)
{
    return ThreadSeconds() - start;
}

void Case(int count, unsigned seed)
{
    if (!Build(Design(count, seed))) return;
    const PlcParamRec params = Prepare(seed);
    plc::Model model;
    if (plc::ReadModel(params, model) != 0) {
        std::printf("%5d %4u  model not read\n", count, seed);
        return;
    }
    // Lock every 25th part at a random legal site of its own.
    std::vector<plc::Site> sites;
    if (!plc::SolveRandom(model, seed, sites)) {
        std::printf("%5d %4u  no legal random placement\n", count, seed);
        return;
    }
    for (size_t c = 0; c < model.comps.size(); c += 25) {
        plc::Comp& comp = model.comps[c];
        comp.locked = true;
        comp.x = sites[c].x, comp.y = sites[c].y;
        comp.current = comp.shapes[sites[c].angle];
    }
    auto t0 = ThreadSeconds();
    std::vector<plc::Site> random;
    const bool okRandom = plc::SolveRandom(model, seed + 1, random);
    const double tRandom = Seconds(t0);
    t0 = ThreadSeconds();
    std::vector<plc::Site> engine;
    const bool okEngine = plc::Solve(model, engine);
    const double tEngine = Seconds(t0);
    t0 = ThreadSeconds();
    std::vector<plc::Site> annealed;
    const bool okAnneal = plc::SolveAnnealed(model, seed + 2, 4000, annealed);
    const double tAnneal = Seconds(t0);
    if (!okRandom || !okEngine || !okAnneal) {
        std::printf("%5d %4u  a placement failed (%d %d %d)\n", count, seed, okRandom, okEngine, okAnneal);
        return;
    }
    const double hRandom = plc::Hpwl(model, random) / kInch, hEngine = plc::Hpwl(model, engine) / kInch,
                 hAnneal = plc::Hpwl(model, annealed) / kInch;
    std::printf("%5d %4u  random %9.1f in %7.3f s | engine %9.1f in %7.3f s | annealer %9.1f in %7.3f s |"
                " engine/random %.2f engine/annealer %.2f time ratio %.3f\n",
                count, seed, hRandom, tRandom, hEngine, tEngine, hAnneal, tAnneal, hEngine / hRandom, hEngine / hAnneal,
                tEngine / tAnneal);
}

}  // namespace

int main()
{
    DB_CreateDataBase("Untitled", "MAINHIER", "MAINPAGE");
    std::printf("parts seed  HPWL in inches and time of each placement\n");
    for (int count : {50, 200, 1000})
        for (unsigned seed : {1u, 2u, 3u}) Case(count, seed);
    return 0;
}
