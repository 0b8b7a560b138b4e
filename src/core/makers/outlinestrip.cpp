#include "makers/outlinestrip.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

#include "edit/charedit.h"
#include "edit/glyphstyle.h"
#include "font/editfont.h"
#include "image/bmplayout.h"

TEffectRoom EffectRoom(const TGlyphEffects& Effects) {
    TEffectRoom room;
    if (Effects.Outline) room = {1, 1, 1, 1};
    if (Effects.Shadow) {
        (Effects.Right < 0 ? room.Left : room.Right) += std::abs(Effects.Right);
        (Effects.Down < 0 ? room.Top : room.Bottom) += std::abs(Effects.Down);
    }
    return room;
}

TCrop CropToCell(TGlyphBitmap& Glyph, const TStripLayout& Layout) {
    TGlyphBitmap& g = Glyph;
    if (g.Width < 0 || g.Rows < 0 ||
        g.Coverage.size() != std::size_t(g.Width) * std::size_t(g.Rows))
        g.Width = g.Rows = 0, g.Coverage.clear();
    const std::int64_t cell = std::max(0, g.Advance);
    const std::int64_t c0 = std::clamp<std::int64_t>(-std::int64_t(g.Left), 0, g.Width),
                       c1 = std::clamp<std::int64_t>(cell - g.Left, c0, g.Width);
    const std::int64_t r0 = std::clamp<std::int64_t>(std::int64_t(g.Top) - Layout.Baseline, 0,
                                                     g.Rows),
                       r1 = std::clamp<std::int64_t>(std::int64_t(Layout.Height) - Layout.Room.Top -
                                                         Layout.Room.Bottom - Layout.Baseline +
                                                         g.Top,
                                                     r0, g.Rows);
    if (c0 == 0 && c1 == g.Width && r0 == 0 && r1 == g.Rows) return {};
    TCrop crop;
    std::uint64_t inked = 0, kept = 0;
    for (std::int64_t r = 0; r < g.Rows; ++r) {
        const auto row = g.Coverage.begin() + std::ptrdiff_t(r * g.Width);
        const auto n = std::count_if(row, row + g.Width, [](std::uint8_t v) { return v != 0; });
        inked += std::uint64_t(n);
        if (n && r < r0) ++crop.RowsAbove;
        if (n && r >= r1) ++crop.RowsBelow;
    }
    std::vector<std::uint8_t> out;
    out.reserve(std::size_t((c1 - c0) * (r1 - r0)));
    for (std::int64_t r = r0; r < r1; ++r)
        for (std::int64_t c = c0; c < c1; ++c) {
            const std::uint8_t v = g.Coverage[std::size_t(r * g.Width + c)];
            kept += v != 0;
            out.push_back(v);
        }
    g.Left = std::int32_t(g.Left + c0);
    g.Top = std::int32_t(g.Top - r0);
    g.Width = std::int32_t(c1 - c0);
    g.Rows = std::int32_t(r1 - r0);
    g.Coverage = std::move(out);
    crop.Pixels = inked - kept;
    return crop;
}

TCoverageStrip LayOutGlyphs(const std::vector<TPlacedGlyph>& Glyphs, const TStripLayout& Layout) {
    if (Layout.Height < 0 || Layout.Spacing < 0)
        throw EFontError("a strip " + std::to_string(Layout.Height) + " pixels high with " +
                         std::to_string(Layout.Spacing) + " columns of spacing");
    const TEffectRoom& room = Layout.Room;
    const std::int64_t around = std::int64_t(room.Left) + room.Right;
    std::int64_t width = 0;
    for (const TPlacedGlyph& g : Glyphs)
        width += std::max(0, g.Glyph.Advance) + around + Layout.Spacing;
    if (!StripFits(Layout.BitsPerPixel, width, Layout.Height))
        throw EFontError("a strip of " + std::to_string(width) + " x " +
                         std::to_string(Layout.Height) + " pixels is more than a font holds");

    TCoverageStrip out;
    out.Width = std::int32_t(width);
    out.Height = Layout.Height;
    out.Pixels.assign(std::size_t(width) * std::size_t(Layout.Height), 0);
    out.Table.reserve(Glyphs.size());
    std::int64_t x = 0;
    for (const TPlacedGlyph& placed : Glyphs) {
        const TGlyphBitmap& g = placed.Glyph;
        const std::int64_t advance = std::max(0, g.Advance), cell = advance + around;
        out.Table.push_back({placed.Code, std::int32_t(x), std::int32_t(cell)});
        const std::int64_t top = room.Top, bottom = std::int64_t(Layout.Height) - room.Bottom;
        std::uint64_t clipped = 0;
        const bool whole = g.Width >= 0 && g.Rows >= 0 &&
                           g.Coverage.size() == std::size_t(g.Width) * std::size_t(g.Rows);
        for (std::int64_t r = 0; whole && r < g.Rows; ++r) {
            const std::int64_t y = top + Layout.Baseline - g.Top + r;
            const std::uint8_t* src = g.Coverage.data() + std::size_t(r) * std::size_t(g.Width);
            // The columns within the cell go across whole, zeros too: the
            // cell is this glyph's alone. Ink outside it is clipped.
            const std::int64_t c0 = y >= top && y < bottom ? std::clamp<std::int64_t>(
                                                                 -std::int64_t(g.Left), 0, g.Width)
                                                           : g.Width,
                               c1 = std::clamp<std::int64_t>(advance - g.Left, c0, g.Width);
            const auto inked = [](std::uint8_t v) { return v != 0; };
            clipped += std::uint64_t(std::count_if(src, src + c0, inked) +
                                     std::count_if(src + c1, src + g.Width, inked));
            if (c1 > c0)
                std::copy(src + c0, src + c1,
                          out.Pixels.data() + y * width + x + room.Left + g.Left + c0);
        }
        out.ClippedPixels += clipped;
        out.ClippedGlyphs += clipped ? 1 : 0;
        x += cell + Layout.Spacing;
    }
    return out;
}

