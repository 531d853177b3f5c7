#include "viewer/StillFrame.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <utility>

#include "platform/HeadlessGl.h"
#include "render/GlContextState.h"
#include "render/TreeDrawing.h"
#include "render/TreeMeshCache.h"
#include "render/ViewState.h"
#include "viewer/FrameRenderer.h"
#include "viewer/StillFrameSeries.h"

Result<> RenderStillFrame(const StillFrame& frame, std::vector<uint8_t>& rgba) {
    StillFrameSeries series;
    return series.Draw(frame, rgba);
}

namespace {

constexpr int MaxAtlasSide = 4096;
// The scale of the tree's frame in a viewer frame of the default shape (540 x 350): the
// overall 0.3, the window's shape on x, the tree's vertical stretch on y.
constexpr float ViewerScale[3] = {0.3f * 350.0f / 540.0f, 0.3f * 1.6666666f, 0.3f};

// Gives the colour of the nearest covered pixel to the uncovered pixels next to the tree,
// a few pixels deep, so that filtering the picture at the outline's edge blends tree
// colours rather than black.
void BleedColours(ImpostorAtlas& atlas, int passes) {
    const int w = atlas.width, h = atlas.height;
    std::vector<uint8_t> filled(static_cast<size_t>(w) * h);
    for (size_t i = 0; i < filled.size(); ++i) {
        filled[i] = atlas.rgba[4 * i + 3] != 0;
    }
    for (int pass = 0; pass < passes; ++pass) {
        std::vector<uint8_t> next = filled;
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                const size_t i = static_cast<size_t>(y) * w + x;
                if (filled[i]) {
                    continue;
                }
                int sum[3] = {0, 0, 0}, n = 0;
                for (const auto& [dx, dy] : {std::pair{-1, 0}, {1, 0}, {0, -1}, {0, 1}}) {
                    const int nx = x + dx, ny = y + dy;
                    if (nx < 0 || ny < 0 || nx >= w || ny >= h) {
                        continue;
                    }
                    const size_t j = static_cast<size_t>(ny) * w + nx;
                    if (filled[j]) {
                        for (int c = 0; c < 3; ++c) {
                            sum[c] += atlas.rgba[4 * j + c];
                        }
                        ++n;
                    }
                }
                if (n > 0) {
                    for (int c = 0; c < 3; ++c) {
                        atlas.rgba[4 * i + c] = static_cast<uint8_t>(sum[c] / n);
                    }
                    next[i] = 1;
                }
            }
        }
        filled.swap(next);
    }
}

} // namespace

Result<ImpostorAtlas> RenderImpostorAtlas(const TreeModel& model, const TreeParams& params,
                                          const TreeMesh& full, const ImpostorFrame& frame,
                                          int cellHeight) {
    const float height = std::max(frame.top - frame.bottom, 1e-6f);
    const float shape = 2.0f * frame.halfWidth / height;
    // The atlas stays within 4096 pixels a side, as textures everywhere can hold.
    cellHeight = std::clamp(static_cast<int>(MaxAtlasSide / (shape * frame.views)), 1, cellHeight);
    const int cellWidth = std::clamp(static_cast<int>(std::lround(cellHeight * shape)), 1,
                                     MaxAtlasSide / frame.views);
    ImpostorAtlas atlas;
    atlas.width = cellWidth * frame.views;
    atlas.height = cellHeight;
    HeadlessGlContext gl;
    if (Result<> created = gl.Create(atlas.width, atlas.height); !created) {
        return Failure{"no OpenGL context for the impostor's pictures: " + created.Error().message};
    }
    GlContextState state(HeadlessGlContext::FunctionAddress);
    if (state.drawMode == TreeDrawMode::Immediate) {
        state.drawMode = TreeDrawMode::VertexArrays; // the slices exist only as meshes
    }
    SetInitialGlState();
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    // Deep enough for every vertex: none is farther than halfWidth from the trunk's axis.
    const double depth = 2.0 * frame.halfWidth + 1.0;
    for (int k = 0; k < frame.views; ++k) {
        glViewport(k * cellWidth, 0, cellWidth, cellHeight);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        // The viewer's scales of a default frame (ApplyCamera and DrawFrame) are applied and
        // taken out again by the projection: they change no pixel's place, but the
        // normals' lengths and so the lighting, which then looks as in the viewer.
        glOrtho(-frame.halfWidth * ViewerScale[0], frame.halfWidth * ViewerScale[0],
                frame.bottom * ViewerScale[1], frame.top * ViewerScale[1], -depth * ViewerScale[2],
                depth * ViewerScale[2]);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glScalef(ViewerScale[0], ViewerScale[1], ViewerScale[2]);
        glRotatef(-180.0f * static_cast<float>(k) / static_cast<float>(frame.views), 0.0f, 1.0f,
                  0.0f);
        UseTreeMesh(model, params, ImpostorSlice(full, frame, k), state);
        DrawTree(model, params, state);
    }
    glFinish();
    const std::vector<uint8_t> bottomUp = ReadFramePixels(atlas.width, atlas.height);
    const std::vector<uint8_t> covered = ReadCoverage(atlas.width, atlas.height);
    // Top row first, as the quads' texture coordinates expect.
    atlas.rgba.resize(bottomUp.size());
    const size_t row = static_cast<size_t>(atlas.width) * 4;
    for (int y = 0; y < atlas.height; ++y) {
        const size_t from = static_cast<size_t>(atlas.height - 1 - y);
        std::copy_n(&bottomUp[from * row], row, &atlas.rgba[static_cast<size_t>(y) * row]);
        for (int x = 0; x < atlas.width; ++x) {
            atlas.rgba[static_cast<size_t>(y) * row + 4 * x + 3] = covered[from * atlas.width + x];
        }
    }
    BleedColours(atlas, 4);
    return atlas;
}
