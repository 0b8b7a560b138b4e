// A font's file changed, replaced or removed by another program while it is
// open: the question, asked once the file is still, Reload and Revert as
// steps, Save asking first.
#include <gtest/gtest.h>
#include <QAction>
#include <QTest>
#include <QWindow>
#include <filesystem>

#include "../core/testfiles.h"
#include "fakeui.h"
#include "files/filewatch.h"
#include "window/mainwin.h"

namespace fs = std::filesystem;

namespace {

class FileWatchTest : public testing::Test {
protected:
    FileWatchTest() { w.OpenFont(QString::fromStdString(font)); }
    ~FileWatchTest() override { fs::current_path(oldDir_); }
    ByteVec Pixels() const {
        return ByteVec(w.FontData().Pixels.begin(), w.FontData().Pixels.end());
    }
    bool Starred() const { return w.isWindowModified(); }
    // Another program writes the file: replaced, as editors save.
    void Elsewhere(const ByteVec& bytes) {
        WriteFile(font + ".x", bytes);
        fs::rename(font + ".x", font);
    }
    static ByteVec Tail(const ByteVec& b) { return ByteVec(b.end() - 12, b.end()); }
    // The check on the window's activation, and the wait for a question once
    // the file is still.
    void Checked() {
        const std::size_t before = ui.boxes.size();
        w.Watch->Check();
        // None may come: the callers count the boxes.
        static_cast<void>(
            QTest::qWaitFor([&] { return ui.boxes.size() > before; }, TFileWatch::kSettleMs * 3));
    }

    fs::path oldDir_ = fs::current_path();
    TempDir dir;
    std::string font = dir.Path("w.sft");
    const ByteVec opened = MakeFont(8, 6, 2, 65, 66), other = [this] {
        ByteVec b = opened;
        std::fill(b.end() - 12, b.end(), 9);
        return b;
    }();
    FakeUI ui;
    bool placed_ = [this] {  // the window starts in the folder with the palette
        fs::current_path(dir.Dir());
        WriteFile(dir.Path("uicolormap.cmp"), MakeCMP(PatternPalette(1)));
        WriteFile(font, opened);
        return true;
    }();
    TMainWindow w{ui};
};

TEST_F(FileWatchTest, ReloadIsAStepAndKeepMineKeepsTheFontChanged) {
    for (const bool edited : {false, true})
        for (const QString answer : {"&Reload", "&Keep Mine"}) {
            SCOPED_TRACE(answer.toStdString() + (edited ? ", edited" : ""));
            Elsewhere(opened);
            w.OpenFont(QString::fromStdString(font));
            if (edited) w.Transforms1[0]->trigger();
            const ByteVec mine = Pixels();
            ui.boxes.clear();
            ui.choices = {answer};
            Elsewhere(other);
            Checked();
            Checked();  // the same change is asked about once
            EXPECT_EQ(
                ui.boxes,
                (std::vector<Box>{{"Choice", std::string("w.sft has been changed by another "
                                                         "program. Reload it?") +
                                                 (edited ? " Your unsaved changes would be set "
                                                           "aside; Undo brings them back."
                                                         : "") +
                                                 " [&Reload|&Keep Mine]"}}));
            const bool reload = answer == "&Reload";
            EXPECT_EQ(std::make_pair(Pixels(), Starred()),
                      std::make_pair(reload ? Tail(other) : mine, !reload));
            if (!reload) continue;
            w.Undo1->trigger();
            EXPECT_EQ(std::make_pair(Pixels(), Starred()), std::make_pair(mine, true));
        }
}

TEST_F(FileWatchTest, SaveOverAChangedFileAsksFirstAndRevertIsAStep) {
    EXPECT_FALSE(w.Revert1->isEnabled());
    w.Transforms1[0]->trigger();
    const ByteVec flipped = Pixels();
    w.Revert1->trigger();
    EXPECT_EQ(std::make_tuple(Pixels(), Starred(), w.Revert1->isEnabled(), w.Undo1->text()),
              std::make_tuple(Tail(opened), false, false, QString("&Undo Revert")));
    w.Undo1->trigger();
    ui.choices = {"&Keep Mine"};
    Elsewhere(other);
    Checked();
    ui.boxes.clear();
    // Cancel; Save As..., cancelled in its dialog; closing: Save, called off
    // at the question, keeps the window open; Overwrite.
    ui.choices = {"&Cancel", "Save &As...", "&Cancel", "&Overwrite"};
    ui.Cancel();
    w.SaveSFT1->trigger();
    w.SaveSFT1->trigger();
    ui.saves = {TSaveAnswer::Save};
    EXPECT_FALSE(w.MaybeSave());
    EXPECT_EQ(ReadFile(font), other);
    w.SaveSFT1->trigger();
    EXPECT_EQ(Tail(ReadFile(font)), flipped);
    EXPECT_EQ(ui.boxes.size(), 5u);
    EXPECT_EQ(ui.boxes[0].Text,
              "w.sft has been changed by another program since it was opened or last saved. "
              "Overwrite it? [&Overwrite|Save &As...|&Cancel]");
    // Removed: said once; the font stays, and Save writes it again.
    fs::remove(font);
    ui.boxes.clear();
    Checked();
    Checked();
    EXPECT_EQ(ui.boxes, (std::vector<Box>{{"Warning",
                                           "w.sft was removed or renamed by another program. The "
                                           "font stays open; Save writes it again."}}));
}

// Written in place, as "cat > w.sft" does: truncated, then written a moment
// later. Asked once, when it is still, and the answer is for the file as it
// is when given, though it was written again while asked.
TEST_F(FileWatchTest, AFileWrittenInPlaceIsAskedAboutOnceWhenStill) {
    ByteVec third = opened;
    std::fill(third.end() - 12, third.end(), 5);
    for (const bool again : {false, true})
        for (const QString answer : {"&Reload", "&Keep Mine"}) {
            SCOPED_TRACE(answer.toStdString() + (again ? ", written again while asked" : ""));
            Elsewhere(opened);
            w.OpenFont(QString::fromStdString(font));
            ui.boxes.clear();
            ui.choices = {answer};
            ui.whileAsked = [&, again] {
                if (again) WriteFile(font, third);
            };
            fs::resize_file(font, 0);
            w.Watch->Check();
            QTest::qWait(TFileWatch::kSettleMs / 2);
            EXPECT_TRUE(ui.boxes.empty()) << "asked about an empty file";
            WriteFile(font, other);
            Checked();
            Checked();
            EXPECT_EQ(ui.boxes.size(), 1u);
            EXPECT_EQ(Pixels(), Tail(answer == "&Keep Mine" ? opened : again ? third : other));
        }
    ui.whileAsked = nullptr;
}

}  // namespace
