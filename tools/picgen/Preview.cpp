// Previews of the pictures as the user sees them, for looking them over after a change.

#include <QDir>
#include <QLinearGradient>
#include <QPainter>

#include "Pictures.h"

namespace picgen {
namespace {

QImage Tiled(const QImage& tile, int across, int down, int zoom) {
    QImage out(tile.width() * across, tile.height() * down, QImage::Format_RGB32);
    QPainter p(&out);
    for (int j = 0; j < down; ++j)
        for (int i = 0; i < across; ++i)
            p.drawImage(i * tile.width(), j * tile.height(), tile);
    p.end();
    return out.scaled(out.size() * zoom, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

// The leaf as the alpha test cuts it out (alpha below 0.1), lit roughly as in the scene.
QImage LeafCutout(const QImage& leaf) {
    QImage out(leaf.size(), QImage::Format_RGB32);
    for (int y = 0; y < leaf.height(); ++y)
        for (int x = 0; x < leaf.width(); ++x) {
            const QRgb c = leaf.pixel(x, y);
            const bool shown = qBlue(c) < 25.5;
            const bool checker = ((x / 8) + (y / 8)) % 2 == 0;
            out.setPixel(x, y,
                         shown ? qRgb(qRed(c), qGreen(c), 0)
                               : (checker ? qRgb(150, 190, 230) : qRgb(170, 205, 240)));
        }
    return out.scaled(out.size() * 3, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

// A window of the given size with the overlay drawn over a plain sky and lawn.
QImage OverlayWindow(int width, int height) {
    QImage window(width, height, QImage::Format_RGB32);
    QPainter p(&window);
    QLinearGradient sky(0, 0, 0, height * 0.65);
    sky.setColorAt(0, QColor(kCeilingRed, kCeilingGreen, kCeilingBlue));
    sky.setColorAt(1, QColor(190, 215, 235));
    p.fillRect(QRectF(0, 0, width, height * 0.65), sky);
    p.fillRect(QRectF(0, height * 0.65, width, height * 0.35), QColor(92, 128, 54));
    p.setRenderHint(QPainter::SmoothPixmapTransform);

    const QImage button = DecodeOverlay(MakeButtonPicture());
    const QImage help = DecodeOverlay(MakeHelpPicture());
    auto draw = [&](const QImage& picture, const OverlayPiece& piece, QRectF target, double alpha) {
        p.setOpacity(alpha);
        p.drawImage(target, picture, QRectF(piece.source));
    };
    const double w = width;
    const double h = height;
    draw(button, kCreditStrip, QRectF(5, 0, 30, 200), 0.65);
    draw(button, kTitleBanner, QRectF(27.5, 4.3, 220, 60), 0.65);
    draw(button, kButtonBar, QRectF(w - 207, h - 67, 200, 60), 0.85);
    draw(help, kHelpLegend, QRectF(w - 256, h - 148.5, 256, 101), 0.65);
    draw(help, kCreditsPanel, QRectF(29, 52, 300, 120), 0.65);
    p.end();
    return window;
}

} // namespace

Result<> WritePreviews(const QString& folder) {
    QDir().mkpath(folder);
    const QDir dir(folder);
    struct Preview {
        const char* name;
        QImage image;
    };
    const QImage overlay = OverlayWindow(640, 480);
    const Preview previews[] = {
        {"overlay.png", overlay},
        {"overlay-zoom.png",
         overlay.scaled(overlay.size() * 2, Qt::IgnoreAspectRatio, Qt::FastTransformation)},
        {"leaf.png", LeafCutout(MakeLeaf())},
        // The sky the natural way up, as it is seen around the wall.
        {"sky.png", Tiled(MakeSky().mirrored(false, true), 3, 1, 2)},
        {"ground.png", Tiled(MakeGround(), 3, 3, 2)},
        {"bark.png", Tiled(MakeBark(), 2, 2, 3)},
        {"icon.png", MakeIcon(32).scaled(128, 128)},
        {"icon-16.png", MakeIcon(16).scaled(128, 128)},
    };
    for (const Preview& preview : previews)
        if (!preview.image.save(dir.filePath(preview.name), "PNG"))
            return CannotWrite("write", dir.filePath(preview.name));
    return {};
}

} // namespace picgen
