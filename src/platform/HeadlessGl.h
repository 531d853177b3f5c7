#pragma once

#include "base/Failure.h"

// An OpenGL compatibility context with no window and no display server: Mesa's
// surfaceless EGL platform with a pbuffer of the picture's size as the drawing surface.
// The context is current from a successful Create() until destruction.
class HeadlessGlContext {
public:
    HeadlessGlContext() = default;
    HeadlessGlContext(const HeadlessGlContext&) = delete;
    HeadlessGlContext& operator=(const HeadlessGlContext&) = delete;
    ~HeadlessGlContext();

    // Sets up the context and a width x height RGB surface with a 24-bit depth buffer,
    // and makes them current; the failure says which step EGL refused.
    Result<> Create(int width, int height);

    // The address of an OpenGL function of the current context; null when there is none.
    static void (*FunctionAddress(const char* name))();

private:
    void* display_ = nullptr; // EGLDisplay
    void* context_ = nullptr; // EGLContext
    void* surface_ = nullptr; // EGLSurface
};
