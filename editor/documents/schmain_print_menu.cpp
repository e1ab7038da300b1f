// The page menu's printing items: print the current page, the print
// dialog, the printer setup; and the page's pictures on a printer sheet.
#include "editor/documents/printing.h"
#include "editor/documents/schptsch.h"
#include "editor/editing/bitmaps.h"
#include "editor/shell/common_dialog.h"
#include "editor/shell/dlgservices.h"
#include "editor/shell/errors.h"
#include "editor/shell/help.h"
#include "editor/shell/pagedraw.h"
#include "editor/shell/schmain.h"
#include "platform/winsys/printer.h"

#include <cstdint>

void SCHMAIN::M_Print_Click()
{
    ReadFrameBox();
    ApplyPrintSettings();
    PrintPage();
}

void SCHMAIN::M_PrintSchd_Click()
{
    CheckHelpMode(2, 7, 0, 0);
    ::ShowModal(SchptschForm());
}

void SCHMAIN::M_Psetup_Click()
{
    try {
        winsys::Printer::Get().EndDoc();
        F_Psetup->CancelError = true;
        F_Psetup->Flags |= 0x4000C;
        F_Psetup->Orientation = winsys::Printer::Get().Orientation();
        F_Psetup->Copies = winsys::Printer::Get().Copies();
        F_Psetup->SetAction(5);
    } catch (const RuntimeError&) {
        // Cancelled, or the printer failed: the stored settings stay.
        return;
    }
    g_PrintOrientation = F_Psetup->Orientation;
    g_PrintCopies = static_cast<int16_t>(F_Psetup->Copies);
}

void SCHMAIN::DrawPrinterBitmaps(int32_t device)
{
    DrawBitmapsToDC(device);
}
