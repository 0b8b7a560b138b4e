// The session's strokes on the strip and its glyph and table commands.
#include <algorithm>
#include <new>
#include <utility>

#include "charedit.h"
#include "session.h"
#include "shown.h"

namespace {

int Cut(std::int64_t V, std::int32_t Size) { return int(std::clamp<std::int64_t>(V, 0, Size)); }

}  // namespace

TSessionChange TEditSession::Press(int X, int Y, TPointer Button, bool Pick, bool Fill) {
    TSessionChange change;
    if (stroke_) return change;
    TPixelGrid grid = font_.Grid();
    if (!grid.Contains(X, Y)) return change;  // off the strip nothing starts
    const bool right = Button == TPointer::Right;
    const int entry = glyphs_.EntryAt(X);
    if (Pick) {
        colors_[right] = grid.Get(X, Y);
        change.Colors = true;
    } else if (Fill && !right) {
        const TGlyphExtent columns = glyphs_.ColumnsAt(X);
        std::optional<TPixelDelta> fill;
        try {
            fill = Recorded(grid, [&](TPixelDelta& d) {
                FillArea(grid, X, Y, columns.Begin, columns.End, colors_[0], d);
            });
        } catch (const std::bad_alloc&) {
            throw EToolkitError(kNoMemoryForStep);
        }
        if (!fill->Empty()) change = Keep(TEditStep("Fill", std::move(*fill)), -1);
    } else {
        strokeValue_ = colors_[right];
        stroke_.emplace();
        strokeX_ = X, strokeY_ = Y;
        change = Line(X, Y);
    }
    change.Entry = entry;
    return change;
}

TSessionChange TEditSession::Drag(int X, int Y) {
    if (!stroke_ || (X == strokeX_ && Y == strokeY_)) return {};
    return Line(X, Y);
}

TSessionChange TEditSession::Line(int X, int Y) {
    const int fromX = std::exchange(strokeX_, X), fromY = std::exchange(strokeY_, Y);
    TPixelGrid grid = font_.Grid();
    try {
        PaintLine(grid, fromX, fromY, X, Y, strokeValue_, *stroke_);
    } catch (const std::bad_alloc&) {
        // The whole stroke goes, the part of this line that was drawn too.
        stroke_->Toggle(grid);
        stroke_.reset();
        throw EToolkitError(kNoMemoryForStep);
    }
    TSessionChange change;
    change.Kind = TSessionChange::TKind::Pixels;
    change.Area = {Cut(std::min(fromX, X), grid.Width), Cut(std::min(fromY, Y), grid.Height),
                   Cut(std::int64_t(std::max(fromX, X)) + 1, grid.Width),
                   Cut(std::int64_t(std::max(fromY, Y)) + 1, grid.Height)};
    return change;
}

TSessionChange TEditSession::Release() {
    if (!stroke_) return {};
    TPixelDelta done = std::move(*stroke_);
    stroke_.reset();
    if (done.Empty()) return {};
    return Keep(TEditStep("Pencil", std::move(done)), -1);
}

TSessionChange TEditSession::Transform(int Row, TGlyphTransform Transform) {
    Release();
    const TGlyphExtent glyph = Glyph(Row);
    if (glyph.End <= glyph.Begin) return {};
    return Keep(TransformGlyph(font_, glyph, Transform, colors_[1]), -1);
}

std::string TEditSession::WhyNotInsert(std::int64_t Code, std::int64_t Width) const {
    return ::WhyNotInsert(font_, Code, Width);
}

std::string TEditSession::WhyNotResize(int Row, std::int64_t Width) const {
    return ::WhyNotResize(font_, Row, Width);
}

TSessionChange TEditSession::InsertCharacter(int Row, std::int64_t Code, std::int64_t Width) {
    Release();
    const int row = Row < 0 ? -1 : Row;
    TEditStep step = ::InsertCharacter(font_, row, Code, Width, colors_[1]);
    return Keep(std::move(step), row < 0 ? int(font_.Table().size()) - 1 : row + 1);
}

TSessionChange TEditSession::DeleteCharacter(int Row) {
    Release();
    return Keep(::DeleteCharacter(font_, Row), Row);
}

TSessionChange TEditSession::SetWidth(int Row, std::int64_t Width) {
    Release();
    if (Glyph(Row).End <= Glyph(Row).Begin) return {};
    return Keep(SetGlyphWidth(font_, Row, Width, colors_[1]), Row);
}

TSessionChange TEditSession::SetTable(std::vector<TCharEntry> Table, int Row) {
    Release();
    if (Table == font_.Table()) return {};
    TEditedFont font = font_;
    font.SetTable(std::move(Table));
    return Take(std::move(font), Row, "Character Table");
}

TSessionChange TEditSession::Append(std::int32_t Width, Bytes Pixels,
                                    const std::vector<TCharEntry>& Rows) {
    Release();
    const int first = int(font_.Table().size());
    return Keep(AppendGlyphs(font_, Width, std::move(Pixels), Rows), first);
}

TSessionChange TEditSession::Replace(TEditedFont Font, int Row, const char* Name) {
    return Take(std::move(Font), Row, Name);
}

TSessionChange TEditSession::Import(const TImagePixels& Picture, bool Nearest) {
    Release();
    TEditedFont font = font_;
    TFontPixels pixels = ToFontPixels(Bits(), Picture, palette_, Nearest);
    font.ReplaceStrip(Picture.Width, Picture.Height, std::move(pixels.Pixels));
    return Take(std::move(font), -1, "Import Picture");
}

TSessionChange TEditSession::Paste(int Row, const TImagePixels& Picture, bool Nearest) {
    Release();
    const TGlyphExtent glyph = Glyph(Row);
    if (glyph.End <= glyph.Begin || Picture.Width <= 0 || Picture.Height <= 0 || Height() <= 0)
        return {};
    const std::size_t count = std::size_t(Picture.Width) * std::size_t(Picture.Height);
    if ((Picture.Indexed ? Picture.Indices.size() : Picture.Colors.size()) != count)
        throw EToolkitError(kNoPictureToPaste);
    // Only the part that lands in the glyph is converted and asked about.
    TImagePixels part;
    part.Width = std::min(Picture.Width, glyph.End - glyph.Begin);
    part.Height = std::min(Picture.Height, Height());
    part.Indexed = Picture.Indexed;
    part.ColorTable = Picture.ColorTable;
    for (int y = 0; y < part.Height; ++y) {
        const std::size_t at = std::size_t(y) * std::size_t(Picture.Width);
        if (Picture.Indexed)
            part.Indices.insert(part.Indices.end(), Picture.Indices.begin() + std::ptrdiff_t(at),
                                Picture.Indices.begin() + std::ptrdiff_t(at) + part.Width);
        else
            part.Colors.insert(part.Colors.end(), Picture.Colors.begin() + std::ptrdiff_t(at),
                               Picture.Colors.begin() + std::ptrdiff_t(at) + part.Width);
    }
    TFontPixels pixels;
    try {
        pixels = ToFontPixels(Bits(), part, palette_, Nearest);
    } catch (const EColorsNotInPalette&) {
        throw;
    } catch (const EFontError& e) {
        throw EToolkitError(kCannotPaste + std::string(e.what()));
    }
    const TPixelGrid source{part.Width, part.Height, Bits() / 8, pixels.Pixels.data()};
    return Keep(PasteGlyphPixels(font_, glyph, source), -1);
}
