// The kernel's object store against plain standard containers doing the
// same work: 10,000 components on one level and 50,000 wires spread over
// four levels (a level holds at most 15,999 branches), each wire a branch
// with two point records on two junctions.
//
//   build/bin/kernel_bench
#include "bench/kernel/bench_design.h"
#include "platform/kernel/nvokernel32.h"

#include <benchmark/benchmark.h>

#include <string>
#include <unordered_map>
#include <vector>

namespace {

using namespace bench;

// ---- The kernel ------------------------------------------------------------

void BM_Kernel_Create(benchmark::State& state)
{
    for (auto _ : state) {
        NewDesign();
        AddComponents();
        AddWires();
    }
    DB_DiscardDataBase();
}

int32_t WalkMap(int32_t map)
{
    int32_t cursor = OM_GetFirst(map), n = 0;
    while (OM_SearchMask(map, &cursor, 0, 0)) ++n;
    return n;
}

// The benchmark design, and the maps a walk goes through: the components
// and the wires of every level.
std::vector<int32_t> WalkDesign()
{
    NewDesign();
    AddComponents();
    AddWires();
    std::vector<int32_t> maps{DB_SchCompMap()};
    for (int level = 1; level <= kLevels; ++level) {
        DB_SetCurHier(level);
        maps.push_back(DB_BranchMap());
    }
    return maps;
}

void WalkAll(benchmark::State& state, const std::vector<int32_t>& maps)
{
    for (auto _ : state) {
        int32_t n = 0;
        for (int32_t map : maps) n += WalkMap(map);
        benchmark::DoNotOptimize(n);
    }
}

void BM_Kernel_Walk(benchmark::State& state)
{
    WalkAll(state, WalkDesign());
    DB_DiscardDataBase();
}

// The same walk inside an open change group: each call's guard then asks
// whether its export changes the design (a walk changes nothing, so the
// group never writes the design into memory). The difference to
// BM_Kernel_Walk is what the group's step accounting costs a call; outside
// a group the guard skips it with one test.
void BM_Kernel_WalkInChangeGroup(benchmark::State& state)
{
    const std::vector<int32_t> maps = WalkDesign();
    DB_BeginChange();
    WalkAll(state, maps);
    DB_EndChange(1);
    DB_DiscardDataBase();
}

void BM_Kernel_FindName(benchmark::State& state)
{
    NewDesign();
    AddComponents();
    const int32_t map = DB_SchCompMap();
    std::vector<std::string> names;
    for (int i = 1; i <= kComponents; ++i) names.push_back(CompName(i));
    for (auto _ : state) {
        int64_t sum = 0;
        for (const std::string& name : names) sum += OM_FindName(map, name.c_str());
        benchmark::DoNotOptimize(sum);
    }
    DB_DiscardDataBase();
}

void BM_Kernel_MaskAll(benchmark::State& state)
{
    NewDesign();
    AddWires();
    std::vector<int32_t> maps;
    for (int level = 1; level <= kLevels; ++level) {
        DB_SetCurHier(level);
        maps.push_back(DB_BranchMap());
    }
    for (auto _ : state)
        for (int32_t map : maps) OM_MaskAll(map, 256, 256);
    DB_DiscardDataBase();
}

void BM_Kernel_Delete(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        NewDesign();
        AddComponents();
        AddWires();
        state.ResumeTiming();
        for (int level = 1; level <= kLevels; ++level) {
            DB_SetCurHier(level);
            const int32_t map = DB_BranchMap();
            for (int id = 1; id <= kWiresPerLevel; ++id) OM_Delete(map, id);
        }
        DB_SetCurHier(1);
        const int32_t comps = DB_SchCompMap();
        for (int id = 1; id <= kComponents; ++id) OM_Delete(comps, id);
    }
    DB_DiscardDataBase();
}

// A walk of ten nets with low ids, and of ten nets one of which has an id
// near the limit of the id space: the second must cost no more than the
// first, since a walk follows the number of objects, not the highest id.
void WalkTenNets(benchmark::State& state, int32_t lastId)
{
    NewDesign();
    for (int32_t id = 1; id <= 9; ++id) N_CreateNet(id, 1, "N");
    N_CreateNet(lastId, 1, "N");
    const int32_t map = DB_NetMap();
    for (auto _ : state) benchmark::DoNotOptimize(WalkMap(map));
    DB_DiscardDataBase();
}

void BM_Kernel_WalkTenLowIds(benchmark::State& state)
{
    WalkTenNets(state, 10);
}

