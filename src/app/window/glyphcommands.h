// Copy Glyph and Paste Glyph through the clipboard.
#pragma once

#include "picture/picture.h"
#include "session/session.h"
#include "ui/userinterface.h"

// Paste Glyph: the clipboard's picture into each selected glyph, under Import
// Picture's colour rules and question. Throws EToolkitError saying why a
// picture can't be pasted.
TSessionChange PasteGlyph(TEditSession& Session, IUserInterface& UI);

// Columns X .. X + Width - 1, rows Y .. Y + Height - 1 of the picture to the clipboard: indexed for
// an 8-bit font, so that its indices travel as they stand.
void CopyPicturePart(const TBitmap& Picture, int X, int Y, int Width, int Height,
                     IUserInterface& UI);
