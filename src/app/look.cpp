#include "look.h"

#include <qdrawutil.h>
#include <QFontMetrics>
#include <QPainter>
#include <algorithm>

QFont WindowFont(const QWidget* Widget) {
    QFont font;
    // Narrow faces first: the layout was made for MS Sans Serif's widths.
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("DejaVu Sans Condensed"),
                      QStringLiteral("DejaVu Sans")});
    font.setStyleHint(QFont::SansSerif);
    // A character height of 12 pixels on the 106 pixels per inch it was drawn for.
    const int dpi = Widget ? Widget->logicalDpiY() : 96;
    font.setPixelSize(std::max(1, int(std::lround(12.0 * dpi / 106.0))));
    return font;
}

double LayoutFactor(const QFont& Font) {
    const int textHeight = QFontMetrics(Font).height();
    return textHeight == 13 ? 1.0 : textHeight / 13.0;
}

void TPanel::paintEvent(QPaintEvent* Event) {
    QFrame::paintEvent(Event);
    QPainter painter(this);
    QRect r = rect();
    for (TBevel bevel : {outer_, inner_}) {
        if (bevel == TBevel::None) continue;
        qDrawShadePanel(&painter, r, palette(), bevel == TBevel::Lowered, 1);
        r.adjust(1, 1, -1, -1);
    }
}
