// The drawing tools on a strip 12 x 5 of glyphs 'A' (columns 0-4), 'B' (5-8)
// and 'C' (9-11): each tool's pixels against its rule, the mirror in odd and
// even widths, and the pixel selection's move, keys, copy and paste.
#include <gtest/gtest.h>

#include "session/commands.h"
#include "session/session.h"
#include "testfiles.h"

namespace {

TEditSession Blank() {
    ByteVec file = SftWriter()
                       .Header(3)
                       .Range(65, 65, 0)
                       .Range(66, 66, 5)
                       .Range(67, 67, 9)
                       .StripHeader(8)
                       .Size(12, 5)
                       .Bytes();
    file.resize(file.size() + 60, 0);
    TEditedFont font;
    EXPECT_TRUE(font.Parse(file, "f.sft"));
    TEditSession s;
    s.SetPalette(PatternPalette(1));
    s.Open(std::move(font));
    s.SetColor(false, 7);
    s.SetColor(true, 3);
    return s;
}

// The strip a row a line: '.' for 0, else the value's digit.
std::string Picture(const TEditSession& s) {
    const std::uint8_t* p = s.Font().Font().Pixels.data();
    std::string out;
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 12; ++x, ++p) out += *p ? char('0' + *p) : '.';
        out += '/';
    }
    return out;
}

struct Gesture {
    TTool tool;
    int x0, y0, x1, y1;
    bool shift = false, right = false, mirror = false;
};

// One gesture from press to release.
TEditSession Drawn(const Gesture& g) {
    TEditSession s = Blank();
    s.SetTool(g.tool);
    s.SetMirror(g.mirror);
    s.Press(g.x0, g.y0, g.right ? TPointer::Right : TPointer::Left, false, g.shift);
    s.Drag(g.x1, g.y1, g.shift);
    s.Release();
    return s;
}

const char* kBlank = "............/............/............/............/............/";

}  // namespace

// A line is the pencil's stroke between the same two pixels, in every octant
// and both ways; snapped, the pencil's to the end snapped.
TEST(DrawingTools, ALineIsThePencilsStrokeAndSnaps) {
    struct Case {
        int x1, y1;
        bool shift;
        int snapX, snapY;  // where the pencil's stroke ends
    };
    for (const Case& c : std::vector<Case>{{11, 3, false, 11, 3},
                                           {9, 4, false, 9, 4},
                                           {4, 4, false, 4, 4},
                                           {0, 3, false, 0, 3},
                                           {0, 1, false, 0, 1},
                                           {3, 0, false, 3, 0},
                                           {7, 0, false, 7, 0},
                                           {11, 1, false, 11, 1},
                                           {11, 3, true, 11, 2},
                                           {8, 4, true, 8, 5},
                                           {0, 3, true, 0, 2},
                                           {1, 4, true, 2, 5}}) {
        for (const bool back : {false, true}) {
            SCOPED_TRACE(std::to_string(c.x1) + "," + std::to_string(c.y1) + (back ? " back" : ""));
            const Gesture line = back ? Gesture{TTool::Line, c.x1, c.y1, 5, 2, c.shift}
                                      : Gesture{TTool::Line, 5, 2, c.x1, c.y1, c.shift};
            const Gesture pencil = back && !c.shift
                                       ? Gesture{TTool::Pencil, c.x1, c.y1, 5, 2}
                                       : Gesture{TTool::Pencil, 5, 2, c.snapX, c.snapY};
            if (back && c.shift) continue;  // snapped from the other end: another line
            const TEditSession s = Drawn(line);
            EXPECT_EQ(Picture(s), Picture(Drawn(pencil)));
            EXPECT_NE(Picture(s), kBlank);
            EXPECT_EQ(s.UndoName(), "Line");
        }
    }
}

