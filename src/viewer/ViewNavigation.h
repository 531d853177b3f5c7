#pragma once

#include <QBasicTimer>
#include <QObject>

#include <cstdint>
#include <set>

#include "model/Camera.h"
#include "scene/KeyFilter.h"
#include "viewer/Navigation.h"

// What the navigation asks of the window it steers.
class NavigationHost {
public:
    virtual ~NavigationHost() = default;
    virtual void RenderFrame() = 0; // the camera moved: a new frame at once
    // Called before the frame of a step of a continuous motion (mouse flight, arrow
    // repeat, spin): the view is moving.
    virtual void ViewMoved() {}
    virtual void ToggleHelp() = 0;       // H and the Help button
    virtual void ShowControlPanel() = 0; // T and the Tree button
    // Keeps the mouse's events coming while a flight runs, wherever the pointer goes.
    virtual void GrabMouse(bool grab) = 0;
};

// The viewer's navigation: the keys (through the key filter, which also runs the
// commands of the on-screen buttons), the mouse flight and the auto spin, with their
// three timers, acting on one Camera.
class ViewNavigation final : public QObject, public CommandHost {
public:
    ViewNavigation(Camera& camera, NavigationHost& host);

    // A key went down or up in the window (Qt's key code). True when the navigation or a
    // command took it; false leaves it to the window (Escape, Enter, everything else).
    bool KeyPress(int qtKey, bool autoRepeat);
    bool KeyRelease(int qtKey, bool autoRepeat);
    // A click on an on-screen button: the command its key runs.
    void ButtonClicked(char commandLetter);
    // The keyboard went to another window: the held keys' releases go there.
    void FocusLost();

    // Mouse flight: forward or backward every 10 ms until EndMove.
    void StartMove(MoveMode mode);
    void EndMove();
    MoveMode Mode() const { return moveMode_; }
    bool Spinning() const { return autoSpin_ != 0; }
    // The last key code the filter recorded.
    int32_t LastKeyCode() const { return lastKey_; }

    // Runs one tick of the timer with the given id (KeyRepeatTimerId, MoveTimerId or
    // SpinTimerId), as its timer would.
    void OnTimer(int timerId);
    bool isTimerRunning(int timerId) const;
    // Stops every timer (the window goes).
    void Stop();

    // CommandHost
    void ToggleAutoSpin() override;
    void ToggleHelp() override;
    void ShowControlPanel() override;
    void ArrowStep() override;
    void StartKeyRepeatTimer() override;
    void StopKeyRepeatTimer() override;
    int32_t& LastKey() override { return lastKey_; }

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    Camera& camera_;
    NavigationHost& host_;
    QBasicTimer keyRepeatTimer_;
    QBasicTimer moveTimer_;
    QBasicTimer spinTimer_;
    int32_t lastKey_ = 0;
    MoveMode moveMode_ = MoveMode::None;
    int32_t autoSpin_ = 0;
    // Keys whose key-down reached the window and whose key-up has not yet come.
    std::set<int32_t> keysDown_;
};

// Maps a Qt key to the key code the filter works with: arrows 0x25-0x28, letters and
// digits as upper-case ASCII, Escape 0x1B, Enter 0x0D. Every other key gets Qt's number
// moved above all of these (OtherKeyFlag), so that no other key can pass for an arrow
// (Qt's codes for '%', '&', '\'' and '(' are 0x25-0x28).
inline constexpr int32_t OtherKeyFlag = 0x40000000;
int32_t KeyCodeFor(int qtKey);
