// The picture object loading an arbitrary stream, then drawing and saving it.
#include <cstdlib>
#include <string>

#include "picture/picture.h"
#include "scratch.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TBitmap bitmap;
    try {
        bitmap.LoadFromStream(ByteSpan(data, size));
    } catch (const EToolkitError&) {
        if (!bitmap.Empty()) std::abort();  // a refused stream keeps the (empty) picture
        return 0;
    }
    if (bitmap.Empty()) return 0;
    // Touch every byte a view would draw.
    unsigned sum = 0;
    const std::size_t rowBytes = std::size_t(bitmap.Width()) * std::size_t(bitmap.BitCount() / 8);
    for (std::int32_t y = 0; rowBytes != 0 && y < bitmap.Height(); ++y) {
        const std::uint8_t* row = bitmap.ScanLine(y);
        if (!row) std::abort();
        for (std::size_t i = 0; i < rowBytes; ++i) sum += row[i];
    }
    for (std::uint8_t b : bitmap.ColorTable()) sum += b;
    (void)sum;

    const Bytes file = bitmap.FileBytes();
    if (file.size() != size) std::abort();
    if (size <= 64 * 1024) {
        const std::string path = ScratchPath("stream.BMP");
        bitmap.SaveToFile(path);
        if (ReadBack(path) != file) std::abort();
    }
    return 0;
}
