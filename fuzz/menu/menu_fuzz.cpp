#include "fuzz/menu/menu_fuzz.h"

#include "editor/shell/schmain.h"
#include "editor/shell/tooltable.h"
#include "fuzz/support/quiet_interaction.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace menu_fuzz {

std::string CheckInput(const uint8_t* data, size_t size)
{
    fuzz_support::EnsureApplication();
    const fuzz_support::QuietScope scope;
    fuzz_support::QuietInteraction& quiet = fuzz_support::Quiet();
    {
        std::ofstream out(fuzz_support::ScratchDir() + "/SCHFSI.MEN", std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    g_ProgDir = fuzz_support::ScratchDir();
    ClearToolTable();
    const int messages = quiet.messages;
    if (!ReadMenuProfile("SCHFSI.MEN")) {
        if (quiet.messages == messages) return "the profile was refused without a message";
        return "";
    }
    for (const ModeToolsRec& mode : g_ModeTools)
        if (mode.SelFunc < 0 || mode.SelFunc > 10) return "a selected function outside 0..10 was accepted";
    return "";
}

}  // namespace menu_fuzz

// The fuzzer's entry, in the fuzz target only (a test binary replays the
// seeds through CheckInput and may hold several checks).
#ifdef PALVANE_FUZZ_TARGET
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string problem = menu_fuzz::CheckInput(data, size);
    if (!problem.empty()) {
        std::fprintf(stderr, "menu profile: %s\n", problem.c_str());
        std::abort();
    }
    return 0;
}
#endif
