#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <csignal>
#include <random>

#include "font/font.h"
#include "picture/picture.h"
#include "picture/rgba.h"
#include "picture/textpreview.h"
#include "testfiles.h"

namespace {

ByteVec ToVec(const Bytes& b) { return ByteVec(b.begin(), b.end()); }

TStrip StripOf(std::int32_t w, std::int32_t h, const ByteVec& pixels) {
    return TStrip{w, h, ByteSpan(pixels)};
}

ByteVec RandomBytes(std::size_t n, unsigned seed) {
    std::mt19937 rng(seed);
    ByteVec b(n);
    for (auto& v : b) v = static_cast<std::uint8_t>(rng());
    return b;
}

// Both builders against the decoding written from the format's definition,
// over widths that reach every padding and every place in a group of four.
TEST(BmpImage, MatchesTheReferenceForEverySize) {
    const TPalette palette = PatternPalette(17);
    for (int bpp : {8, 16})
        for (std::int32_t width : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 13, 600})
            for (std::int32_t height : {0, 1, 3}) {
                SCOPED_TRACE(testing::Message() << bpp << " bits, " << width << " x " << height);
                const ByteVec px = RandomBytes(std::size_t(width * height * bpp / 8),
                                               unsigned(width * 31 + height));
                const Bytes built = bpp == 8 ? Build8BitImage(StripOf(width, height, px), palette)
                                             : Build16BitImage(StripOf(width, height, px));
                ASSERT_EQ(ToVec(built), ReferenceBmp(bpp, width, height, px, palette));
            }
    // Every 16-bit value, in each place of a group of eight.
    ByteVec all(2 * 65536 + 14);
    for (unsigned v = 0; v < 65536; ++v)
        all[2 * v + 14] = std::uint8_t(v), all[2 * v + 15] = std::uint8_t(v >> 8);
    for (std::int32_t skip = 0; skip < 8; ++skip) {
        const ByteVec px(all.begin() + 2 * (7 - skip), all.end() - 2 * skip);
        const auto w = std::int32_t(px.size() / 2);
        ASSERT_EQ(ToVec(Build16BitImage(StripOf(w, 1, px))), ReferenceBmp(16, w, 1, px, {}))
            << skip;
    }
    // No row bytes at all: building must not walk the claimed rows.
    EXPECT_EQ(ToVec(Build8BitImage(StripOf(0, 0x7FFFFFFF, {}), palette)).size(), 1078u);
    EXPECT_EQ(ToVec(Build16BitImage(StripOf(0, 0x7FFFFFFF, {}))).size(), 54u);
}

TEST(BmpImage, BuildersRefuseStripsTheyCannotDraw) {
    const ByteVec four(4, 1);
    for (const TStrip& strip : {StripOf(-1, 1, four), StripOf(1, -4, four), StripOf(1, 5, four),
                                StripOf(1 << 16, 1 << 15, four)}) {
        EXPECT_THROW(Build8BitImage(strip, TPalette{}), EToolkitError);
        EXPECT_THROW(Build16BitImage(strip), EToolkitError);
    }
    // The largest sizes whose bfSize fits a signed 32-bit number, and one more.
    EXPECT_TRUE(ImageSizeFits(8, 4, (0x7FFFFFFF - 1078) / 4));
    EXPECT_FALSE(ImageSizeFits(8, 4, (0x7FFFFFFF - 1078) / 4 + 1));
    EXPECT_TRUE(ImageSizeFits(16, 4, (0x7FFFFFFF - 54) / 12));
    EXPECT_FALSE(ImageSizeFits(16, 4, (0x7FFFFFFF - 54) / 12 + 1));
}

