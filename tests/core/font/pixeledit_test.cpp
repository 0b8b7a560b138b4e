// The editor's pixel operations on both depths, undone and redone, and the
// history's steps and bound.
#include <gtest/gtest.h>

#include <functional>
#include <new>

#include "edit/editstep.h"
#include "font/pixeledit.h"
#include "testfiles.h"

namespace {

// A picture as rows of digits; at 16 bits digit d is d * 0x1001, so that both
// bytes of a value count.
struct Pic {
    int bytes;
    std::int32_t w, h;
    ByteVec data;
    Pic(int Bytes, const std::vector<std::string>& rows)
        : bytes(Bytes), w(std::int32_t(rows[0].size())), h(std::int32_t(rows.size())) {
        for (const std::string& row : rows)
            for (const char c : row) {
                const std::uint16_t v = Value(c - '0');
                data.push_back(std::uint8_t(v));
                if (bytes == 2) data.push_back(std::uint8_t(v >> 8));
            }
    }
    std::uint16_t Value(int digit) const {
        return std::uint16_t(bytes == 2 ? digit * 0x1001 : digit);
    }
    TPixelGrid Grid() { return TPixelGrid{w, h, bytes, data.data()}; }
};

using Op = std::function<void(TPixelGrid&, const Pic&, TPixelDelta&)>;

TEST(PixelEdit, EachOperationOnBothDepthsUndoesAndRedoes) {
    const std::vector<std::string> start = {"11214", "12213", "11111"};
    struct Case {
        const char* name;
        Op op;
        std::vector<std::string> want;
    };
    const std::vector<Case> cases = {
        {"line",
         [](auto& g, auto& p, auto& d) { PaintLine(g, 0, 0, 4, 2, p.Value(9), d); },
         {"91214", "19913", "11199"}},
        {"line backwards",
         [](auto& g, auto& p, auto& d) { PaintLine(g, 4, 2, 0, 0, p.Value(9), d); },
         {"91214", "19913", "11199"}},
        {"steep, ends off the strip",
         [](auto& g, auto& p, auto& d) { PaintLine(g, 1, -1, 2, 5, p.Value(7), d); },
         {"17214", "17213", "11711"}},
        {"across, ends far off",
         [](auto& g, auto&, auto& d) { PaintLine(g, -2000000000, 1, 2000000000, 1, 0, d); },
         {"11214", "00000", "11111"}},
        {"dab",
         [](auto& g, auto& p, auto& d) { PaintLine(g, 4, 0, 4, 0, p.Value(6), d); },
         {"11216", "12213", "11111"}},
        {"fill within the glyph",
         [](auto& g, auto& p, auto& d) { FillArea(g, 0, 0, 0, 4, p.Value(5), d); },
         {"55254", "52253", "55551"}},
        {"fill of the same colour",
         [](auto& g, auto& p, auto& d) { FillArea(g, 0, 0, 0, 4, p.Value(1), d); }, start},
        {"fill clicked outside its glyph",
         [](auto& g, auto& p, auto& d) { FillArea(g, 4, 2, 0, 4, p.Value(5), d); }, start},
        {"flip columns",
         [](auto& g, auto&, auto& d) { FlipColumns(g, 1, 5, d); },
         {"14121", "13122", "11111"}},
        {"flip rows",
         [](auto& g, auto&, auto& d) { FlipRows(g, 1, 5, d); },
         {"11111", "12213", "11214"}},
        {"shift left",
         [](auto& g, auto&, auto& d) { ShiftPixels(g, 1, 5, -1, 0, 0, d); },
         {"12140", "12130", "11110"}},
        {"shift right",
         [](auto& g, auto&, auto& d) { ShiftPixels(g, 1, 5, 1, 0, 0, d); },
         {"10121", "10221", "10111"}},
        {"shift up",
         [](auto& g, auto&, auto& d) { ShiftPixels(g, 1, 5, 0, -1, 0, d); },
         {"12213", "11111", "10000"}},
        {"shift down",
         [](auto& g, auto& p, auto& d) { ShiftPixels(g, 0, 2, 0, 1, p.Value(8), d); },
         {"88214", "11213", "12111"}},
        {"a row, its ends as they were",
         [](auto& g, auto& p, auto& d) {
             const std::uint16_t row[] = {p.Value(1), p.Value(5), p.Value(9), p.Value(1),
                                          p.Value(3)};
             d.SetRow(g, 0, 1, row, 5);
         },
         {"11214", "15913", "11111"}},
        {"paste, cut to the glyph and the strip",
         [](auto& g, auto& p, auto& d) {
             Pic source(p.bytes, {"78", "87", "78", "88"});
             PastePixels(g, 3, 4, source.Grid(), d);
         },
         {"11274", "12283", "11171"}},
    };
    for (int bytes : {1, 2})
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (bytes == 1 ? " 8-bit" : " 16-bit"));
            Pic pic(bytes, start);
            const Pic want(bytes, c.want), before = pic;
            TPixelGrid grid = pic.Grid();
            const TPixelDelta delta = Recorded(grid, [&](TPixelDelta& d) { c.op(grid, pic, d); });
            EXPECT_EQ(pic.data, want.data);
            // The bounds hold exactly the pixels that changed.
            const TPixelRect none{pic.w, pic.h, 0, 0};
            TPixelRect changed = none;
            for (int i = 0; i < int(pic.data.size()); ++i) {
                const int x = i / bytes % pic.w, y = i / bytes / pic.w;
                if (pic.data[std::size_t(i)] != before.data[std::size_t(i)])
                    changed = {std::min(changed.Left, x), std::min(changed.Top, y),
                               std::max(changed.Right, x + 1), std::max(changed.Bottom, y + 1)};
            }
            EXPECT_EQ(delta.Empty() ? none : delta.Bounds(), changed);
            delta.Toggle(grid);
            EXPECT_EQ(pic.data, before.data);
            delta.Toggle(grid);
            EXPECT_EQ(pic.data, want.data);
        }
}

