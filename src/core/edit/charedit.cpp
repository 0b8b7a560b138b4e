#include "edit/charedit.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "font/strip.h"
#include "font/stripcolumns.h"

namespace {

std::string Size(std::int64_t Width, std::int32_t Height) {
    return std::to_string(Width) + " x " + std::to_string(Height);
}

std::string WhyNotWider(const TEditedFont& Font, std::int64_t Width, std::int64_t Added) {
    if (Width < 1) return "a glyph is at least 1 column wide, not " + std::to_string(Width);
    const std::int64_t wide = std::int64_t(Font.Font().Width) + Added;
    if (Added > 0 && !StripFits(Font.BitsPerPixel(), wide, Font.Font().Height))
        return "a strip of " + Size(wide, Font.Font().Height) + " pixels is more than a font holds";
    return {};
}

TGlyphExtent GlyphOf(const TEditedFont& Font, int Row) {
    if (Row < 0 || std::size_t(Row) >= Font.Table().size()) return {};
    return TStripGeometry(Font.Table(), Font.Font().Width).Extent(std::size_t(Row));
}

// Puts the change into Font with Table, and returns its step; the step is
// made first, so a failure changes nothing.
TEditStep Apply(TEditedFont& Font, const char* Name, TColumnChange Change,
                std::vector<TCharEntry> Table) {
    const TPixelGrid grid = Font.Grid();
    Bytes pixels = Change.Insert
                       ? InsertColumns(grid, Change.At, Change.Width, Change.Columns, Change.Fill)
                       : RemoveColumns(grid, Change.At, Change.Width, &Change.Columns);
    const std::int32_t width = grid.Width + (Change.Insert ? Change.Width : -Change.Width);
    TEditStep step(Name, std::move(Change), Font.Body());
    Font.ReplaceStrip(width, grid.Height, std::move(pixels));
    Font.SetTable(std::move(Table));
    return step;
}

}  // namespace

std::string WhyNotInsert(const TEditedFont& Font, std::int64_t Code, std::int64_t Width) {
    if (Code < 0 || Code > 0xFFFF)
        return "a code runs from 0 to 65535, not " + std::to_string(Code);
    const auto& table = Font.Table();
    if (std::any_of(table.begin(), table.end(),
                    [&](const TCharEntry& e) { return e.Code == Code; }))
        return "code " + std::to_string(Code) + " is in the table already";
    if (table.size() >= kMaxChars)
        return "the table has " + std::to_string(table.size()) +
               " characters, as many as a font holds";
    return WhyNotWider(Font, Width, Width);
}

std::string WhyNotResize(const TEditedFont& Font, int Row, std::int64_t Width) {
    const TGlyphExtent glyph = GlyphOf(Font, Row);
    if (glyph.End <= glyph.Begin) return "the character has no glyph in the strip";
    return WhyNotWider(Font, Width, Width - (glyph.End - glyph.Begin));
}

TEditStep InsertCharacter(TEditedFont& Font, int Row, std::int64_t Code, std::int64_t Width,
                          std::uint16_t Background) {
    if (const std::string why = WhyNotInsert(Font, Code, Width); !why.empty())
        throw EFontError(why);
    const TGlyphExtent glyph = GlyphOf(Font, Row);
    const std::int32_t at = glyph.End > glyph.Begin ? glyph.End : Font.Font().Width;
    std::vector<TCharEntry> table = Font.Table();
    MoveColumns(table, at, std::int32_t(Width));
    const std::size_t row = Row < 0 ? table.size() : std::min(table.size(), std::size_t(Row) + 1);
    table.insert(table.begin() + std::ptrdiff_t(row),
                 TCharEntry{std::uint16_t(Code), at, std::int32_t(Width)});
    return Apply(Font, "Insert Character",
                 TColumnChange{true, at, std::int32_t(Width), {}, Background}, std::move(table));
}

TEditStep DeleteCharacter(TEditedFont& Font, int Row) {
    if (Row < 0 || std::size_t(Row) >= Font.Table().size())
        throw EFontError("no character is selected");
    std::vector<TCharEntry> table = Font.Table();
    const TGlyphExtent glyph = GlyphOf(Font, Row);
    const std::int32_t x = table[std::size_t(Row)].X;
    table.erase(table.begin() + Row);
    const bool shared =
        std::any_of(table.begin(), table.end(), [&](const TCharEntry& e) { return e.X == x; });
    if (shared || glyph.End <= glyph.Begin) {
        // The strip stays as it is: the step keeps the table alone.
        TFontBody before = Font.Body();
        Font.SetTable(std::move(table));
        return TEditStep("Delete Character", std::move(before), Font);
    }
    const std::int32_t width = glyph.End - glyph.Begin;
    MoveColumns(table, glyph.End, -width);
    return Apply(Font, "Delete Character", TColumnChange{false, glyph.Begin, width, {}, 0},
                 std::move(table));
}

