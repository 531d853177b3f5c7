// Tests of the picture generator's building blocks.

#include <QImage>

#include <gtest/gtest.h>

#include "Noise.h"
#include "Pictures.h"

TEST(TileNoise, RepeatsOverTheUnitSquareAndIsContinuousAcrossTheSeam) {
    const picgen::TileNoise noise(7, 3, 5, 4);
    for (double u : {0.0, 0.13, 0.5, 0.97})
        for (double v : {0.0, 0.21, 0.77}) {
            EXPECT_NEAR(noise.at(u, v), noise.at(u + 1, v), 1e-12);
            EXPECT_NEAR(noise.at(u, v), noise.at(u, v + 1), 1e-12);
            EXPECT_NEAR(noise.at(u, v), noise.at(u - 2, v - 3), 1e-12);
        }
    EXPECT_NEAR(noise.at(0.9999, 0.4), noise.at(0.0, 0.4), 1e-3);
    const picgen::TileNoise same(7, 3, 5, 4);
    const picgen::TileNoise other(8, 3, 5, 4);
    EXPECT_EQ(noise.at(0.3, 0.6), same.at(0.3, 0.6));
    EXPECT_NE(noise.at(0.3, 0.6), other.at(0.3, 0.6));
}

TEST(OverlayEncoding, StoresDisplayColoursInTheOverlayLayoutUpsideDown) {
    QImage screen(4, 3, QImage::Format_ARGB32);
    screen.fill(qRgba(0, 0, 0, 0));
    screen.setPixel(1, 0, qRgba(200, 200, 50, 128)); // a yellow, half visible
    screen.setPixel(2, 2, qRgba(30, 30, 90, 255));   // a dark blue
    const QImage stored = picgen::EncodeOverlay(screen);
    ASSERT_EQ(stored.format(), QImage::Format_RGB888);
    // Screen row 0 is the last stored row: R = red (= green), G = blue, B = alpha.
    EXPECT_EQ(stored.pixel(1, 2), qRgb(200, 50, 128));
    EXPECT_EQ(stored.pixel(2, 0), qRgb(30, 90, 255));
    // Clear pixels are fully transparent but take the nearest visible colour.
    EXPECT_EQ(stored.pixel(0, 2), qRgb(200, 50, 0));
    EXPECT_EQ(stored.pixel(3, 0), qRgb(30, 90, 0));

    const QImage back = picgen::DecodeOverlay(stored);
    EXPECT_EQ(back.pixel(1, 0), qRgba(200, 200, 50, 128));
    EXPECT_EQ(back.pixel(2, 2), qRgba(30, 30, 90, 255));
    EXPECT_EQ(qAlpha(back.pixel(0, 0)), 0);
}

TEST(OverlayEncoding, ShowsColoursWithRedUnlikeGreenAsTheirAverage) {
    QImage screen(1, 1, QImage::Format_ARGB32);
    screen.setPixel(0, 0, qRgba(100, 200, 10, 255));
    EXPECT_EQ(picgen::EncodeOverlay(screen).pixel(0, 0), qRgb(150, 10, 255));
}

TEST(Generator, DrawsTheSamePicturesEveryTime) {
    EXPECT_EQ(picgen::MakeBark(), picgen::MakeBark());
    EXPECT_EQ(picgen::MakeLeaf(), picgen::MakeLeaf());
    EXPECT_EQ(picgen::MakeSky(), picgen::MakeSky());
    EXPECT_EQ(picgen::MakeGround(), picgen::MakeGround());
    EXPECT_EQ(picgen::MakeButtonPicture(), picgen::MakeButtonPicture());
    EXPECT_EQ(picgen::MakeHelpPicture(), picgen::MakeHelpPicture());
}

TEST(Generator, CommittedBarkMatchesTheGenerator) {
    // The bark is pure arithmetic, so a stale committed copy shows up here.
    const QImage committed =
        QImage(DENDROVA_RESOURCE_DIR "/bark.bmp").convertToFormat(QImage::Format_RGB888);
    EXPECT_EQ(committed, picgen::MakeBark());
}

TEST(Generator, PicturesHaveTheirSizesAndFormats) {
    EXPECT_EQ(picgen::MakeBark().size(), QSize(64, 128));
    EXPECT_EQ(picgen::MakeLeaf().size(), QSize(128, 128));
    EXPECT_EQ(picgen::MakeSky().size(), QSize(256, 64));
    EXPECT_EQ(picgen::MakeGround().size(), QSize(128, 128));
    EXPECT_EQ(picgen::MakeButtonPicture().size(), QSize(256, 128));
    EXPECT_EQ(picgen::MakeHelpPicture().size(), QSize(256, 256));
    for (const QImage& image : {picgen::MakeBark(), picgen::MakeSky(), picgen::MakeHelpPicture()})
        EXPECT_EQ(image.format(), QImage::Format_RGB888);
    const QImage icon = picgen::MakeIcon(16);
    EXPECT_EQ(icon.size(), QSize(16, 16));
    EXPECT_TRUE(icon.hasAlphaChannel());
    EXPECT_EQ(qAlpha(icon.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(icon.pixel(8, 8)), 255);
}
