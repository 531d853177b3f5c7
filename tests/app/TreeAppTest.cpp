// Start-up, close sequence and the parameter file, with the real windows under xvfb-run.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QGuiApplication>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScreen>
#include <QSlider>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <bit>
#include <csignal>
#include <fstream>
#include <vector>

#include "RecordingPlatform.h"
#include "app/OutputFolder.h"
#include "app/TreeApp.h"
#include "model/LeafRandomTable.h"
#include "model/ModelConfig.h"
#include "model/ModelConfigRecord.h"
#include "model/TreeParams.h"
#include "panel/ParamMenu.h"
#include "platform/QuitSignals.h"

namespace {

std::vector<uint8_t> ReadConfig() {
    std::ifstream in("TreeModl.Cfg", std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

int32_t IntAt(const std::vector<uint8_t>& b, size_t at) {
    return static_cast<int32_t>(uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 |
                                uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24);
}

float FloatAt(const std::vector<uint8_t>& b, size_t at) {
    return std::bit_cast<float>(static_cast<uint32_t>(IntAt(b, at)));
}

} // namespace

class TreeAppTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        QVERIFY(dir.isValid());
        QDir::setCurrent(dir.path());
        QFile::remove("TreeModl.Cfg");
    }
    void cleanupTestCase() { QDir::setCurrent(QDir::tempPath()); }

    void firstStartWithoutAFileAndItsSavedRecord() {
        {
            TreeApp app;
            const uint32_t clockBefore = ClockSeed();
            QVERIFY(app.Start());
            const uint32_t clockAfter = ClockSeed();
            QVERIFY(QTest::qWaitForWindowExposed(&app.viewer));
            QCOMPARE(app.viewer.frameGeometry().size(), QSize(540, 350));
            const QPoint centre = app.viewer.screen()->availableGeometry().center();
            QTRY_VERIFY((app.viewer.frameGeometry().center() - centre).manhattanLength() <= 2);
            QVERIFY(!(app.viewer.windowStates() & Qt::WindowMaximized));
            QVERIFY(!app.panel.isVisible());
            QCOMPARE(app.panel.frameGeometry().topLeft(), QPoint(100, 100));
            // Without --seed the leaf factors come from the clock, and the tree from them.
            QVERIFY(app.session.seed() >= clockBefore && app.session.seed() <= clockAfter);
            QCOMPARE(app.session.model().grownSeed(), app.session.seed());
            QTest::keyClick(&app.viewer, Qt::Key_Escape);
            QVERIFY(!app.viewer.handle()); // the window is gone
            QCOMPARE(app.Exit(0), 0);
        }
        const auto bytes = ReadConfig();
        QCOMPARE(bytes.size(), size_t(96));
        QCOMPARE(IntAt(bytes, 0), 540);
        QCOMPARE(IntAt(bytes, 4), 350);
        QCOMPARE(IntAt(bytes, 8), 0);
        QCOMPARE(IntAt(bytes, 12), 100);
        QCOMPARE(IntAt(bytes, 16), 100);
        QCOMPARE(IntAt(bytes, 20), 0);
        QCOMPARE(IntAt(bytes, 24), 0);
        QCOMPARE(FloatAt(bytes, 28), -11.7872f);
        QCOMPARE(FloatAt(bytes, 40), 19346.0f);
        QCOMPARE(FloatAt(bytes, 44), 19.29f);
    }

    void theNextStartReadsTheFileBack() {
        {
            TreeApp app;
            app.Start();
            QVERIFY(QTest::qWaitForWindowExposed(&app.viewer));
            Camera lowered = app.viewer.CurrentCamera();
            lowered.elevation = -20.0f;
            app.viewer.SetViewCamera(lowered);
            app.session.params().totalDepth = 12.0f;
            app.viewer.SetOuterSize(700, 500);
            QTRY_COMPARE(app.viewer.frameGeometry().size(), QSize(700, 500));
            app.panel.move(-40, 30); // partly off the screen: fitted at the next start
            app.panel.autoClose = 1;
            app.panel.UpdateToControls();
            app.viewer.close(); // the close box runs the same close sequence
            app.Exit(0);
        }
        TreeApp app;
        app.Start();
        QVERIFY(QTest::qWaitForWindowExposed(&app.viewer));
        QCOMPARE(app.viewer.CurrentCamera().elevation, -20.0f);
        QCOMPARE(app.session.params().totalDepth, 12.0f);
        QCOMPARE(CountModel(app.session.model()).segments > 0, true);
        QCOMPARE(app.viewer.frameGeometry().size(), QSize(700, 500));
        QCOMPARE(app.panel.frameGeometry().topLeft(), QPoint(0, 30));
        QCOMPARE(app.panel.autoClose, 1);
        app.CloseSequence();
        app.Exit(0);
    }

