// The drawing work's shared inside: the kernel-wide pen, how a figure is
// painted (resolved colour and pen), the sinks figures go to (a drawing
// context's device, or the recording of a metafile), and the figures that
// items, wires and the rest turn into for drawing, frames and hit tests.
//
// Everything here is in database units unless a name says pixels; the
// sinks map to pixels with the view of their context.
#pragma once

#include "platform/kernel/functions_draw.h"
#include "platform/kernel/objects_parts.h"

#include <QRgb>

#include <cstdint>
#include <string>
#include <string_view>

namespace kernel::draw {

// ---- Pen and modes --------------------------------------------------------------

// Mode bits of G_SetDrawMode.
constexpr int32_t kModeMarked = 1;
constexpr int32_t kModeErase = 2;
constexpr int32_t kModeMonoXor = 8;
constexpr int32_t kModeOverlay = 32;
constexpr int32_t kModePrinter = 64;
constexpr int32_t kModeNoEntries = 512;

// Pen styles: 0 solid, 1 dotted, 2 dashed, 3 dash-dot, 4 dash-dot-dot; 16 filled.
constexpr int kStyleFilled = 16;

struct PenState {
    int32_t mode = 0;
    int32_t colour = 0;  // palette index
    int32_t style = 0;
    int32_t width = 1;   // pixels
    int32_t curX = 0, curY = 0;  // G_MoveTo / G_LineTo
};
PenState& Pen();

// Drawing categories with a fixed use (system table 1 gives their colours).
enum Category : int {
    kCatComponent = 0,
    kCatSymbolText = 1,
    kCatNotes = 2,
    kCatNotesText = 3,
    kCatEntryName = 4,
    kCatNode = 5,
    kCatHighlight = 6,
    kCatBus = 7,
    kCatNetText = 8,
    kCatBusText = 9,
    kCatWire = 10,
    kCatJunction = 11,
    kCatSelection = 12,
    kCatPinMark = 13,
    kCatFrame = 14,
    kCatRatsnest = 15,
    kCatGrid = 16,
    kCatBackground = 31,
    kCatItems = 32,  // drawing items: the editor's default colour of new items
    kCatCompName = 33,
    kCatCompDescription = 34,
    kCatCompValue = 35,
    kCatCompPort = 36,
    kCatCompText = 37,
    kCatPinNumber = 38,
    kCatLayoutBackground = 63,
    kCatCopper = 64,  // 64 + copper layer (0: pad-stack texts)
};

// The colour of a palette index and of a category, read live from the
// system tables.
QRgb PaletteColour(int32_t index);
QRgb CategoryColour(int category);
// The colour that a Layer byte names: 1..95 a category, 96..127 a copper
// layer, 128..255 a palette index; 0 takes `defaultCategory`.
QRgb LayerColour(uint8_t layer, int defaultCategory);
// The background of the current context (category 31, or 63 in a layout view).
QRgb Background();

// How a figure is painted, fully resolved: the colour it shows in, the
// background it was resolved against (XOR combines pixels with colour Xor
// background), and the pen.
struct Paint {
    QRgb colour = 0;
    QRgb background = 0;
    bool xorMode = false;
    bool filled = false;
    uint8_t style = 0;      // line style 0..4
    int16_t widthPx = 1;    // pen width in pixels

