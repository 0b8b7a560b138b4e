// Edit > Replace Colour...: From and To as the font's depth writes them,
// each with its swatch, and how many pixels of the selected glyphs the values
// in the fields would change.
#pragma once

#include <QDialog>
#include <cstdint>
#include <optional>

#include "session/session.h"
#include "ui/userinterface.h"

class QLabel;
class QLineEdit;

class TReplaceColorDialog final : public QDialog {
    Q_OBJECT
public:
    TReplaceColorDialog(TEditSession& Session, std::uint16_t From, std::uint16_t To,
                        IUserInterface& UI, QWidget* Parent = nullptr);
    std::uint16_t From() const { return from_; }
    std::uint16_t To() const { return to_; }

    QLineEdit* FromEdit = nullptr;
    QLineEdit* ToEdit = nullptr;
    QLabel* Note = nullptr;

    void accept() override;

private:
    // The values in the fields: their swatches and the count follow them.
    void Follow();
    std::optional<std::uint16_t> ValueOf(const QLineEdit* Edit) const;

    TEditSession& session_;
    IUserInterface& ui_;
    QLabel* swatches_[2] = {};
    std::uint16_t from_, to_;
};
