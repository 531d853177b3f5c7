#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

#include "model/RecordPool.h"
#include "model/TreeModel.h"
#include "model/TreeParams.h"
#include "model/TreeSession.h"

namespace {

constexpr int Pool = 0;
constexpr size_t Size = 96;

// Takes `n` blocks and stamps each with its number over its whole length.
std::vector<uint32_t*> TakeStamped(size_t n) {
    std::vector<uint32_t*> blocks;
    for (size_t i = 0; i < n; ++i) {
        auto* block = static_cast<uint32_t*>(record_pool::Take(Pool, Size));
        EXPECT_NE(block, nullptr);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(block) % alignof(std::max_align_t), 0u);
        std::fill(block, block + Size / 4, static_cast<uint32_t>(i));
        blocks.push_back(block);
    }
    return blocks;
}

// Every block still holds its own stamp: none overlaps another.
void ExpectStampsIntact(const std::vector<uint32_t*>& blocks) {
    for (size_t i = 0; i < blocks.size(); ++i) {
        for (size_t k = 0; k < Size / 4; ++k) {
            ASSERT_EQ(blocks[i][k], i) << "block " << i << " word " << k;
        }
    }
}

} // namespace

// Blocks span several slabs without overlapping; released ones are taken again, and a
// block released on another thread than the one that took it is safe to reuse.
TEST(RecordPool, BlocksAreDistinctReusedAndMayChangeThreads) {
    std::vector<uint32_t*> blocks = TakeStamped(20000); // about 8 slabs
    ExpectStampsIntact(blocks);

    std::vector<uint32_t*> fromThread;
    std::thread([&] { fromThread = TakeStamped(3000); }).join();
    ExpectStampsIntact(fromThread);
    for (uint32_t* block : fromThread) {
        record_pool::Give(Pool, block, Size);
    }
    for (size_t i = 0; i < 5000; ++i) {
        record_pool::Give(Pool, blocks[i], Size);
    }
    std::vector<uint32_t*> released(blocks.begin(), blocks.begin() + 5000);
    released.insert(released.end(), fromThread.begin(), fromThread.end());
    std::sort(released.begin(), released.end());
    blocks.erase(blocks.begin(), blocks.begin() + 5000);
    // The released blocks come back before any new slab is cut.
    std::vector<uint32_t*> again = TakeStamped(8000);
    for (uint32_t* block : again) {
        if (record_pool::ReusesBlocks()) {
            EXPECT_TRUE(std::binary_search(released.begin(), released.end(), block));
        }
    }
    ExpectStampsIntact(again);
    for (size_t i = 0; i < blocks.size(); ++i) {
        std::fill(blocks[i], blocks[i] + Size / 4, static_cast<uint32_t>(i));
    }
    ExpectStampsIntact(blocks);
    for (uint32_t* block : again) {
        record_pool::Give(Pool, block, Size);
    }
    for (uint32_t* block : blocks) {
        record_pool::Give(Pool, block, Size);
    }
}

// Once every block is back, blocks are cut again from the first one on, in address
// order, rather than in the order a free list happens to hold them.
TEST(RecordPool, AllBlocksBackStartsAgainInAddressOrder) {
    if (!record_pool::ReusesBlocks()) {
        GTEST_SKIP() << "records come from the general-purpose allocator in this build";
    }
    std::vector<uint32_t*> first = TakeStamped(6000);
    // Released from the last to the first, and in a scattered order.
    for (size_t i = 0; i < first.size(); i += 2) {
        record_pool::Give(Pool, first[first.size() - 1 - i], Size);
    }
    for (size_t i = 1; i < first.size(); i += 2) {
        record_pool::Give(Pool, first[first.size() - 1 - i], Size);
    }
    std::vector<uint32_t*> second = TakeStamped(6000);
    EXPECT_EQ(second, first);
    for (uint32_t* block : second) {
        record_pool::Give(Pool, block, Size);
    }
}

// Trees grown and released over and over keep their shape while another thread takes and
// releases records of the same kinds.
TEST(RecordPool, RegrowthsKeepTheirTreesWhileAnotherThreadUsesThePools) {
    TreeSession session(TreeParams{}, 9);
    session.params().totalDepth = 22.0f;
    session.Regrow();
    const ModelCounts reference = CountModel(session.model());
    ASSERT_GT(reference.records(), 5000);
    std::thread other([] {
        for (int round = 0; round < 50; ++round) {
            std::vector<std::unique_ptr<Segment>> segments;
            std::vector<std::unique_ptr<Fork>> forks;
            for (int i = 0; i < 2000; ++i) {
                segments.push_back(std::make_unique<Segment>());
                segments.back()->length = static_cast<float>(i);
                forks.push_back(std::make_unique<Fork>());
            }
            for (int i = 0; i < 2000; ++i) {
                ASSERT_EQ(segments[i]->length, static_cast<float>(i));
            }
        }
    });
    for (int i = 0; i < 30; ++i) {
        session.Regrow();
        const ModelCounts counts = CountModel(session.model());
        EXPECT_EQ(counts.records(), reference.records());
    }
    other.join();
}
