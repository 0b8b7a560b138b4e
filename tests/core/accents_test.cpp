// Build Accented Characters: where the mark goes, when there is no room, and
// which characters are refused and why.
#include <gtest/gtest.h>

#include "session.h"
#include "testfiles.h"

namespace {

struct TBox {
    int X, Y, W, H;
};

// An 8-bit font, H rows high, of one glyph per code, each W columns wide and
// all 0 but its box, which is 5.
TEditSession FontOf(int W, int H, const std::vector<std::pair<std::uint16_t, TBox>>& Glyphs) {
    const int width = W * int(Glyphs.size());
    ByteVec file = SftWriter().Header(1).Range(1, 1).StripHeader(8).Size(width, H).Bytes();
    const std::size_t at = file.size();
    file.resize(at + std::size_t(width * H), 0);
    std::vector<TCharEntry> table;
    for (std::size_t g = 0; g < Glyphs.size(); ++g) {
        const TBox b = Glyphs[g].second;
        for (int y = b.Y; y < b.Y + b.H; ++y)
            for (int x = b.X; x < b.X + b.W; ++x)
                file[at + std::size_t(y * width + int(g) * W + x)] = 5;
        table.push_back({Glyphs[g].first, int(g) * W, 100 + int(g)});
    }
    TEditedFont font;
    EXPECT_TRUE(font.Parse(file, "f.sft"));
    font.SetTable(table);
    TEditSession s;
    s.Open(std::move(font));
    s.SetColor(true, 0);
    return s;
}

// The last row's glyph as rows of '.' and '#'.
std::string LastGlyph(const TEditSession& S) {
    const TGlyphExtent g = S.Glyph(int(S.Font().Table().size()) - 1);
    std::string text;
    for (int y = 0; y < S.Height(); ++y) {
        for (int x = g.Begin; x < g.End; ++x)
            text += S.Font().Font().Pixels[std::size_t(y * S.Font().Font().Width + x)] ? '#' : '.';
        text += '\n';
    }
    return text;
}

std::string Boxes(int W, int H, std::vector<TBox> Boxes) {
    std::string text;
    for (int y = 0; y < H; ++y) {
        for (int x = 0; x < W; ++x) {
            bool in = false;
            for (const TBox& b : Boxes)
                in |= x >= b.X && x < b.X + b.W && y >= b.Y && y < b.Y + b.H;
            text += in ? '#' : '.';
        }
        text += '\n';
    }
    return text;
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
        {"above, centred, one empty row between",
         0x301,
         0xB4,
         {1, 5, 5, 6},
         {3, 0, 2, 2},
         {2, 2, 2, 2}},
        {"centred rounding toward minus infinity",
         0x301,
         0xB4,
         {3, 5, 1, 6},
         {0, 0, 4, 1},
         {1, 3, 4, 1}},
        {"moved down to the top row", 0x302, 0x5E, {1, 3, 5, 8}, {0, 4, 3, 3}, {2, 0, 3, 3}},
        {"no room above", 0x302, 0x5E, {1, 2, 5, 8}, {0, 4, 3, 3}, {}},
        {"cedilla under the base", 0x327, 0xB8, {1, 2, 5, 7}, {4, 0, 2, 2}, {2, 9, 2, 2}},
        {"no room below", 0x327, 0xB8, {1, 2, 5, 9}, {4, 0, 2, 2}, {}},
        {"ogonek at the right", 0x328, 0x2DB, {1, 2, 5, 7}, {0, 0, 2, 2}, {4, 9, 2, 2}},
        {"leaving the glyph's columns", 0x301, 0xB4, {0, 5, 1, 6}, {0, 0, 3, 1}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.What);
        TEditSession s = FontOf(7, 12, {{65, c.Base}, {c.Spacing, c.Mark}});
        const auto built = s.BuildAccented({{0x100, {U'A', c.Combining}}});
        if (c.Expected.W == 0) {
            EXPECT_EQ(built.NotBuilt, "1 character was not built:\nĀ (U+0100): no room");
            EXPECT_EQ(s.Font().Table().size(), 2u);
        } else {
            EXPECT_EQ(built.NotBuilt, "");
            EXPECT_EQ(LastGlyph(s), Boxes(7, 12, {c.Base, c.Expected}));
        }
    }
}

TEST(BuildAccented, RefusesEachWithWhyAndBuildsTheRestAsOneStep) {
    const TBox letter{1, 4, 5, 7}, dotted{3, 2, 1, 9}, mark{0, 0, 1, 1};
    TEditSession s =
        FontOf(7, 12, {{'A', letter}, {'i', dotted}, {0x131, letter}, {0xB4, mark}, {'^', mark}});
    const std::vector<TAccentRequest> asked = {
        {0xED, {U'i', 0x301}}, {0xC1, {U'A', 0x301}}, {0xC4, {U'A', 0x308}},
        {0x41, {U'A'}},        {0x142, {0x142}},      {0xC9, {U'E', 0x301}},
        {0xC1, {U'A', 0x301}}, {0xC2, {U'A', 0x302}}, {0x1EA4, {U'A', 0x302, 0x301}}};
    const auto built = s.BuildAccented(asked);
    EXPECT_EQ(built.NotBuilt,
              "5 characters were not built:\n"
              "A (U+0041): already in the font\n"
              "Ä (U+00C4): the font lacks the mark ¨ (U+00A8)\n"
              "É (U+00C9): the font lacks the letter E (U+0045)\n"
              "ł (U+0142): not one letter and one mark\n"
              "Ấ (U+1EA4): not one letter and one mark");
    // Á, Â and í, in code order after the font's rows, each Extra its base's.
    const std::vector<TCharEntry> added(s.Font().Table().begin() + 5, s.Font().Table().end());
    EXPECT_EQ(added, (std::vector<TCharEntry>{{0xC1, 35, 100}, {0xC2, 42, 100}, {0xED, 49, 102}}));
    // í is the dotless ı's glyph with the acute above it.
    EXPECT_EQ(LastGlyph(s), Boxes(7, 12, {letter, {3, 2, 1, 1}}));
    EXPECT_EQ(s.UndoName(), "Build Accented Characters");
    s.Undo();
    EXPECT_EQ(std::make_pair(s.Font().Table().size(), s.Font().Font().Width),
              std::make_pair(5ul, 35));
}

TEST(BuildAccented, ReadsCharactersAndRanges) {
    EXPECT_EQ(AccentCodes(" ąć  U+0100-u+0102 U+0041\tx"),
              (std::vector<std::uint32_t>{0x105, 0x107, 0x100, 0x101, 0x102, 0x41, 'x'}));
    for (const char* bad : {"", "  ", "U+0102-U+0100", "U+zz", "U+0100-", "\xff"}) {
        SCOPED_TRACE(bad);
        EXPECT_THROW(AccentCodes(bad), EFontError);
    }
}
