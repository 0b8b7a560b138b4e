#include "views/scrollbox.h"

#include <QImage>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QRegion>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>
#include <climits>

QImage PicturePart(const TBitmap& Picture, int X, int Y, int Width, int Height) {
    const int bits = Picture.BitCount();
    // Rows outside the picture are refused by ReadRow; this keeps a part
    // that can't be one from costing an image first.
    if ((bits != 8 && bits != 24) || Width <= 0 || Height <= 0 || Width > Picture.Width() ||
        Height > Picture.Height())
        return {};
    QImage part(Width, Height, bits == 8 ? QImage::Format_Indexed8 : QImage::Format_BGR888);
    if (part.isNull()) return part;  // beyond what QImage can hold
    for (int y = 0; y < Height; ++y)
        if (!Picture.ReadRow(Y + y, X, Width, part.scanLine(y))) return {};
    if (bits == 8) {
        const ByteSpan table = Picture.ColorTable();
        QList<QRgb> colours(256, qRgb(0, 0, 0));
        for (std::size_t k = 0; k < 256 && 4 * k + 2 < table.size(); ++k)
            colours[qsizetype(k)] = qRgb(table[4 * k + 2], table[4 * k + 1], table[4 * k]);
        part.setColorTable(colours);
    }
    return part;
}

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
    // Every pixel of a paint is drawn: nothing behind the view is painted first.
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    setPalette(pal);
    setAutoFillBackground(true);
    viewport()->setMouseTracking(true);
}

void TScrollBox::SetGlyphs(const TStripGeometry& Glyphs, std::vector<TGlyphExtent> Selected) {
    const bool marked = boundaries_ || selected_.size() > 1 || Selected.size() > 1;
    glyphs_ = Glyphs;
    selected_ = std::move(Selected);
    if (marked) viewport()->update();
}

void TScrollBox::SetGuides(std::vector<int> Rows) {
    if (Rows == guides_) return;
    guides_ = std::move(Rows);
    viewport()->update();
}

void TScrollBox::SetUnderlay(TUnderlay Draw, TGlyphExtent Columns) {
    // The same underlay where it was: a change of pixels repaints only its area.
    const bool moved = bool(Draw) != bool(underlay_) || (Draw && Columns != underlayColumns_);
    underlay_ = std::move(Draw);
    underlayColumns_ = Columns;
    if (moved) viewport()->update();
}

void TScrollBox::SetBoundariesShown(bool Shown) {
    boundaries_ = Shown;
    viewport()->update();
}

std::int64_t TScrollBox::PictureLeft() const {
    return (std::int64_t(image_.width_) - image_.picture_.Width()) / 2 * zoom_ - HorzPosition();
}

std::int64_t TScrollBox::PictureTop() const {
    return (std::int64_t(image_.height_) - image_.picture_.Height()) / 2 * zoom_ -
           verticalScrollBar()->value();
}

QPoint TScrollBox::StripPixel(QPointF At) const {
    const QPoint at = At.toPoint();
    const auto strip = [this](std::int64_t v) {
        // Left of or above the picture rounds down too, so -1 is off it.
        const std::int64_t p = v >= 0 ? v / zoom_ : -((-v + zoom_ - 1) / zoom_);
        return int(std::clamp<std::int64_t>(p, INT_MIN, INT_MAX));
    };
    return {strip(at.x() - PictureLeft()), strip(at.y() - PictureTop())};
}

void TScrollBox::mouseMoveEvent(QMouseEvent* Event) {
    const QPoint p = StripPixel(Event->position());
    const TBitmap& pic = image_.picture_;
    const bool on =
        !pic.Empty() && p.x() >= 0 && p.y() >= 0 && p.x() < pic.Width() && p.y() < pic.Height();
    emit Hovered(on ? p.x() : -1, on ? p.y() : -1);
    if (drawing_ && held_ != Qt::NoButton) emit Dragged(p.x(), p.y(), Event->modifiers());
    QAbstractScrollArea::mouseMoveEvent(Event);
}

void TScrollBox::mousePressEvent(QMouseEvent* Event) {
    if (!drawing_ || held_ != Qt::NoButton) return QAbstractScrollArea::mousePressEvent(Event);
    held_ = Event->button();
    const QPoint p = StripPixel(Event->position());
    emit Pressed(p.x(), p.y(), Event->button(), Event->modifiers());
}

