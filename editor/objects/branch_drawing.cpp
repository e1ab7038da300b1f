#include "editor/objects/branch_drawing.h"

#include "editor/objects/branches.h"
#include "editor/objects/cover_sets.h"
#include "editor/objects/id_table.h"
#include "editor/objects/net_drawing.h"
#include "editor/objects/view_values.h"
#include "editor/objects/wire_state.h"
#include "editor/shell/platform_calls.h"

#include <algorithm>
#include <utility>
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

// A wire the box selection covered, and the junctions its records refer to.
struct CoveredWire {
    int32_t branch;
    bool whole, reaches;
    size_t firstJunction, endJunction;  // in the junction list
};

// The covered wires that reached a junction inside the box.
struct JunctionReach {
    int32_t first = -1;   // the covered wire that reached it first
    bool shared = false;  // reached from another wire too
};

// The working lists of a wire selection, kept from call to call: the
// selection of a whole page fills several hundred kilobytes, which the
// allocator would hand back to the system after each call and fault in
// again on the next.
struct SelectionScratch {
    std::vector<CoveredWire> covered;
    std::vector<int32_t> junctions, wholeJunctions;
    IdTable<JunctionReach> reach;
    std::vector<int32_t> reached;                        // the junctions reached, each once
    std::vector<std::pair<int32_t, int32_t>> reachedBy;  // (junction, covered wire), every reach
    BranchRecordSet records;                             // of the covered wires
    std::vector<int32_t> marked;                         // (wire, record index) pairs to select
    std::vector<int32_t> byMarks[8];                     // covered wires by their final marks

    static SelectionScratch& Cleared()
    {
        static SelectionScratch s;
        s.covered.clear();
        s.junctions.clear();
        s.wholeJunctions.clear();
        s.reach.Clear();
        s.reached.clear();
        s.reachedBy.clear();
        s.marked.clear();
        for (std::vector<int32_t>& ids : s.byMarks) ids.clear();
        return s;
    }
};

