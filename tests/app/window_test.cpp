// The main window's commands and their state transitions, driven offscreen
// through a scripted user.
#include <QAction>
#include <QListWidget>
#include <QScrollBar>
#include <QTest>
#include <climits>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

#include "../core/testfiles.h"
#include "fakeui.h"
#include "imageview.h"
#include "livebytes.h"
#include "mainwin.h"

namespace fs = std::filesystem;

namespace {

TSftFont ReadFont(const std::string& path) {
    TSftFont font;
    TCharTable table{};
    EXPECT_TRUE(LoadSFT(path, font, table, 255)) << path;
    return font;
}

Bytes ExpectedImage(const std::string& fontPath, const TPalette& palette) {
    const TSftFont font = ReadFont(fontPath);
    return font.BitsPerPixel() == 16 ? Build16BitImage(StripOf(font))
                                     : Build8BitImage(StripOf(font), palette);
}

std::vector<std::string> Items(const QListWidget* list) {
    std::vector<std::string> items;
    for (int i = 0; i < list->count(); ++i) items.push_back(list->item(i)->text().toStdString());
    return items;
}

// A font whose characters 65.. have the given X values.
ByteVec FontWithXs(std::int32_t width, const std::vector<std::int32_t>& xs, std::int32_t bpp = 8) {
    SftWriter w;
    w.Header(1).U16(65).U16(std::uint16_t(65 + xs.size() - 1));
    for (std::int32_t x : xs) w.I32(x).I32(0);
    return w.StripHeader(bpp).Size(width, 4).Pixels(std::size_t(width) * 4 * std::size_t(bpp / 8)).Bytes();
}

class WindowTest : public testing::Test {
protected:
    const TPalette kDefault = PatternPalette(1);
    const TPalette kOther = PatternPalette(77);

    WindowTest() : oldDir_(fs::current_path()) {
        fs::current_path(dir.Dir());
        WriteFile(dir.Path("uicolormap.cmp"), MakeCMP(kDefault));
    }
    ~WindowTest() override { fs::current_path(oldDir_); }

    TMainWindow& Win(TPictureBuilder builder = BuildFontPicture) {
        if (!win) {
            win = std::make_unique<TMainWindow>(ui, std::move(builder));
            win->show();
            QCoreApplication::processEvents();
        }
        return *win;
    }

    std::string Font(const std::string& name, const ByteVec& bytes) {
        WriteFile(dir.Path(name), bytes);
        return dir.Path(name);
    }
    void Open(const std::string& path) {
        ui.Choose(path);
        Win().OpenSFT1->trigger();
    }
    void LoadPalette(const std::string& path, int type) {
        ui.Choose(path, type);
        Win().LoadPalette1->trigger();
    }
    int ViewWidth() { return Win().ScrollBox->viewport()->width(); }
    int Scroll() { return Win().ScrollBox->HorzPosition(); }
    Bytes Shown() { return Win().ScrollBox->Image().Picture().FileBytes(); }

    // Everything a user can see or use, for before/after comparisons.
    struct Snapshot {
        std::string Caption;
        std::vector<std::string> Info, Codes;
        int Row, Scroll;
        bool SaveOn, PaletteOn;
        Bytes Held, Shown;
        TPalette Palette;
        std::int32_t Width;
        bool operator==(const Snapshot&) const = default;
    };
    Snapshot Snap() {
        TMainWindow& w = Win();
        return {w.windowTitle().toStdString(),
                Items(w.SFTInfo),
                Items(w.ASCIIList),
                w.ASCIIList->currentRow(),
                Scroll(),
                w.SaveasBMP1->isEnabled(),
                w.LoadPalette1->isEnabled(),
                w.Bitmap() ? w.Bitmap()->FileBytes() : Bytes{},
                Shown(),
                w.Palette(),
                w.FontData().Width};
    }

