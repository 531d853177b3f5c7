#include "model/TreeParams.h"

const ParamEntry ParamTable[ParamCount] = {
    {true, 4.0f, 30.0f, &TreeParams::totalDepth, "Tree Total Depth"},
    {true, 0.0f, 90.0f, &TreeParams::segExpandAngle, "SEG. Expand Angle"},
    {true, 0.1f, 0.99f, &TreeParams::segLenAttenuate, "SEG. Len. Attenuate"},
    {true, 0.1f, 0.99f, &TreeParams::segRadAttenuate, "SEG. Rad. Attenuate"},
    {true, 0.0f, 180.0f, &TreeParams::segTwistAngle, "SEG. Twist Angle"},
    {true, 0.0f, 180.0f, &TreeParams::sseBifurcateAngle, "SSE. Bifurcate Angle"},
    {true, 0.1f, 1.0f, &TreeParams::sseDepAttenuate, "SSE. Dep. Attenuate"},
    {true, 0.1f, 1.0f, &TreeParams::sseScaleAttenuate, "SSE. Scale Attenuate"},
    {true, 0.1f, 4.0f, &TreeParams::leafSize, "Leaf Size"},
    {true, 0.0f, 90.0f, &TreeParams::leafExpandAngle, "Leaf Expand Angle"},
    {false, 0.5f, 5.0f, &TreeParams::shadowLength, "Tree Shadow Length"},
    {false, 0.0f, 1.0f, &TreeParams::brushShadowDensity, "Brush Shad. Density"},
    {false, 0.0f, 1.0f, &TreeParams::leafShadowDensity, "Leaf Shadow Density"},
};

float& ParamValue(TreeParams& params, int row) {
    return params.*ParamTable[row].value;
}

float ParamValue(const TreeParams& params, int row) {
    return params.*ParamTable[row].value;
}

bool InParamRange(const ParamEntry& row, float v) {
    // Written so that NaN fails both comparisons.
    return row.minimum <= v && v <= row.maximum;
}

bool TakeParamValue(int row, float& value) {
    if (!InParamRange(ParamTable[row], value)) {
        return false;
    }
    value += 0.0f; // -0 + 0 is +0; every other value stays as it is
    return true;
}

int32_t TrunkCount(const TreeParams& params) {
    return static_cast<int32_t>(params.totalDepth);
}
