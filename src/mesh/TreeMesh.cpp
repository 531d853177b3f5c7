#include "mesh/TreeMesh.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <functional>
#include <system_error>
#include <thread>

#include "mesh/MeshFrame.h"
#include "mesh/TreeGeometry.h"

namespace {

// A side branch one thread writes whole: where its chain starts and where in the arrays
// its first tube and first leaf go.
// How far along the branches a chain starts, for the wind data: the path length from the
// trunk's foot (in the tree's units, side-branch scales applied), the scale its segments
// are drawn at, and the phase of the limb it belongs to.
struct PathState {
    double along = 0.0;
    double scale = 1.0;
    float phase = 0.0f;
    bool inTrunk = true; // the trunk itself, whose side branches start limbs of their own
};

// A side branch one thread writes whole: where its chain starts and where in the arrays
// its first tube and first leaf go.
struct BranchTask {
    const Fork* chain;
    MeshFrame frame;
    PathState path;
    size_t barkAt;
    size_t leafAt;
};

// The phase of the limb that starts with the chain numbered `chain` in drawing order:
// spread over 0..1 by the golden ratio, so neighbouring limbs sway apart.
float LimbPhase(size_t chain) {
    const double x = static_cast<double>(chain) * 0.6180339887498949;
    return static_cast<float>(x - std::floor(x));
}

// Below this many vertices a structure is walked by one thread: starting another would
// cost more than it saves.
constexpr size_t ParallelVertices = 32768;
// A thread's share is split into about this many side branches, so that the threads
// finish close together however unevenly the branches are sized.
constexpr size_t BranchesPerThread = 16;

size_t VertexWeight(const TreeMeshLayout::ChainSize& size) {
    return TubeVertexCount * static_cast<size_t>(size.tubes) + 4 * static_cast<size_t>(size.leaves);
}

// Walks the structure in the order the immediate drawing does, with a MeshFrame in place
// of the matrix stack, and writes every tube and leaf it reaches at its cursors. With a
// layout and a branch size, side branches of at most that many vertices are not walked
// but handed out as tasks, the cursors moving past the room they will take.
class MeshBuilder {
public:
    MeshBuilder(const MeshDestination& to, float sideBranchScale)
        : to_(to), scale_(sideBranchScale) {}

    void HandOut(const TreeMeshLayout& layout, size_t branchVertices,
                 std::vector<BranchTask>& tasks) {
        layout_ = &layout;
        branchVertices_ = branchVertices;
        tasks_ = &tasks;
    }

    void MoveTo(size_t barkAt, size_t leafAt) {
        barkAt_ = barkAt;
        leafAt_ = leafAt;
    }

    size_t barkAt() const { return barkAt_; }
    size_t leafAt() const { return leafAt_; }
    const FrameStats& stats() const { return stats_; }

    void Chain(const Fork& chain, MeshFrame frame, PathState path = {}) {
        // The chain's entry in the layout, in the same order the measure walk took.
        ++chainIndex_;
        const Segment* cur = chain.first.get();
        if (!cur) {
            return;
        }
        // Without a parent the first segment only lends its ring to the second tube.
        if (chain.parent) {
            Tube(*cur, *chain.parent, frame, path);
            StepOver(*cur, frame, path);
        }
        while (const Segment* nxt = cur->next.get()) {
            if (cur->fork) {
                MeshFrame branch = frame;
                branch.Scale(scale_);
                PathState branchPath = path;
                branchPath.scale *= scale_;
                branchPath.inTrunk = false;
                if (path.inTrunk) {
                    branchPath.phase = LimbPhase(chainIndex_ + 1);
                }
                if (!HandedOut(*cur->fork, branch, branchPath)) {
                    Chain(*cur->fork, branch, branchPath);
                }
            }
            if (cur->leaf) {
                AddLeaf(*cur->leaf, frame, path);
            }
            Tube(*nxt, *cur, frame, path);
            StepOver(*nxt, frame, path);
            cur = nxt;
        }
        if (cur->leaf) {
            AddLeaf(*cur->leaf, frame, path);
        }
        stats_ += ChainStats;
    }

private:
    // Hands the side branch out as a task when it is small enough, reserving its room.
    bool HandedOut(const Fork& chain, const MeshFrame& frame, const PathState& path) {
        // The branch is the next chain the walk would enter.
        const size_t index = chainIndex_ + 1;
        if (!layout_ || index >= layout_->chains.size()) {
            return false;
        }
        const TreeMeshLayout::ChainSize& size = layout_->chains[index];
        if (VertexWeight(size) > branchVertices_) {
            return false;
        }
        tasks_->push_back({&chain, frame, path, barkAt_, leafAt_});
        barkAt_ += TubeVertexCount * static_cast<size_t>(size.tubes);
        leafAt_ += 4 * static_cast<size_t>(size.leaves);
        // The walk goes on as if it had entered the branch and all its chains.
        chainIndex_ = index + size.chains - 1;
        return true;
    }

