// The picture view: a scroll box that shows one image control. Strips can be
// hundreds of thousands of pixels wide, more than a pixmap or an X11 window
// can hold, so the control is no widget: the view paints the exposed part of
// the picture straight from the picture object.
#pragma once

#include <QAbstractScrollArea>

#include "picture.h"

// The image control: a rectangle at 0, 0 of the scroll box's content that
// draws its own copy of a picture unscaled, centred in itself.
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

    int HorzPosition() const;
    // Limited to 0 .. content width - view width.
    void SetHorzPosition(int Position);
    int LastPosition() const;

protected:
    void paintEvent(QPaintEvent* Event) override;
    void resizeEvent(QResizeEvent* Event) override;
    void scrollContentsBy(int Dx, int Dy) override;

private:
    void UpdateRange();

    TImage image_;
};
