// The text preview: lines drawn by the text layout in the colours the BMP
// file of sft2bmp --text holds, with what the front ends mark on top of it:
// the gaps of characters the font lacks and the lines wider than a limit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "font/textlayout.h"
#include "image/palette.h"

// A character the font lacks: its gap, in pixels of the picture at 1:1.
struct TPreviewGap {
    std::size_t Line = 0;
    std::int64_t X = 0;
    std::int64_t Width = 0;
};

// Some of the lines drawn: a long text is drawn where it is in view.
struct TTextPreviewPicture {
    std::int32_t Width = 0;  // as wide as the widest line drawn
    std::int32_t Height = 0;
    std::int32_t LineHeight = 0;
    std::size_t First = 0;           // the first line drawn
    std::int64_t Left = 0;           // the first column drawn
    std::vector<std::uint8_t> Rgba;  // Width * Height * 4, top row first
    std::vector<TPreviewGap> Gaps;   // of the lines drawn, counted from the text's first
};

// Lines First .. First + Count - 1 of Lines (those there are), columns
// Left .. Left + Columns - 1, as TextPicture draws them in Font (an 8-bit
// one through Palette). Throws EFontError as TextPicture does.
TTextPreviewPicture PreviewPicture(const TSftFont& Font, const TPalette& Palette,
                                   const TTextLayout& Layout, std::span<const std::u32string> Lines,
                                   std::size_t First = 0, std::size_t Count = SIZE_MAX,
                                   std::int64_t Left = 0, std::int64_t Columns = INT64_MAX);
// Each line's width in pixels, as the layout gives it.
std::vector<std::int64_t> PreviewLineWidths(const TTextLayout& Layout,
                                            std::span<const std::u32string> Lines);

// The character whose glyph holds pixel X, Y of the picture at 1:1; none
// over a gap or past a line's end.
std::optional<char32_t> PreviewCharAt(const TTextLayout& Layout,
                                      std::span<const std::u32string> Lines,
                                      std::int32_t LineHeight, std::int64_t X, std::int64_t Y);

// A preview's text as its text box holds it, in UTF-16 units, split into
// lines (LF, CR LF, CR, as SplitLines) and each line measured once: a key
// typed into a long translation costs the lines it changes, not the text.
class TPreviewText {
public:
    // Units At .. At + Removed - 1 replaced by Inserted (clamped to the text).
    void Replace(std::size_t At, std::size_t Removed, std::u16string_view Inserted);
    std::size_t Size() const { return text_.size(); }
    std::size_t LineCount() const { return starts_.size(); }
    // Lines First .. First + Count - 1, those there are, as code points (a
    // lone surrogate as U+FFFD).
    std::vector<std::u32string> Lines(std::size_t First, std::size_t Count) const;
    // Each line's width in Layout; measured again only where the text or the
    // layout changed.
    const std::vector<std::int64_t>& Widths(const TTextLayout& Layout);

private:
    std::u32string Line(std::size_t I) const;
    std::size_t LineEnd(std::size_t I) const;  // before its line break

    std::u16string text_;
    std::vector<std::size_t> starts_{0};  // each line's first unit
    std::vector<std::int64_t> widths_{0};
    std::vector<std::size_t> unmeasured_{0};  // lines whose width is not known
    std::optional<TTextLayout> measuredIn_;
};

// A line Width pixels wide is marked under a limit of Limit (0: none).
inline bool WiderThan(std::int64_t Width, std::int64_t Limit) { return Limit > 0 && Width > Limit; }

// The preview's status under a Width of Limit pixels: "3 of 120 lines are
// wider than 240 pixels." or "No line is wider than 240 pixels."; empty for
// a Limit of 0, which is none.
std::string WiderLinesText(std::span<const std::int64_t> Widths, std::int64_t Limit);

// Save Preview as PNG with no text drawn.
inline constexpr const char* kNoPreviewToSave = "There is no text to save.";

// Screen pixels left of the text, where the lines wider than the limit are
// marked.
inline constexpr int kPreviewMargin = 4;
