// The text preview: a tool window where typed text is drawn with the
// font's glyphs side by side, at a zoom of its own: the one last chosen, or
// until one is chosen the largest at which the whole text fits.
#pragma once

#include <QWidget>

#include "font/strip.h"
#include "picture/picture.h"
#include "text/codepage.h"

class QLineEdit;
class QScrollArea;
class QSpinBox;

class TTextPreview final : public QWidget {
    Q_OBJECT
public:
    explicit TTextPreview(QWidget* Parent = nullptr);

    // Page: what character each of the font's codes stands for.
    void SetFont(const TBitmap& Picture, const TStripGeometry& Glyphs, const TCodePageMap& Page);
    QLineEdit* Text = nullptr;
    QSpinBox* Zoom = nullptr;  // 1 to 16; a choice is kept in the settings
    // The text as drawn, black where there is no glyph.
    QImage Rendered() const;

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    class TArea;
    void Fit();

    TArea* area_ = nullptr;
    QScrollArea* scroll_ = nullptr;
    bool chosen_ = false;
};
