#include "image/palette.h"

#include <algorithm>

#include "base/fileio.h"

namespace {

constexpr std::size_t kCMPPaletteAt = 64;
constexpr std::size_t kBMHeaderSize = 128;
constexpr std::size_t kBMFlagAt = 12;

// A colour map needs its magic and the 768 bytes behind its 64-byte header.
bool CheckCMP(ByteSpan head, TPalette& Palette, IWarningSink& Warnings) {
    if (!MagicIs(head.first(std::min<std::size_t>(4, head.size())), "CMP ") ||
        head.size() < kCMPPaletteAt + Palette.size()) {
        Warnings.ShowWarning(kInvalidCMP);
        return false;
    }
    std::copy_n(head.begin() + kCMPPaletteAt, Palette.size(), Palette.begin());
    return true;
}

// A game bitmap carries its palette as its last 768 bytes when the 32-bit
// flag at offset 12 is 2. head is the start of the file (up to its header),
// tail its last 768 bytes or nothing when the file is shorter.
bool CheckBM(ByteSpan head, ByteSpan tail, TPalette& Palette, IWarningSink& Warnings) {
    if (!MagicIs(head.first(std::min<std::size_t>(3, head.size())), "BM ")) {
        Warnings.ShowWarning(kInvalidBM);
        return false;
    }
    if (head.size() < kBMFlagAt + 4 || GetU32(head.data() + kBMFlagAt) != 2) {
        Warnings.ShowWarning(kBMNoPalette);
        return false;
    }
    if (tail.size() != Palette.size()) {
        Warnings.ShowWarning(kInvalidBM);
        return false;
    }
    std::copy(tail.begin(), tail.end(), Palette.begin());
    return true;
}

}  // namespace

bool ParseCMPPalette(ByteSpan File, TPalette& Palette, IWarningSink& Warnings) {
    return CheckCMP(File, Palette, Warnings);
}

bool ParseBMPalette(ByteSpan File, TPalette& Palette, IWarningSink& Warnings) {
    const ByteSpan tail = File.size() >= Palette.size() ? File.last(Palette.size()) : ByteSpan();
    return CheckBM(File.first(std::min(kBMHeaderSize, File.size())), tail, Palette, Warnings);
}

bool LoadCMPPalette(const std::string& FileName, TPalette& Palette, IWarningSink& Warnings) {
    std::uint8_t head[kCMPPaletteAt + 768];
    ReadOnlyFile file;
    std::size_t got = 0;
    if (file.Open(FileName)) {
        got = static_cast<std::size_t>(std::min<std::uint64_t>(sizeof head, file.Size()));
        if (!file.Read(head, got)) got = 0;
    }
    return CheckCMP(ByteSpan(head, got), Palette, Warnings);
}

bool LoadBMPalette(const std::string& FileName, TPalette& Palette, IWarningSink& Warnings) {
    // Only the header and the last 768 bytes are read, whatever the file's size.
    std::uint8_t head[kBMHeaderSize];
    std::uint8_t tail[768];
    ReadOnlyFile file;
    std::size_t headLen = 0, tailLen = 0;
    if (file.Open(FileName)) {
        headLen = static_cast<std::size_t>(std::min<std::uint64_t>(sizeof head, file.Size()));
        if (!file.Read(head, headLen)) headLen = 0;
        if (file.Size() >= sizeof tail && file.ReadAt(file.Size() - sizeof tail, tail, sizeof tail))
            tailLen = sizeof tail;
    }
    return CheckBM(ByteSpan(head, headLen), ByteSpan(tail, tailLen), Palette, Warnings);
}
