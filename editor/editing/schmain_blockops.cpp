// Block operations on the components, wires and wire texts inside the
// block box: move/rotate, delete, lock, unlock and move to another page.
//
// A move first works out every new position (components, wire points and
// wire texts) without writing anything; when one of them would leave the
// drawing area the whole block stays where it is, with a beep and a word
// in the message line. Deleting walks each map once: the kernel's cursors
// survive deletions, so an object that is refused is passed, not met again.
//
// A move to another page takes the components whose origin lies in the box
// and the wires that lie wholly inside it and end only on those
// components' pins. A wire inside the box that ends on the pin of a
// component left behind stays behind too, like a wire only partly inside:
// every wire that stays is cut where it met a pin or a junction that goes,
// so no wire refers to anything on another page. The whole move is worked
// out before the first change.
//
// Every operation is one change group (DesignChange): a step the kernel
// refuses half-way puts the design back as it was.
#include "editor/objects/branch_points.h"
#include "editor/objects/branches.h"
#include "editor/objects/comp_picking.h"
#include "editor/objects/comp_state.h"
#include "editor/objects/components.h"
#include "editor/shell/design_change.h"
#include "editor/objects/id_table.h"
#include "editor/objects/net_removal.h"
#include "editor/objects/owner_items.h"
#include "editor/objects/packaging.h"
#include "editor/objects/branch_drawing.h"
#include "editor/shell/caption.h"
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
#include <unordered_set>
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
constexpr int32_t kNodeWired = 2;  // a node with a wire record on it

bool IsJunctionRef(const BranchPointRec& p) { return (p.Flags & 6) == 4; }
bool IsNodeRef(const BranchPointRec& p) { return (p.Flags & 6) == 2; }

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

// Everything a move to another page changes, worked out before the first
// change.
struct PageMove {
    struct Comp {
        int32_t id;
        CompRec from, to;
    };
    struct Junction {
        int32_t id;
        JunctionRec from;
        int32_t x, y;
    };
    // The records a wire that stays loses, by descending index, and
    // whether it is left with fewer than two.
    struct Cut {
        int32_t branch;
        BranchRec wire;
        std::vector<std::pair<int32_t, BranchPointRec>> records;
        bool emptied;
    };
    struct Text {
        int32_t branch, index;
        ItemRec from, to;
    };
    std::vector<Comp> comps;
    std::vector<std::pair<int32_t, BranchRec>> wires;  // the wires that go
    std::vector<Junction> junctions;                   // theirs, each once
    std::vector<Cut> cuts;
    // Nodes that lose their last wire record and still carry the wire
    // mark: (net, node).
    std::vector<std::pair<int32_t, int32_t>> freedNodes;
    std::vector<Text> texts;
    bool selected = false;  // anything was selected
};

