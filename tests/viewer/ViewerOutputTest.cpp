// What the viewer writes on the user's request, checked against the command line: the P
// picture against --render (drawn with no X server at all), the E export against --export.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include "RecordingPlatform.h"
#include "model/TreeParams.h"
#include "model/TreeSession.h"
#include "viewer/ViewerWindow.h"

namespace {

constexpr uint32_t Seed = 1;

// Runs the program with `arguments` in `folder` without any display; its exit code.
int RunProgram(const QString& folder, const QStringList& arguments) {
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    program.setProcessEnvironment(environment);
    program.setWorkingDirectory(folder);
    program.start(QStringLiteral(DENDROVA_EXECUTABLE), arguments);
    if (!program.waitForFinished(120000)) {
        program.kill();
        return -1;
    }
    if (program.exitCode() != 0) {
        qWarning("%s", program.readAllStandardError().constData());
    }
    return program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1;
}

// Share of pixels whose three channels all differ by at most `levels`.
double ShareWithin(const QImage& a, const QImage& b, int levels) {
    const QImage x = a.convertToFormat(QImage::Format_RGB888);
    const QImage y = b.convertToFormat(QImage::Format_RGB888);
    int64_t close = 0;
    for (int row = 0; row < x.height(); ++row) {
        const uchar* p = x.constScanLine(row);
        const uchar* q = y.constScanLine(row);
        for (int col = 0; col < x.width(); ++col) {
            bool within = true;
            for (int c = 0; c < 3; ++c) {
                within = within && std::abs(p[3 * col + c] - q[3 * col + c]) <= levels;
            }
            close += within;
        }
    }
    return static_cast<double>(close) / (static_cast<double>(x.width()) * x.height());
}

// Mean of the three channels over `area`, 0..255.
double Brightness(const QImage& image, const QRect& area) {
    double sum = 0.0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb c = image.pixel(x, y);
            sum += qRed(c) + qGreen(c) + qBlue(c);
        }
    }
    return sum / (3.0 * area.width() * area.height());
}

// Keeps a picture of a failed comparison in TEST_OUTPUT_DIR for a look at what differs.
void Keep(const QImage& picture, const char* name) {
    const QString keep = QStringLiteral(TEST_OUTPUT_DIR);
    QDir().mkpath(keep);
    picture.save(keep + QLatin1Char('/') + QLatin1String(name));
}

