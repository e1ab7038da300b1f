#include "editor/view/print_area.h"

#include "editor/shell/platform_calls.h"
#include "editor/shell/settings.h"
#include "platform/winsys/interaction.h"
#include "platform/winsys/printer.h"

#include <algorithm>
#include <cmath>

std::array<int32_t, 2> g_BoxPixStart{};
std::array<int32_t, 2> g_BoxPixEnd{};

void PrintArea::Join(int32_t ax1, int32_t ay1, int32_t ax2, int32_t ay2)
{
    const int32_t left = std::min(ax1, ax2), right = std::max(ax1, ax2);
    const int32_t bottom = std::min(ay1, ay2), top = std::max(ay1, ay2);
    if (!found) {
        x1 = left, y1 = bottom, x2 = right, y2 = top;
        found = true;
        return;
    }
    x1 = std::min(x1, left);
    y1 = std::min(y1, bottom);
    x2 = std::max(x2, right);
    y2 = std::max(y2, top);
}

void PrintArea::JoinSymbolItems(int32_t symbol)
{
    int32_t rect[4] = {};
    if (S_FrameSymbolItems(symbol, 1, rect) > 0) Join(rect[0], rect[1], rect[2], rect[3]);
}

void PrintArea::JoinPageBitmaps()
{
    int32_t rect[4] = {};
    if (FrameBitmaps(0, rect) > 0) Join(rect[0], rect[1], rect[2], rect[3]);
}

void PrintArea::Widen(int32_t margin)
{
    x1 -= margin;
    y1 -= margin;
    x2 += margin;
    y2 += margin;
}

int32_t UnitsPerInch()
{
    return static_cast<int32_t>(std::nearbyint(g_DbUnitsPerMm * 25.4));
}

bool BeginPrinterSheet()
{
    winsys::Printer& printer = winsys::Printer::Get();
    if (printer.Begin()) return true;
    const std::string target = printer.OutputFile().empty() ? "the system printer" : printer.OutputFile();
    winsys::Ui().MessageBox("Can't start printing on " + target, "Norvo32",
                            winsys::mb::OkOnly | winsys::mb::Exclamation);
    return false;
}
