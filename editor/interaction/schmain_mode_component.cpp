// SCHMAIN's idle click in component mode: by the selected function it
// places parts and symbols (singly or as arrays), changes, copies, moves,
// deletes, packs, locks and exchanges components, edits their texts and
// shows their report or leaves a hierarchy level; the operations come from
// the editing layer, multi-click work goes on as a command of the step
// engine.
#include "editor/shell/schmain.h"

#include "editor/dialogs/schicmpd.h"
#include "editor/dialogs/schipack.h"
#include "editor/editing/comp_swap.h"
#include "editor/editing/editing_state.h"
#include "editor/interaction/command_steps.h"
#include "editor/interaction/commands.h"
#include "editor/objects/comp_picking.h"
#include "editor/objects/comp_state.h"
#include "editor/objects/comp_texts.h"
#include "editor/objects/components.h"
#include "editor/shell/design_change.h"
#include "editor/objects/hierarchy.h"
#include "editor/objects/packaging.h"
#include "editor/shell/appcmd.h"
#include "editor/shell/dlgservices.h"
#include "editor/shell/msgtext.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/reporter.h"
#include "editor/shell/ribbon.h"
#include "editor/shell/settings.h"
#include "editor/shell/textfiles.h"
#include "editor/shell/textnum.h"
#include "editor/shell/tooltable.h"
#include "editor/view/view_state.h"
#include "platform/winsys/interaction.h"

#include <algorithm>

namespace {

constexpr int32_t kLocked = 0x20;

// Picks the component under the point as the current one, counting from
// entry 1; status 0 on a hit.
int32_t PickCurrentComp(int32_t x, int32_t y)
{
    int32_t status = 1;
    g_CompEntry = 1;
    PickComp(status, x, y, g_CompId, g_CompEntry, g_CompName);
    return status;
}

int32_t PickCurrentText(int32_t x, int32_t y)
{
    int32_t status = 1;
    PickCompText(status, x, y, g_CompId, g_CompTextIdx, g_CompName);
    return status;
}

// What the delete question calls a component text, by its kind bits.
std::string TextKindName(int32_t flags)
{
    switch (flags & 0x1E) {
    case 2: return GetMsgText(" Comp.name text", "99448");
    case 4: return GetMsgText(" Comp.description", "99442");
    case 8: return GetMsgText(" Comp.value", "99453");
    case 16: return GetMsgText(" Pinout text:", "10223");
    default: return GetMsgText(" Comp.text:", "1367");
    }
}

void UnloadPackDialog()
{
    if (!g_PackDlgOpen) return;
    FormInstance<SCHIPACK>().Unload();
    g_PackDlgOpen = false;
}

}  // namespace

void SCHMAIN::ComponentModeClick(int32_t& x, int32_t& y)
{
    const int32_t f = ModeTools(g_CurMode).SelFunc;
    if (f != 6) UnloadPackDialog();
    int32_t status = 1;
    int32_t id = 0;
    // Places a new part (dialog 0) or symbol (dialog 1), singly or as an
    // array of copies.
    auto place = [&](int32_t dialog, int32_t single, int32_t array) {
        g_CompDlgMode = false;
        OpenCompDialog(status, dialog, x, y);
        if (status != 0) return;
        g_CompId = g_CompInfo.Id;
        g_CompEntry = 1;
        g_CompAnchor = {0, 0};
        ReadComp(status, g_CompId, g_CompName);
        if (status != 0) return;
        if (g_CompRepeat == 0) {
            PressFunction(*this, 4);
            id = single;
            BeginCommand(id);
            return;
        }
        FitCompArray(status, g_CompId, g_ArrayCountX, g_ArrayCountY, g_ArrayStepX, g_ArrayStepY, g_ArrayExtent,
                     g_CompFrameSize);
        if (status != 0) return;
        id = array;
        BeginCommand(id);
    };
    switch (f) {
    case 0:
        if (OptionOn(0))
            CreateCompsFromList();
        else
            place(0, 2, 8);
        break;
    case 1:
        place(1, 3, 9);
        break;
    case 2:
        if (PickCurrentComp(x, y) == 0) ChangeCompDevice(status);
        break;
    case 3:
        if (PickCurrentComp(x, y) != 0) break;
        CopyCompUnpacked(status, g_CompId, m_CursorX, m_CursorY);
        if (status != 0) break;
        g_CompId = g_CompInfo.Id;
        g_CompEntry = 1;
        ReadComp(status, g_CompId, g_CompName);
        if (status != 0) break;
        PressFunction(*this, 4);
        id = 4;
        BeginCommand(id);
        break;
    case 4:
        if (PickCurrentText(x, y) == 0) {
            id = 5;
            BeginCommand(id);
        } else if (PickCurrentComp(x, y) != 0) {
            break;
        } else if (g_Comp.Flags & kLocked) {
            ShowMessage(g_CompName + GetMsgText(" Locked", "99855"));
            winsys::Ui().Beep();
        } else if (OptionOn(5)) {
            SwapCompPlaces(status, 0, x, y);
            if (status != 0) break;
            id = 17;
            BeginCommand(id);
        } else {
            id = 1;
            BeginCommand(id);
        }
        break;
    case 5:
        DeleteCompOrText(x, y);
        break;
    case 6:
        PackagingClick(x, y);
        break;
    case 7:
        LockClick(x, y);
        break;
    case 8:
        if (PickCurrentText(x, y) == 0) {
            ChangeCompTexts(status, -1);
        } else if (PickCurrentComp(x, y) == 0) {
            ChangeCompTexts(status, 0);
            if (status != 0) break;
            PressFunction(*this, 4);
            id = CMD_COMP_TEXT_DELETE;
            BeginCommand(id);
        }
        break;
    case 9:
        if (PickCurrentComp(x, y) != 0) break;
        if (g_Comp.Device == 0 || g_Comp.Group == 0) {
            ReportMsg(73);
            break;
        }
        g_NewCompId = g_CompId;
        g_CompFirst = g_Comp;
        id = CMD_GATE_SWAP;
        BeginCommand(id);
        break;
    case 10:
        if (!OptionOn(1)) {
            if (PickCurrentComp(x, y) == 0) ShowCompInfo();
        } else {
            GoUpOneLevel(status);
        }
        break;
    default:
        break;
    }
}

