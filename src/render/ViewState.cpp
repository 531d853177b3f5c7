#include "render/ViewState.h"

#include <GL/gl.h>

void SetInitialGlState() {
    glClearDepth(5.0); // clamped to 1.0 by OpenGL
    glEnable(GL_DEPTH_TEST);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_LIGHTING);
    const GLfloat ambient[] = {1.0f, 1.0f, 1.0f, 0.5f};
    const GLfloat diffuse[] = {1.0f, 1.0f, 1.0f, 0.8f};
    // Given once under the identity: a directional light from the viewer's right.
    const GLfloat position[] = {1.0f, 0.0f, 0.0f, 0.0f};
    glLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
    glLightfv(GL_LIGHT0, GL_POSITION, position);
    glEnable(GL_LIGHT0);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
}

void ApplyProjection(int32_t clientWidth, int32_t clientHeight) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    // The same frustum for every window size; the window's shape enters through the
    // aspect scale of the camera transform.
    glFrustum(static_cast<double>(-0.6f), static_cast<double>(0.6f), -1.0, 1.0, 1.0, 3e10);
    glViewport(0, 0, clientWidth, clientHeight);
}
