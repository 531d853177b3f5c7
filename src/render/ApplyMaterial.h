#pragma once

#include <GL/gl.h>

#include <cstdint>

#include "model/Material.h"

// Id of the material last handed to OpenGL; 0 before any. Applying the same material
// again is skipped, so colour changes made to it in between do not reach OpenGL until
// another material has been applied.
extern int32_t lastAppliedMaterialId;

// Sends the material's colours and shininess for `face`, unless it is the one last applied.
void ApplyMaterial(const Material& material, GLenum face);

// Forgets the last applied material, for a fresh OpenGL context (tests).
void ForgetAppliedMaterial();
