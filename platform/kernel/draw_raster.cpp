// The raster sink: figures mapped to device pixels and painted with
// QPainter. Everything is aliased, so a figure covers the same pixels each
// time it is drawn at the same view; XOR paints use the painter's exclusive-
// or raster operation, so drawing a figure twice restores the pixels. Lines
// are batched while their paint stays the same.
#include "platform/kernel/draw_raster.h"

#include <QFont>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QPainterPath>
#include <QPen>
#include <QPolygon>
#include <QRawFont>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <tuple>
#include <unordered_map>

namespace kernel::draw {

namespace {

// Beyond this many pixels from the device, coordinates are clipped before
// they reach the painter (whose fixed-point arithmetic they would overflow).
constexpr double kSafePixels = 1.0e6;
// Texts below this height in pixels are drawn as a line.
constexpr double kSmallestText = 3.0;
constexpr double kPi = 3.14159265358979323846;

int Round(double v)
{
    return static_cast<int>(std::floor(v + 0.5));
}

Qt::PenStyle QtStyle(uint8_t style)
{
    switch (style) {
    case 1: return Qt::DotLine;
    case 2: return Qt::DashLine;
    case 3: return Qt::DashDotLine;
    case 4: return Qt::DashDotDotLine;
    default: return Qt::SolidLine;
    }
}

// ---- Thick pens --------------------------------------------------------------------

using PenKey = std::tuple<QRgb, int, int, QRgb>;  // shown colour, width, style, source

std::map<PenKey, QPen>& ThickPens()
{
    static auto* pens = new std::map<PenKey, QPen>;
    return *pens;
}

const QPen& ThickPen(QRgb shown, QRgb source, int width, uint8_t style)
{
    auto& pens = ThickPens();
    const PenKey key{shown, width, style, source};
    auto it = pens.find(key);
    if (it == pens.end()) {
        QPen pen(QColor::fromRgb(source), width, QtStyle(style), Qt::RoundCap, Qt::RoundJoin);
        it = pens.emplace(key, pen).first;
    }
    return it->second;
}

// ---- Fonts ---------------------------------------------------------------------------

QFont BaseFont(int pixelSize)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(std::max(1, pixelSize));
    font.setStyleStrategy(QFont::NoAntialias);
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

// Ascent and descent of the font per pixel of size, so that a text's box
// (ascent + descent) has the height asked for.
struct FontShape {
    double ascent, descent;
};

const FontShape& Shape()
{
    static const FontShape shape = [] {
        QFontMetricsF m(BaseFont(100));
        const double total = m.ascent() + m.descent();
        return FontShape{m.ascent() / total, m.descent() / total};
    }();
    return shape;
}

// A font of one pixel size as glyphs: texts are Latin-1, one byte per
// character, so a table gives each byte's glyph and advance and a text is
// laid out without shaping, each character in its own cell.
struct GlyphFont {
    QRawFont raw;
    quint32 glyph[256] = {};
    double advance[256] = {};
    double average = 1;  // the mean advance of the printable ASCII characters
    // The glyphs' outlines, made at their first use (printing into a
    // document only).
    mutable QPainterPath outline[256];
    mutable bool outlineMade[256] = {};
};

const QPainterPath& GlyphOutline(const GlyphFont& f, uint8_t c)
{
    if (!f.outlineMade[c]) {
        f.outline[c] = f.raw.pathForGlyph(f.glyph[c]);
        f.outlineMade[c] = true;
    }
    return f.outline[c];
}

const GlyphFont& GlyphFontFor(int pixelSize)
{
    // Fonts live for the whole process: Qt's font engines are gone once the
    // application object is, before static objects would be destroyed.
    static auto* fonts = new std::unordered_map<int, std::unique_ptr<GlyphFont>>;
    auto& slot = (*fonts)[pixelSize];
    if (!slot) {
        slot = std::make_unique<GlyphFont>();
        GlyphFont& f = *slot;
        f.raw = QRawFont::fromFont(BaseFont(pixelSize));
        double sum = 0;
        int printable = 0;
        for (int c = 0; c < 256; ++c) {
            if (c < 32 || (c >= 127 && c < 160)) continue;  // control characters show nothing
            const QChar ch = QChar::fromLatin1(static_cast<char>(c));
            quint32 index = 0;
            int count = 1;
            if (!f.raw.glyphIndexesForChars(&ch, 1, &index, &count) || count != 1) continue;
            QPointF advance;
            f.raw.advancesForGlyphIndexes(&index, &advance, 1);
            f.glyph[c] = index;
            f.advance[c] = advance.x();
            if (c < 127) {
                sum += advance.x();
                ++printable;
            }
        }
        if (printable > 0 && sum > 0) f.average = sum / printable;
    }
    return *slot;
}

// Sutherland-Hodgman: a polygon clipped to a rectangle.
std::vector<QPointF> ClipPolygon(std::vector<QPointF> poly, double x1, double y1, double x2, double y2)
{
    auto clipEdge = [&poly](auto inside, auto cross) {
        std::vector<QPointF> out;
        const size_t n = poly.size();
        for (size_t i = 0; i < n; ++i) {
            const QPointF& a = poly[i];
            const QPointF& b = poly[(i + 1) % n];
            const bool ia = inside(a), ib = inside(b);
            if (ia) out.push_back(a);
            if (ia != ib) out.push_back(cross(a, b));
        }
        poly.swap(out);
    };
    auto atX = [](const QPointF& a, const QPointF& b, double x) {
        const double t = (x - a.x()) / (b.x() - a.x());
        return QPointF(x, a.y() + t * (b.y() - a.y()));
    };
    auto atY = [](const QPointF& a, const QPointF& b, double y) {
        const double t = (y - a.y()) / (b.y() - a.y());
        return QPointF(a.x() + t * (b.x() - a.x()), y);
    };
    clipEdge([&](const QPointF& p) { return p.x() >= x1; }, [&](auto a, auto b) { return atX(a, b, x1); });
    clipEdge([&](const QPointF& p) { return p.x() <= x2; }, [&](auto a, auto b) { return atX(a, b, x2); });
    clipEdge([&](const QPointF& p) { return p.y() >= y1; }, [&](auto a, auto b) { return atY(a, b, y1); });
    clipEdge([&](const QPointF& p) { return p.y() <= y2; }, [&](auto a, auto b) { return atY(a, b, y2); });
    return poly;
}

}  // namespace

int ThickPenCount()
{
    return static_cast<int>(ThickPens().size());
}

int FreeThickPens(bool all, int width, QRgb shown)
{
    auto& pens = ThickPens();
    int freed = 0;
    for (auto it = pens.begin(); it != pens.end();) {
        if (all || (std::get<1>(it->first) == width && std::get<0>(it->first) == shown)) {
            it = pens.erase(it);
            ++freed;
        } else {
            ++it;
        }
    }
    return freed;
}

// ---- RasterSink ------------------------------------------------------------------

RasterSink::RasterSink(DevicePainter& device, const ViewDCRec& view)
    : device_(device), view_(view), inv_(1.0 / view.Size)
{
}

RasterSink::~RasterSink()
{
    Flush();
}

namespace {

// The pixels a pen, mark or dot may add beyond a figure's points (widths in
// database units are in the figure's reach).
constexpr double kMarginPx = 16;

}  // namespace

QRect RasterSink::PartPixels() const
{
    return device_.partOnly ? device_.part : QRect(0, 0, device_.width, device_.height);
}

bool RasterSink::Shows(double x1, double y1, double x2, double y2) const
{
    // The part of the device drawn anew, widened by the margin.
    const QRect part = PartPixels();
    if (part.isEmpty()) return false;
    return MapX(x2) >= part.left() - kMarginPx && MapX(x1) <= part.right() + 1 + kMarginPx &&
           MapY(y1) >= part.top() - kMarginPx && MapY(y2) <= part.bottom() + 1 + kMarginPx;
}

bool RasterSink::Region(Box& area) const
{
    if (!device_.partOnly) return false;
    area = Box{};
    const QRect& part = device_.part;
    if (part.isEmpty()) return true;
    area.Add(UnmapX(part.left() - kMarginPx), UnmapY(part.bottom() + 1 + kMarginPx));
    area.Add(UnmapX(part.right() + 1 + kMarginPx), UnmapY(part.top() - kMarginPx));
    return true;
}

void RasterSink::Use(const Paint& paint, bool brush)
{
    QPainter& p = *device_.painter;
    if (device_.transformed) {
        p.resetTransform();
        device_.transformed = false;
    }
    if (device_.stateValid && device_.state == paint && device_.stateBrush == brush) return;
    const bool xorMode = paint.xorMode && !device_.printer;
    if (!device_.stateValid || (device_.state.xorMode && !device_.printer) != xorMode)
        p.setCompositionMode(xorMode ? QPainter::RasterOp_SourceXorDestination
                                     : QPainter::CompositionMode_SourceOver);
    const QRgb source = xorMode ? (((paint.colour ^ paint.background) & 0xFFFFFFu) | 0xFF000000u)
                                : (paint.colour | 0xFF000000u);
    if (brush) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor::fromRgb(source));
    } else {
        if (paint.widthPx <= 1)
            p.setPen(QPen(QColor::fromRgb(source), 0, QtStyle(paint.style)));
        else
            p.setPen(ThickPen(paint.colour, source, paint.widthPx, paint.style));
        p.setBrush(Qt::NoBrush);
    }
    device_.state = paint;
    device_.stateBrush = brush;
    device_.stateValid = true;
}