    TempDir dir;
    FakeUI ui;
    std::unique_ptr<TMainWindow> win;

private:
    fs::path oldDir_;
};

TEST_F(WindowTest, StartsEmptyWithTheDefaultPalette) {
    TMainWindow& w = Win();
    EXPECT_FALSE(w.QuitRequested());
    EXPECT_EQ(w.windowTitle(), "Quillmere");
    EXPECT_EQ(w.SFTInfo->count(), 0);
    EXPECT_EQ(w.ASCIIList->count(), 0);
    EXPECT_EQ(w.Bitmap(), nullptr);
    EXPECT_EQ(w.Palette(), kDefault);
    EXPECT_TRUE(w.OpenSFT1->isEnabled());
    EXPECT_FALSE(w.SaveasBMP1->isEnabled());
    EXPECT_FALSE(w.LoadPalette1->isEnabled());
    // Greyed-out commands can't be run.
    w.SaveasBMP1->trigger();
    w.LoadPalette1->trigger();
    EXPECT_TRUE(ui.dialogs.empty());
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(WindowTest, DefaultPaletteThatIsMissingOrRefused) {
    struct Case {
        const char* name;
        void (*prepare)(const std::string& path);
        std::vector<Box> boxes;
        bool quits;
    };
    const std::vector<Case> cases = {
        {"no file", [](const std::string& p) { fs::remove(p); },
         {{"Error", "uicolormap.cmp not found!"}}, true},
        {"a folder of that name",
         [](const std::string& p) {
             fs::remove(p);
             fs::create_directory(p);
         },
         {{"Error", "uicolormap.cmp not found!"}}, true},
        {"a file of another kind", [](const std::string& p) { WriteFile(p, ByteVec(900, 'x')); },
         {{"Warning", "Invalid CMP file!"}}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.Path("uicolormap.cmp");
        fs::remove_all(path);
        c.prepare(path);
        FakeUI user;
        TMainWindow w(user);
        EXPECT_EQ(user.boxes, c.boxes);
        EXPECT_EQ(w.QuitRequested(), c.quits);
        EXPECT_EQ(w.Palette(), TPalette{});
    }
}

TEST_F(WindowTest, OpensFontsOfBothDepths) {
    for (int bpp : {8, 16}) {
        SCOPED_TRACE(bpp);
        const std::string path = Font("main" + std::to_string(bpp) + ".sft", MakeFont(bpp, 600, 16));
        Open(path);
        TMainWindow& w = Win();
        EXPECT_TRUE(ui.boxes.empty());
        EXPECT_EQ(w.windowTitle().toStdString(), "Quillmere : " + path);
        EXPECT_EQ(Items(w.SFTInfo),
                  (std::vector<std::string>{bpp == 8 ? "8-bit font" : "16-bit font", "95 characters"}));
        ASSERT_EQ(w.ASCIIList->count(), 95);
        EXPECT_EQ(w.ASCIIList->item(0)->text(), "32");
        EXPECT_EQ(w.ASCIIList->item(94)->text(), "126");
        EXPECT_EQ(w.ASCIIList->currentRow(), 0);
        EXPECT_TRUE(w.ASCIIList->item(0)->isSelected());
        EXPECT_EQ(Scroll(), 0);
        EXPECT_TRUE(w.SaveasBMP1->isEnabled());
        EXPECT_TRUE(w.LoadPalette1->isEnabled());
        const Bytes expected = ExpectedImage(path, kDefault);
        ASSERT_NE(w.Bitmap(), nullptr);
        EXPECT_EQ(w.Bitmap()->FileBytes(), expected);
        EXPECT_EQ(Shown(), expected);
        EXPECT_EQ(w.ScrollBox->Image().Width(), 600);
        EXPECT_EQ(w.ScrollBox->Image().Height(), 16);
    }
}

TEST_F(WindowTest, ListsCodesAsUnsignedDecimals) {
    const ByteVec bytes = SftWriter().Header(2).Range(0, 1).Range(65534, 65535).StripHeader(8).Size(4, 1).Pixels(4).Bytes();
    Open(Font("edges.sft", bytes));
    EXPECT_EQ(Items(Win().ASCIIList), (std::vector<std::string>{"0", "1", "65534", "65535"}));
}

TEST_F(WindowTest, FontWithoutCharactersListsNothingAndKeepsTheScroll) {
    Open(Font("first.sft", FontWithXs(3000, {0, 400})));
    Win().ASCIIList->setCurrentRow(1);
    ASSERT_EQ(Scroll(), 400);
    const ByteVec none = SftWriter().Header(0).StripHeader(8).Size(3000, 4).Pixels(12000).Bytes();
    Open(Font("none.sft", none));
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_EQ(Win().ASCIIList->count(), 0);
    EXPECT_EQ(Win().ASCIIList->currentRow(), -1);
    EXPECT_EQ(Items(Win().SFTInfo), (std::vector<std::string>{"8-bit font", "0 characters"}));
    EXPECT_EQ(Scroll(), 400);
}

TEST_F(WindowTest, CharacterClickScrollsWithinTheStrip) {
    // Rows: X 0, -50, 100, far beyond the end, 120.
    const std::vector<std::int32_t> xs = {0, -50, 100, 1000000, 120};
    struct Case {
        std::int32_t width;
        int row;
        int expected;  // -1: the last position
    };
    const std::vector<Case> cases = {
        {2000, 2, 100}, {2000, 1, 0}, {2000, 3, -1}, {2000, 0, 0}, {2000, 4, 120}, {50, 2, 0}, {50, 3, 0},
    };
    Win();
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "width " << c.width << " row " << c.row);
        Open(Font("x.sft", FontWithXs(c.width, xs)));
        const int last = std::max(c.width - ViewWidth(), 0);
        EXPECT_EQ(Win().ScrollBox->horizontalScrollBar()->maximum(), last);
        const int expected = c.expected < 0 ? last : c.expected;

        // By mouse.
        QListWidget* list = Win().ASCIIList;
        list->scrollToItem(list->item(c.row));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(c.row)).center());
        EXPECT_EQ(list->currentRow(), c.row);
        EXPECT_EQ(Scroll(), expected);

