#include "viewer/ViewerMotion.h"

#include <QTimerEvent>

#include <cstdlib>
#include <cstring>
#include <utility>

#include "mesh/TreeGeometry.h"
#include "model/TreeModel.h"
#include "render/GlContextState.h"

namespace {

bool EnabledByEnvironment() {
    const char* value = std::getenv("DENDROVA_MOTION_LOD");
    return value == nullptr || std::strcmp(value, "0") != 0;
}

size_t TrianglesOf(const TreeMeshLayout& layout) {
    return layout.barkVertices / TubeVertexCount * (TubeTriangleIndexCount / 3) +
           layout.leafVertices / 2;
}

} // namespace

ViewerMotion::ViewerMotion(std::function<void()> settled)
    : settled_(std::move(settled)), detail_(EnabledByEnvironment()) {}

void ViewerMotion::Moved() {
    sinceMove_.start();
    settleTimer_.start(MotionDetail::SettleMs, Qt::PreciseTimer, this);
}

bool ViewerMotion::Moving() const {
    return sinceMove_.isValid() && sinceMove_.elapsed() < MotionDetail::SettleMs;
}

void ViewerMotion::SetEnabled(bool enabled) {
    detail_.SetEnabled(enabled);
}

void ViewerMotion::timerEvent(QTimerEvent* event) {
    if (event->timerId() != settleTimer_.timerId()) {
        QObject::timerEvent(event);
        return;
    }
    settleTimer_.stop();
    // The motion is over (a coarse timer may fire a little before its time, so it is not
    // left to the clock): the still frame is the full tree.
    sinceMove_.invalidate();
    if (lastLevel_ != 0) {
        settled_(); // only a light frame needs drawing again
    }
}

void ViewerMotion::MakeLevels(const TreeModel& model, const TreeParams& params) {
    const TreeMesh full = BuildTreeMesh(model, params, false);
    levels_ = ThinnedLevels(full, MotionDetail::LighterLevels);
    fullStats_ = full.passStats;
    fullStats_ += full.passStats; // a frame draws the tree twice: shadow and tree
    const size_t fullTriangles = static_cast<size_t>(full.passStats.quadrangles) * 2;
    std::vector<size_t> triangles;
    for (TreeLevel& level : levels_) {
        const size_t n =
            level.mesh.bark.vertexCount() / TubeVertexCount * (TubeTriangleIndexCount / 3) +
            level.mesh.leaves.vertexCount() / 2;
        triangles.push_back(n);
    }
    detail_.SetTriangles(fullTriangles, triangles);
    // Only the levels that may fit the budget are kept: the more detailed ones would
    // take the memory of most of the tree again and never be drawn.
    for (size_t k = 0; k + 1 < levels_.size(); ++k) {
        const double estimate = fullTriangles > 0
                                    ? detail_.FullMs() * static_cast<double>(triangles[k]) /
                                          static_cast<double>(fullTriangles)
                                    : 0.0;
        if (estimate > 2.0 * MotionDetail::BudgetMs) {
            levels_[k].mesh = TreeMesh{};
        }
    }
}

int ViewerMotion::BeginFrame(const TreeModel& model, const TreeParams& params,
                             GlContextState& state, bool still) {
    if (model.generation() != detail_.Generation()) {
        // A new tree: until its own full frame is measured, its time is guessed from the
        // last tree's by their sizes, so a drag on a slow tree stays light from its first
        // move on.
        const size_t triangles = TrianglesOf(MeasureTreeMesh(model));
        const double guess =
            lastFullMs_ >= 0.0 && lastTriangles_ > 0
                ? lastFullMs_ * static_cast<double>(triangles) / static_cast<double>(lastTriangles_)
                : -1.0;
        detail_.NewTree(model.generation());
        if (guess >= 0.0) {
            detail_.FrameDrawn(0, guess);
        }
        lastTriangles_ = triangles;
        levels_.clear();
        light_ = TreeMeshCache{};
        loaded_ = 0;
    }
    if (still || !detail_.Enabled() || !Moving() || !detail_.OverBudget()) {
        return 0;
    }
    if (!detail_.HasLevels()) {
        MakeLevels(model, params);
    }
    int level = detail_.LevelFor(true);
    while (level > 0 && static_cast<size_t>(level) <= levels_.size() &&
           levels_[static_cast<size_t>(level) - 1].mesh.bark.vertexCount() +
                   levels_[static_cast<size_t>(level) - 1].mesh.leaves.vertexCount() ==
               0 &&
           level < static_cast<int>(levels_.size())) {
        ++level; // a level let go of: the next lighter one
    }
    if (level <= 0) {
        return 0;
    }
    std::swap(state.treeMesh, light_);
    if (loaded_ != level) {
        UseTreeMesh(model, params, levels_[static_cast<size_t>(level) - 1].mesh, state);
        loaded_ = level;
    }
    // The walk of the structure knows no levels: a light frame draws from its mesh.
    savedMode_ = state.drawMode;
    if (state.drawMode == TreeDrawMode::Immediate) {
        state.drawMode = TreeDrawMode::VertexArrays;
    }
    return level;
}

void ViewerMotion::EndFrame(int level, double ms, GlContextState& state) {
    lastLevel_ = level;
    if (level > 0) {
        state.drawMode = savedMode_;
        std::swap(state.treeMesh, light_);
        ++lightFrames_;
    } else {
        lastFullMs_ = ms;
    }
    detail_.FrameDrawn(level, ms);
}
