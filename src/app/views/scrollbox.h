// The picture view: a scroll box that shows one image control. Strips can be
// hundreds of thousands of pixels wide, more than a pixmap or an X11 window
// can hold, so the control is no widget: the view paints the exposed part of
// the picture straight from the picture object.
#pragma once

#include <QAbstractScrollArea>
#include <QImage>
#include <cstdint>
#include <functional>
#include <vector>

#include "font/pixeledit.h"
#include "font/strip.h"
#include "picture/picture.h"
#include "session/display.h"
#include "session/session.h"

class QPainter;
class QRegion;

// Columns X .. X + Width - 1 and rows Y .. Y + Height - 1 of a picture as an
// image of its own; a null image when the part is not within the picture or
// too large for an image.
QImage PicturePart(const TBitmap& Picture, int X, int Y, int Width, int Height);

// The image control: a rectangle at 0, 0 of the scroll box's content that
// draws its own copy of a picture, centred in itself, at the box's zoom.
class TImage {
public:
    int Width() const { return width_; }
    int Height() const { return height_; }
    const TBitmap& Picture() const { return picture_; }

private:
    friend class TScrollBox;
    int width_ = 0;
    int height_ = 0;
    TBitmap picture_;  // shares the image with the window's picture
};

class TScrollBox final : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit TScrollBox(QWidget* Parent = nullptr);

    const TImage& Image() const { return image_; }
    void SetImageWidth(int Width);
    void SetImageHeight(int Height);
    void SetImagePicture(const TBitmap& Picture);
    // The same picture drawn again, of which only Area changed: only that
    // part of the view is painted again; of it only Parts, when there are
    // any. Pixels that only moved (Shift) are moved on the screen, with the
    // pixel selection's frame round them, where nothing else is drawn over them.
    void ShowChange(const TBitmap& Picture, TPixelRect Area,
                    const std::vector<TPixelRect>& Parts = {},
                    const TSessionChange::TShift& Shift = {});

    // In view pixels, limited to 0 .. content width - view width.
    int HorzPosition() const;
    void SetHorzPosition(int Position);
    int LastPosition() const;
    // Scrolls so that the strip's pixel column X is at the left edge.
    void ScrollToStripX(std::int64_t X);

    // Whole-number zoom, drawn nearest-neighbour.
    static constexpr auto& kZooms = kZoomSteps;
    int Zoom() const { return zoom_; }
    // Whether the zoomed content stays within what a scroll bar can reach.
    bool ZoomFits(int Factor) const;
    // The next factor up or down from the present one that fits, or 0.
    int NextZoom(int Direction) const;
    // Zooms so that the strip pixel at view x AnchorX stays where it is.
    void SetZoom(int Factor, int AnchorX = 0);

    // Lines at the glyphs' boundaries and a frame round the selected glyph.
    static constexpr QRgb kBoundaryColor = ::kBoundaryColor, kFrameColor = ::kFrameColor;
    // Where the glyphs lie and which are selected: the selected glyph's frame
    // shows with the boundaries, several selected glyphs' frames always.
    void SetGlyphs(const TStripGeometry& Glyphs, std::vector<TGlyphExtent> Selected);
    void SetBoundariesShown(bool Shown);
    bool BoundariesShown() const { return boundaries_; }

    // View > Guides: lines along the top edges of these rows, over the pixels
    // (the strip's height: along its last row's bottom edge); none for no lines.
    static constexpr QRgb kGuideColor = ::kGuideColor;
    void SetGuides(std::vector<int> Rows);
    const std::vector<int>& Guides() const { return guides_; }
    // View > Reference Glyph...: what the view draws under the strip's
    // columns Columns on the screen only, into the RGBA bytes of the part
    // X, Y, W x H of the picture it is about to draw; null for nothing. A
    // new underlay in the same columns is shown at the next repaint.
    using TUnderlay = std::function<void(int X, int Y, int W, int H, std::uint8_t* Rgba)>;
    void SetUnderlay(TUnderlay Draw, TGlyphExtent Columns);

    // The pixel selection's dashed frame round strip pixels Frame; empty for
    // none. Only what it left and what it covers is painted again.
    void SetPixelFrame(TPixelRect Frame);
    TPixelRect PixelFrame() const { return frame_; }

    // While drawing, presses and drags go out as strip pixels instead.
    void SetDrawing(bool Drawing);
    bool Drawing() const { return drawing_; }

signals:
    // The strip pixel under the pointer, or -1, -1 when it is off the strip.
    void Hovered(int X, int Y);
    // Ctrl+wheel asks for the next factor up (+1) or down (-1) around view x AnchorX.
    void ZoomRequested(int Direction, int AnchorX);
    // While drawing: a button pressed at strip pixel X, Y (which may lie off
    // the strip), the pointer moved with it held, and let go.
    void Pressed(int X, int Y, Qt::MouseButton Button, Qt::KeyboardModifiers Modifiers);
    void Dragged(int X, int Y, Qt::KeyboardModifiers Modifiers);
    void Released();

protected:
    void paintEvent(QPaintEvent* Event) override;
    void resizeEvent(QResizeEvent* Event) override;
    void scrollContentsBy(int Dx, int Dy) override;
    void wheelEvent(QWheelEvent* Event) override;
    void mouseMoveEvent(QMouseEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;
    void leaveEvent(QEvent* Event) override;

private:
    void UpdateRange();

    // Where the picture's top-left pixel is in the view, at the zoom and scroll.
    std::int64_t PictureLeft() const;
    std::int64_t PictureTop() const;
    // The strip pixel at a point of the view, within int's range.
    QPoint StripPixel(QPointF At) const;
    // Paints strip pixels Area again, where in view.
    void Repaint(TPixelRect Area);
    // Strip pixels Area in view coordinates, cut to the view.
    QRect InView(TPixelRect Area) const;
    // Moves what the view shows of Shift's pixels and the frame round them,
    // when it can: where they now are in the view, or an empty rectangle.
    QRect MoveShown(const TSessionChange::TShift& Shift);
    // The picture under each rectangle of Region, at the zoom, black off it.
    void PaintParts(QPainter& Painter, const QRegion& Region);

    TImage image_;
    int zoom_ = 1;
    TStripGeometry glyphs_;
    std::vector<TGlyphExtent> selected_;  // left to right
    bool boundaries_ = false;
    std::vector<int> guides_;
    TUnderlay underlay_;
    TGlyphExtent underlayColumns_;
    bool drawing_ = false;
    TPixelRect frame_;
    Qt::MouseButton held_ = Qt::NoButton;  // the button of the press being drawn with
    QImage parts_;                         // what PaintParts builds, kept for the next
};
