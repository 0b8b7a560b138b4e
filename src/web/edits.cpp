// The page's editing: the same pixel and column operations and history steps
// as the window's.
#include <algorithm>
#include <cmath>
#include <limits>
#include <new>

#include "bmplayout.h"
#include "charedit.h"
#include "glyphedit.h"
#include "outlinestrip.h"
#include "page.h"
#include "rgba.h"
#include "shown.h"
#include "tabletext.h"

namespace {

val AreaOf(TPixelRect Area) {
    val out = val::object();
    out.set("area", ArrayOf(std::vector<int>{Area.Left, Area.Top, Area.Right, Area.Bottom}));
    return out;
}

// A number typed into a dialog; past int64's range it stays out of every range.
std::int64_t Whole(double Value) {
    if (!std::isfinite(Value)) return std::numeric_limits<std::int64_t>::min();
    return Value >= 9.2e18    ? std::numeric_limits<std::int64_t>::max()
           : Value <= -9.2e18 ? std::numeric_limits<std::int64_t>::min()
                              : std::int64_t(Value);
}

std::vector<TTextRow> TextRows(val Rows) {
    std::vector<TTextRow> rows;
    const auto length = Rows["length"].as<unsigned>();
    for (unsigned r = 0; r < length; ++r)
        rows.push_back({Rows[r][0].as<std::string>(), Rows[r][1].as<std::string>(),
                        Rows[r][2].as<std::string>()});
    return rows;
}

val RowsVal(const std::vector<TTextRow>& Rows) {
    val out = val::array();
    for (std::size_t r = 0; r < Rows.size(); ++r)
        out.set(r, ArrayOf(std::vector<std::string>(Rows[r].begin(), Rows[r].end())));
    return out;
}

}  // namespace

void TPage::Refresh() {
    picture_->LoadFromFont(font_.Font(), palette_);
    font_.SetModified(!history_.IsClean());
}

val TPage::Keep(std::optional<TEditStep> Step, int Row) {
    if (!Step) return Done();
    const bool wholesale = Step->Wholesale();
    const TPixelRect area = Step->Area();
    try {
        const std::size_t dropped = history_.Push(font_, std::move(*Step));
        // Grown much past the history's bound, it begins again from the font.
        if (!journaled_ || sinceBase_ > kHistoryBound + kHistoryBound / 4) {
            StartJournal();
        } else {
            Journal(records_.Pushed(*history_.Steps().back(), font_));
            if (dropped) Journal(records_.Dropped(dropped));
        }
    } catch (...) {
        // Taken back: the font is as it was.
        if (wholesale) Show(font_, palette_);
        Refresh();
        throw;
    }
    if (wholesale) Show(font_, palette_);
    Refresh();
    if (!wholesale) return AreaOf(area);
    val out = val::object();
    out.set("row", Row);
    return out;
}

val TPage::Toggled(const TEditStep* Step, bool Undone) {
    if (!Step) return Done();
    if (journaled_) Journal(Undone ? records_.Undone() : records_.Redone());
    if (!Step->Wholesale()) {
        Refresh();
        return AreaOf(Step->Area());
    }
    Show(font_, palette_);
    Refresh();
    val out = val::object();
    out.set("row", -1);
    return out;
}

val TPage::Undo() {
    return Guarded([&] {
        Release();
        return Toggled(history_.Undo(font_), true);
    });
}

val TPage::Redo() {
    return Guarded([&] {
        Release();
        return Toggled(history_.Redo(font_), false);
    });
}

TGlyphExtent TPage::Glyph(int Row) const {
    return Row < 0 || std::size_t(Row) >= font_.Table().size() ? TGlyphExtent{}
                                                               : glyphs_.Extent(std::size_t(Row));
}

std::uint16_t TPage::Value(std::uint16_t Value) const {
    return Bits() == 8 ? std::uint8_t(Value) : Value;
}

val TPage::Press(int X, int Y, int Button, bool Ctrl, bool Shift) {
    return Guarded([&] {
        val out = val::object();
        if (!picture_ || stroke_ || (Button != 0 && Button != 2)) return out;
        TPixelGrid grid = font_.Grid();
        if (!grid.Contains(X, Y)) return out;  // off the strip nothing starts
        const int entry = glyphs_.EntryAt(X);
        const bool right = Button == 2;
        if (Ctrl) {
            colors_[right] = grid.Get(X, Y);
            out.set("picked", true);
        } else if (Shift && !right) {
            const TGlyphExtent columns = glyphs_.ColumnsAt(X);
            std::optional<TPixelDelta> fill;
            try {
                fill = Recorded(grid, [&](TPixelDelta& d) {
                    FillArea(grid, X, Y, columns.Begin, columns.End, colors_[0], d);
                });
            } catch (const std::bad_alloc&) {
                throw EToolkitError(kNoMemoryForStep);
            }
            if (!fill->Empty()) out = Keep(TEditStep("Fill", std::move(*fill)), -1);
        } else {
            strokeValue_ = colors_[right];
            stroke_.emplace();
            strokeX_ = X, strokeY_ = Y;
            out = Drag(X, Y);
        }
        out.set("entry", entry);
        return out;
    });
}

