#include "scene/Overlay.h"

#include <GL/gl.h>

OverlayImage::OverlayImage(const char* resourceName, TextureKind kind, float imageDepth)
    : texture(resourceName, kind, 0), depth(imageDepth) {}

void OverlayImage::setLayout(int32_t horizontal, int32_t vertical, int32_t w, int32_t h) {
    horizontalAnchor = horizontal;
    verticalAnchor = vertical;
    width = w;
    height = h;
}

void OverlayImage::draw(uint32_t packed, float alpha, const SourceRect* rect) {
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    texture.bind();
    glEnable(GL_POLYGON_SMOOTH);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);

    // Texture row t = 0 is the top of the picture as stored, which the quad shows at the
    // bottom; a rectangle measured down from the top therefore maps to t = 1 - y / th.
    // A picture that failed to load has no size: it is then drawn whole rather than with
    // coordinates divided by zero.
    float s0 = 0.0f, s1 = 1.0f, tLow = 0.0f, tHigh = 1.0f;
    if (rect && texture.width > 0 && texture.height > 0) {
        const float tw = static_cast<float>(texture.width);
        const float th = static_cast<float>(texture.height);
        s0 = static_cast<float>(rect->left) / tw;
        s1 = static_cast<float>(rect->right) / tw;
        tHigh = 1.0f - static_cast<float>(rect->top) / th;
        tLow = 1.0f - static_cast<float>(rect->bottom) / th;
    }

    const int32_t halfW = static_cast<int32_t>(packed >> 17);
    const int32_t halfH = static_cast<int32_t>((packed >> 1) & 0x7FFF);

    int32_t top, bottom;
    if (verticalAnchor == 0) {
        top = height >> 1;
        bottom = -top;
    } else if (verticalAnchor == 1) {
        bottom = -halfH;
        top = height - halfH;
    } else {
        top = halfH;
        bottom = halfH - height;
    }

    int32_t left, right;
    if (horizontalAnchor == 0) {
        right = width >> 1;
        left = -right;
    } else if (horizontalAnchor == -1) {
        left = -halfW;
        right = width - halfW;
    } else {
        right = halfW;
        left = halfW - width;
    }

    const GLint z = static_cast<GLint>(depth);
    glPushMatrix();
    glColor4f(1.0f, 1.0f, 1.0f, alpha);
    glBegin(GL_QUADS);
    glTexCoord2f(s0, tLow);
    glVertex3i(left, bottom, z);
    glTexCoord2f(s0, tHigh);
    glVertex3i(left, top, z);
    glTexCoord2f(s1, tHigh);
    glVertex3i(right, top, z);
    glTexCoord2f(s1, tLow);
    glVertex3i(right, bottom, z);
    glEnd();
    glPopMatrix();

    glDisable(GL_POLYGON_SMOOTH);
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);
}

uint32_t beginOverlay(int32_t clientWidth, int32_t clientHeight) {
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    // A vertex (x, y, -1) on the near plane of the frustum (+-0.6, +-1) under the pass's
    // scale(1.2, 2, 1) lands x pixels right of and y pixels above the client centre.
    if (clientWidth > 0 && clientHeight > 0) {
        glScaled(1.0 / clientWidth, 1.0 / clientHeight, 1.0);
    }
    return (static_cast<uint32_t>(clientWidth) << 16) | static_cast<uint32_t>(clientHeight);
}

void endOverlay() {
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
}

namespace {

constexpr float PieceAlpha = 0.65f; // 0.64999998 in single precision
constexpr float BarAlphaHovered = 0.85f;
constexpr float BarAlphaIdle = 0.6f;

constexpr SourceRect CreditStripRect{0, 0, 37, 128};
constexpr SourceRect TitleBannerRect{37, 0, 256, 61};
constexpr SourceRect ButtonBarRect{44, 61, 256, 128};
constexpr SourceRect HelpLegendRect{0, 155, 256, 256};
constexpr SourceRect CreditsPanelRect{0, 0, 255, 155};

void DrawPiece(OverlayImage& image, uint32_t packed, float dx, float dy, int32_t horizontal,
               int32_t vertical, int32_t width, int32_t height, float alpha,
               const SourceRect& rect) {
    glPushMatrix();
    glTranslatef(dx, dy, 0.0f);
    image.setLayout(horizontal, vertical, width, height);
    image.draw(packed, alpha, &rect);
    glPopMatrix();
}

} // namespace

void drawOverlay(OverlayImage& helpImage, OverlayImage& buttonImage, int32_t clientWidth,
                 int32_t clientHeight, OverlayButton hovered, bool helpVisible) {
    glLoadIdentity();
    glScaled(1.2000000476837158, 2.0, 1.0);
    // The pixel scale divides by both sides of the client area: a minimised or collapsed
    // window gets no overlay for the frame.
    if (clientWidth <= 0 || clientHeight <= 0) {
        return;
    }

    const uint32_t packed = beginOverlay(clientWidth, clientHeight);
    DrawPiece(buttonImage, packed, 5.0f, 0.0f, -1, -1, 30, 200, PieceAlpha, CreditStripRect);
    DrawPiece(buttonImage, packed, 27.5f, -4.3f, -1, -1, 220, 60, PieceAlpha, TitleBannerRect);
    DrawPiece(buttonImage, packed, -7.0f, 7.0f, 1, 1, 200, 60,
              hovered != OverlayButton::None ? BarAlphaHovered : BarAlphaIdle, ButtonBarRect);
    if (helpVisible) {
        DrawPiece(helpImage, packed, 0.0f, 47.5f, 1, 1, 256, 101, PieceAlpha, HelpLegendRect);
        DrawPiece(helpImage, packed, 29.0f, -52.0f, -1, -1, 300, 120, PieceAlpha, CreditsPanelRect);
    }
    endOverlay();
}

OverlayButton HitTestButton(int32_t x, int32_t y, int32_t clientWidth, int32_t clientHeight) {
    // Distances from the bottom and right edges of the client area.
    const int32_t dy = clientHeight - y;
    const int32_t dx = clientWidth - x;
    if (dy <= 32 || dy >= 62) {
        return OverlayButton::None;
    }
    if (dx > 18 && dx < 39) {
        return OverlayButton::Help;
    }
    if (dx > 59 && dx < 80) {
        return OverlayButton::Tree;
    }
    if (dx > 102 && dx < 120) {
        return OverlayButton::Mail;
    }
    if (dx > 142 && dx < 161) {
        return OverlayButton::Spin;
    }
    return OverlayButton::None;
}

char CommandLetter(OverlayButton button) {
    switch (button) {
    case OverlayButton::Spin:
        return 's';
    case OverlayButton::Help:
        return 'h';
    case OverlayButton::Tree:
        return 't';
    case OverlayButton::Mail:
        return 'm';
    case OverlayButton::None:
        break;
    }
    return 0;
}