        // By keyboard, from the row above.
        Win().ScrollBox->SetHorzPosition(7);
        if (c.row > 0) {
            list->setCurrentRow(c.row - 1);
            QTest::keyClick(list, Qt::Key_Down);
            EXPECT_EQ(list->currentRow(), c.row);
            EXPECT_EQ(Scroll(), expected);
        }
        // A click on the selected row brings its glyph back.
        Win().ScrollBox->SetHorzPosition(3);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(c.row)).center());
        EXPECT_EQ(Scroll(), expected);
    }
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(WindowTest, LoadPaletteUsesTheChosenFileType) {
    WriteFile(dir.Path("pal.cmp"), MakeCMP(kOther));
    WriteFile(dir.Path("pal.bm"), MakeBM(kOther));
    WriteFile(dir.Path("flat.bm"), MakeBM(kOther, 0));
    struct Case {
        const char* file;
        int type;
        std::vector<Box> boxes;
    };
    const Box failed{"Error", "Error loading Palette!"};
    const std::vector<Case> cases = {
        {"pal.cmp", 1, {}},
        {"pal.bm", 2, {}},
        {"pal.bm", 1, {{"Warning", "Invalid CMP file!"}, failed}},
        {"pal.cmp", 2, {{"Warning", "Invalid BM file!"}, failed}},
        {"flat.bm", 2, {{"Warning", "BM doesn't contain a Palette!"}, failed}},
    };
    const std::string font = Font("f.sft", MakeFont(8, 300, 8));
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.file << " as type " << c.type);
        win.reset();
        ui.boxes.clear();
        Open(font);
        Win().ScrollBox->SetHorzPosition(40);
        const Snapshot before = Snap();
        LoadPalette(dir.Path(c.file), c.type);
        EXPECT_EQ(ui.boxes, c.boxes);
        if (c.boxes.empty()) {
            EXPECT_EQ(Win().Palette(), kOther);
            EXPECT_EQ(Win().Bitmap()->FileBytes(), ExpectedImage(font, kOther));
            EXPECT_EQ(Shown(), ExpectedImage(font, kOther));
            Snapshot after = Snap();
            EXPECT_EQ(after.Caption, before.Caption);
            EXPECT_EQ(after.Codes, before.Codes);
            EXPECT_EQ(after.Info, before.Info);
            EXPECT_EQ(after.Row, before.Row);
            EXPECT_EQ(after.Scroll, before.Scroll);
        } else {
            EXPECT_TRUE(Snap() == before);
        }
        // The dialog remembers the type last accepted.
        EXPECT_EQ(Win().PAL_Open.FilterIndex, c.type);
    }
}

