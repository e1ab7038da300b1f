#include "editor/shell/pagedraw.h"

#include "editor/shell/help.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/settings.h"

#include <cmath>

int32_t g_CurPage = 0;
int32_t g_FrameBranch = 0;
int32_t g_DesNotesSymb = 0;
int32_t g_PageNotesSymb = 0;
int32_t g_FrameX1 = 0;
int32_t g_FrameY1 = 0;
int32_t g_FrameX2 = 0;
int32_t g_FrameY2 = 0;
int32_t g_FrameWidth = 0;
int32_t g_FrameHeight = 0;
bool g_FrameValid = false;
bool g_ShowPageNotes = true;
bool g_ShowDesNotes = true;
bool g_ShowNodes = false;
int32_t g_ShowRatsnest = 0;
bool g_NetGuidelines = false;
int32_t g_MonoDrawMode = 0;
int32_t g_OutputDrawMode = 0;
bool g_Printing = false;
int32_t g_RouteImageActive = 0;
bool g_RedrawCancelled = false;

namespace {

constexpr int32_t kMarkColor = 191;
constexpr int32_t kFrameColor = 61;
constexpr int32_t kDatumHalf = 81280;  // half the side of the datum marks

// True (and the drawing marked as cancelled) when F10 asks to stop.
bool Stopped()
{
    if (!CancelKeyDown()) return false;
    g_RedrawCancelled = true;
    return true;
}

void DrawNotes(int32_t symbol)
{
    S_SetCompLocation(0, 0, 0, 0);
    S_DrawSymbol(symbol, 1, 0);
}

void DrawOutline()
{
    G_SetStyle(0);
    G_SetColor(g_MonoDrawMode ? 0 : kFrameColor);
    G_SetDrawMode(g_EntryDrawMode | g_OutputDrawMode | 8);
    B_DrawAllRecords(g_FrameBranch, 1);
    G_SetWidth(1);
    if (g_Printing) return;
    BranchRec branch{};
    BranchPointRec first{};
    if (B_ReadBranch(g_FrameBranch, &branch) == 0 || (branch.Flags & 256) != 0) return;
    if (B_ReadRecord(g_FrameBranch, 1, &first) == 0) return;
    G_Rectangle(first.X - kDatumHalf, first.Y - kDatumHalf, 2 * kDatumHalf, 2 * kDatumHalf, 0);
    int32_t box[4] = {};
    if (B_FrameBranchLines(g_FrameBranch, -1, box) > 0)
        G_Rectangle(box[0], box[1] - static_cast<int32_t>(std::nearbyint(std::sqrt(2.0) * kDatumHalf)),
                    2 * kDatumHalf, 2 * kDatumHalf, 45000);
}

}  // namespace

void ReadCurrentPage()
{
    g_CurHier = DB_CurHier();
    g_CurPage = DB_CurPage();
    g_FrameBranch = -100 - g_CurPage;
    g_DesNotesSymb = -100 - g_CurHier;
    g_PageNotesSymb = g_CurPage > 0 ? -((g_CurHier + 9) * 100 + g_CurPage) : 0;
}

void ReadFrameBox()
{
    g_FrameX1 = g_FrameY1 = g_FrameX2 = g_FrameY2 = 0;
    g_FrameValid = false;
    int32_t box[4] = {};
    if (B_FrameBranchLines(g_FrameBranch, 63, box) >= 1) {
        g_FrameX1 = box[0];
        g_FrameY1 = box[1];
        g_FrameX2 = box[2];
        g_FrameY2 = box[3];
        g_FrameValid = true;
    }
    g_FrameWidth = g_FrameX2 - g_FrameX1;
    g_FrameHeight = g_FrameY2 - g_FrameY1;
}

void DrawPage()
{
    if (Stopped()) return;
    if (!g_Printing) {
        G_SetStyle(2);
        G_SetColor(kMarkColor);
        G_Rectangle(-kCoordLimit, -kCoordLimit, 2 * kCoordLimit, 2 * kCoordLimit, 0);
        if (Stopped()) return;
    }
    G_SetStyle(0);
    G_SetDrawMode(g_EntryDrawMode | g_MonoDrawMode | g_OutputDrawMode);
    if (g_MonoDrawMode) G_SetColor(0);
    if (g_ShowPageNotes) {
        DrawNotes(g_PageNotesSymb);
        if (Stopped()) return;
    }
    if (g_ShowDesNotes) {
        DrawNotes(g_DesNotesSymb);
        if (Stopped()) return;
    }
    C_DrawAllComponents(1);
    if (Stopped()) return;
    if (g_RouteImageActive == 0) {
        B_DrawAllBranchMask(1, 1, 1);
        if (Stopped()) return;
        J_DrawAllJunctions(1);
        if (Stopped()) return;
    }
    if (g_ShowNodes) N_DrawAllNodes(1);
    if (g_ShowRatsnest != 0 && !g_NetGuidelines) {
        const int32_t map = DB_NetMap();
        int32_t pos = OM_GetFirst(map);
        for (;;) {
            const int32_t net = OM_SearchMask(map, &pos, 1, 1);
            if (net < 1) break;
            if (Stopped()) return;
            N_DrawNetRatsnest(net, 0, 1);
        }
    }
    if (g_ShowPageOutline) DrawOutline();
}
