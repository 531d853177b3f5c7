#include <GL/gl.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "GlTestContext.h"
#include "SceneGl.h"
#include "TestPlatform.h"
#include "scene/Overlay.h"

namespace {

struct Bgr {
    uint8_t b, g, r;
};

// A picture whose colour is given per pixel as it is shown on screen (x right, y down from
// the top). The stored rows run the other way: the overlay shows row 0 at the bottom.
BitmapPixels MakePicture(int width, int height, const std::function<Bgr(int, int)>& colour) {
    BitmapPixels px;
    px.width = width;
    px.height = height;
    px.bytes.resize(static_cast<size_t>(width) * height * 3);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const Bgr c = colour(x, y);
            uint8_t* p = &px.bytes[(static_cast<size_t>(height - 1 - y) * width + x) * 3];
            p[0] = c.b;
            p[1] = c.g;
            p[2] = c.r;
        }
    }
    return px;
}

// Overlay pictures keep their mask in blue and show (R, R, G): each piece below is opaque
// and gets its own colour, so a read-back pixel tells which piece covers it.
//   credit strip (255, 255, 0), title banner (0, 0, 255), button bar (255, 255, 255),
//   help legend (128, 128, 0), credits panel (128, 128, 255).
BitmapPixels ButtonPicture() {
    return MakePicture(256, 128, [](int x, int y) -> Bgr {
        if (x < 37) {
            return {255, 0, 255};
        }
        if (y < 61) {
            return {255, 255, 0};
        }
        if (x >= 44) {
            return {255, 255, 255};
        }
        return {0, 0, 0};
    });
}

BitmapPixels HelpPicture() {
    return MakePicture(256, 256, [](int, int y) -> Bgr {
        return y < 155 ? Bgr{255, 255, 128} : Bgr{255, 0, 128};
    });
}

// What each piece looks like at alpha 0.65 over black.
constexpr int Strip[3] = {166, 166, 0};
constexpr int Title[3] = {0, 0, 166};
constexpr int Legend[3] = {83, 83, 0};
constexpr int Credits[3] = {83, 83, 166};
constexpr int Black[3] = {0, 0, 0};
// Where pieces overlap the later one is blended over the earlier: top * 0.65 + under * 0.35.
constexpr int LegendOverBar[3] = {137, 137, 54};
constexpr int CreditsOverTitle[3] = {83, 83, 224};
constexpr int CreditsOverStrip[3] = {141, 141, 166};
constexpr int TitleOverStrip[3] = {58, 58, 166};

struct OverlayFixture {
    OverlayFixture(int width, int height) : gl(width, height) {
        SetUpViewerState(gl);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }

    void draw(OverlayButton hovered, bool helpVisible) {
        drawOverlay(help, button, gl.width(), gl.height(), hovered, helpVisible);
    }

    GlTestContext gl;
    TestPlatform platform;
    OverlayImage help{"help.BMP", OverlayBitmap, -1.0f};
    OverlayImage button{"button.bmp", OverlayBitmap, -1.0f};
};

void ExpectModelviewIsTheOverlayScale() {
    GLdouble m[16] = {};
    glGetDoublev(GL_MODELVIEW_MATRIX, m);
    const GLdouble expected[16] = {1.2000000476837158, 0, 0, 0, 0, 2, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(m[i], expected[i]) << i;
    }
    GLint depth = 0, mode = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(depth, 1);
    EXPECT_EQ(mode, GL_MODELVIEW);
}

struct WindowSize {
    int width, height;
};

struct OverlayPlacement : ::testing::TestWithParam<WindowSize> {};

} // namespace

