#include "model/Material.h"

namespace {
int32_t& MaterialCounter() {
    static int32_t counter = 0;
    return counter;
}
} // namespace

Material::Material() : id(++MaterialCounter()) {}

void SetAmbient(Material& m, float r, float g, float b, float a) {
    m.ambient[0] = r;
    m.ambient[1] = g;
    m.ambient[2] = b;
    m.ambient[3] = a;
}

void SetDiffuse(Material& m, float r, float g, float b, float a) {
    m.diffuse[0] = r;
    m.diffuse[1] = g;
    m.diffuse[2] = b;
    m.diffuse[3] = a;
}

// Defined together, in this order, so that bark gets id 1 and leaf id 2.
Material barkMaterial;
Material leafMaterial;
