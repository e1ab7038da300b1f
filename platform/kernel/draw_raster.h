// Drawing contexts and their raster sink: figures in database units mapped
// with the context's view to device pixels and painted with QPainter,
// aliased, exclusive-or for XOR paints (plainly on a printer), clipped to
// the device before anything reaches the painter.
#pragma once

#include "platform/kernel/draw_internal.h"

#include <QImage>
#include <QLine>
#include <QPainter>
#include <QRect>

#include <memory>
#include <vector>

namespace winsys {
struct Device;
}

namespace kernel::draw {

// One device being drawn on: the painter shared by the contexts open on it
// and the rectangle drawn into since the first of them opened. The painter
// is the kernel's own, begun on the device, or the device's active painter
// (a print document's), borrowed with its state saved and restored.
struct DevicePainter {
    QPainter own;
    QPainter* painter = &own;
    bool borrowed = false;
    QRect dirty;
    // The part of `dirty` drawn over what was there (not in XOR).
    QRect plainDirty;
    bool printer = false;
    // The painter writes a document (a PDF print) rather than pixels: a
    // text goes in as the outlines of its glyphs, placed as on screen, and
    // its characters besides as one invisible run over the same box, so
    // that a reader of the document finds and copies the text whole.
    bool document = false;
    int width = 0, height = 0;  // the surface in pixels
    // The surface when it is a 32-bit image the kernel's own painter paints:
    // XOR lines along an axis are written into it directly.
    QImage* image = nullptr;
    // Whether only part of the surface is drawn anew, and that part (the
    // device's, within the surface; it may be empty).
    bool partOnly = false;
    QRect part;
    int contexts = 0;
    // The painter's state, so unchanged state is not set again (shared by
    // the contexts open on the device, which all use this painter).
    bool stateValid = false;
    Paint state;
    bool stateBrush = false;
    bool transformed = false;
};

class RasterSink : public Sink {
public:
    RasterSink(DevicePainter& device, const ViewDCRec& view);
    ~RasterSink() override;

    void Line(const Paint& paint, Pt a, Pt b) override;
    void Polygon(const Paint& paint, const Pt* points, int count) override;
    void Circle(const Paint& paint, Pt centre, int32_t radius) override;
    void Arc(const Paint& paint, Pt centre, int32_t radius, int32_t start, int32_t sweep) override;
    void Text(const Paint& paint, const TextFigure& text) override;
    void Mark(const Paint& paint, Pt centre, int halfPx) override;
    void Dot(const Paint& paint, Pt centre, int32_t radius, int minRadiusPx) override;
    bool Shows(double x1, double y1, double x2, double y2) const override;
    bool Region(Box& area) const override;

    // Pixel points (the grid), in one paint.
    void Points(const Paint& paint, const std::vector<QPoint>& points);
    // A picture drawn opaque into a device rectangle (clipped to the device).
    void Image(const QImage& image, const QRectF& target);

    // Sends the batched lines to the painter.
    void Flush();
    // Forgets the batched lines without painting (the device is gone).
    void Abandon() { batch_.clear(); }

    // Mapping of the context's view.
    double MapX(double x) const { return (x - view_.X) * inv_ + view_.Width * 0.5; }
    double MapY(double y) const { return view_.Height * 0.5 - (y - view_.Y) * inv_; }
    double UnmapX(double px) const { return view_.X + (px - view_.Width * 0.5) * view_.Size; }
    double UnmapY(double py) const { return view_.Y + (view_.Height * 0.5 - py) * view_.Size; }
    double size() const { return view_.Size; }
    int deviceWidth() const { return device_.width; }
    int deviceHeight() const { return device_.height; }
    // The rectangle of device pixels drawn anew: the device's part when
    // only a part is, else the whole device.
    QRect PartPixels() const;

private:
    void Use(const Paint& paint, bool brush);
    // Notes the pixels a figure touched (`plain`: drawn over what was
    // there, not in XOR).
    void Touch(double x1, double y1, double x2, double y2, int pad, bool plain);
    bool ClipLine(double& x1, double& y1, double& x2, double& y2, double margin) const;
    // A thin solid XOR line along an axis, from pixel to pixel inclusive as
    // the painter draws it, written into the image; false when it is not
    // such a line or there is no image.
    bool AxisXorLine(const Paint& paint, int x1, int y1, int x2, int y2);
    // A thin solid XOR circle outline of a small radius wholly on the
    // device, written into the image with the pixels the painter would
    // change; false when it is not such a circle or there is no image.
    bool XorRing(const Paint& paint, QPoint centre, int radius);
    void PolygonPixels(const Paint& paint, const double* xs, const double* ys, int count);
    // A filled polygon in pixels, clipped to the device widened by the
    // margin when `clip`; false when nothing of it is left to paint.
    bool FillPixels(const Paint& paint, std::vector<QPointF> poly, bool clip, double margin);
    // A polygon's outline in pixels, each side clipped on its own.
    void OutlinePixels(const Paint& paint, const double* xs, const double* ys, int count, double margin);
    // A text into a document, its glyphs (`positions_`, in the font of
    // `pixelSize`) as on screen: at the origin and angle of `turned`,
    // narrowed or widened by `stretch`, in a box `lengthPx` long (negative:
    // drawn backwards, mirrored) and `heightPx` high. See `document`.
    void DocumentText(const Paint& paint, const TextFigure& text, const QTransform& turned, int pixelSize,
                      double stretch, double lengthPx, double heightPx);

    DevicePainter& device_;
    ViewDCRec view_;
    double inv_;
    // Lines waiting in one paint.
    std::vector<QLine> batch_;
    Paint batchPaint_;
    // A text's glyphs, kept to save allocations.
    QList<quint32> glyphs_;
    QList<QPointF> positions_;
};

// The current context's raster sink, or null.
RasterSink* CurrentRaster();
// The raster sink of the topmost context open on `device`, or null.
RasterSink* RasterOn(int32_t device);
// Whether a recording runs.
bool Recording();

// Draws the part `source` of a picture into `target`, as QPainter's
// drawImage does for a 32-bit picture; a picture kept at a palette's depth
// is drawn with exactly the pixels it would have 32-bit.
void DrawPicture(QPainter& painter, const QRectF& target, const QImage& image, const QRectF& source);

}  // namespace kernel::draw
