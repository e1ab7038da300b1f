// The router's settings and the image's counters: small exports that read
// or write module state only, never the kernel.
#include "router/corvex.h"
#include "router/image.h"

#include <cstring>

namespace corvex {

// Values at process start; SCR_DBaseFree leaves them as they are.
int32_t g_PreloadBits = 5;
int32_t g_StepSize = 50800;
int32_t g_ScrScale = 2540000;
int32_t g_ViewStatus = 30;
int32_t g_CatColors[16] = {};

namespace {

constexpr int32_t kSteps[6] = {25400, 50800, 101600, 127000, 203200, 254000};

}  // namespace

}  // namespace corvex

using namespace corvex;

void SCR_DBaseFree() noexcept
{
    Guarded(1000, 0, [] {
        FreeAllMemory();
        return 1;
    });
}

int32_t SCR_SetStepIndex(int32_t index) noexcept
{
    if (index >= 0 && index <= 5) g_StepSize = kSteps[index];
    return index;
}

int32_t SCR_GetStepIndex() noexcept
{
    for (int32_t i = 0; i < 6; ++i)
        if (kSteps[i] == g_StepSize) return i;
    return 0;
}

int32_t SCR_SetPreloadBits(int32_t bits) noexcept
{
    g_PreloadBits = bits;
    return bits;
}

int32_t SCR_GetPreloadBits(int32_t* bits) noexcept
{
    if (!bits) return 0;
    *bits = g_PreloadBits;
    return 1;
}

int32_t SCR_LoadViewStatus(int32_t bits) noexcept
{
    g_ViewStatus = bits;
    return bits;
}

int32_t SCR_SetCatColors(const int32_t* colors) noexcept
{
    if (!colors) return 0;
    std::memcpy(g_CatColors, colors, sizeof g_CatColors);
    return 1;
}

int32_t SCR_GetCatColors(int32_t* colors) noexcept
{
    if (!colors) return 0;
    std::memcpy(colors, g_CatColors, sizeof g_CatColors);
    return 1;
}

int32_t SCR_ChangePage(int32_t page) noexcept
{
    g_ScrCurPage = page;
    return page;
}

// The counts read the table headers; a table that is not loaded counts 0.
int32_t SCR_nComp() noexcept { return g_Comps.Count(); }
int32_t SCR_nSymb() noexcept { return g_Symbs.Count(); }
int32_t SCR_nEntry() noexcept { return g_Entries.Count(); }
int32_t SCR_nItem() noexcept { return g_Items.Count(); }
int32_t SCR_nNet() noexcept { return g_Nets.Count(); }
int32_t SCR_nNode() noexcept { return g_Nodes.Count(); }
int32_t SCR_ErrorCode() noexcept { return g_ErrorCode; }
int32_t SCR_ErrorFunc() noexcept { return g_ErrorFunc; }
int32_t SCR_Memory() noexcept { return g_MemoryUsed; }