void BM_Kernel_WalkTenWithOneIdNearTheLimit(benchmark::State& state)
{
    WalkTenNets(state, 16777215);
}

// ---- The baseline: the same records in standard containers ----------------

struct Comp {
    int32_t status, x, y, symb;
    std::string name;
};
struct Point {
    int32_t flags, ref;
};
struct Wire {
    int32_t status, net;
    std::vector<Point> points;
};
struct Junction {
    int32_t status, x, y;
};
struct Level {
    std::unordered_map<int32_t, Wire> wires;
    std::unordered_map<int32_t, Junction> junctions;
};
struct Plain {
    std::unordered_map<int32_t, Comp> comps;
    std::unordered_map<std::string, int32_t> names;
    std::vector<Level> levels;
};

void PlainComponents(Plain& p)
{
    for (int i = 1; i <= kComponents; ++i) {
        p.comps[i] = Comp{1, i * 1000, i * 500, 1, CompName(i)};
        p.names.emplace(CompName(i), i);
    }
}

void PlainWires(Plain& p)
{
    p.levels.resize(kLevels);
    for (Level& level : p.levels) {
        int32_t junction = 0;
        for (int i = 1; i <= kWiresPerLevel; ++i) {
            const int32_t a = ++junction, b = ++junction;
            level.junctions[a] = Junction{3, i * 1000, 0};
            level.junctions[b] = Junction{3, i * 1000, 5000};
            level.wires[i] = Wire{1, 1, {{4, a}, {4, b}}};
        }
    }
}

void BM_Baseline_Create(benchmark::State& state)
{
    for (auto _ : state) {
        Plain p;
        PlainComponents(p);
        PlainWires(p);
        benchmark::DoNotOptimize(p);
    }
}

// The kernel's walk tests each member's status against a value and mask
// that the caller gives at run time (0 and 0: every member); so does this
// one, with the two hidden from the compiler, which would otherwise fold
// the test away and read no member at all. It goes in the hash map's
// order, where the kernel's walk goes up the keys.
void BM_Baseline_Walk(benchmark::State& state)
{
    Plain p;
    PlainComponents(p);
    PlainWires(p);
    int32_t value = 0, mask = 0;
    benchmark::DoNotOptimize(value);
    benchmark::DoNotOptimize(mask);
    for (auto _ : state) {
        int32_t n = 0;
        for (auto& c : p.comps) n += (c.second.status & mask) == value;
        for (auto& level : p.levels)
            for (auto& w : level.wires) n += (w.second.status & mask) == value;
        benchmark::DoNotOptimize(n);
    }
}

void BM_Baseline_FindName(benchmark::State& state)
{
    Plain p;
    PlainComponents(p);
    std::vector<std::string> names;
    for (int i = 1; i <= kComponents; ++i) names.push_back(CompName(i));
    for (auto _ : state) {
        int64_t sum = 0;
        for (const std::string& name : names) {
            auto it = p.names.find(name);
            sum += it == p.names.end() ? 0 : it->second;
        }
        benchmark::DoNotOptimize(sum);
    }
}

void BM_Baseline_MaskAll(benchmark::State& state)
{
    Plain p;
    PlainWires(p);
    for (auto _ : state)
        for (auto& level : p.levels)
            for (auto& w : level.wires) w.second.status = (w.second.status & ~256) | 256;
    benchmark::DoNotOptimize(p);
}

void BM_Baseline_Delete(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        Plain p;
        PlainComponents(p);
        PlainWires(p);
        state.ResumeTiming();
        for (auto& level : p.levels)
            for (int id = 1; id <= kWiresPerLevel; ++id) level.wires.erase(id);
        for (int id = 1; id <= kComponents; ++id) {
            p.names.erase(p.comps[id].name);
            p.comps.erase(id);
        }
        state.PauseTiming();
        p = Plain{};
        state.ResumeTiming();
    }
}

}  // namespace

BENCHMARK(BM_Kernel_Create)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Baseline_Create)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Kernel_Walk)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Kernel_WalkInChangeGroup)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Kernel_WalkTenLowIds);
BENCHMARK(BM_Kernel_WalkTenWithOneIdNearTheLimit);
BENCHMARK(BM_Baseline_Walk)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Kernel_FindName)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Baseline_FindName)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Kernel_MaskAll)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Baseline_MaskAll)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Kernel_Delete)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Baseline_Delete)->Unit(benchmark::kMillisecond);
