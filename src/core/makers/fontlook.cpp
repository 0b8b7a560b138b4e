#include "makers/fontlook.h"

#include <algorithm>
#include <cstdlib>

#include "image/bmplayout.h"

namespace {
// The most common of the values counted, the lowest of equals; Skip never.
std::uint16_t MostCommon(const std::vector<std::uint32_t>& Counts, int Skip = -1) {
    std::size_t best = Skip == 0 ? 1 : 0;
    for (std::size_t v = 0; v < Counts.size(); ++v)
        if (int(v) != Skip && Counts[v] > Counts[best]) best = v;
    return std::uint16_t(best);
}
}  // namespace

std::uint16_t StripBackground(const TPixelGrid& Grid) {
    std::vector<std::uint32_t> counts(Grid.BytesPerPixel == 2 ? 65536 : 256);
    for (std::int32_t y = 0; y < Grid.Height; ++y)
        for (std::int32_t x = 0; x < Grid.Width; ++x) ++counts[Grid.Get(x, y)];
    return MostCommon(counts);
}

int InkedRows(const TPixelGrid& Grid, TGlyphExtent Glyph, std::uint16_t Background) {
    int rows = 0;
    for (std::int32_t y = 0; y < Grid.Height; ++y) {
        bool ink = false;
        for (std::int32_t x = std::max(Glyph.Begin, 0); x < std::min(Glyph.End, Grid.Width) && !ink;
             ++x)
            ink = Grid.Get(x, y) != Background;
        rows += ink ? 1 : 0;
    }
    return rows;
}

std::vector<std::uint16_t> RowInks(const TPixelGrid& Grid, std::uint16_t Background) {
    std::vector<std::uint32_t> counts(Grid.BytesPerPixel == 2 ? 65536 : 256);
    std::vector<int> inked;  // rows with ink
    std::vector<std::uint16_t> inks(std::size_t(Grid.Height));
    for (std::int32_t y = 0; y < Grid.Height; ++y) {
        std::fill(counts.begin(), counts.end(), 0u);
        bool ink = false;
        for (std::int32_t x = 0; x < Grid.Width; ++x) {
            const std::uint16_t v = Grid.Get(x, y);
            ++counts[v];
            ink = ink || v != Background;
        }
        if (!ink) continue;
        inks[std::size_t(y)] = MostCommon(counts, Background);
        inked.push_back(y);
    }
    if (inked.empty()) return {};
    for (std::int32_t y = 0; y < Grid.Height; ++y) {
        // The first inked row at or below y, and the one above it.
        const auto below = std::lower_bound(inked.begin(), inked.end(), y);
        if (below != inked.end() && *below == y) continue;
        const auto above = below == inked.begin() ? inked.end() : below - 1;
        const bool up = below == inked.end() || (above != inked.end() && y - *above <= *below - y);
        inks[std::size_t(y)] = inks[std::size_t(up ? *above : *below)];
    }
    return inks;
}

int NearestSize(const std::vector<std::pair<int, int>>& SizeRows, int Target) {
    int best = 0, bestOff = 0;
    for (const auto& [size, rows] : SizeRows) {
        const int off = std::abs(rows - Target);
        if (best == 0 || off < bestOff || (off == bestOff && size > best))
            best = size, bestOff = off;
    }
    return best;
}

std::vector<TCoverageColors> MatchedColors(int BitsPerPixel, const TPalette& Palette,
                                           const std::vector<std::uint16_t>& Inks,
                                           std::uint16_t Background) {
    const auto rgb = [](std::uint16_t v) {
        TRgb c;
        Color16ToRGB(std::uint8_t(v), std::uint8_t(v >> 8), c.R, c.G, c.B);
        return c;
    };
    std::vector<TCoverageColors> rows;
    for (std::size_t y = 0; y < Inks.size(); ++y) {
        // Rows of one ink share their colours: 8-bit ones take a while to find.
        if (y > 0 && Inks[y] == Inks[y - 1]) {
            rows.push_back(rows.back());
            continue;
        }
        rows.push_back(BitsPerPixel == 16 ? CoverageColors16(rgb(Inks[y]), rgb(Background))
                                          : CoverageColors8(Palette, std::uint8_t(Inks[y]),
                                                            std::uint8_t(Background)));
    }
    return rows;
}
