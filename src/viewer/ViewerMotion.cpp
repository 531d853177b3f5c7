#include "viewer/ViewerMotion.h"

#include <QTimerEvent>

#include <cstdlib>
#include <cstring>
#include <utility>

#include "mesh/TreeGeometry.h"
#include "model/TreeModel.h"
#include "render/GlContextState.h"
#include "render/TreeSway.h"

namespace {

bool EnabledByEnvironment() {
    const char* value = std::getenv("DENDROVA_MOTION_LOD");
    return value == nullptr || std::strcmp(value, "0") != 0;
}

size_t TrianglesOf(const TreeMeshLayout& layout) {
    return layout.barkVertices / TubeVertexCount * (TubeTriangleIndexCount / 3) +
           layout.leafVertices / 2;
}

// Whether a level was made (the others are left empty).
bool Made(const TreeLevel& level) {
    return level.mesh.bark.vertexCount() + level.mesh.leaves.vertexCount() > 0;
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
    // What only moving frames use goes before the full tree is built again: the full mesh
    // the levels were made from and the copy of the level drawn last (the levels stay for
    // the next motion of the same tree).
    scratch_ = TreeMesh{};
    light_ = TreeMeshCache{};
    loaded_ = 0;
    leaveOut_ = MeshDestination{}; // the next motion's first tree is built whole
    if (lastLevel_ != 0) {
        settled_(); // only a light frame needs drawing again
    }
}

void ViewerMotion::MakeLevels(const TreeModel& model, const TreeParams& params, bool wind) {
    levelsSway_ = wind;
    // The full mesh is built over the storage of the last one: during a drag every move
    // builds one, and the storage goes when the motion settles.
    if (layout_.model != &model || layout_.modelGeneration != model.generation()) {
        layout_ = MeasureTreeMesh(model);
    }
    // After the first tree of a motion, the build leaves out what the levels of the tree
    // before did not need: leaves between those of its most detailed level but one, and
    // tubes thinner than half the thinnest it kept.
    TreeMesh& full = scratch_;
    BuildTreeMeshOver(model, params, layout_, full, 0, wind, leaveOut_);
    fullStats_ = full.passStats;
    fullStats_ += full.passStats; // a frame draws the tree twice: shadow and tree
    const size_t fullTriangles = triangles_; // measured with the tree's layout
    // Only the levels that may fit the budget are made: the more detailed ones would take
    // the time and memory of much of the tree again and never be drawn.
    float thinnest = 0.0f;
    levels_ = SparseLevels(
        full, MotionDetail::LighterLevels,
        [&](int level, size_t triangles) {
            if ((uint32_t{1} << level) < leaveOut_.leafStep) {
                return false; // its leaves were not written
            }
            return level == MotionDetail::LighterLevels ||
                   detail_.EstimateMs(level, triangles, fullTriangles) <=
                       2.0 * MotionDetail::BudgetMs;
        },
        &thinnest);
    int finest = MotionDetail::LighterLevels;
    for (int k = 1; k <= MotionDetail::LighterLevels; ++k) {
        if (Made(levels_[static_cast<size_t>(k) - 1])) {
            finest = k;
            break;
        }
    }
    leaveOut_.leafStep = uint32_t{1} << (finest - 1);
    leaveOut_.thinnerThan = 0.5f * thinnest;
    std::vector<size_t> triangles;
    for (int k = 1; k <= MotionDetail::LighterLevels; ++k) {
        triangles.push_back((fullTriangles >> k));
    }
    detail_.SetTriangles(fullTriangles, triangles);
}

int ViewerMotion::BeginFrame(const TreeModel& model, const TreeParams& params,
                             GlContextState& state, bool still, bool wind) {
    if (model.generation() != detail_.Generation()) {
        // A new tree: until its own full frame is measured, its time is guessed from the
        // last full frame's by the trees' sizes, so a drag on a slow tree stays light from
        // its first move on.
        layout_ = MeasureTreeMesh(model);
        const size_t triangles = TrianglesOf(layout_);
        const double guess =
            lastFullMs_ >= 0.0 && lastTriangles_ > 0
                ? lastFullMs_ * static_cast<double>(triangles) / static_cast<double>(lastTriangles_)
                : -1.0;
        detail_.NewTree(model.generation());
        if (guess >= 0.0) {
            detail_.FrameDrawn(0, guess);
        }
        triangles_ = triangles;
        levels_.clear();
        light_ = TreeMeshCache{};
        loaded_ = 0;
    }
    // The wind moves the tree for as long as it blows.
    if (still || !detail_.Enabled() || !(Moving() || wind) || !detail_.OverBudget()) {
        return 0;
    }
    if (!HoldsMeshOf(state.treeMesh, model) && state.treeMesh.built) {
        // The full tree's mesh is of a tree before (a drag regrew it): it is built again
        // for the still frame anyway, and its memory is better free meanwhile.
        ReleaseTreeMesh(state);
    }
    if (!detail_.HasLevels() || levelsSway_ != wind) {
        // The levels sway with the tree: made with the wind's data while it blows.
        MakeLevels(model, params, wind);
        light_ = TreeMeshCache{};
        loaded_ = 0;
    }
    int level = detail_.LevelFor(true);
    while (level > 0 && level < static_cast<int>(levels_.size()) &&
           !Made(levels_[static_cast<size_t>(level) - 1])) {
        ++level; // a level let go of: the next lighter one
    }
    if (level <= 0) {
        return 0;
    }
    std::swap(state.treeMesh, light_);
    if (loaded_ != level) {
        UseTreeMesh(model, params, levels_[static_cast<size_t>(level) - 1].mesh, state);
        if (levelsSway_) {
            TakeSway(state.treeMesh.sway, state.treeMesh.mesh.bark, state.treeMesh.mesh.leaves);
        }
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
        // The settle time runs from the end of the light frame: a move that took longer
        // than it (a regrowth on a large tree) would otherwise find the timer run out, and
        // the full tree drawn after every move of a drag.
        settleTimer_.start(MotionDetail::SettleMs, Qt::PreciseTimer, this);
    } else {
        // The pair a new tree's first estimate scales: the time and the size it was of.
        lastFullMs_ = ms;
        lastTriangles_ = triangles_;
    }
    detail_.FrameDrawn(level, ms);
}
