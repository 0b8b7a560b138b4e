// The real dialogs: the table editor, and the file dialogs' filters and what
// they remember.
#include <gtest/gtest.h>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <functional>

#include "../core/testfiles.h"
#include "dialogs/chartable.h"
#include "dialogs/numberdialog.h"
#include "dialogs/qtui.h"
#include "fakeui.h"

namespace {

// Runs Inspect on the modal window once it is up; Inspect must close it.
template <class T>
void WhenShown(std::function<void(T*)> Inspect) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, Inspect] {
        if (auto* w = qobject_cast<T*>(QApplication::activeModalWidget()); w && w->isVisible()) {
            timer->stop();
            timer->deleteLater();
            Inspect(w);
            // A failed check must not leave the test waiting on the window.
            if (w->isVisible()) w->close();
        }
    });
    timer->start();
}

// The table editor: rows added after the selected one, removed and sorted;
// what a font can't hold is refused with the row and the reason.
TEST(CharacterTable, EditsRowsWithinWhatAFontHolds) {
    FakeUI user;
    TCharTableDialog d({{66, 4, 0}, {65, 0, -1}}, 0, user);
    d.AddRow();
    d.Grid->item(2, 1)->setText(" 9");
    d.SortByCode();
    EXPECT_EQ(d.Rows(), (TTableRows{{"65", "9", "-1"}, {"66", "4", "0"}, {"67", "4", "0"}}));
    d.Grid->setCurrentCell(0, 0);
    d.RemoveRow();
    d.accept();
    EXPECT_EQ(d.Accepted(), (std::vector<TCharEntry>{{66, 4, 0}, {67, 4, 0}}));
    const std::string n = "\" is not a whole number from ", i32 = "-2147483648 to 2147483647.";
    for (const auto& [column, text, why] : std::vector<std::tuple<int, QString, std::string>>{
             {0, "65536", "Row 2: the code \"65536" + n + "0 to 65535."},
             {1, "1.5", "Row 2: X \"1.5" + n + i32},
             {2, "-2147483649", "Row 2: Extra \"-2147483649" + n + i32}}) {
        TCharTableDialog e({{65, 0, 0}, {66, 0, 0}}, 1, user);
        e.Grid->item(1, column)->setText(text);
        e.accept(), e.SortByCode();
        EXPECT_EQ(std::make_pair(e.result(), std::exchange(user.boxes, {})),
                  std::make_pair(0, std::vector<Box>(2, {"Warning", why})));
    }
    while (d.Grid->rowCount() < 256) d.AddRow();
    d.AddRow();
    EXPECT_EQ(user.boxes, (std::vector<Box>{{"Warning", "A font holds at most 256 characters."}}));
    d.accept();  // all 256 are taken
    EXPECT_EQ(d.Accepted().size(), 256u);
}

// Insert Character's fields: typed in decimal, the code focused first, Tab to
// the width, Enter for OK; what is out of range is refused, never cut.
TEST(NumberDialog, RefusesWhatIsOutOfRangeAndTheCommandsRefusals) {
    FakeUI user;
    TNumberDialog d(
        QStringLiteral("Insert Character"),
        {{"&Code:", "The code", 0, 65535, ""}, {"&Width:", "The width", 1, 99, "4"}},
        [](const auto& v) { return v[0] == 65 ? "code 65 is in the table already" : ""; }, user);
    d.show();
    QApplication::setActiveWindow(&d);
    for (const auto& [code, box] : std::vector<std::pair<const char*, std::string>>{
             {"65536", "The code must be a whole number from 0 to 65535."},
             {"65", "Code 65 is in the table already."}}) {
        QTest::keyClicks(QApplication::focusWidget(), code);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        EXPECT_EQ(std::make_tuple(d.Edits[0]->text(), d.result(), std::exchange(user.boxes, {})),
                  std::make_tuple(QString(code), 0, std::vector<Box>{{"Warning", box}}));
        d.Edits[0]->clear();
    }
    QTest::keyClicks(d.Edits[0], "66");
    QTest::keyClick(d.Edits[0], Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), d.Edits[1]);
    QTest::keyClicks(d.Edits[1], "40");  // over the "4" that Tab selected
    QTest::keyClick(d.Edits[1], Qt::Key_Return);
    EXPECT_EQ(std::make_pair(d.result(), d.Values()),
              std::make_pair(int(QDialog::Accepted), std::vector<std::int64_t>{66, 40}));
}

TEST(FileDialogs, SettingsAndRememberedNameAndType) {
    TFileDialog odd;  // a text without its pattern is left out
    odd.Filter = "a|*.A|b";
    EXPECT_EQ(std::make_pair(odd.Texts(), odd.Patterns()),
              std::make_pair(QStringList{"a"}, QStringList{"*.A"}));
    TempDir dir;
    WriteFile(dir.Path("pal.bm"), {1});
    TFileDialog open;
    open.Title = "Load Palette";
    open.Filter = "Load palette from CMP file|*.CMP|Load palette from BM|*.BM";
    open.DefaultExt = "CMP";
    open.FilterIndex = 3;  // no such type: the first is offered
    TQtUserInterface ui(nullptr, nullptr);

    WhenShown<QFileDialog>([&](QFileDialog* d) {
        EXPECT_EQ(d->nameFilters(), QStringList({"Load palette from CMP file (*.CMP)",
                                                 "Load palette from BM (*.BM)"}));
        EXPECT_EQ(d->selectedNameFilter(), "Load palette from CMP file");
        EXPECT_FALSE(d->filter() & QDir::CaseSensitive);
        d->selectNameFilter(d->nameFilters()[1]);
        d->findChild<QLineEdit*>("fileNameEdit")
            ->setText(QString::fromStdString(dir.Path("pal.bm")));
        static_cast<QDialog*>(d)->accept();
    });
    ASSERT_TRUE(ui.Execute(open));
    EXPECT_EQ(open.FileName.toStdString(), dir.Path("pal.bm"));
    EXPECT_EQ(open.FilterIndex, 2);

    // The next run starts from them; a cancel keeps them.
    WhenShown<QFileDialog>([&](QFileDialog* d) {
        EXPECT_EQ(d->selectedNameFilter(), "Load palette from BM");
        EXPECT_EQ(d->selectedFiles().value(0).toStdString(), dir.Path("pal.bm"));
        d->reject();
    });
    EXPECT_FALSE(ui.Execute(open));
    EXPECT_EQ(open.FileName.toStdString(), dir.Path("pal.bm"));
    EXPECT_EQ(open.FilterIndex, 2);
}

}  // namespace
