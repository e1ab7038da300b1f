// Block operations on the components, wires and wire texts inside the
// block box: move/rotate, delete, lock, unlock and move to another page.
//
// A move first works out every new position (components, wire points and
// wire texts) without writing anything; when one of them would leave the
// drawing area the whole block stays where it is, with a beep and a word
// in the message line. Deleting walks each map once: the kernel's cursors
// survive deletions, so an object that is refused is passed, not met again.
#include "editor/objects/branch_points.h"
#include "editor/objects/branches.h"
#include "editor/objects/comp_picking.h"
#include "editor/objects/comp_state.h"
#include "editor/objects/components.h"
#include "editor/objects/id_table.h"
#include "editor/objects/net_removal.h"
#include "editor/objects/owner_items.h"
#include "editor/objects/packaging.h"
#include "editor/objects/branch_drawing.h"
#include "editor/shell/errors.h"
#include "editor/shell/forms.h"
#include "editor/shell/ribbon.h"
#include "editor/shell/msgtext.h"
#include "editor/shell/pagedraw.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/schmain.h"
#include "editor/shell/scope_guard.h"
#include "platform/winsys/interaction.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// The new places a move works out before anything moves.
struct BlockMovePlan {
    // The components the selection took, as they read (by ascending id).
    std::vector<SelectedComp> comps;
    // The junctions of the moved wires, each once, and where they go.
    struct Place {
        int32_t junction, x, y;
    };
    std::vector<Place> junctions;
    bool wires = false;  // a wire is moved
    // The junction records the wire selection marked, as it read them.
    std::vector<SelectedBranchPoint> selected;
    // The wire texts in the box, selected by the check (its status).
    bool textsSelected = false;
    int32_t textStatus = 1;
};

namespace {

constexpr int32_t kMark = 256;
constexpr int32_t kWhole = 512;
constexpr int32_t kTextMark = 1024;
constexpr int32_t kPartly = 2048;
constexpr int32_t kMoved = 4096;
constexpr int32_t kLocked = 32;
constexpr int32_t kMirrored = 2;
constexpr int32_t kBusWire = 2;

bool IsJunctionRef(const BranchPointRec& p) { return (p.Flags & 6) == 4; }
bool IsNodeRef(const BranchPointRec& p) { return (p.Flags & 6) == 2; }

int32_t Status(int32_t handle) { return handle != 0 ? O_GetStatus(handle) : 0; }

int32_t PointCount(int32_t branch)
{
    BranchRec rec{};
    return B_ReadBranch(branch, &rec) != 0 ? rec.Points : 0;
}

// Deletes the net of a wire that went away when nothing else uses it.
void DropEmptyNet(const BranchRec& wire)
{
    if ((wire.Flags & kBusWire) != 0 || wire.Net == 0) return;
    int32_t gone = 0;
    DeleteNetIfEmpty(wire.Net, gone);
}

// The wires a move or page move takes: marked 256 (move) or 512 (to page),
// and the page frame with the move when option 5 asks for it (map walks
// pass the frame by).
template <typename F>
void ForEachMovedWire(int32_t op, bool withFrame, F action)
{
    const int32_t map = DB_BranchMap();
    const int32_t mark = op == BLOCK_TO_PAGE ? kWhole : kMark;
    int32_t cursor = OM_GetFirst(map);
    while (const int32_t branch = OM_SearchMask(map, &cursor, mark, mark)) action(branch);
    if (withFrame && op == BLOCK_MOVE && g_FrameBranch != 0 && (Status(B_Branch(g_FrameBranch)) & kMark) != 0)
        action(g_FrameBranch);
}

// Each point record of the wire with mark 256, as the wire showed them
// before the first call of `action`; `records` is reused from wire to wire.
template <typename F>
void ForEachMarkedPoint(int32_t branch, BranchRecords& records, F action)
{
    if (!records.Read(branch)) return;
    for (const BranchPointRec& point : records)
        if ((point.Flags & kMark) != 0) action(point);
}

}  // namespace