void RasterSink::Touch(double x1, double y1, double x2, double y2, int pad, bool plain)
{
    QRect r(QPoint(static_cast<int>(std::floor(std::min(x1, x2))) - pad,
                   static_cast<int>(std::floor(std::min(y1, y2))) - pad),
            QPoint(static_cast<int>(std::ceil(std::max(x1, x2))) + pad,
                   static_cast<int>(std::ceil(std::max(y1, y2))) + pad));
    r &= QRect(0, 0, device_.width, device_.height);
    if (r.isEmpty()) return;
    device_.dirty |= r;
    if (plain) device_.plainDirty |= r;
}

bool RasterSink::ClipLine(double& x1, double& y1, double& x2, double& y2, double margin) const
{
    // Liang-Barsky against the device widened by the margin.
    const double xmin = -margin, ymin = -margin;
    const double xmax = device_.width + margin, ymax = device_.height + margin;
    const double dx = x2 - x1, dy = y2 - y1;
    double t0 = 0, t1 = 1;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {x1 - xmin, xmax - x1, y1 - ymin, ymax - y1};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0) return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0) {
            if (t > t1) return false;
            t0 = std::max(t0, t);
        } else {
            if (t < t0) return false;
            t1 = std::min(t1, t);
        }
    }
    const double ox = x1, oy = y1;
    x1 = ox + t0 * dx;
    y1 = oy + t0 * dy;
    x2 = ox + t1 * dx;
    y2 = oy + t1 * dy;
    return true;
}

