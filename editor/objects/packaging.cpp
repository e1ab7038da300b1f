#include "editor/objects/packaging.h"

#include "editor/objects/comp_texts.h"
#include "editor/objects/components.h"
#include "editor/objects/libraries.h"
#include "editor/objects/net_removal.h"
#include "editor/objects/owner_items.h"
#include "editor/objects/pin_nodes.h"
#include "editor/objects/symbols.h"
#include "editor/objects/traces.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/reporter.h"
#include "editor/shell/systables.h"
#include "platform/winsys/interaction.h"

namespace {

constexpr int32_t kTextKind = 6;
constexpr int32_t kNameTextMask = 2;
constexpr int32_t kRedraw = 128;
constexpr int32_t kTempMark = 8192;

// The parts of g_PackGroups that hold a component.
int32_t PackedCount()
{
    return static_cast<int32_t>(g_PackGroups.UBound());
}

bool GroupTaken(int32_t group)
{
    for (long k = 1; k <= g_PackGroups.UBound(); ++k)
        if (g_PackGroups(k).Group == group) return true;
    return false;
}

// Deletes every slot of the parts list whose component is gone, one at a
// time from the start.
void RemoveStaleLinks(int32_t layComp)
{
    for (;;) {
        LayCompRec rec{};
        if (L_ReadComponent(layComp, &rec) == 0) return;
        int32_t stale = 0;
        for (int32_t k = 1; k <= rec.Parts && stale == 0; ++k)
            if (L_GetSchCompId(layComp, k) == 0) stale = k;
        if (stale == 0 || L_DeleteSchCompId(layComp, stale) == 0) return;
    }
}

// True when a schematic component other than `self` is named `name`.
bool OtherCompNamed(const std::string& name, int32_t self)
{
    const int32_t map = DB_SchCompMap();
    int32_t cursor = OM_GetFirst(map);
    while (const int32_t id = OM_SearchName(map, &cursor, name.c_str()))
        if (id != self) return true;
    return false;
}

// What PackComp made and takes back when a later step stops it.
struct PackUndo {
    int32_t layComp = 0;  // a layout component made here
    int32_t symbol = 0;   // a package loaded from a library here

    void Run() const
    {
        if (layComp != 0) DeleteLayComp(layComp);
        if (symbol != 0) {
            int32_t inUse = 0;
            DeleteUnusedSymb(inUse, kLaySymbol, symbol);
        }
    }
};

// Step 3 of PackComp: a new layout component named `name` for the device.
bool MakeNewLayComp(const std::string& name, const DeviceRec& device, PackUndo& undo, int32_t& layComp)
{
    g_PackInfo = PackInfoRec{};
    g_PackInfo.Name = FixedText(name, 15);
    g_PackInfo.Flags = 1;
    g_PackInfo.Angle = 0;
    g_PackInfo.Extra = 1;
    GetTraceFrame(g_PackInfo.X, g_PackInfo.Y);
    g_PackInfo.DeviceName = FixedText(PtrToStr(device.Name), 15);
    g_PackInfo.Device = g_Comp.Device;
    const std::string package = FirstWord(PtrToStr(device.Package));
    int32_t status = 0;
    int32_t symbol = 0;
    std::string libName;
    int32_t index = 0;
    GetSymb(status, kLaySymbol, package, symbol, libName, index);
    if (status != 0) return false;
    if (symbol == kTempLaySymbolId) {
        symbol = OM_ChangeId(DB_SymbMap(), kTempLaySymbolId, 0);
        if (symbol == 0) return false;
        undo.symbol = symbol;
    }
    g_PackInfo.Symb = symbol;
    g_PackInfo.SymbName = FixedText(package, 15);
    g_PackInfo.Parts = 0;
    CreateLayComp(status, g_PackInfo);
    if (status != 0) {
        winsys::Ui().Beep();
        return false;
    }
    layComp = g_PackInfo.LayComp;
    undo.layComp = layComp;
    return true;
}

}  // namespace

void LoadPackInfo(int32_t layComp, const LayCompRec& rec, PackInfoRec& info)
{
    info.LayComp = layComp;
    info.Flags = rec.Flags;
    info.X = rec.X;
    info.Y = rec.Y;
    info.Angle = rec.Angle;
    info.Symb = rec.Symb;
    info.Extra = rec.Extra;
    info.Parts = rec.Parts;
    info.Name = FixedText(PtrToStr(rec.Name), 15);
    info.SymbName = FixedText(rec.Symb != 0 ? PtrToStr(O_GetName(S_Symbol(rec.Symb))) : "none", 15);
    info.Device = rec.Device;
    info.DeviceName = FixedText("none", 15);
    if (D_Device(rec.Device) != 0)
        info.DeviceName = FixedText(PtrToStr(O_GetName(D_Device(rec.Device))), 15);
    else
        info.Device = 0;
    g_PackGroups.Redim(1, 0);
    for (int32_t k = 1; k <= rec.Parts; ++k) {
        const int32_t id = L_GetSchCompId(layComp, k);
        CompRec comp{};
        if (id == 0 || C_ReadComponent(id, &comp) == 0) continue;
        if (g_PackGroups.UBound() < k) g_PackGroups.RedimPreserve(k);
        FillCompInfo(id, comp, g_PackGroups(k));
    }
}

