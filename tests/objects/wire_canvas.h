// A canvas for the wire drawing tests: an image registered as a drawing
// device, the page painted on it, and the colours of drawing categories.
#pragma once

#include "editor/objects/branch_drawing.h"
#include "editor/objects/view_values.h"
#include "platform/kernel/nvokernel32.h"
#include "platform/winsys/devices.h"
#include "tests/objects/wire_fixture.h"
#include "tests/support/raster.h"

#include <QImage>

#include <gtest/gtest.h>

#include <vector>

namespace palvane_test {

// An image registered as a drawing device with one context open on it,
// showing the page at 12700 units per pixel, centred on
// (10, 0) tenths.
struct Canvas {
    QImage image{480, 240, QImage::Format_RGB32};
    int32_t device = 0;
    Canvas()
    {
        const auto* table = static_cast<const int32_t*>(E_SysTable(0));
        const uint8_t background = static_cast<const uint8_t*>(E_SysTable(1))[31];
        const uint32_t v = static_cast<uint32_t>(table[background]);
        image.fill(qRgb(v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF));
        winsys::Device d;
        d.kind = winsys::DeviceKind::Image;
        d.surface = &image;
        d.image = &image;
        device = winsys::RegisterDevice(d);
        ViewDCRec view{12700, image.width(), image.height(), 10 * kTenth, 0, 0};
        G_OpenDC(device, &view);
    }
    ~Canvas()
    {
        G_CloseDC();
        winsys::UnregisterDevice(device);
    }
};

// The page drawn: components, node marks (when shown), then wires and
// junctions over them, the order in which RedrawNet draws a net.
inline void PaintPage()
{
    G_SetDrawMode(0);
    OM_MaskAll(DB_SchCompMap(), 1, 1);
    C_DrawAllComponents(1);
    N_SetNodeView(0);
    N_MaskAllNodes(1, 1);
    if (g_ShowNodes != 0) N_DrawAllNodes(1);
    DrawAllWires(1);
}

// The colour of a drawing category on the raster.
inline QRgb CategoryColour(int category)
{
    const auto* table = static_cast<const int32_t*>(E_SysTable(0));
    const uint8_t index = static_cast<const uint8_t*>(E_SysTable(1))[category];
    const uint32_t v = static_cast<uint32_t>(table[index]);
    return qRgb(v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF);
}

// The pixels of `image` that have the colour `rgb`.
inline std::vector<QPoint> PixelsOf(const QImage& image, QRgb rgb)
{
    std::vector<QPoint> found;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (PixelAt(image, x, y) == (rgb & 0xFFFFFFu)) found.emplace_back(x, y);
    return found;
}

// Success when the two pictures are the same; else how many pixels differ
// and where the first one is.
inline ::testing::AssertionResult SameImage(const QImage& a, const QImage& b)
{
    const ImageDiff diff = CompareImages(a, b);
    if (diff.Same()) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << diff.differing << " pixels differ, first at " << diff.firstAt.x() << ","
                                         << diff.firstAt.y();
}

}  // namespace palvane_test