void RasterSink::Flush()
{
    if (batch_.empty()) return;
    Use(batchPaint_, false);
    device_.painter->drawLines(batch_.data(), static_cast<int>(batch_.size()));
    batch_.clear();
}

bool RasterSink::AxisXorLine(const Paint& paint, int x1, int y1, int x2, int y2)
{
    if (!device_.image || !paint.xorMode || paint.style != 0 || paint.widthPx > 1 || (x1 != x2 && y1 != y2))
        return false;
    QImage& image = *device_.image;
    // The painter's image is its own while it paints (a copy made meanwhile
    // is a deep one), so its pixels are the ones the painter draws into.
    if (image.width() != device_.width || image.height() != device_.height) return false;
    // Lines waiting in another paint go first; XOR lines among themselves
    // may go in any order.
    if (!batch_.empty() && !(batchPaint_ == paint)) Flush();
    const quint32 pattern = (paint.colour ^ paint.background) & 0xFFFFFFu;
    const int left = std::max(std::min(x1, x2), 0), right = std::min(std::max(x1, x2), device_.width - 1);
    const int top = std::max(std::min(y1, y2), 0), bottom = std::min(std::max(y1, y2), device_.height - 1);
    if (left > right || top > bottom) return true;
    const qsizetype stride = image.bytesPerLine();
    uchar* bits = image.bits();
    if (top == bottom) {
        auto* row = reinterpret_cast<quint32*>(bits + stride * top);
        for (int x = left; x <= right; ++x) row[x] ^= pattern;
    } else {
        uchar* at = bits + stride * top + qsizetype{left} * 4;
        for (int y = top; y <= bottom; ++y, at += stride) *reinterpret_cast<quint32*>(at) ^= pattern;
    }
    Touch(left, top, right, bottom, paint.widthPx + 1, false);
    return true;
}

