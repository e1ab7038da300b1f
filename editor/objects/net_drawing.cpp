#include "editor/objects/net_drawing.h"

#include "editor/objects/owner_items.h"
#include "editor/objects/view_values.h"
#include "editor/objects/wire_state.h"
#include "editor/shell/platform_calls.h"

namespace {

int32_t GuidelineFlag()
{
    return g_NetGuidelines ^ g_ShowRatsnest;
}

// (value, mask) on the net and every node of it.
void MaskNetAndNodes(int32_t net, int32_t value, int32_t mask)
{
    O_Mask(N_Net(net), value, mask);
    OM_MaskAll(N_NodeMap(net), value, mask);
}

// (value, mask) on every branch of the net, any page, and all its records.
void MaskNetBranches(int32_t net, int32_t value, int32_t mask)
{
    int32_t cursor = OM_GetFirst(DB_BranchMap());
    while (const int32_t branch = B_SearchNetPage(&cursor, 0, net, -1)) {
        O_Mask(B_Branch(branch), value, mask);
        B_MaskBranchRecords(branch, value, mask);
    }
}

// The figures HighlightNet draws itself, each once: the nodes (shown or
// not, the highlight shows the net's pins), the marked junctions and the
// ratsnest lines. The wires are not among them: the caller's masked-branch
// pass draws them, and a second drawing here would take them off again.
void DrawHighlightOverlay(int32_t net)
{
    G_SetDrawMode(kHighlightDrawMode);
    N_SetNodeView(0);
    N_DrawNetNodes(net, 128);
    J_DrawAllJunctions(128);
    N_DrawNetRatsnest(net, 0, 0);
    N_DrawNetRatsnest(net, 0, GuidelineFlag());
}

// The masked branches of the current page: records (mask) and texts, in the
// draw mode as set.
void DrawMaskedBranchIds(int32_t recordMask)
{
    for (long i = 1; i <= g_MaskedBranchIds.UBound(); ++i) {
        const int32_t id = g_MaskedBranchIds(i);
        if (O_TestPage(B_Branch(id), 0) == 0) continue;
        B_DrawAllRecords(id, recordMask);
        B_DrawBranchAllTexts(id, 15);
    }
}

// Takes a highlight off: its overlay and the masked-branch pass drawn a
// second time, so every pixel they touched is as before they were drawn
// (where the net's own figures were erased under them: background).
void TakeHighlightOff(int32_t net)
{
    DrawHighlightOverlay(net);
    DrawMaskedBranchIds(128);
}

// Erases the net's figures on the current page that the highlight draws
// over (shown node marks, wire records, wire texts), so the XOR shows them
// in the highlight colour rather than mixed with their normal colours.
void EraseUnderHighlight(int32_t net)
{
    G_SetDrawMode(2);
    N_SetNodeView(0);
    if (g_ShowNodes != 0) N_DrawNetNodes(net, 128);
    int32_t cursor = OM_GetFirst(DB_BranchMap());
    while (const int32_t branch = B_SearchNetPage(&cursor, 0, net, 0)) {
        B_DrawAllRecords(branch, 128);
        B_DrawBranchAllTexts(branch, 15);
    }
}

}  // namespace

void RedrawNet(int32_t net)
{
    if ((O_GetStatus(N_Net(net)) & 128) != 0) TakeHighlightOff(net);
    MaskNetAndNodes(net, 1, 129);
    G_SetDrawMode(0);
    N_SetNodeView(0);
    if (g_ShowNodes != 0) N_DrawNetNodes(net, 1);
    N_DrawNetRatsnest(net, 0, GuidelineFlag());
    DrawMaskedBranchIds(128);
    // The net's wires on this page were erased under the highlight, whether
    // or not a masked-branch pass drew them; then the junction dots go back
    // over the wires, as the page draws them.
    int32_t cursor = OM_GetFirst(DB_BranchMap());
    while (const int32_t branch = B_SearchNetPage(&cursor, 0, net, 0)) {
        B_DrawAllRecords(branch, 128);
        B_DrawBranchAllTexts(branch, 15);
    }
    for (long i = 1; i <= g_MaskedBranchIds.UBound(); ++i) {
        const int32_t id = g_MaskedBranchIds(i);
        if (O_TestPage(B_Branch(id), 0) != 0) B_DrawAllJunctions(id, 128);
    }
    cursor = OM_GetFirst(DB_BranchMap());
    while (const int32_t branch = B_SearchNetPage(&cursor, 0, net, 0)) B_DrawAllJunctions(branch, 128);
    J_DrawAllJunctions(128);
    MaskNetBranches(net, 1, 129);
}

void HighlightNet(int32_t net)
{
    // A net highlighted already loses that highlight first, so a second
    // call does not take the overlay off instead.
    if ((O_GetStatus(N_Net(net)) & 128) != 0) TakeHighlightOff(net);
    MaskNetAndNodes(net, 128, 129);
    MaskNetBranches(net, 128, 129);
    EraseUnderHighlight(net);
    DrawHighlightOverlay(net);
}

