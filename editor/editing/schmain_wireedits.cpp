// Edits of existing wires and buses: deleting a wire, a segment, a point or
// a stretch of free points; cutting a wire in two; dropping and stepping
// back the moving end of a wire being drawn; the name texts of a wire.
#include "editor/editing/editing_state.h"
#include "editor/editing/wire_helpers.h"
#include "editor/objects/branch_drawing.h"
#include "editor/objects/branch_hits.h"
#include "editor/objects/branch_points.h"
#include "editor/objects/branches.h"
#include "editor/objects/integrity.h"
#include "editor/objects/net_drawing.h"
#include "editor/objects/net_removal.h"
#include "editor/objects/owner_items.h"
#include "editor/objects/symbol_items.h"
#include "editor/objects/wire_state.h"
#include "editor/shell/dlgservices.h"
#include "editor/shell/msgtext.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/reporter.h"
#include "editor/shell/ribbon.h"
#include "editor/shell/schmain.h"
#include "editor/shell/scope_guard.h"

#include "editor/shell/design_change.h"
#include "editor/shell/systables.h"
#include "editor/shell/textnum.h"
#include "platform/winsys/interaction.h"

#include <string>
#include <vector>

using namespace wire_edit;

namespace {

void Beep()
{
    winsys::Ui().Beep();
}

// The owner of a wire left empty goes: a bus or a net nothing uses.
void DeleteOwnerIfEmpty(const BranchRec& rec)
{
    int32_t result = 0;
    if ((rec.Flags & kBusWire) != 0)
        DeleteBusIfEmpty(rec.Net, result);
    else if (rec.Net != 0)
        DeleteNetIfEmpty(rec.Net, result);
}

int32_t Points(int32_t branch)
{
    BranchRec rec{};
    return B_ReadBranch(branch, &rec) != 0 ? rec.Points : 0;
}

// What the delete questions mark to show the part asked about: the wire
// and its records and the junctions on it (the segment and point
// questions), the wires meeting at the chosen junction with their records
// there (the point question), and the net and its nodes. The junctions are
// listed before the question, so that those on a part cut off by the
// deletion lose their marks too.
struct MarkedWireParts {
    int32_t branch = 0, junction = 0, net = 0;
    std::vector<int32_t> junctions;

    MarkedWireParts(int32_t option, int32_t wire, const BranchPointRec& point, const BranchRec& rec)
    {
        if (option != 1 && option != 2) return;
        branch = wire;
        if (option == 2) junction = point.Ref;
        if ((rec.Flags & kBusWire) == 0) net = rec.Net;
        BranchRecords records;
        if (records.Read(wire))
            for (const BranchPointRec& r : records)
                if ((r.Flags & 6) == 4) junctions.push_back(r.Ref);
    }

    // Puts back the unmarked look the highlight leaves (drawn, 256 off); a
    // part deleted meanwhile is no longer there to mark.
    void TakeOff() const
    {
        if (branch == 0) return;
        if (junction != 0) B_MaskSelRecords(4, junction, 1, 257, 1, 257, 1, 257);
        for (const int32_t j : junctions) O_Mask(J_Junction(j), 1, 257);
        O_Mask(B_Branch(branch), 1, 257);
        B_MaskBranchRecords(branch, 1, 257);
        if (net != 0) {
            O_Mask(N_Net(net), 1, 257);
            OM_MaskAll(N_NodeMap(net), 1, 257);
        }
    }
};

}  // namespace