namespace {

// The pixels, relative to the centre, that the painter's thin solid XOR
// outline of a circle of `radius` pixels changes (a pixel it reaches twice
// is left as it was), found once per radius by drawing it on a small image.
const std::vector<QPoint>& RingPixels(int radius)
{
    static auto* rings = new std::unordered_map<int, std::vector<QPoint>>;
    auto [it, added] = rings->try_emplace(radius);
    if (added) {
        const int side = 2 * radius + 5, at = radius + 2;
        QImage image(side, side, QImage::Format_RGB32);
        image.fill(0xFF000000u);
        {
            QPainter p(&image);
            p.setRenderHint(QPainter::Antialiasing, false);
            p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
            p.setPen(QPen(QColor::fromRgb(0xFFFFFFFFu), 0, Qt::SolidLine));
            p.setBrush(Qt::NoBrush);
            p.drawEllipse(QPoint(at, at), radius, radius);
        }
        for (int y = 0; y < side; ++y) {
            const auto* row = reinterpret_cast<const quint32*>(image.constScanLine(y));
            for (int x = 0; x < side; ++x)
                if ((row[x] & 0xFFFFFFu) != 0) it->second.emplace_back(x - at, y - at);
        }
    }
    return it->second;
}

}  // namespace

bool RasterSink::XorRing(const Paint& paint, QPoint centre, int radius)
{
    constexpr int kLargestRing = 64;
    if (!device_.image || !paint.xorMode || paint.filled || paint.style != 0 || paint.widthPx > 1 || radius < 1 ||
        radius > kLargestRing)
        return false;
    QImage& image = *device_.image;
    if (image.width() != device_.width || image.height() != device_.height) return false;
    // Only wholly on the device, where the painter clips nothing.
    const int reach = radius + 2;
    if (centre.x() - reach < 0 || centre.y() - reach < 0 || centre.x() + reach >= device_.width ||
        centre.y() + reach >= device_.height)
        return false;
    const quint32 pattern = (paint.colour ^ paint.background) & 0xFFFFFFu;
    const qsizetype stride = image.bytesPerLine();
    uchar* origin = image.bits() + stride * centre.y() + qsizetype{centre.x()} * 4;
    for (const QPoint& d : RingPixels(radius))
        *reinterpret_cast<quint32*>(origin + stride * d.y() + qsizetype{d.x()} * 4) ^= pattern;
    Touch(centre.x() - radius, centre.y() - radius, centre.x() + radius, centre.y() + radius, paint.widthPx + 1,
          false);
    return true;
}

void RasterSink::Line(const Paint& paint, Pt a, Pt b)
{
    double x1 = MapX(a.x), y1 = MapY(a.y), x2 = MapX(b.x), y2 = MapY(b.y);
    const double margin = paint.widthPx + 2.0;
    if (!ClipLine(x1, y1, x2, y2, margin)) return;
    const int px1 = Round(x1), py1 = Round(y1), px2 = Round(x2), py2 = Round(y2);
    if (AxisXorLine(paint, px1, py1, px2, py2)) return;
    if (!batch_.empty() && !(batchPaint_ == paint)) Flush();
    batchPaint_ = paint;
    batch_.emplace_back(px1, py1, px2, py2);
    Touch(x1, y1, x2, y2, paint.widthPx + 1, !paint.xorMode);
}

bool RasterSink::FillPixels(const Paint& paint, std::vector<QPointF> poly, bool clip, double margin)
{
    if (clip) poly = ClipPolygon(std::move(poly), -margin, -margin, device_.width + margin, device_.height + margin);
    if (poly.size() < 3) return false;
    QPolygon pixels;
    for (const QPointF& q : poly) pixels << QPoint(Round(q.x()), Round(q.y()));
    Use(paint, true);
    device_.painter->drawPolygon(pixels);
    return true;
}

