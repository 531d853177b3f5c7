#include "DragRig.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QListWidget>
#include <QSlider>
#include <QTest>
#include <QWindow>

#include "SliderHandle.h"
#include "platform/AllocatorTuning.h"

QApplication& DragApplication() {
    TuneAllocator(); // as the program does first in main()
    static int argc = 1;
    static char name[] = "dendrova-drag-bench";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);
    return app;
}

DragRig::DragRig(const TreeParams& params) : session(params, 1), viewer(session), panel(session) {
    link_.panel = &panel;
    viewer.SetPanel(&link_);
    panel.viewer = &viewer;
}

DragRig::~DragRig() {
    if (opened_) {
        panel.hide();
        viewer.DestroyWindow();
    }
}

std::string DragRig::Open(TreeDrawMode mode) {
    opened_ = true;
    viewer.CreateSized(540, 350);
    viewer.show();
    if (!QTest::qWaitForWindowExposed(&viewer)) {
        return "the viewer was not shown";
    }
    viewer.glState()->drawMode = mode;
    panel.Create(&viewer);
    panel.show();
    if (!QTest::qWaitForWindowExposed(&panel)) {
        return "the panel was not shown";
    }
    panel.ListControl()->setCurrentRow(6); // "SSE. Dep. Attenuate"
    return {};
}

void DragRig::RegrowAndDraw() {
    viewer.RebuildTree();
    viewer.RenderFrame();
    panel.ShowSelectedValue();
}

// The thumb's centre in the panel's coordinates: the drag goes to the panel's window, as
// the window system would deliver it.
QPoint DragRig::Thumb() const {
    QSlider* slider = panel.SliderControl();
    return slider->mapTo(&panel, HandleCentre(slider));
}

void DragRig::Select(int row) {
    panel.ListControl()->setCurrentRow(row);
}

void DragRig::DragToTop(std::vector<double>* moves, std::vector<float>* values, int limit) {
    QSlider* slider = panel.SliderControl();
    QWindow* window = panel.windowHandle();
    const QPoint start = Thumb();
    QTest::mousePress(window, Qt::LeftButton, {}, start);
    // Up the screen, one pixel a move, until the slider reaches its top end (position 0,
    // the maximum).
    QPoint at = start;
    while (slider->value() > slider->minimum() && at.y() > start.y() - 2000 &&
           (limit < 0 || start.y() - at.y() < limit)) {
        at.ry() -= 1;
        QElapsedTimer move;
        move.start();
        QTest::mouseMove(window, at);
        if (moves) {
            moves->push_back(move.nsecsElapsed() * 1e-6);
        }
        if (values) {
            values->push_back(session.params().sseDepAttenuate);
        }
    }
    QTest::mouseRelease(window, Qt::LeftButton, {}, at);
}

void DragRig::JumpToBottom() {
    QSlider* slider = panel.SliderControl();
    QWindow* window = panel.windowHandle();
    const QPoint start = Thumb();
    QTest::mousePress(window, Qt::LeftButton, {}, start);
    const QPoint end = start + QPoint(0, slider->height());
    QTest::mouseMove(window, end);
    QTest::mouseRelease(window, Qt::LeftButton, {}, end);
}
