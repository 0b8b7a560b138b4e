// The session's code page: where a character typed or built goes, chosen
// through the command table's radio submenu.
#include <gtest/gtest.h>

#include <algorithm>

#include "base/errors.h"
#include "session/commands.h"
#include "session/session.h"
#include "testfiles.h"

// Under the code page chosen from View > Code Page, a character typed in Go
// To or built by Build Accented is at its code there; digits stay codes; a
// character the page lacks is refused, after the font's own reasons.
TEST(EditSession, TheCodePageDecidesWhichCodeACharacterIs) {
    struct Case {
        std::size_t Entry;
        std::uint16_t Ogonek, Built;
        std::string Lacking;  // Go To's refusal of a snowman
        std::string NotBuilt;
    };
    const std::vector<std::string> names = CodePageNames();
    const std::vector<Case> cases = {
        {0, 0x2DB, 0x105, "The font has no character 9731",
         "1 character was not built:\n☃ (U+2603): not one letter and one mark"},
        {std::size_t(std::find(names.begin(), names.end(), "Windows-1250") - names.begin()), 0xB2,
         0xB9, "\"☃\" is not in Windows-1250",
         "1 character was not built:\n☃ (U+2603): not in Windows-1250"},
    };
    const TCommand& command = CommandOf("code-page");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Entry);
        TEditSession s;
        s.Open(BoxFont({{' ', {0, 0, 0, 0}}, {'a', {1, 4, 5, 5}}, {c.Ogonek, {3, 0, 2, 2}}}));
        ChooseEntry(command, s, c.Entry);
        EXPECT_EQ(ChosenEntry(command, s), int(c.Entry));
        EXPECT_EQ(s.GoTo("˛").Row, 2);
        EXPECT_EQ(s.GoTo(std::to_string(c.Ogonek)).Row, 2);
        try {
            s.GoTo("☃");
            ADD_FAILURE() << "went to a snowman";
        } catch (const EFontError& e) {
            EXPECT_EQ(e.what(), c.Lacking);
        }
        const auto built = s.BuildAccented({{U'☃', U"☃"}, {U'ą', U"a\u0328"}});
        EXPECT_EQ(built.NotBuilt, c.NotBuilt);
        ASSERT_EQ(s.Font().Table().size(), 4u);
        EXPECT_EQ(s.Font().Table()[3].Code, c.Built);
        EXPECT_EQ(s.GoTo("ą").Row, 3);
    }
    TEditSession s;
    EXPECT_THROW(ChooseEntry(command, s, CodePageNames().size()), std::out_of_range);
}