void RasterSink::OutlinePixels(const Paint& paint, const double* xs, const double* ys, int count, double margin)
{
    for (int i = 0; i < count; ++i) {
        double x1 = xs[i], y1 = ys[i], x2 = xs[(i + 1) % count], y2 = ys[(i + 1) % count];
        if (!ClipLine(x1, y1, x2, y2, margin)) continue;
        Use(paint, false);
        device_.painter->drawLine(QLine(Round(x1), Round(y1), Round(x2), Round(y2)));
    }
}

void RasterSink::PolygonPixels(const Paint& paint, const double* xs, const double* ys, int count)
{
    double minX = xs[0], maxX = xs[0], minY = ys[0], maxY = ys[0];
    for (int i = 1; i < count; ++i) {
        minX = std::min(minX, xs[i]);
        maxX = std::max(maxX, xs[i]);
        minY = std::min(minY, ys[i]);
        maxY = std::max(maxY, ys[i]);
    }
    const double margin = paint.widthPx + 2.0;
    if (maxX < -margin || maxY < -margin || minX > device_.width + margin || minY > device_.height + margin)
        return;
    Flush();
    const bool safe = minX > -kSafePixels && maxX < kSafePixels && minY > -kSafePixels && maxY < kSafePixels;
    if (paint.filled) {
        std::vector<QPointF> poly;
        for (int i = 0; i < count; ++i) poly.emplace_back(xs[i], ys[i]);
        if (!FillPixels(paint, std::move(poly), !safe, margin)) return;
    } else if (safe) {
        QPolygon pixels;
        for (int i = 0; i < count; ++i) pixels << QPoint(Round(xs[i]), Round(ys[i]));
        Use(paint, false);
        device_.painter->drawPolygon(pixels);
    } else {
        OutlinePixels(paint, xs, ys, count, margin);
    }
    Touch(std::max(minX, -margin), std::max(minY, -margin), std::min(maxX, device_.width + margin),
          std::min(maxY, device_.height + margin), paint.widthPx + 1, !paint.xorMode);
}

void RasterSink::Polygon(const Paint& paint, const Pt* points, int count)
{
    if (count < 2) return;
    double xs[8], ys[8];
    count = std::min(count, 8);
    for (int i = 0; i < count; ++i) {
        xs[i] = MapX(points[i].x);
        ys[i] = MapY(points[i].y);
    }
    PolygonPixels(paint, xs, ys, count);
}

void RasterSink::Circle(const Paint& paint, Pt centre, int32_t radius)
{
    const double cx = MapX(centre.x), cy = MapY(centre.y), r = radius * inv_;
    const double margin = paint.widthPx + 2.0;
    if (cx + r < -margin || cy + r < -margin || cx - r > device_.width + margin || cy - r > device_.height + margin)
        return;
    if (!paint.filled) {
        // An outline that holds the whole device shows nothing.
        const double far = std::hypot(std::max(std::abs(cx), std::abs(device_.width - cx)),
                                      std::max(std::abs(cy), std::abs(device_.height - cy)));
        if (far + margin < r) return;
    }
    Flush();
    if (r > kSafePixels / 10) {
        // Too large for the painter: a polygon of many sides, clipped.
        constexpr int kSides = 2048;
        std::vector<double> xs(kSides), ys(kSides);
        for (int i = 0; i < kSides; ++i) {
            xs[i] = cx + r * std::cos(2 * kPi * i / kSides);
            ys[i] = cy - r * std::sin(2 * kPi * i / kSides);
        }
        if (paint.filled) {
            std::vector<QPointF> poly;
            for (int i = 0; i < kSides; ++i) poly.emplace_back(xs[i], ys[i]);
            if (!FillPixels(paint, std::move(poly), true, margin)) return;
        } else {
            OutlinePixels(paint, xs.data(), ys.data(), kSides, margin);
        }
    } else {
        const QPoint c(Round(cx), Round(cy));
        const int ri = Round(r);
        if (XorRing(paint, c, ri)) return;
        Use(paint, paint.filled);
        if (ri < 1)
            device_.painter->drawPoint(c);
        else
            device_.painter->drawEllipse(c, ri, ri);
    }
    Touch(cx - r, cy - r, cx + r, cy + r, paint.widthPx + 1, !paint.xorMode);
}

