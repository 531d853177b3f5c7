#include "viewer/ViewerWind.h"

#include <QTimerEvent>

void ViewerWind::Toggle() {
    if (On()) {
        Stop();
        return;
    }
    since_.start();
    timer_.start(WindFramePeriodMs, Qt::PreciseTimer, this);
}

void ViewerWind::Stop() {
    timer_.stop();
    since_.invalidate();
}

std::optional<double> ViewerWind::Seconds() const {
    if (!On()) {
        return std::nullopt;
    }
    return static_cast<double>(since_.nsecsElapsed()) * 1e-9;
}

void ViewerWind::timerEvent(QTimerEvent* e) {
    if (e->timerId() == timer_.timerId()) {
        frameDue_();
    } else {
        QObject::timerEvent(e);
    }
}