QByteArray Contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class ViewerOutputTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QVERIFY(folder.isValid());
        viewer = std::make_unique<ViewerWindow>(session);
        viewer->Output().SetFolder(folder.path().toStdString());
        QVERIFY(viewer->CreateSized(540, 350));
        viewer->show();
        QVERIFY(QTest::qWaitForWindowExposed(viewer.get()));
        QTest::mouseMove(viewer.get(), QPoint(100, 100));
    }

    void cleanupTestCase() {
        viewer->DestroyWindow();
        viewer.reset();
    }

    // P twice: two pictures under two names, a notice over the frame saying where for a
    // few seconds; the picture is the frame --render draws for the same seed and size, so
    // it does not hold the first press's notice.
    void pictureKeyMatchesRender() {
        QTest::keyClick(viewer.get(), Qt::Key_P);
        QTest::keyClick(viewer.get(), Qt::Key_P);
        const QString first = folder.filePath(QStringLiteral("dendrova-seed1-1.png"));
        const QString second = folder.filePath(QStringLiteral("dendrova-seed1-2.png"));
        QVERIFY(QFile::exists(first));
        QVERIFY(QFile::exists(second));
        QVERIFY(viewer->Notice().Visible());
        QCOMPARE(viewer->Notice().Text(),
                 QStringLiteral("Saved ") + QFileInfo(second).absoluteFilePath());
        QVERIFY(viewer->title().endsWith(QStringLiteral(" - seed 1")));
        if (QGuiApplication::platformName() == QStringLiteral("xcb")) {
            // On screen the bar darkens the frame above the buttons (here to the right of
            // its text).
            const QImage screen = viewer->screen()->grabWindow(viewer->winId()).toImage();
            const QRect bar(viewer->width() - 120, viewer->height() - 88, 100, 14);
            QVERIFY2(Brightness(screen, bar) < 0.5 * Brightness(QImage(second), bar),
                     qPrintable(QStringLiteral("%1 against %2")
                                    .arg(Brightness(screen, bar))
                                    .arg(Brightness(QImage(second), bar))));
        }
        QTRY_VERIFY_WITH_TIMEOUT(!viewer->Notice().Visible(), FrameNotice::ShownMs + 2000);

        const QImage shown(first);
        const QString size = QStringLiteral("%1x%2").arg(shown.width()).arg(shown.height());
        QCOMPARE(
            RunProgram(folder.path(), {"--seed", "1", "--render", "render.png", "--size", size}),
            0);
        const QImage drawn(folder.filePath(QStringLiteral("render.png")));
        QCOMPARE(drawn.size(), shown.size());
        const double share = ShareWithin(shown, drawn, 3);
        if (share < 0.995) {
            Keep(shown, "viewer-frame.png");
            Keep(drawn, "render-frame.png");
        }
        QVERIFY2(share >= 0.995,
                 qPrintable(QStringLiteral("only %1 % of the pixels within 3 "
                                           "levels; pictures kept in " TEST_OUTPUT_DIR)
                                .arg(share * 100.0)));
    }

    // E: the same bytes --export writes for the same seed, under a free name.
    void exportKeyWritesWhatTheCommandLineWrites() {
        QTest::keyClick(viewer.get(), Qt::Key_E);
        const QString exported = folder.filePath(QStringLiteral("dendrova-seed1-1.glb"));
        QVERIFY(QFile::exists(exported));
        QCOMPARE(RunProgram(folder.path(), {"--seed", "1", "--export", "batch.glb"}), 0);
        QCOMPARE(Contents(exported), Contents(folder.filePath(QStringLiteral("batch.glb"))));
        QTest::keyClick(viewer.get(), Qt::Key_E);
        QVERIFY(QFile::exists(folder.filePath(QStringLiteral("dendrova-seed1-2.glb"))));
    }

    // Broken links where P looks for a name (planted by a user, or left by another
    // program): a link holds its name, P takes the next number, and no link is followed.
    void pictureKeyPassesBrokenLinks() {
        QTemporaryDir other;
        QVERIFY(other.isValid());
        const QDir dir(other.path());
        QVERIFY(QFile::link(dir.filePath(QStringLiteral("missing-1")),
                            dir.filePath(QStringLiteral("dendrova-seed1-1.png"))));
        QVERIFY(QFile::link(dir.filePath(QStringLiteral("missing-2")),
                            dir.filePath(QStringLiteral("dendrova-seed1-2.png.part"))));
        viewer->Output().SetFolder(other.path().toStdString());
        QTest::keyClick(viewer.get(), Qt::Key_P);
        viewer->Output().SetFolder(folder.path().toStdString());
        QVERIFY2(viewer->Notice().Text().endsWith(QStringLiteral("/dendrova-seed1-2.png")),
                 qPrintable(viewer->Notice().Text()));
        QCOMPARE(QImage(dir.filePath(QStringLiteral("dendrova-seed1-2.png"))).width(),
                 viewer->width());
        QCOMPARE(
            dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
            QStringList(
                {"dendrova-seed1-1.png", "dendrova-seed1-2.png", "dendrova-seed1-2.png.part"}));
        QVERIFY(QFileInfo(dir.filePath(QStringLiteral("dendrova-seed1-1.png"))).isSymLink());
    }

    // A return from a much larger tree renews the context on X11 (what the driver kept for
    // the large tree goes with the old one): the picture drawn in the new context is the
    // one drawn before the large tree, textures and projection made again.
    void aRenewedContextDrawsTheSameFrame() {
        QTemporaryDir other;
        QVERIFY(other.isValid());
        viewer->Output().SetFolder(other.path().toStdString());
        QVERIFY(viewer->SaveSnapshot());
        const int64_t renewals = viewer->ContextRenewals();
        session.params().totalDepth = 25.0f;
        viewer->RebuildTree();
        viewer->RenderFrame();
        session.params() = TreeParams{};
        viewer->RebuildTree();
        viewer->RenderFrame();
        const bool quick = !viewer->Motion().Detail().OverBudget();
        const bool saved = viewer->SaveSnapshot();
        viewer->Output().SetFolder(folder.path().toStdString());
        if (!quick) {
            QSKIP("this renderer draws the default tree over the budget");
        }
        // Not on Wayland, where the platform keeps a framebuffer of the first context.
        const bool x11 = QGuiApplication::platformName() == QStringLiteral("xcb");
        QCOMPARE(viewer->ContextRenewals(), renewals + (x11 ? 1 : 0));
        QVERIFY(saved);
        const QDir dir(other.path());
        const QImage before(dir.filePath(QStringLiteral("dendrova-seed1-1.png")));
        const QImage after(dir.filePath(QStringLiteral("dendrova-seed1-2.png")));
        QVERIFY(!before.isNull());
        if (after != before) {
            Keep(before, "before-renewal.png");
            Keep(after, "after-renewal.png");
        }
        QVERIFY2(after == before, "pictures kept in " TEST_OUTPUT_DIR);
    }

    // An output folder that cannot take the file: nothing written, the reason in the notice.
    void failureIsReported() {
        viewer->Output().SetFolder(folder.filePath(QStringLiteral("missing")).toStdString());
        QVERIFY(!viewer->SaveSnapshot());
        QVERIFY(viewer->Notice().Visible());
        QVERIFY(viewer->Notice().Text().startsWith(QStringLiteral("Not saved: cannot write")));
        viewer->Output().SetFolder(folder.path().toStdString());
    }

private:
    RecordingPlatform platform;
    QTemporaryDir folder;
    TreeSession session{TreeParams{}, Seed};
    std::unique_ptr<ViewerWindow> viewer;
};

QTEST_MAIN(ViewerOutputTest)
#include "ViewerOutputTest.moc"
