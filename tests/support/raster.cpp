#include "tests/support/raster.h"

namespace palvane_test {

namespace {

QImage Rgb32(const QImage& image)
{
    return image.format() == QImage::Format_RGB32 ? image : image.convertToFormat(QImage::Format_RGB32);
}

}  // namespace

QRgb PixelAt(const QImage& image, int x, int y)
{
    if (!image.valid(x, y)) return 0;
    return image.pixel(x, y) & 0x00FFFFFFu;
}

int CountPixels(const QImage& image, QRgb rgb)
{
    const QImage img = Rgb32(image);
    const QRgb wanted = rgb & 0x00FFFFFFu;
    int count = 0;
    for (int y = 0; y < img.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        for (int x = 0; x < img.width(); ++x)
            if ((line[x] & 0x00FFFFFFu) == wanted) ++count;
    }
    return count;
}

ImageDiff CompareImages(const QImage& a, const QImage& b)
{
    ImageDiff diff;
    diff.sameSize = a.size() == b.size();
    if (!diff.sameSize) return diff;
    const QImage ia = Rgb32(a);
    const QImage ib = Rgb32(b);
    for (int y = 0; y < ia.height(); ++y) {
        const auto* la = reinterpret_cast<const QRgb*>(ia.constScanLine(y));
        const auto* lb = reinterpret_cast<const QRgb*>(ib.constScanLine(y));
        for (int x = 0; x < ia.width(); ++x) {
            if ((la[x] & 0x00FFFFFFu) == (lb[x] & 0x00FFFFFFu)) continue;
            if (diff.differing++ == 0) diff.firstAt = QPoint(x, y);
        }
    }
    return diff;
}

}  // namespace palvane_test
