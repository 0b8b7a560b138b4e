#include "views/preview.h"

#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSettings>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>
#include <functional>
#include <vector>

#include "base/errors.h"
#include "session/display.h"
#include "text/textfile.h"

std::optional<QString> ReadTextFile(const QString& Path, IUserInterface& UI) {
    const QString name = QFileInfo(Path).fileName();
    QFile file(Path);
    if (!file.open(QIODevice::ReadOnly)) {
        UI.ShowMessage(QStringLiteral("Cannot read %1: %2.").arg(name, file.errorString()),
                       TMsgKind::Warning);
        return std::nullopt;
    }
    const QByteArray bytes = file.readAll();
    try {
        QString text = QString::fromStdU32String(
            ReadText(ByteSpan(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                              std::size_t(bytes.size())),
                     name.toStdString())
                .All);
        if (text.endsWith(QLatin1Char('\n'))) text.chop(1);
        return text;
    } catch (const EFontError& e) {
        UI.ShowMessage(QString::fromStdString(e.what()), TMsgKind::Warning);
        return std::nullopt;
    }
}

class TTextPreview::TArea final : public QWidget {
public:
    explicit TArea(QWidget* Parent) : QWidget(Parent) { setAttribute(Qt::WA_OpaquePaintEvent); }
    TSftFont Font;
    TPalette Palette{};
    TStripGeometry Glyphs;
    TCodePageMap Page;
    int Zoom = 1;
    std::int64_t Limit = 0;
    std::vector<std::u32string> Lines{1};
    TTextPreviewPicture Shown;
    QImage Image;  // Shown's pixels at 1:1
    std::function<void(char32_t)> Clicked;

    // The text laid out afresh; the reason when it can't be drawn.
    QString Layout() {
        Shown = {};
        Image = {};
        if (Font.Height <= 0) return {};
        try {
            Shown = PreviewPicture(Font, Palette, TTextLayout(Glyphs, Page), Lines);
        } catch (const EFontError& e) {
            return QString::fromStdString(e.what());
        }
        if (!Shown.Rgba.empty())
            Image = QImage(Shown.Rgba.data(), Shown.Width, Shown.Height, Shown.Width * 4,
                           QImage::Format_RGBA8888)
                        .convertToFormat(QImage::Format_RGB32);
        return {};
    }
    QSize Size() const {
        const std::int64_t w = kPreviewMargin +
                               std::max<std::int64_t>(Shown.Width, Limit + 1) * Zoom,
                           h = std::int64_t(Shown.Height) * Zoom;
        if (w > 32767 || h > 32767 || h <= 0) return {};
        return QSize(int(w), int(h));
    }
    void Paint(QPainter& Painter) const {
        const int z = Zoom, lh = Shown.LineHeight * z, h = Shown.Height * z;
        Painter.fillRect(QRect(QPoint(0, 0), Size()), Qt::black);
        if (!Image.isNull()) Painter.drawImage(QRect(kPreviewMargin, 0, Shown.Width * z, h), Image);
        const QColor mark = QColor::fromRgba(kFrameColor);
        Painter.setPen(QPen(mark, 0));
        Painter.setBrush(Qt::NoBrush);
        for (const TPreviewGap& g : Shown.Gaps) {
            const int x = kPreviewMargin + int(g.X) * z, y = int(g.Line) * lh;
            if (g.Width > 0)
                Painter.drawRect(x, y, int(g.Width) * z - 1, lh - 1);
            else
                Painter.drawLine(x, y, x, y + lh - 1);
        }
        if (Limit <= 0) return;
        const int at = kPreviewMargin + int(Limit) * z;
        Painter.drawLine(at, 0, at, h - 1);
        for (std::size_t l = 0; l < Shown.LineWidths.size(); ++l)
            if (WiderThan(Shown.LineWidths[l], Limit))
                Painter.fillRect(0, int(l) * lh, 2, lh, mark);
    }
    QImage Render() const {
        const QSize size = Size();
        if (size.isEmpty()) return {};
        QImage image(size, QImage::Format_RGB32);
        QPainter painter(&image);
        Paint(painter);
        return image;
    }
    void Relayout() {
        const QSize size = Size();
        setFixedSize(size.isEmpty() ? QSize(1, 1) : size);
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        if (Size().isEmpty())
            painter.fillRect(rect(), Qt::black);
        else
            Paint(painter);
    }
    void mousePressEvent(QMouseEvent* Event) override {
        const QPoint at = Event->position().toPoint();
        if (Event->button() != Qt::LeftButton || at.x() < kPreviewMargin) return;
        const std::optional<char32_t> c =
            PreviewCharAt(TTextLayout(Glyphs, Page), Lines, Shown.LineHeight,
                          (at.x() - kPreviewMargin) / Zoom, at.y() / Zoom);
        if (c && Clicked) Clicked(*c);
    }
};

namespace {
const char* const kZoomKey = "preview/zoom";
const char* const kWidthKey = "preview/width";
}  // namespace

