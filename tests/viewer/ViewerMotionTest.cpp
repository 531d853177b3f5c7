// The lighter picture while moving, in the viewer window on a real X server (xvfb-run)
// with a real Mesa context: which frames are light, and the still frame that follows.
#include <QScreen>
#include <QTest>

#include <cstdlib>

#include "RecordingPlatform.h"
#include "model/TreeParams.h"
#include "model/TreeSession.h"
#include "viewer/MotionDetail.h"
#include "viewer/ViewerWindow.h"

namespace {

// The share of pixels of two pictures of one size within 3 levels in every channel.
double SameShare(const QImage& a, const QImage& b) {
    if (a.size() != b.size() || a.isNull()) {
        return 0.0;
    }
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    qint64 same = 0;
    for (int row = 0; row < x.height(); ++row) {
        const QRgb* p = reinterpret_cast<const QRgb*>(x.constScanLine(row));
        const QRgb* q = reinterpret_cast<const QRgb*>(y.constScanLine(row));
        for (int col = 0; col < x.width(); ++col) {
            same += std::abs(qRed(p[col]) - qRed(q[col])) <= 3 &&
                    std::abs(qGreen(p[col]) - qGreen(q[col])) <= 3 &&
                    std::abs(qBlue(p[col]) - qBlue(q[col])) <= 3;
        }
    }
    return static_cast<double>(same) / (static_cast<double>(x.width()) * x.height());
}

} // namespace

class ViewerMotionTest : public QObject {
    Q_OBJECT

private:
    void Open(float depth) {
        TreeParams params;
        params.totalDepth = depth;
        session = std::make_unique<TreeSession>(params, 5);
        viewer = std::make_unique<ViewerWindow>(*session);
        QVERIFY(viewer->CreateSized(540, 350));
        viewer->show();
        QVERIFY(QTest::qWaitForWindowExposed(viewer.get()));
        viewer->RenderFrame();
    }

    QImage Grab() {
        QTest::qWait(50);
        return viewer->screen()->grabWindow(viewer->winId()).toImage();
    }

private slots:
    void cleanup() {
        if (viewer) {
            viewer->DestroyWindow();
        }
        viewer.reset();
        session.reset();
    }

    // A tree slower than the budget: spinning draws light frames with the full tree's
    // figures; once it stops, the full tree again, as the frame drawn with the lighter
    // picture switched off.
    void aSlowTreeIsLightOnlyWhileMoving() {
        Open(30.0f);
        if (!viewer->Motion().Detail().OverBudget()) {
            QSKIP("this renderer draws the depth-30 tree within the budget");
        }
        QCOMPARE(viewer->Motion().LightFrames(), 0);
        const std::string still = viewer->LastStatistics();

        // A moving frame at the same camera: light, with the full tree's read-out.
        viewer->ViewMoved();
        viewer->RenderFrame();
        QCOMPARE(viewer->Motion().LightFrames(), 1);
        QCOMPARE(viewer->LastStatistics(), still);

        viewer->Navigation().ToggleAutoSpin();
        QTRY_VERIFY(viewer->Motion().LightFrames() >= 5);
        viewer->Navigation().ToggleAutoSpin();
        // Frames within the settle time after the last step are still light; then the
        // settle timer draws the full tree, and nothing light follows.
        QTRY_COMPARE_WITH_TIMEOUT(viewer->Motion().LastLevel(), 0, 3000);
        const int64_t light = viewer->Motion().LightFrames();
        QTest::qWait(300);
        QCOMPARE(viewer->Motion().LightFrames(), light);
        QCOMPARE(viewer->Motion().LastLevel(), 0);
        const QImage settled = Grab();
        // The grab holds the frame: sky, leaves and bark, not an empty window.
        QVERIFY(settled.convertToFormat(QImage::Format_RGB32).pixel(270, 5) !=
                settled.convertToFormat(QImage::Format_RGB32).pixel(270, 200));

        viewer->SetLighterWhileMoving(false);
        viewer->RenderFrame();
        const QImage off = Grab();
        QVERIFY2(SameShare(settled, off) >= 0.995,
                 qPrintable(QString::number(SameShare(settled, off))));
        // Switched off, moving frames are the full tree too.
        viewer->ViewMoved();
        viewer->RenderFrame();
        QCOMPARE(viewer->Motion().LightFrames(), light);
    }

