// Drawing contexts, the kernel-wide pen and its modes, colours, primitives,
// metafiles, the grid, coordinate conversions, thick pens and cursors.
//
// A context draws onto a device of winsys's registry; contexts form a stack
// and drawing goes to the one opened last. While a recording runs, every
// figure goes into it instead, resolved (colour and pen) and in database
// coordinates; playing a recording always inverts, so a second play
// restores the pixels.
#include "platform/kernel/draw_raster.h"

#include "platform/kernel/database.h"
#include "platform/kernel/nvokernel32.h"
#include "platform/kernel/registry.h"
#include "platform/kernel/systables.h"
#include "platform/kernel/testing.h"
#include "platform/winsys/devices.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QPaintEngine>

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <memory>
#include <utility>
#include <vector>

namespace kernel::draw {

int ThickPenCount();
int FreeThickPens(bool all, int width, QRgb shown);

namespace {

// ---- Contexts ------------------------------------------------------------------

struct Context {
    int32_t device = 0;
    ViewDCRec view{};
    DevicePainter* painter = nullptr;
    std::unique_ptr<RasterSink> sink;

    // A device dropped from the registry while the context was open may be
    // gone: its painter is not touched again.
    bool Alive() const { return winsys::FindDevice(device) != nullptr; }
};

struct Contexts {
    std::vector<std::unique_ptr<Context>> stack;
    std::map<int32_t, std::unique_ptr<DevicePainter>> painters;
};

// Lives for the whole process: a painter still open at exit must not be
// ended after its device and the application are gone.
Contexts& All()
{
    static auto* contexts = new Contexts;
    return *contexts;
}

Context* Current()
{
    auto& stack = All().stack;
    return stack.empty() ? nullptr : stack.back().get();
}

// The current context when its device is still there.
Context* Drawable()
{
    Context* c = Current();
    return c && c->Alive() ? c : nullptr;
}

// Lets go of a device's painter: the kernel's own ends, a borrowed one gets
// its state back when its document still has it open (`d`: the device, when
// known).
void EndPainter(DevicePainter& p, const winsys::Device* d = nullptr)
{
    if (!p.borrowed) {
        if (p.own.isActive()) p.own.end();
        return;
    }
    const bool stillOpen = !d || d->activePainter == p.painter;
    if (stillOpen && p.painter->isActive()) p.painter->restore();
}

// ---- Recording -------------------------------------------------------------------

struct Op {
    enum Kind : uint8_t { Line, Polygon, Circle, Arc, Text, Mark, Dot };
    Kind kind = Line;
    Paint paint;
    Pt p[4];
    int count = 0;
    int32_t radius = 0, start = 0, sweep = 0, angle = 0;
    int half = 0;
    double height = 0, cell = 0;
    std::string text;

