// SCHMAIN's previews of the block commands, the bitmap frame and the vector:
// each replaces the command's last XOR drawing by one at the pointer and
// leaves the state the step engine reads on the click.
#include "editor/shell/schmain.h"

#include "editor/editing/bitmaps.h"
#include "editor/interaction/input_state.h"
#include "editor/shell/geometry.h"
#include "editor/shell/msgtext.h"
#include "editor/shell/numtext.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/ribbon.h"
#include "editor/shell/settings.h"
#include "editor/view/canvas.h"
#include "editor/view/marks.h"
#include "editor/view/view_state.h"
#include "editor/shell/dlgservices.h"
#include "editor/shell/textnum.h"
#include "platform/winsys/interaction.h"

#include <QApplication>

#include <algorithm>
#include <cmath>

namespace {

int32_t Round(double v)
{
    return ClampToLimit(static_cast<int64_t>(std::nearbyint(v)));
}

std::string Len(double v)
{
    return Format(v / g_DbUnitsPerMm * g_UnitFactor(g_UnitIndex), g_NumFormat(g_UnitIndex));
}

std::string Unit()
{
    return g_UnitSuffix(g_UnitIndex);
}

double Below360(double a)
{
    return a >= 360 ? a - 360 : a;
}

}  // namespace

bool SCHMAIN::OptionOn(int n)
{
    return F_OST.Exists(n) && F_OST(n)->Value();
}

void SCHMAIN::ReleaseOption(int n)
{
    if (F_OST.Exists(n)) F_OST(n)->SetValue(false);
}

void SCHMAIN::RecordOverlay(int32_t x, int32_t y, const std::function<void()>& draw)
{
    EraseOverlay();
    G_OpenMF(ViewPicture->DeviceHandle());
    draw();
    DrawCursorCross(m_FullCross, 0, x, y);
    m_OverlayMF = G_CloseMF();
    PlayOverlay();
    CloseCanvasDC();
}

// The carrying point of a carried box (kinds 2 and 3); false when an
// unchanged snap ends the call. `handle` is set when a free rotation gave
// a rotation handle.
bool SCHMAIN::CarryPoint(int Shift, int32_t& X, int32_t& Y, int32_t Kind, int32_t& px, int32_t& py, bool& handle,
                         int32_t& hx, int32_t& hy)
{
    int32_t unchanged = 0;
    handle = false;
    if (OptionOn(0)) {
        m_Rotation = Below360(m_Rotation + 90);
        ReleaseOption(0);
        px = m_PlaceX;
        py = m_PlaceY;
    } else if (OptionOn(1)) {
        double a = VectorAngle(X - m_PlaceX, Y - m_PlaceY);
        if ((Shift & 1) == 0) {
            SnapAngle(unchanged, a);
            if (unchanged == 1) return false;
        }
        m_Rotation = Below360(a);
        px = m_PlaceX;
        py = m_PlaceY;
        const double r = VectorLength(X - m_PlaceX, Y - m_PlaceY);
        hx = Round(std::cos(m_Rotation * g_DegToRad) * r + m_PlaceX);
        hy = Round(std::sin(m_Rotation * g_DegToRad) * r + m_PlaceY);
        handle = true;
    } else if (g_Markers[0].Shown && g_Markers[1].Shown) {
        px = ClampToLimit(int64_t{m_BaseX} + g_Markers[1].X - g_Markers[0].X);
        py = ClampToLimit(int64_t{m_BaseY} + g_Markers[1].Y - g_Markers[0].Y);
    } else if (g_Markers[0].Shown && Kind == 2) {
        px = g_Markers[0].X;
        py = g_Markers[0].Y;
    } else {
        if ((Shift & 1) == 0) {
            SnapPoint(unchanged, X, Y);
            if (unchanged == 1) return false;
        }
        px = X;
        py = Y;
    }
    return true;
}

