// The page's view of the core: the editing session, the picture drawn from
// it and the journal's records waiting for the browser's storage. Every rule
// is the session's. Calls never throw into the script: a refusal comes back
// as an object with "error" (the standard error box's text), a question as
// one with "question".
#pragma once

#include <emscripten/val.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "image/colorrules.h"
#include "makers/guides.h"
#include "picture/picture.h"
#include "picture/textpreview.h"
#include "session/commands.h"
#include "session/session.h"

using emscripten::val;

class TPage final : public IJournalSink {
public:
    TPage();

    // Fonts the window refuses are refused alike; the page keeps what it had.
    // File: a Uint8Array.
    val OpenFont(const val& File, const std::string& Name);
    // The readers' warnings, then "Error loading Palette!", or the palette in
    // use and the picture drawn through it.
    val LoadPalette(const std::string& File, bool BM);

    bool HasFont() const { return picture_ != nullptr; }
    std::string Name() const { return session_.Font().Path(); }
    bool Modified() const { return session_.Modified(); }
    int Bits() const { return session_.Bits(); }
    int Width() const { return picture_ ? picture_->Width() : 0; }
    int Height() const { return picture_ ? picture_->Height() : 0; }
    val InfoLines() const;
    // The table's rows by column, each a typed array: code, x, and the
    // glyph's columns begin and end; chars: the letter the list shows beside
    // each code, under the code page, each ended by a NUL. By column, since
    // an object a row costs a call into the script per field.
    val Table() const;
    val Boundaries() const;
    int EntryAt(int X) const { return session_.Glyphs().EntryAt(X); }
    // The name Save as BMP gives the picture: main.sft gives main.BMP.
    std::string ExportName() const;

    // Pixels of the picture as RGBA, each Zoom x Zoom (1 to 16) as the view
    // shows them; OnScreen for the part of the strip on screen, with the
    // reference glyph under the selected one. A view into the page's memory,
    // to be read before the next call.
    val Pixels(int X, int Y, int W, int H, bool OnScreen, int Zoom);
    std::string PixelInfo(int X, int Y) const;
    val BmpFile() const;
    // The font file's bytes; once they are written (a download is a write),
    // Saved marks the font unchanged under Name.
    val SftFile() const;
    val Saved(const std::string& Name);
    // What sft2bmp --json prints for the font, its name for the path.
    val Json() const;

    // A picture's pixels in place of the strip, under the colour rules: an
    // indexed picture (Data the indices, Table 256 RGBA entries) or RGBA
    // colours. Colours the palette lacks give back the question; asked
    // again with Nearest they move.
    val ImportPixels(int W, int H, bool Indexed, const std::string& Data, const std::string& Table,
                     bool Nearest, const std::string& Name);
    // A BMP picture, read by the core's own reader.
    val ImportBmp(const std::string& File, bool Nearest, const std::string& Name);

