#pragma once

#include <GL/gl.h>

#include "model/Material.h"

// Sends the material's colours and shininess for `face`, unless it is the one last
// applied in the current context (GlContextState::lastAppliedMaterialId). Colour changes
// made to that material in between therefore do not reach OpenGL until another material
// has been applied.
void ApplyMaterial(const Material& material, GLenum face);
