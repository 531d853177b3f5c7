#pragma once

#include <cstdint>
#include <memory>

#include "model/LeafRandomTable.h"
#include "model/RecordPool.h"
#include "model/TreeParams.h"

// The branch structure: chains of hexagonal tube segments. Every segment carries one
// attachment at its upper end, a side branch (Fork) or a leaf cluster (Leaf). Each
// record owns its children outright; their memory comes from the record pools.

// The most records (segments, forks and leaves) one growth may create. The structure
// grows as 2^(count-1) when side branches keep nearly the full remaining count; this
// cap keeps such a tree within memory and its regrowth and drawing interactive. Every
// tree reachable with all but one parameter at its default stays below it.
inline constexpr int64_t GrowthBudget = 600000;

class Segment;
class Fork;
struct Leaf;

// Bookkeeping of one growth: how many records it may still create.
struct GrowthBudgetState {
    int64_t remaining = GrowthBudget;
    int64_t created = 0;
    bool capped = false;

    // True when `records` more records fit; otherwise false, and the growth is capped.
    bool affords(int64_t records);
    // Reserves `records` records; false (and capped) once the budget cannot cover them.
    bool reserve(int64_t records);
};

// What one growth reads and counts as it goes: the parameters, the leaf factors with the
// number of leaves made so far (the next leaf takes the factor of that number), and the
// record budget. Made afresh by every growth, so nothing of one carries over to the next.
struct Growth {
    const TreeParams& params;
    const LeafRandomTable& factors;
    int64_t leaves = 0;
    GrowthBudgetState budget;
};

class ChainLink {
public:
    ChainLink() = default;
    ChainLink(const ChainLink&) = delete;
    ChainLink& operator=(const ChainLink&) = delete;
    // Releases the chain behind this link from its tail towards this link.
    virtual ~ChainLink();

    std::unique_ptr<Segment> next;
};

class Segment final : public ChainLink, public PooledRecord<0> {
public:
    Segment() = default;
    // Deletes the side branch, then the leaf, then the chain behind.
    ~Segment() override;

    void setExpand(double degrees);
    void setTwist(double degrees);
    // `product` is the unrounded radius; the hexagon's half-widths derive from it.
    void setRadius(double product);

    // Grows the rest of the chain: n segments still follow this one; s is the leaf size.
    void Grow(int32_t n, float s, Growth& growth);

    double sinTwist = 0.0;
    double cosTwist = 1.0;
    double twist = 0.0;
    double sinExpand = 0.0;
    double cosExpand = 1.0;
    double expand = 0.0;
    float length = 8.0f;
    float radius = 0.8f;
    float halfRadius = 0.4f;
    float hexHeight = 0.6928203f;
    std::unique_ptr<Fork> fork;
    std::unique_ptr<Leaf> leaf;
};

class Fork final : public PooledRecord<1> {
public:
    Fork() = default;
    Fork(const Fork&) = delete;
    Fork& operator=(const Fork&) = delete;
    virtual ~Fork();

    // Replaces the chain with a new one of c segments; true when a first segment exists.
    bool Grow(int32_t c, Growth& growth);

    std::unique_ptr<Segment> first;
    Segment* parent = nullptr; // the segment this chain sprouts from; not owned
    float leafSize = 0.0f;
};

struct Leaf final : PooledRecord<2> {
    float angle = 0.0f;  // tilt, degrees
    float twist = 0.0f;  // heading about the segment's axis, degrees
    float size = 1.0f;   // the chain's leaf size at growth time
    float jitter = 1.0f; // random size and tint factor, 0.5 to 1.5: its leaf factor
};

// Record counts of a structure, the trunk's own Fork included in `forks`.
struct ModelCounts {
    int64_t segments = 0;
    int64_t forks = 0;
    int64_t leaves = 0;
    int64_t records() const { return segments + forks + leaves; }
};

class TreeModel {
public:
    TreeModel() = default;
    TreeModel(const TreeModel&) = delete;
    TreeModel& operator=(const TreeModel&) = delete;
    virtual ~TreeModel() = default;

    // Regrows the trunk from scratch: TrunkCount(params) segments (at least one), shaped
    // by `params`, its leaves taking the factors of `factors` in growth order from the
    // first. The trunk grows from `root` when linked to it (trunk.parent; a tree session
    // links it), otherwise from a plain segment. Reads nothing else; the same parameters
    // and factors give the same structure.
    void Grow(const TreeParams& params, const LeafRandomTable& factors);

    // Whether the last growth ran out of its record budget, and how many it created.
    bool lastGrowthCapped() const { return capped_; }
    int64_t lastGrowthRecords() const { return created_; }

    // Counts this model's growths: changes with every growth and only then, 0 until the
    // first. Whatever is derived from the structure (its mesh) is stale when its
    // generation differs.
    uint64_t generation() const { return generation_; }
    // What the last growth was grown from: its parameters and its leaf factors' seed.
    const TreeParams& grownParams() const { return grownParams_; }
    uint32_t grownSeed() const { return grownSeed_; }

    Segment root;
    Fork trunk;

private:
    bool capped_ = false;
    int64_t created_ = 0;
    uint64_t generation_ = 0;
    TreeParams grownParams_;
    uint32_t grownSeed_ = 0;
};

ModelCounts CountModel(const TreeModel& model);