// What the selections of `m`'s box took on the current (source) page, as
// a PageMove: the components taken; the wires wholly inside that end only
// on their pins; the junctions of those wires; the records of every other
// marked wire that refer to a pin or junction that goes; the wire texts of
// the box on the wires that go. False when something it must know cannot
// be read. A new place beyond the drawing area raises Overflow.
bool PlanPageMove(SCHMAIN& m, const std::vector<SelectedComp>& taken, bool wiresTaken, bool textsTaken,
                  PageMove& plan)
{
    std::unordered_set<int32_t> comps;
    for (const auto& [id, rec] : taken) {
        comps.insert(id);
        CompRec to = rec;
        int32_t sign = (rec.Flags & kMirrored) ? -1 : 1;
        m.RotateMovePoint(to.X, to.Y, to.Angle, sign);
        plan.comps.push_back({id, rec, to});
    }
    plan.selected = !taken.empty() || wiresTaken || textsTaken;
    // Whether the node's component goes; `read` false when the node cannot
    // be read.
    bool read = true;
    auto goes = [&](int32_t net, int32_t node) {
        NodeRec rec{};
        if (N_ReadNode(net, node, &rec) == 0) {
            read = false;
            return false;
        }
        return comps.count(rec.Comp) != 0;
    };

    const int32_t map = DB_BranchMap();
    BranchRecords records;
    std::vector<int32_t> behind;        // wires inside the box that stay
    std::unordered_set<int32_t> moved;  // junctions of the wires that go
    std::unordered_set<int32_t> kept;   // nodes a wire that goes ends on
    if (wiresTaken) {
        int32_t cursor = OM_GetFirst(map);
        while (const int32_t branch = OM_SearchMask(map, &cursor, kWhole, kWhole)) {
            BranchRec wire{};
            if (B_ReadBranch(branch, &wire) == 0 || !records.Read(branch)) return false;
            bool stays = false;
            for (const BranchPointRec& p : records)
                if (IsNodeRef(p) && !goes(wire.Net, p.Ref)) {
                    stays = true;
                    break;
                }
            if (!read) return false;
            if (stays) {
                behind.push_back(branch);
                continue;
            }
            plan.wires.emplace_back(branch, wire);
            for (const BranchPointRec& p : records) {
                if (IsNodeRef(p)) kept.insert(p.Ref);
                if (!IsJunctionRef(p) || !moved.insert(p.Ref).second) continue;
                PageMove::Junction j{p.Ref, {}, p.X, p.Y};
                if (J_ReadJunction(p.Ref, &j.from) == 0) return false;
                int32_t angle = 0, sign = 1;
                m.RotateMovePoint(j.x, j.y, angle, sign);
                plan.junctions.push_back(j);
            }
        }
    }

    // The wires that stay and meet what goes: those the selections marked
    // as partly taken or as ending on a pin of a component taken, and those
    // inside the box that end on a pin left behind.
    std::vector<int32_t> staying = behind;
    int32_t cursor = OM_GetFirst(map);
    while (const int32_t branch = OM_SearchMask(map, &cursor, kPartly, kPartly | kWhole)) staying.push_back(branch);
    std::unordered_set<int32_t> freed;
    for (const int32_t branch : staying) {
        PageMove::Cut cut{branch, {}, {}, false};
        if (B_ReadBranch(branch, &cut.wire) == 0 || !records.Read(branch)) return false;
        for (size_t k = records.size(); k-- > 0;) {
            const BranchPointRec& p = records[k];
            const bool cuts = IsJunctionRef(p) ? moved.count(p.Ref) != 0 : IsNodeRef(p) && goes(cut.wire.Net, p.Ref);
            if (!read) return false;
            if (!cuts) continue;
            cut.records.emplace_back(static_cast<int32_t>(k + 1), p);
            if (!IsNodeRef(p) || kept.count(p.Ref) != 0 || !freed.insert(p.Ref).second) continue;
            NodeRec node{};
            if (N_ReadNode(cut.wire.Net, p.Ref, &node) == 0) return false;
            if ((node.Flags & kNodeWired) != 0) plan.freedNodes.emplace_back(cut.wire.Net, p.Ref);
        }
        if (cut.records.empty()) continue;
        cut.emptied = records.size() - cut.records.size() < 2;
        plan.cuts.push_back(std::move(cut));
    }

    // The texts of the box on the wires that go.
    if (textsTaken) {
        std::unordered_set<int32_t> going;
        for (const auto& w : plan.wires) going.insert(w.first);
        cursor = OM_GetFirst(map);
        while (const int32_t branch = OM_SearchMask(map, &cursor, kTextMark, kTextMark)) {
            if (going.count(branch) == 0) continue;
            const int32_t texts = B_BranchTextArray(branch);
            for (int32_t i = OA_SearchMask(texts, 1, kMark); i != 0; i = OA_SearchMask(texts, i + 1, kMark)) {
                PageMove::Text text{branch, i, {}, {}};
                if (I_ReadItem(OA_Object(texts, i), &text.from) == 0) return false;
                text.to = text.from;
                int32_t sign = 1;
                m.RotateMovePoint(text.to.X, text.to.Y, text.to.Angle, sign);
                plan.texts.push_back(text);
            }
        }
    }
    return true;
}

