// Export of the tree: building its mesh, then writing it as binary glTF and as OBJ text
// into a stream that only counts the bytes (no disk in the figures), at the defaults,
// at "Tree Total Depth" 30 and at the capped corner (depth 30 with "SSE. Dep. Attenuate"
// 1.0); and the .glb of four levels with wind (--lods 4 --wind), its lighter levels made
// from the full mesh in each run.
#include <streambuf>

#include <benchmark/benchmark.h>

#include "export/GltfWriter.h"
#include "export/ObjWriter.h"
#include "mesh/TreeLevels.h"
#include "model/TreeModel.h"
#include "model/TreeSession.h"

namespace {

// Takes every byte and keeps none.
class CountingBuffer : public std::streambuf {
public:
    size_t bytes = 0;

protected:
    std::streamsize xsputn(const char*, std::streamsize n) override {
        bytes += static_cast<size_t>(n);
        return n;
    }
    int_type overflow(int_type c) override {
        ++bytes;
        return traits_type::not_eof(c);
    }
};

struct Scenario {
    float depth;
    float depAttenuate;
};
constexpr Scenario Defaults{19.29f, 0.81f};
constexpr Scenario Depth30{30.0f, 0.81f};
constexpr Scenario Capped{30.0f, 1.0f};

void Grow(TreeSession& session, Scenario s) {
    session.params().totalDepth = s.depth;
    session.params().sseDepAttenuate = s.depAttenuate;
    session.Reseed(1);
    session.Regrow();
}

void BuildMesh(benchmark::State& state, Scenario s) {
    TreeSession session;
    Grow(session, s);
    for (auto _ : state) {
        TreeMesh mesh = BuildTreeMesh(session.model(), session.params());
        benchmark::DoNotOptimize(mesh.bark.positions.data());
    }
    state.counters["segments"] = static_cast<double>(CountModel(session.model()).segments);
}

void Write(benchmark::State& state, bool glb, Scenario s) {
    TreeSession session;
    Grow(session, s);
    const TreeMesh mesh = BuildTreeMesh(session.model(), session.params());
    const TreePictures pictures{std::string(12000, 'b'), std::string(12000, 'l')};
    const ExportInfo info = ExportInfoOf(session.params(), session.seed());
    size_t bytes = 0;
    for (auto _ : state) {
        CountingBuffer counter;
        std::ostream out(&counter);
        const bool ok =
            glb ? WriteGlb(out, mesh, pictures, info) : WriteObj(out, mesh, "tree.mtl", info);
        benchmark::DoNotOptimize(ok);
        bytes = counter.bytes;
    }
    state.counters["MB"] = static_cast<double>(bytes) / 1e6;
    state.counters["MB/s"] = benchmark::Counter(static_cast<double>(bytes) / 1e6,
                                                benchmark::Counter::kIsIterationInvariantRate);
}

void WriteLevels(benchmark::State& state, Scenario s) {
    TreeSession session;
    Grow(session, s);
    const TreeMesh mesh = BuildTreeMesh(session.model(), session.params(), true, 0, true);
    const TreePictures pictures{std::string(12000, 'b'), std::string(12000, 'l')};
    const ExportInfo info = ExportInfoOf(session.params(), session.seed());
    size_t bytes = 0;
    for (auto _ : state) {
        const std::vector<TreeLevel> lighter = LighterLevels(mesh, 4);
        GlbContent content = GlbContentOf(mesh);
        content.wind = true;
        content.atlasPng = std::string(40000, 'a');
        for (const TreeLevel& level : lighter) {
            content.levels.push_back(level.impostor ? GlbLevel{nullptr, &level.quads}
                                                    : GlbLevel{&level.mesh, nullptr});
        }
        CountingBuffer counter;
        std::ostream out(&counter);
        benchmark::DoNotOptimize(WriteGlb(out, content, pictures, info));
        bytes = counter.bytes;
    }
    state.counters["MB"] = static_cast<double>(bytes) / 1e6;
}

} // namespace

BENCHMARK_CAPTURE(BuildMesh, defaults, Defaults)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BuildMesh, depth30, Depth30)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BuildMesh, capped, Capped)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Write, glb_defaults, true, Defaults)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Write, glb_depth30, true, Depth30)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Write, glb_capped, true, Capped)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(WriteLevels, glb_levels_defaults, Defaults)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(WriteLevels, glb_levels_depth30, Depth30)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(WriteLevels, glb_levels_capped, Capped)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Write, obj_defaults, false, Defaults)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Write, obj_depth30, false, Depth30)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Write, obj_capped, false, Capped)->Unit(benchmark::kMillisecond);
