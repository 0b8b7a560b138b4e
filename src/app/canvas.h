// The strip view as a canvas: strokes of the current or the background
// colour, a fill within the pressed glyph's columns, and the colour under the
// pointer taken as either. One press to release that paints is one step.
#pragma once

#include <QObject>
#include <optional>

#include "editfont.h"
#include "pixeledit.h"
#include "strip.h"

class TColorPanel;
class TUndoHistory;

class TCanvas final : public QObject {
    Q_OBJECT
public:
    TCanvas(TEditedFont& Font, TUndoHistory& History, TColorPanel& Colors,
            QObject* Parent = nullptr);

    // Where the glyphs lie, for fills and the glyph a press selects.
    void SetGlyphs(const TStripGeometry& Glyphs) { glyphs_ = Glyphs; }
    // Left paints the current colour, right the background; with Ctrl either
    // takes the colour under the pointer instead, with Shift left fills.
    // Throws EToolkitError kNoMemoryForStep, with the font as it was before
    // the press, when the change can't keep its undo record.
    void Press(int X, int Y, Qt::MouseButton Button, Qt::KeyboardModifiers Modifiers);
    // The stroke goes on in a line from where the pointer was.
    void Drag(int X, int Y);
    // Ends the stroke in progress, if any, as one step.
    void Finish();

signals:
    // Pixels of the strip changed: the view shows them.
    void Painted(TPixelRect Area);
    // A press landed in entry Entry's glyph.
    void GlyphPressed(int Entry);

private:
    // The stroke goes on from X0, Y0 to X1, Y1; a failure takes it all back.
    void Line(int X0, int Y0, int X1, int Y1);

    TEditedFont& font_;
    TUndoHistory& history_;
    TColorPanel& colors_;
    TStripGeometry glyphs_;
    std::optional<TPixelDelta> stroke_;  // while a button paints
    std::uint16_t value_ = 0;
    int x_ = 0, y_ = 0;  // where the stroke is
};