// For each covered wire: whole, and a junction of it reached from a wire
// that the cover lists after it (nearest first). Only the wires meeting at
// a junction reached from another wire are put in the cover's order.
std::vector<bool> ReachedLater(int32_t x, int32_t y, const std::vector<CoveredWire>& covered,
                               const std::vector<int32_t>& junctions, const IdTable<JunctionReach>& reach,
                               const std::vector<std::pair<int32_t, int32_t>>& reachedBy)
{
    std::vector<bool> later(covered.size(), false);
    std::vector<std::pair<int32_t, int32_t>> pending;  // (whole wire, junction) to decide
    for (size_t i = 0; i < covered.size(); ++i) {
        const CoveredWire& c = covered[i];
        if (!c.whole) continue;
        for (size_t k = c.firstJunction; k < c.endJunction; ++k) {
            const JunctionReach* at = reach.Find(junctions[k]);
            if (!at || (!at->shared && at->first == static_cast<int32_t>(i))) continue;
            pending.emplace_back(static_cast<int32_t>(i), junctions[k]);
        }
    }
    if (pending.empty()) return later;
    IdTable<uint8_t> concerned;
    for (const auto& [wire, junction] : pending) concerned.At(junction) = 1;
    // The wires to order: those waiting for an answer and every wire that
    // reached one of their junctions.
    std::vector<int32_t> rank(covered.size(), -1);
    std::vector<int32_t> ids;
    IdTable<int32_t> indexOf;  // branch -> covered wire
    auto add = [&](int32_t wire) {
        if (rank[static_cast<size_t>(wire)] != -1) return;
        rank[static_cast<size_t>(wire)] = 0;
        ids.push_back(covered[static_cast<size_t>(wire)].branch);
        indexOf.At(ids.back()) = wire;
    };
    for (const auto& [wire, junction] : pending) add(wire);
    for (const auto& [junction, wire] : reachedBy)
        if (concerned.Find(junction)) add(wire);
    B_CoverBranchOrder(x, y, ids.data(), static_cast<int32_t>(ids.size()));
    for (size_t k = 0; k < ids.size(); ++k)
        if (const int32_t* wire = indexOf.Find(ids[k])) rank[static_cast<size_t>(*wire)] = static_cast<int32_t>(k);
    IdTable<int32_t> lastRank;  // junction -> the rank of the last wire reaching it
    for (const auto& [junction, wire] : reachedBy) {
        if (!concerned.Find(junction)) continue;
        bool made = false;
        int32_t& last = lastRank.At(junction, &made);
        if (made || rank[static_cast<size_t>(wire)] > last) last = rank[static_cast<size_t>(wire)];
    }
    for (const auto& [wire, junction] : pending) {
        const int32_t* last = lastRank.Find(junction);
        if (last && *last > rank[static_cast<size_t>(wire)]) later[static_cast<size_t>(wire)] = true;
    }
    return later;
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

void MarkAllWiresDrawn()
{
    OM_MaskAll(DB_BranchMap(), 1, 1);
    OM_MaskAll(DB_JunctMap(), 1, 1);
    const int32_t pages = DB_PageMap();
    int32_t cursor = OM_GetFirst(pages);
    while (const int32_t page = OM_SearchMask(pages, &cursor, 0, 0))
        if (const int32_t frame = B_Branch(-100 - page)) O_Mask(frame, 0, 1);
}

void DrawAllWires(int32_t flag)
{
    const int32_t branches = DB_BranchMap();
    const int32_t junctions = DB_JunctMap();
    if (flag != 0) {
        G_SetDrawMode(g_DrawMode);
        MarkAllWiresDrawn();
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
    std::vector<SelectedBranchPoint> selected;
    SelectBranchesInRect(status, x, y, size, selected);
}

void SelectBranchesInRect(int32_t& status, int32_t x, int32_t y, int32_t size,
                          std::vector<SelectedBranchPoint>& selected, BranchSelectionMarks how)
{
    selected.clear();
    status = 1;
    if (how.clearFirst) {
        B_MaskAllBranches(0, 768, 0, 256);
        OM_MaskAll(DB_JunctMap(), 0, 4352);
    }
    // The box widened by one unit, as DB_CoverRectangle(.., 1, ..) tests it.
    const auto& r = g_SelRect;
    const int64_t left = int64_t{std::min(r.X1, r.X2)} - 1, right = int64_t{std::max(r.X1, r.X2)} + 1;
    const int64_t bottom = int64_t{std::min(r.Y1, r.Y2)} - 1, top = int64_t{std::max(r.Y1, r.Y2)} + 1;
    auto inside = [&](int32_t px, int32_t py) { return px >= left && px <= right && py >= bottom && py <= top; };
    // A covered wire is taken whole (512) when its drawn lines lie inside
    // the box, else partly (2048); its junction records inside the box get
    // 256, and so does the wire. Every junction inside the box marks the
    // records of all wires meeting at it (512), those wires as partly taken
    // (2048) and itself (1), in one kernel walk after the cover walk; the
    // junctions of the wires taken whole get 256 in one call. A whole wire
    // keeps 2048 when a junction of it is reached again from a wire that
    // the cover lists after it (nearest first), as when each junction was
    // marked where it was met; each wire's marks are written once, at the
    // end. The cover's order is asked for only for the wires that meet at
    // a junction reached from more than one wire.
    SelectionScratch& scratch = SelectionScratch::Cleared();
    auto& [covered, junctions, wholeJunctions, reach, reached, reachedBy, records, marked, byMarks] = scratch;
    const std::vector<int32_t> wires = CoverBranchSet(x, y, size);
    selected.reserve(2 * wires.size());
    records.Read(wires);
    for (size_t w = 0; w < wires.size(); ++w) {
        if (!records.Found(w)) continue;
        const int32_t branch = wires[w];
        const BranchPointRec* points = records.Records(w);
        // The drawn lines: the records at either end of a segment whose end
        // record refers to something (or the one such record of a wire of
        // one record), as B_FrameBranchLines frames them with mask 6. A
        // wire without them counts as partly inside for its junction points;
        // it is whole when all of them lie inside the box.
        const size_t n = records.Count(w);
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
        const auto self = static_cast<int32_t>(covered.size());
        for (size_t k = 0; k < n; ++k) {
            const BranchPointRec& point = points[k];
            if ((point.Flags & 6) == 4 && how.marks) junctions.push_back(point.Ref);
            if ((point.Flags & 4) == 0) continue;
            if (whole && point.Ref > 0 && how.marks) wholeJunctions.push_back(point.Ref);
            if (!inside(point.X, point.Y)) continue;
            bool first = false;
            JunctionReach& at = reach.At(point.Ref, &first);
            if (first) {
                reached.push_back(point.Ref);
                at.first = self;
            } else if (at.first != self) {
                at.shared = true;
            }
            if (how.marks) reachedBy.emplace_back(point.Ref, self);
            reaches = true;
            if (how.marks) {
                marked.push_back(branch);
                marked.push_back(static_cast<int32_t>(k + 1));
            }
            selected.push_back({branch, whole, point});
            selected.back().point.Flags |= 256;
        }
        if (!framed && !reaches) {
            junctions.resize(firstJunction);
            continue;
        }
        status = 0;
        covered.push_back({branch, whole, reaches, firstJunction, junctions.size()});
    }
    if (!marked.empty()) B_MaskRecordSet(marked.data(), static_cast<int32_t>(marked.size() / 2), 256, 256);
    if (!wholeJunctions.empty())
        OM_MaskIds(DB_JunctMap(), wholeJunctions.data(), static_cast<int32_t>(wholeJunctions.size()), 256, 256);
    if (!how.marks) {
        // The junctions reached get 1, as the record marking below gives it.
        if (!reached.empty()) OM_MaskIds(DB_JunctMap(), reached.data(), static_cast<int32_t>(reached.size()), 1, 1);
        return;
    }
    if (!reached.empty()) {
        B_MaskSelRecordSet(4, reached.data(), static_cast<int32_t>(reached.size()), 2048, 2048, 512, 512, 1, 1);
    }
    const std::vector<bool> reachedLater = ReachedLater(x, y, covered, junctions, reach, reachedBy);
    // Each wire's marks, written with one call per set of marks.
    for (size_t i = 0; i < covered.size(); ++i) {
        const CoveredWire& c = covered[i];
        byMarks[(c.whole ? 1 : 0) | (c.reaches ? 2 : 0) | (reachedLater[i] || !c.whole ? 4 : 0)].push_back(c.branch);
    }
    for (int32_t k = 0; k < 8; ++k) {
        const std::vector<int32_t>& ids = byMarks[k];
        const int32_t value = (k & 1 ? 512 : 0) | (k & 2 ? 256 : 0) | (k & 4 ? 2048 : 0);
        if (!ids.empty()) OM_MaskIds(DB_BranchMap(), ids.data(), static_cast<int32_t>(ids.size()), value, 2816);
    }
}