    // The same figure with the same paint: played twice in XOR, it leaves
    // the pixels as they were.
    bool operator==(const Op&) const = default;
};

struct Metafile {
    std::vector<Op> ops;
};

class RecordSink : public Sink {
public:
    explicit RecordSink(Metafile& mf) : mf_(mf) {}
    void Line(const Paint& paint, Pt a, Pt b) override
    {
        Op& op = Add(Op::Line, paint);
        op.p[0] = a;
        op.p[1] = b;
        op.count = 2;
    }
    void Polygon(const Paint& paint, const Pt* points, int count) override
    {
        Op& op = Add(Op::Polygon, paint);
        op.count = std::min(count, 4);
        std::copy(points, points + op.count, op.p);
    }
    void Circle(const Paint& paint, Pt centre, int32_t radius) override
    {
        Op& op = Add(Op::Circle, paint);
        op.p[0] = centre;
        op.radius = radius;
    }
    void Arc(const Paint& paint, Pt centre, int32_t radius, int32_t start, int32_t sweep) override
    {
        Op& op = Add(Op::Arc, paint);
        op.p[0] = centre;
        op.radius = radius;
        op.start = start;
        op.sweep = sweep;
    }
    void Text(const Paint& paint, const TextFigure& text) override
    {
        Op& op = Add(Op::Text, paint);
        op.p[0] = text.origin;
        op.angle = text.angle;
        op.height = text.height;
        op.cell = text.cell;
        op.text.assign(text.text);
    }
    void Mark(const Paint& paint, Pt centre, int halfPx) override
    {
        Op& op = Add(Op::Mark, paint);
        op.p[0] = centre;
        op.half = halfPx;
    }
    void Dot(const Paint& paint, Pt centre, int32_t radius, int minRadiusPx) override
    {
        Op& op = Add(Op::Dot, paint);
        op.p[0] = centre;
        op.radius = radius;
        op.half = minRadiusPx;
    }

private:
    Op& Add(Op::Kind kind, const Paint& paint)
    {
        Op& op = mf_.ops.emplace_back();
        op.kind = kind;
        op.paint = paint;
        return op;
    }
    Metafile& mf_;
};

struct Recordings {
    std::unique_ptr<Metafile> running;
    std::unique_ptr<RecordSink> sink;
    std::map<int32_t, std::unique_ptr<Metafile>> closed;
    // A deleted recording kept with its storage for the next one: a preview
    // records and deletes one on every pointer move.
    std::unique_ptr<Metafile> spare;
};

Recordings& Records()
{
    static Recordings records;
    return records;
}

Metafile* FindMetafile(int32_t handle)
{
    auto& closed = Records().closed;
    auto it = closed.find(handle);
    if (it == closed.end()) return nullptr;
    // The registry says whether the handle is still the one given out.
    return Handles().Find(handle, HandleType::Other) == it->second.get() ? it->second.get() : nullptr;
}

void PlayOp(const Op& op, Sink& sink, bool invert)
{
    Paint paint = op.paint;
    if (invert) paint.xorMode = true;
    switch (op.kind) {
    case Op::Line: sink.Line(paint, op.p[0], op.p[1]); break;
    case Op::Polygon: sink.Polygon(paint, op.p, op.count); break;
    case Op::Circle: sink.Circle(paint, op.p[0], op.radius); break;
    case Op::Arc: sink.Arc(paint, op.p[0], op.radius, op.start, op.sweep); break;
    case Op::Text: sink.Text(paint, TextFigure{op.p[0], op.angle, op.height, op.cell, op.text}); break;
    case Op::Mark: sink.Mark(paint, op.p[0], op.half); break;
    case Op::Dot: sink.Dot(paint, op.p[0], op.radius, op.half); break;
    }
}

void Replay(const Metafile& mf, Sink& sink, bool invert)
{
    for (const Op& op : mf.ops) PlayOp(op, sink, invert);
}

// Erases one recording and plays another, both inverted, in one pass. XOR
// is its own inverse and its order does not matter, so a figure recorded
// alike at the same place in both is left alone: a preview's recordings
// follow the same course, so the figures that did not move line up.
void ReplayReplacing(const Metafile& before, const Metafile& after, Sink& sink)
{
    const size_t common = std::min(before.ops.size(), after.ops.size());
    for (size_t i = 0; i < common; ++i) {
        if (before.ops[i] == after.ops[i]) continue;
        PlayOp(before.ops[i], sink, true);
        PlayOp(after.ops[i], sink, true);
    }
    for (size_t i = common; i < before.ops.size(); ++i) PlayOp(before.ops[i], sink, true);
    for (size_t i = common; i < after.ops.size(); ++i) PlayOp(after.ops[i], sink, true);
}

// ---- Cursors -----------------------------------------------------------------------

std::map<int32_t, int>& Cursors()
{
    static std::map<int32_t, int> cursors;
    return cursors;
}

int32_t& LastCursorTarget()
{
    static int32_t target = 0;
    return target;
}

}  // namespace

// ---- Pen, colours and paints ------------------------------------------------------

PenState& Pen()
{
    static PenState pen;
    return pen;
}

QRgb PaletteColour(int32_t index)
{
    const SysTable* palette = Table(kPalette);
    const uint32_t v = static_cast<uint32_t>(palette->longs[static_cast<uint32_t>(index) & 0xFFu]);
    return qRgb(static_cast<int>(v & 0xFF), static_cast<int>((v >> 8) & 0xFF), static_cast<int>((v >> 16) & 0xFF));
}

QRgb CategoryColour(int category)
{
    if (category < 0 || category > 95) category = 0;
    return PaletteColour(Table(kCategories)->bytes[category]);
}

QRgb LayerColour(uint8_t layer, int defaultCategory)
{
    if (layer == 0) return CategoryColour(defaultCategory);
    if (layer < 96) return CategoryColour(layer);
    if (layer < 128) return CategoryColour(kCatCopper + layer - 96);
    return PaletteColour(layer);
}

QRgb Background()
{
    const Context* c = Current();
    return CategoryColour(c && (c->view.Flags & 4) ? kCatLayoutBackground : kCatBackground);
}

int WidthPixels(int32_t widthDb)
{
    // Without a context (a recording made with none open) there is no scale:
    // the thinnest pen.
    if (widthDb <= 0 || !Current()) return 1;
    return std::clamp(static_cast<int>(std::lround(widthDb / ViewSize())), 1, 64);
}

Paint PrimitivePaint()
{
    const PenState& pen = Pen();
    Paint p;
    p.background = Background();
    const bool erase = (pen.mode & kModeErase) != 0;
    p.colour = erase ? p.background : PaletteColour(pen.colour);
    p.xorMode = !erase && !(pen.mode & kModePrinter) && (pen.mode & (kModeMonoXor | kModeOverlay));
    p.filled = (pen.style & kStyleFilled) != 0;
    p.style = static_cast<uint8_t>(pen.style & 15) <= 4 ? static_cast<uint8_t>(pen.style & 15) : 0;
    p.widthPx = static_cast<int16_t>(std::clamp(pen.width, 1, 64));
    return p;
}

Paint ObjectPaint(QRgb own, int32_t widthDb, uint8_t style, bool wholePage)
{
    const int32_t mode = Pen().mode;
    Paint p;
    p.background = Background();
    if (mode & kModeErase)
        p.colour = p.background;
    else if (mode & kModeMonoXor)
        p.colour = PaletteColour(Pen().colour);
    else if (mode & (kModeMarked | kModeOverlay))
        p.colour = CategoryColour(kCatHighlight);
    else
        p.colour = own;
    p.xorMode = !(mode & kModeErase) && !(mode & kModePrinter) &&
                ((mode & kModeOverlay) || ((mode & kModeMonoXor) && !wholePage));
    p.filled = (style & kStyleFilled) != 0;
    p.style = (style & 15) <= 4 ? static_cast<uint8_t>(style & 15) : 0;
    p.widthPx = static_cast<int16_t>(WidthPixels(widthDb));
    return p;
}

// ---- Sinks ---------------------------------------------------------------------------

Sink* Out()
{
    Recordings& r = Records();
    if (r.sink) return r.sink.get();
    Context* c = Drawable();
    return c ? c->sink.get() : nullptr;
}

double ViewSize()
{
    const Context* c = Current();
    return c ? c->view.Size : 1.0;
}

bool Printing()
{
    const Context* c = Current();
    return (Pen().mode & kModePrinter) || (c && c->painter->printer);
}

void FlushOut()
{
    if (Context* c = Drawable()) c->sink->Flush();
}

RasterSink* CurrentRaster()
{
    Context* c = Drawable();
    return c ? c->sink.get() : nullptr;
}

RasterSink* RasterOn(int32_t device)
{
    auto& stack = All().stack;
    for (auto it = stack.rbegin(); it != stack.rend(); ++it)
        if ((*it)->device == device) return (*it)->Alive() ? (*it)->sink.get() : nullptr;
    return nullptr;
}

bool Recording()
{
    return Records().running != nullptr;
}

}  // namespace kernel::draw

