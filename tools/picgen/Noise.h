#pragma once

#include <cstdint>
#include <random>
#include <vector>

namespace picgen {

// A deterministic random source: the raw 32-bit outputs of std::mt19937 are fixed by the
// standard, so the pictures come out the same on every machine (the standard
// distributions are not, so they are not used).
class Random {
public:
    explicit Random(std::uint32_t seed) : engine(seed) {}
    // Uniform in [0, 1).
    double unit() { return static_cast<double>(engine() >> 8) / 16777216.0; }
    double range(double lo, double hi) { return lo + (hi - lo) * unit(); }

private:
    std::mt19937 engine;
};

// Fractal value noise that tiles over the unit square: sampled at (u, v) and (u + 1, v) or
// (u, v + 1) it gives the same value. The first octave has periodX x periodY lattice cells
// over the square, each further octave twice as many in both directions.
class TileNoise {
public:
    TileNoise(std::uint32_t seed, int periodX, int periodY, int octaves, double persistence = 0.5);

    // Roughly in [0, 1], centred on 0.5.
    double at(double u, double v) const;

private:
    struct Octave {
        int px;
        int py;
        std::vector<double> lattice;
        double value(double x, double y) const;
    };
    std::vector<Octave> octaves;
    std::vector<double> weights;
};

double Smoothstep(double edge0, double edge1, double x);
double Mix(double a, double b, double t);

} // namespace picgen
