// The PNG path alone: any bytes after a PNG signature decode to pixels of
// the size the header gives, or end in a clean refusal; a picture decoded
// is written again and reads back the same.
#include <cstdlib>
#include <cstring>

#include "imagefile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Bytes file(8 + size);
    std::memcpy(file.data(), "\x89PNG\r\n\x1a\n", 8);
    if (size) std::memcpy(file.data() + 8, data, size);
    TImagePixels image;
    try {
        image = DecodeImagePixels(file);
    } catch (const EFontError&) {
        return 0;
    }
    const std::size_t pixels = std::size_t(image.Width) * std::size_t(image.Height);
    if ((image.Indexed ? image.Indices.size() : image.Colors.size()) != pixels) std::abort();
    if (pixels > (1u << 16)) return 0;
    const TImagePixels again = DecodeImagePixels(EncodePng(image));
    if (again.Indexed != image.Indexed || again.Indices != image.Indices ||
        !std::equal(again.Colors.begin(), again.Colors.end(), image.Colors.begin(),
                    image.Colors.end()))
        std::abort();
    return 0;
}
