#pragma once

#include <cstdint>

#include "model/LeafRandomTable.h"
#include "model/TreeModel.h"
#include "model/TreeParams.h"

// One tree and everything it is grown from: the thirteen parameters, the seed with its
// leaf factors, and the grown branch structure with its generation number. Nothing of it
// is shared: two sessions hold two independent trees, and growing one leaves the other
// (its structure, its generation, a mesh built from it) as it was.
//
// The parameters and the seed are changed first, then Regrow grows the tree from them;
// the three shadow parameters are read at draw time and need no regrowth.
class TreeSession {
public:
    // The default parameters and the factors of seed 0; no tree grown yet (generation 0).
    TreeSession();
    TreeSession(const TreeParams& params, uint32_t seed);
    TreeSession(const TreeSession&) = delete;
    TreeSession& operator=(const TreeSession&) = delete;

    const TreeParams& params() const { return params_; }
    TreeParams& params() { return params_; }

    uint32_t seed() const { return factors_.seed; }
    const LeafRandomTable& factors() const { return factors_; }
    // Draws the leaf factors from `seed`; the tree takes them at its next regrowth.
    void Reseed(uint32_t seed);

    // Grows the tree anew from the parameters and leaf factors as they are now: the only
    // way a session's tree is grown. Every regrowth gives a new generation.
    void Regrow();

    const TreeModel& model() const { return model_; }
    // 0 until the first regrowth, then one more with each.
    uint64_t generation() const { return model_.generation(); }

private:
    TreeParams params_;
    LeafRandomTable factors_;
    TreeModel model_;
};
