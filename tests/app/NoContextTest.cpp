// Start-up when no OpenGL context can be had: run with QT_XCB_GL_INTEGRATION=none, which
// leaves Qt on the X server without any OpenGL integration.
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <fstream>

#include "RecordingPlatform.h"
#include "app/TreeApp.h"
#include "model/TreeParams.h"

class NoContextTest : public QObject {
    Q_OBJECT

private slots:
    void theViewerStaysEmptyButUsableAndTheFileIsWritten() {
        QTemporaryDir dir;
        QDir::setCurrent(dir.path());
        RecordingPlatform platform;
        {
            TreeApp app;
            app.Start();
            QVERIFY(QTest::qWaitForWindowExposed(&app.viewer));
            QCOMPARE(platform.errors.size(), size_t(1));
            QCOMPARE(platform.errors[0],
                     std::string("Failed to initialize OpenGL subsystem. \r\nError Code:  "
                                 "0x00000000\r\n\r\nA hardware 3D accelerator is required.\r\n"
                                 "Or you'd better update your video card driver.\r\n\r\nPlease "
                                 "contact feedback@dendrova.example with\r\nthe error code. Thank "
                                 "you for the cooperation."));
            QCOMPARE(app.viewer.title(), QString(" Dendrova - [ Initializing OpenGL subsystem ]"));
            QVERIFY(!app.viewer.ContextReady());
            QCOMPARE(CountModel(app.session.model()).segments, int64_t(0));

            // Every trigger draws nothing, but input still moves the camera.
            app.viewer.SetOuterSize(600, 400);
            QTest::qWait(50);
            QTest::keyPress(&app.viewer, Qt::Key_Left);
            QTRY_VERIFY(app.viewer.CurrentCamera().azimuth < 19346.0f - 4.0f); // stepping repeats
            QTest::keyRelease(&app.viewer, Qt::Key_Left);
            app.viewer.Navigation().OnTimer(MoveTimerId);
            app.viewer.Navigation().OnTimer(SpinTimerId);
            QTest::keyClick(&app.viewer, Qt::Key_H);
            app.viewer.RebuildTree(); // a slider move regrows, still without drawing
            QCOMPARE(app.viewer.FramesDrawn(), int64_t(0));
            QVERIFY(app.viewer.LastStatistics().empty());
            QCOMPARE(platform.errors.size(), size_t(1));

            QTest::keyClick(&app.viewer, Qt::Key_Escape);
            app.Exit(0);
        }
        std::ifstream in("TreeModl.Cfg", std::ios::binary | std::ios::ate);
        QCOMPARE(static_cast<long>(in.tellg()), 96L);
        QDir::setCurrent(QDir::tempPath());
    }
};

QTEST_MAIN(NoContextTest)
#include "NoContextTest.moc"
