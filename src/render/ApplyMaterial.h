#pragma once

#include <GL/gl.h>

#include "render/Material.h"

class GlContextState;

// Sends the material's colours and shininess for `face`, unless the same colours are the
// ones last sent in the context of `state` (GlContextState::appliedMaterial), so that the
// bark of one tube after another is sent once.
void ApplyMaterial(const Material& material, GLenum face, GlContextState& state);
