#include "model/RecordPool.h"

#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#define DENDROVA_RECORDS_FROM_HEAP 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define DENDROVA_RECORDS_FROM_HEAP 1
#endif
#endif

namespace record_pool {
namespace {

#ifndef DENDROVA_RECORDS_FROM_HEAP

constexpr std::size_t Alignment = alignof(std::max_align_t);
constexpr std::size_t SlabBytes = 256 * 1024;

std::size_t Rounded(std::size_t size) {
    return (size + Alignment - 1) / Alignment * Alignment;
}

// A released block holds the link to the next one.
struct FreeBlock {
    FreeBlock* next;
};

// One thread's share of one pool: its free list and what is left of its slab.
struct ThreadPool {
    FreeBlock* free = nullptr;
    char* unused = nullptr;
    char* end = nullptr;
};

thread_local ThreadPool pools[PoolCount];

// A new slab; kept for the run, and listed so that it stays reachable to the end.
char* NewSlab() {
    static std::mutex mutex;
    // Never destroyed: records of a static model may be released after static destructors.
    static auto* slabs = new std::vector<void*>;
    void* slab = std::aligned_alloc(Alignment, SlabBytes);
    if (slab) {
        const std::lock_guard<std::mutex> lock(mutex);
        try {
            slabs->push_back(slab);
        } catch (const std::bad_alloc&) {
            std::free(slab);
            return nullptr;
        }
    }
    return static_cast<char*>(slab);
}

#endif

} // namespace

void* Take(int pool, std::size_t size) noexcept {
#ifdef DENDROVA_RECORDS_FROM_HEAP
    (void)pool;
    return ::operator new(size, std::nothrow);
#else
    ThreadPool& p = pools[pool];
    if (FreeBlock* block = p.free) {
        p.free = block->next;
        return block;
    }
    size = Rounded(size);
    if (p.unused == nullptr || static_cast<std::size_t>(p.end - p.unused) < size) {
        char* slab = NewSlab();
        if (!slab) {
            return nullptr;
        }
        p.unused = slab;
        p.end = slab + SlabBytes;
    }
    void* block = p.unused;
    p.unused += size;
    return block;
#endif
}

void Give(int pool, void* block, std::size_t size) noexcept {
    if (!block) {
        return;
    }
#ifdef DENDROVA_RECORDS_FROM_HEAP
    (void)pool;
    ::operator delete(block, size);
#else
    (void)size;
    ThreadPool& p = pools[pool];
    p.free = new (block) FreeBlock{p.free};
#endif
}

bool ReusesBlocks() noexcept {
#ifdef DENDROVA_RECORDS_FROM_HEAP
    return false;
#else
    return true;
#endif
}

} // namespace record_pool
