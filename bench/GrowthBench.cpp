// Regrowth of the branch structure at several trunk counts, against a baseline that
// only allocates and frees as many records of the same sizes; and the tree mesh built
// from the grown structure, against the regrowth.
#include <memory>
#include <vector>

#include <benchmark/benchmark.h>

#include "mesh/TreeMesh.h"
#include "model/TreeModel.h"
#include "model/TreeParams.h"
#include "model/TreeSession.h"

namespace {

// Grows the tree of `session` with the given trunk count and side-branch depth ratio.
void Grow(TreeSession& session, int count, float depAttenuate) {
    session.params().totalDepth = static_cast<float>(count);
    session.params().sseDepAttenuate = depAttenuate;
    session.Reseed(1);
    session.Regrow();
}

void Regrow(benchmark::State& state, int count, float depAttenuate) {
    TreeSession session;
    Grow(session, count, depAttenuate);
    for (auto _ : state) {
        session.Regrow();
        benchmark::ClobberMemory();
    }
    const TreeModel& model = session.model();
    const ModelCounts counts = CountModel(model);
    state.counters["records"] = static_cast<double>(counts.records());
    state.counters["records/s"] = benchmark::Counter(static_cast<double>(counts.records()),
                                                     benchmark::Counter::kIsIterationInvariantRate);
    state.counters["capped"] = model.lastGrowthCapped() ? 1 : 0;
}

// Allocates and frees the same mix of records without computing anything.
void AllocateOnly(benchmark::State& state, int count, float depAttenuate) {
    TreeSession session;
    Grow(session, count, depAttenuate);
    const ModelCounts counts = CountModel(session.model());
    std::vector<std::unique_ptr<Segment>> segments;
    std::vector<std::unique_ptr<Fork>> forks;
    std::vector<std::unique_ptr<Leaf>> leaves;
    segments.reserve(counts.segments);
    forks.reserve(counts.forks);
    leaves.reserve(counts.leaves);
    for (auto _ : state) {
        for (int64_t i = 0; i < counts.segments; ++i) {
            segments.emplace_back(new Segment);
        }
        for (int64_t i = 0; i < counts.forks; ++i) {
            forks.emplace_back(new Fork);
        }
        for (int64_t i = 0; i < counts.leaves; ++i) {
            leaves.emplace_back(new Leaf);
        }
        segments.clear();
        forks.clear();
        leaves.clear();
        benchmark::ClobberMemory();
    }
    state.counters["records"] = static_cast<double>(counts.records());
    state.counters["records/s"] = benchmark::Counter(static_cast<double>(counts.records()),
                                                     benchmark::Counter::kIsIterationInvariantRate);
}

// Builds the mesh of an unchanged structure.
void BuildMesh(benchmark::State& state, int count, float depAttenuate) {
    TreeSession session;
    Grow(session, count, depAttenuate);
    size_t bytes = 0;
    for (auto _ : state) {
        const TreeMesh mesh = BuildTreeMesh(session.model(), session.params());
        bytes = mesh.byteSize();
        benchmark::DoNotOptimize(mesh.bark.positions.data());
    }
    state.counters["MB"] = static_cast<double>(bytes) / 1e6;
}

// Writes the mesh of an unchanged structure into arrays made once, as the viewer writes
// it into its mapped buffer objects: the measuring walk and the build, by one thread or
// by one per processor.
void BuildMeshInto(benchmark::State& state, int count, float depAttenuate, int threads) {
    TreeSession session;
    Grow(session, count, depAttenuate);
    const TreeModel& model = session.model();
    const TreeMeshLayout sizes = MeasureTreeMesh(model);
    std::vector<float> bark(8 * sizes.barkVertices), leaves(12 * sizes.leafVertices);
    const MeshDestination to{bark.data(),
                             bark.data() + 3 * sizes.barkVertices,
                             bark.data() + 6 * sizes.barkVertices,
                             leaves.data(),
                             leaves.data() + 3 * sizes.leafVertices,
                             leaves.data() + 6 * sizes.leafVertices,
                             leaves.data() + 8 * sizes.leafVertices};
    for (auto _ : state) {
        const TreeMeshLayout layout = MeasureTreeMesh(model);
        const TreeMesh mesh = BuildTreeMeshInto(model, session.params(), layout, to, threads);
        benchmark::DoNotOptimize(mesh.passStats);
        benchmark::ClobberMemory();
    }
}

} // namespace

BENCHMARK_CAPTURE(Regrow, count19, 19, 0.81f)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(AllocateOnly, count19, 19, 0.81f)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Regrow, count25, 25, 0.81f)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(AllocateOnly, count25, 25, 0.81f)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Regrow, count30, 30, 0.81f)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(AllocateOnly, count30, 30, 0.81f)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Regrow, cappedExtreme, 30, 1.0f)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(AllocateOnly, cappedExtreme, 30, 1.0f)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BuildMesh, count19, 19, 0.81f)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BuildMesh, count25, 25, 0.81f)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BuildMesh, count30, 30, 0.81f)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BuildMesh, cappedExtreme, 30, 1.0f)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BuildMeshInto, count19_oneThread, 19, 0.81f, 1)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BuildMeshInto, count19, 19, 0.81f, 0)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BuildMeshInto, count30_oneThread, 30, 0.81f, 1)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BuildMeshInto, count30, 30, 0.81f, 0)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BuildMeshInto, cappedExtreme_oneThread, 30, 1.0f, 1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BuildMeshInto, cappedExtreme, 30, 1.0f, 0)->Unit(benchmark::kMillisecond);
