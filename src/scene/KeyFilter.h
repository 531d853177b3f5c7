#pragma once

#include <cstdint>

#include "scene/KeyCodes.h"

// One queued input message as the filter sees it.
struct KeyMessage {
    enum class Kind { KeyDown, KeyUp, HelpRequest, Other };
    Kind kind = Kind::Other;
    int32_t keyCode = 0;
    bool autoRepeat = false; // a key-down the keyboard repeats while the key is held
};

// What the filter asks of the viewer window.
class CommandHost {
public:
    virtual ~CommandHost() = default;
    virtual void ToggleAutoSpin() = 0;      // start or stop the spin timer
    virtual void ToggleHelp() = 0;          // flip the help pictures and redraw at once
    virtual void ShowControlPanel() = 0;    // show the panel and give it the keyboard focus
    virtual void ArrowStep() = 0;           // one navigation step for LastKey()
    virtual void StartKeyRepeatTimer() = 0; // (re)start the 10 ms arrow repeat
    virtual void StopKeyRepeatTimer() = 0;
    virtual int32_t& LastKey() = 0; // last key code recorded by the filter
};

// The viewer's filter over every queued key message; true when the message was handled
// and must not be dispatched further.
bool filterMessage(const KeyMessage& message, CommandHost& host);
