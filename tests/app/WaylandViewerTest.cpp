// The whole application on a Wayland compositor (run by tests/e2e/run-wayland.sh on a
// headless weston): it starts at its real size, draws, answers its keys and keeps its
// settings when closed.
#include <QDir>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTest>

#include <QFileInfo>

#include "RecordingPlatform.h"
#include "app/TreeApp.h"
#include "model/TreeParams.h"

class WaylandViewerTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("wayland"));
        QVERIFY(dir.isValid());
        QDir::setCurrent(dir.path());
    }

    void startDrawAnswerKeysAndClose() {
        TreeApp app;
        QVERIFY(app.Start());
        QVERIFY(QTest::qWaitForWindowExposed(&app.viewer));
        QVERIFY(app.viewer.ContextReady());
        QTRY_VERIFY(app.viewer.FramesDrawn() > 0);
        // The stored outer size, the compositor's title bar included.
        QCOMPARE(app.viewer.frameGeometry().size(), QSize(540, 350));
        QVERIFY(app.viewer.frameMargins().top() > 0);

        const int64_t before = app.viewer.FramesDrawn();
        QTest::keyClick(&app.viewer, Qt::Key_H);
        QVERIFY(app.viewer.HelpVisible());
        QVERIFY(app.viewer.FramesDrawn() > before);
        QTest::keyClick(&app.viewer, Qt::Key_H);
        QVERIFY(!app.viewer.HelpVisible());

        // Escape runs the close sequence, which ends the event loop.
        QTimer::singleShot(200, &app.viewer,
                           [&app] { QTest::keyClick(&app.viewer, Qt::Key_Escape); });
        const int code = QGuiApplication::exec();
        QVERIFY(!app.viewer.handle());
        QCOMPARE(app.Exit(code), 0);
        QCOMPARE(QFileInfo(QStringLiteral("TreeModl.Cfg")).size(), 96);
    }

    void cleanupTestCase() { QDir::setCurrent(QDir::tempPath()); }

private:
    RecordingPlatform platform;
    QTemporaryDir dir;
};

QTEST_MAIN(WaylandViewerTest)
#include "WaylandViewerTest.moc"