val TPage::Drag(int X, int Y) {
    return Guarded([&] {
        if (!stroke_) return Done();
        const int fromX = std::exchange(strokeX_, X), fromY = std::exchange(strokeY_, Y);
        TPixelGrid grid = font_.Grid();
        try {
            PaintLine(grid, fromX, fromY, X, Y, strokeValue_, *stroke_);
        } catch (const std::bad_alloc&) {
            // The whole stroke goes, the part of this line that was drawn too.
            stroke_->Toggle(grid);
            const TPixelRect area = stroke_->Bounds();
            stroke_.reset();
            Refresh();
            val out = Error(std::string(kNoMemoryForStep) + ".");
            out.set("area", AreaOf(area)["area"]);
            return out;
        }
        Refresh();
        const auto cut = [](std::int64_t v, std::int32_t size) {
            return int(std::clamp<std::int64_t>(v, 0, size));
        };
        return AreaOf({cut(std::min(fromX, X), grid.Width), cut(std::min(fromY, Y), grid.Height),
                       cut(std::int64_t(std::max(fromX, X)) + 1, grid.Width),
                       cut(std::int64_t(std::max(fromY, Y)) + 1, grid.Height)});
    });
}

val TPage::Release() {
    return Guarded([&] {
        if (!stroke_) return Done();
        TPixelDelta done = std::move(*stroke_);
        stroke_.reset();
        if (done.Empty()) return Done();
        return Keep(TEditStep("Pencil", std::move(done)), -1);
    });
}

val TPage::Colors() const {
    val out = val::object();
    out.set("current", colors_[0]);
    out.set("background", colors_[1]);
    return out;
}

void TPage::SetColor(bool Background, int Value) {
    colors_[Background ? 1 : 0] = this->Value(std::uint16_t(Value));
}

int TPage::To565(int R, int G, int B) const {
    return ::To565(TRgb{std::uint8_t(R), std::uint8_t(G), std::uint8_t(B)});
}

val TPage::RgbOf(int Value) const {
    std::uint8_t r = 0, g = 0, b = 0;
    if (Bits() == 8) {
        const TRgb c = PaletteColor(palette_, std::uint8_t(Value));
        r = c.R, g = c.G, b = c.B;
    } else {
        Color16ToRGB(std::uint8_t(Value), std::uint8_t(Value >> 8), r, g, b);
    }
    return ArrayOf(std::vector<int>{r, g, b});
}

val TPage::Transform(int Row, const std::string& Id) {
    return Guarded([&] {
        Release();
        const TGlyphExtent glyph = Glyph(Row);
        const auto command = std::find_if(kTransformCommands.begin(), kTransformCommands.end(),
                                          [&](const TTransformCommand& c) { return Id == c.Id; });
        if (glyph.End <= glyph.Begin || command == kTransformCommands.end()) return Done();
        return Keep(TransformGlyph(font_, glyph, command->Transform, colors_[1]), -1);
    });
}

std::string TPage::WhyNotInsert(double Code, double Width) const {
    return ::WhyNotInsert(font_, Whole(Code), Whole(Width));
}

std::string TPage::WhyNotResize(int Row, double Width) const {
    return ::WhyNotResize(font_, Row, Whole(Width));
}

val TPage::InsertCharacter(int Row, double Code, double Width) {
    return Guarded([&] {
        Release();
        const int row = Row < 0 ? -1 : Row;
        TEditStep step = ::InsertCharacter(font_, row, Whole(Code), Whole(Width), colors_[1]);
        return Keep(std::move(step), row < 0 ? int(font_.Table().size()) - 1 : row + 1);
    });
}

val TPage::DeleteCharacter(int Row) {
    return Guarded([&] {
        Release();
        return Keep(::DeleteCharacter(font_, Row), Row);
    });
}

val TPage::SetWidth(int Row, double Width) {
    return Guarded([&] {
        Release();
        if (Glyph(Row).End <= Glyph(Row).Begin) return Done();
        return Keep(SetGlyphWidth(font_, Row, Whole(Width), colors_[1]), Row);
    });
}

val TPage::TableRows() const { return RowsVal(TextRowsOf(font_.Table())); }

val TPage::RowAfter(val Row) const {
    if (Row.isNull() || Row.isUndefined()) return RowsVal({::RowAfter(nullptr)})[0];
    const TTextRow previous = TextRows(val::array(std::vector<val>{Row}))[0];
    return RowsVal({::RowAfter(&previous)})[0];
}

val TPage::SortRows(val Rows) const {
    try {
        std::vector<TCharEntry> table = TableOfTextRows(TextRows(Rows));
        std::stable_sort(table.begin(), table.end(),
                         [](const TCharEntry& a, const TCharEntry& b) { return a.Code < b.Code; });
        val out = val::object();
        out.set("rows", RowsVal(TextRowsOf(table)));
        return out;
    } catch (const EFontError& e) {
        return Error(std::string(e.what()) + ".");
    }
}

