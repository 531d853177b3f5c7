#include "model/TreeParams.h"

TreeParams treeParams;

const ParamEntry ParamTable[ParamCount] = {
    {true, 4.0f, 30.0f, &treeParams.totalDepth, "Tree Total Depth"},
    {true, 0.0f, 90.0f, &treeParams.segExpandAngle, "SEG. Expand Angle"},
    {true, 0.1f, 0.99f, &treeParams.segLenAttenuate, "SEG. Len. Attenuate"},
    {true, 0.1f, 0.99f, &treeParams.segRadAttenuate, "SEG. Rad. Attenuate"},
    {true, 0.0f, 180.0f, &treeParams.segTwistAngle, "SEG. Twist Angle"},
    {true, 0.0f, 180.0f, &treeParams.sseBifurcateAngle, "SSE. Bifurcate Angle"},
    {true, 0.1f, 1.0f, &treeParams.sseDepAttenuate, "SSE. Dep. Attenuate"},
    {true, 0.1f, 1.0f, &treeParams.sseScaleAttenuate, "SSE. Scale Attenuate"},
    {true, 0.1f, 4.0f, &treeParams.leafSize, "Leaf Size"},
    {true, 0.0f, 90.0f, &treeParams.leafExpandAngle, "Leaf Expand Angle"},
    {false, 0.5f, 5.0f, &treeParams.shadowLength, "Tree Shadow Length"},
    {false, 0.0f, 1.0f, &treeParams.brushShadowDensity, "Brush Shad. Density"},
    {false, 0.0f, 1.0f, &treeParams.leafShadowDensity, "Leaf Shadow Density"},
};

float& ParamValue(TreeParams& params, int row) {
    // The row's member at the same offset inside another TreeParams record.
    const auto offset = reinterpret_cast<const char*>(ParamTable[row].value) -
                        reinterpret_cast<const char*>(&treeParams);
    return *reinterpret_cast<float*>(reinterpret_cast<char*>(&params) + offset);
}

float ParamValue(const TreeParams& params, int row) {
    return ParamValue(const_cast<TreeParams&>(params), row);
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

void ResetTreeParams() {
    treeParams = TreeParams{};
}
