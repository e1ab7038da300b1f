// Nets and their nodes, buses and their member slots, and the node view.
//
// Node ids are unique within a level (one id space for all its nets), so a
// node keeps its id when it moves to another net's node map. Nodes are found
// by component through an index kept by Node::SetSide, so the pin lookups do
// not visit every node of the level.
#include "platform/kernel/database.h"
#include "platform/kernel/nvokernel32.h"

#include <algorithm>
#include <unordered_map>


namespace kernel {

namespace {

int g_nodeView = kSchematicSide;

// The nodes of every level by (side, component). Lookups check each node's
// current fields and level, so the index only has to be complete, not exact.
class PinIndex {
public:
    void Add(int side, int32_t ref, Node* node) { nodes_[Key(side, ref)].push_back(node); }

    void Remove(int side, int32_t ref, const Node* node)
    {
        auto it = nodes_.find(Key(side, ref));
        if (it == nodes_.end()) return;
        auto& list = it->second;
        list.erase(std::remove(list.begin(), list.end(), node), list.end());
        if (list.empty()) nodes_.erase(it);
    }

    const std::vector<Node*>* Find(int side, int32_t ref) const
    {
        auto it = nodes_.find(Key(side, ref));
        return it == nodes_.end() ? nullptr : &it->second;
    }

private:
    static uint64_t Key(int side, int32_t ref)
    {
        return (static_cast<uint64_t>(side) << 32) | static_cast<uint32_t>(ref);
    }

    std::unordered_map<uint64_t, std::vector<Node*>> nodes_;
};

// Never destroyed: the open database, and with it its nodes, may be
// destroyed after every other static object at exit.
PinIndex& Pins()
{
    static auto* index = new PinIndex;
    return *index;
}

Net* FindNet(const Level& level, int32_t net)
{
    return net > 0 ? level.nets.FindAs<Net>(net) : nullptr;
}

// Nets are found by positive id only.
Net* CurNet(int32_t net)
{
    return net > 0 ? InCurLevel<Net>(&Level::nets, net) : nullptr;
}

Node* NetNode(Net& net, int32_t node)
{
    return node > 0 ? net.nodes.FindAs<Node>(node) : nullptr;
}

// A side's component reference: 0, or a (layout) component of the level.
bool SideRefOk(const Level& level, int side, int32_t ref)
{
    if (ref == 0) return true;
    return side == kSchematicSide ? level.components.Find(ref) != nullptr : level.layComps.Find(ref) != nullptr;
}

Net* NetOf(const Node& node)
{
    Object* owner = OwnerOf(node);
    return owner && owner->kind == Kind::Net ? static_cast<Net*>(owner) : nullptr;
}

// Ends the slot list at the highest occupied slot.
void TrimFreeSlots(Bus& bus)
{
    while (!bus.members.empty() && bus.members.back() == 0) bus.members.pop_back();
}

// Frees the slots of member nets that have been deleted; the other members
// keep their slots.
void FreeDeletedMembers(Bus& bus)
{
    for (int32_t& handle : bus.members)
        if (handle != 0 && ObjectAs<Net>(handle, Kind::Net) == nullptr) {
            Touch(bus);
            handle = 0;
        }
    if (!bus.members.empty() && bus.members.back() == 0) {
        Touch(bus);
        TrimFreeSlots(bus);
    }
}

Bus* CurBus(int32_t bus)
{
    Bus* b = bus > 0 ? InCurLevel<Bus>(&Level::buses, bus) : nullptr;
    if (b) FreeDeletedMembers(*b);
    return b;
}

bool ValidSlot(int32_t index)
{
    return index >= 0 && index < Bus::kMaxMembers;
}

// The bus of `level` (lowest id) with `net` in a slot, and the lowest such
// slot.
Bus* BusHolding(Level& level, Net& net, int32_t& slot)
{
    const int32_t handle = net.Handle();
    for (Object* o = level.buses.Next(0); o; o = level.buses.Next(o->id)) {
        auto& bus = static_cast<Bus&>(*o);
        FreeDeletedMembers(bus);
        for (size_t i = 0; i < bus.members.size(); ++i) {
            if (bus.members[i] == handle) {
                slot = static_cast<int32_t>(i);
                return &bus;
            }
        }
    }
    return nullptr;
}

}  // namespace

// ---- Nodes and the index by component ------------------------------------------

Node::~Node()
{
    for (int side : {kSchematicSide, kLayoutSide})
        if (indexed_[side]) Pins().Remove(side, indexed_[side], this);
}

void Node::SetSide(int side, int32_t ref, int32_t number)
{
    if (side != kSchematicSide && side != kLayoutSide) return;
    Touch(*this);
    if (indexed_[side]) Pins().Remove(side, indexed_[side], this);
    if (side == kSchematicSide) {
        comp = ref;
        entry = number;
    } else {
        layComp = ref;
        layEntry = number;
    }
    indexed_[side] = ref;
    if (ref) Pins().Add(side, ref, this);
    GeometryChanged(this);
}

int NodeView()
{
    return g_nodeView;
}

std::vector<Node*> PinNodes(const Level& level, int side, int32_t ref, int32_t number)
{
    std::vector<Node*> found;
    const std::vector<Node*>* candidates = ref ? Pins().Find(side, ref) : nullptr;
    if (!candidates) return found;
    for (Node* node : *candidates) {
        if (node->Ref(side) != ref || (number != 0 && node->Number(side) != number)) continue;
        if (!NetOf(*node) || LevelOf(*node) != &level) continue;
        found.push_back(node);
    }
    std::sort(found.begin(), found.end(), [](const Node* a, const Node* b) {
        const int32_t netA = NetOf(*a)->id, netB = NetOf(*b)->id;
        return netA != netB ? netA < netB : a->id < b->id;
    });
    return found;
}

std::vector<int32_t> SortedNodeIds(const std::vector<Node*>& nodes)
{
    std::vector<int32_t> ids;
    ids.reserve(nodes.size());
    for (const Node* node : nodes) ids.push_back(node->id);
    std::sort(ids.begin(), ids.end());
    return ids;
}

bool PinPosition(const Node& node, int side, int32_t& x, int32_t& y)
{
    const int32_t ref = node.Ref(side);
    // Only nodes of the current level, as the component calls read.
    Level* level = CurLevel();
    if (!ref || !level || LevelOf(node) != level) return false;
    // Entry and pad positions come from the components, placed through their
    // placement transform, so a node always agrees with its entry.
    return PlacedEntryXY(*level, side, ref, node.Number(side), x, y);
}

}  // namespace kernel

