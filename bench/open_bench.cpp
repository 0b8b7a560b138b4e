// Times File > Open SFT in the real window, offscreen, from the command to
// the first painted frame, against reading the same file whole in the same
// run, and prints the ratios.
#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "benchuser.h"
#include "views/scrollbox.h"
#include "window/mainwin.h"

namespace {

double BestMs(const std::function<void()>& f, int runs) {
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        const auto t0 = std::chrono::steady_clock::now();
        f();
        const auto t1 = std::chrono::steady_clock::now();
        best = std::min(best, std::chrono::duration<double, std::milli>(t1 - t0).count());
    }
    return best;
}

void ReadWhole(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY);
    const off_t size = ::lseek(fd, 0, SEEK_END);
    // Into the core's own buffer type, uninitialised, as the reader does.
    Bytes b(static_cast<std::size_t>(size));
    if (::pread(fd, b.data(), b.size(), 0) != ssize_t(b.size())) std::abort();
    ::close(fd);
}

}  // namespace

int main(int argc, char** argv) {
    TBenchApp bench(argc, argv);
    if (!bench.Ready()) return 1;

    TBenchUser user;
    TMainWindow window(user);
    window.show();
    for (const auto& [name, bpp, w, h] : std::vector<std::tuple<const char*, int, int, int>>{
             {"16-bit 400000x64", 16, 400000, 64}, {"8-bit 1000000x16", 8, 1000000, 16}}) {
        const std::string font =
            bench.Dir().filePath(QString::fromLatin1(name) + ".sft").toStdString();
        WriteFont(font, bpp, w, h);
        user.Font = QString::fromStdString(font);
        const double read = BestMs([&] { ReadWhole(font); }, 9);
        const double open = BestMs(
            [&] {
                window.OpenSFT1->trigger();
                window.ScrollBox->viewport()->repaint();  // the first frame, painted now
            },
            9);
        std::printf(
            "Open SFT %-20s %8.2f ms   read file whole %8.2f ms   ratio %5.2f  (target <= 2.0) "
            "%s\n",
            name, open, read, open / read, open / read <= 2.0 ? "ok" : "OVER");
    }
    return 0;
}
