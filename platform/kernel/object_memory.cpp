#include "platform/kernel/object_memory.h"

#include <algorithm>
#include <bit>
#include <new>

namespace kernel {

namespace {

constexpr std::size_t kStep = 16;  // operator new's alignment
constexpr std::size_t kLargest = 512;
constexpr std::size_t kClasses = kLargest / kStep;
constexpr std::size_t kSlabBytes = 64 * 1024;
// Blocks above kLargest: powers of two from 1 KiB to 16 MiB.
constexpr int kFirstLargeShift = 10;
constexpr int kLastLargeShift = 24;
constexpr std::size_t kLargestPooled = std::size_t{1} << kLastLargeShift;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kPooled = false;
#else
constexpr bool kPooled = true;
#endif

// The blocks of one size: free ones on a list threaded through them, new
// ones cut from the current slab. Plain pointers only, so the classes are
// ready before any code runs and are never destroyed: objects still alive
// at process exit (a database that nobody discarded) give their blocks
// back from destructors that may run after every other static has gone.
class SizeClass {
public:
    void* Take(std::size_t blockSize)
    {
        if (free_) {
            FreeBlock* block = free_;
            free_ = block->next;
            return block;
        }
        if (static_cast<std::size_t>(end_ - next_) < blockSize) NewSlab();
        void* block = next_;
        next_ += blockSize;
        return block;
    }

    void Give(void* block) noexcept { free_ = ::new (block) FreeBlock{free_}; }

private:
    struct FreeBlock {
        FreeBlock* next;
    };
    // The start of every slab links to the slab made before it, so that
    // every slab stays reachable for the life of the process.
    struct Slab {
        Slab* previous;
    };

    void NewSlab()
    {
        auto* slab = ::new (::operator new(kSlabBytes)) Slab{slabs_};
        slabs_ = slab;
        next_ = reinterpret_cast<char*>(slab) + kStep;
        end_ = reinterpret_cast<char*>(slab) + kSlabBytes;
    }

    FreeBlock* free_ = nullptr;
    char* next_ = nullptr;
    char* end_ = nullptr;
    Slab* slabs_ = nullptr;
};

constinit SizeClass g_classes[kClasses];

SizeClass& ClassOf(std::size_t size)
{
    return g_classes[(size + kStep - 1) / kStep - 1];
}

std::size_t BlockSize(std::size_t size)
{
    return (size + kStep - 1) / kStep * kStep;
}

// The freed blocks of one power-of-two size above kLargest, on a list
// threaded through them; a new one comes from the general allocator.
class LargeClass {
public:
    void* Take(std::size_t blockSize)
    {
        if (!free_) return ::operator new(blockSize);
        FreeBlock* block = free_;
        free_ = block->next;
        return block;
    }

    void Give(void* block) noexcept { free_ = ::new (block) FreeBlock{free_}; }

private:
    struct FreeBlock {
        FreeBlock* next;
    };
    FreeBlock* free_ = nullptr;
};

constinit LargeClass g_largeClasses[kLastLargeShift - kFirstLargeShift + 1];

// The power of two a large block of `size` bytes takes.
int LargeShift(std::size_t size)
{
    return std::max(kFirstLargeShift, static_cast<int>(std::bit_width(size - 1)));
}

}  // namespace

void* AllocateObjectMemory(std::size_t size)
{
    if (!kPooled || size == 0 || size > kLargestPooled) return ::operator new(size);
    if (size > kLargest) {
        const int shift = LargeShift(size);
        return g_largeClasses[shift - kFirstLargeShift].Take(std::size_t{1} << shift);
    }
    return ClassOf(size).Take(BlockSize(size));
}

void FreeObjectMemory(void* block, std::size_t size) noexcept
{
    if (!block) return;
    if (!kPooled || size == 0 || size > kLargestPooled) {
        ::operator delete(block, size);
        return;
    }
    if (size > kLargest) {
        g_largeClasses[LargeShift(size) - kFirstLargeShift].Give(block);
        return;
    }
    ClassOf(size).Give(block);
}

}  // namespace kernel
