#include "model/RecordPool.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <new>
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
// Slabs are aligned to their size, so the slab of a block is its address rounded down.
constexpr std::size_t SlabBytes = 256 * 1024;

constexpr std::size_t Rounded(std::size_t size) {
    return (size + Alignment - 1) / Alignment * Alignment;
}

// A released block holds the link to the next one.
struct FreeBlock {
    FreeBlock* next;
};

// The start of every slab: which thread's pool cuts its blocks, by a number never given
// twice (a thread started later may reuse a finished one's addresses).
struct SlabHeader {
    std::uint64_t owner;
};

constexpr std::size_t HeaderBytes = Rounded(sizeof(SlabHeader));

// One thread's share of one pool: its slabs in the order they were cut, the place in the
// current one, the blocks released here, and how many blocks of its own slabs are out.
struct ThreadPool {
    FreeBlock* free = nullptr;
    char* unused = nullptr;
    char* end = nullptr;
    std::vector<char*>* slabs = nullptr; // kept past the thread's end, as the slabs are
    std::size_t slab = 0;                // the current slab's place in `slabs`
    std::int64_t out = 0;
    std::uint64_t id = 0; // 0 until its first slab

    bool Owns(const void* block) const {
        const auto address = reinterpret_cast<std::uintptr_t>(block);
        return reinterpret_cast<const SlabHeader*>(address & ~(SlabBytes - 1))->owner == id;
    }

    // Moves to slab `index`, cutting a new one when there is none yet.
    bool UseSlab(std::size_t index);
};

thread_local ThreadPool pools[PoolCount];

// Every slab made and not freed, listed so that it stays reachable to the end.
std::mutex slabsMutex;
// Never destroyed: records of a static model may be released after static destructors.
std::vector<void*>* allSlabs = new std::vector<void*>;

// A new slab, listed.
char* NewSlab() {
    void* slab = std::aligned_alloc(SlabBytes, SlabBytes);
    if (slab) {
        const std::lock_guard<std::mutex> lock(slabsMutex);
        try {
            allSlabs->push_back(slab);
        } catch (const std::bad_alloc&) {
            std::free(slab);
            return nullptr;
        }
    }
    return static_cast<char*>(slab);
}

// Frees a slab made by NewSlab.
void FreeSlab(char* slab) {
    {
        const std::lock_guard<std::mutex> lock(slabsMutex);
        const auto at = std::find(allSlabs->begin(), allSlabs->end(), slab);
        if (at != allSlabs->end()) {
            allSlabs->erase(at);
        }
    }
    std::free(slab);
}

bool ThreadPool::UseSlab(std::size_t index) {
    try {
        if (!slabs) {
            static std::atomic<std::uint64_t> owners{0};
            slabs = new std::vector<char*>;
            id = ++owners;
        }
        if (index == slabs->size()) {
            char* fresh = NewSlab();
            if (!fresh) {
                return false;
            }
            slabs->push_back(fresh);
            new (fresh) SlabHeader{id};
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
    slab = index;
    unused = (*slabs)[index] + HeaderBytes;
    end = (*slabs)[index] + SlabBytes;
    return true;
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
        p.out += p.Owns(block) ? 1 : 0;
        return block;
    }
    size = Rounded(size);
    if (size > SlabBytes - HeaderBytes) {
        return nullptr;
    }
    if (p.unused == nullptr || static_cast<std::size_t>(p.end - p.unused) < size) {
        if (!p.UseSlab(p.unused == nullptr ? 0 : p.slab + 1)) {
            return nullptr;
        }
    }
    void* block = p.unused;
    p.unused += size;
    ++p.out;
    return block;
#endif
}

void Give(int pool, void* block, std::size_t size) noexcept {
    if (!block) {
        return;
    }
#ifdef DENDROVA_RECORDS_FROM_HEAP
    // The unsized form: clang offers the sized one only with -fsized-deallocation.
    (void)pool;
    (void)size;
    ::operator delete(block);
#else
    (void)size;
    ThreadPool& p = pools[pool];
    if (p.Owns(block) && --p.out == 0) {
        // Every block of this thread's slabs is back (a regrowth has just released the
        // whole tree): the next tree is cut from the first slab on, in growth order, which
        // keeps its records close together in memory. Blocks of other threads' slabs on
        // the free list are dropped; their owners never see them back, so never reuse them.
        p.free = nullptr;
        p.UseSlab(0);
        return;
    }
    p.free = new (block) FreeBlock{p.free};
#endif
}

std::size_t ReleaseSpare() noexcept {
    std::size_t freed = 0;
#ifndef DENDROVA_RECORDS_FROM_HEAP
    for (ThreadPool& p : pools) {
        if (!p.slabs || p.unused == nullptr) {
            continue;
        }
        // The slabs past the current one hold no block: the blocks are cut in slab order
        // from the first slab on, and a slab is passed only once it is full.
        const std::size_t used = p.slab + 1;
        if (2 * used >= p.slabs->size()) {
            continue;
        }
        for (std::size_t i = used; i < p.slabs->size(); ++i) {
            FreeSlab((*p.slabs)[i]);
            ++freed;
        }
        p.slabs->resize(used);
    }
#endif
    return freed;
}

bool ReusesBlocks() noexcept {
#ifdef DENDROVA_RECORDS_FROM_HEAP
    return false;
#else
    return true;
#endif
}

} // namespace record_pool
