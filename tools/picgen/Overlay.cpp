// The two overlay pictures: the button picture (credit strip, title banner, button bar)
// and the help picture (help legend, credits panel).
//
// The overlay shows a stored pixel (R, G, B) as red = R, green = R, blue = G, alpha = B,
// so only colours with red == green can be shown: greys, yellows and blues. Each piece is
// painted in screen coordinates at the size it is drawn at, through a transform that maps
// it into its rectangle of the picture; the text is thereby laid out for the drawn size
// and comes out right when the overlay stretches the piece back.

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <deque>
#include <vector>

#include "Pictures.h"

namespace picgen {
namespace {

const QColor kBacking(26, 26, 46, 125);
const QColor kHalo(0, 0, 20, 190);
const QColor kWhite(255, 255, 255);
const QColor kTitle(255, 255, 176);
const QColor kKeyboard(255, 255, 110);
const QColor kMouse(168, 168, 255);
const QColor kPale(222, 222, 255);
const QColor kFace(36, 36, 88, 205);
const QColor kRim(150, 150, 255, 235);

// Icon columns of the button bar in the picture as shown on screen (the hit areas of the
// four buttons lie over them), left to right Spin, Mail, Tree, Help.
constexpr double kIconColumns[4] = {103.0, 145.5, 190.0, 233.0};
constexpr double kIconTopRow = 68.0;

double BarX(double column) {
    return (column - kButtonBar.source.left()) * kButtonBar.drawn.width() /
           kButtonBar.source.width();
}
double BarY(double row) {
    return (row - kButtonBar.source.top()) * kButtonBar.drawn.height() / kButtonBar.source.height();
}

// Column of an icon's centre within the help legend, which is drawn against the right
// edge of the window just as the bar is, 7 pixels further right.
double LegendX(double column) {
    const double fromRight = 7.0 + (kButtonBar.source.right() + 1 - column) *
                                       kButtonBar.drawn.width() / kButtonBar.source.width();
    return kHelpLegend.drawn.width() - fromRight;
}

QFont Font(double pixels, bool bold = false) {
    QFont font("DejaVu Sans");
    font.setPixelSize(static_cast<int>(pixels));
    font.setBold(bold);
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

// Largest font up to the given size at which the text fits the width.
QFont FittingFont(const QString& text, double pixels, double width, bool bold = false) {
    for (double size = pixels; size > 6; size -= 1) {
        const QFont font = Font(size, bold);
        if (QFontMetricsF(font).horizontalAdvance(text) <= width)
            return font;
    }
    return Font(6, bold);
}

double TextWidth(const QFont& font, const QString& text) {
    return QFontMetricsF(font).horizontalAdvance(text);
}

// Text with a thin dark halo, so that it reads over any part of the sky.
void Label(QPainter& p, QPointF baseline, const QString& text, const QFont& font,
           const QColor& colour) {
    QPainterPath path;
    path.addText(baseline, font, text);
    p.save();
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kHalo, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(path);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPath(path);
    p.restore();
}

void CentredLabel(QPainter& p, double centreX, double baselineY, const QString& text,
                  const QFont& font, const QColor& colour) {
    Label(p, QPointF(centreX - TextWidth(font, text) / 2, baselineY), text, font, colour);
}

void Backing(QPainter& p, const QRectF& rect, double radius = 5) {
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(kBacking);
    p.drawRoundedRect(rect, radius, radius);
    p.restore();
}

// A line drawn light over a darker, wider copy of itself.
void HaloLine(QPainter& p, const QPainterPath& path, const QColor& colour, double width = 1.3) {
    p.save();
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kHalo, width + 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(path);
    p.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(path);
    p.restore();
}

// Paints one piece: draw() works in the piece's screen coordinates (0..drawn size).
template <typename Draw> void PaintPiece(QImage& canvas, const OverlayPiece& piece, Draw draw) {
    QPainter p(&canvas);
    p.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    p.setClipRect(piece.source);
    p.translate(piece.source.left(), piece.source.top());
    p.scale(static_cast<double>(piece.source.width()) / piece.drawn.width(),
            static_cast<double>(piece.source.height()) / piece.drawn.height());
    draw(p);
}

QImage Canvas(int width, int height) {
    QImage canvas(width, height, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    return canvas;
}

void DrawCreditStrip(QPainter& p) {
    const QSizeF size = kCreditStrip.drawn;
    Backing(p, QRectF(5, 6, 18, size.height() - 12), 4);
    // The lettering runs up the strip.
    p.translate(0, size.height());
    p.rotate(-90);
    const QString text = QString::fromUtf8("Dendrova \u00b7 a tree in OpenGL");
    const QFont font = FittingFont(text, 11, size.height() - 24);
    CentredLabel(p, size.height() / 2, 18, text, font, kPale);
}

void DrawTitleBanner(QPainter& p) {
    const QSizeF size = kTitleBanner.drawn;
    Backing(p, QRectF(5, 4, size.width() - 10, size.height() - 8), 7);
    const QFont title = FittingFont("Dendrova", 34, size.width() - 30, true);
    CentredLabel(p, size.width() / 2, 36, "Dendrova", title, kTitle);
    const QString subtitle = "a tree grown branch by branch";
    CentredLabel(p, size.width() / 2, 50, subtitle, FittingFont(subtitle, 11, size.width() - 24),
                 kPale);
}

void DrawIconFace(QPainter& p, const QRectF& face) {
    p.save();
    p.setPen(QPen(kRim, 1.1));
    p.setBrush(kFace);
    p.drawRoundedRect(face, 4, 4);
    p.restore();
}

void DrawSpinGlyph(QPainter& p, QPointF c) {
    QPainterPath arc;
    const QRectF circle(c.x() - 6, c.y() - 6, 12, 12);
    arc.arcMoveTo(circle, 100);
    arc.arcTo(circle, 100, 280);
    HaloLine(p, arc, kWhite, 1.8);
    // Arrowhead at the end of the arc, pointing on around the circle.
    QPainterPath head;
    const QPointF tip(c.x() + 6 * std::cos(20 * M_PI / 180), c.y() - 6 * std::sin(20 * M_PI / 180));
    head.moveTo(tip + QPointF(-3.6, -2.6));
    head.lineTo(tip + QPointF(1.4, 2.4));
    head.lineTo(tip + QPointF(3.4, -3.2));
    head.closeSubpath();
    p.save();
    p.setPen(QPen(kHalo, 1.0));
    p.setBrush(kKeyboard);
    p.drawPath(head);
    p.restore();
}

void DrawMailGlyph(QPainter& p, QPointF c) {
    QPainterPath envelope;
    envelope.addRect(QRectF(c.x() - 7, c.y() - 5, 14, 10));
    envelope.moveTo(c.x() - 7, c.y() - 5);
    envelope.lineTo(c.x(), c.y() + 1);
    envelope.lineTo(c.x() + 7, c.y() - 5);
    HaloLine(p, envelope, kWhite, 1.3);
}

void DrawTreeGlyph(QPainter& p, QPointF c) {
    QPainterPath tree;
    tree.moveTo(c.x(), c.y() + 8);
    tree.lineTo(c.x(), c.y() - 1);
    tree.moveTo(c.x(), c.y() + 3);
    tree.lineTo(c.x() - 4, c.y() - 1);
    tree.moveTo(c.x(), c.y() + 1);
    tree.lineTo(c.x() + 4, c.y() - 3);
    HaloLine(p, tree, kWhite, 1.6);
    p.save();
    p.setPen(QPen(kHalo, 0.9));
    p.setBrush(kKeyboard);
    p.drawEllipse(QPointF(c.x(), c.y() - 4), 4.2, 3.8);
    p.drawEllipse(QPointF(c.x() - 4.5, c.y() - 1.5), 2.8, 2.6);
    p.drawEllipse(QPointF(c.x() + 4.5, c.y() - 3), 2.8, 2.6);
    p.restore();
}

void DrawHelpGlyph(QPainter& p, QPointF c) {
    const QFont font = Font(16, true);
    CentredLabel(p, c.x(), c.y() + 6, "?", font, kKeyboard);
}

void DrawButtonBar(QPainter& p) {
    const QSizeF size = kButtonBar.drawn;
    const double left = BarX(kIconColumns[0]) - 17;
    Backing(p, QRectF(left, 1.5, size.width() - 1.5 - left, size.height() - 3), 6);
    const double top = BarY(kIconTopRow) - 1;
    const double faceHeight = 22;
    const char* captions[4] = {"Spin", "Mail", "Tree", "Help"};
    const QFont caption = Font(9, true);
    for (int i = 0; i < 4; ++i) {
        const double cx = BarX(kIconColumns[i]);
        DrawIconFace(p, QRectF(cx - 10, top, 20, faceHeight));
        const QPointF centre(cx, top + faceHeight / 2);
        switch (i) {
        case 0:
            DrawSpinGlyph(p, centre);
            break;
        case 1:
            DrawMailGlyph(p, centre);
            break;
        case 2:
            DrawTreeGlyph(p, centre);
            break;
        default:
            DrawHelpGlyph(p, centre);
            break;
        }
        // The caption, its first letter (the command key) picked out in yellow.
        const QString text = captions[i];
        const double x = cx - TextWidth(caption, text) / 2;
        const double baseline = top + faceHeight + 10;
        Label(p, QPointF(x, baseline), text, caption, kWhite);
        Label(p, QPointF(x, baseline), text.left(1), caption, kKeyboard);
    }
    const QString print = "click a button or press its key";
    const QFont small = FittingFont(print, 9, size.width() - left - 8);
    CentredLabel(p, (left + size.width()) / 2, size.height() - 6, print, small, kPale);
}

void DrawHelpLegend(QPainter& p) {
    const QSizeF size = kHelpLegend.drawn;
    // Where the leader lines end: the legend's bottom edge is drawn 47.5 pixels above the
    // window's, the icons' tops 62 pixels above it, so they lie 14.5 rows above the
    // legend's bottom edge.
    const double tipY = size.height() - (62 - 47.5);

    Backing(p, QRectF(2, 1, size.width() - 4, 29), 6);
    const QString keys =
        QString::fromUtf8("Arrow keys: \u2191 \u2193 elevation, \u2190 \u2192 spin");
    Label(p, QPointF(8, 13), keys, FittingFont(keys, 11, size.width() - 16), kKeyboard);
    const QString mouse = "Mouse: left button forward, right back";
    Label(p, QPointF(8, 26), mouse, FittingFont(mouse, 11, size.width() - 16), kMouse);

    // The key: which colour means keyboard and which mouse.
    const QFont keyFont = Font(9);
    Backing(p, QRectF(2, 31.5, 118, 12), 4);
    p.save();
    p.setPen(QPen(kHalo, 0.8));
    p.setBrush(kKeyboard);
    p.drawRect(QRectF(7, 34, 7, 7));
    p.setBrush(kMouse);
    p.drawRect(QRectF(64, 34, 7, 7));
    p.restore();
    Label(p, QPointF(17, 41.5), "keyboard", keyFont, kWhite);
    Label(p, QPointF(74, 41.5), "mouse", keyFont, kWhite);

    struct Callout {
        const char* text;
        double column;
        double y;
    };
    // Staggered so that no leader line crosses another label.
    const Callout callouts[4] = {
        {"toggle help", kIconColumns[3], 43},
        {"toggle tree control panel", kIconColumns[2], 55},
        {"send feedback", kIconColumns[1], 67},
        {"toggle auto spin", kIconColumns[0], 79},
    };
    const QFont font = Font(9);
    for (const Callout& c : callouts) {
        const double x = LegendX(c.column);
        const QString text = c.text;
        const double width = TextWidth(font, text);
        const double textLeft = x - 7 - width;
        Backing(p, QRectF(textLeft - 4, c.y - 9.5, width + 8, 12), 4);
        Label(p, QPointF(textLeft, c.y), text, font, kWhite);
        QPainterPath leader;
        leader.moveTo(x - 5, c.y - 4);
        leader.lineTo(x, c.y - 4);
        leader.lineTo(x, tipY - 4);
        HaloLine(p, leader, kKeyboard, 1.2);
        QPainterPath head;
        head.moveTo(x - 3, tipY - 5);
        head.lineTo(x + 3, tipY - 5);
        head.lineTo(x, tipY);
        head.closeSubpath();
        p.save();
        p.setPen(QPen(kHalo, 0.8));
        p.setBrush(kKeyboard);
        p.drawPath(head);
        p.restore();
    }
}

void DrawCreditsPanel(QPainter& p) {
    const QSizeF size = kCreditsPanel.drawn;
    // The top rows are left clear: they fall over the subtitle of the title banner.
    const double top = 14;
    Backing(p, QRectF(2, top, size.width() - 4, size.height() - top - 2), 7);
    Label(p, QPointF(10, top + 16), "Dendrova", Font(14, true), kTitle);
    const char* lines[] = {
        "Grows a tree by recursive branching and shows it",
        "with bark, leaves, sky, ground and shadow.",
        "Built with C++20, Qt 6, OpenGL 1.1, GLU and Mesa.",
        "Pictures drawn by its own generator,",
        "lettering in the DejaVu fonts.",
        "Press H or click Help to close this help.",
    };
    double y = top + 31;
    for (const char* line : lines) {
        const QString text = line;
        Label(p, QPointF(10, y), text, FittingFont(text, 10.5, size.width() - 20), kPale);
        y += 12.5;
    }
}

} // namespace

QImage EncodeOverlay(const QImage& screen) {
    const QImage source = screen.convertToFormat(QImage::Format_ARGB32);
    const int w = source.width();
    const int h = source.height();
    // Spread the colour of visible pixels over the transparent ones, nearest first.
    std::vector<QRgb> colour(static_cast<std::size_t>(w) * h);
    std::vector<bool> known(colour.size(), false);
    std::deque<int> queue;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const QRgb pixel = source.pixel(x, y);
            if (qAlpha(pixel) > 0) {
                const int i = y * w + x;
                colour[i] = pixel;
                known[i] = true;
                queue.push_back(i);
            }
        }
    while (!queue.empty()) {
        const int i = queue.front();
        queue.pop_front();
        const int x = i % w;
        const int y = i / w;
        const int next[4][2] = {{x - 1, y}, {x + 1, y}, {x, y - 1}, {x, y + 1}};
        for (const auto& n : next) {
            if (n[0] < 0 || n[1] < 0 || n[0] >= w || n[1] >= h)
                continue;
            const int j = n[1] * w + n[0];
            if (known[j])
                continue;
            known[j] = true;
            colour[j] = colour[i];
            queue.push_back(j);
        }
    }
    QImage stored(w, h, QImage::Format_RGB888);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int i = y * w + x;
            const QRgb c = known[i] ? colour[i] : kBacking.rgb();
            const int alpha = qAlpha(source.pixel(x, y));
            stored.setPixel(x, y, qRgb((qRed(c) + qGreen(c) + 1) / 2, qBlue(c), alpha));
        }
    // Texture rows reach the screen bottom-up.
    return stored.mirrored(false, true);
}

QImage DecodeOverlay(const QImage& stored) {
    const QImage flipped = stored.convertToFormat(QImage::Format_RGB888).mirrored(false, true);
    QImage screen(flipped.width(), flipped.height(), QImage::Format_ARGB32);
    for (int y = 0; y < flipped.height(); ++y)
        for (int x = 0; x < flipped.width(); ++x) {
            const QRgb c = flipped.pixel(x, y);
            screen.setPixel(x, y, qRgba(qRed(c), qRed(c), qGreen(c), qBlue(c)));
        }
    return screen;
}

QImage MakeButtonPicture() {
    QImage canvas = Canvas(256, 128);
    PaintPiece(canvas, kCreditStrip, DrawCreditStrip);
    PaintPiece(canvas, kTitleBanner, DrawTitleBanner);
    PaintPiece(canvas, kButtonBar, DrawButtonBar);
    return EncodeOverlay(canvas);
}

QImage MakeHelpPicture() {
    QImage canvas = Canvas(256, 256);
    PaintPiece(canvas, kHelpLegend, DrawHelpLegend);
    PaintPiece(canvas, kCreditsPanel, DrawCreditsPanel);
    return EncodeOverlay(canvas);
}

} // namespace picgen
