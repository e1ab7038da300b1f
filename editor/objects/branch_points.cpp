#include "editor/objects/branch_points.h"
#include "editor/objects/comp_state.h"

#include "editor/objects/branch_drawing.h"
#include "editor/objects/branches.h"
#include "editor/objects/net_drawing.h"
#include "editor/objects/view_values.h"
#include "editor/objects/wire_state.h"
#include "editor/shell/geometry.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/textnum.h"
#include "platform/winsys/interaction.h"

namespace {

bool ReadCurBranch()
{
    return B_ReadBranch(g_CurBranch, &g_CurBranchRec) != 0;
}

bool ReadPoint(int32_t index, BranchPointRec& point)
{
    return B_ReadRecord(g_CurBranch, index, &point) != 0;
}

// Keeps the three points read as the ones to restore.
void SaveBranchPoints()
{
    g_PrevBranchPointSave = g_PrevBranchPoint;
    g_CurBranchPointSave = g_CurBranchPoint;
    g_NextBranchPointSave = g_NextBranchPoint;
}

bool IsNodePoint(const BranchPointRec& point)
{
    return (point.Flags & 6) == 2;
}

int32_t JunctionType(int32_t selector)
{
    return selector > 0 ? 5 : 3;
}

// A junction of the selector's type at (x, y); 0 when the kernel refuses.
int32_t NewJunction(int32_t selector, int32_t x, int32_t y)
{
    return J_CreateJunction(GetFreeJunctionId(), JunctionType(selector), x, y);
}

// Inserts a record for a junction made for it; a junction the branch did
// not take goes back to the free ids at once. The new index, 0 on failure.
int32_t InsertNewJunction(int32_t index, int32_t flags, int32_t junction)
{
    const int32_t at = B_InsertRecord(g_CurBranch, index, flags, junction);
    if (at == 0) AddJunctionToHeap(junction);
    return at;
}

// The previous point becomes the current one when the current point is
// strictly farther from (x, y); a tie keeps the current point.
bool PreviousIsNearer(int32_t x, int32_t y, const BranchPointRec& prev, const BranchPointRec& cur)
{
    const double toPrev = VectorLength(static_cast<double>(x) - prev.X, static_cast<double>(y) - prev.Y);
    const double toCur = VectorLength(static_cast<double>(x) - cur.X, static_cast<double>(y) - cur.Y);
    return toCur > toPrev;
}

// The net's nodes in XOR for a branch of a net (not for a bus branch).
void MarkCurNetNodes()
{
    if (g_CurBranchRec.Net != 0 && (g_CurBranchRec.Flags & 2) == 0) DrawNetNodesXor(g_CurBranchRec.Net, 256);
}

}  // namespace

void LoadBranchPointNeighbours(int32_t& status, int32_t, int32_t, int32_t, int32_t)
{
    status = 1;
    if (!ReadCurBranch() || !ReadPoint(g_CurBranchPos, g_CurBranchPoint)) return;
    g_PrevBranchPos = 0;
    g_NextBranchPos = 0;
    if (g_CurBranchPos > 1) {
        if (!ReadPoint(g_CurBranchPos - 1, g_PrevBranchPoint)) return;
        g_PrevBranchPos = g_CurBranchPos - 1;
    }
    if (g_CurBranchPos < g_CurBranchRec.Points) {
        if (!ReadPoint(g_CurBranchPos + 1, g_NextBranchPoint)) return;
        g_NextBranchPos = g_CurBranchPos + 1;
    }
    SaveBranchPoints();
    status = 0;
}

void LoadBranchSegment(int32_t& status, int32_t, int32_t, int32_t, int32_t)
{
    status = 1;
    if (!ReadCurBranch() || !ReadPoint(g_CurBranchPos - 1, g_PrevBranchPoint) ||
        !ReadPoint(g_CurBranchPos, g_CurBranchPoint))
        return;
    g_PrevBranchPos = g_CurBranchPos - 1;
    g_PrevBranchPointSave = g_PrevBranchPoint;
    g_CurBranchPointSave = g_CurBranchPoint;
    status = 0;
}

