// Text as the game shows it: each line drawn from the left with the font's
// glyphs side by side, one line under the other, each as high as the strip.
// The text preview, sft2bmp --text and sftcheck --width all lay text out here.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/bytes.h"
#include "base/pixelstrip.h"
#include "font/strip.h"
#include "text/codepage.h"

class TTextLayout {
public:
    // Glyphs: where each table entry's glyph lies; Page: what the codes
    // stand for.
    explicit TTextLayout(const TStripGeometry& Glyphs, const TCodePageMap& Page = {});

    // The glyph Char is drawn with: its code's first entry in the table.
    // None (Begin == End) where the font lacks it, the code page has no code
    // for it, or the entry has no columns in the strip.
    TGlyphExtent GlyphOf(char32_t Char) const {
        return Char < glyphs_.size() ? glyphs_[Char] : TGlyphExtent{};
    }
    // The gap a character the font lacks leaves: as wide as the space's
    // glyph, or the average glyph when there is none.
    std::int32_t GapWidth() const { return gap_; }
    std::int64_t CharWidth(char32_t Char) const {
        const TGlyphExtent e = GlyphOf(Char);
        return e.End > e.Begin ? e.End - e.Begin : gap_;
    }

    std::vector<TTextPiece> Pieces(std::u32string_view Line) const;
    // A line's width in pixels.
    std::int64_t Width(std::u32string_view Line) const;

    bool operator==(const TTextLayout&) const = default;

private:
    std::vector<TGlyphExtent> glyphs_;  // by character, up to the last the font has
    std::int32_t gap_ = 0;
};

// Lines measured in many fonts (sftcheck --width): each held once as how
// often it holds each of its characters, so that a font's widths cost a
// look-up per distinct character of a line rather than per character.
class TLineWidths {
public:
    explicit TLineWidths(std::span<const std::u32string_view> Lines);
    // Each line's width in Layout, as Layout.Width gives it. Layouts whose
    // glyphs measure alike for these lines (the same font in other colours,
    // common among a game's fonts) are measured once.
    const std::vector<std::int64_t>& In(const TTextLayout& Layout);

private:
    struct TCount {
        std::uint32_t Char;  // into chars_
        std::uint32_t Times;
    };
    std::vector<char32_t> chars_;    // the distinct characters of all lines
    std::vector<TCount> counts_;     // the lines' counts, one line after another
    std::vector<std::size_t> ends_;  // where each line's counts end
    // The last layouts' widths of chars_ and the lines' widths in them.
    std::vector<std::pair<std::vector<std::int64_t>, std::vector<std::int64_t>>> measured_;
};

// The picture of Lines laid out in Font's strip: as wide as the widest line,
// each line as high as the strip, of the strip's depth; value 0 (palette
// index 0, or black) where no glyph is. Throws EFontError when the picture
// would be too large for a BMP file.
// Left and Columns: only those columns of it, as far as it reaches (a view
// of a long text).
TPixelStrip<Bytes> TextPicture(const TSftFont& Font, const TTextLayout& Layout,
                               std::span<const std::u32string> Lines, std::int64_t Left = 0,
                               std::int64_t Columns = INT64_MAX);
// Text split at its line breaks (LF, CR LF, CR), as --text gives it.
std::vector<std::u32string> SplitLines(std::u32string_view Text);
