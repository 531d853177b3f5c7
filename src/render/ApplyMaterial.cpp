#include "render/ApplyMaterial.h"

#include "render/GlContextState.h"

void ApplyMaterial(const Material& material, GLenum face, GlContextState& state) {
    if (state.appliedMaterial && *state.appliedMaterial == material) {
        return;
    }
    glMaterialfv(face, GL_AMBIENT, material.ambient.data());
    glMaterialfv(face, GL_DIFFUSE, material.diffuse.data());
    glMaterialfv(face, GL_SPECULAR, material.specular.data());
    glMaterialfv(face, GL_EMISSION, material.emission.data());
    glMaterialf(face, GL_SHININESS, material.shininess);
    state.appliedMaterial = material;
}
