// Saving and loading the database image beside plain SQLite doing the same
// rows: 10,000 components on one level and 50,000 wires over four levels,
// each wire a branch with two point records on two junctions of its own.
//
// The image save writes every table of the format in one transaction to a
// new file, flushes it to disk and renames it; the load runs the quick
// check, reads every row into a new database and verifies the checksum.
// The baseline inserts the same rows (the same columns and values) into
// tables of a new file in one transaction, and reads them back as a reader
// of a file from outside must: with SQLite's own checks for damage that the
// kernel's load runs too (the quick check over the whole file, cell sizes
// checked as pages are read), then every column of every row with its type.
//
//   build/bin/image_bench
#include "bench/kernel/bench_design.h"
#include "platform/kernel/nvokernel32.h"
#include "platform/kernel/testing.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

namespace {

using namespace bench;

// A directory for the files of one run, removed at exit.
const std::string& Dir()
{
    static const std::string dir = [] {
        char pattern[] = "/tmp/image-bench-XXXXXX";
        const char* made = mkdtemp(pattern);
        return std::string(made ? made : "");
    }();
    // Registered once the name exists, so it runs before the name goes.
    static const bool cleanup = std::atexit([] {
        if (!Dir().empty()) std::filesystem::remove_all(Dir());
    }) == 0;
    (void)cleanup;
    return dir;
}

// ---- The kernel ------------------------------------------------------------

void BuildDesign()
{
    NewDesign();
    AddComponents();
    AddWires();
}

// ---- Change groups -----------------------------------------------------------
//
// The cost of one edit in a change group on designs of three sizes (the
// benchmark's argument): 1,000 components; 10,000 components; 10,000
// components and 50,000 wires over four levels. A group keeps a journal of
// what its edit changes, so the cost should not grow with the design.

// Builds the design of a size argument: 0, 1 or 2 as above.
void BuildSized(int64_t size)
{
    NewDesign();
    AddComponents(size == 0 ? 1000 : kComponents);
    AddWires(size == 2 ? kWiresPerLevel : 0);
}

const char* SizeLabel(int64_t size)
{
    return size == 0 ? "1k components" : size == 1 ? "10k components" : "10k components + 50k wires";
}

// The bytes the allocator has handed out and not had back.
size_t HeapInUse()
{
    return mallinfo2().uordblks;
}

// The page faults of the process so far: memory the system had to map in.
// On some virtual machines each costs tens of microseconds, enough to
// weigh in a load of a hundred milliseconds.
int64_t PageFaults()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt + usage.ru_majflt;
}

// Counts the page faults per iteration of a benchmark's loop.
class FaultCounter {
public:
    explicit FaultCounter(benchmark::State& state) : state_(state), start_(PageFaults()) {}
    ~FaultCounter()
    {
        state_.counters["page_faults"] =
            benchmark::Counter(static_cast<double>(PageFaults() - start_), benchmark::Counter::kAvgIterations);
    }

private:
    benchmark::State& state_;
    int64_t start_;
};

// One component moved, outside any group: the baseline of the grouped move.
void BM_Image_MoveWithoutGroup(benchmark::State& state)
{
    BuildSized(state.range(0));
    const int32_t comp = C_Component(500);
    int32_t x = 0;
    for (auto _ : state)
        if (O_ChangePosition(comp, (x = (x + 1) % 1000) * 10, 250000) != 1) state.SkipWithError("move refused");
    state.SetLabel(SizeLabel(state.range(0)));
    DB_DiscardDataBase();
}

// One component moved in a change group that is kept: the group's start,
// the journal of the move, dropping it.
void BM_Image_ChangeGroupMoveKept(benchmark::State& state)
{
    BuildSized(state.range(0));
    const int32_t comp = C_Component(500);
    int32_t x = 0;
    size_t journal = 0, growth = 0;
    for (auto _ : state) {
        const size_t before = HeapInUse();
        if (DB_BeginChange() != 1) state.SkipWithError(E_LastError());
        O_ChangePosition(comp, (x = (x + 1) % 1000) * 10, 250000);
        journal = KT_ChangeJournalBytes();
        growth = std::max(growth, HeapInUse() - std::min(HeapInUse(), before));
        if (DB_EndChange(1) != 1) state.SkipWithError(E_LastError());
    }
    state.counters["journal_bytes"] = static_cast<double>(journal);
    state.counters["heap_growth_bytes"] = static_cast<double>(growth);
    state.SetLabel(SizeLabel(state.range(0)));
    DB_DiscardDataBase();
}

