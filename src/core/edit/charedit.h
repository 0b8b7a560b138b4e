// Characters in and out of a font: a cell put in for a new character, a
// character and its glyph taken out, a glyph made wider or narrower, new
// glyphs put at the strip's end. Each changes the font and returns the step
// of the history that takes it back; the strip's columns and the table move
// together: every X at or past the place where columns go in or out moves
// with them. A refusal throws EFontError saying why and changes nothing.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "edit/editstep.h"
#include "font/editfont.h"

// Why Insert Character can't put in Code with a cell Width wide; empty when
// it can.
std::string WhyNotInsert(const TEditedFont& Font, std::int64_t Code, std::int64_t Width);
// Why row Row's glyph can't be made Width wide; empty when it can.
std::string WhyNotResize(const TEditedFont& Font, int Row, std::int64_t Width);

// A cell Width columns wide, all Background, right after row Row's glyph (at
// the strip's end when Row is -1 or its X lies outside the strip), and the
// row for Code after Row (last for -1), X at the cell and Extra its width.
TEditStep InsertCharacter(TEditedFont& Font, int Row, std::int64_t Code, std::int64_t Width,
                          std::uint16_t Background);
// Row Row goes, and its glyph's columns with it unless another row shares
// its X.
TEditStep DeleteCharacter(TEditedFont& Font, int Row);
// Row Row's glyph made Width wide at its right edge, added columns all
// Background; the glyph's rows whose Extra was its width take the new one.
// None when it is that wide already.
std::optional<TEditStep> SetGlyphWidth(TEditedFont& Font, int Row, std::int64_t Width,
                                       std::uint16_t Background);
// Fit Width: at most this many blank columns go either side of the ink.
inline constexpr int kFitMost = 8;
// Why Fit Width can't put Left and Right blank columns round the ink; empty
// when it can.
std::string WhyNotFit(std::int64_t Left, std::int64_t Right);
// Fit Width: each glyph of Rows with ink (pixels that are not Background)
// loses the blank columns at its edges and gains Left before its ink and
// Right after it, all Background; every X past a glyph moves with its
// columns, and the rows whose Extra was its width take the new one. A glyph
// without ink keeps its width. False, changing nothing, when every glyph
// fits already.
bool FitGlyphWidths(TEditedFont& Font, std::span<const int> Rows, std::int64_t Left,
                    std::int64_t Right, std::uint16_t Background);
// Width columns of Pixels, as high as the strip and of its depth, put at
// the strip's end, and Rows after the table's, their X counted from the
// first new column. Nothing else moves. The step is called Name.
TEditStep AppendGlyphs(TEditedFont& Font, std::int32_t Width, Bytes Pixels,
                       const std::vector<TCharEntry>& Rows, const char* Name = "Add Characters");
// Writes the font AppendGlyphs would make, through the atomic writer,
// without holding its wider strip. Throws as AppendGlyphs and Save do.
void SaveAppended(const TEditedFont& Font, std::int32_t Width, ByteSpan Pixels,
                  const std::vector<TCharEntry>& Rows, const std::string& Path);