// A font's picture, drawn from its pixels as it is read, is the image the
// builders make: its row parts, colour table, saved file and whole image.
TEST(PictureObject, AFontsPictureIsTheBuiltImage) {
    TempDir dir;
    const TPalette palette = PatternPalette(3);
    for (std::size_t b : {1, 3}) {
        const ByteVec file = MakeFont(b == 1 ? 8 : 16, 13, 3), want = ReferenceBmp(file, palette);
        const std::size_t off = b == 1 ? 1078 : 54, stride = (13 * b + 3) / 4 * 4;
        TSftFont font;
        TCharTable table{};
        SpanSource src(file);
        ASSERT_TRUE(ReadSFT(src, font, table, 255));
        TBitmap pic;
        pic.LoadFromFont(font, palette);
        const TBitmap copy = pic;
        for (const auto& [y, x, n, within] :
             std::vector<std::tuple<int, int, int, bool>>{{0, 0, 13, true},
                                                          {2, 12, 1, true},
                                                          {1, 4, 5, true},
                                                          {1, 13, 0, true},
                                                          {-1, 0, 1, false},
                                                          {3, 0, 1, false},
                                                          {0, -1, 1, false},
                                                          {0, 13, 1, false},
                                                          {0, 1, 13, false},
                                                          {0, 0, -1, false}}) {
            SCOPED_TRACE(testing::Message() << b << " bytes, row " << y << ", " << x << " + " << n);
            ByteVec got(40, 0xEE), rgba(60, 0xEE);
            ASSERT_EQ(pic.ReadRow(y, x, n, got.data()), within);
            // The screen's form: each pixel's colour as the file holds it.
            ASSERT_EQ(PictureRGBA(pic, x, y, n, 1, rgba.data()), within);
            EXPECT_EQ(rgba[within ? std::size_t(n) * 4 : 0], 0xEE);
            const std::size_t end = within ? std::size_t(n) * b : 0;
            EXPECT_EQ(got[end], 0xEE);  // nothing written beyond
            if (!within) continue;
            const auto row =
                want.begin() + std::ptrdiff_t(off + std::size_t(2 - y) * stride + x * b);
            EXPECT_EQ(ByteVec(got.begin(), got.begin() + std::ptrdiff_t(end)),
                      ByteVec(row, row + std::ptrdiff_t(end)));
            for (std::size_t c = 0; c < std::size_t(n); ++c) {
                const auto bgr = b == 1 ? want.begin() + std::ptrdiff_t(54 + 4 * row[c])
                                        : row + std::ptrdiff_t(3 * c);
                EXPECT_EQ(ByteVec(rgba.begin() + std::ptrdiff_t(4 * c),
                                  rgba.begin() + std::ptrdiff_t(4 * c + 4)),
                          (ByteVec{bgr[2], bgr[1], bgr[0], 255}));
            }
        }
        EXPECT_EQ(ByteVec(pic.ColorTable().begin(), pic.ColorTable().end()),
                  ByteVec(want.begin() + 54, want.begin() + std::ptrdiff_t(off)));
        pic.SaveToFile(dir.Path("f.BMP"));
        EXPECT_EQ(ReadFile(dir.Path("f.BMP")), want);
        // The whole image is built once, for every copy.
        EXPECT_EQ(ToVec(copy.FileBytes()), want);
        EXPECT_EQ(pic.ScanLine(2), copy.ScanLine(2));
        EXPECT_EQ(pic.ScanLine(2) - pic.ScanLine(1), -std::ptrdiff_t(stride));
    }
}