// One wire edited (a record inserted) in a change group that is put back.
// On the sizes without wires, a wire of its own on component pins.
void BM_Image_ChangeGroupWireEditPutBack(benchmark::State& state)
{
    BuildSized(state.range(0));
    int32_t branch = 1, junction = 1;
    if (state.range(0) != 2) {
        const int32_t net = N_CreateNet(0, 1, "W");
        junction = J_CreateJunction(0, 3, 0, 0);
        branch = B_CreateBranch(0, 0, net);
        B_InsertRecord(branch, -1, 4, junction);
        B_InsertRecord(branch, -1, 4, J_CreateJunction(0, 3, 0, 5000));
    }
    size_t journal = 0, growth = 0;
    for (auto _ : state) {
        const size_t before = HeapInUse();
        if (DB_BeginChange() != 1) state.SkipWithError(E_LastError());
        if (B_InsertRecord(branch, 2, 4, junction) != 2) state.SkipWithError("insert refused");
        journal = KT_ChangeJournalBytes();
        growth = std::max(growth, HeapInUse() - std::min(HeapInUse(), before));
        if (DB_EndChange(0) != 4) state.SkipWithError(E_LastError());
    }
    state.counters["journal_bytes"] = static_cast<double>(journal);
    state.counters["heap_growth_bytes"] = static_cast<double>(growth);
    state.SetLabel(SizeLabel(state.range(0)));
    DB_DiscardDataBase();
}

// A change group whose edit changes nothing: an empty journal, on the
// full design.
void BM_Image_ChangeGroupNothingChanged(benchmark::State& state)
{
    BuildDesign();
    for (auto _ : state) {
        if (DB_BeginChange() != 1) state.SkipWithError(E_LastError());
        DB_EndChange(0);
    }
    DB_DiscardDataBase();
}

// A change group kept after one change (a new net): the journal of the
// change, dropped at the end. Every edit a user makes pays this.
void BM_Image_ChangeGroupKept(benchmark::State& state)
{
    BuildDesign();
    for (auto _ : state) {
        if (DB_BeginChange() != 1) state.SkipWithError(E_LastError());
        N_CreateNet(0, 1, "");
        DB_EndChange(1);
    }
    DB_DiscardDataBase();
}

// A change group put back after one change: the journal undone.
void BM_Image_ChangeGroupPutBack(benchmark::State& state)
{
    BuildDesign();
    for (auto _ : state) {
        if (DB_BeginChange() != 1) state.SkipWithError(E_LastError());
        N_CreateNet(0, 1, "");
        if (DB_EndChange(0) != 4) state.SkipWithError(E_LastError());
    }
    DB_DiscardDataBase();
}

void BM_Image_Save(benchmark::State& state)
{
    BuildDesign();
    const std::string path = Dir() + "/design.nvd";
    for (auto _ : state)
        if (!DB_SaveDataBase(path.c_str())) state.SkipWithError(E_LastError());
    DB_DiscardDataBase();
}

void BM_Image_Load(benchmark::State& state)
{
    BuildDesign();
    const std::string path = Dir() + "/design.nvd";
    if (!DB_SaveDataBase(path.c_str())) state.SkipWithError(E_LastError());
    {
        FaultCounter faults(state);
        for (auto _ : state)
            if (!DB_LoadDataBase(path.c_str())) state.SkipWithError(E_LastError());
    }
    DB_DiscardDataBase();
}

// ---- The baseline: the same rows with plain SQLite -------------------------

void Exec(sqlite3* db, const char* sql)
{
    sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
}

void RawInsert(const std::string& path)
{
    std::remove(path.c_str());
    sqlite3* db = nullptr;
    sqlite3_open(path.c_str(), &db);
    Exec(db, "PRAGMA journal_mode = OFF");
    Exec(db, "PRAGMA synchronous = OFF");
    Exec(db, "BEGIN");
    Exec(db, "CREATE TABLE components (level, id, status, name, x, y, symb, device, lay_comp, grp, page, info, "
             "angle, extra)");
    Exec(db, "CREATE TABLE branches (level, id, status, name, net, page)");
    Exec(db, "CREATE TABLE branch_points (level, branch, number, flags, ref, x, y)");
    Exec(db, "CREATE TABLE junctions (level, id, status, name, x, y, page)");
    sqlite3_stmt *comp, *branch, *point, *junction;
    sqlite3_prepare_v2(db, "INSERT INTO components VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?)", -1, &comp, nullptr);
    sqlite3_prepare_v2(db, "INSERT INTO branches VALUES (?,?,?,?,?,?)", -1, &branch, nullptr);
    sqlite3_prepare_v2(db, "INSERT INTO branch_points VALUES (?,?,?,?,?,?,?)", -1, &point, nullptr);
    sqlite3_prepare_v2(db, "INSERT INTO junctions VALUES (?,?,?,?,?,?,?)", -1, &junction, nullptr);
    auto ints = [](sqlite3_stmt* s, std::initializer_list<int64_t> values, int from = 1) {
        for (int64_t v : values) sqlite3_bind_int64(s, from++, v);
    };
    for (int i = 1; i <= kComponents; ++i) {
        const std::string name = CompName(i);
        ints(comp, {1, i, 1});
        sqlite3_bind_text(comp, 4, name.data(), static_cast<int>(name.size()), SQLITE_STATIC);
        ints(comp, {i * 1000, i * 500, 1, 0, 0, 0, 1, 0, 0, 0}, 5);
        sqlite3_step(comp);
        sqlite3_reset(comp);
    }
    for (int level = 1; level <= kLevels; ++level) {
        for (int i = 0; i < kWiresPerLevel; ++i) {
            const int a = 2 * i + 1, b = 2 * i + 2, id = i + 1;
            for (auto [j, y] : {std::pair{a, 0}, std::pair{b, 5000}}) {
                ints(junction, {level, j, 3});
                sqlite3_bind_text(junction, 4, "", 0, SQLITE_STATIC);
                ints(junction, {i * 1000, y, 1}, 5);
                sqlite3_step(junction);
                sqlite3_reset(junction);
            }
            ints(branch, {level, id, 1});
            sqlite3_bind_text(branch, 4, "", 0, SQLITE_STATIC);
            ints(branch, {1, 1}, 5);
            sqlite3_step(branch);
            sqlite3_reset(branch);
            for (auto [n, j, y] : {std::tuple{1, a, 0}, std::tuple{2, b, 5000}}) {
                ints(point, {level, id, n, 4, j, i * 1000, y});
                sqlite3_step(point);
                sqlite3_reset(point);
            }
        }
    }
    for (sqlite3_stmt* s : {comp, branch, point, junction}) sqlite3_finalize(s);
    Exec(db, "COMMIT");
    sqlite3_close(db);
}