void SCHMAIN::DeleteCompOrText(int32_t x, int32_t y)
{
    if (PickCurrentComp(x, y) == 0) {
        PopupConfirm(GetMsgText("Delete ", "99521") + g_CompName + "?", m_MouseX, m_MouseY);
        if (!g_YesNoAnswer) return;
        RemoveComponent(g_CompId);
        RedrawView();
        return;
    }
    if (PickCurrentText(x, y) != 0) return;
    PopupConfirm(GetMsgText("Delete ", "99521") + g_CompName + TextKindName(g_CompText.Flags) + " ?", m_MouseX,
                 m_MouseY);
    if (!g_YesNoAnswer) return;
    OpenCanvasDC();
    EraseComp(g_CompId);
    OA_Delete(C_CompTextArray(g_CompId), g_CompTextIdx);
    DrawCompWithWires(g_CompId);
    CloseCanvasDC();
    DrawCmdObjectInView(1, 2);
    DrawCmdObjectInView(1, g_DrawMode);
}

void SCHMAIN::PackagingClick(int32_t x, int32_t y)
{
    const bool unpack = OptionOn(0);
    const bool refresh = OptionOn(1);
    int32_t status = 0;
    if (PickCurrentComp(x, y) != 0) {
        status = 1;
    } else if (!unpack && !refresh) {
        if (D_Device(g_Comp.Device) == 0) status = 70;
        if (g_Comp.LayComp != 0) status = 71;
    } else {
        UnloadPackDialog();
        if (g_Comp.LayComp == 0) {
            status = 72;
        } else if (unpack) {
            PopupConfirm(GetMsgText("Unpack ", "13208") + g_CompName + " ?", m_MouseX, m_MouseY);
            status = g_YesNoAnswer ? 0 : 1;
        }
    }
    if (status != 0) {
        if (g_PackDlgOpen) FormInstance<SCHIPACK>().Hide();
        if (status >= 70) ReportMsg(status);
        return;
    }
    if (!unpack && !refresh) {
        g_DlgOpening = true;
        FillCompInfo(g_CompId, g_Comp, g_CompInfo);
        FormInstance<SCHIPACK>().Show();
        int32_t id = 6;
        BeginCommand(id);
        return;
    }
    DesignChange change;
    DrawCmdObjectInView(1, 2);
    OpenCanvasDC();
    EraseComp(g_CompId);
    CloseCanvasDC();
    if (unpack)
        UnpackComp(g_CompId, g_Comp);
    else
        RefreshCompTexts(g_CompId, g_Comp);
    OpenCanvasDC();
    DrawCompWithWires(g_CompId);
    CloseCanvasDC();
    // Drawn again over what lies around it, the component and its new
    // texts would cover the wires that cross them: the page is painted
    // again where it was drawn over, layered as the paint layers it.
    RepaintDrawnOver(nullptr);
    DrawCmdObjectInView(1, g_DrawMode);
}

void SCHMAIN::LockClick(int32_t x, int32_t y)
{
    if (OptionOn(0) || OptionOn(1)) {
        const bool lock = OptionOn(0);
        std::string prefix = Trim(AskText(lock ? GetMsgText("Lock Components By Name Prefix :", "99854")
                                               : GetMsgText("Unlock Components By Name Prefix :", "991363"),
                                          "", ""));
        if (prefix.empty()) return;
        if (lock)
            LockCompsByPrefix(prefix);
        else
            UnlockCompsByPrefix(prefix);
        return;
    }
    if (PickCurrentComp(x, y) != 0) return;
    // Only the lock bit changes; the mirror and the other status bits of
    // the record stay as they are.
    const int32_t value = ~g_Comp.Flags & kLocked;
    O_Mask(C_Component(g_CompId), value, kLocked);
    g_Comp.Flags = (g_Comp.Flags & ~kLocked) | value;
    ShowMessage(g_CompName + (value ? GetMsgText(" Locked", "99855") : GetMsgText(" Unlocked", "991364")));
    winsys::Ui().Beep();
}

void SCHMAIN::GoUpOneLevel(int32_t& status)
{
    status = 1;
    // The level above is looked up before the stack loses its top, so that
    // a level that cannot be found leaves the stack as it was; a level that
    // cannot be entered gets its entry back.
    LoadHierStack();
    if (g_HierStack.UBound() < 1) {
        winsys::Ui().Beep();
        return;
    }
    const std::string name = Trim(g_HierStack(1).Name.substr(0, 15));
    const int32_t hier = name.empty() ? 0 : OM_FindNameMask(DB_HierarchyMap(), name.c_str(), 0, 0);
    if (hier <= 0) return;
    const std::string saved = HierStackBytes();
    int32_t popped = 1;
    PopHierStack(popped);
    if (popped != 0) {
        winsys::Ui().Beep();
        return;
    }
    if (EnterLevelWithHierStack(hier) == 0) {
        int32_t restored = 1;
        WriteFileObject(restored, kHierStackName, saved);
        winsys::Ui().Beep();
        return;
    }
    RebuildHeaps();
    SendCmdAll("UP");
    status = 0;
}
