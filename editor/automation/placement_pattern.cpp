// MakePatternByComponent: a pattern whose cells hold one component of the
// size of the one clicked, with the pattern parameters' clearances and
// alignment, centred in the page frame.
#include "editor/automation/placement_pattern.h"

#include "editor/automation/placement_items.h"
#include "editor/automation/placement_messages.h"
#include "editor/automation/placement_settings.h"
#include "editor/automation/placement_symbols.h"
#include "editor/editing/editing_state.h"
#include "editor/objects/owner_items.h"
#include "editor/shell/msgtext.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/schmain.h"
#include "editor/shell/systables.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

int32_t g_PatRebuilt = 0;

namespace {

// Halves to even, as the cell counts and gaps are rounded.
int64_t RoundQuotient(int64_t a, int64_t b)
{
    return static_cast<int64_t>(std::nearbyint(static_cast<double>(a) / static_cast<double>(b)));
}

// A length that is not a whole number of steps becomes the next one up.
int64_t WholeSteps(int64_t v, int64_t a)
{
    return v % a == 0 ? v : (v / a + 1) * a;
}

// The outline of a component: the union of the boxes the kernel gives;
// a box it cannot give is left out. False when it gives none.
bool Outline(int32_t comp, int64_t box[4])
{
    int32_t a[4] = {}, b[4] = {};
    std::vector<const int32_t*> boxes;
    if (C_FrameCompEntries(comp, a) > 0) boxes.push_back(a);
    if (C_FrameCompItems(comp, b) > 0) boxes.push_back(b);
    if (boxes.empty()) return false;
    box[0] = box[1] = INT64_MAX;
    box[2] = box[3] = INT64_MIN;
    for (const int32_t* r : boxes) {
        box[0] = std::min<int64_t>({box[0], r[0], r[2]});
        box[2] = std::max<int64_t>({box[2], r[0], r[2]});
        box[1] = std::min<int64_t>({box[1], r[1], r[3]});
        box[3] = std::max<int64_t>({box[3], r[1], r[3]});
    }
    return true;
}

// Adds one line to the grid symbol; false when it cannot be added.
bool AddLine(int32_t link, int64_t x, int64_t y, int64_t dx, int64_t dy)
{
    ItemRec r{};
    r.Kind = 1;
    r.Flags = kPlcShown;
    r.Link = link;
    r.Layer = static_cast<uint8_t>(g_HighlightColor);
    r.Width = 1;
    r.X = static_cast<int32_t>(x), r.Y = static_cast<int32_t>(y);
    r.P1 = static_cast<int32_t>(dx), r.P2 = static_cast<int32_t>(dy);
    int32_t status = 0, item = 0;
    return MakeOwnerItem(status, kOwnerSymbol, g_GridSymbol, r, "", item) > 0 && status == 0;
}

}  // namespace

int64_t AlignOutward(int64_t d, int64_t alignment)
{
    const int64_t a = std::max<int64_t>(alignment, 1);
    const int64_t m = std::llabs(d);
    const int64_t k = RoundQuotient(m, a) + (m % a != 0 ? 1 : 0);
    return d < 0 ? -k * a : k * a;
}

PatternAxis ComputePatternAxis(int64_t low, int64_t high, int64_t f1, int64_t f2, const PatternParams& p)
{
    PatternAxis axis;
    const int64_t a = std::max<int64_t>(p.alignment, 1);
    const int64_t c = p.clearance;
    const int64_t frame = std::llabs(f2 - f1);
    // A cell is at least one alignment step wide, so that the counts below
    // never divide by zero.
    axis.cell = std::max(WholeSteps(std::llabs(AlignOutward(low, a) - high) + c, a), a);
    const int64_t fit = RoundQuotient(c + frame, axis.cell);
    if (p.asSetup) {
        axis.count = std::min(p.wanted, fit);
        if (axis.count <= 0) return PatternAxis{axis.cell, 0, 0, 0};
        const double share = static_cast<double>(frame - axis.cell * axis.count + c) / static_cast<double>(axis.count + 1);
        axis.gap = a * static_cast<int64_t>(std::nearbyint(share / static_cast<double>(a)));
    } else {
        axis.count = fit;
    }
    axis.count = std::min(axis.count, kMaxPatternLines);
    // Centring: each pass either takes a start, or makes the gap or the
    // count smaller, so it ends.
    while (axis.count > 0) {
        const int64_t pitch = axis.cell + axis.gap;
        const int64_t s = f1 + RoundQuotient(frame - pitch * axis.count + axis.gap + c, 2);
        const int64_t k = RoundQuotient(s, a);
        const int64_t r = s % a;
        if (r <= a / 2 && k * a >= f1) {
            axis.start = k * a;
            return axis;
        }
        if (pitch * axis.count + (k + 1) * a + axis.gap + c < f2) {
            axis.start = (k + 1) * a;
            return axis;
        }
        if (axis.gap >= a) {
            axis.gap -= a;
        } else {
            axis.gap = 0;
            --axis.count;
        }
    }
    return PatternAxis{axis.cell, 0, 0, 0};
}

