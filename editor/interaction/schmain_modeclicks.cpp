// SCHMAIN's idle clicks of the block, bitmap and page-format modes: each
// begins a command of the step engine or does a short operation at once.
#include "editor/shell/schmain.h"

#include "editor/editing/bitmaps.h"
#include "editor/editing/editing_state.h"
#include "editor/editing/nvobmp.h"
#include "editor/interaction/command_steps.h"
#include "editor/interaction/commands.h"
#include "editor/objects/branch_hits.h"
#include "editor/objects/branch_points.h"
#include "editor/objects/wire_state.h"
#include "editor/shell/controls.h"
#include "editor/shell/design_change.h"
#include "editor/shell/dlgservices.h"
#include "editor/shell/msgtext.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/ribbon.h"
#include "editor/shell/settings.h"
#include "editor/shell/tooltable.h"
#include "editor/view/marks.h"
#include "platform/winsys/interaction.h"


namespace {

int32_t SelectedFunction()
{
    return ModeTools(g_CurMode).SelFunc;
}

}  // namespace

void SCHMAIN::BlockModeClick(int32_t& x, int32_t& y)
{
    m_BaseX = x;
    m_BaseY = y;
    int32_t unchanged = 0;
    SnapPoint(unchanged, m_BaseX, m_BaseY);
    const int32_t f = SelectedFunction();
    int32_t id = 0;
    switch (f) {
    case 0: id = 50; break;
    case 1: id = 51; break;
    case 2: id = 60; break;
    case 4: id = 53; break;
    case 5: id = 55; break;
    case 6: id = 56; break;
    case 7: id = 61; break;
    case 8: m_BlockViaTempFile = -1; id = 57; break;
    case 9: m_BlockViaTempFile = 0; id = 57; break;
    case 10: {
        m_BlockViaTempFile = 0;
        bool none = true;
        const std::string path = SelectLoadFile(0, none);
        if (none) return;
        m_BlockFilePath = path;
        int32_t status = 1;
        ReadBlockHeader(status, m_BlockFilePath);
        if (status != 0) return;
        id = 58;
        break;
    }
    case 3: {
        // Components for the vector move, one by one or by a box.
        ReleaseOption(0);
        int32_t status = 0;
        if (m_CmdStep == 1 || m_CmdStep == 2) {
            MoveCompsByVector(status, m_CmdStep, x, y);
        } else if (m_CmdStep != 0) {
            return;
        } else if (OptionOn(2)) {
            id = 16;
            break;
        } else {
            g_CompList.Redim(0, 0);
            MoveCompsByVector(status, 1, x, y);
            // A locked component (reported there) or a click on nothing
            // begins nothing.
            if (status != 0) return;
            m_CmdStep = 1;
        }
        id = 15;
        break;
    }
    default:
        return;
    }
    BeginCommand(id);
}

void SCHMAIN::BitmapModeClick(int32_t& x, int32_t& y)
{
    switch (SelectedFunction()) {
    case 0:
        g_BmpAllPages = F_OST.Exists(0) && F_OST(0)->Value();
        ::ShowModal(FormInstance<NVOBMP>());
        if (g_BmpDlgCancelled) {
            g_CurBitmap = 0;
            g_BmpDlgCancelled = false;
            return;
        }
        PlaceBitmap(g_BmpSelection, x, y);
        // A picture that could not be had was reported; there is nothing
        // to drag.
        if (g_CurBitmap == 0) return;
        {
            int32_t id = 87;
            BeginCommand(id);
        }
        return;
    case 2:
        FindBitmapAtPoint(x, y);
        if (g_CurBitmap == 0) return;
        {
            int32_t id = 88;
            BeginCommand(id);
        }
        return;
    case 3: {
        // The entry and the page's view its repaint stores are one edit.
        DesignChange change;
        FindBitmapAtPoint(x, y);
        g_YesNoAnswer = false;
        if (g_CurBitmap != 0) {
            PopupConfirm(GetMsgText("Delete Bitmap?", "99522"), m_MouseX, m_MouseY);
            if (g_YesNoAnswer) {
                OpenCanvasDC();
                DrawBitmapFrame(g_CurBitmap);
                CloseCanvasDC();
                DeleteBitmapEntry(g_CurBitmap);
            }
        }
        g_CurBitmap = 0;
        // Sound behaviour: the erased frame also took the pixels of what
        // the page draws along it; the page is painted again without the
        // picture.
        if (g_YesNoAnswer) RefreshCanvas();
        return;
    }
    default:
        return;
    }
}

void SCHMAIN::PageFormatModeClick(int32_t& x, int32_t& y)
{
    m_WireEndKind = 0;
    m_WireIsBus = false;
    if (!g_ShowPageOutline) M_PageO_Click();
    const int32_t f = SelectedFunction();
    auto hitFrame = [&] {
        // The hit test leaves the status as it is on a hit.
        g_CurBranchPos = 1;
        int32_t status = 0;
        CoverBranchAtPoint(status, 1, 0, x, y, m_CoverDist, g_CurBranch, g_CurBranchPos, g_CurBranchRec);
        return status == 0;
    };
    int32_t status = 1;
    int32_t id = 0;
    switch (f) {
    case 0: EditPageFrame(0); return;
    case 1: EditPageFrame(1); return;
    case 3:
        if (!hitFrame()) return;
        DetachSegmentFromNodes(status, m_WireEndKind, x, y, m_CoverDist);
        if (status != 0) { winsys::Ui().Beep(); return; }
        id = 20;
        break;
    case 4:
        if (!hitFrame()) return;
        SelectNearestBranchPoint(status, -1, x, y, m_CoverDist);
        if (status != 0) return;
        id = 21;
        break;
    case 5:
        if (!hitFrame()) return;
        InsertBranchPoint(status, m_WireEndKind, 1, 4, 22, x, y);
        return;
    case 6:
        if (!hitFrame()) return;
        // The point deleted is the side's end nearer the click, not
        // whichever end the hit test reports.
        SelectNearestBranchPoint(status, -1, x, y, m_CoverDist);
        if (status != 0) { winsys::Ui().Beep(); return; }
        id = 24;
        break;
    default:
        return;
    }
    BeginCommand(id);
}
