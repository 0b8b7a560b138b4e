// File > Open Recent across windows, and the text preview's own zoom.
#include <gtest/gtest.h>
#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QScrollArea>
#include <QSettings>
#include <QSpinBox>
#include <filesystem>

#include "../core/testfiles.h"
#include "fakeui.h"
#include "mainwin.h"
#include "preview.h"
#include "recent.h"

namespace fs = std::filesystem;

namespace {

class RecentTest : public testing::Test {
protected:
    fs::path oldDir_ = fs::current_path();
    TempDir dir;
    FakeUI ui;
    bool placed_ = [this] {
        fs::current_path(dir.Dir());
        WriteFile(dir.Path("uicolormap.cmp"), MakeCMP(PatternPalette(1)));
        QSettings().remove("file/recent");
        QSettings().remove("preview/zoom");
        return true;
    }();
    ~RecentTest() override { fs::current_path(oldDir_); }

    static std::vector<std::string> Menu(const TMainWindow& w) {
        std::vector<std::string> items;
        for (const QAction* a : w.OpenRecent1->actions())
            items.push_back(a->isSeparator()
                                ? "-"
                                : a->text().toStdString() + (a->isEnabled() ? "" : " (off)"));
        return items;
    }
    std::string Font(const std::string& name) {
        WriteFile(dir.Path(name), MakeFont(8, 20, 4, 65, 66));
        return dir.Path(name);
    }
};

TEST_F(RecentTest, NewestFirstTenKeptGoneOnesTakenOffAndCleared) {
    {
        TMainWindow w(ui);
        EXPECT_EQ(Menu(w), (std::vector<std::string>{"-", "&Clear Recent (off)"}));
        for (int i = 0; i < 12; ++i)
            w.OpenFont(QString::fromStdString(Font(std::to_string(i) + ".sft")));
        w.OpenFont(QString::fromStdString(dir.Path("5.sft")));  // to the top, not twice
    }
    TMainWindow w(ui);  // kept for the next window
    const std::vector<std::string> ten = {"&1 5.sft", "&2 11.sft", "&3 10.sft", "&4 9.sft",
                                          "&5 8.sft", "&6 7.sft",  "&7 6.sft",  "&8 4.sft",
                                          "&9 3.sft", "1&0 2.sft", "-",         "&Clear Recent"};
    EXPECT_EQ(Menu(w), ten);
    w.OpenRecent1->actions()[3]->trigger();
    EXPECT_EQ(w.FontData().Width, 20);
    EXPECT_EQ(Menu(w)[0], "&1 9.sft");
    fs::remove(dir.Path("11.sft"));
    w.OpenRecent1->actions()[2]->trigger();
    EXPECT_EQ(
        ui.boxes,
        (std::vector<Box>{{"Warning", dir.Path("11.sft") + " is no longer there; it was taken off "
                                                           "the list."}}));
    EXPECT_EQ(Menu(w).size(), 11u);
    EXPECT_EQ(Menu(w)[2], "&3 10.sft");
    // A changed font asks first; Cancel keeps it open.
    w.Transforms1[0]->trigger();
    ui.saves = {TSaveAnswer::Cancel};
    const ByteVec mine(w.FontData().Pixels.begin(), w.FontData().Pixels.end());
    w.OpenRecent1->actions()[1]->trigger();
    EXPECT_EQ(ByteVec(w.FontData().Pixels.begin(), w.FontData().Pixels.end()), mine);
    w.OpenRecent1->actions().back()->trigger();
    EXPECT_EQ(Menu(w), (std::vector<std::string>{"-", "&Clear Recent (off)"}));
}

TEST_F(RecentTest, PreviewStartsWhereTheTextFitsAndKeepsAZoomChosen) {
    TMainWindow w(ui);
    w.show();
    w.OpenFont(QString::fromStdString(Font("p.sft")));
    w.TextPreview1->trigger();
    TTextPreview& p = *w.Preview;
    p.resize(400, 160);
    const QSize room = p.findChild<QScrollArea*>()->viewport()->size();
    struct Case {
        QString text;
        int zoom;
    };
    // 'A' is 6 columns wide, the font 4 rows high.
    for (const Case& c : {Case{"", std::min(16, room.height() / 4)},
                          Case{"AA", std::min({16, room.height() / 4, room.width() / 12})},
                          Case{QString(30, 'A'), std::max(1, room.width() / 180)}}) {
        SCOPED_TRACE(c.text.toStdString());
        p.Text->setText(c.text);
        EXPECT_EQ(p.Zoom->value(), c.zoom);
        if (!c.text.isEmpty()) {
            EXPECT_EQ(p.Rendered().height(), c.zoom * 4);
        }
    }
    p.Zoom->setValue(3);
    p.Text->setText("A");
    EXPECT_EQ(p.Rendered().size(), QSize(18, 12));
    TTextPreview next;
    EXPECT_EQ(next.Zoom->value(), 3);
}

}  // namespace
