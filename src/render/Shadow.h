#pragma once

// True only while TreeModel::DrawShadow runs the traversal; leaves then draw as flat
// translucent quads without the alpha test.
extern bool shadowPass;
