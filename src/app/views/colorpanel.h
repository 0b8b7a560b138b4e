// The colours to draw with, in a dock beside the strip: the current and the
// background colour and, for an 8-bit font, the palette's 256 swatches; for
// a 16-bit font the colour dialog, kept as the nearest 5-6-5 value.
#pragma once

#include <QDockWidget>
#include <cstdint>

#include "image/palette.h"
#include "session/session.h"
#include "ui/userinterface.h"

class QAction;
class QPushButton;

// The 16 x 16 swatches of a palette: a click chooses the current colour, a
// right click the background; each says its index and RGB.
class TSwatches final : public QWidget {
    Q_OBJECT
public:
    explicit TSwatches(QWidget* Parent = nullptr);
    void SetPalette(const TPalette& Palette);
    static constexpr int kCell = 12;
    // The index under a point of the widget, or -1.
    int IndexAt(QPoint At) const;
    QString Tip(int Index) const;

signals:
    void Chosen(int Index, bool Background);

protected:
    void paintEvent(QPaintEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    bool event(QEvent* Event) override;

private:
    TPalette palette_{};
};

class TColorPanel final : public QDockWidget {
    Q_OBJECT
public:
    // The session's colours, which it keeps.
    TColorPanel(TEditSession& Session, IUserInterface& UI, QWidget* Parent = nullptr);

    // Shows the session's font's depth, palette and colours as they stand.
    void ShowColors();
    // Palette indices, or 5-6-5 values.
    std::uint16_t Current() const { return session_.Current(); }
    std::uint16_t Background() const { return session_.Background(); }
    void SetColor(bool Background, std::uint16_t Value);

    // The drawing tools' buttons, one for each action given, shown while drawing.
    void SetTools(const QList<QAction*>& Actions);
    QWidget* Tools = nullptr;

    QPushButton* CurrentButton = nullptr;
    QPushButton* BackgroundButton = nullptr;
    TSwatches* Swatches = nullptr;

signals:
    // The colours were shown again: they, or the font or palette, changed.
    void ColorsShown();

private:
    // At 16 bits: the colour dialog for one of the two.
    void Choose(bool Background);

    TEditSession& session_;
    IUserInterface& ui_;
};
