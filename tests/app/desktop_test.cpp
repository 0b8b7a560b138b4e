// The command line and the window's place between runs.
#include <gtest/gtest.h>
#include <QDir>
#include <QSettings>

#include "../core/testfiles.h"
#include "cmdline.h"
#include "fakeui.h"
#include "mainwin.h"
#include "windowplace.h"

namespace {

TEST(CommandLine, OneOptionalFontHelpAndVersion) {
    const QString cwd = QDir::currentPath();
    for (const auto& [args, exit, font, text] :
         std::vector<std::tuple<QStringList, int, QString, QString>>{
             {{}, -1, "", ""},
             {{"a/../b/./f.sft"}, -1, cwd + "/b/f.sft", ""},
             {{"/x/[*].sft"}, -1, "/x/[*].sft", ""},
             {{"--", "-f.sft"}, -1, cwd + "/-f.sft", ""},
             {{"a.sft", "b.sft"}, 2, "", "quillmere: Only one font can be opened.\nUsage: "},
             {{"--frobnicate"}, 2, "", "quillmere: Unknown option 'frobnicate'.\nUsage: "},
             {{"--help"}, 0, "", "Usage: "},
             {{"--version"}, 0, "", "quillmere 1.0\n"}}) {
        SCOPED_TRACE(args.join(' ').toStdString());
        const TStartRequest r = ParseCommandLine(QStringList{"quillmere"} + args);
        EXPECT_EQ(r.Exit.value_or(-1), exit);
        EXPECT_EQ(r.Font, font);
        EXPECT_TRUE(text.isEmpty() ? r.Text.isEmpty() : r.Text.startsWith(text))
            << r.Text.toStdString();
    }
}

TEST(WindowPlace, KeptBetweenRunsUnlessUnusable) {
    TempDir dir;
    const QString file = QString::fromStdString(dir.Path("place.conf"));
    FakeUI user;
    const auto place = [](const QWidget& w) {
        return std::make_tuple(w.pos(), w.size(), w.isMaximized());
    };
    const auto home = place(TMainWindow(user));
    const auto restored = [&] {
        TMainWindow w(user);
        QSettings settings(file, QSettings::IniFormat);
        RestoreWindowPlace(w, settings);
        return place(w);
    };
    const auto saved = std::make_tuple(QPoint(40, 30), QSize(300, 200), false);
    {
        TMainWindow w(user);
        w.move(40, 30);
        w.resize(300, 200);
        QSettings settings(file, QSettings::IniFormat);
        SaveWindowPlace(w, settings);
    }
    EXPECT_EQ(restored(), saved);
    // Maximized is said as "true"; a place off every screen, larger than the
    // desktop or of the wrong type, or a file that isn't settings, gives today's.
    for (const auto& [key, value, want] :
         std::vector<std::tuple<QString, QVariant, std::tuple<QPoint, QSize, bool>>>{
             {"window/maximized", true, {QPoint(40, 30), QSize(300, 200), true}},
             {"window/maximized", "maybe", saved},
             {"window/pos", QPoint(-90000, 40000), home},
             {"window/pos", "garbage", home},
             {"window/size", QSize(1 << 20, 100), home},
             {"", "", home}}) {
        SCOPED_TRACE(key.toStdString());
        QSettings(file, QSettings::IniFormat).setValue(key.isEmpty() ? "x" : key, value);
        if (key.isEmpty()) WriteFile(dir.Path("place.conf"), ByteVec(300, 0xFF));
        EXPECT_EQ(restored(), want);
        QSettings(file, QSettings::IniFormat).setValue("window/pos", QPoint(40, 30));
    }
}

}  // namespace
