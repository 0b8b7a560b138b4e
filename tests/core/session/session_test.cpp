// The editing session: a change the picture refuses taken back, a paste cut
// to its glyph, and the journal the session hands its sink. The commands
// themselves are driven through the window's and the page's tests.
#include <gtest/gtest.h>

#include <functional>

#include "session/session.h"
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
    TImagePixels picture;  // 7 x 4 into the glyph put in: 2 columns from 5, 3 rows
    picture.Width = 7, picture.Height = 4, picture.Indexed = true;
    picture.Indices.assign(28, 3);
    picture.ColorTable.fill(0xFF000000);
    s.Paste(picture, false);
    EXPECT_EQ(s.History().Newest().Area(), (TPixelRect{5, 0, 7, 3}));
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
