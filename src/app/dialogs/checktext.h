// Glyph > Check Text...: a tool window beside the strip where a translation
// is typed, pasted or opened, listing the characters the font lacks under its
// code page and what can be done about each. What is missing and why is the
// session's; this shows it and hands the window the buttons' clicks.
#pragma once

#include <QDockWidget>
#include <string>
#include <vector>

#include "session/session.h"
#include "ui/userinterface.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTreeWidget;

// A character's canonical decomposition (NFD), as Qt makes it.
std::u32string Decomposed(char32_t Char);

class TCheckText final : public QDockWidget {
    Q_OBJECT
public:
    TCheckText(const TEditSession& Session, IUserInterface& UI, QWidget* Parent);

    QPlainTextEdit* Text = nullptr;
    QPushButton* OpenText = nullptr;
    QLabel* Summary = nullptr;  // "N of M characters are missing."
    QTreeWidget* Missing = nullptr;
    QPushButton* Build = nullptr;
    QPushButton* AddOutline = nullptr;
    TFileDialog TextOpen{.Title = QStringLiteral("Open Text"),
                         .Filter = QStringLiteral("Texts (TXT, PO)|*.txt *.po *.pot|All files|*")};

    // The font, its pixels or its code page changed: the list follows.
    void Refresh();
    // Open Text...: a file's text in the box, read by the core.
    void OpenFile(const QString& Path);
    // What Build Accented builds, and the codes left to add.
    std::vector<TAccentRequest> Buildable() const;
    std::vector<std::uint16_t> ToAdd() const;

signals:
    void BuildClicked();
    void AddClicked();
    // A character of the text clicked.
    void CharClicked(char32_t Char);

protected:
    // A click on a character of the text.
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    const TEditSession& session_;
    IUserInterface& ui_;
    TTextCheck check_;
};
