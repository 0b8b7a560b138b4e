// One editing session: the open font and everything the user edits it with:
// the palette, the current and background colours, the one history, the
// stroke in progress, the glyph and table commands, and the journal that
// keeps the unsaved work. The window and the page turn events into calls
// here and show what each call reports changed; neither holds a rule.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "edit/glyphedit.h"
#include "edit/shapes.h"
#include "font/editfont.h"
#include "font/strip.h"
#include "history/history.h"
#include "history/journal.h"
#include "image/colorrules.h"
#include "image/palette.h"
#include "makers/accents.h"
#include "makers/textcheck.h"
#include "text/codepage.h"

// What a call changed, for the front end to show again.
struct TSessionChange {
    enum class TKind { None, Pixels, Font };
    TKind Kind = TKind::None;
    TPixelRect Area;  // Pixels: the part of the strip that changed
    // Pixels, when not empty: the only parts of Area that changed, for a
    // front end that paints no more than it must.
    std::vector<TPixelRect> Parts;
    // Pixels, when From is not empty: what From showed now shows moved by
    // Dx, Dy (a block's move), so a front end may move what it has drawn.
    struct TShift {
        TPixelRect From;
        std::int32_t Dx = 0, Dy = 0;
    } Shift;
    int Row = -1;           // Font: the row to select; -1 keeps the one selected
    bool Colors = false;    // the current or background colour changed
    bool NoPixels = false;  // a pixel command that found nothing to change
    bool Selected = false;  // the selection changed: Row is the current row
    bool Scroll = true;     // ... and the view goes to it (not after a press)
};

// Where a session's journal goes: a file beside the font, or a browser's
// storage. A sink that fails keeps its failure: the session goes on.
class IJournalSink {
public:
    using TWrite = std::function<void(const TJournalRecords::TOut&)>;
    virtual ~IJournalSink() = default;
    // The journal afresh: Write hands its pieces, in order, to the Out given.
    virtual void Begin(const TWrite& Write) = 0;
    virtual void Append(ByteSpan Record) = 0;
    // Nothing unsaved is left: what was kept may go.
    virtual void End() = 0;
    // The font's file as it was opened or last saved.
    virtual TFileStamp Stamp() const { return {}; }
};

// A font the front ends open: 8 or 16 bits a pixel.
bool OpenableDepth(int BitsPerPixel);

enum class TPointer { Left, Right };

// What a press on the strip draws with; a session begins with the pencil.
enum class TTool { Pencil, Line, Rectangle, FilledRectangle, Select };
// "Filled Rectangle": the tool's name, and its step's.
const char* ToolName(TTool Tool);

class TEditSession {
public:
    explicit TEditSession(std::size_t Bound = kHistoryBound) : history_(Bound) {}

    // Builds what shows a font aside before a change of its strip's size or
    // table is kept; a throw refuses the change, which is taken back.
    using TPrepare = std::function<void(const TEditedFont&)>;
    void SetPrepare(TPrepare Prepare) { prepare_ = std::move(Prepare); }
    void SetJournal(IJournalSink* Sink) { sink_ = Sink; }

    // Another font: an empty history, the colours afresh, the journal ended.
    void Open(TEditedFont Font);
    // A font and its history as a journal kept them; its journal begins afresh.
    void Recover(TJournalHistory History);
    // The font as it stands is its file's: after saving or a download.
    void Save(const std::string& Path);
    void Saved(const std::string& Path);
    // The file changed under the font: no state the history reaches is its.
    void ForgetClean();

    const TEditedFont& Font() const { return font_; }
    const TStripGeometry& Glyphs() const { return glyphs_; }
    // Row Row's glyph's columns; empty for a row the table lacks.
    TGlyphExtent Glyph(int Row) const;

    // The characters selected, in table order, and the current one (the
    // last clicked: the one the view follows and Copy Glyph copies), -1 for
    // none. A change of the table selects the row it names alone.
    const std::vector<int>& Selection() const { return selection_; }
    int CurrentRow() const { return current_; }
    bool IsSelected(int Row) const;
    // Rows as a list box left them; rows the table lacks are dropped.
    void Select(std::vector<int> Rows, int Current);
    void SelectAll();
    // A click on a row of the list: alone; with Toggle added or taken out;
    // with Range the rows from the current one to it.
    void Click(int Row, bool Toggle, bool Range);
    // View > Code Page: which character each code stands for, wherever a
    // character is shown or typed. The front end keeps the choice.
    void SetCodePage(const TCodePageMap& Page) { page_ = Page; }
    const TCodePageMap& CodePage() const { return page_; }
    // Go To Character: the first row of the character Text names (a
    // character typed is looked for at its code in the code page), selected
    // alone. Throws EFontError saying why when there is none.
    TSessionChange GoTo(std::string_view Text);
    // The same for a character clicked in a text: the row of its code in
    // the code page.
    TSessionChange GoToChar(char32_t Char);
    // The selected glyphs' columns, each once, left to right.
    std::vector<TGlyphExtent> SelectedGlyphs() const;
    bool Modified() const { return font_.Modified(); }
    int Bits() const { return font_.BitsPerPixel(); }
    std::int32_t Height() const { return font_.Font().Height; }

