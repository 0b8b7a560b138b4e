// A picture file decoded and made into the strip of both kinds of font: any
// input ends in a strip of the picture's size or a clean refusal.
#include <cstdlib>

#include "font/editfont.h"
#include "image/colorrules.h"
#include "imagefile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TImagePixels image;
    try {
        image = DecodeImagePixels(ByteSpan(data, size));
    } catch (const EFontError&) {
        return 0;
    }
    TPalette palette{};
    for (std::size_t i = 0; i < palette.size(); ++i) palette[i] = std::uint8_t(i * 5 + 3);
    for (int bpp : {8, 16}) {
        TEditedFont font = TEditedFont::FromHeaders(bpp, {'S', 'F', 'N', 'T'}, {});
        try {
            TFontPixels pixels =
                bpp == 16 ? ToFontPixels16(image)
                          : ToFontPixels8(image, image.Indexed ? nullptr : &palette, size % 2 == 0);
            font.ReplaceStrip(image.Width, image.Height, std::move(pixels.Pixels));
        } catch (const EFontError&) {
            continue;
        }
        if (font.Font().Width != image.Width || font.Font().Height != image.Height) std::abort();
    }
    return 0;
}
