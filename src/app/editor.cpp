#include "editor.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMainWindow>

#include <climits>

#include "canvas.h"
#include "charedit.h"
#include "colorpanel.h"
#include "imageview.h"
#include "undo.h"

TFontEditor::TFontEditor(TEditedFont& Font, IUserInterface& UI, QMainWindow& Window,
                         TScrollBox& View, TGuard Guard)
    : QObject(&Window), font_(Font), ui_(UI), view_(View) {
    History = new TUndoHistory(Font, kHistoryBound, this);
    Colors = new TColorPanel(UI, &Window);
    Canvas = new TCanvas(Font, *History, *Colors, this);
    Window.addDockWidget(Qt::RightDockWidgetArea, Colors);
    Colors->hide();
    connect(&View, &TScrollBox::Pressed, this, [this, Guard](int X, int Y, auto Button, auto Keys) {
        Guard([&] { Canvas->Press(X, Y, Button, Keys); });
    });
    connect(&View, &TScrollBox::Dragged, this,
            [this, Guard](int X, int Y) { Guard([&] { Canvas->Drag(X, Y); }); });
    connect(&View, &TScrollBox::Released, this,
            [this, Guard] { Guard([&] { Canvas->Finish(); }); });
    connect(Canvas, &TCanvas::Painted, this, &TFontEditor::PixelsChanged);
    connect(Canvas, &TCanvas::GlyphPressed, this, &TFontEditor::GlyphPressed);
    connect(History, &TUndoHistory::Toggled, this, [this](const TEditStep& Step) {
        if (Step.Wholesale())
            emit FontChanged(-1);
        else
            emit PixelsChanged(Step.Area());
    });
    connect(History, &TUndoHistory::CleanChanged, this, &TFontEditor::CleanChanged);
}

void TFontEditor::Opened(const TPalette& Palette) {
    Canvas->Finish();
    History->Clear();
    Colors->SetFont(font_.BitsPerPixel(), Palette, true);
}

void TFontEditor::PaletteChanged(const TPalette& Palette) {
    Colors->SetFont(font_.BitsPerPixel(), Palette, false);
}

void TFontEditor::SetGlyphs(const TStripGeometry& Glyphs) {
    glyphs_ = Glyphs;
    Canvas->SetGlyphs(Glyphs);
}

void TFontEditor::Replaced(TFontBody Before, const char* Name) {
    History->Push(TEditStep(Name, std::move(Before), font_));
}

void TFontEditor::Keep(std::optional<TEditStep> Step) {
    if (!Step) return;
    emit PixelsChanged(Step->Area());
    History->Push(std::move(*Step));
}

void TFontEditor::Transform(TGlyphExtent Glyph, TGlyphTransform Transform) {
    if (Glyph.End > Glyph.Begin)
        Keep(TransformGlyph(font_, Glyph, Transform, Colors->Background()));
}

void TFontEditor::Paste(TGlyphExtent Glyph, const TPalette& Palette) {
    if (Glyph.End > Glyph.Begin)
        Keep(PasteGlyph(font_, Glyph, QGuiApplication::clipboard()->image(), Palette, ui_));
}

void TFontEditor::Reshape(TEditStep Step, int Row) {
    emit FontChanged(Row);
    History->Push(std::move(Step));
}

void TFontEditor::InsertCharacter(int Row) {
    Canvas->Finish();
    const TGlyphExtent glyph = Row < 0 ? TGlyphExtent{} : glyphs_.Extent(std::size_t(Row));
    const int width = glyph.End > glyph.Begin ? glyph.End - glyph.Begin : 8;
    std::vector<std::int64_t> v;
    if (!ui_.AskNumbers(
            QStringLiteral("Insert Character"),
            {{QStringLiteral("&Code:"), QStringLiteral("The code"), 0, 65535, {}},
             {QStringLiteral("&Width:"), QStringLiteral("The width"), 1, INT32_MAX,
              QString::number(width)}},
            [this](const auto& v) { return WhyNotInsert(font_, v[0], v[1]); }, v))
        return;
    Reshape(::InsertCharacter(font_, Row, v[0], v[1], Colors->Background()),
            Row < 0 ? int(font_.Table().size()) - 1 : Row + 1);
}

void TFontEditor::DeleteCharacter(int Row) {
    Canvas->Finish();
    Reshape(::DeleteCharacter(font_, Row), Row);
}

void TFontEditor::SetWidth(int Row) {
    Canvas->Finish();
    const TGlyphExtent glyph = Row < 0 ? TGlyphExtent{} : glyphs_.Extent(std::size_t(Row));
    if (glyph.End <= glyph.Begin) return;
    std::vector<std::int64_t> v;
    if (!ui_.AskNumbers(
            QStringLiteral("Set Width"),
            {{QStringLiteral("&Width:"), QStringLiteral("The width"), 1, INT32_MAX,
              QString::number(glyph.End - glyph.Begin)}},
            [this, Row](const auto& v) { return WhyNotResize(font_, Row, v[0]); }, v))
        return;
    if (auto step = SetGlyphWidth(font_, Row, v[0], Colors->Background()))
        Reshape(std::move(*step), Row);
}

void TFontEditor::Append(std::int32_t Width, Bytes Pixels, const std::vector<TCharEntry>& Rows) {
    Canvas->Finish();
    const int first = int(font_.Table().size());
    Reshape(AppendGlyphs(font_, Width, std::move(Pixels), Rows), first);
}

void TFontEditor::Finish() { Canvas->Finish(); }

void TFontEditor::Undo() {
    Canvas->Finish();
    History->Undo();
}

void TFontEditor::Redo() {
    Canvas->Finish();
    History->Redo();
}

void TFontEditor::SetDrawing(bool Drawing) {
    view_.SetDrawing(Drawing);
    Colors->setVisible(Drawing);
}

void TFontEditor::Saved() { History->SetClean(); }

void TFontEditor::Bind(QAction* Undo, QAction* Redo) { History->Bind(Undo, Redo); }