    // The palette 8-bit fonts are drawn and matched through. The colours stay.
    const TPalette& Palette() const { return palette_; }
    void SetPalette(const TPalette& Palette) { palette_ = Palette; }
    std::uint16_t Current() const { return colors_[0]; }
    std::uint16_t Background() const { return colors_[1]; }
    void SetColor(bool Background, std::uint16_t Value);
    // What a colour looks like: a palette entry's or a 5-6-5 value's RGB.
    std::array<std::uint8_t, 3> RgbOf(std::uint16_t Value) const;

    // The history.
    std::string UndoName() const { return history_.UndoName(); }
    std::string RedoName() const { return history_.RedoName(); }
    TSessionChange Undo();
    TSessionChange Redo();
    const TEditHistory& History() const { return history_; }

    // The pointer on the strip. Left paints the current colour, right the
    // background; with Pick either takes the colour under the pointer, with
    // Fill left fills the glyph's columns. A press to its release that paints
    // is one step. A change that can't keep its undo record is taken back
    // whole and throws EToolkitError kNoMemoryForStep.
    // The other tools take Fill for Shift: a line snapped to a direction, a
    // square.
    TSessionChange Press(int X, int Y, TPointer Button, bool Pick, bool Fill);
    TSessionChange Drag(int X, int Y, bool Shift = false);
    TSessionChange Release();
    bool Stroking() const {
        return stroke_ || shape_ || (pick_ && (pick_->Marking || pick_->Dragging));
    }

    // The tool and Mirror Drawing. Another tool keeps a move in progress.
    TTool Tool() const { return tool_; }
    TSessionChange SetTool(TTool Tool);
    bool Mirror() const { return mirror_; }
    void SetMirror(bool On) { mirror_ = On; }
    // The pixel selection's frame as the view draws it, which may reach past
    // the strip; empty for none.
    TPixelRect PixelFrame() const { return pick_ ? pick_->Frame : TPixelRect{}; }
    // The pixel selection's keys: Enter keeps its move as one step, Escape
    // puts its pixels back, with no step; both end it. Delete gives its
    // pixels the background; an arrow moves them a pixel.
    TSessionChange KeepMove();
    TSessionChange DropMove();
    TSessionChange ClearPixels();
    TSessionChange Nudge(int Dx, int Dy);
    // What Copy Glyph copies: the pixel selection within the strip, or the
    // current glyph's columns.
    TPixelRect CopyArea() const;
    // The most of a picture Paste Glyph puts down, width and height.
    std::pair<std::int32_t, std::int32_t> PasteRoom() const;

    // The glyph and table commands, on every selected glyph as one step;
    // Insert Character puts its row after the current one. Refusals throw
    // EFontError.
    TSessionChange Transform(TGlyphTransform Transform);
    TSessionChange Shadow(int Right, int Down);
    TSessionChange ReplaceColor(std::uint16_t From, std::uint16_t To);
    // How many pixels of the selected glyphs hold Value.
    std::uint64_t CountColor(std::uint16_t Value);
    std::string WhyNotInsert(std::int64_t Code, std::int64_t Width) const;
    std::string WhyNotResize(std::int64_t Width) const;
    TSessionChange InsertCharacter(std::int64_t Code, std::int64_t Width);
    TSessionChange DeleteCharacter();
    TSessionChange SetWidth(std::int64_t Width);
    // Fit Width on the selected glyphs; NoPixels when every one fits already.
    TSessionChange FitWidth(std::int64_t Left, std::int64_t Right);
    TSessionChange SetTable(std::vector<TCharEntry> Table, int Row);
    TSessionChange Append(std::int32_t Width, Bytes Pixels, const std::vector<TCharEntry>& Rows);
    // Build Accented Characters: those asked (characters, each at its code in
    // the code page) that can be built go at the strip's end in code order as
    // one step; NotBuilt says which could not
    // and why. Refusals of the whole throw EFontError.
    struct TBuiltAccents {
        TSessionChange Change;
        std::string NotBuilt;
    };
    TBuiltAccents BuildAccented(std::vector<TAccentRequest> Requests);
    // Glyph > Check Text...: which characters of Text the font lacks under the
    // code page, and what can be done about each.
    TTextCheck CheckText(std::u32string_view Text,
                         const std::function<std::u32string(char32_t)>& Decompose) const;
    // A font read or made elsewhere in place of this one's strip and table
    // (Import Picture, an outline font, the file read again), as step Name.
    TSessionChange Replace(TEditedFont Font, int Row, const char* Name);
    // A picture's pixels in place of the strip, under the colour rules;
    // colours the palette lacks throw EColorsNotInPalette unless Nearest,
    // other refusals EFontError.
    TSessionChange Import(const TImagePixels& Picture, bool Nearest);
    // Paste Glyph: a picture into each selected glyph at its top-left
    // corner, cut to its columns and the strip's rows; only what can land is
    // converted, as Import converts. Throws as Import does.
    TSessionChange Paste(const TImagePixels& Picture, bool Nearest);

