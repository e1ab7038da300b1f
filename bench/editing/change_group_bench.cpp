// Edits made through the editor as a user makes them, on designs of three
// sizes, with each user action in a change group of its own (as when the
// shell runs every menu command, tool step or key in one) and without:
//
//   - a kept one-component move: the component mode's move function, a
//     click on the component's pin 1, one pointer move by 0.1 inch, the
//     click that drops it (the next run moves it back);
//   - a kept wire of three clicks: the wire mode's drawing function, a
//     click on a free pin, a pointer move and a click for the corner, a
//     pointer move and a click on another free pin, and the press of the
//     drawing's end option (option 3), which finishes the wire and paints
//     the page anew; the wire and its net are deleted again between runs,
//     outside the timing;
//   - a put-back one-wire edit: the wire mode's delete function (option 0,
//     the whole wire, confirmed Yes) on a wire of a net of five, with the
//     last step of the edit that changes the design refused by the kernel's
//     test hook (KT_FailCall), so that the group puts the design back and
//     the editor shows the page again (the area the put-back restored,
//     when it can, else the whole page);
//   - beside them, the page painted anew alone (BM_PageRepaint), which the
//     wire's end asks for (and a put-back whose area is not known); and
//     the move and the wire in groups and editor only in turn
//     (BM_MoveInTurn, BM_WireInTurn), for the difference the groups make
//     under the same load.
//
// A user action is what the event loop hands the editor for one input: a
// click (the pointer's move to the point, the release of the left button,
// and, while a command runs, the move the editor replays after a release),
// a pointer move, or an option button's press; each is followed by one
// turn of the event loop for the work it left queued (the widget's paint,
// the repaint after a put-back). "In groups" opens a DesignChange, the
// editor's own group for an edit a user starts, around each action (the
// editor's own groups nest inside it); "editor only" opens none, and the
// editor runs whatever groups its procedures open themselves: the wire
// drawing's clicks and the delete open theirs, the component move's three
// actions none.
//
// The designs (the benchmark's argument): 0, 1,000 components; 1, 10,000
// components; 2, 10,000 components and 50,000 wires over four levels (a
// level holds at most 15,999 wires: the components and 12,500 wires on
// level 1, the one shown). The components are resistors (a body, two leads
// with their pins on the 0.1 inch grid, a name and a value text) in a grid
// of 0.6 x 0.5 inch cells centred on the origin; the wires are two-point
// wires in the free space between the rows, five to a net. The designs
// without wires hold the one net of five wires the put-back edit deletes
// from. The canvas is 1920 x 1080 pixels at 31,750 units a pixel around the
// origin, as in the interaction benchmarks: it shows the whole 1,000-
// component page and as much of the larger ones, about 1,000 components.
//
// Counters: the mean time of each stage of the edit (pick_us, drag_us,
// drop_us; start_us, corner_us, end_us, finish_us), in groups the time of
// the groups' starts and ends alone (groups_us; what the journal costs the
// kernel calls inside a group is not in it), for the put-back end_group_us,
// the group's end that undoes the journal, events_us, the turn of the event
// loop after the delete, which shows the page again, and steps, the steps
// of the delete that change the design (the last one refused);
// and, over five more edits made after the timing, the most any one action
// of an edit grew memory: journal_bytes (KT_ChangeJournalBytes just before
// its group ends), heap_growth_bytes (bytes the allocator handed out and
// had not had back, from before the action to just before its group ends)
// and rss_peak_growth_bytes (the process's peak resident size, reset before
// the action, over its resident size before; the kernel counts resident
// pages in batches, so below about 100 KB it reads 0).
//
// The handlers are called as the event loop's input procedures call them;
// "in groups" opens the outermost group itself, as RunAsUserAction does
// for every input. A tree without change groups (no design_change.h) builds
// the "editor only" benchmarks alone, so that the same edits can be
// measured on it.
//
//   build/bin/editing_change_group_bench
#include "bench/interaction/bench_editor.h"
#include "bench/kernel/bench_page.h"
#include "editor/interaction/commands.h"
#include "editor/objects/hierarchy.h"
#include "editor/objects/wire_state.h"
#include "editor/shell/forms.h"
#include "editor/shell/pagedraw.h"
#include "editor/shell/ribbon.h"
#include "editor/shell/schmain.h"
#include "editor/shell/systables.h"
#include "editor/shell/tooltable.h"
#include "platform/kernel/nvokernel32.h"
#include "platform/winsys/interaction.h"