// Kind 1: the box from its first corner to the pointer; false when an
// unchanged snap ends the call.
bool SCHMAIN::DrawnBox(int Shift, int32_t& X, int32_t& Y)
{
    int32_t unchanged = 0;
    if ((Shift & 1) == 0) {
        SnapPoint(unchanged, X, Y);
        if (unchanged == 1) return false;
    }
    m_BoxOrgX = X;
    m_BoxOrgY = Y;
    m_Rotation = 0;
    m_BoxW = ClampToLimit(int64_t{m_BaseX} - X);
    m_BoxH = ClampToLimit(int64_t{m_BaseY} - Y);
    m_PlaceX = Round(m_BoxW / 2.0 + X);
    m_PlaceY = Round(m_BoxH / 2.0 + Y);
    m_BoxOrgAngle = Below360(VectorAngle(X - m_PlaceX, Y - m_PlaceY));
    return true;
}

void SCHMAIN::ShowBlockReadout(int32_t Kind)
{
    if (Kind == 1) {
        ShowMessage(GetMsgText("Block: ", "99248") + Len(std::abs(double(m_BoxW))) + " x" +
                    Len(std::abs(double(m_BoxH))) + Unit());
    } else {
        ShowMessage(GetMsgText("Vector: X= ", "991386") + Len(m_OffsetX) + " Y= " + Len(m_OffsetY) + Unit() +
                    GetMsgText(" rot=", "991113") + Format(m_Rotation, g_AngleFormat) + std::string(1, '\xB0'));
    }
}

void SCHMAIN::PreviewBlock(int& Shift, int32_t& X, int32_t& Y, int32_t Kind)
{
    if (OptionOn(10)) {
        m_StepRequest = -1;
        ReleaseOption(10);
        return;
    }
    bool handle = false;
    int32_t hx = 0, hy = 0;
    if (Kind == 1) {
        if (!DrawnBox(Shift, X, Y)) {
            CloseCanvasDC();
            return;
        }
    } else {
        int32_t px = 0, py = 0;
        if (!CarryPoint(Shift, X, Y, Kind, px, py, handle, hx, hy)) {
            CloseCanvasDC();
            return;
        }
        m_OffsetX = ClampToLimit(int64_t{px} - m_BaseX);
        m_OffsetY = ClampToLimit(int64_t{py} - m_BaseY);
        m_PlaceX = px;
        m_PlaceY = py;
        m_BoxOrgX = Round(px - m_BoxW / 2.0);
        m_BoxOrgY = Round(py - m_BoxH / 2.0);
        if (m_Rotation != 0) {
            const double r = VectorLength(m_BoxW / 2.0, m_BoxH / 2.0);
            m_BoxOrgX = Round(std::cos((m_BoxOrgAngle + m_Rotation) * g_DegToRad) * r + px);
            m_BoxOrgY = Round(std::sin((m_BoxOrgAngle + m_Rotation) * g_DegToRad) * r + py);
        }
        if (handle) {
            X = hx;
            Y = hy;
        }
    }
    const double vs = m_ViewSize;
    RecordOverlay(X, Y, [&] {
        G_SetDrawMode(32);
        G_SetWidth(1);
        G_SetStyle(0);
        G_Rectangle(m_BoxOrgX, m_BoxOrgY, m_BoxW, m_BoxH, G_AngleAdj(Round(m_Rotation * 1000)));
        if (Kind == 1) return;
        if (Kind == 2) G_Circle(m_BaseX, m_BaseY, Round(8 * vs));
        G_Rectangle(Round(m_PlaceX - 4 * vs), Round(m_PlaceY - 4 * vs), Round(8 * vs), Round(8 * vs), 0);
        if (Kind == 2) G_Line(m_BaseX, m_BaseY, m_BaseX + m_OffsetX, m_BaseY + m_OffsetY);
        if (handle) G_Line(hx, hy, m_PlaceX, m_PlaceY);
    });
    ShowBlockReadout(Kind);
}

