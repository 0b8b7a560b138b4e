// Build Accented Characters for U+0100-U+017F, decomposed by Qt as the window
// does, on a font with the Latin letters and the marks, against Insert
// Character of as many glyphs, one after the other, in the same run.
#include <QString>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "median.h"
#include "session/session.h"

namespace {

constexpr std::int32_t kCell = 12, kHeight = 24;

TEditSession Opened() {
    std::vector<std::uint16_t> codes;
    for (char c = 'A'; c <= 'Z'; ++c)
        codes.push_back(std::uint16_t(c)), codes.push_back(std::uint16_t(c + 32));
    for (std::uint16_t c : {0x131, 0x237, 0x60, 0xB4, 0x2C6, 0x2DC, 0xAF, 0x2D8, 0x2D9, 0xA8, 0x2DA,
                            0x2DD, 0x2C7, 0xB8, 0x2DB})
        codes.push_back(c);
    const std::int32_t width = kCell * std::int32_t(codes.size());
    Bytes f(40, 0);
    std::copy_n("SFNT", 4, f.begin());
    PutI32(f.data() + 20, 1);
    const auto put = [&f](std::uint32_t v, int n) {
        for (int i = 0; i < n; ++i) f.push_back(std::uint8_t(v >> (8 * i)));
    };
    put(0, 2), put(std::uint32_t(codes.size() - 1), 2);
    for (std::size_t c = 0; c < codes.size(); ++c) put(std::uint32_t(c) * kCell, 4), put(kCell, 4);
    const std::size_t strip = f.size();
    f.resize(strip + 128, 0);
    PutI32(f.data() + strip + 36, 8);
    put(std::uint32_t(width), 4), put(kHeight, 4);
    // Letters in rows 8 to 19, marks in rows 2 to 4, each a block of ink.
    const std::size_t letters = 54;
    for (std::int32_t y = 0; y < kHeight; ++y)
        for (std::int32_t x = 0; x < width; ++x) {
            const bool letter = std::size_t(x / kCell) < letters,
                       inX = x % kCell >= 2 && x % kCell < 9;
            put(inX && (letter ? y >= 8 && y < 20 : y >= 2 && y < 5) ? 7 : 0, 1);
        }
    TEditedFont font;
    if (!font.Parse(f, "latin.sft")) std::abort();
    std::vector<TCharEntry> table;
    for (std::size_t c = 0; c < codes.size(); ++c)
        table.push_back({codes[c], std::int32_t(c) * kCell, kCell});
    font.SetTable(table);
    TEditSession s;
    s.Open(std::move(font));
    return s;
}

}  // namespace

int main() {
    TEditSession s = Opened();
    const std::size_t rows = s.Font().Table().size();
    std::size_t built = 0;
    const double build = Median(7, [&] {
        std::vector<TAccentRequest> asked;
        for (char32_t c = 0x100; c <= 0x17F; ++c)
            asked.push_back({c, QString::fromUcs4(&c, 1)
                                    .normalized(QString::NormalizationForm_D)
                                    .toStdU32String()});
        s.BuildAccented(std::move(asked));
        built = s.Font().Table().size() - rows;
        s.Undo();
    });
    const double insert = Median(7, [&] {
        for (std::size_t i = 0; i < built; ++i) s.InsertCharacter(0x1000 + std::int64_t(i), kCell);
        for (std::size_t i = 0; i < built; ++i) s.Undo();
    });
    const double ratio = build / insert;
    std::printf("Build Accented Characters U+0100-U+017F: %zu built in %.3f ms\n", built, build);
    std::printf("Insert Character %zu times: %.3f ms\n", built, insert);
    std::printf("ratio %.2f (target <= 5) %s\n", ratio, ratio <= 5 ? "ok" : "OVER");
    return s.Font().Table().size() == rows ? 0 : 1;
}
