// Steps of the block commands, the symbol text and item redraws, the bitmap
// commands and the box command.
#include "editor/interaction/command_steps.h"

#include "editor/editing/bitmaps.h"
#include "editor/interaction/commands.h"
#include "editor/interaction/input_state.h"
#include "editor/objects/owner_items.h"
#include "editor/objects/symbol_items.h"
#include "editor/shell/caption.h"
#include "editor/shell/controls.h"
#include "editor/shell/forms.h"
#include "editor/shell/msgtext.h"
#include "editor/shell/pagedraw.h"
#include "editor/shell/paths.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/scope_guard.h"
#include "editor/shell/schmain.h"
#include "editor/shell/settings.h"
#include "editor/view/print_area.h"

#include <cmath>
#include <cstdio>

std::array<int32_t, 2> g_BitmapPos{};

namespace {

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
        m.m_BlockFilePath = JoinPath(g_JobDir, "$SBCOPY$.$$$");
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
    BitmapPlaceRec& rec = g_BitmapList[k];
    rec.Page = OptionPressed(m, 0) ? 0 : DB_CurPage();
    rec.X = g_BitmapPos[0];
    rec.Y = g_BitmapPos[1];
    SaveBitmapList();
    m.OpenCanvasDC();
    m.DrawPageBitmaps();
    m.CloseCanvasDC();
    return false;
}

// 88: the moved bitmap goes to its new place (last in the list).
bool MoveBitmapStep(SCHMAIN& m, int32_t&, int32_t&, int32_t)
{
    if (m.m_StepRequest) g_CurBitmap = 0;
    const int32_t k = g_CurBitmap;
    g_CurBitmap = 0;
    if (ValidBitmap(k)) MoveBitmapEntry(k, g_BitmapPos[0], g_BitmapPos[1]);
    // Sound behaviour: the pictures are drawn with a context open, also
    // when the move was given up.
    m.OpenCanvasDC();
    m.DrawPageBitmaps();
    m.CloseCanvasDC();
    return false;
}

// 99: the box is copied to the clipboard or zoomed to.
bool BoxStep(SCHMAIN& m, int32_t&, int32_t&, int32_t)
{
    if (m.m_StepRequest) return false;
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

}  // namespace

CommandStep FindBlockStep(int32_t id)
{
    switch (id) {
    case 50: case 51: case 60: case 61: return Block;
    case 57: return SaveBlockFile;
    case 58: return LoadBlockFile;
    case 65: case 75: case 76: return DrawSymbolItem;
    case 87: return PlaceBitmapStep;
    case 88: return MoveBitmapStep;
    case CMD_BOX_AREA: return BoxStep;
    default: return nullptr;
    }
}
