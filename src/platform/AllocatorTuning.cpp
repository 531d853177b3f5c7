#include "platform/AllocatorTuning.h"

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

} // namespace

void TuneAllocator() {
#if defined(__GLIBC__)
    mallopt(M_MMAP_THRESHOLD, MapThresholdBytes);
#endif
}

bool ReturnFreeMemory() {
#if defined(__GLIBC__)
    return malloc_trim(0) != 0;
#else
    return false;
#endif
}
