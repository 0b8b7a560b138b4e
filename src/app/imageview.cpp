#include "imageview.h"

#include <QImage>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <cstring>

TScrollBox::TScrollBox(QWidget* Parent) : QAbstractScrollArea(Parent) {
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    horizontalScrollBar()->setSingleStep(1);
    // The view follows the thumb once it is released.
    horizontalScrollBar()->setTracking(false);
    QPalette pal = viewport()->palette();
    pal.setColor(QPalette::Window, Qt::black);
    pal.setColor(QPalette::Base, Qt::black);
    viewport()->setPalette(pal);
    viewport()->setAutoFillBackground(false);
    setPalette(pal);
    setAutoFillBackground(true);
}

void TScrollBox::SetImageWidth(int Width) {
    image_.width_ = std::max(Width, 0);
    UpdateRange();
    viewport()->update();
}

void TScrollBox::SetImageHeight(int Height) {
    image_.height_ = std::max(Height, 0);
    viewport()->update();
}

void TScrollBox::SetImagePicture(const TBitmap& Picture) {
    image_.picture_ = Picture;
    viewport()->update();
}

int TScrollBox::HorzPosition() const { return horizontalScrollBar()->value(); }

void TScrollBox::SetHorzPosition(int Position) {
    horizontalScrollBar()->setValue(std::clamp(Position, 0, LastPosition()));
}

int TScrollBox::LastPosition() const { return std::max(image_.width_ - viewport()->width(), 0); }

void TScrollBox::UpdateRange() {
    QScrollBar* bar = horizontalScrollBar();
    bar->setPageStep(std::max(viewport()->width(), 1));
    bar->setRange(0, LastPosition());
}

void TScrollBox::resizeEvent(QResizeEvent* Event) {
    QAbstractScrollArea::resizeEvent(Event);
    UpdateRange();
}

void TScrollBox::scrollContentsBy(int, int) { viewport()->update(); }

void TScrollBox::paintEvent(QPaintEvent* Event) {
    QPainter painter(viewport());
    const QRect exposed = Event->rect();
    painter.fillRect(exposed, Qt::black);

    const TBitmap& pic = image_.picture_;
    if (pic.Empty() || pic.Width() <= 0 || pic.Height() <= 0) return;
    const int bits = pic.BitCount();
    if (bits != 8 && bits != 24) return;

    // The picture's place in view coordinates: centred in the control, the
    // control at the content's origin, the content shifted by the scroll.
    const int scroll = HorzPosition();
    const int left = (image_.width_ - pic.Width()) / 2 - scroll;
    const int top = (image_.height_ - pic.Height()) / 2;
    // Qt paints into rectangles of int size; a strip far off screen is clipped
    // in 64-bit arithmetic before it becomes one.
    const long long x0 = std::max<long long>(exposed.left(), left);
    const long long x1 = std::min<long long>(exposed.right() + 1, (long long)left + pic.Width());
    const long long y0 = std::max<long long>(exposed.top(), top);
    const long long y1 = std::min<long long>(exposed.bottom() + 1, (long long)top + pic.Height());
    if (x0 >= x1 || y0 >= y1) return;

    const int w = int(x1 - x0);
    const int h = int(y1 - y0);
    const int srcX = int(x0 - left);
    const int srcY = int(y0 - top);
    QImage part(w, h, bits == 8 ? QImage::Format_Indexed8 : QImage::Format_BGR888);
    if (part.isNull()) return;
    const int bytesPerPixel = bits / 8;
    for (int y = 0; y < h; ++y)
        std::memcpy(part.scanLine(y), pic.ScanLine(srcY + y) + std::size_t(srcX) * bytesPerPixel,
                    std::size_t(w) * bytesPerPixel);
    if (bits == 8) {
        const ByteSpan table = pic.ColorTable();
        QList<QRgb> colours(256, qRgb(0, 0, 0));
        for (std::size_t k = 0; k < 256 && 4 * k + 2 < table.size(); ++k)
            colours[qsizetype(k)] = qRgb(table[4 * k + 2], table[4 * k + 1], table[4 * k]);
        part.setColorTable(colours);
    }
    painter.drawImage(QPoint(int(x0), int(y0)), part);
}