TEST_F(WindowTest, PaletteOutlivesFontsAndSkips16BitPictures) {
    const std::string f8 = Font("a.sft", MakeFont(8, 64, 4));
    const std::string f16 = Font("b.sft", MakeFont(16, 64, 4));
    WriteFile(dir.Path("p.cmp"), MakeCMP(kOther));
    Open(f16);
    const Snapshot before = Snap();
    LoadPalette(dir.Path("p.cmp"), 1);
    Snapshot after = Snap();
    EXPECT_EQ(after.Held, before.Held);
    EXPECT_EQ(after.Info, before.Info);
    EXPECT_EQ(after.Palette, kOther);
    Open(f8);
    EXPECT_EQ(Win().Bitmap()->FileBytes(), ExpectedImage(f8, kOther));
    Open(f16);
    Open(f8);
    EXPECT_EQ(Win().Bitmap()->FileBytes(), ExpectedImage(f8, kOther));
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(WindowTest, ExportProposesNamesAndRemembersTheFolder) {
    fs::create_directory(dir.Path("out"));
    const std::string main = Font("main.sft", MakeFont(8, 50, 3));
    const std::string title = Font("Title.Font.SFT", MakeFont(16, 5, 2));
    Open(main);

    ui.Choose(dir.Path("out/x.BMP"));
    Win().SaveasBMP1->trigger();
    EXPECT_EQ(ui.dialogs.back().Title, "Save BMP");
    EXPECT_EQ(ui.dialogs.back().FileName, "main.BMP");
    const Bytes first = ExpectedImage(main, kDefault);
    EXPECT_EQ(ReadFile(dir.Path("out/x.BMP")), ByteVec(first.begin(), first.end()));
    EXPECT_EQ(Win().LastSaveDir(), dir.Path("out/"));

    Open(title);
    ui.Cancel();
    Win().SaveasBMP1->trigger();
    EXPECT_EQ(ui.dialogs.back().FileName.toStdString(), dir.Path("out/Title.Font.BMP"));
    EXPECT_EQ(Win().LastSaveDir(), dir.Path("out/"));
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"Title.Font.SFT", "main.sft", "out", "uicolormap.cmp"}));

    // A folder that doesn't exist: the standard error box, nothing else changes.
    const std::string nowhere = dir.Path("missing/y.BMP");
    ui.Choose(nowhere);
    const Snapshot before = Snap();
    Win().SaveasBMP1->trigger();
    EXPECT_EQ(ui.boxes, (std::vector<Box>{{"Quillmere", "Cannot create file " + nowhere + "."}}));
    EXPECT_EQ(Win().LastSaveDir(), dir.Path("out/"));
    EXPECT_TRUE(Snap() == before);
    EXPECT_FALSE(fs::exists(dir.Path("missing")));

    // The window stays usable and the folder is still proposed.
    ui.Choose(dir.Path("out/t.BMP"));
    Win().SaveasBMP1->trigger();
    EXPECT_EQ(ui.dialogs.back().FileName.toStdString(), dir.Path("out/Title.Font.BMP"));
    const Bytes expected = ExpectedImage(title, kDefault);
    EXPECT_EQ(ReadFile(dir.Path("out/t.BMP")), ByteVec(expected.begin(), expected.end()));
}

