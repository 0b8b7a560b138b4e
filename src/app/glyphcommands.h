// The commands on the selected glyph's columns: flips, one-pixel shifts, and
// Copy Glyph and Paste Glyph through the clipboard.
#pragma once

#include <QImage>
#include <optional>

#include "editstep.h"
#include "glyphedit.h"
#include "messages.h"
#include "palette.h"
#include "picture.h"
#include "strip.h"

// Puts Picture into Glyph at its top-left corner, cut to its columns and the
// strip's height, under Import Picture's colour rules: an indexed picture's
// indices stand for an 8-bit font, colours are matched through Palette (the
// nearest ones only once UI was asked and said Yes), a 16-bit font takes the
// nearest 5-6-5 values. None when the user said No or no pixel changed.
// Throws EToolkitError saying why a picture can't be pasted.
std::optional<TEditStep> PasteGlyph(TEditedFont& Font, TGlyphExtent Glyph, const QImage& Picture,
                                    const TPalette& Palette, IUserInterface& UI);

// Columns X .. X + Width - 1 of the picture to the clipboard: indexed for an
// 8-bit font, so that its indices travel as they stand.
void CopyPicturePart(const TBitmap& Picture, int X, int Width, IUserInterface& UI);
