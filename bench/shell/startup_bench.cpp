// The editor's start-up to its first painted page beside loading the same
// design file with the kernel alone: the demo design, and the bench design
// of 10,000 components and 50,000 wires. Each start-up loads the file,
// creates the host link class and loads the main window (settings, tool
// panels, page list, the first paint), then releases it again.
//
//   build/bin/shell_bench
#include "bench/kernel/bench_design.h"
#include "editor/shell/clspalvane.h"
#include "editor/shell/forms.h"
#include "editor/shell/schmain.h"
#include "platform/kernel/nvokernel32.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

void EnsureApplication()
{
    static int argc = 1;
    static char name[] = "shell_bench";
    static char* argv[] = {name, nullptr};
    static QApplication* app = nullptr;
    if (!app) {
        setenv("PALVANE_INSTANCE_LOCK", "off", 1);
        app = new QApplication(argc, argv);
    }
}

// The bench design, saved once to a file of its own.
const std::string& BenchFile()
{
    static std::string path;
    if (path.empty()) {
        path = QDir::tempPath().toStdString() + "/shell_bench_design.nvd";
        bench::NewDesign();
        bench::AddComponents();
        bench::AddWires();
        if (DB_SaveDataBase(path.c_str()) != 1) std::fprintf(stderr, "cannot save %s\n", path.c_str());
        DB_DiscardDataBase();
    }
    return path;
}

std::string FileOf(int which)
{
    return which == 0 ? std::string(PALVANE_DEMO_NVD) : BenchFile();
}

void SetLabel(benchmark::State& state)
{
    state.SetLabel(state.range(0) == 0 ? "demo" : "10,000 components");
}

void BM_KernelLoadsTheFile(benchmark::State& state)
{
    EnsureApplication();
    const std::string file = FileOf(static_cast<int>(state.range(0)));
    SetLabel(state);
    for (auto _ : state) {
        if (DB_LoadDataBase(file.c_str()) != 1) state.SkipWithError("the kernel refused the file");
        benchmark::DoNotOptimize(DB_DataBase());
    }
    DB_DiscardDataBase();
}
BENCHMARK(BM_KernelLoadsTheFile)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_StartUpToFirstPaintedPage(benchmark::State& state)
{
    EnsureApplication();
    const std::string file = FileOf(static_cast<int>(state.range(0)));
    SetLabel(state);
    std::unique_ptr<clsPalvane> link;
    for (auto _ : state) {
        if (DB_LoadDataBase(file.c_str()) != 1) state.SkipWithError("the kernel refused the file");
        link = std::make_unique<clsPalvane>();
        int16_t mode = winstate::Normal;
        if (!link->Load(mode)) state.SkipWithError("the editor did not start");
        // The paint that the first layout queued runs too.
        QApplication::processEvents();
        state.PauseTiming();
        link.reset();
        QApplication::processEvents();
        state.ResumeTiming();
    }
    DB_DiscardDataBase();
}
BENCHMARK(BM_StartUpToFirstPaintedPage)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
