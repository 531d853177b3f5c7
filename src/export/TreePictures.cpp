#include "export/TreePictures.h"

#include "model/ShownText.h"
#include "platform/PixelOrder.h"

RasterImage BarkPicture(const BitmapPixels& bark) {
    RasterImage image{bark.width, bark.height, 3, {}};
    const size_t count = static_cast<size_t>(bark.width) * bark.height;
    image.pixels.resize(count * 3);
    SwapRedAndBlue(bark.bytes.data(), image.pixels.data(), count);
    return image;
}

RasterImage LeafPicture(const BitmapPixels& leaf) {
    RasterImage image{leaf.width, leaf.height, 4, {}};
    const size_t count = static_cast<size_t>(leaf.width) * leaf.height;
    image.pixels.resize(count * 4);
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* bgr = leaf.bytes.data() + 3 * i;
        uint8_t* rgba = image.pixels.data() + 4 * i;
        rgba[0] = bgr[2];
        rgba[1] = bgr[1];
        rgba[2] = 0;
        // The viewer keeps what has alpha (the bitmap's blue) below 0.1; a file keeps
        // what has alpha at or above its cutoff, so the mask is turned over.
        rgba[3] = static_cast<uint8_t>(255 - bgr[0]);
    }
    return image;
}

Result<TreePictures> LoadTreePictures() {
    BitmapPixels bark, leaf;
    for (auto [name, pixels] : {std::pair{"bark.bmp", &bark}, std::pair{"leaf.bmp", &leaf}}) {
        if (!CurrentPlatform().LoadBitmap(name, *pixels) || pixels->width <= 0 ||
            pixels->height <= 0 ||
            pixels->bytes.size() < static_cast<size_t>(pixels->width) * pixels->height * 3) {
            return Failure{"cannot read the built-in picture " + QuotedText(name)};
        }
    }
    const Result<std::string> barkPng = EncodePng(BarkPicture(bark));
    const Result<std::string> leafPng = EncodePng(LeafPicture(leaf));
    if (!barkPng || !leafPng) {
        return Failure{"cannot encode the bark and leaf pictures as PNG"};
    }
    return TreePictures{*barkPng, *leafPng};
}