using namespace kernel;

int32_t N_SetNodeView(int32_t view) noexcept
{
    return Guard(0, [&]() -> int32_t {
        if (view != kSchematicSide && view != kLayoutSide) return 0;
        g_nodeView = view;
        return 1;
    });
}

// ---- Nets ------------------------------------------------------------------------

int32_t N_Net(int32_t net) noexcept
{
    return Guard(0, [&] { return HandleOf(CurNet(net)); });
}

int32_t N_CreateNet(int32_t id, int32_t flags, const char* name) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Level* level = CurLevel();
        if (!level || id < 0 || !ValidName(name)) return 0;
        std::unique_ptr<Net> net = level->MakeNet();
        net->status = flags;
        net->name = name;
        return level->nets.Insert(std::move(net), id);
    });
}

int32_t N_ReadNet(int32_t net, NetRec* record) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Level* level = CurLevel();
        Net* n = level ? FindNet(*level, net) : nullptr;
        if (!n || !record) return 0;
        int32_t slot = 0;
        Bus* bus = BusHolding(*level, *n, slot);
        record->Flags = n->status;
        record->Name = n->name.c_str();
        record->Nodes = static_cast<int32_t>(n->nodes.CountPositive());
        record->Bus = bus ? bus->id : 0;
        return 1;
    });
}

int32_t N_NodeMap(int32_t net) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Net* n = CurNet(net);
        return n ? n->nodes.Handle() : 0;
    });
}

// ---- Nodes -----------------------------------------------------------------------

int32_t N_Node(int32_t net, int32_t node) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Net* n = CurNet(net);
        return n ? HandleOf(NetNode(*n, node)) : 0;
    });
}

int32_t N_CreateNode(int32_t net, int32_t node, int32_t comp, int32_t entry, int32_t layComp,
                     int32_t layEntry) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Level* level = CurLevel();
        Net* n = level ? FindNet(*level, net) : nullptr;
        if (!n || node < 0 || !SideRefOk(*level, kSchematicSide, comp) || !SideRefOk(*level, kLayoutSide, layComp))
            return 0;
        // The shared id space refuses an id used by a node of any net, and
        // takes up a reservation made by GetFreeID(3).
        Node* created = n->nodes.Create<Node>(node);
        if (!created) return 0;
        created->SetSide(kSchematicSide, comp, entry);
        created->SetSide(kLayoutSide, layComp, layEntry);
        return created->id;
    });
}

int32_t N_ReadNode(int32_t net, int32_t node, NodeRec* record) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Net* n = CurNet(net);
        Node* nd = n ? NetNode(*n, node) : nullptr;
        if (!nd || !record) return 0;
        int32_t x = 0, y = 0;
        if (!PinPosition(*nd, NodeView(), x, y)) x = y = 0;
        record->Flags = nd->status;
        record->Comp = nd->comp;
        record->Entry = nd->entry;
        record->LayComp = nd->layComp;
        record->LayEntry = nd->layEntry;
        record->X = x;
        record->Y = y;
        return 1;
    });
}

int32_t N_ChangeNode(int32_t net, int32_t node, int32_t ref, int32_t number) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Level* level = CurLevel();
        Net* n = level ? FindNet(*level, net) : nullptr;
        Node* nd = n ? NetNode(*n, node) : nullptr;
        const int side = NodeView();
        if (!nd || !SideRefOk(*level, side, ref)) return 0;
        nd->SetSide(side, ref, number);
        return 1;
    });
}

