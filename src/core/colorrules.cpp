#include "colorrules.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <unordered_map>

namespace {

constexpr std::uint32_t kOpaque = 0xFF000000u;

std::string Place(std::int32_t x, std::int32_t y) {
    // Built piece by piece: GCC 12 warns falsely about the chain of + at -O3.
    std::string s = "(";
    s.append(std::to_string(x)).append(", ").append(std::to_string(y)).append(")");
    return s;
}

std::uint32_t ColorAt(const TImagePixels& image, std::size_t i) {
    return image.Indexed ? image.ColorTable[image.Indices[i]] : image.Colors[i];
}

// Refuses the first pixel, in reading order, that is not fully opaque. The
// whole picture is tested in one pass first, which the compiler vectorises.
void CheckOpaque(const TImagePixels& image) {
    const std::size_t n = std::size_t(image.Width) * std::size_t(image.Height);
    std::uint32_t all = kOpaque;
    if (image.Indexed) {
        for (std::size_t i = 0; i < n; ++i) all &= image.ColorTable[image.Indices[i]];
    } else {
        for (std::size_t i = 0; i < n; ++i) all &= image.Colors[i];
    }
    if (all == kOpaque) return;
    std::size_t i = 0;
    while ((ColorAt(image, i) & kOpaque) == kOpaque) ++i;
    const auto w = std::size_t(image.Width);
    throw EFontError("pixel " + Place(std::int32_t(i % w), std::int32_t(i / w)) +
                     " is not fully opaque");
}

// The 5-6-5 value whose picture is nearest to an RGB colour: a font's picture
// shows a value's components shifted up, unfilled, so each component is
// rounded and kept within its bits.
std::uint16_t Nearest565(std::uint32_t c) {
    const std::uint32_t r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
    const std::uint32_t r5 = std::min(31u, (r + 4) >> 3), g6 = std::min(63u, (g + 2) >> 2),
                        b5 = std::min(31u, (b + 4) >> 3);
    return std::uint16_t(r5 << 11 | g6 << 5 | b5);
}
// Colours that a 5-6-5 value shows exactly have these bits clear.
constexpr std::uint32_t kLostBits = 0x070307;

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
    // Indices taken as they stand need no colour, so a palette entry marked
    // transparent (as paint programs mark a background) doesn't matter.
    if (!Palette) {
        std::copy(Image.Indices.begin(), Image.Indices.end(), out.Pixels.begin());
        return out;
    }
    CheckOpaque(Image);
    for (std::size_t i = 0; i < out.Pixels.size(); ++i) {
        const std::uint32_t c = ColorAt(Image, i) & ~kOpaque;
        if (Image.Indexed && Entry(*Palette, Image.Indices[i]) == c) {
            out.Pixels[i] = Image.Indices[i];
            continue;
        }
        auto [at, fresh] = first.emplace(c, -1);
        if (fresh) {
            for (std::size_t k = 0; k < 256 && at->second < 0; ++k)
                if (Entry(*Palette, k) == c) at->second = int(k);
            if (at->second < 0 && Nearest) at->second = -2 - NearestEntry(*Palette, c);
        }
        if (at->second >= 0) {
            out.Pixels[i] = std::uint8_t(at->second);
            continue;
        }
        if (missing++ == 0) firstMissing = i;
        if (Nearest) out.Pixels[i] = std::uint8_t(-2 - at->second);
    }
    if (missing != 0 && !Nearest)
        throw EColorsNotInPalette(missing, std::int32_t(firstMissing % std::size_t(Image.Width)),
                                  std::int32_t(firstMissing / std::size_t(Image.Width)));
    out.Changed = missing;
    return out;
}

TFontPixels ToFontPixels(int BitsPerPixel, const TImagePixels& Image, const TPalette& Palette,
                         bool Nearest) {
    if (BitsPerPixel == 16) return ToFontPixels16(Image);
    return ToFontPixels8(Image, Image.Indexed ? nullptr : &Palette, Nearest);
}

std::string NearestQuestionText(const EColorsNotInPalette& Missing) {
    const std::string pixels =
        Missing.Count == 1 ? "1 pixel of the picture has a colour"
                           : std::to_string(Missing.Count) + " pixels of the picture have colours";
    return pixels + " that the palette in use lacks, the first at x " + std::to_string(Missing.X) +
           ", y " + std::to_string(Missing.Y) +
           ".\n\nMove them to the nearest colours of the palette?";
}

TFontPixels ToFontPixels16(const TImagePixels& Image) {
    if (Image.Indexed) CheckOpaque(Image);
    TFontPixels out;
    const std::size_t n = std::size_t(Image.Width) * std::size_t(Image.Height);
    out.Pixels.resize(2 * n);
    std::uint8_t* dst = out.Pixels.data();
    // One loop a kind, so that the loop over colours is vectorised.
    if (Image.Indexed) {
        for (std::size_t i = 0; i < n; ++i) {
            const std::uint32_t c = Image.ColorTable[Image.Indices[i]];
            out.Changed += (c & kLostBits) != 0;
            PutU16(dst + 2 * i, Nearest565(c));
        }
        return out;
    }
    // Colours: converted, counted and tested for opacity in one pass, in
    // 16-bit lanes where the values are stored as the machine holds them.
    const std::uint32_t* src = Image.Colors.data();
    std::uint32_t changed = 0, opaque = kOpaque;
    for (std::size_t i = 0; i < n; ++i) {
        changed += (src[i] & kLostBits) != 0;
        opaque &= src[i];
        const std::uint16_t v = Nearest565(src[i]);
        if constexpr (std::endian::native == std::endian::little)
            std::memcpy(dst + 2 * i, &v, 2);
        else
            PutU16(dst + 2 * i, v);
    }
    if (opaque != kOpaque) CheckOpaque(Image);
    out.Changed = changed;
    return out;
}