TTextPreview::TTextPreview(IUserInterface& UI, QWidget* Parent)
    : QWidget(Parent, Qt::Tool), ui_(UI) {
    setWindowTitle(QStringLiteral("Text Preview"));
    auto* column = new QVBoxLayout(this);
    Text = new QPlainTextEdit(this);
    Text->setPlaceholderText(QStringLiteral("Type or paste text"));
    Text->setMaximumHeight(fontMetrics().lineSpacing() * 6);
    column->addWidget(Text);
    auto* row = new QHBoxLayout;
    OpenText = new QPushButton(QStringLiteral("&Open Text..."), this);
    row->addWidget(OpenText);
    row->addStretch(1);
    const auto field = [&](const QString& Label, QSpinBox* Box) {
        auto* label = new QLabel(Label, this);
        label->setBuddy(Box);
        row->addWidget(label);
        row->addWidget(Box);
    };
    Width = new QSpinBox(this);
    Width->setRange(0, 99999);
    field(QStringLiteral("&Width:"), Width);
    Zoom = new QSpinBox(this);
    Zoom->setRange(1, 16);
    Zoom->setSuffix(QStringLiteral("x"));
    field(QStringLiteral("&Zoom:"), Zoom);
    column->addLayout(row);
    auto* scroll = scroll_ = new QScrollArea(this);
    QPalette black = scroll->palette();
    black.setColor(QPalette::Window, Qt::black);
    scroll->setPalette(black);
    scroll->setBackgroundRole(QPalette::Window);
    area_ = new TArea(scroll);
    area_->Clicked = [this](char32_t Char) { emit CharClicked(Char); };
    scroll->setWidget(area_);
    column->addWidget(scroll, 1);
    auto* bottom = new QHBoxLayout;
    Status = new QLabel(this);
    bottom->addWidget(Status, 1);
    SavePicture = new QPushButton(QStringLiteral("&Save Preview as PNG..."), this);
    bottom->addWidget(SavePicture);
    column->addLayout(bottom);

    connect(Text, &QPlainTextEdit::textChanged, this, [this] {
        area_->Lines = SplitLines(Text->toPlainText().toStdU32String());
        Redraw();
    });
    connect(OpenText, &QPushButton::clicked, this, [this] {
        if (ui_.Execute(TextOpen)) OpenFile(TextOpen.FileName);
    });
    connect(SavePicture, &QPushButton::clicked, this, [this] {
        if (ui_.Execute(PngSave)) SavePng(PngSave.FileName);
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
    Width->setValue(int(area_->Limit = QSettings().value(kWidthKey).toInt()));
    connect(Width, &QSpinBox::valueChanged, this, [this](int Pixels) {
        area_->Limit = Pixels;
        QSettings().setValue(kWidthKey, Pixels);
        Redraw();
    });
    scroll_->viewport()->installEventFilter(this);
    resize(480, 300);
}

bool TTextPreview::eventFilter(QObject* Watched, QEvent* Event) {
    // The room the text has is the view's, once laid out.
    if (Event->type() == QEvent::Resize) Fit();
    return QWidget::eventFilter(Watched, Event);
}

void TTextPreview::Redraw() {
    const QString refused = area_->Layout();
    Status->setText(refused.isEmpty() ? QString::fromStdString(
                                            WiderLinesText(area_->Shown.LineWidths, area_->Limit))
                                      : refused);
    Fit();
    area_->Relayout();
}

void TTextPreview::Fit() {
    if (chosen_) return;
    const QSize room = scroll_->viewport()->size();
    const std::int64_t w = area_->Shown.Width, h = area_->Shown.Height;
    int zoom = Zoom->maximum();
    while (zoom > 1 && (kPreviewMargin + w * zoom > room.width() || h * zoom > room.height()))
        --zoom;
    if (zoom == area_->Zoom) return;
    const QSignalBlocker quiet(Zoom);
    Zoom->setValue(area_->Zoom = zoom);
    area_->Relayout();
}

void TTextPreview::SetFont(const TSftFont& Font, const TPalette& Palette,
                           const TStripGeometry& Glyphs, const TCodePageMap& Page) {
    area_->Font = Font;
    area_->Palette = Palette;
    area_->Glyphs = Glyphs;
    area_->Page = Page;
    Redraw();
}

QImage TTextPreview::Rendered() const { return area_->Render(); }

QImage TTextPreview::Picture() const { return area_->Image; }

void TTextPreview::OpenFile(const QString& Path) {
    if (const std::optional<QString> text = ReadTextFile(Path, ui_)) Text->setPlainText(*text);
}

void TTextPreview::SavePng(const QString& Path) {
    const QImage picture = Picture();
    if (picture.isNull())
        ui_.ShowMessage(QString::fromLatin1(kNoPreviewToSave), TMsgKind::Warning);
    else if (!picture.save(Path, "PNG"))
        ui_.ShowMessage(QStringLiteral("Cannot create file %1").arg(Path), TMsgKind::Error);
}
