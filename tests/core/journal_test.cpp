// The recovery journal: every kind of step written and read back, a torn
// tail dropped, a damaged record refused, the history's bound followed.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "charedit.h"
#include "journal.h"
#include "testfiles.h"

namespace {

// A font and its history as the window keeps them, with the journal
// written as it goes.
struct Session {
    TEditedFont font;
    std::vector<TEditStep> steps;
    std::size_t done = 0;
    TJournalWriter journal;

    std::vector<const TEditStep*> Steps() const {
        std::vector<const TEditStep*> v;
        for (const TEditStep& s : steps) v.push_back(&s);
        return v;
    }
    void Push(TEditStep step) {
        journal.Pushed(step, font);
        steps.push_back(std::move(step));
        ++done;
    }
};

using Edit = std::function<TEditStep(TEditedFont&)>;

TEditStep Pencil(TEditedFont& f, std::int32_t x0, std::int32_t x1, std::uint16_t v) {
    TPixelGrid grid = f.Grid();
    return TEditStep("Pencil",
                     Recorded(grid, [&](TPixelDelta& d) { PaintLine(grid, x0, 0, x1, 1, v, d); }));
}

// A wholesale change as the window makes one: the font replaced by an edited copy.
TEditStep Replace(TEditedFont& f, const char* name, const std::function<void(TEditedFont&)>& edit) {
    TEditedFont copy = f;
    edit(copy);
    TFontBody before = f.Body();
    f = std::move(copy);
    return TEditStep(name, std::move(before), f);
}

const std::vector<std::pair<const char*, Edit>>& EveryKind() {
    static const std::vector<std::pair<const char*, Edit>> kinds = {
        {"pencil", [](auto& f) { return Pencil(f, 1, 6, 0x1234 & 0xFF); }},
        {"import",
         [](auto& f) {
             return Replace(f, "Import Picture", [](TEditedFont& c) {
                 const std::size_t n = std::size_t(12 * 3 * c.BitsPerPixel() / 8);
                 c.ReplaceStrip(12, 3, Bytes(n, 0x5A));
             });
         }},
        {"table",
         [](auto& f) {
             return Replace(f, "Character Table", [](TEditedFont& c) {
                 c.SetTable({{70, 1, 2}, {71, 3, 4}});
             });
         }},
        {"insert", [](auto& f) { return InsertCharacter(f, 0, 90, 2, 9); }},
        {"delete", [](auto& f) { return DeleteCharacter(f, 1); }},
        {"widen", [](auto& f) { return *SetGlyphWidth(f, 1, 5, 3); }},
        {"narrow", [](auto& f) { return *SetGlyphWidth(f, 1, 1, 3); }},
        {"append",
         [](auto& f) {
             const std::size_t n = std::size_t(2 * f.Font().Height * f.BitsPerPixel() / 8);
             Bytes pixels(n);
             for (std::size_t i = 0; i < n; ++i) pixels[i] = std::uint8_t(i + 1);
             return AppendGlyphs(f, 2, std::move(pixels), {{200, 0, 2}});
         }},
    };
    return kinds;
}

struct Fixture {
    TempDir dir;
    std::string journal = dir.Path("w.journal");
    ByteVec Font(int bpp) const { return MakeFont(bpp, 10, 2, 65, 67); }
    void Open(Session& s, int bpp) {
        WriteFile(dir.Path("f.sft"), Font(bpp));
        ASSERT_TRUE(s.font.Load(dir.Path("f.sft")));
    }
};

TEST(Journal, EveryKindOfStepReadBackGivesTheSameFontAndUndoesToTheFile) {
    for (int bpp : {8, 16})
        for (const auto& [name, edit] : EveryKind())
            for (const bool keptAtStart : {false, true}) {
                SCOPED_TRACE(std::string(name) + " at " + std::to_string(bpp) +
                             (keptAtStart ? ", kept at a start" : ", pushed"));
                Fixture fx;
                Session s;
                fx.Open(s, bpp);
                const TFileStamp stamp = StampOf(fx.dir.Path("f.sft"));
                if (!keptAtStart) s.journal.Start(fx.journal, s.font, stamp, {}, 0, 0);
                s.Push(Pencil(s.font, 0, 9, 7));
                s.Push(edit(s.font));
                // Undone and redone: both recorded.
                for (int i = 0; i < 2; ++i) s.steps[1].Toggle(s.font);
                s.journal.Undone(), s.journal.Redone();
                if (keptAtStart) s.journal.Start(fx.journal, s.font, stamp, s.Steps(), 2, 0);
                const ByteVec edited = FileOf(s.font);

                TJournalHistory h = ReadJournal(fx.journal);
                EXPECT_EQ(FileOf(h.Font), edited);
                EXPECT_TRUE(h.Font.Modified());
                EXPECT_EQ(h.Font.Path(), fx.dir.Path("f.sft"));
                EXPECT_EQ(h.Stamp, stamp);
                ASSERT_EQ(h.Steps.size(), 2u);
                EXPECT_EQ(std::make_tuple(h.Done, h.Clean, h.Changes()),
                          std::make_tuple(2u, 0, 2u));
                EXPECT_FALSE(h.Torn);
                EXPECT_EQ(h.Steps[1].Name(), std::string(s.steps[1].Name()));
                h.Steps[1].Toggle(h.Font);
                h.Steps[0].Toggle(h.Font);
                EXPECT_EQ(FileOf(h.Font), fx.Font(bpp));
                h.Steps[0].Toggle(h.Font);
                h.Steps[1].Toggle(h.Font);
                EXPECT_EQ(FileOf(h.Font), edited);
            }
}

TEST(Journal, ATornLastRecordIsDroppedAtEveryByte) {
    Fixture fx;
    Session s;
    fx.Open(s, 16);
    s.journal.Start(fx.journal, s.font, {}, {}, 0, 0);
    s.Push(Pencil(s.font, 0, 9, 1));
    s.Push(InsertCharacter(s.font, 0, 90, 2, 9));
    const ByteVec before = FileOf(s.font);
    const auto whole = std::filesystem::file_size(fx.journal);
    s.Push(Replace(s.font, "Import Picture",
                   [](TEditedFont& c) { c.ReplaceStrip(3, 2, Bytes(12, 1)); }));
    const ByteVec full = ReadFile(fx.journal);
    for (std::size_t cut = whole; cut < full.size(); ++cut) {
        SCOPED_TRACE(cut);
        WriteFile(fx.journal, ByteVec(full.begin(), full.begin() + std::ptrdiff_t(cut)));
        const TJournalHistory h = ReadJournal(fx.journal);
        EXPECT_EQ(h.Torn, cut > whole);
        EXPECT_EQ(h.Done, 2u);
        EXPECT_EQ(FileOf(h.Font), before);
    }
    // The last record whole but its bytes garbled by a crash: dropped as well.
    ByteVec garbled = full;
    garbled.back() ^= 0x40;
    WriteFile(fx.journal, garbled);
    EXPECT_TRUE(ReadJournal(fx.journal).Torn);
}

TEST(Journal, ADamagedRecordOrFileIsRefusedSayingWhy) {
    Fixture fx;
    Session s;
    fx.Open(s, 8);
    s.journal.Start(fx.journal, s.font, {}, {}, 0, 0);
    const auto based = std::filesystem::file_size(fx.journal);
    s.Push(Pencil(s.font, 0, 9, 1));
    s.Push(Pencil(s.font, 0, 9, 2));
    const ByteVec full = ReadFile(fx.journal);
    struct Case {
        std::function<void(ByteVec&)> harm;
        const char* why;
    };
    for (const Case& c : std::vector<Case>{
             {[&](ByteVec& b) { b[based + 12] ^= 1; },
              "the recovery journal is damaged: record 2 at byte "},
             {[&](ByteVec& b) { b[20] ^= 1; },
              "the recovery journal is damaged: record 1 at byte 8"},
             {[](ByteVec& b) { b[0] = 'X'; }, "it is not a recovery journal"},
             {[](ByteVec& b) { b.resize(30); },
              "the recovery journal is damaged: it is cut short before its history"},
         }) {
        SCOPED_TRACE(c.why);
        ByteVec harmed = full;
        c.harm(harmed);
        WriteFile(fx.journal, harmed);
        try {
            ReadJournal(fx.journal);
            ADD_FAILURE() << "read";
        } catch (const EFontError& e) {
            EXPECT_EQ(std::string(e.what()).rfind(c.why, 0), 0u) << e.what();
        }
    }
}

TEST(Journal, StepsTheHistoryDropsGoFromTheJournal) {
    Fixture fx;
    Session s;
    fx.Open(s, 16);
    s.journal.Start(fx.journal, s.font, {}, {}, 0, 0);
    // Each dab about 200 bytes of history; room for four.
    const std::size_t bound = 800;
    std::vector<std::size_t> sizes;
    std::vector<ByteVec> states{FileOf(s.font)};
    bool restarted = false;
    for (std::uint16_t v = 1; v <= 12; ++v) {
        s.Push(Pencil(s.font, 0, 9, v));
        states.push_back(FileOf(s.font));
        sizes.push_back(s.steps.back().MemoryBytes());
        const std::size_t drop = StepsToDrop(sizes, bound);
        sizes.erase(sizes.begin(), sizes.begin() + std::ptrdiff_t(drop));
        s.steps.erase(s.steps.begin(), s.steps.begin() + std::ptrdiff_t(drop));
        s.done -= drop;
        if (drop) s.journal.Dropped(drop);
        if (s.journal.Overgrown(bound)) {
            s.journal.Start(fx.journal, s.font, {}, s.Steps(), s.done, -1);
            restarted = true;
            EXPECT_FALSE(s.journal.Overgrown(bound));
        }
    }
    EXPECT_TRUE(restarted);
    EXPECT_LT(std::filesystem::file_size(fx.journal), bound + bound / 4 + 2 * states[0].size());
    TJournalHistory h = ReadJournal(fx.journal);
    ASSERT_EQ(h.Steps.size(), s.steps.size());
    ASSERT_LT(h.Steps.size(), 12u);
    EXPECT_EQ(h.Clean, -1);
    for (std::size_t i = h.Steps.size(); i-- > 0;) h.Steps[i].Toggle(h.Font);
    EXPECT_EQ(FileOf(h.Font), states[12 - s.steps.size()]);
}

}  // namespace
