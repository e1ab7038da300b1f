// SCHMAIN's text previews: while a component, wire or notes text is moved,
// turned or resized, and while a text block is put down, each pointer move
// applies the option of the option panel to the working text, writes it to
// the database at once (the text block only keeps its outline fields) and
// records the XOR drawing of the result with a read-out on the message line.
#include "editor/shell/schmain.h"

#include "editor/objects/comp_state.h"
#include "editor/objects/comp_texts.h"
#include "editor/objects/owner_items.h"
#include "editor/objects/symbol_items.h"
#include "editor/shell/geometry.h"
#include "editor/shell/msgtext.h"
#include "editor/shell/numtext.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/settings.h"
#include "editor/shell/systables.h"
#include "editor/view/canvas.h"
#include "editor/view/view_state.h"
#include "platform/winsys/interaction.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr const char* kDegree = "\xB0";

// An angle in degrees as the kernel stores it: thousandths, 0..359,999.
int32_t StoredAngle(double degrees)
{
    return G_AngleAdj(ClampCoord(degrees * 1000));
}

std::string Len(double v)
{
    return Format(v / g_DbUnitsPerMm * g_UnitFactor(g_UnitIndex), g_NumFormat(g_UnitIndex));
}

// The character height and width that put the corner of the text's box at
// P (both in the text's frame). An empty text counts as one character so
// that the width stays defined.
void ResizeByDrag(ItemRec& text, double workAngle, int32_t px, int32_t py, size_t characters)
{
    const double dx = double(px) - text.X, dy = double(py) - text.Y;
    const double r = (VectorAngle(dx, dy) - workAngle) * g_DegToRad;
    const double L = VectorLength(dx, dy);
    const double count = double(std::max<size_t>(characters, 1));
    text.P1 = std::max(ClampCoord(std::abs(std::sin(r)) * L / 6), 1);
    text.P2 = std::max(ClampCoord(std::abs(std::cos(r)) * L / count / 6), 1);
}

// The size of the text size table's current entry; false (a beep, the text
// as it was) for an index outside the table.
bool SizeFromTable(ItemRec& text)
{
    if (g_TextSizeIdx < g_TextSizes.LBound() || g_TextSizeIdx > g_TextSizes.UBound()) {
        winsys::Ui().Beep();
        return false;
    }
    const TextSizeRec& size = g_TextSizes(g_TextSizeIdx);
    text.P1 = size.Height;
    text.P2 = size.Width;
    text.Width = size.Width3;
    return true;
}

std::string CompTextKind(int32_t flags)
{
    switch (flags & 30) {
    case 2: return GetMsgText("Comp.name", "99447");
    case 4: return GetMsgText("Comp.description", "99442");
    case 8: return GetMsgText("Comp.value", "99453");
    case 16: return GetMsgText("Pinout", "991044");
    default: return GetMsgText("Comp.text", "99452");
    }
}

// A quarter turn of the text block: a sum of exactly 360 stays 360.
double NextTextBlockAngle(double angle)
{
    const double sum = angle + 90;
    return sum > 360 ? sum - 360 : sum;
}

}  // namespace

void SCHMAIN::RecordTextOverlay(int32_t x, int32_t y, bool handle, int32_t hx, int32_t hy, int32_t cx, int32_t cy,
                                const std::function<void()>& draw)
{
    EraseOverlay();
    G_OpenMF(ViewPicture->DeviceHandle());
    G_SetDrawMode(32);
    draw();
    if (handle) {
        G_Line(hx, hy, cx, cy);
        DrawCursorCross(m_FullCross, 1, hx, hy);
    } else {
        DrawCursorCross(m_FullCross, 1, x, y);
    }
    m_OverlayMF = G_CloseMF();
    PlayOverlay();
    CloseCanvasDC();
}

