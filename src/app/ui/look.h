// The look both windows share: their font, the layout's scale, and the
// panels and list rows of the main window.
#pragma once

#include <QFont>
#include <QFrame>
#include <QStyledItemDelegate>
#include <cmath>

// The windows' font: a sans serif with a character height of 12 pixels at 106
// pixels per inch, scaled to the screen.
QFont WindowFont(const QWidget* Widget);
// Positions and sizes are laid out for a text height of 13 pixels.
double LayoutFactor(const QFont& Font);

enum class TBevel { None, Raised, Lowered };

// A panel with an outer and an inner bevel of 1 pixel each.
class TPanel final : public QFrame {
public:
    TPanel(TBevel Outer, TBevel Inner, QWidget* Parent)
        : QFrame(Parent), outer_(Outer), inner_(Inner) {}

protected:
    void paintEvent(QPaintEvent* Event) override;

private:
    TBevel outer_;
    TBevel inner_;
};

// List rows of one fixed height.
class TRowHeight final : public QStyledItemDelegate {
public:
    TRowHeight(int Height, QObject* Parent) : QStyledItemDelegate(Parent), height_(Height) {}
    QSize sizeHint(const QStyleOptionViewItem& Option, const QModelIndex& Index) const override {
        return {QStyledItemDelegate::sizeHint(Option, Index).width(), height_};
    }

private:
    int height_;
};

// Laid out for a text height of 13 pixels; everything scales with the real one.
struct TScale {
    double Factor = 1.0;
    int operator()(int v) const { return int(std::lround(v * Factor)); }
};

class QLabel;
class QListWidget;

// The main window's left panel: the "Font Info :" lines and the character list.
struct TFontPanel {
    QFrame* Panel = nullptr;
    QLabel* InfoLabel = nullptr;
    QListWidget* Info = nullptr;
    QLabel* CharLabel = nullptr;
    QListWidget* Chars = nullptr;
};
TFontPanel MakeFontPanel(QWidget* Parent, const TScale& S);
// The black panel right of it, holding the strip's View.
QFrame* MakeViewPanel(QWidget* Parent, QWidget* View);
