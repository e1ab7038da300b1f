// SCHMAIN's wire previews: the dragged point of a wire (with its leg, the
// anchor marker and guide lines), the dragged segment, and the pattern of a
// repeating wire at the pointer. The first two move the wire's junctions in
// the database as the pointer moves and put them back when the command is
// given up; each replaces the command's XOR drawing by one at the pointer.
#include "editor/shell/schmain.h"

#include "editor/editing/editing_state.h"
#include "editor/editing/wire_helpers.h"
#include "editor/interaction/commands.h"
#include "editor/interaction/input_state.h"
#include "editor/objects/branch_points.h"
#include "editor/objects/comp_state.h"
#include "editor/objects/net_lookups.h"
#include "editor/objects/view_values.h"
#include "editor/objects/wire_state.h"
#include "editor/shell/controls.h"
#include "editor/shell/curpos.h"
#include "editor/shell/msgtext.h"
#include "editor/shell/numtext.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/ribbon.h"
#include "editor/shell/textnum.h"
#include "editor/view/canvas.h"
#include "editor/view/display_menus.h"

#include <cmath>
#include <cstdlib>

namespace {


int32_t Round(double v)
{
    return static_cast<int32_t>(std::nearbyint(v));
}

bool Within(int64_t v)
{
    return std::llabs(v) < kCoordLimit;
}

int32_t Sign(int32_t v)
{
    return v > 0 ? 1 : (v < 0 ? -1 : 0);
}

// A leg turned to the nearest eighth: a steep leg becomes vertical or 45
// degrees, a flat one horizontal or 45 degrees; at exactly one half a steep
// leg becomes diagonal and a flat one horizontal.
void EighthTurn(int32_t& dx, int32_t& dy)
{
    const int64_t ax = std::llabs(dx), ay = std::llabs(dy);
    if (ay > ax) {
        if (2 * ax < ay)
            dx = 0;
        else
            dx = Sign(dx) * static_cast<int32_t>(ay);
    } else {
        if (2 * ay <= ax)
            dy = 0;
        else
            dy = Sign(dy) * static_cast<int32_t>(ax);
    }
}

}  // namespace

void SCHMAIN::ShowWireNetMessage()
{
    const int32_t owner = g_CurBranchRec.Net;
    // A page frame's net field names its page.
    if (owner == 0 || g_CurBranch < 0) return;
    const int32_t isBus = (g_CurBranchRec.Flags & wire_edit::kBusWire) != 0 ? 1 : 0;
    std::string name = PtrToStr(O_GetName(isBus ? N_Bus(owner) : N_Net(owner)));
    // While the line still shows the text made for this owner under this
    // name, the text is not made again on every move (its catalogue texts
    // and the bus lookup); the message line repaints at once, so a text it
    // shows already is not shown again either.
    const std::string caption = F_MsgLine->Caption();
    if (owner == m_WireMsgOwner && isBus == m_WireMsgBus && name == m_WireMsgName && caption == m_WireMsgCaption)
        return;
    std::string text;
    if (isBus) {
        text = GetMsgText("Bus: ", "99272") + name;
    } else {
        text = GetMsgText("Net: ", "99931") + name;
        int32_t slot = 0;
        if (const int32_t bus = N_FindBusMember(owner, &slot)) {
            // Slots count from 0; the message counts members from 1.
            text += GetMsgText("(in Bus: ", "99102") + PtrToStr(O_GetName(N_Bus(bus))) + " memb:" + Str(slot + 1) + ")";
        }
    }
    if (caption != " " + text) ShowMessage(text);
    m_WireMsgOwner = owner;
    m_WireMsgBus = isBus;
    m_WireMsgName = std::move(name);
    m_WireMsgCaption = F_MsgLine->Caption();
}

