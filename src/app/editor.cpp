#include "editor.h"

#include <QAction>
#include <QApplication>
#include <QMainWindow>

#include "colorpanel.h"
#include "scrollbox.h"
#include "shown.h"

TFontEditor::TFontEditor(TEditSession& Session, IUserInterface& UI, QMainWindow& Window,
                         TScrollBox& View, TGuard Guard)
    : QObject(&Window), session_(Session), ui_(UI), view_(View) {
    Colors = new TColorPanel(Session, UI, &Window);
    Window.addDockWidget(Qt::RightDockWidgetArea, Colors);
    Colors->hide();
    connect(&View, &TScrollBox::Pressed, this, [this, Guard](int X, int Y, auto Button, auto Keys) {
        if (Button != Qt::LeftButton && Button != Qt::RightButton) return;
        const TPointer button = Button == Qt::RightButton ? TPointer::Right : TPointer::Left;
        const bool pick = Keys & Qt::ControlModifier, fill = Keys & Qt::ShiftModifier;
        Guard([&] {
            // A fill across a glyph of 65,535 columns takes a moment.
            if (fill) QApplication::setOverrideCursor(Qt::WaitCursor);
            try {
                Painting([&] { return session_.Press(X, Y, button, pick, fill); });
            } catch (...) {
                if (fill) QApplication::restoreOverrideCursor();
                throw;
            }
            if (fill) QApplication::restoreOverrideCursor();
        });
    });
    connect(&View, &TScrollBox::Dragged, this, [this, Guard](int X, int Y) {
        Guard([&] { Painting([&] { return session_.Drag(X, Y); }); });
    });
    connect(&View, &TScrollBox::Released, this,
            [this, Guard] { Guard([&] { Painting([&] { return session_.Release(); }); }); });
}

void TFontEditor::Painting(const std::function<TSessionChange()>& Call) {
    TSessionChange change;
    try {
        change = Call();
    } catch (...) {
        const TSftFont& font = session_.Font().Font();
        emit PixelsChanged({0, 0, font.Width, font.Height});
        throw;
    }
    Show(change);
}

void TFontEditor::Show(const TSessionChange& Change) {
    if (Change.Entry >= 0) emit GlyphPressed(Change.Entry);
    if (Change.Colors) Colors->ShowColors();
    if (Change.Kind == TSessionChange::TKind::Pixels) emit PixelsChanged(Change.Area);
    if (Change.Kind == TSessionChange::TKind::Font) emit FontChanged(Change.Row);
    ShowHistory();
    emit Changed();
}

void TFontEditor::ShowColors() { Colors->ShowColors(); }

void TFontEditor::InsertCharacter(int Row) {
    session_.Release();
    const TGlyphExtent glyph = session_.Glyph(Row);
    const int width = glyph.End > glyph.Begin ? glyph.End - glyph.Begin : kNewCellWidth;
    std::vector<std::int64_t> v;
    if (!ui_.AskNumbers(
            QStringLiteral("Insert Character"),
            {NumberField(kCodeField, {}), NumberField(kWidthField, width)},
            [this](const auto& v) { return session_.WhyNotInsert(v[0], v[1]); }, v))
        return;
    Show(session_.InsertCharacter(Row, v[0], v[1]));
}

void TFontEditor::SetWidth(int Row) {
    session_.Release();
    const TGlyphExtent glyph = session_.Glyph(Row);
    if (glyph.End <= glyph.Begin) return;
    std::vector<std::int64_t> v;
    if (!ui_.AskNumbers(
            QStringLiteral("Set Width"), {NumberField(kWidthField, glyph.End - glyph.Begin)},
            [this, Row](const auto& v) { return session_.WhyNotResize(Row, v[0]); }, v))
        return;
    Show(session_.SetWidth(Row, v[0]));
}

void TFontEditor::SetDrawing(bool Drawing) {
    view_.SetDrawing(Drawing);
    Colors->setVisible(Drawing);
}

void TFontEditor::Bind(QAction* Undo, QAction* Redo) {
    undo_ = Undo, redo_ = Redo;
    ShowHistory();
}

void TFontEditor::ShowHistory() {
    if (!undo_) return;
    const std::string undo = session_.UndoName(), redo = session_.RedoName();
    undo_->setText(undo.empty() ? QStringLiteral("&Undo")
                                : QStringLiteral("&Undo ") + QString::fromStdString(undo));
    redo_->setText(redo.empty() ? QStringLiteral("&Redo")
                                : QStringLiteral("&Redo ") + QString::fromStdString(redo));
    undo_->setEnabled(!undo.empty());
    redo_->setEnabled(!redo.empty());
}
