#include "export/AtlasPicture.h"

#include <algorithm>
#include <cmath>

namespace {

int NearestPowerOfTwo(int side) {
    const int exponent = static_cast<int>(std::lround(std::log2(std::max(side, 1))));
    return 1 << std::clamp(exponent, 0, 14);
}

// `rows` rows of `from` pixels of four floats resampled to rows of `to` pixels, with a tent
// filter as wide as a pixel of the coarser of the two, so that shrinking averages and
// growing interpolates.
void Resample(const std::vector<float>& in, int from, std::vector<float>& out, int to,
              size_t rows) {
    const double scale = static_cast<double>(from) / to;
    const double radius = std::max(1.0, scale);
    for (int x = 0; x < to; ++x) {
        const double centre = (x + 0.5) * scale - 0.5;
        const int first = std::max(0, static_cast<int>(std::floor(centre - radius)) + 1);
        const int last = std::min(from - 1, static_cast<int>(std::ceil(centre + radius)) - 1);
        for (size_t row = 0; row < rows; ++row) {
            double sum[4] = {0, 0, 0, 0};
            double total = 0.0;
            for (int s = first; s <= last; ++s) {
                const double w = 1.0 - std::abs(s - centre) / radius;
                if (w <= 0.0) {
                    continue;
                }
                const float* p = &in[(row * from + s) * 4];
                for (int c = 0; c < 4; ++c) {
                    sum[c] += w * p[c];
                }
                total += w;
            }
            float* q = &out[(row * to + x) * 4];
            for (int c = 0; c < 4; ++c) {
                q[c] = total > 0.0 ? static_cast<float>(sum[c] / total) : 0.0f;
            }
        }
    }
}

} // namespace

RasterImage PowerOfTwoAtlas(const RasterImage& image) {
    const int width = NearestPowerOfTwo(image.width);
    const int height = NearestPowerOfTwo(image.height);
    if (image.channels != 4 || (width == image.width && height == image.height) ||
        image.pixels.size() != size_t(image.width) * image.height * 4) {
        return image;
    }
    // Premultiplied by alpha, as floats.
    std::vector<float> source(image.pixels.size());
    for (size_t i = 0; i < image.pixels.size(); i += 4) {
        const float a = image.pixels[i + 3] / 255.0f;
        for (int c = 0; c < 3; ++c) {
            source[i + c] = image.pixels[i + c] * a;
        }
        source[i + 3] = image.pixels[i + 3];
    }
    // Along the rows, then down the columns.
    std::vector<float> wide(size_t(width) * image.height * 4);
    Resample(source, image.width, wide, width, image.height);
    std::vector<float> done(size_t(width) * height * 4);
    for (int x = 0; x < width; ++x) {
        std::vector<float> column(size_t(image.height) * 4), resampled(size_t(height) * 4);
        for (int y = 0; y < image.height; ++y) {
            std::copy_n(&wide[(size_t(y) * width + x) * 4], 4, &column[size_t(y) * 4]);
        }
        Resample(column, image.height, resampled, height, 1);
        for (int y = 0; y < height; ++y) {
            std::copy_n(&resampled[size_t(y) * 4], 4, &done[(size_t(y) * width + x) * 4]);
        }
    }
    RasterImage out{width, height, 4, std::vector<uint8_t>(done.size())};
    for (size_t i = 0; i < done.size(); i += 4) {
        const float a = done[i + 3];
        for (int c = 0; c < 3; ++c) {
            const float v = a > 0.0f ? done[i + c] / (a / 255.0f) : 0.0f;
            out.pixels[i + c] = static_cast<uint8_t>(std::lround(std::clamp(v, 0.0f, 255.0f)));
        }
        out.pixels[i + 3] = static_cast<uint8_t>(std::lround(std::clamp(a, 0.0f, 255.0f)));
    }
    return out;
}
