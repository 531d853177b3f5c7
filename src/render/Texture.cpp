#include "render/Texture.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <memory>
#include <new>
#include <string>

#include "platform/Platform.h"
#include "render/GlContextState.h"

int32_t textureBindCalls = 0;
int32_t textureGenCalls = 0;

Texture barkTexture("bark.bmp", OpaqueBitmap, 7);
Texture leafTexture("leaf.bmp", CutoutBitmap, 8);

void setTexturing(bool enabled) {
    if (enabled) {
        glEnable(GL_TEXTURE_2D);
    } else {
        glDisable(GL_TEXTURE_2D);
    }
}

namespace {
uint64_t NextTextureId() {
    static uint64_t count = 0;
    return ++count;
}
} // namespace

Texture::Texture(const char* name, TextureKind textureKind, int32_t levels)
    : resourceName(name), kind(textureKind), mipLevels(levels), id(NextTextureId()) {}

uint32_t Texture::glName() const {
    return GlContextState::Current().TextureFor(id).name;
}

bool Texture::failed() const {
    return GlContextState::Current().TextureFor(id).failed;
}

void Texture::bind() {
    GlContextState& state = GlContextState::Current();
    GlContextState::TextureObject& object = state.TextureFor(id);
    if (object.failed) {
        return;
    }
    if (object.name != 0) {
        if (object.name == state.boundTexture) {
            return;
        }
        glBindTexture(GL_TEXTURE_2D, object.name);
        ++textureBindCalls;
        state.boundTexture = object.name;
        return;
    }
    GLuint name = 0;
    if (!load(name)) {
        object.failed = true;
        return;
    }
    object.name = name;
    state.boundTexture = name;
}

namespace {

// Converts B, G, R pixels to four bytes in B, G, R, A order for a GL_BGRA upload.
std::unique_ptr<uint8_t[]> Convert(const BitmapPixels& px, TextureKind kind) {
    const size_t count = static_cast<size_t>(px.width) * px.height;
    std::unique_ptr<uint8_t[]> out(new (std::nothrow) uint8_t[count * 4]);
    if (!out) {
        return out;
    }
    const uint8_t* src = px.bytes.data();
    uint8_t* dst = out.get();
    for (size_t i = 0; i < count; ++i, src += 3, dst += 4) {
        const uint8_t b = src[0], g = src[1], r = src[2];
        if (kind == OverlayBitmap) {
            dst[0] = g; // blue
            dst[1] = r; // green
            dst[2] = r; // red
        } else {
            dst[0] = 0;
            dst[1] = g;
            dst[2] = r;
        }
        dst[3] = b; // the picture's blue channel is the alpha
    }
    return out;
}

} // namespace

bool Texture::load(GLuint& name) {
    BitmapPixels px;
    const bool read = CurrentPlatform().LoadBitmap(resourceName, px) && px.width > 0 &&
                      px.height > 0 &&
                      px.bytes.size() >= static_cast<size_t>(px.width) * px.height * 3;
    std::unique_ptr<uint8_t[]> converted;
    if (read && kind != OpaqueBitmap) {
        converted = Convert(px, kind);
    }
    // A converted copy that cannot be had counts as a failed read.
    if (!read || (kind != OpaqueBitmap && !converted)) {
        CurrentPlatform().ShowWarning(std::string(TextureFailureText) + resourceName);
        return false;
    }
    width = px.width;
    height = px.height;

    const bool opaque = kind == OpaqueBitmap;
    const GLint components = opaque ? 3 : 4;
    const GLenum format = opaque ? GL_BGR : GL_BGRA;
    const void* pixels = opaque ? static_cast<const void*>(px.bytes.data()) : converted.get();

    glGenTextures(1, &name);
    ++textureGenCalls;
    glBindTexture(GL_TEXTURE_2D, name);
    ++textureBindCalls;
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);

    if (mipLevels == 0) {
        glTexImage2D(GL_TEXTURE_2D, 0, components, width, height, 0, format, GL_UNSIGNED_BYTE,
                     pixels);
    } else {
        GLint side = 1 << (mipLevels - 1);
        std::unique_ptr<uint8_t[]> scratch(
            new (std::nothrow) uint8_t[static_cast<size_t>(side) * side * components]);
        if (scratch) {
            // gluScaleImage writes its output under the pack alignment: with the default
            // of 4 the rows of the 2 x 2 and 1 x 1 levels of a three-component picture
            // would be padded past the end of the scratch buffer.
            GLint packAlignment = 4;
            glGetIntegerv(GL_PACK_ALIGNMENT, &packAlignment);
            glPixelStorei(GL_PACK_ALIGNMENT, 1);
            // Every level is scaled from the full picture, not from the level above.
            for (GLint level = 0; side >= 1; ++level, side /= 2) {
                gluScaleImage(format, width, height, GL_UNSIGNED_BYTE, pixels, side, side,
                              GL_UNSIGNED_BYTE, scratch.get());
                glTexImage2D(GL_TEXTURE_2D, level, components, side, side, 0, format,
                             GL_UNSIGNED_BYTE, scratch.get());
            }
            glPixelStorei(GL_PACK_ALIGNMENT, packAlignment);
        }
    }

    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER,
                    mipLevels >= 2 ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR);
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    return true;
}
