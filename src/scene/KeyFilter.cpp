#include "scene/KeyFilter.h"

#include "scene/FeedbackMail.h"

namespace {

bool IsArrow(int32_t code) {
    return code >= KeyLeft && code <= KeyDown;
}

// A key-down. Spin, Help and Tree act on every press, auto-repeat included; Mail opens
// one mail window per press. Any other key equal to the last recorded one is a held
// key's repeat and is swallowed.
bool FilterKeyDown(int32_t code, bool autoRepeat, CommandHost& host) {
    switch (code) {
    case 'S':
    case 's':
        host.ToggleAutoSpin();
        return true;
    case 'H':
    case 'h':
        host.LastKey() = code;
        host.ToggleHelp();
        return true;
    case 'T':
    case 't':
        host.ShowControlPanel();
        return true;
    case 'M':
    case 'm':
        if (!autoRepeat) {
            SendFeedbackMail();
        }
        return true;
    default:
        break;
    }
    int32_t& lastKey = host.LastKey();
    if (code == lastKey) {
        return true;
    }
    lastKey = code;
    if (IsArrow(code)) {
        // One step at once, then the repeat timer takes over until the key goes up.
        host.ArrowStep();
        host.StartKeyRepeatTimer();
        return true;
    }
    return false;
}

bool FilterKeyUp(int32_t code, CommandHost& host) {
    host.LastKey() = code;
    if (IsArrow(code)) {
        host.LastKey() = 0;
        host.StopKeyRepeatTimer();
        return true;
    }
    return false;
}

} // namespace

bool filterMessage(const KeyMessage& message, CommandHost& host) {
    switch (message.kind) {
    case KeyMessage::Kind::HelpRequest:
        // F1 opens no help: the request is consumed.
        return true;
    case KeyMessage::Kind::KeyDown:
        return FilterKeyDown(message.keyCode, message.autoRepeat, host);
    case KeyMessage::Kind::KeyUp:
        return FilterKeyUp(message.keyCode, host);
    case KeyMessage::Kind::Other:
        break;
    }
    return false;
}
