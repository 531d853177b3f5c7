// The allocator's settings as the process sees them afterwards: where blocks come from,
// how many heaps the threads share, and memory given back. Each test runs in a process of
// its own (the settings hold for the whole process).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/AllocatorTuning.h"

#if defined(__GLIBC__) && !defined(__SANITIZE_ADDRESS__) && (__GLIBC_MINOR__ >= 33)
#include <barrier>
#include <malloc.h>
#define DENDROVA_GLIBC_HEAPS 1
#endif

namespace {

#ifdef DENDROVA_GLIBC_HEAPS

// Blocks mapped on their own, as the allocator counts them.
size_t MappedBlocks() {
    return mallinfo2().hblks;
}

// The heaps (arenas) the allocator has made so far, from its own report.
int HeapCount() {
    char* text = nullptr;
    size_t size = 0;
    FILE* out = open_memstream(&text, &size);
    malloc_info(0, out);
    std::fclose(out);
    const std::string report(text, size);
    std::free(text);
    int count = 0;
    for (size_t at = report.find("<heap nr="); at != std::string::npos;
         at = report.find("<heap nr=", at + 1)) {
        ++count;
    }
    return count;
}

double ResidentMiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::stod(line.substr(6)) / 1024.0;
        }
    }
    return 0.0;
}

#endif

} // namespace

// Once a block of some megabytes has been freed, glibc alone serves blocks below that size
// from its heaps; tuned, a block of 1 MiB still gets pages of its own, given back when
// freed.
TEST(AllocatorTuning, LargeBlocksStayMappedAfterALargerOneWasFreed) {
#ifndef DENDROVA_GLIBC_HEAPS
    GTEST_SKIP() << "not glibc's allocator";
#else
    TuneAllocator();
    void* volatile large = std::malloc(8 << 20); // volatile: not left out by the compiler
    std::free(large);
    const size_t before = MappedBlocks();
    void* block = std::malloc(1 << 20);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(MappedBlocks(), before + 1);
    std::free(block);
    EXPECT_EQ(MappedBlocks(), before);
#endif
}

// Eight threads allocating at the same time share the tuned number of heaps instead of
// making one each.
TEST(AllocatorTuning, ThreadsShareFewHeaps) {
#ifndef DENDROVA_GLIBC_HEAPS
    GTEST_SKIP() << "not glibc's allocator";
#else
    TuneAllocator();
    constexpr int Threads = 8;
    std::barrier allThere(Threads);
    std::vector<std::thread> threads;
    for (int i = 0; i < Threads; ++i) {
        threads.emplace_back([&] {
            std::vector<void*> blocks;
            for (int k = 0; k < 100; ++k) {
                blocks.push_back(std::malloc(200));
            }
            allThere.arrive_and_wait();
            for (void* block : blocks) {
                std::free(block);
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_LE(HeapCount(), 2);
#endif
}

// Small blocks freed below one still in use stay in the heap; returning the free memory
// gives their pages back to the system.
TEST(AllocatorTuning, FreeHeapMemoryGoesBackToTheSystem) {
#ifndef DENDROVA_GLIBC_HEAPS
    GTEST_SKIP() << "not glibc's allocator";
#else
    TuneAllocator();
    std::vector<char*> blocks;
    for (int i = 0; i < 4096; ++i) {
        blocks.push_back(static_cast<char*>(std::malloc(32 * 1024)));
        std::fill(blocks.back(), blocks.back() + 32 * 1024, static_cast<char>(i));
    }
    char* last = static_cast<char*>(std::malloc(32 * 1024)); // keeps the heap's end in use
    std::fill(last, last + 32 * 1024, 'x');
    const double full = ResidentMiB();
    for (char* block : blocks) {
        std::free(block);
    }
    EXPECT_GT(ResidentMiB(), full - 32.0) << "the heap was given back without asking";
    EXPECT_TRUE(ReturnFreeMemory());
    EXPECT_LT(ResidentMiB(), full - 100.0);
    EXPECT_EQ(last[100], 'x');
    std::free(last);
#endif
}