void SCHMAIN::PreviewWire(int& Shift, int32_t& X, int32_t& Y, int32_t)
{
    // Take back the last corner of a wire being drawn. Fewer than three
    // points, or a corner on a pin, leave nothing to take back: no failure.
    if (g_CurCommand == 31 && OptionOn(0)) {
        int32_t failed = 0;
        BranchRec rec{};
        BranchPointRec before{};
        if (B_ReadBranch(g_CurBranch, &rec) != 0 && rec.Points >= 3 && g_CurBranchPos >= 3 &&
            B_ReadRecord(g_CurBranch, g_CurBranchPos - 1, &before) != 0 &&
            (before.Flags & wire_edit::kJunctionRef) != 0)
            StepBackWirePoint(failed);
        Shift = 1;
        ReleaseOption(0);
        if (failed != 0 && F_OST.Exists(10)) F_OST(10)->SetValue(true);
    }
    if (OptionOn(2)) Shift = 1;
    if (OptionOn(10)) {
        m_StepRequest = -1;
        ReleaseOption(10);
        g_PrevBranchPoint = g_PrevBranchPointSave;
        g_CurBranchPoint = g_CurBranchPointSave;
        g_NextBranchPoint = g_NextBranchPointSave;
        MoveJunction(g_CurBranchPoint);
        return;
    }
    if (OptionOn(3)) {
        m_JunctionRequest = -1;
        ReleaseOption(3);
        return;
    }
    if ((Shift & 1) == 0) {
        int32_t unchanged = 0;
        SnapPoint(unchanged, X, Y);
        if (unchanged == 1) {
            CloseCanvasDC();
            return;
        }
    }
    // The anchor of the leg.
    if (OptionOn(0))
        g_LegFromNext = g_NextBranchPos != 0 ? 1 : 0;
    else
        g_LegFromNext = g_PrevBranchPos != 0 ? 0 : 1;
    const int32_t anchorPos = g_LegFromNext ? g_NextBranchPos : g_PrevBranchPos;
    const BranchPointRec& anchor = g_LegFromNext ? g_NextBranchPoint : g_PrevBranchPoint;
    const int32_t ax = anchor.X, ay = anchor.Y;
    bool drawAnchor = true;
    bool square = false;
    const int32_t px = X, py = Y;
    int32_t dx = 0, dy = 0;
    if (OptionOn(1) && anchorPos != 0) {
        const int64_t ldx = int64_t{px} - ax, ldy = int64_t{py} - ay;
        X = ax;
        Y = ay;
        if (ldx != 0 && ldy != 0 && Within(ldx) && Within(ldy)) {
            dx = static_cast<int32_t>(ldx);
            dy = static_cast<int32_t>(ldy);
            const bool bus = (g_CurBranchRec.Flags & wire_edit::kBusWire) != 0;
            if (g_CurCommand == 31 && g_PrevBranchPos > 1 && !bus) {
                // Square mode: the leg at a right angle to the segment on
                // the anchor's far side.
                square = true;
                const int32_t beyond = g_LegFromNext ? anchorPos + 1 : anchorPos - 1;
                BranchPointRec far{};
                drawAnchor = B_ReadRecord(g_CurBranch, beyond, &far) != 0;
                if (far.Y == ay)
                    dx = 0;
                else
                    dy = 0;
            } else {
                EighthTurn(dx, dy);
            }
        } else if (!Within(ldx) || !Within(ldy)) {
            X = px;
            Y = py;
        } else {
            dx = static_cast<int32_t>(ldx);
            dy = static_cast<int32_t>(ldy);
        }
    }
    const int64_t nx = int64_t{X} + dx, ny = int64_t{Y} + dy;
    if (Within(nx) && Within(ny)) {
        g_CurBranchPoint.X = static_cast<int32_t>(nx);
        g_CurBranchPoint.Y = static_cast<int32_t>(ny);
    }
    MoveJunction(g_CurBranchPoint);
    const int32_t cx = g_CurBranchPoint.X, cy = g_CurBranchPoint.Y;

    G_OpenMF(ViewPicture->DeviceHandle());
    G_SetDrawMode(32);
    B_DrawAllRecords(g_CurBranch, 256);
    // The kernel draws a segment for its marked end record; the leg to the
    // next point is drawn too when that point is not marked itself.
    BranchPointRec next{};
    if (g_NextBranchPos != 0 && B_ReadRecord(g_CurBranch, g_NextBranchPos, &next) != 0 && (next.Flags & 256) == 0)
        B_DrawRecords(g_CurBranch, g_CurBranchPos, 1);
    for (long i = 1; i <= g_MaskedBranchIds.UBound(); ++i) B_DrawAllRecords(g_MaskedBranchIds(i), 256);
    if (square) {
        DrawCursorCross(m_FullCross, 1, px, py);
        G_SetStyle(2);
        G_Line(cx, cy, px, py);
        G_SetStyle(0);
    } else {
        DrawCursorCross(m_FullCross, 1, cx, cy);
    }
    if (drawAnchor) {
        const double vs = m_ViewSize;
        G_Triangle(ax, ay, Round(ax + 4 * vs), Round(ay + 4 * vs), Round(ax + 4 * vs), Round(ay - 4 * vs));
    }
    if ((g_CurBranchPoint.Flags & wire_edit::kJunctionRef) != 0) G_Circle(cx, cy, g_PickTolerance);
    // The guide line to the nearest node of the net still to be wired; a
    // bus has no nodes.
    if (g_NextNodeGuide && (g_CurBranchRec.Flags & wire_edit::kBusWire) == 0 && g_CurBranch > 0) {
        int32_t gx = 0, gy = 0;
        if (FindNearestNetNode(0, g_CurBranchRec.Net, 256, 258, cx, cy, gx, gy) != 0) {
            G_SetStyle(2);
            G_Line(cx, cy, gx, gy);
            G_SetStyle(0);
        }
    }
    ReplaceOverlay(G_CloseMF());

    if (OptionOn(7) && m_HighlightMF == 0) {
        int32_t kind = 1;
        HighlightComp(kind);
    } else if (!OptionOn(7) && m_HighlightMF != 0) {
        EraseHighlight();
        m_WireHighlightOn = 0;
    }
    if (m_HighlightMF != 0 && m_WireHighlightOn) {
        ToggleHighlight();
        m_WireHighlightOn = 0;
    }
    CloseCanvasDC();
    ShowWireNetMessage();
}

