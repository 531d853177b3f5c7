#include "viewer/StillFrameSeries.h"

#include <GL/gl.h>

#include <optional>

#include "platform/HeadlessGl.h"
#include "render/GlContextState.h"
#include "render/ImpostorDrawing.h"
#include "render/TreeMeshCache.h"
#include "render/ViewState.h"
#include "scene/Backdrop.h"
#include "scene/Overlay.h"
#include "viewer/FrameRenderer.h"
#include "viewer/StillFrame.h"

// The context and everything drawn with it, made in this order once the context is
// current and gone in the reverse order, before the context is: what the drawing
// remembers about it (textures, material, the tree's mesh), then the pictures.
struct StillFrameSeries::Context {
    int width = 0;
    int height = 0;
    HeadlessGlContext gl;
    std::optional<GlContextState> state;
    std::optional<Backdrop> backdrop;
    std::optional<OverlayImage> helpImage;
    std::optional<OverlayImage> buttonImage;
};

StillFrameSeries::StillFrameSeries() = default;

StillFrameSeries::~StillFrameSeries() = default;

Result<> StillFrameSeries::Draw(const StillFrame& frame, std::vector<uint8_t>& rgba) {
    if (!context_ || context_->width != frame.width || context_->height != frame.height) {
        context_.reset();
        auto context = std::make_unique<Context>();
        if (Result<> created = context->gl.Create(frame.width, frame.height); !created) {
            return Failure{"no OpenGL context for the picture: " + created.Error().message};
        }
        context->width = frame.width;
        context->height = frame.height;
        context->state.emplace(HeadlessGlContext::FunctionAddress);
        SetInitialGlState();
        ApplyProjection(frame.width, frame.height);
        context->backdrop.emplace();
        context->helpImage.emplace("help.BMP", OverlayBitmap, -1.0f);
        context->buttonImage.emplace("button.bmp", OverlayBitmap, -1.0f);
        context_ = std::move(context);
    }
    Context& c = *context_;
    FrameScene scene{&frame.camera,
                     static_cast<double>(frame.height) / frame.width,
                     &*c.backdrop,
                     frame.model,
                     &frame.params,
                     &*c.helpImage,
                     &*c.buttonImage,
                     frame.width,
                     frame.height,
                     OverlayButton::None,
                     false};
    scene.overlayVisible = frame.overlay;
    scene.sceneryVisible = frame.scenery;
    scene.windSeconds = frame.windSeconds;
    GlContextState& state = *c.state;
    ImpostorDraw impostor;
    if (frame.level && frame.level->impostor) {
        if (!frame.atlas || frame.atlas->rgba.empty()) {
            return Failure{"the impostor has no pictures to show"};
        }
        impostor = {
            &frame.level->quads,
            UploadImpostorAtlas(frame.atlas->width, frame.atlas->height, frame.atlas->rgba)};
        scene.impostor = &impostor;
    } else if (frame.level) {
        // The level stands in for the tree's own mesh, which only the mesh drawing uses.
        if (state.drawMode == TreeDrawMode::Immediate) {
            state.drawMode = TreeDrawMode::VertexArrays;
        }
        UseTreeMesh(*frame.model, frame.params, frame.level->mesh, state);
    }
    DrawFrame(scene, state);
    rgba = ReadFramePixels(frame.width, frame.height);
    if (!frame.scenery) {
        const std::vector<uint8_t> covered = ReadCoverage(frame.width, frame.height);
        for (size_t i = 0; i < covered.size(); ++i) {
            rgba[4 * i + 3] = covered[i];
        }
    }
    // The next frame of the series draws its own tree again, not this one's level.
    if (impostor.texture != 0) {
        glDeleteTextures(1, &impostor.texture);
    }
    if (frame.level) {
        state.treeMesh.built = false;
    }
    return {};
}