    void closingWhileMaximizedKeepsTheRestoredSize() {
        {
            TreeApp app;
            app.Start();
            QVERIFY(QTest::qWaitForWindowExposed(&app.viewer));
            app.viewer.showMaximized();
            QTRY_VERIFY(app.viewer.windowStates() & Qt::WindowMaximized);
            app.CloseSequence();
            QCOMPARE(app.geometry.windowMaximized, 1);
            QCOMPARE(app.geometry.windowWidth, 540);
            QCOMPARE(app.geometry.windowHeight, 350);
            app.Exit(0);
        }
        const auto bytes = ReadConfig();
        QCOMPARE(IntAt(bytes, 8), 1);
        TreeApp app;
        app.Start();
        QVERIFY(app.viewer.windowStates() & Qt::WindowMaximized);
        app.CloseSequence();
        app.Exit(0);
    }

    void theTreeCommandShowsThePanelThatDrivesTheViewer() {
        TreeApp app;
        app.Start();
        QVERIFY(QTest::qWaitForWindowExposed(&app.viewer));
        // The statistics box follows every frame, also while the panel is hidden.
        QVERIFY(!app.panel.isVisible());
        QVERIFY(app.panel.StatsBox()->toPlainText().contains("Elevation: 10.0 Deg."));
        QTest::keyPress(&app.viewer, Qt::Key_Up);
        QTest::keyRelease(&app.viewer, Qt::Key_Up);
        QVERIFY(!app.panel.StatsBox()->toPlainText().contains("Elevation: 10.0 Deg."));

        QTest::keyClick(&app.viewer, Qt::Key_T);
        QTRY_VERIFY(app.panel.isVisible());
        QTRY_VERIFY(app.panel.isActiveWindow());

        // A slider move regrows the viewer's tree and draws it at once.
        app.panel.ListControl()->setCurrentRow(0);
        const int64_t frames = app.viewer.FramesDrawn();
        app.panel.SliderControl()->triggerAction(QAbstractSlider::SliderToMinimum);
        QCOMPARE(app.session.params().totalDepth, 30.0f);
        QCOMPARE(app.viewer.FramesDrawn(), frames + 1);
        int trunk = 0;
        for (const Segment* s = app.session.model().trunk.first.get(); s; s = s->next.get()) {
            ++trunk;
        }
        QCOMPARE(trunk, 30);
        const QString nodes =
            QString("Object: %1 Nodes").arg(2 * CountModel(app.session.model()).records());
        QVERIFY(app.panel.StatsBox()->toPlainText().contains(nodes));
        app.CloseSequence();
        app.Exit(0);
        // The value at the top of the slider survives the next start.
        WindowGeometry g;
        Camera c;
        TreeParams saved;
        const std::optional<ModelConfigRead> read = LoadModelConfig();
        QVERIFY(read);
        ApplyModelConfigRecord(read->record, read->size, g, c, saved);
        QCOMPARE(saved.totalDepth, 30.0f);
    }

    // --params and --seed: the named file is only read, the working folder's file is the
    // one written, and the seed shapes the leaves and is shown in the title.
    void aNamedParameterFileIsOnlyReadAndTheSeedIsShown() {
        TreeParams deeper;
        deeper.totalDepth = 25.0f;
        Camera tilted;
        tilted.elevation = -30.0f;
        QVERIFY(SaveModelConfig(WindowGeometry{}, tilted, deeper, "other.cfg"));
        const QByteArray before = [] {
            QFile f("other.cfg");
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        }();
        {
            TreeApp app;
            app.configPath = "other.cfg";
            app.seed = 77;
            app.Start();
            QVERIFY(QTest::qWaitForWindowExposed(&app.viewer));
            QCOMPARE(app.session.params().totalDepth, 25.0f);
            QCOMPARE(app.viewer.CurrentCamera().elevation, -30.0f);
            QCOMPARE(app.session.seed(), 77u);
            QCOMPARE(app.session.model().grownSeed(), 77u);
            QVERIFY(app.viewer.title().endsWith(" - seed 77"));
            app.session.params().totalDepth = 9.0f;
            app.CloseSequence();
            app.Exit(0);
        }
        QFile other("other.cfg");
        QVERIFY(other.open(QIODevice::ReadOnly));
        QCOMPARE(other.readAll(), before);
        const auto bytes = ReadConfig();
        QCOMPARE(bytes.size(), size_t(96));
        QCOMPARE(FloatAt(bytes, 44), 9.0f);
    }

