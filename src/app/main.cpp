// Dendrova: grows a tree by recursive branching and shows it live with OpenGL.
#include <QApplication>

#include "app/BatchRun.h"
#include "app/CommandLine.h"
#include "app/TreeApp.h"
#include "platform/QtPlatform.h"
#include "platform/QuitSignals.h"

int main(int argc, char** argv) {
    const CommandLine command = ParseCommandLine(CommandLineArguments(argc, argv));
    if (command.action != CommandLine::Action::Run) {
        return FinishCommandLine(command);
    }
    if (command.options.Batch()) {
        return RunBatch(command.options);
    }
    QApplication application(argc, argv);
    QtPlatform platform;
    SetPlatform(&platform);
    int exitCode = 0;
    {
        TreeApp app;
        if (!command.options.paramsPath.empty()) {
            app.configPath = command.options.paramsPath;
        }
        app.seed = command.options.seed;
        // Asked to end by the session or a terminal: close as the user would, so the
        // settings are kept.
        OnQuitSignals([&app] { app.CloseSequence(); });
        app.Start();
        exitCode = app.Exit(QApplication::exec());
    }
    SetPlatform(nullptr);
    return exitCode;
}