TEST_F(WindowTest, FailedBuildLeavesEverythingAsItWas) {
    bool fail = false;
    std::exception_ptr error;
    auto builder = [&](std::unique_ptr<TBitmap>& bitmap, const TSftFont& font, const TPalette& palette,
                       IInfoList& info) {
        BuildFontPicture(bitmap, font, palette, info);
        if (fail) std::rethrow_exception(error);
    };
    Win(builder);
    const std::string first = Font("first.sft", MakeFont(8, 900, 4));
    const std::string second = Font("second.sft", MakeFont(16, 90, 9, 40, 41));
    WriteFile(dir.Path("p.cmp"), MakeCMP(kOther));
    Open(first);
    Win().ASCIIList->setCurrentRow(3);

    struct Case {
        const char* name;
        std::exception_ptr error;
        bool openFont;  // else load a palette
        std::string text;
    };
    const std::vector<Case> cases = {
        {"open, out of memory", std::make_exception_ptr(std::bad_alloc()), true, "Out of memory."},
        {"palette, out of memory", std::make_exception_ptr(std::bad_alloc()), false, "Out of memory."},
        {"open, refused picture", std::make_exception_ptr(EToolkitError(kBitmapNotValid)), true,
         "Bitmap image is not valid."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ui.boxes.clear();
        const Snapshot before = Snap();
        fail = true;
        error = c.error;
        if (c.openFont)
            Open(second);
        else
            LoadPalette(dir.Path("p.cmp"), 1);
        fail = false;
        EXPECT_EQ(ui.boxes, (std::vector<Box>{{"Quillmere", c.text}}));
        EXPECT_TRUE(Snap() == before);
        EXPECT_EQ(Win().Palette(), kDefault);
    }
    // Export still writes the earlier font's picture.
    ui.Choose(dir.Path("e.BMP"));
    Win().SaveasBMP1->trigger();
    const Bytes expected = ExpectedImage(first, kDefault);
    EXPECT_EQ(ReadFile(dir.Path("e.BMP")), ByteVec(expected.begin(), expected.end()));
}

TEST_F(WindowTest, HoldsOnePictureWhateverTheNumberOfReloads) {
    const std::string font = Font("big.sft", MakeFont(8, 1000, 1000));
    WriteFile(dir.Path("p.cmp"), MakeCMP(kOther));
    Open(font);
    const std::ptrdiff_t imageSize = std::ptrdiff_t(Win().Bitmap()->FileBytes().size());
    const std::ptrdiff_t start = LiveBytes();
    for (int i = 0; i < 8; ++i) {
        LoadPalette(dir.Path("p.cmp"), 1);
        Open(font);
    }
    EXPECT_LT(LiveBytes() - start, imageSize / 2);
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(WindowTest, HugeStripsOpenShowAndScroll) {
    struct Case {
        std::int32_t width, height, bpp;
    };
    for (const Case& c : {Case{400000, 1, 8}, Case{100000, 64, 16}, Case{1000000, 16, 8}}) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height << " x " << c.bpp);
        const std::string path = Font("huge.sft", MakeFont(c.bpp, c.width, c.height));
        Open(path);
        ASSERT_TRUE(ui.boxes.empty());
        TScrollBox* box = Win().ScrollBox;
        ASSERT_EQ(box->Image().Width(), c.width);
        for (int target : {0, c.width / 2 + 3, INT_MAX}) {
            box->SetHorzPosition(target);
            const int pos = Scroll();
            EXPECT_EQ(pos, std::min(target, c.width - ViewWidth()));
            const QImage shown = box->viewport()->grab().toImage();
            const TBitmap& pic = box->Image().Picture();
            for (int vx : {0, 1, ViewWidth() / 2, ViewWidth() - 1})
                for (int y : {0, c.height - 1}) {
                    const std::uint8_t* p = pic.ScanLine(y) + std::size_t(pos + vx) * std::size_t(pic.BitCount() / 8);
                    QRgb want;
                    if (c.bpp == 8) {
                        const std::uint8_t* e = pic.ColorTable().data() + 4 * p[0];
                        want = qRgb(e[2], e[1], e[0]);
                    } else {
                        want = qRgb(p[2], p[1], p[0]);
                    }
                    ASSERT_EQ(shown.pixel(vx, y), want) << "view x " << vx << " y " << y << " at " << pos;
                }
            // Below the strip the view is black.
            if (c.height < shown.height()) {
                EXPECT_EQ(shown.pixel(0, c.height), qRgb(0, 0, 0));
            }
        }
    }
}

