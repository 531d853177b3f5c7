#include "model/LeafRandomTable.h"

#include <ctime>
#include <new>
#include <random>

LeafRandomTable leafRandomTable;

namespace {

// Uniform integers over 0..32767, the range the factor formula is made for.
class FifteenBitGenerator {
public:
    explicit FifteenBitGenerator(uint32_t seed) : engine_(seed) {}
    int32_t next() { return static_cast<int32_t>(engine_() >> 17); }

private:
    std::mt19937 engine_;
};

void Fill(uint32_t seed) {
    if (leafRandomTable.entries) {
        return;
    }
    leafRandomTable.seed = seed;
    leafRandomTable.entries.reset(new (std::nothrow) float[LeafFactorCount]);
    if (!leafRandomTable.entries) {
        return;
    }
    FifteenBitGenerator generator(seed);
    for (int i = 0; i < LeafFactorCount; ++i) {
        leafRandomTable.entries[i] = LeafFactorFromSample(generator.next());
    }
}

} // namespace

uint32_t ClockSeed() {
    return static_cast<uint32_t>(std::time(nullptr));
}

void CreateLeafRandomTable() {
    Fill(ClockSeed());
}

void CreateLeafRandomTableSeeded(uint32_t seed) {
    Fill(seed);
}

void FreeLeafRandomTable() {
    leafRandomTable.entries.reset();
}

float TakeLeafFactor() {
    const int32_t index = leafRandomTable.cursor & 0xFF;
    leafRandomTable.cursor++;
    return leafRandomTable.entries ? leafRandomTable.entries[index] : 1.0f;
}

void ResetLeafFactors() {
    leafRandomTable.cursor = 0;
}

float LeafFactorFromSample(int32_t g) {
    // 3.0518509e-05 is 1/32767 in single precision; product and sum are formed in double.
    return static_cast<float>(static_cast<double>(g) * double(3.0518509e-05f) + 0.5);
}
