// Check Text: a missing character is built of the font's letter and mark,
// left to be added (no such letter, no room), or not in the code page.
#include <gtest/gtest.h>

#include "makers/textcheck.h"
#include "testfiles.h"
#include "text/decompose.h"

TEST(CheckText, SaysWhatCanBeDoneForEachMissingCharacter) {
    // a with room below for the ogonek; e inked to the bottom row; the ogonek.
    const auto font = [](std::uint16_t Ogonek) {
        return BoxFont({{' ', {0, 0, 0, 0}},
                        {'a', {1, 4, 5, 5}},
                        {'e', {1, 4, 5, 8}},
                        {Ogonek, {3, 0, 2, 2}}});
    };
    struct Case {
        const char* Page;
        std::uint16_t Ogonek;
        std::vector<std::tuple<char32_t, std::optional<std::uint16_t>, TFix, std::string>> Missing;
    };
    const std::vector<Case> cases = {
        {"CP1250",
         0xB2,
         {{U'ł', 0xB3, TFix::Add, "draw or add from an outline font"},
          {U'ą', 0xB9, TFix::Build, "build from a and ˛"},
          {U'ę', 0xEA, TFix::Add, "draw or add from an outline font"},
          {U'☃', std::nullopt, TFix::CodePage, "not in Windows-1250"}}},
        {"Unicode",
         0x2DB,
         {{U'ą', 0x105, TFix::Build, "build from a and ˛"},
          {U'ę', 0x119, TFix::Add, "draw or add from an outline font"},
          {U'ł', 0x142, TFix::Add, "draw or add from an outline font"},
          {U'☃', 0x2603, TFix::Add, "draw or add from an outline font"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Page);
        const TCodePageMap page = CodePageNamed(c.Page);
        const TTextCheck check = CheckText(
            font(c.Ogonek), page, TextCharacters(U"ą ł\te\r\n☃ęa\x7F\u2028ą"), Decomposition, 0);
        EXPECT_EQ(check.Characters, 7u);
        std::vector<std::tuple<char32_t, std::optional<std::uint16_t>, TFix, std::string>> got;
        for (const TMissingChar& m : check.Missing)
            got.emplace_back(m.Char, m.Code, m.Fix, FixText(m, page));
        EXPECT_EQ(got, c.Missing);
    }
}
