// The main of the benchmark programs that run the editor: see
// bench_editor.h.
#include "bench/interaction/bench_editor.h"
#include "platform/kernel/nvokernel32.h"

#include <benchmark/benchmark.h>

#include <cstdlib>

std::unique_ptr<clsPalvane>& BenchEditorLink()
{
    static std::unique_ptr<clsPalvane> link;
    return link;
}

int main(int argc, char** argv)
{
    // Benchmarks may run beside an editor the user has open.
    setenv("PALVANE_INSTANCE_LOCK", "off", 1);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    BenchEditorLink().reset();
    DB_DiscardDataBase();
    return 0;
}
