#include <gtest/gtest.h>

#include <sys/stat.h>

#include "palette.h"
#include "testfiles.h"

namespace {

enum class Kind { CMP, BM };

struct Outcome {
    bool ok;
    std::vector<std::string> shown;
    TPalette palette;
};

// Runs a reader both on a file on disk and on the same bytes in memory, and
// checks that the two agree.
Outcome RunReader(Kind kind, const ByteVec& file) {
    const TPalette start = PatternPalette(200);
    TempDir dir;
    WriteFile(dir.Path("p"), file);

    Outcome fromFile{false, {}, start};
    RecordingSink sink;
    fromFile.ok = kind == Kind::CMP ? LoadCMPPalette(dir.Path("p"), fromFile.palette, sink)
                                    : LoadBMPalette(dir.Path("p"), fromFile.palette, sink);
    fromFile.shown = sink.shown;

    Outcome inMemory{false, {}, start};
    RecordingSink memSink;
    inMemory.ok = kind == Kind::CMP ? ParseCMPPalette(file, inMemory.palette, memSink)
                                    : ParseBMPalette(file, inMemory.palette, memSink);
    EXPECT_EQ(inMemory.ok, fromFile.ok);
    EXPECT_EQ(memSink.shown, sink.shown);
    EXPECT_EQ(inMemory.palette, fromFile.palette);
    return fromFile;
}

ByteVec Head(const ByteVec& b, std::size_t n) { return ByteVec(b.begin(), b.begin() + std::ptrdiff_t(n)); }

ByteVec Patch(ByteVec b, std::size_t at, std::initializer_list<std::uint8_t> bytes) {
    for (std::uint8_t v : bytes) b[at++] = v;
    return b;
}

TEST(PaletteFiles, ReadsTheWholePalette) {
    const TPalette want = PatternPalette(3);
    struct Case {
        const char* name;
        Kind kind;
        ByteVec file;
    };
    ByteVec shortBM = MakeBM(want, 2, 0);  // header and palette only
    const std::vector<Case> cases = {
        {"CMP of exactly 832 bytes", Kind::CMP, MakeCMP(want)},
        {"CMP with bytes after the palette", Kind::CMP, MakeCMP(want, 500)},
        {"BM with a body", Kind::BM, MakeBM(want, 2, 5000)},
        {"BM of header and palette", Kind::BM, shortBM},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Outcome o = RunReader(c.kind, c.file);
        EXPECT_TRUE(o.ok);
        EXPECT_TRUE(o.shown.empty());
        EXPECT_EQ(o.palette, want);
    }
}

TEST(PaletteFiles, BMPaletteIsTheLast768BytesEvenOverTheHeader) {
    // A 768-byte BM file: its palette starts with the file's own header.
    ByteVec file = MakeBM(PatternPalette(9), 2, 0);
    file.erase(file.begin() + 3, file.begin() + 131);  // keep magic, then the palette
    ASSERT_EQ(file.size(), 768u);
    file[12] = 2, file[13] = file[14] = file[15] = 0;
    const Outcome o = RunReader(Kind::BM, file);
    ASSERT_TRUE(o.ok);
    EXPECT_TRUE(std::equal(o.palette.begin(), o.palette.end(), file.begin()));
}

TEST(PaletteFiles, RefusesAndKeepsThePalette) {
    const ByteVec cmp = MakeCMP(PatternPalette(1));
    const ByteVec bm = MakeBM(PatternPalette(1));
    struct Case {
        const char* name;
        Kind kind;
        ByteVec file;
        const char* message;
    };
    const std::vector<Case> cases = {
        {"empty CMP", Kind::CMP, {}, kInvalidCMP},
        {"CMP shorter than its magic", Kind::CMP, Head(cmp, 3), kInvalidCMP},
        {"lower-case CMP magic", Kind::CMP, Patch(cmp, 0, {'c', 'm', 'p'}), kInvalidCMP},
        {"CMP without the blank", Kind::CMP, Patch(cmp, 3, {'X'}), kInvalidCMP},
        {"CMP with a zero byte", Kind::CMP, Patch(cmp, 3, {0}), kInvalidCMP},
        {"CMP of magic only", Kind::CMP, Head(cmp, 4), kInvalidCMP},
        {"CMP of 64 bytes", Kind::CMP, Head(cmp, 64), kInvalidCMP},
        {"CMP of 100 bytes", Kind::CMP, Head(cmp, 100), kInvalidCMP},
        {"CMP one byte short", Kind::CMP, Head(cmp, 831), kInvalidCMP},
        {"a BM file given to the CMP reader", Kind::CMP, bm, kInvalidCMP},
        {"empty BM", Kind::BM, {}, kInvalidBM},
        {"BM shorter than its magic", Kind::BM, Head(bm, 2), kInvalidBM},
        {"BM with a zero byte", Kind::BM, Patch(bm, 2, {0}), kInvalidBM},
        {"BM without the blank", Kind::BM, Patch(bm, 2, {'P'}), kInvalidBM},
        {"a Windows bitmap", Kind::BM, Patch(bm, 2, {0x36}), kInvalidBM},
        {"BM flag 0", Kind::BM, Patch(bm, 12, {0, 0, 0, 0}), kBMNoPalette},
        {"BM flag 02 00 00 01", Kind::BM, Patch(bm, 12, {2, 0, 0, 1}), kBMNoPalette},
        {"BM flag 3", Kind::BM, Patch(bm, 12, {3, 0, 0, 0}), kBMNoPalette},
        {"BM of magic only", Kind::BM, Head(bm, 3), kBMNoPalette},
        {"BM ending inside its flag", Kind::BM, Head(bm, 15), kBMNoPalette},
        {"BM of its flag only", Kind::BM, Head(bm, 16), kInvalidBM},
        {"BM one byte short of a palette", Kind::BM, Head(bm, 767), kInvalidBM},
        {"a CMP file given to the BM reader", Kind::BM, cmp, kInvalidBM},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Outcome o = RunReader(c.kind, c.file);
        EXPECT_FALSE(o.ok);
        EXPECT_EQ(o.shown, std::vector<std::string>{c.message});
        EXPECT_EQ(o.palette, PatternPalette(200));
    }
}

// Every length of a valid file cut short, around the magic, the flag and the
// palette: refused with the reader's own message until all 768 bytes are there.
TEST(PaletteFiles, EveryLengthOfATruncatedFile) {
    const ByteVec cmp = MakeCMP(PatternPalette(1), 40);
    for (std::size_t n = 0; n <= cmp.size(); ++n) {
        SCOPED_TRACE("CMP of " + std::to_string(n) + " bytes");
        const Outcome o = RunReader(Kind::CMP, Head(cmp, n));
        EXPECT_EQ(o.ok, n >= 832);
        EXPECT_EQ(o.shown, o.ok ? std::vector<std::string>{} : std::vector<std::string>{kInvalidCMP});
    }
    const ByteVec bm = MakeBM(PatternPalette(1), 2, 100);
    for (std::size_t n = 0; n <= bm.size(); ++n) {
        SCOPED_TRACE("BM of " + std::to_string(n) + " bytes");
        const Outcome o = RunReader(Kind::BM, Head(bm, n));
        const char* want = n < 3 ? kInvalidBM : n < 16 ? kBMNoPalette : n < 768 ? kInvalidBM : nullptr;
        EXPECT_EQ(o.ok, want == nullptr);
        if (want) {
            EXPECT_EQ(o.shown, std::vector<std::string>{want});
        } else {
            EXPECT_TRUE(std::equal(o.palette.begin(), o.palette.end(), bm.begin() + std::ptrdiff_t(n - 768)));
        }
    }
}

TEST(PaletteFiles, RefusesPathsThatAreNotFiles) {
    TempDir dir;
    ASSERT_EQ(::mkdir(dir.Path("folder.cmp").c_str(), 0700), 0);
    ASSERT_EQ(::mkfifo(dir.Path("fifo.bm").c_str(), 0600), 0);
    for (const std::string& path : {dir.Path("missing"), dir.Path("folder.cmp"), dir.Path("fifo.bm")}) {
        SCOPED_TRACE(path);
        TPalette p = PatternPalette(7);
        RecordingSink cmp, bm;
        EXPECT_FALSE(LoadCMPPalette(path, p, cmp));
        EXPECT_FALSE(LoadBMPalette(path, p, bm));
        EXPECT_EQ(cmp.shown, std::vector<std::string>{kInvalidCMP});
        EXPECT_EQ(bm.shown, std::vector<std::string>{kInvalidBM});
        EXPECT_EQ(p, PatternPalette(7));
    }
}

}  // namespace
