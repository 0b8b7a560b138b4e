#include "views/preview.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QScrollArea>
#include <QSettings>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>
#include <vector>

#include "views/scrollbox.h"

class TTextPreview::TArea final : public QWidget {
public:
    explicit TArea(QWidget* Parent) : QWidget(Parent) { setAttribute(Qt::WA_OpaquePaintEvent); }
    TBitmap Picture;
    TStripGeometry Glyphs;
    TCodePageMap Page;
    int Zoom = 1;
    QString Text;

    std::vector<TTextPiece> Pieces() const {
        return Glyphs.Spell(TextCodes(Text.toStdU32String(), Page));
    }
    // The text's width at 1:1.
    std::int64_t Width() const {
        std::int64_t width = 0;
        for (const TTextPiece& p : Pieces()) width += p.GapWidth + (p.Glyph.End - p.Glyph.Begin);
        return width;
    }
    QImage Render() const {
        const std::vector<TTextPiece> pieces = Pieces();
        const std::int64_t w = Width() * Zoom, h = std::int64_t(Picture.Height()) * Zoom;
        if (w <= 0 || h <= 0 || w > 32767 || h > 32767) return {};
        QImage image(int(w), int(h), QImage::Format_RGB32);
        image.fill(Qt::black);
        QPainter painter(&image);
        int x = 0;
        for (const TTextPiece& p : pieces) {
            const int glyph = p.Glyph.End - p.Glyph.Begin;
            if (glyph > 0)
                painter.drawImage(QRect(x * Zoom, 0, glyph * Zoom, int(h)),
                                  PicturePart(Picture, p.Glyph.Begin, 0, glyph, Picture.Height()));
            x += glyph + p.GapWidth;
        }
        return image;
    }
    void Relayout() {
        const QImage image = Render();
        setFixedSize(image.isNull() ? QSize(1, 1) : image.size());
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::black);
        painter.drawImage(0, 0, Render());
    }
};

namespace {
const char* const kZoomKey = "preview/zoom";
}  // namespace

TTextPreview::TTextPreview(QWidget* Parent) : QWidget(Parent, Qt::Tool) {
    setWindowTitle(QStringLiteral("Text Preview"));
    auto* column = new QVBoxLayout(this);
    auto* row = new QHBoxLayout;
    Text = new QLineEdit(this);
    row->addWidget(Text, 1);
    Zoom = new QSpinBox(this);
    Zoom->setRange(1, 16);
    Zoom->setSuffix(QStringLiteral("x"));
    auto* label = new QLabel(QStringLiteral("&Zoom:"), this);
    label->setBuddy(Zoom);
    row->addWidget(label);
    row->addWidget(Zoom);
    column->addLayout(row);
    auto* scroll = scroll_ = new QScrollArea(this);
    QPalette black = scroll->palette();
    black.setColor(QPalette::Window, Qt::black);
    scroll->setPalette(black);
    scroll->setBackgroundRole(QPalette::Window);
    area_ = new TArea(scroll);
    scroll->setWidget(area_);
    column->addWidget(scroll, 1);
    connect(Text, &QLineEdit::textChanged, this, [this](const QString& Typed) {
        area_->Text = Typed;
        Fit();
        area_->Relayout();
    });
    const int kept = QSettings().value(kZoomKey).toInt();
    chosen_ = kept >= Zoom->minimum() && kept <= Zoom->maximum();
    Zoom->setValue(area_->Zoom = chosen_ ? kept : 1);
    connect(Zoom, &QSpinBox::valueChanged, this, [this](int Factor) {
        area_->Zoom = Factor;
        area_->Relayout();
        chosen_ = true;
        QSettings().setValue(kZoomKey, Factor);
    });
    scroll_->viewport()->installEventFilter(this);
    resize(400, 160);
}

bool TTextPreview::eventFilter(QObject* Watched, QEvent* Event) {
    // The room the text has is the view's, once laid out.
    if (Event->type() == QEvent::Resize) Fit();
    return QWidget::eventFilter(Watched, Event);
}

void TTextPreview::Fit() {
    if (chosen_) return;
    const QSize room = scroll_->viewport()->size();
    const std::int64_t w = area_->Width(), h = area_->Picture.Height();
    int zoom = Zoom->maximum();
    while (zoom > 1 && (w * zoom > room.width() || h * zoom > room.height())) --zoom;
    if (zoom == area_->Zoom) return;
    const QSignalBlocker quiet(Zoom);
    Zoom->setValue(area_->Zoom = zoom);
    area_->Relayout();
}

void TTextPreview::SetFont(const TBitmap& Picture, const TStripGeometry& Glyphs,
                           const TCodePageMap& Page) {
    area_->Picture = Picture;
    area_->Glyphs = Glyphs;
    area_->Page = Page;
    Fit();
    area_->Relayout();
}

QImage TTextPreview::Rendered() const { return area_->Render(); }
