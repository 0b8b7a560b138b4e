#include <gtest/gtest.h>

#include <cmath>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "picture.h"
#include "testfiles.h"

namespace {

std::uint32_t U32At(const Bytes& b, std::size_t at) { return GetU32(b.data() + at); }
std::uint16_t U16At(const Bytes& b, std::size_t at) { return GetU16(b.data() + at); }

ByteVec ToVec(const Bytes& b) { return ByteVec(b.begin(), b.end()); }

TStrip StripOf(std::int32_t w, std::int32_t h, const ByteVec& pixels) {
    return TStrip{w, h, ByteSpan(pixels)};
}

struct HeaderCase {
    int bits;
    std::int32_t width, height;
    std::uint32_t stride;
};

TEST(BmpImage, HeadersFollowTheSizes) {
    const std::vector<HeaderCase> cases = {
        {8, 3, 2, 4},  {8, 8, 1, 8},   {8, 9, 2, 12},  {8, 600, 16, 600}, {8, 601, 1, 604},
        {8, 0, 5, 0},  {8, 5, 0, 8},   {24, 1, 2, 4},  {24, 2, 1, 8},     {24, 3, 1, 12},
        {24, 4, 3, 12}, {24, 5, 1, 16}, {24, 10, 2, 32}, {24, 0, 3, 0},   {24, 7, 0, 24},
        // No row bytes at all: building must not walk the claimed rows.
        {8, 0, 0x7FFFFFFF, 0}, {24, 0, 0x7FFFFFFF, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.bits) + " bits, width " + std::to_string(c.width));
        const ByteVec pixels(std::size_t(c.width) * std::size_t(c.height) * (c.bits == 8 ? 1 : 2), 9);
        const Bytes img = c.bits == 8 ? Build8BitImage(StripOf(c.width, c.height, pixels), TPalette{})
                                      : Build16BitImage(StripOf(c.width, c.height, pixels));
        const std::uint32_t off = c.bits == 8 ? 1078 : 54;
        const std::uint32_t rows = c.stride * std::uint32_t(c.height);
        ASSERT_EQ(img.size(), off + rows);
        EXPECT_EQ(U16At(img, 0), 0x4D42);
        EXPECT_EQ(U32At(img, 2), off + rows);
        EXPECT_EQ(U32At(img, 6), 0u);
        EXPECT_EQ(U32At(img, 10), off);
        EXPECT_EQ(U32At(img, 14), 40u);
        EXPECT_EQ(GetI32(img.data() + 18), c.width);
        EXPECT_EQ(GetI32(img.data() + 22), c.height);
        EXPECT_EQ(U16At(img, 26), 1);
        EXPECT_EQ(U16At(img, 28), c.bits);
        EXPECT_EQ(U32At(img, 30), 0u);
        EXPECT_EQ(U32At(img, 34), rows);
        EXPECT_EQ(U32At(img, 38), 0u);
        EXPECT_EQ(U32At(img, 42), 0u);
        EXPECT_EQ(U32At(img, 46), c.bits == 8 ? 256u : 0u);
        EXPECT_EQ(U32At(img, 50), c.bits == 8 ? 256u : 0u);
        EXPECT_EQ(c.bits == 8 ? Stride8(c.width) : Stride24(c.width), c.stride);
    }
}

TEST(BmpImage, EightBitRowsAreBottomUpAndPadded) {
    TPalette pal{};
    pal[15] = 10, pal[16] = 20, pal[17] = 30;  // entry 5
    const Bytes img = Build8BitImage(StripOf(3, 2, {1, 2, 3, 4, 5, 6}), pal);
    ASSERT_EQ(img.size(), 1086u);
    EXPECT_EQ(ToVec(img).back(), 0);
    EXPECT_EQ(ByteVec(img.begin() + 1078, img.end()), (ByteVec{4, 5, 6, 0, 1, 2, 3, 0}));
    EXPECT_EQ(ByteVec(img.begin() + 74, img.begin() + 78), (ByteVec{30, 20, 10, 0}));
}

