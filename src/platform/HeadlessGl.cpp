#include "platform/HeadlessGl.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>

#include <cstdio>

namespace {

std::string EglError(const char* step) {
    char text[96];
    std::snprintf(text, sizeof text, "%s failed (EGL error 0x%04x)", step,
                  static_cast<unsigned>(eglGetError()));
    return text;
}

} // namespace

bool HeadlessGlContext::Create(int width, int height, std::string& error) {
    const auto getPlatformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
        eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (!getPlatformDisplay) {
        error = "EGL offers no platform displays (eglGetPlatformDisplayEXT is missing)";
        return false;
    }
    EGLDisplay display =
        getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (display == EGL_NO_DISPLAY) {
        error = EglError("opening Mesa's surfaceless EGL display");
        return false;
    }
    EGLint major = 0, minor = 0;
    if (!eglInitialize(display, &major, &minor)) {
        error = EglError("eglInitialize");
        return false;
    }
    display_ = display;
    if (!eglBindAPI(EGL_OPENGL_API)) {
        error = EglError("eglBindAPI(EGL_OPENGL_API)");
        return false;
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
        error = "no EGL configuration with RGB, a 24-bit depth buffer and pbuffers";
        return false;
    }
    const EGLint contextAttributes[] = {EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                        EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT, EGL_NONE};
    EGLContext context = eglCreateContext(display, config, EGL_NO_CONTEXT, contextAttributes);
    if (context == EGL_NO_CONTEXT) {
        error = EglError("creating an OpenGL compatibility context");
        return false;
    }
    context_ = context;
    const EGLint surfaceAttributes[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
    EGLSurface surface = eglCreatePbufferSurface(display, config, surfaceAttributes);
    if (surface == EGL_NO_SURFACE) {
        error = EglError("creating the picture's drawing surface");
        return false;
    }
    surface_ = surface;
    if (!eglMakeCurrent(display, surface, surface, context)) {
        error = EglError("eglMakeCurrent");
        return false;
    }
    return true;
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
