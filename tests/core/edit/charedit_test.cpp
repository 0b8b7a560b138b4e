// Characters in and out: the strip's columns and the table moving together,
// on both depths, each step undone back to the bytes and done again.
#include <gtest/gtest.h>

#include <functional>

#include "edit/charedit.h"
#include "testfiles.h"

namespace {

TEST(CharEdit, ColumnsAndTableMoveTogetherAndUndoToTheBytes) {
    // 'A' 0-2, 'B' and 'C' share 3-6, 'D' 7-9 ends the strip; 'E' and 'F' lie outside it.
    const std::vector<TCharEntry> rows = {{65, 0, 3}, {66, 3, 4},  {67, 3, 9},
                                          {68, 7, 3}, {69, 50, 1}, {70, -5, 1}};
    struct Case {
        const char* name;
        std::function<std::optional<TEditStep>(TEditedFont&)> edit;
        std::vector<int> columns;  // each new column's old one; -1 blank
        std::vector<TCharEntry> table;
    };
    const std::vector<Case> cases = {
        {"insert after 'A'",
         [](auto& f) { return InsertCharacter(f, 0, 90, 2, 9); },
         {0, 1, 2, -1, -1, 3, 4, 5, 6, 7, 8, 9},
         {{65, 0, 3}, {90, 3, 2}, {66, 5, 4}, {67, 5, 9}, {68, 9, 3}, {69, 52, 1}, {70, -5, 1}}},
        {"insert after the last glyph",
         [](auto& f) { return InsertCharacter(f, 3, 90, 1, 9); },
         {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, -1},
         {{65, 0, 3}, {66, 3, 4}, {67, 3, 9}, {68, 7, 3}, {90, 10, 1}, {69, 51, 1}, {70, -5, 1}}},
        {"insert after a row off the strip",
         [](auto& f) { return InsertCharacter(f, 5, 0, 1, 9); },
         {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, -1},
         {{65, 0, 3}, {66, 3, 4}, {67, 3, 9}, {68, 7, 3}, {69, 51, 1}, {70, -5, 1}, {0, 10, 1}}},
        {"delete a shared glyph's row",
         [](auto& f) { return DeleteCharacter(f, 1); },
         {0, 1, 2, 3, 4, 5, 6, 7, 8, 9},
         {{65, 0, 3}, {67, 3, 9}, {68, 7, 3}, {69, 50, 1}, {70, -5, 1}}},
        {"delete 'A'",
         [](auto& f) { return DeleteCharacter(f, 0); },
         {3, 4, 5, 6, 7, 8, 9},
         {{66, 0, 4}, {67, 0, 9}, {68, 4, 3}, {69, 47, 1}, {70, -5, 1}}},
        {"delete the last glyph",
         [](auto& f) { return DeleteCharacter(f, 3); },
         {0, 1, 2, 3, 4, 5, 6},
         {{65, 0, 3}, {66, 3, 4}, {67, 3, 9}, {69, 47, 1}, {70, -5, 1}}},
        {"widen a shared glyph",
         [](auto& f) { return SetGlyphWidth(f, 2, 6, 9); },
         {0, 1, 2, 3, 4, 5, 6, -1, -1, 7, 8, 9},
         {{65, 0, 3}, {66, 3, 6}, {67, 3, 9}, {68, 9, 3}, {69, 52, 1}, {70, -5, 1}}},
        {"narrow it",
         [](auto& f) { return SetGlyphWidth(f, 1, 1, 9); },
         {0, 1, 2, 3, 7, 8, 9},
         {{65, 0, 3}, {66, 3, 1}, {67, 3, 9}, {68, 4, 3}, {69, 47, 1}, {70, -5, 1}}},
        {"narrow the last glyph",
         [](auto& f) { return SetGlyphWidth(f, 3, 2, 9); },
         {0, 1, 2, 3, 4, 5, 6, 7, 8},
         {{65, 0, 3}, {66, 3, 4}, {67, 3, 9}, {68, 7, 2}, {69, 49, 1}, {70, -5, 1}}},
    };
    for (int bpp : {8, 16}) {
        SftWriter w;
        w.Header(std::int32_t(rows.size()));
        for (const TCharEntry& e : rows) w.U16(e.Code).U16(e.Code).I32(e.X).I32(e.Extra);
        const ByteVec file =
            w.StripHeader(bpp).Size(10, 2).Pixels(std::size_t(10 * 2 * bpp / 8)).Bytes();
        const std::size_t b = std::size_t(bpp / 8);
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + " at " + std::to_string(bpp));
            TEditedFont font;
            ASSERT_TRUE(font.Parse(file, "c.sft"));
            const ByteVec old(font.Font().Pixels.begin(), font.Font().Pixels.end());
            std::optional<TEditStep> step = c.edit(font);
            ASSERT_TRUE(step);
            ByteVec want;
            for (std::size_t y = 0; y < 2; ++y)
                for (int from : c.columns)
                    for (std::size_t k = 0; k < b; ++k)
                        want.push_back(from < 0 ? std::uint8_t(k == 0 ? 9 : 0)
                                                : old[(y * 10 + std::size_t(from)) * b + k]);
            EXPECT_EQ(font.Table(), c.table);
            EXPECT_EQ(ByteVec(font.Font().Pixels.begin(), font.Font().Pixels.end()), want);
            EXPECT_EQ(font.Font().Width, std::int32_t(c.columns.size()));
            const ByteVec edited = FileOf(font);
            step->Toggle(font);
            EXPECT_EQ(FileOf(font), file);
            step->Toggle(font);
            EXPECT_EQ(FileOf(font), edited);
        }
    }
}

