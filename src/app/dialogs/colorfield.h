// A colour as a font of its depth takes it: one of the palette's swatches for
// an 8-bit font, R,G,B typed for a 16-bit one.
#pragma once

#include <QWidget>
#include <cstdint>

#include "image/color.h"
#include "image/palette.h"

class QComboBox;
class QLineEdit;

class TColorField final : public QWidget {
    Q_OBJECT
public:
    // Starts at the swatch nearest Default, or at Default's R,G,B.
    TColorField(int BitsPerPixel, const TPalette& Palette, TRgb Default, QWidget* Parent);

    void SetIndex(int Index);
    // The swatch chosen, for an 8-bit font.
    std::uint8_t Index() const;
    // The R,G,B typed, for a 16-bit font; throws EFontError for other text.
    TRgb Rgb() const;
    // As the font holds it: the index, or the R,G,B as 5-6-5.
    std::uint16_t Value() const;

    QComboBox* Swatches = nullptr;  // 8-bit
    QLineEdit* Text = nullptr;      // 16-bit

signals:
    void Changed();
};
