#include <cmath>
#include <functional>
#include <vector>

#include <gtest/gtest.h>

#include "model/LeafRandomTable.h"
#include "model/TreeModel.h"
#include "model/TreeParams.h"
#include "model/TreeSession.h"

namespace {

// Every entry distinct, so a leaf's jitter tells which entry it took.
LeafRandomTable IndexedFactors() {
    LeafRandomTable factors(1);
    for (int i = 0; i < LeafFactorCount; ++i) {
        factors.entries[i] = 0.5f + i / 255.0f;
    }
    return factors;
}

int EntryOf(const Leaf& leaf) {
    return static_cast<int>(std::lround((leaf.jitter - 0.5f) * 255));
}

// A model grown the way a tree session grows it (its trunk linked to the root), from
// parameters and factors of its own.
struct GrownModel {
    GrownModel() { model.trunk.parent = &model.root; }
    void Grow() { model.Grow(params, factors); }

    TreeParams params;
    LeafRandomTable factors = IndexedFactors();
    TreeModel model;
};

struct TreeModelTest : ::testing::Test, GrownModel {};

std::vector<const Segment*> Chain(const Fork& fork) {
    std::vector<const Segment*> out;
    for (const Segment* s = fork.first.get(); s; s = s->next.get()) {
        out.push_back(s);
    }
    return out;
}

// Leaves in the order they were created: along a chain a segment's successors
// (with everything on them) come before its own leaf or branch.
void LeavesInGrowthOrder(const Segment* s, std::vector<const Leaf*>& out) {
    if (!s) {
        return;
    }
    LeavesInGrowthOrder(s->next.get(), out);
    if (s->leaf) {
        out.push_back(s->leaf.get());
    }
    if (s->fork) {
        LeavesInGrowthOrder(s->fork->first.get(), out);
    }
}

// Compares two structures field by field, every jitter included.
void ExpectSameChain(const Segment* a, const Segment* b) {
    for (; a && b; a = a->next.get(), b = b->next.get()) {
        ASSERT_EQ(a->length, b->length);
        ASSERT_EQ(a->radius, b->radius);
        ASSERT_EQ(a->twist, b->twist);
        ASSERT_EQ(a->expand, b->expand);
        ASSERT_EQ(a->sinTwist, b->sinTwist);
        ASSERT_EQ(a->cosExpand, b->cosExpand);
        ASSERT_EQ(!a->leaf, !b->leaf);
        if (a->leaf) {
            ASSERT_EQ(a->leaf->jitter, b->leaf->jitter);
            ASSERT_EQ(a->leaf->twist, b->leaf->twist);
            ASSERT_EQ(a->leaf->size, b->leaf->size);
            ASSERT_EQ(a->leaf->angle, b->leaf->angle);
        }
        ASSERT_EQ(!a->fork, !b->fork);
        if (a->fork) {
            ASSERT_EQ(a->fork->leafSize, b->fork->leafSize);
            ExpectSameChain(a->fork->first.get(), b->fork->first.get());
        }
    }
    ASSERT_EQ(a, b); // both chains end together
}

void ForEachSegment(const Fork& fork, const std::function<void(const Segment&)>& f) {
    for (const Segment* s = fork.first.get(); s; s = s->next.get()) {
        f(*s);
        if (s->fork) {
            ForEachSegment(*s->fork, f);
        }
    }
}

} // namespace

TEST_F(TreeModelTest, TotalsByTrunkCount) {
    struct Totals {
        int count;
        int64_t segments, branches, leaves;
    };
    const Totals table[] = {{4, 6, 1, 5},           {5, 10, 2, 8},           {10, 78, 21, 57},
                            {15, 398, 110, 288},    {19, 1189, 330, 859},    {20, 1588, 441, 1147},
                            {25, 5636, 1567, 4069}, {30, 17884, 4974, 12910}};
    for (const Totals& t : table) {
        SCOPED_TRACE(t.count);
        params.totalDepth = static_cast<float>(t.count);
        Grow();
        const ModelCounts counts = CountModel(model);
        EXPECT_EQ(Chain(model.trunk).size(), size_t(t.count));
        EXPECT_EQ(counts.segments, t.segments);
        EXPECT_EQ(counts.forks - 1, t.branches);
        EXPECT_EQ(counts.leaves, t.leaves);
        EXPECT_FALSE(model.lastGrowthCapped());
        EXPECT_EQ(model.lastGrowthRecords(), counts.records() - 1); // the trunk's Fork is embedded
        // Every leaf took one factor, in growth order, the first growth's first.
        std::vector<const Leaf*> order;
        LeavesInGrowthOrder(model.trunk.first.get(), order);
        ASSERT_EQ(order.size(), size_t(t.leaves));
        for (size_t i = 0; i < order.size(); ++i) {
            ASSERT_EQ(order[i]->jitter, factors.entries[i % 256]) << i;
        }
    }
}

