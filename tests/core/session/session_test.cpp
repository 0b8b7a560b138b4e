// The editing session: every command on one glyph and on several, each one
// step that undoes and redoes to the same bytes and that its journal replays;
// the refusals; a press selecting its glyph; the journal following the
// history.
#include <gtest/gtest.h>

#include <functional>

#include "session/commands.h"
#include "session/display.h"
#include "session/session.h"
#include "testfiles.h"

namespace {

TEditedFont Parsed(const ByteVec& File) {
    TEditedFont font;
    EXPECT_TRUE(font.Parse(File, "f.sft"));
    return font;
}

// An 8-bit strip 12 x 4 of 'A' (columns 0-3), 'B' (4-7) and '^' (8-11): an L
// of 5 in A's and B's columns 1-2 of rows 2-3, a dot of 5 at ^'s column 1 of
// row 0. Current colour 7, background 0.
TEditSession Opened(std::size_t Bound = kHistoryBound) {
    SftWriter w;
    w.Header(2).Range(65, 66, 0, 4).Range(94, 94, 8).StripHeader(8).Size(12, 4);
    ByteVec file = w.Bytes();
    ByteVec strip(48, 0);
    for (const int at : {25, 26, 37, 29, 30, 41, 9}) strip[std::size_t(at)] = 5;
    file.insert(file.end(), strip.begin(), strip.end());
    TEditSession s(Bound);
    s.SetPalette(PatternPalette(1));
    s.Open(Parsed(file));
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
    TJournalHistory Replayed() const {
        SpanSource in(bytes);
        return ParseJournal(in, "kept");
    }
};

// A gesture of Tool from press to release.
TSessionChange Gesture(TEditSession& s, TTool Tool, int X0, int Y0, int X1, int Y1) {
    s.SetTool(Tool);
    s.Press(X0, Y0, TPointer::Left, false, false), s.Drag(X1, Y1);
    return s.Release();
}

// A picture of one palette index.
TImagePixels Picture(int Width, int Height, std::uint8_t Index) {
    TImagePixels p;
    p.Width = Width, p.Height = Height, p.Indexed = true;
    p.Indices.assign(std::size_t(Width * Height), Index);
    return p;
}

// What a command made of the font: its table ("A0" for 'A' at X 0, "[194]12"
// past ASCII) and the strip's width; with the same table, the glyphs whose
// pixels changed; then the rows selected.
std::string Shape(const TEditSession& s, const TEditedFont& Before) {
    const TSftFont& now = s.Font().Font();
    std::string t;
    for (const TCharEntry& e : s.Font().Table())
        t += (e.Code < 128 ? std::string(1, char(e.Code)) : "[" + std::to_string(e.Code) + "]") +
             std::to_string(e.X) + ' ';
    t += '|' + std::to_string(now.Width);
    if (s.Font().Table() == Before.Table() && now.Width == Before.Font().Width) {
        t += " pixels ";
        for (std::size_t r = 0; r < s.Font().Table().size(); ++r) {
            const TGlyphExtent g = s.Glyph(int(r));
            bool changed = false;
            for (std::size_t y = 0; y < std::size_t(now.Height); ++y)
                for (std::int32_t x = g.Begin; x < g.End; ++x) {
                    const std::size_t at = y * std::size_t(now.Width) + std::size_t(x);
                    changed = changed || now.Pixels[at] != Before.Font().Pixels[at];
                }
            if (changed) t += char(s.Font().Table()[r].Code);
        }
    }
    t += " @";
    for (const int r : s.Selection())
        t += std::to_string(r) + (r == s.Selection().back() ? "" : ",");
    return t;
}

using TRun = std::function<TSessionChange(TEditSession&)>;

}  // namespace

