// SCHMAIN's previews of the notes item commands: the whole item carried at
// its picked handle or turned about its origin, and the item reshaped by its
// moving point. Each writes the edited record at once, replaces the last XOR
// drawing by the item, its origin square and the cursor cross, and measures
// the item in the message line.
#include "editor/shell/schmain.h"

#include "editor/objects/owner_items.h"
#include "editor/objects/symbol_items.h"
#include "editor/shell/geometry.h"
#include "editor/shell/msgtext.h"
#include "editor/shell/numtext.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/settings.h"
#include "editor/view/canvas.h"
#include "editor/view/marks.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>

namespace {

enum Kind { kLine = 1, kTriangle = 2, kRectangle = 3, kCircle = 4, kArc = 5, kText = 6 };

int32_t Nearest(double v)
{
    if (!std::isfinite(v)) return 0;
    const double limit = kCoordLimit;
    return static_cast<int32_t>(std::clamp(std::nearbyint(v), -limit, limit));
}

std::string Len(double v)
{
    return Format(v / g_DbUnitsPerMm * g_UnitFactor(g_UnitIndex), g_NumFormat(g_UnitIndex));
}

std::string Angle(double a)
{
    return Format(a, g_AngleFormat) + std::string(1, '\xB0');  // the degree sign, character 176
}

// The direction the read-out and the turn options work with.
double WorkingAngle(const ItemRec& it)
{
    switch (it.Kind) {
    case kLine: return VectorAngle(it.P1, it.P2);
    case kRectangle: return it.Angle / 1000.0;
    case kArc: return it.P2 / 1000.0;
    default: return 0;
    }
}

std::string ItemReadout(int32_t kind, const ItemRec& it, double a, const char* triangle)
{
    const std::string unit = g_UnitSuffix(g_UnitIndex);
    switch (kind) {
    case kLine:
        return GetMsgText("LINE: l=", "99838") + Len(VectorLength(it.P1, it.P2)) + unit + " @=" + Angle(a);
    case kTriangle: return GetMsgText(triangle, "991338");
    case kRectangle:
        return GetMsgText("RECT: ", "991091") + Len(std::abs(double(it.P1))) + " x" + Len(std::abs(double(it.P2))) +
               unit + GetMsgText(" rot=", "991113") + Angle(a);
    case kCircle: return GetMsgText("CIRCLE: r=", "99409") + Len(std::abs(double(it.P1))) + unit;
    case kArc: return GetMsgText("ARC: r=", "99211") + Len(std::abs(double(it.P1))) + unit + " @=" + Angle(a);
    default: return "";
    }
}

// Point marker P1 replaces the pointer and is not snapped.
void TakeMarkerP1(int& Shift, int32_t& X, int32_t& Y)
{
    if (!g_Markers[0].Shown) return;
    X = g_Markers[0].X;
    Y = g_Markers[0].Y;
    Shift = 1;
}

}  // namespace

// Records the item of g_CurSymb as it now stands, a square of eight canvas
// pixels at (ox, oy), the rotation handle when asked for, and the cursor
// cross, as the new overlay; closes the canvas context.
static void RecordItemOverlay(SCHMAIN& m, int32_t ox, int32_t oy, const int32_t* handle, int32_t x, int32_t y)
{
    m.EraseOverlay();
    G_OpenMF(m.ViewPicture->DeviceHandle());
    G_SetDrawMode(32);
    S_SetCompLocation(0, 0, 0, 0);
    S_DrawItem(g_CurSymb, g_SymbItemIdx);
    const double vs = m.m_ViewSize;
    G_Rectangle(Nearest(ox - 4 * vs), Nearest(oy - 4 * vs), Nearest(8 * vs), Nearest(8 * vs), 0);
    if (handle) G_Line(ox, oy, handle[0], handle[1]);
    m.DrawCursorCross(m.m_FullCross, 1, x, y);
    m.m_OverlayMF = G_CloseMF();
    m.PlayOverlay();
    m.CloseCanvasDC();
}

