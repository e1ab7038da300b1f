// SCHMAIN's cursor cross, the coordinate read-out, the point markers P1 to
// P3 and the reference point, and the ways an input point is taken (typed,
// snapped, from a pin, the page frame or a graphic item).
#include "editor/shell/schmain.h"

#include "editor/interaction/commands.h"
#include "editor/objects/branch_hits.h"
#include "editor/objects/branch_points.h"
#include "editor/objects/comp_picking.h"
#include "editor/objects/comp_state.h"
#include "editor/objects/symbol_items.h"
#include "editor/objects/wire_state.h"
#include "editor/shell/controls.h"
#include "editor/shell/dlgservices.h"
#include "editor/shell/geometry.h"
#include "editor/shell/help.h"
#include "editor/shell/menus.h"
#include "editor/shell/msgtext.h"
#include "editor/shell/numtext.h"
#include "editor/shell/pagedraw.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/ribbon.h"
#include "editor/shell/settings.h"
#include "editor/shell/systables.h"
#include "editor/shell/textnum.h"
#include "editor/view/marks.h"
#include "platform/winsys/interaction.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace {

int Unit()
{
    return g_UnitIndex == 1 ? 1 : 0;
}

std::string Length(double value, const std::string& pattern)
{
    return Format(value / g_DbUnitsPerMm * g_UnitFactor(Unit()), pattern) + g_UnitSuffix(Unit());
}

// What a coordinate read-out was last given: its value, how it was written
// and the caption that made.
struct Readout {
    double value = 0;
    int32_t perMm = 0;
    double factor = 0;
    std::string pattern, suffix;
    QString caption;
};

Readout g_ShownX, g_ShownY;

// Gives a coordinate label its caption. The pointer moves along one axis
// at a time as often as not, so the number is written again only when the
// value or its unit and format differ from what the label shows.
void ShowReadout(Label& label, Readout& last, const char* prefix, double value)
{
    const std::string& pattern = g_NumFormat(Unit());
    const double factor = g_UnitFactor(Unit());
    const std::string& suffix = g_UnitSuffix(Unit());
    if (value == last.value && g_DbUnitsPerMm == last.perMm && factor == last.factor && pattern == last.pattern &&
        suffix == last.suffix && label.text() == last.caption)
        return;
    label.SetCaption(prefix + Length(value, pattern));
    last = Readout{value, g_DbUnitsPerMm, factor, pattern, suffix, label.text()};
}

// A number field: a value that ParseNum reads as 0 counts only when the
// text is a written zero.
std::optional<double> NumberField(const std::string& text)
{
    const double v = ParseNum(text);
    if (v != 0) return v;
    const std::string t = Trim(text);
    if (t.empty()) return std::nullopt;
    bool digit = false;
    for (char c : t) {
        if (c >= '0' && c <= '9') digit = true;
        else if (c != '+' && c != '-' && c != '.' && c != ',') return std::nullopt;
    }
    if (!digit) return std::nullopt;
    return 0.0;
}

// Gathers the page box (database units, x1 y1 x2 y2) of marker figures:
// each reaches eight canvas pixels about its point.
struct MarkerArea {
    int32_t box[4] = {};
    bool any = false;
    void Add(const MarkerRec& marker, double viewSize)
    {
        const int32_t reach = ToLong(8 * viewSize);
        const int32_t b[4] = {marker.X - reach, marker.Y - reach, marker.X + reach, marker.Y + reach};
        if (!any) std::copy(b, b + 4, box);
        box[0] = std::min(box[0], b[0]);
        box[1] = std::min(box[1], b[1]);
        box[2] = std::max(box[2], b[2]);
        box[3] = std::max(box[3], b[3]);
        any = true;
    }
};

// Markers are shown and taken off by painting the page again where they
// are or were: the paint draws the markers shown, layered under what it
// draws after them (the pictures), and a marker taken off leaves what lay
// under it, not the background.
void RepaintMarkers(SCHMAIN& m, const MarkerArea& area)
{
    if (area.any) m.RepaintDrawnOver(area.box);
}

}  // namespace

// A point typed as "x,y[,D]" in the display unit. Nothing when cancelled;
// a beep and nothing for fewer than two fields, a field that is no number
// or a point beyond the canvas range.
std::optional<std::pair<int32_t, int32_t>> AskTypedPoint(const std::string& firstLine)
{
    const std::string prompt = firstLine + "\r\n" + GetMsgText("Format: x,y[,D]", "99703") + "\r\n" +
                               GetMsgText("D for x,y displacement from page datum.", "99504");
    const std::string answer = AskText(prompt, "", "");
    if (answer.empty()) return std::nullopt;
    SplitFields(answer);
    const int count = static_cast<int>(g_ArgNum(0));
    std::optional<double> fx, fy;
    if (count >= 2) {
        fx = NumberField(g_ArgStr(1));
        fy = NumberField(g_ArgStr(2));
    }
    if (!fx || !fy) {
        winsys::Ui().Beep();
        return std::nullopt;
    }
    const double f = g_UnitFactor(Unit());
    double x = *fx / f * g_DbUnitsPerMm, y = *fy / f * g_DbUnitsPerMm;
    if (count >= 3 && UCase(Trim(g_ArgStr(3))) == "D") {
        ReadFrameBox();
        x += g_FrameX1;
        y += g_FrameY1;
    }
    if (!(std::fabs(x) <= kCoordLimit) || !(std::fabs(y) <= kCoordLimit)) {
        winsys::Ui().Beep();
        return std::nullopt;
    }
    return std::make_pair(ToLong(x), ToLong(y));
}