void SCHMAIN::DeleteWireParts(int32_t& fail, int32_t X, int32_t Y)
{
    DesignChange change;
    fail = 1;
    g_MaskedBranchIds.Redim(0, 0);
    int32_t option = -1;
    for (const int32_t o : {0, 1, 2, 5})
        if (F_OST.Exists(o) && F_OST(o)->Value()) {
            option = o;
            break;
        }
    if (option < 0 || (option == 5 && m_WireIsBus)) {
        Beep();
        return;
    }
    int32_t status = 0, distance = 0;
    g_CurBranchPos = 1;
    CoverBranchAtPoint(status, 2, 0, X, Y, distance, g_CurBranch, g_CurBranchPos, g_CurBranchRec);
    // The page frame is no wire of a net: its net field names the page.
    if (status != 0 || g_CurBranch < 0 || ((g_CurBranchRec.Flags & kBusWire) != 0) != m_WireIsBus) {
        Beep();
        return;
    }
    switch (option) {
    case 0:
    case 1: LoadBranchSegment(status, 0, X, Y, distance); break;
    case 2:
        SelectNearestBranchPoint(status, 0, X, Y, distance);
        if (status == 0 && (g_CurBranchPoint.Flags & kJunctionRef) == 0) status = 1;
        break;
    default: FindBranchStretch(status, 0, X, Y, distance); break;
    }
    if (status != 0) {
        Beep();
        return;
    }
    const BranchRec rec = g_CurBranchRec;
    // The segment and point questions mark what they show; whichever way
    // the operation ends (No, done, or a step that failed), those marks
    // come off again with it.
    const auto unmark = OnExit([marks = MarkedWireParts(option, g_CurBranch, g_CurBranchPoint, rec)] {
        marks.TakeOff();
    });
    OpenCanvasDC();
    std::string question;
    switch (option) {
    case 0:
        RedrawBranch(kHighlightDrawMode, g_CurBranch, -1);
        question = m_WireIsBus ? GetMsgText("Delete Bus lines?", "1378") : GetMsgText("Delete whole Wire?", "1390");
        break;
    case 1:
        MarkBranchRecord(0, g_CurBranch, g_PrevBranchPos, 1);
        question =
            m_WireIsBus ? GetMsgText("Delete Bus Segment?", "1381") : GetMsgText("Delete Wire Segment?", "1392");
        break;
    case 2:
        MarkJunctionWires(0, g_CurBranch, g_CurBranchPoint);
        DrawMaskedBranches(0, 256);
        question = m_WireIsBus ? GetMsgText("Delete Bus Point?", "1380") : GetMsgText("Delete Wire Point?", "1391");
        break;
    default: question = GetMsgText("Delete Free Wire Points", "1383"); break;
    }
    CloseCanvasDC();
    PopupConfirm(question, m_MouseX, m_MouseY);
    if (!g_YesNoAnswer) {
        OpenCanvasDC();
        RedrawBranch(0, g_CurBranch, -1);
        CloseCanvasDC();
        return;
    }
    switch (option) {
    case 0:
        OpenCanvasDC();
        RedrawBranch(2, g_CurBranch, -1);
        CloseCanvasDC();
        DeleteBranch(g_CurBranch);
        g_CurBranch = 0;
        break;
    case 1: SplitBranchAtSegment(); break;
    case 2: {
        int32_t dropped = 1;
        DropMovingWireEnd(dropped);
        break;
    }
    default: DeleteBranchStretch(); break;
    }
    DeleteOwnerIfEmpty(rec);
    // Done only when what it changed stays.
    fail = change.Finish() ? 0 : 1;
}

// Cuts the current wire at the segment ending at point g_PrevBranchPos + 1:
// the points from there on go into a new wire. The new wire is filled
// whole before anything leaves the old one, so a refusal leaves the wire
// as it was.
void SCHMAIN::SplitBranchAtSegment()
{
    OpenCanvasDC();
    RedrawBranch(2, g_CurBranch, -1);
    CloseCanvasDC();
    BranchRec rec{};
    if (B_ReadBranch(g_CurBranch, &rec) == 0) return;
    auto restore = [&] {
        OpenCanvasDC();
        MaskBranchRecord(0, g_CurBranch, g_PrevBranchPos + 1);
        RedrawBranch(0, g_CurBranch, -1);
        CloseCanvasDC();
    };
    // The new wire takes the wire's kind, not the marks the question put on
    // it (which come off the wire it is cut from).
    const int32_t split = B_CreateBranch(0, (rec.Flags & ~kDesignMarks) | 1, rec.Net);
    if (split == 0) {
        ReportMsg(50);
        restore();
        return;
    }
    const int32_t from = g_PrevBranchPos + 1;
    for (int32_t i = from; i <= rec.Points; ++i) {
        BranchPointRec point{};
        if (B_ReadRecord(g_CurBranch, i, &point) == 0 || B_InsertRecord(split, -1, point.Flags, point.Ref) == 0) {
            ReportMsg(51);
            OM_Delete(DB_BranchMap(), split);
            restore();
            return;
        }
    }
    for (int32_t i = rec.Points; i >= from; --i) B_DeleteRecord(g_CurBranch, i);
    for (const int32_t half : {g_CurBranch, split}) {
        if (Points(half) >= 2) {
            OpenCanvasDC();
            RedrawBranch(0, half, -1);
            CloseCanvasDC();
        } else {
            DeleteBranch(half);
        }
    }
    if (B_Branch(g_CurBranch) == 0) g_CurBranch = 0;
    if ((rec.Flags & kBusWire) == 0 && rec.Net != 0) {
        OpenCanvasDC();
        DrawNetNodes(rec.Net, 256);
        CloseCanvasDC();
    }
}

