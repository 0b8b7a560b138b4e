// The editing session: strokes, commands and the history they make, the
// picture's refusal taken back, and the journal the session hands its sink.
#include <gtest/gtest.h>

#include <functional>

#include "session.h"
#include "testfiles.h"

namespace {

// Two glyphs, 'A' columns 0-4 and 'B' 5-9, of an 8-bit strip 10 x 3 all 0.
TEditSession Opened() {
    TEditSession s;
    TEditedFont font;
    ByteVec file = SftWriter().Header(1).Range(65, 66, 0, 5).StripHeader(8).Size(10, 3).Bytes();
    file.resize(file.size() + 30, 0);
    EXPECT_TRUE(font.Parse(file, "f.sft"));
    s.SetPalette(PatternPalette(1));
    s.Open(std::move(font));
    s.SetColor(false, 7);
    s.SetColor(true, 0);
    return s;
}

ByteVec Strip(const TEditSession& s) {
    return ByteVec(s.Font().Font().Pixels.begin(), s.Font().Font().Pixels.end());
}

// Records what the session hands its journal.
struct Sink : IJournalSink {
    Bytes bytes;
    std::string calls;
    void Begin(const TWrite& Write) override {
        calls += 'B';
        bytes.clear();
        Write([this](ByteSpan p) { bytes.insert(bytes.end(), p.begin(), p.end()); });
    }
    void Append(ByteSpan r) override {
        calls += 'A';
        bytes.insert(bytes.end(), r.begin(), r.end());
    }
    void End() override { calls += 'E'; }
};

}  // namespace

// Each command is one step named as the command, changing what it says and
// undone back to the strip and table opened.
TEST(EditSession, EveryCommandIsOneStepUndoneToTheFontOpened) {
    using K = TSessionChange::TKind;
    struct Case {
        const char* step;
        std::function<TSessionChange(TEditSession&)> run;
        K kind;
        std::vector<int> painted;  // strip offsets now 7 (Pixels), or the table's Xs (Font)
    };
    const std::vector<Case> cases = {
        {"Pencil",
         [](auto& s) {
             s.Press(0, 0, TPointer::Left, false, false);
             s.Drag(2, 2);  // a line, not two dabs
             return s.Release();
         },
         K::Pixels,
         {0, 11, 22}},
        {"Fill",
         [](auto& s) { return s.Press(6, 1, TPointer::Left, false, true); },
         K::Pixels,
         {5, 6, 7, 8, 9, 15, 16, 17, 18, 19, 25, 26, 27, 28, 29}},
        {"Shift Down",
         [](auto& s) {
             s.Press(1, 0, TPointer::Left, false, false), s.Release();
             return s.Transform(TGlyphTransform::ShiftDown);
         },
         K::Pixels,
         {11}},
        {"Insert Character", [](auto& s) { return s.InsertCharacter(90, 2); }, K::Font, {0, 5, 7}},
        {"Set Width", [](auto& s) { return s.SetWidth(3); }, K::Font, {0, 3}},
        {"Delete Character", [](auto& s) { return s.DeleteCharacter(); }, K::Font, {0}},
        {"Character Table",
         [](auto& s) {
             return s.SetTable({{66, 0, 5}}, 0);
         },
         K::Font,
         {0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.step);
        TEditSession s = Opened();
        const ByteVec opened = Strip(s);
        const TSessionChange change = c.run(s);
        EXPECT_EQ(std::make_tuple(change.Kind, s.UndoName(), s.Modified()),
                  std::make_tuple(c.kind, std::string(c.step), true));
        if (c.kind == K::Pixels) {
            ByteVec want = opened;
            for (int at : c.painted) want[std::size_t(at)] = 7;
            EXPECT_EQ(Strip(s), want);
        } else {
            std::vector<int> xs;
            for (const TCharEntry& e : s.Font().Table()) xs.push_back(e.X);
            EXPECT_EQ(xs, c.painted);
        }
        while (!s.UndoName().empty()) s.Undo();
        EXPECT_EQ(std::make_tuple(Strip(s), s.Font().Table().size(), s.Modified()),
                  std::make_tuple(opened, std::size_t(2), false));
    }
}

// Ctrl takes the colour under the pointer and makes no step; a press off the
// strip or a fill that changes nothing makes none either; a paste is cut to
// the glyph's columns.
TEST(EditSession, PicksPressesOffTheStripAndPastesCut) {
    TEditSession s = Opened();
    s.Press(6, 1, TPointer::Left, false, true);  // 'B' all 7
    TSessionChange pick = s.Press(6, 2, TPointer::Right, true, false);
    EXPECT_EQ(std::make_tuple(pick.Colors, pick.Entry, s.Background(), s.UndoName()),
              std::make_tuple(true, 1, std::uint16_t(7), std::string("Fill")));
    EXPECT_EQ(s.Press(10, 0, TPointer::Left, false, false).Kind, TSessionChange::TKind::None);
    EXPECT_EQ(s.Press(6, 0, TPointer::Left, false, true).Kind, TSessionChange::TKind::None);
    TImagePixels picture;
    picture.Width = 7, picture.Height = 4, picture.Indexed = true;
    picture.Indices.assign(28, 3);
    picture.ColorTable.fill(0xFF000000);
    const ByteVec before = Strip(s);
    s.Paste(picture, false);
    ByteVec want = before;
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) want[std::size_t(10 * y + x)] = 3;
    EXPECT_EQ(std::make_pair(Strip(s), s.UndoName()),
              std::make_pair(want, std::string("Paste Glyph")));
}

// A picture that can't be built for a change refuses it: nothing changes and
// no step is kept; undoing or redoing a step it refuses leaves it in place.
TEST(EditSession, AChangeThePictureRefusesIsTakenBack) {
    TEditSession s = Opened();
    bool refuse = false;
    s.SetPrepare([&](const TEditedFont&) {
        if (refuse) throw EToolkitError("no picture");
    });
    s.InsertCharacter(90, 2);
    refuse = true;
    EXPECT_THROW(s.SetWidth(9), EToolkitError);
    EXPECT_THROW(s.Undo(), EToolkitError);
    EXPECT_EQ(std::make_tuple(s.Font().Table().size(), s.Font().Font().Width, s.UndoName()),
              std::make_tuple(std::size_t(3), 12, std::string("Insert Character")));
}

// The journal starts with the first change after the font was opened or
// saved, follows every step, and reads back as the session stands.
TEST(EditSession, TheJournalFollowsTheHistoryAndReadsBack) {
    TEditSession s = Opened();
    Sink sink;
    s.SetJournal(&sink);
    s.Press(1, 1, TPointer::Left, false, false), s.Release();
    s.InsertCharacter(90, 2);
    s.Undo(), s.Redo(), s.Undo();
    EXPECT_EQ(std::make_pair(sink.calls, s.Changes()),
              std::make_pair(std::string("BAAAA"), std::size_t(1)));
    SpanSource in(sink.bytes);
    const TJournalHistory kept = ParseJournal(in, "kept");
    EXPECT_EQ(std::make_tuple(kept.Done, kept.Steps.size(), FileOf(kept.Font)),
              std::make_tuple(std::size_t(1), std::size_t(2), FileOf(s.Font())));
    s.Saved("f.sft");
    s.Redo();
    EXPECT_EQ(sink.calls, "BAAAAEB");
}
