// The whole program as a user runs it for --variants, at the defaults (the default tree,
// cells of 540 x 350): 16 trees exported as .glb, 16 drawn into a contact sheet, and the
// single export and picture of one tree for comparison. Each run writes into a folder of
// its own, emptied afterwards; process start, growth, drawing, encoding and the disk are
// all in the figures.
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include <benchmark/benchmark.h>

namespace {

void RunProgram(benchmark::State& state, const std::string& arguments) {
    const std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                         ("dendrova-variants-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    const std::string command = "cd '" + folder.string() + "' && env -u DISPLAY " +
                                DENDROVA_BINARY + " --seed 1 " + arguments;
    for (auto _ : state) {
        const int status = std::system(command.c_str());
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("the program failed");
            break;
        }
        state.PauseTiming();
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        state.ResumeTiming();
    }
    std::filesystem::remove_all(folder);
}

void BM_SingleExport(benchmark::State& state) {
    RunProgram(state, "--export tree.glb");
}
BENCHMARK(BM_SingleExport)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Variants16Export(benchmark::State& state) {
    RunProgram(state, "--variants 16 --export tree.glb");
}
BENCHMARK(BM_Variants16Export)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SingleRender(benchmark::State& state) {
    RunProgram(state, "--render tree.png --no-overlay");
}
BENCHMARK(BM_SingleRender)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Variants16Render(benchmark::State& state) {
    RunProgram(state, "--variants 16 --render sheet.png");
}
BENCHMARK(BM_Variants16Render)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Variants64Render(benchmark::State& state) {
    RunProgram(state, "--variants 64 --render sheet.png");
}
BENCHMARK(BM_Variants64Render)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
