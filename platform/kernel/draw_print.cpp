// The print-scale set-up: asks for the scale through winsys's interaction
// (the print-scale dialog) and turns the answer into the views of the
// sheets the print run draws one by one.
#include "platform/kernel/database.h"
#include "platform/kernel/nvokernel32.h"
#include "platform/winsys/devices.h"
#include "platform/winsys/interaction.h"

#include <QPaintDevice>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

using namespace kernel;

namespace {

int32_t Clamp32(double v)
{
    return static_cast<int32_t>(std::clamp(v, 1.0, static_cast<double>(std::numeric_limits<int32_t>::max())));
}

}  // namespace

int32_t E_PrintScaleSetupDialog(int32_t printer, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                                int32_t unitsPerInch, PrintScaleRec* record, int32_t) noexcept
{
    return Guard(0, [&]() -> int32_t {
        winsys::Device* d = winsys::FindDevice(printer);
        if (!d || !d->surface || !record || unitsPerInch < 1) return 0;
        const QPaintDevice& sheet = *d->surface;
        const int width = sheet.width(), height = sheet.height();
        const int dpiX = std::max(1, sheet.logicalDpiX()), dpiY = std::max(1, sheet.logicalDpiY());
        if (width < 1 || height < 1) return 0;
        const double left = std::min(x1, x2), bottom = std::min(y1, y2);
        const double drawingW = std::abs(static_cast<double>(x2) - x1);
        const double drawingH = std::abs(static_cast<double>(y2) - y1);

        winsys::PrintScaleRequest request;
        request.drawingWidth = drawingW / unitsPerInch;
        request.drawingHeight = drawingH / unitsPerInch;
        request.sheetWidth = static_cast<double>(width) / dpiX;
        request.sheetHeight = static_cast<double>(height) / dpiY;
        request.numerator = record->Numerator > 0 ? record->Numerator : 1;
        request.denominator = record->Denominator > 0 ? record->Denominator : 1;
        if (!winsys::Ui().PrintScaleSetup(request)) return 0;

        const int32_t numerator = std::max(1, request.numerator);
        const int32_t denominator = std::max(1, request.denominator);
        // Database units per printer pixel at paper : drawing = n : d.
        const int32_t size = Clamp32(std::round(static_cast<double>(unitsPerInch) * denominator /
                                                (static_cast<double>(dpiX) * numerator)));
        const double stepX = static_cast<double>(width) * size, stepY = static_cast<double>(height) * size;
        const int32_t across = Clamp32(std::ceil(drawingW / stepX - 1e-9));
        const int32_t down = Clamp32(std::ceil(drawingH / stepY - 1e-9));
        // The sheets together are centred on the drawing.
        const double sheetsLeft = left - (across * stepX - drawingW) / 2;
        const double sheetsBottom = bottom - (down * stepY - drawingH) / 2;

        PrintScaleRec r{};
        r.Numerator = numerator;
        r.Denominator = denominator;
        r.View.Size = size;
        r.View.Width = width;
        r.View.Height = height;
        r.View.X = ClampCoord(sheetsLeft + stepX / 2);
        r.View.Y = ClampCoord(sheetsBottom + stepY / 2);
        r.View.Flags = 0;
        r.SheetsAcross = across;
        r.SheetsDown = down;
        r.StepX = ClampCoord(stepX);
        r.StepY = ClampCoord(stepY);
        *record = r;
        return 1;
    });
}