void SCHMAIN::MakePatternByComponent(int32_t comp, double x, double y)
{
    if (!SyncPlacementSymbolIds()) return;
    CompRec c{};
    if (C_ReadComponent(comp, &c) != 1) return;
    const bool mirrored = (c.Flags & 2) != 0;
    if (g_PlcCurLink < 9 && mirrored) {
        ReportPlacementError(9, "");
        return;
    }
    if (g_PlcCurLink >= 9 && !mirrored) {
        ReportPlacementError(10, "");
        return;
    }
    int64_t box[4] = {c.X, c.Y, c.X, c.Y};
    Outline(comp, box);
    int32_t f[4] = {};
    if (!PlacementFrame(f)) return;
    PatternParams px{g_PatClearanceX, g_PatAlignment, g_PatAsSetup != 0, g_PatColumns};
    PatternParams py{g_PatClearanceY, g_PatAlignment, g_PatAsSetup != 0, g_PatRows};
    const PatternAxis cols = ComputePatternAxis(box[0] - px.clearance - c.X, box[2] + px.clearance - c.X, f[0], f[2], px);
    if (cols.count <= 0) {
        ReportPlacementError(6, "");
        return;
    }
    const PatternAxis rows = ComputePatternAxis(box[1] - py.clearance - c.Y, box[3] + py.clearance - c.Y, f[1], f[3], py);
    if (rows.count <= 0) {
        ReportPlacementError(7, "");
        return;
    }
    double qx = x, qy = y;
    PopupConfirm(GetMsgText("Cols ", "99430") + " " + std::to_string(cols.count) + GetMsgText(" Rows ", "991123") +
                     " " + std::to_string(rows.count),
                 qx, qy);
    if (!g_YesNoAnswer) {
        g_PatRebuilt = 0;
        return;
    }
    // The new lines are made first; only when all of them are in do the
    // lines shown so far go. A line that cannot be made takes the new ones
    // away again and leaves the pattern as it was.
    const int32_t grid = S_SymbolItemArray(g_GridSymbol);
    const int32_t before = OA_GetCount(grid);
    auto failed = [&](int32_t link) {
        for (int32_t k = OA_GetCount(grid); k > before; --k) OA_Delete(grid, k);
        ReportPlacementError(8, " " + std::to_string(link));
        g_PatRebuilt = 0;
    };
    const int64_t rowPitch = rows.cell + rows.gap, colPitch = cols.cell + cols.gap;
    int64_t n = 0;
    for (int64_t v = rows.start; v <= f[3] && n < kMaxPatternLines; v += rowPitch, ++n)
        if (!AddLine(g_PlcCurLink, f[0], v, f[2] - f[0], 0)) return failed(g_PlcCurLink);
    n = 0;
    for (int64_t v = cols.start; v <= f[2] && n < kMaxPatternLines; v += colPitch, ++n)
        if (!AddLine(g_PlcCurLink + 1, v, f[1], 0, f[3] - f[1])) return failed(g_PlcCurLink + 1);
    for (int32_t k = before; k >= 1; --k) {
        ItemRec r{};
        if (I_ReadItem(OA_Object(grid, k), &r) != 1) continue;
        if ((r.Flags & kPlcShown) != 0 && (r.Link == g_PlcCurLink || r.Link == g_PlcCurLink + 1)) OA_Delete(grid, k);
    }
    g_PatRebuilt = -1;
}
