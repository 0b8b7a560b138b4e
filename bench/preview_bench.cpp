// The window's side of bench/preview_bench.py, offscreen: the Text Preview
// of a long text (Open Text... of a .po) in the given font, a character
// typed into it (its lines laid out and measured again, the view redrawn)
// and the Width changed (every line's width counted against it, the view
// redrawn). Prints "window <measure> <ms>" lines, each the median of ROUNDS.
// Usage: preview_bench FONT TEXT [ROUNDS]
#include <QAbstractScrollArea>
#include <QApplication>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTextCursor>
#include <cstdio>
#include <cstdlib>

#include "benchuser.h"
#include "median.h"
#include "views/preview.h"
#include "window/mainwin.h"

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: preview_bench FONT TEXT [ROUNDS]\n");
        return 2;
    }
    const QString font = QFileInfo(argv[1]).absoluteFilePath(),
                  text = QFileInfo(argv[2]).absoluteFilePath();
    const int rounds = argc > 3 ? std::max(1, std::atoi(argv[3])) : 21;
    TBenchApp bench(argc, argv);
    if (!bench.Ready()) return 1;
    TBenchUser user;
    TMainWindow window(user);
    window.show();
    window.OpenFont(font);
    window.TextPreview1->trigger();
    TTextPreview& preview = *window.Preview;
    preview.resize(800, 600);
    preview.OpenFile(text);
    QCoreApplication::processEvents();
    QWidget* view = preview.findChild<QAbstractScrollArea*>("preview-view")->viewport();
    std::printf("window lines %d, view %d x %d\n", preview.Text->document()->blockCount(),
                view->width(), view->height());

    const double typing = Median(rounds, [&] {
        QTextCursor(preview.Text->document()).insertText("x");
        view->repaint();
    });
    int limit = 100;
    const double widths = Median(rounds, [&] {
        preview.Width->setValue(++limit);
        view->repaint();
    });
    std::printf("window typing %.3f\nwindow widths %.3f\n", typing, widths);
    return 0;
}