void DrawNetHighlights()
{
    const int32_t mode = G_SetDrawMode(kHighlightDrawMode);
    const int32_t map = DB_NetMap();
    int32_t cursor = OM_GetFirst(map);
    bool any = false;
    // A highlighted net has 128 set and 1 cleared; 128 alone also marks a
    // net whose ratsnest is to be redrawn.
    for (int32_t net; (net = OM_SearchMask(map, &cursor, 128, 129)) > 0;) {
        DrawHighlightOverlay(net);
        any = true;
    }
    // One masked-branch pass for all of them, as the net commands draw it.
    if (any) {
        G_SetDrawMode(kHighlightDrawMode);
        DrawMaskedBranchIds(128);
    }
    G_SetDrawMode(mode);
}

void DrawNetNodes(int32_t net, int32_t mask)
{
    G_SetDrawMode(0);
    N_SetNodeView(0);
    MaskNetAndNodes(net, 1, mask | 1);
    if (g_ShowNodes != 0) N_DrawNetNodes(net, 1);
    N_DrawNetRatsnest(net, 0, GuidelineFlag());
}

void DrawNetNodesXor(int32_t net, int32_t mask)
{
    G_SetDrawMode(2);
    N_SetNodeView(0);
    MaskNetAndNodes(net, mask, mask | 1);
    if (g_ShowNodes != 0) N_DrawNetNodes(net, mask);
    N_DrawNetRatsnest(net, 1, GuidelineFlag());
}

void EraseNetNodes(int32_t net, int32_t mask)
{
    G_SetDrawMode(2);
    N_SetNodeView(0);
    MaskNetAndNodes(net, mask, mask | 1);
    if (g_ShowNodes != 0) N_DrawNetNodes(net, mask);
    N_DrawNetRatsnest(net, 0, GuidelineFlag());
}

void DrawBusMemberTexts(int32_t flag, int32_t bus)
{
    BusRec rec{};
    if (N_ReadBus(bus, &rec) == 0) return;
    const int32_t page = DB_CurPage();
    for (int32_t k = 1; k <= rec.Members; ++k) {
        const int32_t net = N_ReadBusMember(bus, k - 1);
        if (net == 0) continue;
        int32_t cursor = OM_GetFirst(DB_BranchMap());
        while (int32_t branch = B_SearchNetPage(&cursor, 0, net, -1)) {
            BranchRec branchRec{};
            if (B_ReadBranch(branch, &branchRec) == 0 || branchRec.Page != page) continue;
            const int32_t texts = B_BranchTextArray(branch);
            for (int32_t index = OA_SearchMask(texts, 1, 8); index > 0; index = OA_SearchMask(texts, index + 1, 8)) {
                if (flag != 0)
                    DrawOwnerItem(4, branch, index);
                else
                    EraseOwnerItem(4, 0, branch, index);
            }
        }
    }
}

void UpdateBusTexts(int32_t bus)
{
    BusRec rec{};
    if (N_ReadBus(bus, &rec) == 0) return;
    for (int32_t k = 1; k <= rec.Members; ++k) {
        const int32_t net = N_ReadBusMember(bus, k - 1);
        // A free slot: net 0 would name every net's wires.
        if (net == 0) continue;
        const std::string label = std::to_string(k - 1);
        int32_t cursor = OM_GetFirst(DB_BranchMap());
        while (const int32_t branch = B_SearchNetPage(&cursor, 0, net, -1)) {
            const int32_t texts = B_BranchTextArray(branch);
            for (int32_t index; (index = OA_SearchMask(texts, 1, 8)) > 0;) {
                ItemRec old{};
                if (I_ReadItem(B_BranchText(branch, index), &old) == 0) break;
                // The new text is made before the old one goes.
                const int32_t item =
                    I_MakeText(old.X, old.Y, old.Angle, old.P1, old.P2, label.c_str(), 256, old.Layer, old.Width);
                if (item == 0) break;
                OA_Delete(texts, index);
                I_ChangeItemLink(item, k);
                OA_Add(texts, item);
            }
            for (int32_t index = OA_SearchMask(texts, 1, 256); index > 0; index = OA_SearchMask(texts, index + 1, 256))
                O_Mask(B_BranchText(branch, index), 9, 265);
        }
    }
}

void RefreshNetNameTexts(int32_t& status, int32_t kind, int32_t id, const std::string& name)
{
    const int32_t mark = kind > 0 ? 4 : 2;
    int32_t cursor = OM_GetFirst(DB_BranchMap());
    while (const int32_t branch = B_SearchNetPage(&cursor, kind, id, -1)) {
        const int32_t texts = B_BranchTextArray(branch);
        if (OA_GetCount(texts) < 1) continue;
        for (int32_t index; (index = OA_SearchMask(texts, 1, mark)) > 0;) {
            ItemRec item{};
            if (I_ReadItem(B_BranchText(branch, index), &item) == 0) break;
            item.Flags = 256;
            // The new text is added (at the end) before the old one goes.
            int32_t made = 0;
            int32_t made_status = 0;
            MakeOwnerItem(made_status, 4, branch, item, name, made);
            if (made_status != 0) {
                status = 1;
                break;
            }
            OA_Delete(texts, index);
        }
        for (int32_t index = OA_SearchMask(texts, 1, 256); index > 0; index = OA_SearchMask(texts, index + 1, 256))
            O_Mask(B_BranchText(branch, index), mark | 1, mark | 1 | 256);
    }
}
