// File > Import Picture: a picture's pixels in place of a font's strip, under
// the core's colour rules, as bmp2sft applies them.
#pragma once

#include <optional>
#include <string>

#include "colorrules.h"
#include "editfont.h"
#include "messages.h"

// The question before colours the palette lacks move to its nearest ones.
QString NearestQuestion(const EColorsNotInPalette& Missing);

// A picture's pixels for Font under the colour rules below: an indexed
// picture of an 8-bit font with its indices as they stand, an RGB one
// matched through Palette (the nearest colours only once UI was asked and
// said Yes), a 16-bit font's the nearest 5-6-5 values. None when the user
// said No. Throws EFontError for what can't be taken.
std::optional<TFontPixels> PixelsForFont(const TEditedFont& Font, const TImagePixels& Image,
                                         const TPalette& Palette, IUserInterface& UI);

// Reads the picture at Path and puts its pixels in Font: an indexed picture
// of an 8-bit font with its indices as they stand, an RGB one matched through
// Palette (the nearest colours only once UI was asked and said Yes), a 16-bit
// font's the nearest 5-6-5 values. False, changing nothing, when the user
// said No. Throws EToolkitError naming the file and why it was refused.
bool ImportPicture(TEditedFont& Font, const std::string& Path, const TPalette& Palette,
                   IUserInterface& UI);
