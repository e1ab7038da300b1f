// The graphic items of the notes drawing: deleting, copying and moving the
// items inside the selection rectangle, making a new item from the option
// panel and the point markers, taking the current attributes into the
// picked item, and taking the highlight off it.
//
// A copy or move works out every transformed item before it writes one:
// when one of them would leave the drawing area nothing is changed (a beep
// and a word in the message line). A delete, copy or move the kernel
// refuses part of is taken back whole.
#include "editor/shell/design_change.h"
#include "editor/objects/owner_items.h"
#include "editor/objects/symbol_items.h"
#include "editor/objects/view_values.h"
#include "editor/shell/dlgservices.h"
#include "editor/shell/errors.h"
#include "editor/shell/geometry.h"
#include "editor/shell/ribbon.h"
#include "editor/shell/msgtext.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/schmain.h"
#include "editor/shell/scope_guard.h"
#include "editor/shell/settings.h"
#include "editor/shell/systables.h"
#include "editor/shell/textnum.h"
#include "editor/view/display_menus.h"
#include "editor/view/marks.h"
#include "editor/view/view_state.h"
#include "platform/winsys/interaction.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <initializer_list>
#include <string>
#include <vector>

namespace {

constexpr int32_t kDrawn = 1;
constexpr int32_t kPicked = 256;

enum Kind { kLine = 1, kTriangle = 2, kRectangle = 3, kCircle = 4, kArc = 5, kText = 6 };

int32_t ItemArray() { return S_SymbolItemArray(g_CurSymb); }

bool Within(std::initializer_list<int64_t> values)
{
    for (int64_t v : values)
        if (std::llabs(v) > kCoordLimit) return false;
    return true;
}

// One item taken by a copy or move, as it will be written.
struct Planned {
    int32_t index = 0;
    int32_t kind = 0;
    ItemRec item{};
    ItemRec text{};
    std::string string;
};

// Index order over the drawn items whose frame lies wholly in the selection
// rectangle; `take` gets each one after it was read.
template <typename F>
void ForEachItemInRect(SCHMAIN& m, F take)
{
    const int32_t array = ItemArray();
    const auto& r = g_SelRect;
    // Border points count; a frame one unit beyond it does not.
    auto inside = [&](int32_t x, int32_t y) { return DB_CoverRectangle(x, y, 0, r.X1, r.Y1, r.X2, r.Y2) != 0; };
    for (int32_t k = OA_SearchMask(array, 1, kDrawn); k != 0; k = OA_SearchMask(array, k + 1, kDrawn)) {
        g_SymbItemType = 0;
        int32_t status = 1, kind = 0;
        ReadSymbItem(status, g_CurSymb, k, g_SymbItemText, kind);
        if (status != 0) continue;
        g_SymbItemIdx = k;
        g_SymbItemType = kind;
        int32_t x1 = 0, y1 = 0, x2 = 0, y2 = 0;
        m.FrameSymbolItem(g_CurSymb, k, x1, y1, x2, y2);
        if (inside(x1, y1) && inside(x2, y2)) take(k);
    }
}

// Transforms the current item by the command's base point, angle and
// displacement into `plan`; false when a result leaves the drawing area.
bool PlanTransform(SCHMAIN& m, std::vector<Planned>& plan, int32_t index)
{
    Planned p;
    p.index = index;
    p.kind = g_SymbItemType;
    p.string = g_SymbItemText;
    p.text = g_SymbText;
    try {
        m.RotateItemPoints();
    } catch (const RuntimeError&) {
        return false;
    }
    // The transform checks the reference point; the other corners too.
    const ItemRec& it = g_SymbItem;
    const int64_t x = it.X, y = it.Y;
    switch (it.Kind) {
    case kLine:
    case kRectangle:
        if (!Within({x + it.P1, y + it.P2})) return false;
        break;
    case kTriangle:
        if (!Within({x + it.P1, y + it.P2, x + it.P3, y + it.P4})) return false;
        break;
    case kCircle:
    case kArc:
        if (!Within({x + it.P1, x - it.P1, y + it.P1, y - it.P1})) return false;
        break;
    default: break;
    }
    p.item = g_SymbItem;
    plan.push_back(p);
    return true;
}

}  // namespace

