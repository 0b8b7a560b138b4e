#include "dialogs/chartable.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <limits>

#include "font/editfont.h"
#include "font/tabletext.h"

static TTableRows QtRows(const std::vector<TTextRow>& Rows) {
    TTableRows rows;
    for (const TTextRow& r : Rows)
        rows.push_back({QString::fromStdString(r[0]), QString::fromStdString(r[1]),
                        QString::fromStdString(r[2])});
    return rows;
}

static TTextRow TextRow(const std::array<QString, 3>& Row) {
    return {Row[0].toStdString(), Row[1].toStdString(), Row[2].toStdString()};
}

static std::vector<TTextRow> TextRows(const TTableRows& Rows) {
    std::vector<TTextRow> rows;
    for (const auto& r : Rows) rows.push_back(TextRow(r));
    return rows;
}

TTableRows RowsOf(const std::vector<TCharEntry>& Table) { return QtRows(TextRowsOf(Table)); }

std::vector<TCharEntry> TableOfRows(const TTableRows& Rows) {
    return TableOfTextRows(TextRows(Rows));
}

TCharTableDialog::TCharTableDialog(const std::vector<TCharEntry>& Table, int Row,
                                   IUserInterface& UI, QWidget* Parent)
    : QDialog(Parent), ui_(UI), accepted_(Table) {
    setWindowTitle(QStringLiteral("Character Table"));
    Grid = new QTableWidget(0, 3, this);
    Grid->setHorizontalHeaderLabels(
        {QStringLiteral("Code"), QStringLiteral("X"), QStringLiteral("Extra")});
    Grid->setSelectionMode(QAbstractItemView::SingleSelection);
    Grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    Add = new QPushButton(QStringLiteral("&Add"), this);
    Remove = new QPushButton(QStringLiteral("&Remove"), this);
    Sort = new QPushButton(QStringLiteral("&Sort by Code"), this);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto* side = new QVBoxLayout;
    for (QPushButton* b : {Add, Remove, Sort}) {
        b->setAutoDefault(false);
        side->addWidget(b);
    }
    side->addStretch();
    auto* top = new QHBoxLayout;
    top->addWidget(Grid, 1);
    top->addLayout(side);
    auto* all = new QVBoxLayout(this);
    all->addLayout(top);
    all->addWidget(buttons);
    connect(Add, &QPushButton::clicked, this, &TCharTableDialog::AddRow);
    connect(Remove, &QPushButton::clicked, this, &TCharTableDialog::RemoveRow);
    connect(Sort, &QPushButton::clicked, this, &TCharTableDialog::SortByCode);
    connect(buttons, &QDialogButtonBox::accepted, this, &TCharTableDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &TCharTableDialog::reject);
    SetRows(RowsOf(Table), Row);
    resize(360, 420);
}

TTableRows TCharTableDialog::Rows() const {
    TTableRows rows(std::size_t(Grid->rowCount()));
    for (int r = 0; r < Grid->rowCount(); ++r)
        for (int c = 0; c < 3; ++c)
            if (const QTableWidgetItem* item = Grid->item(r, c))
                rows[std::size_t(r)][std::size_t(c)] = item->text();
    return rows;
}

int TCharTableDialog::CurrentRow() const { return Grid->currentRow(); }

void TCharTableDialog::SetRows(const TTableRows& Rows, int Current) {
    Grid->setRowCount(int(Rows.size()));
    for (int r = 0; r < int(Rows.size()); ++r)
        for (int c = 0; c < 3; ++c)
            Grid->setItem(r, c, new QTableWidgetItem(Rows[std::size_t(r)][std::size_t(c)]));
    if (!Rows.empty()) Grid->setCurrentCell(std::clamp(Current, 0, int(Rows.size()) - 1), 0);
}

bool TCharTableDialog::Checked(const std::function<void()>& Step) {
    try {
        Step();
        return true;
    } catch (const EFontError& e) {
        ui_.ShowMessage(QString::fromStdString(e.what()) + '.', TMsgKind::Warning);
        return false;
    }
}

void TCharTableDialog::AddRow() {
    Checked([this] {
        TTableRows rows = Rows();
        if (rows.size() >= kMaxChars)
            throw EFontError("A font holds at most " + std::to_string(kMaxChars) + " characters");
        const int at = rows.empty() || CurrentRow() < 0 ? int(rows.size()) : CurrentRow() + 1;
        const TTextRow previous = at > 0 ? TextRow(rows[std::size_t(at - 1)]) : TTextRow{};
        const TTextRow row = RowAfter(at > 0 ? &previous : nullptr);
        rows.insert(rows.begin() + at,
                    {QString::fromStdString(row[0]), QString::fromStdString(row[1]),
                     QString::fromStdString(row[2])});
        SetRows(rows, at);
    });
}

void TCharTableDialog::RemoveRow() {
    const int at = CurrentRow();
    if (at < 0) return;
    TTableRows rows = Rows();
    rows.erase(rows.begin() + at);
    SetRows(rows, at);
}

void TCharTableDialog::SortByCode() {
    Checked([this] { SetRows(QtRows(SortedByCode(TextRows(Rows()))), 0); });
}

void TCharTableDialog::accept() {
    if (Checked([this] { accepted_ = TableOfRows(Rows()); })) QDialog::accept();
}