void TScrollBox::mouseReleaseEvent(QMouseEvent* Event) {
    if (!drawing_ || Event->button() != held_) return QAbstractScrollArea::mouseReleaseEvent(Event);
    held_ = Qt::NoButton;
    emit Released();
}

void TScrollBox::SetDrawing(bool Drawing) {
    if (!Drawing && held_ != Qt::NoButton) emit Released();
    drawing_ = Drawing;
    held_ = Qt::NoButton;
    viewport()->setCursor(Drawing ? Qt::CrossCursor : Qt::ArrowCursor);
}

void TScrollBox::SetPixelFrame(TPixelRect Frame) {
    if (Frame == frame_) return;
    Repaint(frame_);
    frame_ = Frame;
    Repaint(frame_);
}

void TScrollBox::Repaint(TPixelRect Area) {
    if (Area.Empty()) return;
    const std::int64_t z = zoom_, left = PictureLeft(), top = PictureTop();
    const auto at = [](std::int64_t v) {
        return int(std::clamp<std::int64_t>(v, -1, INT_MAX / 2));
    };
    const QRect r(
        QPoint(at(left + Area.Left * z), at(top + Area.Top * z)),
        QPoint(at(left + std::int64_t(Area.Right) * z), at(top + std::int64_t(Area.Bottom) * z)));
    viewport()->update(r.intersected(viewport()->rect()));
}

void TScrollBox::leaveEvent(QEvent* Event) {
    emit Hovered(-1, -1);
    QAbstractScrollArea::leaveEvent(Event);
}

void TScrollBox::SetImageWidth(int Width) {
    image_.width_ = std::max(Width, 0);
    // A wider strip may not fit at the present zoom.
    while (!ZoomFits(zoom_)) zoom_ = NextZoom(-1);
    UpdateRange();
    viewport()->update();
}

void TScrollBox::SetImageHeight(int Height) {
    image_.height_ = std::max(Height, 0);
    UpdateRange();
    viewport()->update();
}

void TScrollBox::SetImagePicture(const TBitmap& Picture) {
    image_.picture_ = Picture;
    viewport()->update();
}

void TScrollBox::ShowChange(const TBitmap& Picture, TPixelRect Area,
                            const std::vector<TPixelRect>& Parts,
                            const TSessionChange::TShift& Shift) {
    image_.picture_ = Picture;
    if (Parts.empty()) {
        if (const QRect r = InView(Area); !r.isEmpty()) viewport()->update(r);
        return;
    }
    QRegion region;
    for (const TPixelRect& part : Parts)
        if (const QRect r = InView(part); !r.isEmpty()) region += r;
    region -= MoveShown(Shift);
    if (!region.isEmpty()) viewport()->update(region);
}

QRect TScrollBox::MoveShown(const TSessionChange::TShift& Shift) {
    const TPixelRect& from = Shift.From;
    // Only the pixels and the frame along their edge: nothing that stays put
    // may be drawn over them.
    if (from.Empty() || frame_ != from || boundaries_ || selected_.size() > 1 || !guides_.empty() ||
        underlay_)
        return {};
    const TPixelRect to{from.Left + Shift.Dx, from.Top + Shift.Dy, from.Right + Shift.Dx,
                        from.Bottom + Shift.Dy};
    const std::int64_t z = zoom_;
    const QSize size(int(std::min<std::int64_t>((from.Right - from.Left) * z, INT_MAX)),
                     int(std::min<std::int64_t>((from.Bottom - from.Top) * z, INT_MAX)));
    // Both places whole in view: a frame cut by the view's edge is drawn otherwise.
    const QRect was = InView(from), now = InView(to);
    if (was.size() != size || now.size() != size) return {};
    viewport()->scroll(now.left() - was.left(), now.top() - was.top(), was.united(now));
    frame_ = to;
    return now;
}

