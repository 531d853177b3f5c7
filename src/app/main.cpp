// Dendrova: grows a tree by recursive branching and shows it live with OpenGL.
#include <QApplication>

#include <cstdio>

#include "app/BatchRun.h"
#include "app/CommandLine.h"
#include "app/TreeApp.h"
#include "base/ProgramLine.h"
#include "platform/AllocatorTuning.h"
#include "platform/QtPlatform.h"
#include "platform/QuitSignals.h"
#include "platform/StopSignals.h"
#include "platform/WindowSystemStart.h"

namespace {

// A failure that ends the run: its line on stderr, its exit status for the process.
int Exit(const Failure& failure) {
    PrintProgramLine(failure.message);
    return failure.exitCode;
}

} // namespace

int main(int argc, char** argv) {
    // Before anything is allocated: large blocks go back to the system when freed.
    TuneAllocator();
    const Result<CommandLine> command = ParseCommandLine(CommandLineArguments(argc, argv));
    if (!command) {
        return Exit(command.Error());
    }
    if (command->action == CommandLine::Action::Print) {
        std::fputs(command->text.c_str(), stdout);
        return std::fflush(stdout) == 0 ? 0 : FailureExitCode;
    }
    for (const std::string& notice : command->options.notices) {
        PrintProgramLine(notice);
    }
    // --export and --render end by themselves; Ctrl+C or SIGTERM stops them, leaving
    // nothing half-written behind, and the process then ends by that signal.
    if (command->options.Batch()) {
        CatchStopSignals();
        const Result<> run = RunBatch(command->options);
        if (run) {
            return 0;
        }
        const int exitCode = Exit(run.Error());
        return StopRequested() ? EndByStopSignal() : exitCode;
    }
    // Before anything else of the viewer, so that a signal during the start-up is held,
    // not fatal.
    CatchQuitSignals();
    WindowSystemStart windowSystem(FailureExitCode);
    QApplication application(argc, argv);
    windowSystem.Opened();
    QtPlatform platform;
    SetPlatform(&platform);
    int exitCode = 0;
    {
        TreeApp app;
        app.startGeometry = command->options.geometry;
        app.seed = command->options.seed;
        app.startParams = command->options.params;
        app.startCamera = command->options.camera;
        app.Start();
        // Asked to end by the session or a terminal (also while starting): close as the
        // user would, on the event loop's first turn, so the settings are kept.
        OnQuitSignals([&app] { app.QuitBySignal(); });
        exitCode = app.Exit(QApplication::exec());
    }
    SetPlatform(nullptr);
    return exitCode;
}