void SCHMAIN::PreviewNetWire(int& Shift, int32_t& X, int32_t& Y, int32_t)
{
    if (OptionOn(10)) {
        m_StepRequest = -1;
        ReleaseOption(10);
        g_CurBranchPoint = g_CurBranchPointSave;
        g_PrevBranchPoint = g_PrevBranchPointSave;
        MoveJunctionPair(g_CurBranchPoint, g_PrevBranchPoint);
        return;
    }
    // The position the segment's current point takes, the grab offset kept.
    X = ClampToLimit(int64_t{X} - g_CompAnchor.X);
    Y = ClampToLimit(int64_t{Y} - g_CompAnchor.Y);
    if ((Shift & 1) == 0) {
        int32_t unchanged = 0;
        SnapPoint(unchanged, X, Y);
        if (unchanged == 1) {
            CloseCanvasDC();
            return;
        }
    }
    const int64_t sx = int64_t{g_PrevBranchPoint.X} - g_CurBranchPoint.X;
    const int64_t sy = int64_t{g_PrevBranchPoint.Y} - g_CurBranchPoint.Y;
    if (!OptionOn(0) && Within(X) && Within(X + sx)) {
        g_CurBranchPoint.X = X;
        g_PrevBranchPoint.X = static_cast<int32_t>(X + sx);
    }
    if (!OptionOn(1) && Within(Y) && Within(Y + sy)) {
        g_CurBranchPoint.Y = Y;
        g_PrevBranchPoint.Y = static_cast<int32_t>(Y + sy);
    }
    MoveJunctionPair(g_CurBranchPoint, g_PrevBranchPoint);
    G_OpenMF(ViewPicture->DeviceHandle());
    G_SetDrawMode(32);
    B_DrawAllRecords(g_CurBranch, 256);
    for (long i = 1; i <= g_MaskedBranchIds.UBound(); ++i) B_DrawAllRecords(g_MaskedBranchIds(i), 256);
    DrawCursorCross(m_FullCross, 1, X, Y);
    ReplaceOverlay(G_CloseMF());
    CloseCanvasDC();
    ShowWireNetMessage();
}

void SCHMAIN::PreviewRepeatWire(int& Shift, int32_t& X, int32_t& Y)
{
    if (OptionOn(10)) {
        m_StepRequest = -1;
        ReleaseOption(10);
        return;
    }
    if ((Shift & 1) == 0) {
        int32_t unchanged = 0;
        SnapPoint(unchanged, X, Y);
        if (unchanged == 1) {
            CloseCanvasDC();
            return;
        }
    }
    const double vs = m_ViewSize;
    G_OpenMF(ViewPicture->DeviceHandle());
    G_SetDrawMode(32);
    G_SetStyle(0);
    G_SetWidth(1);
    DrawCursorCross(m_FullCross, 1, X, Y);
    g_NetNodes(0).X = X;
    g_NetNodes(0).Y = Y;
    G_Circle(X, Y, g_PickTolerance);
    const long count = g_NetNodes.UBound();
    int64_t pdx = 0, pdy = 0;
    for (long i = 2; i <= count; ++i) {
        const int64_t dx = int64_t{g_NetNodes(i).X} - g_NetNodes(1).X;
        const int64_t dy = int64_t{g_NetNodes(i).Y} - g_NetNodes(1).Y;
        const int32_t x = ClampToLimit(X + dx), y = ClampToLimit(Y + dy);
        G_Line(ClampToLimit(X + pdx), ClampToLimit(Y + pdy), x, y);
        if ((g_NetNodes(i).Flags & 2) != 0)
            G_Rectangle(Round(x - 4 * vs), Round(y - 4 * vs), Round(8 * vs), Round(8 * vs), 0);
        else
            G_Circle(x, y, Round(4 * vs));
        pdx = dx;
        pdy = dy;
    }
    ReplaceOverlay(G_CloseMF());
    CloseCanvasDC();
    const std::string text = GetMsgText("Repeating wire", "13174");
    if (F_MsgLine->Caption() != " " + text) ShowMessage(text);
}
