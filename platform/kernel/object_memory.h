// The memory of design objects. Every Object is allocated here (its class
// operators new and delete), and so are the point records of wires and
// traces (ObjectMemoryAllocator): blocks of one size class (steps of 16 bytes up
// to 512) are cut from slabs of 64 KiB, and the block of an object that goes
// waits on its class's free list for the next object of that size. Objects
// of one kind so lie side by side in the order they were made, and making
// or destroying one costs a few instructions: the general allocator, which
// keeps every block among those of all sizes and merges freed neighbours,
// made creation, deletion and the discarding of a design several times
// slower than the standard containers doing the same work, and walks read
// objects scattered between the blocks of other allocations.
//
// Slabs stay with the process: the memory of a discarded design serves the
// next one. Larger blocks (a level, a symbol, the key tables and name
// indexes of maps, long point lists) come in sizes of powers of two up to
// 16 MiB, each taken from the general allocator once and then kept on its
// size's free list for the process's life as well: a map's key table grows
// by doubling, and a design read from an image or built anew grows every
// table of every map again. Given back to the system and asked for again,
// that memory cost a page fault per 4 KiB each time, tens of microseconds
// apiece on some virtual machines. Blocks above 16 MiB take the general
// allocator, and so does everything in a build with AddressSanitizer,
// which checks the use of freed memory only for blocks of the general
// allocator.
#pragma once

#include <cstddef>

namespace kernel {

// A block of at least `size` bytes, aligned as operator new aligns.
void* AllocateObjectMemory(std::size_t size);
// Gives back a block that AllocateObjectMemory(size) returned.
void FreeObjectMemory(void* block, std::size_t size) noexcept;

// The same memory for the storage an object or a map owns (the point
// records of a wire or a trace, a map's key table and name index), as a
// standard allocator.
template <class T>
struct ObjectMemoryAllocator {
    using value_type = T;

    ObjectMemoryAllocator() = default;
    template <class U>
    ObjectMemoryAllocator(const ObjectMemoryAllocator<U>&) noexcept
    {
    }

    T* allocate(std::size_t n) { return static_cast<T*>(AllocateObjectMemory(n * sizeof(T))); }
    void deallocate(T* block, std::size_t n) noexcept { FreeObjectMemory(block, n * sizeof(T)); }

    template <class U>
    bool operator==(const ObjectMemoryAllocator<U>&) const noexcept
    {
        return true;
    }
};

}  // namespace kernel
