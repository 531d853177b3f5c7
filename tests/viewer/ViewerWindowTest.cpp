// The viewer window on a real X server (xvfb-run) with a real Mesa context.
#include <GL/gl.h>

#include <QCursor>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QTest>

#include "RecordingPlatform.h"
#include "model/TreeParams.h"
#include "model/TreeSession.h"
#include "render/GlContextState.h"
#include "viewer/Framing.h"
#include "viewer/ViewerWindow.h"

namespace {

// Counts what the panel link is handed.
struct PanelRecorder final : PanelLink {
    void ShowStatistics(const std::string& text) override { texts.push_back(text); }
    void ShowAndFocus() override { ++shown; }
    void NewRandomTree() override { ++newTrees; }
    std::vector<std::string> texts;
    int shown = 0;
    int newTrees = 0;
};

} // namespace

class ViewerWindowTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        session = std::make_unique<TreeSession>(TreeParams{}, 5);
        viewer = std::make_unique<ViewerWindow>(*session);
        // Every frame the full tree, however loaded the machine: a default frame over the
        // budget would otherwise be drawn light while moving (the motion tests cover that).
        viewer->SetLighterWhileMoving(false);
        viewer->SetPanel(&recorder);
        viewer->SetOnCancel([this] { ++cancels; });
        QVERIFY(viewer->CreateSized(540, 350));
        viewer->show();
        QVERIFY(QTest::qWaitForWindowExposed(viewer.get()));
        // Start every test with the pointer away from the buttons (a move to where the
        // pointer already is produces no event).
        QTest::mouseMove(viewer.get(), QPoint(101, 101));
        QTest::mouseMove(viewer.get(), QPoint(100, 100));
        QTRY_COMPARE(viewer->HoveredButton(), OverlayButton::None);
        cancels = 0;
        recorder = PanelRecorder{};
    }

    void cleanup() {
        viewer->DestroyWindow();
        viewer.reset();
        session.reset();
    }

    void initialStateAndTitle() {
        QVERIFY(viewer->ContextReady());
        QVERIFY(viewer->title().startsWith(" Dendrova on "));
        QVERIFY(viewer->title().contains(" ("));
        // The renderer's version in parentheses, then the seed of the leaf factors.
        QVERIFY(viewer->title().contains(") - seed "));
        QVERIFY(viewer->title().endsWith(QString::number(session->seed())));
        QVERIFY(glIsEnabled(GL_LIGHTING));
        QVERIFY(glIsEnabled(GL_LIGHT0));
        QVERIFY(glIsEnabled(GL_DEPTH_TEST));
        QVERIFY(glIsEnabled(GL_TEXTURE_2D));
        QVERIFY(!glIsEnabled(GL_BLEND));
        GLfloat v[4];
        glGetLightfv(GL_LIGHT0, GL_AMBIENT, v);
        QCOMPARE(v[3], 0.5f);
        glGetLightfv(GL_LIGHT0, GL_DIFFUSE, v);
        QCOMPARE(v[3], 0.8f);
        GLfloat clearDepth = 0;
        glGetFloatv(GL_DEPTH_CLEAR_VALUE, &clearDepth);
        QCOMPARE(clearDepth, 1.0f);
        GLint polygonMode[2];
        glGetIntegerv(GL_POLYGON_MODE, polygonMode);
        QCOMPARE(polygonMode[0], GL_FILL);
        // The tree is grown before the first frame.
        QCOMPARE(CountModel(session->model()).segments, int64_t(1189));
        QCOMPARE(session->generation(), uint64_t(1));
        QVERIFY(viewer->FramesDrawn() > 0);
        QCOMPARE(viewer->ClientSize().width(), viewer->width());
        QCOMPARE(viewer->Aspect(), double(viewer->height()) / viewer->width());
    }

    void everyFrameHandsItsStatisticsToThePanel() {
        viewer->RenderFrame();
        QVERIFY(!recorder.texts.empty());
        const std::string& text = recorder.texts.back();
        QVERIFY(text.find("Elevation: 10.0 Deg.") != std::string::npos);
        QVERIFY(text.find("Pos.(8.0,11.8,0.6)") != std::string::npos);
        // Both passes count: twice the model's records.
        const ModelCounts counts = CountModel(session->model());
        QVERIFY(text.find("Object: " + std::to_string(2 * counts.records()) + " Nodes") !=
                std::string::npos);
        QCOMPARE(viewer->LastStatistics(), text);
    }

    // Camera moves, spin, hover, help, resizes and the three shadow rows redraw from the
    // same mesh; every regrowth rebuilds it, even one that grows the very same tree.
    void onlyAGrowthRebuildsTheMesh() {
        GlContextState* gl = viewer->glState();
        QVERIFY(gl);
        gl->drawMode = TreeDrawMode::Buffers;
        viewer->RenderFrame();
        const int64_t builds = gl->treeMesh.builds;
        QTest::keyClick(viewer.get(), Qt::Key_Left);
        QTest::keyClick(viewer.get(), Qt::Key_Up);
        viewer->Navigation().StartMove(MoveMode::Forward);
        viewer->Navigation().OnTimer(MoveTimerId);
        viewer->Navigation().EndMove();
        viewer->Navigation().OnTimer(SpinTimerId);
        QTest::mouseMove(viewer.get(), QPoint(viewer->width() - 20, viewer->height() - 20));
        viewer->ToggleHelp();
        viewer->OnSize(500, 300);
        session->params().shadowLength = 5.0f;
        session->params().brushShadowDensity = 1.0f;
        session->params().leafShadowDensity = 0.0f;
        viewer->RenderFrame();
        QCOMPARE(gl->treeMesh.builds, builds);
        QVERIFY(gl->treeMesh.inBuffers);

        viewer->RebuildTree();
        viewer->RenderFrame();
        viewer->RenderFrame();
        QCOMPARE(gl->treeMesh.builds, builds + 1);
        session->params().segExpandAngle = 40.0f;
        viewer->RebuildTree();
        viewer->RenderFrame();
        QCOMPARE(gl->treeMesh.builds, builds + 2);
        QCOMPARE(gl->treeMesh.mesh.modelGeneration, session->generation());
    }

    void zeroSizesKeepTheProjection() {
        const double aspect = viewer->Aspect();
        const int64_t frames = viewer->FramesDrawn();
        viewer->OnSize(0, 300); // no width: the previous aspect stays
        QCOMPARE(viewer->Aspect(), aspect);
        QCOMPARE(viewer->ClientSize().width(), 0);
        viewer->OnSize(500, 0); // no height: nothing but the recorded size
        QCOMPARE(viewer->ClientSize().height(), 0);
        QCOMPARE(viewer->FramesDrawn(), frames + 1);
        viewer->OnSize(600, 300);
        QCOMPARE(viewer->Aspect(), 0.5);
    }

    void arrowKeysStepAtOnceAndRepeatWhileHeld() {
        const float azimuth = viewer->CurrentCamera().azimuth;
        QTest::keyPress(viewer.get(), Qt::Key_Left);
        QCOMPARE(viewer->CurrentCamera().azimuth, azimuth - 4.0f);
        QVERIFY(viewer->Navigation().isTimerRunning(KeyRepeatTimerId));
        // The keyboard's own auto-repeat is swallowed.
        QTest::simulateEvent(viewer.get(), true, Qt::Key_Left, Qt::NoModifier, QString(), true);
        QCOMPARE(viewer->CurrentCamera().azimuth, azimuth - 4.0f);
        QTRY_VERIFY(viewer->CurrentCamera().azimuth < azimuth - 8.0f); // the 10 ms repeat
        QTest::keyRelease(viewer.get(), Qt::Key_Left);
        QVERIFY(!viewer->Navigation().isTimerRunning(KeyRepeatTimerId));
        QCOMPARE(viewer->Navigation().LastKeyCode(), 0);
        const float stopped = viewer->CurrentCamera().azimuth;
        QTest::qWait(50);
        QCOMPARE(viewer->CurrentCamera().azimuth, stopped);

        const float elevation = viewer->CurrentCamera().elevation;
        QTest::keyPress(viewer.get(), Qt::Key_Up);
        QCOMPARE(viewer->CurrentCamera().elevation, elevation - 2.0f);
        QTest::keyRelease(viewer.get(), Qt::Key_Up);
        QTest::keyPress(viewer.get(), Qt::Key_Down);
        QTest::keyRelease(viewer.get(), Qt::Key_Down);
        QCOMPARE(viewer->CurrentCamera().elevation, elevation);
    }

    void mouseButtonsFlyAndTheFirstReleaseStops() {
        const QPoint middle(100, 100);
        QTest::mousePress(viewer.get(), Qt::LeftButton, Qt::NoModifier, middle);
        QCOMPARE(viewer->Navigation().Mode(), MoveMode::Forward);
        QVERIFY(viewer->Navigation().isTimerRunning(MoveTimerId));
        const int64_t frames = viewer->FramesDrawn();
        const float z = viewer->CurrentCamera().z;
        viewer->Navigation().OnTimer(MoveTimerId);
        QVERIFY(viewer->CurrentCamera().z > z);
        QCOMPARE(viewer->FramesDrawn(), frames + 1);
        // The right button reverses the flight; releasing either button stops it.
        QTest::mousePress(viewer.get(), Qt::RightButton, Qt::NoModifier, middle);
        QCOMPARE(viewer->Navigation().Mode(), MoveMode::Backward);
        QTest::mouseRelease(viewer.get(), Qt::LeftButton, Qt::NoModifier, middle);
        QCOMPARE(viewer->Navigation().Mode(), MoveMode::None);
        QVERIFY(!viewer->Navigation().isTimerRunning(MoveTimerId));
        // The right button flies back even over an on-screen button.
        const QPoint spin(viewer->width() - 150, viewer->height() - 45);
        // The real pointer goes there too, and the move is repeated until the hover holds:
        // a leave event from the X server, for the pointer where it was before, may still
        // be on its way and clear the hover the first simulated move set.
        QCursor::setPos(viewer->mapToGlobal(spin));
        QTRY_VERIFY(([&] {
            QTest::mouseMove(viewer.get(), spin);
            return viewer->HoveredButton() == OverlayButton::Spin;
        })());
        QTest::mousePress(viewer.get(), Qt::RightButton, Qt::NoModifier, spin);
        QCOMPARE(viewer->Navigation().Mode(), MoveMode::Backward);
        QTest::mouseRelease(viewer.get(), Qt::RightButton, Qt::NoModifier, spin);
        QCOMPARE(viewer->Navigation().Mode(), MoveMode::None);
    }

    // Home frames the tree and N asks the panel for a new random tree; held, neither
    // repeats.
    void homeFramesTheTreeAndNAsksForANewOne() {
        const Camera before = viewer->CurrentCamera();
        const int frames = viewer->FramesDrawn();
        QTest::keyClick(viewer.get(), Qt::Key_Home);
        const Camera framed =
            FrameTree(session->model(), session->params(), before, viewer->Aspect());
        QCOMPARE(viewer->CurrentCamera().z, framed.z);
        QCOMPARE(viewer->CurrentCamera().y, framed.y);
        QCOMPARE(viewer->CurrentCamera().elevation, framed.elevation);
        QCOMPARE(viewer->CurrentCamera().azimuth, before.azimuth);
        QCOMPARE(viewer->FramesDrawn(), frames + 1);
        QTest::keyClick(viewer.get(), Qt::Key_N);
        QKeyEvent repeated(QEvent::KeyPress, Qt::Key_N, Qt::NoModifier, QString(), true);
        QCoreApplication::sendEvent(viewer.get(), &repeated);
        QCOMPARE(recorder.newTrees, 1);
    }

    void enterDoesNothingEscapeAndCloseBoxCancel() {
        QTest::keyClick(viewer.get(), Qt::Key_Return);
        QCOMPARE(cancels, 0);
        QVERIFY(viewer->isVisible());
        QTest::keyClick(viewer.get(), Qt::Key_Escape);
        QCOMPARE(cancels, 1);
        viewer->close(); // the close box and the window manager's close
        QCOMPARE(cancels, 2);
        QVERIFY(viewer->isVisible());
    }

    void hoverRedrawsOnlyBetweenNoButtonAndSome() {
        const int64_t frames = viewer->FramesDrawn();
        QTest::mouseMove(viewer.get(), ButtonAt(150)); // Spin
        QTRY_COMPARE(viewer->HoveredButton(), OverlayButton::Spin);
        QCOMPARE(viewer->FramesDrawn(), frames + 1);
        QCOMPARE(viewer->cursor().shape(), Qt::PointingHandCursor);
        QTest::mouseMove(viewer.get(), ButtonAt(110)); // straight onto Mail
        QTRY_COMPARE(viewer->HoveredButton(), OverlayButton::Mail);
        QCOMPARE(viewer->FramesDrawn(), frames + 1);
        QTest::mouseMove(viewer.get(), QPoint(100, 100));
        QTRY_COMPARE(viewer->HoveredButton(), OverlayButton::None);
        QCOMPARE(viewer->FramesDrawn(), frames + 2);
        QCOMPARE(viewer->cursor().shape(), Qt::ArrowCursor);
        // With auto spin on, the next tick redraws instead.
        viewer->Navigation().ToggleAutoSpin();
        QTest::mouseMove(viewer.get(), ButtonAt(28));
        QTRY_COMPARE(viewer->HoveredButton(), OverlayButton::Help);
        viewer->Navigation().ToggleAutoSpin();
        QVERIFY(viewer->FramesDrawn() >= frames + 2);
    }

    void aButtonActsOnReleaseOverIt() {
        // Press over Spin, release elsewhere: nothing.
        QTest::mouseMove(viewer.get(), ButtonAt(150));
        QTRY_COMPARE(viewer->HoveredButton(), OverlayButton::Spin);
        QTest::mousePress(viewer.get(), Qt::LeftButton, Qt::NoModifier, ButtonAt(150));
        QCOMPARE(viewer->Navigation().Mode(),
                 MoveMode::None); // a press over a button starts no flight
        QTest::mouseMove(viewer.get(), QPoint(100, 100));
        QTRY_COMPARE(viewer->HoveredButton(), OverlayButton::None);
        QTest::mouseRelease(viewer.get(), Qt::LeftButton, Qt::NoModifier, QPoint(100, 100));
        QCOMPARE(viewer->Navigation().Spinning(), false);

        // Press elsewhere, release over Spin: the flight ends and no command runs.
        QTest::mousePress(viewer.get(), Qt::LeftButton, Qt::NoModifier, QPoint(100, 100));
        QCOMPARE(viewer->Navigation().Mode(), MoveMode::Forward);
        QTest::mouseMove(viewer.get(), ButtonAt(150));
        QTRY_COMPARE(viewer->HoveredButton(), OverlayButton::Spin);
        QTest::mouseRelease(viewer.get(), Qt::LeftButton, Qt::NoModifier, ButtonAt(150));
        QCOMPARE(viewer->Navigation().Mode(), MoveMode::None);
        QCOMPARE(viewer->Navigation().Spinning(), false);

        // S, then a click on Spin: the same toggle, so auto spin is off again.
        QTest::keyClick(viewer.get(), Qt::Key_S);
        QCOMPARE(viewer->Navigation().Spinning(), true);
        QVERIFY(viewer->Navigation().isTimerRunning(SpinTimerId));
        // (Releasing the flight's pointer grab may report the real pointer leaving.)
        ClickButton(150);
        QCOMPARE(viewer->Navigation().Spinning(), false);
        QVERIFY(!viewer->Navigation().isTimerRunning(SpinTimerId));
    }

    void helpTreeAndMailButtonsRunTheirCommands() {
        const int64_t frames = viewer->FramesDrawn();
        ClickButton(28); // Help
        QVERIFY(viewer->HelpVisible());
        QVERIFY(viewer->FramesDrawn() > frames);
        QTest::keyClick(viewer.get(), Qt::Key_H);
        QVERIFY(!viewer->HelpVisible());
        ClickButton(70); // Tree
        QCOMPARE(recorder.shown, 1);
        QTest::keyClick(viewer.get(), Qt::Key_T);
        QCOMPARE(recorder.shown, 2);
        ClickButton(110); // Mail
        QCOMPARE(platform.uris.size(), size_t(1));
        QCOMPARE(platform.uris[0], std::string("mailto:feedback@dendrova.example"
                                               "?subject=Feedback_to_Dendrova_(OpenGL_Version)"));
        QTest::keyClick(viewer.get(), Qt::Key_F1); // no help window, nothing at all
        QCOMPARE(cancels, 0);
        QVERIFY(!viewer->HelpVisible());
    }

    void autoSpinTurnsHalfADegreeEveryFiftyMilliseconds() {
        const float azimuth = viewer->CurrentCamera().azimuth;
        viewer->Navigation().OnTimer(SpinTimerId);
        QCOMPARE(viewer->CurrentCamera().azimuth, azimuth + 0.5f);
        QElapsedTimer clock;
        clock.start();
        QTest::keyClick(viewer.get(), Qt::Key_S);
        QTRY_VERIFY(viewer->CurrentCamera().azimuth >= azimuth + 0.5f + 1.0f);
        QTest::keyClick(viewer.get(), Qt::Key_S);
        const qint64 elapsed = clock.elapsed();
        // Half a degree a tick, and no more ticks than 50 ms periods have passed.
        const float turned = viewer->CurrentCamera().azimuth - azimuth - 0.5f;
        const int ticks = static_cast<int>(turned / 0.5f);
        QCOMPARE(turned, ticks * 0.5f);
        QVERIFY2(ticks <= elapsed / 50 + 1,
                 qPrintable(QString("%1 ticks in %2 ms").arg(ticks).arg(elapsed)));
        const float stopped = viewer->CurrentCamera().azimuth;
        QTest::qWait(120);
        QCOMPARE(viewer->CurrentCamera().azimuth, stopped);
    }

    void onlyTheArrowKeysTurnTheView() {
        // Qt's codes for these four keys are the arrows' codes 0x25-0x28.
        const Camera before = viewer->CurrentCamera();
        for (Qt::Key key :
             {Qt::Key_Percent, Qt::Key_Ampersand, Qt::Key_Apostrophe, Qt::Key_ParenLeft}) {
            QTest::keyPress(viewer.get(), key);
            QVERIFY(!viewer->Navigation().isTimerRunning(KeyRepeatTimerId));
            QTest::keyRelease(viewer.get(), key);
        }
        QCOMPARE(viewer->CurrentCamera().azimuth, before.azimuth);
        QCOMPARE(viewer->CurrentCamera().elevation, before.elevation);
    }

    void keysThatWentDownElsewhereChangeNothing() {
        // Escape hid the control panel and its key-up arrives here: Escape still closes.
        QTest::keyRelease(viewer.get(), Qt::Key_Escape);
        QTest::keyClick(viewer.get(), Qt::Key_Escape);
        QCOMPARE(cancels, 1);
        // The keyboard's repeat of a key held since before the viewer had the focus.
        QTest::simulateEvent(viewer.get(), true, Qt::Key_Escape, Qt::NoModifier, QString(), true);
        QCOMPARE(cancels, 1);
    }

    void heldMailKeyOpensOneMailWindowAndAFailureIsShown() {
        platform.uris.clear();
        QTest::keyPress(viewer.get(), Qt::Key_M);
        for (int i = 0; i < 5; ++i) {
            QTest::simulateEvent(viewer.get(), true, Qt::Key_M, Qt::NoModifier, "m", true);
        }
        QTest::keyRelease(viewer.get(), Qt::Key_M);
        QCOMPARE(platform.uris.size(), size_t(1));
        QVERIFY(platform.warnings.empty());

        platform.openSucceeds = false;
        ClickButton(110); // Mail
        QCOMPARE(platform.uris.size(), size_t(2));
        QCOMPARE(platform.warnings.size(), size_t(1));
        QVERIFY(platform.warnings[0].find("feedback@dendrova.example") != std::string::npos);
        platform.openSucceeds = true;
        platform.warnings.clear();
    }

    void sizeStaysWhereTheOverlayFitsAndTheRendererCanDraw() {
        GLint dims[2] = {0, 0};
        glGetIntegerv(GL_MAX_VIEWPORT_DIMS, dims);
        const qreal ratio = viewer->devicePixelRatio();
        QVERIFY(viewer->maximumWidth() * ratio <= dims[0]);
        QVERIFY(viewer->maximumHeight() * ratio <= dims[1]);
        viewer->SetOuterSize(10, 10);
        QTRY_COMPARE(viewer->size(), QSize(256, 136));
        // The overlay works in device-independent pixels, like the pointer.
        QTRY_COMPARE(viewer->OverlaySize(), viewer->size());
        QTest::mouseMove(viewer.get(), ButtonAt(28));
        QTRY_COMPARE(viewer->HoveredButton(), OverlayButton::Help);
        // Made larger than that by something that ignores the maximum: nothing is drawn.
        const int64_t frames = viewer->FramesDrawn();
        viewer->OnSize(dims[0] + 1, 200);
        viewer->RenderFrame();
        QCOMPARE(viewer->FramesDrawn(), frames);
    }

private:
    // The centre height of the button bar's icons, dx pixels left of the right edge.
    QPoint ButtonAt(int dx) const { return QPoint(viewer->width() - dx, viewer->height() - 45); }
    void ClickButton(int dx) {
        // A move to where the pointer already is produces no event.
        QTest::mouseMove(viewer.get(), ButtonAt(dx + 1));
        QTest::mouseMove(viewer.get(), ButtonAt(dx));
        QTRY_VERIFY(viewer->HoveredButton() != OverlayButton::None);
        QTest::mouseClick(viewer.get(), Qt::LeftButton, Qt::NoModifier, ButtonAt(dx));
    }

    std::unique_ptr<TreeSession> session;
    std::unique_ptr<ViewerWindow> viewer;
    PanelRecorder recorder;
    RecordingPlatform platform;
    int cancels = 0;
};

QTEST_MAIN(ViewerWindowTest)
#include "ViewerWindowTest.moc"