    // From the bottom of `segment` to its top: the rotation first, so the translation
    // runs along the bent axis. Angle and axis go through floats, as the matrix calls
    // of the immediate drawing take them.
    static void StepOver(const Segment& segment, MeshFrame& frame, PathState& path) {
        frame.Rotate(static_cast<float>(segment.expand), static_cast<float>(segment.sinTwist), 0.0,
                     static_cast<float>(segment.cosTwist));
        frame.TranslateY(segment.length);
        path.along += segment.length * path.scale;
    }

    // The wind data of vertex `at`: for now the path length, made a weight at the end.
    static void PutWind(float* wind, size_t at, double along, float phase) {
        if (wind) {
            wind[2 * at] = static_cast<float>(along);
            wind[2 * at + 1] = phase;
        }
    }

    static void Put(float* positions, float* normals, float* texCoords, size_t at, const float p[3],
                    const float n[3], float s, float t) {
        std::copy(p, p + 3, positions + 3 * at);
        std::copy(n, n + 3, normals + 3 * at);
        texCoords[2 * at] = s;
        texCoords[2 * at + 1] = t;
    }

    // The tube of `segment` over the ring of `below`, whose top is the frame's origin.
    void Tube(const Segment& segment, const Segment& below, const MeshFrame& frame,
              const PathState& path) {
        if (below.radius * path.scale < to_.thinnerThan) {
            // Its wind data 0 too, so what is left of an earlier build cannot become the
            // longest path the weights are made relative to.
            std::fill_n(to_.barkPositions + 3 * barkAt_, 3 * TubeVertexCount, 0.0f);
            if (to_.barkWind) {
                std::fill_n(to_.barkWind + 2 * barkAt_, 2 * TubeVertexCount, 0.0f);
            }
            barkAt_ += TubeVertexCount;
            stats_ += TubeStats;
            return;
        }
        const double topAlong = path.along + segment.length * path.scale;
        for (const RingStep& step : RingSteps) {
            const auto [c, d] = RingCorner(step, below);
            const auto [a, b] = RingCorner(step, segment);
            // The bottom corner is also the normal of both vertices of the step.
            const float corner[3] = {c, 0.0f, d};
            float bottom[3], normal[3], top[3];
            frame.PointAndNormal(corner, bottom, normal);
            frame.Point(TopRingVertex(segment, a, b).data(), top);
            PutWind(to_.barkWind, barkAt_, path.along, path.phase);
            Put(to_.barkPositions, to_.barkNormals, to_.barkTexCoords, barkAt_++, bottom, normal,
                step.s, 0.0f);
            PutWind(to_.barkWind, barkAt_, topAlong, path.phase);
            Put(to_.barkPositions, to_.barkNormals, to_.barkTexCoords, barkAt_++, top, normal,
                step.s, 1.0f);
        }
        stats_ += TubeStats;
    }

    void AddLeaf(const Leaf& leaf, const MeshFrame& top, const PathState& path) {
        if (to_.leafStep > 1 && (leafAt_ / 4) % to_.leafStep != 0) {
            if (to_.leafWind) {
                std::fill_n(to_.leafWind + 2 * leafAt_, 2 * 4, 0.0f);
            }
            leafAt_ += 4;
            stats_ += LeafStats;
            return;
        }
        MeshFrame frame = top;
        const float s = LeafScale(leaf);
        frame.Scale(s);
        // Tilted about its own x axis first, then turned about the segment's axis.
        frame.Rotate(leaf.twist, 0.0, 1.0, 0.0);
        frame.Rotate(leaf.angle, 1.0, 0.0, 0.0);
        const std::array<float, 4> colour = LeafAmbient(leaf.jitter);
        for (const LeafCorner& corner : LeafQuad) {
            float p[3], n[3];
            frame.Point(corner.position, p);
            frame.Normal(corner.normal, n);
            std::copy(colour.begin(), colour.end(), to_.leafColours + 4 * leafAt_);
            PutWind(to_.leafWind, leafAt_, path.along, path.phase);
            Put(to_.leafPositions, to_.leafNormals, to_.leafTexCoords, leafAt_++, p, n,
                corner.tex[0], corner.tex[1]);
        }
        stats_ += LeafStats;
    }