using namespace kernel;
using namespace kernel::draw;

// ---- Contexts -------------------------------------------------------------------

int32_t G_OpenDC(int32_t device, const ViewDCRec* view) noexcept
{
    return Guard(0, [&]() -> int32_t {
        winsys::Device* d = winsys::FindDevice(device);
        if (!d || !d->surface || !view) return 0;
        constexpr int32_t kMaxPixels = 1 << 20;
        if (view->Size < 1 || view->Width < 1 || view->Height < 1 || view->Width > kMaxPixels ||
            view->Height > kMaxPixels)
            return 0;
        Contexts& all = All();
        static const bool dropHookSet = [] {
            // A device that goes while contexts are open on it: its painter
            // ends now, while the surface still exists; the contexts stay
            // until closed but draw nothing.
            winsys::SetDeviceDropHook([](int32_t handle) {
                auto it = All().painters.find(handle);
                if (it != All().painters.end()) EndPainter(*it->second);
            });
            return true;
        }();
        (void)dropHookSet;
        auto& slot = all.painters[device];
        if (!slot) {
            auto painter = std::make_unique<DevicePainter>();
            if (d->activePainter) {
                // A document is open on the device: draw with its painter,
                // which only the document may end.
                if (!d->activePainter->isActive()) {
                    all.painters.erase(device);
                    return 0;
                }
                painter->painter = d->activePainter;
                painter->borrowed = true;
                painter->painter->save();
            } else if (!painter->own.begin(d->surface)) {
                all.painters.erase(device);
                return 0;
            }
            painter->painter->setRenderHint(QPainter::Antialiasing, false);
            painter->painter->setRenderHint(QPainter::TextAntialiasing, false);
            painter->printer = d->kind == winsys::DeviceKind::Printer;
            const QPaintEngine* engine = painter->painter->paintEngine();
            painter->document = engine && engine->type() == QPaintEngine::Pdf;
            painter->width = d->surface->width();
            painter->height = d->surface->height();
            painter->partOnly = d->partOnly;
            if (d->partOnly)
                painter->part = QRect(d->part.x, d->part.y, d->part.width, d->part.height) &
                                QRect(0, 0, painter->width, painter->height);
            if (!painter->borrowed && !painter->printer && d->image && d->image == d->surface &&
                d->image->format() == QImage::Format_RGB32)
                painter->image = d->image;
            slot = std::move(painter);
        }
        auto context = std::make_unique<Context>();
        context->device = device;
        context->view = *view;
        context->painter = slot.get();
        context->sink = std::make_unique<RasterSink>(*slot, context->view);
        ++slot->contexts;
        ++d->openContexts;
        all.stack.push_back(std::move(context));
        return 1;
    });
}

