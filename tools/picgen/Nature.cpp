// The scene pictures: bark, leaf, sky and ground.

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

#include "Noise.h"
#include "Pictures.h"

namespace picgen {
namespace {

constexpr double kPi = 3.14159265358979323846;

int Channel(double value) {
    return std::clamp(static_cast<int>(std::lround(value)), 0, 255);
}

QRgb Rgb(double r, double g, double b) {
    return qRgb(Channel(r), Channel(g), Channel(b));
}

QRgb MixRgb(QRgb a, QRgb b, double t) {
    return Rgb(Mix(qRed(a), qRed(b), t), Mix(qGreen(a), qGreen(b), t), Mix(qBlue(a), qBlue(b), t));
}

// Draws a shape once more on each side (and above and below) so that what leaves the
// picture on one edge comes back on the other, keeping the picture tileable.
template <typename Draw> void DrawWrapped(QPainter& p, QSize size, bool wrapY, Draw draw) {
    for (int j = wrapY ? -1 : 0; j <= (wrapY ? 1 : 0); ++j)
        for (int i = -1; i <= 1; ++i) {
            p.save();
            p.translate(i * size.width(), j * size.height());
            draw(p);
            p.restore();
        }
}

} // namespace

QImage MakeBark() {
    const int w = 64;
    const int h = 128;
    // Ridges run along the tube: few lattice cells along t, many around s.
    const TileNoise ridges(101, 8, 2, 4, 0.55);
    const TileNoise warp(102, 3, 2, 3);
    const TileNoise breaks(103, 3, 12, 2);
    const TileNoise fibre(104, 64, 8, 2);
    const TileNoise grain(105, 32, 32, 2);
    const TileNoise tint(106, 2, 2, 2);
    // Height of the bark surface: ridges, cut by cross cracks, with fibres along them.
    auto height = [&](double u, double v) {
        const double du = 0.05 * (warp.at(u, v) - 0.5);
        const double r = Smoothstep(0.36, 0.60, ridges.at(u + du, v));
        const double crack = Smoothstep(0.2, 0.26, breaks.at(u + du, v));
        return r * Mix(0.35, 1.0, crack) + 0.25 * (fibre.at(u + du, v) - 0.5);
    };
    const QRgb furrow = qRgb(78, 66, 56);
    const QRgb ridge = qRgb(172, 160, 144);
    const QRgb ridgeWarm = qRgb(168, 146, 120);
    QImage image(w, h, QImage::Format_RGB888);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const double u = (x + 0.5) / w;
            const double v = (y + 0.5) / h;
            const double here = height(u, v);
            // Light from the upper left picks out the relief.
            const double slope = height(u + 1.5 / w, v) - height(u - 1.5 / w, v);
            const QRgb crest = MixRgb(ridge, ridgeWarm, Smoothstep(0.35, 0.65, tint.at(u, v)));
            const QRgb base = MixRgb(furrow, crest, std::clamp(here, 0.0, 1.0));
            const double k =
                1.0 - std::clamp(0.3 * slope, -0.15, 0.15) + 0.3 * (grain.at(u, v) - 0.5);
            image.setPixel(x, y, Rgb(qRed(base) * k, qGreen(base) * k, qBlue(base) * k));
        }
    return image;
}

