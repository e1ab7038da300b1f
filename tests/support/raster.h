// Raster helpers: what drawing tests look at in an image.
#pragma once

#include <QImage>
#include <QPoint>
#include <QRgb>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include <string>
#include <vector>

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
    QRect box;             // the rectangle holding them
    bool Same() const { return sameSize && differing == 0; }
};
ImageDiff CompareImages(const QImage& a, const QImage& b);

}  // namespace palvane_test

namespace palvane_test {

// PDF files read through poppler's tools (pdfinfo, pdftoppm).
// Pages of the file; -1 when it cannot be read.
int PdfPageCount(const std::string& path);
// Size of the first page in points (1/72 inch); empty when unreadable.
QSizeF PdfPageSize(const std::string& path);
// Page `page` (from 1) rasterised at `dpi`; a null image when it fails.
QImage RasterizePdfPage(const std::string& path, int page, int dpi);

// The text a reader takes off page `page` (from 1), as poppler's pdftotext
// gives it: in its reading order, or with `raw` in the order the text was
// drawn. A null string when it fails.
QString PdfText(const std::string& path, int page, bool raw = false);

// The lines of text pdftotext finds on page `page`: each line's words
// joined by one blank, and the box they cover in points from the page's
// top left. Empty when it fails.
struct PdfLine {
    QString text;
    QRectF box;
};
std::vector<PdfLine> PdfLines(const std::string& path, int page);

}  // namespace palvane_test
