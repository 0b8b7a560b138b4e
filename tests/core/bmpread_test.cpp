#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

#include "alloc_probe.h"
#include "bmpread.h"
#include "testfiles.h"

namespace {

struct Form {
    std::uint32_t info, bits, compression;
    std::int32_t width, height;
    std::vector<std::uint32_t> masks;  // after a 40-byte header, else within it
    std::vector<ByteVec> rows;         // bottom row first, unpadded; for RLE its data
    std::vector<std::uint32_t> want;   // top row first; indexed: index << 24 | its colour
};

// Colour table entries; an index past them is black.
const std::vector<std::uint32_t> kTable = {0x102030, 0x405060, 0x708090};
constexpr std::uint32_t I0 = 0x00102030, I1 = 0x01405060, I2 = 0x02708090;

ByteVec Make(const Form& f, bool topDown = false) {
    std::vector<ByteVec> rows = f.rows;
    if (topDown) std::reverse(rows.begin(), rows.end());
    ByteVec pixels;
    for (const ByteVec& r : rows) {
        pixels.insert(pixels.end(), r.begin(), r.end());
        pixels.resize((pixels.size() + 3) / 4 * 4);
    }
    SftWriter info, table;
    if (f.info == 12) info.U16(std::uint16_t(f.width)).U16(std::uint16_t(f.height)).U16(1);
    if (f.info == 12) info.U16(std::uint16_t(f.bits));
    if (f.info != 12)
        info.I32(f.width).I32(topDown ? -f.height : f.height).U16(1).U16(std::uint16_t(f.bits));
    if (f.info != 12)
        info.Le(f.compression, 4).Le(0, 4).Le(0, 4).Le(0, 4).Le(f.bits <= 8 ? 3 : 0, 4).Le(0, 4);
    for (std::uint32_t m : f.masks) info.Le(m, 4);
    while (info.Bytes().size() + 4 < f.info) info.Le(0, 1);
    for (std::uint32_t c : kTable) table.Le(c, f.bits > 8 ? 0 : f.info == 12 ? 3 : 4);
    const auto at = std::uint32_t(18 + info.Bytes().size() + table.Bytes().size());
    SftWriter file;
    file.Le('B' | 'M' << 8, 2).Le(at + std::uint32_t(pixels.size()), 4).Le(0, 4).Le(at, 4);
    ByteVec out = file.Le(f.info, 4).Bytes();
    for (const ByteVec* part : {&info.Bytes(), &table.Bytes(), &std::as_const(pixels)})
        out.insert(out.end(), part->begin(), part->end());
    return out;
}

ByteVec Le(int n, std::initializer_list<std::uint32_t> values) {
    SftWriter w;
    for (std::uint32_t v : values) w.Le(v, n);
    return w.Bytes();
}

std::vector<std::uint32_t> Seen(const TImagePixels& p) {
    std::vector<std::uint32_t> out;
    for (std::size_t i = 0; i < std::size_t(p.Width) * std::size_t(p.Height); ++i) {
        const std::uint8_t k = p.Indexed ? p.Indices[i] : 0;
        out.push_back(p.Indexed ? std::uint32_t(k) << 24 | (p.ColorTable[k] ^ 0xFF000000u)
                                : p.Colors[i]);
    }
    return out;
}

const std::vector<Form> kForms = {
    {40, 1, 0, 3, 2, {}, {{0xA0}, {0x60}}, {I0, I1, I1, I1, I0, I1}},
    {40, 4, 0, 3, 2, {}, {{0x01, 0x20}, {0x15, 0x00}}, {I1, 0x05000000, I0, I0, I1, I2}},
    {12, 8, 0, 3, 2, {}, {{2, 1, 0}, {0, 0, 1}}, {I0, I0, I1, I2, I1, I0}},
    {40,
     8,
     1,
     3,
     2,
     {},
     {{0, 3, 2, 1, 0, 0, 0, 0, 0, 2, 1, 0, 1, 2, 0, 1}},
     {I0, I2, I0, I2, I1, I0}},
    {40, 4, 2, 3, 2, {}, {{3, 0x12, 0, 0, 0, 3, 0x20, 0x10, 0, 1}}, {I2, I0, I1, I1, I2, I1}},
    {40,
     16,
     0,
     3,
     2,
     {},
     {Le(2, {0x7FFF, 0x7C00, 0x001F}), Le(2, {0x03E0, 0x0421, 0x8000})},
     {0xFF00F800, 0xFF080808, 0xFF000000, 0xFFF8F8F8, 0xFFF80000, 0xFF0000F8}},
    {40,
     16,
     3,
     3,
     2,
     {0xF800, 0x07E0, 0x001F},
     {Le(2, {0xFFFF, 0xF800, 0x07E0}), Le(2, {0x001F, 0x0841, 0xF7DE})},
     {0xFF0000F8, 0xFF080808, 0xFFF0F8F0, 0xFFF8FCF8, 0xFFF80000, 0xFF00FC00}},
    {124,
     16,
     3,
     3,
     2,
     {0xF00, 0xF0, 0xF, 0xF000},
     {Le(2, {0xFFFF, 0x7F00, 0x0000}), Le(2, {0xF123, 0x8000, 0xF00F})},
     {0xFF102030, 0x88000000, 0xFF0000F0, 0xFFF0F0F0, 0x77F00000, 0x00000000}},
    {40,
     24,
     0,
     3,
     2,
     {},
     {{1, 2, 3, 4, 5, 6, 7, 8, 9}, {10, 11, 12, 13, 14, 15, 16, 17, 18}},
     {0xFF0C0B0A, 0xFF0F0E0D, 0xFF121110, 0xFF030201, 0xFF060504, 0xFF090807}},
    {40, 32, 0, 2, 1, {}, {Le(4, {0x00123456, 0x80ABCDEF})}, {0xFF123456, 0xFFABCDEF}},
    {108,
     32,
     0,
     2,
     1,
     {0, 0, 0, 0xFF000000},
     {Le(4, {0x00123456, 0x80ABCDEF})},
     {0x00123456, 0x80ABCDEF}},
    {52, 32, 3, 1, 1, {0x3FF00000, 0xFFC00, 0x3FF}, {Le(4, {0x20080201})}, {0xFF808080}},
    {40, 32, 6, 1, 1, {0xFF, 0xFF00, 0xFF0000, 0xFF000000}, {Le(4, {0x80112233})}, {0x80332211}},
};

// Every form against pixels worked out by hand; stored top-down, the same.
TEST(BmpRead, DecodesEveryForm) {
    for (const Form& f : kForms) {
        SCOPED_TRACE(testing::Message() << f.info << " " << f.bits << " " << f.compression);
        const TImagePixels got = ReadBmp(Make(f));
        EXPECT_TRUE(BmpFormIsRead(Make(f)));
        EXPECT_EQ(std::make_tuple(got.Width, got.Height, got.Indexed, Seen(got)),
                  std::make_tuple(f.width, f.height, f.bits <= 8, f.want));
        if (f.compression != 1 && f.compression != 2 && f.info != 12) {
            EXPECT_EQ(Seen(ReadBmp(Make(f, true))), f.want);
        }
    }
}

// Each refusal says why and takes no memory for the pixels claimed; only
// forms that another decoder may read are left to it.
TEST(BmpRead, RefusesWithTheReasonAndNoMemory) {
    const auto edit = [](std::size_t k, auto change) {
        Form f = kForms[k];
        change(f);
        return Make(f);
    };
    const ByteVec rgb = Make(kForms[8]), rle = Make(kForms[3]);
    ByteVec past = rle, late = rgb;
    past[past.size() - 4] = 5;  // the run of 2 at the top row's second pixel
    late[10] = 20;
    const std::string cut = "the file ends before its ";
    const std::vector<std::tuple<ByteVec, std::string, bool>> cases = {
        {{'B'}, "not a BMP picture", false},
        {ByteVec(rgb.begin(), rgb.begin() + 30), cut + "headers do", true},
        {ByteVec(rle.begin(), rle.begin() + 60), cut + "colour table does", true},
        {ByteVec(rgb.begin(), rgb.end() - 4), cut + "pixels do", true},
        {ByteVec(rgb.begin(), rgb.end() - 3), "accepted", true},  // the last padding left out
        {ByteVec(rle.begin(), rle.end() - 2), cut + "pixels do", true},
        {past, "the RLE data runs past the picture's edge", true},
        {late, "the pixels are said to begin at byte 20, within the headers", true},
        {edit(8, [](Form& f) { f.bits = 7; }), "a BMP of 7 bits a pixel can't be read", true},
        {edit(8, [](Form& f) { f.compression = 1; }),
         "BMP compression 1 doesn't go with 24 bits a pixel", true},
        {edit(8, [](Form& f) { f.compression = 9; }), "BMP compression 9 is unknown", true},
        {edit(8, [](Form& f) { f.compression = 4; }),
         "a BMP holding a JPEG or PNG picture can't be read", false},
        {edit(8, [](Form& f) { f.info = 64; }), "a BMP header of 64 bytes is unknown", false},
        {Make(kForms[3], true), "an RLE-compressed BMP can't be stored top-down", true},
        {edit(8, [](Form& f) { f.width = -3; }), "a BMP can't be -3 pixels wide", true},
        {edit(8, [](Form& f) { f.height = INT32_MIN; }), "a BMP can't be 2147483648 pixels high",
         true},
        {edit(8, [](Form& f) { f.width = f.height = INT32_MAX; }), cut + "pixels do", true},
        {edit(3, [](Form& f) { f.width = f.height = 60000; }),
         "a picture of 60000 x 60000 pixels can't be held in " + std::to_string(rle.size()) +
             " bytes",
         true},
    };
    for (const auto& [file, why, taken] : cases) {
        SCOPED_TRACE(why);
        ResetLargestAllocation();
        std::string got = "accepted";
        try {
            ReadBmp(file);
        } catch (const EFontError& e) {
            got = e.what();
        }
        EXPECT_EQ(got, why);
        EXPECT_LT(LargestAllocation(), 4096u);
        EXPECT_EQ(BmpFormIsRead(file), taken);
    }
}

}  // namespace