bool SCHMAIN::BlockMoveFits(int32_t op, int32_t objects, BlockMovePlan& plan)
{
    try {
        if (objects & 1) {
            // The components marked 256, as the selection read them: nothing
            // has changed them since.
            for (const auto& [id, rec] : plan.comps) {
                if (op == BLOCK_MOVE && (rec.Flags & kLocked) != 0) continue;
                int32_t x = rec.X, y = rec.Y, angle = rec.Angle, sign = (rec.Flags & kMirrored) ? -1 : 1;
                RotateMovePoint(x, y, angle, sign);
            }
        }
        if (objects & 6) {
            // The marked records of the moved wires (ForEachMovedWire's),
            // as the selection read them: nothing has changed them since.
            // A junction on several moved wires moves once; every record
            // of it shows the same place.
            const bool frame = F_OST.Exists(5) && F_OST(5)->Value();
            IdTable<uint8_t> seen;
            plan.junctions.reserve(plan.selected.size());
            for (const SelectedBranchPoint& s : plan.selected) {
                if (op == BLOCK_TO_PAGE && !s.whole) continue;
                if (s.branch < 0 && !(frame && op == BLOCK_MOVE && s.branch == g_FrameBranch)) continue;
                plan.wires = true;
                const BranchPointRec& p = s.point;
                int32_t x = p.X, y = p.Y, angle = 0, sign = 1;
                RotateMovePoint(x, y, angle, sign);
                if (!IsJunctionRef(p)) continue;
                bool first = false;
                seen.At(p.Ref, &first);
                if (first) plan.junctions.push_back({p.Ref, x, y});
            }
        }
        if (objects & 2) {
            int32_t status = 1;
            SelectBranchTextsAtPoint(status, m_BaseX, m_BaseY, m_BoxDiagonal);
            plan.textsSelected = true;
            plan.textStatus = status;
            if (status == 0) {
                const int32_t map = DB_BranchMap();
                int32_t cursor = OM_GetFirst(map);
                while (const int32_t branch = OM_SearchMask(map, &cursor, kTextMark, kTextMark)) {
                    if (op == BLOCK_TO_PAGE && (Status(B_Branch(branch)) & kWhole) == 0) continue;
                    const int32_t texts = B_BranchTextArray(branch);
                    for (int32_t i = OA_SearchMask(texts, 1, kMark); i != 0; i = OA_SearchMask(texts, i + 1, kMark)) {
                        ItemRec text{};
                        if (I_ReadItem(OA_Object(texts, i), &text) == 0) continue;
                        int32_t x = text.X, y = text.Y, angle = text.Angle, sign = 1;
                        RotateMovePoint(x, y, angle, sign);
                    }
                }
            }
        }
    } catch (const RuntimeError&) {
        return false;
    }
    return true;
}

