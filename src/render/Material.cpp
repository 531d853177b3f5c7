#include "render/Material.h"

#include "mesh/TreeGeometry.h"

Material BarkMaterial() {
    Material m;
    m.ambient = {0.15f, 0.15f, 0.15f, 1.0f};
    m.diffuse = {0.5f, 0.5f, 0.5f, 1.0f};
    return m;
}

Material LeafMaterial(float jitter) {
    Material m;
    m.ambient = LeafAmbient(jitter);
    m.diffuse = {0.1f, 0.0f, 0.0f, 1.0f};
    return m;
}