void SCHMAIN::PreviewItem(int& Shift, int32_t& X, int32_t& Y)
{
    ItemRec& it = g_SymbItem;
    double a = WorkingAngle(it);
    if (OptionOn(10)) {
        m_StepRequest = -1;
        g_SymbItemOld = g_SymbItem;
        ReleaseOption(10);
        WriteSymbItem(g_CurSymb, g_SymbItemIdx, g_SymbItem);
        return;
    }
    int32_t unchanged = 0;
    bool freeTurn = false;
    int32_t handle[2] = {0, 0};
    const bool turns = it.Kind == kLine || it.Kind == kRectangle || it.Kind == kArc;
    if (turns && (OptionOn(0) || OptionOn(1))) {
        if (OptionOn(0)) {
            a += 90;
            // A sum of exactly 360 stays 360.
            if (a > 360) a -= 360;
            ReleaseOption(0);
        } else {
            a = VectorAngle(double(X) - it.X, double(Y) - it.Y);
            if ((Shift & 1) == 0) {
                SnapAngle(unchanged, a);
                if (unchanged == 1) {
                    CloseCanvasDC();
                    return;
                }
            }
            freeTurn = true;
        }
        // The picked handle turns with the item.
        m_HandleOffX = Nearest(std::cos((a + m_HandleAngle) * g_DegToRad) * m_HandleDist);
        m_HandleOffY = Nearest(std::sin((a + m_HandleAngle) * g_DegToRad) * m_HandleDist);
        const double L = VectorLength(double(X) - it.X, double(Y) - it.Y);
        handle[0] = Nearest(it.X + L * std::cos(a * g_DegToRad));
        handle[1] = Nearest(it.Y + L * std::sin(a * g_DegToRad));
        const int32_t stored = G_AngleAdj(Nearest(a * 1000));
        if (it.Kind == kArc) {
            it.P2 = stored;
        } else if (it.Kind == kRectangle) {
            it.Angle = stored;
        } else {
            const double L2 = VectorLength(it.P1, it.P2);
            it.P1 = Nearest(L2 * std::cos(a * g_DegToRad));
            it.P2 = Nearest(L2 * std::sin(a * g_DegToRad));
        }
    } else {
        TakeMarkerP1(Shift, X, Y);
        if ((Shift & 1) == 0) {
            SnapPoint(unchanged, X, Y);
            if (unchanged == 1) {
                CloseCanvasDC();
                return;
            }
        }
        it.X = Nearest(double(X) - m_HandleOffX);
        it.Y = Nearest(double(Y) - m_HandleOffY);
    }
    WriteSymbItem(g_CurSymb, g_SymbItemIdx, g_SymbItem);
    const bool showHandle = freeTurn && OptionOn(1);
    if (showHandle) {
        X = handle[0];
        Y = handle[1];
    }
    RecordItemOverlay(*this, it.X, it.Y, showHandle ? handle : nullptr, X, Y);
    ShowMessage(ItemReadout(g_SymbItemType, it, a, "TRIANGLE "));
}

void SCHMAIN::PreviewItemEdit(int& Shift, int32_t& X, int32_t& Y)
{
    TakeMarkerP1(Shift, X, Y);
    int32_t k = g_SymbItemType;
    auto write = [&] {
        if (k == kText)
            WriteOwnerText(kOwnerSymbol, g_CurSymb, g_SymbItemIdx, g_SymbText);
        else
            WriteSymbItem(g_CurSymb, g_SymbItemIdx, g_SymbItem);
    };
    if (OptionOn(10)) {
        m_StepRequest = -1;
        g_SymbItemOld = g_SymbItem;
        g_SymbTextOld = g_SymbText;
        ReleaseOption(10);
        write();
        return;
    }
    if (!SnapPreviewPoint(Shift, X, Y)) return;
    // A text's size comes back in X and Y; the cross stays at the pointer.
    const int32_t px = X, py = Y;
    int32_t stop = 1;
    CalcItemGeometry(stop, k, X, Y);
    if (stop != 0) {
        CloseCanvasDC();
        return;
    }
    write();
    const ItemRec& origin = k == kText ? g_SymbText : g_SymbItem;
    RecordItemOverlay(*this, origin.X, origin.Y, nullptr, px, py);
    ShowMessage(ItemReadout(k, g_SymbItem, WorkingAngle(g_SymbItem), "TRIANGLE"));
}