int32_t G_CloseDC() noexcept
{
    return Guard(0, [&]() -> int32_t {
        Contexts& all = All();
        if (all.stack.empty()) return 0;
        std::unique_ptr<Context> context = std::move(all.stack.back());
        all.stack.pop_back();
        winsys::Device* d = winsys::FindDevice(context->device);
        if (d) context->sink->Flush();
        else context->sink->Abandon();
        context->sink.reset();
        if (d && d->openContexts > 0) --d->openContexts;
        DevicePainter* painter = context->painter;
        if (--painter->contexts > 0) return 1;
        if (!d) {
            // The device was dropped with the context open; its painter was
            // ended then, before the surface went.
            all.painters.erase(context->device);
            return 1;
        }
        EndPainter(*painter, d);
        const QRect dirty = painter->dirty;
        if (!painter->plainDirty.isEmpty()) {
            QRect plain = painter->plainDirty;
            if (d->plainDrawn.width > 0 && d->plainDrawn.height > 0)
                plain |= QRect(d->plainDrawn.x, d->plainDrawn.y, d->plainDrawn.width, d->plainDrawn.height);
            d->plainDrawn = {plain.x(), plain.y(), plain.width(), plain.height()};
        }
        all.painters.erase(context->device);
        if (d && d->onDrawn && !dirty.isEmpty()) {
            // The callback may register or drop devices: call a copy.
            const auto onDrawn = d->onDrawn;
            onDrawn(dirty.x(), dirty.y(), dirty.width(), dirty.height());
        }
        return 1;
    });
}

int32_t G_GetDC() noexcept
{
    return Guard(0, [&]() -> int32_t {
        const auto& stack = All().stack;
        return stack.empty() ? 0 : stack.back()->device;
    });
}

int32_t G_DPtoLP(int32_t* point) noexcept
{
    return Guard(0, [&]() -> int32_t {
        RasterSink* r = CurrentRaster();
        if (!r || !point) return 0;
        const double x = r->UnmapX(point[0]), y = r->UnmapY(point[1]);
        point[0] = ClampCoord(x);
        point[1] = ClampCoord(y);
        return 1;
    });
}

