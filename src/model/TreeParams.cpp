#include "model/TreeParams.h"

#include "model/JsonText.h"

const ParamEntry ParamTable[ParamCount] = {
    {true, 4.0f, 30.0f, &TreeParams::totalDepth, "Tree Total Depth",
     "How many segments the trunk has, and so how tall and how far branched the tree grows (only "
     "the whole part counts)"},
    {true, 0.0f, 90.0f, &TreeParams::segExpandAngle, "SEG. Expand Angle",
     "How far each segment bends away from the one before it, in degrees"},
    {true, 0.1f, 0.99f, &TreeParams::segLenAttenuate, "SEG. Len. Attenuate",
     "How long each segment is against the one before it: lower values give a shorter, more "
     "compact tree"},
    {true, 0.1f, 0.99f, &TreeParams::segRadAttenuate, "SEG. Rad. Attenuate",
     "How thick each segment is against the one before it: lower values thin the branches out "
     "faster"},
    {true, 0.0f, 180.0f, &TreeParams::segTwistAngle, "SEG. Twist Angle",
     "How far each segment turns about its branch against the one before it, in degrees, which "
     "spreads the side branches around the trunk"},
    {true, 0.0f, 180.0f, &TreeParams::sseBifurcateAngle, "SSE. Bifurcate Angle",
     "How wide a side branch opens away from its parent, in degrees"},
    {true, 0.1f, 1.0f, &TreeParams::sseDepAttenuate, "SSE. Dep. Attenuate",
     "How many segments a side branch has, as a share of what its parent has left: higher values "
     "give a denser, much larger tree"},
    {true, 0.1f, 1.0f, &TreeParams::sseScaleAttenuate, "SSE. Scale Attenuate",
     "How large a side branch is drawn against its parent"},
    {true, 0.1f, 4.0f, &TreeParams::leafSize, "Leaf Size", "The edge length of each leaf"},
    {true, 0.0f, 90.0f, &TreeParams::leafExpandAngle, "Leaf Expand Angle",
     "How far each leaf tilts away from its twig, in degrees"},
    {false, 0.5f, 5.0f, &TreeParams::shadowLength, "Tree Shadow Length",
     "How long the shadow on the ground is for each unit of the tree's height"},
    {false, 0.0f, 1.0f, &TreeParams::brushShadowDensity, "Brush Shad. Density",
     "How dark the shadows of the trunk and branches are, from none to black"},
    {false, 0.0f, 1.0f, &TreeParams::leafShadowDensity, "Leaf Shadow Density",
     "How dark the shadows of the leaves are, from none to black"},
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

std::string ParamHintText(int row) {
    const ParamEntry& entry = ParamTable[row];
    return std::string(entry.hint) + "; from " + NumberText(entry.minimum) + " to " +
           NumberText(entry.maximum) + (entry.rebuild ? ", regrows the tree." : ", redraws only.");
}