std::optional<TEditStep> SetGlyphWidth(TEditedFont& Font, int Row, std::int64_t Width,
                                       std::uint16_t Background) {
    if (const std::string why = WhyNotResize(Font, Row, Width); !why.empty()) throw EFontError(why);
    const TGlyphExtent glyph = GlyphOf(Font, Row);
    const std::int32_t old = glyph.End - glyph.Begin, now = std::int32_t(Width);
    if (now == old) return std::nullopt;
    std::vector<TCharEntry> table = Font.Table();
    MoveColumns(table, glyph.End, now - old);
    for (TCharEntry& e : table)
        if (e.X == glyph.Begin && e.Extra == old) e.Extra = now;
    TColumnChange change{now > old,
                         now > old ? glyph.End : glyph.Begin + now,
                         now > old ? now - old : old - now,
                         {},
                         Background};
    return Apply(Font, "Set Width", std::move(change), std::move(table));
}

std::string WhyNotFit(std::int64_t Left, std::int64_t Right) {
    for (const auto& [name, n] : {std::pair{"Left", Left}, {"Right", Right}})
        if (n < 0 || n > kFitMost)
            return std::string(name) + " runs from 0 to " + std::to_string(kFitMost) + ", not " +
                   std::to_string(n);
    return {};
}

bool FitGlyphWidths(TEditedFont& Font, std::span<const int> Rows, std::int64_t Left,
                    std::int64_t Right, std::uint16_t Background) {
    if (const std::string why = WhyNotFit(Left, Right); !why.empty()) throw EFontError(why);
    const TStripGeometry geometry(Font.Table(), Font.Font().Width);
    const TPixelGrid grid = ReadOnlyGrid(Font.Font());
    // Each glyph once, left to right, with its ink's columns.
    struct TFit {
        std::int32_t Begin, End, InkBegin, InkEnd;
    };
    std::vector<TFit> fits;
    for (int row : Rows) {
        const TGlyphExtent g = geometry.Extent(std::size_t(row));
        if (g.End > g.Begin) fits.push_back({g.Begin, g.End, g.End, g.Begin});
    }
    std::sort(fits.begin(), fits.end(),
              [](const TFit& a, const TFit& b) { return a.Begin < b.Begin; });
    fits.erase(std::unique(fits.begin(), fits.end(),
                           [](const TFit& a, const TFit& b) { return a.Begin == b.Begin; }),
               fits.end());
    // Row by row, each pixel looked at once at most.
    for (std::int32_t y = 0; y < grid.Height; ++y)
        for (TFit& f : fits) {
            for (std::int32_t x = f.Begin; x < f.InkBegin; ++x)
                if (grid.Get(x, y) != Background) {
                    f.InkBegin = x;
                    break;
                }
            for (std::int32_t x = f.End; x-- > std::max(f.InkEnd, f.InkBegin);)
                if (grid.Get(x, y) != Background) {
                    f.InkEnd = x + 1;
                    break;
                }
        }
    std::erase_if(fits, [&](const TFit& f) {
        return f.InkBegin >= f.InkEnd ||
               (f.InkBegin - f.Begin == Left && f.End - f.InkEnd == Right);
    });
    if (fits.empty()) return false;

    const auto newWidth = [&](const TFit& f) { return Left + (f.InkEnd - f.InkBegin) + Right; };
    std::int64_t wide = grid.Width;
    for (const TFit& f : fits) wide += newWidth(f) - (f.End - f.Begin);
    if (const std::string why =
            WhyNotWider(Font, std::max<std::int64_t>(wide, 1), wide - grid.Width);
        !why.empty())
        throw EFontError(why);

    const std::size_t b = std::size_t(grid.BytesPerPixel);
    const std::uint8_t blank[2] = {std::uint8_t(Background), std::uint8_t(Background >> 8)};
    Bytes pixels(std::size_t(wide) * std::size_t(grid.Height) * b);
    std::uint8_t* out = pixels.data();
    const auto copy = [&](const std::uint8_t* row, std::int32_t from, std::int32_t to) {
        out = std::copy(row + std::size_t(from) * b, row + std::size_t(to) * b, out);
    };
    const auto fill = [&](std::int64_t n) {
        for (; n > 0; --n) out = std::copy_n(blank, b, out);
    };
    for (std::int32_t y = 0; y < grid.Height; ++y) {
        const std::uint8_t* row = grid.Data + std::size_t(y) * std::size_t(grid.Width) * b;
        std::int32_t at = 0;
        for (const TFit& f : fits) {
            copy(row, at, f.Begin);
            fill(Left);
            copy(row, f.InkBegin, f.InkEnd);
            fill(Right);
            at = f.End;
        }
        copy(row, at, grid.Width);
    }

    // Every X at or past a glyph's end moves by what the glyphs before it grew.
    std::vector<std::int64_t> grown(fits.size() + 1);
    for (std::size_t i = 0; i < fits.size(); ++i)
        grown[i + 1] = grown[i] + newWidth(fits[i]) - (fits[i].End - fits[i].Begin);
    std::vector<TCharEntry> table = Font.Table();
    for (TCharEntry& e : table) {
        const auto glyph =
            std::lower_bound(fits.begin(), fits.end(), e.X,
                             [](const TFit& f, std::int32_t x) { return f.Begin < x; });
        if (glyph != fits.end() && glyph->Begin == e.X && e.Extra == glyph->End - glyph->Begin)
            e.Extra = std::int32_t(newWidth(*glyph));
        const auto past = std::upper_bound(fits.begin(), fits.end(), e.X,
                                           [](std::int32_t x, const TFit& f) { return x < f.End; });
        e.X = std::int32_t(std::clamp<std::int64_t>(e.X + grown[std::size_t(past - fits.begin())],
                                                    std::numeric_limits<std::int32_t>::min(),
                                                    std::numeric_limits<std::int32_t>::max()));
    }
    Font.ReplaceStrip(std::int32_t(wide), grid.Height, std::move(pixels));
    Font.SetTable(std::move(table));
    return true;
}

