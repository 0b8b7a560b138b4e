// Recovery in the window: the journal kept as the font is edited, the
// start-up question for journals left behind and each of its answers, the
// window it lands in, and a recovery folder that can't be written.
#include <gtest/gtest.h>
#include <QAction>
#include <QDir>
#include <QWindow>
#include <filesystem>

#include "../core/testfiles.h"
#include "fakeui.h"
#include "files/recovery.h"
#include "window/mainwin.h"
#include "window/sessionbridge.h"

namespace fs = std::filesystem;

namespace {

class RecoveryTest : public testing::Test {
protected:
    RecoveryTest() : oldDir_(fs::current_path()) {
        fs::current_path(dir.Dir());
        WriteFile(dir.Path("uicolormap.cmp"), MakeCMP(PatternPalette(1)));
        WriteFile(font, MakeFont(8, 6, 2, 65, 66));
        fs::remove_all(Folder());
    }
    ~RecoveryTest() override {
        fs::current_path(oldDir_);
        fs::remove_all(Folder());
    }
    static std::string Folder() { return QFile::encodeName(RecoveryFolder()).toStdString(); }
    std::unique_ptr<TMainWindow> Window() {
        auto w = std::make_unique<TMainWindow>(ui);
        w->show();
        return w;
    }
    // A window with the font open and two changes in its history, one undone.
    std::unique_ptr<TMainWindow> Edited() {
        auto w = Window();
        w->OpenFont(QString::fromStdString(font));
        w->Transforms1[0]->trigger();
        w->Transforms1[2]->trigger();
        w->Transforms1[3]->trigger();
        w->Undo1->trigger();
        return w;
    }
    static ByteVec Pixels(const TMainWindow& w) {
        return ByteVec(w.FontData().Pixels.begin(), w.FontData().Pixels.end());
    }
    static std::string Caption(const TMainWindow& w) {
        return w.windowHandle()->title().toStdString();
    }
    std::vector<std::string> Journals() const {
        std::vector<std::string> names;
        if (fs::is_directory(Folder()))
            for (const auto& e : fs::directory_iterator(Folder()))
                if (e.path().extension() == ".journal" || e.path().extension() == ".unreadable")
                    names.push_back(e.path().extension().string());
        return names;
    }
    // The journal left as a killed window leaves it: its lock gone.
    std::string Orphan(const TMainWindow& w) {
        const std::string journal = QFile::encodeName(w.Recovery->JournalPath()).toStdString();
        const std::string left = Folder() + "/left.journal";
        fs::copy_file(journal, left);
        return left;
    }
    void Offer(std::unique_ptr<TMainWindow>& into) {
        OfferRecovery(
            ui,
            [&](TJournalHistory h, const QString& j) {
                into = Window();
                into->RecoverFont(std::move(h), j);
            },
            kept);
    }

