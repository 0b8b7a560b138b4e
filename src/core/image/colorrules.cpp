#include "image/colorrules.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <unordered_map>

#include "base/pixelrows.h"
#include "image/color.h"

namespace {

constexpr std::uint32_t kOpaque = 0xFF000000u;

std::string Place(std::int32_t x, std::int32_t y) {
    // Built piece by piece: GCC 12 warns falsely about the chain of + at -O3.
    std::string s = "(";
    s.append(std::to_string(x)).append(", ").append(std::to_string(y)).append(")");
    return s;
}

std::uint32_t Entry(const TPalette& p, std::size_t k) {
    return std::uint32_t(p[3 * k]) << 16 | std::uint32_t(p[3 * k + 1]) << 8 | p[3 * k + 2];
}

}  // namespace

EColorsNotInPalette::EColorsNotInPalette(std::uint64_t count, std::int32_t x, std::int32_t y)
    : EFontError(std::to_string(count) + " pixel" + (count == 1 ? "" : "s") +
                 " of colours the palette doesn't hold, the first at " + Place(x, y)),
      Count(count),
      X(x),
      Y(y) {}

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

void TWholePicture::Start(const TImagePixels& Form) {
    Picture.Width = Form.Width;
    Picture.Height = Form.Height;
    Picture.Indexed = Form.Indexed;
    Picture.ColorTable = Form.ColorTable;
    const std::size_t n = std::size_t(Form.Width) * std::size_t(Form.Height);
    if (Form.Indexed)
        Picture.Indices.resize(n);
    else
        Picture.Colors.resize(n);
}

void* TWholePicture::Row(std::size_t Y) {
    const std::size_t at = Y * std::size_t(Picture.Width);
    return Picture.Indexed ? static_cast<void*>(Picture.Indices.data() + at)
                           : static_cast<void*>(Picture.Colors.data() + at);
}

TStripMaker::TStripMaker(int BitsPerPixel, const TPalette* Palette, bool Nearest)
    : bits_(BitsPerPixel), palette_(Palette), nearest_(Nearest) {}

void TStripMaker::Start(const TImagePixels& Form) {
    form_.Width = Form.Width;
    form_.Height = Form.Height;
    form_.Indexed = Form.Indexed;
    form_.ColorTable = Form.ColorTable;
    // A picture of no pixels needs no row, however wide it claims to be.
    if (Form.Width <= 0 || Form.Height <= 0) return;
    const std::size_t w = std::size_t(Form.Width);
    scratch_.resize(Form.Indexed ? (w + 3) / 4 : w);
    // Colours without a palette to match them to make no strip.
    if (bits_ == 8 && !palette_ && !Form.Indexed) return;
    pixels_.resize(w * std::size_t(Form.Height) * std::size_t(bits_ / 8));
}

void TStripMaker::Convert(std::size_t Y, const void* Row) {
    if (pixels_.empty()) return;
    const std::size_t at = Y * std::size_t(form_.Width);
    const auto* indices = form_.Indexed ? static_cast<const std::uint8_t*>(Row) : nullptr;
    const auto* colors = form_.Indexed ? nullptr : static_cast<const std::uint32_t*>(Row);
    if (bits_ == 16)
        Convert16(at, indices, colors);
    else
        Convert8(at, indices, colors);
}

// Notes the row's first pixel that is not fully opaque.
void TStripMaker::NotOpaque(std::size_t at, const std::uint8_t* indices,
                            const std::uint32_t* colors) {
    std::size_t x = 0;
    while (((indices ? form_.ColorTable[indices[x]] : colors[x]) & kOpaque) == kOpaque) ++x;
    firstNotOpaque_ = std::min(firstNotOpaque_, at + x);
}

