// Raster helpers: what drawing tests look at in an image.
#pragma once

#include <QImage>
#include <QPoint>
#include <QRgb>

namespace palvane_test {

// The colour at a point, without alpha; 0 outside the image.
QRgb PixelAt(const QImage& image, int x, int y);

// How many pixels have the colour `rgb` (alpha ignored).
int CountPixels(const QImage& image, QRgb rgb);

// Two images compared pixel by pixel (alpha ignored).
struct ImageDiff {
    bool sameSize = false;
    int differing = 0;     // pixels that differ (when the sizes agree)
    QPoint firstAt{-1, -1};
    bool Same() const { return sameSize && differing == 0; }
};
ImageDiff CompareImages(const QImage& a, const QImage& b);

}  // namespace palvane_test
