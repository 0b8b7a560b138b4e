#include <gtest/gtest.h>

#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

#include "font.h"
#include "alloc_probe.h"
#include "testfiles.h"

namespace {

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

struct Loaded {
    bool ok = false;
    TSftFont font;
    TCharTable table{};
};

Loaded Parse(const ByteVec& file, std::int32_t lastIndex = 255) {
    Loaded l;
    SpanSource src(file);
    l.ok = ReadSFT(src, l.font, l.table, lastIndex);
    return l;
}

std::vector<std::uint16_t> Codes(const Loaded& l) {
    std::vector<std::uint16_t> codes;
    for (std::int32_t i = 0; i < l.font.CharCount; ++i) codes.push_back(l.table[std::size_t(i)].Code);
    return codes;
}

std::vector<std::uint16_t> Iota(std::uint32_t first, std::uint32_t last) {
    std::vector<std::uint16_t> v;
    for (std::uint32_t c = first; c <= last; ++c) v.push_back(static_cast<std::uint16_t>(c));
    return v;
}

TEST(LoadSFT, ReadsTheWorkedLayoutFromDisk) {
    const ByteVec file = MakeFont(8, 600, 16, 32, 126);
    ASSERT_EQ(file.size(), 10540u);
    TempDir dir;
    WriteFile(dir.Path("main.sft"), file);

    TSftFont font;
    TCharTable table{};
    ASSERT_TRUE(LoadSFT(dir.Path("main.sft"), font, table, 255));
    EXPECT_EQ(font.CharCount, 95);
    EXPECT_EQ(font.BitsPerPixel(), 8);
    EXPECT_EQ(font.RangeCount(), 1);
    EXPECT_EQ(font.Width, 600);
    EXPECT_EQ(font.Height, 16);
    EXPECT_TRUE(std::equal(font.Header.begin(), font.Header.end(), file.begin()));
    EXPECT_TRUE(std::equal(font.StripHeader.begin(), font.StripHeader.end(), file.begin() + 804));
    ASSERT_EQ(font.Pixels.size(), 9600u);
    EXPECT_TRUE(std::equal(font.Pixels.begin(), font.Pixels.end(), file.begin() + 940));
    for (std::size_t i = 0; i < 95; ++i) {
        EXPECT_EQ(table[i].Code, 32 + i);
        EXPECT_EQ(table[i].X, std::int32_t(6 * i));
        EXPECT_EQ(table[i].Extra, std::int32_t(1032 + i));
    }
}

struct AcceptCase {
    const char* name;
    ByteVec file;
    std::vector<std::uint16_t> codes;
    std::int32_t bpp, width, height;
};

TEST(LoadSFT, AcceptsWellFormedFiles) {
    const std::vector<AcceptCase> cases = {
        {"no ranges", SftWriter().Header(0).StripHeader(8).Size(4, 2).Pixels(8).Bytes(), {}, 8, 4, 2},
        {"range count -1", SftWriter().Header(-1).StripHeader(8).Size(1, 1).Pixels(1).Bytes(), {}, 8, 1, 1},
        {"negative range count",
         SftWriter().Header(-5).StripHeader(8).Size(4, 2).Pixels(8).Bytes(), {}, 8, 4, 2},
        {"two ranges",
         SftWriter().Header(2).Range(65, 67).Range(97, 98).StripHeader(8).Size(3, 1).Pixels(3).Bytes(),
         {65, 66, 67, 97, 98}, 8, 3, 1},
        {"single code", MakeFont(8, 2, 2, 7, 7), {7}, 8, 2, 2},
        {"empty range then a range",
         SftWriter().Header(2).Range(50, 49).Range(1, 2).StripHeader(8).Size(1, 1).Pixels(1).Bytes(),
         {1, 2}, 8, 1, 1},
        {"codes up to 65535", MakeFont(8, 1, 1, 65533, 65535), {65533, 65534, 65535}, 8, 1, 1},
        {"code 0", MakeFont(8, 1, 1, 0, 1), {0, 1}, 8, 1, 1},
        {"256 entries fill the table", MakeFont(8, 1, 1, 0, 255), Iota(0, 255), 8, 1, 1},
        {"256 entries over two ranges",
         SftWriter().Header(2).Range(0, 99).Range(1000, 1155).StripHeader(16).Size(1, 1).Pixels(2).Bytes(),
         [] { auto v = Iota(0, 99); auto w = Iota(1000, 1155); v.insert(v.end(), w.begin(), w.end()); return v; }(),
         16, 1, 1},
        {"width 0", MakeFont(8, 0, 5, 65, 65), {65}, 8, 0, 5},
        {"height 0", MakeFont(16, 9, 0, 65, 65), {65}, 16, 9, 0},
        {"16-bit", MakeFont(16, 10, 2, 65, 66), {65, 66}, 16, 10, 2},
        {"trailing bytes ignored", SftWriter().Raw(MakeFont(8, 2, 1, 65, 65)).Pixels(50).Bytes(), {65}, 8, 2, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Loaded l = Parse(c.file);
        ASSERT_TRUE(l.ok);
        EXPECT_EQ(Codes(l), c.codes);
        EXPECT_EQ(l.font.BitsPerPixel(), c.bpp);
        EXPECT_EQ(l.font.Width, c.width);
        EXPECT_EQ(l.font.Height, c.height);
        EXPECT_EQ(l.font.Pixels.size(), std::size_t(c.width) * std::size_t(c.height) * std::size_t(c.bpp / 8));
    }
}

ByteVec WithMagic(const char* magic) {
    ByteVec f = MakeFont(8, 2, 2, 65, 66);
    std::memcpy(f.data(), magic, 4);
    return f;
}

ByteVec Strip(std::int32_t bpp, std::int32_t w, std::int32_t h, std::size_t pixels) {
    return SftWriter().Header(1).Range(65, 65).StripHeader(bpp).Size(w, h).Pixels(pixels).Bytes();
}

TEST(LoadSFT, RefusesMalformedFiles) {
    const std::vector<std::pair<const char*, ByteVec>> cases = {
        {"lower-case magic", WithMagic("sfnt")},
        {"other fourth letter", WithMagic("SFNX")},
        {"zero byte in magic", WithMagic("SFN\0")},
        {"BitsPerPixel 0", Strip(0, 1, 1, 1)},
        {"BitsPerPixel 1", Strip(1, 8, 1, 8)},
        {"BitsPerPixel 24", Strip(24, 1, 1, 3)},
        {"BitsPerPixel 32", Strip(32, 1, 1, 4)},
        {"BitsPerPixel -8", Strip(-8, 1, 1, 1)},
        {"257 entries", MakeFont(8, 1, 1, 0, 256)},
        {"257 entries over two ranges",
         SftWriter().Header(2).Range(0, 255).Range(300, 300).StripHeader(8).Size(1, 1).Pixels(1).Bytes()},
        {"range 0 to 65535", MakeFont(8, 1, 1, 0, 65535)},
        {"last code below first minus one",
         SftWriter().Header(1).U16(10).U16(8).StripHeader(8).Size(1, 1).Pixels(1).Bytes()},
        {"negative width", Strip(8, -1, 4, 0)},
        {"negative height", Strip(8, 4, -1, 0)},
        {"INT32_MIN width", Strip(8, kMin, 1, 0)},
        {"INT32_MIN height", Strip(16, 1, kMin, 0)},
        {"pixel size overflows", Strip(8, 65536, 65536, 16)},
        {"16-bit pixel size overflows", Strip(16, 40000, 30000, 16)},
        {"range count INT32_MAX", SftWriter().Header(kMax).Range(1, 0).Range(1, 0).Bytes()},
        {"pixels short by one", SftWriter().Raw(Strip(8, 3, 3, 8)).Bytes()},
        {"1 KB file claiming 40000 x 40000", SftWriter().Raw(Strip(8, 40000, 40000, 1000)).Bytes()},
    };
    for (const auto& [name, file] : cases) {
        SCOPED_TRACE(name);
        // Memory follows the file's size, never the sizes it claims.
        ResetLargestAllocation();
        EXPECT_FALSE(Parse(file).ok);
        EXPECT_LE(LargestAllocation(), 2 * file.size() + 4096);
    }
}

TEST(LoadSFT, RefusesEveryTruncation) {
    for (const ByteVec& full : {MakeFont(8, 5, 3, 60, 62), MakeFont(16, 3, 2, 1, 1),
                                SftWriter().Header(2).Range(5, 4).Range(9, 9).StripHeader(8).Size(2, 1).Pixels(2).Bytes()}) {
        ASSERT_TRUE(Parse(full).ok);
        for (std::size_t n = 0; n < full.size(); ++n) {
            SCOPED_TRACE(n);
            EXPECT_FALSE(Parse(ByteVec(full.begin(), full.begin() + std::ptrdiff_t(n))).ok);
        }
    }
}

TEST(LoadSFT, HonoursLastIndex) {
    EXPECT_TRUE(Parse(MakeFont(8, 1, 1, 0, 9), 9).ok);
    EXPECT_FALSE(Parse(MakeFont(8, 1, 1, 0, 10), 9).ok);
    EXPECT_FALSE(Parse(MakeFont(8, 1, 1, 0, 0), -1).ok);
    EXPECT_TRUE(Parse(SftWriter().Header(0).StripHeader(8).Size(1, 1).Pixels(1).Bytes(), -1).ok);
}

TEST(LoadSFT, RefusesImagesTooLargeForTheFormat) {
    // The pixel data fits a signed 32-bit size, the BMP built from it doesn't.
    // A sparse file backs every pixel without using the disk.
    TempDir dir;
    for (std::int32_t bpp : {8, 16}) {
        const std::int32_t height = kMax / 4;
        const ByteVec head = SftWriter().Header(0).StripHeader(bpp).Size(1, height).Bytes();
        const std::string path = dir.Path("big" + std::to_string(bpp) + ".sft");
        WriteFile(path, head);
        ASSERT_EQ(::truncate(path.c_str(), off_t(head.size()) + off_t(height) * (bpp / 8)), 0);
        TSftFont font;
        TCharTable table{};
        EXPECT_FALSE(LoadSFT(path, font, table, 255)) << bpp;
    }
}

TEST(LoadSFT, RefusedFilesChangeNothing) {
    TempDir dir;
    const ByteVec good = MakeFont(16, 7, 3, 40, 50);
    WriteFile(dir.Path("good.sft"), good);
    TSftFont font;
    TCharTable table{};
    ASSERT_TRUE(LoadSFT(dir.Path("good.sft"), font, table, 255));
    const TSftFont before = font;
    const TCharTable tableBefore = table;

    // Each refused file gets past the magic and fills part of a record first.
    const std::vector<ByteVec> refused = {
        WithMagic("SFNx"), MakeFont(8, 1, 1, 0, 300), Strip(24, 1, 1, 3),
        ByteVec(good.begin(), good.end() - 1), Strip(8, -3, 1, 0),
        SftWriter().Header(1).Range(200, 210, 9).StripHeader(8).Size(2, 2).Pixels(3).Bytes()};
    for (std::size_t i = 0; i < refused.size(); ++i) {
        SCOPED_TRACE(i);
        WriteFile(dir.Path("bad.sft"), refused[i]);
        ASSERT_FALSE(LoadSFT(dir.Path("bad.sft"), font, table, 255));
        EXPECT_EQ(font.Header, before.Header);
        EXPECT_EQ(font.StripHeader, before.StripHeader);
        EXPECT_EQ(font.Width, before.Width);
        EXPECT_EQ(font.Height, before.Height);
        EXPECT_EQ(font.Pixels, before.Pixels);
        EXPECT_EQ(font.CharCount, before.CharCount);
        EXPECT_EQ(table, tableBefore);
    }
}

TEST(LoadSFT, RefusesWhatIsNotARegularFile) {
    TempDir dir;
    ASSERT_EQ(::mkfifo(dir.Path("fifo.sft").c_str(), 0600), 0);
    ASSERT_EQ(::mkdir(dir.Path("folder.sft").c_str(), 0700), 0);
    for (const std::string& path : {dir.Path("missing.sft"), dir.Path("folder.sft"),
                                    dir.Path("fifo.sft"), std::string()}) {
        TSftFont font;
        TCharTable table{};
        EXPECT_FALSE(LoadSFT(path, font, table, 255)) << path;
    }
}

TEST(LoadSFT, AllocatesNothingAFileCannotBack) {
    TempDir dir;
    WriteFile(dir.Path("liar.sft"), SftWriter().Raw(Strip(8, 40000, 40000, 900)).Bytes());
    TSftFont font;
    TCharTable table{};
    ResetLargestAllocation();
    EXPECT_FALSE(LoadSFT(dir.Path("liar.sft"), font, table, 255));
    EXPECT_LT(LargestAllocation(), 64u * 1024);
}

}  // namespace
