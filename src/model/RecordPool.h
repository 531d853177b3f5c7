#pragma once

#include <cstddef>
#include <new>

// Memory for the branch structure's records: blocks of one size cut from large slabs, and
// kept on a free list once released. A regrowth releases a whole tree and at once takes
// one of about the same size; the general-purpose allocator spent more time on those
// hundreds of thousands of small blocks (sorting and merging them between the renderer's
// large allocations) than the growth itself, the pool spends a few instructions a record.
//
// Each thread keeps its own free lists and slabs, so no lock is taken; a record may be
// released on another thread than the one that made it. Once every block a thread cut is
// back with it (a regrowth has released the whole tree), it cuts the next ones from its
// first slab on again, so that a tree's records lie in memory in growth order, as the
// walks over it go. Slabs are kept from one tree to the next; once a tree has taken less
// than half of a thread's slabs, ReleaseSpare gives the ones it left unused back to the
// general-purpose allocator, so a large tree's memory is not held for a small one. Under
// the address
// sanitizer every record comes from the general-purpose allocator instead, so that a
// record used after its release is still caught.
namespace record_pool {

// The pools: one per kind of record.
inline constexpr int PoolCount = 3;

// A block of `size` bytes (at most 256) from pool `pool`; null when no memory can be had.
void* Take(int pool, std::size_t size) noexcept;
// Returns a block taken from pool `pool` with the same size.
void Give(int pool, void* block, std::size_t size) noexcept;
// Frees the calling thread's slabs past the one it cuts from, in every pool, when that
// leaves fewer than half of them in use; call it after a growth, when every such slab is
// unused. Returns how many slabs were freed.
std::size_t ReleaseSpare() noexcept;
// False when the records come from the general-purpose allocator (address sanitizer).
bool ReusesBlocks() noexcept;

} // namespace record_pool

// Gives a record class its memory from pool `Pool`. The class must be final, so that every
// object of it has its size.
template <int Pool> struct PooledRecord {
    static_assert(Pool >= 0 && Pool < record_pool::PoolCount);

    static void* operator new(std::size_t size) {
        if (void* block = record_pool::Take(Pool, size)) {
            return block;
        }
        throw std::bad_alloc();
    }
    static void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
        return record_pool::Take(Pool, size);
    }
    static void operator delete(void* block, std::size_t size) noexcept {
        record_pool::Give(Pool, block, size);
    }
};
