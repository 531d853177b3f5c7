#pragma once

#include <string>

#include "base/Failure.h"
#include "export/PngEncoder.h"
#include "platform/Platform.h"

// The bark and leaf pictures as an exported tree carries them, encoded as PNG.
struct TreePictures {
    std::string barkPng; // the bark picture as it is, R, G, B
    std::string leafPng; // the leaf picture with an alpha channel: 255 on the leaf, 0 around
};

// Picture files of the built-in bitmaps: bark as read; the leaf with the colours the
// viewer's cut-out texture gives it (red, green, no blue) and its mask turned the way
// files expect it, opaque on the leaf (the bitmap's blue channel is high around the leaf).
RasterImage BarkPicture(const BitmapPixels& bark);
RasterImage LeafPicture(const BitmapPixels& leaf);

// Reads "bark.bmp" and "leaf.bmp" through the platform and encodes them; fails when one
// is missing.
Result<TreePictures> LoadTreePictures();
