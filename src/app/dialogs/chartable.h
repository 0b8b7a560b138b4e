// Edit > Character Table: the font's rows of code, X and Extra, to change,
// add after the selected row, remove and sort by code, checked against what
// a font holds before they are taken.
#pragma once

#include <QDialog>
#include <QString>
#include <array>
#include <functional>
#include <vector>

#include "font/font.h"
#include "ui/userinterface.h"

class QPushButton;
class QTableWidget;

// A table's rows as the editor shows them: code, X and Extra as text.
using TTableRows = std::vector<std::array<QString, 3>>;

TTableRows RowsOf(const std::vector<TCharEntry>& Table);
// The table the rows make, with bmp2sft's limits: at most kMaxChars rows,
// codes 0 to 65535, X and Extra in 32 signed bits. Throws EFontError naming
// the first row refused and why.
std::vector<TCharEntry> TableOfRows(const TTableRows& Rows);

class TCharTableDialog final : public QDialog {
    Q_OBJECT
public:
    // Refusals are shown through UI as warning boxes; the dialog stays open.
    TCharTableDialog(const std::vector<TCharEntry>& Table, int Row, IUserInterface& UI,
                     QWidget* Parent = nullptr);

    TTableRows Rows() const;
    int CurrentRow() const;
    // The table as accepted.
    const std::vector<TCharEntry>& Accepted() const { return accepted_; }

    // A row after the selected one (at the end when none is): the selected
    // row's X and Extra with the next code.
    void AddRow();
    void RemoveRow();
    void SortByCode();
    void accept() override;

    QTableWidget* Grid = nullptr;
    QPushButton* Add = nullptr;
    QPushButton* Remove = nullptr;
    QPushButton* Sort = nullptr;

private:
    void SetRows(const TTableRows& Rows, int Current);
    // Runs Step; an EFontError it throws is shown, and false returned.
    bool Checked(const std::function<void()>& Step);

    IUserInterface& ui_;
    std::vector<TCharEntry> accepted_;
};