QImage MakeLeaf() {
    const int size = 128;
    // The blade: a pointed ovate leaf, its base just under the stem at the top.
    QPainterPath blade;
    blade.moveTo(64, 13);
    blade.cubicTo(84, 9, 117, 27, 115, 56);
    blade.cubicTo(113, 82, 88, 105, 64, 126);
    blade.cubicTo(40, 105, 15, 82, 13, 56);
    blade.cubicTo(11, 27, 44, 9, 64, 13);

    // Coverage mask: white on the leaf and the stem, antialiased at the edge.
    QImage mask(size, size, QImage::Format_Grayscale8);
    mask.fill(0);
    {
        QPainter p(&mask);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawPath(blade);
        p.setPen(QPen(Qt::white, 4.5, Qt::SolidLine, Qt::FlatCap));
        p.drawLine(QPointF(64, 0), QPointF(64, 16));
    }

    // Colour of the leaf in red and green; the veins are drawn as a separate layer.
    QImage veins(size, size, QImage::Format_Grayscale8);
    veins.fill(0);
    {
        QPainter p(&veins);
        p.setRenderHint(QPainter::Antialiasing);
        p.setClipPath(blade);
        p.setPen(QPen(QColor(255, 255, 255), 2.6, Qt::SolidLine, Qt::RoundCap));
        QPainterPath midrib;
        midrib.moveTo(64, 12);
        midrib.cubicTo(64, 60, 65, 95, 64, 126);
        p.drawPath(midrib);
        for (int i = 0; i < 8; ++i) {
            const double y0 = 22 + i * 11.5;
            const double reach = 48 - std::abs(i - 2.5) * 4.5 - (i > 4 ? (i - 4) * 5 : 0);
            for (int side = -1; side <= 1; side += 2) {
                QPainterPath vein;
                vein.moveTo(64, y0);
                vein.cubicTo(64 + side * reach * 0.35, y0 + 6, 64 + side * reach * 0.75, y0 + 12,
                             64 + side * reach, y0 + 22);
                p.setPen(QPen(QColor(170, 170, 170), 1.4, Qt::SolidLine, Qt::RoundCap));
                p.drawPath(vein);
            }
        }
    }

    const TileNoise mottle(201, 6, 6, 4);
    const TileNoise fine(202, 32, 32, 2);
    QImage image(size, size, QImage::Format_RGB888);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const double cover = qGray(mask.pixel(x, y)) / 255.0;
            const double vein = qGray(veins.pixel(x, y)) / 255.0;
            const double u = (x + 0.5) / size;
            const double v = (y + 0.5) / size;
            // Lighter along the middle, darker and warmer towards the rim.
            const double across = std::min(1.0, std::abs(x + 0.5 - 64) / 52.0);
            const double light = 1.0 - 0.35 * across * across + 0.3 * (mottle.at(u, v) - 0.5) +
                                 0.12 * (fine.at(u, v) - 0.5);
            double r = 58 * light + 10 * across;
            double g = 150 * light;
            r = Mix(r, 150, vein * 0.75);
            g = Mix(g, 205, vein * 0.75);
            if (y < 16 && std::abs(x + 0.5 - 64) < 3.5) {
                // The stem, a paler yellowish green.
                r = 130;
                g = 160;
            }
            // Around the leaf the colour of its rim, so filtering draws no fringe.
            r = Mix(52, r, std::min(1.0, cover * 4));
            g = Mix(118, g, std::min(1.0, cover * 4));
            const double alpha = 255.0 * (1.0 - cover);
            image.setPixel(x, y, Rgb(r, g, alpha < 6 ? 0 : alpha));
        }
    return image;
}

