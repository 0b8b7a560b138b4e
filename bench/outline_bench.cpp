// Times the New Font from Outline Font dialog's live preview, offscreen: from
// a changed setting to the new strip of 256 glyphs at 32 px drawn in the
// preview, against one plain repaint of the same view, and prints the ratio.
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QSpinBox>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "benchuser.h"
#include "dialogs/outlinedialog.h"
#include "views/scrollbox.h"

namespace {

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const char* ttf = argc > 1 ? argv[1] : "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

    // A 16-bit font 40 pixels high of 256 codes that DejaVu Sans has glyphs for.
    std::array<std::uint8_t, 40> header{'S', 'F', 'N', 'T'};
    std::array<std::uint8_t, 128> strip{};
    TEditedFont font = TEditedFont::FromHeaders(16, header, strip);
    std::vector<TCharEntry> table;
    for (int c = 32; c < 127; ++c) table.push_back({std::uint16_t(c), 0, 0});
    for (int c = 160; c < 321; ++c) table.push_back({std::uint16_t(c), 0, 0});
    font.SetTable(table);
    font.ReplaceStrip(1, 40, Bytes(80, 0));

    TBenchUser user;
    TOutlineDialog dialog(nullptr, font, TPalette{}, user);
    dialog.FontFile->setText(QString::fromLocal8Bit(ttf));
    dialog.Size->setValue(32);
    dialog.show();
    const auto settle = [&] {
        while (dialog.PreviewPending())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        dialog.Preview->viewport()->repaint();
    };
    settle();

    std::vector<double> change, repaint, render;
    QElapsedTimer t;
    for (int i = 0; i < 31; ++i) {
        t.start();
        dialog.Spacing->setValue(i % 2);  // the same glyphs, moved: a whole new strip
        settle();
        change.push_back(double(t.nsecsElapsed()) / 1e6);
        t.start();
        dialog.Preview->viewport()->repaint();
        repaint.push_back(double(t.nsecsElapsed()) / 1e6);
        t.start();
        if (!dialog.MakeStrip()) return 1;
        render.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    const double c = Median(change), r = Median(repaint);
    std::printf(
        "preview of 256 glyphs at 32 px: setting to drawn %7.2f ms   plain repaint %6.2f ms"
        "   ratio %6.1f\n"
        "    (of which rendering alone, face opened anew: %.2f ms)\n",
        c, r, c / r, Median(render));
    return 0;
}