void SCHMAIN::PreviewBlockScale(int& Shift, int32_t& X, int32_t& Y, int32_t Kind)
{
    if (OptionOn(10)) {
        m_StepRequest = -1;
        ReleaseOption(10);
        return;
    }
    bool handle = false;
    int32_t hx = 0, hy = 0;
    int32_t vx1 = 0, vy1 = 0, vx2 = 0, vy2 = 0, hx1 = 0, hy1 = 0, hx2 = 0, hy2 = 0;
    if (Kind == 1) {
        if (!DrawnBox(Shift, X, Y)) {
            CloseCanvasDC();
            return;
        }
        m_MirrorX = m_MirrorY = 0;
        m_Scale = 1.0;
    } else {
        for (int b : {7, 8}) {
            int32_t& mirror = b == 7 ? m_MirrorX : m_MirrorY;
            const int32_t state = OptionOn(b) ? -1 : 0;
            if (state != mirror) Shift = 1;
            mirror = state;
        }
        if (OptionOn(6)) {
            const std::string typed = AskText(GetMsgText("Scale Block by:", "991146"), "", Format(m_Scale, "#0.000"));
            const double s = ParseNum(typed);
            // Sound behaviour: a scale that would carry the box past the
            // coordinate limit is refused like one out of range.
            const double far = std::max(std::abs(double(m_BoxW)), std::abs(double(m_BoxH))) * s;
            if (!(s > 0) || s > 10 || far > 2.0 * kCoordLimit)
                winsys::Ui().Beep();
            else
                m_Scale = s;
            ReleaseOption(6);
            Shift = 1;
        }
        int32_t px = 0, py = 0;
        if (!CarryPoint(Shift, X, Y, 2, px, py, handle, hx, hy)) {
            CloseCanvasDC();
            return;
        }
        const double w = m_BoxW * m_Scale, h = m_BoxH * m_Scale;
        m_OffsetX = ClampToLimit(int64_t{px} - m_BaseX);
        m_OffsetY = ClampToLimit(int64_t{py} - m_BaseY);
        m_PlaceX = px;
        m_PlaceY = py;
        m_BoxOrgX = Round(px - w / 2);
        m_BoxOrgY = Round(py - h / 2);
        vx1 = vx2 = px;
        vy1 = m_BoxOrgY;
        vy2 = Round(m_BoxOrgY + h);
        hy1 = hy2 = py;
        hx1 = m_BoxOrgX;
        hx2 = Round(m_BoxOrgX + w);
        if (m_Rotation != 0) {
            const double t = m_Rotation * g_DegToRad, t90 = (m_Rotation + 90) * g_DegToRad;
            const double r = VectorLength(m_BoxW / 2.0, m_BoxH / 2.0);
            m_BoxOrgX = Round(r * m_Scale * std::cos((m_BoxOrgAngle + m_Rotation) * g_DegToRad) + px);
            m_BoxOrgY = Round(r * m_Scale * std::sin((m_BoxOrgAngle + m_Rotation) * g_DegToRad) + py);
            vx1 = Round(px + h / 2 * std::cos(t90));
            vy1 = Round(py + h / 2 * std::sin(t90));
            vx2 = Round(px - h / 2 * std::cos(t90));
            vy2 = Round(py - h / 2 * std::sin(t90));
            hx1 = Round(px + w / 2 * std::cos(t));
            hy1 = Round(py + w / 2 * std::sin(t));
            hx2 = Round(px - w / 2 * std::cos(t));
            hy2 = Round(py - w / 2 * std::sin(t));
        }
        if (handle) {
            X = hx;
            Y = hy;
        }
    }
    const double vs = m_ViewSize;
    RecordOverlay(X, Y, [&] {
        G_SetDrawMode(0);
        G_SetWidth(1);
        G_SetStyle(0);
        G_Rectangle(m_BoxOrgX, m_BoxOrgY, Round(m_BoxW * m_Scale), Round(m_BoxH * m_Scale),
                    G_AngleAdj(Round(m_Rotation * 1000)));
        if (Kind == 1) return;
        G_Circle(m_BaseX, m_BaseY, Round(8 * vs));
        G_Rectangle(Round(m_PlaceX - 4 * vs), Round(m_PlaceY - 4 * vs), Round(8 * vs), Round(8 * vs), 0);
        G_Line(m_BaseX, m_BaseY, m_BaseX + m_OffsetX, m_BaseY + m_OffsetY);
        if (handle) G_Line(hx, hy, m_PlaceX, m_PlaceY);
        G_SetStyle(1);
        if (OptionOn(7)) G_Line(vx1, vy1, vx2, vy2);
        G_SetStyle(2);
        if (OptionOn(8)) G_Line(hx1, hy1, hx2, hy2);
    });
    ShowBlockReadout(Kind == 1 ? 1 : 2);
}