    const MeshDestination& to_;
    float scale_;
    size_t barkAt_ = 0;
    size_t leafAt_ = 0;
    FrameStats stats_;
    // Handing out (the first walk only).
    const TreeMeshLayout* layout_ = nullptr;
    size_t branchVertices_ = 0;
    std::vector<BranchTask>* tasks_ = nullptr;
    size_t chainIndex_ = static_cast<size_t>(-1);
};

// Measures the chain and everything hanging off it, entering each chain into `chains` in
// the order MeshBuilder::Chain walks them.
TreeMeshLayout::ChainSize Measure(const Fork& chain,
                                  std::vector<TreeMeshLayout::ChainSize>& chains) {
    const size_t index = chains.size();
    chains.emplace_back();
    TreeMeshLayout::ChainSize size{0, 0, 1};
    const Segment* cur = chain.first.get();
    for (const Segment* s = cur; s; s = s->next.get()) {
        if (s != cur || chain.parent) {
            ++size.tubes;
        }
        if (s->leaf) {
            ++size.leaves;
        }
        // A side branch is walked only before a next segment (see MeshBuilder::Chain).
        if (s->fork && s->next) {
            const TreeMeshLayout::ChainSize branch = Measure(*s->fork, chains);
            size.tubes += branch.tubes;
            size.leaves += branch.leaves;
            size.chains += branch.chains;
        }
    }
    chains[index] = size;
    return size;
}

int ThreadsFor(int threads) {
    if (threads > 0) {
        return threads;
    }
    const unsigned processors = std::thread::hardware_concurrency();
    return processors == 0 ? 1 : static_cast<int>(std::min(processors, 16u));
}

template <typename T> size_t Bytes(const std::vector<T>& v) {
    return v.size() * sizeof(T);
}

size_t PartBytes(const MeshPart& p) {
    return Bytes(p.positions) + Bytes(p.normals) + Bytes(p.texCoords) + Bytes(p.indices) +
           Bytes(p.wind);
}

// Turns the path lengths the walk wrote into weights: the square of each over the longest.
void WeighWind(float* bark, size_t barkVertices, float* leaves, size_t leafVertices) {
    float longest = 0.0f;
    for (const auto& [wind, n] : {std::pair{bark, barkVertices}, std::pair{leaves, leafVertices}}) {
        for (size_t i = 0; wind && i < n; ++i) {
            longest = std::max(longest, wind[2 * i]);
        }
    }
    for (const auto& [wind, n] : {std::pair{bark, barkVertices}, std::pair{leaves, leafVertices}}) {
        for (size_t i = 0; wind && i < n; ++i) {
            const float t = longest > 0.0f ? std::clamp(wind[2 * i] / longest, 0.0f, 1.0f) : 0.0f;
            wind[2 * i] = t * t;
        }
    }
}

// Sizes `values` to `count` over the storage it holds. Storage too small is let go of
// before new storage is taken (with a quarter more room when there was some, as the tree
// grows again at the next move): growing a vector keeps its old storage until the new one
// is filled, and may take twice what it needs, so a mesh built over the last one at every
// move of a growing drag would otherwise hold up to three times its size for a moment.
template <typename T> void SizeOver(std::vector<T>& values, size_t count) {
    if (count > values.capacity()) {
        const bool had = values.capacity() > 0;
        std::vector<T>().swap(values);
        values.reserve(had ? count + count / 4 : count);
    }
    values.resize(count);
}

void Size(MeshPart& part, size_t vertices) {
    SizeOver(part.positions, 3 * vertices);
    SizeOver(part.normals, 3 * vertices);
    SizeOver(part.texCoords, 2 * vertices);
}

} // namespace

size_t TreeMesh::byteSize() const {
    return PartBytes(bark) + PartBytes(leaves) + Bytes(leafColours);
}

TreeMeshLayout MeasureTreeMesh(const TreeModel& model) {
    TreeMeshLayout layout;
    const TreeMeshLayout::ChainSize whole = Measure(model.trunk, layout.chains);
    layout.barkVertices = TubeVertexCount * static_cast<size_t>(whole.tubes);
    layout.leafVertices = 4 * static_cast<size_t>(whole.leaves);
    layout.model = &model;
    layout.modelGeneration = model.generation();
    return layout;
}

