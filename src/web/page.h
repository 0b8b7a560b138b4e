// The page's view of the core: one open font, its history, the palette in use
// and the picture drawn from them, with every rule left to the core. Calls
// never throw into the script: a refusal comes back as an object with
// "error" (the standard error box's text), a question as one with
// "question".
#pragma once

#include <emscripten/val.h>

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "colorrules.h"
#include "editfont.h"
#include "history.h"
#include "journal.h"
#include "palette.h"
#include "picture.h"
#include "strip.h"

using emscripten::val;

class TPage {
public:
    // Fonts the window refuses are refused alike; the page keeps what it had.
    val OpenFont(const std::string& File, const std::string& Name);
    // The readers' warnings, then "Error loading Palette!", or the palette in
    // use and the picture drawn through it.
    val LoadPalette(const std::string& File, bool BM);

    bool HasFont() const { return picture_ != nullptr; }
    std::string Name() const { return font_.Path(); }
    bool Modified() const { return font_.Modified(); }
    int Bits() const { return font_.BitsPerPixel(); }
    int Width() const { return picture_ ? picture_->Width() : 0; }
    int Height() const { return picture_ ? picture_->Height() : 0; }
    val InfoLines() const;
    // The table's rows: code, X, and the glyph's columns.
    val Table() const;
    val Boundaries() const;
    int EntryAt(int X) const { return glyphs_.EntryAt(X); }
    // Text laid out in the font: glyphs' columns, or gaps for codes it lacks.
    val Spell(val Codes) const;
    // The name Save as BMP gives the picture: main.sft gives main.BMP.
    std::string ExportName() const;

    // Pixels of the picture as RGBA, for the part of the strip on screen.
    val Pixels(int X, int Y, int W, int H);
    std::string PixelInfo(int X, int Y) const;
    val BmpFile() const;
    // A download is a save: the font is unchanged from then on.
    val SftFile(const std::string& Name);
    // What sft2bmp --json prints for the font, its name for the path.
    std::string Json() const;

    // A picture's pixels in place of the strip, under the colour rules: an
    // indexed picture (Data the indices, Table 256 RGBA entries) or RGBA
    // colours. Colours the palette lacks give back the question; asked
    // again with Nearest they move.
    val ImportPixels(int W, int H, bool Indexed, const std::string& Data, const std::string& Table,
                     bool Nearest, const std::string& Name);
    // A BMP picture, read by the core's own reader.
    val ImportBmp(const std::string& File, bool Nearest, const std::string& Name);

    // Editing. Each change is one step of the history; what it changed comes
    // back as {area: [left, top, right, bottom]} for pixels, or {row} when
    // the table or the strip's size changed and Row is to be selected.
    std::string UndoName() const { return history_.UndoName(); }
    std::string RedoName() const { return history_.RedoName(); }
    val Undo();
    val Redo();
    // Left (0) paints the current colour, right (2) the background; with Ctrl
    // either takes the colour under the pointer, with Shift left fills the
    // glyph's columns. {entry} is the character pressed.
    val Press(int X, int Y, int Button, bool Ctrl, bool Shift);
    val Drag(int X, int Y);
    // Ends the stroke in progress, if any, as one step.
    val Release();
    val Colors() const;
    void SetColor(bool Background, int Value);
    // A colour as a 16-bit font keeps it, and the RGB a value is shown in.
    int To565(int R, int G, int B) const;
    val RgbOf(int Value) const;
    val Transform(int Row, const std::string& Id);
    std::string WhyNotInsert(double Code, double Width) const;
    std::string WhyNotResize(int Row, double Width) const;
    val InsertCharacter(int Row, double Code, double Width);
    val DeleteCharacter(int Row);
    val SetWidth(int Row, double Width);
    // The Character Table dialog's rows as text, and what it makes of them.
    val TableRows() const;
    val RowAfter(val Row) const;
    val SortRows(val Rows) const;
    val SetTable(val Rows, int Row);
    // Copy Glyph: the glyph's pixels, an 8-bit font's as indices with the
    // colour table, a 16-bit font's as RGBA.
    val GlyphPicture(int Row);
    // Paste Glyph: a picture into row Row's glyph, cut to its columns and
    // the strip's rows, under Import Picture's colour rules.
    val PastePixels(int Row, int W, int H, bool Indexed, const std::string& Data,
                    const std::string& Table, bool Nearest);

    // Unsaved work for the browser's storage: what the font's journal gained
    // since the last call, {bytes, start, changes}, start when it begins
    // afresh (a font opened, saved or recovered); null when nothing is new.
    val TakeJournal();
    // The font and its whole history back from a kept journal's bytes.
    val Recover(const std::string& Journal);

private:
    // The journal begins afresh with the font and the history as they stand.
    void StartJournal();
    void Journal(ByteSpan Record);
    val Import(const TImagePixels& Image, bool Nearest, const std::string& Name);
    // Built aside: the page changes only once the picture has succeeded.
    void Show(TEditedFont Font, const TPalette& Palette);
    // The font changed in place: a fresh picture of it, the "*" following
    // the history.
    void Refresh();
    // Keeps a step the font holds, and says what it changed.
    val Keep(std::optional<TEditStep> Step, int Row);
    val Toggled(const TEditStep* Step, bool Undone);
    TGlyphExtent Glyph(int Row) const;
    std::uint16_t Value(std::uint16_t Value) const;

    TEditedFont font_;
    TPalette palette_{};
    std::unique_ptr<TBitmap> picture_;
    std::vector<std::string> info_;
    TStripGeometry glyphs_;
    std::vector<std::uint8_t> rgba_;
    TEditHistory history_;
    std::array<std::uint16_t, 2> colors_{};  // current, background
    std::optional<TPixelDelta> stroke_;      // while a button paints
    std::uint16_t strokeValue_ = 0;
    int strokeX_ = 0, strokeY_ = 0;
    TJournalRecords records_;
    bool journaled_ = false;       // the storage holds this font's journal
    bool restart_ = false;         // pending_ begins the journal afresh
    Bytes pending_;                // records not yet handed to the storage
    std::uint64_t sinceBase_ = 0;  // record bytes after the font's
};

// Helpers the page's files share.
ByteSpan SpanOf(const std::string& Data);
val ByteArray(ByteSpan Data);
val Error(const std::string& Text);
val Done();
// Colours the palette lacks: the question before they move to the nearest.
val Question(const EColorsNotInPalette& Missing);
// Pixels handed in by the script as the core's decoded picture: W x H
// indices (with Table, 256 RGBA entries) or RGBA colours; none when they are
// not W x H.
std::optional<TImagePixels> ImageOf(int W, int H, bool Indexed, const std::string& Data,
                                    const std::string& Table);
template <class T>
val ArrayOf(const std::vector<T>& Items) {
    val out = val::array();
    for (std::size_t i = 0; i < Items.size(); ++i) out.set(i, Items[i]);
    return out;
}
// Runs a command; what it throws comes back as the standard error box's text.
template <class F>
val Guarded(F&& Command) {
    try {
        return Command();
    } catch (const std::bad_alloc&) {
        return Error(std::string(kOutOfMemory) + ".");
    } catch (const std::exception& e) {
        return Error(std::string(e.what()) + ".");
    }
}