void SCHMAIN::PreviewBitmap(int& Shift, int32_t& X, int32_t& Y)
{
    if (OptionOn(10)) {
        m_StepRequest = -1;
        ReleaseOption(10);
        return;
    }
    if (!SnapPreviewPoint(Shift, X, Y)) return;
    // Sound behaviour: an index outside the list or a missing picture
    // draws nothing.
    int32_t file = 0;
    if (g_CurBitmap >= 1 && g_CurBitmap <= BitmapCount()) file = g_BitmapList[g_CurBitmap].Picture;
    if (file == 0) file = OM_FindName(DB_FileMap(), "@BMTemp@");
    if (file <= 0) {
        CloseCanvasDC();
        return;
    }
    int32_t w = 0, h = 0;
    F_Seek(file, 0, 0);
    GetBmpDim(file, &w, &h);
    g_BitmapPos = {X, Y};
    const int32_t width = Round(double(g_DbUnitsPerMm) * w / 4);
    const int32_t height = Round(-(double(g_DbUnitsPerMm) * h) / 4);
    EraseOverlay();
    G_OpenMF(ViewPicture->DeviceHandle());
    G_SetDrawMode(32);
    G_SetWidth(1);
    G_SetStyle(0);
    DrawCursorCross(m_FullCross, 0, X, Y);
    G_Rectangle(X, Y, width, height, 0);
    m_OverlayMF = G_CloseMF();
    PlayOverlay();
    CloseCanvasDC();
}

void SCHMAIN::PreviewVector(int& Shift, int32_t& X, int32_t& Y)
{
    auto closing = [this] {
        CloseCanvasDC();
        std::string text;
        if (m_CmdStep == 1)
            text = GetMsgText("Select Next Component", "991184");
        else if (m_CmdStep == 2)
            text = GetMsgText("Point Vector Start Point", "991058");
        else if (m_CmdStep == 3)
            text = GetMsgText("Vector:", "991385") + " X= " + Len(double(m_VecEndX) - m_VecStartX) + Unit() +
                   " Y= " + Len(double(m_VecEndY) - m_VecStartY) + Unit();
        ShowMessage(text);
    };
    if (OptionOn(10)) {
        m_StepRequest = -1;
        m_CmdStep = 0;
        m_CmdArmed = 0;
        ReleaseOption(10);
        return closing();
    }
    if (OptionOn(0)) {
        if (!m_CmdArmed) m_CmdStep = 2;
        ReleaseOption(0);
        m_CmdArmed = -1;
        return closing();
    }
    if (m_CmdStep != 3) return closing();
    int32_t unchanged = 0;
    if ((Shift & 1) == 0) {
        SnapPoint(unchanged, X, Y);
        if (unchanged == 1) return closing();
    }
    m_VecEndX = X;
    m_VecEndY = Y;
    const double vs = m_ViewSize;
    auto square = [vs](int32_t x, int32_t y) {
        G_Rectangle(Round(x - 4 * vs), Round(y - 4 * vs), Round(8 * vs), Round(8 * vs), 0);
    };
    EraseOverlay();
    G_OpenMF(ViewPicture->DeviceHandle());
    for (long i = 1; i <= g_CompList.UBound(); ++i) square(g_CompList(i).X, g_CompList(i).Y);
    square(m_VecEndX, m_VecEndY);
    G_Circle(m_VecStartX, m_VecStartY, Round(8 * vs));
    G_Line(m_VecStartX, m_VecStartY, m_VecEndX, m_VecEndY);
    DrawCursorCross(m_FullCross, 0, X, Y);
    m_OverlayMF = G_CloseMF();
    PlayOverlay();
    closing();
}