    // A drag on a slow tree: the settle time runs from the end of each light frame, so a
    // move slower than it does not get the full tree drawn after it before the next move.
    void aSlowMoveStaysLightUntilTheMotionSettles() {
        Open(30.0f);
        if (!viewer->Motion().Detail().OverBudget()) {
            QSKIP("this renderer draws the depth-30 tree within the budget");
        }
        for (int move = 0; move < 2; ++move) {
            session->params().segExpandAngle += 1.0f;
            viewer->RebuildTree();
            QTest::qSleep(100); // a slow regrowth
            viewer->RenderFrame();
            QVERIFY(viewer->Motion().LastLevel() > 0);
            QTest::qSleep(60); // 160 ms after the move, 60 after its frame
            QCoreApplication::processEvents();
            QVERIFY(viewer->Motion().LastLevel() > 0);
        }
        QTRY_COMPARE_WITH_TIMEOUT(viewer->Motion().LastLevel(), 0, 3000);
    }

    // A drag that grows the tree past the budget: each new tree's first estimate scales
    // the last full frame by the trees' sizes (not by the size of the light tree before
    // it, which made every other move of a growing drag a full frame).
    void aGrowingDragIsEstimatedFromTheLastFullFrame() {
        Open(25.0f);
        viewer->RenderFrame(); // the frame alone, its mesh built by the first
        const double fullMs = viewer->Motion().Detail().FullMs();
        if (fullMs > MotionDetail::BudgetMs || fullMs * 16.0 <= 2.0 * MotionDetail::BudgetMs) {
            QSKIP("this renderer's depth-25 frame is not between 1/16 and 1 of the budget");
        }
        for (const float depth : {28.0f, 29.0f}) {
            session->params().totalDepth = depth;
            viewer->RebuildTree();
            viewer->RenderFrame();
            QVERIFY2(viewer->Motion().LastLevel() > 0, qPrintable(QString::number(depth)));
        }
    }

    // The wind moves a slow tree as long as it blows: its frames are light and sway; once
    // it stops, the full tree at rest.
    void theWindSwaysALightLevelOfASlowTree() {
        Open(30.0f);
        if (!viewer->Motion().Detail().OverBudget()) {
            QSKIP("this renderer draws the depth-30 tree within the budget");
        }
        viewer->ToggleWind();
        QVERIFY(viewer->Motion().LastLevel() > 0);
        const QImage first = Grab();
        QTest::qWait(500); // a quarter of the sway's loop
        const QImage later = Grab();
        QVERIFY(viewer->Motion().LastLevel() > 0);
        QVERIFY2(SameShare(first, later) < 0.995,
                 qPrintable(QString::number(SameShare(first, later))));
        viewer->ToggleWind();
        QCOMPARE(viewer->Motion().LastLevel(), 0);
    }

    // A tree within the budget never changes: no light frame however it moves.
    void aFastTreeIsNeverLighter() {
        Open(19.29f);
        QVERIFY(!viewer->Motion().Detail().OverBudget());
        viewer->Navigation().ToggleAutoSpin();
        QTest::qWait(400);
        viewer->Navigation().ToggleAutoSpin();
        QVERIFY(viewer->FramesDrawn() > 5);
        QCOMPARE(viewer->Motion().LightFrames(), 0);
    }

private:
    RecordingPlatform platform;
    std::unique_ptr<TreeSession> session;
    std::unique_ptr<ViewerWindow> viewer;
};

QTEST_MAIN(ViewerMotionTest)
#include "ViewerMotionTest.moc"
