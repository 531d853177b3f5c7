#include <GL/gl.h>

#include <gtest/gtest.h>

#include "GlTestContext.h"
#include "TestPlatform.h"
#include "render/GlContextState.h"
#include "render/Texture.h"

namespace {

struct TextureTest : ::testing::Test {
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
    ASSERT_NE(bark.glName(), 0u);
    EXPECT_EQ(GlContextState::Current().boundTexture, bark.glName());
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

TEST_F(TextureTest, BindingRecordSkipsRepeatedBindsAndCreationHappensOnce) {
    platform.AddBitmap("bark.bmp", 64, 128);
    platform.AddBitmap("leaf.bmp", 128, 128);
    Texture bark("bark.bmp", OpaqueBitmap, 7);
    Texture leaf("leaf.bmp", CutoutBitmap, 8);
    const int32_t binds = textureBindCalls, gens = textureGenCalls;
    bark.bind();
    bark.bind();
    leaf.bind();
    bark.bind();
    EXPECT_EQ(textureBindCalls - binds, 3);
    EXPECT_EQ(textureGenCalls - gens, 2);
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), bark.glName());

    const GLuint barkName = bark.glName();
    for (int i = 0; i < 3; ++i) {
        leaf.bind();
        bark.bind();
    }
    EXPECT_EQ(textureGenCalls - gens, 2);
    EXPECT_EQ(bark.glName(), barkName);
    EXPECT_EQ(platform.loads.size(), 2u);
}

TEST_F(TextureTest, OverlayAndCutoutPixelsAreConverted) {
    platform.AddBitmap("help.BMP", 4, 4, 255, 142, 255);
    platform.AddBitmap("leaf.bmp", 4, 4, 234, 255, 255);
    Texture overlay("help.BMP", OverlayBitmap, 0);
    Texture cutout("leaf.bmp", CutoutBitmap, 0);
    uint8_t texel[4 * 4 * 4] = {};

    overlay.bind();
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texel);
    EXPECT_EQ(texel[0], 255);
    EXPECT_EQ(texel[1], 255);
    EXPECT_EQ(texel[2], 142);
    EXPECT_EQ(texel[3], 255);

    cutout.bind();
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texel);
    EXPECT_EQ(texel[0], 255);
    EXPECT_EQ(texel[1], 255);
    EXPECT_EQ(texel[2], 0);
    EXPECT_EQ(texel[3], 234);
}

TEST_F(TextureTest, MissingPictureIsReportedOnceAndNeverRetried) {
    platform.AddBitmap("sky.bmp", 256, 64);
    Texture sky("sky.bmp", OpaqueBitmap, 0);
    Texture ground("ground.bmp", OpaqueBitmap, 8);
    sky.bind();
    const int32_t gens = textureGenCalls;
    ground.bind();
    ground.bind();
    ground.bind();
    ASSERT_EQ(platform.warnings.size(), 1u);
    EXPECT_EQ(platform.warnings[0], "Failed to load Texture: ground.bmp");
    EXPECT_EQ(platform.loads.size(), 2u); // sky once, ground once
    EXPECT_TRUE(ground.failed());
    EXPECT_EQ(ground.glName(), 0u);
    EXPECT_EQ(textureGenCalls, gens);
    // The earlier binding stays in effect.
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), sky.glName());
    EXPECT_EQ(GlContextState::Current().boundTexture, sky.glName());
}

TEST_F(TextureTest, OneMipLevelIsASingleTexelWithLinearFiltering) {
    platform.AddBitmap("ground.bmp", 128, 128, 1, 2, 3);
    Texture t("ground.bmp", OpaqueBitmap, 1);
    t.bind();
    EXPECT_EQ(LevelWidth(0), 1);
    EXPECT_EQ(LevelHeight(0), 1);
    EXPECT_EQ(LevelWidth(1), 0);
    GLint minFilter = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
    EXPECT_EQ(minFilter, GL_LINEAR);
    uint8_t texel[4] = {};
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, texel);
    EXPECT_EQ(texel[0], 3);
    EXPECT_EQ(texel[2], 1);
}

TEST_F(TextureTest, SmallestLevelsOfAThreeComponentChainHoldThePicture) {
    // The 2 x 2 and 1 x 1 levels have rows of 6 and 3 bytes: scaled with padded rows
    // they would be shifted or overrun their buffer.
    platform.AddBitmap("bark.bmp", 64, 128, 10, 20, 30);
    Texture bark("bark.bmp", OpaqueBitmap, 7);
    bark.bind();
    uint8_t texels[2 * 2 * 3] = {};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 5, GL_RGB, GL_UNSIGNED_BYTE, texels);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(texels[i * 3], 30) << i;
        EXPECT_EQ(texels[i * 3 + 1], 20) << i;
        EXPECT_EQ(texels[i * 3 + 2], 10) << i;
    }
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}
