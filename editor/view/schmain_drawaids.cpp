// SCHMAIN's drawing aids: grid, snap and angle steps, the grid display and
// its precision, the line width and text size of new items, and the
// display unit.
#include "editor/shell/schmain.h"

#include "editor/interaction/commands.h"
#include "editor/shell/applink.h"
#include "editor/shell/controls.h"
#include "editor/shell/help.h"
#include "editor/shell/menus.h"
#include "editor/shell/msgtext.h"
#include "editor/shell/numtext.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/settings.h"
#include "editor/shell/systables.h"
#include "editor/shell/textnum.h"
#include "editor/view/canvas.h"
#include "editor/view/drawaids.h"
#include "editor/view/view_state.h"
#include "platform/winsys/interaction.h"

#include <algorithm>
#include <cmath>

namespace {

int Unit()
{
    return g_UnitIndex == 1 ? 1 : 0;
}

}  // namespace

std::string LengthText(double length)
{
    return Format(length / g_DbUnitsPerMm * g_UnitFactor(Unit()), g_NumFormat(Unit())) + g_UnitSuffix(Unit());
}

std::string AngleText(double angle)
{
    return Format(angle / 1000, g_AngleFormat) + std::string(1, static_cast<char>(176));
}

double TypedLength(const std::string& text)
{
    return ParseNum(text) / g_UnitFactor(Unit()) * g_DbUnitsPerMm;
}

std::optional<int32_t> ParseAidStep(int index, const std::string& text)
{
    const double v = index == 2 ? ParseNum(text) * 1000 : TypedLength(text);
    const double low = index == 2 ? kMinAngleStep : kMinStep;
    const double high = index == 2 ? kMaxAngleStep : kMaxStep;
    if (!std::isfinite(v) || v < low || v > high) return std::nullopt;
    return std::max<int32_t>(1, ToLong(v));
}

int32_t SnapCoord(int32_t v, int32_t step)
{
    if (step <= 1) return v;
    const double sign = v > 0 ? 1.0 : (v < 0 ? -1.0 : 0.0);
    const int64_t sum = static_cast<int64_t>(std::nearbyint(v + sign * step / 2.0));
    int64_t snapped = (sum / step) * step;
    if (snapped > kCoordLimit) snapped -= step;
    if (snapped < -kCoordLimit) snapped += step;
    return static_cast<int32_t>(std::clamp<int64_t>(snapped, -kCoordLimit, kCoordLimit));
}

int32_t SCHMAIN::DrawViewGrid()
{
    const QSize size = ViewPicture->ClientSize();
    return G_DrawGrid(0, 0, size.width(), size.height(), g_GridStep, g_GridOn ? 1 : 0);
}

void SCHMAIN::CheckGridPrecision()
{
    const int32_t drawn = DrawViewGrid();
    if (g_GridOn == 0) return;
    if (drawn != g_GridStep && drawn > 0) {
        ShowMessage(GetMsgText("Selected grid cannot be displayed in current precision. Grid adjusted", "991455"));
        winsys::Ui().Beep();
    }
    // Sound behaviour: the field shows the step in force (g_GridStep), so
    // the field and the setting never disagree; the message says when the
    // zoom draws a coarser grid than that.
    F_GridSnap(0)->SetText(LengthText(g_GridStep));
}

void SCHMAIN::F_GridSnap_Click(int Index)
{
    if (m_ZoomEventsOff) {
        m_ZoomEventsOff = 0;
        return;
    }
    m_GridSnapEdited = 0;
    ComboBox* box = F_GridSnap(Index);
    std::optional<int32_t> step = ParseAidStep(Index, box->Text());
    if (!step) {
        winsys::Ui().Beep();
        step = Index == 2 ? g_AngleStep : Index == 1 ? g_SnapStep : g_GridStep;
    }
    if (Index == 2) {
        box->SetText(AngleText(*step));
        g_AngleStep = *step;
    } else {
        box->SetText(LengthText(*step));
        if (Index == 1) {
            g_SnapStep = *step;
        } else if (g_GridOn == 0) {
            g_GridStep = *step;
        } else {
            g_GridOn = 0;
            OpenCanvasDC();
            CheckGridPrecision();
            g_GridOn = 1;
            g_GridStep = *step;
            CheckGridPrecision();
            CloseCanvasDC();
        }
    }
    m_ZoomEventsOff = 0;
    ReturnToScreen();
}

