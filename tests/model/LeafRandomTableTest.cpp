#include <algorithm>
#include <vector>

#include <gtest/gtest.h>

#include "model/LeafRandomTable.h"

TEST(LeafRandomTable, FactorFormulaCoversHalfToOneAndAHalf) {
    EXPECT_EQ(LeafFactorFromSample(0), 0.5f);
    EXPECT_EQ(LeafFactorFromSample(32767), 1.5f);
    EXPECT_NEAR(LeafFactorFromSample(16384), 1.0f, 1e-4);
}

TEST(LeafRandomTable, EntriesLieInRangeAndOneSeedAlwaysGivesTheSameTable) {
    const LeafRandomTable table(7);
    EXPECT_EQ(table.seed, 7u);
    for (int i = 0; i < LeafFactorCount; ++i) {
        EXPECT_GE(table.entries[i], 0.5f);
        EXPECT_LE(table.entries[i], 1.5f);
    }
    // Drawn again from the same seed, later and elsewhere: the same factors.
    EXPECT_EQ(LeafRandomTable(7).entries, table.entries);
    EXPECT_NE(LeafRandomTable(8).entries, table.entries);
    EXPECT_EQ(LeafRandomTable().entries, LeafRandomTable(0).entries);
    // The factors are spread out, not constant.
    const auto [lo, hi] = std::minmax_element(table.entries.begin(), table.entries.end());
    EXPECT_LT(*lo, 0.6f);
    EXPECT_GT(*hi, 1.4f);
}

TEST(LeafRandomTable, FactorsAreHandedOutCyclically) {
    const LeafRandomTable table(3);
    for (int64_t i = 0; i < 600; ++i) {
        EXPECT_EQ(table.Factor(i), table.entries[i % 256]);
    }
    EXPECT_EQ(table.Factor(599999), table.entries[599999 % 256]);
}

TEST(LeafRandomTable, TablesAreValuesOfTheirOwn) {
    // Changing one table, or drawing another, leaves a copy as it was.
    LeafRandomTable first(3);
    const LeafRandomTable copy = first;
    first = LeafRandomTable(4);
    EXPECT_EQ(copy.seed, 3u);
    EXPECT_EQ(copy.entries, LeafRandomTable(3).entries);
    EXPECT_EQ(first.entries, LeafRandomTable(4).entries);
}