int32_t G_LPtoDP(int32_t* point) noexcept
{
    return Guard(0, [&]() -> int32_t {
        RasterSink* r = CurrentRaster();
        if (!r || !point) return 0;
        const double x = r->MapX(point[0]), y = r->MapY(point[1]);
        point[0] = ClampCoord(std::floor(x + 0.5));
        point[1] = ClampCoord(std::floor(y + 0.5));
        return 1;
    });
}

// ---- Placement frame and angles ----------------------------------------------------

int32_t S_SetCompLocation(int32_t x, int32_t y, int32_t angle, int32_t mirror) noexcept
{
    return Guard(0, [&]() -> int32_t {
        if (!ValidCoord(x) || !ValidCoord(y)) return 0;
        PlacementFrame() = Placement{x, y, NormalAngle(angle), mirror != 0};
        return 1;
    });
}

int32_t I_LPtoAP(int32_t* point) noexcept
{
    return Guard(0, [&]() -> int32_t {
        if (!point) return 0;
        PlacementFrame().Place(point[0], point[1], point[0], point[1]);
        return 1;
    });
}

int32_t I_APtoLP(int32_t* point) noexcept
{
    return Guard(0, [&]() -> int32_t {
        if (!point) return 0;
        const Placement& f = PlacementFrame();
        const double dx = static_cast<double>(point[0]) - f.x, dy = static_cast<double>(point[1]) - f.y;
        // Turned back, then mirrored back: the exact inverse of Place.
        double c, s;
        CosSin(f.angle, c, s);
        double ux = dx * c + dy * s;
        const double uy = -dx * s + dy * c;
        if (f.mirrored) ux = -ux;
        point[0] = ClampCoord(ux);
        point[1] = ClampCoord(uy);
        return 1;
    });
}

int32_t G_AngleAdj(int32_t angle) noexcept
{
    return NormalAngle(angle);
}

int32_t G_ArcNormalize(int32_t* start, int32_t* sweep) noexcept
{
    return Guard(0, [&]() -> int32_t {
        if (!start || !sweep) return 0;
        int64_t s = *start, w = *sweep;
        if (w < 0) {
            s += w;
            w = -w;
        }
        if (w > 360000) w = 360000;
        *start = NormalAngle(s);
        *sweep = static_cast<int32_t>(w);
        return 1;
    });
}

// ---- Pen ---------------------------------------------------------------------------

int32_t G_SetDrawMode(int32_t mode) noexcept
{
    return std::exchange(Pen().mode, mode);
}

int32_t G_SetColor(int32_t colour) noexcept
{
    return std::exchange(Pen().colour, colour & 0xFF);
}

int32_t G_SetStyle(int32_t style) noexcept
{
    const int32_t line = style & 15;
    return std::exchange(Pen().style, (style & kStyleFilled) | (line <= 4 ? line : 0));
}

int32_t G_SetWidth(int32_t width) noexcept
{
    return std::exchange(Pen().width, std::clamp(width, 1, 64));
}

int32_t G_GetThickPens() noexcept
{
    return Guard(0, [&]() -> int32_t { return ThickPenCount(); });
}

int32_t G_FreeThickPen(int32_t width, int32_t colour) noexcept
{
    return Guard(0, [&]() -> int32_t {
        // A context's painter may still hold a pen it was given; it keeps its
        // own copy, so freeing here is safe at any time.
        return FreeThickPens(width == 0 && colour == 0, width, PaletteColour(colour));
    });
}

int32_t G_SelectCur(int32_t kind) noexcept
{
    return Guard(0, [&]() -> int32_t {
        if (kind < 1 || kind > 6) return 0;
        // The registry gives the handle value; the table says what it is.
        const int32_t handle = Handles().Add(HandleType::Other, &LastCursorTarget());
        Cursors()[handle] = kind;
        return handle;
    });
}

int32_t G_DelCur(int32_t cursor) noexcept
{
    return Guard(0, [&]() -> int32_t {
        auto& cursors = Cursors();
        auto it = cursors.find(cursor);
        if (it != cursors.end()) {
            Handles().Remove(cursor);
            cursors.erase(it);
        }
        return 0;
    });
}

// ---- Primitives --------------------------------------------------------------------

