// The session's strokes on the strip and its glyph and table commands.
#include <algorithm>
#include <new>
#include <utility>

#include "edit/charedit.h"
#include "edit/glyphstyle.h"
#include "session/display.h"
#include "session/session.h"
#include "text/charcode.h"

namespace {

int Cut(std::int64_t V, std::int32_t Size) { return int(std::clamp<std::int64_t>(V, 0, Size)); }

}  // namespace

TSessionChange TEditSession::Press(int X, int Y, TPointer Button, bool Pick, bool Fill) {
    TSessionChange change;
    if (Stroking()) return change;
    TPixelGrid grid = font_.Grid();
    if (!grid.Contains(X, Y)) return change;  // off the strip nothing starts
    const bool right = Button == TPointer::Right;
    const int entry = glyphs_.EntryAt(X);
    if (tool_ != TTool::Pencil) {
        change = PressTool(X, Y, right, Fill);
    } else if (Pick) {
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
        strokeMirror_ = MirrorAt(X);
        change = Line(X, Y);
    }
    // The glyph pressed is selected alone where the view stands.
    if (entry >= 0) {
        Select({entry}, entry);
        change.Selected = true, change.Scroll = false, change.Row = entry;
    }
    return change;
}

TSessionChange TEditSession::Drag(int X, int Y, bool Shift) {
    if (shape_ || pick_) return DragTool(X, Y, Shift);
    if (!stroke_ || (X == strokeX_ && Y == strokeY_)) return {};
    return Line(X, Y);
}

TSessionChange TEditSession::Line(int X, int Y) {
    const int fromX = std::exchange(strokeX_, X), fromY = std::exchange(strokeY_, Y);
    TPixelGrid grid = font_.Grid();
    try {
        DrawLine(grid, strokeMirror_, fromX, fromY, X, Y, strokeValue_, *stroke_);
    } catch (const std::bad_alloc&) {
        // The whole stroke goes, the part of this line that was drawn too.
        stroke_->Toggle(grid);
        stroke_.reset();
        throw EToolkitError(kNoMemoryForStep);
    }
    TSessionChange change;
    change.Kind = TSessionChange::TKind::Pixels;
    change.Area =
        MirroredArea({Cut(std::min(fromX, X), grid.Width), Cut(std::min(fromY, Y), grid.Height),
                      Cut(std::int64_t(std::max(fromX, X)) + 1, grid.Width),
                      Cut(std::int64_t(std::max(fromY, Y)) + 1, grid.Height)},
                     strokeMirror_);
    return change;
}

TSessionChange TEditSession::Release() {
    if (shape_ || pick_) return ReleaseTool();
    if (!stroke_) return {};
    TPixelDelta done = std::move(*stroke_);
    stroke_.reset();
    if (done.Empty()) return {};
    return Keep(TEditStep("Pencil", std::move(done)), -1);
}

TSessionChange TEditSession::Pixels(std::optional<TEditStep> Step) {
    if (Step) return Keep(std::move(Step), -1);
    TSessionChange change;
    change.NoPixels = true;
    return change;
}

TSessionChange TEditSession::Transform(TGlyphTransform Transform) {
    Settle();
    const std::vector<TGlyphExtent> glyphs = SelectedGlyphs();
    if (glyphs.empty()) return {};
    return Pixels(TransformGlyphs(font_, glyphs, Transform, colors_[0], colors_[1]));
}

TSessionChange TEditSession::Shadow(int Right, int Down) {
    Settle();
    if (std::string why = ShadowRefusal(Right, Down); !why.empty()) throw EFontError(why);
    const std::vector<TGlyphExtent> glyphs = SelectedGlyphs();
    if (glyphs.empty()) return {};
    return Pixels(ShadowGlyphs(font_, glyphs, Right, Down, colors_[0], colors_[1]));
}

TSessionChange TEditSession::ReplaceColor(std::uint16_t From, std::uint16_t To) {
    Settle();
    const std::vector<TGlyphExtent> glyphs = SelectedGlyphs();
    if (glyphs.empty()) return {};
    return Pixels(::ReplaceColor(font_, glyphs, From, To));
}

std::uint64_t TEditSession::CountColor(std::uint16_t Value) {
    const TPixelGrid grid = font_.Grid();
    std::uint64_t n = 0;
    for (const TGlyphExtent& g : SelectedGlyphs()) n += CountPixels(grid, g.Begin, g.End, Value);
    return n;
}

std::string TEditSession::WhyNotInsert(std::int64_t Code, std::int64_t Width) const {
    return ::WhyNotInsert(font_, Code, Width);
}

std::string TEditSession::WhyNotResize(std::int64_t Width) const {
    for (int row : selection_)
        if (std::string why = ::WhyNotResize(font_, row, Width); !why.empty()) return why;
    return {};
}

TSessionChange TEditSession::InsertCharacter(std::int64_t Code, std::int64_t Width) {
    Settle();
    const int row = current_;
    TEditStep step = ::InsertCharacter(font_, row, Code, Width, colors_[1]);
    return Keep(std::move(step), row < 0 ? int(font_.Table().size()) - 1 : row + 1);
}

TSessionChange TEditSession::OnRows(const char* Name,
                                    const std::function<void(TEditedFont&, int)>& Each) {
    std::vector<int> rows = selection_;
    // From the right, so that what moves has been done already.
    std::stable_sort(rows.begin(), rows.end(), [this](int a, int b) {
        return font_.Table()[std::size_t(a)].X > font_.Table()[std::size_t(b)].X ||
               (font_.Table()[std::size_t(a)].X == font_.Table()[std::size_t(b)].X && a > b);
    });
    TEditedFont font = font_;
    for (int row : rows) Each(font, row);
    if (font.Table() == font_.Table() && font.Font().Width == font_.Font().Width) return {};
    return Take(std::move(font), selection_.front(), Name);
}

