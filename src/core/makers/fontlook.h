// What a font's own glyphs look like, for new glyphs to match: the strip's
// background, how tall a glyph is in inked rows, and its colours row by row.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "font/pixeledit.h"
#include "font/strip.h"
#include "makers/outlinestrip.h"

// The strip's most common value: its background. The lowest of equals.
std::uint16_t StripBackground(const TPixelGrid& Grid);
// The rows of Glyph's columns that hold any value other than Background.
int InkedRows(const TPixelGrid& Grid, TGlyphExtent Glyph, std::uint16_t Background);
// Per row, the most common value other than Background (the lowest of
// equals); a row without ink takes the nearest row's that has it, the upper
// of two as near. Empty when no row has ink.
std::vector<std::uint16_t> RowInks(const TPixelGrid& Grid, std::uint16_t Background);
// Of sizes and the inked rows each gives, the size nearest to Target rows;
// of two as near the larger. 0 for none.
int NearestSize(const std::vector<std::pair<int, int>>& SizeRows, int Target);
// Coverage colours per row: each row's ink over Background, blended as
// CoverageColors16 and CoverageColors8 blend.
std::vector<TCoverageColors> MatchedColors(int BitsPerPixel, const TPalette& Palette,
                                           const std::vector<std::uint16_t>& Inks,
                                           std::uint16_t Background);