void SCHMAIN::PreviewCompText(int& Shift, int32_t& X, int32_t& Y)
{
    S_SetCompLocation(g_Comp.X, g_Comp.Y, g_Comp.Angle, g_Comp.Flags & 2);
    double angle = g_CompText.Angle / 1000.0;
    if (OptionOn(10)) {
        m_StepRequest = -1;
        g_CompTextOld = g_CompText;
        g_CompTextStr = g_CompTextVal;
        ReleaseOption(10);
        WriteCompText(g_CompId, g_CompTextIdx);
        return;
    }
    int32_t unchanged = 0;
    bool handle = false;
    int32_t h[2] = {0, 0}, t[2] = {0, 0};
    const bool snap = (Shift & 1) == 0;
    if (OptionOn(0)) {
        g_CompText.Angle = StoredAngle(angle + 90);
        ReleaseOption(0);
    } else if (OptionOn(1)) {
        int32_t p[2] = {X, Y};
        I_APtoLP(p);
        t[0] = g_CompText.X;
        t[1] = g_CompText.Y;
        double a = VectorAngle(double(p[0]) - t[0], double(p[1]) - t[1]);
        if (snap) {
            SnapAngle(unchanged, a);
            if (unchanged == 1) return CloseCanvasDC();
        }
        g_CompText.Angle = StoredAngle(a);
        const double L = VectorLength(double(p[0]) - t[0], double(p[1]) - t[1]);
        h[0] = ClampCoord(t[0] + L * std::cos(a * g_DegToRad));
        h[1] = ClampCoord(t[1] + L * std::sin(a * g_DegToRad));
        I_LPtoAP(h);
        I_LPtoAP(t);
        handle = true;
        angle = a;
    } else if (OptionOn(3)) {
        if (snap) {
            SnapPoint(unchanged, X, Y);
            if (unchanged == 1) return CloseCanvasDC();
        }
        int32_t p[2] = {X, Y};
        I_APtoLP(p);
        ResizeByDrag(g_CompText, angle, p[0], p[1], g_CompTextStr.size());
    } else if (OptionOn(4)) {
        SizeFromTable(g_CompText);
        ReleaseOption(4);
    } else {
        if (snap) {
            SnapPoint(unchanged, X, Y);
            if (unchanged == 1) return CloseCanvasDC();
        }
        int32_t p[2] = {X, Y};
        I_APtoLP(p);
        g_CompText.X = p[0];
        g_CompText.Y = p[1];
    }
    WriteCompText(g_CompId, g_CompTextIdx);
    const double vs = m_ViewSize;
    RecordTextOverlay(X, Y, handle, h[0], h[1], t[0], t[1], [&] {
        EntryRec pin{};
        if ((g_CompText.Flags & 16) != 0 && C_ReadEntry(g_CompId, g_CompText.Link, &pin) != 0)
            G_Rectangle(ClampCoord(pin.X - 4 * vs), ClampCoord(pin.Y - 4 * vs), ClampCoord(8 * vs),
                        ClampCoord(8 * vs), 0);
        C_DrawCompText(g_CompId, g_CompTextIdx);
    });
    ShowMessage(g_CompName + "/" + CompTextKind(g_CompText.Flags) + GetMsgText(" rot:", "991112") +
                Format(angle, g_AngleFormat) + kDegree);
}

