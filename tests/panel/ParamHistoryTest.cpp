#include <gtest/gtest.h>

#include <QGuiApplication>

#include "model/TreeSession.h"
#include "panel/PanelViewer.h"
#include "panel/ParamHistory.h"

// The undo history on its own: a session and a viewer that regrows it, without the panel.
namespace {

class CountingViewer : public PanelViewer {
public:
    explicit CountingViewer(TreeSession& session) : session_(session) {}
    void RebuildTree() override {
        session_.Regrow();
        ++rebuilds;
    }
    void RenderFrame() override { ++renders; }
    std::optional<Camera> ViewCamera() const override { return camera; }
    void SetViewCamera(const Camera& c) override { camera = c; }

    int rebuilds = 0;
    int renders = 0;
    Camera camera;

private:
    TreeSession& session_;
};

class Target : public ParamHistoryTarget {
public:
    TreeSession& Session() const override { return session; }
    PanelViewer* Viewer() const override { return &viewer; }
    void ShowSeed() override { ++seedsShown; }
    void ShowSelectedValue() override { ++valuesShown; }

    mutable TreeSession session;
    mutable CountingViewer viewer{session};
    int seedsShown = 0;
    int valuesShown = 0;
};

TEST(ParamHistoryTest, StepsApplyUndoAndRedoThroughTheTarget) {
    Target target;
    target.session.Regrow();
    ParamHistory history(target);
    const ParamState start = history.Current();

    // A change of the shape regrows; a shadow change only redraws.
    ParamState deeper = start;
    deeper.params.totalDepth = 9.0f;
    history.Change(QStringLiteral("Deeper"), deeper);
    EXPECT_EQ(target.session.params().totalDepth, 9.0f);
    EXPECT_EQ(target.viewer.rebuilds, 1);
    ParamState longShadow = history.Current();
    longShadow.params.shadowLength = 3.0f;
    history.Change(QStringLiteral("Shadow"), longShadow);
    EXPECT_EQ(target.viewer.rebuilds, 1);
    EXPECT_EQ(target.viewer.renders, 2);

    // Nothing that changes nothing is recorded.
    history.Change(QStringLiteral("Same"), history.Current());
    EXPECT_EQ(history.Stack().count(), 2);

    history.Stack().undo();
    history.Stack().undo();
    EXPECT_TRUE(history.Current().SameTreeAs(start));
    EXPECT_EQ(target.viewer.rebuilds, 2);
    history.Stack().redo();
    EXPECT_EQ(target.session.params().totalDepth, 9.0f);
    EXPECT_GE(target.valuesShown, 5);

    // A new seed reseeds the session, regrows and is shown; undo brings the old one back.
    ParamState reseeded = history.Current();
    reseeded.seed = start.seed + 7;
    Camera turned;
    turned.azimuth = 45.0f;
    reseeded.camera = turned;
    history.Change(QStringLiteral("Reseed"), reseeded);
    EXPECT_EQ(target.session.seed(), start.seed + 7);
    EXPECT_EQ(target.seedsShown, 1);
    EXPECT_EQ(target.viewer.camera.azimuth, 45.0f);
    history.Stack().undo();
    EXPECT_EQ(target.session.seed(), start.seed);
    EXPECT_EQ(target.viewer.camera.azimuth, Camera{}.azimuth);
}

TEST(ParamHistoryTest, ASliderStepIsNamedAfterTheParameterItChanged) {
    Target target;
    ParamHistory history(target);
    history.RecordSliderStep();
    EXPECT_EQ(history.Stack().count(), 0);
    target.session.params().leafSize = 3.0f;
    history.RecordSliderStep();
    ASSERT_EQ(history.Stack().count(), 1);
    EXPECT_EQ(history.Stack().text(0), QStringLiteral("Change Leaf Size"));
    history.Stack().undo();
    EXPECT_EQ(target.session.params().leafSize, TreeParams{}.leafSize);
}

} // namespace

int main(int argc, char** argv) {
    // The undo stack is a Qt object; no window is ever shown.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