void SCHMAIN::ChangeBlockObjects(int32_t& op, int32_t& objects, int32_t& result)
{
    result = 0;
    SetScreenMousePointer(mousepointer::Hourglass);
    auto pointer = OnExit([] { SetScreenMousePointer(mousepointer::Default); });

    // A move to another page searches the source page; the current page is
    // made current again however the operation ends.
    const bool toPage = op == BLOCK_TO_PAGE;
    if (toPage) DB_SetCurPage(m_BlockOrigPage);
    auto page = OnExit([toPage] {
        if (toPage) DB_SetCurPage(g_CurPage);
    });
    auto clearMarks = [] {
        OM_MaskAll(DB_SchCompMap(), 0, kMark);
        B_MaskAllBranches(0, kMark | kWhole | kTextMark | kPartly, 0, kMark | kWhole);
        OM_MaskAll(DB_JunctMap(), 0, kMark | kMoved);
    };

    // The marks both selections clear before they select, cleared in one
    // walk of each map: neither selection sets a mark the other clears. A
    // move of wires works from the lists the selections hand over, reads
    // none of the wire, record and junction marks and clears them
    // everywhere at the end (or on a refusal): it neither clears them first
    // nor has the wire selection set them.
    const bool comps = (objects & 1) != 0, wires = (objects & 6) != 0;
    const bool clearedAtEnd = op == BLOCK_MOVE && wires;
    if (comps) OM_MaskAll(DB_SchCompMap(), 0, kMark);
    if ((comps || wires) && !clearedAtEnd)
        B_MaskAllBranches(0, (comps ? kPartly : 0) | (wires ? kMark | kWhole : 0), 0,
                          (comps ? kWhole : 0) | (wires ? kMark : 0));
    if (wires && !clearedAtEnd) OM_MaskAll(DB_JunctMap(), 0, kMark | kMoved);
    int32_t compStatus = 1, wireStatus = 1;
    BlockMovePlan plan;
    if (comps) SelectCompsAtPoint(compStatus, m_BaseX, m_BaseY, m_BoxDiagonal, plan.comps, false);
    if (wires)
        SelectBranchesInRect(wireStatus, m_BaseX, m_BaseY, m_BoxDiagonal, plan.selected, {false, !clearedAtEnd});
    if ((op == BLOCK_MOVE || toPage) && !BlockMoveFits(op, objects, plan)) {
        // Clear the text marks the check set on the wires' texts.
        const int32_t map = DB_BranchMap();
        int32_t cursor = OM_GetFirst(map);
        while (const int32_t branch = OM_SearchMask(map, &cursor, kTextMark, kTextMark))
            OA_MaskAll(B_BranchTextArray(branch), 0, kMark);
        clearMarks();
        winsys::Ui().Beep();
        ShowMessage(ErrorDescription(errnum::Overflow));
        return;
    }

    // Components. A move takes them and their records from the plan: the
    // check above read the same ones.
    if ((objects & 1) && compStatus == 0 && (op == BLOCK_MOVE || toPage)) {
        for (const auto& [id, rec] : plan.comps) {
            g_Comp = rec;
            g_CompOld = rec;
            result = -1;
            if (op == BLOCK_MOVE && (rec.Flags & kLocked) != 0) continue;
            int32_t sign = (rec.Flags & kMirrored) ? -1 : 1;
            CompRec moved = rec;
            RotateMovePoint(moved.X, moved.Y, moved.Angle, sign);
            SetCompPlacement(id, moved);
            if (toPage) O_ChangePage(C_Component(id), g_CurPage);
        }
        OM_MaskAll(DB_SchCompMap(), 0, kMark);
    } else if ((objects & 1) && compStatus == 0) {
        const int32_t map = DB_SchCompMap();
        std::vector<int32_t> deleted;  // unpacked as met, deleted together after the walk
        int32_t cursor = OM_GetFirst(map);
        while (const int32_t id = OM_SearchMask(map, &cursor, kMark, kMark)) {
            int32_t status = 1;
            std::string name;
            ReadComp(status, id, name);
            if (status != 0) continue;
            result = -1;
            switch (op) {
            case BLOCK_DELETE:
                UnpackComp(id, g_Comp);
                deleted.push_back(id);
                break;
            case BLOCK_LOCK:
                O_Mask(C_Component(id), kLocked, kLocked);
                ShowMessage(name + GetMsgText(" Locked", "99855"));
                break;
            case BLOCK_UNLOCK:
                O_Mask(C_Component(id), 0, kLocked);
                ShowMessage(name + GetMsgText(" Unlocked", "991364"));
                break;
            default: break;
            }
        }
        DeleteComps(deleted);
        OM_MaskAll(map, 0, kMark);
    }

    // Wires and their bend points. A move keeps the texts the check
    // selected for the texts below, and clears the wire marks at the end.
    const bool keepTexts = op == BLOCK_MOVE && plan.textsSelected;
    if (objects & 6) {
        const int32_t map = DB_BranchMap();
        if (wireStatus == 0) {
            if (toPage) {
                // Cut the wires that stay behind at the pins and junctions
                // that go.
                int32_t cursor = OM_GetFirst(map);
                while (int32_t branch = OM_SearchMask(map, &cursor, kPartly, kPartly | kWhole)) {
                    BranchRec wire{};
                    if (B_ReadBranch(branch, &wire) == 0) continue;
                    result = -1;
                    BranchPointRec point{};
                    int32_t from = 1;
                    while (branch != 0) {
                        const int32_t i = B_SearchRecordMaskRef(branch, from, kWhole, 0, &point);
                        if (i == 0) break;
                        const bool cut = IsNodeRef(point) ||
                                         (IsJunctionRef(point) && (Status(J_Junction(point.Ref)) & kMark) != 0);
                        if (!cut) {
                            from = i + 1;
                            continue;
                        }
                        const int32_t before = PointCount(branch);
                        DeleteBranchRecord(branch, i);
                        if (branch != 0 && PointCount(branch) == before) from = i + 1;  // refused
                    }
                    if (branch == 0) DropEmptyNet(wire);
                }
            }
            const int32_t wireBits = objects & 6;
            if (op == BLOCK_MOVE) {
                // Nothing between the check and here moves a junction or
                // changes the marks of the wires.
                if (plan.wires) result = -1;
                for (const BlockMovePlan::Place& place : plan.junctions)
                    if (const int32_t junction = J_Junction(place.junction))
                        O_ChangePosition(junction, place.x, place.y);
            } else if (toPage) {
                // The cut above may have changed the wires: walk them again.
                const bool frame = F_OST.Exists(5) && F_OST(5)->Value();
                BranchRecords records;
                ForEachMovedWire(op, frame, [&](int32_t branch) {
                    result = -1;
                    ForEachMarkedPoint(branch, records, [&](const BranchPointRec& p) {
                        if (!IsJunctionRef(p)) return;
                        const int32_t junction = J_Junction(p.Ref);
                        if (junction == 0 || (O_GetStatus(junction) & kMoved) != 0) return;
                        int32_t x = p.X, y = p.Y, angle = 0, sign = 1;
                        RotateMovePoint(x, y, angle, sign);
                        O_ChangePosition(junction, x, y);
                        O_Mask(junction, kMoved, kMoved);
                        if (toPage) O_ChangePage(junction, g_CurPage);
                    });
                    if (toPage) O_ChangePage(B_Branch(branch), g_CurPage);
                });
            } else if (op == BLOCK_DELETE && wireBits == 2) {
                // All at once, so that the references of many wires are
                // checked in one walk per net; then the emptied nets go.
                std::vector<std::pair<int32_t, BranchRec>> wires;
                int32_t cursor = OM_GetFirst(map);
                while (const int32_t branch = OM_SearchMask(map, &cursor, kWhole, kWhole)) {
                    BranchRec wire{};
                    if (B_ReadBranch(branch, &wire) == 0) continue;
                    result = -1;
                    wires.emplace_back(branch, wire);
                }
                std::vector<int32_t> ids;
                ids.reserve(wires.size());
                for (const auto& w : wires) ids.push_back(w.first);
                DeleteBranches(ids);
                for (const auto& [branch, wire] : wires)
                    if (B_Branch(branch) == 0) DropEmptyNet(wire);
            } else if (op == BLOCK_DELETE && wireBits == 4) {
                int32_t cursor = OM_GetFirst(map);
                while (int32_t branch = OM_SearchMask(map, &cursor, kMark, kMark)) {
                    BranchRec wire{};
                    if (B_ReadBranch(branch, &wire) == 0) continue;
                    result = -1;
                    BranchPointRec point{};
                    int32_t from = 1;
                    while (branch != 0) {
                        const int32_t i = B_SearchRecordMaskRef(branch, from, kMark, 0, &point);
                        if (i == 0) break;
                        from = i + 1;
                        if (!IsJunctionRef(point)) continue;
                        const int32_t before = PointCount(branch);
                        DeleteBranchRecord(branch, i);
                        if (branch != 0 && PointCount(branch) != before) from = i;
                    }
                    if (branch == 0) DropEmptyNet(wire);
                }
            }
        }
        // A move that keeps the texts clears the wires and their records
        // at the end, in one walk.
        if (!keepTexts) B_MaskAllBranches(0, kMark | kTextMark | kPartly, 0, kMark | kWhole);
        if (g_FrameBranch != 0 && B_Branch(g_FrameBranch) != 0) O_Mask(B_Branch(g_FrameBranch), 0, kMark | kPartly);
        OM_MaskAll(DB_JunctMap(), 0, kMark | kMoved);
    }

    if (toPage) DB_SetCurPage(g_CurPage);

    // Wire texts.
    if (objects & 2) {
        int32_t status = plan.textStatus;
        if (!keepTexts) SelectBranchTextsAtPoint(status, m_BaseX, m_BaseY, m_BoxDiagonal);
        const int32_t map = DB_BranchMap();
        if (status == 0) {
            int32_t cursor = OM_GetFirst(map);
            while (const int32_t branch = OM_SearchMask(map, &cursor, kTextMark, kTextMark)) {
                const int32_t texts = B_BranchTextArray(branch);
                const bool whole = (Status(B_Branch(branch)) & kWhole) != 0;
                int32_t i = OA_SearchMask(texts, 1, kMark);
                while (i != 0) {
                    ItemRec text{};
                    if (I_ReadItem(OA_Object(texts, i), &text) == 0) {
                        i = OA_SearchMask(texts, i + 1, kMark);
                        continue;
                    }
                    result = -1;
                    if (op == BLOCK_DELETE) {
                        OA_Delete(texts, i);
                        i = OA_SearchMask(texts, i, kMark);
                        continue;
                    }
                    if (op == BLOCK_MOVE || (toPage && whole)) {
                        int32_t sign = 1;
                        RotateMovePoint(text.X, text.Y, text.Angle, sign);
                        WriteOwnerText(kOwnerBranch, branch, i, text);
                    }
                    i = OA_SearchMask(texts, i + 1, kMark);
                }
                OA_MaskAll(texts, 1, 257);
            }
        }
    }
    // Wire mark 512 goes too, so that no later walk takes a stale block.
    if (keepTexts)
        B_MaskAllBranches(0, kMark | kTextMark | kPartly | kWhole, 0, kMark | kWhole);
    else
        OM_MaskAll(DB_BranchMap(), 0, kWhole | kTextMark);
}