TreeMesh BuildTreeMeshInto(const TreeModel& model, const TreeParams& params,
                           const TreeMeshLayout& layout, const MeshDestination& to, int threads) {
    TreeMesh mesh;
    mesh.modelGeneration = model.generation();
    mesh.sideBranchScale = params.sseScaleAttenuate;
    // Another structure's sizes would send the writes past the arrays' ends.
    if (layout.model != &model || layout.modelGeneration != model.generation()) {
        return mesh;
    }
    threads = ThreadsFor(threads);
    const size_t vertices = layout.barkVertices + layout.leafVertices;
    MeshBuilder first(to, params.sseScaleAttenuate);
    std::vector<BranchTask> tasks;
    if (threads > 1 && vertices >= ParallelVertices) {
        first.HandOut(layout, vertices / (BranchesPerThread * static_cast<size_t>(threads)), tasks);
    }
    // The first walk writes the trunk and every branch too large to hand out.
    first.Chain(model.trunk, MeshFrame{});
    mesh.passStats = first.stats();

    std::atomic<size_t> next{0};
    std::vector<FrameStats> stats(static_cast<size_t>(threads));
    auto work = [&](FrameStats& out) {
        MeshBuilder builder(to, params.sseScaleAttenuate);
        for (size_t i = next++; i < tasks.size(); i = next++) {
            builder.MoveTo(tasks[i].barkAt, tasks[i].leafAt);
            builder.Chain(*tasks[i].chain, tasks[i].frame, tasks[i].path);
        }
        out = builder.stats();
    };
    std::vector<std::thread> helpers;
    if (!tasks.empty()) {
        for (int i = 1; i < threads; ++i) {
            try {
                helpers.emplace_back(work, std::ref(stats[static_cast<size_t>(i)]));
            } catch (const std::system_error&) {
                break; // no more threads to be had: the others take the rest
            }
        }
        work(stats[0]);
    }
    for (std::thread& helper : helpers) {
        helper.join();
    }
    for (const FrameStats& s : stats) {
        mesh.passStats += s;
    }
    WeighWind(to.barkWind, layout.barkVertices, to.leafWind, layout.leafVertices);
    return mesh;
}

void BuildTreeMeshOver(const TreeModel& model, const TreeParams& params,
                       const TreeMeshLayout& layout, TreeMesh& mesh, int threads, bool withWind,
                       const MeshDestination& leaveOut) {
    Size(mesh.bark, layout.barkVertices);
    Size(mesh.leaves, layout.leafVertices);
    mesh.bark.indices.clear();
    mesh.leaves.indices.clear();
    SizeOver(mesh.leafColours, 4 * layout.leafVertices);
    MeshDestination to{mesh.bark.positions.data(), mesh.bark.normals.data(),
                       mesh.bark.texCoords.data(), mesh.leaves.positions.data(),
                       mesh.leaves.normals.data(), mesh.leaves.texCoords.data(),
                       mesh.leafColours.data()};
    to.thinnerThan = leaveOut.thinnerThan;
    to.leafStep = std::max<uint32_t>(leaveOut.leafStep, 1);
    if (withWind) {
        SizeOver(mesh.bark.wind, 2 * layout.barkVertices);
        SizeOver(mesh.leaves.wind, 2 * layout.leafVertices);
        to.barkWind = mesh.bark.wind.data();
        to.leafWind = mesh.leaves.wind.data();
    } else {
        mesh.bark.wind.clear();
        mesh.leaves.wind.clear();
    }
    const TreeMesh built = BuildTreeMeshInto(model, params, layout, to, threads);
    mesh.passStats = built.passStats;
    mesh.modelGeneration = built.modelGeneration;
    mesh.sideBranchScale = built.sideBranchScale;
}

TreeMesh BuildTreeMesh(const TreeModel& model, const TreeParams& params, bool withIndices,
                       int threads, bool withWind) {
    const TreeMeshLayout layout = MeasureTreeMesh(model);
    TreeMesh mesh;
    BuildTreeMeshOver(model, params, layout, mesh, threads, withWind);
    if (withIndices) {
        mesh.bark.indices.reserve(3 * 12 * (layout.barkVertices / TubeVertexCount));
        for (uint32_t base = 0; base < layout.barkVertices; base += TubeVertexCount) {
            for (const uint8_t i : TubeTriangles) {
                mesh.bark.indices.push_back(base + i);
            }
        }
        mesh.leaves.indices.reserve(6 * (layout.leafVertices / 4));
        for (uint32_t base = 0; base < layout.leafVertices; base += 4) {
            for (const uint32_t i : {base, base + 1, base + 2, base, base + 2, base + 3}) {
                mesh.leaves.indices.push_back(i);
            }
        }
    }
    return mesh;
}
