#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "model/TreeSession.h"

namespace {

// Every number of a structure in growth order, so that two trees compare as a whole.
void Flatten(const Segment* s, std::vector<double>& out) {
    for (; s; s = s->next.get()) {
        out.insert(out.end(), {s->length, s->radius, s->twist, s->expand});
        if (s->leaf) {
            out.insert(out.end(), {s->leaf->jitter, s->leaf->twist, s->leaf->size});
        }
        if (s->fork) {
            out.push_back(s->fork->leafSize);
            Flatten(s->fork->first.get(), out);
        }
        out.push_back(-1.0); // the end of a segment's own records
    }
}

std::vector<double> Flattened(const TreeSession& session) {
    std::vector<double> out;
    Flatten(session.model().trunk.first.get(), out);
    return out;
}

TreeParams Slender() {
    TreeParams p;
    p.totalDepth = 22.0f;
    p.segExpandAngle = 12.5f;
    p.leafSize = 3.0f;
    return p;
}

// The tree a session of its own grows from these parameters and this seed.
std::vector<double> LoneTree(const TreeParams& params, uint32_t seed) {
    TreeSession lone(params, seed);
    lone.Regrow();
    return Flattened(lone);
}

} // namespace

TEST(TreeSession, StartsUngrownWithTheDefaultsAndCountsItsOwnGrowths) {
    TreeSession session;
    EXPECT_EQ(session.generation(), 0u);
    EXPECT_EQ(session.seed(), 0u);
    EXPECT_FALSE(session.model().trunk.first);
    EXPECT_EQ(session.params().totalDepth, TreeParams{}.totalDepth);
    session.Regrow();
    session.Regrow();
    EXPECT_EQ(session.generation(), 2u);
    EXPECT_EQ(CountModel(session.model()).segments, 1189);
}

TEST(TreeSession, TwoSessionsGrowTheirOwnTreesInAnyOrder) {
    const std::vector<double> first = LoneTree(TreeParams{}, 11);
    const std::vector<double> second = LoneTree(Slender(), 22);
    ASSERT_NE(first, second);

    TreeSession a(TreeParams{}, 11);
    TreeSession b(Slender(), 22);
    b.Regrow();
    a.Regrow();
    EXPECT_EQ(Flattened(a), first);
    EXPECT_EQ(Flattened(b), second);
    a.Regrow();
    b.Regrow();
    b.Regrow();
    EXPECT_EQ(Flattened(a), first);
    EXPECT_EQ(Flattened(b), second);
}

TEST(TreeSession, ChangingAndGrowingOneLeavesTheOtherAlone) {
    TreeSession a(TreeParams{}, 11);
    TreeSession b(TreeParams{}, 11);
    a.Regrow();
    const std::vector<double> tree = Flattened(a);
    b.params() = Slender();
    b.Reseed(5);
    for (int i = 0; i < 3; ++i) {
        b.Regrow();
    }
    EXPECT_EQ(a.generation(), 1u);
    EXPECT_EQ(b.generation(), 3u);
    EXPECT_EQ(a.seed(), 11u);
    EXPECT_EQ(a.params().totalDepth, TreeParams{}.totalDepth);
    EXPECT_EQ(Flattened(a), tree);

    // A new seed reaches the tree at the next regrowth, not before.
    a.Reseed(12);
    EXPECT_EQ(Flattened(a), tree);
    EXPECT_EQ(a.generation(), 1u);
    a.Regrow();
    EXPECT_EQ(a.generation(), 2u);
    EXPECT_EQ(Flattened(a), LoneTree(TreeParams{}, 12));
    EXPECT_NE(Flattened(a), tree);
}

TEST(TreeSession, SessionsGrownAtTheSameTimeOnTwoThreadsGiveTheirLoneTrees) {
    const std::vector<double> first = LoneTree(TreeParams{}, 11);
    const std::vector<double> second = LoneTree(Slender(), 22);
    TreeSession a(TreeParams{}, 11);
    TreeSession b(Slender(), 22);
    auto grow = [](TreeSession& session) {
        for (int i = 0; i < 20; ++i) {
            session.Regrow();
        }
    };
    std::thread other(grow, std::ref(b));
    grow(a);
    other.join();
    EXPECT_EQ(Flattened(a), first);
    EXPECT_EQ(Flattened(b), second);
}
