// Printing the current page, the busy state of a print, the copy of a box
// of the canvas to the clipboard and a popup menu at a canvas point.
#include "editor/shell/applink.h"
#include "editor/shell/caption.h"
#include "editor/shell/controls.h"
#include "editor/shell/errors.h"
#include "editor/shell/menus.h"
#include "editor/shell/msgtext.h"
#include "editor/shell/pagedraw.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/reporter.h"
#include "editor/shell/schmain.h"
#include "editor/shell/scope_guard.h"
#include "editor/shell/settings.h"
#include "editor/view/canvas.h"
#include "editor/view/print_area.h"
#include "editor/view/view_state.h"
#include "platform/winsys/interaction.h"
#include "platform/winsys/printer.h"

#include <QWidget>

#include <algorithm>

namespace {

constexpr int32_t kPrintMargin = 25400;  // 0.01 inch around the print area
constexpr int32_t kPrinterOutput = 0x40;

}  // namespace

void SCHMAIN::PrintPage()
{
    // The print area: the frame when it is shown, the notes and pictures
    // shown, joined from the first of them found.
    PrintArea area;
    if (g_ShowPageOutline && g_FrameValid) area.Join(g_FrameX1, g_FrameY1, g_FrameX2, g_FrameY2);
    if (g_ShowPageNotes) area.JoinSymbolItems(g_PageNotesSymb);
    if (g_ShowDesNotes) area.JoinSymbolItems(g_DesNotesSymb);
    if (g_ShowBitmaps) area.JoinPageBitmaps();
    if (area.Empty()) {
        std::string detail;
        ReportMsg(111, detail);
        return;
    }
    area.Widen(kPrintMargin);

    winsys::Printer& printer = winsys::Printer::Get();
    PrintScaleRec setup{};
    setup.Numerator = 1;
    setup.Denominator = 1;
    if (E_PrintScaleSetupDialog(printer.Device(), area.x1, area.y1, area.x2, area.y2, UnitsPerInch(), &setup, 0) == 0)
        return;
    if (setup.SheetsAcross == 1) setup.StepX = 0;
    if (setup.SheetsDown == 1) setup.StepY = 0;

    m_RedrawBusy = -1;
    g_PrintModeBits = kPrinterOutput;
    g_OutputDrawMode = kPrinterOutput;
    std::string text = GetMsgText("Printing ", "991081") + g_CurPageName + GetMsgText(" (<F10> to Cancel)", "9997");
    bool start = true;
    SetPrintBusy(start, text);
    g_Printing = true;
    printer.StartCommand();
    // However the sheets end, the document ends and the busy state is left.
    auto finish = OnExit([this, &printer] {
        printer.EndDoc();
        g_PrintModeBits = 0;
        g_OutputDrawMode = 0;
        bool stop = false;
        std::string none;
        SetPrintBusy(stop, none);
        g_Printing = false;
        m_RedrawBusy = 0;
    });
    try {
        for (int32_t row = 1; row <= setup.SheetsDown; ++row) {
            const int32_t rowX = setup.View.X;
            for (int32_t column = 1; column <= setup.SheetsAcross; ++column) {
                ShowMessage(text);
                if (!BeginPrinterSheet()) return;
                if (G_OpenDC(printer.Device(), &setup.View) == 0) return;
                {
                    // The printer's own context is closed by its own close,
                    // whatever the drawing does.
                    auto close = OnExit([] { G_CloseDC(); });
                    DrawPage();
                    if (g_ShowBitmaps) DrawPrinterBitmaps(printer.Device());
                }
                if (g_RedrawCancelled) return;
                ShowMessage(GetMsgText("Printer Manager", "991080"));
                printer.NewPage();
                setup.View.X += setup.StepX;
            }
            setup.View.X = rowX;
            setup.View.Y += setup.StepY;
        }
    } catch (const RuntimeError&) {
        // A failure in a sheet ends the print as a normal end does.
    }
}

void SCHMAIN::SetPrintBusy(bool& start, std::string& text)
{
    ShowMessage("");
    QWidget* window = Window();
    if (start) {
        PublishAppState(-1, -1);
        SetScreenMousePointer(mousepointer::Hourglass);
        if (window) window->setEnabled(false);
        ShowMessage(text);
        g_RedrawCancelled = false;
        return;
    }
    if (g_RedrawCancelled) ShowMessage(GetMsgText("Cancelled", "99390"));
    if (window) window->setEnabled(true);
    SetScreenMousePointer(mousepointer::Default);
    PublishAppState(-1, 0);
    g_RedrawCancelled = false;
}

void SCHMAIN::CopyScreenArea()
{
    // The corners are pixels of the canvas' own image, which the kernel
    // copies from; right and bottom are exclusive there.
    const int32_t left = std::min(g_BoxPixStart[0], g_BoxPixEnd[0]);
    const int32_t right = std::max(g_BoxPixStart[0], g_BoxPixEnd[0]);
    const int32_t top = std::min(g_BoxPixStart[1], g_BoxPixEnd[1]);
    const int32_t bottom = std::max(g_BoxPixStart[1], g_BoxPixEnd[1]);
    // The clipboard keeps what it held unless the copy succeeds.
    G_CopyScreen(ViewPicture->DeviceHandle(), left, top, right + 1, bottom + 1);
}

void SCHMAIN::PopupMenuAtCursor(MenuItem& menu, double& x, double& y)
{
    QWidget* window = Window();
    if (!window || !ViewPicture) return;
    const QPoint canvasAt = ViewPicture->mapTo(window, QPoint(0, 0));
    x += canvasAt.x();
    y += canvasAt.y();
    const QPoint at = window->mapToGlobal(QPoint(static_cast<int>(x), static_cast<int>(y)));
    winsys::Ui().PopupMenu(menu.Menu(), at);
}
