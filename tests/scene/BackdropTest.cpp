#include <GL/gl.h>

#include <gtest/gtest.h>

#include "GlTestContext.h"
#include "SceneGl.h"
#include "TestPlatform.h"
#include "render/GlContextState.h"
#include "scene/Backdrop.h"

namespace {

struct BackdropTest : ::testing::Test {
    BackdropTest() : gl(540, 350) {
        SetUpViewerState(gl);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }

    // The viewer's default camera followed by its spin turn.
    void ApplyDefaultCamera() {
        glLoadIdentity();
        glRotatef(-10.0f, 1, 0, 0);
        glTranslatef(0.0f, -11.7872f, -8.04298f);
        glScalef(0.3f, 0.3f, 0.3f);
        glScalef(static_cast<float>(double(gl.height()) / gl.width()), 1, 1);
        glRotatef(19346.0f, 0, 1, 0);
    }

    GlTestContext gl;
    TestPlatform platform;
    Backdrop backdrop;
};

// Sky red (B, G, R = 0, 0, 220), ground green (B, G, R = 0, 200, 0).
void AddPictures(TestPlatform& platform) {
    platform.AddBitmap("sky.bmp", 256, 64, 0, 0, 220);
    platform.AddBitmap("ground.bmp", 128, 128, 0, 200, 0);
}

} // namespace

TEST_F(BackdropTest, LeavesLightingTexturingTheGroundTextureAndWhite) {
    AddPictures(platform);
    ApplyDefaultCamera();
    backdrop.drawSky();
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_EQ(GlContextState::Current().boundTexture, backdrop.sky.glName());
    backdrop.drawGround();

    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    ASSERT_NE(backdrop.ground.glName(), 0u);
    EXPECT_NE(backdrop.ground.glName(), backdrop.sky.glName());
    EXPECT_EQ(GlContextState::Current().boundTexture, backdrop.ground.glName());
    GLint binding = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &binding);
    EXPECT_EQ(GLuint(binding), backdrop.ground.glName());
    GLfloat colour[4] = {};
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_EQ(colour[0], 1.0f);
    EXPECT_EQ(colour[1], 1.0f);
    EXPECT_EQ(colour[2], 1.0f);
    EXPECT_EQ(colour[3], 1.0f);
    // Both pushed and popped the modelview matrix and left it selected.
    GLint depth = 0, mode = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(depth, 1);
    EXPECT_EQ(mode, GL_MODELVIEW);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    EXPECT_TRUE(platform.warnings.empty());
}

TEST_F(BackdropTest, SkyAboveAndGroundBelowTheHorizon) {
    AddPictures(platform);
    ApplyDefaultCamera();
    backdrop.drawSky();
    backdrop.drawGround();

    // Every column runs from sky down to ground with one horizon, in the middle of the
    // picture; the ceiling disc shows at the top centre through the top of the wall.
    const int w = gl.width(), h = gl.height();
    for (int x = 5; x < w; x += 53) {
        int horizon = -1;
        for (int y = 40; y < h; ++y) {
            const auto px = PixelFromTop(gl, x, y);
            if (horizon < 0 && !Near(px, 220, 0, 0)) {
                horizon = y;
            }
            if (horizon >= 0 && y > horizon + 3) {
                ASSERT_TRUE(Near(px, 0, 200, 0)) << x << "," << y;
            }
        }
        EXPECT_GT(horizon, h * 45 / 100) << x;
        EXPECT_LT(horizon, h * 75 / 100) << x;
    }
    EXPECT_TRUE(Near(PixelFromTop(gl, w / 2, 3), 24, 60, 107, 2));
    EXPECT_TRUE(Near(PixelFromTop(gl, 5, 3), 220, 0, 0));
}

TEST_F(BackdropTest, CeilingKeepsItsColourWhenTheSkyPictureFails) {
    platform.AddBitmap("ground.bmp", 128, 128, 0, 200, 0);
    // Looking straight up from the centre: the ceiling disc fills the middle of the view.
    for (int frame = 0; frame < 2; ++frame) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
        glRotatef(-90.0f, 1, 0, 0);
        backdrop.drawSky();
        backdrop.drawGround();
        EXPECT_TRUE(Near(PixelFromTop(gl, gl.width() / 2, gl.height() / 2), 24, 60, 107, 2));
        EXPECT_TRUE(
            Near(PixelFromTop(gl, gl.width() / 2 + 100, gl.height() / 2 - 100), 24, 60, 107, 2));
    }
    EXPECT_TRUE(backdrop.sky.failed());
    EXPECT_EQ(backdrop.sky.glName(), 0u);
    EXPECT_EQ(platform.warnings, std::vector<std::string>{"Failed to load Texture: sky.bmp"});
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}