int32_t N_FindCompEntry(int32_t comp, int32_t entry, int32_t* net) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Level* level = CurLevel();
        if (!level || !net || comp == 0) return 0;
        const std::vector<Node*> nodes = PinNodes(*level, NodeView(), comp, entry);
        if (nodes.empty()) return 0;
        // A node in the net the caller names is preferred; otherwise the
        // first in ascending net order, whose net is handed back.
        for (Node* node : nodes)
            if (NetOf(*node)->id == *net) return node->id;
        *net = NetOf(*nodes.front())->id;
        return nodes.front()->id;
    });
}

int32_t N_MaskAllNodes(int32_t value, int32_t mask) noexcept
{
    return MarkGuard([&]() -> int32_t {
        Level* level = CurLevel();
        if (!level) return 0;
        int32_t changed = 0;
        level->nets.ForEach([&](Object& net) {
            static_cast<Net&>(net).nodes.ForEach([&](Object& node) {
                MaskStatus(node, value, mask);
                ++changed;
            });
        });
        return changed;
    });
}

int32_t N_MaskCompNodes(int32_t comp, int32_t entry, int32_t nodeValue, int32_t nodeMask, int32_t netValue,
                        int32_t netMask) noexcept
{
    return MarkGuard([&]() -> int32_t {
        Level* level = CurLevel();
        if (!level) return 0;
        const std::vector<Node*> nodes = PinNodes(*level, NodeView(), comp, entry);
        // The first pair goes to each node and the net holding it, then the
        // second pair to those nets.
        std::vector<Net*> nets;
        for (Node* node : nodes) {
            Net* net = NetOf(*node);
            MaskStatus(*node, nodeValue, nodeMask);
            MaskStatus(*net, nodeValue, nodeMask);
            if (std::find(nets.begin(), nets.end(), net) == nets.end()) nets.push_back(net);
        }
        for (Net* net : nets) MaskStatus(*net, netValue, netMask);
        return static_cast<int32_t>(nodes.size());
    });
}

// ---- Buses -----------------------------------------------------------------------

int32_t N_Bus(int32_t bus) noexcept
{
    return Guard(0, [&] { return HandleOf(CurBus(bus)); });
}

int32_t N_CreateBus(int32_t id, int32_t flags, const char* name) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Level* level = CurLevel();
        if (!level || id < 0 || !ValidName(name)) return 0;
        auto bus = std::make_unique<Bus>();
        bus->status = flags;
        bus->name = name;
        return level->buses.Insert(std::move(bus), id);
    });
}

int32_t N_ReadBus(int32_t bus, BusRec* record) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Bus* b = CurBus(bus);
        if (!b || !record) return 0;
        record->Flags = b->status;
        record->Name = b->name.c_str();
        // One past the highest occupied slot: every member lies below it.
        record->Members = static_cast<int32_t>(b->members.size());
        return 1;
    });
}

int32_t N_ReadBusMember(int32_t bus, int32_t index) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Bus* b = CurBus(bus);
        if (!b || index < 0 || index >= static_cast<int32_t>(b->members.size())) return 0;
        Object* net = ObjectFromHandle(b->members[static_cast<size_t>(index)]);
        return net ? net->id : 0;
    });
}

int32_t N_SetBusMember(int32_t bus, int32_t index, int32_t net) noexcept
{
    // Slot 0 is a success, so failure is -1.
    return Guard(-1, [&]() -> int32_t {
        Level* level = CurLevel();
        Bus* b = CurBus(bus);
        Net* n = level ? FindNet(*level, net) : nullptr;
        if (!b || !n || !ValidSlot(index)) return -1;
        // Any slot: a free one is filled, a taken one changes hands. The net
        // may hold another slot as well for a moment (an exchange passes
        // through that).
        const auto slot = static_cast<size_t>(index);
        Touch(*b);
        if (slot >= b->members.size()) b->members.resize(slot + 1, 0);
        b->members[slot] = n->Handle();
        return index;
    });
}

int32_t N_DeleteBusMember(int32_t bus, int32_t index) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Bus* b = CurBus(bus);
        if (!b || index < 0 || index >= static_cast<int32_t>(b->members.size())) return 0;
        int32_t& slot = b->members[static_cast<size_t>(index)];
        // A free slot is free already: an outcome.
        if (slot == 0) return Outcome(0);
        Touch(*b);
        // The slot is free again; the other members keep theirs.
        slot = 0;
        TrimFreeSlots(*b);
        return 1;
    });
}

int32_t N_FindBusMember(int32_t net, int32_t* index) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Level* level = CurLevel();
        Net* n = level ? FindNet(*level, net) : nullptr;
        if (!n || !index) return 0;
        int32_t slot = 0;
        Bus* bus = BusHolding(*level, *n, slot);
        if (!bus) return 0;
        *index = slot;
        return bus->id;
    });
}
