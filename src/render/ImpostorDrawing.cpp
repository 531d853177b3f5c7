#include "render/ImpostorDrawing.h"

#include <GL/glu.h>

#include "render/GlContextState.h"
#include "render/Shadow.h"

namespace {

void DrawQuads(const MeshPart& quads) {
    glBegin(GL_TRIANGLES);
    for (const uint32_t i : quads.indices) {
        glTexCoord2fv(&quads.texCoords[2 * i]);
        glNormal3fv(&quads.normals[3 * i]);
        glVertex3fv(&quads.positions[3 * i]);
    }
    glEnd();
}

FrameStats QuadStats(const MeshPart& quads) {
    FrameStats stats;
    stats.quadrangles = static_cast<int32_t>(quads.vertexCount() / 4);
    stats.vertices = static_cast<int32_t>(quads.vertexCount());
    return stats;
}

} // namespace

GLuint UploadImpostorAtlas(int width, int height, const std::vector<uint8_t>& rgba) {
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    gluBuild2DMipmaps(GL_TEXTURE_2D, GL_RGBA, width, height, GL_RGBA, GL_UNSIGNED_BYTE,
                      rgba.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    return name;
}

FrameStats DrawImpostor(const ImpostorDraw& impostor) {
    glBindTexture(GL_TEXTURE_2D, impostor.texture);
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glDisable(GL_LIGHTING);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glAlphaFunc(GL_GREATER, 0.5f);
    glEnable(GL_ALPHA_TEST);
    DrawQuads(*impostor.quads);
    glDisable(GL_ALPHA_TEST);
    glEnable(GL_LIGHTING);
    // The texture the drawing code last bound is no longer bound.
    GlContextState::Current().boundTexture = 0;
    return QuadStats(*impostor.quads);
}

FrameStats DrawImpostorShadow(const ImpostorDraw& impostor, const TreeParams& params, float angle,
                              GlContextState& state) {
    BeginShadow(angle, params, state);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, impostor.texture);
    state.boundTexture = 0;
    glColor4f(0.0f, 0.0f, 0.0f, params.leafShadowDensity);
    glAlphaFunc(GL_GREATER, 0.5f * params.leafShadowDensity);
    glEnable(GL_ALPHA_TEST);
    DrawQuads(*impostor.quads);
    glDisable(GL_ALPHA_TEST);
    EndShadow(state);
    return QuadStats(*impostor.quads);
}