    // The panel's own dialogs do not count as leaving it: with auto-close on it stays
    // while a file chooser is open, and it has the focus again afterwards, so the next
    // Escape hides the panel rather than closing the program.
    void thePanelsOwnDialogsKeepItOpenAndFocused() {
        // The close sequences of the tests before asked the event loop to end; until it
        // has run once, no dialog's own loop would run either.
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        QCoreApplication::exec();
        TreeApp app;
        QVERIFY(app.Start());
        app.panel.AutoCloseBox()->setChecked(true);
        app.panel.UpdateFromControls();
        app.ShowAndFocus();
        QTRY_VERIFY(app.panel.isActiveWindow());
        QAction* save = nullptr;
        for (QAction* action : app.panel.ParamActions()->Menu()->actions()) {
            if (action->text() == QStringLiteral("Save parameters...")) {
                save = action;
            }
        }
        QVERIFY(save != nullptr);
        bool sawDialog = false;
        bool panelShownMeanwhile = false;
        QTimer closer;
        QObject::connect(&closer, &QTimer::timeout, [&] {
            QWidget* dialog = QApplication::activeModalWidget();
            if (dialog == nullptr || !dialog->isActiveWindow()) {
                return; // not yet up, or not yet active
            }
            QTest::qWait(300); // the panel's deactivation has arrived by now
            sawDialog = true;
            panelShownMeanwhile = app.panel.isVisible();
            closer.stop();
            QMetaObject::invokeMethod(dialog, "reject", Qt::QueuedConnection);
        });
        closer.start(50);
        save->trigger();
        QVERIFY(sawDialog);
        QVERIFY(panelShownMeanwhile);
        QTRY_VERIFY(app.panel.isActiveWindow());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QTRY_VERIFY(!app.panel.isVisible());
        QVERIFY(app.viewer.handle() != nullptr); // the program is still running
        app.CloseSequence();
        app.Exit(0);
    }

    // Started in its own configuration folder (as the menu entry starts it), P and E save
    // into the pictures folder, or the home folder without one, and say where.
    void fromItsConfigurationFolderPicturesGoToThePicturesFolder() {
        const QString home = dir.filePath(QStringLiteral("home"));
        const QString config = dir.filePath(QStringLiteral("config"));
        QVERIFY(QDir().mkpath(config + QStringLiteral("/dendrova")));
        QVERIFY(QDir().mkpath(home));
        const QByteArray oldHome = qgetenv("HOME");
        const QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME");
        qputenv("HOME", QFile::encodeName(home));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config));
        const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
        QDir::setCurrent(config + QStringLiteral("/dendrova"));
        QCOMPARE(QString::fromStdString(OutputFolderForThisRun()), home); // no pictures folder yet
        QVERIFY(QDir().mkpath(pictures));
        {
            TreeApp app;
            QVERIFY(app.Start());
            QCOMPARE(QString::fromStdString(app.viewer.Output().Folder()), pictures);
            QTest::keyClick(&app.viewer, Qt::Key_P);
            const QString saved = pictures + QStringLiteral("/dendrova-seed") +
                                  QString::number(app.session.seed()) + QStringLiteral("-1.png");
            QVERIFY(QFile::exists(saved));
            QCOMPARE(app.viewer.Notice().Text(), QStringLiteral("Saved ") + saved);
            app.CloseSequence();
            app.Exit(0);
        }
        // Started anywhere else, they stay in the working folder.
        QDir::setCurrent(dir.path());
        QCOMPARE(OutputFolderForThisRun(), std::string("."));
        qputenv("HOME", oldHome);
        qputenv("XDG_CONFIG_HOME", oldConfig);
        if (oldConfig.isEmpty()) {
            qunsetenv("XDG_CONFIG_HOME");
        }
    }

    // Settings that cannot be saved at exit: the user is told once, in a box; after a quit
    // signal only on stderr, which no box holds up.
    void aFailedSaveIsShownOnceUnlessASignalEndedTheProgram() {
        // A folder under the settings' name: read as no file, and never replaced.
        QVERIFY(QDir().mkdir(QStringLiteral("TreeModl.Cfg")));
        for (const bool bySignal : {false, true}) {
            platform.warnings.clear();
            TreeApp app;
            QVERIFY(app.Start());
            bySignal ? app.QuitBySignal() : app.CloseSequence();
            app.Exit(0);
            QCOMPARE(platform.warnings.size(), size_t(bySignal ? 0 : 1));
            if (!bySignal) {
                QVERIFY(platform.warnings[0].find(
                            "cannot write 'TreeModl.Cfg': it is not a regular file") !=
                        std::string::npos);
            }
        }
        QDir().rmdir(QStringLiteral("TreeModl.Cfg"));
    }

    // Last: the quit signal handling is installed once per process.
    void aSignalBeforeTheEventLoopRunsClosesOnItsFirstTurn() {
        CatchQuitSignals();
        std::raise(SIGTERM); // held, not fatal
        TreeApp app;
        app.Start();
        int quits = 0;
        OnQuitSignals([&] {
            ++quits;
            app.CloseSequence();
        });
        QTRY_VERIFY(!app.viewer.handle()); // the close sequence ran
        QCOMPARE(quits, 1);
        app.Exit(0);
        QCOMPARE(ReadConfig().size(), size_t(96));
    }

private:
    QTemporaryDir dir;
    RecordingPlatform platform;
};

QTEST_MAIN(TreeAppTest)
#include "TreeAppTest.moc"
