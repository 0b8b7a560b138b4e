#include "preview.h"

#include <QLineEdit>
#include <QPainter>
#include <QScrollArea>
#include <QVBoxLayout>
#include <vector>

#include "imageview.h"

class TTextPreview::TArea final : public QWidget {
public:
    explicit TArea(QWidget* Parent) : QWidget(Parent) { setAttribute(Qt::WA_OpaquePaintEvent); }
    TBitmap Picture;
    TStripGeometry Glyphs;
    int Zoom = 1;
    QString Text;

    QImage Render() const {
        std::vector<std::uint16_t> codes;
        for (QChar c : Text) codes.push_back(c.unicode());
        const std::vector<TTextPiece> pieces = Glyphs.Spell(codes);
        std::int64_t width = 0;
        for (const TTextPiece& p : pieces) width += p.GapWidth + (p.Glyph.End - p.Glyph.Begin);
        const std::int64_t w = width * Zoom, h = std::int64_t(Picture.Height()) * Zoom;
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

TTextPreview::TTextPreview(QWidget* Parent) : QWidget(Parent, Qt::Tool) {
    setWindowTitle(QStringLiteral("Text Preview"));
    auto* column = new QVBoxLayout(this);
    Text = new QLineEdit(this);
    column->addWidget(Text);
    auto* scroll = new QScrollArea(this);
    QPalette black = scroll->palette();
    black.setColor(QPalette::Window, Qt::black);
    scroll->setPalette(black);
    scroll->setBackgroundRole(QPalette::Window);
    area_ = new TArea(scroll);
    scroll->setWidget(area_);
    column->addWidget(scroll, 1);
    connect(Text, &QLineEdit::textChanged, this, [this](const QString& Typed) {
        area_->Text = Typed;
        area_->Relayout();
    });
    resize(400, 160);
}

void TTextPreview::SetFont(const TBitmap& Picture, const TStripGeometry& Glyphs) {
    area_->Picture = Picture;
    area_->Glyphs = Glyphs;
    area_->Relayout();
}

void TTextPreview::SetZoom(int Zoom) {
    area_->Zoom = Zoom;
    area_->Relayout();
}

QImage TTextPreview::Rendered() const { return area_->Render(); }
