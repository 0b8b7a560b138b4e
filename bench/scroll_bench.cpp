// The window's side of bench/page_window_bench.py, offscreen: Open SFT of the
// given font to its first paint, the strip scrolled end to end a view at a
// time at zoom 4, and Save as BMP. The view is made the size given, the
// page's. Prints "window <measure> <ms>" lines, each the median of ROUNDS.
// Usage: scroll_bench FONT VIEW_WIDTH VIEW_HEIGHT OUT_BMP [ROUNDS]
#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "benchuser.h"
#include "views/scrollbox.h"
#include "window/mainwin.h"

namespace {

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double Ms(const QElapsedTimer& t) { return double(t.nsecsElapsed()) / 1e6; }

}  // namespace

int main(int argc, char** argv) {
    if (argc < 5) {
        std::fprintf(stderr, "usage: scroll_bench FONT VIEW_WIDTH VIEW_HEIGHT OUT_BMP [ROUNDS]\n");
        return 2;
    }
    const QString font = QFileInfo(argv[1]).absoluteFilePath();
    const int viewW = std::atoi(argv[2]), viewH = std::atoi(argv[3]);
    const QString out = QFileInfo(argv[4]).absoluteFilePath();
    const int rounds = argc > 5 ? std::max(1, std::atoi(argv[5])) : 3;
    TBenchApp bench(argc, argv);
    if (!bench.Ready()) return 1;

    TBenchUser user;
    user.Font = out;  // the name Save as BMP is given
    TMainWindow window(user);
    window.resize(800, 600);
    window.show();
    QCoreApplication::processEvents();
    QWidget* view = window.ScrollBox->viewport();
    // The view the size of the page's, what the window's frame takes kept.
    window.resize(800 + viewW - view->width(), 600 + viewH - view->height());
    QCoreApplication::processEvents();
    std::printf("window view %d x %d\n", view->width(), view->height());

    std::vector<double> opens, scrolls, saves;
    QElapsedTimer t;
    int steps = 0;
    for (int round = 0; round < rounds; ++round) {
        window.ScrollBox->SetZoom(1);  // as the page opens it, at zoom 1
        t.start();
        window.OpenFont(font);
        QCoreApplication::processEvents();  // its first paint
        opens.push_back(Ms(t));
        while (window.ScrollBox->Zoom() < 4) window.ZoomIn1->trigger();
        const int last = window.ScrollBox->LastPosition();
        t.start();
        steps = 0;
        for (int x = 0;; x += view->width(), ++steps) {
            window.ScrollBox->SetHorzPosition(std::min(x, last));
            view->repaint();
            if (x >= last) break;
        }
        scrolls.push_back(Ms(t));
        t.start();
        window.SaveasBMP1->trigger();
        saves.push_back(Ms(t));
    }
    std::printf("window zoom %d, %d view positions\n", window.ScrollBox->Zoom(), steps + 1);
    std::printf("window first-paint %.3f\nwindow scroll %.3f\nwindow save %.3f\n", Median(opens),
                Median(scrolls), Median(saves));
    std::printf("window bmp-bytes %lld\n", static_cast<long long>(QFileInfo(out).size()));
    return 0;
}
