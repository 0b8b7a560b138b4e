#include "dialogs/guidedialogs.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "session/display.h"

namespace {

QString Rows(std::optional<std::int32_t> Row) { return Row ? QString::number(*Row) : QString(); }

}  // namespace

TGuidesDialog::TGuidesDialog(const TGuideRows& Rows, std::int32_t Height, IUserInterface& UI,
                             QWidget* Parent)
    : QDialog(Parent), height_(Height), ui_(UI) {
    setWindowTitle(QStringLiteral("Guides"));
    auto* form = new QFormLayout(this);
    const std::array<std::optional<std::int32_t>, 3> rows = {Rows.Cap, Rows.X, Rows.Base};
    for (std::size_t k = 0; k < Edits.size(); ++k) {
        Edits[k] = new QLineEdit(::Rows(rows[k]), this);
        form->addRow(QLatin1Char('&') + QString::fromLatin1(kGuideLabels[k]), Edits[k]);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    ResetButton = buttons->addButton(QStringLiteral("&Reset"), QDialogButtonBox::ResetRole);
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &TGuidesDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &TGuidesDialog::reject);
    connect(ResetButton, &QPushButton::clicked, this, [this] {
        answer_ = TGuidesAnswer::Reset;
        QDialog::accept();
    });
    Edits[0]->setFocus();
    Edits[0]->selectAll();
}

void TGuidesDialog::accept() {
    std::array<std::optional<std::int32_t>, 3> rows;
    for (std::size_t k = 0; k < Edits.size(); ++k) {
        try {
            rows[k] = GuideRowOf(int(k), Edits[k]->text().toStdString(), height_);
        } catch (const EFontError& e) {
            ui_.ShowMessage(QString::fromStdString(e.what()) + QLatin1Char('.'), TMsgKind::Warning);
            Edits[k]->setFocus();
            return;
        }
    }
    rows_ = {rows[0], rows[1], rows[2]};
    answer_ = TGuidesAnswer::Set;
    QDialog::accept();
}

TReferenceDialog::TReferenceDialog(const TReferenceChoice& Choice, IUserInterface& UI,
                                   QWidget* Parent)
    : QDialog(Parent), ui_(UI) {
    setWindowTitle(QStringLiteral("Reference Glyph"));
    auto* form = new QFormLayout(this);
    Text = new QLineEdit(Choice.Text, this);
    form->addRow(QLatin1Char('&') + QString::fromLatin1(kGoToLabel), Text);
    ThisFont = new QRadioButton(QLatin1Char('&') + QString::fromLatin1(kReferenceThisFont), this);
    OtherFont = new QRadioButton(QLatin1Char('&') + QString::fromLatin1(kReferenceOtherFont), this);
    FontFile = new QLineEdit(Choice.Font, this);
    auto* browse = new QPushButton(QStringLiteral("&Browse..."), this);
    form->addRow(ThisFont);
    auto* other = new QHBoxLayout;
    other->addWidget(OtherFont);
    other->addWidget(FontFile, 1);
    other->addWidget(browse);
    form->addRow(other);
    (Choice.Font.isEmpty() ? ThisFont : OtherFont)->setChecked(true);
    connect(FontFile, &QLineEdit::textEdited, this, [this] { OtherFont->setChecked(true); });
    connect(browse, &QPushButton::clicked, this, [this] {
        Browse.FileName = FontFile->text();
        if (!ui_.Execute(Browse)) return;
        FontFile->setText(Browse.FileName);
        OtherFont->setChecked(true);
    });
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    NoneButton = buttons->addButton(QStringLiteral("&None"), QDialogButtonBox::ResetRole);
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &TReferenceDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &TReferenceDialog::reject);
    connect(NoneButton, &QPushButton::clicked, this, [this] {
        answer_ = TReferenceAnswer::None;
        QDialog::accept();
    });
    Text->setFocus();
    Text->selectAll();
}

TReferenceChoice TReferenceDialog::Choice() const {
    return {Text->text().trimmed(), OtherFont->isChecked() ? FontFile->text() : QString()};
}

void TReferenceDialog::accept() {
    if (OtherFont->isChecked() && FontFile->text().isEmpty()) {
        ui_.ShowMessage(QString::fromLatin1(kReferenceNoFile), TMsgKind::Warning);
        FontFile->setFocus();
        return;
    }
    answer_ = TReferenceAnswer::Set;
    QDialog::accept();
}
