#include "tests/tools/symbol_picture.h"

#include "platform/kernel/nvokernel32.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QTransform>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace palvane_test {

namespace {

constexpr double kUnitsPerMil = 2540.0;
constexpr int kMargin = 24;

struct Item {
    ItemRec rec{};
    std::string text;
};

std::vector<Item> ReadItems(int32_t array)
{
    std::vector<Item> out;
    for (int32_t i = 1; i <= OA_GetCount(array); ++i) {
        Item it;
        if (I_ReadItem(OA_Object(array, i), &it.rec) != 1) continue;
        if (it.rec.Kind == 6 && it.rec.Text) it.text = it.rec.Text;
        it.rec.Text = nullptr;
        out.push_back(it);
    }
    return out;
}

// A placement: mirror x, turn counter-clockwise, move (as the kernel's).
struct Place {
    double x = 0, y = 0;
    int32_t angle = 0;
    bool mirror = false;

    QTransform Transform() const
    {
        QTransform t;
        t.translate(x, y);
        t.rotate(angle / 1000.0);
        if (mirror) t.scale(-1, 1);
        return t;
    }
};

// Item outlines in database units.
QPainterPath Outline(const ItemRec& r)
{
    QPainterPath p;
    const double x = r.X, y = r.Y;
    switch (r.Kind) {
    case 1:
        p.moveTo(x, y);
        p.lineTo(x + r.P1, y + r.P2);
        break;
    case 2:
        p.moveTo(x, y);
        p.lineTo(x + r.P1, y + r.P2);
        p.lineTo(x + r.P3, y + r.P4);
        p.closeSubpath();
        break;
    case 3: {
        QTransform t;
        t.translate(x, y);
        t.rotate(r.Angle / 1000.0);
        QPainterPath box;
        box.addRect(QRectF(0, 0, r.P1, r.P2).normalized());
        p = t.map(box);
        break;
    }
    case 4:
        p.addEllipse(QPointF(x, y), r.P1, r.P1);
        break;
    case 5: {
        const int steps = 64;
        for (int i = 0; i <= steps; ++i) {
            const double a = (r.P2 + r.P3 * static_cast<double>(i) / steps) / 1000.0 * M_PI / 180.0;
            const QPointF q(x + r.P1 * std::cos(a), y + r.P1 * std::sin(a));
            if (i == 0) {
                p.moveTo(q);
            } else {
                p.lineTo(q);
            }
        }
        break;
    }
    }
    return p;
}

class Canvas {
public:
    Canvas(QRectF bounds, double pixelsPerMil) : s_(pixelsPerMil / kUnitsPerMil)
    {
        const int w = static_cast<int>(std::ceil(bounds.width() * s_)) + 2 * kMargin;
        const int h = static_cast<int>(std::ceil(bounds.height() * s_)) + 2 * kMargin;
        image_ = QImage(w, h, QImage::Format_RGB32);
        image_.fill(Qt::white);
        view_.translate(kMargin, kMargin);
        view_.scale(s_, -s_);
        view_.translate(-bounds.left(), -bounds.bottom());
        g_.begin(&image_);
        g_.setRenderHint(QPainter::Antialiasing, true);
    }

    QImage Finish()
    {
        g_.end();
        return image_;
    }

