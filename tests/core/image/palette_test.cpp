#include <gtest/gtest.h>

#include "image/palette.h"
#include "testfiles.h"

namespace {

struct Outcome {
    bool ok;
    std::vector<std::string> shown;
    TPalette palette = PatternPalette(200);
    bool operator==(const Outcome&) const = default;
};

// Runs a reader on a file on disk and on the same bytes in memory; the two must agree.
Outcome Read(bool bm, const ByteVec& file) {
    TempDir dir;
    WriteFile(dir.Path("p"), file);
    Outcome disk, memory;
    RecordingSink diskSink, memSink;
    disk.ok = bm ? LoadBMPalette(dir.Path("p"), disk.palette, diskSink)
                 : LoadCMPPalette(dir.Path("p"), disk.palette, diskSink);
    memory.ok = bm ? ParseBMPalette(file, memory.palette, memSink)
                   : ParseCMPPalette(file, memory.palette, memSink);
    disk.shown = diskSink.shown, memory.shown = memSink.shown;
    EXPECT_EQ(memory, disk);
    return disk;
}

ByteVec Patch(ByteVec b, std::size_t at, std::initializer_list<std::uint8_t> bytes) {
    for (std::uint8_t v : bytes) b[at++] = v;
    return b;
}

TEST(PaletteFiles, RefusesWrongMagicsAndFlagsAndKeepsThePalette) {
    const ByteVec cmp = MakeCMP(PatternPalette(1)), bm = MakeBM(PatternPalette(1));
    const std::vector<std::tuple<bool, ByteVec, const char*>> cases = {
        {false, Patch(cmp, 0, {'c', 'm', 'p'}), kInvalidCMP},
        {false, Patch(cmp, 3, {0}), kInvalidCMP},
        {false, Patch(cmp, 0, {'X'}), kInvalidCMP},
        {false, bm, kInvalidCMP},
        {true, Patch(bm, 2, {0x36}), kInvalidBM},  // a Windows bitmap
        {true, Patch(bm, 12, {0, 0, 0, 0}), kBMNoPalette},
        {true, Patch(bm, 12, {2, 0, 0, 1}), kBMNoPalette},
        {true, cmp, kInvalidBM},
    };
    for (const auto& [isBM, file, message] : cases)
        EXPECT_EQ(Read(isBM, file), (Outcome{false, {message}})) << message;
    // Paths that are not files are refused the same way.
    TempDir dir;
    Outcome o{false, {}};
    RecordingSink sink;
    EXPECT_FALSE(LoadCMPPalette(dir.Path("missing"), o.palette, sink));
    EXPECT_FALSE(LoadBMPalette(dir.Dir(), o.palette, sink));
    o.shown = sink.shown;
    EXPECT_EQ(o, (Outcome{false, {kInvalidCMP, kInvalidBM}}));
}

// Every length of a valid file: refused with the reader's own message until all
// 768 bytes are there. At 768 bytes a BM palette starts with the file's own header.
TEST(PaletteFiles, EveryLengthOfAFile) {
    const ByteVec cmp = MakeCMP(PatternPalette(1), 40), bm = MakeBM(PatternPalette(1), 2, 100);
    for (std::size_t n = 0; n <= cmp.size(); ++n) {
        const Outcome o = Read(false, ByteVec(cmp.begin(), cmp.begin() + std::ptrdiff_t(n)));
        EXPECT_EQ(o,
                  (n >= 832 ? Outcome{true, {}, PatternPalette(1)} : Outcome{false, {kInvalidCMP}}))
            << n;
    }
    for (std::size_t n = 0; n <= bm.size(); ++n) {
        const Outcome o = Read(true, ByteVec(bm.begin(), bm.begin() + std::ptrdiff_t(n)));
        const char* want = n < 3     ? kInvalidBM
                           : n < 16  ? kBMNoPalette
                           : n < 768 ? kInvalidBM
                                     : nullptr;
        TPalette tail;
        if (!want) std::copy_n(bm.begin() + std::ptrdiff_t(n - 768), 768, tail.begin());
        EXPECT_EQ(o, (want ? Outcome{false, {want}} : Outcome{true, {}, tail})) << n;
    }
}

}  // namespace