TEST_F(TreeModelTest, BranchCountsBySproutingSegment) {
    const int expected[] = {2,  3,  4,  4,  5,  6,  7,  8,  8,  9,  10, 11, 12, 12,
                            13, 14, 15, 16, 17, 17, 18, 19, 20, 21, 21, 22, 23};
    params.totalDepth = 30;
    Grow();
    const auto trunk = Chain(model.trunk);
    ASSERT_EQ(trunk.size(), 30u);
    for (int i = 0; i < 30; ++i) {
        const int n = 29 - i;
        SCOPED_TRACE(n);
        if (n >= 3) {
            ASSERT_TRUE(trunk[i]->fork);
            EXPECT_FALSE(trunk[i]->leaf);
            EXPECT_EQ(Chain(*trunk[i]->fork).size(), size_t(expected[n - 3]));
        } else {
            EXPECT_FALSE(trunk[i]->fork);
            EXPECT_TRUE(trunk[i]->leaf);
        }
    }
}

TEST_F(TreeModelTest, WorkedExampleWithDefaults) {
    Grow();
    const auto trunk = Chain(model.trunk);
    ASSERT_EQ(trunk.size(), 19u);
    struct Row {
        const Segment* s;
        float length, radius, hexHeight;
        double expand, twist;
    };
    const auto branch0 = Chain(*trunk[0]->fork);
    const Row rows[] = {
        {trunk[0], 13.28f, 0.6f, 0.5196152f, 0, 0},
        {trunk[1], 5.5112f, 0.45f, 0.3897114f, 26.4, 61.02},
        {trunk[2], 4.5743f, 0.3375f, 0.2922836f, 26.4, 122.04},
        {trunk[3], 3.79667f, 0.253125f, 0.2192127f, 26.4, 183.06},
        {trunk[18], 0.2320457f, 0.0033826f, 0.0029294f, 26.4, 1098.36},
        {branch0[0], 5.5112f, 0.45f, 0.3897114f, 32.4, 241.02},
        {branch0[1], 4.5743f, 0.3375f, 0.2922836f, 26.4, 302.04},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(&r - rows);
        EXPECT_NEAR(r.s->length, r.length, 1e-5f * r.length + 1e-6f);
        EXPECT_NEAR(r.s->radius, r.radius, 1e-6f);
        EXPECT_NEAR(r.s->hexHeight, r.hexHeight, 1e-7f);
        EXPECT_NEAR(r.s->halfRadius, r.radius * 0.5f, 1e-6f);
        EXPECT_NEAR(r.s->expand, r.expand, 1e-4);
        EXPECT_NEAR(r.s->twist, r.twist, 1e-3);
        EXPECT_NEAR(r.s->sinTwist, std::sin(r.s->twist * double(DegToRad)), 1e-12);
        EXPECT_NEAR(r.s->cosExpand, std::cos(r.s->expand * double(DegToRad)), 1e-12);
    }
    // Branch counts and leaf sizes of the first three trunk segments.
    EXPECT_EQ(branch0.size(), 14u);
    EXPECT_NEAR(trunk[0]->fork->leafSize, 2.1182797f, 1e-6f);
    EXPECT_EQ(Chain(*trunk[1]->fork).size(), 13u);
    EXPECT_EQ(Chain(*trunk[2]->fork).size(), 12u);
    EXPECT_EQ(Chain(*trunk[3]->fork).size(), 12u);
    const Leaf& top = *trunk[18]->leaf;
    EXPECT_FLOAT_EQ(top.angle, 26.4f);
    EXPECT_FLOAT_EQ(top.size, 1.97f);
    EXPECT_NEAR(top.twist, 1339.38f, 1e-3f);
    EXPECT_EQ(model.generation(), 1u);
    EXPECT_EQ(model.grownSeed(), 1u);
}

TEST_F(TreeModelTest, LeafHeadingIsHalfATurnFromTheSuccessorTwist) {
    Grow();
    int checked = 0;
    ForEachSegment(model.trunk, [&](const Segment& s) {
        if (!s.leaf) {
            return;
        }
        const double successorTwist = params.segTwistAngle + s.twist;
        EXPECT_EQ(s.leaf->twist, static_cast<float>(successorTwist + 180.0));
        if (s.next) {
            EXPECT_NEAR(s.leaf->twist - s.next->twist, 180.0, 1e-3);
        }
        ++checked;
    });
    EXPECT_EQ(checked, 859);
}

TEST_F(TreeModelTest, LeavesTakeFactorsInGrowthOrderAndReuseThemCyclically) {
    Grow();
    const auto trunk = Chain(model.trunk);
    EXPECT_EQ(EntryOf(*trunk[18]->leaf), 0);
    EXPECT_EQ(EntryOf(*trunk[17]->leaf), 1);
    EXPECT_EQ(EntryOf(*trunk[16]->leaf), 2);
    // The branch of the fourth-to-last trunk segment has two segments, last one first.
    const auto branch = Chain(*trunk[15]->fork);
    ASSERT_EQ(branch.size(), 2u);
    EXPECT_EQ(EntryOf(*branch[1]->leaf), 3);
    EXPECT_EQ(EntryOf(*branch[0]->leaf), 4);

    std::vector<const Leaf*> order;
    LeavesInGrowthOrder(model.trunk.first.get(), order);
    ASSERT_EQ(order.size(), 859u);
    for (size_t i = 0; i < order.size(); ++i) {
        ASSERT_EQ(order[i]->jitter, factors.entries[i % 256]) << i;
    }
    EXPECT_EQ(order[256]->jitter, order[0]->jitter);
    // The branch of the trunk's first segment takes the last factors.
    std::vector<const Leaf*> firstBranch;
    LeavesInGrowthOrder(trunk[0]->fork->first.get(), firstBranch);
    EXPECT_EQ(firstBranch.back(), order.back());
}

