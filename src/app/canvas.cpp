#include "canvas.h"

#include <QApplication>
#include <algorithm>
#include <new>

#include "colorpanel.h"
#include "undo.h"

TCanvas::TCanvas(TEditedFont& Font, TUndoHistory& History, TColorPanel& Colors, QObject* Parent)
    : QObject(Parent), font_(Font), history_(History), colors_(Colors) {}

void TCanvas::Line(int X0, int Y0, int X1, int Y1) {
    TPixelGrid grid = font_.Grid();
    try {
        PaintLine(grid, X0, Y0, X1, Y1, value_, *stroke_);
    } catch (const std::bad_alloc&) {
        // The whole stroke goes, the part of this line that was drawn too.
        stroke_->Toggle(grid);
        const TPixelRect area = stroke_->Bounds();
        stroke_.reset();
        emit Painted(area);
        throw EToolkitError(kNoMemoryForStep);
    }
    // The line's box, cut to the strip.
    const auto cut = [](std::int64_t v, std::int32_t size) {
        return int(std::clamp<std::int64_t>(v, 0, size));
    };
    emit Painted({cut(std::min(X0, X1), grid.Width), cut(std::min(Y0, Y1), grid.Height),
                  cut(std::int64_t(std::max(X0, X1)) + 1, grid.Width),
                  cut(std::int64_t(std::max(Y0, Y1)) + 1, grid.Height)});
}

void TCanvas::Press(int X, int Y, Qt::MouseButton Button, Qt::KeyboardModifiers Modifiers) {
    if (stroke_ || (Button != Qt::LeftButton && Button != Qt::RightButton)) return;
    TPixelGrid grid = font_.Grid();
    if (!grid.Contains(X, Y)) return;  // off the strip nothing starts
    const int entry = glyphs_.EntryAt(X);
    if (entry >= 0) emit GlyphPressed(entry);
    const bool right = Button == Qt::RightButton;
    if (Modifiers & Qt::ControlModifier) {
        colors_.SetColor(right, grid.Get(X, Y));
        return;
    }
    if ((Modifiers & Qt::ShiftModifier) && !right) {
        const TGlyphExtent columns = glyphs_.ColumnsAt(X);
        // A fill across a glyph of 65,535 columns takes a moment.
        QApplication::setOverrideCursor(Qt::WaitCursor);
        std::optional<TPixelDelta> fill;
        try {
            fill = Recorded(grid, [&](TPixelDelta& d) {
                FillArea(grid, X, Y, columns.Begin, columns.End, colors_.Current(), d);
            });
        } catch (const std::bad_alloc&) {
            QApplication::restoreOverrideCursor();
            throw EToolkitError(kNoMemoryForStep);
        }
        QApplication::restoreOverrideCursor();
        if (fill->Empty()) return;
        const TPixelRect area = fill->Bounds();
        emit Painted(area);
        history_.Push(TEditStep("Fill", std::move(*fill)));
        return;
    }
    value_ = right ? colors_.Background() : colors_.Current();
    stroke_.emplace();
    x_ = X, y_ = Y;
    Line(X, Y, X, Y);
}

void TCanvas::Drag(int X, int Y) {
    if (!stroke_ || (X == x_ && Y == y_)) return;
    const int fromX = x_, fromY = y_;
    x_ = X, y_ = Y;
    Line(fromX, fromY, X, Y);
}

void TCanvas::Finish() {
    if (!stroke_) return;
    TPixelDelta done = std::move(*stroke_);
    stroke_.reset();
    if (!done.Empty()) history_.Push(TEditStep("Pencil", std::move(done)));
}
