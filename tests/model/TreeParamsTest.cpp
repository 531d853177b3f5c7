#include <cmath>
#include <cstring>
#include <limits>

#include <gtest/gtest.h>

#include "model/TreeParams.h"

TEST(TreeParams, TableRowsMatchTheDefinedParameters) {
    struct Row {
        const char* name;
        bool rebuild;
        float lo, hi, def;
    };
    const Row expected[ParamCount] = {
        {"Tree Total Depth", true, 4, 30, 19.29f},
        {"SEG. Expand Angle", true, 0, 90, 26.4f},
        {"SEG. Len. Attenuate", true, 0.1f, 0.99f, 0.83f},
        {"SEG. Rad. Attenuate", true, 0.1f, 0.99f, 0.75f},
        {"SEG. Twist Angle", true, 0, 180, 61.02f},
        {"SSE. Bifurcate Angle", true, 0, 180, 58.8f},
        {"SSE. Dep. Attenuate", true, 0.1f, 1, 0.81f},
        {"SSE. Scale Attenuate", true, 0.1f, 1, 0.93f},
        {"Leaf Size", true, 0.1f, 4, 1.97f},
        {"Leaf Expand Angle", true, 0, 90, 26.4f},
        {"Tree Shadow Length", false, 0.5f, 5, 0.98f},
        {"Brush Shad. Density", false, 0, 1, 0.3f},
        {"Leaf Shadow Density", false, 0, 1, 0.25f},
    };
    const TreeParams defaults;
    for (int i = 0; i < ParamCount; ++i) {
        SCOPED_TRACE(i);
        EXPECT_STREQ(ParamTable[i].name, expected[i].name);
        EXPECT_EQ(ParamTable[i].rebuild, expected[i].rebuild);
        EXPECT_EQ(ParamTable[i].minimum, expected[i].lo);
        EXPECT_EQ(ParamTable[i].maximum, expected[i].hi);
        EXPECT_EQ(ParamValue(defaults, i), expected[i].def);
    }
    // Each row refers to its own member, in member order.
    EXPECT_EQ(ParamTable[0].value, &TreeParams::totalDepth);
    EXPECT_EQ(ParamTable[12].value, &TreeParams::leafShadowDensity);
    TreeParams params;
    for (int i = 1; i < ParamCount; ++i) {
        EXPECT_EQ(&ParamValue(params, i), &ParamValue(params, i - 1) + 1);
    }
}

TEST(TreeParams, RangeCheckIncludesBothEndsAndRejectsNaN) {
    const ParamEntry& depth = ParamTable[0];
    EXPECT_TRUE(InParamRange(depth, 4.0f));
    EXPECT_TRUE(InParamRange(depth, 30.0f));
    EXPECT_FALSE(InParamRange(depth, 3.9f));
    EXPECT_FALSE(InParamRange(depth, 30.5f));
    EXPECT_FALSE(InParamRange(depth, std::nextafter(30.0f, 31.0f)));
    EXPECT_FALSE(InParamRange(depth, std::numeric_limits<float>::quiet_NaN()));
    EXPECT_FALSE(InParamRange(depth, std::numeric_limits<float>::infinity()));
    EXPECT_FALSE(InParamRange(ParamTable[11], -std::numeric_limits<float>::infinity()));
}

TEST(TreeParams, TrunkCountTruncatesTowardZero) {
    TreeParams p;
    EXPECT_EQ(TrunkCount(p), 19);
    p.totalDepth = 19.99f;
    EXPECT_EQ(TrunkCount(p), 19);
    p.totalDepth = 4.0f;
    EXPECT_EQ(TrunkCount(p), 4);
    p.totalDepth = 4.99f;
    EXPECT_EQ(TrunkCount(p), 4);
    p.totalDepth = 30.0f;
    EXPECT_EQ(TrunkCount(p), 30);
}
