// Glyph > Insert Character... and Set Width...: numbers typed in decimal,
// each refused with a message while it is not a whole number within its
// range, never clamped or cut; then the command's own check.
#pragma once

#include <QDialog>
#include <QString>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "ui/userinterface.h"

class QLineEdit;

class TNumberDialog final : public QDialog {
    Q_OBJECT
public:
    TNumberDialog(const QString& Title, std::vector<TNumberField> Fields, TNumberCheck Check,
                  IUserInterface& UI, QWidget* Parent = nullptr);
    // The values once accepted.
    const std::vector<std::int64_t>& Values() const { return values_; }
    std::vector<QLineEdit*> Edits;

    void accept() override;

private:
    std::vector<TNumberField> fields_;
    TNumberCheck check_;
    IUserInterface& ui_;
    std::vector<std::int64_t> values_;
};
