#include "window/sessionbridge.h"

#include <QAction>
#include <QApplication>
#include <QMainWindow>

#include "dialogs/checktext.h"
#include "session/display.h"
#include "views/colorpanel.h"
#include "views/scrollbox.h"

TSessionBridge::TSessionBridge(TEditSession& Session, IUserInterface& UI, QMainWindow& Window,
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
    connect(&View, &TScrollBox::Dragged, this, [this, Guard](int X, int Y, auto Keys) {
        const bool shift = Keys & Qt::ShiftModifier;
        // A move of a drag keeps no step: the commands stay as they are.
        Guard([&] { Painting([&] { return session_.Drag(X, Y, shift); }, false); });
    });
    connect(&View, &TScrollBox::Released, this,
            [this, Guard] { Guard([&] { Painting([&] { return session_.Release(); }); }); });
}

void TSessionBridge::Painting(const std::function<TSessionChange()>& Call, bool Steps) {
    TSessionChange change;
    try {
        change = Call();
    } catch (...) {
        const TSftFont& font = session_.Font().Font();
        emit PixelsChanged({0, 0, font.Width, font.Height}, {}, {});
        throw;
    }
    Show(change, Steps);
}

void TSessionBridge::Show(const TSessionChange& Change, bool Steps) {
    if (Change.Colors) Colors->ShowColors();
    // The pixels first: a frame that moved with them is already where it goes.
    if (Change.Kind == TSessionChange::TKind::Pixels)
        emit PixelsChanged(Change.Area, Change.Parts, Change.Shift);
    view_.SetPixelFrame(session_.PixelFrame());
    if (Change.Kind == TSessionChange::TKind::Font) emit FontChanged();
    if (Change.Selected) emit SelectionChanged(Change.Scroll);
    if (Change.NoPixels) emit Said(QString::fromLatin1(kNoPixelsChanged));
    if (Steps) emit Changed();
}

void TSessionBridge::ShowColors() { Colors->ShowColors(); }

void TSessionBridge::Run(const TCommand& Command) {
    session_.Release();
    std::vector<std::int64_t> v;
    if (!Command.Fields.empty()) {
        std::vector<TNumberField> fields;
        const auto start = DialogStart(Command, session_, kept_);
        for (std::size_t i = 0; i < start.size(); ++i)
            fields.push_back(NumberField(Command.Fields[i], start[i]));
        const auto check = [&](const auto& v) { return DialogRefusal(Command, session_, v); };
        if (!ui_.AskNumbers(QString::fromLatin1(Command.Title), fields, check, v)) return;
    }
    const TSessionChange change = RunCommand(Command, session_, kept_, v);
    // An arrow's move of selected pixels keeps no step, as a drag's does.
    Show(change, change.Shift.From.Empty());
}

void TSessionBridge::ReplaceColor() {
    session_.Release();
    std::uint16_t from = session_.Background(), to = session_.Current();
    if (ui_.AskReplaceColor(session_, from, to)) Show(session_.ReplaceColor(from, to));
}

void TSessionBridge::GoTo() {
    QString text;
    if (!ui_.AskText(QStringLiteral("Go To Character"),
                     QLatin1Char('&') + QString::fromLatin1(kGoToLabel), text))
        return;
    try {
        Show(session_.GoTo(text.trimmed().toStdString()));
    } catch (const EFontError& e) {
        ui_.ShowMessage(QString::fromStdString(e.what()) + QLatin1Char('.'), TMsgKind::Warning);
    }
}

void TSessionBridge::BuildAccented() {
    session_.Release();
    QString text;
    if (!ui_.AskText(QStringLiteral("Build Accented Characters"),
                     QLatin1Char('&') + QString::fromLatin1(kAccentsLabel), text))
        return;
    std::vector<TAccentRequest> asked;
    try {
        for (const std::uint32_t code : AccentCodes(text.toStdString()))
            asked.push_back({code, Decomposed(code)});
    } catch (const EFontError& e) {
        ui_.ShowMessage(QString::fromStdString(e.what()) + QLatin1Char('.'), TMsgKind::Warning);
        return;
    }
    BuildAccented(std::move(asked));
}

void TSessionBridge::BuildAccented(std::vector<TAccentRequest> Asked) {
    session_.Release();
    TEditSession::TBuiltAccents built;
    try {
        built = session_.BuildAccented(std::move(Asked));
    } catch (const EFontError& e) {
        ui_.ShowMessage(QString::fromStdString(e.what()) + QLatin1Char('.'), TMsgKind::Warning);
        return;
    }
    Show(built.Change);
    if (!built.NotBuilt.empty())
        ui_.ShowMessage(QString::fromStdString(built.NotBuilt), TMsgKind::Warning);
}

void TSessionBridge::SetDrawing(bool Drawing) {
    view_.SetDrawing(Drawing);
    drawing_ = Drawing;
    Colors->setVisible(drawing_ || colorsShown_);
    Colors->Tools->setVisible(drawing_);
}

void TSessionBridge::SetColorsShown(bool Shown) {
    colorsShown_ = Shown;
    Colors->setVisible(drawing_ || colorsShown_);
}