void SelectNearestBranchPoint(int32_t& status, int32_t selector, int32_t x, int32_t y, int32_t distance)
{
    status = 1;
    if (!ReadCurBranch() || !ReadPoint(g_CurBranchPos, g_CurBranchPoint) ||
        !ReadPoint(g_CurBranchPos - 1, g_PrevBranchPoint))
        return;
    g_PrevBranchPos = g_CurBranchPos - 1;
    if (PreviousIsNearer(x, y, g_PrevBranchPoint, g_CurBranchPoint)) g_CurBranchPos = g_PrevBranchPos;
    LoadBranchPointNeighbours(status, selector, x, y, distance);
}

void MakeJunctionAtBranchPoint(int32_t& status, int32_t, int32_t x, int32_t y, int32_t)
{
    status = 1;
    if (!ReadCurBranch() || !ReadPoint(g_CurBranchPos, g_CurBranchPoint) ||
        !ReadPoint(g_CurBranchPos - 1, g_PrevBranchPoint))
        return;
    g_PrevBranchPos = g_CurBranchPos - 1;
    if (PreviousIsNearer(x, y, g_PrevBranchPoint, g_CurBranchPoint) && IsNodePoint(g_PrevBranchPoint))
        g_CurBranchPos = g_PrevBranchPos;
    BranchPointRec point{};
    if (!ReadPoint(g_CurBranchPos, point) || !IsNodePoint(point)) return;
    const int32_t node = point.Ref;
    const int32_t junction = NewJunction(0, point.X, point.Y);
    if (junction == 0) return;
    if (B_ChangeRecordRef(g_CurBranch, g_CurBranchPos, junction) == 0) {
        AddJunctionToHeap(junction);
        return;
    }
    if (B_MaskRecord(g_CurBranch, g_CurBranchPos, 4, 6) == 0) {
        B_ChangeRecordRef(g_CurBranch, g_CurBranchPos, node);
        AddJunctionToHeap(junction);
        return;
    }
    g_ReplacedNode = node;
    const int32_t map = DB_BranchMap();
    B_MaskSelRecords(2, node, 64, 64, 0, 0, 0, 0);
    if (OM_FindMask(map, 64, 64) != 0)
        OM_MaskAll(map, 0, 64);
    else
        O_Mask(N_Node(g_CurBranchRec.Net, node), 0, 2);
    if (!ReadPoint(g_CurBranchPos, g_CurBranchPoint)) return;
    status = 0;
}

void InsertJunctionInBranch(int32_t& status, int32_t selector, int32_t, int32_t, int32_t)
{
    status = 1;
    if (!ReadCurBranch()) return;
    g_PrevBranchPos = 0;
    g_NextBranchPos = 0;
    if (!ReadPoint(g_CurBranchPos - 1, g_PrevBranchPoint)) return;
    g_PrevBranchPos = g_CurBranchPos - 1;
    if (!ReadPoint(g_CurBranchPos, g_NextBranchPoint)) return;
    const int32_t junction = NewJunction(selector, g_CurBranchPoint.X, g_CurBranchPoint.Y);
    if (junction == 0) return;
    const int32_t at = InsertNewJunction(g_CurBranchPos, 772, junction);
    if (at == 0) return;
    g_CurBranchPos = at;
    if (!ReadPoint(at, g_CurBranchPoint)) return;
    g_NextBranchPos = at + 1;
    SaveBranchPoints();
    status = 0;
}

void FindBranchStretch(int32_t& status, int32_t, int32_t, int32_t, int32_t)
{
    status = 1;
    if (!ReadCurBranch() || g_CurBranchRec.Points < 3) return;
    const int32_t index = g_CurBranchPos;
    g_PrevBranchPos = index + 1;
    g_NextBranchPos = index - 1;
    for (int32_t i = index; i >= 2; --i) {
        if (!ReadPoint(i, g_PrevBranchPoint) || IsNodePoint(g_PrevBranchPoint)) break;
        g_PrevBranchPos = i;
    }
    for (int32_t i = index; i <= g_CurBranchRec.Points - 1; ++i) {
        if (!ReadPoint(i, g_NextBranchPoint) || IsNodePoint(g_NextBranchPoint)) break;
        g_NextBranchPos = i;
    }
    if (g_PrevBranchPos <= index || g_NextBranchPos >= index) status = 0;
}

