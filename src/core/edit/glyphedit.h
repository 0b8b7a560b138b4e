// The commands on glyphs' columns as steps of the history: flips, one-pixel
// shifts, outline, bold and shadow, a colour replaced, and a paste. Each
// works on every glyph given, each within its own columns, as one step.
// Every front end runs them alike.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "edit/editstep.h"
#include "font/pixeledit.h"
#include "font/strip.h"

enum class TGlyphTransform {
    FlipHorizontal,
    FlipVertical,
    ShiftLeft,
    ShiftRight,
    ShiftUp,
    ShiftDown,
    Outline,
    Bold
};

// The command's name, as the menu and Undo show it.
const char* TransformName(TGlyphTransform Transform);

// The glyphs' columns transformed: what a shift frees takes Background, an
// outline Current. The step to keep, or none when no pixel changed. Throws
// EToolkitError kNoMemoryForStep, changing nothing, when the step's record
// can't be had.
std::optional<TEditStep> TransformGlyphs(TEditedFont& Font, std::span<const TGlyphExtent> Glyphs,
                                         TGlyphTransform Transform, std::uint16_t Current,
                                         std::uint16_t Background);
// Shadow: Right and Down from each glyph's ink, in Current, where it finds
// Background. Throws as TransformGlyphs does.
std::optional<TEditStep> ShadowGlyphs(TEditedFont& Font, std::span<const TGlyphExtent> Glyphs,
                                      int Right, int Down, std::uint16_t Current,
                                      std::uint16_t Background);
// Replace Colour: every pixel of From in the glyphs takes To.
std::optional<TEditStep> ReplaceColor(TEditedFont& Font, std::span<const TGlyphExtent> Glyphs,
                                      std::uint16_t From, std::uint16_t To);

// Source's pixels, of the font's depth, put at each glyph's top-left corner,
// cut to its columns and the strip's rows, as the step "Paste Glyph"; none
// when no pixel changed. Throws as TransformGlyphs does.
std::optional<TEditStep> PasteGlyphPixels(TEditedFont& Font, std::span<const TGlyphExtent> Glyphs,
                                          const TPixelGrid& Source);
