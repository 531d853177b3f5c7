#include "Noise.h"

#include <algorithm>
#include <cmath>

namespace picgen {

TileNoise::TileNoise(std::uint32_t seed, int periodX, int periodY, int octaveCount,
                     double persistence) {
    Random random(seed);
    double weight = 1.0;
    double total = 0.0;
    for (int o = 0; o < octaveCount; ++o) {
        Octave octave{periodX << o, periodY << o, {}};
        octave.lattice.resize(static_cast<std::size_t>(octave.px) * octave.py);
        for (double& value : octave.lattice)
            value = random.unit();
        octaves.push_back(std::move(octave));
        weights.push_back(weight);
        total += weight;
        weight *= persistence;
    }
    for (double& w : weights)
        w /= total;
}

double TileNoise::Octave::value(double x, double y) const {
    const double fx = std::floor(x);
    const double fy = std::floor(y);
    auto wrap = [](long i, int n) { return static_cast<int>(((i % n) + n) % n); };
    const int x0 = wrap(static_cast<long>(fx), px);
    const int y0 = wrap(static_cast<long>(fy), py);
    const int x1 = (x0 + 1) % px;
    const int y1 = (y0 + 1) % py;
    // Quintic fade so that the lattice does not show as creases.
    auto fade = [](double t) { return t * t * t * (t * (t * 6 - 15) + 10); };
    const double tx = fade(x - fx);
    const double ty = fade(y - fy);
    auto at = [&](int i, int j) { return lattice[static_cast<std::size_t>(j) * px + i]; };
    const double top = Mix(at(x0, y0), at(x1, y0), tx);
    const double bottom = Mix(at(x0, y1), at(x1, y1), tx);
    return Mix(top, bottom, ty);
}

double TileNoise::at(double u, double v) const {
    double sum = 0.0;
    for (std::size_t i = 0; i < octaves.size(); ++i)
        sum += weights[i] * octaves[i].value(u * octaves[i].px, v * octaves[i].py);
    return sum;
}

double Smoothstep(double edge0, double edge1, double x) {
    const double t = std::clamp((x - edge0) / (edge1 - edge0), 0.0, 1.0);
    return t * t * (3 - 2 * t);
}

double Mix(double a, double b, double t) {
    return a + (b - a) * t;
}

} // namespace picgen