void SCHMAIN::DrawCursorCross(int32_t full, int32_t small, int32_t x, int32_t y)
{
    if (full != 0) {
        G_Line(-kCoordLimit, y, kCoordLimit, y);
        G_Line(x, -kCoordLimit, x, kCoordLimit);
    } else {
        const int32_t d = ToLong(static_cast<double>(m_ViewSize) * (small != 0 ? 16 : 32));
        G_Line(x - d, y, x + d, y);
        G_Line(x, y - d, x, y + d);
    }
    ShowCoords(x, y);
}

void SCHMAIN::ShowCoords(int32_t x, int32_t y)
{
    if (!F_Xpos || !F_Ypos) return;
    double ox = 0, oy = 0;
    if (g_MeasureOrigin == 1) {
        ox = g_FrameX1;
        oy = g_FrameY1;
    } else if (g_MeasureOrigin == 2) {
        ox = g_Markers[3].X;
        oy = g_Markers[3].Y;
    }
    const double dx = x - ox, dy = y - oy;
    if (!m_ShowDistance) {
        ShowReadout(*F_Xpos, g_ShownX, "X= ", dx);
        ShowReadout(*F_Ypos, g_ShownY, "Y= ", dy);
    } else {
        const double d = VectorLength(static_cast<float>(dx), static_cast<float>(dy));
        F_Xpos->SetCaption("D= " + Length(d, "#0.000"));
        F_Ypos->SetCaption("");
    }
}

void SCHMAIN::DrawMarker(int32_t index, int32_t drawMode)
{
    if (index < 0 || index > 3) return;
    G_SetDrawMode(drawMode);
    G_SetColor(g_MarkColor);
    const double s = m_ViewSize, x = g_Markers[index].X, y = g_Markers[index].Y;
    auto L = [](double v) { return ToLong(v); };
    if (index < 3) {
        G_SetStyle(16);
        switch (index) {
        case 0: G_Triangle(L(x), L(y), L(x + 8 * s), L(y + 8 * s), L(x + 8 * s), L(y - 8 * s)); break;
        case 1: G_Triangle(L(x), L(y), L(x - 8 * s), L(y + 8 * s), L(x + 8 * s), L(y + 8 * s)); break;
        default: G_Triangle(L(x), L(y), L(x - 8 * s), L(y + 8 * s), L(x - 8 * s), L(y - 8 * s)); break;
        }
    } else {
        G_SetStyle(0);
        G_SetWidth(1);
        G_Circle(L(x), L(y), L(4 * s));
        G_Line(L(x), L(y + 8 * s), L(x), L(y - 8 * s));
        G_Line(L(x + 8 * s), L(y), L(x - 8 * s), L(y));
    }
}

void SCHMAIN::DrawMarkers()
{
    for (int32_t i = 0; i < 4; ++i)
        if (g_Markers[i].Shown) DrawMarker(i, 0);
}

void SCHMAIN::ClearMarkers(int32_t all)
{
    m_NextMarker = 0;
    m_PointPending = 0;
    MarkerArea area;
    auto clearAll = [&] {
        for (int32_t i = 0; i < 3; ++i) {
            if (g_Markers[i].Shown) {
                g_Markers[i].Shown = 0;
                area.Add(g_Markers[i], m_ViewSize);
            }
        }
    };
    if (all) {
        clearAll();
        RepaintMarkers(*this, area);
        return;
    }
    F_OST(3)->SetValue(false);
    bool one = false;
    for (int32_t i = 0; i < 3 && !one; ++i) {
        if (F_OST(i)->Value()) {
            if (g_Markers[i].Shown) area.Add(g_Markers[i], m_ViewSize);
            g_Markers[i].Shown = 0;
            F_OST(i)->SetValue(false);
            one = true;
        }
    }
    if (!one) clearAll();
    RepaintMarkers(*this, area);
}

void SCHMAIN::InputRefPoint(int32_t how)
{
    if (m_RedrawBusy || g_CurCommand != 0) return;
    MarkerRec& ref = g_Markers[3];
    if (ref.Shown) {
        MarkerArea area;
        area.Add(ref, m_ViewSize);
        ref = MarkerRec{};
        RepaintMarkers(*this, area);
        return;
    }
    int32_t x = m_CursorX, y = m_CursorY;
    if (how == 1) {
        // The pointer's own snap: the first point after a command has begun
        // is taken as it is, as the reference of the snaps that follow.
        int32_t unchanged = 0;
        SnapPoint(unchanged, x, y);
    } else if (how == 2) {
        const auto typed = AskTypedPoint(GetMsgText("Ref.point X,Y (", "991098") + g_UnitLongName(Unit()) + ")");
        if (!typed) return;
        x = typed->first;
        y = typed->second;
    }
    ref.X = x;
    ref.Y = y;
    ref.Shown = -1;
    MarkerArea area;
    area.Add(ref, m_ViewSize);
    RepaintMarkers(*this, area);
}