// Each command on B alone and on A and ^ (^ current) is one step of its name:
// undone and redone it gives back the same bytes, the journal gets a record
// for each, and a session recovered from the journal undoes it to the font
// as it was.
TEST(EditSession, EveryCommandIsOneStepUndoneRedoneAndReplayed) {
    struct Case {
        std::string step;
        TRun run;
        std::string one, several;  // Shape after it on B, on A and ^
    };
    std::vector<Case> cases;
    for (int t = 0; t <= int(TGlyphTransform::Bold); ++t)
        cases.push_back({TransformName(TGlyphTransform(t)),
                         [t](TEditSession& s) { return s.Transform(TGlyphTransform(t)); },
                         "A0 B4 ^8 |12 pixels B @1", "A0 B4 ^8 |12 pixels A^ @0,2"});
    for (const Case& c : std::vector<Case>{
             {"Shadow", [](TEditSession& s) { return s.Shadow(1, 1); }, "A0 B4 ^8 |12 pixels B @1",
              "A0 B4 ^8 |12 pixels A^ @0,2"},
             {"Replace Colour", [](TEditSession& s) { return s.ReplaceColor(5, 3); },
              "A0 B4 ^8 |12 pixels B @1", "A0 B4 ^8 |12 pixels A^ @0,2"},
             {"Paste Glyph", [](TEditSession& s) { return s.Paste(Picture(2, 2, 3), false); },
              "A0 B4 ^8 |12 pixels B @1", "A0 B4 ^8 |12 pixels A^ @0,2"},
             {"Pencil",
              [](TEditSession& s) {
                  s.Press(1, 0, TPointer::Left, false, false), s.Drag(9, 0);
                  return s.Release();
              },
              "A0 B4 ^8 |12 pixels AB^ @0", "A0 B4 ^8 |12 pixels AB^ @0"},
             {"Line", [](TEditSession& s) { return Gesture(s, TTool::Line, 1, 3, 10, 0); },
              "A0 B4 ^8 |12 pixels AB^ @0", "A0 B4 ^8 |12 pixels AB^ @0"},
             {"Rectangle", [](TEditSession& s) { return Gesture(s, TTool::Rectangle, 1, 0, 5, 3); },
              "A0 B4 ^8 |12 pixels AB @0", "A0 B4 ^8 |12 pixels AB @0"},
             {"Filled Rectangle",
              [](TEditSession& s) { return Gesture(s, TTool::FilledRectangle, 9, 3, 10, 1); },
              "A0 B4 ^8 |12 pixels ^ @2", "A0 B4 ^8 |12 pixels ^ @2"},
             {"Move Pixels",
              [](TEditSession& s) {
                  Gesture(s, TTool::Select, 1, 2, 2, 3);
                  s.Press(2, 2, TPointer::Left, false, false), s.Drag(5, 1), s.Release();
                  return s.KeepMove();
              },
              "A0 B4 ^8 |12 pixels AB @0", "A0 B4 ^8 |12 pixels AB @0"},
             {"Clear Pixels",
              [](TEditSession& s) {
                  Gesture(s, TTool::Select, 0, 0, 11, 3);
                  return s.ClearPixels();
              },
              "A0 B4 ^8 |12 pixels AB^ @0", "A0 B4 ^8 |12 pixels AB^ @0"},
             {"Fill", [](TEditSession& s) { return s.Press(5, 0, TPointer::Left, false, true); },
              "A0 B4 ^8 |12 pixels B @1", "A0 B4 ^8 |12 pixels B @1"},
             {"Insert Character", [](TEditSession& s) { return s.InsertCharacter(90, 2); },
              "A0 B4 Z8 ^10 |14 @2", "A0 B4 ^8 Z12 |14 @3"},
             {"Delete Character", [](TEditSession& s) { return s.DeleteCharacter(); },
              "A0 ^4 |8 @1", "B0 |4 @0"},
             {"Set Width", [](TEditSession& s) { return s.SetWidth(2); }, "A0 B4 ^6 |10 @1",
              "A0 B2 ^6 |8 @0"},
             {"Fit Width", [](TEditSession& s) { return s.FitWidth(0, 1); }, "A0 B4 ^7 |11 @1",
              "A0 B3 ^7 |9 @0"},
             {"Character Table",
              [](TEditSession& s) {
                  return s.SetTable({{66, 0, 0}, {65, 8, 0}}, 1);
              },
              "B0 A8 |12 @1", "B0 A8 |12 @1"},
             {"Add Characters",
              [](TEditSession& s) {
                  return s.Append(2, Bytes(8, 3), {{90, 0, 2}});
              },
              "A0 B4 ^8 Z12 |14 @3", "A0 B4 ^8 Z12 |14 @3"},
             {"Build Accented Characters",
              [](TEditSession& s) {
                  return s.BuildAccented({{0xC2, U"A\u0302"}}).Change;
              },
              "A0 B4 ^8 [194]12 |16 @3", "A0 B4 ^8 [194]12 |16 @3"},
             {"New Font from Outline",
              [](TEditSession& s) {
                  return s.Replace(Parsed(MakeFont(8, 12, 4, 88, 89)), 1, "New Font from Outline");
              },
              "X0 Y6 |12 @1", "X0 Y6 |12 @1"},
             {"Import Picture", [](TEditSession& s) { return s.Import(Picture(6, 4, 3), false); },
              "A0 B4 ^8 |6 @1", "A0 B4 ^8 |6 @2"},
         })
        cases.push_back(c);
    for (const Case& c : cases)
        for (const bool several : {false, true}) {
            SCOPED_TRACE(c.step + (several ? " on A and ^" : " on B"));
            TEditSession s = Opened();
            Sink sink;
            s.SetJournal(&sink);
            s.StartJournal();
            several ? s.Select({0, 2}, 2) : s.Select({1}, 1);
            const ByteVec opened = FileOf(s.Font());
            const TEditedFont before = Parsed(opened);  // its own pixels, not the font's
            c.run(s);
            EXPECT_EQ(Shape(s, before), several ? c.several : c.one);
            const ByteVec done = FileOf(s.Font());
            EXPECT_EQ(std::make_tuple(s.UndoName(), s.History().Count(), s.Modified()),
                      std::make_tuple(c.step, std::size_t(1), true));
            s.Undo();
            EXPECT_EQ(std::make_tuple(FileOf(s.Font()), s.RedoName(), s.Modified()),
                      std::make_tuple(opened, c.step, false));
            s.Redo();
            EXPECT_EQ(FileOf(s.Font()), done);
            EXPECT_EQ(sink.calls, "BAAA");  // the start, the step, undone, redone
            TEditSession back;
            back.Recover(sink.Replayed());
            EXPECT_EQ(std::make_tuple(FileOf(back.Font()), back.UndoName(), back.Changes()),
                      std::make_tuple(done, c.step, std::size_t(1)));
            back.Undo();
            EXPECT_EQ(FileOf(back.Font()), opened);
        }
}

