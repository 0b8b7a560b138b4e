// The text preview: a tool window where typed text is drawn with the
// font's glyphs side by side, at the main view's zoom.
#pragma once

#include <QWidget>

#include "picture.h"
#include "strip.h"

class QLineEdit;

class TTextPreview final : public QWidget {
    Q_OBJECT
public:
    explicit TTextPreview(QWidget* Parent = nullptr);

    void SetFont(const TBitmap& Picture, const TStripGeometry& Glyphs);
    void SetZoom(int Zoom);
    QLineEdit* Text = nullptr;
    // The text as drawn, black where there is no glyph.
    QImage Rendered() const;

private:
    class TArea;
    TArea* area_ = nullptr;
};
