// Steps of the component commands that close a dialog's work: the manual
// packaging command (6) and the placement of a text just added to a
// component (10).
#include "editor/interaction/command_steps.h"

#include "editor/dialogs/schipack.h"
#include "editor/interaction/commands.h"
#include "editor/objects/comp_state.h"
#include "editor/objects/components.h"
#include "editor/shell/applink.h"
#include "editor/shell/forms.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/schmain.h"

namespace {

void DrawCurrentComp(SCHMAIN& m)
{
    m.OpenCanvasDC();
    DrawCompWithWires(g_CompId);
    m.CloseCanvasDC();
}

// 6: the component is drawn and the packaging window's results are taken;
// while the window is open the click goes on to pick the next component.
// Close hides the window, so the step after it ends the command.
bool PackStep(SCHMAIN& m, int32_t&, int32_t&, int32_t)
{
    DrawCurrentComp(m);
    g_PackDone = false;
    g_PackClosed = false;
    if (IsFormShown(FormInstance<SCHIPACK>())) g_CmdRunning = -1;
    return false;
}

// 10: the added text is placed, or with the step request taken off again;
// the texts function is selected again.
bool CompTextStep(SCHMAIN& m, int32_t&, int32_t&, int32_t)
{
    g_CurCommand = 0;
    PressFunction(m, 8);
    if (m.m_StepRequest) OA_Delete(C_CompTextArray(g_CompId), g_CompTextIdx);
    DrawCurrentComp(m);
    return false;
}

}  // namespace

CommandStep FindComponentStep(int32_t id)
{
    switch (id) {
    case 6: return PackStep;
    case CMD_COMP_TEXT_DELETE: return CompTextStep;
    default: return nullptr;
    }
}