void SCHMAIN::DeleteSelectedItems(bool& useRect)
{
    DesignChange change;
    const int32_t array = ItemArray();
    if (!useRect) {
        OA_MaskAll(array, kPicked, kPicked);
    } else {
        OA_MaskAll(array, 0, kPicked);
        bool any = false;
        OpenCanvasDC();
        {
            auto close = OnExit([this] { CloseCanvasDC(); });
            ForEachItemInRect(*this, [&](int32_t k) {
                EraseOwnerItem(kOwnerSymbol, 0, g_CurSymb, k);
                O_Mask(S_SymbolItem(g_CurSymb, k), kPicked, kPicked);
                any = true;
            });
        }
        if (!any) return;
        if (!AskYesNo(GetMsgText("Delete Selected items", "99528"))) {
            OpenCanvasDC();
            auto close = OnExit([this] { CloseCanvasDC(); });
            for (int32_t k = OA_SearchMask(array, 1, kPicked); k != 0; k = OA_SearchMask(array, k + 1, kPicked))
                DrawOwnerItem(kOwnerSymbol, g_CurSymb, k);
            OA_MaskAll(array, 0, kPicked);
            return;
        }
    }
    // The array closes up after each deletion: search again from there.
    for (int32_t k = OA_SearchMask(array, 1, kPicked); k != 0; k = OA_SearchMask(array, k, kPicked)) {
        int32_t status = 1, kind = 0;
        ReadSymbItem(status, g_CurSymb, k, g_SymbItemText, kind);
        if (OA_Delete(array, k) == 0) {
            // Refused: passed over here; the change puts every item back.
            O_Mask(S_SymbolItem(g_CurSymb, k), 0, kPicked);
        }
    }
    OA_MaskAll(array, 0, kPicked);
    RefreshCanvas();
    RedrawView();
}

void SCHMAIN::CopyItemsInRect()
{
    DesignChange change;
    const int32_t array = ItemArray();
    OA_MaskAll(array, 0, kPicked);
    ForEachItemInRect(*this, [&](int32_t k) { O_Mask(S_SymbolItem(g_CurSymb, k), kPicked, kPicked); });
    if (OA_SearchMask(array, 1, kPicked) == 0) return;
    auto unmark = OnExit([array] { OA_MaskAll(array, 0, kPicked); });

    std::vector<Planned> plan;
    for (int32_t k = OA_SearchMask(array, 1, kPicked); k != 0; k = OA_SearchMask(array, k + 1, kPicked)) {
        int32_t status = 1, kind = 0;
        ReadSymbItem(status, g_CurSymb, k, g_SymbItemText, kind);
        if (status != 0) continue;
        g_SymbItemIdx = k;
        g_SymbItemType = kind;
        g_SymbItem.Flags = 1;
        if (!PlanTransform(*this, plan, k)) {
            winsys::Ui().Beep();
            ShowMessage(ErrorDescription(errnum::Overflow));
            return;
        }
    }
    OpenCanvasDC();
    auto close = OnExit([this] { CloseCanvasDC(); });
    for (const Planned& p : plan) {
        O_Mask(S_SymbolItem(g_CurSymb, p.index), 0, kPicked);
        int32_t status = 0, index = 0;
        MakeOwnerItem(status, kOwnerSymbol, g_CurSymb, p.item, p.kind == kText ? p.string : std::string(), index);
        // A copy the kernel refuses ends the copy, with a beep; the copies
        // made before it go again with the change.
        if (status != 0 || index == 0) {
            winsys::Ui().Beep();
            return;
        }
        DrawOwnerItem(kOwnerSymbol, g_CurSymb, index);
    }
}

