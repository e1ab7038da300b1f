#include "editor/objects/branch_drawing.h"

#include "editor/objects/branches.h"
#include "editor/objects/id_table.h"
#include "editor/objects/net_drawing.h"
#include "editor/objects/view_values.h"
#include "editor/objects/wire_state.h"
#include "editor/shell/platform_calls.h"

#include <algorithm>
#include <vector>

namespace {

// The frame mark squares: side 2 x 81280, the diagonal one's corner
// sqrt(2) x 81280 below the datum, turned 45 degrees.
constexpr int32_t kMarkHalf = 81280;
constexpr int32_t kMarkSide = 2 * kMarkHalf;
constexpr int32_t kMarkDiagonal = 114948;

struct Pairs {
    int32_t branchValue = 0, branchMask = 0, recValue = 0, recMask = 0;
};

Pairs HighlightPairs(int32_t mode)
{
    if (mode == 0) return {1, 257, 1, 257};
    if (mode == 1) return {4, 260, 1, 257};
    return {};
}

enum class Form { Records, Selected, All };

// Steps 1 to 3 shared by the three highlight forms.
void DrawHighlight(int32_t mode, int32_t branch, int32_t first, int32_t count, Form form, const Pairs& pairs)
{
    MaskBranchJunctions(branch, pairs.recValue, pairs.recMask);
    auto drawChosen = [&] {
        if (form == Form::Records)
            B_DrawRecords(branch, first, count);
        else
            B_DrawAllRecords(branch, 256);
    };
    if (mode != 0) {
        G_SetStyle(0);
        G_SetColor(61);
        G_SetDrawMode(8);
        drawChosen();
        G_SetWidth(1);
        DrawPageFrameMarks();
        return;
    }
    G_SetDrawMode(0);
    drawChosen();
    for (long i = 1; form != Form::Records && i <= g_MaskedBranchIds.UBound(); ++i) {
        const int32_t id = g_MaskedBranchIds(i);
        if (form == Form::Selected) {
            B_DrawAllRecords(id, 256);
            B_DrawBranchAllTexts(id, 15);
        } else {
            B_DrawAllRecords(id, -1);
            B_DrawBranchAllTexts(id, 15);
            O_Mask(B_Branch(id), pairs.branchValue, pairs.branchMask);
        }
    }
    B_DrawBranchAllTexts(branch, 15);
    B_DrawAllJunctions(branch, pairs.recValue);
    if (g_CurBranchRec.Net != 0 && (g_CurBranchRec.Flags & 2) == 0) DrawNetNodes(g_CurBranchRec.Net, 256);
}

}  // namespace

void RedrawBranch(int32_t drawMode, int32_t branch, int32_t mask)
{
    G_SetDrawMode(drawMode);
    B_DrawAllRecords(branch, mask);
    B_DrawAllJunctions(branch, mask);
    B_DrawBranchAllTexts(branch, mask | 14);
}

void RedrawJunction(int32_t drawMode, int32_t junction)
{
    G_SetDrawMode(drawMode);
    J_DrawJunction(junction);
}

void DrawAllWires(int32_t flag)
{
    const int32_t branches = DB_BranchMap();
    const int32_t junctions = DB_JunctMap();
    if (flag != 0) {
        G_SetDrawMode(g_DrawMode);
        OM_MaskAll(branches, 1, 1);
        OM_MaskAll(junctions, 1, 1);
        O_Mask(B_Branch(g_FrameBranch), 0, 1);
        B_DrawAllBranchMask(1, 1, 1);
        J_DrawAllJunctions(1);
    } else {
        G_SetDrawMode(g_DrawMode | 2);
        B_DrawAllBranchMask(1, 1, 1);
        J_DrawAllJunctions(1);
        OM_MaskAll(branches, 0, 1);
        OM_MaskAll(junctions, 0, 1);
    }
}

void DrawMaskedBranches(int32_t excluded, int32_t mask)
{
    g_MaskedBranchIds.Redim(0, 0);
    const int32_t map = DB_BranchMap();
    int32_t cursor = OM_GetFirst(map);
    while (const int32_t id = OM_SearchMask(map, &cursor, mask, mask)) {
        if (id == excluded) continue;
        const long next = g_MaskedBranchIds.UBound() + 1;
        g_MaskedBranchIds.RedimPreserve(next);
        g_MaskedBranchIds(next) = id;
        if (O_TestPage(B_Branch(id), 0) != 0) {
            B_DrawAllRecords(id, mask);
            B_DrawBranchAllTexts(id, 15);
        }
    }
}

void DrawPageFrameMarks()
{
    int32_t extent[4] = {};
    if (B_FrameBranchLines(g_FrameBranch, -1, extent) != 0)
        G_Rectangle(extent[0], extent[1] - kMarkDiagonal, kMarkSide, kMarkSide, 45000);
    BranchPointRec first{};
    if (B_ReadRecord(g_FrameBranch, 1, &first) != 0)
        G_Rectangle(first.X - kMarkHalf, first.Y - kMarkHalf, kMarkSide, kMarkSide, 0);
}

void HighlightBranchRecords(int32_t mode, int32_t branch, int32_t first, int32_t count)
{
    const Pairs pairs = HighlightPairs(mode);
    DrawHighlight(mode, branch, first, count, Form::Records, pairs);
    O_Mask(B_Branch(branch), pairs.branchValue, pairs.branchMask);
    B_MaskBranchRecords(branch, pairs.recValue, pairs.recMask);
}

