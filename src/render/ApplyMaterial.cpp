#include "render/ApplyMaterial.h"

#include "render/GlContextState.h"

void ApplyMaterial(const Material& material, GLenum face) {
    int32_t& last = GlContextState::Current().lastAppliedMaterialId;
    if (material.id == last) {
        return;
    }
    glMaterialfv(face, GL_AMBIENT, material.ambient);
    glMaterialfv(face, GL_DIFFUSE, material.diffuse);
    glMaterialfv(face, GL_SPECULAR, material.specular);
    glMaterialfv(face, GL_EMISSION, material.emission);
    glMaterialf(face, GL_SHININESS, material.shininess);
    last = material.id;
}
