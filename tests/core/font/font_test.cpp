#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <limits>

#include "alloc_probe.h"
#include "base/fileio.h"
#include "font/font.h"
#include "testfiles.h"

namespace {

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
using Ranges = std::vector<std::pair<std::uint16_t, std::uint16_t>>;

// A font of the given ranges and strip; pixels < 0 gives exactly the strip's.
ByteVec Font(const Ranges& ranges, std::int32_t bpp, std::int32_t w, std::int32_t h,
             long pixels = -1) {
    SftWriter f;
    f.Header(std::int32_t(ranges.size()));
    for (const auto& [first, last] : ranges) f.Range(first, last);
    const auto n =
        pixels < 0 ? std::size_t(w) * std::size_t(h) * std::size_t(bpp / 8) : std::size_t(pixels);
    return f.StripHeader(bpp).Size(w, h).Pixels(n).Bytes();
}

// A record and table that already hold a font, so a refusal can be seen to change nothing.
struct Loaded {
    bool ok = false;
    TSftFont font;
    TCharTable table{};
    Loaded() {
        const ByteVec seed = Font({{40, 50}}, 16, 7, 3);
        SpanSource src(seed);
        ReadSFT(src, font, table, 255);
    }
    bool operator==(const Loaded&) const = default;
};

Loaded Parse(const ByteVec& file, std::int32_t lastIndex = 255) {
    Loaded l;
    SpanSource src(file);
    l.ok = ReadSFT(src, l.font, l.table, lastIndex);
    return l;
}

TEST(LoadSFT, AcceptsWellFormedFiles) {
    const std::vector<std::tuple<ByteVec, std::int32_t, std::int32_t>> cases = {
        // file, last table index, characters
        {Font({}, 8, 4, 2), -1, 0},
        {Font({{50, 49}, {65, 67}, {97, 98}}, 8, 3, 1), 255, 5},
        {Font({{7, 7}}, 8, 2, 2), 0, 1},
        {Font({{0, 9}}, 8, 1, 1), 9, 10},
        {Font({{65535, 65535}}, 16, 0, 5), 255, 1},
        {Font({{0, 99}, {1000, 1155}}, 16, 9, 0), 255, 256},
        {Font({{65, 65}}, 16, 2, 3, 40), 255, 1},  // trailing bytes
        {MakeFont(8, 600, 16), 255, 95},
    };
    for (const auto& [file, lastIndex, count] : cases) {
        SCOPED_TRACE(testing::Message() << count << " characters");
        const Loaded l = Parse(file, lastIndex);
        ASSERT_TRUE(l.ok);
        ASSERT_EQ(l.font.CharCount, count);
        EXPECT_TRUE(std::equal(l.font.Header.begin(), l.font.Header.end(), file.begin()));
        const std::size_t strip = 40 + std::size_t(l.font.RangeCount() * 4 + count * 8);
        EXPECT_TRUE(std::equal(l.font.StripHeader.begin(), l.font.StripHeader.end(),
                               file.begin() + std::ptrdiff_t(strip)));
        // Codes ascend within a range, each with its own X and Extra.
        for (std::int32_t i = 0; i < count; ++i) {
            const TCharEntry& e = l.table[std::size_t(i)];
            EXPECT_EQ(e.Extra, 1000 + e.Code);
            EXPECT_EQ(i == 0 || e.Code != l.table[std::size_t(i - 1)].Code + 1, e.X == 0);
        }
        const std::size_t n = std::size_t(l.font.Width * l.font.Height * l.font.BitsPerPixel() / 8);
        ASSERT_EQ(ByteVec(l.font.Pixels.begin(), l.font.Pixels.end()),
                  SftWriter().Pixels(n).Bytes());
    }
}

TEST(LoadSFT, RefusesMalformedFilesAndChangesNothing) {
    std::vector<ByteVec> cases = {
        SftWriter().Header(0, "sfnt").StripHeader(8).Size(1, 1).Pixels(1).Bytes(),
        SftWriter().Header(0, "SFN").StripHeader(8).Size(1, 1).Pixels(1).Bytes(),
        SftWriter().Header(0, "TFNT").StripHeader(8).Size(1, 1).Pixels(1).Bytes(),
        Font({{0, 256}}, 8, 1, 1),
        Font({{0, 255}, {300, 300}}, 8, 1, 1),
        Font({{0, 65535}}, 8, 1, 1),
        Font({{10, 8}}, 8, 1, 1),  // last code below first minus one
        Font({}, 8, -1, 4, 0),
        Font({}, 8, 4, -1, 0),
        Font({}, 16, 1, -kMax - 1, 0),
        Font({}, 8, 65536, 65536, 16),   // the pixel size overflows
        Font({}, 16, 40000, 30000, 16),  // only at 2 bytes a pixel
        SftWriter().Header(kMax).Range(1, 0).Range(1, 0).Bytes(),
        Font({}, 8, 3, 3, 8),             // pixels short by one
        Font({}, 8, 40000, 40000, 1000),  // 1 KB that claims 1.6 GB
    };
    for (std::int32_t bpp : {0, 7, 9, 15, 17, 24, -8}) cases.push_back(Font({}, bpp, 1, 1, 4));
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(i);
        // Memory follows the file's size, never the sizes it claims.
        ResetLargestAllocation();
        const Loaded l = Parse(cases[i]);
        EXPECT_FALSE(l.ok);
        EXPECT_LE(LargestAllocation(), 2 * cases[i].size() + 4096);
        EXPECT_TRUE(l == Loaded());
    }
    EXPECT_FALSE(Parse(Font({{0, 10}}, 8, 1, 1), 9).ok);  // more rows than the table has
}

