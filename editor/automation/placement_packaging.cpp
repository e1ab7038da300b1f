// The automatic packaging run: every unpacked component whose device the
// packaging dialog enabled goes into a layout component of its device with
// a free gate of its symbol, else into a new one named from the dialog's
// row (its change-to prefix and the next free number).
#include "editor/dialogs/schapack.h"
#include "editor/objects/comp_state.h"
#include "editor/objects/comp_texts.h"
#include "editor/objects/components.h"
#include "editor/shell/design_change.h"
#include "editor/objects/packaging.h"
#include "editor/shell/dlgservices.h"
#include "editor/shell/forms.h"
#include "editor/shell/help.h"
#include "editor/shell/msgtext.h"
#include "editor/shell/pagedraw.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/schmain.h"
#include "editor/shell/textnum.h"

namespace {

constexpr int32_t kRunMark = 128;

// The row of g_PrefixList for a device: rows hold device names, so that
// each device is packed or left on its own. 0 when none. The marking and
// the naming of new layout components find the row by this one rule.
int32_t RowOfDevice(const DeviceRec& device)
{
    const std::string name = Trim(PtrToStr(device.Name));
    if (name.empty()) return 0;
    for (int32_t r = 1; r <= g_PrefixList.UBound(); ++r)
        if (Trim(g_PrefixList(r).Prefix) == name) return r;
    return 0;
}

// Marks the devices whose row is enabled; false when none is.
bool MarkDevices()
{
    const int32_t map = DB_DeviceMap();
    OM_MaskAll(map, 0, kRunMark);
    bool any = false;
    int32_t cursor = OM_GetFirst(map);
    while (int32_t id = OM_SearchMask(map, &cursor, 0, 0)) {
        DeviceRec rec{};
        if (D_ReadDevice(id, &rec) != 1) continue;
        const int32_t row = RowOfDevice(rec);
        if (row == 0 || !g_PrefixList(row).Pack) continue;
        O_Mask(D_Device(id), kRunMark, kRunMark);
        any = true;
    }
    return any;
}

// The lowest gate of the device drawn with `symbol`; 0 when none.
int32_t FirstMatchingGroup(int32_t device, const DeviceRec& rec, const std::string& symbol)
{
    for (int32_t g = 1; g <= rec.Groups; ++g) {
        GroupRec gr{};
        if (D_ReadGroup(device, g, &gr) == 1 && Trim(PtrToStr(gr.SymbName)) == symbol) return g;
    }
    return 0;
}

// An existing layout component of the device with a free gate of the
// current component's symbol: its name and the gate, else gate 0.
int32_t FindExistingPackage(int32_t device, const DeviceRec& rec, std::string& name)
{
    int32_t cursor = OM_GetFirst(DB_LayCompMap());
    while (int32_t lay = L_SearchDevice(&cursor, device)) {
        if (L_ReadComponent(lay, &g_LayComp) != 1) continue;
        LoadPackInfo(lay, g_LayComp, g_PackInfo);
        if (rec.Groups <= g_PackInfo.Parts) continue;
        int32_t group = 0;
        FindFreeGroup(group, rec);
        if (group > 0) {
            name = FirstWord(PtrToStr(g_LayComp.Name));
            return group;
        }
    }
    return 0;
}

// The next name of the row not yet taken by a layout component; the row's
// start number ends one above the number used.
std::string NextPackageName(int32_t row)
{
    PrefixRec& r = g_PrefixList(row);
    for (;;) {
        const std::string name = Trim(r.ChangeTo) + std::to_string(static_cast<long long>(r.StartNumber));
        int32_t status = 0, found = 0;
        FindCompByName(status, 1, found, name);
        r.StartNumber += 1;
        if (status != 0 || found == 0) return name;
    }
}

}  // namespace

void SCHMAIN::M_Apack_Click()
{
    CheckHelpMode(7, 1, 0, 0);
    ::ShowModal(FormInstance<SCHAPACK>());
    if (!g_DlgAccepted) return;
    // Every component the run packs, or none; the run marks of the parts
    // go with it.
    DesignChange change;
    if (!MarkDevices()) return;
    SetScreenMousePointer(11);
    ShowMessage(GetMsgText("Autpackaging in progress.. ", "1330"));
    try {
        const int32_t map = DB_SchCompMap();
        int32_t cursor = OM_GetFirst(map);
        while (int32_t id = OM_SearchMask(map, &cursor, 0, 0)) {
            int32_t status = 0;
            std::string compName;
            ReadComp(status, id, compName);
            if (status != 0 || g_Comp.LayComp != 0 || g_Comp.Group != 0 || g_Comp.Device == 0) continue;
            DeviceRec device{};
            if (D_ReadDevice(g_Comp.Device, &device) != 1 || !(device.Flags & kRunMark)) continue;
            FillCompInfo(id, g_Comp, g_CompInfo);
            const std::string symbol = Trim(g_CompInfo.SymbName);
            const int32_t first = FirstMatchingGroup(g_Comp.Device, device, symbol);
            if (first == 0) continue;
            std::string layName;
            int32_t group = FindExistingPackage(g_Comp.Device, device, layName);
            if (group == 0) {
                const int32_t row = RowOfDevice(device);
                if (row == 0) continue;  // never pack under an empty name
                group = first;
                layName = NextPackageName(row);
            }
            g_CompId = id;
            const bool onPage = g_Comp.Page == g_CurPage;
            OpenCanvasDC();
            if (onPage) EraseComp(id);
            int32_t packed = 0;
            PackComp(packed, layName, group, device);
            if (onPage) DrawCompWithWires(id);
            CloseCanvasDC();
        }
    } catch (...) {
        SetScreenMousePointer(0);
        OM_MaskAll(DB_DeviceMap(), 0, kRunMark);
        throw;
    }
    SetScreenMousePointer(0);
    ShowMessage(GetMsgText("Autpackaging completed", "1329"));
    OM_MaskAll(DB_DeviceMap(), 0, kRunMark);
}
