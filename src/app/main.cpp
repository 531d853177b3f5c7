// Dendrova: grows a tree by recursive branching and shows it live with OpenGL.
#include <QApplication>

#include "app/TreeApp.h"
#include "platform/QtPlatform.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QtPlatform platform;
    SetPlatform(&platform);
    int exitCode = 0;
    {
        TreeApp app;
        app.Start();
        exitCode = app.Exit(QApplication::exec());
    }
    SetPlatform(nullptr);
    return exitCode;
}
