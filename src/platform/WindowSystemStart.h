#pragma once

#include <QString>
#include <QtGlobal>

#include <string>
#include <vector>

// Opening the window system (the application object's construction) without Qt's own
// failure: when no platform plugin can start (no X server or Wayland compositor, an
// unknown -platform), Qt prints several lines and aborts. While a WindowSystemStart
// lives, such a failure instead prints one line naming the reason (ProgramLine) and ends
// the process with exit code `failureCode`; Qt's other messages of the start are held and passed on
// once the start has succeeded (Opened) or the guard goes.
class WindowSystemStart {
public:
    explicit WindowSystemStart(int failureCode);
    ~WindowSystemStart();
    WindowSystemStart(const WindowSystemStart&) = delete;
    WindowSystemStart& operator=(const WindowSystemStart&) = delete;

    // The window system is open: Qt's messages go where they went before.
    void Opened();

    // The one line shown for a failed start, from the messages Qt gave before it.
    static std::string FailureLine(const std::vector<QString>& messages);

private:
    static void Handle(QtMsgType type, const QMessageLogContext& context, const QString& text);

    QtMessageHandler previous_ = nullptr;
    bool open_ = false;
};
