#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QSet>
#include <QSlider>
#include <QStyle>
#include <QTest>
#include <QWindow>

#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "SliderHandle.h"
#include "model/TreeParams.h"
#include "model/TreeSession.h"
#include "panel/ControlPanel.h"
#include "panel/SliderMapping.h"

namespace {

// Stands in for the viewer: counts the calls and, like the real frame, hands a fresh
// statistics text back to the panel from inside every frame.
class FakeViewer : public PanelViewer {
public:
    ControlPanel* panel = nullptr;
    int rebuilds = 0;
    int renders = 0;
    std::vector<int> trunkCounts;

    void RebuildTree() override {
        ++rebuilds;
        trunkCounts.push_back(TrunkCount(panel->Session().params()));
    }
    void RenderFrame() override {
        ++renders;
        if (panel != nullptr)
            panel->ShowStatistics(StatsText(renders));
    }
    static std::string StatsText(int n) {
        return QString::asprintf("[Model]  Object: %d Nodes\r\n              Memory: %1.2f KB\r\n"
                                 "[Scene]  Elevation: %3.1f Deg.\r\n              "
                                 "Pos.(%2.1f,%2.1f,%2.1f)\r\n[Mesh.]  %7d Vertices\r\n"
                                 "              %7d Quadrangles",
                                 100 + n, 12.5, 10.0, 0.0, 20.0, 150.0, 4000 + n, 3000 + n)
            .toStdString();
    }
};

QLabel* LabelWithText(ControlPanel& panel, const QString& text) {
    for (QLabel* l : panel.findChildren<QLabel*>())
        if (l->text() == text)
            return l;
    return nullptr;
}

} // namespace

class ControlPanelTest : public QObject {
    Q_OBJECT

private:
    TreeSession session;
    std::unique_ptr<ControlPanel> panel;
    FakeViewer viewer;

    void ShowPanel() {
        panel->show();
        QVERIFY(QTest::qWaitForWindowExposed(panel.get()));
    }
    void ClickRow(int row) {
        QListWidget* list = panel->ListControl();
        QListWidgetItem* item = list->item(row);
        list->scrollToItem(item);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(item).center());
    }
    void PressThumb() {
        QSlider* s = panel->SliderControl();
        const QPoint at = HandleCentre(s);
        QTest::mousePress(s, Qt::LeftButton, {}, at);
        QTest::mouseRelease(s, Qt::LeftButton, {}, at);
    }
    void ResetCounts() {
        viewer.rebuilds = 0;
        viewer.renders = 0;
        viewer.trunkCounts.clear();
    }

