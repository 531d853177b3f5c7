#include "viewer/FrameNotice.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cstring>

namespace {

// In overlay pixels: the margin to the frame's sides, the height of the bar, and the
// room the button bar (and the hint under it) takes at the bottom.
constexpr int Margin = 8;
constexpr int BarHeight = 22;
constexpr int ButtonBarHeight = 70;

} // namespace

FrameNotice::FrameNotice(std::function<void()> redraw) : redraw_(std::move(redraw)) {
    timer_.setSingleShot(true);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
        if (redraw_) {
            redraw_();
        }
    });
}

void FrameNotice::Show(const QString& text, bool failure) {
    text_ = text;
    failure_ = failure;
    timer_.start(failure ? FailureShownMs : ShownMs);
    if (redraw_) {
        redraw_();
    }
}

const NoticePicture& FrameNotice::Picture(int width, int height, double ratio) {
    if (text_ == pictureText_ && width == pictureWidth_ && height == pictureHeight_ &&
        ratio == pictureRatio_) {
        return picture_;
    }
    pictureText_ = text_;
    pictureWidth_ = width;
    pictureHeight_ = height;
    pictureRatio_ = ratio;
    picture_ = NoticePicture{};

    ratio = std::max(ratio, 1.0);
    const int logicalWidth = static_cast<int>(width / ratio) - 2 * Margin;
    if (logicalWidth < 4 * BarHeight ||
        static_cast<int>(height / ratio) < ButtonBarHeight + BarHeight + Margin) {
        return picture_;
    }
    QImage image(static_cast<int>(logicalWidth * ratio), static_cast<int>(BarHeight * ratio),
                 QImage::Format_RGBA8888);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(failure_ ? QColor(120, 20, 20, 200) : QColor(0, 0, 0, 170));
        painter.drawRoundedRect(QRectF(0, 0, logicalWidth, BarHeight), 5, 5);
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(12);
        painter.setFont(font);
        painter.setPen(QColor(255, 255, 255));
        const QRect textArea(8, 0, logicalWidth - 16, BarHeight);
        // A long path loses its middle, never the file's name at its end.
        const QString shown =
            QFontMetrics(font).elidedText(text_, Qt::ElideMiddle, textArea.width());
        painter.drawText(textArea, Qt::AlignVCenter | Qt::AlignLeft, shown);
    }
    const QImage rows = image.mirrored(false, true); // bottom row first, as OpenGL takes it
    picture_.width = rows.width();
    picture_.height = rows.height();
    picture_.rgba.resize(static_cast<size_t>(picture_.width) * picture_.height * 4);
    for (int y = 0; y < picture_.height; ++y) {
        std::memcpy(picture_.rgba.data() + static_cast<size_t>(y) * picture_.width * 4,
                    rows.constScanLine(y), static_cast<size_t>(picture_.width) * 4);
    }
    picture_.left = static_cast<int>(Margin * ratio);
    picture_.bottom = static_cast<int>(ButtonBarHeight * ratio);
    return picture_;
}