#if __has_include("editor/shell/design_change.h")
#include "editor/shell/design_change.h"
#include "platform/kernel/testing.h"
#define BENCH_CHANGE_GROUPS 1
#elif __has_include("editor/objects/design_change.h")
#include "editor/objects/design_change.h"
#include "platform/kernel/testing.h"
#define BENCH_CHANGE_GROUPS 1
#else
#define BENCH_CHANGE_GROUPS 0
#endif

#include <benchmark/benchmark.h>

#include <QAction>
#include <QApplication>
#include <QMenu>

#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

namespace {

// ---- The designs ---------------------------------------------------------------

constexpr int32_t kStep = 254000;  // 0.1 inch
constexpr int32_t kCellX = 6 * kStep, kCellY = 5 * kStep;
constexpr int32_t kBodyW = 2 * kStep, kBodyH = kStep;
constexpr int32_t kLead = kStep;  // pins at plus and minus 0.2 inch
constexpr int32_t kTextH = 29633, kTextW = 19755;
constexpr int kLevels = 4;
constexpr int kWiresPerLevel = 12500;
constexpr int kWiresPerNet = 5;

struct Size {
    int columns, rows;
    bool wires;  // 50,000 wires; else only the put-back edit's net
};
constexpr Size kSizes[] = {{40, 25, false}, {100, 100, false}, {100, 100, true}};

const char* SizeLabel(int64_t size)
{
    return size == 0 ? "1k components" : size == 1 ? "10k components" : "10k components + 50k wires";
}

int g_Columns = 0, g_Rows = 0;
int64_t g_Built = -1;

int32_t OriginX(int column) { return (column - g_Columns / 2) * kCellX; }
int32_t OriginY(int row) { return (row - g_Rows / 2) * kCellY; }
int Cells() { return g_Columns * g_Rows; }
// The cell of the component at the origin, the one the move moves; its
// wire of lane 0 is the one the put-back edit deletes.
int OriginCell() { return g_Rows / 2 * g_Columns + g_Columns / 2; }

// Wire w of a level: in cell w mod cells, lane w / cells (0.2 and 0.3 inch
// above the cell's origin, between its body's texts and the next row's),
// 0.2 inch long over the middle of the cell; a new net for every five.
void AddWire(int w, int32_t& net)
{
    if (w % kWiresPerNet == 0) net = N_CreateNet(0, 1, ("N" + std::to_string(w / kWiresPerNet + 1)).c_str());
    const int cell = w % Cells(), lane = w / Cells();
    const int32_t x = OriginX(cell % g_Columns), y = OriginY(cell / g_Columns) + (2 + lane) * kStep;
    const int32_t branch = B_CreateBranch(0, 1, net);
    B_InsertRecord(branch, -1, 5, J_CreateJunction(0, 3, x - kStep, y));
    B_InsertRecord(branch, -1, 5, J_CreateJunction(0, 3, x + kStep, y));
}

void BuildDesign(int64_t size)
{
    const Size& s = kSizes[size];
    g_Columns = s.columns;
    g_Rows = s.rows;
    DB_DiscardDataBase();
    DB_CreateDataBase("Bench", "L1", "P1");
    for (int level = 2; level <= kLevels; ++level) DB_CreateHier(level, ("L" + std::to_string(level)).c_str(), "P1");
    DB_SetCurHier(1);
    const int32_t symbol = S_CreateSymbol(0, "RES");
    O_Mask(S_Symbol(symbol), 1, 3);
    const int32_t items = S_SymbolItemArray(symbol);
    ItemRec body{};
    body.Kind = 3;
    body.X = -kBodyW / 2;
    body.Y = -kBodyH / 2;
    body.P1 = kBodyW;
    body.P2 = kBodyH;
    body.Layer = 32;
    OA_Add(items, I_MakeItem(&body));
    for (int side : {-1, 1}) {
        ItemRec lead{};
        lead.Kind = 1;
        lead.X = side * kBodyW / 2;
        lead.P1 = side * kLead;
        lead.Layer = 32;
        OA_Add(items, I_MakeItem(&lead));
        S_AddEntry(symbol, side < 0 ? "1" : "2", side * (kBodyW / 2 + kLead), 0, 0, 0, 0, 0);
    }
    int n = 0;
    for (int r = 0; r < g_Rows; ++r)
        for (int c = 0; c < g_Columns; ++c) {
            const std::string name = "R" + std::to_string(++n);
            const int32_t comp = C_CreateComponent(0, name.c_str(), 1, 0, symbol, 1, OriginX(c), OriginY(r), 0);
            OA_Add(C_CompTextArray(comp), I_MakeText(-kBodyW / 2, kBodyH, 0, kTextH, kTextW, name.c_str(), 130, 33, 0));
            OA_Add(C_CompTextArray(comp), I_MakeText(-kBodyW / 2, -kBodyH - 6 * kTextH, 0, kTextH, kTextW, "10k", 136, 35, 0));
        }
    int32_t net = 0;
    if (s.wires) {
        for (int level = kLevels; level >= 1; --level) {
            DB_SetCurHier(level);
            for (int w = 0; w < kWiresPerLevel; ++w) AddWire(w, net);
        }
    } else {
        for (int w = OriginCell(); w < OriginCell() + kWiresPerNet; ++w) AddWire(w, net);
    }
    DB_SetCurHier(1);
    DB_SetCurPage(OM_FindName(DB_PageMap(), "P1"));
}

// ---- The person at the editor ----------------------------------------------------

// Answers the delete's question with Yes; anything else it is asked is
// counted, and a benchmark that sees a count stops with an error.
class BenchUi : public winsys::Interaction {
public:
    int unexpected = 0, beeps = 0;

