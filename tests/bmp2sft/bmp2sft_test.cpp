#include <gtest/gtest.h>

#include <QImage>
#include <functional>
#include <random>

#include "font/editfont.h"
#include "pngwrite.h"
#include "runtool.h"

namespace {

ToolResult RunOk(const char* program, const std::string& cwd, std::vector<std::string> args) {
    const ToolResult r = RunTool(program, cwd, std::move(args));
    EXPECT_EQ(r.code, 0) << r.err;
    return r;
}

// A font with random headers, ranges (empty and overlapping ones among them),
// entries and pixels.
ByteVec RandomFont(std::mt19937& rng, std::int32_t bpp) {
    auto any = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    SftWriter f;
    const int ranges = any(0, 5);
    f.Header(ranges);
    int first = any(0, 65535);
    for (int r = 0; r < ranges; ++r) {
        first = any(0, 3) == 0 ? first : any(1, 65535);  // now and then the same codes again
        const int last = std::min(65535, first + any(-1, 40));
        f.Range(std::uint16_t(first), std::uint16_t(last), any(-100, 100), any(-5, 30));
    }
    const std::int32_t w = any(1, 60), h = any(1, 6);
    ByteVec file = f.StripHeader(bpp).Size(w, h).Bytes();
    const std::size_t strip = file.size() - 136;  // and bytes of the file header
    for (std::size_t i : {4ul, 8ul, 19ul, 24ul, 39ul, strip, strip + 35, strip + 40, strip + 127})
        file[i] = std::uint8_t(any(0, 255));
    for (int i = 0; i < w * h * bpp / 8; ++i) file.push_back(std::uint8_t(any(0, 255)));
    return file;
}

// The same picture in every PNG form gives byte for byte the font its BMP
// gives: grey forms a black and white picture, the others one of two colours,
// each with and without interlacing, gAMA and a tRNS that no pixel uses. An
// indexed picture whose palette marks the used entries transparent keeps its
// indices for an 8-bit font.
TEST(Bmp2sft, EveryPngFormGivesTheSameFont) {
    TempDir dir;
    constexpr int w = 13, h = 5;
    const auto level = [](int x, int y) { return (x * 3 + y) % 4 == 0 ? 1 : 0; };
    for (const bool grey : {true, false}) {
        // 5-6-5 values and the 8-bit colours that show them.
        const std::uint16_t value[2] = {grey ? std::uint16_t(0) : std::uint16_t(0x1234), 0xFFFF};
        const int rgb[2][3] = {{grey ? 0 : 16, grey ? 0 : 68, grey ? 0 : 160},
                               {grey ? 255 : 248, grey ? 255 : 252, grey ? 255 : 248}};
        int whites = 0;  // grey's white loses bits to 5-6-5
        for (int i = 0; i < w * h; ++i) whites += level(i % w, i / w);
        const std::string note =
            grey ? "f.png: note: " + std::to_string(whites) + " pixels lost bits to 5-6-5 colour\n"
                 : "";
        ByteVec font = MakeFont(16, w, h, 65, 66);
        for (int i = 0; i < w * h; ++i) {
            font[font.size() - 2 * std::size_t(w * h) + 2 * std::size_t(i)] =
                std::uint8_t(value[level(i % w, i / w)]);
            font[font.size() - 2 * std::size_t(w * h) + 2 * std::size_t(i) + 1] =
                std::uint8_t(value[level(i % w, i / w)] >> 8);
        }
        WriteFile(dir.Path("f.sft"), font);
        RunOk(SFT2BMP_PATH, dir.Dir(), {"f.sft"});
        RunOk(BMP2SFT_PATH, dir.Dir(), {"--font", "f.sft", "-o", "b.sft", "f.BMP"});
        ASSERT_EQ(ReadFile(dir.Path("b.sft")), font);
        std::vector<PngForm> forms;
        for (int depth : {1, 2, 4, 8, 16})
            for (int type : grey ? std::vector<int>{0, 4} : std::vector<int>{2, 3, 6})
                if ((type == 0 || type == 3 || depth >= 8) && !(type == 3 && depth == 16))
                    for (int k = 0; k < 4; ++k)
                        forms.push_back({type, depth, k % 2 == 1, k / 2 == 1});
        for (const PngForm& f : forms) {
            SCOPED_TRACE(testing::Message() << "type " << f.type << " depth " << f.depth << " "
                                            << f.interlaced << f.gamma);
            const int most = (1 << f.depth) - 1;
            const auto sample = [&](int x, int y, int c) {
                const int l = level(x, y);
                if (f.type == 3) return l;
                if ((f.type == 4 && c == 1) || (f.type == 6 && c == 3)) return most;  // alpha
                return f.depth == 1 ? l : rgb[l][f.type == 2 || f.type == 6 ? c : 0] * most / 255;
            };
            std::vector<png_color> palette = {
                {png_byte(rgb[0][0]), png_byte(rgb[0][1]), png_byte(rgb[0][2])},
                {png_byte(rgb[1][0]), png_byte(rgb[1][1]), png_byte(rgb[1][2])}};
            std::vector<png_byte> alpha;
            if (f.type == 3 && f.depth > 1) palette.push_back({1, 2, 3}), alpha = {255, 255, 0};
            png_color_16 key{};
            key.gray = key.red = key.green = key.blue = png_uint_16(f.depth == 1 ? 0 : 1);
            const bool keyed = f.depth > 1 && (f.type == 0 || f.type == 2);
            WriteFile(dir.Path("f.png"),
                      WritePng(f, w, h, sample, f.type == 3 ? palette : std::vector<png_color>{},
                               alpha, keyed ? &key : nullptr));
            ExpectRuns(BMP2SFT_PATH, dir,
                       {{{"--font", "f.sft", "-o", "p.sft", "f.png"}, 0, note, {{"p.sft", font}}}});
        }
    }
    // Indices through transparent entries, at every depth of a palette.
    ByteVec font8 = MakeFont(8, w, h, 65, 66);
    for (int i = 0; i < w * h; ++i)
        font8[font8.size() - std::size_t(w * h) + std::size_t(i)] =
            std::uint8_t(level(i % w, i / w));
    WriteFile(dir.Path("f8.sft"), font8);
    for (int depth : {1, 2, 4, 8}) {
        WriteFile(dir.Path("t.png"),
                  WritePng({3, depth}, w, h, [&](int x, int y, int) { return level(x, y); },
                           {{0, 0, 0}, {9, 9, 9}}, {0, 0}));
        ExpectRuns(BMP2SFT_PATH, dir,
                   {{{"--font", "f8.sft", "-o", "p.sft", "t.png"}, 0, "", {{"p.sft", font8}}}});
    }
}

// An 8-bit picture re-saved by ImageMagick as RLE8, every row written to its
// padded width (16 pixels for 15), gives the font back.
TEST(Bmp2sft, ReadsImageMagicksRle) {
    TempDir dir;
    std::mt19937 rng(3);
    ByteVec font = MakeFont(8, 15, 4, 65, 66);
    for (std::size_t i = font.size() - 60; i < font.size(); ++i) font[i] = std::uint8_t(rng() % 5);
    WriteFile(dir.Path("f.sft"), font);
    WriteFile(dir.Path("pal.cmp"), MakeCMP(PatternPalette(1)));
    RunOk(SFT2BMP_PATH, dir.Dir(), {"--cmp", "pal.cmp", "f.sft"});
    RunOk("/usr/bin/convert", dir.Dir(), {"f.BMP", "-compress", "RLE", "BMP3:rle.bmp"});
    ASSERT_EQ(ReadFile(dir.Path("rle.bmp"))[30], 1);  // RLE8
    ExpectRuns(BMP2SFT_PATH, dir,
               {{{"--font", "f.sft", "-o", "p.sft", "rle.bmp"}, 0, "", {{"p.sft", font}}}});
}

// sft2bmp then bmp2sft --font gives the font back byte for byte; through the
// JSON table instead, a font with the same table, headers and pixels. An 8-bit
// picture in RGB comes back through its palette.
TEST(Bmp2sft, RoundTripsThroughPictureAndJson) {
    std::mt19937 rng(7);
    for (int round = 0; round < 24; ++round) {
        SCOPED_TRACE(round);
        const std::int32_t bpp = round % 2 ? 16 : 8;
        TempDir dir;
        const ByteVec font = RandomFont(rng, bpp);
        WriteFile(dir.Path("f.sft"), font);
        WriteFile(dir.Path("pal.cmp"), MakeCMP(PatternPalette(std::uint8_t(round))));
        RunOk(SFT2BMP_PATH, dir.Dir(), {"--cmp", "pal.cmp", "f.sft"});
        RunOk(BMP2SFT_PATH, dir.Dir(), {"--font", "f.sft", "-o", "a.sft", "f.BMP"});
        EXPECT_EQ(ReadFile(dir.Path("a.sft")), font);

        WriteFile(dir.Path("f.json"), [&] {
            const std::string js = RunOk(SFT2BMP_PATH, dir.Dir(), {"--json", "f.sft"}).out;
            return ByteVec(js.begin(), js.end());
        }());
        ASSERT_TRUE(QImage(QString::fromStdString(dir.Path("f.BMP")))
                        .convertToFormat(QImage::Format_ARGB32)
                        .save(QString::fromStdString(dir.Path("f.png"))));
        RunOk(BMP2SFT_PATH, dir.Dir(),
              {"--table", "f.json", "--cmp=pal.cmp", "-o", "b.sft", bpp == 8 ? "f.png" : "f.BMP"});
        TEditedFont a, b;
        ASSERT_TRUE(a.Load(dir.Path("f.sft")) && b.Load(dir.Path("b.sft")));
        TSftFont read = b.Font();
        std::copy_n(a.Font().Header.begin() + 20, 4, read.Header.begin() + 20);  // RangeCount
        EXPECT_TRUE(a.Font() == read && a.Table() == b.Table());
    }
}

// Each refusal: its status and message, and nothing written; what --nearest writes.
TEST(Bmp2sft, RefusesAndWritesNothing) {
    TempDir dir;
    WriteFile(dir.Path("f8.sft"), MakeFont(8, 4, 2, 65, 66));
    WriteFile(dir.Path("f16.sft"), MakeFont(16, 4, 2, 65, 66));
    WriteFile(dir.Path("bad.sft"), {'S', 'F', 'N', 'X'});
    const ByteVec f16 = ReadFile(dir.Path("f16.sft"));
    WriteFile(dir.Path("cut.sft"), ByteVec(f16.begin(), f16.end() - 1));  // its strip short
    TPalette palette = PatternPalette(0);
    WriteFile(dir.Path("pal.cmp"), MakeCMP(palette));
    const auto text = [&](const char* name, const std::string& s) {
        WriteFile(dir.Path(name), ByteVec(s.begin(), s.end()));
    };
    text("nodepth.json", R"({"characters": []})");
    text("depth.json", R"({"bits_per_pixel": 12, "characters": []})");
    text("hex.json", R"({"bits_per_pixel": 8, "header": "53464e54", "characters": []})");
    text("header.json",
         R"({"bits_per_pixel": 8, "header": ")" + std::string(80, 'A') + R"(", "characters": []})");
    text("code.json",
         R"([{"bits_per_pixel": 8, "characters": [{"code": 65536, "x": 0, "extra": 0}]}])");
    text("x.json", R"({"characters": [{"code": 1, "x": 2147483648, "extra": 0}]})");
    std::string many = R"({"characters": [)";
    for (int i = 0; i < 257; ++i)
        many += std::string(i ? "," : "") + R"({"code":1,"x":0,"extra":0})";
    text("many.json", many + "]}");
    // 4 x 2 pictures: palette colours (entry 0 once, 7 elsewhere), one colour off
    // the palette, one pixel see-through.
    QImage rgb(4, 2, QImage::Format_ARGB32);
    const auto entry = [&](int k) {
        return qRgb(palette[3 * k], palette[3 * k + 1], palette[3 * k + 2]);
    };
    rgb.fill(entry(7));
    rgb.setPixel(2, 1, entry(0));
    rgb.save(QString::fromStdString(dir.Path("rgb.png")));
    rgb.setPixel(3, 0, qRgb(1, 2, 3));
    rgb.save(QString::fromStdString(dir.Path("off.png")));
    rgb.setPixel(1, 1, qRgba(0, 0, 0, 254));
    rgb.save(QString::fromStdString(dir.Path("alpha.png")));
    rgb.setPixel(1, 1, entry(0));
    rgb.save(QString::fromStdString(dir.Path("full.bmp")));
    const ByteVec bmp = ReadFile(dir.Path("full.bmp"));
    WriteFile(dir.Path("short.bmp"), ByteVec(bmp.begin(), bmp.end() - 1));
    // Damaged PNGs: cut short, and a byte of the pixels changed.
    ByteVec png = ReadFile(dir.Path("rgb.png"));
    WriteFile(dir.Path("cut.png"),
              ByteVec(png.begin(), png.begin() + std::ptrdiff_t(png.size() / 2)));
    png[png.size() - 20] ^= 1;
    WriteFile(dir.Path("crc.png"), png);
    // 56 bytes whose header claims 12074 x 20512 pixels (a fuzzer's find).
    WriteFile(dir.Path("huge.bmp"),
              {'B', 'M', 'N',  0,    0,    0,    0,    3,    0,    't',  0x1c, 'R', 0xbc, 'S',
               0,   0,   0x2f, 0x09, 0x2a, 0x2f, 0x20, 0x50, 0x01, 0,    0x18, 0,   0,    0,
               0,   0,   0x18, 0,    0x96, 0,    0,    0,    0,    0,    0,    0,   0,    0,
               'N', 0,   0,    0,    0x36, 0,    0x08, 0x01, 0x10, 0xff, 'N',  'D', 0,    0});

    // With --nearest: the font's table and headers, the picture's size, a note.
    ByteVec nearest = MakeFont(8, 4, 2, 65, 66);
    const ByteVec moved = {7, 7, 7, 0, 7, 7, 0, 7};
    std::copy(moved.begin(), moved.end(), nearest.end() - 8);
    const std::string usage = "Usage: bmp2sft";
    ExpectRuns(
        BMP2SFT_PATH, dir,
        {
            {{"--font=f8.sft", "--cmp=pal.cmp", "--nearest", "-o", "o.sft", "off.png"},
             0,
             "off.png: note: 1 pixels moved to the nearest palette colour\n",
             {{"o.sft", nearest}}},
            {{"-o", "o.sft", "rgb.png"}, 2, "bmp2sft: give --font or --table\n" + usage},
            {{"--font", "f8.sft", "rgb.png"},
             2,
             "bmp2sft: give the font to write with -o\n" + usage},
            {{"--font", "f8.sft", "-o", "o.sft"}, 2, "bmp2sft: no picture given\n" + usage},
            {{"--font", "f8.sft", "-o", "./f8.sft", "rgb.png"},
             2,
             "bmp2sft: -o ./f8.sft is one of the inputs\n" + usage},
            {{"--font", "f8.sft", "--cmp", "pal.cmp", "--bm", "x", "-o", "o.sft", "rgb.png"},
             2,
             "bmp2sft: "},
            {{"--font", "no.sft", "-o", "o.sft", "rgb.png"},
             1,
             "no.sft: No such file or directory\n"},
            {{"--font", "bad.sft", "-o", "o.sft", "rgb.png"}, 1, "bad.sft: Invalid SFT file!\n"},
            {{"--font", "cut.sft", "-o", "o.sft", "full.bmp"}, 1, "cut.sft: Invalid SFT file!\n"},
            {{"--font", "f8.sft", "--bm", "pal.cmp", "-o", "o.sft", "rgb.png"},
             1,
             "pal.cmp: Invalid BM file!\n"},
            {{"--table", "depth.json", "-o", "o.sft", "rgb.png"},
             1,
             "depth.json: bits_per_pixel is neither 8 nor 16\n"},
            {{"--table", "hex.json", "-o", "o.sft", "rgb.png"},
             1,
             "hex.json: \"header\" is not 80 hex digits\n"},
            {{"--table", "header.json", "-o", "o.sft", "rgb.png"},
             1,
             "header.json: the header does not begin with SFNT\n"},
            {{"--table", "nodepth.json", "-o", "o.sft", "rgb.png"},
             1,
             "nodepth.json: no bits_per_pixel: give --font, or a table from sft2bmp --json\n"},
            {{"--table", "code.json", "-o", "o.sft", "rgb.png"},
             1,
             "code.json: character 1: code is not a whole number from 0 to 65535\n"},
            {{"--font", "f8.sft", "--table", "x.json", "-o", "o.sft", "rgb.png"},
             1,
             "x.json: character 1: x is not a whole number from -2147483648 to 2147483647\n"},
            {{"--font", "f8.sft", "--table", "many.json", "-o", "o.sft", "rgb.png"},
             1,
             "many.json: the table has 257 characters; a font holds at most 256\n"},
            {{"--font", "f8.sft", "-o", "o.sft", "rgb.png"},
             1,
             "rgb.png: the picture has colours, not palette indices: give the palette to match "
             "them "
             "with --cmp FILE or --bm FILE\n"},
            {{"--font", "f8.sft", "--cmp", "pal.cmp", "-o", "o.sft", "off.png"},
             1,
             "off.png: 1 pixel of colours the palette doesn't hold, the first at (3, 0) (--nearest "
             "takes the nearest)\n"},
            {{"--font", "f16.sft", "-o", "o.sft", "alpha.png"},
             1,
             "alpha.png: pixel (1, 1) is not fully opaque\n"},
            {{"--font", "f16.sft", "-o", "o.sft", "short.bmp"},
             1,
             "short.bmp: the file ends before its pixels do\n"},
            {{"--font", "f16.sft", "-o", "o.sft", "huge.bmp"},
             1,
             "huge.bmp: a BMP header of 154075136 bytes is unknown\n"},
            {{"--font", "f16.sft", "-o", "o.sft", "cut.png"},
             1,
             "cut.png: the file ends before its pixels do\n"},
            {{"--font", "f16.sft", "-o", "o.sft", "crc.png"},
             1,
             "crc.png: the PNG is damaged: IDAT: incorrect data check\n"},
            {{"--font", "f16.sft", "-o", "o.sft", "f8.sft"},
             1,
             "f8.sft: not a picture that can be read (BMP or PNG)\n"},
            {{"--font", "f16.sft", "-o", "no/o.sft", "full.bmp"},
             1,
             "no/o.sft: Cannot create file no/o.sft\n"},
        });
}

}  // namespace
