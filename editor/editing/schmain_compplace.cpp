// Placing components chosen in the insertion dialogs: the dialog shown at
// the clicked point with the main window waiting for it, and the copies of
// an array placement.
#include "editor/dialogs/schicmpd.h"
#include "editor/editing/comp_dialog.h"
#include "editor/dialogs/schinfob.h"
#include "editor/objects/comp_state.h"
#include "editor/objects/comp_texts.h"
#include "editor/objects/components.h"
#include "editor/objects/view_values.h"
#include "editor/shell/applink.h"
#include "editor/shell/design_change.h"
#include "editor/shell/dlgservices.h"
#include "editor/shell/entry_change.h"
#include "editor/shell/msgtext.h"
#include "editor/shell/user_action.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/reporter.h"
#include "editor/shell/schmain.h"
#include "editor/shell/scope_guard.h"
#include "editor/shell/settings.h"
#include "editor/shell/textnum.h"
#include "platform/winsys/interaction.h"

#include <QWidget>

#include <string>

namespace {

constexpr const char* kNewPrefix = "Unpck";

// The next free "Unpck" name, as FindFreeName gives it: the smallest free
// number. After number n was taken the smallest free one is n + 1 when
// that is free (every smaller number is taken), which one look-up tells;
// otherwise the map is asked again. `next` carries the candidate (0: none).
bool NextFreeName(int32_t& next, std::string& name)
{
    if (next > 0) {
        name = kNewPrefix + std::to_string(next);
        if (OM_FindName(DB_SchCompMap(), name.c_str()) == 0) {
            ++next;
            return true;
        }
    }
    int32_t status = 0;
    FindFreeName(status, DB_SchCompMap(), kNewPrefix, name);
    if (status != 0) return false;
    next = static_cast<int32_t>(std::stol(name.substr(std::string(kNewPrefix).size()))) + 1;
    return true;
}

}  // namespace

void WaitForInsertionDialog(SCHMAIN& main, InsertionDialog* dialog)
{
    SCHINFOB& report = FormInstance<SCHINFOB>();
    if (IsFormShown(report)) report.Hide();
    // Only the answer of this opening counts: an Accept left over from an
    // earlier dialog must not act.
    g_DlgAccepted = false;
    g_DlgOpening = true;
    ++g_ModalDepth;
    PublishAppState(-1, -1);
    // However the wait ends (an error in the dialog too), the main window
    // takes input again and the depth comes back.
    auto depth = OnExit([] {
        g_DlgOpening = false;
        --g_ModalDepth;
        PublishAppState(-1, -1);
    });
    if (!dialog) return;
    QWidget* window = main.Window();
    auto enable = OnExit([window] {
        if (!window) return;
        window->setEnabled(true);
        window->raise();
        window->activateWindow();
    });
    // The first opening sets the dialog up as it loads; a dialog loaded
    // before sets itself up for this opening.
    const bool loaded = dialog->IsLoaded();
    dialog->Load();
    if (loaded) dialog->BeginOpening();
    CenterForm(*dialog);
    if (window) window->setEnabled(false);
    {
        const ModalWait wait(dialog->Window());
        winsys::Ui().ShowAndWait(dialog->Window(), g_InsertDlgOpen);
    }
    // Closed, hidden or left open some other way: that is a cancel.
    dialog->EndUnfinishedOpening();
}

void SCHMAIN::OpenCompDialog(int32_t& status, int32_t mode, int32_t X, int32_t Y)
{
    status = 1;
    g_CompInfo.X = X;
    g_CompInfo.Y = Y;
    InsertionDialog* dialog = nullptr;
    if (mode == 0)
        dialog = &FormInstance<SCHICMPD>();
    else if (mode == 1)
        dialog = &FormInstance<SCHICMPS>();
    WaitForInsertionDialog(*this, dialog);
    if (!g_DlgAccepted) return;
    int32_t created = 0;
    CreateComp(created, g_CompInfo, 1);
    if (created != 0) return;
    OpenCanvasDC();
    C_DrawComponent(g_CompInfo.Id);
    CloseCanvasDC();
    status = 0;
}

// Each copy is whole or not made: a copy the kernel refuses (any of its
// steps) goes back alone, the user is told, and the copies made before it
// stay; the series ends there.
void SCHMAIN::PlaceCompArray()
{
    const int32_t x0 = g_Comp.X;
    const int32_t y0 = g_Comp.Y;
    {
        // The copies are made from what this reads: a refused read makes
        // none.
        DesignChange read;
        FillCompInfo(g_CompId, g_Comp, g_CompInfo);
        if (!read.Finish()) return;
    }
    int32_t next = 0;
    for (int32_t r = 1; r <= g_ArrayCountY; ++r) {
        for (int32_t c = r == 1 ? 2 : 1; c <= g_ArrayCountX; ++c) {
            // Positions in 64 bits: the kernel refuses what lies beyond the
            // coordinate bound instead of a wrapped value being placed.
            const int64_t x = x0 + int64_t{c - 1} * (int64_t{g_ArrayStepX} + g_CompFrameSize.X);
            const int64_t y = y0 + int64_t{r - 1} * (int64_t{g_ArrayStepY} + g_CompFrameSize.Y);
            if (x > kCoordLimit || x < -kCoordLimit || y > kCoordLimit || y < -kCoordLimit) {
                std::string detail = Trim(g_CompInfo.Name);
                ReportMsg(15, detail);
                return;
            }
            EntryChange copy;
            g_CompInfo.Id = 0;
            g_CompInfo.X = static_cast<int32_t>(x);
            g_CompInfo.Y = static_cast<int32_t>(y);
            std::string name;
            if (!NextFreeName(next, name)) {
                copy.Drop();
                std::string detail = "Unpck";
                ReportMsg(22, detail);
                return;
            }
            g_CompInfo.Name = FixedText(name, 15);
            const std::string refused = GetMsgText("Can't create Component: ", "99300") + name;
            int32_t created = 0;
            CreateComp(created, g_CompInfo, 1);
            if (created != 0) {
                // CreateComp said why.
                copy.Drop();
                ShowMessage(refused);
                return;
            }
            OpenCanvasDC();
            C_DrawComponent(g_CompInfo.Id);
            CloseCanvasDC();
            const int32_t previous = g_CompId;
            g_CompId = g_CompInfo.Id;
            DrawCmdObjectInView(1, g_DrawMode);
            if (!copy.End()) {
                g_CompId = previous;
                std::string detail = name;
                ReportMsg(15, detail);
                ShowMessage(refused);
                return;
            }
        }
    }
}
