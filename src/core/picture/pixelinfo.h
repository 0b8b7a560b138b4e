// What the status line says of the strip pixel under the pointer, for every
// front end alike.
#pragma once

#include <string>

#include "font/editfont.h"
#include "font/strip.h"
#include "image/palette.h"

// Position, value and colour of pixel X, Y of Font, and the character whose
// glyph holds it, in UTF-8; empty off the strip.
std::string PixelText(const TEditedFont& Font, const TPalette& Palette,
                      const TStripGeometry& Glyphs, int X, int Y);