    // Editing (edits.cpp). Each change is one step of the history; what it
    // changed comes back as {area: [left, top, right, bottom]} for pixels,
    // or {row} when the table or the strip's size changed and Row is to be
    // selected.
    std::string UndoName() const { return session_.UndoName(); }
    std::string RedoName() const { return session_.RedoName(); }
    // Left (0) paints the current colour, right (2) the background; with Ctrl
    // either takes the colour under the pointer, with Shift left fills the
    // glyph's columns. The character pressed is selected: {selected, stay}.
    val Press(int X, int Y, int Button, bool Ctrl, bool Shift);
    val Drag(int X, int Y, bool Shift);
    // The drawing tool by its command's id, which the page keeps; the pixel
    // selection's frame [left, top, right, bottom], or null; the status line
    // while drawing.
    std::string Tool() const;
    bool Stroking() const { return session_.Stroking(); }
    void SetTool(const std::string& Id);
    val PixelFrame() const;
    std::string ToolStatus(const std::string& Readout) const;
    // Ends the stroke in progress, if any, as one step.
    val Release();
    val Colors() const;
    void SetColor(bool Background, int Value);
    // A colour as a 16-bit font keeps it, and the RGB a value is shown in.
    int To565(int R, int G, int B) const;
    val RgbOf(int Value) const;
    // The characters selected, as the list left them: Rows and the current
    // one. The selection as it stands: {rows, current}.
    void Select(val Rows, int Current);
    val Selection() const;
    // Edit > Go To Character...: {row, selected} or {error}.
    val GoTo(const std::string& Text);
    // View > Code Page: the command's entry Index chosen ({} or {error}),
    // and the page's name.
    val ChooseEntry(const std::string& Id, int Index);
    std::string CodePage() const { return session_.CodePage().Name(); }
    // Glyph > Check Text...: {characters, missing: [{char, unicode, code
    // (null when the page lacks it), fix ("build", "add" or "codepage"),
    // what}]}, Decompose giving a code point's NFD as code points.
    val CheckText(const std::string& Text, val Decompose) const;
    // Check Text's Open Text...: a file's text as the core reads it, {text}
    // or {error}.
    val ReadText(const std::string& File, const std::string& Name) const;
    // A character clicked in the text: its row selected, {row, selected}, or
    // {error} when the font lacks it.
    val GoToChar(int Char);
    // View > Text Preview...: the text box's units At .. At + Removed - 1
    // replaced by Inserted, as typed; its size after.
    int PreviewEdit(int At, int Removed, const std::u16string& Inserted);
    int PreviewSize() const { return int(preview_.Size()); }
    // The text's lines First .. First + Count - 1, columns Left .. Left +
    // Columns - 1, drawn as sft2bmp --text draws them, {width and lines: the
    // whole text's, lineHeight, first, left, drawnWidth, drawnHeight, rgba,
    // gaps: [line, x, width, ...], wider: [line, ...] of those drawn, status} under a
    // width Limit (0 for none), or {error}. Rgba is a view into the page's
    // memory, to be read before the next call.
    val PreviewText(int Limit, int First, int Count, int Left, int Columns);
    // The character whose glyph holds pixel X, Y of the text's picture, or -1.
    int PreviewCharAt(int X, int Y) const;
    // Build Accented Characters: the codes the field asks for, then those
    // built from their decompositions (arrays of code points, one per code).
    val AccentCodes(const std::string& Text) const;
    val BuildAccented(val Codes, val Decompositions);
    // Replace Colour on every selected glyph, one step: when nothing changes
    // it says {unchanged}.
    val ReplaceColor(int From, int To);
    double CountColor(int Value);
    // A Replace Colour field's text as a value, {value} or {error}; a value
    // as the field shows it.
    val ColorValueOf(const std::string& Field, const std::string& Text) const;
    std::string ColorValueText(int Value) const;
    // The Character Table dialog's rows as text, and what it makes of them.
    val TableRows() const;
    val RowAfter(val Row) const;
    val SortRows(val Rows) const;
    val SetTable(val Rows, int Row);
    // Copy Glyph: the glyph's pixels, an 8-bit font's as indices with the
    // colour table, a 16-bit font's as RGBA.
    val GlyphPicture(int Row);
    // Copy Strip: the whole strip so.
    val StripPicture();
    // Paste Glyph: a picture into each selected glyph, cut to its columns
    // and the strip's rows, under Import Picture's colour rules.
    val PastePixels(int W, int H, bool Indexed, const std::string& Data, const std::string& Table,
                    bool Nearest);

    // The View menu's aids (aids.cpp). The guide rows found, {cap, x, base}
    // each a row or null; a Guides... field's text as {row} (null for none)
    // or {error}.
    val Guides() const;
    val GuideRowOf(int Field, const std::string& Text) const;
    // View > Reference Glyph...: Text's glyph of this font, or with Other
    // of the font in File (Name); {ok} or {error}, which changes nothing.
    val SetReference(const std::string& Text, bool Other, const std::string& File,
                     const std::string& Name);
    void ClearReference() { reference_.reset(); }
    bool HasReference() const { return reference_.has_value(); }

