// Checks on the pictures committed under resources/, as the program loads them.

#include <QFile>
#include <QImage>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>

#include "Pictures.h"

namespace {

QString ResourcePath(const char* name) {
    return QString(DENDROVA_RESOURCE_DIR "/") + name;
}

QImage Load(const char* name) {
    QImage image(ResourcePath(name));
    return image.convertToFormat(QImage::Format_RGB888);
}

std::uint32_t Field(const QByteArray& bytes, int offset, int size) {
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = (value << 8) | static_cast<std::uint8_t>(bytes[offset + i]);
    return value;
}

// Mean absolute difference, per channel, between two columns (or rows) of a picture.
double ColumnDifference(const QImage& image, int a, int b) {
    double sum = 0;
    for (int y = 0; y < image.height(); ++y) {
        const QRgb p = image.pixel(a, y);
        const QRgb q = image.pixel(b, y);
        sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
               std::abs(qBlue(p) - qBlue(q));
    }
    return sum / (3.0 * image.height());
}

double RowDifference(const QImage& image, int a, int b) {
    return ColumnDifference(image.transformed(QTransform().rotate(90)), a, b);
}

// Largest and mean alpha of an overlay region given in screen orientation.
struct AlphaStats {
    int max = 0;
    double mean = 0;
};
AlphaStats Alpha(const QImage& screen, const QRect& region) {
    AlphaStats stats;
    double sum = 0;
    for (int y = region.top(); y <= region.bottom(); ++y)
        for (int x = region.left(); x <= region.right(); ++x) {
            const int a = qAlpha(screen.pixel(x, y));
            stats.max = std::max(stats.max, a);
            sum += a;
        }
    stats.mean = sum / (region.width() * region.height());
    return stats;
}

} // namespace

