// The default page format: a page loaded without a frame gets the format
// that the settings name ("SchDefPage" in "FORMATS"), written through the
// page format dialog without showing it.
#include "editor/documents/frame_outline.h"
#include "editor/documents/schframe.h"
#include "editor/interaction/commands.h"
#include "editor/shell/controls.h"
#include "editor/shell/dlgservices.h"
#include "editor/shell/menus.h"
#include "editor/shell/pagedraw.h"
#include "editor/shell/prefs.h"
#include "editor/shell/schmain.h"

#include <string>

void SCHMAIN::ApplyDefaultPageFormat()
{
    const int32_t position = ReadDefaultPageFormatPos();
    if (position < 0) return;
    g_FrameMode = 0;
    g_FrameDlgState = 0;
    SCHFRAME& dialog = FormInstance<SCHFRAME>();
    dialog.F_DefFrmtExchg()->SetText(std::to_string(position));
    dialog.Unload();
    if (!g_FrameValid) {
        if (g_CurMode >= 1 && g_CurMode < MODE_ROUTING) M_FSI(g_CurMode)->SetChecked(false);
        g_CurMode = 1;
    }
    SetupFunctionButtons(g_CurMode);
    if (g_CurMode >= 1 && g_CurMode < MODE_ROUTING) M_FSI(g_CurMode)->SetChecked(true);
    // The page now has its frame: the view and the printing read its box.
    ReadFrameBox();
}

void SCHMAIN::ShowPageFrameDialog(int32_t mode)
{
    g_FrameMode = mode;
    ::ShowModal(FormInstance<SCHFRAME>());
}