    void Draw(const Item& it, const Place& place, const QColor& ink = Qt::black, bool fill = false)
    {
        const ItemRec& r = it.rec;
        const QTransform t = place.Transform() * view_;
        if (r.Kind == 6) {
            if (r.P1 <= 0) return;
            const QPointF at = t.map(QPointF(r.X, r.Y));
            const double angle = (place.mirror ? -r.Angle : r.Angle) / 1000.0 + place.angle / 1000.0;
            QFont font("DejaVu Sans");
            font.setPixelSize(std::max(1, static_cast<int>(std::lround(6.0 * r.P1 * s_))));
            g_.save();
            g_.setFont(font);
            g_.setPen(ink);
            g_.translate(at);
            g_.rotate(-angle);
            g_.drawText(QPointF(0, 0), QString::fromLatin1(it.text.c_str()));
            g_.restore();
            return;
        }
        QPen pen(ink, std::max(1.0, r.Width * s_), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        g_.setPen(pen);
        g_.setBrush(fill || r.Style == 16 ? QBrush(ink) : Qt::NoBrush);
        g_.drawPath(t.map(Outline(r)));
    }

    QPointF Map(double x, double y) const { return view_.map(QPointF(x, y)); }
    QPainter& painter() { return g_; }
    double scale() const { return s_; }

private:
    double s_;
    QImage image_;
    QTransform view_;
    QPainter g_;
};

void AddBounds(QRectF& b, const QRectF& r)
{
    b = b.isNull() ? r : b.united(r);
}

QRectF ItemBounds(const Item& it, const Place& place)
{
    if (it.rec.Kind == 6) {
        const double w = 6.0 * it.rec.P2 * static_cast<double>(it.text.size()), h = 6.0 * it.rec.P1;
        return place.Transform().mapRect(QRectF(it.rec.X, it.rec.Y, w + 1, h + 1));
    }
    return place.Transform().map(Outline(it.rec)).boundingRect().adjusted(-1, -1, 1, 1);
}

}  // namespace

QImage SymbolPicture(int32_t symbol, double pixelsPerMil)
{
    SymbRec sym{};
    if (S_ReadSymbol(symbol, &sym) != 1) return {};
    const std::vector<Item> items = ReadItems(S_SymbolItemArray(symbol));
    struct Pad {
        Item item;
        Place at;
        int32_t hole = 0;
    };
    std::vector<EntryRec> entries;
    std::vector<Pad> pads;
    QRectF bounds;
    for (int32_t e = 1; e <= sym.Entries; ++e) {
        EntryRec rec{};
        if (S_ReadEntry(symbol, e, &rec) != 1) continue;
        entries.push_back(rec);
        AddBounds(bounds, QRectF(rec.X - 1, rec.Y - 1, 2, 2));
        if (!(sym.Flags & 2)) continue;
        const int32_t stack = OM_Object(S_SymbolPadStackMap(symbol), rec.KeyOrTextX);
        PadStackRec ps{};
        if (!stack || S_ReadPadStack(stack, &ps) != 1) continue;
        const std::vector<Item> padItems = ReadItems(S_PadStackItemArray(stack));
        // The first layer's pad shows the stack.
        if (!padItems.empty()) pads.push_back({padItems.front(), Place{double(rec.X), double(rec.Y)}, ps.Hole});
    }
    for (const Item& it : items) AddBounds(bounds, ItemBounds(it, {}));
    for (const Pad& p : pads) AddBounds(bounds, ItemBounds(p.item, p.at));
    if (bounds.isNull()) return {};

    Canvas c(bounds, pixelsPerMil);
    for (const Pad& p : pads) {
        c.Draw(p.item, p.at, QColor(150, 150, 150), true);
        if (p.hole > 0) {
            c.painter().setPen(Qt::NoPen);
            c.painter().setBrush(Qt::white);
            c.painter().drawEllipse(c.Map(p.at.x, p.at.y), p.hole / 2.0 * c.scale(), p.hole / 2.0 * c.scale());
        }
    }
    for (const Item& it : items) c.Draw(it, {});
    for (const EntryRec& e : entries) {
        c.painter().setPen(QPen(Qt::red, 1));
        c.painter().setBrush(Qt::NoBrush);
        c.painter().drawEllipse(c.Map(e.X, e.Y), 4, 4);
        if (!(sym.Flags & 2) && (e.Flags & 2)) {
            c.painter().setPen(Qt::NoPen);
            c.painter().setBrush(Qt::blue);
            c.painter().drawEllipse(c.Map(e.X + e.KeyOrTextX, e.Y + e.TextY), 2, 2);
        }
    }
    return c.Finish();
}

QImage PagePicture(int32_t page, double pixelsPerMil, bool wholePage)
{
    struct Comp {
        Place at;
        std::vector<Item> symbolItems;
        std::vector<Item> texts;
    };
    struct Wire {
        std::vector<QPointF> points;
        std::vector<Item> texts;
        bool bus = false;
    };
    std::vector<Comp> comps;
    std::vector<Wire> wires;
    std::vector<QPointF> dots;
    QRectF bounds;

    int32_t cursor = OM_GetFirst(DB_SchCompMap());
    while (int32_t id = OM_SearchMask(DB_SchCompMap(), &cursor, 0, 0)) {
        CompRec r{};
        if (C_ReadComponent(id, &r) != 1 || r.Page != page) continue;
        Comp c{{double(r.X), double(r.Y), r.Angle, (r.Flags & 2) != 0},
               ReadItems(S_SymbolItemArray(r.Symb)),
               ReadItems(C_CompTextArray(id))};
        for (const Item& it : c.symbolItems) AddBounds(bounds, ItemBounds(it, c.at));
        comps.push_back(std::move(c));
    }
    const int32_t frame = -100 - page;
    std::vector<int32_t> branches;
    BranchRec fr{};
    if (B_ReadBranch(frame, &fr) == 1) branches.push_back(frame);
    cursor = OM_GetFirst(DB_BranchMap());
    while (int32_t id = OM_SearchMask(DB_BranchMap(), &cursor, 0, 0)) branches.push_back(id);
    QRectF frameBounds;
    for (int32_t b : branches) {
        BranchRec br{};
        if (B_ReadBranch(b, &br) != 1 || br.Page != page) continue;
        Wire w;
        w.bus = (br.Flags & 2) != 0;
        for (int32_t i = 1; i <= br.Points; ++i) {
            BranchPointRec pr{};
            if (B_ReadRecord(b, i, &pr) != 1) continue;
            w.points.emplace_back(pr.X, pr.Y);
            AddBounds(b == frame ? frameBounds : bounds, QRectF(pr.X - 1, pr.Y - 1, 2, 2));
        }
        w.texts = ReadItems(B_BranchTextArray(b));
        wires.push_back(std::move(w));
    }
    cursor = OM_GetFirst(DB_JunctMap());
    while (int32_t id = OM_SearchMask(DB_JunctMap(), &cursor, 0, 0)) {
        JunctionRec jr{};
        if (J_ReadJunction(id, &jr) == 1 && jr.Page == page && (jr.Flags & 8)) dots.emplace_back(jr.X, jr.Y);
    }
    const std::vector<Item> notes = ReadItems(S_SymbolItemArray(-((DB_CurHier() + 9) * 100 + page)));
    for (const Item& it : notes) AddBounds(bounds, ItemBounds(it, {}));
    if (wholePage && !frameBounds.isNull()) bounds = frameBounds;
    if (bounds.isNull()) return {};

    Canvas c(bounds, pixelsPerMil);
    for (const Wire& w : wires) {
        c.painter().setPen(QPen(w.bus ? QColor(0, 0, 160) : QColor(0, 110, 0), w.bus ? 3 : 1.5));
        for (size_t i = 1; i < w.points.size(); ++i)
            c.painter().drawLine(c.Map(w.points[i - 1].x(), w.points[i - 1].y()), c.Map(w.points[i].x(), w.points[i].y()));
        for (const Item& t : w.texts) c.Draw(t, {}, QColor(0, 110, 0));
    }
    c.painter().setPen(Qt::NoPen);
    c.painter().setBrush(QColor(0, 110, 0));
    for (const QPointF& d : dots) c.painter().drawEllipse(c.Map(d.x(), d.y()), 3.5, 3.5);
    for (const Comp& comp : comps) {
        for (const Item& it : comp.symbolItems)
            if (!(it.rec.Kind == 6 && (it.rec.Flags & 62))) c.Draw(it, comp.at);
        for (const Item& t : comp.texts) c.Draw(t, comp.at, QColor(120, 0, 0));
    }
    for (const Item& it : notes) c.Draw(it, {}, QColor(60, 60, 60));
    return c.Finish();
}

}  // namespace palvane_test
