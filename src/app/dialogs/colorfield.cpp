#include "dialogs/colorfield.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLineEdit>

#include "makers/outlinestrip.h"

TColorField::TColorField(int BitsPerPixel, const TPalette& Palette, TRgb Default, QWidget* Parent)
    : QWidget(Parent) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    if (BitsPerPixel == 8) {
        Swatches = new QComboBox(this);
        for (int k = 0; k < 256; ++k) {
            const TRgb c = PaletteColor(Palette, std::uint8_t(k));
            QPixmap swatch(16, 16);
            swatch.fill(QColor(c.R, c.G, c.B));
            Swatches->addItem(QIcon(swatch), QString::number(k));
        }
        Swatches->setCurrentIndex(NearestPaletteEntry(Palette, Default));
        row->addWidget(Swatches);
        setFocusProxy(Swatches);
        connect(Swatches, &QComboBox::currentIndexChanged, this, &TColorField::Changed);
    } else {
        Text = new QLineEdit(
            QStringLiteral("%1,%2,%3").arg(Default.R).arg(Default.G).arg(Default.B), this);
        Text->setToolTip(tr("Red, green and blue, each 0 to 255"));
        row->addWidget(Text);
        setFocusProxy(Text);
        connect(Text, &QLineEdit::textChanged, this, &TColorField::Changed);
    }
}

void TColorField::SetIndex(int Index) {
    if (Swatches) Swatches->setCurrentIndex(Index);
}

std::uint8_t TColorField::Index() const {
    return Swatches ? std::uint8_t(Swatches->currentIndex()) : 0;
}

TRgb TColorField::Rgb() const { return ParseRgb(Text ? Text->text().toStdString() : ""); }

std::uint16_t TColorField::Value() const { return Swatches ? Index() : To565(Rgb()); }
