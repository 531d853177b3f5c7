// Dendrova: grows a tree by recursive branching and shows it live with OpenGL.
#include <QApplication>

#include "app/TreeApp.h"
#include "platform/QtPlatform.h"
#include "platform/QuitSignals.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QtPlatform platform;
    SetPlatform(&platform);
    int exitCode = 0;
    {
        TreeApp app;
        // Asked to end by the session or a terminal: close as the user would, so the
        // settings are kept.
        OnQuitSignals([&app] { app.CloseSequence(); });
        app.Start();
        exitCode = app.Exit(QApplication::exec());
    }
    SetPlatform(nullptr);
    return exitCode;
}
