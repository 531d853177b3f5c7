#include "platform/AllocatorTuning.h"

// Any C library header defines __GLIBC__ under glibc; without one first, the test below
// never sees it and the settings silently do nothing.
#include <cstdlib>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace {

// Blocks from this size on get pages of their own from the system and give them back
// when freed. glibc raises its own threshold to the largest block freed so far (up to
// 32 MiB), after which the mesh's buffers, each some megabytes and remade a little larger
// as a slider drag grows the tree, were cut from the heaps and left them holding hundreds
// of free megabytes. A fixed threshold keeps them out.
constexpr int MapThresholdBytes = 256 * 1024;

// The heaps the allocator may keep. Every thread that allocates otherwise gets one of its
// own, up to eight per processor: the mesh's worker threads, made anew for every build,
// and the driver's rasterizer threads each left a heap behind, with its free memory cut
// into pieces no other thread reuses. Two (the main thread's and one the others share)
// keep that memory together; the threads allocate little, so they seldom wait on a lock.
constexpr int HeapCount = 2;

} // namespace

void TuneAllocator() {
#if defined(__GLIBC__)
    mallopt(M_MMAP_THRESHOLD, MapThresholdBytes);
    mallopt(M_ARENA_MAX, HeapCount);
#endif
}

bool ReturnFreeMemory() {
#if defined(__GLIBC__)
    return malloc_trim(0) != 0;
#else
    return false;
#endif
}
