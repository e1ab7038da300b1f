// The steps of the net split and next-node commands.
#include "editor/interaction/command_steps.h"

#include "editor/dialogs/schinet.h"
#include "editor/interaction/commands.h"
#include "editor/objects/branch_drawing.h"
#include "editor/objects/net_drawing.h"
#include "editor/objects/net_groups.h"
#include "editor/objects/wire_state.h"
#include "editor/shell/applink.h"
#include "editor/shell/forms.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/schmain.h"

namespace {

// 19: each click picks the wire whose part is split off (the net dialog
// asks its name); the dialog's answer ends the command.
bool SplitNetStep(SCHMAIN& m, int32_t& x, int32_t& y, int32_t)
{
    if (!m.m_StepRequest) {
        int32_t fail = 1;
        m.EstablishConnectivity(fail, 1, x, y);
        m.OpenCanvasDC();
        m.BlinkBranch();
        m.CloseCanvasDC();
        return true;
    }
    OM_MaskAll(N_NodeMap(g_CurNet), 0, 0x80);
    m.OpenCanvasDC();
    m.DrawBranchHighlight(0);
    DrawAllWires(-1);
    m.CloseCanvasDC();
    PublishAppState(-1, 0);
    SCHINET& dialog = FormInstance<SCHINET>();
    if (IsFormShown(dialog)) dialog.Unload();
    m.m_SplitBranch = 0;
    g_NetGroupTraces.Redim(0, 0);
    g_NetGroupTraceRefs.Redim(0, 0);
    g_NetGroupBranches.Redim(0, 0);
    g_NetGroupRefs.Redim(0, 0);
    return false;
}

// 101: the finish makes the picked pins nodes of the net (a new one or the
// one extended); a cancel only shows the extended net plainly again.
bool NextNodeStep(SCHMAIN& m, int32_t&, int32_t&, int32_t)
{
    if (!m.m_StepRequest) {
        int32_t fail = 1;
        m.CreateNet(fail, false, g_CurNet, g_CurNetName, g_CurNetRec);
    } else if (g_CurNet != 0) {
        m.OpenCanvasDC();
        RedrawNet(g_CurNet);
        m.CloseCanvasDC();
    }
    return false;
}

}  // namespace

CommandStep FindNetStep(int32_t id)
{
    switch (id) {
    case CMD_SPLIT_NET: return SplitNetStep;
    case CMD_NEXT_NODE: return NextNodeStep;
    default: return nullptr;
    }
}
