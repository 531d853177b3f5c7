#include "platform/KeyboardGrab.h"

#include <QAbstractNativeEventFilter>
#include <QByteArray>
#include <QCoreApplication>

#if DENDROVA_HAVE_XCB
#include <xcb/xcb.h>
#endif

namespace {

bool grabbedAway = false;

#if DENDROVA_HAVE_XCB
// Follows the focus events of X11: a focus-out of mode "grab" is the keyboard taken by
// another client (the window manager during a move); any other focus change ends it.
class FocusGrabFilter final : public QAbstractNativeEventFilter {
public:
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override {
        if (eventType != "xcb_generic_event_t") {
            return false;
        }
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        const uint8_t type = event->response_type & 0x7F;
        if (type == XCB_FOCUS_OUT || type == XCB_FOCUS_IN) {
            // Both events share one layout.
            const auto* focus = static_cast<const xcb_focus_in_event_t*>(message);
            // Reports that only concern the pointer's window say nothing about the focus.
            if (focus->detail != XCB_NOTIFY_DETAIL_POINTER) {
                grabbedAway = type == XCB_FOCUS_OUT && focus->mode == XCB_NOTIFY_MODE_GRAB;
            }
        }
        return false;
    }
};
#endif

} // namespace

void WatchKeyboardGrabs() {
#if DENDROVA_HAVE_XCB
    static FocusGrabFilter* filter = nullptr;
    if (filter == nullptr && QCoreApplication::instance() != nullptr) {
        filter = new FocusGrabFilter;
        QCoreApplication::instance()->installNativeEventFilter(filter);
    }
#endif
}

bool KeyboardGrabbedAway() {
    return grabbedAway;
}