namespace {
// The table AppendGlyphs makes: the font's rows, then Rows from the old
// strip's end. Throws EFontError for what a font can't hold.
std::vector<TCharEntry> AppendedTable(const TEditedFont& Font, std::int32_t Width,
                                      std::size_t Bytes, const std::vector<TCharEntry>& Rows) {
    if (const std::string why = WhyNotWider(Font, std::max(Width, 1), Width); !why.empty())
        throw EFontError(why);
    const std::size_t bytes =
        std::size_t(Width) * std::size_t(Font.Font().Height) * std::size_t(Font.BitsPerPixel() / 8);
    if (Bytes != bytes)
        throw EFontError(std::to_string(Bytes) + " bytes of pixels for " +
                         Size(Width, Font.Font().Height) + " pixels");
    if (Font.Table().size() + Rows.size() > kMaxChars)
        throw EFontError("the table would have " +
                         std::to_string(Font.Table().size() + Rows.size()) +
                         " characters; a font holds at most " + std::to_string(kMaxChars));
    std::vector<TCharEntry> table = Font.Table(), added = Rows;
    MoveColumns(added, std::numeric_limits<std::int32_t>::min(), Font.Font().Width);
    table.insert(table.end(), added.begin(), added.end());
    return table;
}
}  // namespace

TEditStep AppendGlyphs(TEditedFont& Font, std::int32_t Width, Bytes Pixels,
                       const std::vector<TCharEntry>& Rows, const char* Name) {
    std::vector<TCharEntry> table = AppendedTable(Font, Width, Pixels.size(), Rows);
    return Apply(Font, Name, TColumnChange{true, Font.Font().Width, Width, std::move(Pixels), 0},
                 std::move(table));
}

void SaveAppended(const TEditedFont& Font, std::int32_t Width, ByteSpan Pixels,
                  const std::vector<TCharEntry>& Rows, const std::string& Path) {
    TEditedFont font = Font;  // the pixels are shared, not copied
    font.SetTable(AppendedTable(Font, Width, Pixels.size(), Rows));
    const Bytes head = font.HeadBytes(Font.Font().Width + Width);
    const std::size_t b = std::size_t(Font.BitsPerPixel() / 8);
    const std::size_t old = std::size_t(Font.Font().Width) * b, added = std::size_t(Width) * b;
    WriteFileAtomically(Path, [&](const TPieceWriter& write) {
        if (!write(head)) return;
        // Row by row from both strips: the wider one is never held.
        for (std::size_t y = 0; y < std::size_t(Font.Font().Height); ++y)
            if (!write(ByteSpan(Font.Font().Pixels.data() + y * old, old)) ||
                !write(Pixels.subspan(y * added, added)))
                return;
    });
}
