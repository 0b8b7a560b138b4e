#include "chartable.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <limits>

#include "editfont.h"

TTableRows RowsOf(const std::vector<TCharEntry>& Table) {
    TTableRows rows;
    for (const TCharEntry& e : Table)
        rows.push_back({QString::number(e.Code), QString::number(e.X), QString::number(e.Extra)});
    return rows;
}

std::vector<TCharEntry> TableOfRows(const TTableRows& Rows) {
    if (Rows.size() > kMaxChars)
        throw EFontError("The table has " + std::to_string(Rows.size()) +
                         " rows; a font holds at most " + std::to_string(kMaxChars));
    constexpr qlonglong kMin = std::numeric_limits<std::int32_t>::min();
    constexpr qlonglong kMax = std::numeric_limits<std::int32_t>::max();
    const char* const names[] = {"the code", "X", "Extra"};
    std::vector<TCharEntry> table;
    for (std::size_t r = 0; r < Rows.size(); ++r) {
        qlonglong v[3];
        for (int c = 0; c < 3; ++c) {
            const qlonglong lo = c == 0 ? 0 : kMin, hi = c == 0 ? 65535 : kMax;
            bool ok = false;
            v[c] = Rows[r][std::size_t(c)].trimmed().toLongLong(&ok);
            if (!ok || v[c] < lo || v[c] > hi)
                throw EFontError("Row " + std::to_string(r + 1) + ": " + names[c] + " \"" +
                                 Rows[r][std::size_t(c)].toStdString() +
                                 "\" is not a whole number from " + std::to_string(lo) + " to " +
                                 std::to_string(hi));
        }
        table.push_back({std::uint16_t(v[0]), std::int32_t(v[1]), std::int32_t(v[2])});
    }
    return table;
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
        std::array<QString, 3> row{QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0")};
        if (at > 0) {
            row = rows[std::size_t(at - 1)];
            bool ok = false;
            const int code = row[0].trimmed().toInt(&ok);
            if (ok && code >= 0 && code < 65535) row[0] = QString::number(code + 1);
        }
        rows.insert(rows.begin() + at, row);
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
    Checked([this] {
        std::vector<TCharEntry> table = TableOfRows(Rows());
        std::stable_sort(table.begin(), table.end(),
                         [](const TCharEntry& a, const TCharEntry& b) { return a.Code < b.Code; });
        SetRows(RowsOf(table), 0);
    });
}

void TCharTableDialog::accept() {
    if (Checked([this] { accepted_ = TableOfRows(Rows()); })) QDialog::accept();
}
