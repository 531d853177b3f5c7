// Fuzzes the parameter file through the real loader and saver. Whatever bytes the file
// holds, every field the loader takes lies in its range, and saving what was loaded then
// loading it again gives back the same values.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <unistd.h>

#include "model/ModelConfig.h"
#include "model/TreeParams.h"

namespace {

std::string folder; // private folder for the files of one run

std::string FilePath(const char* name) {
    return folder + "/" + name;
}

void RemoveFolder() {
    std::remove(FilePath("input.cfg").c_str());
    std::remove(FilePath("saved.cfg").c_str());
    ::rmdir(folder.c_str());
}

void Check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "model_config_fuzz: %s\n", what);
        std::abort();
    }
}

struct State {
    WindowGeometry geometry;
    Camera camera;
    TreeParams params;
};

// Reads the file at `path` into `s` as the program does at start.
void LoadInto(State& s, const std::string& path) {
    if (const std::optional<ModelConfigRead> read = LoadModelConfig(path)) {
        ApplyModelConfigRecord(read->record, read->size, s.geometry, s.camera, s.params);
    }
}

void CheckInRange(const State& s) {
    Check(s.geometry.windowWidth > 100 && s.geometry.windowWidth <= MaxWindowSide,
          "window width out of range");
    Check(s.geometry.windowHeight > 50 && s.geometry.windowHeight <= MaxWindowSide,
          "window height out of range");
    const Camera& c = s.camera;
    const Camera defaults;
    Check(std::isfinite(c.x), "camera x not finite");
    Check(CameraYInRange(c.y), "camera y out of range");
    Check(CameraZInRange(c.z), "camera z out of range");
    Check(c.elevation >= -180.0f && c.elevation < 180.0f, "elevation not wrapped");
    // The default azimuth stays as it is when the file does not hold one.
    Check(c.azimuth == defaults.azimuth || (c.azimuth >= 0.0f && c.azimuth < 360.0f),
          "azimuth not wrapped");
    for (int row = 0; row < ParamCount; ++row) {
        Check(InParamRange(ParamTable[row], ParamValue(s.params, row)), "parameter out of range");
    }
}

bool SameBits(const void* a, const void* b, size_t size) {
    return std::memcmp(a, b, size) == 0;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // On tmpfs the saver's fsync costs nothing.
    std::string base = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    std::string pattern = base + "/dendrova-fuzz-XXXXXX";
    Check(::mkdtemp(pattern.data()) != nullptr, "cannot create a folder for the files");
    folder = pattern;
    std::atexit(RemoveFolder);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input = FilePath("input.cfg");
    const std::string saved = FilePath("saved.cfg");
    FILE* file = std::fopen(input.c_str(), "wb");
    Check(file != nullptr, "cannot write the input file");
    Check(std::fwrite(data, 1, size, file) == size, "cannot write the input file");
    std::fclose(file);

    State first;
    LoadInto(first, input);
    CheckInRange(first);

    Check(SaveModelConfig(first.geometry, first.camera, first.params, saved).Ok(),
          "the save failed");

    // Load into values that differ from the defaults, so a field the loader drops shows.
    State second;
    second.geometry = {1234, 567, 3, 4, 5, 6};
    second.camera = {1.0f, -2.0f, -4.0f, 3.0f, 3.0f};
    for (int row = 0; row < ParamCount; ++row) {
        ParamValue(second.params, row) = ParamTable[row].maximum;
    }
    LoadInto(second, saved);

    Check(SameBits(&first.geometry, &second.geometry, sizeof(WindowGeometry)),
          "geometry does not round-trip");
    Check(SameBits(&first.params, &second.params, sizeof(TreeParams)),
          "parameters do not round-trip");
    // The default azimuth comes back as the same direction within one round.
    Camera expected = first.camera;
    expected.azimuth = WrapDegrees(expected.azimuth, 0.0f);
    Check(SameBits(&expected, &second.camera, sizeof(Camera)), "camera does not round-trip");
    return 0;
}
