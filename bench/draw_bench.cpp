// Times drawing in the real window, offscreen, on the 65,535 x 64 16-bit font
// at zoom 16: one pencil dab, from the press to its pixels painted, against
// one plain repaint of the same view. Then 10,000 dabs: what they add to the
// history, and whether undoing them all gives the strip back byte for byte.
#include <malloc.h>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <cstdio>
#include <vector>

#include "benchuser.h"
#include "views/scrollbox.h"
#include "window/mainwin.h"
#include "window/sessionbridge.h"

namespace {

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void Send(QWidget* view, QEvent::Type type, QPoint at, Qt::MouseButton button) {
    QMouseEvent e(type, at, at, button, type == QEvent::MouseButtonRelease ? Qt::NoButton : button,
                  {});
    QCoreApplication::sendEvent(view, &e);
}

}  // namespace

int main(int argc, char** argv) {
    TBenchApp bench(argc, argv);
    if (!bench.Ready()) return 1;
    const std::string path = bench.Dir().filePath("wide.sft").toStdString();
    WriteFont(path, 16, 65535, 64);

    TBenchUser user;
    TMainWindow window(user);
    window.resize(800, 600);
    window.show();
    window.OpenFont(QString::fromStdString(path));
    while (window.ScrollBox->Zoom() < 16) window.ZoomIn1->trigger();
    window.ScrollBox->SetHorzPosition(16 * 30000);
    window.Draw1->trigger();
    QWidget* view = window.ScrollBox->viewport();
    QCoreApplication::processEvents();
    const SharedBytes& pixels = window.FontData().Pixels;
    const std::vector<std::uint8_t> opened(pixels.begin(), pixels.end());

    // A dab a cell, left and right buttons in turn, so that each one paints.
    const int cols = view->width() / 16, rows = std::min(view->height() / 16, 64);
    int next = 0;
    const auto dab = [&] {
        const int i = next++;
        const QPoint at(16 * (i % cols) + 8, 16 * (i / cols % rows) + 8);
        const Qt::MouseButton button = (i / (cols * rows)) % 2 ? Qt::RightButton : Qt::LeftButton;
        Send(view, QEvent::MouseButtonPress, at, button);
        Send(view, QEvent::MouseButtonRelease, at, button);
        QCoreApplication::processEvents();  // its pixels painted
    };
    std::vector<double> dabs, repaints;
    QElapsedTimer t;
    for (int i = 0; i < 201; ++i) {
        t.start();
        dab();
        dabs.push_back(double(t.nsecsElapsed()) / 1e6);
        t.start();
        view->repaint();
        repaints.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    const double d = Median(dabs), r = Median(repaints);
    std::printf(
        "one dab at zoom 16 %7.3f ms   plain repaint %7.3f ms   ratio %5.2f  (target <= 2.0) %s\n",
        d, r, d / r, d / r <= 2.0 ? "ok" : "OVER");

    window.OpenFont(QString::fromStdString(path));  // a fresh history
    next = 0;
    const std::size_t heap0 = mallinfo2().uordblks;
    for (int i = 0; i < 10000; ++i) dab();
    const double kept = double(window.Session().History().MemoryBytes()) / (1 << 20);
    const double heap = double(mallinfo2().uordblks - heap0) / (1 << 20);
    std::printf(
        "10,000 dabs: history %5.2f MiB as its steps count it, heap grew %5.2f MiB  (target <= 4) "
        "%s\n",
        kept, heap, std::max(kept, heap) <= 4.0 ? "ok" : "OVER");
    for (int i = 0; i < 10000; ++i) window.Undo1->trigger();
    const bool same = std::vector<std::uint8_t>(pixels.begin(), pixels.end()) == opened;
    std::printf("undoing all 10,000: strip %s\n", same ? "restored byte for byte" : "DIFFERS");

    // The tools at zoom 4: each move of a Line dragged 1,000 times, and each
    // arrow's move of a 64 x 64 block of pixels, against one dab.
    window.OpenFont(QString::fromStdString(path));
    window.ScrollBox->SetZoom(4);
    window.ScrollBox->SetHorzPosition(4 * 30000);
    QCoreApplication::processEvents();
    const auto tool = [&](const char* Id) { window.findChild<QAction*>(Id)->trigger(); };
    const auto time = [&](const auto& Do) {
        t.start();
        Do();
        QCoreApplication::processEvents();
        return double(t.nsecsElapsed()) / 1e6;
    };
    std::vector<double> dabs4, lines, nudges;
    for (int i = 0; i < 201; ++i) {
        const QPoint at(4 * (i % 150) + 2, 4 * (i / 150) + 2);
        dabs4.push_back(time([&] {
            Send(view, QEvent::MouseButtonPress, at, Qt::LeftButton);
            Send(view, QEvent::MouseButtonRelease, at, Qt::LeftButton);
        }));
    }
    tool("tool-line");
    Send(view, QEvent::MouseButtonPress, QPoint(2, 2), Qt::LeftButton);
    for (int i = 0; i < 1000; ++i) {
        const QPoint at(2 + (i * 7) % 790, 2 + (i * 3) % 250);
        lines.push_back(time([&] { Send(view, QEvent::MouseMove, at, Qt::LeftButton); }));
    }
    Send(view, QEvent::MouseButtonRelease, QPoint(2, 2), Qt::LeftButton);
    tool("tool-select");
    Send(view, QEvent::MouseButtonPress, QPoint(2, 2), Qt::LeftButton);
    Send(view, QEvent::MouseMove, QPoint(4 * 63 + 2, 4 * 63 + 2), Qt::LeftButton);
    Send(view, QEvent::MouseButtonRelease, QPoint(4 * 63 + 2, 4 * 63 + 2), Qt::LeftButton);
    // Right and left by turns, so the block stays in view, as on the page.
    for (int i = 0; i < 101; ++i)
        nudges.push_back(time([&] { tool(i / 25 % 2 ? "nudge-left" : "nudge-right"); }));
    tool("keep-move");
    const double d4 = Median(dabs4), l = Median(lines), n = Median(nudges);
    std::printf(
        "zoom 4: one dab %7.3f ms   a Line's move %7.3f ms  ratio %5.2f (target <= 2.0)   "
        "a 64 x 64 block's arrow move %7.3f ms  ratio %5.2f (target <= 2.0)\n",
        d4, l, l / d4, n, n / d4);

    // A fill of one colour across the whole strip, one glyph 65,535 columns wide.
    const std::string blank = bench.Dir().filePath("blank.sft").toStdString();
    WriteFont(blank, 16, 65535, 64, true);
    window.OpenFont(QString::fromStdString(blank));
    t.start();
    QMouseEvent fill(QEvent::MouseButtonPress, QPointF(8, 8), QPointF(8, 8), Qt::LeftButton,
                     Qt::LeftButton, Qt::ShiftModifier);
    QCoreApplication::sendEvent(view, &fill);
    Send(view, QEvent::MouseButtonRelease, QPoint(8, 8), Qt::LeftButton);
    QCoreApplication::processEvents();
    const double filled = double(t.nsecsElapsed()) / 1e6;
    std::printf("fill of 65,535 x 64 pixels: %7.1f ms, its step %6.1f MiB\n", filled,
                double(window.Session().History().MemoryBytes()) / (1 << 20));
    return same ? 0 : 1;
}
