#include "makers/guides.h"

#include <algorithm>
#include <charconv>
#include <map>

#include "base/errors.h"
#include "image/color.h"
#include "text/charcode.h"

namespace {

// A strip's pixels, only read.
struct TReader : TPixelGrid {
    explicit TReader(const TSftFont& Font) : TPixelGrid(ReadOnlyGrid(Font)) {}
    bool Ink(std::int32_t Y, std::int32_t Begin, std::int32_t End, std::uint16_t Background) const {
        for (std::int32_t x = Begin; x < End; ++x)
            if (Get(x, Y) != Background) return true;
        return false;
    }
};

// The glyph's columns within the strip.
TGlyphExtent Within(const TSftFont& Font, TGlyphExtent Glyph) {
    const std::int32_t begin = std::max(Glyph.Begin, 0), end = std::min(Glyph.End, Font.Width);
    return {begin, std::max(begin, end)};
}

// The top and bottom ink rows, each found from its own edge; none without ink.
std::optional<std::pair<std::int32_t, std::int32_t>> InkRows(const TSftFont& Font,
                                                             TGlyphExtent Glyph,
                                                             std::uint16_t Background) {
    const TGlyphExtent g = Within(Font, Glyph);
    if (g.End <= g.Begin || !Font.Pixels.data()) return std::nullopt;
    const TReader pixels(Font);
    std::int32_t top = 0;
    while (top < pixels.Height && !pixels.Ink(top, g.Begin, g.End, Background)) ++top;
    if (top == pixels.Height) return std::nullopt;
    std::int32_t bottom = pixels.Height - 1;
    while (!pixels.Ink(bottom, g.Begin, g.End, Background)) --bottom;
    return std::pair{top, bottom};
}

std::uint32_t CodeOf(char Letter) { return std::uint8_t(Letter); }

std::string FieldName(int Field) {
    std::string label = kGuideLabels[std::size_t(Field)];
    label.pop_back();  // the colon
    return label;
}

}  // namespace

std::optional<TPixelRect> InkBox(const TSftFont& Font, TGlyphExtent Glyph,
                                 std::uint16_t Background) {
    const auto rows = InkRows(Font, Glyph, Background);
    if (!rows) return std::nullopt;
    const TGlyphExtent g = Within(Font, Glyph);
    const TReader pixels(Font);
    std::int32_t left = g.End, right = g.Begin;
    for (std::int32_t y = rows->first; y <= rows->second; ++y)
        for (std::int32_t x = g.Begin; x < g.End; ++x)
            if (pixels.Get(x, y) != Background)
                left = std::min(left, x), right = std::max(right, x);
    return TPixelRect{left, rows->first, right + 1, rows->second + 1};
}

TGuideRows FindGuides(const TEditedFont& Font, const TStripGeometry& Glyphs,
                      std::uint16_t Background) {
    const std::vector<TCharEntry>& table = Font.Table();
    // A letter's top and bottom ink rows, when it counts.
    const auto rows = [&](char Letter) -> std::optional<std::pair<std::int32_t, std::int32_t>> {
        for (std::size_t r = 0; r < table.size(); ++r)
            if (table[r].Code == CodeOf(Letter))
                return InkRows(Font.Font(), Glyphs.Extent(r), Background);
        return std::nullopt;
    };
    TGuideRows found;
    if (const auto h = rows('H')) {
        found.Cap = h->first;
        found.Base = h->second + 1;
    } else {
        std::map<std::int32_t, int> bottoms;
        for (char c = 'A'; c <= 'Z'; ++c)
            if (const auto r = rows(c)) {
                found.Cap = std::min(found.Cap.value_or(r->first), r->first);
                ++bottoms[r->second];
            }
        int most = 0;
        for (const auto& [bottom, count] : bottoms)  // ascending: the highest of equals
            if (count > most) most = count, found.Base = bottom + 1;
    }
    for (const char c : std::string_view("xacemnorsuvwz"))
        if (const auto r = rows(c)) {
            found.X = r->first;
            break;
        }
    return found;
}