    // File > New Font from Outline Font... (outlinefont.cpp), Font the
    // script's drawing of the chosen file (outline.js), or null. The
    // dialog's first values; the refusal of a file the browser can't load;
    // the new glyphs as {status, width, height, rgba}, or {error} with the
    // status line's text; and the strip made into one step, {error} as the
    // preview's.
    val OutlineStart() const;
    std::string OutlineRefusal(const std::string& Name) const;
    val OutlinePreview(val Font, val Fields);
    val NewFromOutline(val Font, val Fields);

    // Unsaved work for the browser's storage: what the font's journal gained
    // since the last call, {bytes, start, changes}, start when it begins
    // afresh (a font opened, saved or recovered); null when nothing is new.
    val TakeJournal();
    // An opened font's journal begun, once it is shown, so that the first
    // change's step is as small a write as any other; a change before then
    // begins it itself.
    void StartJournal() {
        if (!session_.Journaled()) session_.StartJournal();
    }
    // The font and its whole history back from a kept journal's bytes.
    val Recover(const std::string& Journal);

    // The journal's records, kept until the script takes them.
    void Begin(const TWrite& Write) override;
    void Append(ByteSpan Record) override;
    void End() override {}

    // The command table's states in its order, the view's and the recent
    // list's part given: {flags (1 enabled, 2 checked), chosen (a choice's
    // entry, else -1), texts (the captions, each ended by a line break)}.
    // A command's dialog: what it opens with and why values are refused.
    // RunCommand runs a command the session does by itself (commands.js).
    val CommandStates(bool ZoomIn, bool Zoomed, bool Recent) const;
    // The same, or null when they are as this last gave them: most steps
    // change none, and the menus follow every step.
    val ChangedCommandStates(bool ZoomIn, bool Zoomed, bool Recent);
    val DialogStart(const std::string& Id) const;
    std::string DialogRefusal(const std::string& Id, val Values) const;
    val RunCommand(const std::string& Id, val Values);

    // What a call changed, for the script; the picture follows it.
    val Report(const TSessionChange& Change);

private:
    val TableOf() const;
    val AreaPicture(TPixelRect Area);
    val Import(const TImagePixels& Image, bool Nearest, const std::string& Name);
    // Builds the picture of Font aside, to be shown once its change is kept.
    void Build(const TEditedFont& Font, const TPalette& Palette);

    TEditSession session_;
    TKeptValues kept_;  // the dialogs' last values
    std::unique_ptr<TBitmap> picture_, built_;
    std::vector<std::string> info_, builtInfo_;
    std::vector<std::uint8_t> rgba_, zoomed_;
    std::optional<TReferenceGlyph> reference_;
    TPreviewText preview_;                   // the Text Preview's text, as its box holds it
    std::vector<std::uint8_t> previewRgba_;  // its last picture, viewed by the script
    struct TStates {
        std::vector<std::int32_t> Flags, Chosen;
        std::string Texts;
        bool operator==(const TStates&) const = default;
    };
    TStates States(bool ZoomIn, bool Zoomed, bool Recent) const;
    TStates statesGiven_;   // what ChangedCommandStates last gave
    bool restart_ = false;  // pending_ begins the journal afresh
    Bytes pending_;         // records not yet handed to the storage
};

// The command table as the page reads it.
val CommandTable();

// Helpers the page's files share.
ByteSpan SpanOf(const std::string& Data);
val ByteArray(ByteSpan Data);
// A copy of Items the script owns, as the typed array Type ("Int32Array").
template <class T>
val TypedArray(const char* Type, const std::vector<T>& Items) {
    return val::global(Type).new_(emscripten::typed_memory_view(Items.size(), Items.data()));
}
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
