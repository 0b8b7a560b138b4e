#include "dialogs/outlinedialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QTest>

#include "../core/testfiles.h"
#include "dialogs/colorfield.h"
#include "fakeui.h"
#include "views/scrollbox.h"

namespace {

const char* const kDejaVu = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

void WaitForPreview(const TOutlineDialog& d) {
    QElapsedTimer t;
    t.start();
    while (d.PreviewPending() && t.elapsed() < 10000) QTest::qWait(5);
    ASSERT_FALSE(d.PreviewPending());
}

// The preview, drawn off the GUI thread, and OK both give the strip that the
// renderer makes for the settings as set; a setting that is not valid is said
// and OK then takes nothing; Cancel takes nothing.
TEST(OutlineDialog, PreviewAndOkFollowTheSettings) {
    TempDir dir;
    WriteFile(dir.Path("t.sft"), MakeFont(16, 10, 20, 65, 70));
    TEditedFont font;
    ASSERT_TRUE(font.Load(dir.Path("t.sft")));
    FakeUI ui;
    TOutlineDialog d(nullptr, font, TPalette{}, ui);
    EXPECT_EQ(d.Chars->text(), "65-70");
    d.FontFile->setText(kDejaVu);
    d.Chars->setText("65-70,228");
    d.CodePage->setCurrentText("CP1251");
    d.Size->setValue(15);
    d.Mono->setChecked(true);
    d.Spacing->setValue(1);
    d.Color->Text->setText("255,0,0");
    WaitForPreview(d);

    TOutlineFace face(kDejaVu, 0);
    const TCodePage page = LoadCodePage("CP1251");
    TOutlineRequest want;
    want.Codes = {65, 66, 67, 68, 69, 70, 228};
    want.CodePage = &page;
    want.Height = 20, want.Size = 15, want.Spacing = 1, want.Mode = {true, THinting::Light};
    const TOutlineStrip strip = MakeOutlineStrip(face, want, CoverageColors16({255, 0, 0}, {}));
    EXPECT_EQ(d.Preview->Image().Width(), strip.Width);
    EXPECT_EQ(d.Preview->Image().Height(), 20);
    d.accept();
    ASSERT_TRUE(d.Result());
    EXPECT_EQ(d.Result()->Table, strip.Table);
    EXPECT_EQ(d.Result()->Pixels, strip.Pixels);
    EXPECT_EQ(d.result(), QDialog::Accepted);

    TOutlineDialog bad(nullptr, font, TPalette{}, ui);
    bad.Chars->setText("70-65");
    bad.accept();
    EXPECT_FALSE(bad.Result());
    EXPECT_EQ(ui.boxes,
              (std::vector<Box>{{"Error", "Characters: the range \"70-65\" runs backwards"}}));
    bad.reject();
    EXPECT_FALSE(bad.Result());

    // Adding: "match" by default, the font's own codes skipped and said, the
    // new glyphs shown after the font's.
    TOutlineDialog add(nullptr, font, TPalette{}, ui);
    add.FontFile->setText(kDejaVu);
    add.Chars->setText("65-72");
    add.Mode->setCurrentIndex(1);
    EXPECT_TRUE(add.MatchSize->isChecked() && add.MatchColors->isChecked() &&
                !add.Size->isEnabled());
    WaitForPreview(add);
    add.accept();
    ASSERT_TRUE(add.Result());
    EXPECT_EQ(std::make_pair(add.Result()->Added, add.Result()->Table.size()),
              std::make_pair(true, std::size_t(2)));
    EXPECT_EQ(add.Preview->Image().Width(), 10 + add.Result()->Width);
    EXPECT_TRUE(add.Status->text().contains("skipped: 65-70. None of H, x, n, o, 0 is in both"));
    // With the rows set by Guides..., the new letters' ink ends above the baseline's.
    add.Guides = TGuideRows{{}, {}, 12};
    add.MatchColors->setChecked(false);
    add.accept();
    ASSERT_TRUE(add.Result() && add.Result()->OnBaseline);
    const TOutlineStrip& on = *add.Result();
    int bottom = -1;
    for (std::int32_t y = 0; y < on.Height; ++y)
        for (std::int32_t x = 0; x < on.Width; ++x)
            if (on.Pixels[2 * std::size_t(y * on.Width + x)] |
                on.Pixels[2 * std::size_t(y * on.Width + x) + 1])
                bottom = y;
    EXPECT_EQ(bottom, 11);
}

}  // namespace
