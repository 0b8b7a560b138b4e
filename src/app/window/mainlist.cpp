// The main window's character list: it shows the session's selection and
// hands the session its clicks and keys.
#include <QListWidget>
#include <QMouseEvent>
#include <QSignalBlocker>

#include "views/drawingaids.h"
#include "views/scrollbox.h"
#include "window/mainwin.h"

void TMainWindow::ConnectList() {
    // Keys move through the list and select in it (Shift+arrows); its clicks
    // are the session's (eventFilter).
    connect(ASCIIList, &QListWidget::itemSelectionChanged, this, [this] {
        std::vector<int> rows;
        for (const QModelIndex& i : ASCIIList->selectionModel()->selectedIndexes())
            rows.push_back(i.row());
        Session_.Select(std::move(rows), ASCIIList->currentRow());
        ShowSelection(false);
        UpdateCommands();
    });
    connect(ASCIIList, &QListWidget::currentRowChanged, this,
            [this] { Guarded([this] { ASCIIListClick(); }); });
    ASCIIList->viewport()->installEventFilter(this);
}

void TMainWindow::ShowSelection(bool Scroll) {
    {
        const QSignalBlocker quiet(ASCIIList);
        const int current = Session_.CurrentRow();
        // The current row is the list's current item, selected or not.
        ASCIIList->clearSelection();
        ASCIIList->setCurrentRow(current, QItemSelectionModel::NoUpdate);
        for (int row : Session_.Selection())
            if (QListWidgetItem* item = ASCIIList->item(row)) item->setSelected(true);
    }
    ScrollBox->SetGlyphs(Session_.Glyphs(), Session_.SelectedGlyphs());
    const std::vector<TCharEntry>& table = Session_.Font().Table();
    const int row = Session_.CurrentRow();
    if (Scroll && row >= 0 && row < int(table.size()))
        ScrollBox->ScrollToStripX(table[std::size_t(row)].X);
    Aids->Follow();
}

void TMainWindow::ShowCharacters() {
    const QSignalBlocker quiet(ASCIIList);
    ASCIIList->clear();
    for (const TCharEntry& e : Session_.Font().Table()) {
        auto* item = new QListWidgetItem(QString::number(e.Code), ASCIIList);
        if (const std::optional<char32_t> c = ShownCharOf(e.Code, Session_.CodePage()))
            item->setToolTip(
                QString::fromUcs4(&*c, 1) +
                QStringLiteral("  U+%1").arg(uint(*c), 4, 16, QLatin1Char('0')).toUpper());
    }
}

void TMainWindow::ASCIIListClick() {
    const int row = ASCIIList->currentRow();
    const std::vector<TCharEntry>& table = Session_.Font().Table();
    if (row < 0 || row >= int(table.size())) return;
    // The list's own selection (the keys') was taken already; a row made
    // current otherwise goes alone.
    if (row != Session_.CurrentRow()) Session_.Select({row}, row);
    ShowSelection(true);
    UpdateCommands();
}

bool TMainWindow::eventFilter(QObject* Watched, QEvent* Event) {
    if (Event->type() != QEvent::MouseButtonPress && Event->type() != QEvent::MouseButtonDblClick)
        return QMainWindow::eventFilter(Watched, Event);
    const auto* press = static_cast<QMouseEvent*>(Event);
    const int row = ASCIIList->row(ASCIIList->itemAt(press->position().toPoint()));
    if (press->button() != Qt::LeftButton || row < 0) return true;
    const Qt::KeyboardModifiers keys = press->modifiers();
    ASCIIList->setFocus(Qt::MouseFocusReason);
    Session_.Click(row, keys & Qt::ControlModifier, keys & Qt::ShiftModifier);
    ShowSelection(true);
    UpdateCommands();
    return true;
}