// Rectangles, squares, the right button's background, and the mirror in an
// odd width (A: 0-4), an even one (B: 5-8) and reaching past its glyph.
TEST(DrawingTools, ShapesAndTheMirror) {
    struct Case {
        Gesture g;
        std::string step, picture;
    };
    using T = TTool;
    for (const Case& c : std::vector<Case>{
             {{T::Rectangle, 1, 1, 4, 3},
              "Rectangle",
              "............/.7777......./.7..7......./.7777......./............/"},
             {{T::Rectangle, 4, 3, 1, 1, false, true},
              "Rectangle",
              "............/.3333......./.3..3......./.3333......./............/"},
             {{T::FilledRectangle, 9, 0, 10, 1},
              "Filled Rectangle",
              ".........77./.........77./............/............/............/"},
             {{T::Rectangle, 6, 1, 8, 2, true},
              "Rectangle",
              "............/......777.../......7.7.../......777.../............/"},
             {{T::FilledRectangle, 3, 3, 2, 2, true},
              "Filled Rectangle",
              "............/............/..77......../..77......../............/"},
             {{T::Pencil, 1, 0, 1, 1, false, false, true},
              "Pencil",
              ".7.7......../.7.7......../............/............/............/"},
             {{T::Pencil, 2, 4, 2, 4, false, false, true},
              "Pencil",
              "............/............/............/............/..7........./"},
             {{T::Line, 5, 0, 6, 0, false, false, true},
              "Line",
              ".....7777.../............/............/............/............/"},
             {{T::Line, 3, 2, 6, 2, false, false, true},
              "Line",
              "............/............/77.7777...../............/............/"},
             {{T::Rectangle, 6, 1, 6, 3, false, false, true},
              "Rectangle",
              "............/......77..../......77..../......77..../............/"},
         }) {
        SCOPED_TRACE(c.picture);
        const TEditSession s = Drawn(c.g);
        EXPECT_EQ(Picture(s), c.picture);
        EXPECT_EQ(s.UndoName(), c.step);
    }
    // A gesture that changes nothing keeps no step and says so.
    TEditSession s = Drawn({T::Line, 1, 1, 5, 1});
    s.Press(5, 1, TPointer::Left, false, false), s.Drag(1, 1);
    EXPECT_TRUE(s.Release().NoPixels);
    EXPECT_EQ(s.History().Count(), std::size_t(1));
}

// The pixel selection: a move that uncovers, one past the edge, a frame
// marked past it, Escape,
// Delete, and a copy pasted elsewhere keeping its indices; each a step that
// undoes to the same bytes, or none.
TEST(DrawingTools, SelectMovesClearsAndPastes) {
    struct Case {
        std::string name;
        std::function<void(TEditSession&)> run;
        std::string step, picture;
    };
    const auto press = [](TEditSession& s, int x0, int y0, int x1, int y1) {
        s.Press(x0, y0, TPointer::Left, false, false), s.Drag(x1, y1), s.Release();
    };
    const auto keys = [](TEditSession& s, std::initializer_list<const char*> ids) {
        TKeptValues kept;
        for (const char* id : ids) RunCommand(CommandOf(id), s, kept);
    };
    for (const Case& c : std::vector<Case>{
             {"dragged", [&](TEditSession& s) { press(s, 1, 1, 2, 2), keys(s, {"keep-move"}); },
              "Move Pixels", "............/.33........./.312......../..34......../............/"},
             {"keys",
              [&](TEditSession& s) {
                  keys(s, {"nudge-right", "nudge-down", "nudge-left", "keep-move"});
              },
              "Move Pixels", "............/.33........./.12........./.34........./............/"},
             {"past the edge",
              [&](TEditSession& s) {
                  keys(s, {"nudge-left", "nudge-left"});
                  s.SetTool(TTool::Pencil);
              },
              "Move Pixels", "............/233........./433........./............/............/"},
             {"escape", [&](TEditSession& s) { press(s, 1, 1, 5, 3), keys(s, {"drop-move"}); }, "",
              "............/.12........./.34........./............/............/"},
             {"marked past the edge",
              [&](TEditSession& s) {
                  press(s, 9, 2, 40, 20);
                  EXPECT_EQ(s.PixelFrame(), (TPixelRect{9, 2, 12, 5}));
              },
              "", "............/.12........./.34........./............/............/"},
             {"delete", [&](TEditSession& s) { keys(s, {"clear-pixels"}); }, "Clear Pixels",
              "............/.33........./.33........./............/............/"},
             {"paste",
              [&](TEditSession& s) {
                  const TPixelRect r = s.CopyArea();
                  TImagePixels copy;
                  copy.Width = r.Right - r.Left, copy.Height = r.Bottom - r.Top,
                  copy.Indexed = true;
                  for (int y = r.Top; y < r.Bottom; ++y)
                      for (int x = r.Left; x < r.Right; ++x)
                          copy.Indices.push_back(s.Font().Font().Pixels.data()[y * 12 + x]);
                  s.SetTool(TTool::Select);
                  press(s, 9, 3, 9, 3);
                  s.Paste(copy, false);
                  keys(s, {"nudge-up", "keep-move"});
              },
              "Paste Glyph", "............/.12........./.34......12./.........34./............/"},
         }) {
        SCOPED_TRACE(c.name);
        TEditSession s = Blank();
        for (const auto& [x, y, v] : {std::tuple{1, 1, 1}, {2, 1, 2}, {1, 2, 3}, {2, 2, 4}}) {
            s.SetColor(false, std::uint16_t(v));
            s.Press(x, y, TPointer::Left, false, false), s.Release();
        }
        s.SetColor(false, 7);
        const ByteVec before = FileOf(s.Font());
        const std::size_t steps = s.History().Count();
        s.SetTool(TTool::Select);
        press(s, 1, 1, 2, 2);
        EXPECT_EQ(s.PixelFrame(), (TPixelRect{1, 1, 3, 3}));
        c.run(s);
        EXPECT_EQ(Picture(s), c.picture);
        EXPECT_EQ(s.History().Count(), steps + !c.step.empty());
        if (c.step.empty()) continue;
        EXPECT_EQ(s.UndoName(), c.step);
        s.Undo();
        EXPECT_EQ(FileOf(s.Font()), before);
    }
}

