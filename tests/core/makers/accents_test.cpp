// Build Accented Characters: where the mark goes, when there is no room, and
// which characters are refused and why.
#include <gtest/gtest.h>

#include "session/session.h"
#include "testfiles.h"

namespace {

struct TBox {
    int X, Y, W, H;
};
using TPicture = std::string;  // a glyph's 12 rows of 7 columns, '#' for ink

TPicture Drawn(std::initializer_list<TBox> Boxes) {
    TPicture p(7 * 12, '.');
    for (const TBox& b : Boxes)
        for (int y = b.Y; y < b.Y + b.H; ++y)
            for (int x = b.X; x < b.X + b.W; ++x) p[std::size_t(y * 7 + x)] = '#';
    return p;
}

TEditSession FontOf(int Bits, const std::vector<std::pair<std::uint16_t, TPicture>>& Glyphs) {
    const std::size_t n = Glyphs.size(), b = std::size_t(Bits / 8);
    ByteVec file = SftWriter().Header(1).Range(1, 1).StripHeader(Bits).Size(7 * int(n), 12).Bytes();
    std::vector<TCharEntry> table;
    for (std::size_t i = 0; i < 7 * 12 * n; ++i)
        file.insert(file.end(), b, Glyphs[i / 7 % n].second[i / 7 / n * 7 + i % 7] == '#' ? 5 : 0);
    for (std::size_t g = 0; g < n; ++g)
        table.push_back({Glyphs[g].first, 7 * int(g), 100 + int(g)});
    TEditedFont font;
    EXPECT_TRUE(font.Parse(file, "f.sft"));
    font.SetTable(table);
    TEditSession s;
    s.Open(std::move(font));
    return s;
}

TPicture LastGlyph(const TEditSession& S) {
    const TGlyphExtent g = S.Glyph(int(S.Font().Table().size()) - 1);
    const TSftFont& f = S.Font().Font();
    TPicture p;
    for (int i = 0; i < f.Height * (g.End - g.Begin); ++i)
        p += f.Pixels[std::size_t((i / 7 * f.Width + g.Begin + i % 7) * f.BitsPerPixel() / 8)]
                 ? '#'
                 : '.';
    return p;
}

}  // namespace

TEST(BuildAccented, PutsTheMarkWhereItBelongsOrFindsNoRoom) {
    struct Case {
        const char* What;
        char32_t Combining;
        std::uint16_t Spacing;
        TBox Base, Mark, Expected;  // Expected.W == 0: no room
    };
    const Case cases[] = {
        {"above, centred", 0x301, 0xB4, {1, 5, 5, 6}, {3, 0, 2, 2}, {2, 2, 2, 2}},
        {"rounded down", 0x301, 0xB4, {3, 5, 1, 6}, {0, 0, 4, 1}, {1, 3, 4, 1}},
        {"at the top", 0x302, 0x5E, {1, 3, 5, 8}, {0, 4, 3, 3}, {2, 0, 3, 3}},
        {"no room above", 0x302, 0x5E, {1, 2, 5, 8}, {0, 4, 3, 3}, {}},
        {"cedilla", 0x327, 0xB8, {1, 2, 5, 7}, {4, 0, 2, 2}, {2, 9, 2, 2}},
        {"no room below", 0x327, 0xB8, {1, 2, 5, 9}, {4, 0, 2, 2}, {}},
        {"ogonek", 0x328, 0x2DB, {1, 2, 5, 7}, {0, 0, 2, 2}, {4, 9, 2, 2}},
        {"too wide", 0x301, 0xB4, {0, 5, 1, 6}, {0, 0, 3, 1}, {}},
    };
    for (const int bits : {8, 16})
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.What) + " at " + std::to_string(bits) + " bits");
            TEditSession s = FontOf(bits, {{65, Drawn({c.Base})}, {c.Spacing, Drawn({c.Mark})}});
            const auto built = s.BuildAccented({{0x100, {U'A', c.Combining}}});
            EXPECT_EQ(built.NotBuilt,
                      c.Expected.W ? "" : "1 character was not built:\nĀ (U+0100): no room");
            EXPECT_EQ(LastGlyph(s), c.Expected.W ? Drawn({c.Base, c.Expected}) : Drawn({c.Mark}));
        }
}

TEST(BuildAccented, RefusesEachWithWhyAndBuildsTheRestAsOneStep) {
    const TPicture letter = Drawn({{1, 4, 5, 7}}), mark = Drawn({{0, 0, 1, 1}});
    TEditSession s = FontOf(
        16,
        {{'A', letter}, {'i', Drawn({{3, 2, 1, 9}})}, {0x131, letter}, {0xB4, mark}, {'^', mark}});
    const auto built = s.BuildAccented({{0xED, {U'i', 0x301}},
                                        {0xC1, {U'A', 0x301}},
                                        {0xC4, {U'A', 0x308}},
                                        {0x41, {U'A'}},
                                        {0x142, {0x142}},
                                        {0xC9, {U'E', 0x301}},
                                        {0xC1, {U'A', 0x301}},
                                        {0xC2, {U'A', 0x302}},
                                        {0x1EA4, {U'A', 0x302, 0x301}}});
    EXPECT_EQ(built.NotBuilt,
              "5 characters were not built:\n"
              "A (U+0041): already in the font\n"
              "Ä (U+00C4): the font lacks the mark ¨ (U+00A8)\n"
              "É (U+00C9): the font lacks the letter E (U+0045)\n"
              "ł (U+0142): not one letter and one mark\n"
              "Ấ (U+1EA4): not one letter and one mark");
    // Á, Â and í in code order after the font's rows, each Extra its base's;
    // í is the dotless ı with the acute.
    const std::vector<TCharEntry> added(s.Font().Table().begin() + 5, s.Font().Table().end());
    EXPECT_EQ(added, (std::vector<TCharEntry>{{0xC1, 35, 100}, {0xC2, 42, 100}, {0xED, 49, 102}}));
    EXPECT_EQ(LastGlyph(s), Drawn({{1, 4, 5, 7}, {3, 2, 1, 1}}));
    EXPECT_EQ(s.UndoName(), "Build Accented Characters");
}

// Past 256 rows nothing is built.
TEST(BuildAccented, BuildsNothingThatWouldOverflowTheTable) {
    std::vector<std::pair<std::uint16_t, TPicture>> glyphs(254, {0, Drawn({{1, 4, 5, 7}})});
    for (std::size_t i = 0; i < glyphs.size(); ++i) glyphs[i].first = std::uint16_t(0x1000 + i);
    glyphs[0].first = 'A', glyphs[1].first = 'E', glyphs[2] = {0xB4, Drawn({{0, 0, 1, 1}})};
    TEditSession s = FontOf(8, glyphs);
    EXPECT_THROW(
        s.BuildAccented({{0xC1, {U'A', 0x301}}, {0xC9, {U'E', 0x301}}, {0xC8, {U'E', 0x301}}}),
        EFontError);
    EXPECT_EQ(s.Font().Table().size(), 254u);
}

TEST(BuildAccented, ReadsCharactersAndRanges) {
    EXPECT_EQ(AccentCodes(" ąć  U+0100-u+0102 U+0041\tx"),
              (std::vector<std::uint32_t>{0x105, 0x107, 0x100, 0x101, 0x102, 0x41, 'x'}));
    for (const char* bad : {" ", "U+0102-U+0100", "U+zz", "U+0100-", "\xff"})
        EXPECT_THROW(AccentCodes(bad), EFontError) << bad;
}
