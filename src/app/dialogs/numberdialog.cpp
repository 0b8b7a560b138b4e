#include "dialogs/numberdialog.h"

#include "session/display.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>

TNumberDialog::TNumberDialog(const QString& Title, std::vector<TNumberField> Fields,
                             TNumberCheck Check, IUserInterface& UI, QWidget* Parent)
    : QDialog(Parent), fields_(std::move(Fields)), check_(std::move(Check)), ui_(UI) {
    setWindowTitle(Title);
    auto* form = new QFormLayout(this);
    for (const TNumberField& f : fields_) {
        auto* edit = new QLineEdit(f.Text, this);
        form->addRow(f.Label, edit);
        Edits.push_back(edit);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &TNumberDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &TNumberDialog::reject);
    Edits.front()->setFocus();
    Edits.front()->selectAll();
}

void TNumberDialog::accept() {
    std::vector<std::int64_t> values;
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        const TNumberField& f = fields_[i];
        bool ok = false;
        const qlonglong v = Edits[i]->text().trimmed().toLongLong(&ok, 10);
        if (!ok || v < f.Min || v > f.Max) {
            ui_.ShowMessage(
                QString::fromStdString(WholeNumberText(f.Name.toStdString(), f.Min, f.Max)),
                TMsgKind::Warning);
            Edits[i]->setFocus();
            return;
        }
        values.push_back(v);
    }
    if (const std::string why = check_(values); !why.empty()) {
        QString text = QString::fromStdString(why);
        text[0] = text[0].toUpper();
        ui_.ShowMessage(text + '.', TMsgKind::Warning);
        return;
    }
    values_ = std::move(values);
    QDialog::accept();
}
