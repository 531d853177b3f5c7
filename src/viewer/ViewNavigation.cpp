#include "viewer/ViewNavigation.h"

#include <QTimerEvent>

int32_t KeyCodeFor(int qtKey) {
    switch (qtKey) {
    case Qt::Key_Left:
        return KeyLeft;
    case Qt::Key_Up:
        return KeyUp;
    case Qt::Key_Right:
        return KeyRight;
    case Qt::Key_Down:
        return KeyDown;
    case Qt::Key_Escape:
        return 0x1B;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 0x0D;
    default:
        break;
    }
    // Qt's letter and digit keys already carry their upper-case ASCII codes.
    if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)) {
        return qtKey;
    }
    return OtherKeyFlag | qtKey;
}

ViewNavigation::ViewNavigation(Camera& camera, NavigationHost& host)
    : camera_(camera), host_(host) {}

bool ViewNavigation::KeyPress(int qtKey, bool autoRepeat) {
    const int32_t code = KeyCodeFor(qtKey);
    // The repeat of a key that went down in another window (Escape held after it hid the
    // control panel, an arrow held while clicking into this window) is not for this one.
    if (autoRepeat && !keysDown_.contains(code)) {
        return true;
    }
    keysDown_.insert(code);
    KeyMessage message{KeyMessage::Kind::KeyDown, code, autoRepeat};
    if (qtKey == Qt::Key_F1) {
        message.kind = KeyMessage::Kind::HelpRequest;
    }
    return filterMessage(message, *this);
}

bool ViewNavigation::KeyRelease(int qtKey, bool autoRepeat) {
    // The keyboard's auto-repeat arrives as release/press pairs; only the final release
    // is a real key-up.
    if (autoRepeat) {
        return true;
    }
    // Only keys pressed in this window are recorded on their release, so that a key-up
    // from elsewhere cannot make the next press of that key count as a repeat.
    const int32_t code = KeyCodeFor(qtKey);
    if (keysDown_.erase(code) == 0) {
        return false;
    }
    return filterMessage(KeyMessage{KeyMessage::Kind::KeyUp, code}, *this);
}

void ViewNavigation::ButtonClicked(char commandLetter) {
    // A click acts exactly as the button's key would.
    filterMessage(KeyMessage{KeyMessage::Kind::KeyDown, commandLetter}, *this);
}

void ViewNavigation::FocusLost() {
    // The key-ups of keys held now go to another window: stop the arrow repeat, and let
    // the next press of any of them count as a new press.
    keysDown_.clear();
    if (lastKey_ >= KeyLeft && lastKey_ <= KeyDown) {
        lastKey_ = 0;
    }
    StopKeyRepeatTimer();
}

void ViewNavigation::StartMove(MoveMode mode) {
    moveMode_ = mode;
    moveTimer_.start(NavigationPeriodMs, Qt::PreciseTimer, this);
    host_.GrabMouse(true);
}

void ViewNavigation::EndMove() {
    moveMode_ = MoveMode::None;
    moveTimer_.stop();
    host_.GrabMouse(false);
}

void ViewNavigation::Stop() {
    keyRepeatTimer_.stop();
    moveTimer_.stop();
    spinTimer_.stop();
}

void ViewNavigation::timerEvent(QTimerEvent* e) {
    if (e->timerId() == moveTimer_.timerId()) {
        OnTimer(MoveTimerId);
    } else if (e->timerId() == keyRepeatTimer_.timerId()) {
        OnTimer(KeyRepeatTimerId);
    } else if (e->timerId() == spinTimer_.timerId()) {
        OnTimer(SpinTimerId);
    } else {
        QObject::timerEvent(e);
    }
}

void ViewNavigation::OnTimer(int timerId) {
    switch (timerId) {
    case MoveTimerId:
        MoveStep(camera_, moveMode_);
        host_.ViewMoved();
        host_.RenderFrame();
        break;
    case KeyRepeatTimerId:
        ArrowStep();
        break;
    case SpinTimerId:
        SpinStep(camera_);
        host_.ViewMoved();
        host_.RenderFrame();
        break;
    default:
        break;
    }
}

bool ViewNavigation::isTimerRunning(int timerId) const {
    switch (timerId) {
    case MoveTimerId:
        return moveTimer_.isActive();
    case KeyRepeatTimerId:
        return keyRepeatTimer_.isActive();
    case SpinTimerId:
        return spinTimer_.isActive();
    default:
        return false;
    }
}

void ViewNavigation::ArrowStep() {
    if (::ArrowStep(camera_, lastKey_)) {
        host_.ViewMoved();
        host_.RenderFrame();
    }
}

void ViewNavigation::StartKeyRepeatTimer() {
    keyRepeatTimer_.start(NavigationPeriodMs, Qt::PreciseTimer, this);
}

void ViewNavigation::StopKeyRepeatTimer() {
    keyRepeatTimer_.stop();
}

void ViewNavigation::ToggleAutoSpin() {
    if (!autoSpin_) {
        spinTimer_.start(SpinPeriodMs, Qt::PreciseTimer, this);
        autoSpin_ = 1;
    } else {
        spinTimer_.stop();
        autoSpin_ = 0;
    }
}

void ViewNavigation::ToggleHelp() {
    host_.ToggleHelp();
}

void ViewNavigation::ShowControlPanel() {
    host_.ShowControlPanel();
}
