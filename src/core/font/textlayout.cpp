#include "font/textlayout.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <unordered_map>

#include "base/errors.h"
#include "image/bmplayout.h"

namespace {
constexpr std::size_t kCodes = 0x10000;
}  // namespace

TTextLayout::TTextLayout(const TStripGeometry& Glyphs, const TCodePageMap& Page) {
    // The first entry of each code, as the character list shows them; the
    // tables run only as far as the font's codes, so a small font is quick
    // to lay out in.
    std::size_t codes = ' ' + 1;
    for (std::size_t i = 0; i < Glyphs.Count(); ++i)
        codes = std::max<std::size_t>(codes, Glyphs.Code(i) + 1u);
    std::vector<TGlyphExtent> byCode(codes);
    std::vector<bool> seen(codes);
    std::int64_t sum = 0, n = 0;
    for (std::size_t i = 0; i < Glyphs.Count(); ++i) {
        const TGlyphExtent e = Glyphs.Extent(i);
        if (e.End > e.Begin) sum += e.End - e.Begin, ++n;
        const std::uint16_t code = Glyphs.Code(i);
        if (!seen[code]) seen[code] = true, byCode[code] = e;
    }
    gap_ = byCode[' '].End - byCode[' '].Begin;
    if (gap_ == 0 && n > 0) gap_ = std::int32_t((sum + n / 2) / n);

    if (Page.Unicode()) {
        glyphs_ = std::move(byCode);
    } else {
        for (std::uint32_t code = 0; code < std::min<std::size_t>(codes, 256); ++code)
            if (const std::optional<char32_t> c = Page.CharOf(code); c && *c < kCodes) {
                if (*c >= glyphs_.size()) glyphs_.resize(*c + 1u);
                glyphs_[*c] = byCode[code];
            }
    }
}

std::vector<TTextPiece> TTextLayout::Pieces(std::u32string_view Line) const {
    std::vector<TTextPiece> pieces;
    pieces.reserve(Line.size());
    for (char32_t c : Line) {
        const TGlyphExtent e = GlyphOf(c);
        pieces.push_back(e.End > e.Begin ? TTextPiece{e, 0} : TTextPiece{{}, gap_});
    }
    return pieces;
}

std::int64_t TTextLayout::Width(std::u32string_view Line) const {
    std::int64_t width = 0;
    for (char32_t c : Line) width += CharWidth(c);
    return width;
}

std::vector<TTextPiece> TStripGeometry::Spell(std::span<const std::uint16_t> Codes) const {
    return TTextLayout(*this).Pieces(std::u32string(Codes.begin(), Codes.end()));
}

TLineWidths::TLineWidths(std::span<const std::u32string_view> Lines) {
    std::vector<std::uint32_t> dense(kCodes, ~0u);  // a BMP character's index; the rest below
    std::unordered_map<char32_t, std::uint32_t> far;
    std::vector<std::size_t> seenIn, at;  // per index: the line it was last counted in, where
    ends_.reserve(Lines.size());
    // At most a count per character: reserved, the counts are never moved.
    std::size_t most = 0;
    for (const std::u32string_view line : Lines) most += line.size();
    counts_.reserve(most);
    for (std::size_t l = 0; l < Lines.size(); ++l) {
        for (char32_t c : Lines[l]) {
            std::uint32_t& index = c < kCodes ? dense[c] : far.try_emplace(c, ~0u).first->second;
            if (index == ~0u) {
                index = std::uint32_t(chars_.size());
                chars_.push_back(c);
                seenIn.push_back(~std::size_t(0));
                at.push_back(0);
            }
            if (seenIn[index] != l) {
                seenIn[index] = l, at[index] = counts_.size();
                counts_.push_back({index, 0});
            }
            ++counts_[at[index]].Times;
        }
        ends_.push_back(counts_.size());
    }
}

const std::vector<std::int64_t>& TLineWidths::In(const TTextLayout& Layout) {
    std::vector<std::int64_t> width(chars_.size());
    for (std::size_t i = 0; i < chars_.size(); ++i) width[i] = Layout.CharWidth(chars_[i]);
    for (const auto& [widths, lines] : measured_)
        if (widths == width) return lines;
    std::vector<std::int64_t> out(ends_.size());
    std::size_t k = 0;
    for (std::size_t l = 0; l < ends_.size(); ++l) {
        std::int64_t sum = 0;
        for (; k < ends_[l]; ++k) sum += width[counts_[k].Char] * counts_[k].Times;
        out[l] = sum;
    }
    // A few kept: a folder's fonts come in families, one after another.
    constexpr std::size_t kKept = 8;
    if (measured_.size() == kKept) measured_.erase(measured_.begin());
    measured_.emplace_back(std::move(width), std::move(out));
    return measured_.back().second;
}

TPixelStrip<Bytes> TextPicture(const TSftFont& Font, const TTextLayout& Layout,
                               std::span<const std::u32string> Lines, std::int64_t Left,
                               std::int64_t Columns) {
    std::int64_t whole = 0;
    for (const std::u32string& line : Lines) whole = std::max(whole, Layout.Width(line));
    const std::int64_t left = std::clamp<std::int64_t>(Left, 0, whole),
                       wide = std::clamp<std::int64_t>(Columns, 0, whole - left);
    const std::int64_t high = std::int64_t(Font.Height) * std::int64_t(Lines.size());
    const int bits = Font.BitsPerPixel();
    if (wide > std::numeric_limits<std::int32_t>::max() ||
        high > std::numeric_limits<std::int32_t>::max() ||
        !ImageSizeFits(bits, std::int32_t(wide), std::int32_t(high)))
        throw EFontError("a picture of " + std::to_string(wide) + " x " + std::to_string(high) +
                         " pixels is more than a BMP file holds");
    const std::size_t b = std::size_t(bits / 8), row = std::size_t(wide) * b,
                      fontRow = std::size_t(Font.Width) * b, h = std::size_t(Font.Height);
    TPixelStrip<Bytes> out{std::int32_t(wide), std::int32_t(high),
                           Bytes(row * std::size_t(high), 0)};
    for (std::size_t l = 0; l < Lines.size(); ++l) {
        std::int64_t x = 0;  // in the text's columns
        for (const TTextPiece& p : Layout.Pieces(Lines[l])) {
            const std::int64_t w = p.Glyph.End - p.Glyph.Begin, a = std::max(x, left),
                               e = std::min(x + w, left + wide);
            const std::size_t n = e > a ? std::size_t(e - a) * b : 0;
            const std::size_t from = std::size_t(p.Glyph.Begin + (a - x)) * b,
                              to = std::size_t(a - left) * b;
            for (std::size_t y = 0; y < h && n > 0; ++y)
                std::memcpy(out.Pixels.data() + (l * h + y) * row + to,
                            Font.Pixels.data() + y * fontRow + from, n);
            x += w + p.GapWidth;
            if (x >= left + wide) break;
        }
    }
    return out;
}

std::vector<std::u32string> SplitLines(std::u32string_view Text) {
    std::vector<std::u32string> lines(1);
    for (std::size_t i = 0; i < Text.size(); ++i) {
        if (Text[i] == '\r' || Text[i] == '\n') {
            if (Text[i] == '\r' && i + 1 < Text.size() && Text[i + 1] == '\n') ++i;
            lines.emplace_back();
        } else {
            lines.back() += Text[i];
        }
    }
    return lines;
}
