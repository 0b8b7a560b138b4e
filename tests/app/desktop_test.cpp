// The command line and the window's place between runs.
#include <gtest/gtest.h>
#include <QDir>
#include <QSettings>
#include <optional>

#include "../core/testfiles.h"
#include "fakeui.h"
#include "window/cmdline.h"
#include "window/mainwin.h"
#include "window/windowplace.h"

namespace {

TEST(CommandLine, OneOptionalFontAndHelp) {
    const QString cwd = QDir::currentPath();
    for (const auto& [args, exit, font, text] :
         std::vector<std::tuple<QStringList, int, QString, QString>>{
             {{}, -1, "", ""},
             {{"a/../b/./f.sft"}, -1, cwd + "/b/f.sft", ""},
             {{"/x/[*].sft"}, -1, "/x/[*].sft", ""},
             {{"--", "-f.sft"}, -1, cwd + "/-f.sft", ""},
             {{"a.sft", "b.sft"}, 2, "", "quillmere: Only one font can be opened.\nUsage: "},
             {{"--frobnicate"}, 2, "", "quillmere: Unknown option 'frobnicate'.\nUsage: "},
             {{"--help"}, 0, "", "Usage: "}}) {
        SCOPED_TRACE(args.join(' ').toStdString());
        const TStartRequest r = ParseCommandLine(QStringList{"quillmere"} + args);
        EXPECT_EQ(r.Exit.value_or(-1), exit);
        EXPECT_EQ(r.Font, font);
        EXPECT_TRUE(text.isEmpty() ? r.Text.isEmpty() : r.Text.startsWith(text))
            << r.Text.toStdString();
    }
}

// Kept between runs; a place off every screen, or a file that isn't
// settings, gives today's place.
TEST(WindowPlace, KeptBetweenRunsUnlessUnusable) {
    TempDir dir;
    const QString file = QString::fromStdString(dir.Path("place.conf"));
    FakeUI user;
    // Saves the place of a window at pos, if given, and restores it into a new one.
    const auto place = [&](std::optional<QPoint> pos) {
        if (pos) {
            TMainWindow w(user);
            w.move(*pos);
            w.resize(300, 200);
            QSettings settings(file, QSettings::IniFormat);
            SaveWindowPlace(w, settings);
        }
        TMainWindow w(user);
        QSettings settings(file, QSettings::IniFormat);
        RestoreWindowPlace(w, settings);
        return std::make_pair(QRect(w.pos(), w.size()), w.isMaximized());
    };
    const auto home = place({});
    EXPECT_EQ(place(QPoint(40, 30)), std::make_pair(QRect(40, 30, 300, 200), false));
    EXPECT_EQ(place(QPoint(-90000, 40000)), home);
    QSettings(file, QSettings::IniFormat).setValue("window/maximized", true);
    EXPECT_TRUE(place({}).second);
    WriteFile(dir.Path("place.conf"), ByteVec(300, 0xFF));
    EXPECT_EQ(place({}), home);
}

}  // namespace
