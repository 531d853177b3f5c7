// Dendrova: grows a tree by recursive branching and shows it live with OpenGL.
#include <QApplication>

#include <cstdio>

#include "app/BatchRun.h"
#include "app/CommandLine.h"
#include "app/TreeApp.h"
#include "platform/QtPlatform.h"
#include "platform/QuitSignals.h"
#include "platform/StopSignals.h"
#include "platform/WindowSystemStart.h"

int main(int argc, char** argv) {
    const CommandLine command = ParseCommandLine(CommandLineArguments(argc, argv));
    if (command.action != CommandLine::Action::Run) {
        return FinishCommandLine(command);
    }
    for (const std::string& notice : command.options.notices) {
        std::fprintf(stderr, "dendrova: %s\n", notice.c_str());
    }
    // --export and --render end by themselves; Ctrl+C or SIGTERM stops them, leaving
    // nothing half-written behind.
    if (command.options.Batch()) {
        CatchStopSignals();
        return RunBatch(command.options);
    }
    // Before anything else of the viewer, so that a signal during the start-up is held,
    // not fatal.
    CatchQuitSignals();
    WindowSystemStart windowSystem("dendrova", FailureExitCode);
    QApplication application(argc, argv);
    windowSystem.Opened();
    QtPlatform platform;
    SetPlatform(&platform);
    int exitCode = 0;
    {
        TreeApp app;
        app.startGeometry = command.options.geometry;
        app.seed = command.options.seed;
        app.startParams = command.options.params;
        app.startCamera = command.options.camera;
        app.Start();
        // Asked to end by the session or a terminal (also while starting): close as the
        // user would, on the event loop's first turn, so the settings are kept.
        OnQuitSignals([&app] { app.QuitBySignal(); });
        exitCode = app.Exit(QApplication::exec());
    }
    SetPlatform(nullptr);
    return exitCode;
}
