// The core's BMP reader on any bytes: a clean refusal, or a picture that the
// file backs, whose every pixel can be read; an indexed one comes back the
// same through the 8-bit builder.
#include <cstdlib>

#include "image/bmplayout.h"
#include "image/bmpread.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TImagePixels image;
    try {
        image = ReadBmp(ByteSpan(data, size));
    } catch (const EFontError&) {
        return 0;
    }
    const std::size_t pixels = std::size_t(image.Width) * std::size_t(image.Height);
    if (image.Width < 0 || image.Height < 0 || !BmpFormIsRead(ByteSpan(data, size))) std::abort();
    if (pixels > size * (std::size_t(1) << 14)) std::abort();
    if ((image.Indexed ? image.Indices.size() : image.Colors.size()) != pixels) std::abort();
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i < pixels; ++i)
        sum += image.Indexed ? image.ColorTable[image.Indices[i]] : image.Colors[i];
    (void)sum;
    if (!image.Indexed || pixels > (1u << 20)) return 0;
    TPalette palette{};
    for (std::size_t k = 0; k < 256; ++k)
        for (std::size_t c = 0; c < 3; ++c)
            palette[3 * k + c] = std::uint8_t(image.ColorTable[k] >> (16 - 8 * c));
    Bytes again;
    try {
        again = Build8BitImage(TStrip{image.Width, image.Height, ByteSpan(image.Indices)}, palette);
    } catch (const EToolkitError&) {
        return 0;  // a size that the builder's format can't hold
    }
    const TImagePixels back = ReadBmp(again);
    if (back.Indices != image.Indices || back.ColorTable != image.ColorTable) std::abort();
    return 0;
}
