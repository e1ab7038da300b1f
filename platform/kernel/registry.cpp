#include "platform/kernel/registry.h"

namespace kernel {

int32_t Registry::Add(HandleType type, void* target)
{
    if (slots_.empty()) slots_.resize(1);
    uint32_t slot;
    if (!freeSlots_.empty() && (freeSlots_.size() > 1024 || slots_.size() > kSlotMask)) {
        slot = freeSlots_.front();
        freeSlots_.pop_front();
    } else if (slots_.size() <= kSlotMask) {
        slot = static_cast<uint32_t>(slots_.size());
        slots_.emplace_back();
    } else {
        return 0;
    }
    Slot& s = slots_[slot];
    s.target = target;
    s.type = type;
    // Generations 1..1023 keep every handle a positive 32-bit value.
    s.generation = static_cast<uint16_t>(s.generation % 1023 + 1);
    return static_cast<int32_t>((static_cast<uint32_t>(s.generation) << kSlotBits) | slot);
}

void Registry::Remove(int32_t handle)
{
    const uint32_t slot = static_cast<uint32_t>(handle) & kSlotMask;
    if (handle <= 0 || slot == 0 || slot >= slots_.size()) return;
    Slot& s = slots_[slot];
    if ((s.type == HandleType::None && s.held == HandleType::None) ||
        s.generation != (static_cast<uint32_t>(handle) >> kSlotBits))
        return;
    s.target = nullptr;
    s.type = HandleType::None;
    s.held = HandleType::None;
    freeSlots_.push_back(slot);
}

void Registry::Hold(int32_t handle)
{
    const uint32_t slot = static_cast<uint32_t>(handle) & kSlotMask;
    if (handle <= 0 || slot == 0 || slot >= slots_.size()) return;
    Slot& s = slots_[slot];
    if (s.type == HandleType::None || s.generation != (static_cast<uint32_t>(handle) >> kSlotBits)) return;
    s.held = s.type;
    s.type = HandleType::None;
}

void Registry::Resume(int32_t handle)
{
    const uint32_t slot = static_cast<uint32_t>(handle) & kSlotMask;
    if (handle <= 0 || slot == 0 || slot >= slots_.size()) return;
    Slot& s = slots_[slot];
    if (s.held == HandleType::None || s.generation != (static_cast<uint32_t>(handle) >> kSlotBits)) return;
    s.type = s.held;
    s.held = HandleType::None;
}

}  // namespace kernel