QRect TScrollBox::InView(TPixelRect Area) const {
    if (Area.Empty()) return {};
    const std::int64_t z = zoom_, left = PictureLeft(), top = PictureTop();
    const QRect view = viewport()->rect();
    // In 64 bits, then cut to the view: the area may lie far off it.
    const std::int64_t x0 = std::max<std::int64_t>(left + Area.Left * z, view.left());
    const std::int64_t x1 = std::min<std::int64_t>(left + Area.Right * z, view.right() + 1);
    const std::int64_t y0 = std::max<std::int64_t>(top + Area.Top * z, view.top());
    const std::int64_t y1 = std::min<std::int64_t>(top + Area.Bottom * z, view.bottom() + 1);
    if (x0 >= x1 || y0 >= y1) return {};
    return {int(x0), int(y0), int(x1 - x0), int(y1 - y0)};
}

void TScrollBox::PaintParts(QPainter& Painter, const QRegion& Region) {
    const QRect box = Region.boundingRect();
    if (parts_.width() <= box.right() || parts_.height() <= box.bottom())
        parts_ = QImage(std::max(parts_.width(), box.right() + 1),
                        std::max(parts_.height(), box.bottom() + 1), QImage::Format_RGB32);
    if (parts_.isNull()) return;
    const TBitmap& pic = image_.picture_;
    const bool eight = pic.BitCount() == 8;
    const ByteSpan table = pic.ColorTable();
    const std::int64_t z = zoom_, left = PictureLeft(), top = PictureTop();
    const std::int64_t right = left + pic.Width() * z, bottom = top + pic.Height() * z;
    QRgb* const bits = reinterpret_cast<QRgb*>(parts_.bits());
    const std::size_t stride = std::size_t(parts_.bytesPerLine()) / sizeof(QRgb);
    const auto line = [&](int y) { return bits + std::size_t(y) * stride; };
    std::vector<std::uint8_t> bytes;
    std::vector<QRgb> colors;
    for (const QRect& r : Region) {
        const std::int64_t x0 = std::max<std::int64_t>(r.left(), left);
        const std::int64_t x1 = std::min<std::int64_t>(r.right() + 1, right);
        const std::int64_t y0 = std::max<std::int64_t>(r.top(), top);
        const std::int64_t y1 = std::min<std::int64_t>(r.bottom() + 1, bottom);
        // Black off the picture: the rows above and below it, the columns beside it.
        for (int y = r.top(); y <= r.bottom(); ++y) {
            const bool beside = y >= y0 && y < y1 && x0 < x1;
            const std::int64_t a = beside ? x0 : r.right() + 1, b = beside ? x1 : a;
            std::fill(line(y) + r.left(), line(y) + a, qRgb(0, 0, 0));
            std::fill(line(y) + b, line(y) + r.right() + 1, qRgb(0, 0, 0));
        }
        if (x0 >= x1 || y0 >= y1) continue;
        const std::int32_t sx = std::int32_t((x0 - left) / z);
        const std::int32_t w = std::int32_t((x1 - left + z - 1) / z) - sx;
        bytes.resize(std::size_t(w) * (eight ? 1 : 3));
        colors.resize(std::size_t(w));
        for (std::int64_t sy = (y0 - top) / z; top + sy * z < y1; ++sy) {
            const bool read = pic.ReadRow(std::int32_t(sy), sx, w, bytes.data());
            for (std::size_t i = 0; i < colors.size(); ++i) {
                const std::size_t k = eight ? std::size_t(bytes[i]) * 4 : 0;
                colors[i] = !read    ? qRgb(0, 0, 0)
                            : !eight ? qRgb(bytes[3 * i + 2], bytes[3 * i + 1], bytes[3 * i])
                            : k + 2 < table.size() ? qRgb(table[k + 2], table[k + 1], table[k])
                                                   : qRgb(0, 0, 0);
            }
            // One device row of the zoomed pixels, copied to the others of the row.
            const int dy0 = int(std::max(y0, top + sy * z)),
                      dy1 = int(std::min(y1, top + (sy + 1) * z));
            QRgb* out = line(dy0);
            std::int64_t x = x0;
            for (std::size_t i = 0; x < x1; ++i) {
                const std::int64_t end = std::min(x1, left + (sx + std::int64_t(i) + 1) * z);
                std::fill(out + x, out + end, colors[i]);
                x = end;
            }
            for (int y = dy0 + 1; y < dy1; ++y) std::copy(out + x0, out + x1, line(y) + x0);
        }
    }
    if (Region.rectCount() > 256) return Painter.drawImage(box.topLeft(), parts_, box);
    // Each alone within its own rectangle, copied as it is: through a clip of
    // many rectangles a part is blended row by row, on other threads even.
    for (const QRect& r : Region) {
        Painter.setClipRect(r);
        Painter.drawImage(r.topLeft(), parts_, r);
    }
    Painter.setClipping(false);
}