TEST_F(TreeModelTest, RegrowthWithUnchangedParametersIsIdentical) {
    TreeSession a, b;
    a.Regrow();
    b.Regrow();
    b.Regrow();
    ExpectSameChain(a.model().trunk.first.get(), b.model().trunk.first.get());
    EXPECT_EQ(a.generation(), 1u);
    EXPECT_EQ(b.generation(), 2u);
    // With clock-seeded factors as well.
    const uint32_t seed = ClockSeed();
    a.Reseed(seed);
    b.Reseed(seed);
    a.Regrow();
    b.Regrow();
    ExpectSameChain(a.model().trunk.first.get(), b.model().trunk.first.get());
}

TEST_F(TreeModelTest, AnUnlinkedTrunkStartsFromAPlainSegment) {
    TreeModel model;
    model.Grow(params, factors);
    const auto trunk = Chain(model.trunk);
    ASSERT_EQ(trunk.size(), 19u);
    EXPECT_EQ(trunk[0]->length, 16.0f);
    EXPECT_EQ(trunk[0]->radius, 0.8f);
    EXPECT_EQ(trunk[0]->expand, 0.0);
    EXPECT_EQ(trunk[1]->length, 8.0f * 0.83f);
    EXPECT_EQ(model.trunk.parent, nullptr);
}

TEST_F(TreeModelTest, SmallestTreeAndClampedBranchCount) {
    params.totalDepth = 4.0f;
    Grow();
    auto trunk = Chain(model.trunk);
    ASSERT_TRUE(trunk[0]->fork);
    EXPECT_EQ(Chain(*trunk[0]->fork).size(), 2u); // 3 x 0.81 = 2.43

    params.sseDepAttenuate = 0.1f; // t = 0.3 is clamped to a one-segment branch
    Grow();
    trunk = Chain(model.trunk);
    const auto branch = Chain(*trunk[0]->fork);
    ASSERT_EQ(branch.size(), 1u);
    EXPECT_TRUE(branch[0]->leaf);
}

TEST_F(TreeModelTest, NarrowBifurcationStillOpensAwayFromTheSuccessor) {
    params.sseBifurcateAngle = 10.0f;
    Grow();
    const auto trunk = Chain(model.trunk);
    const Segment& first = *trunk[1]->fork->first;
    EXPECT_NEAR(first.expand, 16.4, 1e-5);
    EXPECT_NEAR(first.twist, trunk[2]->twist + 180.0, 1e-9);
}

TEST_F(TreeModelTest, FullDepthBranchingDoublesAndStaysUnderTheBudget) {
    params.sseDepAttenuate = 1.0f;
    Grow(); // count 19, every other parameter at its default
    const ModelCounts counts = CountModel(model);
    EXPECT_EQ(counts.segments, (1 << 18) - 1);
    EXPECT_FALSE(model.lastGrowthCapped());
    EXPECT_LT(counts.records(), GrowthBudget);
}

TEST_F(TreeModelTest, ExtremeCornerIsCappedDeterministicAndWalkable) {
    params.sseDepAttenuate = 1.0f;
    params.totalDepth = 30.0f;
    TreeModel& a = model;
    GrownModel b;
    Grow();
    EXPECT_TRUE(a.lastGrowthCapped());
    EXPECT_LE(a.lastGrowthRecords(), GrowthBudget);
    const ModelCounts counts = CountModel(a);
    EXPECT_EQ(counts.records() - 1, a.lastGrowthRecords());
    EXPECT_GT(counts.records(), GrowthBudget - 5);
    // Every chain the drawing can reach has a first segment.
    std::function<void(const Fork&)> walk = [&](const Fork& f) {
        ASSERT_TRUE(f.first);
        for (const Segment* s = f.first.get(); s; s = s->next.get()) {
            if (s->fork) {
                walk(*s->fork);
            }
        }
    };
    walk(a.trunk);
    b.params = params;
    b.Grow();
    ExpectSameChain(a.trunk.first.get(), b.model.trunk.first.get());
    // Back at the defaults the cap is lifted again.
    params = TreeParams{};
    Grow();
    EXPECT_FALSE(a.lastGrowthCapped());
    EXPECT_EQ(CountModel(a).segments, 1189);
}

TEST(GrowthBudgetState, ReservationStopsOnceExhausted) {
    GrowthBudgetState budget;
    budget.remaining = 3;
    EXPECT_TRUE(budget.reserve(2));
    EXPECT_FALSE(budget.reserve(2));
    EXPECT_TRUE(budget.capped);
    EXPECT_FALSE(budget.reserve(1)); // stays closed, so capping is deterministic
}