TEST(CharEdit, RefusalsChangeNothing) {
    TempDir dir;
    WriteFile(dir.Path("r.sft"), MakeFont(16, 10, 2, 65, 67));
    WriteFile(dir.Path("full.sft"), MakeFont(8, 10, 2, 0, 255));
    TEditedFont font, full;
    ASSERT_TRUE(font.Load(dir.Path("r.sft")) && full.Load(dir.Path("full.sft")));
    const ByteVec file = FileOf(font);
    struct Case {
        std::function<void()> edit;
        const char* why;
    };
    for (const Case& c : std::vector<Case>{
             {[&] { InsertCharacter(font, 0, 66, 2, 0); }, "code 66 is in the table already"},
             {[&] { InsertCharacter(font, 0, 65536, 2, 0); },
              "a code runs from 0 to 65535, not 65536"},
             {[&] { InsertCharacter(font, 0, 7, 0, 0); },
              "a glyph is at least 1 column wide, not 0"},
             {[&] { InsertCharacter(font, 0, 7, 1 << 29, 0); },
              "a strip of 536870922 x 2 pixels is more than a font holds"},
             {[&] { InsertCharacter(full, 0, 300, 1, 0); },
              "the table has 256 characters, as many as a font holds"},
             {[&] { SetGlyphWidth(font, 2, 3, 0); }, "the character has no glyph in the strip"}}) {
        try {
            c.edit();
            ADD_FAILURE() << "not refused: " << c.why;
        } catch (const EFontError& e) {
            EXPECT_STREQ(e.what(), c.why);
        }
        EXPECT_EQ(FileOf(font), file);
    }
}

}  // namespace

// 'A' 0-3 has ink at its left edge, 'B' 4-6 none, 'C' and 'D' share 7-9 with
// ink at its right edge; 'E' lies past the strip. Background 3.
TEST(CharEdit, FitWidthPutsLeftAndRightBlankColumnsRoundTheInk) {
    const std::vector<TCharEntry> rows = {
        {65, 0, 4}, {66, 4, 3}, {67, 7, 3}, {68, 7, 1}, {69, 50, 1}};
    const ByteVec strip = {5, 3, 3, 3, 3, 3, 3, 3, 3, 7, 3, 3, 6, 3, 3, 3, 3, 3, 3, 7};
    for (const auto& [selected, left, right, columns, table] : std::vector<
             std::tuple<std::vector<int>, int, int, std::vector<int>, std::vector<TCharEntry>>>{
             {{0},
              1,
              1,
              {-1, 0, 1, 2, -1, 4, 5, 6, 7, 8, 9},
              {{65, 0, 5}, {66, 5, 3}, {67, 8, 3}, {68, 8, 1}, {69, 51, 1}}},
             {{1}, 1, 1, {}, rows},
             {{0, 1, 2, 3},
              0,
              0,
              {0, 1, 2, 4, 5, 6, 9},
              {{65, 0, 3}, {66, 3, 3}, {67, 6, 1}, {68, 6, 1}, {69, 47, 1}}},
             {{3, 2}, 1, 1, {0, 1, 2, 3, 4, 5, 6, -1, 9, -1}, rows}}) {
        SftWriter w;
        w.Header(std::int32_t(rows.size()));
        for (const TCharEntry& e : rows) w.U16(e.Code).U16(e.Code).I32(e.X).I32(e.Extra);
        ByteVec file = w.StripHeader(8).Size(10, 2).Bytes(),
                want = columns.empty() ? strip : ByteVec();
        file.insert(file.end(), strip.begin(), strip.end());
        for (std::size_t y = 0; y < 2; ++y)
            for (int from : columns)
                want.push_back(from < 0 ? 3 : strip[y * 10 + std::size_t(from)]);
        TEditedFont font;
        ASSERT_TRUE(font.Parse(file, "f.sft"));
        EXPECT_EQ(FitGlyphWidths(font, selected, left, right, 3), !columns.empty());
        EXPECT_EQ(std::make_pair(ByteVec(font.Font().Pixels.begin(), font.Font().Pixels.end()),
                                 font.Table()),
                  std::make_pair(want, table))
            << columns.size();
    }
}