// What a command refuses, or finds nothing to do, changes nothing and keeps
// no step or record; a pixel command says it changed no pixel.
TEST(EditSession, RefusalsAndCommandsThatChangeNothingLeaveNoStep) {
    TImagePixels rgb;
    rgb.Width = 2, rgb.Height = 1, rgb.Colors = {0xFF01060B, 0xFF010203};  // entry 0, none
    TImagePixels torn = Picture(2, 2, 3);
    torn.Indices.pop_back();
    const std::vector<std::pair<TRun, std::string>> cases = {
        {[](TEditSession& s) { return s.InsertCharacter(65, 2); },
         "code 65 is in the table already"},
        {[](TEditSession& s) { return s.InsertCharacter(70000, 2); },
         "a code runs from 0 to 65535, not 70000"},
        {[](TEditSession& s) { return s.InsertCharacter(90, 0); },
         "a glyph is at least 1 column wide, not 0"},
        {[](TEditSession& s) { return s.SetWidth(0); }, "a glyph is at least 1 column wide, not 0"},
        {[](TEditSession& s) {
             return s.Select({0, 2}, 2), s.SetWidth(-1);
         },
         "a glyph is at least 1 column wide, not -1"},
        {[](TEditSession& s) {
             return s.Append(2, Bytes(5), {{90, 0, 2}});
         },
         "5 bytes of pixels for 2 x 4 pixels"},
        {[&](TEditSession& s) { return s.Import(rgb, false); },
         "1 pixel of colours the palette doesn't hold, the first at (1, 0)"},
        {[&](TEditSession& s) { return s.Paste(rgb, false); },
         "1 pixel of colours the palette doesn't hold, the first at (1, 0)"},
        {[&](TEditSession& s) { return s.Paste(torn, false); }, kNoPictureToPaste},
        {[](TEditSession& s) { return s.GoTo("Z"); }, "The font has no character 90"},
        {[](TEditSession& s) { return s.ReplaceColor(9, 3); }, "No pixels changed"},
        {[](TEditSession& s) { return s.Shadow(0, 0); }, "Right and Down can't both be 0"},
        {[](TEditSession& s) { return s.Paste(Picture(2, 2, 0), false); }, "No pixels changed"},
        {[](TEditSession& s) { return s.SetWidth(4); }, "nothing"},
        {[](TEditSession& s) {
             return s.Select({0, 1}, 1), s.FitWidth(1, 1);
         },
         "No pixels changed"},
        {[](TEditSession& s) {
             TKeptValues kept;
             return RunCommand(CommandOf("fit-width"), s, kept, {9, 1});
         },
         "Left must be a whole number from 0 to 8."},
        {[](TEditSession& s) { return s.SetTable(s.Font().Table(), 0); }, "nothing"},
        {[](TEditSession& s) {
             return s.BuildAccented({{0xC4, U"A\u0308"}}).Change;
         },
         "nothing"},
        {[](TEditSession& s) { return s.Select({}, -1), s.DeleteCharacter(); }, "nothing"},
        {[](TEditSession& s) { return s.Select({}, -1), s.Transform(TGlyphTransform::Bold); },
         "nothing"},
        {[](TEditSession& s) {
             return s.SetColor(false, 5), s.Press(5, 2, TPointer::Left, false, false);
         },
         "nothing"},  // a dab of the colour there: no step once released
    };
    for (const auto& [run, said] : cases) {
        SCOPED_TRACE(said);
        TEditSession s = Opened();
        Sink sink;
        s.SetJournal(&sink);
        s.StartJournal();
        const ByteVec before = FileOf(s.Font());
        std::string got = "nothing";
        try {
            if (run(s).NoPixels) got = "No pixels changed";
            s.Release();
        } catch (const std::exception& e) {
            got = e.what();
        }
        EXPECT_EQ(std::make_tuple(got, FileOf(s.Font()), s.History().Count(), sink.calls),
                  std::make_tuple(said, before, std::size_t(0), std::string("B")));
    }
}

