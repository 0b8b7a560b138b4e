// What helps a letter sit with its neighbours while it is drawn: the guides
// across the strip (cap height, x-height, baseline) found from the font's own
// letters, and a reference glyph drawn faintly under the selected one. Both
// are the view's only: no part of the font, its history or any export.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "font/editfont.h"
#include "font/pixeledit.h"
#include "font/strip.h"
#include "image/palette.h"

// The smallest box holding a glyph's ink: its pixels that are not Background.
// None for a glyph without ink.
std::optional<TPixelRect> InkBox(const TSftFont& Font, TGlyphExtent Glyph,
                                 std::uint16_t Background);

// Each guide is a line along the top edge of a pixel row, 0 to the strip's
// height (the height itself: its bottom edge); none when the font has no
// letter to find it from.
struct TGuideRows {
    std::optional<std::int32_t> Cap, X, Base;
    bool operator==(const TGuideRows&) const = default;
};
// A letter counts when the table has its code (its first row) and its glyph
// has ink.
//   Cap: the top ink row of H, else the highest top ink row among A-Z.
//   X: the top ink row of x, else of the first of a c e m n o r s u v w z.
//   Base: the row under H's bottom ink row, else under the bottom ink row
//   most common among A-Z; of rows as common, the highest, since capitals
//   reach below the baseline (J, Q) and not above it.
TGuideRows FindGuides(const TEditedFont& Font, const TStripGeometry& Glyphs,
                      std::uint16_t Background);

// View > Guides...: the fields, as labelled, in order.
inline constexpr std::array<const char*, 3> kGuideLabels = {
    "Cap height:", "x-height:", "Baseline:"};
// A field's text as a row: empty for none, else a whole number from 0 to
// Height. Throws EFontError naming the field (its label without the colon).
std::optional<std::int32_t> GuideRowOf(int Field, std::string_view Text, std::int32_t Height);
// Rows as the settings keep them and the fields show them: "3,7,12", ",7,"
// for the cap height and the baseline left out.
std::string GuideRowsText(const TGuideRows& Rows);
// The same back; none for text that isn't three such rows within Height.
std::optional<TGuideRows> GuideRowsOf(std::string_view Text, std::int32_t Height);

// View > Reference Glyph...: a character's glyph of this font or of another,
// as it stood when chosen.
class TReferenceGlyph {
public:
    // Code's glyph (its first row) of Font. Throws EFontError for a code the
    // table lacks: "The font has no character 90", or with Name for a font
    // opened for it, "OTHER.SFT has no character 90".
    TReferenceGlyph(const TEditedFont& Font, std::uint32_t Code, const std::string& Name = {});

    std::int32_t Width() const { return width_; }
    std::int32_t Height() const { return height_; }

    // Draws the glyph under the selected one on a part of the strip as
    // shown: Rgba is columns X .. X + W - 1 of rows Y .. Y + H - 1 of Strip's
    // picture, 4 bytes a pixel. From Glyph's first column and row 0, cut to
    // Glyph's columns and the strip's rows, each reference pixel that is ink
    // (its colour is not Background's; an 8-bit one's through Palette) is
    // blended half and half into a strip pixel that is Background.
    void DrawUnder(const TEditedFont& Strip, const TPalette& Palette, std::uint16_t Background,
                   TGlyphExtent Glyph, std::int32_t X, std::int32_t Y, std::int32_t W,
                   std::int32_t H, std::uint8_t* Rgba) const;

private:
    int bits_;
    std::int32_t width_ = 0, height_ = 0;
    std::vector<std::uint16_t> values_;  // row by row
};

// A file chosen for the reference that is no font: "OTHER.SFT is not an SFT
// font that can be read".
std::string NotAFontText(const std::string& Name);
