#include "platform/WindowSystemStart.h"

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

#include "base/ProgramLine.h"

namespace {

// The one guard alive, with what it needs inside the message handler.
struct Held {
    int failureCode = 1;
    struct Message {
        QtMsgType type;
        QString category;
        QString text;
    };
    std::vector<Message> messages;
};
Held* held = nullptr;

} // namespace

WindowSystemStart::WindowSystemStart(int failureCode) {
    held = new Held{failureCode, {}};
    previous_ = qInstallMessageHandler(&WindowSystemStart::Handle);
}

WindowSystemStart::~WindowSystemStart() {
    Opened();
}

void WindowSystemStart::Opened() {
    if (open_) {
        return;
    }
    open_ = true;
    qInstallMessageHandler(previous_);
    const std::vector<Held::Message> messages = std::move(held->messages);
    delete held;
    held = nullptr;
    // What Qt said while starting (a plugin it fell back from, say) still counts.
    for (const Held::Message& m : messages) {
        const QByteArray category = m.category.toUtf8();
        const QMessageLogContext context(nullptr, 0, nullptr, category.constData());
        qt_message_output(m.type, context, m.text);
    }
}

std::string WindowSystemStart::FailureLine(const std::vector<QString>& messages) {
    // Qt's first complaint names the cause ("could not connect to display :5", "Could not
    // find the Qt platform plugin "foo" in """); its closing advice about reinstalling
    // does not apply.
    QString reason = QStringLiteral("no display to show it on");
    const bool noDisplay =
        qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    for (const QString& text : messages) {
        const QString line = text.section(QLatin1Char('\n'), 0, 0).trimmed();
        if (!line.isEmpty() && !line.startsWith(QLatin1String("This application failed"))) {
            reason = line;
            if (reason.endsWith(QLatin1Char('.'))) {
                reason.chop(1);
            }
            reason[0] = reason[0].toLower();
            if (noDisplay && reason.startsWith(QLatin1String("could not connect to display"))) {
                reason = QStringLiteral("no X server or Wayland compositor to connect to "
                                        "(neither DISPLAY nor WAYLAND_DISPLAY is set)");
            }
            break;
        }
    }
    const QString text = QStringLiteral("cannot open the viewer window: ") + reason +
                         QStringLiteral("; --render and --export need no window");
    return ProgramLine(text.toLocal8Bit().toStdString());
}

void WindowSystemStart::Handle(QtMsgType type, const QMessageLogContext& context,
                               const QString& text) {
    if (held == nullptr) {
        return;
    }
    if (type != QtFatalMsg) {
        held->messages.push_back(
            {type, QString::fromUtf8(context.category ? context.category : ""), text});
        return;
    }
    std::vector<QString> texts;
    for (const Held::Message& m : held->messages) {
        texts.push_back(m.text);
    }
    texts.push_back(text);
    const std::string line = FailureLine(texts) + '\n';
    // Qt aborts once this returns; the process ends here instead, as a failure to start.
    [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, line.data(), line.size());
    ::_exit(held->failureCode);
}