// The file opened as a reader of files from outside must (one thread,
// cell sizes checked as pages are read) and gone over by the quick check;
// null when the check finds it damaged.
sqlite3* RawOpenChecked(const std::string& path)
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr);
    Exec(db, "PRAGMA cell_size_check = ON");
    sqlite3_stmt* check = nullptr;
    sqlite3_prepare_v2(db, "PRAGMA quick_check(1)", -1, &check, nullptr);
    const bool ok = sqlite3_step(check) == SQLITE_ROW &&
                    std::strcmp(reinterpret_cast<const char*>(sqlite3_column_text(check, 0)), "ok") == 0;
    sqlite3_finalize(check);
    if (!ok) {
        sqlite3_close(db);
        return nullptr;
    }
    return db;
}

// The sum of every integer and text length read, or -1 when the quick
// check finds the file damaged.
int64_t RawSelect(const std::string& path)
{
    sqlite3* db = RawOpenChecked(path);
    if (!db) return -1;
    int64_t sum = 0;
    for (const char* sql : {"SELECT * FROM components ORDER BY rowid", "SELECT * FROM branches ORDER BY rowid",
                            "SELECT * FROM branch_points ORDER BY rowid", "SELECT * FROM junctions ORDER BY rowid"}) {
        sqlite3_stmt* s = nullptr;
        sqlite3_prepare_v2(db, sql, -1, &s, nullptr);
        const int columns = sqlite3_column_count(s);
        // Each value taken once and read through the value calls, as the
        // kernel's reader does: the fastest way the library offers.
        while (sqlite3_step(s) == SQLITE_ROW)
            for (int c = 0; c < columns; ++c) {
                sqlite3_value* value = sqlite3_column_value(s, c);
                if (sqlite3_value_type(value) == SQLITE_TEXT) {
                    const std::string text(reinterpret_cast<const char*>(sqlite3_value_text(value)),
                                           static_cast<size_t>(sqlite3_value_bytes(value)));
                    sum += static_cast<int64_t>(text.size());
                } else {
                    sum += sqlite3_value_int64(value);
                }
            }
        sqlite3_finalize(s);
    }
    sqlite3_close(db);
    return sum;
}

void BM_Raw_Insert(benchmark::State& state)
{
    const std::string path = Dir() + "/raw.db";
    for (auto _ : state) RawInsert(path);
}

void BM_Raw_Select(benchmark::State& state)
{
    const std::string path = Dir() + "/raw.db";
    RawInsert(path);
    FaultCounter faults(state);
    for (auto _ : state) {
        const int64_t sum = RawSelect(path);
        if (sum < 0) state.SkipWithError("the quick check failed");
        benchmark::DoNotOptimize(sum);
    }
}

// The quick check alone, which both loads run: the part of their time that
// no reader of a file from outside can do without.
void BM_Raw_QuickCheck(benchmark::State& state)
{
    const std::string path = Dir() + "/raw.db";
    RawInsert(path);
    for (auto _ : state) {
        sqlite3* db = RawOpenChecked(path);
        if (!db) state.SkipWithError("the quick check failed");
        sqlite3_close(db);
    }
}

}  // namespace

BENCHMARK(BM_Image_Save)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Raw_Insert)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Image_Load)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Raw_Select)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Raw_QuickCheck)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Image_ChangeGroupNothingChanged)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Image_ChangeGroupKept)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Image_ChangeGroupPutBack)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Image_MoveWithoutGroup)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Image_ChangeGroupMoveKept)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Image_ChangeGroupWireEditPutBack)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);
