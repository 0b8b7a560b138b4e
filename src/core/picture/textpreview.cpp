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

void TPreviewText::Replace(std::size_t At, std::size_t Removed, std::u16string_view Inserted) {
    At = std::min(At, text_.size());
    Removed = std::min(Removed, text_.size() - At);
    const auto lineOf = [&](std::size_t Unit) {
        return std::size_t(std::upper_bound(starts_.begin(), starts_.end(), Unit) -
                           starts_.begin()) -
               1;
    };
    // From the line before the edit (a CR there may join an LF typed after
    // it) to the line after its end: the lines split again.
    const std::size_t first = std::max<std::size_t>(lineOf(At), 1) - 1,
                      last = lineOf(At + Removed) + 1;
    text_.replace(At, Removed, Inserted);
    const std::ptrdiff_t shift = std::ptrdiff_t(Inserted.size()) - std::ptrdiff_t(Removed);
    const bool toEnd = last >= starts_.size();
    const std::size_t end =
        toEnd ? text_.size() : std::size_t(std::ptrdiff_t(starts_[last]) + shift);
    std::vector<std::size_t> split{starts_[first]};
    for (std::size_t i = starts_[first]; i < end; ++i) {
        if (text_[i] != u'\r' && text_[i] != u'\n') continue;
        if (text_[i] == u'\r' && i + 1 < text_.size() && text_[i + 1] == u'\n') ++i;
        if (i + 1 < end || toEnd) split.push_back(i + 1);
    }
    const std::size_t kept = toEnd ? starts_.size() : last;
    for (std::size_t l = kept; l < starts_.size(); ++l)
        starts_[l] = std::size_t(std::ptrdiff_t(starts_[l]) + shift);
    starts_.erase(starts_.begin() + std::ptrdiff_t(first), starts_.begin() + std::ptrdiff_t(kept));
    starts_.insert(starts_.begin() + std::ptrdiff_t(first), split.begin(), split.end());
    widths_.erase(widths_.begin() + std::ptrdiff_t(first), widths_.begin() + std::ptrdiff_t(kept));
    widths_.insert(widths_.begin() + std::ptrdiff_t(first), split.size(), 0);
    // The lines after the edit moved: the unmeasured ones are those split.
    const std::ptrdiff_t moved = std::ptrdiff_t(split.size()) - std::ptrdiff_t(kept - first);
    std::erase_if(unmeasured_, [&](std::size_t l) { return l >= first && l < kept; });
    for (std::size_t& l : unmeasured_)
        if (l >= kept) l = std::size_t(std::ptrdiff_t(l) + moved);
    for (std::size_t l = first; l < first + split.size(); ++l) unmeasured_.push_back(l);
}

std::size_t TPreviewText::LineEnd(std::size_t I) const {
    // A break always begins another line: the last ends in none.
    std::size_t end = I + 1 < starts_.size() ? starts_[I + 1] : text_.size();
    if (end > starts_[I] && text_[end - 1] == u'\n') --end;
    if (end > starts_[I] && text_[end - 1] == u'\r') --end;
    return end;
}

std::u32string TPreviewText::Line(std::size_t I) const {
    std::u32string out;
    const std::size_t end = LineEnd(I);
    for (std::size_t i = starts_[I]; i < end; ++i) {
        const char32_t u = text_[i];
        if (u >= 0xD800 && u < 0xDC00 && i + 1 < end && text_[i + 1] >= 0xDC00 &&
            text_[i + 1] < 0xE000) {
            out.push_back(0x10000 + ((u - 0xD800) << 10) + (text_[++i] - 0xDC00));
        } else {
            out.push_back(u >= 0xD800 && u < 0xE000 ? 0xFFFD : u);
        }
    }
    return out;
}

std::vector<std::u32string> TPreviewText::Lines(std::size_t First, std::size_t Count) const {
    std::vector<std::u32string> out;
    for (std::size_t l = First; l < starts_.size() && l - First < Count; ++l)
        out.push_back(Line(l));
    return out;
}

const std::vector<std::int64_t>& TPreviewText::Widths(const TTextLayout& Layout) {
    if (!measuredIn_ || !(*measuredIn_ == Layout)) {
        unmeasured_.resize(starts_.size());
        for (std::size_t l = 0; l < starts_.size(); ++l) unmeasured_[l] = l;
        measuredIn_ = Layout;
    }
    for (std::size_t l : unmeasured_) widths_[l] = Layout.Width(Line(l));
    unmeasured_.clear();
    return widths_;
}
