#include <ft2build.h>
#include FT_FREETYPE_H
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <map>
#include <set>
#include <sstream>

#include "font/editfont.h"
#include "makers/fontlook.h"
#include "makers/guides.h"
#include "runtool.h"

namespace {

const char* const kDejaVu = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
// misc-fixed, a font of bitmaps in one size.
const char* const kFixed = "/usr/share/fonts/X11/misc/6x13-ISO8859-1.pcf.gz";

ToolResult RunTtf2sft(const TempDir& dir, const std::string& args) {
    std::vector<std::string> words;
    for (std::istringstream in(args); in >> words.emplace_back();) {
    }
    words.pop_back();
    return RunTool(TTF2SFT_PATH, dir.Dir(), words);
}

// A folder with a 16-bit and an 8-bit template 20 pixels high, the outline
// font as dv.ttf, a palette of greys (entry k is k,k,k) and a text that is
// not UTF-8.
struct Folder : TempDir {
    Folder() {
        WriteFile(Path("t16.sft"), MakeFont(16, 10, 20));
        WriteFile(Path("t8.sft"), MakeFont(8, 10, 20));
        EXPECT_EQ(::symlink(kDejaVu, Path("dv.ttf").c_str()), 0);
        TPalette grey{};
        for (std::size_t k = 0; k < 768; ++k) grey[k] = std::uint8_t(k / 3);
        WriteFile(Path("grey.cmp"), MakeCMP(grey));
        WriteFile(Path("bad.txt"), {'o', 'k', 0xFF});
        WriteFile(Path("lines.txt"), {'A', '\r', '\n', '\v', '\f', 0xC2, 0x85, 0xE2, 0x80, 0xA8});
    }
};

// The written font is checked against FreeType itself: each cell's width is
// the rounded advance, each glyph is FreeType's bitmap at the same settings
// placed at its bearings and clipped to its cell, and on the grey palette an
// anti-aliased pixel's index is its coverage.
TEST(Ttf2sft, DrawsFreeTypesOwnGlyphs) {
    struct Case {
        int bpp;
        std::string args;  // --ttf dv.ttf unless they give one
        FT_Int32 load;
        FT_Render_Mode render;
        int size;  // 0: the largest whose ascender and descender fit 20 rows
        int spacing;
        std::vector<std::pair<std::uint16_t, char32_t>> codes;
    };
    std::vector<std::pair<std::uint16_t, char32_t>> ascii, cyrillic;
    for (char32_t c = 32; c <= 126; ++c) ascii.emplace_back(std::uint16_t(c), c);
    for (char32_t c = 0xC0; c <= 0xFF; ++c)
        cyrillic.emplace_back(std::uint16_t(c), c - 0xC0 + 0x410);
    const std::vector<Case> cases = {
        {8, "--cmp grey.cmp --size 17", FT_LOAD_TARGET_LIGHT, FT_RENDER_MODE_LIGHT, 17, 0, ascii},
        {16, "--mono --hinting full --spacing 2", FT_LOAD_TARGET_MONO, FT_RENDER_MODE_MONO, 0, 2,
         ascii},
        {8, "--cmp grey.cmp --hinting none --chars 192-255 --codepage CP1251", FT_LOAD_NO_HINTING,
         FT_RENDER_MODE_NORMAL, 0, 0, cyrillic},
        // A bitmap font's pixels as they are, at the size it holds.
        {16, std::string("--ttf ") + kFixed, FT_LOAD_DEFAULT, FT_RENDER_MODE_NORMAL, 13, 0, ascii},
    };
    FT_Library lib;
    FT_Face face = nullptr;
    ASSERT_EQ(FT_Init_FreeType(&lib), 0);
    const auto fits = [&](int s) {
        FT_Set_Pixel_Sizes(face, 0, FT_UInt(s));
        return ((face->size->metrics.ascender + 63) >> 6) +
                   ((-face->size->metrics.descender + 63) >> 6) <=
               20;
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        const bool fixed = c.args.find(kFixed) != std::string::npos;
        if (face) FT_Done_Face(face);
        ASSERT_EQ(FT_New_Face(lib, fixed ? kFixed : kDejaVu, 0, &face), 0);
        Folder dir;
        const std::string tmpl = c.bpp == 8 ? "t8.sft" : "t16.sft";
        ASSERT_EQ(RunTtf2sft(dir, "--font " + tmpl + (fixed ? "" : " --ttf dv.ttf") +
                                      " -o out.sft " + c.args)
                      .code,
                  0);
        TEditedFont in, out;
        ASSERT_TRUE(in.Load(dir.Path(tmpl)));
        ASSERT_TRUE(out.Load(dir.Path("out.sft")));
        auto header = out.Font().Header;
        std::copy_n(in.Font().Header.begin() + 20, 4, header.begin() + 20);  // the range count
        EXPECT_EQ(header, in.Font().Header);
        EXPECT_EQ(out.Font().StripHeader, in.Font().StripHeader);
        ASSERT_EQ(out.Font().Height, 20);
        ASSERT_EQ(out.Table().size(), c.codes.size());

        int size = c.size;
        for (int s = 1; !size; ++s)
            if (!fits(s + 1)) size = s;
        FT_Set_Pixel_Sizes(face, 0, FT_UInt(size));
        const int baseline = int((face->size->metrics.ascender + 63) >> 6);
        const int w = out.Font().Width, b = c.bpp / 8;
        std::vector<int> want(std::size_t(w) * 20, 0);
        int x = 0;
        for (std::size_t i = 0; i < c.codes.size(); ++i) {
            ASSERT_EQ(FT_Load_Char(face, c.codes[i].second, c.load), 0);
            ASSERT_EQ(FT_Render_Glyph(face->glyph, c.render), 0);
            const FT_Bitmap& bm = face->glyph->bitmap;
            const int cell = int((face->glyph->advance.x + 32) >> 6);
            EXPECT_EQ(out.Table()[i], (TCharEntry{c.codes[i].first, x, cell}));
            for (int r = 0; r < int(bm.rows); ++r)
                for (int col = 0; col < int(bm.width); ++col) {
                    const int dx = face->glyph->bitmap_left + col,
                              y = baseline - face->glyph->bitmap_top + r;
                    const unsigned char* row = bm.buffer + r * bm.pitch;
                    const int v = bm.pixel_mode == FT_PIXEL_MODE_MONO
                                      ? (row[col / 8] >> (7 - col % 8) & 1) * 255
                                      : row[col];
                    if (dx >= 0 && dx < cell && y >= 0 && y < 20 && v)
                        want[std::size_t(y * w + x + dx)] = v;
                }
            x += cell + c.spacing;
        }
        ASSERT_EQ(w, x);
        const auto& px = out.Font().Pixels;
        int wrong = 0;
        for (std::size_t i = 0; i < want.size(); ++i) {
            const int got = b == 1 ? px.data()[i] : (px.data()[2 * i] | px.data()[2 * i + 1] << 8);
            wrong += got != (b == 1 ? want[i] : want[i] ? 0xFFFF : 0);
        }
        EXPECT_EQ(wrong, 0);
    }
    FT_Done_Face(face);
    FT_Done_FreeType(lib);
}

// What is refused, with which status, and that nothing is written then; and
// what is only reported.
TEST(Ttf2sft, RefusesWithTheReason) {
    const std::string base = "--font t16.sft --ttf dv.ttf -o out.sft ";
    const std::vector<std::tuple<std::string, int, std::string>> cases = {
        {"--ttf dv.ttf -o out.sft", 2,
         "ttf2sft: give the font to take the headers from with --font"},
        {base + "--chars 40-32", 2, "ttf2sft: --chars: the range \"40-32\" runs backwards"},
        {base + "--codepage NOPE", 2,
         "ttf2sft: --codepage: no code page is called \"NOPE\": give Unicode, Windows-1250 to "
         "Windows-1258, ISO-8859-1 to ISO-8859-16 (no 12), KOI8-R, KOI8-U, CP437, CP850, CP852 or "
         "CP866"},
        {base + "--color 3", 2,
         "ttf2sft: a 16-bit font's colours: \"3\" is not R,G,B with each 0 to 255"},
        {"--font t16.sft -o out.sft --ttf none.ttf", 1, "none.ttf: No such file or directory"},
        {"--font t16.sft -o out.sft --ttf t8.sft", 1,
         "t8.sft: not a font FreeType can open (unknown file format)"},
        {base + "--face 2", 1, "dv.ttf: the file has 1 face, numbered from 0; there is no face 2"},
        {"--font t8.sft --ttf dv.ttf -o out.sft", 1,
         "uicolormap.cmp: not found! (an 8-bit font needs a palette: give --cmp or --bm)"},
        {base + "--chars 32-300 --keep-missing", 1,
         "out.sft: 269 characters; a font holds at most 256"},
        {base + "--chars-file bad.txt", 1, "bad.txt is not UTF-8 text (byte 0xFF at offset 2)."},
        {base + "--height 1", 1, "dv.ttf: no size of the font fits a strip 1 pixels high"},
        {base + "--chars 888-889 --chars-file lines.txt", 0,  // line breaks are no characters
         "dv.ttf: no glyph for 2 codes, left out: 888-889"},
        {base + "--chars 65,129 --codepage CP1252", 0,
         "dv.ttf: CP1252 leaves 1 code undefined, left out: 129"},
        {base + "--add --height 20", 2,
         "ttf2sft: --height with --add: the font keeps its strip's height"},
        {base + "--color match", 2, "ttf2sft: match is for --add: it matches the font added to"},
        {base + "--chars 19968", 1, "dv.ttf: the outline font has no glyph for any code asked for"},
        {base + "--add", 1, "dv.ttf: the font has every code asked for already"},
        {base + "--add --chars 65-66,200", 0,
         "t16.sft: 2 codes in the font already, skipped: 65-66"},
        {base + "--fit 9,0", 2, "ttf2sft: --fit: \"9,0\" is not LEFT,RIGHT with each 0 to 8"},
        {base + "--fit 1,2 --add --chars 200-202", 0,
         "t16.sft: no letter to find the baseline from: the new letters stand at the outline "
         "font's ascender"},
        {base + "--shadow-offset 1,1", 2,
         "ttf2sft: --shadow-offset without --shadow: give the shadow's colour"},
        {base + "--shadow 1,2,3 --shadow-offset 0,0", 2,
         "ttf2sft: --shadow-offset: Right and Down can't both be 0"},
        {"--font t8.sft --ttf dv.ttf -o out.sft --cmp grey.cmp --outline 256", 2,
         "ttf2sft: --outline: an 8-bit font's colour: \"256\" is not a palette index from 0 to "
         "255"},
    };
    for (const auto& [args, code, err] : cases) {
        SCOPED_TRACE(args);
        Folder dir;
        const ToolResult r = RunTtf2sft(dir, args);
        EXPECT_EQ(r.code, code);
        EXPECT_EQ(r.err.substr(0, r.err.find('\n')), err);
        EXPECT_EQ(::access(dir.Path("out.sft").c_str(), F_OK) == 0, code == 0);
    }
}

// Added to a font made in one colour: its glyphs and rows stay, the new ones
// follow at the strip's end, as tall as its H and in its colour.
TEST(Ttf2sft, AddsTheCharactersAFontLacksMatchingItsSizeAndColor) {
    Folder dir;
    ASSERT_EQ(RunTtf2sft(dir,
                         "--font t16.sft --ttf dv.ttf -o f.sft --mono --size 15 --chars 65-72 "
                         "--color 200,100,48")
                  .code,
              0);
    const ToolResult r = RunTtf2sft(dir,
                                    "--font f.sft --ttf dv.ttf -o out.sft --add --mono "
                                    "--chars 72-73 --size match --color match");
    EXPECT_EQ(std::make_pair(r.code, r.err),
              std::make_pair(0, std::string("f.sft: 1 code in the font already, skipped: 72\n")));
    TEditedFont f, out;
    ASSERT_TRUE(f.Load(dir.Path("f.sft")) && out.Load(dir.Path("out.sft")));
    std::vector<TCharEntry> rows = f.Table();
    ASSERT_EQ(out.Table().size(), rows.size() + 1);
    EXPECT_TRUE(std::equal(rows.begin(), rows.end(), out.Table().begin()));
    EXPECT_EQ(out.Table().back().X, f.Font().Width);
    const std::int32_t w = f.Font().Width, ow = out.Font().Width;
    // The inked rows of columns x0 .. x1 - 1, and the values they hold.
    const auto look = [](const TEditedFont& font, std::int32_t x0, std::int32_t x1) {
        std::set<int> rows, values;
        for (std::int32_t y = 0; y < 20; ++y)
            for (std::int32_t x = x0; x < x1; ++x) {
                const std::size_t at = 2 * std::size_t(y * font.Font().Width + x);
                const int v = font.Font().Pixels[at] | font.Font().Pixels[at + 1] << 8;
                if (values.insert(v), v) rows.insert(y);
            }
        return std::make_pair(rows.size(), values);
    };
    for (std::int32_t y = 0; y < 20; ++y)
        EXPECT_TRUE(std::equal(&f.Font().Pixels.data()[2 * y * w],
                               &f.Font().Pixels.data()[2 * (y + 1) * w],
                               &out.Font().Pixels.data()[2 * y * ow]));
    // 'H' and 'I' share DejaVu's cap height; 200,100,48 is 0xCB26 in 5-6-5.
    EXPECT_EQ(look(out, w, ow),
              std::make_pair(look(f, rows.back().X, w).first, std::set<int>{0, 0xCB26}));
}

// With an outline and a shadow each new cell is the plain one with the room
// round it, at the size that fits (or matches, less the effects' rows), its
// glyph the plain one with the effects' colours where background was; the
// glyph's own ink never touches a cell's or the strip's edge. Added, the
// glyph stands with its effects' rows on the baseline, as the font's
// letters would wear them.
TEST(Ttf2sft, KeepsRoomForAnOutlineAndAShadow) {
    const std::vector<
        std::tuple<std::string, std::string, std::string, std::set<int>, std::array<int, 4>>>
        cases = {
            {"--font t16.sft --chars 32-126,196,231",
             "--outline 255,0,0",
             "--height 18",
             {0xF800},
             {1, 1, 1, 1}},
            {"--font t8.sft --cmp grey.cmp --mono --chars 32-126",
             "--outline 100 --shadow 50 --shadow-offset -2,-1",
             "--height 17",
             {100, 50},
             {3, 1, 2, 1}},
            // f's H is 14 rows at 19 px; less the effects' 4, 10 rows: 14 px.
            {"--font f.sft --add --mono --color match --chars 73-90,196",
             "--size match --outline 255,0,0 --shadow 0,0,255 --shadow-offset 1,2",
             "--size 14",
             {0xF800, 0x001F},
             {1, 2, 1, 3}},
        };
    for (const auto& [font, effects, plainArgs, colors, room] : cases) {
        SCOPED_TRACE(effects);
        Folder dir;
        RunTtf2sft(dir, "--font t16.sft --ttf dv.ttf -o f.sft --mono --size 19 --chars 65-72");
        const std::string common = font + " --ttf dv.ttf -o ";
        ASSERT_EQ(RunTtf2sft(dir, common + "out.sft " + effects).code, 0);
        ASSERT_EQ(RunTtf2sft(dir, common + "plain.sft " + plainArgs).code, 0);
        TEditedFont out, plain;
        ASSERT_TRUE(out.Load(dir.Path("out.sft")) && plain.Load(dir.Path("plain.sft")));
        ASSERT_EQ(out.Table().size(), plain.Table().size());
        int wrong = 0, edge = 0;
        const int shift = font.find("--add") != std::string::npos ? room[3] : -room[2];
        std::set<int> seen;
        for (std::size_t i = 0; i < out.Table().size(); ++i) {
            const TCharEntry o = out.Table()[i], p = plain.Table()[i];
            if (o == p) continue;  // the font's own, kept
            wrong += o.Extra != p.Extra + room[0] + room[1];
            for (std::int32_t y = 0; y < 20; ++y)
                for (std::int32_t x = 0; x < o.Extra; ++x) {
                    int v = out.Grid().Get(o.X + x, y);
                    if (colors.count(v)) seen.insert(v), v = 0;
                    const std::int32_t px = x - room[0], py = y + shift;
                    const bool inside =
                        px >= 0 && px < p.Extra && py >= 0 && py < plain.Font().Height;
                    wrong += v != (inside ? plain.Grid().Get(p.X + px, py) : 0);
                    edge += (x == 0 || x == o.Extra - 1 || y == 0 || y == 19) && v;
                }
        }
        EXPECT_EQ(std::make_pair(wrong, edge), std::make_pair(0, 0));
        EXPECT_EQ(seen, colors);
    }
}

// A BDF of 5-column glyphs, each given as its rows ('#' inked) and how far
// its bottom row lies below the baseline, in one size: 10 pixels.
std::string Bdf(const std::vector<std::tuple<char32_t, int, std::vector<std::string>>>& Glyphs) {
    std::ostringstream out;
    out << "STARTFONT 2.1\nFONT -test-10\nSIZE 10 75 75\nFONTBOUNDINGBOX 5 12 0 -3\n"
           "STARTPROPERTIES 3\nPIXEL_SIZE 10\nFONT_ASCENT 9\nFONT_DESCENT 3\nENDPROPERTIES\n"
        << "CHARS " << Glyphs.size() << "\n";
    for (const auto& [ch, below, rows] : Glyphs) {
        out << "STARTCHAR g" << unsigned(ch) << "\nENCODING " << unsigned(ch)
            << "\nSWIDTH 600 0\nDWIDTH 6 0\nBBX 5 " << rows.size() << " 0 " << -below
            << "\nBITMAP\n";
        for (const std::string& row : rows) {
            unsigned bits = 0;
            for (std::size_t i = 0; i < row.size(); ++i) bits |= (row[i] == '#') << (7 - i);
            char hex[4];
            std::snprintf(hex, sizeof hex, "%02X", bits);
            out << hex << "\n";
        }
        out << "ENDCHAR\n";
    }
    out << "ENDFONT\n";
    return out.str();
}

// Letters added from an outline font and from a bitmap font stand on the
// font's baseline (its H's boxes: cap height row 2, baseline row 10) and, at
// the size matched, reach its cap height: a bitmap font's exactly, pixel for
// pixel, an outline font's within a row. A descender below the strip is cut
// and named.
TEST(Ttf2sft, AddsOnTheFontsOwnBaseline) {
    const std::vector<std::string> h = {"#...#", "#...#", "#...#", "#####",
                                        "#...#", "#...#", "#...#", "#...#"},
                                   zhe = {"#.#.#", "#.#.#", ".###.", "..#..",
                                          ".###.", "#.#.#", "#.#.#", "#.#.#"},
                                   shcha = {"#.#.#", "#.#.#", "#.#.#", "#.#.#", "#.#.#", "#.#.#",
                                            "#.#.#", "#####", "....#", "....#", "....#"};
    const std::map<std::uint16_t, std::pair<int, std::vector<std::string>>> drawn = {
        {0x416, {0, zhe}}, {0x429, {3, shcha}}};
    // Onto an 8-bit font of boxes and a 16-bit one of DejaVu's H at 12 px.
    const std::string h16 = "--font t16.sft --ttf dv.ttf --chars 72 --size 12 --mono -o f.sft";
    const std::vector<std::tuple<std::string, std::string, int, std::string>> cases = {
        {"", "--ttf b.bdf --size match", 0, "U+0429 \xD0\xA9: 1 row cut at the bottom"},
        {"", "--ttf b.bdf", 0, "U+0429 \xD0\xA9: 1 row cut at the bottom"},
        {"", "--ttf dv.ttf --size match", 1, ""},
        {h16, "--ttf b.bdf", 0, ""},
        {h16, "--ttf dv.ttf --size match", 1, ""},
        {"", "--ttf b.bdf --size 12", -1,
         "ttf2sft: b.bdf has sizes 10; --size 12 is not one of them"},
    };
    for (const auto& [made, args, slack, err] : cases) {
        SCOPED_TRACE(made + " " + args);
        Folder dir;
        WriteFile(dir.Path("f.sft"), FileOf(BoxFont({{'H', {1, 2, 5, 8}}})));
        if (!made.empty()) {
            ASSERT_EQ(RunTtf2sft(dir, made).code, 0);
        }
        TEditedFont font;
        ASSERT_TRUE(font.Load(dir.Path("f.sft")));
        const TPixelGrid grid = font.Grid();
        const TGuideRows guides =
            FindGuides(font, TStripGeometry(font.Table(), grid.Width), StripBackground(grid));
        ASSERT_TRUE(guides.Base && guides.Cap);
        const int base = *guides.Base;
        const std::string bdf = Bdf({{'H', 0, h}, {0x416, 0, zhe}, {0x429, 3, shcha}});
        WriteFile(dir.Path("b.bdf"), ByteVec(bdf.begin(), bdf.end()));
        const ToolResult r = RunTtf2sft(
            dir, "--font f.sft --add --cmp grey.cmp --mono --chars 1046,1065 -o out.sft " + args);
        EXPECT_EQ(r.err.substr(0, r.err.find('\n')), err);
        EXPECT_EQ(r.code, slack < 0 ? 2 : 0);
        TEditedFont out;
        if (slack < 0 || !out.Load(dir.Path("out.sft"))) continue;
        ASSERT_EQ(out.Table().size(), 3u);
        for (std::size_t i = 1; i < 3; ++i) {
            const TCharEntry e = out.Table()[i];
            int top = -1, bottom = -1, wrong = 0;
            for (std::int32_t y = 0; y < out.Font().Height; ++y)
                for (std::int32_t x = 0; x < e.Extra; ++x) {
                    const bool ink = out.Grid().Get(e.X + x, y) != 0;
                    if (ink && top < 0) top = y;
                    if (ink) bottom = y;
                    // The bitmap font's rows copied as they are, on the baseline.
                    if (slack == 0) {
                        const auto& [below, rows] = drawn.at(e.Code);
                        const int row = y - (base + below - int(rows.size()));
                        wrong += ink != (x < 5 && row >= 0 && row < int(rows.size()) &&
                                         rows[std::size_t(row)][std::size_t(x)] == '#');
                    }
                }
            EXPECT_EQ(wrong, 0) << e.Code;
            // At the size matched, as tall as the font's H; the BDF's H is 8 rows.
            EXPECT_NEAR(top, slack ? *guides.Cap : base - 8, slack) << e.Code;
            if (e.Code == 0x416) {
                EXPECT_EQ(bottom, base - 1);
            }
        }
    }
}

}  // namespace