void SCHMAIN::DropMovingWireEnd(int32_t& fail)
{
    fail = 1;
    JunctionRec junction{};
    if (B_ReadRecord(g_CurBranch, g_CurBranchPos, &g_CurBranchPoint) == 0) return;
    const bool isJunction = (g_CurBranchPoint.Flags & kJunctionRef) != 0;
    if (isJunction && J_ReadJunction(g_CurBranchPoint.Ref, &junction) == 0) return;
    const int32_t net = g_CurBranchRec.Net;
    const bool busWire = (g_CurBranchRec.Flags & kBusWire) != 0;
    if (!isJunction || (junction.Flags & 6) != 6) DeleteBranchRecord(g_CurBranch, g_CurBranchPos);
    fail = 0;
    if (g_CurBranch == 0) return;
    // A wire left with a single point is no wire.
    if (Points(g_CurBranch) < 2) {
        DeleteBranch(g_CurBranch);
        g_CurBranch = 0;
        return;
    }
    B_ReadBranch(g_CurBranch, &g_CurBranchRec);
    OpenCanvasDC();
    HighlightSelectedBranches(0, g_CurBranch, g_CurBranchPoint);
    if (g_PrevBranchPos > 0) MaskBranchRecord(0, g_CurBranch, g_PrevBranchPos);
    if (!busWire) DrawNetNodes(net, 768);
    CloseCanvasDC();
}

void SCHMAIN::DeleteBranchStretch()
{
    OpenCanvasDC();
    RedrawBranch(2, g_CurBranch, -1);
    CloseCanvasDC();
    for (int32_t i = g_PrevBranchPos; i <= g_NextBranchPos; ++i) B_MaskRecord(g_CurBranch, i, 512, 512);
    int32_t first = 0;
    DeleteBranchRecordsByMask(g_CurBranch, 512, first);
    if (g_CurBranch == 0) return;
    // Fewer than two points left: the wire goes.
    if (Points(g_CurBranch) < 2) {
        DeleteBranch(g_CurBranch);
        g_CurBranch = 0;
        return;
    }
    OpenCanvasDC();
    RedrawBranch(0, g_CurBranch, -1);
    CloseCanvasDC();
}

// Steps back one point while a wire is drawn: the last point goes and the
// point before it becomes the moving end with a junction of its own. The
// new junction is made before the old one is given up, so a refusal leaves
// the wire as it was.
void SCHMAIN::StepBackWirePoint(int32_t& fail)
{
    fail = 1;
    BranchRec rec{};
    if (B_ReadBranch(g_CurBranch, &rec) == 0 || rec.Points < 3) return;
    const int32_t index = g_CurBranchPos;
    BranchPointRec before{};
    if (index < 3 || B_ReadRecord(g_CurBranch, index, &g_CurBranchPoint) == 0 ||
        B_ReadRecord(g_CurBranch, index - 1, &before) == 0 || (before.Flags & kJunctionRef) == 0)
        return;
    const bool bus = (rec.Flags & kBusWire) != 0;
    const int32_t fresh = J_CreateJunction(GetFreeJunctionId(), bus ? 5 : 3, before.X, before.Y);
    if (fresh == 0) {
        ReportMsg(56);
        return;
    }
    int32_t branch = g_CurBranch;
    DeleteBranchRecord(branch, index);
    if (branch == 0) {
        AddJunctionToHeap(fresh);
        g_CurBranch = 0;
        return;
    }
    OpenCanvasDC();
    G_SetDrawMode(2);
    B_DrawRecords(g_CurBranch, index - 2, 1);
    CloseCanvasDC();
    const int32_t old = before.Ref;
    B_MaskRecord(g_CurBranch, index - 1, 0, 4);
    // Is the old junction used by any other branch? Branches get mark 64.
    B_MaskSelRecords(kJunctionRef, old, 64, 64, 0, 0, 0, 0);
    const bool used = OM_FindMask(DB_BranchMap(), 64, 64) != 0;
    OM_MaskAll(DB_BranchMap(), 0, 64);
    if (!used) AddJunctionToHeap(old);
    B_ChangeRecordRef(g_CurBranch, index - 1, fresh);
    B_MaskRecord(g_CurBranch, index - 1, 4, 4);
    g_CurBranchPos = index - 1;
    g_PrevBranchPos = index - 2;
    B_ReadRecord(g_CurBranch, g_CurBranchPos, &g_CurBranchPoint);
    B_ReadRecord(g_CurBranch, g_PrevBranchPos, &g_PrevBranchPoint);
    B_MaskRecord(g_CurBranch, g_CurBranchPos, 768, 769);
    B_MaskRecord(g_CurBranch, g_PrevBranchPos, 768, 769);
    g_CurBranchPointSave = g_CurBranchPoint;
    g_PrevBranchPointSave = g_PrevBranchPoint;
    B_ReadBranch(g_CurBranch, &g_CurBranchRec);
    fail = 0;
}