    TempDir dir;
    std::string font = dir.Path("r.sft");
    FakeUI ui;
    std::vector<std::unique_ptr<TFileLock>> kept;

private:
    fs::path oldDir_;
};

TEST_F(RecoveryTest, RecoversTheFontWithItsHistoryAndSavesIt) {
    const ByteVec opened = ReadFile(font);
    auto w = Edited();
    const ByteVec edited = Pixels(*w);
    ASSERT_FALSE(w->Recovery->JournalPath().isEmpty());
    // A window still running, here or elsewhere, is never asked about.
    std::unique_ptr<TMainWindow> back;
    Offer(back);
    EXPECT_TRUE(ui.boxes.empty());
    Orphan(*w);
    w.reset();  // closed normally: its own journal goes
    ui.choices = {"&Recover"};
    Offer(back);
    ASSERT_TRUE(back);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_NE(ui.boxes[0].Text.find("changes to r.sft were saved"), std::string::npos);
    EXPECT_NE(ui.boxes[0].Text.find("Changes: 2\n"), std::string::npos);
    EXPECT_NE(ui.boxes[0].Text.find("Folder: " + dir.Dir()), std::string::npos);
    EXPECT_EQ(std::make_pair(Pixels(*back), Caption(*back)),
              std::make_pair(edited, "Quillmere : " + font + "*"));
    // Its journal is the window's now; the one left behind is gone.
    EXPECT_EQ(Journals(), std::vector<std::string>{".journal"});
    back->Undo1->trigger(), back->Undo1->trigger();
    EXPECT_EQ(std::make_pair(Pixels(*back), Caption(*back)),
              std::make_pair(ByteVec(opened.end() - 12, opened.end()), "Quillmere : " + font));
    back->Redo1->trigger(), back->Redo1->trigger();
    back->SaveSFT1->trigger();
    const ByteVec saved = ReadFile(font);
    EXPECT_EQ(ByteVec(saved.end() - 12, saved.end()), edited);
    EXPECT_TRUE(Journals().empty());  // saved: nothing to keep
    EXPECT_EQ(ui.boxes.size(), 1u);
}

TEST_F(RecoveryTest, DiscardNotNowUnreadableAndUnchanged) {
    struct Case {
        const char* name;
        std::function<void(const std::string& journal)> harm;
        std::vector<QString> answers;
        std::vector<std::string> left;
        const char* box;
    };
    const std::vector<Case> cases = {
        {"discard", {}, {"&Discard"}, {}, "Choice"},
        {"not now: kept, not asked again while held", {}, {"&Not Now"}, {".journal"}, "Choice"},
        {"unreadable: moved aside",
         [](auto& j) {
             WriteFile(j, ByteVec{'Q', 'U', 'I', 'L'});
         },
         {},
         {".unreadable"},
         "Warning"},
        {"undone to the file: removed unasked", [](auto&) {}, {}, {}, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(Folder());
        ui.boxes.clear();
        kept.clear();
        auto w = Edited();
        if (!c.box) w->Undo1->trigger(), w->Undo1->trigger();
        const std::string journal = Orphan(*w);
        w.reset();
        if (c.harm) c.harm(journal);
        ui.choices.assign(c.answers.begin(), c.answers.end());
        std::unique_ptr<TMainWindow> back;
        Offer(back);
        Offer(back);
        EXPECT_FALSE(back);
        EXPECT_EQ(Journals(), c.left);
        ASSERT_EQ(ui.boxes.size(), c.box ? 1u : 0u);
        if (c.box) {
            EXPECT_EQ(ui.boxes[0].Caption, c.box);
        }
    }
}

// Started with a font after a crash: its changes are recovered into this
// window while it holds that very file unchanged, not into a second one.
TEST_F(RecoveryTest, TheFontTheWindowStartedWithIsRecoveredIntoIt) {
    const ByteVec opened = ReadFile(font);
    fs::create_symlink(font, dir.Path("link.sft"));
    WriteFile(dir.Path("o.sft"), MakeFont(8, 6, 2, 67, 68));
    struct Case {
        const char* name;
        std::string start;
        bool changed;
        bool here;
    };
    const std::vector<Case> cases = {
        {"the font, by another name", dir.Path("link.sft"), false, true},
        {"the font, changed already", font, true, false},
        {"another font", dir.Path("o.sft"), false, false},
        {"none", "", false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(Folder());
        auto crashed = Edited();
        const ByteVec edited = Pixels(*crashed);
        const QString left = QString::fromStdString(Orphan(*crashed));
        crashed.reset();
        auto w = Window();
        if (!c.start.empty()) w->OpenFont(QString::fromStdString(c.start));
        if (c.changed) w->Transforms1[0]->trigger();
        const ByteVec before = Pixels(*w);
        ui.choices = {"&Recover"};
        std::vector<QString> elsewhere;
        OfferRecovery(
            ui,
            [&](TJournalHistory h, const QString& j) {
                w->TakeRecovered(std::move(h), j,
                                 [&](const QString& e) { elsewhere.push_back(e); });
            },
            kept);
        EXPECT_EQ(elsewhere, c.here ? std::vector<QString>{} : std::vector<QString>{left});
        if (!c.here) {
            EXPECT_EQ(Pixels(*w), before);
            continue;
        }
        // The journal's history is this window's now.
        EXPECT_EQ(std::make_pair(Pixels(*w), Caption(*w)),
                  std::make_pair(edited, "Quillmere : " + font + "*"));
        w->Undo1->trigger(), w->Undo1->trigger();
        EXPECT_EQ(Pixels(*w), ByteVec(opened.end() - 12, opened.end()));
    }
}

TEST_F(RecoveryTest, AFolderThatCantBeWrittenIsToldOnceAndEditingGoesOn) {
    fs::create_directories(fs::path(Folder()).parent_path());
    WriteFile(Folder(), {1});  // a file where the folder would go
    auto w = Edited();
    w->Redo1->trigger();
    ASSERT_EQ(ui.boxes.size(), 1u);
    const std::string& text = ui.boxes[0].Text;
    EXPECT_EQ(text.rfind("Changes to r.sft can't be kept for recovery: " + Folder() + "/", 0), 0u);
    EXPECT_NE(text.find(": Not a directory. Editing and saving go on."), std::string::npos) << text;
    w->SaveSFT1->trigger();
    w->Undo1->trigger();
    EXPECT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(Caption(*w), "Quillmere : " + font + "*");
    fs::remove(Folder());
}

}  // namespace