void TStripMaker::Convert16(std::size_t at, const std::uint8_t* indices,
                            const std::uint32_t* colors) {
    const std::size_t w = std::size_t(form_.Width);
    std::uint8_t* dst = pixels_.data() + 2 * at;
    std::uint32_t opaque = kOpaque;
    std::uint64_t changed = 0;
    if (colors) {
        changed = ColorsTo565(colors, w, dst, opaque);
    } else {
        for (std::size_t x = 0; x < w; ++x) {
            const std::uint32_t c = form_.ColorTable[indices[x]];
            changed += (c & kLostBits) != 0;
            opaque &= c;
            PutU16(dst + 2 * x, Nearest565(c));
        }
    }
    changed_ += changed;
    if (opaque != kOpaque) NotOpaque(at, indices, colors);
}

void TStripMaker::Convert8(std::size_t at, const std::uint8_t* indices,
                           const std::uint32_t* colors) {
    const std::size_t w = std::size_t(form_.Width);
    std::uint8_t* dst = pixels_.data() + at;
    // Indices taken as they stand need no colour, so a palette entry marked
    // transparent (as paint programs mark a background) doesn't matter.
    if (!palette_) {
        std::memcpy(dst, indices, w);
        return;
    }
    const TPalette& palette = *palette_;
    for (std::size_t x = 0; x < w; ++x) {
        const std::uint32_t full = indices ? form_.ColorTable[indices[x]] : colors[x];
        if ((full & kOpaque) != kOpaque) {
            NotOpaque(at, indices, colors);
            return;
        }
        const std::uint32_t c = full & ~kOpaque;
        if (indices && Entry(palette, indices[x]) == c) {
            dst[x] = indices[x];
            continue;
        }
        auto [found, fresh] = first_.emplace(c, -1);
        if (fresh) {
            for (std::size_t k = 0; k < 256 && found->second < 0; ++k)
                if (Entry(palette, k) == c) found->second = int(k);
            if (found->second < 0 && nearest_)
                found->second =
                    -2 - NearestPaletteEntry(palette, {std::uint8_t(c >> 16), std::uint8_t(c >> 8),
                                                       std::uint8_t(c)});
        }
        if (found->second >= 0) {
            dst[x] = std::uint8_t(found->second);
            continue;
        }
        ++changed_;
        firstMissing_ = std::min(firstMissing_, at + x);
        if (nearest_) dst[x] = std::uint8_t(-2 - found->second);
    }
}

TFontPixels TStripMaker::Finish() {
    if (bits_ == 8 && !palette_ && !form_.Indexed)
        throw EFontError("the picture has colours, not palette indices: a palette is needed");
    const auto w = std::size_t(std::max(form_.Width, 1));
    if (firstNotOpaque_ != SIZE_MAX)
        throw EFontError(
            "pixel " + Place(std::int32_t(firstNotOpaque_ % w), std::int32_t(firstNotOpaque_ / w)) +
            " is not fully opaque");
    if (changed_ != 0 && bits_ == 8 && !nearest_)
        throw EColorsNotInPalette(changed_, std::int32_t(firstMissing_ % w),
                                  std::int32_t(firstMissing_ / w));
    TFontPixels out;
    out.Pixels = std::move(pixels_);
    out.Changed = changed_;
    return out;
}

namespace {

TFontPixels MakeStrip(int bits, const TImagePixels& image, const TPalette* palette, bool nearest) {
    TStripMaker maker(bits, palette, nearest);
    maker.Start(image);
    // Rows of no pixels, however many, have nothing to convert.
    const std::size_t w = std::size_t(std::max(image.Width, 0));
    const std::size_t rows = w == 0 ? 0 : std::size_t(std::max(image.Height, 0));
    for (std::size_t y = 0; y < rows; ++y)
        maker.Convert(y, image.Indexed ? static_cast<const void*>(image.Indices.data() + y * w)
                                       : static_cast<const void*>(image.Colors.data() + y * w));
    return maker.Finish();
}

}  // namespace

TFontPixels ToFontPixels8(const TImagePixels& Image, const TPalette* Palette, bool Nearest) {
    return MakeStrip(8, Image, Palette, Nearest);
}

TFontPixels ToFontPixels16(const TImagePixels& Image) {
    return MakeStrip(16, Image, nullptr, false);
}