// The graphic item under the point for methods 8 and 9: a line of the
// component there, else an item of the page notes, else of the design notes.
// Notes items are read at the symbols' own frame.
bool SCHMAIN::FindItemAtPoint(int32_t x, int32_t y)
{
    int32_t status = 1, id = 0, entry = 0;
    std::string name, text;
    PickComp(status, x, y, id, entry, name);
    if (status == 0) {
        // The kernel's cover test places the symbol's items at the frame
        // itself, so it takes the page point as it is.
        S_SetCompLocation(g_Comp.X, g_Comp.Y, g_Comp.Angle, g_Comp.Flags & 2);
        int32_t index = 0;
        CoverSymbItemOfType(status, g_Comp.Symb, 1, x, y, index);
        if (status == 0) {
            ReadSymbItemAbs(status, g_Comp.Symb, index, text);
            if (status == 0) return true;
        }
    }
    for (int32_t symbol : {g_PageNotesSymb, g_DesNotesSymb}) {
        if (symbol == 0) continue;  // the notes symbols have negative ids
        S_SetCompLocation(0, 0, 0, 0);
        int32_t index = 0, kind = 0;
        status = 1;
        CoverSymbItem(status, symbol, x, y, index);
        if (status != 0) continue;
        ReadSymbItem(status, symbol, index, text, kind);
        if (status == 0) return true;
    }
    return false;
}

void SCHMAIN::InputPointXY(int32_t& x, int32_t& y, int32_t method, int32_t markerIndex)
{
    if (markerIndex < 0 || markerIndex > 2) return;
    int32_t px = x, py = y;
    switch (method) {
    case 4: {
        const auto typed =
            AskTypedPoint("P" + CStr(markerIndex + 1) + " X,Y (" + g_UnitLongName(Unit()) + ")");
        if (!typed) return;
        px = typed->first;
        py = typed->second;
        break;
    }
    case 5: {
        // As the pointer snaps, the first point after a command has begun
        // included.
        int32_t unchanged = 0;
        SnapPoint(unchanged, px, py);
        break;
    }
    case 6: {
        int32_t status = 1, id = 0;
        std::string name;
        g_CompEntry = 1;
        PickComp(status, x, y, id, g_CompEntry, name);
        if (status != 0 || g_CompEntry == 0) return;
        px = g_CompAnchorStart.X;
        py = g_CompAnchorStart.Y;
        break;
    }
    case 7: {
        int32_t status = 0, dist = 0, branch = 0, cover = 0;
        BranchRec rec{};
        g_CurBranchPos = 1;
        CoverBranchAtPoint(status, 1, 0, x, y, dist, branch, cover, rec);
        if (status != 0 || branch == 0) return;
        g_CurBranch = branch;
        g_CurBranchRec = rec;
        g_CurBranchPos = std::max(1, cover);
        SelectNearestBranchPoint(status, 0, x, y, dist);
        if (status != 0) return;
        px = g_CurBranchPoint.X;
        py = g_CurBranchPoint.Y;
        break;
    }
    case 8:
    case 9: {
        if (!FindItemAtPoint(x, y)) return;
        int32_t cx = x, cy = y;
        GetItemExtent(cx, cy);
        px = method == 8 ? m_HandleX : m_ItemCentreX;
        py = method == 8 ? m_HandleY : m_ItemCentreY;
        break;
    }
    default:
        break;
    }
    MarkerRec& marker = g_Markers[markerIndex];
    MarkerArea area;
    if (marker.Shown) area.Add(marker, m_ViewSize);
    marker.X = px;
    marker.Y = py;
    marker.Shown = -1;
    area.Add(marker, m_ViewSize);
    RepaintMarkers(*this, area);
    x = px;
    y = py;
}

void SCHMAIN::M_Coords_Click()
{
    CheckHelpMode(6, 10, 0, 0);
    m_ShowDistance = m_ShowDistance ? 0 : -1;
    M_Coords->SetCaption(m_ShowDistance ? GetMsgText("Distance:", "99575") : GetMsgText("X/Y Coords:", "991417"));
}

void SCHMAIN::M_XYMeasure_Click(int Index)
{
    CheckHelpMode(6, Index + 11, 0, 0);
    if (M_XYMeasure.Exists(g_MeasureOrigin)) M_XYMeasure(g_MeasureOrigin)->SetChecked(false);
    g_MeasureOrigin = Index;
    if (M_XYMeasure.Exists(Index)) M_XYMeasure(Index)->SetChecked(true);
}
