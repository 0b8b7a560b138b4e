#include "colorrules.h"

#include <algorithm>
#include <unordered_map>

namespace {

constexpr std::uint32_t kOpaque = 0xFF000000u;

std::string Place(std::int32_t x, std::int32_t y) {
    return "(" + std::to_string(x) + ", " + std::to_string(y) + ")";
}

// Calls Each(i, colour) for every pixel, after checking it is fully opaque.
template <class F>
void ForEachColor(const TImagePixels& image, F&& Each) {
    const std::size_t n = std::size_t(image.Width) * std::size_t(image.Height);
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint32_t c =
            image.Indexed ? image.ColorTable[image.Indices[i]] : image.Colors[i];
        if ((c & kOpaque) != kOpaque)
            throw EFontError("pixel " +
                             Place(std::int32_t(i % std::size_t(image.Width)),
                                   std::int32_t(i / std::size_t(image.Width))) +
                             " is not fully opaque");
        Each(i, c & ~kOpaque);
    }
}

std::uint32_t Entry(const TPalette& p, std::size_t k) {
    return std::uint32_t(p[3 * k]) << 16 | std::uint32_t(p[3 * k + 1]) << 8 | p[3 * k + 2];
}

int Component(std::uint32_t c, int shift) { return int((c >> shift) & 0xFF); }

std::uint8_t NearestEntry(const TPalette& p, std::uint32_t c) {
    std::size_t best = 0;
    int bestDistance = 1 << 30;
    for (std::size_t k = 0; k < 256; ++k) {
        int d = 0;
        for (int shift : {16, 8, 0}) {
            const int delta = Component(c, shift) - Component(Entry(p, k), shift);
            d += delta * delta;
        }
        if (d < bestDistance) {
            bestDistance = d;
            best = k;
        }
    }
    return std::uint8_t(best);
}

}  // namespace

EColorsNotInPalette::EColorsNotInPalette(std::uint64_t count, std::int32_t x, std::int32_t y)
    : EFontError(std::to_string(count) + " pixel" + (count == 1 ? "" : "s") +
                 " of colours the palette doesn't hold, the first at " + Place(x, y)),
      Count(count),
      X(x),
      Y(y) {}

TFontPixels ToFontPixels8(const TImagePixels& Image, const TPalette* Palette, bool Nearest) {
    if (!Palette && !Image.Indexed)
        throw EFontError("the picture has colours, not palette indices: a palette is needed");
    TFontPixels out;
    out.Pixels.resize(std::size_t(Image.Width) * std::size_t(Image.Height));
    // Colour -> its first entry, or -1 for none; with Nearest, -2 - the nearest.
    std::unordered_map<std::uint32_t, int> first;
    std::uint64_t missing = 0;
    std::size_t firstMissing = 0;
    ForEachColor(Image, [&](std::size_t i, std::uint32_t c) {
        if (!Palette) {
            out.Pixels[i] = Image.Indices[i];
            return;
        }
        if (Image.Indexed && Entry(*Palette, Image.Indices[i]) == c) {
            out.Pixels[i] = Image.Indices[i];
            return;
        }
        auto [at, fresh] = first.emplace(c, -1);
        if (fresh) {
            for (std::size_t k = 0; k < 256 && at->second < 0; ++k)
                if (Entry(*Palette, k) == c) at->second = int(k);
            if (at->second < 0 && Nearest) at->second = -2 - NearestEntry(*Palette, c);
        }
        if (at->second >= 0) {
            out.Pixels[i] = std::uint8_t(at->second);
            return;
        }
        if (missing++ == 0) firstMissing = i;
        if (Nearest) out.Pixels[i] = std::uint8_t(-2 - at->second);
    });
    if (missing != 0 && !Nearest)
        throw EColorsNotInPalette(missing, std::int32_t(firstMissing % std::size_t(Image.Width)),
                                  std::int32_t(firstMissing / std::size_t(Image.Width)));
    out.Changed = missing;
    return out;
}

TFontPixels ToFontPixels16(const TImagePixels& Image) {
    TFontPixels out;
    out.Pixels.resize(2 * std::size_t(Image.Width) * std::size_t(Image.Height));
    ForEachColor(Image, [&](std::size_t i, std::uint32_t c) {
        // A font's picture shows a value's components shifted up, unfilled:
        // the nearest value is the component rounded, kept within its bits.
        const int r = Component(c, 16), g = Component(c, 8), b = Component(c, 0);
        const int r5 = std::min(31, (r + 4) >> 3), g6 = std::min(63, (g + 2) >> 2),
                  b5 = std::min(31, (b + 4) >> 3);
        if (r5 << 3 != r || g6 << 2 != g || b5 << 3 != b) ++out.Changed;
        const auto v = std::uint16_t(r5 << 11 | g6 << 5 | b5);
        PutU16(out.Pixels.data() + 2 * i, v);
    });
    return out;
}