// A press on the strip selects the glyph pressed alone and leaves the view
// where it stands, whether it paints, picks or fills; off the strip nothing.
TEST(EditSession, APressSelectsItsGlyphWithoutScrolling) {
    struct Case {
        int x, y;
        TPointer button;
        bool pick, fill;
        int row;  // -1: none
    };
    for (const Case& c : std::vector<Case>{{5, 0, TPointer::Left, false, false, 1},
                                           {9, 0, TPointer::Right, true, false, 2},
                                           {1, 0, TPointer::Left, false, true, 0},
                                           {12, 0, TPointer::Left, false, false, -1},
                                           {0, 4, TPointer::Left, false, true, -1}}) {
        SCOPED_TRACE(c.x);
        TEditSession s = Opened();
        s.Select({0, 2}, 2);
        const TSessionChange change = s.Press(c.x, c.y, c.button, c.pick, c.fill);
        s.Release();
        const std::vector<int> rows = c.row < 0 ? std::vector<int>{0, 2} : std::vector<int>{c.row};
        EXPECT_EQ(std::make_tuple(change.Selected, change.Scroll, change.Row, s.Selection(),
                                  s.CurrentRow()),
                  std::make_tuple(c.row >= 0, c.row < 0, c.row, rows, c.row < 0 ? 2 : c.row));
    }
    // Pick takes the colour under the pointer for the button's colour, as no step.
    TEditSession s = Opened();
    const TSessionChange picked = s.Press(9, 0, TPointer::Right, true, false);
    EXPECT_EQ(std::make_tuple(picked.Colors, s.Background(), s.Current(), s.UndoName()),
              std::make_tuple(true, std::uint16_t(5), std::uint16_t(7), std::string()));
}

