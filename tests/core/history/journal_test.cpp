// The recovery journal: every kind of step written and read back, a torn
// tail dropped, a damaged record refused, the history's bound followed, a
// replay kept within its limits.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "alloc_probe.h"
#include "edit/charedit.h"
#include "history/journal.h"
#include "testfiles.h"

namespace {

// A font and its history as the session keeps them, its journal's records
// written to a file as the window's sink writes them.
struct Session {
    TEditedFont font;
    std::vector<TEditStep> steps;
    std::size_t done = 0;
    TJournalRecords records;
    TJournalWriter journal;
    std::uint64_t since = 0;  // record bytes after the start

    // The journal at Path afresh: the font and the steps as they stand.
    void Start(const std::string& Path, const TFileStamp& Stamp, std::ptrdiff_t Clean) {
        std::vector<const TEditStep*> kept;
        for (const TEditStep& s : steps) kept.push_back(&s);
        journal.Begin(Path, [&](const TJournalRecords::TOut& Out) {
            records.Start(font, Stamp, kept, done, Clean, Out);
        });
        since = 0;
    }
    void Append(ByteSpan Record) {
        journal.Append(Record);
        since += Record.size();
    }
    void Push(TEditStep step) {
        Append(records.Pushed(step, font));
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
                if (!keptAtStart) s.Start(fx.journal, stamp, 0);
                s.Push(Pencil(s.font, 0, 9, 7));
                s.Push(edit(s.font));
                // Undone and redone: both recorded.
                for (int i = 0; i < 2; ++i) s.steps[1].Toggle(s.font);
                s.Append(s.records.Undone()), s.Append(s.records.Redone());
                if (keptAtStart) s.Start(fx.journal, stamp, 0);
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
    s.Start(fx.journal, {}, 0);
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
    s.Start(fx.journal, {}, 0);
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
    s.Start(fx.journal, {}, 0);
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
        if (drop) s.Append(s.records.Dropped(drop));
        if (JournalOvergrown(s.since, bound)) {
            s.Start(fx.journal, {}, -1);
            restarted = true;
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

// Where each record begins, after the magic.
std::vector<std::size_t> RecordsOf(const ByteVec& b) {
    std::vector<std::size_t> at;
    for (std::size_t r = 8; r + 8 <= b.size(); r += 8 + GetU32(b.data() + r)) at.push_back(r);
    return at;
}

void Reseal(ByteVec& b, std::size_t Record) {
    PutU32(b.data() + Record + 4,
           Crc32(ByteSpan(b).subspan(Record + 8, GetU32(b.data() + Record))));
}

// What a replay makes of Bytes: the steps done, or the error's text.
std::string Replayed(const ByteVec& Bytes, const TJournalLimits& Limits = {}) {
    try {
        SpanSource in(Bytes);
        const TJournalHistory h = ParseJournal(in, "j", Limits);
        return (h.Torn ? "torn, " : "") + std::to_string(h.Done) + " done";
    } catch (const EFontError& e) {
        return e.what();
    }
}

TEST(Journal, OnlyTheLastRecordCanBeTornDamageBeforeWholeRecordsIsReported) {
    Fixture fx;
    Session s;
    fx.Open(s, 8);
    s.Start(fx.journal, {}, 0);
    for (std::uint16_t v = 1; v <= 3; ++v) s.Push(Pencil(s.font, 0, 9, v));
    const ByteVec full = ReadFile(fx.journal);
    const std::vector<std::size_t> at = RecordsOf(full);
    ASSERT_EQ(at.size(), 4u);
    const std::size_t second = at[1], last = at[3];
    const std::string damaged = "the recovery journal is damaged: record ";
    struct Case {
        const char* what;
        std::function<void(ByteVec&)> harm;
        std::string read;
    };
    for (const Case& c : std::vector<Case>{
             {"whole", [](ByteVec&) {}, "3 done"},
             {"a length of 0 in the middle", [&](ByteVec& b) { PutU32(&b[second], 0); },
              damaged + "2 at byte " + std::to_string(second) + " has a length of 0"},
             {"a length past the end in the middle",
              [&](ByteVec& b) { PutU32(&b[second], 1u << 30); }, damaged + "2 at byte "},
             {"a length that ends on the file's end, over whole records",
              [&](ByteVec& b) { PutU32(&b[at[2]], std::uint32_t(b.size() - at[2] - 8)); },
              damaged + "3 at byte "},
             {"a last record shortened, bytes after it",
              [&](ByteVec& b) { PutU32(&b[last], GetU32(&b[last]) - 1); }, damaged + "4 at byte "},
             {"a last record's length past the end",
              [&](ByteVec& b) { PutU32(&b[last], 1u << 30); }, "torn, 2 done"},
             {"a last record zeroed",
              [&](ByteVec& b) { std::fill(b.begin() + std::ptrdiff_t(last), b.end(), 0); },
              "torn, 2 done"},
             {"a last record's head cut short", [&](ByteVec& b) { b.resize(last + 7); },
              "torn, 2 done"},
         }) {
        SCOPED_TRACE(c.what);
        ByteVec harmed = full;
        c.harm(harmed);
        EXPECT_EQ(Replayed(harmed).rfind(c.read, 0), 0u) << Replayed(harmed);
    }
}

TEST(Journal, AStepGrowingTheStripPastTheLimitIsRefusedBeforeItIsHad) {
    Fixture fx;
    Session s;
    fx.Open(s, 8);  // 10 x 2
    s.Start(fx.journal, {}, 0);
    s.Push(Pencil(s.font, 0, 9, 1));
    s.Push(InsertCharacter(s.font, 0, 90, 2, 9));
    s.Push(Pencil(s.font, 0, 9, 2));
    const ByteVec full = ReadFile(fx.journal);
    // The insertion's count of columns: kind, step kind, state, name, insert, first column.
    const std::size_t insert = RecordsOf(full)[2];
    const std::size_t columns = insert + 8 + 5 + std::strlen(s.steps[1].Name()) + 5;
    ASSERT_EQ(GetU32(&full[columns]), 2u);
    const std::size_t big = std::size_t(450) << 20;  // 2 rows: past 768 MiB
    struct Case {
        std::uint32_t columns;
        TJournalLimits limits;
        std::string read;
    };
    for (const Case& c : std::vector<Case>{
             {2, {}, "3 done"},
             {2, {24, kHistoryBound}, "3 done"},  // 12 x 2, at the limit
             {3,
              {24, kHistoryBound},
              "a step of the history is damaged: a strip of 13 x 2 is 26 bytes"},
             {std::uint32_t(big),
              {},
              "a step of the history is damaged: a strip of " + std::to_string(big + 10) +
                  " x 2 is"},
             {2, {kMaxFontBytes, 1}, "the recovery journal is damaged: its history holds more"},
         }) {
        SCOPED_TRACE(c.columns);
        ByteVec harmed = full;
        PutU32(&harmed[columns], c.columns);
        Reseal(harmed, insert);
        ResetLargestAllocation();
        EXPECT_EQ(Replayed(harmed, c.limits).rfind(c.read, 0), 0u) << Replayed(harmed, c.limits);
        EXPECT_LT(LargestAllocation(), 64u << 10);
    }
}

}  // namespace
