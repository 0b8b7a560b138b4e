// Times the recovery journal on the 65,535 x 64 16-bit font, on the thread
// that edits: a dab's step written, against a bare write() of as many bytes
// to the same folder; an Import Picture's step (the whole 8 MiB strip),
// against saving the font unsynced; and the journal's start. Records go to
// the page cache on the editing thread; fsync runs every 2 s on a pool
// thread, so it is timed apart.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "benchuser.h"
#include "history/journal.h"
#include "median.h"

int main() {
    const auto dir = std::filesystem::temp_directory_path() / "quill-journal-bench";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const std::string font = (dir / "wide.sft").string(), journal = (dir / "w.journal").string();
    WriteFont(font, 16, 65535, 64);
    TEditedFont f;
    if (!f.Load(font)) return 1;

    // As the session feeds the window's sink: records made, the writer's file.
    TJournalRecords records;
    TJournalWriter w;
    const auto start = [&] {
        w.Begin(journal, [&](const TJournalRecords::TOut& Out) {
            records.Start(f, StampOf(font), {}, 0, 0, Out);
        });
    };
    // The first change writes the font; starting afresh over a journal syncs.
    const double first = Median(3, [&] {
        std::filesystem::remove(journal);
        start();
    });
    const double again = Median(3, start);

    // A dab: one pixel, as the pencil leaves it.
    int x = 0;
    std::vector<TEditStep> dabs;
    const double dab = Median(2001, [&] {
        TPixelGrid grid = f.Grid();
        const int at = x++;
        dabs.emplace_back("Pencil", Recorded(grid, [&](TPixelDelta& d) {
                              d.Set(grid, at, at % 64, std::uint16_t(0xFFFF - at));
                          }));
        w.Append(records.Pushed(dabs.back(), f));
    });
    // As many bytes as the dab's record, with its length and checksum.
    Bytes record(8);
    dabs.back().WriteUndone(record, f);
    const int fd = ::open((dir / "bare").c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    const double bare = Median(2001, [&] {
        if (::write(fd, record.data(), record.size()) < 0) std::perror("write");
    });
    ::close(fd);

    // Import Picture: the strip replaced by one as large; the record alone timed.
    std::vector<double> imports;
    for (int i = 0; i < 9; ++i) {
        TEditedFont copy = f;
        copy.ReplaceStrip(65535, 64, Bytes(f.Font().Pixels.size(), std::uint8_t(x++)));
        TFontBody before = f.Body();
        f = std::move(copy);
        const TEditStep step("Import Picture", std::move(before), f);
        imports.push_back(Median(1, [&] { w.Append(records.Pushed(step, f)); }));
    }
    std::sort(imports.begin(), imports.end());
    const double import = imports[imports.size() / 2];
    const double save = Median(9, [&] { f.Save(font, Durability::Unsynced); });
    const double sync = Median(3, [&] { w.Sync(); });

    std::printf(
        "journal start: first change (font %.1f MiB) %8.2f ms   afresh over one, synced %8.2f ms\n",
        double(f.Font().Pixels.size()) / (1 << 20), first, again);
    std::printf(
        "a dab's record  %8.4f ms   bare write() %8.4f ms   ratio %5.2f   (target < 0.2 ms) %s\n",
        dab, bare, dab / bare, dab < 0.2 ? "ok" : "OVER");
    std::printf(
        "Import Picture's record %7.2f ms   unsynced save %7.2f ms   ratio %5.2f   "
        "(target: window answers within 50 ms) %s\n",
        import, save, import / save, import < 50 ? "ok" : "OVER");
    std::printf("sync, on a pool thread every 2 s %7.2f ms\n", sync);
    std::filesystem::remove_all(dir);
    return 0;
}