void PackComp(int32_t& status, std::string& name, int32_t group, const DeviceRec& device)
{
    status = 1;
    name = FirstWord(name);
    if (group == 0 || name.empty()) return;
    // Sound behaviour: a gate the device does not have, a component that
    // cannot be read or is packed already are refused before anything is
    // made (unpacking is the caller's choice: UnpackComp).
    GroupRec groupRec{};
    CompRec comp{};
    if (group < 1 || group > device.Groups || C_ReadComponent(g_CompId, &comp) == 0 || comp.LayComp != 0) return;
    g_Comp = comp;
    if (D_ReadGroup(comp.Device, group, &groupRec) == 0) return;

    int32_t missing = 0;
    int32_t layComp = 0;
    FindCompByName(missing, 1, layComp, name);
    PackUndo undo;
    if (missing != 0 && !MakeNewLayComp(name, device, undo, layComp)) {
        undo.Run();
        return;
    }
    // Sound behaviour: every stop from here on takes back what was made.
    if (L_ReadComponent(layComp, &g_LayComp) == 0) {
        undo.Run();
        return;
    }
    LoadPackInfo(layComp, g_LayComp, g_PackInfo);
    std::string compName;
    int32_t readStatus = 0;
    ReadComp(readStatus, g_CompId, compName);
    // Sound behaviour: a layout component of another device, a gate taken
    // already, and a name the packed component cannot take are refused.
    const std::string packedName = FirstWord(g_PackInfo.Name) + "/" + std::to_string(group);
    if (device.Groups <= PackedCount() || g_PackInfo.Device != g_Comp.Device || GroupTaken(group)) {
        undo.Run();
        return;
    }
    if (OtherCompNamed(packedName, g_CompId)) {
        std::string detail = packedName;
        ReportMsg(4, detail);
        undo.Run();
        return;
    }
    if (D_ReadGroup(g_PackInfo.Device, group, &groupRec) == 0) {
        undo.Run();
        return;
    }
    CompInfoRec entry;
    entry.Name = g_PackInfo.Name;
    entry.LayComp = g_PackInfo.LayComp;
    entry.Id = g_CompId;
    g_PackInfo.DeviceName = Trim(g_PackInfo.DeviceName);
    entry.GateText = FixedText(g_PackInfo.DeviceName + "," + PtrToStr(groupRec.Name), 30);
    entry.Device = g_PackInfo.Device;
    entry.DeviceName = FixedText(g_PackInfo.DeviceName, 15);
    entry.Symb = g_Comp.Symb;
    entry.SymbName = FixedText(PtrToStr(O_GetName(S_Symbol(g_Comp.Symb))), 15);
    entry.Group = group;
    entry.Flags = g_Comp.Flags;
    entry.X = g_Comp.X;
    entry.Y = g_Comp.Y;
    entry.Page = g_Comp.Page;
    entry.Info = g_Comp.Info;
    entry.Angle = g_Comp.Angle;
    entry.Extra = g_Comp.Extra;

    const int32_t slot = L_AddSchCompId(layComp, g_CompId);
    if (slot == 0) {
        if (undo.layComp != 0) winsys::Ui().Beep();
        undo.Run();
        return;
    }
    if (C_ChangeCompPackInfo(g_CompId, layComp, group) == 0) {
        if (undo.layComp == 0) L_DeleteSchCompId(layComp, slot);
        undo.Run();
        return;
    }
    g_PackGroups.RedimPreserve(PackedCount() + 1);
    g_PackGroups(g_PackGroups.UBound()) = entry;
    int32_t textStatus = 0;
    ApplyCompInfo(textStatus, entry);
    UpdateCompPinNodes(g_CompId);
    MakeCompPinNodes(layComp);
    ReadComp(readStatus, g_CompId, g_CompName);
    status = 0;
}

