// The desktop icons under resources/icons: every size is the generator's current drawing,
// and the SVG shows the same picture as the pixels.

#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "Pictures.h"

namespace {

const QString kIconDir = DENDROVA_RESOURCE_DIR "/icons/";

// Largest difference of any channel (alpha included) between two pictures of one size,
// and the mean difference over all channels.
struct Difference {
    int largest = 0;
    double mean = 0;
};

Difference Compare(const QImage& a, const QImage& b) {
    const QImage x = a.convertToFormat(QImage::Format_ARGB32);
    const QImage y = b.convertToFormat(QImage::Format_ARGB32);
    Difference d;
    long long sum = 0;
    for (int row = 0; row < x.height(); ++row)
        for (int col = 0; col < x.width(); ++col) {
            const QRgb p = x.pixel(col, row);
            const QRgb q = y.pixel(col, row);
            for (int c : {std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                          std::abs(qBlue(p) - qBlue(q)), std::abs(qAlpha(p) - qAlpha(q))}) {
                d.largest = std::max(d.largest, c);
                sum += c;
            }
        }
    d.mean = static_cast<double>(sum) / (4.0 * x.width() * x.height());
    return d;
}

} // namespace

TEST(DesktopIcons, EverySizeIsCommittedAndMatchesTheGenerator) {
    for (int size : picgen::kDesktopIconSizes) {
        const QImage committed(kIconDir + QString("dendrova-%1.png").arg(size));
        ASSERT_EQ(committed.size(), QSize(size, size)) << size;
        EXPECT_TRUE(committed.hasAlphaChannel()) << size;
        // A small allowance for font-free drawing differences between Qt versions; a
        // changed drawing that was not regenerated (make pictures) shows up as more.
        EXPECT_LE(Compare(committed, picgen::MakeIcon(size)).largest, 8) << size;
    }
}

TEST(DesktopIcons, TheSvgShowsTheSamePictureAsThePixels) {
    QSvgRenderer svg(kIconDir + "dendrova.svg");
    ASSERT_TRUE(svg.isValid());
    EXPECT_EQ(svg.viewBox(), QRect(0, 0, 256, 256));
    QImage drawn(256, 256, QImage::Format_ARGB32_Premultiplied);
    drawn.fill(Qt::transparent);
    QPainter p(&drawn);
    svg.render(&p);
    p.end();
    const Difference d = Compare(drawn, picgen::MakeIcon(256));
    // Antialiasing of the edges differs a little between the two paths, nothing more.
    EXPECT_LT(d.mean, 0.5);
    EXPECT_EQ(qAlpha(drawn.pixel(2, 2)), 0);
    EXPECT_EQ(qAlpha(drawn.pixel(128, 128)), 255);
}
