// What the status bar says of the strip pixel under the pointer.
#pragma once

#include <QString>

#include "font/editfont.h"
#include "font/strip.h"
#include "image/palette.h"

// Position, value and colour of pixel X, Y of Font, and the character whose
// glyph holds it; empty off the strip.
QString PixelReadout(const TEditedFont& Font, const TPalette& Palette, const TStripGeometry& Glyphs,
                     int X, int Y);
