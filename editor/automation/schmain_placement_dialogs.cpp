// The placement menu commands that open the name-prefix dialogs.
#include "editor/automation/plcgpref.h"
#include "editor/automation/plcopref.h"
#include "editor/shell/dlgservices.h"
#include "editor/shell/help.h"
#include "editor/shell/schmain.h"

void SCHMAIN::M_AutPlcGrdPrefix_Click()
{
    CheckHelpMode(7, 2, 1, 0);
    ::ShowModal(FormInstance<PLCGPREF>());
}

void SCHMAIN::M_AutPlcOrntPrefix_Click()
{
    CheckHelpMode(7, 2, 2, 0);
    ::ShowModal(FormInstance<PLCOPREF>());
}