private slots:
    void init() {
        session.params() = TreeParams{};
        viewer = FakeViewer{};
        panel = std::make_unique<ControlPanel>(session);
        panel->viewer = &viewer;
        viewer.panel = panel.get();
        panel->Create(nullptr);
    }
    void cleanup() {
        viewer.panel = nullptr;
        panel.reset();
    }

    void sliderMappingKeepsTheGridAndHitsTheEnds() {
        QCOMPARE(ValueToSliderPos(ParamTable[0], 19.29f), 411);
        QCOMPARE(SliderPosToValue(ParamTable[0], 411), 19.314f);
        QCOMPARE(ValueToSliderPos(ParamTable[4], 61.02f), 660);
        QCOMPARE(SliderPosToValue(ParamTable[4], 660), 61.2f);
        QCOMPARE(ValueToSliderPos(ParamTable[1], 26.4f), 706);
        QCOMPARE(SliderPosToValue(ParamTable[1], 706), 26.46f);
        QCOMPARE(ValueToSliderPos(ParamTable[12], 0.25f), 750);
        QCOMPARE(SliderPosToValue(ParamTable[12], 750), 0.25f);
        for (const ParamEntry& row : ParamTable) {
            QCOMPARE(SliderPosToValue(row, 0), row.maximum);
            QCOMPARE(SliderPosToValue(row, SliderSteps), row.minimum);
            QCOMPARE(ValueToSliderPos(row, row.maximum), 0);
            QCOMPARE(ValueToSliderPos(row, row.minimum), SliderSteps);
            for (int pos = 0; pos <= SliderSteps; ++pos)
                QVERIFY(InParamRange(row, SliderPosToValue(row, pos)));
        }
        // Values outside the range, or not a number, keep the thumb on the slider.
        QCOMPARE(ValueToSliderPos(ParamTable[0], 100.0f), 0);
        QCOMPARE(ValueToSliderPos(ParamTable[0], -5.0f), SliderSteps);
        QCOMPARE(ValueToSliderPos(ParamTable[0], std::numeric_limits<float>::quiet_NaN()), 0);
    }

    void beforeCreationStatisticsAreIgnored() {
        ControlPanel fresh(session);
        QCOMPARE(fresh.ready, false);
        QCOMPARE(fresh.selected, -1);
        QCOMPARE(fresh.maxText, QStringLiteral("n/a"));
        QCOMPARE(fresh.minText, QStringLiteral("n/a"));
        QCOMPARE(fresh.curText, QStringLiteral("n/a"));
        fresh.ShowStatistics("[Model]  Object: 1 Nodes");
        QVERIFY(fresh.statsText.isEmpty());
        fresh.UpdateFromControls();
        fresh.UpdateToControls();
        QVERIFY(!fresh.IsCreated());
    }

    void creationFillsTheListAndStaysHidden() {
        QVERIFY(panel->ready);
        QVERIFY(!panel->isVisible());
        QCOMPARE(panel->windowTitle(), QStringLiteral(" Control Panel"));
        QVERIFY(panel->windowFlags() & Qt::Tool);
        QVERIFY(panel->windowFlags() & Qt::WindowStaysOnTopHint);
        QVERIFY(!panel->isModal());
        QCOMPARE(panel->font().pointSize(), 8);

        QListWidget* list = panel->ListControl();
        QCOMPARE(list->count(), ParamCount);
        for (int row = 0; row < ParamCount; ++row)
            QCOMPARE(list->item(row)->text(), QString::fromUtf8(ParamTable[row].name));
        QVERIFY(list->selectedItems().isEmpty());
        QCOMPARE(panel->selected, -1);

        QCOMPARE(panel->SliderControl()->minimum(), 0);
        QCOMPARE(panel->SliderControl()->maximum(), 1000);
        QCOMPARE(panel->SliderControl()->value(), 0);
        QCOMPARE(panel->MaxField()->text(), QStringLiteral("n/a"));
        QCOMPARE(panel->MinField()->text(), QStringLiteral("n/a"));
        QCOMPARE(panel->CurField()->text(), QStringLiteral("n/a"));
        QVERIFY(panel->StatsBox()->toPlainText().isEmpty());

        // Showing gives the list the focus but selects nothing.
        ShowPanel();
        QCOMPARE(panel->selected, -1);
        QVERIFY(list->selectedItems().isEmpty());
    }

    void checkBoxStartsInTheRememberedState() {
        ControlPanel other(session);
        other.autoClose = 1;
        other.Create(nullptr);
        QVERIFY(other.AutoCloseBox()->isChecked());
    }

    void transientForItsOwner() {
        QWindow owner;
        owner.create();
        ControlPanel other(session);
        other.Create(&owner);
        QVERIFY(other.windowHandle() != nullptr);
        QCOMPARE(other.windowHandle()->transientParent(), &owner);
    }

    void layoutFollowsTheDialogUnits() {
        ShowPanel();
        ControlPanel& p = *panel;
        QCOMPARE(p.size(), p.DialogRect(0, 0, 124, 250).size());
        QCOMPARE(p.ListControl()->geometry(), p.DialogRect(10, 95, 72, 106));
        QCOMPARE(p.StatsBox()->geometry(), p.DialogRect(8, 29, 107, 49));
        QCOMPARE(p.SliderControl()->geometry(), p.DialogRect(82, 91, 13, 113));
        QCOMPARE(p.MaxField()->geometry(), p.DialogRect(95, 100, 21, 8));
        QCOMPARE(p.MinField()->geometry(), p.DialogRect(95, 194, 21, 8));
        QCOMPARE(p.CurField()->geometry(), p.DialogRect(95, 143, 21, 12));
        QCOMPARE(p.AutoCloseBox()->geometry(), p.DialogRect(4, 3, 116, 10));
        QCOMPARE(p.AutoCloseBox()->text(), QStringLiteral("Automatically close on inactiving"));
        QCOMPARE(p.CautionText()->geometry(), p.DialogRect(14, 217, 106, 25));
        QCOMPARE(p.CautionText()->text(),
                 QStringLiteral("Adjusting  [Tree Total Depth] or [SSE. Dep. Attenuate] too "
                                "great should went short of resource."));

        QLabel* maxLabel = LabelWithText(p, QStringLiteral("Max."));
        QLabel* curLabel = LabelWithText(p, QStringLiteral("Cur."));
        QLabel* minLabel = LabelWithText(p, QStringLiteral("Min."));
        QLabel* caution = LabelWithText(p, QStringLiteral("CAUTION:"));
        QVERIFY(maxLabel && curLabel && minLabel && caution);
        QCOMPARE(maxLabel->geometry(), p.DialogRect(95, 92, 17, 8));
        QCOMPARE(curLabel->geometry(), p.DialogRect(95, 134, 15, 8));
        QCOMPARE(minLabel->geometry(), p.DialogRect(95, 186, 14, 8));
        QCOMPARE(caution->geometry(), p.DialogRect(6, 209, 34, 8));

        // Relations that hold whatever the font: slider right of the list, the value
        // column right of the slider, Max. above Cur. above Min., caution at the bottom.
        QVERIFY(p.SliderControl()->x() >= p.ListControl()->geometry().right());
        QVERIFY(maxLabel->x() >= p.SliderControl()->geometry().right());
        QVERIFY(maxLabel->y() < curLabel->y() && curLabel->y() < minLabel->y());
        QVERIFY(p.CautionText()->y() > p.ListControl()->geometry().bottom());
        QVERIFY(p.CautionText()->geometry().bottom() < p.height());
        // The seed in use sits on the statistics frame's title line, within the panel and
        // clear of the read-out.
        QCOMPARE(p.SeedField()->text(), QStringLiteral("Seed %1").arg(session.seed()));
        QVERIFY(p.SeedField()->geometry().right() < p.width());
        QVERIFY(p.SeedField()->geometry().bottom() < p.StatsBox()->y());

        QStringList groups;
        for (QGroupBox* g : p.findChildren<QGroupBox*>())
            groups << g->title();
        groups.sort();
        QCOMPARE(groups, (QStringList{"Model Parameter", "Model Statistics"}));
        int lines = 0;
        for (QFrame* f : p.findChildren<QFrame*>())
            if (f->frameShape() == QFrame::HLine && f->frameShadow() == QFrame::Sunken)
                ++lines;
        QCOMPARE(lines, 2);

        if (qEnvironmentVariableIsSet("DENDROVA_PANEL_PNG")) {
            ClickRow(4); // the widest numbers: 180.00
            p.ShowStatistics(FakeViewer::StatsText(1));
            QVERIFY(p.grab().save(qEnvironmentVariable("DENDROVA_PANEL_PNG")));
        }
    }

    // Every row says on hovering what it changes, its range and whether it regrows.
    void everyRowHasATooltipWithItsRange() {
        ShowPanel();
        QListWidget* list = panel->ListControl();
        QCOMPARE(list->item(0)->toolTip(),
                 QStringLiteral("How many segments the trunk has, and so how tall and how far "
                                "branched the tree grows (only the whole part counts); from 4 to "
                                "30, regrows the tree."));
        QVERIFY(list->item(11)->toolTip().endsWith(QStringLiteral("; from 0 to 1, redraws only.")));
        QSet<QString> tips;
        for (int row = 0; row < ParamCount; ++row) {
            const QString tip = list->item(row)->toolTip();
            const QString range = QStringLiteral("; from %1 to %2, ")
                                      .arg(ParamTable[row].minimum)
                                      .arg(ParamTable[row].maximum);
            QVERIFY2(tip.contains(range), qPrintable(tip));
            tips.insert(tip);
        }
        QCOMPARE(tips.size(), ParamCount);
    }

    void sliderDoesNothingBeforeASelection() {
        ShowPanel();
        std::vector<float> before;
        for (const ParamEntry& row : ParamTable)
            before.push_back(session.params().*row.value);
        QSlider* s = panel->SliderControl();
        s->triggerAction(QAbstractSlider::SliderPageStepAdd);
        s->triggerAction(QAbstractSlider::SliderToMaximum);
        PressThumb();
        QCOMPARE(viewer.rebuilds, 0);
        QCOMPARE(viewer.renders, 0);
        QCOMPARE(panel->CurField()->text(), QStringLiteral("n/a"));
        for (int row = 0; row < ParamCount; ++row)
            QCOMPARE(ParamValue(session.params(), row), before[row]);
    }

    void selectingTotalDepthThenTakingTheThumb() {
        ShowPanel();
        ClickRow(0);
        QCOMPARE(panel->selected, 0);
        QCOMPARE(panel->SliderControl()->value(), 411);
        QCOMPARE(panel->MaxField()->text(), QStringLiteral("30.00"));
        QCOMPARE(panel->MinField()->text(), QStringLiteral("4.00"));
        QCOMPARE(panel->CurField()->text(), QStringLiteral("19.29"));
        // Moving the thumb to the selection is no user move.
        QCOMPARE(viewer.rebuilds, 0);
        QCOMPARE(viewer.renders, 0);
        QCOMPARE(session.params().totalDepth, 19.29f);

        PressThumb();
        QCOMPARE(panel->SliderControl()->value(), 411);
        QCOMPARE(session.params().totalDepth, 19.314f);
        QCOMPARE(viewer.rebuilds, 1);
        QCOMPARE(viewer.renders, 1);
        QCOMPARE(viewer.trunkCounts, std::vector<int>{19});
        QCOMPARE(panel->CurField()->text(), QStringLiteral("19.31"));
        // The frame drawn inside the move reached the statistics box.
        QVERIFY(panel->StatsBox()->toPlainText().contains(QStringLiteral("101 Nodes")));
    }

    void selectionPutsDefaultsOnTheGrid() {
        ShowPanel();
        ClickRow(1);
        QCOMPARE(panel->SliderControl()->value(), 706);
        ClickRow(4);
        QCOMPARE(panel->SliderControl()->value(), 660);
        QCOMPARE(panel->CurField()->text(), QStringLiteral("61.02"));
        PressThumb();
        QCOMPARE(session.params().segTwistAngle, 61.2f);
        QCOMPARE(panel->CurField()->text(), QStringLiteral("61.20"));
        ClickRow(12);
        QCOMPARE(panel->SliderControl()->value(), 750);
        PressThumb();
        QCOMPARE(session.params().leafShadowDensity, 0.25f);
        QCOMPARE(viewer.rebuilds, 1); // only the twist angle regrows
        QCOMPARE(viewer.renders, 2);
    }

    void endsGiveExactlyTheRange() {
        ShowPanel();
        QSlider* s = panel->SliderControl();
        for (int row = 0; row < ParamCount; ++row) {
            const ParamEntry& e = ParamTable[row];
            ClickRow(row);
            s->triggerAction(QAbstractSlider::SliderToMaximum); // bottom end
            QCOMPARE(s->value(), 1000);
            QCOMPARE(session.params().*e.value, e.minimum);
            QCOMPARE(panel->CurField()->text(), QString::asprintf("%3.2f", double(e.minimum)));
            s->triggerAction(QAbstractSlider::SliderToMinimum); // top end
            QCOMPARE(s->value(), 0);
            QCOMPARE(session.params().*e.value, e.maximum);
            QVERIFY(InParamRange(e, session.params().*e.value));
        }
    }

    void upKeyRaisesTheValue() {
        ShowPanel();
        ClickRow(10);
        QSlider* s = panel->SliderControl();
        s->setFocus();
        const float before = session.params().shadowLength;
        QTest::keyClick(s, Qt::Key_Up);
        QCOMPARE(s->value(), ValueToSliderPos(ParamTable[10], 0.98f) - 1);
        QVERIFY(session.params().shadowLength > before);
    }

    void onlyRowsZeroToNineRegrow() {
        ShowPanel();
        QSlider* s = panel->SliderControl();
        for (int row = 0; row < ParamCount; ++row) {
            ClickRow(row);
            ResetCounts();
            s->triggerAction(s->value() < 1000 ? QAbstractSlider::SliderSingleStepAdd
                                               : QAbstractSlider::SliderSingleStepSub);
            QCOMPARE(viewer.rebuilds, row <= 9 ? 1 : 0);
            QCOMPARE(viewer.renders, 1);
        }
    }

    void statisticsFollowEveryFrame() {
        ShowPanel();
        ClickRow(0);
        const int pos = panel->SliderControl()->value();
        QStringList seen;
        for (int n = 1; n <= 3; ++n) {
            panel->ShowStatistics(FakeViewer::StatsText(n));
            seen << panel->StatsBox()->toPlainText();
        }
        QCOMPARE(seen.size(), 3);
        QVERIFY(seen[0] != seen[1] && seen[1] != seen[2]);
        QCOMPARE(panel->StatsBox()->document()->blockCount(), 6);
        QCOMPARE(panel->StatsBox()->toPlainText().split(QLatin1Char('\n')).size(), 6);
        QVERIFY(panel->StatsBox()->toPlainText().startsWith(QStringLiteral("[Model]  Object:")));
        QCOMPARE(panel->statsText, QString::fromStdString(FakeViewer::StatsText(3)));

        // Writing the slider's own position back on every frame is no move.
        QCOMPARE(panel->SliderControl()->value(), pos);
        QCOMPARE(viewer.rebuilds, 0);
        QCOMPARE(viewer.renders, 0);
        QCOMPARE(session.params().totalDepth, 19.29f);

        panel->hide();
        panel->ShowStatistics(FakeViewer::StatsText(7));
        QVERIFY(panel->StatsBox()->toPlainText().contains(QStringLiteral("107 Nodes")));
    }

    void checkBoxSurvivesASelection() {
        ShowPanel();
        QTest::mouseClick(panel->AutoCloseBox(), Qt::LeftButton);
        QVERIFY(panel->AutoCloseBox()->isChecked());
        ClickRow(3);
        QVERIFY(panel->AutoCloseBox()->isChecked());
        QCOMPARE(panel->autoClose, 1);
    }

    void deactivationHidesOnlyWithTheCheckBox() {
        QWidget other;
        other.resize(200, 100);
        other.move(600, 600);
        other.show();
        QVERIFY(QTest::qWaitForWindowExposed(&other));

        ShowPanel();
        panel->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(panel.get()));
        QVERIFY(!panel->AutoCloseBox()->isChecked());
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        QTest::qWait(50);
        QVERIFY(panel->isVisible());

        panel->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(panel.get()));
        QTest::mouseClick(panel->AutoCloseBox(), Qt::LeftButton);
        QVERIFY(panel->AutoCloseBox()->isChecked());
        other.activateWindow();
        QTRY_VERIFY(!panel->isVisible());
        QCOMPARE(panel->autoClose, 1);
    }

    void enterKeepsEscapeHidesStateKept() {
        ShowPanel();
        ClickRow(2);
        QSlider* s = panel->SliderControl();
        s->triggerAction(QAbstractSlider::SliderPageStepAdd);
        const int pos = s->value();
        const QString cur = panel->CurField()->text();
        const float value = session.params().segLenAttenuate;

        QTest::keyClick(panel->ListControl(), Qt::Key_Return);
        QTest::keyClick(panel->ListControl(), Qt::Key_Enter);
        QVERIFY(panel->isVisible());
        QCOMPARE(panel->selected, 2);

        QTest::keyClick(panel->ListControl(), Qt::Key_Escape);
        QVERIFY(!panel->isVisible());
        ShowPanel();
        QCOMPARE(panel->selected, 2);
        QCOMPARE(panel->ListControl()->selectedItems().size(), 1);
        QCOMPARE(panel->ListControl()->row(panel->ListControl()->selectedItems().first()), 2);
        QCOMPARE(s->value(), pos);
        QCOMPARE(panel->CurField()->text(), cur);
        QCOMPARE(panel->MaxField()->text(), QStringLiteral("0.99"));
        QCOMPARE(session.params().segLenAttenuate, value);

        // The close box hides the same way and leaves the panel usable.
        QVERIFY(panel->close());
        QVERIFY(!panel->isVisible());
        ShowPanel();
        QCOMPARE(s->value(), pos);
        QCOMPARE(panel->selected, 2);
    }

    void dragFromAFreeSpotMovesThePanel() {
        ShowPanel();
        panel->move(100, 100);
        QTRY_COMPARE(panel->pos(), QPoint(100, 100));
        // A spot on the "Model Parameter" frame between the list and the caution text.
        const QRect listRect = panel->ListControl()->geometry();
        const QPoint spot(listRect.left() + 4, listRect.bottom() + 3);
        QCOMPARE(panel->childAt(spot) == nullptr ||
                     panel->childAt(spot)->testAttribute(Qt::WA_TransparentForMouseEvents),
                 true);
        const QPoint before = panel->pos();
        QTest::mousePress(panel.get(), Qt::LeftButton, {}, spot);
        QTest::mouseMove(panel.get(), spot + QPoint(30, 20));
        QTest::mouseRelease(panel.get(), Qt::LeftButton, {}, spot + QPoint(30, 20));
        QTRY_COMPARE(panel->pos(), before + QPoint(30, 20));
    }
};

QTEST_MAIN(ControlPanelTest)
#include "ControlPanelTest.moc"