void RasterSink::Arc(const Paint& paint, Pt centre, int32_t radius, int32_t start, int32_t sweep)
{
    const double cx = MapX(centre.x), cy = MapY(centre.y), r = radius * inv_;
    const double margin = paint.widthPx + 2.0;
    if (cx + r < -margin || cy + r < -margin || cx - r > device_.width + margin || cy - r > device_.height + margin)
        return;
    Flush();
    Paint outline = paint;
    outline.filled = false;
    if (r > kSafePixels / 10) {
        const int sides = std::max(8, static_cast<int>(2048.0 * sweep / 360000.0));
        double px = cx + r * std::cos(start * kPi / 180000.0), py = cy - r * std::sin(start * kPi / 180000.0);
        for (int i = 1; i <= sides; ++i) {
            const double a = (start + static_cast<double>(sweep) * i / sides) * kPi / 180000.0;
            double x1 = px, y1 = py, x2 = cx + r * std::cos(a), y2 = cy - r * std::sin(a);
            px = x2;
            py = y2;
            if (!ClipLine(x1, y1, x2, y2, margin)) continue;
            Use(outline, false);
            device_.painter->drawLine(QLine(Round(x1), Round(y1), Round(x2), Round(y2)));
        }
    } else {
        const int ri = std::max(1, Round(r));
        const QPoint c(Round(cx), Round(cy));
        Use(outline, false);
        device_.painter->drawArc(QRect(c.x() - ri, c.y() - ri, 2 * ri, 2 * ri), Round(start * 16.0 / 1000.0),
                                Round(sweep * 16.0 / 1000.0));
    }
    Touch(cx - r, cy - r, cx + r, cy + r, paint.widthPx + 1, !paint.xorMode);
}

void RasterSink::Text(const Paint& paint, const TextFigure& text)
{
    if (text.text.empty() || text.height <= 0) return;
    const double a = text.angle * kPi / 180000.0;
    const double ux = std::cos(a), uy = std::sin(a);  // along the text (database axes)
    const double length = text.cell * static_cast<double>(text.text.size());
    const double hpx = text.height * inv_;
    // The box, for clipping and the drawn rectangle.
    const double ox = MapX(text.origin.x), oy = MapY(text.origin.y);
    const double bx[4] = {0, length, length, 0}, by[4] = {0, 0, text.height, text.height};
    double minX = ox, maxX = ox, minY = oy, maxY = oy;
    for (int i = 0; i < 4; ++i) {
        const double dx = (bx[i] * ux - by[i] * uy) * inv_, dy = -(bx[i] * uy + by[i] * ux) * inv_;
        minX = std::min(minX, ox + dx);
        maxX = std::max(maxX, ox + dx);
        minY = std::min(minY, oy + dy);
        maxY = std::max(maxY, oy + dy);
    }
    const double margin = 2.0;
    if (maxX < -margin || maxY < -margin || minX > device_.width + margin || minY > device_.height + margin) return;
    if (hpx < kSmallestText && !Printing()) {
        // Too small to read: a line through the middle of its box.
        const Pt from{ClampCoord(text.origin.x - uy * text.height / 2), ClampCoord(text.origin.y + ux * text.height / 2)};
        const Pt to{ClampCoord(from.x + ux * length), ClampCoord(from.y + uy * length)};
        Line(paint, from, to);
        return;
    }
    if (hpx > kSafePixels / 10) return;
    Flush();
    const FontShape& shape = Shape();
    const int pixelSize = std::max(1, Round(hpx));
    const GlyphFont& font = GlyphFontFor(pixelSize);
    if (!font.raw.isValid()) return;
    // Characters keep their proportions, narrowed or widened so that an
    // average one fills a cell, each centred in its cell.
    const double cellPx = text.cell * inv_;
    const double stretch = cellPx / font.average;
    glyphs_.clear();
    positions_.clear();
    const double baseline = -hpx * shape.descent;
    for (size_t i = 0; i < text.text.size(); ++i) {
        const auto c = static_cast<uint8_t>(text.text[i]);
        if (!font.glyph[c]) continue;
        const double x = (static_cast<double>(i) * cellPx + (cellPx - font.advance[c] * stretch) / 2) / stretch;
        glyphs_.push_back(font.glyph[c]);
        positions_.emplace_back(x, baseline);
    }
    if (glyphs_.empty()) return;
    QTransform turned;
    turned.translate(Round(ox), Round(oy));
    turned.rotate(-text.angle / 1000.0);
    if (device_.document) {
        DocumentText(paint, text, turned, pixelSize, stretch, length * inv_, hpx);
    } else {
        QGlyphRun run;
        run.setRawFont(font.raw);
        run.setGlyphIndexes(glyphs_);
        run.setPositions(positions_);
        Use(paint, false);
        QPainter& p = *device_.painter;
        QTransform placed = turned;
        placed.scale(stretch, 1.0);
        p.setTransform(placed);
        device_.transformed = true;
        p.drawGlyphRun(QPointF(0, 0), run);
    }
    Touch(minX, minY, maxX, maxY, 2, !paint.xorMode);
}

