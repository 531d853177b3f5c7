#pragma once

// The sway the wind data of a mesh drives (MeshPart::wind), the same in the viewer and in
// an exported file's animation: every vertex moves horizontally by its weight times the
// amplitude times the sway of the moment, along x and along z.

// One loop of the sway; it ends where it starts.
inline constexpr double WindPeriodSeconds = 2.0;

// The displacement of a vertex of weight 1, in the units of a tree `treeHeight` tall.
inline double WindAmplitude(double treeHeight) {
    return 0.04 * treeHeight;
}

// How far along x and along z the sway is at a moment, each within -1..1: a slow swing
// along x and a lighter one along z at twice its rate, both zero at the start of a loop.
struct WindSway {
    double x = 0.0;
    double z = 0.0;
};
WindSway WindSwayAt(double seconds);
