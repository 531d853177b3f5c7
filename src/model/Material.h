#pragma once

#include <cstdint>

// The colours of one lighting material. Plain data: the render code applies it to
// OpenGL through a cache keyed by `id`, so the model can set colours without OpenGL.
struct Material {
    Material();

    float ambient[4] = {0.2f, 0.2f, 0.2f, 1.0f};
    float diffuse[4] = {0.8f, 0.8f, 0.8f, 1.0f};
    float specular[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    float emission[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    float shininess = 0.0f;
    int32_t id; // unique per material, counting from 1 in construction order
};

void SetAmbient(Material& m, float r, float g, float b, float a);
void SetDiffuse(Material& m, float r, float g, float b, float a);

// The two materials of the process: bark (id 1) and leaf (id 2).
extern Material barkMaterial;
extern Material leafMaterial;