    int MessageBox(const std::string&, const std::string&, int) override
    {
        ++unexpected;
        return winsys::mb::AnswerOk;
    }
    bool InputBox(const winsys::InputBoxRequest&, std::string&) override
    {
        ++unexpected;
        return false;
    }
    void PopupMenu(QMenu* menu, QPoint) override
    {
        for (QAction* action : menu ? menu->actions() : QList<QAction*>{})
            if (!action->isSeparator() && action->text().remove('&') == QStringLiteral("Yes")) {
                action->trigger();
                return;
            }
        ++unexpected;
    }
    bool FileDialog(winsys::FileDialogRequest&) override { return ++unexpected, false; }
    bool PrinterSetup(winsys::PrinterSetupRequest&) override { return ++unexpected, false; }
    bool PrintScaleSetup(winsys::PrintScaleRequest&) override { return ++unexpected, false; }
    void ShowModal(QWidget*) override { ++unexpected; }
    void ShowAndWait(QWidget*, bool& waiting) override
    {
        ++unexpected;
        waiting = false;
    }
    void Beep() override { ++beeps; }
    bool KeyPressed(int) override { return false; }
    QPoint CursorPos() override { return {}; }
    void SetCursorPos(QPoint) override {}
};

BenchUi g_Ui;

// ---- The editor ------------------------------------------------------------------

// The editor over the design of `size`, idle, in `mode` with function `f`
// selected and no option pressed; the grid snap 0.1 inch.
SCHMAIN& Editor(int64_t size, int32_t mode, int f)
{
    if (g_Built != size) {
        BuildDesign(size);
        if (!BenchEditorLoaded()) {
            winsys::InstallInteraction(&g_Ui);
            LoadBenchEditor(bench_page::kWidth, bench_page::kHeight, bench_page::kViewSize);
        } else {
            FormInstance<SCHMAIN>().LoadSettings();
        }
        ReadCurrentPage();
        RebuildHeaps();
        g_Built = size;
    }
    SCHMAIN& m = FormInstance<SCHMAIN>();
    g_SnapStep = kStep;
    g_CurMode = mode;
    ModeTools(mode).SelFunc = f;
    if (m.F_FSI.Exists(f)) {
        m.F_FSI(f)->SetValue(true);
        m.F_FSI_Click(f, true);
    }
    for (int o = 0; o <= 10; ++o)
        if (m.F_OST.Exists(o)) m.F_OST(o)->SetValue(false);
    m.RefreshCanvas();
    QApplication::processEvents();
    g_Ui.unexpected = g_Ui.beeps = 0;
    return m;
}

// The canvas pixel of a point in database units.
QPointF Pixel(SCHMAIN& m, int32_t x, int32_t y)
{
    int32_t p[2] = {x, y};
    m.OpenCanvasDC();
    G_LPtoDP(p);
    m.CloseCanvasDC();
    return QPointF(p[0], p[1]);
}

void PointerTo(SCHMAIN& m, QPointF p)
{
    m.ViewPicture_MouseMove(0, 0, p.x(), p.y());
}

// A click without a move between press and release: the pointer comes to
// the point, the button is released there, and while a command runs the
// editor hears the move it replays after a release.
void Click(SCHMAIN& m, QPointF p)
{
    m.ViewPicture_MouseMove(0, 0, p.x(), p.y());
    m.ViewPicture_MouseUp(1, 0, p.x(), p.y());
    if (g_CurCommand != 0) m.ViewPicture_MouseMove(0, 0, p.x(), p.y());
}

// ---- Memory ----------------------------------------------------------------------

size_t HeapInUse()
{
    return mallinfo2().uordblks;
}

// VmRSS or VmHWM of /proc/self/status, in bytes.
size_t StatusBytes(const char* key)
{
    FILE* f = std::fopen("/proc/self/status", "r");
    if (!f) return 0;
    char line[256];
    size_t kb = 0;
    const size_t n = std::strlen(key);
    while (std::fgets(line, sizeof line, f))
        if (std::strncmp(line, key, n) == 0 && line[n] == ':') {
            kb = std::strtoull(line + n + 1, nullptr, 10);
            break;
        }
    std::fclose(f);
    return kb * 1024;
}

// Resets the process's peak resident size to its resident size now.
void ResetPeakRss()
{
    if (FILE* f = std::fopen("/proc/self/clear_refs", "w")) {
        std::fputs("5", f);
        std::fclose(f);
    }
}

struct MemoryPeaks {
    size_t journal = 0, heap = 0, rss = 0;
    void Report(benchmark::State& state) const
    {
        state.counters["journal_bytes"] = static_cast<double>(journal);
        state.counters["heap_growth_bytes"] = static_cast<double>(heap);
        state.counters["rss_peak_growth_bytes"] = static_cast<double>(rss);
    }
};

// ---- User actions ----------------------------------------------------------------

using Clock = std::chrono::steady_clock;

struct Actions {
    bool grouped = false;           // each action in a change group of its own
    MemoryPeaks* probe = nullptr;   // memory measured around each action
    double lastEndUs = 0;           // the last group end, in microseconds
    double lastEventsUs = 0;        // the last turn of the event loop
    double groupsUs = 0;            // every group's start and end, summed
    bool lastKept = true;           // the last group kept what changed

