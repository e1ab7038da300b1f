#include "editor/objects/pin_nodes.h"

#include "editor/objects/comp_picking.h"
#include "editor/objects/comp_state.h"
#include "editor/objects/net_lookups.h"
#include "editor/objects/symbols.h"
#include "editor/objects/wire_state.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/reporter.h"
#include "editor/shell/scope_guard.h"

namespace {

constexpr int32_t kSchematicView = 0;
constexpr int32_t kLayoutView = 1;
constexpr int32_t kSupplyNetFlags = 6;

// The supply pins of the layout component's device without a node join the
// net named like the pin.
void MakeSupplyNodes(int32_t layComp, int32_t device, const DeviceRec& dev)
{
    const int32_t pins = D_SupplyPinArray(device);
    for (int32_t i = 1; i <= dev.SupplyPins; ++i) {
        PinRec pin{};
        if (D_ReadPin(pins, i, &pin) == 0) continue;
        int32_t net = 0;
        if (N_FindCompEntry(layComp, pin.Number, &net) != 0) continue;
        const std::string name = PtrToStr(pin.Name);
        int32_t status = 0;
        FindNetByName(status, net, name);
        if (status != 0) net = N_CreateNet(0, kSupplyNetFlags, name.c_str());
        if (net == 0) continue;
        N_CreateNode(net, GetFreeNodeId(), 0, 0, layComp, pin.Number);
    }
}

// The gate pins of one packed component: the layout pin's node takes the
// same-named entry as its schematic side.
void LinkGateNodes(int32_t layComp, int32_t device, int32_t comp)
{
    CompRec rec{};
    GroupRec group{};
    if (comp == 0 || C_ReadComponent(comp, &rec) == 0 || D_ReadGroup(device, rec.Group, &group) == 0) return;
    const int32_t pins = D_GroupPinArray(device, rec.Group);
    for (int32_t j = 1; j <= group.Pins; ++j) {
        PinRec pin{};
        if (D_ReadPin(pins, j, &pin) == 0) continue;
        N_SetNodeView(kLayoutView);
        int32_t net = 0;
        const int32_t node = N_FindCompEntry(layComp, pin.Number, &net);
        if (node == 0) continue;
        int32_t entry = 0;
        SymbEntryRec entryRec{};
        FindSymbEntryByName(entry, rec.Symb, PtrToStr(pin.Name), entryRec);
        if (entry == 0) continue;
        // Sound behaviour: an entry with a node of its own keeps it; giving
        // the layout pin's node the same schematic side would make two
        // nodes of one pin.
        N_SetNodeView(kSchematicView);
        int32_t ownNet = 0;
        const int32_t own = N_FindCompEntry(comp, entry, &ownNet);
        if (own != 0 && own != node) continue;
        N_SetNodeView(kLayoutView);
        N_ChangeNode(net, node, layComp, pin.Number);
        N_SetNodeView(kSchematicView);
        N_ChangeNode(net, node, comp, entry);
    }
}

}  // namespace

void MakeCompPinNodes(int32_t layComp)
{
    auto schematicView = OnExit([] { N_SetNodeView(kSchematicView); });
    N_SetNodeView(kLayoutView);
    LayCompRec rec{};
    DeviceRec dev{};
    if (L_ReadComponent(layComp, &rec) == 0 || D_ReadDevice(rec.Device, &dev) == 0) return;
    MakeSupplyNodes(layComp, rec.Device, dev);
    for (int32_t k = 1; k <= rec.Parts; ++k) LinkGateNodes(layComp, rec.Device, L_GetSchCompId(layComp, k));
}