TEST_P(OverlayPlacement, PiecesLandOnTheirPixelRectangles) {
    OverlayFixture f(GetParam().width, GetParam().height);
    f.platform.bitmaps["button.bmp"] = ButtonPicture();
    f.platform.bitmaps["help.BMP"] = HelpPicture();
    const int W = f.gl.width(), H = f.gl.height();
    const int bar[3] = {153, 153, 153}; // idle bar: alpha 0.6
    struct Probe {
        int x, y;
        const int* colour;
    };
    auto check = [&](std::initializer_list<Probe> probes) {
        for (const Probe& p : probes) {
            const auto px = PixelFromTop(f.gl, p.x, p.y);
            EXPECT_TRUE(Near(px, p.colour[0], p.colour[1], p.colour[2]))
                << "at (" << p.x << ", " << p.y << "): " << int(px[0]) << " " << int(px[1]) << " "
                << int(px[2]);
        }
    };

    f.draw(OverlayButton::None, false);
    check({
        // credit strip, x 5-35, y 0-200
        {7, 2, Strip},
        {33, 2, Strip},
        {7, 197, Strip},
        {33, 197, Strip},
        {3, 100, Black},
        {37, 150, Black},
        {20, 202, Black},
        // title banner, x 27.5-247.5, y 4.3-64.3, over the top right of the strip
        {30, 7, TitleOverStrip},
        {245, 7, Title},
        {245, 62, Title},
        {100, 62, Title},
        {100, 2, Black},
        {250, 30, Black},
        {245, 67, Black},
        {25, 66, Strip},
        // button bar, x W-207..W-7, y H-67..H-7
        {W - 205, H - 65, bar},
        {W - 9, H - 9, bar},
        {W - 100, H - 50, bar},
        {W - 209, H - 30, Black},
        {W - 5, H - 30, Black},
        {W - 100, H - 5, Black},
        {W - 100, H - 69, Black},
    });

    glClear(GL_COLOR_BUFFER_BIT);
    f.draw(OverlayButton::None, true);
    check({
        // help legend, x W-256..W, y H-148.5..H-47.5, over the top of the bar
        {W - 254, H - 146, Legend},
        {W - 2, H - 146, Legend},
        {W - 254, H - 50, Legend},
        {W - 100, H - 50, LegendOverBar},
        {W - 258, H - 100, Black},
        {W - 100, H - 151, Black},
        {W - 254, H - 45, Black},
        {W - 100, H - 45, bar},
        // credits panel, x 29-329, y 52-172, over the bottom of the title and the strip
        {37, 66, Credits},
        {327, 66, Credits},
        {37, 170, Credits},
        {327, 170, Credits},
        {31, 170, CreditsOverStrip},
        {100, 54, CreditsOverTitle},
        {331, 100, Black},
        {100, 174, Black},
        {27, 100, Strip},
        {100, 50, Title},
    });

    // The pass leaves the state every drawing routine expects.
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_POLYGON_SMOOTH));
    ExpectModelviewIsTheOverlayScale();
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    EXPECT_TRUE(f.platform.warnings.empty());
}

INSTANTIATE_TEST_SUITE_P(TwoWindowSizes, OverlayPlacement,
                         ::testing::Values(WindowSize{540, 350}, WindowSize{800, 600}));

TEST(Overlay, HelpPiecesOnlyWhileTheHelpIsShown) {
    OverlayFixture f(540, 350);
    f.platform.bitmaps["button.bmp"] = ButtonPicture();
    f.platform.bitmaps["help.BMP"] = HelpPicture();
    const int W = f.gl.width(), H = f.gl.height();

    f.draw(OverlayButton::None, false);
    EXPECT_TRUE(Near(PixelFromTop(f.gl, 200, 120), 0, 0, 0));
    EXPECT_TRUE(Near(PixelFromTop(f.gl, W - 128, H - 120), 0, 0, 0));
    EXPECT_TRUE(Near(PixelFromTop(f.gl, W - 100, H - 50), 153, 153, 153));
    // The help picture is not even loaded until it is first shown.
    EXPECT_EQ(f.help.texture.glName(), 0u);

    glClear(GL_COLOR_BUFFER_BIT);
    f.draw(OverlayButton::None, true);
    EXPECT_TRUE(Near(PixelFromTop(f.gl, 200, 120), 83, 83, 166));
    EXPECT_TRUE(Near(PixelFromTop(f.gl, W - 128, H - 120), 83, 83, 0));
    EXPECT_NE(f.help.texture.glName(), 0u);
}

TEST(Overlay, BarBrightensWhileAButtonIsHovered) {
    OverlayFixture f(540, 350);
    f.platform.AddBitmap("button.bmp", 256, 128, 255, 255, 255); // opaque white
    f.platform.AddBitmap("help.BMP", 256, 256, 255, 255, 255);
    const int W = f.gl.width(), H = f.gl.height();
    auto drawOver = [&](OverlayButton hovered) {
        glClearColor(0.2f, 0.2f, 0.2f, 1.0f); // 51 of 255
        glClear(GL_COLOR_BUFFER_BIT);
        f.draw(hovered, false);
    };

    drawOver(OverlayButton::None);
    EXPECT_TRUE(Near(PixelFromTop(f.gl, W - 107, H - 37), 173, 173, 173, 3)); // 0.6
    EXPECT_TRUE(Near(PixelFromTop(f.gl, 100, 30), 184, 184, 184, 3));         // 0.65
    for (OverlayButton b :
         {OverlayButton::Spin, OverlayButton::Help, OverlayButton::Tree, OverlayButton::Mail}) {
        drawOver(b);
        EXPECT_TRUE(Near(PixelFromTop(f.gl, W - 107, H - 37), 224, 224, 224, 3)); // 0.85
        EXPECT_TRUE(Near(PixelFromTop(f.gl, 100, 30), 184, 184, 184, 3));
    }
}