    // One user action, then one turn of the event loop.
    void operator()(const std::function<void()>& action)
    {
        size_t heapBefore = 0, rssBefore = 0;
        if (probe) {
            ResetPeakRss();
            rssBefore = StatusBytes("VmRSS");
            heapBefore = HeapInUse();
        }
#if BENCH_CHANGE_GROUPS
        if (grouped) {
            const Clock::time_point begin = Clock::now();
            DesignChange change;
            groupsUs += std::chrono::duration<double, std::micro>(Clock::now() - begin).count();
            action();
            if (probe) {
                probe->journal = std::max<size_t>(probe->journal, KT_ChangeJournalBytes());
                probe->heap = std::max(probe->heap, HeapInUse() - std::min(HeapInUse(), heapBefore));
            }
            const Clock::time_point t = Clock::now();
            lastKept = change.Finish();
            lastEndUs = std::chrono::duration<double, std::micro>(Clock::now() - t).count();
            groupsUs += lastEndUs;
        } else
#endif
        {
            action();
            if (probe) probe->heap = std::max(probe->heap, HeapInUse() - std::min(HeapInUse(), heapBefore));
        }
        const Clock::time_point t = Clock::now();
        QApplication::processEvents();
        lastEventsUs = std::chrono::duration<double, std::micro>(Clock::now() - t).count();
        if (probe) probe->rss = std::max(probe->rss, StatusBytes("VmHWM") - std::min(StatusBytes("VmHWM"), rssBefore));
    }
};

// Mean times of the stages of an edit, as counters.
struct StageTimes {
    static constexpr int kMost = 4;
    const char* names[kMost] = {};
    double sums[kMost] = {};
    int stages = 0;
    int64_t runs = 0;

