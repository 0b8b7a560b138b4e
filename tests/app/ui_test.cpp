// The real boxes and dialogs: captions, icons, buttons, filters and what the
// dialogs remember.
#include <gtest/gtest.h>
#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <functional>

#include "../core/testfiles.h"
#include "about.h"
#include "chartable.h"
#include "fakeui.h"
#include "mainwin.h"
#include "messages.h"

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

TEST(MessageBoxes, CaptionIconAndOneButtonThatEscCloses) {
    TQtUserInterface ui(nullptr, nullptr);
    const std::vector<std::tuple<std::function<void()>, const char*, QMessageBox::Icon>> cases = {
        {[&] { ui.ShowMessage("text", TMsgKind::Warning); }, "Warning", QMessageBox::Warning},
        {[&] { ui.ShowMessage("text", TMsgKind::Error); }, "Error", QMessageBox::Critical},
        {[&] { ui.ShowStandardError("text"); }, "Quillmere", QMessageBox::Critical},
    };
    for (const auto& [show, caption, icon] : cases) {
        bool seen = false;
        WhenShown<QMessageBox>([&](QMessageBox* box) {
            seen = box->windowTitle() == caption && box->text() == "text" && box->icon() == icon &&
                   box->buttons().size() == 1 && box->buttons()[0]->text() == "OK" &&
                   box->defaultButton() == box->buttons()[0];
            QTest::keyClick(box, Qt::Key_Escape);
        });
        show();  // returns once the box is closed
        EXPECT_TRUE(seen) << caption;
    }
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
    d.Grid->setCurrentCell(1, 0);
    d.RemoveRow();
    d.accept();
    EXPECT_EQ(d.Accepted(), (std::vector<TCharEntry>{{65, 9, -1}, {67, 4, 0}}));
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

// Both windows are placed as their forms lay them out for a text height of 13
// pixels, scaled to the real one.
TEST(Layout, FollowsTheFormsAtTheScreensTextHeight) {
    FakeUI user;  // whatever the default palette, the window is laid out
    TMainWindow w(user);
    w.show();
    TAboutWin about;
    const double f = LayoutFactor(w.font());
    const auto S = [f](int x, int y, int width, int height) {
        return QRect(int(std::lround(x * f)), int(std::lround(y * f)), int(std::lround(width * f)),
                     int(std::lround(height * f)));
    };
    const auto label = [](const QLabel* l) { return QRect(l->x(), l->y(), 0, l->height()); };
    const std::vector<std::pair<QRect, QRect>> cases = {
        {QRect(w.pos(), w.size()), S(201, 117, 312, 213)},
        {QRect(w.Panel1->x(), w.Panel1->y(), w.Panel1->width(), 0), S(0, 0, 128, 0)},
        {label(w.Label1), S(24, 8, 0, 13)},
        {w.SFTInfo->geometry(), S(24, 24, 80, 32)},
        {label(w.Label3), S(24, 72, 0, 13)},
        {w.ASCIIList->geometry(), S(24, 88, 80, 80)},
        {QRect(about.pos(), about.size()), S(200, 112, 232, 153)},
        {label(about.Label1), S(72, 24, 0, 13)},
        {label(about.Label2), S(56, 48, 0, 13)},
        {about.BitBtn1->geometry(), S(80, 104, 75, 25)},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) EXPECT_EQ(cases[i].first, cases[i].second) << i;
    // The left panel stands out with a sunken edge inside; the view's panel is sunken.
    const QRgb light = w.palette().color(QPalette::Light).rgb(),
               dark = w.palette().color(QPalette::Dark).rgb();
    const QImage left = w.Panel1->grab().toImage(), right = w.Panel2->grab().toImage();
    EXPECT_EQ(std::make_tuple(left.pixel(0, 0), left.pixel(1, 1), right.pixel(0, 0)),
              std::make_tuple(light, dark, dark));
}

}  // namespace