TEST_F(WindowTest, AboutAndExit) {
    Win().About1->trigger();
    EXPECT_EQ(ui.abouts, 1);
    EXPECT_FALSE(Win().QuitRequested());
    Win().Exit1->trigger();
    EXPECT_TRUE(Win().QuitRequested());
    win.reset();
    Win().close();
    EXPECT_TRUE(Win().QuitRequested());
    EXPECT_TRUE(ui.boxes.empty());
}

}  // namespace

namespace {

// Hostile files thrown at the window's open and load-palette commands: each is
// refused with its message, and nothing the user had changes.
class HostileFiles : public WindowTest {
protected:
    struct Everything {
        Snapshot seen;
        std::array<std::uint8_t, 40> header;
        std::array<std::uint8_t, 128> stripHeader;
        Bytes pixels;
        std::int32_t charCount;
        TCharTable table;
        std::string lastSaveDir;
        bool operator==(const Everything&) const = default;
    };
    Everything All() {
        const TMainWindow& w = Win();
        return {Snap(), w.FontData().Header, w.FontData().StripHeader, w.FontData().Pixels,
                w.FontData().CharCount, w.CharTable(), w.LastSaveDir()};
    }
    // A font on screen, scrolled to its 6th character, and one export done.
    void SetUp() override {
        Open(Font("good.sft", MakeFont(8, 900, 8, 40, 60)));
        Win().ASCIIList->setCurrentRow(5);
        fs::create_directory(dir.Path("out"));
        ui.Choose(dir.Path("out/first.BMP"));
        Win().SaveasBMP1->trigger();
        ASSERT_EQ(Win().LastSaveDir(), dir.Path("out/"));
        ASSERT_TRUE(ui.boxes.empty());
    }
    // Paths that are no regular file, made once per test.
    std::vector<std::string> SpecialPaths() {
        fs::create_directory(dir.Path("folder"));
        if (!fs::exists(dir.Path("fifo"))) {
            EXPECT_EQ(::mkfifo(dir.Path("fifo").c_str(), 0600), 0);
        }
        return {dir.Path("folder"), dir.Path("fifo"), dir.Path("no-such-file"), "/dev/zero"};
    }
};

TEST_F(HostileFiles, FontsAreRefusedAndChangeNothing) {
    constexpr std::int32_t kMax = INT_MAX, kMin = INT_MIN;
    auto strip = [](std::int32_t bpp, std::int32_t w, std::int32_t h, std::size_t px) {
        return SftWriter().Header(1).Range(65, 66).StripHeader(bpp).Size(w, h).Pixels(px).Bytes();
    };
    std::vector<std::pair<std::string, ByteVec>> files = {
        {"range count INT32_MAX", SftWriter().Header(kMax).Range(1, 0).Range(7, 7).Bytes()},
        {"range 0 to 65535", MakeFont(8, 1, 1, 0, 65535)},
        {"257 entries", SftWriter().Header(2).Range(0, 200).Range(300, 355).StripHeader(8).Size(1, 1).Pixels(1).Bytes()},
        {"negative width", strip(8, -5, 2, 0)},
        {"negative height", strip(16, 5, -2, 0)},
        {"INT32_MIN width", strip(8, kMin, 1, 0)},
        {"INT32_MIN height", strip(8, 1, kMin, 0)},
        {"pixel size overflows", strip(16, 65536, 32768, 64)},
        {"BMP size overflows", strip(8, 46000, 46000, 64)},
        {"claims far more than the file holds", strip(8, 40000, 40000, 1000)},
    };
    for (std::int32_t bpp : {0, 1, 24, 32, -8}) files.push_back({"depth " + std::to_string(bpp), strip(bpp, 2, 2, 16)});
    // Every cut point is the reader's test; here one in each part of the file.
    const ByteVec small = MakeFont(16, 3, 2, 65, 67);
    for (std::size_t n : std::initializer_list<std::size_t>{0, 3, 39, 50, 68, 100, 196, 200, small.size() - 1})
        files.push_back({"cut at " + std::to_string(n), ByteVec(small.begin(), small.begin() + std::ptrdiff_t(n))});
    files.push_back({"lower-case magic", SftWriter().Header(1, "sfnt").Range(32, 33).StripHeader(8).Size(2, 1).Pixels(2).Bytes()});

    std::vector<std::string> paths;
    for (std::size_t i = 0; i < files.size(); ++i) paths.push_back(Font("h" + std::to_string(i) + ".sft", files[i].second));
    for (const auto& p : SpecialPaths()) paths.push_back(p);

    const Everything before = All();
    for (std::size_t i = 0; i < paths.size(); ++i) {
        SCOPED_TRACE(i < files.size() ? files[i].first : paths[i]);
        ui.boxes.clear();
        Open(paths[i]);
        EXPECT_EQ(ui.boxes, (std::vector<Box>{{"Warning", "Invalid SFT file!"}}));
        EXPECT_TRUE(All() == before);
    }
    // The earlier font is still the one a palette is applied to.
    WriteFile(dir.Path("other.cmp"), MakeCMP(kOther));
    ui.boxes.clear();
    LoadPalette(dir.Path("other.cmp"), 1);
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_EQ(Win().Bitmap()->FileBytes(), ExpectedImage(dir.Path("good.sft"), kOther));
}

TEST_F(HostileFiles, PalettesAreRefusedAndChangeNothing) {
    const ByteVec cmp = MakeCMP(kOther), bm = MakeBM(kOther, 2, 0);
    struct Case {
        std::string name;
        ByteVec bytes;
        int type;
        const char* warning;
    };
    std::vector<Case> cases;
    for (std::size_t n : {0, 3, 4, 64, 100, 831})
        cases.push_back({"CMP of " + std::to_string(n), ByteVec(cmp.begin(), cmp.begin() + std::ptrdiff_t(n)), 1, "Invalid CMP file!"});
    for (std::size_t n : {0, 2, 3, 15})
        cases.push_back({"BM of " + std::to_string(n), ByteVec(bm.begin(), bm.begin() + std::ptrdiff_t(n)), 2,
                         n < 3 ? "Invalid BM file!" : "BM doesn't contain a Palette!"});
    for (std::size_t n : {16, 767})
        cases.push_back({"BM of " + std::to_string(n), ByteVec(bm.begin(), bm.begin() + std::ptrdiff_t(n)), 2, "Invalid BM file!"});
    cases.push_back({"BM flag 02 00 00 01", [&] { ByteVec b = bm; b[15] = 1; return b; }(), 2, "BM doesn't contain a Palette!"});
    cases.push_back({"BM as CMP", bm, 1, "Invalid CMP file!"});
    cases.push_back({"CMP as BM", cmp, 2, "Invalid BM file!"});

    const Everything before = All();
    auto check = [&](const std::string& path, int type, const char* warning) {
        ui.boxes.clear();
        LoadPalette(path, type);
        EXPECT_EQ(ui.boxes, (std::vector<Box>{{"Warning", warning}, {"Error", "Error loading Palette!"}}));
        EXPECT_TRUE(All() == before);
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFile(dir.Path("p"), c.bytes);
        check(dir.Path("p"), c.type, c.warning);
    }
    for (const auto& p : SpecialPaths()) {
        SCOPED_TRACE(p);
        check(p, 1, "Invalid CMP file!");
        check(p, 2, "Invalid BM file!");
    }
}

}  // namespace
