#include "viewer/FrameRenderer.h"

#include <GL/gl.h>

#include "model/TreeModel.h"
#include "render/TreeDrawing.h"
#include "render/ViewState.h"
#include "scene/Backdrop.h"

void ApplyCamera(const Camera& camera, double aspect) {
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glRotatef(camera.elevation, 1.0f, 0.0f, 0.0f);
    glTranslatef(0.0f, camera.y, camera.z);
    glScalef(0.3f, 0.3f, 0.3f);
    glScalef(static_cast<float>(aspect), 1.0f, 1.0f);
}

FrameStats DrawFrame(const FrameScene& scene, GlContextState& state) {
    glClearColor(0.0f, 0.0f, 0.0f, scene.sceneryVisible ? 1.0f : 0.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    ApplyCamera(*scene.camera, scene.aspect);
    const float azimuth = scene.camera->azimuth;

    if (scene.sceneryVisible) {
        glPushMatrix();
        glRotatef(azimuth, 0.0f, 1.0f, 0.0f);
        scene.backdrop->drawSky();
        scene.backdrop->drawGround();
        glPopMatrix();
    }

    // The tree and its shadow are stretched vertically against sky and ground.
    glScalef(1.0f, 1.6666666f, 1.0f);
    FrameStats stats;
    if (scene.sceneryVisible) {
        // The shadow turns the other way, so it keeps its direction on screen.
        stats +=
            scene.impostor
                ? DrawImpostorShadow(*scene.impostor, *scene.params, -azimuth, state)
                : DrawTreeShadow(*scene.model, *scene.params, -azimuth, state, scene.windSeconds);
    }

    // The shadow's triangles go to the rasterizer before the tree's are sent: a software
    // renderer that bins a whole frame before drawing it otherwise holds both passes of a
    // large tree at once (about 50 MB less at the peak for the largest tree on llvmpipe).
    glFlush();
    glPushMatrix();
    glRotatef(azimuth, 0.0f, 1.0f, 0.0f);
    stats += scene.impostor ? DrawImpostor(*scene.impostor)
                            : DrawTree(*scene.model, *scene.params, state, scene.windSeconds);
    glPopMatrix();

    if (scene.overlayVisible) {
        drawOverlay(*scene.helpImage, *scene.buttonImage, scene.clientWidth, scene.clientHeight,
                    scene.hoveredButton, scene.helpVisible);
    }
    if (scene.sceneryVisible) {
        // The picture is opaque. A window surface with an alpha channel (Wayland's always
        // has one) would otherwise be blended by the compositor wherever translucent leaves
        // and overlay pictures left their alpha below one.
        glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_TRUE);
        glClear(GL_COLOR_BUFFER_BIT);
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    }
    glFinish();
    return stats;
}

std::vector<uint8_t> ReadFramePixels(int32_t width, int32_t height) {
    std::vector<uint8_t> rgba(static_cast<size_t>(width) * height * 4, 0);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    return rgba;
}

std::vector<uint8_t> ReadCoverage(int32_t width, int32_t height) {
    std::vector<float> depth(static_cast<size_t>(width) * height, 1.0f);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_DEPTH_COMPONENT, GL_FLOAT, depth.data());
    std::vector<uint8_t> covered(depth.size());
    for (size_t i = 0; i < depth.size(); ++i) {
        covered[i] = depth[i] < 1.0f ? 255 : 0;
    }
    return covered;
}
