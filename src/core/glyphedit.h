// The commands on a glyph's columns as steps of the history: flips, one-pixel
// shifts and a paste. Every front end runs them alike.
#pragma once

#include <cstdint>
#include <optional>

#include "editstep.h"
#include "pixeledit.h"
#include "strip.h"

enum class TGlyphTransform {
    FlipHorizontal,
    FlipVertical,
    ShiftLeft,
    ShiftRight,
    ShiftUp,
    ShiftDown
};

// The command's name, as the menu and Undo show it.
const char* TransformName(TGlyphTransform Transform);

// Transforms Glyph's columns of Font; what a shift frees takes Background.
// The step to keep, or none when no pixel changed. Throws EToolkitError
// kNoMemoryForStep, changing nothing, when the step's record can't be had.
std::optional<TEditStep> TransformGlyph(TEditedFont& Font, TGlyphExtent Glyph,
                                        TGlyphTransform Transform, std::uint16_t Background);

// Source's pixels, of the font's depth, put at Glyph's top-left corner, cut to
// its columns and the strip's rows, as the step "Paste Glyph"; none when no
// pixel changed. Throws as TransformGlyph does.
std::optional<TEditStep> PasteGlyphPixels(TEditedFont& Font, TGlyphExtent Glyph,
                                          const TPixelGrid& Source);
