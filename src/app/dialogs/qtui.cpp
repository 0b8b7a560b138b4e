#include "dialogs/qtui.h"

#include <QInputDialog>
#include <QLineEdit>

#include "dialogs/replacedialog.h"

#include <QColorDialog>
#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <algorithm>
#include <vector>

#include "dialogs/chartable.h"
#include "dialogs/guidedialogs.h"
#include "dialogs/numberdialog.h"
#include "dialogs/outlinedialog.h"

namespace {

// One OK button that Enter, Esc and the close box all press.
void RunBox(QWidget* Parent, const QString& Caption, const QString& Text, QMessageBox::Icon Icon) {
    QMessageBox box(Icon, Caption, Text, QMessageBox::Ok, Parent);
    box.setDefaultButton(QMessageBox::Ok);
    box.setEscapeButton(QMessageBox::Ok);
    box.exec();
}

}  // namespace

bool TQtUserInterface::Execute(TFileDialog& Dialog) {
    QFileDialog dialog(parent_, Dialog.Title);
    // Qt's own dialog works the same on every desktop, portal or not.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setAcceptMode(Dialog.Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(Dialog.Save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(Dialog.DefaultExt);

    // Qt shows "text (pattern)"; with the details hidden the user sees the text.
    const QStringList texts = Dialog.Texts();
    const QStringList patterns = Dialog.Patterns();
    QStringList filters;
    for (qsizetype i = 0; i < texts.size(); ++i) filters << texts[i] + " (" + patterns[i] + ')';
    dialog.setNameFilters(filters);
    // Windows matches patterns in any letter case; so does the dialog's model
    // unless told otherwise, and the filter makes sure of it.
    dialog.setFilter(dialog.filter() & ~QDir::CaseSensitive);
    const int index =
        Dialog.FilterIndex >= 1 && Dialog.FilterIndex <= filters.size() ? Dialog.FilterIndex : 1;
    if (!filters.isEmpty()) dialog.selectNameFilter(filters[index - 1]);

    if (!Dialog.FileName.isEmpty()) {
        const QFileInfo info(Dialog.FileName);
        if (Dialog.FileName.contains('/')) dialog.setDirectory(info.absolutePath());
        dialog.selectFile(info.fileName());
    }

    if (dialog.exec() != QDialog::Accepted) return false;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty()) return false;
    Dialog.FileName = chosen.first();
    // With the details hidden the dialog reports the bare text.
    const QString chosenFilter = dialog.selectedNameFilter();
    Dialog.FilterIndex = 1;
    for (qsizetype i = 0; i < filters.size(); ++i)
        if (chosenFilter == filters[i] || chosenFilter == texts[i]) Dialog.FilterIndex = int(i) + 1;
    return true;
}

void TQtUserInterface::ShowMessage(const QString& Text, TMsgKind Kind) {
    if (Kind == TMsgKind::Warning)
        RunBox(parent_, QStringLiteral("Warning"), Text, QMessageBox::Warning);
    else
        RunBox(parent_, QStringLiteral("Error"), Text, QMessageBox::Critical);
}

void TQtUserInterface::ShowStandardError(const QString& Text) {
    RunBox(parent_, QString::fromLatin1(kAppTitle), Text, QMessageBox::Critical);
}

void TQtUserInterface::ShowAbout() {
    if (auto* dialog = qobject_cast<QDialog*>(about_)) dialog->exec();
}

bool TQtUserInterface::AskYesNo(const QString& Text) {
    return QMessageBox::question(parent_, QString::fromLatin1(kAppTitle), Text,
                                 QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}

TSaveAnswer TQtUserInterface::AskSave(const QString& Text) {
    QMessageBox box(QMessageBox::Warning, QString::fromLatin1(kAppTitle), Text,
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, parent_);
    box.setDefaultButton(QMessageBox::Save);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
        case QMessageBox::Save:
            return TSaveAnswer::Save;
        case QMessageBox::Discard:
            return TSaveAnswer::Discard;
        default:
            return TSaveAnswer::Cancel;
    }
}

int TQtUserInterface::AskChoice(const QString& Text, const QStringList& Buttons) {
    QMessageBox box(QMessageBox::Question, QString::fromLatin1(kAppTitle), Text,
                    QMessageBox::NoButton, parent_);
    std::vector<QPushButton*> buttons;
    for (const QString& b : Buttons) buttons.push_back(box.addButton(b, QMessageBox::ActionRole));
    if (buttons.empty()) return -1;
    box.setDefaultButton(buttons.front());
    box.setEscapeButton(buttons.back());
    box.exec();
    const auto at = std::find(buttons.begin(), buttons.end(), box.clickedButton());
    return at == buttons.end() ? int(buttons.size()) - 1 : int(at - buttons.begin());
}

bool TQtUserInterface::MakeOutlineFont(const TEditedFont& Font, const TPalette& Palette,
                                       const TGuideRows& Guides, TOutlineStrip& Strip,
                                       const TOutlineAdd* Add) {
    std::optional<TOutlineStrip> made = AskOutlineFont(parent_, Font, Palette, *this, Add, Guides);
    if (made) Strip = std::move(*made);
    return made.has_value();
}

bool TQtUserInterface::EditTable(std::vector<TCharEntry>& Table, int Row) {
    TCharTableDialog dialog(Table, Row, *this, parent_);
    if (dialog.exec() != QDialog::Accepted) return false;
    Table = dialog.Accepted();
    return true;
}

bool TQtUserInterface::ChooseColor(QColor& Color, const QString& Title) {
    const QColor chosen = QColorDialog::getColor(Color, parent_, Title);
    if (!chosen.isValid()) return false;
    Color = chosen;
    return true;
}

bool TQtUserInterface::AskNumbers(const QString& Title, const std::vector<TNumberField>& Fields,
                                  const TNumberCheck& Check, std::vector<std::int64_t>& Values) {
    TNumberDialog dialog(Title, Fields, Check, *this, parent_);
    if (dialog.exec() != QDialog::Accepted) return false;
    Values = dialog.Values();
    return true;
}

bool TQtUserInterface::AskText(const QString& Title, const QString& Label, QString& Text) {
    bool ok = false;
    const QString text = QInputDialog::getText(parent_, Title, Label, QLineEdit::Normal, Text, &ok);
    if (ok) Text = text;
    return ok;
}

bool TQtUserInterface::AskReplaceColor(TEditSession& Session, std::uint16_t& From,
                                       std::uint16_t& To) {
    TReplaceColorDialog dialog(Session, From, To, *this, parent_);
    if (dialog.exec() != QDialog::Accepted) return false;
    From = dialog.From(), To = dialog.To();
    return true;
}

TGuidesAnswer TQtUserInterface::AskGuides(TGuideRows& Rows, std::int32_t Height) {
    TGuidesDialog dialog(Rows, Height, *this, parent_);
    dialog.exec();
    if (dialog.Answer() == TGuidesAnswer::Set) Rows = dialog.Rows();
    return dialog.Answer();
}

TReferenceAnswer TQtUserInterface::AskReference(TReferenceChoice& Choice) {
    TReferenceDialog dialog(Choice, *this, parent_);
    dialog.exec();
    if (dialog.Answer() == TReferenceAnswer::Set) Choice = dialog.Choice();
    return dialog.Answer();
}
