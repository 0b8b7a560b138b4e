// A user for the window benches: picks Font in every dialog, and ends the
// bench should anything ask or show a box.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QString>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "base/bytes.h"
#include "outline.h"
#include "ui/userinterface.h"

class TBenchUser final : public IUserInterface {
public:
    QString Font;
    bool Execute(TFileDialog& Dialog) override {
        Dialog.FileName = Font;
        return !Font.isEmpty();
    }
    void ShowMessage(const QString& Text, TMsgKind) override { Fail(Text); }
    void ShowStandardError(const QString& Text) override { Fail(Text); }
    void ShowAbout() override {}
    bool AskYesNo(const QString& Text) override { Fail(Text); }
    TSaveAnswer AskSave(const QString& Text) override { Fail(Text); }
    int AskChoice(const QString& Text, const QStringList&) override { Fail(Text); }
    bool EditTable(std::vector<TCharEntry>&, int) override { return false; }
    bool MakeOutlineFont(const TEditedFont&, const TPalette&, const TGuideRows&, TOutlineStrip&,
                         const TOutlineAdd*) override {
        return false;
    }
    bool ChooseColor(QColor&, const QString&) override { return false; }
    bool AskNumbers(const QString&, const std::vector<TNumberField>&, const TNumberCheck&,
                    std::vector<std::int64_t>&) override {
        return false;
    }
    bool AskText(const QString&, const QString&, QString&) override { return false; }
    bool AskReplaceColor(TEditSession&, std::uint16_t&, std::uint16_t&) override { return false; }
    TGuidesAnswer AskGuides(TGuideRows&, std::int32_t) override { return TGuidesAnswer::Cancel; }
    TReferenceAnswer AskReference(TReferenceChoice&) override { return TReferenceAnswer::Cancel; }
    [[noreturn]] static void Fail(const QString& Text) {
        std::fprintf(stderr, "unexpected box: %s\n", qPrintable(Text));
        std::exit(1);
    }
};

inline void WriteAll(int fd, const void* p, std::size_t n) {
    if (::write(fd, p, n) != ssize_t(n)) {
        std::perror("bench font");
        std::exit(1);
    }
}

// A font file of the given size with a pixel pattern that differs from row to
// row, or all zero.
inline void WriteFont(const std::string& path, std::int32_t bpp, std::int32_t w, std::int32_t h,
                      bool blank = false) {
    std::uint8_t header[40] = {'S', 'F', 'N', 'T'};
    std::uint8_t strip[128] = {};
    PutI32(strip + 36, bpp);
    std::uint8_t size[8];
    PutI32(size, w);
    PutI32(size + 4, h);
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    WriteAll(fd, header, sizeof header);
    WriteAll(fd, strip, sizeof strip);
    WriteAll(fd, size, sizeof size);
    std::vector<std::uint8_t> row(std::size_t(w) * std::size_t(bpp / 8));
    for (std::int32_t y = 0; y < h; ++y) {
        for (std::size_t i = 0; i < row.size(); ++i)
            row[i] = blank ? 0 : static_cast<std::uint8_t>(i * 31 + std::size_t(y) * 7 + i / 977);
        WriteAll(fd, row.data(), row.size());
    }
    ::close(fd);
}

// Makes Dir the working folder, with the black default palette the window reads there.
inline bool EnterPaletteFolder(const QTemporaryDir& Dir) {
    const std::string cmp = Dir.filePath("uicolormap.cmp").toStdString();
    std::vector<std::uint8_t> palette(832, 0);
    std::copy_n("CMP ", 4, palette.begin());
    const int fd = ::open(cmp.c_str(), O_WRONLY | O_CREAT, 0600);
    WriteAll(fd, palette.data(), palette.size());
    ::close(fd);
    return ::chdir(Dir.path().toLocal8Bit().constData()) == 0;
}

// The window benches' application: offscreen, working in a folder of its own
// that holds the default palette.
class TBenchApp {
public:
    TBenchApp(int& Argc, char** Argv)
        : app_((qputenv("QT_QPA_PLATFORM", "offscreen"), Argc), Argv),
          ready_(EnterPaletteFolder(dir_)) {}
    bool Ready() const { return ready_; }
    const QTemporaryDir& Dir() const { return dir_; }

private:
    QApplication app_;
    QTemporaryDir dir_;
    bool ready_;
};
