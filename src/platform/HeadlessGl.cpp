#include "platform/HeadlessGl.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>

#include <cstdio>

namespace {

Failure EglError(const char* step) {
    char text[96];
    std::snprintf(text, sizeof text, "%s failed (EGL error 0x%04x)", step,
                  static_cast<unsigned>(eglGetError()));
    return Failure{text};
}

} // namespace

Result<> HeadlessGlContext::Create(int width, int height) {
    const auto getPlatformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
        eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (!getPlatformDisplay) {
        return Failure{"EGL offers no platform displays (eglGetPlatformDisplayEXT is missing)"};
    }
    EGLDisplay display =
        getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (display == EGL_NO_DISPLAY) {
        return EglError("opening Mesa's surfaceless EGL display");
    }
    EGLint major = 0, minor = 0;
    if (!eglInitialize(display, &major, &minor)) {
        return EglError("eglInitialize");
    }
    display_ = display;
    if (!eglBindAPI(EGL_OPENGL_API)) {
        return EglError("eglBindAPI(EGL_OPENGL_API)");
    }
    const EGLint configAttributes[] = {EGL_SURFACE_TYPE,
                                       EGL_PBUFFER_BIT,
                                       EGL_RENDERABLE_TYPE,
                                       EGL_OPENGL_BIT,
                                       EGL_RED_SIZE,
                                       8,
                                       EGL_GREEN_SIZE,
                                       8,
                                       EGL_BLUE_SIZE,
                                       8,
                                       EGL_DEPTH_SIZE,
                                       24,
                                       EGL_NONE};
    EGLConfig config = nullptr;
    EGLint found = 0;
    if (!eglChooseConfig(display, configAttributes, &config, 1, &found) || found < 1) {
        return Failure{"no EGL configuration with RGB, a 24-bit depth buffer and pbuffers"};
    }
    const EGLint contextAttributes[] = {EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                        EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT, EGL_NONE};
    EGLContext context = eglCreateContext(display, config, EGL_NO_CONTEXT, contextAttributes);
    if (context == EGL_NO_CONTEXT) {
        return EglError("creating an OpenGL compatibility context");
    }
    context_ = context;
    const EGLint surfaceAttributes[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
    EGLSurface surface = eglCreatePbufferSurface(display, config, surfaceAttributes);
    if (surface == EGL_NO_SURFACE) {
        return EglError("creating the picture's drawing surface");
    }
    surface_ = surface;
    if (!eglMakeCurrent(display, surface, surface, context)) {
        return EglError("eglMakeCurrent");
    }
    return {};
}

HeadlessGlContext::~HeadlessGlContext() {
    if (!display_) {
        return;
    }
    eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    if (surface_) {
        eglDestroySurface(display_, surface_);
    }
    if (context_) {
        eglDestroyContext(display_, context_);
    }
    eglTerminate(display_);
}

void (*HeadlessGlContext::FunctionAddress(const char* name))() {
    return eglGetProcAddress(name);
}
