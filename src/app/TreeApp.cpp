#include "app/TreeApp.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include "app/OutputFolder.h"
#include "app/ScreenFit.h"
#include "base/ProgramLine.h"
#include "model/LeafRandomTable.h"
#include "model/ModelConfigRecord.h"
#include "panel/ParamMenu.h"
#include "platform/Platform.h"

namespace {

// How long the start waits for the window manager to show the viewer.
constexpr int StartExposeTimeoutMs = 3000;

QRect AvailableArea(const QScreen* screen) {
    return screen ? screen->availableGeometry() : QRect();
}

} // namespace

TreeApp::TreeApp() {
    viewer.SetOnCancel([this] { CloseSequence(); });
}

TreeApp::~TreeApp() {
    viewer.SetPanel(nullptr);
}

bool TreeApp::Start() {
    starting_ = true;
    // A record named on the command line was read there, with its window settings; the
    // file is not opened a second time.
    if (startGeometry) {
        geometry = *startGeometry;
    } else if (const std::optional<ModelConfigRead> read = LoadModelConfig(configPath)) {
        Camera camera = viewer.CurrentCamera();
        ApplyModelConfigRecord(read->record, read->size, geometry, camera, session.params());
        viewer.SetViewCamera(camera);
    }
    if (startParams) {
        session.params() = *startParams;
    }
    if (startCamera) {
        viewer.SetViewCamera(*startCamera);
    }
    session.Reseed(seed ? *seed : ClockSeed());

    viewer.SetPanel(this);
    viewer.Output().SetFolder(OutputFolderForThisRun());
    panel.viewer = &viewer;

    const QRect area = AvailableArea(viewer.screen());
    const QSize outer = FitOuterSize(QSize(geometry.windowWidth, geometry.windowHeight), area);
    viewer.CreateSized(outer.width(), outer.height());
    CentreViewer(area);
    viewer.show();
    // The window manager's frame is known once the window is on screen: only then can the
    // stored outer size and the centring of the frame be exact.
    viewer.WaitUntilExposed(StartExposeTimeoutMs);
    viewer.SetOuterSize(outer.width(), outer.height());
    CentreViewer(area);
    if (geometry.windowMaximized) {
        viewer.showMaximized();
    }

    panel.autoClose = geometry.panelAutoClose;
    panel.currentGeometry = [this] { return CurrentGeometry(); };
    panel.Create(&viewer);
    panel.hide();
    PlacePanel(QPoint(geometry.panelLeft, geometry.panelTop));
    // The frames drawn so far came before the panel could show their statistics.
    panel.ShowStatistics(viewer.LastStatistics());
    starting_ = false;
    if (closeAfterStart_) {
        // Asked to close while starting (a signal, the window manager's close): close as
        // soon as the event loop runs, which the close sequence ends.
        QTimer::singleShot(0, &viewer, [this] { CloseSequence(); });
    }

    viewer.requestActivate();
    return true;
}

void TreeApp::CentreViewer(const QRect& area) {
    if (area.isEmpty()) {
        return;
    }
    QRect frame = viewer.frameGeometry();
    frame.moveCenter(area.center());
    viewer.setFramePosition(frame.topLeft());
}

void TreeApp::PlacePanel(QPoint corner) {
    QScreen* screen = QGuiApplication::screenAt(corner);
    const QRect area = AvailableArea(screen ? screen : viewer.screen());
    // The panel has no frame before it is first shown; the viewer's frame stands in for it.
    const QSize outer = panel.frameGeometry().size().grownBy(viewer.frameMargins());
    const QPoint fitted = FitCorner(corner, outer, area);
    // The stored point is the frame's corner. Placed by its frame, the window manager puts
    // the frame there when it first shows the panel, whatever its decoration.
    panel.move(fitted);
    if (QWindow* window = panel.windowHandle()) {
        window->setFramePosition(fitted);
    }
}

WindowGeometry TreeApp::CurrentGeometry() {
    WindowGeometry current = geometry;
    // A maximized viewer is remembered by its normal size, and that it was maximized.
    const bool maximized = (viewer.windowStates() & Qt::WindowMaximized) != 0;
    const QSize outer = maximized ? viewer.NormalOuterSize() : viewer.frameGeometry().size();
    current.windowMaximized = maximized ? 1 : 0;
    current.windowWidth = outer.width();
    current.windowHeight = outer.height();
    const QPoint panelCorner = panel.frameGeometry().topLeft();
    current.panelLeft = panelCorner.x();
    current.panelTop = panelCorner.y();
    panel.UpdateFromControls();
    current.panelAutoClose = panel.autoClose;
    return current;
}

void TreeApp::CloseSequence() {
    if (closed_) {
        return;
    }
    if (starting_) {
        closeAfterStart_ = true;
        return;
    }
    closed_ = true;
    geometry = CurrentGeometry();
    if (viewer.windowStates() & Qt::WindowMaximized) {
        viewer.showNormal();
    }

    panel.hide();
    viewer.SetPanel(nullptr);
    viewer.DestroyWindow();
    // Saved while the event loop still runs, so that a failure can still be shown.
    SaveSettings();
    QCoreApplication::exit(0);
}

void TreeApp::SaveSettings() {
    if (saved_) {
        return;
    }
    saved_ = true;
    const Result<> saved =
        SaveModelConfig(geometry, viewer.CurrentCamera(), session.params(), ModelConfigFileName);
    if (saved) {
        return;
    }
    PrintProgramLine("the settings were not saved: " + saved.Error().message);
    // Started from the menu, nobody reads stderr: the user is told once, in a box. Not
    // when the session or a terminal ended the program, which no box may hold up.
    if (!endedBySignal_) {
        CurrentPlatform().ShowWarning(
            "Your settings could not be saved, so this run's tree, camera and window places "
            "will not come back at the next start.\n\n" +
            saved.Error().message);
    }
}

int TreeApp::Exit(int exitCode) {
    SaveSettings();
    return exitCode;
}

void TreeApp::QuitBySignal() {
    endedBySignal_ = true;
    CloseSequence();
}

void TreeApp::ShowStatistics(const std::string& text) {
    panel.ShowStatistics(text);
}

void TreeApp::ShowAndFocus() {
    panel.show();
    panel.raise();
    panel.activateWindow();
}

void TreeApp::NewRandomTree() {
    if (ParamMenu* menu = panel.ParamActions()) {
        menu->NewRandomTree();
    }
}
