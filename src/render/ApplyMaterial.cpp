#include "render/ApplyMaterial.h"

int32_t lastAppliedMaterialId = 0;

void ApplyMaterial(const Material& material, GLenum face) {
    if (material.id == lastAppliedMaterialId) {
        return;
    }
    glMaterialfv(face, GL_AMBIENT, material.ambient);
    glMaterialfv(face, GL_DIFFUSE, material.diffuse);
    glMaterialfv(face, GL_SPECULAR, material.specular);
    glMaterialfv(face, GL_EMISSION, material.emission);
    glMaterialf(face, GL_SHININESS, material.shininess);
    lastAppliedMaterialId = material.id;
}

void ForgetAppliedMaterial() {
    lastAppliedMaterialId = 0;
}
