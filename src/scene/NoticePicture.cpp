#include "scene/NoticePicture.h"

#include <GL/gl.h>

#include <cstddef>

void DrawNotice(const NoticePicture& notice) {
    if (notice.width <= 0 || notice.height <= 0 ||
        notice.rgba.size() < static_cast<size_t>(notice.width) * notice.height * 4) {
        return;
    }
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);

    // The raster position in window pixels: both matrices become the identity, so a
    // point's coordinates are normalized device coordinates of the viewport.
    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, viewport);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    if (viewport[2] > 0 && viewport[3] > 0) {
        glRasterPos2f(-1.0f + 2.0f * static_cast<float>(notice.left) / viewport[2],
                      -1.0f + 2.0f * static_cast<float>(notice.bottom) / viewport[3]);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
        glDrawPixels(notice.width, notice.height, GL_RGBA, GL_UNSIGNED_BYTE, notice.rgba.data());
    }
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);

    glDisable(GL_BLEND);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_LIGHTING);
    glEnable(GL_DEPTH_TEST);
}