int TScrollBox::HorzPosition() const { return horizontalScrollBar()->value(); }

void TScrollBox::SetHorzPosition(int Position) {
    horizontalScrollBar()->setValue(std::clamp(Position, 0, LastPosition()));
}

int TScrollBox::LastPosition() const {
    return std::max(image_.width_ * zoom_ - viewport()->width(), 0);
}

void TScrollBox::ScrollToStripX(std::int64_t X) {
    SetHorzPosition(int(std::clamp<std::int64_t>(X * zoom_, 0, INT_MAX)));
}

bool TScrollBox::ZoomFits(int Factor) const {
    return Factor >= 1 && image_.width_ <= INT_MAX / Factor && image_.height_ <= INT_MAX / Factor;
}

int TScrollBox::NextZoom(int Direction) const {
    int next = 0;
    for (int f : kZooms)
        if (Direction > 0 ? f > zoom_ && ZoomFits(f) && !next : f < zoom_) next = f;
    return next;
}

void TScrollBox::SetZoom(int Factor, int AnchorX) {
    if (!ZoomFits(Factor) || Factor == zoom_) return;
    // The strip column under the anchor, and the row at the top, stay put.
    const std::int64_t column = (std::int64_t(HorzPosition()) + AnchorX) / zoom_;
    const std::int64_t row = std::int64_t(verticalScrollBar()->value()) / zoom_;
    zoom_ = Factor;
    // At 1:1 there is never a vertical scroll bar, as before zooming existed.
    setVerticalScrollBarPolicy(zoom_ == 1 ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAsNeeded);
    UpdateRange();
    SetHorzPosition(int(std::clamp<std::int64_t>(column * zoom_ - AnchorX, 0, INT_MAX)));
    verticalScrollBar()->setValue(int(row * zoom_));
    viewport()->update();
}

void TScrollBox::UpdateRange() {
    QScrollBar* bar = horizontalScrollBar();
    bar->setPageStep(std::max(viewport()->width(), 1));
    bar->setRange(0, LastPosition());
    QScrollBar* side = verticalScrollBar();
    side->setPageStep(std::max(viewport()->height(), 1));
    side->setRange(0, zoom_ == 1 ? 0 : std::max(image_.height_ * zoom_ - viewport()->height(), 0));
}

void TScrollBox::wheelEvent(QWheelEvent* Event) {
    if (!(Event->modifiers() & Qt::ControlModifier)) return QAbstractScrollArea::wheelEvent(Event);
    const int delta = Event->angleDelta().y();
    if (delta != 0) emit ZoomRequested(delta > 0 ? 1 : -1, int(Event->position().x()));
    Event->accept();
}

void TScrollBox::resizeEvent(QResizeEvent* Event) {
    QAbstractScrollArea::resizeEvent(Event);
    UpdateRange();
}

void TScrollBox::scrollContentsBy(int, int) { viewport()->update(); }

