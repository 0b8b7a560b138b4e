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
    TMainWindow today(user);
    const QPoint home = today.pos();
    const QSize size = today.size();
    {
        TMainWindow w(user);
        w.move(40, 30);
        w.resize(300, 200);
        QSettings settings(file, QSettings::IniFormat);
        SaveWindowPlace(w, settings);
    }
    const auto restored = [&] {
        auto w = std::make_unique<TMainWindow>(user);
        QSettings settings(file, QSettings::IniFormat);
        RestoreWindowPlace(*w, settings);
        return w;
    };
    EXPECT_EQ(restored()->pos(), QPoint(40, 30));
    EXPECT_EQ(restored()->size(), QSize(300, 200));
    EXPECT_FALSE(restored()->windowState() & Qt::WindowMaximized);
    {
        QSettings settings(file, QSettings::IniFormat);
        settings.setValue("window/maximized", true);
    }
    EXPECT_TRUE(restored()->windowState() & Qt::WindowMaximized);
    // Off every screen, garbage, or a file that isn't settings: today's place.
    for (const auto& [key, value] :
         std::vector<std::pair<QString, QVariant>>{{"window/pos", QPoint(-90000, 40000)},
                                                   {"window/pos", "garbage"},
                                                   {"window/size", QSize(1 << 20, 100)},
                                                   {"", ""}}) {
        SCOPED_TRACE(key.toStdString());
        {
            QSettings settings(file, QSettings::IniFormat);
            settings.clear();
            settings.setValue("window/pos", QPoint(40, 30));
            settings.setValue("window/size", QSize(300, 200));
            settings.setValue("window/maximized", "maybe");
            if (!key.isEmpty()) settings.setValue(key, value);
        }
        if (key.isEmpty()) WriteFile(dir.Path("place.conf"), ByteVec(300, 0xFF));
        EXPECT_EQ(std::make_tuple(restored()->pos(), restored()->size(), restored()->isMaximized()),
                  std::make_tuple(home, size, false));
    }
}

}  // namespace
