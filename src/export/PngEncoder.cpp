#include "export/PngEncoder.h"

#include <QBuffer>
#include <QImage>
#include <QImageWriter>

#include <algorithm>
#include <cstring>

RasterImage FromGlReadback(const std::vector<uint8_t>& rgbaBottomUp, int width, int height) {
    RasterImage image{width, height, 3, {}};
    image.pixels.resize(static_cast<size_t>(width) * height * 3);
    for (int y = 0; y < height; ++y) {
        const uint8_t* src = rgbaBottomUp.data() + static_cast<size_t>(height - 1 - y) * width * 4;
        uint8_t* dst = image.pixels.data() + static_cast<size_t>(y) * width * 3;
        for (int x = 0; x < width; ++x) {
            dst[3 * x + 0] = src[4 * x + 0];
            dst[3 * x + 1] = src[4 * x + 1];
            dst[3 * x + 2] = src[4 * x + 2];
        }
    }
    return image;
}

Result<std::string> EncodePng(const RasterImage& image,
                              const std::vector<std::pair<std::string, std::string>>& text,
                              int level) {
    const Failure refused{"cannot encode the picture as PNG"};
    const QImage::Format format =
        image.channels == 4 ? QImage::Format_RGBA8888 : QImage::Format_RGB888;
    QImage picture(image.width, image.height, format);
    if (picture.isNull()) {
        return refused;
    }
    const size_t rowBytes = static_cast<size_t>(image.width) * image.channels;
    for (int y = 0; y < image.height; ++y) {
        std::memcpy(picture.scanLine(y), image.pixels.data() + y * rowBytes, rowBytes);
    }
    // A fixed 96 dots per inch: Qt would otherwise take the screen's, and the same
    // picture would give different bytes in the viewer and on the command line.
    picture.setDotsPerMeterX(3780);
    picture.setDotsPerMeterY(3780);
    for (const auto& [key, value] : text) {
        picture.setText(QString::fromStdString(key), QString::fromStdString(value));
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    if (level >= 0) {
        // Qt takes the level as 0 to 100 and maps it onto zlib's 0 to 9.
        writer.setCompression((std::min(level, 9) * 91 + 8) / 9);
    }
    if (!writer.write(picture)) {
        return refused;
    }
    return bytes.toStdString();
}