void RasterSink::DocumentText(const Paint& paint, const TextFigure& text, const QTransform& turned, int pixelSize,
                              double stretch, double lengthPx, double heightPx)
{
    const GlyphFont& font = GlyphFontFor(pixelSize);
    QPainter& p = *device_.painter;
    // What shows: the outlines of the glyphs the screen draws, where it
    // draws them. Outlines, not glyphs, since a reader joins glyphs into
    // words by their spacing, and a text's glyphs are spaced by its cells,
    // not by their advances: "Inverting" would read "I nver t i ng".
    QPainterPath outlines;
    outlines.setFillRule(Qt::WindingFill);
    double natural = 0;  // the characters' own advances together
    size_t k = 0;
    for (const char ch : text.text) {
        const auto c = static_cast<uint8_t>(ch);
        if (!font.glyph[c]) continue;
        outlines.addPath(GlyphOutline(font, c).translated(positions_[k++]));
        natural += font.advance[c];
    }
    QTransform placed = turned;
    placed.scale(stretch, 1.0);
    Use(paint, true);
    p.setTransform(placed);
    device_.transformed = true;
    p.drawPath(outlines);
    if (natural <= 0 || std::abs(lengthPx) < 1e-9) return;

    // What a reader finds: the characters as one run of glyphs at their own
    // advances, stretched along to the text's length, on the baseline the
    // screen's glyphs sit on, in no colour. A reader gives it as written,
    // words whole. A run read backwards would come out back to front, so a
    // text drawn backwards (mirrored) has its run turned half round within
    // the same box: it reads from the text's origin onwards.
    glyphs_.clear();
    positions_.clear();
    const double baseline = -heightPx * Shape().descent;
    double x = 0;
    for (const char ch : text.text) {
        const auto c = static_cast<uint8_t>(ch);
        if (!font.glyph[c]) continue;
        glyphs_.push_back(font.glyph[c]);
        positions_.emplace_back(x, baseline);
        x += font.advance[c];
    }
    QGlyphRun run;
    run.setRawFont(font.raw);
    run.setGlyphIndexes(glyphs_);
    run.setPositions(positions_);
    QTransform along = turned;
    if (lengthPx < 0) {
        along.translate(0, -heightPx);
        along.rotate(180);
    }
    along.scale(std::abs(lengthPx) / natural, 1.0);
    p.setPen(QPen(QColor(Qt::transparent), 0));
    p.setBrush(Qt::NoBrush);
    device_.stateValid = false;  // the pen is no paint's
    p.setTransform(along);
    p.drawGlyphRun(QPointF(0, 0), run);
}

void RasterSink::Mark(const Paint& paint, Pt centre, int halfPx)
{
    const double cx = MapX(centre.x), cy = MapY(centre.y);
    if (cx < -halfPx - 2 || cy < -halfPx - 2 || cx > device_.width + halfPx + 2 || cy > device_.height + halfPx + 2)
        return;
    Flush();
    const int x = Round(cx), y = Round(cy);
    if (paint.filled) {
        Use(paint, true);
        device_.painter->drawRect(QRect(x - halfPx, y - halfPx, 2 * halfPx + 1, 2 * halfPx + 1));
    } else {
        Paint thin = paint;
        thin.widthPx = 1;
        Use(thin, false);
        device_.painter->drawRect(QRect(x - halfPx, y - halfPx, 2 * halfPx, 2 * halfPx));
    }
    Touch(cx - halfPx, cy - halfPx, cx + halfPx, cy + halfPx, 1, !paint.xorMode);
}

