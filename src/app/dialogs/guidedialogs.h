// View > Guides... and View > Reference Glyph...: what the user types is
// checked by the core's rules before the dialog closes on OK.
#pragma once

#include <QDialog>
#include <array>

#include "ui/userinterface.h"

class QLineEdit;
class QRadioButton;

// Cap height, x-height and Baseline, each empty or a row within the strip's
// height; OK, Reset and Cancel.
class TGuidesDialog final : public QDialog {
    Q_OBJECT
public:
    TGuidesDialog(const TGuideRows& Rows, std::int32_t Height, IUserInterface& UI,
                  QWidget* Parent = nullptr);
    TGuidesAnswer Answer() const { return answer_; }
    // The rows typed, once accepted.
    const TGuideRows& Rows() const { return rows_; }

    std::array<QLineEdit*, 3> Edits{};
    QPushButton* ResetButton = nullptr;

    void accept() override;

private:
    std::int32_t height_;
    IUserInterface& ui_;
    TGuideRows rows_;
    TGuidesAnswer answer_ = TGuidesAnswer::Cancel;
};

// Character, and this font or another font file chosen with Browse...; OK,
// None and Cancel.
class TReferenceDialog final : public QDialog {
    Q_OBJECT
public:
    TReferenceDialog(const TReferenceChoice& Choice, IUserInterface& UI, QWidget* Parent = nullptr);
    TReferenceAnswer Answer() const { return answer_; }
    TReferenceChoice Choice() const;

    QLineEdit* Text = nullptr;
    QRadioButton* ThisFont = nullptr;
    QRadioButton* OtherFont = nullptr;
    QLineEdit* FontFile = nullptr;
    QPushButton* NoneButton = nullptr;
    TFileDialog Browse{.Title = QStringLiteral("Reference Font"),
                       .Filter = QStringLiteral("Tarvenholt font files|*.SFT"),
                       .DefaultExt = QStringLiteral("SFT")};

    void accept() override;

private:
    IUserInterface& ui_;
    TReferenceAnswer answer_ = TReferenceAnswer::Cancel;
};
