// The print run of the print dialog: every marked page on its sheets, with
// F10 or "Cancel" ending the page being printed and an optional pause for a
// paper change after each sheet.
#include "editor/documents/printing.h"
#include "editor/documents/schptsch.h"
#include "editor/editing/bitmaps.h"
#include "editor/objects/symbols.h"
#include "editor/shell/applink.h"
#include "editor/shell/caption.h"
#include "editor/shell/controls.h"
#include "editor/shell/errors.h"
#include "editor/shell/help.h"
#include "editor/shell/msgtext.h"
#include "editor/shell/pagedraw.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/schmain.h"
#include "editor/shell/scope_guard.h"
#include "editor/shell/shared_services.h"
#include "editor/shell/textnum.h"
#include "editor/view/print_area.h"
#include "editor/view/view_state.h"
#include "platform/winsys/grid.h"
#include "platform/winsys/printer.h"

#include <QWidget>

namespace {

constexpr int32_t kFrameColour = 61;
constexpr int32_t kPrinterOutput = 0x40;
constexpr int32_t kEntriesHidden = 0x200;
constexpr int32_t kMono = 8;

// F10 stops the sheet being drawn.
bool Stopped()
{
    if (!CancelKeyDown()) return false;
    g_RedrawCancelled = true;
    return true;
}

}  // namespace

void SCHPTSCH::F_Print_Click()
{
    const int32_t remembered = DB_CurPage();
    g_RedrawCancelled = false;
    F_Close->setText(QString::fromStdString(GetMsgText("Cancel", "99388")));
    F_PrintPageSetup->SetAllowInput(false);
    F_Print->setEnabled(false);
    printing_ = true;
    winsys::Printer::Get().StartCommand();
    // The printed pages are current in turn: the canvas must not paint them
    // (and store its view into them) while the run yields in a pause.
    const int32_t redrawBusy = g_MainForm ? g_MainForm->m_RedrawBusy : 0;
    if (g_MainForm) g_MainForm->m_RedrawBusy = -1;
    // The page, the captions and the table come back however the run ends.
    auto restore = OnExit([this, remembered, redrawBusy] {
        printing_ = false;
        DB_SetCurPage(remembered);
        int32_t database = 0;
        SetMainCaption(database);
        if (IsLoaded()) {
            F_Close->setText(QString::fromStdString(GetMsgText("Close", "99422")));
            F_MsgLine->SetCaption("");
            F_PrintPageSetup->SetAllowInput(true);
            F_Print->setEnabled(true);
        }
        if (g_MainForm && g_MainForm->IsLoaded()) {
            g_MainForm->m_RedrawBusy = redrawBusy;
            g_MainForm->RefreshCanvas();
        }
    });
    for (long index = g_PrintPages.LBound(); index <= g_PrintPages.UBound(); ++index) {
        const PrintPageRec& element = g_PrintPages(index);
        if (element.Selected == 0) continue;
        const int32_t map = DB_PageMap();
        int32_t position = OM_GetFirst(map);
        const int32_t page = OM_SearchName(map, &position, Trim(element.Name).c_str());
        if (page <= 0) continue;
        DB_SetCurPage(page);
        int32_t database = 0;
        SetMainCaption(database);
        ApplyPrintSettings();
        PrintPageRun(static_cast<int32_t>(index));
    }
}

