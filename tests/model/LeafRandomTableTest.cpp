#include <algorithm>
#include <vector>

#include <gtest/gtest.h>

#include "model/LeafRandomTable.h"

namespace {
struct LeafRandomTableTest : ::testing::Test {
    void SetUp() override { FreeLeafRandomTable(); }
    void TearDown() override { FreeLeafRandomTable(); }
};
} // namespace

TEST_F(LeafRandomTableTest, FactorFormulaCoversHalfToOneAndAHalf) {
    EXPECT_EQ(LeafFactorFromSample(0), 0.5f);
    EXPECT_EQ(LeafFactorFromSample(32767), 1.5f);
    EXPECT_NEAR(LeafFactorFromSample(16384), 1.0f, 1e-4);
}

TEST_F(LeafRandomTableTest, EntriesLieInRangeAndSecondCreateKeepsTheFirstTable) {
    CreateLeafRandomTableSeeded(7);
    ASSERT_TRUE(leafRandomTable.entries);
    float first[LeafFactorCount];
    for (int i = 0; i < LeafFactorCount; ++i) {
        first[i] = leafRandomTable.entries[i];
        EXPECT_GE(first[i], 0.5f);
        EXPECT_LE(first[i], 1.5f);
    }
    CreateLeafRandomTableSeeded(8);
    CreateLeafRandomTable();
    for (int i = 0; i < LeafFactorCount; ++i) {
        EXPECT_EQ(leafRandomTable.entries[i], first[i]);
    }
    // The factors are spread out, not constant.
    float lo = 2, hi = 0;
    for (float f : first) {
        lo = std::min(lo, f);
        hi = std::max(hi, f);
    }
    EXPECT_LT(lo, 0.6f);
    EXPECT_GT(hi, 1.4f);
}

TEST_F(LeafRandomTableTest, FactorsAreHandedOutCyclicallyAndRestartOnReset) {
    CreateLeafRandomTableSeeded(3);
    ResetLeafFactors();
    std::vector<float> taken;
    for (int i = 0; i < 600; ++i) {
        taken.push_back(TakeLeafFactor());
    }
    for (int i = 0; i < 600; ++i) {
        EXPECT_EQ(taken[i], leafRandomTable.entries[i % 256]);
    }
    ResetLeafFactors();
    EXPECT_EQ(TakeLeafFactor(), taken[0]);
}

TEST_F(LeafRandomTableTest, WithoutATableLeavesGetTheNeutralFactor) {
    ResetLeafFactors();
    EXPECT_EQ(TakeLeafFactor(), 1.0f);
    FreeLeafRandomTable(); // freeing twice is harmless
    EXPECT_FALSE(leafRandomTable.entries);
}