TEST(Overlay, EmptyClientAreaDrawsNothing) {
    OverlayFixture f(540, 350);
    f.platform.AddBitmap("button.bmp", 256, 128, 255, 255, 255);
    f.platform.AddBitmap("help.BMP", 256, 256, 255, 255, 255);
    for (const WindowSize size : {WindowSize{0, 350}, WindowSize{540, 0}, WindowSize{0, 0}}) {
        glClear(GL_COLOR_BUFFER_BIT);
        glLoadIdentity();
        glTranslatef(3, 4, 5);
        drawOverlay(f.help, f.button, size.width, size.height, OverlayButton::Help, true);
        ExpectModelviewIsTheOverlayScale();
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
        const auto pixels = f.gl.readPixels();
        size_t lit = 0;
        for (size_t i = 0; i < pixels.size(); i += 4) {
            lit += (pixels[i] | pixels[i + 1] | pixels[i + 2]) != 0 ? 1 : 0;
        }
        EXPECT_EQ(lit, 0u) << size.width << " x " << size.height;
    }
    // No piece was drawn, so no picture was even read.
    EXPECT_TRUE(f.platform.loads.empty());
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
}

TEST(Overlay, MissingPicturesAreReportedOnceAndTheFrameGoesOn) {
    OverlayFixture f(540, 350);
    for (int frame = 0; frame < 3; ++frame) {
        f.draw(OverlayButton::None, frame > 0);
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
        ExpectModelviewIsTheOverlayScale();
    }
    EXPECT_EQ(f.platform.warnings, (std::vector<std::string>{"Failed to load Texture: button.bmp",
                                                             "Failed to load Texture: help.BMP"}));
}

TEST(Overlay, PiecesOfAMissingPictureUseWhateverTextureIsBound) {
    OverlayFixture f(540, 350);
    // Left half of the help picture shows (128, 128, 0), right half (0, 0, 255).
    f.platform.bitmaps["help.BMP"] = MakePicture(256, 256, [](int x, int) -> Bgr {
        return x < 128 ? Bgr{255, 0, 128} : Bgr{255, 255, 0};
    });
    f.draw(OverlayButton::None, true);
    // The next frame draws the button pieces while the help picture is still bound: the
    // failed picture has no size, so its pieces show that texture whole.
    glClear(GL_COLOR_BUFFER_BIT);
    f.draw(OverlayButton::None, false);
    EXPECT_TRUE(Near(PixelFromTop(f.gl, 8, 100), 83, 83, 0));
    EXPECT_TRUE(Near(PixelFromTop(f.gl, 32, 100), 0, 0, 166));
    EXPECT_TRUE(Near(PixelFromTop(f.gl, 50, 30), 83, 83, 0));
    EXPECT_TRUE(Near(PixelFromTop(f.gl, 230, 30), 0, 0, 166));
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    EXPECT_EQ(f.platform.warnings, std::vector<std::string>{"Failed to load Texture: button.bmp"});
}

TEST(Overlay, BeginOverlayPacksTheClientSize) {
    OverlayFixture f(64, 64);
    glLoadIdentity();
    EXPECT_EQ(beginOverlay(540, 350), (540u << 16) | 350u);
    GLint depth = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    EXPECT_EQ(depth, 2);
    GLdouble m[16] = {};
    glGetDoublev(GL_MODELVIEW_MATRIX, m);
    EXPECT_FLOAT_EQ(m[0], 1.0 / 540);
    EXPECT_FLOAT_EQ(m[5], 1.0 / 350);
    endOverlay();
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    EXPECT_EQ(depth, 1);
}

TEST(Overlay, HitTestFindsTheButtonsBetweenTheirBoundaries) {
    const int W = 800, H = 600;
    auto at = [&](int dx, int dy) { return HitTestButton(W - dx, H - dy, W, H); };
    for (int dx : {18, 39, 59, 80, 102, 120, 142, 161, 0, 200}) {
        EXPECT_EQ(at(dx, 45), OverlayButton::None) << dx;
    }
    for (int dx : {19, 30, 70, 110, 150}) {
        EXPECT_EQ(at(dx, 32), OverlayButton::None) << dx;
        EXPECT_EQ(at(dx, 62), OverlayButton::None) << dx;
    }
    EXPECT_EQ(at(19, 45), OverlayButton::Help);
    EXPECT_EQ(at(38, 33), OverlayButton::Help);
    EXPECT_EQ(at(60, 61), OverlayButton::Tree);
    EXPECT_EQ(at(79, 45), OverlayButton::Tree);
    EXPECT_EQ(at(103, 45), OverlayButton::Mail);
    EXPECT_EQ(at(119, 45), OverlayButton::Mail);
    EXPECT_EQ(at(143, 45), OverlayButton::Spin);
    EXPECT_EQ(at(160, 45), OverlayButton::Spin);
    // The same distances from the corner give the same button in another window size.
    EXPECT_EQ(HitTestButton(540 - 110, 350 - 40, 540, 350), OverlayButton::Mail);

    EXPECT_EQ(CommandLetter(OverlayButton::Spin), 's');
    EXPECT_EQ(CommandLetter(OverlayButton::Help), 'h');
    EXPECT_EQ(CommandLetter(OverlayButton::Tree), 't');
    EXPECT_EQ(CommandLetter(OverlayButton::Mail), 'm');
    EXPECT_EQ(CommandLetter(OverlayButton::None), 0);
}
