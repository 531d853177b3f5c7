#include "viewer/StillFrame.h"

#include <algorithm>

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
    scene.windSeconds = frame.windSeconds;
    DrawFrame(scene, state);

    rgba = ReadFramePixels(frame.width, frame.height);
    return {};
}

Result<ImpostorAtlas> RenderImpostorAtlas(const TreeModel&, const TreeParams&,
                                          const ImpostorFrame& frame, int cellHeight) {
    // Placeholder until the views are drawn: a transparent atlas of the right size.
    ImpostorAtlas atlas;
    const float shape = (2.0f * frame.halfWidth) / std::max(frame.top - frame.bottom, 1e-6f);
    atlas.height = cellHeight;
    atlas.width = frame.views * std::max(1, static_cast<int>(cellHeight * shape));
    atlas.rgba.assign(static_cast<size_t>(atlas.width) * atlas.height * 4, 0);
    return atlas;
}