TCoverageColors CoverageColors16(TRgb Color, TRgb Background) {
    TCoverageColors out{16, {}};
    for (int a = 0; a < 256; ++a)
        out.Value[std::size_t(a)] = To565(Blend(Color, Background, std::uint8_t(a)));
    return out;
}

TCoverageColors CoverageColors8(const TPalette& Palette, std::uint8_t Color,
                                std::uint8_t Background) {
    TCoverageColors out{8, {}};
    const TRgb fg = PaletteColor(Palette, Color), bg = PaletteColor(Palette, Background);
    for (int a = 1; a < 255; ++a)
        out.Value[std::size_t(a)] = NearestPaletteEntry(Palette, Blend(fg, bg, std::uint8_t(a)));
    out.Value[0] = Background;
    out.Value[255] = Color;
    return out;
}

Bytes PaintStrip(const TCoverageStrip& Strip, const TCoverageColors& Colors) {
    return PaintStrip(Strip, std::vector<TCoverageColors>{Colors});
}

Bytes PaintStrip(const TCoverageStrip& Strip, const std::vector<TCoverageColors>& RowColors) {
    const std::size_t n = Strip.Pixels.size(), w = std::size_t(Strip.Width);
    const bool eight = RowColors.front().BitsPerPixel == 8;
    Bytes out(eight ? n : 2 * n);
    std::uint8_t* to = out.data();
    for (std::size_t y = 0; w && y < n / w; ++y) {
        const auto& value = RowColors[RowColors.size() == 1 ? 0 : y].Value;
        const std::uint8_t* from = Strip.Pixels.data() + y * w;
        if (eight) {
            for (std::size_t x = 0; x < w; ++x) *to++ = std::uint8_t(value[from[x]]);
        } else {
            for (std::size_t x = 0; x < w; ++x, to += 2)
                to[0] = std::uint8_t(value[from[x]]), to[1] = std::uint8_t(value[from[x]] >> 8);
        }
    }
    return out;
}

void ApplyGlyphEffects(TPixelGrid& Grid, const std::vector<TCharEntry>& Table,
                       const TGlyphEffects& Effects, std::uint16_t Background) {
    if (!Effects.Outline && !Effects.Shadow) return;
    // What changed is not kept: the strip is new, with no history to undo.
    TPixelDelta delta;
    for (const TCharEntry& e : Table) {
        const std::int32_t end =
            std::int32_t(std::min<std::int64_t>(std::int64_t(e.X) + e.Extra, Grid.Width));
        if (Effects.Outline) OutlinePixels(Grid, e.X, end, Background, Effects.OutlineColor, delta);
        if (Effects.Shadow)
            ShadowPixels(Grid, e.X, end, Effects.Right, Effects.Down, Background,
                         Effects.ShadowColor, delta);
        delta = {};
    }
}

