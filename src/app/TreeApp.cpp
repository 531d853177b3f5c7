#include "app/TreeApp.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>

#include "model/LeafRandomTable.h"

TreeApp::TreeApp() {
    viewer.onCancel = [this] { CloseSequence(); };
}

TreeApp::~TreeApp() {
    viewer.panel = nullptr;
}

bool TreeApp::Start() {
    LoadModelConfig(geometry, viewer.camera, configPath);
    if (seed) {
        CreateLeafRandomTableSeeded(*seed);
    } else {
        CreateLeafRandomTable();
    }

    viewer.panel = this;
    panel.viewer = &viewer;

    viewer.CreateSized(geometry.windowWidth, geometry.windowHeight);
    viewer.show();
    if (QScreen* screen = viewer.screen()) {
        QRect frame = viewer.frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        viewer.setFramePosition(frame.topLeft());
    }
    if (geometry.windowMaximized) {
        viewer.showMaximized();
    }

    panel.autoClose = geometry.panelAutoClose;
    panel.Create(&viewer);
    panel.hide();
    panel.move(geometry.panelLeft, geometry.panelTop);

    viewer.requestActivate();
    return true;
}

void TreeApp::CloseSequence() {
    if (closed_) {
        return;
    }
    closed_ = true;
    if (viewer.windowStates() & Qt::WindowMaximized) {
        const QSize normal = viewer.NormalOuterSize();
        viewer.showNormal();
        geometry.windowMaximized = 1;
        geometry.windowWidth = normal.width();
        geometry.windowHeight = normal.height();
    } else {
        geometry.windowMaximized = 0;
        const QSize outer = viewer.frameGeometry().size();
        geometry.windowWidth = outer.width();
        geometry.windowHeight = outer.height();
    }
    const QPoint panelCorner = panel.frameGeometry().topLeft();
    geometry.panelLeft = panelCorner.x();
    geometry.panelTop = panelCorner.y();
    panel.UpdateFromControls();
    geometry.panelAutoClose = panel.autoClose;

    panel.hide();
    viewer.panel = nullptr;
    viewer.DestroyWindow();
    QCoreApplication::exit(0);
}

int TreeApp::Exit(int exitCode) {
    SaveModelConfig(geometry, viewer.camera);
    FreeLeafRandomTable();
    return exitCode;
}

void TreeApp::ShowStatistics(const std::string& text) {
    panel.ShowStatistics(text);
}

void TreeApp::ShowAndFocus() {
    panel.show();
    panel.raise();
    panel.activateWindow();
}
