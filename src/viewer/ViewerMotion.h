#pragma once

#include <QBasicTimer>
#include <QElapsedTimer>
#include <QObject>

#include <cstdint>
#include <functional>
#include <vector>

#include "mesh/FrameStats.h"
#include "mesh/TreeLevels.h"
#include "render/GlContextState.h"
#include "render/TreeMeshCache.h"
#include "viewer/MotionDetail.h"

class TreeModel;
struct TreeParams;

// The viewer's lighter picture while the view moves: the motion's settle timer, the
// lighter levels of the tree shown (made from its mesh the first time a moving frame of a
// slow tree needs them) and the cache slot the chosen level is drawn from, swapped in
// for the frame in place of the full tree's mesh, which stays as it is.
//
// Off with DENDROVA_MOTION_LOD=0 in the environment, or from the panel's menu.
class ViewerMotion final : public QObject {
public:
    // `settled` draws a frame when the motion has stopped for MotionDetail::SettleMs.
    explicit ViewerMotion(std::function<void()> settled);

    // The view or the tree moved just now: the following frames count as moving until
    // the settle time passes without another move.
    void Moved();
    bool Moving() const;

    bool Enabled() const { return detail_.Enabled(); }
    // Turned off, the next frame is the full tree again.
    void SetEnabled(bool enabled);

    // Before a frame of `model`: the level it draws (0: the full tree). For a lighter
    // level its mesh is put in the place of the tree's mesh in `state` until EndFrame.
    // `still` (a picture being saved) asks for the full tree; while the `wind` blows the
    // tree counts as moving, and a light level sways as the full tree would.
    int BeginFrame(const TreeModel& model, const TreeParams& params, GlContextState& state,
                   bool still, bool wind = false);
    // After it: what the frame at `level` took, and the tree's own mesh back in place.
    void EndFrame(int level, double ms, GlContextState& state);

    const MotionDetail& Detail() const { return detail_; }
    // Frames drawn at a lighter level so far, and the level of the last frame.
    int64_t LightFrames() const { return lightFrames_; }
    int LastLevel() const { return lastLevel_; }
    // What a frame of the full tree counts (the read-out shows it for light frames too).
    const FrameStats& FullStats() const { return fullStats_; }

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    void MakeLevels(const TreeModel& model, const TreeParams& params, bool wind);

    std::function<void()> settled_;
    MotionDetail detail_;
    QElapsedTimer sinceMove_;
    QBasicTimer settleTimer_;
    std::vector<TreeLevel> levels_; // only those that may be drawn; the others left empty
    TreeMeshLayout layout_;         // of the tree shown, measured when it is new
    TreeMesh scratch_;              // the full mesh the levels are made from, while moving
    MeshDestination leaveOut_;      // what that build may leave out, from the tree before
    TreeMeshCache light_;           // the level drawn last, while it is not in the state
    int loaded_ = 0;                // the level light_ holds (0: none)
    bool levelsSway_ = false;       // the levels were made with the wind's data
    TreeDrawMode savedMode_ = TreeDrawMode::Buffers;
    size_t triangles_ = 0; // of the tree shown
    // The last full frame's time and its tree's triangles, for a first estimate of a new
    // tree.
    double lastFullMs_ = -1.0;
    size_t lastTriangles_ = 0;
    int64_t lightFrames_ = 0;
    int lastLevel_ = 0;
    FrameStats fullStats_;
};