// Makes the changes of `plan`: the cuts of the wires that stay, the wire
// marks of the nodes they freed, then the components, junctions, wires and
// texts to `page`. False at the first change the kernel refuses; the
// block operation's change group then puts the design back.
bool ApplyPageMove(const PageMove& plan, int32_t page)
{
    for (const PageMove::Cut& cut : plan.cuts)
        for (const auto& [index, p] : cut.records)
            if (B_DeleteRecord(cut.branch, index) == 0) return false;
    for (const auto& [net, node] : plan.freedNodes)
        if (O_Mask(N_Node(net, node), 0, kNodeWired) == 0) return false;
    for (const PageMove::Comp& c : plan.comps) {
        const int32_t handle = C_Component(c.id);
        const CompRec &from = c.from, &to = c.to;
        if ((to.X != from.X || to.Y != from.Y) && O_ChangePosition(handle, to.X, to.Y) == 0) return false;
        const int32_t mirrored = (from.Flags & kMirrored) != 0 ? 1 : 0;
        if (to.Angle != from.Angle && C_ChangeCompDispAttr(c.id, to.Angle, mirrored) == 0) return false;
        if (O_ChangePage(handle, page) == 0) return false;
    }
    for (const PageMove::Junction& j : plan.junctions) {
        const int32_t handle = J_Junction(j.id);
        if ((j.x != j.from.X || j.y != j.from.Y) && O_ChangePosition(handle, j.x, j.y) == 0) return false;
        if (O_ChangePage(handle, page) == 0) return false;
    }
    for (const auto& [branch, wire] : plan.wires)
        if (O_ChangePage(B_Branch(branch), page) == 0) return false;
    for (const PageMove::Text& t : plan.texts)
        if (I_ChangeItemXY(B_BranchText(t.branch, t.index), &t.to) == 0) return false;
    return true;
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
            // The marked records of the moved wires, as the selection read
            // them: nothing has changed them since. A junction on several
            // moved wires moves once; every record of it shows the same
            // place. The page frame goes with the move when option 5 asks.
            const bool frame = F_OST.Exists(5) && F_OST(5)->Value();
            IdTable<uint8_t> seen;
            plan.junctions.reserve(plan.selected.size());
            for (const SelectedBranchPoint& s : plan.selected) {
                if (s.branch < 0 && !(frame && s.branch == g_FrameBranch)) continue;
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

namespace {

// Moves the block of `m`'s box from the page it was drawn on
// (m_BlockOrigPage) to the current page g_CurPage, all or nothing.
void MoveBlockToPage(SCHMAIN& m, int32_t objects, int32_t& result)
{
    // Kept only when the whole move is made: a refused change (a node's
    // wire mark included) puts the design back, and a step refused on the
    // way (a mark of the selections, a read) fails the whole action, since
    // what was selected after it is not what the box holds.
    DesignChange change(DesignChange::Ending::Undo);
    const std::string refused = "Can't move block to page: " + g_CurPageName;
    // The page the box was drawn on may be gone: asked before switching.
    if (DB_Page(m.m_BlockOrigPage) == 0) {
        winsys::Ui().Beep();
        m.ShowMessage(refused);
        return;
    }
    // The selections search the source page; the target page is made
    // current again however the move ends, and no mark of the selections
    // stays behind.
    if (DB_SetCurPage(m.m_BlockOrigPage) == 0) return;
    auto page = OnExit([] { DB_SetCurPage(g_CurPage); });
    bool moved = false;
    auto marks = OnExit([&moved] {
        // The texts of the box lose their mark, and are marked drawn when
        // the block went.
        const int32_t map = DB_BranchMap();
        int32_t cursor = OM_GetFirst(map);
        while (const int32_t branch = OM_SearchMask(map, &cursor, kTextMark, kTextMark)) {
            if (moved)
                OA_MaskAll(B_BranchTextArray(branch), 1, 257);
            else
                OA_MaskAll(B_BranchTextArray(branch), 0, kMark);
        }
        OM_MaskAll(DB_SchCompMap(), 0, kMark);
        B_MaskAllBranches(0, kMark | kWhole | kTextMark | kPartly, 0, kMark | kWhole);
        OM_MaskAll(DB_JunctMap(), 0, kMark | kMoved);
    });

    // The marks both selections clear before they select, cleared in one
    // walk of each map.
    const bool comps = (objects & 1) != 0, wires = (objects & 6) != 0;
    if (comps) OM_MaskAll(DB_SchCompMap(), 0, kMark);
    if (comps || wires)
        B_MaskAllBranches(0, (comps ? kPartly : 0) | (wires ? kMark | kWhole : 0), 0,
                          (comps ? kWhole : 0) | (wires ? kMark : 0));
    if (wires) OM_MaskAll(DB_JunctMap(), 0, kMark | kMoved);
    int32_t compStatus = 1, wireStatus = 1, textStatus = 1;
    std::vector<SelectedComp> taken;
    std::vector<SelectedBranchPoint> points;
    if (comps) SelectCompsAtPoint(compStatus, m.m_BaseX, m.m_BaseY, m.m_BoxDiagonal, taken, false);
    if (wires) SelectBranchesInRect(wireStatus, m.m_BaseX, m.m_BaseY, m.m_BoxDiagonal, points, {false, true});
    if (objects & 2) SelectBranchTextsAtPoint(textStatus, m.m_BaseX, m.m_BaseY, m.m_BoxDiagonal);

    PageMove plan;
    bool known = false;
    try {
        known = PlanPageMove(m, taken, wireStatus == 0, textStatus == 0, plan);
    } catch (const RuntimeError&) {
        winsys::Ui().Beep();
        m.ShowMessage(ErrorDescription(errnum::Overflow));
        return;
    }
    if (!known) {
        winsys::Ui().Beep();
        m.ShowMessage(refused);
        return;
    }
    if (!plan.selected) return;

    if (!ApplyPageMove(plan, g_CurPage)) {
        winsys::Ui().Beep();
        m.ShowMessage(refused);
        return;
    }
    if (!change.Finish()) return;
    result = -1;
    moved = true;
    if (!plan.comps.empty()) {
        g_Comp = plan.comps.back().from;
        g_CompOld = g_Comp;
    }
    // The wires that stay with fewer than two records go, and their nets
    // when nothing else is left in them (a refused deletion puts the whole
    // move back through the operation's change group).
    for (const PageMove::Cut& cut : plan.cuts) {
        if (!cut.emptied) continue;
        DeleteBranch(cut.branch);
        if (B_Branch(cut.branch) == 0) DropEmptyNet(cut.wire);
    }
}

}  // namespace

void SCHMAIN::ChangeBlockObjects(int32_t& op, int32_t& objects, int32_t& result)
{
    DesignChange change;
    result = 0;
    SetScreenMousePointer(mousepointer::Hourglass);
    auto pointer = OnExit([] { SetScreenMousePointer(mousepointer::Default); });
    if (op == BLOCK_TO_PAGE) {
        MoveBlockToPage(*this, objects, result);
        return;
    }
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
    if (op == BLOCK_MOVE && !BlockMoveFits(op, objects, plan)) {
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
    if ((objects & 1) && compStatus == 0 && op == BLOCK_MOVE) {
        for (const auto& [id, rec] : plan.comps) {
            g_Comp = rec;
            g_CompOld = rec;
            result = -1;
            if ((rec.Flags & kLocked) != 0) continue;
            int32_t sign = (rec.Flags & kMirrored) ? -1 : 1;
            CompRec moved = rec;
            RotateMovePoint(moved.X, moved.Y, moved.Angle, sign);
            SetCompPlacement(id, moved);
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
            const int32_t wireBits = objects & 6;
            if (op == BLOCK_MOVE) {
                // Nothing between the check and here moves a junction or
                // changes the marks of the wires.
                if (plan.wires) result = -1;
                for (const BlockMovePlan::Place& place : plan.junctions)
                    if (const int32_t junction = J_Junction(place.junction))
                        O_ChangePosition(junction, place.x, place.y);
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

    // Wire texts.
    if (objects & 2) {
        int32_t status = plan.textStatus;
        if (!keepTexts) SelectBranchTextsAtPoint(status, m_BaseX, m_BaseY, m_BoxDiagonal);
        const int32_t map = DB_BranchMap();
        if (status == 0) {
            int32_t cursor = OM_GetFirst(map);
            while (const int32_t branch = OM_SearchMask(map, &cursor, kTextMark, kTextMark)) {
                const int32_t texts = B_BranchTextArray(branch);
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
                    if (op == BLOCK_MOVE) {
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
