// The game's look on glyphs: outline, shadow, bold and a colour replaced,
// each read from the pixels as they were and kept within the glyph's columns;
// many glyphs as one step; Go To Character's codes.
#include <gtest/gtest.h>

#include "edit/glyphstyle.h"
#include "session/session.h"
#include "testfiles.h"
#include "text/charcode.h"

namespace {

// Rows of a 1-byte grid as text: '.' is 0 (the background), digits are values.
struct Grid {
    explicit Grid(std::vector<std::string> rows) : text(std::move(rows)) {
        for (const std::string& r : text)
            for (char c : r) bytes.push_back(std::uint8_t(c == '.' ? 0 : c - '0'));
    }
    TPixelGrid Pixels() { return {int(text[0].size()), int(text.size()), 1, bytes.data()}; }
    std::vector<std::string> Rows() const {
        std::vector<std::string> rows = text;
        for (std::size_t i = 0; i < bytes.size(); ++i)
            rows[i / text[0].size()][i % text[0].size()] = bytes[i] ? char('0' + bytes[i]) : '.';
        return rows;
    }
    std::vector<std::string> text;
    std::vector<std::uint8_t> bytes;
};

}  // namespace

// Each rule on columns 1-4 of a 6-column strip, the ink 1 at its edges: the
// outside columns are neither read nor written.
TEST(GlyphStyle, EachRuleReadsThePixelsAsTheyWereWithinTheGlyph) {
    using Rule = std::function<void(TPixelGrid&, TPixelDelta&)>;
    const std::vector<std::string> start = {"1.....", ".11...", "...1.1", "......"};
    const std::vector<std::tuple<const char*, Rule, std::vector<std::string>>> cases = {
        {"outline",
         [](auto& g, auto& d) { OutlinePixels(g, 1, 5, 0, 7, d); },
         {"1777..", ".1177.", ".77171", "..777."}},
        {"shadow",
         [](auto& g, auto& d) { ShadowPixels(g, 1, 5, 1, 1, 0, 7, d); },
         {"1.....", ".11...", "..71.1", "....7."}},
        {"shadow up-left",
         [](auto& g, auto& d) { ShadowPixels(g, 1, 5, -1, -1, 0, 7, d); },
         {"17....", ".11...", "...1.1", "......"}},
        {"bold",
         [](auto& g, auto& d) { BoldPixels(g, 1, 5, 0, d); },
         {"1.....", ".111..", "...111", "......"}},
        {"replace",
         [](auto& g, auto& d) { ReplacePixels(g, 1, 5, 1, 5, d); },
         {"1.....", ".55...", "...5.1", "......"}},
    };
    for (const auto& [name, rule, want] : cases) {
        SCOPED_TRACE(name);
        Grid grid(start);
        TPixelGrid pixels = grid.Pixels();
        const TPixelDelta delta = Recorded(pixels, [&](TPixelDelta& d) { rule(pixels, d); });
        EXPECT_EQ(grid.Rows(), want);
        delta.Toggle(pixels);
        EXPECT_EQ(grid.Rows(), start);
    }
    Grid grid(start);
    EXPECT_EQ(CountPixels(grid.Pixels(), 1, 5, 1), 3u);
}

TEST(GlyphStyle, GoToTakesCodesAndCharactersAndRefusesTheRest) {
    for (const auto& [text, code] :
         std::vector<std::pair<std::string, std::uint32_t>>{{"1046", 1046},
                                                            {"7", 7},
                                                            {"U+0416", 0x416},
                                                            {"u+41", 0x41},
                                                            {"0x416", 0x416},
                                                            {"\xD0\x96", 1046},
                                                            {"A", 65},
                                                            {"x", 120}})
        EXPECT_EQ(CharacterCode(text), code) << text;
    for (const std::string text : {"", "AB", "0x", "U+110000", "12a", "0x-1", "\xFF"})
        EXPECT_THROW(CharacterCode(text), EFontError) << text;
}

// Several glyphs, one sharing another's columns: one step, each changed
// once; Delete and Set Width on several reshape the table as one step.
TEST(GlyphStyle, ACommandOnSeveralGlyphsIsOneStep) {
    // 'A' 0-2, 'B' 3-5 and 'C' at B's X, 'D' 6-8; ink 1 at each glyph's left top.
    ByteVec file = SftWriter()
                       .Header(3)
                       .Range(65, 66, 0, 3)
                       .U16(67)
                       .U16(67)
                       .I32(3)
                       .I32(3)
                       .U16(68)
                       .U16(68)
                       .I32(6)
                       .I32(3)
                       .StripHeader(8)
                       .Size(9, 2)
                       .Bytes();
    for (int i = 0; i < 18; ++i) file.push_back(i % 3 == 0 && i < 9 ? 1 : 0);
    TEditedFont font;
    ASSERT_TRUE(font.Parse(file, "f.sft"));
    TEditSession s;
    s.Open(std::move(font));
    s.SetColor(true, 0);
    s.Select({1, 2, 3}, 2);  // B, C (the same columns) and D
    s.Transform(TGlyphTransform::ShiftRight);
    const auto strip = [&] {
        return ByteVec(s.Font().Font().Pixels.begin(), s.Font().Font().Pixels.end());
    };
    EXPECT_EQ(strip(), (ByteVec{1, 0, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(s.UndoName(), "Shift Right");
    s.Undo();
    EXPECT_TRUE(s.Transform(TGlyphTransform::ShiftDown).Kind == TSessionChange::TKind::Pixels);
    s.Undo();
    EXPECT_TRUE(s.ReplaceColor(9, 8).NoPixels);
    s.Select({0, 3}, 0);
    s.SetWidth(1);
    std::vector<int> xs;
    for (const TCharEntry& e : s.Font().Table()) xs.push_back(e.X);
    EXPECT_EQ(std::make_tuple(xs, s.Font().Font().Width, s.UndoName()),
              std::make_tuple(std::vector<int>{0, 1, 1, 4}, 5, std::string("Set Width")));
    s.Undo();
    s.Select({1, 2}, 1);
    s.DeleteCharacter();
    EXPECT_EQ(std::make_tuple(s.Font().Table().size(), s.Font().Font().Width, s.Selection()),
              std::make_tuple(std::size_t(2), 6, std::vector<int>{1}));
    s.Undo();
    EXPECT_EQ(strip(), (ByteVec{1, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
}