void RasterSink::Dot(const Paint& paint, Pt centre, int32_t radius, int minRadiusPx)
{
    Paint filled = paint;
    filled.filled = true;
    const double r = std::max<double>(minRadiusPx, radius * inv_);
    const double cx = MapX(centre.x), cy = MapY(centre.y);
    if (cx + r < -2 || cy + r < -2 || cx - r > device_.width + 2 || cy - r > device_.height + 2) return;
    if (r > kSafePixels / 10) return;
    Flush();
    Use(filled, true);
    device_.painter->drawEllipse(QPoint(Round(cx), Round(cy)), Round(r), Round(r));
    Touch(cx - r, cy - r, cx + r, cy + r, 1, !paint.xorMode);
}

void RasterSink::Points(const Paint& paint, const std::vector<QPoint>& points)
{
    if (points.empty()) return;
    Flush();
    Paint thin = paint;
    thin.widthPx = 1;
    thin.style = 0;
    Use(thin, false);
    device_.painter->drawPoints(points.data(), static_cast<int>(points.size()));
    int x1 = points[0].x(), x2 = x1, y1 = points[0].y(), y2 = y1;
    for (const QPoint& q : points) {
        x1 = std::min(x1, q.x());
        x2 = std::max(x2, q.x());
        y1 = std::min(y1, q.y());
        y2 = std::max(y2, q.y());
    }
    Touch(x1, y1, x2, y2, 1, !paint.xorMode);
}

void RasterSink::Image(const QImage& image, const QRectF& target)
{
    const QRectF device(0, 0, device_.width, device_.height);
    const QRectF visible = target & device;
    if (visible.isEmpty() || image.isNull()) return;
    Flush();
    QPainter& p = *device_.painter;
    if (device_.transformed) {
        p.resetTransform();
        device_.transformed = false;
    }
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    device_.stateValid = false;
    // Only the part of the picture that shows is scaled.
    const double sx = image.width() / target.width(), sy = image.height() / target.height();
    const QRectF source((visible.x() - target.x()) * sx, (visible.y() - target.y()) * sy, visible.width() * sx,
                        visible.height() * sy);
    DrawPicture(p, visible, image, source);
    Touch(visible.left(), visible.top(), visible.right(), visible.bottom(), 1, true);
}

void DrawPicture(QPainter& painter, const QRectF& target, const QImage& image, const QRectF& source)
{
    if (image.depth() == 32) {
        painter.drawImage(target, image, source);
        return;
    }
    // A picture kept at its own depth (a palette) is drawn from 32-bit
    // pixels as a picture kept 32-bit is: the same call on the same pixel
    // values, so the same result (Qt's drawing from a palette picture picks
    // other pixels when it scales). Only the part up to the right and
    // bottom of `source` is made 32-bit, with two pixels more wherever the
    // picture has them, for the pixels that scaling reads around the part
    // drawn; it starts at the picture's origin, so `source` stands as it is.
    const QRect needed = source.toAlignedRect().adjusted(0, 0, 2, 2) & image.rect();
    if (needed.isEmpty()) return;
    const int width = needed.right() + 1, height = needed.bottom() + 1;
    const QImage::Format format =
        image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
    // One buffer serves every such drawing and grows to the largest part
    // drawn, so that a paint takes no fresh memory (on a virtual machine
    // first touching memory costs far more than filling it). Made on first
    // use and never destroyed.
    static QImage* scratch = new QImage;
    if (scratch->width() < width || scratch->height() < height || scratch->format() != format)
        *scratch = QImage(std::max(width, scratch->width()), std::max(height, scratch->height()), format);
    if (scratch->isNull()) return;
    QImage part(scratch->bits(), width, height, scratch->bytesPerLine(), format);
    {
        QPainter copy(&part);
        copy.setCompositionMode(QPainter::CompositionMode_Source);
        copy.drawImage(QPoint(0, 0), image, QRect(0, 0, width, height));
    }
    painter.drawImage(target, part, source);
}

}  // namespace kernel::draw
