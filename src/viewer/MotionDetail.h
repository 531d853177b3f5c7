#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Which level of detail a viewer frame draws. A tree whose full frame fits the frame
// budget is always drawn whole. A slower one is drawn, while the view moves, at the most
// detailed lighter level whose own frame fits the budget: measured once that level has
// been drawn, estimated until then from its share of the full tree's triangles, corrected
// by how that level's frames of the trees before compared with their estimates (a new
// tree every slider move would otherwise start from the bare share each time). A still
// frame is always the full tree. Plain logic: the window says what moves and how long its
// frames took.
class MotionDetail {
public:
    // The frame time a moving view should keep to, in milliseconds (20 frames a second).
    static constexpr double BudgetMs = 50.0;
    // How long after the last motion the full tree is drawn again, in milliseconds.
    static constexpr int SettleMs = 150;
    // The lighter levels made for a slow tree: each has at most half the triangles of the
    // one before, so the seventh has at most 1/128 of the tree's.
    static constexpr int LighterLevels = 7;

    explicit MotionDetail(bool enabled = true) : enabled_(enabled) {}

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled) { enabled_ = enabled; }

    // A new tree (another growth): its frame times are not known yet.
    void NewTree(uint64_t generation);
    uint64_t Generation() const { return generation_; }
    // The triangles of the full tree and of each lighter level (1 ..), once they are made.
    void SetTriangles(size_t full, const std::vector<size_t>& levels);
    bool HasLevels() const { return !levels_.empty(); }

    // A frame of the current tree at `level` (0: the full tree) took `ms` milliseconds.
    void FrameDrawn(int level, double ms);
    // Whether the full tree's frame is known to be slower than the budget.
    bool OverBudget() const { return fullMs_ > BudgetMs; }
    // The full tree's frame time as known (measured, or a first guess); -1: unknown.
    double FullMs() const { return fullMs_; }

    // What a frame of `level` with `triangles` of the full tree's `fullTriangles` is
    // expected to take, before it is drawn; -1 while the full tree's time is unknown.
    double EstimateMs(int level, size_t triangles, size_t fullTriangles) const;

    // The level the next frame draws: 0 unless enabled, `moving` and over the budget with
    // levels made; otherwise the most detailed level whose time fits the budget, or the
    // lightest when none does.
    int LevelFor(bool moving) const;

private:
    double TimeOf(int level) const;

    bool enabled_;
    uint64_t generation_ = 0;
    double fullMs_ = -1.0; // -1: not measured
    size_t fullTriangles_ = 0;
    std::vector<size_t> levels_;  // triangles of levels 1 ..
    std::vector<double> levelMs_; // their measured times, -1 until drawn
    // Each level's last measured time against its estimate by share, kept from tree to tree.
    std::vector<double> correction_ = std::vector<double>(LighterLevels, 1.0);
};
