#include "render/GlContextState.h"

#include <cstdlib>
#include <cstring>
#include <string_view>

namespace {

thread_local GlContextState* current = nullptr;

TreeDrawMode ModeFromEnvironment() {
    const char* value = std::getenv("DENDROVA_DRAW");
    const std::string_view mode = value ? value : "";
    if (mode == "immediate") {
        return TreeDrawMode::Immediate;
    }
    if (mode == "arrays") {
        return TreeDrawMode::VertexArrays;
    }
    return TreeDrawMode::Buffers;
}

// True when the context's version is at least major.minor.
bool HasVersion(int wantMajor, int wantMinor) {
    const auto* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    if (!version) {
        return false;
    }
    int major = 0, minor = 0;
    const char* p = version;
    while (*p >= '0' && *p <= '9') {
        major = major * 10 + (*p++ - '0');
    }
    if (*p++ != '.') {
        return false;
    }
    while (*p >= '0' && *p <= '9') {
        minor = minor * 10 + (*p++ - '0');
    }
    return major > wantMajor || (major == wantMajor && minor >= wantMinor);
}

bool HasExtension(std::string_view name) {
    const auto* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    for (const char* p = extensions; p && (p = std::strstr(p, name.data())); p += name.size()) {
        const char after = p[name.size()];
        if ((p == extensions || p[-1] == ' ') && (after == ' ' || after == '\0')) {
            return true;
        }
    }
    return false;
}

template <typename F> void Resolve(const GlFunctionLookup& lookup, const char* name, F& out) {
    out = reinterpret_cast<F>(lookup(name));
}

BufferFunctions LookUpBufferFunctions(const GlFunctionLookup& lookup) {
    BufferFunctions f;
    if (!lookup) {
        return f;
    }
    const bool core = HasVersion(1, 5);
    if (core || HasExtension("GL_ARB_vertex_buffer_object")) {
        Resolve(lookup, core ? "glGenBuffers" : "glGenBuffersARB", f.genBuffers);
        Resolve(lookup, core ? "glBindBuffer" : "glBindBufferARB", f.bindBuffer);
        Resolve(lookup, core ? "glBufferData" : "glBufferDataARB", f.bufferData);
        Resolve(lookup, core ? "glDeleteBuffers" : "glDeleteBuffersARB", f.deleteBuffers);
        Resolve(lookup, core ? "glMapBuffer" : "glMapBufferARB", f.mapBuffer);
        Resolve(lookup, core ? "glUnmapBuffer" : "glUnmapBufferARB", f.unmapBuffer);
        if (!f.available()) {
            f.genBuffers = nullptr;
            f.bindBuffer = nullptr;
            f.bufferData = nullptr;
            f.deleteBuffers = nullptr;
            f.mapBuffer = nullptr;
            f.unmapBuffer = nullptr;
        }
    }
    if (HasVersion(1, 4)) {
        Resolve(lookup, "glMultiDrawArrays", f.multiDrawArrays);
    } else if (HasExtension("GL_EXT_multi_draw_arrays")) {
        Resolve(lookup, "glMultiDrawArraysEXT", f.multiDrawArrays);
    }
    return f;
}

} // namespace

GlContextState::GlContextState(const GlFunctionLookup& lookup)
    : drawMode(ModeFromEnvironment()), buffers(LookUpBufferFunctions(lookup)) {
    MakeCurrent();
}

GlContextState::~GlContextState() {
    if (current == this) {
        current = nullptr;
    }
}

void GlContextState::MakeCurrent() {
    current = this;
}

GlContextState& GlContextState::Current() {
    if (current) {
        return *current;
    }
    // Made once, without any OpenGL call, and never made current itself.
    static thread_local GlContextState* detached = [] {
        GlContextState* state = new GlContextState();
        current = nullptr;
        return state;
    }();
    return *detached;
}

GlContextState::TextureObject& GlContextState::TextureFor(uint64_t textureId) {
    for (TextureObject& t : textures_) {
        if (t.textureId == textureId) {
            return t;
        }
    }
    textures_.push_back(TextureObject{textureId});
    return textures_.back();
}
