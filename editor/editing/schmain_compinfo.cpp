// The report on a picked component, and the descent into the hierarchy
// level a component stands for.
#include "editor/objects/comp_state.h"
#include "editor/objects/comp_texts.h"
#include "editor/objects/hierarchy.h"
#include "editor/objects/schahier.h"
#include "editor/shell/appcmd.h"
#include "editor/shell/dlgservices.h"
#include "editor/shell/msgtext.h"
#include "editor/shell/numtext.h"
#include "editor/shell/pagedraw.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/reporter.h"
#include "editor/shell/ribbon.h"
#include "editor/shell/schmain.h"
#include "editor/shell/settings.h"
#include "editor/shell/textfiles.h"
#include "editor/shell/textnum.h"

namespace {

constexpr int32_t kCantAssignHierCode = 502;

std::string Length(int32_t value)
{
    const double shown = static_cast<double>(value) / g_DbUnitsPerMm * g_UnitFactor(g_UnitIndex);
    return Format(shown, g_NumFormat(g_UnitIndex)) + g_UnitSuffix(g_UnitIndex);
}

// The report text of the component (id, its record read, the entry hit).
std::string CompReport(int32_t id, const CompInfoRec& info, int32_t entry, const std::string& hierName, int32_t hier)
{
    std::string text = GetMsgText("Comp: ", "99454") + Trim(info.Name);
    if (info.LayComp != 0)
        text += GetMsgText(" (Layout: ", "99107") + PtrToStr(O_GetName(L_Component(info.LayComp))) + ")";
    text += g_CrLf;
    text += GetMsgText("Part/Smb: ", "99545") + Trim(info.DeviceName) + " / " + Trim(info.SymbName) + g_CrLf;
    if (info.Group != 0) text += GetMsgText("Packaged as gate: #", "99992") + std::to_string(info.Group) + g_CrLf;
    text += GetMsgText("Position:", "991062") + " x:" + Length(info.X) + " y:" + Length(info.Y);
    text += GetMsgText(" rot:", "991112") + Format(info.Angle / 1000.0, g_AngleFormat) + std::string(1, '\xB0') +
            g_CrLf;
    text += (info.Flags & 2) != 0 ? GetMsgText("Mirrored/", "99888") : GetMsgText("Standard/ ", "991253");
    text += (info.Flags & 32) != 0 ? GetMsgText("Status: Locked", "991258") : GetMsgText("Status: Unlocked", "991259");
    text += g_CrLf;
    if (entry != 0) {
        text += GetMsgText("Entry: #", "99659") + std::to_string(entry);
        EntryRec rec{};
        if (C_ReadEntry(id, entry, &rec) != 0) text += GetMsgText(" (named as: ", "1317") + PtrToStr(rec.Name) + ") ";
        N_SetNodeView(0);
        int32_t net = 0;
        if (N_FindCompEntry(id, entry, &net) != 0 && net != 0)
            text += GetMsgText(" in Net: ", "99767") + PtrToStr(O_GetName(OM_Object(DB_NetMap(), net)));
        text += g_CrLf;
    }
    N_SetNodeView(0);
    const int32_t nets = DB_NetMap();
    OM_MaskAll(nets, 0, 256);
    N_MaskCompNodes(id, 0, 256, 256, 0, 0);
    text += g_CrLf + GetMsgText("Nets Connected :", "99933") + g_CrLf;
    int32_t cursor = OM_GetFirst(nets);
    while (const int32_t net = OM_SearchMask(nets, &cursor, 256, 256))
        text += PtrToStr(O_GetName(OM_Object(nets, net))) + g_CrLf;
    // The marks go again from the nodes as from the nets: none stays in the
    // design after the report.
    N_MaskCompNodes(id, 0, 0, 256, 0, 0);
    OM_MaskAll(nets, 0, 256);
    if (hier != 0) text += GetMsgText("Handle to Hier: ", "99740") + hierName + g_CrLf;
    return text;
}

}  // namespace

void SCHMAIN::ShowCompInfo()
{
    g_HierReassign = 0;
    CompInfoRec info;
    FillCompInfo(g_CompId, g_Comp, info);
    int32_t hier = 0;
    int32_t own = 0;
    std::string hierName;
    GetCompSubHier(hier, hierName, own, g_CompId, g_Comp.Symb);

    if (F_OST(2)->Value()) {
        if (hier == 0) return;
        g_HierReassign = 1;
        g_HierCompId = g_CompId;
        ::ShowModal(FormInstance<SCHAHIER>());
        if (g_HierApplied == 0) return;
        hier = g_HierApplied;
        F_OST(0)->SetValue(true);
    }
    if (!F_OST(0)->Value()) {
        ShowReport(CompReport(g_CompId, info, g_CompEntry, hierName, hier));
        return;
    }
    if (hier == 0) {
        g_HierCompId = g_CompId;
        ::ShowModal(FormInstance<SCHAHIER>());
        if (g_HierApplied == 0) return;
        hier = g_HierApplied;
    }
    DB_ChangePageDispl(g_CurPage, m_ViewOrgX, m_ViewOrgY, 1, m_ViewSize);
    int32_t status = 0;
    PushHierStack(status, g_CompId);
    if (status != 0) return;
    if (EnterLevelWithHierStack(hier) == 0) {
        // The level cannot be entered: the stack loses the entry again and
        // nothing tells the suite to reload.
        int32_t popped = 0;
        PopHierStack(popped);
        std::string name = hierName.empty() ? std::to_string(hier) : hierName;
        ReportMsg(kCantAssignHierCode, name);
        return;
    }
    RebuildHeaps();
    SendCmdAll("UP");
}
