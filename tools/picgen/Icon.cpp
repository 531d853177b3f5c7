// The application icon: one drawing, rendered as pixels at every size and written as SVG.

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QSvgGenerator>

#include "Pictures.h"

namespace picgen {
namespace {

// The drawing's own size; every coordinate below is in these units.
constexpr int kCanvas = 256;

// Draws the icon on a kCanvas x kCanvas canvas. Only painter features that the SVG writer
// reproduces are used: paths, solid and gradient fills, plain strokes, no clipping.
void DrawIcon(QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing);

    // A rounded tile of sky over a strip of grass.
    QPainterPath tile;
    tile.addRoundedRect(QRectF(8, 8, 240, 240), 44, 44);
    QLinearGradient sky(0, 8, 0, 248);
    sky.setColorAt(0, QColor(40, 90, 160));
    sky.setColorAt(0.75, QColor(150, 195, 230));
    p.setPen(Qt::NoPen);
    p.setBrush(sky);
    p.drawPath(tile);
    QPainterPath hill;
    hill.addEllipse(QRectF(-40, 196, 336, 120));
    p.setBrush(QColor(86, 130, 52));
    p.drawPath(hill.intersected(tile));

    // Trunk and two branches.
    QPainterPath trunk;
    trunk.moveTo(112, 222);
    trunk.cubicTo(120, 190, 122, 160, 118, 120);
    trunk.lineTo(138, 120);
    trunk.cubicTo(134, 160, 136, 190, 146, 222);
    trunk.closeSubpath();
    p.setBrush(QColor(112, 78, 48));
    p.drawPath(trunk);
    p.setPen(QPen(QColor(112, 78, 48), 12, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(124, 160), QPointF(84, 120));
    p.drawLine(QPointF(132, 150), QPointF(176, 112));

    // Crown of overlapping rounds, lighter on top.
    p.setPen(Qt::NoPen);
    struct Round {
        double x, y, r;
    };
    const Round rounds[] = {{128, 82, 58}, {80, 112, 40}, {178, 110, 42}, {128, 124, 40}};
    for (const Round& round : rounds) {
        QRadialGradient leaf(round.x - round.r * 0.3, round.y - round.r * 0.4, round.r * 1.3);
        leaf.setColorAt(0, QColor(130, 200, 80));
        leaf.setColorAt(1, QColor(40, 110, 40));
        p.setBrush(leaf);
        p.drawEllipse(QPointF(round.x, round.y), round.r, round.r);
    }
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(20, 40, 60, 160), 6));
    p.drawPath(tile);
}

} // namespace

QImage MakeIcon(int size) {
    // Drawn large and scaled down, so that the small sizes stay smooth.
    QImage image(kCanvas, kCanvas, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    DrawIcon(p);
    p.end();
    if (size != kCanvas)
        image = image.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return image.convertToFormat(QImage::Format_ARGB32);
}

Result<> WriteIconSvg(const QString& path) {
    QSvgGenerator svg;
    svg.setFileName(path);
    svg.setSize(QSize(kCanvas, kCanvas));
    svg.setViewBox(QRect(0, 0, kCanvas, kCanvas));
    svg.setTitle("Dendrova");
    svg.setDescription("The Dendrova application icon");
    QPainter p;
    if (p.begin(&svg)) {
        DrawIcon(p);
        if (p.end())
            return {};
    }
    return CannotWrite("write", path);
}

} // namespace picgen