void SCHMAIN::F_GridSnap_KeyPress(int Index, int& KeyAscii)
{
    m_GridSnapEdited = -1;
    m_ZoomEventsOff = 0;
    if (KeyAscii == 13) {
        KeyAscii = 0;
        F_GridSnap_Click(Index);
    }
}

void SCHMAIN::F_GridSnap_LostFocus(int Index)
{
    m_ZoomEventsOff = 0;
    if (m_GridSnapEdited) F_GridSnap_Click(Index);
}

void SCHMAIN::GridCheck3D_Click()
{
    if (KernelBusy() != 0) return;
    g_GridOn = GridCheck3D->Value() == 1 ? -1 : 0;
    if (m_Loading) return;
    OpenCanvasDC();
    CheckGridPrecision();
    CloseCanvasDC();
    ReturnToScreen();
}

void SCHMAIN::F_Tsize_Click()
{
    if (m_ZoomEventsOff) {
        m_ZoomEventsOff = 0;
        return;
    }
    // Sound behaviour: a typed text selects no entry (index -1); the size
    // in use stays.
    if (F_Tsize->ListIndex() >= 0) g_TextSizeIdx = F_Tsize->ListIndex() + 1;
    ReturnToScreen();
}

void SCHMAIN::F_Tsize_KeyPress(int& KeyAscii)
{
    m_ZoomEventsOff = 0;
    if (KeyAscii == 13) {
        KeyAscii = 0;
        F_Tsize_Click();
    }
}

void SCHMAIN::F_Tsize_LostFocus()
{
    m_ZoomEventsOff = 0;
    F_Tsize_Click();
}

void SCHMAIN::FillTextSizeValues()
{
    F_Tsizes->Clear();
    for (int i = 0; i < 16; ++i) F_Tsizes->AddItem(LengthText(g_LineWidths(i)));
    F_Tsizes->SetText(LengthText(g_LineWidth));
}

void SCHMAIN::F_Tsizes_Click()
{
    if (m_ZoomEventsOff) {
        m_ZoomEventsOff = 0;
        return;
    }
    m_LineWidthEdited = 0;
    const double v = TypedLength(F_Tsizes->Text());
    if (!std::isfinite(v) || v < 1 || v > kCoordLimit)
        winsys::Ui().Beep();
    else
        g_LineWidth = ToLong(v);
    F_Tsizes->SetText(LengthText(g_LineWidth));
    ReturnToScreen();
}

void SCHMAIN::F_Tsizes_KeyPress(int& KeyAscii)
{
    m_LineWidthEdited = -1;
    m_ZoomEventsOff = 0;
    if (KeyAscii == 13) {
        KeyAscii = 0;
        F_Tsizes_Click();
    }
}

void SCHMAIN::F_Tsizes_LostFocus()
{
    m_ZoomEventsOff = 0;
    if (m_LineWidthEdited) F_Tsizes_Click();
}

void SCHMAIN::FillGridSnapLists()
{
    F_GridSnap(0)->Clear();
    F_GridSnap(1)->Clear();
    const int k = g_UnitIndex == 0 ? 14 : 21;
    for (int i = k + 1; i <= k + 6; ++i) {
        F_GridSnap(0)->AddItem(LengthText(g_GridTable(i)));
        F_GridSnap(1)->AddItem(LengthText(g_SnapTable(i)));
    }
    F_GridSnap(0)->SetText(LengthText(g_GridStep));
    F_GridSnap(1)->SetText(LengthText(g_SnapStep));
}

void SCHMAIN::SetDisplayUnit(int32_t unit)
{
    const int32_t old = g_UnitIndex;
    g_UnitIndex = unit;
    M_Inches->SetChecked(unit == 0);
    M_Mm->SetChecked(unit == 1);
    if (old == unit) return;
    FillTextSizeValues();
    FillGridSnapLists();
    FillZoomList();
    FillTextSizeList(*this);
}

void SCHMAIN::M_Inches_Click()
{
    CheckHelpMode(10, 1, 0, 0);
    SetDisplayUnit(0);
}

void SCHMAIN::M_Mm_Click()
{
    CheckHelpMode(10, 2, 0, 0);
    SetDisplayUnit(1);
}
