#include "scene/Backdrop.h"

#include <GL/gl.h>

#include <cmath>

namespace {

// Degrees to radians: pi/180 rounded to single precision, used in double arithmetic.
constexpr double DegToRad = 0.017453292384743690;

} // namespace

Backdrop::Backdrop() : sky("sky.bmp", OpaqueBitmap, 0), ground("ground.bmp", OpaqueBitmap, 8) {}

void Backdrop::drawSky() {
    const int32_t n = segments;
    const double angleStep = 360.0 / n;
    const double texStep = 3.0 / n;

    glDisable(GL_LIGHTING);
    glPushMatrix();
    glTranslatef(0.0f, 1.0f, 0.0f);
    glScalef(80.0f, 120.0f, 80.0f);

    glColor3f(1.0f, 1.0f, 1.0f);
    sky.bind();

    // The wall; the angle and the texture coordinate are accumulated by addition, and the
    // closing pair repeats the first at s = 3 so the seam meets it under GL_REPEAT.
    glBegin(GL_QUAD_STRIP);
    double a = 0.0;
    double s = 0.0;
    for (int32_t i = 0; i < n; ++i) {
        const double c = 10.0 * std::cos(a * DegToRad);
        const double z = 10.0 * std::sin(a * DegToRad);
        glTexCoord2f(static_cast<float>(s), 0.0f);
        glVertex3f(static_cast<float>(c), 0.0f, static_cast<float>(z));
        glTexCoord2f(static_cast<float>(s), 1.0f);
        glVertex3f(static_cast<float>(c), 10.0f, static_cast<float>(z));
        a += angleStep;
        s += texStep;
    }
    glTexCoord2f(3.0f, 0.0f);
    glVertex3f(10.0f, 0.0f, 0.0f);
    glTexCoord2f(3.0f, 1.0f);
    glVertex3f(10.0f, 10.0f, 0.0f);
    glEnd();

    // The ceiling disc carries no texture, so it keeps its colour whatever the sky does.
    glDisable(GL_TEXTURE_2D);
    glBegin(GL_POLYGON);
    glColor3f(ceilingColour[0], ceilingColour[1], ceilingColour[2]);
    a = 0.0;
    for (int32_t j = 0; j < n; ++j) {
        glVertex3f(static_cast<float>(20.0 * std::cos(a * DegToRad)), 9.0f,
                   static_cast<float>(20.0 * std::sin(a * DegToRad)));
        a += angleStep;
    }
    glVertex3f(20.0f, 9.0f, 0.0f);
    glEnd();
    glEnable(GL_TEXTURE_2D);

    glPopMatrix();
    glEnable(GL_LIGHTING);
}

void Backdrop::drawGround() {
    glDisable(GL_LIGHTING);
    glPushMatrix();
    // The zero flattens everything onto the plane y = 0.
    glScalef(900.0f, 0.0f, 900.0f);

    glColor3f(1.0f, 1.0f, 1.0f);
    glEnable(GL_TEXTURE_2D);
    ground.bind();

    glBegin(GL_QUADS);
    glTexCoord2f(-8.0f, -8.0f);
    glVertex3f(-1.0f, 0.0f, -1.0f);
    glTexCoord2f(-8.0f, 8.0f);
    glVertex3f(-1.0f, 0.0f, 1.0f);
    glTexCoord2f(8.0f, 8.0f);
    glVertex3f(1.0f, 0.0f, 1.0f);
    glTexCoord2f(8.0f, -8.0f);
    glVertex3f(1.0f, 0.0f, -1.0f);
    glEnd();

    glPopMatrix();
    glEnable(GL_LIGHTING);
}
