// The real boxes and dialogs: captions, icons, buttons, filters and what the
// dialogs remember.
#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

#include "../core/testfiles.h"
#include "fakeui.h"
#include "about.h"
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
    struct Case {
        std::function<void()> show;
        const char* caption;
        QMessageBox::Icon icon;
        const char* text;
    };
    const std::vector<Case> cases = {
        {[&] { ui.ShowMessage("Invalid SFT file!", TMsgKind::Warning); }, "Warning", QMessageBox::Warning,
         "Invalid SFT file!"},
        {[&] { ui.ShowMessage("Error loading Palette!", TMsgKind::Error); }, "Error", QMessageBox::Critical,
         "Error loading Palette!"},
        {[&] { ui.ShowStandardError("Out of memory."); }, "Quillmere", QMessageBox::Critical, "Out of memory."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.caption);
        bool seen = false;
        WhenShown<QMessageBox>([&](QMessageBox* box) {
            seen = true;
            EXPECT_EQ(box->windowTitle(), c.caption);
            EXPECT_EQ(box->text(), c.text);
            EXPECT_EQ(box->icon(), c.icon);
            ASSERT_EQ(box->buttons().size(), 1);
            EXPECT_EQ(box->buttons()[0]->text(), "OK");
            EXPECT_EQ(box->defaultButton(), box->buttons()[0]);
            EXPECT_EQ(box->escapeButton(), box->buttons()[0]);
            QTest::keyClick(box, Qt::Key_Escape);
        });
        c.show();  // returns once the box is closed
        EXPECT_TRUE(seen);
    }
}

TEST(StandardErrorText, ErrorTextWithAFullStop) {
    EXPECT_EQ(StandardErrorText(std::make_exception_ptr(std::bad_alloc())), "Out of memory.");
    EXPECT_EQ(StandardErrorText(std::make_exception_ptr(EToolkitError(CannotCreateFile("/a/b.BMP")))),
              "Cannot create file /a/b.BMP.");
}

TEST(FileDialogs, SettingsAndRememberedNameAndType) {
    TempDir dir;
    WriteFile(dir.Path("main.sft"), {1});
    WriteFile(dir.Path("pal.bm"), {1});
    TFileDialog open;
    open.Title = "Load Palette";
    open.Filter = "Load palette from CMP file|*.CMP|Load palette from BM|*.BM";
    open.DefaultExt = "CMP";
    TQtUserInterface ui(nullptr, nullptr);

    WhenShown<QFileDialog>([&](QFileDialog* d) {
        EXPECT_EQ(d->windowTitle(), "Load Palette");
        EXPECT_TRUE(d->testOption(QFileDialog::DontUseNativeDialog));
        EXPECT_EQ(d->fileMode(), QFileDialog::ExistingFile);
        EXPECT_EQ(d->acceptMode(), QFileDialog::AcceptOpen);
        EXPECT_EQ(d->defaultSuffix(), "CMP");
        EXPECT_EQ(d->nameFilters(),
                  QStringList({"Load palette from CMP file (*.CMP)", "Load palette from BM (*.BM)"}));
        EXPECT_EQ(d->selectedNameFilter(), "Load palette from CMP file");
        EXPECT_FALSE(d->filter() & QDir::CaseSensitive);
        d->selectNameFilter(d->nameFilters()[1]);
        d->findChild<QLineEdit*>("fileNameEdit")->setText(QString::fromStdString(dir.Path("pal.bm")));
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

    TFileDialog save;
    save.Title = "Save BMP";
    save.Filter = "Windows BMP files|*.BMP";
    save.DefaultExt = "BMP";
    save.Save = true;
    save.FileName = QString::fromStdString(dir.Path("x.BMP"));
    WhenShown<QFileDialog>([&](QFileDialog* d) {
        EXPECT_EQ(d->acceptMode(), QFileDialog::AcceptSave);
        EXPECT_FALSE(d->testOption(QFileDialog::DontConfirmOverwrite));
        EXPECT_EQ(d->defaultSuffix(), "BMP");
        EXPECT_EQ(d->nameFilters(), QStringList({"Windows BMP files (*.BMP)"}));
        auto* name = d->findChild<QLineEdit*>("fileNameEdit");
        ASSERT_NE(name, nullptr);
        EXPECT_EQ(name->text(), "x.BMP");
        name->setText("typed");  // as a user types it, without extension
        static_cast<QDialog*>(d)->accept();
    });
    ASSERT_TRUE(ui.Execute(save));
    EXPECT_EQ(save.FileName.toStdString(), dir.Path("typed.BMP"));
}

TEST(AboutBox, TextsButtonAndIcon) {
    TAboutWin about;
    EXPECT_EQ(about.windowTitle(), "About Quillmere");
    EXPECT_EQ(about.Label1->text(), "Quillmere v. 1.0");
    EXPECT_EQ(about.Label2->text(), "Programmed by Oskvarl");
    EXPECT_EQ(about.BitBtn1->text(), "OK");
    EXPECT_TRUE(about.BitBtn1->isDefault());
    EXPECT_FALSE(about.BitBtn1->icon().isNull());
    const QIcon icon = about.windowIcon();
    ASSERT_FALSE(icon.isNull());
    EXPECT_EQ(icon.pixmap(32, 32).size(), QSize(32, 32));

    TQtUserInterface ui(nullptr, &about);
    WhenShown<TAboutWin>([](TAboutWin* shown) { QTest::keyClick(shown, Qt::Key_Return); });
    ui.ShowAbout();
    EXPECT_FALSE(about.isVisible());
}

}  // namespace