void TScrollBox::paintEvent(QPaintEvent* Event) {
    QPainter painter(viewport());
    const QRect exposed = Event->rect();
    const TBitmap& pic = image_.picture_;
    const int bits = pic.BitCount();
    if (pic.Empty() || pic.Width() <= 0 || pic.Height() <= 0 || (bits != 8 && bits != 24))
        return painter.fillRect(exposed, Qt::black);

    // The picture's place in view coordinates: centred in the control, the
    // control at the content's origin, the content shifted by the scroll.
    // Everything in 64 bits: a far-off strip is clipped before it becomes a
    // rectangle of int size.
    const std::int64_t z = zoom_, left = PictureLeft(), top = PictureTop();
    const std::int64_t x0 = std::max<std::int64_t>(exposed.left(), left);
    const std::int64_t x1 = std::min<std::int64_t>(exposed.right() + 1, left + pic.Width() * z);
    const std::int64_t y0 = std::max<std::int64_t>(exposed.top(), top);
    const std::int64_t y1 = std::min<std::int64_t>(exposed.bottom() + 1, top + pic.Height() * z);
    if (x0 >= x1 || y0 >= y1) return painter.fillRect(exposed, Qt::black);

    // Only the source pixels behind the exposed part are drawn.
    const int srcX = int((x0 - left) / z);
    const int srcY = int((y0 - top) / z);
    const int w = int((x1 - left + z - 1) / z) - srcX;
    const int h = int((y1 - top + z - 1) / z) - srcY;
    const bool under =
        underlay_ && underlayColumns_.Begin < srcX + w && underlayColumns_.End > srcX;
    if (!under) {
        // Only the parts asked for: a line dragged asks for many small ones.
        PaintParts(painter, Event->region());
    } else {
        painter.fillRect(exposed, Qt::black);
        QImage part = PicturePart(pic, srcX, srcY, w, h);
        if (part.isNull()) return;
        part.convertTo(QImage::Format_RGBA8888);
        underlay_(srcX, srcY, w, h, part.bits());
        painter.setClipRect(exposed);
        painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
        painter.drawImage(QRect(int(left + srcX * z), int(top + srcY * z), int(w * z), int(h * z)),
                          part);
    }

    if (boundaries_) {
        // One device pixel wide at every boundary in view.
        const std::int64_t bottom = top + pic.Height() * z;
        const auto& xs = glyphs_.Boundaries();
        auto x = std::lower_bound(xs.begin(), xs.end(), (x0 - left) / z);
        painter.setPen(QColor::fromRgb(kBoundaryColor));
        for (; x != xs.end() && left + *x * z < x1; ++x)
            painter.drawLine(QPoint(int(left + *x * z), int(std::max(top, y0))),
                             QPoint(int(left + *x * z), int(std::min(bottom, y1) - 1)));
    }
    if (boundaries_ || selected_.size() > 1) {
        // The selected glyphs' frames, those in view.
        painter.setPen(QColor::fromRgb(kFrameColor));
        auto g = std::lower_bound(selected_.begin(), selected_.end(), (x0 - left) / z,
                                  [](const TGlyphExtent& e, std::int64_t x) { return e.End < x; });
        for (; g != selected_.end() && left + std::int64_t(g->Begin) * z < x1 + 1; ++g) {
            const std::int64_t fx0 = std::max(left + g->Begin * z, x0 - 1);
            const std::int64_t fx1 = std::min(left + g->End * z, x1 + 1);
            if (fx0 < fx1)
                painter.drawRect(
                    QRect(int(fx0), int(top), int(fx1 - fx0 - 1), int(pic.Height() * z - 1)));
        }
    }
    if (!frame_.Empty()) {
        // The pixel selection: dashes of black on white along its inner edge.
        const std::int64_t l = left + frame_.Left * z, r = left + std::int64_t(frame_.Right) * z;
        const std::int64_t t = top + frame_.Top * z, b = top + std::int64_t(frame_.Bottom) * z;
        // Cut to a pixel round what is painted, so that the cut edges fall outside it.
        const std::int64_t fx0 = std::max(l, x0 - 1), fx1 = std::min(r, x1 + 1);
        const std::int64_t fy0 = std::max(t, y0 - 1), fy1 = std::min(b, y1 + 1);
        if (l < x1 && r > x0 && t < y1 && b > y0) {
            const QRect box(int(fx0), int(fy0), int(fx1 - fx0 - 1), int(fy1 - fy0 - 1));
            painter.setPen(QPen(Qt::white));
            painter.drawRect(box);
            painter.setPen(QPen(Qt::black, 1, Qt::DashLine));
            painter.drawRect(box);
        }
    }
    // The guides over everything, one device pixel high; the strip's bottom
    // edge along its last device row.
    painter.setPen(QColor::fromRgb(kGuideColor));
    for (const int row : guides_) {
        const std::int64_t y = top + std::min<std::int64_t>(row * z, pic.Height() * z - 1);
        if (row >= 0 && row <= pic.Height() && y >= y0 && y < y1)
            painter.drawLine(QPoint(int(x0), int(y)), QPoint(int(x1 - 1), int(y)));
    }
}
