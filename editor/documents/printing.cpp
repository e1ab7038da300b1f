#include "editor/documents/printing.h"

#include "platform/winsys/printer.h"

#include <cstdint>
#include <limits>

int32_t g_PrintOrientation = 0;
int32_t g_PrintCopies = 1;

namespace {

bool Fits16(int32_t value)
{
    return value >= std::numeric_limits<int16_t>::min() && value <= std::numeric_limits<int16_t>::max();
}

}  // namespace

void ApplyPrintOrientation()
{
    if (Fits16(g_PrintOrientation)) winsys::Printer::Get().SetOrientation(g_PrintOrientation);
}

void ApplyPrintSettings()
{
    if (Fits16(g_PrintCopies)) winsys::Printer::Get().SetCopies(g_PrintCopies);
    ApplyPrintOrientation();
}
