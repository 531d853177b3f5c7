#pragma once

#include <array>

// The colours of one lighting material, as glMaterial takes them: a plain value that the
// drawing derives from what it draws, sent to OpenGL through ApplyMaterial.
struct Material {
    std::array<float, 4> ambient = {0.2f, 0.2f, 0.2f, 1.0f};
    std::array<float, 4> diffuse = {0.8f, 0.8f, 0.8f, 1.0f};
    std::array<float, 4> specular = {0.0f, 0.0f, 0.0f, 1.0f};
    std::array<float, 4> emission = {0.0f, 0.0f, 0.0f, 1.0f};
    float shininess = 0.0f;

    bool operator==(const Material&) const = default;
};

// The bark's colours, the same on every tube: a dim grey.
Material BarkMaterial();

// The colours of a leaf whose random factor is `jitter`: its ambient colour LeafAmbient
// (larger leaves redder, smaller ones greener) over a dark red diffuse colour.
Material LeafMaterial(float jitter);