int32_t G_Line(int32_t x1, int32_t y1, int32_t x2, int32_t y2) noexcept
{
    return Guard(0, [&]() -> int32_t {
        FlushGuard flush;
        Pen().curX = x2;
        Pen().curY = y2;
        Sink* out = Out();
        if (!out) return 0;
        out->Line(PrimitivePaint(), Pt{x1, y1}, Pt{x2, y2});
        return 1;
    });
}

int32_t G_MoveTo(int32_t x, int32_t y) noexcept
{
    Pen().curX = x;
    Pen().curY = y;
    return 1;
}

int32_t G_LineTo(int32_t x, int32_t y) noexcept
{
    return G_Line(Pen().curX, Pen().curY, x, y);
}

int32_t G_Circle(int32_t x, int32_t y, int32_t radius) noexcept
{
    return Guard(0, [&]() -> int32_t {
        FlushGuard flush;
        Sink* out = Out();
        if (!out || radius < 0) return 0;
        out->Circle(PrimitivePaint(), Pt{x, y}, radius);
        return 1;
    });
}

int32_t G_Triangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3) noexcept
{
    return Guard(0, [&]() -> int32_t {
        FlushGuard flush;
        Sink* out = Out();
        if (!out) return 0;
        const Pt points[3] = {{x1, y1}, {x2, y2}, {x3, y3}};
        out->Polygon(PrimitivePaint(), points, 3);
        return 1;
    });
}

int32_t G_Rectangle(int32_t x, int32_t y, int32_t width, int32_t height, int32_t angle) noexcept
{
    return Guard(0, [&]() -> int32_t {
        FlushGuard flush;
        Sink* out = Out();
        if (!out) return 0;
        Pt corners[4];
        RectCorners(x, y, width, height, angle, corners);
        out->Polygon(PrimitivePaint(), corners, 4);
        return 1;
    });
}

int32_t G_GetTextSize(int32_t height, int32_t width, int32_t count, int32_t* extent) noexcept
{
    return Guard(0, [&]() -> int32_t {
        if (!extent || count < 0) return 0;
        extent[0] = ClampCoord(kTextScale * width * count);
        extent[1] = ClampCoord(kTextScale * height);
        return 1;
    });
}

int32_t G_DrawGrid(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t step, int32_t) noexcept
{
    return Guard(0, [&]() -> int32_t {
        RasterSink* r = CurrentRaster();
        if (!r || step < 1) return 0;
        // The smallest of step x 1, 2, 5, 10, 20, 50 ... at least 5 pixels apart.
        constexpr double kMinSpacing = 5.0;
        const int factors[3] = {1, 2, 5};
        double drawn = step;
        for (double decade = 1; decade < 1e12; decade *= 10) {
            bool found = false;
            for (int f : factors) {
                drawn = static_cast<double>(step) * f * decade;
                if (drawn / r->size() >= kMinSpacing) {
                    found = true;
                    break;
                }
            }
            if (found) break;
        }
        if (drawn > std::numeric_limits<int32_t>::max()) return 0;
        const int32_t result = static_cast<int32_t>(drawn);
        if (Recording()) return result;
        // The device rectangle, within the device: the points whose rows
        // and columns lie in its span, at the pixels they round to inside it.
        const int x1 = std::max(0, std::min(left, right)), x2 = std::min(r->deviceWidth(), std::max(left, right));
        const int y1 = std::max(0, std::min(top, bottom)), y2 = std::min(r->deviceHeight(), std::max(top, bottom));
        if (x1 >= x2 || y1 >= y2) return result;
        const double dbLeft = r->UnmapX(x1), dbRight = r->UnmapX(x2);
        const double dbTop = r->UnmapY(y1), dbBottom = r->UnmapY(y2);
        // Of those, the ones in the part of the device drawn anew: the same
        // points as the whole grid has there (each point's place is worked
        // out on its own, at a whole multiple of the step), looked for a
        // pixel beyond the part so that none that rounds into it is missed.
        const QRect part = r->PartPixels() & QRect(QPoint(x1, y1), QPoint(x2 - 1, y2 - 1));
        if (part.isEmpty()) return result;
        const double firstRow = std::max(std::ceil(dbBottom / drawn), std::floor(r->UnmapY(part.bottom() + 2) / drawn));
        const double lastY = std::min(dbTop, r->UnmapY(part.top() - 1));
        const double firstColumn = std::max(std::ceil(dbLeft / drawn), std::floor(r->UnmapX(part.left() - 1) / drawn));
        const double lastX = std::min(dbRight, r->UnmapX(part.right() + 2));
        std::vector<QPoint> points;
        for (double gy = firstRow * drawn; gy <= lastY; gy += drawn) {
            const int py = static_cast<int>(std::floor(r->MapY(gy) + 0.5));
            if (py < part.top() || py > part.bottom()) continue;
            for (double gx = firstColumn * drawn; gx <= lastX; gx += drawn) {
                const int px = static_cast<int>(std::floor(r->MapX(gx) + 0.5));
                if (px >= part.left() && px <= part.right()) points.emplace_back(px, py);
            }
        }
        Paint paint;
        paint.background = Background();
        paint.colour = CategoryColour(kCatGrid);
        paint.xorMode = true;
        r->Points(paint, points);
        r->Flush();
        return result;
    });
}