void HighlightSelectedBranches(int32_t mode, int32_t branch, const BranchPointRec& point)
{
    const Pairs pairs = HighlightPairs(mode);
    DrawHighlight(mode, branch, 0, 0, Form::Selected, pairs);
    B_MaskSelRecords(point.Flags & 6, point.Ref, pairs.branchValue, pairs.branchMask, pairs.recValue, pairs.recMask,
                     pairs.recValue, pairs.recMask);
}

void HighlightAllBranchRecords(int32_t mode, int32_t branch)
{
    const Pairs pairs = HighlightPairs(mode);
    DrawHighlight(mode, branch, 0, 0, Form::All, pairs);
    O_Mask(B_Branch(branch), pairs.branchValue, pairs.branchMask);
    B_MaskAllRecords(pairs.recValue, pairs.recMask);
}

void SelectBranchesInRect(int32_t& status, int32_t x, int32_t y, int32_t size)
{
    status = 1;
    OM_MaskAll(DB_BranchMap(), 0, 768);
    B_MaskAllRecords(0, 256);
    OM_MaskAll(DB_JunctMap(), 0, 4352);
    const auto& r = g_SelRect;
    auto inside = [&](int32_t px, int32_t py) { return DB_CoverRectangle(px, py, 1, r.X1, r.Y1, r.X2, r.Y2) != 0; };
    // A covered wire is taken whole (512) when its drawn lines lie inside
    // the box, else partly (2048); its junction records inside the box get
    // 256, and so does the wire. Every junction inside the box marks the
    // records of all wires meeting at it (512), those wires as partly taken
    // (2048) and itself (1), in one kernel walk after the cover walk; the
    // junctions of the wires taken whole get 256 in one more. A covered
    // wire's own 2048 (partly or not) stands unless a junction of it is
    // reached again from a wire covered later, as when each junction was
    // marked where it was met; each wire's marks are written once, at the
    // end.
    struct Covered {
        int32_t handle;
        int32_t order;
        bool whole, reaches;
        size_t firstJunction, endJunction;  // in `junctions`
    };
    std::vector<Covered> covered;
    std::vector<int32_t> junctions, wholeJunctions;
    IdTable<int32_t> lastReached;  // junction -> order of the last wire reaching it
    std::vector<int32_t> reached;  // the junctions reached, each once
    int32_t cover = 0, order = 0;
    std::vector<BranchPointRec> points;
    for (int32_t branch = B_CoverBranch(x, y, size, &cover); branch != 0; branch = B_CoverNextBranch(&cover)) {
        BranchRec rec{};
        if (B_ReadBranch(branch, &rec) == 0) continue;
        ++order;
        points.clear();
        for (int32_t i = 1; i <= rec.Points; ++i) {
            BranchPointRec point{};
            if (B_ReadRecord(branch, i, &point) == 0) break;
            points.push_back(point);
        }
        // The drawn lines: the records at either end of a segment whose end
        // record refers to something (or the one such record of a wire of
        // one record), as B_FrameBranchLines frames them with mask 6. A
        // wire without them counts as partly inside for its junction points;
        // it is whole when all of them lie inside the box.
        const size_t n = points.size();
        bool framed = false, whole = true, reaches = false;
        for (size_t k = 0; k < n; ++k) {
            const bool drawn = n == 1 ? (points[0].Flags & 6) != 0
                                      : (k >= 1 && (points[k].Flags & 6) != 0) ||
                                            (k + 1 < n && (points[k + 1].Flags & 6) != 0);
            if (!drawn) continue;
            framed = true;
            if (whole && !inside(points[k].X, points[k].Y)) whole = false;
        }
        whole = framed && whole;
        const size_t firstJunction = junctions.size();
        for (size_t k = 0; k < n; ++k) {
            const BranchPointRec& point = points[k];
            if ((point.Flags & 6) == 4) junctions.push_back(point.Ref);
            if ((point.Flags & 4) == 0) continue;
            if (whole) wholeJunctions.push_back(point.Ref);
            if (!inside(point.X, point.Y)) continue;
            bool first = false;
            lastReached.At(point.Ref, &first) = order;
            if (first) reached.push_back(point.Ref);
            reaches = true;
            B_MaskRecord(branch, static_cast<int32_t>(k + 1), 256, 256);
        }
        if (!framed && !reaches) {
            junctions.resize(firstJunction);
            continue;
        }
        status = 0;
        covered.push_back({B_Branch(branch), order, whole, reaches, firstJunction, junctions.size()});
    }
    if (!wholeJunctions.empty())
        B_MaskSelRecordSet(4, wholeJunctions.data(), static_cast<int32_t>(wholeJunctions.size()), 0, 0, 0, 0, 256,
                           256);
    if (!reached.empty()) {
        B_MaskSelRecordSet(4, reached.data(), static_cast<int32_t>(reached.size()), 2048, 2048, 512, 512, 1, 1);
    }
    for (const Covered& c : covered) {
        const auto first = junctions.begin() + static_cast<std::ptrdiff_t>(c.firstJunction);
        const auto end = junctions.begin() + static_cast<std::ptrdiff_t>(c.endJunction);
        const bool reachedLater = std::any_of(first, end, [&](int32_t j) {
            const int32_t* by = lastReached.Find(j);
            return by && *by > c.order;
        });
        const int32_t value = (c.whole ? 512 : 0) | (c.reaches ? 256 : 0) | (reachedLater || !c.whole ? 2048 : 0);
        O_Mask(c.handle, value, 2816);
    }
}
