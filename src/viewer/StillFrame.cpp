#include "viewer/StillFrame.h"

#include <GL/gl.h>

#include "platform/HeadlessGl.h"
#include "render/GlContextState.h"
#include "render/ViewState.h"
#include "scene/Backdrop.h"
#include "scene/Overlay.h"
#include "viewer/FrameRenderer.h"

bool RenderStillFrame(const StillFrame& frame, std::vector<uint8_t>& rgba, std::string& error) {
    HeadlessGlContext gl;
    if (!gl.Create(frame.width, frame.height, error)) {
        error = "no OpenGL context for the picture: " + error;
        return false;
    }
    // What the drawing remembers about this context (textures, material, the tree's
    // mesh) lives here and goes before the context does.
    GlContextState state(HeadlessGlContext::FunctionAddress);
    SetInitialGlState();
    ApplyProjection(frame.width, frame.height);

    Backdrop backdrop;
    OverlayImage helpImage("help.BMP", OverlayBitmap, -1.0f);
    OverlayImage buttonImage("button.bmp", OverlayBitmap, -1.0f);
    FrameScene scene{&frame.camera, static_cast<double>(frame.height) / frame.width,
                     &backdrop,     frame.model,
                     &frame.params, &helpImage,
                     &buttonImage,  frame.width,
                     frame.height,  OverlayButton::None,
                     false};
    scene.overlayVisible = frame.overlay;
    DrawFrame(scene, state);

    rgba.assign(static_cast<size_t>(frame.width) * frame.height * 4, 0);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, frame.width, frame.height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    return true;
}
