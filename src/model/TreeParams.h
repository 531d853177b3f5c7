#pragma once

#include <cstdint>
#include <string>

// Degrees to radians: pi/180 rounded to single precision. Every angle is stored in
// degrees and multiplied by this factor (widened to double) before a sine or cosine.
inline constexpr float DegToRad = 0.017453292f;

// The thirteen numbers that decide the tree's shape and its shadows.
struct TreeParams {
    float totalDepth = 19.29f;       // trunk segment count (integer part used)
    float segExpandAngle = 26.4f;    // bend of a segment against its predecessor, degrees
    float segLenAttenuate = 0.83f;   // length ratio from one segment to the next
    float segRadAttenuate = 0.75f;   // radius ratio from one segment to the next
    float segTwistAngle = 61.02f;    // twist added from one segment to the next, degrees
    float sseBifurcateAngle = 58.8f; // opening angle of a side branch, degrees
    float sseDepAttenuate = 0.81f;   // side-branch segment count to remaining count
    float sseScaleAttenuate = 0.93f; // drawing scale of a side branch against its parent
    float leafSize = 1.97f;          // edge length of a leaf square
    float leafExpandAngle = 26.4f;   // tilt of each leaf, degrees
    float shadowLength = 0.98f;      // length of the ground shadow per unit of height
    float brushShadowDensity = 0.3f; // opacity of branch shadows
    float leafShadowDensity = 0.25f; // opacity of leaf shadows
};

// One row of the parameter table: how a parameter is shown, bounded and applied.
struct ParamEntry {
    bool rebuild;             // a change needs the branch structure to be regrown
    float minimum;            // smallest allowed value, inclusive
    float maximum;            // largest allowed value, inclusive
    float TreeParams::*value; // the member the row stands for, in any TreeParams
    const char* name;         // display name in the control panel's list
    const char* hint;         // what the parameter changes, one sentence without its range
};

inline constexpr int ParamCount = 13;

// Row order is the list order of the control panel and the order in the parameter file.
extern const ParamEntry ParamTable[ParamCount];

// The member of `params` that row `row` of the table stands for, so that a parameter set
// can be walked in table order.
float& ParamValue(TreeParams& params, int row);
float ParamValue(const TreeParams& params, int row);

// The control panel's tooltip for row `row`: what it changes, its range, and whether a
// change regrows the tree or only redraws it.
std::string ParamHintText(int row);

// True when minimum <= v <= maximum; NaN is outside every range.
bool InParamRange(const ParamEntry& row, float v);

// The one rule for a parameter read from any file: true when `value` is inside row
// `row`'s range; it is then replaced by the value to use, which differs only for -0: that
// becomes +0, as the JSON file reads it back, so that both formats give the same tree.
bool TakeParamValue(int row, float& value);

// The trunk's segment count: totalDepth truncated toward zero.
int32_t TrunkCount(const TreeParams& params);
