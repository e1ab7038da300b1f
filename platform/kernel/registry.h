// Handles: 32-bit values that stand for kernel things that are not ids
// (objects seen through the O_ functions, maps, item arrays, and later
// drawing contexts, metafiles, libraries). A handle carries a generation
// count, so a handle whose thing is gone fails cleanly even after its slot
// has been given to something new.
#pragma once

#include <cstdint>
#include <deque>
#include <vector>

namespace kernel {

enum class HandleType : uint8_t { None, Object, Map, Array, Other, Library };

class Registry {
public:
    // A new handle for `target` (never 0, always positive).
    int32_t Add(HandleType type, void* target);
    // Ends the handle; later lookups of it fail. A held handle (below) ends
    // as well.
    void Remove(int32_t handle);
    // Holds a live handle: lookups fail as if it had ended, but its slot is
    // kept for it, and Resume makes it answer again with the same value (an
    // object that a change group deleted and may put back).
    void Hold(int32_t handle);
    void Resume(int32_t handle);
    // The target of a live handle of that type, else null. Inline: every
    // call that names an object, map or array by handle starts here.
    // Handles 0 and below need no test of their own: slot 0 is never used
    // (its type is None), and a negative handle's generation bits (1024 or
    // more) match no slot's generation (1..1023).
    void* Find(int32_t handle, HandleType type) const
    {
        const uint32_t slot = static_cast<uint32_t>(handle) & kSlotMask;
        if (slot >= slots_.size()) return nullptr;
        const Slot& s = slots_[slot];
        if (s.type != type || s.generation != (static_cast<uint32_t>(handle) >> kSlotBits)) return nullptr;
        return s.target;
    }

private:
    struct Slot {
        void* target = nullptr;
        HandleType type = HandleType::None;
        HandleType held = HandleType::None;  // the type of a held handle (type is then None)
        uint16_t generation = 0;
    };
    static constexpr int kSlotBits = 21;
    static constexpr uint32_t kSlotMask = (1u << kSlotBits) - 1;

    std::vector<Slot> slots_;       // slot 0 is never used
    std::deque<uint32_t> freeSlots_;  // oldest freed first, so reuse is spread out
};

// The registry once it exists, else null (no handle has been made yet).
inline Registry* g_registry = nullptr;

// Never destroyed: objects still alive at process exit (a database that
// nobody discarded) end their handles from their own destructors, which may
// run after every other static has gone.
inline Registry& Handles()
{
    static Registry* registry = g_registry = new Registry;
    return *registry;
}

// The target of a live handle of that type, else null. Made for the calls
// that name an object, map or array by handle: it never makes the registry
// (before there is one no handle is live), so it costs a few loads and
// compares and can neither fail nor allocate.
inline void* FindHandle(int32_t handle, HandleType type)
{
    const Registry* registry = g_registry;
    return registry ? registry->Find(handle, type) : nullptr;
}

}  // namespace kernel