void SCHPTSCH::PrintPageRun(int32_t index)
{
    const PrintPageRec& e = g_PrintPages(index);
    PrintScaleRec s = e.Scale;
    winsys::Printer& printer = winsys::Printer::Get();
    pageNotes_ = e.PageNotes != 0;
    desNotes_ = e.DesignNotes != 0;
    entryBits_ = e.Entries != 0 ? 0 : kEntriesHidden;
    monoBits_ = e.MonoColor != 0 ? kMono : 0;
    const bool bitmaps = e.BitMaps != 0;
    g_CurPageName = e.Name;
    SetPrintRunBusy(true, GetMsgText("Printing ", "991081") + g_CurPageName +
                              GetMsgText(" (<F10> to Cancel)", "9997"));
    g_Printing = true;
    // The document ends and the busy state is left on every way out.
    auto end = OnExit([this, &printer] {
        printer.EndDoc();
        g_Printing = false;
        g_OutputDrawMode = 0;
        waiting_ = false;
        SetPrintRunBusy(false, "");
    });
    try {
        if (s.SheetsAcross == 1) s.StepX = 0;
        if (s.SheetsDown == 1) s.StepY = 0;
        for (int32_t row = 1; row <= s.SheetsDown; ++row) {
            const int32_t rowX = s.View.X;
            for (int32_t column = 1; column <= s.SheetsAcross; ++column) {
                waiting_ = true;
                ShowPrintMsg(GetMsgText("Printing ", "991081") + g_CurPageName);
                if (!BeginPrinterSheet()) return;
                if (G_OpenDC(printer.Device(), &s.View) == 0) return;
                {
                    auto close = OnExit([this] { ClosePrintDC(); });
                    DrawPrintPage();
                    if (bitmaps) DrawBitmapsToDC(printer.Device());
                }
                if (g_RedrawCancelled) return;
                printer.NewPage();
                if (F_Pause->Value() != 0) {
                    printer.EndDoc();
                    F_Restart->setEnabled(true);
                    F_Restart->setFocus();
                    ShowPrintMsg(GetMsgText(" Pause - Change Paper and <Continue> when ready .....", "991034"));
                    if (waiting_) WaitForFlag(waiting_, this);
                    if (IsLoaded()) F_Restart->setEnabled(false);
                    if (g_RedrawCancelled || !IsLoaded()) return;
                }
                s.View.X += s.StepX;
            }
            s.View.X = rowX;
            s.View.Y += s.StepY;
        }
    } catch (const RuntimeError&) {
        // A failure inside the page ends it as a normal end does; the run
        // goes on with the next page.
    }
}

void SCHPTSCH::DrawPrintPage()
{
    if (Stopped()) return;
    G_SetStyle(0);
    G_SetColor(monoBits_ ? 0 : kFrameColour);
    G_SetDrawMode(entryBits_ | kPrinterOutput | 8);
    B_DrawAllRecords(g_FrameBranch, 1);
    if (Stopped()) return;
    G_SetDrawMode(monoBits_ | entryBits_ | kPrinterOutput);
    if (monoBits_) G_SetColor(0);
    if (Stopped()) return;
    if (pageNotes_) {
        DrawSymbAt(g_PageNotesSymb, 0, 0, 0, 0);
        if (Stopped()) return;
    }
    if (desNotes_) {
        DrawSymbAt(g_DesNotesSymb, 0, 0, 0, 0);
        if (Stopped()) return;
    }
    C_DrawAllComponents(1);
    if (Stopped()) return;
    B_DrawAllBranchMask(1, 1, 1);
    if (Stopped()) return;
    J_DrawAllJunctions(1);
    Stopped();
}

void SCHPTSCH::ClosePrintDC()
{
    G_CloseDC();
}

void SCHPTSCH::SetPrintRunBusy(bool busy, const std::string& text)
{
    if (IsLoaded()) F_MsgLine->SetCaption("");
    QWidget* main = g_MainForm ? g_MainForm->Window() : nullptr;
    if (busy) {
        PublishAppState(-1, -1);
        SetScreenMousePointer(mousepointer::Hourglass);
        if (main) main->setEnabled(false);
        ShowPrintMsg(text);
    } else {
        if (g_RedrawCancelled && IsLoaded()) ShowPrintMsg(GetMsgText("Cancelled", "99390"));
        if (main) main->setEnabled(true);
        SetScreenMousePointer(mousepointer::Default);
        PublishAppState(-1, 0);
    }
    g_RedrawCancelled = false;
}

void SCHPTSCH::F_Pause_Click()
{
    waiting_ = false;
    F_Restart->setEnabled(false);
}

void SCHPTSCH::F_Restart_Click()
{
    waiting_ = false;
    F_Restart->setEnabled(false);
}

void SCHPTSCH::F_Close_Click()
{
    if (!printing_ && F_Close->text().toStdString() == GetMsgText("Close", "99422")) {
        Unload();
        return;
    }
    g_RedrawCancelled = true;
    waiting_ = false;
}

void SCHPTSCH::Form_QueryUnload(int& cancel, int mode)
{
    // Closing the window while pages print cancels the page being printed
    // and keeps the window for the rest of the run.
    if (!printing_ || mode == unloadmode::Code) return;
    cancel = 1;
    g_RedrawCancelled = true;
    waiting_ = false;
}
