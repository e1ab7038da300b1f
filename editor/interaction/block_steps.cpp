// Steps of the block commands, the symbol text and graphic item commands,
// the bitmap commands and the box command.
#include "editor/interaction/command_steps.h"

#include "editor/editing/bitmaps.h"
#include "editor/interaction/commands.h"
#include "editor/interaction/input_state.h"
#include "editor/objects/owner_items.h"
#include "editor/objects/symbol_items.h"
#include "editor/shell/caption.h"
#include "editor/shell/controls.h"
#include "editor/shell/curpos.h"
#include "editor/shell/design_change.h"
#include "editor/shell/dlgservices.h"
#include "editor/shell/forms.h"
#include "editor/shell/msgtext.h"
#include "editor/shell/pagedraw.h"
#include "editor/shell/ribbon.h"
#include "editor/shell/paths.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/scope_guard.h"
#include "editor/shell/schmain.h"
#include "editor/shell/settings.h"
#include "editor/view/print_area.h"
#include "editor/view/view_state.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>

std::array<int32_t, 2> g_BitmapPos{};

namespace {

// Runs a block operation; a reported change is shown by a refresh when
// `refresh` asks for it.
void ChangeBlock(SCHMAIN& m, int32_t op, int32_t objects, bool refresh = true)
{
    int32_t result = 0;
    m.ChangeBlockObjects(op, objects, result);
    if (refresh && result != 0) RefreshAll(m);
}

bool Block(SCHMAIN& m, int32_t&, int32_t&, int32_t id)
{
    if (m.m_StepRequest) return false;
    CentreBox(m, true);
    switch (id) {
    case 51:
        g_CurCommand = 52;
        return true;
    case 50:
        m.m_BlockOrigPage = g_CurPage;
        m.m_BlockOrigPageName = g_CurPageName;
        m.F_Pages->setEnabled(true);
        m.ShowMessage(GetMsgText("Select New Page", "13194"));
        g_CurCommand = 54;
        return true;
    case 53: {
        if (!AskYesNo(GetMsgText("Delete Block", "99523"))) return false;
        int32_t mask = 0;
        for (int i = 0; i <= 2; ++i)
            if (OptionPressed(m, i)) mask |= 1 << i;
        ChangeBlock(m, BLOCK_DELETE, mask);
        return false;
    }
    case 55:
        ChangeBlock(m, BLOCK_LOCK, 1, false);
        return false;
    case 56:
        ChangeBlock(m, BLOCK_UNLOCK, 1, false);
        return false;
    case 60:
        m.RelocateCompsFromList();
        return false;
    case 61:
        m.PackBlockComps();
        return false;
    default:
        return false;
    }
}

// 52: the block's objects go where the preview put them.
bool MoveBlock(SCHMAIN& m, int32_t&, int32_t&, int32_t)
{
    if (m.m_StepRequest) return false;
    ChangeBlock(m, BLOCK_MOVE, 7);
    return false;
}

// 54: the block goes to the page chosen since 50; on the same page nothing
// changes, and a given-up move returns to the starting page.
bool BlockToPage(SCHMAIN& m, int32_t&, int32_t&, int32_t)
{
    const bool moved = g_CurPage != m.m_BlockOrigPage;
    if (!m.m_StepRequest && moved) {
        ChangeBlock(m, BLOCK_TO_PAGE, 7);
    } else if (moved) {
        // The return is no keyboard walk through the page list: it applies
        // at once, also when Esc (a key) gave the command up.
        m.m_ZoomEventsOff = 0;
        m.F_Pages->SetText(m.m_BlockOrigPageName);
        m.F_Pages_Click();
    }
    return false;
}

void ClearBlockMarks()
{
    OM_MaskAll(DB_SchCompMap(), 0, 0x100);
    OM_MaskAll(DB_NetMap(), 0, 0x100);
    N_MaskAllNodes(0, 0x100);
    OM_MaskAll(DB_BranchMap(), 0, 0xF00);
    B_MaskAllRecords(0, 0x300);
    OM_MaskAll(DB_JunctMap(), 0, 0x100);
}

// 57: the block goes to a block file; in the copy mode to the scratch file,
// which is then placed on another page by 58.
bool SaveBlockFile(SCHMAIN& m, int32_t&, int32_t&, int32_t)
{
    if (m.m_StepRequest) return false;
    CentreBox(m, true);
    if (m.m_BlockViaTempFile) {
        m.m_BlockFilePath = SCHMAIN::JobFilePath("$SBCOPY$.$$$");
        // Sound behaviour: a scratch file of an earlier copy is never read
        // back in place of this one.
        std::remove(m.m_BlockFilePath.c_str());
    } else {
        bool none = true;
        const std::string path = m.SelectSaveFile(0, none);
        if (none) return false;
        m.m_BlockFilePath = path;
    }
    SetScreenMousePointer(mousepointer::Hourglass);
    auto normal = OnExit([] { SetScreenMousePointer(mousepointer::Default); });
    int32_t selection = 0;
    const bool saved = m.SaveBlock(selection);
    ClearBlockMarks();
    if (!m.m_BlockViaTempFile || !saved) return false;
    int32_t status = 1;
    m.ReadBlockHeader(status, m.m_BlockFilePath);
    if (status != 0) return false;
    g_CurCommand = 58;
    m.F_Pages->setEnabled(true);
    return true;
}

// 58: the block file is loaded onto the current page.
bool LoadBlockFile(SCHMAIN& m, int32_t&, int32_t&, int32_t)
{
    if (m.m_StepRequest) return false;
    {
        SetScreenMousePointer(mousepointer::Hourglass);
        auto normal = OnExit([] { SetScreenMousePointer(mousepointer::Default); });
        OM_MaskAll(DB_NetMap(), 0, 0x100);
        int32_t status = 1;
        bool join = OptionPressed(m, 8);
        m.LoadBlock(status, join);
        OM_MaskAll(DB_NetMap(), 0, 0x100);
    }
    RefreshAll(m);
    return false;
}

// 65, 75, 76: the symbol's text or item is drawn where it was put.
bool DrawSymbolItem(SCHMAIN& m, int32_t&, int32_t&, int32_t)
{
    m.OpenCanvasDC();
    DrawOwnerItem(0, g_CurSymb, g_SymbItemIdx);
    m.CloseCanvasDC();
    return false;
}

void ReleaseOptions(SCHMAIN& m)
{
    for (int i = 0; i <= 10; ++i)
        if (m.F_OST.Exists(i)) m.F_OST(i)->SetValue(false);
}

// 71: the first point of a new item. Given up, the item (or the entry of a
// kind above 20) goes; otherwise its handle is picked and the second point
// follows in 72.
bool ItemFirstPoint(SCHMAIN& m, int32_t& x, int32_t& y, int32_t)
{
    if (m.m_StepRequest) {
        if (g_SymbItemType > 20) {
            OA_Delete(S_SymbolEntryArray(g_CurSymb), g_SymbItemIdx);
            return false;
        }
        OA_Delete(S_SymbolItemArray(g_CurSymb), g_SymbItemIdx);
        g_CurCommand = 0;
        PressFunction(m, 1);
        return false;
    }
    g_CurCommand = 0;
    PressFunction(m, 4);
    ReleaseOptions(m);
    if (g_SymbItemType == 5 && m.F_OST.Exists(1)) m.F_OST(1)->SetValue(true);
    m.GetItemExtent(x, y);
    m.m_AngleBasePending = -1;
    g_CurCommand = 72;
    return true;
}

// 72, 73: the item is drawn in place, or deleted when given up.
bool ItemPlaced(SCHMAIN& m, int32_t&, int32_t&, int32_t id)
{
    if (m.m_StepRequest) {
        OA_Delete(S_SymbolItemArray(g_CurSymb), g_SymbItemIdx);
    } else {
        m.OpenCanvasDC();
        DrawOwnerItem(0, g_CurSymb, g_SymbItemIdx);
        m.CloseCanvasDC();
    }
    g_CurCommand = 0;
    PressFunction(m, id == 72 ? 1 : 2);
    return false;
}

// 74, 77: the selection box is taken; 77 goes on to the move (78), 74 to
// the copy (80). The box as drawn now is the selection the follow-up's
// transform or copy reads (its preview then carries the box away).
bool ItemBox(SCHMAIN& m, int32_t&, int32_t&, int32_t id)
{
    if (m.m_StepRequest) return false;
    CentreBox(m, false);
    PublishSelRect(m);
    if (id == 77) {
        g_CurCommand = 78;
        return true;
    }
    g_CurCommand = 0;
    PressFunction(m, 3);
    ReleaseOptions(m);
    g_CurCommand = 80;
    return true;
}

// 78: the selected items are moved or turned.
bool ItemTransform(SCHMAIN& m, int32_t&, int32_t&, int32_t)
{
    if (m.m_StepRequest) return false;
    m.TransformItemsInRect();
    return false;
}

// 79: the items in the box are deleted (function 5) or moved.
bool ItemDeleteOrMove(SCHMAIN& m, int32_t&, int32_t&, int32_t)
{
    if (m.m_StepRequest) return false;
    g_CurCommand = 0;
    m.m_LastBoxOrgX = m.m_BoxOrgX;
    m.m_LastBoxOrgY = m.m_BoxOrgY;
    PublishSelRect(m);
    if (m.F_FSI.Exists(5) && m.F_FSI(5)->Value()) {
        bool inRect = true;
        m.DeleteSelectedItems(inRect);
    } else {
        m.TransformItemsInRect();
    }
    return false;
}

// 80: the selected items are copied.
bool ItemCopy(SCHMAIN& m, int32_t&, int32_t&, int32_t)
{
    g_CurCommand = 0;
    if (!m.m_StepRequest) m.CopyItemsInRect();
    PressFunction(m, 2);
    return false;
}

bool ValidBitmap(int32_t k)
{
    return k >= 1 && k <= BitmapCount();
}

// 87: the new bitmap is put where the preview left it, or given up.
bool PlaceBitmapStep(SCHMAIN& m, int32_t&, int32_t&, int32_t)
{
    const int32_t k = g_CurBitmap;
    g_BmpSelection.assign(1, ' ');
    g_CurBitmap = 0;
    if (!ValidBitmap(k)) return false;
    if (m.m_StepRequest) {
        DeleteBitmapEntry(k);
        return false;
    }
    // The entry where it was put and its drawing are one edit: a refused
    // step puts the list back, in memory too.
    DesignChange change;
    BitmapPlaceRec& rec = g_BitmapList[k];
    rec.Page = OptionPressed(m, 0) ? 0 : DB_CurPage();
    rec.X = g_BitmapPos[0];
    rec.Y = g_BitmapPos[1];
    SaveBitmapList();
    m.OpenCanvasDC();
    m.DrawPageBitmaps();
    m.CloseCanvasDC();
    if (!change.Finish()) LoadBitmapList();
    return false;
}

// 88: the moved bitmap goes to its new place (last in the list).
bool MoveBitmapStep(SCHMAIN& m, int32_t&, int32_t&, int32_t)
{
    if (m.m_StepRequest) g_CurBitmap = 0;
    const int32_t k = g_CurBitmap;
    g_CurBitmap = 0;
    // The move and the repaint's stored view are one edit.
    DesignChange change;
    if (ValidBitmap(k)) MoveBitmapEntry(k, g_BitmapPos[0], g_BitmapPos[1]);
    // Sound behaviour: drawing the pictures again would leave the moved
    // one's image at its old place, over whatever the page has there; the
    // page is painted again (pictures included), also when the move was
    // given up.
    m.RefreshCanvas();
    return false;
}

// 99: the box is copied to the clipboard or zoomed to.
bool BoxStep(SCHMAIN& m, int32_t&, int32_t&, int32_t)
{
    if (m.m_StepRequest) {
        // Sound behaviour: a given-up copy box is not armed again, or every
        // idle click after it would start another copy.
        g_BoxCopyOn = 0;
        return false;
    }
    if (g_BoxCopyOn) {
        g_BoxCopyOn = 0;
        g_BoxPixEnd = {static_cast<int32_t>(std::nearbyint(m.m_MouseX)),
                       static_cast<int32_t>(std::nearbyint(m.m_MouseY))};
        m.CopyScreenArea();
    } else {
        m.ZoomToArea();
    }
    return false;
}

// 89: the item property editor's command. The item's mark goes; without
// the step request the click goes on to the item mode (the next item is
// picked into the editor), with it the editor closes.
bool ItemEditorStep(SCHMAIN& m, int32_t&, int32_t&, int32_t)
{
    if (g_ItemPicked) m.UnmarkCurrentItem();
    if (m.m_StepRequest)
        m.UnloadItemEditor();
    else
        g_CmdRunning = -1;
    return false;
}

}  // namespace

CommandStep FindBlockStep(int32_t id)
{
    switch (id) {
    case 50: case 51: case 53: case 55: case 56: case 60: case 61: return Block;
    case 52: return MoveBlock;
    case 54: return BlockToPage;
    case 57: return SaveBlockFile;
    case 58: return LoadBlockFile;
    case 65: case 75: case 76: return DrawSymbolItem;
    case 71: return ItemFirstPoint;
    case 72: case 73: return ItemPlaced;
    case 74: case 77: return ItemBox;
    case 78: return ItemTransform;
    case 79: return ItemDeleteOrMove;
    case 80: return ItemCopy;
    case 87: return PlaceBitmapStep;
    case 89: return ItemEditorStep;
    case 88: return MoveBitmapStep;
    case CMD_BOX_AREA: return BoxStep;
    default: return nullptr;
    }
}