    bool operator==(const Paint&) const = default;
};

// The paint of a primitive (G_Line ...): the pen's colour, style and width
// under the mode bits.
Paint PrimitivePaint();
// The paint of an object's figure: its own colour under the mode bits (see
// the mode table of the contract). `wholePage` is true for the calls that
// draw a page's worth of objects, where bit 8 means monochrome.
Paint ObjectPaint(QRgb own, int32_t widthDb, uint8_t style, bool wholePage);
// Pixels for a width in database units at the current view (at least 1).
int WidthPixels(int32_t widthDb);

// ---- Sinks ------------------------------------------------------------------------

struct Pt {
    int32_t x = 0, y = 0;
    bool operator==(const Pt&) const = default;
};

// A text line: its box is cell x count wide and height high, lower-left
// corner at the origin, turned about it by the angle.
struct TextFigure {
    Pt origin;
    int32_t angle = 0;
    double height = 0;  // drawn character height
    double cell = 0;    // drawn character cell width
    std::string_view text;
};

struct Box;

// Where figures go: a drawing context's device or a recording.
class Sink {
public:
    virtual ~Sink() = default;
    virtual void Line(const Paint& paint, Pt a, Pt b) = 0;
    // A closed polygon (3 or 4 points here): filled or its outline.
    virtual void Polygon(const Paint& paint, const Pt* points, int count) = 0;
    virtual void Circle(const Paint& paint, Pt centre, int32_t radius) = 0;
    // An arc counter-clockwise from `start` through `sweep` (> 0).
    virtual void Arc(const Paint& paint, Pt centre, int32_t radius, int32_t start, int32_t sweep) = 0;
    virtual void Text(const Paint& paint, const TextFigure& text) = 0;
    // A square mark of 2 x halfPx + 1 pixels centred on the point.
    virtual void Mark(const Paint& paint, Pt centre, int halfPx) = 0;
    // A filled dot: `radius` database units, at least `minRadiusPx` pixels.
    virtual void Dot(const Paint& paint, Pt centre, int32_t radius, int minRadiusPx) = 0;
    // Whether anything drawn inside the rectangle (database units) can reach
    // the device; a sink without a device (a recording) takes everything.
    virtual bool Shows(double x1, double y1, double x2, double y2) const
    {
        (void)x1, (void)y1, (void)x2, (void)y2;
        return true;
    }
    // When only part of the device is kept (a region drawn anew), the part
    // of the page (database units) beyond which nothing drawn can show
    // there, and true; false when the whole device is kept, or there is no
    // device: the caller then looks at every object.
    virtual bool Region(Box& area) const
    {
        (void)area;
        return false;
    }
};

// The sink drawing goes to now: the running recording, else the current
// context, else null (nothing is drawn).
Sink* Out();
// Units per pixel of the current context (1 without one).
double ViewSize();
// Whether texts are never reduced to a line (printing).
bool Printing();

// Sends the batched figures of the current context to its device; called
// at the end of every exported drawing call.
void FlushOut();

// Flushes at the end of a scope (an exported drawing call).
struct FlushGuard {
    ~FlushGuard() { FlushOut(); }
};

// ---- Figures --------------------------------------------------------------------

// One item (or any shape) resolved to page coordinates.
struct Figure {
    enum Kind : uint8_t { None, Line, Polygon, Circle, Arc, Text };
    Kind kind = None;
    Pt p[4];
    int count = 0;  // points used (line 2, triangle 3, rectangle 4)
    int32_t radius = 0;
    int32_t start = 0, sweep = 0;  // arc, sweep > 0
    int32_t angle = 0;             // text
    double height = 0, cell = 0;   // text
    const std::string* text = nullptr;
};

// The figure of an item at a placement (as I_ReadItemAbs would place it).
Figure ItemFigure(const Item& item, const Placement& placement);

// Draws a figure with a paint.
void DrawFigure(Sink& sink, const Paint& paint, const Figure& figure);

// The corners of a rectangle with a corner at (x, y), sizes along the
// directions angle and angle + 90 degrees.
void RectCorners(double x, double y, double width, double height, int32_t angle, Pt out[4]);

// A text's drawn size: characters 6 x height high in cells 6 x width wide.
constexpr double kTextScale = 6.0;

// Bounding box in database units (empty until something is added).
struct Box {
    double x1 = 1, y1 = 1, x2 = 0, y2 = 0;
    bool Empty() const { return x1 > x2; }
    void Add(double x, double y)
    {
        if (Empty()) {
            x1 = x2 = x;
            y1 = y2 = y;
            return;
        }
        if (x < x1) x1 = x;
        if (x > x2) x2 = x;
        if (y < y1) y1 = y;
        if (y > y2) y2 = y;
    }
    void Add(const Box& b)
    {
        if (b.Empty()) return;
        Add(b.x1, b.y1);
        Add(b.x2, b.y2);
    }
    // Distance from a point to the box (0 inside).
    double Distance(double x, double y) const;
    // Distance(x, y) <= distance, without the square root where it can.
    bool Within(double x, double y, double distance) const;
};

Box FigureBox(const Figure& figure);
// Distance from a point to the figure: to its line, outline or arc; 0 inside
// a closed shape (polygon, circle, text box).
double FigureDistance(const Figure& figure, double x, double y);
double SegmentDistance(double px, double py, Pt a, Pt b);

// Writes a box into a caller's four Longs (rounded outwards); zeros when
// the box is empty.
void StoreRect(const Box& box, int32_t* rect);

}  // namespace kernel::draw
