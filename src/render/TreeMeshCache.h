#pragma once

#include <GL/gl.h>
#include <GL/glext.h>

#include <cstdint>

#include "mesh/TreeMesh.h"

// The buffer object calls (OpenGL 1.5, or GL_ARB_vertex_buffer_object under its ARB
// names), looked up when the context state is made; all null when the context has none.
struct BufferFunctions {
    PFNGLGENBUFFERSPROC genBuffers = nullptr;
    PFNGLBINDBUFFERPROC bindBuffer = nullptr;
    PFNGLBUFFERDATAPROC bufferData = nullptr;
    PFNGLDELETEBUFFERSPROC deleteBuffers = nullptr;

    bool available() const { return genBuffers && bindBuffer && bufferData && deleteBuffers; }
};

// The buffer objects holding one material's arrays (0: not in a buffer).
struct PartBuffers {
    GLuint positions = 0;
    GLuint normals = 0;
    GLuint texCoords = 0;
    GLuint colours = 0; // leaves only
    GLuint indices = 0;
};

// The tree mesh one context draws, and what it was built from. Once uploaded into buffer
// objects the mesh's own arrays are released (only their sizes and the statistics stay),
// so a large tree is not held twice.
struct TreeMeshCache {
    const TreeModel* model = nullptr; // the model it was built from (not owned)
    bool built = false;
    TreeMesh mesh;
    bool inBuffers = false;
    PartBuffers bark;
    PartBuffers leaves;
    GLsizei barkIndexCount = 0;
    GLsizei leafIndexCount = 0;
    int64_t builds = 0; // how many times a mesh was built here
};
