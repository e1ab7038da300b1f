#include "tools/toolpics/glyphs.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <functional>
#include <map>
#include <numbers>

namespace toolpics {

namespace {

// Colours, one per kind of object, the same in every picture.
const QColor kInk(0x26, 0x32, 0x38);
const QColor kPart(0xff, 0xf1, 0xc1);
const QColor kWire(0x2e, 0x7d, 0x32);
const QColor kBus(0x15, 0x65, 0xc0);
const QColor kNet(0x8e, 0x24, 0xaa);
const QColor kNote(0xe0, 0x60, 0x00);
const QColor kFrame(0x45, 0x5a, 0x64);
const QColor kSelect(0x02, 0x77, 0xbd);
const QColor kRoute(0x00, 0x83, 0x8f);
const QColor kMarker(0xd8, 0x1b, 0x60);
const QColor kRed(0xc6, 0x28, 0x28);
const QColor kGreen(0x2e, 0x7d, 0x32);
const QColor kOrange(0xef, 0x6c, 0x00);
const QColor kGold(0xf9, 0xa8, 0x25);
const QColor kPaper(0xff, 0xff, 0xff);
const QColor kShade(0xe3, 0xf2, 0xfd);
const QColor kGlow(0xff, 0xee, 0x58);

// Drawing helpers in cell coordinates (0..24, y down).
class G {
public:
    explicit G(QPainter& painter) : p(painter) {}

    void line(double x1, double y1, double x2, double y2, const QColor& c, double w = 1.6,
              Qt::PenStyle style = Qt::SolidLine)
    {
        p.setPen(Pen(c, w, style));
        p.drawLine(QPointF(x1, y1), QPointF(x2, y2));
    }
    void poly(std::initializer_list<QPointF> points, const QColor& c, double w = 1.6, bool closed = false,
              const QColor& fill = Qt::transparent, Qt::PenStyle style = Qt::SolidLine)
    {
        QPolygonF polygon(points);
        p.setPen(w > 0 ? Pen(c, w, style) : QPen(Qt::NoPen));
        p.setBrush(fill.alpha() ? QBrush(fill) : QBrush(Qt::NoBrush));
        if (closed)
            p.drawPolygon(polygon);
        else
            p.drawPolyline(polygon);
        p.setBrush(Qt::NoBrush);
    }
    void rect(double x, double y, double w, double h, const QColor& c, double pw = 1.6,
              const QColor& fill = Qt::transparent, Qt::PenStyle style = Qt::SolidLine)
    {
        p.setPen(pw > 0 ? Pen(c, pw, style) : QPen(Qt::NoPen));
        p.setBrush(fill.alpha() ? QBrush(fill) : QBrush(Qt::NoBrush));
        p.drawRect(QRectF(x, y, w, h));
        p.setBrush(Qt::NoBrush);
    }
    void circle(double cx, double cy, double r, const QColor& c, double w = 1.6,
                const QColor& fill = Qt::transparent)
    {
        p.setPen(w > 0 ? Pen(c, w) : QPen(Qt::NoPen));
        p.setBrush(fill.alpha() ? QBrush(fill) : QBrush(Qt::NoBrush));
        p.drawEllipse(QPointF(cx, cy), r, r);
        p.setBrush(Qt::NoBrush);
    }
    void dot(double cx, double cy, double r, const QColor& c) { circle(cx, cy, r, c, 0, c); }
    void square(double cx, double cy, double half, const QColor& c, const QColor& fill = kPaper)
    {
        rect(cx - half, cy - half, 2 * half, 2 * half, c, 1.2, fill);
    }
    void text(double x, double y, double w, double h, const QString& s, const QColor& c, double px,
              bool bold = true)
    {
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(static_cast<int>(px));
        font.setBold(bold);
        font.setStyleStrategy(QFont::PreferAntialias);
        p.setFont(font);
        p.setPen(c);
        p.drawText(QRectF(x, y, w, h), Qt::AlignCenter, s);
    }
    // A straight arrow from (x1, y1) to (x2, y2); both ends with `both`.
    void arrow(double x1, double y1, double x2, double y2, const QColor& c, double w = 1.6, bool both = false,
               double head = 3.2)
    {
        line(x1, y1, x2, y2, c, w);
        Head(QPointF(x2, y2), std::atan2(y2 - y1, x2 - x1), c, head);
        if (both) Head(QPointF(x1, y1), std::atan2(y1 - y2, x1 - x2), c, head);
    }
    // An arc about (cx, cy) from `start` through `span` degrees (counter-
    // clockwise on the screen for a positive span), with a head at its end.
    void arcArrow(double cx, double cy, double r, double start, double span, const QColor& c, double w = 1.6,
                  double head = 3.2)
    {
        p.setPen(Pen(c, w));
        p.drawArc(QRectF(cx - r, cy - r, 2 * r, 2 * r), static_cast<int>(start * 16), static_cast<int>(span * 16));
        const double end = (start + span) * std::numbers::pi / 180.0;
        const QPointF tip(cx + r * std::cos(end), cy - r * std::sin(end));
        // The tangent in screen coordinates, in the sense of the span.
        const double sense = span >= 0 ? 1.0 : -1.0;
        const double dx = -std::sin(end) * sense;
        const double dy = -std::cos(end) * sense;
        Head(tip, std::atan2(dy, dx), c, head);
    }
    void arc(double cx, double cy, double r, double start, double span, const QColor& c, double w = 1.6)
    {
        p.setPen(Pen(c, w));
        p.drawArc(QRectF(cx - r, cy - r, 2 * r, 2 * r), static_cast<int>(start * 16), static_cast<int>(span * 16));
    }