namespace {
// A whole decimal number of at most Max; nothing else in Text.
bool ParseNumber(std::string_view Text, unsigned Max, unsigned& Value) {
    if (Text.empty() || Text.size() > 6) return false;
    Value = 0;
    for (char c : Text) {
        if (c < '0' || c > '9') return false;
        Value = Value * 10 + unsigned(c - '0');
    }
    return Value <= Max;
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

std::uint16_t Code(std::string_view Text, std::string_view Item) {
    unsigned v = 0;
    if (!ParseNumber(Trim(Text), 0xFFFF, v))
        throw EFontError("\"" + std::string(Item) +
                         "\" is not a code from 0 to 65535 or a range A-B");
    return std::uint16_t(v);
}
}  // namespace

std::vector<std::uint16_t> ParseCharList(std::string_view List) {
    std::vector<std::uint16_t> codes;
    if (Trim(List).empty()) throw EFontError("no codes in the list");
    for (std::size_t start = 0; start <= List.size();) {
        const std::size_t comma = std::min(List.find(',', start), List.size());
        const std::string_view item = Trim(List.substr(start, comma - start));
        if (item.empty()) throw EFontError("an empty item in \"" + std::string(List) + "\"");
        const std::size_t dash = item.find('-');
        if (dash == std::string_view::npos) {
            codes.push_back(Code(item, item));
        } else {
            const std::uint16_t first = Code(item.substr(0, dash), item),
                                last = Code(item.substr(dash + 1), item);
            if (last < first)
                throw EFontError("the range \"" + std::string(item) + "\" runs backwards");
            for (unsigned c = first; c <= last; ++c) codes.push_back(std::uint16_t(c));
        }
        start = comma + 1;
    }
    return codes;
}

std::string FormatCharList(const std::vector<std::uint16_t>& Codes) {
    std::string s;
    for (std::size_t i = 0; i < Codes.size();) {
        std::size_t j = i;
        while (j + 1 < Codes.size() && Codes[j + 1] == Codes[j] + 1) ++j;
        // Appended piece by piece: GCC 12 warns falsely about "x" + string at -O3.
        if (!s.empty()) s += ',';
        s += std::to_string(Codes[i]);
        if (j > i) s.append("-").append(std::to_string(Codes[j]));
        i = j + 1;
    }
    return s;
}

TRgb ParseRgb(std::string_view Text) {
    unsigned v[3] = {};
    std::size_t start = 0;
    for (int k = 0; k < 3; ++k) {
        const std::size_t end = k < 2 ? Text.find(',', start) : Text.size();
        if (end == std::string_view::npos ||
            !ParseNumber(Trim(Text.substr(start, end - start)), 255, v[k]))
            throw EFontError("\"" + std::string(Text) + "\" is not R,G,B with each 0 to 255");
        start = end + 1;
    }
    return {std::uint8_t(v[0]), std::uint8_t(v[1]), std::uint8_t(v[2])};
}

std::uint8_t ParsePaletteIndex(std::string_view Text) {
    unsigned v = 0;
    if (!ParseNumber(Trim(Text), 255, v))
        throw EFontError("\"" + std::string(Text) + "\" is not a palette index from 0 to 255");
    return std::uint8_t(v);
}

std::pair<int, int> ParseShadowOffset(std::string_view Text) {
    int v[2] = {};
    const std::size_t comma = Text.find(',');
    const std::string_view parts[2] = {
        Trim(Text.substr(0, comma)),
        comma == std::string_view::npos ? std::string_view() : Trim(Text.substr(comma + 1))};
    for (int k = 0; k < 2; ++k) {
        std::string_view p = parts[k];
        const bool minus = !p.empty() && p.front() == '-';
        if (minus || (!p.empty() && p.front() == '+')) p.remove_prefix(1);
        unsigned n = 0;
        if (!ParseNumber(p, kShadowReach, n))
            throw EFontError("\"" + std::string(Text) + "\" is not RIGHT,DOWN with each " +
                             std::to_string(-kShadowReach) + " to " + std::to_string(kShadowReach));
        v[k] = minus ? -int(n) : int(n);
    }
    if (std::string why = ShadowRefusal(v[0], v[1]); !why.empty()) throw EFontError(why);
    return {v[0], v[1]};
}

std::pair<int, int> ParseFitMargins(std::string_view Text) {
    const std::size_t comma = Text.find(',');
    unsigned v[2] = {};
    if (comma == std::string_view::npos ||
        !ParseNumber(Trim(Text.substr(0, comma)), kFitMost, v[0]) ||
        !ParseNumber(Trim(Text.substr(comma + 1)), kFitMost, v[1]))
        throw EFontError("\"" + std::string(Text) + "\" is not LEFT,RIGHT with each 0 to " +
                         std::to_string(kFitMost));
    return {int(v[0]), int(v[1])};
}
