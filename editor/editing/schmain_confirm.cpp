// The yes/no question that opens as a popup menu at the pointer, and the
// one-shot latch of option button 10.
#include "editor/editing/editing_state.h"
#include "editor/shell/menus.h"
#include "editor/shell/ribbon.h"
#include "editor/shell/schmain.h"
#include "editor/shell/scope_guard.h"
#include "editor/view/canvas.h"
#include "platform/winsys/interaction.h"

#include <QMenu>
#include <cmath>

bool g_YesNoAnswer = false;

// Asks `question` in the popup M_Conf at the canvas point (X, Y) (pixels)
// and leaves the answer in g_YesNoAnswer: Yes only after a click on M_Yes;
// No, the question line, a click beside the menu or Esc all answer No. The
// question line's caption and the hidden, disabled popup come back however
// the question ends.
void SCHMAIN::PopupConfirm(const std::string& question, double& X, double& Y)
{
    g_YesNoAnswer = false;
    const std::string saved = M_Query->Caption();
    auto restore = OnExit([this, saved] {
        M_Query->SetCaption(saved);
        M_Conf->SetEnabled(false);
        M_Conf->SetVisible(false);
    });
    M_Conf->SetVisible(true);
    M_Conf->SetEnabled(true);
    M_Query->SetCaption(question);
    const QPoint at(static_cast<int>(std::lround(X)), static_cast<int>(std::lround(Y)));
    winsys::Ui().PopupMenu(M_Conf->Menu(), ViewPicture->mapToGlobal(at));
}

void SCHMAIN::M_Yes_Click()
{
    g_YesNoAnswer = true;
}

void SCHMAIN::M_No_Click()
{
    g_YesNoAnswer = false;
}

// Turns a pressed option button 10 into one pointer action: the action is
// marked pending and the button released, so the signal acts once.
void SCHMAIN::LatchOption10()
{
    if (!F_OST(10)->Value()) return;
    m_StepRequest = -1;
    F_OST(10)->SetValue(false);
}
