// File > Open Recent across windows, and the text preview's own zoom.
#include <gtest/gtest.h>
#include <QAbstractScrollArea>
#include <QAction>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSettings>
#include <QSpinBox>
#include <filesystem>

#include "../core/testfiles.h"
#include "fakeui.h"
#include "views/preview.h"
#include "window/mainwin.h"

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
        QSettings().remove("preview/width");
        return true;
    }();
    ~RecentTest() override { fs::current_path(oldDir_); }

    static std::string Menu(const TMainWindow& w) {
        std::string items;
        for (const QAction* a : w.OpenRecent1->actions())
            items += (a->isEnabled() ? "" : "~") + a->text().toStdString() + ",";
        return items;
    }
    QString Font(const std::string& name) {
        WriteFile(dir.Path(name), MakeFont(8, 20, 4, 65, 66));
        return QString::fromStdString(dir.Path(name));
    }
};

TEST_F(RecentTest, NewestFirstTenKeptGoneOnesTakenOffAndCleared) {
    {
        TMainWindow w(ui);
        EXPECT_EQ(Menu(w), ",~&Clear Recent,");
        for (int i = 0; i < 12; ++i) w.OpenFont(Font(std::to_string(i) + ".sft"));
        w.OpenFont(Font("5.sft"));  // to the top, not twice
    }
    TMainWindow w(ui);  // kept for the next window
    EXPECT_EQ(Menu(w),
              "&1 5.sft,&2 11.sft,&3 10.sft,&4 9.sft,&5 8.sft,&6 7.sft,&7 6.sft,&8 4.sft,&9 "
              "3.sft,1&0 2.sft,,&Clear Recent,");
    fs::remove(dir.Path("11.sft"));
    w.OpenRecent1->actions()[1]->trigger();
    EXPECT_EQ(
        ui.boxes,
        (std::vector<Box>{{"Warning", dir.Path("11.sft") + " is no longer there; it was taken off "
                                                           "the list."}}));
    w.OpenRecent1->actions()[2]->trigger();
    EXPECT_EQ(Menu(w).substr(0, 18), "&1 9.sft,&2 5.sft,");
    w.OpenRecent1->actions().back()->trigger();
    EXPECT_EQ(Menu(w), ",~&Clear Recent,");
}

TEST_F(RecentTest, PreviewStartsWhereTheTextFitsAndKeepsAZoomChosen) {
    TMainWindow w(ui);
    w.show();
    w.OpenFont(Font("p.sft"));
    w.TextPreview1->trigger();
    TTextPreview& p = *w.Preview;
    const QSize room = p.findChild<QAbstractScrollArea*>("preview-view")->viewport()->size();
    // 'A' is 6 columns wide, the font 4 rows high.
    for (const auto& [text, zoom] :
         {std::pair{QString(), std::min(16, room.height() / 4)},
          {QString(30, 'A'), std::max(1, (room.width() - kPreviewMargin) / 180)}}) {
        p.Text->setPlainText(text);
        EXPECT_EQ(p.Zoom->value(), zoom);
    }
    p.Zoom->setValue(3);
    p.Text->setPlainText("A");
    EXPECT_EQ(p.Rendered().size(), QSize(kPreviewMargin + 18, 12));
    EXPECT_EQ(TTextPreview(ui).Zoom->value(), 3);
}

}  // namespace