void UnpackComp(int32_t id, const CompRec& comp)
{
    if (comp.LayComp == 0 || comp.Group == 0) return;
    const int32_t layComp = comp.LayComp;
    RemoveStaleLinks(layComp);
    LayCompRec rec{};
    if (L_ReadComponent(layComp, &rec) != 0) {
        for (int32_t k = 1; k <= rec.Parts; ++k) {
            if (L_GetSchCompId(layComp, k) != id) continue;
            L_DeleteSchCompId(layComp, k);
            break;
        }
    }
    // Sound behaviour: the component is detached even when the layout
    // component's list no longer names it, so it never stays half-packed.
    if (C_ChangeCompPackInfo(id, 0, 0) != 0) {
        const int32_t texts = C_CompTextArray(id);
        for (int32_t k = OA_SearchMask(texts, 1, kPackTextMask); k > 0; k = OA_SearchMask(texts, 1, kPackTextMask))
            if (OA_Delete(texts, k) == 0) break;
        int32_t failed = 0;
        std::string newName;
        FindFreeName(failed, DB_SchCompMap(), "Unpck", newName);
        if (failed != 0) {
            std::string detail = "Unpck";
            ReportMsg(22, detail);
            newName = "Unpck";
        }
        O_Rename(C_Component(id), newName.c_str());
    }
    if (L_ReadComponent(layComp, &rec) == 0) return;
    // Sound behaviour: the component's own pin nodes are the marked ones
    // whose layout side goes (the marks its erasure leaves); unmarked, a
    // last gate's nodes would go with its layout component.
    N_SetNodeView(0);
    N_MaskCompNodes(id, 0, kRedraw, kRedraw, kRedraw, kRedraw);
    UnlinkCompLayoutNodes(layComp, kRedraw);
    if (L_ReadComponent(layComp, &rec) != 0 && rec.Parts < 1) DeleteLayComp(layComp);
}

void CreateLayComp(int32_t& status, PackInfoRec& rec)
{
    const std::string name = FirstWord(rec.Name);
    const int32_t id =
        L_CreateComponent(rec.LayComp, name.c_str(), rec.Flags, rec.Device, rec.Symb, rec.Extra, rec.X, rec.Y, rec.Angle);
    if (id == 0) {
        status = 1;
        return;
    }
    const int32_t before = rec.LayComp;
    rec.LayComp = id;
    status = 0;
    MakeLayCompTexts(status, rec, rec.Symb, name);
    if (status != 0) {
        OM_Delete(DB_LayCompMap(), id);
        // Sound behaviour: the record does not keep the id of a layout
        // component that is gone.
        rec.LayComp = before;
    }
}

void MakeLayCompTexts(int32_t& status, const PackInfoRec& rec, int32_t symbol, const std::string& text)
{
    const int32_t texts = L_CompTextArray(rec.LayComp);
    ItemRec item{};
    int32_t oldIdx = OA_SearchMask(texts, 1, kNameTextMask);
    if (oldIdx > 0 && I_ReadItem(L_CompText(rec.LayComp, oldIdx), &item) == 0) oldIdx = 0;
    if (oldIdx <= 0) {
        oldIdx = 0;
        const int32_t tmpl = OA_SearchMask(S_SymbolItemArray(symbol), 1, kNameTextMask);
        if (tmpl <= 0 || I_ReadItem(S_SymbolItem(symbol, tmpl), &item) == 0) item = ItemRec{};
    }
    if (item.Kind != kTextKind) {
        int32_t box[4] = {};
        S_SetCompLocation(0, 0, 0, 0);
        if (S_FrameSymbolItems(symbol, 1, box) == 0) box[0] = box[1] = box[2] = box[3] = 0;
        item = ItemRec{};
        item.Kind = kTextKind;
        item.Flags = 2;
        item.X = ToLong(box[0] + (static_cast<double>(box[2]) - box[0]) / 2);
        item.Y = ToLong(box[1] + (static_cast<double>(box[3]) - box[1]) / 2);
        item.Layer = 96;
        const TextSizeRec& size = g_TextSizes(1);
        item.P1 = size.Height;
        item.P2 = size.Width;
        item.Width = size.Width3;
    }
    int32_t made = 0;
    int32_t failed = 0;
    MakeOwnerItem(failed, kOwnerLayComp, rec.LayComp, item, text, made);
    if (failed != 0) {
        status = 1;
        return;
    }
    // The new name text is in place before the old one goes.
    if (oldIdx != 0) OA_Delete(texts, oldIdx);
}

void DeleteLayComp(int32_t layComp)
{
    DeleteTracesAtNode(layComp, 0, kTempMark, 0);
    DeleteCompNodes(1, layComp, 0, kTempMark);
    OM_Delete(DB_LayCompMap(), layComp);
    N_SetNodeView(0);
}

void FindFreeGroup(int32_t& group, const DeviceRec& device)
{
    group = 0;
    const std::string symbName = FirstWord(g_CompInfo.SymbName);
    for (int32_t g = 1; g <= device.Groups; ++g) {
        GroupRec rec{};
        if (D_ReadGroup(g_CompInfo.Device, g, &rec) == 0) continue;
        if (PtrToStr(rec.SymbName) != symbName || GroupTaken(g)) continue;
        group = g;
        return;
    }
}

void GetTraceFrame(int32_t& x, int32_t& y)
{
    x = 0;
    y = 0;
    int32_t box[4] = {};
    if (T_FrameTraceLines(-1, 63, box) > 0) {
        x = box[0];
        y = box[1];
    }
}