// Adds a name text at the current point, or changes the picked text
// (g_SymbText, g_SymbItemIdx). The new text is made and added before the
// old one goes, so a refusal keeps the old text.
void SCHMAIN::ChangeNetText(int32_t& fail, bool editExisting)
{
    fail = 1;
    BranchRec rec{};
    if (B_ReadBranch(g_CurBranch, &rec) == 0) return;
    const bool bus = (rec.Flags & kBusWire) != 0;
    ItemRec item{};
    std::string text;
    std::string prompt;
    int32_t link = 0;
    if (editExisting) {
        item = g_SymbText;
        text = g_SymbItemText;
        link = item.Link;
        const int32_t role = item.Flags & 14;
        prompt = role == 4   ? GetMsgText("Change Bus name text: ", "1345")
                 : role == 8 ? GetMsgText("Change Bus member text:", "1344")
                             : GetMsgText("Change Net Name text:", "1352");
    } else {
        int32_t role = 3;
        if (bus) {
            role = 5;
            text = BusName(rec.Net);
        } else {
            text = NetName(rec.Net);
            int32_t index = 0;
            if ((g_CurBranchPoint.Flags & kJunctionRef) != 0 && (O_GetStatus(N_Net(rec.Net)) & kNetBusMember) != 0 &&
                N_FindBusMember(rec.Net, &index) != 0) {
                role = 9;
                text = std::to_string(index);
                link = index;
            }
        }
        item.Kind = 6;
        item.Flags = role;
        item.X = g_CurBranchPoint.X;
        item.Y = g_CurBranchPoint.Y;
        item.P1 = g_TextSizes(1).Height;
        item.P2 = g_TextSizes(1).Width;
        item.Width = g_TextSizes(1).Width3;
        prompt = role == 5 ? GetMsgText("Change Bus name text: ", "1345")
                 : role == 9 ? GetMsgText("Change Bus member text:", "1344")
                             : GetMsgText("Change Net Name text:", "1352");
    }
    const std::string answer = AskText(prompt, "", text);
    if (answer.empty()) return;
    const int32_t array = B_BranchTextArray(g_CurBranch);
    const int32_t made = I_MakeText(item.X, item.Y, item.Angle, item.P1, item.P2, answer.c_str(), item.Flags,
                                    item.Layer, item.Width);
    if (made == 0) {
        std::string detail = answer;
        ReportMsg(10, detail);
        return;
    }
    I_ChangeItemLink(made, link);
    const int32_t index = OA_Add(array, made);
    if (index == 0) {
        O_Discard(made);
        std::string detail = answer;
        ReportMsg(10, detail);
        return;
    }
    OpenCanvasDC();
    if (editExisting) {
        const int32_t old = g_SymbItemIdx;
        EraseOwnerItem(kOwnerBranch, 1, g_CurBranch, old);
        g_SymbItemIdx = old < index ? index - 1 : index;
    } else {
        g_SymbItemIdx = index;
    }
    DrawOwnerItem(kOwnerBranch, g_CurBranch, g_SymbItemIdx);
    CloseCanvasDC();
    // The text command that follows moves this text through g_SymbText.
    I_ReadItem(made, &g_SymbText);
    g_SymbItemText = answer;
    fail = 0;
}