    QPainter& p;

private:
    static QPen Pen(const QColor& c, double w, Qt::PenStyle style = Qt::SolidLine)
    {
        QPen pen(c, w, style, Qt::RoundCap, Qt::RoundJoin);
        if (style == Qt::DashLine) pen.setDashPattern({2.0, 1.6});
        if (style == Qt::DotLine) pen.setDashPattern({0.6, 1.8});
        return pen;
    }
    void Head(QPointF tip, double angle, const QColor& c, double size)
    {
        const double a1 = angle + std::numbers::pi * 0.82;
        const double a2 = angle - std::numbers::pi * 0.82;
        QPainterPath path;
        path.moveTo(tip);
        path.lineTo(tip.x() + size * std::cos(a1), tip.y() + size * std::sin(a1));
        path.lineTo(tip.x() + size * std::cos(a2), tip.y() + size * std::sin(a2));
        path.closeSubpath();
        p.setPen(QPen(c, 0.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(c);
        p.drawPath(path);
        p.setBrush(Qt::NoBrush);
    }
};

using Glyph = std::function<void(G&, const QString&)>;

// ---- Shared pieces ------------------------------------------------------------

// A part: a body with three pins on each side.
void Chip(G& g, double x, double y, double w, double h, int pins = 3)
{
    g.rect(x, y, w, h, kInk, 1.5, kPart);
    for (int i = 0; i < pins; ++i) {
        const double py = y + h * (i + 1) / (pins + 1);
        g.line(x - 3, py, x, py, kInk, 1.3);
        g.line(x + w, py, x + w + 3, py, kInk, 1.3);
    }
}

// A sheet of paper with a folded corner.
void Page(G& g, double x, double y, double w, double h, const QColor& fill = kPaper)
{
    g.poly({{x, y}, {x + w - 4, y}, {x + w, y + 4}, {x + w, y + h}, {x, y + h}}, kFrame, 1.3, true, fill);
    g.poly({{x + w - 4, y}, {x + w - 4, y + 4}, {x + w, y + 4}}, kFrame, 1.1);
}

// A gate: a triangle with an input and an output line.
void Gate(G& g, double x, double y, double s)
{
    g.poly({{x, y}, {x, y + s}, {x + s * 0.9, y + s / 2}}, kInk, 1.3, true, kPart);
}

// A padlock, open or closed.
void Padlock(G& g, double cx, double cy, double s, bool open)
{
    const double bw = s, bh = s * 0.8;
    if (open)
        g.arc(cx + s * 0.35, cy - bh * 0.5, s * 0.32, 0, 180, kInk, 1.4);
    else
        g.arc(cx, cy - bh * 0.5, s * 0.32, 0, 180, kInk, 1.4);
    const double legX = open ? cx + s * 0.35 + s * 0.32 : cx + s * 0.32;
    g.line(legX, cy - bh * 0.5, legX, cy - bh * 0.2, kInk, 1.4);
    if (!open) g.line(cx - s * 0.32, cy - bh * 0.5, cx - s * 0.32, cy - bh * 0.2, kInk, 1.4);
    g.rect(cx - bw / 2, cy - bh * 0.2, bw, bh, kInk, 1.1, kGold);
}

// The grid of a placement pattern inside its frame.
void PatternFrame(G& g)
{
    g.rect(3, 3, 18, 18, kFrame, 1.3, kPaper);
}

// A wire between two pins, routed with one 45 degree corner.
void Trace(G& g, double x1, double y1, double x2, double y2, const QColor& c = kRoute)
{
    const double mid = (y1 + y2) / 2;
    g.poly({{x1, y1}, {x1, mid - 2}, {x1 + 4, mid + 2}, {x2, mid + 2}, {x2, y2}}, c, 2.0);
    g.square(x1, y1, 2, kInk, kPart);
    g.square(x2, y2, 2, kInk, kPart);
}

// A triangle point marker with its apex on the point.
void Marker(G& g, double x, double y, double s)
{
    g.poly({{x, y}, {x - s * 0.6, y - s}, {x + s * 0.6, y - s}}, kMarker, 1.0, true, kMarker);
}

// A polyline wire with two bend points.
void WirePath(G& g, const QColor& c = kWire, double w = 2.0)
{
    g.poly({{3, 19}, {9, 19}, {9, 6}, {21, 6}}, c, w);
}

// ---- Main glyphs ----------------------------------------------------------------

const std::map<std::string, Glyph>& MainGlyphs()
{
    static const std::map<std::string, Glyph> glyphs = {
        // Components.
        {"chip", [](G& g, const QString&) { Chip(g, 6, 4, 12, 16); }},
        {"chipsmall", [](G& g, const QString&) { Chip(g, 7, 6, 10, 12, 2); }},
        {"chipcopy",
         [](G& g, const QString&) {
             g.rect(10, 2, 11, 13, kInk, 1.2, Qt::transparent, Qt::DashLine);
             Chip(g, 5, 8, 11, 13, 2);
         }},
        {"ground",
         [](G& g, const QString&) {
             g.line(12, 3, 12, 12, kInk, 1.6);
             g.line(4, 12, 20, 12, kInk, 2.2);
             g.line(7, 16, 17, 16, kInk, 2.0);
             g.line(10, 20, 14, 20, kInk, 1.8);
         }},
        {"pack",
         [](G& g, const QString&) {
             g.rect(2, 4, 20, 16, kInk, 1.3, kShade);
             Gate(g, 4, 8, 8);
             Gate(g, 13, 8, 8);
         }},
        {"gateswap",
         [](G& g, const QString&) {
             Gate(g, 2, 3, 8);
             Gate(g, 14, 3, 8);
             g.arrow(5, 16, 19, 16, kOrange, 1.6);
             g.arrow(19, 20.5, 5, 20.5, kOrange, 1.6);
         }},
        {"swapplaces",
         [](G& g, const QString&) {
             Chip(g, 4, 2, 7, 8, 2);
             Chip(g, 13, 14, 7, 8, 2);
             g.arrow(12, 5, 18, 11, kOrange, 1.5);
             g.arrow(12, 19, 6, 13, kOrange, 1.5);
         }},
        {"chipwires",
         [](G& g, const QString&) {
             Chip(g, 8, 6, 8, 12, 2);
             g.poly({{5, 10}, {1, 10}, {1, 22}}, kWire, 1.8);
             g.poly({{19, 14}, {23, 14}, {23, 2}}, kWire, 1.8);
         }},
        {"patternsnap",
         [](G& g, const QString&) {
             g.rect(2, 2, 20, 20, kFrame, 1.0, Qt::transparent, Qt::DashLine);
             g.line(12, 2, 12, 22, kFrame, 1.0, Qt::DashLine);
             g.line(2, 12, 22, 12, kFrame, 1.0, Qt::DashLine);
             Chip(g, 5, 4, 5, 6, 1);
         }},
        {"ratsnest",
         [](G& g, const QString&) {
             g.line(4, 18, 12, 5, kNet, 1.5, Qt::DashLine);
             g.line(12, 5, 20, 17, kNet, 1.5, Qt::DashLine);
             g.square(4, 18, 2.2, kInk, kPart);
             g.square(12, 5, 2.2, kInk, kPart);
             g.square(20, 17, 2.2, kInk, kPart);
         }},
        {"textlabel", [](G& g, const QString& a) { g.text(0, 0, 20, 17, a.isEmpty() ? "R1" : a, kInk, 11); }},
        {"text", [](G& g, const QString& a) { g.text(0, 0, 24, 24, a, kInk, a.size() > 2 ? 9 : 12); }},
        {"value",
         [](G& g, const QString&) {
             g.line(3, 18, 21, 18, kFrame, 1.0, Qt::DotLine);
             g.text(0, 2, 24, 16, "10k", kInk, 10);
         }},
        {"list",
         [](G& g, const QString&) {
             for (int i = 0; i < 4; ++i) {
                 const double y = 5 + 4.6 * i;
                 g.dot(5, y, 1.2, kInk);
                 g.line(8, y, i == 3 ? 15 : 20, y, kInk, 1.5);
             }
         }},
        {"library",
         [](G& g, const QString&) {
             g.rect(4, 3, 16, 18, kInk, 1.3, kShade);
             g.line(8, 3, 8, 21, kInk, 1.3);
             Chip(g, 12, 7, 5, 10, 2);
         }},
        {"dialog",
         [](G& g, const QString&) {
             g.rect(2, 3, 20, 18, kInk, 1.3, kPaper);
             g.rect(2, 3, 20, 4, kInk, 0, kSelect);
             g.line(5, 11, 19, 11, kFrame, 1.2);
             g.line(5, 14.5, 16, 14.5, kFrame, 1.2);
             g.rect(13, 17, 6, 2.5, kFrame, 1.0, kShade);
         }},
        {"info",
         [](G& g, const QString&) {
             g.circle(12, 12, 9, kSelect, 1.6, kShade);
             g.dot(12, 7.5, 1.5, kSelect);
             g.line(12, 11, 12, 17, kSelect, 2.4);
         }},
        {"hierdown",
         [](G& g, const QString&) {
             Page(g, 8, 9, 13, 13);
             Chip(g, 3, 2, 6, 6, 1);
             g.arrow(6, 10, 6, 20, kOrange, 1.8);
         }},
        {"hierup",
         [](G& g, const QString&) {
             Page(g, 8, 9, 13, 13);
             Chip(g, 3, 2, 6, 6, 1);
             g.arrow(6, 20, 6, 10, kOrange, 1.8);
         }},
        {"hierswap",
         [](G& g, const QString&) {
             Page(g, 2, 6, 9, 12);
             Page(g, 13, 6, 9, 12);
             g.arrow(6, 3, 18, 3, kOrange, 1.4);
             g.arrow(18, 21.5, 6, 21.5, kOrange, 1.4);
         }},
        {"lock", [](G& g, const QString&) { Padlock(g, 12, 14, 12, false); }},
        {"unlock", [](G& g, const QString&) { Padlock(g, 10, 14, 12, true); }},

        // Rotation, mirroring, scaling, sizes.
        {"rotate",
         [](G& g, const QString& a) {
             g.arcArrow(12, 12, 8.5, 90, -270, kOrange, 1.8);
             g.text(4, 6, 16, 12, a, kInk, 8);
         }},
        {"rotfree",
         [](G& g, const QString&) {
             g.arcArrow(12, 12, 8.5, 120, -250, kOrange, 1.8);
             g.line(12, 12, 18, 6, kInk, 1.4);
             g.dot(12, 12, 1.6, kInk);
             g.square(18, 6, 1.8, kInk, kPart);
         }},
        {"mirror",
         [](G& g, const QString&) {
             g.line(12, 2, 12, 22, kFrame, 1.2, Qt::DashLine);
             g.poly({{10, 5}, {10, 19}, {3, 19}}, kInk, 1.3, true, kPart);
             g.poly({{14, 5}, {14, 19}, {21, 19}}, kInk, 1.3, true);
         }},
        {"mirrorh",
         [](G& g, const QString&) {
             g.line(2, 12, 22, 12, kFrame, 1.2, Qt::DashLine);
             g.poly({{5, 10}, {19, 10}, {19, 3}}, kInk, 1.3, true, kPart);
             g.poly({{5, 14}, {19, 14}, {19, 21}}, kInk, 1.3, true);
         }},
        {"scale",
         [](G& g, const QString&) {
             g.rect(3, 11, 10, 10, kInk, 1.3, kShade);
             g.rect(3, 3, 18, 18, kInk, 1.1, Qt::transparent, Qt::DashLine);
             g.arrow(10, 14, 19, 5, kOrange, 1.6);
         }},
        {"textdrag",
         [](G& g, const QString&) {
             g.text(0, 0, 16, 17, "A", kInk, 14);
             g.arrow(12, 13, 21, 22, kOrange, 1.5, true, 2.8);
         }},
        {"textsizes",
         [](G& g, const QString&) {
             g.text(0, 6, 10, 14, "A", kInk, 8);
             g.text(8, 2, 16, 20, "A", kInk, 15);
         }},

        // Wires and buses.
        {"wire",
         [](G& g, const QString&) {
             WirePath(g);
             g.dot(3, 19, 1.8, kWire);
             g.dot(21, 6, 1.8, kWire);
         }},
        {"bus",
         [](G& g, const QString&) {
             g.poly({{3, 18}, {10, 18}, {10, 6}, {21, 6}}, kBus, 3.6);
             g.line(13, 6, 16, 10, kWire, 1.4);
             g.line(17, 6, 20, 10, kWire, 1.4);
         }},
        {"junction",
         [](G& g, const QString&) {
             g.line(2, 10, 22, 10, kWire, 2.0);
             g.line(12, 10, 12, 22, kWire, 2.0);
             g.dot(12, 10, 3.0, kWire);
         }},
        {"segment",
         [](G& g, const QString&) {
             WirePath(g, QColor(0x9e, 0xbf, 0xa0), 1.6);
             g.line(9, 19, 9, 6, kWire, 3.0);
         }},
        {"point",
         [](G& g, const QString&) {
             WirePath(g);
             g.square(9, 6, 2.4, kInk, kGlow);
         }},
        {"freepoints",
         [](G& g, const QString&) {
             Chip(g, 1, 15, 5, 7, 1);
             g.poly({{9, 18.5}, {9, 6}, {21, 6}}, kWire, 1.8);
             g.square(9, 6, 2.0, kInk, kGlow);
             g.square(21, 6, 2.0, kInk, kGlow);
         }},
        {"netname",
         [](G& g, const QString&) {
             g.line(2, 19, 22, 19, kWire, 2.0);
             g.text(0, 2, 24, 14, "N1", kInk, 10);
         }},
        {"busname",
         [](G& g, const QString&) {
             g.line(2, 19, 22, 19, kBus, 3.6);
             g.text(0, 2, 24, 14, "D0:7", kInk, 8);
         }},
        {"ortho",
         [](G& g, const QString&) {
             g.poly({{3, 21}, {3, 13}, {11, 13}, {20, 4}}, kWire, 2.0);
             g.dot(3, 13, 1.4, kInk);
             g.dot(11, 13, 1.4, kInk);
         }},
        {"pinonly",
         [](G& g, const QString&) {
             g.rect(2, 5, 8, 14, kInk, 1.4, kPart);
             g.line(10, 12, 15, 12, kInk, 1.4);
             g.poly({{15, 12}, {21, 12}, {21, 3}}, kWire, 2.0);
             g.square(15, 12, 1.6, kInk, kGlow);
         }},
        {"fromnext",
         [](G& g, const QString&) {
             g.poly({{3, 19}, {9, 19}, {9, 6}, {21, 6}}, QColor(0x9e, 0xbf, 0xa0), 1.6);
             g.poly({{9, 12}, {21, 6}}, kWire, 2.0);
             g.square(21, 6, 2.2, kInk, kGlow);
             g.square(9, 12, 1.8, kInk, kPaper);
         }},
        {"highlight",
         [](G& g, const QString&) {
             g.poly({{3, 19}, {9, 19}, {9, 6}, {21, 6}}, kGlow, 6.0);
             WirePath(g);
         }},
        {"joinwire",
         [](G& g, const QString&) {
             g.line(2, 6, 22, 6, kWire, 2.0);
             g.poly({{4, 20}, {14, 20}, {14, 6}}, kWire, 2.0);
             g.dot(14, 6, 2.8, kWire);
         }},
        {"busmember",
         [](G& g, const QString&) {
             g.line(17, 2, 17, 22, kBus, 3.8);
             g.poly({{2, 15}, {10, 15}, {15, 10}}, kWire, 2.0);
         }},
        {"repeat",
         [](G& g, const QString&) {
             g.line(19, 2, 19, 22, kBus, 3.8);
             for (double y : {6.0, 12.0, 18.0}) g.poly({{3, y + 2}, {13, y + 2}, {17, y - 2}}, kWire, 1.6);
         }},
        {"pinswap",
         [](G& g, const QString&) {
             g.rect(12, 3, 9, 18, kInk, 1.4, kPart);
             g.line(6, 8, 12, 8, kInk, 1.4);
             g.line(6, 16, 12, 16, kInk, 1.4);
             g.arcArrow(6, 12, 4, 90, 180, kOrange, 1.5, 2.8);
         }},
        {"updown", [](G& g, const QString&) { g.arrow(12, 3, 12, 21, kOrange, 2.0, true, 4.0); }},
        {"leftright", [](G& g, const QString&) { g.arrow(3, 12, 21, 12, kOrange, 2.0, true, 4.0); }},
        {"undo",
         [](G& g, const QString&) {
             g.arcArrow(13, 13, 7, -60, 230, kOrange, 2.0, 3.6);
         }},
        {"finish",
         [](G& g, const QString&) { g.poly({{4, 13}, {10, 19}, {20, 5}}, kGreen, 3.0); }},

        // Notes: points, shapes, items.
        {"marker",
         [](G& g, const QString& a) {
             Marker(g, 6, 14, 9);
             g.text(10, 3, 14, 13, a.isEmpty() ? "P" : "P" + a, kInk, a.isEmpty() ? 12 : 9);
         }},
        {"snap",
         [](G& g, const QString&) {
             for (int i = 0; i < 4; ++i)
                 for (int j = 0; j < 4; ++j) g.dot(4.5 + 5 * i, 4.5 + 5 * j, 0.9, kFrame);
             g.line(14.5, 9.5, 14.5, 19.5, kMarker, 1.4);
             g.line(9.5, 14.5, 19.5, 14.5, kMarker, 1.4);
             g.circle(14.5, 14.5, 2.2, kMarker, 1.4);
         }},
        {"pin",
         [](G& g, const QString&) {
             g.rect(2, 4, 10, 16, kInk, 1.4, kPart);
             g.line(12, 12, 19, 12, kInk, 1.6);
             g.circle(19, 12, 2.6, kMarker, 1.6);
         }},
        {"framecorner",
         [](G& g, const QString&) {
             g.poly({{4, 21}, {4, 5}, {21, 5}}, kFrame, 2.0);
             g.square(4, 5, 2.5, kMarker, kGlow);
         }},
        {"handle",
         [](G& g, const QString&) {
             g.rect(5, 6, 14, 12, kNote, 1.6);
             for (double x : {5.0, 19.0})
                 for (double y : {6.0, 18.0}) g.square(x, y, 1.8, kInk, kPaper);
         }},
        {"centre",
         [](G& g, const QString&) {
             g.circle(12, 12, 8, kNote, 1.6);
             g.line(12, 8, 12, 16, kMarker, 1.4);
             g.line(8, 12, 16, 12, kMarker, 1.4);
         }},
        {"freepoint",
         [](G& g, const QString&) {
             g.line(12, 3, 12, 21, kMarker, 1.4);
             g.line(3, 12, 21, 12, kMarker, 1.4);
             g.circle(12, 12, 3.5, kMarker, 1.4);
         }},
        {"shapes",
         [](G& g, const QString&) {
             g.line(3, 10, 10, 3, kNote, 1.6);
             g.circle(17, 7, 4.5, kNote, 1.6);
             g.rect(3, 13, 9, 8, kNote, 1.6);
             g.poly({{14, 21}, {18, 13}, {22, 21}}, kNote, 1.6, true);
         }},
        {"clear",
         [](G& g, const QString&) {
             g.line(3, 10, 10, 3, kNote, 1.4);
             g.circle(17, 7, 4.5, kNote, 1.4);
             g.rect(3, 13, 9, 8, kNote, 1.4);
             g.poly({{14, 21}, {18, 13}, {22, 21}}, kNote, 1.4, true);
             g.line(3, 3, 21, 21, kRed, 2.4);
             g.line(3, 21, 21, 3, kRed, 2.4);
         }},
        {"line",
         [](G& g, const QString&) {
             g.line(4, 20, 20, 4, kNote, 2.0);
             g.square(4, 20, 1.8, kInk, kPaper);
             g.square(20, 4, 1.8, kInk, kPaper);
         }},
        {"rectangle", [](G& g, const QString&) { g.rect(3, 6, 18, 12, kNote, 2.0); }},
        {"circle", [](G& g, const QString&) { g.circle(12, 12, 8.5, kNote, 2.0); }},
        {"arc",
         [](G& g, const QString&) {
             g.arc(12, 15, 9, 0, 180, kNote, 2.0);
             g.dot(12, 15, 1.2, kInk);
         }},
        {"triangle", [](G& g, const QString&) { g.poly({{3, 20}, {12, 4}, {21, 20}}, kNote, 2.0, true); }},
        {"textblock",
         [](G& g, const QString&) {
             g.text(0, 0, 12, 13, "T", kInk, 12);
             g.line(12, 5, 21, 5, kInk, 1.4);
             g.line(12, 9.5, 21, 9.5, kInk, 1.4);
             g.line(3, 14.5, 21, 14.5, kInk, 1.4);
             g.line(3, 19, 16, 19, kInk, 1.4);
         }},
        {"fill", [](G& g, const QString&) { g.rect(3, 5, 18, 14, kNote, 1.6, kNote); }},
        {"copy",
         [](G& g, const QString&) {
             g.rect(3, 3, 12, 12, kNote, 1.6);
             g.rect(9, 9, 12, 12, kNote, 1.6, kPaper);
         }},
        {"repeatoffset",
         [](G& g, const QString&) {
             for (int i = 0; i < 3; ++i) g.rect(2 + 7 * i, 14 - 6 * i, 6, 6, kNote, 1.5, kPaper);
         }},
        {"repeatrotate",
         [](G& g, const QString&) {
             g.circle(12, 12, 8, kFrame, 0.9, Qt::transparent);
             g.dot(12, 12, 1.5, kMarker);
             for (double a : {90.0, 210.0, 330.0}) {
                 const double r = a * std::numbers::pi / 180.0;
                 g.rect(12 + 8 * std::cos(r) - 2.8, 12 - 8 * std::sin(r) - 2.8, 5.6, 5.6, kNote, 1.4, kPaper);
             }
         }},
        {"handles",
         [](G& g, const QString&) {
             g.arc(12, 16, 9, 0, 180, kNote, 1.8);
             g.square(3, 16, 1.9, kInk, kPaper);
             g.square(21, 16, 1.9, kInk, kPaper);
             g.square(12, 7, 1.9, kInk, kGlow);
         }},
        {"arcradius",
         [](G& g, const QString&) {
             g.arc(6, 18, 14, 0, 90, kNote, 1.8);
             g.dot(6, 18, 1.4, kInk);
             g.arrow(6, 18, 15, 9, kOrange, 1.5);
         }},
        {"arcfixed",
         [](G& g, const QString&) {
             g.arc(12, 16, 9, 0, 180, kNote, 1.8);
             g.square(21, 16, 2.2, kInk, kGold);
             g.arrow(3, 16, 3, 7, kOrange, 1.5, false, 2.8);
         }},
        {"brush",
         [](G& g, const QString&) {
             g.line(20, 3, 11, 12, QColor(0x6d, 0x4c, 0x41), 2.6);
             g.poly({{11, 12}, {13.5, 14.5}, {8, 21}, {3, 21}, {4, 16}}, kInk, 1.0, true, kNote);
         }},
        {"linewidth",
         [](G& g, const QString&) {
             g.line(3, 5, 21, 5, kInk, 1.0);
             g.line(3, 11, 21, 11, kInk, 2.2);
             g.line(3, 18, 21, 18, kInk, 4.0);
         }},
        {"colour",
         [](G& g, const QString&) {
             g.rect(3, 3, 8, 8, kInk, 0.8, kRed);
             g.rect(13, 3, 8, 8, kInk, 0.8, kGreen);
             g.rect(3, 13, 8, 8, kInk, 0.8, kSelect);
             g.rect(13, 13, 8, 8, kInk, 0.8, kGold);
         }},
        {"linestyle",
         [](G& g, const QString&) {
             g.line(3, 5, 21, 5, kInk, 1.8);
             g.line(3, 12, 21, 12, kInk, 1.8, Qt::DashLine);
             g.line(3, 19, 21, 19, kInk, 1.8, Qt::DotLine);
         }},

        // Nets.
        {"net",
         [](G& g, const QString&) {
             g.line(4, 19, 12, 5, kNet, 1.6, Qt::DashLine);
             g.line(12, 5, 20, 19, kNet, 1.6, Qt::DashLine);
             g.line(4, 19, 20, 19, kNet, 1.6, Qt::DashLine);
             g.square(4, 19, 2.3, kInk, kPart);
             g.square(12, 5, 2.3, kInk, kPart);
             g.square(20, 19, 2.3, kInk, kPart);
         }},
        {"merge",
         [](G& g, const QString&) {
             g.line(3, 4, 12, 12, kNet, 2.0);
             g.line(3, 20, 12, 12, kWire, 2.0);
             g.arrow(12, 12, 21, 12, kInk, 2.0);
         }},
        {"split",
         [](G& g, const QString&) {
             g.line(3, 12, 11, 12, kInk, 2.0);
             g.arrow(11, 12, 20, 4, kNet, 2.0);
             g.arrow(11, 12, 20, 20, kWire, 2.0);
         }},
        {"disconnect",
         [](G& g, const QString&) {
             g.rect(2, 5, 7, 14, kInk, 1.4, kPart);
             g.line(9, 12, 12, 12, kInk, 1.4);
             g.line(16, 12, 22, 12, kWire, 2.0);
             g.line(12.5, 9, 15.5, 15, kRed, 1.6);
         }},
        {"nettext",
         [](G& g, const QString&) {
             g.rect(3, 2, 18, 20, kInk, 1.2, kPaper);
             g.text(3, 3, 18, 7, "U1,3", kNet, 6);
             g.line(6, 13, 18, 13, kInk, 1.2);
             g.line(6, 17, 15, 17, kInk, 1.2);
         }},
        {"compare",
         [](G& g, const QString&) {
             for (double x : {2.0, 14.0}) {
                 g.rect(x, 4, 8, 16, kInk, 1.1, kPaper);
                 for (double y : {8.0, 12.0, 16.0}) g.line(x + 2, y, x + 6, y, kInk, 1.0);
             }
             g.line(11, 10.5, 13, 10.5, kGreen, 1.4);
             g.line(11, 13.5, 13, 13.5, kGreen, 1.4);
         }},
        {"allnets",
         [](G& g, const QString&) {
             for (int i = 0; i < 3; ++i) {
                 const double y = 5 + 7 * i;
                 g.line(5, y, 19, y, kNet, 1.6, Qt::DashLine);
                 g.square(4, y, 1.8, kInk, kPart);
                 g.square(20, y, 1.8, kInk, kPart);
             }
         }},
        {"reconnect",
         [](G& g, const QString&) {
             g.line(3, 6, 21, 6, kNet, 1.6, Qt::DashLine);
             g.arrow(12, 8, 12, 14, kOrange, 1.5, false, 2.8);
             g.line(3, 18, 21, 18, kWire, 2.2);
         }},

        // Blocks and files.
        {"block",
         [](G& g, const QString&) {
             g.rect(2, 3, 20, 18, kSelect, 1.4, Qt::transparent, Qt::DashLine);
             Chip(g, 6, 6, 5, 6, 1);
             g.poly({{14, 9}, {18, 9}, {18, 17}}, kWire, 1.6);
         }},
        {"blockpage",
         [](G& g, const QString&) {
             g.rect(1, 7, 11, 11, kSelect, 1.3, Qt::transparent, Qt::DashLine);
             Chip(g, 4, 10, 4, 5, 1);
             Page(g, 14, 4, 9, 16);
             g.arrow(9, 4, 17, 4, kOrange, 1.4, false, 2.6);
         }},
        {"blocklist",
         [](G& g, const QString&) {
             g.rect(1, 3, 12, 18, kSelect, 1.3, Qt::transparent, Qt::DashLine);
             Chip(g, 4, 8, 5, 7, 1);
             for (double y : {6.0, 11.0, 16.0}) g.line(15, y, 22, y, kInk, 1.5);
         }},
        {"blockpack",
         [](G& g, const QString&) {
             g.rect(2, 3, 20, 18, kSelect, 1.4, Qt::transparent, Qt::DashLine);
             Gate(g, 5, 8, 7);
             Gate(g, 13, 8, 7);
         }},
        {"pick",
         [](G& g, const QString&) {
             Chip(g, 4, 3, 8, 9, 2);
             g.poly({{13, 11}, {13, 22}, {16, 19}, {18.5, 23}, {20.5, 22}, {18, 18}, {22, 18}}, kInk, 1.0, true,
                    kPaper);
         }},
        {"box",
         [](G& g, const QString&) {
             g.rect(3, 4, 18, 16, kSelect, 1.5, Qt::transparent, Qt::DashLine);
             g.square(3, 4, 1.8, kSelect, kPaper);
             g.square(21, 20, 1.8, kSelect, kPaper);
         }},
        {"joinnets",
         [](G& g, const QString&) {
             g.text(0, 1, 24, 9, "N1", kInk, 8);
             g.line(2, 15, 10, 15, kWire, 2.0);
             g.line(14, 15, 22, 15, kWire, 2.0);
             g.dot(12, 15, 2.6, kWire);
         }},
        {"save",
         [](G& g, const QString&) {
             g.rect(3, 3, 18, 18, kInk, 1.4, kSelect);
             g.rect(7, 3, 10, 6, kInk, 1.0, kPaper);
             g.rect(6, 13, 12, 8, kInk, 1.0, kPaper);
         }},
        {"open",
         [](G& g, const QString&) {
             g.poly({{2, 6}, {9, 6}, {11, 8}, {20, 8}, {20, 19}, {2, 19}}, kInk, 1.3, true, kGold);
             g.poly({{2, 19}, {6, 11}, {23, 11}, {20, 19}}, kInk, 1.3, true, QColor(0xff, 0xd5, 0x4f));
         }},

        // Page format.
        {"frame",
         [](G& g, const QString&) {
             g.rect(2, 4, 20, 16, kFrame, 1.8, kPaper);
             g.rect(14, 15, 8, 5, kFrame, 1.1);
         }},
        {"framecorners",
         [](G& g, const QString&) {
             g.rect(3, 5, 18, 14, kFrame, 1.6, kPaper);
             for (double x : {3.0, 21.0})
                 for (double y : {5.0, 19.0}) g.square(x, y, 1.9, kMarker, kGlow);
         }},
        {"frameside",
         [](G& g, const QString&) {
             g.rect(3, 5, 18, 14, kFrame, 1.2, kPaper);
             g.line(3, 5, 21, 5, kMarker, 3.0);
         }},
        {"pages",
         [](G& g, const QString&) {
             Page(g, 8, 2, 13, 15, kShade);
             Page(g, 5, 5, 13, 15, kShade);
             Page(g, 2, 8, 13, 15);
         }},

        // Bitmaps.
        {"bitmap",
         [](G& g, const QString&) {
             g.rect(2, 4, 20, 16, kInk, 1.4, kShade);
             g.poly({{3, 19}, {9, 10}, {14, 16}, {17, 13}, {21, 19}}, kWire, 1.0, true, QColor(0x81, 0xc7, 0x84));
             g.dot(16, 8.5, 2.2, kGold);
         }},

        // Placement patterns and zones.
        {"gridcol",
         [](G& g, const QString&) {
             PatternFrame(g);
             g.line(9, 3, 9, 21, kFrame, 1.0, Qt::DashLine);
             g.line(15, 3, 15, 21, kMarker, 2.2);
         }},
        {"gridrow",
         [](G& g, const QString&) {
             PatternFrame(g);
             g.line(3, 9, 21, 9, kFrame, 1.0, Qt::DashLine);
             g.line(3, 15, 21, 15, kMarker, 2.2);
         }},
        {"grid",
         [](G& g, const QString&) {
             PatternFrame(g);
             for (double v : {9.0, 15.0}) {
                 g.line(v, 3, v, 21, kMarker, 1.3);
                 g.line(3, v, 21, v, kMarker, 1.3);
             }
         }},
        {"gridchip",
         [](G& g, const QString&) {
             PatternFrame(g);
             g.line(12, 3, 12, 21, kMarker, 1.3);
             g.line(3, 12, 21, 12, kMarker, 1.3);
             Chip(g, 5.5, 5, 4, 5, 1);
         }},
        {"pattern",
         [](G& g, const QString& a) {
             g.rect(3, 3, 18, 18, kFrame, 1.1, kPaper, Qt::DashLine);
             g.text(3, 3, 18, 18, a, kMarker, 14);
         }},
        {"zone",
         [](G& g, const QString&) {
             g.rect(3, 5, 18, 14, kRed, 0, QColor(0xff, 0xeb, 0xee));
             g.p.save();
             g.p.setClipRect(QRectF(3, 5, 18, 14));
             for (double x = -10; x < 21; x += 4.5) g.line(x, 19, x + 14, 5, kRed, 1.0);
             g.p.restore();
             g.rect(3, 5, 18, 14, kRed, 1.8);
         }},

        // Routing.
        {"route", [](G& g, const QString&) { Trace(g, 4, 4, 20, 20); }},
        {"routeall",
         [](G& g, const QString&) {
             g.rect(1, 1, 22, 22, kFrame, 1.0, kPaper);
             g.poly({{4, 5}, {12, 5}, {16, 9}, {20, 9}}, kRoute, 1.6);
             g.poly({{4, 12}, {20, 12}}, kRoute, 1.6);
             g.poly({{4, 19}, {9, 19}, {13, 15}, {20, 15}}, kRoute, 1.6);
         }},
        {"pair",
         [](G& g, const QString&) {
             g.line(5, 17, 19, 7, kNet, 1.5, Qt::DashLine);
             g.square(5, 17, 2.6, kInk, kPart);
             g.square(19, 7, 2.6, kInk, kPart);
         }},
        {"exit",
         [](G& g, const QString&) {
             g.rect(3, 3, 11, 18, kInk, 1.4, QColor(0xd7, 0xcc, 0xc8));
             g.dot(11, 12, 1.1, kInk);
             g.arrow(11, 12, 22, 12, kGreen, 2.0);
         }},

        // The Esc key: finish or give up the running command.
        {"esc",
         [](G& g, const QString&) {
             g.p.setPen(QPen(kInk, 1.3));
             g.p.setBrush(kPaper);
             g.p.drawRoundedRect(QRectF(1.5, 5.5, 21, 13), 3, 3);
             g.p.setBrush(Qt::NoBrush);
             g.text(1.5, 5.5, 21, 13, "Esc", kRed, 9);
         }},
    };
    return glyphs;
}

// ---- Badges ---------------------------------------------------------------------

constexpr double kBx = 18.5;
constexpr double kBy = 18.5;

void BadgeDisc(G& g, const QColor& ring = QColor(0xb0, 0xbe, 0xc5))
{
    g.circle(kBx, kBy, 5.6, ring, 0.8, kPaper);
}

const std::map<std::string, Glyph>& Badges()
{
    static const std::map<std::string, Glyph> badges = {
        {"plus",
         [](G& g, const QString&) {
             BadgeDisc(g);
             g.line(kBx - 3.4, kBy, kBx + 3.4, kBy, kGreen, 2.2);
             g.line(kBx, kBy - 3.4, kBx, kBy + 3.4, kGreen, 2.2);
         }},
        {"minus",
         [](G& g, const QString&) {
             BadgeDisc(g);
             g.line(kBx - 3.4, kBy, kBx + 3.4, kBy, kRed, 2.2);
         }},
        {"delete",
         [](G& g, const QString&) {
             BadgeDisc(g);
             g.line(kBx - 2.8, kBy - 2.8, kBx + 2.8, kBy + 2.8, kRed, 2.2);
             g.line(kBx - 2.8, kBy + 2.8, kBx + 2.8, kBy - 2.8, kRed, 2.2);
         }},
        {"move",
         [](G& g, const QString&) {
             BadgeDisc(g);
             g.arrow(kBx - 4, kBy, kBx + 4, kBy, kOrange, 1.2, true, 2.0);
             g.arrow(kBx, kBy - 4, kBx, kBy + 4, kOrange, 1.2, true, 2.0);
         }},
        {"edit",
         [](G& g, const QString&) {
             BadgeDisc(g);
             g.line(kBx + 3, kBy - 3, kBx - 2, kBy + 2, QColor(0x6d, 0x4c, 0x41), 2.4);
             g.dot(kBx - 3, kBy + 3, 1.0, kInk);
         }},
        {"swap",
         [](G& g, const QString&) {
             BadgeDisc(g);
             g.arrow(kBx - 3.5, kBy - 1.6, kBx + 3.5, kBy - 1.6, kOrange, 1.2, false, 2.0);
             g.arrow(kBx + 3.5, kBy + 1.8, kBx - 3.5, kBy + 1.8, kOrange, 1.2, false, 2.0);
         }},
        {"lock",
         [](G& g, const QString&) {
             BadgeDisc(g);
             Padlock(g, kBx, kBy + 1, 6, false);
         }},
        {"unlock",
         [](G& g, const QString&) {
             BadgeDisc(g);
             Padlock(g, kBx - 1, kBy + 1, 6, true);
         }},
        {"info",
         [](G& g, const QString&) {
             BadgeDisc(g, kSelect);
             g.dot(kBx, kBy - 2.6, 1.0, kSelect);
             g.line(kBx, kBy - 0.6, kBx, kBy + 3.2, kSelect, 1.8);
         }},
        {"check",
         [](G& g, const QString&) {
             BadgeDisc(g);
             g.poly({{kBx - 3.2, kBy}, {kBx - 0.8, kBy + 2.6}, {kBx + 3.4, kBy - 2.8}}, kGreen, 2.0);
         }},
        {"cycle",
         [](G& g, const QString&) {
             BadgeDisc(g);
             g.arcArrow(kBx, kBy, 3.4, 90, -300, kOrange, 1.3, 2.2);
         }},
        {"find",
         [](G& g, const QString&) {
             BadgeDisc(g);
             g.circle(kBx - 0.8, kBy - 0.8, 2.6, kInk, 1.3);
             g.line(kBx + 1.2, kBy + 1.2, kBx + 3.6, kBy + 3.6, kInk, 1.8);
         }},
        {"list",
         [](G& g, const QString&) {
             BadgeDisc(g);
             for (double dy : {-2.5, 0.0, 2.5}) g.line(kBx - 3, kBy + dy, kBx + 3, kBy + dy, kInk, 1.1);
         }},
        {"step",
         [](G& g, const QString&) {
             BadgeDisc(g);
             g.poly({{kBx - 3, kBy - 3.2}, {kBx - 3, kBy + 3.2}, {kBx + 1.8, kBy}}, kGreen, 0.8, true, kGreen);
             g.line(kBx + 3, kBy - 3, kBx + 3, kBy + 3, kGreen, 1.4);
         }},
        {"letter",
         [](G& g, const QString& a) {
             BadgeDisc(g, kInk);
             g.text(kBx - 5, kBy - 5, 10, 10, a, kInk, 8);
         }},
    };
    return badges;
}

}  // namespace

bool DrawGlyph(QPainter& painter, const std::string& glyph, bool badge)
{
    const size_t colon = glyph.find(':');
    const std::string name = glyph.substr(0, colon);
    const QString argument = colon == std::string::npos ? QString() : QString::fromStdString(glyph.substr(colon + 1));
    const auto& table = badge ? Badges() : MainGlyphs();
    const auto found = table.find(name);
    if (found == table.end()) return false;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    G g(painter);
    found->second(g, argument);
    painter.restore();
    return true;
}

}  // namespace toolpics
