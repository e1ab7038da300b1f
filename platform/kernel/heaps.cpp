// The free-id heaps of the current level: bend points (kind 1), junctions
// (kind 2) and nodes (kind 3). The id spaces always know which ids are in
// use; a heap adds the ids that GetFreeID handed out and that no object
// took yet, until MakeHeap forgets them.
#include "platform/kernel/database.h"
#include "platform/kernel/journal.h"
#include "platform/kernel/nvokernel32.h"

namespace kernel {

namespace {

IdSpace* HeapIds(Level& level, int32_t kind)
{
    switch (kind) {
    case 1: return &level.bendPoints.ids();
    case 2: return &level.junctions.ids();
    case 3: return &level.nodeIds;
    default: return nullptr;
    }
}

}  // namespace

}  // namespace kernel

using namespace kernel;

int32_t MakeHeap(int32_t kind, int32_t /*owner*/) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Level* level = CurLevel();
        IdSpace* ids = level ? HeapIds(*level, kind) : nullptr;
        if (!ids) return 0;
        if (g_journal)
            for (int32_t id : ids->Reserved()) g_journal->IdChanging(*ids, id);
        ids->DropReservations();
        return 1;
    });
}

int32_t GetFreeID(int32_t kind) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Level* level = CurLevel();
        IdSpace* ids = level ? HeapIds(*level, kind) : nullptr;
        if (!ids) return 0;
        if (g_journal)
            if (const int32_t lowest = ids->Lowest()) g_journal->IdChanging(*ids, lowest);
        return ids->Reserve();
    });
}

int32_t AddToHeap(int32_t owner, int32_t id, int32_t kind) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Level* level = CurLevel();
        IdSpace* ids = level ? HeapIds(*level, kind) : nullptr;
        if (!ids || id <= 0) return 0;
        ObjectMap* map = nullptr;
        if (kind == 3) {
            // The node leaves its net: through the node map given, else by id.
            ObjectMap* given = owner ? MapFromHandle(owner) : nullptr;
            if (given && given->kind() == Kind::Node && given->Find(id)) {
                map = given;
            } else if (Node* node = level->FindNode(id)) {
                map = node->map;
            }
        } else {
            map = kind == 1 ? &level->bendPoints : &level->junctions;
            if (!map->Find(id)) map = nullptr;
        }
        if (map) return map->Erase(id) ? id : 0;
        // An id handed out by GetFreeID and never used goes back as well;
        // an id neither used nor reserved is free already: an outcome.
        if (!ids->Reserved().contains(id)) return Outcome(0);
        if (g_journal) g_journal->IdChanging(*ids, id);
        ids->Release(id);
        return id;
    });
}
