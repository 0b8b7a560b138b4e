#include "picture/textpreview.h"

#include <algorithm>

#include "picture/picture.h"
#include "picture/rgba.h"

TTextPreviewPicture PreviewPicture(const TSftFont& Font, const TPalette& Palette,
                                   const TTextLayout& Layout,
                                   std::span<const std::u32string> AllLines, std::size_t First,
                                   std::size_t Count, std::int64_t Left, std::int64_t Columns) {
    TTextPreviewPicture out;
    out.First = std::min(First, AllLines.size());
    const std::span<const std::u32string> Lines =
        AllLines.subspan(out.First, std::min(Count, AllLines.size() - out.First));
    const TPixelStrip<Bytes> picture = TextPicture(Font, Layout, Lines, Left, Columns);
    out.Left = std::max<std::int64_t>(Left, 0);
    out.Width = picture.Width;
    out.Height = picture.Height;
    out.LineHeight = Font.Height;
    for (std::size_t l = 0; l < Lines.size(); ++l) {
        std::int64_t x = 0;
        for (char32_t c : Lines[l]) {
            const TGlyphExtent e = Layout.GlyphOf(c);
            const std::int64_t w = Layout.CharWidth(c);
            if (e.End <= e.Begin) out.Gaps.push_back({out.First + l, x, w});
            x += w;
        }
    }
    if (out.Width == 0 || out.Height == 0) return out;
    // Through the BMP image sft2bmp writes, so the colours are the file's.
    const TStrip strip{picture.Width, picture.Height, ByteSpan(picture.Pixels)};
    TBitmap bitmap;
    if (Font.BitsPerPixel() == 8)
        Make8BitBitmap(bitmap, strip, Palette);
    else
        Make16BitBitmap(bitmap, strip);
    out.Rgba.resize(std::size_t(out.Width) * std::size_t(out.Height) * 4);
    PictureRGBA(bitmap, 0, 0, out.Width, out.Height, out.Rgba.data());
    return out;
}

std::vector<std::int64_t> PreviewLineWidths(const TTextLayout& Layout,
                                            std::span<const std::u32string> Lines) {
    std::vector<std::int64_t> widths;
    widths.reserve(Lines.size());
    for (const std::u32string& line : Lines) widths.push_back(Layout.Width(line));
    return widths;
}

std::optional<char32_t> PreviewCharAt(const TTextLayout& Layout,
                                      std::span<const std::u32string> Lines,
                                      std::int32_t LineHeight, std::int64_t X, std::int64_t Y) {
    if (LineHeight <= 0 || X < 0 || Y < 0 || Y / LineHeight >= std::int64_t(Lines.size()))
        return std::nullopt;
    std::int64_t x = 0;
    for (char32_t c : Lines[std::size_t(Y / LineHeight)]) {
        x += Layout.CharWidth(c);
        if (X < x) {
            const TGlyphExtent e = Layout.GlyphOf(c);
            return e.End > e.Begin ? std::optional<char32_t>(c) : std::nullopt;
        }
    }
    return std::nullopt;
}

std::string WiderLinesText(std::span<const std::int64_t> Widths, std::int64_t Limit) {
    if (Limit <= 0) return {};
    const auto wider = std::count_if(Widths.begin(), Widths.end(),
                                     [Limit](std::int64_t w) { return WiderThan(w, Limit); });
    const std::string pixels = " pixels.";
    if (wider == 0) return "No line is wider than " + std::to_string(Limit) + pixels;
    return std::to_string(wider) + " of " + std::to_string(Widths.size()) +
           " lines are wider than " + std::to_string(Limit) + pixels;
}
