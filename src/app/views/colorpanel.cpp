#include "views/colorpanel.h"

#include <QAction>
#include <QGridLayout>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QToolButton>
#include <QToolTip>
#include <QVBoxLayout>

#include "image/color.h"
#include "session/display.h"

TSwatches::TSwatches(QWidget* Parent) : QWidget(Parent) {
    setFixedSize(16 * kCell + 1, 16 * kCell + 1);
}

void TSwatches::SetPalette(const TPalette& Palette) {
    palette_ = Palette;
    update();
}

int TSwatches::IndexAt(QPoint At) const {
    const int col = At.x() / kCell, row = At.y() / kCell;
    if (At.x() < 0 || At.y() < 0 || col > 15 || row > 15) return -1;
    return row * 16 + col;
}

QString TSwatches::Tip(int Index) const {
    const TRgb c = PaletteColor(palette_, std::uint8_t(Index));
    return QString::fromStdString(SwatchText(Index, c.R, c.G, c.B));
}

void TSwatches::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(Qt::gray);
    for (int i = 0; i < 256; ++i) {
        const TRgb c = PaletteColor(palette_, std::uint8_t(i));
        const QRect cell(i % 16 * kCell, i / 16 * kCell, kCell, kCell);
        painter.fillRect(cell, QColor(c.R, c.G, c.B));
        painter.drawRect(cell);
    }
}

void TSwatches::mousePressEvent(QMouseEvent* Event) {
    const int index = IndexAt(Event->position().toPoint());
    if (index >= 0 && (Event->button() == Qt::LeftButton || Event->button() == Qt::RightButton))
        emit Chosen(index, Event->button() == Qt::RightButton);
}

bool TSwatches::event(QEvent* Event) {
    if (Event->type() != QEvent::ToolTip) return QWidget::event(Event);
    const auto* help = static_cast<QHelpEvent*>(Event);
    const int index = IndexAt(help->pos());
    if (index < 0)
        QToolTip::hideText();
    else
        QToolTip::showText(help->globalPos(), Tip(index), this);
    return true;
}

TColorPanel::TColorPanel(TEditSession& Session, IUserInterface& UI, QWidget* Parent)
    : QDockWidget(QStringLiteral("Colours"), Parent), session_(Session), ui_(UI) {
    setObjectName(QStringLiteral("colours"));
    setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
    auto* inside = new QWidget(this);
    auto* column = new QVBoxLayout(inside);
    Tools = new QWidget(inside);
    (new QGridLayout(Tools))->setContentsMargins(0, 0, 0, 0);
    Tools->hide();
    column->addWidget(Tools);
    CurrentButton = new QPushButton(inside);
    BackgroundButton = new QPushButton(inside);
    Swatches = new TSwatches(inside);
    for (QWidget* w : {static_cast<QWidget*>(CurrentButton),
                       static_cast<QWidget*>(BackgroundButton), static_cast<QWidget*>(Swatches)})
        column->addWidget(w);
    column->addStretch(1);
    setWidget(inside);
    connect(CurrentButton, &QPushButton::clicked, this, [this] { Choose(false); });
    connect(BackgroundButton, &QPushButton::clicked, this, [this] { Choose(true); });
    connect(Swatches, &TSwatches::Chosen, this,
            [this](int Index, bool Background) { SetColor(Background, std::uint16_t(Index)); });
    ShowColors();
}

void TColorPanel::SetTools(const QList<QAction*>& Actions) {
    // Two a row, as narrow as the swatches.
    auto* grid = static_cast<QGridLayout*>(Tools->layout());
    for (int i = 0; i < int(Actions.size()); ++i) {
        auto* button = new QToolButton(Tools);
        button->setDefaultAction(Actions[i]);
        button->setObjectName(Actions[i]->objectName());
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        grid->addWidget(button, i / 2, i % 2);
    }
}

void TColorPanel::SetColor(bool Background, std::uint16_t Value) {
    session_.SetColor(Background, Value);
    ShowColors();
}

void TColorPanel::Choose(bool Background) {
    if (session_.Bits() != 16) return;  // the swatches choose an 8-bit font's colours
    const auto rgb = session_.RgbOf(Background ? this->Background() : Current());
    QColor color(rgb[0], rgb[1], rgb[2]);
    if (!ui_.ChooseColor(color, Background ? QStringLiteral("Background Colour")
                                           : QStringLiteral("Current Colour")))
        return;
    SetColor(Background, To565(TRgb{std::uint8_t(color.red()), std::uint8_t(color.green()),
                                    std::uint8_t(color.blue())}));
}

void TColorPanel::ShowColors() {
    const bool eight = session_.Bits() != 16;
    Swatches->SetPalette(session_.Palette());
    Swatches->setVisible(eight);
    for (int k = 0; k < 2; ++k) {
        QPushButton* button = k == 0 ? CurrentButton : BackgroundButton;
        const std::uint16_t v = k == 0 ? Current() : Background();
        const auto rgb = session_.RgbOf(v);
        const TRgb c{rgb[0], rgb[1], rgb[2]};
        const QString value = eight ? QStringLiteral("index %1").arg(v)
                                    : QStringLiteral("0x%1").arg(v, 4, 16, QLatin1Char('0'));
        QPixmap swatch(16, 16);
        swatch.fill(QColor(c.R, c.G, c.B));
        button->setIcon(swatch);
        button->setText((k == 0 ? QStringLiteral("Current: ") : QStringLiteral("Background: ")) +
                        value);
        button->setToolTip(QStringLiteral("RGB %1, %2, %3").arg(c.R).arg(c.G).arg(c.B));
    }
    emit ColorsShown();
}
