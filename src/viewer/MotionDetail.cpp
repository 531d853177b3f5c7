#include "viewer/MotionDetail.h"

void MotionDetail::NewTree(uint64_t generation) {
    generation_ = generation;
    fullMs_ = -1.0;
    fullTriangles_ = 0;
    levels_.clear();
    levelMs_.clear();
}

void MotionDetail::SetTriangles(size_t full, const std::vector<size_t>& levels) {
    fullTriangles_ = full;
    levels_ = levels;
    levelMs_.assign(levels.size(), -1.0);
}

void MotionDetail::FrameDrawn(int level, double ms) {
    if (level == 0) {
        fullMs_ = ms;
    } else if (level > 0 && static_cast<size_t>(level) <= levelMs_.size()) {
        levelMs_[static_cast<size_t>(level) - 1] = ms;
        const double byShare = EstimateMs(0, levels_[level - 1], fullTriangles_);
        if (byShare > 0.0 && static_cast<size_t>(level) <= correction_.size()) {
            correction_[static_cast<size_t>(level) - 1] = ms / byShare;
        }
    }
}

double MotionDetail::EstimateMs(int level, size_t triangles, size_t fullTriangles) const {
    if (fullMs_ < 0.0) {
        return -1.0;
    }
    // Drawing time grows with the triangles; a frame's fixed part (sky, ground, overlay)
    // and a dense crown's pixels make the share err on the light side, which the
    // correction from earlier frames of the level takes up (level 0: the bare share).
    const double share = fullTriangles == 0
                             ? 1.0
                             : static_cast<double>(triangles) / static_cast<double>(fullTriangles);
    const double correction = level > 0 && static_cast<size_t>(level) <= correction_.size()
                                  ? correction_[static_cast<size_t>(level) - 1]
                                  : 1.0;
    return fullMs_ * share * correction;
}

double MotionDetail::TimeOf(int level) const {
    const double measured = levelMs_[static_cast<size_t>(level) - 1];
    if (measured >= 0.0) {
        return measured;
    }
    return EstimateMs(level, levels_[level - 1], fullTriangles_);
}

int MotionDetail::LevelFor(bool moving) const {
    if (!enabled_ || !moving || !OverBudget() || levels_.empty()) {
        return 0;
    }
    const int count = static_cast<int>(levels_.size());
    for (int level = 1; level <= count; ++level) {
        if (TimeOf(level) <= BudgetMs) {
            return level;
        }
    }
    return count;
}