TEST(BmpImage, ColourTableFollowsThePalette) {
    const TPalette pal = PatternPalette(17);
    const Bytes img = Build8BitImage(StripOf(1, 1, {0}), pal);
    for (std::size_t k = 0; k < 256; ++k) {
        EXPECT_EQ(img[54 + 4 * k + 0], pal[3 * k + 2]);
        EXPECT_EQ(img[54 + 4 * k + 1], pal[3 * k + 1]);
        EXPECT_EQ(img[54 + 4 * k + 2], pal[3 * k + 0]);
        EXPECT_EQ(img[54 + 4 * k + 3], 0);
    }
    const Bytes black = Build8BitImage(StripOf(1, 1, {0}), TPalette{});
    EXPECT_TRUE(std::all_of(black.begin() + 54, black.begin() + 1078, [](auto b) { return b == 0; }));
}

TEST(BmpImage, SixteenBitExamples) {
    const Bytes rgb = Build16BitImage(StripOf(3, 1, {0x00, 0xF8, 0xE0, 0x07, 0x1F, 0x00}));
    EXPECT_EQ(ToVec(rgb).size(), 66u);
    EXPECT_EQ(ByteVec(rgb.begin() + 54, rgb.end()),
              (ByteVec{0x00, 0x00, 0xF8, 0x00, 0xFC, 0x00, 0xF8, 0x00, 0x00, 0, 0, 0}));

    const Bytes tall = Build16BitImage(StripOf(1, 2, {0xFF, 0xFF, 0x00, 0x00}));
    EXPECT_EQ(ByteVec(tall.begin() + 54, tall.end()), (ByteVec{0, 0, 0, 0, 0xF8, 0xFC, 0xF8, 0}));
}

TEST(BmpImage, ColorSplitMatchesTheBitWeights) {
    for (unsigned v = 0; v < 65536; ++v) {
        const auto low = static_cast<std::uint8_t>(v), high = static_cast<std::uint8_t>(v >> 8);
        int blue = 0, green = 0, red = 0;
        for (int b = 0; b < 5; ++b) blue += (low >> b & 1) << b;
        for (int b = 5; b < 8; ++b) green += (low >> b & 1) << (b - 5);
        for (int b = 0; b < 3; ++b) green += (high >> b & 1) << (b + 3);
        for (int b = 3; b < 8; ++b) red += (high >> b & 1) << (b - 3);
        std::uint8_t r, g, bl;
        Color16ToRGB(low, high, r, g, bl);
        ASSERT_EQ(bl, std::lround(blue / 32.0 * 256)) << v;
        ASSERT_EQ(g, std::lround(green / 64.0 * 256)) << v;
        ASSERT_EQ(r, std::lround(red / 32.0 * 256)) << v;
    }
}

TEST(BmpImage, BuildersRefuseStripsTheyCannotDraw) {
    const ByteVec four(4, 1);
    const std::vector<std::pair<const char*, TStrip>> cases = {
        {"negative width", StripOf(-1, 1, four)},
        {"negative height", StripOf(1, -4, four)},
        {"pixels missing", StripOf(3, 2, four)},
        {"too large for the format", StripOf(1 << 16, 1 << 15, four)},
    };
    for (const auto& [name, strip] : cases) {
        SCOPED_TRACE(name);
        EXPECT_THROW(Build8BitImage(strip, TPalette{}), EToolkitError);
        EXPECT_THROW(Build16BitImage(strip), EToolkitError);
    }
}

TEST(FontInfo, ShowsDepthAndCount) {
    for (std::int32_t count : {95, 1, 0, -3}) {
        TSftFont font;
        font.CharCount = count;
        RecordingList info;
        info.lines = {"stale"};
        std::unique_ptr<TBitmap> bmp;
        Show8BitFont(bmp, font, TPalette{}, info);
        EXPECT_EQ(info.lines, (std::vector<std::string>{"8-bit font", std::to_string(count) + " characters"}));
        ASSERT_TRUE(bmp);
        EXPECT_EQ(bmp->FileBytes().size(), 1078u);
        Show16BitFont(bmp, font, info);
        EXPECT_EQ(info.lines, (std::vector<std::string>{"16-bit font", std::to_string(count) + " characters"}));
        EXPECT_EQ(bmp->FileBytes().size(), 54u);
    }
}

TEST(PictureObject, HoldsAndExportsTheBuiltImage) {
    const ByteVec px8 = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    const ByteVec px16(2 * 5 * 2, 0x5A);
    const std::vector<std::pair<Bytes, int>> images = {
        {Build8BitImage(StripOf(5, 2, px8), PatternPalette(4)), 8},
        {Build16BitImage(StripOf(5, 2, px16)), 24},
        {Build8BitImage(StripOf(0, 0, {}), TPalette{}), 8},
        {Build16BitImage(StripOf(0, 3, {})), 24},
    };
    for (const auto& [image, bits] : images) {
        TBitmap bmp;
        bmp.LoadFromStream(image);
        EXPECT_EQ(bmp.Width(), GetI32(image.data() + 18));
        EXPECT_EQ(bmp.Height(), GetI32(image.data() + 22));
        EXPECT_EQ(bmp.BitCount(), bits);
        EXPECT_EQ(bmp.FileBytes(), image);
    }
}