TEST(LoadSFT, RefusesEveryTruncation) {
    // A read that cannot be had fails and consumes nothing.
    const ByteVec three = {1, 2, 3};
    SpanSource src(three);
    std::uint16_t u = 0;
    std::int32_t i = 0;
    EXPECT_FALSE(src.ReadI32(i));
    EXPECT_TRUE(src.ReadU16(u) && u == 0x0201);
    EXPECT_FALSE(src.ReadU16(u) || src.ReadI32(i));
    EXPECT_EQ(src.Left(), 1u);
    for (const ByteVec& full : {Font({{60, 62}}, 8, 5, 3), Font({{5, 4}, {9, 9}}, 16, 3, 2)}) {
        ASSERT_TRUE(Parse(full).ok);
        for (std::size_t n = 0; n < full.size(); ++n)
            EXPECT_FALSE(Parse(ByteVec(full.begin(), full.begin() + std::ptrdiff_t(n))).ok) << n;
    }
}

// A file that shrinks between the size check and the read of its pixels:
// every read up to the strip header succeeds.
struct ShrinkingSource final : ByteSource {
    explicit ShrinkingSource(const ByteVec& data) : src(data) {}
    std::uint64_t Left() const override { return src.Left(); }
    bool Read(void* dst, std::size_t n) override { return n <= 128 && src.Read(dst, n); }
    SpanSource src;
};

TEST(LoadSFT, RefusesWhatItCannotReadOrDraw) {
    Loaded l;
    const ByteVec shrinking = Font({{65, 66}}, 8, 20, 20);
    ShrinkingSource src(shrinking);
    EXPECT_FALSE(ReadSFT(src, l.font, l.table, 255));
    EXPECT_TRUE(l == Loaded());

    TempDir dir;
    ASSERT_EQ(::mkfifo(dir.Path("fifo").c_str(), 0600), 0);
    std::vector<std::string> paths = {dir.Path("missing"), dir.Dir(), dir.Path("fifo"), ""};
    // Pixels within a signed 32-bit size whose BMP is not; a sparse file backs them.
    for (std::int32_t bpp : {8, 16}) {
        paths.push_back(dir.Path(std::to_string(bpp)));
        WriteFile(paths.back(), Font({}, bpp, 1, kMax / 4, 0));
        ASSERT_EQ(::truncate(paths.back().c_str(), 180 + off_t(kMax / 4) * (bpp / 8)), 0);
    }
    // A file that shrinks after it was opened: reads fail instead of waiting for the bytes.
    WriteFile(dir.Path("shrinks"), Font({{65, 66}}, 8, 300, 300));
    ReadOnlyFile file;
    ASSERT_TRUE(file.Open(dir.Path("shrinks")));
    ASSERT_EQ(::truncate(dir.Path("shrinks").c_str(), 100), 0);
    EXPECT_FALSE(ReadSFT(file, l.font, l.table, 255));
    for (const std::string& path : paths) {
        ResetLargestAllocation();
        EXPECT_FALSE(LoadSFT(path, l.font, l.table, 255)) << path;
        EXPECT_LT(LargestAllocation(), 64u * 1024) << path;
    }
}

}  // namespace
