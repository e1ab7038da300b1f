// SCHMAIN's previews of the component commands: the component being placed
// or moved follows the pointer in the database (its picked pin under the
// pointer), turned, mirrored or relocated as the option buttons ask, and is
// recorded by the kernel as the command's XOR overlay, with the ratsnest of
// the marked nets and the marked wires when asked; the frame of a component
// array follows the pointer the same way.
#include "editor/shell/schmain.h"

#include "editor/automation/placement_relocation.h"
#include "editor/interaction/commands.h"
#include "editor/interaction/input_state.h"
#include "editor/objects/comp_state.h"
#include "editor/objects/components.h"
#include "editor/objects/wire_state.h"
#include "editor/shell/geometry.h"
#include "editor/shell/msgtext.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/ribbon.h"
#include "editor/shell/settings.h"
#include "editor/shell/textnum.h"
#include "editor/view/canvas.h"
#include "editor/view/view_state.h"

#include <cmath>
#include <string>

namespace {

int32_t Round(double v)
{
    return ClampToLimit(static_cast<int64_t>(std::nearbyint(v)));
}

// The component's position moved so that the point `at` of its own
// coordinates (its picked entry) lies on the page point (x, y), under its
// current angle and mirroring.
void HookToPointer(int32_t x, int32_t y)
{
    S_SetCompLocation(g_Comp.X, g_Comp.Y, g_Comp.Angle, g_Comp.Flags & 2);
    int32_t p[2] = {x, y};
    I_APtoLP(p);
    p[0] = ClampToLimit(int64_t{p[0]} - g_CompAnchor.X);
    p[1] = ClampToLimit(int64_t{p[1]} - g_CompAnchor.Y);
    I_LPtoAP(p);
    g_Comp.X = ClampToLimit(p[0]);
    g_Comp.Y = ClampToLimit(p[1]);
}

}  // namespace

void SCHMAIN::PreviewComp(int& Shift, int32_t& X, int32_t& Y)
{
    if (OptionOn(10)) {
        m_StepRequest = -1;
        ReleaseOption(10);
        if (g_CurCommand != 4) {
            g_Comp = g_CompOld;
            SetCompPlacement(g_CompId, g_Comp);
        }
        return;
    }
    int32_t unchanged = 0;
    bool handle = false;
    int32_t hx = 0, hy = 0;
    double rotation = g_Comp.Angle / 1000.0;
    if (OptionOn(0)) {
        g_Comp.Angle = G_AngleAdj(Round((g_Comp.Angle / 1000.0 + 90) * 1000));
        ReleaseOption(0);
        HookToPointer(X, Y);
    } else if (OptionOn(1)) {
        S_SetCompLocation(g_Comp.X, g_Comp.Y, 0, g_Comp.Flags & 2);
        int32_t l[2] = {X, Y};
        I_APtoLP(l);
        const double lx = static_cast<float>(l[0]);
        const double ly = static_cast<float>(l[1]);
        double a = VectorAngle(lx, ly);
        if ((Shift & 1) == 0) {
            SnapAngle(unchanged, a);
            if (unchanged == 1) {
                CloseCanvasDC();
                return;
            }
        }
        g_Comp.Angle = G_AngleAdj(Round(a * 1000));
        const double r = VectorLength(lx, ly);
        int32_t h[2] = {Round(std::cos(a * g_DegToRad) * r), Round(std::sin(a * g_DegToRad) * r)};
        I_LPtoAP(h);
        hx = h[0];
        hy = h[1];
        handle = true;
        rotation = a;
    } else if (OptionOn(2)) {
        g_Comp.Flags ^= 2;
        ReleaseOption(2);
    } else if (OptionOn(8)) {
        ApplyPatternRelocation(X, Y);
    } else {
        if ((Shift & 1) == 0) {
            SnapPoint(unchanged, X, Y);
            if (unchanged == 1) {
                CloseCanvasDC();
                return;
            }
        }
        HookToPointer(X, Y);
    }
    SetCompPlacement(g_CompId, g_Comp);
    if (!handle) rotation = g_Comp.Angle / 1000.0;

    EraseOverlay();
    G_OpenMF(ViewPicture->DeviceHandle());
    G_SetDrawMode(32);
    C_DrawComponent(g_CompId);
    if (handle) {
        G_Line(hx, hy, g_Comp.X, g_Comp.Y);
        X = hx;
        Y = hy;
    }
    if (OptionOn(8))
        DrawCursorCross(m_FullCross, 0, g_Comp.X, g_Comp.Y);
    else
        DrawCursorCross(m_FullCross, 0, X, Y);
    C_ChangeItemMask(g_CompId, g_Comp.Extra);
    if (OptionOn(6)) {
        const int32_t nets = DB_NetMap();
        int32_t pos = OM_GetFirst(nets);
        for (;;) {
            const int32_t net = OM_SearchMask(nets, &pos, 0x80, 0x80);
            if (net <= 0) break;
            N_SetNodeView(0);
            N_DrawNetRatsnest(net, 1, 1);
        }
    }
    if (OptionOn(7))
        for (long i = 1; i <= g_MaskedBranchIds.UBound(); ++i) B_DrawAllRecords(g_MaskedBranchIds(i), 0x80);
    m_OverlayMF = G_CloseMF();
    PlayOverlay();
    CloseCanvasDC();

    std::string note;
    if (OptionOn(8))
        note = GetMsgText("   Component is relocated by placement pattern : ", "99463") + std::to_string(m_RelocPattern);
    ShowMessage(g_CompName + ":" + std::to_string(g_CompEntry) + GetMsgText("  rot:", "991112") +
                Format(rotation, g_AngleFormat) + std::string(1, '\xB0') + note);
}

void SCHMAIN::PreviewCompBlock(int& Shift, int32_t& X, int32_t& Y)
{
    if (OptionOn(10)) {
        m_StepRequest = -1;
        g_Comp = g_CompOld;
        ReleaseOption(10);
        SetCompPlacement(g_CompId, g_Comp);
        return;
    }
    if (!SnapPreviewPoint(Shift, X, Y)) return;
    if (int64_t{X} + g_ArrayExtent.X > kCoordLimit) X = ClampToLimit(int64_t{kCoordLimit} - g_ArrayExtent.X);
    if (int64_t{Y} + g_ArrayExtent.Y > kCoordLimit) Y = ClampToLimit(int64_t{kCoordLimit} - g_ArrayExtent.Y);
    g_Comp.X = X;
    g_Comp.Y = Y;
    SetCompPlacement(g_CompId, g_Comp);
    EraseOverlay();
    G_OpenMF(ViewPicture->DeviceHandle());
    G_SetDrawMode(32);
    G_Rectangle(X, Y, g_ArrayExtent.X, g_ArrayExtent.Y, 0);
    DrawCursorCross(m_FullCross, 0, X, Y);
    C_DrawComponent(g_CompId);
    m_OverlayMF = G_CloseMF();
    PlayOverlay();
    CloseCanvasDC();
    ShowMessage(GetMsgText("Component block create", "99462"));
}
