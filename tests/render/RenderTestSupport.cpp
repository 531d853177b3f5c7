#include <gtest/gtest.h>

#include "RenderTestSupport.h"

#include <cmath>

#include "model/TreeParams.h"
#include "render/ViewState.h"

Mat4 Mat4::Identity() {
    Mat4 r;
    r.m[0] = r.m[5] = r.m[10] = r.m[15] = 1.0;
    return r;
}

Mat4 Mat4::Rotation(double degrees, double x, double y, double z) {
    const double len = std::sqrt(x * x + y * y + z * z);
    x /= len;
    y /= len;
    z /= len;
    const double a = degrees * M_PI / 180.0;
    const double c = std::cos(a), s = std::sin(a), t = 1.0 - c;
    Mat4 r = Identity();
    r.m[0] = x * x * t + c;
    r.m[1] = y * x * t + z * s;
    r.m[2] = x * z * t - y * s;
    r.m[4] = x * y * t - z * s;
    r.m[5] = y * y * t + c;
    r.m[6] = y * z * t + x * s;
    r.m[8] = x * z * t + y * s;
    r.m[9] = y * z * t - x * s;
    r.m[10] = z * z * t + c;
    return r;
}

Mat4 Mat4::Translation(double x, double y, double z) {
    Mat4 r = Identity();
    r.m[12] = x;
    r.m[13] = y;
    r.m[14] = z;
    return r;
}

Mat4 Mat4::Scaling(double x, double y, double z) {
    Mat4 r = Identity();
    r.m[0] = x;
    r.m[5] = y;
    r.m[10] = z;
    return r;
}

Mat4 Mat4::FromGl(GLenum which) {
    GLfloat f[16];
    glGetFloatv(which, f);
    Mat4 r;
    for (int i = 0; i < 16; ++i) {
        r.m[i] = f[i];
    }
    return r;
}

Mat4 Mat4::operator*(const Mat4& o) const {
    Mat4 r;
    for (int col = 0; col < 4; ++col) {
        for (int row = 0; row < 4; ++row) {
            double sum = 0.0;
            for (int k = 0; k < 4; ++k) {
                sum += m[k * 4 + row] * o.m[col * 4 + k];
            }
            r.m[col * 4 + row] = sum;
        }
    }
    return r;
}

std::array<double, 3> Mat4::Apply(double x, double y, double z) const {
    return {m[0] * x + m[4] * y + m[8] * z + m[12], m[1] * x + m[5] * y + m[9] * z + m[13],
            m[2] * x + m[6] * y + m[10] * z + m[14]};
}

namespace {
constexpr double BoxHalf = 100.0;
constexpr int FeedbackSize = 4 * 1024 * 1024;
} // namespace

std::vector<FeedbackPolygon> CaptureFeedback(const std::function<void()>& draw) {
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glRotatef(30.0f, 1.0f, 0.0f, 0.0f);
    glRotatef(40.0f, 0.0f, 1.0f, 0.0f);
    const Mat4 turn = Mat4::FromGl(GL_PROJECTION_MATRIX);
    glLoadIdentity();
    glOrtho(-BoxHalf, BoxHalf, -BoxHalf, BoxHalf, -BoxHalf, BoxHalf);
    glMultMatrixd(turn.m.data());
    glMatrixMode(GL_MODELVIEW);

    std::vector<GLfloat> buffer(FeedbackSize);
    glFeedbackBuffer(FeedbackSize, GL_3D_COLOR_TEXTURE, buffer.data());
    glRenderMode(GL_FEEDBACK);
    draw();
    const GLint used = glRenderMode(GL_RENDER);

    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    EXPECT_GE(used, 0) << "feedback buffer overflow";

    // Window coordinates back to eye space: undo the viewport, the box and the turn
    // (whose inverse is its transpose).
    auto readVertex = [&](const GLfloat* f) {
        FeedbackVertex v;
        const double bx = ((f[0] - viewport[0]) / viewport[2] * 2.0 - 1.0) * BoxHalf;
        const double by = ((f[1] - viewport[1]) / viewport[3] * 2.0 - 1.0) * BoxHalf;
        const double bz = -(f[2] * 2.0 - 1.0) * BoxHalf;
        for (int i = 0; i < 3; ++i) {
            v.pos[i] = turn.m[i * 4 + 0] * bx + turn.m[i * 4 + 1] * by + turn.m[i * 4 + 2] * bz;
        }
        v.color = {f[3], f[4], f[5], f[6]};
        v.tex = {f[7] / f[10], f[8] / f[10]};
        return v;
    };
    constexpr int VertexFloats = 3 + 4 + 4;
    std::vector<FeedbackPolygon> polygons;
    for (GLint i = 0; i < used;) {
        const GLint token = static_cast<GLint>(buffer[i++]);
        if (token == GL_POLYGON_TOKEN) {
            const GLint n = static_cast<GLint>(buffer[i++]);
            FeedbackPolygon polygon;
            for (GLint k = 0; k < n; ++k, i += VertexFloats) {
                polygon.push_back(readVertex(&buffer[i]));
            }
            polygons.push_back(polygon);
        } else if (token == GL_LINE_TOKEN || token == GL_LINE_RESET_TOKEN) {
            i += 2 * VertexFloats;
        } else if (token == GL_PASS_THROUGH_TOKEN) {
            i += 1;
        } else {
            i += VertexFloats; // points, bitmaps and pixel rectangles: one vertex
        }
    }
    return polygons;
}

std::vector<FeedbackVertex> Vertices(const std::vector<FeedbackPolygon>& polygons) {
    std::vector<FeedbackVertex> out;
    for (const FeedbackPolygon& p : polygons) {
        out.insert(out.end(), p.begin(), p.end());
    }
    return out;
}

void SetViewerInitialState() {
    SetInitialGlState();
}

std::unique_ptr<Leaf> MakeLeaf(float size, float jitter, float angle, float twist) {
    auto leaf = std::make_unique<Leaf>();
    leaf->size = size;
    leaf->jitter = jitter;
    leaf->angle = angle;
    leaf->twist = twist;
    return leaf;
}

RenderTest::RenderTest() {
    platform.AddBitmap("bark.bmp", 64, 128, 40, 80, 120);
    platform.AddBitmap("leaf.bmp", 128, 128, 0, 200, 60);
    SetViewerInitialState();
}
