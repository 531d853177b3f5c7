#include "render/BranchMesh.h"

#include <GL/gl.h>

#include "model/Material.h"
#include "model/TreeParams.h"
#include "render/ApplyMaterial.h"
#include "render/FrameStats.h"
#include "render/Leaves.h"
#include "render/MatrixStack.h"
#include "render/Texture.h"

namespace {

// One corner of the hexagonal cross-section: which stored half-widths it uses (with
// their signs) and the texture s-coordinate it carries. Step 7 repeats step 1 with s = 1
// so that the bark wraps once around the tube.
struct CornerStep {
    enum Width { HalfRadius, Radius } xWidth;
    float xSign;
    float zSign; // times hexHeight; 0 for the two corners on the x axis
    float s;
};

constexpr CornerStep Steps[7] = {
    {CornerStep::HalfRadius, 1.0f, 1.0f, 0.0f},
    {CornerStep::HalfRadius, -1.0f, 1.0f, 0.16666667f},
    {CornerStep::Radius, -1.0f, 0.0f, 0.33333334f},
    {CornerStep::HalfRadius, -1.0f, -1.0f, 0.5f},
    {CornerStep::HalfRadius, 1.0f, -1.0f, 0.6666667f},
    {CornerStep::Radius, 1.0f, 0.0f, 0.8333333f},
    {CornerStep::HalfRadius, 1.0f, 1.0f, 1.0f},
};

// The corner (x, z) of the step on the ring of `segment`. The stored half-widths are
// used as they are; a negated value is the stored one with its sign flipped.
void Corner(const CornerStep& step, const Segment& segment, float& x, float& z) {
    const float w = step.xWidth == CornerStep::Radius ? segment.radius : segment.halfRadius;
    x = step.xSign < 0.0f ? -w : w;
    if (step.zSign == 0.0f) {
        z = 0.0f;
    } else {
        z = step.zSign < 0.0f ? -segment.hexHeight : segment.hexHeight;
    }
}

// Moves the matrix from the bottom of `segment` to its top: the rotation comes first, so
// the translation runs along the bent axis.
void StepOver(const Segment& segment) {
    glRotatef(static_cast<float>(segment.expand), static_cast<float>(segment.sinTwist), 0.0f,
              static_cast<float>(segment.cosTwist));
    glTranslatef(0.0f, segment.length, 0.0f);
}

} // namespace

std::array<float, 3> TopRingVertex(const Segment& segment, float a, float b) {
    const double sinT = segment.sinTwist, cosT = segment.cosTwist;
    const double sinE = segment.sinExpand, cosE = segment.cosExpand;
    const double len = segment.length;
    const double p = a * cosT - b * sinT;
    const double q = a * sinT + b * cosT;
    const double r = p * cosE - len * sinE;
    return {static_cast<float>(r * cosT + q * sinT), static_cast<float>(p * sinE + len * cosE),
            static_cast<float>(q * cosT - r * sinT)};
}

void DrawSegment(const Segment& segment, const Segment& below) {
    barkTexture.bind();
    ApplyMaterial(barkMaterial, GL_FRONT_AND_BACK);
    // Shows only in the shadow pass, which draws with lighting off.
    glColor4f(0.0f, 0.0f, 0.0f, treeParams.brushShadowDensity);
    glBegin(GL_QUAD_STRIP);
    for (const CornerStep& step : Steps) {
        float c, d, a, b;
        Corner(step, below, c, d);
        Corner(step, segment, a, b);
        const std::array<float, 3> top = TopRingVertex(segment, a, b);
        // Normals are left unnormalised: their length is the bottom ring's radius.
        glNormal3f(c, 0.0f, d);
        glTexCoord2f(step.s, 0.0f);
        glVertex3f(c, 0.0f, d);
        glNormal3f(c, 0.0f, d);
        glTexCoord2f(step.s, 1.0f);
        glVertex3f(top[0], top[1], top[2]);
    }
    glEnd();
    frameStats.quadrangles += 6;
    frameStats.vertices += 12;
    frameStats.nodes += 1;
    frameStats.memoryBytes += 80;
}

void DrawChain(const Fork& chain) {
    const Segment* cur = chain.first.get();
    if (!cur) {
        return;
    }
    PushModelView();
    if (chain.parent) {
        DrawSegment(*cur, *chain.parent);
        StepOver(*cur);
    }
    while (const Segment* nxt = cur->next.get()) {
        if (cur->fork) {
            PushModelView();
            // Read at draw time: the scale is not stored in the structure.
            const float k = treeParams.sseScaleAttenuate;
            glScalef(k, k, k);
            DrawChain(*cur->fork);
            PopModelView();
        }
        if (cur->leaf) {
            DrawLeaf(*cur->leaf);
        }
        DrawSegment(*nxt, *cur);
        StepOver(*nxt);
        cur = nxt;
    }
    if (cur->leaf) {
        DrawLeaf(*cur->leaf);
    }
    PopModelView();
    frameStats.nodes += 1;
    frameStats.memoryBytes += 16;
}

void TreeModel::Draw() const {
    DrawChain(trunk);
}
