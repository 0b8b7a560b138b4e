// A font's file changed, replaced or removed by another program while it is
// open: the question, Reload and Revert as steps, Save asking first.
#include <gtest/gtest.h>
#include <QAction>
#include <QWindow>
#include <filesystem>

#include "../core/testfiles.h"
#include "fakeui.h"
#include "filewatch.h"
#include "mainwin.h"

namespace fs = std::filesystem;

namespace {

class FileWatchTest : public testing::Test {
protected:
    FileWatchTest() {
        w.show();
        w.OpenFont(QString::fromStdString(font));
    }
    ~FileWatchTest() override { fs::current_path(oldDir_); }
    ByteVec Pixels() const {
        return ByteVec(w.FontData().Pixels.begin(), w.FontData().Pixels.end());
    }
    bool Starred() const { return w.windowHandle()->title().endsWith('*'); }
    // Another program writes the file: replaced, as editors save.
    void Elsewhere(const ByteVec& bytes) {
        WriteFile(font + ".x", bytes);
        fs::rename(font + ".x", font);
    }
    static ByteVec Tail(const ByteVec& b) { return ByteVec(b.end() - 12, b.end()); }

    fs::path oldDir_ = fs::current_path();
    TempDir dir;
    std::string font = dir.Path("w.sft");
    const ByteVec opened = MakeFont(8, 6, 2, 65, 66);
    const ByteVec other = [] {
        ByteVec b = MakeFont(8, 6, 2, 65, 66);
        for (std::size_t i = b.size() - 12; i < b.size(); ++i) b[i] = 9;
        return b;
    }();
    FakeUI ui;
    // The window starts in the folder with the palette.
    bool placed_ = [this] {
        fs::current_path(dir.Dir());
        WriteFile(dir.Path("uicolormap.cmp"), MakeCMP(PatternPalette(1)));
        WriteFile(font, opened);
        return true;
    }();
    TMainWindow w{ui};
};

const std::string kChanged = "w.sft has been changed by another program. Reload it?";
const std::string kAside = " Your unsaved changes would be set aside; Undo brings them back.";
const std::string kButtons = " [&Reload|&Keep Mine]";

TEST_F(FileWatchTest, ReloadIsAStepAndKeepMineKeepsTheFontChanged) {
    struct Case {
        bool edited;
        const char* answer;
        ByteVec after;  // the strip after the answer
        bool starred;
    };
    for (const Case& c :
         {Case{false, "&Reload", Tail(other), false}, Case{true, "&Reload", Tail(other), false},
          Case{false, "&Keep Mine", Tail(opened), true}, Case{true, "&Keep Mine", {}, true}}) {
        SCOPED_TRACE(std::string(c.answer) + (c.edited ? ", edited" : ""));
        Elsewhere(opened);
        w.OpenFont(QString::fromStdString(font));
        if (c.edited) w.Transforms1[0]->trigger();
        ASSERT_EQ(Starred(), c.edited);
        const ByteVec mine = Pixels();
        ui.boxes.clear();
        ui.choices = {c.answer};
        Elsewhere(other);
        w.Watch->Check();
        w.Watch->Check();  // the same change is asked about once
        EXPECT_EQ(ui.boxes,
                  (std::vector<Box>{{"Choice", kChanged + (c.edited ? kAside : "") + kButtons}}));
        EXPECT_EQ(Pixels(), c.after.empty() ? mine : c.after);
        EXPECT_EQ(Starred(), c.starred);
        if (std::string(c.answer) == "&Reload") {
            EXPECT_EQ(w.Undo1->text(), "&Undo Reload");
            w.Undo1->trigger();
            EXPECT_EQ(std::make_pair(Pixels(), Starred()), std::make_pair(mine, true));
        }
    }
}

TEST_F(FileWatchTest, SaveOverAChangedFileAsksFirst) {
    w.Transforms1[0]->trigger();
    ui.choices = {"&Keep Mine"};
    Elsewhere(other);
    w.Watch->Check();
    const std::string ask =
        "w.sft has been changed by another program since it was opened or last saved. "
        "Overwrite it? [&Overwrite|Save &As...|&Cancel]";
    ui.boxes.clear();
    ui.choices = {"&Cancel", "Save &As...", "&Overwrite"};
    w.SaveSFT1->trigger();
    EXPECT_EQ(ReadFile(font), other);
    ui.Cancel();  // the Save As dialog
    w.SaveSFT1->trigger();
    EXPECT_EQ(ui.dialogs.back().Title, "Save SFT As");
    EXPECT_EQ(ReadFile(font), other);
    // Closing: Save, called off at the question, keeps the window open.
    ui.saves = {TSaveAnswer::Save};
    ui.choices.push_front("&Cancel");
    EXPECT_FALSE(w.MaybeSave());
    w.SaveSFT1->trigger();
    EXPECT_EQ(Tail(ReadFile(font)), Pixels());
    EXPECT_NE(Pixels(), Tail(other));
    EXPECT_EQ(ui.boxes, (std::vector<Box>{{"Choice", ask},
                                          {"Choice", ask},
                                          {"Save?", "w.sft has unsaved changes. Save them?"},
                                          {"Choice", ask},
                                          {"Choice", ask}}));
    w.Watch->Check();  // its own save is no change
    EXPECT_EQ(ui.boxes.size(), 5u);
}

TEST_F(FileWatchTest, RevertIsAStepGreyedWhileNothingToRevert) {
    EXPECT_FALSE(w.Revert1->isEnabled());
    w.Transforms1[0]->trigger();
    const ByteVec flipped = Pixels();
    EXPECT_TRUE(w.Revert1->isEnabled());
    w.Revert1->trigger();
    EXPECT_EQ(std::make_tuple(Pixels(), Starred(), w.Revert1->isEnabled(), w.Undo1->text()),
              std::make_tuple(Tail(opened), false, false, QString("&Undo Revert")));
    w.Undo1->trigger();
    EXPECT_EQ(std::make_pair(Pixels(), Starred()), std::make_pair(flipped, true));
    // Removed: said once; the font stays, and Save writes it again.
    fs::remove(font);
    w.Watch->Check();
    w.Watch->Check();
    EXPECT_EQ(ui.boxes, (std::vector<Box>{{"Warning",
                                           "w.sft was removed or renamed by another program. The "
                                           "font stays open; Save writes it again."}}));
    ui.choices = {"&Overwrite"};
    w.SaveSFT1->trigger();
    EXPECT_EQ(Tail(ReadFile(font)), flipped);
}

}  // namespace
