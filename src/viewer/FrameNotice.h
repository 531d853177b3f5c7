#pragma once

#include <QString>
#include <QTimer>

#include <functional>

#include "scene/NoticePicture.h"

// The outcome of P and E (the file's full path, or why nothing was written), shown where
// the user looks: a one-line bar over the bottom of the frame, above the button bar, for
// a few seconds. The frame that P saves is read back before the notice is drawn, so the
// picture never holds it.
class FrameNotice {
public:
    // `redraw` draws a frame: when a notice comes and when it goes.
    explicit FrameNotice(std::function<void()> redraw);

    void Show(const QString& text, bool failure);
    bool Visible() const { return timer_.isActive(); }
    const QString& Text() const { return text_; }

    // The bar for a client area of `width` x `height` device pixels at `ratio` device
    // pixels per overlay pixel; made again only when the text or the size change. Empty
    // (no pixels) when the client area is too small to hold it.
    const NoticePicture& Picture(int width, int height, double ratio);

    // How long a notice stays, in milliseconds.
    static constexpr int ShownMs = 5000;
    static constexpr int FailureShownMs = 8000;

private:
    std::function<void()> redraw_;
    QTimer timer_;
    QString text_;
    bool failure_ = false;
    NoticePicture picture_;
    QString pictureText_;
    int pictureWidth_ = -1;
    int pictureHeight_ = -1;
    double pictureRatio_ = 0.0;
};