TEST(PictureFiles, AreUncompressed24BitBitmapsOfTheirSizes) {
    struct Expected {
        const char* name;
        int width;
        int height;
    };
    const Expected pictures[] = {{"bark.bmp", 64, 128},    {"leaf.bmp", 128, 128},
                                 {"sky.bmp", 256, 64},     {"ground.bmp", 128, 128},
                                 {"button.bmp", 256, 128}, {"HELP.BMP", 256, 256}};
    for (const Expected& picture : pictures) {
        QFile file(ResourcePath(picture.name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << picture.name;
        const QByteArray bytes = file.readAll();
        ASSERT_GE(bytes.size(), 54) << picture.name;
        EXPECT_EQ(bytes.left(2), QByteArray("BM")) << picture.name;
        EXPECT_EQ(Field(bytes, 18, 4), static_cast<std::uint32_t>(picture.width)) << picture.name;
        EXPECT_EQ(static_cast<std::int32_t>(Field(bytes, 22, 4)), picture.height) << picture.name;
        EXPECT_EQ(Field(bytes, 28, 2), 24u) << picture.name;
        EXPECT_EQ(Field(bytes, 30, 4), 0u) << picture.name; // BI_RGB, no compression
        // The pixel rows need no padding, so the file holds exactly width x height x 3.
        EXPECT_EQ(bytes.size() - static_cast<int>(Field(bytes, 10, 4)),
                  picture.width * picture.height * 3)
            << picture.name;
    }
}

TEST(PictureFiles, IconsExistAtBothSizes) {
    EXPECT_EQ(QImage(ResourcePath("icon-32.png")).size(), QSize(32, 32));
    EXPECT_EQ(QImage(ResourcePath("icon-16.png")).size(), QSize(16, 16));
}

TEST(PictureFiles, LeafKeepsItsMaskInBlueWithTheStemAtTheTop) {
    const QImage leaf = Load("leaf.bmp");
    ASSERT_EQ(leaf.size(), QSize(128, 128));
    // The alpha test keeps alpha below 0.1: the leaf's middle must pass it throughout.
    for (int y = 40; y < 90; ++y)
        for (int x = 44; x < 84; ++x)
            ASSERT_LT(qBlue(leaf.pixel(x, y)), 25) << x << "," << y;
    // And the background must not.
    for (const QPoint corner : {QPoint(0, 0), QPoint(127, 0), QPoint(0, 127), QPoint(127, 127),
                                QPoint(4, 120), QPoint(123, 120)})
        EXPECT_GE(qBlue(leaf.pixel(corner)), 200) << corner.x() << "," << corner.y();
    // The stem reaches the top row (the branch tip); beside it is background.
    EXPECT_LT(qBlue(leaf.pixel(64, 0)), 25);
    EXPECT_GE(qBlue(leaf.pixel(50, 0)), 200);
    // The leaf is green: more green than red where it shows.
    EXPECT_GT(qGreen(leaf.pixel(64, 60)), qRed(leaf.pixel(64, 60)));
    EXPECT_GT(qGreen(leaf.pixel(40, 60)), qRed(leaf.pixel(40, 60)));
    // It fills most of the square: wide in the upper half, narrowing to a tip.
    int widest = 0;
    for (int y = 0; y < 128; ++y) {
        int width = 0;
        for (int x = 0; x < 128; ++x)
            width += qBlue(leaf.pixel(x, y)) < 25 ? 1 : 0;
        widest = std::max(widest, width);
    }
    EXPECT_GT(widest, 90);
}

TEST(PictureFiles, TiledPicturesMeetThemselvesAtTheSeams) {
    // Across the seam the change must be no larger than between neighbouring columns.
    for (const char* name : {"sky.bmp", "ground.bmp", "bark.bmp"}) {
        const QImage image = Load(name);
        const int w = image.width();
        double typical = 0;
        for (int x = 0; x + 1 < w; ++x)
            typical = std::max(typical, ColumnDifference(image, x, x + 1));
        EXPECT_LE(ColumnDifference(image, w - 1, 0), typical) << name;
        EXPECT_LT(ColumnDifference(image, w - 1, 0), 20) << name;
    }
    for (const char* name : {"ground.bmp", "bark.bmp"}) {
        const QImage image = Load(name);
        const int h = image.height();
        double typical = 0;
        for (int y = 0; y + 1 < h; ++y)
            typical = std::max(typical, RowDifference(image, y, y + 1));
        EXPECT_LE(RowDifference(image, h - 1, 0), typical) << name;
        EXPECT_LT(RowDifference(image, h - 1, 0), 20) << name;
    }
}

TEST(PictureFiles, SkyHasTheTreeLineOnTopAndTheCeilingColourBelow) {
    const QImage sky = Load("sky.bmp");
    ASSERT_EQ(sky.size(), QSize(256, 64));
    // The rows drawn from the ceiling's edge upward carry the ceiling's colour, so the
    // wall and the disc meet without a seam.
    for (int y = 56; y < 64; ++y)
        for (int x = 0; x < 256; x += 5) {
            const QRgb p = sky.pixel(x, y);
            ASSERT_NEAR(qRed(p), picgen::kCeilingRed, 3) << x << "," << y;
            ASSERT_NEAR(qGreen(p), picgen::kCeilingGreen, 3) << x << "," << y;
            ASSERT_NEAR(qBlue(p), picgen::kCeilingBlue, 3) << x << "," << y;
        }
    // Row 0 is the horizon: dark forest, darker than the pale sky above the trees.
    auto brightness = [&](int y) {
        double sum = 0;
        for (int x = 0; x < 256; ++x)
            sum += qGray(sky.pixel(x, y));
        return sum / 256;
    };
    EXPECT_LT(brightness(0), 120);
    EXPECT_GT(brightness(20), brightness(0) + 60);
}

TEST(PictureFiles, ButtonBarShowsItsIconsUnderTheHitAreas) {
    const QImage button = picgen::DecodeOverlay(Load("button.bmp"));
    ASSERT_EQ(button.size(), QSize(256, 128));
    const int columns[4][2] = {{94, 112}, {137, 154}, {180, 200}, {223, 243}};
    for (const auto& c : columns) {
        const AlphaStats icon = Alpha(button, QRect(QPoint(c[0], 68), QPoint(c[1], 99)));
        EXPECT_GT(icon.mean, 150) << c[0];
        EXPECT_EQ(icon.max, 255) << c[0];
    }
    // Left of the icons the bar stays clear, and so do the picture's outer edges, so that
    // filtering at the edge of one piece picks up nothing from another.
    EXPECT_EQ(Alpha(button, QRect(QPoint(44, 62), QPoint(80, 127))).max, 0);
    EXPECT_EQ(Alpha(button, QRect(0, 0, 256, 1)).max, 0);
    EXPECT_EQ(Alpha(button, QRect(0, 127, 256, 1)).max, 0);
    // Title and credit strip carry lettering.
    EXPECT_EQ(Alpha(button, picgen::kTitleBanner.source).max, 255);
    EXPECT_EQ(Alpha(button, QRect(0, 0, 37, 128)).max, 255);
}

TEST(PictureFiles, HelpLegendLeavesTheBarVisibleBelowItsLeaderLines) {
    const QImage help = picgen::DecodeOverlay(Load("HELP.BMP"));
    ASSERT_EQ(help.size(), QSize(256, 256));
    // The legend's lowest rows lie over the tops of the bar's icons: clear below row 242.
    EXPECT_EQ(Alpha(help, QRect(QPoint(0, 244), QPoint(255, 255))).max, 0);
    // The leader lines come down to the icons: something visible just above row 242 at
    // each icon's centre column.
    for (const int x : {104, 145, 187, 228}) {
        const AlphaStats tip = Alpha(help, QRect(QPoint(x - 2, 232), QPoint(x + 2, 241)));
        EXPECT_GT(tip.max, 200) << x;
    }
    // The lettering of the legend and of the credits panel.
    EXPECT_EQ(Alpha(help, QRect(QPoint(0, 155), QPoint(255, 200))).max, 255);
    EXPECT_EQ(Alpha(help, QRect(QPoint(0, 20), QPoint(254, 150))).max, 255);
    // The credits panel keeps clear of the title banner's subtitle it is drawn over.
    EXPECT_EQ(Alpha(help, QRect(QPoint(0, 0), QPoint(254, 14))).max, 0);
}

TEST(PictureFiles, OverlayTextIsBackedAndClearPixelsCarryNoBrightFringe) {
    for (const char* name : {"button.bmp", "HELP.BMP"}) {
        const QImage screen = picgen::DecodeOverlay(Load(name));
        int backed = 0;
        int fringe = 0;
        for (int y = 1; y + 1 < screen.height(); ++y)
            for (int x = 1; x + 1 < screen.width(); ++x) {
                const QRgb p = screen.pixel(x, y);
                if (qAlpha(p) >= 90 && qAlpha(p) <= 140 && qGray(p) < 60)
                    ++backed;
                // A clear pixel next to a dark visible one must not be bright: linear
                // filtering would draw it as a light rim around the backing.
                if (qAlpha(p) == 0) {
                    const QRgb n = screen.pixel(x + 1, y);
                    if (qAlpha(n) > 0 && qGray(n) < 80 && qGray(p) > qGray(n) + 40)
                        ++fringe;
                }
            }
        EXPECT_GT(backed, 1000) << name;
        EXPECT_EQ(fringe, 0) << name;
    }
}