void DetachSegmentFromNodes(int32_t& status, int32_t selector, int32_t x, int32_t y, int32_t distance)
{
    status = 1;
    if (!ReadCurBranch() || !ReadPoint(g_CurBranchPos, g_CurBranchPoint)) return;
    const int32_t startPos = g_CurBranchPos;
    // The junction put before the current pin, taken out again when the
    // second one cannot be made, so a failure leaves the wire as it was.
    int32_t firstAt = 0;
    auto undoFirst = [&] {
        if (firstAt == 0) return;
        BranchPointRec point{};
        if (ReadPoint(firstAt, point) && B_DeleteRecord(g_CurBranch, firstAt) != 0) AddJunctionToHeap(point.Ref);
        g_CurBranchPos = startPos;
        ReadPoint(g_CurBranchPos, g_CurBranchPoint);
    };
    if (IsNodePoint(g_CurBranchPoint)) {
        const int32_t junction = NewJunction(selector, g_CurBranchPoint.X, g_CurBranchPoint.Y);
        if (junction == 0) return;
        const int32_t at = InsertNewJunction(g_CurBranchPos, 516, junction);
        if (at == 0) return;
        firstAt = at;
        g_CurBranchPos = at;
        if (!ReadPoint(at, g_CurBranchPoint)) return undoFirst();
    }
    g_PrevBranchPos = g_CurBranchPos - 1;
    if (!ReadPoint(g_PrevBranchPos, g_PrevBranchPoint)) return undoFirst();
    if (IsNodePoint(g_PrevBranchPoint)) {
        const int32_t junction = NewJunction(selector, g_PrevBranchPoint.X, g_PrevBranchPoint.Y);
        if (junction == 0) return undoFirst();
        const int32_t at = InsertNewJunction(g_CurBranchPos, 516, junction);
        if (at == 0) return undoFirst();
        g_PrevBranchPos = at;
        g_CurBranchPos = at + 1;
        ReadPoint(at, g_PrevBranchPoint);
    }
    if (!ReadPoint(g_CurBranchPos, g_CurBranchPoint)) return;
    g_PrevBranchPointSave = g_PrevBranchPoint;
    g_CurBranchPointSave = g_CurBranchPoint;
    const double dx = static_cast<double>(g_PrevBranchPoint.X) - g_CurBranchPoint.X;
    const double dy = static_cast<double>(g_PrevBranchPoint.Y) - g_CurBranchPoint.Y;
    const double length = VectorLength(dx, dy);
    if (length != 0) {
        g_CompAnchor.X = ToLong(dy / length * distance + x - g_CurBranchPoint.X);
        g_CompAnchor.Y = ToLong(-dx / length * distance + y - g_CurBranchPoint.Y);
    }
    status = 0;
}

void MaskBranchRecord(int32_t mode, int32_t branch, int32_t index)
{
    if (mode != 0 && mode != 1) return;
    B_MaskRecord(branch, index, 1, 257);
    if (mode == 0)
        O_Mask(B_Branch(branch), 1, 257);
    else
        O_Mask(B_Branch(branch), 4, 260);
}

void MoveJunction(const BranchPointRec& point)
{
    O_ChangePosition(J_Junction(point.Ref), point.X, point.Y);
}

void MoveJunctionPair(const BranchPointRec& first, const BranchPointRec& second)
{
    MoveJunction(first);
    MoveJunction(second);
}

void MarkBranchRecord(int32_t mode, int32_t branch, int32_t first, int32_t count)
{
    int32_t branchPair = 0, recValue = 0, recMask = 0;
    if (mode == 0 || mode == 1) {
        branchPair = mode == 0 ? 257 : 260;
        recValue = 256;
        recMask = 257;
    }
    MaskBranchJunctions(branch, 256, 257);
    G_SetDrawMode(2);
    B_DrawRecords(branch, first, count);
    if (mode == 0) {
        B_DrawAllJunctions(branch, 16);
        B_DrawBranchAllTexts(branch, 15);
        MarkCurNetNodes();
    } else {
        DrawPageFrameMarks();
    }
    O_Mask(B_Branch(branch), branchPair, branchPair);
    B_MaskRecord(branch, first, recValue, recMask);
}

