// Font reader, then the picture of the depth it read, then its export.
#include <unistd.h>
#include <cstdlib>
#include <string>

#include "font/font.h"
#include "picture/picture.h"
#include "scratch.h"

namespace {
struct NullList : IInfoList {
    void Clear() override {}
    void Append(const std::string&) override {}
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TSftFont font;
    TCharTable table{};
    SpanSource src(ByteSpan(data, size));
    if (!ReadSFT(src, font, table, 255)) return 0;
    if (font.CharCount < 0 || font.CharCount > 256) std::abort();
    const std::size_t bytesPerPixel = font.BitsPerPixel() == 16 ? 2 : 1;
    if (font.Pixels.size() != std::size_t(font.Width) * std::size_t(font.Height) * bytesPerPixel)
        std::abort();

    TPalette palette{};
    for (std::size_t i = 0; i < palette.size(); ++i) palette[i] = static_cast<std::uint8_t>(i);
    std::unique_ptr<TBitmap> bitmap;
    NullList info;
    if (font.BitsPerPixel() == 8)
        Show8BitFont(bitmap, font, palette, info);
    else
        Show16BitFont(bitmap, font, info);
    if (bitmap->Width() != font.Width || bitmap->Height() != font.Height) std::abort();
    if (bitmap->Width() > 0)
        for (std::int32_t y = 0; y < bitmap->Height(); ++y)
            if (bitmap->ScanLine(y) == nullptr) std::abort();

    // Exporting through the file system costs more than the parse; do it for
    // small pictures only, where it is cheap.
    const Bytes image = bitmap->FileBytes();
    if (image.size() <= 64 * 1024) {
        const std::string path = ScratchPath("font.BMP");
        bitmap->SaveToFile(path);
        if (ReadBack(path) != image) std::abort();
    }
    return 0;
}
