#include <GL/gl.h>

#include <gtest/gtest.h>

#include "GlTestContext.h"
#include "TestPlatform.h"
#include "render/Texture.h"

namespace {

struct TextureTest : ::testing::Test {
    void SetUp() override { ForgetBoundTexture(); }
    GlTestContext gl;
    TestPlatform platform;
};

GLint LevelWidth(int level) {
    GLint w = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &w);
    return w;
}
GLint LevelHeight(int level) {
    GLint h = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_HEIGHT, &h);
    return h;
}

} // namespace

TEST_F(TextureTest, BarkBecomesASquareChainOfSevenLevels) {
    platform.AddBitmap("bark.bmp", 64, 128, 10, 20, 30);
    Texture bark("bark.bmp", OpaqueBitmap, 7);
    bark.bind();
    ASSERT_NE(bark.glName, 0u);
    EXPECT_EQ(boundTexture, bark.glName);
    EXPECT_EQ(bark.width, 64);
    EXPECT_EQ(bark.height, 128);
    for (int level = 0; level < 7; ++level) {
        EXPECT_EQ(LevelWidth(level), 64 >> level) << level;
        EXPECT_EQ(LevelHeight(level), 64 >> level) << level;
    }
    GLint minFilter = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
    EXPECT_EQ(minFilter, GL_LINEAR_MIPMAP_LINEAR);
    // The smallest level holds the picture's colour (R, G, B = 30, 20, 10).
    uint8_t texel[3] = {};
    glGetTexImage(GL_TEXTURE_2D, 6, GL_RGB, GL_UNSIGNED_BYTE, texel);
    EXPECT_EQ(texel[0], 30);
    EXPECT_EQ(texel[1], 20);
    EXPECT_EQ(texel[2], 10);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(TextureTest, SkyIsUploadedAtItsOwnSizeInOneLevel) {
    platform.AddBitmap("sky.bmp", 256, 64);
    Texture sky("sky.bmp", OpaqueBitmap, 0);
    sky.bind();
    EXPECT_EQ(LevelWidth(0), 256);
    EXPECT_EQ(LevelHeight(0), 64);
    GLint minFilter = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
    EXPECT_EQ(minFilter, GL_LINEAR);
}
