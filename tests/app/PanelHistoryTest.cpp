// Undo and redo of parameter changes, driven through the real panel and viewer: drags
// of the slider's thumb, the undo keys, and the statistics read-out of the frames.
#include <QAction>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSlider>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>

#include <cstring>

#include "RecordingPlatform.h"
#include "SliderHandle.h"
#include "app/TreeApp.h"
#include "model/ModelConfig.h"
#include "model/ModelConfigRecord.h"
#include "model/Presets.h"
#include "model/TreeParams.h"
#include "panel/ParamMenu.h"

namespace {

bool SameBits(const TreeParams& a, const TreeParams& b) {
    return std::memcmp(&a, &b, sizeof(TreeParams)) == 0;
}

} // namespace

class PanelHistoryTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TreeApp> app;

    QString Stats() const { return app->panel.StatsBox()->toPlainText(); }
    bool LabelShows(const QString& text) const {
        for (QLabel* label : app->panel.findChildren<QLabel*>())
            if (label->text() == text)
                return true;
        return false;
    }
    ParamMenu& Menu() const { return *app->panel.ParamActions(); }

    void SelectRow(int row) {
        QListWidget* list = app->panel.ListControl();
        QListWidgetItem* item = list->item(row);
        list->scrollToItem(item);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(item).center());
        QCOMPARE(app->panel.selected, row);
    }
    // Takes the thumb, moves it by `dy` pixels in a few steps and lets go.
    void Drag(int dy) {
        QSlider* slider = app->panel.SliderControl();
        QPoint at = HandleCentre(slider);
        QTest::mousePress(slider, Qt::LeftButton, {}, at);
        for (int step = 1; step <= 4; ++step)
            QTest::mouseMove(slider, at + QPoint(0, dy * step / 4));
        QTest::mouseRelease(slider, Qt::LeftButton, {}, at + QPoint(0, dy));
        QVERIFY(!slider->isSliderDown());
    }
    // The keys go through the panel's window as the window system delivers them.
    void Undo() { QTest::keyClick(app->panel.windowHandle(), Qt::Key_Z, Qt::ControlModifier); }
    void Redo() {
        QTest::keyClick(app->panel.windowHandle(), Qt::Key_Z,
                        Qt::ControlModifier | Qt::ShiftModifier);
    }