void SCHMAIN::TransformItemsInRect()
{
    DesignChange change;
    const int32_t array = ItemArray();
    std::vector<Planned> plan;
    bool fits = true;
    ForEachItemInRect(*this, [&](int32_t k) {
        if (fits) fits = PlanTransform(*this, plan, k);
    });
    if (!fits) {
        winsys::Ui().Beep();
        ShowMessage(ErrorDescription(errnum::Overflow));
        RedrawView();
        return;
    }
    for (const Planned& p : plan) {
        g_SymbItemIdx = p.index;
        g_SymbItemType = p.kind;
        g_SymbItem = p.item;
        if (p.kind == kText) {
            g_SymbText = p.text;
            g_SymbText.X = p.item.X;
            g_SymbText.Y = p.item.Y;
            g_SymbText.Angle = p.item.Angle;
            WriteOwnerText(kOwnerSymbol, g_CurSymb, p.index, g_SymbText);
        } else {
            WriteSymbItem(g_CurSymb, p.index, p.item);
        }
        O_Mask(S_SymbolItem(g_CurSymb, p.index), 1, -1);
    }
    (void)array;
    if (!plan.empty()) RefreshCanvas();
    RedrawView();
}

void SCHMAIN::MakeGraphicItem(int32_t& err, int32_t& x, int32_t& y, int32_t& link, int32_t& completion,
                              int32_t& index, int32_t& kind)
{
    err = 1;
    kind = 0;
    auto pressed = [this](int i) { return F_OST.Exists(i) && F_OST(i)->Value(); };
    const std::pair<int, int32_t> options[] = {{0, kLine}, {1, kRectangle}, {2, kCircle}, {3, kArc}, {4, kTriangle}};
    for (const auto& [button, k] : options)
        if (pressed(button)) {
            kind = k;
            break;
        }
    if (kind == 0) return;

    ItemRec rec{};
    rec.Kind = kind;
    rec.Flags = 1;
    rec.Link = link;
    rec.Layer = static_cast<uint8_t>(g_ColorMode);
    const bool shape = kind == kTriangle || kind == kRectangle || kind == kCircle;
    if (shape && pressed(6)) {
        rec.Style = 16;
        rec.Width = 0;
    } else {
        rec.Style = static_cast<uint8_t>(g_CurStyle);
        rec.Width = g_LineWidth;
    }

    const int64_t D = std::llround(g_DbUnitsPerMm * 0.5 * 25.4);
    const auto& m0 = g_Markers[0];
    const auto& m1 = g_Markers[1];
    const auto& m2 = g_Markers[2];
    const bool s0 = m0.Shown != 0, s1 = s0 && m1.Shown != 0, s2 = s1 && m2.Shown != 0;
    int64_t rx = x, ry = y, a = 0, b = 0, c = 0, d = 0;  // reference point and shape values
    int64_t outX = x, outY = y;
    switch (kind) {
    case kLine:
    case kRectangle:
        if (s1) {
            rx = m0.X, ry = m0.Y, a = int64_t{m1.X} - m0.X, b = int64_t{m1.Y} - m0.Y, completion = 0;
        } else {
            if (s0) rx = m0.X, ry = m0.Y;
            a = b = D;
            completion = s0 ? 2 : 1;
        }
        if (a == 0 && b == 0) return;
        if (!Within({rx, ry, rx + a, ry + b})) return;
        break;
    case kTriangle:
        a = D, b = D, c = D, d = 0;
        completion = s0 ? 2 : 1;
        if (s0) rx = m0.X, ry = m0.Y;
        if (s2) {
            a = int64_t{m1.X} - m0.X, b = int64_t{m1.Y} - m0.Y, c = int64_t{m2.X} - m0.X, d = int64_t{m2.Y} - m0.Y;
            completion = 0;
        } else if (s1) {
            c = int64_t{m1.X} - m0.X, d = int64_t{m1.Y} - m0.Y;
        }
        if (!Within({rx, ry, rx + a, ry + b, rx + c, ry + d})) return;
        break;
    default: {  // circle and arc
        if (s2) {
            int32_t e = 1;
            DPoint centre;
            double radius = 0, start = 0, extent = 0;
            ArcFromThreePoints(e, DPoint{double(m0.X), double(m0.Y)}, DPoint{double(m1.X), double(m1.Y)},
                               DPoint{double(m2.X), double(m2.Y)}, centre, radius, start, extent);
            if (e != 0) return;
            rx = std::llround(centre.X), ry = std::llround(centre.Y), a = std::llround(radius);
            b = G_AngleAdj(ToLong(start * 1000)), c = G_AngleAdj(ToLong(extent * 1000));
            completion = 0;
        } else if (s1) {
            rx = ToLong((double(m0.X) + m1.X) / 2), ry = ToLong((double(m0.Y) + m1.Y) / 2);
            a = ToLong(VectorLength(double(m1.X) - m0.X, double(m1.Y) - m0.Y) / 2);
            if (a == 0) return;
            b = G_AngleAdj(ToLong(VectorAngle(double(m0.X) - rx, double(m0.Y) - ry) * 1000)), c = 180000;
            completion = kind == kArc ? 3 : 0;
            if (kind == kArc) outX = m0.X, outY = m0.Y;
        } else {
            if (s0) rx = m0.X, ry = m0.Y;
            a = D, b = 0, c = 180000;
            completion = s0 ? 4 : 1;
            outX = rx + D, outY = ry;
        }
        if (!Within({rx, ry, a, rx + a, rx - a, ry + a, ry - a, outX})) return;
        if (kind == kCircle) b = c = 0;
        break;
    }
    }
    rec.X = static_cast<int32_t>(rx);
    rec.Y = static_cast<int32_t>(ry);
    rec.P1 = static_cast<int32_t>(a);
    rec.P2 = static_cast<int32_t>(b);
    rec.P3 = static_cast<int32_t>(c);
    rec.P4 = static_cast<int32_t>(d);

    // The markers come off the page before the item joins it: taking them
    // off paints the page where they were, and a paint then would draw the
    // new item, which the caller draws itself or carries as a preview that
    // Escape takes back without painting (the page's copy would stay).
    const MarkerRec kept[3] = {g_Markers[0], g_Markers[1], g_Markers[2]};
    const int32_t keptNext = m_NextMarker, keptPending = m_PointPending;
    ClearMarkers(1);
    int32_t status = 0, made = 0;
    MakeOwnerItem(status, kOwnerSymbol, g_CurSymb, rec, std::string(), made);
    if (status != 0 || made == 0) {
        // Nothing made: the markers are shown again as they were.
        std::copy(kept, kept + 3, g_Markers.begin());
        m_NextMarker = keptNext;
        m_PointPending = keptPending;
        if (kept[0].Shown || kept[1].Shown || kept[2].Shown) RepaintDrawnOver(nullptr);
        return;
    }
    err = 0;
    index = made;
    x = static_cast<int32_t>(outX);
    y = static_cast<int32_t>(outY);
}

