#include "dialogs/replacedialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>

#include "session/display.h"

TReplaceColorDialog::TReplaceColorDialog(TEditSession& Session, std::uint16_t From,
                                         std::uint16_t To, IUserInterface& UI, QWidget* Parent)
    : QDialog(Parent), session_(Session), ui_(UI), from_(From), to_(To) {
    setWindowTitle(QStringLiteral("Replace Colour"));
    auto* form = new QFormLayout(this);
    int k = 0;
    for (auto [edit, label, value] :
         {std::tuple{&FromEdit, "&From:", From}, {&ToEdit, "&To:", To}}) {
        auto* row = new QHBoxLayout;
        *edit = new QLineEdit(QString::fromStdString(ColorValueText(Session.Bits(), value)), this);
        swatches_[k] = new QLabel(this);
        row->addWidget(*edit, 1);
        row->addWidget(swatches_[k++]);
        form->addRow(QString::fromLatin1(label), row);
        connect(*edit, &QLineEdit::textChanged, this, &TReplaceColorDialog::Follow);
    }
    Note = new QLabel(this);
    form->addRow(Note);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &TReplaceColorDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &TReplaceColorDialog::reject);
    FromEdit->setFocus();
    FromEdit->selectAll();
    Follow();
}

std::optional<std::uint16_t> TReplaceColorDialog::ValueOf(const QLineEdit* Edit) const {
    try {
        return ColorValueOf(session_.Bits(), {}, Edit->text().trimmed().toStdString());
    } catch (const EFontError&) {
        return std::nullopt;
    }
}

void TReplaceColorDialog::Follow() {
    const std::optional<std::uint16_t> values[2] = {ValueOf(FromEdit), ValueOf(ToEdit)};
    for (int k = 0; k < 2; ++k) {
        QPixmap swatch(16, 16);
        swatch.fill(Qt::transparent);
        if (values[k]) {
            const auto rgb = session_.RgbOf(*values[k]);
            swatch.fill(QColor(rgb[0], rgb[1], rgb[2]));
        }
        swatches_[k]->setPixmap(swatch);
    }
    const std::uint64_t count =
        values[0] && values[1] && *values[0] != *values[1] ? session_.CountColor(*values[0]) : 0;
    Note->setText(QString::fromStdString(PixelsWillChangeText(count)));
}

void TReplaceColorDialog::accept() {
    try {
        from_ = ColorValueOf(session_.Bits(), "From", FromEdit->text().trimmed().toStdString());
        to_ = ColorValueOf(session_.Bits(), "To", ToEdit->text().trimmed().toStdString());
    } catch (const EFontError& e) {
        ui_.ShowMessage(QString::fromStdString(e.what()) + QLatin1Char('.'), TMsgKind::Warning);
        return;
    }
    QDialog::accept();
}