namespace {

void MarkJunctions(int32_t mode, int32_t branch, const BranchPointRec* points, int count, bool junctionKindOnly)
{
    int32_t v = 0, recValue = 0, recMask = 0;
    if (mode == 0 || mode == 1) {
        v = mode == 0 ? 257 : 260;
        recValue = 256;
        recMask = 257;
    }
    for (int k = 0; k < count; ++k)
        B_MaskSelRecords(points[k].Flags & (junctionKindOnly ? 4 : 6), points[k].Ref, v, v, recValue, recMask,
                         recValue, recMask);
    G_SetDrawMode(2);
    for (int k = count - 1; k >= 0; --k) J_DrawJunction(points[k].Ref);
    MaskBranchJunctions(branch, 256, 257);
    MarkCurNetNodes();
    B_DrawAllRecords(branch, 256);
    if (mode == 0) {
        for (long i = 1; i <= g_MaskedBranchIds.UBound(); ++i) B_DrawAllRecords(g_MaskedBranchIds(i), 256);
        B_DrawBranchAllTexts(branch, 15);
    } else {
        DrawPageFrameMarks();
    }
}

}  // namespace

void MarkJunctionWires(int32_t mode, int32_t branch, const BranchPointRec& point)
{
    MarkJunctions(mode, branch, &point, 1, true);
}

void MarkJunctionPairWires(int32_t mode, int32_t branch, const BranchPointRec& first, const BranchPointRec& second)
{
    const BranchPointRec points[2] = {first, second};
    MarkJunctions(mode, branch, points, 2, false);
}

void ReplaceBranchRecordRef(int32_t selector, int32_t oldRef, int32_t newRef)
{
    int32_t kind = 0, newKind = 0;
    switch (selector) {
    case 1: kind = 4; newKind = 4; break;
    case 3: kind = 4; newKind = 2; break;
    case 5: kind = 2; newKind = 2; break;
    default: return;
    }
    // A junction that does not exist would leave records pointing at nothing.
    if (newKind == 4 && J_Junction(newRef) == 0) return;
    const int32_t map = DB_BranchMap();
    B_MaskSelRecords(kind, oldRef, 2048, 2048, 1024, 1024, 0, 0);
    int32_t cursor = OM_GetFirst(map);
    while (const int32_t branch = OM_SearchMask(map, &cursor, 2048, 2048)) {
        BranchRec rec{};
        if (B_ReadBranch(branch, &rec) == 0) continue;
        for (int32_t from = 1;;) {
            const int32_t index = B_SearchRecordMaskRef(branch, from, kind | 1024, oldRef, nullptr);
            if (index < 1) break;
            B_ChangeRecordRef(branch, index, newRef);
            B_MaskRecord(branch, index, newKind, 6);
            from = index + 1;
        }
    }
    if (selector == 1 || selector == 3) AddJunctionToHeap(oldRef);
    B_MaskAllRecords(0, 1024);
    OM_MaskAll(map, 0, 2048);
}

void DeleteBranchRecord(int32_t& branch, int32_t index)
{
    BranchRec rec{};
    BranchPointRec point{};
    if (B_ReadBranch(branch, &rec) == 0 || B_ReadRecord(branch, index, &point) == 0) return;
    // Every page's frame has a negative id; the current one is g_FrameBranch.
    const bool frame = branch < 0 || (g_FrameBranch != 0 && branch == g_FrameBranch);
    if (frame && (index == 1 || index == rec.Points || rec.Points < 5)) {
        winsys::Ui().Beep();
        return;
    }
    if (B_DeleteRecord(branch, index) == 0) return;
    ReleaseBranchReference(rec, point.Flags & 6, point.Ref);
    BranchRec after{};
    if (B_ReadBranch(branch, &after) != 0 && after.Points < 2) {
        DeleteBranch(branch);
        branch = 0;
    }
}
