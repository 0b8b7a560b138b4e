#include <gtest/gtest.h>

#include <algorithm>

#include "alloc_probe.h"
#include "image/bmpread.h"
#include "testfiles.h"

namespace {

// A picture's rows (bottom first, unpadded; for RLE its data) and its pixels,
// top row first: colours, or index << 24 | the colour of a table of three.
struct Form {
    std::uint32_t info, bits, compression;
    std::int32_t width, height;
    std::vector<ByteVec> rows;
    std::vector<std::uint32_t> masks, want;  // masks after a 40-byte header, else within it
};
constexpr std::uint32_t I0 = 0x00102030, I1 = 0x01405060, I2 = 0x02708090;

ByteVec Make(Form f, bool topDown = false) {
    if (topDown) std::reverse(f.rows.begin(), f.rows.end());
    const bool core = f.info == 12;
    const auto head = core ? 12 : std::max(f.info, std::uint32_t(40 + 4 * f.masks.size()));
    const std::uint32_t at = 14 + head + (f.bits > 8 ? 0 : core ? 9 : 12);
    SftWriter w;
    w.U16('B' | 'M' << 8).I32(0).I32(0).Le(at, 4).Le(f.info, 4);
    if (core) w.U16(std::uint16_t(f.width)).U16(std::uint16_t(f.height)).U16(1).Le(f.bits, 2);
    if (!core) w.I32(f.width).I32(topDown ? -f.height : f.height).U16(1).Le(f.bits, 2);
    if (!core) w.Le(f.compression, 4).I32(0).I32(0).I32(0).I32(f.bits <= 8 ? 3 : 0).I32(0);
    for (std::uint32_t m : f.masks) w.Le(m, 4);
    while (w.Bytes().size() < 14 + head) w.Le(0, 1);
    for (std::uint32_t c : {I0, I1, I2}) w.Le(c, f.bits > 8 ? 0 : core ? 3 : 4);
    for (const ByteVec& row : f.rows) {
        for (std::uint8_t b : row) w.Le(b, 1);
        while ((w.Bytes().size() - at) % 4) w.Le(0, 1);
    }
    return w.Bytes();
}

// clang-format off
const std::vector<Form> kForms = {
    {40, 1, 0, 3, 2, {{0xA0}, {0x60}}, {}, {I0, I1, I1, I1, I0, I1}},
    {40, 4, 0, 3, 2, {{0x01, 0x20}, {0x15, 0x00}}, {}, {I1, 0x05000000, I0, I0, I1, I2}},
    {12, 8, 0, 3, 2, {{2, 1, 0}, {0, 0, 1}}, {}, {I0, I0, I1, I2, I1, I0}},
    {40, 8, 1, 3, 2, {{0, 3, 2, 1, 0, 0, 0, 0, 0, 2, 1, 0, 1, 2, 0, 1}}, {}, {I0, I2, I0, I2, I1, I0}},
    {40, 4, 2, 3, 2, {{3, 0x12, 0, 0, 0, 3, 0x20, 0x10, 0, 1}}, {}, {I2, I0, I1, I1, I2, I1}},
    {40, 16, 0, 3, 1, {{0xFF, 0x7F, 0x00, 0x7C, 0x21, 0x84}}, {}, {0xFFF8F8F8, 0xFFF80000, 0xFF080808}},
    {40, 16, 3, 3, 1, {{0x1F, 0, 0x41, 0x08, 0xDE, 0xF7}}, {0xF800, 0x07E0, 0x1F},
     {0xFF0000F8, 0xFF080808, 0xFFF0F8F0}},
    {124, 16, 3, 3, 1, {{0x23, 0xF1, 0x00, 0x80, 0x00, 0x7F}}, {0xF00, 0xF0, 0xF, 0xF000},
     {0xFF102030, 0x88000000, 0x77F00000}},
    {40, 24, 0, 3, 2, {{1, 2, 3, 4, 5, 6, 7, 8, 9}, {10, 11, 12, 13, 14, 15, 16, 17, 18}}, {},
     {0xFF0C0B0A, 0xFF0F0E0D, 0xFF121110, 0xFF030201, 0xFF060504, 0xFF090807}},
    {40, 32, 0, 1, 1, {{0xEF, 0xCD, 0xAB, 0x80}}, {}, {0xFFABCDEF}},
    {108, 32, 0, 1, 1, {{0xEF, 0xCD, 0xAB, 0x80}}, {0, 0, 0, 0xFF000000}, {0x80ABCDEF}},
    {52, 32, 3, 1, 1, {{0x01, 0x02, 0x08, 0x20}}, {0x3FF00000, 0xFFC00, 0x3FF}, {0xFF808080}},
    {40, 32, 6, 1, 1, {{0x33, 0x22, 0x11, 0x80}}, {0xFF, 0xFF00, 0xFF0000, 0xFF000000}, {0x80332211}},
    {40, 8, 0, 0, 2, {{}, {}}, {}, {}},
    // Rows padded to 4 pixels, as ImageMagick writes them: the fourth is dropped.
    {40, 8, 1, 3, 2, {{4, 1, 0, 0, 0, 4, 2, 0, 1, 2, 0, 1}}, {}, {I2, I0, I1, I1, I1, I1}},
    {40, 4, 2, 3, 2, {{4, 0x12, 0, 0, 0, 4, 0x20, 0x12, 0, 1}}, {}, {I2, I0, I1, I1, I2, I1}},
    {64, 8, 0, 3, 1, {{2, 1, 0}}, {}, {I2, I1, I0}},
};
// clang-format on

// Every form against pixels worked out by hand; stored top-down, the same.
TEST(BmpRead, DecodesEveryForm) {
    for (const Form& f : kForms)
        for (bool topDown : {false, true}) {
            if (topDown && (f.compression == 1 || f.compression == 2 || f.info == 12)) continue;
            const TImagePixels got = ReadBmp(Make(f, topDown));
            std::vector<std::uint32_t> seen(got.Colors.begin(), got.Colors.end());
            for (std::uint8_t k : got.Indices)
                seen.push_back(std::uint32_t(k) << 24 ^ got.ColorTable[k] ^ 0xFF000000u);
            EXPECT_EQ(std::tie(got.Width, got.Height, seen), std::tie(f.width, f.height, f.want))
                << f.info << " " << f.bits << " " << f.compression << " " << topDown;
            EXPECT_TRUE(BmpFormIsRead(Make(f)) && got.Indexed == (f.bits <= 8));
        }
}

// Each refusal says why and takes no memory for the pixels claimed; only
// forms that another decoder may read are left to it.
TEST(BmpRead, RefusesWithTheReasonAndNoMemory) {
    const auto edit = [](std::size_t k, auto field, auto v, bool topDown = false) {
        Form f = kForms[k];
        f.*field = v;
        return Make(f, topDown);
    };
    const ByteVec rgb = Make(kForms[8]), rle = Make(kForms[3]);
    // clang-format off
    const std::vector<std::tuple<ByteVec, std::string, bool>> cases = {
        {{'B'}, "not a BMP picture", false},
        {ByteVec(rgb.begin(), rgb.begin() + 30), "the file ends before its headers do", true},
        {ByteVec(rle.begin(), rle.begin() + 60), "the file ends before its colour table does", true},
        {ByteVec(rgb.begin(), rgb.end() - 4), "the file ends before its pixels do", true},
        {ByteVec(rgb.begin(), rgb.end() - 3), "accepted", true},  // the last padding left out
        {ByteVec(rle.begin(), rle.end() - 2), "the file ends before its pixels do", true},
        {edit(3, &Form::height, 1), "the RLE data runs past the picture's last row", true},
        {edit(16, &Form::compression, 3u), "an OS/2 BMP of Huffman or RLE24 compression can't be read", true},
        {edit(8, &Form::bits, 7u), "a BMP of 7 bits a pixel can't be read", true},
        {edit(8, &Form::compression, 1u), "BMP compression 1 doesn't go with 24 bits a pixel", true},
        {edit(8, &Form::compression, 9u), "BMP compression 9 is unknown", true},
        {edit(8, &Form::compression, 4u), "a BMP holding a JPEG or PNG picture can't be read", false},
        {edit(8, &Form::info, 60u), "a BMP header of 60 bytes is unknown", false},
        {edit(3, &Form::info, 40u, true), "an RLE-compressed BMP can't be stored top-down", true},
        {edit(8, &Form::width, -3), "a BMP can't be -3 pixels wide", true},
        {edit(8, &Form::height, INT32_MIN), "a BMP can't be 2147483648 pixels high", true},
        {edit(8, &Form::width, 1 << 30), "the file ends before its pixels do", true},
        {edit(3, &Form::width, 1 << 30), "a picture of 1073741824 x 2 pixels can't be held in 82 bytes", true},
    };
    // clang-format on
    for (const auto& [file, why, taken] : cases) {
        ResetLargestAllocation();
        std::string got = "accepted";
        try {
            ReadBmp(file);
        } catch (const EFontError& e) {
            got = e.what();
        }
        EXPECT_EQ(got, why);
        EXPECT_LT(LargestAllocation(), 4096u) << why;
        EXPECT_EQ(BmpFormIsRead(file), taken) << why;
    }
    // No rows, however wide: no row is held for the strip either.
    TImagePixels none;
    none.Width = 1 << 30;
    ResetLargestAllocation();
    EXPECT_EQ(ToFontPixels16(none).Pixels.size(), 0u);
    EXPECT_LT(LargestAllocation(), 4096u);
}

// Read from a file a band at a time, every form gives the pixels and the
// refusals it gives from memory, pictures of many bands among them: rows of
// 24 bits, and RLE8 whose runs cross the bands' edges.
TEST(BmpRead, ReadsAFileInBandsAsFromMemory) {
    std::vector<ByteVec> files;
    for (const Form& f : kForms) files.push_back(Make(f));
    Form wide{40, 24, 0, 3001, 100, {}, {}, {}}, runs{40, 8, 1, 1000, 300, {}, {}, {}};
    const auto sample = [](int y, int i) { return std::uint8_t(i * 7 + y); };
    for (int y = 0; y < 100; ++y) {
        wide.rows.emplace_back();
        for (int i = 0; i < 3 * 3001; ++i) wide.rows.back().push_back(sample(y, i));
    }
    const TImagePixels colors = ReadBmp(Make(wide));  // four pixels a step, and the rest
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 3001; ++x)
            ASSERT_EQ(colors.Colors[std::size_t((99 - y) * 3001 + x)],
                      0xFF000000u | std::uint32_t(sample(y, 3 * x + 2)) << 16 |
                          std::uint32_t(sample(y, 3 * x + 1)) << 8 | sample(y, 3 * x))
                << x << " " << y;
    runs.rows.emplace_back();
    for (int y = 0; y < 300; ++y) {
        for (int k = 0; k < 4; ++k) {
            runs.rows[0].insert(runs.rows[0].end(), {0, 250});
            for (int x = 0; x < 250; ++x) runs.rows[0].push_back(std::uint8_t(x * y + k));
        }
        runs.rows[0].insert(runs.rows[0].end(), {0, 0});
    }
    for (const Form& f : {wide, runs}) {
        const ByteVec file = Make(f);
        for (std::size_t cut : {0ul, 1ul, 2000ul})
            files.emplace_back(file.begin(), file.end() - cut);
    }
    TempDir dir;
    for (const ByteVec& file : files) {
        std::string want, got;
        TImagePixels fromMemory;
        try {
            fromMemory = ReadBmp(file);
        } catch (const EFontError& e) {
            want = e.what();
        }
        WriteFile(dir.Path("p.bmp"), file);
        ReadOnlyFile open;
        ASSERT_TRUE(open.Open(dir.Path("p.bmp")));
        TFileBands bands(open);
        TWholePicture whole;
        try {
            ReadBmpRows(bands, whole);
        } catch (const EFontError& e) {
            got = e.what();
        }
        const TImagePixels& p = whole.Picture;
        EXPECT_EQ(got, want) << file.size();
        if (want.empty()) {
            EXPECT_TRUE(p.Width == fromMemory.Width && p.Height == fromMemory.Height &&
                        p.Indices == fromMemory.Indices && p.Colors == fromMemory.Colors &&
                        p.ColorTable == fromMemory.ColorTable)
                << file.size();
        }
    }
}

}  // namespace