TEST(PictureObject, SavesExactBytesOrReportsAndLeavesNoTrace) {
    TempDir dir;
    TBitmap bmp;
    const ByteVec px = RandomBytes(9, 5);
    bmp.LoadFromStream(Build8BitImage(StripOf(3, 3, px), PatternPalette(2)));
    WriteFile(dir.Path("a.BMP"), ByteVec(5000, 0xEE));
    ASSERT_EQ(::chmod(dir.Path("a.BMP").c_str(), 0640), 0);
    ASSERT_EQ(::mkdir(dir.Path("sub").c_str(), 0700), 0);
    for (const std::string& target : {dir.Path("missing/x.BMP"), dir.Path("sub"), std::string()}) {
        try {
            bmp.SaveToFile(target);
            ADD_FAILURE() << target;
        } catch (const EToolkitError& e) {
            EXPECT_EQ(std::string(e.what()), "Cannot create file " + target);
        }
    }
    EXPECT_THROW(TBitmap().SaveToFile(dir.Path("empty.BMP")), EToolkitError);
    ASSERT_EQ(::symlink("a.BMP", dir.Path("link").c_str()), 0);
    bmp.SaveToFile(dir.Path("link"));  // replaces what the link points to, keeping its permissions
    bmp.SaveToFile(dir.Path("b.BMP"));
    EXPECT_EQ(ReadFile(dir.Path("a.BMP")), ReferenceBmp(8, 3, 3, px, PatternPalette(2)));
    EXPECT_EQ(ReadFile(dir.Path("b.BMP")), ReferenceBmp(8, 3, 3, px, PatternPalette(2)));
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"a.BMP", "b.BMP", "link", "sub"}));
    char link[8] = {};
    EXPECT_EQ(::readlink(dir.Path("link").c_str(), link, sizeof link - 1), 5);
    struct stat st {};
    ASSERT_EQ(::stat(dir.Path("a.BMP").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

// Saves under a file-size limit in a child, so that the limit doesn't reach
// the rest of the tests; returns what the save threw.
std::string SaveUnderSizeLimit(const TBitmap& bmp, const std::string& path, rlim_t limit) {
    int fds[2];
    if (::pipe(fds) != 0) return "pipe failed";
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(fds[0]);
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit lim{limit, limit};
        ::setrlimit(RLIMIT_FSIZE, &lim);
        std::string what = "no error";
        try {
            bmp.SaveToFile(path);
        } catch (const EToolkitError& e) {
            what = e.what();
        }
        (void)!::write(fds[1], what.data(), what.size());
        ::_exit(0);
    }
    ::close(fds[1]);
    std::string what;
    char buf[256];
    for (ssize_t n; (n = ::read(fds[0], buf, sizeof buf)) > 0;) what.append(buf, std::size_t(n));
    ::close(fds[0]);
    ::waitpid(child, nullptr, 0);
    return what;
}

TEST(PictureObject, ShortWriteLeavesNoTrace) {
    const ByteVec previous(1500, 0x77), file = MakeFont(8, 1000, 300);
    TSftFont font;
    TCharTable table{};
    SpanSource src(file);
    ASSERT_TRUE(ReadSFT(src, font, table, 255));
    // A loaded image goes out in one write; a font's picture is streamed, and
    // the limit stops it after its first piece of 256 KiB.
    TBitmap loaded, streamed;
    loaded.LoadFromStream(Build8BitImage(StripOf(100, 100, ByteVec(100 * 100, 3)), TPalette{}));
    streamed.LoadFromFont(font, TPalette{});
    for (const auto& [bmp, limit] :
         std::vector<std::pair<const TBitmap*, rlim_t>>{{&loaded, 2000}, {&streamed, 280000}}) {
        TempDir dir;
        WriteFile(dir.Path("old.BMP"), previous);
        EXPECT_EQ(SaveUnderSizeLimit(*bmp, dir.Path("old.BMP"), limit), "Stream write error");
        EXPECT_EQ(ReadFile(dir.Path("old.BMP")), previous);
        EXPECT_EQ(SaveUnderSizeLimit(*bmp, dir.Path("new.BMP"), limit), "Stream write error");
        EXPECT_EQ(dir.Entries(), std::vector<std::string>{"old.BMP"});
        EXPECT_EQ(SaveUnderSizeLimit(*bmp, dir.Path("new.BMP"), 1 << 20), "no error");
        EXPECT_EQ(ReadFile(dir.Path("new.BMP")), ToVec(bmp->FileBytes()));
    }
}

}  // namespace

// The preview's text kept across edits is the text split and measured whole:
// breaks typed, joined (CR then LF) and taken out, surrogate pairs cut, the
// layout changed between edits.
TEST(PreviewText, EditsGiveTheLinesOfTheWholeText) {
    const TTextLayout narrow(TStripGeometry(std::vector<TCharEntry>{{'a', 0, 0}, {'b', 5, 0}}, 12)),
        wide(TStripGeometry(std::vector<TCharEntry>{{'a', 0, 0}, {'b', 2, 0}}, 30));
    const std::u16string pieces[] = {u"a", u"b\r", u"\n", u"\r\n", u"ab\nb", u"\xD83D\xDE00", u""};
    std::mt19937 rng(7);
    TPreviewText kept;
    std::u16string whole;
    for (int step = 0; step < 400; ++step) {
        const std::size_t at = rng() % (whole.size() + 1), removed = rng() % 4;
        const std::u16string& typed = pieces[rng() % std::size(pieces)];
        kept.Replace(at, removed, typed);
        whole.replace(at, std::min(removed, whole.size() - at), typed);
        const TTextLayout& layout = step % 50 < 25 ? narrow : wide;
        if (step % 3) continue;  // several edits between looks
        std::u32string decoded;
        for (std::size_t i = 0; i < whole.size(); ++i) {
            const char32_t u = whole[i];
            const bool pair = u >= 0xD800 && u < 0xDC00 && i + 1 < whole.size() &&
                              whole[i + 1] >= 0xDC00 && whole[i + 1] < 0xE000;
            decoded += pair ? 0x10000 + ((u - 0xD800) << 10) + (whole[++i] - 0xDC00)
                       : u >= 0xD800 && u < 0xE000 ? 0xFFFD
                                                   : u;
        }
        const std::vector<std::u32string> lines = SplitLines(decoded);
        ASSERT_EQ(kept.Lines(0, SIZE_MAX), lines) << step;
        ASSERT_EQ(kept.Widths(layout), PreviewLineWidths(layout, lines)) << step;
        ASSERT_EQ(kept.Lines(1, 2), std::vector<std::u32string>(
                                        lines.begin() + std::min<std::size_t>(1, lines.size()),
                                        lines.begin() + std::min<std::size_t>(3, lines.size())));
    }
}
