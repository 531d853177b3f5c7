#include "viewer/StillFrame.h"

#include "platform/HeadlessGl.h"
#include "render/GlContextState.h"
#include "render/ViewState.h"
#include "scene/Backdrop.h"
#include "scene/Overlay.h"
#include "viewer/FrameRenderer.h"

Result<> RenderStillFrame(const StillFrame& frame, std::vector<uint8_t>& rgba) {
    HeadlessGlContext gl;
    if (Result<> created = gl.Create(frame.width, frame.height); !created) {
        return Failure{"no OpenGL context for the picture: " + created.Error().message};
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

    rgba = ReadFramePixels(frame.width, frame.height);
    return {};
}