// What each move of a line or of selected pixels says it changed: every
// pixel that did, and for a line, mirrored too, no other.
TEST(DrawingTools, MovesReportWhatTheyChanged) {
    TEditSession s = Blank();
    for (const auto& [x, y, v] : {std::tuple{1, 1, 1}, {2, 1, 2}, {1, 2, 3}, {2, 2, 4}}) {
        s.SetColor(false, std::uint16_t(v));
        s.Press(x, y, TPointer::Left, false, false), s.Release();
    }
    s.SetColor(false, 7);
    TKeptValues kept;
    // Presses of a line (L), a mirrored one (M), the selection (S); drags of
    // a line (d) or of pixels (D); a release (R); a key; another background (B).
    struct Move {
        const char* op;
        int x = 0, y = 0;
    };
    const std::vector<Move> moves = {
        {"L", 0, 0},    {"d", 11, 4}, {"d", 11, 3},    {"d", 10, 4}, {"d", 10, 4},
        {"d", 0, 4},    {"d", 2, 1},  {"M", 1, 0},     {"d", 3, 4},  {"d", 4, 3},
        {"d", 0, 3},    {"S", 1, 1},  {"d", 2, 2},     {"S", 1, 1},  {"D", 3, 2},
        {"D", 2, 3},    {"R"},        {"nudge-right"}, {"nudge-up"}, {"nudge-left"},
        {"nudge-left"}, {"B"},        {"nudge-down"},  {"P"},        {"nudge-down"},
        {"drop-move"}};
    const auto run = [&](const Move& m) {
        const std::string op = m.op;
        if (op == "L" || op == "M" || op == "S") {
            s.Release(), s.SetTool(op == "S" ? TTool::Select : TTool::Line), s.SetMirror(op == "M");
            return s.Press(m.x, m.y, TPointer::Left, false, false);
        }
        if (op == "d" || op == "D") return s.Drag(m.x, m.y);
        if (op == "R") return s.Release();
        if (op == "B") return s.SetColor(true, 5), TSessionChange{};
        if (op == "P") {
            TImagePixels nines;
            nines.Width = 2, nines.Height = 1, nines.Indexed = true, nines.Indices = {9, 9};
            return s.Paste(nines, false);
        }
        return RunCommand(CommandOf(m.op), s, kept);
    };
    int shifts = 0;
    for (std::size_t i = 0; i < moves.size(); ++i) {
        const std::string before = Picture(s);
        const TSessionChange c = run(moves[i]);
        shifts += !c.Shift.From.Empty();
        const bool exact = std::string(moves[i].op).find_first_not_of("LMSd") == std::string::npos;
        const std::string after = Picture(s);
        const bool pixels = c.Kind == TSessionChange::TKind::Pixels;
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 12; ++x) {
                const bool changed =
                    before[std::size_t(y * 13 + x)] != after[std::size_t(y * 13 + x)];
                const bool said =
                    pixels &&
                    (c.Parts.empty()
                         ? Inside(c.Area, x, y)
                         : std::any_of(c.Parts.begin(), c.Parts.end(),
                                       [&](const TPixelRect& r) { return Inside(r, x, y); }));
                if (changed || exact) {
                    EXPECT_EQ(said, changed) << "move " << i << " at " << x << ", " << y;
                }
                // What was shown at From now shows moved.
                const TSessionChange::TShift& m = c.Shift;
                if (pixels && Inside(m.From, x, y)) {
                    EXPECT_EQ(before[std::size_t(y * 13 + x)],
                              after[std::size_t((y + m.Dy) * 13 + x + m.Dx)])
                        << "move " << i << " from " << x << ", " << y;
                }
            }
    }
    EXPECT_GE(shifts, 5);
}