QImage MakeSky() {
    const int w = 256;
    const int h = 64;
    // Drawn the natural way up: ceiling colour at the top, horizon at the bottom.
    const QRgb ceiling = qRgb(kCeilingRed, kCeilingGreen, kCeilingBlue);
    const QRgb middle = qRgb(78, 128, 190);
    const QRgb pale = qRgb(196, 218, 236);
    const TileNoise clouds(301, 5, 2, 5, 0.55);
    QImage sky(w, h, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < h; ++y) {
        // The top rows are hidden behind the ceiling disc; its edge meets the wall about
        // six rows down, so the colour stays exactly the ceiling's until then.
        const double t = Smoothstep(7.0, 56.0, y);
        const QRgb base =
            t < 0.5 ? MixRgb(ceiling, middle, t * 2) : MixRgb(middle, pale, t * 2 - 1);
        for (int x = 0; x < w; ++x) {
            const double c = clouds.at((x + 0.5) / w, (y + 0.5) / h);
            const double band = Smoothstep(10, 24, y) * (1.0 - Smoothstep(40, 54, y));
            const double cloud = 0.4 * band * Smoothstep(0.52, 0.72, c);
            sky.setPixel(x, y, MixRgb(base, qRgb(236, 242, 248), cloud));
        }
    }

    QPainter p(&sky);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    const QSize size(w, h);
    // Two layers of distant forest: a hazy far one and a darker near one in front.
    struct Layer {
        std::uint32_t seed;
        int trees;
        double baseTop;
        double minHeight;
        double maxHeight;
        QColor top;
        QColor bottom;
    };
    const Layer layers[] = {
        {311, 70, 54, 4, 13, QColor(134, 158, 172), QColor(112, 138, 146)},
        {312, 90, 58.5, 3, 9, QColor(78, 102, 100), QColor(50, 72, 64)},
    };
    for (const Layer& layer : layers) {
        Random random(layer.seed);
        QLinearGradient fill(0, layer.baseTop - layer.maxHeight, 0, h);
        fill.setColorAt(0, layer.top);
        fill.setColorAt(1, layer.bottom);
        p.setBrush(fill);
        // A continuous band under the crowns.
        p.drawRect(QRectF(-w, layer.baseTop, 3 * w, h - layer.baseTop + 1));
        for (int i = 0; i < layer.trees; ++i) {
            const double x = random.range(0, w);
            const double height = random.range(layer.minHeight, layer.maxHeight);
            const double width = height * random.range(0.45, 0.8);
            const bool conifer = random.unit() < 0.5;
            const double foot = layer.baseTop + 1.5;
            DrawWrapped(p, size, false, [&](QPainter& q) {
                if (conifer) {
                    QPainterPath crown;
                    crown.moveTo(x, foot - height - 1.5);
                    crown.quadTo(x + width * 0.2, foot - height * 0.5, x + width * 0.5, foot);
                    crown.lineTo(x - width * 0.5, foot);
                    crown.quadTo(x - width * 0.2, foot - height * 0.5, x, foot - height - 1.5);
                    q.drawPath(crown);
                } else {
                    q.drawEllipse(
                        QRectF(x - width * 0.6, foot - height, width * 1.2, height * 1.3));
                }
            });
        }
    }
    // A thin haze over the far edge of the forest softens its silhouette.
    QLinearGradient haze(0, 42, 0, h);
    haze.setColorAt(0, QColor(200, 220, 235, 0));
    haze.setColorAt(0.45, QColor(200, 220, 235, 60));
    haze.setColorAt(1, QColor(200, 220, 235, 0));
    p.setBrush(haze);
    p.drawRect(QRectF(0, 42, w, h - 42));
    p.end();

    // Stored upside down: the tree line goes to row 0, the bottom edge of the wall.
    return sky.convertToFormat(QImage::Format_RGB888).mirrored(false, true);
}

QImage MakeGround() {
    const int size = 128;
    const TileNoise broad(401, 4, 4, 5, 0.6);
    const TileNoise patches(402, 4, 4, 3, 0.5);
    const TileNoise grain(403, 32, 32, 2, 0.5);
    const QRgb dark = qRgb(84, 118, 50);
    const QRgb light = qRgb(108, 140, 60);
    const QRgb dry = qRgb(124, 134, 74);
    QImage ground(size, size, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const double u = (x + 0.5) / size;
            const double v = (y + 0.5) / size;
            QRgb c = MixRgb(dark, light, Smoothstep(0.3, 0.7, broad.at(u, v)));
            c = MixRgb(c, dry, 0.35 * Smoothstep(0.55, 0.72, patches.at(u, v)));
            const double k = 1.0 + 0.22 * (grain.at(u, v) - 0.5);
            ground.setPixel(x, y, Rgb(qRed(c) * k, qGreen(c) * k, qBlue(c) * k));
        }

    // Short grass blades, faint, wrapped on all four edges.
    QPainter p(&ground);
    p.setRenderHint(QPainter::Antialiasing);
    Random random(404);
    const QSize tile(size, size);
    for (int i = 0; i < 1400; ++i) {
        const double x = random.range(0, size);
        const double y = random.range(0, size);
        const double angle = random.range(-0.6, 0.6) - kPi / 2;
        const double length = random.range(2.0, 5.0);
        const bool bright = random.unit() < 0.5;
        const QColor colour = bright ? QColor(150, 180, 80, 45) : QColor(40, 70, 25, 45);
        p.setPen(QPen(colour, 0.8, Qt::SolidLine, Qt::RoundCap));
        const QPointF from(x, y);
        const QPointF to(x + length * std::cos(angle), y + length * std::sin(angle));
        DrawWrapped(p, tile, true, [&](QPainter& q) { q.drawLine(from, to); });
    }
    p.end();
    return ground.convertToFormat(QImage::Format_RGB888);
}

} // namespace picgen
