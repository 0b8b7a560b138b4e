// Editing the open font: its history, the canvas and the colour panel, and
// the commands that change its pixels. The window shows what they changed.
#pragma once

#include <QObject>
#include <functional>
#include <optional>

#include "editstep.h"
#include "glyphcommands.h"
#include "messages.h"
#include "strip.h"

class QAction;
class QMainWindow;
class TCanvas;
class TColorPanel;
class TScrollBox;
class TUndoHistory;

class TFontEditor final : public QObject {
    Q_OBJECT
public:
    // Guard runs a handler as the window runs its commands.
    using TGuard = std::function<void(const std::function<void()>&)>;
    TFontEditor(TEditedFont& Font, IUserInterface& UI, QMainWindow& Window, TScrollBox& View,
                TGuard Guard);

    TUndoHistory* History = nullptr;
    TCanvas* Canvas = nullptr;
    TColorPanel* Colors = nullptr;  // docked in the window, shown while drawing

    // Another font is open: an empty history, the colours afresh.
    void Opened(const TPalette& Palette);
    // The palette in use changed.
    void PaletteChanged(const TPalette& Palette);
    void SetGlyphs(const TStripGeometry& Glyphs);
    // The font holds a wholesale change that replaced Before.
    void Replaced(TFontBody Before, const char* Name);
    // The selected glyph's commands.
    void Transform(TGlyphExtent Glyph, TGlyphTransform Transform);
    void Paste(TGlyphExtent Glyph, const TPalette& Palette);
    // Glyph > Insert Character..., Delete Character and Set Width... on row Row.
    void InsertCharacter(int Row);
    void DeleteCharacter(int Row);
    void SetWidth(int Row);
    // New Font from Outline Font, adding: the glyphs at the strip's end, the
    // first of them selected.
    void Append(std::int32_t Width, Bytes Pixels, const std::vector<TCharEntry>& Rows);
    void Undo();
    void Redo();
    void SetDrawing(bool Drawing);
    // Ends a stroke in progress before anything else happens to the font.
    void Finish();
    // Marks the font saved.
    void Saved();
    // Keeps the commands' texts ("Undo Pencil") and enabled states.
    void Bind(QAction* Undo, QAction* Redo);

signals:
    void PixelsChanged(TPixelRect Area);
    // More than pixels changed: the strip's size or the table. Row is the
    // row to select, -1 for the one selected.
    void FontChanged(int Row);
    void GlyphPressed(int Row);
    void CleanChanged(bool Clean);

private:
    void Keep(std::optional<TEditStep> Step);
    // A step that changed the table or the strip's size, Row to be selected.
    void Reshape(TEditStep Step, int Row);

    TEditedFont& font_;
    IUserInterface& ui_;
    TScrollBox& view_;
    TStripGeometry glyphs_;
};