std::optional<std::int32_t> GuideRowOf(int Field, std::string_view Text, std::int32_t Height) {
    const auto space = [](char c) { return c == ' ' || c == '\t'; };
    while (!Text.empty() && space(Text.front())) Text.remove_prefix(1);
    while (!Text.empty() && space(Text.back())) Text.remove_suffix(1);
    if (Text.empty()) return std::nullopt;
    std::int32_t row = -1;
    const auto [end, error] = std::from_chars(Text.data(), Text.data() + Text.size(), row);
    if (error != std::errc() || end != Text.data() + Text.size() || row < 0 || row > Height)
        throw EFontError(FieldName(Field) + " must be a row from 0 to " + std::to_string(Height) +
                         ", or empty for none");
    return row;
}

std::string GuideRowsText(const TGuideRows& Rows) {
    std::string text;
    for (const auto* row : {&Rows.Cap, &Rows.X, &Rows.Base}) {
        if (row != &Rows.Cap) text += ',';
        if (*row) text += std::to_string(**row);
    }
    return text;
}

std::optional<TGuideRows> GuideRowsOf(std::string_view Text, std::int32_t Height) {
    TGuideRows rows;
    int field = 0;
    for (auto* row : {&rows.Cap, &rows.X, &rows.Base}) {
        const std::size_t comma = field < 2 ? Text.find(',') : Text.size();
        if (comma == std::string_view::npos) return std::nullopt;
        try {
            *row = GuideRowOf(field++, Text.substr(0, comma), Height);
        } catch (const EFontError&) {
            return std::nullopt;
        }
        Text.remove_prefix(std::min(comma + 1, Text.size()));
    }
    return rows;
}

TReferenceGlyph::TReferenceGlyph(const TEditedFont& Font, std::uint32_t Code,
                                 const std::string& Name)
    : bits_(Font.BitsPerPixel()) {
    const std::vector<TCharEntry>& table = Font.Table();
    const auto row = std::find_if(table.begin(), table.end(),
                                  [Code](const TCharEntry& e) { return e.Code == Code; });
    if (row == table.end())
        throw EFontError(Name.empty() ? NoCharacterText(Code)
                                      : Name + " has no character " + std::to_string(Code));
    const TSftFont& font = Font.Font();
    const TGlyphExtent g =
        Within(font, TStripGeometry(table, font.Width).Extent(std::size_t(row - table.begin())));
    if (!font.Pixels.data()) return;
    width_ = g.End - g.Begin;
    height_ = font.Height;
    values_.reserve(std::size_t(width_) * std::size_t(height_));
    const TReader pixels(font);
    for (std::int32_t y = 0; y < height_; ++y)
        for (std::int32_t x = g.Begin; x < g.End; ++x) values_.push_back(pixels.Get(x, y));
}

void TReferenceGlyph::DrawUnder(const TEditedFont& Strip, const TPalette& Palette,
                                std::uint16_t Background, TGlyphExtent Glyph, std::int32_t X,
                                std::int32_t Y, std::int32_t W, std::int32_t H,
                                std::uint8_t* Rgba) const {
    const TSftFont& font = Strip.Font();
    const TGlyphExtent g = Within(font, Glyph);
    if (!font.Pixels.data()) return;
    const std::int64_t x0 = std::max<std::int64_t>(X, g.Begin);
    const std::int64_t x1 =
        std::min<std::int64_t>({std::int64_t(X) + W, g.End, std::int64_t(g.Begin) + width_});
    const std::int64_t y0 = std::max<std::int32_t>(Y, 0);
    const std::int64_t y1 = std::min<std::int64_t>({std::int64_t(Y) + H, height_, font.Height});
    if (x0 >= x1 || y0 >= y1) return;
    const TRgb paper = ValueColor(Strip.BitsPerPixel(), Palette, Background);
    const TReader pixels(font);
    for (std::int64_t y = y0; y < y1; ++y)
        for (std::int64_t x = x0; x < x1; ++x) {
            if (pixels.Get(std::int32_t(x), std::int32_t(y)) != Background) continue;
            const std::uint16_t value =
                values_[std::size_t(y) * std::size_t(width_) + std::size_t(x - g.Begin)];
            const TRgb ink = ValueColor(bits_, Palette, value);
            if (ink == paper) continue;
            std::uint8_t* out =
                Rgba + 4 * (std::size_t(y - Y) * std::size_t(W) + std::size_t(x - X));
            const TRgb mixed = Blend(ink, {out[0], out[1], out[2]}, 128);
            out[0] = mixed.R, out[1] = mixed.G, out[2] = mixed.B;
        }
}

std::string NotAFontText(const std::string& Name) {
    return Name + " is not an SFT font that can be read";
}
