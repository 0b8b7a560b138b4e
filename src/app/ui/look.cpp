#include "ui/look.h"

#include <qdrawutil.h>
#include <QFontMetrics>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QVBoxLayout>
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

TFontPanel MakeFontPanel(QWidget* Parent, const TScale& S) {
    TFontPanel p;
    p.Panel = new TPanel(TBevel::Raised, TBevel::Lowered, Parent);
    p.Panel->setFixedWidth(S(128));

    auto place = [&S](QWidget* w, int x, int y, int width, int height) {
        w->setGeometry(S(x), S(y), S(width), S(height));
    };
    auto label = [&](const char* text, int x, int y) {
        auto* l = new QLabel(QString::fromLatin1(text), p.Panel);
        l->adjustSize();
        l->setGeometry(S(x), S(y), l->width(), S(13));
        return l;
    };
    auto listBox = [&](int x, int y, int width, int height, bool several = false) {
        auto* list = new QListWidget(p.Panel);
        place(list, x, y, width, height);
        list->setSelectionMode(several ? QAbstractItemView::ExtendedSelection
                                       : QAbstractItemView::SingleSelection);
        list->setUniformItemSizes(true);
        list->setItemDelegate(new TRowHeight(S(13), list));
        list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        list->setTextElideMode(Qt::ElideNone);
        return list;
    };
    p.InfoLabel = label("Font Info :", 24, 8);
    p.Info = listBox(24, 24, 80, 32);
    p.CharLabel = label("Character :", 24, 72);
    p.Chars = listBox(24, 88, 80, 80, true);
    return p;
}

QFrame* MakeViewPanel(QWidget* Parent, QWidget* View) {
    auto* panel = new TPanel(TBevel::Lowered, TBevel::None, Parent);
    QPalette black = panel->palette();
    black.setColor(QPalette::Window, Qt::black);
    panel->setPalette(black);
    panel->setAutoFillBackground(true);
    auto* inside = new QVBoxLayout(panel);
    inside->setContentsMargins(1, 1, 1, 1);
    inside->addWidget(View);
    return panel;
}
