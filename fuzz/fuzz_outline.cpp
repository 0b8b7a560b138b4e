// Mutated outline fonts through the rasteriser and the layout: a font is
// made or refused with EFontError, never anything else, and what is made
// holds together.
#include <cstdlib>

#include "outline.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TOutlineRequest request;
    for (std::uint16_t c = 28; c < 76; ++c) request.Codes.push_back(c);
    request.Characters = U"\u00E9\u0416\u2603";
    // The input's length picks the settings, so every one is reached.
    request.Mode.Mono = size & 1;
    request.Mode.Hinting = THinting(size / 2 % 3);
    request.KeepMissing = size & 8;
    request.Spacing = int(size / 16 % 3);
    request.Height = 12 + int(size / 48 % 3) * 8;
    request.Size = size & 64 ? 0 : 6 + int(size % 11);
    if (size & 128) request.Effects = {true, 1, true, 2, int(size / 256 % 7) - 3, 1};
    const TCoverageColors colors =
        size & 32 ? CoverageColors16({255, 200, 0}, {0, 0, 40}) : CoverageColors8({}, 255, 0);
    try {
        TOutlineFace face(ByteSpan(data, size), 0);
        const TOutlineStrip s = MakeOutlineStrip(face, request, colors);
        std::int64_t x = 0;
        for (std::size_t i = 0; i < s.Table.size(); ++i) {
            if (s.Table[i].X != x || (i && s.Table[i].Code <= s.Table[i - 1].Code)) std::abort();
            x += s.Table[i].Extra + request.Spacing;
        }
        if (x != s.Width || s.Height != request.Height || (!request.Size && s.Size <= 0) ||
            s.Pixels.size() !=
                std::size_t(s.Width) * std::size_t(s.Height) * std::size_t(colors.BitsPerPixel / 8))
            std::abort();
        if (s.Table.size() + (request.KeepMissing ? 0 : s.Missing.size() + s.Undefined.size()) !=
            51)
            std::abort();
    } catch (const EFontError&) {
    }
    return 0;
}
