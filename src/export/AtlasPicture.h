#pragma once

#include "export/PngEncoder.h"

// The impostor's atlas as a file carries it: an RGBA picture resampled to the nearest
// power of two on each side (in proportion: 1148 becomes 1024, 1600 becomes 2048). Readers
// that make mipmaps need such sides, WebGL 1 among them, and the atlas's cells keep their
// places, since texture coordinates run over the picture's whole width. Colours are
// filtered weighted by their alpha, so that the transparent surroundings do not darken the
// tree's outline. A picture whose sides are powers of two already comes back as it is.
RasterImage PowerOfTwoAtlas(const RasterImage& rgba);