val TPage::SetTable(val Rows, int Row) {
    return Guarded([&] {
        Release();
        std::vector<TCharEntry> table;
        try {
            table = TableOfTextRows(TextRows(Rows));
        } catch (const EFontError& e) {
            val out = Error(std::string(e.what()) + ".");
            out.set("refused", true);
            return out;
        }
        if (table == font_.Table()) return Done();
        TEditedFont font = font_;
        font.SetTable(std::move(table));
        TFontBody before = font_.Body();
        Show(std::move(font), palette_);
        return Keep(TEditStep("Character Table", std::move(before), font_), Row);
    });
}

val TPage::GlyphPicture(int Row) {
    return Guarded([&] {
        const TGlyphExtent glyph = Glyph(Row);
        const int w = glyph.End - glyph.Begin, h = Height();
        if (w <= 0 || h <= 0) return val::null();
        val out = val::object();
        out.set("width", w);
        out.set("height", h);
        out.set("indexed", Bits() == 8);
        Bytes data(std::size_t(w) * std::size_t(h) * (Bits() == 8 ? 1 : 4));
        Bytes table(256 * 4);
        if (Bits() == 8) {
            const TPixelGrid grid = font_.Grid();
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x)
                    data[std::size_t(y) * std::size_t(w) + std::size_t(x)] =
                        std::uint8_t(grid.Get(glyph.Begin + x, y));
            for (std::size_t k = 0; k < 256; ++k) {
                std::copy_n(&palette_[3 * k], 3, &table[4 * k]);
                table[4 * k + 3] = 255;
            }
        } else {
            PictureRGBA(*picture_, glyph.Begin, 0, w, h, data.data());
        }
        out.set("data", ByteArray(data));
        out.set("table", ByteArray(table));
        return out;
    });
}

val TPage::PastePixels(int Row, int W, int H, bool Indexed, const std::string& Data,
                       const std::string& Table, bool Nearest) {
    return Guarded([&] {
        Release();
        const TGlyphExtent glyph = Glyph(Row);
        std::optional<TImagePixels> image = ImageOf(W, H, Indexed, Data, Table);
        if (!image) return Error("The clipboard holds no picture to paste.");
        if (glyph.End <= glyph.Begin || W == 0 || H == 0) return Done();
        // Only the part that lands in the glyph is converted and asked about.
        const int w = std::min(W, glyph.End - glyph.Begin), h = std::min(H, Height());
        TImagePixels part;
        part.Width = w, part.Height = h, part.Indexed = Indexed;
        part.ColorTable = image->ColorTable;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const std::size_t at = std::size_t(y) * std::size_t(W) + std::size_t(x);
                if (Indexed)
                    part.Indices.push_back(image->Indices[at]);
                else
                    part.Colors.push_back(image->Colors[at]);
            }
        TFontPixels pixels;
        try {
            pixels = ToFontPixels(Bits(), part, palette_, Nearest);
        } catch (const EColorsNotInPalette& e) {
            return Question(e);
        } catch (const EFontError& e) {
            return Error(std::string("Cannot paste the picture: ") + e.what() + ".");
        }
        const TPixelGrid source{w, h, Bits() / 8, pixels.Pixels.data()};
        return Keep(PasteGlyphPixels(font_, glyph, source), -1);
    });
}

void TPage::StartJournal() {
    pending_.clear();
    records_.Start(
        font_, TFileStamp{}, history_.Steps(), history_.Done(), history_.CleanAt(),
        [this](ByteSpan Piece) { pending_.insert(pending_.end(), Piece.begin(), Piece.end()); });
    journaled_ = restart_ = true;
    sinceBase_ = 0;
}

void TPage::Journal(ByteSpan Record) {
    pending_.insert(pending_.end(), Record.begin(), Record.end());
    sinceBase_ += Record.size();
}

val TPage::TakeJournal() {
    if (pending_.empty()) return val::null();
    val out = val::object();
    out.set("bytes", ByteArray(pending_));
    out.set("start", restart_);
    const std::ptrdiff_t done = std::ptrdiff_t(history_.Done()), clean = history_.CleanAt();
    out.set("changes", int(clean < 0 ? done : std::abs(done - clean)));
    pending_.clear();
    restart_ = false;
    return out;
}

val TPage::Recover(const std::string& Journal) {
    return Guarded([&] {
        TJournalHistory kept;
        try {
            SpanSource in(SpanOf(Journal));
            kept = ParseJournal(in, "the kept work");
        } catch (const EFontError& e) {
            return Error(std::string("The work kept in this browser can't be recovered: ") +
                         e.what() + ".");
        }
        stroke_.reset();
        Show(std::move(kept.Font), palette_);
        history_.Restore(std::move(kept.Steps), kept.Done, kept.Clean);
        colors_ = {std::uint16_t(Bits() == 8 ? BrightestEntry(palette_) : 0xFFFF), 0};
        font_.SetModified(!history_.IsClean());
        StartJournal();
        return Done();
    });
}
