#pragma once

#include <GL/gl.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "render/Material.h"
#include "render/MatrixStack.h"
#include "render/TreeMeshCache.h"

// How the tree is drawn. The immediate path walks the structure every frame with the
// matrix stack and is kept as the reference; the other two draw the cached tree mesh.
enum class TreeDrawMode {
    Immediate,    // the structure, one call per vertex (DENDROVA_DRAW=immediate)
    VertexArrays, // the mesh from client memory, no buffer objects (DENDROVA_DRAW=arrays)
    Buffers,      // the mesh in buffer objects where the context has them (the default)
};

// Looks up an OpenGL function of the current context by name (QOpenGLContext's
// getProcAddress, eglGetProcAddress, ...); null when there is none.
using GlFunctionLookup = std::function<void (*(const char* name))()>;

// Everything the drawing code remembers about one OpenGL context: the texture objects it
// made and the one last bound, the material last applied, whether the shadow pass is
// running, its model-view stack beyond OpenGL's, and the tree's mesh with its buffer
// objects. Made right after its context is
// created and made current, and destroyed before the context goes (its GL objects go with
// the context; the destructor makes no OpenGL call). A second context, headless or in a
// test, gets its own and needs no reset of anything.
class GlContextState {
public:
    // Needs its context current; becomes the current state. `lookup` resolves the buffer
    // object functions; without it the mesh is drawn from client memory. The draw mode
    // starts as DENDROVA_DRAW in the environment says ("immediate", "arrays"), else Buffers.
    explicit GlContextState(const GlFunctionLookup& lookup = {});
    ~GlContextState();
    GlContextState(const GlContextState&) = delete;
    GlContextState& operator=(const GlContextState&) = delete;

    // Makes this the state the drawing routines use: call whenever its context is made
    // current again after another one was.
    void MakeCurrent();
    // The state of the current context. Should drawing ever run with none made current, it
    // gets a detached state of its own rather than crashing.
    static GlContextState& Current();

    // One texture object of this context, keyed by the Texture's process-wide id.
    struct TextureObject {
        uint64_t textureId;
        GLuint name = 0;     // 0 until created
        bool failed = false; // its picture could not be read; never retried here
    };
    // The record of `textureId`, made empty on first use.
    TextureObject& TextureFor(uint64_t textureId);

    GLuint boundTexture = 0;                 // the name last bound through Texture::bind
    std::optional<Material> appliedMaterial; // the colours last sent; none: unknown
    bool shadowPass = false;                 // the immediate shadow pass is running
    ModelViewStack modelView;                // the immediate drawing's matrix saves
    TreeDrawMode drawMode = TreeDrawMode::Buffers;
    BufferFunctions buffers; // null members when the context has none
    TreeMeshCache treeMesh;  // the tree's mesh as last built and uploaded

private:
    std::vector<TextureObject> textures_;
};