// --accents: ą is built of the font's a and ogonek (at its Windows-1250
// codes), the rest rendered from --ttf or, without it, named and left out;
// the new glyphs follow in code order.
TEST(Ttf2sft, BuildsWhatTheFontsOwnLettersMakeAndRendersTheRest) {
    const std::vector<std::tuple<std::string, int, std::string, std::vector<std::uint16_t>>> cases =
        {
            {"--chars-file pl.txt",
             0,
             "box.sft: 1 code in the font already, skipped: 97\nbox.sft: 1 character was not "
             "built:\n\xC5\x82 (U+0142): not one letter and one "
             "mark\n",
             {0xB9}},
            {"--chars-file pl.txt --ttf dv.ttf --cmp grey.cmp --chars 98",
             0,
             "box.sft: 1 code in the font already, skipped: 97\nbox.sft: no letter to find the "
             "baseline from: the new letters stand at the outline font's ascender\n",
             {98, 0xB3, 0xB9}},
            {"--chars 179",
             1,
             "box.sft: none of the characters asked for can be built of its own letters and marks: "
             "give --ttf\n",
             {}},
        };
    for (const auto& [args, code, err, added] : cases) {
        SCOPED_TRACE(args);
        Folder dir;
        const TEditedFont box =
            BoxFont({{' ', {0, 0, 0, 0}}, {'a', {1, 4, 5, 5}}, {0xB2, {3, 0, 2, 2}}});
        WriteFile(dir.Path("box.sft"), FileOf(box));
        WriteFile(dir.Path("pl.txt"), {'a', 0xC4, 0x85, 0xC5, 0x82, '\n'});
        const ToolResult r =
            RunTtf2sft(dir, "--font box.sft --add --accents --codepage CP1250 -o out.sft " + args);
        EXPECT_EQ(std::make_pair(r.code, r.err), std::make_pair(code, err));
        TEditedFont out;
        if (code) continue;
        ASSERT_TRUE(out.Load(dir.Path("out.sft")));
        std::vector<std::uint16_t> codes;
        for (std::size_t i = 3; i < out.Table().size(); ++i) codes.push_back(out.Table()[i].Code);
        EXPECT_EQ(codes, added);
        // ą: the a, and the ogonek under its right edge.
        const TCharEntry built = out.Table().back();
        std::string picture;
        for (std::int32_t y = 0; y < 12; ++y)
            for (std::int32_t x = 0; x < 7; ++x)
                picture += out.Grid().Get(built.X + x, y) ? '#' : '.';
        EXPECT_EQ(picture, std::string(28, '.') + ".#####." + ".#####." + ".#####." + ".#####." +
                               ".#####." + "....##." + "....##." + std::string(7, '.'));
    }
    Folder dir;
    EXPECT_EQ(RunTtf2sft(dir, "--font t16.sft --accents --ttf dv.ttf -o out.sft").code, 2);
}