TEST(PictureObject, ScanLinesAreTopDown) {
    TBitmap bmp;
    bmp.LoadFromImage(Build8BitImage(StripOf(2, 3, {1, 2, 3, 4, 5, 6}), TPalette{}));
    ASSERT_NE(bmp.ScanLine(0), nullptr);
    EXPECT_EQ(bmp.ScanLine(0)[1], 2);
    EXPECT_EQ(bmp.ScanLine(2)[0], 5);
    EXPECT_EQ(bmp.ScanLine(3), nullptr);
    EXPECT_EQ(bmp.ScanLine(-1), nullptr);
    EXPECT_EQ(bmp.ColorTable().size(), 1024u);
}

TEST(PictureObject, CopiesOutliveTheOriginal) {
    auto original = std::make_unique<TBitmap>();
    original->LoadFromImage(Build16BitImage(StripOf(1, 1, {0xFF, 0xFF})));
    const TBitmap copy = *original;
    original.reset();
    ASSERT_NE(copy.ScanLine(0), nullptr);
    EXPECT_EQ(copy.ScanLine(0)[1], 0xFC);
}

TEST(PictureObject, RefusesInvalidStreamsAndKeepsItsImage) {
    const Bytes good = Build8BitImage(StripOf(2, 2, {1, 2, 3, 4}), TPalette{});
    auto broken = [&](std::size_t at, std::uint32_t v) {
        Bytes b = good;
        PutU32(b.data() + at, v);
        return b;
    };
    const std::vector<std::pair<const char*, Bytes>> cases = {
        {"not BM", Bytes{'P', 'K', 3, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {"file header only", Bytes(good.begin(), good.begin() + 14)},
        {"rows cut short", Bytes(good.begin(), good.end() - 1)},
        {"other info header", broken(14, 108)},
        {"compressed", broken(30, 1)},
        {"top-down", broken(22, std::uint32_t(-2))},
        {"negative width", broken(18, std::uint32_t(-2))},
        {"16 bits", broken(28, 16)},
        {"more than 256 colours", broken(46, 257)},
        {"huge height", broken(22, 0x7FFFFFFF)},
    };
    TBitmap bmp;
    bmp.LoadFromStream(Build16BitImage(StripOf(1, 1, {1, 1})));
    const Bytes before = bmp.FileBytes();
    for (const auto& [name, stream] : cases) {
        SCOPED_TRACE(name);
        try {
            bmp.LoadFromStream(stream);
            ADD_FAILURE() << "accepted";
        } catch (const EToolkitError& e) {
            EXPECT_STREQ(e.what(), "Bitmap image is not valid");
        }
        EXPECT_EQ(bmp.FileBytes(), before);
        EXPECT_EQ(bmp.Width(), 1);
    }
    bmp.LoadFromStream({});
    EXPECT_TRUE(bmp.Empty());
    EXPECT_EQ(bmp.Width(), 0);
}

TEST(PictureObject, SavesExactBytesAndReplacesAtomically) {
    TempDir dir;
    TBitmap bmp;
    const Bytes image = Build8BitImage(StripOf(3, 3, {1, 2, 3, 4, 5, 6, 7, 8, 9}), PatternPalette(2));
    bmp.LoadFromStream(image);
    WriteFile(dir.Path("a.BMP"), ByteVec(5000, 0xEE));
    bmp.SaveToFile(dir.Path("a.BMP"));
    bmp.SaveToFile(dir.Path("b.BMP"));
    EXPECT_EQ(ReadFile(dir.Path("a.BMP")), ToVec(image));
    EXPECT_EQ(ReadFile(dir.Path("b.BMP")), ToVec(image));
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"a.BMP", "b.BMP"}));
}