// A press to its release is one step; a press or a drag to the same pixel
// meanwhile adds nothing; Undo ends the stroke first.
TEST(EditSession, AStrokeIsOneStepFromPressToRelease) {
    TEditSession s = Opened();
    s.Press(0, 0, TPointer::Left, false, false);
    EXPECT_EQ(s.Drag(3, 0).Area, (TPixelRect{0, 0, 4, 1}));
    EXPECT_EQ(s.Drag(3, 0).Kind, TSessionChange::TKind::None);
    EXPECT_EQ(s.Press(6, 1, TPointer::Right, false, false).Kind, TSessionChange::TKind::None);
    s.Drag(3, 1);
    EXPECT_TRUE(s.Stroking());
    EXPECT_EQ(s.Undo().Area, (TPixelRect{0, 0, 4, 2}));
    EXPECT_EQ(std::make_tuple(s.Stroking(), s.RedoName(), s.History().Count()),
              std::make_tuple(false, std::string("Pencil"), std::size_t(1)));
}

// Rows a list box hands over that the table lacks are dropped; Select All
// makes the first row current when none is; Go To selects one row and goes
// to it.
TEST(EditSession, SelectionKeepsTheTablesRowsAndGoToSelectsOne) {
    TEditSession s = Opened();
    s.Select({2, 7, -1, 0, 0}, 5);
    EXPECT_EQ(std::make_pair(s.Selection(), s.CurrentRow()),
              std::make_pair(std::vector<int>{0, 2}, -1));
    s.SelectAll();
    EXPECT_EQ(std::make_pair(s.Selection(), s.CurrentRow()),
              std::make_pair(std::vector<int>{0, 1, 2}, 0));
    const TSessionChange change = s.GoTo("U+005E");
    EXPECT_EQ(std::make_tuple(change.Selected, change.Scroll, change.Row, s.Selection()),
              std::make_tuple(true, true, 2, std::vector<int>{2}));
}

// A command with one row selected works on that row, not on the current
// one that a Ctrl+click took out of the selection.
TEST(EditSession, OneRowSelectedIsTheOneChangedThoughAnotherIsCurrent) {
    for (const auto& [run, table] : std::vector<std::pair<TRun, std::string>>{
             {[](TEditSession& s) { return s.DeleteCharacter(); }, "B0 ^4 |8"},
             {[](TEditSession& s) { return s.SetWidth(2); }, "A0 B2 ^6 |10"}}) {
        TEditSession s = Opened();
        s.Select({0}, 2);
        const TEditedFont before = Parsed(FileOf(s.Font()));
        run(s);
        EXPECT_EQ(Shape(s, before).substr(0, table.size()), table);
    }
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
              std::make_tuple(std::size_t(4), 14, std::string("Insert Character")));
    // 7 x 5 into the glyph put in: its 2 columns from 4, the strip's 4 rows.
    s.Paste(Picture(7, 5, 3), false);
    EXPECT_EQ(s.History().Newest().Area(), (TPixelRect{4, 0, 6, 4}));
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
    const TJournalHistory kept = sink.Replayed();
    EXPECT_EQ(std::make_tuple(kept.Done, kept.Steps.size(), FileOf(kept.Font)),
              std::make_tuple(std::size_t(1), std::size_t(2), FileOf(s.Font())));
    s.Saved("f.sft");
    s.Redo();
    EXPECT_EQ(sink.calls, "BAAAAEB");
}

// Past the history's bound the oldest steps go from the journal too, and a
// journal grown far past the bound begins again from the font; either way
// it replays to the history as it stands.
TEST(EditSession, TheJournalDropsWhatTheHistoryLetsGoAndBeginsAgainWhenOvergrown) {
    TEditSession s = Opened(400);
    Sink sink;
    s.SetJournal(&sink);
    std::vector<ByteVec> states{FileOf(s.Font())};
    for (std::uint16_t v = 1; v <= 12; ++v) {
        s.SetColor(false, v);
        s.Press(0, 0, TPointer::Left, false, false), s.Drag(11, 3), s.Release();
        states.push_back(FileOf(s.Font()));
    }
    const std::size_t kept = s.History().Count();
    ASSERT_LT(kept, 12u);
    EXPECT_NE(sink.calls.find("AAB"), std::string::npos) << sink.calls;  // a step, dropped, again
    TEditSession back;
    back.Recover(sink.Replayed());
    EXPECT_EQ(back.History().Count(), kept);
    while (back.Undo().Kind != TSessionChange::TKind::None) {
    }
    EXPECT_EQ(FileOf(back.Font()), states[12 - kept]);
}