void UpdateCompPinNodes(int32_t comp)
{
    auto schematicView = OnExit([] { N_SetNodeView(kSchematicView); });
    CompRec rec{};
    DeviceRec dev{};
    SymbRec symb{};
    GroupRec group{};
    if (C_ReadComponent(comp, &rec) == 0 || rec.Device == 0 || rec.LayComp == 0 || rec.Group == 0) return;
    if (D_ReadDevice(rec.Device, &dev) == 0 || S_ReadSymbol(rec.Symb, &symb) == 0 ||
        D_ReadGroup(rec.Device, rec.Group, &group) == 0)
        return;
    const int32_t pins = D_GroupPinArray(rec.Device, rec.Group);
    for (int32_t e = 1; e <= symb.Entries; ++e) {
        N_SetNodeView(kSchematicView);
        EntryRec entry{};
        int32_t net = 0;
        if (C_ReadEntry(comp, e, &entry) == 0) continue;
        const int32_t node = N_FindCompEntry(comp, e, &net);
        if (node == 0) continue;
        PinRec pin{};
        const int32_t index = D_SearchPinName(pins, 1, PtrToStr(entry.Name).c_str());
        if (index <= 0 || D_ReadPin(pins, index, &pin) == 0) continue;
        N_SetNodeView(kLayoutView);
        N_ChangeNode(net, node, rec.LayComp, pin.Number);
    }
}

void CreatePinNode(int32_t& status, int32_t comp, int32_t entry, int32_t net, int32_t& node)
{
    status = 1;
    CompRec rec{};
    if (C_ReadComponent(comp, &rec) == 0) {
        std::string detail = "Id: " + Str(comp);
        ReportMsg(23, detail);
        return;
    }
    const std::string compName = PtrToStr(rec.Name);
    auto failed = [&]() {
        std::string detail = PtrToStr(O_GetName(N_Net(net))) + ":" + compName + "," + Str(entry);
        ReportMsg(34, detail);
    };
    // Sound behaviour: a pin that is a node already gets no second one.
    N_SetNodeView(kSchematicView);
    int32_t ownNet = 0;
    if (N_FindCompEntry(comp, entry, &ownNet) != 0) {
        node = 0;
        failed();
        return;
    }
    int32_t layComp = 0;
    int32_t pad = 0;
    DeviceRec dev{};
    if (D_ReadDevice(rec.Device, &dev) != 0 && rec.LayComp != 0 && rec.Group != 0) {
        SymbRec symb{};
        EntryRec entryRec{};
        GroupRec group{};
        if (S_ReadSymbol(rec.Symb, &symb) != 0 && C_ReadEntry(comp, entry, &entryRec) != 0 &&
            D_ReadGroup(rec.Device, rec.Group, &group) != 0) {
            const int32_t pins = D_GroupPinArray(rec.Device, rec.Group);
            const std::string entryName = PtrToStr(entryRec.Name);
            PinRec pin{};
            const int32_t index = D_SearchPinName(pins, 1, entryName.c_str());
            if (index <= 0 || D_ReadPin(pins, index, &pin) == 0) {
                std::string detail = PtrToStr(dev.Name) + "/" + entryName;
                ReportMsg(19, detail);
            } else {
                // Sound behaviour: the layout side is set whole or not at
                // all (never a layout component without its pad).
                layComp = rec.LayComp;
                pad = pin.Number;
            }
        }
    }
    node = N_CreateNode(net, GetFreeNodeId(), comp, entry, layComp, pad);
    if (node == 0) {
        failed();
        return;
    }
    status = 0;
}

void AddPickedPinNode(int32_t& status, int32_t onlyUnconnected, int32_t x, int32_t y)
{
    g_CompEntry = 1;
    int32_t picked = 1;
    PickComp(picked, x, y, g_CompId, g_CompEntry, g_CompName);
    status = 1;
    if (picked != 0 || g_CompEntry < 1) return;
    if (onlyUnconnected != 0) {
        int32_t unconnected = 0;
        int32_t net = 0;
        int32_t node = 0;
        std::string netName;
        FindPinNet(unconnected, 0, g_CompId, g_CompEntry, net, netName, node);
        if (unconnected == 0) return;
    }
    const long last = g_NetNodes.UBound() + 1;
    g_NetNodes.RedimPreserve(last);
    NodeRec& rec = g_NetNodes(last);
    rec = NodeRec{};
    rec.Flags = 1;
    rec.Comp = g_CompId;
    rec.Entry = g_CompEntry;
    rec.X = g_CompAnchorStart.X;
    rec.Y = g_CompAnchorStart.Y;
    status = 0;
}