int32_t G_CopyScreen(int32_t device, int32_t left, int32_t top, int32_t right, int32_t bottom) noexcept
{
    return Guard(0, [&]() -> int32_t {
        winsys::Device* d = winsys::FindDevice(device);
        if (!d || !d->image || !qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return 0;
        if (RasterSink* r = RasterOn(device)) r->Flush();
        const QRect rect = QRect(QPoint(std::min(left, right), std::min(top, bottom)),
                                 QPoint(std::max(left, right) - 1, std::max(top, bottom) - 1)) &
                           d->image->rect();
        if (rect.isEmpty()) return 0;
        QGuiApplication::clipboard()->setImage(d->image->copy(rect));
        return 1;
    });
}

// ---- Metafiles ---------------------------------------------------------------------

int32_t G_OpenMF(int32_t) noexcept
{
    return Guard(0, [&]() -> int32_t {
        FlushOut();
        Recordings& r = Records();
        r.sink.reset();
        if (r.spare) {
            r.running = std::move(r.spare);
            r.running->ops.clear();
        } else {
            r.running = std::make_unique<Metafile>();
        }
        r.sink = std::make_unique<RecordSink>(*r.running);
        return 1;
    });
}

int32_t G_CloseMF() noexcept
{
    return Guard(0, [&]() -> int32_t {
        Recordings& r = Records();
        if (!r.running) return 0;
        r.sink.reset();
        Metafile* mf = r.running.get();
        const int32_t handle = Handles().Add(HandleType::Other, mf);
        r.closed[handle] = std::move(r.running);
        return handle;
    });
}

int32_t G_PlayEnhMetaFile(int32_t device, int32_t metafile) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Metafile* mf = FindMetafile(metafile);
        if (!mf) return 0;
        Recordings& r = Records();
        if (r.sink) {
            Replay(*mf, *r.sink, true);
            return 1;
        }
        RasterSink* target = RasterOn(device);
        if (!target) return 0;
        Replay(*mf, *target, true);
        target->Flush();
        return 1;
    });
}

int32_t G_ReplaceEnhMetaFile(int32_t device, int32_t before, int32_t after) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Metafile* old = FindMetafile(before);
        Metafile* now = FindMetafile(after);
        if (!old || !now) return 0;
        Recordings& r = Records();
        if (r.sink) {
            ReplayReplacing(*old, *now, *r.sink);
            return 1;
        }
        RasterSink* target = RasterOn(device);
        if (!target) return 0;
        ReplayReplacing(*old, *now, *target);
        target->Flush();
        return 1;
    });
}

const char* KT_MetafileText(int32_t metafile, int32_t index) noexcept
{
    const Metafile* mf = FindMetafile(metafile);
    if (!mf || index < 0) return nullptr;
    for (const Op& op : mf->ops)
        if (op.kind == Op::Text && index-- == 0) return op.text.c_str();
    return nullptr;
}

int32_t G_DeleteEnhMetaFile(int32_t metafile) noexcept
{
    return Guard(0, [&]() -> int32_t {
        if (!FindMetafile(metafile)) return 0;
        Handles().Remove(metafile);
        Recordings& r = Records();
        auto it = r.closed.find(metafile);
        if (!r.spare) r.spare = std::move(it->second);
        r.closed.erase(it);
        return 1;
    });
}
