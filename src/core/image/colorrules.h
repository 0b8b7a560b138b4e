// How the pixels of a picture become the pixels of a font's strip: palette
// indices for an 8-bit font, 5-6-5 values for a 16-bit one.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/bytes.h"
#include "base/errors.h"
#include "image/palette.h"

// A decoded picture as the image-file module hands it in, top row first:
// palette indices with their colour table, or colours. Colours are
// 0xAARRGGBB.
struct TImagePixels {
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    bool Indexed = false;
    std::vector<std::uint8_t> Indices;            // Width * Height, when Indexed
    std::array<std::uint32_t, 256> ColorTable{};  // when Indexed
    // Width * Height, otherwise; not zeroed first, as a decoder fills it.
    std::vector<std::uint32_t, DefaultInitAllocator<std::uint32_t>> Colors;
};

// Where a decoder puts a picture's rows, in the order its file holds them,
// so that a large picture need never be held whole.
class TRowSink {
public:
    virtual ~TRowSink() = default;
    // The picture's size and kind (and colour table, when indexed) before any
    // row; Form's pixels are left empty.
    virtual void Start(const TImagePixels& Form) = 0;
    // Where row Y (0 at the top) is decoded: Width indices, or Width colours.
    virtual void* Row(std::size_t Y) = 0;
    // Row Y holds its pixels.
    virtual void Put(std::size_t Y) = 0;
};

// Rows decoded into a whole picture.
class TWholePicture final : public TRowSink {
public:
    void Start(const TImagePixels& Form) override;
    void* Row(std::size_t Y) override;
    void Put(std::size_t) override {}
    TImagePixels Picture;
};

// Pixels whose colours the palette doesn't hold.
class EColorsNotInPalette : public EFontError {
public:
    EColorsNotInPalette(std::uint64_t Count, std::int32_t X, std::int32_t Y);
    std::uint64_t Count;
    std::int32_t X, Y;  // the first of them, in reading order
};

// The question before those pixels move to the nearest colours of the palette.
std::string NearestQuestionText(const EColorsNotInPalette& Missing);

struct TFontPixels {
    Bytes Pixels;
    // 8-bit: pixels moved to the nearest colour; 16-bit: pixels that lost bits.
    std::uint64_t Changed = 0;
};

// An 8-bit strip. Without a palette an indexed picture's indices are kept as
// they stand. With one, each pixel is matched by colour: an index whose
// colour in the palette is the pixel's is kept, else the first entry of that
// colour is taken; a colour the palette lacks throws EColorsNotInPalette,
// or with Nearest takes the nearest entry (squared RGB distance, the first of
// equals). Throws EFontError for a pixel matched by colour that is not fully
// opaque, and for colours without a palette to match them to.
TFontPixels ToFontPixels8(const TImagePixels& Image, const TPalette* Palette, bool Nearest);
// A 16-bit strip: each pixel the nearest 5-6-5 value, as a picture of the
// font shows it. Throws EFontError for a pixel that is not fully opaque.
TFontPixels ToFontPixels16(const TImagePixels& Image);

// A font's strip made from rows as they are decoded, by the rules of
// ToFontPixels8 (Palette may be null) or ToFontPixels16; rows that come in any
// order give the same strip and the same refusal as the whole picture.
class TStripMaker final : public TRowSink {
public:
    TStripMaker(int BitsPerPixel, const TPalette* Palette, bool Nearest);
    void Start(const TImagePixels& Form) override;
    void* Row(std::size_t) override { return scratch_.data(); }
    void Put(std::size_t Y) override { Convert(Y, scratch_.data()); }
    // Row Y's pixels, as the form holds them.
    void Convert(std::size_t Y, const void* Row);
    const TImagePixels& Form() const { return form_; }
    // The strip, once every row is in; throws as ToFontPixels8 and
    // ToFontPixels16 do.
    TFontPixels Finish();

private:
    void Convert8(std::size_t at, const std::uint8_t* indices, const std::uint32_t* colors);
    void Convert16(std::size_t at, const std::uint8_t* indices, const std::uint32_t* colors);
    void NotOpaque(std::size_t at, const std::uint8_t* indices, const std::uint32_t* colors);

    int bits_;
    const TPalette* palette_;
    bool nearest_;
    TImagePixels form_;
    std::vector<std::uint32_t, DefaultInitAllocator<std::uint32_t>> scratch_;
    Bytes pixels_;
    std::uint64_t changed_ = 0;  // 8-bit: colours missing or moved
    // The first pixel, in reading order, that is not fully opaque, and the
    // first whose colour is missing: rows may come bottom first.
    std::size_t firstNotOpaque_ = SIZE_MAX, firstMissing_ = SIZE_MAX;
    // Colour -> its first entry, or -1 for none; with Nearest, -2 - the nearest.
    std::unordered_map<std::uint32_t, int> first_;
};

// A strip for a font of BitsPerPixel under Import Picture's rules: an indexed
// picture of an 8-bit font keeps its indices, colours are matched through
// Palette, a 16-bit font takes the nearest 5-6-5 values. Throws as
// ToFontPixels8 and ToFontPixels16 do.
TFontPixels ToFontPixels(int BitsPerPixel, const TImagePixels& Image, const TPalette& Palette,
                         bool Nearest);
