// W in the viewer window on a real X server (xvfb-run) with a real Mesa context: the
// wind's timer, the frames it draws and the mesh they sway.
#include <QAction>
#include <QMenu>
#include <QTest>

#include "RecordingPlatform.h"
#include "model/TreeParams.h"
#include "model/TreeSession.h"
#include "panel/ControlPanel.h"
#include "render/GlContextState.h"
#include "viewer/ViewerWindow.h"

class ViewerWindTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        session = std::make_unique<TreeSession>(TreeParams{}, 5);
        viewer = std::make_unique<ViewerWindow>(*session);
        // Every frame the full tree, however loaded the machine: a default frame over the
        // budget would otherwise be drawn light while moving (the motion tests cover that).
        viewer->SetLighterWhileMoving(false);
        QVERIFY(viewer->CreateSized(540, 350));
        viewer->show();
        QVERIFY(QTest::qWaitForWindowExposed(viewer.get()));
    }

    void cleanup() {
        viewer->DestroyWindow();
        viewer.reset();
        session.reset();
    }

    // Off at start. W starts the wind and its timer, whose ticks draw frames that sway the
    // mesh, a regrown one too; W again stops both and draws the tree at rest, built without
    // the wind. A held W toggles once.
    void wStartsAndStopsTheSwayAndItsTimer() {
        const GlContextState& gl = *viewer->glState();
        QVERIFY(!viewer->Wind().On());
        QVERIFY(!gl.treeMesh.sway.built);
        QTest::keyPress(viewer.get(), Qt::Key_W);
        QTest::simulateEvent(viewer.get(), true, Qt::Key_W, Qt::NoModifier, "w", true);
        QTest::keyRelease(viewer.get(), Qt::Key_W);
        QVERIFY(viewer->Wind().On());
        QVERIFY(gl.treeMesh.sway.built);
        const int64_t frames = viewer->FramesDrawn();
        QTRY_VERIFY(viewer->FramesDrawn() >= frames + 3);
        QVERIFY(gl.treeMesh.sway.shownAt.value_or(0.0) > 0.0);

        session->params().segExpandAngle = 40.0f;
        viewer->RebuildTree();
        viewer->RenderFrame();
        QCOMPARE(gl.treeMesh.mesh.modelGeneration, session->generation());
        QVERIFY(gl.treeMesh.sway.built);

        QTest::keyClick(viewer.get(), Qt::Key_W);
        QVERIFY(!viewer->Wind().On());
        QVERIFY(!gl.treeMesh.sway.built);
        const int64_t stopped = viewer->FramesDrawn();
        QTest::qWait(150);
        QCOMPARE(viewer->FramesDrawn(), stopped);
    }

    // The panel's menu has the same toggle, checked while the wind blows (also by W).
    void thePanelsMenuTogglesTheWindToo() {
        ControlPanel panel(*session);
        panel.viewer = viewer.get();
        panel.Create(nullptr);
        QAction* wind = nullptr;
        for (QAction* action : panel.ParamActions()->Menu()->actions()) {
            if (action->text() == QStringLiteral("Wind")) {
                wind = action;
            }
        }
        QVERIFY(wind && wind->isCheckable());
        wind->trigger();
        QVERIFY(viewer->Wind().On());
        QVERIFY(wind->isChecked());
        wind->trigger();
        QVERIFY(!viewer->Wind().On());
        QVERIFY(!wind->isChecked());
    }

private:
    std::unique_ptr<TreeSession> session;
    std::unique_ptr<ViewerWindow> viewer;
    RecordingPlatform platform;
};

QTEST_MAIN(ViewerWindTest)
#include "ViewerWindTest.moc"
