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

namespace {

// Folds every value of a structure's records, in walk order, into one number.
void Fold(uint64_t& hash, const void* bytes, size_t size) {
    for (size_t i = 0; i < size; ++i) {
        hash = (hash ^ static_cast<const unsigned char*>(bytes)[i]) * 1099511628211ull;
    }
}

void FoldChain(uint64_t& hash, const Fork& fork) {
    Fold(hash, &fork.leafSize, sizeof fork.leafSize);
    for (const Segment* s = fork.first.get(); s; s = s->next.get()) {
        for (const double v : {s->twist, s->expand}) {
            Fold(hash, &v, sizeof v);
        }
        for (const float v : {s->length, s->radius}) {
            Fold(hash, &v, sizeof v);
        }
        if (s->leaf) {
            for (const float v : {s->leaf->angle, s->leaf->twist, s->leaf->size, s->leaf->jitter}) {
                Fold(hash, &v, sizeof v);
            }
        }
        if (s->fork) {
            FoldChain(hash, *s->fork);
        }
    }
}

uint64_t Fingerprint(const TreeModel& model) {
    uint64_t hash = 14695981039346656037ull;
    FoldChain(hash, model.trunk);
    return hash;
}

} // namespace

// Once a much smaller set of blocks is out, the slabs past it are freed; blocks taken
// afterwards, as many as before, come from slabs of their own and do not overlap.
TEST(RecordPool, SpareSlabsAreFreedAndTheNextLargeSetIsWhole) {
    if (!record_pool::ReusesBlocks()) {
        GTEST_SKIP() << "records come from the general-purpose allocator in this build";
    }
    std::vector<uint32_t*> large = TakeStamped(30000); // about a dozen slabs
    for (uint32_t* block : large) {
        record_pool::Give(Pool, block, Size);
    }
    std::vector<uint32_t*> small = TakeStamped(100);
    EXPECT_GE(record_pool::ReleaseSpare(), 8u);
    EXPECT_EQ(record_pool::ReleaseSpare(), 0u); // nothing more to free
    ExpectStampsIntact(small);
    std::vector<uint32_t*> again = TakeStamped(30000);
    ExpectStampsIntact(small);
    ExpectStampsIntact(again);
    for (uint32_t* block : again) {
        record_pool::Give(Pool, block, Size);
    }
    for (uint32_t* block : small) {
        record_pool::Give(Pool, block, Size);
    }
}

// A large tree, a small one (whose growth frees the slabs the large one left unused) and
// the large one again: the last is the same as the first, record for record.
TEST(RecordPool, LargeTreeAfterASmallOneIsTheSame) {
    TreeSession session(TreeParams{}, 5);
    session.params().totalDepth = 30.0f;
    session.Regrow();
    const uint64_t large = Fingerprint(session.model());
    const int64_t records = CountModel(session.model()).records();
    ASSERT_GT(records, 20000);
    session.params() = TreeParams{};
    session.Regrow();
    EXPECT_LT(CountModel(session.model()).records(), records / 4);
    session.params().totalDepth = 30.0f;
    session.Regrow();
    EXPECT_EQ(CountModel(session.model()).records(), records);
    EXPECT_EQ(Fingerprint(session.model()), large);
}
