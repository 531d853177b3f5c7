#include "export/LabelFont.h"

#include <array>
#include <cstdint>

namespace {

constexpr int GlyphWidth = 5;
constexpr int GlyphHeight = 7;
// In font pixels: the gap after each character and the box's margin around the text.
constexpr int Gap = 1;
constexpr int Margin = 2;

struct Glyph {
    char character;
    std::array<const char*, GlyphHeight> rows; // '#' marks a pixel of the letter
};

// The lower-case letters sit on the digits' base line, two rows lower at their top.
constexpr std::array<Glyph, 13> Glyphs{{
    {'0', {".###.", "#...#", "#..##", "#.#.#", "##..#", "#...#", ".###."}},
    {'1', {"..#..", ".##..", "..#..", "..#..", "..#..", "..#..", ".###."}},
    {'2', {".###.", "#...#", "....#", "...#.", "..#..", ".#...", "#####"}},
    {'3', {"#####", "...#.", "..#..", "...#.", "....#", "#...#", ".###."}},
    {'4', {"...#.", "..##.", ".#.#.", "#..#.", "#####", "...#.", "...#."}},
    {'5', {"#####", "#....", "####.", "....#", "....#", "#...#", ".###."}},
    {'6', {"..##.", ".#...", "#....", "####.", "#...#", "#...#", ".###."}},
    {'7', {"#####", "....#", "...#.", "..#..", ".#...", ".#...", ".#..."}},
    {'8', {".###.", "#...#", "#...#", ".###.", "#...#", "#...#", ".###."}},
    {'9', {".###.", "#...#", "#...#", ".####", "....#", "...#.", ".##.."}},
    {'d', {"....#", "....#", ".##.#", "#..##", "#...#", "#...#", ".####"}},
    {'e', {".....", ".....", ".###.", "#...#", "#####", "#....", ".###."}},
    {'s', {".....", ".....", ".####", "#....", ".###.", "....#", "####."}},
}};

const Glyph* FindGlyph(char c) {
    for (const Glyph& glyph : Glyphs) {
        if (glyph.character == c) {
            return &glyph;
        }
    }
    return nullptr;
}

// Mixes `colour` into the pixel at (x, y) by `alpha` (0 to 255), when it is inside.
void Blend(RasterImage& image, int x, int y, uint8_t colour, int alpha) {
    if (x < 0 || y < 0 || x >= image.width || y >= image.height) {
        return;
    }
    uint8_t* pixel = image.pixels.data() + (static_cast<size_t>(y) * image.width + x) *
                                               static_cast<size_t>(image.channels);
    for (int c = 0; c < 3; ++c) {
        pixel[c] = static_cast<uint8_t>((pixel[c] * (255 - alpha) + colour * alpha + 127) / 255);
    }
}

} // namespace

int LabelWidth(const std::string& text, int scale) {
    const int characters = static_cast<int>(text.size());
    return scale * (2 * Margin + characters * (GlyphWidth + Gap) - (characters > 0 ? Gap : 0));
}

int LabelHeight(int scale) {
    return scale * (2 * Margin + GlyphHeight);
}

void DrawLabel(RasterImage& image, int right, int bottom, const std::string& text, int scale) {
    const int left = right - LabelWidth(text, scale);
    const int top = bottom - LabelHeight(scale);
    for (int y = top; y < bottom; ++y) {
        for (int x = left; x < right; ++x) {
            Blend(image, x, y, 0, 150);
        }
    }
    int penX = left + scale * Margin;
    const int penY = top + scale * Margin;
    for (const char c : text) {
        if (const Glyph* glyph = FindGlyph(c)) {
            for (int row = 0; row < GlyphHeight; ++row) {
                for (int column = 0; column < GlyphWidth; ++column) {
                    if (glyph->rows[row][column] != '#') {
                        continue;
                    }
                    for (int dy = 0; dy < scale; ++dy) {
                        for (int dx = 0; dx < scale; ++dx) {
                            Blend(image, penX + column * scale + dx, penY + row * scale + dy, 255,
                                  255);
                        }
                    }
                }
            }
        }
        penX += scale * (GlyphWidth + Gap);
    }
}