void SCHMAIN::TakeItemOptions()
{
    auto pressed = [this](int i) { return F_OST.Exists(i) && F_OST(i)->Value(); };
    if (pressed(0)) g_SymbItem.Width = g_SymbText.Width = g_LineWidth;
    if (pressed(2)) g_SymbItem.Layer = g_SymbText.Layer = static_cast<uint8_t>(g_ColorMode);
    if (pressed(4)) g_SymbItem.Style = static_cast<uint8_t>(g_CurStyle);
    if (g_SymbItemType == kText && pressed(5) && g_TextSizeIdx >= 1 && g_TextSizeIdx <= 32 &&
        g_TextSizeIdx >= g_TextSizes.LBound() && g_TextSizeIdx <= g_TextSizes.UBound()) {
        const TextSizeRec& size = g_TextSizes(g_TextSizeIdx);
        g_SymbText.P1 = size.Height;
        g_SymbText.P2 = size.Width;
        g_SymbText.Width = size.Width3;
    }
}

void SCHMAIN::UnmarkCurrentItem()
{
    OpenCanvasDC();
    {
        auto close = OnExit([this] { CloseCanvasDC(); });
        EraseOverlay();
        DrawOwnerItem(kOwnerSymbol, g_CurSymb, g_SymbItemIdx);
    }
    g_ItemPicked = 0;
}