void SCHMAIN::PreviewText(int& Shift, int32_t& X, int32_t& Y, int32_t& OwnerKind, int32_t& OwnerId)
{
    double angle = g_SymbText.Angle / 1000.0;
    if (OptionOn(10)) {
        m_StepRequest = -1;
        g_SymbTextOld = g_SymbText;
        ReleaseOption(10);
        WriteOwnerText(OwnerKind, OwnerId, g_SymbItemIdx, g_SymbText);
        return;
    }
    int32_t unchanged = 0;
    bool handle = false;
    int32_t hx = 0, hy = 0;
    const bool snap = (Shift & 1) == 0;
    if (OptionOn(0)) {
        g_SymbText.Angle = StoredAngle(angle + 45);
        ReleaseOption(0);
    } else if (OptionOn(1)) {
        const double tx = g_SymbText.X, ty = g_SymbText.Y;
        double a = VectorAngle(X - tx, Y - ty);
        if (snap) {
            SnapAngle(unchanged, a);
            if (unchanged == 1) return CloseCanvasDC();
        }
        // A text whose attribute reads backwards stores the angle the other way.
        const double s = (g_SymbText.Layer & 31) > 15 ? 360 - a : a;
        g_SymbText.Angle = StoredAngle(s);
        const double L = VectorLength(X - tx, Y - ty);
        hx = ClampCoord(tx + L * std::cos(a * g_DegToRad));
        hy = ClampCoord(ty + L * std::sin(a * g_DegToRad));
        handle = true;
        angle = s;
    } else if (OptionOn(2)) {
        if (snap) {
            SnapPoint(unchanged, X, Y);
            if (unchanged == 1) return CloseCanvasDC();
        }
        ResizeByDrag(g_SymbText, angle, X, Y, g_SymbItemText.size());
    } else if (OptionOn(3)) {
        SizeFromTable(g_SymbText);
        ReleaseOption(3);
    } else {
        if (snap) {
            SnapPoint(unchanged, X, Y);
            if (unchanged == 1) return CloseCanvasDC();
        }
        g_SymbText.X = X;
        g_SymbText.Y = Y;
    }
    WriteOwnerText(OwnerKind, OwnerId, g_SymbItemIdx, g_SymbText);
    const int32_t tx = g_SymbText.X, ty = g_SymbText.Y;
    RecordTextOverlay(X, Y, handle, hx, hy, tx, ty, [&] {
        if (OwnerKind == kOwnerSymbol) {
            S_SetCompLocation(0, 0, 0, 0);
            S_DrawItem(g_CurSymb, g_SymbItemIdx);
        } else if (OwnerKind == kOwnerBranch) {
            B_DrawBranchText(OwnerId, g_SymbItemIdx);
            B_DrawRecords(OwnerId, 1, -1);
            B_DrawBranchAllTexts(OwnerId, 1);
        }
    });
    if (handle) {
        X = hx;
        Y = hy;
    }
    const std::string unit = g_UnitSuffix(g_UnitIndex);
    ShowMessage(GetMsgText("Text rot:", "991310") + Format(angle, g_AngleFormat) + kDegree +
                GetMsgText(" Height:", "99745") + Len(6.0 * g_SymbText.P1) + unit + GetMsgText(" Width:", "991402") +
                Len(6.0 * g_SymbText.P2) + unit);
}

void SCHMAIN::PreviewTextBlock(int& Shift, int32_t& X, int32_t& Y)
{
    if (OptionOn(10)) {
        m_StepRequest = -1;
        ReleaseOption(10);
        return;
    }
    int32_t unchanged = 0;
    bool handle = false;
    int32_t hx = 0, hy = 0;
    if (OptionOn(0)) {
        m_TextBlockAngle = NextTextBlockAngle(m_TextBlockAngle);
        ReleaseOption(0);
    } else if (OptionOn(1)) {
        const double bx = m_TextBlockX, by = m_TextBlockY;
        double a = VectorAngle(X - bx, Y - by);
        if ((Shift & 1) == 0) {
            SnapAngle(unchanged, a);
            if (unchanged == 1) return CloseCanvasDC();
        }
        m_TextBlockAngle = a;
        const double L = VectorLength(X - bx, Y - by);
        hx = ClampCoord(bx + L * std::cos(a * g_DegToRad));
        hy = ClampCoord(by + L * std::sin(a * g_DegToRad));
        handle = true;
    } else {
        if ((Shift & 1) == 0) {
            SnapPoint(unchanged, X, Y);
            if (unchanged == 1) return CloseCanvasDC();
        }
        m_TextBlockX = X;
        m_TextBlockY = Y;
        if (m_TextBlockX + m_TextBlockW > kCoordLimit) m_TextBlockX = ClampCoord(kCoordLimit - m_TextBlockW);
        if (m_TextBlockY + m_TextBlockH < -kCoordLimit) m_TextBlockY = ClampCoord(-kCoordLimit - m_TextBlockH);
    }
    RecordTextOverlay(X, Y, handle, hx, hy, m_TextBlockX, m_TextBlockY, [&] {
        G_Rectangle(m_TextBlockX, m_TextBlockY, ClampCoord(m_TextBlockW), ClampCoord(m_TextBlockH),
                    StoredAngle(m_TextBlockAngle));
    });
    if (handle) {
        X = hx;
        Y = hy;
    }
    ShowMessage(GetMsgText("Text block rot:", "991307") + Format(m_TextBlockAngle, g_AngleFormat) + kDegree);
}
