// Editing the open font: the window's events turned into calls on the
// session, and what each call changed handed on for the window to show. The
// colour panel and the number dialogs live here; every rule is the session's.
#pragma once

#include <QObject>
#include <functional>

#include "session/commands.h"
#include "session/session.h"
#include "ui/userinterface.h"

class QAction;
class QMainWindow;
class TColorPanel;
class TScrollBox;

class TSessionBridge final : public QObject {
    Q_OBJECT
public:
    // Guard runs a handler as the window runs its commands.
    using TGuard = std::function<void(const std::function<void()>&)>;
    TSessionBridge(TEditSession& Session, IUserInterface& UI, QMainWindow& Window, TScrollBox& View,
                   TGuard Guard);

    TColorPanel* Colors = nullptr;  // docked in the window, shown while drawing

    // Another font or palette: the panel shows the session's colours.
    void ShowColors();
    // What a call on the session changed: the window shows it. Steps: the
    // history or the commands' states may have moved with it.
    void Show(const TSessionChange& Change, bool Steps = true);
    // A command the session runs, asking for its dialog's values first.
    void Run(const TCommand& Command);
    // The commands with a dialog of their own: Edit > Replace Colour... and
    // Go To Character..., Glyph > Build Accented Characters....
    void ReplaceColor();
    void GoTo();
    void BuildAccented();
    // Builds those asked as one step, saying which were not built.
    void BuildAccented(std::vector<TAccentRequest> Asked);
    void SetDrawing(bool Drawing);
    // View > Colours: the panel without drawing.
    void SetColorsShown(bool Shown);

signals:
    // Parts, when not empty: the only parts of Area that changed; Shift,
    // when its From is not empty, pixels that only moved.
    void PixelsChanged(TPixelRect Area, const std::vector<TPixelRect>& Parts,
                       TSessionChange::TShift Shift);
    // More than pixels changed: the strip's size or the table, and the
    // selection with it.
    void FontChanged();
    // Go To Character selected a row: the view goes there.
    void SelectionChanged(bool Scroll);
    // A word for the status line ("No pixels changed").
    void Said(const QString& Text);
    // The history or the saved state moved.
    void Changed();

private:
    // A call whose failure took a stroke back: the whole strip is shown again.
    void Painting(const std::function<TSessionChange()>& Call, bool Steps = true);

    TEditSession& session_;
    IUserInterface& ui_;
    TScrollBox& view_;
    bool drawing_ = false, colorsShown_ = false;
    TKeptValues kept_;  // the dialogs' last values
};
