// Graphic items: making texts and shapes, reading them relative to their
// owner or at their absolute place, and changing them. A new item floats
// (owned by the database) until OA_Add puts it into an array.
#include "platform/kernel/database.h"
#include "platform/kernel/nvokernel32.h"

#include <limits>

namespace kernel {

namespace {

constexpr int32_t kFirstKind = 1;
constexpr int32_t kLastKind = 6;

Item* ItemOf(int32_t handle)
{
    return ObjectAs<Item>(handle, Kind::Item);
}

// Layer and style are bytes: the low byte of the value given.
uint8_t LowByte(int32_t v)
{
    return static_cast<uint8_t>(v & 0xFF);
}

int32_t AddFloatingItem(std::unique_ptr<Item> item)
{
    Database* db = Db();
    return db ? db->AddFloating(std::move(item))->Handle() : 0;
}

}  // namespace

void FillRecord(const Item& item, ItemRec& record)
{
    record.Kind = item.itemKind;
    record.Flags = item.status;
    record.Link = item.link;
    record.X = item.x;
    record.Y = item.y;
    record.Layer = item.layer;
    record.Style = item.style;
    record.Reserved = 0;
    record.Width = item.width;
    record.Gap = item.gap;
    record.Angle = item.angle;
    record.P1 = item.p1;
    record.P2 = item.p2;
    record.P3 = item.p3;
    record.P4 = item.p4;
    record.Text = item.IsText() ? item.text.c_str() : nullptr;
}

int32_t Negated(int32_t v)
{
    return v == std::numeric_limits<int32_t>::min() ? std::numeric_limits<int32_t>::max() : -v;
}

// Moves a record read relative to its owner to where the placement puts
// it: the reference point is placed, line and triangle offsets turned; the
// rotation of texts and rectangles is negated when mirrored and turned
// (a mirrored rectangle then runs the other way along its first side); an
// arc's start is reflected with the points and its sweep changes sign.
void PlaceRecord(const Placement& p, ItemRec& r)
{
    const int32_t relX = r.X, relY = r.Y;
    p.Place(relX, relY, r.X, r.Y);
    switch (r.Kind) {
    case 1:  // line: the end as an offset from the start
        p.Turn(r.P1, r.P2, r.P1, r.P2);
        break;
    case 2:  // triangle: vertices B and C as offsets from A
        p.Turn(r.P1, r.P2, r.P1, r.P2);
        p.Turn(r.P3, r.P4, r.P3, r.P4);
        break;
    case 3:  // rectangle: a corner and its sizes along its own axes
        r.Angle = p.Rotation(r.Angle);
        if (p.mirrored) r.P1 = Negated(r.P1);
        break;
    case 5:  // arc: start angle and sweep
        r.P2 = p.Direction(r.P2);
        if (p.mirrored) r.P3 = Negated(r.P3);
        break;
    case 6:
        r.Angle = p.Rotation(r.Angle);
        break;
    default:  // circle: only its centre moves
        break;
    }
}

std::optional<Placement> ItemPlacement(const Item& item)
{
    if (Object* owner = OwnerOf(item)) {
        switch (owner->kind) {
        case Kind::Component: return PlacementOf(static_cast<const Component&>(*owner));
        case Kind::LayComp: return PlacementOf(static_cast<const LayComp&>(*owner));
        case Kind::Symbol:
        case Kind::PadStack: return PlacementFrame();
        default: break;
        }
    }
    return std::nullopt;
}

}  // namespace kernel

using namespace kernel;

int32_t I_MakeText(int32_t x, int32_t y, int32_t angle, int32_t height, int32_t width, const char* text,
                   int32_t flags, int32_t layer, int32_t width3) noexcept
{
    return Guard(0, [&]() -> int32_t {
        if (!ValidName(text) || !ValidCoord(x) || !ValidCoord(y)) return 0;
        auto item = std::make_unique<Item>();
        item->itemKind = 6;
        item->status = flags;
        item->x = x;
        item->y = y;
        item->angle = angle;
        item->p1 = height;
        item->p2 = width;
        item->text = text;
        item->layer = LowByte(layer);
        item->width = width3;
        return AddFloatingItem(std::move(item));
    });
}

int32_t I_MakeItem(const ItemRec* record) noexcept
{
    return Guard(0, [&]() -> int32_t {
        if (!record || record->Kind < kFirstKind || record->Kind > kLastKind) return 0;
        const bool isText = record->Kind == 6;
        if ((isText && !ValidName(record->Text)) || !ValidCoord(record->X) || !ValidCoord(record->Y)) return 0;
        auto item = std::make_unique<Item>();
        item->itemKind = record->Kind;
        item->status = record->Flags;
        item->link = record->Link;
        item->x = record->X;
        item->y = record->Y;
        item->layer = record->Layer;
        item->style = record->Style;
        item->width = record->Width;
        item->gap = record->Gap;
        item->angle = record->Angle;
        item->p1 = record->P1;
        item->p2 = record->P2;
        item->p3 = record->P3;
        item->p4 = record->P4;
        if (isText) item->text = record->Text;
        return AddFloatingItem(std::move(item));
    });
}

int32_t I_ReadItem(int32_t item, ItemRec* record) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Item* i = ItemOf(item);
        if (!i || !record) return 0;
        FillRecord(*i, *record);
        return 1;
    });
}

int32_t I_ReadItemAbs(int32_t item, ItemRec* record) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Item* i = ItemOf(item);
        if (!i || !record) return 0;
        ItemRec r;
        FillRecord(*i, r);
        if (const std::optional<Placement> placement = ItemPlacement(*i)) PlaceRecord(*placement, r);
        *record = r;
        return 1;
    });
}

int32_t I_ChangeItemXY(int32_t item, const ItemRec* record) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Item* i = ItemOf(item);
        if (!i || !record || !ValidCoord(record->X) || !ValidCoord(record->Y)) return 0;
        Touch(*i);
        i->x = record->X;
        i->y = record->Y;
        i->angle = record->Angle;
        // A shape's extent comes along; a text's size changes only through
        // I_ChangeTextSize and its string not at all.
        if (!i->IsText()) {
            i->p1 = record->P1;
            i->p2 = record->P2;
            i->p3 = record->P3;
            i->p4 = record->P4;
        }
        GeometryChanged(i);
        return 1;
    });
}

int32_t I_ChangeItemAttr(int32_t item, int32_t flags, int32_t layer, int32_t style, int32_t width) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Item* i = ItemOf(item);
        if (!i) return 0;
        Touch(*i);
        i->status = flags;  // the whole status word
        i->layer = LowByte(layer);
        i->style = LowByte(style);
        i->width = width;
        GeometryChanged(i);
        return 1;
    });
}

int32_t I_ChangeTextSize(int32_t item, int32_t height, int32_t width) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Item* i = ItemOf(item);
        if (!i || !i->IsText()) return 0;
        Touch(*i);
        i->p1 = height;
        i->p2 = width;
        GeometryChanged(i);
        return 1;
    });
}

int32_t I_ChangeItemLink(int32_t item, int32_t link) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Item* i = ItemOf(item);
        if (!i) return 0;
        Touch(*i);
        i->link = link;
        return 1;
    });
}

int32_t I_ChangeItemGap(int32_t item, int32_t gap) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Item* i = ItemOf(item);
        if (!i) return 0;
        Touch(*i);
        i->gap = gap;
        return 1;
    });
}

int32_t T_LayoutText(int32_t index) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Level* level = CurLevel();
        Object* item = level ? level->layoutTexts.At(index) : nullptr;
        return item ? item->Handle() : 0;
    });
}
