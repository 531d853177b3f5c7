#pragma once

#include <string>

#include "export/PngEncoder.h"

// Short labels written into a picture without any font installed: a built-in font of five
// by seven pixels for the digits, the blank and the letters of "seed", the same on every
// machine, so that the same trees always give the same picture. A character it lacks
// shows as a blank.

// The size of `text` in pixels when each font pixel is drawn `scale` pixels wide, the box
// around it included.
int LabelWidth(const std::string& text, int scale);
int LabelHeight(int scale);

// Writes `text` in white into `image` (3 or 4 channels) on a dark, half-transparent box
// whose lower right corner is at (`right`, `bottom`), in pixels from the image's top left
// corner (both excluded); what falls outside the image is left out.
void DrawLabel(RasterImage& image, int right, int bottom, const std::string& text, int scale);
