#include "panel/ControlPanel.h"

#include <QEvent>
#include <QMouseEvent>
#include <QTimer>
#include <QWindow>

#include "platform/KeyboardGrab.h"

// The panel as a window: it hides itself when it loses the activation (the auto-close
// option), keeps that from happening while one of its own dialogs is open or the window
// manager moves it, and moves when it is dragged by a free spot.

namespace {

// How far the pointer moves with the button held before a press on a free spot moves the
// panel, in pixels.
constexpr int MoveThresholdPx = 4;

} // namespace

bool ControlPanel::event(QEvent* e) {
    const bool handled = QDialog::event(e);
    if (e->type() == QEvent::WindowActivate || e->type() == QEvent::WindowDeactivate) {
        UpdateFromControls();
        if (e->type() == QEvent::WindowActivate) {
            closeCheck_->stop();
        } else if (autoClose != 0 && IsCreated()) {
            CloseIfInactive();
        }
    }
    return handled;
}

void ControlPanel::OwnDialogOpened() {
    ++ownDialogs_;
}

void ControlPanel::OwnDialogClosed() {
    if (--ownDialogs_ == 0 && isVisible()) {
        raise();
        activateWindow();
    }
}

void ControlPanel::CloseIfInactive() {
    if (isActiveWindow() || !isVisible() || ownDialogs_ > 0) {
        closeCheck_->stop();
        return;
    }
    // While the user moves the panel (by its caption or a free spot) the window manager
    // holds the keyboard and the panel looks inactive; it gets its activation back when
    // the move ends. Decide once the hold has been over for a whole check period, so the
    // returning activation has arrived first.
    if (KeyboardGrabbedAway()) {
        grabSeenEnded_ = false;
        closeCheck_->start();
        return;
    }
    if (closeCheck_->isActive() && !grabSeenEnded_) {
        grabSeenEnded_ = true;
        return;
    }
    closeCheck_->stop();
    UpdateFromControls();
    if (autoClose != 0)
        hide();
}

void ControlPanel::mousePressEvent(QMouseEvent* e) {
    // Presses that reach the panel itself hit no control: once the pointer moves with the
    // button held, the window moves as if its caption had been taken.
    if (e->button() != Qt::LeftButton) {
        QDialog::mousePressEvent(e);
        return;
    }
    e->accept();
    pressPending_ = true;
    dragStartGlobal_ = e->globalPosition().toPoint();
    dragStartPos_ = pos();
}

void ControlPanel::mouseMoveEvent(QMouseEvent* e) {
    const QPoint global = e->globalPosition().toPoint();
    if (pressPending_ && (e->buttons() & Qt::LeftButton) &&
        (global - dragStartGlobal_).manhattanLength() >= MoveThresholdPx) {
        pressPending_ = false;
        // Started while the button is held and the pointer moving, the window manager's
        // move is not left running by a quick click.
        if (windowHandle() != nullptr && windowHandle()->startSystemMove())
            return;
        dragging_ = true;
    }
    if (!dragging_) {
        QDialog::mouseMoveEvent(e);
        return;
    }
    move(dragStartPos_ + (global - dragStartGlobal_));
}

void ControlPanel::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton && (pressPending_ || dragging_)) {
        pressPending_ = false;
        dragging_ = false;
        return;
    }
    QDialog::mouseReleaseEvent(e);
}
