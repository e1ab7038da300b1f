#include "fuzz/settings/settings_fuzz.h"

#include "editor/shell/prefs.h"
#include "editor/shell/settings.h"
#include "fuzz/support/quiet_interaction.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace settings_fuzz {

std::string CheckInput(const uint8_t* data, size_t size)
{
    fuzz_support::EnsureApplication();
    const fuzz_support::QuietScope quiet;
    const std::string path = fuzz_support::ScratchDir() + "/norvo32.ini";
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    g_IniFile = path;
    InitUnits();
    ReadDirSettings();
    ReadPageFormats();
    ReadLibLists();
    ReadPackagingPrefs();
    ReadShortCuts();
    ReadDefaultPageFormatPos();
    for (const CheckedArray<std::string>* list : {&g_DevLibs, &g_SchLibs, &g_LayLibs})
        for (long i = 1; i <= list->UBound(); ++i)
            if ((*list)(i).empty()) return "a library list holds an empty name at " + std::to_string(i);
    return "";
}

}  // namespace settings_fuzz

// The fuzzer's entry, in the fuzz target only (a test binary replays the
// seeds through CheckInput and may hold several checks).
#ifdef PALVANE_FUZZ_TARGET
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string problem = settings_fuzz::CheckInput(data, size);
    if (!problem.empty()) {
        std::fprintf(stderr, "settings file: %s\n", problem.c_str());
        std::abort();
    }
    return 0;
}
#endif