private slots:
    void init() {
        QVERIFY(dir.isValid());
        QDir::setCurrent(dir.path());
        QFile::remove("TreeModl.Cfg");
        app = std::make_unique<TreeApp>();
        app->Start();
        QVERIFY(QTest::qWaitForWindowExposed(&app->viewer));
        app->ShowAndFocus();
        QVERIFY(QTest::qWaitForWindowActive(&app->panel));
    }
    void cleanup() {
        app->CloseSequence();
        app->Exit(0);
        app.reset();
    }
    void cleanupTestCase() { QDir::setCurrent(QDir::tempPath()); }

    void threeDragsUndoneAndRedone() {
        const TreeParams start = app->session.params();
        const QString startStats = Stats();
        QVERIFY(startStats.contains(QStringLiteral("Nodes")));

        // Each drag changes how many records the tree has, so each shows in the counts.
        SelectRow(0); // "Tree Total Depth": upwards is deeper
        Drag(-25);
        const QString afterFirst = Stats();
        SelectRow(6); // "SSE. Dep. Attenuate": downwards is fewer side segments
        Drag(30);
        SelectRow(0);
        Drag(-20);
        const TreeParams last = app->session.params();
        const QString lastStats = Stats();
        QVERIFY(afterFirst != startStats);
        QVERIFY(lastStats != afterFirst);
        QCOMPARE(Menu().History().Stack().count(), 3);

        Undo();
        Undo();
        QCOMPARE(Stats(), afterFirst);
        Undo();
        QCOMPARE(Stats(), startStats);
        QVERIFY(SameBits(app->session.params(), start));
        // The panel shows the value it went back to.
        QCOMPARE(app->panel.CurField()->text(), QStringLiteral("19.29"));
        QCOMPARE(app->panel.SliderControl()->value(), 411);

        Redo();
        Redo();
        Redo();
        QCOMPARE(Stats(), lastStats);
        QVERIFY(SameBits(app->session.params(), last));
    }

    void keyMovesAreOneStepEachAndTheHistoryKeepsHundreds() {
        SelectRow(1);
        QSlider* slider = app->panel.SliderControl();
        slider->setFocus();
        const TreeParams start = app->session.params();
        for (int i = 0; i < 101; ++i)
            QTest::keyClick(slider, Qt::Key_Down);
        QCOMPARE(Menu().History().Stack().count(), 101);
        for (int i = 0; i < 101; ++i)
            Undo();
        QVERIFY(SameBits(app->session.params(), start));
        QVERIFY(!Menu().History().Stack().canUndo());
    }

    void presetsResetAndLoadsAreStepsThatRegrow() {
        QVERIFY(Menu().Menu() != nullptr);
        QStringList entries;
        for (QAction* action : Menu().Menu()->actions())
            entries << action->text();
        QVERIFY(entries.contains(QStringLiteral("Reset to defaults")));
        QVERIFY(entries.contains(QStringLiteral("Save parameters...")));
        QVERIFY(entries.contains(QStringLiteral("Load parameters...")));
        for (size_t i = 1; i < BuiltInPresets().size(); ++i)
            QVERIFY(entries.contains(QString::fromUtf8(BuiltInPresets()[i].name)));

        SelectRow(8); // "Leaf Size"
        const QString startStats = Stats();
        const Preset& preset = BuiltInPresets()[1];
        const int64_t frames = app->viewer.FramesDrawn();
        Menu().ApplyPreset(preset);
        QVERIFY(SameBits(app->session.params(), preset.params));
        QCOMPARE(app->viewer.FramesDrawn(), frames + 1);
        QVERIFY(Stats() != startStats);
        QCOMPARE(app->panel.CurField()->text(),
                 QString::asprintf("%3.2f", double(preset.params.leafSize)));
        const QString presetStats = Stats();

        // Saved with its seed and camera, changed, and loaded back: the same tree.
        const uint32_t seed = app->session.seed();
        QVERIFY(Menu().SaveTo(QStringLiteral("shared.json")));
        Menu().ResetToDefaults();
        QVERIFY(SameBits(app->session.params(), TreeParams{}));
        QCOMPARE(Stats(), startStats);
        app->session.Reseed(seed + 1);
        Camera turned = app->viewer.CurrentCamera();
        turned.azimuth += 90.0f;
        app->viewer.SetViewCamera(turned);
        QVERIFY(Menu().LoadFrom(QStringLiteral("shared.json")));
        QVERIFY(SameBits(app->session.params(), preset.params));
        QCOMPARE(app->session.seed(), seed);
        QCOMPARE(Stats(), presetStats);
        QVERIFY(app->viewer.title().endsWith(QStringLiteral(" - seed %1").arg(seed)));

        // A refused file changes nothing and adds no step.
        QFile bad(QStringLiteral("bad.json"));
        QVERIFY(bad.open(QIODevice::WriteOnly));
        bad.write(R"({"Leaf Size": 9})");
        bad.close();
        const int steps = Menu().History().Stack().count();
        const Result<> refused = Menu().LoadFrom(QStringLiteral("bad.json"));
        QVERIFY(!refused);
        QCOMPARE(refused.Error().message,
                 std::string("\"Leaf Size\" is outside its range 0.1 to 4"));
        QCOMPARE(Menu().History().Stack().count(), steps);
        QVERIFY(SameBits(app->session.params(), preset.params));

        // Load, reset and preset each undo as one step.
        Undo();
        QCOMPARE(app->session.seed(), seed + 1);
        QVERIFY(app->viewer.title().endsWith(QStringLiteral(" - seed %1").arg(seed + 1)));
        QVERIFY(LabelShows(QStringLiteral("Seed %1").arg(seed + 1)));
        QCOMPARE(app->viewer.CurrentCamera().azimuth, 19346.0f + 90.0f);
        Undo();
        QVERIFY(SameBits(app->session.params(), preset.params));
        Undo();
        QVERIFY(SameBits(app->session.params(), TreeParams{}));
    }

    // N in the viewer and the menu's "New random tree" grow the same parameters from a
    // fresh seed, shown in the title and the panel, each one step that undo takes back.
    void newRandomTreesAreStepsWithFreshSeeds() {
        const uint32_t seed = app->session.seed();
        const QString startStats = Stats();
        const TreeParams params = app->session.params();
        const uint64_t generation = app->session.generation();
        QTest::keyClick(&app->viewer, Qt::Key_N);
        const uint32_t fresh = app->session.seed();
        QVERIFY(fresh != seed);
        QCOMPARE(app->session.generation(), generation + 1);
        QVERIFY(SameBits(app->session.params(), params));
        QVERIFY(app->viewer.title().endsWith(QStringLiteral(" - seed %1").arg(fresh)));
        QVERIFY(LabelShows(QStringLiteral("Seed %1").arg(fresh)));
        Menu().NewRandomTree();
        QVERIFY(app->session.seed() != fresh);
        QCOMPARE(Menu().History().Stack().count(), 2);
        QCOMPARE(Menu().History().Stack().text(1), QStringLiteral("New random tree"));
        Undo();
        QCOMPARE(app->session.seed(), fresh);
        Undo();
        QCOMPARE(app->session.seed(), seed);
        QVERIFY(app->viewer.title().endsWith(QStringLiteral(" - seed %1").arg(seed)));
        QCOMPARE(Stats(), startStats);
    }

    // A name ending in .Cfg is saved as the record the program reads at start, so that
    // it works as a folder's TreeModl.Cfg: the same tree and camera, the window places of
    // the moment.
    void aCfgNameIsSavedAsTheStartRecord() {
        const Preset& preset = BuiltInPresets()[2];
        Menu().ApplyPreset(preset);
        Camera turned = app->viewer.CurrentCamera();
        turned.azimuth = 123.0f;
        app->viewer.SetViewCamera(turned);
        const Result<> written = Menu().SaveTo(QStringLiteral("mine.Cfg"));
        QVERIFY2(written, written ? "" : written.Error().message.c_str());
        QCOMPARE(QFileInfo(QStringLiteral("mine.Cfg")).size(), 96);
        Menu().ResetToDefaults();
        WindowGeometry geometry;
        Camera camera;
        TreeParams saved;
        const std::optional<ModelConfigRead> read = LoadModelConfig("mine.Cfg");
        QVERIFY(read);
        ApplyModelConfigRecord(read->record, read->size, geometry, camera, saved);
        QVERIFY(SameBits(saved, preset.params));
        QCOMPARE(camera.azimuth, 123.0f);
        QCOMPARE(geometry.windowWidth, app->viewer.frameGeometry().width());
        QCOMPARE(geometry.windowMaximized, 0);
        // Any other name is readable JSON.
        QVERIFY(Menu().SaveTo(QStringLiteral("mine.txt")));
        QFile json(QStringLiteral("mine.txt"));
        QVERIFY(json.open(QIODevice::ReadOnly));
        QVERIFY(json.readAll().startsWith("{"));
    }

    void theMenuKeyOpensTheMenuOverTheList() {
        QListWidget* list = app->panel.ListControl();
        list->setFocus();
        // The window system turns the menu key into this event.
        QContextMenuEvent key(QContextMenuEvent::Keyboard, QPoint(-1, -1), QPoint(-1, -1));
        QCoreApplication::sendEvent(list, &key);
        QTRY_VERIFY(Menu().Menu()->isVisible());
        QVERIFY(list->rect().contains(list->mapFromGlobal(Menu().Menu()->pos())));
        Menu().Menu()->hide();
        const QPoint spot = list->viewport()->mapTo(&app->panel, QPoint(10, 10));
        QTest::mouseClick(app->panel.windowHandle(), Qt::RightButton, {}, spot);
        QTRY_VERIFY(Menu().Menu()->isVisible());
        Menu().Menu()->hide();
    }

private:
    QTemporaryDir dir;
    RecordingPlatform platform;
};

QTEST_MAIN(PanelHistoryTest)
#include "PanelHistoryTest.moc"
