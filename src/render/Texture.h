#pragma once

#include <cstdint>

// How a built-in picture's B, G, R pixels are turned into a texture.
enum TextureKind : int32_t {
    OpaqueBitmap = 1000,  // three components, uploaded as read
    OverlayBitmap = 1001, // four: red = R, green = R, blue = G, alpha = B
    CutoutBitmap = 1002,  // four: red = R, green = G, blue = 0, alpha = B
};

// One texture made from a built-in picture the first time it is bound in a context. Its
// texture object belongs to the current context's state (GlContextState), so every
// context makes its own. A picture that cannot be read is reported once and never retried
// in that context.
class Texture {
public:
    Texture(const char* resourceName, TextureKind kind, int32_t mipLevels);
    Texture(const Texture&) = delete;
    Texture& operator=(const Texture&) = delete;

    // Makes the texture current for GL_TEXTURE_2D, creating it on first use. A failed
    // texture leaves the previous binding in effect. Needs a current OpenGL context.
    void bind();

    // The texture object's name in the current context; 0 until created there.
    uint32_t glName() const;
    // Whether its picture could not be read in the current context.
    bool failed() const;

    int32_t width = 0; // of the picture as read; valid after the first bind
    int32_t height = 0;
    const char* resourceName;
    TextureKind kind;
    int32_t mipLevels; // 0: one level at the picture's size; n: square chain of n
    const uint64_t id; // unique in the process: the key of its texture object in a context

private:
    bool load(uint32_t& name); // creates, uploads and leaves bound the texture object; false if
                               // unreadable
};

// Turns GL_TEXTURE_2D on or off.
void setTexturing(bool enabled);

// The textures shared by every tree: bark on the branches, the leaf picture.
extern Texture barkTexture;
extern Texture leafTexture;

// Message shown once when a picture cannot be loaded.
inline constexpr const char* TextureFailureText = "Failed to load Texture: ";

// How many times Texture::bind called glBindTexture and glGenTextures; tests read them
// to see that the binding record and the lazy creation save those calls.
extern int32_t textureBindCalls;
extern int32_t textureGenCalls;
