#pragma once

#include <QBasicTimer>
#include <QElapsedTimer>
#include <QObject>

#include <functional>
#include <optional>

// How often a frame is due while the wind blows (25 a second).
inline constexpr int WindFramePeriodMs = 40;

// The viewer's wind (W): off at start. Started, its sway time runs from that moment on and a
// timer asks for a frame every WindFramePeriodMs, the way the auto spin's timer does; the
// frames themselves read the sway time (FrameScene::windSeconds), so any frame drawn
// meanwhile shows the sway of its moment. Stopped, no timer runs and frames show the tree
// at rest.
class ViewerWind final : public QObject {
public:
    // `frameDue` is run on every tick of the timer.
    explicit ViewerWind(std::function<void()> frameDue) : frameDue_(std::move(frameDue)) {}

    void Toggle();
    void Stop();
    bool On() const { return timer_.isActive(); }
    // The sway time of a frame drawn now: seconds since the wind started; none while off.
    std::optional<double> Seconds() const;

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    std::function<void()> frameDue_;
    QBasicTimer timer_;
    QElapsedTimer since_;
};
