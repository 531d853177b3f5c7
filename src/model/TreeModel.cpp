#include "model/TreeModel.h"

#include <bit>
#include <cmath>
#include <new>

namespace {

// Deletes the chain held by `link` starting from its last segment.
void ReleaseFromTail(std::unique_ptr<Segment>& link) {
    if (!link) {
        return;
    }
    ReleaseFromTail(link->next);
    link.reset();
}

double Radians(double degrees) {
    return degrees * static_cast<double>(DegToRad);
}

// Sine and cosine of an angle in degrees. A tree repeats few distinct angles (the twist
// accumulates the same increments along every chain), so results are remembered in a
// small direct-mapped table keyed by the angle's exact bits; a hit returns exactly what
// the computation would.
void SinCosDegrees(double degrees, double& sine, double& cosine) {
    struct Entry {
        uint64_t key;
        double sine, cosine;
        bool used;
    };
    static thread_local Entry table[256] = {};
    const uint64_t key = std::bit_cast<uint64_t>(degrees);
    Entry& e = table[(key * 0x9E3779B97F4A7C15ull) >> 56];
    if (!e.used || e.key != key) {
        e = {key, std::sin(Radians(degrees)), std::cos(Radians(degrees)), true};
    }
    sine = e.sine;
    cosine = e.cosine;
}

// Allocation that reports failure instead of throwing, so growth can stop cleanly.
template <typename T> std::unique_ptr<T> TryCreate(GrowthBudgetState& budget) {
    std::unique_ptr<T> record(new (std::nothrow) T);
    if (record) {
        budget.created++;
    } else {
        budget.capped = true;
        budget.remaining = 0;
    }
    return record;
}

} // namespace

bool GrowthBudgetState::affords(int64_t records) {
    if (capped || remaining < records) {
        capped = true;
        return false;
    }
    return true;
}

bool GrowthBudgetState::reserve(int64_t records) {
    if (!affords(records)) {
        return false;
    }
    remaining -= records;
    return true;
}

ChainLink::~ChainLink() {
    ReleaseFromTail(next);
}

Segment::~Segment() {
    fork.reset();
    leaf.reset();
}

void Segment::setExpand(double degrees) {
    expand = degrees;
    SinCosDegrees(degrees, sinExpand, cosExpand);
}

void Segment::setTwist(double degrees) {
    twist = degrees;
    SinCosDegrees(degrees, sinTwist, cosTwist);
}

void Segment::setRadius(double product) {
    radius = static_cast<float>(product);
    hexHeight = static_cast<float>(product * 0.8660254f);
    halfRadius = static_cast<float>(product * 0.5);
}

void Segment::Grow(int32_t n, float s, Growth& growth) {
    const TreeParams& p = growth.params;
    GrowthBudgetState& budget = growth.budget;
    if (n != 0 && budget.reserve(1)) {
        next = TryCreate<Segment>(budget);
        if (next) {
            Segment& successor = *next;
            successor.setExpand(p.segExpandAngle);
            successor.length = p.segLenAttenuate * length;
            successor.setRadius(static_cast<double>(p.segRadAttenuate) * radius);
            successor.setTwist(static_cast<double>(p.segTwistAngle) + twist);
            successor.Grow(n - 1, s, growth);
        }
    }
    if (n <= 2) {
        if (budget.reserve(1)) {
            leaf = TryCreate<Leaf>(budget);
            if (leaf) {
                leaf->jitter = growth.factors.Factor(growth.leaves++);
                leaf->angle = p.leafExpandAngle;
                leaf->size = s;
                leaf->twist =
                    static_cast<float>(static_cast<double>(p.segTwistAngle) + twist + 180.0);
            }
        }
        return;
    }
    // A fork is only worth creating together with its first segment, since the
    // drawing expects every chain to have one.
    if (!budget.affords(2) || !budget.reserve(1)) {
        return;
    }
    fork = TryCreate<Fork>(budget);
    if (!fork) {
        return;
    }
    fork->leafSize = s / p.sseScaleAttenuate;
    fork->parent = this;
    const float t = static_cast<float>(n) * p.sseDepAttenuate;
    const float m = static_cast<float>(n) < t ? static_cast<float>(n) : t;
    const int32_t c = m < 1.0f ? 1 : static_cast<int32_t>(m);
    if (!fork->Grow(c, growth)) {
        fork.reset();
    }
}

Fork::~Fork() {
    first.reset();
}

bool Fork::Grow(int32_t c, Growth& growth) {
    const TreeParams& params = growth.params;
    GrowthBudgetState& budget = growth.budget;
    first.reset();
    if (!budget.reserve(1)) {
        return false;
    }
    first = TryCreate<Segment>(budget);
    if (!first) {
        return false;
    }
    Segment& p = *first;
    if (parent) {
        const Segment& q = *parent;
        p.length = params.segLenAttenuate * q.length;
        p.setRadius(static_cast<double>(params.segRadAttenuate) * q.radius);
        if (q.next) {
            const Segment& r = *q.next;
            p.setExpand(std::fabs(static_cast<double>(params.sseBifurcateAngle) - r.expand));
            p.setTwist(r.twist + 180.0);
        }
    }
    p.Grow(c - 1, leafSize, growth);
    return true;
}

void TreeModel::Grow(const TreeParams& params, const LeafRandomTable& factors) {
    ++generation_;
    grownParams_ = params;
    grownSeed_ = factors.seed;
    const int32_t count = TrunkCount(params);
    trunk.leafSize = params.leafSize;
    // The old tree goes first, so that the old and the new never occupy memory together,
    // and so that the record pools, all their blocks back, cut the new tree's records in
    // growth order from their first slab on.
    trunk.first.reset();
    Growth growth{params, factors, 0, GrowthBudgetState{}};
    trunk.Grow(count < 1 ? 1 : count, growth);
    if (trunk.first) {
        trunk.first->length *= 2.0f;
    }
    // A much smaller tree than the last leaves most of the pools' slabs unused: they go.
    record_pool::ReleaseSpare();
    capped_ = growth.budget.capped;
    created_ = growth.budget.created;
}

namespace {
void CountChain(const Fork& fork, ModelCounts& counts) {
    counts.forks++;
    for (const Segment* s = fork.first.get(); s; s = s->next.get()) {
        counts.segments++;
        if (s->leaf) {
            counts.leaves++;
        }
        if (s->fork) {
            CountChain(*s->fork, counts);
        }
    }
}
} // namespace

ModelCounts CountModel(const TreeModel& model) {
    ModelCounts counts;
    CountChain(model.trunk, counts);
    return counts;
}
