// A block move and a block delete (ChangeBlockObjects) of a page of 2,000
// components and 10,000 wires, all inside the block box, beside the kernel
// calls alone doing the same change: every component and junction moved
// by its position, or every component, wire and junction deleted. The
// editor's share is the box selection, the range check of every new
// position and its marks. A delete rebuilds the page between runs, outside
// the timing.
//
//   build/bin/editing_blockops_bench
#include "bench/interaction/bench_editor.h"
#include "editor/shell/clspalvane.h"
#include "editor/shell/forms.h"
#include "editor/shell/schmain.h"
#include "editor/shell/settings.h"
#include "editor/view/view_state.h"
#include "platform/kernel/nvokernel32.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

constexpr int kColumns = 50, kRows = 40;  // 2,000 components
constexpr int kWires = 10000;
constexpr int32_t kCellX = 1524000, kCellY = 1270000;  // 0.6 x 0.5 inch
constexpr int32_t kBodyW = 762000, kBodyH = 254000;
constexpr int32_t kLead = 254000;
constexpr int32_t kStep = 254000;

int32_t OriginX(int column) { return (column - kColumns / 2) * kCellX; }
int32_t OriginY(int row) { return (row - kRows / 2) * kCellY; }

// The page: resistors in a grid, and five two-point wires in each cell's
// free space, on one net.
void BuildPage()
{
    DB_DiscardDataBase();
    DB_CreateDataBase("Bench", "MAIN", "P1");
    const int32_t symbol = S_CreateSymbol(0, "RES");
    O_Mask(S_Symbol(symbol), 1, 3);
    ItemRec body{};
    body.Kind = 3;
    body.X = -kBodyW / 2;
    body.Y = -kBodyH / 2;
    body.P1 = kBodyW;
    body.P2 = kBodyH;
    body.Layer = 32;
    OA_Add(S_SymbolItemArray(symbol), I_MakeItem(&body));
    for (int side : {-1, 1}) S_AddEntry(symbol, side < 0 ? "1" : "2", side * (kBodyW / 2 + kLead), 0, 0, 0, 0, 0);
    int n = 0;
    for (int r = 0; r < kRows; ++r)
        for (int c = 0; c < kColumns; ++c) {
            const std::string name = "R" + std::to_string(++n);
            C_CreateComponent(0, name.c_str(), 1, 0, symbol, 1, OriginX(c), OriginY(r), 0);
        }
    const int32_t net = N_CreateNet(0, 1, "N");
    for (int w = 0; w < kWires; ++w) {
        const int cell = w / 5, lane = w % 5;
        const int c = cell % kColumns, r = (cell / kColumns) % kRows;
        const int32_t x = OriginX(c) - kCellX / 3, y = OriginY(r) + kCellY / 4 + lane * (kCellY / 12);
        const int32_t branch = B_CreateBranch(0, 1, net);
        B_InsertRecord(branch, -1, 5, J_CreateJunction(0, 3, x, y));
        B_InsertRecord(branch, -1, 5, J_CreateJunction(0, 3, x + kCellX / 2, y));
    }
}

// The editor over the bench page, made by the first benchmark that needs
// it (bench_editor.h).
SCHMAIN& Editor()
{
    if (!BenchEditorLoaded()) {
        BuildPage();
        LoadBenchEditor();
    }
    return FormInstance<SCHMAIN>();
}

// The box around the whole page, the base point in its middle, a shift of
// `dx` and no turn.
void SetBlock(SCHMAIN& m, int32_t dx)
{
    const int32_t halfW = kColumns / 2 * kCellX + kCellX, halfH = kRows / 2 * kCellY + kCellY;
    g_SelRect = {-halfW, -halfH, halfW, halfH};
    m.m_BaseX = 0;
    m.m_BaseY = 0;
    m.m_BoxDiagonal = halfW + halfH;
    m.m_Rotation = 0;
    m.m_OffsetX = dx;
    m.m_OffsetY = 0;
}

std::vector<int32_t> Ids(int32_t map)
{
    std::vector<int32_t> ids;
    int32_t cursor = OM_GetFirst(map);
    while (const int32_t id = OM_SearchMask(map, &cursor, 0, 0)) ids.push_back(id);
    return ids;
}

void Rebuild(SCHMAIN& m)
{
    BuildPage();
    m.LoadSettings();
}

void BM_BlockMove(benchmark::State& state)
{
    SCHMAIN& m = Editor();
    int32_t dx = kStep;
    for (auto _ : state) {
        SetBlock(m, dx);
        int32_t op = BLOCK_MOVE, objects = 3, result = 0;
        m.ChangeBlockObjects(op, objects, result);
        if (result != -1) state.SkipWithError("nothing moved");
        dx = -dx;
    }
}
BENCHMARK(BM_BlockMove)->Unit(benchmark::kMillisecond);

void BM_KernelMoveAlone(benchmark::State& state)
{
    Editor();
    int32_t dx = kStep;
    for (auto _ : state) {
        for (const int32_t id : Ids(DB_SchCompMap())) {
            CompRec rec{};
            if (C_ReadComponent(id, &rec) == 0) continue;
            O_ChangePosition(C_Component(id), rec.X + dx, rec.Y);
            C_ChangeCompDispAttr(id, rec.Angle, (rec.Flags & 2) != 0 ? 1 : 0);
        }
        for (const int32_t id : Ids(DB_JunctMap())) {
            JunctionRec rec{};
            if (J_ReadJunction(id, &rec) == 0) continue;
            O_ChangePosition(J_Junction(id), rec.X + dx, rec.Y);
        }
        dx = -dx;
    }
}
BENCHMARK(BM_KernelMoveAlone)->Unit(benchmark::kMillisecond);

void BM_BlockDelete(benchmark::State& state)
{
    SCHMAIN& m = Editor();
    for (auto _ : state) {
        state.PauseTiming();
        Rebuild(m);
        SetBlock(m, 0);
        state.ResumeTiming();
        int32_t op = BLOCK_DELETE, objects = 3, result = 0;
        m.ChangeBlockObjects(op, objects, result);
        if (result != -1 || OM_GetCount(DB_SchCompMap()) != 0 || OM_GetCount(DB_BranchMap()) != 0)
            state.SkipWithError("not everything deleted");
    }
}
BENCHMARK(BM_BlockDelete)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_KernelDeleteAlone(benchmark::State& state)
{
    SCHMAIN& m = Editor();
    for (auto _ : state) {
        state.PauseTiming();
        Rebuild(m);
        state.ResumeTiming();
        for (const int32_t id : Ids(DB_SchCompMap())) OM_Delete(DB_SchCompMap(), id);
        for (const int32_t id : Ids(DB_BranchMap())) {
            BranchRec rec{};
            if (B_ReadBranch(id, &rec) == 0) continue;
            for (int32_t i = rec.Points; i >= 1; --i) B_DeleteRecord(id, i);
            OM_Delete(DB_BranchMap(), id);
        }
        for (const int32_t id : Ids(DB_JunctMap())) OM_Delete(DB_JunctMap(), id);
        if (OM_GetCount(DB_SchCompMap()) != 0 || OM_GetCount(DB_BranchMap()) != 0)
            state.SkipWithError("not everything deleted");
    }
}
BENCHMARK(BM_KernelDeleteAlone)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
