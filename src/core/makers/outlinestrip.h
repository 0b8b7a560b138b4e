// A font's strip made from rendered glyphs: glyph bitmaps laid side by side in
// cells, their coverage turned into the font's colours, and the character
// lists and text that say which glyphs to make. The rasteriser hands in plain
// bitmaps; nothing here knows of it.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/bytes.h"
#include "base/errors.h"
#include "base/pixelstrip.h"
#include "font/font.h"
#include "font/pixeledit.h"
#include "image/color.h"
#include "image/palette.h"

// One rendered glyph: coverage 0 (none) to 255 (full) per pixel, top row first.
struct TGlyphBitmap {
    std::int32_t Width = 0;
    std::int32_t Rows = 0;
    std::int32_t Left = 0;               // from the pen to the bitmap's first column
    std::int32_t Top = 0;                // from the baseline up to the bitmap's first row
    std::int32_t Advance = 0;            // whole pixels: the width of the glyph's cell
    std::vector<std::uint8_t> Coverage;  // Rows * Width
};

struct TPlacedGlyph {
    std::uint16_t Code = 0;
    TGlyphBitmap Glyph;
};

// An outline and a shadow on each new glyph, by the rules of Glyph > Outline
// and Glyph > Shadow... (glyphstyle.h): the outline first, then the shadow
// of all the glyph's ink, the outline's included. Colours are font pixel
// values: 5-6-5 or palette indices.
struct TGlyphEffects {
    bool Outline = false;
    std::uint16_t OutlineColor = 0;
    bool Shadow = false;
    std::uint16_t ShadowColor = 0;
    int Right = 1, Down = 1;  // the shadow's offset, each -3 to 3, not both 0
};

// The columns each side of a glyph's cell and the rows at the strip's top
// and bottom that effects add: the outline one all round, the shadow |Right|
// columns and |Down| rows on its side.
struct TEffectRoom {
    std::int32_t Left = 0, Right = 0, Top = 0, Bottom = 0;
    bool operator==(const TEffectRoom&) const = default;
};
TEffectRoom EffectRoom(const TGlyphEffects& Effects);

struct TStripLayout {
    std::int32_t Height = 0;    // the strip's rows
    std::int32_t Baseline = 0;  // rows above the baseline, under Room.Top: the ascender
    std::int32_t Spacing = 0;   // empty columns after each cell
    int BitsPerPixel = 8;       // of the font, for what the format holds
    // Kept free of the glyph's own ink: its cell is its advance with
    // Room.Left and Room.Right more columns, the glyph drawn Room.Left
    // columns in; its ink stays out of the strip's top Room.Top and bottom
    // Room.Bottom rows.
    TEffectRoom Room = {};
};

// The laid-out strip before colours: its pixels are one coverage byte each.
struct TCoverageStrip : TPixelStrip<std::vector<std::uint8_t>> {
    std::vector<TCharEntry> Table;    // X = the cell's first column, Extra = its width
    std::uint64_t ClippedPixels = 0;  // inked pixels outside their cell or the strip
    std::uint32_t ClippedGlyphs = 0;
};

// What cutting a glyph to its cell took: inked pixels, and inked rows above
// and below the strip's rows.
struct TCrop {
    std::uint64_t Pixels = 0;
    std::int32_t RowsAbove = 0, RowsBelow = 0;
};
// Cuts a glyph down to what LayOutGlyphs keeps of it: its advance's columns
// and the strip's rows inside the room.
TCrop CropToCell(TGlyphBitmap& Glyph, const TStripLayout& Layout);

// Lays the glyphs out in the order given: each in a cell as wide as its
// advance and the room, with Spacing empty columns after it. Throws EFontError, with the
// numbers, for a strip wider than the format holds.
TCoverageStrip LayOutGlyphs(const std::vector<TPlacedGlyph>& Glyphs, const TStripLayout& Layout);

// The font pixel for each coverage: a 5-6-5 value or a palette index.
struct TCoverageColors {
    int BitsPerPixel = 16;
    std::array<std::uint16_t, 256> Value{};
};
TCoverageColors CoverageColors16(TRgb Color, TRgb Background);
// Full and no coverage take the two indices themselves; between them, the
// entry nearest to the blend of their colours.
TCoverageColors CoverageColors8(const TPalette& Palette, std::uint8_t Color,
                                std::uint8_t Background);
// The strip's pixels, 2 bytes little-endian or 1 byte a pixel.
Bytes PaintStrip(const TCoverageStrip& Strip, const TCoverageColors& Colors);
// The same, each row by its own colours: one for every row of the strip.
Bytes PaintStrip(const TCoverageStrip& Strip, const std::vector<TCoverageColors>& RowColors);

// Effects on each glyph of a painted strip: Table's cells (X, Extra) in
// Grid, each glyph's columns alone, over Background.
void ApplyGlyphEffects(TPixelGrid& Grid, const std::vector<TCharEntry>& Table,
                       const TGlyphEffects& Effects, std::uint16_t Background);

// Codes and ranges such as "32-126,160,192-255", in the order given. Throws
// EFontError saying what is wrong and where.
std::vector<std::uint16_t> ParseCharList(std::string_view List);
// Codes as ParseCharList reads them, each run as a range: "32-126,160".
std::string FormatCharList(const std::vector<std::uint16_t>& Codes);
// "R,G,B", each 0 to 255. Throws EFontError.
TRgb ParseRgb(std::string_view Text);
// A palette index, 0 to 255. Throws EFontError.
std::uint8_t ParsePaletteIndex(std::string_view Text);
// A shadow's offset "RIGHT,DOWN", each -3 to 3, not both 0. Throws
// EFontError.
std::pair<int, int> ParseShadowOffset(std::string_view Text);
// Fit Width's blank columns "LEFT,RIGHT", each 0 to 8. Throws EFontError.
std::pair<int, int> ParseFitMargins(std::string_view Text);