TSessionChange TEditSession::DeleteCharacter() {
    Settle();
    if (selection_.empty()) return {};
    // The row selected: the current one may have been taken out of the selection.
    if (selection_.size() == 1) {
        const int row = selection_.front();
        return Keep(::DeleteCharacter(font_, row), row);
    }
    return OnRows("Delete Character",
                  [](TEditedFont& Font, int Row) { ::DeleteCharacter(Font, Row); });
}

TSessionChange TEditSession::SetWidth(std::int64_t Width) {
    Settle();
    if (SelectedGlyphs().empty()) return {};
    if (selection_.size() == 1) {
        const int row = selection_.front();
        return Keep(SetGlyphWidth(font_, row, Width, colors_[1]), row);
    }
    return OnRows("Set Width", [this, Width](TEditedFont& Font, int Row) {
        if (std::size_t(Row) < Font.Table().size()) SetGlyphWidth(Font, Row, Width, colors_[1]);
    });
}

TSessionChange TEditSession::FitWidth(std::int64_t Left, std::int64_t Right) {
    Release();
    if (std::string why = WhyNotFit(Left, Right); !why.empty()) throw EFontError(why);
    if (SelectedGlyphs().empty()) return {};
    TEditedFont font = font_;  // the strip is shared until the fit makes its own
    if (!FitGlyphWidths(font, selection_, Left, Right, colors_[1])) {
        TSessionChange change;
        change.NoPixels = true;
        return change;
    }
    return Take(std::move(font), selection_.front(), "Fit Width");
}

TSessionChange TEditSession::SetTable(std::vector<TCharEntry> Table, int Row) {
    Settle();
    if (Table == font_.Table()) return {};
    TEditedFont font = font_;
    font.SetTable(std::move(Table));
    return Take(std::move(font), Row, "Character Table");
}

TSessionChange TEditSession::Append(std::int32_t Width, Bytes Pixels,
                                    const std::vector<TCharEntry>& Rows) {
    Settle();
    const int first = int(font_.Table().size());
    return Keep(AppendGlyphs(font_, Width, std::move(Pixels), Rows), first);
}

TEditSession::TBuiltAccents TEditSession::BuildAccented(std::vector<TAccentRequest> Requests) {
    Settle();
    TAccentPlan plan = PlanAccentedIn(font_, page_, colors_[1], std::move(Requests));
    TBuiltAccents built{{}, NotBuiltText(plan.Refused)};
    if (plan.Rows.empty()) return built;
    const int first = int(font_.Table().size());
    built.Change = Keep(AppendGlyphs(font_, plan.Width, std::move(plan.Pixels), plan.Rows,
                                     "Build Accented Characters"),
                        first);
    return built;
}

TTextCheck TEditSession::CheckText(std::u32string_view Text,
                                   const std::function<std::u32string(char32_t)>& Decompose) const {
    return ::CheckText(font_, page_, TextCharacters(Text), Decompose, colors_[1]);
}

TSessionChange TEditSession::Replace(TEditedFont Font, int Row, const char* Name) {
    return Take(std::move(Font), Row, Name);
}

TSessionChange TEditSession::Import(const TImagePixels& Picture, bool Nearest) {
    Settle();
    TEditedFont font = font_;
    TFontPixels pixels = ToFontPixels(Bits(), Picture, palette_, Nearest);
    font.ReplaceStrip(Picture.Width, Picture.Height, std::move(pixels.Pixels));
    return Take(std::move(font), -1, "Import Picture");
}

TSessionChange TEditSession::Paste(const TImagePixels& Picture, bool Nearest) {
    // A pixel selection takes the picture at its corner.
    Release();
    KeepPick();
    const std::vector<TGlyphExtent> glyphs = SelectedGlyphs();
    const auto [wide, high] = PasteRoom();
    if (wide <= 0 || high <= 0 || Picture.Width <= 0 || Picture.Height <= 0) return {};
    const std::size_t count = std::size_t(Picture.Width) * std::size_t(Picture.Height);
    if ((Picture.Indexed ? Picture.Indices.size() : Picture.Colors.size()) != count)
        throw EToolkitError(kNoPictureToPaste);
    // Only the part that lands is converted and asked about.
    TImagePixels part;
    part.Width = std::min(Picture.Width, wide);
    part.Height = std::min(Picture.Height, high);
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
    if (pick_) return Pasted(source);
    return Pixels(PasteGlyphPixels(font_, glyphs, source));
}

TSessionChange TEditSession::GoTo(std::string_view Text) {
    return GoToCode(CharacterCodeIn(Text, page_));
}

TSessionChange TEditSession::GoToChar(char32_t Char) {
    const std::optional<std::uint16_t> code = page_.CodeOf(Char);
    if (!code) throw EFontError("\"" + Utf8Of(Char) + "\" is not in " + page_.Name());
    return GoToCode(*code);
}

TSessionChange TEditSession::GoToCode(std::uint32_t code) {
    const std::vector<TCharEntry>& table = font_.Table();
    for (std::size_t r = 0; r < table.size(); ++r)
        if (table[r].Code == code) {
            Select({int(r)}, int(r));
            TSessionChange change;
            change.Selected = true;
            change.Row = int(r);
            return change;
        }
    throw EFontError(NoCharacterText(code));
}