    // Begins the journal afresh with the font and the history as they stand.
    void StartJournal();
    // Whether the sink holds the journal of the font as it is now.
    bool Journaled() const { return journaled_; }
    // The steps the font is away from its file as saved.
    std::size_t Changes() const;

private:
    void Reset();
    // Keeps a step the font holds; Row for a wholesale one.
    // Prepared: what shows the font was built for it already.
    TSessionChange Keep(std::optional<TEditStep> Step, int Row, bool Prepared = false);
    // A wholesale change in Font made aside, as step Name.
    TSessionChange Take(TEditedFont Font, int Row, const char* Name);
    TSessionChange Toggled(const TEditStep* Step, bool Undone);
    // A pixel command's step: none, said as such, when nothing changed.
    TSessionChange Pixels(std::optional<TEditStep> Step);
    // After a change of the table: Row selected alone, or the current one
    // kept within the table.
    void Reselect(int Row);
    TSessionChange GoToCode(std::uint32_t Code);
    // A command on every selected glyph's rows that reshapes a copy of the
    // font, Each running on the rows from the rightmost glyph on.
    TSessionChange OnRows(const char* Name, const std::function<void(TEditedFont&, int)>& Each);
    // The stroke goes on in a line to X, Y; a failure takes it all back.
    TSessionChange Line(int X, int Y);
    // Ends a stroke and keeps a move in progress: before any other command.
    void Settle();
    // Keeps a move of pixels as a step; the frame stays, its pixels put down.
    void KeepPick();
    // The tools but the pencil (tools.cpp).
    TSessionChange PressTool(int X, int Y, bool Right, bool Shift);
    TSessionChange DragTool(int X, int Y, bool Shift);
    TSessionChange ReleaseTool();
    // The lifted pixels put with their top-left corner at X, Y.
    TSessionChange MoveBlock(std::int64_t X, std::int64_t Y);
    void Lift();
    // The glyph at X's columns when mirroring.
    TMirror MirrorAt(int X) const;
    TSessionChange Pasted(const TPixelGrid& Source);
    void Journal(ByteSpan Record);
    // The journal follows the history: a step pushed (Dropped of the oldest
    // let go), or one undone (Toggled -1) or redone (+1).
    void Follow(std::size_t Dropped, int Toggled);

    TEditedFont font_;
    TStripGeometry glyphs_;
    TPalette palette_{};
    std::array<std::uint16_t, 2> colors_{};  // current, background
    std::vector<int> selection_;             // sorted
    int current_ = -1;
    TEditHistory history_;
    TPrepare prepare_;
    std::optional<TPixelDelta> stroke_;  // while a button paints
    std::uint16_t strokeValue_ = 0;
    int strokeX_ = 0, strokeY_ = 0;
    TMirror strokeMirror_;
    TTool tool_ = TTool::Pencil;
    bool mirror_ = false;
    // A line or rectangle while dragged: drawn on the strip as it stands.
    struct TShape {
        std::int32_t X = 0, Y = 0;  // where the press was
        std::uint16_t Value = 0;
        TMirror Mirror;
        TPixelDelta Drawn;
    };
    std::optional<TShape> shape_;
    // The pixel selection and the move of its pixels so far, on the strip.
    struct TPick {
        TPixelRect Frame;
        bool Marking = false, Dragging = false;  // the frame dragged out, or its pixels
        std::int32_t PressX = 0, PressY = 0, FrameX = 0, FrameY = 0;
        std::optional<TPixelBlock> Block;  // the pixels lifted
        TPixelRect From;                   // where from; empty for a paste
        bool Shown = false;                // the block is on the strip at Frame
        // From given the background ClearedWith, once moved; the pixels put
        // down on that.
        std::optional<TPixelDelta> Cleared;
        std::uint16_t ClearedWith = 0;
        TPixelDelta Moved;
        TPixelRect Area() const {
            return Cleared ? Joined(Cleared->Bounds(), Moved.Bounds()) : Moved.Bounds();
        }
        const char* Name = "Move Pixels";
    };
    std::optional<TPick> pick_;
    IJournalSink* sink_ = nullptr;
    TCodePageMap page_;  // Unicode until the front end sets one
    TJournalRecords records_;
    bool journaled_ = false;       // the sink holds this font's journal
    std::uint64_t sinceBase_ = 0;  // record bytes after the font's
};
