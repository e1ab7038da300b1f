// The wire and net procedures of the object layer beside the kernel calls
// they are built on, on the kernel benchmarks' design (10,000 components,
// 12,500 wires on the current level): hit tests at a wire and a junction,
// the snap onto a wire, and deleting a net of 100 wires.
#include "bench/kernel/bench_design.h"
#include "editor/objects/branch_hits.h"
#include "editor/objects/net_lookups.h"
#include "editor/objects/net_removal.h"
#include "editor/shell/curpos.h"

#include <benchmark/benchmark.h>

namespace {

constexpr int kNetWires = 100;

void Design()
{
    static bool built = false;
    if (built) return;
    bench::NewDesign();
    bench::AddComponents();
    bench::AddWires();
    g_PickTolerance = 200;
    built = true;
}

// A net of kNetWires wires chained through junctions at y = 9000.
int32_t AddNet()
{
    const int32_t net = N_CreateNet(0, 1, "DEL");
    int32_t previous = J_CreateJunction(0, 3, 0, 9000);
    for (int i = 1; i <= kNetWires; ++i) {
        const int32_t next = J_CreateJunction(0, 3, i * 1000, 9000);
        const int32_t b = B_CreateBranch(0, 1, net);
        B_InsertRecord(b, -1, 4, previous);
        B_InsertRecord(b, -1, 4, next);
        previous = next;
    }
    return net;
}

// A point on the 6,000th wire, away from its junctions.
constexpr int32_t kWireX = 6000 * 1000, kWireY = 2500;

void BM_KernelCoverBranch(benchmark::State& state)
{
    Design();
    for (auto _ : state) {
        int32_t record = 0;
        benchmark::DoNotOptimize(B_CoverBranch(kWireX, kWireY, g_PickTolerance, &record));
        benchmark::DoNotOptimize(DB_GetCoverDistance());
    }
}
BENCHMARK(BM_KernelCoverBranch);

void BM_CoverBranchAtPoint(benchmark::State& state)
{
    Design();
    for (auto _ : state) {
        int32_t status = 0, distance = 0, branch = 0, cover = 0;
        BranchRec rec{};
        CoverBranchAtPoint(status, 0, 0, kWireX, kWireY, distance, branch, cover, rec);
        benchmark::DoNotOptimize(branch);
    }
}
BENCHMARK(BM_CoverBranchAtPoint);

void BM_KernelCoverNodeThenBranch(benchmark::State& state)
{
    Design();
    for (auto _ : state) {
        int32_t net = 0, record = 0;
        benchmark::DoNotOptimize(N_CoverNode(kWireX, kWireY, g_PickTolerance, &net));
        benchmark::DoNotOptimize(B_CoverBranch(kWireX, kWireY, g_PickTolerance, &record));
    }
}
BENCHMARK(BM_KernelCoverNodeThenBranch);

void BM_CoverNetAtPoint(benchmark::State& state)
{
    Design();
    for (auto _ : state) {
        int32_t status = 0, net = 0, node = 0;
        std::string name;
        NetRec netRec{};
        NodeRec nodeRec{};
        CoverNetAtPoint(status, kWireX, kWireY, net, name, node, netRec, nodeRec);
        benchmark::DoNotOptimize(net);
    }
}
BENCHMARK(BM_CoverNetAtPoint);

void BM_KernelCoverJunction(benchmark::State& state)
{
    Design();
    for (auto _ : state) benchmark::DoNotOptimize(J_CoverJunction(kWireX, 0, 2 * g_PickTolerance));
}
BENCHMARK(BM_KernelCoverJunction);

// The kernel calls CoverJunctionAtPoint is built on: the junctions at the
// point, then the branches through the first one's position.
void BM_KernelCoverJunctionThenBranches(benchmark::State& state)
{
    Design();
    for (auto _ : state) {
        const int32_t junction = J_CoverJunction(kWireX, 0, 2 * g_PickTolerance);
        JunctionRec j{};
        J_ReadJunction(junction, &j);
        int32_t record = 0;
        for (int32_t b = B_CoverBranch(j.X, j.Y, 1, &record); b != 0; b = B_CoverNextBranch(&record))
            benchmark::DoNotOptimize(b);
    }
}
BENCHMARK(BM_KernelCoverJunctionThenBranches);

void BM_CoverJunctionAtPoint(benchmark::State& state)
{
    Design();
    for (auto _ : state) {
        int32_t status = 0, branch = 0, index = 0;
        BranchRec rec{};
        CoverJunctionAtPoint(status, kWireX, 0, branch, rec, index, -1);
        benchmark::DoNotOptimize(branch);
    }
}
BENCHMARK(BM_CoverJunctionAtPoint);

// The kernel calls of a snap onto a wire: the branch at the point, its
// record and the two ends of the segment hit.
void BM_KernelCoverBranchAndSegment(benchmark::State& state)
{
    Design();
    for (auto _ : state) {
        int32_t record = 0;
        const int32_t b = B_CoverBranch(kWireX, kWireY, g_PickTolerance, &record);
        BranchRec rec{};
        BranchPointRec p1{}, p2{};
        B_ReadBranch(b, &rec);
        B_ReadRecord(b, record - 1, &p1);
        B_ReadRecord(b, record, &p2);
        benchmark::DoNotOptimize(p2);
    }
}
BENCHMARK(BM_KernelCoverBranchAndSegment);

void BM_SnapToBranch(benchmark::State& state)
{
    Design();
    for (auto _ : state) {
        int32_t status = 0, x = kWireX, y = kWireY, branch = 0, cover = 0;
        BranchRec rec{};
        SnapToBranch(status, x, y, branch, rec, cover, -1);
        benchmark::DoNotOptimize(x);
    }
}
BENCHMARK(BM_SnapToBranch);

// The kernel's own deletion of the same net: every branch, its junctions
// (no other wire uses them), the net.
void BM_KernelDeleteNet(benchmark::State& state)
{
    Design();
    for (auto _ : state) {
        state.PauseTiming();
        const int32_t net = AddNet();
        state.ResumeTiming();
        while (const int32_t b = B_FindNetPage(0, net, -1)) {
            BranchPointRec p{};
            for (int32_t i = 1; B_ReadRecord(b, i, &p); ++i) AddToHeap(0, p.Ref, 2);
            OM_Delete(DB_BranchMap(), b);
        }
        OM_Delete(DB_NetMap(), net);
    }
}
BENCHMARK(BM_KernelDeleteNet)->Unit(benchmark::kMillisecond);

void BM_DeleteNet(benchmark::State& state)
{
    Design();
    for (auto _ : state) {
        state.PauseTiming();
        const int32_t net = AddNet();
        state.ResumeTiming();
        DeleteNet(net);
    }
}
BENCHMARK(BM_DeleteNet)->Unit(benchmark::kMillisecond);

}  // namespace