TEST(PictureObject, SaveFailuresReportAndLeaveNoTrace) {
    TempDir dir;
    TBitmap bmp;
    bmp.LoadFromStream(Build16BitImage(StripOf(1, 1, {1, 2})));
    ASSERT_EQ(::mkdir(dir.Path("sub").c_str(), 0700), 0);
    const std::vector<std::string> targets = {dir.Path("missing/x.BMP"), dir.Path("sub"), ""};
    for (const auto& target : targets) {
        try {
            bmp.SaveToFile(target);
            ADD_FAILURE() << target;
        } catch (const EToolkitError& e) {
            EXPECT_EQ(std::string(e.what()), "Cannot create file " + target);
        }
    }
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"sub"});

    const TBitmap empty;
    EXPECT_THROW(empty.SaveToFile(dir.Path("empty.BMP")), EToolkitError);
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"sub"});
}

// Saves under a file-size limit in a child, so that the limit doesn't reach
// the rest of the tests; returns what the save threw.
std::string SaveUnderSizeLimit(const TBitmap& bmp, const std::string& path, rlim_t limit) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) return "pipe failed";
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeFds[0]);
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit lim{limit, limit};
        ::setrlimit(RLIMIT_FSIZE, &lim);
        std::string what = "no error";
        try {
            bmp.SaveToFile(path);
        } catch (const EToolkitError& e) {
            what = e.what();
        }
        (void)!::write(pipeFds[1], what.data(), what.size());
        ::_exit(0);
    }
    ::close(pipeFds[1]);
    std::string what;
    char buf[256];
    for (ssize_t n; (n = ::read(pipeFds[0], buf, sizeof buf)) > 0;) what.append(buf, std::size_t(n));
    ::close(pipeFds[0]);
    ::waitpid(child, nullptr, 0);
    return what;
}

TEST(PictureObject, ShortWriteLeavesNoTrace) {
    TempDir dir;
    const ByteVec previous(1500, 0x77);
    WriteFile(dir.Path("old.BMP"), previous);
    TBitmap bmp;
    const ByteVec px(100 * 100, 3);
    bmp.LoadFromStream(Build8BitImage(StripOf(100, 100, px), TPalette{}));

    EXPECT_EQ(SaveUnderSizeLimit(bmp, dir.Path("old.BMP"), 2000), "Stream write error");
    EXPECT_EQ(ReadFile(dir.Path("old.BMP")), previous);
    EXPECT_EQ(SaveUnderSizeLimit(bmp, dir.Path("new.BMP"), 2000), "Stream write error");
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"old.BMP"});
    EXPECT_EQ(SaveUnderSizeLimit(bmp, dir.Path("new.BMP"), 1 << 20), "no error");
    EXPECT_EQ(ReadFile(dir.Path("new.BMP")), ToVec(bmp.FileBytes()));
}

TEST(PictureObject, ReplacedFileKeepsItsPermissions) {
    TempDir dir;
    TBitmap bmp;
    bmp.LoadFromStream(Build16BitImage(StripOf(1, 1, {1, 2})));
    WriteFile(dir.Path("x.BMP"), {1});
    ASSERT_EQ(::chmod(dir.Path("x.BMP").c_str(), 0640), 0);
    bmp.SaveToFile(dir.Path("x.BMP"));
    struct stat st {};
    ASSERT_EQ(::stat(dir.Path("x.BMP").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST(ExportName, ProposalAndFolder) {
    struct Case {
        const char* font;
        const char* lastDir;
        const char* proposal;
    };
    const std::vector<Case> cases = {
        {"/fonts/main.sft", "", "main.BMP"},
        {"/fonts/title.sft", "/out/", "/out/title.BMP"},
        {"/fonts/FONT", "", "FONT.BMP"},
        {"/fonts/a.b.sft", "", "a.b.BMP"},
        {"/fonts/x.sft.y.sft", "", "x.sft.y.BMP"},
        {"/fonts/MAIN.SFT", "", "MAIN.BMP"},
        {"/fonts/c:d.sft", "", "c:d.BMP"},
        {"/fonts.d/plain", "/o/", "/o/plain.BMP"},
        {"bare.sft", "", "bare.BMP"},
    };
    for (const auto& c : cases) EXPECT_EQ(ProposedExportName(c.font, c.lastDir), c.proposal) << c.font;

    EXPECT_EQ(FolderOf("/out/x.BMP"), "/out/");
    EXPECT_EQ(FolderOf("/a/b/c:d.BMP"), "/a/b/");
    EXPECT_EQ(FolderOf("x.BMP"), "");
    EXPECT_EQ(FolderOf("/x.BMP"), "/");
}

}  // namespace
