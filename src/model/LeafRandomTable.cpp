#include "model/LeafRandomTable.h"

#include <ctime>
#include <random>

namespace {

// Uniform integers over 0..32767, the range the factor formula is made for.
class FifteenBitGenerator {
public:
    explicit FifteenBitGenerator(uint32_t seed) : engine_(seed) {}
    int32_t next() { return static_cast<int32_t>(engine_() >> 17); }

private:
    std::mt19937 engine_;
};

} // namespace

LeafRandomTable::LeafRandomTable(uint32_t seed) : seed(seed) {
    FifteenBitGenerator generator(seed);
    for (float& entry : entries) {
        entry = LeafFactorFromSample(generator.next());
    }
}

uint32_t ClockSeed() {
    return static_cast<uint32_t>(std::time(nullptr));
}

uint32_t FreshSeed(uint32_t current) {
    std::random_device source;
    uint32_t seed = source();
    while (seed == current) {
        seed = source();
    }
    return seed;
}

float LeafFactorFromSample(int32_t g) {
    // 3.0518509e-05 is 1/32767 in single precision; product and sum are formed in double.
    return static_cast<float>(static_cast<double>(g) * double(3.0518509e-05f) + 0.5);
}
