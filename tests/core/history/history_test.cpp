#include <gtest/gtest.h>

#include "font/tabletext.h"
#include "history/history.h"
#include "testfiles.h"

namespace {

// A step that sets pixel X, 0 of Font to Value.
TEditStep Dab(TEditedFont& Font, int X, std::uint16_t Value) {
    TPixelGrid grid = Font.Grid();
    TPixelDelta delta;
    delta.Set(grid, X, 0, Value);
    return TEditStep("Pencil", std::move(delta));
}

std::uint16_t At(TEditedFont& Font, int X) { return Font.Grid().Get(X, 0); }

}  // namespace

// Undo and redo walk the steps; a push drops the undone ones, and the clean
// state is lost for good once the steps that led to it are.
TEST(EditHistory, UndoRedoPushAndTheCleanState) {
    TEditedFont font;
    ASSERT_TRUE(font.Parse(MakeFont(8, 10, 2), "f.sft"));
    const std::uint16_t was = At(font, 1), was2 = At(font, 2);
    TEditHistory h;
    EXPECT_EQ(h.Undo(font), nullptr);
    for (int x : {1, 2, 3}) h.Push(font, Dab(font, x, 200));
    h.SetClean();
    EXPECT_TRUE(h.IsClean());
    EXPECT_EQ(h.Undo(font)->Name(), std::string("Pencil"));
    EXPECT_EQ(h.Undo(font)->Name(), std::string("Pencil"));
    EXPECT_EQ((std::tuple{At(font, 1), At(font, 2), h.RedoName()}),
              (std::tuple{std::uint16_t(200), was2, std::string("Pencil")}));
    EXPECT_FALSE(h.IsClean());
    ASSERT_NE(h.Redo(font), nullptr);
    EXPECT_EQ(At(font, 2), 200);
    h.Push(font, Dab(font, 5, 201));  // the clean state was undone and is gone
    EXPECT_EQ((std::pair{h.Count(), h.RedoName()}), (std::pair{std::size_t(3), std::string()}));
    while (h.Undo(font)) EXPECT_FALSE(h.IsClean());
    EXPECT_EQ(At(font, 1), was);
    EXPECT_EQ(h.CleanAt(), -1);
}

// The oldest steps go once the history holds more than its bound; the
// count of them comes back, and the clean state moves with them.
TEST(EditHistory, TheOldestStepsGoPastTheBound) {
    TEditedFont font;
    ASSERT_TRUE(font.Parse(MakeFont(16, 10, 2), "f.sft"));
    const std::size_t one = Dab(font, 0, 7).MemoryBytes();
    Dab(font, 0, 7).Toggle(font);
    TEditHistory h(2 * one);
    std::vector<std::size_t> dropped;
    for (int x = 0; x < 4; ++x) {
        if (x == 1) h.SetClean();
        dropped.push_back(h.Push(font, Dab(font, x, std::uint16_t(x + 1))));
    }
    EXPECT_EQ(dropped, (std::vector<std::size_t>{0, 0, 1, 1}));
    EXPECT_EQ((std::pair{h.Count(), h.CleanAt()}), (std::pair{std::size_t(2), std::ptrdiff_t(-1)}));
    const std::vector<const TEditStep*> steps = h.Steps();
    TEditHistory copy;
    std::vector<TEditStep> moved;
    for (int i = 0; i < 2; ++i) moved.push_back(Dab(font, 9, std::uint16_t(i)));
    copy.Restore(std::move(moved), 1, 1);
    EXPECT_TRUE(copy.IsClean());
    EXPECT_EQ((std::pair{copy.Count(), copy.Done()}), (std::pair{std::size_t(2), std::size_t(1)}));
    EXPECT_EQ(steps.size(), 2u);
}

TEST(TableText, RowsBecomeATableWithinWhatAFontHolds) {
    const std::vector<TTextRow> good = {{" 65 ", "0", "-7"}, {"+66", "2147483647", "-2147483648"}};
    EXPECT_EQ(TableOfTextRows(good),
              (std::vector<TCharEntry>{{65, 0, -7}, {66, 2147483647, -2147483647 - 1}}));
    EXPECT_EQ(TextRowsOf(TableOfTextRows(good))[1], (TTextRow{"66", "2147483647", "-2147483648"}));
    const std::vector<std::pair<TTextRow, std::string>> bad = {
        {{"65536", "0", "0"}, "Row 2: the code \"65536\" is not a whole number from 0 to 65535"},
        {{"-1", "0", "0"}, "Row 2: the code \"-1\" is not a whole number from 0 to 65535"},
        {{"1", "2147483648", "0"}, "Row 2: X \"2147483648\" is not a whole number from"},
        {{"1", "0", "1.5"}, "Row 2: Extra \"1.5\" is not a whole number from"},
        {{"1", "", "0"}, "Row 2: X \"\" is not"},
        {{"1", "0x10", "0"}, "Row 2: X \"0x10\" is not"},
    };
    for (const auto& [row, why] : bad) {
        SCOPED_TRACE(why);
        try {
            TableOfTextRows({good[0], row});
            ADD_FAILURE() << "taken";
        } catch (const EFontError& e) {
            EXPECT_EQ(std::string(e.what()).substr(0, why.size()), why);
        }
    }
    EXPECT_THROW(TableOfTextRows(std::vector<TTextRow>(257, good[0])), EFontError);
    const TTextRow last{"65535", "3", "4"}, next{"9", "3", "4"};
    EXPECT_EQ(RowAfter(nullptr), (TTextRow{"0", "0", "0"}));
    EXPECT_EQ(RowAfter(&next), (TTextRow{"10", "3", "4"}));
    EXPECT_EQ(RowAfter(&last), last);  // no code after the last
}
