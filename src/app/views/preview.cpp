#include "views/preview.h"

#include <QAbstractScrollArea>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSettings>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>
#include <climits>
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

// The preview's view: only the lines in view are drawn, so that a long
// translation costs no more to show than a few lines.
class TTextPreview::TArea final : public QAbstractScrollArea {
public:
    explicit TArea(QWidget* Parent) : QAbstractScrollArea(Parent) {
        viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    }
    TSftFont Font;
    TPalette Palette{};
    TStripGeometry Glyphs;
    TCodePageMap Page;
    int Zoom = 1;
    std::int64_t Limit = 0;
    std::vector<std::u32string> Lines{1};
    std::vector<std::int64_t> Widths;  // each line's, at 1:1
    std::int64_t Widest = 0;
    std::function<void(char32_t)> Clicked;

    TTextLayout Layout() const { return TTextLayout(Glyphs, Page); }
    std::int64_t LineHeight() const { return std::max(0, Font.Height); }
    // The lines measured afresh.
    void Measure() {
        Widths =
            LineHeight() > 0 ? PreviewLineWidths(Layout(), Lines) : std::vector<std::int64_t>{};
        Widest = Widths.empty() ? 0 : *std::max_element(Widths.begin(), Widths.end());
    }
    std::int64_t ContentWidth() const {
        return kPreviewMargin + std::max<std::int64_t>(Widest, Limit + 1) * Zoom;
    }
    std::int64_t ContentHeight() const { return std::int64_t(Lines.size()) * LineHeight() * Zoom; }
    void Relayout() {
        const QSize view = viewport()->size();
        const auto range = [](std::int64_t Content, int View) {
            return int(std::clamp<std::int64_t>(Content - View, 0, INT_MAX));
        };
        horizontalScrollBar()->setRange(0, range(ContentWidth(), view.width()));
        verticalScrollBar()->setRange(0, range(ContentHeight(), view.height()));
        horizontalScrollBar()->setPageStep(view.width());
        verticalScrollBar()->setPageStep(view.height());
        verticalScrollBar()->setSingleStep(int(std::max<std::int64_t>(1, LineHeight() * Zoom)));
        viewport()->update();
    }
    // The part of the preview from X, Y (its pixels as shown) as big as Size,
    // at Painter's origin.
    void Paint(QPainter& Painter, std::int64_t X, std::int64_t Y, QSize Size) const {
        Painter.fillRect(QRect(QPoint(0, 0), Size), Qt::black);
        const std::int64_t z = Zoom, lh = LineHeight() * z;
        if (lh <= 0) return;
        const std::size_t first = std::size_t(Y / lh),
                          last = std::min(Lines.size(),
                                          std::size_t((Y + Size.height() + lh - 1) / lh));
        if (first >= last) return;
        TTextPreviewPicture shown;
        try {
            shown = PreviewPicture(Font, Palette, Layout(), Lines, first, last - first,
                                   std::max<std::int64_t>(0, X - kPreviewMargin) / z,
                                   Size.width() / z + 2);
        } catch (const EFontError&) {
            return;  // lines too wide to draw; the status still counts them
        }
        Painter.translate(QPointF(-double(X), -double(Y)));
        const std::int64_t top = std::int64_t(first) * lh;
        if (!shown.Rgba.empty())
            Painter.drawImage(QRectF(double(kPreviewMargin + shown.Left * z), double(top),
                                     double(shown.Width * z), double(shown.Height * z)),
                              QImage(shown.Rgba.data(), shown.Width, shown.Height, shown.Width * 4,
                                     QImage::Format_RGBA8888));
        const QColor mark = QColor::fromRgba(kFrameColor);
        Painter.setPen(QPen(mark, 0));
        Painter.setBrush(Qt::NoBrush);
        for (const TPreviewGap& g : shown.Gaps) {
            const double x = double(kPreviewMargin + g.X * z),
                         y = double(std::int64_t(g.Line) * lh);
            if (g.Width > 0)
                Painter.drawRect(QRectF(x, y, double(g.Width * z - 1), double(lh - 1)));
            else
                Painter.drawLine(QPointF(x, y), QPointF(x, y + double(lh - 1)));
        }
        if (Limit <= 0) return;
        const double at = double(kPreviewMargin + Limit * z);
        Painter.drawLine(QPointF(at, double(top)),
                         QPointF(at, double(std::int64_t(last) * lh - 1)));
        for (std::size_t l = first; l < last; ++l)
            if (WiderThan(Widths[l], Limit))
                Painter.fillRect(QRectF(0, double(std::int64_t(l) * lh), 2, double(lh)), mark);
    }
    QImage Render() const {
        const std::int64_t w = ContentWidth(), h = ContentHeight();
        if (w > 32767 || h > 32767 || h <= 0) return {};
        QImage image(int(w), int(h), QImage::Format_RGB32);
        QPainter painter(&image);
        Paint(painter, 0, 0, image.size());
        return image;
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(viewport());
        Paint(painter, horizontalScrollBar()->value(), verticalScrollBar()->value(),
              viewport()->size());
    }
    void resizeEvent(QResizeEvent* Event) override {
        QAbstractScrollArea::resizeEvent(Event);
        Relayout();
    }
    void mousePressEvent(QMouseEvent* Event) override {
        const QPoint at = Event->position().toPoint() +
                          QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value());
        if (Event->button() != Qt::LeftButton || at.x() < kPreviewMargin) return;
        const std::optional<char32_t> c =
            PreviewCharAt(Layout(), Lines, std::int32_t(LineHeight()),
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
    area_ = new TArea(this);
    area_->setObjectName(QStringLiteral("preview-view"));
    area_->Clicked = [this](char32_t Char) { emit CharClicked(Char); };
    column->addWidget(area_, 1);
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
    area_->viewport()->installEventFilter(this);
    resize(480, 300);
}

bool TTextPreview::eventFilter(QObject* Watched, QEvent* Event) {
    // The room the text has is the view's, once laid out.
    if (Event->type() == QEvent::Resize) Fit();
    return QWidget::eventFilter(Watched, Event);
}

void TTextPreview::Redraw() {
    area_->Measure();
    Status->setText(QString::fromStdString(WiderLinesText(area_->Widths, area_->Limit)));
    Fit();
    area_->Relayout();
}

void TTextPreview::Fit() {
    if (chosen_) return;
    const QSize room = area_->viewport()->size();
    const std::int64_t w = area_->Widest,
                       h = std::int64_t(area_->Lines.size()) * area_->LineHeight();
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

QImage TTextPreview::Picture() const {
    const TTextPreviewPicture p =
        PreviewPicture(area_->Font, area_->Palette, area_->Layout(), area_->Lines);
    if (p.Rgba.empty()) return {};
    return QImage(p.Rgba.data(), p.Width, p.Height, p.Width * 4, QImage::Format_RGBA8888)
        .convertToFormat(QImage::Format_RGB32);
}

void TTextPreview::OpenFile(const QString& Path) {
    if (const std::optional<QString> text = ReadTextFile(Path, ui_)) Text->setPlainText(*text);
}

void TTextPreview::SavePng(const QString& Path) {
    QImage picture;
    try {
        picture = Picture();
    } catch (const EFontError& e) {
        return ui_.ShowMessage(QString::fromStdString(e.what()), TMsgKind::Error);
    }
    if (picture.isNull())
        ui_.ShowMessage(QString::fromLatin1(kNoPreviewToSave), TMsgKind::Warning);
    else if (!picture.save(Path, "PNG"))
        ui_.ShowMessage(QStringLiteral("Cannot create file %1").arg(Path), TMsgKind::Error);
}