TEST(PixelEdit, AFailedEditLeavesThePixelsAsTheyWere) {
    Pic pic(2, {"1234"});
    TPixelGrid grid = pic.Grid();
    const auto fail = [&](TPixelDelta& d) {
        PaintLine(grid, 0, 0, 3, 0, 0, d), throw std::bad_alloc();
    };
    EXPECT_THROW(Recorded(grid, fail), std::bad_alloc);
    EXPECT_EQ(pic.data, Pic(2, {"1234"}).data);
}

TEST(EditStep, StepsUndoToTheBytesOpenedAndTheBoundKeepsTheNewest) {
    TempDir dir;
    const ByteVec file = MakeFont(16, 4, 2, 65, 67);
    WriteFile(dir.Path("a.sft"), file);
    TEditedFont font;
    ASSERT_TRUE(font.Load(dir.Path("a.sft")));
    std::vector<TEditStep> steps;
    TPixelGrid grid = font.Grid();
    steps.emplace_back("Pencil",
                       Recorded(grid, [&](auto& d) { PaintLine(grid, 0, 0, 3, 1, 7, d); }));
    TFontBody before = font.Body();
    font.ReplaceStrip(1, 1, Bytes{1, 2});
    font.SetTable({{66, 0, 0}, {65, 0, 1}});
    steps.emplace_back("Import Picture", std::move(before), font);
    grid = font.Grid();
    steps.emplace_back("Fill", Recorded(grid, [&](auto& d) { FillArea(grid, 0, 0, 0, 1, 9, d); }));
    const ByteVec edited = FileOf(font);
    for (auto it = steps.rbegin(); it != steps.rend(); ++it) it->Toggle(font);
    EXPECT_EQ(FileOf(font), file);
    for (TEditStep& step : steps) step.Toggle(font);
    EXPECT_EQ(FileOf(font), edited);
    EXPECT_EQ(steps[1].MemoryBytes() > 4 * 2 * 2 + 1 * 1 * 2, true);  // both strips are kept

    // Sizes from the oldest: the newest stays, however large.
    for (const auto& [sizes, drop] : std::vector<std::pair<std::vector<std::size_t>, std::size_t>>{
             {{5, 5}, 0}, {{5, 6}, 1}, {{3, 3, 3, 3}, 1}, {{20}, 0}, {{1, 2, 20}, 2}})
        EXPECT_EQ(StepsToDrop(sizes, 10), drop) << sizes.size();
}

}  // namespace