    explicit StageTimes(std::initializer_list<const char*> list)
    {
        for (const char* name : list) names[stages++] = name;
    }
    // Runs stage i and adds its time.
    void Time(int i, const std::function<void()>& stage)
    {
        const Clock::time_point t = Clock::now();
        stage();
        sums[i] += std::chrono::duration<double, std::micro>(Clock::now() - t).count();
    }
    void Report(benchmark::State& state) const
    {
        for (int i = 0; i < stages; ++i) state.counters[names[i]] = runs ? sums[i] / static_cast<double>(runs) : 0;
    }
};

// Runs stage i of an edit, timed when `times` is given.
void Stage(StageTimes* times, int i, const std::function<void()>& stage)
{
    if (times)
        times->Time(i, stage);
    else
        stage();
}

bool Refused(benchmark::State& state, const char* what)
{
    if (g_Ui.unexpected == 0 && g_Ui.beeps == 0 && g_CurCommand == 0) return false;
    state.SkipWithError(what);
    return true;
}

// ---- The component move ----------------------------------------------------------

// The component at the origin, and the pixels of its pin 1 in its two
// places: at the origin and 0.1 inch to the right. A click on the pin picks
// the component by it (a click on the body hooks pin 1 to the pointer all
// the same, and the component jumps there).
struct MovePoints {
    int32_t comp = 0;
    QPointF home, right;
};

MovePoints MoveAt(SCHMAIN& m)
{
    const int32_t pin = -kBodyW / 2 - kLead;
    return {OM_FindName(DB_SchCompMap(), ("R" + std::to_string(OriginCell() + 1)).c_str()), Pixel(m, pin, 0),
            Pixel(m, pin + kStep, 0)};
}

int32_t CompX(int32_t comp)
{
    CompRec rec{};
    C_ReadComponent(comp, &rec);
    return rec.X;
}

// One move of the component by 0.1 inch, to the right or back; `atHome`
// says where it is.
void MoveOnce(SCHMAIN& m, const MovePoints& p, bool atHome, Actions& act, StageTimes* times)
{
    const QPointF a = atHome ? p.home : p.right, b = atHome ? p.right : p.home;
    Stage(times, 0, [&] { act([&] { Click(m, a); }); });
    Stage(times, 1, [&] { act([&] { PointerTo(m, b); }); });
    Stage(times, 2, [&] { act([&] { Click(m, b); }); });
}

void MoveEdits(benchmark::State& state, bool grouped)
{
    SCHMAIN& m = Editor(state.range(0), MODE_COMPONENTS, 4);
    const MovePoints p = MoveAt(m);
    Actions act;
    act.grouped = grouped;
    StageTimes times{"pick_us", "drag_us", "drop_us"};
    // A first move there and back, untimed.
    const int32_t start = CompX(p.comp);
    for (int i = 0; i < 2; ++i) MoveOnce(m, p, CompX(p.comp) == 0, act, nullptr);
    if (CompX(p.comp) != start) state.SkipWithError("the component did not move there and back");
    act.groupsUs = 0;
    for (auto _ : state) {
        const int32_t from = CompX(p.comp);
        MoveOnce(m, p, from == 0, act, &times);
        ++times.runs;
        if (CompX(p.comp) != (from == 0 ? kStep : 0)) state.SkipWithError("the component did not move");
        if (Refused(state, "the move was refused or asked a question")) break;
    }
    times.Report(state);
    if (grouped) state.counters["groups_us"] = times.runs ? act.groupsUs / static_cast<double>(times.runs) : 0;
    if (grouped) {
        MemoryPeaks peaks;
        act.probe = &peaks;
        for (int i = 0; i < 5; ++i) MoveOnce(m, p, CompX(p.comp) == 0, act, nullptr);
        peaks.Report(state);
    }
    state.SetLabel(SizeLabel(state.range(0)));
}

// ---- The wire ----------------------------------------------------------------------

int32_t Count(int32_t map)
{
    return OM_GetCount(map);
}

struct DesignCounts {
    int32_t branches = 0, junctions = 0, nets = 0;
    static DesignCounts Now() { return {Count(DB_BranchMap()), Count(DB_JunctMap()), Count(DB_NetMap())}; }
    bool operator==(const DesignCounts&) const = default;
};

// The points of the wire: from pin 2 of the component one row below the
// origin's, over a corner in free space, to pin 1 of the component a row
// further down and a column to the right; the middle of its first leg.
struct WirePoints {
    QPointF start, corner, end, firstLeg;
};

WirePoints WireAt(SCHMAIN& m)
{
    const int32_t sx = 2 * kStep, sy = -kCellY, cx = 3 * kStep, cy = -7 * kStep;
    const int32_t ex = kCellX - 2 * kStep, ey = -2 * kCellY;
    return {Pixel(m, sx, sy), Pixel(m, cx, cy), Pixel(m, ex, ey), Pixel(m, (sx + cx) / 2, (sy + cy) / 2)};
}

void PressOption(SCHMAIN& m, int o)
{
    m.F_OST(o)->SetValue(true);
}

// The three clicks and the end option; the id of the wire drawn.
int32_t DrawWire(SCHMAIN& m, const WirePoints& p, Actions& act, StageTimes* times)
{
    int32_t wire = 0;
    Stage(times, 0, [&] { act([&] { Click(m, p.start); }); });
    wire = g_CurCommand == 31 ? g_CurBranch : 0;
    Stage(times, 1, [&] {
        act([&] { PointerTo(m, p.corner); });
        act([&] { Click(m, p.corner); });
    });
    Stage(times, 2, [&] {
        act([&] { PointerTo(m, p.end); });
        act([&] { Click(m, p.end); });
    });
    Stage(times, 3, [&] { act([&] { PressOption(m, 3); }); });
    return wire;
}

// The wire deleted with the wire mode's delete function (option 0: the
// whole wire); then its net, which joins the two pins without a wire, with
// the kernel's delete; the drawing function selected again and the page
// painted anew.
void DeleteWire(SCHMAIN& m, const WirePoints& p, int32_t wire)
{
    BranchRec rec{};
    B_ReadBranch(wire, &rec);
    Actions act;
    ModeTools(MODE_WIRES).SelFunc = 8;
    m.F_FSI(8)->SetValue(true);
    m.F_FSI_Click(8, true);
    PressOption(m, 0);
    act([&] { Click(m, p.firstLeg); });
    m.F_OST(0)->SetValue(false);
    if (rec.Net != 0 && B_Branch(wire) == 0) OM_Delete(DB_NetMap(), rec.Net);
    ModeTools(MODE_WIRES).SelFunc = 0;
    m.F_FSI(0)->SetValue(true);
    m.F_FSI_Click(0, true);
    m.RefreshCanvas();
}

void WireEdits(benchmark::State& state, bool grouped)
{
    SCHMAIN& m = Editor(state.range(0), MODE_WIRES, 0);
    const WirePoints p = WireAt(m);
    const DesignCounts before = DesignCounts::Now();
    Actions act;
    act.grouped = grouped;
    StageTimes times{"start_us", "corner_us", "end_us", "finish_us"};
    DeleteWire(m, p, DrawWire(m, p, act, nullptr));
    if (!(DesignCounts::Now() == before)) state.SkipWithError("the first wire's delete left objects behind");
    act.groupsUs = 0;
    for (auto _ : state) {
        const int32_t wire = DrawWire(m, p, act, &times);
        ++times.runs;
        state.PauseTiming();
        BranchRec rec{};
        if (wire == 0 || B_ReadBranch(wire, &rec) == 0 || rec.Points != 3) state.SkipWithError("no wire of three points");
        const bool refused = Refused(state, "the wire was refused or asked a question");
        if (!refused) DeleteWire(m, p, wire);
        if (!(DesignCounts::Now() == before)) state.SkipWithError("the wire's delete left objects behind");
        state.ResumeTiming();
        if (refused) break;
    }
    times.Report(state);
    if (grouped) state.counters["groups_us"] = times.runs ? act.groupsUs / static_cast<double>(times.runs) : 0;
    if (grouped) {
        MemoryPeaks peaks;
        for (int i = 0; i < 5; ++i) {
            act.probe = &peaks;
            const int32_t wire = DrawWire(m, p, act, nullptr);
            act.probe = nullptr;
            DeleteWire(m, p, wire);
        }
        peaks.Report(state);
    }
    state.SetLabel(SizeLabel(state.range(0)));
}

// ---- The page painted anew ---------------------------------------------------------

// What the end of a wire asks for besides the edit (and a put-back whose
// area is not known): the canvas painted anew (RefreshCanvas) and a turn of
// the event loop, with no edit and no group.
void BM_PageRepaint(benchmark::State& state)
{
    SCHMAIN& m = Editor(state.range(0), MODE_WIRES, 0);
    for (auto _ : state) {
        m.RefreshCanvas();
        QApplication::processEvents();
    }
    state.SetLabel(SizeLabel(state.range(0)));
}

void BM_MoveEditorOnly(benchmark::State& state)
{
    MoveEdits(state, false);
}

void BM_WireEditorOnly(benchmark::State& state)
{
    WireEdits(state, false);
}

#if BENCH_CHANGE_GROUPS

void BM_MoveInGroups(benchmark::State& state)
{
    MoveEdits(state, true);
}

void BM_WireInGroups(benchmark::State& state)
{
    WireEdits(state, true);
}

// ---- In groups and without, in turn ----------------------------------------------
//
// The same edit in groups and editor only, one after the other in each
// iteration (which one first alternates), so that both meet the same load
// on the machine: the median of each, and the median of the differences
// of the pairs (in groups less editor only), in microseconds.

double Median(std::vector<double> values)
{
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

struct Pairs {
    std::vector<double> grouped, alone, differences;
    bool groupedFirst = true;

    // Runs `edit` twice, in groups and editor only, in this pair's order;
    // `edit` is given the actions to use and answers its own time.
    void Run(Actions& inGroups, Actions& editorOnly, const std::function<double(Actions&)>& edit)
    {
        double times[2] = {};
        for (int k = 0; k < 2; ++k) {
            const bool g = (k == 0) == groupedFirst;
            times[g ? 0 : 1] = edit(g ? inGroups : editorOnly);
        }
        grouped.push_back(times[0]);
        alone.push_back(times[1]);
        differences.push_back(times[0] - times[1]);
        groupedFirst = !groupedFirst;
    }
    void Report(benchmark::State& state) const
    {
        state.counters["in_groups_us"] = Median(grouped);
        state.counters["editor_only_us"] = Median(alone);
        state.counters["difference_us"] = Median(differences);
    }
};

double Since(Clock::time_point t)
{
    return std::chrono::duration<double, std::micro>(Clock::now() - t).count();
}

void BM_MoveInTurn(benchmark::State& state)
{
    SCHMAIN& m = Editor(state.range(0), MODE_COMPONENTS, 4);
    const MovePoints p = MoveAt(m);
    Actions inGroups, editorOnly;
    inGroups.grouped = true;
    Pairs pairs;
    for (auto _ : state) {
        pairs.Run(inGroups, editorOnly, [&](Actions& act) {
            const int32_t from = CompX(p.comp);
            const Clock::time_point t = Clock::now();
            MoveOnce(m, p, from == 0, act, nullptr);
            const double us = Since(t);
            if (CompX(p.comp) != (from == 0 ? kStep : 0)) state.SkipWithError("the component did not move");
            return us;
        });
        if (Refused(state, "the move was refused or asked a question")) break;
    }
    pairs.Report(state);
    state.SetLabel(SizeLabel(state.range(0)));
}

void BM_WireInTurn(benchmark::State& state)
{
    SCHMAIN& m = Editor(state.range(0), MODE_WIRES, 0);
    const WirePoints p = WireAt(m);
    const DesignCounts before = DesignCounts::Now();
    Actions inGroups, editorOnly;
    inGroups.grouped = true;
    Pairs pairs;
    for (auto _ : state) {
        pairs.Run(inGroups, editorOnly, [&](Actions& act) {
            const Clock::time_point t = Clock::now();
            const int32_t wire = DrawWire(m, p, act, nullptr);
            const double us = Since(t);
            state.PauseTiming();
            BranchRec rec{};
            if (wire == 0 || B_ReadBranch(wire, &rec) == 0 || rec.Points != 3)
                state.SkipWithError("no wire of three points");
            if (!Refused(state, "the wire was refused or asked a question")) DeleteWire(m, p, wire);
            if (!(DesignCounts::Now() == before)) state.SkipWithError("the wire's delete left objects behind");
            state.ResumeTiming();
            return us;
        });
        if (state.error_occurred()) break;
    }
    pairs.Report(state);
    state.SetLabel(SizeLabel(state.range(0)));
}

// ---- The put-back edit -----------------------------------------------------------

// The delete of the wire at the origin's lane 0, in a group of its own,
// with the `refuse`-th step that changes the design refused (0: none).
void DeleteRefused(SCHMAIN& m, QPointF at, Actions& act, int32_t refuse)
{
    act([&] { PointerTo(m, at); });
    if (refuse > 0) KT_FailCall("+", refuse);
    act([&] { m.ViewPicture_MouseUp(1, 0, at.x(), at.y()); });
    KT_FailCall("", 0);
}

void BM_WireDeletePutBack(benchmark::State& state)
{
    SCHMAIN& m = Editor(state.range(0), MODE_WIRES, 8);
    PressOption(m, 0);
    const int32_t x = OriginX(g_Columns / 2), y = OriginY(g_Rows / 2) + 2 * kStep;
    const QPointF at = Pixel(m, x, y);
    const DesignCounts before = DesignCounts::Now();
    const uint64_t digest = KT_DesignDigest();
    // The steps of the delete that change the design, counted on a delete
    // that is put back whole.
    int32_t steps = 0;
    {
        Actions act;
        act([&] { PointerTo(m, at); });
        DesignChange change(DesignChange::Ending::Undo);
        KT_FailCall("+", INT32_MAX);
        m.ViewPicture_MouseUp(1, 0, at.x(), at.y());
        steps = KT_CallsCounted();
        KT_FailCall("", 0);
        if (DesignCounts::Now() == before) state.SkipWithError("the delete deleted nothing");
    }
    QApplication::processEvents();
    if (steps == 0 || !(DesignCounts::Now() == before)) state.SkipWithError("the counted delete was not put back");
    Actions act;
    act.grouped = true;
    double endUs = 0, eventsUs = 0;
    int64_t runs = 0;
    g_Ui.unexpected = g_Ui.beeps = 0;
    for (auto _ : state) {
        DeleteRefused(m, at, act, steps);
        endUs += act.lastEndUs;
        eventsUs += act.lastEventsUs;
        ++runs;
        if (act.lastKept || !(DesignCounts::Now() == before)) state.SkipWithError("the design did not go back");
        if (g_Ui.unexpected != 0) state.SkipWithError("the delete asked an unexpected question");
    }
    if (KT_DesignDigest() != digest) state.SkipWithError("the design differs after the put-backs");
    state.counters["steps"] = steps;
    state.counters["end_group_us"] = runs ? endUs / static_cast<double>(runs) : 0;
    state.counters["events_us"] = runs ? eventsUs / static_cast<double>(runs) : 0;
    MemoryPeaks peaks;
    act.probe = &peaks;
    for (int i = 0; i < 5; ++i) DeleteRefused(m, at, act, steps);
    peaks.Report(state);
    m.F_OST(0)->SetValue(false);
    state.SetLabel(SizeLabel(state.range(0)));
}

#endif

}  // namespace

BENCHMARK(BM_PageRepaint)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MoveEditorOnly)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WireEditorOnly)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);
#if BENCH_CHANGE_GROUPS
BENCHMARK(BM_MoveInGroups)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WireInGroups)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MoveInTurn)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WireInTurn)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WireDeletePutBack)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);
#endif
